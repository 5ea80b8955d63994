// Small metafiles through the host into the recording driver, compared with
// reviewed records of the DDI calls and their engine objects.
#include "tests/printhost/recorded_document.h"

#include <gtest/gtest.h>

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
