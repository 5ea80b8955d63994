// The 20 user-defined paper sizes as the custom paper sizes dialog keeps them:
// typed sizes, their display in millimetres or inches, the spooler forms that
// carry them and the names they show.
#pragma once
#include <windows.h>

#include <cstdint>

#include "common/system/module_files.h"

inline constexpr int kCustomPaperCount = 20;
inline constexpr uint16_t kUnreadFormWidth = 2100;    // A4, tenths of a millimetre
inline constexpr uint16_t kUnreadFormLength = 2970;
inline constexpr int kFormNameChars = kUserFormNameChars;
inline constexpr uint32_t kDisplayNameBytes = 14;     // ANSI bytes of a display name

enum CustomPaperUnit : int { kUnitMillimetre = 0, kUnitInch = 1 };

// A typed size: digits, then optionally the decimal sign and one digit
// (millimetres) or one or two digits (inches). 1 with the value in tenths of a
// millimetre or hundredths of an inch; 0 for any other text.
int ParseCustomSizeText(const wchar_t* text, wchar_t decimalSign, int unit, int32_t* value);
// Tenths of a millimetre to hundredths of an inch and back, rounded.
int32_t TenthsMmToHundredthsInch(int32_t tenths);
int32_t HundredthsInchToTenthsMm(int32_t hundredths);
// The value shown in the edit: "210.0" or "8.27" (the decimal sign given).
void FormatCustomSize(int32_t tenths, int unit, wchar_t decimalSign, wchar_t* out, size_t chars);

// The form name of user size n (FormatUserDefinedName, for the 20 sizes only).
int FormatUserFormName(int n, wchar_t* out, size_t chars);
// A display name cut to the byte limit in the ANSI code page, never inside a
// double-byte character. 1 when the text was cut.
int CutDisplayName(wchar_t* text, UINT codePage = 0);

struct CustomPaperEntry {
    wchar_t formName[kFormNameChars + 1];
    uint16_t width;
    uint16_t length;
};
// The sizes of the printer's forms for the 20 entries; a form that cannot be
// read gives the A4 size.
void ReadCustomPaperForms(HANDLE printer, CustomPaperEntry entries[kCustomPaperCount]);
// One SetFormW per entry (printer form, imageable area the whole sheet). 1 when
// all were written.
int WriteCustomPaperForms(HANDLE printer, const CustomPaperEntry entries[kCustomPaperCount]);

// The model's limits for user sizes, tenths of a millimetre.
struct CustomPaperLimits {
    uint16_t minWidth = 0, minLength = 0, maxWidth = 0, maxLength = 0;
};
// Results of checking a typed size.
inline constexpr int kSizeAccepted = 1;
inline constexpr int kSizeInvalid = -1;
inline constexpr int kSizeBelowShown = -5;
inline constexpr int kSizeAboveShown = -6;
// The range shown for a limit pair, in the unit shown (inch: hundredths,
// rounded to tenths of an inch when `tenthsOfInch`).
void ShownCustomRange(uint16_t minimum, uint16_t maximum, int unit, bool tenthsOfInch, int32_t* shownMin,
                      int32_t* shownMax);
// Checks a typed width or length against the entry's stored value and the
// limits; kSizeAccepted with the value (tenths of a millimetre, clamped) in *out.
int CheckCustomSizeText(const wchar_t* text, wchar_t decimalSign, int unit, bool tenthsOfInch, int32_t stored,
                        uint16_t minimum, uint16_t maximum, int32_t* out);
// A width greater than the length is turned; true when it was.
bool TurnCustomPaper(CustomPaperEntry* entry);

struct SettingsContext;
// The model's user paper codes in order (papers with a size range, but the
// free custom size) and the limits the last of them gives. The count found;
// entries beyond it have no model paper and keep the A4 size.
int LoadCustomPaperLimits(SettingsContext* settings, uint16_t codes[kCustomPaperCount], CustomPaperLimits* limits);

// --- The dialog (template 514, dialog code 24) ---------------------------------------------

#include "ui/engine/dialog_tables.h"

inline constexpr uint32_t kCustomPaperTemplate = 514;
inline constexpr int32_t kCustomPaperCode = 24;

inline constexpr int32_t kCustomPaperList = 1286;
inline constexpr int32_t kCustomWidthEdit = 1010;
inline constexpr int32_t kCustomWidthUpDown = 1029;
inline constexpr int32_t kCustomLengthEdit = 1011;
inline constexpr int32_t kCustomLengthUpDown = 1030;
inline constexpr int32_t kCustomWidthRange = 1275;
inline constexpr int32_t kCustomLengthRange = 1276;
inline constexpr int32_t kCustomWidthUnit = 1278;
inline constexpr int32_t kCustomLengthUnit = 1279;
inline constexpr int32_t kCustomMillimetreButton = 1565;
inline constexpr int32_t kCustomInchButton = 1566;
inline constexpr int32_t kCustomNameEdit = 1204;
inline constexpr int32_t kCustomNameLabel = 1274;
inline constexpr int32_t kCustomResetButton = 1304;
inline constexpr int32_t kCustomOkButton = 1306;
inline constexpr int32_t kCustomCancelButton = 1305;


extern const PageDescriptor CustomPaperDialog;
INT_PTR CALLBACK CustomPaperDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
