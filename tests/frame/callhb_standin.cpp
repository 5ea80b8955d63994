// A stand-in for the maker's processing library: checks the records it is
// given, and writes as its "raster file" a short known text that names what
// it saw. With CALLHB_STANDIN_REFUSE=n the n-th call makes nothing. Each call
// appends a line to the file CALLHB_STANDIN_LOG names, and copies its input
// into the directory CALLHB_STANDIN_KEEP names.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int g_calls = 0;

uint32_t U32(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
int16_t S16(const uint8_t* p)
{
    int16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

long FileSize(const char* path)
{
    FILE* f = std::fopen(path, "rb");
    if (f == nullptr)
        return -1;
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fclose(f);
    return size;
}

}  // namespace

extern "C" __declspec(dllexport) int WINAPI
    callHB(const char* input, const char* output, const uint8_t* parameters, uint8_t* result, const uint8_t* page,
           uint8_t* work, const char* dataFile)
{
    ++g_calls;
    char refuse[16] = {};
    GetEnvironmentVariableA("CALLHB_STANDIN_REFUSE", refuse, sizeof refuse);
    const bool records = U32(parameters) == 236 && U32(result) == 552 && U32(page) == 296 && work != nullptr;
    const char* dataName = std::strrchr(dataFile, '\\');
    char line[512];
    std::snprintf(line, sizeof line,
                  "call %d input=%ld records=%d mode=%u size=%dx%d res=%d duplex=%d data=%s dir=%s\n", g_calls,
                  FileSize(input), records ? 1 : 0, U32(parameters + 4), S16(page + 28), S16(page + 30), S16(page + 16),
                  S16(page + 292), dataName ? dataName + 1 : "?",
                  page[32 + std::strlen(reinterpret_cast<const char*>(page + 32)) - 1] == '\\' ? "ok" : "bad");
    char logPath[MAX_PATH] = {};
    if (GetEnvironmentVariableA("CALLHB_STANDIN_LOG", logPath, sizeof logPath) > 0) {
        if (FILE* log = std::fopen(logPath, "ab")) {
            std::fputs(line, log);
            std::fclose(log);
        }
    }
    // CALLHB_STANDIN_KEEP names a directory that keeps each call's input as
    // "face-n.bin", for the test to read.
    char keep[MAX_PATH] = {};
    if (GetEnvironmentVariableA("CALLHB_STANDIN_KEEP", keep, sizeof keep) > 0) {
        char kept[MAX_PATH + 32];
        std::snprintf(kept, sizeof kept, "%s\\face-%d.bin", keep, g_calls);
        CopyFileA(input, kept, FALSE);
    }
    if (!records || std::atoi(refuse) == g_calls)
        return 0;
    FILE* out = std::fopen(output, "wb");
    if (out == nullptr)
        return 0;
    std::fprintf(out, "RASTER-%d", g_calls);
    std::fclose(out);
    return 1;
}
