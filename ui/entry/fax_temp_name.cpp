#include "ui/entry/fax_temp_name.h"

#include <cwchar>

namespace {

using DirectoryFn = UINT (*)(wchar_t* buffer, UINT chars);

UINT TempDirectory(wchar_t* buffer, UINT chars)
{
    return GetTempPathW(chars, buffer);
}
UINT WindowsDirectory(wchar_t* buffer, UINT chars)
{
    return GetWindowsDirectoryW(buffer, chars);
}
UINT SystemDirectory(wchar_t* buffer, UINT chars)
{
    return GetSystemDirectoryW(buffer, chars);
}
UINT CurrentDirectory(wchar_t* buffer, UINT chars)
{
    return GetCurrentDirectoryW(chars, buffer);
}

// In the order they are tried.
constexpr DirectoryFn kDirectories[] = {TempDirectory, WindowsDirectory, SystemDirectory, CurrentDirectory};

}  // namespace

void MakeFaxTempFileName(wchar_t* buffer, int kind)
{
    if (!buffer)
        return;
    wchar_t directory[MAX_PATH] = {};
    for (DirectoryFn find : kDirectories) {
        const UINT length = find(directory, MAX_PATH);
        if (length != 0 && length < MAX_PATH)
            break;
        directory[0] = L'\0';
    }
    if (directory[0] != L'\0' && GetTempFileNameW(directory, L"ZQF", 0, buffer) != 0)
        return;
    std::wcscpy(buffer, kind == kFaxTempPrintTime ? L"c:\\zqfot.tmp" : L"c:\\zqfdp.tmp");
}
