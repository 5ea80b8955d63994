// Kinds 5, 7, 10, 11, 13 and 15: option buttons, the two-state check box, the
// value and option detail texts, the palette picture and the control shown by
// its setting's state alone.
#include "common/constraints/constraint_engine.h"
#include "common/constraints/constraint_result.h"
#include "common/context/option_list.h"
#include "common/system/module_files.h"
#include "ui/controls/display_states.h"
#include "ui/controls/kind_handlers.h"
#include "ui/engine/item_changes.h"

#include <cwchar>

namespace {

constexpr int kValueTextChars = 256;
constexpr int kPictureDataList = 2;
constexpr uint16_t kTextListKind = 6;

// Applies option `index` of the item's selected setting.
int ApplyOptionValue(CallContext* call, const ItemRecord* item, int32_t index)
{
    HWND window = GetCallWindow(call);
    const ValueEntry* entry = GetSelectedValueEntry(window, item);
    const OptionList* list = GetSelectedOptionList(window, item);
    if (!entry || !list || !list->rows || index < 0 || index >= list->count)
        return -1;
    uint64_t value = list->rows[index].value;
    uint16_t* changed = nullptr;
    const int result = ApplyItemValueChange(call, item, entry, entry->type, &value, &changed);
    if (result == kChangeApplied)
        RecordPendingRefresh(call, item, changed);
    else
        FreeGlobalIfSet(changed);
    return result;
}

uint16_t CheckCurrentState(CallContext* call, uint16_t setting, const void* value, uint16_t type)
{
    const UiContext* ui = GetWindowUiContext(GetCallWindow(call));
    ConstraintResult* result = AllocConstraintResult();
    if (!ui || !result) {
        FreeConstraintResult(result);
        return 0;
    }
    uint16_t code = 0;
    if (CheckSettingConstraints(kModeInteractive, ui->printer, call->settingsContext, call->settings,
                                call->printerSettings, nullptr, setting, type, value, result, nullptr, 0) == 0)
        code = result->code;
    FreeConstraintResult(result);
    return code;
}

// The state of option `index` after its constraint check, kept in its record.
uint16_t CheckOptionState(CallContext* call, uint16_t setting, const OptionList* list, int32_t index)
{
    HWND window = GetCallWindow(call);
    ConstraintResult* record = GetSettingUiOptionRecord(window, setting, index);
    const UiContext* ui = GetWindowUiContext(window);
    if (!record || !ui || !list || !list->rows || index >= list->count)
        return 0;
    CheckSettingConstraints(kModeInteractive, ui->printer, call->settingsContext, call->settings,
                            call->printerSettings, nullptr, setting, list->valueType, &list->rows[index].value, record,
                            nullptr, 0);
    return record->code;
}

int32_t ButtonIndex(const OptionButtonParams* params, int32_t controlId)
{
    for (int32_t j = 0; params && params->controls && j < params->count; ++j)
        if (params->controls[j] == controlId)
            return j;
    return -1;
}

}  // namespace

// --- Option buttons -------------------------------------------------------------------

int ShowOptionButtons(CallContext* call, const ItemRecord* item, const OptionButtonParams* params)
{
    HWND window = GetCallWindow(call);
    const ValueEntry* entry = GetSelectedValueEntry(window, item);
    if (!params || !params->controls || !entry)
        return 0;
    const int32_t current = GetSelectedSlotValue(window, item);
    const OptionList* list = GetSelectedOptionList(window, item);
    uint16_t display = 0;
    GetSettingUiState(window, entry->setting, &display, nullptr);
    for (int32_t j = 0; j < params->count; ++j) {
        HWND button = GetDlgItem(window, params->controls[j]);
        if (!button)
            continue;
        SendMessageW(button, BM_SETCHECK, j == current ? BST_CHECKED : BST_UNCHECKED, 0);
        const uint16_t option = CheckOptionState(call, entry->setting, list, j);
        ApplyControlState(button,
                          ConstraintCodePriority(option) > ConstraintCodePriority(display) ? option : display);
    }
    return 1;
}

uint32_t OnOptionButtonsItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                             const void* parameters)
{
    const auto* params = static_cast<const OptionButtonParams*>(parameters);
    if (!call || !item || !params)
        return 0;
    if (IsShowMessage(message, lParam)) {
        ShowOptionButtons(call, item, params);
        return 0;
    }
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED)
        return 0;
    const int32_t j = ButtonIndex(params, LOWORD(wParam));
    HWND window = GetCallWindow(call);
    if (j < 0 || IsDlgButtonChecked(window, LOWORD(wParam)) != BST_CHECKED)
        return 0;
    if (ApplyOptionValue(call, item, j) == kChangeNotApplied)
        ShowOptionButtons(call, item, params);
    return 0;
}

// --- Two-state check box ------------------------------------------------------------

uint32_t OnTwoStateCheckBoxItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                                const void*)
{
    HWND window = GetCallWindow(call);
    if (!window || !item)
        return 0;
    if (IsShowMessage(message, lParam)) {
        // Option 0 is the checked state; an index other than 0 or 1 shows unchecked.
        CheckDlgButton(window, item->controlId, GetSelectedSlotValue(window, item) == 0 ? BST_CHECKED : BST_UNCHECKED);
        UpdateItemControlState(window, item, nullptr);
        return 0;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        const int32_t option = IsDlgButtonChecked(window, item->controlId) == BST_CHECKED ? 0 : 1;
        if (ApplyOptionValue(call, item, option) == kChangeNotApplied)
            CheckDlgButton(window, item->controlId,
                           GetSelectedSlotValue(window, item) == 0 ? BST_CHECKED : BST_UNCHECKED);
    }
    return 0;
}

// --- Texts ----------------------------------------------------------------------------------

uint32_t OnValueTextItem(CallContext* call, UINT message, WPARAM, LPARAM lParam, const ItemRecord* item,
                         const void* parameters)
{
    HWND window = GetCallWindow(call);
    const auto* params = static_cast<const ValueTextParams*>(parameters);
    if (!window || !item || !IsShowMessage(message, lParam))
        return 0;
    const uint32_t mode = params ? params->mode : kValueTextOption;
    if (mode == kValueTextOption) {
        const OptionList* list = GetSelectedOptionList(window, item);
        const int32_t current = GetSelectedSlotValue(window, item);
        if (list && list->rows && current >= 0 && current < list->count && list->rows[current].text)
            SetDlgItemTextW(window, item->controlId, list->rows[current].text);
    } else if (mode == kValueTextString) {
        wchar_t text[kValueTextChars] = {};
        if (LoadStringW(GetResourceModule(), params->stringId, text, kValueTextChars) > 0)
            SetDlgItemTextW(window, item->controlId, text);
    }
    UpdateItemControlState(window, item, nullptr);
    return 0;
}

uint32_t OnOptionDetailItem(CallContext* call, UINT message, WPARAM, LPARAM lParam, const ItemRecord* item,
                            const void* parameters)
{
    HWND window = GetCallWindow(call);
    if (!window || !item || !IsShowMessage(message, lParam))
        return 0;
    const auto* params = static_cast<const OptionDetailParams*>(parameters);
    if (params && params->followedControl != kNoControl)
        SyncSlotSelection(window, item, static_cast<int32_t>(GetCallDialogCode(call)), params->followedControl);
    const OptionList* list = GetSelectedOptionList(window, item);
    int32_t current = GetSelectedSlotValue(window, item);
    if (list && list->listKind == kTextListKind)
        current = 0;
    const wchar_t* detail = L"";
    if (list && list->rows && current >= 0 && current < list->count && list->rows[current].text)
        if (const wchar_t* cut = wcsrchr(list->rows[current].text, L'\r'))
            detail = cut[1] == L'\n' ? cut + 2 : cut + 1;
    SetDlgItemTextW(window, item->controlId, detail);
    UpdateItemControlState(window, item, nullptr);
    return 0;
}

// --- Palette picture ------------------------------------------------------------------------

namespace {

LRESULT CALLBACK PalettePictureProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND parent = GetParent(control);
    const int id = GetDlgCtrlID(control);
    auto saved = reinterpret_cast<WNDPROC>(
        FindDialogData(kPictureDataList, parent, static_cast<uint64_t>(id), reinterpret_cast<uint64_t>(parent)));
    if (message == WM_SHOWWINDOW) {
        DefWindowProcW(control, message, wParam, lParam);
        return 0;
    }
    if (message == WM_PAINT) {
        // The icon of the current option (or of option 0) before the static paints.
        int32_t code = -1;
        SendMessageW(parent, kEngineQueryCode, 0, reinterpret_cast<LPARAM>(&code));
        const ItemRecord* item = code >= 0 ? FindItemRecord(parent, code, id) : nullptr;
        const OptionList* list = item ? GetSelectedOptionList(parent, item) : nullptr;
        int32_t current = item ? GetSelectedSlotValue(parent, item) : -1;
        if (list && list->rows && list->count > 0) {
            if (current < 0 || current >= list->count)
                current = 0;
            if (list->rows[current].icon &&
                reinterpret_cast<HICON>(SendMessageW(control, STM_GETICON, 0, 0)) != list->rows[current].icon)
                SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(list->rows[current].icon), 0);
        }
    }
    return saved ? CallWindowProcW(saved, control, message, wParam, lParam)
                 : DefWindowProcW(control, message, wParam, lParam);
}

void RestorePictureProcedure(HWND window, int32_t id)
{
    auto saved = reinterpret_cast<WNDPROC>(
        FindDialogData(kPictureDataList, window, static_cast<uint64_t>(id), reinterpret_cast<uint64_t>(window)));
    HWND control = GetDlgItem(window, id);
    if (!saved || !control)
        return;
    SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(saved));
    RemoveDialogData(kPictureDataList, window, static_cast<uint64_t>(id), reinterpret_cast<uint64_t>(window));
}

}  // namespace

uint32_t OnPalettePictureItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                              const void* parameters)
{
    HWND window = GetCallWindow(call);
    const auto* params = static_cast<const PalettePictureParams*>(parameters);
    if (!window || !item)
        return 0;
    HWND control = GetDlgItem(window, item->controlId);
    const UINT code = SheetNotification(message, lParam);
    if (message == kEngineItemFirst) {
        if (lParam)
            *reinterpret_cast<const void**>(lParam) = parameters;
        return 0;
    }
    if (code == PSN_SETACTIVE && control && params && params->subclass &&
        !FindDialogData(kPictureDataList, window, static_cast<uint64_t>(item->controlId),
                        reinterpret_cast<uint64_t>(window))) {
        RECT frame{0, 0, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)};
        AdjustWindowRectEx(&frame, GetWindowLongW(control, GWL_STYLE), FALSE, GetWindowLongW(control, GWL_EXSTYLE));
        SetWindowPos(control, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        const LONG_PTR saved =
            SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PalettePictureProcedure));
        if (AddDialogData(kPictureDataList, window, static_cast<uint64_t>(item->controlId),
                          reinterpret_cast<uint64_t>(window), reinterpret_cast<void*>(saved)) != 0)
            SetWindowLongPtrW(control, GWLP_WNDPROC, saved);
    } else if (code == PSN_KILLACTIVE || code == PSN_APPLY) {
        RestorePictureProcedure(window, item->controlId);
    }
    const bool show = IsShowMessage(message, lParam);
    if (show && params && (params->flags[1] & 1) && !(params->flags[3] & 1))
        UpdateItemControlState(window, item, nullptr);
    if (show || message == WM_QUERYNEWPALETTE ||
        (message == WM_PALETTECHANGED && reinterpret_cast<HWND>(wParam) != control)) {
        if (control)
            InvalidateRect(control, nullptr, TRUE);
    }
    (void)wParam;
    return 0;
}

// --- State only -------------------------------------------------------------------------------

uint32_t OnStateOnlyItem(CallContext* call, UINT message, WPARAM, LPARAM lParam, const ItemRecord* item, const void*)
{
    HWND window = GetCallWindow(call);
    if (!window || !item || !IsShowMessage(message, lParam))
        return 0;
    const uint16_t setting = GetSelectedSettingId(window, item);
    if (!setting)
        return 0;
    uint16_t state = CheckCurrentState(call, setting, nullptr, 0);
    if (state != kStateHidden && state != 0 && !GetCallPermission(call))
        state = kStateDisabled;
    ApplyControlState(GetDlgItem(window, item->controlId), state);
    return 0;
}
