#include "ui/support/ansi_limits.h"

#include "common/system/code_pages.h"
#include "common/system/global_block.h"

#include <cwchar>

namespace {

// WC_NO_BEST_FIT_CHARS keeps a character from turning into a look-alike; UTF-8
// takes no such flag and reports bad input by itself.
int Convert(UINT codePage, const wchar_t* text, int units, char* out, int bytes, bool strict)
{
    BOOL usedDefault = FALSE;
    if (codePage == CP_UTF8)
        return WideCharToMultiByte(codePage, strict ? WC_ERR_INVALID_CHARS : 0, text, units, out, bytes, nullptr,
                                   nullptr);
    const int n = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text, units, out, bytes, nullptr,
                                      strict ? &usedDefault : nullptr);
    return strict && usedDefault ? 0 : n;
}

int AllocAnsi(const wchar_t* text, char** out, int* length, UINT codePage, bool strict)
{
    if (out)
        *out = nullptr;
    if (!text || !out)
        return 0;
    const UINT cp = GetEffectiveCodePage(codePage);
    const int units = static_cast<int>(wcslen(text));
    const int bytes = units == 0 ? 0 : Convert(cp, text, units, nullptr, 0, strict);
    if (units > 0 && bytes <= 0)
        return 0;
    auto block = AllocGlobalBlock<char>(static_cast<size_t>(bytes) + 1);
    if (!block)
        return 0;
    if (units > 0 && Convert(cp, text, units, block.get(), bytes, strict) != bytes)
        return 0;
    if (length)
        *length = bytes;
    *out = block.release();
    return 1;
}

int Truncate(uint32_t limit, wchar_t* text, int* cut, UINT codePage, bool strict)
{
    if (cut)
        *cut = 0;
    if (!text)
        return 0;
    char* ansi = nullptr;
    int length = 0;
    if (!AllocAnsi(text, &ansi, &length, codePage, strict))
        return 0;
    GlobalBlockPtr<char> owned(ansi);
    const UINT cp = GetEffectiveCodePage(codePage);
    uint32_t kept = 0;
    while (kept < static_cast<uint32_t>(length)) {
        const uint32_t step = cp != CP_UTF8 && IsDBCSLeadByteEx(cp, static_cast<BYTE>(ansi[kept])) ? 2 : 1;
        if (kept + step > limit)
            break;
        kept += step;
    }
    if (kept >= static_cast<uint32_t>(length))
        return 1;
    // The cut form is never longer than the text it came from.
    const size_t room = wcslen(text) + 1;
    const int units = kept == 0 ? 0 : MultiByteToWideChar(cp, 0, ansi, static_cast<int>(kept), text,
                                                          static_cast<int>(room - 1));
    if (kept > 0 && units <= 0)
        return 0;
    text[units] = L'\0';
    if (cut)
        *cut = 1;
    return 1;
}

}  // namespace

int CopyWideToMultiByteText(const wchar_t* text, char** block, int* length)
{
    return ConvertWideToMultiByte(text, block, length, 0);
}

int CopyMultiByteToWideText(const char* text, wchar_t** block, int* length)
{
    return ConvertMultiByteToWide(text, block, length, 0);
}

int WideToMultiByteAlloc(const wchar_t* text, char** out, int* length, UINT codePage)
{
    return AllocAnsi(text, out, length, codePage, true);
}

int WideToMultiByteAllocLoose(const wchar_t* text, char** out, int* length, UINT codePage)
{
    return AllocAnsi(text, out, length, codePage, false);
}

int CountAnsiTextBytes(const wchar_t* text, UINT codePage)
{
    char* ansi = nullptr;
    int length = 0;
    if (!AllocAnsi(text, &ansi, &length, codePage, false))
        return -1;
    GlobalFree(ansi);
    return length;
}

int TruncateTextToByteLimit(uint32_t limit, wchar_t* text, int* cut, UINT codePage)
{
    return Truncate(limit, text, cut, codePage, true);
}

int TruncateAnsiTextToByteLimit(uint32_t limit, wchar_t* text, int* cut, UINT codePage)
{
    return Truncate(limit, text, cut, codePage, false);
}

int ReadLimitedEditText(HWND dialog, int controlId, uint32_t limit, const wchar_t* fallback, wchar_t** out, int kind,
                        UINT codePage)
{
    if (out)
        *out = nullptr;
    if (kind != kLimitedEdit && kind != kLimitedCombo)
        return kEditTextFailed;
    HWND control = GetDlgItem(dialog, controlId);
    const size_t room = static_cast<size_t>(limit) + 2;
    auto text = AllocGlobalBlock<wchar_t>(room * sizeof(wchar_t));
    if (!text || !control)
        return kEditTextFailed;
    GetWindowTextW(control, text.get(), static_cast<int>(room));
    int cut = 0;
    if (!TruncateTextToByteLimit(limit, text.get(), &cut, codePage)) {
        char* check = nullptr;
        if (fallback && WideToMultiByteAlloc(fallback, &check, nullptr, codePage)) {
            GlobalFree(check);
            SetWindowTextW(control, fallback);
            const LPARAM end = static_cast<LPARAM>(wcslen(fallback));
            SendMessageW(control, kind == kLimitedEdit ? EM_SETSEL : CB_SETEDITSEL, kind == kLimitedEdit ? end : 0,
                         kind == kLimitedEdit ? end : MAKELPARAM(end, end));
        } else if (kind == kLimitedEdit && SendMessageW(control, EM_CANUNDO, 0, 0)) {
            SendMessageW(control, EM_UNDO, 0, 0);
            SendMessageW(control, EM_EMPTYUNDOBUFFER, 0, 0);
        }
        return kEditTextRestored;
    }
    if (cut) {
        SetWindowTextW(control, text.get());
        const LPARAM end = static_cast<LPARAM>(wcslen(text.get()));
        if (kind == kLimitedEdit)
            SendMessageW(control, EM_SETSEL, end, end);
        else
            SendMessageW(control, CB_SETEDITSEL, 0, MAKELPARAM(end, end));
        return kEditTextCut;
    }
    if (kind == kLimitedEdit)
        SendMessageW(control, EM_EMPTYUNDOBUFFER, 0, 0);
    if (out)
        *out = text.release();
    return kEditTextFits;
}
