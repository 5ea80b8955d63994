// Paths and clips through the print host's engine objects, read back by the
// independent reader: when a clip is sent again, which paths become single
// commands, and how pens become line attributes.
#include "printhost/engine_objects.h"
#include "render/command/path_output.h"
#include "render/device/engine_calls.h"
#include "tests/support/stream_capture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace printhost;

namespace {

class PathOutput : public testing::Test {
protected:
    void SetUp() override
    {
        const char* missing = nullptr;
        ASSERT_TRUE(BindEngineCalls(&missing)) << missing;
        layer_ = CreateCommandLayer({capture_.stream(), 0x01020006, false, 0});
        ASSERT_NE(layer_, nullptr);
        ResetCommandLayerForPage(layer_);
        InitClipState(&clip_, GetProcessHeap());
    }
    void TearDown() override
    {
        FreeClipState(&clip_);
        FreeCommandLayer(layer_);
    }
    // Forgets what the printer has, so that every attribute is sent.
    void LayerReset()
    {
        InvalidateStateCache(layer_->state);
        ResetStatePageValues(layer_->state);
        capture_.Clear();
    }
    std::string Sent()
    {
        std::string s = capture_.Commands();
        capture_.Clear();
        return s;
    }

    StreamCapture capture_;
    CommandLayer* layer_ = nullptr;
    ClipState clip_{};
};

const RECTL kPage = {0, 0, 4960, 7016};

TEST_F(PathOutput, RectangleClipsAreSentOnlyWhenTheyChange)
{
    struct Step {
        const char* name;
        bool clipped;
        std::vector<RECTL> rects;
        RECTL bounds;
        const char* sent;
    };
    const Step steps[] = {
        {"page start, no clip: the owed reset", false, {}, {10, 10, 20, 20}, "AR"},
        {"no clip again", false, {}, {10, 10, 20, 20}, ""},
        {"a rectangle", true, {{100, 100, 900, 900}}, {0, 0, 1000, 1000}, "AB left=100 top=100 right=900 bottom=900"},
        {"the same", true, {{100, 100, 900, 900}}, {0, 0, 1000, 1000}, ""},
        {"narrower: no reset", true, {{200, 200, 800, 800}}, {0, 0, 1000, 1000},
         "AB left=200 top=200 right=800 bottom=800"},
        {"wider: reset first", true, {{50, 50, 950, 950}}, {0, 0, 1000, 1000},
         "AR\nAB left=50 top=50 right=950 bottom=950"},
        {"drawing inside the clip needs none", true, {{50, 50, 950, 950}}, {60, 60, 70, 70}, "AR"},
        {"none active: nothing", false, {}, {0, 0, 10, 10}, ""},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        std::unique_ptr<HostClip> clip = MakeClip(s.clipped, s.rects, kPage);
        EXPECT_EQ(SetClipForDrawing(layer_, &clip_, &clip->co, s.bounds), 1);
        EXPECT_EQ(Sent(), s.sent);
        ReleaseClip(clip);
    }
}

TEST_F(PathOutput, ComplexClipIsSentOnceForTwoFills)
{
    const std::vector<RECTL> two = {{0, 0, 10, 10}, {20, 0, 30, 10}};
    std::unique_ptr<HostClip> clip = MakeClip(true, two, kPage);
    ASSERT_EQ(clip->co.iDComplexity, DC_COMPLEX);
    ASSERT_EQ(SetClipForDrawing(layer_, &clip_, &clip->co, {0, 0, 40, 40}), 1);
    const std::string first = Sent();
    EXPECT_EQ(first.rfind("AR\nBA\n", 0), 0u) << first;
    EXPECT_NE(first.find("AK op=2\nAC"), std::string::npos) << first;
    ReleaseClip(clip);
    // The same clip in a new object: nothing.
    clip = MakeClip(true, two, kPage);
    ASSERT_EQ(SetClipForDrawing(layer_, &clip_, &clip->co, {0, 0, 40, 40}), 1);
    EXPECT_EQ(Sent(), "");
    ReleaseClip(clip);
    // Another complex clip: reset, then the new path.
    clip = MakeClip(true, {{0, 0, 10, 10}, {40, 0, 50, 10}}, kPage);
    ASSERT_EQ(SetClipForDrawing(layer_, &clip_, &clip->co, {0, 0, 60, 60}), 1);
    EXPECT_EQ(Sent().rfind("AR\nBA\n", 0), 0u);
    ReleaseClip(clip);
    // A page start forgets the kept path.
    ResetPageDrawingState(&clip_);
    clip = MakeClip(true, {{0, 0, 10, 10}, {40, 0, 50, 10}}, kPage);
    ASSERT_EQ(SetClipForDrawing(layer_, &clip_, &clip->co, {0, 0, 60, 60}), 1);
    EXPECT_EQ(Sent().rfind("AR\nBA\n", 0), 0u);
    ReleaseClip(clip);
}

TEST_F(PathOutput, FailedClipLeavesTheStateAsItWas)
{
    std::unique_ptr<HostClip> clip = MakeClip(true, {{100, 100, 900, 900}}, kPage);
    capture_.stream()->mode = kStreamClosed;
    EXPECT_EQ(SetClipForDrawing(layer_, &clip_, &clip->co, {0, 0, 1000, 1000}), 0);
    EXPECT_EQ(clip_.state, kClipResetOwed);
    capture_.stream()->mode = kStreamSpooler;
    EXPECT_EQ(SetClipForDrawing(layer_, &clip_, &clip->co, {0, 0, 1000, 1000}), 1);
    EXPECT_EQ(Sent(), "AR\nAB left=100 top=100 right=900 bottom=900");
    ReleaseClip(clip);
}

HostPath* PathOf(std::vector<PathRecord> records, std::vector<POINTFIX> points, FLONG fl = 0)
{
    const BYTE types[] = {PT_MOVETO, PT_LINETO};
    const POINTFIX start[] = {{0, 0}, {16, 16}};
    HostPath* path = MakePathFromFix(start, types, 2, false);
    path->records = std::move(records);
    path->points = std::move(points);
    path->po.cCurves = ULONG(path->records.size());
    path->po.fl = fl;
    return path;
}

TEST_F(PathOutput, PathBodyOfMoveLinesBeziersAndClose)
{
    HostPath* path = PathOf({{PD_BEGINSUBPATH, 0, 3}, {PD_BEZIERS | PD_ENDSUBPATH | PD_CLOSEFIGURE, 3, 3}},
                            {{160, 160}, {320, 160}, {320, 320}, {400, 400}, {480, 320}, {160, 160}});
    ASSERT_EQ(SendPathBody(layer_, &path->po), 1);
    ASSERT_EQ(EmitPathEnd(layer_), 0);
    const std::string sent = Sent();
    EXPECT_EQ(sent.rfind("BA\nBB x=10 y=10\n", 0), 0u) << sent;
    EXPECT_NE(sent.find("BC\nBD"), std::string::npos) << sent;
    ReleasePath(path);
}

TEST_F(PathOutput, BezierRecordNotInThreesFails)
{
    HostPath* path = PathOf({{PD_BEGINSUBPATH | PD_BEZIERS | PD_ENDSUBPATH, 0, 3}}, {{0, 0}, {16, 16}, {32, 0}});
    SetLastError(0);
    EXPECT_EQ(SendPathBody(layer_, &path->po), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    ReleasePath(path);
}

TEST_F(PathOutput, ClassesOfPaths)
{
    FLOAT_LONG dashes[2];
    dashes[0].e = 4.0f;
    dashes[1].e = 2.0f;
    LINEATTRS solid{};
    LINEATTRS dashed{};
    dashed.fl = LA_GEOMETRIC | LA_STYLED;
    dashed.cstyle = 2;
    dashed.pstyle = dashes;
    LINEATTRS geometric{};
    geometric.fl = LA_GEOMETRIC;
    const PathRecord closedFour = {PD_BEGINSUBPATH | PD_ENDSUBPATH | PD_CLOSEFIGURE, 0, 4};
    const std::vector<POINTFIX> square = {{0, 0}, {160, 0}, {160, 160}, {0, 160}};
    const std::vector<POINTFIX> kite = {{0, 0}, {160, 16}, {160, 160}, {0, 160}};
    struct Case {
        const char* name;
        std::vector<PathRecord> records;
        std::vector<POINTFIX> points;
        FLONG fl;
        const LINEATTRS* line;
        PaintKind kind;
        PathClass expected;
    };
    const Case cases[] = {
        {"square filled", {closedFour}, square, 0, nullptr, kPaintFill, kPathRectangle},
        {"square stroked solid", {closedFour}, square, 0, &solid, kPaintStroke, kPathRectangle},
        {"square stroked dashed", {closedFour}, square, 0, &dashed, kPaintStroke, kPathGeneral},
        {"square filled with a dashed pen", {closedFour}, square, 0, &dashed, kPaintFill, kPathRectangle},
        {"kite", {closedFour}, kite, 0, nullptr, kPaintFill, kPathGeneral},
        {"open square", {{PD_BEGINSUBPATH | PD_ENDSUBPATH, 0, 4}}, square, 0, nullptr, kPaintFill, kPathGeneral},
        {"two squares", {closedFour, {closedFour.flags, 0, 4}}, square, 0, nullptr, kPaintFill, kPathGeneral},
        {"ellipse filled", {closedFour}, kite, PO_ELLIPSE, &dashed, kPaintFill, kPathEllipse},
        {"ellipse stroked cosmetic", {closedFour}, kite, PO_ELLIPSE, &solid, kPaintStroke, kPathEllipse},
        {"ellipse stroked geometric", {closedFour}, kite, PO_ELLIPSE, &geometric, kPaintStroke, kPathGeneral},
        {"ellipse stroked dashed", {closedFour}, kite, PO_ELLIPSE, &dashed, kPaintStrokeAndFill, kPathGeneral},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HostPath* path = PathOf(c.records, c.points, c.fl);
        EXPECT_EQ(ClassifyPath(&path->po, c.line, nullptr, c.kind), c.expected);
        ReleasePath(path);
    }
}

TEST_F(PathOutput, PensBecomeLineAttributes)
{
    FLOAT_LONG dots[2];
    dots[0].l = 3;
    dots[1].l = 1;
    FLOAT_LONG dashes[3];
    dashes[0].e = 6.0f;
    dashes[1].e = 2.0f;
    dashes[2].e = 1.0f;
    struct Case {
        const char* name;
        LINEATTRS line;
        uint32_t setting467;
        const char* sent;
    };
    auto cosmetic = [&](FLONG fl, ULONG count, int32_t state) {
        LINEATTRS l{};
        l.fl = fl;
        l.elWidth.l = 1;
        l.cstyle = count;
        l.pstyle = count ? dots : nullptr;
        l.elStyleState.l = state;
        return l;
    };
    auto geometric = [&](FLONG fl, ULONG join, ULONG cap, float miter, ULONG count) {
        LINEATTRS l{};
        l.fl = LA_GEOMETRIC | fl;
        l.iJoin = join;
        l.iEndCap = cap;
        l.eMiterLimit = miter;
        l.elWidth.e = 2.5f;
        l.cstyle = count;
        l.pstyle = count ? dashes : nullptr;
        return l;
    };
    const Case cases[] = {
        {"cosmetic solid", cosmetic(0, 0, 0), 0, "AD width=1\nAH style=1"},
        {"cosmetic dotted, dot size 3", cosmetic(LA_STYLED, 2, 0), 3,
         "AD width=1\nAH style=6 offset=0 count=2 lengths=[9,3]"},
        {"cosmetic dotted, dot size 0 means 24", cosmetic(LA_STYLED, 2, 0), 0,
         "AD width=1\nAH style=6 offset=0 count=2 lengths=[72,24]"},
        {"cosmetic dotted, starting with a gap", cosmetic(LA_STYLED | LA_STARTGAP, 2, 5), 1,
         "AD width=1\nAH style=6 offset=5 count=2 lengths=[1,3]"},
        {"cosmetic alternate", cosmetic(LA_ALTERNATE, 0, 2), 0, "AD width=1\nAH style=6 offset=2 count=2 lengths=[1,1]"},
        {"geometric round, square, low miter", geometric(0, JOIN_ROUND, ENDCAP_SQUARE, 0.5f, 0), 0,
         "AF join=2\nAE cap=3\nAG limit=1\nAd width=2.5\nAH style=1"},
        {"geometric miter, butt, dashes from a gap", geometric(LA_STARTGAP, JOIN_MITER, ENDCAP_BUTT, 10, 3), 0,
         "AF join=1\nAE cap=1\nAG limit=10\nAd width=2.5\nAH style=6 offset=0 count=3 lengths=[1,6,2]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LayerReset();
        EXPECT_EQ(SendLineAttributes(layer_, &c.line, 600, c.setting467), 0);
        EXPECT_EQ(Sent(), c.sent);
    }
}

}  // namespace
