// The property-sheet exports. The platform's common property-sheet interface
// calls the two sheet callbacks with its reasons; winspool calls the document
// sheets without sheet information to ask for the DEVMODE size or the silent
// merge. PrinterProperties shows the device sheet itself.
#include "ui/entry/export_frame.h"
#include "ui/sheets/sheet_callback.h"

#include <windows.h>

extern "C" LONG WINAPI DrvDocumentPropertySheets(PROPSHEETUI_INFO* sheetInfo, LPARAM lParam)
{
    EnterExport(L"DrvDocumentPropertySheets");
    const LONG result = DocumentSheetCallback(sheetInfo, lParam);
    LeaveExport(L"DrvDocumentPropertySheets RetValue = %ld", result);
    return result;
}

extern "C" LONG WINAPI DrvDevicePropertySheets(PROPSHEETUI_INFO* sheetInfo, LPARAM lParam)
{
    EnterExport(L"DrvDevicePropertySheets");
    const LONG result = DeviceSheetCallback(sheetInfo, lParam);
    LeaveExport(L"DrvDevicePropertySheets RetValue = %ld", result);
    return result;
}

extern "C" BOOL WINAPI PrinterProperties(HWND window, HANDLE printer)
{
    EnterExport(L"PrinterProperties");
    const BOOL result = ShowPrinterProperties(window, printer);
    LeaveExport(L"PrinterProperties RetValue = %d", result);
    return result;
}
