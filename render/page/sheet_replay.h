// What a recorded page keeps for its replay onto a sheet: its entry in the
// page table (logical page frame, orientation, sheet kind), the sheet kind of
// two pages that share a sheet, and the placement of a replayed page on its
// sheet (the replay's placement hook).
#pragma once
#include "render/command/page_items.h"
#include "render/output/output_stream.h"
#include "render/page/page_geometry.h"

#include <cstddef>
#include <cstdint>

// Sheet kinds: how the sheet is printed (the job kind "FH" names).
inline constexpr uint32_t kSheetOneSided = 1;
inline constexpr uint32_t kSheetLongEdge = 2;
inline constexpr uint32_t kSheetShortEdge = 3;

// The page-table entry of a recorded page. In memory only (the temporary
// channel's table), but its size is the table's entry size.
struct RecordedPageEntry {
    PaperFrame frame;          // the logical page frame the page was drawn on
    uint32_t landscape;
    uint8_t state[40];         // the rest of the page's job-attribute values
    uint32_t sheetKind;
    uint8_t reserved[36];
};
static_assert(sizeof(RecordedPageEntry) == 116);
static_assert(offsetof(RecordedPageEntry, landscape) == 32);
static_assert(offsetof(RecordedPageEntry, sheetKind) == 76);

// Marks a page of a sheet that is absent (a booklet side with one page).
inline constexpr uint32_t kNoRecordedPage = 0x8000;

// The kind of the sheet that pages `first` and `second` share: long edge when
// either was recorded so, else one-sided; a caller's type 2 forces long edge,
// types 1 and 3 are taken as they are (0: none given). The kind, or -1 when
// neither page is there or an entry cannot be read.
int ChooseSheetKind(const OutputStream* stream, uint32_t first, uint32_t second, uint32_t callerType);

// The sheet's base matrices: a replayed page's recorded matrix is placed by
// the one its item's flags choose (the first flag set; none: the first).
struct SheetPlacementBases {
    PlacementMatrix bases[3];
};
// The replay hook: out = recorded matrix composed with the chosen base.
int PlaceOnSheet(void* context, const PlacementItem& item, float out[6]);
PageReplayHooks SheetPlacementHooks(SheetPlacementBases* bases);
