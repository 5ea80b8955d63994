#include "common/records/printer_settings_record.h"

#include "common/context/value_by_type.h"

#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/store/printer_data.h"
#include "common/store/printer_id.h"
#include "common/system/global_block.h"
#include "common/system/trace_log.h"

#include <winspool.h>

#include <cstring>
#include <cwchar>
#include <vector>

namespace {

bool Complete(const PrinterSettingsSources& sources)
{
    return sources.userDefaults && sources.fillDefaults && sources.convertOlder && sources.applyEnforced;
}

// The printer opened again by its own name with full access; null when that
// fails, with `denied` telling whether access was refused.
HANDLE OpenWithFullAccess(HANDLE printer, bool* denied)
{
    *denied = false;
    GlobalBlockPtr<uint8_t> info(GetPrinterInfo(printer, 1));
    if (!info)
        return nullptr;
    PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE opened = nullptr;
    if (!OpenPrinterW(reinterpret_cast<PRINTER_INFO_1W*>(info.get())->pName, &opened, &access)) {
        *denied = GetLastError() == ERROR_ACCESS_DENIED;
        return nullptr;
    }
    return opened;
}

// Lays the user's values over a record that is already in the current layout,
// or, for records older than the per-user store, keeps the record's own values as
// the user's.
void MergeUserSettings(HANDLE printer, uint8_t* record, uint16_t privateVersion, bool accountMode,
                       const PrinterSettingsSources& sources)
{
    bool denied = false;
    HANDLE opened = OpenWithFullAccess(printer, &denied);
    HANDLE target = opened ? opened : printer;
    uint8_t id[kPrinterIdBytes];
    UserSettingInfo info;
    if (privateVersion >= kPrinterPrivateVersionUserStore) {
        if (!ReadPrinterId(target, id) && !denied)
            EnsurePrinterId(target, id);
        if (LoadUserSettingInfo(target, sources.userBasePath, *sources.userDefaults, &info, kUserGroupsAll,
                                accountMode))
            ApplyUserSettingInfo(record, &info, kUserGroupsAll);
    } else if (ReadPrinterId(target, id) && HasUserSettingInfo(target, sources.userBasePath)) {
        if (LoadUserSettingInfo(target, sources.userBasePath, *sources.userDefaults, &info, kUserGroupsAll, false))
            ApplyUserSettingInfo(record, &info, kUserGroupsAll);
    } else if (sources.modelName && CaptureUserSettingInfo(sources.modelName, record, &info)) {
        SaveUserSettingInfo(target, sources.userBasePath, *sources.userDefaults, info, kUserGroupsAll);
    }
    if (opened)
        ClosePrinter(opened);
}

}  // namespace

int LoadPrinterSettingsRecord(HANDLE printer, uint8_t* out, const PrinterSettingsSources& sources)
{
    if (!printer || !out || !Complete(sources))
        return 0;
    // Read into at least a whole record, so that a shorter stored one reads as
    // zeros beyond its end.
    uint32_t stored = 0;
    std::vector<uint8_t> block;
    bool read = ReadPrinterDataTable(printer, kPrinterSettingsTable, nullptr, &stored) != 0;
    if (read) {
        block.assign(stored > kPrinterSettingsRecordSize ? stored : kPrinterSettingsRecordSize, 0);
        read = ReadPrinterDataTable(printer, kPrinterSettingsTable, block.data(), &stored) != 0;
    }
    if (read) {
        const auto privateVersion = static_cast<uint16_t>(PrinterSettingNumber(block.data(), kFidPrinterPrivateVersion));
        const bool accountMode =
            privateVersion == kPrinterPrivateVersionCurrent && PrinterSettingNumber(block.data(), kFidAccountMode) == 1;
        // The record is brought to the current layout before the user's values
        // go into it: written into an older layout they would land on other
        // fields and be moved again by the conversion.
        if (PrinterSettingNumber(block.data(), kFidPrinterCommonVersion) == kPrinterCommonVersionCurrent)
            std::memcpy(out, block.data(), kPrinterSettingsRecordSize);
        else if (!sources.convertOlder(sources.context, block.data(), out))
            return 0;
        MergeUserSettings(printer, out, privateVersion, accountMode, sources);
    } else {
        // A table that is there but cannot be read (corrupt, or marked by an
        // interrupted rewrite) still gives a usable record, but support must be
        // able to see that the stored settings were passed over.
        uint32_t recorded = 0;
        if (ReadChunkedPrinterDataSize(printer, kPrinterDataTableNames[kPrinterSettingsTable].sizeName, &recorded))
            TraceWrite(L"LoadPrinterSettingsRecord: stored printer settings unreadable (size value %u), model "
                       L"defaults used",
                       recorded);
        if (!sources.fillDefaults(sources.context, out))
            return 0;
    }
    sources.applyEnforced(sources.context, out);
    return 1;
}

int WriteUserModeDriverValue(HANDLE printer, const wchar_t* fileName)
{
    if (!printer || !fileName)
        return 0;
    bool denied = false;
    HANDLE opened = OpenWithFullAccess(printer, &denied);
    if (!opened)
        return 0;
    const DWORD bytes = static_cast<DWORD>((wcslen(fileName) + 1) * sizeof(wchar_t));
    const DWORD result = SetPrinterDataW(opened, const_cast<wchar_t*>(kUserModeDriverValueName), REG_SZ,
                                         reinterpret_cast<BYTE*>(const_cast<wchar_t*>(fileName)), bytes);
    ClosePrinter(opened);
    return result == ERROR_SUCCESS;
}

int UpgradePrinterSettingsRecord(HANDLE printer, uint8_t* printerSettingsRecord, const PrinterSettingsSources& sources,
                                 bool capture)
{
    WriteUserModeDriverValue(printer, sources.userModeDriverFile);
    if (!capture || !printerSettingsRecord || !sources.userDefaults || !sources.modelName)
        return 0;
    UserSettingInfo own;
    UserSettingInfo stored;
    return CaptureUserSettingInfo(sources.modelName, printerSettingsRecord, &own) &&
           LoadUserSettingInfo(printer, sources.userBasePath, *sources.userDefaults, &stored, kUserGroupsAll, false) &&
           ApplyUserSettingInfo(printerSettingsRecord, &stored, kUserGroupsAll) &&
           WritePrinterDataTable(printer, printerSettingsRecord, kPrinterSettingsRecordSize, kPrinterSettingsTable) &&
           ApplyUserSettingInfo(printerSettingsRecord, &own, kUserGroupsAll);
}

BOOL GetUpgradedPrinterDataBody(HANDLE printer, uint8_t* buffer, DWORD* size, const PrinterSettingsSources& sources)
{
    if (!size)
        return FALSE;
    if (!buffer) {
        if (*size != 0)
            return FALSE;
        *size = kPrinterSettingsRecordSize;
        return TRUE;
    }
    if (*size < kPrinterSettingsRecordSize)
        return FALSE;
    return LoadPrinterSettingsRecord(printer, buffer, sources) ? TRUE : FALSE;
}

int SyncPrinterSettingsWithUser(HANDLE printer, const PrinterSettingsSources& sources, uint8_t* record, int* changed)
{
    if (!record || !changed || !sources.userDefaults)
        return 0;
    *changed = 0;
    std::vector<uint8_t> current(kPrinterSettingsRecordSize, 0);
    if (!LoadPrinterSettingsRecord(printer, current.data(), sources))
        return 0;
    if (PrinterSettingNumber(record, kFidUserKeyA) == PrinterSettingNumber(current.data(), kFidUserKeyA) &&
        PrinterSettingNumber(record, kFidUserKeyB) == PrinterSettingNumber(current.data(), kFidUserKeyB))
        return 1;
    if (!ApplyUserSettingInfo(record, sources.userDefaults, kUserGroup4))
        return 0;
    *changed = 1;
    return 1;
}
