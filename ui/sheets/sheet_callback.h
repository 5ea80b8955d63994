// The property sheets on the platform's common property-sheet interface: the
// sheet callbacks it calls with its four reasons, the stores that run when the
// user confirms, and the call that shows a sheet.
#pragma once
#include <windows.h>

#include <commctrl.h>
#include <compstui.h>

#include "winddiui_records.h"

struct DialogContext;

// Loads "compstui.dll" in the driver's activation context and runs
// CommonPropertySheetUIW; its answer, or -1 when the library or the function
// is missing (nothing is shown then and *result is left alone).
LONG CallCommonPropertySheetUI(HWND owner, PFNPROPSHEETUI callback, LPARAM lParam, DWORD* result);

// The sheet callback of a sheet kind (kSheetKind*), for INIT, GET_INFO_HEADER
// and DESTROY; SET_RESULT answers 0 and leaves the storing to the caller.
// `header` is the DEVICEPROPERTYHEADER or DOCUMENTPROPERTYHEADER of lParamInit.
LONG PropertySheetCallback(int sheetKind, PROPSHEETUI_INFO* info, LPARAM lParam, void* header,
                           LPFNPSPCALLBACKW pageCallback);

// The work of the sheet exports, without their frame.
LONG DocumentSheetCallback(PROPSHEETUI_INFO* info, LPARAM lParam);
LONG DeviceSheetCallback(PROPSHEETUI_INFO* info, LPARAM lParam);
LONG PrintTimeSheetCallback(PROPSHEETUI_INFO* info, LPARAM lParam);
// PrinterProperties: the device sheet, read-only when the printer's data cannot be written.
BOOL ShowPrinterProperties(HWND owner, HANDLE printer);
// DrvDocumentProperties with DM_PROMPT: CPSUI_OK (1) or CPSUI_CANCEL (0) as the
// sheet ended, -1 when no sheet could be shown.
LONG ShowDocumentSheet(HWND owner, DOCUMENTPROPERTYHEADER* header, bool printTime);

// The device store; 1 for every sheet instance.
int StoreDeviceSheetSettings(DialogContext* instance);

// The page callback of every page: 1 for every message.
UINT CALLBACK SheetPageCallback(HWND window, UINT message, LPPROPSHEETPAGEW page);
