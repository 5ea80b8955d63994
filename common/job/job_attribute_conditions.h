// Whether a job attribute row of the model is written: its condition rows,
// each a comparison of a setting with the row's values, joined by connectors
// into groups that are evaluated left to right with short cuts.
#pragma once
#include <windows.h>

#include <cstdint>

struct SettingsContext;
struct JobAttributeSection;
struct ModelTerm;

// Condition operators and connectors as the model stores them.
inline constexpr uint8_t kCondEqual = 1;          // row value = setting
inline constexpr uint8_t kCondNotEqual = 2;
inline constexpr uint8_t kCondGreater = 3;        // row value > setting
inline constexpr uint8_t kCondGreaterOrEqual = 4;
inline constexpr uint8_t kCondLess = 5;
inline constexpr uint8_t kCondLessOrEqual = 6;
inline constexpr uint8_t kCondCustomPaperSize = 9;

inline constexpr uint8_t kJoinAnd = 1;
inline constexpr uint8_t kJoinOr = 2;
inline constexpr uint8_t kJoinEndGroupOr = 3;
inline constexpr uint8_t kJoinEnd = 4;
inline constexpr uint8_t kJoinEndNegatedAnd = 5;
inline constexpr uint8_t kJoinEndNegated = 6;

// 1 write the line, 0 leave it out, or a negative code. The printer (may be
// null) turns the paper size setting into the model's paper number.
int EvaluateJobAttributeConditions(const SettingsContext* settings, void* settingsRecord, void* printerSettingsRecord,
                                   HANDLE printer, const JobAttributeSection* row);

// The row's value V against the setting's value S by operator: 1 true, 0
// false, or a negative code. Numbers are read in their type's width; strings
// are NUL-terminated UTF-16.
int CompareConditionValue(uint16_t rowType, const void* rowValue, uint32_t rowSize, uint8_t op,
                          uint16_t settingType, const void* settingValue, uint32_t settingSize);

