// The document-properties work shared by the exports that answer it: with
// DM_PROMPT the document sheets, without it the silent merge.
#pragma once
#include <windows.h>

#include "winddiui_records.h"

LONG RunDocumentProperties(HWND window, HANDLE printer, const wchar_t* deviceName, DEVMODEW* output,
                           DEVMODEW* input, DWORD mode);
// The platform's call without a sheet (no property-sheet information):
// a size query or the silent merge. -1 for a missing or short header.
LONG AnswerDocumentPropertiesHeader(LPARAM header);
