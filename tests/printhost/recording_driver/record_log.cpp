#include "tests/printhost/recording_driver/record_log.h"

#include <windows.h>

#include <cstdio>

void RecordLine(const std::string& line)
{
    wchar_t path[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"PRINTHOST_RECORD_LOG", path, MAX_PATH)) return;
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(file);
}

std::string Hex(unsigned long value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof(buffer), "0x%lx", value);
    return buffer;
}

std::string Narrow(const wchar_t* text)
{
    if (!text) return "(null)";
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out;
}

bool Asked(const wchar_t* name)
{
    wchar_t value[8] = {};
    return GetEnvironmentVariableW(name, value, 8) > 0 && value[0] == L'1';
}
