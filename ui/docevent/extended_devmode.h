// The DEVMODE a printer DC is created or reset with, widened to the extended
// settings record (the whole settings record and its 24-byte trailer of paper
// and margin values): the only form the graphics library accepts.
#pragma once
#include <windows.h>

#include <cstdint>

struct SettingsContext;

// Events 1 and 3: `input` (or null) merged over the printer's own settings into
// a new extended record handed out through `out` (global heap; freed at the
// matching POST event). 1 handed out, or 1 with nothing handed out when `input`
// is already extended; -1 on failure (nothing handed out).
int BuildExtendedDevmode(HANDLE printer, const DEVMODEW* input, DEVMODEW** out);

// The printer's current printer settings record through the context's sources.
// 1 loaded, 0 not.
int LoadPrinterSettingsOfContext(HANDLE printer, SettingsContext* context, uint8_t* printerSettings);

// The four margins of a model paper in the order of the page record (46 each
// when none are found): the user's own margins first when `fromUser`, then the
// printer's margin list, then the defaults. 1, or -1 when even the defaults
// cannot be had.
int GetPageMarginWords(HANDLE printer, SettingsContext* context, uint16_t paper, uint32_t fromUser,
                       uint16_t words[4]);

// The settings' paper (setting 1) matched to a model paper, and that paper's
// margins as GetPageMarginWords gives them (setting 463 chooses the user's
// own). 1 with both; 0 when the paper matches no model paper; -1 when the
// margins cannot be had (the words then hold the default margin).
int FindModelPaperMargins(HANDLE printer, SettingsContext* context, void* settings, void* printerSettings,
                          uint16_t* modelPaper, uint16_t words[4]);

// The job-header switch (1333) kept only for jobs it can describe; run when the
// DEVMODE is widened and again at STARTDOC.
void AdjustJobOptionSettings(SettingsContext* context, void* settings, void* printerSettings);
