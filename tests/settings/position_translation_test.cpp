#include "common/settings/position_translation.h"

#include <gtest/gtest.h>

namespace {

struct ValueCase {
    uint16_t id;
    uint16_t key;
    uint16_t feed;
    uint16_t input;
    uint16_t status;
    uint16_t output;
};

TEST(PositionTranslation, PositionCodeFromValue)
{
    const ValueCase cases[] = {
        {320, 1, 16, 3, 0, 0x0101}, {320, 1, 32, 3, 0, 0x0303}, {320, 2, 8, 15, 0, 0x0A0A},
        {320, 2, 4, 15, 0, 0x0C0C}, {320, 1, 1, 8, 0, 0x0203},  {320, 1, 2, 8, 0, 0x0204},
        {320, 0, 0, 0, 0, 0},       {320, 0, 0, 10, 0, 0x0707}, {320, 0, 0, 11, 0, 0x0808},
        {320, 0, 0, 12, 1, 0},      {320, 1, 1, 16, 1, 0},      {341, 2, 2, 4, 0, 0x0202},
        {341, 2, 1, 4, 0, 0x0404},  {341, 9, 1, 5, 0, 0x0606},  {341, 9, 1, 1, 1, 0},
        {341, 1, 1, 6, 1, 0},       {267, 1, 1, 1, 1, 0},       {320, 1, 64, 1, 1, 0},
    };
    for (const ValueCase& c : cases) {
        PositionRecord record{c.key, c.feed, c.input, 0};
        uint16_t code = 0;
        EXPECT_EQ(ComputePositionCode(c.id, &record, &code), c.status) << c.id << " " << c.input;
        if (c.status == kPositionOk) {
            EXPECT_EQ(code, c.output) << c.id << " " << c.input;
        }
    }
}

TEST(PositionTranslation, ValueFromPositionCode)
{
    const ValueCase cases[] = {
        {320, 1, 1, 0x0101, 0, 3},  {320, 1, 2, 0x0101, 0, 5},  {320, 2, 2, 0x0A0A, 0, 15},
        {320, 2, 1, 0x0A0A, 0, 12}, {320, 3, 3, 0x0606, 0, 9},  {320, 3, 3, 0x0101, 1, 0},
        {320, 1, 1, 0x0505, 1, 0},  {341, 1, 1, 0x0101, 0, 2},  {341, 1, 2, 0x0101, 0, 3},
        {341, 1, 1, 0x0202, 0, 4},  {341, 1, 2, 0x0202, 0, 1},  {341, 2, 2, 0x0303, 0, 1},
        {341, 2, 1, 0x0303, 0, 2},  {341, 1, 1, 0x0404, 0, 3},  {341, 1, 2, 0x0404, 0, 4},
        {341, 0, 0, 0x0606, 0, 5},  {341, 1, 1, 0x0707, 1, 0},  {341, 1, 1, 0x0103, 1, 0},
        {341, 1, 1, 0x0909, 1, 0},  {326, 1, 1, 0x0101, 1, 0},
    };
    for (const ValueCase& c : cases) {
        PositionRecord record{c.key, c.feed, 0, c.input};
        uint16_t value = 0xFFFF;
        EXPECT_EQ(ComputeStaplePunchValue(c.id, &record, &value), c.status) << c.id << " " << c.input;
        if (c.status == kPositionOk) {
            EXPECT_EQ(value, c.output) << c.id << " " << c.input;
        }
    }
}

// Every value goes to a code and back in both orientations.
TEST(PositionTranslation, RoundTrips)
{
    struct Setting {
        uint16_t id;
        uint16_t values;
    };
    for (const Setting s : {Setting{320, 16}, Setting{341, 6}})
        for (uint16_t feed : {1, 2, 4, 8, 16, 32})
            for (uint16_t value = 0; value < s.values; ++value) {
                PositionRecord record{1, feed, value, 0};
                ASSERT_EQ(ComputePositionCode(s.id, &record, &record.code), kPositionOk);
                uint16_t back = 0xFFFF;
                ASSERT_EQ(ComputeStaplePunchValue(s.id, &record, &back), kPositionOk);
                EXPECT_EQ(back, value) << s.id << " feed " << feed;
            }
}

TEST(PositionTranslation, EdgeValues)
{
    const ValueCase cases[] = {
        {267, 1, 1, 0, 0, 0}, {267, 1, 1, 1, 0, 6}, {267, 1, 2, 1, 0, 5}, {267, 2, 2, 2, 0, 8},
        {267, 2, 1, 2, 0, 4}, {267, 1, 4, 3, 0, 1}, {267, 1, 8, 3, 0, 3}, {267, 2, 32, 4, 0, 2},
        {267, 2, 16, 4, 0, 7}, {267, 1, 1, 5, 1, 0}, {267, 3, 1, 0, 0, 0}, {267, 3, 1, 1, 1, 0},
    };
    for (const ValueCase& c : cases) {
        PositionRecord record{c.key, c.feed, 0, c.input};
        uint16_t value = 0xFFFF;
        EXPECT_EQ(ComputeEdgeSettingValue(&record, &value), c.status) << c.input;
        if (c.status == kPositionOk) {
            EXPECT_EQ(value, c.output) << c.input;
        }
    }
    const uint16_t codes[] = {0, 3, 4, 3, 2, 1, 1, 4, 2};
    for (uint16_t v = 0; v < 9; ++v) {
        uint16_t code = 0xFFFF;
        EXPECT_EQ(ComputeEdgeCode(v, &code), kPositionOk);
        EXPECT_EQ(code, codes[v]) << v;
    }
    uint16_t code = 0;
    EXPECT_EQ(ComputeEdgeCode(9, &code), kPositionFailed);
    EXPECT_EQ(ComputeEdgeCode(1, nullptr), kPositionFailed);
}

}  // namespace
