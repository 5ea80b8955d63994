// The setting engine: every setting is read and written by identifier through
// these two functions. They are exported under these exact names by the
// settings-access library, and the graphics library binds them at run time,
// so their signatures are a contract: C linkage, default calling convention.
#pragma once
#include <cstdint>

extern "C" {

// Reads setting `id`. The 8-byte holder receives the value in its low bytes,
// or for strings and LOGFONTW records the byte offset in the setting's area.
// Answers 0 or a status of value_types.h (1 no range, 16 unknown or missing).
uint16_t dma_GetValue(uint16_t id, void* settingsRecord, void* printerSettingsRecord,
                      uint16_t* type, uint32_t* size, void* holder, uint16_t* storageKind);

// Writes setting `id` from the 8-byte holder (strings and LOGFONTW records: a
// pointer to the data in its first bytes). Answers 0 or a status of
// value_types.h; a refused write changes nothing.
uint16_t dma_SetValue(uint16_t id, void* settingsRecord, void* printerSettingsRecord,
                      uint16_t type, uint32_t size, const void* holder);

}  // extern "C"

using DmaGetValueProc = uint16_t (*)(uint16_t, void*, void*, uint16_t*, uint32_t*, void*, uint16_t*);
using DmaSetValueProc = uint16_t (*)(uint16_t, void*, void*, uint16_t, uint32_t, const void*);
