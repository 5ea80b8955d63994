// Setting values reach the graphics library through the settings-access
// library, loaded at run time from the library's own directory: one binding for
// the process, counted per device record.
#pragma once
#include <windows.h>

#include <cstdint>

#include "common/settings/function_ids.h"  // kFidAlwaysOn: answered here without the engine

// Raises the count; the first reference loads the library (the name in the
// library's own string table, from its own directory) and binds its two entry
// points. A failed bind takes nothing: the count stays, the library is freed.
bool BindSettingsAccess(HMODULE ownModule);
// Drops one reference; the last one frees the library.
void UnbindSettingsAccess();
// The current count (diagnostics and tests).
int SettingsAccessCount();

// The engine's get: strings (type 6) and LOGFONTW records (9) come back as a
// pointer into their record by the storage kind. 0, or 16 when not bound.
uint16_t GetSettingValue(uint16_t id, void* settingsRecord, void* printerSettingsRecord, uint16_t* type,
                         uint32_t* size, void* holder);
// The engine's set; 16 when not bound.
uint16_t SetSettingValue(uint16_t id, void* settingsRecord, void* printerSettingsRecord, uint16_t type,
                         uint32_t size, const void* holder);
// The size follows from the type (1-3: 2 bytes, 4-6: 4, 8: 1, others 0), or is
// given. -1 for a null settings record, else 0 whatever the engine answered.
int SetSettingValueTyped(void* settingsRecord, void* printerSettingsRecord, uint16_t id, uint16_t type,
                         uint64_t value);
int SetSettingValueSized(void* settingsRecord, void* printerSettingsRecord, uint16_t id, uint16_t type,
                         uint32_t size, uint64_t value);
