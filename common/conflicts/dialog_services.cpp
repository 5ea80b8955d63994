#include "common/conflicts/dialog_services.h"

#include "common/context/settings_context.h"
#include "common/model/model_value_ops.h"
#include "common/options/option_lists.h"
#include "common/settings/capability_bits.h"
#include "common/settings/value_types.h"
#include "common/system/system_utilities.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

constexpr CapabilityId kCapabilityInchDisplay = CapabilityBit(0x22);
constexpr CapabilityId kCapabilityOneInchDecimal = CapabilityBit(0x23);

constexpr int32_t kAdjustmentLimit = 19;

// Slider rules: linear tenths, or a power-of-two scale from a base.
struct SliderRow {
    uint16_t id;
    uint32_t base;  // 0: linear
};
constexpr SliderRow kSliderRows[] = {
    {268, 0},   {269, 0},   {311, 0},   {324, 0},   {1856, 0},
    {392, 1},   {395, 1},   {398, 1},   {401, 1},
    {393, 256}, {396, 256}, {399, 256}, {402, 256},
    {394, 65536}, {397, 65536}, {400, 65536}, {403, 65536},
};

// Position p is base x 2^(p+3) from p = -3 on, base / 2 below.
int64_t PowerScaleValue(uint32_t base, int32_t position)
{
    if (position < -3)
        return base / 2;
    const int shift = std::min(position + 3, 40);
    return static_cast<int64_t>(base) << shift;
}

int32_t PowerScalePosition(uint32_t base, int64_t value)
{
    if (value < base)
        return -4;
    int32_t position = -3;
    for (int64_t step = base; step < value; step *= 2)
        ++position;
    return position;
}

}  // namespace

int GetUnitDisplayFlags(const SettingsContext* settings, uint16_t localeUnit, PaperUnits* flags)
{
    if (!settings || !flags)
        return 0;
    flags->inch = localeUnit != 0 && TestModelCapability(settings->main, kCapabilityInchDisplay) ? 1 : 0;
    flags->precision = TestModelCapability(settings->main, kCapabilityOneInchDecimal) ? 1 : 0;
    return 1;
}

int ConvertSliderValue(int direction, uint16_t id, uint16_t type, const void* value, uint32_t* out)
{
    if (!value || !out)
        return 0;
    int32_t number = 0;
    if (type == kTypeS32 || type == kTypeU32)
        std::memcpy(&number, value, 4);
    else {
        int16_t narrow = 0;
        std::memcpy(&narrow, value, 2);
        number = narrow;
    }
    *out = static_cast<uint32_t>(number);
    const auto row = std::find_if(std::begin(kSliderRows), std::end(kSliderRows),
                                  [id](const SliderRow& r) { return r.id == id; });
    if (row == std::end(kSliderRows))
        return 0;
    if (row->base == 0) {
        *out = static_cast<uint32_t>(direction == kSliderToStored ? number * 10 : number / 10);
        return 1;
    }
    if (direction == kSliderToStored)
        *out = static_cast<uint32_t>(PowerScaleValue(row->base, number));
    else
        *out = static_cast<uint32_t>(PowerScalePosition(row->base, static_cast<uint32_t>(number)));
    return 1;
}

int32_t ClampAdjustmentValue(int32_t value, uint16_t id)
{
    const int32_t inch = TenthMmToHundredthInch(value);
    if (id == 268 || id == 269 || id == 324)
        return std::clamp(inch, -kAdjustmentLimit, kAdjustmentLimit);
    return inch;
}
