#include "common/options/option_lists.h"
#include "common/options/user_paper_text.h"
#include "tests/support/global_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct LengthCase {
    uint32_t tenths;
    PaperUnits units;
    const wchar_t* text;
};

const LengthCase kLengths[] = {
    {2159, {1, 0}, L"8.50"},
    {2794, {1, 0}, L"11.00"},
    {2100, {1, 0}, L"8.27"},    // 8.2677 rounded
    {2159, {1, 1}, L"8.5"},
    {2100, {1, 1}, L"8.3"},
    {2540, {1, 3}, L"10.000"},
    {1, {1, 2}, L"0.00"},
    {2100, {0, 0}, L"210"},
    {2975, {0, 0}, L"297"},     // whole millimetres, toward zero
    {0, {0, 0}, L"0"},
};

TEST(UserPaperText, LengthInUnits)
{
    for (const LengthCase& c : kLengths) {
        wchar_t text[32];
        ASSERT_GT(FormatPaperLength(c.tenths, c.units, text, 32), 0);
        EXPECT_EQ(std::wstring(text), c.text) << c.tenths;
    }
}

TEST(UserPaperText, NameFollowedBySize)
{
    const UserPaper paper{262, 2100, 2970, L"My Paper"};
    // Without a resource file the built-in wording is used.
    EXPECT_EQ(TakeGlobalText(UserPaperOptionText(nullptr, paper, PaperUnits{0, 0})), L"My Paper (210 x 297 mm)");
    const UserPaper letter{256, 2159, 2794, L"Custom"};
    EXPECT_EQ(TakeGlobalText(UserPaperOptionText(nullptr, letter, PaperUnits{1, 0})), L"Custom (8.50 x 11.00 in)");
}

// A fix: the text was given the name's bytes and a fixed 130 bytes more, which
// a translated size text can pass. The block is now sized from what is written.
TEST(UserPaperText, LongTranslationFitsItsBlock)
{
    const std::wstring name(60, L'P');
    const UserPaper paper{262, 2100, 2970, name.c_str()};
    wchar_t* text = UserPaperOptionText(GetModuleHandleW(nullptr), paper, PaperUnits{1, 3});
    ASSERT_NE(text, nullptr);
    const std::wstring expected = name +
        L" (width 8.268 by length 11.693, both measured in inches along the edges of the sheet as it lies in the tray)";
    EXPECT_EQ(std::wstring(text), expected);
    EXPECT_GT((expected.size() - name.size()) * sizeof(wchar_t), 130u);
    EXPECT_GE(GlobalSize(text), (expected.size() + 1) * sizeof(wchar_t));
    GlobalFree(text);
}

}  // namespace
