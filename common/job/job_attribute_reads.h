// Setting reads of the job description writers, with the writers' codes:
// kJobErrSettingUnknown for an identifier in no range, kJobErrSettingUnavailable
// for any other refused read.
#pragma once
#include <cstdint>

// A number of any numeric type (signed types sign-extended into the word).
int ReadJobSettingNumber(uint16_t id, void* settingsRecord, void* printerSettingsRecord, uint32_t* value);
// A string setting as a pointer into its record and its room in characters.
int ReadJobSettingText(uint16_t id, void* settingsRecord, void* printerSettingsRecord, const wchar_t** text,
                       uint32_t* roomChars);
// The setting's value, or `fallback` when it cannot be read.
uint32_t JobSettingOr(uint16_t id, void* settingsRecord, void* printerSettingsRecord, uint32_t fallback);
// The engine's status as a writer's code (0 stays 0).
int JobSettingStatusCode(uint16_t engineStatus);
