// The command line: exit codes and messages for its failures, and a print run.
#include "tests/printhost/driver_fixture.h"
#include "tests/printhost/recorded_document.h"

#include "printhost/print_job.h"

#include <gtest/gtest.h>

using namespace printhost_test;

namespace {

struct HostRun {
    DWORD code = 0xFFFFFFFF;
    std::string output;   // stdout and stderr together
};

HostRun RunHost(const std::wstring& arguments)
{
    const std::wstring outPath = TempPath(L"cli.out");
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE out = CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                             0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = out;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    std::wstring command = L"\"" + BinaryDirectory() + L"\\printhost.exe\" " + arguments;
    HostRun run;
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        WaitForSingleObject(pi.hProcess, 120000);
        GetExitCodeProcess(pi.hProcess, &run.code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(out);
    run.output = ReadTextFile(outPath);
    DeleteFileW(outPath.c_str());
    return run;
}

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

} // namespace

TEST(PrintHostCommandLine, FailuresHaveTheirExitCodesAndMessages)
{
    InstalledPrinter printer(RecordingDriverPackage(UniqueName(L"Recording Cli")), L"Recording Cli Printer");
    ASSERT_TRUE(printer.ok());
    const std::wstring job = Quoted(TempPath(L"cli.prn"));
    const std::wstring bad = TempPath(L"cli_bad.emf");
    HANDLE f = CreateFileW(bad.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, "not a metafile, not at all, but long enough to be read as one", 62, &written, nullptr);
    CloseHandle(f);

    HostRun usage = RunHost(L"frobnicate");
    EXPECT_EQ(usage.code, DWORD(printhost::kUsage));
    EXPECT_NE(usage.output.find("usage:"), std::string::npos);

    HostRun missing = RunHost(L"print " + Quoted(printer.printerName()) + L" " + job + L" " + Quoted(TempPath(L"none.emf")));
    EXPECT_EQ(missing.code, DWORD(printhost::kMissingFile));
    EXPECT_NE(missing.output.find("cannot read"), std::string::npos) << missing.output;

    HostRun malformed = RunHost(L"print " + Quoted(printer.printerName()) + L" " + job + L" " + Quoted(bad));
    EXPECT_EQ(malformed.code, DWORD(printhost::kBadMetafile));
    EXPECT_NE(malformed.output.find("not an enhanced metafile"), std::string::npos) << malformed.output;

    HostRun noPrinter = RunHost(L"print \"No Such Printer 4711\" " + job + L" --samples");
    EXPECT_EQ(noPrinter.code, DWORD(printhost::kSpoolerFailed));
    EXPECT_NE(noPrinter.output.find("No Such Printer 4711"), std::string::npos) << noPrinter.output;

    HostRun printed = RunHost(L"print " + Quoted(printer.printerName()) + L" " + job + L" --samples --set 12=2");
    EXPECT_EQ(printed.code, DWORD(printhost::kOk)) << printed.output;
    EXPECT_NE(printed.output.find("printed 2 page(s)"), std::string::npos) << printed.output;

    HostRun listed = RunHost(L"list");
    EXPECT_NE(listed.output.find(std::string(printer.printerName().begin(), printer.printerName().end())),
              std::string::npos);
    DeleteFileW(bad.c_str());
    DeleteFileW(TempPath(L"cli.prn").c_str());
}

TEST(PrintHostCommandLine, AFaultingDriverEndsTheHostWithTheFaultsOwnCode)
{
    InstalledPrinter printer(RecordingDriverPackage(UniqueName(L"Recording Fault")), L"Recording Fault Printer");
    ASSERT_TRUE(printer.ok());
    HostRun faulted;
    {
        Switch fault(L"PRINTHOST_RECORD_FAULT");
        faulted = RunHost(L"print " + Quoted(printer.printerName()) + L" " + Quoted(TempPath(L"fault.prn")) + L" --samples");
    }
    // An access violation (0xC0000005) must not end the host with 5, "the spooler refused".
    EXPECT_EQ(faulted.code, DWORD(printhost::kHostFault)) << faulted.output;
    EXPECT_NE(faulted.output.find("the host failed: exception 0xc0000005"), std::string::npos) << faulted.output;
    DeleteFileW(TempPath(L"fault.prn").c_str());
}
