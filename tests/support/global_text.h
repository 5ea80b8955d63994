// Text handed out in a global block, taken over by a test: the block is freed and
// its text kept; "<null>" stands for no block, so that a comparison shows it.
#pragma once
#include <windows.h>

#include <string>

inline std::wstring TakeGlobalText(wchar_t* block)
{
    if (block == nullptr)
        return L"<null>";
    std::wstring text(block);
    GlobalFree(block);
    return text;
}
