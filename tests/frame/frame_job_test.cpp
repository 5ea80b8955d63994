// Whole jobs through the print host: what job control puts around the pages
// (job-language header, stream head, page events, stream end, job ticket and
// trailer), read back whole.
#include "tests/frame/frame_jobs.h"

#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "printhost/host_dc.h"
#include "render/device/setting_ids.h"
#include "tools/morva_reader/morva_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

using frame_test::ChangeJobSettings;
using frame_test::Count;
using frame_test::FrameDriver;
using frame_test::Ending;
using frame_test::Joined;
using frame_test::PrintedJob;
using frame_test::PrintJob;

TEST(FrameJob, DocumentWithoutPagesWritesNothing)
{
    const PrintedJob job = PrintJob({});
    EXPECT_TRUE(job.bytes.empty()) << job.bytes.size();
}

TEST(FrameJob, OnePageJobIsWrappedInHeaderAndTrailer)
{
    const PrintedJob job = PrintJob({{true}});
    ASSERT_TRUE(job.read) << job.listing.error;
    // The job-language header opens with the universal exit and names the
    // job's language ahead of the stream.
    ASSERT_FALSE(job.listing.headerLines.empty());
    EXPECT_EQ(job.listing.headerLines.front().rfind("\x1b%-12345X", 0), 0u) << Joined(job.listing.headerLines);
    EXPECT_EQ(job.listing.versionLine.rfind("%ZQRQD-", 0), 0u);
    const std::string& c = job.commands;
    EXPECT_EQ(c.rfind("EA value=0x90\nFA kind=1 value=", 0), 0u) << c;
    // Page events: one page begun, its logical page and its sheet ended, the job ended.
    EXPECT_EQ(Count(c, "StartPage"), 1u) << c;
    EXPECT_EQ(Count(c, "EndPage of Logical"), 1u) << c;
    EXPECT_EQ(Count(c, "EndPage of Physical"), 1u) << c;
    // The sheet's page attributes come before its drawing; the sheet ends once.
    EXPECT_LT(c.find("\nEc "), c.find("\nCG ")) << c;
    // The plain page is placed on its sheet before it draws.
    EXPECT_LT(c.find("\nAa "), c.find("\nCG ")) << c;
    EXPECT_EQ(job.drawingRefused, 0);
    EXPECT_EQ(Count(c, "\nFB\nED\n"), 1u) << c;
    EXPECT_NE(c.find("EndJob\\x22\"\nEB"), std::string::npos) << c;
    EXPECT_EQ(c.substr(c.size() - 3), "\nEB") << c;
    // The trailer: the universal exit and the end-of-job line.
    ASSERT_FALSE(job.listing.trailerLines.empty());
    EXPECT_EQ(job.listing.trailerLines.front().rfind("\x1b%-12345X", 0), 0u) << Joined(job.listing.trailerLines);
}

// Beside the time-stamped comment the stream head names the driver file, the
// model data's version (2.1.4) and format (8192), the system and the stream
// version setting, then the driver's product version.
TEST(FrameJob, StreamHeadNamesTheDriverAndTheSystem)
{
    const PrintedJob job = PrintJob({{true}});
    ASSERT_TRUE(job.read) << job.listing.error;
    const std::string& c = job.commands;
    const size_t driver = c.find("ms][morvagr.dll:2010004:2000][");
    ASSERT_NE(driver, std::string::npos) << c.substr(0, 800);
    const size_t product = c.find("ms][PF02080101][DRV-x64]");
    ASSERT_NE(product, std::string::npos) << c.substr(0, 800);
    EXPECT_LT(c.find("EP text="), driver);
    EXPECT_LT(driver, product);
    EXPECT_LT(product, c.find("StartPage"));
    // The system part holds the OS version fields and the setting 8205 as stored.
    const std::string system = c.substr(driver, c.find('\n', driver) - driver);
    EXPECT_EQ(Count(system, ":"), 6u) << system;
}

TEST(FrameJob, ColourModeReachesSheetAndTicket)
{
    struct Case {
        uint32_t colourMode;
        const char* media;
        const char* ticketMode;
    } cases[] = {{1, "Ec code1=1 ", "MODE[COLOR]"}, {2, "Ec code1=2 ", "MODE[MONOCHROME]"}};
    for (const Case& k : cases) {
        const PrintedJob job = PrintJob({{true}, Ending::kEndDoc, {{kFidColorMode, k.colourMode}}});
        ASSERT_TRUE(job.read) << job.listing.error;
        EXPECT_EQ(Count(job.commands, k.media), 1u) << k.colourMode << "\n" << job.commands;
        // One page record in the job ticket that follows the stream.
        const std::string trailer = Joined(job.listing.trailerLines);
        EXPECT_EQ(Count(trailer, "PAGEINFO="), 1u) << trailer;
        EXPECT_EQ(Count(trailer, k.ticketMode), 1u) << trailer;
        EXPECT_NE(trailer.find("LOGICALPAGES=1"), std::string::npos) << trailer;
        // The A4 portrait page is a portrait page in the ticket too.
        EXPECT_EQ(Count(trailer, "ORIENTATION[PORTRAIT]"), 1u) << trailer;
    }
}

// The job-wide lines of the ticket follow the job's settings.
TEST(FrameJob, TicketSumsUpTheJobsSettings)
{
    constexpr uint16_t kSpecialOutputKind = 441;
    constexpr uint16_t kTonerSave = 1320;
    struct Case {
        const char* what;
        std::vector<frame_test::SettingPair> settings;
        std::vector<const char*> lines;
    } cases[] = {
        {"plain",
         {{kFidJobType, 0}, {kFidDuplex, 1}},
         {"JOBTYPE=PRINT", "STOREDJOBTYPE=IMMEDIATE", "PAGEORDER=1TON", "SLIPSHEET=NOSLIPSHEET", "TONERSAVE=OFF",
          "JOBCOPIES=1", "PAGECOPIES=1", "DUPLEXTYPE=SIMPLEX"}},
        {"reverse order", {{kFidReverseOrder, 1}}, {"PAGEORDER=NTO1", "LOGICALPAGES=2"}},
        {"stored", {{kFidJobType, 1}}, {"STOREDJOBTYPE=SECURITY"}},
        {"proof",
         {{kFidJobType, 2}, {kFidCopies, 3}, {kFidCollate, 0}},
         {"STOREDJOBTYPE=PROOF", "JOBCOPIES=3", "PAGECOPIES=1"}},
        {"uncollated copies", {{kFidCopies, 3}, {kFidCollate, 0}}, {"JOBCOPIES=1", "PAGECOPIES=3", "LOGICALPAGES=6"}},
        {"special output", {{kFidSecondSourceOn, 1}}, {"SLIPSHEET=EMPTY"}},
        {"special output copy", {{kFidSecondSourceOn, 1}, {kSpecialOutputKind, 1}}, {"SLIPSHEET=COPY"}},
        {"toner save", {{kTonerSave, 1}}, {"TONERSAVE=ON"}},
        {"long edge", {{kFidDuplex, 2}}, {"DUPLEXTYPE=DUPLEX"}},
        {"short edge", {{kFidDuplex, 3}}, {"DUPLEXTYPE=TUMBLE"}},
        {"form registration", {{kFidStoredJobText, 1}}, {"JOBTYPE=FORMREGISTRATION"}},
    };
    for (const Case& k : cases) {
        const PrintedJob job = PrintJob({{true, true}, Ending::kEndDoc, k.settings});
        ASSERT_TRUE(job.read) << k.what << ": " << job.listing.error;
        const std::string trailer = Joined(job.listing.trailerLines);
        for (const char* line : k.lines)
            EXPECT_EQ(Count(trailer, std::string("ZQJOBINFO ") + line + "\n"), 1u) << k.what << ": " << line << "\n"
                                                                                   << trailer;
    }
}

// The account code (low byte of setting 5126) reaches the ticket's page lines
// only when the colour unit and setting 5153 are on, the printer chooses the
// colour (colour mode 0, or 3 with setting 1289) and the code's kind (bits
// 8-11) is 0-2; a colour page without it counts 0, a monochrome page none.
TEST(FrameJob, AccountCodeReachesTheTicketsColourPages)
{
    constexpr uint32_t kCode = 0x37;  // 55
    struct Case {
        uint32_t colourUnit, special, account, colourMode, autoColour;
        const char* fields;  // the page line's fields between SIZE and INTRAY
    } cases[] = {
        {1, 1, 0x200 | kCode, 0, 0, ":MODE[COLOR]:COLORS[55]:"},
        {1, 1, 0x000 | kCode, 0, 0, ":MODE[COLOR]:COLORS[55]:"},
        {1, 1, 0x1100 | kCode, 0, 0, ":MODE[COLOR]:COLORS[55]:"},  // bits above 11 are not the kind
        {1, 1, 0xFF, 0, 0, ":MODE[COLOR]:COLORS[255]:"},
        {1, 1, 0x200 | kCode, 3, 1, ":MODE[COLOR]:COLORS[55]:"},
        {1, 1, 0x200 | kCode, 3, 0, ":MODE[MONOCHROME]:INTRAY"},
        {1, 1, 0x200 | kCode, 2, 0, ":MODE[MONOCHROME]:INTRAY"},
        {1, 1, 0x200 | kCode, 1, 0, ":MODE[COLOR]:COLORS[0]:"},
        {1, 1, 0x300 | kCode, 0, 0, ":MODE[COLOR]:COLORS[0]:"},
        {1, 1, 0xF00 | kCode, 0, 0, ":MODE[COLOR]:COLORS[0]:"},
        {1, 0, 0x200 | kCode, 0, 0, ":MODE[COLOR]:COLORS[0]:"},
        {1, 2, 0x200 | kCode, 0, 0, ":MODE[COLOR]:COLORS[0]:"},
        {0, 1, 0x200 | kCode, 0, 0, ":MODE[COLOR]:COLORS[0]:"},
        {0, 0, 0, 1, 0, ":MODE[COLOR]:COLORS[0]:"},
        {0, 0, 0, 2, 0, ":MODE[MONOCHROME]:INTRAY"},
    };
    for (const Case& k : cases) {
        frame_test::JobPlan plan{
            {true, true}, Ending::kEndDoc, {{kFidColorMode, k.colourMode}, {kFidAutoColourMode, k.autoColour}}};
        // The account settings are the printer's own: changed in the job's
        // copy of the printer settings before the job begins.
        plan.beforePages = [&k](HDC dc) {
            ChangeJobSettings(
                dc, {{kFidColourUnit, k.colourUnit}, {kFidSpecialOne, k.special}, {kFidAccountCode, k.account}});
        };
        const PrintedJob job = PrintJob(plan);
        ASSERT_TRUE(job.read) << job.listing.error;
        const std::string ticket = Joined(job.listing.trailerLines);
        const std::string where = std::to_string(k.colourUnit) + " " + std::to_string(k.special) + " " +
                                  std::to_string(k.account) + " " + std::to_string(k.colourMode) + " " +
                                  std::to_string(k.autoColour) + "\n" + ticket;
        EXPECT_EQ(Count(ticket, "PAGEINFO="), 2u) << where;
        EXPECT_EQ(Count(ticket, k.fields), 2u) << where;
        // The sheets themselves are the same whatever the account.
        const bool colour = std::string(k.fields).find("COLOR]") != std::string::npos;
        EXPECT_EQ(Count(job.commands, colour ? "Ec code1=1 " : "Ec code1=2 "), 2u) << where;
    }
}

TEST(FrameJob, AbortAfterDrawingLeavesNoFinishedJob)
{
    const PrintedJob job = PrintJob({{true}, Ending::kAbortDoc});
    // Nothing buffered is handed on as if the job were whole: no stream end,
    // no trailer.
    EXPECT_EQ(job.bytes.find("EndJob"), std::string::npos);
    EXPECT_EQ(job.bytes.find("EOJ"), std::string::npos);
}

TEST(FrameJob, BlankPagesArePrintedOrDropped)
{
    struct Case {
        uint32_t drop;
        size_t sheets;
    } cases[] = {{0, 3}, {1, 2}};
    for (const Case& k : cases) {
        const PrintedJob job = PrintJob({{true, false, true}, Ending::kEndDoc, {{kFidDropEmptyPages, k.drop}}});
        ASSERT_TRUE(job.read) << job.listing.error;
        EXPECT_EQ(Count(job.commands, "\nFB\nED\n"), k.sheets) << k.drop << "\n" << job.commands;
        EXPECT_EQ(Count(job.commands, "StartPage"), k.sheets) << k.drop;
    }
}

TEST(FrameJob, PagesShareTheirSheetWithNup)
{
    struct Case {
        uint32_t pagesPerSheet;
        size_t pages;
        size_t sheets;
        size_t leftNup;  // a sheet face left partly filled at the end
    } cases[] = {{1, 2, 2, 0}, {4, 3, 1, 1}, {4, 4, 1, 0}, {2, 3, 2, 1}};
    for (const Case& k : cases) {
        const PrintedJob job = PrintJob(
            {std::vector<bool>(k.pages, true), Ending::kEndDoc, {{kFidPagesPerSheet, k.pagesPerSheet}}});
        ASSERT_TRUE(job.read) << job.listing.error;
        const std::string& c = job.commands;
        EXPECT_EQ(Count(c, "\nFB\nED\n"), k.sheets) << k.pagesPerSheet << " " << k.pages << "\n" << c;
        EXPECT_EQ(Count(c, "EndPage of Physical"), k.sheets) << k.pagesPerSheet;
        EXPECT_EQ(Count(c, "EndPage of Logical"), k.pages) << k.pagesPerSheet;
        EXPECT_EQ(Count(c, "EndJob with left Nup"), k.leftNup) << k.pagesPerSheet << " " << k.pages;
        // Each page placed in its own cell, its media once per sheet.
        EXPECT_EQ(Count(c, "\nAa "), k.pages) << c;
        EXPECT_EQ(Count(c, "\nEc "), k.sheets) << c;
        std::set<std::string> cells;
        for (size_t at = c.find("\nAa "); at != std::string::npos; at = c.find("\nAa ", at + 1))
            cells.insert(c.substr(at, c.find('\n', at + 1) - at));
        EXPECT_EQ(cells.size(), std::min<size_t>(k.pages, k.pagesPerSheet)) << c;
    }
}

TEST(FrameJob, ReverseOrderSendsTheLastPageFirst)
{
    struct Case {
        uint32_t reverse;
        const char* order[3];
    } cases[] = {{0, {"x1=110 ", "x1=120 ", "x1=130 "}}, {1, {"x1=130 ", "x1=120 ", "x1=110 "}}};
    for (const Case& k : cases) {
        const PrintedJob job = PrintJob({{true, true, true}, Ending::kEndDoc, {{kFidReverseOrder, k.reverse}}});
        ASSERT_TRUE(job.read) << job.listing.error;
        const std::string& c = job.commands;
        EXPECT_EQ(Count(c, "\nFB\nED\n"), 3u) << c;
        EXPECT_EQ(Count(c, "\nEc "), 3u) << c;
        EXPECT_LT(c.find(k.order[0]), c.find(k.order[1])) << k.reverse << "\n" << c;
        EXPECT_LT(c.find(k.order[1]), c.find(k.order[2])) << k.reverse << "\n" << c;
        EXPECT_NE(c.find(k.order[2]), std::string::npos) << c;
        // The job ends after the last sheet, once.
        EXPECT_EQ(Count(c, "\nEB"), 1u) << c;
    }
}

TEST(FrameJob, ZoomOutsideItsRangeRefusesThePage)
{
    struct Case {
        uint32_t zoom;
        bool printed;
    } cases[] = {{24, false}, {25, true}, {400, true}, {401, false}};
    for (const Case& k : cases) {
        const PrintedJob job =
            PrintJob({{true}, Ending::kEndDoc, {{kFidLayoutScaleOn, 1}, {kFidZoom, k.zoom}}});
        // A refused page aborts the job: nothing finished reaches the spooler.
        EXPECT_EQ(job.bytes.find("EOJ") != std::string::npos, k.printed) << k.zoom;
        if (k.printed) {
            EXPECT_EQ(job.drawingRefused, 0) << k.zoom;
            EXPECT_TRUE(job.read) << k.zoom << " " << job.listing.error;
            EXPECT_EQ(Count(job.commands, "\nFB\nED\n"), 1u) << k.zoom;
        }
    }
}

// A page whose begin fails aborts the job: every later drawing call and the
// page end are refused, and the document end still answers success.
TEST(FrameJob, AbortedJobRefusesLaterDrawing)
{
    FrameDriver& driver = frame_test::SharedFrameDriver();
    ASSERT_TRUE(driver.ok());
    const std::vector<uint8_t> devmode =
        driver.ExtendedDevmode(frame_test::A4At600({{kFidLayoutScaleOn, 1}, {kFidZoom, 401}}));
    DHPDEV pdev = driver.Enable(devmode);
    ASSERT_TRUE(pdev);
    SURFOBJ surface = frame_test::SurfaceOf(pdev);
    ASSERT_TRUE(driver.entries().startDoc(&surface, const_cast<wchar_t*>(L"refused"), 5));
    ASSERT_TRUE(driver.entries().startPage(&surface));
    RECTL area{0, 0, 10, 10};
    BRUSHOBJ black{};
    constexpr ROP4 kPatternCopy = 0xF0F0;
    for (int call = 0; call < 2; ++call) {
        EXPECT_FALSE(driver.entries().bitBlt(&surface, nullptr, nullptr, nullptr, nullptr, &area, nullptr, nullptr,
                                             &black, nullptr, kPatternCopy))
            << call;
    }
    EXPECT_FALSE(driver.entries().sendPage(&surface));
    EXPECT_TRUE(driver.entries().endDoc(&surface, 0));
    driver.entries().disablePdev(pdev);
}

TEST(FrameJob, BlankDocumentWithDroppedPagesWritesNothing)
{
    const PrintedJob job = PrintJob({{false, false}, Ending::kEndDoc, {{kFidDropEmptyPages, 1}}});
    EXPECT_TRUE(job.bytes.empty()) << job.bytes.size();
}

// A two-sided job whose sheets are replayed in reverse order ends an odd page
// count with an empty back face, so that the last page (printed first) starts
// a sheet of its own.
TEST(FrameJob, OddPageCountSkipsTheLastBackFace)
{
    struct Case {
        uint32_t duplex;
        size_t pages;
        size_t skipped;
    } cases[] = {{1, 3, 0}, {2, 3, 1}, {3, 3, 1}, {2, 4, 0}};
    for (const Case& k : cases) {
        const PrintedJob job = PrintJob({std::vector<bool>(k.pages, true), Ending::kEndDoc,
                                         {{kFidDuplex, k.duplex}, {kFidReverseOrder, 1}}});
        ASSERT_TRUE(job.read) << job.listing.error;
        const std::string& c = job.commands;
        EXPECT_EQ(Count(c, "skip backface of duplex"), k.skipped) << k.duplex << " " << k.pages << "\n" << c;
        EXPECT_EQ(Count(c, "\nFB\nED\n"), k.pages + k.skipped) << c;
        EXPECT_EQ(Count(c, "StartPage"), k.pages) << c;
        // The empty face is replayed first: its media and sheet end, nothing drawn.
        if (k.skipped)
            EXPECT_LT(c.find("\nFB\nED\n"), c.find("StartPage")) << c;
    }
}

// The model collates in the printer: the pages go out once and the header
// asks for the copies.
TEST(FrameJob, CopiesCollatedByThePrinterGoOutOnce)
{
    const PrintedJob job =
        PrintJob({{true, true}, Ending::kEndDoc, {{kFidCopies, 2}, {kFidCollate, 1}}});
    ASSERT_TRUE(job.read) << job.listing.error;
    EXPECT_EQ(Count(job.commands, "StartPage"), 2u) << job.commands;
    EXPECT_EQ(Count(Joined(job.listing.headerLines), "COPIES=2"), 1u) << Joined(job.listing.headerLines);
}

// A form registered in the printer: the form string after the stream begin,
// no resolution, no sheet output, and the end marker after the form's page.
TEST(FrameJob, FormRegistrationKeepsThePageInThePrinter)
{
    const PrintedJob job = PrintJob({{true}, Ending::kEndDoc, {{kFidStoredJobText, 1}}});
    ASSERT_TRUE(job.read) << job.listing.error;
    const std::string& c = job.commands;
    EXPECT_EQ(c.rfind("EA value=0x90\nEE ", 0), 0u) << c;
    EXPECT_EQ(Count(c, "\nFA "), 0u) << c;
    EXPECT_EQ(Count(c, "\nFB\n"), 0u) << c;
    EXPECT_EQ(Count(c, "\nED\n"), 1u) << c;
    EXPECT_LT(c.find("\nCG "), c.find("\nEF\n")) << c;
    EXPECT_LT(c.find("\nEF\n"), c.find("EndJob\\x22")) << c;
}

// A registered form is also kept as a file, "<folder>\\<form>.prn", created
// with its folders: from the deferred stream head on the job goes to the
// spooler and to the file alike, so the file holds the whole job. Escape 20523
// suppresses the file.
TEST(FrameJob, FormRegistrationKeepsTheFormAsAFile)
{
    constexpr int kEscGetSettings = 20482;
    constexpr int kEscSetSettings = 20485;
    constexpr int kEscSuppressFile = 20523;
    const std::wstring root = printhost_test::TempPath(L"forms");
    const std::wstring folder = root + L"\\stored";
    const std::wstring file = folder + L"\\FORM1.prn";
    struct Case {
        std::wstring folder;
        uint32_t suppress;
        bool kept, printed;
    } cases[] = {
        {folder, 0, true, true},
        {folder + L"\\", 0, true, true},
        {folder, 1, false, true},
    };
    for (const Case& k : cases) {
        const auto storeForm = [&](HDC dc) {
            std::vector<uint8_t> settings(5900), printerSettings(7964);
            ASSERT_EQ(HostExtEscape(dc, kEscGetSettings, 0, nullptr, int(settings.size()),
                                    reinterpret_cast<char*>(settings.data())), 1);
            const wchar_t* name = L"FORM1";
            ASSERT_EQ(SetFunctionIdValueArgs(settings.data(), printerSettings.data(), kFidStoredJobName, kTypeString,
                                             uint32_t((wcslen(name) + 1) * sizeof(wchar_t)), name), 0);
            ASSERT_EQ(SetFunctionIdValueArgs(settings.data(), printerSettings.data(), kFidStoredJobFolder, kTypeString,
                                             uint32_t((k.folder.size() + 1) * sizeof(wchar_t)), k.folder.c_str()),
                      0);
            ASSERT_EQ(HostExtEscape(dc, kEscSetSettings, int(settings.size()),
                                    reinterpret_cast<const char*>(settings.data()), 0, nullptr), 1);
            if (k.suppress)
                ASSERT_EQ(HostExtEscape(dc, kEscSuppressFile, sizeof k.suppress,
                                        reinterpret_cast<const char*>(&k.suppress), 0, nullptr), 1);
        };
        const PrintedJob job = PrintJob({{true}, Ending::kEndDoc, {{kFidStoredJobText, 1}}, storeForm});
        const std::string kept = printhost_test::ReadTextFile(file);
        DeleteFileW(file.c_str());
        RemoveDirectoryW(folder.c_str());
        RemoveDirectoryW(root.c_str());
        const std::string trace = std::string(k.folder.begin(), k.folder.end()).substr(0, 80);
        EXPECT_EQ(job.bytes.find("EOJ") != std::string::npos, k.printed) << trace;
        if (!k.printed)
            continue;
        ASSERT_TRUE(job.read) << job.listing.error;
        EXPECT_EQ(Count(job.commands, "\nEF\n"), 1u) << job.commands;
        if (k.kept)
            EXPECT_EQ(kept, job.bytes) << trace;
        else
            EXPECT_TRUE(kept.empty()) << trace;
    }
}

// The page label goes on every page after its start; the colour-mode pair
// follows the page's placement.
TEST(FrameJob, PageLabelAndColourModePair)
{
    struct Case {
        uint32_t label, first, second;
        size_t labels;
        const char* option;
        const char* options;
    } cases[] = {
        {0, 0, 0, 0, "AI on=0", "FF flags=0"},
        {1, 1, 0, 2, "AI on=1", "FF flags=1"},
        {0, 1, 1, 0, "AI on=1", "FF flags=5"},
        {0, 0, 1, 0, "AI on=0", "FF flags=4"},
    };
    for (const Case& k : cases) {
        const PrintedJob job = PrintJob({{true, true}, Ending::kEndDoc,
                                         {{kFidPageLabelOn, k.label}, {kFidColourPairFirst, k.first},
                                          {kFidColourPairSecond, k.second}}});
        ASSERT_TRUE(job.read) << job.listing.error;
        const std::string& c = job.commands;
        EXPECT_EQ(Count(c, "\nEg "), k.labels) << c;
        if (k.labels)
            EXPECT_LT(c.find("StartPage"), c.find("\nEg ")) << c;
        EXPECT_EQ(Count(c, std::string(k.option) + "\n"), 2u) << c;
        EXPECT_EQ(Count(c, std::string(k.options) + "\n"), 2u) << c;
        EXPECT_LT(c.find("\nAa "), c.find("\nAI ")) << c;
        // "EH" needs a newer stream than this model's.
        EXPECT_EQ(Count(c, "\nEH "), 0u) << c;
    }
}

// A leading separator takes the first sheet (both faces of a two-sided one)
// from the separator's source. A separator source without back faces (the
// bypass tray) is a cover of its own: the second face comes from the tray and
// starts a new sheet. A source taken from the document's own setting (the
// tray left at the printer's default) has no separator.
TEST(FrameJob, FirstSheetFromTheSeparatorSource)
{
    constexpr uint32_t kUpperTray = 1;   // source attribute 1
    constexpr uint32_t kBypassTray = 4;  // source attribute 5
    constexpr uint32_t kTray2 = 2;       // source attribute 3
    constexpr uint32_t kPrinterDefault = 258;
    struct Case {
        uint32_t covers, duplex, coverTray, tray;
        size_t fromSeparator, skippedBackFaces;
    } cases[] = {
        {0, 1, kUpperTray, kTray2, 0, 0},          {1, 1, kUpperTray, kTray2, 1, 0},
        {1, 2, kUpperTray, kTray2, 2, 0},          {1, 2, kBypassTray, kTray2, 1, 1},
        {1, 2, kUpperTray, kPrinterDefault, 0, 0},
    };
    for (const Case& k : cases) {
        const PrintedJob job = PrintJob({{true, true, true}, Ending::kEndDoc,
                                         {{kFidCovers, k.covers}, {kFidCoverTray, k.coverTray},
                                          {kFidDuplex, k.duplex}, {kFidPaperSource, k.tray}}});
        ASSERT_TRUE(job.read) << job.listing.error;
        const std::string& c = job.commands;
        const std::string separator = k.coverTray == kUpperTray ? "Ec code1=1 code2=1 " : "Ec code1=1 code2=5 ";
        const std::string tray = k.tray == kTray2 ? "Ec code1=1 code2=3 " : "Ec code1=1 code2=0 ";
        const std::string trace = std::to_string(k.covers) + " " + std::to_string(k.duplex) + " " +
                                  std::to_string(k.coverTray) + " " + std::to_string(k.tray) + "\n" + c;
        EXPECT_EQ(Count(c, separator), k.fromSeparator) << trace;
        EXPECT_EQ(Count(c, tray), 3 - k.fromSeparator) << trace;
        EXPECT_EQ(Count(c, "skip backface of duplex"), k.skippedBackFaces) << trace;
        if (k.fromSeparator)
            EXPECT_EQ(c.find("\n" + separator), c.find("\nEc ")) << trace;
        // The ticket names the tray each page was fed from, as its sheet does.
        const std::string trailer = Joined(job.listing.trailerLines);
        const std::string separatorTray = k.coverTray == kUpperTray ? "INTRAY[1]" : "INTRAY[5]";
        const std::string pageTray = k.tray == kTray2 ? "INTRAY[3]" : "INTRAY[0]";
        EXPECT_EQ(Count(trailer, separatorTray), k.fromSeparator) << trace << trailer;
        EXPECT_EQ(Count(trailer, pageTray), 3 - k.fromSeparator) << trace << trailer;
    }
}

} // namespace
