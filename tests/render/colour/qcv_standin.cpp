// A stand-in for the maker's colour conversion library: it converts by
// inverting every byte, remembers the sum of the bytes it was shown while its
// parameters were made, and logs every call, so that tests see the binding's
// call order and arguments. standin_FailAt makes the named call answer 1.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct Library {
    std::string log;
    std::string failAt;
    uint64_t shownSum = 0;
};
Library g_library;
int g_handle;

void Log(const char* format, unsigned a = 0, unsigned b = 0, unsigned c = 0)
{
    char line[160];
    std::snprintf(line, sizeof line, format, a, b, c);
    g_library.log += line;
    g_library.log += ';';
}

int Answer(const char* name)
{
    return g_library.failAt == name ? 1 : 0;
}

}  // namespace

extern "C" {

__declspec(dllexport) void* WINAPI QCV_LoadQCV32(const wchar_t* startFile)
{
    const wchar_t* name = startFile != nullptr ? std::wcsrchr(startFile, L'\\') : nullptr;
    char narrow[64] = {};
    for (size_t i = 0; name != nullptr && name[i + 1] != 0 && i + 1 < sizeof narrow; ++i)
        narrow[i] = static_cast<char>(name[i + 1]);
    g_library.log += "load ";
    g_library.log += narrow;
    g_library.log += ';';
    return g_library.failAt == "load" ? nullptr : &g_handle;
}

__declspec(dllexport) int WINAPI QCV_FreeQCV32(void* handle)
{
    Log(handle == &g_handle ? "free" : "free bad handle");
    return 0;
}

__declspec(dllexport) int WINAPI QCV_CreateParam_Begin32(void* handle, uint32_t mode, const uint32_t* record)
{
    if (handle != &g_handle || record == nullptr || record[0] != 24)
        return 1;
    g_library.shownSum = 0;
    Log("begin mode=%u bands=%u", mode, record[1]);
    return Answer("begin");
}

#ifndef STANDIN_WITHOUT_CONVERT
__declspec(dllexport) int WINAPI
    QCV_ColorConvert32(void* handle, const uint8_t* source, uint8_t* target, uint32_t width, uint32_t height)
{
    if (handle != &g_handle || source == nullptr || target == nullptr)
        return 1;
    for (size_t i = 0; i < size_t{width} * height * 3; ++i)
        target[i] = static_cast<uint8_t>(255 - source[i]);
    Log("convert %ux%u", width, height);
    return Answer("convert");
}
#endif

__declspec(dllexport) int WINAPI QCV_CreateParam32(void* handle, const uint8_t* band, uint32_t width, uint32_t height)
{
    if (handle != &g_handle || band == nullptr)
        return 1;
    for (size_t i = 0; i < size_t{width} * height * 3; ++i)
        g_library.shownSum += band[i];
    Log("param %ux%u", width, height);
    return Answer("param");
}

__declspec(dllexport) int WINAPI QCV_CreateParam_End32(void* handle, const uint8_t* band, const uint32_t* record)
{
    if (handle != &g_handle || band == nullptr || record == nullptr)
        return 1;
    Log("end height=%u", record[3]);
    return Answer("end");
}

__declspec(dllexport) int WINAPI QCV_DeleteParam32(void* handle, const uint8_t* band, const uint32_t* record)
{
    if (handle != &g_handle)
        return 1;
    Log(band != nullptr && record != nullptr ? "delete" : "delete all");
    return Answer("delete");
}

// For the tests only: what the library was asked to do so far, and the sum
// of the bytes it was shown while making its parameters.
__declspec(dllexport) const char* WINAPI standin_Log()
{
    return g_library.log.c_str();
}

__declspec(dllexport) uint64_t WINAPI standin_ShownSum()
{
    return g_library.shownSum;
}

__declspec(dllexport) void WINAPI standin_Reset(const char* failAt)
{
    g_library.log.clear();
    g_library.failAt = failAt != nullptr ? failAt : "";
}

}  // extern "C"
