// One golden listing per opcode family: the writers' bytes read back by the
// independent reader. Re-record only on purpose, after checking each line
// against the stream format.
#include "render/morva/morva_commands.h"
#include "render/morva/morva_scalars.h"
#include "tests/support/stream_capture.h"

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

namespace {

const MorvaColour kRed = {kColourFormatRgb, {255, 0, 0}};
const MorvaColour kGrey = {kColourFormatGrey, {128, 0, 0}};

TEST(MorvaGolden, GraphicsStateFamily)
{
    StreamCapture capture;
    OutputStream* s = capture.stream();
    const float m[6] = {1, 0, 0, -1, 0, 792};
    const int16_t dashes[] = {40, 10};
    const float dashesF[] = {4.5f, 1.5f};
    const uint8_t pattern[2] = {0x81, 0x42};
    const uint8_t rgb[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const uint8_t palette[6] = {0, 0, 0, 255, 255, 255};
    int r = 0;
    for (int code = 1; code <= 4; ++code)
        r |= WriteAxisMatrix(s, code);
    r |= WritePlacementMatrix(s, m);
    r |= WriteClipRect(s, 0, -1, 4960, 7015);
    r |= WriteClipRectF(s, 0.5f, 1, 40000, 2);
    r |= WriteClipToPath(s);
    r |= WriteLineWidth(s, 3);
    r |= WriteLineWidthF(s, 2.5f);
    r |= WriteLineCap(s, 2);
    r |= WriteLineJoin(s, 1);
    r |= WriteMiterLimit(s, -128);
    r |= WriteMiterLimitF(s, 10.5f);
    r |= WriteLineStyle(s, 1, 99, dashes);  // no pattern for styles other than 6
    r |= WriteLineStyle(s, kLineStyleUserDash, 5, dashes);
    r |= WriteLineStyleF(s, kLineStyleUserDash, 0.25f, dashesF);
    r |= WriteJobOption(s, true);
    r |= WriteFillRule(s, 2);
    r |= WritePaintOperation(s, 2);
    r |= WriteMix(s, 1, 0xCC);
    r |= WriteSolidColour(s, 2, kRed);
    r |= WriteSolidColour(s, 1, kGrey);
    r |= WriteHatchBrush(s, -3, 4, 2, kRed, 6);
    r |= WriteHatchBrushF(s, 0.5f, 1, 1, kGrey, 7);
    r |= WritePatternBrush(s, 0, 0, 2, kGrey, {8, 2, pattern});
    r |= WritePatternBrushF(s, 0.5f, 0, 1, kRed, {3, 2, pattern});
    r |= WriteColourPatternBrush(s, {1, 2, 2, kColourFormatRgb, 2, 2, 12, rgb});
    r |= WriteBrushBackground(s, 2, 1, kRed);
    r |= WriteClipReset(s);
    r |= WritePalette(s, 11, 8, 2, palette);
    ASSERT_EQ(r, 0);
    EXPECT_EQ(capture.Commands(),
              "AA a=1 b=0 c=0 d=-1 e=0 f=0\n"
              "AA a=-1 b=0 c=0 d=1 e=0 f=0\n"
              "AA a=0 b=1 c=1 d=0 e=0 f=0\n"
              "AA a=0 b=-1 c=-1 d=0 e=0 f=0\n"
              "Aa matrix=[1,0,0,-1,0,792]\n"
              "AB left=0 top=-1 right=4960 bottom=7015\n"
              "Ab left=0.5 top=1 right=40000 bottom=2\n"
              "AC\n"
              "AD width=3\n"
              "Ad width=2.5\n"
              "AE cap=2\n"
              "AF join=1\n"
              "AG limit=-128\n"
              "Ag limit=10.5\n"
              "AH style=1\n"
              "AH style=6 offset=5 count=2 lengths=[40,10]\n"
              "Ah style=6 offset=0.25 count=2 lengths=[4.5,1.5]\n"
              "AI on=1\n"
              "AJ rule=2\n"
              "AK op=2\n"
              "AL kind=1 value=204\n"
              "AM target=2 format=4 rgb=255,0,0\n"
              "AM target=1 format=3 grey=128\n"
              "AN x=-3 y=4 use=2 format=4 rgb=255,0,0 hatch=6\n"
              "An x=0.5 y=1 use=1 format=3 grey=0.5019608 hatch=7\n"
              "AO x=0 y=0 use=2 format=3 grey=128 kind=1 width=8 height=2 bits=8142\n"
              "Ao x=0.5 y=0 use=1 format=4 rgb=1,0,0 kind=1 width=3 height=2 bits=8142\n"
              "AP x=1 y=2 use=2 format=4 bits=8 width=2 height=2 planes=1 length=12 data=0102030405060708090a0b0c\n"
              "AQ use=2 mode=1 format=4 rgb=255,0,0\n"
              "AR\n"
              "AV kind=11 bits=8 count=2 length=6 data=000000ffffff");
}

TEST(MorvaGolden, PathFamily)
{
    StreamCapture capture;
    OutputStream* s = capture.stream();
    const MorvaPoint line[] = {{10, 20}, {-5, 30000}};
    const MorvaPointF lineF[] = {{0.5f, 1.5f}};
    const MorvaPoint current = {100, 100};
    const MorvaPoint deltas[] = {{163, 37}, {163, -8155}, {-32605, 24612}};
    const MorvaPoint curve[] = {{1, 2}, {3, 4}, {5, 6}};
    const MorvaPointF curveF[] = {{1, 2}, {3, 4}, {5.5f, 6}};
    int r = 0;
    r |= WritePathStart(s);
    r |= WriteMoveTo(s, 100, -100);
    r |= WriteMoveToF(s, 0.25f, 2);
    r |= WritePolyline(s, line);
    r |= WritePolylineF(s, lineF);
    r |= WritePolylineDelta(s, &current, deltas);
    r |= WriteBeziers(s, curve);
    r |= WriteBeziersF(s, curveF);
    r |= WriteClosePath(s);
    r |= WritePathEnd(s);
    r |= WriteRectangle(s, 1, 2, 3, 4);
    r |= WriteRectangleF(s, 1.5f, 2, 3, 4);
    r |= WriteEllipse(s, 50, 60, 10, 20, 0, 360);
    ASSERT_EQ(r, 0);
    EXPECT_EQ(capture.Commands(),
              "BA\n"
              "BB x=100 y=-100\n"
              "Bb x=0.25 y=2\n"
              "BP n=2 points=[(10,20),(-5,30000)]\n"
              "Bp n=1 points=[(0.5,1.5)]\n"
              "B0 n=3 deltas=[(63,-63),(0,-8192),(-32768,32767)]\n"
              "BU n=1 points=[(1,2),(3,4),(5,6)]\n"
              "Bu n=1 points=[(1,2),(3,4),(5.5,6)]\n"
              "BC\n"
              "BD\n"
              "CG x1=1 y1=2 x2=3 y2=4\n"
              "Cg x1=1.5 y1=2 x2=3 y2=4\n"
              "Cc cx=50 cy=60 rx=10 ry=20 start=0 sweep=360");
}

TEST(MorvaGolden, ImageFamily)
{
    StreamCapture capture;
    OutputStream* s = capture.stream();
    const uint8_t palette[6] = {0, 0, 0, 255, 255, 255};
    const uint8_t data[4] = {0xDE, 0xAD, 0xBE, 0xEF};
    const uint8_t mask[2] = {0xF0, 0x0F};
    MorvaImageHeader rgb = {};
    rgb.destX = 10;
    rgb.destY = 20;
    const float m[6] = {2, 0, 0, 2, 0, 0};
    std::copy(m, m + 6, rgb.matrix);
    rgb.sourceWidth = 1;
    rgb.sourceHeight = 1;
    rgb.maskFlag = kImageNoMask;
    rgb.colourModel = kImageData;
    rgb.colourKind = 4;
    rgb.bitsPerComponent = 8;
    rgb.method = kImageMethodPlain;
    rgb.dataLength = 3;
    int r = WriteImageHeader(s, rgb);
    r |= PutRaw(s, data, 3);
    MorvaImageHeader pal = rgb;
    pal.maskFlag = kImageWithMask;
    pal.maskLength = 2;
    pal.colourKind = 11;
    pal.paletteCount = 2;
    pal.palette = palette;
    pal.dataLength = 4;
    pal.method = 8;
    r |= WriteImageHeader(s, pal);
    r |= PutRaw(s, mask, 2);
    r |= PutRaw(s, data, 4);
    MorvaImageHeader none = rgb;
    none.colourModel = kImageNoSourceData;  // plain method: no colour section
    r |= WriteImageHeader(s, none);
    MorvaImageHeader coded = none;
    coded.method = 4;  // coded data: the section is sent although there is no source
    coded.colourKind = 5;
    coded.dataLength = 2;
    r |= WriteImageHeader(s, coded);
    r |= PutRaw(s, data, 2);
    r |= WriteMonoImageHeader(s, 1, 2, 9, 2, 1, m);
    r |= PutRaw(s, data, 4);
    ASSERT_EQ(r, 0);
    EXPECT_EQ(capture.Commands(),
              "Cq x=10 y=20 matrix=[2,0,0,2,0,0] width=1 height=1 mask=1 model=2 kind=4 planes=1 bits=8 method=1 "
              "length=3 data=deadbe\n"
              "Cq x=10 y=20 matrix=[2,0,0,2,0,0] width=1 height=1 mask=2 maskzero=0 masklength=2 model=2 kind=11 "
              "palettebits=8 entries=2 palette=000000ffffff planes=1 bits=8 method=8 length=4 maskdata=f00f "
              "data=deadbeef\n"
              "Cq x=10 y=20 matrix=[2,0,0,2,0,0] width=1 height=1 mask=1 model=1\n"
              "Cq x=10 y=20 matrix=[2,0,0,2,0,0] width=1 height=1 mask=1 model=1 kind=5 planes=1 bits=8 method=4 "
              "length=2 data=dead\n"
              "Cp x=1 y=2 width=9 height=2 polarity=1 matrix=[2,0,0,2,0,0] length=4 data=deadbeef");
}

TEST(MorvaGolden, TextFamily)
{
    StreamCapture capture;
    OutputStream* s = capture.stream();
    const float m[6] = {12, 0, 0, -12, 0, 0};
    const uint16_t first[] = {10, 20};
    const uint16_t second[] = {30, 40};
    int r = 0;
    r |= WriteFont(s, 7);
    r |= WriteFontMatrix(s, m);
    r |= WritePositionedString(s, 5, 6, 3, 44, 99);
    r |= WritePositionedStrings(s, 5, 6, 3, first, second, 99);
    r |= WritePositionedStrings(s, 5, 6, 1, first, {}, 98);
    // Each id is followed by the glyph's record: an outline one (one point, the
    // end code, filler 34) and a bitmap one (rows and filler 17).
    const uint8_t outline[16] = {0x00, 0x00, 0x00, 0x10, 0, 1, 0, 1, 0, 4, 0xFF, 0xF8, 0x60, 34, 34, 34};
    const uint8_t bitmap[20] = {0x00, 0x40, 0x00, 0x14, 0x3F, 0x80, 0, 0, 0xC0, 0, 0, 0,
                                0, 1, 0, 8, 1, 1, 0xFF, 0x11};
    r |= WriteGlyphId32(s, 0x12345);
    r |= PutTypedValue(s, 8, outline, sizeof(outline));
    r |= WriteGlyphId16(s, 6272);
    r |= PutTypedValue(s, 8, bitmap, sizeof(bitmap));
    r |= WritePlaceGlyph(s, 1, 2, 0x10000);
    r |= WritePlaceGlyph16(s, 1, 2, 6272);
    r |= WritePlaceGlyphF(s, 1.5f, 2, 64);
    r |= WritePlaceGlyph16F(s, 1.5f, 2, 128);
    ASSERT_EQ(r, 0);
    EXPECT_EQ(capture.Commands(),
              "DA font=7\n"
              "Db matrix=[12,0,0,-12,0,0]\n"
              "DE x=5 y=6 flags=3 first=0 second=44 last=99\n"
              "DF x=5 y=6 kind=2 flags=3 count=4 first=[10,20] second=[30,40] last=99\n"
              "DF x=5 y=6 kind=2 flags=1 count=2 first=[10,20] last=98\n"
              "DH id=74565 outline length=16 points=1 codes=1\n"
              "DL id=98 bitmap length=20 x=1 y=-2 height=1 width=8 rowbytes=1 data=1\n"
              "DI x=1 y=2 id=65536\n"
              "DM x=1 y=2 id=98\n"
              "Di x=1.5 y=2 id=64\n"
              "Dm x=1.5 y=2 id=2");

}

TEST(MorvaGolden, JobFamily)
{
    StreamCapture capture;
    OutputStream* s = capture.stream();
    const float m[6] = {1, 0, 0, 1, 0, 0};
    const uint8_t text[] = {'J', 'o', 'b', 0x8A};
    int r = 0;
    r |= WriteStreamBegin(s, 0x90);
    r |= WritePageMedia(s, 4, 1, 'A', 0, 0);
    r |= WritePageMedia(s, 0, 7, kMediaKindCustom, 210, 297);
    r |= WriteJobString(s, text);
    r |= WriteJobString2(s, text);
    r |= WritePageLabel(s, text, m, 1, 'Q', 0, 0);
    r |= WritePageLabel(s, text, m, 2, 'A', 0, 0);
    r |= WritePageLabel(s, text, m, 2, kMediaKindCustom, 100, 50);
    r |= WriteComment(s, "note", 0);
    r |= WriteJobValue(s, 1, 3);
    r |= WriteJobKindOption(s);
    r |= WriteJobOptions(s, true, true);
    r |= WriteJobKind(s, 1, 2);
    r |= WriteCopiesValue(s, 2);
    r |= WriteSheetOutput(s);
    r |= WriteSheetEnd(s);
    r |= WriteSheetEndVariant(s, 17);
    r |= WriteEndMarker(s);
    r |= WriteStreamEnd(s);
    ASSERT_EQ(r, 0);
    EXPECT_EQ(capture.Commands(),
              "EA value=0x90\n"
              "Ec code1=4 code2=1 kind=65\n"
              "Ec code1=0 code2=7 kind=81 width=210 height=297\n"
              "EE text=\"Job\\x8a\"\n"
              "EH one=1 text=\"Job\\x8a\"\n"
              "Eg text=\"Job\\x8a\" matrix=[1,0,0,1,0,0] kind=1\n"
              "Eg text=\"Job\\x8a\" matrix=[1,0,0,1,0,0] kind=2 letter=65\n"
              "Eg text=\"Job\\x8a\" matrix=[1,0,0,1,0,0] kind=2 letter=81 width=100 height=50\n"
              "EP text=\"note\"\n"
              "FA kind=1 value=3\n"
              "FC\n"
              "FF flags=5\n"
              "FH a=1 b=2\n"
              "FI value=2\n"
              "FB\n"
              "ED\n"
              "FE variant=17\n"
              "EF\n"
              "EB");
}

}  // namespace
