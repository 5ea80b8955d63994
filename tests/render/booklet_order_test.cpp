// Booklet page order, signatures and halves, and the tiles of a poster.
#include "render/page/booklet_order.h"
#include "render/page/poster_tiles.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// The sides of a booklet as "left right|left right|...", "-" for an empty position.
std::string BookletSides(int32_t first, int32_t last, uint32_t binding, bool outward, bool cover)
{
    std::string out;
    const int32_t sides = BookletSideCount(first, last, cover);
    for (int32_t s = 0; s < sides; ++s) {
        if (s)
            out += "|";
        for (int p = 0; p < 2; ++p) {
            const int32_t page = BookletPageAt(first, last, s, binding, p, outward, cover);
            out += (p ? " " : "") + (page == kBookletEmptyPosition ? std::string("-") : std::to_string(page));
        }
    }
    return out;
}

TEST(BookletOrder, PagesOfEachSide)
{
    struct Case {
        int32_t pages;
        uint32_t binding;
        bool outward, cover;
        const char* sides;
    };
    const Case cases[] = {
        {1, 1, false, false, "- -|- 0"},
        {2, 1, false, false, "1 -|- 0"},
        {3, 1, false, false, "1 2|- 0"},
        {4, 1, false, false, "1 2|3 0"},
        {5, 1, false, false, "3 4|- 2|1 -|- 0"},
        {6, 1, false, false, "3 4|5 2|1 -|- 0"},
        {7, 1, false, false, "3 4|5 2|1 6|- 0"},
        {8, 1, false, false, "3 4|5 2|1 6|7 0"},
        {9, 1, false, false, "5 6|7 4|3 8|- 2|1 -|- 0"},
        // Binding on the other side swaps left and right.
        {5, 2, false, false, "4 3|2 -|- 1|0 -"},
        // Outward order runs the sheets from the outside in.
        {5, 1, true, false, "- 0|1 -|- 2|3 4"},
        // A separate cover takes one side fewer.
        {5, 1, false, true, "2 3|4 1|- 0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BookletSides(0, c.pages - 1, c.binding, c.outward, c.cover), c.sides)
            << c.pages << " pages, binding " << c.binding << (c.outward ? " outward" : "") << (c.cover ? " cover" : "");
    // A later signature counts from its own first page.
    EXPECT_EQ(BookletSides(12, 16, 1, false, false), "15 16|- 14|13 -|- 12");
    EXPECT_EQ(BookletSideCount(0, 4, false), 4);
    EXPECT_EQ(BookletSideCount(0, 4, true), 3);
}

TEST(BookletOrder, SignatureSplits)
{
    EXPECT_EQ(SplitBookletSignatures(40, false, 3, nullptr), 4);
    std::vector<SignatureRange> r(4);
    ASSERT_EQ(SplitBookletSignatures(40, false, 3, r.data()), 4);
    const SignatureRange expected[4] = {{0, 11}, {12, 23}, {24, 31}, {32, 39}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(r[i].first, expected[i].first) << i;
        EXPECT_EQ(r[i].last, expected[i].last) << i;
    }
    ASSERT_EQ(SplitBookletSignatures(40, true, 3, r.data()), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(r[i].first, expected[3 - i].first) << i;
        EXPECT_EQ(r[i].last, expected[3 - i].last) << i;
    }
    // The last signature ends at the last page even when its sheets have room for more.
    std::vector<SignatureRange> odd(2);
    ASSERT_EQ(SplitBookletSignatures(10, false, 2, odd.data()), 2);
    EXPECT_EQ(odd[0].last, 7);
    EXPECT_EQ(odd[1].first, 8);
    EXPECT_EQ(odd[1].last, 9);
    EXPECT_EQ(SplitBookletSignatures(0, false, 3, nullptr), 0);
    EXPECT_EQ(SplitBookletSignatures(40, false, 0, nullptr), 0);
}

TEST(BookletOrder, SignatureComplete)
{
    struct Case {
        int32_t first, last, sheets;
        bool cover;
        int expected;
    };
    const Case cases[] = {
        {0, 11, 3, false, 1}, {0, 10, 3, false, 2}, {12, 23, 3, false, 1}, {12, 22, 3, false, 2},
        {0, 9, 3, true, 1},   {0, 8, 3, true, 2},   {12, 21, 3, true, 2},  {0, 99, 0, false, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsSignatureComplete(c.first, c.last, c.sheets, c.cover), c.expected)
            << c.first << "-" << c.last << " " << c.sheets << (c.cover ? " cover" : "");
}

TEST(BookletOrder, AlignmentOfOddSheets)
{
    struct Case {
        int32_t sheet;
        uint32_t flag;
        const char* codes;  // for codes 0 to 5
    };
    const Case cases[] = {
        {0, 0, "012344"}, {0, 1, "012344"}, {1, 1, "321044"}, {1, 0, "103244"}, {3, 1, "321044"},
    };
    for (const Case& c : cases)
        for (int code = 0; code <= 5; ++code)
            EXPECT_EQ(BookletAlignmentCode(c.sheet, c.flag, code), c.codes[code] - '0')
                << "sheet " << c.sheet << " flag " << c.flag << " code " << code;
    EXPECT_EQ(BookletAlignmentCode(2, 0, -1), 4);
}

PageGeometry BookletGeometry(int32_t pagesPerSide, int32_t binding)
{
    PageGeometry g = {};
    FillPaperFrame(&g.page, 9, 2100, 2970, 2000, 2870, false, nullptr);
    FillPaperFrame(&g.sheet, 8, 2970, 4200, 2870, 4100, false, nullptr);
    PageGeometrySettings s = {};
    s.orientation = 1;
    s.zoomPercent = 100;
    s.pagesPerSide = pagesPerSide;
    s.booklet = 1;
    s.bookletBinding = binding;
    s.resolutionX = s.resolutionY = 600;
    EXPECT_EQ(FillPageGeometry(&g, s), 0);
    return g;
}

TEST(BookletSide, HalvesLieOnEitherSideOfTheFold)
{
    PageGeometry g = BookletGeometry(2, 0);
    const float sheetHeight = 4200.0f * 600 / 254;
    float centre[2];
    for (uint32_t half = 0; half < 2; ++half) {
        PageFrameState st = {};
        BookletSideRecord side = {&g, &st, half};
        PlacementMatrix m;
        ASSERT_EQ(BuildBookletSideMatrix(&m, &side), 0);
        // Several pages per half keep device units: the booklet frame's middle.
        PlacementRect frame;
        float size[2];
        ASSERT_EQ(ComputeBookletPageFrame(600, &g.sheet, g.sheet.leftOffset, g.sheet.topOffset, 0, &frame, size), 0);
        const float x = (frame.left + frame.right) / 2.0f;
        const float y = (frame.top + frame.bottom) / 2.0f;
        centre[half] = m.b * x + m.d * y + m.f;
    }
    EXPECT_LT(centre[0], sheetHeight / 2.0f);
    EXPECT_GT(centre[1], sheetHeight / 2.0f);

    EXPECT_EQ(BuildBookletSideMatrix(nullptr, nullptr), -1);
    BookletSideRecord none = {nullptr, nullptr, 0};
    PlacementMatrix m;
    EXPECT_EQ(BuildBookletSideMatrix(&m, &none), -1);
}

// Each half of a side lies on the sheet, the two halves side by side along
// its length: the page's corners land inside the sheet's printable length,
// across it on the paper, and the halves do not overlap. One page per half is placed in points, measured against the frame
// of the whole sheet printed as one page; several pages per half keep device
// units of the sheet.
TEST(BookletSide, HalvesLieWithinTheSheet)
{
    struct Extent {
        float left = 1e9f, right = -1e9f, top = 1e9f, bottom = -1e9f;
        void Add(float x, float y)
        {
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    };
    const auto corners = [](const PlacementMatrix& m, float x0, float y0, float w, float h) {
        Extent e;
        for (float x : {x0, x0 + w})
            for (float y : {y0, y0 + h})
                e.Add(m.a * x + m.c * y + m.e, m.b * x + m.d * y + m.f);
        return e;
    };
    for (int32_t n : {1, 2}) {
        const PageGeometry g = BookletGeometry(n, 0);
        Extent sheet;
        float pageLeft = 0.0f, pageTop = 0.0f, pageWidth, pageHeight;
        if (n == 1) {
            // The sheet's printable area printed as one plain page.
            PageGeometry plain = g;
            plain.page = plain.sheet;
            plain.bookletLayout = 0;
            plain.bookletBinding = 0;
            PageFrameState st = {};
            PlacementMatrix m;
            ASSERT_EQ(BuildPageFrameRecord(&st, &m, &plain, 0, 0), 0);
            sheet = corners(m, 0.0f, 0.0f, TenthsToDots(g.sheet.printableWidth, 600),
                            TenthsToDots(g.sheet.printableHeight, 600));
            pageWidth = TenthsToDots(g.page.printableWidth, 600);
            pageHeight = TenthsToDots(g.page.printableHeight, 600);
        } else {
            sheet.Add(TenthsToDots(g.sheet.leftOffset, 600), TenthsToDots(g.sheet.topOffset, 600));
            sheet.Add(TenthsToDots(g.sheet.leftOffset + g.sheet.printableWidth, 600),
                      TenthsToDots(g.sheet.topOffset + g.sheet.printableHeight, 600));
            PlacementRect frame;
            float size[2];
            ASSERT_EQ(ComputeBookletPageFrame(600, &g.sheet, g.sheet.leftOffset, g.sheet.topOffset, 0, &frame, size), 0);
            pageLeft = frame.left;
            pageTop = frame.top;
            pageWidth = frame.right - frame.left;
            pageHeight = frame.bottom - frame.top;
        }
        Extent halves[2];
        for (uint32_t half = 0; half < 2; ++half) {
            PageFrameState st = {};
            const BookletSideRecord side = {&g, &st, half};
            PlacementMatrix m;
            ASSERT_EQ(BuildBookletSideMatrix(&m, &side), 0);
            halves[half] = corners(m, pageLeft, pageTop, pageWidth, pageHeight);
            const Extent& e = halves[half];
            const float slack = 1.0f;
            // Across the sheet the page may stand off its printable area by
            // less than the printable offset, never off the paper.
            const float offset = n == 1 ? g.sheet.leftOffset * 72.0f / 254.0f : TenthsToDots(g.sheet.leftOffset, 600);
            EXPECT_GE(e.left, sheet.left - offset) << n << " half " << half << ": " << e.left << "-" << e.right;
            EXPECT_LE(e.right, sheet.right + offset) << n << " half " << half << ": " << e.left << "-" << e.right;
            EXPECT_GE(e.top, sheet.top - slack) << n << " half " << half;
            EXPECT_LE(e.bottom, sheet.bottom + slack) << n << " half " << half << ": " << e.top << "-" << e.bottom;
        }
        // Side by side along the sheet's length.
        EXPECT_TRUE(halves[0].bottom <= halves[1].top + 1.0f || halves[1].bottom <= halves[0].top + 1.0f)
            << n << ": " << halves[0].top << "-" << halves[0].bottom << " / " << halves[1].top << "-"
            << halves[1].bottom;
    }
}

// A half holding several pages takes the booklet frame as its one page: the
// frame is turned onto the half and shrunk by the frame's fit scale, once.
TEST(BookletSide, SeveralPagesAHalfFillTheHalf)
{
    for (int32_t n : {2, 4, 8}) {
        PageGeometry g = BookletGeometry(n, 0);
        PlacementRect frame;
        float size[2], scale = 0.0f;
        ASSERT_EQ(ComputeBookletPageFrame(600, &g.sheet, g.sheet.leftOffset, g.sheet.topOffset, 0, &frame, size, &scale),
                  0);
        PageFrameState st = {};
        const BookletSideRecord side = {&g, &st, 0};
        PlacementMatrix m;
        ASSERT_EQ(BuildBookletSideMatrix(&m, &side), 0);
        EXPECT_FLOAT_EQ(m.a, 0.0f) << n;
        EXPECT_FLOAT_EQ(m.d, 0.0f) << n;
        EXPECT_NEAR(std::fabs(m.b), scale, 1e-4) << n;
        EXPECT_NEAR(std::fabs(m.c), scale, 1e-4) << n;
    }
}

TEST(BookletSide, SecondBindingTurnsTheSideHalfRound)
{
    PageGeometry left = BookletGeometry(1, 0);
    PageGeometry right = BookletGeometry(1, 1);
    BookletSideRecord a = {&left, nullptr, 1};
    BookletSideRecord b = {&right, nullptr, 1};
    PlacementMatrix ma, mb;
    ASSERT_EQ(BuildBookletSideMatrix(&ma, &a), 0);
    ASSERT_EQ(BuildBookletSideMatrix(&mb, &b), 0);
    EXPECT_FLOAT_EQ(mb.a, -ma.a);
    EXPECT_FLOAT_EQ(mb.b, -ma.b);
    EXPECT_FLOAT_EQ(mb.c, -ma.c);
    EXPECT_FLOAT_EQ(mb.d, -ma.d);
}

TEST(BookletSide, SheetLayoutOfABookletSheet)
{
    PageGeometry g = BookletGeometry(2, 0);
    PlacementRect frame;
    float size[2];
    ASSERT_EQ(ComputeBookletPageFrame(600, &g.sheet, g.sheet.leftOffset, g.sheet.topOffset, 0, &frame, size), 0);

    // Pages of a booklet-layout sheet are placed into the booklet frame.
    PlacementInput in;
    ASSERT_EQ(ComputeSheetLayout(nullptr, &in, &g), 0);
    EXPECT_FLOAT_EQ(in.targetLeft, frame.left);
    EXPECT_FLOAT_EQ(in.targetBottom, frame.bottom);
    EXPECT_FLOAT_EQ(in.outputWidth, size[0]);

    // A drawing across the whole sheet takes the frame as its page, turned for a landscape page.
    PageFrameState st = {};
    st.wholeSheetDrawing = 1;
    ASSERT_EQ(ComputeSheetLayout(&st, &in, &g), 0);
    EXPECT_FLOAT_EQ(in.paperWidth, size[0]);
    EXPECT_FLOAT_EQ(in.printRight, frame.right);
    g.landscape = 1;
    ASSERT_EQ(ComputeSheetLayout(&st, &in, &g), 0);
    EXPECT_FLOAT_EQ(in.paperWidth, size[1]);
    EXPECT_FLOAT_EQ(in.printLeft, frame.bottom);
    EXPECT_FLOAT_EQ(in.printTop, frame.right);

    // The inner shift narrows the frame by the shift over the fit scale.
    PageGeometry shifted = BookletGeometry(2, 0);
    shifted.innerShift = 1;
    shifted.innerShiftOption = 1;
    shifted.innerShiftAmount = 100;
    ASSERT_EQ(ComputeSheetLayout(nullptr, &in, &shifted), 0);
    float scale = 0.0f;
    ASSERT_EQ(ComputeBookletPageFrame(600, &g.sheet, g.sheet.leftOffset, g.sheet.topOffset, 0, &frame, size, &scale),
              0);
    EXPECT_NEAR(frame.right - in.targetRight, 100.0f * 600 / 254 / scale, 0.01f);
}

PosterTileRecord Grid(uint16_t columns, uint16_t rows, float a, float b, float c, float d)
{
    PosterTileRecord r = {};
    r.frame = {a, b, c, d, 0.0f, 0.0f};
    r.tileWidth = 100.0f;
    r.tileHeight = 200.0f;
    r.columns = columns;
    r.rows = rows;
    return r;
}

// Column and row of tile n from its placement.
std::pair<int, int> TileAt(const PosterTileRecord& r, int32_t n)
{
    PlacementMatrix m;
    EXPECT_EQ(PlaceInCell(&r, n, &m), 0) << "tile " << n;
    return {static_cast<int>(-m.e / r.tileWidth), static_cast<int>(-m.f / r.tileHeight)};
}

TEST(PosterTiles, RowsFromTheLastRow)
{
    PosterTileRecord r = Grid(3, 3, 0.5f, 0.0f, 0.0f, -0.5f);
    ASSERT_EQ(ComputePosterTileOrder(&r), 0);
    EXPECT_EQ(r.rowFirst, 1u);
    EXPECT_EQ(r.rowStep, -1);
    EXPECT_EQ(TileAt(r, 0), std::make_pair(0, 2));
    EXPECT_EQ(TileAt(r, 3), std::make_pair(0, 1));
    EXPECT_EQ(TileAt(r, 8), std::make_pair(2, 0));
    PlacementMatrix m;
    EXPECT_EQ(PlaceInCell(&r, 9, &m), -1);
    EXPECT_EQ(PlaceInCell(&r, -1, &m), -1);
}

TEST(PosterTiles, ColumnsFromTheFirstRow)
{
    for (float sign : {1.0f, -1.0f}) {
        PosterTileRecord r = Grid(3, 2, 0.0f, sign, sign, 0.0f);
        ASSERT_EQ(ComputePosterTileOrder(&r), 0);
        EXPECT_EQ(r.rowFirst, 0u);
        for (int32_t n = 0; n < 6; ++n)
            EXPECT_EQ(TileAt(r, n), std::make_pair(n / 2, n % 2)) << n;
    }
    // Opposite signs run along the rows from the last one.
    PosterTileRecord r = Grid(3, 2, 0.0f, 1.0f, -1.0f, 0.0f);
    ASSERT_EQ(ComputePosterTileOrder(&r), 0);
    EXPECT_EQ(r.rowFirst, 1u);
    EXPECT_EQ(TileAt(r, 0), std::make_pair(0, 1));
}

TEST(PosterTiles, RefusedFramesAndGrids)
{
    PosterTileRecord skew = Grid(2, 2, 0.7f, 0.7f, -0.7f, 0.7f);
    EXPECT_EQ(ComputePosterTileOrder(&skew), -1);
    PosterTileRecord flat = Grid(2, 2, 0.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_EQ(ComputePosterTileOrder(&flat), -1);
    PosterTileRecord noColumns = Grid(0, 2, 1.0f, 0.0f, 0.0f, -1.0f);
    EXPECT_EQ(ComputePosterTileOrder(&noColumns), -1);

    // An order whose fields disagree does not reach the tile.
    PosterTileRecord r = Grid(3, 3, 1.0f, 0.0f, 0.0f, -1.0f);
    ASSERT_EQ(ComputePosterTileOrder(&r), 0);
    r.columnEnd = 0;
    PlacementMatrix m;
    EXPECT_EQ(PlaceInCell(&r, 1, &m), -1);
}

PageGeometry PosterGeometry(int16_t columns, int16_t rows, int32_t orientation)
{
    PageGeometry g = {};
    FillPaperFrame(&g.page, 9, 2100, 2970, 2000, 2870, false, nullptr);
    FillPaperFrame(&g.sheet, 9, 2100, 2970, 2000, 2870, false, nullptr);
    PageGeometrySettings s = {};
    s.orientation = orientation;
    s.zoomPercent = 100;
    s.pagesPerSide = 1;
    s.poster = 1;
    s.posterColumns = columns;
    s.posterRows = rows;
    s.resolutionX = s.resolutionY = 600;
    EXPECT_EQ(FillPageGeometry(&g, s), 0);
    return g;
}

TEST(PosterFrame, WholePosterAndTiles)
{
    PageGeometry g = PosterGeometry(3, 3, 1);
    PosterTileRecord r = {};
    ASSERT_EQ(ComputeLogicalPageFrame(nullptr, &g, &r), 0);
    EXPECT_EQ(r.columns, 3);
    EXPECT_EQ(r.rows, 3);
    EXPECT_FLOAT_EQ(r.tileWidth, 2000.0f * 72 / 254);
    EXPECT_FLOAT_EQ(r.tileHeight, 2870.0f * 72 / 254);
    // The page is enlarged three times over the poster.
    EXPECT_NEAR(r.frame.a, 3.0f * 0.12f, 1e-3);
    EXPECT_GT(r.frame.a, 0.0f);
    EXPECT_LT(r.frame.d, 0.0f);
    EXPECT_EQ(r.rowFirst, 1u);

    // Two portrait sheets side by side: a portrait page is turned a quarter
    // round across them, a landscape page (laid out turned) is turned back upright.
    for (int32_t orientation : {1, 2}) {
        PageGeometry two = PosterGeometry(2, 1, orientation);
        PosterTileRecord t = {};
        ASSERT_EQ(ComputeLogicalPageFrame(nullptr, &two, &t), 0) << orientation;
        const bool turned = t.frame.a == 0.0f && t.frame.d == 0.0f;
        EXPECT_EQ(turned, orientation == 1) << orientation;
        EXPECT_FLOAT_EQ(t.tileWidth, 2000.0f * 72 / 254);
    }

    EXPECT_EQ(ComputeLogicalPageFrame(nullptr, nullptr, &r), -1);
    EXPECT_EQ(ComputeLogicalPageFrame(nullptr, &g, nullptr), -1);
    // A poster larger than a frame length can hold is refused.
    PageGeometry huge = PosterGeometry(4, 4, 1);
    huge.sheet.printableWidth = 9000;
    EXPECT_EQ(ComputeLogicalPageFrame(nullptr, &huge, &r), -1);
}

}  // namespace
