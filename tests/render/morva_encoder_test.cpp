#include "render/morva/morva_commands.h"
#include "render/morva/morva_scalars.h"
#include "render/morva/stream_head.h"
#include "tests/support/stream_capture.h"

#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;

TEST(MorvaScalars, VarintForms)
{
    struct Case {
        int32_t value;
        Bytes bytes;
    };
    const Case cases[] = {
        {0, {0x00}},
        {-1, {0x41}},
        {63, {0x3F}},
        {-63, {0x7F}},
        {64, {0x80, 0x40}},  // two bytes at the threshold, though one would do
        {100, {0x80, 0x64}},
        {-100, {0xC0, 0x64}},
        {8191, {0xBF, 0x7F}},
        {8192, {0x80, 0xC0, 0x00}},
        {-8192, {0xC0, 0xC0, 0x00}},
        {32767, {0x81, 0xFF, 0x7F}},
        {-32768, {0xC2, 0x80, 0x00}},
        {(1 << 20) - 1, {0xBF, 0xFF, 0x7F}},
        {1 << 20, {0x80, 0xC0, 0x80, 0x00}},
        {1 << 27, {0x80, 0xC0, 0x80, 0x80, 0x00}},
    };
    for (const Case& c : cases) {
        uint8_t out[kMaxVarintBytes] = {};
        const int n = EncodeVarint(c.value, out);
        EXPECT_EQ(Bytes(out, out + n), c.bytes) << c.value;
    }
}

TEST(MorvaScalars, ScalarsAreBigEndian)
{
    StreamCapture capture;
    OutputStream* s = capture.stream();
    EXPECT_EQ(PutInt8(s, 0x1FF), 0);
    EXPECT_EQ(PutInt16(s, -2), 0);
    EXPECT_EQ(PutInt24(s, 0x12345678), 0);
    EXPECT_EQ(PutInt32(s, 0x01020304), 0);
    EXPECT_EQ(PutFloat32(s, 1.0f), 0);
    EXPECT_EQ(PutOpcode(s, 0x4142), 0);
    EXPECT_EQ(capture.Bytes(), (Bytes{0xFF, 0xFF, 0xFE, 0x34, 0x56, 0x78, 0x01, 0x02, 0x03, 0x04, 0x3F, 0x80, 0x00,
                                      0x00, 0x41, 0x42}));
}

TEST(MorvaScalars, TypedValuesByCode)
{
    const int32_t i32 = 0x01020304;
    const uint8_t byte[4] = {0xAB, 1, 2, 3};
    const float f = 1.0f;
    const int16_t i16 = 0x0506;
    const uint8_t raw[3] = {7, 8, 9};
    struct Case {
        int code;
        const void* value;
        Bytes bytes;
    };
    const Bytes int24 = {0x02, 0x03, 0x04};
    const Bytes one = {0xAB};
    const Bytes float32 = {0x3F, 0x80, 0x00, 0x00};
    const Bytes int16 = {0x05, 0x06};
    const Bytes int32 = {0x01, 0x02, 0x03, 0x04};
    const Case cases[] = {
        {0, &i32, int24},   {1, &i32, int24},    {2, byte, one},     {3, &f, float32},  {4, &i16, int16},
        {5, &i16, int16},   {6, byte, one},      {7, byte, one},     {8, raw, {7, 8, 9}}, {9, &i16, int16},
        {10, &i16, int16},  {11, &f, float32},   {12, byte, one},    {13, &i16, int16}, {14, &i32, int32},
    };
    for (const Case& c : cases) {
        StreamCapture capture;
        EXPECT_EQ(PutTypedValue(capture.stream(), c.code, c.value, 3), 0) << c.code;
        EXPECT_EQ(capture.Bytes(), c.bytes) << c.code;
    }
    for (int code : {15, 16, -1, 255}) {
        StreamCapture capture;
        EXPECT_EQ(PutTypedValue(capture.stream(), code, &i32, 4), -1) << code;
        EXPECT_TRUE(capture.Bytes().empty()) << code;
    }
}

TEST(MorvaHead, VersionLineIsClamped)
{
    struct Case {
        uint32_t version;
        const char* line;
    };
    const Case cases[] = {
        {0, "%ZQRQD-1.5.1%\n"},
        {0x01010500, "%ZQRQD-1.5.1%\n"},
        {0x01010501, "%ZQRQD-1.5.1%\n"},
        {0x01010801, "%ZQRQD-1.8.1%\n"},
        {0x01020006, "%ZQRQD-2.0.6%\n"},
        {0x01020018, "%ZQRQD-2.0.24%\n"},
        {0x01020019, "%ZQRQD-2.0.24%\n"},
        {0xFFFFFFFF, "%ZQRQD-2.0.24%\n"},
    };
    for (const Case& c : cases) {
        char line[64] = {};
        const int n = FormatStreamVersionLine(c.version, line);
        EXPECT_EQ(std::string(line, n), c.line) << std::hex << c.version;
    }
}

TEST(MorvaHead, SystemLineInHexadecimal)
{
    char line[64] = {};
    int n = FormatSystemLine(6, 1, line);
    EXPECT_EQ(std::string(line, n), "%WINNT-6.1,RQDDRV-2801.1%\n");
    n = FormatSystemLine(10, 0, line);
    EXPECT_EQ(std::string(line, n), "%WINNT-a.0,RQDDRV-2801.1%\n");
}

TEST(MorvaHead, HeadCarriesTheRunningSystem)
{
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ASSERT_TRUE(GetVersionExW(&info));
#pragma GCC diagnostic pop
    char expected[64];
    const int n = FormatSystemLine(info.dwMajorVersion, info.dwMinorVersion, expected);
    StreamCapture capture;
    ASSERT_EQ(WriteStreamHead(capture.stream(), 0x01020006), 0);
    const Bytes bytes = capture.Bytes();
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "%ZQRQD-2.0.6%\n" + std::string(expected, n));
}

TEST(MorvaWriters, SingleGlyphRunCarriesAdvanceZero)
{
    StreamCapture capture;
    const uint16_t ids[] = {0x1234};
    ASSERT_EQ(WriteGlyphRun(capture.stream(), 10, 20, ids, kAdvanceCommon, {}), 0);
    EXPECT_EQ(capture.Bytes(), (Bytes{'D', 'C', 0, 10, 0, 20, 1, 0, 0, 0, 2, 0x12, 0x34}));
}

TEST(MorvaWriters, GlyphRunChoosesItsForm)
{
    const uint16_t ids[] = {1, 2, 3};
    struct Case {
        int mode;
        std::vector<float> advances;
        const char* listing;
    };
    const Case cases[] = {
        {kAdvanceCommon, {12.0f}, "DC x=5 y=-6 advance=12 ids=[1,2,3]"},
        {kAdvanceCommon, {12.5f}, "Dc x=5 y=-6 advance=12.5 ids=[1,2,3]"},
        {kAdvanceCommon, {12.00001f}, "DC x=5 y=-6 advance=12 ids=[1,2,3]"},  // below 1/10000: whole
        {kAdvanceCommon, {-3.75f}, "Dc x=5 y=-6 advance=-3.75 ids=[1,2,3]"},
        {kAdvancePerGap, {7.0f, 9.0f}, "DD x=5 y=-6 advances=[7,9] ids=[1,2,3]"},
        {kAdvancePerGap, {7.0f, 9.5f}, "Dd x=5 y=-6 advances=[7,9.5] ids=[1,2,3]"},
    };
    for (const Case& c : cases) {
        StreamCapture capture;
        ASSERT_EQ(WriteGlyphRun(capture.stream(), 5, -6, ids, c.mode, c.advances), 0);
        EXPECT_EQ(capture.Commands(), c.listing);
    }
    StreamCapture capture;
    EXPECT_EQ(WriteGlyphRun(capture.stream(), 5, -6, {}, kAdvanceCommon, {}), -1);
    EXPECT_EQ(WriteGlyphRun(capture.stream(), 5, -6, ids, 3, {}), -1);
    EXPECT_TRUE(capture.Bytes().empty());
}

TEST(MorvaWriters, PatternBrushRowsArePaddedToBytes)
{
    StreamCapture capture;
    const uint8_t bits[6] = {0xFF, 0xC0, 0x80, 0x40, 0x01, 0x00};
    const MorvaColour black = {kColourFormatRgb, {0, 0, 0}};
    ASSERT_EQ(WritePatternBrush(capture.stream(), 0, 0, 2, black, {10, 3, bits}), 0);
    const Bytes bytes = capture.Bytes();
    // opcode 2, origin 4, use 1, format 1, colour 3, kind 1, size 4, pattern 6
    EXPECT_EQ(bytes.size(), 2u + 4 + 1 + 1 + 3 + 1 + 4 + 6);
    EXPECT_EQ(Bytes(bytes.end() - 6, bytes.end()), Bytes(bits, bits + 6));
    EXPECT_EQ(MonoPatternBytes(10, 3), 6u);
    EXPECT_EQ(MonoPatternBytes(8, 3), 3u);
    EXPECT_EQ(MonoPatternBytes(9, 1), 2u);
}

// A command cut off before its colour would make the device read the next
// opcode as colour bytes: an unknown format writes nothing at all.
TEST(MorvaWriters, UnknownColourFormatWritesNothing)
{
    const uint8_t bits[1] = {0xAA};
    for (uint8_t format : {0, 1, 2, 5, 255}) {
        const MorvaColour c = {format, {1, 2, 3}};
        StreamCapture capture;
        OutputStream* s = capture.stream();
        EXPECT_EQ(WriteSolidColour(s, 1, c), -1);
        EXPECT_EQ(WriteHatchBrush(s, 0, 0, 2, c, 2), -1);
        EXPECT_EQ(WriteHatchBrushF(s, 0, 0, 2, c, 2), -1);
        EXPECT_EQ(WritePatternBrush(s, 0, 0, 2, c, {8, 1, bits}), -1);
        EXPECT_EQ(WritePatternBrushF(s, 0, 0, 2, c, {8, 1, bits}), -1);
        EXPECT_EQ(WriteBrushBackground(s, 2, 1, c), -1);
        EXPECT_TRUE(capture.Bytes().empty()) << int(format);
    }
}

TEST(MorvaWriters, RefusedOperandsWriteNothing)
{
    StreamCapture capture;
    OutputStream* s = capture.stream();
    const MorvaPoint current = {0, 0};
    const MorvaPoint points[] = {{1, 1}};
    EXPECT_EQ(WriteAxisMatrix(s, 0), -1);
    EXPECT_EQ(WriteAxisMatrix(s, 5), -1);
    EXPECT_EQ(WritePolylineDelta(s, nullptr, points), -1);
    EXPECT_EQ(WritePolylineDelta(s, &current, {}), -1);
    const MorvaPoint two[2] = {};
    EXPECT_EQ(WriteBeziers(s, two), -1);  // not a multiple of three
    EXPECT_TRUE(capture.Bytes().empty());
}

// Values that do not fit their fields are refused before the first byte, as
// the one-bit pattern and image writers always did; the boundary passes.
TEST(MorvaWriters, ValuesOutsideTheirFieldsWriteNothing)
{
    const uint8_t data[12] = {};
    const uint8_t palette6[6] = {};
    const uint16_t ids[] = {1, 2, 3};
    const float matrix[6] = {1, 0, 0, 1, 0, 0};
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    MorvaImageHeader image = {};
    image.matrix[0] = image.matrix[3] = 1;
    image.sourceWidth = 2;
    image.sourceHeight = 1;
    image.maskFlag = kImageNoMask;
    image.colourModel = kImageData;
    image.colourKind = 11;
    image.paletteCount = 2;
    image.palette = palette6;
    image.bitsPerComponent = 8;
    image.method = kImageMethodPlain;
    image.dataLength = 2;
    struct Case {
        const char* what;
        std::function<int(OutputStream*)> write;
        int result;
    };
    const auto withImage = [&](auto change) {
        return [&, change](OutputStream* s) {
            MorvaImageHeader h = image;
            change(h);
            return WriteImageHeader(s, h);
        };
    };
    const Case cases[] = {
        {"AP 32767 wide", [&](OutputStream* s) { return WriteColourPatternBrush(s, {0, 0, 2, 4, 0x7FFF, 1, 12, data}); }, 0},
        {"AP 32768 wide", [&](OutputStream* s) { return WriteColourPatternBrush(s, {0, 0, 2, 4, 0x8000, 1, 12, data}); }, -1},
        {"AP 65537 high", [&](OutputStream* s) { return WriteColourPatternBrush(s, {0, 0, 2, 4, 1, 65537, 12, data}); }, -1},
        {"AP 0 high", [&](OutputStream* s) { return WriteColourPatternBrush(s, {0, 0, 2, 4, 1, 0, 12, data}); }, -1},
        {"AV 2 entries", [&](OutputStream* s) { return WritePalette(s, 11, 8, 2, palette6); }, 0},
        {"AV 3 entries in 6 bytes", [&](OutputStream* s) { return WritePalette(s, 11, 8, 3, palette6); }, -1},
        {"AV 1 entry in 6 bytes", [&](OutputStream* s) { return WritePalette(s, 11, 8, 1, palette6); }, -1},
        {"Cq as given", withImage([](MorvaImageHeader&) {}), 0},
        {"Cq 32768 wide", withImage([](MorvaImageHeader& h) { h.sourceWidth = 0x8000; }), -1},
        {"Cq 70000 high", withImage([](MorvaImageHeader& h) { h.sourceHeight = 70000; }), -1},
        {"Cq negative width", withImage([](MorvaImageHeader& h) { h.sourceWidth = -1; }), -1},
        {"Cq count above bytes", withImage([](MorvaImageHeader& h) { h.paletteCount = 3; }), -1},
        {"Cq count below bytes", withImage([](MorvaImageHeader& h) { h.paletteCount = 1; }), -1},
        {"Cq palette sent before", withImage([](MorvaImageHeader& h) { h.colourKind = 15, h.palette = {}; }), 0},
        {"DD one advance per gap", [&](OutputStream* s) { const float a[] = {1, 2}; return WriteGlyphRun(s, 0, 0, ids, kAdvancePerGap, a); }, 0},
        {"DD too few advances", [&](OutputStream* s) { const float a[] = {1}; return WriteGlyphRun(s, 0, 0, ids, kAdvancePerGap, a); }, -1},
        {"DD too many advances", [&](OutputStream* s) { const float a[] = {1, 2, 3}; return WriteGlyphRun(s, 0, 0, ids, kAdvancePerGap, a); }, -1},
        {"DD advance 32767", [&](OutputStream* s) { const float a[] = {1, 32767}; return WriteGlyphRun(s, 0, 0, ids, kAdvancePerGap, a); }, 0},
        {"DD advance 32768", [&](OutputStream* s) { const float a[] = {1, 32768}; return WriteGlyphRun(s, 0, 0, ids, kAdvancePerGap, a); }, -1},
        {"Dd advance 1e6 beside a fraction", [&](OutputStream* s) { const float a[] = {0.5f, 1e6f}; return WriteGlyphRun(s, 0, 0, ids, kAdvancePerGap, a); }, 0},
        {"Dd NaN advance", [&](OutputStream* s) { const float a[] = {0.5f, nan}; return WriteGlyphRun(s, 0, 0, ids, kAdvancePerGap, a); }, -1},
        {"DC advance -32768", [&](OutputStream* s) { const float a[] = {-32768}; return WriteGlyphRun(s, 0, 0, ids, kAdvanceCommon, a); }, 0},
        {"DC advance 1e9", [&](OutputStream* s) { const float a[] = {1e9f}; return WriteGlyphRun(s, 0, 0, ids, kAdvanceCommon, a); }, -1},
        {"Dc infinite advance", [&](OutputStream* s) { const float a[] = {inf}; return WriteGlyphRun(s, 0, 0, ids, kAdvanceCommon, a); }, -1},
        {"Cp 32767 wide", [&](OutputStream* s) { return WriteMonoImageHeader(s, 0, 0, 0x7FFF, 1, 1, matrix); }, 0},
        {"Cp 32768 wide", [&](OutputStream* s) { return WriteMonoImageHeader(s, 0, 0, 0x8000, 1, 1, matrix); }, -1},
    };
    for (const Case& c : cases) {
        StreamCapture capture;
        EXPECT_EQ(c.write(capture.stream()), c.result) << c.what;
        if (c.result != 0) {
            EXPECT_TRUE(capture.Bytes().empty()) << c.what;
        }
    }
}

TEST(MorvaWriters, CommentIsCutAt255Bytes)
{
    const std::string long_text(300, 'x');
    struct Case {
        const char* text;
        uint32_t length;
        size_t written;
    };
    const Case cases[] = {
        {"hello", 0, 5},             // up to the terminating zero
        {"hello", 3, 3},
        {long_text.c_str(), 0, 255},
        {long_text.c_str(), 255, 255},
        {long_text.c_str(), 256, 255},
        {"", 0, 0},
    };
    for (const Case& c : cases) {
        StreamCapture capture;
        ASSERT_EQ(WriteComment(capture.stream(), c.text, c.length), 0);
        const Bytes bytes = capture.Bytes();
        ASSERT_EQ(bytes.size(), 3 + c.written);
        EXPECT_EQ(bytes[2], c.written);
    }
}

BOOL WINAPI RefuseEverything(HANDLE, LPVOID, DWORD, LPDWORD written)
{
    *written = 0;
    return FALSE;
}

// A failed write in the middle of a command: most writers stop there, a few
// write every operand anyway. A buffer one byte short of full makes the
// opcode's write fail (its flush is refused) and leaves the buffer empty for
// the operands that follow.
TEST(MorvaWriters, WhichWritersGoOnAfterAFailedWrite)
{
    const float m[6] = {1, 0, 0, 1, 0, 0};
    struct Case {
        const char* name;
        int (*write)(OutputStream*, const float*);
        uint32_t bytesAfter;  // operand bytes buffered after the failed opcode
    };
    const Case cases[] = {
        {"AB", [](OutputStream* s, const float*) { return WriteClipRect(s, 1, 2, 3, 4); }, 8},
        {"Aa", [](OutputStream* s, const float* m) { return WritePlacementMatrix(s, m); }, 24},
        {"FA", [](OutputStream* s, const float*) { return WriteJobValue(s, 1, 2); }, 3},
        {"DI", [](OutputStream* s, const float*) { return WritePlaceGlyph(s, 1, 2, 3); }, 8},
        {"AD", [](OutputStream* s, const float*) { return WriteLineWidth(s, 1); }, 0},
        {"AL", [](OutputStream* s, const float*) { return WriteMix(s, 1, 2); }, 0},
        {"BB", [](OutputStream* s, const float*) { return WriteMoveTo(s, 1, 2); }, 0},
        {"FH", [](OutputStream* s, const float*) { return WriteJobKind(s, 1, 2); }, 0},
    };
    for (const Case& c : cases) {
        OutputStream* s = CreateOutputStream(nullptr);
        ASSERT_NE(s, nullptr);
        s->writePrinter = RefuseEverything;
        ASSERT_EQ(OpenStreamOnSpoolHandle(s, reinterpret_cast<HANDLE>(1)), 0);
        s->fill = kStreamBufferBytes - 1;
        EXPECT_EQ(c.write(s, m), -1) << c.name;
        EXPECT_EQ(s->fill, c.bytesAfter) << c.name;
        s->fill = 0;
        DestroyOutputStream(s);
    }
}

TEST(MorvaWriters, ClosedStreamFailsEveryWriter)
{
    OutputStream* s = CreateOutputStream(nullptr);
    ASSERT_NE(s, nullptr);
    const float m[6] = {1, 0, 0, 1, 0, 0};
    EXPECT_EQ(WriteClipRect(s, 0, 0, 1, 1), -1);
    EXPECT_EQ(WritePlacementMatrix(s, m), -1);
    EXPECT_EQ(WriteLineWidth(s, 1), -1);
    EXPECT_EQ(WriteStreamEnd(s), -1);
    EXPECT_EQ(WriteStreamHead(s, 0), -1);
    DestroyOutputStream(s);
}

}  // namespace
