// The checks a fax recipient passes before it joins the list.
#include "ui/fax/fax_recipient_checks.h"

#include "tests/fax/fax_test_records.h"

#include <gtest/gtest.h>

namespace {

FaxCheckInputs FourDigit(uint32_t book = 2000, uint16_t maximum = 1000)
{
    FaxCheckInputs in;
    in.lineKind = 2;
    in.bookSize = book;
    in.modelMaximum = maximum;
    return in;
}

FaxCheckInputs LineKind(uint16_t kind, uint32_t book = 999)
{
    FaxCheckInputs in;
    in.lineKind = kind;
    in.bookSize = book;
    in.modelMaximum = 20;
    return in;
}

DestinationsPtr ListOf(int count, uint16_t kind, const wchar_t* prefix = L"")
{
    DestinationsPtr record(CreateFaxDestinations());
    for (int i = 0; i < count; ++i)
        EXPECT_TRUE(AddTo(record.get(), Recipient(kind, (prefix + std::to_wstring(100 + i)).c_str())));
    return record;
}

}  // namespace

TEST(FaxRecipientChecks, WildcardsCountTheirDestinations)
{
    const struct {
        const wchar_t* number;
        int count;
    } cases[] = {{L"05**", 100}, {L"000*", 9}, {L"200*", 1}, {L"20**", 1}, {L"123*", 10}, {L"00**", 99},
                 {L"050*", 10},  {L"31**", 100}, {L"12", 1},  {L"0012", 1}, {L"1*2*", 0}};
    for (const auto& c : cases) {
        const FaxRecipientRecord r = Recipient(kRecipientSpeedDial, c.number);
        EXPECT_EQ(CountRecipientDestinations(&r, FourDigit()), c.count) << c.number;
    }
    // 3-digit speed dial counts 1 only with fax line kind 0; other kinds 1.
    const FaxRecipientRecord speed = Recipient(kRecipientSpeedDial, L"12*");
    EXPECT_EQ(CountRecipientDestinations(&speed, LineKind(0)), 1);
    EXPECT_EQ(CountRecipientDestinations(&speed, LineKind(1)), 0);
    const FaxRecipientRecord ip = Recipient(kRecipientIpFax, L"192.0.2.1");
    EXPECT_EQ(CountRecipientDestinations(&ip, LineKind(1)), 1);
    FaxCheckInputs ipOn = LineKind(3);
    ipOn.ipFax = true;
    EXPECT_EQ(CountRecipientDestinations(&speed, ipOn), 10) << "the IP fax option makes 4-digit speed dial: 012*";
}

TEST(FaxRecipientChecks, SpeedDialBookOfAHundred)
{
    const struct {
        uint16_t kind;
        bool ip;
        const char* number;
        int expected;
    } cases[] = {
        // 4-digit speed dial (kind 2, or the IP fax option).
        {2, false, "100", 0},   {2, false, "101", 5194}, {2, false, "0", 5194},   {2, false, "01**", 0},
        {2, false, "02**", 5194}, {2, false, "010*", 0},  {2, false, "011*", 5194}, {2, false, "1*2", 5194},
        {3, true, "101", 5194}, {3, false, "101", 0},     {3, false, "0", 0},      {3, false, "9*9*", 0},
        // 3-digit speed dial.
        {1, false, "100", 0},   {1, false, "101", 5100}, {1, false, "000", 5101}, {0, false, "101", 5035},
        {0, false, "000", 5042}, {0, false, "***", 0},    {0, false, "10*", 0},    {0, false, "11*", 5035},
        {0, false, "1**", 5042},
    };
    for (const auto& c : cases) {
        FaxCheckInputs in = LineKind(c.kind, 100);
        in.ipFax = c.ip;
        EXPECT_EQ(CheckSpeedDialNumber(c.number, in), c.expected) << c.kind << " " << c.ip << " " << c.number;
    }
    // The entry field asks for three characters first with kinds 0 and 1.
    EXPECT_EQ(CheckTypedSpeedDialNumber("12", LineKind(0, 100)), 5042);
    EXPECT_EQ(CheckTypedSpeedDialNumber("12", LineKind(1, 100)), 5101);
    EXPECT_EQ(CheckTypedSpeedDialNumber("12", LineKind(2, 100)), 0);
}

TEST(FaxRecipientChecks, ListCodesInTheirOrder)
{
    // 51st recipient: code 1 in 3-digit mode, the model's maximum in 4-digit.
    DestinationsPtr fifty = ListOf(50, kRecipientIpFax);
    const FaxRecipientRecord ip = Recipient(kRecipientIpFax, L"192.0.2.200");
    EXPECT_EQ(CheckRecipientAgainstList(&ip, fifty->recipients, LineKind(0)), kRecipientListFull);
    DestinationsPtr forty = ListOf(49, kRecipientIpFax);
    EXPECT_EQ(CheckRecipientAgainstList(&ip, forty->recipients, LineKind(0)), kRecipientAccepted);
    EXPECT_EQ(CheckRecipientAgainstList(&ip, fifty->recipients, FourDigit(2000, 100)), kRecipientAccepted);
    EXPECT_EQ(CheckRecipientAgainstList(&ip, fifty->recipients, FourDigit(2000, 50)), kRecipientModelMaximum);
    EXPECT_EQ(CheckRecipientAgainstList(&ip, forty->recipients, FourDigit(2000, 0)), kRecipientModelMaximum);

    // 600 destinations: six "05**" hold 600; one more is code 6.
    DestinationsPtr wide(CreateFaxDestinations());
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(AddTo(wide.get(), Recipient(kRecipientSpeedDial, L"05**", std::to_wstring(i).c_str())));
    const FaxRecipientRecord one = Recipient(kRecipientSpeedDial, L"0001");
    EXPECT_EQ(CountListDestinations(wide->recipients, FourDigit()), 600);
    EXPECT_EQ(CheckRecipientAgainstList(&one, wide->recipients, FourDigit()), kRecipientOver600);

    // Duplicates: case matters; speed-dial numbers compare without leading zeros.
    DestinationsPtr list(CreateFaxDestinations());
    ASSERT_TRUE(AddTo(list.get(), Recipient(kRecipientFaxNumber, L"5550100", L"Smith")));
    ASSERT_TRUE(AddTo(list.get(), Recipient(kRecipientSpeedDial, L"0012", L"Book")));
    const FaxRecipientRecord smith = Recipient(kRecipientFaxNumber, L"5550100", L"Smith");
    EXPECT_EQ(CheckRecipientAgainstList(&smith, list->recipients, FourDigit()), kRecipientDuplicate);
    const FaxRecipientRecord smithLower = Recipient(kRecipientFaxNumber, L"5550100", L"smith");
    EXPECT_EQ(CheckRecipientAgainstList(&smithLower, list->recipients, FourDigit()), kRecipientAccepted);
    const FaxRecipientRecord twelve = Recipient(kRecipientSpeedDial, L"12", L"Book");
    EXPECT_EQ(CheckRecipientAgainstList(&twelve, list->recipients, FourDigit()), kRecipientDuplicate);
    EXPECT_EQ(CheckRecipientAgainstList(&twelve, list->recipients, LineKind(0)), kRecipientAccepted);
    FaxRecipientRecord mailbox = *At(list.get(), 0);
    mailbox.fieldChoice = kMailboxKindMailbox;
    mailbox.field4Number = 7;
    EXPECT_EQ(CheckRecipientAgainstList(&mailbox, list->recipients, FourDigit()), kRecipientAccepted);
}

TEST(FaxRecipientChecks, TwelveDestinationRule)
{
    DestinationsPtr twelve = ListOf(12, kRecipientFaxNumber, L"555");
    const FaxRecipientRecord number = Recipient(kRecipientFaxNumber, L"5559999");
    const FaxRecipientRecord speed = Recipient(kRecipientSpeedDial, L"001");
    EXPECT_EQ(CheckRecipientAgainstList(&number, twelve->recipients, LineKind(1)), kRecipientTwelveRule);
    EXPECT_EQ(CheckRecipientAgainstList(&speed, twelve->recipients, LineKind(1)), kRecipientAccepted);
    EXPECT_EQ(CheckRecipientAgainstList(&number, twelve->recipients, LineKind(0)), kRecipientAccepted);
    FaxCheckInputs off = LineKind(1);
    off.infoPage = 1;
    off.oneHeader = 0;
    EXPECT_EQ(CheckRecipientAgainstList(&number, twelve->recipients, off), kRecipientAccepted);
    off.oneHeader = 1;
    EXPECT_EQ(CheckRecipientAgainstList(&number, twelve->recipients, off), kRecipientTwelveRule);

    // On a whole list the total must stay below 13.
    EXPECT_EQ(CheckListTwelveRule(twelve->recipients, LineKind(1)), 0);
    ASSERT_TRUE(AddTo(twelve.get(), number));
    EXPECT_EQ(CheckListTwelveRule(twelve->recipients, LineKind(1)), kRecipientTwelveRule);
    off.oneHeader = 0;
    EXPECT_EQ(CheckListTwelveRule(twelve->recipients, off), 0);
}

TEST(FaxRecipientChecks, OneRecipientMode)
{
    FaxCheckInputs in = LineKind(0);
    in.oneRecipient = true;
    DestinationsPtr empty(CreateFaxDestinations());
    DestinationsPtr one = ListOf(1, kRecipientFaxNumber);
    FaxRecipientRecord relay = Recipient(kRecipientFaxNumber, L"555");
    relay.fieldChoice = kMailboxKindRelay;
    const FaxRecipientRecord star = Recipient(kRecipientSpeedDial, L"12*");
    const FaxRecipientRecord plain = Recipient(kRecipientFaxNumber, L"555");
    EXPECT_EQ(CheckOneRecipientMode(&plain, one->recipients, in), 2);
    EXPECT_EQ(CheckOneRecipientMode(&star, empty->recipients, in), 3);
    EXPECT_EQ(CheckOneRecipientMode(&relay, empty->recipients, in), 1);
    EXPECT_EQ(CheckOneRecipientMode(&plain, empty->recipients, in), 0);
    in.oneRecipient = false;
    EXPECT_EQ(CheckOneRecipientMode(&plain, one->recipients, in), 0);
}

TEST(FaxRecipientChecks, TrimPadFeaturesAndLineValues)
{
    wchar_t number[129] = L"12345";
    TrimSpeedDialNumber(number, LineKind(0));
    EXPECT_STREQ(number, L"345");
    std::wcscpy(number, L"12345");
    TrimSpeedDialNumber(number, FourDigit());
    EXPECT_STREQ(number, L"2345");
    wchar_t padded[8];
    PadSpeedDialNumber(L"12", true, padded, 8);
    EXPECT_STREQ(padded, L"0012");
    PadSpeedDialNumber(L"12", false, padded, 8);
    EXPECT_STREQ(padded, L"012");

    DestinationsPtr list = ListOf(2, kRecipientFaxNumber);
    EXPECT_EQ(CollectRecipientFeatures(list->recipients), 0u);
    FaxRecipientRecord f = Recipient(kRecipientFaxNumber, L"1");
    f.fieldChoice = kMailboxKindMailbox;
    std::wcscpy(f.field6, L"pw");
    ASSERT_TRUE(AddTo(list.get(), f));
    EXPECT_EQ(CollectRecipientFeatures(list->recipients), kFeatureMailbox | kFeatureFCodePassword);

    // Fax line value and kind, both ways.
    // Value 1 reads back as 4, the IP fax case, not as kind 2.
    const struct {
        uint16_t kind;
        uint8_t value;
        uint16_t readBack;
    } rows[] = {{0, 2, 0}, {1, 3, 1}, {2, 1, 4}, {3, 0, 3}};
    for (const auto& r : rows) {
        EXPECT_EQ(FaxLineValueOfKind(r.kind, false), r.value);
        EXPECT_EQ(FaxLineKindOfValue(r.value), r.readBack);
    }
    EXPECT_EQ(FaxLineValueOfKind(0, true), 1);
}
