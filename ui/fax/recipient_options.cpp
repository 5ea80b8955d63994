#include "ui/fax/recipient_options.h"

#include "common/context/value_by_type.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "ui/controls/control_kinds.h"
#include "ui/controls/kind_handlers.h"
#include "ui/controls/kind_params.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/ui_context.h"
#include "ui/fax/fax_dialog_ids.h"
#include "ui/fax/fax_setting_ids.h"
#include "ui/fax/fax_ui_state.h"
#include "ui/support/resource_messages.h"

#include <cwchar>
#include <iterator>
#include <string>

namespace {

constexpr int kMaxRelayCommas = 19;
constexpr UINT kMessageMailboxCode = 5011;
constexpr UINT kMailboxCodeInserts[] = {5077, 5078, 5079};
constexpr UINT kMessageDialPrefixChange = 4651;
constexpr uint32_t kRefused = 1;

constexpr ItemSlot kDialPrefixSlots[] = {{kFidRecipientDialPrefix, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr ItemSlot kCommModeSlots[] = {{kFidRecipientCommMode, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr ItemSlot kMailboxKindSlots[] = {{kFidRecipientMailboxKind, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr ItemSlot kMailboxNumberSlots[] = {{kFidRecipientMailboxNumber, 0}};
constexpr ItemSlot kMailboxCodeSlots[] = {{kFidRecipientMailboxCode, 0}};
constexpr ItemSlot kRelayStationSlots[] = {{kFidRecipientRelayStation, 0}};
constexpr ItemSlot kRelayPrintSlots[] = {{kFidRecipientRelayPrint, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr ItemSlot kRelayNumbersSlots[] = {{kFidRecipientRelayNumbers, 0}};
constexpr ItemSlot kFCodeSlots[] = {{kFidRecipientFCode, 0}};
constexpr ItemSlot kFCodePasswordSlots[] = {{kFidRecipientFCodePassword, 0}};

constexpr ListItemParams kComboParams = {kRowsOfOptions, 0, 0, 0, nullptr, nullptr, nullptr};
constexpr int32_t kMailboxButtons[] = {kRecipientNoMailbox, kRecipientMailbox, kRecipientRelay};
constexpr OptionButtonParams kMailboxButtonParams = {3, kMailboxButtons};
constexpr uint32_t kEditChecks = kCheckAtKillFocus | kCheckAtValidate;
constexpr EditFieldParams kNumberEdit = {kEditNumeric, 5, nullptr, nullptr, kEditChecks, nullptr};
constexpr EditFieldParams kMailboxCodeEdit = {0, 8, nullptr, nullptr, kEditChecks, nullptr};
constexpr EditFieldParams kRelayNumbersEdit = {0, 59, nullptr, nullptr, kEditChecks, nullptr};
constexpr EditFieldParams kFCodeEdit = {0, 20, nullptr, nullptr, kEditChecks, nullptr};
constexpr ButtonParams kOkButton = {kActionOk, nullptr};

std::wstring SettingText(CallContext* call, uint16_t id)
{
    void* settings = nullptr;
    void* printerSettings = nullptr;
    GetCallSettings(call, &settings, &printerSettings);
    const auto* text = reinterpret_cast<const wchar_t*>(
        static_cast<uintptr_t>(GetFunctionIdValuePointer(settings, printerSettings, id, kTypeString)));
    return text ? text : L"";
}

uint32_t SettingNumber(CallContext* call, uint16_t id)
{
    void* settings = nullptr;
    void* printerSettings = nullptr;
    GetCallSettings(call, &settings, &printerSettings);
    return SettingNumberOr(id, settings, printerSettings, 0);
}

// The text the field had before the edit goes back into the setting and the
// field, which takes the focus.
void RestoreSavedText(CallContext* call, const ItemRecord* item, uint16_t setting)
{
    HWND window = GetCallWindow(call);
    FaxUiState* state = GetWindowFaxUiState(window);
    const std::wstring saved = state ? state->savedTexts[item->controlId] : std::wstring();
    void* settings = nullptr;
    void* printerSettings = nullptr;
    GetCallSettings(call, &settings, &printerSettings);
    SetFunctionIdValueArgs(settings, printerSettings, setting, kTypeString,
                           static_cast<uint32_t>((saved.size() + 1) * sizeof(wchar_t)), saved.c_str());
    SetDlgItemTextW(window, item->controlId, saved.c_str());
    SetFocus(GetDlgItem(window, item->controlId));
}

void SaveText(CallContext* call, const ItemRecord* item, uint16_t setting)
{
    if (FaxUiState* state = GetWindowFaxUiState(GetCallWindow(call)))
        state->savedTexts[item->controlId] = SettingText(call, setting);
}

bool IsKillFocus(UINT message, WPARAM wParam)
{
    return message == WM_COMMAND && HIWORD(wParam) == EN_KILLFOCUS;
}

bool IsSetFocus(UINT message, WPARAM wParam)
{
    return message == WM_COMMAND && HIWORD(wParam) == EN_SETFOCUS;
}

void ShowMailboxCodeMessage(HWND window)
{
    HMODULE resources = GetResourceModule();
    wchar_t format[256] = {};
    wchar_t inserts[3][128] = {};
    if (!resources || LoadStringW(resources, kMessageMailboxCode, format, 256) <= 0)
        return;
    for (size_t i = 0; i < std::size(kMailboxCodeInserts); ++i)
        LoadStringW(resources, kMailboxCodeInserts[i], inserts[i], 128);
    const DWORD_PTR arguments[] = {reinterpret_cast<DWORD_PTR>(inserts[0]), reinterpret_cast<DWORD_PTR>(inserts[1]),
                                   reinterpret_cast<DWORD_PTR>(inserts[2])};
    wchar_t text[512] = {};
    if (!FormatMessageW(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, format, 0, 0, text, 512,
                        reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(arguments))))
        return;
    ShowResourceMessageBox(window, kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION, kTextGiven, text);
}

uint32_t OnRecipientNumberListItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam,
                                   const ItemRecord* item, const void* parameters)
{
    const uint32_t result = OnEditItem(call, message, wParam, lParam, item, parameters);
    if (message == WM_INITDIALOG || IsSetFocus(message, wParam))
        SaveText(call, item, kFidRecipientRelayNumbers);
    const bool killFocus = IsKillFocus(message, wParam);
    if (!killFocus && message != kEngineValidate)
        return result;
    const int code = CheckRelayNumberList(SettingText(call, kFidRecipientRelayNumbers).c_str());
    if (code == 0)
        return result;
    if (killFocus)
        ShowResourceMessageBox(GetCallWindow(call), kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION, code,
                               nullptr);
    RestoreSavedText(call, item, kFidRecipientRelayNumbers);
    return message == kEngineValidate ? kRefused : result;
}

uint32_t OnRecipientCodeItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                             const void* parameters)
{
    const uint32_t result = OnEditItem(call, message, wParam, lParam, item, parameters);
    if (message == WM_INITDIALOG || IsSetFocus(message, wParam))
        SaveText(call, item, kFidRecipientMailboxCode);
    const bool killFocus = IsKillFocus(message, wParam);
    if (!killFocus && message != kEngineValidate)
        return result;
    if (IsMailboxCodeAccepted(SettingText(call, kFidRecipientMailboxCode).c_str()))
        return result;
    if (killFocus)
        ShowMailboxCodeMessage(GetCallWindow(call));
    RestoreSavedText(call, item, kFidRecipientMailboxCode);
    return message == kEngineValidate ? kRefused : result;
}

uint32_t OnRecipientOptionListItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam,
                                   const ItemRecord* item, const void* parameters)
{
    HWND window = GetCallWindow(call);
    UiContext* ui = GetWindowUiContext(window);
    if (message == WM_INITDIALOG)
        SetUiCoverSheetValue(ui, SettingNumber(call, kFidRecipientDialPrefix) == 0 ? 1 : 0);
    if (IsShowMessage(message, lParam)) {
        const ValueEntry* entry = GetSelectedValueEntry(window, item);
        const uint64_t value = SettingNumber(call, kFidRecipientDialPrefix);
        const int32_t index = entry ? FindOptionValueIndex(GetSelectedOptionList(window, item), &value, entry->type)
                                    : -1;
        if (index >= 0)
            SetSettingUiOptionState(window, kFidRecipientDialPrefix, index, GetUiCoverSheetValue(ui) ? 0 : 1);
    }
    return OnComboBoxItem(call, message, wParam, lParam, item, parameters);
}

uint32_t OnRecipientOptionsOk(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                              const void* parameters)
{
    if (message != WM_COMMAND)
        return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
    HWND window = GetCallWindow(call);
    const ItemRecord* records = nullptr;
    int32_t count = 0;
    GetDialogItemTable(window, static_cast<int32_t>(GetCallDialogCode(call)), &records, &count);
    if (RunItemEventHandlers(call, kEngineValidate, 0, 0, records, count, 0) != 0)
        return 0;
    SetCallMessage(call, message);
    if (SettingNumber(call, kFidRecipientMailboxKind) == 2 && SettingText(call, kFidRecipientRelayNumbers).empty()) {
        ShowResourceMessageBox(window, kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION, kRelayListRefused,
                               nullptr);
        SetFocus(GetDlgItem(window, kRecipientRelayNumbers));
        return 0;
    }
    if (GetUiCoverSheetValue(GetWindowUiContext(window)) && SettingNumber(call, kFidRecipientDialPrefix) != 0 &&
        ShowResourceMessageBox(window, kCaptionSettings, nullptr, MB_OKCANCEL | MB_ICONINFORMATION,
                               kMessageDialPrefixChange, nullptr) != IDOK) {
        SetFocus(GetDlgItem(window, kRecipientDialPrefixList));
        return 0;
    }
    return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
}

#define ROW(control, slots, kind, handler, params, label) \
    {control, static_cast<int32_t>(std::size(slots)), slots, kind, handler, params, label, kNoControl, nullptr}

const ItemRecord kOptionsRecords[] = {
    ROW(kRecipientDialPrefixList, kDialPrefixSlots, kKindComboBox, OnRecipientOptionListItem, &kComboParams,
        kRecipientDialPrefixLabel),
    ROW(kRecipientCommModeList, kCommModeSlots, kKindComboBox, nullptr, &kComboParams, kRecipientCommModeLabel),
    ROW(kRecipientNoMailbox, kMailboxKindSlots, kKindOptionButtons, nullptr, &kMailboxButtonParams, kNoControl),
    ROW(kRecipientMailbox, kMailboxKindSlots, kKindOptionButtons, nullptr, &kMailboxButtonParams, kNoControl),
    ROW(kRecipientMailboxNumber, kMailboxNumberSlots, kKindEdit, nullptr, &kNumberEdit, kRecipientMailboxNumberLabel),
    ROW(kRecipientMailboxCode, kMailboxCodeSlots, kKindEdit, OnRecipientCodeItem, &kMailboxCodeEdit,
        kRecipientMailboxCodeLabel),
    ROW(kRecipientRelay, kMailboxKindSlots, kKindOptionButtons, nullptr, &kMailboxButtonParams, kNoControl),
    ROW(kRecipientRelayStation, kRelayStationSlots, kKindEdit, nullptr, &kNumberEdit, kRecipientRelayStationLabel),
    ROW(kRecipientRelayPrint, kRelayPrintSlots, kKindComboBox, nullptr, &kComboParams, kRecipientRelayPrintLabel),
    ROW(kRecipientRelayNumbers, kRelayNumbersSlots, kKindEdit, OnRecipientNumberListItem, &kRelayNumbersEdit,
        kRecipientRelayNumbersLabel),
    ROW(kRecipientFCode, kFCodeSlots, kKindEdit, nullptr, &kFCodeEdit, kRecipientFCodeLabel),
    ROW(kRecipientFCodePassword, kFCodePasswordSlots, kKindEdit, nullptr, &kFCodeEdit, kRecipientFCodePasswordLabel),
    {kFaxOkButton, 0, nullptr, kKindPushButton, OnRecipientOptionsOk, &kOkButton, kNoControl, kNoControl, nullptr},
};

const ItemRecord kOptionsExRecords[] = {
    ROW(kRecipientDialPrefixList, kDialPrefixSlots, kKindComboBox, OnRecipientOptionListItem, &kComboParams,
        kRecipientDialPrefixLabel),
    ROW(kRecipientCommModeList, kCommModeSlots, kKindComboBox, nullptr, &kComboParams, kRecipientCommModeLabel),
    ROW(kRecipientFCode, kFCodeSlots, kKindEdit, nullptr, &kFCodeEdit, kRecipientFCodeLabel),
    ROW(kRecipientFCodePassword, kFCodePasswordSlots, kKindEdit, nullptr, &kFCodeEdit, kRecipientFCodePasswordLabel),
    {kFaxOkButton, 0, nullptr, kKindPushButton, OnRecipientOptionsOk, &kOkButton, kNoControl, kNoControl, nullptr},
};
#undef ROW

constexpr HelpMapEntry kOptionsHelp[] = {
    {kRecipientDialPrefixList, 30900}, {kRecipientDialPrefixLabel, 30900}, {kRecipientCommModeList, 38200},
    {kRecipientCommModeLabel, 38200},  {kRecipientMailboxNumber, 38600},   {kRecipientMailboxNumberLabel, 38600},
    {kRecipientMailboxCode, 38700},    {kRecipientMailboxCodeLabel, 38700}, {kRecipientRelayStation, 38900},
    {kRecipientRelayStationLabel, 38900}, {kRecipientRelayPrint, 39100}, {kRecipientRelayPrintLabel, 39100},
    {kRecipientRelayNumbers, 39200},   {kRecipientRelayNumbersLabel, 39200}, {kRecipientFCode, 39300},
    {kRecipientFCodeLabel, 39300},     {kRecipientFCodePassword, 39400},   {kRecipientFCodePasswordLabel, 39400},
    {kRecipientNoMailbox, 38400},      {kRecipientMailbox, 38500},         {kRecipientRelay, 38800},
    {kRecipientMailboxGroup, 38300},   {kFaxOkButton, 1520},               {kFaxCancelButton, 1530},
    {kFaxDefaultsButton, 1540},        {kFaxHelpButton, 7777},             {0, 0},
};
constexpr HelpMapEntry kOptionsExHelp[] = {
    {kRecipientDialPrefixList, 30900}, {kRecipientDialPrefixLabel, 30900}, {kRecipientCommModeList, 38200},
    {kRecipientCommModeLabel, 38200},  {kRecipientFCode, 39300},           {kRecipientFCodeLabel, 39300},
    {kRecipientFCodePassword, 39400},  {kRecipientFCodePasswordLabel, 39400}, {kFaxOkButton, 1520},
    {kFaxCancelButton, 1530},          {kFaxDefaultsButton, 1540},         {kFaxHelpButton, 7777},
    {0, 0},
};
constexpr int32_t kNoLockedControls[] = {kNoControl};

}  // namespace

int CheckRelayNumberList(const wchar_t* text)
{
    if (!text || !*text)
        return 0;
    int commas = 0;
    int itemLength = 0;
    for (const wchar_t* c = text; *c; ++c) {
        const wchar_t next = c[1];
        switch (*c) {
        case L',':
            if (itemLength == 0)
                return kRelayListRefused;
            if (++commas > kMaxRelayCommas)
                return kRelayListTooLong;
            itemLength = 0;
            continue;
        case L'#':
            if (itemLength != 0 || next == L'\0' || std::wcschr(L"#*,0", next))
                return kRelayListRefused;
            break;
        case L'0':
            if (itemLength == 0 && (next == L'\0' || next == L',' || next == L'0'))
                return kRelayListRefused;
            break;
        case L'*':
            if (next != L'\0' && next != L',' && next != L'*')
                return kRelayListRefused;
            break;
        default:
            break;
        }
        if (++itemLength > 2)
            return kRelayListRefused;
    }
    return 0;
}

bool IsMailboxCodeAccepted(const wchar_t* text)
{
    const size_t length = text ? std::wcslen(text) : 0;
    return length == 0 || length >= 4;
}

const ItemTableHeader RecipientOptionsItemTable = {kOptionsRecords, static_cast<uint32_t>(std::size(kOptionsRecords)),
                                                   kPageHelpTopic, kOptionsHelp, kNoLockedControls, 0};
const ItemTableHeader RecipientOptionsExItemTable = {
    kOptionsExRecords, static_cast<uint32_t>(std::size(kOptionsExRecords)), kPageHelpTopic, kOptionsExHelp,
    kNoLockedControls, 0};
const PageDescriptor RecipientOptionsDialog = {kRecipientOptionsCode, &RecipientOptionsItemTable, nullptr};
const PageDescriptor RecipientOptionsExDialog = {kRecipientOptionsExCode, &RecipientOptionsExItemTable, nullptr};

INT_PTR RunFaxModalDialogMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode)
{
    SlotHandler handler = nullptr;
    int32_t slot = -1;
    if (!FindMessageHandler(message, wParam, lParam, kDialogTypeModal, &handler, &slot))
        return FALSE;
    return CallMessageHandler(window, message, wParam, lParam, dialogCode, kDialogTypeModal, handler);
}

INT_PTR CALLBACK RecipientOptionsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunFaxModalDialogMessage(window, message, wParam, lParam, kRecipientOptionsCode);
}

INT_PTR CALLBACK RecipientOptionsExDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunFaxModalDialogMessage(window, message, wParam, lParam, kRecipientOptionsExCode);
}
