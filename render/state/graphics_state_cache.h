// The last value sent for each attribute of the printer's graphics state, so
// that the command layer can leave out commands that would change nothing.
// Each attribute has an equality test (always false while comparing is off)
// and a setter (which updates the value whether comparing is on or not).
#pragma once
#include <cstdint>

constexpr uint32_t kMaxPaletteBytes = 768;  // 256 entries of 3 bytes

// The colour pattern brush as sent with "AP".
struct CachedBrush {
    int32_t x, y;
    uint8_t use, format, bits;
    uint16_t width, height;
    uint8_t planes;
    uint32_t length;
    const uint8_t* data;  // the caller's bytes; the cache keeps a copy of its own
};

struct GraphicsStateCache {
    int enabled;
    float matrix[6];
    float lineWidth;
    int32_t lineJoin;  // byte values; -1 matches none
    int32_t lineCap;
    float miterLimit;
    int32_t jobOption;
    uint16_t fillRule;
    uint16_t paintOperation;
    uint16_t mixKind;
    int32_t mixValue;
    uint8_t colourTarget;
    uint8_t colourFormat;
    uint32_t colour;  // packed; 0xFFFFFFFF matches none
    uint8_t lineStyle;
    bool hasBrush;
    CachedBrush brush;  // brush.data points at the cache's own copy
    uint8_t backgroundUse, backgroundFormat, backgroundMode;
    uint32_t backgroundColour;
    int32_t jobOptions[2];
    uint16_t paletteCount;
    uint8_t paletteKind;
    uint8_t palette[kMaxPaletteBytes];
    uint16_t jobValueKind1;
    uint16_t jobValueOther;
    int32_t font;
    float fontMatrix[6];
    uint16_t jobKind[2];  // byte values; 0xFFFF matches none
    bool paletteKnown;    // false after a palette the cache could not keep: matches none
};

// Global memory, comparing on, every value as after a page reset.
GraphicsStateCache* CreateStateCache();
void FreeStateCache(GraphicsStateCache* cache);

// Returns the previous flag; replays of recorded pages and escape data switch
// comparing off around themselves.
int SwapStateCacheMode(GraphicsStateCache* cache, int enabled);

void ResetStatePageValues(GraphicsStateCache* cache);
void InvalidateStateCache(GraphicsStateCache* cache);
void ForgetColour(GraphicsStateCache* cache);
void ForgetBrush(GraphicsStateCache* cache);
void ForgetLineStyle(GraphicsStateCache* cache);

// Packed colour: grey g (format 3) as g * 0x010101, RGB (format 4) as r << 16 | g << 8 | b.
uint32_t PackColour(uint8_t format, const uint8_t bytes[3]);

bool CachedMatrixEquals(const GraphicsStateCache* cache, const float m[6]);
void CacheMatrix(GraphicsStateCache* cache, const float m[6]);
bool CachedLineWidthEquals(const GraphicsStateCache* cache, float width);
void CacheLineWidth(GraphicsStateCache* cache, float width);
bool CachedLineJoinEquals(const GraphicsStateCache* cache, uint8_t join);
void CacheLineJoin(GraphicsStateCache* cache, uint8_t join);
bool CachedLineCapEquals(const GraphicsStateCache* cache, uint8_t cap);
void CacheLineCap(GraphicsStateCache* cache, uint8_t cap);
bool CachedMiterLimitEquals(const GraphicsStateCache* cache, float limit);
void CacheMiterLimit(GraphicsStateCache* cache, float limit);
bool CachedJobOptionEquals(const GraphicsStateCache* cache, uint8_t option);
void CacheJobOption(GraphicsStateCache* cache, uint8_t option);
bool CachedFillRuleEquals(const GraphicsStateCache* cache, uint16_t rule);
void CacheFillRule(GraphicsStateCache* cache, uint16_t rule);
bool CachedPaintOperationEquals(const GraphicsStateCache* cache, uint16_t operation);
void CachePaintOperation(GraphicsStateCache* cache, uint16_t operation);
bool CachedMixEquals(const GraphicsStateCache* cache, uint16_t kind, int32_t value);
void CacheMix(GraphicsStateCache* cache, uint16_t kind, int32_t value);
// A colour is the same only for the same target, format and colour: a fill
// in the colour of the last stroke must still be sent.
bool CachedColourEquals(const GraphicsStateCache* cache, uint8_t target, uint8_t format, const uint8_t bytes[3]);
void CacheColour(GraphicsStateCache* cache, uint8_t target, uint8_t format, const uint8_t bytes[3]);
bool CachedLineStyleEquals(const GraphicsStateCache* cache, uint8_t style);
void CacheLineStyle(GraphicsStateCache* cache, uint8_t style);
// Equal only when a copy exists and every field and data byte matches.
bool CachedBrushEquals(const GraphicsStateCache* cache, const CachedBrush& brush);
// Keeps a copy of the data; false (and no brush cached) when there is no memory.
bool CacheBrush(GraphicsStateCache* cache, const CachedBrush& brush);
bool CachedBackgroundEquals(const GraphicsStateCache* cache, uint8_t use, uint8_t format, uint8_t mode,
                            const uint8_t bytes[3]);
void CacheBackground(GraphicsStateCache* cache, uint8_t use, uint8_t format, uint8_t mode, const uint8_t bytes[3]);
bool CachedJobOptionsEquals(const GraphicsStateCache* cache, int32_t first, int32_t second);
void CacheJobOptions(GraphicsStateCache* cache, int32_t first, int32_t second);
// Compares the count, the kind and the first `length` bytes; a palette longer
// than 768 bytes is never equal and is not cached, and the palette sent before
// it is forgotten (the device now holds the long one).
bool CachedPaletteEquals(const GraphicsStateCache* cache, uint16_t count, uint8_t kind, const uint8_t* bytes,
                         uint32_t length);
bool CachePalette(GraphicsStateCache* cache, uint16_t count, uint8_t kind, const uint8_t* bytes, uint32_t length);
// Kind 1 has a value of its own; every other kind shares one.
bool CachedJobValueEquals(const GraphicsStateCache* cache, uint8_t kind, uint16_t value);
void CacheJobValue(GraphicsStateCache* cache, uint8_t kind, uint16_t value);
bool CachedFontEquals(const GraphicsStateCache* cache, int32_t font);
void CacheFont(GraphicsStateCache* cache, int32_t font);
bool CachedFontMatrixEquals(const GraphicsStateCache* cache, const float m[6]);
void CacheFontMatrix(GraphicsStateCache* cache, const float m[6]);
bool CachedJobKindEquals(const GraphicsStateCache* cache, uint8_t a, uint8_t b);
void CacheJobKind(GraphicsStateCache* cache, uint8_t a, uint8_t b);

// Copies out the cached placement matrix (`SaveStateCache`), or the cached mix.
void SaveStateCache(const GraphicsStateCache* cache, float m[6]);
void GetCachedColourSelection(const GraphicsStateCache* cache, uint16_t* kind, int32_t* value);
// Stores a matrix that was recorded rather than sent.
void SetCachedMatrix(GraphicsStateCache* cache, const float m[6]);
