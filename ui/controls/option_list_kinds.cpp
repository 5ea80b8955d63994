// Kinds 1 and 2: owner-drawn combo and list boxes whose rows are the options of
// one setting, or one row per setting of the item. Both run one code path; the
// window messages come from a pair table.
#include <windows.h>
#include <commctrl.h>

#include "common/constraints/constraint_engine.h"
#include "common/context/context_utilities.h"
#include "common/context/option_list.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "ui/controls/display_states.h"
#include "ui/controls/kind_handlers.h"
#include "ui/engine/item_changes.h"

#include <cwchar>

namespace {

struct ListMessages {
    UINT selectString, add, insert, remove, setData, getData, getText, getTextLength, getSelection, setSelection,
        reset;
    DWORD sortStyle;
    LRESULT error, errorSpace;
    WORD selectionMade, closed;  // closed: 0 for none
};
constexpr ListMessages kListBoxMessages{LB_SELECTSTRING, LB_ADDSTRING,   LB_INSERTSTRING, LB_DELETESTRING,
                                        LB_SETITEMDATA,  LB_GETITEMDATA, LB_GETTEXT,      LB_GETTEXTLEN,
                                        LB_GETCURSEL,    LB_SETCURSEL,   LB_RESETCONTENT, LBS_SORT,
                                        LB_ERR,          LB_ERRSPACE,    LBN_SELCHANGE,   0};
constexpr ListMessages kComboBoxMessages{CB_SELECTSTRING, CB_ADDSTRING,   CB_INSERTSTRING, CB_DELETESTRING,
                                         CB_SETITEMDATA,  CB_GETITEMDATA, CB_GETLBTEXT,    CB_GETLBTEXTLEN,
                                         CB_GETCURSEL,    CB_SETCURSEL,   CB_RESETCONTENT, CBS_SORT,
                                         CB_ERR,          CB_ERRSPACE,    CBN_SELENDOK,    CBN_CLOSEUP};

constexpr int kRowChars = 512;
constexpr UINT kIconUnavailable = 384;  // option states 3 and 5
constexpr UINT kIconConflict = 859;     // option states 2, 10 to 13
constexpr UINT kIconUnchecked = 252;
constexpr UINT kIconChecked = 253;
constexpr UINT kRowIcons[] = {kIconConflict, kIconUnavailable, kIconUnchecked, kIconChecked};
constexpr int kIconDataList = 2;
constexpr uint16_t kColourSetting = 300;
constexpr uint32_t kColourFromSetting = 8;  // colour index 8 takes its colour from 1855
constexpr uint16_t kCustomColourSetting = 1855;
constexpr uint16_t kTextListKind = 6;
constexpr int32_t kLongComboId = 1018;
constexpr int kLongComboRows = 14;
constexpr int kComboRows = 10;

const ListMessages& MessagesOf(const ItemRecord* item)
{
    return item->kind == 1 ? kComboBoxMessages : kListBoxMessages;
}

bool IsCombo(const ItemRecord* item) { return item->kind == 1; }

// An item without a block lists the options of its setting.
constexpr ListItemParams kPlainOptionRows{kRowsOfOptions, 0, 0, 0, nullptr, nullptr, nullptr};
const ListItemParams* ParamsOf(const void* parameters)
{
    return parameters ? static_cast<const ListItemParams*>(parameters) : &kPlainOptionRows;
}

uint16_t Behaviour(const ListItemParams* params) { return params ? params->behaviour : 0; }

HICON RowIcon(HWND window, UINT id)
{
    return static_cast<HICON>(FindDialogData(kIconDataList, window, id, reinterpret_cast<uint64_t>(window)));
}

void LoadRowIcons(HWND window)
{
    HMODULE module = GetResourceModule();
    for (UINT id : kRowIcons) {
        if (RowIcon(window, id))
            continue;
        HICON icon = module ? static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0))
                            : nullptr;
        if (icon && AddDialogData(kIconDataList, window, id, reinterpret_cast<uint64_t>(window), icon) != 0)
            DestroyIcon(icon);
    }
}

void FreeRowIcons(HWND window)
{
    for (UINT id : kRowIcons)
        if (HICON icon = RowIcon(window, id)) {
            RemoveDialogData(kIconDataList, window, id, reinterpret_cast<uint64_t>(window));
            DestroyIcon(icon);
        }
}

uint16_t DisplayState(HWND window, uint16_t setting)
{
    uint16_t state = 0;
    return GetSettingUiState(window, setting, &state, nullptr) ? state : 0;
}

// The row's item data: an icon for state or check marks, or the swatch colour.
LRESULT RowData(HWND window, const CallContext* call, uint16_t behaviour, uint16_t setting, const OptionRow& row,
                uint16_t optionState)
{
    if (behaviour & kListStateMarks) {
        if (optionState == 3 || optionState == 5)
            return reinterpret_cast<LRESULT>(RowIcon(window, kIconUnavailable));
        if (optionState == 2 || (optionState >= 10 && optionState <= 13))
            return reinterpret_cast<LRESULT>(RowIcon(window, kIconConflict));
        return 0;
    }
    if (behaviour & kListCheckMarks)
        return reinterpret_cast<LRESULT>(RowIcon(window, row.value ? kIconChecked : kIconUnchecked));
    if (behaviour & kListColourSwatch) {
        if (setting != kColourSetting)
            return static_cast<LRESULT>(row.value);
        COLORREF colour = 0;
        if (row.value == kColourFromSetting) {
            uint32_t value = 0;
            uint16_t type = 0;
            uint32_t size = 0;
            uint64_t holder = 0;
            if (call && GetFunctionIdValue(kCustomColourSetting, call->settings, call->printerSettings, &type, &size,
                                           &holder) == 0)
                value = static_cast<uint32_t>(holder);
            return static_cast<LRESULT>(value);
        }
        GetColorForIndex(setting, &colour, static_cast<uint32_t>(row.value));
        return static_cast<LRESULT>(colour);
    }
    return 0;
}

bool AddRow(HWND control, const ListMessages& m, const wchar_t* text, LRESULT data, LRESULT* index)
{
    const LRESULT at = SendMessageW(control, m.add, 0, reinterpret_cast<LPARAM>(text));
    if (at == m.error || at == m.errorSpace)
        return false;
    SendMessageW(control, m.setData, static_cast<WPARAM>(at), data);
    if (index)
        *index = at;
    return true;
}

// Row mode 1: the options of the selected slot's setting. `fill` adds the rows,
// else only the selection is set. 1 done; 0 on a failed read or add.
int FillOptionRows(CallContext* call, const ItemRecord* item, const ListItemParams* params, bool fill)
{
    HWND window = GetCallWindow(call);
    HWND control = GetDlgItem(window, item->controlId);
    const ListMessages& m = MessagesOf(item);
    const ValueEntry* entry = GetSelectedValueEntry(window, item);
    const OptionList* list = GetSelectedOptionList(window, item);
    const int32_t current = GetSelectedSlotValue(window, item);
    if (!control || !entry || !list || !list->rows)
        return 0;
    if (current < 0 && !(Behaviour(params) & kListEditPart))
        return 0;
    const uint16_t setting = entry->setting;
    wchar_t text[kRowChars];
    wchar_t currentText[kRowChars] = {};
    int32_t row = 0;
    int32_t currentRow = -1;
    for (int32_t i = 0; i < list->count; ++i) {
        if (!list->rows[i].text)
            continue;
        uint16_t state = 0;
        if (!GetSettingUiOptionState(window, setting, i, &state) || state == kStateDisabled || state == kStateHidden)
            continue;
        SplitTextAtCarriageReturn(list->rows[i].text, text, kRowChars);
        if (fill && !AddRow(control, m, text, RowData(window, call, Behaviour(params), setting, list->rows[i], state),
                            nullptr))
            return 0;
        if (i == current) {
            currentRow = row;
            wcscpy(currentText, text);
        }
        ++row;
    }
    const uint16_t display = DisplayState(window, setting);
    if (!IsCombo(item) && (display == kStateDisabled || display == kStateHidden))
        SendMessageW(control, m.setSelection, static_cast<WPARAM>(-1), 0);
    else if (currentRow < 0)
        SendMessageW(control, m.setSelection, static_cast<WPARAM>(-1), 0);
    else if (GetWindowLongW(control, GWL_STYLE) & m.sortStyle)
        SendMessageW(control, m.selectString, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(currentText));
    else
        SendMessageW(control, m.setSelection, static_cast<WPARAM>(currentRow), 0);
    return 1;
}

// The label and option text of one slot's row; false when the slot shows no row.
bool SettingRowText(CallContext* call, const ItemRecord* item, const ListItemParams* params, int32_t slot,
                    wchar_t* out, int chars)
{
    HWND window = GetCallWindow(call);
    const ItemSlot* entry = GetItemSlotEntry(item, slot);
    const OptionList* list = GetSlotOptionList(window, item, slot);
    if (!entry || !list)
        return false;
    const uint16_t display = DisplayState(window, entry->setting);
    if (display == kStateDisabled || display == kStateHidden)
        return false;
    const wchar_t* label = (params->rowFlags & kRowLabelIsListName) && list->title ? list->title : L"";
    wchar_t option[kRowChars] = {};
    if (params->rowFlags & kRowTwoColumns) {
        if (display == kStateFixed) {
            LoadStringW(GetResourceModule(), kStringFixedValue, option, kRowChars);
        } else if (list->listKind == kTextListKind) {
            const ValueEntry* value = GetSlotValueEntry(window, item, slot);
            const auto* text = value ? reinterpret_cast<const wchar_t*>(value->value) : nullptr;
            if (text)
                wcsncpy(option, text, kRowChars - 1);
        } else {
            const int32_t current = GetSlotCurrentValue(window, item, slot);
            if (current >= 0 && current < list->count && list->rows[current].text)
                SplitTextAtCarriageReturn(list->rows[current].text, option, kRowChars);
        }
    }
    swprintf(out, chars, (params->rowFlags & kRowTwoColumns) ? L"%ls\t%ls" : L"%ls%ls", label, option);
    return true;
}

// Row mode 2: one row per slot. 1 done; 0 on a failed add.
int FillSettingRows(CallContext* call, const ItemRecord* item, const ListItemParams* params)
{
    HWND window = GetCallWindow(call);
    HWND control = GetDlgItem(window, item->controlId);
    if (!control)
        return 0;
    const ListMessages& m = MessagesOf(item);
    if (!IsCombo(item) && (params->rowFlags & (kRowLabelIsListName | kRowTwoColumns)) ==
                              (kRowLabelIsListName | kRowTwoColumns)) {
        const int stop = params->tabStop;
        SendMessageW(control, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&stop));
    }
    const LRESULT top = IsCombo(item) ? 0 : SendMessageW(control, LB_GETTOPINDEX, 0, 0);
    SendMessageW(control, m.reset, 0, 0);
    const int32_t selected = GetSelectedSlotIndex(window, item);
    int32_t rows = 0;
    LRESULT selectedRow = -1;
    wchar_t text[kRowChars];
    for (int32_t slot = 0; slot < item->slotCount; ++slot) {
        if (!SettingRowText(call, item, params, slot, text, kRowChars))
            continue;
        LRESULT at = 0;
        if (!AddRow(control, m, text, slot, &at))
            return 0;
        if (slot == selected)
            selectedRow = at;
        ++rows;
    }
    if (rows == 0) {
        wchar_t none[kRowChars] = {};
        LoadStringW(GetResourceModule(), kStringNoRows, none, kRowChars);
        AddRow(control, m, none, -1, nullptr);
    }
    if (!IsCombo(item))
        SendMessageW(control, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
    SendMessageW(control, m.setSelection, static_cast<WPARAM>(selectedRow), 0);
    return 1;
}

int FillRows(CallContext* call, const ItemRecord* item, const ListItemParams* params, bool reset)
{
    if (!params)
        return 0;
    HWND control = GetDlgItem(GetCallWindow(call), item->controlId);
    // A sub-dialog never sees a page activation, so the marks are loaded with
    // the rows they go on (once per window) and given back at WM_DESTROY.
    if (params->behaviour & (kListStateMarks | kListCheckMarks))
        LoadRowIcons(GetCallWindow(call));
    if ((params->behaviour & kListFillHook) && params->hook)
        return static_cast<int>(params->hook(call, item, control, reset));
    if (params->rowMode == kRowsOfSettings)
        return FillSettingRows(call, item, params);
    if (!GetSelectedOptionList(GetCallWindow(call), item)) {
        // Without options there is nothing to choose.
        SendMessageW(control, MessagesOf(item).reset, 0, 0);
        EnableWindow(control, FALSE);
        return 0;
    }
    SendMessageW(control, MessagesOf(item).reset, 0, 0);
    return FillOptionRows(call, item, params, true);
}

int SetRowSelection(CallContext* call, const ItemRecord* item, const ListItemParams* params)
{
    if (!params)
        return 0;
    if (params->rowMode == kRowsOfSettings)
        return FillSettingRows(call, item, params);
    return FillOptionRows(call, item, params, false);
}

// Every option of the selected setting through the constraint check; each
// result lands in the option's record.
int MarkOptionStates(CallContext* call, const ItemRecord* item)
{
    HWND window = GetCallWindow(call);
    const ValueEntry* entry = GetSelectedValueEntry(window, item);
    const OptionList* list = GetSelectedOptionList(window, item);
    const UiContext* ui = GetWindowUiContext(window);
    if (!entry || !list || !list->rows || !ui)
        return 0;
    for (int32_t i = 0; i < list->count; ++i) {
        ConstraintResult* record = GetSettingUiOptionRecord(window, entry->setting, i);
        if (!record)
            continue;
        CheckSettingConstraints(kModeInteractive, ui->printer, call->settingsContext, call->settings,
                                call->printerSettings, nullptr, entry->setting, list->valueType, &list->rows[i].value,
                                record, nullptr, 0);
    }
    return 1;
}

// Applies option `index` (its value inverted for check marks); 1 applied, 2
// refused (the list restored), other results change nothing.
int ApplyOption(CallContext* call, const ItemRecord* item, const ListItemParams* params, int32_t index)
{
    HWND window = GetCallWindow(call);
    const ValueEntry* entry = GetSelectedValueEntry(window, item);
    const OptionList* list = GetSelectedOptionList(window, item);
    if (!entry || !list || index < 0 || index >= list->count)
        return -1;
    uint64_t value = list->rows[index].value;
    if (Behaviour(params) & kListCheckMarks)
        value = value ? 0 : 1;
    uint16_t* changed = nullptr;
    const int result = ApplyItemValueChange(call, item, entry, entry->type, &value, &changed);
    if (result == kChangeApplied) {
        RecordPendingRefresh(call, item, changed);
    } else {
        FreeGlobalIfSet(changed);
        if (result == kChangeNotApplied)
            FillRows(call, item, params, true);
    }
    return result;
}

// Row mode 2 with check marks: the selected slot's own value inverted.
int ToggleSelectedSlot(CallContext* call, const ItemRecord* item, const ListItemParams* params)
{
    const ValueEntry* entry = GetSelectedValueEntry(GetCallWindow(call), item);
    if (!entry)
        return -1;
    uint64_t value = entry->value ? 0 : 1;
    uint16_t* changed = nullptr;
    const int result = ApplyItemValueChange(call, item, entry, entry->type, &value, &changed);
    if (result == kChangeApplied) {
        RecordPendingRefresh(call, item, changed);
    } else {
        FreeGlobalIfSet(changed);
        if (result == kChangeNotApplied)
            FillRows(call, item, params, true);
    }
    return result;
}

int32_t FindSlotRowByLabel(CallContext* call, const ItemRecord* item, const wchar_t* text)
{
    HWND window = GetCallWindow(call);
    const wchar_t* tab = wcschr(text, L'\t');
    const size_t length = tab ? static_cast<size_t>(tab - text) : wcslen(text);
    for (int32_t slot = 0; slot < item->slotCount; ++slot) {
        const OptionList* list = GetSlotOptionList(window, item, slot);
        if (list && list->title && wcslen(list->title) == length && wcsncmp(list->title, text, length) == 0)
            return slot;
    }
    return -1;
}

int32_t FindOptionRowByText(const OptionList* list, const wchar_t* text)
{
    wchar_t part[kRowChars];
    for (int32_t i = 0; list && list->rows && i < list->count; ++i) {
        if (!list->rows[i].text)
            continue;
        SplitTextAtCarriageReturn(list->rows[i].text, part, kRowChars);
        if (wcscmp(list->rows[i].text, text) == 0 || wcscmp(part, text) == 0)
            return i;
    }
    return -1;
}

// The user chose row `row` (or the control's selection for -1).
int SelectListRow(CallContext* call, const ItemRecord* item, const ListItemParams* params, LRESULT row, bool onlySlot)
{
    HWND window = GetCallWindow(call);
    HWND control = GetDlgItem(window, item->controlId);
    const ListMessages& m = MessagesOf(item);
    if (row < 0)
        row = SendMessageW(control, m.getSelection, 0, 0);
    if (row == m.error)
        return 0;
    const LRESULT length = SendMessageW(control, m.getTextLength, static_cast<WPARAM>(row), 0);
    if (length == m.error || length >= kRowChars)
        return 0;
    wchar_t text[kRowChars] = {};
    SendMessageW(control, m.getText, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text));
    if (params && params->rowMode == kRowsOfSettings) {
        const int32_t slot = FindSlotRowByLabel(call, item, text);
        if (slot < 0)
            return 0;
        SetSelectedSlotIndex(window, item, slot);
        if (onlySlot || !(params->behaviour & kListCheckMarks)) {
            const uint16_t setting[2] = {GetSelectedSettingId(window, item), 0};
            uint16_t* ids = nullptr;
            AddToPendingList(&ids, setting);
            return RecordPendingRefresh(call, item, ids);
        }
        return ToggleSelectedSlot(call, item, params);
    }
    const int32_t option = FindOptionRowByText(GetSelectedOptionList(window, item), text);
    return option < 0 ? 0 : ApplyOption(call, item, params, option);
}

int SelectNextAvailableOption(CallContext* call, const ItemRecord* item, const ListItemParams* params)
{
    HWND window = GetCallWindow(call);
    const ValueEntry* entry = GetSelectedValueEntry(window, item);
    const OptionList* list = GetSelectedOptionList(window, item);
    const int32_t current = GetSelectedSlotValue(window, item);
    if (!entry || !list || !list->rows || list->count <= 0 || list->listKind == kTextListKind)
        return 0;
    const uint16_t display = DisplayState(window, entry->setting);
    if (display == kStateReadOnly || display == kStateFixed)
        return 0;
    for (int32_t step = 1; step < list->count; ++step) {
        const int32_t i = (current + step) % list->count;
        uint16_t state = 0;
        if (!list->rows[i].text || !GetSettingUiOptionState(window, entry->setting, i, &state) ||
            state == kStateDisabled || state == kStateHidden)
            continue;
        return ApplyOption(call, item, params, i);
    }
    return 0;
}

void SetComboVisibleRows(const ItemRecord* item, HWND control)
{
    if (IsCombo(item))
        SendMessageW(control, CB_SETMINVISIBLE, item->controlId == kLongComboId ? kLongComboRows : kComboRows, 0);
}

uint32_t CommitListEditPart(CallContext* call, UINT message, const ItemRecord* item, const ListItemParams* params,
                            uint32_t checkPoint)
{
    if (!IsCombo(item) || !params || !(params->behaviour & kListEditPart) || !params->edit)
        return 0;
    return static_cast<uint32_t>(IsEditValueRejected(call, message, item, params->edit, checkPoint));
}

// An option row carries its mark as item data; a row of settings carries its
// slot, whose own value picks the box.
HICON MarkOfRow(CallContext* call, const ItemRecord* item, const ListItemParams* params, const DRAWITEMSTRUCT* draw)
{
    if (params->rowMode != kRowsOfSettings)
        return reinterpret_cast<HICON>(draw->itemData);
    if (!(params->behaviour & kListCheckMarks))
        return nullptr;
    HWND window = GetCallWindow(call);
    const auto slot = static_cast<int32_t>(draw->itemData);
    const ValueEntry* entry = slot >= 0 && slot < item->slotCount ? GetSlotValueEntry(window, item, slot) : nullptr;
    return entry ? RowIcon(window, entry->value ? kIconChecked : kIconUnchecked) : nullptr;
}

void DrawListRow(CallContext* call, const ItemRecord* item, const ListItemParams* params, const DRAWITEMSTRUCT* draw)
{
    if (!draw || static_cast<int>(draw->itemID) < 0 || !(draw->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)))
        return;
    HDC dc = draw->hDC;
    const ListMessages& m = MessagesOf(item);
    COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    COLORREF back = GetSysColor(COLOR_WINDOW);
    if (draw->itemState & ODS_DISABLED) {
        text = GetSysColor(COLOR_GRAYTEXT);
        back = GetSysColor(IsCombo(item) ? COLOR_BTNFACE : COLOR_WINDOW);
    } else if (draw->itemState & ODS_SELECTED) {
        text = GetSysColor(COLOR_HIGHLIGHTTEXT);
        back = GetSysColor(COLOR_HIGHLIGHT);
    }
    const COLORREF oldText = SetTextColor(dc, text);
    const COLORREF oldBack = SetBkColor(dc, back);
    HBRUSH brush = CreateSolidBrush(back);
    FillRect(dc, &draw->rcItem, brush);
    DeleteObject(brush);
    const uint16_t behaviour = Behaviour(params);
    int indent = 4;
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int middle = (draw->rcItem.top + draw->rcItem.bottom) / 2;
    if (behaviour & (kListStateMarks | kListCheckMarks)) {
        if (HICON icon = MarkOfRow(call, item, params, draw))
            DrawIconEx(dc, draw->rcItem.left + 1, middle - 8, icon, 16, 16, 0, nullptr, DI_NORMAL);
        indent = 20;
    } else if (behaviour & kListColourSwatch) {
        const int side = metrics.tmHeight;
        HBRUSH swatch = CreateSolidBrush(static_cast<COLORREF>(draw->itemData));
        HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT));
        HGDIOBJ oldBrush = SelectObject(dc, swatch);
        HGDIOBJ oldPen = SelectObject(dc, pen);
        Rectangle(dc, draw->rcItem.left + 2, middle - side / 2, draw->rcItem.left + 2 + side, middle - side / 2 + side);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(swatch);
        DeleteObject(pen);
        indent = 20;
    }
    if ((behaviour & kListOptionIcon) && params && params->icon) {
        const UINT id = params->icon(item->controlId, static_cast<int32_t>(draw->itemID), call->settings,
                                     call->printerSettings);
        if (HICON icon = id ? LoadIconW(GetResourceModule(), MAKEINTRESOURCEW(id)) : nullptr)
            DrawIconEx(dc, draw->rcItem.left + 16 + 1, middle - 8, icon, 16, 16, 0, nullptr, DI_NORMAL);
        indent = 20 + 27;
    }
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    indent = MulDiv(indent, dpi, 96);
    wchar_t row[kRowChars] = {};
    if (SendMessageW(draw->hwndItem, m.getTextLength, draw->itemID, 0) < kRowChars)
        SendMessageW(draw->hwndItem, m.getText, draw->itemID, reinterpret_cast<LPARAM>(row));
    RECT area = draw->rcItem;
    area.left += indent;
    wchar_t* second = wcschr(row, L'\t');
    if (second && params && params->tabStop && (params->rowFlags & kRowTwoColumns)) {
        // The value column starts at the list's tab stop (dialog units), as
        // the rows were laid out for it.
        *second++ = 0;
        RECT stop{0, 0, params->tabStop, 0};
        MapDialogRect(GetParent(draw->hwndItem), &stop);
        RECT value = draw->rcItem;
        value.left += stop.right;
        area.right = value.left - 2;
        DrawTextW(dc, second, -1, &value, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    DrawTextW(dc, row, -1, &area, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_EXPANDTABS | DT_END_ELLIPSIS);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
}

uint32_t OnOptionListItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                          const void* parameters)
{
    HWND window = GetCallWindow(call);
    if (!window || !item)
        return 0;
    const ListItemParams* params = ParamsOf(parameters);
    HWND control = GetDlgItem(window, item->controlId);
    const bool editPart = IsCombo(item) && (Behaviour(params) & kListEditPart) && params->edit;
    if (const UINT code = SheetNotification(message, lParam)) {
        uint32_t result = 0;
        if (code == PSN_SETACTIVE) {
            LoadRowIcons(window);
            FillRows(call, item, params, true);
            if (editPart)
                OnEditItem(call, message, wParam, lParam, item, params->edit);
        } else {
            if (code == PSN_KILLACTIVE)
                result = CommitListEditPart(call, message, item, params, kCheckAtKillActive);
            else if (code == PSN_RESET)
                result = CommitListEditPart(call, message, item, params, kCheckAtReset);
            if (editPart && (code == PSN_KILLACTIVE || code == PSN_APPLY || code == PSN_RESET))
                OnEditItem(call, message, wParam, lParam, item, params->edit);
            if (code == PSN_KILLACTIVE || code == PSN_APPLY || code == PSN_RESET)
                FreeRowIcons(window);
        }
        SetComboVisibleRows(item, control);
        return result;
    }
    switch (message) {
    case kEngineRefresh: {
        if (!IsCombo(item))
            MarkOptionStates(call, item);
        const bool fromOther = GetPendingActionTarget(call) != item;
        if (fromOther && !(!IsCombo(item) && (Behaviour(params) & kListKeepRows)))
            FillRows(call, item, params, false);
        else
            SetRowSelection(call, item, params);
        if (editPart)
            OnEditItem(call, message, wParam, lParam, item, params->edit);
        return 0;
    }
    case kEngineValidate:
        return CommitListEditPart(call, message, item, params, kCheckAtValidate);
    case WM_DESTROY:
        FreeRowIcons(window);
        return 0;
    case kEngineReset:
        SetRowSelection(call, item, params);
        return 0;
    case WM_COMMAND: {
        const WORD note = HIWORD(wParam);
        const ListMessages& m = MessagesOf(item);
        if (note == LBN_DBLCLK) {
            if (Behaviour(params) & kListDoubleClickNext)
                SelectNextAvailableOption(call, item, params);
        } else if (note == m.selectionMade) {
            SelectListRow(call, item, params, -1, false);
        } else if (IsCombo(item) && note == CBN_SELCHANGE && !SendMessageW(control, CB_GETDROPPEDSTATE, 0, 0)) {
            // A closed list changed by the keyboard sends no CBN_SELENDOK:
            // its selection change is the choice.
            SelectListRow(call, item, params, -1, false);
        } else if (IsCombo(item) && note == CBN_CLOSEUP) {
            SetRowSelection(call, item, params);
        } else if (IsCombo(item) && note == CBN_DROPDOWN) {
            MarkOptionStates(call, item);
            FillRows(call, item, params, false);
            SelectListRow(call, item, params, -1, false);
        } else if (IsCombo(item) && note == CBN_KILLFOCUS) {
            CommitListEditPart(call, message, item, params, kCheckAtKillFocus);
        } else if (editPart && (note == CBN_EDITCHANGE)) {
            OnEditItem(call, message, MAKEWPARAM(LOWORD(wParam), EN_CHANGE), lParam, item, params->edit);
        }
        return 0;
    }
    case WM_DRAWITEM: {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if ((Behaviour(params) & kListDrawHook) && params->hook)
            return params->hook(call, item, control, lParam);
        DrawListRow(call, item, params, draw);
        return 1;
    }
    case WM_VKEYTOITEM:
        if (IsCombo(item))
            return static_cast<uint32_t>(-2);
        return static_cast<uint32_t>(HandleListKey(call, item, params, LOWORD(wParam)));
    default:
        return 0;
    }
}

}  // namespace

void SplitTextAtCarriageReturn(const wchar_t* text, wchar_t* out, int chars)
{
    if (!out || chars < 1)
        return;
    out[0] = 0;
    if (!text)
        return;
    const wchar_t* cut = wcsrchr(text, L'\r');
    size_t length = cut ? static_cast<size_t>(cut - text) : wcslen(text);
    if (length >= static_cast<size_t>(chars))
        length = static_cast<size_t>(chars) - 1;
    wmemcpy(out, text, length);
    out[length] = 0;
}

int32_t ListKeyTarget(UINT key, int32_t row, int32_t rows)
{
    int32_t target = -1;
    switch (key) {
    case VK_SPACE:
        target = row;
        break;
    case VK_PRIOR:
    case VK_HOME:
        target = 0;
        break;
    case VK_NEXT:
    case VK_END:
        target = rows - 1;
        break;
    case VK_LEFT:
    case VK_UP:
        target = row - 1;
        break;
    case VK_RIGHT:
    case VK_DOWN:
        target = row + 1;
        break;
    default:
        return -1;
    }
    return target >= 0 && target < rows ? target : -1;
}

int32_t HandleListKey(CallContext* call, const ItemRecord* item, const ListItemParams* params, UINT key)
{
    if (key < VK_SPACE || key > VK_DOWN)
        return -1;
    HWND control = GetDlgItem(GetCallWindow(call), item->controlId);
    const int32_t rows = static_cast<int32_t>(SendMessageW(control, LB_GETCOUNT, 0, 0));
    const int32_t row = static_cast<int32_t>(SendMessageW(control, LB_GETCURSEL, 0, 0));
    const int32_t target = ListKeyTarget(key, row, rows);
    if (target < 0)
        return -2;
    SendMessageW(control, LB_SETCURSEL, static_cast<WPARAM>(target), 0);
    const bool settingRows = params && params->rowMode == kRowsOfSettings;
    if (key == VK_SPACE && !(Behaviour(params) & kListCheckMarks))
        return -2;
    SelectListRow(call, item, params, target, settingRows && key != VK_SPACE);
    return -2;
}

uint32_t OnComboBoxItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                        const void* parameters)
{
    if (item && SheetNotification(message, lParam) == PSN_SETACTIVE) {
        // The combo rule comes after the fill: a combo box without options stays disabled.
        const uint32_t result = OnOptionListItem(call, message, wParam, lParam, item, parameters);
        if (GetSelectedOptionList(GetCallWindow(call), item) || ParamsOf(parameters)->rowMode == kRowsOfSettings)
            UpdateItemControlState(GetCallWindow(call), item, nullptr);
        return result;
    }
    const uint32_t result = OnOptionListItem(call, message, wParam, lParam, item, parameters);
    if (item && message == kEngineRefresh && GetSelectedOptionList(GetCallWindow(call), item))
        UpdateItemControlState(GetCallWindow(call), item, nullptr);
    return result;
}

uint32_t OnListBoxItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                       const void* parameters)
{
    const uint32_t result = OnOptionListItem(call, message, wParam, lParam, item, parameters);
    if (item && IsShowMessage(message, lParam) && GetSelectedOptionList(GetCallWindow(call), item))
        UpdateItemControlState(GetCallWindow(call), item, nullptr);
    return result;
}
