#include "ui/sheets/sheet_instance.h"

#include "common/context/paper_list.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/defaults/setting_defaults.h"
#include "common/devmode/devmode_convert.h"
#include "common/devmode/devmode_merge.h"
#include "common/devmode/interface_cores.h"
#include "common/job/doc_monitor_job.h"
#include "common/job/fax_temp_files.h"
#include "common/model/model_data.h"
#include "common/records/context_sources.h"
#include "common/records/printer_settings_record.h"
#include "common/records/record_defaults.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/store/settings_blobs.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "common/system/os_version.h"
#include "ui/docevent/fax_send_list.h"
#include "ui/engine/page_check.h"
#include "ui/engine/ui_context.h"
#include "ui/entry/model_forms.h"
#include "ui/sheets/sheet_pages.h"

#include <winspool.h>

#include <cstring>
#include <cwchar>
#include <memory>

namespace {

constexpr int kUserPaperCount = 20;
// A user paper without a form of the spooler's is A4, in 0.1 mm.
constexpr uint16_t kUserPaperWidthDefault = 2100;
constexpr uint16_t kUserPaperLengthDefault = 2970;
constexpr LONG kFormUnitsPerTenthMm = 100;
constexpr int kFormNameChars = 64;
// The model data's registry base 0, which the sheet keeps as text.
constexpr uint16_t kModelStringSection = 30;
constexpr int kBlobsInFile = 1;

struct ContextCloser {
    void operator()(SettingsContext* context) const { CloseSettingsContext(context); }
};
using ContextPtr = std::unique_ptr<SettingsContext, ContextCloser>;

struct FaxCloser {
    void operator()(FaxDestinations* record) const { FreeFaxDestinations(record); }
};

wchar_t* CopyText(const wchar_t* text)
{
    if (!text)
        return nullptr;
    const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    auto* copy = static_cast<wchar_t*>(GlobalAlloc(GPTR, bytes));
    if (copy)
        std::memcpy(copy, text, bytes);
    return copy;
}

// The sizes of the twenty user papers from the spooler's forms.
bool ReadUserPaperSizes(HANDLE printer, uint8_t* settings, uint8_t* printerSettings)
{
    for (int i = 0; i < kUserPaperCount; ++i) {
        wchar_t name[kFormNameChars] = {};
        if (!FormatUserDefinedName(i, name, kFormNameChars))
            return false;
        uint16_t width = kUserPaperWidthDefault;
        uint16_t length = kUserPaperLengthDefault;
        DWORD needed = 0;
        GetFormW(printer, name, 1, nullptr, 0, &needed);
        if (needed >= sizeof(FORM_INFO_1W)) {
            auto buffer = std::make_unique<uint8_t[]>(needed);
            if (GetFormW(printer, name, 1, buffer.get(), needed, &needed)) {
                const auto* form = reinterpret_cast<const FORM_INFO_1W*>(buffer.get());
                width = static_cast<uint16_t>(form->Size.cx / kFormUnitsPerTenthMm);
                length = static_cast<uint16_t>(form->Size.cy / kFormUnitsPerTenthMm);
            }
        }
        if (SetFunctionIdValueArgs(settings, printerSettings, static_cast<uint16_t>(kFidUserPaperWidthFirst + i),
                                   kTypeU16, sizeof(uint16_t), width) != 0 ||
            SetFunctionIdValueArgs(settings, printerSettings, static_cast<uint16_t>(kFidUserPaperLengthFirst + i),
                                   kTypeU16, sizeof(uint16_t), length) != 0)
            return false;
    }
    return true;
}

// The string setting's own room in the record; null when it cannot be read.
wchar_t* StringSettingRoom(uint16_t id, uint8_t* settings, uint8_t* printerSettings, size_t* chars)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdValue(id, settings, printerSettings, &type, &size, &holder) != 0 || type != kTypeString ||
        size < sizeof(wchar_t))
        return nullptr;
    *chars = size / sizeof(wchar_t);
    return reinterpret_cast<wchar_t*>(static_cast<uintptr_t>(holder));
}

// The document's fax destinations: from the document-property file the
// settings name, else from the store the settings choose, else the private
// part goes back to the model's defaults.
void RestoreSheetFaxData(HANDLE printer, SettingsContext* context, SettingsSet* set)
{
    CleanFaxTempFiles(context->main, nullptr, nullptr);
    uint8_t* privatePart = set->settings + kPrivatePartOffset;
    const int mode = SettingNumberOr(kFidPerUserStore, set->settings, set->printerSettings, 0) == 1 ? kBlobsPerUser
                                                                                                   : kBlobsInPrinterData;
    uint8_t* tmb = nullptr;
    uint8_t* sp = nullptr;
    uint32_t tmbSize = 0;
    uint32_t spSize = 0;
    size_t chars = 0;
    wchar_t* file = StringSettingRoom(kFidDocPropertyFile, set->settings, set->printerSettings, &chars);
    bool restored = false;
    if (file && file[0]) {
        restored = RestoreFaxDestinations(printer, context, file, kBlobsInFile, set->fax, privatePart, &tmb, &tmbSize,
                                          &sp, &spSize) != 0;
        if (!restored)
            std::wmemset(file, L'\0', chars);
    }
    if (!restored)
        restored = RestoreFaxDestinations(printer, context, nullptr, mode, set->fax, privatePart, &tmb, &tmbSize, &sp,
                                          &spSize) != 0;
    if (!restored)
        GetDefaultPrivateSettings(printer, privatePart);
    set->faxBlock = tmb;
    set->faxBlockSize = tmbSize;
    set->faxBlock2 = sp;
    set->faxBlock2Size = spSize;
}

bool ModelDefaultFlagOn(SettingsContext* context, uint16_t id)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdDefault(context, id, &type, &size, &holder) != kFunctionIdDefaultOk)
        return false;
    const bool on = type == kTypeFlag && holder != 0;
    FreeFunctionIdDefault(id, holder, type);
    return on;
}

void FreeUiContext(UiContext* ui)
{
    if (!ui)
        return;
    if (ui->settings) {
        FreePaperList(ui->settings);
        CloseSettingsContext(ui->settings);
    }
    GlobalFree(ui->printerName);
    GlobalFree(ui->pageHandles);
    GlobalFree(ui->modelString30);
    FreePortName(ui);
    FreeQueuedConflictTexts(&ui->queuedTexts);
    FreePictureControlChain(ui);
    FreePageTitles(ui);
    FreeDpiLayoutValues(ui);
    GlobalFree(ui);
}

}  // namespace

DialogContext* CreateUiSheet(HANDLE printer, const DEVMODEW* input, DWORD)
{
    ContextPtr context(OpenSettingsContext(printer));
    auto settings = AllocGlobalBlock<uint8_t>(kSettingsRecordSize);
    auto printerSettings = AllocGlobalBlock<uint8_t>(kPrinterSettingsRecordSize);
    if (!context || !settings || !printerSettings)
        return nullptr;
    int merged = 0;
    GlobalBlockPtr<uint8_t> info(GetPrinterInfoWithMergedDevmode(printer, context.get(), settings.get(), nullptr,
                                                                 &merged));
    if (!info)
        return nullptr;
    GlobalBlockPtr<wchar_t> printerName(CopyText(reinterpret_cast<PRINTER_INFO_2W*>(info.get())->pPrinterName));
    if (!printerName)
        return nullptr;

    ContextSettingsSources sources;
    const bool loaded = GatherContextSettingsSources(context.get(), &ConvertOlderPrinterSettingsRecord, &sources) == 1 &&
                        LoadPrinterSettingsRecord(printer, printerSettings.get(), sources.sources) == 1;
    ReleaseContextSettingsSources(&sources);
    if (!loaded)
        return nullptr;
    if (input && PassesDevmodeRecordCheck(context.get(), input, printerSettings.get()) &&
        !MergeInputDevmode(context.get(), settings.get(), input, printerSettings.get(), printer, kMergeAccept))
        return nullptr;
    AddModelForms(printer, context.get());
    if (!ReadUserPaperSizes(printer, settings.get(), printerSettings.get()))
        return nullptr;

    const bool monitorDefault = ModelDefaultFlagOn(context.get(), kFidDocMonitorDefault);
    wchar_t* modelString = nullptr;
    ReadModelSectionString(context->main, kModelStringSection, 0, &modelString);
    GlobalBlockPtr<wchar_t> modelText(modelString);
    if (!modelText)
        return nullptr;

    auto ui = AllocGlobalBlock<UiContext>(sizeof(UiContext));
    if (!ui)
        return nullptr;
    ui->printerName = printerName.release();
    ui->printer = printer;
    ui->documentMonitor = monitorDefault && IsDocMonitorAvailable() ? 1 : 0;
    ui->modelString30 = modelText.release();
    ui->protectedMode = IsProtectedModeProcess() ? 1 : 0;
    CachePortName(ui.get());

    std::unique_ptr<FaxDestinations, FaxCloser> fax(CreateFaxDestinations());
    if (!fax) {
        FreeUiContext(ui.release());
        return nullptr;
    }
    SettingsSet set{settings.get(), printerSettings.get(), fax.get(), 0, nullptr, nullptr, 0};
    RestoreSheetFaxData(printer, context.get(), &set);
    context.reset();
    DialogContext* instance = CreateDialogContext(nullptr, ui.get(), &set, nullptr);
    GlobalFree(set.faxBlock);
    GlobalFree(set.faxBlock2);
    if (!instance) {
        FreeUiContext(ui.release());
        return nullptr;
    }
    ui.release();
    return instance;
}

void FreeUiSheet(DialogContext* instance)
{
    if (!instance)
        return;
    FreeUiContext(instance->ui);
    instance->ui = nullptr;
    FreeDialogContext(&instance);
}

uint8_t* SheetSettings(const DialogContext* instance)
{
    return instance && instance->current ? instance->current->settings : nullptr;
}

uint8_t* SheetPrinterSettings(const DialogContext* instance)
{
    return instance && instance->current ? instance->current->printerSettings : nullptr;
}
