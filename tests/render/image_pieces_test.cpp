// The pieces of image output that need no device: raster operation tables,
// the colour census and grey detection, band turning, and the held-back bands.
#include "render/image/band_turning.h"
#include "render/image/colour_census.h"
#include "render/image/image_holder.h"
#include "render/image/raster_ops.h"
#include "tests/support/stream_capture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

TEST(RasterOps, MixesAndBinaryCodes)
{
    // R2_COPYPEN (13) in both halves is PATCOPY; R2_NOT (6) is DSTINVERT.
    EXPECT_EQ(MixToRop4(MIX(13 | 13 << 8)), 0xF0F0);
    EXPECT_EQ(MixToRop4(MIX(6 | 11 << 8)), 0xAA55);
    EXPECT_EQ(MixToRop4(MIX(16 | 1 << 8)), 0x00FF);  // 16 is 0 modulo 16
    EXPECT_EQ(Rop3ToBinaryCode(0xF0), 13);
    EXPECT_EQ(Rop3ToBinaryCode(0xFF), 16);
    EXPECT_EQ(Rop3ToBinaryCode(0x00), 1);
    EXPECT_EQ(Rop3ToBinaryCode(0xCC), 13);  // no binary raster operation
    EXPECT_TRUE(Rop4HasMask(0xAACC));
    EXPECT_FALSE(Rop4HasMask(0xCCCC));
    EXPECT_TRUE(Rop3UsesSource(0xCC));
    EXPECT_FALSE(Rop3UsesSource(0xF0));
    EXPECT_TRUE(Rop3UsesPattern(0xB8));
    EXPECT_FALSE(Rop3UsesPattern(0xCC));
}

TEST(ColourCensus, CountsDistinctColoursUpToItsCapacity)
{
    ColourCensus c;
    ResetColourCensus(&c, 1, 3);
    for (uint32_t rgb : {0xFFFFFFu, 0xFF0000u, 0xFF0000u, 0x808080u, 0x404040u})
        AddCensusColour(&c, rgb);
    EXPECT_TRUE(c.active);
    EXPECT_EQ(c.count, 3u);  // white never counts; red once
    EXPECT_EQ(CensusSheetKind(c, 2), 3 * 16 + 2);
    EXPECT_EQ(CensusSheetKind(c, 1), 1);
    AddCensusColour(&c, 0x00FF00);  // a fourth colour: the census gives up
    EXPECT_FALSE(c.active);
    EXPECT_EQ(CensusSheetKind(c, 2), 2);

    ResetColourCensus(&c, 2, 15);  // greys count as black
    for (uint32_t rgb : {0x808080u, 0x404040u, 0x000000u, 0x0000FFu})
        AddCensusColour(&c, rgb);
    EXPECT_EQ(c.count, 2u);
    ColourCensus other;
    ResetColourCensus(&other, 2, 15);
    AddCensusColour(&other, 0x00FF00);
    AddCensusColour(&other, 0x0000FF);
    MergeColourCensus(&c, other);
    EXPECT_EQ(c.count, 3u);
}

TEST(PageColours, GreyExactlyOrWithinTolerance)
{
    struct Case {
        uint8_t r, g, b;
        bool exact, tolerant;
    };
    const Case cases[] = {
        {7, 7, 7, true, true},
        {100, 103, 97, false, true},   // mean 100: within 5
        {100, 108, 97, false, false},  // 7 above the mean of 101
        {200, 202, 198, false, true},  // mean 200: within 2
        {200, 203, 197, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsGreyPixel(c.r, c.g, c.b, false), c.exact) << int(c.r) << "," << int(c.g) << "," << int(c.b);
        EXPECT_EQ(IsGreyPixel(c.r, c.g, c.b, true), c.tolerant) << int(c.r) << "," << int(c.g) << "," << int(c.b);
    }
    uint32_t state = kPageColourUnknown;
    const uint8_t greys[] = {10, 10, 10, 200, 200, 200};
    DetectPageColours(&state, false, greys, 2, nullptr);
    EXPECT_EQ(state, kPageGreyOnly);
    const uint8_t nearGrey[] = {100, 103, 97};
    DetectPageColours(&state, true, nearGrey, 1, nullptr);
    EXPECT_EQ(state, kPageGreyTolerant);
    const uint8_t red[] = {255, 0, 0};
    DetectPageColours(&state, false, red, 1, nullptr);
    EXPECT_EQ(state, kPageColourSeen);
    DetectPageColours(&state, false, greys, 2, nullptr);
    EXPECT_EQ(state, kPageColourSeen);  // final for the page

    // Palette images: only the entries the pixels use count.
    const uint8_t palette[] = {0, 0, 0, 255, 0, 0, 255, 255, 255};
    const uint8_t greyIndexes[] = {0, 2, 2, 0};
    state = kPageColourUnknown;
    DetectPaletteColours(&state, false, palette, 3, greyIndexes, 4, nullptr);
    EXPECT_EQ(state, kPageGreyOnly);
    const uint8_t withRed[] = {0, 1};
    DetectPaletteColours(&state, false, palette, 3, withRed, 2, nullptr);
    EXPECT_EQ(state, kPageColourSeen);
}

TEST(BandTurning, PixelsAndPlacement)
{
    // 3 x 2 pixels of one byte: rows "abc" and "def".
    const uint8_t band[] = {'a', 'b', 'c', 'd', 'e', 'f'};
    std::vector<uint8_t> out(3 * TurnedRowBytes(2, 1, 4));
    ASSERT_EQ(TurnedRowBytes(2, 1, 4), 4u);
    TurnBand(band, 3, 3, 2, 1, 4, out.data());
    EXPECT_EQ(out, (std::vector<uint8_t>{'d', 'a', 0, 0, 'e', 'b', 0, 0, 'f', 'c', 0, 0}));
    // Each source pixel keeps its place on the page: a 2x scale placement.
    const float m[6] = {2, 0, 0, 2, 0, 0};
    float t[6];
    TurnPlacement(m, t, 2);
    auto place = [](const float p[6], float x, float y) {
        return std::pair<float, float>{p[0] * x + p[2] * y + p[4], p[1] * x + p[3] * y + p[5]};
    };
    // Source pixel (i=2, j=1) is 'f'; turned it is at (x=0, y=2). Centres agree.
    EXPECT_EQ(place(m, 2.5f, 1.5f), place(t, 0.5f, 2.5f));
}

TEST(ImageHolder, HeldBandsGoOutInOrderOnFlush)
{
    StreamCapture capture;
    CommandLayer* layer = CreateCommandLayer({capture.stream(), 0x01020006, false, 0});
    ASSERT_NE(layer, nullptr);
    ResetCommandLayerForPage(layer);
    ImageHolder* holder = CreateImageHolder(nullptr, kMethodNone);
    ASSERT_NE(holder, nullptr);
    ImageBandHeader header{};
    header.matrix[0] = header.matrix[3] = 1;
    header.width = 4;
    header.rows = 2;
    header.colourKind = 11;
    header.bitsPerComponent = 4;
    header.bitsPerPixel = 4;
    header.paletteCount = 2;
    header.palette[3] = header.palette[4] = header.palette[5] = 255;
    const uint8_t rows[] = {0x01, 0x10, 0x11, 0x00};
    ASSERT_EQ(QueueImageBand(holder, header, rows, 4), 0);
    header.destY = 2;
    ASSERT_EQ(QueueImageBand(holder, header, rows, 4), 0);
    EXPECT_TRUE(HasPendingBands(holder));
    EXPECT_EQ(capture.Commands(), "");
    ASSERT_EQ(FlushPendingImages(layer, holder), 0);
    EXPECT_FALSE(HasPendingBands(holder));
    const std::string listing = capture.Commands();
    size_t cq = 0;
    for (size_t at = listing.find("Cq "); at != std::string::npos; at = listing.find("Cq ", at + 1))
        ++cq;
    EXPECT_EQ(cq, 2u) << listing;
    EXPECT_EQ(listing.rfind("AL kind=2 value=204\n", 0), 0u) << listing;
    FreeImageHolder(holder);
    FreeCommandLayer(layer);
}

}  // namespace
