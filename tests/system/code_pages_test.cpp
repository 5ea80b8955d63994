#include "common/system/code_pages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct MeasureCase {
    UINT codePage;
    const wchar_t* text;
    int bytes;  // without terminator
};

TEST(CodePages, MeasuredLengthIsWhatIsWritten)
{
    const MeasureCase cases[] = {
        {CP_UTF8, L"", 0},
        {CP_UTF8, L"A", 1},
        {CP_UTF8, L"\u00E9", 2},
        {CP_UTF8, L"a\u3042b", 5},          // a character of 3 bytes
        {CP_UTF8, L"\U0001F600", 4},        // surrogate pair: one 4-byte character
        {CP_UTF8, L"x\U00020BB7y", 6},
        {1252, L"caf\u00E9", 4},
        {1252, L"\u3042", 1},               // not in the code page: one replacement byte
    };
    for (const MeasureCase& c : cases) {
        EXPECT_EQ(WideToMultiByte(c.codePage, c.text, nullptr, 0), c.bytes + 1) << c.codePage;
        std::string out(c.bytes + 1, '\x7F');
        EXPECT_EQ(WideToMultiByte(c.codePage, c.text, out.data(), c.bytes + 1), c.bytes);
        EXPECT_EQ(out[c.bytes], '\0');
        // One byte short of measured + 1 is refused and nothing is written.
        if (c.bytes > 0) {
            std::string shortOut(c.bytes, '\x7F');
            EXPECT_EQ(WideToMultiByte(c.codePage, c.text, shortOut.data(), c.bytes), kWideNotConverted);
            EXPECT_EQ(shortOut, std::string(c.bytes, '\x7F'));
        }
    }
}

TEST(CodePages, WideToMultiByteArguments)
{
    char out[8];
    EXPECT_EQ(WideToMultiByte(CP_UTF8, L"abc", nullptr, 8), kWideBadArgument);
    EXPECT_EQ(WideToMultiByte(CP_UTF8, L"abc", out, -1), kWideBadArgument);
    EXPECT_EQ(WideToMultiByte(CP_UTF8, nullptr, out, 8), kWideBadArgument);
    // A text that does not fit with its terminator, or cannot be converted, is
    // told apart from an empty one.
    EXPECT_EQ(WideToMultiByte(CP_UTF8, L"abc", out, 3), kWideNotConverted);
    EXPECT_EQ(WideToMultiByte(54321, L"abc", out, 8), kWideNotConverted);  // no such code page
    EXPECT_EQ(WideToMultiByte(CP_UTF8, L"", out, 8), 0);
    EXPECT_EQ(WideToMultiByte(CP_UTF8, L"abc", out, 8), 3);
    EXPECT_STREQ(out, "abc");
}

TEST(CodePages, MultiByteToWideCountsAndConverts)
{
    // "a", U+3042 in UTF-8, "b": five bytes, three characters.
    const char* text = "a\xE3\x81\x82" "b";
    EXPECT_EQ(MultiByteToWide(CP_UTF8, nullptr, text, 0), 3);
    wchar_t out[4];
    EXPECT_EQ(MultiByteToWide(CP_UTF8, out, text, 4), 3);
    EXPECT_STREQ(out, L"a\u3042b");
    EXPECT_EQ(MultiByteToWide(CP_UTF8, out, text, 3), 0);  // no room for the terminator
    EXPECT_EQ(MultiByteToWide(CP_UTF8, nullptr, "\xF0\x9F\x98\x80", 0), 2);  // surrogate pair
}

TEST(CodePages, AllocatedConversionsRoundTrip)
{
    int length = -1;
    char* utf8 = AllocWideToMultiByte(CP_UTF8, L"x\u3042\U0001F600", &length);
    ASSERT_NE(utf8, nullptr);
    EXPECT_EQ(length, 8);
    EXPECT_EQ(GlobalSize(GlobalHandle(utf8)), 9u);
    wchar_t* wide = AllocMultiByteToWide(CP_UTF8, utf8, &length);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(length, 4);
    EXPECT_STREQ(wide, L"x\u3042\U0001F600");
    GlobalFree(wide);
    GlobalFree(utf8);
}

TEST(CodePages, ConvertUsesTheEffectiveCodePageAndReportsLengths)
{
    EXPECT_EQ(GetEffectiveCodePage(65001), 65001u);
    EXPECT_EQ(GetEffectiveCodePage(12345), GetACP());
    EXPECT_EQ(GetEffectiveCodePage(0), 0u);

    char* bytes = nullptr;
    int length = -1;
    ASSERT_EQ(ConvertWideToMultiByte(L"h\u00E9", &bytes, &length, CP_UTF8), 1);
    EXPECT_EQ(length, 3);  // terminator not counted
    EXPECT_STREQ(bytes, "h\xC3\xA9");
    wchar_t* wide = nullptr;
    ASSERT_EQ(ConvertMultiByteToWide(bytes, &wide, &length, CP_UTF8), 1);
    EXPECT_EQ(length, 3);  // terminator counted, as MultiByteToWideChar counts it
    EXPECT_STREQ(wide, L"h\u00E9");
    GlobalFree(wide);
    GlobalFree(bytes);
    EXPECT_EQ(ConvertWideToMultiByte(nullptr, &bytes, &length, 0), 0);
    EXPECT_EQ(ConvertMultiByteToWide("a", nullptr, &length, 0), 0);
}

// The ANSI cases run twice: in the suite's own process under code page 1252, and
// in a second process started with a Japanese locale (see CMakeLists.txt).
TEST(CodePagesAnsi, Cp1252)
{
    if (GetACP() != 1252)
        GTEST_SKIP() << "ANSI code page is " << GetACP();
    EXPECT_EQ(WideToMultiByte(0, L"\u00E9\u20AC", nullptr, 0), 3);
    char* bytes = nullptr;
    int length = 0;
    ASSERT_EQ(ConvertWideToMultiByte(L"\u00E9\u20AC", &bytes, &length, 0), 1);
    EXPECT_STREQ(bytes, "\xE9\x80");
    GlobalFree(bytes);
    EXPECT_EQ(MultiByteToWide(0, nullptr, "\xE9\x80", 0), 2);
}

TEST(CodePagesAnsi, Cp932)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "ANSI code page is " << GetACP();
    // Hiragana A is one double-byte character: two bytes, one UTF-16 unit.
    EXPECT_EQ(WideToMultiByte(0, L"a\u3042", nullptr, 0), 4);
    char* bytes = nullptr;
    int length = 0;
    ASSERT_EQ(ConvertWideToMultiByte(L"a\u3042", &bytes, &length, 0), 1);
    EXPECT_EQ(length, 3);
    EXPECT_STREQ(bytes, "a\x82\xA0");
    EXPECT_EQ(MultiByteToWide(0, nullptr, bytes, 0), 2);
    wchar_t* wide = nullptr;
    ASSERT_EQ(ConvertMultiByteToWide(bytes, &wide, &length, 0), 1);
    EXPECT_STREQ(wide, L"a\u3042");
    EXPECT_EQ(length, 3);
    GlobalFree(wide);
    GlobalFree(bytes);
    // A lead byte cut off by the terminator is not read past.
    EXPECT_LE(MultiByteToWide(0, nullptr, "a\x82", 0), 2);
}

// An ANSI text into a field of fixed size: cut to the field, always
// terminated, the rest zero-filled.
TEST(CodePages, AnsiToWideFieldFillsItsField)
{
    const struct {
        const char* text;
        size_t count;
        std::wstring field;
        int written;
    } cases[] = {{"Hello", 8, std::wstring(L"Hello\0\0\0", 8), 5},
                 {"Hello", 4, std::wstring(L"Hel\0", 4), 3},
                 {"Hello", 1, std::wstring(L"\0", 1), 0},
                 {nullptr, 3, std::wstring(3, L'\0'), 0}};
    for (const auto& c : cases) {
        std::vector<wchar_t> field(c.count + 1, L'Z');
        EXPECT_EQ(AnsiToWideField(c.text, field.data(), c.count), c.written);
        EXPECT_EQ(std::wstring(field.data(), c.count), c.field);
        EXPECT_EQ(field[c.count], L'Z') << "nothing past the field";
    }
    wchar_t untouched = L'Z';
    EXPECT_EQ(AnsiToWideField("abc", &untouched, 0), 0);
    EXPECT_EQ(untouched, L'Z');
}

}  // namespace
