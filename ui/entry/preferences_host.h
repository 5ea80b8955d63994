// From which host a document sheet was opened: the printing-preferences window
// of the printers folder shows the user's default settings, any other host the
// settings of one document.
#pragma once
#include <windows.h>

#include <cstdint>

inline constexpr int kHostNoMatch = 0;
inline constexpr int kHostNotApplicable = 1;
inline constexpr int kHostOwnTitle = 2;       // the resource file's title string
inline constexpr int kHostBuiltInTitle = 3;   // one of the platform's localised titles
inline constexpr int kHostPlatformTitle = 4;  // the title the platform's printer dialogs load

// The platform opens the printing preferences with this sheet mode bit.
inline constexpr uint32_t kSheetModeFromShell = 0x10;

int DetectPrintingPreferencesHost(HWND window, const wchar_t* printerName, uint32_t sheetMode);

// The needle occurs in the text; when the printer's name holds the needle too,
// the text must hold it a second time after the first, so that a window titled
// only by a printer named like the title does not count.
bool TitleContainsHostText(const wchar_t* text, const wchar_t* needle, const wchar_t* printerName);
