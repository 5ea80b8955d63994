#include "render/image/colour_census.h"

#include <algorithm>
#include <iterator>

namespace {

uint32_t Pack(uint8_t r, uint8_t g, uint8_t b)
{
    return uint32_t{r} << 16 | uint32_t{g} << 8 | b;
}

void Feed(uint32_t* state, bool tolerant, uint8_t r, uint8_t g, uint8_t b, ColourCensus* census)
{
    if (*state != kPageColourSeen)
        *state = IsGreyPixel(r, g, b, tolerant) ? (tolerant ? kPageGreyTolerant : kPageGreyOnly) : kPageColourSeen;
    if (census != nullptr)
        AddCensusColour(census, Pack(r, g, b));
}

}  // namespace

void ResetColourCensus(ColourCensus* census, uint32_t mode, uint32_t capacity)
{
    census->active = true;
    census->mode = mode;
    census->capacity = std::min(capacity, kCensusLimit);
    census->count = 0;
    std::fill(std::begin(census->colours), std::end(census->colours), kWhite);
}

void AddCensusColour(ColourCensus* census, uint32_t rgb)
{
    if (!census->active || rgb == kWhite)
        return;
    const uint8_t r = uint8_t(rgb >> 16), g = uint8_t(rgb >> 8), b = uint8_t(rgb);
    if (census->mode == 2 && r == g && g == b)
        rgb = 0;
    for (uint32_t i = 0; i < census->count; ++i)
        if (census->colours[i] == rgb)
            return;
    if (census->count >= census->capacity) {
        census->active = false;
        return;
    }
    census->colours[census->count++] = rgb;
}

void MergeColourCensus(ColourCensus* into, const ColourCensus& other)
{
    if (!other.active) {
        into->active = false;
        return;
    }
    for (uint32_t i = 0; i < other.count; ++i)
        AddCensusColour(into, other.colours[i]);
}

uint8_t CensusSheetKind(const ColourCensus& census, uint8_t kind)
{
    return kind == 2 && census.active ? static_cast<uint8_t>(census.count * 16 + 2) : kind;
}

bool IsGreyPixel(uint8_t r, uint8_t g, uint8_t b, bool tolerant)
{
    if (r == g && g == b)
        return true;
    if (!tolerant)
        return false;
    static constexpr int kTolerance[4] = {5, 5, 5, 2};
    const int mean = (r + g + b) / 3;
    const int t = kTolerance[mean / 64];
    const int lo = std::min({r, g, b}), hi = std::max({r, g, b});
    return mean - lo <= t && hi - mean <= t;
}

void DetectPageColours(uint32_t* state, bool tolerant, const uint8_t* pixels, uint32_t count, ColourCensus* census)
{
    if (*state == kPageColourSeen)
        return;
    for (uint32_t i = 0; i < count; ++i, pixels += 3)
        Feed(state, tolerant, pixels[0], pixels[1], pixels[2], census);
}

void DetectPaletteColours(uint32_t* state, bool tolerant, const uint8_t* palette, uint32_t entries,
                          const uint8_t* indexes, uint32_t count, ColourCensus* census)
{
    if (*state == kPageColourSeen)
        return;
    bool used[256] = {};
    for (uint32_t i = 0; i < count; ++i)
        used[indexes[i]] = true;
    for (uint32_t e = 0; e < entries && e < 256; ++e)
        if (used[e])
            Feed(state, tolerant, palette[3 * e], palette[3 * e + 1], palette[3 * e + 2], census);
}
