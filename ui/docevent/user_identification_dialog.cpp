#include "ui/docevent/user_identification_dialog.h"

#include "common/context/model_lookups.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/defaults/setting_defaults.h"
#include "common/model/model_value_ops.h"
#include "common/records/context_sources.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/store/user_setting_info.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "common/system/os_version.h"
#include "common/system/scrambled_strings.h"
#include "ui/docevent/user_identification.h"
#include "ui/support/resource_messages.h"

#include <objbase.h>
#include <winspool.h>

#include <cstring>
#include <cwchar>
#include <iterator>

namespace {

constexpr uint32_t kCapabilityScrambledCode = 0x40000000;
constexpr CapabilityId kCapabilityNoModeChoice = CapabilityBit(0x2C);
constexpr CapabilityId kCapabilityShortUserName = CapabilityBit(0x2F);

// Messages of a text out of its limits; their inserts are the field's name
// and its limits (425: the maximum twice and half of it).
constexpr UINT kMessageAtMost = 737;
constexpr UINT kMessageBetween = 738;
constexpr UINT kMessagePasswordBetween = 743;
constexpr UINT kMessageNameBetween = 445;
constexpr UINT kMessageDigitsBetween = 447;
constexpr UINT kMessageBytesAtMost = 425;

constexpr UINT kHelpTopic = 42730;
constexpr UINT kHelpContext = 15;  // HH_HELP_CONTEXT

// The six fields in the order the dialog sets them up; the user-name field's
// second row serves models with the short user name.
constexpr IdentificationField kFields[] = {
    {kIdentUserIdField, 3560, kFidPromptText, 0, 1, 32, kMessageBetween},
    {kIdentPasswordField, 3561, kFidIdentPassword, 0, 0, 32, kMessageAtMost},
    {kIdentDomainField, 3562, kFidIdentDomain, 0, 0, 32, kMessageAtMost},
    {kIdentAccountField, 3563, kFidIdentAccount, 0, 0, 64, kMessageAtMost},
    {kIdentUserNameField, 3564, kFidIdentUserName, 1, 1, 24, kMessageNameBetween},
    {kIdentUserPasswordField, 3565, kFidIdentUserPassword, 1, 0, 16, kMessagePasswordBetween},
};
constexpr IdentificationField kShortUserName = {kIdentUserNameField, 3564, kFidIdentUserName, 1, 1, 8,
                                                kMessageDigitsBetween};

struct DialogParams {
    HANDLE printer;
    void* settings;
    void* printerSettings;
    SettingsContext* context;
    int ask;
    int adminMode;
};

struct DialogState {
    DialogParams* params;
    bool loading;      // the fields are being filled: their changes are not the user's
    bool messageUp;    // one limit message at a time
};

bool Scrambled(const DialogState& state, uint16_t setting)
{
    return setting == kFidIdentPassword && state.params->context &&
           TestModelCapability(state.params->context->main, kCapabilityScrambledCode);
}

uint32_t Number(const DialogState& state, uint16_t id, uint32_t fallback = 0)
{
    return SettingNumberOr(id, state.params->settings, state.params->printerSettings, fallback);
}

bool Readable(const DialogState& state, uint16_t id, uint32_t* value)
{
    return ReadSettingNumber(id, state.params->settings, state.params->printerSettings, value) == 1;
}

const wchar_t* SettingText(const DialogState& state, uint16_t id)
{
    return reinterpret_cast<const wchar_t*>(
        GetFunctionIdValuePointer(state.params->settings, state.params->printerSettings, id, kTypeString));
}

void StoreFieldText(const DialogState& state, uint16_t setting, const wchar_t* text)
{
    GlobalBlockPtr<wchar_t> scrambled;
    if (Scrambled(state, setting) && text[0]) {
        wchar_t* stored = nullptr;
        if (!EncodeOrDecodeProtectedString(kProtectStringEncode, text, &stored))
            return;
        scrambled.reset(stored);
        text = stored;
    }
    const auto bytes = static_cast<uint32_t>((wcslen(text) + 1) * sizeof(wchar_t));
    SetFunctionIdValueArgs(state.params->settings, state.params->printerSettings, setting, kTypeString, bytes, text);
}

std::wstring FieldText(HWND dialog, int control)
{
    const int length = GetWindowTextLengthW(GetDlgItem(dialog, control));
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetDlgItemTextW(dialog, control, text.data(), length + 1);
    text.resize(wcslen(text.c_str()));
    return text;
}

void ShowFieldText(HWND dialog, const DialogState& state, const IdentificationField& field)
{
    const wchar_t* stored = SettingText(state, field.setting);
    if (!stored)
        stored = L"";
    wchar_t* plain = nullptr;
    if (Scrambled(state, field.setting) && stored[0] && EncodeOrDecodeProtectedString(kProtectStringDecode, stored,
                                                                                       &plain)) {
        SetDlgItemTextW(dialog, field.control, plain);
        GlobalFree(plain);
        return;
    }
    SetDlgItemTextW(dialog, field.control, stored);
}

void EnableModeFields(HWND dialog, uint32_t mode)
{
    for (const IdentificationField& field : kFields) {
        EnableWindow(GetDlgItem(dialog, field.control), field.mode == mode);
        EnableWindow(GetDlgItem(dialog, field.label), field.mode == mode);
    }
}

uint32_t CurrentMode(const DialogState& state)
{
    return Number(state, kFidPromptUnknown) == 1 ? 1 : 0;
}

void ShowRadio(HWND dialog, int control, bool shown, bool enabled)
{
    HWND window = GetDlgItem(dialog, control);
    ShowWindow(window, shown ? SW_SHOW : SW_HIDE);
    EnableWindow(window, enabled);
}

// Presets the mode, its radio button and which of the mode controls show.
void SetIdentificationMode(HWND dialog, DialogState& state)
{
    uint32_t enabled = 0, option = 0, stored = 0, accountMode = 0, popup = 0, mode = 0;
    DialogParams& p = *state.params;
    if (!Readable(state, kFidIdentificationEnabled, &enabled) || !Readable(state, kFidIdentificationMode, &option) ||
        !Readable(state, kFidPromptUnknown, &stored) || !Readable(state, kFidAccountMode, &accountMode) ||
        !Readable(state, IdentificationPopupSetting(p.settings, p.printerSettings), &popup) ||
        !ChooseIdentificationMode(p.settings, p.printerSettings, p.ask, &mode))
        return;
    WriteSettingNumber(kFidPromptUnknown, p.settings, p.printerSettings, mode);
    CheckRadioButton(dialog, kIdentMode0Radio, kIdentMode1Radio, mode == 1 ? kIdentMode1Radio : kIdentMode0Radio);
    const bool noChoice = (p.context && TestModelCapability(p.context->main, kCapabilityNoModeChoice)) || enabled != 2;
    const bool fixed = enabled == 2 && popup == 1 && option == 3;
    for (int control : {kIdentMode0Radio, kIdentMode1Radio, kIdentModeGroup})
        ShowRadio(dialog, control, !noChoice, !noChoice && !(fixed && control != kIdentModeGroup));
}

// Settings 5168 (administrator) or 5169 (user) at 0 mean the stored values
// belong to nobody: the dialog starts from the defaults.
void ResetIdentificationFields(const DialogState& state)
{
    uint32_t owner = 1;
    DialogParams& p = *state.params;
    if (!Readable(state, p.adminMode ? kFidUserKeyA : kFidUserKeyB, &owner) || owner != 0)
        return;
    for (const IdentificationField& field : kFields)
        ResetFunctionIdToDefault(p.context, field.setting, p.settings, p.printerSettings);
}

void MaskField(HWND dialog, int control, bool masked)
{
    SendDlgItemMessageW(dialog, control, EM_SETPASSWORDCHAR, masked ? L'*' : 0, 0);
}

void InitDialog(HWND dialog, DialogState& state)
{
    DialogParams& p = *state.params;
    state.loading = true;
    ResetIdentificationFields(state);
    SetIdentificationMode(dialog, state);
    for (const IdentificationField& row : kFields) {
        IdentificationField field{};
        GetIdentificationField(row.control, p.context, p.settings, p.printerSettings, &field);
        SendDlgItemMessageW(dialog, field.control, EM_LIMITTEXT, field.maximum, 0);
        ShowFieldText(dialog, state, field);
    }
    const bool maskDomain = Number(state, p.adminMode ? kFidIdentMaskDomainAdmin : kFidIdentMaskDomainUser) > 0;
    const bool maskOthers = Number(state, p.adminMode ? kFidIdentMaskAdmin : kFidIdentMaskUser) > 0;
    MaskField(dialog, kIdentDomainField, maskDomain);
    for (int control : {kIdentUserIdField, kIdentUserNameField, kIdentAccountField})
        MaskField(dialog, control, maskOthers);
    EnableModeFields(dialog, CurrentMode(state));
    state.loading = false;
}

// The field's name as the model calls its setting, else its label.
std::wstring FieldName(HWND dialog, const DialogState& state, const IdentificationField& field)
{
    uint16_t kind = 0, count = 0, status = 0;
    const wchar_t* title = nullptr;
    ModelSection* section = nullptr;
    std::wstring name;
    if (state.params->context && GetItemFeature(state.params->context, field.setting, &kind, &count, &title,
                                                &section, &status) && title)
        name = title;
    if (section)
        FreeItemFeature(section);
    if (name.empty()) {
        for (wchar_t c : FieldText(dialog, field.label))
            if (c != L'&' && c != L':')
                name += c;
    }
    return name;
}

void ShowFieldLimitMessage(HWND dialog, DialogState& state, const IdentificationField& field)
{
    if (state.messageUp)
        return;
    const std::wstring name = FieldName(dialog, state, field);
    wchar_t* text = nullptr;
    const int32_t least = field.minimum, most = field.maximum;
    switch (field.message) {
    case kMessageAtMost:
        LoadFormattedString(&text, 0, field.message, name.c_str(), most);
        break;
    case kMessageBytesAtMost:
        LoadFormattedString(&text, 0, field.message, most, most, most / 2);
        break;
    default:
        LoadFormattedString(&text, 0, field.message, name.c_str(), least, most);
        break;
    }
    state.messageUp = true;
    ShowResourceMessageBox(dialog, kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION, kTextGiven,
                           text ? text : name.c_str());
    state.messageUp = false;
    if (text)
        GlobalFree(text);
}

bool ConfirmDialog(HWND dialog, DialogState& state)
{
    DialogParams& p = *state.params;
    const uint32_t mode = CurrentMode(state);
    for (const IdentificationField& row : kFields) {
        if (row.mode != mode)
            continue;
        IdentificationField field{};
        GetIdentificationField(row.control, p.context, p.settings, p.printerSettings, &field);
        const std::wstring text = FieldText(dialog, field.control);
        if (!IdentificationTextFits(field, text.c_str())) {
            ShowFieldLimitMessage(dialog, state, field);
            SetFocus(GetDlgItem(dialog, field.control));
            return false;
        }
    }
    for (const IdentificationField& field : kFields)
        if (field.mode == mode)
            StoreFieldText(state, field.setting, FieldText(dialog, field.control).c_str());
    return true;
}

// The help topic of the dialog in the driver's help file.
void ShowHelp(const DialogState& state, HWND window)
{
    DWORD needed = 0;
    GetPrinterDriverW(state.params->printer, nullptr, 3, nullptr, 0, &needed);
    if (needed == 0)
        return;
    GlobalBlockPtr<uint8_t> info = AllocGlobalBlock<uint8_t>(needed);
    if (!info || !GetPrinterDriverW(state.params->printer, nullptr, 3, info.get(), needed, &needed))
        return;
    const wchar_t* helpFile = reinterpret_cast<DRIVER_INFO_3W*>(info.get())->pHelpFile;
    HMODULE help = helpFile && helpFile[0] ? LoadLibraryW(L"hhctrl.ocx") : nullptr;
    if (!help)
        return;
    using HtmlHelpFn = HWND(WINAPI*)(HWND, const wchar_t*, UINT, DWORD_PTR);
    if (auto html = reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void*>(GetProcAddress(help, "HtmlHelpW"))))
        html(window, helpFile, kHelpContext, kHelpTopic);
}

INT_PTR CALLBACK UserIdentificationDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        state = reinterpret_cast<DialogState*>(lparam);
        SetWindowLongPtrW(dialog, DWLP_USER, lparam);
        InitDialog(dialog, *state);
        return TRUE;
    case WM_COMMAND: {
        if (!state)
            return FALSE;
        const int control = LOWORD(wparam);
        const int code = HIWORD(wparam);
        if (code == EN_CHANGE && !state->loading) {
            for (const IdentificationField& field : kFields)
                if (field.control == control)
                    StoreFieldText(*state, field.setting, FieldText(dialog, control).c_str());
            return TRUE;
        }
        if (code == BN_CLICKED && (control == kIdentMode0Radio || control == kIdentMode1Radio)) {
            const uint32_t mode = control == kIdentMode1Radio ? 1 : 0;
            WriteSettingNumber(kFidPromptUnknown, state->params->settings, state->params->printerSettings, mode);
            EnableModeFields(dialog, mode);
            return TRUE;
        }
        if (control == IDOK && code == BN_CLICKED) {
            if (ConfirmDialog(dialog, *state))
                EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (control == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    case WM_HELP:
        if (state)
            ShowHelp(*state, reinterpret_cast<HWND>(reinterpret_cast<HELPINFO*>(lparam)->hItemHandle));
        return TRUE;
    case WM_CONTEXTMENU:
        if (state)
            ShowHelp(*state, reinterpret_cast<HWND>(wparam));
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

int ChooseIdentificationMode(void* settings, void* printerSettings, int ask, uint32_t* mode)
{
    uint32_t enabled = 0, option = 0, stored = 0;
    if (!mode || ReadSettingNumber(kFidIdentificationEnabled, settings, printerSettings, &enabled) != 1 ||
        ReadSettingNumber(kFidIdentificationMode, settings, printerSettings, &option) != 1 ||
        ReadSettingNumber(kFidPromptUnknown, settings, printerSettings, &stored) != 1)
        return 0;
    if (ask)
        *mode = 0;
    else if (enabled == 0)
        *mode = 0;
    else if (enabled == 1)
        *mode = 1;
    else if (enabled == 2 && option == 3)
        *mode = 1;
    else
        *mode = stored == 1 ? 1 : 0;
    return 1;
}

bool GetIdentificationField(int control, SettingsContext* context, void* settings, void* printerSettings,
                            IdentificationField* field)
{
    if (!field)
        return false;
    for (const IdentificationField& row : kFields) {
        if (row.control != control)
            continue;
        *field = row;
        if (control == kIdentUserNameField && context && TestModelCapability(context->main, kCapabilityShortUserName))
            *field = kShortUserName;
        if (control == kIdentUserPasswordField) {
            const uint32_t least = SettingNumberOr(kFidUserCodeMinimum, settings, printerSettings, 0);
            field->minimum = static_cast<uint16_t>(std::min<uint32_t>(least, field->maximum));
        }
        return true;
    }
    return false;
}

int IdentificationTextFits(const IdentificationField& field, const wchar_t* text)
{
    const size_t length = text ? wcslen(text) : 0;
    return length >= field.minimum && length <= field.maximum ? 1 : 0;
}

int RunUserIdentificationDialog(HANDLE printer, void* settings, void* printerSettings, SettingsContext* context,
                                int ask, int adminMode, int atJobStart)
{
    if (!settings || !printerSettings || !context)
        return kIdentificationDialogFailed;
    GlobalBlockPtr<uint8_t> settingsCopy = AllocGlobalBlock<uint8_t>(kSettingsRecordSize);
    GlobalBlockPtr<uint8_t> printerCopy = AllocGlobalBlock<uint8_t>(kPrinterSettingsRecordSize);
    if (!settingsCopy || !printerCopy)
        return kIdentificationDialogFailed;
    std::memcpy(settingsCopy.get(), settings, kSettingsRecordSize);
    std::memcpy(printerCopy.get(), printerSettings, kPrinterSettingsRecordSize);
    ContextSettingsSources sources;
    const bool haveSources = GatherContextSettingsSources(context, nullptr, &sources) == 1;
    if (!atJobStart && haveSources) {
        UserSettingInfo info;
        if (LoadUserSettingInfo(printer, sources.basePath, sources.userDefaults, &info, kUserGroupsAll, false))
            ApplyUserSettingInfo(printerCopy.get(), &info, kUserGroup4);
    }
    DialogParams params{printer, settingsCopy.get(), printerCopy.get(), context, ask, adminMode};
    DialogState state{&params, false, false};
    const HRESULT init = CoInitialize(nullptr);
    const INT_PTR answer = DialogBoxParamW(GetResourceModule(), MAKEINTRESOURCEW(kUserIdentificationDialog),
                                           GetActiveWindow(), UserIdentificationDialogProc,
                                           reinterpret_cast<LPARAM>(&state));
    int result = kIdentificationDialogFailed;
    if (answer == IDOK) {
        std::memcpy(settings, settingsCopy.get(), kSettingsRecordSize);
        std::memcpy(printerSettings, printerCopy.get(), kPrinterSettingsRecordSize);
        UserSettingInfo info;
        if (haveSources && !IsProtectedModeProcess() &&
            CaptureUserSettingInfo(sources.modelName, printerSettings, &info))
            SaveUserSettingInfo(printer, sources.basePath, sources.userDefaults, info, kUserGroup4);
        result = kIdentificationDialogOk;
    } else if (answer == IDCANCEL) {
        result = kIdentificationDialogCancel;
    }
    if (haveSources)
        ReleaseContextSettingsSources(&sources);
    if (SUCCEEDED(init))
        CoUninitialize();
    return result;
}
