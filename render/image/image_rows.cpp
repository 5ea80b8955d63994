#include "render/image/image_rows.h"

#include "render/device/engine_calls.h"

#include <cstring>

namespace {

constexpr ULONG kBlack = 0x000000;
constexpr ULONG kWhite = 0xFFFFFF;

uint32_t SourceBits(ULONG format)
{
    switch (format) {
    case BMF_1BPP: return 1;
    case BMF_4BPP: return 4;
    case BMF_8BPP: return 8;
    case BMF_16BPP: return 16;
    case BMF_24BPP: return 24;
    case BMF_32BPP: return 32;
    default: return 0;
    }
}

const uint8_t* SourceRow(SURFOBJ* source, int32_t y)
{
    return static_cast<const uint8_t*>(source->pvScan0) + static_cast<ptrdiff_t>(y) * source->lDelta;
}

ULONG Translate(XLATEOBJ* xlate, ULONG value)
{
    if (xlate == nullptr || (xlate->flXlate & XO_TRIVIAL))
        return value;
    return g_engine.XLATEOBJ_iXlate(xlate, value);
}

// How deep source pixels become device colours (PAL_RGB: red in the low byte).
enum class Route { Same, Swapped, EachPixel };

Route RouteOf(XLATEOBJ* xlate)
{
    if (xlate == nullptr || (xlate->flXlate & XO_TRIVIAL))
        return Route::Same;
    const ULONG probes[3] = {0x0000FF, 0x00FF00, 0xFF0000};
    bool same = true, swapped = true;
    for (ULONG p : probes) {
        const ULONG c = Translate(xlate, p) & 0xFFFFFF;
        same = same && c == p;
        swapped = swapped && c == ((p & 0xFF) << 16 | (p & 0xFF00) | (p >> 16));
    }
    return same ? Route::Same : swapped ? Route::Swapped : Route::EachPixel;
}

uint32_t IndexAt(const uint8_t* row, uint32_t bits, int32_t x)
{
    switch (bits) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
    default: return row[x];
    }
}

ULONG DeepValue(const uint8_t* row, uint32_t bits, int32_t x)
{
    switch (bits) {
    case 16: return uint32_t{row[2 * x]} | uint32_t{row[2 * x + 1]} << 8;
    case 24: return uint32_t{row[3 * x]} | uint32_t{row[3 * x + 1]} << 8 | uint32_t{row[3 * x + 2]} << 16;
    default: return uint32_t{row[4 * x]} | uint32_t{row[4 * x + 1]} << 8 | uint32_t{row[4 * x + 2]} << 16;
    }
}

void ConvertDeepRow(const uint8_t* row, uint32_t bits, Route route, XLATEOBJ* xlate, int32_t left, uint32_t width,
                    uint8_t* out)
{
    const uint32_t step = bits / 8;
    const uint8_t* p = row + static_cast<size_t>(left) * step;
    if (bits >= 24 && route != Route::EachPixel) {
        const int r = route == Route::Same ? 0 : 2, b = 2 - r;
        for (uint32_t x = 0; x < width; ++x, p += step, out += 3) {
            out[0] = p[r];
            out[1] = p[1];
            out[2] = p[b];
        }
        return;
    }
    ULONG lastValue = ~0u, lastColour = 0;
    for (uint32_t x = 0; x < width; ++x, out += 3) {
        const ULONG v = DeepValue(row, bits, left + static_cast<int32_t>(x));
        if (v != lastValue) {
            lastValue = v;
            lastColour = Translate(xlate, v);
        }
        out[0] = static_cast<uint8_t>(lastColour);
        out[1] = static_cast<uint8_t>(lastColour >> 8);
        out[2] = static_cast<uint8_t>(lastColour >> 16);
    }
}

bool IsBlackOrWhite(ULONG colour)
{
    colour &= 0xFFFFFF;
    return colour == kBlack || colour == kWhite;
}

}  // namespace

bool DescribeSource(SURFOBJ* source, XLATEOBJ* xlate, uint32_t width, uint32_t height, bool widenFourBits,
                    SourceImage* image)
{
    const uint32_t bits = SourceBits(source->iBitmapFormat);
    if (bits == 0 || source->pvScan0 == nullptr || width == 0 || height == 0)
        return false;
    *image = {};
    image->width = width;
    image->height = height;
    if (bits <= 8) {
        image->colourKind = 11;
        image->bitsPerPixel = static_cast<uint8_t>(bits == 4 && widenFourBits ? 8 : bits);
        image->paletteCount = static_cast<uint16_t>(1u << bits);
        for (uint32_t i = 0; i < image->paletteCount; ++i) {
            const ULONG c = Translate(xlate, i);
            image->palette[3 * i] = static_cast<uint8_t>(c);
            image->palette[3 * i + 1] = static_cast<uint8_t>(c >> 8);
            image->palette[3 * i + 2] = static_cast<uint8_t>(c >> 16);
        }
    }
    else {
        image->colourKind = 4;
        image->bitsPerPixel = 24;
    }
    image->stride = (width * image->bitsPerPixel + 7) / 8;
    return true;
}

void ConvertSourceRows(SURFOBJ* source, XLATEOBJ* xlate, const SourceImage& image, int32_t left, int32_t top,
                       uint32_t first, uint32_t count, uint8_t* out)
{
    const uint32_t bits = SourceBits(source->iBitmapFormat);
    const Route route = bits > 8 ? RouteOf(xlate) : Route::Same;
    for (uint32_t j = 0; j < count; ++j, out += image.stride) {
        const uint8_t* row = SourceRow(source, top + static_cast<int32_t>(first + j));
        if (bits > 8) {
            ConvertDeepRow(row, bits, route, xlate, left, image.width, out);
            continue;
        }
        if (bits == image.bitsPerPixel && (left * bits) % 8 == 0) {
            std::memcpy(out, row + left * bits / 8, image.stride);
            continue;
        }
        std::memset(out, 0, image.stride);
        for (uint32_t x = 0; x < image.width; ++x) {
            const uint32_t index = IndexAt(row, bits, left + static_cast<int32_t>(x));
            switch (image.bitsPerPixel) {
            case 1: out[x >> 3] |= static_cast<uint8_t>(index << (7 - (x & 7))); break;
            case 4: out[x >> 1] |= static_cast<uint8_t>(index << ((x & 1) ? 0 : 4)); break;
            default: out[x] = static_cast<uint8_t>(index); break;
            }
        }
    }
}

bool IsBlackAndWhiteSource(SURFOBJ* source, XLATEOBJ* xlate, int32_t left, int32_t top, uint32_t width,
                           uint32_t height)
{
    const uint32_t bits = SourceBits(source->iBitmapFormat);
    if (bits == 0 || source->pvScan0 == nullptr)
        return false;
    if (bits == 1)
        return Translate(xlate, 0) != Translate(xlate, 1) && IsBlackOrWhite(Translate(xlate, 0)) &&
               IsBlackOrWhite(Translate(xlate, 1));
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = SourceRow(source, top + static_cast<int32_t>(y));
        for (uint32_t x = 0; x < width; ++x) {
            const int32_t at = left + static_cast<int32_t>(x);
            const ULONG v = bits <= 8 ? IndexAt(row, bits, at) : DeepValue(row, bits, at);
            if (!IsBlackOrWhite(Translate(xlate, v)))
                return false;
        }
    }
    return true;
}

void ReadOneBitRows(SURFOBJ* source, XLATEOBJ* xlate, int32_t left, int32_t top, uint32_t width, uint32_t height,
                    uint8_t* out)
{
    const uint32_t bits = SourceBits(source->iBitmapFormat);
    const uint32_t stride = (width + 7) / 8;
    std::memset(out, 0, size_t{stride} * height);
    for (uint32_t y = 0; y < height; ++y, out += stride) {
        const uint8_t* row = SourceRow(source, top + static_cast<int32_t>(y));
        for (uint32_t x = 0; x < width; ++x) {
            const int32_t at = left + static_cast<int32_t>(x);
            bool set;
            if (bits == 1)
                set = IndexAt(row, 1, at) != 0;
            else
                set = (Translate(xlate, bits <= 8 ? IndexAt(row, bits, at) : DeepValue(row, bits, at)) & 0xFFFFFF) ==
                      kWhite;
            if (set)
                out[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
        }
    }
}

ULONG FirstPaletteColour(XLATEOBJ* xlate)
{
    return Translate(xlate, 0) & 0xFFFFFF;
}
