#include "ui/pages/job_type_page.h"

#include "common/config/site_config.h"
#include "common/constraints/constraint_engine.h"
#include "common/context/settings_context.h"
#include "common/context/option_list.h"
#include "common/options/option_lists.h"
#include "common/context/value_by_type.h"
#include "common/settings/capability_bits.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "common/conflicts/conflict_messages.h"
#include "ui/controls/control_kinds.h"
#include "ui/controls/display_states.h"
#include "ui/controls/item_callbacks.h"
#include "ui/controls/kind_handlers.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/item_changes.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/page_utilities.h"
#include "ui/engine/tooltips.h"
#include "ui/engine/ui_context.h"
#include "ui/illustration/illustration_layers.h"
#include "ui/illustration/picture_control.h"
#include "ui/pages/job_type_ids.h"
#include "ui/pages/job_type_pictures.h"
#include "ui/pages/size_dialog_ids.h"
#include "ui/pages/size_dialogs.h"
#include "ui/support/paper_geometry.h"
#include "ui/support/resource_messages.h"
#include "ui/support/text_validation.h"

#include <commctrl.h>

#include <cwchar>
#include <iterator>
#include <string>

namespace {

constexpr uint16_t kFidEdgeMark = 437;       // byte: which edges carry a mark (0-3)
constexpr uint16_t kFidFinishingFields = 459;  // byte: 1 shows the finishing detail fields
constexpr uint16_t kFidFold = 448;
constexpr uint16_t kFidCustomPaperButton = 1816;
constexpr uint16_t kFidUserCode = 5130;        // plain, at most 4 characters
constexpr uint16_t kFidScrambledUserCode = 5159;  // scrambled, at most 12
constexpr uint16_t kFidJobPassword = 5129;
constexpr uint16_t kFidDocumentName = 436;
constexpr uint16_t kFidScrambledDocumentName = 1858;
constexpr uint16_t kFidPunch = kFidPunchValue;
constexpr uint16_t kFidJobName = kFidStoredJobName;
constexpr int16_t kCustomPaper = 256;

constexpr CapabilityId kCapabilityModelPicture = CapabilityBit(0x3C);
constexpr CapabilityId kCapabilityNoCodeCheck = CapabilityBit(0x2E);
constexpr CapabilityId kCapabilityScrambledCodes = 0x40000000;
constexpr CapabilityId kCapabilityLongNames = 2;

constexpr uint32_t kNumberDefault = 500;
// Descriptions of the job types by value, for option texts without one.
constexpr UINT kStringJobTypeDescriptions = 4760;
constexpr uint32_t kNameChars = 25;
constexpr uint32_t kDocumentNameChars = 20;

// --- Small helpers ------------------------------------------------------------------

uint32_t Setting(const CallContext* call, uint16_t id, uint32_t fallback = 0)
{
    return SettingNumberOr(id, call->settings, call->printerSettings, fallback);
}

bool HasCapability(const CallContext* call, CapabilityId id)
{
    return HasModelCapability(GetCallWindow(call), id) != 0;
}

uint32_t KindDefault(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                     const void* parameters)
{
    ItemEventHandler next = FindKindHandler(item->kind);
    return next ? next(call, message, wParam, lParam, item, parameters) : 0;
}

bool IsActivation(UINT message, LPARAM lParam) { return IsShowMessage(message, lParam); }

bool ListNames(const uint16_t* list, uint16_t setting)
{
    for (; list && *list; ++list)
        if (*list == setting)
            return true;
    return false;
}

std::wstring ControlText(HWND window, int32_t id)
{
    HWND control = GetDlgItem(window, id);
    const int length = control ? GetWindowTextLengthW(control) : 0;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    if (control)
        GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

std::wstring ResourceText(UINT id)
{
    wchar_t text[256] = {};
    if (HMODULE resources = GetResourceModule())
        LoadStringW(resources, id, text, 256);
    return text;
}

// The label of an item without its access-key mark and colon, for messages.
int32_t LabelOf(const ItemRecord* item);

std::wstring FieldName(HWND window, const ItemRecord* item)
{
    const int32_t label = LabelOf(item);
    std::wstring name = label != kNoControl ? ControlText(window, label) : L"";
    std::wstring plain;
    for (wchar_t c : name)
        if (c != L'&' && c != L':')
            plain += c;
    return plain;
}

int ShowFormattedMessage(HWND window, UINT id, const wchar_t* name, int32_t a, int32_t b)
{
    wchar_t* text = nullptr;
    if (!LoadFormattedString(&text, 256, id, name, a, b))
        return -1;
    const int answer =
        ShowResourceMessageBox(window, kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION, kTextGiven, text);
    GlobalFree(text);
    return answer;
}

// Shows or hides a control with its label, enabled as shown.
void ShowField(HWND window, const ItemRecord* item, bool shown)
{
    for (int32_t id : {item->controlId, item->labelControl}) {
        HWND control = id != kNoControl ? GetDlgItem(window, id) : nullptr;
        if (!control)
            continue;
        ShowWindow(control, shown ? SW_SHOW : SW_HIDE);
        EnableWindow(control, shown);
    }
}

// The labels of the fields that follow the job type. The page keeps them
// itself (the items name no label control), so that the engine's label pass
// leaves their text and state alone.
struct FieldLabel {
    int32_t control;
    int32_t label;
};
constexpr FieldLabel kJobFieldLabels[] = {{kJobIdEdit, kJobIdLabel},
                                          {kJobCodeEdit, kJobCodeLabel},
                                          {kDelayHourEdit, kDelayLabel},
                                          {kDelayMinuteEdit, kDelaySeparator}};

int32_t LabelOf(const ItemRecord* item)
{
    for (const FieldLabel& row : kJobFieldLabels)
        if (row.control == item->controlId)
            return row.label;
    return item->labelControl;
}

// On the page a field the chosen job type does not use is shown disabled with
// its label; the job type's own dialog always offers its fields.
void DisableUnlessJobType(CallContext* call, const ItemRecord* item, bool used)
{
    HWND window = GetCallWindow(call);
    if (GetCallDialogType(call) != kDialogTypePage)
        return;
    EnableWindow(GetDlgItem(window, item->controlId), used);
    for (const FieldLabel& row : kJobFieldLabels)
        if (row.control == item->controlId)
            EnableWindow(GetDlgItem(window, row.label), used);
}

bool NeedsCodes(uint32_t jobType) { return jobType == kJobTypeCoded || jobType == kJobTypeSecure || jobType == kJobTypeStored; }

// Applies `value` to the item's selected setting as a user's change would.
int ApplyValue(CallContext* call, const ItemRecord* item, uint64_t value)
{
    const ValueEntry* entry = GetSelectedValueEntry(GetCallWindow(call), item);
    if (!entry)
        return -1;
    uint16_t* changed = nullptr;
    const int result = ApplyItemValueChange(call, item, entry, entry->type, &value, &changed);
    if (result == kChangeApplied)
        RecordPendingRefresh(call, item, changed);
    else
        FreeGlobalIfSet(changed);
    return result;
}

// --- Job type -------------------------------------------------------------------------

uint32_t OnJobTypeListItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                           const void* parameters)
{
    return OnComboBoxItem(call, message, wParam, lParam, item, parameters);
}

// The text after the line break of the current job type's option.
void ShowJobTypeDescription(HWND window)
{
    void* settings = nullptr;
    void* printerSettings = nullptr;
    GetDialogSettings(window, &settings, &printerSettings);
    const UiContext* ui = GetWindowUiContext(window);
    OptionList* list = nullptr;
    std::wstring description;
    if (settings && ui &&
        AcquireOptionList(window, GetResourceModule(), ui->settings, kFidJobType, nullptr, &list) == 0 && list) {
        const uint32_t jobType = SettingNumberOr(kFidJobType, settings, printerSettings, 0);
        for (int32_t i = 0; list->rows && i < list->count; ++i)
            if (static_cast<uint32_t>(list->rows[i].value) == jobType && list->rows[i].text) {
                const wchar_t* text = list->rows[i].text;
                const wchar_t* cut = std::wcschr(text, L'\r');
                if (cut)
                    description = cut[1] == L'\n' ? cut + 2 : cut + 1;
            }
        ReleaseOptionList(window, kFidJobType);
    }
    if (description.empty() && settings)
        description =
            ResourceText(kStringJobTypeDescriptions + SettingNumberOr(kFidJobType, settings, printerSettings, 0));
    SetDlgItemTextW(window, kJobDescription, description.c_str());
}

uint32_t JobDetailsCode(uint32_t jobType)
{
    switch (jobType) {
    case kJobTypeSecure: return kSecureJobCode;
    case kJobTypeStored: return kStoredJobCode;
    case kJobTypeDelayed: return kDelayedJobCode;
    default: return kOtherJobCode;
    }
}

// --- Codes and names ------------------------------------------------------------------

constexpr NumberFormat kWholeNumber = {0, 0};
constexpr uint32_t kTextChecks = kCheckAtKillFocus | kCheckAtKillActive | kCheckAtValidate;
constexpr EditFieldParams kPlainCodeEdit = {0, 4, nullptr, nullptr, kTextChecks, nullptr};
constexpr EditFieldParams kScrambledCodeEdit = {kEditProtected, 12, nullptr, nullptr, kTextChecks, nullptr};
constexpr EditFieldParams kShortIdEdit = {0, 12, nullptr, nullptr, kTextChecks, nullptr};
constexpr EditFieldParams kLongIdEdit = {0, 24, nullptr, nullptr, kTextChecks, nullptr};
constexpr EditFieldParams kShortPinEdit = {0, 8, nullptr, nullptr, kTextChecks, nullptr};
constexpr EditFieldParams kLongPinEdit = {0, 24, nullptr, nullptr, kTextChecks, nullptr};
constexpr EditFieldParams kNameEdit = {kEditKeepsText, kNameChars, nullptr, nullptr, kTextChecks, nullptr};
constexpr EditFieldParams kDocumentNameEdit = {0, kDocumentNameChars, nullptr, nullptr, kTextChecks, nullptr};
constexpr EditFieldParams kScrambledNameEdit = {kEditProtected, kDocumentNameChars, nullptr, nullptr, kTextChecks,
                                                nullptr};

// One refusal at a time: the box moves the focus, and the field's kill-focus
// would otherwise check the same text again under it.
bool g_refusing = false;

// 0 accepted; else the message that refuses the code.
UINT CheckCodeText(const std::wstring& text, uint32_t minimum, uint32_t maximum)
{
    if (text.empty())
        return 0;
    for (wchar_t c : text)
        if (!((c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z')))
            return kMessageCodeInvalid;
    if (text.size() < minimum)
        return kMessageCodeTooShort;
    if (text.size() > maximum)
        return kMessageCodeInvalid;
    return 0;
}

uint32_t OnCodeFieldItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                         const void*)
{
    HWND window = GetCallWindow(call);
    const bool scrambled = HasCapability(call, kCapabilityScrambledCodes);
    const EditFieldParams* params = scrambled ? &kScrambledCodeEdit : &kPlainCodeEdit;
    if (IsActivation(message, lParam))
        SetSelectedSlotIndex(window, item, scrambled ? 1 : 0);
    const bool killFocus = message == WM_COMMAND && HIWORD(wParam) == EN_KILLFOCUS;
    if ((killFocus || message == kEngineValidate) && !g_refusing && IsWindowEnabled(GetDlgItem(window, item->controlId))) {
        const uint32_t minimum = Setting(call, kFidUserCodeMinimum);
        const UINT refusal = CheckCodeText(ControlText(window, item->controlId), minimum, params->maxLength);
        if (refusal) {
            g_refusing = true;
            ShowFormattedMessage(window, refusal, FieldName(window, item).c_str(),
                                 static_cast<int32_t>(refusal == kMessageCodeTooShort ? minimum : minimum),
                                 static_cast<int32_t>(params->maxLength));
            g_refusing = false;
            SetFocus(GetDlgItem(window, item->controlId));
            return message == kEngineValidate ? 1 : 0;
        }
    }
    const uint32_t result = OnEditItem(call, message, wParam, lParam, item, params);
    if (IsActivation(message, lParam))
        DisableUnlessJobType(call, item, NeedsCodes(Setting(call, kFidJobType)));
    return result;
}

uint32_t OnNameLengthItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                          const void*)
{
    const uint32_t jobType = Setting(call, kFidJobType);
    const uint32_t length = JobIdLength(jobType, HasCapability(call, kCapabilityLongNames));
    const EditFieldParams* params = length > kShortIdEdit.maxLength ? &kLongIdEdit : &kShortIdEdit;
    const uint32_t result = OnEditItem(call, message, wParam, lParam, item, params);
    if (IsActivation(message, lParam) || message == WM_COMMAND) {
        HWND window = GetCallWindow(call);
        SendDlgItemMessageW(window, item->controlId, EM_LIMITTEXT, length, 0);
        if (IsActivation(message, lParam))
            DisableUnlessJobType(call, item, NeedsCodes(jobType));
    }
    return result;
}

uint32_t OnPinFieldItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                        const void*);

uint32_t OnNameFieldItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                         const void*)
{
    HWND window = GetCallWindow(call);
    const bool checked = Setting(call, kFidJobType) == kJobTypeStored &&
                         IsWindowEnabled(GetDlgItem(window, item->controlId));
    const bool leaving = (message == WM_COMMAND && HIWORD(wParam) == EN_KILLFOCUS) || message == kEngineValidate;
    if (checked && leaving && !g_refusing) {
        const std::wstring text = ControlText(window, item->controlId);
        if (!ValidateTextCharacters(text.c_str(), nullptr, nullptr, nullptr, nullptr, 0, 0) ||
            text.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos) {
            g_refusing = true;
            ShowFormattedMessage(window, kMessageNameRefused, FieldName(window, item).c_str(), 0, 0);
            g_refusing = false;
            OnEditItem(call, kEngineReset, 0, 0, item, &kNameEdit);
            return message == kEngineValidate ? 1 : 0;
        }
    }
    return OnEditItem(call, message, wParam, lParam, item, &kNameEdit);
}

constexpr EditFieldParams kBoxEdit = {0, 4, nullptr, nullptr, kTextChecks, nullptr};

// The box number: a decimal number from 1 to the limit of string 435, 500
// when left empty.
uint32_t OnNumberFieldItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                           const void*)
{
    HWND window = GetCallWindow(call);
    if (message == WM_COMMAND && HIWORD(wParam) == EN_KILLFOCUS && !g_refusing) {
        std::wstring text = ControlText(window, item->controlId);
        const int32_t limit = _wtoi(ResourceText(kStringNumberLimit).c_str());
        if (text.empty()) {
            text = std::to_wstring(kNumberDefault);
            SetDlgItemTextW(window, item->controlId, text.c_str());
        }
        const int32_t number = _wtoi(text.c_str());
        if (text.find_first_not_of(L"0123456789") != std::wstring::npos || number < 1 || number > limit) {
            g_refusing = true;
            ShowFormattedMessage(window, kMessageNumberRange, FieldName(window, item).c_str(), limit, 0);
            g_refusing = false;
            OnEditItem(call, kEngineReset, 0, 0, item, &kBoxEdit);
            return 0;
        }
    }
    return OnEditItem(call, message, wParam, lParam, item, &kBoxEdit);
}

// The document name: the scrambled setting on models that keep codes
// scrambled, else the plain one.
uint32_t OnShortFieldItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                          const void*)
{
    HWND window = GetCallWindow(call);
    const bool scrambled = HasCapability(call, kCapabilityScrambledCodes);
    if (IsActivation(message, lParam))
        SetSelectedSlotIndex(window, item, scrambled ? 1 : 0);
    const uint32_t result =
        OnEditItem(call, message, wParam, lParam, item, scrambled ? &kScrambledNameEdit : &kDocumentNameEdit);
    if (IsActivation(message, lParam))
        SendDlgItemMessageW(window, item->controlId, EM_LIMITTEXT, kDocumentNameChars, 0);
    return result;
}

// A reset of the page (Cancel) on a model that checks codes tells which
// settings the page check changed; its second form names the job type that
// cannot stand.
void OnJobTypeConfirm(CallContext* call, const ItemRecord* field, bool secondForm)
{
    HWND window = GetCallWindow(call);
    const UiContext* ui = GetWindowUiContext(window);
    if (!ui)
        return;
    // The first form names the value the job type takes, the second the one
    // that cannot stand without the field.
    const uint32_t shown = secondForm ? Setting(call, kFidJobType) : kJobTypeNormal;
    OptionList* list = nullptr;
    std::wstring name = L"Job Type", value;
    if (AcquireOptionList(window, GetResourceModule(), ui->settings, kFidJobType, nullptr, &list) == 0 && list) {
        if (list->title && *list->title)
            name = list->title;
        for (int32_t i = 0; list->rows && i < list->count; ++i)
            if (static_cast<uint32_t>(list->rows[i].value) == shown && list->rows[i].text)
                value = list->rows[i].text;
        ReleaseOptionList(window, kFidJobType);
    }
    if (value.empty())
        value = ResourceText(306);
    wchar_t* line = nullptr;
    wchar_t* text = nullptr;
    if (secondForm)
        LoadFormattedString(&text, 512, 701, name.c_str(), value.c_str(), FieldName(window, field).c_str());
    else if (LoadFormattedString(&line, 256, 706, name.c_str(), value.c_str()))
        LoadFormattedString(&text, 512, 711, line);
    if (text)
        ShowResourceMessageBox(window, kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION, kTextGiven, text);
    FreeGlobalIfSet(line);
    FreeGlobalIfSet(text);
    // The job goes as an ordinary one unless the site enforces its job type.
    if (!secondForm && call->settingsContext && !IsSettingEnforced(kFidJobType, call->settingsContext->siteConfig))
        WriteSettingNumber(kFidJobType, call->settings, call->printerSettings, kJobTypeNormal);
}

// The PIN of a secure or proof job; without it the job cannot be fetched at
// the printer, so leaving it empty is told.
uint32_t OnPinFieldItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                        const void*)
{
    HWND window = GetCallWindow(call);
    const EditFieldParams* params = HasCapability(call, kCapabilityLongNames) ? &kLongPinEdit : &kShortPinEdit;
    // The PIN field qualifies when it is enabled, a job type that needs it is
    // chosen and it is empty.
    const bool qualifies = !HasCapability(call, kCapabilityNoCodeCheck) &&
                           IsWindowEnabled(GetDlgItem(window, item->controlId)) &&
                           NeedsCodes(Setting(call, kFidJobType)) && ControlText(window, item->controlId).empty();
    if (SheetNotification(message, lParam) == PSN_RESET && qualifies)
        OnJobTypeConfirm(call, item, false);
    if (message == kEngineValidate && qualifies) {
        OnJobTypeConfirm(call, item, true);
        return 1;
    }
    const uint32_t result = OnEditItem(call, message, wParam, lParam, item, params);
    if (IsActivation(message, lParam))
        SendDlgItemMessageW(window, item->controlId, EM_LIMITTEXT, params->maxLength, 0);
    return result;
}

// --- Delayed time -----------------------------------------------------------------------

constexpr EditFieldParams kHourEdit = {kEditNumeric, 2, nullptr, &kWholeNumber, kTextChecks, nullptr};
constexpr EditFieldParams kMinuteEdit = {kEditNumeric, 2, nullptr, &kWholeNumber, kTextChecks, nullptr};
constexpr UpDownParams kSpin = {0};

uint32_t OnDelayTimeItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                         const void* parameters)
{
    const uint32_t result = OnEditItem(call, message, wParam, lParam, item, parameters);
    if (IsActivation(message, lParam)) {
        HWND window = GetCallWindow(call);
        wchar_t text[8] = {};
        if (item->controlId == kDelayHourEdit)
            swprintf(text, 8, L"%02u", Setting(call, kFidDelayHour) & 0xFF);
        else
            swprintf(text, 8, L"%02u", Setting(call, kFidDelayMinute) & 0xFF);
        SetDlgItemTextW(window, item->controlId, text);
        DisableUnlessJobType(call, item, Setting(call, kFidJobType) == kJobTypeDelayed);
    }
    return result;
}

uint32_t OnSpinItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                    const void* parameters)
{
    if (message == WM_VSCROLL && LOWORD(wParam) == SB_THUMBPOSITION)
        SendMessageW(reinterpret_cast<HWND>(lParam), UDM_SETPOS, 0, MAKELPARAM(HIWORD(wParam), 0));
    const uint32_t result = OnUpDownItem(call, message, wParam, lParam, item, parameters);
    if (IsActivation(message, lParam)) {
        const uint16_t setting = GetSelectedSettingId(GetCallWindow(call), item);
        if (setting == kFidDelayHour || setting == kFidDelayMinute)
            SendDlgItemMessageW(GetCallWindow(call), item->controlId, UDM_SETRANGE32, 0,
                                setting == kFidDelayHour ? 23 : 59);
        if (setting == kFidDelayHour || setting == kFidDelayMinute)
            DisableUnlessJobType(call, item, Setting(call, kFidJobType) == kJobTypeDelayed);
    }
    return result;
}

// --- Paper and zoom ----------------------------------------------------------------------

uint32_t OnPaperSizeItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                         const void* parameters)
{
    HWND window = GetCallWindow(call);
    if (SheetNotification(message, lParam) == PSN_SETACTIVE)
        RebuildSettingOptionList(window, static_cast<int32_t>(call->dialogCode), kFidPaperSize);
    if (message == kEventItem2533) {
        const ItemRecord* button = FindItemRecord(window, static_cast<int32_t>(call->dialogCode), kCustomSizeButton);
        if (button)
            OnPushButtonItem(call, WM_COMMAND, MAKEWPARAM(kCustomSizeButton, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(window, kCustomSizeButton)), button,
                             button->parameters);
        return 0;
    }
    const uint32_t result = OnComboBoxItem(call, message, wParam, lParam, item, parameters);
    // The custom size asks for its dimensions as soon as it is chosen.
    if (message == kEventRefresh && item->controlId == kPaperSizeBox &&
        ListNames(reinterpret_cast<const uint16_t*>(lParam), kFidPaperSize) &&
        static_cast<int16_t>(Setting(call, kFidPaperSize)) == kCustomPaper)
        PostMessageW(window, kEventItem2533, kPaperSizeBox, 0);
    return result;
}

constexpr EditFieldParams kZoomField = {kEditNumeric, 3, nullptr, &kWholeNumber, kTextChecks, nullptr};
constexpr uint32_t kFullZoom = 100;

// The zoom follows the fit of the paper while scaling is automatic; turning
// hand scaling on starts it at 100 with the focus in the field.
uint32_t OnZoomItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                    const void* parameters)
{
    HWND window = GetCallWindow(call);
    if (message == kEventRefresh && ListNames(reinterpret_cast<const uint16_t*>(lParam), kFidLayoutScaleOn)) {
        SetFocus(GetDlgItem(window, kZoomEdit));
        ApplyValue(call, item, kFullZoom);
    } else if (IsActivation(message, lParam) && !Setting(call, kFidLayoutScaleOn)) {
        const UiContext* ui = GetWindowUiContext(window);
        uint32_t fit = 0;
        if (ui && ComputeFitScalePercent({ui->settings, call->settings, call->printerSettings}, &fit) && fit &&
            fit != Setting(call, kFidZoom))
            ApplyValue(call, item, fit);
    }
    return OnSpinItem(call, message, wParam, lParam, item, parameters);
}

// One layout warning at a time.
bool g_reportingFit = false;

uint32_t OnZoomFieldItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                         const void*)
{
    HWND window = GetCallWindow(call);
    const uint32_t result = OnEditItem(call, message, wParam, lParam, item, &kZoomField);
    // A model without a zoom of its own has nothing to show here.
    if (IsActivation(message, lParam)) {
        const bool offered = GetSelectedOptionList(window, item) != nullptr;
        for (int32_t id : {kZoomLabel, kZoomEdit, kZoomSpin})
            ShowWindow(GetDlgItem(window, id), offered ? SW_SHOW : SW_HIDE);
    }
    const bool leaving = (SheetNotification(message, lParam) == PSN_KILLACTIVE && GetFocus() == GetDlgItem(window, kZoomEdit)) ||
                         (message == WM_COMMAND && HIWORD(wParam) == EN_KILLFOCUS && LOWORD(wParam) != kZoomLabel);
    if (leaving && result == 0 && !g_reportingFit) {
        const UiContext* ui = GetWindowUiContext(window);
        const ValueEntry* entry = GetSelectedValueEntry(window, item);
        uint16_t zoom = static_cast<uint16_t>(Setting(call, kFidZoom));
        if (ui && entry) {
            g_reportingFit = true;
            const SettingChange change{entry->setting, entry->type, sizeof zoom, &zoom};
            PaperUnits units{};
            GetUnitDisplayFlags(window, &units);
            ReportLayoutScaleConflict(window, {ui->settings, call->settings, call->printerSettings}, change, &units);
            g_reportingFit = false;
        }
    }
    return result;
}

// --- Copies and collate ------------------------------------------------------------------

constexpr EditFieldParams kCopiesField = {kEditNumeric, 3, nullptr, &kWholeNumber, kTextChecks, nullptr};

// Collate is on while its setting is not 0, whatever order the model lists
// the two options in.
uint32_t OnCollateItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                       const void*)
{
    HWND window = GetCallWindow(call);
    if (IsActivation(message, lParam)) {
        CheckDlgButton(window, item->controlId, Setting(call, kFidCollate) ? BST_CHECKED : BST_UNCHECKED);
        UpdateItemControlState(window, item, nullptr);
    } else if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        const bool on = IsDlgButtonChecked(window, item->controlId) == BST_CHECKED;
        if (ApplyValue(call, item, on ? 1 : 0) == kChangeNotApplied)
            CheckDlgButton(window, item->controlId, Setting(call, kFidCollate) ? BST_CHECKED : BST_UNCHECKED);
    }
    return 0;
}

// --- Finishing fields ----------------------------------------------------------------------

uint32_t OnEdgeSettingItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                           const void* parameters)
{
    const uint32_t result = KindDefault(call, message, wParam, lParam, item, parameters);
    if (IsActivation(message, lParam) && Setting(call, kFidEdgeValue) == 0)
        ShowField(GetCallWindow(call), item, false);
    else if (IsActivation(message, lParam) && !IsWindowVisible(GetDlgItem(GetCallWindow(call), item->controlId)))
        ShowField(GetCallWindow(call), item, true);
    return result;
}

constexpr int32_t kFieldControls[] = {kStapleLabel, kStapleBox, kFoldBox,
                                      kFoldLabel, kFieldsGroup,    kFieldsNote};

uint32_t OnJobTypeFieldsItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                             const void* parameters)
{
    const uint32_t result = KindDefault(call, message, wParam, lParam, item, parameters);
    const bool pending = message == kEventRefresh &&
                         ListNames(reinterpret_cast<const uint16_t*>(lParam), kFidFinishingFields);
    if (SheetNotification(message, lParam) == PSN_SETACTIVE || pending) {
        uint8_t value = 0;
        uint64_t holder = 0;
        if (GetCallSettingValue(call, kFidFinishingFields, &holder))
            value = static_cast<uint8_t>(holder);
        HWND window = GetCallWindow(call);
        for (int32_t id : kFieldControls) {
            ShowWindow(GetDlgItem(window, id), value == 1 ? SW_SHOW : SW_HIDE);
            EnableWindow(GetDlgItem(window, id), value == 1);
        }
    }
    return result;
}

// The option icons: rows by value 0-4, {first column, second column}.
struct IconRow {
    uint32_t first;
    uint32_t second;
};
constexpr IconRow kPunchIcons[] = {{893, 1003}, {875, 1001}, {896, 1004}, {890, 1002}, {887, 1005}};
constexpr IconRow kEdgeIcons[] = {{891, 892}, {897, 898}, {894, 895}, {888, 889}, {885, 886}};

uint32_t OnIconOptionListItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                              const void* parameters)
{
    const uint32_t result = item->controlId == kEdgeBox
                                ? OnEdgeSettingItem(call, message, wParam, lParam, item, parameters)
                                : OnComboBoxItem(call, message, wParam, lParam, item, parameters);
    // The icon beside the list follows its selection.
    if (message == kEventRefresh || SheetNotification(message, lParam) == PSN_SETACTIVE) {
        HWND window = GetCallWindow(call);
        const int32_t icon = item->controlId == kEdgeBox ? kEdgeIcon : kPunchIcon;
        const ItemRecord* iconItem = FindItemRecord(window, static_cast<int32_t>(call->dialogCode), icon);
        if (iconItem)
            ShowOptionIcon(call, message, SheetNotification(message, lParam), iconItem, OnOptionIconItem);
    }
    return result;
}

// --- Page-level --------------------------------------------------------------------------

constexpr ListItemParams kOptionRows = {kRowsOfOptions, 0, 0, kListStateMarks, nullptr, nullptr, nullptr};
constexpr ListItemParams kPlainRows = {kRowsOfOptions, 0, 0, 0, nullptr, nullptr, nullptr};
constexpr int32_t kOrientationButtons[] = {kPortraitButton, kLandscapeButton};
constexpr OptionButtonParams kOrientationParams = {2, kOrientationButtons};
constexpr PictureParameters kSheetPicture = {JobTypePictureLayers, 0, nullptr, 0, 1, kBackgroundModeButtonFace, 0};

constexpr PageHeader kSizePairHeader = {kSizePairTemplate, 0, PaperSizeDialogProc, kSizePairCode, kNoControl, 0,
                                        nullptr, 0};
constexpr SubDialogParams kSizePairSub = {&kSizePairHeader, 0, 0, kDialogTypeModal};
constexpr ButtonParams kCustomSizeParams = {kActionSubDialog, &kSizePairSub};

constexpr PageHeader kFieldsHeader = {kJobFieldsTemplate, 0, JobTypeFieldsDialogProc, kJobFieldsCode, kNoControl, 0,
                                      nullptr, 0};
constexpr SubDialogParams kFieldsSub = {&kFieldsHeader, 0, 0, kDialogTypeSubPage};
constexpr ButtonParams kFieldsParams = {kActionSubDialog, &kFieldsSub};

constexpr PageHeader kDetailHeaders[] = {
    {kSecureJobTemplate, 0, JobTypeDialogProc, kSecureJobCode, kNoControl, 0, nullptr, 0},
    {kStoredJobTemplate, 0, JobTypeDialogProc, kStoredJobCode, kNoControl, 0, nullptr, 0},
    {kDelayedJobTemplate, 0, JobTypeDialogProc, kDelayedJobCode, kNoControl, 0, nullptr, 0},
    {kOtherJobTemplate, 0, JobTypeDialogProc, kOtherJobCode, kNoControl, 0, nullptr, 0},
};
constexpr SubDialogParams kDetailSubs[] = {{&kDetailHeaders[0], 0, 0, kDialogTypeModal},
                                           {&kDetailHeaders[1], 0, 0, kDialogTypeModal},
                                           {&kDetailHeaders[2], 0, 0, kDialogTypeModal},
                                           {&kDetailHeaders[3], 0, 0, kDialogTypeModal}};

// The Details button opens the dialog of the chosen job type.
uint32_t OnJobDetailsButton(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                            const void* parameters)
{
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED)
        return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
    const uint32_t code = JobDetailsCode(Setting(call, kFidJobType));
    for (const SubDialogParams& sub : kDetailSubs)
        if (sub.header->dialogCode == code) {
            const ButtonParams open = {kActionSubDialog, &sub};
            return OnPushButtonItem(call, message, wParam, lParam, item, &open);
        }
    return 0;
}

constexpr ItemSlot kJobTypeSlots[] = {{kFidJobType, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr ItemSlot kUserIdSlots[] = {{kFidUserCodeText, 0}};
constexpr ItemSlot kCodeSlots[] = {{kFidUserCode, 0}, {kFidScrambledUserCode, 0}};
constexpr ItemSlot kPasswordSlots[] = {{kFidJobPassword, 0}};
constexpr ItemSlot kNameSlots[] = {{kFidJobName, 0}};
constexpr ItemSlot kBoxSlots[] = {{kFidBoxName, 0}};
constexpr ItemSlot kDocumentNameSlots[] = {{kFidDocumentName, 0}, {kFidScrambledDocumentName, 0}};
constexpr ItemSlot kHourSlots[] = {{kFidDelayHour, 0}};
constexpr ItemSlot kMinuteSlots[] = {{kFidDelayMinute, 0}};
constexpr ItemSlot kPaperSlots[] = {{kFidPaperSize, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr ItemSlot kCustomSizeSlots[] = {{kFidCustomPaperButton, 0}};
constexpr ItemSlot kZoomSlots[] = {{kFidZoom, 0}};
constexpr ItemSlot kOrientationSlots[] = {{kFidOrientation, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr ItemSlot kCopiesSlots[] = {{kFidCopies, 0}};
constexpr ItemSlot kCollateSlots[] = {{kFidCollate, kEvaluateAfterChange}};
constexpr ItemSlot kDuplexSlots[] = {{kFidDuplex, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr ItemSlot kPagesSlots[] = {{kFidPagesPerSheet, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr ItemSlot kEdgeSlots[] = {{kFidEdgeValue, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr ItemSlot kPunchSlots[] = {{kFidPunch, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr ItemSlot kStapleSlots[] = {{kFidStapleValue, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr ItemSlot kFoldSlots[] = {{kFidFold, kEvaluateOnActivate | kEvaluateAfterChange}};
constexpr uint32_t kKeptByDefaults = kItemKeptByDefaults;

const ItemRecord kPageRecords[] = {
    {kJobTypeBox, 1, kJobTypeSlots, kKindComboBox, OnJobTypeListItem, &kOptionRows, kJobTypeLabel, kNoControl,
     nullptr},
    {kJobDetailsButton, 0, nullptr, kKindPushButton, OnJobDetailsButton, nullptr, kNoControl, kNoControl, nullptr},
    {kJobFieldsButton, 0, nullptr, kKindPushButton, nullptr, &kFieldsParams, kNoControl, kNoControl, nullptr},
    {kJobIdEdit, 1, kUserIdSlots, kKindEdit, OnNameLengthItem, &kShortIdEdit, kNoControl, kNoControl, nullptr},
    {kJobCodeEdit, 2, kCodeSlots, kKindEdit, OnCodeFieldItem, &kPlainCodeEdit, kNoControl, kNoControl,
     &kKeptByDefaults},
    {kDelayHourEdit, 1, kHourSlots, kKindEdit, OnDelayTimeItem, &kHourEdit, kNoControl, kNoControl, nullptr},
    {kDelayHourSpin, 1, kHourSlots, kKindUpDown, OnSpinItem, &kSpin, kNoControl, kNoControl, nullptr},
    {kDelayMinuteEdit, 1, kMinuteSlots, kKindEdit, OnDelayTimeItem, &kMinuteEdit, kNoControl, kNoControl, nullptr},
    {kDelayMinuteSpin, 1, kMinuteSlots, kKindUpDown, OnSpinItem, &kSpin, kNoControl, kNoControl, nullptr},
    {kPaperSizeBox, 1, kPaperSlots, kKindComboBox, OnPaperSizeItem, &kOptionRows, kPaperSizeLabel, kNoControl,
     nullptr},
    {kCustomSizeButton, 1, kCustomSizeSlots, kKindPushButton, nullptr, &kCustomSizeParams, kNoControl, kNoControl,
     nullptr},
    {kZoomEdit, 1, kZoomSlots, kKindEdit, OnZoomFieldItem, &kZoomField, kNoControl, kNoControl, nullptr},
    {kZoomSpin, 1, kZoomSlots, kKindUpDown, OnZoomItem, &kSpin, kNoControl, kNoControl, nullptr},
    {kPortraitButton, 1, kOrientationSlots, kKindOptionButtons, nullptr, &kOrientationParams, kNoControl, kNoControl,
     nullptr},
    {kLandscapeButton, 1, kOrientationSlots, kKindOptionButtons, nullptr, &kOrientationParams, kNoControl,
     kNoControl, nullptr},
    {kCopiesEdit, 1, kCopiesSlots, kKindEdit, nullptr, &kCopiesField, kCopiesLabel, kNoControl, nullptr},
    {kCopiesSpin, 1, kCopiesSlots, kKindUpDown, OnSpinItem, &kSpin, kNoControl, kNoControl, nullptr},
    {kCollateBox, 1, kCollateSlots, kKindCheckBox, OnCollateItem, nullptr, kNoControl, kNoControl, nullptr},
    {kDuplexBox, 1, kDuplexSlots, kKindComboBox, nullptr, &kPlainRows, kDuplexLabel, kNoControl, nullptr},
    {kPagesPerSheetBox, 1, kPagesSlots, kKindComboBox, nullptr, &kPlainRows, kPagesPerSheetLabel, kNoControl,
     nullptr},
    {kJobPicture, -1, nullptr, kKindBitmapPicture, OnIllustrationItem, &kSheetPicture, kNoControl, kNoControl,
     nullptr},
};

const ItemRecord kFieldsRecords[] = {
    {kEdgeBox, 1, kEdgeSlots, kKindComboBox, OnIconOptionListItem, &kPlainRows, kEdgeLabel, kNoControl, nullptr},
    {kEdgeIcon, 1, kEdgeSlots, kKindNone, nullptr, nullptr, kNoControl, kNoControl, nullptr},
    {kPunchBox, 1, kPunchSlots, kKindComboBox, OnIconOptionListItem, &kPlainRows, kPunchLabel, kNoControl, nullptr},
    {kPunchIcon, 1, kPunchSlots, kKindNone, nullptr, nullptr, kNoControl, kNoControl, nullptr},
    {kStapleBox, 1, kStapleSlots, kKindComboBox, OnJobTypeFieldsItem, &kPlainRows, kStapleLabel,
     kNoControl, nullptr},
    {kFoldBox, 1, kFoldSlots, kKindComboBox, OnJobTypeFieldsItem, &kPlainRows, kFoldLabel,
     kNoControl, nullptr},
};

const ItemRecord kSecureRecords[] = {
    {kJobIdEdit, 1, kUserIdSlots, kKindEdit, OnNameLengthItem, &kShortIdEdit, kJobIdLabel, kNoControl, nullptr},
    {kJobCodeEdit, 2, kCodeSlots, kKindEdit, OnCodeFieldItem, &kPlainCodeEdit, kJobCodeLabel, kNoControl, nullptr},
};
const ItemRecord kStoredRecords[] = {
    {kJobIdEdit, 1, kUserIdSlots, kKindEdit, OnNameLengthItem, &kShortIdEdit, kJobIdLabel, kNoControl, nullptr},
    {kJobNameEdit, 1, kNameSlots, kKindEdit, OnNameFieldItem, &kNameEdit, kJobNameLabel, kNoControl, nullptr},
    {kJobPinEdit, 1, kPasswordSlots, kKindEdit, OnPinFieldItem, &kShortPinEdit, kJobPinLabel, kNoControl, nullptr},
};
const ItemRecord kDelayedRecords[] = {
    {kDelayHourEdit, 1, kHourSlots, kKindEdit, OnDelayTimeItem, &kHourEdit, kDelayLabel, kNoControl, nullptr},
    {kDelayHourSpin, 1, kHourSlots, kKindUpDown, OnSpinItem, &kSpin, kNoControl, kNoControl, nullptr},
    {kDelayMinuteEdit, 1, kMinuteSlots, kKindEdit, OnDelayTimeItem, &kMinuteEdit, kNoControl, kNoControl, nullptr},
    {kDelayMinuteSpin, 1, kMinuteSlots, kKindUpDown, OnSpinItem, &kSpin, kNoControl, kNoControl, nullptr},
};
const ItemRecord kOtherRecords[] = {
    {kJobShortEdit, 2, kDocumentNameSlots, kKindEdit, OnShortFieldItem, &kDocumentNameEdit, kJobShortLabel,
     kNoControl, nullptr},
    {kJobNumberEdit, 1, kBoxSlots, kKindEdit, OnNumberFieldItem, &kBoxEdit, kJobNumberLabel, kNoControl, nullptr},
};

constexpr HelpMapEntry kPageHelp[] = {{kJobTypeBox, 10100},      {kJobIdEdit, 10110},  {kJobCodeEdit, 10120},
                                      {kDelayHourEdit, 10130},   {kPaperSizeBox, 10200}, {kCustomSizeButton, 10210},
                                      {kZoomEdit, 10220},        {kPortraitButton, 10230}, {kLandscapeButton, 10230},
                                      {kCopiesEdit, 10300},      {kCollateBox, 10310}, {kDuplexBox, 10320},
                                      {kPagesPerSheetBox, 10330}, {0, 0}};
constexpr int32_t kNoLockedControls[] = {kNoControl};

template <size_t N>
constexpr ItemTableHeader Table(const ItemRecord (&records)[N], const HelpMapEntry* help)
{
    return {records, static_cast<uint32_t>(N), kPageHelpTopic, help, kNoLockedControls, 0};
}

const ItemTableHeader kFieldsTable = Table(kFieldsRecords, nullptr);
const ItemTableHeader kSecureTable = Table(kSecureRecords, nullptr);
const ItemTableHeader kStoredTable = Table(kStoredRecords, nullptr);
const ItemTableHeader kDelayedTable = Table(kDelayedRecords, nullptr);
const ItemTableHeader kOtherTable = Table(kOtherRecords, nullptr);

// WM_INITDIALOG: the model's picture only where the model has one, and the
// tooltips of the setting places; then the engine's own initialisation.
INT_PTR OnJobTypePageInit(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode,
                          HandlerArgs* args)
{
    const INT_PTR result = OnPageInitDialog(window, message, wParam, lParam, dialogCode, args);
    if (!HasModelCapability(window, kCapabilityModelPicture))
        ShowWindow(GetDlgItem(window, kModelPicture), SW_HIDE);
    if (CreateTooltipTexts(window))
        AddSettingTooltips(window);
    return result;
}

INT_PTR OnJobTypePageActive(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode,
                            HandlerArgs* args)
{
    if (args && args->call)
        UpdateSettingTooltips(args->call, window);
    return OnPageSetActive(window, message, wParam, lParam, dialogCode, args);
}

INT_PTR RunDialog(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t code, uint16_t type)
{
    SlotHandler handler = nullptr;
    int32_t slot = -1;
    if (!FindMessageHandler(message, wParam, lParam, type, &handler, &slot))
        return FALSE;
    return CallMessageHandler(window, message, wParam, lParam, code, type, handler);
}

// The dialog of one job type is known by the fields its template has.
int32_t DetailDialogCode(HWND window)
{
    if (GetDlgItem(window, kJobCodeEdit))
        return kSecureJobCode;
    if (GetDlgItem(window, kJobPinEdit))
        return kStoredJobCode;
    if (GetDlgItem(window, kDelayHourEdit))
        return kDelayedJobCode;
    return kOtherJobCode;
}

INT_PTR OnJobTypeDialogInit(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode,
                            HandlerArgs* args)
{
    const INT_PTR result = OnModalDialogInit(window, message, wParam, lParam, dialogCode, args);
    ShowJobTypeDescription(window);
    return result;
}

}  // namespace

const ItemTableHeader JobTypePageItemTable = Table(kPageRecords, kPageHelp);
const PageDescriptor JobFieldsDialog = {kJobFieldsCode, &kFieldsTable, nullptr};
const PageDescriptor SecureJobDialog = {kSecureJobCode, &kSecureTable, nullptr};
const PageDescriptor StoredJobDialog = {kStoredJobCode, &kStoredTable, nullptr};
const PageDescriptor DelayedJobDialog = {kDelayedJobCode, &kDelayedTable, nullptr};
const PageDescriptor OtherJobDialog = {kOtherJobCode, &kOtherTable, nullptr};

INT_PTR CALLBACK JobTypePageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    SlotHandler handler = nullptr;
    int32_t slot = -1;
    if (!FindMessageHandler(message, wParam, lParam, kDialogTypePage, &handler, &slot))
        return FALSE;
    if (handler == OnPageInitDialog)
        handler = OnJobTypePageInit;
    else if (handler == OnPageSetActive)
        handler = OnJobTypePageActive;
    return CallMessageHandler(window, message, wParam, lParam, kJobTypePageCode, kDialogTypePage, handler);
}

INT_PTR CALLBACK JobTypeFieldsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const INT_PTR result = RunDialog(window, message, wParam, lParam, kJobFieldsCode, kDialogTypeSubPage);
    // Shown on its own rather than in a sheet, the dialog activates itself
    // as a sheet would once its items are set up.
    if (message == WM_INITDIALOG && GetDialogContext(window)) {
        NMHDR active{GetParent(window), 0, static_cast<UINT>(PSN_SETACTIVE)};
        SendMessageW(window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&active));
    }
    return result;
}

INT_PTR CALLBACK JobTypeDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    SlotHandler handler = nullptr;
    int32_t slot = -1;
    if (!FindMessageHandler(message, wParam, lParam, kDialogTypeModal, &handler, &slot))
        return FALSE;
    if (handler == OnModalDialogInit)
        handler = OnJobTypeDialogInit;
    return CallMessageHandler(window, message, wParam, lParam, DetailDialogCode(window), kDialogTypeModal, handler);
}

int LookUpOptionIcon(int32_t controlId, uint32_t value, uint32_t setting437, uint32_t* icon)
{
    const IconRow* rows = controlId == kPunchIcon ? kPunchIcons : controlId == kEdgeIcon ? kEdgeIcons : nullptr;
    if (!rows || !icon || value >= std::size(kPunchIcons))
        return 1;
    const bool second = controlId == kPunchIcon ? (setting437 == 2 || setting437 == 3)
                                                : (setting437 == 1 || setting437 == 3);
    *icon = second ? rows[value].second : rows[value].first;
    return 0;
}

int OnOptionIconItem(CallContext* call, const ItemRecord* item, uint32_t* icon)
{
    if (!call || !item || !icon)
        return 3;
    *icon = 0;
    HWND window = GetCallWindow(call);
    const OptionList* list = GetSelectedOptionList(window, item);
    uint64_t mark = 0;
    uint64_t value = 0;
    const uint16_t setting = GetSelectedSettingId(window, item);
    if (!GetCallSettingValue(call, kFidEdgeMark, &mark) || !setting || !GetCallSettingValue(call, setting, &value))
        return 3;
    if (!list)
        return 6;
    // Only a value the item offers has an icon.
    bool offered = false;
    for (int32_t i = 0; list->rows && i < list->count; ++i)
        offered = offered || list->rows[i].value == value;
    if (!offered || LookUpOptionIcon(item->controlId, static_cast<uint32_t>(value),
                                     static_cast<uint32_t>(mark & 0xFF), icon) != 0)
        *icon = 0;
    return 0;
}

uint32_t JobIdLength(uint32_t jobType, bool capability2) { return jobType == kJobTypeStored || capability2 ? 24 : 12; }

uint32_t JobPinLength(bool capability2) { return capability2 ? 24 : 8; }

uint32_t JobDetailsTemplate(uint32_t jobType)
{
    const uint32_t code = JobDetailsCode(jobType);
    for (const PageHeader& header : kDetailHeaders)
        if (header.dialogCode == code)
            return header.templateId;
    return 0;
}
