#include "ui/support/utility_tables.h"

#include <iterator>

namespace {

struct IdRange {
    uint16_t first;
    uint16_t last;
};

// Stored in tenths of a millimetre: image shifts, binding and page margins,
// the custom size, the blank margin, and the twenty user sizes (widths then
// lengths).
constexpr IdRange kLengthSettings[] = {
    {460, 461}, {470, 470}, {1825, 1828}, {1863, 1864}, {5889, 5928},
};

// Binding shifts and the edge adjustment: shown in whole millimetres as slider
// steps, so only the inch display counts as a length.
constexpr uint16_t kAdjustmentSettings[] = {268, 269, 324};

}  // namespace

bool IsLengthSetting(uint16_t id)
{
    for (const IdRange& r : kLengthSettings)
        if (id >= r.first && id <= r.last)
            return true;
    return false;
}

bool IsAdjustmentLengthSetting(uint16_t id)
{
    for (uint16_t a : kAdjustmentSettings)
        if (a == id)
            return true;
    return false;
}
