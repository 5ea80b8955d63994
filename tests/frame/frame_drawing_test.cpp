// The host's sample pages (text, lines, curves, filled shapes, a photograph,
// a one-bit image, a complex clip) printed through the graphics library: the
// job is read back whole, and each kind of drawing arrives as the commands
// that carry it.
#include "tests/frame/frame_fixture.h"

#include "printhost/host_dc.h"
#include "printhost/sample_pages.h"
#include "render/draw/text_output.h"
#include "tools/morva_reader/morva_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

using frame_test::Count;
using frame_test::FrameDriver;

struct Printed {
    std::string commands;
    size_t bytes = 0;
};

Printed PrintPages(const std::vector<printhost::PageDrawer>& pages, std::vector<frame_test::SettingPair> settings = {})
{
    FrameDriver& driver = frame_test::SharedFrameDriver();
    EXPECT_TRUE(driver.ok());
    const frame_test::PrintedJob job = frame_test::PrintJob(driver.ExtendedDevmode(frame_test::A4At600(settings)), pages);
    return {job.commands, job.bytes.size()};
}

Printed PrintSamples(std::vector<frame_test::SettingPair> settings = {})
{
    return PrintPages(printhost::SamplePages(), std::move(settings));
}

TEST(FrameDrawing, SamplePagesArriveAsTheirCommands)
{
    const Printed p = PrintSamples();
    const std::string& c = p.commands;
    // Two sheets, each ended.
    EXPECT_EQ(Count(c, "\nFB\nED\n"), 2u) << c;
    // Paths: polylines and Beziers inside "BA" ... "BD", each path ended once.
    EXPECT_GT(Count(c, "\nBA\n"), 3u) << c;
    EXPECT_EQ(Count(c, "\nBA\n"), Count(c, "\nBD\n") + Count(c, "\nAC\n")) << c;
    EXPECT_NE(c.find("\nBU"), std::string::npos) << c;
    // The ellipse as one command; the hatch and the pattern brushes.
    EXPECT_NE(c.find("\nCc "), std::string::npos) << c;
    EXPECT_NE(c.find("\nAN "), std::string::npos) << c;
    EXPECT_NE(c.find("\nAJ rule=2"), std::string::npos) << c;  // the star's winding fill
    // The photograph as RGB image bands, the checker board as a one-bit image
    // or a two-colour palette image.
    EXPECT_NE(c.find("\nCq "), std::string::npos) << c;
    // The complex clip: a path made the clip, then reset.
    EXPECT_NE(c.find("\nAK op=2\nAC"), std::string::npos) << c;
}

TEST(FrameDrawing, CompressionAsksForTheCoders)
{
    const Printed plain = PrintSamples({{330, 0}});
    const Printed predictor = PrintSamples({{330, 1}});
    const Printed jpeg = PrintSamples({{330, 2}});
    EXPECT_EQ(Count(plain.commands, "method=8"), 0u);
    EXPECT_GT(Count(predictor.commands, "method=8"), 0u) << predictor.commands;
    EXPECT_GT(Count(jpeg.commands, "method=4"), 0u) << jpeg.commands;
    EXPECT_LT(predictor.bytes, plain.bytes);
    EXPECT_LT(jpeg.bytes, plain.bytes);
}

}  // namespace

namespace {

// ---- Text ----

// One line of text in a TrueType face at `size` pixels, optionally on an
// opaque background.
printhost::PageDrawer TextPage(const wchar_t* text, int size, bool opaque)
{
    return [text, size, opaque](HDC dc, const GDIINFO&) {
        HFONT font = CreateFontW(-size, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial");
        HGDIOBJ old = SelectObject(dc, font);
        SetBkMode(dc, opaque ? OPAQUE : TRANSPARENT);
        SetBkColor(dc, RGB(255, 255, 0));
        SetTextColor(dc, RGB(0, 0, 255));
        const bool drawn = TextOutW(dc, 300, 400, text, int(wcslen(text))) != FALSE;
        SelectObject(dc, old);
        DeleteObject(font);
        return drawn;
    };
}

// The lines of the listing that start with `opcode`.
std::vector<std::string> Lines(const std::string& commands, const std::string& opcode)
{
    std::vector<std::string> out;
    size_t at = 0;
    while (at < commands.size()) {
        size_t end = commands.find('\n', at);
        if (end == std::string::npos)
            end = commands.size();
        const std::string line = commands.substr(at, end - at);
        if (line.compare(0, opcode.size() + 1, opcode + " ") == 0)
            out.push_back(line);
        at = end + 1;
    }
    return out;
}

size_t Downloads(const std::string& c)
{
    return Lines(c, "DL").size() + Lines(c, "DH").size();
}

size_t Placements(const std::string& c)
{
    return Lines(c, "DM").size() + Lines(c, "DI").size() + Lines(c, "Dm").size() + Lines(c, "Di").size();
}

TEST(FrameText, SamplePagesPrintTheirTextAsGlyphs)
{
    const Printed p = PrintSamples();
    EXPECT_GT(Downloads(p.commands), 10u) << p.commands;
    EXPECT_GT(Placements(p.commands), Downloads(p.commands)) << p.commands;
    for (const std::string& line : Lines(p.commands, "DH"))
        EXPECT_NE(line.find(" bitmap length="), std::string::npos) << line;
}

// One download per glyph on a page, a placement per character; the same text
// on the next page downloads nothing new while the glyph memory keeps it.
TEST(FrameText, RepeatedGlyphIsDownloadedOncePlacedEachTime)
{
    const Printed p = PrintPages({TextPage(L"AAA", 60, false)});
    EXPECT_EQ(Downloads(p.commands), 1u) << p.commands;
    EXPECT_EQ(Placements(p.commands), 3u) << p.commands;
    // The glyph's three placements advance along the baseline.
    std::vector<std::string> places = Lines(p.commands, "DM");
    if (places.empty())
        places = Lines(p.commands, "DI");
    ASSERT_EQ(places.size(), 3u) << p.commands;
    EXPECT_NE(places[0], places[1]);
    EXPECT_NE(places[1], places[2]);
    // The first character stands where the text was drawn.
    EXPECT_NE(places[0].find(" x=300 "), std::string::npos) << places[0];

    // Each page starts with an empty glyph memory: the glyph comes again.
    const Printed two = PrintPages({TextPage(L"AAA", 60, false), TextPage(L"AAA", 60, false)});
    EXPECT_EQ(Downloads(two.commands), 2u) << two.commands;
    EXPECT_EQ(Placements(two.commands), 6u) << two.commands;
}

TEST(FrameText, SizesAndFacesGetTheirOwnGlyphs)
{
    struct Case {
        const wchar_t* text;
        int size;
        size_t downloads, placements;
    };
    const Case cases[] = {
        {L"ab", 20, 2, 2},
        {L"abba", 40, 2, 4},
        {L"a b", 100, 2, 2},  // the space has no bits: nothing sent for it
    };
    for (const Case& k : cases) {
        const Printed p = PrintPages({TextPage(k.text, k.size, false)});
        EXPECT_EQ(Downloads(p.commands), k.downloads) << k.size << "\n" << p.commands;
        EXPECT_EQ(Placements(p.commands), k.placements) << k.size << "\n" << p.commands;
    }
}

TEST(FrameText, OpaqueBackgroundComesBeforeTheText)
{
    const Printed p = PrintPages({TextPage(L"Hi", 50, true)});
    const size_t rect = p.commands.find("\nCG ");
    const size_t glyph = std::min(p.commands.find("\nDL "), p.commands.find("\nDH "));
    ASSERT_NE(rect, std::string::npos) << p.commands;
    ASSERT_NE(glyph, std::string::npos) << p.commands;
    EXPECT_LT(rect, glyph);
    // The text colour is blue, the background yellow.
    EXPECT_NE(p.commands.find("rgb=0,0,255"), std::string::npos) << p.commands;
    EXPECT_NE(p.commands.find("rgb=255,255,0"), std::string::npos) << p.commands;
}

}  // namespace

// The glyph record's fixed part always fits inside its length: the filler is
// 0 to 3 bytes of 17, for every row count.
TEST(FrameText, BitmapGlyphRecordFillerNeverNegative)
{
    for (uint32_t height = 1; height <= 9; ++height) {
        for (uint32_t width : {1u, 8u, 9u, 17u, 2040u}) {
            const uint32_t rowBytes = (width + 7) / 8;
            const std::vector<uint8_t> rows(size_t{rowBytes} * height, 0xA5);
            std::vector<uint8_t> record;
            ASSERT_TRUE(BuildBitmapGlyphRecord(-1, 2, width, height, rows, &record)) << width << "x" << height;
            ASSERT_EQ(record.size() % 4, 0u);
            ASSERT_GE(record.size(), kBitmapGlyphFixedBytes + rows.size());
            const size_t filler = record.size() - kBitmapGlyphFixedBytes - rows.size();
            EXPECT_LE(filler, 3u);
            for (size_t i = record.size() - filler; i < record.size(); ++i)
                EXPECT_EQ(record[i], kBitmapGlyphFiller);
            const uint32_t header = uint32_t(record[0]) << 24 | uint32_t(record[1]) << 16 | uint32_t(record[2]) << 8 |
                                    record[3];
            EXPECT_EQ(header, kBitmapGlyphHeaderBit | uint32_t(record.size()));
            EXPECT_EQ(record[16], rowBytes);
            EXPECT_EQ(record[17], 1);
        }
    }
    // Rows wider than a byte count can say, or not matching the size, are refused.
    std::vector<uint8_t> record;
    const std::vector<uint8_t> wide(256, 0);
    EXPECT_FALSE(BuildBitmapGlyphRecord(0, 0, 2048, 1, wide, &record));
    const std::vector<uint8_t> shortRows(3, 0);
    EXPECT_FALSE(BuildBitmapGlyphRecord(0, 0, 8, 4, shortRows, &record));
}
