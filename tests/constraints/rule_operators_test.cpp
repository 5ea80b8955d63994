// Operators and connectors of the rule tables: typed comparisons, condition
// rows against the records (with the paper fit and the size rules), and the
// and/or groups of a conflict rule.
#include "common/constraints/rule_evaluation.h"
#include "common/context/section_holder.h"
#include "common/context/value_by_type.h"
#include "common/model/model_kinds.h"
#include "common/settings/function_ids.h"
#include "tests/constraints/constraint_fixture.h"

#include <cstring>
#include <tuple>
#include <string>
#include <vector>

namespace {

uint32_t ElementSize(uint16_t type)
{
    switch (type) {
    case kTypeS16:
    case kTypeU16: return 2;
    case kTypeByte: return 1;
    default: return 4;
    }
}

// A condition row whose value list the row owns.
ModelTerm Row(uint8_t op, uint16_t id, uint16_t type, std::vector<int32_t> values, uint8_t connector = 3)
{
    ModelTerm t;
    t.op = op;
    t.settingId = id;
    t.d = connector;
    t.value.type = type;
    t.value.size = values.empty() ? 0 : ElementSize(type);
    t.value.count = static_cast<uint16_t>(values.size());
    if (!values.empty()) {
        t.value.owned.reset(new uint8_t[values.size() * t.value.size]);
        for (size_t i = 0; i < values.size(); ++i)
            std::memcpy(t.value.owned.get() + i * t.value.size, &values[i], t.value.size);
        t.value.data = t.value.owned.get();
    }
    return t;
}

ModelTerm TextRow(uint8_t op, uint16_t id, const std::wstring& text)
{
    ModelTerm t;
    t.op = op;
    t.settingId = id;
    t.d = 3;
    t.value.type = kTypeString;
    t.value.count = 1;
    t.value.size = static_cast<uint32_t>((text.size() + 1) * sizeof(wchar_t));
    t.value.owned.reset(new uint8_t[t.value.size]);
    std::memcpy(t.value.owned.get(), text.c_str(), t.value.size);
    t.value.data = t.value.owned.get();
    return t;
}

// The option record of a setting's value, as a check looks it up.
struct SectionHolderForTest : SectionHolder {
    SectionHolderForTest(SettingsContext* context, uint16_t id, const void* value)
    {
        uint16_t kind = 0;
        LoadItemFeature(true, context->main, context->linked, id, value, &kind, out(), nullptr);
    }
};

uint64_t Holder(uint16_t type, int64_t v)
{
    uint64_t h = 0;
    CopyValueByType(&h, static_cast<uint64_t>(v), type);
    return h;
}

}  // namespace

TEST(CompareTypedValues, OperatorsByType)
{
    struct Case {
        uint8_t op;
        uint16_t type;
        int64_t listed, tested;
        uint16_t expected;
    };
    const Case cases[] = {
        {1, kTypeS16, 5, 5, kCompareTrue},      {0, kTypeS16, 5, 4, kCompareFalse},
        {2, kTypeS16, 5, 4, kCompareTrue},      {2, kTypeS16, 5, 5, kCompareFalse},
        {3, kTypeS16, 5, 4, kCompareTrue},      {3, kTypeS16, 5, 5, kCompareFalse},
        {4, kTypeS16, 5, 5, kCompareTrue},      {4, kTypeS16, 5, 6, kCompareFalse},
        {5, kTypeS16, 5, 6, kCompareTrue},      {5, kTypeS16, 5, 5, kCompareFalse},
        {6, kTypeS16, 5, 5, kCompareTrue},      {6, kTypeS16, 5, 4, kCompareFalse},
        {3, kTypeS16, -1, 1, kCompareFalse},    // signed: 1 is not below -1
        {3, kTypeU16, 0xFFFF, 1, kCompareTrue}, // unsigned: 1 is below 65535
        {5, kTypeS32, -10, -5, kCompareTrue},   {5, kTypeU32, 10, 0xFFFFFFFF, kCompareTrue},
        {3, kTypeFontS32, 0, -1, kCompareTrue}, {6, kTypeByte, 200, 255, kCompareTrue},
        {7, kTypeU16, 3, 3, kCompareTrue},      {8, kTypeU16, 3, 3, kCompareTrue},
        {10, kTypeU16, 3, 4, kCompareFalse},    {11, kTypeU16, 3, 3, kCompareTrue},
        {12, kTypeU16, 3, 3, kCompareTrue},
        {1, kTypeFlag, 1, 1, kCompareTrue},     {2, kTypeFlag, 1, 0, kCompareTrue},
        {3, kTypeFlag, 1, 0, kCompareBadOperator},
        {9, kTypeU16, 3, 3, kCompareBadOperator}, {13, kTypeS16, 3, 3, kCompareBadOperator},
        {9, kTypeFlag, 1, 1, kCompareBadOperator}, {200, kTypeU32, 1, 1, kCompareBadOperator},
        {1, 7, 1, 1, kCompareUnknownType},      {1, kTypeLogFont, 1, 1, kCompareUnknownType},
    };
    for (const Case& c : cases) {
        const uint64_t a = Holder(c.type, c.listed), b = Holder(c.type, c.tested);
        EXPECT_EQ(CompareTypedValues(c.op, c.type, &a, c.type, &b), c.expected)
            << "op " << int{c.op} << " type " << c.type << " " << c.listed << " " << c.tested;
    }
    const uint64_t a = Holder(kTypeU16, 1), b = Holder(kTypeS16, 1);
    EXPECT_EQ(CompareTypedValues(1, kTypeU16, &a, kTypeS16, &b), kCompareTypesDiffer);
    EXPECT_EQ(CompareTypedValues(1, kTypeU16, nullptr, kTypeU16, &b), kCompareMissing);
    EXPECT_EQ(CompareTypedValues(1, kTypeU16, &a, kTypeU16, nullptr), kCompareMissing);
}

TEST(CompareTypedValues, StringsCompareOnlyForEquality)
{
    const wchar_t* mark = L"Mark";
    const wchar_t* same = L"Mark";
    const wchar_t* other = L"mark";
    EXPECT_EQ(CompareTypedValues(1, kTypeString, &mark, kTypeString, &same), kCompareTrue);
    EXPECT_EQ(CompareTypedValues(0, kTypeString, &mark, kTypeString, &other), kCompareFalse);
    EXPECT_EQ(CompareTypedValues(2, kTypeString, &mark, kTypeString, &other), kCompareTrue);
    EXPECT_EQ(CompareTypedValues(3, kTypeString, &mark, kTypeString, &same), kCompareBadOperator);
    EXPECT_EQ(CompareTypedValues(6, kTypeString, &mark, kTypeString, &same), kCompareBadOperator);
}

TEST(RuleModes, FlagWordsRestrictRulesToModes)
{
    struct Case {
        uint16_t flags;
        bool modes[4];
    };
    const Case cases[] = {
        {0x0001, {true, true, true, true}},
        {0x0201, {true, false, true, true}},   // not in validation
        {0x0107, {true, true, false, true}},   // not when carrying out
        {0x4002, {true, false, false, true}},  // reset and interactive only
        {0x4302, {true, false, false, true}},
    };
    for (const Case& c : cases)
        for (uint16_t mode = 0; mode < 4; ++mode)
            EXPECT_EQ(RuleServesMode(c.flags, mode), c.modes[mode]) << std::hex << c.flags << " mode " << mode;
}

class ConditionRowTest : public ConstraintTest {
protected:
    uint16_t Test(const ModelTerm& row, uint16_t* bits = nullptr)
    {
        const ConstraintContext c = Context();
        uint16_t b = 0;
        const uint16_t r = TestConditionRow(&c, nullptr, &row, nullptr, &b);
        if (bits)
            *bits = b;
        return r;
    }
};

TEST_F(ConditionRowTest, ListsAndEmptyLists)
{
    Set(kFidDuplex, 3);
    EXPECT_EQ(Test(Row(2, kFidDuplex, kTypeS16, {1, 2})), 1);  // neither 1 nor 2
    EXPECT_EQ(Test(Row(1, kFidDuplex, kTypeS16, {1, 2, 3})), 1);
    EXPECT_EQ(Test(Row(1, kFidDuplex, kTypeS16, {1, 2})), 0);
    Set(kFidDuplex, 2);
    EXPECT_EQ(Test(Row(2, kFidDuplex, kTypeS16, {1, 2})), 0);
    EXPECT_EQ(Test(Row(2, kFidDuplex, kTypeS16, {})), 1);
    EXPECT_EQ(Test(Row(1, kFidDuplex, kTypeS16, {})), 0);
    EXPECT_EQ(Test(Row(5, kFidDuplex, kTypeS16, {})), kRuleError);
    EXPECT_EQ(Test(Row(5, kFidDuplex, kTypeS16, {1})), 1);
    EXPECT_EQ(Test(Row(1, kFidDuplex, kTypeU16, {2})), kRuleError);  // the setting reports s16
    EXPECT_EQ(Test(Row(1, 2, kTypeU16, {2})), 0);                    // an identifier in no range
}

TEST_F(ConditionRowTest, StringsRefuseOrderingOperators)
{
    SetText(kFidStampName, L"Mark");
    EXPECT_EQ(Test(TextRow(1, kFidStampName, L"Mark")), 1);
    EXPECT_EQ(Test(TextRow(2, kFidStampName, L"Mark")), 0);
    EXPECT_EQ(Test(TextRow(3, kFidStampName, L"Mark")), kRuleError);
}

// Tray 3 of the model takes 2100-2159 x 2794-2970; the bypass tray 4
// 900-3200 x 1480-12000.
TEST_F(ConditionRowTest, PaperFitOfTheUserOutputPaper)
{
    struct Case {
        uint8_t op;
        uint16_t width, height;
        uint16_t expected;
    };
    const Case cases[] = {
        {7, 2120, 2800, 0},  {10, 2120, 2800, 0}, {11, 2120, 2800, 1}, {12, 2120, 2800, 0},
        {7, 2800, 2120, 1},  {10, 2800, 2120, 1}, {11, 2800, 2120, 0}, {12, 2800, 2120, 0},
        {12, 1000, 1000, 1}, {7, 2100, 2794, 0},  {7, 2099, 2794, 1},  {7, 2159, 2970, 0},
        {7, 2159, 2971, 1},
    };
    Set(kFidOutputPaper, 262);
    Set(kFidPaperSource, 3);
    for (const Case& c : cases) {
        SetUserPaper(262, c.width, c.height);
        uint16_t bits = 0;
        EXPECT_EQ(Test(Row(c.op, kFidPaperSource, kTypeU16, {3}), &bits), c.expected)
            << "op " << int{c.op} << " " << c.width << " x " << c.height;
        if (c.expected == 1) {
            EXPECT_EQ(bits, kInvolvesOutputPaper | kInvolvesPaperSource);
        }
    }
    // The value must match before the paper counts.
    SetUserPaper(262, 2800, 2120);
    EXPECT_EQ(Test(Row(7, kFidPaperSource, kTypeU16, {1, 2})), 0);
    // Only a user-defined output paper is weighed.
    Set(kFidOutputPaper, 9);
    EXPECT_EQ(Test(Row(7, kFidPaperSource, kTypeU16, {3})), 0);
    // The same paper by way of "same as the document".
    Set(kFidOutputPaper, 267);
    Set(kFidPaperSize, 262);
    uint16_t bits = 0;
    EXPECT_EQ(Test(Row(7, kFidPaperSource, kTypeU16, {3}), &bits), 1);
    EXPECT_EQ(bits, kInvolvesDocumentPaper | kInvolvesPaperSource);
    // A source of the model without size limits counts as not fitting.
    Set(kFidPaperSource, 7);
    SetUserPaper(262, 2120, 2800);
    EXPECT_EQ(Test(Row(7, kFidPaperSource, kTypeU16, {7})), 1);
}

TEST_F(ConditionRowTest, SecondSourceFit)
{
    Set(kFidOutputPaper, 262);
    Set(kFidSecondSource, 3);
    SetUserPaper(262, 2800, 2120);
    uint16_t bits = 0;
    EXPECT_EQ(Test(Row(8, kFidSecondSourceOn, kTypeFlag, {0}), &bits), 1);
    EXPECT_EQ(bits, kInvolvesOutputPaper | kInvolvesSecondSource);
    Set(kFidSecondSource, 1);  // 1397-2970 x 1820-4320
    EXPECT_EQ(Test(Row(8, kFidSecondSourceOn, kTypeFlag, {0})), 0);
    EXPECT_EQ(Test(Row(8, kFidSecondSourceOn, kTypeFlag, {1})), 0);
}

// The output size feature (262) has the size rule 1480-2970 x 2100-4200; the
// fax paper size feature (1824) 1480-2970 x 2100-4320.
TEST_F(ConditionRowTest, SizeRules)
{
    struct Case {
        uint8_t op;
        uint16_t row;
        uint16_t output, document;
        uint16_t width, height;
        uint16_t expected, bits;
    };
    const Case cases[] = {
        {9, 262, 262, 9, 2100, 2970, 0, 0},
        {9, 262, 262, 9, 1000, 1480, 1, kInvolvesOutputPaper},
        {9, 262, 262, 9, 2970, 4201, 1, kInvolvesOutputPaper},
        {9, 262, 9, 262, 1000, 1480, 0, 0},                      // A4 is no user size
        {9, 262, 267, 262, 1000, 1480, 1, kInvolvesOutputPaper}, // the document's user size
        {9, 262, 267, 9, 1000, 1480, 0, 0},
        {13, 1824, 9, 262, 1000, 1480, 1, kInvolvesDocumentPaper},
        {13, 1824, 9, 262, 2970, 4320, 0, 0},
        {13, 1824, 262, 9, 1000, 1480, 0, 0},
        {9, 266, 262, 9, 1000, 1480, 0, 0},                      // the output tray has no size rule
    };
    for (const Case& c : cases) {
        Set(kFidOutputPaper, c.output);
        Set(kFidPaperSize, c.document);
        SetUserPaper(262, c.width, c.height);
        uint16_t bits = 0;
        EXPECT_EQ(Test(Row(c.op, c.row, kTypeU16, {}), &bits), c.expected)
            << "op " << int{c.op} << " output " << c.output << " document " << c.document;
        EXPECT_EQ(bits, c.bits);
    }
}

// Groups of a conflict rule, over settings 322, 323 and 332 (0 by default):
// a row `id = 1` is true when the setting holds 1.
class ConnectorTest : public ConstraintTest {
protected:
    uint16_t Walk(std::vector<ModelTerm>& rows, uint16_t mode = kModeInteractive)
    {
        RuleSection rule;
        rule.kind = 7;
        rule.flags = 0x0001;
        rule.trigger = Row(1, 321, kTypeU16, {});
        for (ModelTerm& r : rows)
            rule.conditions.push_back(std::move(r));
        const ConstraintContext c = Context();
        const uint32_t zero = 0;
        const SettingChange change{321, kTypeU16, 2, &zero};
        ResultPtr result(AllocConstraintResult());
        RuleWalk walk{mode, true, kTableConflict, colour_->handle(), &c, &change, result.get(), nullptr,
                      nullptr, nullptr, nullptr, nullptr};
        return EvaluateRuleConditions(&walk, &rule);
    }
};

TEST_F(ConnectorTest, AndOrAndGroupEnds)
{
    constexpr uint8_t kAnd = 1, kOr = 2, kEnd = 3, kEnd4 = 4, kOther = 5;
    struct Case {
        const char* what;
        std::vector<std::pair<uint16_t, uint8_t>> rows;  // setting, connector
        bool a, b, c;                                    // 322, 323, 332 hold 1
        uint16_t expected;
    };
    const Case cases[] = {
        {"a and b", {{322, kAnd}, {323, kEnd}}, true, true, false, 1},
        {"a and b, b false", {{322, kAnd}, {323, kEnd}}, true, false, false, 0},
        {"a and b, a false", {{322, kAnd}, {323, kEnd}}, false, true, false, 0},
        {"a or b, a", {{322, kOr}, {323, kEnd}}, true, false, false, 1},
        {"a or b, b", {{322, kOr}, {323, kEnd}}, false, true, false, 1},
        {"a or b, none", {{322, kOr}, {323, kEnd}}, false, false, false, 0},
        {"a and b, never closed", {{322, kAnd}, {323, kAnd}}, true, true, false, 0},
        {"a or b, chain to the end", {{322, kOr}, {323, kOr}}, true, true, false, 0},
        {"a end4", {{322, kEnd4}}, true, false, false, 1},
        {"a c5 b", {{322, kOther}, {323, kEnd}}, true, true, false, 1},
        {"(a) (b), second group", {{322, kEnd}, {323, kEnd}}, false, true, false, 1},
        {"(a) (b), none", {{322, kEnd}, {323, kEnd}}, false, false, false, 0},
        {"a or b and c", {{322, kOr}, {323, kAnd}, {332, kEnd}}, true, false, true, 1},
        {"a or b and c, c false", {{322, kOr}, {323, kAnd}, {332, kEnd}}, true, true, false, 0},
        {"a or b and c, a b false", {{322, kOr}, {323, kAnd}, {332, kEnd}}, false, false, true, 0},
        {"a and b or c", {{322, kAnd}, {323, kOr}, {332, kEnd}}, true, false, true, 1},
        {"a and b or c, a false", {{322, kAnd}, {323, kOr}, {332, kEnd}}, false, true, true, 0},
        {"a or b or c end4", {{322, kOr}, {323, kOr}, {332, kEnd4}}, false, false, true, 1},
    };
    for (const Case& c : cases) {
        Set(322, c.a ? 1 : 0);
        Set(323, c.b ? 1 : 0);
        Set(332, c.c ? 1 : 0);
        std::vector<ModelTerm> rows;
        for (const auto& [id, connector] : c.rows)
            rows.push_back(Row(1, id, kTypeU16, {1}, connector));
        EXPECT_EQ(Walk(rows), c.expected) << c.what;
    }
}

TEST_F(ConnectorTest, ARuleWithoutConditionsFiresForAnyTriedValue)
{
    RuleSection rule;
    rule.kind = 7;
    rule.flags = 0x0001;
    rule.trigger = Row(1, 321, kTypeU16, {2});
    const ConstraintContext c = Context();
    const uint64_t newValue = 1, tried = 2;
    const SettingChange change{321, kTypeU16, 2, &newValue};
    ResultPtr result(AllocConstraintResult());
    RuleWalk walk{kModeInteractive, true, kTableConflict, colour_->handle(), &c, &change, result.get(), nullptr,
                  nullptr, nullptr, nullptr, nullptr};
    EXPECT_EQ(TestRule(&walk, &rule, &tried), kRuleFiredBare);
    // With conditions the trigger decides first.
    rule.conditions.push_back(Row(2, 322, kTypeU16, {}));
    EXPECT_EQ(TestRule(&walk, &rule, &tried), kRuleNotFired);
    const uint64_t one = 1;
    EXPECT_EQ(TestRule(&walk, &rule, &one), kRuleFired);
    // A trigger on another setting than the checked one is an error.
    rule.trigger = Row(1, 322, kTypeU16, {1});
    EXPECT_EQ(TestRule(&walk, &rule, &one), kRuleError);
    // A rule that does not serve the mode does not fire, with or without conditions.
    rule.flags = 0x4001;
    walk.mode = kModeCarryOut;
    EXPECT_EQ(TestRule(&walk, &rule, &one), kRuleNotFired);
    rule.conditions.clear();
    EXPECT_EQ(TestRule(&walk, &rule, &one), kRuleNotFired);
}

TEST_F(ConnectorTest, ValidationDropsAGroupWhoseSettingIsItselfRefused)
{
    // 1286 is refused (code 1) on its own while tiling (321 is 1).
    const uint32_t current = Get(1286);
    SetText(kFidStampName, L"Mark");
    for (const auto& [tiling, mode, expected] :
         {std::tuple{0u, kModeValidate, 1}, std::tuple{1u, kModeValidate, 0}, std::tuple{1u, kModeInteractive, 1}}) {
        Set(kFidPosterBooklet, tiling);
        std::vector<ModelTerm> rows;
        rows.push_back(Row(1, 1286, kTypeFlag, {static_cast<int32_t>(current)}));
        EXPECT_EQ(Walk(rows, mode), expected) << "tiling " << tiling << " mode " << mode;
    }
}

TEST_F(ConstraintTest, CustomPaperSizeRuleOfAJobAttributeCondition)
{
    // The output size feature (262) has the size rule 1480-2970 x 2100-4200.
    const ConstraintContext c = Context();
    ModelTerm condition = Row(9, kFidOutputPaper, kTypeU16, {});
    Set(kFidOutputPaper, 262);
    SetUserPaper(262, 1000, 1480);
    EXPECT_EQ(CheckCustomPaperSizeRule(colour_->handle(), &c, &condition), 1);
    SetUserPaper(262, 2100, 2970);
    EXPECT_EQ(CheckCustomPaperSizeRule(colour_->handle(), &c, &condition), 0);
    Set(kFidOutputPaper, 9);
    EXPECT_EQ(CheckCustomPaperSizeRule(colour_->handle(), &c, &condition), 0);
    ModelTerm noRule = Row(9, kFidOutputBin, kTypeU16, {});
    EXPECT_EQ(CheckCustomPaperSizeRule(colour_->handle(), &c, &noRule), 2);
    ModelTerm equality = Row(1, kFidOutputPaper, kTypeU16, {});
    EXPECT_EQ(CheckCustomPaperSizeRule(colour_->handle(), &c, &equality), 2);
}

TEST_F(ConstraintTest, AWalkAfterAcceptanceCarriesOutTheFiredRules)
{
    const uint32_t modelPaper = Get(kFidPaperSize);
    Set(kFidPaperSize, 20);
    Set(kFidMediaType, 2);
    const ConstraintContext c = Context();
    const uint64_t transparency = 2;
    const SettingChange change{kFidMediaType, kTypeU32, 4, &transparency};
    SectionHolderForTest option(context_, kFidMediaType, &transparency);
    ASSERT_NE(option.section, nullptr);
    IdList<kChangedRoom> changed{};
    changed.items = changed.room;
    RuleWalk walk{kModeCarryOut, false, kTableConflict, colour_->handle(), &c, &change, nullptr, option.section,
                  &changed.items, &changed.count, nullptr, nullptr};
    EXPECT_EQ(EvaluateConstraintTable(&walk), 0);
    EXPECT_EQ(Get(kFidPaperSize), modelPaper);
    EXPECT_EQ(changed.count, 1);
    EXPECT_EQ(changed.items[0], kFidPaperSize);
    ClearIdList(changed);
    walk.changedIds = nullptr;
    EXPECT_EQ(EvaluateConstraintTable(&walk), 1);
}
