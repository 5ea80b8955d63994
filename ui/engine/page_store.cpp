#include "ui/engine/page_store.h"

#include "common/context/model_lookups.h"
#include "common/context/paper_list.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/devmode/devmode_merge.h"
#include "common/model/model_data.h"
#include "common/settings/function_ids.h"
#include "common/settings/paper_codes.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/store/user_setting_info.h"
#include "common/store/user_store.h"
#include "common/system/global_block.h"
#include "ui/entry/preferences_host.h"

#include <htmlhelp.h>

#include <cstring>
#include <memory>

namespace {

constexpr uint32_t kFreeCustomPaper = 256;
constexpr uint32_t kPaperSizeFields = DM_PAPERLENGTH | DM_PAPERWIDTH;
constexpr uint16_t kServiceSetting = 259;
constexpr int kServiceAccepted = 1;
constexpr int kServiceRefused = 4;
// Group 2 of the per-user block, read from the printer-wide copy.
constexpr uint32_t kPreferencesGroups = kUserInfoPrinterWide | 2;

struct GlobalText {
    wchar_t* text = nullptr;
    ~GlobalText() { FreeGlobalIfSet(text); }
};

bool IsSettingGiven(uint16_t id, void* settings, void* printerSettings)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdValue(id, settings, printerSettings, &type, &size, &holder) != kSettingOk)
        return false;
    if (type == kTypeString) {
        const auto* text = reinterpret_cast<const wchar_t*>(holder);
        return text && *text;
    }
    return holder != 0;
}

// HtmlHelpW is in hhctrl.ocx; loaded when help is first asked for.
using HtmlHelpProc = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
HtmlHelpProc HtmlHelpEntry()
{
    static HtmlHelpProc entry = [] {
        HMODULE library = LoadLibraryW(L"hhctrl.ocx");
        return library ? reinterpret_cast<HtmlHelpProc>(reinterpret_cast<void*>(GetProcAddress(library, "HtmlHelpW"))) : nullptr;
    }();
    return entry;
}

}  // namespace

int PrepareSettingsForStore(HWND, UiContext* ui, void* settings, void* printerSettings)
{
    if (!ui || !ui->settings || !settings || !printerSettings)
        return 0;
    uint32_t paper = 0;
    if (!ReadSettingNumber(kFidPaperSize, settings, printerSettings, &paper))
        return 0;
    if (paper == kFreeCustomPaper) {
        uint32_t fields = 0;
        if (!CopyCustomPaperSize(kCustomSizeToDevmode, settings, printerSettings) ||
            !ReadSettingNumber(kFidFields, settings, printerSettings, &fields) ||
            !WriteSettingNumber(kFidFields, settings, printerSettings, fields | kPaperSizeFields))
            return 0;
    }
    if (!SyncFormName(ui->settings, ui->printer, settings, printerSettings) ||
        !SyncTrueTypeOption(settings, printerSettings, kTrueTypeToSettings) ||
        !RecomputeNonzeroGroupMask(settings, printerSettings) || !SyncDefaultSource(settings, printerSettings) ||
        !SyncIcmMethod(settings, printerSettings) || !UpdateCollateField(settings, printerSettings, ui->settings) ||
        !SyncColorField(settings, printerSettings) || !UpdateScaleField(settings, printerSettings))
        return 0;
    if (paper != kFreeCustomPaper && !UpdatePaperSizeFields(settings, printerSettings))
        return 0;
    return 1;
}

int ServiceRequestStep(CallContext* call)
{
    DialogContext* context = call ? GetDialogContext(call->window) : nullptr;
    if (!context || !IsSettingsSetValid(context->current))
        return 0;
    if (!IsSettingGiven(kServiceSetting, call->settings, call->printerSettings))
        return 1;
    int answer = ReturnNotAvailable(nullptr);
    if (answer == kServiceAccepted) {
        ServiceRequest* request = nullptr;
        answer = CreateServiceRequest(call->settings, call->settings, call->printerSettings, &request);
        if (answer == kServiceAccepted)
            answer = ReturnNotSupported(request, call->window);
        FreeServiceRequest(request);
    }
    if (answer == kServiceAccepted)
        return 1;
    if (answer == kServiceRefused)
        return 0;
    // Without the service the request is dropped: the switch goes off and the
    // data block is the one the sheet opened with.
    WriteSettingNumber(kFidCoverSheetOn, call->settings, call->printerSettings, 0);
    SettingsSet* current = context->current;
    const SettingsSet* saved = context->saved;
    void* copy = nullptr;
    if (saved && saved->faxBlock && saved->faxBlockSize) {
        copy = GlobalAlloc(GPTR, saved->faxBlockSize);
        if (!copy)
            return 0;
        std::memcpy(copy, saved->faxBlock, saved->faxBlockSize);
    }
    FreeGlobalIfSet(current->faxBlock);
    current->faxBlock = copy;
    current->faxBlockSize = copy ? saved->faxBlockSize : 0;
    return 1;
}

void ForgetFavouritePosition(const UiContext* ui)
{
    if (!ui || !ui->settings)
        return;
    GlobalText base;
    if (GetModelRegistryBase(ui->settings->main, 1, &base.text) != kModelOk || !base.text)
        return;
    DeleteUserValue(ui->printer, base.text, L"Favorite", L"SelPosition");
}

void LoadUserSettingsWhenNeeded(CallContext* call, const UiContext* ui)
{
    bool preferences = true;
    if (ui->sheetMode & kSheetDevice)
        preferences = SettingNumberOr(kFidPerUserStore, call->settings, call->printerSettings, 0) != 0;
    else
        preferences = DetectPrintingPreferencesHost(call->window, ui->printerName, ui->sheetMode) != kHostNoMatch;
    if (preferences)
        return;
    GlobalText base;
    if (GetModelRegistryBase(ui->settings->main, 1, &base.text) != kModelOk || !base.text)
        return;
    auto defaults = std::make_unique<UserSettingInfo>();
    auto record = std::make_unique<UserSettingInfo>();
    if (!FillUserSettingInfoDefaults(ui->settings->main, ui->settings->linked, defaults.get()))
        return;
    if (LoadUserSettingInfo(ui->printer, base.text, *defaults, record.get(), kPreferencesGroups, false))
        ApplyUserSettingInfo(call->printerSettings, record.get(), static_cast<uint16_t>(kPreferencesGroups));
}

void CloseHelpWindows(const UiContext* ui)
{
    const wchar_t* file = GetUiHelpFilePath(ui);
    if (!file || !*file)
        return;
    const HtmlHelpProc help = HtmlHelpEntry();
    if (help && help(GetDesktopWindow(), file, HH_GET_WIN_HANDLE, reinterpret_cast<DWORD_PTR>(L"main")))
        help(nullptr, nullptr, HH_CLOSE_ALL, 0);
}

int ShowHelpTopic(const UiContext* ui, uint32_t topic)
{
    const wchar_t* file = GetUiHelpFilePath(ui);
    const HtmlHelpProc help = HtmlHelpEntry();
    if (!file || !*file || !help)
        return 0;
    help(GetDesktopWindow(), file, HH_HELP_CONTEXT, topic);
    return 1;
}
