// The colour page of the document sheet (template 505, dialog code 3): the
// colour mode 270 with its companions 271 and 293, the colour sample and the
// settings illustration, and the button that opens the colour profiles
// dialog (template 507, dialog code 27, a sub-page dialog). There the user
// names two profile files (settings 1832 and 1833) whose use flags 1303,
// 1304 and 1305 follow the two combo boxes. Models of one colour kind show
// template 537 instead, which has no items.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/engine/dialog_tables.h"

struct CallContext;

inline constexpr int32_t kColourModeCode = 3;
inline constexpr int32_t kColourProfilesCode = 27;
inline constexpr uint32_t kColourModeTemplate = 505;
inline constexpr uint32_t kColourModePlainTemplate = 537;
inline constexpr uint32_t kColourProfilesTemplate = 507;

// Controls of page 505.
inline constexpr int kColourModeLabel = 1270;
inline constexpr int kColourModeCombo = 1271;
inline constexpr int kColourConversionLabel = 1272;
inline constexpr int kColourConversionCombo = 1273;
inline constexpr int kColourDetailText = 1274;
inline constexpr int kColourProfilesButton = 1275;
inline constexpr int kColourIllustration = 1100;
inline constexpr int kColourIllustrationGroup = 1101;
inline constexpr int kColourSettingsPicture = 1285;
inline constexpr int kColourDefaultsButton = 1090;
// Controls of dialog 507.
inline constexpr int kProfileCombo1 = 1081;
inline constexpr int kProfileCombo2 = 1082;
inline constexpr int kProfileBrowse1 = 1083;
inline constexpr int kProfileBrowse2 = 1084;
inline constexpr int kProfilePath1 = 1085;
inline constexpr int kProfilePath2 = 1086;
inline constexpr int kProfilesOkButton = 1092;
inline constexpr int kProfilesCancelButton = 1091;
inline constexpr int kProfilesDefaultsButton = 1090;

// Strings: the fixed first entries of the two combo boxes, and the refusals
// of a file name (with caption 265).
inline constexpr UINT kStringNoProfile1 = 79;
inline constexpr UINT kStringNoProfile2 = 80;
inline constexpr UINT kMessageFileNotAnsi = 381;
inline constexpr UINT kMessageFileRefused = 388;

// Settings of the dialog.
inline constexpr uint16_t kFidProfileFile1 = 1832;
inline constexpr uint16_t kFidProfileFile2 = 1833;
inline constexpr uint16_t kFidProfileFile1On = 1303;
inline constexpr uint16_t kFidProfileFile2On = 1304;
inline constexpr uint16_t kFidProfileFile2Printer = 1305;
// The bytes each file setting holds: 128 characters and the terminator.
inline constexpr uint32_t kProfilePathBytes = 258;
inline constexpr int kProfilePathChars = 129;
// The ANSI form a file name must fit (terminator included).
inline constexpr int kProfileAnsiBytes = 128;

// JobType value that leaves the colour page without its defaults button.
inline constexpr uint32_t kJobTypeWithoutColourDefaults = 5;

extern const ItemTableHeader ColourModeItemTable;
extern const ItemTableHeader ColourModePlainItemTable;
extern const PageDescriptor ColourProfilesDialog;

INT_PTR CALLBACK ColorModePageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FreeTextComboDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// 1 when every character of the path has a byte form in the ANSI code page
// and that form fits 128 bytes with its terminator; else the refusal is shown
// over `window` (381 when it cannot be converted or does not fit, 388 for
// another failure, each followed by the file name) and 0.
int CheckFileName(HWND window, HMODULE resources, const wchar_t* path);

// A chosen file: checked, then stored with its flag (1303 = 1; or 1304 = 1
// and 1305 = 0), the page marked changed. 1 stored; 0 refused (nothing
// changed).
int StoreFile1(CallContext* call, const ItemRecord* item, const wchar_t* path);
int StoreFile2(CallContext* call, const ItemRecord* item, const wchar_t* path);

// The slot the colour conversion list shows for a value of setting 293: 390
// for 2, 23 for 3, 36922 (hidden) for any other.
uint16_t ColourConversionSetting(uint32_t setting293);
// The slot of the colour-settings picture for a value of setting 293; -1
// leaves the selection as it is.
int32_t ColourPictureSlot(uint32_t setting293);
