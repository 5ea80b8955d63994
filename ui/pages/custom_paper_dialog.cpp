// The custom paper sizes dialog: the 20 user sizes of the printer, kept both as
// the printer's spooler forms and as settings of the printer settings record,
// with their display names (settings only).
#include "common/constraints/constraint_engine.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/store/printer_data.h"
#include "common/system/module_files.h"
#include "ui/controls/control_kinds.h"
#include "ui/controls/item_callbacks.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/user_paper_margins.h"
#include "ui/engine/ui_context.h"
#include "ui/pages/custom_paper_sizes.h"
#include "ui/support/ansi_limits.h"
#include "ui/support/file_choice.h"
#include "ui/support/resource_messages.h"
#include "ui/support/text_validation.h"

#include <commctrl.h>
#include <winspool.h>

#include <cwchar>
#include <iterator>
#include <vector>

namespace {

// The sheet's model capability; false for a window without a sheet.
bool Capability(HWND window, CapabilityId id)
{
    const UiContext* ui = GetWindowUiContext(window);
    return ui && TestCapabilityBit(&ui->capabilities, id);
}

constexpr wchar_t kStateProperty[] = L"MorvaCustomPaperState";
constexpr uint32_t kNameSettingBytes = 30;  // a display name setting: 14 characters and the terminator
constexpr int kListNameChars = 32;
constexpr UINT kStringDecimalSign = 9241;
constexpr UINT kStringWidth = 372;
constexpr UINT kStringLength = 373;
constexpr UINT kStringName = 374;
constexpr UINT kMessageNameRefused = 425;
constexpr UINT kMessageRange = 700;
constexpr UINT kMessageRulesRefuse = 728;
constexpr UINT kMessageOutside = 9392;
constexpr UINT kMessageTurned = 9393;
constexpr UINT kFormatWidthRange = 9214;
constexpr UINT kFormatLengthRange = 9213;
constexpr UINT kFormatSizeMm = 9254;
constexpr UINT kFormatSizeInch = 9255;
constexpr CapabilityId kCapTenthsOfInch = 0xFFFF0023;
constexpr UINT kNameSingleAllowed[] = {9250, 0};
constexpr UINT kNameSingleForbidden[] = {9251, 0};
constexpr UINT kNameDoubleAllowed[] = {9252, 0};
constexpr UINT kNameDoubleForbidden[] = {9253, 0};
constexpr uint32_t kNameCheckFlags = 514;

struct CustomPaperState {
    CustomPaperEntry entries[kCustomPaperCount];
    wchar_t names[kCustomPaperCount][kListNameChars + 1];
    uint16_t codes[kCustomPaperCount];
    CustomPaperLimits limits;
    int unit;
    bool writable;
    bool tenthsOfInch;
    bool messageShown;
    wchar_t decimalSign;
    int selected;
};

CustomPaperState* StateOf(HWND window) { return static_cast<CustomPaperState*>(GetPropW(window, kStateProperty)); }

void FreeState(HWND window)
{
    if (auto* state = static_cast<CustomPaperState*>(RemovePropW(window, kStateProperty)))
        GlobalFree(state);
}

std::wstring Resource(UINT id)
{
    wchar_t text[256] = {};
    LoadStringW(GetResourceModule(), id, text, static_cast<int>(std::size(text)));
    return text;
}

int Message(HWND window, UINT style, UINT id, ...)
{
    va_list args;
    va_start(args, id);
    wchar_t* text = nullptr;
    const int formatted = LoadFormattedStringV(&text, kMessageChars, id, args);
    va_end(args);
    if (!formatted)
        return 0;
    const int answer = ShowResourceMessageBox(window, kCaptionSettings, nullptr, style, kTextGiven, text);
    GlobalFree(text);
    return answer;
}

std::wstring Shown(const CustomPaperState& s, int32_t tenths)
{
    wchar_t text[32] = {};
    FormatCustomSize(tenths, s.unit, s.decimalSign, text, std::size(text));
    return text;
}

// A shown value (tenths of a millimetre, or hundredths of an inch) as text.
std::wstring ShownNumber(const CustomPaperState& s, int32_t value)
{
    wchar_t text[32] = {};
    if (s.unit == kUnitInch)
        std::swprintf(text, std::size(text), L"%d%lc%02d", value / 100, s.decimalSign, value % 100);
    else
        std::swprintf(text, std::size(text), L"%d%lc%d", value / 10, s.decimalSign, value % 10);
    return text;
}

std::wstring SizeText(const CustomPaperState& s, const CustomPaperEntry& e)
{
    wchar_t width[16] = {}, length[16] = {};
    if (s.unit == kUnitInch) {
        const int32_t w = TenthsMmToHundredthsInch(e.width), l = TenthsMmToHundredthsInch(e.length);
        if (s.tenthsOfInch) {
            std::swprintf(width, 16, L"%2d%lc%d", w / 100, s.decimalSign, (w / 10) % 10);
            std::swprintf(length, 16, L"%2d%lc%d", l / 100, s.decimalSign, (l / 10) % 10);
        } else {
            std::swprintf(width, 16, L"%2d%lc%02d", w / 100, s.decimalSign, w % 100);
            std::swprintf(length, 16, L"%2d%lc%02d", l / 100, s.decimalSign, l % 100);
        }
    } else {
        std::swprintf(width, 16, L"%3d", e.width / 10);
        std::swprintf(length, 16, L"%3d", e.length / 10);
    }
    wchar_t* text = nullptr;
    std::wstring result;
    if (LoadFormattedString(&text, 64, s.unit == kUnitInch ? kFormatSizeInch : kFormatSizeMm, width, length)) {
        result = text;
        GlobalFree(text);
    }
    return result;
}

void FillCustomPaperList(HWND window, const CustomPaperState& s)
{
    HWND list = GetDlgItem(window, kCustomPaperList);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (int n = 0; n < kCustomPaperCount; ++n) {
        const std::wstring row = std::wstring(s.entries[n].formName) + L"\t" + SizeText(s, s.entries[n]) + L"\t" +
                                 s.names[n];
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    }
    SendMessageW(list, LB_SETCURSEL, s.selected, 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void ShowRanges(HWND window, const CustomPaperState& s)
{
    const struct {
        int32_t control, unit;
        UINT label, format;
        uint16_t minimum, maximum;
    } rows[] = {{kCustomWidthRange, kCustomWidthUnit, kStringWidth, kFormatWidthRange, s.limits.minWidth,
                 s.limits.maxWidth},
                {kCustomLengthRange, kCustomLengthUnit, kStringLength, kFormatLengthRange, s.limits.minLength,
                 s.limits.maxLength}};
    for (const auto& r : rows) {
        int32_t low = 0, high = 0;
        ShownCustomRange(r.minimum, r.maximum, s.unit, s.tenthsOfInch, &low, &high);
        wchar_t* text = nullptr;
        if (LoadFormattedString(&text, 128, r.format, Resource(r.label).c_str(), ShownNumber(s, low).c_str(),
                                ShownNumber(s, high).c_str())) {
            SetDlgItemTextW(window, r.control, text);
            GlobalFree(text);
        }
        SetUnitLabels(window, r.unit, s.unit == kUnitInch);
    }
    CheckRadioButton(window, kCustomMillimetreButton, kCustomInchButton,
                     s.unit == kUnitInch ? kCustomInchButton : kCustomMillimetreButton);
}

void ShowEntry(HWND window, CustomPaperState& s)
{
    const CustomPaperEntry& e = s.entries[s.selected];
    s.messageShown = true;  // the texts set here are no edits of the user's
    SetDlgItemTextW(window, kCustomWidthEdit, Shown(s, e.width).c_str());
    SetDlgItemTextW(window, kCustomLengthEdit, Shown(s, e.length).c_str());
    const UiContext* ui = GetWindowUiContext(window);
    const bool mayName = ui && ui->permission != 0;
    SetDlgItemTextW(window, kCustomNameEdit, s.names[s.selected]);
    if (s.names[s.selected][0]) {
        EnableWindow(GetDlgItem(window, kCustomNameEdit), mayName);
        EnableWindow(GetDlgItem(window, kCustomNameLabel), mayName);
    }
    s.messageShown = false;
}

void ApplyWriteRights(HWND window, const CustomPaperState& s)
{
    for (int32_t id : {kCustomWidthEdit, kCustomWidthUpDown, kCustomLengthEdit, kCustomLengthUpDown,
                       kCustomWidthRange, kCustomLengthRange, kCustomWidthUnit, kCustomLengthUnit})
        EnableWindow(GetDlgItem(window, id), s.writable);
}

void DefaultName(int n, wchar_t* out)
{
    wchar_t name[kFormNameChars + 1] = {};
    FormatUserDefinedName(n, name, kFormNameChars + 1);
    lstrcpynW(out, name, kListNameChars + 1);
    CutDisplayName(out);
}

CustomPaperState* BuildState(HWND window)
{
    const UiContext* ui = GetWindowUiContext(window);
    SettingsContext* context = GetUiSettingsContext(ui);
    void* settings = nullptr;
    void* printerSettings = nullptr;
    if (!ui || !context || !GetDialogSettings(window, &settings, &printerSettings))
        return nullptr;
    auto* s = static_cast<CustomPaperState*>(GlobalAlloc(GPTR, sizeof(CustomPaperState)));
    if (!s)
        return nullptr;
    ReadCustomPaperForms(ui->printer, s->entries);
    for (int n = 0; n < kCustomPaperCount; ++n) {
        const uint64_t word = GetFunctionIdValuePointer(settings, printerSettings,
                                                        static_cast<uint16_t>(kFidUserPaperNameFirst + n), kTypeString);
        // A name that cannot be read ends the list's names there.
        if (!word)
            break;
        lstrcpynW(s->names[n], reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(word)), kListNameChars + 1);
    }
    LoadCustomPaperLimits(context, s->codes, &s->limits);
    s->unit = ui->localeUnit == 1 ? kUnitInch : kUnitMillimetre;
    s->writable = CanWriteMachineRegistry() != 0;
    s->tenthsOfInch = Capability(window, kCapTenthsOfInch);
    const std::wstring sign = Resource(kStringDecimalSign);
    s->decimalSign = sign.empty() ? L'.' : sign[0];
    return s;
}

// The model's rules for the entry's paper (its margins must leave room); an
// entry without a model paper has no rules beyond the limits.
bool SizeRulesAccept(HWND window, const CustomPaperState& s, bool width, int32_t value)
{
    const uint16_t paper = s.codes[s.selected];
    const UiContext* ui = GetWindowUiContext(window);
    void* settings = nullptr;
    void* printerSettings = nullptr;
    if (paper == 0 || !ui || !GetDialogSettings(window, &settings, &printerSettings))
        return true;
    const ConstraintContext context{GetUiSettingsContext(ui), settings, printerSettings};
    return CheckSizeValueAgainstRules(ui->printer, context, nullptr, paper, width ? 0 : 1,
                                      static_cast<uint32_t>(value), 1) != -1;
}

// Checks the typed width or length of the selected entry and stores it. 1
// accepted; 0 after a message (the field shows the entry again, with the focus).
int CommitSize(HWND window, CustomPaperState& s, int32_t control)
{
    CustomPaperEntry& e = s.entries[s.selected];
    const bool width = control == kCustomWidthEdit;
    const uint16_t minimum = width ? s.limits.minWidth : s.limits.minLength;
    const uint16_t maximum = width ? s.limits.maxWidth : s.limits.maxLength;
    uint16_t& stored = width ? e.width : e.length;
    wchar_t text[32] = {};
    GetDlgItemTextW(window, control, text, static_cast<int>(std::size(text)));
    int32_t value = 0;
    const int verdict =
        CheckCustomSizeText(text, s.decimalSign, s.unit, s.tenthsOfInch, stored, minimum, maximum, &value);
    const std::wstring label = Resource(width ? kStringWidth : kStringLength);
    int32_t low = 0, high = 0;
    ShownCustomRange(minimum, maximum, s.unit, s.tenthsOfInch, &low, &high);
    s.messageShown = true;
    if (verdict == kSizeInvalid) {
        Message(window, MB_OK | MB_ICONEXCLAMATION, kMessageRange, label.c_str(), ShownNumber(s, low).c_str(),
                ShownNumber(s, high).c_str());
    } else if (verdict == kSizeBelowShown || verdict == kSizeAboveShown) {
        const bool below = verdict == kSizeBelowShown;
        Message(window, MB_OK | MB_ICONEXCLAMATION, kMessageOutside, label.c_str(), text,
                ShownNumber(s, below ? low : high).c_str());
        stored = below ? minimum : maximum;
    } else if (verdict == kSizeAccepted && !SizeRulesAccept(window, s, width, value)) {
        ShowResourceMessageBox(window, kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION,
                               static_cast<int>(kMessageRulesRefuse), nullptr);
    } else if (verdict == kSizeAccepted) {
        stored = static_cast<uint16_t>(value);
        s.messageShown = false;
        SetDlgItemTextW(window, control, Shown(s, stored).c_str());
        FillCustomPaperList(window, s);
        return 1;
    }
    SetDlgItemTextW(window, control, Shown(s, stored).c_str());
    SetFocus(GetDlgItem(window, control));
    s.messageShown = false;
    FillCustomPaperList(window, s);
    return 0;
}

// A width greater than its length is turned, with a message. 1 when it was in order.
int CheckOrder(HWND window, CustomPaperState& s)
{
    if (!TurnCustomPaper(&s.entries[s.selected]))
        return 1;
    s.messageShown = true;
    ShowResourceMessageBox(window, kCaptionSettings, nullptr, MB_OK | MB_ICONEXCLAMATION,
                           static_cast<int>(kMessageTurned), nullptr);
    s.messageShown = false;
    FillCustomPaperList(window, s);
    ShowEntry(window, s);
    return 0;
}

int CommitName(HWND window, CustomPaperState& s)
{
    wchar_t text[kListNameChars + 1] = {};
    GetDlgItemTextW(window, kCustomNameEdit, text, static_cast<int>(std::size(text)));
    if (!text[0] || ValidateTextCharacters(text, kNameSingleAllowed, kNameDoubleAllowed, kNameSingleForbidden,
                                           kNameDoubleForbidden, kNameCheckFlags, 0) == 1)
        return 1;
    s.messageShown = true;
    Message(window, MB_OK | MB_ICONEXCLAMATION, kMessageNameRefused, Resource(kStringName).c_str(), 14, 14, 7, 7);
    SendDlgItemMessageW(window, kCustomNameEdit, EM_UNDO, 0, 0);
    SetFocus(GetDlgItem(window, kCustomNameEdit));
    s.messageShown = false;
    return 0;
}

// The widths, lengths or names into both records; the printer's stored record
// is written back once all were set.
bool StoreSettings(HWND window, const CustomPaperState& s, bool sizes)
{
    void* settings = nullptr;
    void* printerSettings = nullptr;
    const UiContext* ui = GetWindowUiContext(window);
    if (!ui || !GetDialogSettings(window, &settings, &printerSettings))
        return false;
    uint32_t size = 0;
    ReadPrinterDataTable(ui->printer, kPrinterSettingsTable, nullptr, &size);
    std::vector<uint8_t> stored(size);
    const bool haveStored = size > 0 && ReadPrinterDataTable(ui->printer, kPrinterSettingsTable, stored.data(), &size);
    for (int n = 0; n < kCustomPaperCount; ++n) {
        for (uint8_t* record : {static_cast<uint8_t*>(printerSettings), haveStored ? stored.data() : nullptr}) {
            if (!record)
                continue;
            int failed = 0;
            if (sizes) {
                failed |= SetFunctionIdValueArgs(settings, record, static_cast<uint16_t>(kFidUserPaperWidthFirst + n),
                                                 kTypeU16, 2, s.entries[n].width);
                failed |= SetFunctionIdValueArgs(settings, record, static_cast<uint16_t>(kFidUserPaperLengthFirst + n),
                                                 kTypeU16, 2, s.entries[n].length);
            } else {
                wchar_t name[kNameSettingBytes / sizeof(wchar_t)] = {};
                lstrcpynW(name, s.names[n], static_cast<int>(std::size(name)));
                failed |= SetFunctionIdValueArgs(settings, record, static_cast<uint16_t>(kFidUserPaperNameFirst + n),
                                                 kTypeString, kNameSettingBytes, name);
            }
            // A failed store leaves the remaining entries and the stored record alone.
            if (failed)
                return false;
        }
    }
    if (!haveStored)
        return true;
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!ui->printerName || !OpenPrinterW(ui->printerName, &printer, &access))
        return false;
    const int written = WritePrinterDataTable(printer, stored.data(), size, kPrinterSettingsTable);
    ClosePrinter(printer);
    return written != 0;
}

void OnOk(HWND window, CustomPaperState& s)
{
    HWND focus = GetFocus();
    const int32_t focused = focus ? GetDlgCtrlID(focus) : 0;
    if ((focused == kCustomWidthEdit || focused == kCustomLengthEdit) && !CommitSize(window, s, focused))
        return;
    if (focused == kCustomNameEdit && !CommitName(window, s))
        return;
    if (!CheckOrder(window, s))
        return;
    if (s.writable) {
        const UiContext* ui = GetWindowUiContext(window);
        HANDLE printer = nullptr;
        PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
        if (ui && ui->printerName && OpenPrinterW(ui->printerName, &printer, &access)) {
            WriteCustomPaperForms(printer, s.entries);
            ClosePrinter(printer);
            StoreSettings(window, s, true);
        }
    }
    StoreSettings(window, s, false);
    FreeState(window);
    EndDialog(window, IDOK);
}

void OnReset(HWND window, CustomPaperState& s)
{
    for (int n = 0; n < kCustomPaperCount; ++n) {
        if (s.writable) {
            s.entries[n].width = kUnreadFormWidth;
            s.entries[n].length = kUnreadFormLength;
        }
        DefaultName(n, s.names[n]);
    }
    const UiContext* ui = GetWindowUiContext(window);
    s.unit = ui && ui->localeUnit == 1 ? kUnitInch : kUnitMillimetre;
    s.selected = 0;
    FillCustomPaperList(window, s);
    ShowRanges(window, s);
    ShowEntry(window, s);
}

void OnUpDown(HWND window, CustomPaperState& s, const NMUPDOWN* change)
{
    const bool width = change->hdr.idFrom == static_cast<UINT_PTR>(kCustomWidthUpDown);
    const int32_t edit = width ? kCustomWidthEdit : kCustomLengthEdit;
    CustomPaperEntry& e = s.entries[s.selected];
    uint16_t& stored = width ? e.width : e.length;
    const uint16_t minimum = width ? s.limits.minWidth : s.limits.minLength;
    const uint16_t maximum = width ? s.limits.maxWidth : s.limits.maxLength;
    wchar_t text[32] = {};
    GetDlgItemTextW(window, edit, text, static_cast<int>(std::size(text)));
    int32_t shown = 0;
    if (!ParseCustomSizeText(text, s.decimalSign, s.unit, &shown))
        shown = s.unit == kUnitInch ? TenthsMmToHundredthsInch(stored) : stored;
    // The up arrow makes the value larger.
    shown -= change->iDelta;
    int32_t low = 0, high = 0;
    ShownCustomRange(minimum, maximum, s.unit, s.tenthsOfInch, &low, &high);
    shown = shown < low ? low : shown > high ? high : shown;
    int32_t value = s.unit == kUnitInch ? HundredthsInchToTenthsMm(shown) : shown;
    value = value < minimum ? minimum : value > maximum ? maximum : value;
    stored = static_cast<uint16_t>(value);
    s.messageShown = true;
    SetDlgItemTextW(window, edit, Shown(s, stored).c_str());
    s.messageShown = false;
    FillCustomPaperList(window, s);
}

INT_PTR OnCommand(HWND window, CustomPaperState& s, WPARAM wParam)
{
    const int32_t id = LOWORD(wParam);
    const UINT note = HIWORD(wParam);
    switch (id) {
    case kCustomPaperList:
        if (note == LBN_SELCHANGE) {
            const int32_t row = static_cast<int32_t>(SendDlgItemMessageW(window, id, LB_GETCURSEL, 0, 0));
            if (row < 0 || row == s.selected)
                return TRUE;
            if (!CheckOrder(window, s)) {
                SendDlgItemMessageW(window, id, LB_SETCURSEL, s.selected, 0);
                return TRUE;
            }
            s.selected = row;
            ShowEntry(window, s);
        }
        return TRUE;
    case kCustomWidthEdit:
    case kCustomLengthEdit:
        if (note == EN_KILLFOCUS && !s.messageShown && s.writable)
            CommitSize(window, s, id);
        return TRUE;
    case kCustomNameEdit:
        if (note == EN_CHANGE && !s.messageShown) {
            wchar_t text[kListNameChars + 1] = {};
            GetDlgItemTextW(window, id, text, static_cast<int>(std::size(text)));
            CutDisplayName(text);
            lstrcpynW(s.names[s.selected], IsWindowEnabled(GetDlgItem(window, id)) ? text : L"", kListNameChars + 1);
            FillCustomPaperList(window, s);
        } else if (note == EN_KILLFOCUS && !s.messageShown) {
            CommitName(window, s);
        }
        return TRUE;
    case kCustomMillimetreButton:
    case kCustomInchButton:
        if (note == BN_CLICKED) {
            s.unit = id == kCustomInchButton ? kUnitInch : kUnitMillimetre;
            ShowRanges(window, s);
            ShowEntry(window, s);
            FillCustomPaperList(window, s);
        }
        return TRUE;
    case kCustomResetButton:
        OnReset(window, s);
        return TRUE;
    case kCustomOkButton:
        OnOk(window, s);
        return TRUE;
    case kCustomCancelButton:
    case IDCANCEL:
        FreeState(window);
        EndDialog(window, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR PassToEngine(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    SlotHandler handler = nullptr;
    int32_t slot = -1;
    if (!FindMessageHandler(message, wParam, lParam, kDialogTypeModal, &handler, &slot))
        return FALSE;
    return CallMessageHandler(window, message, wParam, lParam, kCustomPaperCode, kDialogTypeModal, handler);
}

INT_PTR InitCustomPaperDialog(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    CustomPaperState* s = BuildState(window);
    if (!s || !SetPropW(window, kStateProperty, s)) {
        if (s)
            GlobalFree(s);
        EndDialog(window, IDCANCEL);
        return FALSE;
    }
    const int tabs[] = {70, 120};
    SendDlgItemMessageW(window, kCustomPaperList, LB_SETTABSTOPS, 2, reinterpret_cast<LPARAM>(tabs));
    SendDlgItemMessageW(window, kCustomWidthEdit, EM_LIMITTEXT, 20, 0);
    SendDlgItemMessageW(window, kCustomLengthEdit, EM_LIMITTEXT, 20, 0);
    SendDlgItemMessageW(window, kCustomNameEdit, EM_LIMITTEXT, kDisplayNameBytes, 0);
    for (int32_t id : {kCustomWidthUpDown, kCustomLengthUpDown})
        SendDlgItemMessageW(window, id, UDM_SETRANGE32, 0, 1000);
    PassToEngine(window, message, wParam, lParam);
    FillCustomPaperList(window, *s);
    ShowRanges(window, *s);
    ShowEntry(window, *s);
    ApplyWriteRights(window, *s);
    return TRUE;
}

constexpr int32_t kNoLockedControls[] = {kNoControl};
const ItemTableHeader kCustomPaperTable = {nullptr, 0, kPageHelpTopic, nullptr, kNoLockedControls, 0};

}  // namespace

const PageDescriptor CustomPaperDialog = {kCustomPaperCode, &kCustomPaperTable, nullptr};

INT_PTR CALLBACK CustomPaperDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return InitCustomPaperDialog(window, message, wParam, lParam);
    CustomPaperState* s = StateOf(window);
    if (message == WM_COMMAND && s && OnCommand(window, *s, wParam))
        return TRUE;
    if (message == WM_NOTIFY && s && lParam && reinterpret_cast<const NMHDR*>(lParam)->code == UDN_DELTAPOS) {
        OnUpDown(window, *s, reinterpret_cast<const NMUPDOWN*>(lParam));
        SetWindowLongPtrW(window, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    if (message == WM_DESTROY)
        FreeState(window);
    return PassToEngine(window, message, wParam, lParam);
}
