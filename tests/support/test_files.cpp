#include "tests/support/test_files.h"

#include <windows.h>

std::wstring BesideTestProgram(const std::wstring& name)
{
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring path(self);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
}

std::wstring SystemDirectoryFile(const std::wstring& name)
{
    wchar_t directory[MAX_PATH] = {};
    GetSystemDirectoryW(directory, MAX_PATH);
    return std::wstring(directory) + L"\\" + name;
}
