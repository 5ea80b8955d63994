#include "common/devmode/setting_numbers.h"

#include "common/defaults/setting_defaults.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"

bool ReadSettingNumber(void* settingsRecord, void* printerSettingsRecord, uint16_t id, uint32_t* value)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (!value || GetFunctionIdValue(id, settingsRecord, printerSettingsRecord, &type, &size, &holder) != kSettingOk)
        return false;
    if (type == kTypeString || type == kTypeLogFont)
        return false;
    *value = static_cast<uint32_t>(holder);
    return true;
}

uint32_t SettingNumberOr(void* settingsRecord, void* printerSettingsRecord, uint16_t id, uint32_t fallback)
{
    uint32_t value = 0;
    return ReadSettingNumber(settingsRecord, printerSettingsRecord, id, &value) ? value : fallback;
}

bool WriteSettingNumber(void* settingsRecord, void* printerSettingsRecord, uint16_t id, uint32_t value)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdValue(id, settingsRecord, printerSettingsRecord, &type, &size, &holder) != kSettingOk)
        return false;
    if (type == kTypeString || type == kTypeLogFont)
        return false;
    holder = value;
    return SetFunctionIdValue(id, settingsRecord, printerSettingsRecord, type, size, &holder) == kSettingOk;
}

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
