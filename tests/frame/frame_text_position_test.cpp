// Where the printed glyphs stand: text is drawn on a host DC with ExtTextOutW
// and explicit advances, the job is read back whole, and every glyph the job
// places (downloaded glyphs, characters of resident fonts, glyphs drawn as
// images) must stand where the call put it: the reference point plus the
// advances before it, turned by the escapement, through the page's mapping.
// The ink of each downloaded glyph is checked against the glyph metrics GDI
// gives for the same font: a bitmap's origin exactly, an outline's bounds
// within two pixels (the metrics are a hinted, whole-pixel box).
//
// Tolerance of the positions: none when the page draws in device pixels (GDI's
// positions are then whole pixels and must arrive unchanged); one pixel when
// the mapping scales, where GDI rounds each glyph's position on its own.
#include "tests/frame/frame_fixture.h"

#include "common/settings/function_ids.h"
#include "printhost/host_dc.h"
#include "render/device/setting_ids.h"
#include "tools/morva_reader/morva_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using frame_test::SettingPair;

constexpr double kPi = 3.14159265358979323846;
constexpr int kReferenceX = 600, kReferenceY = 2000;
constexpr uint16_t kExternalProcessing = 1343;

// One ExtTextOutW call and the settings of its job.
struct TextCall {
    const char* name;
    const wchar_t* face;
    int pixels;                 // em height, logical units
    int escapement;             // tenths of a degree
    const wchar_t* text;
    std::vector<int> dx;        // per character; with `pairs`, dx and dy per character
    bool pairs = false;         // ETO_PDY
    int scaleNum = 1, scaleDen = 1;  // device pixels per logical unit
    std::vector<SettingPair> settings = {};
    const char* carriedBy = "";      // the commands that must place the glyphs
};

HFONT MakeFont(const TextCall& call, int height)
{
    return CreateFontW(-height, 0, call.escapement, call.escapement, FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                       call.face);
}

printhost::PageDrawer CallPage(const TextCall& call)
{
    return [call](HDC dc, const GDIINFO&) {
        if (call.scaleNum != call.scaleDen) {
            SetMapMode(dc, MM_ANISOTROPIC);
            SetWindowExtEx(dc, call.scaleDen, call.scaleDen, nullptr);
            SetViewportExtEx(dc, call.scaleNum, call.scaleNum, nullptr);
        }
        HFONT font = MakeFont(call, call.pixels);
        HGDIOBJ old = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextAlign(dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
        const bool drawn = ExtTextOutW(dc, kReferenceX, kReferenceY, call.pairs ? ETO_PDY : 0, nullptr, call.text,
                                       UINT(wcslen(call.text)), call.dx.data()) != FALSE;
        SelectObject(dc, old);
        DeleteObject(font);
        return drawn;
    };
}

struct Point {
    double x, y;
};

// Each character's origin as the call places it, in device pixels.
std::vector<Point> ExpectedOrigins(const TextCall& call)
{
    const double a = call.escapement / 10.0 * kPi / 180.0;
    const double ux = std::cos(a), uy = -std::sin(a);  // along the baseline
    const double vx = std::sin(a), vy = std::cos(a);   // across it, downwards
    const double scale = double(call.scaleNum) / call.scaleDen;
    std::vector<Point> out;
    double along = 0, up = 0;
    for (size_t i = 0; i < wcslen(call.text); ++i) {
        out.push_back({std::lround((kReferenceX + ux * along - vx * up) * scale) * 1.0,
                       std::lround((kReferenceY + uy * along - vy * up) * scale) * 1.0});
        along += call.pairs ? call.dx[2 * i] : call.dx[i];
        // A positive dy of ETO_PDY moves the next character up.
        up += call.pairs ? call.dx[2 * i + 1] : 0;
    }
    return out;
}

// GDI's metrics of one character of the call's font at its device size.
GLYPHMETRICS MetricsOf(const TextCall& call, wchar_t c)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = MakeFont(call, call.pixels * call.scaleNum / call.scaleDen);
    HGDIOBJ old = SelectObject(dc, font);
    GLYPHMETRICS gm{};
    const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    // The metrics of the bitmap, which GDI hands to drivers: they may lie a
    // pixel off those GGO_METRICS gives.
    EXPECT_NE(GetGlyphOutlineW(dc, c, GGO_BITMAP, &gm, 0, nullptr, &identity), GDI_ERROR);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    return gm;
}

// ---- the job's own reading of its text commands ----

double Field(const std::string& line, const char* name)
{
    const std::string key = std::string(" ") + name + "=";
    const size_t at = line.find(key);
    EXPECT_NE(at, std::string::npos) << name << " in " << line;
    return at == std::string::npos ? 0 : std::strtod(line.c_str() + at + key.size(), nullptr);
}

std::vector<double> ListField(const std::string& line, const char* name)
{
    const std::string key = std::string(" ") + name + "=[";
    size_t at = line.find(key);
    std::vector<double> out;
    if (at == std::string::npos)
        return out;
    at += key.size();
    while (at < line.size() && line[at] != ']') {
        char* end = nullptr;
        out.push_back(std::strtod(line.c_str() + at, &end));
        at = size_t(end - line.c_str());
        if (line[at] == ',')
            ++at;
    }
    return out;
}

std::string Opcode(const std::string& line)
{
    return line.substr(0, 2);
}

// A glyph the job draws: where, by which command, and the download that
// carries its shape (null for resident characters and images).
struct Placed {
    Point at;
    std::string command;
    const MorvaCommandLine* record = nullptr;
};

std::vector<Placed> PlacedGlyphs(const MorvaListing& listing)
{
    std::vector<Placed> out;
    std::map<uint32_t, const MorvaCommandLine*> records;
    for (const MorvaCommandLine& c : listing.commands) {
        const std::string& line = c.text;
        const std::string op = Opcode(line);
        if (op == "DL" || op == "DH") {
            records[uint32_t(Field(line, "id"))] = &c;
        } else if (op == "DM" || op == "DI" || op == "Dm" || op == "Di") {
            const auto found = records.find(uint32_t(Field(line, "id")));
            EXPECT_NE(found, records.end()) << "placed before its download: " << line;
            out.push_back({{Field(line, "x"), Field(line, "y")}, op, found != records.end() ? found->second : nullptr});
        } else if (op == "DC" || op == "Dc" || op == "DD" || op == "Dd") {
            const std::vector<double> ids = ListField(line, "ids");
            std::vector<double> gaps = ListField(line, "advances");
            if (op == "DC" || op == "Dc")
                gaps.assign(ids.size() > 0 ? ids.size() - 1 : 0, Field(line, "advance"));
            EXPECT_EQ(gaps.size() + 1, ids.size()) << line;
            Point p{Field(line, "x"), Field(line, "y")};
            for (size_t i = 0; i < ids.size(); ++i) {
                out.push_back({p, op});
                if (i < gaps.size())
                    p.x += gaps[i];
            }
        } else if (op == "DE") {
            out.push_back({{Field(line, "x"), Field(line, "y")}, op});
        } else if (op == "Cp") {
            out.push_back({{Field(line, "x"), Field(line, "y")}, op});
        }
    }
    return out;
}

// ---- the outline's own points, read from the job's bytes ----

uint32_t BigEndian(const std::vector<uint8_t>& b, size_t at, int bytes)
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = v << 8 | (at + i < b.size() ? b[at + i] : 0);
    return v;
}

// An outline record as the job carries it: its flags, points and code bytes.
struct OutlineRecord {
    bool floats = false, fine = false;
    std::vector<Point> points;
    std::vector<uint8_t> codeBytes;
};

OutlineRecord ReadOutlineRecord(const std::vector<uint8_t>& job, const MorvaCommandLine& download)
{
    size_t at = download.offset + 2 + (Opcode(download.text) == "DL" ? 2 : 4);
    const uint32_t header = BigEndian(job, at, 4);
    OutlineRecord r;
    r.floats = (header & (1u << 21)) != 0;
    r.fine = (header & (1u << 24)) != 0;
    const uint32_t points = BigEndian(job, at + 4, 2), codes = BigEndian(job, at + 6, 2);
    at += 8;
    for (uint32_t i = 0; i < points; ++i) {
        if (r.floats) {
            const uint32_t xb = BigEndian(job, at, 4), yb = BigEndian(job, at + 4, 4);
            float xf, yf;
            std::memcpy(&xf, &xb, 4);
            std::memcpy(&yf, &yb, 4);
            r.points.push_back({xf, yf});
            at += 8;
        } else {
            r.points.push_back({int16_t(BigEndian(job, at, 2)) / 64.0, int16_t(BigEndian(job, at + 2, 2)) / 64.0});
            at += 4;
        }
    }
    for (uint32_t i = 0; i < (codes + 1) / 2; ++i)
        r.codeBytes.push_back(uint8_t(BigEndian(job, at + i, 1)));
    return r;
}

// The emboldening form opens with the glyph's bounds as two points, coded
// move, close, move, close.
bool OpensWithBounds(const OutlineRecord& r)
{
    return r.points.size() >= 2 && r.codeBytes.size() >= 2 && r.codeBytes[0] == 0x15 && r.codeBytes[1] == 0x15;
}

struct Bounds {
    double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
};

// The bounds of an outline's own points.
Bounds OutlineBounds(const OutlineRecord& r)
{
    Bounds b;
    for (size_t i = OpensWithBounds(r) ? 2 : 0; i < r.points.size(); ++i) {
        const Point& p = r.points[i];
        b.left = std::min(b.left, p.x), b.right = std::max(b.right, p.x);
        b.top = std::min(b.top, p.y), b.bottom = std::max(b.bottom, p.y);
    }
    return b;
}

void CheckCall(const TextCall& call)
{
    SCOPED_TRACE(call.name);
    frame_test::FrameDriver& driver = frame_test::SharedFrameDriver();
    ASSERT_TRUE(driver.ok());
    const frame_test::DrawnJob job =
        frame_test::PrintDrawnPages(driver.ExtendedDevmode(frame_test::A4At600(call.settings)), {CallPage(call)});
    const std::vector<Placed> placed = PlacedGlyphs(job.listing);
    const std::vector<Point> expected = ExpectedOrigins(call);
    ASSERT_EQ(placed.size(), expected.size()) << job.commands;
    const double tolerance = call.scaleNum == call.scaleDen ? 0 : 1;
    for (size_t i = 0; i < placed.size(); ++i) {
        SCOPED_TRACE("character " + std::to_string(i));
        const Placed& p = placed[i];
        EXPECT_NE(std::string(call.carriedBy).find(p.command), std::string::npos) << p.command;
        Point origin = p.at;
        const GLYPHMETRICS gm = MetricsOf(call, call.text[i]);
        // An image stands at the glyph's top left corner, the origin's offset away.
        if (p.command == "Cp")
            origin = {p.at.x - gm.gmptGlyphOrigin.x, p.at.y + gm.gmptGlyphOrigin.y};
        EXPECT_LE(std::abs(origin.x - expected[i].x), tolerance) << origin.x << " " << expected[i].x;
        EXPECT_LE(std::abs(origin.y - expected[i].y), tolerance) << origin.y << " " << expected[i].y;
        if (p.record == nullptr || tolerance != 0)
            continue;
        const std::string& record = p.record->text;
        if (record.find(" bitmap") != std::string::npos) {
            EXPECT_EQ(Field(record, "x"), gm.gmptGlyphOrigin.x) << record;
            EXPECT_EQ(Field(record, "y"), -gm.gmptGlyphOrigin.y) << record;
        } else {
            const Bounds b = OutlineBounds(ReadOutlineRecord(job.bytes, *p.record));
            EXPECT_NEAR(b.left, gm.gmptGlyphOrigin.x, 2) << record;
            EXPECT_NEAR(b.right, gm.gmptGlyphOrigin.x + double(gm.gmBlackBoxX), 2) << record;
            EXPECT_NEAR(b.top, -gm.gmptGlyphOrigin.y, 2) << record;
            EXPECT_NEAR(b.bottom, -gm.gmptGlyphOrigin.y + double(gm.gmBlackBoxY), 2) << record;
        }
    }
}

// Downloaded TrueType glyphs: bitmaps below the outline size (24 points),
// outlines above it (16-bit points up to 40 points, floats beyond), along a
// horizontal, a vertical and a slanted baseline. (Wine's metafile keeps no dy
// of ETO_PDY, so advances with rises cannot be drawn here.)
TEST(FrameTextPosition, DownloadedGlyphsStandWhereTheCallPutsThem)
{
    const TextCall calls[] = {
        {"bitmaps", L"Arial", 100, 0, L"Hxgj", {80, 55, 61, 40}, false, 1, 1, {}, "DM DI"},
        {"repeated glyph", L"Arial", 100, 0, L"AAAA", {70, 71, 69, 70}, false, 1, 1, {}, "DM DI"},
        {"outlines", L"Arial", 300, 0, L"Hxg", {220, 130, 170}, false, 1, 1, {}, "DM DI"},
        {"float outlines", L"Arial", 600, 0, L"Wg", {500, 330}, false, 1, 1, {}, "DM DI"},
        {"upwards", L"Arial", 100, 900, L"Hxg", {80, 55, 61}, false, 1, 1, {}, "DM DI"},
        {"slanted", L"Arial", 100, 300, L"Hxg", {80, 55, 61}, false, 1, 1, {}, "DM DI"},
        {"scaled page", L"Arial", 100, 0, L"Hxgj", {81, 55, 61, 41}, false, 3, 2, {}, "DM DI"},
    };
    for (const TextCall& call : calls)
        CheckCall(call);
}

// Without the printer's glyph memory (setting 336, or the outside processing
// library of setting 1343) bitmaps are drawn as images where they stand and
// outlines are sent and placed at once. Colour mode 3 has no mode of the
// library, so the faces it would have taken go as drawn.
TEST(FrameTextPosition, GlyphsWithoutTheGlyphMemory)
{
    const std::vector<SettingPair> external = {{kExternalProcessing, 1}, {kFidColorMode, 3}};
    const TextCall calls[] = {
        {"bitmaps", L"Arial", 100, 0, L"Hxg", {80, 55, 61}, false, 1, 1, {{kFidStoredJobText, 1}}, "Cp"},
        {"outlines", L"Arial", 300, 0, L"Hxgx", {220, 130, 170, 130}, false, 1, 1, {{kFidStoredJobText, 1}}, "DI"},
        {"outside library", L"Arial", 300, 0, L"Hxgx", {220, 130, 170, 130}, false, 1, 1, external, "DI"},
        {"outside library, upwards", L"Arial", 300, 900, L"Hxg", {220, 130, 170}, false, 1, 1, external, "DI"},
    };
    for (const TextCall& call : calls)
        CheckCall(call);
}

// With the outside processing library every TrueType glyph is downloaded
// (no resident font stands in), and outlines take the library's form: float
// points whatever the size, the glyph's bounds first as two points coded
// move, close, move, close; each is sent and placed at once. Without the
// library the same text takes 16-bit points and the glyph memory.
TEST(FrameTextPosition, OutlinesForTheOutsideLibrary)
{
    frame_test::FrameDriver& driver = frame_test::SharedFrameDriver();
    ASSERT_TRUE(driver.ok());
    const TextCall call{"", L"Arial", 300, 0, L"Hxx", {220, 130, 130}};
    for (bool external : {false, true}) {
        SCOPED_TRACE(external ? "outside library" : "glyph memory");
        // Substitution by the table alone, which names a resident face for Arial.
        std::vector<SettingPair> settings = {{kFidTTOption, 3}, {kFidNoDeviceFonts, 2}};
        if (external)
            settings.insert(settings.end(), {{kExternalProcessing, 1}, {kFidColorMode, 3}});
        const frame_test::DrawnJob job =
            frame_test::PrintDrawnPages(driver.ExtendedDevmode(frame_test::A4At600(settings)), {CallPage(call)});
        EXPECT_EQ(job.commands.find("\nDA ") != std::string::npos, !external) << job.commands;
        if (!external)
            continue;
        size_t downloads = 0;
        for (const Placed& p : PlacedGlyphs(job.listing)) {
            ASSERT_NE(p.record, nullptr) << job.commands;
            EXPECT_EQ(p.record->text.find("DH id=0 outline float"), 0u) << p.record->text;
            const OutlineRecord r = ReadOutlineRecord(job.bytes, *p.record);
            EXPECT_TRUE(r.floats);
            ASSERT_TRUE(OpensWithBounds(r)) << p.record->text;
            const Bounds b = OutlineBounds(r);
            EXPECT_EQ(r.points[0].x, b.left);
            EXPECT_EQ(r.points[0].y, b.top);
            EXPECT_EQ(r.points[1].x, b.right);   // upright: no emboldening
            EXPECT_EQ(r.points[1].y, b.bottom);
        }
        for (const MorvaCommandLine& c : job.listing.commands)
            downloads += Opcode(c.text) == "DH" || Opcode(c.text) == "DL";
        EXPECT_EQ(downloads, 3u) << job.commands;
    }
    // The same glyphs through the glyph memory: 16-bit points, no bounds, each
    // glyph once.
    const frame_test::DrawnJob plain =
        frame_test::PrintDrawnPages(driver.ExtendedDevmode(frame_test::A4At600()), {CallPage(call)});
    size_t downloads = 0;
    for (const MorvaCommandLine& c : plain.listing.commands) {
        if (Opcode(c.text) != "DH" && Opcode(c.text) != "DL")
            continue;
        ++downloads;
        const OutlineRecord r = ReadOutlineRecord(plain.bytes, c);
        EXPECT_FALSE(r.floats) << c.text;
        EXPECT_FALSE(OpensWithBounds(r)) << c.text;
    }
    EXPECT_EQ(downloads, 2u) << plain.commands;
}

// The characters of a resident font: one run with its advances, or one by one
// when they leave the baseline. The host lays a resident font out with the
// driver's widths (Morva Sans: 'A' 700 and 'i' 500 of 1000 units), whatever
// advances the metafile carries.
TEST(FrameTextPosition, ResidentCharactersStandWhereTheCallPutsThem)
{
    const TextCall calls[] = {
        {"equal advances", L"Morva Sans", 100, 0, L"AAAA", {70, 70, 70, 70}, false, 1, 1, {}, "DC"},
        {"own advances", L"Morva Sans", 100, 0, L"AiAi", {70, 50, 70, 50}, false, 1, 1, {}, "DD"},
        {"upwards", L"Morva Sans", 100, 900, L"AiA", {70, 50, 70}, false, 1, 1, {}, "DE"},
    };
    for (const TextCall& call : calls)
        CheckCall(call);
}


// The font's own advance of each character of the call's text.
std::vector<int> OwnAdvances(const TextCall& call)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = MakeFont(call, call.pixels);
    HGDIOBJ old = SelectObject(dc, font);
    std::vector<int> out;
    for (const wchar_t* c = call.text; *c; ++c) {
        SIZE size{};
        GetTextExtentPoint32W(dc, c, 1, &size);
        out.push_back(size.cx);
    }
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    return out;
}

// A fixed-pitch font with its own advances comes with one increment and the
// first position only; a string longer than the engine's batch comes in
// several batches, whose glyph data lasts only until the next. Both, and the
// two together, stand where GDI puts them. (Wine's Courier New stands in
// with a variable pitch; the fixed-pitch face here is DejaVu Sans Mono.)
TEST(FrameTextPosition, FixedIncrementsAndLongStringsStandWhereTheCallPutsThem)
{
    static const std::wstring longText = [] {
        std::wstring t;
        for (int i = 0; i < 150; ++i)
            t += wchar_t(L"HxgjAiW"[i % 7]);
        return t;
    }();
    std::vector<int> varied;
    for (int i = 0; i < 150; ++i)
        varied.push_back(18 + (i * 7) % 11);
    TextCall fixed{"fixed pitch", L"DejaVu Sans Mono", 100, 0, L"Fixed0123", {}, false, 1, 1, {}, "DM DI"};
    fixed.dx = OwnAdvances(fixed);
    TextCall fixedLong{"fixed pitch, long", L"DejaVu Sans Mono", 40, 0, longText.c_str(), {}, false, 1, 1, {}, "DM DI"};
    fixedLong.dx = OwnAdvances(fixedLong);
    const TextCall calls[] = {
        fixed,
        fixedLong,
        {"long", L"Arial", 40, 0, longText.c_str(), varied, false, 1, 1, {}, "DM DI"},
        {"long, outlines", L"Arial", 300, 0, longText.c_str() + 70, std::vector<int>(80, 30), false, 1, 1, {}, "DM DI"},
    };
    for (const TextCall& call : calls)
        CheckCall(call);
}

}  // namespace
