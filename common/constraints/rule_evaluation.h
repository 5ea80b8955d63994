// The model's two rule tables: table 7 holds conflict rules (a rule fires when
// the setting takes a trigger value while its conditions over other settings
// hold), table 8 transition rules (a rule fires when the setting takes a trigger
// value that its current value does not satisfy). Each feature and option
// record lists the numbers of its rules.
#pragma once
#include <windows.h>

#include <cstdint>

#include "common/constraints/constraint_engine.h"
#include "common/model/model_section.h"

inline constexpr int kTableConflict = 0;    // table 7
inline constexpr int kTableTransition = 1;  // table 8

// Answers of CompareTypedValues.
inline constexpr uint16_t kCompareTrue = 9;
inline constexpr uint16_t kCompareFalse = 10;
inline constexpr uint16_t kCompareMissing = 6;
inline constexpr uint16_t kCompareTypesDiffer = 7;
inline constexpr uint16_t kCompareUnknownType = 8;
inline constexpr uint16_t kCompareBadOperator = 11;

// Answers of the rule tests.
inline constexpr uint16_t kRuleNotFired = 0;
inline constexpr uint16_t kRuleFired = 1;
inline constexpr uint16_t kRuleError = 2;
inline constexpr uint16_t kRuleFiredBare = 3;  // a rule without conditions

// Rule flag word.
inline constexpr uint16_t kRuleCodeMask = 0x00FF;
inline constexpr uint16_t kRuleKindMask = 0x3C00;
inline constexpr uint16_t kRuleNotInValidation = 0x0200;
inline constexpr uint16_t kRuleNotInCarryOut = 0x0100;
inline constexpr uint16_t kRuleResetOnly = 0x4000;

// Compares a listed value (A) with a tested value (B), both in 8-byte holders.
// `op` is a row operator; X < V reads "B below A".
uint16_t CompareTypedValues(uint8_t op, uint16_t typeA, const void* valueA, uint16_t typeB, const void* valueB);
// 9 the change's value equals the setting's current value, 10 differs, 1 when
// the setting cannot be read.
uint16_t CompareChangeWithCurrentValue(const ConstraintContext* context, const SettingChange* change);

// Whether a rule's flag word lets it serve a mode.
bool RuleServesMode(uint16_t flags, uint16_t mode);

// What a table walk works with beyond the context and the change.
struct RuleWalk {
    uint16_t mode;
    bool collect;                 // record fired rules; else carry out assignments
    int tableSelector;
    HANDLE printer;
    const ConstraintContext* context;
    const SettingChange* change;
    ConstraintResult* result;     // collect mode
    const ModelSection* feature;  // the checked setting's feature or option record
    uint16_t** changedIds;        // apply mode
    uint16_t* changedCount;
    uint16_t** outIds;            // optional: the check's out list
    uint16_t* outCount;
};

// 0 walked, 1 error.
uint16_t EvaluateConstraintTable(const RuleWalk* walk);
// One rule with one tried trigger value (null: none). 0, 1, 2, 3.
uint16_t TestRule(const RuleWalk* walk, const RuleSection* rule, const void* triedValue);
uint16_t EvaluateRuleConditions(const RuleWalk* walk, const RuleSection* rule);
// 1 true, 0 false, 2 error; *bits gets the involvement bits of a paper row.
uint16_t TestConditionRow(const ConstraintContext* context, const SettingChange* change, const ModelTerm* row,
                          const ModelSection* feature, uint16_t* bits);
// Rule number `number` of table 7 (kTableConflict) or 8 into *holder, its value
// references resolved. A rule whose trigger reference cannot be resolved is
// skipped by every walk.
struct SectionHolder;
inline constexpr uint16_t kRuleLoadOk = 0;
inline constexpr uint16_t kRuleLoadFailed = 1;
inline constexpr uint16_t kRuleLoadSkip = 2;
uint16_t LoadConstraintRule(const SettingsContext* settings, int tableSelector, uint16_t number, SectionHolder* holder);
// The record whose rule lists a check of setting `id` walks: its feature
// record, or with a value (an 8-byte holder) the option holding it.
// kRuleLoadOk with the record; kRuleLoadSkip when the model has none (no
// rules apply); kRuleLoadFailed when it is listed but cannot be read.
uint16_t LoadRuleRecord(const SettingsContext* settings, uint16_t id, const void* value, SectionHolder* holder);

// The value an assignment sets, in an 8-byte holder: 32768 (types 2 and 3) is
// the model default of the assignment's own setting, 32769 that of the paper
// size 8. False when the value or the default cannot be read.
bool ResolveAssignmentValue(const ConstraintContext* context, const ModelTerm& a, uint64_t* holder);

// 4 applied, 3 none, 1 error, 2 no memory.
uint16_t ApplyRuleAssignments(const ConstraintContext* context, const RuleSection* rule, uint16_t** changedIds,
                              uint16_t* changedCount);

// The job-attribute test of an operator-9 condition: 1 the user-defined output
// paper lies outside the size rule of the condition's option, 0 inside or not
// user-defined, 2 not applicable.
uint16_t CheckCustomPaperSizeRule(HANDLE printer, const ConstraintContext* context, const ModelTerm* condition);

// Paper sizes, tenths of a millimetre. 1 ok, 0 failure.
int GetPaperSizeById(const ConstraintContext* context, uint16_t paper, uint16_t* width, uint16_t* height);
// The output paper 262, or for 267 the model paper the document paper's form
// matches; 0 when none.
uint16_t GetOutputPaperCode(HANDLE printer, const ConstraintContext* context);
// 0 ok, 1 error.
uint16_t GetPrintableSize(const ConstraintContext* context, uint16_t paper, uint16_t* width, uint16_t* height);

struct TrayLimits {
    uint16_t minWidth, minHeight, maxWidth, maxHeight;
};
inline constexpr uint16_t kTrayNoLimits = 7;
// Of an input tray (kind 5) or output bin (kind 6). 0 ok, 7 the record does not
// hold the output paper's limits, 1 error.
uint16_t GetTrayPaperLimits(const SettingsContext* settings, uint16_t kind, uint16_t tray, TrayLimits* limits);
