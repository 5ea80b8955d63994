// The control kinds' routines for the font substitution list and the font
// settings of a dialog's font.
#include "ui/controls/item_callbacks.h"

#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/store/pair_list.h"
#include "ui/controls/kind_handlers.h"
#include "ui/support/font_faces.h"

#include <cstring>
#include <cwchar>

namespace {

constexpr wchar_t kStateProperty[] = L"MorvaFontListState";
constexpr int32_t kFontList = 1223;
constexpr int32_t kSubstituteCombo = 1268;
constexpr size_t kRowChars = 2 * LF_FACESIZE + 2;

wchar_t* CopyText(const wchar_t* text)
{
    const size_t bytes = (std::wcslen(text) + 1) * sizeof(wchar_t);
    auto* copy = static_cast<wchar_t*>(GlobalAlloc(GPTR, bytes));
    if (copy)
        std::memcpy(copy, text, bytes);
    return copy;
}

}  // namespace

FontListState* GetFontListState(HWND dialog)
{
    return static_cast<FontListState*>(GetPropW(dialog, kStateProperty));
}

int AttachFontListState(HWND dialog, FontListState* state)
{
    return SetPropW(dialog, kStateProperty, state) ? 1 : 0;
}

void FreeFontListState(HWND dialog)
{
    FontListState* state = static_cast<FontListState*>(RemovePropW(dialog, kStateProperty));
    if (!state)
        return;
    if (state->substitutes && state->families)
        for (uint32_t i = 0; i < state->rows; ++i)
            if (state->substitutes[i])
                GlobalFree(state->substitutes[i]);
    if (state->substitutes)
        GlobalFree(state->substitutes);
    if (state->faces)
        GlobalFree(state->faces);
    if (state->choices)
        GlobalFree(state->choices);
    if (state->table)
        GlobalFree(state->table);
    FreeFontFamilyList(state->families);
    GlobalFree(state);
}

int UpdateFontSubstitutionRow(HWND window, FontListState* table, int32_t row, bool enable)
{
    HWND list = GetDlgItem(window, kFontList);
    HWND combo = GetDlgItem(window, kSubstituteCombo);
    if (!table || !table->families || !list || !combo || row < 0 ||
        static_cast<uint32_t>(row) >= table->rows)
        return 0;
    const uint16_t choice = table->choices[row];
    wchar_t chosen[LF_FACESIZE + 1] = {};
    if (SendMessageW(combo, CB_GETLBTEXTLEN, choice, 0) > LF_FACESIZE ||
        SendMessageW(combo, CB_GETLBTEXT, choice, reinterpret_cast<LPARAM>(chosen)) == CB_ERR)
        return 0;
    const wchar_t* face = table->faces[row];
    const wchar_t* device =
        choice > 0 && choice <= table->families->modelCount ? table->families->modelNames[choice - 1] : nullptr;
    uint32_t bytes = 0;
    wchar_t* changed = SetPairListValue(table->table, table->tableBytes, face, device, &bytes);
    if (!changed)
        return 0;
    GlobalFree(table->table);
    table->table = changed;
    table->tableBytes = bytes;
    wchar_t* substitute = CopyText(chosen);
    if (!substitute)
        return 0;
    if (table->substitutes[row])
        GlobalFree(table->substitutes[row]);
    table->substitutes[row] = substitute;
    wchar_t text[kRowChars] = {};
    std::swprintf(text, kRowChars, L"%ls\t%ls", face, substitute);
    SendMessageW(list, LB_DELETESTRING, row, 0);
    SendMessageW(list, LB_INSERTSTRING, row, reinterpret_cast<LPARAM>(text));
    SendMessageW(list, LB_SETITEMDATA, row, choice);
    return SelectFontSubstitutionRow(window, row, enable);
}

uint32_t OnFontListCancel(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                          const void* parameters)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)
        FreeFontListState(GetCallWindow(call));
    return OnPushButtonItem(call, message, wParam, lParam, item, parameters);
}

uint32_t OnFontListClose(CallContext* call, UINT message, WPARAM wParam, LPARAM, const ItemRecord*, const void*)
{
    if (message != WM_COMMAND)
        return 0;
    HWND window = GetCallWindow(call);
    FreeFontListState(window);
    EndDialog(window, LOWORD(wParam));
    return 1;
}

int BuildFontSettings(HWND window, uint16_t* ids, int32_t* count, void* settings, void* printerSettings, int mode)
{
    if (!ids || !count || (mode != 1 && mode != 2))
        return 0;
    *count = 0;
    HFONT font = window ? reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)) : nullptr;
    if (!font)
        font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW record{};
    if (!font || GetObjectW(font, sizeof record, &record) != sizeof record)
        return 0;
    const uint16_t face = mode == 1 ? 49 : 102;
    const uint16_t firstByte = mode == 1 ? 56 : 109;
    const uint16_t weight = mode == 1 ? 63 : 116;
    // The face setting holds 64 bytes: the 32 characters of lfFaceName.
    static_assert(sizeof record.lfFaceName == 64);
    if (SetFunctionIdValueArgs(settings, printerSettings, face, kTypeString, sizeof record.lfFaceName,
                               record.lfFaceName) != 0)
        return 0;
    ids[(*count)++] = face;
    const uint8_t bytes[] = {record.lfItalic,     record.lfUnderline,     record.lfStrikeOut, record.lfCharSet,
                             record.lfOutPrecision, record.lfClipPrecision, record.lfQuality};
    for (size_t i = 0; i < sizeof bytes; ++i) {
        const uint16_t id = static_cast<uint16_t>(firstByte + i);
        if (SetFunctionIdValueArgs(settings, printerSettings, id, kTypeByte, 1, bytes[i]) != 0)
            return 0;
        ids[(*count)++] = id;
    }
    if (SetFunctionIdValueArgs(settings, printerSettings, weight, kTypeS32, 4, record.lfWeight) != 0)
        return 0;
    ids[(*count)++] = weight;
    return 1;
}
