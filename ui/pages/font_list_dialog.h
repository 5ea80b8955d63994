// The font substitution list (template 513, dialog code 23): for each TrueType
// family of the machine the printer's device font that replaces it, or none.
// The table is printer data ("FontSubTableSize" and numbered "FontSubTable"
// chunks), written on OK when the printer can be opened for writing.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/engine/dialog_tables.h"

inline constexpr uint32_t kFontListTemplate = 513;
inline constexpr int32_t kFontListCode = 23;

inline constexpr int32_t kFontListBox = 1223;
inline constexpr int32_t kFontChoiceBox = 1268;
inline constexpr int32_t kFontDefaultButton = 1303;
inline constexpr int32_t kFontColumnText = 1320;  // hidden: the second column's start, dialog units
inline constexpr int32_t kFontFaceHeader = 1318;
inline constexpr int32_t kFontSubstituteHeader = 1319;
inline constexpr UINT kStringNoSubstitute = 81;

extern const PageDescriptor FontListDialog;

INT_PTR CALLBACK FontListDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

struct FontListState;
// For each family row, 1 + the position of its substitute among the device
// fonts (exact, case-sensitive match), 0 when the table names none or a font
// the model does not have.
void MatchFontSubstitutions(FontListState* state);
