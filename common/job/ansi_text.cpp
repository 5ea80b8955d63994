#include "common/job/ansi_text.h"

#include "common/system/code_pages.h"

#include <cstring>
#include <vector>

uint32_t AnsiPrefixBytes(UINT codePage, const char* text, uint32_t length, uint32_t limit)
{
    uint32_t kept = 0;
    while (kept < length) {
        const uint32_t step =
            IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[kept])) && kept + 1 < length ? 2 : 1;
        if (kept + step > limit)
            break;
        kept += step;
    }
    return kept;
}

int WideToAnsiCut(const wchar_t* text, char* out, uint32_t limit)
{
    if (out == nullptr)
        return 0;
    out[0] = '\0';
    int length = 0;
    char* ansi = text != nullptr ? AllocWideToMultiByte(CP_ACP, text, &length) : nullptr;
    if (ansi == nullptr)
        return 0;
    const uint32_t kept = AnsiPrefixBytes(GetACP(), ansi, static_cast<uint32_t>(length), limit);
    std::memcpy(out, ansi, kept);
    out[kept] = '\0';
    GlobalFree(ansi);
    return 1;
}

int WideCutToAnsiLimit(const wchar_t* text, uint32_t limit, wchar_t* out, size_t room)
{
    if (out == nullptr || room == 0)
        return 0;
    out[0] = L'\0';
    if (text == nullptr || limit >= 0x7FFFFFFF)
        return 0;
    std::vector<char> ansi(size_t(limit) + 1);
    if (!WideToAnsiCut(text, ansi.data(), limit))
        return 0;
    const int units = MultiByteToWideChar(CP_ACP, 0, ansi.data(), -1, nullptr, 0);
    if (units <= 0)
        return 0;
    std::vector<wchar_t> wide(static_cast<size_t>(units));
    if (MultiByteToWideChar(CP_ACP, 0, ansi.data(), -1, wide.data(), units) <= 0)
        return 0;
    // A field shorter than the text keeps whole surrogate pairs only.
    size_t n = 0;
    while (wide[n] != L'\0' && n + 1 < room) {
        const bool pair = wide[n] >= 0xD800 && wide[n] <= 0xDBFF;
        if (pair && n + 2 >= room)
            break;
        out[n] = wide[n];
        ++n;
        if (pair && wide[n] != L'\0') {
            out[n] = wide[n];
            ++n;
        }
    }
    out[n] = L'\0';
    return 1;
}
