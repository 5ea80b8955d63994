#include "ui/fax/small_fax_dialogs.h"

#include "common/context/value_by_type.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "ui/controls/control_kinds.h"
#include "ui/controls/kind_handlers.h"
#include "ui/controls/kind_params.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/item_changes.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/ui_context.h"
#include "ui/fax/fax_destinations.h"
#include "ui/fax/fax_dialog_ids.h"
#include "ui/fax/fax_recipient_fields.h"
#include "ui/fax/fax_setting_ids.h"
#include "ui/fax/fax_ui_state.h"
#include "ui/fax/recipient_options.h"
#include "ui/support/resource_messages.h"

#include <cwchar>
#include <iterator>

namespace {

constexpr UINT kStringNotice = 5217;
constexpr UINT kStringToolRunning = 5225;
constexpr UINT kMessageNotSame = 5230;
constexpr UINT kStringKindLabels[] = {5232, 5233, 5234};
constexpr UINT kStringReentryPrompt = 5235;
constexpr size_t kReentryLineChars = 43;
constexpr size_t kReentryTextChars = 256;
constexpr int kReentryTypedChars = 256;

constexpr ButtonParams kEndButton = {kActionEnd, nullptr};
constexpr ButtonParams kDefaultsButton = {kActionDefaults, nullptr};
constexpr ListItemParams kComboParams = {kRowsOfOptions, 0, 0, 0, nullptr, nullptr, nullptr};

std::wstring ResourceText(UINT id)
{
    wchar_t text[512] = {};
    HMODULE resources = GetResourceModule();
    if (resources)
        LoadStringW(resources, id, text, 512);
    return text;
}

bool CallSettings(CallContext* call, void** settings, void** printerSettings)
{
    return GetCallSettings(call, settings, printerSettings) && *settings;
}

// --- Notice ----------------------------------------------------------------------

uint32_t ShowFaxNoticeText(CallContext* call, UINT message, WPARAM, LPARAM, const ItemRecord* item, const void*)
{
    if (message == WM_INITDIALOG)
        SetDlgItemTextW(GetCallWindow(call), item->controlId, ResourceText(kStringNotice).c_str());
    return 0;
}

uint32_t OnFaxNoticeClose(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                          const void* parameters)
{
    return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
}

// --- Wait for the phonebook tool ---------------------------------------------

PhonebookToolRun* ToolRunOf(HWND window)
{
    FaxUiState* state = GetWindowFaxUiState(window);
    return state ? state->toolRun : nullptr;
}

uint32_t WaitForToolDialogProc(CallContext* call, UINT message, WPARAM wParam, LPARAM, const ItemRecord*,
                               const void*)
{
    HWND window = GetCallWindow(call);
    if (message == WM_INITDIALOG) {
        SetDlgItemTextW(window, kPhonebookWaitText, ResourceText(kStringToolRunning).c_str());
        SetTimer(window, kPhonebookWaitTimer, kPhonebookWaitPeriodMs, nullptr);
        return 0;
    }
    if (message != WM_TIMER || wParam != kPhonebookWaitTimer)
        return 0;
    PhonebookToolRun* run = ToolRunOf(window);
    if (PollPhonebookTool(run, kPhonebookWaitPeriodMs))
        return 0;
    KillTimer(window, kPhonebookWaitTimer);
    // The same close as the user's: the tool that ended by itself is then
    // marked as not cancelled.
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(kFaxOkButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, kFaxOkButton)));
    if (run)
        run->cancelled = 0;
    return 0;
}

uint32_t OnToolWaitCancel(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                          const void* parameters)
{
    if (message == WM_COMMAND) {
        KillTimer(GetCallWindow(call), kPhonebookWaitTimer);
        StopPhonebookTool(ToolRunOf(GetCallWindow(call)));
    }
    return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
}

// --- Destination re-entry --------------------------------------------------------

uint32_t InitDestinationReentry(CallContext* call, UINT message, WPARAM, LPARAM, const ItemRecord*, const void*)
{
    if (message != WM_INITDIALOG)
        return 0;
    HWND window = GetCallWindow(call);
    void* settings = nullptr;
    void* printerSettings = nullptr;
    uint32_t kind = 0;
    uint32_t ipFax = 0;
    uint16_t lineKind = 0;
    if (!CallSettings(call, &settings, &printerSettings) ||
        !ReadSettingNumber(kFidRecipientKind, settings, printerSettings, &kind) ||
        !ReadSettingNumber(kFidIpFaxOption, settings, printerSettings, &ipFax) ||
        !GetFaxCardKind(window, &lineKind))
        return 0;
    const int limit = ReentryEditLimit(static_cast<uint16_t>(kind), lineKind);
    if (limit == 0)
        return 0;
    const std::wstring label = ResourceText(kStringKindLabels[kind]);
    SendDlgItemMessageW(window, kReentryEdit, EM_LIMITTEXT, limit, 0);
    SetDlgItemTextW(window, kReentryLabel, label.c_str());
    const auto* address = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(
        GetFunctionIdValuePointer(settings, printerSettings, kFidRecipientAddress, kTypeString)));
    SetDlgItemTextW(window, kReentryDestination, BreakDestinationLines(address).c_str());
    wchar_t prompt[512] = {};
    const std::wstring format = ResourceText(kStringReentryPrompt);
    const DWORD_PTR arguments[] = {reinterpret_cast<DWORD_PTR>(label.c_str())};
    if (!format.empty())
        FormatMessageW(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, format.c_str(), 0, 0, prompt, 512,
                       reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(arguments)));
    SetDlgItemTextW(window, kReentryPrompt, prompt);
    return 0;
}

uint32_t OnDestinationReentryOk(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                                const void* parameters)
{
    if (message != WM_COMMAND)
        return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
    HWND window = GetCallWindow(call);
    void* settings = nullptr;
    void* printerSettings = nullptr;
    wchar_t typed[kReentryTypedChars] = {};
    GetDlgItemTextW(window, kReentryEdit, typed, kReentryTypedChars);
    const auto* address = CallSettings(call, &settings, &printerSettings)
                              ? reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(GetFunctionIdValuePointer(
                                    settings, printerSettings, kFidRecipientAddress, kTypeString)))
                              : nullptr;
    if (address && std::wcscmp(typed, address) == 0) {
        if (FaxUiState* state = GetWindowFaxUiState(window))
            state->destinationConfirmed = 1;
        return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
    }
    ShowResourceMessageBox(window, kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION, kMessageNotSame, nullptr);
    SetDlgItemTextW(window, kReentryEdit, L"");
    SetFocus(GetDlgItem(window, kReentryEdit));
    return 0;
}

// --- Option defaults ---------------------------------------------------------------

uint32_t OnOptionDefaults(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                          const void* parameters)
{
    const uint32_t result = OnPushButtonItem(call, message, wParam, lParam, item, parameters);
    if (message != WM_COMMAND)
        return result;
    void* settings = nullptr;
    void* printerSettings = nullptr;
    uint32_t option = 0;
    if (CallSettings(call, &settings, &printerSettings) &&
        ReadSettingNumber(kFidFaxInstallable4111, settings, printerSettings, &option) && option == 1 &&
        SetFunctionIdValueArgs(settings, printerSettings, kFidExtensionValue, kTypeU16, 2, 1) == 0) {
        const uint16_t changed[] = {kFidExtensionValue, 0};
        RefreshDialogFromSettings(call, changed);
    }
    return result;
}

// --- Tables ------------------------------------------------------------------------

const ItemRecord kNoticeRecords[] = {
    {kFaxNoticeText, -1, nullptr, kKindNone, ShowFaxNoticeText, nullptr, kNoControl, kNoControl, nullptr},
    {kFaxOkButton, 0, nullptr, kKindPushButton, OnFaxNoticeClose, &kEndButton, kNoControl, kNoControl, nullptr},
};
const ItemRecord kWaitRecords[] = {
    {kPageItemId, -1, nullptr, kKindNone, WaitForToolDialogProc, nullptr, kNoControl, kNoControl, nullptr},
    {kFaxOkButton, 0, nullptr, kKindPushButton, OnToolWaitCancel, &kEndButton, kNoControl, kNoControl, nullptr},
};
const ItemRecord kReentryRecords[] = {
    {kPageItemId, -1, nullptr, kKindNone, InitDestinationReentry, nullptr, kNoControl, kNoControl, nullptr},
    {kFaxOkButton, 0, nullptr, kKindPushButton, OnDestinationReentryOk, &kEndButton, kNoControl, kNoControl,
     nullptr},
};
constexpr ItemSlot kOutsideSlots[] = {{kFidOutsideLineValue, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr ItemSlot kExtensionSlots[] = {{kFidExtensionValue, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr ItemSlot kPrefixSlots[] = {{kFidPrefixValue5145, kEvaluateOnActivate | kEvaluateAfterChange}};
const ItemRecord kOptionRecords[] = {
    {kOptionOutsideValue, 1, kOutsideSlots, kKindComboBox, nullptr, &kComboParams, kOptionOutsideLabel, kNoControl,
     nullptr},
    {kOptionExtensionValue, 1, kExtensionSlots, kKindComboBox, nullptr, &kComboParams, kOptionExtensionLabel,
     kNoControl, nullptr},
    {kOptionPrefixValue, 1, kPrefixSlots, kKindComboBox, nullptr, &kComboParams, kOptionPrefixLabel, kNoControl,
     nullptr},
    {kFaxDefaultsButton, 0, nullptr, kKindPushButton, OnOptionDefaults, &kDefaultsButton, kNoControl, kNoControl,
     nullptr},
};

constexpr HelpMapEntry kNoHelp[] = {{0, 0}};
constexpr HelpMapEntry kReentryHelp[] = {{kReentryLabel, 50100}, {kReentryDestination, 50100},
                                         {kReentryPrompt, 50200}, {kReentryEdit, 50200},
                                         {kFaxOkButton, 1520},    {kFaxCancelButton, 1530},
                                         {kFaxHelpButton, 7777},  {0, 0}};
constexpr HelpMapEntry kOptionHelp[] = {{kOptionOutsideValue, 40040},   {kOptionOutsideLabel, 40040},
                                        {kOptionExtensionValue, 40050}, {kOptionExtensionLabel, 40050},
                                        {kOptionPrefixValue, 40060},    {kOptionPrefixLabel, 40060},
                                        {kFaxOkButton, 1520},           {kFaxCancelButton, 1530},
                                        {kFaxDefaultsButton, 1540},     {kFaxHelpButton, 7777},
                                        {0, 0}};
constexpr int32_t kNoLockedControls[] = {kNoControl};

template <size_t N>
constexpr ItemTableHeader Table(const ItemRecord (&records)[N], const HelpMapEntry* help)
{
    return {records, static_cast<uint32_t>(N), kPageHelpTopic, help, kNoLockedControls, 0};
}

const ItemTableHeader kNoticeTable = Table(kNoticeRecords, kNoHelp);
const ItemTableHeader kWaitTable = Table(kWaitRecords, kNoHelp);
const ItemTableHeader kReentryTable = Table(kReentryRecords, kReentryHelp);
const ItemTableHeader kOptionTable = Table(kOptionRecords, kOptionHelp);

}  // namespace

const PageDescriptor FaxNoticeDialog = {kFaxNoticeCode, &kNoticeTable, nullptr};
const PageDescriptor PhonebookWaitDialog = {kPhonebookWaitCode, &kWaitTable, nullptr};
const PageDescriptor DestinationReentryDialog = {kDestinationReentryCode, &kReentryTable, nullptr};
const PageDescriptor OptionDefaultsDialog = {kOptionDefaultsCode, &kOptionTable, nullptr};

INT_PTR CALLBACK FaxNoticeDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunFaxModalDialogMessage(window, message, wParam, lParam, kFaxNoticeCode);
}

INT_PTR CALLBACK PhonebookWaitDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunFaxModalDialogMessage(window, message, wParam, lParam, kPhonebookWaitCode);
}

INT_PTR CALLBACK FaxTextEntryDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunFaxModalDialogMessage(window, message, wParam, lParam, kDestinationReentryCode);
}

INT_PTR CALLBACK OptionNoticeDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunFaxModalDialogMessage(window, message, wParam, lParam, kOptionDefaultsCode);
}

std::wstring BreakDestinationLines(const wchar_t* destination)
{
    std::wstring out;
    const std::wstring text = destination ? std::wstring(destination, wcsnlen(destination, kRecipientAddressChars))
                                          : std::wstring();
    for (size_t i = 0; i < text.size(); i += kReentryLineChars) {
        const std::wstring line = text.substr(i, kReentryLineChars);
        std::wstring piece = line;
        if (line.size() == kReentryLineChars)
            piece += L'\n';
        if (out.size() + piece.size() >= kReentryTextChars)
            break;
        out += piece;
    }
    return out;
}

int AddressFieldLimit(uint16_t addressKind, uint16_t lineKind)
{
    switch (addressKind) {
    case kRecipientFaxNumber:
        return lineKind == 1 ? 59 : 128;
    case kRecipientSpeedDial:
        return lineKind == 0 || lineKind == 1 ? 3 : 4;
    case kRecipientIpFax:
        return 128;
    default:
        return 0;
    }
}

int ReentryEditLimit(uint16_t addressKind, uint16_t lineKind)
{
    // Speed dial in the re-entry keeps its own rule: 3 digits only with fax
    // line kind 0.
    if (addressKind == kRecipientSpeedDial)
        return lineKind != 0 ? 4 : 3;
    return AddressFieldLimit(addressKind, lineKind);
}

void WaitInPhonebookDialog(HWND owner, PhonebookToolRun* run, void* context)
{
    auto* dialog = static_cast<DialogContext*>(context);
    FaxUiState* state = dialog ? GetFaxUiState(dialog->ui) : nullptr;
    HMODULE resources = GetResourceModule();
    if (!state || !resources)
        return;
    state->toolRun = run;
    DialogBoxParamW(resources, MAKEINTRESOURCEW(kPhonebookWaitTemplate), owner, PhonebookWaitDialogProc,
                    reinterpret_cast<LPARAM>(dialog));
    state->toolRun = nullptr;
}
