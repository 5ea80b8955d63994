// Stored print files sent again through the spooler to a printer whose port
// is a file: the fresh header, the body copied as it is, the end kept or
// written afresh by the model's end mode, and the files that are refused.
#include "ui/docevent/stored_print_file.h"

#include "common/settings/function_ids.h"
#include "tests/support/file_port_printer.h"
#include "tests/support/settings_pair_fixture.h"
#include "tests/support/spooler_job_lock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

const std::string kUel = "\x1B%-12345X";
const std::string kPjlHeader = kUel + "@PJL SET OLD=1\n@PJL ENTER LANGUAGE=MORVA\n";
const std::string kShortHeader = kUel + "@SET OLD=1\n@PL>MORVA\n";
const std::string kTicketEnd = "@PJL COMMENT ZQJOBINFO END\n";

// A body with every byte value, NULs and ESCs among them, but no UEL.
std::string Body(size_t bytes = 3000)
{
    std::string body;
    for (size_t i = 0; i < bytes; ++i)
        body += static_cast<char>((i * 7) % 251);
    return body;
}

std::string Ticket(int pages)
{
    std::string ticket = "@PJL COMMENT ZQJOBINFO VERSION=1.00\n@PJL COMMENT ZQJOBINFO BEGIN\n";
    for (int page = 1; page <= pages; ++page)
        ticket += "@PJL COMMENT ZQJOBINFO PAGEINFO=SIZE[210.0X297.0]:MODE[MONO]:INTRAY[1]:PAGE[" +
                  std::to_string(page) + "]\n";
    return ticket + kTicketEnd;
}

std::wstring WriteStoredFile(const std::wstring& name, const std::string& bytes)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class StoredPrintFileTest : public SettingsPairTest {
protected:
    static void SetUpTestSuite()
    {
        colour_ = OpenSuitePrinter(L"C4530.DDD", L"Morva Resend C4530");
        mono_ = OpenSuitePrinter(L"S2240.DDD", L"Morva Resend S2240");
        port_ = new FilePortPrinter(L"Morva Resend Port");
    }
    static void TearDownTestSuite()
    {
        CloseSuitePrinter(colour_);
        CloseSuitePrinter(mono_);
        delete port_;
        port_ = nullptr;
    }

    // Sends the file to the port printer; the port's bytes come back.
    int Resend(const std::wstring& path, std::string* port)
    {
        SpoolerJobLock lock;
        port_->ClearPort();
        const int result = ResendStoredPrintFile(context_, settings_.data(), printer_settings_.data(), path.c_str(),
                                                 port_->name().c_str(), port_->portFile().c_str(), 0);
        const std::vector<uint8_t> bytes = ReadWholeFile(port_->portFile());
        port->assign(bytes.begin(), bytes.end());
        return result;
    }

    static ModelPrinter* colour_;  // ends jobs with a job ticket
    static ModelPrinter* mono_;    // ends jobs with the trailer
    static FilePortPrinter* port_;
};
ModelPrinter* StoredPrintFileTest::colour_ = nullptr;
ModelPrinter* StoredPrintFileTest::mono_ = nullptr;
FilePortPrinter* StoredPrintFileTest::port_ = nullptr;

TEST_F(StoredPrintFileTest, SectionsOfAStoredFile)
{
    Open(colour_);
    const std::string body = Body();
    struct Case {
        const char* what;
        std::string bytes;
        int kind;
        size_t bodyStart, trailerStart;
    } cases[] = {
        {"PJL header", kPjlHeader + body + kUel + "@PJL EOJ\n", kPrintFilePjlHeader, kPjlHeader.size(),
         kPjlHeader.size() + body.size()},
        {"short header", kShortHeader + body + kUel + "@EOJO\n", kPrintFileShortHeader, kShortHeader.size(),
         kShortHeader.size() + body.size()},
        {"ticket", kPjlHeader + body + kUel + Ticket(2) + "@PJL EOJ\n", kPrintFileWithTicket, kPjlHeader.size(),
         kPjlHeader.size() + body.size()},
    };
    for (const Case& c : cases) {
        const std::wstring path = WriteStoredFile(L"sections.prn", c.bytes);
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        PrintFileSections sections{};
        EXPECT_EQ(FindPrintFileSections(file, &sections), 1) << c.what;
        EXPECT_EQ(sections.kind, c.kind) << c.what;
        EXPECT_EQ(sections.size, c.bytes.size()) << c.what;
        EXPECT_EQ(sections.bodyStart, c.bodyStart) << c.what;
        EXPECT_EQ(sections.trailerStart, c.trailerStart) << c.what;
        CloseHandle(file);
        DeleteFileW(path.c_str());
    }
}

// The fresh header opens every resent job; the end follows the model.
TEST_F(StoredPrintFileTest, EndKeptOrWrittenByTheModelsEndMode)
{
    ASSERT_TRUE(port_->ok());
    const std::string body = Body();
    const std::string ticketEnd = kUel + Ticket(3) + "@PJL EOJ\n";
    struct Case {
        const char* what;
        bool colour;
        std::string file;
        std::string expectedEnd;  // after the fresh header
        std::string freshEnd;     // "" when the file's end is kept
    } cases[] = {
        {"PJL file on a ticket model", true, kPjlHeader + body + kUel + "@PJL EOJ\n", body, "ticket"},
        {"ticketed file on a ticket model", true, kPjlHeader + body + ticketEnd, body + ticketEnd, ""},
        {"short file on a trailer model", false, kShortHeader + body + kUel + "@EOJO\n", body + kUel + "@EOJO\n",
         ""},
        {"PJL file on a trailer model", false, kPjlHeader + body + kUel + "@PJL EOJ\n", body + kUel + "@EOJO\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Open(c.colour ? colour_ : mono_);
        const std::wstring path = WriteStoredFile(L"resend.prn", c.file);
        std::string port;
        EXPECT_EQ(Resend(path, &port), kResendDone);
        DeleteFileW(path.c_str());
        TearDown();
        ASSERT_EQ(port.compare(0, kUel.size(), kUel), 0) << port.substr(0, 200);
        const size_t bodyAt = port.find(body);
        ASSERT_NE(bodyAt, std::string::npos);
        const std::string header = port.substr(0, bodyAt);
        EXPECT_EQ(header.find("@PJL SET OLD=1"), std::string::npos) << header;
        if (c.colour)
            EXPECT_TRUE(EndsWith(header, "@PJL ENTER LANGUAGE=MORVA\n")) << header;
        const std::string end = port.substr(bodyAt);
        if (c.freshEnd.empty()) {
            EXPECT_EQ(end, c.expectedEnd);
        } else {
            // Body up to the UEL, then a UEL, the short ticket and the end of job.
            ASSERT_EQ(end.compare(0, body.size() + kUel.size(), body + kUel), 0);
            const std::string tail = end.substr(body.size() + kUel.size());
            EXPECT_NE(tail.find("@PJL COMMENT ZQJOBINFO PDLTYPE=PDL[MORVA]:VERSION[1.8.2]\n"), std::string::npos)
                << tail;
            EXPECT_NE(tail.find("@PJL COMMENT ZQJOBINFO JOBTYPE=FORMREGISTRATION\n"), std::string::npos) << tail;
            EXPECT_EQ(tail.find("@PJL COMMENT ZQJOBINFO VERSION"), 0u) << tail;
            EXPECT_TRUE(EndsWith(tail, kTicketEnd + "@PJL EOJ\n")) << tail;
            EXPECT_EQ(tail.find(kUel), std::string::npos) << tail;
        }
    }
}

// A ticket of many pages runs far past the last kilobyte: the file is still
// found whole and sent to its last byte.
TEST_F(StoredPrintFileTest, FortyPageTicketedFileIsSentWhole)
{
    Open(colour_);
    const std::string body = Body(20000);
    const std::string end = kUel + Ticket(40) + "@PJL EOJ\n";
    ASSERT_GT(end.size(), 3000u);
    const std::wstring path = WriteStoredFile(L"forty.prn", kPjlHeader + body + end);
    std::string port;
    EXPECT_EQ(Resend(path, &port), kResendDone);
    DeleteFileW(path.c_str());
    EXPECT_TRUE(EndsWith(port, body + end));
}

TEST_F(StoredPrintFileTest, FilesThatAreNotStoredPrintFilesAreRefused)
{
    Open(colour_);
    const std::string body = Body();
    const std::string eoj = kUel + "@PJL EOJ\n";
    struct Case {
        const char* what;
        std::string file;
    } cases[] = {
        {"no header end", kUel + "@PJL SET OLD=1\n" + body + eoj},
        {"no UEL after the body", kPjlHeader + "plain text body\n@PJL EOJ\n"},
        {"a NUL after the last UEL", kPjlHeader + body + kUel + "@PJL EOJ\0\n"s},
        {"a header line of 1025 bytes", kUel + std::string(1025, 'a') + "\n@PJL ENTER LANGUAGE=MORVA\n" + body + eoj},
        {"a 1024-byte line with CR but no LF", kUel + std::string(1024 - kUel.size(), 'a') + "\rb\n" +
                                                   "@PJL ENTER LANGUAGE=MORVA\n" + body + eoj},
        {"the only UEL before the body", kPjlHeader + "body without an end"},
        {"empty", ""},
    };
    for (const Case& c : cases) {
        const std::wstring path = WriteStoredFile(L"refused.prn", c.file);
        std::string port;
        EXPECT_EQ(Resend(path, &port), kResendFailed) << c.what;
        EXPECT_EQ(port, "") << c.what;
        DeleteFileW(path.c_str());
    }
}

TEST_F(StoredPrintFileTest, LongestHeaderLinesAreAccepted)
{
    Open(colour_);
    const std::string body = Body();
    const std::string line1024 = std::string(1024, 'a');
    for (const std::string& ending : {"\r\n"s, "\n"s}) {
        const std::wstring path =
            WriteStoredFile(L"long_line.prn", kUel + "\n" + line1024 + ending + "@PJL ENTER LANGUAGE=MORVA\n" + body +
                                                  kUel + Ticket(1) + "@PJL EOJ\n");
        std::string port;
        EXPECT_EQ(Resend(path, &port), kResendDone) << ending.size();
        EXPECT_TRUE(EndsWith(port, body + kUel + Ticket(1) + "@PJL EOJ\n"));
        DeleteFileW(path.c_str());
    }
}

TEST_F(StoredPrintFileTest, AFileThatCannotBeOpenedIsReported)
{
    Open(colour_);
    std::string port;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring missing = std::wstring(temp) + L"no such stored file.prn";
    DeleteFileW(missing.c_str());
    EXPECT_EQ(Resend(missing, &port), kResendNoFile);
    // Another writer holds the file: the resend takes it only alone.
    const std::wstring path = WriteStoredFile(L"held.prn", kPjlHeader + Body() + kUel + "@PJL EOJ\n");
    HANDLE held = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Resend(path, &port), kResendNoFile);
    CloseHandle(held);
    DeleteFileW(path.c_str());
    EXPECT_EQ(port, "");
    EXPECT_EQ(ResendStoredPrintFile(context_, settings_.data(), printer_settings_.data(), path.c_str(),
                                    L"no such printer", L"", 0),
              kResendNoFile);
}

}  // namespace
