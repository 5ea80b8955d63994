// The page geometry as the device record keeps it: the document's paper, the
// sheet, and the layout values the placement of each logical page is made
// from. Lengths are tenths of a millimetre. The routines that fill and use it
// are the page floor's (render/page/page_geometry.h).
#pragma once
#include <cstdint>

// One paper of the geometry: the document's page or the physical sheet.
struct PaperFrame {
    uint16_t paperCode;
    int16_t width, height;                    // tenths of a millimetre
    int16_t printableWidth, printableHeight;
    int16_t leftOffset, topOffset;            // printable area, centred
    int16_t shiftX, shiftY;                   // taken off the offsets when the target area is formed
    int16_t leftMargin, rightMargin, topMargin, bottomMargin;
    uint32_t sizeInRange;
};
// A recorded page keeps its logical page frame as these 32 bytes.
static_assert(sizeof(PaperFrame) == 32);

// Rotate-180 kinds (byte of the geometry).
constexpr uint8_t kRotateNever = 0;
constexpr uint8_t kRotateLandscape = 1;
constexpr uint8_t kRotatePortrait = 2;
constexpr uint8_t kRotateAlways = 3;
// Duplex kinds: which edge the sheet flips on.
constexpr uint32_t kDuplexNone = 0;
constexpr uint32_t kDuplexShortEdge = 1;
constexpr uint32_t kDuplexLongEdge = 2;
// Binding edges of the target area.
constexpr uint32_t kBindNone = 0;
constexpr uint32_t kBindLeft = 1;
constexpr uint32_t kBindRight = 2;
constexpr uint32_t kBindBottom = 3;
constexpr uint32_t kBindTop = 4;

struct PageGeometry {
    PaperFrame page;            // the document's paper
    uint32_t landscape;         // 1: the page frame is taken with width and height swapped
    PaperFrame sheet;           // the physical sheet
    uint8_t rotate180;          // kRotate...
    uint32_t duplex;            // kDuplex...; 0 for poster and booklet
    uint32_t bindingEdge;       // kBind...
    uint16_t frontGutter, backGutter;
    int32_t fixedZoom;
    int16_t zoomPercent;        // 25 to 400
    uint32_t fit;               // binding gutter shrinks the area instead of moving it
    int16_t paperSource;
    int32_t nupOrder;           // 0 to 6
    uint16_t pagesPerSide;      // N: 1, 2, 4, 8, 16, 32
    int32_t halfSheet;          // exchanges the page's sides in the alignment step
    int16_t columns, rows;
    uint32_t sheetLandscape;
    uint32_t rotatedCells;      // N of 2, 8 or 32, exclusive-or sheetLandscape
    uint16_t resolutionX, resolutionY;
    uint32_t bookletLayout;     // booklet job with N above 1
    uint32_t innerShift, innerShiftOption;
    uint16_t innerShiftAmount;  // tenths of a millimetre
    uint32_t bookletBinding;    // 1 or 2 for a booklet, else 0
    int16_t posterColumns, posterRows;
    uint32_t alignment;         // 0 to 4
    int32_t imageShift;         // 0, 1 or 2
    int16_t shiftX, shiftY;     // tenths of a millimetre
    int16_t quarterTurn;        // 1: +90 degrees, 2: -90 degrees, 0 none
};
