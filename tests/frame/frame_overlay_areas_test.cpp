// The areas the overlay query (escape 20481) answers: the imageable area kept
// inside the page geometry's margins, and both areas fitted into the page's
// N-up cell.
#include "tests/frame/frame_fixture.h"

#include "render/frame/overlay_areas.h"

#include <gtest/gtest.h>


namespace {

::testing::AssertionResult SameRect(const PlacementRect& got, const PlacementRect& expected)
{
    const float d[4] = {got.left - expected.left, got.top - expected.top, got.right - expected.right,
                        got.bottom - expected.bottom};
    for (float v : d)
        if (v > 0.01f || v < -0.01f)
            return ::testing::AssertionFailure() << "{" << got.left << ", " << got.top << ", " << got.right << ", "
                                                 << got.bottom << "}";
    return ::testing::AssertionSuccess();
}

PaperFrame Margins(int16_t left, int16_t right, int16_t top, int16_t bottom)
{
    PaperFrame frame{};
    frame.leftMargin = left;
    frame.rightMargin = right;
    frame.topMargin = top;
    frame.bottomMargin = bottom;
    return frame;
}

// At 254 dpi a tenth of a millimetre is one pixel.
TEST(OverlayAreas, MarginsKeepTheImageableAreaInside)
{
    const struct {
        const char* name;
        PlacementRect imageable, form;
        PaperFrame margins;
        uint32_t landscape;
        PlacementRect expected;
    } cases[] = {
        {"inside its margins", {100, 100, 900, 1300}, {0, 0, 1000, 1400}, Margins(50, 50, 50, 50), 0,
         {100, 100, 900, 1300}},
        {"margins beyond the area", {100, 100, 900, 1300}, {0, 0, 1000, 1400}, Margins(150, 150, 150, 150), 0,
         {150, 150, 850, 1250}},
        {"edge to edge moves in by the margins", {0, 0, 1000, 1400}, {0, 0, 1000, 1400}, Margins(10, 20, 30, 40), 0,
         {10, 30, 980, 1360}},
        {"landscape turns the margins", {0, 0, 1400, 1000}, {0, 0, 1400, 1000}, Margins(10, 20, 30, 40), 1,
         {30, 20, 1360, 990}},
        {"margins that leave nothing", {100, 100, 900, 1300}, {0, 0, 1000, 1400}, Margins(600, 600, 800, 800), 0,
         {600, 800, 600, 800}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OverlayAreas areas{c.imageable, c.form};
        KeepInsideMargins(&areas, c.margins, c.landscape, 254.0f);
        EXPECT_TRUE(SameRect(areas.imageable, c.expected));
        EXPECT_TRUE(SameRect(areas.form, c.form)) << "the form stays whole";
    }
}

TEST(OverlayAreas, FitIntoTheCell)
{
    const PlacementRect imageable{100, 100, 900, 1300}, form{0, 0, 1000, 1400};
    const struct {
        const char* name;
        PlacementRect cell;
        PlacementRect form, imageable;
    } cases[] = {
        {"a cell of the page's shape", {500, 700, 1000, 1400}, {500, 700, 1000, 1400}, {550, 750, 950, 1350}},
        {"a wider cell centres the page", {0, 0, 600, 700}, {50, 0, 550, 700}, {100, 50, 500, 650}},
        {"a cell lying across turns the page into it", {0, 0, 700, 500}, {0, 0, 700, 500}, {50, 50, 650, 450}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OverlayAreas areas{imageable, form};
        FitIntoCell(&areas, c.cell);
        EXPECT_TRUE(SameRect(areas.form, c.form));
        EXPECT_TRUE(SameRect(areas.imageable, c.imageable));
    }
    OverlayAreas empty{{0, 0, 0, 0}, {0, 0, 0, 0}};
    FitIntoCell(&empty, {0, 0, 100, 100});
    EXPECT_TRUE(SameRect(empty.form, {0, 0, 0, 0})) << "a form without area is left alone";
}

}  // namespace
