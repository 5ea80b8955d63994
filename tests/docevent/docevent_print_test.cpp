// A document printed through both libraries as on Windows: the application's
// DEVMODE widened by morvaui, the job data handed over at the document events,
// the job written by morvagr and read back whole.
#include "tests/docevent/docevent_fixture.h"

#include "common/context/value_by_type.h"
#include "common/job/private_escapes.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_types.h"
#include "printhost/host_dc.h"
#include "printhost/install.h"
#include "printhost/model_devmode.h"
#include "printhost/print_job.h"
#include "tools/morva_reader/morva_reader.h"

#include <gtest/gtest.h>

#include <winspool.h>
#include <winddiui.h>

#include <cstring>

namespace {

// The application's DEVMODE with its changes: duplex on the long edge, two
// pages per side, two copies and A5 paper.
std::vector<unsigned char> ChangedDevmode()
{
    std::vector<unsigned char> devmode = docevent_test::ApplicationDevmode(
        {{kFidPagesPerSheet, 2}, {kFidJobResolution, 600}});
    if (devmode.empty())
        return {};
    auto* dm = reinterpret_cast<DEVMODEW*>(devmode.data());
    dm->dmCopies = 2;
    dm->dmDuplex = DMDUP_VERTICAL;
    dm->dmPaperSize = DMPAPER_A5;
    dm->dmFields |= DM_COPIES | DM_DUPLEX | DM_PAPERSIZE;
    return devmode;
}

size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

std::string Lines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

TEST(DocumentPrint, DevmodeChangesReachTheJob)
{
    ASSERT_TRUE(docevent_test::SharedPrinter().ok());
    std::vector<unsigned char> devmode = ChangedDevmode();
    ASSERT_FALSE(devmode.empty());
    std::wstring error;
    HDC dc = printhost::CreatePrinterDc(docevent_test::SharedPrinter().printerName(),
                                        reinterpret_cast<DEVMODEW*>(devmode.data()), &error);
    ASSERT_NE(dc, nullptr) << std::string(error.begin(), error.end());
    const std::wstring jobFile = printhost_test::TempPath(L"docevent_print.prn");
    DeleteFileW(jobFile.c_str());
    DOCINFOW doc{sizeof(doc), L"Two pages", jobFile.c_str(), nullptr, 0};
    ASSERT_GT(HostStartDocW(dc, &doc), 0) << std::string(printhost::HostDcLastError(dc).begin(),
                                                          printhost::HostDcLastError(dc).end());
    for (int page = 0; page < 2; ++page) {
        EXPECT_GT(HostStartPage(dc), 0);
        Rectangle(printhost::CurrentDrawingDc(dc), 100, 100, 600, 400 + page * 100);
        EXPECT_GT(HostEndPage(dc), 0);
    }
    EXPECT_GT(HostEndDoc(dc), 0);
    EXPECT_TRUE(HostDeleteDC(dc));

    const std::string bytes = printhost_test::ReadTextFile(jobFile);
    DeleteFileW(jobFile.c_str());
    MorvaListing listing;
    ASSERT_TRUE(ReadMorvaJob(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), MorvaReadOptions{},
                             &listing))
        << listing.error;
    const std::string header = Lines(listing.headerLines);
    const std::string ticket = Lines(listing.trailerLines);
    const std::string commands = CommandTexts(listing);
    const std::string all = header + commands + "\n" + ticket;
    // The header: two copies of A5 paper, printed on both sides.
    for (const char* line : {"@PJL SET COPIES=2\n", "@PJL SET PAPER=11\n", "@PJL SET DUPLEX=2\n"})
        EXPECT_NE(header.find(line), std::string::npos) << line << "\n" << all;
    // The ticket: two job copies, two pages per side on duplex sheets, each
    // page A5 from the tray its sheet names (the printer's choice, as "Ec").
    for (const char* item : {"JOBCOPIES=2\n", "NUP=2\n", "DUPLEXTYPE=DUPLEX\n",
                             "SIZE[148.0X210.0]:MODE[COLOR]:COLORS[0]:INTRAY[0]:DUPLEX[DUPLEX]"})
        EXPECT_NE(ticket.find(item), std::string::npos) << item << "\n" << all;
    // The page commands: one A5 sheet that holds both pages.
    EXPECT_EQ(commands.rfind("EA value=0x90\nFA kind=1 value=600\n", 0), 0u) << all;
    EXPECT_NE(commands.find("Ec code1=1 code2=0 kind=81 width=148 height=210\n"), std::string::npos) << all;
    EXPECT_EQ(Count(commands, "EndPage of Logical"), 2u) << all;
    EXPECT_EQ(Count(commands, "\nFB\nED\n"), 1u) << all;
}

// A document on the printer's settings as they come, with no setting
// changed: the model's defaults print as an ordinary job. Their job type is
// not the user-code one, which would ask for a code nobody gave and make
// morvaui refuse the document at STARTDOCPRE. The three ways an application
// comes by the settings: the printer's DEVMODE, the model's defaults in the
// extended form (as the job benchmark prints), and none at all.
TEST(DocumentPrint, DefaultSettingsPrintAnOrdinaryJob)
{
    ASSERT_TRUE(docevent_test::SharedPrinter().ok());
    const std::wstring printer = docevent_test::SharedPrinter().printerName();
    std::vector<unsigned char> application = printhost::ApplicationDevmode(printer);
    ASSERT_FALSE(application.empty());
    std::vector<BYTE> model;
    std::wstring error;
    ASSERT_TRUE(printhost::ModelDefaultDevmode(printer, &model, &error)) << std::string(error.begin(), error.end());
    const struct {
        const char* name;
        std::vector<BYTE> devmode;
    } cases[] = {{"application", {application.begin(), application.end()}}, {"model", model}, {"none", {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        docevent_test::HostLog log;
        const std::wstring jobFile = printhost_test::TempPath(L"docevent_default_settings.prn");
        DeleteFileW(jobFile.c_str());
        printhost::PrintRequest request;
        request.printer = printer;
        request.outputFile = jobFile;
        request.documentName = L"Default settings";
        request.devmode = c.devmode;
        const std::vector<printhost::PageDrawer> pages = {[](HDC dc, const GDIINFO&) {
            return TextOutW(dc, 300, 300, L"Default settings", 16) && Rectangle(dc, 200, 200, 900, 500);
        }};
        ASSERT_EQ(printhost::PrintDocument(request, pages, &error), printhost::kOk)
            << std::string(error.begin(), error.end()) << "\n" << Lines(log.lines());
        EXPECT_EQ(docevent_test::ReadBackJob(jobFile), "");
        // The settings morvaui hands morvagr at STARTDOC keep the ordinary job type.
        std::string settings;
        for (const docevent_test::LoggedCall& call : log.calls())
            if (!call.isEvent && call.code == int(kEscSetSettings))
                settings = call.input;
        ASSERT_EQ(settings.size(), kSettingsRecordSize);
        EXPECT_EQ(SettingNumberOr(kFidJobType, settings.data(), nullptr, 99), 0u);
    }
}

// CreateDC without a DEVMODE: morvaui gets none at CREATEDCPRE, as from
// GDI, answers with the printer's own settings, and morvagr's device is made
// with them.
TEST(DocumentPrint, CreateDcWithoutADevmodeMakesTheDevice)
{
    docevent_test::HostLog log;
    std::wstring error;
    HDC dc = printhost::CreatePrinterDc(docevent_test::SharedPrinter().printerName(), nullptr, &error);
    ASSERT_NE(dc, nullptr) << std::string(error.begin(), error.end());
    GDIINFO info{};
    EXPECT_TRUE(printhost::HostDcGdiInfo(dc, &info));
    EXPECT_GT(info.ulLogPixelsX, 0u);
    EXPECT_TRUE(HostDeleteDC(dc));
    bool answered = false;
    for (const docevent_test::LoggedCall& call : log.calls())
        if (call.isEvent && call.code == DOCUMENTEVENT_CREATEDCPRE)
            answered = call.result == DOCUMENTEVENT_SUCCESS;
    EXPECT_TRUE(answered) << Lines(log.lines());
}

// An information context (CreateIC) of the printer: morvagr's device,
// enabled without a surface, answers escapes with the application's settings
// and no document starts on it.
TEST(DocumentPrint, InformationContextAnswersFromItsDevice)
{
    std::vector<unsigned char> devmode = docevent_test::ApplicationDevmode();
    ASSERT_FALSE(devmode.empty());
    auto* dm = reinterpret_cast<DEVMODEW*>(devmode.data());
    dm->dmCopies = 3;
    dm->dmFields |= DM_COPIES;
    std::wstring error;
    HDC ic = printhost::CreateInformationDc(docevent_test::SharedPrinter().printerName(), dm, &error);
    ASSERT_NE(ic, nullptr) << std::string(error.begin(), error.end());
    std::vector<char> settings(kSettingsRecordSize);
    EXPECT_GT(HostExtEscape(ic, kEscGetSettings, 0, nullptr, int(settings.size()), settings.data()), 0);
    EXPECT_EQ(reinterpret_cast<const DEVMODEW*>(settings.data())->dmCopies, 3);
    const std::wstring job = printhost_test::TempPath(L"information_context.prn");
    DOCINFOW doc{sizeof(doc), L"On an information context", job.c_str(), nullptr, 0};
    EXPECT_EQ(HostStartDocW(ic, &doc), SP_ERROR);
    EXPECT_TRUE(HostDeleteDC(ic));
    DeleteFileW(job.c_str());
}

}  // namespace
