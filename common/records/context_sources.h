// The sources of the printer settings record that a printer's settings context
// gives: the per-user base path (the model's registry base 1), the model name,
// the per-user block filled with the model's defaults, the user-mode driver file
// (model file name 2), the model's default printer settings record and the
// enforced configured settings. The conversion of older layouts is the caller's
// routine; it gets the settings context as its first argument.
#pragma once
#include <cstdint>

#include "common/records/printer_settings_record.h"

struct SettingsContext;

struct ContextSettingsSources {
    PrinterSettingsSources sources;  // points into this record: do not copy or move it
    UserSettingInfo userDefaults;
    wchar_t* basePath;    // global blocks, freed by ReleaseContextSettingsSources
    wchar_t* modelName;
    wchar_t* driverFile;

    ContextSettingsSources() = default;
    ContextSettingsSources(const ContextSettingsSources&) = delete;
    ContextSettingsSources& operator=(const ContextSettingsSources&) = delete;
};

// 1 with `out` filled; 0 for a missing argument or when the model's defaults of
// the per-user block cannot be read. A model without a base path or driver file
// name leaves them null (the per-user operations then fail on their own).
int GatherContextSettingsSources(SettingsContext* context,
                                 int (*convertOlder)(void* context, const uint8_t* stored, uint8_t* record),
                                 ContextSettingsSources* out);
void ReleaseContextSettingsSources(ContextSettingsSources* sources);

// Lays the enforced configured settings of the context's site configuration over
// a printer settings record; 1 (also when there is no site configuration).
int ApplyEnforcedSettingsOfContext(void* context, uint8_t* printerSettingsRecord);
