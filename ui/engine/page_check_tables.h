// The setting ranges the whole-record check runs the model's rules over: data,
// kept apart from the walk.
#pragma once
#include <cstdint>

struct SettingRange {
    uint16_t first;
    uint16_t last;
};

// The model's device and user-code settings, and the stamp pseudo-setting.
extern const SettingRange kRecheckAllSettings[];
// The paper and layout settings, in the order their rules must see them.
extern const SettingRange kRecheckPaperSettings[];
