// The exports the spooler calls when a printer is set up, connected, removed or
// its driver replaced: they keep the printer's stored settings in the current
// layout and give the printer its identity.
#include "ui/entry/directory_service.h"
#include "ui/entry/export_frame.h"
#include "ui/entry/model_forms.h"

#include "common/context/settings_context.h"
#include "common/devmode/devmode_convert.h"
#include "common/model/model_value_ops.h"
#include "common/records/context_sources.h"
#include "common/records/printer_settings_record.h"
#include "common/records/record_defaults.h"
#include "common/settings/capability_bits.h"
#include "common/settings/value_types.h"
#include "common/store/pair_list.h"
#include "common/store/printer_id.h"
#include "common/store/settings_blobs.h"
#include "common/store/user_store.h"
#include "common/system/global_block.h"
#include "common/system/system_utilities.h"
#include "common/system/trace_log.h"

#include <windows.h>
#include <psapi.h>
#include <winddiui.h>
#include <winspool.h>

#include "winddiui_records.h"

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr CapabilityId kCapabilityJobOwnerTool = CapabilityBit(0x2B);
constexpr wchar_t kJobOwnerToolValue[] = L"SupportJobOwnerTool";

struct ContextCloser {
    void operator()(SettingsContext* context) const { CloseSettingsContext(context); }
};
using ContextPtr = std::unique_ptr<SettingsContext, ContextCloser>;

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using HandlePtr = std::unique_ptr<void, HandleCloser>;

struct PrinterCloser {
    void operator()(HANDLE printer) const { ClosePrinter(printer); }
};
using PrinterPtr = std::unique_ptr<void, PrinterCloser>;

struct SourcesHolder {
    ContextSettingsSources sources{};
    bool gathered = false;
    explicit SourcesHolder(SettingsContext* context)
        : gathered(GatherContextSettingsSources(context, &ConvertOlderPrinterSettingsRecord, &sources) == 1) {}
    ~SourcesHolder()
    {
        if (gathered)
            ReleaseContextSettingsSources(&sources);
    }
    SourcesHolder(const SourcesHolder&) = delete;
    SourcesHolder& operator=(const SourcesHolder&) = delete;
};

HANDLE OpenWithAllAccess(const wchar_t* name)
{
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!name || !OpenPrinterW(const_cast<wchar_t*>(name), &printer, &defaults))
        return nullptr;
    return printer;
}

// A printer without an identity gets one; an existing identity stays.
void EnsurePrinterId(HANDLE printer)
{
    uint8_t id[kPrinterIdBytes];
    if (ReadPrinterId(printer, id))
        return;
    if (CreatePrinterId(printer, id))
        StorePrinterId(printer, id);
}

// The settings blobs as they were stored, each section read on its own.
struct StoredBlobs {
    uint8_t* faxList = nullptr;
    uint8_t* tmb = nullptr;
    uint32_t tmbSize = 0;
    uint8_t* sp = nullptr;
    uint32_t spSize = 0;
    StoredBlobs() = default;
    ~StoredBlobs()
    {
        for (uint8_t* block : {faxList, tmb, sp})
            if (block)
                GlobalFree(block);
    }
    StoredBlobs(const StoredBlobs&) = delete;
    StoredBlobs& operator=(const StoredBlobs&) = delete;
};

// One section that cannot be read costs only itself: a bad fax send list
// leaves the private part it follows, a bad TMBINFO or SPINFO leaves the
// others, and only a private part that cannot be read at all is taken from
// the model's defaults. What was dropped goes to the trace log. False when not
// even the defaults can be had.
bool LoadEachStoredSection(const SettingsBlobStore& store, HANDLE printer, uint8_t* privatePart, StoredBlobs& blobs)
{
    if (ReadPrivateSection(store, kBlobsInPrinterData, privatePart, &blobs.faxList) != 1) {
        if (ReadPrivateSection(store, kBlobsInPrinterData, privatePart, nullptr) == 1) {
            TraceWrite(L"UpgradeDriverSettings: stored fax send list not readable, dropped");
        } else if (GetDefaultPrivateSettings(printer, privatePart) == 1) {
            TraceWrite(L"UpgradeDriverSettings: stored private settings not readable or absent, model defaults taken");
        } else {
            return false;
        }
    }
    if (ReadTmbSection(store, kBlobsInPrinterData, &blobs.tmb, &blobs.tmbSize) != 1)
        TraceWrite(L"UpgradeDriverSettings: stored TMBINFO not readable, dropped");
    if (ReadSpSection(store, kBlobsInPrinterData, &blobs.sp, &blobs.spSize) != 1)
        TraceWrite(L"UpgradeDriverSettings: stored SPINFO not readable, dropped");
    return true;
}

// The stored printer settings record and the settings blobs in the current
// layout, and the job-owner tool published. The font substitution table is
// built only when the printer has none, so a table the user edited survives.
BOOL UpgradeDriverSettings(HANDLE printer, SettingsContext* context, int migrate)
{
    if (migrate) {
        BOOL result = FALSE;
        SourcesHolder holder(context);
        GlobalBlockPtr<uint8_t> record = AllocGlobalBlock<uint8_t>(kPrinterSettingsRecordSize);
        GlobalBlockPtr<uint8_t> privatePart = AllocGlobalBlock<uint8_t>(kPrivatePartSize);
        if (holder.gathered && record && privatePart &&
            LoadPrinterSettingsRecord(printer, record.get(), holder.sources.sources) == 1 &&
            UpgradePrinterSettingsRecord(printer, record.get(), holder.sources.sources, true) == 1) {
            const SettingsBlobStore store{printer, holder.sources.basePath};
            StoredBlobs blobs;
            if (LoadEachStoredSection(store, printer, privatePart.get(), blobs)) {
                // The reader gives out only a list of exactly the size its count
                // gives; the block's own size is not known on every system.
                const uint32_t faxSize = blobs.faxList ? FaxSendListSize(blobs.faxList, 0xFFFFFFFF) : 0;
                const bool saved =
                    SaveSettingsBlobs(store, nullptr, kBlobsInPrinterData, faxSize ? blobs.faxList : nullptr, faxSize,
                                      privatePart.get(), blobs.tmbSize ? blobs.tmb : nullptr, blobs.tmbSize,
                                      blobs.spSize ? blobs.sp : nullptr, blobs.spSize) == 1;
                const DWORD jobOwnerTool = TestModelCapability(context->main, kCapabilityJobOwnerTool) ? 1 : 0;
                result = saved && SetPrinterDataW(printer, const_cast<wchar_t*>(kJobOwnerToolValue), REG_DWORD,
                                                  reinterpret_cast<BYTE*>(const_cast<DWORD*>(&jobOwnerTool)),
                                                  sizeof(jobOwnerTool)) == ERROR_SUCCESS;
            }
        }
        if (!result)
            return FALSE;
    }
    GetOrBuildFontSubstitutionTable(printer, context->main, context->linked);
    return TRUE;
}

// Duplex and stapling support as the printer's settings say, for the
// directory service.
void PublishDirectoryServiceAttributes(HANDLE printer, const SourcesHolder& holder)
{
    GlobalBlockPtr<uint8_t> record = AllocGlobalBlock<uint8_t>(kPrinterSettingsRecordSize);
    if (record && holder.gathered && LoadPrinterSettingsRecord(printer, record.get(), holder.sources.sources) == 1)
        WriteDirectoryServiceAttributes(printer, record.get());
}

// The token of the interactive user's shell, or null; the process handle is
// closed on every path.
HANDLE InteractiveUserToken()
{
    std::vector<DWORD> ids(4096);
    DWORD bytes = 0;
    if (!EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes))
        return nullptr;
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
        HandlePtr process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]));
        if (!process)
            continue;
        HMODULE first = nullptr;
        DWORD needed = 0;
        wchar_t name[MAX_PATH] = {};
        if (!EnumProcessModules(process.get(), &first, sizeof(first), &needed) ||
            !GetModuleBaseNameW(process.get(), first, name, MAX_PATH) || lstrcmpiW(name, L"explorer.exe") != 0)
            continue;
        HANDLE token = nullptr;
        return OpenProcessToken(process.get(), TOKEN_ALL_ACCESS, &token) ? token : nullptr;
    }
    return nullptr;
}

// The spooler may run the upgrade where the printer cannot be opened; the
// interactive user can open it, by its name without ",LocalOnly".
BOOL OpenPrinterAsInteractiveUser(const wchar_t* name, HANDLE* printer, PRINTER_DEFAULTSW* defaults)
{
    *printer = nullptr;
    HandlePtr token(InteractiveUserToken());
    if (!token)
        return FALSE;
    std::wstring cut(name);
    const size_t localOnly = cut.find(L",LocalOnly");
    if (localOnly != std::wstring::npos)
        cut.resize(localOnly);
    if (!ImpersonateLoggedOnUser(token.get()))
        return FALSE;
    const BOOL opened = OpenPrinterW(cut.data(), printer, defaults);
    RevertToSelf();
    return opened;
}

}  // namespace

extern "C" BOOL WINAPI DrvPrinterEvent(LPWSTR printerName, INT event, DWORD, LPARAM)
{
    EnterExport(L"DrvPrinterEvent");
    if (event == PRINTER_EVENT_ADD_CONNECTION || event == PRINTER_EVENT_INITIALIZE) {
        PrinterPtr printer(OpenWithAllAccess(printerName));
        ContextPtr context(printer ? OpenSettingsContext(printer.get()) : nullptr);
        if (context) {
            SourcesHolder holder(context.get());
            if (holder.gathered)
                WriteUserModeDriverValue(printer.get(), holder.sources.driverFile);
            if (event == PRINTER_EVENT_INITIALIZE) {
                EnsurePrinterId(printer.get());
                UpgradeDriverSettings(printer.get(), context.get(), 1);
                AddModelForms(printer.get(), context.get());
                PublishDirectoryServiceAttributes(printer.get(), holder);
            }
        }
    } else if (event == PRINTER_EVENT_DELETE_CONNECTION || event == PRINTER_EVENT_DELETE) {
        HANDLE opened = nullptr;
        if (printerName && OpenPrinterW(printerName, &opened, nullptr)) {
            PrinterPtr printer(opened);
            ContextPtr context(OpenSettingsContext(opened));
            SourcesHolder holder(context.get());
            if (context && holder.gathered)
                CleanUpUserSettingKeys(opened, holder.sources.basePath);
        }
    }
    LeaveExport(L"DrvPrinterEvent", 0);
    return TRUE;
}

extern "C" BOOL WINAPI DrvUpgradePrinter(DWORD level, LPBYTE info)
{
    const DWORD callerError = EnterExport(L"DrvUpgradePrinter");
    BOOL result = FALSE;
    const auto* upgrade = reinterpret_cast<const DRIVER_UPGRADE_INFO_1*>(info);
    if (level != 1 || !upgrade || !upgrade->pPrinterName) {
        SetLastError(ERROR_INVALID_PARAMETER);
    } else {
        HANDLE opened = OpenWithAllAccess(upgrade->pPrinterName);
        const DWORD firstError = opened ? ERROR_SUCCESS : GetLastError();
        if (!opened && firstError == ERROR_ACCESS_DENIED) {
            PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
            OpenPrinterAsInteractiveUser(upgrade->pPrinterName, &opened, &defaults);
        }
        if (!opened) {
            SetLastError(firstError);
        } else {
            PrinterPtr printer(opened);
            ContextPtr context(OpenSettingsContext(opened));
            if (context) {
                EnsurePrinterId(opened);
                AddModelForms(opened, context.get());
                result = UpgradeDriverSettings(opened, context.get(), 1);
            }
        }
    }
    if (result)
        SetLastError(callerError);
    LeaveExport(L"DrvUpgradePrinter RetValue = %d", result, true);
    return result;
}

extern "C" BOOL WINAPI GetUpgradedPrinterData(HANDLE printer, LPBYTE buffer, LPDWORD size)
{
    EnterExport(L"GetUpgradedPrinterData");
    BOOL result = FALSE;
    ContextPtr context(buffer && printer ? OpenSettingsContext(printer) : nullptr);
    if (!buffer || context) {
        SourcesHolder holder(context.get());
        static const PrinterSettingsSources kNoSources{};
        result = GetUpgradedPrinterDataBody(printer, buffer, size, holder.gathered ? holder.sources.sources : kNoSources);
    }
    LeaveExport(L"GetUpgradedPrinterData RetValue = %d", result);
    return result;
}
