#include "bench/pages/page_kinds.h"

#include <cmath>
#include <cstdint>
#include <cwchar>

namespace pagebench {
namespace {

// The same pseudo-random numbers on every run and machine.
struct Lcg {
    uint32_t state;
    uint32_t Next() { return state = state * 1664525u + 1013904223u; }
    int Below(int n) { return int((Next() >> 8) % uint32_t(n)); }
};

int Points(const GDIINFO& info, int points) { return MulDiv(points, int(info.ulLogPixelsY), 72); }

bool TextLines(HDC dc, const GDIINFO& info, int page, int left, int top, int lines)
{
    HFONT font = CreateFontW(-Points(info, 10), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
    HGDIOBJ old = SelectObject(dc, font);
    bool ok = true;
    for (int line = 0; line < lines && ok; ++line) {
        wchar_t text[128];
        const int n = swprintf(text, 128, L"Page %3d line %2d: the quick brown fox jumps over the lazy dog, "
                                          L"pack my box with five dozen liquor jugs.", page + 1, line + 1);
        ok = TextOutW(dc, left, top + line * Points(info, 12), text, n);
    }
    SelectObject(dc, old);
    DeleteObject(font);
    return ok;
}

// A page of running text: 60 lines of about 100 characters in a 10-point face.
bool TextPage(HDC dc, const GDIINFO& info, int page)
{
    return TextLines(dc, info, page, int(info.ulLogPixelsX) / 2, int(info.ulLogPixelsY) / 2, 60);
}

// Line art drawn in units of 1/300 inch (a world transform of 2 at 600 dpi),
// so that the geometric pens reach the driver with a pen transform: 500
// strokes of one pen, 40 filled polygons, 20 ellipses and 10 curves.
bool VectorArt(HDC dc, const GDIINFO& info, int page, int strokes)
{
    const int oldMode = SetGraphicsMode(dc, GM_ADVANCED);
    const float scale = float(info.ulLogPixelsX) / 300.0f;
    const XFORM world{scale, 0, 0, scale, 0, 0};
    SetWorldTransform(dc, &world);
    const int w = int(float(info.ulHorzRes) / scale), h = int(float(info.ulVertRes) / scale);
    LOGBRUSH solid{BS_SOLID, RGB(20, 20, 120), 0};
    HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND, 3, &solid, 0, nullptr);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    Lcg random{uint32_t(page) * 7919u + 1u};
    bool ok = true;
    for (int i = 0; i < strokes && ok; ++i) {
        const POINT line[3] = {{random.Below(w), random.Below(h)}, {random.Below(w), random.Below(h)},
                               {random.Below(w), random.Below(h)}};
        ok = Polyline(dc, line, i % 3 == 0 ? 3 : 2);
    }
    for (int i = 0; i < strokes / 12 && ok; ++i) {
        HBRUSH brush = CreateSolidBrush(RGB((i * 40) % 256, (i * 90) % 256, (i * 20 + page) % 256));
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        const int x = random.Below(w - 150), y = random.Below(h - 150);
        const POINT points[5] = {{x, y}, {x + 125, y + 10}, {x + 140, y + 100}, {x + 30, y + 140}, {x + 5, y + 60}};
        ok = Polygon(dc, points, 5);
        if (ok && i % 2 == 0)
            ok = Ellipse(dc, x, y, x + 100, y + 70);
        SelectObject(dc, oldBrush);
        DeleteObject(brush);
    }
    for (int i = 0; i < strokes / 50 && ok; ++i) {
        const POINT curve[4] = {{50 + i * 25, 50}, {w / 2, h / 3 + i * 10}, {w / 3, h / 2}, {w - 50, h - 50 - i * 20}};
        ok = PolyBezier(dc, curve, 4);
    }
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
    SetGraphicsMode(dc, oldMode);
    return ok;
}

bool VectorPage(HDC dc, const GDIINFO& info, int page) { return VectorArt(dc, info, page, 500); }

// A photograph-like picture: smooth light and shade with fine grain, as a
// camera gives it, in a 24-bit bottom-up DIB.
std::vector<BYTE> Photograph(int width, int height, int seed)
{
    const int stride = (width * 3 + 3) & ~3;
    std::vector<BYTE> bits(size_t(stride) * size_t(height));
    Lcg random{uint32_t(seed) * 104729u + 7u};
    for (int y = 0; y < height; ++y) {
        BYTE* row = bits.data() + size_t(y) * size_t(stride);
        const float fy = float(y) / float(height);
        for (int x = 0; x < width; ++x) {
            const float fx = float(x) / float(width);
            const float light = 0.5f + 0.35f * std::sin(fx * 5.1f + float(seed)) * std::cos(fy * 3.7f);
            const int grain = int(random.Next() >> 28) - 8;
            auto channel = [&](float tint) {
                const int v = int(255.0f * light * tint) + grain;
                return BYTE(v < 0 ? 0 : v > 255 ? 255 : v);
            };
            row[x * 3 + 0] = channel(0.7f + 0.3f * fy);
            row[x * 3 + 1] = channel(0.8f + 0.2f * fx);
            row[x * 3 + 2] = channel(1.0f - 0.2f * fx * fy);
        }
    }
    return bits;
}

bool DrawPhotograph(HDC dc, int x, int y, int w, int h, int width, int height, int seed)
{
    const std::vector<BYTE> bits = Photograph(width, height, seed);
    BITMAPINFO bmi{};
    bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    return StretchDIBits(dc, x, y, w, h, 0, 0, width, height, bits.data(), &bmi, DIB_RGB_COLORS, SRCCOPY) != 0;
}

// A full-page photograph: 3072 x 2304 pixels (a 7-megapixel camera's) over
// the printable area.
bool PhotoPage(HDC dc, const GDIINFO& info, int page)
{
    return DrawPhotograph(dc, 0, 0, int(info.ulHorzRes), int(info.ulVertRes), 2304, 3072, page);
}

// A report page: a heading, text, line art and a picture of a third of the page.
bool MixedPage(HDC dc, const GDIINFO& info, int page)
{
    const int w = int(info.ulHorzRes), h = int(info.ulVertRes);
    return TextLines(dc, info, page, w / 12, h / 20, 25) &&
           DrawPhotograph(dc, w / 12, h / 2, w * 5 / 6, h / 3, 1280, 960, page + 10) &&
           VectorArt(dc, info, page, 120);
}

} // namespace

const std::vector<PageKind>& PageKinds()
{
    static const std::vector<PageKind> kinds = {
        {L"text", 20, TextPage}, {L"vector", 20, VectorPage}, {L"photo", 2, PhotoPage}, {L"mixed", 10, MixedPage}};
    return kinds;
}

const PageKind* FindPageKind(const std::wstring& name)
{
    for (const PageKind& kind : PageKinds())
        if (name == kind.name)
            return &kind;
    return nullptr;
}

std::vector<printhost::PageDrawer> Document(const PageKind& kind)
{
    std::vector<printhost::PageDrawer> pages;
    for (int page = 0; page < kind.pages; ++page)
        pages.push_back([&kind, page](HDC dc, const GDIINFO& info) { return kind.draw(dc, info, page); });
    return pages;
}

} // namespace pagebench
