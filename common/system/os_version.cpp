#include "common/system/os_version.h"

#include "common/system/lock_table.h"
#include "common/system/module_files.h"

#include <windows.h>

namespace {

struct CachedAnswer {
    uint32_t tested;
    uint32_t result;
};

CachedAnswer g_atLeast51;
CachedAnswer g_atLeast60;

int CachedVersionAtLeast(CachedAnswer* cell, DWORD major, DWORD minor)
{
    RoleLock lock(LockRole::OsVersion);
    if (!cell->tested) {
        OSVERSIONINFOEXW info = {};
        info.dwOSVersionInfoSize = sizeof(info);
        info.dwMajorVersion = major;
        info.dwMinorVersion = minor;
        ULONGLONG mask = VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL);
        mask = VerSetConditionMask(mask, VER_MINORVERSION, VER_GREATER_EQUAL);
        cell->result = VerifyVersionInfoW(&info, VER_MAJORVERSION | VER_MINORVERSION, mask) ? 1 : 0;
        cell->tested = 1;
    }
    return static_cast<int>(cell->result);
}

}  // namespace

static_assert(sizeof(OSVERSIONINFOW) == 276);
static_assert(sizeof(OSVERSIONINFOEXW) == 284);

int GetOsVersionCode(uint16_t* code)
{
    if (code == nullptr)
        return -1;
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&info))
        return -1;
#pragma GCC diagnostic pop
    *code = OsVersionCodeOf(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
    return 1;
}

uint16_t OsVersionCodeOf(uint32_t platformId, uint32_t major, uint32_t minor)
{
    switch (platformId) {
    case VER_PLATFORM_WIN32_WINDOWS:
        if (major < 4)
            return 256;
        return major == 4 && minor == 0 ? 257 : 258;
    case VER_PLATFORM_WIN32_NT:
        return major < 4 ? 512 : major == 4 ? 513 : 514;
    default:
        return 0;
    }
}

bool IsModernOsVersionCode(uint16_t code)
{
    const int family = code >> 8;
    return !((family == 1 || family == 2) && (code & 0xFF) < 2);
}

int IsModernNtPlatform(uint16_t* code)
{
    uint16_t version = 0;
    if (code == nullptr || GetOsVersionCode(&version) != 1)
        return -1;
    if (!IsModernOsVersionCode(version))
        return 0;
    *code = 512;
    return 1;
}

int IsOsVersion51OrLater()
{
    return CachedVersionAtLeast(&g_atLeast51, 5, 1);
}

int IsOsVersion60OrLater()
{
    return CachedVersionAtLeast(&g_atLeast60, 6, 0);
}

int IsProtectedModeProcess()
{
    if (!IsOsVersion60OrLater())
        return 0;
    HMODULE library = LoadLibraryInDriverContext(L"ieframe.dll", LOAD_WITH_ALTERED_SEARCH_PATH);
    if (library == nullptr)
        return 0;
    using QueryFn = HRESULT(WINAPI*)(BOOL*);
    const auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(GetProcAddress(library, "IEIsProtectedModeProcess")));
    BOOL isProtected = FALSE;
    if (query != nullptr && FAILED(query(&isProtected)))
        isProtected = FALSE;
    FreeLibrary(library);
    return isProtected ? 1 : 0;
}
