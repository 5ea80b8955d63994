#include "printhost/sample_pages.h"

#include <cmath>

namespace printhost {

namespace {

// Lengths are given in points and turned into device pixels.
struct Units {
    LONG dpi;
    LONG operator()(double points) const { return LONG(std::lround(points * dpi / 72.0)); }
};

void Text(HDC dc, const Units& u, const wchar_t* face, double size, int weight, bool italic, COLORREF colour,
          double x, double y, const wchar_t* text)
{
    HFONT font = CreateFontW(-u(size), 0, 0, 0, weight, italic, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, u(x), u(y), text, int(wcslen(text)));
    SelectObject(dc, old);
    DeleteObject(font);
}

bool TextAndShapes(HDC dc, const GDIINFO& info)
{
    const Units u{info.ulLogPixelsX ? LONG(info.ulLogPixelsX) : 300};
    Text(dc, u, L"Tahoma", 24, FW_BOLD, false, RGB(0, 0, 0), 40, 40, L"Print host sample page");
    Text(dc, u, L"Tahoma", 10, FW_NORMAL, false, RGB(0, 0, 0), 40, 80, L"Ten point text in a proportional face.");
    Text(dc, u, L"Tahoma", 14, FW_NORMAL, true, RGB(200, 0, 0), 40, 100, L"Fourteen point, red");
    Text(dc, u, L"Courier New", 12, FW_NORMAL, false, RGB(0, 0, 160), 40, 125, L"Fixed pitch, blue: 0123456789");

    // Lines: thin, dashed, wide with round joins; then Bezier curves.
    HPEN thin = CreatePen(PS_SOLID, 0, RGB(0, 0, 0));
    HPEN dashed = CreatePen(PS_DASH, 0, RGB(0, 128, 0));
    LOGBRUSH lb{BS_SOLID, RGB(0, 0, 255), 0};
    HPEN wide = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_JOIN_ROUND | PS_ENDCAP_ROUND, DWORD(u(4)), &lb, 0, nullptr);
    HGDIOBJ oldPen = SelectObject(dc, thin);
    const POINT zigzag[] = {{u(40), u(180)}, {u(90), u(150)}, {u(140), u(180)}, {u(190), u(150)}};
    Polyline(dc, zigzag, 4);
    SelectObject(dc, dashed);
    MoveToEx(dc, u(40), u(200), nullptr);
    LineTo(dc, u(300), u(200));
    SelectObject(dc, wide);
    const POINT curve[] = {{u(220), u(180)}, {u(260), u(120)}, {u(320), u(240)}, {u(360), u(160)}};
    PolyBezier(dc, curve, 4);

    // Filled shapes: solid, hatch and pattern brushes.
    SelectObject(dc, thin);
    HBRUSH solid = CreateSolidBrush(RGB(255, 200, 0));
    HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, RGB(0, 0, 200));
    struct { BITMAPINFOHEADER h; DWORD bits[8 * 8]; } pattern{};
    pattern.h = {sizeof(BITMAPINFOHEADER), 8, 8, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    for (int i = 0; i < 64; ++i) pattern.bits[i] = ((i / 8 + i % 8) % 2) ? 0x00FF8080 : 0x00FFFFFF;
    HBRUSH patterned = CreateDIBPatternBrushPt(&pattern, DIB_RGB_COLORS);
    HGDIOBJ oldBrush = SelectObject(dc, solid);
    Ellipse(dc, u(40), u(260), u(160), u(340));
    SelectObject(dc, hatch);
    SetBkColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, OPAQUE);
    RoundRect(dc, u(180), u(260), u(300), u(340), u(20), u(20));
    SelectObject(dc, patterned);
    const POINT star[] = {{u(380), u(260)}, {u(410), u(340)}, {u(340), u(290)}, {u(420), u(290)}, {u(350), u(340)}};
    SetPolyFillMode(dc, WINDING);
    Polygon(dc, star, 5);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    for (HGDIOBJ o : {HGDIOBJ(thin), HGDIOBJ(dashed), HGDIOBJ(wide), HGDIOBJ(solid), HGDIOBJ(hatch), HGDIOBJ(patterned)})
        DeleteObject(o);
    return true;
}

bool BitmapsAndClip(HDC dc, const GDIINFO& info)
{
    const Units u{info.ulLogPixelsX ? LONG(info.ulLogPixelsX) : 300};
    // A smooth colour field, like a photograph: 256 x 192 pixels of 24 bits.
    constexpr LONG kW = 256, kH = 192;
    std::vector<BYTE> photo(size_t(kW) * 3 * kH);
    for (LONG y = 0; y < kH; ++y)
        for (LONG x = 0; x < kW; ++x) {
            BYTE* p = &photo[(size_t(y) * kW + x) * 3];
            p[0] = BYTE(255 * y / kH);                                                   // blue
            p[1] = BYTE(128 + 127 * std::sin(x / 20.0) * std::cos(y / 30.0));            // green
            p[2] = BYTE(255 * x / kW);                                                   // red
        }
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), kW, kH, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, u(40), u(40), u(300), u(225), 0, 0, kW, kH, photo.data(), &bi, DIB_RGB_COLORS, SRCCOPY);

    // A one-bit checker board, 64 x 64 pixels.
    struct { BITMAPINFOHEADER h; RGBQUAD colours[2]; } mono{};
    mono.h = {sizeof(BITMAPINFOHEADER), 64, 64, 1, 1, BI_RGB, 0, 0, 0, 2, 0};
    mono.colours[1] = RGBQUAD{255, 255, 255, 0};
    std::vector<BYTE> checker(8 * 64);
    for (int y = 0; y < 64; ++y)
        for (int b = 0; b < 8; ++b) checker[size_t(y) * 8 + b] = ((y / 8) % 2) ? 0x0F : 0xF0;
    StretchDIBits(dc, u(360), u(40), 64, 64, 0, 0, 64, 64, checker.data(), reinterpret_cast<BITMAPINFO*>(&mono),
                  DIB_RGB_COLORS, SRCCOPY);

    // A complex clip: two overlapping ellipses; a filled rectangle and text cut to them.
    HRGN a = CreateEllipticRgn(u(40), u(300), u(240), u(420));
    HRGN b = CreateEllipticRgn(u(180), u(320), u(400), u(440));
    CombineRgn(a, a, b, RGN_OR);
    SelectClipRgn(dc, a);
    HBRUSH fill = CreateSolidBrush(RGB(180, 220, 255));
    RECT area{u(30), u(290), u(410), u(450)};
    FillRect(dc, &area, fill);
    Text(dc, u, L"Tahoma", 28, FW_BOLD, false, RGB(120, 0, 120), 60, 350, L"Clipped text");
    SelectClipRgn(dc, nullptr);
    DeleteObject(fill);
    DeleteObject(a);
    DeleteObject(b);
    return true;
}

} // namespace

std::vector<PageDrawer> SamplePages() { return {TextAndShapes, BitmapsAndClip}; }

} // namespace printhost
