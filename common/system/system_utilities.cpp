#include "common/system/system_utilities.h"

#include "common/system/os_version.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

#include <cstdlib>

int BoundedWideLength(const wchar_t* text, int maximum)
{
    if (text == nullptr || maximum <= 0)
        return 0;
    int length = 0;
    while (length < maximum && text[length] != L'\0')
        ++length;
    return length;
}

size_t BoundedStrLen(const char* text, size_t maximum)
{
    if (text == nullptr)
        return 0;
    size_t length = 0;
    while (length < maximum && text[length] != '\0')
        ++length;
    return length;
}

void BoundedWideCopy(wchar_t* out, const wchar_t* text, size_t count)
{
    if (out == nullptr || count == 0)
        return;
    size_t length = 0;
    while (text != nullptr && length + 1 < count && text[length] != L'\0')
        ++length;
    if (length != 0)
        wmemcpy(out, text, length);
    wmemset(out + length, L'\0', count - length);
}

int32_t TenthMmToHundredthInch(int32_t value)
{
    const int64_t magnitude = (std::llabs(static_cast<int64_t>(value)) * 1000 / 254 + 5) / 10;
    return static_cast<int32_t>(value < 0 ? -magnitude : magnitude);
}

int32_t HundredthInchToTenthMm(int32_t value)
{
    const int64_t magnitude = (std::llabs(static_cast<int64_t>(value)) * 254 / 10 + 5) / 10;
    return static_cast<int32_t>(value < 0 ? -magnitude : magnitude);
}

int SplitHundredths(int tenthsOnly, uint16_t value, uint16_t* high, uint16_t* low)
{
    if (high == nullptr || low == nullptr)
        return 0;
    *high = value / 100;
    *low = tenthsOnly ? (value % 100) / 10 : value % 100;
    return 1;
}

void RgbToGrayBytes(const uint8_t* source, uint8_t* destination, int pixelsPerRow, int rows)
{
    if (source == nullptr || destination == nullptr || pixelsPerRow <= 0 || rows <= 0)
        return;
    const int64_t pixels = static_cast<int64_t>(pixelsPerRow) * rows;
    for (int64_t i = 0; i < pixels; ++i, source += 3) {
        if (source[0] == source[1] && source[1] == source[2])
            destination[i] = source[0];
        else
            destination[i] = static_cast<uint8_t>(((source[0] + source[2]) * 85 + source[1] * 86) >> 8);
    }
}

uint32_t GetBlockSize(const void* block)
{
    if (block == nullptr || IsOsVersion60OrLater())
        return 0;
    HGLOBAL handle = GlobalHandle(block);
    return handle != nullptr ? static_cast<uint32_t>(GlobalSize(handle)) : 0;
}

int IsFileOlderThan(const wchar_t* path, uint32_t seconds)
{
    if (path == nullptr)
        return 0;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(path, &data);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(find);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const ULARGE_INTEGER written = {{data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime}};
    const ULARGE_INTEGER current = {{now.dwLowDateTime, now.dwHighDateTime}};
    if (written.QuadPart >= current.QuadPart)
        return 0;
    return current.QuadPart - written.QuadPart >= static_cast<uint64_t>(seconds) * 10000000ull ? 1 : 0;
}

int ClearOutValue(uint32_t* out)
{
    if (out == nullptr)
        return 0;
    *out = 0;
    return 1;
}

void* ReallocGlobalCopy(void* block, size_t bytes)
{
    void* fresh = GlobalAlloc(GPTR, bytes);
    if (fresh == nullptr || block == nullptr)
        return fresh;
    // GPTR blocks are fixed: the pointer is its own handle.
    const size_t old = GlobalSize(block);
    std::memcpy(fresh, block, std::min(old, bytes));
    GlobalFree(block);
    return fresh;
}

wchar_t* CopyTextToGlobal(const wchar_t* text, size_t length)
{
    auto* copy = static_cast<wchar_t*>(GlobalAlloc(GPTR, (length + 1) * sizeof(wchar_t)));
    if (copy != nullptr && length != 0 && text != nullptr)
        wmemcpy(copy, text, length);
    return copy;
}
