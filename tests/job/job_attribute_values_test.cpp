#include "common/job/job_attribute_values.h"

#include "common/job/job_header.h"
#include "common/job/job_header_codes.h"
#include "common/system/spooler_forms.h"
#include "common/store/global_block.h"
#include "tests/job/job_test_fixture.h"
#include "tests/support/spooler_forms_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class AttributeValueTest : public JobTest {
protected:
    // The key and value the writer gives for setting `id`; *status its result.
    std::string Value(uint16_t id, int* status, const wchar_t* key = L"K=")
    {
        std::vector<uint8_t> buffer(600, 0);
        JobText out = {buffer.data(), static_cast<uint32_t>(buffer.size()), 0};
        JobHeaderState state;
        EXPECT_EQ(InitJobHeaderState(&state, context_.get(), &header_, &out), 0);
        *status = WriteJobAttribute(&state, key, id);
        if (*status == 0) {
            EXPECT_EQ(out.length, 0u) << "a writer without a value leaves nothing";
        }
        return std::string(buffer.begin(), buffer.begin() + out.length);
    }
    std::string Value(uint16_t id)
    {
        int status = 0;
        const std::string text = Value(id, &status);
        EXPECT_GE(status, 0) << id;
        return text;
    }
};

TEST_F(AttributeValueTest, ByValueType)
{
    SetNumber(1333, 1);   // flag
    SetNumber(16, 0xFFFE);  // s16 -2
    SetNumber(320, 11);   // u16
    SetNumber(8201, 4000000000u);  // u32
    SetNumber(438, 200);  // byte
    SetText(5121, L"Kenji \u00e9t\u00e9");  // UTF-8 in the header
    EXPECT_EQ(Value(1333), "K=ON");
    EXPECT_EQ(Value(16), "K=-2");
    EXPECT_EQ(Value(320), "K=11");
    EXPECT_EQ(Value(5121), "K=Kenji \xc3\xa9t\xc3\xa9");
    SetNumber(1333, 0);
    EXPECT_EQ(Value(1333), "K=OFF");
    int status = 0;
    Value(9999, &status);
    EXPECT_EQ(status, kJobErrSettingUnknown);
    // A font record as a whole is no value the header can write.
    Value(304, &status);
    EXPECT_EQ(status, kJobErrValueTypeNotWritable);
}

TEST_F(AttributeValueTest, PaperKeywords)
{
    SetNumber(410, 9);
    EXPECT_EQ(Value(410), "K=A4");
    SetNumber(411, 258);
    EXPECT_EQ(Value(411), "K=16KAI");
    SetNumber(410, 7);  // Executive has no keyword
    int status = 0;
    Value(410, &status);
    EXPECT_EQ(status, kJobErrMissingData);
    EXPECT_STREQ(FindPaperKeyword(43), "HAGAKI");
    EXPECT_EQ(FindPaperKeyword(256), nullptr);
}

TEST_F(AttributeValueTest, UserDefinedPaperTakesTheFormsSizeInFeedOrder)
{
    // The spooler's form 262: fill the list up to it, then a 210 x 297 mm form.
    FORM_INFO_1W* forms = nullptr;
    DWORD bytes = 0, count = 0;
    ASSERT_EQ(EnumSpoolerForms(printer_->handle(), &forms, &bytes, &count), kFormsOk);
    GlobalFree(forms);
    const RECTL area = {0, 0, 100000, 100000};
    for (DWORD n = count + 1; n < 262; ++n)
        ASSERT_TRUE(EnsureSpoolerForm(printer_->handle(), (L"Morva Job Filler " + std::to_wstring(n)).c_str(), 100000,
                                      100000, area));
    ASSERT_TRUE(EnsureSpoolerForm(printer_->handle(), L"Morva Job User 210x297", 209960, 297040,
                                  RECTL{0, 0, 209960, 297040}));
    wchar_t* name = nullptr;
    ASSERT_EQ(LookupFormName(printer_->handle(), 262, &name), kFormsOk);
    EXPECT_STREQ(name, L"Morva Job User 210x297");
    GlobalFree(name);

    SetNumber(410, 262);
    SetNumber(409, 4);
    SetNumber(412, 2);
    EXPECT_EQ(Value(410), "K=UNFIXED:210:297");
    SetNumber(412, 1);
    EXPECT_EQ(Value(410), "K=UNFIXED:297:210");
    SetNumber(409, 264);
    SetNumber(413, 2);
    EXPECT_EQ(Value(410), "K=UNFIXED:210:297");
    SetNumber(409, 1);
    int status = 0;
    Value(410, &status);
    EXPECT_EQ(status, kJobErrMissingData);
    SetNumber(409, 4);
    SetNumber(410, 263);  // no such form
    Value(410, &status);
    EXPECT_EQ(status, kJobErrMissingData);
}

TEST_F(AttributeValueTest, FeedEdge)
{
    SetNumber(412, 2);
    SetNumber(438, 1);
    EXPECT_EQ(Value(412), "K=LEF");  // no slip-sheet pair: setting 438 decides
    SetNumber(406, 1);
    SetNumber(409, 4);
    EXPECT_EQ(Value(412), "K=SEF");
    EXPECT_EQ(Value(438), "K=LEF");  // 438 always by itself
    SetNumber(438, 2);
    EXPECT_EQ(Value(438), "K=SEF");
}

TEST_F(AttributeValueTest, PageListIsSortedWithoutRepeats)
{
    const uint32_t values[] = {5, 3, 5, 0, 10000};
    for (uint16_t i = 0; i < 20; ++i)
        SetNumber(1834 + i, i < 5 ? values[i] : 0);
    EXPECT_EQ(Value(1834), "K=3:5");
    SetNumber(1853, 2);
    SetNumber(1840, 9998);
    EXPECT_EQ(Value(1834), "K=2:3:5:9998");
    for (uint16_t i = 0; i < 20; ++i)
        SetNumber(1834 + i, i == 3 ? 1 : 0);
    int status = 0;
    Value(1834, &status);
    EXPECT_EQ(status, 0);  // no page from 2 to 9998: no line
}

TEST_F(AttributeValueTest, LeadingZerosAndOneShotText)
{
    SetText(435, L"0120");
    EXPECT_EQ(Value(435), "K=120");
    SetText(435, L"0000");
    EXPECT_EQ(Value(435), "K=0");
    SetText(435, L"");
    EXPECT_EQ(Value(435), "K=");
    // Setting 329 holds bytes; written as they stand, then cleared.
    const char bytes[] = "CODE42\0\0";
    SetText(329, reinterpret_cast<const wchar_t*>(bytes));
    EXPECT_EQ(Value(329), "K=CODE42");
    int status = 0;
    Value(329, &status);
    EXPECT_EQ(status, 0);
    SetText(329, reinterpret_cast<const wchar_t*>(bytes));
    SetNumber(1321, 1);
    Value(329, &status);
    EXPECT_EQ(status, 0);
}

TEST_F(AttributeValueTest, UserTextAndUserCode)
{
    header_.userText = L"Dept 7";
    EXPECT_EQ(Value(36902), "K=Dept 7");
    header_.userText = L"ThirteenChars";  // over 12 without the long form: none
    int status = 0;
    Value(36902, &status);
    EXPECT_EQ(status, 0);
    SetHeaderFlags(HeaderFlags() | kHeaderLongUserText);
    EXPECT_EQ(Value(36902), "K=ThirteenChars");
    header_.userText = nullptr;
    Value(36902, &status);
    EXPECT_EQ(status, 0);

    SetText(1831, L"U-17");
    SetNumber(335, 0);
    EXPECT_EQ(Value(1831), "K=U-17");
    header_.userText = L"Dept 7";
    SetNumber(335, 1);
    EXPECT_EQ(Value(1831), "K=Dept 7");
    SetNumber(335, 2);
    Value(1831, &status);
    EXPECT_EQ(status, kJobErrBadValue);
}

TEST_F(AttributeValueTest, DocumentMonitorIdOnlyWhenPresent)
{
    int status = 0;
    Value(8201, &status);
    EXPECT_EQ(status, 0);
    header_.docMonitorIdPresent = 1;
    std::memcpy(header_.docMonitorId, "JOB-0001", 9);
    EXPECT_EQ(Value(8201), "K=JOB-0001");
}

TEST_F(AttributeValueTest, CopiesWithCollationOfTheStream)
{
    SetNumber(12, 4);
    SetNumber(18, 0);
    EXPECT_EQ(Value(12), "K=4");
}

TEST(DelayedDate, MovesToTheNextDayOnlyOnceThePrintTimeHasPassed)
{
    struct Case {
        int year, month, day, hour, minute;  // now
        int setHour, setMinute;
        int expectYear, expectMonth, expectDay;
    } cases[] = {
        {2026, 6, 10, 0, 10, 23, 59, 2026, 6, 10},    // later today
        {2026, 6, 10, 23, 59, 23, 59, 2026, 6, 10},   // exactly now stays today
        {2026, 6, 10, 23, 59, 23, 58, 2026, 6, 11},
        {2026, 12, 31, 23, 0, 1, 0, 2027, 1, 1},      // across the year's end
        {2027, 2, 28, 12, 0, 8, 0, 2027, 3, 1},
        {2028, 2, 28, 12, 0, 8, 0, 2028, 2, 29},
    };
    for (const Case& c : cases) {
        std::tm now{};
        now.tm_year = c.year - 1900;
        now.tm_mon = c.month - 1;
        now.tm_mday = c.day;
        now.tm_hour = c.hour;
        now.tm_min = c.minute;
        std::tm date{};
        ASSERT_EQ(ComputeDelayedDate(now, c.setHour, c.setMinute, &date), 1);
        EXPECT_EQ(date.tm_year + 1900, c.expectYear);
        EXPECT_EQ(date.tm_mon + 1, c.expectMonth);
        EXPECT_EQ(date.tm_mday, c.expectDay);
    }
}

TEST_F(AttributeValueTest, DelayedTimeIsWrittenWithTheSetHourAndMinute)
{
    SetNumber(451, 7);
    SetNumber(452, 5);
    const std::string text = Value(32784);
    ASSERT_EQ(text.size(), std::string("K=2026:06:10:07:05").size()) << text;
    EXPECT_EQ(text.substr(12), ":07:05");
    EXPECT_EQ(text[6], ':');
    EXPECT_EQ(text[9], ':');
}

TEST(JobUserName, CheckedAndReplacedByUnknownUser)
{
    struct Case {
        const wchar_t* name;
        const char* expected;
    } cases[] = {
        {L"alice", "alice"},
        {L"", "UnknownUser"},
        {L"    ", "UnknownUser"},
        {L"tab\there", "UnknownUser"},
        {L"caf\u00e9", "UnknownUser"},    // 0xE9 in the ANSI page lies outside 0xA1-0xDF
        {L"r\u00e9sum\u00e9", "UnknownUser"},
        {L"x\u00b5y", "x\xb5y"},          // 0xB5 lies inside
    };
    for (const Case& c : cases) {
        // The characters beyond ASCII are chosen for the Western ANSI page.
        if (GetACP() != 1252 && c.name[0] != 0 && std::wstring(c.name).find_first_not_of(L" abcdefghijklmnopqrstuvwxyz\t") != std::wstring::npos)
            continue;
        char out[300];
        const int n = MakeJobUserName(c.name, 255, out, sizeof out);
        EXPECT_EQ(std::string(out, n > 0 ? n : 0), c.expected);
    }
    const std::wstring longName(300, L'n');
    char out[300];
    EXPECT_EQ(MakeJobUserName(longName.c_str(), 255, out, sizeof out), 255);
    EXPECT_EQ(MakeJobUserName(L"alice", 255, out, 5), 0);  // no room for the terminator
}

}  // namespace
