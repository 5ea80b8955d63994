// The shared routines of the interface library's fields: numbers, ANSI byte
// limits, character checks and message boxes from resource strings. They read
// the resource file, so the program acts as the driver of a model printer.
#include "common/system/code_pages.h"
#include "tests/support/message_box_script.h"
#include "tests/support/model_printer.h"
#include "ui/support/ansi_limits.h"
#include "ui/support/number_fields.h"
#include "ui/support/resource_messages.h"
#include "ui/support/text_pieces.h"
#include "ui/support/text_validation.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr UINT kCodePageJapanese = 932;

class UiTextTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { printer_ = OpenSuitePrinter(L"C4530.DDD", L"Morva UI Texts C4530"); }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_); }
    void SetUp() override { ASSERT_TRUE(printer_ && printer_->ok()); }
    static ModelPrinter* printer_;
};
ModelPrinter* UiTextTest::printer_ = nullptr;

std::wstring Take(wchar_t* block)
{
    std::wstring text = block ? block : L"<null>";
    if (block)
        GlobalFree(block);
    return text;
}

TEST(ParseDecimalInt32A, AcceptsTheUnsignedAndSignedLimitsOnly)
{
    const struct {
        const char* text;
        int answer;
        uint32_t value;
    } cases[] = {
        {"4294967295", 1, 0xFFFFFFFFu}, {"4294967296", 0, 0},  {"-2147483648", 1, 0x80000000u},
        {"-2147483649", 0, 0},          {"+42", 1, 42},        {"-7", 1, 0xFFFFFFF9u},
        {"0000000001", 1, 1},           {"12a4", 0, 0},        {"", 0, 0},
        {"+", 0, 0},                    {"12345678901", 0, 0}, {" 5", 0, 0},
    };
    for (const auto& c : cases) {
        uint32_t out = 0xABCD;
        EXPECT_EQ(ParseDecimalInt32A(c.text, &out), c.answer) << c.text;
        if (c.answer)
            EXPECT_EQ(out, c.value) << c.text;
    }
}

TEST_F(UiTextTest, FixedPointPadsTheFractionWithTheResourceSeparator)
{
    const struct {
        uint32_t value;
        int decimals;
        bool isSigned;
        uint32_t flags;
        const wchar_t* text;
    } cases[] = {
        {1005, 2, false, kFixedPoint, L"10.05"},
        {1000, 2, false, kFixedPoint, L"10.00"},
        {1000, 2, false, kFixedPoint | kFixedPointTrimZero, L"10"},
        {7, 3, false, kFixedPoint, L"0.007"},
        {static_cast<uint32_t>(-1005), 2, true, kFixedPoint, L"-10.05"},
        {static_cast<uint32_t>(-5), 1, true, kFixedPoint, L"-0.5"},
        {123, 0, false, kFixedPoint, L"123"},
    };
    for (const auto& c : cases) {
        wchar_t* text = nullptr;
        ASSERT_EQ(FormatFixedPoint(&text, c.decimals, c.isSigned, c.flags, c.value), 1) << c.value;
        EXPECT_EQ(Take(text), c.text) << c.value;
    }
    wchar_t* text = nullptr;
    EXPECT_EQ(FormatFixedPoint(&text, 2, false, kFixedPointTrimZero, 1005), 0);
    EXPECT_EQ(text, nullptr);
    ASSERT_EQ(FormatSettingNumber(&text, 0, true, 4, static_cast<uint32_t>(-12)), 1);
    EXPECT_EQ(Take(text), L"-12");
    ASSERT_EQ(FormatSizePairText(GetModuleHandleW(nullptr), 2100, 2970, 1, 1, &text), 0);
}

TEST_F(UiTextTest, NumberTextsLoseTheirSignAndSeparatorAsAsked)
{
    const struct {
        uint32_t flags;
        int maxFraction;
        const char* text;
        int answer;
        const char* out;
    } cases[] = {
        {kNumberSign | kNumberDropSign, 0, "-12", 1, "12"},
        {kNumberSign | kNumberRefuseSign, 0, "+12", 0, ""},
        {kNumberDecimals, 2, "1.25", 1, "125"},
        {kNumberDecimals, 1, "1.25", 0, ""},
        {kNumberDecimals | kNumberAnyFraction, 1, "1.25", 1, "125"},
        {kNumberDecimals, 2, "1.2.5", 0, ""},
        {kNumberSign | kNumberDropSign, 0, "-", 0, ""},
    };
    for (const auto& c : cases) {
        char out[16] = {};
        int length = static_cast<int>(strlen(c.text));
        EXPECT_EQ(NormalizeNumberText(c.flags, c.maxFraction, c.text, &length, out), c.answer) << c.text;
        if (c.answer)
            EXPECT_STREQ(out, c.out) << c.text;
    }
}

TEST(ParseHexByteList, ReadsBytesBetweenSingleDelimiters)
{
    uint8_t bytes[8] = {};
    EXPECT_EQ(ParseHexByteList(L" 81 ,\t40,ff,", nullptr), 3);
    EXPECT_EQ(ParseHexByteList(L" 81 ,\t40,ff,", bytes), 3);
    EXPECT_EQ(bytes[0], 0x81);
    EXPECT_EQ(bytes[1], 0x40);
    EXPECT_EQ(bytes[2], 0xFF);
    EXPECT_EQ(ParseHexByteList(L"", bytes), 0);
}

TEST(AnsiLimits, ACutNeverSplitsADoubleByteCharacter)
{
    const wchar_t* text = L"a\u3042\u3044";  // 1 + 2 + 2 bytes in code page 932
    EXPECT_EQ(CountAnsiTextBytes(text, kCodePageJapanese), 5);
    const struct {
        uint32_t limit;
        const wchar_t* kept;
        int cut;
    } cases[] = {
        {5, L"a\u3042\u3044", 0}, {4, L"a\u3042", 1}, {3, L"a\u3042", 1}, {2, L"a", 1}, {0, L"", 1},
    };
    for (const auto& c : cases) {
        std::wstring copy = text;
        int cut = -1;
        ASSERT_EQ(TruncateTextToByteLimit(c.limit, copy.data(), &cut, kCodePageJapanese), 1) << c.limit;
        EXPECT_STREQ(copy.c_str(), c.kept) << c.limit;
        EXPECT_EQ(cut, c.cut) << c.limit;
    }
    // A character the code page cannot hold: refused strictly, mapped loosely.
    std::wstring foreign = L"\u00E9t\u00E9";
    int cut = 0;
    EXPECT_EQ(TruncateTextToByteLimit(2, foreign.data(), &cut, kCodePageJapanese), 0);
    EXPECT_EQ(TruncateAnsiTextToByteLimit(2, foreign.data(), &cut, kCodePageJapanese), 1);
    EXPECT_EQ(cut, 1);
    char* ansi = nullptr;
    EXPECT_EQ(WideToMultiByteAlloc(L"\u00E9", &ansi, nullptr, kCodePageJapanese), 0);
    EXPECT_EQ(ansi, nullptr);
}

TEST_F(UiTextTest, ValidationChecksEachCharacterAgainstTheByteTables)
{
    const UINT singleAllowed[] = {9250, 0};
    const UINT singleForbidden[] = {9251, 0};
    const UINT doubleAllowed[] = {9252, 0};
    const UINT doubleForbidden[] = {9253, 0};
    const struct {
        const wchar_t* text;
        uint32_t flags;
        int valid;
    } cases[] = {
        {L"abc", 0, 1},
        {L"a\"b", 0, 0},                          // forbidden single byte
        {L"a\tb", 0, 0},                          // outside the allowed range
        {L"\u3042\u3044", 0, 1},                  // kana within the ranges
        {L"\u203B", 0, 0},                        // the reference mark 81A6 is refused
        {L"\u3000\u3000", 0, 1},                  // double-byte spaces ...
        {L"\u3000\u3000", kTextNotOnlySpaces, 0}, // ... not alone under flag 256
        {L"\u3000a", kTextNotOnlySpaces, 1},
        {L"  ", kTextNotOnlySpaces, 0},
        {L"", 0, 0},
        {L"", kTextEmptyAllowed, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ValidateTextCharacters(c.text, singleAllowed, doubleAllowed, singleForbidden, doubleForbidden,
                                         c.flags, 0, kCodePageJapanese),
                  c.valid)
            << static_cast<int>(c.text[0]) << " " << c.flags;
    // Numbers are normalised first: the separator is no character of the text.
    EXPECT_EQ(ValidateTextCharacters(L"12.5", singleAllowed, nullptr, nullptr, nullptr, kNumberDecimals, 1,
                                     kCodePageJapanese),
              1);
    EXPECT_EQ(ValidateTextCharacters(L"12.55", singleAllowed, nullptr, nullptr, nullptr, kNumberDecimals, 1,
                                     kCodePageJapanese),
              0);
}

TEST_F(UiTextTest, OptionNamesLoseTheirSizeTail)
{
    const struct {
        const wchar_t* name;
        int mode;
        const wchar_t* cut;
    } cases[] = {
        {L"A4 (210 x 297 mm)", kCutAtBracket, L"A4 "},
        {L"A4 (210 x 297 mm)", kCutSizeTail, L"A4"},
        {L"Tray 1 (A4) Long", kCutBracketedPart, L"Tray 1  Long"},
        {L"Plain", kCutSizeTail, L"Plain"},
    };
    for (const auto& c : cases) {
        std::wstring name = c.name;
        CutOptionNameSuffix(name.data(), c.mode);
        EXPECT_STREQ(name.c_str(), c.cut) << c.name;
    }
    wchar_t* inner = nullptr;
    int length = -1;
    ASSERT_EQ(ExtractDelimitedText(&inner, &length, L"x(a(b)c)y", L'(', L')'), 1);
    EXPECT_EQ(length, 5);
    EXPECT_EQ(Take(inner), L"a(b)c");
    ASSERT_EQ(ExtractDelimitedText(&inner, &length, L"()", L'(', L')'), 1);
    EXPECT_EQ(Take(inner), L"");
    EXPECT_EQ(ExtractDelimitedText(&inner, &length, L"(abc", L'(', L')'), 0);
    EXPECT_EQ(ExtractDelimitedText(&inner, &length, L"(", L'(', L')'), 0);
    EXPECT_STREQ(GetFileNamePart(L"C:\\a\\b.txt"), L"b.txt");
    EXPECT_STREQ(GetFileNamePart(L"b.txt"), L"b.txt");
    wchar_t bounded[8] = L"abc";
    AppendStringBounded(bounded, L"defgh", 8);
    EXPECT_STREQ(bounded, L"abcdefg");
}

TEST_F(UiTextTest, FormattedStringsThatFillTheirRoomFail)
{
    wchar_t* text = nullptr;
    ASSERT_EQ(LoadFormattedString(&text, 0, kMessageValueLimit, 99), 1);
    EXPECT_EQ(Take(text), L"The value must not exceed 99.");
    const int needed = static_cast<int>(ResourceString(kMessageValueLimit).size());  // with "%1d" for "99"
    EXPECT_EQ(LoadFormattedString(&text, needed, kMessageValueLimit, 99), 0);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(LoadFormattedString(&text, 0, 31999, 1), 0);
}

// Real message boxes, answered by the script: the box shows the resource
// strings and its answer comes back.
TEST_F(UiTextTest, MessageBoxesShowTheirResourceStringsAndAnswer)
{
    MessageBoxScript script({IDCANCEL, IDOK, IDOK});
    ASSERT_TRUE(script.installed());
    EXPECT_EQ(ShowResourceMessageBox(nullptr, kCaptionSettings, nullptr, MB_OKCANCEL | MB_ICONWARNING, 427, nullptr),
              IDCANCEL);
    EXPECT_EQ(ShowResourceMessageBox(nullptr, kTextGiven, L"Own caption", MB_OK, kTextGiven, L"Own text"), IDOK);
    ItemLimits limits{40, 12};
    EXPECT_EQ(ShowLimitWarning(&limits, nullptr, kMessageValueLimit, 250), 1);
    EXPECT_EQ(ShowLimitWarning(&limits, nullptr, 999, 250), 0);
    EXPECT_EQ(ShowResourceMessageBox(nullptr, 31999, nullptr, MB_OK, 427, nullptr), -1);
    ASSERT_EQ(script.shown().size(), 3u);
    EXPECT_EQ(script.unscripted(), 0);
    EXPECT_EQ(script.shown()[0].caption, ResourceString(kCaptionSettings));
    EXPECT_EQ(script.shown()[0].text, ResourceString(427));
    EXPECT_EQ(script.shown()[1].caption, L"Own caption");
    EXPECT_EQ(script.shown()[1].text, L"Own text");
    EXPECT_EQ(script.shown()[2].text, L"The value must not exceed 250.");
}

TEST(LengthDisplay, KindsFollowTheInchFlag)
{
    const struct {
        uint16_t id;
        uint32_t inch;
        int answer;
        uint32_t kind;
    } cases[] = {
        {460, 1, 1, 2}, {460, 0, 1, 1}, {5928, 1, 1, 2}, {1826, 0, 1, 1},
        {268, 1, 1, 1}, {324, 0, 1, 0}, {12, 1, 0, 0},
    };
    for (const auto& c : cases) {
        uint32_t kind = 0;
        EXPECT_EQ(GetLengthDisplayKind(c.id, c.inch, &kind), c.answer) << c.id;
        if (c.answer)
            EXPECT_EQ(kind, c.kind) << c.id;
    }
    MarginRecord margins{1, 2, 3, 4};
    uint32_t four[4] = {};
    ASSERT_EQ(GetMarginFields(&margins, kAllMargins, four), 1);
    EXPECT_EQ(four[3], 4u);
    const uint32_t nine = 9;
    ASSERT_EQ(SetMarginFields(&margins, 2, &nine), 1);
    EXPECT_EQ(margins.right, 9u);
    EXPECT_EQ(SetMarginFields(&margins, 5, &nine), 0);
}

}  // namespace
