#include "render/command/glyph_cache.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

GlyphKey Key(uint16_t glyph, uint32_t font = 1)
{
    return {glyph, font, kGlyphKindBitmap};
}

struct Cache {
    GlyphCache cache;
    explicit Cache(uint32_t capacity) { OpenGlyphCache(&cache, capacity); }
    ~Cache() { CloseGlyphCache(&cache); }
    uint32_t Add(uint16_t glyph, uint32_t size)
    {
        uint32_t address = 0xFFFFFFFF;
        EXPECT_EQ(AllocateGlyphBlock(&cache, Key(glyph), size, true, &address), kGlyphCacheOk) << glyph;
        return address;
    }
    bool Has(uint16_t glyph)
    {
        uint32_t address = 0;
        return FindGlyphBlock(&cache, Key(glyph), &address) == kGlyphCacheOk;
    }
};

TEST(GlyphCache, BlocksComeFromTheEndOfTheMemory)
{
    Cache c(6400 + 63);  // rounded down to 6400
    EXPECT_EQ(c.cache.capacity, 6400u);
    EXPECT_EQ(c.Add(1, 100), 6272u);  // 128 bytes: the last two blocks
    EXPECT_EQ(c.Add(2, 64), 6208u);
    EXPECT_EQ(c.Add(3, 1), 6144u);
    uint32_t address = 0;
    EXPECT_EQ(FindGlyphBlock(&c.cache, Key(2), &address), kGlyphCacheOk);
    EXPECT_EQ(address, 6208u);
    EXPECT_EQ(FindGlyphBlock(&c.cache, Key(2, 9), &address), kGlyphCacheNotFound);
}

// Fonts are told apart by their whole identity: identities that share their
// low 16 bits name different fonts.
TEST(GlyphCache, FontsAreKeptApartByTheirWholeIdentity)
{
    Cache c(6400);
    uint32_t first = 0, address = 0;
    ASSERT_EQ(AllocateGlyphBlock(&c.cache, Key(7, 3), 64, true, &first), kGlyphCacheOk);
    for (uint32_t other : {3u + 0x10000u, 3u + 0x80000000u, 0x10003u + 0x10000u})
        EXPECT_EQ(FindGlyphBlock(&c.cache, Key(7, other), &address), kGlyphCacheNotFound) << other;
    ASSERT_EQ(AllocateGlyphBlock(&c.cache, Key(7, 0x10003), 64, true, &address), kGlyphCacheOk);
    EXPECT_NE(address, first);
    EXPECT_EQ(FindGlyphBlock(&c.cache, Key(7, 3), &address), kGlyphCacheOk);
    EXPECT_EQ(address, first);
}

TEST(GlyphCache, SizeLimits)
{
    Cache c(6400);
    uint32_t address = 0;
    EXPECT_EQ(AllocateGlyphBlock(&c.cache, Key(1), 6400, true, &address), kGlyphCacheNoRoom);
    EXPECT_EQ(AllocateGlyphBlock(&c.cache, Key(1), 6337, true, &address), kGlyphCacheNoRoom);  // rounds to 6400
    EXPECT_EQ(AllocateGlyphBlock(&c.cache, Key(1), 6336, true, &address), kGlyphCacheOk);
    EXPECT_EQ(address, 64u);
    GlyphCache closed;
    EXPECT_FALSE(OpenGlyphCache(&closed, 63));
    EXPECT_EQ(FindGlyphBlock(&closed, Key(1), &address), kGlyphCacheNotFound);
}

// With the memory full, the least recently used glyph goes first; a lookup
// makes a glyph the last to go.
TEST(GlyphCache, LeastRecentlyUsedIsEvicted)
{
    Cache c(64 * 5);  // room for four 64-byte glyphs and the free remainder
    for (uint16_t g = 1; g <= 4; ++g)
        c.Add(g, 64);
    EXPECT_TRUE(c.Has(1));  // 1 is now the most recently used
    c.Add(5, 64);           // takes the free front block
    c.Add(6, 64);           // evicts 2
    EXPECT_FALSE(c.Has(2));
    EXPECT_TRUE(c.Has(1));
    EXPECT_TRUE(c.Has(3));
}

// A glyph larger than every block merges the front block with its neighbours
// in memory; the glyph takes the merged block's first bytes.
TEST(GlyphCache, MergesNeighboursWhenNoBlockIsLargeEnough)
{
    Cache c(64 * 4);
    EXPECT_EQ(c.Add(1, 64), 192u);
    EXPECT_EQ(c.Add(2, 64), 128u);
    EXPECT_EQ(c.Add(3, 64), 64u);
    EXPECT_EQ(c.Add(4, 64), 0u);  // exact fit of the last free block
    // Front is glyph 1 at 192; its neighbour at 128 (glyph 2) is merged.
    EXPECT_EQ(c.Add(5, 128), 128u);
    EXPECT_FALSE(c.Has(1));
    EXPECT_FALSE(c.Has(2));
    EXPECT_TRUE(c.Has(3));
    EXPECT_TRUE(c.Has(4));
}

TEST(GlyphCache, AskingWhereChangesNothing)
{
    Cache c(64 * 4);
    c.Add(1, 64);
    uint32_t address = 0;
    EXPECT_EQ(AllocateGlyphBlock(&c.cache, Key(2), 64, false, &address), kGlyphCacheOk);
    EXPECT_EQ(address, 128u);
    EXPECT_FALSE(c.Has(2));
    EXPECT_EQ(c.Add(2, 64), 128u);
}

// Random use never hands out overlapping blocks of glyphs that are present.
TEST(GlyphCache, PresentGlyphsNeverOverlap)
{
    Cache c(64 * 40);
    uint32_t seed = 12345;
    std::vector<std::pair<uint32_t, uint32_t>> placed(200, {0, 0});
    for (int round = 0; round < 5000; ++round) {
        seed = seed * 1103515245 + 12345;
        const uint16_t glyph = static_cast<uint16_t>(1 + (seed >> 8) % 199);
        const uint32_t size = 1 + (seed >> 16) % 600;
        uint32_t address = 0;
        if (FindGlyphBlock(&c.cache, Key(glyph), &address) == kGlyphCacheOk)
            continue;
        ASSERT_EQ(AllocateGlyphBlock(&c.cache, Key(glyph), size, true, &address), kGlyphCacheOk);
        placed[glyph] = {address, (size + 63) / 64 * 64};
        for (uint16_t a = 1; a < 200; ++a) {
            uint32_t at = 0;
            if (a == glyph || placed[a].second == 0 ||
                FindGlyphBlock(&c.cache, Key(a), &at) != kGlyphCacheOk)
                continue;
            const bool apart = placed[a].first + placed[a].second <= address || address + placed[glyph].second <= placed[a].first;
            ASSERT_TRUE(apart) << "glyph " << a << " and " << glyph;
        }
    }
}

}  // namespace
