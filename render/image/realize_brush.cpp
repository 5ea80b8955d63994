#include "render/image/realize_brush.h"

#include "render/device/engine_calls.h"
#include "render/device/pdev_record.h"

#include <cstring>

namespace {

constexpr ULONG kFirstPatternHatch = 6;  // below: the standard hatch styles

uint32_t BitsPerPixel(ULONG format)
{
    switch (format) {
    case BMF_1BPP: return 1;
    case BMF_4BPP: return 4;
    case BMF_8BPP: return 8;
    case BMF_16BPP: case BMF_24BPP: case BMF_32BPP: return 24;
    default: return 0;
    }
}

uint32_t RowBytes(uint32_t width, uint32_t bitsPerPixel)
{
    return static_cast<uint32_t>((uint64_t(width) * bitsPerPixel + 31) / 32 * 4);
}

// Rows of 16, 24 and 32 bits become 24-bit rows of device colours (red
// first) through the translation; the others are kept as they are. Only the
// translation knows a pattern's byte order: a 24-bit DIB's pixels are blue
// first and would print with red and blue exchanged if copied.
void CopyRows(const SURFOBJ* pattern, XLATEOBJ* translation, uint8_t* rows, uint32_t rowBytes)
{
    const LONG width = pattern->sizlBitmap.cx, height = pattern->sizlBitmap.cy;
    for (LONG y = 0; y < height; ++y) {
        const auto* source = static_cast<const uint8_t*>(pattern->pvScan0) + y * pattern->lDelta;
        uint8_t* row = rows + size_t(y) * rowBytes;
        switch (pattern->iBitmapFormat) {
        case BMF_16BPP:
        case BMF_24BPP:
        case BMF_32BPP:
            for (LONG x = 0; x < width; ++x) {
                ULONG value = 0;
                if (pattern->iBitmapFormat == BMF_16BPP)
                    value = reinterpret_cast<const uint16_t*>(source)[x];
                else if (pattern->iBitmapFormat == BMF_24BPP)
                    std::memcpy(&value, source + x * 3, 3);
                else
                    std::memcpy(&value, source + x * 4, 4);
                const ULONG rgb = translation ? g_engine.XLATEOBJ_iXlate(translation, value) : value;
                row[x * 3] = uint8_t(rgb);
                row[x * 3 + 1] = uint8_t(rgb >> 8);
                row[x * 3 + 2] = uint8_t(rgb >> 16);
            }
            break;
        default:
            std::memcpy(row, source, rowBytes);
            break;
        }
    }
}

} // namespace

BOOL RealizeBrushBody(BRUSHOBJ* brush, SURFOBJ* target, SURFOBJ* pattern, SURFOBJ*, XLATEOBJ* translation,
                      ULONG hatch)
{
    if (!brush || !pattern || !translation || !PdevOfSurface(target)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const uint32_t bits = BitsPerPixel(pattern->iBitmapFormat);
    const bool patterned = hatch >= kFirstPatternHatch && bits != 0 && pattern->sizlBitmap.cx > 0 &&
                           pattern->sizlBitmap.cy > 0 && pattern->pvScan0;
    const uint32_t rowBytes = patterned ? RowBytes(pattern->sizlBitmap.cx, bits) : 0;
    const uint64_t patternBytes = patterned ? uint64_t(rowBytes) * pattern->sizlBitmap.cy : 0;
    const uint32_t colours = (translation->flXlate & XO_TABLE) && translation->pulXlate ? translation->cEntries : 0;
    const uint64_t size = sizeof(RealizedBrush) + patternBytes + uint64_t(colours) * 4;
    if (size > 0x7FFFFFFF)
        return FALSE;
    auto* realized = static_cast<RealizedBrush*>(g_engine.BRUSHOBJ_pvAllocRbrush(brush, static_cast<ULONG>(size)));
    if (!realized)
        return FALSE;
    std::memset(realized, 0, static_cast<size_t>(size));
    realized->hatch = hatch;
    realized->colourCount = colours;
    realized->colourTableOffset = static_cast<uint32_t>(sizeof(RealizedBrush) + patternBytes);
    realized->size = static_cast<uint32_t>(size);
    realized->format = bits == 24 ? BMF_24BPP : pattern->iBitmapFormat;
    realized->width = pattern->sizlBitmap.cx;
    realized->height = pattern->sizlBitmap.cy;
    realized->rowBytes = rowBytes;
    auto* bytes = reinterpret_cast<uint8_t*>(realized);
    if (patterned)
        CopyRows(pattern, translation, bytes + sizeof(RealizedBrush), rowBytes);
    if (colours)
        std::memcpy(bytes + realized->colourTableOffset, translation->pulXlate, size_t(colours) * 4);
    brush->pvRbrush = realized;
    return TRUE;
}
