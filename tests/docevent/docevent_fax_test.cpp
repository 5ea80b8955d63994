// Faxes printed through both libraries on a printer of the fax model: the
// interface library finds the job's fax address file at STARTDOC, imports it
// at STARTDOCPOST and hands it to the graphics library (escape 20516), which
// writes the destinations into the job header, puts its information page
// ahead of the document and, when each destination gets a page of its own,
// sends one printer job per destination. Every job is read back whole.
#include "tests/docevent/docevent_fixture.h"

#include "common/job/fax_send_list.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "printhost/host_dc.h"
#include "printhost/install.h"
#include "tools/morva_reader/morva_reader.h"

#include <gtest/gtest.h>

#include <winspool.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr uint16_t kFidInformationPage = 376;
constexpr uint16_t kFidCoverForm = 377;
constexpr uint16_t kFidInformationOnly = 381;
constexpr uint16_t kFidJobHeader = 1333;  // off: the interface library builds no ready-made headers

// The fax model's printer. Jobs the graphics library opens itself (the
// second destination on) name no output file and go to the printer's port,
// a file of the test's own.
struct FaxPrinter {
    std::wstring port = printhost_test::TempPath(L"fax_port.prn");
    printhost_test::InstalledPrinter printer{
        printhost_test::ModelDriverPackage(printhost_test::UniqueName(L"Morva Fax Driver"), L"morvaui.dll",
                                           printhost_test::ReferenceModel::kFax),
        L"Morva Fax", port};
};

FaxPrinter& SharedFaxPrinter()
{
    static FaxPrinter* printer = new FaxPrinter;
    return *printer;
}

// A fax send list written apart from the interface library's packer: the
// tagged header with the subject, then one record per number.
std::vector<uint8_t> SendList(const std::vector<std::wstring>& numbers, const wchar_t* subject)
{
    FaxSendListHeader head{};
    std::wcscpy(head.tag, L"SMRX001");
    head.count = static_cast<uint16_t>(numbers.size());
    std::wcsncpy(head.headerText1, subject, 40);
    std::vector<uint8_t> bytes(sizeof head + numbers.size() * sizeof(FaxRecipientRecord));
    std::memcpy(bytes.data(), &head, sizeof head);
    for (size_t i = 0; i < numbers.size(); ++i) {
        FaxRecipientRecord r{};
        r.kind = 1;  // the number as one quoted value
        std::wcsncpy(r.destination, numbers[i].c_str(), 128);
        std::memcpy(bytes.data() + sizeof head + i * sizeof r, &r, sizeof r);
    }
    return bytes;
}

bool WriteFile(const std::wstring& path, const std::vector<uint8_t>& bytes)
{
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
    return ok && written == bytes.size();
}

struct FaxSettings {
    uint32_t informationPage;
    uint32_t oneHeader;       // 379
    uint32_t informationOnly; // 381
    uint32_t coverForm;       // 377
    uint32_t readyHeaders = 1;  // 1333
};

// The application's DEVMODE of the fax printer naming the fax address file,
// with the destination count and the fax choices.
std::vector<unsigned char> FaxDevmode(const std::wstring& addressFile, uint32_t count, const FaxSettings& fax)
{
    std::vector<unsigned char> devmode = printhost::ApplicationDevmode(SharedFaxPrinter().printer.printerName());
    if (devmode.size() < kPrivatePartOffset)
        return {};
    std::vector<unsigned char> record(kSettingsRecordSize, 0);
    std::memcpy(record.data(), devmode.data(), kPrivatePartOffset);
    const struct {
        uint16_t id;
        uint32_t value;
    } numbers[] = {{kFidFaxRecipientCount, count}, {kFidInformationPage, fax.informationPage},
                   {kFidFaxOneHeader, fax.oneHeader}, {kFidInformationOnly, fax.informationOnly},
                   {kFidCoverForm, fax.coverForm}, {kFidJobHeader, fax.readyHeaders}, {kFidJobResolution, 600}};
    for (const auto& n : numbers) {
        uint16_t type = 0;
        uint32_t size = 0;
        uint64_t holder = 0;
        if (GetFunctionIdValue(n.id, record.data(), nullptr, &type, &size, &holder) != 0)
            return {};
        if (SetFunctionIdValueWord(record.data(), nullptr, n.id, type, size, n.value) != 0)
            return {};
    }
    std::vector<wchar_t> name(addressFile.begin(), addressFile.end());
    name.push_back(L'\0');
    const wchar_t* text = name.data();
    uint64_t holder = 0;
    std::memcpy(&holder, &text, sizeof text);
    if (SetFunctionIdValue(kFidFaxAddressFile, record.data(), nullptr, kTypeString,
                           static_cast<uint32_t>(name.size() * sizeof(wchar_t)), &holder) != 0)
        return {};
    std::memcpy(devmode.data(), record.data(), kPrivatePartOffset);
    return devmode;
}

struct ReadJob {
    std::string header, commands, error;
};

ReadJob ReadBack(const std::wstring& path)
{
    ReadJob job;
    const std::string bytes = printhost_test::ReadTextFile(path);
    DeleteFileW(path.c_str());
    if (bytes.empty()) {
        job.error = "no job";
        return job;
    }
    MorvaListing listing;
    if (!ReadMorvaJob(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), MorvaReadOptions{}, &listing))
        job.error = listing.error.empty() ? "not read" : listing.error;
    for (const std::string& line : listing.headerLines)
        job.header += line + "\n";
    job.commands = CommandTexts(listing);
    return job;
}

size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// The glyph ids of an ANSI text as the listing shows them.
std::string Ids(const std::string& text)
{
    std::string ids;
    for (unsigned char c : text)
        ids += (ids.empty() ? "" : ",") + std::to_string(c);
    return ids;
}

struct Printed {
    std::vector<std::string> escapes;  // the interface library's escapes, in order
    ReadJob job;                       // the job GDI opened
    ReadJob portJob;                   // the last job the graphics library opened itself
};

// Prints a document of two pages with the fax settings; the address file
// holds the numbers.
Printed PrintFax(const std::vector<std::wstring>& numbers, const FaxSettings& fax, uint32_t count = 0)
{
    Printed out;
    FaxPrinter& printer = SharedFaxPrinter();
    const std::wstring addressFile = printhost_test::TempPath(L"fax_addresses.tmp");
    if (!WriteFile(addressFile, SendList(numbers, L"Quarterly figures"))) {
        ADD_FAILURE() << "no address file";
        return out;
    }
    std::vector<unsigned char> devmode =
        FaxDevmode(addressFile, count ? count : static_cast<uint32_t>(numbers.size()), fax);
    if (devmode.empty()) {
        ADD_FAILURE() << "no DEVMODE";
        return out;
    }
    DeleteFileW(printer.port.c_str());
    docevent_test::HostLog log;
    std::wstring error;
    HDC dc = printhost::CreatePrinterDc(printer.printer.printerName(), reinterpret_cast<DEVMODEW*>(devmode.data()),
                                        &error);
    if (!dc) {
        ADD_FAILURE() << std::string(error.begin(), error.end());
        return out;
    }
    const std::wstring jobFile = printhost_test::TempPath(L"fax_job.prn");
    DeleteFileW(jobFile.c_str());
    DOCINFOW doc{sizeof(doc), L"Fax document", jobFile.c_str(), nullptr, 0};
    EXPECT_GT(HostStartDocW(dc, &doc), 0);
    for (int page = 0; page < 2; ++page) {
        EXPECT_GT(HostStartPage(dc), 0);
        Rectangle(printhost::CurrentDrawingDc(dc), 100, 100, 600, 400 + page * 100);
        HostEndPage(dc);
    }
    EXPECT_GT(HostEndDoc(dc), 0);
    EXPECT_TRUE(HostDeleteDC(dc));
    for (const docevent_test::LoggedCall& call : log.calls())
        if (!call.isEvent)
            out.escapes.push_back(std::to_string(call.code) + "(" + std::to_string(call.inSize) + ")");
    out.job = ReadBack(jobFile);
    out.portJob = ReadBack(printer.port);
    // The job's address file went with the job.
    EXPECT_EQ(GetFileAttributesW(addressFile.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(addressFile.c_str());
    return out;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + " ";
    return text;
}

// The end of the information page's sheet: the page's end, the sheet's
// output and end.
const std::string kInformationPageEnd = "EndPage of Logical\\x22\"\nFB\nED\n";

TEST(FaxPrint, OneDestinationWithoutInformationPage)
{
    ASSERT_TRUE(SharedFaxPrinter().printer.ok()) << std::string(SharedFaxPrinter().printer.error().begin(),
                                                                SharedFaxPrinter().printer.error().end());
    const Printed printed = PrintFax({L"0312345678"}, {0, 0, 0, 0});
    // The address file reached the graphics library whole: header and one record.
    EXPECT_NE(Joined(printed.escapes).find("20516(" + std::to_string(1442 + 742) + ")"), std::string::npos)
        << Joined(printed.escapes);
    ASSERT_EQ(printed.job.error, "") << printed.job.header << printed.job.commands;
    EXPECT_NE(printed.job.header.find("@FANU='0312345678'"), std::string::npos) << printed.job.header;
    // The document's two pages and nothing of the driver's own.
    EXPECT_EQ(Count(printed.job.commands, "StartPage"), 2u) << printed.job.commands;
    EXPECT_EQ(printed.job.commands.find("DA font="), std::string::npos) << printed.job.commands;
    EXPECT_EQ(printed.portJob.error, "no job");
}

// The job GDI opened goes to the first destination, the last job the graphics
// library opened to the last one (the port file keeps the last job it got).
TEST(FaxPrint, EachDestinationGetsAJobWithItsInformationPage)
{
    ASSERT_TRUE(SharedFaxPrinter().printer.ok());
    const std::vector<std::vector<std::wstring>> cases = {
        {L"0311111111", L"0322222222"}, {L"0311111111", L"0322222222", L"0333333333"}};
    // With the interface library's ready-made headers, and with headers the
    // graphics library builds itself.
    for (uint32_t ready : {1u, 0u})
    for (const std::vector<std::wstring>& numbers : cases) {
        const Printed printed = PrintFax(numbers, {1, 0, 0, 0, ready});
        EXPECT_EQ(Joined(printed.escapes).find("20517(") != std::string::npos, ready == 1) << Joined(printed.escapes);
        const struct {
            const ReadJob* job;
            std::wstring number;
        } jobs[] = {{&printed.job, numbers.front()}, {&printed.portJob, numbers.back()}};
        for (const auto& j : jobs) {
            const ReadJob& job = *j.job;
            const std::string number(j.number.begin(), j.number.end());
            ASSERT_EQ(job.error, "") << number << "\n" << job.header << job.commands;
            // Its own destination line, none of the others'.
            EXPECT_NE(job.header.find("@FANU='" + number + "'"), std::string::npos) << job.header;
            for (const std::wstring& other : numbers) {
                const std::string o(other.begin(), other.end());
                if (o == number)
                    continue;
                EXPECT_EQ(job.header.find(o), std::string::npos) << job.header;
                EXPECT_EQ(job.commands.find("ids=[" + Ids(o) + "]"), std::string::npos) << job.commands;
            }
            // The information page first: the model's frame copied in, the
            // destination's number in the block, its sheet ended; then both
            // pages of the document.
            EXPECT_EQ(Count(job.commands, "StartPage"), 3u) << job.commands;
            const size_t frame = job.commands.find("CG x1=120 y1=120 x2=4840 y2=6896");
            const size_t at = job.commands.find("ids=[" + Ids(number) + "]");
            const size_t end = job.commands.find(kInformationPageEnd);
            EXPECT_NE(frame, std::string::npos) << job.commands;
            EXPECT_NE(at, std::string::npos) << job.commands;
            EXPECT_TRUE(frame < at && at < end && end != std::string::npos) << job.commands;
            EXPECT_EQ(Count(job.commands, "\nFB\nED\n"), 3u) << job.commands;
        }
    }
}

// A destination count above what the list holds sends to the listed ones only.
TEST(FaxPrint, NoJobForDestinationsTheListLacks)
{
    ASSERT_TRUE(SharedFaxPrinter().printer.ok());
    const Printed printed = PrintFax({L"0311111111", L"0322222222"}, {1, 0, 0, 0}, 3);
    ASSERT_EQ(printed.job.error, "") << printed.job.header << printed.job.commands;
    ASSERT_EQ(printed.portJob.error, "") << printed.portJob.header << printed.portJob.commands;
    EXPECT_NE(printed.portJob.commands.find("ids=[" + Ids("0322222222") + "]"), std::string::npos)
        << printed.portJob.commands;
}

TEST(FaxPrint, OneHeaderForAllDestinationsIsOneJob)
{
    ASSERT_TRUE(SharedFaxPrinter().printer.ok());
    const Printed printed = PrintFax({L"0311111111", L"0322222222"}, {1, 1, 0, 0});
    ASSERT_EQ(printed.job.error, "") << printed.job.header << printed.job.commands;
    EXPECT_NE(printed.job.header.find("@FANU='0311111111'"), std::string::npos) << printed.job.header;
    EXPECT_NE(printed.job.header.find("@FANU='0322222222'"), std::string::npos) << printed.job.header;
    // One information page, of the first destination, ahead of the two pages.
    EXPECT_EQ(Count(printed.job.commands, "StartPage"), 3u) << printed.job.commands;
    EXPECT_NE(printed.job.commands.find("ids=[" + Ids("0311111111") + "]"), std::string::npos);
    EXPECT_EQ(printed.portJob.error, "no job");
}

TEST(FaxPrint, SampleOfTheInformationPageIsTheWholeJob)
{
    ASSERT_TRUE(SharedFaxPrinter().printer.ok());
    // A cover form file: the page names it by label instead of copying the
    // model's frame.
    const Printed printed = PrintFax({L"0311111111"}, {1, 0, 1, 1});
    ASSERT_EQ(printed.job.error, "") << printed.job.header << printed.job.commands;
    EXPECT_EQ(Count(printed.job.commands, "StartPage"), 1u) << printed.job.commands;
    EXPECT_EQ(printed.job.commands.find("CG x1=120"), std::string::npos) << printed.job.commands;
    EXPECT_NE(printed.job.commands.find("ids=[" + Ids("0311111111") + "]"), std::string::npos)
        << printed.job.commands;
    EXPECT_NE(printed.job.commands.find(kInformationPageEnd), std::string::npos) << printed.job.commands;
    // The page in its order: begun, its attributes (A4 from the device's
    // choice of source, monochrome), its placement from the paper's top-left
    // corner (600 dpi, y down, onto the sheet's 842 points, y up), then the
    // block's text state and font.
    EXPECT_NE(printed.job.commands.find("StartPage\\x22\"\nEc code1=1 code2=0 kind=5\n"
                                        "Aa matrix=[0.12,0,0,-0.12,0,841.8"),
              std::string::npos)
        << printed.job.commands;
    EXPECT_NE(printed.job.commands.find("]\nAR\nAK op=2\nAL kind=1 value=13\nAM target=2 format=4 rgb=0,0,0\n"
                                        "DA font=26\n"),
              std::string::npos)
        << printed.job.commands;
}

}  // namespace
