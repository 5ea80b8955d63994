// Reads and writes of one setting as a number, keeping the type and size the
// value layout gives it, and the copy of one setting between two records.
#pragma once
#include <cstdint>

// True with *value when the setting was read (a flag as 0 or 1, signed types
// sign-extended into the 64-bit word before the cut to 32 bits).
bool ReadSettingNumber(void* settingsRecord, void* printerSettingsRecord, uint16_t id, uint32_t* value);
// The setting's value, or `fallback` when it cannot be read.
uint32_t SettingNumberOr(void* settingsRecord, void* printerSettingsRecord, uint16_t id, uint32_t fallback);
// True when stored with the setting's own type and size.
bool WriteSettingNumber(void* settingsRecord, void* printerSettingsRecord, uint16_t id, uint32_t value);
// The setting of `source` stored into `target` (strings and structures too);
// both records share the printer settings record. True when done.
bool CopySettingValue(void* target, void* source, void* printerSettingsRecord, uint16_t id);

struct SettingsContext;
// The model's default stored into the setting; a setting the model gives no
// default keeps its value. False when a default could not be made or stored.
bool ResetSettingToDefault(SettingsContext* context, void* settingsRecord, void* printerSettingsRecord, uint16_t id);
