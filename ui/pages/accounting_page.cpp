#include "ui/pages/accounting_page.h"

#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/defaults/setting_defaults.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/store/user_setting_info.h"
#include "common/system/module_files.h"
#include "common/system/scrambled_strings.h"
#include "common/system/user_and_process.h"
#include "ui/controls/control_kinds.h"
#include "ui/controls/display_states.h"
#include "ui/controls/item_callbacks.h"
#include "ui/controls/kind_handlers.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/item_changes.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/ui_context.h"
#include "ui/fax/fax_destinations.h"
#include "ui/fax/small_fax_dialogs.h"
#include "ui/pages/accounting_ids.h"
#include "ui/pages/custom_paper_sizes.h"
#include "ui/pages/font_list_dialog.h"
#include "ui/support/ansi_limits.h"
#include "ui/support/resource_messages.h"
#include "ui/support/text_validation.h"

#include <commctrl.h>
#include <winspool.h>

#include <cwchar>
#include <initializer_list>
#include <iterator>

namespace {

// The sheet's model capability; false for a window without a sheet.
bool Capability(HWND window, CapabilityId id)
{
    const UiContext* ui = GetWindowUiContext(window);
    return ui && TestCapabilityBit(&ui->capabilities, id);
}

constexpr uint32_t kModeAdministrator = 0;
constexpr uint32_t kKindOwnerName = 0;
constexpr uint32_t kKindUserId = 7;
constexpr wchar_t kActivationKindProp[] = L"MorvaAccountingKind";
constexpr UINT kCaptionOwner = 265;
constexpr size_t kNameChars = 260;
// Display states of the page's own rules.
constexpr uint16_t kShownEnabled = 0;
constexpr uint16_t kShownDisabled = 1;
constexpr uint16_t kHiddenDisabled = 6;


// --- Reading the call's settings ------------------------------------------------------

uint32_t Number(const CallContext* call, uint16_t id, uint32_t fallback)
{
    return SettingNumberOr(id, call->settings, call->printerSettings, fallback);
}

bool ReadNumber(const CallContext* call, uint16_t id, uint32_t* value)
{
    return ReadSettingNumber(id, call->settings, call->printerSettings, value) == 1;
}

const wchar_t* Text(const CallContext* call, uint16_t id)
{
    const uint64_t word = GetFunctionIdValuePointer(call->settings, call->printerSettings, id, kTypeString);
    return reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(word));
}

bool StoreText(CallContext* call, uint16_t id, const wchar_t* text)
{
    const uint32_t bytes = static_cast<uint32_t>((std::wcslen(text) + 1) * sizeof(wchar_t));
    return SetFunctionIdValueArgs(call->settings, call->printerSettings, id, kTypeString, bytes, text) == 0;
}

AccountingCaps CapsOf(HWND window)
{
    return {Capability(window, kCapOwnerNameKind), Capability(window, kCapAccountingAlone),
            Capability(window, kCapDigitPassword)};
}

uint32_t Mode(const CallContext* call) { return Number(call, kFidAccountMode, kModeAdministrator); }

uint16_t KindSetting(uint32_t mode) { return mode == kModeAdministrator ? kFidAdminIdKind : kFidUserIdKind; }
uint16_t PromptSetting(uint32_t mode) { return mode == kModeAdministrator ? kFidPromptAdministrator : kFidPromptUser; }
uint16_t StoredUserId(uint32_t mode) { return mode == kModeAdministrator ? kFidAdminUserId : kFidUserUserId; }

uint32_t PassOn(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                const void* parameters)
{
    ItemEventHandler next = GetKindDefaultHandler(call);
    return next ? next(call, message, wParam, lParam, item, parameters) : 0;
}

// The label is the item's own, or the one named: the identity fields keep
// their labels to themselves, as the engine would blank them while the field
// edits no setting.
void EnableWithLabel(HWND window, const ItemRecord* item, bool enable, int32_t label = kNoControl)
{
    EnableWindow(GetDlgItem(window, item->controlId), enable);
    if (label == kNoControl)
        label = item->labelControl;
    if (label != kNoControl)
        EnableWindow(GetDlgItem(window, label), enable);
}

bool SelectSlotOf(HWND window, const ItemRecord* item, uint16_t setting)
{
    int32_t index = 0;
    if (!FindItemSettingIndex(item, setting, &index))
        return false;
    return SetSelectedSlotIndex(window, item, index) != 0;
}

// --- Items bound by the account mode ---------------------------------------------------

// Without administration permission (and but on models whose details dialog
// holds the identity) the mode-bound controls are editable only in the user set
// and only while names are allowed at all.
void LockModeBoundItem(const CallContext* call, const ItemRecord* item)
{
    HWND window = GetCallWindow(call);
    if (GetCallPermission(call) || Capability(window, kCapAccountingAlone))
        return;
    if (Mode(call) == kModeAdministrator || Number(call, kFidUserNameAllowed, 0) == 0)
        EnableWithLabel(window, item, false);
}

uint32_t OnModeBoundItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                         const void* parameters)
{
    HWND window = GetCallWindow(call);
    const bool show = IsShowMessage(message, lParam);
    if (show && item->slotCount >= 2)
        SetSelectedSlotIndex(window, item, Mode(call) == kModeAdministrator ? 0 : 1);
    const uint32_t result = PassOn(call, message, wParam, lParam, item, parameters);
    if (show)
        LockModeBoundItem(call, item);
    return result;
}

// The identification kind: a change empties the password of the mode.
uint32_t OnIdKindItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                      const void* parameters)
{
    HWND window = GetCallWindow(call);
    const uint32_t mode = Mode(call);
    const uint32_t before = Number(call, KindSetting(mode), 0xFFFF);
    const uint32_t result = OnModeBoundItem(call, message, wParam, lParam, item, parameters);
    if (message == WM_COMMAND && Number(call, KindSetting(mode), 0xFFFF) != before) {
        const uint16_t password = PasswordSetting(mode, before, CapsOf(window));
        if (password != kFidNoSetting && StoreText(call, password, L"")) {
            const uint16_t changed[] = {password, 0};
            RefreshDialogFromSettings(call, changed);
        }
    }
    return result;
}

// --- User ID ------------------------------------------------------------------------------

// Kinds 4 and 6 keep the user ID in a shorter field; a stored one that is too
// long is cut only when the user agrees.
void CheckOverlongUserId(CallContext* call, const ItemRecord* item, uint32_t mode, uint32_t kind)
{
    if (kind != 4 && kind != 6)
        return;
    HWND window = GetCallWindow(call);
    SendDlgItemMessageW(window, item->controlId, EM_LIMITTEXT, kShortUserIdChars, 0);
    const wchar_t* stored = Text(call, StoredUserId(mode));
    if (!stored || CountAnsiTextBytes(stored) <= static_cast<int>(kShortUserIdChars))
        return;
    wchar_t kindText[128] = {};
    GetDlgItemTextW(window, kIdKindBox, kindText, static_cast<int>(std::size(kindText)));
    wchar_t* message = nullptr;
    if (!LoadFormattedString(&message, kMessageChars, kMessageUserIdTooLong, kindText))
        return;
    const int answer =
        ShowResourceMessageBox(window, kCaptionOwner, nullptr, MB_OKCANCEL | MB_ICONINFORMATION, kTextGiven, message);
    GlobalFree(message);
    if (answer == IDOK) {
        wchar_t cut[kUserIdChars + 1] = {};
        lstrcpynW(cut, stored, static_cast<int>(std::size(cut)));
        int wasCut = 0;
        TruncateAnsiTextToByteLimit(kShortUserIdChars, cut, &wasCut);
        StoreText(call, StoredUserId(mode), cut);
        return;
    }
    const auto activation = reinterpret_cast<uintptr_t>(GetPropW(window, kActivationKindProp));
    if (activation == 0)
        return;
    WriteSettingNumber(KindSetting(mode), call->settings, call->printerSettings,
                       static_cast<uint32_t>(activation - 1));
    const uint16_t changed[] = {KindSetting(mode), 0};
    RefreshDialogFromSettings(call, changed);
}

uint32_t OnUserIdItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                      const void* parameters)
{
    HWND window = GetCallWindow(call);
    const bool show = IsShowMessage(message, lParam);
    const uint32_t mode = Mode(call);
    const uint32_t kind = Number(call, KindSetting(mode), 0xFFFF);
    const AccountingCaps caps = CapsOf(window);
    if (show)
        SelectSlotOf(window, item, UserIdSetting(mode, kind, caps));
    const bool owner = GetSelectedSettingId(window, item) == kFidOwnerName;
    // The owner name is shown, never typed: its field takes no edits.
    if (owner && message == WM_COMMAND)
        return 0;
    const uint32_t result = PassOn(call, message, wParam, lParam, item, parameters);
    if (!show)
        return result;
    HWND control = GetDlgItem(window, item->controlId);
    if (owner) {
        wchar_t name[2 * kNameChars + 2] = {};
        if (BuildDefaultOwnerName(caps.alone, name, std::size(name)))
            SetWindowTextW(control, name);
    }
    SendMessageW(control, EM_SETREADONLY, owner, 0);
    if (SheetNotification(message, lParam) == PSN_SETACTIVE ||
        (message == kEngineRefresh && PendingListContains(call, KindSetting(mode))))
        CheckOverlongUserId(call, item, mode, kind);
    bool enable = Number(call, PromptSetting(mode), 0) != 1;
    if (!GetCallPermission(call) && kind != 0 && mode == kModeAdministrator)
        enable = false;
    const uint32_t option = Number(call, kFidIdentificationMode, 0);
    if (Number(call, kFidIdentificationEnabled, 0) == 1 || option == 2 || option == 3)
        enable = false;
    if (GetSelectedSettingId(window, item) == kFidNoSetting)
        enable = false;
    EnableWithLabel(window, item, enable, kUserIdLabel);
    return result;
}

// --- Password -----------------------------------------------------------------------------

uint32_t OnPasswordItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                        const void* parameters)
{
    HWND window = GetCallWindow(call);
    const bool show = IsShowMessage(message, lParam);
    const uint32_t mode = Mode(call);
    const uint32_t kind = Number(call, KindSetting(mode), 0xFFFF);
    const AccountingCaps caps = CapsOf(window);
    HWND control = GetDlgItem(window, item->controlId);
    if (show)
        SelectSlotOf(window, item, PasswordSetting(mode, kind, caps));
    if (SheetNotification(message, lParam) == PSN_SETACTIVE && caps.digitPassword)
        SetWindowLongPtrW(control, GWL_STYLE, GetWindowLongPtrW(control, GWL_STYLE) | ES_NUMBER);
    const uint32_t result = PassOn(call, message, wParam, lParam, item, parameters);
    if (!show)
        return result;
    const uint16_t setting = GetSelectedSettingId(window, item);
    const uint32_t option = Number(call, kFidIdentificationMode, 0);
    const bool fixed = Number(call, kFidIdentificationEnabled, 0) == 1 || option == 2 || option == 3;
    bool enable = setting != kFidNoSetting;
    if (GetCallPermission(call))
        enable = enable && !fixed;
    else if (kind != 0 && !((setting == kFidUserPassword || setting == kFidUserPin) &&
                            Number(call, kFidUserNameAllowed, 0) != 0))
        enable = false;
    EnableWithLabel(window, item, enable, kPasswordLabel);
    return result;
}

// --- Fax line fields -----------------------------------------------------------------------

// Rows by fax line kind 0-3: what the line's device takes. The settings hold
// 12 bytes: five characters and the terminator.
constexpr UINT kDigitTable[] = {9420, 0};
constexpr TextCheckSpec kDigitsOnly = {kDigitTable, nullptr, nullptr, kTextEmptyAllowed, kNoControl};
constexpr EditFieldParams kFaxLineRows[] = {
    {0, 5, nullptr, nullptr, kCheckAtKillActive, nullptr},
    {0, 5, nullptr, nullptr, kCheckAtKillActive, nullptr},
    {0, 4, &kDigitsOnly, nullptr, kCheckAtKillActive, nullptr},
    {0, 5, &kDigitsOnly, nullptr, kCheckAtKillActive, nullptr},
};

uint32_t OnFaxLineItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                       const void*)
{
    uint16_t kind = 0;
    if (!call->settingsContext ||
        !GetFaxCardKindOf(call->settingsContext->main, call->settings, call->printerSettings, &kind))
        kind = 0;
    return OnEditItem(call, message, wParam, lParam, item, &kFaxLineRows[kind < std::size(kFaxLineRows) ? kind : 0]);
}

// --- Buttons -----------------------------------------------------------------------------

uint32_t OnAccountingResetButton(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam,
                                 const ItemRecord* item, const void* parameters)
{
    HWND window = GetCallWindow(call);
    const bool alone = Capability(window, kCapAccountingAlone);
    if (SheetNotification(message, lParam) == PSN_SETACTIVE && !GetCallPermission(call)) {
        const uint32_t result = OnPushButtonItem(call, message, wParam, lParam, item, parameters);
        const bool disable = !alone && Mode(call) == kModeAdministrator;
        ApplyControlState(GetDlgItem(window, item->controlId), disable ? kShownDisabled : kShownEnabled);
        return result;
    }
    if (message == WM_COMMAND && !GetCallPermission(call) && alone)
        return 0;
    return OnResetUserSettingsButton(call, message, wParam, lParam, item, parameters);
}

constexpr PageHeader kDetailsHeader = {kAccountingDetailsTemplate, 0, AccountingSubDialogProc,
                                       kAccountingDetailsCode, kNoControl, 0, nullptr, 0};
constexpr SubDialogParams kDetailsSub = {&kDetailsHeader, 0, 0, kDialogTypeModal};
constexpr ButtonParams kDetailsOpen = {kActionSubDialog, &kDetailsSub};

uint32_t OnDetailsButton(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                         const void* parameters)
{
    const uint32_t result = OnPushButtonItem(call, message, wParam, lParam, item, parameters);
    if (!IsShowMessage(message, lParam))
        return result;
    HWND window = GetCallWindow(call);
    const UiContext* ui = GetWindowUiContext(window);
    bool enable = false;
    if (Number(call, kFidUserNameAllowed, 0) != 0 &&
        !(ui && ui->accountFieldState != 0 && Number(call, kFidUserIdMode, 0) != 0))
        enable = Number(call, kFidIdentificationEnabled, 0) != 0 || Number(call, kFidIdentificationMode, 0) != 3;
    EnableWindow(GetDlgItem(window, item->controlId), enable);
    return result;
}

constexpr PageHeader kFontListHeader = {kFontListTemplate, 0, FontListDialogProc, kFontListCode, kNoControl, 0,
                                        nullptr, 0};
constexpr SubDialogParams kFontListSub = {&kFontListHeader, 0, 0, kDialogTypeModal};
constexpr ButtonParams kFontListOpen = {kActionSubDialog, &kFontListSub};
constexpr PageHeader kCustomSizesHeader = {kCustomPaperTemplate, 0, CustomPaperDialogProc, kCustomPaperCode,
                                           kNoControl, 0, nullptr, 0};
constexpr SubDialogParams kCustomSizesSub = {&kCustomSizesHeader, 0, 0, kDialogTypeModal};
constexpr ButtonParams kCustomSizesOpen = {kActionSubDialog, &kCustomSizesSub};
constexpr PageHeader kNoticeHeader = {4800, 0, OptionNoticeDialogProc, kOptionDefaultsCode, kNoControl, 0, nullptr,
                                      0};
constexpr SubDialogParams kNoticeSub = {&kNoticeHeader, 0, 0, kDialogTypeModal};
constexpr ButtonParams kNoticeOpen = {kActionSubDialog, &kNoticeSub};
constexpr ButtonParams kResetAction = {kActionDefaults, nullptr};

// --- Tables -----------------------------------------------------------------------------

constexpr ItemSlot kModeSlots[] = {{kFidAccountMode, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr ItemSlot kKindSlots[] = {{kFidAdminIdKind, kEvaluateOnActivate | kEvaluateAfterChange},
                                   {kFidUserIdKind, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr ItemSlot kUserIdSlots[] = {{kFidOwnerName, 0}, {kFidAdminUserId, 0}, {kFidUserUserId, 0}, {kFidNoSetting, 0}};
constexpr ItemSlot kPasswordSlots[] = {{kFidAdminPassword, 0}, {kFidUserPassword, 0}, {kFidAdminPin, 0},
                                       {kFidUserPin, 0},       {kFidNoSetting, 0}};
constexpr ItemSlot kFontSlots[] = {{36906, 0}};
constexpr ItemSlot kNoticeSlots[] = {{36901, 0}};
constexpr ItemSlot kJobOwnerSlots[] = {{5138, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr ItemSlot kSpoolSlots[] = {{5153, 0}};
constexpr ItemSlot kFaxLine1Slots[] = {{5141, 0}};
constexpr ItemSlot kFaxLine2Slots[] = {{5143, 0}};
constexpr ItemSlot kNoticeCheckSlots[] = {{5177, 0}};
constexpr ItemSlot kExtra1Slots[] = {{5210, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr ItemSlot kExtra2Slots[] = {{5211, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr ItemSlot kExtra3Slots[] = {{5212, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr ItemSlot kIdentifySlots[] = {{kFidUserIdMode, 0}};
constexpr ItemSlot kIdentifyModeSlots[] = {{kFidIdentificationEnabled, kEvaluateOnActivate | kEvaluateAfterChange}};

constexpr ListItemParams kCombo = {kRowsOfOptions, 0, 0, 0, nullptr, nullptr, nullptr};
// The identity fields keep their own rules in a sheet opened without the right
// to change the printer: a user may still edit the user's set.
constexpr uint32_t kOwnRules = kItemLabelFollowsControl;
constexpr UINT kOwnerSingleAllowed[] = {9250, 0};
constexpr UINT kOwnerDoubleAllowed[] = {9252, 0};
constexpr TextCheckSpec kUserIdCheck = {kOwnerSingleAllowed, nullptr, kOwnerDoubleAllowed, kTextEmptyAllowed,
                                         kNoControl};
constexpr EditFieldParams kUserIdEditParams = {0, kUserIdChars, &kUserIdCheck, nullptr, kCheckAtKillActive, nullptr};
constexpr EditFieldParams kPasswordEditParams = {kEditProtected, 32, nullptr, nullptr, kCheckAtKillActive, nullptr};

// Rows the two pages share, behind each page's own first rows.
#define MORVA_ACCOUNTING_SHARED_ROWS                                                                                  \
    {kFontListButton, 0, kFontSlots, kKindPushButton, nullptr, &kFontListOpen, kNoControl, kNoControl, nullptr},       \
    {kCustomSizesButton, 0, nullptr, kKindPushButton, nullptr, &kCustomSizesOpen, kNoControl, kNoControl, nullptr},   \
    {kResetOwnButton, 0, nullptr, kKindPushButton, OnAccountingResetButton, &kResetAction, kNoControl, kNoControl,  \
     &kOwnRules},                                                                                                      \
    {kJobOwnerBox, 1, kJobOwnerSlots, kKindComboBox, nullptr, &kCombo, kJobOwnerLabel, 9063, nullptr},                \
    {kSpoolCheck, 1, kSpoolSlots, kKindCheckBox, nullptr, nullptr, kNoControl, 9064, nullptr},                        \
    {kFaxLineEdit1, 1, kFaxLine1Slots, kKindEdit, OnFaxLineItem, &kFaxLineRows[0], kFaxLineLabel1, 9065, nullptr},    \
    {kFaxLineEdit2, 1, kFaxLine2Slots, kKindEdit, OnFaxLineItem, &kFaxLineRows[0], kFaxLineLabel2, 9066, nullptr},    \
    {kOptionNoticeButton, 0, kNoticeSlots, kKindPushButton, nullptr, &kNoticeOpen, kOptionNoticeButton, 9246,        \
     nullptr},                                                                                                         \
    {kNoticeCheck, 1, kNoticeCheckSlots, kKindCheckBox, nullptr, nullptr, kNoControl, 9248, nullptr},                \
    {kExtraBox1, 1, kExtra1Slots, kKindComboBox, nullptr, &kCombo, kExtraLabel1, 9322, nullptr},                       \
    {kExtraBox2, 1, kExtra2Slots, kKindComboBox, nullptr, &kCombo, kExtraLabel2, 9323, nullptr},                       \
    {kExtraBox3, 1, kExtra3Slots, kKindComboBox, nullptr, &kCombo, kExtraLabel3, 9324, nullptr}

const ItemRecord kPageRecords[] = {
    {kAccountModeBox, 1, kModeSlots, kKindComboBox, nullptr, &kCombo, kAccountModeLabel, 9300, nullptr},
    {kIdKindBox, 2, kKindSlots, kKindComboBox, OnIdKindItem, &kCombo, kIdKindLabel, 9060, &kOwnRules},
    {kUserIdEdit, 4, kUserIdSlots, kKindEdit, OnUserIdItem, &kUserIdEditParams, kNoControl, 9061, &kOwnRules},
    {kPasswordEdit, 5, kPasswordSlots, kKindEdit, OnPasswordItem, &kPasswordEditParams, kNoControl, 9062,
     &kOwnRules},
    MORVA_ACCOUNTING_SHARED_ROWS,
};

const ItemRecord kAlonePageRecords[] = {
    {kIdentifyCheck, 1, kIdentifySlots, kKindCheckBox, nullptr, nullptr, kNoControl, 9262, nullptr},
    {kAccountModeBox, 1, kModeSlots, kKindComboBox, nullptr, &kCombo, kAccountModeLabel, 9300, nullptr},
    {kIdentifyModeBox, 1, kIdentifyModeSlots, kKindComboBox, nullptr, &kCombo, kIdentifyModeLabel, 9313, nullptr},
    {kDetailsButton, 0, nullptr, kKindPushButton, OnDetailsButton, &kDetailsOpen, kNoControl, kNoControl, nullptr},
    MORVA_ACCOUNTING_SHARED_ROWS,
};
#undef MORVA_ACCOUNTING_SHARED_ROWS

// --- The details dialog ----------------------------------------------------------------

uint32_t OnDetailsPasswordItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                               const void* parameters)
{
    HWND window = GetCallWindow(call);
    if (message == kEngineValidate) {
        const uint32_t result = OnModeBoundItem(call, message, wParam, lParam, item, parameters);
        if (result != 0)
            return result;
        return CheckPasswordMinimum(call, item->controlId) ? 0 : 1;
    }
    const uint32_t result = OnModeBoundItem(call, message, wParam, lParam, item, parameters);
    if (IsShowMessage(message, lParam)) {
        // The password belongs to a user name: without one there is nothing to protect.
        const bool named = GetWindowTextLengthW(GetDlgItem(window, kDetailsUserEdit)) > 0;
        EnableWithLabel(window, item, named && IsWindowEnabled(GetDlgItem(window, kDetailsUserEdit)));
    }
    return result;
}

// The labels of the details dialog's fields, for the state rules.
constexpr ItemRecord kDetailsLabels[] = {
    {kIdKindBox, -1, nullptr, kKindNone, nullptr, nullptr, kIdKindLabel, kNoControl, nullptr},
    {kUserIdEdit, -1, nullptr, kKindNone, nullptr, nullptr, kUserIdLabel, kNoControl, nullptr},
    {kPasswordEdit, -1, nullptr, kKindNone, nullptr, nullptr, kPasswordLabel, kNoControl, nullptr},
    {kDetailsCodeEdit, -1, nullptr, kKindNone, nullptr, nullptr, kDetailsCodeLabel, kNoControl, nullptr},
    {kDetailsDomainEdit, -1, nullptr, kKindNone, nullptr, nullptr, kDetailsDomainLabel, kNoControl, nullptr},
    {kDetailsUserEdit, -1, nullptr, kKindNone, nullptr, nullptr, kDetailsUserLabel, kNoControl, nullptr},
    {kDetailsPasswordEdit, -1, nullptr, kKindNone, nullptr, nullptr, kDetailsPasswordLabel, kNoControl, nullptr},
};

// A user ID is needed unless the printer asks for it when printing.
uint32_t OnDetailsUserIdItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                             const void* parameters)
{
    HWND window = GetCallWindow(call);
    const uint32_t result = OnModeBoundItem(call, message, wParam, lParam, item, parameters);
    if (message != kEngineValidate || result != 0 || !Capability(window, kCapAccountingAlone) ||
        Number(call, PromptSetting(Mode(call)), 1) != 0 || GetWindowTextLengthW(GetDlgItem(window, item->controlId)) > 0)
        return result;
    ShowResourceMessageBox(window, kCaptionOwner, nullptr, MB_OK | MB_ICONEXCLAMATION,
                           static_cast<int>(kMessageUserIdMissing), nullptr);
    SetFocus(GetDlgItem(window, item->controlId));
    return 1;
}

// The log-in password belongs to a user name: typing one enables it.
uint32_t OnDetailsUserNameItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                               const void* parameters)
{
    HWND window = GetCallWindow(call);
    const uint32_t result = OnModeBoundItem(call, message, wParam, lParam, item, parameters);
    if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) {
        const bool named = GetWindowTextLengthW(GetDlgItem(window, item->controlId)) > 0;
        EnableWindow(GetDlgItem(window, kDetailsPasswordEdit), named);
        EnableWindow(GetDlgItem(window, kDetailsPasswordLabel), named);
    }
    return result;
}

uint32_t OnDetailsPageItem(CallContext* call, UINT message, WPARAM, LPARAM lParam, const ItemRecord*,
                           const void*)
{
    HWND window = GetCallWindow(call);
    if (SheetNotification(message, lParam) != PSN_SETACTIVE && message != kEngineRefresh)
        return 0;
    if (!GetCallPermission(call) && Mode(call) == kModeAdministrator) {
        constexpr int32_t kLocked[] = {kIdKindBox,      kUserIdEdit,        kPasswordEdit, kDetailsCodeEdit,
                                       kDetailsDomainEdit, kDetailsUserEdit, kDetailsPasswordEdit, kDetailsMask1,
                                       kDetailsMask2,   kDetailsMask3,      kDetailsPromptCheck,  kDetailsPromptCheck2,
                                       kDetailsResetButton, kDetailsCloseButton};
        for (int32_t id : kLocked)
            ApplyControlState(GetDlgItem(window, id), kShownDisabled);
    }
    if (Capability(window, kCapAccountingAlone)) {
        PromptStateRow rows[kPromptStateRows] = {};
        const int count = PromptControlStates(Number(call, kFidPromptUser, 0), Number(call, kFidIdentificationEnabled, 0),
                                              Number(call, kFidIdentificationMode, 0), rows);
        for (int i = 0; i < count; ++i) {
            ApplyControlState(GetDlgItem(window, rows[i].control), rows[i].state);
            for (const ItemRecord& record : kDetailsLabels)
                if (record.controlId == rows[i].control && record.labelControl != kNoControl)
                    ApplyControlState(GetDlgItem(window, record.labelControl), rows[i].state);
        }
    }
    if (Capability(window, kCapNoLoginFields)) {
        for (int32_t id : {kDetailsLoginGroup, kDetailsUserEdit, kDetailsUserLabel, kDetailsPasswordEdit,
                           kDetailsPasswordLabel})
            ApplyControlState(GetDlgItem(window, id), kHiddenDisabled);
        for (uint16_t id : {kFidDetailsUserAdmin, kFidDetailsUserUser, kFidDetailsPasswordAdmin,
                            kFidDetailsPasswordUser})
            SetSettingUiState(window, id, kHiddenDisabled);
    }
    return 0;
}

// The dialog's reset: the settings of the set the mode edits go back to their
// defaults (the administrator's set holds the settings that are not per user).
uint32_t OnDetailsResetButton(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                              const void* parameters)
{
    if (message != WM_COMMAND)
        return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
    const ItemRecord* records = nullptr;
    int32_t count = 0;
    if (GetDialogItemTable(GetCallWindow(call), kAccountingDetailsCode, &records, &count) != 1)
        return 0;
    const uint32_t mode = Mode(call);
    for (int32_t i = 0; i < count; ++i)
        for (int32_t s = 0; s < records[i].slotCount; ++s) {
            const uint16_t id = records[i].slots[s].setting;
            if (id >= kFirstPseudoSetting)
                continue;
            const bool user = IsUserSettingId(id);
            if ((mode == 0 && !user) || (mode == 1 && user) || mode > 1)
                ResetFunctionIdToDefault(call->settingsContext, id, call->settings, call->printerSettings);
        }
    const uint16_t all[] = {0};
    RefreshDialogFromSettings(call, all);
    return 0;
}

constexpr ItemSlot kPromptSlots[] = {{kFidPromptAdministrator, 0}, {kFidPromptUser, 0}};
constexpr ItemSlot kDetailsUserIdSlots[] = {{kFidAdminUserId, 0}, {kFidUserUserId, 0}};
constexpr ItemSlot kDetailsPasswordSlots[] = {{kFidAdminPassword, 0}, {kFidUserPassword, 0}};
constexpr ItemSlot kCodeSlots[] = {{5166, 0}, {5167, 0}};
constexpr ItemSlot kDomainSlots[] = {{5213, 0}, {5214, 0}};
constexpr ItemSlot kLoginUserSlots[] = {{kFidDetailsUserAdmin, 0}, {kFidDetailsUserUser, 0}};
constexpr ItemSlot kLoginPasswordSlots[] = {{kFidDetailsPasswordAdmin, 0}, {kFidDetailsPasswordUser, 0}};
constexpr ItemSlot kMask1Slots[] = {{5168, 0}, {5169, 0}};
constexpr ItemSlot kMask2Slots[] = {{5170, 0}, {5171, 0}};
constexpr ItemSlot kMask3Slots[] = {{5172, 0}, {5173, 0}};
constexpr EditFieldParams kDetailsText = {0, 32, nullptr, nullptr, kCheckAtKillFocus | kCheckAtValidate, nullptr};
constexpr EditFieldParams kDetailsSecret = {kEditProtected, 32, nullptr, nullptr, kCheckAtKillFocus | kCheckAtValidate,
                                            nullptr};
constexpr ButtonParams kCloseAction = {kActionOk, nullptr};

const ItemRecord kDetailsRecords[] = {
    {kDetailsPromptCheck, 2, kPromptSlots, kKindCheckBox, OnModeBoundItem, nullptr, kNoControl, 9301,
     nullptr},
    {kIdKindBox, 2, kKindSlots, kKindComboBox, OnModeBoundItem, &kCombo, kIdKindLabel, 9302, nullptr},
    {kUserIdEdit, 2, kDetailsUserIdSlots, kKindEdit, OnDetailsUserIdItem, &kDetailsText, kUserIdLabel, 9303,
     nullptr},
    {kPasswordEdit, 2, kDetailsPasswordSlots, kKindEdit, OnModeBoundItem, &kDetailsSecret, kPasswordLabel, 9304,
     nullptr},
    {kDetailsCodeEdit, 2, kCodeSlots, kKindEdit, OnModeBoundItem, &kDetailsText, kDetailsCodeLabel, 9305, nullptr},
    {kDetailsDomainEdit, 2, kDomainSlots, kKindEdit, OnModeBoundItem, &kDetailsText, kDetailsDomainLabel, 9410,
     nullptr},
    {kDetailsUserEdit, 2, kLoginUserSlots, kKindEdit, OnDetailsUserNameItem, &kDetailsText, kDetailsUserLabel,
     kNoControl, nullptr},
    {kDetailsPasswordEdit, 2, kLoginPasswordSlots, kKindEdit, OnDetailsPasswordItem, &kDetailsSecret,
     kDetailsPasswordLabel, kNoControl, nullptr},
    {kDetailsPromptCheck2, 2, kPromptSlots, kKindCheckBox, OnModeBoundItem, nullptr, kNoControl, 9306,
     nullptr},
    {kDetailsMask1, 2, kMask1Slots, kKindCheckBox, OnModeBoundItem, nullptr, kNoControl, 9307, nullptr},
    {kDetailsMask2, 2, kMask2Slots, kKindCheckBox, OnModeBoundItem, nullptr, kNoControl, 9308, nullptr},
    {kDetailsMask3, 2, kMask3Slots, kKindCheckBox, OnModeBoundItem, nullptr, kNoControl, 9309, nullptr},
    {kDetailsCloseButton, 0, nullptr, kKindPushButton, nullptr, &kCloseAction, kNoControl, kNoControl, nullptr},
    {kDetailsResetButton, 0, nullptr, kKindPushButton, OnDetailsResetButton, nullptr, kNoControl, kNoControl,
     nullptr},
    {kPageItemId, -1, nullptr, kKindNone, OnDetailsPageItem, nullptr, kNoControl, kNoControl, nullptr},
};

constexpr int32_t kNoLockedControls[] = {kNoControl};

INT_PTR RunEngine(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode, uint16_t type)
{
    SlotHandler handler = nullptr;
    int32_t slot = -1;
    if (!FindMessageHandler(message, wParam, lParam, type, &handler, &slot))
        return FALSE;
    return CallMessageHandler(window, message, wParam, lParam, dialogCode, type, handler);
}

const ItemTableHeader kDetailsTable = {kDetailsRecords, static_cast<uint32_t>(std::size(kDetailsRecords)),
                                       kPageHelpTopic, nullptr, kNoLockedControls, 0};

}  // namespace

const ItemTableHeader AccountingPageItemTable = {kPageRecords, static_cast<uint32_t>(std::size(kPageRecords)),
                                                 kPageHelpTopic, nullptr, kNoLockedControls, 0};
const ItemTableHeader AccountingAlonePageItemTable = {
    kAlonePageRecords, static_cast<uint32_t>(std::size(kAlonePageRecords)), kPageHelpTopic, nullptr,
    kNoLockedControls, 0};
const PageDescriptor AccountingDetailsDialog = {kAccountingDetailsCode, &kDetailsTable, nullptr};

uint16_t UserIdSetting(uint32_t mode, uint32_t kind, AccountingCaps caps)
{
    if (kind == kKindOwnerName)
        return caps.ownerNameKind ? kFidOwnerName : kFidNoSetting;
    if (kind == kKindUserId)
        return mode == kModeAdministrator ? kFidAdminUserId : kFidUserUserId;
    return kFidNoSetting;
}

uint16_t PasswordSetting(uint32_t mode, uint32_t kind, AccountingCaps caps)
{
    if (kind != kKindOwnerName && kind != kKindUserId)
        return kFidNoSetting;
    if (kind == kKindOwnerName && !caps.ownerNameKind)
        return kFidNoSetting;
    if (mode == kModeAdministrator)
        return caps.digitPassword ? kFidAdminPin : kFidAdminPassword;
    return caps.digitPassword ? kFidUserPin : kFidUserPassword;
}

int ComposeOwnerName(const wchar_t* user, const wchar_t* computer, bool userAlone, OwnerNameCheck accepts,
                     wchar_t* out, size_t chars)
{
    if (!out || chars == 0 || !accepts)
        return 0;
    const wchar_t* who = user && *user && accepts(user) ? user : L"UnknownUser";
    const wchar_t* where = computer && *computer && accepts(computer) ? computer : L"UnknownHost";
    wchar_t name[2 * kNameChars + 2] = {};
    const int written = userAlone ? std::swprintf(name, std::size(name), L"%ls", who)
                                  : std::swprintf(name, std::size(name), L"%ls\\%ls", who, where);
    if (written < 0 || static_cast<size_t>(written) >= chars || !accepts(name))
        return 0;
    std::wmemcpy(out, name, static_cast<size_t>(written) + 1);
    return 1;
}

bool IsAcceptedOwnerText(const wchar_t* text)
{
    return ValidateTextCharacters(text, kOwnerSingleAllowed, kOwnerDoubleAllowed, nullptr, nullptr, 0, 0) == 1;
}

int BuildDefaultOwnerName(bool userAlone, wchar_t* out, size_t chars)
{
    wchar_t user[kNameChars + 1] = {};
    if (!GetCurrentUserName(user, kNameChars + 1))
        user[0] = L'\0';
    wchar_t computer[kNameChars + 1] = {};
    DWORD size = kNameChars + 1;
    if (!GetComputerNameW(computer, &size))
        computer[0] = L'\0';
    return ComposeOwnerName(user, computer, userAlone, IsAcceptedOwnerText, out, chars);
}

int PromptControlStates(uint32_t popupUser, uint32_t identification, uint32_t option,
                        PromptStateRow rows[kPromptStateRows])
{
    int n = 0;
    const auto put = [&](std::initializer_list<int32_t> controls, uint16_t state) {
        for (int32_t control : controls)
            rows[n++] = {control, state};
    };
    if (popupUser != 0) {
        // The printer asks at print time: nothing to fill in here, only what to hide.
        put({kIdKindBox, kUserIdEdit, kPasswordEdit, kDetailsCodeEdit, kDetailsDomainEdit, kDetailsUserEdit,
             kDetailsPasswordEdit},
            kShownDisabled);
        put({kDetailsMask1, kDetailsMask2, kDetailsMask3}, kShownEnabled);
        return n;
    }
    uint16_t identity = kShownEnabled, code = kShownEnabled;
    if (identification == 1 || option == 3) {
        identity = code = kShownDisabled;
    } else if (option == 1) {
        code = kShownDisabled;
    } else if (option == 2) {
        identity = kShownDisabled;
    }
    put({kIdKindBox, kUserIdEdit, kPasswordEdit}, identity);
    put({kDetailsCodeEdit, kDetailsDomainEdit}, code);
    if (identification != 0)
        put({kDetailsUserEdit}, kShownEnabled);
    else
        put({kDetailsUserEdit, kDetailsPasswordEdit}, kShownDisabled);
    put({kDetailsMask1, kDetailsMask2, kDetailsMask3}, kShownDisabled);
    return n;
}

int CheckPasswordMinimum(CallContext* call, int32_t field)
{
    const uint32_t mode = Mode(call);
    const bool admin = mode == kModeAdministrator;
    if (Number(call, PromptSetting(mode), 0) == 1)
        return 1;
    const wchar_t* name = Text(call, admin ? kFidDetailsUserAdmin : kFidDetailsUserUser);
    if (!name || !*name || Number(call, kFidIdentificationEnabled, 0) == 0)
        return 1;
    uint32_t minimum = 0;
    if (!ReadNumber(call, kFidUserCodeMinimum, &minimum) || minimum == 0)
        return 1;
    const wchar_t* stored = Text(call, admin ? kFidDetailsPasswordAdmin : kFidDetailsPasswordUser);
    size_t length = 0;
    if (stored && *stored) {
        wchar_t* plain = nullptr;
        if (EncodeOrDecodeProtectedString(kProtectStringDecode, stored, &plain) && plain) {
            length = std::wcslen(plain);
            GlobalFree(plain);
        }
    }
    if (length >= minimum)
        return 1;
    HWND window = GetCallWindow(call);
    wchar_t label[64] = {};
    GetDlgItemTextW(window, field == kDetailsPasswordEdit ? kDetailsPasswordLabel : kPasswordLabel, label,
                    static_cast<int>(std::size(label)));
    // The label's access key and colon are not part of the name.
    wchar_t shown[64] = {};
    size_t n = 0;
    for (const wchar_t* p = label; *p && n + 1 < std::size(shown); ++p)
        if (*p != L'&' && *p != L':')
            shown[n++] = *p;
    wchar_t* message = nullptr;
    if (LoadFormattedString(&message, kMessageChars, kMessagePasswordShort, shown, static_cast<int32_t>(minimum),
                            static_cast<int32_t>(kDetailsSecret.maxLength))) {
        ShowResourceMessageBox(window, kCaptionOwner, nullptr, MB_OK | MB_ICONEXCLAMATION, kTextGiven, message);
        GlobalFree(message);
    }
    if (HWND control = GetDlgItem(window, field))
        SetFocus(control);
    return 0;
}

INT_PTR CALLBACK AccountingPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The identification kind the page showed when it became active: a refused
    // cut of the user ID goes back to it.
    if (message == WM_NOTIFY && lParam && reinterpret_cast<const NMHDR*>(lParam)->code == PSN_SETACTIVE) {
        void* settings = nullptr;
        void* printerSettings = nullptr;
        if (GetDialogSettings(window, &settings, &printerSettings)) {
            const uint32_t mode = SettingNumberOr(kFidAccountMode, settings, printerSettings, 0);
            uint32_t kind = 0;
            if (ReadSettingNumber(KindSetting(mode), settings, printerSettings, &kind))
                SetPropW(window, kActivationKindProp, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(kind) + 1));
        }
    }
    if (message == WM_DESTROY)
        RemovePropW(window, kActivationKindProp);
    return RunEngine(window, message, wParam, lParam, kAccountingPageCode, kDialogTypePage);
}

INT_PTR CALLBACK AccountingAltPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunEngine(window, message, wParam, lParam, kAccountingAlonePageCode, kDialogTypePage);
}

INT_PTR CALLBACK AccountingSubDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunEngine(window, message, wParam, lParam, kAccountingDetailsCode, kDialogTypeModal);
}
