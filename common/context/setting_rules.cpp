#include "common/context/setting_rules.h"

#include "common/context/value_by_type.h"
#include "common/model/model_kinds.h"
#include "common/model/model_value_ops.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/global_block.h"
#include "common/system/scrambled_strings.h"
#include "common/system/system_utilities.h"

#include <algorithm>
#include <cwchar>

namespace {

constexpr uint16_t kFidCollateForced = 8211;       // 1: the device collates whatever the model says
constexpr uint16_t kFidCollateSetting = 4099;
constexpr uint16_t kFidUserCodeScrambled = 5159;
constexpr uint16_t kFidUserCodePlain = 5130;

constexpr uint16_t kFidCopiesLimit = 4365;
constexpr uint16_t kModelIdCopiesLimit = 32794;  // the model's own copies limit
constexpr CapabilityId kCapabilityRaiseCopies = CapabilityBit(0x3E);
constexpr uint32_t kRaisedMaxCopies = 999;

constexpr uint32_t kCapabilityCollate = 0x20000;
constexpr uint32_t kCapabilityCollateByVersion = 0x10000;
constexpr uint32_t kFirstCollatingStreamVersion = 0x01010903;
constexpr int32_t kLongPaperProduct = 7112000;

// Characters of a string setting, its room bounding the count.
int StringSettingLength(void* settingsRecord, void* printerSettingsRecord, uint16_t id, const wchar_t** text)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdValue(id, settingsRecord, printerSettingsRecord, &type, &size, &holder) != kSettingOk
        || type != kTypeString || size < 2)
        return -1;
    *text = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(holder));
    return BoundedWideLength(*text, static_cast<int>(size / 2));
}

}  // namespace

int LimitResolutionForPaper(void* settingsRecord, void* printerSettingsRecord)
{
    uint32_t width = 0, length = 0, quality = 0;
    if (!ReadSettingNumber(kFidPaperWidth, settingsRecord, printerSettingsRecord, &width)
        || !ReadSettingNumber(kFidPaperLength, settingsRecord, printerSettingsRecord, &length))
        return 0;
    const int32_t longer = std::max(static_cast<int32_t>(width), static_cast<int32_t>(length));
    if (longer <= 0)
        return 0;
    const int32_t limit = kLongPaperProduct / longer;
    if (limit == 0 || !ReadSettingNumber(kFidPrintQuality, settingsRecord, printerSettingsRecord, &quality))
        return 0;
    if (static_cast<int32_t>(quality) <= limit)
        return 1;
    int16_t resolution;
    if (limit > 600)
        resolution = 600;
    else if (limit > 300)
        resolution = 300;
    else if (limit > 200)
        resolution = 200;
    else
        return 0;
    const bool written =
        SetFunctionIdValueArgs(settingsRecord, printerSettingsRecord, kFidPrintQuality, kTypeS16, 2, resolution) == 0
        && SetFunctionIdValueArgs(settingsRecord, printerSettingsRecord, kFidYResolution, kTypeS16, 2, resolution) == 0;
    return written ? 1 : 0;
}

int GetCollateSupport(void* settingsRecord, void* printerSettingsRecord, const CapabilityBits* capabilities)
{
    if (settingsRecord == nullptr || printerSettingsRecord == nullptr || capabilities == nullptr)
        return 0;
    uint32_t value = 0;
    if (ReadSettingNumber(kFidCollateForced, settingsRecord, printerSettingsRecord, &value) && value == 1)
        return 1;
    if (!TestCapabilityBit(capabilities, kCapabilityCollate))
        return 1;
    if (ReadSettingNumber(kFidCollateSetting, settingsRecord, printerSettingsRecord, &value) && value != 0)
        return 1;
    if (!TestCapabilityBit(capabilities, kCapabilityCollateByVersion))
        return 3;
    if (ReadSettingNumber(kFidStreamVersion, settingsRecord, printerSettingsRecord, &value)
        && value >= kFirstCollatingStreamVersion)
        return 2;
    return 3;
}

int AdjustMaxCopies(void* settingsRecord, void* printerSettingsRecord, ModelDataRecord* main,
                    ModelDataRecord* linked, uint32_t* maximum)
{
    if (settingsRecord == nullptr || main == nullptr || maximum == nullptr)
        return 0;
    if (!TestModelCapability(main, kCapabilityRaiseCopies))
        return 1;
    uint32_t limit = 0;
    if (!ReadSettingNumber(kFidCopiesLimit, settingsRecord, printerSettingsRecord, &limit))
        return 0;
    ModelValue modelLimit;
    uint32_t modelValue = 0;
    if (ReadModelDefault(main, linked, kModelIdCopiesLimit, &modelLimit) != kModelOk
        || !ModelValueNumber(modelLimit, &modelValue))
        return 0;
    if (limit < modelValue)
        *maximum = kRaisedMaxCopies;
    return 1;
}

int ShouldShowUserIdentificationDialog(void* settingsRecord, void* printerSettingsRecord, int askFlag)
{
    uint32_t enabled = 0, mode = 0;
    if (!ReadSettingNumber(kFidIdentificationEnabled, settingsRecord, printerSettingsRecord, &enabled)
        || !ReadSettingNumber(kFidIdentificationMode, settingsRecord, printerSettingsRecord, &mode))
        return 0;
    if (enabled == 0 && mode == 3)
        return 0;
    if (!askFlag)
        return 1;
    if (enabled == 1)
        return 0;
    return mode != 3 ? 1 : 0;
}

int CheckCodeLength(void* settingsRecord, void* printerSettingsRecord, int scrambled, uint16_t* maximum,
                    uint16_t* minimum)
{
    const uint16_t most = scrambled ? 12 : 4;
    uint32_t least = 0;
    const bool haveRecords = settingsRecord != nullptr && printerSettingsRecord != nullptr;
    if (haveRecords && !ReadSettingNumber(kFidUserCodeMinimum, settingsRecord, printerSettingsRecord, &least))
        least = 0;
    if (maximum != nullptr)
        *maximum = most;
    if (minimum != nullptr)
        *minimum = static_cast<uint16_t>(least);
    if (!haveRecords)
        return 0;

    const wchar_t* stored = nullptr;
    const int storedLength = StringSettingLength(settingsRecord, printerSettingsRecord,
                                                 scrambled ? kFidUserCodeScrambled : kFidUserCodePlain, &stored);
    int length = storedLength < 0 ? 0 : storedLength;
    if (scrambled && storedLength > 0) {
        // The stored form need not be terminated inside its room.
        wchar_t copy[64] = {};
        wcsncpy(copy, stored, std::min(storedLength, 63));
        wchar_t* plain = nullptr;
        length = EncodeOrDecodeProtectedString(kProtectStringDecode, copy, &plain) ? static_cast<int>(wcslen(plain)) : 0;
        GlobalBlockPtr<wchar_t> owned(plain);
    }
    return static_cast<int>(least) <= length && length <= most ? 1 : 0;
}
