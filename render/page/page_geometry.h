// Page geometry: where each logical page lands on the physical sheet. Plain
// printing, N-up, booklet halves, zoom, image shift, binding gutter, the
// 180-degree turn and duplex mirroring all end in one 2x3 float matrix per
// logical page, sent as "Aa" or kept with a recorded page.
//
// Lengths in the geometry are tenths of a millimetre (254 per inch); device
// units are dots at the geometry's resolution; points are 1/72 inch. All layout
// arithmetic after the first conversion is 32-bit float, the precision the
// placement command carries.
//
// Every routine answers 0 or -1 and ORs the results of its steps.
#pragma once
#include "render/device/geometry_record.h"

#include <cstdint>

// The page state values placement reads: the seam to the device record's page
// state, which fills it.
struct PageFrameState {
    int32_t logicalPage;        // job-wide logical page counter
    int32_t slot;               // cell on the current face, 0-based
    int32_t side;               // face within the sheet: 0 front, 1 back
    uint32_t wholeSheetDrawing; // an extra page or the overlay pass draws across the whole sheet
    uint32_t extraPage;         // an extra page is active
    uint32_t overlayPass;       // the whole-sheet overlay pass runs
};

// The geometry of a job with what the overlay frames need of the device record.
struct PageFrameJob {
    PageGeometry* geometry;
    PageFrameState* state;
    uint32_t booklet;           // the job is a booklet
};

// A point (x, y) maps to (a x + c y + e, b x + d y + f).
struct PlacementMatrix {
    float a, b, c, d, e, f;
};
static_assert(sizeof(PlacementMatrix) == 24);  // the six floats of "Aa"

struct PlacementRect {
    float left, top, right, bottom;
};

// Built afresh for each placement; lengths in device units.
struct PlacementInput {
    float paperWidth, paperHeight;          // swapped when landscape
    float printLeft, printTop, printRight, printBottom;
    float outputWidth, outputHeight;
    float targetLeft, targetTop, targetRight, targetBottom;
    uint8_t rotate180;
    int32_t fixedZoom;
    int32_t zoomPercent;
    uint32_t landscape;
    uint32_t secondOrientation;             // always 0 here
    uint32_t sheetLandscape;
    uint32_t duplex;
    int32_t nupOrder;
    uint32_t pagesPerSide;
    int32_t halfSheet;
    int32_t columns, rows;
    uint32_t rotatedCells;
    uint32_t bindingEdge;
    float frontGutter, backGutter;
    uint32_t fit;
    uint32_t alignment;
    float leftMargin, rightMargin, topMargin, bottomMargin;
    int32_t imageShift;
    float shiftX, shiftY;
};

// ---- Filling the geometry from the settings ----

// The setting values the geometry is made of, as job control reads them.
struct PageGeometrySettings {
    int32_t orientation;        // setting 7: 2 landscape
    int32_t rotate180;          // setting 437
    int32_t duplex;             // setting 16: 1 one-sided, 2 long edge, 3 short edge
    int32_t bindingEdge;        // setting 267
    int32_t frontGutter, backGutter;  // settings 268, 269
    int32_t fixedZoom;          // setting 1281
    int32_t zoomPercent;        // setting 263
    int32_t fit;                // setting 1283
    int32_t nupOrder;           // setting 264
    int32_t pagesPerSide;       // setting 295
    int32_t sheetOrientation;   // setting 294, 0 takes setting 7
    int32_t innerShift, innerShiftOption, innerShiftAmount;  // settings 1291, 1292, 324
    int32_t bookletBinding;     // setting 322: 0 or 1
    int32_t alignment;          // setting 382
    int32_t imageShift, shiftX, shiftY;  // settings 459, 460, 461
    int32_t resolutionX, resolutionY;
    uint32_t poster, booklet;   // job kind
    int16_t posterColumns, posterRows;
};

// Fills `geometry` from the settings, keeping its two paper frames. -1 for a
// zoom outside 25-400, pages per side outside the list or a booklet binding
// other than 0 or 1; the geometry is then unchanged.
int FillPageGeometry(PageGeometry* geometry, const PageGeometrySettings& settings);

// A paper frame from its sizes in tenths of a millimetre: the printable area
// centred, margins from the offsets unless the explicit ones fit; edge to edge
// prints the whole paper. Null margins keep the defaults.
struct PaperMargins {
    int16_t left, right, top, bottom;
};
void FillPaperFrame(PaperFrame* frame, uint16_t paperCode, int16_t width, int16_t height, int16_t printableWidth,
                    int16_t printableHeight, bool edgeToEdge, const PaperMargins* margins);

// GDI's form size (1/72 inch with 8 fraction bits) in tenths of a millimetre, rounded.
int32_t FormSizeToTenths(int32_t formSize);

// ---- Units ----

constexpr float kPointsPerInch = 72.0f;

// Tenths of a millimetre to dots at `resolution`.
float TenthsToDots(float tenths, uint16_t resolution);

// Tenths of a millimetre to dots; axis 1 is x, 0 is y. `out` is left alone
// when that resolution is 0.
void ConvertUnitsToDevice(const PageGeometry* geometry, float length, int axis, float* out);
int32_t ConvertUnitsToDeviceInt(const PageGeometry* geometry, float length, int axis);  // 0 on a missing record
float ConvertUnitsToDeviceFloat(const PageGeometry* geometry, float length, int axis);

// ---- Matrices ----

int ResetPlacementToIdentity(PlacementMatrix* matrix);
// `m` followed by `n` (the row-vector product m x n).
PlacementMatrix ComposePlacement(const PlacementMatrix& m, const PlacementMatrix& n);
PlacementMatrix TranslationMatrix(float x, float y);
PlacementMatrix ScaleMatrix(float x, float y);

// Three frames meet in a placement. Device coordinates are dots, y down,
// from the top-left corner of the page's printable area (the drawing surface).
// The layout of `ComputePagePlacement` works in dots with y up: the page's
// printable area lies between printTop and printBottom measured up from the
// page's foot, the target area likewise on the sheet. The sheet that "Ec"
// sizes is measured in points from its bottom-left corner, y up. So a sent
// placement is: device into the page's frame (a flip of y about the printable
// area's top edge), the layout, then dots to points; the printable area's top
// left corner lands at (left offset, sheet height - top offset) for a plain page.
PlacementMatrix DeviceIntoPageFrame(float cornerX, float cornerY);
PlacementMatrix DotsToPoints(float resolutionX, float resolutionY);

// DeviceIntoPageFrame(corner) x layout x DotsToPoints: the sent placement of a
// layout whose page has its printable top-left corner at (cornerX, cornerY),
// dots in the page's frame. -1 for a missing matrix or a resolution of 0.
int ConvertMatrixToPoints(const PlacementMatrix* layout, PlacementMatrix* out, float resolutionX, float resolutionY,
                          float cornerX, float cornerY);

// The sent placement of a layout built from `input`: its page's printable
// corner is (printLeft, printBottom) (0 or -1).
int ConvertPlacementToPoints(const PlacementMatrix* layout, const PlacementInput* input, uint16_t resolutionX,
                             uint16_t resolutionY, PlacementMatrix* out);

// ---- Placement ----

bool IsRotate180Wanted(int rotate180, uint32_t landscape);

// The cell order state (0-7) of an N-up layout.
int CellOrderState(uint32_t pagesPerSide, int32_t order, uint32_t rotatedCells);
// Column and row of cell u in a grid of `columns` x `rows` under `state`.
void CellOfState(int state, int32_t u, int32_t columns, int32_t rows, int32_t* column, int32_t* row);

// Makes the booklet page frame of the output sheet (at its offsets, without
// inner shift) the page of `input`: paper size and printable rectangle.
// `scale` (optional) receives the frame's fit scale. 0 or -1.
int UseBookletFrameAsPage(PlacementInput* input, const PageGeometry* geometry, float* scale);

int ComputeSheetLayout(const PageFrameState* state, PlacementInput* input, const PageGeometry* geometry);
// Slot is 1-based, side 1 front or 2 back; the cell goes to `cell` when given,
// with y down from the sheet's top edge.
int ComputePagePlacement(PlacementMatrix* matrix, const PlacementInput* input, int32_t slot, int32_t side,
                         PlacementRect* cell);
// The sent placement of a page: slot 0 to 31, side 0 or 1; the matrix is left
// alone on -1. On a booklet-layout sheet the matrix stays in dots, from device
// coordinates onto the booklet's page frame (y up), for the replay to place.
int BuildPageFrameRecord(const PageFrameState* state, PlacementMatrix* matrix, const PageGeometry* geometry,
                         int32_t slot, int32_t side);

// The page frame of one booklet half of the output sheet. `rect` and `size`
// in dots; `scale` (optional) receives the fit scale. -1 when the sheet has no
// printable area or the resolution is 0.
int ComputeBookletPageFrame(uint16_t resolution, const PaperFrame* sheet, int32_t xOffset, int32_t yOffset,
                            int32_t innerShift, PlacementRect* rect, float size[2], float* scale = nullptr);

// Whether the physical sheet lies landscape (for overlays and watermarks).
int IsSheetLandscape(const PageFrameJob* job);
// One full-size page shifted on the sheet, at the page state's slot and side.
int BuildShiftedFrameRecord(const PageFrameJob* job, PlacementMatrix* matrix, int32_t shiftX, int32_t shiftY,
                            uint32_t landscape);
// An overlay drawn across the whole sheet.
int BuildOverlayFrameRecord(const PageFrameJob* job, PlacementMatrix* matrix, int32_t shiftX, int32_t shiftY,
                            uint32_t landscape);
