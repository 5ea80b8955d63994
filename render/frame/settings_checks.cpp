#include "render/frame/settings_checks.h"

#include "common/context/model_lookups.h"
#include "common/context/settings_context.h"
#include "common/records/settings_records.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_types.h"
#include "common/system/lock_table.h"
#include "render/device/pdev_record.h"
#include "render/device/settings_access.h"

#include <cstring>
#include <vector>

namespace {

uint32_t ReadNumber(uint16_t id, uint8_t* settings, uint8_t* printerSettings)
{
    uint64_t holder = 0;
    uint16_t type = 0;
    uint32_t size = 0;
    return GetSettingValue(id, settings, printerSettings, &type, &size, &holder) == kSettingOk
               ? static_cast<uint32_t>(holder)
               : 0;
}

uint16_t WriteNumber(uint16_t id, uint8_t* settings, uint8_t* printerSettings, uint32_t value)
{
    uint64_t holder = 0;
    uint16_t type = 0;
    uint32_t size = 0;
    const uint16_t status = GetSettingValue(id, settings, printerSettings, &type, &size, &holder);
    if (status != kSettingOk)
        return status;
    holder = value;
    return SetSettingValue(id, settings, printerSettings, type, size, &holder);
}

}  // namespace

int KeepOfferedResolution(SettingsContext* context, uint8_t* settings, uint8_t* printerSettings)
{
    if (!context)
        return -1;
    uint64_t value = ReadNumber(kFidResolution, settings, printerSettings);
    RoleLock lock(LockRole::ModelData);
    if (HasOptionForValue(context, kFidResolution, &value))
        return 0;
    uint16_t type = 0, status = 0;
    uint64_t fallback = 0;
    if (!GetModelDefault(context, kFidResolution, &fallback, &type, &status) || type == kTypeString ||
        WriteNumber(kFidResolution, settings, printerSettings, static_cast<uint32_t>(fallback)) != kSettingOk)
        return -1;
    return 0;
}

int TakeSettingsRecord(PDevRecord* pdev, const uint8_t* record)
{
    std::vector<uint8_t> local(record, record + kSettingsRecordSize);
    uint16_t size = 0, extra = 0;
    std::memcpy(&size, local.data() + kDmSizeOffset, sizeof size);
    std::memcpy(&extra, local.data() + kDmDriverExtraOffset, sizeof extra);
    if (size != kPublicDevmodeSize || (extra != kOrdinaryDriverExtra && extra != kExtendedDriverExtra))
        return -1;
    const uint16_t ordinary = kOrdinaryDriverExtra;
    std::memcpy(local.data() + kDmDriverExtraOffset, &ordinary, sizeof ordinary);
    if (!ValidateDevmodeCoreFields(local.data(), local.size()))
        return -1;
    const uint32_t duplex = ReadNumber(kFidDuplex, local.data(), pdev->printerSettings) & 0xFFFF;
    const auto quality = static_cast<int16_t>(ReadNumber(kFidPrintQuality, local.data(), pdev->printerSettings));
    if (duplex < 1 || duplex > 3 || quality <= 0 ||
        KeepOfferedResolution(pdev->settingsContext, local.data(), pdev->printerSettings) != 0)
        return -1;
    std::memcpy(pdev->settings, local.data(), kSettingsRecordSize);
    return 0;
}
