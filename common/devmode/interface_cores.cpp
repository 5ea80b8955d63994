#include "common/devmode/interface_cores.h"

#include "common/context/model_lookups.h"
#include "common/context/settings_context.h"
#include "common/defaults/item_groups.h"
#include "common/defaults/setting_defaults.h"
#include "common/devmode/devmode_convert.h"
#include "common/devmode/devmode_input.h"
#include "common/devmode/devmode_merge.h"
#include "common/devmode/setting_numbers.h"
#include "common/records/context_sources.h"
#include "common/records/printer_settings_record.h"
#include "common/records/settings_records.h"
#include "common/settings/function_ids.h"
#include "common/settings/unaligned_bytes.h"
#include "common/system/global_block.h"
#include "common/system/lock_table.h"
#include "common/system/system_utilities.h"
#include "common/system/trace_log.h"
#include "common/settings/trace_settings_dump.h"

#include <winspool.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <memory>
#include <vector>

namespace {

constexpr uint16_t kFidSizeFromBlock = 1341;
constexpr uint32_t kTraceMergeCategory = 0x40000;

struct ContextCloser {
    void operator()(SettingsContext* context) const { CloseSettingsContext(context); }
};
using ContextPtr = std::unique_ptr<SettingsContext, ContextCloser>;

struct PrinterCloser {
    void operator()(HANDLE printer) const { ClosePrinter(printer); }
};

uint32_t g_mergeHookDone = 0;

// The output record holds stale bytes until the merge writes it: of the
// caller's record only its two size fields are read, never as far as they
// claim.
bool OutputPassesRecordCheck(SettingsContext* context, const void* devmode, void* printerSettingsRecord)
{
    std::unique_ptr<InputDevmode> sizes(new (std::nothrow) InputDevmode{});
    if (!sizes)
        return false;
    const auto* bytes = static_cast<const uint8_t*>(devmode);
    std::memcpy(sizes->record + kDmSizeOffset, bytes + kDmSizeOffset, sizeof(uint16_t));
    std::memcpy(sizes->record + kDmDriverExtraOffset, bytes + kDmDriverExtraOffset, sizeof(uint16_t));
    return RunFunctionIdHandler(context, kFidSize, sizes->record, printerSettingsRecord, kItemOpCheck) != 0;
}

void TraceDevmode(const wchar_t* title, const void* devmode)
{
    if (!devmode || !IsTraceOn())
        return;
    std::unique_ptr<InputDevmode> safe(new (std::nothrow) InputDevmode);
    if (!safe)
        return;
    LoadInputDevmode(devmode, safe.get());
    TraceDumpSettings(kTraceMergeCategory, title, safe->record, nullptr);
}

// The bytes that go out: 220 when the caller's record has no room or no
// driver part for ours, else 1604.
uint32_t CopyLength(SettingsContext* context, DOCUMENTPROPERTYHEADER* header, uint8_t* work, uint8_t* printerSettings)
{
    if (SettingNumberOr(kFidSizeFromBlock, work, printerSettings, 0) != 0) {
        const uint32_t block = GetBlockSize(header->pdmOut);
        if (block != 0)
            return block < kPrivatePartOffset ? kPublicDevmodeSize : kPrivatePartOffset;
    }
    if (header->pdmIn && PassesDevmodeRecordCheck(context, header->pdmIn, printerSettings) &&
        OutputPassesRecordCheck(context, header->pdmOut, printerSettings) &&
        LoadU16(reinterpret_cast<const uint8_t*>(header->pdmOut) + kDmDriverExtraOffset) == 0)
        return kPublicDevmodeSize;
    return kPrivatePartOffset;
}

LONG MergeWithContext(SettingsContext* context, DOCUMENTPROPERTYHEADER* header)
{
    GlobalBlockPtr<uint8_t> work = AllocGlobalBlock<uint8_t>(kSettingsRecordSize);
    GlobalBlockPtr<uint8_t> printerSettings = AllocGlobalBlock<uint8_t>(kPrinterSettingsRecordSize);
    if (!work || !printerSettings)
        return -1;
    int merged = 0;
    GlobalBlockPtr<uint8_t> info(GetPrinterInfoWithMergedDevmode(header->hPrinter, context, work.get(), nullptr,
                                                                 &merged));
    if (!info)
        return -1;
    ContextSettingsSources sources;
    bool loaded = GatherContextSettingsSources(context, &ConvertOlderPrinterSettingsRecord, &sources) == 1 &&
                  LoadPrinterSettingsRecord(header->hPrinter, printerSettings.get(), sources.sources) == 1;
    ReleaseContextSettingsSources(&sources);
    if (!loaded || !UpdateCollateField(work.get(), printerSettings.get(), context))
        return -1;
    if (header->pdmIn && !(header->fMode & DM_USER_DEFAULT) &&
        PassesDevmodeRecordCheck(context, header->pdmIn, printerSettings.get()) &&
        !MergeInputDevmode(context, work.get(), header->pdmIn, printerSettings.get(), header->hPrinter,
                           kMergeAccept))
        return -1;
    const uint32_t length = CopyLength(context, header, work.get(), printerSettings.get());
    if (!ApplyInitialPreset(context, work.get(), printerSettings.get()))
        return -1;
    auto* out = reinterpret_cast<uint8_t*>(header->pdmOut);
    std::memcpy(out, work.get(), length);
    if (length < kPrivatePartOffset)
        StoreU16(out + kDmDriverExtraOffset, 0);
    return 1;
}

}  // namespace

bool PassesDevmodeRecordCheck(SettingsContext* context, const void* devmode, void* printerSettingsRecord)
{
    if (!devmode)
        return false;
    std::unique_ptr<InputDevmode> safe(new (std::nothrow) InputDevmode);
    if (!safe)
        return false;
    LoadInputDevmode(devmode, safe.get());
    return RunFunctionIdHandler(context, kFidSize, safe->record, printerSettingsRecord, kItemOpCheck) != 0;
}

BOOL ConvertDevmodeForPrinter(const wchar_t* printerName, const DEVMODEW* input, DEVMODEW* output, DWORD* size,
                              DWORD mode)
{
    if (!printerName || !size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (*size < kPrivatePartOffset) {
        *size = kPrivatePartOffset;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    HANDLE opened = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(printerName), &opened, nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ContextPtr context(OpenSettingsContext(opened));
    ClosePrinter(opened);
    if (!context) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const int result = HandleConvertDevmode(printerName, context.get(), input, output, size, mode);
    if (result == kConvertShortBuffer || result == kConvertFailed) {
        if (result == kConvertFailed)
            SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

BOOL QueryDevmodePrintable(DEVQUERYPRINT_INFO* info)
{
    if (!info)
        return FALSE;
    if (!info->pDevMode)
        return TRUE;
    const uint32_t stated = StatedDevmodeBytes(info->pDevMode);
    if (ValidateDevmodeCoreFields(info->pDevMode, std::max<size_t>(stated, kDevmodeHeaderBytes)))
        return TRUE;
    constexpr DWORD kNeeded = sizeof kInvalidDevmodeText / sizeof kInvalidDevmodeText[0];
    info->cchNeeded = kNeeded;
    if (info->pszErrorStr && info->cchErrorStr > 0) {
        const DWORD written = std::min<DWORD>(info->cchErrorStr - 1, kNeeded - 1);
        std::memcpy(info->pszErrorStr, kInvalidDevmodeText, written * sizeof(wchar_t));
        info->pszErrorStr[written] = L'\0';
    }
    return FALSE;
}

LONG MergeDevmodeSilently(DOCUMENTPROPERTYHEADER* header)
{
    if (!header)
        return -1;
    header->cbOut = kPrivatePartOffset;
    if (header->fMode == 0 || !header->pdmOut)
        return static_cast<LONG>(kPrivatePartOffset);
    LONG result = -1;
    if (header->fMode & (DM_UPDATE | DM_COPY)) {
        ContextPtr context(OpenSettingsContext(header->hPrinter));
        if (context)
            result = MergeWithContext(context.get(), header);
    }
    if (result == 1) {
        RoleLock lock(LockRole::DevmodeMerge);
        if (!g_mergeHookDone) {
            g_mergeHookDone = 1;
            const int hook = RunOnceHook();
            if (hook)
                HandleOnceHookResult(hook);
        }
    }
    TraceDevmode(L"<INPUT  DEVMODE>", header->pdmIn);
    if (result == 1)
        TraceDevmode(L"<OUTPUT DEVMODE>", header->pdmOut);
    return result;
}
