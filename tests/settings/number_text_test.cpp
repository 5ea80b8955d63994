#include "common/system/number_text.h"

#include <gtest/gtest.h>

namespace {

struct ParseCase {
    const wchar_t* text;
    int ok;
    uint32_t value;
};

TEST(NumberText, ParseNumberTextForms)
{
    const ParseCase cases[] = {
        {L"0", 1, 0},
        {L"4294967295", 1, 4294967295u},
        {L"4294967296", 1, 0},            // wraps modulo 2^32
        {L"0x1F", 1, 0x1F},
        {L"0XfF", 1, 0xFF},
        {L"0x", 0, 77},                   // needs a digit after the prefix
        {L"", 0, 77},
        {L"12a", 0, 77},
        {L" 12", 0, 77},
        {L"-1", 0, 77},
        {L"0x1G", 0, 77},
    };
    for (const ParseCase& c : cases) {
        uint32_t value = 77;
        EXPECT_EQ(ParseNumberText(c.text, &value), c.ok) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

TEST(NumberText, WideToIntStopsAtFirstOtherCharacter)
{
    EXPECT_EQ(WideToInt(L"  -42abc"), -42);
    EXPECT_EQ(WideToInt(L"abc"), 0);
    EXPECT_EQ(WideToInt(nullptr), 0);
}

}  // namespace
