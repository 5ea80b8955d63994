#include "common/devmode/setting_numbers.h"

#include "common/defaults/setting_defaults.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"

bool CopySettingValue(void* target, void* source, void* printerSettingsRecord, uint16_t id)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdValue(id, source, printerSettingsRecord, &type, &size, &holder) != kSettingOk)
        return false;
    return SetFunctionIdValue(id, target, printerSettingsRecord, type, size, &holder) == kSettingOk;
}

bool ResetSettingToDefault(SettingsContext* context, void* settingsRecord, void* printerSettingsRecord, uint16_t id)
{
    if (ResetFunctionIdToDefault(context, id, settingsRecord, printerSettingsRecord) == 1)
        return true;
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    const int found = GetFunctionIdDefault(context, id, &type, &size, &holder);
    if (found == kFunctionIdDefaultOk)
        FreeFunctionIdDefault(id, holder, type);
    return found == kFunctionIdDefaultAbsent;
}
