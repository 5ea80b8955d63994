// The exports that convert, check and merge DEVMODEs for the spooler and for
// applications, without a dialog, and the capability answers.
#include "ui/entry/document_properties.h"
#include "ui/entry/export_frame.h"
#include "ui/entry/message_format.h"

#include "common/capabilities/device_capabilities.h"
#include "common/devmode/interface_cores.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"

#include <windows.h>

#include <algorithm>
#include <climits>

extern "C" BOOL WINAPI DrvConvertDevMode(LPWSTR printerName, PDEVMODEW input, PDEVMODEW output, PLONG needed,
                                         DWORD mode)
{
    const DWORD callerError = EnterExport(L"DrvConvertDevMode");
    const BOOL result = ConvertDevmodeForPrinter(printerName, input, output, reinterpret_cast<DWORD*>(needed), mode);
    if (result)
        SetLastError(callerError);
    LeaveExport(L"DrvConvertDevMode RetValue = %d", result, true);
    return result;
}

extern "C" LONG WINAPI DrvDocumentProperties(HWND window, HANDLE printer, LPWSTR deviceName, PDEVMODEW output,
                                             PDEVMODEW input, DWORD mode)
{
    EnterExport(L"DrvDocumentProperties");
    LONG result = kPrivatePartOffset;
    if (mode != 0 && output) {
        const LONG inner = RunDocumentProperties(window, printer, deviceName, output, input, mode);
        result = inner > 0 ? IDOK : inner == 0 ? IDCANCEL : inner;
    }
    LeaveExport(L"DrvDocumentProperties RetValue = %ld", result);
    return result;
}

// The platform answers a null output record with the size the output needs.
extern "C" LONG WINAPI DrvAdvancedDocumentProperties(HWND window, HANDLE printer, LPWSTR deviceName,
                                                     PDEVMODEW output, PDEVMODEW input)
{
    EnterExport(L"DrvAdvancedDocumentProperties");
    LONG logged = kPrivatePartOffset;
    LONG result = kPrivatePartOffset;
    if (output) {
        logged = RunDocumentProperties(window, printer, deviceName, output, input,
                                       DM_PROMPT | DM_ADVANCED | DM_COPY | DM_UPDATE);
        result = logged > 0 ? TRUE : FALSE;
    }
    LeaveExport(L"DrvAdvancedDocumentProperties RetValue = %ld", logged);
    return result;
}

extern "C" BOOL WINAPI DevQueryPrintEx(DEVQUERYPRINT_INFO* info)
{
    EnterExport(L"DevQueryPrintEx");
    BOOL result = FALSE;
    if (info) {
        // The check alone; the text the caller sees is ours to format.
        DEVQUERYPRINT_INFO checked = *info;
        checked.pszErrorStr = nullptr;
        checked.cchErrorStr = 0;
        result = QueryDevmodePrintable(&checked);
        if (!result) {
            int needed = 0;
            const int capacity = static_cast<int>(std::min<DWORD>(info->cchErrorStr, INT_MAX));
            FormatPercentMessage(GetResourceModule(), info->pszErrorStr, capacity, &needed, kInvalidDevmodeText);
            info->cchNeeded = static_cast<DWORD>(needed);
        }
    }
    LeaveExport(L"DevQueryPrintEx RetValue = %d", result);
    return result;
}

extern "C" DWORD WINAPI DrvDeviceCapabilities(HANDLE printer, PWSTR, WORD capability, PVOID output,
                                              PDEVMODEW devmode)
{
    EnterExport(L"DrvDeviceCapabilities");
    // The device name is not passed on: the capability query takes the printer handle.
    const DWORD result = QueryDeviceCapability(printer, nullptr, capability, output, devmode);
    LeaveExport(L"DrvDeviceCapabilities RetValue = 0x%08lX", static_cast<LONG_PTR>(result));
    return result;
}
