#include "ui/sheets/sheet_callback.h"

#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/devmode/devmode_convert.h"
#include "common/job/fax_temp_files.h"
#include "common/model/com_provider.h"
#include "common/model/model_value_ops.h"
#include "common/records/context_sources.h"
#include "common/records/printer_settings_record.h"
#include "common/records/settings_records.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/store/printer_data.h"
#include "common/store/settings_blobs.h"
#include "common/store/user_setting_info.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "ui/docevent/fax_send_list.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/tooltips.h"
#include "ui/entry/directory_service.h"
#include "ui/entry/document_properties.h"
#include "ui/entry/fax_temp_name.h"
#include "ui/entry/preferences_host.h"
#include "ui/sheets/sheet_instance.h"
#include "ui/sheets/sheet_pages.h"

#include <objbase.h>
#include <winspool.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <vector>

namespace {

constexpr UINT kSheetTitleString = 5098;
constexpr int kSheetTitleLoadChars = 256;
constexpr ULONG_PTR kSheetIcon = 64082;
constexpr WORD kHeaderFlagsPrintTime = PSUIHDRF_NOAPPLYNOW | PSUIHDRF_USEHICON;
constexpr WORD kHeaderFlagsOther = PSUIHDRF_NOAPPLYNOW | PSUIHDRF_PROPTITLE;
constexpr uint16_t kFidInsertFaxPage = 5177;
constexpr int kDocumentFaxFileKind = 2;
constexpr int kBlobsInFile = 1;
constexpr uint32_t kUserSaveFlags = 2;
constexpr uint32_t kUserSaveFlagsPrinterWide = 258;
constexpr uint32_t kDeviceUserFlags = 1;
constexpr uint32_t kDeviceUserFlagsChanged = 5;
constexpr wchar_t kPermissionValue[] = L"Permission";

struct ContextCloser {
    void operator()(SettingsContext* context) const { CloseSettingsContext(context); }
};
using ContextPtr = std::unique_ptr<SettingsContext, ContextCloser>;

struct PrinterCloser {
    void operator()(HANDLE printer) const { ClosePrinter(printer); }
};
using PrinterPtr = std::unique_ptr<void, PrinterCloser>;

DialogContext* InstanceOf(const PROPSHEETUI_INFO* info)
{
    return info ? reinterpret_cast<DialogContext*>(info->UserData) : nullptr;
}

// What a sheet instance holds beyond its records: the sheet's reference on the
// resource file and COM, given back with the instance at DESTROY or after a
// failed INIT.
void ReleaseSheet(DialogContext* instance, bool resourceTaken)
{
    UiContext* ui = instance ? instance->ui : nullptr;
    if (ui) {
        FreeDialogTableSet(ui->tables);
        ui->tables = nullptr;
        FreeTooltipTexts(ui);
        if (ui->comInitResult >= 0)
            CoUninitialize();
    }
    FreeUiSheet(instance);
    if (resourceTaken)
        ReleaseResourceModule();
}

// The printer's name (level 1) as a new string; empty when it cannot be read.
std::wstring PrinterNameOf(HANDLE printer)
{
    DWORD needed = 0;
    GetPrinterW(printer, 1, nullptr, 0, &needed);
    if (needed < sizeof(PRINTER_INFO_1W))
        return {};
    std::vector<uint8_t> buffer(needed);
    if (!GetPrinterW(printer, 1, buffer.data(), needed, &needed))
        return {};
    const auto* info = reinterpret_cast<const PRINTER_INFO_1W*>(buffer.data());
    return info->pName ? info->pName : L"";
}

HANDLE OpenPrinterByName(const std::wstring& name, ACCESS_MASK access)
{
    if (name.empty())
        return nullptr;
    HANDLE opened = nullptr;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
    if (!OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &opened, access ? &defaults : nullptr))
        return nullptr;
    return opened;
}

struct SheetModeChoice {
    uint32_t mode;
    uint32_t permission;
};

SheetModeChoice ChooseSheetMode(int sheetKind, void* header)
{
    if (sheetKind == kSheetKindDevice) {
        const auto* device = static_cast<const DEVICEPROPERTYHEADER*>(header);
        return {kSheetDevice | kSheetDefaults, (device->Flags & DPS_NOPERMISSION) ? 0u : 1u};
    }
    const auto* document = static_cast<const DOCUMENTPROPERTYHEADER*>(header);
    const uint32_t permission = (document->fMode & DM_NOPERMISSION) ? 0u : 1u;
    if (sheetKind == kSheetKindPrintTime)
        return {kSheetPrintTime, permission};
    return {kSheetDocument | ((document->fMode & DM_USER_DEFAULT) ? kSheetDefaults : kSheetOneDocument), permission};
}

// Creates and adds one platform page per page header; false when a page is refused.
bool AddSheetPages(PROPSHEETUI_INFO* info, DialogContext* instance, const PageDescriptor* const* tables, size_t count,
                   LPFNPSPCALLBACKW pageCallback)
{
    UiContext* ui = instance->ui;
    std::vector<PROPSHEETPAGEW> pages(count);
    const size_t built = BuildPropSheetPages(tables, count, ui, instance, GetResourceModule(), pageCallback,
                                             pages.data());
    if (built == 0)
        return false;
    ui->pageHandles = static_cast<HANDLE*>(GlobalAlloc(GPTR, built * sizeof(HANDLE)));
    if (!ui->pageHandles)
        return false;
    for (size_t i = 0; i < built; ++i) {
        ULONG_PTR cookie = 0;
        const bool entered = EnterDriverContext(&cookie);
        HPROPSHEETPAGE page = CreatePropertySheetPageW(&pages[i]);
        LeaveDriverContext(entered, cookie);
        if (!page)
            return false;
        const LONG_PTR handle =
            info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_ADD_HPROPSHEETPAGE, reinterpret_cast<LPARAM>(page), 0);
        if (handle == 0) {
            DestroyPropertySheetPage(page);
            return false;
        }
        ui->pageHandles[i] = reinterpret_cast<HANDLE>(handle);
    }
    return true;
}

LONG InitSheet(int sheetKind, PROPSHEETUI_INFO* info, void* header, LPFNPSPCALLBACKW pageCallback)
{
    DialogContext* instance = nullptr;
    if (sheetKind == kSheetKindDevice) {
        instance = CreateUiSheet(static_cast<DEVICEPROPERTYHEADER*>(header)->hPrinter, nullptr, 0);
    } else {
        auto* document = static_cast<DOCUMENTPROPERTYHEADER*>(header);
        instance = CreateUiSheet(document->hPrinter, document->pdmIn, document->fMode);
    }
    if (!instance)
        return -1;
    LoadResourceModule();
    if (const int hook = RunOnceHook())
        HandleOnceHookResult(hook);
    UiContext* ui = instance->ui;
    // Until CoInitialize has run there is nothing to give back.
    ui->comInitResult = -1;
    ui->settings = OpenSettingsContext(ui->printer);
    if (!ui->settings) {
        ReleaseSheet(instance, true);
        return -1;
    }
    ui->comPropSheet = info->pfnComPropSheet;
    ui->comPropSheetHandle = info->hComPropSheet;
    const SheetModeChoice choice = ChooseSheetMode(sheetKind, header);
    ui->sheetMode = choice.mode;
    ui->permission = choice.permission;
    LoadModelCapabilityWords(ui);
    InitMeasureUnit(ui);
    ClearPageCheckDone(ui);
    uint32_t provider = 0;
    IsComProviderInstalled(ui->settings->main, &provider);
    SetComProviderFlag(ui, provider);
    ui->comInitResult = CoInitialize(nullptr);

    SheetTableRequest request{};
    request.sheetKind = sheetKind;
    request.driverKind = GetModelDriverKind(ui->settings->main);
    request.colourKind = QueryModelColorKind(ui->settings);
    request.ui = ui;
    if (sheetKind == kSheetKindDocument && (ui->sheetMode & kSheetDefaults))
        request.insertFlag = 1;
    else
        request.insertFlag =
            SettingNumberOr(kFidInsertFaxPage, SheetSettings(instance), SheetPrinterSettings(instance), 1) == 0;
    size_t count = 0;
    GlobalBlockPtr<const PageDescriptor*> tables(FillSheetTables(request, &count));
    if (!tables || !AddSheetPages(info, instance, tables.get(), count, pageCallback)) {
        ReleaseSheet(instance, true);
        return -1;
    }
    CacheHelpFilePath(ui);
    ui->tables = CreateDialogTableSet(tables.get(), count);
    if (!ui->tables) {
        ReleaseSheet(instance, true);
        return -1;
    }
    info->UserData = reinterpret_cast<ULONG_PTR>(instance);
    info->Result = 0;
    return 1;
}

LONG FillInfoHeader(int sheetKind, PROPSHEETUI_INFO* info, LPARAM lParam, void* header)
{
    auto* out = reinterpret_cast<PROPSHEETUI_INFO_HEADER*>(lParam);
    DialogContext* instance = InstanceOf(info);
    if (!out || !instance)
        return -1;
    UiContext* ui = instance->ui;
    out->hInst = GetResourceModule();
    if (sheetKind == kSheetKindPrintTime) {
        out->Flags = kHeaderFlagsPrintTime;
        out->hIcon = nullptr;
    } else {
        out->Flags = kHeaderFlagsOther;
        out->IconID = kSheetIcon;
    }
    wchar_t title[kSheetTitleLoadChars] = {};
    LoadStringW(out->hInst, kSheetTitleString, title, kSheetTitleLoadChars);
    const wchar_t* printerName = sheetKind == kSheetKindDevice
                                     ? static_cast<DEVICEPROPERTYHEADER*>(header)->pszPrinterName
                                     : static_cast<DOCUMENTPROPERTYHEADER*>(header)->pszPrinterName;
    if (printerName)
        wcsncat(title, printerName, kSheetTitleLoadChars - 1 - wcslen(title));
    wcsncpy(ui->sheetTitle, title, kSheetTitleChars - 1);
    ui->sheetTitle[kSheetTitleChars - 1] = L'\0';
    out->pTitle = ui->sheetTitle;
    return 1;
}

// The user's per-printer block from the printer settings.
void SaveUserSettings(SettingsContext* context, HANDLE printer, uint8_t* printerSettings, uint32_t flags)
{
    ContextSettingsSources sources;
    if (GatherContextSettingsSources(context, &ConvertOlderPrinterSettingsRecord, &sources) == 1 &&
        sources.sources.modelName) {
        UserSettingInfo info;
        if (CaptureUserSettingInfo(sources.sources.modelName, printerSettings, &info))
            SaveUserSettingInfo(printer, sources.sources.userBasePath, sources.userDefaults, info, flags);
    }
    ReleaseContextSettingsSources(&sources);
}

FaxStoreBlobs BlobsOf(const SettingsSet* set)
{
    return {set->settings + kPrivatePartOffset, static_cast<const uint8_t*>(set->faxBlock), set->faxBlockSize,
            static_cast<const uint8_t*>(set->faxBlock2), set->faxBlock2Size};
}

LONG StoreDocumentSheet(DialogContext* instance, DOCUMENTPROPERTYHEADER* header)
{
    if (!header->pdmOut)
        return -1;
    UiContext* ui = instance->ui;
    SettingsSet* set = instance->current;
    std::memcpy(header->pdmOut, set->settings, kPrivatePartOffset);
    const std::wstring name = PrinterNameOf(ui->printer);
    const int host = DetectPrintingPreferencesHost(instance->owner, name.c_str(), ui->sheetMode);
    wchar_t faxFile[MAX_PATH] = {};
    const wchar_t* fileUsed = nullptr;
    int storeMode = kBlobsPerUser;
    ACCESS_MASK access = 0;
    if (host == kHostNotApplicable) {
        uint16_t type = 0;
        uint32_t size = 0;
        uint64_t holder = 0;
        if (GetFunctionIdValue(kFidDocPropertyFile, set->settings, set->printerSettings, &type, &size, &holder) == 0 &&
            type == kTypeString && size >= sizeof(wchar_t)) {
            auto* room = reinterpret_cast<wchar_t*>(static_cast<uintptr_t>(holder));
            const size_t chars = size / sizeof(wchar_t);
            if (!room[0]) {
                MakeFaxTempFileName(faxFile, kDocumentFaxFileKind);
                wcsncpy(room, faxFile, chars - 1);
                room[chars - 1] = L'\0';
            }
            wcsncpy(faxFile, room, MAX_PATH - 1);
            fileUsed = faxFile;
        }
        storeMode = kBlobsInFile;
    } else if (host == kHostNoMatch) {
        storeMode = kBlobsInPrinterData;
        access = PRINTER_ALL_ACCESS;
    }
    if (host != kHostNoMatch)
        SetFunctionIdValueArgs(set->settings, set->printerSettings, kFidPerUserStore, kTypeByte, 1, 1);
    PrinterPtr opened(OpenPrinterByName(name, access));
    if (!opened)
        return -1;
    StoreFaxSendList(opened.get(), ui->settings, fileUsed, storeMode, set->fax, BlobsOf(set));
    if (fileUsed)
        RegisterFaxTempFile(ui->settings->main, instance->owner, fileUsed);
    SaveUserSettings(ui->settings, opened.get(), set->printerSettings,
                     host == kHostNoMatch ? kUserSaveFlagsPrinterWide : kUserSaveFlags);
    opened.reset();
    std::memcpy(header->pdmOut, set->settings, kPrivatePartOffset);
    return 1;
}

// The print-time sheet's fax destinations go to a fax address file of their
// own, which setting 375 names for the job.
bool WriteFaxAddressFile(const wchar_t* path, FaxDestinations* fax)
{
    const int32_t count = fax ? GetKeyedListCount(fax->recipients) : 0;
    if (count < 0)
        return false;
    const uint32_t bytes = FaxSendListBytes(static_cast<uint32_t>(count));
    auto block = AllocGlobalBlock<uint8_t>(bytes);
    if (!block || !PackFaxSendList(count, fax, block.get()))
        return false;
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, block.get(), bytes, &written, nullptr) && written == bytes;
    CloseHandle(file);
    return ok;
}

LONG StorePrintTimeSheet(DialogContext* instance, DOCUMENTPROPERTYHEADER* header)
{
    if (!header->pdmOut)
        return -1;
    SettingsSet* set = instance->current;
    wchar_t file[MAX_PATH] = {};
    MakeFaxTempFileName(file, kFaxTempPrintTime);
    SetFunctionIdValueArgs(set->settings, set->printerSettings, kFidFaxAddressFile, kTypeString,
                           static_cast<uint32_t>((wcslen(file) + 1) * sizeof(wchar_t)), file);
    WriteFaxAddressFile(file, set->fax);
    RegisterFaxTempFile(instance->ui->settings->main, instance->owner, file);
    std::memcpy(header->pdmOut, set->settings, kSettingsRecordSize);
    return 1;
}

// SET_RESULT of the two document sheets: the store when the user confirmed a
// sheet that may write its output, then the result handed on.
LONG SetDocumentResult(PROPSHEETUI_INFO* info, LPARAM lParam, bool printTime)
{
    DialogContext* instance = InstanceOf(info);
    const auto* result = reinterpret_cast<const SETRESULT_INFO*>(lParam);
    auto* header = reinterpret_cast<DOCUMENTPROPERTYHEADER*>(info->lParamInit);
    if (!instance || !result || !header)
        return -1;
    if (result->Result == CPSUI_OK && (header->fMode & (DM_UPDATE | DM_COPY))) {
        const LONG stored = printTime ? StorePrintTimeSheet(instance, header) : StoreDocumentSheet(instance, header);
        if (stored < 0)
            return -1;
    }
    info->Result = result->Result;
    return 1;
}

LONG DocumentSheetWork(PROPSHEETUI_INFO* info, LPARAM lParam, bool printTime)
{
    if (!info) {
        if (!lParam)
            return -1;
        return AnswerDocumentPropertiesHeader(lParam);
    }
    auto* header = reinterpret_cast<DOCUMENTPROPERTYHEADER*>(info->lParamInit);
    if (!header)
        return -1;
    if (info->Reason == PROPSHEETUI_REASON_SET_RESULT)
        return SetDocumentResult(info, lParam, printTime);
    return PropertySheetCallback(printTime ? kSheetKindPrintTime : kSheetKindDocument, info, lParam, header,
                                 SheetPageCallback);
}

}  // namespace

UINT CALLBACK SheetPageCallback(HWND, UINT, LPPROPSHEETPAGEW) { return 1; }

LONG CallCommonPropertySheetUI(HWND owner, PFNPROPSHEETUI callback, LPARAM lParam, DWORD* result)
{
    using CommonPropertySheetUIWFn = LONG(APIENTRY*)(HWND, PFNPROPSHEETUI, LPARAM, LPDWORD);
    HMODULE library = LoadLibraryInDriverContext(L"compstui.dll", 0);
    if (!library)
        return -1;
    auto entry = reinterpret_cast<CommonPropertySheetUIWFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "CommonPropertySheetUIW")));
    const LONG answer = entry ? entry(owner, callback, lParam, result) : -1;
    FreeLibrary(library);
    return answer;
}

LONG PropertySheetCallback(int sheetKind, PROPSHEETUI_INFO* info, LPARAM lParam, void* header,
                           LPFNPSPCALLBACKW pageCallback)
{
    if (!info || !header)
        return -1;
    switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT:
        return InitSheet(sheetKind, info, header, pageCallback);
    case PROPSHEETUI_REASON_GET_INFO_HEADER:
        return FillInfoHeader(sheetKind, info, lParam, header);
    case PROPSHEETUI_REASON_DESTROY:
        // The interface also destroys a sheet whose INIT failed: there is then no instance.
        if (DialogContext* instance = InstanceOf(info)) {
            ReleaseSheet(instance, true);
            info->UserData = 0;
        }
        return 1;
    case PROPSHEETUI_REASON_SET_RESULT:
        return 0;
    default:
        return -1;
    }
}

LONG DocumentSheetCallback(PROPSHEETUI_INFO* info, LPARAM lParam) { return DocumentSheetWork(info, lParam, false); }
LONG PrintTimeSheetCallback(PROPSHEETUI_INFO* info, LPARAM lParam) { return DocumentSheetWork(info, lParam, true); }

LONG DeviceSheetCallback(PROPSHEETUI_INFO* info, LPARAM lParam)
{
    if (!info || !info->lParamInit)
        return -1;
    if (info->Reason == PROPSHEETUI_REASON_SET_RESULT) {
        DialogContext* instance = InstanceOf(info);
        const auto* result = reinterpret_cast<const SETRESULT_INFO*>(lParam);
        if (!instance || !result)
            return -1;
        if (StoreDeviceSheetSettings(instance) != 1)
            return -1;
        info->Result = result->Result;
        return 1;
    }
    return PropertySheetCallback(kSheetKindDevice, info, lParam, reinterpret_cast<void*>(info->lParamInit),
                                 SheetPageCallback);
}

int StoreDeviceSheetSettings(DialogContext* instance)
{
    if (!instance || !instance->ui)
        return 0;
    UiContext* ui = instance->ui;
    uint8_t* settings = SheetSettings(instance);
    uint8_t* printerSettings = SheetPrinterSettings(instance);
    PrinterPtr opened(OpenPrinterByName(PrinterNameOf(ui->printer), PRINTER_ALL_ACCESS));
    HANDLE printer = opened ? opened.get() : ui->printer;

    // A record stored by a newer version of the driver is not overwritten.
    uint32_t storedSize = 0;
    ReadPrinterDataTable(printer, kPrinterSettingsTable, nullptr, &storedSize);
    if (storedSize >= kPrinterSettingsRecordSize) {
        std::vector<uint8_t> stored(storedSize);
        uint32_t readSize = storedSize;
        uint32_t storedVersion = 0;
        uint32_t ownVersion = 0;
        if (ReadPrinterDataTable(printer, kPrinterSettingsTable, stored.data(), &readSize) &&
            ReadSettingNumber(kFidPrinterPrivateVersion, settings, stored.data(), &storedVersion) &&
            ReadSettingNumber(kFidPrinterPrivateVersion, settings, printerSettings, &ownVersion) &&
            storedVersion > ownVersion)
            return 1;
    }

    ContextSettingsSources sources;
    if (GatherContextSettingsSources(ui->settings, &ConvertOlderPrinterSettingsRecord, &sources) == 1) {
        int changed = 0;
        SyncPrinterSettingsWithUser(printer, sources.sources, printerSettings, &changed);
        const uint32_t flags = changed ? kDeviceUserFlagsChanged : kDeviceUserFlags;
        UserSettingInfo info;
        if (sources.sources.modelName && CaptureUserSettingInfo(sources.sources.modelName, printerSettings, &info))
            SaveUserSettingInfo(printer, sources.sources.userBasePath, sources.userDefaults, info, flags);
        UpgradePrinterSettingsRecord(printer, printerSettings, sources.sources, ui->permission != 0);
    }
    ReleaseContextSettingsSources(&sources);
    WriteDirectoryServiceAttributes(ui->printer, printerSettings);
    return 1;
}

BOOL ShowPrinterProperties(HWND owner, HANDLE printer)
{
    DWORD one = 1;
    const bool writable = SetPrinterDataW(printer, const_cast<wchar_t*>(kPermissionValue), REG_DWORD,
                                          reinterpret_cast<BYTE*>(&one), sizeof one) == ERROR_SUCCESS;
    DEVICEPROPERTYHEADER header{};
    header.cbSize = sizeof header;
    header.hPrinter = printer;
    header.Flags = writable ? 0 : DPS_NOPERMISSION;
    DWORD result = 0;
    CallCommonPropertySheetUI(owner, DeviceSheetCallback, reinterpret_cast<LPARAM>(&header), &result);
    return static_cast<LONG>(result) > 0 ? TRUE : FALSE;
}

LONG ShowDocumentSheet(HWND owner, DOCUMENTPROPERTYHEADER* header, bool printTime)
{
    DWORD result = CPSUI_CANCEL;
    const LONG call = CallCommonPropertySheetUI(owner, printTime ? PrintTimeSheetCallback : DocumentSheetCallback,
                                                reinterpret_cast<LPARAM>(header), &result);
    if (call < 0)
        return call;
    return static_cast<LONG>(result);
}
