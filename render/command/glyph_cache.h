// The driver's model of the printer's glyph memory: which glyph occupies which
// 64-byte-aligned block. A block's address is the glyph's id in the stream, so
// the model must evict exactly as the printer's memory would be reused: least
// recently used first.
#pragma once
#include <cstdint>
#include <unordered_map>
#include <vector>

inline constexpr uint32_t kGlyphBlockAlign = 64;

// Results.
inline constexpr int kGlyphCacheOk = 0;
inline constexpr int kGlyphCacheNoMemory = 2;
inline constexpr int kGlyphCacheNoRoom = 4;    // glyph as large as the memory, or nothing to merge
inline constexpr int kGlyphCacheNotFound = 5;

// Download kinds of a glyph.
inline constexpr uint8_t kGlyphKindBitmap = 33;
inline constexpr uint8_t kGlyphKindOutline = 17;
inline constexpr uint8_t kGlyphKindOutlineAlt = 18;

// A font is known by its whole identity (the engine's iUniq): two fonts whose
// identities share their low 16 bits are still two fonts.
struct GlyphKey {
    uint16_t glyph;
    uint32_t font;
    uint8_t kind;  // all three zero: a free block
};

struct GlyphBlock {
    uint32_t address;
    uint32_t size;
    GlyphKey key;
    int32_t prev, next;  // list links by index; -1 ends
};

// Blocks in least-recently-used order: front the next to be evicted.
struct GlyphCache {
    uint32_t capacity = 0;
    std::vector<GlyphBlock> blocks;     // pool; unlinked entries are on the spare list
    std::vector<int32_t> spare;
    int32_t front = -1, back = -1;
    std::unordered_map<uint64_t, int32_t> byKey;  // used blocks by key
};

// Capacity is rounded down to a multiple of 64; 0 gives no cache (false).
bool OpenGlyphCache(GlyphCache* cache, uint32_t capacity);
void CloseGlyphCache(GlyphCache* cache);
bool IsGlyphCacheOpen(const GlyphCache* cache);

// The glyph's address; a hit becomes the most recently used block.
int FindGlyphBlock(GlyphCache* cache, GlyphKey key, uint32_t* address);
// Allocates `size` bytes (rounded up to 64) for the glyph, evicting the least
// recently used; without `store` only answers where it would go.
int AllocateGlyphBlock(GlyphCache* cache, GlyphKey key, uint32_t size, bool store, uint32_t* address);
