#include "ui/pages/settings_list_page.h"

#include "common/context/model_lookups.h"
#include "common/context/option_list.h"
#include "common/context/value_by_type.h"
#include "common/settings/function_ids.h"
#include "common/system/module_files.h"
#include "ui/controls/access_key_labels.h"
#include "ui/controls/control_kinds.h"
#include "ui/controls/display_states.h"
#include "ui/controls/item_callbacks.h"
#include "ui/controls/kind_handlers.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/ui_context.h"
#include "ui/pages/logo_dialog.h"
#include "ui/pages/settings_list_ids.h"
#include "ui/pages/size_dialog_ids.h"
#include "ui/pages/size_dialogs.h"
#include "ui/support/resource_messages.h"

#include <cwchar>
#include <iterator>

namespace {

constexpr uint16_t kFidDropEmptyPages = 1334;
constexpr uint16_t kFidSecondCheck = 1320;
constexpr uint16_t kFidPrintQuality = 458;
constexpr uint16_t kFidHeaderLocked = 5146;
constexpr uint16_t kFidHeaderText = 5147;
constexpr uint16_t kFidOtherChoice = 456;
constexpr uint16_t kFidScalingOn = 1324;
constexpr uint16_t kFidPairMode = 474;
constexpr uint16_t kFidPairFirst = 475;
constexpr uint16_t kFidPairSecond = 477;
constexpr uint16_t kFidDocumentMonitorJobs = 1321;
constexpr uint16_t kFidWideValues = 469;
constexpr uint16_t kFidVersionButton = 36910;
constexpr uint16_t kFidAboutButton = 36900;
constexpr uint16_t kFidLengthButton = 36911;

// Value combo box size in dialog units: setting 469's option texts are long.
constexpr int kValueComboWidth = 125;
constexpr int kValueComboWideWidth = 225;
constexpr int kValueComboHeight = 83;
constexpr int kNameChars = 128;
constexpr int kMessageTextChars = 512;

constexpr uint16_t kListEvaluation = kEvaluateOnActivate | kEvaluateAfterChange;

uint32_t PassOn(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                const void* parameters)
{
    ItemEventHandler next = GetKindDefaultHandler(call);
    return next ? next(call, message, wParam, lParam, item, parameters) : 0;
}

const ItemRecord* PageItem(CallContext* call, int32_t controlId)
{
    return FindItemRecord(GetCallWindow(call), static_cast<int32_t>(GetCallDialogCode(call)), controlId);
}

// GetListSelection: the setting of the list's selected value entry (0 none).
uint16_t ListSelection(CallContext* call)
{
    const ItemRecord* list = PageItem(call, kListSettings);
    const ValueEntry* entry = list ? GetSelectedValueEntry(GetCallWindow(call), list) : nullptr;
    return entry ? entry->setting : 0;
}

// The setting's display name in the model data, else the text of the control
// that stands for it on the page.
void DisplayName(CallContext* call, uint16_t setting, int32_t fallbackControl, wchar_t* out, int chars)
{
    out[0] = 0;
    uint16_t kind = 0, count = 0, status = 0;
    const wchar_t* name = nullptr;
    ModelSection* section = nullptr;
    if (GetItemFeature(GetCallSettingsContext(call), setting, &kind, &count, &name, &section, &status)) {
        if (name)
            wcsncpy(out, name, static_cast<size_t>(chars) - 1);
        FreeItemFeature(section);
    }
    if (!out[0])
        GetDlgItemTextW(GetCallWindow(call), fallbackControl, out, chars);
    // The control's access-key marks are not part of the name.
    wchar_t* to = out;
    for (const wchar_t* from = out; *from; ++from)
        if (*from != L'&' || from[1] == L'&')
            *to++ = *from;
    *to = 0;
}

void DisableInProtectedMode(CallContext* call, const ItemRecord* item)
{
    const UiContext* ui = GetWindowUiContext(GetCallWindow(call));
    if (ui && ui->protectedMode)
        ApplyControlState(GetDlgItem(GetCallWindow(call), item->controlId), kStateDisabled);
}

void SetValueComboSize(HWND window, HWND combo, uint16_t setting)
{
    RECT size{0, 0, setting == kFidWideValues ? kValueComboWideWidth : kValueComboWidth, kValueComboHeight};
    MapDialogRect(window, &size);
    SetWindowPos(combo, nullptr, 0, 0, size.right, size.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The value combo's label: the selected setting's name from its option list.
void SetValueComboLabel(HWND window, const OptionList* list)
{
    wchar_t label[kLabelChars] = {};
    if (list && list->title)
        BuildLabelWithAccessKey(GetResourceModule(), label, kLabelChars, list->title, kNoControl, kStringLabelSuffix,
                                nullptr);
    SetDlgItemTextW(window, kListValueLabel, label);
}

void ShowNoValueToChoose(HWND window)
{
    HWND combo = GetDlgItem(window, kListValueCombo);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    wchar_t text[kNameChars] = {};
    LoadStringW(GetResourceModule(), kStringNoValueToChoose, text, kNameChars);
    SetDlgItemTextW(window, kListValueLabel, text);
    ApplyComboControlState(combo, kStateDisabled);
    ApplyControlState(GetDlgItem(window, kListValueLabel), kStateDisabled);
}

}  // namespace

uint16_t ValueComboSetting(uint16_t listed) { return listed == kFidListedText ? kValueSlotOfListedText : listed; }

DependentStates ComputeDependentStates(uint16_t selected, uint32_t scalingOn, uint32_t pairMode,
                                       uint16_t pairModeState, bool permission)
{
    DependentStates states{kStateHidden, kStateHidden, kStateHidden};
    if (selected == kFidScalingOn)
        states.scale = permission && scalingOn != 0 ? kStateEnabled : kStateDisabled;
    if (selected != kFidPairMode || pairMode == 0)
        return states;
    if (pairModeState == kStateFixed) {
        // A fixed mode shows only the value it uses, and that one disabled.
        if (pairMode == 2)
            states.first = kStateDisabled;
        if (pairMode == 1)
            states.second = kStateDisabled;
        return states;
    }
    states.first = pairMode == 1 ? kStateHidden : kStateEnabled;
    states.second = pairMode == 2 ? kStateHidden : kStateEnabled;
    return states;
}

int UpdateDependentControls(CallContext* call)
{
    HWND window = GetCallWindow(call);
    if (!window || !PageItem(call, kListSettings))
        return 0;
    const uint16_t selected = ListSelection(call);
    uint32_t scalingOn = 0, pairMode = 0;
    ReadSettingNumber(kFidScalingOn, call->settings, call->printerSettings, &scalingOn);
    ReadSettingNumber(kFidPairMode, call->settings, call->printerSettings, &pairMode);
    uint16_t pairModeState = 0;
    GetSettingUiState(window, kFidPairMode, &pairModeState, nullptr);
    const DependentStates states =
        ComputeDependentStates(selected, scalingOn, pairMode, pairModeState, GetCallPermission(call) != 0);

    SetSettingUiState(window, kFidScale, states.scale);
    SetSettingUiState(window, kFidPairFirst, states.first);
    SetSettingUiState(window, kFidPairSecond, states.second);
    ApplyEditControlState(GetDlgItem(window, kListScaleEdit), states.scale);
    for (int32_t id : {kListScaleUpDown, kListScaleLabel, kListScaleUnit})
        ApplyControlState(GetDlgItem(window, id), states.scale);
    ApplyEditControlState(GetDlgItem(window, kListFirstField), states.first);
    ApplyControlState(GetDlgItem(window, kListFirstFieldLabel), states.first);
    ApplyEditControlState(GetDlgItem(window, kListSecondField), states.second);
    ApplyControlState(GetDlgItem(window, kListSecondFieldLabel), states.second);
    // The list's caption always shows; the rule above the fields only while
    // one of them does.
    ApplyControlState(GetDlgItem(window, kListCaption), kStateEnabled);
    const bool anyField =
        states.scale != kStateHidden || states.first != kStateHidden || states.second != kStateHidden;
    ApplyControlState(GetDlgItem(window, kListDetailRule), anyField ? kStateEnabled : kStateHidden);
    return 1;
}

bool IsRequiredTextPresent(HWND edit) { return edit && GetWindowTextLengthW(edit) > 0; }

bool IsRequiredTextMissing(HWND page)
{
    HWND edit = GetDlgItem(page, kListRequiredEdit);
    return IsDlgButtonChecked(page, kListLockedCheck) == BST_CHECKED && edit && IsWindowEnabled(edit) &&
           !IsRequiredTextPresent(edit);
}

int ShowRequiredTextMessage(CallContext* call)
{
    HWND window = GetCallWindow(call);
    wchar_t first[kNameChars] = {}, second[kNameChars] = {};
    LoadStringW(GetResourceModule(), kStringRequiredTextFirst, first, kNameChars);
    LoadStringW(GetResourceModule(), kStringRequiredTextSecond, second, kNameChars);
    wchar_t check[kNameChars], text[kNameChars];
    DisplayName(call, kFidHeaderLocked, kListLockedCheck, check, kNameChars);
    DisplayName(call, kFidHeaderText, kListRequiredLabel, text, kNameChars);
    wchar_t* message = nullptr;
    if (!LoadFormattedString(&message, kMessageTextChars, kMessageRequiredText, first, second, check, text))
        return 0;
    const int answer = ShowResourceMessageBox(window, kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION,
                                              kTextGiven, message);
    GlobalFree(message);
    return answer > 0 ? 1 : 0;
}

uint32_t OnSettingValueCombo(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                             const void* parameters)
{
    HWND window = GetCallWindow(call);
    if (!window || !item || !IsShowMessage(message, lParam))
        return PassOn(call, message, wParam, lParam, item, parameters);
    HWND combo = GetDlgItem(window, item->controlId);
    const uint16_t setting = ValueComboSetting(ListSelection(call));
    int32_t slot = 0;
    const bool hasSlot = setting && FindItemSettingIndex(item, setting, &slot);
    if (hasSlot)
        SetSelectedSlotIndex(window, item, slot);
    SetValueComboSize(window, combo, setting);
    if (hasSlot) {
        ApplyComboControlState(combo, kStateEnabled);
        ApplyControlState(GetDlgItem(window, kListValueLabel), kStateEnabled);
    }
    const uint32_t result = PassOn(call, message, wParam, lParam, item, parameters);
    if (!hasSlot) {
        ShowNoValueToChoose(window);
        return result;
    }
    const OptionList* list = GetSelectedOptionList(window, item);
    SetValueComboLabel(window, list);
    // The value slot of 1854 chooses what the list row only names: it stays
    // open to a sheet without edit permission.
    if (!list || (!GetCallPermission(call) && setting != kValueSlotOfListedText)) {
        ApplyComboControlState(combo, kStateDisabled);
        ApplyControlState(GetDlgItem(window, kListValueLabel), kStateDisabled);
    }
    return result;
}

namespace {

bool IsRowState(uint16_t state) { return state == kStateEnabled || state == kStateReadOnly || state == kStateFixed; }

// A selected row whose setting is hidden gives its place to the first row
// shown.
void KeepSelectionOnAShownRow(HWND window, const ItemRecord* item)
{
    uint16_t state = 0;
    const int32_t selected = GetSelectedSlotIndex(window, item);
    const ItemSlot* slot = GetItemSlotEntry(item, selected);
    if (slot && GetSettingUiState(window, slot->setting, &state, nullptr) && IsRowState(state))
        return;
    for (int32_t s = 0; s < item->slotCount; ++s)
        if (GetSlotOptionList(window, item, s) && GetSettingUiState(window, item->slots[s].setting, &state, nullptr) &&
            IsRowState(state)) {
            SetSelectedSlotIndex(window, item, s);
            return;
        }
}

}  // namespace

uint32_t OnSettingsListItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                            const void* parameters)
{
    HWND window = GetCallWindow(call);
    const UiContext* ui = GetWindowUiContext(window);
    const bool show = IsShowMessage(message, lParam);
    if (show && item) {
        if (ui && !ui->documentMonitor)
            SetSettingUiState(window, kFidDocumentMonitorJobs, kStateHidden);
        KeepSelectionOnAShownRow(window, item);
    }
    if (message == WM_COMMAND && HIWORD(wParam) == LBN_DBLCLK && !GetCallPermission(call))
        return 0;
    const uint32_t result = PassOn(call, message, wParam, lParam, item, parameters);
    if (show && item) {
        // The list names many settings: it is not shown in the state of the
        // one selected.
        ApplyControlState(GetDlgItem(window, item->controlId), kStateEnabled);
        UpdateDependentControls(call);
    }
    return result;
}

namespace {

// The typed number equals the stored value, which lies outside the item's
// range: a value that came in from outside and cannot be kept.
bool IsStoredValueOutsideRange(CallContext* call, const ItemRecord* item, int32_t* minimum, int32_t* maximum)
{
    HWND window = GetCallWindow(call);
    BOOL read = FALSE;
    const int typed = static_cast<int>(GetDlgItemInt(window, item->controlId, &read, TRUE));
    if (!read || !GetItemValueRange(call, item, minimum, maximum) || *minimum > *maximum)
        return false;
    const ValueEntry* entry = GetSelectedValueEntry(window, item);
    if (!entry)
        return false;
    const int32_t stored = static_cast<int16_t>(entry->value & 0xFFFF);
    return typed == stored && (stored < *minimum || stored > *maximum);
}

}  // namespace

uint32_t OnScaleItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                     const void* parameters)
{
    HWND window = GetCallWindow(call);
    if (!window || !item)
        return PassOn(call, message, wParam, lParam, item, parameters);
    HWND field = GetDlgItem(window, item->controlId);
    int32_t minimum = 0, maximum = 0;
    if (SheetNotification(message, lParam) == PSN_KILLACTIVE && GetFocus() == field &&
        IsStoredValueOutsideRange(call, item, &minimum, &maximum)) {
        SetFocus(GetDlgItem(window, kListScaleUnit));
        return 1;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == EN_KILLFOCUS && !IsEditBusy(window, item) &&
        IsStoredValueOutsideRange(call, item, &minimum, &maximum)) {
        wchar_t name[kNameChars], low[16], high[16];
        DisplayName(call, kFidScale, kListScaleLabel, name, kNameChars);
        swprintf(low, 16, L"%ld", static_cast<long>(minimum));
        swprintf(high, 16, L"%ld", static_cast<long>(maximum));
        wchar_t* text = nullptr;
        if (LoadFormattedString(&text, kMessageTextChars, kMessageValueOutsideRange, name, low, high)) {
            ShowResourceMessageBox(window, kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION, kTextGiven, text);
            GlobalFree(text);
        }
        SetFocus(field);
        return 1;
    }
    const uint32_t result = PassOn(call, message, wParam, lParam, item, parameters);
    if (IsShowMessage(message, lParam) && !GetCallPermission(call))
        UpdateItemControlState(window, item, nullptr);
    return result;
}

uint32_t OnRequiredTextItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                            const void* parameters)
{
    HWND window = GetCallWindow(call);
    if (window && SheetNotification(message, lParam) == PSN_KILLACTIVE) {
        UiContext* ui = GetWindowUiContext(window);
        // The field's own check runs first (and frees its buffer).
        const uint32_t result = PassOn(call, message, wParam, lParam, item, parameters);
        if (ui && GetUiEditingFlag(ui)) {
            // A sub-dialog of this page opens: the page is only left for it.
            SetUiEditingFlag(ui, 0);
            return result;
        }
        if (!IsRequiredTextMissing(window))
            return result;
        ShowRequiredTextMessage(call);
        SetFocus(GetDlgItem(window, kListRequiredEdit));
        return 1;
    }
    const uint32_t result = PassOn(call, message, wParam, lParam, item, parameters);
    if (window && item && IsShowMessage(message, lParam))
        DisableInProtectedMode(call, item);
    return result;
}

uint32_t OnRequiredTextButton(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                              const void* parameters)
{
    HWND window = GetCallWindow(call);
    if (window && message == WM_COMMAND && IsRequiredTextMissing(window)) {
        ShowRequiredTextMessage(call);
        SetFocus(GetDlgItem(window, kListRequiredEdit));
        return 0;
    }
    return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
}

uint32_t OnEditingFlagButton(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                             const void* parameters)
{
    HWND window = GetCallWindow(call);
    if (window && item && message == WM_COMMAND && GetFocus() == GetDlgItem(window, item->controlId))
        SetUiEditingFlag(GetWindowUiContext(window), 1);
    return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
}

uint32_t OnLockedCheckItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                           const void* parameters)
{
    const uint32_t result = PassOn(call, message, wParam, lParam, item, parameters);
    if (GetCallWindow(call) && item && IsShowMessage(message, lParam))
        DisableInProtectedMode(call, item);
    return result;
}

INT_PTR CALLBACK SettingsListPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    SlotHandler handler = nullptr;
    int32_t slot = -1;
    if (!FindMessageHandler(message, wParam, lParam, kDialogTypePage, &handler, &slot))
        return FALSE;
    return CallMessageHandler(window, message, wParam, lParam, kSettingsListCode, kDialogTypePage, handler);
}

// --- Tables -----------------------------------------------------------------------

const PageHeader VersionTextDialogHeader{869, 0, DialogVersionTextProc, kVersionTextCode, kNoControl, 0, nullptr, 0};
const PageHeader LogoDialogHeader{kLogoDialogTemplate, 0, LogoDialogProc, kLogoDialogCode, kNoControl, 0, nullptr, 0};
const PageHeader LengthDialogHeader{kLengthSettingTemplate, 0, Kind13SubDialogProc, kLengthSettingCode, kNoControl,
                                    0, nullptr, 0};

namespace {

constexpr ItemSlot kListSlots[kListedSettingCount] = {
#define SLOT(n) {kListedSettings[n], kListEvaluation}
    SLOT(0),  SLOT(1),  SLOT(2),  SLOT(3),  SLOT(4),  SLOT(5),  SLOT(6),  SLOT(7),  SLOT(8),  SLOT(9),
    SLOT(10), SLOT(11), SLOT(12), SLOT(13), SLOT(14), SLOT(15), SLOT(16), SLOT(17), SLOT(18), SLOT(19),
    SLOT(20), SLOT(21), SLOT(22), SLOT(23), SLOT(24), SLOT(25), SLOT(26), SLOT(27), SLOT(28), SLOT(29),
    SLOT(30), SLOT(31), SLOT(32), SLOT(33), SLOT(34), SLOT(35), SLOT(36), SLOT(37), SLOT(38), SLOT(39),
    SLOT(40), SLOT(41), SLOT(42), SLOT(43), SLOT(44), SLOT(45), SLOT(46), SLOT(47), SLOT(48), SLOT(49),
#undef SLOT
};

constexpr ItemSlot kDropEmptySlot[] = {{kFidDropEmptyPages, kListEvaluation}};
constexpr ItemSlot kSecondCheckSlot[] = {{kFidSecondCheck, kListEvaluation}};
constexpr ItemSlot kQualitySlot[] = {{kFidPrintQuality, kListEvaluation}};
constexpr ItemSlot kLockedSlot[] = {{kFidHeaderLocked, kListEvaluation}};
constexpr ItemSlot kTextSlot[] = {{kFidHeaderText, 0}};
constexpr ItemSlot kOtherSlot[] = {{kFidOtherChoice, kListEvaluation}};
constexpr ItemSlot kScaleSlot[] = {{kFidScale, 0}};
constexpr ItemSlot kFirstSlot[] = {{kFidPairFirst, 0}};
constexpr ItemSlot kSecondSlot[] = {{kFidPairSecond, 0}};
constexpr ItemSlot kVersionSlot[] = {{kFidVersionButton, 0}};
constexpr ItemSlot kAboutSlot[] = {{kFidAboutButton, 0}};
constexpr ItemSlot kLengthSlot[] = {{kFidLengthButton, 0}};

constexpr ListItemParams kSettingRows = {kRowsOfSettings, kRowLabelIsListName | kRowTwoColumns, 170,
                                         kListDoubleClickNext, nullptr, nullptr, nullptr};
constexpr ListItemParams kValueRows = {kRowsOfOptions, 0, 0, 0, nullptr, nullptr, nullptr};
constexpr ListItemParams kPlainRows = {kRowsOfOptions, 0, 0, 0, nullptr, nullptr, nullptr};
constexpr OptionDetailParams kDetailFollowsList = {kListSettings};
constexpr EditFieldParams kTextField = {0, 128, nullptr, nullptr, kCheckAtKillFocus | kCheckAtValidate, nullptr};
constexpr NumberFormat kWholeNumber = {0, 0};
constexpr EditFieldParams kNumberField = {kEditNumeric, 3, nullptr, &kWholeNumber,
                                          kCheckAtKillFocus | kCheckAtKillActive | kCheckAtValidate, nullptr};
constexpr UpDownParams kUpDown = {0};
constexpr SubDialogParams kVersionDialog = {&VersionTextDialogHeader, 0, 0, kDialogTypeModal};
constexpr SubDialogParams kAboutDialog = {&LogoDialogHeader, 0, 0, kDialogTypeModal};
constexpr SubDialogParams kLengthDialog = {&LengthDialogHeader, 0, 0, kDialogTypeModal};
constexpr ButtonParams kVersionButton = {kActionSubDialog, &kVersionDialog};
constexpr ButtonParams kAboutButton = {kActionSubDialog, &kAboutDialog};
constexpr ButtonParams kLengthButton = {kActionSubDialog, &kLengthDialog};
constexpr ButtonParams kDefaultsButton = {kActionDefaults, nullptr};

// The list comes before the fields that depend on its selection: at each show
// it sets their states, which they then apply.
const ItemRecord kRecords[] = {
    {kListDropEmptyCheck, 1, kDropEmptySlot, kKindCheckBox, nullptr, nullptr, kNoControl, kNoControl, nullptr},
    {kListSecondCheck, 1, kSecondCheckSlot, kKindCheckBox, nullptr, nullptr, kNoControl, kNoControl, nullptr},
    {kListQualityCombo, 1, kQualitySlot, kKindComboBox, nullptr, &kPlainRows, kNoControl, kNoControl, nullptr},
    {kListLockedCheck, 1, kLockedSlot, kKindCheckBox, OnLockedCheckItem, nullptr, kNoControl, kNoControl, nullptr},
    {kListRequiredEdit, 1, kTextSlot, kKindEdit, OnRequiredTextItem, &kTextField, kNoControl, kNoControl, nullptr},
    {kListOtherCombo, 1, kOtherSlot, kKindComboBox, nullptr, &kPlainRows, kNoControl, kNoControl, nullptr},
    {kListSettings, kListedSettingCount, kListSlots, kKindListBox, OnSettingsListItem, &kSettingRows, kNoControl,
     kNoControl, nullptr},
    {kListValueCombo, kListedSettingCount, kListSlots, kKindComboBox, OnSettingValueCombo, &kValueRows, kNoControl,
     kNoControl, nullptr},
    {kListValueDetail, kListedSettingCount, kListSlots, kKindOptionDetail, nullptr, &kDetailFollowsList, kNoControl,
     kNoControl, nullptr},
    {kListScaleEdit, 1, kScaleSlot, kKindEdit, OnScaleItem, &kNumberField, kNoControl, kNoControl, nullptr},
    {kListScaleUpDown, 1, kScaleSlot, kKindUpDown, nullptr, &kUpDown, kNoControl, kNoControl, nullptr},
    {kListFirstField, 1, kFirstSlot, kKindEdit, nullptr, &kNumberField, kNoControl, kNoControl, nullptr},
    {kListSecondField, 1, kSecondSlot, kKindEdit, nullptr, &kNumberField, kNoControl, kNoControl, nullptr},
    {kListVersionButton, 1, kVersionSlot, kKindPushButton, OnRequiredTextButton, &kVersionButton, kNoControl,
     kNoControl, nullptr},
    {kListAboutButton, 1, kAboutSlot, kKindPushButton, OnEditingFlagButton, &kAboutButton, kNoControl, kNoControl,
     nullptr},
    {kListLengthButton, 1, kLengthSlot, kKindPushButton, OnRequiredTextButton, &kLengthButton, kNoControl,
     kNoControl, nullptr},
    {kListDefaultsButton, 0, nullptr, kKindPushButton, OnResetUserSettingsButton, &kDefaultsButton, kNoControl,
     kNoControl, nullptr},
};

constexpr HelpMapEntry kHelp[] = {
    {kListDropEmptyCheck, 13010}, {kListSecondCheck, 13020}, {kListQualityCombo, 13030}, {kListQualityLabel, 13030},
    {kListLockedCheck, 13040},    {kListRequiredEdit, 13050}, {kListRequiredLabel, 13050}, {kListOtherCombo, 13060},
    {kListOtherLabel, 13060},     {kListSettings, 13070},    {kListCaption, 13070},      {kListValueCombo, 13080},
    {kListValueLabel, 13080},     {kListValueDetail, 13080}, {kListScaleEdit, 13090},    {kListScaleUpDown, 13090},
    {kListScaleLabel, 13090},     {kListScaleUnit, 13090},   {kListFirstField, 13100},   {kListFirstFieldLabel, 13100},
    {kListSecondField, 13110},    {kListSecondFieldLabel, 13110}, {kListVersionButton, 13120},
    {kListAboutButton, 13130},    {kListLengthButton, 13140}, {kListDefaultsButton, 1540}, {0, 0}};

}  // namespace

const ItemTableHeader SettingsListItemTable{kRecords, static_cast<uint32_t>(std::size(kRecords)), kPageHelpTopic,
                                            kHelp, nullptr, 0};
