// Booklet page order, signatures and the placement of a booklet half.
#include "render/page/booklet_order.h"

#include <algorithm>

uint16_t BookletSideCount(int32_t first, int32_t last, bool cover)
{
    int32_t sides = cover && first == 0 ? 2 * ((last + 6) / 4) - 1 : 2 * ((last - first + 4) / 4);
    return static_cast<uint16_t>(std::clamp(sides, 0, static_cast<int32_t>(UINT16_MAX)));
}

int32_t BookletPageAt(int32_t first, int32_t last, int32_t side, uint32_t bindingSide, int position, bool outward,
                      bool cover)
{
    const int32_t g = BookletSideCount(first, last, cover);
    int32_t page;
    if (!outward) {
        const int32_t q = (side + (first == 0 && g == side + 1 && cover ? 1 : 0)) % 2;
        const bool low = (q != 0) != (bindingSide == 1);
        page = low != (position == 1) ? first + g - side - 1 : first + g + side;
    } else {
        const int32_t q = (side + (first == 0 && cover && side != 0 ? 1 : 0)) % 2;
        const bool low = (q != 0) != (bindingSide == 1);
        page = low != (position == 1) ? first + 2 * g - side - 1 : first + side;
    }
    return page > last ? kBookletEmptyPosition : page;
}

int32_t SplitBookletSignatures(int32_t pages, bool reverse, int32_t sheetsPerSignature, SignatureRange* out)
{
    if (pages <= 0 || sheetsPerSignature <= 0)
        return 0;
    const int32_t sheets = (pages + 3) / 4;
    const int32_t count = (sheets + sheetsPerSignature - 1) / sheetsPerSignature;
    if (!out)
        return count;
    int32_t m = 0;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t own = sheets / count + (i < sheets % count ? 1 : 0);
        const int32_t last = std::min(m + 4 * own - 1, pages - 1);
        out[reverse ? count - 1 - i : i] = {static_cast<uint16_t>(m), static_cast<uint16_t>(last)};
        m += 4 * own;
    }
    return count;
}

int IsSignatureComplete(int32_t first, int32_t last, int32_t sheetsPerSignature, bool cover)
{
    if (sheetsPerSignature == 0)
        return 2;
    if (cover && first == 0)
        return last + 1 >= 4 * sheetsPerSignature - 2 ? 1 : 2;
    return last - first + 1 >= 4 * sheetsPerSignature ? 1 : 2;
}

int BookletAlignmentCode(int32_t sheetIndex, uint32_t flag, int code)
{
    if (sheetIndex % 2 != 0) {
        if (code < 0 || code > 3)
            return 4;
        return flag ? 3 - code : code ^ 1;
    }
    return code >= 0 && code <= 4 ? code : 4;
}

int BuildBookletSideMatrix(PlacementMatrix* matrix, const BookletSideRecord* side)
{
    if (!matrix || !side || !side->geometry)
        return -1;
    const PageGeometry& g = *side->geometry;
    const PaperFrame& sheet = g.sheet;
    const uint16_t r = g.resolutionX;
    PlacementInput in;
    int result = ComputeSheetLayout(side->state, &in, &g);
    if (result)
        return -1;
    const bool nup = g.pagesPerSide > 1;
    const float inner = g.innerShift ? TenthsToDots(g.innerShiftAmount, r) : 0.0f;

    // With several pages per half, the half itself is the page: the booklet
    // page frame of the sheet.
    if (nup) {
        float scale = 1.0f;
        if (UseBookletFrameAsPage(&in, &g, &scale))
            return -1;
        if (g.innerShiftOption) {
            in.paperWidth -= inner / scale;
            in.printRight -= inner / scale;
        }
        in.landscape = 0;
    }

    // The half is laid out across the sheet's length: x runs along the sheet's
    // height, and the finished page is turned onto the sheet at the end.
    const float sheetWidth = TenthsToDots(sheet.width, r);
    const float sheetHeight = TenthsToDots(sheet.height, g.resolutionY);
    in.outputWidth = sheetHeight;
    in.outputHeight = sheetWidth;
    in.targetLeft = TenthsToDots(static_cast<float>(sheet.topOffset - sheet.shiftY), g.resolutionY);
    in.targetRight = in.targetLeft + TenthsToDots(sheet.printableHeight, g.resolutionY);
    in.targetTop = TenthsToDots(static_cast<float>(sheet.leftOffset - sheet.shiftX), r);
    in.targetBottom = in.targetTop + TenthsToDots(sheet.printableWidth, r);
    in.pagesPerSide = 1;
    in.columns = 1;
    in.rows = 1;
    // One page to the half: its cell is not turned as the cells of several
    // pages are, or the half's page would be turned and shrunk a second time.
    in.rotatedCells = in.sheetLandscape;
    in.fixedZoom = 0;
    in.zoomPercent = 100;
    in.duplex = kDuplexNone;
    in.nupOrder = 0;
    in.bindingEdge = side->farHalf ? kBindLeft : kBindRight;
    in.frontGutter = in.backGutter = sheetHeight / 2.0f + inner;
    // The gutter of half the sheet makes the area one half of it: the area
    // shrinks to that half. Moved instead, the near half would lie off the
    // sheet by half a sheet.
    in.fit = 1;
    if (nup) {
        in.rotate180 = kRotateNever;
        in.imageShift = 0;
        in.shiftX = in.shiftY = 0.0f;
    }

    PlacementMatrix m;
    result |= ComputePagePlacement(&m, &in, 1, 1, nullptr);
    if (result)
        return -1;
    // The half is turned onto the sheet about the sheet's own corner: the
    // layout measures the target area from it.
    if (g.bookletBinding == 2)
        m = ComposePlacement(m, {-1.0f, 0.0f, 0.0f, -1.0f, sheetHeight, sheetWidth});
    m = ComposePlacement(m, {0.0f, 1.0f, -1.0f, 0.0f, sheetWidth, 0.0f});
    if (nup) {
        *matrix = m;
        return 0;
    }
    return ConvertMatrixToPoints(&m, matrix, r, g.resolutionY, in.printLeft, in.printBottom);
}
