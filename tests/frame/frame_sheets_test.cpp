// The sheets the driver adds around and between the pages of whole jobs on a
// printer that leaves them to the driver (the S2200 test model): copies
// collated by the driver, separator, trailing and interleaf sheets, the
// sheet's paper source; and the duplex mode changed in the middle of a job.
#include "tests/frame/frame_jobs.h"

#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "printhost/host_dc.h"
#include "render/device/setting_ids.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

using frame_test::ChangeJobSettings;
using frame_test::Count;
using frame_test::Ending;
using frame_test::Joined;
using frame_test::PrintedJob;
using frame_test::PrintJob;
using frame_test::SettingPair;

constexpr uint32_t kTray1 = 1;  // source attribute 1
constexpr uint16_t kFidTrailerSource = kFidFixedTrayFirst + 1;
constexpr uint16_t kFidInterleafSource = kFidFixedTrayFirst + 2;

// The sheets of a job in stream order: a drawn page by its number (its
// rectangle starts at x = 100 + 10 n), an empty side as "e", "FC" as "|" and
// "FH" as "h" with its operands.
std::string SheetOrder(const std::string& commands)
{
    std::istringstream in(commands);
    std::string line, order;
    bool drawn = false;
    while (std::getline(in, line)) {
        if (line.rfind("CG x1=", 0) == 0) {
            if (!drawn)
                order += std::to_string((std::stoi(line.substr(6)) - 100) / 10);
            drawn = true;
        } else if (line == "FC") {
            order += "|";
        } else if (line.rfind("FH ", 0) == 0) {
            order += "h" + line.substr(3);
        } else if (line == "ED") {
            if (!drawn)
                order += "e";
            drawn = false;
        }
    }
    return order;
}

PrintedJob PrintOnSheetsModel(size_t pages, std::vector<SettingPair> settings)
{
    frame_test::JobPlan plan{std::vector<bool>(pages, true), Ending::kEndDoc, std::move(settings)};
    plan.driver = &frame_test::SheetsFrameDriver();
    return PrintJob(plan);
}

TEST(FrameSheets, DriverCollatesCopiesOnThisModel)
{
    struct Case {
        uint32_t collate;
        const char* order;
        const char* copiesLine;  // the header asks the printer for the rest
    } cases[] = {
        {0, "123", "@PJL SET COPIES=2"},
        {1, "123|123", "@PJL SET COPIES=1"},
    };
    for (const Case& k : cases) {
        const PrintedJob job = PrintOnSheetsModel(3, {{kFidCopies, 2}, {kFidCollate, k.collate}});
        ASSERT_TRUE(job.read) << job.listing.error;
        EXPECT_EQ(SheetOrder(job.commands), k.order) << k.collate << "\n" << job.commands;
        const std::string header = Joined(job.listing.headerLines);
        EXPECT_NE(header.find(k.copiesLine), std::string::npos) << header;
        EXPECT_EQ(Count(job.commands, "\nEB"), 1u);
    }
}

// The trailing sheet follows the last page of every copy; the separator
// sheet goes ahead of the pages of every copy.
TEST(FrameSheets, TrailingAndSeparatorSheetsFrameEachCopy)
{
    struct Case {
        uint32_t separator, trailer, collate;
        const char* order;
    } cases[] = {
        {0, 1, 0, "12e"},
        {0, 1, 1, "12e|12e"},
        {1, 0, 1, "e|12|e|12"},
        {1, 1, 1, "e|12e|e|12e"},
    };
    for (const Case& k : cases) {
        const PrintedJob job = PrintOnSheetsModel(
            2, {{kFidCopies, 2}, {kFidCollate, k.collate}, {kFidSeparatorSheetOn, k.separator},
                {kFidFixedTrayFirst, kTray1}, {kFidTrailerSheetOn, k.trailer}, {kFidTrailerSource, kTray1}});
        ASSERT_TRUE(job.read) << job.listing.error;
        const std::string& c = job.commands;
        const std::string trace = std::to_string(k.separator) + " " + std::to_string(k.trailer) + " " +
                                  std::to_string(k.collate) + "\n" + c;
        EXPECT_EQ(SheetOrder(c), k.order) << trace;
        // Each empty side comes from tray 1 (colour code 3: the job names a
        // colour mode), its end marked as an empty sheet.
        const size_t empty = Count(SheetOrder(c), "e");
        EXPECT_EQ(Count(c, "Ec code1=3 code2=1 "), empty) << trace;
        EXPECT_EQ(Count(c, "\nFE variant=17\nED\n"), empty) << trace;
    }
}

// This model reads the document's own source (13) first: the tray (265)
// stands in for the form source (15), and setting 457 = 2 hands the lead to
// the tray. A sheet whose source comes from the document's setting itself has
// no separator first sheet; one from the tray has.
TEST(FrameSheets, PaperSourceOfTheSheetOnThisModel)
{
    constexpr uint32_t kFormSource = 15, kAutoSelect = 7, kBypassTray = 4, kPrinterDefault = 258;
    struct Case {
        uint32_t syncMode, document, tray;
        const char* sources;  // the source attribute of each sheet
    } cases[] = {
        {0, kFormSource, kBypassTray, "155"},
        {0, kAutoSelect, kBypassTray, "000"},
        {0, kBypassTray, kPrinterDefault, "555"},
        {2, kAutoSelect, kBypassTray, "155"},
        {2, kAutoSelect, kPrinterDefault, "000"},
    };
    for (const Case& k : cases) {
        const PrintedJob job = PrintOnSheetsModel(
            3, {{kFidCovers, 1}, {kFidCoverTray, kTray1}, {kFidSourceSyncMode, k.syncMode},
                {kFidDefaultSource, k.document}, {kFidPaperSource, k.tray}});
        ASSERT_TRUE(job.read) << job.listing.error;
        std::string sources;
        std::istringstream in(job.commands);
        for (std::string line; std::getline(in, line);)
            if (line.rfind("Ec code1=1 code2=", 0) == 0)
                sources += line.substr(17, line.find(' ', 17) - 17);
        EXPECT_EQ(sources, k.sources) << k.syncMode << " " << k.document << " " << k.tray << "\n" << job.commands;
    }
}

// An interleaf sheet goes in ahead of each listed sheet (2 and 4 here), in
// every copy.
TEST(FrameSheets, InterleafSheetsGoAheadOfTheirSheets)
{
    struct Case {
        uint32_t collate, reverse;
        const char* order;
    } cases[] = {
        {0, 0, "1e|23e|4"},
        {1, 0, "1e|23e|4|1e|23e|4"},
        // Reversed, each interleaf sheet follows its sheet: the stack turned
        // over has it ahead again.
        {0, 1, "4e|32e|1"},
        {1, 1, "4e|32e|1|4e|32e|1"},
    };
    for (const Case& k : cases) {
        const PrintedJob job = PrintOnSheetsModel(
            4, {{kFidCopies, 2}, {kFidCollate, k.collate}, {kFidReverseOrder, k.reverse},
                {kFidInterleafSheetsOn, 1}, {kFidInterleafSource, kTray1}, {kFidPageListFirst, 2},
                {kFidPageListFirst + 7, 4}});
        ASSERT_TRUE(job.read) << job.listing.error;
        EXPECT_EQ(SheetOrder(job.commands), k.order) << k.collate << " " << k.reverse << "\n" << job.commands;
    }
}

// The page options tell the printer of a duplex change between pages: the
// sheet is closed ("FC") and the new mode sent ("FH"); an unfinished
// two-sided sheet keeps its back face empty.
TEST(FrameSheets, DuplexChangedBetweenPages)
{
    struct Case {
        uint32_t before, after;
        const char* order;
        size_t skipped;
    } cases[] = {
        // The one-sided sheet's face is counted as a skipped back face.
        {1, 2, "ha=0 b=21|ha=1 b=223", 1},
        {2, 1, "ha=1 b=21|ha=0 b=223", 0},
        {2, 3, "ha=1 b=21|ha=1 b=123", 1},
        {2, 2, "ha=1 b=2123", 0},
    };
    for (const Case& k : cases) {
        frame_test::JobPlan plan{{true, true, true}, Ending::kEndDoc, {{kFidDuplex, k.before}}};
        // The page options: a newer stream, the duplex unit and setting 1350.
        plan.beforePages = [](HDC dc) {
            ChangeJobSettings(dc, {{kFidStreamVersion, 0x01020008}, {kFidKeepDuplexOnReset, 1},
                                   {kFidDrawingEscapesFeature, 1}});
        };
        plan.afterPage = [&](HDC dc, size_t n) {
            if (n == 0)
                ChangeJobSettings(dc, {{kFidDuplex, k.after}});
        };
        const PrintedJob job = PrintJob(plan);
        ASSERT_TRUE(job.read) << job.listing.error;
        const std::string& c = job.commands;
        EXPECT_EQ(SheetOrder(c), k.order) << k.before << " " << k.after << "\n" << c;
        EXPECT_EQ(Count(c, "skip backface of duplex"), k.skipped) << c;
    }
}

// An application changes the settings between pages with ResetDC, which the
// driver gets as DrvResetPDEV: the new record takes the job over with the new
// settings, except that the sheet under way keeps its paper and, with setting
// 1350, its duplex mode. The job ticket records each page's duplex mode.
TEST(FrameSheets, ResetDcBetweenPagesChangesTheDuplexMode)
{
    struct Case {
        uint32_t keepDuplex;
        size_t oneSided, longEdge;
    } cases[] = {{0, 1, 2}, {1, 3, 0}};
    for (const Case& k : cases) {
        frame_test::FrameDriver& driver = frame_test::SharedFrameDriver();
        const std::vector<SettingPair> before = {{kFidDuplex, 1}, {kFidKeepDuplexOnReset, k.keepDuplex}};
        const std::vector<SettingPair> after = {{kFidDuplex, 2}, {kFidKeepDuplexOnReset, k.keepDuplex}};
        frame_test::JobPlan plan{{true, true, true}, Ending::kEndDoc, before};
        plan.afterPage = [&](HDC dc, size_t n) {
            if (n != 0)
                return;
            std::vector<uint8_t> devmode = driver.ExtendedDevmode(frame_test::A4At600(after));
            EXPECT_EQ(HostResetDCW(dc, reinterpret_cast<DEVMODEW*>(devmode.data())), dc);
        };
        const PrintedJob job = PrintJob(plan);
        ASSERT_TRUE(job.read) << job.listing.error;
        const std::string ticket = Joined(job.listing.trailerLines);
        EXPECT_EQ(Count(ticket, "PAGEINFO="), 3u) << ticket;
        EXPECT_EQ(Count(ticket, "DUPLEX[SIMPLEX]"), k.oneSided) << k.keepDuplex << "\n" << ticket;
        EXPECT_EQ(Count(ticket, "DUPLEX[DUPLEX]"), k.longEdge) << k.keepDuplex << "\n" << ticket;
        EXPECT_EQ(Count(job.commands, "StartPage"), 3u) << job.commands;
    }
}

} // namespace
