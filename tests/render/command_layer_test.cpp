// The command layer read back by the independent reader: which commands the
// state cache leaves out, which form each command takes, and that a failed
// write is sent again.
#include "render/command/command_layer.h"
#include "tests/support/stream_capture.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

const MorvaColour kRed = {kColourFormatRgb, {255, 0, 0}};
const MorvaColour kBlue = {kColourFormatRgb, {0, 0, 255}};

struct LayerHolder {
    StreamCapture capture;
    CommandLayer* layer;
    explicit LayerHolder(uint32_t streamVersion = kStreamVersionGlyphId16, uint32_t glyphCapacity = 0)
        : layer(CreateCommandLayer({capture.stream(), streamVersion, false, glyphCapacity}))
    {
        ResetCommandLayerForPage(layer);
    }
    ~LayerHolder() { FreeCommandLayer(layer); }
    // Makes every write fail until Reopen.
    void Close() { capture.stream()->mode = kStreamClosed; }
    void Reopen() { capture.stream()->mode = kStreamSpooler; }
};

FixPoint Px(int32_t x, int32_t y)
{
    return {x * 16, y * 16};
}

TEST(CommandLayer, FormFollowsTheValues)
{
    LayerHolder h;
    CommandLayer* l = h.layer;
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(EmitClipRect(l, 0, 0, 4960, 7015), 0);
    EXPECT_EQ(EmitClipRect(l, 0, 0, 40000, 7015), 0);  // beyond 16 bits: the float form
    EXPECT_EQ(EmitLineWidth(l, 2.5f), 0);
    EXPECT_EQ(EmitLineWidth(l, 3.0f), 0);
    EXPECT_EQ(EmitLineWidth(l, 3.0f), 0);  // unchanged: left out
    EXPECT_EQ(EmitRectangle(l, 1, 2, 3, 4), 0);
    EXPECT_EQ(EmitRectangleFix(l, 24, 32, 48, 64), 0);  // 1.5 px is not whole
    EXPECT_EQ(h.capture.Commands(),
              "AB left=0 top=0 right=4960 bottom=7015\n"
              "Ab left=0 top=0 right=40000 bottom=7015\n"
              "Ad width=2.5\n"
              "AD width=3\n"
              "CG x1=1 y1=2 x2=3 y2=4\n"
              "Cg x1=1.5 y1=2 x2=3 y2=4");
}

// Positioned strings have one opcode for two forms that no reader could tell
// apart, so a job holds the integer form only: a position with a fraction goes
// to its nearest pixel, one beyond 16 bits lies off every sheet and is left
// out, and the reader takes every one without being told a form.
TEST(CommandLayer, PositionedStringsAreWholePixelsOnly)
{
    LayerHolder h;
    CommandLayer* l = h.layer;
    ASSERT_NE(l, nullptr);
    const std::vector<uint16_t> first = {10, 20};
    EXPECT_EQ(EmitPositionedString(l, 5, 6, 0, 0, 65), 0);
    EXPECT_EQ(EmitPositionedString(l, 10.6f, -3.2f, 2, 44, 66), 0);
    EXPECT_EQ(EmitPositionedString(l, 40000.0f, 6, 0, 0, 67), 0);  // left out
    EXPECT_EQ(EmitPositionedString(l, -32768.0f, 32767.0f, 0, 0, 68), 0);
    EXPECT_EQ(EmitPositionedString(l, 5, -32769.0f, 0, 0, 69), 0);  // left out
    EXPECT_EQ(EmitPositionedStrings(l, 0.5f, 2.5f, 1, first, {}, 70), 0);
    EXPECT_EQ(EmitPositionedStrings(l, 1, 70000.0f, 1, first, {}, 71), 0);  // left out
    EXPECT_EQ(h.capture.Commands(),
              "DE x=5 y=6 flags=0 last=65\n"
              "DE x=11 y=-3 flags=2 second=44 last=66\n"
              "DE x=-32768 y=32767 flags=0 last=68\n"
              "DF x=0 y=2 kind=2 flags=1 count=2 first=[10,20] last=70");
}

// "Ec" carries the sheet in millimetres to the tenth.
TEST(CommandLayer, PageMediaInMillimetresToTheTenth)
{
    LayerHolder h;
    CommandLayer* l = h.layer;
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(EmitPageMedia(l, 3, 7, 'Q', 215.9f, 279.4f), 0);
    EXPECT_EQ(EmitPageMedia(l, 3, 7, 'Q', 215.94f, 279.36f), 0);
    EXPECT_EQ(EmitPageMedia(l, 3, 7, 'A', 215.9f, 279.4f), 0);  // a named size has none
    EXPECT_EQ(h.capture.Commands(),
              "Ec code1=3 code2=7 kind=81 width=215.9 height=279.4\n"
              "Ec code1=3 code2=7 kind=81 width=215.9 height=279.4\n"
              "Ec code1=3 code2=7 kind=65");
}

TEST(CommandLayer, ColourAndMixCache)
{
    LayerHolder h;
    CommandLayer* l = h.layer;
    EXPECT_EQ(EmitColour(l, 2, kRed), 0);
    EXPECT_EQ(EmitColour(l, 2, kRed), 0);  // same colour: one "AM"
    EXPECT_EQ(EmitMix(l, 1, 0xCC), 0);
    EXPECT_EQ(EmitMix(l, 1, 0xCC), 0);
    EXPECT_EQ(EmitColour(l, 2, kRed), 0);  // the mix changed what the printer holds
    EXPECT_EQ(EmitColour(l, 2, kBlue), 0);
    EXPECT_EQ(h.capture.Commands(),
              "AM target=2 format=4 rgb=255,0,0\n"
              "AL kind=1 value=204\n"
              "AM target=2 format=4 rgb=255,0,0\n"
              "AM target=2 format=4 rgb=0,0,255");
}

TEST(CommandLayer, FailedWriteIsSentAgain)
{
    LayerHolder h;
    CommandLayer* l = h.layer;
    EXPECT_EQ(EmitLineWidth(l, 3.0f), 0);
    h.Close();
    EXPECT_EQ(EmitLineWidth(l, 5.0f), -1);
    EXPECT_EQ(EmitColour(l, 1, kBlue), -1);
    h.Reopen();
    EXPECT_EQ(EmitLineWidth(l, 5.0f), 0);
    EXPECT_EQ(EmitColour(l, 1, kBlue), 0);
    EXPECT_EQ(h.capture.Commands(),
              "AD width=3\n"
              "AD width=5\n"
              "AM target=1 format=4 rgb=0,0,255");
}

TEST(CommandLayer, PageStartForgetsTheState)
{
    LayerHolder h;
    CommandLayer* l = h.layer;
    EXPECT_EQ(EmitLineWidth(l, 3.0f), 0);
    EXPECT_EQ(EmitColour(l, 2, kRed), 0);
    EXPECT_EQ(ResetCommandLayerForPage(l), 0);
    EXPECT_EQ(EmitLineWidth(l, 3.0f), 0);
    EXPECT_EQ(EmitColour(l, 2, kRed), 0);
    EXPECT_EQ(h.capture.Commands(),
              "AD width=3\n"
              "AM target=2 format=4 rgb=255,0,0\n"
              "AD width=3\n"
              "AM target=2 format=4 rgb=255,0,0");
}

TEST(CommandLayer, PolylineDifferencesNeedAKnownCurrentPoint)
{
    LayerHolder h;
    CommandLayer* l = h.layer;
    const FixPoint line[] = {Px(110, 120), Px(130, 90)};
    EXPECT_EQ(EmitPathStart(l), 0);
    EXPECT_EQ(EmitMoveTo(l, Px(100, 100)), 0);
    EXPECT_EQ(EmitPolyline(l, line), 0);                 // small steps from a known point
    EXPECT_EQ(EmitMoveTo(l, {100 * 16 + 8, 100 * 16}), 0);  // half a pixel: the float form
    EXPECT_EQ(EmitPolyline(l, line), 0);                 // the point is not known exactly
    EXPECT_EQ(EmitPolyline(l, line), 0);                 // known again after a whole-pixel run
    EXPECT_EQ(EmitPathEnd(l), 0);
    EXPECT_EQ(h.capture.Commands(),
              "BA\n"
              "BB x=100 y=100\n"
              "B0 n=2 deltas=[(10,20),(20,-30)]\n"
              "Bb x=100.5 y=100\n"
              "BP n=2 points=[(110,120),(130,90)]\n"
              "B0 n=2 deltas=[(-20,30),(20,-30)]\n"
              "BD");
}

TEST(CommandLayer, LongPolylineIsSplitByCountField)
{
    LayerHolder h;
    CommandLayer* l = h.layer;
    std::vector<FixPoint> points;
    for (int i = 0; i < 40000; ++i)  // steps of 36000 px: too far for differences
        points.push_back(Px(i % 2 == 0 ? -16000 : 20000, 10));
    EXPECT_EQ(EmitPolyline(l, points), 0);
    const std::string listing = h.capture.Commands();
    std::vector<std::string> heads;  // each command without its points
    for (size_t pos = 0; pos < listing.size();) {
        size_t end = listing.find('\n', pos);
        if (end == std::string::npos)
            end = listing.size();
        const std::string line = listing.substr(pos, end - pos);
        heads.push_back(line.substr(0, line.find(" points")));
        pos = end + 1;
    }
    const std::vector<std::string> expected = {"BP n=32767", "BP n=7233"};
    EXPECT_EQ(heads, expected);
}

TEST(CommandLayer, BeziersComeInThrees)
{
    LayerHolder h;
    CommandLayer* l = h.layer;
    const FixPoint two[] = {Px(1, 2), Px(3, 4)};
    const FixPoint three[] = {Px(1, 2), Px(3, 4), {5 * 16 + 8, 6 * 16}};
    EXPECT_EQ(EmitBeziers(l, two), -1);
    EXPECT_EQ(EmitBeziers(l, three), 0);
    EXPECT_EQ(h.capture.Commands(), "Bu n=1 points=[(1,2),(3,4),(5.5,6)]");
}

TEST(CommandLayer, ShadingBrushIsBackgroundAndPattern)
{
    LayerHolder h;
    CommandLayer* l = h.layer;
    EXPECT_EQ(EmitHatchBrush(l, 2, 0x00332211), 0);
    EXPECT_EQ(EmitHatchBrush(l, 2, 0x00332211), 0);  // the background is cached, the pattern is not
    EXPECT_EQ(h.capture.Commands(),
              "AQ use=2 mode=2 format=4 rgb=17,34,51\n"
              "AO x=0 y=0 use=2 format=4 rgb=51,34,17 kind=1 width=8 height=8 bits=bbbbeeeebbbbeeee\n"
              "AO x=0 y=0 use=2 format=4 rgb=51,34,17 kind=1 width=8 height=8 bits=bbbbeeeebbbbeeee");
}

TEST(CommandLayer, JobStringsAreAnsi)
{
    LayerHolder h;
    CommandLayer* l = h.layer;
    EXPECT_EQ(EmitJobString(l, L"Report"), 0);
    EXPECT_EQ(EmitJobString2(l, L""), 0);
    const std::string listing = h.capture.Commands();
    EXPECT_EQ(listing.substr(0, 2), "EE");
    EXPECT_NE(listing.find("Report"), std::string::npos) << listing;
    EXPECT_NE(listing.find("\nEH"), std::string::npos) << listing;
}

TEST(CommandLayer, GlyphCacheLeftOutWithExternalProcessingOrNoCapacity)
{
    struct Case {
        bool external;
        uint32_t capacity;
        bool enabled;
    };
    const Case cases[] = {{false, 0x10000, true}, {true, 0x10000, false}, {false, 0, false}};
    for (const Case& c : cases) {
        StreamCapture capture;
        CommandLayer* l = CreateCommandLayer({capture.stream(), kStreamVersionGlyphId16, c.external, c.capacity});
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(IsGlyphCacheEnabled(l), c.enabled);
        uint32_t address = 0;
        if (!c.enabled) {
            EXPECT_EQ(FindCachedGlyph(l, GlyphKey{1, 2}, &address), -1);
            EXPECT_EQ(ResetGlyphCache(l), -1);
        }
        FreeCommandLayer(l);
    }
}

}  // namespace
