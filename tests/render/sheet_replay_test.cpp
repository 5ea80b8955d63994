// Recorded pages on their sheets: the sheet kind two pages share, and a
// replayed page placed by the sheet's base matrix its item chooses.
#include "render/page/sheet_replay.h"
#include "render/output/page_recording.h"
#include "tests/support/stream_capture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct Recording {
    StreamCapture capture;
    CommandLayer* layer;
    Recording() : layer(CreateCommandLayer({capture.stream(), StreamVersion(2, 0, 6), false, 0}))
    {
        ResetCommandLayerForPage(layer);
        EXPECT_EQ(BeginPageRecording(capture.stream(), 0, sizeof(RecordedPageEntry), 4), 0);
    }
    ~Recording()
    {
        EndPageRecording(capture.stream());
        FreeCommandLayer(layer);
    }
    OutputStream* s() { return capture.stream(); }
};

TEST(SheetReplay, SheetKindOfTwoPages)
{
    Recording r;
    const uint32_t kinds[] = {kSheetOneSided, kSheetLongEdge, kSheetShortEdge};
    for (uint32_t page = 0; page < 3; ++page) {
        RecordedPageEntry entry{};
        entry.sheetKind = kinds[page];
        ASSERT_EQ(StorePageEntry(r.s(), page, &entry), 0);
    }
    struct Case {
        uint32_t first, second, caller;
        int kind;
    } cases[] = {
        {0, 0, 0, kSheetOneSided},
        {0, 1, 0, kSheetLongEdge},
        {1, kNoRecordedPage, 0, kSheetLongEdge},
        {kNoRecordedPage, 0, 0, kSheetOneSided},
        {2, 0, 0, kSheetOneSided},   // short edge alone does not make the sheet long-edged
        {0, 0, kSheetLongEdge, kSheetLongEdge},
        {1, 1, kSheetShortEdge, kSheetShortEdge},
        {1, 1, kSheetOneSided, kSheetOneSided},
        {0, 0, 7, kSheetOneSided},   // an unknown caller type gives no answer of its own
        {kNoRecordedPage, kNoRecordedPage, 0, -1},
        {0, 40, 0, -1},              // no entry for page 40
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseSheetKind(r.s(), c.first, c.second, c.caller), c.kind)
            << c.first << " " << c.second << " " << c.caller;
}

TEST(SheetReplay, ReplayedPageIsPlacedByTheChosenBase)
{
    struct Case {
        uint32_t flags[3];
        const char* placed;
    } cases[] = {
        {{0, 0, 0}, "Aa matrix=[0.5,0,0,0.5,110,0]"},
        {{1, 0, 0}, "Aa matrix=[0.5,0,0,0.5,110,0]"},
        {{0, 1, 0}, "Aa matrix=[1,0,0,1,200,300]"},
        {{0, 0, 1}, "Aa matrix=[0,0.5,-0.5,0,0,100]"},
        {{0, 1, 1}, "Aa matrix=[1,0,0,1,200,300]"},
    };
    // The first base moves across, the second doubles and moves down, the third turns.
    SheetPlacementBases bases{{{1, 0, 0, 1, 10, 0}, {2, 0, 0, 2, 0, 300}, {0, 1, -1, 0, 0, 0}}};
    for (const Case& c : cases) {
        Recording r;
        ASSERT_EQ(BeginRecordedPage(r.s()), 0);
        PlacementItem item{};
        const float m[6] = {0.5f, 0, 0, 0.5f, 100, 0};
        std::copy(m, m + 6, item.matrix);
        std::copy(c.flags, c.flags + 3, item.flags);
        constexpr uint16_t kPlacementRecorded = kRecordingOn | kRecordingPageOpen | kRecordPlacement;
        ASSERT_EQ(SetPagePlacement(r.layer, kPlacementRecorded, item), 0);
        ASSERT_EQ(EndRecordedPageData(r.s()), 0);
        ASSERT_EQ(CopyRecordedPage(r.layer, 0, kReplayPlacement, -1, SheetPlacementHooks(&bases)), 0);
        EXPECT_EQ(r.capture.Commands(), c.placed) << c.flags[0] << c.flags[1] << c.flags[2];
    }
}

TEST(SheetReplay, PlacementWithoutBasesFails)
{
    PlacementItem item{};
    float out[6];
    EXPECT_EQ(PlaceOnSheet(nullptr, item, out), -1);
}

} // namespace
