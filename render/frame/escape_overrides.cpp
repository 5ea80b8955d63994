#include "render/frame/escape_overrides.h"

#include "common/settings/function_ids.h"
#include "render/frame/frame_ids.h"
#include "render/frame/pdev_record.h"

#include <iterator>

namespace {

// Each override and the setting it replaces, in the capability record's order.
struct OverrideRow {
    int32_t CapabilityRecord::*field;
    uint16_t setting;
};
constexpr OverrideRow kOverrideRows[] = {
    {&CapabilityRecord::duplex, kFidDuplex},
    {&CapabilityRecord::pagesPerSheet, kFidFeedOrientation},  // setting 295
    {&CapabilityRecord::nupOrder, kFidNupOrder},
    {&CapabilityRecord::orientation, kFidNupOrientation},
    {&CapabilityRecord::layout, kFidPosterBooklet},
    {&CapabilityRecord::grid, kFidLayoutGrid},
    {&CapabilityRecord::colourMode, kFidColorMode},
};
static_assert(std::size(kOverrideRows) == std::size(CapabilityRecord{}.savedValues));

} // namespace

int ApplyEscapeOverrides(PDevRecord* pdev)
{
    CapabilityRecord& record = pdev->capability;
    int result = 0;
    for (size_t i = 0; i < std::size(kOverrideRows); ++i) {
        const OverrideRow& row = kOverrideRows[i];
        record.savedValues[i] = static_cast<int32_t>(GetPdevSettingDword(pdev, row.setting));
        const int32_t value = record.*row.field;
        if (value != -1 && SetPdevSettingNumber(pdev, row.setting, static_cast<uint32_t>(value)) != 0)
            result = -1;
    }
    record.overridesApplied = 1;
    return result;
}

int RestoreEscapeOverrides(PDevRecord* pdev)
{
    CapabilityRecord& record = pdev->capability;
    if (!record.overridesApplied)
        return 0;
    int result = 0;
    for (size_t i = 0; i < std::size(kOverrideRows); ++i) {
        const OverrideRow& row = kOverrideRows[i];
        if (record.*row.field != -1 &&
            SetPdevSettingNumber(pdev, row.setting, static_cast<uint32_t>(record.savedValues[i])) != 0)
            result = -1;
    }
    record.overridesApplied = 0;
    return result;
}
