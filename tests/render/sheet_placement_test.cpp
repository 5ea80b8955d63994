// Where the sent placements put the page on its sheet. Each matrix that goes
// out as "Aa" takes device coordinates (dots, y down from the printable area's
// top-left corner) to the sheet that "Ec" sizes: points, y up from the sheet's
// bottom-left corner. The corners of the printable area, taken through it,
// must land on the sheet's printable area, in the cell the page belongs to,
// upright or turned as the layout wants and never mirrored.
#include "render/page/booklet_order.h"
#include "render/page/page_geometry.h"
#include "render/page/poster_tiles.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr float kPointTolerance = 0.05f;

struct Paper {
    const char* name;
    int16_t width, height;  // tenths of a millimetre
};
constexpr Paper kPapers[] = {{"A4", 2100, 2970}, {"Letter", 2159, 2794}, {"A5", 1480, 2100}};

struct Resolution {
    uint16_t x, y;
};
constexpr Resolution kResolutions[] = {{300, 300}, {600, 600}, {1200, 1200}};

// Unprintable border at the left and right, and at the top and bottom.
struct Border {
    int16_t across, down;
};
constexpr Border kBorders[] = {{0, 0}, {42, 42}, {50, 50}, {100, 64}};

struct Point {
    float x, y;
};

Point Apply(const PlacementMatrix& m, float x, float y)
{
    return {m.a * x + m.c * y + m.e, m.b * x + m.d * y + m.f};
}

float Points(float tenths) { return tenths * 72.0f / 254.0f; }

// The sheet's printable area in the sheet's own axes.
struct SheetArea {
    float left, bottom, right, top;
};

SheetArea PrintableOnSheet(const PaperFrame& sheet)
{
    const float height = Points(sheet.height);
    const float top = height - Points(sheet.topOffset);
    return {Points(sheet.leftOffset), top - Points(sheet.printableHeight),
            Points(sheet.leftOffset) + Points(sheet.printableWidth), top};
}

// The device surface of the page: its printable area in the page's orientation.
Point DeviceSize(const PageGeometry& g)
{
    const float across = g.landscape ? g.page.printableHeight : g.page.printableWidth;
    const float down = g.landscape ? g.page.printableWidth : g.page.printableHeight;
    return {TenthsToDots(across, g.resolutionX), TenthsToDots(down, g.resolutionY)};
}

// A frame that maps the device surface's corners onto the printable area's:
// device (0, 0) at its top left, the far corner at its bottom right.
void ExpectSurfaceOnPrintableArea(const PlacementMatrix& m, const Point& device, const SheetArea& area)
{
    const Point topLeft = Apply(m, 0, 0);
    const Point bottomRight = Apply(m, device.x, device.y);
    EXPECT_NEAR(topLeft.x, area.left, kPointTolerance);
    EXPECT_NEAR(topLeft.y, area.top, kPointTolerance);
    EXPECT_NEAR(bottomRight.x, area.right, kPointTolerance);
    EXPECT_NEAR(bottomRight.y, area.bottom, kPointTolerance);
}

struct Box {
    float left, bottom, right, top;
};

Box CornersOnSheet(const PlacementMatrix& m, Point device)
{
    Box b = {1e9f, 1e9f, -1e9f, -1e9f};
    for (const Point c : {Point{0, 0}, Point{device.x, 0}, Point{0, device.y}, Point{device.x, device.y}}) {
        const Point p = Apply(m, c.x, c.y);
        b.left = std::min(b.left, p.x);
        b.right = std::max(b.right, p.x);
        b.bottom = std::min(b.bottom, p.y);
        b.top = std::max(b.top, p.y);
    }
    return b;
}

PageGeometry GeometryOf(const Paper& paper, Resolution r, Border border, int32_t orientation, int32_t pagesPerSide,
                        int32_t order)
{
    PageGeometrySettings s = {};
    s.orientation = orientation;
    s.duplex = 1;
    s.zoomPercent = 100;
    s.pagesPerSide = pagesPerSide;
    s.nupOrder = order;
    s.resolutionX = r.x;
    s.resolutionY = r.y;
    PageGeometry g = {};
    FillPaperFrame(&g.page, 9, paper.width, paper.height, static_cast<int16_t>(paper.width - 2 * border.across),
                   static_cast<int16_t>(paper.height - 2 * border.down), border.across == 0 && border.down == 0,
                   nullptr);
    g.sheet = g.page;
    EXPECT_EQ(FillPageGeometry(&g, s), 0);
    return g;
}

// A page is turned on its sheet when its orientation and the shape of its cell
// differ: a landscape page alone or four to a sheet, a portrait page two or
// eight to a sheet. A turned page has its top at the sheet's left edge.
bool TurnedOnSheet(uint32_t landscape, int32_t pagesPerSide)
{
    const bool halvedCells = pagesPerSide == 2 || pagesPerSide == 8 || pagesPerSide == 32;
    return (landscape != 0) != halvedCells;
}

TEST(SentPlacement, PrintableCornersLandInTheirCellsOnTheSheet)
{
    for (const Paper& paper : kPapers)
        for (Resolution r : kResolutions)
            for (Border border : kBorders)
                for (int32_t orientation : {1, 2})
                    for (int32_t n : {1, 2, 4, 8, 16}) {
                        const PageGeometry g = GeometryOf(paper, r, border, orientation, n, 3);
                        const SheetArea area = PrintableOnSheet(g.sheet);
                        // The cells divide the printable area as the sheet shows it.
                        const int32_t columns = g.columns;
                        const int32_t rows = g.rows;
                        const float cellWidth = (area.right - area.left) / static_cast<float>(columns);
                        const float cellHeight = (area.top - area.bottom) / static_cast<float>(rows);
                        std::set<std::pair<int32_t, int32_t>> taken;
                        for (int32_t slot = 0; slot < n; ++slot) {
                            SCOPED_TRACE(testing::Message()
                                         << paper.name << " " << r.x << "x" << r.y << " dpi, border " << border.across
                                         << "/" << border.down << ", orientation " << orientation << ", " << n
                                         << "-up slot " << slot);
                            PlacementMatrix m;
                            ASSERT_EQ(BuildPageFrameRecord(nullptr, &m, &g, slot, 0), 0);
                            const Box b = CornersOnSheet(m, DeviceSize(g));
                            EXPECT_GE(b.left, area.left - kPointTolerance);
                            EXPECT_LE(b.right, area.right + kPointTolerance);
                            EXPECT_GE(b.bottom, area.bottom - kPointTolerance);
                            EXPECT_LE(b.top, area.top + kPointTolerance);

                            // Inside one cell, filling it along one side at least.
                            const float midX = (b.left + b.right) / 2.0f;
                            const float midY = (b.bottom + b.top) / 2.0f;
                            const auto column = static_cast<int32_t>((midX - area.left) / cellWidth);
                            const auto rowFromTop = static_cast<int32_t>((area.top - midY) / cellHeight);
                            ASSERT_TRUE(column >= 0 && column < columns && rowFromTop >= 0 && rowFromTop < rows);
                            const float cellLeft = area.left + static_cast<float>(column) * cellWidth;
                            const float cellTop = area.top - static_cast<float>(rowFromTop) * cellHeight;
                            EXPECT_GE(b.left, cellLeft - kPointTolerance);
                            EXPECT_LE(b.right, cellLeft + cellWidth + kPointTolerance);
                            EXPECT_LE(b.top, cellTop + kPointTolerance);
                            EXPECT_GE(b.bottom, cellTop - cellHeight - kPointTolerance);
                            const float fill = std::max((b.right - b.left) / cellWidth, (b.top - b.bottom) / cellHeight);
                            EXPECT_NEAR(fill, 1.0f, 1e-3f);
                            EXPECT_TRUE(taken.insert({column, rowFromTop}).second) << "a cell taken twice";

                            // Device y runs down and the sheet's up: a page that is not
                            // mirrored turns the handedness over.
                            EXPECT_LT(m.a * m.d - m.b * m.c, 0.0f);
                            // The page's top: up the sheet, or at its left edge when turned.
                            const Point up = {-m.c, -m.d};  // device (0, -1)
                            if (TurnedOnSheet(g.landscape, n)) {
                                EXPECT_LT(up.x, 0.0f);
                                EXPECT_NEAR(up.y, 0.0f, 1e-6f);
                            } else {
                                EXPECT_GT(up.y, 0.0f);
                                EXPECT_NEAR(up.x, 0.0f, 1e-6f);
                            }
                            // Upright cells fill from the top-left corner, row by row.
                            if (!TurnedOnSheet(g.landscape, n)) {
                                EXPECT_EQ(column, slot % columns);
                                EXPECT_EQ(rowFromTop, slot / columns);
                            }
                        }
                    }
}

// A plain page fills the sheet's printable area exactly: its top-left corner
// at (left offset, sheet height - top offset).
TEST(SentPlacement, PlainPageCornersAreTheSheetsPrintableCorners)
{
    for (const Paper& paper : kPapers)
        for (Resolution r : kResolutions)
            for (Border border : kBorders) {
                SCOPED_TRACE(testing::Message() << paper.name << " " << r.x << " dpi, border " << border.across);
                const PageGeometry g = GeometryOf(paper, r, border, 1, 1, 0);
                const SheetArea area = PrintableOnSheet(g.sheet);
                PlacementMatrix m;
                ASSERT_EQ(BuildPageFrameRecord(nullptr, &m, &g, 0, 0), 0);
                ExpectSurfaceOnPrintableArea(m, DeviceSize(g), area);
            }
}

// The sheet's own frame (crop marks) and the whole-sheet overlay frame lie on
// the sheet as a plain page does, whatever the N-up layout of the pages.
TEST(SentPlacement, SheetAndOverlayFramesLandOnTheSheet)
{
    for (int32_t n : {1, 4})
        for (uint32_t overlayPass : {0u, 1u}) {
            SCOPED_TRACE(testing::Message() << n << "-up, overlay pass " << overlayPass);
            PageGeometry g = GeometryOf(kPapers[0], {600, 600}, {50, 50}, 1, n, 0);
            const SheetArea area = PrintableOnSheet(g.sheet);
            PageFrameState state = {};
            state.wholeSheetDrawing = state.overlayPass = overlayPass;
            const PageFrameJob job = {&g, &state, 0};
            const Point device = DeviceSize(g);
            PlacementMatrix frames[2];
            ASSERT_EQ(BuildShiftedFrameRecord(&job, &frames[0], 0, 0, 0), 0);
            ASSERT_EQ(BuildOverlayFrameRecord(&job, &frames[1], 0, 0, 0), 0);
            for (const PlacementMatrix& m : frames)
                ExpectSurfaceOnPrintableArea(m, device, area);
        }
}

// A booklet side holds two pages turned across the upright sheet, one to each
// half of its length; binding on the other side turns them half round.
TEST(SentPlacement, BookletHalvesLandOnTheirHalvesOfTheSheet)
{
    for (Resolution r : kResolutions)
        for (Border border : kBorders)
            for (int32_t binding : {0, 1})
                for (int32_t n : {1, 2}) {
                    SCOPED_TRACE(testing::Message() << r.x << " dpi, border " << border.across << ", binding "
                                                    << binding << ", " << n << " a half");
                    PageGeometrySettings s = {};
                    s.orientation = 1;
                    s.duplex = 1;
                    s.zoomPercent = 100;
                    s.pagesPerSide = n;
                    s.resolutionX = r.x;
                    s.resolutionY = r.y;
                    s.booklet = 1;
                    s.bookletBinding = binding;
                    PageGeometry g = {};
                    FillPaperFrame(&g.page, 9, 2100, 2970, static_cast<int16_t>(2100 - 2 * border.across),
                                   static_cast<int16_t>(2970 - 2 * border.down), border.across == 0, nullptr);
                    g.sheet = g.page;
                    ASSERT_EQ(FillPageGeometry(&g, s), 0);
                    const SheetArea area = PrintableOnSheet(g.sheet);
                    const float middle = (area.bottom + area.top) / 2.0f;
                    bool upper[2] = {};
                    for (uint32_t farHalf : {0u, 1u}) {
                        PageFrameState state = {};
                        const BookletSideRecord half = {&g, &state, farHalf};
                        PlacementMatrix side;
                        ASSERT_EQ(BuildBookletSideMatrix(&side, &half), 0);
                        PlacementMatrix m = side;
                        if (n > 1) {
                            // A page of the half: its own matrix onto the half's page frame,
                            // carried by the half's matrix, then measured in points.
                            PlacementMatrix cell;
                            ASSERT_EQ(BuildPageFrameRecord(&state, &cell, &g, 0, 0), 0);
                            m = ComposePlacement(ComposePlacement(cell, side), DotsToPoints(r.x, r.y));
                        }
                        const Box b = CornersOnSheet(m, DeviceSize(g));
                        EXPECT_GE(b.left, area.left - kPointTolerance);
                        EXPECT_LE(b.right, area.right + kPointTolerance);
                        EXPECT_GE(b.bottom, area.bottom - kPointTolerance);
                        EXPECT_LE(b.top, area.top + kPointTolerance);
                        upper[farHalf] = b.bottom >= middle - kPointTolerance;
                        EXPECT_TRUE(upper[farHalf] || b.top <= middle + kPointTolerance) << "across the fold";
                        EXPECT_LT(m.a * m.d - m.b * m.c, 0.0f) << "mirrored";
                        // One page a half is turned: its top at the sheet's left, or its
                        // right when bound on the other side.
                        if (n == 1) {
                            EXPECT_NEAR(m.d, 0.0f, 1e-6f);
                            EXPECT_EQ(-m.c < 0.0f, binding == 0);
                        }
                    }
                    EXPECT_NE(upper[0], upper[1]) << "both pages on one half";
                }
}

// A poster lays the page over a grid of sheets: every point of the page's
// printable area lands on the printable area of exactly one tile's sheet.
TEST(SentPlacement, PosterTilesShareThePageOut)
{
    struct Grid {
        int16_t columns, rows;
    };
    for (Grid grid : {Grid{2, 1}, Grid{2, 2}, Grid{3, 3}, Grid{1, 3}})
        for (int32_t orientation : {1, 2}) {
            SCOPED_TRACE(testing::Message() << grid.columns << "x" << grid.rows << " poster, orientation "
                                            << orientation);
            PageGeometrySettings s = {};
            s.orientation = orientation;
            s.duplex = 1;
            s.zoomPercent = 100;
            s.pagesPerSide = 1;
            s.resolutionX = s.resolutionY = 600;
            s.poster = 1;
            s.posterColumns = grid.columns;
            s.posterRows = grid.rows;
            PageGeometry g = {};
            FillPaperFrame(&g.page, 9, 2100, 2970, 2016, 2886, false, nullptr);
            g.sheet = g.page;
            ASSERT_EQ(FillPageGeometry(&g, s), 0);
            PosterTileRecord record = {};
            ASSERT_EQ(ComputeLogicalPageFrame(nullptr, &g, &record), 0);
            const int32_t tiles = int32_t{grid.columns} * grid.rows;
            std::vector<PlacementMatrix> placed(static_cast<size_t>(tiles));
            for (int32_t n = 0; n < tiles; ++n)
                ASSERT_EQ(PlaceInCell(&record, n, &placed[static_cast<size_t>(n)]), 0) << "tile " << n;
            const SheetArea area = PrintableOnSheet(g.sheet);
            const Point device = DeviceSize(g);
            // A grid of points over the page, each just inside its own small square.
            for (int i = 0; i < 8; ++i)
                for (int j = 0; j < 8; ++j) {
                    const float x = device.x * (static_cast<float>(i) + 0.37f) / 8.0f;
                    const float y = device.y * (static_cast<float>(j) + 0.61f) / 8.0f;
                    int on = 0;
                    for (const PlacementMatrix& m : placed) {
                        const Point p = Apply(m, x, y);
                        if (p.x > area.left && p.x < area.right && p.y > area.bottom && p.y < area.top)
                            ++on;
                    }
                    EXPECT_EQ(on, 1) << "device point " << x << ", " << y;
                }
        }
}

}  // namespace
