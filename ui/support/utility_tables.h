// Which settings the shared interface routines treat specially: data only, so
// that a new length setting is one more row, not a new branch.
#pragma once
#include <cstdint>

// Settings shown as lengths in millimetres or inches (user sizes included).
bool IsLengthSetting(uint16_t id);
// The image adjustments shown as lengths only when inches are shown.
bool IsAdjustmentLengthSetting(uint16_t id);
