// Stand-in for the device maker's host-name library, for tests only. Its texts
// name what it was given, so a test sees the arguments in the header.
#include "common/job/host_name_lines.h"

#include <cstdio>
#include <cstring>

namespace {

BOOL Put(char* output, DWORD* size, const char* text)
{
    if (output == nullptr || size == nullptr || *size == 0)
        return FALSE;
    const size_t n = std::strlen(text);
    const size_t kept = n < *size ? n : *size - 1;
    std::memcpy(output, text, kept);
    output[kept] = 0;
    *size = static_cast<DWORD>(kept);
    return TRUE;
}

}  // namespace

extern "C" __declspec(dllexport) BOOL DHGetVJCLStringOfNup(int nupCode, char* output, DWORD* size, DWORD* reserved)
{
    char text[32];
    std::snprintf(text, sizeof text, "@NUPC=%d", nupCode);
    if (reserved != nullptr)
        *reserved = 0;
    return Put(output, size, text);
}

extern "C" __declspec(dllexport) BOOL DHGetVJCLStringOfHostAddress(char* output, DWORD* size, char* address,
                                                                   DWORD* addressSize)
{
    Put(address, addressSize, "192.0.2.7");
    return Put(output, size, "@HSAD=192.0.2.7");
}

extern "C" __declspec(dllexport) BOOL DHGetVJCLStringOfHostNameEx(DWORD maxChars, char* output, DWORD* size,
                                                                  DWORD flags, DWORD* reserved)
{
    if (maxChars != 32 || flags != 0)
        return FALSE;
    if (reserved != nullptr)
        *reserved = 0;
    return Put(output, size, "@HSNM=WORKSTATION7");
}

extern "C" __declspec(dllexport) BOOL DHGetVJCLStringOfJobOwnerStringFromUserHostName(
    int mode, const char* userText, int pages, int source, char* output, DWORD* size)
{
    char text[96];
    std::snprintf(text, sizeof text, "@JOHN=%d:%d:%d:%s", mode, pages, source, userText != nullptr ? userText : "");
    return Put(output, size, text);
}

extern "C" __declspec(dllexport) BOOL DHGetVJCLStringOfJobOwnerFromInputA(int mode, const char* userText, int pages,
                                                                          int source, char* output, DWORD* size)
{
    char text[96];
    std::snprintf(text, sizeof text, "@JOIN=%d:%d:%d:%s/%s", mode, pages, source, userText, userText);
    return Put(output, size, text);
}
