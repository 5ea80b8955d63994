// The placement of one logical page on its sheet: sheet layout, cell order,
// fit and alignment, composed into one matrix.
#include "render/page/booklet_order.h"
#include "render/page/page_geometry.h"

#include <algorithm>
#include <array>

namespace {

constexpr int32_t kMaxSlots = 32;

// Column and row formulas of the eight cell order states: the first four run
// from the near edge, the last four from the far one; odd states fill a column
// before moving on.
struct CellOrderRule {
    bool columnsFirst;
    bool mirrorColumns;
    bool mirrorRows;
};
constexpr std::array<CellOrderRule, 8> kCellOrders = {{
    {false, false, false},
    {true, false, false},
    {false, true, false},
    {true, true, false},
    {false, false, true},
    {true, false, true},
    {false, true, true},
    {true, true, true},
}};

// N-up orders 3 to 6 as cell order states, without and with rotated cells.
constexpr std::array<int, 4> kStatesPlain = {4, 5, 6, 7};
constexpr std::array<int, 4> kStatesRotated = {1, 0, 5, 4};

struct Area {
    float left, top, right, bottom;
};

// Moves one edge of the area in to keep `gutter` from the sheet's edge; the
// opposite edge follows unless the area may shrink.
void ApplyGutter(Area* area, uint32_t edge, float gutter, float outputWidth, float outputHeight, bool shrink)
{
    float move = 0.0f;
    switch (edge) {
    case kBindLeft:
        move = gutter - area->left;
        if (move > 0.0f) {
            area->left += move;
            if (!shrink)
                area->right += move;
        }
        break;
    case kBindRight:
        move = gutter - (outputWidth - area->right);
        if (move > 0.0f) {
            area->right -= move;
            if (!shrink)
                area->left -= move;
        }
        break;
    case kBindTop:
        move = gutter - area->top;
        if (move > 0.0f) {
            area->top += move;
            if (!shrink)
                area->bottom += move;
        }
        break;
    case kBindBottom:
        move = gutter - (outputHeight - area->bottom);
        if (move > 0.0f) {
            area->bottom -= move;
            if (!shrink)
                area->top -= move;
        }
        break;
    default:
        break;
    }
}

uint32_t MirrorEdge(uint32_t edge)
{
    switch (edge) {
    case kBindLeft: return kBindRight;
    case kBindRight: return kBindLeft;
    case kBindBottom: return kBindTop;
    case kBindTop: return kBindBottom;
    default: return edge;
    }
}

// The alignment code of a back face, which is seen from the other side.
uint32_t MirrorAlignment(uint32_t code, uint32_t duplex, uint32_t rotatedCells)
{
    if (code > 3)
        return code;
    const bool reverse = (duplex == kDuplexLongEdge && rotatedCells) || (duplex == kDuplexShortEdge && !rotatedCells);
    if (reverse)
        return 3 - code;
    return code ^ 1u;  // 0 with 1, 2 with 3
}

}  // namespace

int ResetPlacementToIdentity(PlacementMatrix* matrix)
{
    if (!matrix)
        return -1;
    *matrix = {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f};
    return 0;
}

PlacementMatrix ComposePlacement(const PlacementMatrix& m, const PlacementMatrix& n)
{
    return {m.a * n.a + m.b * n.c,        m.a * n.b + m.b * n.d,        m.c * n.a + m.d * n.c,
            m.c * n.b + m.d * n.d,        m.e * n.a + m.f * n.c + n.e, m.e * n.b + m.f * n.d + n.f};
}

PlacementMatrix TranslationMatrix(float x, float y)
{
    return {1.0f, 0.0f, 0.0f, 1.0f, x, y};
}

PlacementMatrix ScaleMatrix(float x, float y)
{
    return {x, 0.0f, 0.0f, y, 0.0f, 0.0f};
}

PlacementMatrix DeviceIntoPageFrame(float cornerX, float cornerY)
{
    return {1.0f, 0.0f, 0.0f, -1.0f, cornerX, cornerY};
}

PlacementMatrix DotsToPoints(float resolutionX, float resolutionY)
{
    return ScaleMatrix(kPointsPerInch / resolutionX, kPointsPerInch / resolutionY);
}

int ConvertMatrixToPoints(const PlacementMatrix* layout, PlacementMatrix* out, float resolutionX, float resolutionY,
                          float cornerX, float cornerY)
{
    if (!layout || !out || resolutionX <= 0.0f || resolutionY <= 0.0f)
        return -1;
    const PlacementMatrix m = ComposePlacement(DeviceIntoPageFrame(cornerX, cornerY), *layout);
    *out = ComposePlacement(m, DotsToPoints(resolutionX, resolutionY));
    return 0;
}

int ConvertPlacementToPoints(const PlacementMatrix* layout, const PlacementInput* input, uint16_t resolutionX,
                             uint16_t resolutionY, PlacementMatrix* out)
{
    if (!input)
        return -1;
    // The layout holds the printable area between printTop and printBottom
    // measured up from the page's foot: its top-left corner is (printLeft, printBottom).
    return ConvertMatrixToPoints(layout, out, resolutionX, resolutionY, input->printLeft, input->printBottom);
}

bool IsRotate180Wanted(int rotate180, uint32_t landscape)
{
    return (rotate180 == kRotateLandscape && landscape) || (rotate180 == kRotatePortrait && !landscape) ||
           rotate180 == kRotateAlways;
}

int CellOrderState(uint32_t pagesPerSide, int32_t order, uint32_t rotatedCells)
{
    if (pagesPerSide == 1)
        return 4;
    if (pagesPerSide == 2) {
        const bool listed = order == 1 || order == 3 || order == 4;
        return (rotatedCells && listed) || (!rotatedCells && !listed) ? 1 : 5;
    }
    // Orders 0 to 2 have no layout of their own with four or more pages: they
    // take order 3's.
    const int32_t o = order >= 3 && order <= 6 ? order : 3;
    return rotatedCells ? kStatesRotated[o - 3] : kStatesPlain[o - 3];
}

void CellOfState(int state, int32_t u, int32_t columns, int32_t rows, int32_t* column, int32_t* row)
{
    const CellOrderRule& r = kCellOrders[static_cast<size_t>(state) & 7];
    int32_t i = r.columnsFirst ? u / rows : u % columns;
    int32_t j = r.columnsFirst ? u % rows : u / columns;
    if (r.mirrorColumns)
        i = columns - 1 - i;
    if (r.mirrorRows)
        j = rows - 1 - j;
    *column = i;
    *row = j;
}

int UseBookletFrameAsPage(PlacementInput* input, const PageGeometry* geometry, float* scale)
{
    if (!input || !geometry)
        return -1;
    const PaperFrame& s = geometry->sheet;
    PlacementRect frame;
    float size[2];
    if (ComputeBookletPageFrame(geometry->resolutionX, &s, s.leftOffset, s.topOffset, 0, &frame, size, scale))
        return -1;
    input->paperWidth = size[0];
    input->paperHeight = size[1];
    input->printLeft = frame.left;
    input->printTop = frame.top;
    input->printRight = frame.right;
    input->printBottom = frame.bottom;
    return 0;
}

int ComputeSheetLayout(const PageFrameState* state, PlacementInput* input, const PageGeometry* g)
{
    if (!input || !g)
        return -1;
    const PageFrameState none = {};
    const PageFrameState& st = state ? *state : none;
    PlacementInput in = {};
    const uint16_t rx = g->resolutionX;
    const uint16_t ry = g->resolutionY;
    const bool landscape = g->landscape != 0;

    in.rotate180 = g->rotate180;
    in.fixedZoom = g->fixedZoom;
    in.zoomPercent = g->zoomPercent;
    in.landscape = g->landscape;
    in.secondOrientation = 0;
    in.sheetLandscape = g->sheetLandscape;
    in.duplex = g->duplex;
    in.nupOrder = g->nupOrder;
    in.pagesPerSide = g->pagesPerSide;
    in.halfSheet = g->halfSheet;
    in.columns = g->columns;
    in.rows = g->rows;
    in.rotatedCells = g->rotatedCells;
    in.bindingEdge = g->bindingEdge;
    in.fit = g->fit;
    in.alignment = g->alignment;
    if (g->bookletLayout && g->pagesPerSide > 0)
        in.alignment = static_cast<uint32_t>(
            BookletAlignmentCode(st.logicalPage / g->pagesPerSide, g->rotatedCells, static_cast<int>(g->alignment)));
    // The gutter lies across the axis of its edge.
    const uint16_t gutterResolution = g->bindingEdge == kBindLeft || g->bindingEdge == kBindRight ? rx : ry;
    in.frontGutter = TenthsToDots(g->frontGutter, gutterResolution);
    in.backGutter = TenthsToDots(g->backGutter, gutterResolution);

    const PaperFrame& p = g->page;
    const uint16_t mx = landscape ? ry : rx;
    const uint16_t my = landscape ? rx : ry;
    in.leftMargin = TenthsToDots(p.leftMargin, mx);
    in.rightMargin = TenthsToDots(p.rightMargin, mx);
    in.topMargin = TenthsToDots(p.topMargin, my);
    in.bottomMargin = TenthsToDots(p.bottomMargin, my);

    const float width = landscape ? p.height : p.width;
    const float height = landscape ? p.width : p.height;
    const float left = landscape ? p.topOffset : p.leftOffset;
    const float top = landscape ? p.leftOffset : p.topOffset;
    const float printableWidth = landscape ? p.printableHeight : p.printableWidth;
    const float printableHeight = landscape ? p.printableWidth : p.printableHeight;
    in.paperWidth = TenthsToDots(width, rx);
    in.paperHeight = TenthsToDots(height, ry);
    in.printLeft = TenthsToDots(left, rx);
    in.printTop = TenthsToDots(top, ry);
    in.printRight = TenthsToDots(left + printableWidth, rx);
    in.printBottom = TenthsToDots(top + printableHeight, ry);

    int result = 0;
    const PaperFrame& s = g->sheet;
    if (g->bookletLayout && st.wholeSheetDrawing) {
        result |= UseBookletFrameAsPage(&in, g, nullptr);
        if (result == 0 && landscape) {
            std::swap(in.paperWidth, in.paperHeight);
            std::swap(in.printLeft, in.printBottom);
            std::swap(in.printRight, in.printTop);
        }
    }

    in.imageShift = g->imageShift;
    in.shiftX = TenthsToDots(g->shiftX, rx);
    in.shiftY = TenthsToDots(g->shiftY, ry);

    if (g->bookletLayout) {
        const int32_t inner = g->innerShift && g->innerShiftOption && !st.wholeSheetDrawing ? g->innerShiftAmount : 0;
        PlacementRect frame;
        float size[2];
        const int r = ComputeBookletPageFrame(rx, &s, s.leftOffset - s.shiftX, s.topOffset - s.shiftY, inner, &frame,
                                              size);
        result |= r;
        if (r == 0) {
            in.outputWidth = size[0];
            in.outputHeight = size[1];
            in.targetLeft = frame.left;
            in.targetTop = frame.top;
            in.targetRight = frame.right;
            in.targetBottom = frame.bottom;
        }
    } else {
        in.outputWidth = TenthsToDots(s.width, rx);
        in.outputHeight = TenthsToDots(s.height, ry);
        const float l = static_cast<float>(s.leftOffset - s.shiftX);
        const float t = static_cast<float>(s.topOffset - s.shiftY);
        in.targetLeft = TenthsToDots(l, rx);
        in.targetTop = TenthsToDots(t, ry);
        in.targetRight = TenthsToDots(l + s.printableWidth, rx);
        in.targetBottom = TenthsToDots(t + s.printableHeight, ry);
    }
    if (result)
        return -1;
    *input = in;
    return 0;
}

int ComputePagePlacement(PlacementMatrix* matrix, const PlacementInput* input, int32_t slot, int32_t side,
                         PlacementRect* cellOut)
{
    if (!matrix || !input)
        return -1;
    const PlacementInput& in = *input;
    const int32_t cells = in.columns * in.rows;
    if (in.columns < 1 || in.rows < 1)
        return -1;

    // 1. The printable area to the margins.
    const float mx = in.landscape ? in.bottomMargin : in.leftMargin;
    const float my = in.landscape ? in.leftMargin : in.topMargin;
    PlacementMatrix m = TranslationMatrix(mx - in.printLeft, in.paperHeight - my - in.printBottom);

    // 2. Binding gutter; the back face of a duplex sheet binds on the mirrored edge.
    Area area = {in.targetLeft, in.targetTop, in.targetRight, in.targetBottom};
    if (in.bindingEdge != kBindNone) {
        const bool back = side == 2 && in.duplex != kDuplexNone;
        uint32_t edge = in.bindingEdge;
        if (back && (((edge == kBindLeft || edge == kBindRight) && in.duplex == kDuplexLongEdge) ||
                     ((edge == kBindBottom || edge == kBindTop) && in.duplex == kDuplexShortEdge)))
            edge = MirrorEdge(edge);
        ApplyGutter(&area, edge, back ? in.backGutter : in.frontGutter, in.outputWidth, in.outputHeight, in.fit != 0);
    }

    // 3. Image shift, turned with the cells.
    if (in.imageShift != 0) {
        const float dx = in.rotatedCells ? -in.shiftY : in.shiftX;
        const float dy = in.rotatedCells ? in.shiftX : in.shiftY;
        area = {area.left + dx, area.top + dy, area.right + dx, area.bottom + dy};
    }

    // 4. The 180-degree turn about the printable area's centre.
    if (IsRotate180Wanted(in.rotate180, in.landscape))
        m = ComposePlacement(m, {-1.0f, 0.0f, 0.0f, -1.0f, in.printLeft + in.printRight, in.printTop + in.printBottom});

    // 5. Page scale.
    const float p = in.fixedZoom ? static_cast<float>(in.zoomPercent) / 100.0f : 1.0f;

    // 6. The cell of the slot.
    const int32_t u = ((slot - 1) % cells + cells) % cells;
    int32_t column = 0;
    int32_t row = 0;
    CellOfState(CellOrderState(in.pagesPerSide, in.nupOrder, in.rotatedCells), u, in.columns, in.rows, &column, &row);
    const float cellStepX = (area.right - area.left) / static_cast<float>(in.columns);
    const float cellStepY = (area.bottom - area.top) / static_cast<float>(in.rows);
    const float cellLeft = area.left + static_cast<float>(column) * cellStepX;
    const float cellRight = area.left + static_cast<float>(column + 1) * cellStepX;
    const float cellNear = area.top + static_cast<float>(row) * cellStepY;
    const float cellFar = area.top + static_cast<float>(row + 1) * cellStepY;

    // 7. The page into its cell. The page is measured in its own upright
    // frame; where the cells lie across the sheet the cell is measured across
    // too, so that the fit holds for both orientations of page and sheet.
    float pageWidth = in.printRight - in.printLeft;
    float pageHeight = in.printBottom - in.printTop;
    if (in.landscape)
        std::swap(pageWidth, pageHeight);
    // A page without printable area has no fit.
    if (pageWidth <= 0.0f || pageHeight <= 0.0f)
        return -1;
    if (!in.sheetLandscape && in.landscape)
        m = ComposePlacement(m, {0.0f, 1.0f, -1.0f, 0.0f, in.printBottom, -in.printRight});
    else if (in.sheetLandscape && !in.landscape)
        // The turn back lands the page where the turn above does: from the
        // printable top, not the bottom, or the page would leave its cell.
        m = ComposePlacement(m, {0.0f, -1.0f, 1.0f, 0.0f, -in.printTop, in.printLeft});
    else
        m = ComposePlacement(m, TranslationMatrix(-in.printLeft, -in.printBottom));
    m = ComposePlacement(m, ScaleMatrix(p, p));
    const float cellWidth = cellRight - cellLeft;
    const float cellHeight = cellFar - cellNear;
    const bool acrossCells = (in.rotatedCells != 0) != (in.sheetLandscape != 0);
    const float fitWidth = acrossCells ? cellHeight : cellWidth;
    const float fitHeight = acrossCells ? cellWidth : cellHeight;
    const float t = in.fixedZoom ? 1.0f : std::min(fitWidth / pageWidth, fitHeight / pageHeight);
    if (in.rotatedCells)
        m = ComposePlacement(m, {0.0f, t, -t, 0.0f, cellLeft, cellNear});
    else
        m = ComposePlacement(m, {t, 0.0f, 0.0f, t, cellLeft, cellFar});

    // 8. Alignment in the cell: the free space is what the page leaves of the
    // cell along each axis of the sheet.
    float alignedWidth = pageWidth;
    float alignedHeight = pageHeight;
    if (in.halfSheet)
        std::swap(alignedWidth, alignedHeight);
    if (acrossCells)
        std::swap(alignedWidth, alignedHeight);
    const float across = cellWidth - alignedWidth * p * t;
    const float down = cellHeight - alignedHeight * p * t;
    uint32_t code = in.alignment;
    if (side == 2 && in.duplex != kDuplexNone)
        code = MirrorAlignment(code, in.duplex, in.rotatedCells);
    float dx = 0.0f;
    float dy = 0.0f;
    switch (code) {
    case 1:
        (in.rotatedCells ? dy : dx) = in.rotatedCells ? down : across;
        break;
    case 2:
        dx = across;
        dy = in.rotatedCells ? down : -down;
        break;
    case 3:
        if (in.rotatedCells)
            dx = across;
        else
            dy = -down;
        break;
    case 4:
        dx = across / 2.0f;
        dy = (in.rotatedCells ? down : -down) / 2.0f;
        break;
    default:
        break;
    }
    if (dx != 0.0f || dy != 0.0f)
        m = ComposePlacement(m, TranslationMatrix(dx, dy));

    // 9. The cell, turned from the layout's y up into y down from the sheet's top.
    if (cellOut)
        *cellOut = {cellLeft, in.outputHeight - cellNear, cellRight, in.outputHeight - cellFar};
    *matrix = m;
    return 0;
}

int BuildPageFrameRecord(const PageFrameState* state, PlacementMatrix* matrix, const PageGeometry* geometry,
                         int32_t slot, int32_t side)
{
    if (!matrix || !geometry || slot < 0 || slot >= kMaxSlots || (side != 0 && side != 1))
        return -1;
    PlacementInput in;
    if (ComputeSheetLayout(state, &in, geometry))
        return -1;
    PlacementMatrix m;
    if (ComputePagePlacement(&m, &in, slot + 1, side + 1, nullptr))
        return -1;

    // A quarter turn of the finished page about the target area's corner, so
    // that the turned area starts where the area did.
    if (geometry->quarterTurn == 1)
        m = ComposePlacement(m, {0.0f, 1.0f, -1.0f, 0.0f, in.targetLeft + in.targetBottom, in.targetTop - in.targetLeft});
    else if (geometry->quarterTurn == 2)
        m = ComposePlacement(m, {0.0f, -1.0f, 1.0f, 0.0f, in.targetLeft - in.targetTop, in.targetTop + in.targetRight});

    // A booklet-layout sheet keeps its pages in dots on the booklet's page
    // frame: the replay carries that frame onto its half of the sheet.
    if (geometry->bookletLayout) {
        *matrix = ComposePlacement(DeviceIntoPageFrame(in.printLeft, in.printBottom), m);
        return 0;
    }
    return ConvertPlacementToPoints(&m, &in, geometry->resolutionX, geometry->resolutionY, matrix);
}

int ComputeBookletPageFrame(uint16_t resolution, const PaperFrame* sheet, int32_t xOffset, int32_t yOffset,
                            int32_t innerShift, PlacementRect* rect, float size[2], float* scale)
{
    if (!sheet || !rect || !size || resolution == 0)
        return -1;
    const float w = TenthsToDots(sheet->printableWidth, resolution);
    const float h = TenthsToDots(sheet->printableHeight, resolution);
    // Without a printable area there is no fit scale; refuse rather than divide by zero.
    if (w <= 0.0f || h <= 0.0f)
        return -1;
    const float s = std::min(w / h, (h / 2.0f) / w);
    const float halfWidth = (h / 2.0f) / s;
    const float fullHeight = w / s;
    PlacementRect r;
    r.left = TenthsToDots(static_cast<float>(xOffset), resolution);
    r.right = r.left + halfWidth;
    r.top = TenthsToDots(static_cast<float>(yOffset), resolution);
    r.bottom = r.top + fullHeight;
    float outWidth = TenthsToDots(sheet->leftMargin, resolution) + halfWidth + TenthsToDots(sheet->rightMargin, resolution);
    const float outHeight = TenthsToDots(sheet->topMargin, resolution) + fullHeight + TenthsToDots(sheet->bottomMargin, resolution);
    if (innerShift != 0) {
        const float cut = TenthsToDots(static_cast<float>(innerShift), resolution) / s;
        r.right -= cut;
        outWidth -= cut;
    }
    *rect = r;
    size[0] = outWidth;
    size[1] = outHeight;
    if (scale)
        *scale = s;
    return 0;
}
