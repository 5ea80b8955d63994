// The conditions of the model's pictures: modes, alternatives, groups, the
// stop on a condition that ends its group, and which settings each control
// looks at.
#include "common/model/model_section.h"
#include "common/settings/value_types.h"
#include "ui/illustration/model_pictures.h"
#include "ui/illustration/picture_status.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

constexpr uint8_t kAnd = 1, kOr = 2, kEnd = 3, kEnd4 = 4;
constexpr uint8_t kIn = 1, kNotIn = 2;

struct Values {
    std::map<uint16_t, uint16_t> numbers;
};

bool Read(void* reader, uint16_t setting, uint16_t* type, uint64_t* holder)
{
    auto* values = static_cast<Values*>(reader);
    auto found = values->numbers.find(setting);
    if (found == values->numbers.end())
        return false;
    *type = kTypeU16;
    *holder = found->second;
    return true;
}

// One condition on a u16 setting with its listed values.
struct Condition {
    uint16_t setting;
    uint8_t mode;
    std::vector<uint16_t> listed;
    uint8_t kind;
};

class PictureConditionsTest : public ::testing::Test {
protected:
    // 0 shown, 1 not shown, 3 unreadable.
    int Test(const std::vector<Condition>& conditions, int control = kPrinterPictureControl, bool skip4114 = false)
    {
        storage_.clear();
        std::vector<ModelTerm> terms(conditions.size());
        storage_.reserve(conditions.size());
        for (size_t i = 0; i < conditions.size(); ++i) {
            storage_.push_back(conditions[i].listed);
            terms[i].op = conditions[i].mode;
            terms[i].settingId = conditions[i].setting;
            terms[i].d = conditions[i].kind;
            terms[i].value.type = kTypeU16;
            terms[i].value.size = 2;
            terms[i].value.count = static_cast<uint16_t>(storage_.back().size());
            terms[i].value.data = reinterpret_cast<const uint8_t*>(storage_.back().data());
        }
        bool shown = false;
        uint16_t status =
            TestPictureConditions(terms.data(), terms.size(), control, skip4114, nullptr, Read, &values_, &shown);
        if (status != kPictureOk)
            return status;
        return shown ? 0 : 1;
    }
    Values values_{{{4100, 5}, {4101, 1}, {270, 2}, {4114, 1}, {5123, 3}}};
    std::vector<std::vector<uint16_t>> storage_;
};

TEST_F(PictureConditionsTest, Modes)
{
    EXPECT_EQ(Test({{4100, kIn, {3, 5}, kEnd}}), 0);
    EXPECT_EQ(Test({{4100, kIn, {3, 4}, kEnd}}), 1);
    EXPECT_EQ(Test({{4100, kNotIn, {3, 5}, kEnd}}), 1);
    EXPECT_EQ(Test({{4100, kNotIn, {3, 4}, kEnd}}), 0);
    EXPECT_EQ(Test({{4100, kIn, {}, kEnd}}), 1);  // no values: fails in mode 1
    EXPECT_EQ(Test({{4100, kNotIn, {}, kEnd}}), 0);  // and holds in mode 2
}

TEST_F(PictureConditionsTest, Alternatives)
{
    EXPECT_EQ(Test({{4100, kIn, {9}, kOr}, {4101, kIn, {1}, kOr}, {4100, kIn, {9}, kEnd}}), 0);
    EXPECT_EQ(Test({{4100, kIn, {9}, kOr}, {4101, kIn, {1}, kEnd}}), 0);
    EXPECT_EQ(Test({{4100, kIn, {9}, kOr}, {4101, kIn, {7}, kEnd}}), 1);
    // After the alternatives the group goes on.
    EXPECT_EQ(Test({{4100, kIn, {5}, kOr}, {4101, kIn, {7}, kAnd}, {4101, kIn, {7}, kEnd}}), 1);
    EXPECT_EQ(Test({{4100, kIn, {5}, kOr}, {4101, kIn, {7}, kAnd}, {4101, kIn, {1}, kEnd}}), 0);
}

TEST_F(PictureConditionsTest, GroupsAndTheStop)
{
    // A condition that ends its group and holds stops the test.
    EXPECT_EQ(Test({{4100, kIn, {5}, kEnd}, {4101, kIn, {7}, kEnd}}), 0);
    EXPECT_EQ(Test({{4100, kIn, {5}, kEnd4}, {4101, kIn, {7}, kEnd}}), 0);
    EXPECT_EQ(Test({{4100, kIn, {5}, kAnd}, {4101, kIn, {7}, kEnd}}), 1);
    // A failing condition skips the rest of its group.
    EXPECT_EQ(Test({{4100, kIn, {9}, kAnd}, {4101, kIn, {1}, kEnd}, {4101, kIn, {1}, kEnd}}), 0);
    EXPECT_EQ(Test({{4100, kIn, {9}, kAnd}, {4101, kIn, {1}, kEnd}}), 1);
    EXPECT_EQ(Test({}), 0);
}

TEST_F(PictureConditionsTest, WhichSettingsCount)
{
    // The paper picture looks only at settings 4097-4371 and 5123.
    EXPECT_EQ(Test({{270, kIn, {1}, kEnd}}, kModelPictureControl), 0);
    EXPECT_EQ(Test({{270, kIn, {1}, kEnd}}, kPrinterPictureControl), 1);
    EXPECT_EQ(Test({{5123, kIn, {4}, kEnd}}, kModelPictureControl), 1);
    EXPECT_EQ(Test({{4372, kIn, {4}, kEnd}}, kModelPictureControl), 0);
    // The printer picture passes over 4114 when the model says so.
    EXPECT_EQ(Test({{4114, kIn, {2}, kEnd}}, kPrinterPictureControl, true), 0);
    EXPECT_EQ(Test({{4114, kIn, {2}, kEnd}}, kPrinterPictureControl, false), 1);
    EXPECT_TRUE(PictureConditionCounts(kModelPictureControl, 4097, false));
    EXPECT_TRUE(PictureConditionCounts(kModelPictureControl, 4371, false));
    EXPECT_FALSE(PictureConditionCounts(kModelPictureControl, 4096, false));
}

TEST_F(PictureConditionsTest, UnreadableValuesAndReferences)
{
    EXPECT_EQ(Test({{4200, kIn, {1}, kEnd}}), kPictureSettingUnreadable);
    // A reference that cannot be resolved counts as holding.
    std::vector<ModelTerm> terms(1);
    terms[0].op = kIn;
    terms[0].settingId = 4100;
    terms[0].d = kEnd;
    const uint8_t position[2] = {7, 0};
    terms[0].value.type = 128;
    terms[0].value.count = 1;
    terms[0].value.size = 2;
    terms[0].value.data = position;
    bool shown = false;
    ASSERT_EQ(TestPictureConditions(terms.data(), 1, kPrinterPictureControl, false, nullptr, Read, &values_, &shown),
              kPictureOk);
    EXPECT_TRUE(shown);
}

}  // namespace
