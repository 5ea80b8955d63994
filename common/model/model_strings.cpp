// The section cache and the decoding of file strings: complemented ANSI text, or
// references to strings of the model's string modules.
#include <windows.h>

#include <cstring>

#include "common/model/model_cache.h"
#include "common/model/model_data.h"
#include "common/system/lock_table.h"
#include "common/system/module_files.h"

ModelSectionCache* CreateModelSectionCache() {
    auto* cache = static_cast<ModelSectionCache*>(GlobalAlloc(GPTR, sizeof(ModelSectionCache)));
    if (cache != nullptr) cache->referencesEnabled = 1;
    return cache;
}

void FreeModelSectionCache(ModelSectionCache* cache) {
    if (cache == nullptr) return;
    for (ModelScratchSlot& slot : cache->slots)
        if (slot.buffer != nullptr) GlobalFree(slot.buffer);
    if (cache->module1 != nullptr) FreeLibrary(cache->module1);
    {
        RoleLock lock(LockRole::ModelData);
        for (uint32_t i = 0; i < cache->moduleCount; ++i) {
            FreeLibrary(cache->modules[i].module);
            GlobalFree(cache->modules[i].name);
        }
        if (cache->modules != nullptr) GlobalFree(cache->modules);
    }
    GlobalFree(cache);
}

uint8_t* TakeModelScratch(ModelSectionCache* cache, uint32_t bytes) {
    if (cache == nullptr) return nullptr;
    const uint32_t capacity = bytes > kModelScratchMinimum ? bytes : kModelScratchMinimum;
    for (ModelScratchSlot& slot : cache->slots) {
        if (slot.inUse) continue;
        if (slot.buffer != nullptr && slot.capacity < capacity) {
            GlobalFree(slot.buffer);
            slot.buffer = nullptr;
            slot.capacity = 0;
        }
        if (slot.buffer == nullptr) {
            slot.buffer = static_cast<uint8_t*>(GlobalAlloc(GPTR, capacity));
            if (slot.buffer == nullptr) return nullptr;
            slot.capacity = capacity;
        }
        slot.inUse = 1;
        return slot.buffer;
    }
    return nullptr;
}

void ReleaseModelScratch(ModelSectionCache* cache, const void* buffer) {
    if (cache == nullptr || buffer == nullptr) return;
    for (ModelScratchSlot& slot : cache->slots)
        if (slot.buffer == buffer) slot.inUse = 0;
}

int CountModelScratchSlotsInUse(const ModelDataRecord* record) {
    if (record == nullptr || record->cache == nullptr) return 0;
    int n = 0;
    for (const ModelScratchSlot& slot : record->cache->slots) n += slot.inUse ? 1 : 0;
    return n;
}

namespace {

wchar_t* CopyWide(const wchar_t* text, int chars, uint32_t* bytes) {
    auto* block = static_cast<wchar_t*>(GlobalAlloc(GPTR, (chars + 1) * sizeof(wchar_t)));
    if (block == nullptr) return nullptr;
    memcpy(block, text, chars * sizeof(wchar_t));
    if (bytes) *bytes = (chars + 1) * sizeof(wchar_t);
    return block;
}

// String modules lie in the driver directory; a path of 260 characters or more is refused.
bool ModelModulePath(const wchar_t* name, wchar_t* path, size_t room) {
    wchar_t dir[kDriverDirectoryChars] = {};
    if (!GetDriverDirectory(dir, sizeof(dir))) return false;
    const size_t total = wcslen(dir) + wcslen(name);
    if (total >= MAX_PATH || total + 1 > room) return false;
    wcscpy(path, dir);
    wcscat(path, name);
    return true;
}

HMODULE LoadStringModule(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    if (name == nullptr || !ModelModulePath(name, path, MAX_PATH)) return nullptr;
    return LoadLibraryInDriverContext(path, DONT_RESOLVE_DLL_REFERENCES | LOAD_WITH_ALTERED_SEARCH_PATH);
}

// Adds a loaded module under its name; false when there is no memory for it.
bool KeepStringModule(ModelSectionCache* cache, const wchar_t* name, HMODULE module) {
    if (cache->moduleCount == cache->moduleRoom) {
        const uint32_t room = cache->moduleRoom == 0 ? 4 : cache->moduleRoom * 2;
        auto* grown = static_cast<ModelStringModule*>(GlobalAlloc(GPTR, room * sizeof(ModelStringModule)));
        if (grown == nullptr) return false;
        if (cache->modules != nullptr) {
            memcpy(grown, cache->modules, cache->moduleCount * sizeof(ModelStringModule));
            GlobalFree(cache->modules);
        }
        cache->modules = grown;
        cache->moduleRoom = room;
    }
    const size_t bytes = (wcslen(name) + 1) * sizeof(wchar_t);
    auto* copy = static_cast<wchar_t*>(GlobalAlloc(GPTR, bytes));
    if (copy == nullptr) return false;
    memcpy(copy, name, bytes);
    cache->modules[cache->moduleCount++] = {copy, module};
    return true;
}

// String module `name` (number 2 or more), loaded once and kept until the cache is
// freed: a model names few modules but decodes many strings of them. Null when it
// cannot be loaded; a failed load is not kept, so a later decode tries again.
// *unload is set when the module could not be kept and the caller must free it.
HMODULE CachedStringModule(ModelSectionCache* cache, const wchar_t* name, bool* unload) {
    *unload = false;
    RoleLock lock(LockRole::ModelData);
    for (uint32_t i = 0; i < cache->moduleCount; ++i)
        if (wcscmp(cache->modules[i].name, name) == 0) return cache->modules[i].module;
    HMODULE module = LoadStringModule(name);
    if (module != nullptr && !KeepStringModule(cache, name, module)) *unload = true;
    return module;
}

// String id of a module, through a scratch buffer with room for 512 characters
// and the terminator.
uint16_t ReadModuleString(HMODULE module, uint16_t id, ModelSectionCache* cache, wchar_t** out,
                          uint32_t* bytes) {
    const uint32_t room = (kModelResourceStringChars + 1) * sizeof(wchar_t);
    auto* text = reinterpret_cast<wchar_t*>(TakeModelScratch(cache, room));
    if (text == nullptr) return kModelNoMemory;
    int chars = LoadStringW(module, id, text, kModelResourceStringChars + 1);
    if (chars < 0) chars = 0;
    text[chars] = 0;
    *out = CopyWide(text, chars, bytes);
    ReleaseModelScratch(cache, text);
    return *out != nullptr ? kModelOk : kModelNoMemory;
}

uint16_t DecodePlain(const uint8_t* stored, uint16_t length, ModelSectionCache* cache, wchar_t** out,
                     uint32_t* bytes) {
    auto* text = reinterpret_cast<char*>(TakeModelScratch(cache, uint32_t{length} + 1));
    if (text == nullptr) return kModelNoMemory;
    for (uint16_t i = 0; i < length; ++i) text[i] = static_cast<char>(~stored[i]);
    uint16_t status = kModelNoMemory;
    const int chars = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
    auto* block = static_cast<wchar_t*>(GlobalAlloc(GPTR, (chars + 1) * sizeof(wchar_t)));
    if (block != nullptr) {
        if (chars > 0) MultiByteToWideChar(CP_ACP, 0, text, length, block, chars);
        // An embedded NUL ends the text.
        const size_t used = wcslen(block);
        *out = block;
        *bytes = static_cast<uint32_t>((used + 1) * sizeof(wchar_t));
        status = kModelOk;
    }
    ReleaseModelScratch(cache, text);
    return status;
}

// The name of string module `module` (1-based) of a file: string module - 1 of its
// raw section 35, read as plain text so that a module name can never refer to a
// module. The record's cursor is left where it was.
wchar_t* ReadModuleName(ModelDataRecord* record, uint16_t module) {
    const uint32_t saved = record->cursor;
    const uint32_t enabled = record->cache->referencesEnabled;
    record->cache->referencesEnabled = 0;
    wchar_t* name = GetModelSectionStringPtr(record, kRawResourceModules, module - 1);
    record->cache->referencesEnabled = enabled;
    record->cursor = saved;
    return name;
}

// 0 when the reference was decoded; kModelBad to fall back to plain decoding; other
// statuses end the read.
uint16_t DecodeReference(ModelDataRecord* record, const uint8_t* stored, uint16_t length, wchar_t** out,
                         uint32_t* bytes) {
    ModelSectionCache* cache = record->cache;
    if (!cache->referencesEnabled || stored[length - 1] != 0 || length < kModelResourceRefMinLength)
        return kModelBad;
    const uint16_t module = static_cast<uint16_t>(stored[length - 5] | (stored[length - 4] << 8));
    const uint16_t id = static_cast<uint16_t>(stored[length - 3] | (stored[length - 2] << 8));
    if (module == 0 || id == 0) return kModelBad;
    if (module == 1) {
        if (cache->module1 == nullptr) {
            ModelDataRecord* main = record->main != nullptr ? record->main : record;
            wchar_t* name = ReadModuleName(main, 1);
            cache->module1 = LoadStringModule(name);
            if (name != nullptr) GlobalFree(name);
            if (cache->module1 == nullptr) {
                cache->referencesEnabled = 0;
                return kModelBad;
            }
        }
        return ReadModuleString(cache->module1, id, cache, out, bytes);
    }
    wchar_t* name = ReadModuleName(record, module);
    if (name == nullptr) return kModelBad;
    bool unload = false;
    HMODULE handle = CachedStringModule(cache, name, &unload);
    GlobalFree(name);
    if (handle == nullptr) return kModelBad;
    uint32_t ignored = 0;
    const uint16_t status = ReadModuleString(handle, id, cache, out, &ignored);
    if (unload) FreeLibrary(handle);
    if (status == kModelOk && *out != nullptr) *bytes = static_cast<uint32_t>((wcslen(*out) + 1) * sizeof(wchar_t));
    return status;
}

}  // namespace

uint16_t ReadModelString(ModelDataRecord* record, uint16_t length, wchar_t** out, uint32_t* bytes) {
    if (out == nullptr || bytes == nullptr) return kModelBad;
    *out = nullptr;
    *bytes = 0;
    if (record == nullptr || record->cache == nullptr || record->loaded == nullptr) return kModelBad;
    if (length == 0) return kModelOk;
    ModelSectionCache* cache = record->cache;
    uint8_t* stored = TakeModelScratch(cache, length);
    if (stored == nullptr) return kModelNoMemory;
    uint16_t status = ModelReadBytes(record, stored, length);
    if (status == kModelOk) {
        status = DecodeReference(record, stored, length, out, bytes);
        if (status == kModelBad) status = DecodePlain(stored, length, cache, out, bytes);
    }
    ReleaseModelScratch(cache, stored);
    return status;
}

uint16_t LoadModelResourceString(const wchar_t* moduleName, uint16_t id, ModelDataRecord* record,
                                 wchar_t** out) {
    if (out == nullptr) return kModelBad;
    *out = nullptr;
    if (moduleName == nullptr || record == nullptr || record->cache == nullptr) return kModelBad;
    HMODULE module = LoadStringModule(moduleName);
    if (module == nullptr) return kModelBad;
    uint32_t bytes = 0;
    uint16_t status = ReadModuleString(module, id, record->cache, out, &bytes);
    FreeLibrary(module);
    return status;
}
