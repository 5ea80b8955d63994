// The constraint engine: whether a new value of one setting may stand beside
// the other settings of a document and of the printer, for the printer's model.
// A check never writes a setting: it reports a result code, the model rules
// that fired and the settings involved. After the user has accepted, the
// carrying-out operations make the new value, the fired rules' assignments and
// a prepared fix, recording each changed setting for the dialogs to refresh.
#pragma once
#include <windows.h>

#include <cstdint>

#include "common/constraints/constraint_result.h"

struct SettingsContext;
struct ModelSection;

// What every operation of the engine works on. Values are read and written only
// by identifier on the two records.
struct ConstraintContext {
    SettingsContext* settings;
    void* settingsRecord;
    void* printerSettingsRecord;
};

// One proposed change. `value` points at an 8-byte value holder (numbers in its
// low bytes; for a string, the holder holds the string pointer); null means no
// new value: the check then works on the setting's current value.
struct SettingChange {
    uint16_t id;
    uint16_t type;
    uint16_t size;
    const void* value;
};

// Who asks: the mode restricts which rules of the model apply.
inline constexpr uint16_t kModeInteractive = 0;
inline constexpr uint16_t kModeValidate = 1;   // validation of a default settings set
inline constexpr uint16_t kModeCarryOut = 2;   // carrying out an accepted value
inline constexpr uint16_t kModeReset = 3;      // reset of a setting to its default

// Identifiers outside the setting tables by which the dialogs submit actions.
inline constexpr uint16_t kActionStampAdd = 36865;
inline constexpr uint16_t kActionStampChange = 36866;
inline constexpr uint16_t kActionStampDelete = 36867;
inline constexpr uint16_t kActionCapabilityCheck = 36903;

// featureFlag 1: the setting's feature record is looked up without the value
// (the control shows a value that is no option of the setting).
inline constexpr int kFeatureWithoutValue = 1;

// Checks `id` with `value` (null: its current value) in `mode`. `scopeIds` is
// an optional zero-terminated list: when given and neither the setting nor a
// controlling setting of the earlier result is in it, the model's rules do not
// apply. `outIdList` (optional) receives a zero-terminated global block of the
// settings involved, ending with `id`, or null when none were. 0 checked (the
// code in `result`), 1 bad argument or a failed read, 2 no memory.
uint16_t CheckSettingConstraints(uint16_t mode, HANDLE printer, SettingsContext* settingsContext,
                                 void* settingsRecord, void* printerSettingsRecord, const uint16_t* scopeIds,
                                 uint16_t id, uint16_t valueType, const void* value, ConstraintResult* result,
                                 uint16_t** outIdList, int featureFlag);

// Adds the settings that govern a checked setting to the result's controlling
// settings. 0, or the list's status.
uint16_t AddControllingIds(uint16_t id, ConstraintResult* result);

// The bytes a value of `type` takes (strings: UTF-16 units plus one, times 2);
// 0 for a type without a size (0, 7, 9, above 10) or a string without pointer.
uint32_t ChangeValueSize(uint16_t type, const void* value);
// Sets the change's setting with the size its type implies. 0 set, 1 refused.
uint16_t SetValueFromChangeRecord(const ConstraintContext* context, const SettingChange* change);
// Sets n changes in order, adding each setting to `changedIds`. 4 all set, 3
// n is 0, 1 missing context or count, else the failing set's status.
uint16_t ApplySettingChanges(const ConstraintContext* context, uint16_t** changedIds, uint16_t* changedCount,
                             uint16_t n, const SettingChange* changes);
// Carries out the assignments of the listed fired rules of table 7
// (tableSelector 1) or table 8 (0). 4 when a rule had assignments, 3 when none
// had or n is 0, 1 on an error.
uint16_t EvaluateConstraintRules(int tableSelector, const ConstraintContext* context, uint16_t** changedIds,
                                 uint16_t* changedCount, uint16_t n, const uint16_t* ruleNumbers);

// A fix the engine prepares for a known conflict and the caller carries out
// with ApplySettingChanges once the user has accepted: the old and new states
// as texts and the changes (strings in blocks of their own), all global blocks.
struct PreparedFix {
    wchar_t* oldText;
    wchar_t* newText;
    uint16_t count;
    SettingChange* changes;
};
// 0 prepared, or nothing to prepare for this setting; 1 error; 2 no memory.
// On a failure every block is freed and the fix cleared.
uint16_t TryAutoResolveConflict(HANDLE printer, const ConstraintContext* context, const SettingChange* change,
                                PreparedFix* fix, ConstraintResult* result);
void FreePreparedFix(PreparedFix* fix);

// The fit of the page grid (296) at the zoom (263) when tiling (321 is 1):
// 0 fits or does not apply, 13 too small, 14 too large (with, in *outIds, a
// zero-terminated global block of the other settings involved), 1 error.
uint16_t CheckLayoutScaleFit(const ConstraintContext* context, const SettingChange* change, uint16_t** outIds);

// Recomputes the output bin 266 from the settings that decide it and sets it
// when it differs. 1 right or set, 0 failure.
int RecomputeDerivedValue(SettingsContext* settingsContext, void* settingsRecord, void* printerSettingsRecord,
                          const SettingChange* change);
// The output bin those settings decide, without writing it. 1 with *bin, 0
// when a setting cannot be read.
int ComputeDerivedOutputBin(const ConstraintContext* context, const SettingChange* change, uint16_t* bin);

// The settings pages' check of a model capability block against a text: no
// capability is ever granted this way (0), so a check built on it ends refused.
int CheckCapabilityValue(const uint32_t* capabilityWords, const wchar_t* text);
