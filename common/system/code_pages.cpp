#include "common/system/code_pages.h"

#include "common/system/system_utilities.h"

#include <cstring>
#include <cwchar>

namespace {

// Bytes the text takes in the code page, terminator excluded; -1 when the code
// page cannot convert it.
int MeasureWide(UINT codePage, const wchar_t* text)
{
    const size_t length = wcslen(text);
    if (length == 0)
        return 0;
    if (length > INT32_MAX / 4)
        return -1;
    const int bytes = WideCharToMultiByte(codePage, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    return bytes > 0 ? bytes : -1;
}

int MeasureMultiByte(UINT codePage, const char* text)
{
    if (text[0] == '\0')
        return 0;
    const int units = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    return units > 0 ? units - 1 : -1;
}

}  // namespace

UINT GetEffectiveCodePage(UINT codePage)
{
    CPINFO info;
    return GetCPInfo(codePage, &info) ? codePage : GetACP();
}

int WideToMultiByte(UINT codePage, const wchar_t* text, char* output, int outputSize)
{
    if (text == nullptr || outputSize < 0 || (output == nullptr && outputSize > 0))
        return kWideBadArgument;
    const int measured = MeasureWide(codePage, text);
    if (measured < 0)
        return kWideNotConverted;
    if (outputSize == 0)
        return measured + 1;
    if (outputSize < measured + 1)
        return kWideNotConverted;
    if (measured > 0
        && WideCharToMultiByte(codePage, 0, text, static_cast<int>(wcslen(text)), output, measured, nullptr, nullptr)
               != measured)
        return kWideNotConverted;
    output[measured] = '\0';
    return measured;
}

int MultiByteToWide(UINT codePage, wchar_t* output, const char* text, int outputSizeChars)
{
    if (text == nullptr)
        return 0;
    const int count = MeasureMultiByte(codePage, text);
    if (count < 0)
        return 0;
    if (outputSizeChars < 1)
        return count;
    if (output == nullptr || outputSizeChars < count + 1)
        return 0;
    if (count > 0 && MultiByteToWideChar(codePage, 0, text, -1, output, count + 1) != count + 1)
        return 0;
    output[count] = L'\0';
    return count;
}

char* AllocWideToMultiByte(UINT codePage, const wchar_t* text, int* length)
{
    if (text == nullptr)
        return nullptr;
    const int size = WideToMultiByte(codePage, text, nullptr, 0);
    if (size < 1)
        return nullptr;
    char* block = static_cast<char*>(GlobalAlloc(GPTR, size));
    if (block == nullptr)
        return nullptr;
    const int written = WideToMultiByte(codePage, text, block, size);
    if (written != size - 1) {
        GlobalFree(block);
        return nullptr;
    }
    if (length != nullptr)
        *length = written;
    return block;
}

wchar_t* AllocMultiByteToWide(UINT codePage, const char* text, int* length)
{
    if (text == nullptr)
        return nullptr;
    const int count = MultiByteToWide(codePage, nullptr, text, 0);
    if (count < 0 || (count == 0 && text[0] != '\0'))
        return nullptr;
    wchar_t* block = static_cast<wchar_t*>(GlobalAlloc(GPTR, (static_cast<size_t>(count) + 1) * sizeof(wchar_t)));
    if (block == nullptr)
        return nullptr;
    if (MultiByteToWide(codePage, block, text, count + 1) != count) {
        GlobalFree(block);
        return nullptr;
    }
    if (length != nullptr)
        *length = count;
    return block;
}

int ConvertWideToMultiByte(const wchar_t* text, char** block, int* length, UINT codePage)
{
    if (text == nullptr || block == nullptr || length == nullptr)
        return 0;
    *block = AllocWideToMultiByte(GetEffectiveCodePage(codePage), text, length);
    return *block != nullptr ? 1 : 0;
}

int ConvertMultiByteToWide(const char* text, wchar_t** block, int* length, UINT codePage)
{
    if (text == nullptr || block == nullptr || length == nullptr)
        return 0;
    int count = 0;
    *block = AllocMultiByteToWide(GetEffectiveCodePage(codePage), text, &count);
    if (*block == nullptr)
        return 0;
    *length = count + 1;
    return 1;
}

int AnsiToWideField(const char* text, wchar_t* field, size_t count)
{
    if (field == nullptr || count == 0)
        return 0;
    wchar_t* wide = text != nullptr ? AllocMultiByteToWide(CP_ACP, text) : nullptr;
    BoundedWideCopy(field, wide, count);
    if (wide != nullptr)
        GlobalFree(wide);
    return static_cast<int>(wcslen(field));
}
