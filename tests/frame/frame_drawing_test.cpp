// The host's sample pages (text, lines, curves, filled shapes, a photograph,
// a one-bit image, a complex clip) printed through the graphics library: the
// job is read back whole, and each kind of drawing arrives as the commands
// that carry it.
#include "tests/frame/frame_fixture.h"

#include "printhost/host_dc.h"
#include "printhost/sample_pages.h"
#include "common/store/pair_list.h"
#include "render/draw/text_output.h"
#include "tools/morva_reader/morva_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
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
    const frame_test::DrawnJob job = frame_test::PrintDrawnPages(driver.ExtendedDevmode(frame_test::A4At600(settings)), pages);
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

// A user who prints photographs with the model's settings gets them JPEG coded;
// bands that JPEG may not carry still go by the method choice of each band.
TEST(FrameDrawing, ModelDefaultCodesPhotographsAsJpeg)
{
    const Printed byDefault = PrintSamples();
    EXPECT_GT(Count(byDefault.commands, "method=4"), 0u) << byDefault.commands;
    EXPECT_LT(byDefault.bytes, PrintSamples({{330, 0}}).bytes);
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

// One line of text in the named face (a device face when the driver offers it).
printhost::PageDrawer FaceTextPage(const wchar_t* face, const wchar_t* text, int size)
{
    return [face, text, size](HDC dc, const GDIINFO&) {
        HFONT font = CreateFontW(-size, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
        HGDIOBJ old = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
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
    // The body text as bitmaps, the 28-point heading as outlines.
    size_t bitmaps = 0, outlines = 0;
    for (const std::string& line : Lines(p.commands, "DH")) {
        bitmaps += line.find(" bitmap length=") != std::string::npos;
        outlines += line.find(" outline ") != std::string::npos;
    }
    EXPECT_GT(bitmaps, 10u) << p.commands;
    EXPECT_GT(outlines, 3u) << p.commands;
    EXPECT_EQ(bitmaps + outlines, Lines(p.commands, "DH").size()) << p.commands;
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

namespace {

size_t DeviceTexts(const std::string& c)
{
    size_t n = 0;
    for (const char* op : {"DC", "Dc", "DD", "Dd", "DE", "DF"})
        n += Lines(c, op).size();
    return n;
}

// Text in a resident face goes as its characters: the font, its size matrix,
// and one run with one advance when the advances are equal, a list otherwise.
TEST(FrameText, DeviceFontTextIsSentAsCharacters)
{
    const Printed equal = PrintPages({FaceTextPage(L"Morva Sans", L"AAAA", 100)});
    EXPECT_EQ(Lines(equal.commands, "DA").size(), 1u) << equal.commands;
    EXPECT_NE(equal.commands.find("\nDA font=26"), std::string::npos) << equal.commands;
    EXPECT_EQ(Lines(equal.commands, "Db").size(), 1u) << equal.commands;
    ASSERT_EQ(Lines(equal.commands, "DC").size(), 1u) << equal.commands;
    EXPECT_NE(Lines(equal.commands, "DC")[0].find("65,65,65,65"), std::string::npos) << equal.commands;
    // 'A' is 700 of 1000 units: 70 pixels at 100.
    EXPECT_NE(Lines(equal.commands, "DC")[0].find("advance=70"), std::string::npos) << equal.commands;
    EXPECT_EQ(Downloads(equal.commands), 0u) << equal.commands;

    const Printed unequal = PrintPages({FaceTextPage(L"Morva Sans", L"AiAi", 100)});
    ASSERT_EQ(Lines(unequal.commands, "DD").size(), 1u) << unequal.commands;
    EXPECT_NE(Lines(unequal.commands, "DD")[0].find("advances=[70,50,70]"), std::string::npos) << unequal.commands;

    // One character: by its position.
    const Printed one = PrintPages({FaceTextPage(L"Morva Serif", L"x", 100)});
    ASSERT_EQ(Lines(one.commands, "DE").size(), 1u) << one.commands;
    EXPECT_NE(Lines(one.commands, "DE")[0].find("last=120"), std::string::npos) << one.commands;
    EXPECT_NE(one.commands.find("\nDA font=2\n"), std::string::npos) << one.commands;
}

// The yen sign of a Shift-JIS resident font is its code 0x5C; a private-use
// symbol code in a symbol font is the symbol's own code.
TEST(FrameText, CharacterConversionForResidentFonts)
{
    const Printed yen = PrintPages({FaceTextPage(L"Morva Mincho", L"\u00A5", 100)});
    ASSERT_EQ(Lines(yen.commands, "DE").size(), 1u) << yen.commands;
    EXPECT_NE(Lines(yen.commands, "DE")[0].find("last=92"), std::string::npos) << yen.commands;
    const Printed other = PrintPages({FaceTextPage(L"Morva Serif", L"\u00A5", 100)});
    ASSERT_EQ(Lines(other.commands, "DE").size(), 1u) << other.commands;
    EXPECT_NE(Lines(other.commands, "DE")[0].find("last=165"), std::string::npos) << other.commands;
    const Printed symbol = PrintPages({FaceTextPage(L"Morva Symbol", L"\uF020\uF041", 100)});
    ASSERT_EQ(Lines(symbol.commands, "DC").size(), 1u) << symbol.commands;
    EXPECT_NE(Lines(symbol.commands, "DC")[0].find("ids=[32,65]"), std::string::npos) << symbol.commands;
    // A character the code tables do not hold (0x7F) is left out of the run.
    const Printed gap = PrintPages({FaceTextPage(L"Morva Sans", L"A\u007FA", 100)});
    EXPECT_EQ(DeviceTexts(gap.commands), 2u) << gap.commands;
    // Code tables map codes to the printer's: e-acute is 0x82 in the sans.
    const Printed mapped = PrintPages({FaceTextPage(L"Morva Sans", L"\u00E9", 100)});
    EXPECT_NE(mapped.commands.find("last=130"), std::string::npos) << mapped.commands;
}

// A TrueType font stands in for a resident one only when setting 17 asks
// for substitution; setting 292 chooses the table alone or with the scoring.
TEST(FrameText, TrueTypeSubstitutionFollowsTheSettings)
{
    struct Case {
        const wchar_t* face;
        uint32_t option, substitution;
        const char* font;  // null: sent as glyphs
    } cases[] = {
        {L"Arial", 2, 0, nullptr},          // downloaded as soft fonts (the default)
        {L"Arial", 1, 1, nullptr},          // as bitmaps: no "DA"
        {L"Arial", 3, 2, "font=26"},        // the table: Morva Sans
        {L"Arial", 3, 0, "font=26"},
        {L"Times New Roman", 3, 2, "font=2"},
        {L"Courier New", 3, 0, "font=3"},
        {L"Tahoma", 3, 2, nullptr},         // not in the table
    };
    for (const Case& k : cases) {
        const Printed p =
            PrintPages({FaceTextPage(k.face, L"Hello", 60)}, {{17, k.option}, {292, k.substitution}});
        if (k.font == nullptr) {
            EXPECT_EQ(Lines(p.commands, "DA").size(), 0u) << k.option << " " << k.substitution << p.commands;
            EXPECT_GT(Downloads(p.commands), 0u) << p.commands;
        } else {
            ASSERT_EQ(Lines(p.commands, "DA").size(), 1u) << k.option << " " << k.substitution << p.commands;
            EXPECT_NE(Lines(p.commands, "DA")[0].find(k.font), std::string::npos) << p.commands;
            EXPECT_EQ(Downloads(p.commands), 0u) << p.commands;
        }
    }
}

}  // namespace

namespace {

std::vector<std::string> GlyphRecords(const std::string& c)
{
    std::vector<std::string> out = Lines(c, "DL");
    for (const std::string& line : Lines(c, "DH"))
        out.push_back(line);
    return out;
}

// TrueType glyphs larger than setting 346 (24 points in the model) go as
// outlines, once per glyph and page, placed for each character; smaller ones
// as bitmaps. Setting 1335 keeps every glyph a bitmap.
TEST(FrameText, OutlinesAboveTheSizeThreshold)
{
    struct Case {
        int pixels;
        std::vector<frame_test::SettingPair> settings;
        const char* form;
    } cases[] = {
        {100, {}, " bitmap "},                    // 12 points
        {300, {}, " outline "},                   // 36 points: small, 16-bit points
        {600, {}, " outline float "},             // 72 points: floats
        {300, {{346, 72}}, " bitmap "},
        {100, {{346, 0}}, " outline "},
        {300, {{1335, 1}}, " bitmap "},
    };
    for (const Case& k : cases) {
        const Printed p = PrintPages({TextPage(L"OHO", k.pixels, false)}, k.settings);
        const std::vector<std::string> records = GlyphRecords(p.commands);
        ASSERT_EQ(records.size(), 2u) << k.pixels << p.commands;
        EXPECT_EQ(Placements(p.commands), 3u) << k.pixels << p.commands;
        for (const std::string& line : records)
            EXPECT_NE(line.find(k.form), std::string::npos) << k.pixels << " " << line;
    }
}

}  // namespace

// Outline records: the length covers counts, points and codes, the rest is
// filler of 34; 16-bit points are the 28.4 value shifted left by 2.
TEST(FrameText, OutlineGlyphRecordLayout)
{
    const std::vector<POINTFIX> points = {{16, -32}, {160, 0}, {0, 160}};
    const std::vector<uint8_t> codes = {kOutlineMove, kOutlineLine, kOutlineLine, kOutlineClose, kOutlineEnd};
    std::vector<uint8_t> small, floats;
    ASSERT_TRUE(BuildOutlineGlyphRecord(points, codes, true, false, &small));
    ASSERT_TRUE(BuildOutlineGlyphRecord(points, codes, false, true, &floats));
    EXPECT_EQ(small.size(), OutlineGlyphRecordLength(4, 3, 5));
    EXPECT_EQ(small.size(), 24u);   // 8 + 12 + 3 code bytes, rounded up to 4
    EXPECT_EQ(floats.size(), 36u);  // 8 + 24 + 3
    EXPECT_EQ(small[3], 24);
    EXPECT_EQ(small[20], 0x12);     // move, line
    EXPECT_EQ(small[22], 0x60);     // end, odd last code in the high nibble
    EXPECT_EQ(small[23], kOutlineGlyphFiller);
    EXPECT_EQ(floats[0], 0x01);     // bit 24: the fine-outline rule
    EXPECT_EQ(floats[1], 0x20);     // bit 21: float points
    EXPECT_EQ(small[8], 0x00);      // x 16 << 2 = 64
    EXPECT_EQ(small[9], 64);
    EXPECT_EQ(small[10], 0xFF);     // y -32 << 2 = -128
    EXPECT_EQ(small[11], 0x80);
    // Large coordinates do not fit 16 bits: refused in the small form.
    const std::vector<POINTFIX> wide = {{16 * 600, 0}};
    std::vector<uint8_t> record;
    EXPECT_FALSE(BuildOutlineGlyphRecord(wide, codes, true, false, &record));
    EXPECT_TRUE(BuildOutlineGlyphRecord(wide, codes, false, false, &record));
}

namespace {

// A face without a bold file printed bold: GDI simulates the bold, and the
// glyphs go as outlines whatever their size (the printer emboldens them).
TEST(FrameText, SimulatedBoldGoesAsOutlines)
{
    auto page = [](int weight) -> printhost::PageDrawer {
        return [weight](HDC dc, const GDIINFO&) {
            HFONT font = CreateFontW(-60, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS,
                                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"DejaVu Math TeX Gyre");
            HGDIOBJ old = SelectObject(dc, font);
            SetBkMode(dc, TRANSPARENT);
            const bool drawn = TextOutW(dc, 300, 400, L"HH", 2) != FALSE;
            SelectObject(dc, old);
            DeleteObject(font);
            return drawn;
        };
    };
    const Printed bold = PrintPages({page(FW_BOLD)});
    const Printed regular = PrintPages({page(FW_NORMAL)});
    const std::vector<std::string> boldRecords = GlyphRecords(bold.commands);
    const std::vector<std::string> regularRecords = GlyphRecords(regular.commands);
    ASSERT_EQ(boldRecords.size(), 1u) << bold.commands;
    ASSERT_EQ(regularRecords.size(), 1u) << regular.commands;
    EXPECT_NE(boldRecords[0].find(" outline "), std::string::npos) << boldRecords[0];
    EXPECT_NE(regularRecords[0].find(" bitmap "), std::string::npos) << regularRecords[0];
}

}  // namespace

namespace {

// The printer's table names a device face the printer does not have: the
// choice finds none and the text goes as downloaded glyphs.
TEST(FrameText, SubstitutionToAMissingFaceDownloadsTheGlyphs)
{
    FrameDriver& driver = frame_test::SharedFrameDriver();
    ASSERT_TRUE(driver.ok());
    uint32_t bytes = 0;
    wchar_t* stored = ReadFontSubstitutionTable(driver.printer(), &bytes);
    // Without a stored table the printer uses the model's; Tahoma is added to it.
    static const wchar_t kModelTable[] = L"Arial\0Morva Sans\0Helvetica\0Morva Sans\0Segoe UI\0Morva Sans\0"
                                         L"Times New Roman\0Morva Serif\0Georgia\0Morva Serif\0Courier New\0Morva Mono\0";
    const wchar_t* base = stored ? stored : kModelTable;
    const uint32_t baseBytes = stored ? bytes : uint32_t(sizeof(kModelTable));
    uint32_t editedBytes = 0;
    wchar_t* edited = SetPairListValue(base, baseBytes, L"Tahoma", L"Missing Face", &editedBytes);
    ASSERT_NE(edited, nullptr);
    ASSERT_EQ(StoreFontSubstitutionTable(driver.printer(), edited, editedBytes), 1);
    for (uint32_t substitution : {0u, 2u}) {
        const Printed p = PrintPages({FaceTextPage(L"Tahoma", L"Hello", 60)}, {{17, 3}, {292, substitution}});
        EXPECT_EQ(Lines(p.commands, "DA").size(), 0u) << substitution << p.commands;
        EXPECT_GT(Downloads(p.commands), 0u) << substitution << p.commands;
    }
    // A face the edited table still maps prints with its resident font.
    const Printed arial = PrintPages({FaceTextPage(L"Arial", L"Hello", 60)}, {{17, 3}, {292, 2}});
    EXPECT_NE(arial.commands.find("\nDA font=26"), std::string::npos) << arial.commands;
    wchar_t* restored = SetPairListValue(edited, editedBytes, L"Tahoma", nullptr, &editedBytes);
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(StoreFontSubstitutionTable(driver.printer(), restored, editedBytes), 1);
    GlobalFree(restored);
    GlobalFree(edited);
    if (stored)
        GlobalFree(stored);
}

}  // namespace

namespace {

// The fine-outline rule (setting 1307) marks a black outline glyph of at least
// the model's 32778 points (40 in the reference model) whose size lies
// strictly between its 32776 and 32777 pixels (6 and 20): sizes the default
// values (7, 16 and 50) would leave out are marked ('R' has 48 points), and a
// coloured text never.
TEST(FrameText, FineOutlineRuleTakesTheModelsValues)
{
    auto page = [](int pixels, COLORREF colour) -> printhost::PageDrawer {
        return [pixels, colour](HDC dc, const GDIINFO&) {
            HFONT font = CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                     OUT_TT_ONLY_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial");
            HGDIOBJ old = SelectObject(dc, font);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, colour);
            const bool drawn = TextOutW(dc, 300, 400, L"R@gx8l", 6) != FALSE;
            SelectObject(dc, old);
            DeleteObject(font);
            return drawn;
        };
    };
    struct Case {
        int pixels;
        COLORREF colour;
        bool marked;  // glyphs of 40 points or more are marked
    } cases[] = {{18, RGB(0, 0, 0), true}, {7, RGB(0, 0, 0), true},  {6, RGB(0, 0, 0), false},
                 {20, RGB(0, 0, 0), false}, {18, RGB(0, 0, 255), false}};
    for (const Case& k : cases) {
        const Printed p = PrintPages({page(k.pixels, k.colour)}, {{1307, 1}, {346, 0}});
        const std::vector<std::string> records = GlyphRecords(p.commands);
        ASSERT_EQ(records.size(), 6u) << k.pixels << p.commands;
        size_t between = 0, marked = 0;
        for (const std::string& line : records) {
            ASSERT_NE(line.find(" outline"), std::string::npos) << line;
            const size_t at = line.find(" points=");
            ASSERT_NE(at, std::string::npos) << line;
            const long points = std::strtol(line.c_str() + at + 8, nullptr, 10);
            const bool fine = line.find(" fine ") != std::string::npos;
            EXPECT_EQ(fine, k.marked && points >= 40) << k.pixels << " " << line;
            between += points >= 40 && points < 50;
            marked += fine;
        }
        // Glyphs the default of 50 points would leave out are there to be marked.
        if (k.marked) {
            EXPECT_GT(between, 0u) << p.commands;
            EXPECT_GT(marked, between) << p.commands;
        }
    }
}

}  // namespace
