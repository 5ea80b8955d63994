#include "common/job/doc_monitor_client.h"

#include "common/system/lock_table.h"

#include <cstddef>
#include <cstring>

namespace {

HMODULE g_library;
uint32_t g_references;
DocMonitorEntries g_entries;

struct EntryName {
    const char* name;
    size_t offset;  // of the entry's slot; every slot is one function pointer
    bool required;
};

#define ENTRY(member, name, required) EntryName{name, offsetof(DocMonitorEntries, member), required}
const EntryName kEntryNames[] = {
    ENTRY(setGroupStyle, "VdmSetGroupStyle", true),
    ENTRY(createJobId, "VdmCreateJobId", true),
    ENTRY(setJobId, "VdmSetJobId", true),
    ENTRY(uninitialize, "VdmUnInitializeDocMon", true),
    ENTRY(initialize, "VdmInitializeDocMon", true),
    ENTRY(setDestinationCount, "VdmSetDestinationCount", true),
    ENTRY(setPortName, "VdmSetPortName", true),
    ENTRY(setFriendlyName, "VdmSetFriendlyName", true),
    ENTRY(setParamStyle, "VdmSetParamStyle", true),
    ENTRY(createClientId, "VdmCreateClientId", true),
    ENTRY(exec, "VdmExecDocMon", true),
    ENTRY(execPreferences, "VdmExecDocMonPreferences", true),
    ENTRY(setJobDestinations, "VdmSetJobDestinations", true),
    ENTRY(setData, "VdmSetVdmData", true),
    ENTRY(execWithStatus, "VdmExecDocMonWithStatus", false),
    ENTRY(execPreferencesWithStatus, "VdmExecDocMonPreferencesWithStatus", false),
    ENTRY(setDataEx, "VdmSetVdmDataEx", false),
};
#undef ENTRY
static_assert(sizeof kEntryNames / sizeof kEntryNames[0] == 17);
static_assert(sizeof(DocMonitorEntries) == 17 * sizeof(FARPROC));

void Unload()
{
    if (g_library != nullptr)
        FreeLibrary(g_library);
    g_library = nullptr;
    std::memset(&g_entries, 0, sizeof g_entries);
}

// Reads a string value of at most kDocMonitorPathChars characters.
bool ReadPath(HKEY key, const char* name, char* out)
{
    DWORD type = 0;
    DWORD size = kDocMonitorPathChars;
    std::memset(out, 0, kDocMonitorPathChars + 1);
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(out), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    return out[0] != '\0';
}

// Finds and loads the library with all its required entries. 1, 0 or
// kDocMonitorMissingFunction.
int Load()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&version))
        return 0;
#pragma GCC diagnostic pop
    if (version.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS && version.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return 0;

    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDocMonitorKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    char marker[kDocMonitorPathChars + 1];
    char library[kDocMonitorPathChars + 1];
    const bool named = ReadPath(key, nullptr, marker) && ReadPath(key, kDocMonitorLibraryValue, library);
    RegCloseKey(key);
    OFSTRUCT open = {};
    if (!named || OpenFile(marker, &open, OF_EXIST) == HFILE_ERROR)
        return 0;

    g_library = LoadLibraryA(library);
    if (g_library == nullptr)
        return 0;
    for (const EntryName& entry : kEntryNames) {
        const FARPROC proc = GetProcAddress(g_library, entry.name);
        std::memcpy(reinterpret_cast<char*>(&g_entries) + entry.offset, &proc, sizeof proc);
        if (entry.required && proc == nullptr) {
            Unload();
            return kDocMonitorMissingFunction;
        }
    }
    return 1;
}

}  // namespace

int AcquireDocMonitor(const DocMonitorEntries** entries)
{
    RoleLock lock(LockRole::DocMonitor);
    if (g_references == 0) {
        const int loaded = Load();
        if (loaded != 1)
            return loaded;
    }
    if (!g_entries.initialize()) {
        if (g_references == 0)
            Unload();
        return 0;
    }
    ++g_references;
    if (entries != nullptr)
        *entries = &g_entries;
    return 1;
}

void ReleaseDocMonitor()
{
    RoleLock lock(LockRole::DocMonitor);
    if (g_references == 0)
        return;
    g_entries.uninitialize();
    if (--g_references == 0)
        Unload();
}

const DocMonitorEntries* HeldDocMonitorEntries()
{
    RoleLock lock(LockRole::DocMonitor);
    return g_references > 0 ? &g_entries : nullptr;
}

uint32_t GetDocMonitorReferences()
{
    RoleLock lock(LockRole::DocMonitor);
    return g_references;
}
