#include "render/state/graphics_state_cache.h"

#include <windows.h>

#include <cstring>

namespace {

constexpr int32_t kNoByteValue = -1;
constexpr uint32_t kNoColour = 0xFFFFFFFF;
constexpr uint8_t kNoLineStyle = 255;
constexpr uint16_t kNoJobKind = 0xFFFF;

bool Comparing(const GraphicsStateCache* cache)
{
    return cache != nullptr && cache->enabled != 0;
}

// An unordered comparison (NaN) counts as different.
bool SameFloat(float a, float b)
{
    return a == b;
}

}  // namespace

GraphicsStateCache* CreateStateCache()
{
    auto* cache = static_cast<GraphicsStateCache*>(GlobalAlloc(GPTR, sizeof(GraphicsStateCache)));
    if (cache == nullptr)
        return nullptr;
    cache->enabled = 1;
    ResetStatePageValues(cache);
    InvalidateStateCache(cache);
    return cache;
}

void FreeStateCache(GraphicsStateCache* cache)
{
    if (cache == nullptr)
        return;
    ForgetBrush(cache);
    GlobalFree(cache);
}

int SwapStateCacheMode(GraphicsStateCache* cache, int enabled)
{
    if (cache == nullptr)
        return 0;
    const int previous = cache->enabled;
    cache->enabled = enabled;
    return previous;
}

void ResetStatePageValues(GraphicsStateCache* cache)
{
    if (cache == nullptr)
        return;
    std::memset(cache->matrix, 0, sizeof(cache->matrix));
    cache->lineWidth = 0.0f;
    cache->lineJoin = kNoByteValue;
    cache->lineCap = kNoByteValue;
    cache->miterLimit = -1.0f;
    cache->jobOption = kNoByteValue;
    cache->fillRule = 0;
    cache->paintOperation = 0;
    cache->mixKind = 0;  // the mix value is kept
    ForgetColour(cache);
    ForgetLineStyle(cache);
    ForgetBrush(cache);
    cache->backgroundUse = 0;
    cache->backgroundFormat = 0;
    cache->backgroundMode = 0;
    cache->backgroundColour = 0;
    cache->jobOptions[0] = -1;
    cache->jobOptions[1] = -1;
    cache->paletteCount = 0;
    cache->paletteKind = 0;
    cache->paletteKnown = true;
}

void InvalidateStateCache(GraphicsStateCache* cache)
{
    if (cache == nullptr)
        return;
    cache->jobValueKind1 = 0;
    cache->jobValueOther = 0;
    cache->font = 0;
    std::memset(cache->fontMatrix, 0, sizeof(cache->fontMatrix));
    cache->jobKind[0] = kNoJobKind;
    cache->jobKind[1] = kNoJobKind;
}

void ForgetColour(GraphicsStateCache* cache)
{
    if (cache == nullptr)
        return;
    cache->colourTarget = 0;
    cache->colourFormat = 0;
    cache->colour = kNoColour;
}

void ForgetBrush(GraphicsStateCache* cache)
{
    if (cache == nullptr)
        return;
    if (cache->hasBrush && cache->brush.data != nullptr)
        GlobalFree(const_cast<uint8_t*>(cache->brush.data));
    cache->hasBrush = false;
    cache->brush = {};
}

void ForgetLineStyle(GraphicsStateCache* cache)
{
    if (cache != nullptr)
        cache->lineStyle = kNoLineStyle;
}

uint32_t PackColour(uint8_t format, const uint8_t bytes[3])
{
    if (format == 3)
        return bytes[0] * 0x010101u;
    return (uint32_t{bytes[0]} << 16) | (uint32_t{bytes[1]} << 8) | bytes[2];
}

bool CachedMatrixEquals(const GraphicsStateCache* cache, const float m[6])
{
    return Comparing(cache) && std::memcmp(cache->matrix, m, sizeof(cache->matrix)) == 0;
}

void CacheMatrix(GraphicsStateCache* cache, const float m[6])
{
    std::memcpy(cache->matrix, m, sizeof(cache->matrix));
}

bool CachedLineWidthEquals(const GraphicsStateCache* cache, float width)
{
    return Comparing(cache) && SameFloat(cache->lineWidth, width);
}

void CacheLineWidth(GraphicsStateCache* cache, float width)
{
    cache->lineWidth = width;
}

bool CachedLineJoinEquals(const GraphicsStateCache* cache, uint8_t join)
{
    return Comparing(cache) && cache->lineJoin == join;
}

void CacheLineJoin(GraphicsStateCache* cache, uint8_t join)
{
    cache->lineJoin = join;
}

bool CachedLineCapEquals(const GraphicsStateCache* cache, uint8_t cap)
{
    return Comparing(cache) && cache->lineCap == cap;
}

void CacheLineCap(GraphicsStateCache* cache, uint8_t cap)
{
    cache->lineCap = cap;
}

bool CachedMiterLimitEquals(const GraphicsStateCache* cache, float limit)
{
    return Comparing(cache) && SameFloat(cache->miterLimit, limit);
}

void CacheMiterLimit(GraphicsStateCache* cache, float limit)
{
    cache->miterLimit = limit;
}

bool CachedJobOptionEquals(const GraphicsStateCache* cache, uint8_t option)
{
    return Comparing(cache) && cache->jobOption == option;
}

void CacheJobOption(GraphicsStateCache* cache, uint8_t option)
{
    cache->jobOption = option;
}

bool CachedFillRuleEquals(const GraphicsStateCache* cache, uint16_t rule)
{
    return Comparing(cache) && cache->fillRule == rule;
}

void CacheFillRule(GraphicsStateCache* cache, uint16_t rule)
{
    cache->fillRule = rule;
}

bool CachedPaintOperationEquals(const GraphicsStateCache* cache, uint16_t operation)
{
    return Comparing(cache) && cache->paintOperation == operation;
}

void CachePaintOperation(GraphicsStateCache* cache, uint16_t operation)
{
    cache->paintOperation = operation;
}

bool CachedMixEquals(const GraphicsStateCache* cache, uint16_t kind, int32_t value)
{
    return Comparing(cache) && cache->mixKind == kind && cache->mixValue == value;
}

void CacheMix(GraphicsStateCache* cache, uint16_t kind, int32_t value)
{
    cache->mixKind = kind;
    cache->mixValue = value;
}

bool CachedColourEquals(const GraphicsStateCache* cache, uint8_t target, uint8_t format, const uint8_t bytes[3])
{
    return Comparing(cache) && cache->colourTarget == target && cache->colourFormat == format &&
           cache->colour == PackColour(format, bytes);
}

void CacheColour(GraphicsStateCache* cache, uint8_t target, uint8_t format, const uint8_t bytes[3])
{
    cache->colourTarget = target;
    cache->colourFormat = format;
    cache->colour = PackColour(format, bytes);
}

bool CachedLineStyleEquals(const GraphicsStateCache* cache, uint8_t style)
{
    return Comparing(cache) && cache->lineStyle == style;
}

void CacheLineStyle(GraphicsStateCache* cache, uint8_t style)
{
    cache->lineStyle = style;
}

bool CachedBrushEquals(const GraphicsStateCache* cache, const CachedBrush& b)
{
    if (!Comparing(cache) || !cache->hasBrush)
        return false;
    const CachedBrush& c = cache->brush;
    if (c.x != b.x || c.y != b.y || c.use != b.use || c.format != b.format || c.bits != b.bits ||
        c.width != b.width || c.height != b.height || c.planes != b.planes || c.length != b.length)
        return false;
    if (b.length == 0)
        return true;
    return b.data != nullptr && std::memcmp(c.data, b.data, b.length) == 0;
}

bool CacheBrush(GraphicsStateCache* cache, const CachedBrush& brush)
{
    ForgetBrush(cache);
    if (brush.length != 0 && brush.data == nullptr)
        return false;
    auto* copy = static_cast<uint8_t*>(GlobalAlloc(GMEM_FIXED, brush.length != 0 ? brush.length : 1));
    if (copy == nullptr)
        return false;
    if (brush.length != 0)
        std::memcpy(copy, brush.data, brush.length);
    cache->brush = brush;
    cache->brush.data = copy;
    cache->hasBrush = true;
    return true;
}

bool CachedBackgroundEquals(const GraphicsStateCache* cache, uint8_t use, uint8_t format, uint8_t mode,
                            const uint8_t bytes[3])
{
    return Comparing(cache) && cache->backgroundUse == use && cache->backgroundFormat == format &&
           cache->backgroundMode == mode && cache->backgroundColour == PackColour(format, bytes);
}

void CacheBackground(GraphicsStateCache* cache, uint8_t use, uint8_t format, uint8_t mode, const uint8_t bytes[3])
{
    cache->backgroundUse = use;
    cache->backgroundFormat = format;
    cache->backgroundMode = mode;
    cache->backgroundColour = PackColour(format, bytes);
}

bool CachedJobOptionsEquals(const GraphicsStateCache* cache, int32_t first, int32_t second)
{
    return Comparing(cache) && cache->jobOptions[0] == first && cache->jobOptions[1] == second;
}

void CacheJobOptions(GraphicsStateCache* cache, int32_t first, int32_t second)
{
    cache->jobOptions[0] = first;
    cache->jobOptions[1] = second;
}

bool CachedPaletteEquals(const GraphicsStateCache* cache, uint16_t count, uint8_t kind, const uint8_t* bytes,
                         uint32_t length)
{
    if (!Comparing(cache) || length > kMaxPaletteBytes || (bytes == nullptr && length != 0))
        return false;
    return cache->paletteKnown && cache->paletteCount == count && cache->paletteKind == kind &&
           (length == 0 || std::memcmp(cache->palette, bytes, length) == 0);
}

bool CachePalette(GraphicsStateCache* cache, uint16_t count, uint8_t kind, const uint8_t* bytes, uint32_t length)
{
    // The copy is bounded by the cache's room: a longer palette is not kept,
    // and the one before it no longer describes the device.
    if (length > kMaxPaletteBytes || (bytes == nullptr && length != 0)) {
        cache->paletteKnown = false;
        return false;
    }
    cache->paletteKnown = true;
    cache->paletteCount = count;
    cache->paletteKind = kind;
    if (length != 0)
        std::memcpy(cache->palette, bytes, length);
    return true;
}

bool CachedJobValueEquals(const GraphicsStateCache* cache, uint8_t kind, uint16_t value)
{
    return Comparing(cache) && (kind == 1 ? cache->jobValueKind1 : cache->jobValueOther) == value;
}

void CacheJobValue(GraphicsStateCache* cache, uint8_t kind, uint16_t value)
{
    (kind == 1 ? cache->jobValueKind1 : cache->jobValueOther) = value;
}

bool CachedFontEquals(const GraphicsStateCache* cache, int32_t font)
{
    return Comparing(cache) && cache->font == font;
}

void CacheFont(GraphicsStateCache* cache, int32_t font)
{
    cache->font = font;
}

bool CachedFontMatrixEquals(const GraphicsStateCache* cache, const float m[6])
{
    return Comparing(cache) && std::memcmp(cache->fontMatrix, m, sizeof(cache->fontMatrix)) == 0;
}

void CacheFontMatrix(GraphicsStateCache* cache, const float m[6])
{
    std::memcpy(cache->fontMatrix, m, sizeof(cache->fontMatrix));
}

bool CachedJobKindEquals(const GraphicsStateCache* cache, uint8_t a, uint8_t b)
{
    return Comparing(cache) && cache->jobKind[0] == a && cache->jobKind[1] == b;
}

void CacheJobKind(GraphicsStateCache* cache, uint8_t a, uint8_t b)
{
    cache->jobKind[0] = a;
    cache->jobKind[1] = b;
}

void SaveStateCache(const GraphicsStateCache* cache, float m[6])
{
    std::memcpy(m, cache->matrix, sizeof(cache->matrix));
}

void GetCachedColourSelection(const GraphicsStateCache* cache, uint16_t* kind, int32_t* value)
{
    if (kind != nullptr)
        *kind = cache->mixKind;
    if (value != nullptr)
        *value = cache->mixValue;
}

void SetCachedMatrix(GraphicsStateCache* cache, const float m[6])
{
    CacheMatrix(cache, m);
}
