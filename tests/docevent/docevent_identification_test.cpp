// The print-time user identification end to end: a job printed through both
// libraries on a printer whose model wants the user's identification, with
// the values from the outside provider (the tests' stand-in), carries them in
// its header; the job's file sent again to the printer gets a fresh header with
// the identification its settings hold then, its body and its own end.
#include "tests/docevent/docevent_fixture.h"

#include "common/context/settings_context.h"
#include "common/defaults/setting_defaults.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/scrambled_strings.h"
#include "printhost/host_dc.h"
#include "tests/docevent/user_id_provider_fixture.h"
#include "tests/support/spooler_job_lock.h"
#include "tools/morva_reader/morva_reader.h"
#include "ui/docevent/extended_devmode.h"
#include "ui/docevent/stored_print_file.h"

#include <gtest/gtest.h>

#include <winspool.h>
#include <winddiui.h>

#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

std::string Text(const std::wstring& text) { return std::string(text.begin(), text.end()); }

const std::wstring& PortFile()
{
    static const std::wstring port = printhost_test::TempPath(L"identification_port.prn");
    return port;
}

printhost_test::InstalledPrinter& IdentificationPrinter()
{
    static printhost_test::InstalledPrinter* printer = [] {
        printhost::DriverPackage package = printhost_test::ModelDriverPackage(
            printhost_test::UniqueName(L"Morva Identification Driver"), L"morvaui.dll");
        package.dataFile = L"S2260.DDD";
        package.dependentFiles = {L"S2260RES.DLL", L"S2260HN.DLL", L"morvadm.dll", L"morvares.dll"};
        return new printhost_test::InstalledPrinter(package, L"Morva Identification", PortFile());
    }();
    return *printer;
}

struct ReadBack {
    std::string bytes;
    MorvaListing listing;
    bool whole = false;
    std::string header;
};

ReadBack ReadJob(const std::string& bytes)
{
    ReadBack out;
    out.bytes = bytes;
    out.whole = !bytes.empty() &&
                ReadMorvaJob(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), MorvaReadOptions{},
                             &out.listing);
    for (const std::string& line : out.listing.headerLines)
        out.header += line + "\n";
    return out;
}

std::string Scrambled(const wchar_t* plain)
{
    wchar_t* stored = nullptr;
    if (!EncodeOrDecodeProtectedString(kProtectStringEncode, plain, &stored))
        return "(not scrambled)";
    const std::string text = Text(stored);
    GlobalFree(stored);
    return text;
}

// One page printed on the printer into a job file; the file's bytes.
std::string PrintPage(const std::wstring& printerName, const std::wstring& jobFile)
{
    std::vector<unsigned char> devmode = docevent_test::PrinterApplicationDevmode(printerName);
    if (devmode.empty()) {
        ADD_FAILURE() << "no DEVMODE";
        return {};
    }
    std::wstring error;
    HDC dc = printhost::CreatePrinterDc(printerName, reinterpret_cast<DEVMODEW*>(devmode.data()), &error);
    if (!dc) {
        ADD_FAILURE() << Text(error);
        return {};
    }
    DeleteFileW(jobFile.c_str());
    DOCINFOW doc{sizeof(doc), L"Identified", jobFile.c_str(), nullptr, 0};
    const int started = HostStartDocW(dc, &doc);
    EXPECT_GT(started, 0) << Text(printhost::HostDcLastError(dc));
    if (started > 0) {
        EXPECT_GT(HostStartPage(dc), 0);
        Rectangle(printhost::CurrentDrawingDc(dc), 100, 100, 600, 400);
        EXPECT_GT(HostEndPage(dc), 0) << Text(printhost::HostDcLastError(dc));
        EXPECT_GT(HostEndDoc(dc), 0);
    } else {
        HostAbortDoc(dc);
    }
    EXPECT_TRUE(HostDeleteDC(dc));
    return printhost_test::ReadTextFile(jobFile);
}

TEST(UserIdentificationPrint, IdentityFromTheProviderReachesTheHeaderAndAResentJob)
{
    ASSERT_TRUE(IdentificationPrinter().ok()) << Text(IdentificationPrinter().error());
    RegisteredProvider provider(true, false);
    ASSERT_TRUE(provider.ok());
    provider.Script("user=Alice\0domain=Office\0pw=s3cret\0account=Sales\0"s);

    const std::wstring jobFile = printhost_test::TempPath(L"identified.prn");
    const ReadBack printed = ReadJob(PrintPage(IdentificationPrinter().printerName(), jobFile));
    ASSERT_TRUE(printed.whole) << printed.listing.error;
    EXPECT_NE(printed.header.find("@PJL SET USERID=\"Alice\"\n"), std::string::npos) << printed.header;
    EXPECT_NE(printed.header.find("@PJL SET DOMAIN=\"Office\"\n"), std::string::npos) << printed.header;
    EXPECT_NE(printed.header.find("@PJL SET PASSWORD=\"" + Scrambled(L"s3cret") + "\"\n"), std::string::npos)
        << printed.header;
    EXPECT_NE(printed.header.find("@PJL SET ACCOUNT=\"Sales\"\n"), std::string::npos) << printed.header;
    EXPECT_NE(provider.Log().find("QueryValues"), std::string::npos) << provider.Log();

    // The stored job sent again with the identification the printer's
    // settings hold now: the fresh header carries it; the body and the job
    // ticket are the file's.
    HANDLE printer = nullptr;
    ASSERT_TRUE(OpenPrinterW(const_cast<wchar_t*>(IdentificationPrinter().printerName().c_str()), &printer, nullptr));
    SettingsContext* context = OpenSettingsContext(printer);
    ASSERT_NE(context, nullptr);
    std::vector<uint8_t> settings(kSettingsRecordSize), printerSettings(kPrinterSettingsRecordSize);
    ASSERT_EQ(FillDefaultSettings(context, settings.data(), nullptr, L"Identified"), 1);
    ASSERT_EQ(LoadPrinterSettingsOfContext(printer, context, printerSettings.data()), 1);
    const std::wstring bob = L"Bob";
    ASSERT_EQ(SetFunctionIdValueArgs(settings.data(), printerSettings.data(), kFidPromptText, kTypeString,
                                     static_cast<uint32_t>((bob.size() + 1) * sizeof(wchar_t)), bob.c_str()),
              0);
    int result = 0;
    std::string port;
    {
        SpoolerJobLock lock;
        DeleteFileW(PortFile().c_str());
        result = ResendStoredPrintFile(context, settings.data(), printerSettings.data(), jobFile.c_str(),
                                       IdentificationPrinter().printerName().c_str(), PortFile().c_str(), 0);
        port = printhost_test::ReadTextFile(PortFile());
    }
    CloseSettingsContext(context);
    ClosePrinter(printer);
    DeleteFileW(jobFile.c_str());
    EXPECT_EQ(result, kResendDone);
    const ReadBack resent = ReadJob(port);
    ASSERT_TRUE(resent.whole) << resent.listing.error << "\n" << port.substr(0, 400);
    EXPECT_NE(resent.header.find("@PJL SET USERID=\"Bob\"\n"), std::string::npos) << resent.header;
    EXPECT_EQ(resent.header.find("Alice"), std::string::npos) << resent.header;
    EXPECT_EQ(CommandTexts(resent.listing), CommandTexts(printed.listing));
    EXPECT_EQ(resent.listing.trailerLines, printed.listing.trailerLines);
    const size_t body = printed.bytes.find("\n", printed.bytes.find("@PJL ENTER LANGUAGE=")) + 1;
    ASSERT_GT(body, 0u);
    EXPECT_TRUE(port.size() >= printed.bytes.size() - body &&
                port.compare(port.size() - (printed.bytes.size() - body), std::string::npos,
                             printed.bytes.substr(body)) == 0);
}

}  // namespace

namespace {

// A provider that fails cancels the document at STARTDOC: nothing is printed.
TEST(UserIdentificationPrint, ProviderFailureCancelsTheDocument)
{
    ASSERT_TRUE(IdentificationPrinter().ok()) << Text(IdentificationPrinter().error());
    RegisteredProvider provider(true, false);
    ASSERT_TRUE(provider.ok());
    provider.Script("user=Alice\0domain=Office\0pw=s3cret\0account=Sales\0"s, 6);
    docevent_test::HostLog log;
    std::vector<unsigned char> devmode = docevent_test::PrinterApplicationDevmode(IdentificationPrinter().printerName());
    ASSERT_FALSE(devmode.empty());
    std::wstring error;
    HDC dc = printhost::CreatePrinterDc(IdentificationPrinter().printerName(),
                                        reinterpret_cast<DEVMODEW*>(devmode.data()), &error);
    ASSERT_NE(dc, nullptr) << Text(error);
    const std::wstring jobFile = printhost_test::TempPath(L"not_identified.prn");
    DeleteFileW(jobFile.c_str());
    DOCINFOW doc{sizeof(doc), L"Not identified", jobFile.c_str(), nullptr, 0};
    EXPECT_LE(HostStartDocW(dc, &doc), 0);
    HostAbortDoc(dc);
    EXPECT_TRUE(HostDeleteDC(dc));
    bool refused = false;
    for (const docevent_test::LoggedCall& call : log.calls())
        if (call.isEvent && call.code == DOCUMENTEVENT_STARTDOC)
            refused = call.result == -1;
    EXPECT_TRUE(refused);
    EXPECT_NE(provider.Log().find("QueryValues"), std::string::npos) << provider.Log();
    EXPECT_EQ(printhost_test::ReadTextFile(jobFile), "");
    DeleteFileW(jobFile.c_str());
}

}  // namespace
