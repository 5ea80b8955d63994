// The printer's resident fonts as GDI sees them (the reference model's font
// descriptions: a Latin sans with kerning and code tables, its bold twin, a
// serif without code tables, a fixed-pitch font without widths and a
// Shift-JIS font), the character-code tables, and the choice of a resident
// font for a TrueType one.
#include "tests/frame/frame_fixture.h"

#include "render/font/font_choice.h"
#include "render/font/font_description.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using frame_test::FrameDriver;

template <typename F>
F Entry(const FrameDriver& driver, const char* name)
{
    return reinterpret_cast<F>(GetProcAddress(driver.entries().library, name));
}

std::wstring FaceOf(const IFIMETRICS* ifi)
{
    return reinterpret_cast<const wchar_t*>(reinterpret_cast<const uint8_t*>(ifi) + ifi->dpwszFaceName);
}

class DeviceFonts : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(driver.ok());
        pdev = driver.Enable(driver.ExtendedDevmode(frame_test::A4At600()), nullptr, &info);
        ASSERT_NE(pdev, nullptr);
        queryFont = Entry<decltype(&DrvQueryFont)>(driver, "DrvQueryFont");
        queryTree = Entry<decltype(&DrvQueryFontTree)>(driver, "DrvQueryFontTree");
    }
    void TearDown() override
    {
        if (pdev)
            driver.entries().disablePdev(pdev);
    }
    const IFIMETRICS* Font(ULONG index)
    {
        ULONG_PTR id = 0;
        return queryFont(pdev, 0, index, &id);
    }

    FrameDriver& driver = frame_test::SharedFrameDriver();
    DHPDEV pdev = nullptr;
    DEVINFO info{};
    decltype(&DrvQueryFont) queryFont = nullptr;
    decltype(&DrvQueryFontTree) queryTree = nullptr;
};

// Six model fonts, five offered: the bold twin shares the face of the font
// before it. The default font is the one numbered by setting 384 (0x1A).
TEST_F(DeviceFonts, OfferedFontsAndTheDefaultFont)
{
    EXPECT_EQ(info.cFonts, 5u);
    const wchar_t* faces[] = {L"Morva Sans", L"Morva Serif", L"Morva Mono", L"Morva Mincho", L"Morva Symbol"};
    for (ULONG i = 1; i <= 5; ++i) {
        const IFIMETRICS* ifi = Font(i);
        ASSERT_NE(ifi, nullptr) << i;
        EXPECT_EQ(FaceOf(ifi), faces[i - 1]);
        EXPECT_EQ(ifi->fwdUnitsPerEm, 1000);
        EXPECT_EQ(std::memcmp(ifi->achVendId, "Unkn", 4), 0);
    }
    EXPECT_STREQ(info.lfDefaultFont.lfFaceName, L"Morva Sans");
    EXPECT_EQ(info.lfDefaultFont.lfHeight, -(600 * 5 / 36));
    EXPECT_EQ(info.lfDefaultFont.lfWeight, FW_NORMAL);
    EXPECT_EQ(info.lfDefaultFont.lfPitchAndFamily, VARIABLE_PITCH | FF_SWISS);
    EXPECT_STREQ(info.lfAnsiVarFont.lfFaceName, L"Helvetica");
    EXPECT_EQ(info.lfAnsiVarFont.lfPitchAndFamily, 34);
    EXPECT_STREQ(info.lfAnsiFixFont.lfFaceName, L"Courier");
    EXPECT_EQ(info.lfAnsiFixFont.lfPitchAndFamily, 49);

    // A default font number that no offered font has: no device information.
    DEVINFO none{};
    EXPECT_EQ(driver.Enable(driver.ExtendedDevmode(frame_test::A4At600({{384, 0x1B}})), nullptr, &none), nullptr);
    // Device fonts turned off: none counted.
    DEVINFO off{};
    DHPDEV quiet = driver.Enable(driver.ExtendedDevmode(frame_test::A4At600({{292, 1}})), nullptr, &off);
    ASSERT_NE(quiet, nullptr);
    EXPECT_EQ(off.cFonts, 0u);
    driver.entries().disablePdev(quiet);
}

// Weight 0 and weights above 1000 are taken as 400; pitch, simulations and
// the Shift-JIS font's default and break characters.
TEST_F(DeviceFonts, MetricsOfEachFont)
{
    const IFIMETRICS* sans = Font(1);
    const IFIMETRICS* serif = Font(2);
    const IFIMETRICS* mono = Font(3);
    const IFIMETRICS* mincho = Font(4);
    ASSERT_TRUE(sans && serif && mono && mincho);
    EXPECT_EQ(sans->usWinWeight, 400);
    EXPECT_EQ(serif->usWinWeight, 400) << "weight 0";
    EXPECT_EQ(mono->usWinWeight, 400) << "weight 1200";
    EXPECT_EQ(sans->jWinPitchAndFamily, VARIABLE_PITCH | FF_SWISS);
    EXPECT_EQ(mono->jWinPitchAndFamily, FIXED_PITCH | FF_MODERN);
    EXPECT_EQ(mincho->jWinCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(mincho->wcDefaultChar, 0xFF65);
    EXPECT_EQ(mincho->wcBreakChar, L' ');
    EXPECT_EQ(mincho->wcLastChar, 0xFFE5);
    EXPECT_EQ(sans->wcDefaultChar, 0x7F);
    EXPECT_EQ(sans->wcLastChar, 0x2122) << "the highest character of code page 1252";
    // The average width is the mean of the widths when the description has none.
    EXPECT_GT(sans->fwdAveCharWidth, 500);
    EXPECT_LT(sans->fwdAveCharWidth, 700);
    EXPECT_EQ(mono->fwdAveCharWidth, 600);
    EXPECT_GE(sans->fwdMaxCharInc, sans->fwdAveCharWidth);
    ASSERT_NE(sans->dpFontSim, 0);
    const auto* sim = reinterpret_cast<const FONTSIM*>(reinterpret_cast<const uint8_t*>(sans) + sans->dpFontSim);
    const auto* bold = reinterpret_cast<const FONTDIFF*>(reinterpret_cast<const uint8_t*>(sim) + sim->dpBold);
    const auto* italic = reinterpret_cast<const FONTDIFF*>(reinterpret_cast<const uint8_t*>(sim) + sim->dpItalic);
    EXPECT_EQ(bold->usWinWeight, 700);
    EXPECT_TRUE(italic->fsSelection & FM_SEL_ITALIC);
    EXPECT_LE(sans->cjThis, 264u + 2 * 32 * sizeof(wchar_t));
}

// Kerning pairs in UTF-16 ended by an empty pair; none for a font without;
// glyph sets for single-byte fonts.
TEST_F(DeviceFonts, KerningPairsAndGlyphSets)
{
    ULONG_PTR id = 0;
    const auto* pairs = static_cast<const FD_KERNINGPAIR*>(queryTree(pdev, 0, 1, QFT_KERNPAIRS, &id));
    ASSERT_NE(pairs, nullptr);
    EXPECT_EQ(Font(1)->cKerningPairs, 4u);
    EXPECT_EQ(pairs[0].wcFirst, L'A');
    EXPECT_EQ(pairs[0].wcSecond, L'V');
    EXPECT_EQ(pairs[0].fwdKern, -80);
    EXPECT_EQ(pairs[4].wcFirst, 0);
    EXPECT_EQ(pairs[4].wcSecond, 0);
    EXPECT_EQ(queryTree(pdev, 0, 2, QFT_KERNPAIRS, &id), nullptr);
    const auto* set = static_cast<const FD_GLYPHSET*>(queryTree(pdev, 0, 1, QFT_GLYPHSET, &id));
    ASSERT_NE(set, nullptr);
    EXPECT_GE(set->cGlyphsSupported, 200u);
    // The Shift-JIS font's set comes from the library's resource: its glyph
    // handles are the Shift-JIS codes.
    const auto* jis = static_cast<const FD_GLYPHSET*>(queryTree(pdev, 0, 4, QFT_GLYPHSET, &id));
    ASSERT_NE(jis, nullptr);
    EXPECT_GT(jis->cGlyphsSupported, 7000u);
    auto handleOf = [&](WCHAR c) -> HGLYPH {
        for (ULONG r = 0; r < jis->cRuns; ++r)
            if (c >= jis->awcrun[r].wcLow && c < jis->awcrun[r].wcLow + jis->awcrun[r].cGlyphs)
                return jis->awcrun[r].phg[c - jis->awcrun[r].wcLow];
        return 0;
    };
    EXPECT_EQ(handleOf(L'A'), 0x41u);
    EXPECT_EQ(handleOf(0x3042), 0x82A0u);  // hiragana a
    EXPECT_EQ(handleOf(0xFF71), 0xB1u);    // half-width katakana a
    EXPECT_EQ(queryTree(pdev, 0, 4, QFT_GLYPHSET, &id), jis) << "made once per process";
}

}  // namespace

// ---- Character-code tables ----

namespace {

// A description holding only a code-table block and its tables.
struct TableFixture {
    std::vector<uint8_t> bytes;
    FontMetricsBlock metrics{};

    void Put16(uint16_t v) { bytes.insert(bytes.end(), {uint8_t(v), uint8_t(v >> 8)}); }
    void Put32(uint32_t v) { Put16(uint16_t(v)), Put16(uint16_t(v >> 16)); }

    // Direct codes 0x41..0x43 -> 0x61.., range 0x50..0x52 -> 0x70, a sub-table
    // 0x60..0x61 -> {0x90, 0x91}, pairs {0x10 -> 0x11, 0x20 -> 0x21, 0x30 -> 0x31}.
    TableFixture(uint16_t pairCount = 3, uint32_t pairsAt = 0)
    {
        bytes.assign(sizeof(FontMetricsBlock), 0);
        const auto direct = uint32_t(bytes.size());
        for (uint16_t c : {0x61, 0x62, 0x63})
            Put16(c);
        const auto ranges = uint32_t(bytes.size());
        for (uint16_t v : {0x50, 0x52, 0x70})
            Put16(v);
        const auto sub = uint32_t(bytes.size());
        for (uint16_t v : {0x90, 0x91})
            Put16(v);
        const auto subRanges = uint32_t(bytes.size());
        Put16(0x60), Put16(0x61), Put32(sub);
        const auto pairs = uint32_t(bytes.size());
        for (uint16_t c : {0x10, 0x20, 0x30})
            Put16(c), Put16(uint16_t(c + 1));
        metrics.codeTables = uint32_t(bytes.size());
        CodeTableBlock b{0x41, 0x43, direct, 1, ranges, 1, subRanges, pairCount, pairsAt ? pairsAt : pairs};
        const auto* raw = reinterpret_cast<const uint8_t*>(&b);
        bytes.insert(bytes.end(), raw, raw + sizeof(b));
    }
    int32_t Map(uint32_t code) const
    {
        const CodeTables t = ReadCodeTables(bytes, metrics);
        return MapCharToPrinterCode(bytes, t, code);
    }
};

TEST(CodeTables, EachKindOfTableAnswers)
{
    const TableFixture f;
    struct Case {
        uint32_t code;
        int32_t printer;
    } cases[] = {
        {0x41, 0x61}, {0x43, 0x63},                 // direct
        {0x10, 0x11}, {0x20, 0x21}, {0x30, 0x31},   // pairs: first, middle, last
        {0x50, 0x70}, {0x52, 0x70},                 // range
        {0x60, 0x90}, {0x61, 0x91},                 // sub-table
        {0x0F, -1}, {0x31, -1}, {0x53, -1}, {0xFFFF, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(f.Map(c.code), c.printer) << std::hex << c.code;
}

// The pair search stays inside the table: an empty table answers no match,
// a table reaching past the description makes the tables unusable.
TEST(CodeTables, SearchBounds)
{
    const TableFixture empty(0);
    EXPECT_EQ(empty.Map(0x10), -1);
    EXPECT_EQ(empty.Map(0x41), 0x61);
    const TableFixture one(1);
    EXPECT_EQ(one.Map(0x10), 0x11);
    EXPECT_EQ(one.Map(0x05), -1);
    EXPECT_EQ(one.Map(0x20), -1);
    const TableFixture past(0x7FFF);
    EXPECT_FALSE(ReadCodeTables(past.bytes, past.metrics).usable);
    EXPECT_EQ(past.Map(0x41), -1);
    // Without a block every code is its own printer code.
    FontMetricsBlock none{};
    EXPECT_EQ(MapCharToPrinterCode(past.bytes, ReadCodeTables(past.bytes, none), 0x5C), 0x5C);
}

TEST(CodeTables, HexadecimalFontNumbers)
{
    auto parse = [](const char* s) {
        return ParseHexCode(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(s), std::strlen(s)));
    };
    EXPECT_EQ(parse("1A"), 0x1A);
    EXPECT_EQ(parse("ff"), 0xFF);
    EXPECT_EQ(parse("80"), 0x80);
    EXPECT_EQ(parse("1G"), -1);
    EXPECT_EQ(parse(""), -1);
}

// ---- Choice of a resident font ----

FontTraits Traits(const wchar_t* face, uint8_t charSet, uint8_t pitchAndFamily, uint16_t weight = 400,
                  bool italic = false)
{
    return {face, charSet, pitchAndFamily, weight, italic};
}

TEST(FontChoice, FaceGroupsCharacterSetAndStyle)
{
    ASSERT_TRUE(SelectFaceGroupTable(kFaceGroupsFull));
    const FontTraits candidates[] = {
        Traits(L"Courier", 0, FIXED_PITCH | FF_MODERN),
        Traits(L"Helvetica", 0, VARIABLE_PITCH | FF_SWISS),
        Traits(L"Helvetica", 0, VARIABLE_PITCH | FF_SWISS, 700),
        Traits(L"Times", 0, VARIABLE_PITCH | FF_ROMAN),
        Traits(L"ＭＳ 明朝", 128, FIXED_PITCH | FF_ROMAN),
    };
    struct Case {
        FontTraits request;
        uint32_t chosen;
    } cases[] = {
        {Traits(L"Arial", 0, VARIABLE_PITCH | FF_SWISS), 1},           // same group, upright regular
        {Traits(L"Arial", 0, VARIABLE_PITCH | FF_SWISS, 700), 2},      // same group, the bold one
        {Traits(L"Courier New", 0, FIXED_PITCH | FF_MODERN), 0},
        {Traits(L"Times New Roman", 0, VARIABLE_PITCH | FF_ROMAN), 3},
        {Traits(L"平成明朝", 128, FIXED_PITCH | FF_ROMAN), 4},           // the group row of the Mincho faces
        {Traits(L"Unknown Face", 0, FIXED_PITCH | FF_MODERN), 0},      // no name: pitch and family
    };
    for (const Case& c : cases) {
        uint32_t chosen = 99;
        EXPECT_EQ(SelectDeviceFont(c.request, candidates, nullptr, 0, &chosen), kChoiceFound);
        EXPECT_EQ(chosen, c.chosen);
    }
    // The short table has no row of Century faces; the full one has.
    ASSERT_TRUE(SelectFaceGroupTable(kFaceGroupsShort));
    EXPECT_EQ(GetFaceGroupRowCount(), 7u);
    ASSERT_TRUE(SelectFaceGroupTable(kFaceGroupsFull));
    EXPECT_EQ(GetFaceGroupRowCount(), 15u);
    wchar_t* name = GetFaceGroupEntry(12, 1);
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name, L"Classic");
    HeapFree(GetProcessHeap(), 0, name);
    EXPECT_EQ(GetFaceGroupEntry(12, 2), nullptr);
    EXPECT_FALSE(SelectFaceGroupTable(2));
}

// The substitution table names the device face; a face no candidate has
// answers not found, so the text is sent as glyphs.
TEST(FontChoice, SubstitutionTableFirst)
{
    const wchar_t table[] = L"Arial\0Morva Sans\0Georgia\0Missing Face\0";
    const uint32_t bytes = sizeof(table);
    const FontTraits candidates[] = {
        Traits(L"Morva Serif", 0, VARIABLE_PITCH | FF_ROMAN),
        Traits(L"Morva Sans", 0, VARIABLE_PITCH | FF_SWISS),
    };
    uint32_t chosen = 99;
    EXPECT_EQ(SelectDeviceFont(Traits(L"Arial", 0, VARIABLE_PITCH | FF_SWISS), candidates, table, bytes, &chosen),
              kChoiceFound);
    EXPECT_EQ(chosen, 1u);
    EXPECT_EQ(SelectDeviceFont(Traits(L"Georgia", 0, VARIABLE_PITCH | FF_ROMAN), candidates, table, bytes, &chosen),
              kChoiceNotFound);
    // A face the table does not name is scored.
    EXPECT_EQ(SelectDeviceFont(Traits(L"Morva Serif", 0, VARIABLE_PITCH | FF_ROMAN), candidates, table, bytes,
                               &chosen),
              kChoiceFound);
    EXPECT_EQ(chosen, 0u);
    EXPECT_EQ(SelectDeviceFont(Traits(L"Arial", 0, 0), {}, table, bytes, &chosen), kChoiceBadArgument);
}

TEST(FontChoice, FontNumberStyleBits)
{
    const FontTraits regular = Traits(L"F", 0, 0, 400);
    const FontTraits bold = Traits(L"F", 0, 0, 700, true);
    EXPECT_EQ(FontNumberWithStyle(0x102, regular, {false, false, false}), 0x102);
    EXPECT_EQ(FontNumberWithStyle(0x102, regular, {true, true, false}), 0x10A);
    EXPECT_EQ(FontNumberWithStyle(0x102, bold, {true, false, false}), 0x17A);
    EXPECT_EQ(FontNumberWithStyle(0x102, regular, {false, false, true}), 0x172);
    EXPECT_EQ(FontNumberWithStyle(0x102, Traits(L"F", 0, 0, 900), {false, false, true}), 0x1C2);
    EXPECT_EQ(FontNumberWithStyle(0x102, Traits(L"F", 0, 0, 1300), {false, false, true}), 0x1F2)
        << "simulated bold adds 48 up to 0xF0";
}

}  // namespace
