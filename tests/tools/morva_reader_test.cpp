#include "tools/morva_reader/morva_reader.h"

#include "render/morva/morva_commands.h"
#include "render/morva/morva_scalars.h"
#include "render/morva/stream_head.h"
#include "tests/support/stream_capture.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;

std::string Read(const Bytes& bytes, MorvaListing* listing)
{
    ReadMorvaCommands(bytes.data(), bytes.size(), {}, listing);
    return CommandTexts(*listing);
}

TEST(MorvaReader, VarintsReadBack)
{
    // Bytes written by hand from the format: n=1 then one (dx, dy) pair.
    struct Case {
        Bytes pair;
        const char* text;
    };
    const Case cases[] = {
        {{0x00, 0x41}, "B0 n=1 deltas=[(0,-1)]"},
        {{0x80, 0x40, 0xC0, 0x64}, "B0 n=1 deltas=[(64,-100)]"},
        {{0xBF, 0x7F, 0x80, 0xC0, 0x00}, "B0 n=1 deltas=[(8191,8192)]"},
        {{0x81, 0xFF, 0x7F, 0xC2, 0x80, 0x00}, "B0 n=1 deltas=[(32767,-32768)]"},
    };
    for (const Case& c : cases) {
        Bytes bytes = {'B', '0', 0, 1};
        bytes.insert(bytes.end(), c.pair.begin(), c.pair.end());
        MorvaListing listing;
        EXPECT_EQ(Read(bytes, &listing), c.text);
        EXPECT_TRUE(listing.error.empty()) << listing.error;
    }
}

TEST(MorvaReader, UnknownOpcodeStopsTheReading)
{
    const Bytes bytes = {'A', 'R', 'Z', 'Z', 'A', 'R'};
    MorvaListing listing;
    EXPECT_FALSE(ReadMorvaCommands(bytes.data(), bytes.size(), {}, &listing));
    EXPECT_EQ(CommandTexts(listing), "AR");
    EXPECT_EQ(listing.error, "unknown opcode ZZ at offset 2");
    const Bytes binary = {0x01, 0x02};
    EXPECT_FALSE(ReadMorvaCommands(binary.data(), binary.size(), {}, &listing));
    EXPECT_EQ(listing.error, "unknown opcode 0x102 at offset 0");
}

TEST(MorvaReader, UnknownColourFormatIsAnError)
{
    const Bytes bytes = {'A', 'M', 1, 5, 0, 0, 0};
    MorvaListing listing;
    EXPECT_FALSE(ReadMorvaCommands(bytes.data(), bytes.size(), {}, &listing));
    EXPECT_NE(listing.error.find("unknown colour format 5"), std::string::npos);
}

// Every cut inside a command is reported as a truncation; a cut between
// commands reads the commands before it.
TEST(MorvaReader, EveryTruncationIsReported)
{
    StreamCapture capture;
    OutputStream* s = capture.stream();
    const uint16_t ids[] = {1, 2};
    const float advances[] = {3.5f};
    const uint8_t bits[6] = {1, 2, 3, 4, 5, 6};
    const MorvaPoint current = {0, 0};
    const MorvaPoint points[] = {{100, 9000}};
    const MorvaColour rgb = {kColourFormatRgb, {1, 2, 3}};
    const int16_t dashes[] = {4, 2};
    ASSERT_EQ(WriteStreamBegin(s, 0x90) | WriteSolidColour(s, 2, rgb) | WriteLineStyle(s, 6, 0, dashes) |
                  WritePatternBrush(s, 1, 2, 2, rgb, {10, 3, bits}) | WritePolylineDelta(s, &current, points) |
                  WriteGlyphRun(s, 1, 2, ids, kAdvancePerGap, advances) | WriteComment(s, "abc", 0) |
                  WriteStreamEnd(s),
              0);
    const Bytes whole = capture.Bytes();
    MorvaListing listing;
    ASSERT_TRUE(ReadMorvaCommands(whole.data(), whole.size(), {}, &listing)) << listing.error;
    std::vector<size_t> boundaries;
    for (const MorvaCommandLine& c : listing.commands)
        boundaries.push_back(c.offset);
    boundaries.push_back(whole.size());
    for (size_t cut = 1; cut < whole.size(); ++cut) {
        MorvaListing part;
        const bool ok = ReadMorvaCommands(whole.data(), cut, {}, &part);
        const bool atBoundary = std::find(boundaries.begin(), boundaries.end(), cut) != boundaries.end();
        EXPECT_EQ(ok, atBoundary) << "cut at " << cut << ": " << part.error;
        if (!atBoundary) {
            EXPECT_EQ(part.error.rfind("truncated", 0), 0u) << part.error;
        }
    }
}

// Hostile input: commands with random operands, lengths and counts never make
// the reader read outside the bytes it was given (the sanitizer-free check is
// that it ends with a listing or an error, and every offset lies inside).
TEST(MorvaReader, RandomOperandsEndInAListingOrAnError)
{
    const char* const opcodes[] = {"AP", "AV", "AH", "Ah", "AO", "Ao", "BP", "Bp", "B0", "BU", "Cq", "Cp",
                                   "DC", "Dd", "DF", "EE", "EH", "Eg", "EP", "Ec", "AM", "AN"};
    uint32_t seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return static_cast<uint8_t>(seed >> 16);
    };
    for (int round = 0; round < 2000; ++round) {
        Bytes bytes;
        const char* op = opcodes[round % (sizeof(opcodes) / sizeof(opcodes[0]))];
        bytes.push_back(static_cast<uint8_t>(op[0]));
        bytes.push_back(static_cast<uint8_t>(op[1]));
        const size_t n = next() % 64;
        for (size_t i = 0; i < n; ++i)
            bytes.push_back(next());
        MorvaListing listing;
        const bool ok = ReadMorvaCommands(bytes.data(), bytes.size(), {}, &listing);
        EXPECT_EQ(ok, listing.error.empty());
        for (const MorvaCommandLine& c : listing.commands)
            EXPECT_LT(c.offset, bytes.size());
    }
}

TEST(MorvaReader, JobFileWithHeaderHeadAndTrailer)
{
    StreamCapture capture;
    OutputStream* s = capture.stream();
    const std::string header = "\x1b%-12345X@PJL JOB\n@PJL SET COPIES=1\n";
    PutRaw(s, header.data(), static_cast<uint32_t>(header.size()));
    ASSERT_EQ(WriteStreamHead(s, 0x01020006), 0);
    ASSERT_EQ(WriteStreamBegin(s, 0x90) | WriteSheetOutput(s) | WriteStreamEnd(s), 0);
    const std::string trailer = "\x1b%-12345X@PJL EOJ\n";
    PutRaw(s, trailer.data(), static_cast<uint32_t>(trailer.size()));
    const Bytes bytes = capture.Bytes();
    MorvaListing listing;
    ASSERT_TRUE(ReadMorvaJob(bytes.data(), bytes.size(), {}, &listing)) << listing.error;
    EXPECT_EQ(listing.headerLines, (std::vector<std::string>{"\x1b%-12345X@PJL JOB", "@PJL SET COPIES=1"}));
    EXPECT_EQ(listing.versionLine, "%ZQRQD-2.0.6%");
    EXPECT_EQ(listing.systemLine.rfind("%WINNT-", 0), 0u);
    EXPECT_EQ(CommandTexts(listing), "EA value=0x90\nFB\nEB");
    EXPECT_EQ(listing.trailerLines, (std::vector<std::string>{"\x1b%-12345X@PJL EOJ"}));
    const std::string text = FormatMorvaListing(listing);
    EXPECT_NE(text.find("head    %ZQRQD-2.0.6%\n"), std::string::npos);
    EXPECT_NE(text.find("\\x1b%-12345X@PJL JOB"), std::string::npos);

    const Bytes noHead = {'A', 'R'};
    EXPECT_FALSE(ReadMorvaJob(noHead.data(), noHead.size(), {}, &listing));
    EXPECT_EQ(listing.error, "no stream head line");
}

// An image without source data but with a mask: the mask bytes follow the
// model byte directly, whatever their first byte, while coded data still
// brings its colour section.
TEST(MorvaReader, ImageMaskBytesAreNotTakenForAColourSection)
{
    const float m[6] = {1, 0, 0, 1, 0, 0};
    struct Case {
        Bytes mask;
        const char* shown;
    };
    const Case cases[] = {
        {{0x04, 0x01, 0x08, 0x00}, "04010800"}, {{0x03, 0x01, 0x08, 0x04}, "03010804"},
        {{0x05, 0x01, 0x01, 0x01}, "05010101"}, {{0x08, 0x08, 0x00, 0x01}, "08080001"},
        {{0x0B, 0x00, 0x00, 0x00}, "0b000000"}, {{0x0F, 0x01, 0x08, 0x02}, "0f010802"},
        {{0x41, 0x52, 0x00, 0x00}, "41520000"},
    };
    for (const Case& c : cases) {
        StreamCapture capture;
        OutputStream* s = capture.stream();
        MorvaImageHeader h = {};
        std::copy(m, m + 6, h.matrix);
        h.sourceWidth = 2;
        h.sourceHeight = 2;
        h.maskFlag = kImageWithMask;
        h.maskLength = 4;
        h.colourModel = kImageNoSourceData;
        h.method = kImageMethodPlain;
        ASSERT_EQ(WriteImageHeader(s, h), 0);
        ASSERT_EQ(PutRaw(s, c.mask.data(), 4), 0);
        ASSERT_EQ(WriteClipReset(s), 0);
        MorvaListing listing;
        EXPECT_EQ(Read(capture.Bytes(), &listing),
                  std::string("Cq x=0 y=0 matrix=[1,0,0,1,0,0] width=2 height=2 mask=2 maskzero=0 masklength=4 "
                              "model=1 maskdata=") + c.shown + "\nAR")
            << listing.error;
    }
    StreamCapture capture;
    OutputStream* s = capture.stream();
    MorvaImageHeader coded = {};
    std::copy(m, m + 6, coded.matrix);
    coded.sourceWidth = 2;
    coded.sourceHeight = 2;
    coded.maskFlag = kImageWithMask;
    coded.maskLength = 1;
    coded.colourModel = kImageNoSourceData;
    coded.colourKind = 5;
    coded.bitsPerComponent = 8;
    coded.method = 4;
    coded.dataLength = 2;
    const uint8_t bytes[3] = {0x04, 0xAA, 0xBB};
    ASSERT_EQ(WriteImageHeader(s, coded) | PutRaw(s, bytes, 3) | WriteClipReset(s), 0);
    MorvaListing listing;
    EXPECT_EQ(Read(capture.Bytes(), &listing),
              "Cq x=0 y=0 matrix=[1,0,0,1,0,0] width=2 height=2 mask=2 maskzero=0 masklength=1 model=1 kind=5 "
              "planes=1 bits=8 method=4 length=2 maskdata=04 data=aabb\nAR")
        << listing.error;
}

// Head lines are shown escaped like header lines, so a NUL or control byte
// in them cannot cut the listing short of its error line.
TEST(MorvaReader, HeadLinesAreEscaped)
{
    const std::string job("%ZQRQD-2.0\0006%\n%WINNT-6\x01\n\xff", 25);
    MorvaListing listing;
    EXPECT_FALSE(ReadMorvaJob(reinterpret_cast<const uint8_t*>(job.data()), job.size(), {}, &listing));
    const std::string text = FormatMorvaListing(listing);
    EXPECT_NE(text.find("head    %ZQRQD-2.0\\x006%\n"), std::string::npos) << text;
    EXPECT_NE(text.find("head    %WINNT-6\\x01\n"), std::string::npos) << text;
    EXPECT_EQ(text.find('\0'), std::string::npos);
    EXPECT_NE(text.find("ERROR   "), std::string::npos) << text;
}

}  // namespace
