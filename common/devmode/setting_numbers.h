// The copy of one setting between two records and its reset to the model's
// default. Numbers by identifier are read and written with value_by_type.h.
#pragma once
#include <cstdint>

#include "common/context/value_by_type.h"

// The setting of `source` stored into `target` (strings and structures too);
// both records share the printer settings record. True when done.
bool CopySettingValue(void* target, void* source, void* printerSettingsRecord, uint16_t id);

struct SettingsContext;
// The model's default stored into the setting; a setting the model gives no
// default keeps its value. False when a default could not be made or stored.
bool ResetSettingToDefault(SettingsContext* context, void* settingsRecord, void* printerSettingsRecord, uint16_t id);
