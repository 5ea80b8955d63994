// Small metafiles through the host into the recording driver, compared with
// reviewed records of the DDI calls and their engine objects.
#include "tests/printhost/recorded_document.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

using namespace printhost_test;

namespace {

// Selects a new object for the length of one drawing and deletes it after.
template <typename Draw>
void With(HDC dc, HGDIOBJ object, Draw draw)
{
    HGDIOBJ old = SelectObject(dc, object);
    draw();
    SelectObject(dc, old);
    DeleteObject(object);
}

// A memory DC holding a 32-bit bitmap (`pixels` may be null) and an 8x8 one-bit
// mask, for blits from it.
template <typename Blit>
void FromBitmap(int width, int height, const DWORD* pixels, Blit blit)
{
    HDC source = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(width, height, 1, 32, pixels);
    HBITMAP mask = CreateBitmap(8, 8, 1, 1, nullptr);
    HGDIOBJ old = SelectObject(source, bitmap);
    blit(source, mask);
    SelectObject(source, old);
    DeleteObject(mask);
    DeleteObject(bitmap);
    DeleteDC(source);
}

} // namespace

TEST(PrintHostDocument, RectangleBecomesOneStrokeAndFillPath)
{
    const std::string calls = DrawingCalls(RecordDocument({[](HDC dc) {
        With(dc, CreateSolidBrush(RGB(255, 0, 0)), [&] { Rectangle(dc, 100, 200, 300, 260); });
    }}));
    EXPECT_TRUE(MatchesGolden(calls, "rectangle"));
}

TEST(PrintHostDocument, PolylineAndBezierCurvesAreStrokedPaths)
{
    const std::string calls = DrawingCalls(RecordDocument({[](HDC dc) {
        const POINT line[] = {{10, 10}, {50, 40}, {90, 10}};
        Polyline(dc, line, 3);
        With(dc, CreatePen(PS_DASH, 0, RGB(0, 128, 0)), [&] {
            const POINT curve[] = {{100, 100}, {150, 50}, {200, 150}, {250, 100}, {300, 50}, {350, 150}, {400, 100}};
            PolyBezier(dc, curve, 7);
        });
        With(dc, CreatePen(PS_SOLID, 8, RGB(0, 0, 255)), [&] {
            MoveToEx(dc, 20, 300, nullptr);
            LineTo(dc, 220, 300);
        });
    }}));
    EXPECT_TRUE(MatchesGolden(calls, "polyline_bezier"));
}

// Windows' engine keeps a path in 28.4 fixed point: under a mapping of 2/3
// the line's ends fall between pixels and arrive in sixteenths, each rounded
// to the nearest (1 * 2/3 = 10.67/16, 5 * 2/3 = 53.33/16).
TEST(PrintHostDocument, ShapesKeepTheEnginesSixteenthsUnderScaling)
{
    const std::string calls = DrawingCalls(RecordDocument({[](HDC dc) {
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowExtEx(dc, 3, 3, nullptr);
        SetViewportExtEx(dc, 2, 2, nullptr);
        MoveToEx(dc, 1, 1, nullptr);
        LineTo(dc, 5, 5);
        // The current position moved on as GDI moves it.
        LineTo(dc, 5, 8);
        // A path the page builds itself is traced again from its records...
        BeginPath(dc);
        MoveToEx(dc, 1, 1, nullptr);
        LineTo(dc, 5, 5);
        LineTo(dc, 5, 8);
        EndPath(dc);
        StrokePath(dc);
        // ...but not across a change of mapping inside the bracket: whole pixels.
        BeginPath(dc);
        MoveToEx(dc, 1, 1, nullptr);
        SetViewportOrgEx(dc, 100, 0, nullptr);
        LineTo(dc, 5, 5);
        EndPath(dc);
        StrokePath(dc);
    }}));
    EXPECT_NE(calls.find("DrvStrokePath path(fl=0x0 curves=2 bounds=11/16,11/16,53/16,85/16) M11/16,11/16 L53/16,53/16 "
                         "L53/16,85/16 "),
              std::string::npos)
        << calls;
    EXPECT_NE(calls.find("DrvStrokePath path(fl=0x4 curves=1 bounds=1,1,103,3) M1,1 L103,3 "), std::string::npos) << calls;
    EXPECT_NE(calls.find("DrvStrokePath path(fl=0x0 curves=1 bounds=11/16,11/16,53/16,53/16) M11/16,11/16 L53/16,53/16 "), std::string::npos)
        << calls;
    EXPECT_NE(calls.find("DrvStrokePath path(fl=0x0 curves=1 bounds=53/16,53/16,53/16,85/16) M53/16,53/16 L53/16,85/16 "), std::string::npos)
        << calls;
}

TEST(PrintHostDocument, TextInTwoFontsCarriesGlyphsAndPositions)
{
    const std::string calls = DrawingCalls(RecordDocument({[](HDC dc) {
        SetBkMode(dc, TRANSPARENT);
        With(dc, CreateFontW(-50, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"), [&] {
            SetTextColor(dc, RGB(0, 0, 255));
            TextOutW(dc, 100, 100, L"Host", 4);
        });
        With(dc, CreateFontW(-40, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Courier New"), [&] {
            SetTextColor(dc, RGB(0, 0, 0));
            SetBkMode(dc, OPAQUE);
            SetTextAlign(dc, TA_BASELINE);
            TextOutW(dc, 100, 300, L"DDI", 3);
        });
    }}));
    EXPECT_TRUE(MatchesGolden(calls, "text_two_fonts"));
}

TEST(PrintHostDocument, OpaqueTextBackgroundIsFilledFirstWithoutOpaqueRectangles)
{
    // A driver without GCAPS_OPAQUERECT gets the background box as a PATCOPY
    // fill in the background colour before the text, and no opaque rectangle.
    Switch noOpaque(L"PRINTHOST_RECORD_NO_OPAQUERECT");
    const std::string calls = DrawingCalls(RecordDocument({[](HDC dc) {
        With(dc, CreateFontW(-40, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Courier New"), [&] {
            SetBkMode(dc, OPAQUE);
            SetBkColor(dc, RGB(255, 255, 0));
            SetTextAlign(dc, TA_BASELINE);
            TextOutW(dc, 100, 300, L"DDI", 3);
        });
    }}));
    // The same box as the opaque rectangle a GCAPS_OPAQUERECT driver gets (text_two_fonts).
    EXPECT_EQ(calls.rfind("DrvBitBlt dst=100,263,181,309 ", 0), 0u) << calls;
    const size_t text = calls.find("\nDrvTextOut ");
    ASSERT_NE(text, std::string::npos) << calls;
    EXPECT_NE(calls.find("rgb=0xffff) rop=0xf0f0\n"), std::string::npos) << calls;
    EXPECT_NE(calls.find(" opaque=none ", text), std::string::npos) << calls;
    EXPECT_EQ(std::count(calls.begin(), calls.end(), '\n'), 2) << calls;
}

TEST(PrintHostDocument, Stretched24BitBitmapKeepsItsPixels)
{
    const std::string calls = DrawingCalls(RecordDocument({[](HDC dc) {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 4, 3, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        BYTE bits[3][12] = {};
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) {
                bits[y][x * 3] = BYTE(x * 60);
                bits[y][x * 3 + 1] = BYTE(y * 100);
                bits[y][x * 3 + 2] = 200;
            }
        StretchDIBits(dc, 10, 20, 40, 30, 0, 0, 4, 3, bits, &bi, DIB_RGB_COLORS, SRCCOPY);
        StretchDIBits(dc, 100, 20, 4, 3, 0, 0, 4, 3, bits, &bi, DIB_RGB_COLORS, SRCCOPY);
    }}));
    EXPECT_TRUE(MatchesGolden(calls, "stretched_bitmap"));
}

TEST(PrintHostDocument, ComplexClipIsEnumeratedAndGivenAsAPath)
{
    const std::string calls = DrawingCalls(RecordDocument({[](HDC dc) {
        HRGN a = CreateRectRgn(0, 0, 100, 50);
        HRGN b = CreateRectRgn(50, 50, 150, 120);
        CombineRgn(a, a, b, RGN_OR);
        SelectClipRgn(dc, a);
        With(dc, CreateSolidBrush(RGB(0, 200, 0)), [&] { Ellipse(dc, 20, 20, 140, 110); });
        SelectClipRgn(dc, nullptr);
        IntersectClipRect(dc, 10, 10, 60, 60);
        With(dc, CreateHatchBrush(HS_CROSS, RGB(255, 0, 255)), [&] { Rectangle(dc, 0, 0, 200, 200); });
        DeleteObject(a);
        DeleteObject(b);
    }}));
    EXPECT_TRUE(MatchesGolden(calls, "complex_clip"));
}

TEST(PrintHostDocument, DeviceFontTextUsesTheDriversGlyphsAndWidths)
{
    const std::string calls = DrawingCalls(RecordDocument({[](HDC dc) {
        SetBkMode(dc, TRANSPARENT);
        With(dc, CreateFontW(-100, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0, 0, 0, L"Recording Mono"),
             [&] { TextOutW(dc, 50, 400, L"Mono\u20ac", 5); });
    }}));
    EXPECT_TRUE(MatchesGolden(calls, "device_font"));
}

TEST(PrintHostDocument, BlitSourceRowsCountFromTheTop)
{
    const std::string calls = DrawingCalls(RecordDocument({[](HDC dc) {
        struct { BITMAPINFOHEADER h; DWORD bits[16]; } dib{{sizeof(BITMAPINFOHEADER), 4, 4, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
        HDC memory = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        HBITMAP section = CreateDIBSection(memory, reinterpret_cast<BITMAPINFO*>(&dib), DIB_RGB_COLORS, &bits, nullptr, 0);
        // Bottom-up rows: the lower two rows in memory are the image's bottom half (white).
        for (int i = 0; i < 16; ++i) static_cast<DWORD*>(bits)[i] = i < 8 ? 0x00FFFFFF : 0;
        HGDIOBJ old = SelectObject(memory, section);
        BitBlt(dc, 10, 10, 4, 2, memory, 0, 2, SRCCOPY);
        StretchBlt(dc, 30, 10, 8, 4, memory, 0, 2, 4, 2, SRCCOPY);
        SelectObject(memory, old);
        DeleteObject(section);
        DeleteDC(memory);
    }}));
    // The recorded bitmap is the whole 4 x 4 source; the blits take its rows 2 and 3 from the top.
    EXPECT_NE(calls.find("DrvCopyBits dst=10,10,14,12 src=surface(type=0 fmt=6 size=4x4 bottomup"), std::string::npos) << calls;
    EXPECT_NE(calls.find(" at=0,2 "), std::string::npos) << calls;
    EXPECT_NE(calls.find("DrvStretchBlt dst=30,10,38,14 srcrect=0,2,4,4 "), std::string::npos) << calls;
}

TEST(PrintHostDocument, BandsPixelsPolyDrawRegionsAndClippedDrawing)
{
    const std::string record = RecordDocument({[](HDC dc) {
        struct { BITMAPINFOHEADER h; DWORD bits[16]; } dib{{sizeof(BITMAPINFOHEADER), 4, 4, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
        for (int i = 0; i < 16; ++i) dib.bits[i] = 0x010101u * DWORD(i);
        // Scan lines 1 and 2 only (from the bottom), the source rectangle the whole DIB.
        SetDIBitsToDevice(dc, 50, 50, 4, 4, 0, 0, 1, 2, dib.bits + 4, reinterpret_cast<BITMAPINFO*>(&dib), DIB_RGB_COLORS);
        SetPixelV(dc, 5, 6, RGB(10, 20, 30));
        const POINT draw[] = {{10, 200}, {40, 220}, {60, 180}, {90, 230}, {120, 200}};
        const BYTE types[] = {PT_MOVETO, PT_LINETO, PT_BEZIERTO, PT_BEZIERTO, PT_BEZIERTO};
        PolyDraw(dc, draw, types, 5);
        HRGN region = CreateRectRgn(300, 300, 340, 320);
        HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
        FrameRgn(dc, region, brush, 2, 2);
        InvertRgn(dc, region);
        DeleteObject(brush);
        DeleteObject(region);
        IntersectClipRect(dc, 0, 0, 10, 10);
        Rectangle(dc, 500, 500, 600, 600);
        TextOutW(dc, 500, 500, L"gone", 4);
    }});
    const std::string calls = DrawingCalls(record);
    const char* const expected[] = {
        // The band holds source lines 1 and 2 from the bottom: destination rows 51 and 52.
        "DrvCopyBits dst=50,51,54,53 src=surface(type=0 fmt=6 size=4x2 bottomup",
        "DrvBitBlt dst=5,6,6,7 src=none mask=none clip=trivial xlate=none brush=solid(0x1e140a rgb=0x1e140a) rop=0xf0f0",
        "DrvStrokePath path(fl=0x5 curves=2 bounds=10,180,120,230) M10,200 L40,220 C60,180 90,230 120,200 ",
        "DrvFillPath path(fl=0x4 curves=12 bounds=300,300,340,320) M300,300 L340,300 L340,302 L300,302 Z M300,302 ",
        "DrvBitBlt dst=300,300,340,320 src=none mask=none clip=trivial xlate=none brush=none rop=0x5555",
    };
    for (const char* line : expected) EXPECT_NE(calls.find(line), std::string::npos) << line << "\n" << calls;
    // Drawing the clip leaves nothing of is not handed to the driver.
    EXPECT_EQ(calls.find("500,500"), std::string::npos) << calls;
    EXPECT_EQ(std::count(calls.begin(), calls.end(), '\n'), 5) << calls;
}

TEST(PrintHostDocument, DrawingTheHostCannotPlayFailsThePage)
{
    const std::string record = RecordDocument({[](HDC dc) {
        // A masked blit the mapping stretches.
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowExtEx(dc, 1, 1, nullptr);
        SetViewportExtEx(dc, 2, 2, nullptr);
        FromBitmap(8, 8, nullptr, [&](HDC source, HBITMAP mask) {
            MaskBlt(dc, 10, 10, 8, 8, source, 0, 0, mask, 0, 0, MAKEROP4(SRCCOPY, PATCOPY));
        });
    }});
    EXPECT_NE(record.find("host problem: EndPage failed: the page holds EMR_MASKBLT drawing"), std::string::npos)
        << record;
}

// AlphaBlend reaches a driver that hooks no alpha blend as Windows' engine
// blends for it: the destination read back through DrvCopyBits, blended, and
// written back as a copy of the destination.
TEST(PrintHostDocument, AlphaBlendsAreReadBackBlendedAndWrittenBack)
{
    const std::string calls = DrawingCalls(RecordDocument({[](HDC dc) {
        FromBitmap(4, 4, nullptr, [&](HDC source, HBITMAP) {
            const BLENDFUNCTION half{AC_SRC_OVER, 0, 128, 0};
            GdiAlphaBlend(dc, 10, 10, 4, 4, source, 0, 0, 4, 4, half);
        });
    }}));
    const size_t read = calls.find("DrvCopyBits dst=0,0,4,4 src=surface(type=1 ");
    ASSERT_NE(read, std::string::npos) << calls;
    EXPECT_NE(calls.find(" at=10,10 ", read), std::string::npos) << calls;
    EXPECT_NE(calls.find("DrvCopyBits dst=10,10,14,14 src=surface(type=0 fmt=5 size=4x4 ", read), std::string::npos) << calls;
    EXPECT_EQ(std::count(calls.begin(), calls.end(), '\n'), 2) << calls;
}

// TransparentBlt reaches a driver that hooks no transparent blit as Windows'
// engine draws it: the destination's pixels that are the source's, as a copy
// clipped to them (the white right half of the source is left out).
TEST(PrintHostDocument, TransparentBlitsArriveAsCopiesOfTheirOpaquePixels)
{
    const std::string calls = DrawingCalls(RecordDocument({[](HDC dc) {
        const DWORD pixels[16] = {0x000000, 0x0000FF, 0xFFFFFF, 0xFFFFFF, 0x000000, 0x0000FF, 0xFFFFFF, 0xFFFFFF,
                                  0x000000, 0x0000FF, 0xFFFFFF, 0xFFFFFF, 0x000000, 0x0000FF, 0xFFFFFF, 0xFFFFFF};
        FromBitmap(4, 4, pixels, [&](HDC source, HBITMAP) {
            GdiTransparentBlt(dc, 10, 10, 4, 4, source, 0, 0, 4, 4, RGB(255, 255, 255));
            // Stretched to twice the size: the left half of 8x8.
            GdiTransparentBlt(dc, 20, 10, 8, 8, source, 0, 0, 4, 4, RGB(255, 255, 255));
        });
    }}));
    EXPECT_NE(calls.find("DrvCopyBits dst=10,10,14,14 src=surface(type=0 fmt=5 size=4x4 "), std::string::npos) << calls;
    EXPECT_NE(calls.find(" clip=rect(10,10,12,14) "), std::string::npos) << calls;
    EXPECT_NE(calls.find("DrvCopyBits dst=20,10,28,18 src=surface(type=0 fmt=5 size=8x8 "), std::string::npos) << calls;
    EXPECT_NE(calls.find(" clip=rect(20,10,24,18) "), std::string::npos) << calls;
    EXPECT_EQ(std::count(calls.begin(), calls.end(), '\n'), 2) << calls;
}

// MaskBlt reaches DrvBitBlt with its mask and a ROP4 (foreground in the low
// byte); a source point near the bitmap's edge shrinks the target to the
// pixels the source and the mask hold.
TEST(PrintHostDocument, MaskedBlitsReachBitBltWithTheirMask)
{
    const std::string calls = DrawingCalls(RecordDocument({[](HDC dc) {
        FromBitmap(8, 8, nullptr, [&](HDC source, HBITMAP mask) {
            MaskBlt(dc, 10, 10, 8, 8, source, 0, 0, mask, 0, 0, MAKEROP4(SRCCOPY, PATCOPY));
            MaskBlt(dc, 30, 10, 8, 8, source, 4, 2, mask, 0, 0, MAKEROP4(SRCCOPY, DSTINVERT));
        });
    }}));
    const size_t first = calls.find("DrvBitBlt dst=10,10,18,18 src=surface(type=0 fmt=6 size=8x8 ");
    ASSERT_NE(first, std::string::npos) << calls;
    EXPECT_NE(calls.find(" at=0,0 mask=surface(type=0 fmt=1 size=8x8 ", first), std::string::npos) << calls;
    EXPECT_NE(calls.find(" rop=0xf0cc\n", first), std::string::npos) << calls;
    const size_t second = calls.find("DrvBitBlt dst=30,10,34,16 src=surface(type=0 fmt=6 size=8x8 ");
    ASSERT_NE(second, std::string::npos) << calls;
    EXPECT_NE(calls.find(" at=4,2 mask=surface(type=0 fmt=1 size=8x8 ", second), std::string::npos) << calls;
    EXPECT_NE(calls.find(" brush=none rop=0x55cc\n", second), std::string::npos) << calls;
}

// A driver that hooks no gradient entry gets a gradient as Windows' engine
// draws it for such a driver: GDI's pixels of the shape's box, copied to the
// device and clipped to the shape (the triangle's clip is complex).
TEST(PrintHostDocument, GradientFillsArriveAsCopiesClippedToTheirShapes)
{
    const std::string calls = DrawingCalls(RecordDocument({[](HDC dc) {
        TRIVERTEX vertices[] = {{10, 10, 0xFF00, 0, 0, 0}, {50, 30, 0, 0, 0xFF00, 0}, {30, 80, 0, 0xFF00, 0, 0}};
        GRADIENT_RECT rect{0, 1};
        GdiGradientFill(dc, vertices, 2, &rect, 1, GRADIENT_FILL_RECT_H);
        GRADIENT_TRIANGLE triangle{0, 1, 2};
        GdiGradientFill(dc, vertices, 3, &triangle, 1, GRADIENT_FILL_TRIANGLE);
    }}));
    EXPECT_TRUE(MatchesGolden(calls, "gradient_fill"));
}

// Colour masks of BI_BITFIELDS DIBs reach the driver in XLATEOBJ: 5-6-5 and a
// 32-bit red-green-blue order translate by their masks, not as 5-5-5 or BGR.
TEST(PrintHostDocument, BitfieldDibsTranslateByTheirMasks)
{
    const std::string calls = DrawingCalls(RecordDocument({[](HDC dc) {
        struct { BITMAPINFOHEADER h; DWORD masks[3]; DWORD bits[4]; } dib{
            {sizeof(BITMAPINFOHEADER), 2, 2, 1, 16, BI_BITFIELDS, 0, 0, 0, 0, 0}, {0xF800, 0x07E0, 0x001F}, {}};
        StretchDIBits(dc, 10, 10, 2, 2, 0, 0, 2, 2, dib.bits, reinterpret_cast<BITMAPINFO*>(&dib), DIB_RGB_COLORS, SRCCOPY);
        dib.h.biBitCount = 32;
        dib.masks[0] = 0x0000FF;
        dib.masks[1] = 0x00FF00;
        dib.masks[2] = 0xFF0000;
        StretchDIBits(dc, 20, 10, 2, 2, 0, 0, 2, 2, dib.bits, reinterpret_cast<BITMAPINFO*>(&dib), DIB_RGB_COLORS, SRCCOPY);
    }}));
    EXPECT_NE(calls.find("masks=0xf800,0x7e0,0x1f white=0xffffff red=0xff)"), std::string::npos) << calls;
    EXPECT_NE(calls.find("masks=0xff,0xff00,0xff0000 white=0xffffff red=0xff)"), std::string::npos) << calls;
}

// Underline and strike-out reach the driver as filled rectangles in the text
// colour after the text, over its length.
TEST(PrintHostDocument, UnderlineAndStrikeOutAreFilledRectangles)
{
    const std::string calls = DrawingCalls(RecordDocument({[](HDC dc) {
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(200, 0, 0));
        With(dc, CreateFontW(-60, 0, 0, 0, FW_NORMAL, FALSE, TRUE, TRUE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"),
             [&] { TextOutW(dc, 100, 100, L"Lines", 5); });
    }}));
    // Baseline at y=156 (ascent 56): the underline just below it, the strike-out through the x-height.
    const size_t text = calls.find("DrvTextOut");
    const size_t under = calls.find("DrvFillPath path(fl=0x4 curves=3 bounds=100,157,256,160) M100,157 L256,157 L256,160 "
                                    "L100,160 Z clip=trivial brush=solid(0xc8 rgb=0xc8) mix=0xd0d");
    const size_t strike = calls.find("DrvFillPath path(fl=0x4 curves=3 bounds=100,140,256,143) M100,140 L256,140 L256,143 "
                                     "L100,143 Z clip=trivial brush=solid(0xc8 rgb=0xc8) mix=0xd0d");
    ASSERT_NE(text, std::string::npos) << calls;
    EXPECT_NE(under, std::string::npos) << calls;
    EXPECT_NE(strike, std::string::npos) << calls;
    EXPECT_GT(under, text);
    EXPECT_GT(strike, under);
}

// Glyph-index text: SO_GLYPHINDEX_TEXTOUT is set and pwszOrg holds the indexes
// the application gave.
TEST(PrintHostDocument, GlyphIndexTextIsMarkedAndCarriesTheIndexes)
{
    const std::string calls = DrawingCalls(RecordDocument({[](HDC dc) {
        SetBkMode(dc, TRANSPARENT);
        With(dc, CreateFontW(-60, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"), [&] {
            WORD indexes[2] = {};
            GetGlyphIndicesW(dc, L"Hi", 2, indexes, 0);
            // Spacing given: wine's metafile recorder measures indexes as characters when it makes its own.
            SIZE size{};
            GetTextExtentPointI(dc, indexes, 1, &size);
            const INT dx[2] = {size.cx, 0};
            ExtTextOutW(dc, 100, 100, ETO_GLYPH_INDEX, nullptr, reinterpret_cast<LPCWSTR>(indexes), 2, dx);
            TextOutW(dc, 100, 300, L"Hi", 2);
        });
    }}));
    EXPECT_NE(calls.find("accel=0x102 "), std::string::npos) << calls;
    EXPECT_NE(calls.find("accel=0x2 "), std::string::npos) << calls;   // the plain string keeps its flags
    // Both place the same glyphs at the same advances: indexes are measured as glyphs, not as characters.
    EXPECT_NE(calls.find("g43@100,156[33x44] g76@145,156"), std::string::npos) << calls;
    EXPECT_NE(calls.find("g43@100,356[33x44] g76@145,356"), std::string::npos) << calls;
}

// Text under a rotating world transform: the glyphs turn with the baseline
// (the font's transform carries the rotation), not only their positions.
TEST(PrintHostDocument, RotatedWorldTransformTurnsTheGlyphs)
{
    const std::string calls = DrawingCalls(RecordDocument({[](HDC dc) {
        SetBkMode(dc, TRANSPARENT);
        SetGraphicsMode(dc, GM_ADVANCED);
        // 30 degrees counter-clockwise on the page (wine measures text wrongly under a quarter turn).
        const XFORM turn{0.8660254f, -0.5f, 0.5f, 0.8660254f, 300, 300};
        SetWorldTransform(dc, &turn);
        With(dc, CreateFontW(-60, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"),
             [&] { TextOutW(dc, 0, 0, L"Up", 2); });
    }}));
    EXPECT_NE(calls.find("name=Tahoma em=2048 xform(kind=3 0.025 -0.015 0.015 0.025 0.0 0.0))"), std::string::npos) << calls;
    // The baseline rises to the right and the glyph cells are those of turned glyphs.
    EXPECT_NE(calls.find("g56@321,336[52x56] g83@354,317[49x55]"), std::string::npos) << calls;
}

namespace {

// The DrvTextOut lines of a record, in order.
std::vector<std::string> TextOutLines(const std::string& calls)
{
    std::vector<std::string> out;
    for (size_t at = calls.find("DrvTextOut "); at != std::string::npos; at = calls.find("\nDrvTextOut ", at + 1)) {
        if (calls[at] == '\n') ++at;
        out.push_back(calls.substr(at, calls.find('\n', at) - at));
    }
    return out;
}

} // namespace

// A fixed-pitch font drawn with its own advances along an unturned baseline
// steps by one whole increment (the first glyph's position given); advances
// of the application's, a turned baseline or a variable pitch give none.
// (Wine's Courier New stands in with a variable pitch; the fixed-pitch face
// here is fontconfig's DejaVu Sans Mono.)
TEST(PrintHostDocument, FixedPitchTextStepsByItsIncrement)
{
    const auto mono = [](int escapement) {
        return CreateFontW(-40, 0, escapement, escapement, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0,
                           0, L"DejaVu Sans Mono");
    };
    const std::string calls = DrawingCalls(RecordDocument({[&](HDC dc) {
        SetBkMode(dc, TRANSPARENT);
        With(dc, mono(0), [&] {
            TextOutW(dc, 100, 100, L"Fixed", 5);
            const INT dx[3] = {30, 40, 30};
            ExtTextOutW(dc, 100, 200, 0, nullptr, L"abc", 3, dx);
        });
        With(dc, mono(900), [&] { TextOutW(dc, 300, 600, L"Up", 2); });
        With(dc, CreateFontW(-40, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial"),
             [&] { TextOutW(dc, 100, 300, L"Vary", 4); });
    }}));
    const std::vector<std::string> lines = TextOutLines(calls);
    ASSERT_EQ(lines.size(), 4u) << calls;
    const size_t inc = lines[0].find(" inc=");
    ASSERT_NE(inc, std::string::npos) << lines[0];
    EXPECT_GT(std::stoi(lines[0].substr(inc + 5)), 0) << lines[0];
    for (size_t i = 1; i < lines.size(); ++i) EXPECT_EQ(lines[i].find(" inc="), std::string::npos) << lines[i];
}

// A string longer than a batch comes in several; the record shows them all.
TEST(PrintHostDocument, LongStringsComeInSeveralBatches)
{
    const std::wstring text(150, L'n');
    const std::string calls = DrawingCalls(RecordDocument({[&](HDC dc) {
        SetBkMode(dc, TRANSPARENT);
        With(dc, CreateFontW(-20, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial"),
             [&] { TextOutW(dc, 10, 100, text.c_str(), int(text.size())); });
    }}));
    const std::vector<std::string> lines = TextOutLines(calls);
    ASSERT_EQ(lines.size(), 1u) << calls;
    EXPECT_NE(lines[0].find(" batches=3 "), std::string::npos) << lines[0];
    size_t glyphs = 0, withBits = 0;
    for (size_t at = lines[0].find(" g"); at != std::string::npos; at = lines[0].find(" g", at + 1)) {
        ++glyphs;
        const size_t end = lines[0].find(' ', at + 1);
        withBits += lines[0].substr(at, end - at).find('[') != std::string::npos;
    }
    EXPECT_EQ(glyphs, text.size());
    EXPECT_EQ(withBits, text.size());
}

// Fonts whose LOGFONTs differ only in the bytes after the face name's
// terminator (stack bytes an application leaves there) are one realisation,
// as with GDI: the driver sees one iUniq and downloads its glyphs once.
TEST(PrintHostDocument, FontsDifferingOnlyAfterTheFaceNameShareOneRealisation)
{
    Switch uniq(L"PRINTHOST_RECORD_UNIQ");
    const std::string calls = DrawingCalls(RecordDocument({[](HDC dc) {
        for (int line = 0; line < 3; ++line) {
            LOGFONTW lf{};
            lf.lfHeight = -30;
            lf.lfCharSet = DEFAULT_CHARSET;
            std::fill(std::begin(lf.lfFaceName), std::end(lf.lfFaceName), wchar_t(L'a' + line));
            lstrcpyW(lf.lfFaceName, line == 1 ? L"TAHOMA" : L"Tahoma");
            With(dc, CreateFontIndirectW(&lf), [&] { TextOutW(dc, 100, 100 + 50 * line, L"Line", 4); });
        }
    }}));
    std::vector<std::string> realisations;
    for (size_t at = calls.find(" uniq="); at != std::string::npos; at = calls.find(" uniq=", at + 1))
        realisations.push_back(calls.substr(at, calls.find(')', at) - at));
    ASSERT_EQ(realisations.size(), 3u) << calls;
    EXPECT_EQ(realisations[1], realisations[0]) << calls;
    EXPECT_EQ(realisations[2], realisations[0]) << calls;
}
