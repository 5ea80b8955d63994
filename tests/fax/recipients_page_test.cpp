// The recipients page's rules: the rows and descriptions it shows, the stored
// list checked again when shown, the messages of each check result, the entry
// fields as a record, and the address book box's list.
#include "ui/fax/recipients_page_logic.h"

#include "common/context/value_by_type.h"
#include "common/system/module_files.h"
#include "tests/fax/fax_test_records.h"
#include "tests/support/message_box_script.h"
#include "tests/support/settings_pair_fixture.h"
#include "ui/fax/fax_setting_ids.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

RecipientPageInputs Inputs(uint16_t lineKind, bool ipFax = false)
{
    RecipientPageInputs in;
    in.checks.lineKind = lineKind;
    in.checks.ipFax = ipFax;
    in.checks.bookSize = 2000;
    in.checks.modelMaximum = 100;
    in.commMode2 = true;
    in.outsidePrefix = L"0";
    in.extensionPrefix = L"9";
    in.lineValue = FaxLineValueOfKind(lineKind, ipFax);
    return in;
}

}  // namespace

TEST(RecipientsPage, RowsShowPrefixesPaddedSpeedDialAndOneLineCompany)
{
    FaxRecipientRecord speed = Recipient(kRecipientSpeedDial, L"12", L"Book");
    EXPECT_EQ(FormatRecipientRow(speed, Inputs(2), L" (Speed dial)", L" (IP fax)").address, L"0012 (Speed dial)");
    EXPECT_EQ(FormatRecipientRow(speed, Inputs(0), L" (Speed dial)", L" (IP fax)").address, L"012 (Speed dial)");
    FaxRecipientRecord number = Recipient(kRecipientFaxNumber, L"5550100", L"Smith", L"Acme\r\nSales");
    number.lineSelector = 2;
    const RecipientRowText row = FormatRecipientRow(number, Inputs(0), L"", L"");
    EXPECT_EQ(row.address, L"05550100");
    EXPECT_EQ(row.name, L"Smith");
    EXPECT_EQ(row.company, L"Acme Sales");
    number.lineSelector = 1;
    EXPECT_EQ(FormatRecipientRow(number, Inputs(0), L"", L"").address, L"95550100");
    const FaxRecipientRecord ip = Recipient(kRecipientIpFax, L"192.0.2.1");
    EXPECT_EQ(FormatRecipientRow(ip, Inputs(0, true), L"", L" (IP fax)").address, L"192.0.2.1 (IP fax)");
}

TEST(RecipientsPage, StoredListCheckedWhenShown)
{
    const struct {
        const char* what;
        RecipientPageInputs in;
        bool initial;
        uint16_t flags;
        int kept;
    } cases[] = {
        // Fax line kind 3: fax numbers go; without IP fax the IP addresses too.
        {"kind 3", Inputs(3, true), true, kRemovedFaxNumbers, 2},
        {"no IP fax", Inputs(0, false), true, kRemovedIpFax, 2},
        {"later fill: no flags", Inputs(0, false), false, 0, 2},
    };
    for (const auto& c : cases) {
        DestinationsPtr record(CreateFaxDestinations());
        AddTo(record.get(), Recipient(kRecipientFaxNumber, L"5550100"));
        AddTo(record.get(), Recipient(kRecipientIpFax, L"192.0.2.1"));
        AddTo(record.get(), Recipient(kRecipientSpeedDial, L"00012"));
        EXPECT_EQ(FilterRecipientList(record.get(), c.in, c.initial), c.flags) << c.what;
        EXPECT_EQ(GetKeyedListCount(record->recipients), c.kept) << c.what;
    }
    // The job's fax line value read back: 4-digit speed dial with a value of
    // kind 0 empties the list, and so does the IP fax value with fax line kind 0.
    DestinationsPtr record(CreateFaxDestinations());
    AddTo(record.get(), Recipient(kRecipientFaxNumber, L"5550100"));
    RecipientPageInputs in = Inputs(2);
    in.lineValue = FaxLineValueOfKind(0, false);
    EXPECT_EQ(FilterRecipientList(record.get(), in, true), kEmptiedLineValue);
    EXPECT_EQ(GetKeyedListCount(record->recipients), 0);
    AddTo(record.get(), Recipient(kRecipientFaxNumber, L"5550100"));
    in = Inputs(0);
    in.lineValue = 1;
    EXPECT_EQ(FilterRecipientList(record.get(), in, true), kEmptiedLineValue);

    // Speed dial trimmed to the mode's digits; one-recipient and page mode 1.
    AddTo(record.get(), Recipient(kRecipientSpeedDial, L"00012"));
    EXPECT_EQ(FilterRecipientList(record.get(), Inputs(2), false), 0);
    EXPECT_STREQ(At(record.get(), 0)->destination, L"0012");
    AddTo(record.get(), Recipient(kRecipientFaxNumber, L"1"));
    in = Inputs(2);
    in.pageMode = 1;
    EXPECT_EQ(FilterRecipientList(record.get(), in, false), kEmptiedPageMode1);
    AddTo(record.get(), Recipient(kRecipientSpeedDial, L"12**"));
    in = Inputs(2);
    in.checks.oneRecipient = true;
    EXPECT_EQ(FilterRecipientList(record.get(), in, false), kEmptiedOneRecipient);
}

TEST(RecipientsPage, RemovalMessagePriority)
{
    const struct {
        uint16_t flags;
        RecipientPageInputs in;
        std::vector<UINT> messages;
    } cases[] = {
        {kRemovedFaxNumbers, Inputs(3, false), {5206}},
        {kEmptiedLineValue | kEmptiedPageMode1 | kRemovedFaxNumbers, Inputs(0), {5220}},
        {kEmptiedPageMode1 | kEmptiedOneRecipient, Inputs(0), {5240}},
        {kEmptiedOneRecipient | kRemovedFaxNumbers, Inputs(0), {5241}},
        {kRemovedFaxNumbers | kRemovedIpFax, Inputs(0), {5221, 5222}},
        {kRemovedFaxNumbers, Inputs(0), {5221}},
        {kRemovedIpFax, Inputs(0), {5222}},
        {0, Inputs(0), {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RemovalMessages(c.flags, c.in), c.messages) << c.flags;
}

TEST(RecipientsPage, CheckCodesGiveTheirMessages)
{
    const struct {
        int code;
        UINT add;
        UINT leave;
    } cases[] = {{1, 5001, 5034}, {4, 5195, 5195}, {5, 5207, 5204}, {6, 5203, 5205},
                 {2, 5000, 5036}, {3, 5002, 5014}, {0, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(AddRefusalMessage(c.code), c.add) << c.code;
        EXPECT_EQ(LeaveRefusalMessage(c.code), c.leave) << c.code;
    }
    EXPECT_EQ(OneRecipientMessage(2), 5237u);
    EXPECT_EQ(OneRecipientMessage(3), 5239u);
    EXPECT_EQ(OneRecipientMessage(1), 5236u);
}

TEST(RecipientsPage, AddressBookBox)
{
    std::vector<std::wstring> history;
    for (int i = 1; i <= 10; ++i)
        history.push_back(L"C:\\books\\book" + std::to_wstring(i) + L".csv");
    // A marked path stays current at the top; the eleventh path is dropped.
    AddressBookBox box = BuildAddressBookBox(history, L":C:\\x.csv");
    ASSERT_EQ(box.paths.size(), 10u);
    EXPECT_EQ(box.paths[0], L"C:\\x.csv");
    EXPECT_EQ(box.paths[9], L"C:\\books\\book9.csv");
    EXPECT_EQ(box.current, L":C:\\x.csv");
    // An unmarked path that is not the most recent goes second; the most
    // recent becomes current.
    box = BuildAddressBookBox(history, L"C:\\x.csv");
    EXPECT_EQ(box.paths[0], history[0]);
    EXPECT_EQ(box.paths[1], L"C:\\x.csv");
    EXPECT_EQ(box.current, history[0]);
    // The most recent path, in another case, is not listed twice.
    box = BuildAddressBookBox(history, L"c:\\BOOKS\\book1.csv");
    EXPECT_EQ(box.paths.size(), 10u);
    EXPECT_EQ(box.paths[0], L"c:\\BOOKS\\book1.csv");
    EXPECT_EQ(box.paths[1], history[1]);
    box = BuildAddressBookBox({}, L"   ");
    EXPECT_TRUE(box.paths.empty());
}

class RecipientsPageOnModel : public SettingsPairTest {
protected:
    static void SetUpTestSuite() { printer_s = OpenSuitePrinter(L"F1800.DDD", L"Morva Fax Recipients Page"); }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_s); }
    void SetUp() override { Open(printer_s); }
    static ModelPrinter* printer_s;
};
ModelPrinter* RecipientsPageOnModel::printer_s = nullptr;

TEST_F(RecipientsPageOnModel, EntryFieldsRoundTripAsARecord)
{
    FaxRecipientRecord typed = Recipient(kRecipientFaxNumber, L"5550100", L"Smith", L"Acme\r\nSales");
    typed.lineSelector = 2;
    typed.field3Code = 1;
    typed.fieldChoice = kMailboxKindRelay;
    typed.field1Number = 12;
    std::wcscpy(typed.field1List, L"1,2,#3");
    std::wcscpy(typed.field5, L"77");
    ASSERT_EQ(PutRecipientIntoEntry(settings_.data(), printer_settings_.data(), typed), 1);
    FaxRecipientRecord back{};
    ASSERT_EQ(BuildRecipientFromEntry(settings_.data(), printer_settings_.data(), &back), 1);
    EXPECT_EQ(std::memcmp(&back, &typed, sizeof back), 0);
    EXPECT_EQ(Get(kFidRecipientCommMode), 1u);

    // The description of its options.
    LoadResourceModule();
    EXPECT_EQ(DescribeRecipientOptions(typed, 0), L"Overseas Relay broadcast F-code Outside line");
    EXPECT_EQ(DescribeRecipientOptions(typed, 1), L"Overseas (fax line 1) Relay broadcast F-code Outside line");
    typed.fieldChoice = kMailboxKindMailbox;
    typed.field4Number = 7;
    EXPECT_EQ(DescribeRecipientOptions(typed, 0), L"Overseas Mailbox 7 F-code Outside line");
    EXPECT_EQ(DescribeRecipientOptions(Recipient(kRecipientSpeedDial, L"1"), 0), L"");
    ReleaseResourceModule();
}

TEST(RecipientsPage, KindFitsTheReadAgainOptions)
{
    constexpr struct {
        uint16_t kind;
        uint32_t card;
        bool ipFax;
        uint16_t fitted;
    } kCases[] = {
        {kRecipientFaxNumber, 0, true, kRecipientIpFax},      {kRecipientFaxNumber, 0, false, kRecipientSpeedDial},
        {kRecipientFaxNumber, 1, false, kRecipientFaxNumber}, {kRecipientIpFax, 1, false, kRecipientFaxNumber},
        {kRecipientIpFax, 0, false, kRecipientSpeedDial},     {kRecipientIpFax, 0, true, kRecipientIpFax},
        {kRecipientSpeedDial, 0, false, kRecipientSpeedDial}, {kRecipientSpeedDial, 2, true, kRecipientSpeedDial},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(FitRecipientKindToOptions(c.kind, c.card, c.ipFax), c.fitted)
            << c.kind << " card " << c.card << " ip " << c.ipFax;
}

TEST(RecipientsPage, TextFittedToAWidth)
{
    constexpr struct {
        const wchar_t* text;
        int width;
        bool pad;
        const wchar_t* fitted;
    } kCases[] = {
        {L"Smith", 10, false, L"Smith"},
        {L"Smith", 8, true, L"Smith   "},
        {L"Acme Sales\r\nSecond line", 20, false, L"Acme Sales"},
        {L"Consolidated Widgets", 10, false, L"Consoli..."},
        {L"Consolidated", 12, false, L"Consolidated"},
        {L"Consolidated!", 12, true, L"Consolida..."},
        {L"", 3, true, L"   "},
        {L"", 0, false, L""},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(FitTextToWidth(c.text, c.width, c.pad), c.fitted) << c.width;
}

TEST(RecipientsPage, TextFittedToAWidthKeepsDoubleByteCharactersWhole)
{
    constexpr UINT kCp932 = 932;
    // Four double-byte characters are 8 bytes: a width of 8 keeps them all.
    const wchar_t text[] = {0x65E5, 0x672C, 0x8A9E, 0x6587, 0};
    EXPECT_EQ(FitTextToWidthIn(kCp932, text, 8, false), std::wstring(text));
    // Width 7 leaves 4 bytes before "...": two characters.
    EXPECT_EQ(FitTextToWidthIn(kCp932, text, 7, false), std::wstring(text, 2) + L"...");
    // Width 8 with one more character leaves 5 bytes: the third character
    // would be split, so two stay.
    const wchar_t longer[] = {0x65E5, 0x672C, 0x8A9E, 0x6587, 0x5B57, 0};
    EXPECT_EQ(FitTextToWidthIn(kCp932, longer, 8, false), std::wstring(longer, 2) + L"...");
    // A single-byte character first moves the cut by one.
    const wchar_t mixed[] = {L'A', 0x65E5, 0x672C, 0x8A9E, 0x6587, 0};
    EXPECT_EQ(FitTextToWidthIn(kCp932, mixed, 8, false), std::wstring(mixed, 3) + L"...");
}

TEST(RecipientsPage, SendTimeValuesShowTwoDigits)
{
    EXPECT_EQ(TwoDigits(0), L"00");
    EXPECT_EQ(TwoDigits(7), L"07");
    EXPECT_EQ(TwoDigits(23), L"23");
}
