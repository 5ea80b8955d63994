// Poster and booklet jobs: the job's layout from its settings, the setting
// values the page geometry is filled from, the sheet turn code, and the sheets
// poster and booklet jobs make of their recorded pages. A poster page is
// recorded and, at the end of its face, sent once per tile of the grid; a
// booklet's pages are recorded and sent at the job end, two to a sheet side
// in folding order.
#pragma once
#include "render/device/pdev_record.h"
#include "render/page/page_geometry.h"

#include <cstdint>

struct PDevRecord;

// The job's layout and pages per side are read once, when the job options
// are taken (JobOptions::layout and pagesPerSide); these read the settings.
// Logical pages per sheet face (setting 295): 2, 4, 8, 16 or 32, else 1.
int32_t PagesPerSide(PDevRecord* pdev);

// Setting 321 with the poster grid of setting 296; a grid outside the list
// turns the poster off.
JobLayout ReadJobLayout(PDevRecord* pdev);

// The geometry's setting values for the job's layout.
PageGeometrySettings ReadPageGeometrySettings(PDevRecord* pdev);

// The last value of a sheet's page attributes: how the page lies on the
// sheet, 0 to 4, from the geometry the settings give.
uint32_t SheetTurnCode(PDevRecord* pdev);

// The recording kinds of a sheet face for the layout (poster and booklet
// pages hold back their media, placement and sheet ends); 0 for the others.
uint16_t LayoutRecordingKinds(PDevRecord* pdev);

// The crop marks of a poster sheet asking for them, on the sheet's own frame,
// ahead of the sheet's end. 0 or -1; 0 for other sheets.
int DrawPosterCropMarks(PDevRecord* pdev);

// A poster face just recorded: its tiles counted as sheets and, unless the
// recording is kept for a replay at the job end, the face sent once per tile,
// each tile a sheet, and the recording dropped. 0 or -1; 0 for other layouts.
int ReplayPosterFace(PDevRecord* pdev, bool keepRecording);
// Recorded page `page` of a poster sent once per tile, laid over the poster
// as it was drawn. 0 or -1.
int ReplayPosterPage(PDevRecord* pdev, uint32_t page);

// A booklet's recorded pages in folding order, two to a side, each side a
// sheet face, signature by signature; the recording stays. 0 or -1; 0 for
// other layouts.
int ReplayBookletOrder(PDevRecord* pdev);
// The same once, the recording dropped afterwards.
int ReplayBookletPages(PDevRecord* pdev);
