#include "ui/pages/size_dialogs.h"

#include "common/constraints/constraint_engine.h"
#include "common/context/value_by_type.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/system_utilities.h"
#include "ui/controls/control_kinds.h"
#include "ui/controls/display_states.h"
#include "ui/controls/engine_steps.h"
#include "ui/controls/item_callbacks.h"
#include "ui/controls/kind_handlers.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/item_changes.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/ui_context.h"
#include "ui/engine/user_paper_margins.h"
#include "ui/support/sub_dialog.h"
#include "ui/pages/size_rules.h"
#include "ui/illustration/picture_control.h"
#include "ui/pages/size_dialog_ids.h"
#include "ui/support/resource_messages.h"

#include <memory>

namespace {

constexpr uint16_t kFidFreeLength = 470;
constexpr uint16_t kFidLengthCount = 472;
constexpr uint16_t kFidLengthMode = 473;
// The model's size rules of the free custom size; field 0 the width, 1 the length.
constexpr uint16_t kFreeSizeRules = 256;

// One refusal at a time: the refusal box moves the focus, and the edit's
// kill-focus would otherwise check the same value again under it.
bool g_refusalShown = false;

void ShowSizeMessage(HWND window, UINT text)
{
    g_refusalShown = true;
    ShowResourceMessageBox(window, kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION, static_cast<int>(text),
                           nullptr);
    g_refusalShown = false;
}

HANDLE PrinterOf(const CallContext* call)
{
    const UiContext* ui = GetWindowUiContext(GetCallWindow(call));
    return ui ? ui->printer : nullptr;
}

// --- Size pair ------------------------------------------------------------------

uint32_t OnSizePairOk(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                      const void* parameters)
{
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED)
        return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
    HWND window = GetCallWindow(call);
    const SubDialogSteps steps = MakeSubDialogSteps(call);
    if (!steps.runItemEvent || !steps.runItemEvent(window, kEventValidate, steps.engine))
        return 0;
    if (!CheckSizePairOrder(call) || CheckPaperSizeRules(call) != 0)
        return 0;
    return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
}

constexpr NumberFormat kLengthFormat = {1, 0};
// Checked when the dialog is confirmed, not at each focus change: a refusal
// box while the dialog is being cancelled would only be in the way.
constexpr EditFieldParams kSizeEdit = {kEditNumeric | kEditFixedPoint | kEditLength, 5, nullptr, &kLengthFormat,
                                       kCheckAtKillActive | kCheckAtValidate,
                                       ValidateSizePairField};
constexpr EditFieldParams kLengthEdit = {kEditNumeric | kEditFixedPoint | kEditLength, 4, nullptr, &kLengthFormat,
                                         kCheckAtKillFocus | kCheckAtKillActive | kCheckAtValidate, nullptr};
constexpr NumberFormat kCountFormat = {0, 0};
constexpr EditFieldParams kCountEdit = {kEditNumeric, 3, nullptr, &kCountFormat,
                                        kCheckAtKillFocus | kCheckAtKillActive | kCheckAtValidate, nullptr};
constexpr UpDownParams kUpDown = {0};
constexpr ValueTextParams kRangeText = {kValueTextStateOnly, 0};
constexpr uint16_t kSizeUnitControls[] = {kSizeMillimetreButton, kSizeInchButton, kSizeInchButton};
constexpr UnitRadioParams kSizeUnits = {3, kSizeUnitControls};
constexpr uint16_t kLengthUnitControls[] = {kLengthMillimetreButton, kLengthInchButton, kLengthInchButton};
constexpr UnitRadioParams kLengthUnits = {3, kLengthUnitControls};
constexpr PictureParameters kCountPicture = {nullptr, 612, nullptr, 0, 0, 0, 0};
constexpr PictureParameters kModePicture = {nullptr, 613, nullptr, 0, 0, 0, 0};
constexpr ButtonParams kOkButton = {kActionOk, nullptr};
constexpr ListItemParams kModeList = {kRowsOfOptions, 0, 0, 0, nullptr, nullptr, nullptr};

constexpr ItemSlot kWidthSlots[] = {{kFidCustomPaperWidth, 0}};
constexpr ItemSlot kLengthSlots[] = {{kFidCustomPaperLength, 0}};
constexpr ItemSlot kFreeLengthSlots[] = {{kFidFreeLength, 0}};
constexpr ItemSlot kCountSlots[] = {{kFidLengthCount, 0}};
constexpr ItemSlot kModeSlots[] = {{kFidLengthMode, kEvaluateOnActivate | kEvaluateAfterChange}};

const ItemRecord kSizePairRecords[] = {
    {kSizeWidthEdit, 1, kWidthSlots, kKindEdit, nullptr, &kSizeEdit, kNoControl, kNoControl, nullptr},
    {kSizeWidthUpDown, 1, kWidthSlots, kKindUpDown, nullptr, &kUpDown, kNoControl, kNoControl, nullptr},
    {kSizeWidthRange, 1, kWidthSlots, kKindValueText, OnRangeLabelItem, &kRangeText, kNoControl, kNoControl, nullptr},
    {kSizeWidthUnit, 1, kWidthSlots, kKindValueText, OnUnitLabelItem, &kRangeText, kNoControl, kNoControl, nullptr},
    {kSizeLengthEdit, 1, kLengthSlots, kKindEdit, nullptr, &kSizeEdit, kNoControl, kNoControl, nullptr},
    {kSizeLengthUpDown, 1, kLengthSlots, kKindUpDown, nullptr, &kUpDown, kNoControl, kNoControl, nullptr},
    {kSizeLengthRange, 1, kLengthSlots, kKindValueText, OnRangeLabelItem, &kRangeText, kNoControl, kNoControl,
     nullptr},
    {kSizeLengthUnit, 1, kLengthSlots, kKindValueText, OnUnitLabelItem, &kRangeText, kNoControl, kNoControl,
     nullptr},
    {kSizeMillimetreButton, -1, nullptr, kKindNone, OnUnitRadioItem, &kSizeUnits, kNoControl, kNoControl,
     nullptr},
    {kSizeInchButton, -1, nullptr, kKindNone, OnUnitRadioItem, &kSizeUnits, kNoControl, kNoControl,
     nullptr},
    {kPagesOkButton, 0, nullptr, kKindPushButton, OnSizePairOk, &kOkButton, kNoControl, kNoControl, nullptr},
};

// --- Length setting ---------------------------------------------------------------

// The controls that follow the free length: shown disabled unless the mode is 3.
constexpr int32_t kFreeLengthControls[] = {kLengthFreeEdit,         kLengthFreeUpDown, kLengthFreeRange,
                                           kLengthFreeUnit,         kLengthUnitGroup,  kLengthMillimetreButton,
                                           kLengthInchButton};

bool NamesSetting(const uint16_t* list, uint16_t setting)
{
    for (; list && *list; ++list)
        if (*list == setting)
            return true;
    return false;
}

uint32_t OnLengthModeListItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                              const void* parameters)
{
    HWND window = GetCallWindow(call);
    const bool show = IsShowMessage(message, lParam) && message != kEventRefresh;
    const bool changed =
        message == kEventRefresh && NamesSetting(reinterpret_cast<const uint16_t*>(lParam), kFidLengthMode);
    uint32_t mode = 0;
    if (window && (show || changed) && GetCallPermission(call) &&
        ReadSettingNumber(kFidLengthMode, call->settings, call->printerSettings, &mode)) {
        if (mode == kLengthModeInch || mode == kLengthModeMillimetre)
            SetMeasureUnitChoice(GetWindowUiContext(window), mode == kLengthModeInch ? 1 : 0);
        const uint16_t state = mode == kLengthModeFree ? kStateEnabled : kStateDisabled;
        SetSettingUiState(window, kFidFreeLength, state);
        for (int32_t id : kFreeLengthControls)
            ApplyControlState(GetDlgItem(window, id), state);
    }
    ItemEventHandler next = GetKindDefaultHandler(call);
    return next ? next(call, message, wParam, lParam, item, parameters) : 0;
}

const ItemRecord kLengthRecords[] = {
    {kLengthCountEdit, 1, kCountSlots, kKindEdit, nullptr, &kCountEdit, kNoControl, kNoControl, nullptr},
    {kLengthCountUpDown, 1, kCountSlots, kKindUpDown, nullptr, &kUpDown, kNoControl, kNoControl, nullptr},
    {kLengthCountPicture, -1, nullptr, kKindBitmapPicture, nullptr, &kCountPicture, kNoControl, kNoControl, nullptr},
    {kLengthModeList, 1, kModeSlots, kKindComboBox, OnLengthModeListItem, &kModeList, kLengthModeLabel, kNoControl,
     nullptr},
    {kLengthModePicture, -1, nullptr, kKindBitmapPicture, nullptr, &kModePicture, kNoControl, kNoControl, nullptr},
    {kLengthFreeEdit, 1, kFreeLengthSlots, kKindEdit, nullptr, &kLengthEdit, kNoControl, kNoControl, nullptr},
    {kLengthFreeUpDown, 1, kFreeLengthSlots, kKindUpDown, nullptr, &kUpDown, kNoControl, kNoControl, nullptr},
    {kLengthFreeRange, 1, kFreeLengthSlots, kKindValueText, OnRangeLabelItem, &kRangeText, kNoControl, kNoControl,
     nullptr},
    {kLengthFreeUnit, 1, kFreeLengthSlots, kKindValueText, OnUnitLabelItem, &kRangeText, kNoControl, kNoControl,
     nullptr},
    {kLengthMillimetreButton, -1, nullptr, kKindNone, OnUnitRadioItem, &kLengthUnits, kNoControl,
     kNoControl, nullptr},
    {kLengthInchButton, -1, nullptr, kKindNone, OnUnitRadioItem, &kLengthUnits, kNoControl, kNoControl,
     nullptr},
};

constexpr HelpMapEntry kSizePairHelp[] = {
    {kSizeWidthRange, 4300},  {kSizeWidthEdit, 4300},   {kSizeWidthUpDown, 4300},      {kSizeWidthUnit, 4300},
    {kSizeLengthRange, 4310}, {kSizeLengthEdit, 4310},  {kSizeLengthUpDown, 4310},     {kSizeLengthUnit, 4310},
    {kSizeUnitGroup, 42100},  {kSizeMillimetreButton, 42110}, {kSizeInchButton, 42120}, {kSizeSample1, 4320},
    {kSizeSample2, 4320},     {kSizeSample3, 4320},     {kPagesDefaultsButton, 1540},  {kPagesOkButton, 1520},
    {kPagesCancelButton, 1530}, {kPagesHelpButton, 7777}, {0, 0}};
constexpr HelpMapEntry kLengthHelp[] = {
    {kLengthCountPicture, 99560}, {kLengthCountLabel, 99560}, {kLengthCountEdit, 99560},
    {kLengthCountUpDown, 99560},  {kLengthModePicture, 99570}, {kLengthModeLabel, 99570},
    {kLengthModeList, 99570},     {kLengthFreeRange, 99510},  {kLengthFreeEdit, 99510},
    {kLengthFreeUpDown, 99510},   {kLengthFreeUnit, 99510},   {kLengthUnitGroup, 99520},
    {kLengthMillimetreButton, 99530}, {kLengthInchButton, 99540}, {kLengthNote, 99580},
    {kPagesDefaultsButton, 1540}, {kPagesOkButton, 1520},     {kPagesCancelButton, 1530},
    {kPagesHelpButton, 7777},     {0, 0}};
constexpr int32_t kNoLockedControls[] = {kNoControl};

template <size_t N>
constexpr ItemTableHeader Table(const ItemRecord (&records)[N], const HelpMapEntry* help)
{
    return {records, static_cast<uint32_t>(N), kPageHelpTopic, help, kNoLockedControls, 0};
}

const ItemTableHeader kSizePairTable = Table(kSizePairRecords, kSizePairHelp);
const ItemTableHeader kLengthTable = Table(kLengthRecords, kLengthHelp);

INT_PTR RunModal(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode)
{
    SlotHandler handler = nullptr;
    int32_t slot = -1;
    if (!FindMessageHandler(message, wParam, lParam, kDialogTypeModal, &handler, &slot))
        return FALSE;
    return CallMessageHandler(window, message, wParam, lParam, dialogCode, kDialogTypeModal, handler);
}

}  // namespace

const PageDescriptor SizePairDialog = {kSizePairCode, &kSizePairTable, nullptr};
const PageDescriptor LengthSettingDialog = {kLengthSettingCode, &kLengthTable, nullptr};

INT_PTR CALLBACK PaperSizeDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunModal(window, message, wParam, lParam, kSizePairCode);
}

INT_PTR CALLBACK Kind13SubDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunModal(window, message, wParam, lParam, kLengthSettingCode);
}

int SnapInchValue(int32_t* value, int32_t minimum, int32_t maximum, int32_t stored, int32_t typedInch)
{
    if (!value)
        return 0;
    const int32_t lowInch = TenthMmToHundredthInch(minimum);
    const int32_t highInch = TenthMmToHundredthInch(maximum);
    if (typedInch < lowInch || typedInch > highInch)
        return 0;
    if (minimum == maximum) {
        // A fixed size: only the value it shows as is accepted.
        *value = minimum;
        return typedInch == lowInch ? 1 : 0;
    }
    if (TenthMmToHundredthInch(stored) == typedInch && stored >= minimum && stored <= maximum) {
        *value = stored;
        return 1;
    }
    const int32_t converted = HundredthInchToTenthMm(typedInch);
    *value = converted < minimum ? minimum : converted > maximum ? maximum : converted;
    return 1;
}

uint32_t ValidateSizePairField(CallContext* call, UINT, const ItemRecord* item, const EditFieldParams* params,
                               uint32_t check, const void* value)
{
    if (g_refusalShown)
        return 2;
    HWND window = GetCallWindow(call);
    if (!window || !item || !params || !value)
        return static_cast<uint32_t>(-1);
    auto* stored = static_cast<uint64_t*>(const_cast<void*>(value));
    int32_t newValue = static_cast<int32_t>(*stored & 0xFFFF);
    if (IsInchDisplay(call)) {
        int64_t typed = 0;
        wchar_t* text = nullptr;
        const int read = ReadEditItemValue(call, item, &typed, &text, params, static_cast<int>(check));
        FreeGlobalIfSet(text);
        if (read == kEditRefused)
            return 1;
        if (read != kEditRead)
            return static_cast<uint32_t>(-1);
        int32_t minimum = 0, maximum = 0;
        if (!GetItemValueRange(call, item, &minimum, &maximum))
            return static_cast<uint32_t>(-1);
        if (!SnapInchValue(&newValue, minimum, maximum, GetSelectedSlotValue(window, item),
                           static_cast<int32_t>(typed))) {
            ShowSizeMessage(window, kMessageSizeRefused);
            return 2;
        }
        *stored = static_cast<uint16_t>(newValue);
    }
    const ConstraintContext context{call->settingsContext, call->settings, call->printerSettings};
    const int axis = item->controlId == kSizeWidthEdit ? 0 : 1;
    const int verdict = CheckSizeValueAgainstRules(PrinterOf(call), context, nullptr, kFreeSizeRules, axis,
                                                   static_cast<uint32_t>(newValue), 1);
    if (verdict == 1)
        return 1;
    if (verdict == 0)
        return static_cast<uint32_t>(-1);
    ShowSizeMessage(window, kMessageSizeRefused);
    return 2;
}

int CheckSizePairOrder(CallContext* call)
{
    HWND window = GetCallWindow(call);
    uint32_t width = 0, length = 0;
    if (!window || !ReadSettingNumber(kFidCustomPaperWidth, call->settings, call->printerSettings, &width) ||
        !ReadSettingNumber(kFidCustomPaperLength, call->settings, call->printerSettings, &length))
        return 0;
    width &= 0xFFFF;
    length &= 0xFFFF;
    if (width == 0 || length == 0) {
        // Told, not silently kept open: the user sees why OK does nothing.
        ShowSizeMessage(window, kMessageSizeRefused);
        return 0;
    }
    if (width <= length)
        return 1;
    ShowSizeMessage(window, kMessageSizeExchanged);
    if (SetFunctionIdValueArgs(call->settings, call->printerSettings, kFidCustomPaperWidth, kTypeS16, 2,
                               static_cast<int16_t>(length)) != 0 ||
        SetFunctionIdValueArgs(call->settings, call->printerSettings, kFidCustomPaperLength, kTypeS16, 2,
                               static_cast<int16_t>(width)) != 0)
        return 0;
    const uint16_t changed[] = {kFidCustomPaperWidth, kFidCustomPaperLength, 0};
    RefreshDialogFromSettings(call, changed);
    return 0;
}
