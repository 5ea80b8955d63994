// The model's option query rules and tray assignment rules, as plain records,
// and their evaluation against what the printer answers.
//
// Where the rules come from (the model reader's layouts):
//   option query rule (kind 22): number1 = rule class (3 = installable option),
//     number2 = setting identifier, a = value type, b = value size (4 for a
//     flag), byte = method (129 = table method, else the value type of a direct
//     read), flags = flag word (1 below format 4096), number3 = attribute
//     index, names = attribute names, values = the (key, result) pairs;
//   tray assignment rule (kind 23): the terms are the condition rows (setting
//     identifier, typed value, operator, connector d); each triple is
//     (paper source code a, device tray number b), c unused;
//   paper source (kind 5): the record identifier is the source code, the
//     size pairs are the smallest and largest paper, the second reference list
//     the paper codes it takes;
//   paper size (kind 10): the identifier is the paper code, `size` its width
//     and length;
//   paper type name (kind 19): `byte` is the type code, `name` its name;
//   second type name (kind 25): the record identifier is the code, `name` its name.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/model/model_section.h"
#include "ui/query/query_answers.h"

inline constexpr uint16_t kQueryRuleOption = 3;   // rule class of an installable option
inline constexpr uint8_t kQueryTableMethod = 129;

// Flag word bits.
inline constexpr uint16_t kQueryOwnIndex = 0x1;
inline constexpr uint16_t kQueryKeepValue = 0x8;
inline constexpr uint16_t kQueryVersionThreshold = 0x40;
inline constexpr uint16_t kQueryEqualInteger = 0x80;
inline constexpr uint16_t kQueryCeiling = 0x100;
inline constexpr uint16_t kQueryEqualByte = 0x200;
inline constexpr uint16_t kQueryBitPattern = 0x400;
inline constexpr uint16_t kQueryTypedMatch = 0x800;
inline constexpr uint16_t kQueryNoCommonBits = 0x1000;

// The longest text an attribute may answer, terminator excluded.
inline constexpr int kQueryTextChars = 255;

struct QueryValue {
    uint32_t number = 0;                    // flag, s32, u32 (bits as read)
    wchar_t text[kQueryTextChars + 1] = {};  // string
};

// Reads one attribute of the printer; false on failure.
struct AttributeReader {
    virtual bool Read(uint16_t type, const char* name, uint16_t index, QueryValue* out) = 0;
};

struct QueryRule {
    uint16_t ruleClass = 0;
    uint16_t settingId = 0;
    uint16_t valueType = 0;
    uint16_t valueSize = 0;
    uint8_t method = 0;
    uint16_t flags = 1;
    uint16_t index = 0;
    std::vector<std::string> attributes;        // ANSI
    std::vector<const ModelValue*> values;      // key, result, key, result, ...
};

// The rule's record of the model; flags is the flag word when the format has one.
QueryRule QueryRuleFromSection(const EntrySetSection& s, bool hasFlagWord);
// Evaluates one rule. True with an answer; false when the rule gives nothing
// (its attribute could not be read, or no pair matches). The answer begins
// zero-filled for every rule.
bool EvaluateQueryRule(const QueryRule& rule, AttributeReader* reader, SettingAnswer* answer);

// One condition row of a tray assignment rule.
struct TrayCondition {
    uint16_t settingId = 0;
    const ModelValue* value = nullptr;
    uint8_t op = 0;
    uint8_t connector = 0;
};
inline constexpr int kConditionError = -1;
// 1 when the rows hold against the answers, 0 when not, kConditionError.
int EvaluateTrayConditions(const std::vector<TrayCondition>& rows, const AnswerList& answers);
