// The property-sheet exports. The spooler and winspool call the document sheets
// without sheet information to ask for the DEVMODE size or the silent merge;
// that is answered here. The sheets themselves are not built yet: a call that
// wants a sheet gets the failure answer.
#include "ui/entry/document_properties.h"
#include "ui/entry/export_frame.h"

#include <windows.h>

extern "C" LONG WINAPI DrvDocumentPropertySheets(void* sheetInfo, LPARAM lParam)
{
    EnterExport(L"DrvDocumentPropertySheets");
    const LONG result = sheetInfo ? -1 : AnswerDocumentPropertiesHeader(lParam);
    LeaveExport(L"DrvDocumentPropertySheets RetValue = %ld", result);
    return result;
}

extern "C" LONG WINAPI DrvDevicePropertySheets(void*, LPARAM)
{
    EnterExport(L"DrvDevicePropertySheets");
    LeaveExport(L"DrvDevicePropertySheets RetValue = %ld", -1);
    return -1;
}

extern "C" BOOL WINAPI PrinterProperties(HWND, HANDLE)
{
    EnterExport(L"PrinterProperties");
    LeaveExport(L"PrinterProperties RetValue = %d", FALSE);
    return FALSE;
}
