// Frames for what is drawn across the sheet rather than into a cell: a page
// shifted on its sheet, and overlays.
#include "render/page/page_geometry.h"

namespace {

bool WholeSheetOnBookletLayout(const PageFrameJob& job)
{
    return job.geometry->bookletLayout && job.state && job.state->wholeSheetDrawing;
}

// A plain one-page copy of the geometry whose page is the sheet itself, moved
// by the shift (dots) on the sheet.
PageGeometry SheetFrameCopy(const PageGeometry& g, int32_t shiftX, int32_t shiftY, uint32_t landscape)
{
    PageGeometry copy = g;
    copy.page = copy.sheet;
    const int32_t x = g.resolutionX ? shiftX * 254 / g.resolutionX : 0;
    const int32_t y = g.resolutionY ? shiftY * 254 / g.resolutionY : 0;
    PaperFrame& sheet = copy.sheet;
    if (!landscape) {
        sheet.leftOffset = static_cast<int16_t>(sheet.leftOffset + x);
        sheet.topOffset = static_cast<int16_t>(sheet.topOffset - y);
    } else {
        sheet.leftOffset = static_cast<int16_t>(sheet.leftOffset + y);
        sheet.topOffset = static_cast<int16_t>(sheet.topOffset + x);
    }
    PaperFrame& page = copy.page;
    page.leftMargin = page.rightMargin = page.leftOffset;
    page.topMargin = page.bottomMargin = page.topOffset;
    copy.rotate180 = kRotateNever;
    copy.fixedZoom = 0;
    copy.zoomPercent = 100;
    copy.pagesPerSide = 1;
    copy.columns = copy.rows = 1;
    copy.nupOrder = 0;
    copy.bindingEdge = kBindNone;
    copy.frontGutter = copy.backGutter = 0;
    return copy;
}

}  // namespace

int IsSheetLandscape(const PageFrameJob* job)
{
    if (!job || !job->geometry)
        return 1;
    const PageGeometry& g = *job->geometry;
    const uint32_t start = job->booklet ? g.sheetLandscape : g.landscape;
    uint32_t answer;
    if (g.halfSheet)
        answer = !g.sheetLandscape;
    else
        answer = g.pagesPerSide == 1 ? start : g.sheetLandscape;
    if (job->booklet && !WholeSheetOnBookletLayout(*job))
        answer = !answer;
    if (g.posterColumns == 2 && g.posterRows == 1)
        answer = !answer;
    return answer ? 1 : 0;
}

int BuildShiftedFrameRecord(const PageFrameJob* job, PlacementMatrix* matrix, int32_t shiftX, int32_t shiftY,
                            uint32_t landscape)
{
    if (!job || !job->geometry || !matrix)
        return -1;
    const PageGeometry copy = SheetFrameCopy(*job->geometry, shiftX, shiftY, landscape);
    const int32_t slot = job->state ? job->state->slot : 0;
    const int32_t side = job->state ? job->state->side : 0;
    return BuildPageFrameRecord(job->state, matrix, &copy, slot, side);
}

int BuildOverlayFrameRecord(const PageFrameJob* job, PlacementMatrix* matrix, int32_t shiftX, int32_t shiftY,
                            uint32_t landscape)
{
    if (!job || !job->geometry || !matrix)
        return -1;
    const PageGeometry& g = *job->geometry;
    PageGeometry copy = SheetFrameCopy(g, shiftX, shiftY, landscape);
    copy.imageShift = 0;
    copy.shiftX = copy.shiftY = 0;
    const PageFrameState* state = job->state;
    if (state && state->extraPage && !state->overlayPass)
        copy.quarterTurn = 0;
    PlacementMatrix m;
    if (BuildPageFrameRecord(state, &m, &copy, 0, state ? state->side : 0))
        return -1;

    // The overlay follows a page that was turned half round.
    const bool wholeSheet = WholeSheetOnBookletLayout(*job);
    bool turn = false;
    if (job->booklet) {
        if (!landscape && !wholeSheet)
            turn = !turn;
        if (g.bookletBinding == 2 && !wholeSheet)
            turn = !turn;
    } else if (g.pagesPerSide == 1 && IsRotate180Wanted(g.rotate180, landscape)) {
        turn = !turn;
    }
    if (turn) {
        // About the sheet's centre, in the units the frame came out in.
        const bool deviceUnits = g.bookletLayout != 0;
        float cx = static_cast<float>(g.sheet.width) / 2.0f;
        float cy = static_cast<float>(g.sheet.height) / 2.0f;
        if (deviceUnits) {
            cx = TenthsToDots(cx, g.resolutionX);
            cy = TenthsToDots(cy, g.resolutionY);
        } else {
            cx = cx * kPointsPerInch / 254.0f;
            cy = cy * kPointsPerInch / 254.0f;
        }
        m = ComposePlacement(m, {-1.0f, 0.0f, 0.0f, -1.0f, 2.0f * cx, 2.0f * cy});
    }
    *matrix = m;
    return 0;
}
