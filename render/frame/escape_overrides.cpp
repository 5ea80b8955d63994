#include "render/frame/escape_overrides.h"

#include "common/context/settings_context.h"
#include "common/model/model_kinds.h"
#include "common/settings/function_ids.h"
#include "render/device/pdev_record.h"
#include "render/device/setting_ids.h"

#include <iterator>

namespace {

// Each override and the setting it replaces, in the capability record's order.
// A controlling setting comes before the settings that follow it, so that
// what the value engine changes along with it is overwritten by them.
struct OverrideRow {
    int32_t CapabilityRecord::*field;
    uint16_t setting;
};
constexpr OverrideRow kOverrideRows[] = {
    {&CapabilityRecord::duplex, kFidDuplex},
    {&CapabilityRecord::pagesPerSheet, kFidPagesPerSheet},  // setting 295
    {&CapabilityRecord::nupOrder, kFidNupOrder},
    {&CapabilityRecord::orientation, kFidNupOrientation},
    {&CapabilityRecord::layout, kFidPosterBooklet},
    {&CapabilityRecord::grid, kFidLayoutGrid},
    {&CapabilityRecord::colourMode, kFidColorMode},
};
static_assert(std::size(kOverrideRows) == std::size(CapabilityRecord{}.savedValues));
enum OverrideIndex { kDuplexAt, kPagesAt, kOrderAt, kOrientationAt, kLayoutAt, kGridAt, kColourAt };

// Pages per sheet that an override may ask for and the N-up order that goes
// with each.
struct NupRow {
    int32_t pages;
    int32_t order;
};
constexpr NupRow kNupRows[] = {{1, 0}, {2, 1}, {4, 3}, {8, 3}, {16, 3}, {32, 3}};

constexpr int32_t kNoOverride = -1;
constexpr int32_t kPlainLayout = 0;
constexpr int32_t kNoColourMode = 0;

// The values laid over the settings: the overrides, with the settings that
// follow an overridden one taking the value that goes with it where they
// have no override of their own.
void OverrideValues(const CapabilityRecord& record, int32_t values[])
{
    for (size_t i = 0; i < std::size(kOverrideRows); ++i)
        values[i] = record.*kOverrideRows[i].field;
    const int32_t pages = values[kPagesAt];
    if (pages != kNoOverride) {
        if (values[kOrderAt] == kNoOverride)
            values[kOrderAt] = NupOrderForPages(pages);
        // Several pages on a sheet leave no room for a poster or a booklet.
        if (pages > 1 && values[kLayoutAt] == kNoOverride)
            values[kLayoutAt] = kPlainLayout;
    }
    if (values[kColourAt] == kNoOverride && record.modeWord != 0)
        values[kColourAt] = kNoColourMode;
}

} // namespace

int32_t NupOrderForPages(int32_t pages)
{
    for (const NupRow& row : kNupRows)
        if (row.pages == pages)
            return row.order;
    return kNoOverride;
}

int ApplyEscapeOverrides(PDevRecord* pdev)
{
    CapabilityRecord& record = pdev->capability;
    record.modelFlag = pdev->settingsContext &&
                       IsFeatureInModel(pdev->settingsContext->main, pdev->settingsContext->linked,
                                        kFidDrawingEscapesFeature) == 0;
    int32_t values[std::size(kOverrideRows)];
    OverrideValues(record, values);
    int result = 0;
    record.overridden = 0;
    for (size_t i = 0; i < std::size(kOverrideRows); ++i) {
        const OverrideRow& row = kOverrideRows[i];
        record.savedValues[i] = static_cast<int32_t>(GetPdevSettingDword(pdev, row.setting));
        if (values[i] == kNoOverride)
            continue;
        if (SetPdevSettingNumber(pdev, row.setting, static_cast<uint32_t>(values[i])) != 0)
            result = -1;
        record.overridden |= 1u << i;
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
        if ((record.overridden & (1u << i)) &&
            SetPdevSettingNumber(pdev, row.setting, static_cast<uint32_t>(record.savedValues[i])) != 0)
            result = -1;
    }
    record.overridesApplied = 0;
    record.overridden = 0;
    return result;
}
