// The outside recipient dialog library, answered by a stand-in of our own in
// the driver directory of a printer of the fax model.
#include "ui/fax/recipient_dialog_library.h"

#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "tests/fax/fax_test_records.h"
#include "tests/support/file_port_printer.h"
#include "tests/support/message_box_script.h"
#include "tests/support/settings_pair_fixture.h"
#include "ui/fax/fax_setting_ids.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::wstring StandInPath(const wchar_t* name)
{
    std::wstring path = L"Z:";
    for (const char* c = MORVA_FAX_STANDIN_DIR; *c != 0; ++c)
        path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path + L"\\" + name;
}

std::string ReadAll(const std::wstring& path)
{
    const std::vector<uint8_t> bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

class RecipientDialogLibrary : public SettingsPairTest {
protected:
    static void SetUpTestSuite() { printer_s = OpenSuitePrinter(L"F1800.DDD", L"Morva Fax Recipient Dialog"); }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_s); }
    void SetUp() override
    {
        Open(printer_s);
        library_ = printer_s->driverDirectory() + L"F1800RD.dll";
        ASSERT_TRUE(CopyFileW(StandInPath(L"F1800RD.dll").c_str(), library_.c_str(), FALSE));
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        log_ = std::wstring(folder) + L"fax46_recipdlg.log";
        DeleteFileW(log_.c_str());
        SetEnvironmentVariableW(L"MORVA_RECIPDLG_LOG", log_.c_str());
        for (const wchar_t* name : {L"MORVA_RECIPDLG_RESULT", L"MORVA_RECIPDLG_COUNT", L"MORVA_RECIPDLG_CLAIM"})
            SetEnvironmentVariableW(name, nullptr);
        record_.reset(CreateFaxDestinations());
        Set(kFidIpFaxOption, 0);
        Set(kFidFaxCardType, 0);  // fax line kind 3: no 4-digit speed dial
    }
    void TearDown() override
    {
        DeleteFileW(library_.c_str());
        DeleteFileW(log_.c_str());
        SettingsPairTest::TearDown();
    }
    int Show(const wchar_t* book = L"C:\\books\\office.csv")
    {
        RecipientDialogCall call{nullptr, context_->main, settings_.data(), printer_settings_.data(),
                                 L"C:\\help\\driver.chm", book, record_.get()};
        return ShowOutsideRecipientDialogWith(call);
    }
    void Fill(int n, uint16_t mode = 0)
    {
        for (int i = 0; i < n; ++i) {
            FaxRecipientRecord r = Recipient(kRecipientFaxNumber, std::to_wstring(5550000 + i).c_str(),
                                             (L"Name " + std::to_wstring(i)).c_str());
            r.field3Code = mode;
            ASSERT_TRUE(AddTo(record_.get(), r));
        }
    }
    std::string Log() { return ReadAll(log_); }

    static ModelPrinter* printer_s;
    std::wstring library_, log_;
    DestinationsPtr record_;
};
ModelPrinter* RecipientDialogLibrary::printer_s = nullptr;

TEST_F(RecipientDialogLibrary, MaximumIsFiftyOutsideFourDigitSpeedDial)
{
    Fill(2);
    MessageBoxScript none;
    ASSERT_EQ(Show(L":C:\\books\\office.csv"), 1);
    const std::string log = Log();
    EXPECT_NE(log.find("maximum=50\n"), std::string::npos) << log;
    EXPECT_NE(log.find("book=C:\\books\\office.csv\n"), std::string::npos) << "the ':' marker is skipped: " << log;
    EXPECT_NE(log.find("key=Software\\Morva\\F1800\\FaxRecipientDialog\n"), std::string::npos) << log;
    EXPECT_NE(log.find("count=2\n"), std::string::npos) << log;
    EXPECT_NE(log.find("reserved=0\n"), std::string::npos) << log;
    // Line kind 3 without IP fax: only bit 0x10 of the line bits is clear.
    EXPECT_NE(log.find("flags=0x00\n"), std::string::npos) << log;
    // The stand-in hands the two back reversed: the record takes that order.
    ASSERT_EQ(GetKeyedListCount(record_->recipients), 2);
    EXPECT_STREQ(At(record_.get(), 0)->field7, L"Name 1");
    EXPECT_EQ(Get(kFidFaxRecipientCount), 2u);
    EXPECT_EQ(none.shown().size(), 0u);

    // Fax line kind 0 (card type 2), where the model offers it, passes 50 as well.
    if (WriteSettingNumber(kFidFaxCardType, settings_.data(), printer_settings_.data(), 2)) {
        DeleteFileW(log_.c_str());
        ASSERT_EQ(Show(), 1);
        EXPECT_NE(Log().find("maximum=50\n"), std::string::npos) << Log();
        EXPECT_NE(Log().find("flags=0x10\n"), std::string::npos) << Log();
    }

    // Fax line kind 2 is 4-digit speed dial: the model's maximum (20).
    Set(kFidFaxCardType, 1);
    DeleteFileW(log_.c_str());
    ASSERT_EQ(Show(), 1);
    EXPECT_NE(Log().find("maximum=20\n"), std::string::npos) << Log();
    EXPECT_NE(Log().find("flags=0x1c\n"), std::string::npos) << Log();
}

TEST_F(RecipientDialogLibrary, CommunicationModeOneAndTwoSwapBothWays)
{
    Fill(1, 1);
    SetEnvironmentVariableW(L"MORVA_RECIPDLG_COUNT", L"2");
    ASSERT_EQ(Show(), 1);
    EXPECT_NE(Log().find("mode=2\n"), std::string::npos) << Log();
    ASSERT_EQ(GetKeyedListCount(record_->recipients), 2);
    EXPECT_EQ(At(record_.get(), 0)->field3Code, 1) << "a returned 2 is 1";
    EXPECT_STREQ(At(record_.get(), 1)->field7, L"Returned 1");

    uint16_t out = 0;
    EXPECT_FALSE(TranslateRecipientCommMode(3, &out));
    FaxRecipientRecord bad = Recipient(kRecipientFaxNumber, L"1");
    bad.field3Code = 3;
    RecipientDialogEntry entry;
    EXPECT_FALSE(RecipientToDialogEntry(bad, &entry));
}

TEST_F(RecipientDialogLibrary, EmptyAnswerEmptiesTheListAndTheCount)
{
    Fill(3);
    Set(kFidFaxRecipientCount, 3);
    SetEnvironmentVariableW(L"MORVA_RECIPDLG_COUNT", L"0");
    ASSERT_EQ(Show(), 1);
    EXPECT_EQ(GetKeyedListCount(record_->recipients), 0);
    EXPECT_EQ(Get(kFidFaxRecipientCount), 0u);
}

TEST_F(RecipientDialogLibrary, MessagesAndUnchangedAnswers)
{
    Fill(2);
    const struct {
        const wchar_t* result;
        int message;  // 0: none
    } cases[] = {{L"1", 5007}, {L"3", 5008}, {L"-1", 0}};
    for (const auto& c : cases) {
        SetEnvironmentVariableW(L"MORVA_RECIPDLG_RESULT", c.result);
        MessageBoxScript script({IDOK});
        ASSERT_EQ(Show(), 1) << c.result;
        EXPECT_EQ(GetKeyedListCount(record_->recipients), 2) << c.result;
        EXPECT_STREQ(At(record_.get(), 0)->field7, L"Name 0") << "the list keeps its entries";
        ASSERT_EQ(script.shown().size(), c.message ? 1u : 0u) << c.result;
        if (c.message) {
            EXPECT_EQ(script.shown()[0].text, ResourceString(c.message));
        }
    }
    SetEnvironmentVariableW(L"MORVA_RECIPDLG_RESULT", L"7");
    EXPECT_EQ(Show(), 0);
}

TEST_F(RecipientDialogLibrary, MissingLibraryFailsWithoutAMessage)
{
    Fill(2);
    ASSERT_TRUE(DeleteFileW(library_.c_str()));
    MessageBoxScript none;
    EXPECT_EQ(Show(), 0);
    EXPECT_EQ(none.shown().size(), 0u);
    ClearFaxRecipients(record_.get());
    EXPECT_EQ(GetKeyedListCount(record_->recipients), 0);
}

TEST_F(RecipientDialogLibrary, ListLongerThanTheMaximumHasRoomAndTheCountIsHeld)
{
    // 4-digit speed dial passes the model's maximum of 20 while the list
    // already holds 50: the array holds all 50, and a library claiming more
    // than it was given room for is held to that room.
    Set(kFidFaxCardType, 1);
    Fill(50);
    SetEnvironmentVariableW(L"MORVA_RECIPDLG_CLAIM", L"100000");
    ASSERT_EQ(Show(), 1);
    EXPECT_NE(Log().find("entry 49: "), std::string::npos);
    EXPECT_EQ(GetKeyedListCount(record_->recipients), 50);
    EXPECT_STREQ(At(record_.get(), 0)->field7, L"Name 49");
}
