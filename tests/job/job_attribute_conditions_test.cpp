#include "common/job/job_attribute_conditions.h"

#include "common/constraints/constraint_engine.h"
#include "common/constraints/rule_evaluation.h"

#include "common/job/job_header_codes.h"
#include "common/model/model_section.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_types.h"
#include "tests/job/job_test_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <vector>

namespace {

TEST(CompareConditionValue, OperatorsAndTypes)
{
    const int16_t minus2 = -2, four16 = 4;
    const uint16_t u4 = 4, u65535 = 65535;
    const int32_t s5 = 5, s4 = 4;
    const uint8_t b2 = 2, b200 = 200;
    const uint32_t flagOn = 1, flagOff = 0;
    struct Case {
        uint16_t type;
        const void* v;
        uint8_t op;
        const void* s;
        int expected;
    } cases[] = {
        {kTypeS32, &s5, kCondGreater, &s4, 1},          // 5 > 4: row value above the setting
        {kTypeS32, &s4, kCondGreater, &s5, 0},
        {kTypeS32, &s4, kCondGreaterOrEqual, &s4, 1},
        {kTypeS32, &s4, kCondLess, &s5, 1},
        {kTypeS32, &s5, kCondLessOrEqual, &s4, 0},
        {kTypeS16, &minus2, kCondLess, &four16, 1},     // signed
        {kTypeU16, &u65535, kCondGreater, &u4, 1},      // unsigned
        {kTypeByte, &b200, kCondGreater, &b2, 1},
        {kTypeFlag, &flagOn, kCondEqual, &flagOn, 1},
        {kTypeFlag, &flagOn, kCondNotEqual, &flagOff, 1},
        {kTypeU16, &u4, 7, &u4, 1},                     // 7, 8, 10-12 compare as equal
        {kTypeU16, &u4, 12, &u65535, 0},
        {kTypeU16, &u4, 0, &u4, kJobErrOperator},
        {kTypeU16, &u4, 9, &u4, kJobErrOperator},
        {kTypeU16, &u4, 13, &u4, kJobErrOperator},
        {kTypeFlag, &flagOn, kCondGreater, &flagOff, kJobErrOperatorForType},
    };
    for (const Case& c : cases) {
        const uint32_t size = c.type == kTypeByte ? 1 : c.type == kTypeS16 || c.type == kTypeU16 ? 2 : 4;
        EXPECT_EQ(CompareConditionValue(c.type, c.v, size, c.op, c.type, c.s, size), c.expected)
            << c.type << " op " << int(c.op);
    }
    EXPECT_EQ(CompareConditionValue(kTypeU16, &u4, 2, kCondEqual, kTypeS16, &four16, 2), kJobErrConditionType);
    EXPECT_EQ(CompareConditionValue(kTypeS32, &s4, 4, kCondEqual, kTypeS32, &s4, 2), kJobErrValueSize);
    EXPECT_EQ(CompareConditionValue(7, &s4, 4, kCondEqual, 7, &s4, 4), kJobErrValueTypeUnknown);
    const wchar_t a[] = L"ABC", b[] = L"ABD";
    EXPECT_EQ(CompareConditionValue(kTypeString, a, sizeof a, kCondEqual, kTypeString, a, sizeof a), 1);
    EXPECT_EQ(CompareConditionValue(kTypeString, a, sizeof a, kCondNotEqual, kTypeString, b, sizeof b), 1);
    EXPECT_EQ(CompareConditionValue(kTypeString, a, sizeof a, kCondGreater, kTypeString, b, sizeof b),
              kJobErrOperatorForType);
    // A setting text without its terminator is read only within its size.
    const wchar_t unterminated[3] = {L'A', L'B', L'C'};
    EXPECT_EQ(CompareConditionValue(kTypeString, a, sizeof a, kCondEqual, kTypeString, unterminated, 6), 1);
}

// Condition rows built in memory over settings of known value: setting 320
// (u16) holds 1 and 341 (u16) holds 0.
class ConditionTest : public JobTest {
protected:
    void SetUp() override
    {
        JobTest::SetUp();
        SetNumber(320, 1);
        SetNumber(341, 0);
    }

    static ModelTerm Term(uint16_t id, uint8_t op, std::initializer_list<uint16_t> values, uint8_t connector)
    {
        ModelTerm t;
        t.op = op;
        t.settingId = id;
        t.d = connector;
        t.value.type = kTypeU16;
        t.value.size = 2;
        t.value.count = static_cast<uint16_t>(values.size());
        t.value.owned.reset(new uint8_t[values.size() * 2 + 2]);
        size_t i = 0;
        for (uint16_t v : values)
            std::memcpy(t.value.owned.get() + 2 * i++, &v, 2);
        t.value.data = t.value.owned.get();
        return t;
    }
    // A row that holds (320 = 1) or fails (320 = 2).
    static ModelTerm Truth(bool t, uint8_t connector) { return Term(320, kCondEqual, {uint16_t(t ? 1 : 2)}, connector); }

    template <typename... Terms>
    int Evaluate(Terms&&... terms)
    {
        std::vector<ModelTerm> rows;
        (rows.push_back(std::move(terms)), ...);
        return EvaluateRows(std::move(rows));
    }
    int EvaluateRows(std::vector<ModelTerm>&& terms)
    {
        JobAttributeSection row;
        row.conditions = std::move(terms);
        return EvaluateJobAttributeConditions(context_.get(), settings(), printerSettings(), nullptr, &row);
    }
};

TEST_F(ConditionTest, ValueListsAndRowsWithoutValues)
{
    SetNumber(320, 4);
    EXPECT_EQ(Evaluate(Term(320, kCondNotEqual, {1, 2, 3}, kJoinEnd)), 1);
    SetNumber(320, 2);
    EXPECT_EQ(Evaluate(Term(320, kCondNotEqual, {1, 2, 3}, kJoinEnd)), 0);
    EXPECT_EQ(Evaluate(Term(320, kCondEqual, {1, 2, 3}, kJoinEnd)), 1);
    SetNumber(320, 4);
    EXPECT_EQ(Evaluate(Term(320, kCondGreater, {5}, kJoinEnd)), 1);
    // A row without a value is false whatever its operator.
    EXPECT_EQ(Evaluate(Term(320, kCondNotEqual, {}, kJoinEnd)), 0);
    EXPECT_EQ(Evaluate(), 1);
    EXPECT_EQ(Evaluate(Term(9999, kCondEqual, {1}, kJoinEnd)), kJobErrSettingUnknown);
    EXPECT_EQ(Evaluate(Truth(true, 7)), kJobErrConnector);
    EXPECT_EQ(Evaluate(Truth(true, 0)), kJobErrConnector);
}

TEST_F(ConditionTest, ConnectorsJoinRowsIntoGroups)
{
    constexpr bool T = true, F = false;
    struct Row {
        bool t;
        uint8_t d;
    };
    struct Case {
        std::vector<Row> rows;
        int expected;
    } cases[] = {
        {{{T, kJoinAnd}, {T, kJoinEnd}}, 1},
        {{{T, kJoinAnd}, {F, kJoinEnd}}, 0},
        {{{F, kJoinAnd}, {T, kJoinEnd}}, 0},
        {{{F, kJoinAnd}, {T, kJoinEndGroupOr}, {T, kJoinEnd}}, 1},         // the next group decides
        {{{F, kJoinAnd}, {T, kJoinEndNegated}}, 1},                        // a false AND before a negated end
        {{{F, kJoinOr}, {T, kJoinEnd}}, 1},
        {{{F, kJoinOr}, {F, kJoinEnd}}, 0},
        {{{T, kJoinOr}, {F, kJoinEnd}}, 1},                                // true OR skips to the end: 1
        {{{T, kJoinOr}, {F, kJoinAnd}, {T, kJoinEnd}}, 1},                 // continues after the AND row
        {{{T, kJoinOr}, {F, kJoinAnd}, {F, kJoinEnd}}, 0},
        {{{T, kJoinOr}, {F, kJoinOr}}, 1},                                 // skip runs out after a true OR
        {{{F, kJoinAnd}, {F, kJoinAnd}}, 0},                               // skip runs out after a false AND
        {{{F, kJoinEndGroupOr}, {T, kJoinEnd}}, 1},
        {{{T, kJoinEndGroupOr}, {F, kJoinEnd}}, 1},
        {{{F, kJoinEndGroupOr}, {F, kJoinEndGroupOr}}, 0},                 // rows run out
        {{{T, kJoinEnd}, {F, kJoinEnd}}, 1},
        {{{F, kJoinEnd}, {T, kJoinEnd}}, 0},
        {{{F, kJoinEndNegatedAnd}, {F, kJoinEnd}}, 0},                     // negated false: next row
        {{{T, kJoinEndNegatedAnd}, {T, kJoinAnd}, {T, kJoinEnd}, {T, kJoinEndGroupOr}, {T, kJoinEnd}}, 1},
        {{{T, kJoinEndNegatedAnd}, {T, kJoinEnd}, {T, kJoinEnd}}, 1},      // skip to the closing row, go on after it
        {{{T, kJoinEndNegated}}, 0},
        {{{F, kJoinEndNegated}}, 1},
        {{{T, kJoinOr}, {F, kJoinEndNegatedAnd}, {F, kJoinOr}, {F, kJoinEndGroupOr}, {T, kJoinEnd}}, 1},
        {{{T, kJoinOr}, {F, kJoinEndNegated}, {F, kJoinEnd}}, 0},          // continue after the 6 row: 0 so far
    };
    int n = 0;
    for (const Case& c : cases) {
        std::vector<ModelTerm> terms;
        for (const Row& r : c.rows)
            terms.push_back(Truth(r.t, r.d));
        EXPECT_EQ(EvaluateRows(std::move(terms)), c.expected) << "case " << n;
        ++n;
    }
}

TEST_F(ConditionTest, CustomPaperSizeRule)
{
    // Paper size 8's custom size option carries the rule 100-304.8 by 148-457.2 mm.
    auto rule = [this](uint16_t value) {
        ModelTerm term = Term(8, kCondCustomPaperSize, {value}, kJoinEnd);
        term.value.type = kTypeS16;
        JobAttributeSection row;
        row.conditions.push_back(std::move(term));
        return EvaluateJobAttributeConditions(context_.get(), settings(), printerSettings(), printer_->handle(), &row);
    };
    SetNumber(262, 256);
    struct Case {
        uint32_t width, length;
        int expected;
    } cases[] = {{2100, 2970, 0}, {999, 2970, 1}, {1000, 1480, 0}, {3049, 2000, 1}, {2000, 4573, 1}};
    for (const Case& c : cases) {
        SetNumber(1863, c.width);
        SetNumber(1864, c.length);
        EXPECT_EQ(rule(256), c.expected)
            << c.width << "x" << c.length;
    }
    // The output paper "same as the original" takes the model paper the
    // document's form matches; the free custom size matches none.
    SetNumber(262, 267);
    SetNumber(8, 9);
    EXPECT_EQ(rule(256), 0);
    SetNumber(8, 256);
    EXPECT_EQ(rule(256), 0);
    // An option without a size rule never fires.
    SetNumber(262, 256);
    EXPECT_EQ(rule(9), 0);
}


// Operator 9 of a job attribute row is the constraint engine's custom-paper
// size rule: the row holds exactly when the engine's rule answers 1, also for
// the output paper "same as the original" (267), which the engine takes to the
// model paper of the document's form.
TEST_F(ConditionTest, CustomPaperSizeRuleIsTheConstraintEngines)
{
    ConstraintContext engine{context_.get(), settings(), printerSettings()};
    ModelTerm outputPaper = Term(262, kCondCustomPaperSize, {}, kJoinEnd);  // the feature's own size rule
    ModelTerm customOption = Term(8, kCondCustomPaperSize, {256}, kJoinEnd);
    customOption.value.type = kTypeS16;
    struct Case {
        uint32_t output, document, width, length;
    } cases[] = {
        {262, 9, 1000, 1480}, {262, 9, 2100, 2970}, {256, 9, 999, 2970}, {256, 9, 2100, 2970},
        {267, 256, 999, 2970}, {267, 256, 2100, 2970}, {267, 262, 1000, 1480}, {267, 9, 999, 2970},
        {9, 9, 999, 2970},
    };
    int fired = 0;
    for (const Case& c : cases) {
        SetNumber(262, c.output);
        SetNumber(8, c.document);
        SetNumber(1863, c.width);
        SetNumber(1864, c.length);
        SetNumber(kFidUserPaperWidthFirst, c.width);  // user paper 262
        SetNumber(kFidUserPaperLengthFirst, c.length);
        for (ModelTerm* term : {&outputPaper, &customOption}) {
            const int expected = CheckCustomPaperSizeRule(printer_->handle(), &engine, term) == 1 ? 1 : 0;
            fired += expected;
            std::vector<ModelTerm> rows;
            rows.push_back(Term(term->settingId, kCondCustomPaperSize, {}, kJoinEnd));
            rows.back() = std::move(*term);
            JobAttributeSection row;
            row.conditions = std::move(rows);
            EXPECT_EQ(EvaluateJobAttributeConditions(context_.get(), settings(), printerSettings(), printer_->handle(),
                                                     &row),
                      expected)
                << c.output << "/" << c.document << " " << c.width << "x" << c.length << " setting "
                << row.conditions[0].settingId;
            *term = std::move(row.conditions[0]);
        }
    }
    EXPECT_GT(fired, 0);
}

}  // namespace
