// Watermarks and annotation stamps drawn at the end of a page or document,
// on a recording DC: the library's escapes are answered by a script, and each
// escape, page start and page end leaves a marker among the drawing, so that
// the order of escapes and drawing can be read back from the recording.
#include "common/context/value_by_type.h"
#include "common/job/private_escapes.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "printhost/import_redirect.h"
#include "ui/docevent/dc_job_record.h"
#include "ui/docevent/overlays.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Script {
    OverlayAnswer answer{};
    std::vector<uint8_t> settings = std::vector<uint8_t>(kSettingsRecordSize);
    AnnotationRecord annotation{};
    bool annotationHeld = true;
    int watermarkOpenAnswer = 1;
    std::vector<std::string> escapes;   // in the order issued
};
Script* g_script = nullptr;

void Mark(HDC hdc, const std::string& text)
{
    const std::string marker = "MARK" + text;
    GdiComment(hdc, UINT(marker.size()), reinterpret_cast<const BYTE*>(marker.data()));
}

int WINAPI ScriptedEscape(HDC hdc, int code, int inSize, LPCSTR in, int outSize, LPSTR out)
{
    Script& s = *g_script;
    std::string entry = std::to_string(code);
    uint32_t value = 0;
    if (in && inSize >= 4) {
        std::memcpy(&value, in, 4);
        entry += "(" + std::to_string(value);
        if (inSize == 8) {
            int32_t second = 0;
            std::memcpy(&second, in + 4, 4);
            entry += "," + std::to_string(second);
        }
        entry += ")";
    }
    if (outSize)
        entry += "/" + std::to_string(outSize);
    s.escapes.push_back(entry);
    Mark(hdc, entry);
    switch (code) {
    case kEscQueryOverlays:
        if (outSize != sizeof(OverlayAnswer)) return -1;
        std::memcpy(out, &s.answer, sizeof(s.answer));
        return 1;
    case kEscGetSettings:
        if (outSize != int(kSettingsRecordSize)) return -1;
        std::memcpy(out, s.settings.data(), kSettingsRecordSize);
        return 1;
    case kEscGetAnnotationData:
        if (outSize != int(sizeof(AnnotationRecord)) || !s.annotationHeld) return -1;
        std::memcpy(out, &s.annotation, sizeof(s.annotation));
        return 1;
    case kEscWatermarkBracket:
        if (outSize != 4) return -1;
        return value == 1 ? s.watermarkOpenAnswer : 1;
    case kEscAnnotationBracket:
    case kEscExtraPage:
        return outSize == 4 ? 1 : -1;
    case kEscWatermarkFrame:
        return inSize == 8 && outSize == 0 ? 1 : -1;
    default:
        return 0;
    }
}

int WINAPI ScriptedStartPage(HDC hdc)
{
    g_script->escapes.push_back("StartPage");
    Mark(hdc, "StartPage");
    return 1;
}

int WINAPI ScriptedEndPage(HDC hdc)
{
    g_script->escapes.push_back("EndPage");
    Mark(hdc, "EndPage");
    return 1;
}

// What the recording holds: markers, texts, outlines and the fonts and pens made.
struct Recorded {
    std::vector<std::string> items;
    std::vector<POINT> textAt;
    std::vector<std::vector<POINT>> polygons;
    std::vector<RECTL> ellipses;
    std::vector<LONG> fontHeights;
    std::vector<LONG> penWidths;
};

int CALLBACK Collect(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM context)
{
    auto& r = *reinterpret_cast<Recorded*>(context);
    switch (record->iType) {
    case EMR_GDICOMMENT: {
        auto* c = reinterpret_cast<const EMRGDICOMMENT*>(record);
        const std::string text(reinterpret_cast<const char*>(c->Data), c->cbData);
        if (text.rfind("MARK", 0) == 0) r.items.push_back(text.substr(4));
        break;
    }
    case EMR_EXTTEXTOUTW: {
        auto* t = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
        const auto* chars = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(record) + t->emrtext.offString);
        std::wstring wide(chars, t->emrtext.nChars);
        r.items.push_back("Text:" + std::string(wide.begin(), wide.end()));
        r.textAt.push_back({t->emrtext.ptlReference.x, t->emrtext.ptlReference.y});
        break;
    }
    case EMR_POLYGON16: {
        auto* p = reinterpret_cast<const EMRPOLYGON16*>(record);
        std::vector<POINT> points;
        for (DWORD i = 0; i < p->cpts; ++i) points.push_back({p->apts[i].x, p->apts[i].y});
        r.polygons.push_back(points);
        r.items.push_back("Polygon");
        break;
    }
    case EMR_POLYGON: {
        auto* p = reinterpret_cast<const EMRPOLYGON*>(record);
        std::vector<POINT> points;
        for (DWORD i = 0; i < p->cptl; ++i) points.push_back({p->aptl[i].x, p->aptl[i].y});
        r.polygons.push_back(points);
        r.items.push_back("Polygon");
        break;
    }
    case EMR_ELLIPSE:
        r.ellipses.push_back(reinterpret_cast<const EMRELLIPSE*>(record)->rclBox);
        r.items.push_back("Ellipse");
        break;
    case EMR_EXTCREATEFONTINDIRECTW:
        r.fontHeights.push_back(reinterpret_cast<const EMREXTCREATEFONTINDIRECTW*>(record)->elfw.elfLogFont.lfHeight);
        break;
    case EMR_CREATEPEN:
        r.penWidths.push_back(reinterpret_cast<const EMRCREATEPEN*>(record)->lopn.lopnWidth.x);
        break;
    case EMR_EXTCREATEPEN:
        r.penWidths.push_back(LONG(reinterpret_cast<const EMREXTCREATEPEN*>(record)->elp.elpWidth));
        break;
    default:
        break;
    }
    return 1;
}

constexpr int kResolution = 600;

class OverlayDrawing : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_script = &script;
        const printhost::ImportRedirect scripted[] = {
            {"ExtEscape", reinterpret_cast<void*>(&ScriptedEscape)},
            {"StartPage", reinterpret_cast<void*>(&ScriptedStartPage)},
            {"EndPage", reinterpret_cast<void*>(&ScriptedEndPage)},
        };
        ASSERT_GT(printhost::RedirectGdiImports(GetModuleHandleW(nullptr), scripted, 3), 0);
        script.answer.imageable[0] = 100;
        script.answer.imageable[1] = 100;
        script.answer.imageable[2] = 4800;
        script.answer.imageable[3] = 6900;
        script.answer.form[2] = 4960;
        script.answer.form[3] = 7016;
        SetNumber(20, kResolution);
        SetNumber(303, 0x202);
        SetNumber(301, RGB(200, 0, 0));
        SetNumber(373, RGB(0, 100, 0));
        SetText(299, L"DRAFT");
        SetFont(304, Font(72, false, 400));
        SetFont(357, Font(12, false, 400));
        dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(dc, nullptr);
    }
    void TearDown() override
    {
        HMODULE gdi = GetModuleHandleW(L"gdi32.dll");
        const printhost::ImportRedirect real[] = {
            {"ExtEscape", reinterpret_cast<void*>(GetProcAddress(gdi, "ExtEscape"))},
            {"StartPage", reinterpret_cast<void*>(GetProcAddress(gdi, "StartPage"))},
            {"EndPage", reinterpret_cast<void*>(GetProcAddress(gdi, "EndPage"))},
        };
        printhost::RedirectGdiImports(GetModuleHandleW(nullptr), real, 3);
        if (dc) DeleteEnhMetaFile(CloseEnhMetaFile(dc));
        g_script = nullptr;
    }

    static LOGFONTW Font(LONG points, bool italic, LONG weight)
    {
        LOGFONTW font{};
        font.lfHeight = points;
        font.lfWeight = weight;
        font.lfItalic = italic;
        font.lfCharSet = DEFAULT_CHARSET;
        std::wcscpy(font.lfFaceName, L"Arial");
        return font;
    }
    void SetNumber(uint16_t id, uint32_t value)
    {
        uint64_t word = value;
        uint16_t type = 0;
        uint32_t size = 0;
        uint64_t holder = 0;
        ASSERT_EQ(GetFunctionIdValue(id, script.settings.data(), nullptr, &type, &size, &holder), 0) << id;
        ASSERT_GE(SetFunctionIdValueWord(script.settings.data(), nullptr, id, type, size, word), 0) << id;
    }
    void SetText(uint16_t id, const wchar_t* text)
    {
        const uint64_t word = reinterpret_cast<uintptr_t>(text);
        ASSERT_EQ(SetFunctionIdValueWord(script.settings.data(), nullptr, id, kTypeString,
                                         uint32_t((std::wcslen(text) + 1) * 2), word), 0) << id;
    }
    void SetFont(uint16_t id, const LOGFONTW& font)
    {
        const uint64_t word = reinterpret_cast<uintptr_t>(&font);
        ASSERT_EQ(SetFunctionIdValueWord(script.settings.data(), nullptr, id, kTypeLogFont, sizeof(font), word), 0)
            << id;
    }
    void Annotate(std::initializer_list<std::pair<int, uint16_t>> placements)
    {
        // The graphics library answers the codes of items whose option is off as 0.
        script.annotation.present = 1;
        std::fill(std::begin(script.annotation.placement), std::end(script.annotation.placement), 0);
        for (auto [item, code] : placements) {
            script.annotation.placement[item] = code;
            SetNumber(uint16_t(1296 + item), 1);
        }
        std::wcscpy(script.annotation.userName, L"user");
        std::wcscpy(script.annotation.ownerText, L"owner");
        std::wcscpy(script.annotation.documentName, L"doc");
        script.annotation.jobNumber = 42;
    }
    Recorded Finish()
    {
        Recorded r;
        HENHMETAFILE emf = CloseEnhMetaFile(dc);
        dc = nullptr;
        EnumEnhMetaFile(nullptr, emf, Collect, &r, nullptr);
        DeleteEnhMetaFile(emf);
        return r;
    }
    // The size DrawTextW measures for the text in the font at the resolution.
    SIZE Measure(const wchar_t* text, const LOGFONTW& font)
    {
        LOGFONTW device = font;
        device.lfHeight = -MulDiv(font.lfHeight, kResolution, 72);
        HDC screen = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(screen, CreateFontIndirectW(&device));
        RECT r{0, 0, 0, 0};
        DrawTextW(screen, text, -1, &r, DT_CALCRECT | DT_NOCLIP);
        DeleteObject(SelectObject(screen, old));
        DeleteDC(screen);
        return {r.right - r.left, r.bottom - r.top};
    }
    static std::string Join(const std::vector<std::string>& items)
    {
        std::string text;
        for (const std::string& item : items) text += item + " ";
        return text;
    }

    Script script;
    HDC dc = nullptr;
};

TEST_F(OverlayDrawing, DocumentEndWithOnlyAnnotationsDrawsThemOnAnExtraPage)
{
    script.answer.annotationsDue = 1;
    Annotate({{0, 0x0101}, {3, 0x0303}});
    EXPECT_EQ(DrawPendingOverlays(nullptr, dc, 1), 1);
    const std::string escapes = Join(script.escapes);
    EXPECT_EQ(escapes.substr(0, escapes.find("20484")),
              "20481(1)/44 20482/5900 StartPage 20548(1)/4 20486/768 20488(1)/4 ")
        << escapes;
    // The flag of the extra page goes after the page has ended, so that the
    // graphics library does not count it as a page of the document.
    EXPECT_EQ(escapes.substr(escapes.find("20488(0)")), "20488(0)/4 EndPage 20548(0)/4 ") << escapes;
    EXPECT_EQ(std::count_if(script.escapes.begin(), script.escapes.end(),
                            [](const std::string& e) { return e.rfind("20484(", 0) == 0; }),
              2);
    // One text per placement, each after the frame escape that places it.
    const std::string items = Join(Finish().items);
    const size_t user = items.find("Text:user ");
    const size_t number = items.find("Text:42 ");
    ASSERT_NE(user, std::string::npos) << items;
    ASSERT_NE(number, std::string::npos) << items;
    EXPECT_LT(items.find("20484("), user) << items;
    EXPECT_LT(items.find("20484(", user), number) << items;
    EXPECT_LT(number, items.find("20488(0)")) << items;
}

TEST_F(OverlayDrawing, AnnotationItemsOfOnePlacementAreJoined)
{
    script.answer.pageWatermarkDue = 0;
    script.answer.overlayPageDue = 1;
    script.answer.annotationsDue = 1;
    Annotate({{0, 0x0101}, {2, 0x0101}});
    EXPECT_EQ(DrawPendingOverlays(nullptr, dc, 0), 1);
    const Recorded r = Finish();
    std::vector<std::string> texts;
    for (const std::string& item : r.items)
        if (item.rfind("Text:", 0) == 0) texts.push_back(item);
    // The watermark of the face and one joined annotation text; the items
    // whose option is off (their codes read 0) print nothing.
    EXPECT_EQ(Join(texts), "Text:DRAFT Text:user : doc ");
    EXPECT_EQ(std::count(script.escapes.begin(), script.escapes.end(), "StartPage"), 0);
}

TEST_F(OverlayDrawing, WatermarkAndAnnotationsShareOneExtraPage)
{
    script.answer.overlayPageDue = 1;
    script.answer.annotationsDue = 1;
    Annotate({{1, 0x0202}});
    EXPECT_EQ(DrawPendingOverlays(nullptr, dc, 1), 1);
    EXPECT_EQ(std::count(script.escapes.begin(), script.escapes.end(), "StartPage"), 1);
    EXPECT_EQ(std::count(script.escapes.begin(), script.escapes.end(), "EndPage"), 1);
    const std::string items = Join(Finish().items);
    EXPECT_LT(items.find("Text:DRAFT"), items.find("Text:owner")) << items;
    EXPECT_LT(items.find("Text:owner"), items.find("EndPage")) << items;
}

TEST_F(OverlayDrawing, NothingDueDrawsNothing)
{
    EXPECT_EQ(DrawPendingOverlays(nullptr, dc, 0), 1);
    EXPECT_EQ(Join(script.escapes), "20481(0)/44 ");
    EXPECT_EQ(DrawPendingOverlays(nullptr, nullptr, 0), -1);
}

TEST_F(OverlayDrawing, TiledGridSendsOneFrameAndOneTextPerCell)
{
    const LOGFONTW font = Font(72, false, 400);
    const SIZE size = Measure(L"DRAFT", font);
    ASSERT_GT(size.cx, 0);
    OverlayAnswer answer{};
    answer.imageable[2] = float(size.cx) * 1.5f;   // two columns
    answer.imageable[3] = float(size.cy) * 2.5f;   // three rows
    EXPECT_EQ(DrawWatermark(dc, answer, kResolution, 0, font, L"DRAFT", RGB(0, 0, 0), kFrameNone, false), 1);
    EXPECT_EQ(std::count_if(script.escapes.begin(), script.escapes.end(),
                            [](const std::string& e) { return e.rfind("20484(", 0) == 0; }),
              6);
    const Recorded r = Finish();
    EXPECT_EQ(r.textAt.size(), 6u);
    ASSERT_EQ(r.fontHeights.size(), 1u);
    // 72 points at 600 dots per inch.
    EXPECT_EQ(r.fontHeights[0], -600);
    // The frame escape carries each cell's offset from the first; the text
    // itself goes to the first cell's place.
    EXPECT_EQ(script.escapes[0], "20484(0,0)");
    EXPECT_EQ(script.escapes[1], "20484(" + std::to_string(size.cx) + ",0)");
    for (const POINT& at : r.textAt) {
        EXPECT_EQ(at.x, 0);
        EXPECT_EQ(at.y, 0);
    }
}

TEST_F(OverlayDrawing, ItalicTextIsMeasuredWider)
{
    OverlayAnswer answer{};
    answer.form[2] = 4000;
    answer.form[3] = 4000;
    const LOGFONTW upright = Font(36, false, 400);
    const LOGFONTW italic = Font(36, true, 400);
    // Centred on the page frame: the left edge moves by half the width.
    EXPECT_EQ(DrawWatermark(dc, answer, kResolution, 0x202, upright, L"DRAFT", 0, kFrameNone, true), 1);
    EXPECT_EQ(DrawWatermark(dc, answer, kResolution, 0x202, italic, L"DRAFT", 0, kFrameNone, true), 1);
    const Recorded r = Finish();
    ASSERT_EQ(r.textAt.size(), 2u);
    const SIZE a = Measure(L"DRAFT", upright), b = Measure(L"DRAFT", italic);
    EXPECT_NEAR(r.textAt[0].x, (4000 - a.cx) / 2.0, 1);
    EXPECT_NEAR(r.textAt[1].x, (4000 - (b.cx + b.cy * 0.2679492)) / 2.0, 1);
    // Centred with the page frame sends no frame escape.
    EXPECT_TRUE(script.escapes.empty());
}

TEST_F(OverlayDrawing, FramesTakeTheirSizeFromTheTextAndThePen)
{
    OverlayAnswer answer{};
    answer.form[2] = 5000;
    answer.form[3] = 5000;
    const LOGFONTW bold = Font(36, false, 700);
    const LOGFONTW plain = Font(36, false, 400);
    EXPECT_EQ(DrawWatermark(dc, answer, kResolution, 0x101, bold, L"DRAFT", 0, kFrameRectangle, true), 1);
    EXPECT_EQ(DrawWatermark(dc, answer, kResolution, 0x101, plain, L"DRAFT", 0, kFrameCircle, true), 1);
    const Recorded r = Finish();
    const SIZE b = Measure(L"DRAFT", bold), p = Measure(L"DRAFT", plain);
    // 36 points at 600 dpi are 300 dots: a bold frame's pen is 7 in 100 of
    // it, another 6 in 100.
    ASSERT_EQ(r.penWidths.size(), 2u);
    EXPECT_EQ(r.penWidths[0], 21);
    EXPECT_EQ(r.penWidths[1], 18);
    ASSERT_EQ(r.polygons.size(), 1u);
    ASSERT_EQ(r.polygons[0].size(), 4u);
    // The outline runs through the middle of the pen: 1.2 times the text.
    EXPECT_NEAR(r.polygons[0][1].x - r.polygons[0][0].x, b.cx * 1.2, 1.5);
    EXPECT_NEAR(r.polygons[0][3].y - r.polygons[0][0].y, b.cy * 1.2, 1.5);
    ASSERT_EQ(r.ellipses.size(), 1u);
    const double diameter = std::sqrt(double(p.cx) * p.cx + double(p.cy) * p.cy) + 2 * 18;
    EXPECT_NEAR(r.ellipses[0].right - r.ellipses[0].left, diameter - 18, 2);
    // The text sits in the middle of its frame.
    ASSERT_EQ(r.textAt.size(), 2u);
    EXPECT_NEAR(r.textAt[0].x - r.polygons[0][0].x, (b.cx * 1.2 + 21 - b.cx) / 2 - 10.5, 1.5);
}

TEST_F(OverlayDrawing, RefusedWatermarkBracketDrawsNothingAndStillCloses)
{
    script.answer.pageWatermarkDue = 1;
    script.watermarkOpenAnswer = -1;
    EXPECT_EQ(DrawPendingOverlays(nullptr, dc, 0), -1);
    EXPECT_EQ(Join(script.escapes), "20481(0)/44 20482/5900 20483(1)/4 20483(0)/4 ");
    const Recorded r = Finish();
    EXPECT_TRUE(r.textAt.empty());
}

TEST_F(OverlayDrawing, AnnotationsWithoutDataCloseTheirBracketAndFail)
{
    script.answer.overlayPageDue = 1;
    script.answer.annotationsDue = 1;
    SetText(299, L"");
    script.annotationHeld = false;
    EXPECT_EQ(DrawPendingOverlays(nullptr, dc, 0), -1);
    EXPECT_EQ(script.escapes.back(), "20488(0)/4");
}

}  // namespace

// An annotation record built from the spooler's record of the job when the
// graphics library has none: the texts switched on, the owner text by the
// account mode, the submission time in local time.
namespace {

struct JobRecords {
    std::vector<uint8_t> settings = std::vector<uint8_t>(kSettingsRecordSize);
    std::vector<uint8_t> printer = std::vector<uint8_t>(kPrinterSettingsRecordSize);
    void Number(uint16_t id, uint32_t value)
    {
        ASSERT_TRUE(WriteSettingNumber(id, settings.data(), printer.data(), value)) << id;
    }
    void Text(uint16_t id, const wchar_t* text)
    {
        ASSERT_EQ(SetFunctionIdValueArgs(settings.data(), printer.data(), id, kTypeString,
                                         static_cast<uint32_t>((wcslen(text) + 1) * 2), text),
                  0)
            << id;
    }
};

AnnotationJobFacts Facts()
{
    AnnotationJobFacts job{L"alice", L"DESK7", L"Report.doc", {}, 42};
    job.submitted = {2026, 3, 0, 14, 9, 30, 0, 0};
    return job;
}

}  // namespace

TEST(AnnotationFromJob, TextsSwitchedOnWithTheirPlaces)
{
    JobRecords r;
    for (uint16_t i = 0; i < 6; ++i)
        r.Number(static_cast<uint16_t>(1296 + i), i == 1 ? 0 : 1);
    r.Number(351, 0x101);
    r.Number(353, 0x303);
    r.Number(354, 0x102);
    r.Number(355, 0x103);
    r.Number(356, 0x103);
    AnnotationRecord out{};
    BuildAnnotationFromJob(Facts(), r.settings.data(), r.printer.data(), 0, &out);
    EXPECT_EQ(out.present, 1);
    EXPECT_STREQ(out.userName, L"alice");
    EXPECT_STREQ(out.ownerText, L"");
    EXPECT_STREQ(out.documentName, L"Report.doc");
    EXPECT_EQ(out.jobNumber, 42);
    const uint16_t places[6] = {0x101, 0xFFFF, 0x303, 0x102, 0x103, 0x103};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(out.placement[i], places[i]) << i;
    SYSTEMTIME local{};
    const SYSTEMTIME utc = Facts().submitted;
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local));
    wchar_t minute[8];
    swprintf(minute, 8, L"%02d", local.wMinute);
    EXPECT_NE(std::wstring(out.time).find(minute), std::wstring::npos) << out.time;
    EXPECT_NE(std::wstring(out.date).find(L"26"), std::wstring::npos) << out.date;

    JobRecords none;
    BuildAnnotationFromJob(Facts(), none.settings.data(), none.printer.data(), 0, &out);
    EXPECT_EQ(out.present, 0);
    for (uint16_t place : out.placement)
        EXPECT_EQ(place, 0xFFFF);
}

TEST(AnnotationFromJob, OwnerTextFollowsTheAccountMode)
{
    constexpr uint32_t kAccountModes = 0x2000000;
    const struct {
        const char* what;
        uint32_t capabilities;
        uint32_t mode, popupUser, popupAdmin, userKind, adminKind;
        const wchar_t *popupName, *userId, *adminId;
        const wchar_t* owner;
    } cases[] = {
        {"plain: user and machine", 0, 1, 0, 0, 0, 0, L"", L"", L"", L"alice\\DESK7"},
        {"plain: the user code given", 0, 1, 0, 0, 7, 0, L"", L"U1", L"", L"U1"},
        {"plain: an empty code", 0, 1, 0, 0, 7, 0, L"", L"", L"", L"alice\\DESK7"},
        {"plain: the administrator's code", 0, 0, 0, 0, 0, 7, L"", L"", L"A1", L"A1"},
        {"plain: another mode", 0, 2, 0, 0, 7, 0, L"", L"U1", L"", L"alice\\DESK7"},
        {"modes: the asked name", kAccountModes, 1, 1, 0, 7, 0, L"Asked", L"U1", L"", L"Asked"},
        {"modes: the user code", kAccountModes, 1, 0, 0, 7, 0, L"Asked", L"U1", L"", L"U1"},
        {"modes: the job's user", kAccountModes, 1, 0, 0, 0, 0, L"Asked", L"U1", L"", L"alice"},
        {"modes: the administrator asked", kAccountModes, 0, 0, 1, 0, 0, L"Asked", L"", L"", L"Asked"},
        {"modes: the administrator's code", kAccountModes, 0, 0, 0, 0, 7, L"", L"", L"A1", L"A1"},
        {"modes: an empty name falls back", kAccountModes, 0, 0, 1, 0, 0, L"", L"", L"", L"alice"},
    };
    for (const auto& c : cases) {
        JobRecords r;
        r.Number(1297, 1);
        r.Number(352, 0x202);
        r.Number(5163, c.mode);
        r.Number(5165, c.popupUser);
        r.Number(5164, c.popupAdmin);
        r.Number(5178, c.userKind);
        r.Number(5127, c.adminKind);
        r.Text(5174, c.popupName);
        r.Text(5150, c.userId);
        r.Text(5121, c.adminId);
        AnnotationRecord out{};
        BuildAnnotationFromJob(Facts(), r.settings.data(), r.printer.data(), c.capabilities, &out);
        EXPECT_STREQ(out.ownerText, c.owner) << c.what;
        EXPECT_EQ(out.placement[1], 0x202) << c.what;
        // Without the printer settings there is no owner text.
        BuildAnnotationFromJob(Facts(), r.settings.data(), nullptr, c.capabilities, &out);
        EXPECT_EQ(out.placement[1], 0xFFFF) << c.what;
    }
}
