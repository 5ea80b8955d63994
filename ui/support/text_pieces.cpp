#include "ui/support/text_pieces.h"

#include "common/system/global_block.h"
#include "common/system/module_files.h"

#include <cstring>
#include <cwchar>

void AppendStringBounded(wchar_t* text, const wchar_t* addition, int limit)
{
    if (!text || !addition || limit <= 0)
        return;
    const int have = static_cast<int>(wcslen(text));
    const int add = static_cast<int>(wcslen(addition));
    if (have + add < limit)
        std::memcpy(text + have, addition, (static_cast<size_t>(add) + 1) * sizeof(wchar_t));
    else if (have < limit)
        lstrcpynW(text + have, addition, limit - have);
}

int ExtractDelimitedText(wchar_t** out, int* length, const wchar_t* text, wchar_t open, wchar_t close)
{
    if (out)
        *out = nullptr;
    if (!out || !text || wcslen(text) < 2)
        return 0;
    const wchar_t* first = wcschr(text, open);
    const wchar_t* last = wcsrchr(text, close);
    if (!first || !last || last <= first)
        return 0;
    const size_t units = static_cast<size_t>(last - first - 1);
    auto block = AllocGlobalBlock<wchar_t>((units + 1) * sizeof(wchar_t));
    if (!block)
        return 0;
    std::memcpy(block.get(), first + 1, units * sizeof(wchar_t));
    if (length)
        *length = static_cast<int>(units);
    *out = block.release();
    return 1;
}

void CutOptionNameSuffix(wchar_t* name, int mode)
{
    if (!name)
        return;
    wchar_t* open = wcsrchr(name, L'(');
    if (!open)
        return;
    if (mode == kCutBracketedPart) {
        wchar_t* close = wcsrchr(name, L')');
        if (!close || close < open)
            return;
        std::memmove(open, close + 1, (wcslen(close + 1) + 1) * sizeof(wchar_t));
        return;
    }
    const bool longer = open[0] != L'\0';
    *open = L'\0';
    if (mode != kCutSizeTail || !longer || open == name)
        return;
    wchar_t tail[8] = {};
    HMODULE module = GetResourceModule();
    if (module && LoadStringW(module, kStringSizeTail, tail, 8) > 0 && open[-1] == tail[0])
        open[-1] = L'\0';
}

const wchar_t* GetFileNamePart(const wchar_t* path)
{
    if (!path)
        return nullptr;
    const wchar_t* slash = wcsrchr(path, L'\\');
    return slash ? slash + 1 : path;
}
