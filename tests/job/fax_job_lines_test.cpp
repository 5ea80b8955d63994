#include "common/job/fax_job_lines.h"

#include "common/job/job_header.h"
#include "common/job/job_header_codes.h"
#include "common/system/scrambled_strings.h"
#include "tests/job/job_test_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

void Put(wchar_t* field, size_t room, const wchar_t* text) { std::wcsncpy(field, text, room); }

FaxRecipientRecord Recipient(uint16_t kind, const wchar_t* destination)
{
    FaxRecipientRecord r{};
    r.kind = kind;
    Put(r.destination, 129, destination);
    return r;
}

std::string Line(int mode, const FaxRecipientRecord& r, bool pjl, uint8_t timed = 0, int* length = nullptr)
{
    const FaxDiallingRecord dialling = {0, L"9", 1, L"0", 0, 0};
    char out[600];
    int n = 0;
    const int ok = FormatFaxDestinationAttribute(mode, &r, &dialling, sizeof out, pjl, out, &n, timed);
    if (length != nullptr)
        *length = n;
    return ok == 1 ? std::string(out, n) : std::string("refused");
}

TEST(FaxDestinationLine, SingleQuotedValueOfKindOne)
{
    const FaxRecipientRecord r = Recipient(1, L"123");
    EXPECT_EQ(Line(kFaxModeNumber, r, false), "@FANU='123'\r\n");
    EXPECT_EQ(Line(kFaxModeNumber, r, true), "@PJL SET JOBATTR=\"@FANU='123'\"\r\n");
    // With the timed-send setting the number is widened with zeros, not blanks.
    EXPECT_EQ(Line(kFaxModeNumber, r, false, 1), "@FANU='0123'\r\n");
    FaxRecipientRecord named = Recipient(1, L"12345");
    Put(named.field7, 41, L"Hello");
    EXPECT_EQ(Line(kFaxModeNumber, named, false, 1), "@FANU='12345'{7SGVsbG8=}\r\n");
}

TEST(FaxDestinationLine, KindTwoTakesTheDestinationAsItStands)
{
    FaxRecipientRecord r = Recipient(2, L"fax@example.invalid");
    r.field3Code = 1;
    EXPECT_EQ(Line(kFaxModeEncoded, r, false), "@FAEN=fax@example.invalid{22}{32}\r\n");
    EXPECT_EQ(Line(kFaxModeSubEncoded, r, true), "@PJL SET JOBATTR=\"@SFEN=fax@example.invalid{22}{32}\"\r\n");
    r.field3Code = 3;
    EXPECT_EQ(Line(kFaxModeEncoded, r, false), "refused");
}

TEST(FaxDestinationLine, NumberWithLinePrefixAndFields)
{
    FaxRecipientRecord r = Recipient(3, L"5551234");
    r.lineSelector = 2;  // first prefix "9", its flag 1
    r.fieldChoice = 2;
    r.field1Number = 5;
    r.field1Flag = 1;
    Put(r.field1List, 60, L"1,22,3");
    Put(r.field5, 21, L"Sales");
    EXPECT_EQ(Line(kFaxModeNumber, r, false), "@FANU=95551234{100051000100220003}{21}{30}{5Sales}\r\n");
}

TEST(FaxDestinationLine, FieldFourAndSixAreScrambledInTheEncodedModes)
{
    FaxRecipientRecord r = Recipient(3, L"777");
    r.lineSelector = 1;  // second prefix "0", its flag 0: line flag 2
    r.fieldChoice = 1;
    r.field4Number = 12;
    Put(r.field4Text, 9, L"PIN9");
    Put(r.field6, 21, L"secret");
    EXPECT_EQ(Line(kFaxModeNumber, r, false), "@FANU=0777{40012PIN9}{20}{30}{6secret}\r\n");
    const std::string encoded = Line(kFaxModeEncoded, r, false);
    ASSERT_EQ(encoded.rfind("@FAEN=0777{40012", 0), 0u) << encoded;
    const size_t end = encoded.find('}');
    const std::string field4 = encoded.substr(16, end - 16);
    uint8_t plain[32] = {};
    int n = 0;
    ASSERT_EQ(DecodeAndUnscramble(field4.c_str(), static_cast<int>(field4.size()), plain, &n, sizeof plain), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(plain), n), "PIN9");
    EXPECT_EQ(encoded.find("secret"), std::string::npos);
}

TEST(FaxDestinationLine, LimitsOfTheValueAndTheLine)
{
    FaxRecipientRecord r = Recipient(3, std::wstring(128, L'1').c_str());
    r.lineSelector = 0;
    int length = 0;
    // 128 digits + "{22}{30}" stay below 180; field 1 list of bad groups refuses.
    EXPECT_NE(Line(kFaxModeNumber, r, false, 0, &length), "refused");
    r.fieldChoice = 2;
    Put(r.field1List, 60, L"1,234");
    EXPECT_EQ(Line(kFaxModeNumber, r, false), "refused");
    Put(r.field1List, 60, L"1,2,3,4,5,6,7,8,9,10,11,12,13");  // 13 groups: 52 characters
    EXPECT_EQ(Line(kFaxModeNumber, r, false, 0, &length), "refused");
    EXPECT_EQ(length, -1);  // the value reaches 180 bytes

    // Kind 2 has no value limit, but the whole line must fit 512 bytes with its CR LF.
    FaxRecipientRecord longer = Recipient(2, std::wstring(128, L'a').c_str());
    Put(longer.field5, 21, std::wstring(20, L'5').c_str());
    EXPECT_NE(Line(kFaxModeEncoded, longer, true), "refused");
    // Measured without an output buffer: the value's length only.
    const FaxDiallingRecord dialling = {0, L"9", 1, L"0", 0, 0};
    int measured = 0;
    ASSERT_EQ(FormatFaxDestinationAttribute(kFaxModeNumber, &longer, &dialling, 0, false, nullptr, &measured, 0), 1);
    EXPECT_EQ(measured, 128 + 4 + 4 + 23);
}

TEST(FaxDestinationLine, CapacityCountsTheLineEnd)
{
    FaxRecipientRecord r = Recipient(2, std::wstring(128, L'a').c_str());
    Put(r.field5, 21, std::wstring(20, L'5').c_str());
    const FaxDiallingRecord dialling = {0, L"", 0, L"", 0, 0};
    char out[600];
    int n = 0;
    ASSERT_EQ(FormatFaxDestinationAttribute(kFaxModeEncoded, &r, &dialling, kFaxLineCapacity, true, out, &n, 0), 1);
    const uint32_t line = static_cast<uint32_t>(n);
    EXPECT_EQ(line, 19u + 6 + 159 + 2);
    // Exactly the line's bytes fit; one less refuses, CR LF included, and
    // nothing is written past the capacity.
    std::memset(out, 0x55, sizeof out);
    EXPECT_EQ(FormatFaxDestinationAttribute(kFaxModeEncoded, &r, &dialling, line, true, out, &n, 0), 1);
    EXPECT_EQ(std::string(out + line - 2, 2), "\r\n");
    EXPECT_EQ(out[line], 0x55);
    std::memset(out, 0x55, sizeof out);
    EXPECT_EQ(FormatFaxDestinationAttribute(kFaxModeEncoded, &r, &dialling, line - 1, true, out, &n, 0), 0);
    EXPECT_EQ(out[0], 0x55);
}

// Fax lines in a header of the reference model with the driver kind of a fax.
class FaxHeaderTest : public JobTest {
protected:
    std::vector<uint8_t> List(uint16_t count)
    {
        std::vector<uint8_t> list(sizeof(FaxSendListHeader) + size_t{count} * sizeof(FaxRecipientRecord), 0);
        FaxSendListHeader head{};
        std::memcpy(head.tag, L"SMRX001", 16);
        head.count = count;
        std::memcpy(list.data(), &head, sizeof head);
        for (uint16_t i = 0; i < count; ++i) {
            const FaxRecipientRecord r = Recipient(1, std::to_wstring(1000 + i).c_str());
            std::memcpy(list.data() + sizeof head + size_t{i} * sizeof r, &r, sizeof r);
        }
        return list;
    }
    int Lines(const std::vector<uint8_t>& list, uint16_t first, uint16_t last, std::string* text)
    {
        FaxRecipientRange range = {first, last, list.data(), static_cast<uint32_t>(list.size())};
        header_.faxRange = &range;
        std::vector<uint8_t> buffer(200000);
        JobText out = {buffer.data(), static_cast<uint32_t>(buffer.size()), 0};
        JobHeaderState state;
        EXPECT_EQ(InitJobHeaderState(&state, context_.get(), &header_, &out), 0);
        const int n = WriteFaxDestinationAttributes(&state);
        text->assign(buffer.begin(), buffer.begin() + out.length);
        header_.faxRange = nullptr;
        return n;
    }
};

TEST_F(FaxHeaderTest, FixedAddressFileSendsAtMostOneHundred)
{
    SetHeaderFlags(HeaderFlags() & ~kHeaderPjlForm);
    const std::vector<uint8_t> list = List(150);
    SetNumber(380, 150);
    SetText(375, kKeptFaxAddressFile);
    std::string text;
    const int n = Lines(list, 0, 149, &text);
    ASSERT_GT(n, 0);
    EXPECT_EQ(static_cast<size_t>(n), text.size());
    size_t lines = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
        ++lines;
    EXPECT_EQ(lines, 100u);
    EXPECT_EQ(text.rfind("@FANU='1099'\r\n"), text.size() - 14);
    // Any other file: the list's count must be setting 380's, else no lines.
    SetText(375, L"C:\\other.tmp");
    EXPECT_EQ(Lines(list, 0, 149, &text), 150 * 14);
    SetNumber(380, 151);
    EXPECT_EQ(Lines(list, 0, 149, &text), 0);
    EXPECT_EQ(Lines(list, 3, 2, &text), kJobErrMissingData);
    EXPECT_EQ(Lines(list, 0, 151, &text), kJobErrMissingData);
    // A list shorter than its count says.
    std::vector<uint8_t> cut(list.begin(), list.end() - 1);
    SetNumber(380, 150);
    EXPECT_EQ(Lines(cut, 149, 149, &text), kJobErrMissingData);
}

// The shared address file's list is taken whatever setting 380 claims: the
// range is checked against the list itself.
TEST_F(FaxHeaderTest, SharedFileRangeFollowsTheListNotTheCountSetting)
{
    SetHeaderFlags(HeaderFlags() & ~kHeaderPjlForm);
    const std::vector<uint8_t> list = List(1);
    SetText(375, kKeptFaxAddressFile);
    struct Case {
        uint32_t claimed;
        uint16_t last;
        int result;
    } cases[] = {
        {0, 0, 14}, {1, 0, 14}, {2, 0, 14}, {65535, 0, 14}, {0, 1, kJobErrMissingData}, {2, 1, kJobErrMissingData},
    };
    for (const Case& c : cases) {
        SetNumber(380, c.claimed);
        std::string text;
        EXPECT_EQ(Lines(list, 0, c.last, &text), c.result) << c.claimed << " " << c.last;
        if (c.result > 0)
            EXPECT_EQ(text, "@FANU='1000'\r\n") << c.claimed;
    }
}

TEST_F(FaxHeaderTest, HeaderOfAFaxModelCarriesTheLinesAtThePlaceholder)
{
    PatchRaw(23, 1, 0, 1);  // driver kind 2: fax
    const std::vector<uint8_t> list = List(3);
    SetNumber(380, 3);
    SetText(375, L"C:\\job.tmp");
    FaxRecipientRange range = {1, 1, list.data(), static_cast<uint32_t>(list.size())};
    header_.faxRange = &range;
    header_.hostNameLines = 0;
    int status = 0;
    const std::string header = Header(&status);
    ASSERT_GT(status, 0);
    EXPECT_NE(header.find("@PJL COMMENT MORVA C4530\n@PJL SET JOBATTR=\"@FANU='1001'\"\r\n@PJL ENTER LANGUAGE=MORVA\n"),
              std::string::npos)
        << header;
}

}  // namespace
