// The colour profile the image colour management of the system should use for
// the printer: a file name the model data may carry.
#include "ui/entry/export_frame.h"

#include "common/context/settings_context.h"
#include "common/model/model_data.h"
#include "common/model/model_format.h"
#include "common/system/global_block.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

namespace {

constexpr ULONG kQueryDeviceProfile = 0;  // QCP_DEVICEPROFILE
constexpr FLONG kProfileOnDisk = 2;       // QCP_PROFILEDISK

BOOL CopyProfileName(HANDLE printer, PVOID data, ULONG* bytes, FLONG* flags)
{
    SettingsContext* context = OpenSettingsContext(printer);
    if (!context)
        return FALSE;
    wchar_t* name = nullptr;
    ReadModelSectionString(context->main, kRawColorProfile, 0, &name);
    GlobalBlockPtr<wchar_t> owned(name);
    CloseSettingsContext(context);
    if (!name)
        return FALSE;
    const ULONG needed = static_cast<ULONG>((std::wcslen(name) + 1) * sizeof(wchar_t));
    if (needed > *bytes) {
        *bytes = needed;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(data, name, needed);
    *flags = kProfileOnDisk;
    return TRUE;
}

}  // namespace

extern "C" BOOL WINAPI DrvQueryColorProfile(HANDLE printer, PDEVMODEW devmode, ULONG queryMode, VOID* data,
                                            ULONG* bytes, FLONG* flags)
{
    EnterExport(L"DrvQueryColorProfile");
    BOOL result = FALSE;
    if (printer && devmode && data && bytes && flags && queryMode == kQueryDeviceProfile)
        result = CopyProfileName(printer, data, bytes, flags);
    LeaveExport(L"DrvQueryColorProfile RetValue = %d", result);
    return result;
}
