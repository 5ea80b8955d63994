// The document-properties work shared by the exports that answer it and by the
// document events: with DM_PROMPT the document sheets, without it the silent
// merge.
#pragma once
#include <windows.h>

#include "winddiui_records.h"

LONG RunDocumentProperties(HWND window, HANDLE printer, const wchar_t* deviceName, DEVMODEW* output, DEVMODEW* input,
                           DWORD mode);
// The same at print time (the fax destinations of a job): the name is kept in a
// 128-character buffer of its own for the sheet's life.
LONG RunPrintTimeDocumentProperties(HWND window, HANDLE printer, const wchar_t* printerName, DEVMODEW* output,
                                    DEVMODEW* input, DWORD mode);
// The platform's call without a sheet (no property-sheet information):
// a size query or the silent merge. -1 for a missing or short header.
LONG AnswerDocumentPropertiesHeader(LPARAM header);
