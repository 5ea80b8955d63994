#include "render/device/settings_access.h"

#include "common/settings/value_engine.h"
#include "common/settings/value_types.h"
#include "common/system/lock_table.h"
#include "common/system/module_files.h"

#include <cstring>

namespace {

// Guarded by the SettingsAccess lock role; the entry points are read without
// it, since they change only at the first bind and the last unbind.
int g_count = 0;
HMODULE g_library = nullptr;
DmaGetValueProc g_get = nullptr;
DmaSetValueProc g_set = nullptr;

HMODULE LoadSettingsAccessLibrary(HMODULE ownModule)
{
    wchar_t path[kDriverDirectoryChars] = {};
    wchar_t name[kDriverDirectoryChars] = {};
    if (!GetDriverDirectory(path, sizeof(path)) ||
        LoadStringW(ownModule, kOwnStringSettingsAccessFile, name, kDriverDirectoryChars) <= 0)
        return nullptr;
    const size_t used = wcslen(path);
    if (used + wcslen(name) >= kDriverDirectoryChars)
        return nullptr;
    wcscat(path, name);
    HMODULE library = LoadLibraryInDriverContext(path, 0);
    return library;
}

template <typename T>
T ProcOf(HMODULE library, const char* name)
{
    return reinterpret_cast<T>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

} // namespace

bool BindSettingsAccess(HMODULE ownModule)
{
    RoleLock lock(LockRole::SettingsAccess);
    if (g_count > 0) {
        ++g_count;
        return true;
    }
    if (!ownModule)
        return false;
    HMODULE library = LoadSettingsAccessLibrary(ownModule);
    if (!library)
        return false;
    auto get = ProcOf<DmaGetValueProc>(library, "dma_GetValue");
    auto set = get ? ProcOf<DmaSetValueProc>(library, "dma_SetValue") : nullptr;
    if (!get || !set) {
        const DWORD error = GetLastError();
        FreeLibrary(library);
        SetLastError(error);
        return false;
    }
    g_library = library;
    g_get = get;
    g_set = set;
    g_count = 1;
    return true;
}

void UnbindSettingsAccess()
{
    RoleLock lock(LockRole::SettingsAccess);
    if (g_count <= 0)
        return;
    if (--g_count == 0) {
        g_get = nullptr;
        g_set = nullptr;
        FreeLibrary(g_library);
        g_library = nullptr;
    }
}

int SettingsAccessCount()
{
    RoleLock lock(LockRole::SettingsAccess);
    return g_count;
}

uint16_t GetSettingValue(uint16_t id, void* settingsRecord, void* printerSettingsRecord, uint16_t* type,
                         uint32_t* size, void* holder)
{
    if (id == kFidAlwaysOn) {
        *type = kTypeFlag;
        *size = 4;
        const uint32_t one = 1;
        std::memcpy(holder, &one, sizeof(one));
        return kSettingOk;
    }
    DmaGetValueProc get = g_get;
    if (!get)
        return kSettingUnknown;
    uint16_t kind = 0;
    const uint16_t status = get(id, settingsRecord, printerSettingsRecord, type, size, holder, &kind);
    if (status != kSettingOk || (*type != kTypeString && *type != kTypeLogFont))
        return status;
    uint32_t offset = 0;
    std::memcpy(&offset, holder, sizeof(offset));
    uint8_t* base = kind == kStoragePrinter ? static_cast<uint8_t*>(printerSettingsRecord)
                  : kind == kStoragePrivate ? static_cast<uint8_t*>(settingsRecord) + kPrivatePartOffset
                                            : static_cast<uint8_t*>(settingsRecord);
    if (!base)
        return kSettingUnknown;
    void* pointer = base + offset;
    std::memcpy(holder, &pointer, sizeof(pointer));
    return kSettingOk;
}

uint16_t SetSettingValue(uint16_t id, void* settingsRecord, void* printerSettingsRecord, uint16_t type,
                         uint32_t size, const void* holder)
{
    DmaSetValueProc set = g_set;
    if (!set)
        return kSettingUnknown;
    return set(id, settingsRecord, printerSettingsRecord, type, size, holder);
}

int SetSettingValueSized(void* settingsRecord, void* printerSettingsRecord, uint16_t id, uint16_t type,
                         uint32_t size, uint64_t value)
{
    if (!settingsRecord)
        return -1;
    SetSettingValue(id, settingsRecord, printerSettingsRecord, type, size, &value);
    return 0;
}

int SetSettingValueTyped(void* settingsRecord, void* printerSettingsRecord, uint16_t id, uint16_t type,
                         uint64_t value)
{
    const uint32_t size = type >= kTypeFlag && type <= kTypeU16 ? 2
                        : type >= kTypeS32 && type <= kTypeString ? 4
                        : type == kTypeByte ? 1 : 0;
    return SetSettingValueSized(settingsRecord, printerSettingsRecord, id, type, size, value);
}
