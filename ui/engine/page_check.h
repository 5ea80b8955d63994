// The page-level check that runs when a property page is left or applied: the
// model's rules over the whole settings record, the chosen paper against the
// model and the spooler's forms, the margins of user-defined papers, and the
// fit of the page grid; at most two message texts for the dialog engine to
// show later.
#pragma once
#include <windows.h>

#include <cstdint>

struct ConstraintContext;
struct PaperUnits;

// Two message texts (global blocks owned by the holder), either may be null.
struct QueuedConflictTexts {
    wchar_t* texts[2];
};

// Check flags.
constexpr uint32_t kCheckWholeRecord = 0x1;
constexpr uint32_t kCheckLayoutFit = 0x2;
// Mode bit: match the spooler form name of the paper to a model paper.
constexpr uint32_t kCheckMatchForm = 0x1;

constexpr UINT kMarginResetMessage = 711;

// 1 done: *holder set when a text was produced, else null; 0 failure (null).
// With a dialog window the margin check runs when `checkMargins` is set (a
// reset goes to the per-user registry when `userHost`, else to the printer's
// margin list); without one only when setting 463 is 1 as well (a reset goes
// to the registry).
int RunPageSettingsCheck(HMODULE module, HANDLE printer, const ConstraintContext& context, uint32_t mode,
                         uint32_t checkFlags, bool checkMargins, UINT marginMessageId, const PaperUnits* units,
                         HWND window, bool userHost, QueuedConflictTexts** holder);

// Slot 0 or 1 with status 0; a larger index null with status 1; a null holder
// null with status 0.
const wchar_t* GetQueuedConflictText(const QueuedConflictTexts* holder, int index, int* status);
// Frees both texts and the holder, nulls the variable. 1; 0 for a null pointer.
int FreeQueuedConflictTexts(QueuedConflictTexts** holder);

// Answers of CheckWholeSettings.
constexpr uint16_t kWholeDerivedFailed = 0;
constexpr uint16_t kWholeError = 1;
constexpr uint16_t kWholeConsistent = 3;
constexpr uint16_t kWholeChanged = 4;
// The rules over the whole record, the paper, the user-code mode and the
// derived output bin; on kWholeChanged the message naming the changed settings
// in a new block at *text.
uint16_t CheckWholeSettings(HANDLE printer, const ConstraintContext& context, uint32_t mode, const PaperUnits* units,
                            wchar_t** text);

// 0 consistent or corrected (8 listed when it fell back to its default), 1 error.
uint16_t CheckPaperSelection(HANDLE printer, const ConstraintContext& context, uint32_t mode, uint16_t** ids,
                             uint16_t* count);

// Sets 8 to the model paper whose name is the spooler form name of `paper`
// (listing 8 when it changed); false when no model paper matches.
bool MatchFormNameToPaper(HANDLE printer, const ConstraintContext& context, uint16_t paper, uint16_t** ids,
                          uint16_t* count);

// The output bin recomputed when the model derives it; 1 done, 0 failure.
int RecomputeDerivedSettings(HANDLE printer, const ConstraintContext& context, uint16_t** ids, uint16_t* count);

// 11 with the warning text when the page grid does not fit (new 1024-character
// block at *text), 12 when it fits, 1 on failure.
uint16_t CheckPageLayoutFit(const ConstraintContext& context, const PaperUnits* units, wchar_t** text);
