// The option query rules and tray assignment conditions against scripted answers.
#include "ui/query/query_rules.h"

#include "common/settings/value_types.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

namespace {

// A printer that answers from a table of attribute -> number, with every read logged.
struct TableReader : AttributeReader {
    std::map<std::string, uint32_t> numbers;
    std::map<std::string, std::wstring> texts;
    std::vector<std::string> reads;
    bool Read(uint16_t type, const char* name, uint16_t index, QueryValue* out) override
    {
        reads.push_back(std::string(name) + "/" + std::to_string(type) + "/" + std::to_string(index));
        if (type == kTypeString) {
            auto t = texts.find(name);
            if (t == texts.end())
                return false;
            wcscpy(out->text, t->second.c_str());
            return true;
        }
        auto n = numbers.find(name);
        if (n == numbers.end())
            return false;
        out->number = n->second;
        return true;
    }
};

struct Values {
    std::vector<ModelValue> store;
    void Add(uint16_t type, uint32_t number, uint32_t size = 4)
    {
        ModelValue v;
        v.type = type;
        v.size = size;
        v.count = 1;
        v.owned = std::make_unique<uint8_t[]>(8);
        std::memcpy(v.owned.get(), &number, 4);
        v.data = v.owned.get();
        store.push_back(std::move(v));
    }
    void Pairs(std::initializer_list<std::pair<uint32_t, uint32_t>> pairs, uint16_t keyType = kTypeU32)
    {
        for (auto [k, r] : pairs) {
            Add(keyType, k);
            Add(kTypeU32, r);
        }
    }
    std::vector<const ModelValue*> Pointers() const
    {
        std::vector<const ModelValue*> p;
        for (const ModelValue& v : store)
            p.push_back(&v);
        return p;
    }
};

QueryRule TableRule(uint16_t flags, std::vector<std::string> attributes, const Values& values)
{
    QueryRule r;
    r.ruleClass = 3;
    r.settingId = 4100;
    r.valueType = kTypeU16;
    r.valueSize = 2;
    r.method = kQueryTableMethod;
    r.flags = flags;
    r.attributes = std::move(attributes);
    r.values = values.Pointers();
    return r;
}

TEST(QueryRules, VersionThresholdPairs)
{
    Values v;
    v.Pairs({{0x010000, 1}, {0x020000, 2}, {0, 3}});
    const QueryRule rule = TableRule(kQueryVersionThreshold, {"Major", "Minor", "Patch"}, v);
    struct Case {
        uint32_t major, minor, patch, expected;
    } cases[] = {{0, 255, 0, 1}, {1, 0, 0, 2}, {2, 0, 0, 3}, {7, 1, 1, 3}, {0, 0, 0, 1}, {1, 255, 255, 2}};
    for (const Case& c : cases) {
        TableReader reader;
        reader.numbers = {{"Major", c.major}, {"Minor", c.minor}, {"Patch", c.patch}};
        SettingAnswer a;
        ASSERT_TRUE(EvaluateQueryRule(rule, &reader, &a));
        EXPECT_EQ(AnswerNumber(a), c.expected) << c.major << "." << c.minor << "." << c.patch;
        EXPECT_EQ(a.settingId, 4100);
        EXPECT_EQ(reader.reads.front(), "Major/4/0");
    }
}

TEST(QueryRules, TableMethodsByFlag)
{
    Values v;
    v.Pairs({{1, 10}, {4, 40}, {9, 90}});
    struct Case {
        uint16_t flags;
        uint32_t read;
        bool made;
        uint32_t expected;
    } cases[] = {
        {kQueryEqualInteger, 4, true, 40},   {kQueryEqualInteger, 5, false, 0},
        {kQueryCeiling, 2, true, 40},        {kQueryCeiling, 50, true, 90},
        {kQueryEqualByte, 9, true, 90},      {kQueryEqualByte, 3, false, 0},
        {kQueryEqualInteger | kQueryCeiling, 2, false, 0},  // equal comes first
        {0, 4, false, 0},                    // no method bit
    };
    for (const Case& c : cases) {
        TableReader reader;
        reader.numbers = {{"Value", c.read}};
        QueryRule rule = TableRule(c.flags, {"Value"}, v);
        if (c.flags & kQueryEqualByte) {
            rule.valueType = kTypeByte;
            rule.valueSize = 1;
        }
        SettingAnswer a;
        EXPECT_EQ(EvaluateQueryRule(rule, &reader, &a), c.made) << c.flags << " " << c.read;
        if (c.made) {
            EXPECT_EQ(AnswerNumber(a), c.expected) << c.flags << " " << c.read;
        }
    }
}

TEST(QueryRules, BitPatternAndTypedMatch)
{
    Values v;
    v.Pairs({{0b01, 1}, {0b11, 3}});
    TableReader reader;
    reader.numbers = {{"A", 1}, {"B", 1}};
    QueryRule rule = TableRule(kQueryBitPattern, {"A", "B"}, v);
    rule.valueType = kTypeByte;
    rule.valueSize = 1;
    SettingAnswer a;
    ASSERT_TRUE(EvaluateQueryRule(rule, &reader, &a));
    EXPECT_EQ(AnswerNumber(a), 3u);
    reader.numbers["A"] = 0;  // mask 0b10: no pair, the answer is still made with 0
    ASSERT_TRUE(EvaluateQueryRule(rule, &reader, &a));
    EXPECT_EQ(AnswerNumber(a), 0u);
    EXPECT_EQ(reader.reads[0], "A/1/0");

    Values typed;
    typed.Pairs({{0x20, 7}, {0x40, 8}});
    reader.numbers = {{"Mask", 0x40}};
    QueryRule match = TableRule(kQueryTypedMatch, {"Mask"}, typed);
    ASSERT_TRUE(EvaluateQueryRule(match, &reader, &a));
    EXPECT_EQ(a.type, kTypeU32);
    EXPECT_EQ(AnswerNumber(a), 8u);
    match.flags = kQueryTypedMatch | kQueryNoCommonBits;
    ASSERT_TRUE(EvaluateQueryRule(match, &reader, &a));  // 0x40 & 0x20 == 0
    EXPECT_EQ(AnswerNumber(a), 1u);
    reader.numbers = {{"Mask", 0x60}};
    ASSERT_TRUE(EvaluateQueryRule(match, &reader, &a));
    EXPECT_EQ(AnswerNumber(a), 0u);
}

TEST(QueryRules, OddPairsAndWrongAttributeCountsGiveNothing)
{
    Values odd;
    odd.Pairs({{1, 2}});
    odd.Add(kTypeU32, 3);
    TableReader reader;
    reader.numbers = {{"V", 1}, {"W", 1}};
    SettingAnswer a;
    EXPECT_FALSE(EvaluateQueryRule(TableRule(kQueryEqualInteger, {"V"}, odd), &reader, &a));
    Values v;
    v.Pairs({{1, 2}});
    EXPECT_FALSE(EvaluateQueryRule(TableRule(kQueryVersionThreshold, {"V", "W"}, v), &reader, &a));
    EXPECT_FALSE(EvaluateQueryRule(TableRule(kQueryEqualInteger, {"V", "W"}, v), &reader, &a));
    EXPECT_FALSE(EvaluateQueryRule(TableRule(kQueryEqualInteger, {"Missing"}, v), &reader, &a));
}

TEST(QueryRules, DirectMethodAndOwnIndex)
{
    TableReader reader;
    reader.numbers = {{"HardDisk", 1}};
    reader.texts = {{"Name", L"Finisher"}};
    QueryRule rule;
    rule.settingId = 4099;
    rule.valueType = kTypeFlag;
    rule.valueSize = 4;
    rule.method = kTypeFlag;
    rule.flags = kQueryOwnIndex;
    rule.index = 2;
    rule.attributes = {"HardDisk"};
    SettingAnswer a;
    ASSERT_TRUE(EvaluateQueryRule(rule, &reader, &a));
    EXPECT_EQ(AnswerNumber(a), 1u);
    EXPECT_EQ(reader.reads.back(), "HardDisk/1/2");
    rule.flags = 0;  // without bit 0 the index is 0
    ASSERT_TRUE(EvaluateQueryRule(rule, &reader, &a));
    EXPECT_EQ(reader.reads.back(), "HardDisk/1/0");

    // With the keep flag the value read is not taken: the answer is zero, not
    // whatever a previous rule left.
    rule.flags = kQueryKeepValue;
    ASSERT_TRUE(EvaluateQueryRule(rule, &reader, &a));
    EXPECT_FALSE(AnswerIsNonZero(a));

    rule.method = kTypeString;
    rule.valueType = kTypeString;
    rule.flags = 0;
    rule.attributes = {"Name"};
    ASSERT_TRUE(EvaluateQueryRule(rule, &reader, &a));
    EXPECT_STREQ(AnswerText(a), L"Finisher");
    EXPECT_EQ(a.size, 18u);
    FreeAnswer(&a);
    rule.method = kTypeU16;  // not a readable type
    EXPECT_FALSE(EvaluateQueryRule(rule, &reader, &a));
}

TEST(QueryAnswers, NonZeroIsReadByTheAnswersOwnTypeAndSize)
{
    struct Case {
        uint16_t type;
        uint32_t size;
        uint64_t holder;
        bool nonZero;
    } cases[] = {
        {kTypeByte, 1, 0xFFFFFF00, false},  // stale upper bytes do not count
        {kTypeByte, 1, 0x01, true},
        {kTypeU16, 2, 0xFFFF0000, false},
        {kTypeU16, 2, 0x00010000'0001, true},
        {kTypeFlag, 4, 0xFFFFFFFF'00000000, false},
        {kTypeU32, 4, 0x80000000, true},
        {kTypeU32, 2, 0x1, false},          // a size that does not fit its type
    };
    for (const Case& c : cases)
        EXPECT_EQ(AnswerIsNonZero(NumberAnswer(1, c.type, c.size, c.holder)), c.nonZero) << c.type << " " << c.holder;
}

struct ConditionFixture {
    Values values;
    std::vector<TrayCondition> rows;
    void Row(uint16_t setting, uint16_t type, uint32_t value, uint8_t op, uint8_t connector)
    {
        values.Add(type, value, type == kTypeU16 || type == kTypeS16 ? 2 : type == kTypeByte ? 1 : 4);
        rows.push_back({setting, nullptr, op, connector});
    }
    std::vector<TrayCondition> Rows()
    {
        for (size_t i = 0; i < rows.size(); ++i)
            rows[i].value = &values.store[i];
        return rows;
    }
};

TEST(QueryRules, TrayConditionGroups)
{
    AnswerList answers = {NumberAnswer(4100, kTypeU32, 4, 2), NumberAnswer(4101, kTypeU16, 2, 5),
                          NumberAnswer(4102, kTypeS32, 4, static_cast<uint32_t>(-3))};
    struct Row {
        uint16_t setting, type;
        uint32_t value;
        uint8_t op, connector;
    };
    struct Case {
        std::vector<Row> rows;
        int expected;
    } cases[] = {
        {{{4100, kTypeU32, 2, 1, 3}}, 1},
        {{{4100, kTypeU32, 3, 1, 3}}, 0},
        {{{4100, kTypeU32, 2, 1, 1}, {4101, kTypeU16, 5, 1, 3}}, 1},
        {{{4100, kTypeU32, 2, 1, 1}, {4101, kTypeU16, 6, 1, 3}}, 0},
        // Alternatives: a false one, then a true one, then the group's end.
        {{{4100, kTypeU32, 9, 1, 2}, {4100, kTypeU32, 2, 1, 1}, {4101, kTypeU16, 5, 1, 3}}, 1},
        {{{4100, kTypeU32, 2, 1, 2}, {4100, kTypeU32, 9, 1, 3}}, 1},
        // A first group fails, a second holds.
        {{{4100, kTypeU32, 9, 1, 3}, {4101, kTypeU16, 5, 1, 3}}, 1},
        // Signed comparison: -3 < 0, and the row's value is the left side.
        {{{4102, kTypeS32, 0, 3, 3}}, 1},
        {{{4102, kTypeS32, 0, 5, 3}}, 0},
        // The list ends with a satisfied row and no end connector.
        {{{4100, kTypeU32, 2, 1, 0}}, 1},
        // Errors: an absent setting, a type that does not agree, an unknown operator, flags compared by size.
        {{{4999, kTypeU32, 2, 1, 3}}, kConditionError},
        {{{4101, kTypeU32, 5, 1, 3}}, kConditionError},
        {{{4100, kTypeU32, 2, 9, 3}}, kConditionError},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        ConditionFixture f;
        for (const Row& r : cases[i].rows)
            f.Row(r.setting, r.type, r.value, r.op, r.connector);
        EXPECT_EQ(EvaluateTrayConditions(f.Rows(), answers), cases[i].expected) << "case " << i;
    }
}

}  // namespace
