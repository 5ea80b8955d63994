// Page layouts of whole jobs: the geometry settings that move the page on its
// sheet, posters sent tile by tile, booklets folded two pages to a side.
#include "tests/frame/frame_jobs.h"

#include "common/settings/function_ids.h"
#include "printhost/host_dc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using frame_test::Count;
using frame_test::PrintedJob;
using frame_test::PrintJob;

constexpr uint16_t kPosterBooklet = 321;
constexpr uint16_t kPosterGrid = 296;
constexpr uint16_t kBookletBindingSide = 322;
constexpr uint16_t kTurnPages = 437;
constexpr uint16_t kImageShift = 459;
constexpr uint16_t kImageShiftX = 460;
constexpr uint16_t kReverseOrder = 1312;

// The placement lines of the job, in stream order.
std::vector<std::string> Placements(const std::string& commands)
{
    std::vector<std::string> out;
    for (size_t at = commands.find("\nAa "); at != std::string::npos; at = commands.find("\nAa ", at + 1))
        out.push_back(commands.substr(at + 1, commands.find('\n', at + 1) - at - 1));
    return out;
}

// The six numbers of a placement line.
std::vector<double> MatrixOf(const std::string& line)
{
    std::vector<double> values;
    const char* p = line.c_str();
    while (*p && values.size() < 6) {
        if ((*p >= '0' && *p <= '9') || *p == '-') {
            char* end = nullptr;
            values.push_back(std::strtod(p, &end));
            p = end;
        } else {
            ++p;
        }
    }
    return values;
}

// Where each drawn page's rectangle (x1 = 110, 120, ...) first shows in the stream.
std::vector<size_t> PageOrder(const std::string& commands, size_t pages)
{
    std::vector<size_t> at;
    for (size_t n = 1; n <= pages; ++n)
        at.push_back(commands.find("x1=" + std::to_string(100 + 10 * n) + " "));
    return at;
}

TEST(FrameLayout, GeometrySettingsMoveThePage)
{
    const PrintedJob plain = PrintJob({{true}});
    ASSERT_TRUE(plain.read) << plain.listing.error;
    const std::vector<std::string> base = Placements(plain.commands);
    ASSERT_EQ(base.size(), 1u) << plain.commands;
    const std::vector<double> m0 = MatrixOf(base[0]);
    ASSERT_EQ(m0.size(), 6u) << base[0];

    // Every page turned by 180 degrees: the axes flip. Shifted by 10 mm: the
    // axes stay, the origin moves across.
    struct Case {
        std::vector<frame_test::SettingPair> settings;
        bool turned;
    } cases[] = {
        {{{kTurnPages, 3}}, true},
        {{{kImageShift, 1}, {kImageShiftX, 100}}, false},
    };
    for (const Case& k : cases) {
        const PrintedJob job = PrintJob({{true}, frame_test::Ending::kEndDoc, k.settings});
        ASSERT_TRUE(job.read) << job.listing.error;
        const std::vector<std::string> lines = Placements(job.commands);
        ASSERT_EQ(lines.size(), 1u) << job.commands;
        const std::vector<double> m = MatrixOf(lines[0]);
        ASSERT_EQ(m.size(), 6u) << lines[0];
        EXPECT_NE(lines[0], base[0]);
        if (k.turned) {
            EXPECT_LT(m[0] * m0[0], 0.0) << lines[0] << " / " << base[0];
            EXPECT_LT(m[3] * m0[3], 0.0) << lines[0] << " / " << base[0];
        } else {
            EXPECT_EQ(m[0], m0[0]) << lines[0];
            EXPECT_EQ(m[3], m0[3]) << lines[0];
            EXPECT_NE(m[4], m0[4]) << lines[0] << " / " << base[0];
        }
    }
}

TEST(FrameLayout, PosterSendsThePageOncePerTile)
{
    struct Case {
        uint32_t grid;
        size_t tiles;
    } cases[] = {{514, 4}, {771, 9}, {258, 2}, {259, 3}, {999, 1}};
    for (const Case& k : cases) {
        const PrintedJob job =
            PrintJob({{true}, frame_test::Ending::kEndDoc, {{kPosterBooklet, 1}, {kPosterGrid, k.grid}}});
        ASSERT_TRUE(job.read) << k.grid << " " << job.listing.error;
        const std::string& c = job.commands;
        // Each tile is a sheet with the page's media, its own frame and the page's drawing.
        EXPECT_EQ(Count(c, "\nFB\nED\n"), k.tiles) << k.grid << "\n" << c;
        EXPECT_EQ(Count(c, "\nEc "), k.tiles) << k.grid;
        EXPECT_EQ(Count(c, "x1=110 "), k.tiles) << k.grid;
        const std::vector<std::string> frames = Placements(c);
        EXPECT_EQ(std::set<std::string>(frames.begin(), frames.end()).size(), k.tiles) << k.grid << "\n" << c;
        EXPECT_EQ(Count(c, "\nEB"), 1u) << k.grid;
    }
}

TEST(FrameLayout, PosterSheetsCarryCropMarksWhenAsked)
{
    constexpr uint16_t kCropMarks = 1285;
    size_t paths[2] = {};
    for (uint32_t marks : {0u, 1u}) {
        const PrintedJob job = PrintJob(
            {{true}, frame_test::Ending::kEndDoc, {{kPosterBooklet, 1}, {kPosterGrid, 514}, {kCropMarks, marks}}});
        ASSERT_TRUE(job.read) << job.listing.error;
        EXPECT_EQ(Count(job.commands, "\nFB\nED\n"), 4u);
        paths[marks] = Count(job.commands, "\nBA\n");
    }
    // Twelve marks on each of the four sheets.
    EXPECT_EQ(paths[1] - paths[0], 48u);
}

TEST(FrameLayout, ReverseOrderSendsThePosterTilesFromTheLast)
{
    std::vector<std::string> frames[2];
    for (uint32_t reverse : {0u, 1u}) {
        const PrintedJob job = PrintJob(
            {{true}, frame_test::Ending::kEndDoc, {{kPosterBooklet, 1}, {kPosterGrid, 771}, {kReverseOrder, reverse}}});
        ASSERT_TRUE(job.read) << job.listing.error;
        frames[reverse] = Placements(job.commands);
    }
    ASSERT_EQ(frames[0].size(), 9u);
    std::reverse(frames[1].begin(), frames[1].end());
    EXPECT_EQ(frames[0], frames[1]);
}

TEST(FrameLayout, BookletFoldsTwoPagesOntoEachSide)
{
    // Five pages, binding side 1: four sides, pages 3 and 4 on the first, the
    // last side holds page 0 beside an empty half.
    struct Case {
        uint32_t bindingSetting;
        size_t firstLeft, firstRight;  // pages (0-based) of the first side
    } cases[] = {{0, 3, 4}, {1, 4, 3}};
    for (const Case& k : cases) {
        const PrintedJob job = PrintJob({std::vector<bool>(5, true), frame_test::Ending::kEndDoc,
                                         {{kPosterBooklet, 2}, {kBookletBindingSide, k.bindingSetting}}});
        ASSERT_TRUE(job.read) << job.listing.error;
        const std::string& c = job.commands;
        EXPECT_EQ(Count(c, "\nFB\nED\n"), 4u) << c;
        EXPECT_EQ(Count(c, "\nEc "), 4u) << c;
        const std::vector<size_t> at = PageOrder(c, 5);
        for (size_t page = 0; page < 5; ++page) {
            EXPECT_NE(at[page], std::string::npos) << page;
            EXPECT_EQ(Count(c, "x1=" + std::to_string(110 + 10 * page) + " "), 1u) << page << "\n" << c;
        }
        // The first side's pages come first, page 0 last.
        EXPECT_EQ(*std::min_element(at.begin(), at.end()), at[k.firstLeft]) << c;
        EXPECT_LT(at[k.firstLeft], at[k.firstRight]) << c;
        EXPECT_EQ(*std::max_element(at.begin(), at.end()), at[0]) << c;
        // A booklet is printed on both sides, turned over the short edge.
        const std::string trailer = frame_test::Joined(job.listing.trailerLines);
        EXPECT_EQ(Count(trailer, "DUPLEX[TUMBLE]"), 5u) << trailer;
        // Two pages of a side lie in different halves.
        const std::vector<std::string> frames = Placements(c);
        EXPECT_EQ(std::set<std::string>(frames.begin(), frames.end()).size(), 2u) << c;
        EXPECT_EQ(Count(c, "\nEB"), 1u);
    }
}

TEST(FrameLayout, BookletSignaturesAreFoldedOneByOne)
{
    constexpr uint16_t kBookletDivision = 446;
    constexpr uint16_t kSignatureSheets = 323;
    // Ten pages. One signature: six sides, the first with pages 5 and 6.
    // Signatures of one sheet (four pages): 0-3, 4-7, 8-9, two sides each,
    // the first with pages 1 and 2.
    struct Case {
        uint32_t division, sheets;
        size_t firstPage;
        const char* ticket;
    } cases[] = {{0, 0, 5, "NONEDIVIDE"}, {2, 1, 1, "MANUALDIVIDE"}};
    for (const Case& k : cases) {
        const PrintedJob job = PrintJob(
            {std::vector<bool>(10, true), frame_test::Ending::kEndDoc,
             {{kPosterBooklet, 2}, {kBookletDivision, k.division}, {kSignatureSheets, k.sheets}}});
        ASSERT_TRUE(job.read) << job.listing.error;
        const std::string& c = job.commands;
        EXPECT_EQ(Count(c, "\nFB\nED\n"), 6u) << c;
        const std::vector<size_t> at = PageOrder(c, 10);
        EXPECT_EQ(*std::min_element(at.begin(), at.end()), at[k.firstPage]) << k.division << "\n" << c;
        const std::string trailer = frame_test::Joined(job.listing.trailerLines);
        EXPECT_NE(trailer.find(k.ticket), std::string::npos) << trailer;
    }
}

// Cover-sheet data asks for the job to be held in a temporary file for a
// cover-sheet sender, which this system does not have: the job must not
// vanish with the document end answering success. It is printed as usual.
TEST(FrameLayout, CoverSheetDataWithoutSenderStillPrints)
{
    constexpr int kCoverSheetData = 20529;
    constexpr uint16_t kCoverSheet = 1339;
    const auto coverData = [](HDC dc) {
        const char data[] = "cover sheet";
        EXPECT_GT(HostExtEscape(dc, kCoverSheetData, sizeof data, data, 0, nullptr), 0);
    };
    const PrintedJob job = PrintJob({{true, true}, frame_test::Ending::kEndDoc, {{kCoverSheet, 1}}, coverData});
    ASSERT_TRUE(job.read) << job.listing.error;
    EXPECT_EQ(Count(job.commands, "\nFB\nED\n"), 2u) << job.commands;
    EXPECT_EQ(Count(job.commands, "\nEB"), 1u);
    EXPECT_FALSE(job.listing.trailerLines.empty());
}

// A separator first sheet from a source without back faces (the bypass tray)
// is the booklet's cover, a sheet side of its own: five pages fold onto three
// sides instead of four.
TEST(FrameLayout, BookletCoverHasASideOfItsOwn)
{
    constexpr uint32_t kTray1 = 1, kBypassTray = 4, kTray2 = 2;
    struct Case {
        uint32_t coverTray;
        size_t sides;
    } cases[] = {{kTray1, 4}, {kBypassTray, 3}};
    for (const Case& k : cases) {
        const PrintedJob job = PrintJob({std::vector<bool>(5, true), frame_test::Ending::kEndDoc,
                                         {{kPosterBooklet, 2}, {kFidCovers, 1}, {kFidCoverTray, k.coverTray},
                                          {kFidPaperSource, kTray2}}});
        ASSERT_TRUE(job.read) << job.listing.error;
        const std::string& c = job.commands;
        EXPECT_EQ(Count(c, "\nFB\nED\n"), k.sides) << k.coverTray << "\n" << c;
        for (size_t page = 0; page < 5; ++page)
            EXPECT_EQ(Count(c, "x1=" + std::to_string(110 + 10 * page) + " "), 1u) << page << "\n" << c;
    }
}

// A printer that counts a booklet's sheet sides learns the count from the
// header ("@BKTP="), written once the pages are known: five pages fold onto
// four sides, or three with a cover of its own.
TEST(FrameLayout, BookletSideCountInTheHeader)
{
    constexpr uint16_t kBookletDivision = 446, kBookletCount = 465;
    constexpr uint32_t kTray1 = 1, kBypassTray = 4, kTray2 = 2;
    struct Case {
        uint32_t covers, coverTray;
        const char* line;
    } cases[] = {{0, kTray1, "@BKTP=4\""}, {1, kTray1, "@BKTP=4\""}, {1, kBypassTray, "@BKTP=3\""}};
    for (const Case& k : cases) {
        const PrintedJob job = PrintJob({std::vector<bool>(5, true), frame_test::Ending::kEndDoc,
                                         {{kPosterBooklet, 2}, {kBookletDivision, 1}, {kBookletCount, 2},
                                          {kFidCovers, k.covers}, {kFidCoverTray, k.coverTray},
                                          {kFidPaperSource, kTray2}}});
        ASSERT_TRUE(job.read) << job.listing.error;
        const std::string header = frame_test::Joined(job.listing.headerLines);
        EXPECT_EQ(Count(header, k.line), 1u) << k.covers << " " << k.coverTray << "\n" << header;
        EXPECT_EQ(Count(job.commands, "\nEB"), 1u);
    }
}

// A booklet whose head waits for its side count still has its separator
// sheet (covers of setting 332, kind 2, on a stream of 2.0.0) ahead of its
// sides, behind the head.
TEST(FrameLayout, DeferredBookletHeadKeepsItsSeparatorSheet)
{
    constexpr uint16_t kBookletDivision = 446, kBookletCountOn = 1328;
    frame_test::JobPlan plan{std::vector<bool>(5, true), frame_test::Ending::kEndDoc,
                             {{kPosterBooklet, 2}, {kBookletDivision, 1}, {kBookletCountOn, 1}, {kFidCovers, 2},
                              {kFidCoverTray, 1}}};
    plan.driver = &frame_test::SheetsFrameDriver();
    const PrintedJob job = PrintJob(plan);
    ASSERT_TRUE(job.read) << job.listing.error;
    const std::string header = frame_test::Joined(job.listing.headerLines);
    // This model's header has the short form of the line.
    EXPECT_EQ(Count(header, "@BKTP=4\n"), 1u) << header;
    const std::string& c = job.commands;
    // The empty separator side first, then "FC" and the four sides.
    EXPECT_EQ(Count(c, "\nFE variant=17\nED\nFC\n"), 1u) << c;
    EXPECT_LT(c.find("\nFE variant=17"), c.find("x1=")) << c;
    EXPECT_EQ(Count(c, "\nFB\nED\n"), 4u) << c;
}

// A booklet of two pages a side: each half of a sheet side holds two logical
// pages in cells of its own; every page is sent once, in a place of its own
// on its side.
TEST(FrameLayout, BookletWithTwoPagesPerSide)
{
    const PrintedJob job = PrintJob(
        {std::vector<bool>(8, true), frame_test::Ending::kEndDoc, {{kPosterBooklet, 2}, {kFidPagesPerSheet, 2}}});
    ASSERT_TRUE(job.read) << job.listing.error;
    const std::string& c = job.commands;
    // Eight pages, two to a half, four halves: two sides.
    EXPECT_EQ(Count(c, "\nFB\nED\n"), 2u) << c;
    for (size_t page = 0; page < 8; ++page)
        EXPECT_EQ(Count(c, "x1=" + std::to_string(110 + 10 * page) + " "), 1u) << page << "\n" << c;
    // The four pages of a side each in a place of their own.
    const std::vector<std::string> frames = Placements(c);
    ASSERT_EQ(frames.size(), 8u) << c;
    EXPECT_EQ(std::set<std::string>(frames.begin(), frames.begin() + 4).size(), 4u) << c;
    EXPECT_EQ(std::set<std::string>(frames.begin() + 4, frames.end()).size(), 4u) << c;
    // An A4 page in a cell of an A5 half is an A6 page, turned: half the
    // page's size, 72 / 600 points a dot.
    for (const std::string& frame : frames) {
        const std::vector<double> m = MatrixOf(frame);
        ASSERT_EQ(m.size(), 6u) << frame;
        EXPECT_NEAR(std::max(std::abs(m[0]), std::abs(m[1])), 0.5 * 72 / 600, 0.003) << frame;
        EXPECT_NEAR(std::max(std::abs(m[2]), std::abs(m[3])), 0.5 * 72 / 600, 0.003) << frame;
    }
}

// On a printer that leaves collation to the driver, every copy of a booklet
// is folded again and every copy of a poster page tiled again.
TEST(FrameLayout, CollatedCopiesOfBookletsAndPosters)
{
    struct Case {
        const char* name;
        std::vector<frame_test::SettingPair> layout;
        size_t pages, sheetsPerCopy;
    } cases[] = {
        {"booklet", {{kPosterBooklet, 2}}, 5, 4},
        {"poster", {{kPosterBooklet, 1}, {kPosterGrid, 514}}, 2, 8},
    };
    for (const Case& k : cases) {
        for (uint32_t collate : {0u, 1u}) {
            std::vector<frame_test::SettingPair> settings = k.layout;
            settings.insert(settings.end(), {{kFidCopies, 2}, {kFidCollate, collate}});
            frame_test::JobPlan plan{std::vector<bool>(k.pages, true), frame_test::Ending::kEndDoc, settings};
            plan.driver = &frame_test::SheetsFrameDriver();
            const PrintedJob job = PrintJob(plan);
            ASSERT_TRUE(job.read) << k.name << " " << job.listing.error;
            const std::string& c = job.commands;
            const size_t copies = collate ? 2 : 1;
            EXPECT_EQ(Count(c, "\nFB\nED\n"), k.sheetsPerCopy * copies) << k.name << " " << collate << "\n" << c;
            // Copies start a sheet of their own.
            EXPECT_EQ(Count(c, "\nFC\n"), copies - 1) << k.name << " " << collate;
            EXPECT_EQ(Count(c, "\nEB"), 1u) << k.name;
        }
    }
}

// The annotation of a booklet of one page a side is drawn across the whole
// sheet: opening the annotation bracket places the overlay frame at the kept
// offsets ("Aa", then the clip reset "AR"). Without annotation items the
// bracket places nothing.
TEST(FrameLayout, BookletAnnotationIsPlacedAcrossTheSheet)
{
    constexpr int kEscAnnotationBracket = 20488;
    constexpr uint16_t kFirstAnnotationItem = 1296;
    size_t resets[2] = {};
    for (uint32_t items : {0u, 1u}) {
        frame_test::JobPlan plan{{true, true}, frame_test::Ending::kEndDoc,
                                 {{kPosterBooklet, 2}, {kFirstAnnotationItem, items}}};
        plan.driver = &frame_test::SheetsFrameDriver();
        plan.onPage = [](HDC dc, size_t) {
            const uint32_t open = 1, close = 0;
            // Without an answer wanted, the escapes keep their place among the drawing.
            EXPECT_EQ(HostExtEscape(dc, kEscAnnotationBracket, sizeof open, reinterpret_cast<const char*>(&open), 0,
                                    nullptr), 1);
            HDC drawing = printhost::CurrentDrawingDc(dc);
            Rectangle(drawing, 10, 10, 50, 50);
            EXPECT_EQ(HostExtEscape(dc, kEscAnnotationBracket, sizeof close, reinterpret_cast<const char*>(&close), 0,
                                    nullptr), 1);
        };
        const PrintedJob job = PrintJob(plan);
        ASSERT_TRUE(job.read) << job.listing.error;
        resets[items] = Count(job.commands, "\nAR\n");
        EXPECT_EQ(Count(job.commands, "x1=10 "), 2u) << job.commands;
    }
    // One overlay frame on each of the two pages.
    EXPECT_EQ(resets[1], resets[0] + 2);
}

} // namespace

namespace {

// The sheet's media and size (page attributes), as the reader lists them.
std::vector<std::string> MediaLines(const std::string& commands)
{
    std::vector<std::string> out;
    for (size_t at = commands.find("\nEc "); at != std::string::npos; at = commands.find("\nEc ", at + 1))
        out.push_back(commands.substr(at + 1, commands.find('\n', at + 1) - at - 1));
    return out;
}

// The larger of a placement's two scale entries: the page's scale onto its
// sheet in points a dot.
double ScaleOf(const std::string& placement)
{
    const std::vector<double> m = MatrixOf(placement);
    return m.size() == 6 ? std::max(std::abs(m[0]), std::abs(m[1])) : 0.0;
}

} // namespace

// A4 pages two to a side, on their own paper and on an A3 output paper:
// the sheet's media is the output paper, and each page, which fills a cell
// of 0.7 its size on A4, keeps its own size in a cell of half an A3 sheet.
TEST(FrameLayout, PagesAreLaidOntoTheOutputPaper)
{
    constexpr uint32_t kA3 = 8;
    constexpr double kFullSize = 72.0 / 600;
    struct Case {
        size_t pages;
        std::vector<frame_test::SettingPair> settings;
        const char* media;
        double scale;
    } cases[] = {
        {2, {{kFidPagesPerSheet, 2}}, "kind=5", 0.6985 * kFullSize},
        {2, {{kFidPagesPerSheet, 2}, {kFidOutputPaper, kA3}}, "kind=81 width=297 height=420", kFullSize},
        // Landscape pages lie across the halves of the upright sheet.
        {2, {{kFidPagesPerSheet, 2}, {kFidOutputPaper, kA3}, {kFidOrientation, DMORIENT_LANDSCAPE}},
         "kind=81 width=297 height=420", kFullSize},
        // One page to a sheet is scaled up to the A3 paper's printable area.
        {1, {{kFidOutputPaper, kA3}}, "kind=81 width=297 height=420", 4116.0 / 2886 * kFullSize},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.media);
        const size_t pages = k.pages;
        const PrintedJob job = PrintJob({std::vector<bool>(pages, true), frame_test::Ending::kEndDoc, k.settings});
        ASSERT_TRUE(job.read) << job.listing.error;
        const std::string& c = job.commands;
        EXPECT_EQ(Count(c, "\nFB\nED\n"), 1u) << c;
        const std::vector<std::string> media = MediaLines(c);
        ASSERT_EQ(media.size(), 1u) << c;
        EXPECT_NE(media[0].find(k.media), std::string::npos) << media[0];
        const std::vector<std::string> frames = Placements(c);
        ASSERT_EQ(frames.size(), pages) << c;
        EXPECT_EQ(std::set<std::string>(frames.begin(), frames.end()).size(), pages) << c;
        for (const std::string& frame : frames)
            EXPECT_NEAR(ScaleOf(frame), k.scale, 0.002) << frame;
    }
}

// Every placement of a printed job, applied to the corners of the page's
// drawing surface (A4 at 600 dpi, 4.2 mm unprintable at each edge), lands on
// the sheet its "Ec" names: points from the sheet's bottom-left corner, y up.
TEST(FrameLayout, EveryPlacementLandsOnItsSheet)
{
    constexpr uint32_t kA3 = 8;
    constexpr double kDots = 600.0 / 254.0;
    struct Case {
        const char* name;
        std::vector<frame_test::SettingPair> settings;
        bool sheets;  // on the model that leaves booklets to the driver
    } cases[] = {
        {"plain", {}, false},
        {"landscape", {{kFidOrientation, DMORIENT_LANDSCAPE}}, false},
        {"2-up", {{kFidPagesPerSheet, 2}}, false},
        {"4-up landscape", {{kFidPagesPerSheet, 4}, {kFidOrientation, DMORIENT_LANDSCAPE}}, false},
        {"onto A3", {{kFidOutputPaper, kA3}}, false},
        {"booklet", {{kPosterBooklet, 2}}, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        frame_test::JobPlan plan{std::vector<bool>(4, true), frame_test::Ending::kEndDoc, k.settings};
        if (k.sheets)
            plan.driver = &frame_test::SheetsFrameDriver();
        const PrintedJob job = PrintJob(plan);
        ASSERT_TRUE(job.read) << job.listing.error;
        const bool landscape = !k.settings.empty() && std::any_of(k.settings.begin(), k.settings.end(), [](auto p) {
            return p.first == kFidOrientation && p.second == DMORIENT_LANDSCAPE;
        });
        const double across = std::floor((landscape ? 2886 : 2016) * kDots);
        const double down = std::floor((landscape ? 2016 : 2886) * kDots);
        double sheetWidth = 0, sheetHeight = 0;
        size_t placed = 0;
        std::istringstream lines(job.commands);
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("Ec ", 0) == 0) {
                const bool a4 = line.find("kind=5") != std::string::npos;
                const size_t w = line.find("width="), h = line.find("height=");
                ASSERT_TRUE(a4 || (w != std::string::npos && h != std::string::npos)) << line;
                sheetWidth = (a4 ? 210.0 : std::strtod(line.c_str() + w + 6, nullptr)) * 72 / 25.4;
                sheetHeight = (a4 ? 297.0 : std::strtod(line.c_str() + h + 7, nullptr)) * 72 / 25.4;
            } else if (line.rfind("Aa ", 0) == 0) {
                ASSERT_GT(sheetWidth, 0) << "a placement before the sheet's size";
                const std::vector<double> m = MatrixOf(line);
                ASSERT_EQ(m.size(), 6u) << line;
                for (const auto& [x, y] : {std::pair{0.0, 0.0}, {across, 0.0}, {0.0, down}, {across, down}}) {
                    const double u = m[0] * x + m[2] * y + m[4];
                    const double v = m[1] * x + m[3] * y + m[5];
                    EXPECT_TRUE(u >= -0.5 && u <= sheetWidth + 0.5 && v >= -0.5 && v <= sheetHeight + 0.5)
                        << line << ": (" << x << ", " << y << ") lands at (" << u << ", " << v << ") off a sheet of "
                        << sheetWidth << " x " << sheetHeight;
                }
                ++placed;
            }
        }
        EXPECT_GE(placed, 4u) << job.commands;
    }
}

// An output paper that is the document's own, named or as "the same paper",
// prints as the job without one.
TEST(FrameLayout, OutputPaperOfTheDocumentChangesNothing)
{
    constexpr uint32_t kA4 = 9, kSameAsDocument = 267;
    for (uint32_t nup : {1u, 2u}) {
        const PrintedJob plain =
            PrintJob({{true, true}, frame_test::Ending::kEndDoc, {{kFidPagesPerSheet, nup}}});
        ASSERT_TRUE(plain.read) << plain.listing.error;
        for (uint32_t output : {kSameAsDocument, kA4}) {
            SCOPED_TRACE(output);
            const PrintedJob job = PrintJob(
                {{true, true}, frame_test::Ending::kEndDoc, {{kFidPagesPerSheet, nup}, {kFidOutputPaper, output}}});
            ASSERT_TRUE(job.read) << job.listing.error;
            EXPECT_EQ(MediaLines(job.commands), MediaLines(plain.commands));
            EXPECT_EQ(Placements(job.commands), Placements(plain.commands));
            EXPECT_EQ(Count(job.commands, "\nFB\nED\n"), Count(plain.commands, "\nFB\nED\n"));
        }
    }
}

// A booklet folded onto A3: each side is an A3 sheet whose halves are A4,
// so that the A4 pages keep their size.
TEST(FrameLayout, BookletOntoTheOutputPaper)
{
    constexpr uint32_t kA3 = 8;
    std::vector<std::string> frames[2];
    for (uint32_t a3 : {0u, 1u}) {
        std::vector<frame_test::SettingPair> settings = {{kPosterBooklet, 2}};
        if (a3)
            settings.push_back({kFidOutputPaper, kA3});
        const PrintedJob job = PrintJob({std::vector<bool>(4, true), frame_test::Ending::kEndDoc, settings});
        ASSERT_TRUE(job.read) << job.listing.error;
        const std::string& c = job.commands;
        EXPECT_EQ(Count(c, "\nFB\nED\n"), 2u) << c;
        for (const std::string& line : MediaLines(c))
            EXPECT_NE(line.find(a3 ? "kind=81 width=297 height=420" : "kind=5"), std::string::npos) << line;
        frames[a3] = Placements(c);
        ASSERT_EQ(frames[a3].size(), 4u) << c;
    }
    // Half an A3 sheet is an A4 page turned: the pages grow by the ratio of
    // the two papers' sides.
    for (size_t n = 0; n < 4; ++n)
        EXPECT_NEAR(ScaleOf(frames[1][n]) / ScaleOf(frames[0][n]), 1.414, 0.03) << frames[0][n] << " / " << frames[1][n];
}
