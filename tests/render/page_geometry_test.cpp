// Page geometry: the settings fill, the N-up cell orders, where each page of
// a sheet lands, the refusals, and the frames of shifted pages and overlays.
#include "render/page/page_geometry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace {

constexpr float kTolerance = 0.01f;

PageGeometrySettings PlainSettings()
{
    PageGeometrySettings s = {};
    s.orientation = 1;
    s.duplex = 1;
    s.zoomPercent = 100;
    s.pagesPerSide = 1;
    s.resolutionX = s.resolutionY = 600;
    return s;
}

// A4 on A4 with 5 mm unprintable at each edge.
PageGeometry A4Geometry(const PageGeometrySettings& s)
{
    PageGeometry g = {};
    FillPaperFrame(&g.page, 9, 2100, 2970, 2000, 2870, false, nullptr);
    FillPaperFrame(&g.sheet, 9, 2100, 2970, 2000, 2870, false, nullptr);
    EXPECT_EQ(FillPageGeometry(&g, s), 0);
    return g;
}

struct Point {
    float x, y;
};

Point Apply(const PlacementMatrix& m, float x, float y)
{
    return {m.a * x + m.c * y + m.e, m.b * x + m.d * y + m.f};
}

TEST(PageGeometryFill, ZoomAndPagesPerSideBounds)
{
    struct Case {
        int32_t zoom;
        int32_t pagesPerSide;
        int expected;
    };
    const Case cases[] = {
        {24, 1, -1}, {25, 1, 0}, {400, 1, 0}, {401, 1, -1},
        {100, 3, -1}, {100, 64, -1}, {100, 0, -1}, {100, 32, 0},
    };
    for (const Case& c : cases) {
        PageGeometrySettings s = PlainSettings();
        s.fixedZoom = 1;
        s.zoomPercent = c.zoom;
        s.pagesPerSide = c.pagesPerSide;
        PageGeometry g = {};
        g.zoomPercent = 77;
        EXPECT_EQ(FillPageGeometry(&g, s), c.expected) << c.zoom << " " << c.pagesPerSide;
        if (c.expected != 0) {
            EXPECT_EQ(g.zoomPercent, 77) << "a refused fill changes nothing";
        }
    }
}

TEST(PageGeometryFill, GridsFoldsAndJobKinds)
{
    struct Grid {
        int32_t n;
        int16_t columns, rows;
        uint32_t rotatedPortrait, rotatedLandscape;
    };
    const Grid grids[] = {
        {1, 1, 1, 0, 1}, {2, 1, 2, 1, 0}, {4, 2, 2, 0, 1}, {8, 2, 4, 1, 0}, {16, 4, 4, 0, 1}, {32, 4, 8, 1, 0},
    };
    for (const Grid& grid : grids) {
        for (int32_t sheetOrientation : {1, 2}) {
            PageGeometrySettings s = PlainSettings();
            s.pagesPerSide = grid.n;
            s.sheetOrientation = sheetOrientation;
            s.fixedZoom = 1;
            s.zoomPercent = 50;
            PageGeometry g = A4Geometry(s);
            EXPECT_EQ(g.columns, grid.columns);
            EXPECT_EQ(g.rows, grid.rows);
            EXPECT_EQ(g.sheetLandscape, sheetOrientation == 2 ? 1u : 0u);
            EXPECT_EQ(g.rotatedCells, sheetOrientation == 2 ? grid.rotatedLandscape : grid.rotatedPortrait);
            // Zoom is for one page per side only.
            EXPECT_EQ(g.zoomPercent, grid.n == 1 ? 50 : 100);
        }
    }

    const std::array<std::pair<int32_t, uint32_t>, 10> folds = {{
        {0, kBindNone}, {1, kBindLeft}, {3, kBindLeft}, {2, kBindRight}, {7, kBindRight},
        {4, kBindTop}, {8, kBindTop}, {5, kBindBottom}, {6, kBindBottom}, {9, kBindNone},
    }};
    for (auto [setting, edge] : folds) {
        PageGeometrySettings s = PlainSettings();
        s.bindingEdge = setting;
        s.frontGutter = 100;
        PageGeometry g = A4Geometry(s);
        EXPECT_EQ(g.bindingEdge, edge) << setting;
        EXPECT_EQ(g.frontGutter, edge ? 100 : 0);
    }

    PageGeometrySettings s = PlainSettings();
    s.duplex = 3;
    EXPECT_EQ(A4Geometry(s).duplex, kDuplexShortEdge);
    s.duplex = 2;
    EXPECT_EQ(A4Geometry(s).duplex, kDuplexLongEdge);
    s.booklet = 1;
    s.pagesPerSide = 2;
    PageGeometry booklet = A4Geometry(s);
    EXPECT_EQ(booklet.duplex, kDuplexNone);
    EXPECT_EQ(booklet.bookletLayout, 1u);
    EXPECT_EQ(booklet.bookletBinding, 1u);
    s.bookletBinding = 2;
    PageGeometry untouched = {};
    EXPECT_EQ(FillPageGeometry(&untouched, s), -1);

    PageGeometrySettings poster = PlainSettings();
    poster.poster = 1;
    poster.pagesPerSide = 4;
    poster.nupOrder = 5;
    poster.alignment = 2;
    poster.posterColumns = 3;
    poster.posterRows = 3;
    PageGeometry p = A4Geometry(poster);
    EXPECT_EQ(p.pagesPerSide, 1);
    EXPECT_EQ(p.nupOrder, 0);
    EXPECT_EQ(p.alignment, 0u);
    EXPECT_EQ(p.posterColumns, 3);
}

TEST(PaperFrame, OffsetsMarginsAndEdgeToEdge)
{
    PaperFrame f = {};
    FillPaperFrame(&f, 9, 2100, 2970, 2001, 2870, false, nullptr);
    EXPECT_EQ(f.leftOffset, 50);  // (2100 - 2001 + 1) / 2
    EXPECT_EQ(f.topOffset, 50);
    EXPECT_EQ(f.leftMargin, 50);
    EXPECT_EQ(f.bottomMargin, 50);

    const PaperMargins fits = {100, 200, 300, 400};
    FillPaperFrame(&f, 9, 2100, 2970, 2000, 2870, false, &fits);
    EXPECT_EQ(f.rightMargin, 200);
    EXPECT_EQ(f.bottomMargin, 400);

    // Margins that meet across the paper leave the centred ones.
    const PaperMargins wide = {1000, 1100, 0, 0};
    FillPaperFrame(&f, 9, 2100, 2970, 2000, 2870, false, &wide);
    EXPECT_EQ(f.leftMargin, 50);
    EXPECT_EQ(f.rightMargin, 50);

    FillPaperFrame(&f, 9, 2100, 2970, 2000, 2870, true, nullptr);
    EXPECT_EQ(f.leftOffset, 0);
    EXPECT_EQ(f.printableWidth, 2100);
    EXPECT_EQ(f.printableHeight, 2970);

    EXPECT_EQ(FormSizeToTenths(210 * 18432 * 10 / 254), 2100);  // 210 mm in 1/18432 inch
    EXPECT_EQ(FormSizeToTenths(18432), 254);
}

TEST(PageGeometryUnits, DeviceUnits)
{
    PageGeometry g = {};
    g.resolutionX = 600;
    g.resolutionY = 300;
    EXPECT_FLOAT_EQ(ConvertUnitsToDeviceFloat(&g, 254.0f, 1), 600.0f);
    EXPECT_FLOAT_EQ(ConvertUnitsToDeviceFloat(&g, 254.0f, 0), 300.0f);
    EXPECT_EQ(ConvertUnitsToDeviceInt(&g, 2100.0f, 1), 4960);
    EXPECT_EQ(ConvertUnitsToDeviceInt(nullptr, 2100.0f, 1), 0);
    float out = -5.0f;
    g.resolutionY = 0;
    ConvertUnitsToDevice(&g, 254.0f, 0, &out);
    EXPECT_EQ(out, -5.0f);
}

// The cell order state of each N (rows), cells along or across the sheet, for
// orders 0 to 6 (one digit each).
TEST(NupCells, OrderStates)
{
    struct Row {
        uint32_t n;
        uint32_t rotated;
        const char* states;
    };
    const Row rows[] = {
        {1, 0, "4444444"}, {1, 1, "4444444"},
        {2, 0, "1515511"}, {2, 1, "5151155"},
        {4, 0, "4444567"}, {4, 1, "1111054"},
        {8, 0, "4444567"}, {8, 1, "1111054"},
        {16, 0, "4444567"}, {16, 1, "1111054"},
        {32, 0, "4444567"}, {32, 1, "1111054"},
    };
    for (const Row& r : rows)
        for (int32_t order = 0; order <= 6; ++order)
            EXPECT_EQ(CellOrderState(r.n, order, r.rotated), r.states[order] - '0')
                << "N " << r.n << " rotated " << r.rotated << " order " << order;
    // 16-up across the sheet in order 5: columns first, rows from the far edge.
    EXPECT_EQ(CellOrderState(16, 5, 1), 5);
}

TEST(NupCells, CellsOfEachStateOnTwoByFour)
{
    // Cells 0 to 7 of a grid of 2 columns and 4 rows as column,row pairs.
    const std::array<const char*, 8> expected = {
        "00 10 01 11 02 12 03 13",
        "00 01 02 03 10 11 12 13",
        "10 00 11 01 12 02 13 03",
        "10 11 12 13 00 01 02 03",
        "03 13 02 12 01 11 00 10",
        "03 02 01 00 13 12 11 10",
        "13 03 12 02 11 01 10 00",
        "13 12 11 10 03 02 01 00",
    };
    for (int state = 0; state < 8; ++state) {
        std::string got;
        for (int32_t u = 0; u < 8; ++u) {
            int32_t i = -1, j = -1;
            CellOfState(state, u, 2, 4, &i, &j);
            got += (u ? " " : "") + std::to_string(i) + std::to_string(j);
        }
        EXPECT_EQ(got, expected[state]) << "state " << state;
    }
}

TEST(Placement, OnePagePortraitIsATranslationOntoTheSheet)
{
    PageGeometry g = A4Geometry(PlainSettings());
    PlacementInput in;
    ASSERT_EQ(ComputeSheetLayout(nullptr, &in, &g), 0);
    PlacementMatrix m;
    PlacementRect cell;
    ASSERT_EQ(ComputePagePlacement(&m, &in, 1, 1, &cell), 0);
    EXPECT_NEAR(m.a, 1.0f, 1e-6);
    EXPECT_NEAR(m.b, 0.0f, 1e-6);
    EXPECT_NEAR(m.c, 0.0f, 1e-6);
    EXPECT_NEAR(m.d, 1.0f, 1e-6);
    EXPECT_NEAR(m.e, 0.0f, kTolerance);
    EXPECT_NEAR(m.f, 0.0f, kTolerance);

    // Explicit margins move the page by their difference from the offsets.
    const PaperMargins margins = {100, 50, 80, 50};
    FillPaperFrame(&g.page, 9, 2100, 2970, 2000, 2870, false, &margins);
    ASSERT_EQ(ComputeSheetLayout(nullptr, &in, &g), 0);
    ASSERT_EQ(ComputePagePlacement(&m, &in, 1, 1, nullptr), 0);
    EXPECT_NEAR(m.e, 50.0f * 600 / 254, kTolerance);
    EXPECT_NEAR(m.f, -30.0f * 600 / 254, kTolerance);
}

// The sent placement of a plain A4 page at 600 dpi with 4.2 mm unprintable at
// each edge: device y runs down from the printable top edge, the sheet's y up
// from its foot, so the printable corner lands at (11.9, 842 - 11.9).
TEST(SentPlacement, PlainPageOntoItsSheet)
{
    PageGeometry g = {};
    FillPaperFrame(&g.page, 9, 2100, 2970, 2016, 2886, false, nullptr);
    g.sheet = g.page;
    ASSERT_EQ(FillPageGeometry(&g, PlainSettings()), 0);
    PlacementMatrix m;
    ASSERT_EQ(BuildPageFrameRecord(nullptr, &m, &g, 0, 0), 0);
    EXPECT_NEAR(m.a, 0.12f, 1e-6);
    EXPECT_NEAR(m.b, 0.0f, 1e-6);
    EXPECT_NEAR(m.c, 0.0f, 1e-6);
    EXPECT_NEAR(m.d, -0.12f, 1e-6);
    EXPECT_NEAR(m.e, 11.906f, 0.01f);
    EXPECT_NEAR(m.f, 829.98f, 0.01f);
}

// Every page of every N-up layout, page and sheet in either orientation and
// in every order, lands inside its own cell, and the cells of one side are
// all different.
TEST(Placement, EveryPageLandsInItsOwnCell)
{
    for (int32_t n : {1, 2, 4, 8, 16, 32})
        for (int32_t orientation : {1, 2})
            for (int32_t sheetOrientation : {1, 2})
                for (int32_t order = 0; order <= 6; ++order) {
                    PageGeometrySettings s = PlainSettings();
                    s.orientation = orientation;
                    s.sheetOrientation = sheetOrientation;
                    s.pagesPerSide = n;
                    s.nupOrder = order;
                    PageGeometry g = A4Geometry(s);
                    PlacementInput in;
                    ASSERT_EQ(ComputeSheetLayout(nullptr, &in, &g), 0);
                    std::array<PlacementRect, 32> cells;
                    for (int32_t slot = 1; slot <= n; ++slot) {
                        SCOPED_TRACE(testing::Message() << "N " << n << " page " << orientation << " sheet "
                                                        << sheetOrientation << " order " << order << " slot " << slot);
                        PlacementMatrix m;
                        PlacementRect& cell = cells[slot - 1];
                        ASSERT_EQ(ComputePagePlacement(&m, &in, slot, 1, &cell), 0);
                        // The cell comes out with y down from the sheet's top; the
                        // layout's own y runs up from its foot.
                        const float top = in.outputHeight - cell.top;
                        const float bottom = in.outputHeight - cell.bottom;
                        const float corners[4][2] = {{in.printLeft, in.printTop}, {in.printRight, in.printTop},
                                                     {in.printLeft, in.printBottom}, {in.printRight, in.printBottom}};
                        float fillX = 0.0f, fillY = 0.0f;
                        float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
                        for (const auto& c : corners) {
                            const Point p = Apply(m, c[0], c[1]);
                            minX = std::min(minX, p.x);
                            maxX = std::max(maxX, p.x);
                            minY = std::min(minY, p.y);
                            maxY = std::max(maxY, p.y);
                        }
                        EXPECT_GE(minX, cell.left - kTolerance);
                        EXPECT_LE(maxX, cell.right + kTolerance);
                        EXPECT_GE(minY, top - kTolerance);
                        EXPECT_LE(maxY, bottom + kTolerance);
                        // The fit fills the cell along one side at least.
                        fillX = (maxX - minX) / (cell.right - cell.left);
                        fillY = (maxY - minY) / (bottom - top);
                        EXPECT_NEAR(std::max(fillX, fillY), 1.0f, 1e-3);
                        for (int32_t other = 1; other < slot; ++other)
                            EXPECT_FALSE(cells[other - 1].left == cell.left && cells[other - 1].top == cell.top)
                                << "slot " << other << " has the same cell";
                    }
                }
}

TEST(Placement, FourUpOrdersFillTheCellsInTurn)
{
    // Cells as (column, row up from the sheet's foot, in the layout's axes)
    // for slots 1 to 4: the first page lies at the top left.
    struct Case {
        int32_t order;
        const char* cells;
    };
    const Case cases[] = {
        {3, "01 11 00 10"},
        {4, "01 00 11 10"},
        {5, "11 01 10 00"},
        {6, "11 10 01 00"},
    };
    for (const Case& c : cases) {
        PageGeometrySettings s = PlainSettings();
        s.pagesPerSide = 4;
        s.nupOrder = c.order;
        PageGeometry g = A4Geometry(s);
        PlacementInput in;
        ASSERT_EQ(ComputeSheetLayout(nullptr, &in, &g), 0);
        const float midX = (in.targetLeft + in.targetRight) / 2.0f;
        const float midY = (in.targetTop + in.targetBottom) / 2.0f;
        std::string got;
        for (int32_t slot = 1; slot <= 4; ++slot) {
            PlacementRect cell;
            PlacementMatrix m;
            ASSERT_EQ(ComputePagePlacement(&m, &in, slot, 1, &cell), 0);
            const float top = in.outputHeight - cell.top;
            got += std::string(slot > 1 ? " " : "") + (cell.left < midX ? "0" : "1") + (top < midY ? "0" : "1");
        }
        EXPECT_EQ(got, c.cells) << "order " << c.order;
    }
}

TEST(Placement, BackFaceMirrorsGutterAndAlignment)
{
    PageGeometrySettings s = PlainSettings();
    s.duplex = 2;  // long edge
    s.bindingEdge = 1;
    s.frontGutter = 200;
    s.backGutter = 200;
    PageGeometry g = A4Geometry(s);
    PlacementInput in;
    ASSERT_EQ(ComputeSheetLayout(nullptr, &in, &g), 0);
    PlacementRect front, back;
    PlacementMatrix m;
    ASSERT_EQ(ComputePagePlacement(&m, &in, 1, 1, &front), 0);
    ASSERT_EQ(ComputePagePlacement(&m, &in, 1, 2, &back), 0);
    const float gutter = 200.0f * 600 / 254;
    EXPECT_NEAR(front.left, gutter, kTolerance);
    EXPECT_NEAR(in.outputWidth - back.right, gutter, kTolerance);
    // Moved, not shrunk, without the fit flag.
    EXPECT_NEAR(front.right - front.left, in.targetRight - in.targetLeft, kTolerance);

    s.fit = 1;
    g = A4Geometry(s);
    ASSERT_EQ(ComputeSheetLayout(nullptr, &in, &g), 0);
    ASSERT_EQ(ComputePagePlacement(&m, &in, 1, 1, &front), 0);
    EXPECT_NEAR(front.right, in.targetRight, kTolerance);
}

// Where a half-size page sits in its cell for each alignment code: the edges
// of the cell it touches ("l" left, "r" right, "t" top, "b" bottom, "c" centred).
TEST(Placement, AlignmentCodesOnBothFaces)
{
    struct Case {
        int32_t sheetOrientation;
        int side;
        const char* edges;  // codes 0 to 4
    };
    const Case cases[] = {
        {1, 1, "lb rb rt lt c"},
        {1, 2, "rb lb lt rt c"},  // long-edge back face: 0 with 1, 2 with 3
        {2, 1, "lt lb rb rt c"},  // cells across the sheet
        {2, 2, "rt rb lb lt c"},
    };
    for (const Case& c : cases) {
        std::string got;
        for (int32_t code = 0; code <= 4; ++code) {
            PageGeometrySettings s = PlainSettings();
            s.sheetOrientation = c.sheetOrientation;
            s.fixedZoom = 1;
            s.zoomPercent = 50;
            s.duplex = 2;
            s.alignment = code;
            PageGeometry g = A4Geometry(s);
            PlacementInput in;
            ASSERT_EQ(ComputeSheetLayout(nullptr, &in, &g), 0);
            PlacementMatrix m;
            PlacementRect cell;
            ASSERT_EQ(ComputePagePlacement(&m, &in, 1, c.side, &cell), 0);
            const float top = in.outputHeight - cell.top;
            const float bottom = in.outputHeight - cell.bottom;
            const Point a = Apply(m, in.printLeft, in.printTop);
            const Point b = Apply(m, in.printRight, in.printBottom);
            const float minX = std::min(a.x, b.x), maxX = std::max(a.x, b.x);
            const float minY = std::min(a.y, b.y), maxY = std::max(a.y, b.y);
            const auto near = [](float u, float v) { return std::fabs(u - v) < 0.05f; };
            std::string edges;
            if (near(minX - cell.left, cell.right - maxX) && near(minY - top, bottom - maxY))
                edges = "c";
            else
                edges = std::string(near(minX, cell.left) ? "l" : near(maxX, cell.right) ? "r" : "?") +
                        (near(minY, top) ? "t" : near(maxY, bottom) ? "b" : "?");
            got += (code ? " " : "") + edges;
        }
        EXPECT_EQ(got, c.edges) << "sheet " << c.sheetOrientation << " side " << c.side;
    }
}

TEST(Placement, RotateHalfRoundByKind)
{
    struct Case {
        int rotate;
        uint32_t landscape;
        bool wanted;
    };
    const Case cases[] = {
        {0, 0, false}, {0, 1, false}, {1, 0, false}, {1, 1, true},
        {2, 0, true},  {2, 1, false}, {3, 0, true},  {3, 1, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsRotate180Wanted(c.rotate, c.landscape), c.wanted);
        PageGeometrySettings s = PlainSettings();
        s.rotate180 = c.rotate;
        s.orientation = c.landscape ? 2 : 1;
        s.sheetOrientation = s.orientation;
        PageGeometry g = A4Geometry(s);
        PlacementMatrix m;
        ASSERT_EQ(BuildPageFrameRecord(nullptr, &m, &g, 0, 0), 0);
        s.rotate180 = 0;
        PageGeometry upright = A4Geometry(s);
        PlacementMatrix m0;
        ASSERT_EQ(BuildPageFrameRecord(nullptr, &m0, &upright, 0, 0), 0);
        // Half a turn negates the linear part and nothing else of it.
        const bool turned = m.a == -m0.a && m.b == -m0.b && m.c == -m0.c && m.d == -m0.d;
        const bool same = m.a == m0.a && m.b == m0.b && m.c == m0.c && m.d == m0.d;
        EXPECT_EQ(turned, c.wanted) << c.rotate << " " << c.landscape;
        EXPECT_EQ(same, !c.wanted) << c.rotate << " " << c.landscape;
    }
}

TEST(PageFrame, RefusesSlotsAndSidesOutOfRange)
{
    PageGeometry g = A4Geometry(PlainSettings());
    const PlacementMatrix kept = {7, 7, 7, 7, 7, 7};
    struct Case {
        int32_t slot, side;
        int expected;
    };
    const Case cases[] = {{0, 0, 0}, {31, 1, 0}, {32, 0, -1}, {-1, 0, -1}, {0, 2, -1}, {0, -1, -1}};
    for (const Case& c : cases) {
        PlacementMatrix m = kept;
        EXPECT_EQ(BuildPageFrameRecord(nullptr, &m, &g, c.slot, c.side), c.expected) << c.slot << " " << c.side;
        if (c.expected) {
            EXPECT_EQ(std::memcmp(&m, &kept, sizeof m), 0) << "the matrix stays as it was";
        }
    }
    PlacementMatrix m = kept;
    EXPECT_EQ(BuildPageFrameRecord(nullptr, &m, nullptr, 0, 0), -1);
}

TEST(PageFrame, ZeroPrintableSizesAreRefused)
{
    PaperFrame sheet = {};
    FillPaperFrame(&sheet, 9, 2100, 2970, 2000, 2870, false, nullptr);
    PlacementRect rect;
    float size[2];
    EXPECT_EQ(ComputeBookletPageFrame(600, &sheet, 50, 50, 0, &rect, size), 0);
    for (auto [w, h] : {std::pair<int16_t, int16_t>{0, 2870}, {2000, 0}, {-5, 2870}}) {
        PaperFrame bad = sheet;
        bad.printableWidth = w;
        bad.printableHeight = h;
        EXPECT_EQ(ComputeBookletPageFrame(600, &bad, 50, 50, 0, &rect, size), -1) << w << "x" << h;
    }
    EXPECT_EQ(ComputeBookletPageFrame(0, &sheet, 50, 50, 0, &rect, size), -1);

    // A page without printable area has no placement.
    PageGeometry g = A4Geometry(PlainSettings());
    g.page.printableWidth = 0;
    PlacementMatrix m = {7, 7, 7, 7, 7, 7};
    EXPECT_EQ(BuildPageFrameRecord(nullptr, &m, &g, 0, 0), -1);
    EXPECT_EQ(m.a, 7.0f);
}

TEST(PageFrame, BookletPageFrameFitsHalfTheSheet)
{
    PaperFrame sheet = {};
    FillPaperFrame(&sheet, 9, 2100, 2970, 2000, 2870, false, nullptr);
    PlacementRect rect;
    float size[2];
    float scale = 0.0f;
    ASSERT_EQ(ComputeBookletPageFrame(254, &sheet, 50, 50, 0, &rect, size, &scale), 0);
    // At 254 dpi a dot is a tenth of a millimetre: s = min(2000/2870, 1435/2000).
    EXPECT_FLOAT_EQ(scale, 2000.0f / 2870.0f);
    EXPECT_FLOAT_EQ(rect.left, 50.0f);
    EXPECT_NEAR(rect.right - rect.left, 1435.0f / scale, 0.05f);
    EXPECT_NEAR(rect.bottom - rect.top, 2870.0f, 0.05f);
    EXPECT_NEAR(size[0], 50.0f + 1435.0f / scale + 50.0f, 0.05f);
    PlacementRect shifted;
    ASSERT_EQ(ComputeBookletPageFrame(254, &sheet, 50, 50, 100, &shifted, size, &scale), 0);
    EXPECT_NEAR(rect.right - shifted.right, 100.0f / scale, 0.05f);
}

PageFrameJob JobOf(PageGeometry* g, PageFrameState* st, uint32_t booklet)
{
    return {g, st, booklet};
}

TEST(SheetFrames, SheetOrientation)
{
    struct Case {
        int32_t orientation, sheetOrientation, n;
        uint32_t booklet, wholeSheet;
        int expected;
    };
    const Case cases[] = {
        {1, 1, 1, 0, 0, 0}, {2, 2, 1, 0, 0, 1}, {2, 1, 2, 0, 0, 0}, {1, 2, 4, 0, 0, 1},
        // A booklet sheet is seen turned unless the whole sheet is drawn on its layout.
        {1, 1, 1, 1, 0, 1}, {1, 1, 2, 1, 1, 0}, {1, 1, 2, 1, 0, 1},
    };
    for (const Case& c : cases) {
        PageGeometrySettings s = PlainSettings();
        s.orientation = c.orientation;
        s.sheetOrientation = c.sheetOrientation;
        s.pagesPerSide = c.n;
        s.booklet = c.booklet;
        PageGeometry g = A4Geometry(s);
        PageFrameState st = {};
        st.wholeSheetDrawing = c.wholeSheet;
        PageFrameJob job = JobOf(&g, &st, c.booklet);
        EXPECT_EQ(IsSheetLandscape(&job), c.expected) << c.orientation << c.sheetOrientation << c.n << c.booklet;
    }
    PageGeometrySettings s = PlainSettings();
    s.poster = 1;
    s.posterColumns = 2;
    s.posterRows = 1;
    PageGeometry g = A4Geometry(s);
    PageFrameJob job = JobOf(&g, nullptr, 0);
    EXPECT_EQ(IsSheetLandscape(&job), 1);
    EXPECT_EQ(IsSheetLandscape(nullptr), 1);
}

TEST(SheetFrames, ShiftedAndOverlayFrames)
{
    PageGeometrySettings s = PlainSettings();
    s.pagesPerSide = 4;
    PageGeometry g = A4Geometry(s);
    PageFrameState st = {};
    PageFrameJob job = JobOf(&g, &st, 0);

    // The sheet's own frame: one page at full size whatever the N-up layout.
    PlacementMatrix plain;
    ASSERT_EQ(BuildShiftedFrameRecord(&job, &plain, 0, 0, 0), 0);
    EXPECT_NEAR(plain.a, 0.12f, 1e-6);
    EXPECT_NEAR(plain.d, -0.12f, 1e-6);
    // 600 dots to the right is 254 tenths of a millimetre: one inch, 72 points.
    PlacementMatrix shifted;
    ASSERT_EQ(BuildShiftedFrameRecord(&job, &shifted, 600, 0, 0), 0);
    EXPECT_NEAR(shifted.e - plain.e, 72.0f, kTolerance);

    PlacementMatrix overlay;
    ASSERT_EQ(BuildOverlayFrameRecord(&job, &overlay, 0, 0, 0), 0);
    EXPECT_NEAR(overlay.a, plain.a, 1e-6);

    // An overlay follows a page turned half round.
    PageGeometrySettings r = PlainSettings();
    r.rotate180 = 3;
    PageGeometry turned = A4Geometry(r);
    PageFrameJob turnedJob = JobOf(&turned, &st, 0);
    ASSERT_EQ(BuildOverlayFrameRecord(&turnedJob, &overlay, 0, 0, 0), 0);
    EXPECT_NEAR(overlay.a, -plain.a, 1e-6);
    EXPECT_NEAR(overlay.d, -plain.d, 1e-6);

    EXPECT_EQ(BuildOverlayFrameRecord(nullptr, &overlay, 0, 0, 0), -1);
    EXPECT_EQ(BuildShiftedFrameRecord(&job, nullptr, 0, 0, 0), -1);
}

TEST(Matrices, ComposeAndPoints)
{
    const PlacementMatrix t = TranslationMatrix(10.0f, 20.0f);
    const PlacementMatrix sc = ScaleMatrix(2.0f, 3.0f);
    const PlacementMatrix m = ComposePlacement(t, sc);  // translate first, then scale
    const Point p = Apply(m, 1.0f, 1.0f);
    EXPECT_FLOAT_EQ(p.x, 22.0f);
    EXPECT_FLOAT_EQ(p.y, 63.0f);
    PlacementMatrix id = {5, 5, 5, 5, 5, 5};
    EXPECT_EQ(ResetPlacementToIdentity(&id), 0);
    EXPECT_EQ(id.a, 1.0f);
    EXPECT_EQ(id.b, 0.0f);
    EXPECT_EQ(id.e, 0.0f);
    // Device y runs down from the printable corner, the page's frame y up:
    // the corner (30, 400) in dots, then 72 points an inch.
    PlacementMatrix out;
    ASSERT_EQ(ConvertMatrixToPoints(&id, &out, 600, 300, 30.0f, 400.0f), 0);
    const Point corner = Apply(out, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(corner.x, 30.0f * 72 / 600);
    EXPECT_FLOAT_EQ(corner.y, 400.0f * 72 / 300);
    const Point q = Apply(out, 600.0f, 300.0f);
    EXPECT_FLOAT_EQ(q.x, 72.0f + 3.6f);
    EXPECT_FLOAT_EQ(q.y, 96.0f - 72.0f);
    EXPECT_EQ(ConvertMatrixToPoints(&id, &out, 0, 300, 0, 0), -1);
}

}  // namespace
