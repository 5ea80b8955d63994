#include "ui/pages/paper_margin_dialog.h"

#include "common/constraints/constraint_engine.h"
#include "common/context/option_list.h"
#include "common/context/section_holder.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/model/model_data.h"
#include "common/model/model_format.h"
#include "common/model/model_kinds.h"
#include "common/model/model_section.h"
#include "common/settings/function_ids.h"
#include "common/store/paper_margins.h"
#include "common/system/module_files.h"
#include "common/system/system_utilities.h"
#include "ui/controls/control_kinds.h"
#include "ui/controls/item_callbacks.h"
#include "ui/controls/kind_handlers.h"
#include "ui/controls/kind_params.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/item_changes.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/ui_context.h"
#include "ui/engine/user_paper_margins.h"
#include "ui/entry/preferences_host.h"
#include "ui/support/number_fields.h"
#include "ui/support/resource_messages.h"

#include <prsht.h>

#include <cstdio>
#include <iterator>
#include <vector>

namespace {

constexpr wchar_t kStateProperty[] = L"MorvaPaperMarginState";
constexpr UINT kStringMillimetre = 460;
constexpr UINT kStringInch = 461;
constexpr UINT kStringDecimalSeparator = 9241;

constexpr int kEditControls[4] = {kMarginLeftEdit, kMarginTopEdit, kMarginRightEdit, kMarginBottomEdit};
constexpr int kUpDownControls[4] = {kMarginLeftUpDown, kMarginTopUpDown, kMarginRightUpDown, kMarginBottomUpDown};
constexpr int kUnitLabels[4] = {kMarginLeftUnit, kMarginTopUnit, kMarginRightUnit, kMarginBottomUnit};

struct MarginEntry {
    uint32_t paper;
    uint32_t margins[4];  // margin order
};

// What the dialog keeps while it is open, on its window.
struct MarginDialogState {
    uint32_t reset = 0;
    uint32_t minimum[4] = {};
    uint32_t maximum[4] = {};
    uint32_t defaults[4] = {};
    uint32_t zero[4] = {};
    std::vector<MarginEntry> model;
    std::vector<MarginEntry> edited;
    wchar_t* user = nullptr;     // the model's per-user registry base
    wchar_t* machine = nullptr;  // the machine-wide path that seeds a user's margins
    int orientation = kOrientationPortrait;
    ~MarginDialogState()
    {
        if (user)
            GlobalFree(user);
        if (machine)
            GlobalFree(machine);
    }
};

MarginDialogState* StateOf(HWND window) { return static_cast<MarginDialogState*>(GetPropW(window, kStateProperty)); }

void FreeState(HWND window)
{
    delete static_cast<MarginDialogState*>(RemovePropW(window, kStateProperty));
}

int MarginIndex(const int (&controls)[4], int controlId)
{
    for (int i = 0; i < 4; ++i)
        if (controls[i] == controlId)
            return i;
    return -1;
}

uint32_t Number(const CallContext* call, uint16_t setting, uint32_t fallback)
{
    return SettingNumberOr(setting, call->settings, call->printerSettings, fallback);
}

bool IsShow(UINT message, LPARAM lParam)
{
    return message == kEventRefresh || (message == WM_NOTIFY && lParam &&
                                        reinterpret_cast<const NMHDR*>(lParam)->code ==
                                            static_cast<UINT>(PSN_SETACTIVE));
}

UINT NotifyCode(UINT message, LPARAM lParam)
{
    return message == WM_NOTIFY && lParam ? reinterpret_cast<const NMHDR*>(lParam)->code : 0;
}

uint32_t PassOn(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                const void* parameters)
{
    const ItemEventHandler kind = GetKindDefaultHandler(call);
    return kind ? kind(call, message, wParam, lParam, item, parameters) : 0;
}

MarginEntry* ShownEntry(CallContext* call, MarginDialogState* state)
{
    if (!state)
        return nullptr;
    const uint32_t paper = Number(call, kFidMarginPaper, 0);
    for (MarginEntry& entry : state->edited)
        if (entry.paper == paper)
            return &entry;
    return nullptr;
}

const MarginEntry* ModelEntry(const MarginDialogState* state, uint32_t paper)
{
    for (const MarginEntry& entry : state->model)
        if (entry.paper == paper)
            return &entry;
    return nullptr;
}

// The model's margins of a paper (its paper record), turned for the
// orientation: the landscape page's left edge is the portrait page's top.
void ModelMargins(const SettingsContext* context, uint16_t paper, int orientation, uint32_t* margins)
{
    SectionHolder holder;
    ModelSizePair leftTop{}, rightBottom{};
    if (!context ||
        LoadModelTableWithOption(true, context->main, context->linked, kKindPaper, paper, 0, holder.out()) !=
            kModelOk ||
        GetPaperMarginFields(holder.section, &leftTop, &rightBottom) != kModelOk) {
        GetOrientedDefaultMargins(margins, orientation);
        return;
    }
    const uint32_t portrait[4] = {leftTop.x, leftTop.y, rightBottom.x, rightBottom.y};
    for (int i = 0; i < 4; ++i)
        margins[i] = orientation == kOrientationLandscape ? portrait[(i + 1) % 4] : portrait[i];
}

void SetMarginUnitLabels(CallContext* call)
{
    wchar_t unit[16] = {};
    LoadStringW(GetResourceModule(), IsInchDisplay(call) ? kStringInch : kStringMillimetre, unit,
                static_cast<int>(std::size(unit)));
    for (int control : kUnitLabels)
        SetDlgItemTextW(GetCallWindow(call), control, unit);
}

void RefreshMargins(CallContext* call)
{
    const uint16_t changed[] = {kMarginSettings[0], kMarginSettings[1], kMarginSettings[2], kMarginSettings[3], 0};
    RefreshDialogFromSettings(call, changed);
}

// After Defaults the check box and the paper list show their defaults too.
void RefreshWholeDialog(CallContext* call)
{
    const uint16_t changed[] = {kFidCustomMargins,  kFidMarginPaper,    kMarginSettings[0], kMarginSettings[1],
                                kMarginSettings[2], kMarginSettings[3], 0};
    RefreshDialogFromSettings(call, changed);
}

// The margin settings take the shown paper's margins: the edited ones with
// custom margins on; otherwise none when setting 383 asks for it, else the
// model's.
void LoadShownMargins(CallContext* call)
{
    MarginDialogState* state = StateOf(GetCallWindow(call));
    if (!state || !call->settings)
        return;
    const bool custom = Number(call, kFidCustomMargins, 0) == 1;
    const MarginEntry* edited = ShownEntry(call, state);
    const MarginEntry* model = ModelEntry(state, Number(call, kFidMarginPaper, 0));
    for (int i = 0; i < 4; ++i) {
        uint32_t value = state->defaults[i];
        if (custom)
            value = edited ? edited->margins[i] : value;
        else if (Number(call, kFidZeroMargins, 0) == 1)
            value = state->zero[i];
        else if (model)
            value = model->margins[i];
        WriteSettingNumber(kMarginSettings[i], call->settings, call->printerSettings, value);
    }
}

void InitMarginDialog(CallContext* call)
{
    HWND window = GetCallWindow(call);
    UiContext* ui = GetWindowUiContext(window);
    if (!ui || !call->settings || StateOf(window))
        return;
    auto* state = new MarginDialogState;
    const uint32_t orientation = Number(call, kFidOrientation, kOrientationPortrait);
    state->orientation = orientation == kOrientationLandscape ? kOrientationLandscape : kOrientationPortrait;
    if (call->settingsContext && call->settingsContext->main) {
        GetModelRegistryBase(call->settingsContext->main, 1, &state->user);
        GetModelRegistryBase(call->settingsContext->main, 0, &state->machine);
    }
    const ItemRecord* field = FindItemRecord(window, kPaperMarginCode, kMarginLeftEdit);
    int32_t minimum = 0, maximum = 0;
    if (field && GetItemValueRange(call, field, &minimum, &maximum))
        for (int i = 0; i < 4; ++i) {
            state->minimum[i] = static_cast<uint32_t>(minimum);
            state->maximum[i] = static_cast<uint32_t>(maximum);
        }
    GetOrientedDefaultMargins(state->defaults, state->orientation);
    PaperMarginList* list = LoadPaperMarginList(ui->printer);
    const bool fromUser = Number(call, kFidUserPaperMarginsFromUser, 0) == 1;
    if (const OptionList* papers = GetCachedOptionList(call, kFidMarginPaper)) {
        for (int32_t i = 0; i < papers->count && papers->rows; ++i) {
            const auto paper = static_cast<uint16_t>(papers->rows[i].value);
            MarginEntry model{paper, {}};
            ModelMargins(call->settingsContext, paper, state->orientation, model.margins);
            state->model.push_back(model);
            MarginEntry edited{paper, {}};
            GetPaperMargins(ui->printer, state->user, paper, edited.margins, state->machine, list, fromUser,
                            state->orientation);
            state->edited.push_back(edited);
        }
    }
    if (list)
        FreePaperMarginList(list);
    SetPropW(window, kStateProperty, state);
    SetMarginUnitLabels(call);
    LoadShownMargins(call);
}

// Message 700: the margin's name and both limits in the shown unit, written
// the same whatever the locale but for the decimal separator of the resource
// file.
void ShowMarginRangeMessage(CallContext* call, const ItemRecord* item, uint32_t minimum, uint32_t maximum)
{
    HWND window = GetCallWindow(call);
    wchar_t separator[8] = {};
    LoadStringW(GetResourceModule(), kStringDecimalSeparator, separator, static_cast<int>(std::size(separator)));
    const bool inch = IsInchDisplay(call);
    auto limit = [&](uint32_t value, wchar_t* text, size_t size) {
        const long shown = inch ? TenthMmToHundredthInch(static_cast<int32_t>(value)) : static_cast<long>(value);
        const long unit = inch ? 100 : 10;
        std::swprintf(text, size, inch ? L"%ld%ls%02ld" : L"%ld%ls%01ld", shown / unit, separator, shown % unit);
    };
    wchar_t low[32] = {}, high[32] = {};
    limit(minimum, low, std::size(low));
    limit(maximum, high, std::size(high));
    const OptionList* list = GetCachedOptionList(call, GetSelectedSettingId(window, item));
    const wchar_t* name = list && list->title ? list->title : L"";
    wchar_t* text = nullptr;
    if (LoadFormattedString(&text, 512, kMessageMarginRange, name, low, high) && text) {
        ShowResourceMessageBox(window, kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION, kTextGiven, text);
        GlobalFree(text);
    }
}

// 1 the margin may be stored; -2 outside the range; -1 refused by the rules
// (each told). The other margins are the entry's.
int CheckMarginValue(CallContext* call, const ItemRecord* item, int index, uint32_t value)
{
    MarginDialogState* state = StateOf(GetCallWindow(call));
    MarginEntry* entry = ShownEntry(call, state);
    if (!entry)
        return 1;
    if (value < state->minimum[index] || value > state->maximum[index]) {
        ShowMarginRangeMessage(call, item, state->minimum[index], state->maximum[index]);
        return -2;
    }
    MarginRecord margins{entry->margins[0], entry->margins[1], entry->margins[2], entry->margins[3]};
    const UiContext* ui = GetWindowUiContext(GetCallWindow(call));
    const ConstraintContext context{call->settingsContext, call->settings, call->printerSettings};
    if (ui && CheckSizeValueAgainstRules(ui->printer, context, &margins, static_cast<uint16_t>(entry->paper), index,
                                         value, 0) == -1) {
        ShowResourceMessageBox(GetCallWindow(call), kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION,
                               kMessageMarginRefused, nullptr);
        return -1;
    }
    entry->margins[index] = value;
    return 1;
}

// The engine's edit reads the typed number; the margin is checked here at the
// field's check points (a focus change only takes the text).
uint32_t ValidateMarginField(CallContext* call, UINT, const ItemRecord* item, const EditFieldParams*, uint32_t check,
                             const void* value)
{
    const int index = MarginIndex(kEditControls, item->controlId);
    if (index < 0 || !value || Number(call, kFidCustomMargins, 0) != 1)
        return 1;
    // Unchecked, the text waits for the next check point; the stored margin
    // stays as it is.
    if (!check)
        return 0;
    const auto stored = static_cast<uint32_t>(*static_cast<const uint64_t*>(value));
    return CheckMarginValue(call, item, index, stored) == 1 ? 1 : 2;
}

uint32_t OnMarginEditItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                          const void* parameters)
{
    const uint32_t result = PassOn(call, message, wParam, lParam, item, parameters);
    if (IsShow(message, lParam) && call->settings) {
        HWND field = GetDlgItem(GetCallWindow(call), item->controlId);
        EnableWindow(field, TRUE);
        SendMessageW(field, EM_SETREADONLY, Number(call, kFidCustomMargins, 0) == 1 ? FALSE : TRUE, 0);
    }
    return result;
}

uint32_t OnMarginUpDownItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                            const void* parameters)
{
    const int index = MarginIndex(kUpDownControls, item->controlId);
    if (index < 0 || !call->settings)
        return PassOn(call, message, wParam, lParam, item, parameters);
    const uint16_t setting = kMarginSettings[index];
    const uint32_t before = Number(call, setting, 0);
    const uint32_t result = PassOn(call, message, wParam, lParam, item, parameters);
    const bool custom = Number(call, kFidCustomMargins, 0) == 1;
    if (IsShow(message, lParam))
        EnableWindow(GetDlgItem(GetCallWindow(call), item->controlId), custom);
    if (message == WM_VSCROLL && custom) {
        const uint32_t after = Number(call, setting, before);
        if (after != before && CheckMarginValue(call, item, index, after) != 1) {
            WriteSettingNumber(setting, call->settings, call->printerSettings, before);
            const uint16_t changed[] = {setting, 0};
            RefreshDialogFromSettings(call, changed);
        }
    }
    return result;
}

// The option-icon routine of the pages takes a callback type that the kinds'
// parameter blocks name differently, so the icon is set here the same way.
uint32_t OnMarginIconItem(CallContext* call, UINT message, WPARAM, LPARAM lParam, const ItemRecord* item, const void*)
{
    HWND control = GetDlgItem(GetCallWindow(call), item->controlId);
    if (!IsShow(message, lParam) || !control || !call->settings)
        return 0;
    const UINT icon = GetMarginIconId(item->controlId, Number(call, kFidOrientation, kOrientationPortrait));
    HICON shown = icon ? static_cast<HICON>(LoadImageW(GetResourceModule(), MAKEINTRESOURCEW(icon), IMAGE_ICON, 0, 0,
                                                       LR_DEFAULTSIZE))
                       : nullptr;
    if (HICON previous = reinterpret_cast<HICON>(SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(shown), 0)))
        DestroyIcon(previous);
    return 0;
}

uint32_t OnMarginPaperList(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                           const void* parameters)
{
    if (NotifyCode(message, lParam) == static_cast<UINT>(PSN_SETACTIVE) && call->settings) {
        // The dialog opens on the document's paper when the list has it.
        const uint32_t paper = Number(call, kFidPaperSize, 0);
        MarginDialogState* state = StateOf(GetCallWindow(call));
        if (state && ModelEntry(state, paper))
            WriteSettingNumber(kFidMarginPaper, call->settings, call->printerSettings, paper);
        const uint32_t result = PassOn(call, message, wParam, lParam, item, parameters);
        LoadShownMargins(call);
        RefreshMargins(call);
        return result;
    }
    const uint32_t before = Number(call, kFidMarginPaper, 0);
    const uint32_t result = PassOn(call, message, wParam, lParam, item, parameters);
    if (message == WM_COMMAND && Number(call, kFidMarginPaper, 0) != before) {
        LoadShownMargins(call);
        RefreshMargins(call);
    }
    return result;
}

// The check box is the dialog's own: on means custom margins (387 = 1); the
// item's slot lets Defaults restore the model's choice.
uint32_t OnMarginCustomCheck(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                             const void*)
{
    HWND window = GetCallWindow(call);
    if (!call->settings)
        return 0;
    if (IsShow(message, lParam)) {
        CheckDlgButton(window, item->controlId, Number(call, kFidCustomMargins, 0) == 1 ? BST_CHECKED : BST_UNCHECKED);
    } else if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        const uint32_t on = IsDlgButtonChecked(window, item->controlId) == BST_CHECKED ? 1 : 0;
        if (on != Number(call, kFidCustomMargins, 0)) {
            WriteSettingNumber(kFidCustomMargins, call->settings, call->printerSettings, on);
            LoadShownMargins(call);
            RefreshMargins(call);
        }
    }
    return 0;
}

uint32_t OnMarginUnitButtons(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                             const void* parameters)
{
    const uint32_t result = OnUnitRadioItem(call, message, wParam, lParam, item, parameters);
    if (message == WM_COMMAND || message == kEventRefresh)
        SetMarginUnitLabels(call);
    return result;
}

uint32_t OnMarginDefaultsButton(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam,
                                const ItemRecord* item, const void* parameters)
{
    const uint32_t result = PassOn(call, message, wParam, lParam, item, parameters);
    MarginDialogState* state = StateOf(GetCallWindow(call));
    if (message == WM_COMMAND && state) {
        state->reset = 1;
        for (MarginEntry& entry : state->edited)
            std::copy(std::begin(state->defaults), std::end(state->defaults), entry.margins);
        LoadShownMargins(call);
        RefreshWholeDialog(call);
    }
    return result;
}

// PSNRET_NOERROR when stored (or nothing to store); a refusal keeps the
// dialog open with what the user typed.
INT_PTR OnMarginDialogApply(CallContext* call, MarginDialogState* state)
{
    const UiContext* ui = GetWindowUiContext(GetCallWindow(call));
    if (!ui || !state)
        return PSNRET_NOERROR;
    const bool perUser = MarginsStoredPerUser(call);
    if (state->reset && ResetPaperMarginStore(ui->printer, state->user, perUser, state->machine) != kMarginOk)
        return PSNRET_INVALID_NOCHANGEPAGE;
    if (Number(call, kFidCustomMargins, 0) != 1)
        return PSNRET_NOERROR;
    if (perUser) {
        for (const MarginEntry& entry : state->edited)
            if (WriteCustomPaperMargins(ui->printer, state->user, static_cast<uint16_t>(entry.paper), entry.margins,
                                        state->machine, state->orientation) != kMarginOk)
                return PSNRET_INVALID_NOCHANGEPAGE;
    } else {
        PaperMarginList* list = LoadPaperMarginList(ui->printer);
        bool stored = list != nullptr;
        for (const MarginEntry& entry : state->edited)
            stored = stored && AddPaperMargins(list, static_cast<uint16_t>(entry.paper), entry.margins,
                                               state->orientation) == kMarginOk;
        stored = stored && SavePaperMarginList(ui->printer, list) == kMarginOk;
        if (list)
            FreePaperMarginList(list);
        if (!stored)
            return PSNRET_INVALID_NOCHANGEPAGE;
    }
    WriteSettingNumber(kFidUserPaperMarginsFromUser, call->settings, call->printerSettings, perUser ? 1 : 0);
    return PSNRET_NOERROR;
}

uint32_t OnMarginDialogItem(CallContext* call, UINT message, WPARAM, LPARAM lParam, const ItemRecord*, const void*)
{
    HWND window = GetCallWindow(call);
    const UINT code = NotifyCode(message, lParam);
    if (message == WM_INITDIALOG) {
        InitMarginDialog(call);
    } else if (code == static_cast<UINT>(PSN_APPLY)) {
        const INT_PTR result = OnMarginDialogApply(call, StateOf(window));
        if (result != PSNRET_NOERROR)
            return static_cast<uint32_t>(result);
        FreeState(window);
    } else if (code == static_cast<UINT>(PSN_RESET) || message == WM_DESTROY) {
        FreeState(window);
    }
    return 0;
}

// --- Tables ------------------------------------------------------------------------

constexpr uint16_t kBoth = kEvaluateOnActivate | kEvaluateAfterChange;
constexpr ItemSlot kCustomSlots[] = {{kFidCustomMargins, kBoth}};
constexpr ItemSlot kPaperSlots[] = {{kFidMarginPaper, kBoth}};
constexpr ItemSlot kLeftSlots[] = {{1825, 0}};
constexpr ItemSlot kRightSlots[] = {{1826, 0}};
constexpr ItemSlot kTopSlots[] = {{1827, 0}};
constexpr ItemSlot kBottomSlots[] = {{1828, 0}};

constexpr NumberFormat kMarginFormat = {1, 0};
// Numeric, fixed point and in the unit the dialog shows (0x461). Checked when
// the dialog is confirmed: a check at each focus change meets the focus its
// own message box takes and tells the same refusal twice.
constexpr EditFieldParams kMarginEdit = {kEditNumeric | 0x20 | kEditFixedPoint | kEditLength, 4, nullptr,
                                         &kMarginFormat, kCheckAtKillActive | kCheckAtValidate, ValidateMarginField};
static_assert((kEditNumeric | 0x20 | kEditFixedPoint | kEditLength) == 0x461);
constexpr UpDownParams kUpDown = {0};
constexpr ValueTextParams kRangeText = {kValueTextStateOnly, 0};
constexpr ListItemParams kPaperList = {kRowsOfOptions, 0, 0, 0, nullptr, nullptr, nullptr};
constexpr uint16_t kUnitControls[] = {kMarginMillimetreButton, kMarginInchButton, kMarginInchButton};
constexpr UnitRadioParams kUnits = {3, kUnitControls};
constexpr ButtonParams kDefaultsButton = {kActionDefaults, nullptr};

#define MARGIN_ROW(edit, updown, range, slots)                                                                        \
    {edit, 1, slots, kKindEdit, OnMarginEditItem, &kMarginEdit, kNoControl, kNoControl, nullptr},                   \
        {updown, 1, slots, kKindUpDown, OnMarginUpDownItem, &kUpDown, kNoControl, kNoControl, nullptr},             \
        {range, 1, slots, kKindValueText, OnRangeLabelItem, &kRangeText, kNoControl, kNoControl, nullptr}

const ItemRecord kMarginRecords[] = {
    {kPageItemId, -1, nullptr, kKindNone, OnMarginDialogItem, nullptr, kNoControl, kNoControl, nullptr},
    {kMarginCustomCheck, 1, kCustomSlots, kKindNone, OnMarginCustomCheck, nullptr, kNoControl, kNoControl, nullptr},
    {kMarginPaperList, 1, kPaperSlots, kKindListBox, OnMarginPaperList, &kPaperList, kMarginPaperLabel, kNoControl,
     nullptr},
    {kMarginMillimetreButton, -1, nullptr, kKindNone, OnMarginUnitButtons, &kUnits, kNoControl, kNoControl, nullptr},
    {kMarginInchButton, -1, nullptr, kKindNone, OnMarginUnitButtons, &kUnits, kNoControl, kNoControl, nullptr},
    MARGIN_ROW(kMarginLeftEdit, kMarginLeftUpDown, kMarginLeftRange, kLeftSlots),
    MARGIN_ROW(kMarginRightEdit, kMarginRightUpDown, kMarginRightRange, kRightSlots),
    MARGIN_ROW(kMarginTopEdit, kMarginTopUpDown, kMarginTopRange, kTopSlots),
    MARGIN_ROW(kMarginBottomEdit, kMarginBottomUpDown, kMarginBottomRange, kBottomSlots),
    {kMarginLeftIcon, -1, nullptr, kKindNone, OnMarginIconItem, nullptr, kNoControl, kNoControl, nullptr},
    {kMarginTopIcon, -1, nullptr, kKindNone, OnMarginIconItem, nullptr, kNoControl, kNoControl, nullptr},
    {kMarginRightIcon, -1, nullptr, kKindNone, OnMarginIconItem, nullptr, kNoControl, kNoControl, nullptr},
    {kMarginBottomIcon, -1, nullptr, kKindNone, OnMarginIconItem, nullptr, kNoControl, kNoControl, nullptr},
    {kMarginDefaultsButton, 0, nullptr, kKindPushButton, OnMarginDefaultsButton, &kDefaultsButton, kNoControl,
     kNoControl, nullptr},
};
#undef MARGIN_ROW

constexpr HelpMapEntry kMarginHelp[] = {
    {kMarginCustomCheck, 13870}, {kMarginPaperList, 18240}, {kMarginLeftEdit, 18250},  {kMarginRightEdit, 18260},
    {kMarginTopEdit, 18270},     {kMarginBottomEdit, 18280}, {kMarginOkButton, 1520}, {kMarginCancelButton, 1530},
    {kMarginDefaultsButton, 1540}, {kMarginHelpButton, 7777}, {0, 0}};
constexpr int32_t kNoLockedControls[] = {kNoControl};
const ItemTableHeader kMarginTable = {kMarginRecords, static_cast<uint32_t>(std::size(kMarginRecords)),
                                      kPageHelpTopic, kMarginHelp, kNoLockedControls, 0};

}  // namespace

const PageDescriptor PaperMarginDialog = {kPaperMarginCode, &kMarginTable, nullptr};

INT_PTR CALLBACK PaperMarginDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    SlotHandler handler = nullptr;
    int32_t slot = -1;
    if (!FindMessageHandler(message, wParam, lParam, kDialogTypeSubPage, &handler, &slot))
        return FALSE;
    const INT_PTR result =
        CallMessageHandler(window, message, wParam, lParam, kPaperMarginCode, kDialogTypeSubPage, handler);
    if (message == WM_INITDIALOG) {
        // No sheet activates a sub-page dialog: once its items are set up it
        // shows the margins of the shown paper as a page would.
        PSHNOTIFY active{};
        active.hdr.hwndFrom = GetParent(window);
        active.hdr.code = static_cast<UINT>(PSN_SETACTIVE);
        PaperMarginDialogProc(window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&active));
    }
    return result;
}

UINT GetMarginIconId(int controlId, uint32_t orientation)
{
    struct Row {
        int control;
        UINT portrait;
        UINT landscape;
    };
    constexpr Row kIcons[] = {{kMarginLeftIcon, 876, 900},
                              {kMarginTopIcon, 882, 881},
                              {kMarginRightIcon, 884, 883},
                              {kMarginBottomIcon, 880, 879}};
    for (const Row& row : kIcons)
        if (row.control == controlId)
            return orientation == kOrientationPortrait ? row.portrait
                                                        : orientation == kOrientationLandscape ? row.landscape : 0;
    return 0;
}

bool MarginsStoredPerUser(CallContext* call)
{
    HWND window = GetCallWindow(call);
    const UiContext* ui = GetWindowUiContext(window);
    if (!ui)
        return false;
    // The window the dialog was opened over stands where a page stands in its sheet.
    const DialogContext* context = GetDialogContext(window);
    HWND owner = context && context->owner ? context->owner : GetParent(window);
    return DetectPrintingPreferencesHost(owner, ui->printerName, ui->sheetMode) >= kHostOwnTitle;
}
