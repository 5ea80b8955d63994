#include "ui/controls/item_callbacks.h"

#include <shellapi.h>

#include "common/conflicts/dialog_services.h"
#include "common/defaults/setting_defaults.h"
#include "common/options/option_lists.h"
#include "common/settings/paper_codes.h"
#include "common/settings/value_operations.h"
#include "common/store/user_setting_info.h"
#include "common/system/module_files.h"
#include "ui/controls/access_key_labels.h"
#include "ui/controls/display_states.h"
#include "ui/controls/kind_handlers.h"
#include "ui/engine/item_changes.h"
#include "ui/engine/message_engine.h"
#include "ui/support/number_fields.h"

#include <cwchar>

namespace {

constexpr uint16_t kFidAdjustmentOn = 1315;
constexpr uint16_t kFidAdjustColour = 391;
constexpr int32_t kGridEnableControl = 1227;
constexpr int32_t kVersionTextControl = 1315;
constexpr UINT kVersionStrings[] = {9256, 9257, 9258};
constexpr size_t kVersionTextLimit = 771;
constexpr int kRangeChars = 96;

// Range settings of each colour (black, cyan, magenta, yellow), by row.
constexpr uint16_t kRangeSettings[4][3] = {{401, 402, 403}, {392, 393, 394}, {395, 396, 397}, {398, 399, 400}};
constexpr uint32_t kRowFirstBit[3] = {1, 256, 65536};
constexpr COLORREF kCellColours[4][3] = {
    {0x787878, 0x464646, 0x000000},
    {0xF9F9A4, 0xFFFF00, 0xCDCD30},
    {0xF9A4F9, 0xFF00FF, 0xCD1ECD},
    {0xA4F9F9, 0x00FFFF, 0x30CDCD},
};

uint32_t PassOn(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                const void* parameters)
{
    ItemEventHandler next = GetKindDefaultHandler(call);
    return next ? next(call, message, wParam, lParam, item, parameters) : 0;
}

bool ReadNumber(CallContext* call, uint16_t id, uint32_t* value)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdValue(id, call->settings, call->printerSettings, &type, &size, &holder) != 0)
        return false;
    *value = static_cast<uint32_t>(holder);
    return true;
}

bool InchShown(const CallContext* call) { return IsInchDisplay(call); }

}  // namespace

int SetUnitLabels(HWND window, int32_t controlId, bool inch)
{
    wchar_t text[32] = {};
    if (LoadStringW(GetResourceModule(), inch ? kStringInch : kStringMillimetre, text, 32) < 1)
        return 0;
    return SetDlgItemTextW(window, controlId, text) ? 1 : 0;
}

int ShowValueRangeText(HWND window, uint16_t setting, int32_t minimum, int32_t maximum, int unit, wchar_t* out,
                       int chars)
{
    if (!out || chars < 1)
        return 0;
    int decimals = 1;
    if (unit == 1) {
        minimum = ClampAdjustmentValue(minimum, setting);
        maximum = ClampAdjustmentValue(maximum, setting);
        decimals = 2;
    }
    PaperUnits units{};
    const UiContext* ui = GetWindowUiContext(window);
    if (IsCustomPaperSizeId(setting) && ui && GetUnitDisplayFlags(ui->settings, ui->localeUnit, &units) &&
        units.precision) {
        minimum = (minimum + 5) / 10 * 10;
        maximum = (maximum + 5) / 10 * 10;
    }
    wchar_t* low = nullptr;
    wchar_t* high = nullptr;
    FormatFixedPoint(&low, decimals, true, kFixedPoint, static_cast<uint32_t>(minimum));
    FormatFixedPoint(&high, decimals, true, kFixedPoint, static_cast<uint32_t>(maximum));
    if (!low || !high) {
        FreeGlobalIfSet(low);
        FreeGlobalIfSet(high);
        return 0;
    }
    wchar_t name[32] = {};
    LoadStringW(GetResourceModule(), unit == 1 ? kStringInch : kStringMillimetre, name, 32);
    swprintf(out, chars, L" (%ls - %ls %ls)", low, high, name);
    GlobalFree(low);
    GlobalFree(high);
    return 1;
}

uint32_t OnRangeLabelItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                          const void* parameters)
{
    HWND window = GetCallWindow(call);
    if (window && item && IsShowMessage(message, lParam)) {
        int32_t minimum = 0, maximum = 0;
        const uint16_t setting = GetSelectedSettingId(window, item);
        const ValueEntry* entry = GetSelectedValueEntry(window, item);
        if (setting && entry && GetItemValueRange(call, item, &minimum, &maximum)) {
            // The range in the form the sliders show, then in the chosen unit.
            uint64_t low = static_cast<uint32_t>(minimum), high = static_cast<uint32_t>(maximum);
            uint32_t shownLow = static_cast<uint32_t>(minimum), shownHigh = static_cast<uint32_t>(maximum);
            ConvertSliderValue(kStoredToSlider, setting, 4, &low, &shownLow);
            ConvertSliderValue(kStoredToSlider, setting, 4, &high, &shownHigh);
            wchar_t range[kRangeChars] = {};
            wchar_t label[kLabelChars] = {};
            if (ShowValueRangeText(window, setting, static_cast<int32_t>(shownLow), static_cast<int32_t>(shownHigh),
                                   InchShown(call) ? 1 : 0, range, kRangeChars) &&
                BuildSettingLabel(GetResourceModule(), call->settingsContext, setting, label, kLabelChars,
                                  item->labelString, kStringLabelSuffix, range))
                SetDlgItemTextW(window, item->controlId, label);
        }
    }
    return PassOn(call, message, wParam, lParam, item, parameters);
}

uint32_t OnUnitLabelItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                         const void* parameters)
{
    HWND window = GetCallWindow(call);
    if (window && item && IsShowMessage(message, lParam))
        SetUnitLabels(window, item->controlId, InchShown(call));
    return PassOn(call, message, wParam, lParam, item, parameters);
}

uint32_t OnUnitRadioItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                         const void* parameters)
{
    const uint32_t result = PassOn(call, message, wParam, lParam, item, parameters);
    HWND window = GetCallWindow(call);
    const auto* params = static_cast<const UnitRadioParams*>(parameters);
    if (!window || !params || !params->controls || params->count < 3)
        return result;
    const uint16_t first = params->controls[0], last = params->controls[1], inchButton = params->controls[2];
    if (IsShowMessage(message, lParam)) {
        CheckRadioButton(window, first, last, InchShown(call) ? last : first);
    } else if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        SetMeasureUnitChoice(GetWindowUiContext(window), LOWORD(wParam) == inchButton ? 1 : 0);
        RecordPendingRefresh(call, item, nullptr);
    }
    return result;
}

uint32_t OnResetUserSettingsButton(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam,
                                   const ItemRecord* item, const void* parameters)
{
    HWND window = GetCallWindow(call);
    if (message != WM_COMMAND || !window || !item || GetCallPermission(call))
        return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
    if (HWND button = GetDlgItem(window, item->controlId))
        SetFocus(button);
    const ItemRecord* records = nullptr;
    int32_t count = 0;
    if (GetDialogItemTable(window, static_cast<int32_t>(GetCallDialogCode(call)), &records, &count) != 1)
        return 0;
    uint16_t* changed = nullptr;
    for (int32_t i = 0; i < count; ++i)
        for (int32_t s = 0; s < records[i].slotCount; ++s) {
            const uint16_t id = records[i].slots[s].setting;
            if (!IsUserSettingId(id))
                continue;
            if (!ResetFunctionIdToDefault(call->settingsContext, id, call->settings, call->printerSettings)) {
                i = count;  // the reset stops at the first setting it cannot reset
                break;
            }
            const uint16_t one[2] = {id, 0};
            AddToPendingList(&changed, one);
        }
    if (!changed) {
        const uint16_t none[1] = {0};
        AddToPendingList(&changed, none);
    }
    RecordPendingRefresh(call, item, changed);
    return 0;
}

uint32_t OnWebPageButton(CallContext* call, UINT message, WPARAM, LPARAM, const ItemRecord*, const void*)
{
    HWND window = GetCallWindow(call);
    UiContext* ui = GetWindowUiContext(window);
    if (message != WM_COMMAND || !ui || !CachePortName(ui) || !ui->portName)
        return 0;
    // The printer's own pages, at the host its port names.
    wchar_t address[300] = {};
    swprintf(address, 300, L"http://%ls/", ui->portName);
    ShellExecuteW(window, L"open", address, nullptr, nullptr, SW_SHOW);
    return 0;
}

uint32_t OnColourRangeItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                           const void* parameters)
{
    HWND window = GetCallWindow(call);
    uint32_t on = 0, colour = 0;
    if (window && item && IsShowMessage(message, lParam) && ReadNumber(call, kFidAdjustmentOn, &on) &&
        ReadNumber(call, kFidAdjustColour, &colour) && static_cast<int32_t>(colour) < item->slotCount) {
        SetSelectedSlotIndex(window, item, static_cast<int32_t>(colour));
        uint16_t state = 0;
        if (GetSettingUiState(window, kFidAdjustColour, &state, nullptr))
            SetSettingUiState(window, item->slots[colour].setting, state);
    }
    return PassOn(call, message, wParam, lParam, item, parameters);
}

COLORREF LevelCellColour(uint32_t colour, int row)
{
    if (colour > 3 || row < 0 || row > 2)
        return RGB(255, 255, 255);
    return kCellColours[colour][row];
}

int LitCellsOfRow(int row, uint32_t value)
{
    if (row < 0 || row > 2)
        return -1;
    for (int k = 0; k < kLevelGridCells; ++k)
        if (value & (kRowFirstBit[row] << k))
            return k;
    return -1;
}

namespace {

void PaintLevelGrid(CallContext* call, HWND window, HDC target)
{
    HWND grid = GetDlgItem(window, kLevelGridControl);
    if (!grid)
        return;
    RECT area{};
    GetClientRect(grid, &area);
    HDC dc = target ? target : GetDC(grid);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, area.right, area.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    FillRect(memory, &area, white);
    FrameRect(memory, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    uint32_t on = 0, colour = 0;
    HWND enable = GetDlgItem(window, kGridEnableControl);
    const bool lit = (!enable || IsWindowEnabled(enable)) && ReadNumber(call, kFidAdjustmentOn, &on) && on &&
                     ReadNumber(call, kFidAdjustColour, &colour) && colour <= 3;
    for (int row = 0; row < 3; ++row) {
        uint32_t value = 0;
        const int p = lit && ReadNumber(call, kRangeSettings[colour][row], &value) ? LitCellsOfRow(row, value) : -1;
        HBRUSH brush = CreateSolidBrush(LevelCellColour(colour, row));
        for (int k = 0; k < kLevelGridCells; ++k) {
            HWND cell = GetDlgItem(window, kLevelGridRows[row] - k);
            if (!cell)
                continue;
            RECT box{};
            GetWindowRect(cell, &box);
            MapWindowPoints(nullptr, grid, reinterpret_cast<POINT*>(&box), 2);
            InflateRect(&box, -1, -1);
            FillRect(memory, &box, k <= p ? brush : white);
        }
        DeleteObject(brush);
    }
    BitBlt(dc, 0, 0, area.right, area.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    if (!target)
        ReleaseDC(grid, dc);
}

}  // namespace

uint32_t OnLevelGridItem(CallContext* call, UINT message, WPARAM, LPARAM lParam, const ItemRecord*, const void*)
{
    HWND window = GetCallWindow(call);
    if (!window)
        return 0;
    if (message == WM_PAINT) {
        HWND grid = GetDlgItem(window, kLevelGridControl);
        PAINTSTRUCT paint{};
        if (grid && GetUpdateRect(grid, nullptr, FALSE)) {
            HDC dc = BeginPaint(grid, &paint);
            PaintLevelGrid(call, window, dc);
            EndPaint(grid, &paint);
        } else {
            PaintLevelGrid(call, window, nullptr);
        }
    } else if (IsShowMessage(message, lParam)) {
        PaintLevelGrid(call, window, nullptr);
    }
    return 0;
}

INT_PTR CALLBACK DialogVersionTextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    SlotHandler handler = nullptr;
    int32_t slot = -1;
    if (!FindMessageHandler(message, wParam, lParam, kDialogTypeModal, &handler, &slot))
        return FALSE;
    const INT_PTR result =
        CallMessageHandler(window, message, wParam, lParam, kVersionTextCode, kDialogTypeModal, handler);
    if (message == WM_INITDIALOG) {
        wchar_t text[kVersionTextLimit] = {};
        for (UINT id : kVersionStrings) {
            wchar_t part[kVersionTextLimit] = {};
            if (LoadStringW(GetResourceModule(), id, part, kVersionTextLimit) < 1)
                continue;
            const size_t used = wcslen(text);
            const size_t add = wcslen(part) + (used ? 1 : 0);
            if (used + add >= kVersionTextLimit)
                break;
            if (used)
                wcscat(text, L"\n");
            wcscat(text, part);
        }
        SetDlgItemTextW(window, kVersionTextControl, text);
    }
    return result;
}

INT_PTR CALLBACK Dialog512Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    constexpr int32_t kDialog512Code = 26;
    SlotHandler handler = nullptr;
    int32_t slot = -1;
    if (!FindMessageHandler(message, wParam, lParam, kDialogTypeSubPage, &handler, &slot))
        return FALSE;
    return CallMessageHandler(window, message, wParam, lParam, kDialog512Code, kDialogTypeSubPage, handler);
}

int GetLinkedItemValue(CallContext* call, HWND window, const LinkedItemRule* rule, int* flag)
{
    if (!call || !rule || !flag)
        return 0;
    const ItemRecord* other =
        FindItemRecord(window, static_cast<int32_t>(GetCallDialogCode(call)), static_cast<int32_t>(rule->control));
    const ValueEntry* entry = other ? GetSelectedValueEntry(window, other) : nullptr;
    if (!entry) {
        *flag = 1;
        return 1;
    }
    *flag = 0;
    if (rule->setting != 65535 && entry->setting != rule->setting)
        *flag = 1;
    else if (rule->compare == 1) {
        const uint64_t expected = rule->compareValue;
        if (CompareSettingValues(entry->type, &entry->value, &expected) == 0)
            *flag = 1;
    }
    return 1;
}

int ShowLinkedItemState(CallContext* call, HWND window, const ItemRecord* item, const LinkedItemRule* rule)
{
    int flag = 0;
    if (!item || !GetLinkedItemValue(call, window, rule, &flag))
        return 0;
    const uint16_t state = flag ? kStateEnabled : kStateHidden;
    ApplyControlState(GetDlgItem(window, item->controlId), state);
    if (rule->secondControl != kNoControl)
        ApplyControlState(GetDlgItem(window, rule->secondControl), state);
    return 1;
}

int RebuildSettingOptionList(HWND window, int32_t, uint16_t setting)
{
    UiContext* ui = GetWindowUiContext(window);
    DialogContext* context = GetDialogContext(window);
    if (!ui || !context || !context->states)
        return 0;
    ReleaseOptionList(window, setting);
    RemoveSettingUiState(context->states->settings, setting);
    OptionList* list = nullptr;
    if (AcquireOptionList(window, GetResourceModule(), ui->settings, setting, nullptr, &list) != kOptionListBuilt)
        return 0;
    return CreateSettingUiState(window, setting, GetOptionCount(list)) == 0 ? 1 : 0;
}

int SetSampleFonts(HWND window, int32_t first, int32_t second, HFONT fonts[2])
{
    if (!window || !fonts)
        return 0;
    HDC dc = GetDC(window);
    const int height = -MulDiv(GetDeviceCaps(dc, LOGPIXELSY), 10, 72);
    ReleaseDC(window, dc);
    for (int i = 0; i < 2; ++i) {
        fonts[i] = CreateFontW(height, 0, 0, 0, FW_BOLD, i == 1, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Times New Roman");
        SendMessageW(GetDlgItem(window, i == 0 ? first : second), WM_SETFONT,
                     reinterpret_cast<WPARAM>(fonts[i]), TRUE);
    }
    return fonts[0] && fonts[1] ? 1 : 0;
}

int SelectFontSubstitutionRow(HWND window, int32_t row, bool enable)
{
    constexpr int32_t kFontList = 1223, kSubstituteCombo = 1268, kSubstituteButton = 1303;
    HWND list = GetDlgItem(window, kFontList);
    HWND combo = GetDlgItem(window, kSubstituteCombo);
    if (!list || !combo)
        return 0;
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(SendMessageW(list, LB_GETITEMDATA, row, 0)), 0);
    EnableWindow(GetDlgItem(window, kSubstituteButton), enable);
    EnableWindow(combo, enable);
    return 1;
}

namespace {

// The version text dialog has no items of its own: OK is a common item.
constexpr HelpMapEntry kVersionTextHelp[] = {{kVersionTextControl, 10010}, {1092, 99010}, {0, 0}};
constexpr ItemTableHeader kVersionTextItems{nullptr, 0, kPageHelpTopic, kVersionTextHelp, nullptr, 0};

}  // namespace

const PageDescriptor VersionTextDialog{kVersionTextCode, &kVersionTextItems, nullptr};
