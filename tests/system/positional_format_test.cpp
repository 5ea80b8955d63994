#include "common/system/positional_format.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring Format(int capacity, const wchar_t* format, ...)
{
    wchar_t buffer[130];
    for (wchar_t& c : buffer)
        c = L'#';
    va_list args;
    va_start(args, format);
    const int length = FormatPositionalV(buffer, capacity, format, args);
    va_end(args);
    std::wstring text(buffer);
    EXPECT_EQ(static_cast<size_t>(length), text.size());
    EXPECT_EQ(buffer[capacity], L'#') << "written past the capacity";
    return text;
}

TEST(PositionalFormat, NumberedInsertsTakeTheirOwnArgument)
{
    EXPECT_EQ(Format(64, L"%2s-%1s", L"A", L"B"), L"B-A");
    EXPECT_EQ(Format(64, L"%2S-%1s", L"A", L"B"), L"-A");
    EXPECT_EQ(Format(64, L"done%%", L"A"), L"done%");
    EXPECT_EQ(Format(64, L"%s has %d pages", L"doc", 12), L"doc has 12 pages");
    EXPECT_EQ(Format(64, L"%2d/%1d", 3, -4), L"-4/3");
    EXPECT_EQ(Format(64, L"100% sure %x"), L"100% sure %x");
    // An insert naming an argument beyond the number of inserts stays as text.
    EXPECT_EQ(Format(64, L"%3s and %1s", L"A", L"B"), L"%3s and A");
}

TEST(PositionalFormat, PiecesThatDoNotFitAreSkippedWhole)
{
    // Capacity counts the terminator: "abc" + "12345" needs 9.
    EXPECT_EQ(Format(9, L"abc%s", L"12345"), L"abc12345");
    EXPECT_EQ(Format(8, L"abc%s", L"12345"), L"abc");
    EXPECT_EQ(Format(8, L"abc%sde", L"12345"), L"abcde");
    EXPECT_EQ(Format(1, L"abc"), L"");
    wchar_t buffer[4] = {L'x', L'x', L'x', L'x'};
    EXPECT_EQ(FormatPositional(buffer, 0, L"abc"), 0);
    EXPECT_EQ(buffer[0], L'x');
}

TEST(PositionalFormat, NeverTakesMoreThanTenArguments)
{
    // Twelve sequential inserts: the last two name slots 11 and 12, which do not
    // exist; they stay as text and their arguments are never read.
    EXPECT_EQ(Format(128, L"%d%d%d%d%d%d%d%d%d%d%d%d", 0, 1, 2, 3, 4, 5, 6, 7, 8, 9),
              L"0123456789%d%d");
}

}  // namespace
