// Pages printed through both libraries as on Windows (the application's
// DEVMODE, morvaui at the document events, morvagr writing the job), the job
// drawn sheet by sheet by the independent renderer, and each sheet compared
// with GDI's own picture of the same metafile, played at the sheet's size and
// resolution where the printer's printable area lies. A page that lands off its
// sheet, is blank, or is moved by more than a pixel or two fails.
#include "tests/docevent/docevent_fixture.h"
#include "tests/sheets/sheet_comparison.h"

#include "common/settings/function_ids.h"
#include "printhost/print_job.h"
#include "tools/morva_reader/morva_reader.h"
#include "tools/morva_renderer/sheet_renderer.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

constexpr int kDpi = 600;
// A pixel or two of rounding and anti-aliasing either way; colours within
// what the colour stages may move them.
constexpr int kReach = 2;
constexpr int kTolerance = 64;
constexpr double kMostUnmatched = 0.01;

// Pages are drawn in tenths of a millimetre on a frame of 180 x 260 mm.
constexpr int kFrameWidth = 1800, kFrameHeight = 2600;

HFONT Font(int tenthsMm, int weight, bool italic, const wchar_t* face)
{
    return CreateFontW(-tenthsMm, 0, 0, 0, weight, italic, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, face);
}

void Text(HDC dc, const wchar_t* face, double points, int weight, bool italic, COLORREF colour, int x, int y,
          const wchar_t* text)
{
    HFONT font = Font(int(std::lround(points * 254 / 72)), weight, italic, face);
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, x, y, text, int(wcslen(text)));
    SelectObject(dc, old);
    DeleteObject(font);
}

void TextPage(HDC dc)
{
    Text(dc, L"DejaVu Sans", 28, FW_BOLD, false, RGB(0, 0, 0), 100, 100, L"Printed sheet");
    Text(dc, L"DejaVu Sans", 8, FW_NORMAL, false, RGB(0, 0, 0), 100, 260, L"Eight point sans: the quick brown fox.");
    Text(dc, L"DejaVu Sans", 12, FW_NORMAL, false, RGB(0, 0, 0), 100, 320,
         L"Twelve point sans: jumps over the lazy dog.");
    Text(dc, L"DejaVu Serif", 14, FW_NORMAL, true, RGB(200, 0, 0), 100, 400, L"Fourteen point serif italic, red");
    Text(dc, L"DejaVu Sans Mono", 10, FW_NORMAL, false, RGB(0, 0, 170), 100, 480, L"Mono, blue: 0123456789 {}[]()");
    Text(dc, L"DejaVu Serif", 20, FW_BOLD, false, RGB(0, 120, 0), 100, 560, L"Twenty point serif bold");
    Text(dc, L"DejaVu Sans", 60, FW_NORMAL, false, RGB(0, 0, 0), 100, 800, L"Large 60");
    for (int line = 0; line < 12; ++line)
        Text(dc, L"DejaVu Serif", 10, FW_NORMAL, false, RGB(0, 0, 0), 100, 1200 + line * 60,
             L"A line of body text in ten point serif, repeated to fill a column of the page.");
    Text(dc, L"DejaVu Sans", 9, FW_NORMAL, false, RGB(0, 0, 0), 1500, 2500, L"Bottom right");
}

// A generated photograph: smooth colour fields with a few sharp shapes.
std::vector<uint8_t> Photograph(int width, int height)
{
    const int stride = (width * 3 + 3) & ~3;
    std::vector<uint8_t> bits(size_t(stride) * size_t(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = bits.data() + size_t(y) * size_t(stride) + size_t(x) * 3;  // B, G, R
            const double fx = double(x) / width, fy = double(y) / height;
            int r = int(255 * fx), g = int(200 * fy + 40 * std::sin(fx * 9)), b = int(255 * (1 - fx * fy));
            const double dx = fx - 0.6, dy = fy - 0.4;
            if (dx * dx + dy * dy < 0.04)
                r = 250, g = 220, b = 30;
            p[0] = uint8_t(std::clamp(b, 0, 255));
            p[1] = uint8_t(std::clamp(g, 0, 255));
            p[2] = uint8_t(std::clamp(r, 0, 255));
        }
    }
    return bits;
}

void ShapesPage(HDC dc)
{
    Text(dc, L"DejaVu Sans", 16, FW_BOLD, false, RGB(0, 0, 0), 100, 60, L"Lines, shapes, a photograph, a clip");
    // Lines of several widths.
    const int widths[] = {0, 3, 10, 25};
    for (int i = 0; i < 4; ++i) {
        LOGBRUSH lb{BS_SOLID, RGB(0, 0, 0), 0};
        HPEN pen = widths[i] == 0 ? CreatePen(PS_SOLID, 0, RGB(0, 0, 0))
                                  : ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND,
                                                 DWORD(widths[i]), &lb, 0, nullptr);
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, 100, 250 + i * 60, nullptr);
        LineTo(dc, 700, 250 + i * 60 + i * 20);
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    // Filled shapes with outlines.
    HPEN outline = CreatePen(PS_SOLID, 6, RGB(0, 0, 0));
    HGDIOBJ oldPen = SelectObject(dc, outline);
    HBRUSH red = CreateSolidBrush(RGB(220, 30, 30));
    HGDIOBJ oldBrush = SelectObject(dc, red);
    Rectangle(dc, 850, 230, 1200, 480);
    HBRUSH blue = CreateSolidBrush(RGB(30, 60, 210));
    SelectObject(dc, blue);
    Ellipse(dc, 1250, 230, 1700, 480);
    HBRUSH green = CreateSolidBrush(RGB(40, 170, 60));
    SelectObject(dc, green);
    const POINT star[5] = {{300, 560}, {420, 900}, {120, 680}, {480, 680}, {180, 900}};
    SetPolyFillMode(dc, WINDING);
    Polygon(dc, star, 5);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    const POINT curve[4] = {{600, 900}, {700, 500}, {900, 1000}, {1000, 600}};
    PolyBezier(dc, curve, 4);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(outline);
    DeleteObject(red);
    DeleteObject(blue);
    DeleteObject(green);

    // The photograph, stretched.
    const int w = 240, h = 160;
    const std::vector<uint8_t> bits = Photograph(w, h);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    StretchDIBits(dc, 100, 1050, 900, 600, 0, 0, w, h, bits.data(), &info, DIB_RGB_COLORS, SRCCOPY);

    // A clip: stripes and text seen through an ellipse.
    SaveDC(dc);
    BeginPath(dc);
    Ellipse(dc, 1100, 1050, 1700, 1650);
    EndPath(dc);
    SelectClipPath(dc, RGN_AND);
    for (int i = 0; i < 12; ++i) {
        HBRUSH stripe = CreateSolidBrush(i % 2 ? RGB(250, 160, 0) : RGB(120, 0, 160));
        RECT r{1050, 1050 + i * 50, 1750, 1100 + i * 50};
        FillRect(dc, &r, stripe);
        DeleteObject(stripe);
    }
    Text(dc, L"DejaVu Sans", 24, FW_BOLD, false, RGB(0, 0, 0), 1080, 1300, L"Clipped text");
    RestoreDC(dc, -1);

    Text(dc, L"DejaVu Serif", 12, FW_NORMAL, false, RGB(0, 0, 0), 100, 1750, L"Below the photograph and the clip.");
}

// One-bit bitmaps drawn with a brush where the source is white (0xE20746) or
// black (0xB8074A), from palettes of either order.
void OneBitPage(HDC dc)
{
    Text(dc, L"DejaVu Sans", 16, FW_BOLD, false, RGB(0, 0, 0), 100, 60, L"One-bit bitmaps through a brush");
    constexpr int kSide = 64;
    std::vector<uint8_t> rows(kSide * kSide / 8);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            if (((x + y) / 8) % 2 == 0 || (x - 32) * (x - 32) + (y - 32) * (y - 32) < 200)
                rows[size_t(y) * kSide / 8 + size_t(x) / 8] |= uint8_t(0x80 >> (x % 8));
    struct OneBit {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    };
    struct Case {
        bool blackFirst;
        DWORD rop;
        COLORREF brush;
    };
    const Case cases[] = {{true, 0x00E20746, RGB(220, 0, 0)},
                          {false, 0x00E20746, RGB(0, 0, 200)},
                          {true, 0x00B8074A, RGB(0, 150, 0)},
                          {false, 0x00B8074A, RGB(150, 0, 150)}};
    int x = 100;
    for (const Case& c : cases) {
        OneBit info{};
        info.header = {sizeof(BITMAPINFOHEADER), kSide, kSide, 1, 1, BI_RGB, 0, 0, 0, 2, 2};
        const RGBQUAD black{0, 0, 0, 0}, white{255, 255, 255, 0};
        info.colours[0] = c.blackFirst ? black : white;
        info.colours[1] = c.blackFirst ? white : black;
        HBRUSH brush = CreateSolidBrush(c.brush);
        HGDIOBJ old = SelectObject(dc, brush);
        StretchDIBits(dc, x, 200, 360, 360, 0, 0, kSide, kSide, rows.data(), reinterpret_cast<BITMAPINFO*>(&info),
                      DIB_RGB_COLORS, c.rop);
        SelectObject(dc, old);
        DeleteObject(brush);
        x += 400;
    }
}

HENHMETAFILE RecordPage(void (*draw)(HDC))
{
    HDC screen = GetDC(nullptr);
    const RECT frame{0, 0, kFrameWidth * 10, kFrameHeight * 10};  // hundredths of a millimetre
    HDC dc = CreateEnhMetaFileW(screen, nullptr, &frame, L"printed sheets\0page\0");
    // Tenths of a millimetre of the frame.
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, kFrameWidth, kFrameHeight, nullptr);
    SetViewportExtEx(dc, MulDiv(kFrameWidth, GetDeviceCaps(screen, HORZRES), GetDeviceCaps(screen, HORZSIZE) * 10),
                     MulDiv(kFrameHeight, GetDeviceCaps(screen, VERTRES), GetDeviceCaps(screen, VERTSIZE) * 10),
                     nullptr);
    ReleaseDC(nullptr, screen);
    draw(dc);
    return CloseEnhMetaFile(dc);
}

// Where the printer's drawing area lies on the sheet, as the graphics
// library told GDI.
struct PrinterArea {
    bool known = false;
    POINTL offset{};  // printable area on the sheet, device pixels
    SIZEL sheet{};    // the whole sheet, device pixels
    ULONG dpiX = 0, dpiY = 0;
};

// GDI's own picture of the metafile on a white sheet: the DC's origin is the
// printable area's corner, as on the printer, and the page is played where the
// print host plays it.
SheetImage GdiPicture(HENHMETAFILE metafile, const PrinterArea& area)
{
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), area.sheet.cx, -area.sheet.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    SheetImage picture(area.sheet.cx, area.sheet.cy);
    if (dib == nullptr) {
        DeleteDC(dc);
        return SheetImage();
    }
    HGDIOBJ old = SelectObject(dc, dib);
    PatBlt(dc, 0, 0, area.sheet.cx, area.sheet.cy, WHITENESS);
    SetViewportOrgEx(dc, area.offset.x, area.offset.y, nullptr);
    ENHMETAHEADER header{};
    GetEnhMetaFileHeader(metafile, sizeof(header), &header);
    const RECT place{
        MulDiv(header.rclFrame.left, int(area.dpiX), 2540), MulDiv(header.rclFrame.top, int(area.dpiY), 2540),
        MulDiv(header.rclFrame.right, int(area.dpiX), 2540), MulDiv(header.rclFrame.bottom, int(area.dpiY), 2540)};
    PlayEnhMetaFile(dc, metafile, &place);
    GdiFlush();
    const auto* pixels = static_cast<const uint8_t*>(bits);
    for (int y = 0; y < area.sheet.cy; ++y) {
        for (int x = 0; x < area.sheet.cx; ++x) {
            const uint8_t* p = pixels + (size_t(y) * size_t(area.sheet.cx) + size_t(x)) * 4;
            uint8_t* q = picture.At(x, y);
            q[0] = p[2];
            q[1] = p[1];
            q[2] = p[0];
        }
    }
    SelectObject(dc, old);
    DeleteObject(dib);
    DeleteDC(dc);
    return picture;
}

std::string ScreensDirectory()
{
    const std::wstring bin = printhost_test::BinaryDirectory();
    const std::wstring dir = bin + L"\\..\\..\\screens";
    CreateDirectoryW(dir.c_str(), nullptr);
    return std::string(dir.begin(), dir.end());
}

void SaveScreens(const std::string& name, const SheetImage& rendered, const SheetImage& gdi, const SheetImage& diff)
{
    const std::string base = ScreensDirectory() + "\\" + name;
    EXPECT_TRUE(WritePngFile(base + "-morva.png", ReduceImage(rendered, 4)));
    EXPECT_TRUE(WritePngFile(base + "-gdi.png", ReduceImage(gdi, 4)));
    EXPECT_TRUE(WritePngFile(base + "-diff.png", ReduceImage(diff, 4)));
}

// The measure itself: GDI's picture against a blank sheet and against itself
// moved by a few pixels must both fail, and against itself pass.
TEST(PrintedSheets, ComparisonFailsBlankAndShiftedPages)
{
    const PrinterArea area{true, {100, 100}, {5100, 6600}, 600, 600};
    HENHMETAFILE metafile = RecordPage(TextPage);
    ASSERT_NE(metafile, nullptr);
    const SheetImage gdi = GdiPicture(metafile, area);
    DeleteEnhMetaFile(metafile);
    ASSERT_EQ(gdi.width, 5100);
    EXPECT_LT(CompareInk(gdi, gdi, kReach, kTolerance, nullptr).Share(), 1e-9);
    const SheetImage blank(gdi.width, gdi.height);
    EXPECT_GT(CompareInk(blank, gdi, kReach, kTolerance, nullptr).Share(), 0.99);
    for (const POINT shift : {POINT{4, 0}, POINT{0, 4}, POINT{3, 3}}) {
        SheetImage moved(gdi.width, gdi.height);
        for (int y = 0; y + shift.y < gdi.height; ++y)
            for (int x = 0; x + shift.x < gdi.width; ++x)
                std::copy_n(gdi.At(x, y), 3, moved.At(x + shift.x, y + shift.y));
        const double share = CompareInk(moved, gdi, kReach, kTolerance, nullptr).Share();
        std::printf("moved by %ld, %ld: %.2f%% of the ink unmatched\n", shift.x, shift.y, share * 100);
        EXPECT_GT(share, kMostUnmatched) << "moved by " << shift.x << ", " << shift.y;
    }
}

// Prints the pages through both libraries with the settings given, renders the
// job and compares every sheet with GDI's picture of its page. `name` prefixes
// the pictures saved; `listing` receives the job's command texts.
void PrintAndCompare(const std::vector<HENHMETAFILE>& metafiles,
                     std::initializer_list<docevent_test::SettingChange> settings, const std::string& name,
                     std::string* listing = nullptr)
{
    ASSERT_TRUE(docevent_test::SharedPrinter().ok());
    std::vector<unsigned char> devmode = docevent_test::ApplicationDevmode(settings);
    ASSERT_FALSE(devmode.empty());
    PrinterArea area;
    std::vector<printhost::PageDrawer> pages;
    for (HENHMETAFILE metafile : metafiles) {
        ASSERT_NE(metafile, nullptr);
        pages.push_back([metafile, &area](HDC dc, const GDIINFO& info) {
            area = {true, info.ptlPhysOffset, info.szlPhysSize, info.ulLogPixelsX, info.ulLogPixelsY};
            return printhost::MetafilePage(metafile)(dc, info);
        });
    }
    const std::wstring jobFile = printhost_test::TempPath(L"printed_sheets.prn");
    DeleteFileW(jobFile.c_str());
    printhost::PrintRequest request;
    request.printer = docevent_test::SharedPrinter().printerName();
    request.outputFile = jobFile;
    request.documentName = L"Printed sheets";
    request.devmode.assign(devmode.begin(), devmode.end());
    std::wstring error;
    ASSERT_EQ(printhost::PrintDocument(request, pages, &error), printhost::kOk)
        << std::string(error.begin(), error.end());
    const std::string job = printhost_test::ReadTextFile(jobFile);
    DeleteFileW(jobFile.c_str());
    ASSERT_TRUE(area.known);
    ASSERT_EQ(area.dpiX, ULONG(kDpi));
    ASSERT_EQ(area.dpiY, ULONG(kDpi));
    if (listing != nullptr) {
        MorvaListing read;
        ASSERT_TRUE(ReadMorvaJob(reinterpret_cast<const uint8_t*>(job.data()), job.size(), {}, &read)) << read.error;
        *listing = CommandTexts(read);
    }

    SheetRenderResult rendered;
    SheetRenderOptions options;
    options.dpi = kDpi;
    ASSERT_TRUE(RenderMorvaJob(reinterpret_cast<const uint8_t*>(job.data()), job.size(), options, &rendered))
        << rendered.error;
    for (const std::string& note : rendered.notes)
        ADD_FAILURE() << "not drawn: " << note;
    ASSERT_EQ(rendered.sheets.size(), metafiles.size());

    for (size_t i = 0; i < metafiles.size(); ++i) {
        SCOPED_TRACE(name + " sheet " + std::to_string(i + 1));
        const SheetImage& sheet = rendered.sheets[i].image;
        // The sheet the job names is the sheet the driver told GDI about.
        EXPECT_NEAR(sheet.width, area.sheet.cx, 2);
        EXPECT_NEAR(sheet.height, area.sheet.cy, 2);
        const SheetImage gdi = GdiPicture(metafiles[i], area);
        SheetImage diff;
        const InkComparison c = CompareInk(sheet, gdi, kReach, kTolerance, &diff);
        SaveScreens(name + "-" + std::to_string(i + 1), sheet, gdi, diff);
        std::printf("%s sheet %zu: %.2f%% of the ink unmatched\n", name.c_str(), i + 1, c.Share() * 100);
        EXPECT_GT(c.inkB, size_t(gdi.width) * size_t(gdi.height) / 200) << "GDI drew almost nothing";
        EXPECT_LT(c.Share(), kMostUnmatched) << "ink: rendered " << c.inkA << ", GDI " << c.inkB
                                             << "; unmatched: rendered " << c.unmatchedA << ", GDI " << c.unmatchedB;
    }
}

TEST(PrintedSheets, EveryPageLandsOnItsSheetAsGdiDrawsIt)
{
    const std::vector<HENHMETAFILE> metafiles{RecordPage(TextPage), RecordPage(ShapesPage), RecordPage(OneBitPage)};
    std::string listing;
    PrintAndCompare(metafiles, {{kFidJobResolution, kDpi}}, "printed-sheet", &listing);
    // The one-bit bitmaps go out as one-bit images painted through the brush.
    EXPECT_NE(listing.find("Cp "), std::string::npos);
    for (HENHMETAFILE metafile : metafiles)
        DeleteEnhMetaFile(metafile);
}

// The same pages on papers other than the printer's default Letter: the sheet
// is the paper chosen and the page lands on it where GDI draws it.
TEST(PrintedSheets, PagesLandOnThePaperChosen)
{
    const std::vector<HENHMETAFILE> metafiles{RecordPage(TextPage)};
    struct Case {
        uint32_t paper;
        const char* sheet;
        const char* name;
    };
    for (const Case& c : {Case{DMPAPER_A4, "Ec code1=1 code2=0 kind=5\n", "a4-sheet"},
                          Case{DMPAPER_LEGAL, "Ec code1=1 code2=0 kind=81 width=215.9 height=355.6\n", "legal-sheet"}}) {
        std::string listing;
        PrintAndCompare(metafiles, {{kFidJobResolution, kDpi}, {kFidPaperSize, c.paper}}, c.name, &listing);
        EXPECT_NE(listing.find(c.sheet), std::string::npos) << c.name << "\n" << listing;
    }
    for (HENHMETAFILE metafile : metafiles)
        DeleteEnhMetaFile(metafile);
}

// The photograph again with the image data coded: the predictor code and JPEG.
TEST(PrintedSheets, CodedPhotographsMatchGdi)
{
    // Setting 330 of the job: 1 asks for the predictor code, 2 for JPEG.
    constexpr uint16_t kImageCompressionSetting = 330;
    const std::vector<HENHMETAFILE> metafiles{RecordPage(ShapesPage)};
    struct Case {
        uint32_t setting;
        const char* method;
        const char* name;
    };
    for (const Case& c : {Case{1, "method=8", "predictor-coded"}, Case{2, "method=4", "jpeg-coded"}}) {
        std::string listing;
        PrintAndCompare(metafiles, {{kFidJobResolution, kDpi}, {kImageCompressionSetting, c.setting}}, c.name,
                        &listing);
        EXPECT_NE(listing.find(c.method), std::string::npos) << c.name;
    }
    for (HENHMETAFILE metafile : metafiles)
        DeleteEnhMetaFile(metafile);
}

}  // namespace
