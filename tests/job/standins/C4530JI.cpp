// Stand-in for the device maker's job-instruction maker, for tests only. Its
// block is "@JI=" followed by the data block it was given and LF. A data block
// that begins with "UNTERMINATED" makes it fill the whole reported size
// without a terminator; one that begins with "FAIL" makes the fetch fail.
#include "common/job/job_instruction_maker.h"

#include <cstring>
#include <string>

namespace {

std::string g_block;
int g_maker;
long g_finalized;  // finished makers

}  // namespace

extern "C" __declspec(dllexport) void* VPIFMaker_Initialize(HANDLE printer)
{
    return printer != nullptr ? &g_maker : nullptr;
}

extern "C" __declspec(dllexport) BOOL VPIFMaker_SetSPSetting(void* maker, const void* data, DWORD length,
                                                             DWORD* accepted)
{
    if (maker != &g_maker || data == nullptr)
        return FALSE;
    g_block = "@JI=" + std::string(static_cast<const char*>(data), length) + "\n";
    if (accepted != nullptr)
        *accepted = 1;
    return TRUE;
}

extern "C" __declspec(dllexport) BOOL VPIFMaker_GetVpif(void* maker, void* buffer, DWORD capacity, DWORD* size)
{
    if (maker != &g_maker || size == nullptr)
        return FALSE;
    const bool unterminated = g_block.rfind("@JI=UNTERMINATED", 0) == 0;
    const DWORD need = static_cast<DWORD>(g_block.size()) + (unterminated ? 0 : 1);
    if (buffer == nullptr) {
        *size = need;
        return TRUE;
    }
    if (g_block.rfind("@JI=FAIL", 0) == 0 || capacity < need)
        return FALSE;
    std::memcpy(buffer, g_block.c_str(), need);
    *size = need;
    return TRUE;
}

extern "C" __declspec(dllexport) void VPIFMaker_finalize(void* maker)
{
    if (maker == &g_maker)
        ++g_finalized;
}
