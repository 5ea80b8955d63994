// The effective value of a setting: its value as it takes effect once the
// settings that control it are considered (colour settings of a monochrome job
// are neutral, and a few values depend on the resolution or the stream form).
#pragma once
#include <cstdint>

constexpr int kSettingApplicable = 1;
constexpr int kSettingNotApplicable = 2;
constexpr int kSettingControlUnreadable = 3;

constexpr uint16_t kEffectiveOk = 0;
constexpr uint16_t kEffectiveFailed = 3;

constexpr uint32_t kNoEffectiveValue = 0xFFFFFFFFu;

// The stream version word when setting 336 asks for the older stream form:
// bytes 2, 1, 1, 1 from the lowest.
constexpr uint32_t kOlderStreamVersion = 16844802;

int IsSettingApplicable(uint16_t id, void* settingsRecord, void* printerSettingsRecord);

// The value into the 8-byte holder (strings: a pointer into the record), with its
// type and size: kEffectiveOk, or kEffectiveFailed when an out pointer is missing,
// the setting cannot be read, or it is not applicable and has no neutral value.
uint16_t QueryEffectiveValue(uint16_t id, void* settingsRecord, void* printerSettingsRecord, uint16_t* type,
                             uint32_t* size, void* holder);

// The effective value as a 32-bit number; kNoEffectiveValue on any error (which a
// stored 0xFFFFFFFF cannot be told from).
uint32_t GetEffectiveValue(void* settingsRecord, void* printerSettingsRecord, uint16_t id);
