// Page items: what a recorded page holds back, how a replay sends it for the
// sheet, the crop marks, and which private drawing functions a printer allows.
#include "render/command/page_items.h"
#include "render/output/page_recording.h"
#include "tests/support/stream_capture.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

constexpr uint16_t kOpen = kRecordingOn | kRecordingPageOpen;
constexpr uint16_t kAllItems = kOpen | kRecordPageMedia | kRecordSheetOutput | kRecordSheetEnd | kRecordPlacement;
constexpr uint32_t kFullMask =
    kReplayPageMedia | kReplaySheetOutput | kReplaySheetEnd | kReplayPlacement | kReplayClipReset;

struct Sheet {
    StreamCapture capture;
    CommandLayer* layer;
    explicit Sheet(uint32_t version = StreamVersion(2, 0, 6))
        : layer(CreateCommandLayer({capture.stream(), version, false, 0}))
    {
        ResetCommandLayerForPage(layer);
        EXPECT_EQ(BeginPageRecording(capture.stream(), 1, 116, 4), 0);
    }
    ~Sheet()
    {
        EndPageRecording(capture.stream());
        FreeCommandLayer(layer);
    }
    OutputStream* s() { return capture.stream(); }
};

PageMediaItem Media(uint32_t code1, uint32_t orientation)
{
    PageMediaItem item{};
    item.code1 = code1;
    item.code2 = 7;
    item.kindLetter = 'Q';
    item.width = 210.0f;
    item.height = 297.0f;
    item.geometry[0] = 0x5A;
    item.pageOptions = orientation;
    return item;
}

PlacementItem Placement(float tx)
{
    PlacementItem item{};
    const float m[6] = {0.5f, 0, 0, 0.5f, tx, 0};
    std::copy(m, m + 6, item.matrix);
    item.flags[1] = 1;
    return item;
}

// One page with every item kind and a drawing command between them.
void RecordFullPage(Sheet& sheet)
{
    CommandLayer* l = sheet.layer;
    ASSERT_EQ(BeginRecordedPage(sheet.s()), 0);
    ASSERT_EQ(SetPageAttributes(l, kAllItems, Media(3, 1)), 0);
    ASSERT_EQ(SetPagePlacement(l, kAllItems, Placement(100)), 0);
    ASSERT_EQ(EmitRectangle(l, 1, 2, 3, 4), 0);
    ASSERT_EQ(EmitClipResetForPage(l, kAllItems), 0);
    ASSERT_EQ(EmitPageEndED(l, kAllItems), 0);
    ASSERT_EQ(EmitSheetEndFB(l, kAllItems), 0);
    ASSERT_EQ(EndRecordedPageData(sheet.s()), 0);
}

TEST(PageItems, RecordingFlagsDecideWhatIsHeldBack)
{
    struct Case {
        uint16_t flags;
        const char* sent;  // what reaches the spooler at once
    };
    const Case cases[] = {
        {0, "Ec code1=3 code2=7 kind=81 width=210 height=297\nAA a=1 b=0 c=0 d=-1 e=0 f=0\nAa matrix=[0.5,0,0,0.5,100,0]\nAR\nED\nFB"},
        {kRecordingOn | kRecordPageMedia | kRecordPlacement, "Ec code1=3 code2=7 kind=81 width=210 height=297\n"
                                                              "AA a=1 b=0 c=0 d=-1 e=0 f=0\nAa matrix=[0.5,0,0,0.5,100,0]\nAR\nED\nFB"},
        {kOpen, "Ec code1=3 code2=7 kind=81 width=210 height=297\nAA a=1 b=0 c=0 d=-1 e=0 f=0\nAa matrix=[0.5,0,0,0.5,100,0]\nED\nFB"},
        {kOpen | kRecordPageMedia | kRecordSheetEnd, "Aa matrix=[0.5,0,0,0.5,100,0]\nFB"},
        {kAllItems, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        Sheet sheet;
        CommandLayer* l = sheet.layer;
        const bool open = (c.flags & kOpen) == kOpen;
        if (open)
            ASSERT_EQ(BeginRecordedPage(sheet.s()), 0);
        ASSERT_EQ(SetPageAttributes(l, c.flags, Media(3, 1)), 0);
        ASSERT_EQ(SetPagePlacement(l, c.flags, Placement(100)), 0);
        ASSERT_EQ(EmitClipResetForPage(l, c.flags), 0);
        ASSERT_EQ(EmitPageEndED(l, c.flags), 0);
        ASSERT_EQ(EmitSheetEndFB(l, c.flags), 0);
        if (open) {
            // The spooler gets the page's commands only when it is replayed.
            ASSERT_EQ(EndRecordedPageData(sheet.s()), 0);
            ASSERT_EQ(CopyRecordedPage(l, 0, 0, -1, {}), 0);
        }
        EXPECT_EQ(sheet.capture.Commands(), c.sent);
    }
}

TEST(PageItems, RecordedPlacementIsCachedNotSent)
{
    Sheet sheet;
    ASSERT_EQ(BeginRecordedPage(sheet.s()), 0);
    ASSERT_EQ(SetPagePlacement(sheet.layer, kAllItems, Placement(5)), 0);
    // The page's own drawing asks for the same matrix: nothing more is written.
    ASSERT_EQ(EmitPlacementMatrix(sheet.layer, Placement(5).matrix), 0);
    ASSERT_EQ(EndRecordedPageData(sheet.s()), 0);
    ASSERT_EQ(CopyRecordedPage(sheet.layer, 0, 0, -1, {}), 0);
    EXPECT_EQ(sheet.capture.Commands(), "");
}

struct HookLog {
    std::ostringstream calls;
};

int RestoreMedia(void* context, const PageMediaItem& item)
{
    static_cast<HookLog*>(context)->calls << "media geometry=" << int(item.geometry[0]) << ";";
    return 0;
}

int SheetPlacement(void* context, const PlacementItem& item, float out[6])
{
    static_cast<HookLog*>(context)->calls << "placement flags=" << item.flags[0] << item.flags[1] << item.flags[2]
                                          << ";";
    out[4] = item.matrix[4] + 1000.0f;
    return 0;
}

TEST(PageItems, ReplayActsOnTheMaskedItems)
{
    struct Case {
        uint32_t mask;
        int32_t mediaCode;
        const char* commands;
        const char* hooks;
    };
    const Case cases[] = {
        {kFullMask, -1,
         "Ec code1=3 code2=7 kind=81 width=210 height=297\nAA a=1 b=0 c=0 d=-1 e=0 f=0\nAa matrix=[0.5,0,0,0.5,1100,0]\n"
         "CG x1=1 y1=2 x2=3 y2=4\nAR\nED\nFB",
         "media geometry=90;placement flags=010;"},
        {kFullMask, 9,
         "Ec code1=9 code2=7 kind=81 width=210 height=297\nAA a=1 b=0 c=0 d=-1 e=0 f=0\nAa matrix=[0.5,0,0,0.5,1100,0]\n"
         "CG x1=1 y1=2 x2=3 y2=4\nAR\nED\nFB",
         "media geometry=90;placement flags=010;"},
        {kReplaySheetEnd | kReplayPlacement, -1, "Aa matrix=[0.5,0,0,0.5,1100,0]\nCG x1=1 y1=2 x2=3 y2=4\nED",
         "placement flags=010;"},
        {0, -1, "CG x1=1 y1=2 x2=3 y2=4", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        Sheet sheet;
        RecordFullPage(sheet);
        HookLog log;
        ASSERT_EQ(CopyRecordedPage(sheet.layer, 0, c.mask, c.mediaCode, {&log, RestoreMedia, SheetPlacement}), 0);
        EXPECT_EQ(sheet.capture.Commands(), c.commands);
        EXPECT_EQ(log.calls.str(), c.hooks);
    }
}

TEST(PageItems, ReplaySendsEveryCommandWithTheCacheOff)
{
    Sheet sheet;
    RecordFullPage(sheet);
    // The same page twice: the second copy must not lose its state commands.
    ASSERT_EQ(CopyRecordedPage(sheet.layer, 0, kFullMask, -1, {}), 0);
    sheet.capture.Clear();
    ASSERT_EQ(CopyRecordedPage(sheet.layer, 0, kFullMask, -1, {}), 0);
    EXPECT_EQ(sheet.capture.Commands(),
              "Ec code1=3 code2=7 kind=81 width=210 height=297\nAA a=1 b=0 c=0 d=-1 e=0 f=0\nAa matrix=[0.5,0,0,0.5,100,0]\n"
              "CG x1=1 y1=2 x2=3 y2=4\nAR\nED\nFB");
    // The cache compares again afterwards.
    ASSERT_EQ(EmitLineWidth(sheet.layer, 3.0f), 0);
    ASSERT_EQ(EmitLineWidth(sheet.layer, 3.0f), 0);
    sheet.capture.Clear();
    ASSERT_EQ(EmitLineWidth(sheet.layer, 3.0f), 0);
    EXPECT_EQ(sheet.capture.Commands(), "");
}

TEST(PageItems, MalformedItemsFailTheReplay)
{
    struct Case {
        const char* name;
        uint16_t kind;
        uint16_t length;
    };
    const Case cases[] = {
        {"unknown kind", 5, 0},
        {"sheet output with data", kItemSheetOutput, 4},
        {"clip reset with data", kItemClipReset, 1},
        {"short media", kItemPageMedia, 59},
        {"long placement", kItemPlacement, 73},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sheet sheet;
        const uint8_t data[80] = {};
        ASSERT_EQ(BeginRecordedPage(sheet.s()), 0);
        ASSERT_EQ(WriteRecordedPageItem(sheet.s(), c.kind, data, c.length), 0);
        ASSERT_EQ(EndRecordedPageData(sheet.s()), 0);
        EXPECT_EQ(CopyRecordedPage(sheet.layer, 0, kFullMask, -1, {}), -1);
        EXPECT_EQ(CopyRecordedPage(sheet.layer, 0, 0, -1, {}), -1);
    }
}

TEST(PageItems, FailedWriteFailsTheReplay)
{
    Sheet sheet;
    RecordFullPage(sheet);
    sheet.s()->mode = kStreamClosed;
    EXPECT_EQ(CopyRecordedPage(sheet.layer, 0, kFullMask, -1, {}), -1);
    EXPECT_EQ(CopyRecordedPage(sheet.layer, 1, kFullMask, -1, {}), -1);  // no such page
}

TEST(PageItems, AxisOnlyFromStream206)
{
    struct Case {
        uint32_t version;
        uint32_t orientation;
        const char* commands;
    };
    const Case cases[] = {
        {StreamVersion(2, 0, 5), 1, "Ec code1=3 code2=7 kind=81 width=210 height=297"},
        {StreamVersion(2, 0, 6), 4, "Ec code1=3 code2=7 kind=81 width=210 height=297\nAA a=0 b=-1 c=-1 d=0 e=0 f=0"},
        {StreamVersion(2, 0, 6), 0, "Ec code1=3 code2=7 kind=81 width=210 height=297"},
        {StreamVersion(2, 0, 6), 5, "Ec code1=3 code2=7 kind=81 width=210 height=297"},
    };
    for (const Case& c : cases) {
        Sheet sheet(c.version);
        ASSERT_EQ(SetPageAttributes(sheet.layer, 0, Media(3, c.orientation)), 0);
        EXPECT_EQ(sheet.capture.Commands(), c.commands);
    }
}

TEST(PageItems, CropMarks)
{
    Sheet sheet;
    // A4 at 600 dpi.
    ASSERT_EQ(DrawCropMarks(sheet.layer, 600, 600, 4960, 7016), 0);
    const std::string listing = sheet.capture.Commands();
    std::istringstream lines(listing);
    std::string line, head;
    int starts = 0, ends = 0;
    while (std::getline(lines, line)) {
        starts += line == "BA";
        ends += line == "BD";
        if (starts == 0)
            head += line + "\n";
    }
    EXPECT_EQ(head,
              "AR\nAd width=2.0833333\nAF join=2\nAE cap=2\nAH style=6 offset=0 count=2 lengths=[40,10]\nAK op=1\n"
              "AL kind=1 value=13\nAM target=1 format=4 rgb=0,0,0\n");
    EXPECT_EQ(starts, 12);
    EXPECT_EQ(ends, 12);
    // The first mark: top left, horizontal, 10 mm long, inset by half the width.
    EXPECT_NE(listing.find("BA\nBb x=1.0625 y=1.0625\n"), std::string::npos) << listing;
    EXPECT_NE(listing.find("Aa matrix=[1,0,0,1,0,0]"), std::string::npos) << listing;
}

TEST(PrivateFunctions, VersionAndConditions)
{
    struct Case {
        uint16_t function;
        uint32_t version;
        bool locked;
        int result;
        uint16_t escape;
        uint32_t capability;
    };
    const Case cases[] = {
        {0x1102, StreamVersion(1, 6, 5), false, 0, 4210, 16},
        {0x1102, StreamVersion(1, 7, 1), false, 0, 4210, 48},
        {0x1102, StreamVersion(1, 5, 1), false, 0, 4210, 0},
        {0x1102, StreamVersion(1, 7, 1), true, -1, 0, 0},
        {0x1101, StreamVersion(2, 0, 24), false, 0, 4209, 143},
        {0x1101, StreamVersion(2, 0, 25), false, -1, 0, 0},
        {0x1101, StreamVersion(1, 5, 0), false, -1, 0, 0},
        {0x1103, StreamVersion(1, 6, 0), false, -1, 0, 0},
        {0x1103, StreamVersion(1, 6, 1), false, 0, 4211, 31},
        {0x1106, StreamVersion(1, 5, 1), false, 0, 4215, 0},
        {0x1107, StreamVersion(1, 5, 1), false, 0, 4215, 0},
        {0x1108, StreamVersion(1, 5, 1), false, 0, 4216, 1},
        {0x1109, StreamVersion(1, 5, 1), false, -1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.function << " " << c.version);
        EscapeFunctionConditions conditions{c.version, c.locked, true, true, 0, 1, 0};
        EscapeFunctionRow row{};
        EXPECT_EQ(LookupEscapeFunction(c.function, conditions, &row), c.result);
        EXPECT_EQ(row.escape, c.escape);
        EXPECT_EQ(row.capabilities[0], c.capability);
    }
}

TEST(PrivateFunctions, PrinterSupportAndPageConditions)
{
    const uint32_t v = StreamVersion(1, 8, 0);
    EscapeFunctionRow row{};
    EXPECT_EQ(LookupEscapeFunction(0x1104, {v, false, false, true, 0, 1, 0}, &row), 0);
    EXPECT_EQ(row.capabilities[0], 799u & ~0x4u);
    EXPECT_EQ(LookupEscapeFunction(0x1104, {v, false, false, false, 0, 1, 0}, &row), 0);
    EXPECT_EQ(row.capabilities[0], 799u & ~0xCu);
    EXPECT_EQ(row.capabilities[1], 139u);

    EXPECT_EQ(LookupEscapeFunction(0x1103, {v, false, true, true, 1, 1, 0}, &row), -1);  // page value set
    EXPECT_EQ(LookupEscapeFunction(0x1103, {v, false, true, true, 0, 0, 0}, &row), -1);  // no third value
    EXPECT_EQ(LookupEscapeFunction(0x1103, {v, false, true, true, 0, 1, 1}, &row), -1);  // setting 5202 is 1
    EXPECT_EQ(LookupEscapeFunction(0x1103, {v, false, true, true, 0, 1, 2}, &row), 0);
    EXPECT_EQ(LookupEscapeFunction(0x1101, {v, false, true, true, 0, 1, 0}, nullptr), -1);
}

}  // namespace
