// The driver's property sheets opened in a window, as the printers folder and
// an application's print dialog open them on Windows: the interface library
// of the printer is called directly (wine's spooler would not show them).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace printhost {

// The printing preferences (the document sheet for the user's default
// settings), started from the printer's own DEVMODE. kOk with the DEVMODE the
// user confirmed with OK in *devmode; kOk with *devmode empty when the sheet
// was cancelled; kDriverFailed when no sheet could be shown.
int ShowPrintingPreferences(const std::wstring& printer, std::vector<BYTE>* devmode, std::wstring* error);
// The printer properties (the device sheet). kOk with *stored telling whether
// the user confirmed them; kDriverFailed when no sheet could be shown.
int ShowPrinterProperties(const std::wstring& printer, bool* stored, std::wstring* error);
// Writes a DEVMODE file as `print --devmode` reads it back.
bool SaveDevmodeFile(const std::wstring& path, const std::vector<BYTE>& devmode, std::wstring* error);

} // namespace printhost
