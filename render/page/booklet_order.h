// Booklet arithmetic: a signature is a run of logical pages folded together,
// four pages to a sheet, two to a side. How many sides a signature needs,
// which page goes left and right on each, how a long document is split into
// signatures, and where each half of a side lies on the sheet.
#pragma once
#include "render/page/page_geometry.h"

#include <cstdint>

constexpr int32_t kBookletEmptyPosition = -100;

// First and last logical page (0-based) of one signature.
struct SignatureRange {
    uint16_t first, last;
};
static_assert(sizeof(SignatureRange) == 4);

uint16_t BookletSideCount(int32_t first, int32_t last, bool cover);
// Side index from 0, position 0 left or 1 right; binding side 1 or 2. The page
// number, or kBookletEmptyPosition past the last page.
int32_t BookletPageAt(int32_t first, int32_t last, int32_t side, uint32_t bindingSide, int position, bool outward,
                      bool cover);
// The number of signatures; with `out` (room for that many) also their ranges,
// the last signature first when `reverse` is set. 0 for no pages or no sheets
// per signature.
int32_t SplitBookletSignatures(int32_t pages, bool reverse, int32_t sheetsPerSignature, SignatureRange* out);
// 1 when the signature holds all its pages, 2 while it does not (or has no sheets).
int IsSignatureComplete(int32_t first, int32_t last, int32_t sheetsPerSignature, bool cover);
// The alignment code of a page on booklet sheet `sheetIndex`: odd sheets are
// seen from the other side.
int BookletAlignmentCode(int32_t sheetIndex, uint32_t flag, int code);

// One half of a booklet side: the geometry of the job, the page state, and
// which half (1: from the middle to the far edge, 0: from the near edge to the middle).
struct BookletSideRecord {
    const PageGeometry* geometry;
    const PageFrameState* state;
    uint32_t farHalf;
};
// The half's matrix: with one page to the half, the page's sent placement in
// points; with several, dots from the booklet's page frame (y up) onto the
// sheet (y up), for each page's own matrix to be carried by.
int BuildBookletSideMatrix(PlacementMatrix* matrix, const BookletSideRecord* side);
