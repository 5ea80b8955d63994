#include "render/state/graphics_state_cache.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct CacheHolder {
    GraphicsStateCache* cache = CreateStateCache();
    ~CacheHolder() { FreeStateCache(cache); }
};

TEST(GraphicsStateCache, FirstValuesOfAPage)
{
    CacheHolder h;
    GraphicsStateCache* c = h.cache;
    ASSERT_NE(c, nullptr);
    ResetStatePageValues(c);
    EXPECT_TRUE(CachedLineWidthEquals(c, 0.0f));  // a width of exactly 0 is not sent
    EXPECT_FALSE(CachedMiterLimitEquals(c, 0.0f));
    EXPECT_FALSE(CachedMiterLimitEquals(c, 10.0f));
    for (int v = 0; v <= 255; ++v) {  // no byte value matches the reset cap, join and option
        EXPECT_FALSE(CachedLineCapEquals(c, static_cast<uint8_t>(v)));
        EXPECT_FALSE(CachedLineJoinEquals(c, static_cast<uint8_t>(v)));
        EXPECT_FALSE(CachedJobOptionEquals(c, static_cast<uint8_t>(v)));
    }
    const uint8_t white[3] = {255, 255, 255};
    EXPECT_FALSE(CachedColourEquals(c, 0, 0, white));
}

TEST(GraphicsStateCache, InvalidatedJobValueOfZeroIsNotSent)
{
    CacheHolder h;
    GraphicsStateCache* c = h.cache;
    CacheJobValue(c, 1, 7);
    CacheJobValue(c, 2, 9);
    InvalidateStateCache(c);
    EXPECT_TRUE(CachedJobValueEquals(c, 1, 0));
    EXPECT_TRUE(CachedJobValueEquals(c, 3, 0));
    CacheJobValue(c, 1, 5);
    EXPECT_TRUE(CachedJobValueEquals(c, 1, 5));
    EXPECT_FALSE(CachedJobValueEquals(c, 2, 5));  // other kinds share one value of their own
    EXPECT_FALSE(CachedJobKindEquals(c, 0xFF, 0xFF));
    EXPECT_TRUE(CachedFontEquals(c, 0));
}

TEST(GraphicsStateCache, MixValueSurvivesAPageButItsKindDoesNot)
{
    CacheHolder h;
    GraphicsStateCache* c = h.cache;
    CacheMix(c, 1, 0xCC);
    ResetStatePageValues(c);
    uint16_t kind = 9;
    int32_t value = 0;
    GetCachedColourSelection(c, &kind, &value);
    EXPECT_EQ(kind, 0);
    EXPECT_EQ(value, 0xCC);
    EXPECT_FALSE(CachedMixEquals(c, 1, 0xCC));
    EXPECT_FALSE(CachedMixEquals(c, 2, 0xCC));
}

TEST(GraphicsStateCache, DisabledCacheNeverMatchesButStillRemembers)
{
    CacheHolder h;
    GraphicsStateCache* c = h.cache;
    EXPECT_EQ(SwapStateCacheMode(c, 0), 1);
    CacheLineWidth(c, 2.0f);
    CacheFont(c, 4);
    EXPECT_FALSE(CachedLineWidthEquals(c, 2.0f));
    EXPECT_FALSE(CachedFontEquals(c, 4));
    EXPECT_EQ(SwapStateCacheMode(c, 1), 0);
    EXPECT_TRUE(CachedLineWidthEquals(c, 2.0f));
    EXPECT_TRUE(CachedFontEquals(c, 4));
}

TEST(GraphicsStateCache, NotANumberIsNeverEqual)
{
    CacheHolder h;
    CacheMiterLimit(h.cache, NAN);
    EXPECT_FALSE(CachedMiterLimitEquals(h.cache, NAN));
}

// A fill in the colour of the last stroke is a different colour command.
TEST(GraphicsStateCache, ColourComparesTargetFormatAndColour)
{
    CacheHolder h;
    GraphicsStateCache* c = h.cache;
    const uint8_t red[3] = {255, 0, 0};
    const uint8_t grey[3] = {0x40, 0, 0};
    const uint8_t greyAsRgb[3] = {0x40, 0x40, 0x40};
    CacheColour(c, 1, 4, red);
    EXPECT_TRUE(CachedColourEquals(c, 1, 4, red));
    EXPECT_FALSE(CachedColourEquals(c, 2, 4, red));
    CacheColour(c, 2, 3, grey);
    EXPECT_EQ(c->colour, 0x404040u);
    EXPECT_FALSE(CachedColourEquals(c, 2, 4, greyAsRgb));  // same packed value, other format
    ForgetColour(c);
    EXPECT_FALSE(CachedColourEquals(c, 2, 3, grey));
}

TEST(GraphicsStateCache, PackedColours)
{
    const uint8_t rgb[3] = {0x12, 0x34, 0x56};
    const uint8_t grey[3] = {0x80, 0x11, 0x22};
    EXPECT_EQ(PackColour(4, rgb), 0x123456u);
    EXPECT_EQ(PackColour(3, grey), 0x808080u);
}

TEST(GraphicsStateCache, BrushMatchesOnlyItsOwnCopy)
{
    CacheHolder h;
    GraphicsStateCache* c = h.cache;
    std::vector<uint8_t> data = {1, 2, 3, 4, 5, 6};
    const CachedBrush brush = {0, 0, 2, 4, 8, 2, 1, 1, 6, data.data()};
    EXPECT_FALSE(CachedBrushEquals(c, brush));  // no copy yet
    ASSERT_TRUE(CacheBrush(c, brush));
    data[5] = 99;  // the caller's bytes change; the cache kept its own
    EXPECT_FALSE(CachedBrushEquals(c, brush));
    data[5] = 6;
    EXPECT_TRUE(CachedBrushEquals(c, brush));
    CachedBrush moved = brush;
    moved.x = 1;
    EXPECT_FALSE(CachedBrushEquals(c, moved));
    ResetStatePageValues(c);
    EXPECT_FALSE(CachedBrushEquals(c, brush));
}

TEST(GraphicsStateCache, PaletteIsBoundedTo768Bytes)
{
    CacheHolder h;
    GraphicsStateCache* c = h.cache;
    std::vector<uint8_t> palette(769, 7);
    struct Case {
        uint32_t length;
        bool kept;
    };
    const Case cases[] = {{768, true}, {769, false}, {0, true}, {3, true}};
    for (const Case& k : cases) {
        ResetStatePageValues(c);
        const uint16_t count = static_cast<uint16_t>(k.length / 3);
        EXPECT_EQ(CachePalette(c, count, 11, palette.data(), k.length), k.kept) << k.length;
        EXPECT_EQ(CachedPaletteEquals(c, count, 11, palette.data(), k.length), k.kept) << k.length;
    }
    const uint8_t a[6] = {1, 2, 3, 4, 5, 6};
    const uint8_t b[6] = {1, 2, 3, 4, 5, 7};
    CachePalette(c, 2, 11, a, 6);
    EXPECT_FALSE(CachedPaletteEquals(c, 2, 11, b, 6));
    EXPECT_TRUE(CachedPaletteEquals(c, 2, 11, b, 5));  // only the first length bytes count
    EXPECT_FALSE(CachedPaletteEquals(c, 2, 10, a, 6));
}

// A palette too long to keep still went to the device: the one cached before
// must not make the next "AV" of it look redundant.
TEST(GraphicsStateCache, RefusedPaletteForgetsTheOneBefore)
{
    CacheHolder h;
    GraphicsStateCache* c = h.cache;
    const uint8_t a[6] = {1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(CachePalette(c, 2, 11, a, 6));
    ASSERT_TRUE(CachedPaletteEquals(c, 2, 11, a, 6));
    std::vector<uint8_t> longPalette(771, 9);
    EXPECT_FALSE(CachePalette(c, 257, 11, longPalette.data(), 771));
    EXPECT_FALSE(CachedPaletteEquals(c, 2, 11, a, 6));
    EXPECT_FALSE(CachedPaletteEquals(c, 0, 0, nullptr, 0));
    ASSERT_TRUE(CachePalette(c, 2, 11, a, 6));
    EXPECT_TRUE(CachedPaletteEquals(c, 2, 11, a, 6));
    EXPECT_FALSE(CachePalette(c, 1, 11, nullptr, 3));
    ResetStatePageValues(c);
    EXPECT_TRUE(CachedPaletteEquals(c, 0, 0, nullptr, 0));  // a page starts from the reset palette
}

TEST(GraphicsStateCache, MatrixIsComparedBytewiseAndCanBeSetUnsent)
{
    CacheHolder h;
    GraphicsStateCache* c = h.cache;
    const float m[6] = {1, 0, 0, 1, 0, 0};
    const float negativeZero[6] = {1, -0.0f, 0, 1, 0, 0};
    SetCachedMatrix(c, m);
    EXPECT_TRUE(CachedMatrixEquals(c, m));
    EXPECT_FALSE(CachedMatrixEquals(c, negativeZero));
    float out[6] = {};
    SaveStateCache(c, out);
    EXPECT_EQ(out[3], 1.0f);
    ResetStatePageValues(c);
    const float zero[6] = {};
    EXPECT_TRUE(CachedMatrixEquals(c, zero));
}

TEST(GraphicsStateCache, ForgottenLineStyleAndJobOptions)
{
    CacheHolder h;
    GraphicsStateCache* c = h.cache;
    CacheLineStyle(c, 1);
    EXPECT_TRUE(CachedLineStyleEquals(c, 1));
    ForgetLineStyle(c);
    EXPECT_FALSE(CachedLineStyleEquals(c, 1));
    EXPECT_FALSE(CachedJobOptionsEquals(c, 0, 0));
    CacheJobOptions(c, 1, 0);
    EXPECT_TRUE(CachedJobOptionsEquals(c, 1, 0));
    const uint8_t rgb[3] = {1, 2, 3};
    CacheBackground(c, 2, 4, 1, rgb);
    EXPECT_TRUE(CachedBackgroundEquals(c, 2, 4, 1, rgb));
    EXPECT_FALSE(CachedBackgroundEquals(c, 2, 4, 2, rgb));
}

}  // namespace
