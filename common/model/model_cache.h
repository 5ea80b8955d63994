// The section cache of a loaded main file, shared with its linked file: four
// reusable scratch buffers for string decoding and the string modules loaded so far.
#pragma once
#include <windows.h>

#include <cstdint>

constexpr int kModelScratchSlots = 4;
constexpr uint32_t kModelScratchMinimum = 1024;
// Resource strings are read with room for 512 characters and the terminator.
constexpr uint32_t kModelResourceStringChars = 512;

struct ModelScratchSlot {
    uint32_t capacity;
    uint8_t* buffer;
    uint32_t inUse;
};

// A string module of number 2 or more, kept by its file name.
struct ModelStringModule {
    wchar_t* name;  // global block
    HMODULE module;
};

struct ModelSectionCache {
    ModelScratchSlot slots[kModelScratchSlots];
    uint32_t referencesEnabled;  // cleared when module 1 cannot be loaded
    HMODULE module1;
    // Modules 2 and up (global block of moduleRoom entries), guarded by the ModelData lock.
    ModelStringModule* modules;
    uint32_t moduleCount;
    uint32_t moduleRoom;
};

ModelSectionCache* CreateModelSectionCache();
void FreeModelSectionCache(ModelSectionCache* cache);
// A buffer of at least max(bytes, 1024) bytes from the first free slot; null when
// all four are in use or no memory.
uint8_t* TakeModelScratch(ModelSectionCache* cache, uint32_t bytes);
void ReleaseModelScratch(ModelSectionCache* cache, const void* buffer);
