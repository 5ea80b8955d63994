#include "render/command/glyph_cache.h"

#include <new>

namespace {

uint64_t KeyValue(GlyphKey key)
{
    return uint64_t{key.glyph} | uint64_t{key.font} << 16 | uint64_t{key.kind} << 48;
}

bool IsFree(const GlyphBlock& block)
{
    return KeyValue(block.key) == 0;
}

void Unlink(GlyphCache* cache, int32_t i)
{
    GlyphBlock& block = cache->blocks[i];
    (block.prev >= 0 ? cache->blocks[block.prev].next : cache->front) = block.next;
    (block.next >= 0 ? cache->blocks[block.next].prev : cache->back) = block.prev;
    block.prev = block.next = -1;
}

void LinkBack(GlyphCache* cache, int32_t i)
{
    GlyphBlock& block = cache->blocks[i];
    block.prev = cache->back;
    block.next = -1;
    (cache->back >= 0 ? cache->blocks[cache->back].next : cache->front) = i;
    cache->back = i;
}

void LinkFront(GlyphCache* cache, int32_t i)
{
    GlyphBlock& block = cache->blocks[i];
    block.next = cache->front;
    block.prev = -1;
    (cache->front >= 0 ? cache->blocks[cache->front].prev : cache->back) = i;
    cache->front = i;
}

// Forgets the glyph a block holds.
void Evict(GlyphCache* cache, int32_t i)
{
    GlyphBlock& block = cache->blocks[i];
    if (IsFree(block))
        return;
    const auto found = cache->byKey.find(KeyValue(block.key));
    if (found != cache->byKey.end() && found->second == i)
        cache->byKey.erase(found);
    block.key = {};
}

int32_t NewBlock(GlyphCache* cache, uint32_t address, uint32_t size)
{
    int32_t i;
    if (!cache->spare.empty()) {
        i = cache->spare.back();
        cache->spare.pop_back();
    } else {
        i = static_cast<int32_t>(cache->blocks.size());
        cache->blocks.push_back({});
    }
    cache->blocks[i] = {address, size, {}, -1, -1};
    return i;
}

void Store(GlyphCache* cache, int32_t i, GlyphKey key)
{
    // A glyph stored again leaves its older block free: the model keeps one
    // block per glyph.
    const auto found = cache->byKey.find(KeyValue(key));
    if (found != cache->byKey.end() && found->second != i)
        cache->blocks[found->second].key = {};
    cache->blocks[i].key = key;
    cache->byKey[KeyValue(key)] = i;
}

// Gives the glyph the block: whole when it fits exactly, else `tail` ? the
// block's last bytes : its first bytes, the rest staying free at the front.
void Take(GlyphCache* cache, int32_t i, GlyphKey key, uint32_t size, bool tail, uint32_t* address)
{
    Evict(cache, i);
    Unlink(cache, i);
    GlyphBlock& block = cache->blocks[i];
    if (block.size == size) {
        Store(cache, i, key);
        LinkBack(cache, i);
        *address = block.address;
        return;
    }
    const uint32_t glyphAddress = tail ? block.address + block.size - size : block.address;
    const uint32_t restAddress = tail ? block.address : block.address + size;
    const uint32_t restSize = block.size - size;
    block.address = restAddress;
    block.size = restSize;
    LinkFront(cache, i);
    const int32_t glyph = NewBlock(cache, glyphAddress, size);
    Store(cache, glyph, key);
    LinkBack(cache, glyph);
    *address = glyphAddress;
}

// The block that starts where block i ends or ends where it starts; -1 when none.
int32_t Adjacent(const GlyphCache* cache, int32_t i)
{
    const GlyphBlock& block = cache->blocks[i];
    for (int32_t j = cache->front; j >= 0; j = cache->blocks[j].next) {
        const GlyphBlock& other = cache->blocks[j];
        if (j != i && (other.address == block.address + block.size || other.address + other.size == block.address))
            return j;
    }
    return -1;
}

int Allocate(GlyphCache* cache, GlyphKey key, uint32_t size, uint32_t* address)
{
    const uint32_t rounded = (size + kGlyphBlockAlign - 1) / kGlyphBlockAlign * kGlyphBlockAlign;
    if (size == 0 || rounded < size || rounded >= cache->capacity)
        return kGlyphCacheNoRoom;
    // Room for one more block and key first, so that nothing below can fail
    // half way through a change of the model.
    cache->blocks.reserve(cache->blocks.size() + 1);
    cache->byKey.reserve(cache->byKey.size() + 1);
    for (int32_t i = cache->front; i >= 0; i = cache->blocks[i].next)
        if (cache->blocks[i].size >= rounded) {
            Take(cache, i, key, rounded, true, address);
            return kGlyphCacheOk;
        }
    // Nothing large enough: grow the front block by its neighbours in memory.
    const int32_t first = cache->front;
    Evict(cache, first);
    while (cache->blocks[first].size < rounded) {
        const int32_t neighbour = Adjacent(cache, first);
        if (neighbour < 0)
            return kGlyphCacheNoRoom;
        Evict(cache, neighbour);
        GlyphBlock& grown = cache->blocks[first];
        const GlyphBlock& taken = cache->blocks[neighbour];
        grown.address = grown.address < taken.address ? grown.address : taken.address;
        grown.size += taken.size;
        Unlink(cache, neighbour);
        cache->spare.push_back(neighbour);
    }
    Take(cache, first, key, rounded, false, address);
    return kGlyphCacheOk;
}

}  // namespace

bool OpenGlyphCache(GlyphCache* cache, uint32_t capacity)
{
    CloseGlyphCache(cache);
    cache->capacity = capacity / kGlyphBlockAlign * kGlyphBlockAlign;
    if (cache->capacity == 0)
        return false;
    try {
        cache->blocks.reserve(64);
    } catch (const std::bad_alloc&) {
        cache->capacity = 0;
        return false;
    }
    LinkBack(cache, NewBlock(cache, 0, cache->capacity));
    return true;
}

void CloseGlyphCache(GlyphCache* cache)
{
    cache->capacity = 0;
    cache->blocks.clear();
    cache->spare.clear();
    cache->byKey.clear();
    cache->front = cache->back = -1;
}

bool IsGlyphCacheOpen(const GlyphCache* cache)
{
    return cache->capacity != 0;
}

int FindGlyphBlock(GlyphCache* cache, GlyphKey key, uint32_t* address)
{
    if (!IsGlyphCacheOpen(cache) || KeyValue(key) == 0)
        return kGlyphCacheNotFound;
    const auto found = cache->byKey.find(KeyValue(key));
    if (found == cache->byKey.end())
        return kGlyphCacheNotFound;
    const int32_t i = found->second;
    Unlink(cache, i);
    LinkBack(cache, i);
    *address = cache->blocks[i].address;
    return kGlyphCacheOk;
}

int AllocateGlyphBlock(GlyphCache* cache, GlyphKey key, uint32_t size, bool store, uint32_t* address)
{
    if (!IsGlyphCacheOpen(cache))
        return kGlyphCacheNoRoom;
    try {
        if (store)
            return Allocate(cache, key, size, address);
        // Where it would go: the same allocation on a copy of the model.
        GlyphCache trial = *cache;
        return Allocate(&trial, key, size, address);
    } catch (const std::bad_alloc&) {
        return kGlyphCacheNoMemory;
    }
}
