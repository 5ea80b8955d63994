#include "common/job/ansi_text.h"

#include "common/system/code_pages.h"

#include <cstring>

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
