// A stand-in for the maker's one-bit compression library: run-length codes
// the rows (a count byte and a value byte per run) and logs every call, so
// that tests see the binding's call order and arguments. A band whose first
// byte is 0xEE is made longer on purpose.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Library {
    std::string log;
    std::vector<uint8_t> result;
    int bytesPerRow = 0;
    bool open = false;
};
Library* g_library = nullptr;

void Log(const char* format, int a = 0, int b = 0, int c = 0, int d = 0)
{
    char line[128];
    std::snprintf(line, sizeof line, format, a, b, c, d);
    g_library->log += line;
    g_library->log += ';';
}

}  // namespace

extern "C" {

__declspec(dllexport) void* WINAPI zqcmp_LoadCompress()
{
    static Library library;
    g_library = &library;
    library.log.clear();
    Log("load");
    return &library;
}

__declspec(dllexport) int WINAPI zqcmp_InitBitmap(void* handle, int kind, int width, int rows, int bytesPerRow)
{
    if (handle != g_library)
        return 1;
    Log("init kind=%d width=%d rows=%d row=%d", kind, width, rows, bytesPerRow);
    g_library->bytesPerRow = bytesPerRow;
    g_library->open = true;
    return 0;
}

__declspec(dllexport) int WINAPI zqcmp_CompressBitmap(void* handle, const uint8_t* data, int rows, uint32_t* outLength)
{
    if (handle != g_library || !g_library->open)
        return 1;
    const size_t n = size_t(rows) * g_library->bytesPerRow;
    std::vector<uint8_t>& out = g_library->result;
    out.clear();
    for (size_t i = 0; i < n;) {
        size_t run = 1;
        while (i + run < n && run < 255 && data[i + run] == data[i])
            ++run;
        out.push_back(uint8_t(run));
        out.push_back(data[i]);
        i += run;
    }
    if (n > 0 && data[0] == 0xEE)
        out.resize(n * 2, 0xEE);
    *outLength = uint32_t(out.size());
    Log("compress rows=%d out=%d", rows, int(out.size()));
    return 0;
}

#ifndef STANDIN_WITHOUT_GET
__declspec(dllexport) int WINAPI zqcmp_GetBitmap(void* handle, uint8_t* data)
{
    if (handle != g_library)
        return 1;
    std::memcpy(data, g_library->result.data(), g_library->result.size());
    Log("get");
    return 0;
}
#endif

__declspec(dllexport) int WINAPI zqcmp_FinishBitmap(void* handle)
{
    if (handle != g_library)
        return 1;
    g_library->open = false;
    Log("finish");
    return 0;
}

__declspec(dllexport) int WINAPI zqcmp_FreeCompress(void* handle)
{
    if (handle != g_library)
        return 1;
    Log("free");
    return 0;
}

// For the tests only: what the library was asked to do so far.
__declspec(dllexport) const char* WINAPI standin_Log()
{
    return g_library ? g_library->log.c_str() : "";
}

}  // extern "C"
