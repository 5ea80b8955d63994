#include "render/draw/text_output.h"

#include "render/command/command_layer.h"
#include "render/draw/draw_path.h"
#include "render/frame/engine_calls.h"
#include "render/frame/pdev_record.h"
#include "render/image/bitblt.h"
#include "render/image/brush_select.h"

#include <algorithm>
#include <bit>

namespace {

constexpr MIX kCopyMix = (R2_COPYPEN << 8) | R2_COPYPEN;
constexpr int kTypedRaw = 8;
constexpr float kIdentity[6] = {1, 0, 0, 1, 0, 0};

void PutBigEndian(std::vector<uint8_t>* out, uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutFloatBytes(std::vector<uint8_t>* out, float value)
{
    PutBigEndian(out, std::bit_cast<uint32_t>(value), 4);
}

int FillRect(CommandLayer* layer, const RECTL& r)
{
    return EmitPaintOperation(layer, kPaintFill) == 0 && EmitRectangle(layer, r.left, r.top, r.right, r.bottom) == 0
               ? 1
               : 0;
}

// The glyph's bits: from the batch when the engine gave them, else asked for.
GLYPHBITS* GlyphBitsOf(FONTOBJ* font, GLYPHPOS& pos)
{
    if (pos.pgdf != nullptr && pos.pgdf->pgb != nullptr)
        return pos.pgdf->pgb;
    HGLYPH handle = pos.hg;
    void* data = nullptr;
    if (g_engine.FONTOBJ_cGetGlyphs(font, FO_GLYPHBITS, 1, &handle, &data) != 1 || data == nullptr)
        return nullptr;
    return static_cast<GLYPHDATA*>(data)->gdf.pgb;
}

// The glyph drawn where it stands, as a one-bit image painted with the text
// colour: when the glyph memory is off or cannot take it.
int DrawGlyphInPlace(CommandLayer* layer, const POINTL& at, const GLYPHBITS* bits)
{
    const auto w = static_cast<uint32_t>(bits->sizlBitmap.cx), h = static_cast<uint32_t>(bits->sizlBitmap.cy);
    const float x = static_cast<float>(at.x + bits->ptlOrigin.x), y = static_cast<float>(at.y + bits->ptlOrigin.y);
    return EmitMonoImageHeader(layer, x, y, int32_t(w), int32_t(h), 1, kIdentity) == 0 &&
                   EmitRawBytes(layer, bits->aj, (w + 7) / 8 * h) == 0
               ? 1
               : 0;
}


// Positions of a string with a fixed increment follow from the first.
void ApplyFixedIncrement(const STROBJ* string, GLYPHPOS* glyphs, ULONG count, POINTL* first, bool* haveFirst)
{
    if (count == 0)
        return;
    if (!*haveFirst) {
        *first = glyphs[0].ptl;
        *haveFirst = true;
    }
    if (string->ulCharInc == 0)
        return;
    const LONG step = (string->flAccel & SO_REVERSED) ? -LONG(string->ulCharInc) : LONG(string->ulCharInc);
    const bool vertical = (string->flAccel & SO_VERTICAL) != 0;
    for (ULONG i = 0; i < count; ++i) {
        glyphs[i].ptl = *first;
        (vertical ? first->y : first->x) += step;
    }
}

int DrawString(PDevRecord* pdev, STROBJ* string, FONTOBJ* font)
{
    CommandLayer* layer = pdev->commandLayer;
    const auto fontId = static_cast<uint16_t>(font->iUniq);
    std::vector<uint8_t> record;
    std::vector<GLYPHPOS> batch;
    POINTL next{};
    bool haveFirst = false;
    g_engine.STROBJ_vEnumStart(string);
    for (bool more = true; more;) {
        ULONG count = 0;
        GLYPHPOS* glyphs = nullptr;
        more = g_engine.STROBJ_bEnum(string, &count, &glyphs) != FALSE;
        if (glyphs == nullptr || count == 0)
            break;
        batch.assign(glyphs, glyphs + count);
        ApplyFixedIncrement(string, batch.data(), count, &next, &haveFirst);
        for (GLYPHPOS& pos : batch) {
            const GLYPHBITS* bits = GlyphBitsOf(font, pos);
            if (bits == nullptr)
                return 0;
            if (!SendBitmapGlyph(layer, fontId, pos.hg, pos.ptl, bits, &record))
                return 0;
        }
    }
    return 1;
}

}  // namespace

int SendBitmapGlyph(CommandLayer* layer, uint16_t fontId, HGLYPH glyph, const POINTL& at, const GLYPHBITS* bits,
                    std::vector<uint8_t>* record)
{
    const LONG cx = bits->sizlBitmap.cx, cy = bits->sizlBitmap.cy;
    if (cx <= 0 || cy <= 0)
        return 1;  // a space: nothing to draw
    const auto rowBytes = static_cast<uint32_t>(cx + 7) / 8;
    const std::span<const uint8_t> rows(bits->aj, rowBytes * uint32_t(cy));
    if (std::all_of(rows.begin(), rows.end(), [](uint8_t b) { return b == 0; }))
        return 1;  // a space's bitmap is blank: nothing to download or place
    const float x = static_cast<float>(at.x), y = static_cast<float>(at.y);
    if (!IsGlyphCacheEnabled(layer))
        return DrawGlyphInPlace(layer, at, bits);
    const GlyphKey key{static_cast<uint16_t>(glyph), fontId, kGlyphKindBitmap};
    uint32_t address = 0;
    if (FindCachedGlyph(layer, key, &address) == kGlyphCacheOk)
        return EmitPlaceGlyph(layer, x, y, address) == 0 ? 1 : 0;
    if (!BuildBitmapGlyphRecord(bits->ptlOrigin.x, bits->ptlOrigin.y, uint32_t(cx), uint32_t(cy), rows, record))
        return DrawGlyphInPlace(layer, at, bits);
    const auto size = static_cast<uint32_t>(record->size());
    if (AddCachedGlyph(layer, key, size, true, &address) != kGlyphCacheOk) {
        // The memory cannot take it: start it afresh and draw this one in place.
        ResetGlyphCache(layer);
        return DrawGlyphInPlace(layer, at, bits);
    }
    return EmitGlyphId(layer, address) == 0 && EmitTypedValue(layer, kTypedRaw, record->data(), size) == 0 &&
                   EmitPlaceGlyph(layer, x, y, address) == 0
               ? 1
               : 0;
}

bool BuildBitmapGlyphRecord(int32_t originX, int32_t originY, uint32_t width, uint32_t height,
                            std::span<const uint8_t> rows, std::vector<uint8_t>* record)
{
    const uint32_t rowBytes = (width + 7) / 8;
    if (rowBytes == 0 || rowBytes > kMaxBitmapGlyphRowBytes || height > 0x7FFF ||
        rows.size() != size_t{rowBytes} * height)
        return false;
    const auto data = static_cast<uint32_t>(rows.size());
    const uint32_t length = BitmapGlyphRecordLength(data);
    if (length > kGlyphRecordLengthMask)
        return false;
    record->clear();
    record->reserve(length);
    PutBigEndian(record, kBitmapGlyphHeaderBit | length, 4);
    PutFloatBytes(record, static_cast<float>(originX));
    PutFloatBytes(record, static_cast<float>(originY));
    PutBigEndian(record, height, 2);
    PutBigEndian(record, width, 2);
    record->push_back(static_cast<uint8_t>(rowBytes));
    record->push_back(1);
    record->insert(record->end(), rows.begin(), rows.end());
    record->resize(length, kBitmapGlyphFiller);
    return true;
}

int TextOutCommon(SURFOBJ* surface, STROBJ* string, FONTOBJ* font, CLIPOBJ* clip, RECTL* extraRects,
                  RECTL* opaqueRect, BRUSHOBJ* foreBrush, BRUSHOBJ* opaqueBrush, POINTL* brushOrigin, MIX mix)
{
    PDevRecord* pdev = PdevOfSurface(surface);
    if (pdev == nullptr || pdev->commandLayer == nullptr || string == nullptr || font == nullptr)
        return -1;
    CommandLayer* layer = pdev->commandLayer;
    ClipState* clipState = PdevClipState(pdev);
    if (clipState == nullptr || FlushPdevImages(pdev) != 0)
        return 0;
    const RECTL bounds = opaqueRect != nullptr ? *opaqueRect : string->rclBkGround;
    if (!SetClipForDrawing(layer, clipState, clip, bounds))
        return 0;
    if (opaqueRect != nullptr && opaqueBrush != nullptr &&
        (!SelectBrushForDrawing(pdev, 2, brushOrigin, opaqueBrush, kCopyMix) || !FillRect(layer, *opaqueRect)))
        return 0;
    if (foreBrush == nullptr || !SelectBrushForDrawing(pdev, 2, brushOrigin, foreBrush, mix) ||
        EmitPaintOperation(layer, kPaintFill) != 0 || !DrawString(pdev, string, font))
        return 0;
    // The extra rectangles (underline, strike-out) end with an all-zero one.
    for (const RECTL* r = extraRects; r != nullptr && (r->left | r->top | r->right | r->bottom) != 0; ++r)
        if (!FillRect(layer, *r))
            return 0;
    return 1;
}
