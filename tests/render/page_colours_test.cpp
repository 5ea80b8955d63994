// The page's colours as drawing feeds them: solid and brush colours, RGB and
// indexed image rows, the state cleared at each page begin, and the sheet kind
// a recorded face keeps while the census runs.
#include "render/device/pdev_record.h"
#include "render/image/brush_select.h"
#include "render/image/colour_census.h"
#include "render/image/job_colour.h"

#include <gtest/gtest.h>

namespace {

struct Record {
    PDevRecord* pdev = AllocPdevRecord();
    ~Record() { FreePdevRecord(pdev); }
};

TEST(PageColours, NothingIsNotedBeforeTheFirstPage)
{
    Record r;
    ASSERT_NE(r.pdev, nullptr);
    NotePageColour(r.pdev, RGB(255, 0, 0));  // no page yet: nothing to note into
    EXPECT_EQ(r.pdev->pageColours, nullptr);
    NotePageColour(nullptr, RGB(255, 0, 0));
}

TEST(PageColours, EachPageStartsUnknownAndColourIsFinal)
{
    Record r;
    ASSERT_NE(r.pdev, nullptr);
    BeginPageColours(r.pdev);
    ASSERT_NE(r.pdev->pageColours, nullptr);
    EXPECT_EQ(r.pdev->pageColours->state, kPageColourUnknown);
    // A solid colour reaches the detection through the device colour.
    DeviceColour(r.pdev, RGB(80, 80, 80));
    EXPECT_EQ(r.pdev->pageColours->state, kPageGreyOnly);
    DeviceColour(r.pdev, RGB(200, 10, 10));
    EXPECT_EQ(r.pdev->pageColours->state, kPageColourSeen);
    DeviceColour(r.pdev, RGB(0, 0, 0));
    EXPECT_EQ(r.pdev->pageColours->state, kPageColourSeen) << "colour is final for the page";

    BeginPageColours(r.pdev);
    EXPECT_EQ(r.pdev->pageColours->state, kPageColourUnknown);
    // A background that is not painted is no colour of the page.
    DeviceColour(nullptr, RGB(0, 0, 255));
    EXPECT_EQ(r.pdev->pageColours->state, kPageColourUnknown);
}

TEST(PageColours, ImageRowsAndPalettes)
{
    Record r;
    ASSERT_NE(r.pdev, nullptr);
    BeginPageColours(r.pdev);
    const uint8_t grey[] = {10, 10, 10, 200, 200, 200};
    NotePagePixels(r.pdev, grey, 2);
    EXPECT_EQ(r.pdev->pageColours->state, kPageGreyOnly);
    const uint8_t colour[] = {1, 2, 3};
    NotePagePixels(r.pdev, colour, 1);
    EXPECT_EQ(r.pdev->pageColours->state, kPageColourSeen);

    // Of a palette only the entries the pixels use count.
    BeginPageColours(r.pdev);
    const uint8_t palette[] = {0, 0, 0, 255, 0, 0, 255, 255, 255};
    const uint8_t unusedRed[] = {0, 2, 2, 0};
    NotePageIndexedPixels(r.pdev, palette, 3, unusedRed, 4);
    EXPECT_EQ(r.pdev->pageColours->state, kPageGreyOnly);
    const uint8_t usedRed[] = {0, 1};
    NotePageIndexedPixels(r.pdev, palette, 3, usedRed, 2);
    EXPECT_EQ(r.pdev->pageColours->state, kPageColourSeen);

    // Switched off for the page, nothing is noted.
    BeginPageColours(r.pdev);
    r.pdev->pageColours->off = true;
    NotePagePixels(r.pdev, colour, 1);
    EXPECT_EQ(r.pdev->pageColours->state, kPageColourUnknown);
}

TEST(PageColours, SheetKindFollowsTheCensus)
{
    Record r;
    ASSERT_NE(r.pdev, nullptr);
    EXPECT_EQ(FaceSheetKind(r.pdev, 2), 2u) << "no page colours yet";
    BeginPageColours(r.pdev);
    EXPECT_EQ(FaceSheetKind(r.pdev, 2), 2u) << "the census is off";

    ResetColourCensus(&r.pdev->pageColours->census, 1, 15);
    NotePageColour(r.pdev, RGB(255, 255, 255));  // white is never counted
    NotePageColour(r.pdev, RGB(80, 80, 80));
    NotePageColour(r.pdev, RGB(255, 0, 0));
    EXPECT_EQ(FaceSheetKind(r.pdev, 2), 2u * 16 + 2);
    EXPECT_EQ(FaceSheetKind(r.pdev, 1), 1u);
    EXPECT_EQ(FaceSheetKind(r.pdev, 3), 3u);
}

}  // namespace
