// The check of a whole set of settings against the model's rules, for a
// default set that the site configuration or a preset made.
#pragma once
#include <windows.h>

#include <cstdint>

struct SettingsContext;

constexpr int kDefaultsValid = 1;
constexpr int kDefaultsConflict = 2;
constexpr int kDefaultsCheckFailed = -1;
constexpr uint16_t kMaxReportedConflicts = 100;

// Every setting of the 13 item groups, with its value in the records, checked
// by the constraint engine in validation mode. 1 when none conflicts; 2 with
// *conflicts a zero-ended list of the first (at most 100) conflicting
// identifiers in a global block the caller frees (the caller resets them and
// asks again); -1 on failure. Nothing is shown: the caller that wants to tell
// the user does so.
int ValidateDefaultSettings(HANDLE printer, SettingsContext* context, void* settingsRecord,
                            void* printerSettingsRecord, uint16_t** conflicts);
