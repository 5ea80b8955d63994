// Drawing records of a page turned into DDI calls with engine objects built
// from the playback DC's state.
#include "printhost/driver_table.h"
#include "printhost/metafile_check.h"
#include "printhost/page_player_state.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace printhost {

std::vector<RECTL> RegionRectangles(HRGN region)
{
    std::vector<RECTL> rects;
    const DWORD size = GetRegionData(region, 0, nullptr);
    std::vector<BYTE> data(size);
    if (size && GetRegionData(region, size, reinterpret_cast<RGNDATA*>(data.data())) == size) {
        const auto* header = reinterpret_cast<const RGNDATAHEADER*>(data.data());
        const auto* r = reinterpret_cast<const RECT*>(data.data() + header->dwSize);
        for (DWORD i = 0; i < header->nCount; ++i) rects.push_back(RECTL{r[i].left, r[i].top, r[i].right, r[i].bottom});
    }
    return rects;
}

HRGN RegionFromData(const RGNDATA* data, DWORD size)
{
    // Below this many rectangles GDI's own way is as quick.
    constexpr DWORD kRun = 32;
    if (size < sizeof(RGNDATAHEADER) || data->rdh.dwSize != sizeof(RGNDATAHEADER) || data->rdh.iType != RDH_RECTANGLES ||
        data->rdh.nCount <= kRun || data->rdh.nCount > (size - sizeof(RGNDATAHEADER)) / sizeof(RECT))
        return ExtCreateRegion(nullptr, size, data);
    const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
    std::vector<HRGN> regions;
    std::vector<BYTE> run(sizeof(RGNDATAHEADER) + kRun * sizeof(RECT));
    for (DWORD first = 0; first < data->rdh.nCount; first += kRun) {
        const DWORD count = std::min(kRun, data->rdh.nCount - first);
        auto* head = reinterpret_cast<RGNDATAHEADER*>(run.data());
        *head = RGNDATAHEADER{sizeof(RGNDATAHEADER), RDH_RECTANGLES, count, DWORD(count * sizeof(RECT)), data->rdh.rcBound};
        std::memcpy(run.data() + sizeof(RGNDATAHEADER), rects + first, count * sizeof(RECT));
        HRGN piece = ExtCreateRegion(nullptr, DWORD(sizeof(RGNDATAHEADER) + count * sizeof(RECT)),
                                     reinterpret_cast<const RGNDATA*>(run.data()));
        if (!piece) {
            for (HRGN r : regions) DeleteObject(r);
            return ExtCreateRegion(nullptr, size, data);
        }
        regions.push_back(piece);
    }
    // Neighbours first: each join is as long as the two halves, not the whole.
    for (size_t step = 1; step < regions.size(); step *= 2)
        for (size_t i = 0; i + step < regions.size(); i += 2 * step) {
            CombineRgn(regions[i], regions[i], regions[i + step], RGN_OR);
            DeleteObject(regions[i + step]);
            regions[i + step] = nullptr;
        }
    return regions.front();
}

XFORM DeviceTransform(HDC dc)
{
    XFORM w{1, 0, 0, 1, 0, 0};
    GetWorldTransform(dc, &w);
    SIZE we{1, 1}, ve{1, 1};
    POINT wo{}, vo{};
    GetWindowExtEx(dc, &we);
    GetViewportExtEx(dc, &ve);
    GetWindowOrgEx(dc, &wo);
    GetViewportOrgEx(dc, &vo);
    const double sx = we.cx ? double(ve.cx) / we.cx : 1, sy = we.cy ? double(ve.cy) / we.cy : 1;
    XFORM m;
    m.eM11 = FLOAT(w.eM11 * sx);
    m.eM12 = FLOAT(w.eM12 * sy);
    m.eM21 = FLOAT(w.eM21 * sx);
    m.eM22 = FLOAT(w.eM22 * sy);
    m.eDx = FLOAT((w.eDx - wo.x) * sx + vo.x);
    m.eDy = FLOAT((w.eDy - wo.y) * sy + vo.y);
    return m;
}

POINT ToDevice(const XFORM& m, double x, double y)
{
    return POINT{LONG(std::lround(x * m.eM11 + y * m.eM21 + m.eDx)), LONG(std::lround(x * m.eM12 + y * m.eM22 + m.eDy))};
}

namespace {

template <typename F>
F Ddi(PlayState& s, ULONG index) { return DriverFunction<F>(*s.device->driver, index); }

bool Hooked(PlayState& s, FLONG hook) { return (s.device->hooks & hook) != 0; }

RECTL Ordered(POINT a, POINT b)
{
    return RECTL{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

bool Inside(const RECTL& r, const RECTL& outer)
{
    return r.left >= outer.left && r.top >= outer.top && r.right <= outer.right && r.bottom <= outer.bottom;
}

// The clip of a drawing call: the DC's clip and meta regions, an extra
// rectangle (text clipping), and the surface; trivial when nothing cuts the
// drawing's bounds.
std::unique_ptr<HostClip> ClipFor(PlayState& s, const RECTL& bounds, const RECTL* extra)
{
    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    HRGN other = CreateRectRgn(0, 0, 0, 0);
    bool clipped = GetClipRgn(s.dc, clip) == 1;
    if (GetMetaRgn(s.dc, other) == 1 && !(clipped && CombineRgn(clip, clip, other, RGN_AND) != ERROR)) {
        CombineRgn(clip, other, nullptr, RGN_COPY);
        clipped = true;
    }
    if (extra) {
        SetRectRgn(other, extra->left, extra->top, extra->right, extra->bottom);
        CombineRgn(clip, clipped ? clip : other, other, clipped ? RGN_AND : RGN_COPY);
        clipped = true;
    }
    std::vector<RECTL> rects;
    if (clipped) rects = RegionRectangles(clip);
    DeleteObject(clip);
    DeleteObject(other);
    if (!clipped && !Inside(bounds, s.surfaceRect)) {
        clipped = true;
        rects.push_back(s.surfaceRect);
    }
    return MakeClip(clipped, std::move(rects), s.surfaceRect);
}

// GDI does not call a driver for drawing that its clip leaves nothing of.
bool ClippedAway(const HostClip& clip, const RECTL& bounds)
{
    if (clip.co.iDComplexity == DC_TRIVIAL) return false;
    for (const RECTL& r : clip.rects)
        if (r.left < bounds.right && bounds.left < r.right && r.top < bounds.bottom && bounds.top < r.bottom) return false;
    return true;
}

RECTL Union(const RECTL& a, const RECTL& b)
{
    return RECTL{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

ULONG BitmapFormat(WORD bitCount)
{
    switch (bitCount) {
    case 1: return BMF_1BPP;
    case 4: return BMF_4BPP;
    case 8: return BMF_8BPP;
    case 16: return BMF_16BPP;
    case 24: return BMF_24BPP;
    case 32: return BMF_32BPP;
    default: return 0;
    }
}

// A DIB as an engine bitmap with the translation of its colours to the device.
struct DibSurface {
    HostSurface* surface = nullptr;
    std::unique_ptr<HostXlate> xlate;
    bool bottomUp = false;
};

void ReleaseDib(DibSurface& d)
{
    DeleteHostSurface(d.surface);
    d.surface = nullptr;
    ReleaseXlate(d.xlate);
}

bool MakeDib(PlayState& s, const BITMAPINFO* info, size_t infoSize, const BYTE* bits, size_t bitsSize, bool palette,
             const std::vector<COLORREF>& forcedColours, DibSurface* out)
{
    if (infoSize < sizeof(BITMAPINFOHEADER)) return false;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    const ULONG format = BitmapFormat(h.biBitCount);
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > infoSize || format == 0 || h.biPlanes != 1) return false;
    if (h.biWidth <= 0 || h.biWidth > 65536 || h.biHeight == 0 || std::abs(h.biHeight) > 65536) return false;
    if (h.biCompression != BI_RGB && !(h.biCompression == BI_BITFIELDS && (h.biBitCount == 16 || h.biBitCount == 32)))
        return false;
    const LONG height = std::abs(h.biHeight);
    const size_t stride = BitmapStride(format, h.biWidth);
    if (stride * size_t(height) > bitsSize) return false;
    const DWORD colours = h.biBitCount <= 8 ? (h.biClrUsed ? std::min<DWORD>(h.biClrUsed, 1u << h.biBitCount)
                                                           : 1u << h.biBitCount) : 0;
    std::vector<ULONG> table;
    if (!forcedColours.empty()) {
        table.assign(forcedColours.begin(), forcedColours.end());
    } else if (colours) {
        if (!palette) {
            const size_t tableAt = h.biSize;
            if (tableAt + size_t(colours) * sizeof(RGBQUAD) > infoSize) return false;
            const auto* q = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(info) + tableAt);
            for (DWORD i = 0; i < colours; ++i) table.push_back(RGB(q[i].rgbRed, q[i].rgbGreen, q[i].rgbBlue));
        } else {
            // Palette indices have no palette on a printer DC; they are taken as greys.
            for (DWORD i = 0; i < colours; ++i) table.push_back(RGB(i * 255 / std::max<DWORD>(colours - 1, 1), i * 255 / std::max<DWORD>(colours - 1, 1), i * 255 / std::max<DWORD>(colours - 1, 1)));
        }
    }
    out->bottomUp = h.biHeight > 0;
    out->surface = CreateHostBitmap(SIZEL{h.biWidth, height}, format, !out->bottomUp, bits, LONG(stride));
    if (!out->surface) return false;
    // Deep pixels: 16 bits are 5-5-5 and 32 bits blue-green-red unless the DIB
    // gives its own masks (after a plain header; larger headers hold them at
    // the same place).
    ULONG masks[3] = {0x7C00, 0x03E0, 0x001F};
    ULONG mode = h.biBitCount == 16 ? PAL_BITFIELDS : PAL_BGR;
    if (h.biCompression == BI_BITFIELDS) {
        if (sizeof(BITMAPINFOHEADER) + sizeof(masks) > infoSize) return false;
        std::memcpy(masks, reinterpret_cast<const BYTE*>(info) + sizeof(BITMAPINFOHEADER), sizeof(masks));
        const bool blueGreenRed = masks[0] == 0xFF0000 && masks[1] == 0x00FF00 && masks[2] == 0x0000FF;
        mode = h.biBitCount == 32 && blueGreenRed ? PAL_BGR : PAL_BITFIELDS;
    }
    out->xlate = MakeXlate(mode, std::move(table), *s.device, mode == PAL_BITFIELDS ? masks : nullptr);
    return true;
}

void ReleaseBrush(std::unique_ptr<HostBrush>& b)
{
    if (!b) return;
    LiveBrushes().Remove(b.get());
    if (b->patternOwned) DeleteHostSurface(b->pattern);
    ReleaseXlate(b->ownedXlate);
    b.reset();
}

std::unique_ptr<HostBrush> NewBrush(PlayState& s)
{
    auto b = std::make_unique<HostBrush>();
    b->device = s.device;
    b->target = s.surface;
    LiveBrushes().Add(b.get());
    return b;
}

std::unique_ptr<HostBrush> SolidBrush(PlayState& s, COLORREF rgb)
{
    auto b = NewBrush(s);
    ULONG mode;
    std::vector<ULONG> colours;
    DevicePalette(*s.device, &mode, &colours);
    b->rgb = rgb & 0xFFFFFF;
    b->bo.iSolidColor = RgbToDevice(mode, colours, b->rgb);
    return b;
}

// Hatch patterns, 8 x 8 pixels, one byte a row; a 0 bit draws the hatch colour.
constexpr BYTE kHatches[HS_DDI_MAX][8] = {
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00},   // HS_HORIZONTAL
    {0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 0xFE},   // HS_VERTICAL
    {0x7F, 0xBF, 0xDF, 0xEF, 0xF7, 0xFB, 0xFD, 0xFE},   // HS_FDIAGONAL
    {0xFE, 0xFD, 0xFB, 0xF7, 0xEF, 0xDF, 0xBF, 0x7F},   // HS_BDIAGONAL
    {0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 0x00},   // HS_CROSS
    {0x7E, 0xBD, 0xDB, 0xE7, 0xE7, 0xDB, 0xBD, 0x7E},   // HS_DIAGCROSS
};

std::unique_ptr<HostBrush> BrushFor(PlayState& s, HBRUSH handle)
{
    if (!handle) return nullptr;
    auto pattern = s.patterns.find(handle);
    if (pattern != s.patterns.end()) {
        const PatternBits& p = pattern->second;
        std::vector<COLORREF> forced;
        if (p.mono) forced = {GetTextColor(s.dc), GetBkColor(s.dc)};
        DibSurface dib;
        if (!MakeDib(s, reinterpret_cast<const BITMAPINFO*>(p.info.data()), p.info.size(), p.bits.data(), p.bits.size(),
                     false, forced, &dib))
            return SolidBrush(s, 0);
        auto b = NewBrush(s);
        b->bo.iSolidColor = 0xFFFFFFFF;
        b->pattern = dib.surface;
        b->patternOwned = true;
        b->ownedXlate = std::move(dib.xlate);
        b->patternXlate = b->ownedXlate.get();
        b->hatch = HS_DDI_MAX;
        return b;
    }
    LOGBRUSH lb{};
    if (!GetObjectW(handle, sizeof(lb), &lb) || lb.lbStyle == BS_NULL) return nullptr;
    if (lb.lbStyle != BS_HATCHED || lb.lbHatch >= HS_DDI_MAX) return SolidBrush(s, lb.lbColor);
    auto b = NewBrush(s);
    b->bo.iSolidColor = 0xFFFFFFFF;
    b->rgb = lb.lbColor & 0xFFFFFF;
    b->hatch = ULONG(lb.lbHatch);
    BYTE rows[8 * 4] = {};
    for (int y = 0; y < 8; ++y) rows[y * 4] = kHatches[b->hatch][y];
    b->pattern = CreateHostBitmap(SIZEL{8, 8}, BMF_1BPP, true, rows, 4);
    b->patternOwned = true;
    // Index 0 is the hatch colour, 1 the background (transparent or not is the mix's business).
    b->ownedXlate = MakeXlate(PAL_INDEXED, {lb.lbColor & 0xFFFFFF, GetBkColor(s.dc) & 0xFFFFFF}, *s.device);
    b->patternXlate = b->ownedXlate.get();
    return b;
}

struct LineInfo {
    LINEATTRS attrs{};
    std::vector<FLOAT_LONG> style;
    COLORREF colour = 0;
    bool none = false;
};

LineInfo LineFor(PlayState& s, const XFORM& m)
{
    LineInfo info;
    HGDIOBJ pen = GetCurrentObject(s.dc, OBJ_PEN);
    DWORD style = PS_SOLID, width = 0;
    bool geometric = false;
    std::vector<DWORD> userStyle;
    if (GetObjectW(pen, 0, nullptr) == sizeof(LOGPEN)) {
        LOGPEN lp{};
        GetObjectW(pen, sizeof(lp), &lp);
        style = lp.lopnStyle;
        width = DWORD(lp.lopnWidth.x);
        info.colour = lp.lopnColor;
    } else {
        std::vector<BYTE> buffer(size_t(std::max(GetObjectW(pen, 0, nullptr), int(sizeof(EXTLOGPEN)))));
        GetObjectW(pen, int(buffer.size()), buffer.data());
        const auto* e = reinterpret_cast<const EXTLOGPEN*>(buffer.data());
        style = e->elpPenStyle;
        width = e->elpWidth;
        info.colour = e->elpColor;
        geometric = (style & PS_TYPE_MASK) == PS_GEOMETRIC;
        userStyle.assign(e->elpStyleEntry, e->elpStyleEntry + e->elpNumEntries);
    }
    const DWORD kind = style & PS_STYLE_MASK;
    if (kind == PS_NULL) {
        info.none = true;
        return info;
    }
    const double scale = std::sqrt(std::fabs(double(m.eM11) * m.eM22 - double(m.eM12) * m.eM21));
    // Old-style pens wider than one device pixel are geometric, as in GDI.
    geometric = geometric || width * scale > 1.0;
    LINEATTRS& la = info.attrs;
    if (geometric) {
        la.fl = LA_GEOMETRIC;
        const DWORD join = style & PS_JOIN_MASK, cap = style & PS_ENDCAP_MASK;
        la.iJoin = join == PS_JOIN_BEVEL ? JOIN_BEVEL : join == PS_JOIN_MITER ? JOIN_MITER : JOIN_ROUND;
        la.iEndCap = cap == PS_ENDCAP_SQUARE ? ENDCAP_SQUARE : cap == PS_ENDCAP_FLAT ? ENDCAP_BUTT : ENDCAP_ROUND;
        la.elWidth.e = FLOATL(width);
        FLOAT miter = 10;
        GetMiterLimit(s.dc, &miter);
        la.eMiterLimit = miter;
        const double w = std::max<DWORD>(width, 1);
        std::vector<double> lengths;
        switch (kind) {
        case PS_DASH: lengths = {3 * w, w}; break;
        case PS_DOT: lengths = {w, w}; break;
        case PS_DASHDOT: lengths = {3 * w, w, w, w}; break;
        case PS_DASHDOTDOT: lengths = {3 * w, w, w, w, w, w}; break;
        case PS_USERSTYLE: for (DWORD v : userStyle) lengths.push_back(v); break;
        default: break;
        }
        for (double v : lengths) { FLOAT_LONG f; f.e = FLOATL(v); info.style.push_back(f); }
    } else {
        la.fl = kind == PS_ALTERNATE ? LA_ALTERNATE : 0;
        la.iJoin = JOIN_ROUND;
        la.iEndCap = ENDCAP_ROUND;
        la.elWidth.l = 1;
        // Cosmetic styles in style steps.
        std::vector<LONG> lengths;
        switch (kind) {
        case PS_DASH: lengths = {6, 2}; break;
        case PS_DOT: lengths = {1, 1}; break;
        case PS_DASHDOT: lengths = {6, 2, 1, 2}; break;
        case PS_DASHDOTDOT: lengths = {6, 2, 1, 2, 1, 2}; break;
        case PS_USERSTYLE: for (DWORD v : userStyle) lengths.push_back(LONG(v)); break;
        default: break;
        }
        for (LONG v : lengths) { FLOAT_LONG f; f.l = v; info.style.push_back(f); }
    }
    if (!info.style.empty()) la.fl |= LA_STYLED;
    la.cstyle = ULONG(info.style.size());
    la.pstyle = info.style.empty() ? nullptr : info.style.data();
    return info;
}

MIX Mix(PlayState& s)
{
    const MIX rop2 = MIX(GetROP2(s.dc));
    return rop2 | (rop2 << 8);
}

} // namespace

namespace {

// The DC's path in device units, read back with an identity mapping.
int ReadPath(HDC dc, std::vector<POINT>* points, std::vector<BYTE>* types)
{
    const int count = GetPath(dc, nullptr, nullptr, 0);
    points->assign(size_t(std::max(count, 0)), POINT{});
    types->assign(points->size(), 0);
    const int got = count > 0 ? GetPath(dc, points->data(), types->data(), count) : 0;
    return std::max(got, 0);
}

void IdentityMapping(HDC dc)
{
    SetMapMode(dc, MM_TEXT);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
}

// A shape whose pixels all lie within this reach of the origin can be traced
// at 16 times the scale without leaving GDI's 32-bit coordinates.
constexpr LONG kFineReach = 1 << 26;

bool WithinFineReach(const std::vector<POINT>& points, int count)
{
    for (int i = 0; i < count; ++i)
        if (std::abs(points[i].x) >= kFineReach || std::abs(points[i].y) >= kFineReach) return false;
    return true;
}

} // namespace

void DrawCurrentPath(PlayState& s, PaintKind kind, bool ellipse, const std::function<void()>& retrace)
{
    const XFORM m = DeviceTransform(s.dc);
    SaveDC(s.dc);
    IdentityMapping(s.dc);
    std::vector<POINT> pixels;
    std::vector<BYTE> types;
    int got = ReadPath(s.dc, &pixels, &types);
    RestoreDC(s.dc, -1);
    if (got <= 0) return;
    std::vector<POINTFIX> points(static_cast<size_t>(got));
    for (int i = 0; i < got; ++i) points[size_t(i)] = POINTFIX{FIX(pixels[size_t(i)].x * 16), FIX(pixels[size_t(i)].y * 16)};
    if (retrace && WithinFineReach(pixels, got)) {
        // The same shape from the same logical points, with the whole
        // world-to-device mapping in the world transform, times 16.
        POINT end{};
        GetCurrentPositionEx(s.dc, &end);
        SaveDC(s.dc);
        IdentityMapping(s.dc);
        const XFORM fine{m.eM11 * 16, m.eM12 * 16, m.eM21 * 16, m.eM22 * 16, m.eDx * 16, m.eDy * 16};
        std::vector<POINT> sixteenths;
        std::vector<BYTE> fineTypes;
        int fineGot = 0;
        if (SetWorldTransform(s.dc, &fine)) {
            BeginPath(s.dc);
            retrace();
            EndPath(s.dc);
            ModifyWorldTransform(s.dc, nullptr, MWT_IDENTITY);
            fineGot = ReadPath(s.dc, &sixteenths, &fineTypes);
            AbortPath(s.dc);
        }
        RestoreDC(s.dc, -1);
        MoveToEx(s.dc, end.x, end.y, nullptr);
        // The fine tracing must be GDI's shape, each point within a pixel of
        // GDI's own (a mapping GDI reads differently when it is moved into
        // the world transform would show here); otherwise the pixels stand.
        bool same = fineGot == got && fineTypes == types;
        for (int i = 0; same && i < got; ++i)
            same = std::abs(sixteenths[size_t(i)].x - pixels[size_t(i)].x * 16) <= 16 &&
                   std::abs(sixteenths[size_t(i)].y - pixels[size_t(i)].y * 16) <= 16;
        if (same) {
            types = std::move(fineTypes);
            points.resize(size_t(got));
            for (int i = 0; i < got; ++i) points[size_t(i)] = POINTFIX{FIX(sixteenths[size_t(i)].x), FIX(sixteenths[size_t(i)].y)};
        }
    }

    LineInfo line = LineFor(s, m);
    std::unique_ptr<HostBrush> fill = kind == PaintKind::Stroke ? nullptr
                                      : BrushFor(s, static_cast<HBRUSH>(GetCurrentObject(s.dc, OBJ_BRUSH)));
    const bool stroke = kind != PaintKind::Fill && !line.none;
    if (!stroke && !fill) return;
    std::unique_ptr<HostBrush> strokeBrush = stroke ? SolidBrush(s, line.colour) : nullptr;

    HostPath* path = MakePathFromFix(points.data(), types.data(), got, ellipse);
    // The pixels the path touches (a fraction reaches into the next pixel).
    RECTL b{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    for (const POINTFIX& p : points) {
        b.left = std::min(b.left, LONG(p.x >> 4));
        b.top = std::min(b.top, LONG(p.y >> 4));
        b.right = std::max(b.right, LONG((p.x + 15) >> 4) + 1);
        b.bottom = std::max(b.bottom, LONG((p.y + 15) >> 4) + 1);
    }
    // A wide pen reaches beyond the path by half its width.
    LONG reach = 1;
    if (stroke && (line.attrs.fl & LA_GEOMETRIC)) {
        const double scale = std::max(std::hypot(m.eM11, m.eM12), std::hypot(m.eM21, m.eM22));
        reach += LONG(std::min(double(kMaxCoordinate), std::ceil(line.attrs.elWidth.e * scale)));
    }
    const RECTL reached{b.left - reach, b.top - reach, b.right + reach, b.bottom + reach};
    std::unique_ptr<HostClip> clip = ClipFor(s, b, nullptr);
    if (ClippedAway(*clip, reached)) {
        ReleasePath(path);
        ReleaseClip(clip);
        ReleaseBrush(fill);
        ReleaseBrush(strokeBrush);
        return;
    }
    std::unique_ptr<HostXform> xform = MakeXform(m.eM11, m.eM12, m.eM21, m.eM22, m.eDx, m.eDy);
    const FLONG fillMode = GetPolyFillMode(s.dc) == WINDING ? FP_WINDINGMODE : FP_ALTERNATEMODE;
    const MIX mix = Mix(s);
    BOOL done = TRUE;
    if (stroke && fill && Hooked(s, HOOK_STROKEANDFILLPATH)) {
        if (auto f = Ddi<PFN_DrvStrokeAndFillPath>(s, INDEX_DrvStrokeAndFillPath))
            done = f(s.surface, &path->po, &clip->co, &xform->xo, &strokeBrush->bo, &line.attrs, &fill->bo,
                     &s.brushOrigin, mix, fillMode);
    } else {
        if (fill && Hooked(s, HOOK_FILLPATH))
            if (auto f = Ddi<PFN_DrvFillPath>(s, INDEX_DrvFillPath))
                done = f(s.surface, &path->po, &clip->co, &fill->bo, &s.brushOrigin, mix, fillMode) && done;
        if (stroke && Hooked(s, HOOK_STROKEPATH))
            if (auto f = Ddi<PFN_DrvStrokePath>(s, INDEX_DrvStrokePath))
                done = f(s.surface, &path->po, &clip->co, &xform->xo, &strokeBrush->bo, &s.brushOrigin, &line.attrs,
                         mix) && done;
    }
    if (!done) s.Fail(L"the graphics driver failed a path");
    ReleasePath(path);
    ReleaseClip(clip);
    ReleaseXform(xform);
    ReleaseBrush(fill);
    ReleaseBrush(strokeBrush);
}

namespace {

// Fixed pitch: an engine font by GDI's metrics (whose pitch bit is set for a
// variable pitch), a device font by the driver's own description of it.
bool FixedPitch(HostFont& font, const TEXTMETRICW& tm)
{
    if (!font.deviceFont) return (tm.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0;
    const IFIMETRICS* ifi = FONTOBJ_pifi(&font.fo);
    return ifi && ((ifi->flInfo & FM_INFO_CONSTANT_WIDTH) || (ifi->jWinPitchAndFamily & 3) == FIXED_PITCH);
}

// GDI finds a font's realisation by what its LOGFONT means: the fields before
// the face name and the face name up to its terminator, whatever its case.
// Applications often leave stack bytes after the terminator (a LOGFONT
// filled on the stack); those must not make a new realisation, or the driver
// downloads the same glyphs again for every line. The bytes are cleared here.
std::wstring RealisationKey(LOGFONTW& lf)
{
    const size_t length = wcsnlen(lf.lfFaceName, LF_FACESIZE - 1);
    std::fill(lf.lfFaceName + length, lf.lfFaceName + LF_FACESIZE, L'\0');
    static_assert(offsetof(LOGFONTW, lfFaceName) % sizeof(wchar_t) == 0);
    std::wstring key(reinterpret_cast<const wchar_t*>(&lf), offsetof(LOGFONTW, lfFaceName) / sizeof(wchar_t));
    std::wstring face(lf.lfFaceName, length);
    if (length) CharLowerBuffW(face.data(), DWORD(length));
    return key + face;
}

} // namespace

void DrawText(PlayState& s, const EMREXTTEXTOUTW& record, const std::wstring& text, const INT* dx, size_t dxCount)
{
    if (!Hooked(s, HOOK_TEXTOUT)) return;
    auto textOut = Ddi<PFN_DrvTextOut>(s, INDEX_DrvTextOut);
    if (!textOut) return;
    const EMRTEXT& t = record.emrtext;
    const XFORM m = DeviceTransform(s.dc);
    LOGFONTW lf{};
    GetObjectW(GetCurrentObject(s.dc, OBJ_FONT), sizeof(lf), &lf);
    TEXTMETRICW tm{};
    GetTextMetricsW(s.dc, &tm);

    // The font at its device size.
    const double yScale = std::hypot(double(m.eM21), double(m.eM22));
    const double xScale = std::hypot(double(m.eM11), double(m.eM12));
    LOGFONTW device = lf;
    device.lfHeight = LONG(std::lround(lf.lfHeight * yScale));
    device.lfWidth = LONG(std::lround(lf.lfWidth * xScale));
    // A rotating world transform turns the glyphs with the baseline: the
    // device font's escapement is the baseline's angle on the device.
    if (m.eM12 != 0 || m.eM21 != 0) {
        const double pi = 3.14159265358979323846;
        const double a = lf.lfEscapement / 10.0 * pi / 180.0;
        const double dxDevice = std::cos(a) * m.eM11 - std::sin(a) * m.eM21;
        const double dyDevice = std::cos(a) * m.eM12 - std::sin(a) * m.eM22;
        LONG tenths = LONG(std::lround(std::atan2(-dyDevice, dxDevice) * 1800.0 / pi)) % 3600;
        if (tenths < 0) tenths += 3600;
        device.lfEscapement = device.lfOrientation = tenths;
    }
    auto& font = s.device->fonts[RealisationKey(device)];
    // A face the driver offers as a device font is printed with it, as GDI does.
    for (size_t i = 0; !font && i < s.device->deviceFaces.size(); ++i)
        if (!s.device->deviceFaces[i].empty() && lstrcmpiW(s.device->deviceFaces[i].c_str(), lf.lfFaceName) == 0)
            font = MakeDeviceFont(s.device, ULONG(i + 1), device);
    if (!font) font = MakeEngineFont(s.device, device, m);
    if (!font) {
        s.Fail(L"a font of the page cannot be realised");
        return;
    }

    // Glyph origins along the baseline in logical units, then to the device.
    const bool glyphIndex = (t.fOptions & ETO_GLYPH_INDEX) != 0;
    const std::vector<HGLYPH> handles = GlyphHandles(*font, text, glyphIndex);
    std::vector<double> advance(text.size(), 0);
    const bool pairs = (t.fOptions & ETO_PDY) != 0;
    std::vector<double> rise(text.size(), 0);
    const bool horizontal = lf.lfEscapement == 0 && m.eM12 == 0 && m.eM21 == 0;
    // A fixed-pitch font along an unturned baseline may step by one increment.
    bool stepped = horizontal && !pairs && m.eM11 > 0 && !text.empty() && FixedPitch(*font, tm);
    for (size_t i = 0; i < text.size(); ++i) {
        const bool given = dx && (pairs ? 2 * i + 1 < dxCount : i < dxCount);
        double own = 0;
        if (!given || (stepped && !font->deviceFont)) {
            SIZE size{};
            if (glyphIndex) {
                WORD index = WORD(text[i]);
                GetTextExtentPointI(s.dc, &index, 1, &size);
            } else {
                GetTextExtentPoint32W(s.dc, &text[i], 1, &size);
            }
            own = size.cx;
        }
        advance[i] = given ? (pairs ? dx[2 * i] : dx[i]) : own;
        if (given && pairs) rise[i] = dx[2 * i + 1];
        // The application's own spacing (advances, character extra,
        // justification: all of them land in the metafile's advances).
        if (stepped && !font->deviceFont && advance[i] != own) stepped = false;
    }
    // A device font's text is laid out with the driver's widths (device pixels).
    std::vector<double> deviceWidths;
    if (font->deviceFont && !pairs && xScale > 0 && DeviceAdvanceWidths(*font, handles, &deviceWidths))
        for (size_t i = 0; i < advance.size(); ++i) advance[i] = deviceWidths[i] / xScale;
    // Windows' engine then gives the increment in whole device pixels and the
    // first glyph's position only.
    ULONG charInc = 0;
    if (font->deviceFont && deviceWidths.empty()) stepped = false;   // laid out by the metafile's advances
    if (stepped) {
        const double inc = advance[0] * m.eM11;
        bool even = inc >= 1 && std::abs(inc - std::round(inc)) < 1e-6;
        for (size_t i = 1; even && i < advance.size(); ++i) even = advance[i] == advance[0];
        if (even) charInc = ULONG(std::lround(inc));
    }
    double total = 0;
    for (double a : advance) total += a;
    const double angle = lf.lfEscapement / 10.0 * 3.14159265358979323846 / 180.0;
    const double ux = std::cos(angle), uy = -std::sin(angle);   // along the baseline
    const double vx = std::sin(angle), vy = std::cos(angle);    // down, across it
    const UINT align = GetTextAlign(s.dc);
    double ox = t.ptlReference.x, oy = t.ptlReference.y;
    if (align & TA_UPDATECP) {
        POINT cp{};
        GetCurrentPositionEx(s.dc, &cp);
        ox = cp.x;
        oy = cp.y;
    }
    const double shift = (align & TA_CENTER) == TA_CENTER ? -total / 2 : (align & TA_RIGHT) ? -total : 0;
    const double drop = (align & TA_BASELINE) == TA_BASELINE ? 0 : (align & TA_BOTTOM) ? -tm.tmDescent : tm.tmAscent;
    ox += ux * shift + vx * drop;
    oy += uy * shift + vy * drop;

    auto* str = new HostString;
    str->font = font.get();
    str->text = text;
    str->glyphs.resize(text.size());
    double along = 0, up = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const POINT p = ToDevice(m, ox + ux * along - vx * up, oy + uy * along - vy * up);
        str->glyphs[i].hg = handles[i];
        if (i == 0 || charInc == 0) str->glyphs[i].ptl = POINTL{p.x, p.y};
        along += advance[i];
        up += rise[i];
    }
    // Background: the text cells from ascent to descent.
    const double cx[4] = {ox - vx * tm.tmAscent, ox + ux * total - vx * tm.tmAscent, ox + vx * tm.tmDescent,
                          ox + ux * total + vx * tm.tmDescent};
    const double cy[4] = {oy - vy * tm.tmAscent, oy + uy * total - vy * tm.tmAscent, oy + vy * tm.tmDescent,
                          oy + uy * total + vy * tm.tmDescent};
    RECTL bk{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    for (int i = 0; i < 4; ++i) {
        const POINT p = ToDevice(m, cx[i], cy[i]);
        bk.left = std::min(bk.left, p.x);
        bk.top = std::min(bk.top, p.y);
        bk.right = std::max(bk.right, p.x);
        bk.bottom = std::max(bk.bottom, p.y);
    }
    str->so.cGlyphs = ULONG(text.size());
    str->so.flAccel = horizontal ? SO_HORIZONTAL : 0;
    str->so.ulCharInc = charInc;
    // Text printed by glyph index (most applications today): the string the
    // driver sees is the application's, that is the indexes, and it is told so.
    if (glyphIndex) str->so.flAccel |= SO_GLYPHINDEX_TEXTOUT;
    str->so.rclBkGround = bk;
    str->so.pwszOrg = str->text.data();
    LiveStrings().Add(str);

    RECTL opaque{};
    const bool opaqueBox = (t.fOptions & ETO_OPAQUE) != 0;
    const bool clipBox = (t.fOptions & ETO_CLIPPED) != 0;
    if (opaqueBox || clipBox)
        opaque = Ordered(ToDevice(m, t.rcl.left, t.rcl.top), ToDevice(m, t.rcl.right, t.rcl.bottom));
    std::unique_ptr<HostClip> clip = ClipFor(s, bk, clipBox ? &opaque : nullptr);
    if (ClippedAway(*clip, opaqueBox ? Union(bk, opaque) : bk)) {
        LiveStrings().Remove(str);
        delete str;
        ReleaseClip(clip);
        return;
    }
    std::unique_ptr<HostBrush> fore = SolidBrush(s, GetTextColor(s.dc));
    std::unique_ptr<HostBrush> back = SolidBrush(s, GetBkColor(s.dc));
    const MIX rop2 = MIX(GetROP2(s.dc));
    const MIX mix = rop2 | ((GetBkMode(s.dc) == OPAQUE ? rop2 : MIX(R2_NOP)) << 8);
    // An opaque background without an opaque rectangle of the application is
    // the text's background box: a driver that asks for opaque rectangles
    // (GCAPS_OPAQUERECT) gets it as prclOpaque, any other has it filled first.
    const RECTL* opaqueRect = opaqueBox ? &opaque : nullptr;
    if (!opaqueBox && GetBkMode(s.dc) == OPAQUE) {
        if (s.device->devInfo.flGraphicsCaps & GCAPS_OPAQUERECT) {
            opaqueRect = &bk;
        } else if (auto bitBlt = Hooked(s, HOOK_BITBLT) ? Ddi<PFN_DrvBitBlt>(s, INDEX_DrvBitBlt) : nullptr) {
            RECTL box = bk;
            const ROP4 patCopy = ROP4(PATCOPY >> 16) | (ROP4(PATCOPY >> 16) << 8);
            if (!bitBlt(s.surface, nullptr, nullptr, &clip->co, nullptr, &box, nullptr, nullptr, &back->bo,
                        &s.brushOrigin, patCopy))
                s.Fail(L"the graphics driver failed a text background");
        }
    }
    if (!textOut(s.surface, &str->so, &font->fo, &clip->co, nullptr, const_cast<RECTL*>(opaqueRect), &fore->bo,
                 &back->bo, &s.brushOrigin, mix))
        s.Fail(L"the graphics driver failed a text output");
    // Underline and strike-out are not the font's glyphs: GDI's engine draws
    // them for the driver as rectangles along the baseline, filled in the text
    // colour, over the text's length.
    auto fillPath = Hooked(s, HOOK_FILLPATH) ? Ddi<PFN_DrvFillPath>(s, INDEX_DrvFillPath) : nullptr;
    OUTLINETEXTMETRICW otm{};
    otm.otmSize = sizeof(otm);
    if ((lf.lfUnderline || lf.lfStrikeOut) && fillPath && total != 0 &&
        GetOutlineTextMetricsW(s.dc, sizeof(otm), &otm) != 0) {
        struct Band { bool on; double depth, size; };
        const Band bands[] = {
            {lf.lfUnderline != 0, -double(otm.otmsUnderscorePosition), std::max(1.0, double(otm.otmsUnderscoreSize))},
            {lf.lfStrikeOut != 0, -double(otm.otmsStrikeoutPosition), std::max(1.0, double(otm.otmsStrikeoutSize))},
        };
        for (const Band& band : bands) {
            if (!band.on) continue;
            const double top = band.depth, bottom = band.depth + band.size;
            const POINT corners[4] = {ToDevice(m, ox + vx * top, oy + vy * top),
                                      ToDevice(m, ox + ux * total + vx * top, oy + uy * total + vy * top),
                                      ToDevice(m, ox + ux * total + vx * bottom, oy + uy * total + vy * bottom),
                                      ToDevice(m, ox + vx * bottom, oy + vy * bottom)};
            const BYTE types[4] = {PT_MOVETO, PT_LINETO, PT_LINETO, PT_LINETO | PT_CLOSEFIGURE};
            HostPath* path = MakePathFromGdi(corners, types, 4, false);
            if (!fillPath(s.surface, &path->po, &clip->co, &fore->bo, &s.brushOrigin, rop2 | (rop2 << 8), FP_ALTERNATEMODE))
                s.Fail(L"the graphics driver failed a text line");
            ReleasePath(path);
        }
    }
    LiveStrings().Remove(str);
    delete str;
    ReleaseClip(clip);
    ReleaseBrush(fore);
    ReleaseBrush(back);
}

namespace {

bool UsesPattern(BYTE rop3) { return ((rop3 >> 4) ^ rop3) & 0x0F; }

} // namespace

void DrawDib(PlayState& s, const BITMAPINFO* info, size_t infoSize, const BYTE* bits, size_t bitsSize, UINT usage,
             RECT dest, RECT src, DWORD rop, SourceRows rows)
{
    DibSurface dib;
    if (!MakeDib(s, info, infoSize, bits, bitsSize, usage == DIB_PAL_COLORS, {}, &dib)) {
        s.Fail(L"a bitmap of the page is malformed or of an unknown format");
        return;
    }
    const XFORM m = DeviceTransform(s.dc);
    const RECTL target = Ordered(ToDevice(m, dest.left, dest.top), ToDevice(m, dest.right, dest.bottom));
    // A bottom-up DIB counts its source rows from the bottom.
    const LONG h = dib.surface->so.sizlBitmap.cy;
    RECTL source{src.left, src.top, src.right, src.bottom};
    if (dib.bottomUp && rows == SourceRows::FromDibOrigin) source = RECTL{src.left, h - src.bottom, src.right, h - src.top};
    POINTL from{source.left, source.top};
    const BYTE rop3 = BYTE(rop >> 16);
    const ROP4 rop4 = ROP4(rop3) | (ROP4(rop3) << 8);
    std::unique_ptr<HostClip> clip = ClipFor(s, target, nullptr);
    if (ClippedAway(*clip, target)) {
        ReleaseClip(clip);
        ReleaseDib(dib);
        return;
    }
    std::unique_ptr<HostBrush> brush = UsesPattern(rop3) ? BrushFor(s, static_cast<HBRUSH>(GetCurrentObject(s.dc, OBJ_BRUSH)))
                                                         : nullptr;
    const bool same = target.right - target.left == source.right - source.left &&
                      target.bottom - target.top == source.bottom - source.top;
    RECTL t = target;
    BOOL done = TRUE;
    SURFOBJ* so = &dib.surface->so;
    if (same && rop4 == 0xCCCC && Hooked(s, HOOK_COPYBITS)) {
        if (auto f = Ddi<PFN_DrvCopyBits>(s, INDEX_DrvCopyBits)) done = f(s.surface, so, &clip->co, &dib.xlate->xo, &t, &from);
    } else if (same && Hooked(s, HOOK_BITBLT)) {
        if (auto f = Ddi<PFN_DrvBitBlt>(s, INDEX_DrvBitBlt))
            done = f(s.surface, so, nullptr, &clip->co, &dib.xlate->xo, &t, &from, nullptr, brush ? &brush->bo : nullptr,
                     &s.brushOrigin, rop4);
    } else if (rop4 == 0xCCCC && Hooked(s, HOOK_STRETCHBLT)) {
        if (auto f = Ddi<PFN_DrvStretchBlt>(s, INDEX_DrvStretchBlt))
            done = f(s.surface, so, nullptr, &clip->co, &dib.xlate->xo, nullptr, &s.brushOrigin, &t, &source, nullptr,
                     ULONG(GetStretchBltMode(s.dc)));
    } else if (Hooked(s, HOOK_STRETCHBLTROP)) {
        if (auto f = Ddi<PFN_DrvStretchBltROP>(s, INDEX_DrvStretchBltROP))
            done = f(s.surface, so, nullptr, &clip->co, &dib.xlate->xo, nullptr, &s.brushOrigin, &t, &source, nullptr,
                     ULONG(GetStretchBltMode(s.dc)), brush ? &brush->bo : nullptr, rop4);
    }
    if (!done) s.Fail(L"the graphics driver failed a bitmap");
    ReleaseClip(clip);
    ReleaseBrush(brush);
    ReleaseDib(dib);
}

namespace {

// A DIB section selected into a memory DC of its own.
struct BitmapInDc {
    HBITMAP bitmap = nullptr;
    HDC dc = nullptr;
    HGDIOBJ old = nullptr;

    BitmapInDc() = default;
    ~BitmapInDc()
    {
        if (dc) {
            SelectObject(dc, old);
            DeleteDC(dc);
        }
        if (bitmap) DeleteObject(bitmap);
    }
    BitmapInDc(const BitmapInDc&) = delete;
    BitmapInDc& operator=(const BitmapInDc&) = delete;
    // Takes the bitmap (null: none) and selects it; false without a DC.
    bool Hold(HBITMAP made)
    {
        bitmap = made;
        dc = bitmap ? CreateCompatibleDC(nullptr) : nullptr;
        if (dc) old = SelectObject(dc, bitmap);
        return dc != nullptr;
    }
};

// A 24-bit top-down bitmap to draw on, filled with `fill` (a raster operation).
struct DrawingBitmap : BitmapInDc {
    BITMAPINFO info{};
    void* bits = nullptr;
    size_t stride = 0;

    DrawingBitmap(LONG width, LONG height, DWORD fill)
    {
        info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        stride = (size_t(width) * 3 + 3) & ~size_t(3);
        if (Hold(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0))) PatBlt(dc, 0, 0, width, height, fill);
    }
    const BYTE* Row(LONG y) const { return static_cast<const BYTE*>(bits) + size_t(y) * stride; }
};

// A record's bitmap as GDI holds it, rows counted from the top. `dc` stays
// null when the bitmap is malformed.
struct SourceDc : BitmapInDc {
    SourceDc(const DibBytes& source, UINT usage)
    {
        if (source.infoSize < sizeof(BITMAPINFOHEADER)) return;
        const BITMAPINFOHEADER& h = source.info->bmiHeader;
        const size_t bytes = ((size_t(std::abs(h.biWidth)) * h.biBitCount + 31) / 32) * 4 * size_t(std::abs(h.biHeight));
        void* bits = nullptr;
        HBITMAP made = CreateDIBSection(nullptr, source.info, usage, &bits, nullptr, 0);
        if (made && bytes > source.bitsSize) {
            DeleteObject(made);
            return;
        }
        if (made) std::memcpy(bits, source.bits, bytes);
        Hold(made);
    }
};

// The pixels of a device box alike in both drawings, as a region in device units.
HRGN AlikeRegion(const DrawingBitmap& a, const DrawingBitmap& b, const RECT& box)
{
    std::vector<RECT> runs;
    const LONG width = box.right - box.left, height = box.bottom - box.top;
    for (LONG y = 0; y < height; ++y) {
        const BYTE* p = a.Row(y);
        const BYTE* q = b.Row(y);
        for (LONG x = 0; x < width;) {
            while (x < width && std::memcmp(p + x * 3, q + x * 3, 3) != 0) ++x;
            const LONG start = x;
            while (x < width && std::memcmp(p + x * 3, q + x * 3, 3) == 0) ++x;
            if (x > start) runs.push_back(RECT{box.left + start, box.top + y, box.left + x, box.top + y + 1});
        }
    }
    std::vector<BYTE> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
    auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
    *header = RGNDATAHEADER{sizeof(RGNDATAHEADER), RDH_RECTANGLES, DWORD(runs.size()), DWORD(runs.size() * sizeof(RECT)), box};
    if (!runs.empty()) std::memcpy(data.data() + sizeof(RGNDATAHEADER), runs.data(), runs.size() * sizeof(RECT));
    return RegionFromData(reinterpret_cast<const RGNDATA*>(data.data()), DWORD(data.size()));
}

// What the engine drew on a bitmap of a device box, handed to the driver as
// a copy; `cover` (device units, may be null) narrows the clip to the pixels
// the drawing owns.
void SendCanvas(PlayState& s, const DrawingBitmap& canvas, const RECT& box, HRGN cover)
{
    GdiFlush();
    SaveDC(s.dc);
    if (cover) {
        HRGN current = CreateRectRgn(0, 0, 0, 0);
        ExtSelectClipRgn(s.dc, cover, GetClipRgn(s.dc, current) == 1 ? RGN_AND : RGN_COPY);
        DeleteObject(current);
    }
    IdentityMapping(s.dc);
    const LONG width = box.right - box.left, height = box.bottom - box.top;
    DrawDib(s, &canvas.info, sizeof(canvas.info.bmiHeader), static_cast<const BYTE*>(canvas.bits),
            canvas.stride * size_t(height), DIB_RGB_COLORS, box, RECT{0, 0, width, height}, SRCCOPY, SourceRows::FromTop);
    RestoreDC(s.dc, -1);
}

} // namespace

void DrawGradient(PlayState& s, const TRIVERTEX* vertices, ULONG vertexCount, const ULONG* mesh, ULONG meshCount,
                  ULONG mode)
{
    const bool triangles = mode == GRADIENT_FILL_TRIANGLE;
    if (!triangles && mode != GRADIENT_FILL_RECT_H && mode != GRADIENT_FILL_RECT_V) return;
    const ULONG perShape = triangles ? 3 : 2;
    for (ULONG i = 0; i < meshCount * perShape; ++i)
        if (mesh[i] >= vertexCount) {
            s.Fail(L"a gradient of the page names a vertex it does not have");
            return;
        }
    // The pixels the shapes cover, in device units.
    const XFORM m = DeviceTransform(s.dc);
    HRGN cover = CreateRectRgn(0, 0, 0, 0);
    for (ULONG i = 0; i < meshCount; ++i) {
        const ULONG* shape = mesh + i * perShape;
        std::vector<POINT> corners;
        if (triangles) {
            for (ULONG k = 0; k < 3; ++k) corners.push_back(ToDevice(m, vertices[shape[k]].x, vertices[shape[k]].y));
        } else {
            const TRIVERTEX& a = vertices[shape[0]];
            const TRIVERTEX& b = vertices[shape[1]];
            corners = {ToDevice(m, a.x, a.y), ToDevice(m, b.x, a.y), ToDevice(m, b.x, b.y), ToDevice(m, a.x, b.y)};
        }
        if (HRGN piece = CreatePolygonRgn(corners.data(), int(corners.size()), WINDING)) {
            CombineRgn(cover, cover, piece, RGN_OR);
            DeleteObject(piece);
        }
    }
    RECT box{};
    GetRgnBox(cover, &box);
    IntersectRect(&box, &box, reinterpret_cast<const RECT*>(&s.surfaceRect));
    const LONG width = box.right - box.left, height = box.bottom - box.top;
    if (width <= 0 || height <= 0) {
        DeleteObject(cover);
        return;
    }
    // GDI draws the gradient on a white bitmap of the covered box, with the
    // page's mapping moved to the box's corner.
    DrawingBitmap canvas(width, height, WHITENESS);
    if (!canvas.dc) {
        DeleteObject(cover);
        s.Fail(L"no memory for a gradient of the page");
        return;
    }
    SetGraphicsMode(canvas.dc, GM_ADVANCED);
    XFORM shifted = m;
    shifted.eDx -= FLOAT(box.left);
    shifted.eDy -= FLOAT(box.top);
    SetWorldTransform(canvas.dc, &shifted);
    GdiGradientFill(canvas.dc, const_cast<TRIVERTEX*>(vertices), vertexCount, const_cast<ULONG*>(mesh), meshCount, mode);
    // Only the shapes' own pixels reach the driver.
    SendCanvas(s, canvas, box, cover);
    DeleteObject(cover);
}

bool DrawMaskedBlt(PlayState& s, RECT dest, const DibBytes* source, UINT sourceUsage, POINT sourceAt, const DibBytes& mask,
                   POINT maskAt, DWORD rop)
{
    const XFORM m = DeviceTransform(s.dc);
    RECTL target = Ordered(ToDevice(m, dest.left, dest.top), ToDevice(m, dest.right, dest.bottom));
    if (target.right - target.left != dest.right - dest.left || target.bottom - target.top != dest.bottom - dest.top)
        return false;
    DibSurface src, bits;
    // Whatever the mask's colour table says, a one means foreground.
    if ((source && !MakeDib(s, source->info, source->infoSize, source->bits, source->bitsSize, sourceUsage == DIB_PAL_COLORS,
                            {}, &src)) ||
        !MakeDib(s, mask.info, mask.infoSize, mask.bits, mask.bitsSize, false, {RGB(0, 0, 0), RGB(255, 255, 255)}, &bits) ||
        bits.surface->so.iBitmapFormat != BMF_1BPP) {
        ReleaseDib(src);
        ReleaseDib(bits);
        s.Fail(L"a bitmap of the page is malformed or of an unknown format");
        return true;
    }
    // The engine blits no pixel from outside the source or the mask: the
    // target shrinks to what both hold.
    POINTL from{sourceAt.x, sourceAt.y}, maskFrom{maskAt.x, maskAt.y};
    const RECTL whole = target;
    auto trim = [&](const SURFOBJ& so, const POINTL& at) {
        target.left = std::max(target.left, whole.left - at.x);
        target.top = std::max(target.top, whole.top - at.y);
        target.right = std::min(target.right, whole.left - at.x + so.sizlBitmap.cx);
        target.bottom = std::min(target.bottom, whole.top - at.y + so.sizlBitmap.cy);
    };
    trim(bits.surface->so, maskFrom);
    if (source) trim(src.surface->so, from);
    from = POINTL{from.x + (target.left - whole.left), from.y + (target.top - whole.top)};
    maskFrom = POINTL{maskFrom.x + (target.left - whole.left), maskFrom.y + (target.top - whole.top)};
    const BYTE fore = BYTE(rop >> 16), back = BYTE(rop >> 24);
    const ROP4 rop4 = ROP4(fore) | (ROP4(back) << 8);
    std::unique_ptr<HostClip> clip = ClipFor(s, target, nullptr);
    auto bitBlt = Hooked(s, HOOK_BITBLT) ? Ddi<PFN_DrvBitBlt>(s, INDEX_DrvBitBlt) : nullptr;
    if (bitBlt && target.right > target.left && target.bottom > target.top && !ClippedAway(*clip, target)) {
        std::unique_ptr<HostBrush> brush = UsesPattern(fore) || UsesPattern(back)
                                               ? BrushFor(s, static_cast<HBRUSH>(GetCurrentObject(s.dc, OBJ_BRUSH)))
                                               : nullptr;
        if (!bitBlt(s.surface, source ? &src.surface->so : nullptr, &bits.surface->so, &clip->co,
                    source ? &src.xlate->xo : nullptr, &target, source ? &from : nullptr, &maskFrom,
                    brush ? &brush->bo : nullptr, &s.brushOrigin, rop4))
            s.Fail(L"the graphics driver failed a masked bitmap");
        ReleaseBrush(brush);
    }
    ReleaseClip(clip);
    ReleaseDib(src);
    ReleaseDib(bits);
    return true;
}

void DrawTransparentBlt(PlayState& s, RECT dest, RECT src, const DibBytes& source, UINT sourceUsage, COLORREF transparent)
{
    const XFORM m = DeviceTransform(s.dc);
    const RECTL target = Ordered(ToDevice(m, dest.left, dest.top), ToDevice(m, dest.right, dest.bottom));
    RECT box{target.left, target.top, target.right, target.bottom};
    if (!IntersectRect(&box, &box, reinterpret_cast<const RECT*>(&s.surfaceRect))) return;
    const LONG width = box.right - box.left, height = box.bottom - box.top;
    SourceDc from(source, sourceUsage);
    if (!from.dc) {
        s.Fail(L"a bitmap of the page is malformed or of an unknown format");
        return;
    }
    // GDI draws the blit twice, on white and on black: the pixels alike in
    // both are the source's, the others let the page show through.
    DrawingBitmap onWhite(width, height, WHITENESS), onBlack(width, height, BLACKNESS);
    bool drawn = onWhite.dc && onBlack.dc;
    for (const DrawingBitmap* b : {&onWhite, &onBlack})
        drawn = drawn && GdiTransparentBlt(b->dc, target.left - box.left, target.top - box.top, target.right - target.left,
                                           target.bottom - target.top, from.dc, src.left, src.top,
                                           src.right - src.left, src.bottom - src.top, transparent);
    if (!drawn) {
        s.Fail(L"GDI could not draw a transparent blit of the page");
        return;
    }
    HRGN cover = AlikeRegion(onWhite, onBlack, box);
    if (!cover) return;
    SendCanvas(s, onWhite, box, cover);
    DeleteObject(cover);
}

void DrawAlphaBlend(PlayState& s, RECT dest, RECT src, const DibBytes& source, UINT sourceUsage, DWORD blend)
{
    const XFORM m = DeviceTransform(s.dc);
    const RECTL target = Ordered(ToDevice(m, dest.left, dest.top), ToDevice(m, dest.right, dest.bottom));
    RECT box{target.left, target.top, target.right, target.bottom};
    if (!IntersectRect(&box, &box, reinterpret_cast<const RECT*>(&s.surfaceRect))) return;
    std::unique_ptr<HostClip> clip = ClipFor(s, RECTL{box.left, box.top, box.right, box.bottom}, nullptr);
    const bool away = ClippedAway(*clip, RECTL{box.left, box.top, box.right, box.bottom});
    ReleaseClip(clip);
    if (away) return;
    const LONG width = box.right - box.left, height = box.bottom - box.top;
    SourceDc from(source, sourceUsage);
    DrawingBitmap canvas(width, height, WHITENESS);
    if (!from.dc || !canvas.dc) {
        s.Fail(L"a bitmap of the page is malformed or of an unknown format");
        return;
    }
    // What the device holds under the destination, read back in the
    // device's format and turned into colours.
    auto copyBits = Hooked(s, HOOK_COPYBITS) ? Ddi<PFN_DrvCopyBits>(s, INDEX_DrvCopyBits) : nullptr;
    if (copyBits) {
        ULONG mode = 0;
        std::vector<ULONG> colors;
        DevicePalette(*s.device, &mode, &colors);
        HostSurface* back = CreateHostBitmap(SIZEL{width, height}, s.surface->iBitmapFormat, true, nullptr, 0);
        if (back) {
            RECTL whole{0, 0, width, height};
            EngEraseSurface(&back->so, &whole, RgbToDevice(mode, colors, RGB(255, 255, 255)));
            POINTL at{box.left, box.top};
            copyBits(&back->so, s.surface, nullptr, nullptr, &whole, &at);
            for (LONG y = 0; y < height; ++y) {
                BYTE* row = static_cast<BYTE*>(canvas.bits) + size_t(y) * canvas.stride;
                for (LONG x = 0; x < width; ++x) {
                    const COLORREF c = DeviceToRgb(mode, colors, ReadPixel(back->so, x, y));
                    row[x * 3] = GetBValue(c);
                    row[x * 3 + 1] = GetGValue(c);
                    row[x * 3 + 2] = GetRValue(c);
                }
            }
            DeleteHostSurface(back);
        }
    }
    BLENDFUNCTION function{};
    std::memcpy(&function, &blend, sizeof(function));
    if (!GdiAlphaBlend(canvas.dc, target.left - box.left, target.top - box.top, target.right - target.left,
                       target.bottom - target.top, from.dc, src.left, src.top, src.right - src.left, src.bottom - src.top,
                       function)) {
        s.Fail(L"GDI could not draw an alpha-blended blit of the page");
        return;
    }
    SendCanvas(s, canvas, box, nullptr);
}

void DrawPatternBlt(PlayState& s, RECT dest, DWORD rop)
{
    if (!Hooked(s, HOOK_BITBLT)) return;
    auto f = Ddi<PFN_DrvBitBlt>(s, INDEX_DrvBitBlt);
    if (!f) return;
    const XFORM m = DeviceTransform(s.dc);
    RECTL target = Ordered(ToDevice(m, dest.left, dest.top), ToDevice(m, dest.right, dest.bottom));
    const BYTE rop3 = BYTE(rop >> 16);
    std::unique_ptr<HostClip> clip = ClipFor(s, target, nullptr);
    if (ClippedAway(*clip, target)) {
        ReleaseClip(clip);
        return;
    }
    std::unique_ptr<HostBrush> brush = BrushFor(s, static_cast<HBRUSH>(GetCurrentObject(s.dc, OBJ_BRUSH)));
    if (!f(s.surface, nullptr, nullptr, &clip->co, nullptr, &target, nullptr, nullptr, brush ? &brush->bo : nullptr,
           &s.brushOrigin, ROP4(rop3) | (ROP4(rop3) << 8)))
        s.Fail(L"the graphics driver failed a pattern fill");
    ReleaseClip(clip);
    ReleaseBrush(brush);
}

void FillRects(PlayState& s, const std::vector<RECTL>& rects, HBRUSH handle)
{
    if (rects.empty() || !Hooked(s, HOOK_FILLPATH)) return;
    auto f = Ddi<PFN_DrvFillPath>(s, INDEX_DrvFillPath);
    std::unique_ptr<HostBrush> brush = BrushFor(s, handle);
    if (!f || !brush) { ReleaseBrush(brush); return; }
    HostPath* path = MakePathFromRects(rects);
    RECTL bounds = rects.front();
    for (const RECTL& r : rects) {
        bounds.left = std::min(bounds.left, r.left);
        bounds.top = std::min(bounds.top, r.top);
        bounds.right = std::max(bounds.right, r.right);
        bounds.bottom = std::max(bounds.bottom, r.bottom);
    }
    std::unique_ptr<HostClip> clip = ClipFor(s, bounds, nullptr);
    if (!ClippedAway(*clip, bounds) &&
        !f(s.surface, &path->po, &clip->co, &brush->bo, &s.brushOrigin, Mix(s), FP_ALTERNATEMODE))
        s.Fail(L"the graphics driver failed a region fill");
    ReleasePath(path);
    ReleaseClip(clip);
    ReleaseBrush(brush);
}

void InvertRects(PlayState& s, const std::vector<RECTL>& rects)
{
    if (!Hooked(s, HOOK_BITBLT)) return;
    auto f = Ddi<PFN_DrvBitBlt>(s, INDEX_DrvBitBlt);
    if (!f) return;
    constexpr ROP4 kDestinationInvert = 0x5555;
    for (RECTL r : rects) {
        std::unique_ptr<HostClip> clip = ClipFor(s, r, nullptr);
        if (!ClippedAway(*clip, r) &&
            !f(s.surface, nullptr, nullptr, &clip->co, nullptr, &r, nullptr, nullptr, nullptr, &s.brushOrigin,
               kDestinationInvert))
            s.Fail(L"the graphics driver failed a region inversion");
        ReleaseClip(clip);
    }
}

} // namespace printhost
