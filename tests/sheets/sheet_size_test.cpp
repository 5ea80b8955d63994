// The paper an application asks for in its DEVMODE is the sheet the job
// names: printed through both libraries by the print host, the job read back
// whole, its header's paper, every sheet command ("Ec") and the ticket's page
// sizes checked, and the sheet the driver told GDI about measured against the
// same paper.
#include "tests/docevent/docevent_fixture.h"

#include "common/settings/function_ids.h"
#include "printhost/print_job.h"
#include "tools/morva_reader/morva_reader.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr int kDpi = 600;
constexpr int kPages = 2;

struct PaperCase {
    const char* name;
    uint32_t fields;        // paper fields the application sets
    short paperSize;        // dmPaperSize
    short width, length;    // dmPaperWidth, dmPaperLength (tenths of a millimetre)
    const wchar_t* form;    // dmFormName, or null to leave the printer's
    short orientation;
    const char* headerPaper;  // the header's PAPER line
    const char* sheet;        // every "Ec" of the job
    const char* ticketSize;   // each page of the ticket
    double sheetWidthMm, sheetHeightMm;  // the page GDI was told of
};

// The application changes only the fields it names and leaves the printer's
// form name in the DEVMODE, as applications do; the paper number wins over it.
const PaperCase kCases[] = {
    {"A4", DM_PAPERSIZE, DMPAPER_A4, 0, 0, nullptr, DMORIENT_PORTRAIT, "PAPER=9",
     "Ec code1=1 code2=0 kind=5", "SIZE[210.0X297.0]", 210, 297},
    {"A3", DM_PAPERSIZE, DMPAPER_A3, 0, 0, nullptr, DMORIENT_PORTRAIT, "PAPER=8",
     "Ec code1=1 code2=0 kind=81 width=297 height=420", "SIZE[297.0X420.0]", 297, 420},
    {"Letter", DM_PAPERSIZE, DMPAPER_LETTER, 0, 0, nullptr, DMORIENT_PORTRAIT, "PAPER=1",
     "Ec code1=1 code2=0 kind=81 width=215.9 height=279.4", "SIZE[215.9X279.4]", 215.9, 279.4},
    {"A4 landscape", DM_PAPERSIZE | DM_ORIENTATION, DMPAPER_A4, 0, 0, nullptr, DMORIENT_LANDSCAPE, "PAPER=9",
     "Ec code1=1 code2=0 kind=5", "SIZE[210.0X297.0]", 297, 210},
    // A form asked for by name alone.
    {"A3 by form name", DM_FORMNAME, 0, 0, 0, L"A3", DMORIENT_PORTRAIT, "PAPER=8",
     "Ec code1=1 code2=0 kind=81 width=297 height=420", "SIZE[297.0X420.0]", 297, 420},
    // A size of the user's own: the paper's width and length win over the
    // paper number still in the DEVMODE.
    {"150 x 250 mm", DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH, DMPAPER_USER, 1500, 2500, nullptr,
     DMORIENT_PORTRAIT, "PAPER=256", "Ec code1=1 code2=0 kind=81 width=150 height=250", "SIZE[150.0X250.0]", 150,
     250},
};

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

int Pixels(double mm) { return int(std::lround(mm * kDpi / 25.4)); }

TEST(PaperSheets, TheSheetIsThePaperTheApplicationAsked)
{
    ASSERT_TRUE(docevent_test::SharedPrinter().ok());
    const std::vector<unsigned char> application = docevent_test::ApplicationDevmode({{kFidJobResolution, kDpi}});
    ASSERT_GE(application.size(), sizeof(DEVMODEW));
    // The printer's DEVMODE names its default paper by form name too: a paper
    // number changed alone disagrees with it.
    const auto* printerDm = reinterpret_cast<const DEVMODEW*>(application.data());
    ASSERT_TRUE(printerDm->dmFields & DM_FORMNAME);
    ASSERT_EQ(std::wstring(printerDm->dmFormName), L"Letter");
    ASSERT_EQ(printerDm->dmFields & (DM_PAPERWIDTH | DM_PAPERLENGTH), 0u);

    for (const PaperCase& c : kCases) {
        SCOPED_TRACE(c.name);
        std::vector<BYTE> devmode(application.begin(), application.end());
        auto* dm = reinterpret_cast<DEVMODEW*>(devmode.data());
        dm->dmFields &= ~DWORD(DM_PAPERSIZE);
        dm->dmFields |= c.fields | DM_ORIENTATION;
        dm->dmPaperSize = c.paperSize;
        dm->dmPaperWidth = c.width;
        dm->dmPaperLength = c.length;
        dm->dmOrientation = c.orientation;
        if (c.form != nullptr)
            wcsncpy(dm->dmFormName, c.form, CCHFORMNAME - 1);

        SIZEL told{};
        std::vector<printhost::PageDrawer> pages;
        for (int page = 0; page < kPages; ++page)
            pages.push_back([&told](HDC dc, const GDIINFO& info) {
                told = info.szlPhysSize;
                return Rectangle(dc, 100, 100, 1200, 900) != FALSE;
            });
        const std::wstring jobFile = printhost_test::TempPath(L"paper_sheets.prn");
        DeleteFileW(jobFile.c_str());
        printhost::PrintRequest request;
        request.printer = docevent_test::SharedPrinter().printerName();
        request.outputFile = jobFile;
        request.documentName = L"Paper sheets";
        request.devmode = devmode;
        std::wstring error;
        ASSERT_EQ(printhost::PrintDocument(request, pages, &error), printhost::kOk)
            << std::string(error.begin(), error.end());
        const std::string bytes = printhost_test::ReadTextFile(jobFile);
        DeleteFileW(jobFile.c_str());

        MorvaListing listing;
        ASSERT_TRUE(ReadMorvaJob(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), MorvaReadOptions{},
                                 &listing))
            << listing.error;
        const std::string header = Joined(listing.headerLines);
        const std::string ticket = Joined(listing.trailerLines);
        const std::string all = header + CommandTexts(listing) + "\n" + ticket;
        EXPECT_NE(header.find(std::string("@PJL SET ") + c.headerPaper + "\n"), std::string::npos) << all;
        std::vector<std::string> sheets;
        for (const MorvaCommandLine& command : listing.commands)
            if (command.text.rfind("Ec ", 0) == 0)
                sheets.push_back(command.text);
        EXPECT_EQ(sheets, std::vector<std::string>(kPages, c.sheet)) << all;
        size_t sized = 0;
        for (const std::string& line : listing.trailerLines)
            if (line.find("PAGEINFO=") != std::string::npos) {
                ++sized;
                EXPECT_NE(line.find(c.ticketSize), std::string::npos) << line;
            }
        EXPECT_EQ(sized, size_t(kPages)) << ticket;
        // GDI's page is the sheet, turned for a landscape page.
        EXPECT_NEAR(told.cx, Pixels(c.sheetWidthMm), 2);
        EXPECT_NEAR(told.cy, Pixels(c.sheetHeightMm), 2);
    }
}

}  // namespace
