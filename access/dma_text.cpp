#include "access/dma_text.h"

#include "common/system/code_pages.h"

#include <cstring>
#include <cwchar>

bool AnsiFromWideField(const wchar_t* field, size_t units, std::string* ansi)
{
    const std::wstring wide(field, wcsnlen(field, units));
    if (wide.empty()) {
        ansi->clear();
        return true;
    }
    const int needed = WideToMultiByte(0, wide.c_str(), nullptr, 0);
    if (needed <= 1)
        return false;
    ansi->assign(static_cast<size_t>(needed), '\0');
    if (WideToMultiByte(0, wide.c_str(), ansi->data(), needed) != needed - 1)
        return false;
    ansi->resize(static_cast<size_t>(needed - 1));
    return true;
}

bool WideFromAnsi(const char* text, size_t bytes, std::wstring* wide)
{
    const std::string ansi(text, strnlen(text, bytes));
    if (ansi.empty()) {
        wide->clear();
        return true;
    }
    const int count = MultiByteToWide(0, nullptr, ansi.c_str(), 0);
    if (count < 1)
        return false;
    wide->assign(static_cast<size_t>(count) + 1, L'\0');
    if (MultiByteToWide(0, wide->data(), ansi.c_str(), count + 1) != count)
        return false;
    wide->resize(static_cast<size_t>(count));
    return true;
}

bool StoreWideField(const std::wstring& text, wchar_t* field, size_t units)
{
    if (text.size() + 1 > units)
        return false;
    std::memset(field, 0, units * sizeof(wchar_t));
    std::memcpy(field, text.data(), text.size() * sizeof(wchar_t));
    return true;
}
