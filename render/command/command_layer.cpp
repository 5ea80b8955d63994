#include "render/command/command_layer.h"

#include "common/system/code_pages.h"
#include "render/morva/morva_operands.h"
#include "render/morva/morva_scalars.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace {

constexpr int32_t kInt16Min = -32768;
constexpr int32_t kInt16Max = 32767;
constexpr Fix kFixRepresentableMin = -0x80000;
constexpr Fix kFixRepresentableMax = 0x7FFFF;

// The most points one path command carries (its count field is 16 bits).
constexpr size_t kMaxPointsPerCommand = kMaxInt16Count;
constexpr size_t kMaxSegmentsPerCommand = kMaxInt16Count;

// The 8 x 8 pattern of the shading brush.
constexpr uint8_t kShadingPattern[8] = {0xBB, 0xBB, 0xEE, 0xEE, 0xBB, 0xBB, 0xEE, 0xEE};

bool InInt16(int64_t v)
{
    return v >= kInt16Min && v <= kInt16Max;
}

bool IsWholeInRange(float v, float low, float high)
{
    return v >= low && v <= high && std::floor(v) == v;
}

bool IsRepresentable(FixPoint p)
{
    return (p.x & 15) == 0 && (p.y & 15) == 0 && p.x >= kFixRepresentableMin && p.x <= kFixRepresentableMax &&
           p.y >= kFixRepresentableMin && p.y <= kFixRepresentableMax;
}

bool AllRepresentable(std::span<const FixPoint> points)
{
    return std::all_of(points.begin(), points.end(), IsRepresentable);
}

MorvaPoint ToPixels(FixPoint p)
{
    return {p.x / 16, p.y / 16};
}

MorvaPointF ToFloats(FixPoint p)
{
    return {static_cast<float>(p.x) / 16.0f, static_cast<float>(p.y) / 16.0f};
}

// The ANSI form of a job text; false when it cannot be converted.
bool ToAnsi(const wchar_t* text, std::vector<uint8_t>* ansi)
{
    if (!text)
        return false;
    const int needed = WideToMultiByte(CP_ACP, text, nullptr, 0);
    if (needed < 1)
        return false;
    ansi->assign(static_cast<size_t>(needed), 0);
    if (needed > 1 && WideToMultiByte(CP_ACP, text, reinterpret_cast<char*>(ansi->data()), needed) != needed - 1)
        return false;
    ansi->resize(static_cast<size_t>(needed - 1));
    return true;
}

// Deltas of the points from the current point: "B0" only when each fits 16 bits.
bool DeltasFit(MorvaPoint current, std::span<const MorvaPoint> points)
{
    for (const MorvaPoint& p : points) {
        if (!InInt16(int64_t{p.x} - current.x) || !InInt16(int64_t{p.y} - current.y))
            return false;
        current = p;
    }
    return true;
}

int SendLineStyle(CommandLayer* layer, int style, float offset, std::span<const float> lengths)
{
    if (style != kLineStyleUserDash) {
        if (CachedLineStyleEquals(layer->state, static_cast<uint8_t>(style)))
            return 0;
        const int r = WriteLineStyle(layer->stream, style, 0, {});
        CacheLineStyle(layer->state, static_cast<uint8_t>(style));  // kept even when the write failed
        return r;
    }
    bool whole = IsWholeInRange(offset, kInt16Min, kInt16Max);
    for (float length : lengths)
        whole = whole && IsWholeInRange(length, kInt16Min, kInt16Max);
    int r;
    if (whole) {
        std::vector<int16_t> integers;
        try {
            integers.reserve(lengths.size());
        } catch (const std::bad_alloc&) {
            return -1;
        }
        for (float length : lengths)
            integers.push_back(static_cast<int16_t>(length));
        r = WriteLineStyle(layer->stream, style, static_cast<int32_t>(offset), integers);
    } else {
        r = WriteLineStyleF(layer->stream, style, offset, lengths);
    }
    if (r == 0)
        ForgetLineStyle(layer->state);
    return r;
}

}  // namespace

CommandLayer* CreateCommandLayer(const CommandLayerSetup& setup)
{
    CommandLayer* layer = new (std::nothrow) CommandLayer{};
    if (!layer)
        return nullptr;
    layer->perPageReset = 1;
    layer->stream = setup.stream;
    layer->streamVersion = setup.streamVersion;
    layer->glyphId16 = setup.streamVersion >= kStreamVersionGlyphId16;
    layer->externalProcessing = setup.externalProcessing;
    layer->glyphCapacity = setup.externalProcessing ? 0 : setup.glyphCacheCapacity;
    layer->state = CreateStateCache();
    if (!layer->state || (layer->glyphCapacity != 0 && !OpenGlyphCache(&layer->glyphs, layer->glyphCapacity))) {
        FreeCommandLayer(layer);
        return nullptr;
    }
    return layer;
}

void FreeCommandLayer(CommandLayer* layer)
{
    if (!layer)
        return;
    CloseGlyphCache(&layer->glyphs);
    if (layer->state)
        FreeStateCache(layer->state);
    delete layer;
}

void SetCommandLayerModes(CommandLayer* layer, int perPageReset)
{
    layer->perPageReset = perPageReset;
}

void SetStreamVersionField(CommandLayer* layer, uint32_t version)
{
    layer->streamVersion = version;
}

int ResetCommandLayerForPage(CommandLayer* layer)
{
    if (layer->perPageReset == 1) {
        if (IsGlyphCacheOpen(&layer->glyphs) && !OpenGlyphCache(&layer->glyphs, layer->glyphCapacity))
            return -1;
        InvalidateStateCache(layer->state);
    }
    ResetStatePageValues(layer->state);
    return 0;
}

bool IsGlyphCacheEnabled(const CommandLayer* layer)
{
    return IsGlyphCacheOpen(&layer->glyphs);
}

int FindCachedGlyph(CommandLayer* layer, GlyphKey key, uint32_t* address)
{
    if (!IsGlyphCacheOpen(&layer->glyphs))
        return -1;
    return FindGlyphBlock(&layer->glyphs, key, address);
}

int AddCachedGlyph(CommandLayer* layer, GlyphKey key, uint32_t size, bool store, uint32_t* address)
{
    if (!IsGlyphCacheOpen(&layer->glyphs))
        return -1;
    return AllocateGlyphBlock(&layer->glyphs, key, size, store, address);
}

int ResetGlyphCache(CommandLayer* layer)
{
    if (!IsGlyphCacheOpen(&layer->glyphs))
        return -1;
    return OpenGlyphCache(&layer->glyphs, layer->glyphCapacity) ? 0 : -1;
}

// ---- Graphics state ----

int EmitPageAxis(CommandLayer* layer, int orientationCode)
{
    return WriteAxisMatrix(layer->stream, orientationCode);
}

int EmitPlacementMatrix(CommandLayer* layer, const float m[6])
{
    if (CachedMatrixEquals(layer->state, m))
        return 0;
    if (WritePlacementMatrix(layer->stream, m))
        return -1;
    CacheMatrix(layer->state, m);
    return 0;
}

void SetCachedMatrix(CommandLayer* layer, const float m[6])
{
    SetCachedMatrix(layer->state, m);
}

int EmitClipRect(CommandLayer* layer, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    if (InInt16(left) && InInt16(top) && InInt16(right) && InInt16(bottom))
        return WriteClipRect(layer->stream, left, top, right, bottom);
    return WriteClipRectF(layer->stream, static_cast<float>(left), static_cast<float>(top),
                          static_cast<float>(right), static_cast<float>(bottom));
}

int EmitClipToPath(CommandLayer* layer)
{
    return WriteClipToPath(layer->stream);
}

int EmitClipReset(CommandLayer* layer)
{
    return WriteClipReset(layer->stream);
}

int EmitLineWidth(CommandLayer* layer, float width)
{
    if (CachedLineWidthEquals(layer->state, width))
        return 0;
    const int r = IsWholeInRange(width, kInt16Min, kInt16Max)
                      ? WriteLineWidth(layer->stream, static_cast<int32_t>(width))
                      : WriteLineWidthF(layer->stream, width);
    if (r == 0)
        CacheLineWidth(layer->state, width);
    return r;
}

int EmitLineCap(CommandLayer* layer, uint8_t cap)
{
    if (CachedLineCapEquals(layer->state, cap))
        return 0;
    if (WriteLineCap(layer->stream, cap))
        return -1;
    CacheLineCap(layer->state, cap);
    return 0;
}

int EmitLineJoin(CommandLayer* layer, uint8_t join)
{
    if (CachedLineJoinEquals(layer->state, join))
        return 0;
    if (WriteLineJoin(layer->stream, join))
        return -1;
    CacheLineJoin(layer->state, join);
    return 0;
}

int EmitMiterLimit(CommandLayer* layer, float limit)
{
    if (CachedMiterLimitEquals(layer->state, limit))
        return 0;
    const int r = IsWholeInRange(limit, -128, 127) ? WriteMiterLimit(layer->stream, static_cast<int32_t>(limit))
                                                   : WriteMiterLimitF(layer->stream, limit);
    if (r == 0)
        CacheMiterLimit(layer->state, limit);
    return r;
}

int EmitLineStyle(CommandLayer* layer, int style, float offset, std::span<const float> lengths)
{
    return SendLineStyle(layer, style, offset, lengths);
}

int EmitLineStyle32(CommandLayer* layer, int style, int32_t offset, std::span<const int32_t> lengths)
{
    std::vector<float> converted;
    try {
        converted.assign(lengths.begin(), lengths.end());
    } catch (const std::bad_alloc&) {
        return -1;
    }
    return SendLineStyle(layer, style, static_cast<float>(offset), converted);
}

int EmitJobOption(CommandLayer* layer, uint8_t option)
{
    if (CachedJobOptionEquals(layer->state, option))
        return 0;
    if (WriteJobOption(layer->stream, option != 0))
        return -1;
    CacheJobOption(layer->state, option);
    return 0;
}

int EmitFillRule(CommandLayer* layer, uint16_t rule)
{
    if (CachedFillRuleEquals(layer->state, rule))
        return 0;
    if (WriteFillRule(layer->stream, rule))
        return -1;
    CacheFillRule(layer->state, rule);
    return 0;
}

int EmitPaintOperation(CommandLayer* layer, uint16_t operation)
{
    if (CachedPaintOperationEquals(layer->state, operation))
        return 0;
    if (WritePaintOperation(layer->stream, operation))
        return -1;
    CachePaintOperation(layer->state, operation);
    return 0;
}

int EmitMix(CommandLayer* layer, uint16_t kind, int32_t value)
{
    if (CachedMixEquals(layer->state, kind, value))
        return 0;
    if (WriteMix(layer->stream, kind, value))
        return -1;
    CacheMix(layer->state, kind, value);
    // The printer's colour depends on the mix: the next colour goes out again.
    ForgetColour(layer->state);
    return 0;
}

int EmitColour(CommandLayer* layer, uint8_t target, const MorvaColour& colour)
{
    if (CachedColourEquals(layer->state, target, colour.format, colour.bytes))
        return 0;
    if (WriteSolidColour(layer->stream, target, colour))
        return -1;
    CacheColour(layer->state, target, colour.format, colour.bytes);
    ForgetBrush(layer->state);
    return 0;
}

int EmitHatchStyleBrush(CommandLayer* layer, int32_t x, int32_t y, int32_t use, const MorvaColour& colour,
                        int32_t hatch)
{
    const int r = InInt16(x) && InInt16(y)
                      ? WriteHatchBrush(layer->stream, x, y, use, colour, hatch)
                      : WriteHatchBrushF(layer->stream, static_cast<float>(x), static_cast<float>(y), use, colour, hatch);
    if (r == 0) {
        ForgetColour(layer->state);
        ForgetBrush(layer->state);
    }
    return r;
}

int EmitPatternBrush(CommandLayer* layer, int32_t x, int32_t y, int32_t use, const MorvaColour& colour,
                     const MonoPattern& pattern)
{
    const int r = InInt16(x) && InInt16(y) ? WritePatternBrush(layer->stream, x, y, use, colour, pattern)
                                           : WritePatternBrushF(layer->stream, static_cast<float>(x),
                                                                static_cast<float>(y), use, colour, pattern);
    if (r == 0) {
        ForgetColour(layer->state);
        ForgetBrush(layer->state);
    }
    return r;
}

int EmitColourPatternBrush(CommandLayer* layer, const ColourPattern& pattern)
{
    const CachedBrush brush = {pattern.x,
                               pattern.y,
                               pattern.use,
                               pattern.format,
                               8,
                               static_cast<uint16_t>(pattern.width),
                               static_cast<uint16_t>(pattern.height),
                               1,
                               pattern.length,
                               pattern.data};
    if (CachedBrushEquals(layer->state, brush))
        return 0;
    if (WriteColourPatternBrush(layer->stream, pattern))
        return -1;
    CacheBrush(layer->state, brush);
    ForgetColour(layer->state);
    return 0;
}

int EmitBrushBackground(CommandLayer* layer, uint8_t use, uint8_t mode, const MorvaColour& colour)
{
    // With the outside processing library every background is sent: its pages
    // are drawn apart from the state the printer keeps.
    if (!layer->externalProcessing &&
        CachedBackgroundEquals(layer->state, use, colour.format, mode, colour.bytes))
        return 0;
    if (WriteBrushBackground(layer->stream, use, mode, colour))
        return -1;
    CacheBackground(layer->state, use, colour.format, mode, colour.bytes);
    return 0;
}

int EmitHatchBrush(CommandLayer* layer, int32_t use, uint32_t v)
{
    // The two commands take the colour bytes of v in opposite orders.
    const MorvaColour background = {kColourFormatRgb,
                                    {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                                     static_cast<uint8_t>(v >> 16)}};
    const MorvaColour pattern = {kColourFormatRgb,
                                 {static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
                                  static_cast<uint8_t>(v)}};
    const int first = EmitBrushBackground(layer, static_cast<uint8_t>(use), 2, background);
    const int second = EmitPatternBrush(layer, 0, 0, use, pattern, MonoPattern{8, 8, kShadingPattern});
    return first || second ? -1 : 0;
}

int EmitJobOptions(CommandLayer* layer, bool first, bool second)
{
    if (CachedJobOptionsEquals(layer->state, first, second))
        return 0;
    if (WriteJobOptions(layer->stream, first, second))
        return -1;
    CacheJobOptions(layer->state, first, second);
    return 0;
}

// ---- Paths and shapes ----

int EmitPathStart(CommandLayer* layer)
{
    return WritePathStart(layer->stream);
}

int EmitClosePath(CommandLayer* layer)
{
    layer->hasCurrentPoint = false;
    return WriteClosePath(layer->stream);
}

int EmitPathEnd(CommandLayer* layer)
{
    layer->hasCurrentPoint = false;
    return WritePathEnd(layer->stream);
}

int EmitMoveTo(CommandLayer* layer, FixPoint point)
{
    if (!IsRepresentable(point)) {
        layer->hasCurrentPoint = false;
        const MorvaPointF p = ToFloats(point);
        return WriteMoveToF(layer->stream, p.x, p.y);
    }
    const MorvaPoint p = ToPixels(point);
    if (WriteMoveTo(layer->stream, p.x, p.y)) {
        layer->hasCurrentPoint = false;
        return -1;
    }
    layer->hasCurrentPoint = true;
    layer->current = p;
    return 0;
}

int EmitPolyline(CommandLayer* layer, std::span<const FixPoint> points)
{
    for (size_t done = 0; done < points.size();) {
        const std::span<const FixPoint> run = points.subspan(done, std::min(points.size() - done, kMaxPointsPerCommand));
        done += run.size();
        if (!AllRepresentable(run)) {
            layer->hasCurrentPoint = false;
            std::vector<MorvaPointF> floats;
            try {
                floats.reserve(run.size());
            } catch (const std::bad_alloc&) {
                return -1;
            }
            for (const FixPoint& p : run)
                floats.push_back(ToFloats(p));
            if (WritePolylineF(layer->stream, floats))
                return -1;
            continue;
        }
        std::vector<MorvaPoint> pixels;
        try {
            pixels.reserve(run.size());
        } catch (const std::bad_alloc&) {
            layer->hasCurrentPoint = false;
            return -1;
        }
        for (const FixPoint& p : run)
            pixels.push_back(ToPixels(p));
        const int r = layer->hasCurrentPoint && DeltasFit(layer->current, pixels)
                          ? WritePolylineDelta(layer->stream, &layer->current, pixels)
                          : WritePolyline(layer->stream, pixels);
        if (r) {
            layer->hasCurrentPoint = false;
            return -1;
        }
        layer->hasCurrentPoint = true;
        layer->current = pixels.back();
    }
    return 0;
}

int EmitBeziers(CommandLayer* layer, std::span<const FixPoint> points)
{
    if (points.size() % 3 != 0)
        return -1;
    const size_t perCommand = kMaxSegmentsPerCommand * 3;
    for (size_t done = 0; done < points.size();) {
        const std::span<const FixPoint> run = points.subspan(done, std::min(points.size() - done, perCommand));
        done += run.size();
        int r;
        try {
            if (AllRepresentable(run)) {
                std::vector<MorvaPoint> pixels;
                pixels.reserve(run.size());
                for (const FixPoint& p : run)
                    pixels.push_back(ToPixels(p));
                r = WriteBeziers(layer->stream, pixels);
                if (r == 0) {
                    layer->hasCurrentPoint = true;
                    layer->current = pixels.back();
                }
            } else {
                std::vector<MorvaPointF> floats;
                floats.reserve(run.size());
                for (const FixPoint& p : run)
                    floats.push_back(ToFloats(p));
                r = WriteBeziersF(layer->stream, floats);
                layer->hasCurrentPoint = false;
            }
        } catch (const std::bad_alloc&) {
            r = -1;
        }
        if (r) {
            layer->hasCurrentPoint = false;
            return -1;
        }
    }
    return 0;
}

int EmitRectangleFix(CommandLayer* layer, Fix left, Fix top, Fix right, Fix bottom)
{
    if (IsRepresentable({left, top}) && IsRepresentable({right, bottom}))
        return WriteRectangle(layer->stream, left / 16, top / 16, right / 16, bottom / 16);
    return WriteRectangleF(layer->stream, left / 16.0f, top / 16.0f, right / 16.0f, bottom / 16.0f);
}

int EmitRectangle(CommandLayer* layer, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    if (InInt16(left) && InInt16(top) && InInt16(right) && InInt16(bottom))
        return WriteRectangle(layer->stream, left, top, right, bottom);
    return WriteRectangleF(layer->stream, static_cast<float>(left), static_cast<float>(top),
                           static_cast<float>(right), static_cast<float>(bottom));
}

int EmitEllipse(CommandLayer* layer, float cx, float cy, float rx, float ry, float start, float sweep)
{
    return WriteEllipse(layer->stream, cx, cy, rx, ry, start, sweep);
}

// ---- Images ----

int EmitImageHeader(CommandLayer* layer, const MorvaImageHeader& header)
{
    constexpr uint8_t kPaletteSentBefore = 15;
    constexpr uint8_t kPaletteComponentBits = 8;
    const bool sendsPalette = layer->streamVersion > kStreamVersionPalettes &&
                              (header.colourKind == 10 || header.colourKind == 11);
    if (!sendsPalette)
        return WriteImageHeader(layer->stream, header);
    const auto length = static_cast<uint32_t>(header.palette.size());
    if (!CachedPaletteEquals(layer->state, header.paletteCount, header.colourKind, header.palette.data(), length)) {
        if (WritePalette(layer->stream, header.colourKind, kPaletteComponentBits, header.paletteCount, header.palette))
            return -1;
        CachePalette(layer->state, header.paletteCount, header.colourKind, header.palette.data(), length);
    }
    MorvaImageHeader sent = header;
    sent.colourKind = kPaletteSentBefore;
    sent.paletteCount = 0;
    sent.palette = {};
    return WriteImageHeader(layer->stream, sent);
}

int EmitMonoImageHeader(CommandLayer* layer, float x, float y, int32_t width, int32_t height, int32_t polarity,
                        const float matrix[6])
{
    return WriteMonoImageHeader(layer->stream, x, y, width, height, polarity, matrix);
}

// ---- Text ----

int EmitFont(CommandLayer* layer, int32_t font)
{
    if (CachedFontEquals(layer->state, font))
        return 0;
    if (WriteFont(layer->stream, font))
        return -1;
    CacheFont(layer->state, font);
    return 0;
}

int EmitFontMatrix(CommandLayer* layer, const float m[6])
{
    if (CachedFontMatrixEquals(layer->state, m))
        return 0;
    if (WriteFontMatrix(layer->stream, m))
        return -1;
    CacheFontMatrix(layer->state, m);
    return 0;
}

int EmitGlyphRun(CommandLayer* layer, int32_t x, int32_t y, std::span<const uint16_t> ids, int advanceMode,
                 std::span<const float> advances)
{
    return WriteGlyphRun(layer->stream, x, y, ids, advanceMode, advances);
}

// The positioned strings keep one opcode for their integer and float forms,
// and nothing in the stream tells a reader which one follows: a job holding
// both could not be read. So every job holds the integer form alone, in whole
// device pixels; a string placed beyond 16 bits lies off every sheet and is
// left out.
bool PositionedPixels(float x, float y, int32_t* px, int32_t* py)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return false;
    const double rx = std::nearbyint(static_cast<double>(x));
    const double ry = std::nearbyint(static_cast<double>(y));
    if (rx < kInt16Min || rx > kInt16Max || ry < kInt16Min || ry > kInt16Max)
        return false;
    *px = static_cast<int32_t>(rx);
    *py = static_cast<int32_t>(ry);
    return true;
}

int EmitPositionedString(CommandLayer* layer, float x, float y, int flags, uint16_t secondFirst, uint16_t last)
{
    int32_t px = 0, py = 0;
    if (!PositionedPixels(x, y, &px, &py))
        return 0;
    return WritePositionedString(layer->stream, px, py, flags, secondFirst, last);
}

int EmitPositionedStrings(CommandLayer* layer, float x, float y, int flags, std::span<const uint16_t> first,
                          std::span<const uint16_t> second, uint16_t last)
{
    int32_t px = 0, py = 0;
    if (!PositionedPixels(x, y, &px, &py))
        return 0;
    return WritePositionedStrings(layer->stream, px, py, flags, first, second, last);
}

// The 16-bit forms carry the address / 64 in 16 bits.
constexpr uint32_t kMaxGlyphId16 = 0x3FFFC0;

int EmitGlyphId(CommandLayer* layer, uint32_t id)
{
    if (!layer->glyphId16)
        return WriteGlyphId32(layer->stream, id);
    if (id > kMaxGlyphId16)
        return -1;
    return WriteGlyphId16(layer->stream, id);
}

int EmitPlaceGlyph(CommandLayer* layer, float x, float y, uint32_t id)
{
    if (layer->glyphId16 && id > kMaxGlyphId16)
        return -1;
    if (IsWholeInRange(x, kInt16Min, kInt16Max) && IsWholeInRange(y, kInt16Min, kInt16Max)) {
        const auto ix = static_cast<int32_t>(x), iy = static_cast<int32_t>(y);
        return layer->glyphId16 ? WritePlaceGlyph16(layer->stream, ix, iy, id)
                                : WritePlaceGlyph(layer->stream, ix, iy, id);
    }
    return layer->glyphId16 ? WritePlaceGlyph16F(layer->stream, x, y, id) : WritePlaceGlyphF(layer->stream, x, y, id);
}

// ---- Stream, page and job ----

int EmitStreamBegin(CommandLayer* layer, uint8_t a, uint8_t b, uint8_t c)
{
    return WriteStreamBegin(layer->stream, static_cast<uint8_t>(c | (b | a << 2) << 4));
}

int EmitStreamEnd(CommandLayer* layer)
{
    return WriteStreamEnd(layer->stream);
}

int EmitSheetEnd(CommandLayer* layer)
{
    return WriteSheetEnd(layer->stream);
}

int EmitSheetOutput(CommandLayer* layer)
{
    return WriteSheetOutput(layer->stream);
}

int EmitEndMarker(CommandLayer* layer)
{
    return WriteEndMarker(layer->stream);
}

int EmitJobKindOption(CommandLayer* layer)
{
    return WriteJobKindOption(layer->stream);
}

int EmitSheetEndVariant(CommandLayer* layer, int32_t variant)
{
    return WriteSheetEndVariant(layer->stream, variant);
}

int EmitPageMedia(CommandLayer* layer, uint8_t code1, uint8_t code2, uint8_t kind, float width, float height)
{
    // Millimetres to the tenth, the precision of the paper sizes: value x 10
    // + 0.5, truncated, then divided by 10.
    const auto tenths = [](float v) { return static_cast<float>(static_cast<int64_t>(v * 10.0f + 0.5f)) / 10.0f; };
    return WritePageMedia(layer->stream, code1, code2, kind, tenths(width), tenths(height));
}

int EmitJobString(CommandLayer* layer, const wchar_t* text)
{
    std::vector<uint8_t> ansi;
    return ToAnsi(text, &ansi) ? WriteJobString(layer->stream, ansi) : -1;
}

int EmitJobString2(CommandLayer* layer, const wchar_t* text)
{
    std::vector<uint8_t> ansi;
    return ToAnsi(text, &ansi) ? WriteJobString2(layer->stream, ansi) : -1;
}

int EmitPageLabel(CommandLayer* layer, const wchar_t* text, const float m[6], uint8_t kind, uint8_t letter,
                  float width, float height)
{
    std::vector<uint8_t> ansi;
    return ToAnsi(text, &ansi) ? WritePageLabel(layer->stream, ansi, m, kind, letter, width, height) : -1;
}

int EmitComment(CommandLayer* layer, const char* text, uint32_t length)
{
    return WriteComment(layer->stream, text, length);
}

int EmitJobValue(CommandLayer* layer, uint8_t kind, uint16_t value)
{
    if (CachedJobValueEquals(layer->state, kind, value))
        return 0;
    if (WriteJobValue(layer->stream, kind, value))
        return -1;
    CacheJobValue(layer->state, kind, value);
    return 0;
}

int EmitJobKind(CommandLayer* layer, uint8_t a, uint8_t b)
{
    if (CachedJobKindEquals(layer->state, a, b))
        return 0;
    if (WriteJobKind(layer->stream, a, b))
        return -1;
    CacheJobKind(layer->state, a, b);
    return 0;
}

int EmitCopies(CommandLayer* layer, int32_t copies)
{
    return WriteCopiesValue(layer->stream, copies);
}

int EmitRawBytes(CommandLayer* layer, const void* bytes, uint32_t length)
{
    return PutRaw(layer->stream, bytes, length);
}

int EmitTypedValue(CommandLayer* layer, int typeCode, const void* value, uint32_t length)
{
    return PutTypedValue(layer->stream, typeCode, value, length);
}
