#include "common/records/effective_values.h"

#include "common/context/value_by_type.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"

#include <cstddef>
#include <cstring>

namespace {

constexpr uint16_t kFidColorKind = 271;
constexpr uint16_t kFidColorMatching = 293;
constexpr uint16_t kFidOlderStream = 336;
constexpr uint16_t kFidResolutionBound = 346;  // stands only at 600 dpi
constexpr uint16_t kMonochrome = 1;

enum class Rule : uint8_t {
    ColorMatching,          // 293 is 2 or 4
    ColorAndColorMatching,  // 270 is not 1 and 293 is 2 or 4
    Color,                  // 270 is not 1
    Monochrome,             // 270 is 1
    ColorKind8,             // 271 is 8
};

struct ApplicabilityRow {
    uint16_t first;
    uint16_t last;
    Rule rule;
};

// Identifiers not listed are always applicable.
constexpr ApplicabilityRow kApplicability[] = {
    {273, 277, Rule::ColorMatching},  {282, 288, Rule::ColorMatching},  {1303, 1304, Rule::ColorMatching},
    {1832, 1833, Rule::ColorMatching}, {278, 281, Rule::ColorAndColorMatching}, {291, 291, Rule::ColorAndColorMatching},
    {392, 400, Rule::Color},          {1317, 1317, Rule::Color},         {454, 454, Rule::Monochrome},
    {1308, 1308, Rule::Monochrome},   {1311, 1311, Rule::Monochrome},    {1318, 1318, Rule::Monochrome},
    {1307, 1307, Rule::ColorKind8},
};

enum class Neutral : uint8_t { Byte, U32, U16, NoString };

struct NeutralRow {
    uint16_t first;
    uint16_t last;
    Neutral value;
};

// The value a setting takes when it is not applicable; any other setting that is
// not applicable has no effective value.
constexpr NeutralRow kNeutralValues[] = {
    {454, 454, Neutral::Byte},     {273, 273, Neutral::U32},      {392, 400, Neutral::U32},
    {1303, 1304, Neutral::U32},    {1307, 1308, Neutral::U32},    {1311, 1311, Neutral::U32},
    {1317, 1318, Neutral::U32},    {274, 288, Neutral::U16},      {291, 291, Neutral::U16},
    {1832, 1833, Neutral::NoString},
};

// The row whose identifier range holds `id`, or null.
template <typename Row, size_t N>
const Row* FindRange(const Row (&rows)[N], uint16_t id)
{
    for (const Row& row : rows)
        if (id >= row.first && id <= row.last)
            return &row;
    return nullptr;
}

}  // namespace

int IsSettingApplicable(uint16_t id, void* settingsRecord, void* printerSettingsRecord)
{
    const ApplicabilityRow* row = FindRange(kApplicability, id);
    if (!row)
        return kSettingApplicable;
    uint32_t colorMode = 0;
    uint32_t matching = 0;
    uint32_t kind = 0;
    bool applicable = false;
    switch (row->rule) {
    case Rule::ColorMatching:
        if (!ReadSettingNumber(kFidColorMatching, settingsRecord, printerSettingsRecord, &matching))
            return kSettingControlUnreadable;
        applicable = matching == 2 || matching == 4;
        break;
    case Rule::ColorAndColorMatching:
        if (!ReadSettingNumber(kFidColorMode, settingsRecord, printerSettingsRecord, &colorMode) ||
            !ReadSettingNumber(kFidColorMatching, settingsRecord, printerSettingsRecord, &matching))
            return kSettingControlUnreadable;
        applicable = colorMode != kMonochrome && (matching == 2 || matching == 4);
        break;
    case Rule::Color:
    case Rule::Monochrome:
        if (!ReadSettingNumber(kFidColorMode, settingsRecord, printerSettingsRecord, &colorMode))
            return kSettingControlUnreadable;
        applicable = (colorMode == kMonochrome) == (row->rule == Rule::Monochrome);
        break;
    case Rule::ColorKind8:
        if (!ReadSettingNumber(kFidColorKind, settingsRecord, printerSettingsRecord, &kind))
            return kSettingControlUnreadable;
        applicable = kind == 8;
        break;
    }
    return applicable ? kSettingApplicable : kSettingNotApplicable;
}

uint16_t QueryEffectiveValue(uint16_t id, void* settingsRecord, void* printerSettingsRecord, uint16_t* type,
                             uint32_t* size, void* holder)
{
    if (!type || !size || !holder)
        return kEffectiveFailed;
    uint64_t value = 0;
    if (GetFunctionIdValue(id, settingsRecord, printerSettingsRecord, type, size, &value) != kSettingOk)
        return kEffectiveFailed;

    if (id == kFidResolutionBound) {
        uint32_t quality = 0;
        if (ReadSettingNumber(kFidPrintQuality, settingsRecord, printerSettingsRecord, &quality) &&
            static_cast<int16_t>(quality) != 600)
            value = 0;
    } else if (id == kFidStreamVersion) {
        uint32_t older = 0;
        if (ReadSettingNumber(kFidOlderStream, settingsRecord, printerSettingsRecord, &older) && older == 1)
            value = kOlderStreamVersion;
    } else {
        const int applicable = IsSettingApplicable(id, settingsRecord, printerSettingsRecord);
        if (applicable == kSettingControlUnreadable)
            return kEffectiveFailed;
        if (applicable == kSettingNotApplicable) {
            const NeutralRow* neutral = FindRange(kNeutralValues, id);
            if (!neutral)
                return kEffectiveFailed;
            value = 0;
            if (neutral->value == Neutral::NoString)
                *size = 0;
        }
    }
    std::memcpy(holder, &value, sizeof value);
    return kEffectiveOk;
}

uint32_t GetEffectiveValue(void* settingsRecord, void* printerSettingsRecord, uint16_t id)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (QueryEffectiveValue(id, settingsRecord, printerSettingsRecord, &type, &size, &holder) != kEffectiveOk)
        return kNoEffectiveValue;
    return static_cast<uint32_t>(holder);
}
