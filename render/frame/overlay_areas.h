// The two areas the interface library draws its overlays into, as the overlay
// query (escape 20481) answers them: the page's imageable area and its whole
// form, in device pixels with y growing downwards.
#pragma once
#include "render/page/page_geometry.h"

#include <cstdint>

struct PDevRecord;

struct OverlayAreas {
    PlacementRect imageable;
    PlacementRect form;
};

// Keeps the imageable area inside the margins of `page` (tenths of a
// millimetre, turned with a landscape page) at `dpi`: an edge lying farther
// out than its margin moves in to it. Where the imageable area reaches the
// paper's edge, that is the area moved inwards by the margins.
void KeepInsideMargins(OverlayAreas* areas, const PaperFrame& page, uint32_t landscape, float dpi);

// Fits both areas, as the whole form lies in `cell`, into the cell: the form's
// longer side along the cell's longer side, scaled to fit and centred.
void FitIntoCell(OverlayAreas* areas, const PlacementRect& cell);

// The areas with x and y exchanged.
void ExchangeAxes(OverlayAreas* areas);

// The cell of the page being drawn on its sheet face, in sheet pixels with y
// growing downwards. 0, or -1 without a geometry or a layout.
int CurrentPageCell(PDevRecord* pdev, PlacementRect* cell);

// The answer's areas for the record's requested form: moved inside the
// geometry's margins when `inwards`, fitted into the page's cell when
// `inCell` and the sheet carries several pages, and turned to the sheet's
// axes for a landscape page.
OverlayAreas ComputeOverlayAreas(PDevRecord* pdev, bool inwards, bool inCell);
