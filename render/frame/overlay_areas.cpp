#include "render/frame/overlay_areas.h"

#include "common/settings/function_ids.h"
#include "render/device/pdev_record.h"

#include <algorithm>
#include <utility>

namespace {

constexpr float kFormUnitsPerInch = 18432.0f;

float Width(const PlacementRect& r) { return r.right - r.left; }
float Height(const PlacementRect& r) { return r.bottom - r.top; }

PlacementRect Exchanged(const PlacementRect& r)
{
    return {r.top, r.left, r.bottom, r.right};
}

}  // namespace

void KeepInsideMargins(OverlayAreas* areas, const PaperFrame& page, uint32_t landscape, float dpi)
{
    // The frame holds the upright paper; a landscape page has its margins
    // turned as its form was: left from top, top from right, and so on.
    float left = page.leftMargin, top = page.topMargin, right = page.rightMargin, bottom = page.bottomMargin;
    if (landscape) {
        const float l = left;
        left = top;
        top = right;
        right = bottom;
        bottom = l;
    }
    auto dots = [dpi](float tenths) { return tenths * dpi / 254.0f; };
    PlacementRect& r = areas->imageable;
    const PlacementRect& paper = areas->form;
    r.left = std::max(r.left, paper.left + dots(left));
    r.top = std::max(r.top, paper.top + dots(top));
    r.right = std::min(r.right, paper.right - dots(right));
    r.bottom = std::min(r.bottom, paper.bottom - dots(bottom));
    // Margins that leave nothing keep an empty area, never a turned one.
    r.right = std::max(r.right, r.left);
    r.bottom = std::max(r.bottom, r.top);
}

void FitIntoCell(OverlayAreas* areas, const PlacementRect& cell)
{
    float pageWidth = Width(areas->form), pageHeight = Height(areas->form);
    const float cellWidth = Width(cell), cellHeight = Height(cell);
    if (pageWidth <= 0.0f || pageHeight <= 0.0f || cellWidth <= 0.0f || cellHeight <= 0.0f)
        return;
    // A page whose long side runs across the cell's long side is turned into it.
    if ((pageWidth > pageHeight) != (cellWidth > cellHeight)) {
        ExchangeAxes(areas);
        std::swap(pageWidth, pageHeight);
    }
    const float t = std::min(cellWidth / pageWidth, cellHeight / pageHeight);
    const float x = cell.left + (cellWidth - pageWidth * t) / 2.0f - areas->form.left * t;
    const float y = cell.top + (cellHeight - pageHeight * t) / 2.0f - areas->form.top * t;
    for (PlacementRect* r : {&areas->imageable, &areas->form})
        *r = {x + r->left * t, y + r->top * t, x + r->right * t, y + r->bottom * t};
}

void ExchangeAxes(OverlayAreas* areas)
{
    areas->imageable = Exchanged(areas->imageable);
    areas->form = Exchanged(areas->form);
}

int CurrentPageCell(PDevRecord* pdev, PlacementRect* cell)
{
    if (!pdev->geometry)
        return -1;
    PageFrameState state{};
    state.logicalPage = static_cast<int32_t>(pdev->counters.pages);
    state.slot = static_cast<int32_t>(pdev->counters.facePages);
    state.side = static_cast<int32_t>(pdev->counters.faceIndex);
    PlacementInput input;
    PlacementMatrix matrix;
    PlacementRect measured;
    if (ComputeSheetLayout(&state, &input, pdev->geometry) != 0 ||
        ComputePagePlacement(&matrix, &input, state.slot + 1, state.side + 1, &measured) != 0)
        return -1;
    // The placement hands the cell over in the sheet's axes down from its top
    // edge (its own layout runs up from the foot), as the areas are measured.
    *cell = {measured.left, std::min(measured.top, measured.bottom), measured.right,
             std::max(measured.top, measured.bottom)};
    return 0;
}

OverlayAreas ComputeOverlayAreas(PDevRecord* pdev, bool inwards, bool inCell)
{
    const FormRecord& form = pdev->requestedForm;
    const float dpi = static_cast<int16_t>(GetPdevSettingWord(pdev, kFidPrintQuality));
    auto px = [dpi](int32_t units) { return static_cast<float>(units) * dpi / kFormUnitsPerInch; };
    OverlayAreas areas{{px(form.left), px(form.top), px(form.right), px(form.bottom)},
                       {0.0f, 0.0f, px(form.pageWidth), px(form.pageHeight)}};
    const PageGeometry* geometry = pdev->geometry;
    if (inwards && geometry)
        KeepInsideMargins(&areas, geometry->page, form.rotated, dpi);
    PlacementRect cell;
    // The cell lies on the upright sheet: a landscape page's areas are laid
    // along it by the fit and exchanged back to the page's axes below.
    if (inCell && geometry && geometry->pagesPerSide > 1 && CurrentPageCell(pdev, &cell) == 0)
        FitIntoCell(&areas, cell);
    if (form.rotated)
        ExchangeAxes(&areas);
    return areas;
}
