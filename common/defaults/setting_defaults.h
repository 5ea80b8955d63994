// Defaults of settings and the checks of their values: one item's default from
// its fixed row, its handler or the model data, with the site configuration's
// default laid over it; a whole settings record and printer settings record
// filled with defaults; the per-type comparison of two values.
#pragma once
#include <cstdint>

#include "common/defaults/item_groups.h"

struct SettingsContext;

// 1 when a default was produced into the 8-byte holder (a string or structure
// as a new global block: free it with FreeItemDefault). *status is
// kDefaultAbsent (item_handlers.h) when the model has no default for the item.
int GetItemDefault(SettingsContext* context, void* printerSettingsRecord, const wchar_t* deviceName,
                   const ItemRow* item, uint64_t* holder, uint16_t* type, uint32_t* size, uint16_t* status);
void FreeItemDefault(const ItemRow* item, uint64_t holder, uint16_t type);

// Results of GetFunctionIdDefault.
constexpr int kFunctionIdDefaultOk = 1;
constexpr int kFunctionIdDefaultAbsent = 2;
constexpr int kFunctionIdDefaultFailed = -1;  // also an identifier without an item
int GetFunctionIdDefault(SettingsContext* context, uint16_t id, uint16_t* type, uint32_t* size, uint64_t* holder);
void FreeFunctionIdDefault(uint16_t id, uint64_t holder, uint16_t type);

// Runs operation 2 (check) or 16 (accept) on the setting's current value: the
// handler's answer, the model data's check where no handler serves, 0 when the
// value cannot be read or the identifier has no item.
int RunFunctionIdHandler(SettingsContext* context, uint16_t id, void* settingsRecord, void* printerSettingsRecord,
                         uint16_t operation);

// Size kSizeOfType takes the value's size from its type (a string's from its text).
constexpr uint32_t kSizeOfType = 0xFFFFFFFF;
bool StoreFunctionIdValue(uint16_t id, void* settingsRecord, void* printerSettingsRecord, uint32_t size,
                          uint16_t type, const void* holder);

// 0 equal, 1 when a > b, -1 when a < b; 2 for a missing holder or string, or a
// type that is not compared (7, 9, unknown). Strings compare unit by unit as
// unsigned 16-bit values up to the terminator.
int CompareSettingValues(uint16_t type, const void* a, const void* b);

// Clears and fills the records that are given (either may be null): groups of
// the printer settings record need it, the others need the settings record.
// 1 when every group was filled; 0 when any failed (the other groups are still
// filled).
int FillDefaultSettings(SettingsContext* context, void* settingsRecord, void* printerSettingsRecord,
                        const wchar_t* deviceName);

// The setting's default stored in its record. 1 done.
int ResetFunctionIdToDefault(SettingsContext* context, uint16_t id, void* settingsRecord,
                             void* printerSettingsRecord);
