#include "ui/pages/font_list_dialog.h"

#include "common/context/settings_context.h"
#include "common/store/pair_list.h"
#include "common/system/module_files.h"
#include "ui/controls/control_kinds.h"
#include "ui/controls/item_callbacks.h"
#include "ui/controls/kind_handlers.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/ui_context.h"
#include "ui/support/font_faces.h"

#include <winspool.h>

#include <cstring>
#include <cwchar>
#include <vector>
#include <iterator>

namespace {

struct PrinterCloser {
    HANDLE handle = nullptr;
    ~PrinterCloser()
    {
        if (handle)
            ClosePrinter(handle);
    }
};

bool Editable(HWND window)
{
    const UiContext* ui = GetWindowUiContext(window);
    return ui && ui->permission != 0;
}

int32_t CurrentRow(HWND window)
{
    return static_cast<int32_t>(SendDlgItemMessageW(window, kFontListBox, LB_GETCURSEL, 0, 0));
}

FontListState* BuildState(HWND window)
{
    const UiContext* ui = GetWindowUiContext(window);
    SettingsContext* context = GetUiSettingsContext(ui);
    if (!ui || !context)
        return nullptr;
    auto* state = static_cast<FontListState*>(GlobalAlloc(GPTR, sizeof(FontListState)));
    if (!state)
        return nullptr;
    AttachFontListState(window, state);
    state->families = EnumerateFontFamilyList(context);
    if (!state->families)
        return nullptr;
    const uint32_t rows = state->families->count;
    state->choices = static_cast<uint16_t*>(GlobalAlloc(GPTR, sizeof(uint16_t) * (rows + 1)));
    state->faces = static_cast<const wchar_t**>(GlobalAlloc(GPTR, sizeof(wchar_t*) * (rows + 1)));
    state->substitutes = static_cast<wchar_t**>(GlobalAlloc(GPTR, sizeof(wchar_t*) * (rows + 1)));
    if (!state->choices || !state->faces || !state->substitutes)
        return nullptr;
    // The enumeration lists the families newest first and may name a family
    // once per character set: one row each, in the machine's order.
    std::vector<const wchar_t*> faces;
    for (const FontFamilyNode* node = state->families->first; node; node = node->next) {
        bool seen = false;
        for (const wchar_t* face : faces)
            seen = seen || std::wcscmp(face, node->face) == 0;
        if (!seen)
            faces.push_back(node->face);
    }
    for (size_t i = 0; i < faces.size(); ++i)
        state->faces[i] = faces[faces.size() - 1 - i];
    state->rows = static_cast<uint32_t>(faces.size());
    state->table = GetFontSubstitutionTable(ui->printer, context->main, context->linked, &state->tableBytes);
    return state->table ? state : nullptr;
}

void FillChoiceCombo(HWND window, FontListState* state)
{
    HWND combo = GetDlgItem(window, kFontChoiceBox);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    wchar_t none[64] = {};
    LoadStringW(GetResourceModule(), kStringNoSubstitute, none, static_cast<int>(std::size(none)));
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(none));
    for (uint32_t i = 0; i < state->families->modelCount; ++i)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(state->families->modelNames[i]));
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    MatchFontSubstitutions(state);
}

void FillList(HWND window, FontListState* state)
{
    HWND list = GetDlgItem(window, kFontListBox);
    wchar_t column[16] = {};
    int tab = 0;
    if (GetDlgItemTextW(window, kFontColumnText, column, static_cast<int>(std::size(column))) > 0)
        tab = static_cast<int>(std::wcstol(column, nullptr, 10));
    if (tab > 0) {
        RECT units = {tab, 0, 0, 0};
        MapDialogRect(window, &units);
        RECT listRect{};
        GetWindowRect(list, &listRect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&listRect), 2);
        HWND second = GetDlgItem(window, kFontSubstituteHeader);
        RECT header{};
        GetWindowRect(second, &header);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&header), 2);
        // The header sits over its column, overlapping the first by 2 pixels.
        SetWindowPos(second, nullptr, listRect.left + units.left - 2, header.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    if (tab > 0)
        SendMessageW(list, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tab));
    HWND combo = GetDlgItem(window, kFontChoiceBox);
    for (uint32_t row = 0; row < state->rows; ++row) {
        wchar_t substitute[LF_FACESIZE + 1] = {};
        SendMessageW(combo, CB_GETLBTEXT, state->choices[row], reinterpret_cast<LPARAM>(substitute));
        if (state->substitutes[row])
            GlobalFree(state->substitutes[row]);
        const size_t bytes = (std::wcslen(substitute) + 1) * sizeof(wchar_t);
        state->substitutes[row] = static_cast<wchar_t*>(GlobalAlloc(GPTR, bytes));
        if (state->substitutes[row])
            std::memcpy(state->substitutes[row], substitute, bytes);
        wchar_t text[2 * LF_FACESIZE + 2] = {};
        std::swprintf(text, std::size(text), L"%ls\t%ls", state->faces[row], substitute);
        const LRESULT at = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        SendMessageW(list, LB_SETITEMDATA, at, state->choices[row]);
    }
    SelectFontSubstitutionRow(window, 0, Editable(window));
}

INT_PTR InitFontListDialog(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    FontListState* state = BuildState(window);
    if (!state) {
        FreeFontListState(window);
        EndDialog(window, IDCANCEL);
        return FALSE;
    }
    FillChoiceCombo(window, state);
    FillList(window, state);
    SlotHandler handler = nullptr;
    int32_t slot = -1;
    if (!FindMessageHandler(message, wParam, lParam, kDialogTypeModal, &handler, &slot))
        return TRUE;
    return CallMessageHandler(window, message, wParam, lParam, kFontListCode, kDialogTypeModal, handler);
}

// --- Item handlers ------------------------------------------------------------------------

uint32_t OnFontListNotify(CallContext* call, UINT message, WPARAM wParam, LPARAM, const ItemRecord*, const void*)
{
    HWND window = GetCallWindow(call);
    FontListState* state = GetFontListState(window);
    if (message != WM_COMMAND || !state)
        return 0;
    const int32_t row = CurrentRow(window);
    if (row < 0 || static_cast<uint32_t>(row) >= state->rows)
        return 0;
    const bool editable = Editable(window);
    if (HIWORD(wParam) == LBN_SELCHANGE) {
        SelectFontSubstitutionRow(window, row, editable);
    } else if (HIWORD(wParam) == LBN_DBLCLK && editable) {
        // The next device font, and after the last one none again.
        state->choices[row] = static_cast<uint16_t>((state->choices[row] + 1) % (state->families->modelCount + 1));
        SendDlgItemMessageW(window, kFontChoiceBox, CB_SETCURSEL, state->choices[row], 0);
        UpdateFontSubstitutionRow(window, state, row, editable);
    }
    return 1;
}

uint32_t OnFontChoiceChange(CallContext* call, UINT message, WPARAM wParam, LPARAM, const ItemRecord*, const void*)
{
    HWND window = GetCallWindow(call);
    FontListState* state = GetFontListState(window);
    if (message != WM_COMMAND || HIWORD(wParam) != CBN_SELCHANGE || !state)
        return 0;
    const int32_t row = CurrentRow(window);
    const LRESULT choice = SendDlgItemMessageW(window, kFontChoiceBox, CB_GETCURSEL, 0, 0);
    if (row < 0 || choice < 0)
        return 0;
    state->choices[row] = static_cast<uint16_t>(choice);
    UpdateFontSubstitutionRow(window, state, row, Editable(window));
    return 1;
}

uint32_t OnFontListDefault(CallContext* call, UINT message, WPARAM, LPARAM, const ItemRecord*, const void*)
{
    HWND window = GetCallWindow(call);
    FontListState* state = GetFontListState(window);
    SettingsContext* context = GetUiSettingsContext(GetWindowUiContext(window));
    if (message != WM_COMMAND || !state || !context)
        return 0;
    SetFocus(GetDlgItem(window, kFontListBox));
    uint32_t bytes = 0;
    wchar_t* model = BuildFontSubstitutionList(context->main, context->linked, &bytes);
    if (!model)
        return 0;
    GlobalFree(state->table);
    state->table = model;
    state->tableBytes = bytes;
    MatchFontSubstitutions(state);
    FillList(window, state);
    return 1;
}

uint32_t OnFontListOk(CallContext* call, UINT message, WPARAM wParam, LPARAM, const ItemRecord*, const void*)
{
    HWND window = GetCallWindow(call);
    if (message != WM_COMMAND)
        return 0;
    const UiContext* ui = GetWindowUiContext(window);
    FontListState* state = GetFontListState(window);
    PrinterCloser printer;
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    // Without write access the edit is dropped, as the spooler would refuse it.
    if (state && ui && ui->printerName && OpenPrinterW(ui->printerName, &printer.handle, &access))
        StoreFontSubstitutionTable(printer.handle, state->table, state->tableBytes);
    FreeFontListState(window);
    EndDialog(window, LOWORD(wParam));
    return 1;
}

constexpr ButtonParams kCancelAction = {kActionCancel, nullptr};
const ItemRecord kFontListRecords[] = {
    {kFontListBox, -1, nullptr, kKindNone, OnFontListNotify, nullptr, kNoControl, kNoControl, nullptr},
    {kFontChoiceBox, -1, nullptr, kKindNone, OnFontChoiceChange, nullptr, kNoControl, kNoControl, nullptr},
    {kFontDefaultButton, -1, nullptr, kKindNone, OnFontListDefault, nullptr, kNoControl, kNoControl, nullptr},
    {IDOK, -1, nullptr, kKindNone, OnFontListOk, nullptr, kNoControl, kNoControl, nullptr},
    {IDCANCEL, 0, nullptr, kKindPushButton, OnFontListCancel, &kCancelAction, kNoControl, kNoControl, nullptr},
    {1308, -1, nullptr, kKindNone, OnFontListClose, nullptr, kNoControl, kNoControl, nullptr},
};
constexpr int32_t kNoLockedControls[] = {kNoControl};
const ItemTableHeader kFontListTable = {kFontListRecords, static_cast<uint32_t>(std::size(kFontListRecords)),
                                        kPageHelpTopic, nullptr, kNoLockedControls, 0};

}  // namespace

const PageDescriptor FontListDialog = {kFontListCode, &kFontListTable, nullptr};

void MatchFontSubstitutions(FontListState* state)
{
    if (!state || !state->families)
        return;
    for (uint32_t row = 0; row < state->rows; ++row) {
        state->choices[row] = 0;
        const wchar_t* value = FindPairListValue(state->table, state->tableBytes, state->faces[row]);
        if (!value)
            continue;
        for (uint32_t i = 0; i < state->families->modelCount; ++i)
            if (std::wcscmp(value, state->families->modelNames[i]) == 0) {
                state->choices[row] = static_cast<uint16_t>(i + 1);
                break;
            }
    }
}

INT_PTR CALLBACK FontListDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return InitFontListDialog(window, message, wParam, lParam);
    if (message == WM_DESTROY)
        FreeFontListState(window);
    SlotHandler handler = nullptr;
    int32_t slot = -1;
    if (!FindMessageHandler(message, wParam, lParam, kDialogTypeModal, &handler, &slot))
        return FALSE;
    return CallMessageHandler(window, message, wParam, lParam, kFontListCode, kDialogTypeModal, handler);
}
