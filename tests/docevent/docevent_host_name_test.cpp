// The host-name lines in the headers of real jobs: a printer of the S2250 test
// model, whose capability word asks for the N-up, host-address and host-name
// lines, prints once with morvaui building the header block and once with an
// interface library that sends none, so that morvagr builds the header itself.
// Both headers carry the lines of the stand-in host-name library; without the
// library neither job can be given its header.
#include "tests/docevent/docevent_fixture.h"

#include "common/system/user_and_process.h"
#include "printhost/host_dc.h"
#include "printhost/model_devmode.h"

#include <gtest/gtest.h>

#include <winspool.h>

#include <string>
#include <vector>

namespace {

constexpr wchar_t kHostNameLibrary[] = L"S2250HN.DLL";

printhost_test::InstalledPrinter& HostNamePrinter(bool withInterface)
{
    auto make = [](const wchar_t* interfaceDll, const wchar_t* name) {
        printhost::DriverPackage package =
            printhost_test::ModelDriverPackage(printhost_test::UniqueName(std::wstring(name) + L" Driver"), interfaceDll);
        package.dataFile = L"S2250.DDD";
        package.dependentFiles = {L"S2250RES.DLL", kHostNameLibrary, L"S2250JI.DLL", L"morvadm.dll", L"morvares.dll"};
        return new printhost_test::InstalledPrinter(package, name);
    };
    static printhost_test::InstalledPrinter* withUi = make(L"morvaui.dll", L"Morva Host Names");
    static printhost_test::InstalledPrinter* graphicsOnly = make(L"printhost_recui.dll", L"Morva Host Names Alone");
    return withInterface ? *withUi : *graphicsOnly;
}

// The library as the printer's driver finds it: beside its data file.
std::wstring DriverDirectoryFile(const std::wstring& printerName, const wchar_t* name)
{
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(printerName.c_str()), &printer, nullptr))
        return {};
    DWORD needed = 0;
    GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed);
    std::vector<BYTE> info(needed ? needed : 1);
    std::wstring path;
    if (needed && GetPrinterDriverW(printer, nullptr, 2, info.data(), needed, &needed))
        path = reinterpret_cast<const DRIVER_INFO_2W*>(info.data())->pDataFile;
    ClosePrinter(printer);
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1) + name;
}

struct Job {
    bool started = false;
    bool ended = false;
    std::string bytes;
};

// `instruction`: job-instruction data sent with escape 20530 before the first
// page, as the interface library sends what it gathered.
Job PrintOnePage(const std::wstring& printerName, const std::string& instruction = {})
{
    Job job;
    std::wstring error;
    std::vector<BYTE> devmode;
    if (!printhost::ModelDefaultDevmode(printerName, &devmode, &error)) {
        ADD_FAILURE() << std::string(error.begin(), error.end());
        return job;
    }
    HDC dc = printhost::CreatePrinterDc(printerName, reinterpret_cast<DEVMODEW*>(devmode.data()), &error);
    if (!dc) {
        ADD_FAILURE() << std::string(error.begin(), error.end());
        return job;
    }
    const std::wstring jobFile = printhost_test::TempPath(L"docevent_host_names.prn");
    DeleteFileW(jobFile.c_str());
    DOCINFOW doc{sizeof(doc), L"Host names", jobFile.c_str(), nullptr, 0};
    job.started = HostStartDocW(dc, &doc) > 0;
    if (job.started && !instruction.empty())
        EXPECT_EQ(HostExtEscape(dc, 20530, int(instruction.size()), instruction.data(), 0, nullptr), 1);
    if (job.started) {
        bool drawn = HostStartPage(dc) > 0;
        if (drawn) {
            Rectangle(printhost::CurrentDrawingDc(dc), 100, 100, 600, 400);
            drawn = HostEndPage(dc) > 0;
        }
        job.ended = drawn && HostEndDoc(dc) > 0;
        if (!job.ended)
            HostAbortDoc(dc);
    }
    job.bytes = printhost_test::ReadTextFile(jobFile);
    DeleteFileW(jobFile.c_str());
    HostDeleteDC(dc);
    return job;
}

std::string ExpectedLines()
{
    wchar_t user[1024] = {};
    EXPECT_GT(GetCurrentUserName(user, 1024), 0);
    std::string owner;
    for (const wchar_t* c = user; *c != 0 && owner.size() < 32; ++c)
        owner += static_cast<char>(*c);
    // With the N-up or host-address bit the job-owner line is the user
    // attribute (the host-name bit is set); one page per sheet is N-up code 0.
    return "@PJL SET JOBATTR=\"@NUPC=0\"\n"
           "@PJL SET JOBATTR=\"@HSAD=192.0.2.7\"\n"
           "@PJL SET JOBATTR=\"@JOAU=" + owner + "\"\n"
           "@PJL SET JOBATTR=\"@HSNM=WORKSTATION7\"\n"
           "@PJL ENTER LANGUAGE=MORVA\n";
}

class HostNameLines : public ::testing::TestWithParam<bool> {};

TEST_P(HostNameLines, BothHeaderBuildersWriteThem)
{
    printhost_test::InstalledPrinter& printer = HostNamePrinter(GetParam());
    ASSERT_TRUE(printer.ok()) << std::string(printer.error().begin(), printer.error().end());
    const Job job = PrintOnePage(printer.printerName());
    ASSERT_TRUE(job.ended);
    const std::string head = "\x1b%-12345X@PJL SET COPIES=1\n";
    ASSERT_EQ(job.bytes.compare(0, head.size(), head), 0) << job.bytes.substr(0, 200);
    EXPECT_EQ(job.bytes.substr(head.size(), ExpectedLines().size()), ExpectedLines());
}

TEST_P(HostNameLines, NoJobWithoutTheLibrary)
{
    printhost_test::InstalledPrinter& printer = HostNamePrinter(GetParam());
    ASSERT_TRUE(printer.ok());
    const std::wstring library = DriverDirectoryFile(printer.printerName(), kHostNameLibrary);
    const std::wstring aside = library + L".aside";
    ASSERT_TRUE(MoveFileExW(library.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING));
    const Job job = PrintOnePage(printer.printerName());
    ASSERT_TRUE(MoveFileExW(aside.c_str(), library.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(job.ended);
    EXPECT_EQ(job.bytes.find("@PJL"), std::string::npos) << job.bytes.substr(0, 200);
}

// The job-instruction data of escape 20530 reaches the header the graphics
// library builds: the maker's block opens it.
TEST(HostNameLinesAlone, JobInstructionDataOpensTheHeader)
{
    printhost_test::InstalledPrinter& printer = HostNamePrinter(false);
    ASSERT_TRUE(printer.ok());
    const Job job = PrintOnePage(printer.printerName(), "JOB7");
    ASSERT_TRUE(job.ended);
    const std::string head = "@JI=JOB7\n\x1b%-12345X@PJL SET COPIES=1\n";
    EXPECT_EQ(job.bytes.compare(0, head.size(), head), 0) << job.bytes.substr(0, 200);
}

INSTANTIATE_TEST_SUITE_P(Builders, HostNameLines, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "InterfaceLibrary" : "GraphicsLibrary");
                         });

} // namespace
