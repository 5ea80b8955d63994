// Margins of the user-defined papers: whether the stored margins leave room on
// the paper, the reset to the default margins, and the message naming the
// papers that were reset.
#pragma once
#include <windows.h>

#include <cstdint>

struct ConstraintContext;
struct MarginRecord;

constexpr int kMaxCheckedPapers = 21;
struct CheckedPapers {
    uint16_t codes[kMaxCheckedPapers];
    int count;
};

// Where margins are read and written: the per-user registry or the printer's
// margin list.
constexpr bool kMarginsPerUser = true;

// Mode 0: `margins` (left, top, right, bottom) against the paper's size on
// `axis` (0 width, 1 height; turned in landscape). Mode 1: the paper's stored
// margins against `extent` on the axis. 1 room left; -1 the extent is not
// greater than the margins; 0 failure.
constexpr int kMarginEdited = 0;
constexpr int kSizeEdited = 1;
int CheckMarginsAgainstPaper(HANDLE printer, const ConstraintContext& context, uint16_t paper, int axis,
                             const MarginRecord* margins, const uint16_t* extent, bool perUser, int mode);

// The model's user-defined papers and the free custom size whose stored margins
// leave no room: -1 with them in `failed`, 1 none, 0 on error.
int CheckUserPaperMargins(HANDLE printer, const ConstraintContext& context, bool perUser, CheckedPapers* failed);

// Default margins for each paper, then setting 463 set to say where. 1 done.
int ResetUserPaperMargins(HANDLE printer, const ConstraintContext& context, const CheckedPapers& papers,
                          bool perUser);

// The lines of the reset papers (string 706 each) put into string `messageId`
// (as they stand for -3), in a new block at *text. 1 done, 0 failure.
int BuildMarginResetMessage(const ConstraintContext& context, const CheckedPapers& papers, int messageId,
                            wchar_t** text);

// The edit handlers' check of a margin (single-value flag clear: `value` into
// field `axis`, 4 all) or a size (flag set: `value` as the extent on `axis`).
int CheckSizeValueAgainstRules(HANDLE printer, const ConstraintContext& context, const MarginRecord* margins,
                               uint16_t paper, int axis, uint32_t value, uint16_t singleValue);
