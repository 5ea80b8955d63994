// The exchange with the phonebook tool: the CSV file, the password encoding,
// the tool's discovery and version test, and a run of a stand-in tool that
// ends by itself or is stopped, with the address book put back.
#include "ui/fax/phonebook_exchange.h"

#include "tests/fax/fax_test_records.h"
#include "tests/support/file_port_printer.h"
#include "tests/support/message_box_script.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kToolKey[] = L"SOFTWARE\\Morva\\Fax Phonebook Tool";

std::wstring StandInPath(const wchar_t* name)
{
    std::wstring path = L"Z:";
    for (const char* c = MORVA_FAX_STANDIN_DIR; *c != 0; ++c)
        path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path + L"\\" + name;
}

std::wstring TempPath(const std::wstring& name)
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return folder + name;
}

std::string ReadAll(const std::wstring& path)
{
    const std::vector<uint8_t> bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

void WriteAll(const std::wstring& path, const std::string& bytes)
{
    FILE* f = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// The temporary files the exchange makes: "CSV*" and "tel*".
std::set<std::wstring> ExchangeTempFiles()
{
    std::set<std::wstring> names;
    for (const wchar_t* pattern : {L"CSV*", L"tel*"}) {
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(TempPath(pattern).c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            continue;
        do
            names.insert(data.cFileName);
        while (FindNextFileW(find, &data));
        FindClose(find);
    }
    return names;
}

std::vector<std::string> Split(const std::string& text, const std::string& separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + separator.size())
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

FaxRecipientRecord Typed()
{
    FaxRecipientRecord r = Recipient(kRecipientFaxNumber, L"5550100", L"Smith, J.", L"Acme");
    r.lineSelector = 2;
    return r;
}

}  // namespace

TEST(PhonebookCsv, QuotesOnlyWhatTheRuleAsksFor)
{
    const struct {
        const wchar_t* text;
        const wchar_t* field;
    } cases[] = {{L"Smith", L"Smith"},           {L"Smith, J.", L"\"Smith, J.\""}, {L"say \"hi\"", L"\"say \"\"hi\"\"\""},
                 {L"two\r\nlines", L"\"two\r\nlines\""}, {L"", L""}};
    for (const auto& c : cases)
        EXPECT_EQ(QuoteCsvField(c.text), c.field) << c.text;
}

TEST(PhonebookCsv, SecretsAreHexBytesBase64AndRot13)
{
    EXPECT_EQ(EncodePhonebookSecret(L"abc"), "LJWw");
    EXPECT_EQ(EncodePhonebookSecret(L""), "");
    EXPECT_EQ(EncodePhonebookSecret(L"1234"), "ZGVmAN==");            // "MTIzNA==" rotated
    EXPECT_EQ(EncodePhonebookSecret(L"\x3042"), "ZRV=");              // bytes 30 42: "MEI="
}

TEST(PhonebookCsv, RowColumnsByKindAndMailbox)
{
    std::wstring row;
    FaxRecipientRecord r = Typed();
    ASSERT_TRUE(BuildPhonebookRow(r, &row));
    EXPECT_EQ(row, L",\"Smith, J.\",,Acme,0,[Outside Line]5550100,,,,,,0,,,,,,0");

    r = Recipient(kRecipientIpFax, L"192.0.2.9", L"Lab");
    r.field3Code = 2;
    r.fieldChoice = kMailboxKindMailbox;
    r.field4Number = 12;
    std::wcscpy(r.field4Text, L"abc");
    std::wcscpy(r.field5, L"77");
    std::wcscpy(r.field6, L"abc");
    r.field1Flag = 1;
    ASSERT_TRUE(BuildPhonebookRow(r, &row));
    EXPECT_EQ(row, L",Lab,,,1,,192.0.2.9,,,,,2,77,LJWw,12,LJWw,,1");

    r = Recipient(kRecipientFaxNumber, L"123", L"Relay");
    r.fieldChoice = kMailboxKindRelay;
    r.field1Number = 3;
    std::wcscpy(r.field1List, L"1,2,#3");
    ASSERT_TRUE(BuildPhonebookRow(r, &row));
    EXPECT_EQ(row, L",Relay,,,0,[None]123,,,,,,0,,,,,3,0,1,2,#3");

    EXPECT_FALSE(BuildPhonebookRow(Recipient(kRecipientSpeedDial, L"012", L"x"), &row));
    r = Typed();
    r.lineSelector = 3;
    EXPECT_FALSE(BuildPhonebookRow(r, &row));
}

TEST(PhonebookCsv, FileHasItsFourHeadLinesAndTheRow)
{
    std::string text;
    ASSERT_TRUE(BuildPhonebookFileText(Typed(), L"From the driver", &text));
    const std::vector<std::string> lines = Split(text, "\r\n");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "\"TAMSEN_CORVANE_FAX_PHONEBOOK_TOOL\",\"0060000\"");
    EXPECT_EQ(Split(lines[1], ",").size(), 38u);
    EXPECT_EQ(lines[2], "FPBGID,FPBGCN,FPBGNICKNAME,FPBGMEMCOUNT,FPBGMEMID");
    EXPECT_EQ(lines[3], "From the driver");
    EXPECT_EQ(lines[4], ",\"Smith, J.\",,Acme,0,[Outside Line]5550100,,,,,,0,,,,,,0");

    EXPECT_TRUE(PhonebookButtonEnabled(Typed()));
    EXPECT_FALSE(PhonebookButtonEnabled(Recipient(kRecipientSpeedDial, L"012", L"x")));
    EXPECT_FALSE(PhonebookButtonEnabled(Recipient(kRecipientFaxNumber, L"  ", L"x")));
    EXPECT_FALSE(PhonebookButtonEnabled(Recipient(kRecipientFaxNumber, L"1", L"\x3000")));
}

class PhonebookTool_ : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kToolKey);
        folder_ = TempPath(L"fax46 tool\\");
        CreateDirectoryW(folder_.c_str(), nullptr);
        ASSERT_TRUE(CopyFileW(StandInPath(L"fax_phonebook_standin.exe").c_str(),
                              (folder_ + L"MorvaPhonebook.exe").c_str(), FALSE));
        log_ = TempPath(L"fax46_tool.log");
        DeleteFileW(log_.c_str());
        SetEnvironmentVariableW(L"MORVA_PHONEBOOK_LOG", log_.c_str());
        SetEnvironmentVariableW(L"MORVA_PHONEBOOK_STALL", nullptr);
        book_ = TempPath(L"fax46 book.csv");
        before_ = ExchangeTempFiles();
    }
    void TearDown() override
    {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kToolKey);
        DeleteFileW((folder_ + L"MorvaPhonebook.exe").c_str());
        RemoveDirectoryW(folder_.c_str());
        DeleteFileW(log_.c_str());
        DeleteFileW(book_.c_str());
        SetEnvironmentVariableW(L"MORVA_PHONEBOOK_LOG", nullptr);
        SetEnvironmentVariableW(L"MORVA_PHONEBOOK_STALL", nullptr);
    }
    void Install(const wchar_t* version, bool trailingSlash = true)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kToolKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        std::wstring folder = folder_;
        if (!trailingSlash)
            folder.pop_back();
        RegSetValueExW(key, L"InstallFolder", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                       static_cast<DWORD>((folder.size() + 1) * 2));
        RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                       static_cast<DWORD>((wcslen(version) + 1) * 2));
        RegCloseKey(key);
    }

    std::wstring folder_, log_, book_;
    std::set<std::wstring> before_;
};

TEST_F(PhonebookTool_, MissingOrOldToolIsReportedAndNotStarted)
{
    PhonebookTool tool{};
    {
        MessageBoxScript script({IDOK});
        EXPECT_EQ(CheckPhonebookTool(nullptr, &tool), 0);
        ASSERT_EQ(script.shown().size(), 1u);
        EXPECT_EQ(script.shown()[0].text, ResourceString(5226));
    }
    Install(L"60099");
    {
        MessageBoxScript script({IDOK});
        EXPECT_EQ(CheckPhonebookTool(nullptr, &tool), 0);
        ASSERT_EQ(script.shown().size(), 1u);
        EXPECT_EQ(script.shown()[0].text, ResourceString(5227));
    }
    Install(L"60100", false);
    MessageBoxScript none;
    EXPECT_EQ(CheckPhonebookTool(nullptr, &tool), 1);
    EXPECT_EQ(std::wstring(tool.path), folder_ + L"MorvaPhonebook.exe");
    EXPECT_EQ(none.shown().size(), 0u);
}

namespace {

struct WaitScript {
    bool stop;      // stop the tool at the first poll that finds it running
    int polls = 0;
    bool sawRunning = false;
};

void TestWaiter(HWND, PhonebookToolRun* run, void* context)
{
    auto* script = static_cast<WaitScript*>(context);
    for (; script->polls < 60; ++script->polls) {
        if (!PollPhonebookTool(run, 500))
            return;
        script->sawRunning = true;
        if (script->stop) {
            // Give the stand-in time to change the book before it is stopped.
            Sleep(300);
            StopPhonebookTool(run);
            return;
        }
    }
}

}  // namespace

TEST_F(PhonebookTool_, ToolRegistersTheRecipientInTheBook)
{
    Install(L"60100");
    PhonebookTool tool{};
    ASSERT_EQ(FindPhonebookTool(&tool), 1);
    WriteAll(book_, "existing\r\n");
    WaitScript wait{false};
    MessageBoxScript none;
    ASSERT_EQ(ExchangeWithPhonebookTool(nullptr, nullptr, tool, Typed(), book_.c_str(), TestWaiter, &wait), 1);
    EXPECT_EQ(ReadAll(book_), "existing\r\nregistered\r\n");
    const std::string log = ReadAll(log_);
    EXPECT_NE(log.find(" -O\"" + std::string(book_.begin(), book_.end()) + "\""), std::string::npos) << log;
    EXPECT_NE(log.find("-I\""), std::string::npos) << log;
    EXPECT_NE(log.find(".csv\""), std::string::npos) << log;
    EXPECT_NE(log.find("[Outside Line]5550100"), std::string::npos) << log;
    EXPECT_EQ(ExchangeTempFiles(), before_) << "exchange file and backup deleted";
    EXPECT_EQ(none.shown().size(), 0u);
}

TEST_F(PhonebookTool_, CancelStopsTheToolAndRestoresTheBook)
{
    Install(L"70000");
    PhonebookTool tool{};
    ASSERT_EQ(FindPhonebookTool(&tool), 1);
    std::string original = "book\r\n";
    for (int i = 0; i < 256; ++i)
        original += static_cast<char>(i);
    WriteAll(book_, original);
    SetEnvironmentVariableW(L"MORVA_PHONEBOOK_STALL", L"1");
    WaitScript wait{true};
    ASSERT_EQ(ExchangeWithPhonebookTool(nullptr, nullptr, tool, Typed(), book_.c_str(), TestWaiter, &wait), 1);
    EXPECT_TRUE(wait.sawRunning);
    EXPECT_EQ(ReadAll(book_), original) << "byte for byte";
    EXPECT_EQ(ExchangeTempFiles(), before_);
}

TEST_F(PhonebookTool_, MissingBookAsksBeforeTheToolMakesIt)
{
    Install(L"60100");
    PhonebookTool tool{};
    ASSERT_EQ(FindPhonebookTool(&tool), 1);
    DeleteFileW(book_.c_str());
    {
        MessageBoxScript script({IDNO});
        WaitScript wait{false};
        EXPECT_EQ(ExchangeWithPhonebookTool(nullptr, nullptr, tool, Typed(), book_.c_str(), TestWaiter, &wait), 0);
        ASSERT_EQ(script.shown().size(), 1u);
        EXPECT_EQ(script.shown()[0].text, ResourceString(5229));
        EXPECT_EQ(ReadAll(log_), "") << "not started";
    }
    {
        MessageBoxScript script({IDYES});
        WaitScript wait{false};
        EXPECT_EQ(ExchangeWithPhonebookTool(nullptr, nullptr, tool, Typed(), book_.c_str(), TestWaiter, &wait), 1);
        EXPECT_EQ(ReadAll(book_), "registered\r\n");
    }
    // No folder: nothing started, nothing asked.
    MessageBoxScript none;
    WaitScript wait{false};
    const std::wstring nowhere = TempPath(L"no such folder\\book.csv");
    EXPECT_EQ(ExchangeWithPhonebookTool(nullptr, nullptr, tool, Typed(), nowhere.c_str(), TestWaiter, &wait), 0);
    EXPECT_EQ(none.shown().size(), 0u);
    EXPECT_EQ(ExchangeTempFiles(), before_);
}
