// The paper tests of the rule evaluation: whether the output paper fits a tray
// or bin, and whether a user-defined size lies within a size rule.
#pragma once
#include <cstdint>

#include "common/constraints/constraint_engine.h"
#include "common/model/model_section.h"

// The paper settings one paper test weighs, gathered afresh for each test.
struct PaperContext {
    uint16_t source;        // 265, or dmDefaultSource (13) when 265 is 258
    uint16_t bin;           // 266
    uint16_t secondSource;  // 389
    uint16_t outputPaper;   // 262, or the document paper (8) when 262 is 267
    uint32_t secondSourceOn;  // 1313
    uint16_t paper410;
    uint16_t paper411;
    uint16_t tray333;
    uint16_t covers332;
    uint16_t mask;          // involvement bits of the values taken
};
// False when a setting cannot be read.
bool GatherPaperContext(const ConstraintContext* context, const SettingChange* change, PaperContext* paper);

// Condition rows of operators 7, 8, 10, 11 and 12 once their value matched:
// true (1) when the user-defined output paper does not fit the paper source
// (the second source for 8). 1, 0, or 2 on an error.
uint16_t TestPaperFitRow(const ConstraintContext* context, const SettingChange* change, uint8_t op,
                         uint16_t* bits);
// Condition rows of operators 9 and 13.
uint16_t TestSizeRuleRow(const ConstraintContext* context, const SettingChange* change, const ModelTerm* row,
                         const ModelSection* feature, uint16_t* bits);
// The paper check of a rule kind (1024-9216 but 4096: tray fit; 4096: the
// user-size range). *fires and *bits (the result's bits, updated) on 0; 2 on an
// error.
uint16_t TestRuleKindFit(const ConstraintContext* context, const SettingChange* change, uint16_t kind,
                         bool* fires, uint16_t* bits);
// The size rule (kind 17) as limits. 1 ok, 0 missing.
struct TrayLimits;
int LoadSizeRule(const SettingsContext* settings, uint16_t rule, TrayLimits* limits);
