// The records of a page's metafile, played one by one: state records go to the
// playback DC, drawing records become DDI calls.
#include "printhost/page_player.h"
#include "printhost/driver_table.h"
#include "printhost/metafile_check.h"
#include "printhost/page_comment.h"
#include "printhost/page_player_state.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <iterator>

namespace printhost {

namespace {

// A record's bytes with the size checked before any field is read.
struct Record {
    const BYTE* data;
    size_t size;
    template <typename T> const T* As() const { return size >= sizeof(T) ? reinterpret_cast<const T*>(data) : nullptr; }
    bool Holds(size_t offset, size_t bytes) const { return offset <= size && bytes <= size - offset; }
};

// The pen record as stored in a metafile (mingw-w64 declares it with the
// pointer-sized hatch of the in-memory pen).
struct ExtCreatePenRecord {
    EMR emr;
    DWORD ihPen, offBmi, cbBmi, offBits, cbBits;
    EXTLOGPEN32 elp;
};

// An escape comment of the page reaches the driver in place; what the driver
// answers has no one left to hear it.
void PlayEscapeComment(PlayState& s, const EMRGDICOMMENT& rec)
{
    EscapeComment head{};
    if (rec.cbData < sizeof(head)) return;
    std::memcpy(&head, rec.Data, sizeof(head));
    if (head.signature != kEscapeSignature) return;
    std::vector<BYTE> in(rec.Data + sizeof(head), rec.Data + rec.cbData);
    if (auto escape = DriverFunction<PFN_DrvEscape>(*s.device->driver, INDEX_DrvEscape))
        escape(s.surface, head.escape, ULONG(in.size()), in.empty() ? nullptr : in.data(), 0, nullptr);
}

void Keep(PlayState& s, DWORD index, HGDIOBJ object)
{
    if (index >= s.handles.size()) {
        if (object) DeleteObject(object);
        return;
    }
    if (s.handles[index]) {
        s.patterns.erase(s.handles[index]);
        DeleteObject(s.handles[index]);
    }
    s.handles[index] = object;
}

HGDIOBJ Object(const PlayState& s, DWORD index)
{
    if (index & 0x80000000) return GetStockObject(int(index & 0x7FFFFFFF));
    return index < s.handles.size() ? s.handles[index] : nullptr;
}

// Shapes outside a page path bracket are drawn as a path of their own.
template <typename Draw>
void Shape(PlayState& s, PaintKind kind, bool ellipse, Draw draw)
{
    if (s.pathDepth > 0) {
        draw();
        return;
    }
    POINT start{};
    GetCurrentPositionEx(s.dc, &start);
    BeginPath(s.dc);
    draw();
    EndPath(s.dc);
    DrawCurrentPath(s, kind, ellipse, [&] {
        MoveToEx(s.dc, start.x, start.y, nullptr);
        draw();
    });
    AbortPath(s.dc);
}

template <typename P>
std::vector<POINT> Points(const P* points, DWORD count)
{
    std::vector<POINT> out(count);
    for (DWORD i = 0; i < count; ++i) out[i] = POINT{points[i].x, points[i].y};
    return out;
}

// Poly records: EMRPOLYLINE (POINTL) and EMRPOLYLINE16 (POINTS) share a head.
template <typename P>
bool PolyPoints(const Record& r, std::vector<POINT>* out)
{
    const size_t head = offsetof(EMRPOLYLINE, aptl);
    if (!r.Holds(0, head)) return false;
    const DWORD count = reinterpret_cast<const EMRPOLYLINE*>(r.data)->cptl;
    if (!r.Holds(head, size_t(count) * sizeof(P))) return false;
    *out = Points(reinterpret_cast<const P*>(r.data + head), count);
    return true;
}

template <typename P>
bool PolyPolyPoints(const Record& r, std::vector<DWORD>* counts, std::vector<POINT>* points)
{
    const size_t head = offsetof(EMRPOLYPOLYLINE, aPolyCounts);
    if (!r.Holds(0, head)) return false;
    const auto* rec = reinterpret_cast<const EMRPOLYPOLYLINE*>(r.data);
    if (!r.Holds(head, size_t(rec->nPolys) * sizeof(DWORD))) return false;
    const DWORD* c = rec->aPolyCounts;
    uint64_t total = 0;
    for (DWORD i = 0; i < rec->nPolys; ++i) total += c[i];
    if (total != rec->cptl) return false;
    const size_t at = head + size_t(rec->nPolys) * sizeof(DWORD);
    if (!r.Holds(at, size_t(total) * sizeof(P))) return false;
    counts->assign(c, c + rec->nPolys);
    *points = Points(reinterpret_cast<const P*>(r.data + at), DWORD(total));
    return true;
}

void PlayPoly(PlayState& s, const Record& r, DWORD type)
{
    std::vector<POINT> p;
    std::vector<DWORD> counts;
    const bool small = type == EMR_POLYLINE16 || type == EMR_POLYGON16 || type == EMR_POLYBEZIER16 ||
                       type == EMR_POLYBEZIERTO16 || type == EMR_POLYLINETO16 || type == EMR_POLYPOLYLINE16 ||
                       type == EMR_POLYPOLYGON16;
    const bool polyPoly = type == EMR_POLYPOLYLINE || type == EMR_POLYPOLYGON || type == EMR_POLYPOLYLINE16 ||
                          type == EMR_POLYPOLYGON16;
    const bool read = polyPoly ? (small ? PolyPolyPoints<POINTS>(r, &counts, &p) : PolyPolyPoints<POINTL>(r, &counts, &p))
                               : (small ? PolyPoints<POINTS>(r, &p) : PolyPoints<POINTL>(r, &p));
    if (!read) {
        s.Fail(L"a polygon record is shorter than its point count");
        return;
    }
    const int n = int(p.size());
    switch (type) {
    case EMR_POLYLINE: case EMR_POLYLINE16:
        Shape(s, PaintKind::Stroke, false, [&] { Polyline(s.dc, p.data(), n); });
        break;
    case EMR_POLYGON: case EMR_POLYGON16:
        Shape(s, PaintKind::StrokeAndFill, false, [&] { Polygon(s.dc, p.data(), n); });
        break;
    case EMR_POLYBEZIER: case EMR_POLYBEZIER16:
        Shape(s, PaintKind::Stroke, false, [&] { PolyBezier(s.dc, p.data(), DWORD(n)); });
        break;
    case EMR_POLYBEZIERTO: case EMR_POLYBEZIERTO16:
        Shape(s, PaintKind::Stroke, false, [&] { PolyBezierTo(s.dc, p.data(), DWORD(n)); });
        break;
    case EMR_POLYLINETO: case EMR_POLYLINETO16:
        Shape(s, PaintKind::Stroke, false, [&] { PolylineTo(s.dc, p.data(), DWORD(n)); });
        break;
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYLINE16:
        Shape(s, PaintKind::Stroke, false, [&] { PolyPolyline(s.dc, p.data(), counts.data(), DWORD(counts.size())); });
        break;
    default: {
        std::vector<INT> ints(counts.begin(), counts.end());
        Shape(s, PaintKind::StrokeAndFill, false, [&] { PolyPolygon(s.dc, p.data(), ints.data(), int(ints.size())); });
        break;
    }
    }
}

// A pattern brush keeps its DIB so that the driver can realise it.
void KeepPattern(PlayState& s, const Record& r, bool mono)
{
    const auto* rec = r.As<EMRCREATEDIBPATTERNBRUSHPT>();
    if (!rec || !r.Holds(rec->offBmi, rec->cbBmi) || !r.Holds(rec->offBits, rec->cbBits) ||
        rec->cbBmi < sizeof(BITMAPINFOHEADER)) {
        s.Fail(L"a pattern brush record is malformed");
        return;
    }
    PatternBits pattern;
    pattern.info.assign(r.data + rec->offBmi, r.data + rec->offBmi + rec->cbBmi);
    pattern.bits.assign(r.data + rec->offBits, r.data + rec->offBits + rec->cbBits);
    pattern.mono = mono;
    std::vector<BYTE> packed = pattern.info;
    packed.insert(packed.end(), pattern.bits.begin(), pattern.bits.end());
    HBRUSH brush = CreateDIBPatternBrushPt(packed.data(), mono ? DIB_PAL_COLORS : rec->iUsage);
    if (!brush) brush = CreateSolidBrush(0);
    s.patterns[brush] = std::move(pattern);
    Keep(s, rec->ihBrush, brush);
}

std::vector<RECTL> RegionRects(const BYTE* data, DWORD size)
{
    std::vector<RECTL> rects;
    if (size < sizeof(RGNDATAHEADER)) return rects;
    const auto* header = reinterpret_cast<const RGNDATAHEADER*>(data);
    if (header->nCount > (size - sizeof(RGNDATAHEADER)) / sizeof(RECT)) return rects;
    const auto* r = reinterpret_cast<const RECT*>(data + sizeof(RGNDATAHEADER));
    for (DWORD i = 0; i < header->nCount; ++i) rects.push_back(RECTL{r[i].left, r[i].top, r[i].right, r[i].bottom});
    return rects;
}

void PlayText(PlayState& s, const Record& r, bool wide)
{
    const auto* rec = r.As<EMREXTTEXTOUTW>();
    if (!rec) { s.Fail(L"a text record is too short"); return; }
    const EMRTEXT& t = rec->emrtext;
    const size_t unit = wide ? sizeof(WCHAR) : 1;
    if (!r.Holds(t.offString, size_t(t.nChars) * unit)) { s.Fail(L"a text record is shorter than its string"); return; }
    std::wstring text;
    if (wide) {
        text.assign(reinterpret_cast<const WCHAR*>(r.data + t.offString), t.nChars);
    } else if (t.nChars) {
        const int n = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(r.data + t.offString), int(t.nChars),
                                          nullptr, 0);
        text.resize(size_t(n));
        MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(r.data + t.offString), int(t.nChars), text.data(), n);
    }
    const size_t dxCount = (t.fOptions & ETO_PDY) ? size_t(t.nChars) * 2 : t.nChars;
    const INT* dx = t.offDx && r.Holds(t.offDx, dxCount * sizeof(INT)) ? reinterpret_cast<const INT*>(r.data + t.offDx)
                                                                        : nullptr;
    if (s.pathDepth > 0) {
        RECT clip{t.rcl.left, t.rcl.top, t.rcl.right, t.rcl.bottom};
        ExtTextOutW(s.dc, t.ptlReference.x, t.ptlReference.y, t.fOptions, &clip, text.c_str(), UINT(text.size()), dx);
        return;
    }
    DrawText(s, *rec, text, dx, dx ? dxCount : 0);
}

template <typename T>
void PlayBlt(PlayState& s, const Record& r, const T* rec, LONG cxSrc, LONG cySrc)
{
    RECT dest{rec->xDest, rec->yDest, rec->xDest + rec->cxDest, rec->yDest + rec->cyDest};
    if (rec->cbBmiSrc == 0) {
        DrawPatternBlt(s, dest, rec->dwRop);
        return;
    }
    if (!r.Holds(rec->offBmiSrc, rec->cbBmiSrc) || !r.Holds(rec->offBitsSrc, rec->cbBitsSrc)) {
        s.Fail(L"a bitmap record is shorter than its bitmap");
        return;
    }
    RECT src{rec->xSrc, rec->ySrc, rec->xSrc + cxSrc, rec->ySrc + cySrc};
    // The bitmap is the source device context's, its rows counted from the top.
    DrawDib(s, reinterpret_cast<const BITMAPINFO*>(r.data + rec->offBmiSrc), rec->cbBmiSrc, r.data + rec->offBitsSrc,
            rec->cbBitsSrc, rec->iUsageSrc, dest, src, rec->dwRop, SourceRows::FromTop);
}

// AlphaBlend and TransparentBlt: the record keeps the blend function or the
// colour left out where a blit keeps its raster operation.
void PlayComposedBlt(PlayState& s, const Record& r, const EMRALPHABLEND& rec, DWORD type)
{
    if (!r.Holds(rec.offBmiSrc, rec.cbBmiSrc) || !r.Holds(rec.offBitsSrc, rec.cbBitsSrc)) {
        s.Fail(L"a bitmap record is shorter than its bitmap");
        return;
    }
    const DibBytes source{reinterpret_cast<const BITMAPINFO*>(r.data + rec.offBmiSrc), rec.cbBmiSrc,
                          r.data + rec.offBitsSrc, rec.cbBitsSrc};
    const RECT dest{rec.xDest, rec.yDest, rec.xDest + rec.cxDest, rec.yDest + rec.cyDest};
    const RECT src{rec.xSrc, rec.ySrc, rec.xSrc + rec.cxSrc, rec.ySrc + rec.cySrc};
    if (type == EMR_ALPHABLEND)
        DrawAlphaBlend(s, dest, src, source, rec.iUsageSrc, rec.dwRop);
    else
        DrawTransparentBlt(s, dest, src, source, rec.iUsageSrc, COLORREF(rec.dwRop));
}

// False for a masked blit the host does not play (one the mapping stretches).
bool PlayMaskBlt(PlayState& s, const Record& r, const EMRMASKBLT& rec)
{
    const bool hasSource = rec.cbBmiSrc != 0;
    if ((hasSource && (!r.Holds(rec.offBmiSrc, rec.cbBmiSrc) || !r.Holds(rec.offBitsSrc, rec.cbBitsSrc))) ||
        !r.Holds(rec.offBmiMask, rec.cbBmiMask) || !r.Holds(rec.offBitsMask, rec.cbBitsMask)) {
        s.Fail(L"a bitmap record is shorter than its bitmap");
        return true;
    }
    const RECT dest{rec.xDest, rec.yDest, rec.xDest + rec.cxDest, rec.yDest + rec.cyDest};
    // Without a mask MaskBlt is a BitBlt with the foreground operation.
    if (rec.cbBmiMask == 0) {
        const DWORD rop = rec.dwRop & 0x00FFFFFF;
        if (hasSource)
            DrawDib(s, reinterpret_cast<const BITMAPINFO*>(r.data + rec.offBmiSrc), rec.cbBmiSrc, r.data + rec.offBitsSrc,
                    rec.cbBitsSrc, rec.iUsageSrc, dest, RECT{rec.xSrc, rec.ySrc, rec.xSrc + rec.cxDest, rec.ySrc + rec.cyDest},
                    rop, SourceRows::FromTop);
        else
            DrawPatternBlt(s, dest, rop);
        return true;
    }
    const DibBytes source{reinterpret_cast<const BITMAPINFO*>(r.data + rec.offBmiSrc), rec.cbBmiSrc, r.data + rec.offBitsSrc,
                          rec.cbBitsSrc};
    const DibBytes mask{reinterpret_cast<const BITMAPINFO*>(r.data + rec.offBmiMask), rec.cbBmiMask,
                        r.data + rec.offBitsMask, rec.cbBitsMask};
    return DrawMaskedBlt(s, dest, hasSource ? &source : nullptr, rec.iUsageSrc, POINT{rec.xSrc, rec.ySrc}, mask,
                         POINT{rec.xMask, rec.yMask}, rec.dwRop);
}

// SetDIBitsToDevice may hand over a band of the DIB: the bits hold scan lines
// iStartScan to iStartScan + cScans - 1 only. GDI draws the part of the source
// rectangle those lines hold, one to one; the band is played as a DIB of its
// own height.
void PlayDibBand(PlayState& s, const Record& r, const EMRSETDIBITSTODEVICE& rec)
{
    const auto* info = reinterpret_cast<const BITMAPINFO*>(r.data + rec.offBmiSrc);
    if (rec.cbBmiSrc < sizeof(BITMAPINFOHEADER) || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER)) {
        s.Fail(L"a bitmap of the page is malformed or of an unknown format");
        return;
    }
    const LONG height = info->bmiHeader.biHeight;
    const bool bottomUp = height > 0;
    const int64_t lines = bottomUp ? height : -int64_t(height);
    const int64_t start = rec.iStartScan;
    const int64_t end = std::min<int64_t>(start + rec.cScans, lines);
    // Rows of the source rectangle, counted as the band's lines are.
    const int64_t first = std::max<int64_t>(rec.ySrc, start);
    const int64_t last = std::min<int64_t>(int64_t(rec.ySrc) + rec.cySrc, end);
    if (first >= last || rec.cxSrc == 0) return;
    std::vector<BYTE> band(r.data + rec.offBmiSrc, r.data + rec.offBmiSrc + rec.cbBmiSrc);
    auto* bandInfo = reinterpret_cast<BITMAPINFO*>(band.data());
    bandInfo->bmiHeader.biHeight = LONG(bottomUp ? end - start : start - end);
    bandInfo->bmiHeader.biSizeImage = 0;
    const LONG rows = LONG(last - first);
    // Bottom-up: the source's higher lines are nearer the destination's top.
    const LONG destTop = bottomUp ? LONG(rec.yDest + (int64_t(rec.ySrc) + rec.cySrc - last)) : LONG(rec.yDest + (first - rec.ySrc));
    RECT dest{rec.xDest, destTop, rec.xDest + LONG(rec.cxSrc), destTop + rows};
    RECT src{rec.xSrc, LONG(first - start), rec.xSrc + LONG(rec.cxSrc), LONG(first - start) + rows};
    DrawDib(s, bandInfo, band.size(), r.data + rec.offBitsSrc, rec.cbBitsSrc, rec.iUsageSrc, dest, src, SRCCOPY,
            SourceRows::FromDibOrigin);
}

// The frame of a region: the region less what stays inside it when it is
// moved by the frame's width and height each way (GDI's frame).
std::vector<RECTL> FrameRects(const std::vector<RECTL>& rects, LONG width, LONG height)
{
    std::vector<RECTL> out;
    if (rects.empty()) return out;
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    for (const RECTL& r : rects) {
        HRGN piece = CreateRectRgn(r.left, r.top, r.right, r.bottom);
        CombineRgn(region, region, piece, RGN_OR);
        DeleteObject(piece);
    }
    HRGN inner = CreateRectRgn(0, 0, 0, 0);
    HRGN moved = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(inner, region, nullptr, RGN_COPY);
    const POINT shifts[] = {{width, 0}, {-width, 0}, {0, height}, {0, -height}};
    for (const POINT& shift : shifts) {
        CombineRgn(moved, region, nullptr, RGN_COPY);
        OffsetRgn(moved, shift.x, shift.y);
        CombineRgn(inner, inner, moved, RGN_AND);
    }
    CombineRgn(region, region, inner, RGN_DIFF);
    out = RegionRectangles(region);
    DeleteObject(region);
    DeleteObject(inner);
    DeleteObject(moved);
    return out;
}

// Records the engine would draw through entry points this host does not
// provide: the page is refused with the record's name rather than printed
// without them.
void RefuseRecord(PlayState& s, const wchar_t* name)
{
    s.Fail(std::wstring(L"the page holds ") + name + L" drawing, which the host does not play");
}

void PlayRecord(PlayState& s, const Record& r);

// Records that add to a path and can be traced again as they were.
constexpr DWORD kPathDrawing[] = {
    EMR_POLYLINE, EMR_POLYLINE16, EMR_POLYGON, EMR_POLYGON16, EMR_POLYBEZIER, EMR_POLYBEZIER16, EMR_POLYBEZIERTO,
    EMR_POLYBEZIERTO16, EMR_POLYLINETO, EMR_POLYLINETO16, EMR_POLYPOLYLINE, EMR_POLYPOLYLINE16, EMR_POLYPOLYGON,
    EMR_POLYPOLYGON16, EMR_LINETO, EMR_RECTANGLE, EMR_ELLIPSE, EMR_ROUNDRECT, EMR_ARC, EMR_ARCTO, EMR_CHORD, EMR_PIE,
    EMR_ANGLEARC, EMR_POLYDRAW, EMR_POLYDRAW16, EMR_MOVETOEX, EMR_CLOSEFIGURE,
};
// Records after which a second tracing of the bracket would not be the path
// GDI built: mapping changes, saved states, text outlines, path rewrites.
constexpr DWORD kPathBreaking[] = {
    EMR_SETMAPMODE, EMR_SETWINDOWEXTEX, EMR_SETWINDOWORGEX, EMR_SETVIEWPORTEXTEX, EMR_SETVIEWPORTORGEX,
    EMR_SCALEVIEWPORTEXTEX, EMR_SCALEWINDOWEXTEX, EMR_SETWORLDTRANSFORM, EMR_MODIFYWORLDTRANSFORM, EMR_SAVEDC,
    EMR_RESTOREDC, EMR_SETARCDIRECTION, EMR_EXTTEXTOUTW, EMR_EXTTEXTOUTA, EMR_POLYTEXTOUTW, EMR_POLYTEXTOUTA,
    EMR_WIDENPATH, EMR_FLATTENPATH,
};

template <size_t N>
bool Listed(const DWORD (&list)[N], DWORD type)
{
    return std::find(std::begin(list), std::end(list), type) != std::end(list);
}

void NoteBracketRecord(PlayState& s, const Record& r, DWORD type)
{
    if (s.pathDepth > 0 && Listed(kPathDrawing, type))
        s.bracket.emplace_back(r.data, r.size);
    else if (Listed(kPathBreaking, type))
        s.bracketFine = false;
}

// The page's own path, painted: traced a second time in sixteenths from the
// bracket's records when nothing in the bracket stands in the way.
void PaintBracket(PlayState& s, PaintKind kind)
{
    const bool fine = s.bracketOpen && s.bracketFine;
    s.bracketOpen = false;
    const std::vector<std::pair<const BYTE*, size_t>> records = std::move(s.bracket);
    s.bracket.clear();
    const POINT start = s.bracketStart;
    DrawCurrentPath(s, kind, false, fine ? std::function<void()>([&] {
        MoveToEx(s.dc, start.x, start.y, nullptr);
        const int depth = s.pathDepth;
        s.pathDepth = 1;
        for (const auto& record : records) PlayRecord(s, Record{record.first, record.second});
        s.pathDepth = depth;
    }) : nullptr);
    AbortPath(s.dc);
    s.pathDepth = 0;
}

void PlayRecord(PlayState& s, const Record& r)
{
    const DWORD type = reinterpret_cast<const EMR*>(r.data)->iType;
    if (s.bracketOpen) NoteBracketRecord(s, r, type);
    switch (type) {
    // Objects.
    case EMR_CREATEPEN:
        if (auto* rec = r.As<EMRCREATEPEN>()) Keep(s, rec->ihPen, CreatePenIndirect(&rec->lopn));
        break;
    case EMR_EXTCREATEPEN:
        if (auto* rec = r.As<ExtCreatePenRecord>()) {
            const EXTLOGPEN32& e = rec->elp;
            if (e.elpNumEntries > 16 ||
                !r.Holds(offsetof(ExtCreatePenRecord, elp.elpStyleEntry), size_t(e.elpNumEntries) * sizeof(DWORD)))
                break;
            LOGBRUSH lb{e.elpBrushStyle == BS_SOLID || e.elpBrushStyle == BS_HATCHED ? e.elpBrushStyle : BS_SOLID,
                        e.elpColor, e.elpHatch};
            HPEN pen = ExtCreatePen(e.elpPenStyle, e.elpWidth, &lb, (e.elpPenStyle & PS_STYLE_MASK) == PS_USERSTYLE
                                                                       ? e.elpNumEntries : 0,
                                    e.elpNumEntries ? e.elpStyleEntry : nullptr);
            Keep(s, rec->ihPen, pen);
        }
        break;
    case EMR_CREATEBRUSHINDIRECT:
        if (auto* rec = r.As<EMRCREATEBRUSHINDIRECT>()) {
            LOGBRUSH lb{rec->lb.lbStyle, rec->lb.lbColor, rec->lb.lbHatch};
            if (lb.lbStyle != BS_SOLID && lb.lbStyle != BS_HATCHED && lb.lbStyle != BS_NULL) lb.lbStyle = BS_SOLID;
            Keep(s, rec->ihBrush, CreateBrushIndirect(&lb));
        }
        break;
    case EMR_CREATEDIBPATTERNBRUSHPT: KeepPattern(s, r, false); break;
    case EMR_CREATEMONOBRUSH: KeepPattern(s, r, true); break;
    case EMR_EXTCREATEFONTINDIRECTW:
        if (r.Holds(0, offsetof(EMREXTCREATEFONTINDIRECTW, elfw) + sizeof(LOGFONTW))) {
            auto* rec = reinterpret_cast<const EMREXTCREATEFONTINDIRECTW*>(r.data);
            Keep(s, rec->ihFont, CreateFontIndirectW(&rec->elfw.elfLogFont));
        }
        break;
    case EMR_CREATEPALETTE:
        if (auto* rec = r.As<EMRCREATEPALETTE>()) Keep(s, rec->ihPal, nullptr);
        break;
    case EMR_SELECTOBJECT:
        if (auto* rec = r.As<EMRSELECTOBJECT>())
            if (HGDIOBJ o = Object(s, rec->ihObject)) SelectObject(s.dc, o);
        break;
    case EMR_DELETEOBJECT:
        if (auto* rec = r.As<EMRDELETEOBJECT>()) Keep(s, rec->ihObject, nullptr);
        break;
    // State.
    case EMR_SETMAPMODE: if (auto* rec = r.As<EMRSETMAPMODE>()) SetMapMode(s.dc, int(rec->iMode)); break;
    case EMR_SETWINDOWEXTEX: if (auto* rec = r.As<EMRSETWINDOWEXTEX>()) SetWindowExtEx(s.dc, rec->szlExtent.cx, rec->szlExtent.cy, nullptr); break;
    case EMR_SETWINDOWORGEX: if (auto* rec = r.As<EMRSETWINDOWORGEX>()) SetWindowOrgEx(s.dc, rec->ptlOrigin.x, rec->ptlOrigin.y, nullptr); break;
    case EMR_SETVIEWPORTEXTEX: if (auto* rec = r.As<EMRSETVIEWPORTEXTEX>()) SetViewportExtEx(s.dc, rec->szlExtent.cx, rec->szlExtent.cy, nullptr); break;
    case EMR_SETVIEWPORTORGEX: if (auto* rec = r.As<EMRSETVIEWPORTORGEX>()) SetViewportOrgEx(s.dc, rec->ptlOrigin.x, rec->ptlOrigin.y, nullptr); break;
    case EMR_SCALEVIEWPORTEXTEX:
        if (auto* rec = r.As<EMRSCALEVIEWPORTEXTEX>())
            if (rec->xDenom && rec->yDenom) ScaleViewportExtEx(s.dc, rec->xNum, rec->xDenom, rec->yNum, rec->yDenom, nullptr);
        break;
    case EMR_SCALEWINDOWEXTEX:
        if (auto* rec = r.As<EMRSCALEWINDOWEXTEX>())
            if (rec->xDenom && rec->yDenom) ScaleWindowExtEx(s.dc, rec->xNum, rec->xDenom, rec->yNum, rec->yDenom, nullptr);
        break;
    case EMR_SETWORLDTRANSFORM: if (auto* rec = r.As<EMRSETWORLDTRANSFORM>()) SetWorldTransform(s.dc, &rec->xform); break;
    case EMR_MODIFYWORLDTRANSFORM:
        if (auto* rec = r.As<EMRMODIFYWORLDTRANSFORM>()) ModifyWorldTransform(s.dc, &rec->xform, rec->iMode);
        break;
    case EMR_SAVEDC: SaveDC(s.dc); break;
    case EMR_RESTOREDC: if (auto* rec = r.As<EMRRESTOREDC>()) RestoreDC(s.dc, rec->iRelative); break;
    case EMR_SETBKMODE: if (auto* rec = r.As<EMRSETBKMODE>()) SetBkMode(s.dc, int(rec->iMode)); break;
    case EMR_SETBKCOLOR: if (auto* rec = r.As<EMRSETBKCOLOR>()) SetBkColor(s.dc, rec->crColor); break;
    case EMR_SETTEXTCOLOR: if (auto* rec = r.As<EMRSETTEXTCOLOR>()) SetTextColor(s.dc, rec->crColor); break;
    case EMR_SETPOLYFILLMODE: if (auto* rec = r.As<EMRSETPOLYFILLMODE>()) SetPolyFillMode(s.dc, int(rec->iMode)); break;
    case EMR_SETROP2: if (auto* rec = r.As<EMRSETROP2>()) SetROP2(s.dc, int(rec->iMode)); break;
    case EMR_SETTEXTALIGN: if (auto* rec = r.As<EMRSETTEXTALIGN>()) SetTextAlign(s.dc, rec->iMode); break;
    case EMR_SETSTRETCHBLTMODE: if (auto* rec = r.As<EMRSETSTRETCHBLTMODE>()) SetStretchBltMode(s.dc, int(rec->iMode)); break;
    case EMR_SETMITERLIMIT: if (auto* rec = r.As<EMRSETMITERLIMIT>()) SetMiterLimit(s.dc, rec->eMiterLimit, nullptr); break;
    case EMR_SETARCDIRECTION: if (auto* rec = r.As<EMRSETARCDIRECTION>()) SetArcDirection(s.dc, int(rec->iArcDirection)); break;
    case EMR_SETBRUSHORGEX: if (auto* rec = r.As<EMRSETBRUSHORGEX>()) s.brushOrigin = rec->ptlOrigin; break;
    case EMR_MOVETOEX: if (auto* rec = r.As<EMRMOVETOEX>()) MoveToEx(s.dc, rec->ptl.x, rec->ptl.y, nullptr); break;
    // Clipping.
    case EMR_EXTSELECTCLIPRGN:
        // A record without region data (the clip removed) is shorter than the declared record.
        if (r.Holds(0, offsetof(EMREXTSELECTCLIPRGN, RgnData))) {
            auto* rec = reinterpret_cast<const EMREXTSELECTCLIPRGN*>(r.data);
            if (rec->cbRgnData == 0 || !r.Holds(offsetof(EMREXTSELECTCLIPRGN, RgnData), rec->cbRgnData)) {
                ExtSelectClipRgn(s.dc, nullptr, RGN_COPY);
                break;
            }
            HRGN rgn = RegionFromData(reinterpret_cast<const RGNDATA*>(rec->RgnData), rec->cbRgnData);
            if (rgn) {
                ExtSelectClipRgn(s.dc, rgn, int(rec->iMode));
                DeleteObject(rgn);
            }
        }
        break;
    case EMR_INTERSECTCLIPRECT:
        if (auto* rec = r.As<EMRINTERSECTCLIPRECT>())
            IntersectClipRect(s.dc, rec->rclClip.left, rec->rclClip.top, rec->rclClip.right, rec->rclClip.bottom);
        break;
    case EMR_EXCLUDECLIPRECT:
        if (auto* rec = r.As<EMREXCLUDECLIPRECT>())
            ExcludeClipRect(s.dc, rec->rclClip.left, rec->rclClip.top, rec->rclClip.right, rec->rclClip.bottom);
        break;
    case EMR_OFFSETCLIPRGN: if (auto* rec = r.As<EMROFFSETCLIPRGN>()) OffsetClipRgn(s.dc, rec->ptlOffset.x, rec->ptlOffset.y); break;
    case EMR_SETMETARGN: SetMetaRgn(s.dc); break;
    case EMR_SELECTCLIPPATH:
        if (auto* rec = r.As<EMRSELECTCLIPPATH>()) {
            SelectClipPath(s.dc, int(rec->iMode));
            s.pathDepth = 0;
            s.bracketOpen = false;
        }
        break;
    // Paths.
    case EMR_BEGINPATH:
        BeginPath(s.dc);
        s.pathDepth = 1;
        s.bracket.clear();
        s.bracketOpen = s.bracketFine = true;
        GetCurrentPositionEx(s.dc, &s.bracketStart);
        break;
    case EMR_ENDPATH: EndPath(s.dc); s.pathDepth = 0; break;
    case EMR_CLOSEFIGURE: CloseFigure(s.dc); break;
    case EMR_ABORTPATH: AbortPath(s.dc); s.pathDepth = 0; s.bracketOpen = false; break;
    case EMR_FLATTENPATH: FlattenPath(s.dc); break;
    case EMR_WIDENPATH: WidenPath(s.dc); break;
    case EMR_STROKEPATH: PaintBracket(s, PaintKind::Stroke); break;
    case EMR_FILLPATH: PaintBracket(s, PaintKind::Fill); break;
    case EMR_STROKEANDFILLPATH: PaintBracket(s, PaintKind::StrokeAndFill); break;
    // Shapes.
    case EMR_POLYLINE: case EMR_POLYLINE16: case EMR_POLYGON: case EMR_POLYGON16: case EMR_POLYBEZIER:
    case EMR_POLYBEZIER16: case EMR_POLYBEZIERTO: case EMR_POLYBEZIERTO16: case EMR_POLYLINETO: case EMR_POLYLINETO16:
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON: case EMR_POLYPOLYGON16:
        PlayPoly(s, r, type);
        break;
    case EMR_LINETO:
        if (auto* rec = r.As<EMRLINETO>()) Shape(s, PaintKind::Stroke, false, [&] { LineTo(s.dc, rec->ptl.x, rec->ptl.y); });
        break;
    case EMR_RECTANGLE:
        if (auto* rec = r.As<EMRRECTANGLE>()) {
            const RECTL& b = rec->rclBox;
            Shape(s, PaintKind::StrokeAndFill, false, [&] { Rectangle(s.dc, b.left, b.top, b.right, b.bottom); });
        }
        break;
    case EMR_ELLIPSE:
        if (auto* rec = r.As<EMRELLIPSE>()) {
            const RECTL& b = rec->rclBox;
            Shape(s, PaintKind::StrokeAndFill, true, [&] { Ellipse(s.dc, b.left, b.top, b.right, b.bottom); });
        }
        break;
    case EMR_ROUNDRECT:
        if (auto* rec = r.As<EMRROUNDRECT>()) {
            const RECTL& b = rec->rclBox;
            Shape(s, PaintKind::StrokeAndFill, false,
                  [&] { RoundRect(s.dc, b.left, b.top, b.right, b.bottom, rec->szlCorner.cx, rec->szlCorner.cy); });
        }
        break;
    case EMR_ARC: case EMR_ARCTO: case EMR_CHORD: case EMR_PIE:
        if (auto* rec = r.As<EMRARC>()) {
            const RECTL& b = rec->rclBox;
            const POINTL& p = rec->ptlStart;
            const POINTL& q = rec->ptlEnd;
            auto call = type == EMR_ARC ? Arc : type == EMR_ARCTO ? ArcTo : type == EMR_CHORD ? Chord : Pie;
            const PaintKind kind = type == EMR_ARC || type == EMR_ARCTO ? PaintKind::Stroke : PaintKind::StrokeAndFill;
            Shape(s, kind, false, [&] { call(s.dc, b.left, b.top, b.right, b.bottom, p.x, p.y, q.x, q.y); });
        }
        break;
    case EMR_ANGLEARC:
        if (auto* rec = r.As<EMRANGLEARC>())
            Shape(s, PaintKind::Stroke, false, [&] {
                AngleArc(s.dc, rec->ptlCenter.x, rec->ptlCenter.y, rec->nRadius, rec->eStartAngle, rec->eSweepAngle);
            });
        break;
    case EMR_FILLRGN:
        if (auto* rec = r.As<EMRFILLRGN>())
            if (r.Holds(offsetof(EMRFILLRGN, RgnData), rec->cbRgnData))
                FillRects(s, RegionRects(rec->RgnData, rec->cbRgnData), static_cast<HBRUSH>(Object(s, rec->ihBrush)));
        break;
    case EMR_PAINTRGN:
        if (auto* rec = r.As<EMRPAINTRGN>())
            if (r.Holds(offsetof(EMRPAINTRGN, RgnData), rec->cbRgnData))
                FillRects(s, RegionRects(rec->RgnData, rec->cbRgnData),
                          static_cast<HBRUSH>(GetCurrentObject(s.dc, OBJ_BRUSH)));
        break;
    // Text and bitmaps.
    case EMR_EXTTEXTOUTW: PlayText(s, r, true); break;
    case EMR_EXTTEXTOUTA: PlayText(s, r, false); break;
    case EMR_BITBLT:
        if (auto* rec = r.As<EMRBITBLT>()) PlayBlt(s, r, rec, rec->cxDest, rec->cyDest);
        break;
    case EMR_STRETCHBLT:
        if (auto* rec = r.As<EMRSTRETCHBLT>()) PlayBlt(s, r, rec, rec->cxSrc, rec->cySrc);
        break;
    case EMR_STRETCHDIBITS:
        if (auto* rec = r.As<EMRSTRETCHDIBITS>()) {
            if (!r.Holds(rec->offBmiSrc, rec->cbBmiSrc) || !r.Holds(rec->offBitsSrc, rec->cbBitsSrc) || !rec->cbBmiSrc) {
                s.Fail(L"a bitmap record is shorter than its bitmap");
                break;
            }
            RECT dest{rec->xDest, rec->yDest, rec->xDest + rec->cxDest, rec->yDest + rec->cyDest};
            RECT src{rec->xSrc, rec->ySrc, rec->xSrc + rec->cxSrc, rec->ySrc + rec->cySrc};
            DrawDib(s, reinterpret_cast<const BITMAPINFO*>(r.data + rec->offBmiSrc), rec->cbBmiSrc,
                    r.data + rec->offBitsSrc, rec->cbBitsSrc, rec->iUsageSrc, dest, src, rec->dwRop,
                    SourceRows::FromDibOrigin);
        }
        break;
    case EMR_SETDIBITSTODEVICE:
        if (auto* rec = r.As<EMRSETDIBITSTODEVICE>()) {
            if (!r.Holds(rec->offBmiSrc, rec->cbBmiSrc) || !r.Holds(rec->offBitsSrc, rec->cbBitsSrc) || !rec->cbBmiSrc) {
                s.Fail(L"a bitmap record is shorter than its bitmap");
                break;
            }
            PlayDibBand(s, r, *rec);
        }
        break;
    case EMR_SETPIXELV:
        if (auto* rec = r.As<EMRSETPIXELV>()) {
            // A pixel is a one-pixel rectangle filled with its colour.
            HBRUSH colour = CreateSolidBrush(rec->crColor);
            HGDIOBJ old = SelectObject(s.dc, colour);
            DrawPatternBlt(s, RECT{rec->ptlPixel.x, rec->ptlPixel.y, rec->ptlPixel.x + 1, rec->ptlPixel.y + 1}, PATCOPY);
            SelectObject(s.dc, old);
            DeleteObject(colour);
        }
        break;
    case EMR_POLYDRAW: case EMR_POLYDRAW16: {
        // The check has matched the points and types against the record.
        const bool small = type == EMR_POLYDRAW16;
        const DWORD count = reinterpret_cast<const EMRPOLYDRAW*>(r.data)->cptl;
        const size_t head = offsetof(EMRPOLYDRAW, aptl);
        std::vector<POINT> p = small ? Points(reinterpret_cast<const POINTS*>(r.data + head), count)
                                     : Points(reinterpret_cast<const POINTL*>(r.data + head), count);
        const BYTE* types = r.data + head + size_t(count) * (small ? sizeof(POINTS) : sizeof(POINTL));
        // Inside a path bracket the points join the page's path; else they are a stroked path of their own.
        Shape(s, PaintKind::Stroke, false, [&] { PolyDraw(s.dc, p.data(), types, int(count)); });
        break;
    }
    case EMR_FRAMERGN:
        if (auto* rec = r.As<EMRFRAMERGN>())
            FillRects(s, FrameRects(RegionRects(rec->RgnData, rec->cbRgnData), rec->szlStroke.cx, rec->szlStroke.cy),
                      static_cast<HBRUSH>(Object(s, rec->ihBrush)));
        break;
    case EMR_INVERTRGN:
        if (auto* rec = r.As<EMRINVERTRGN>()) InvertRects(s, RegionRects(rec->RgnData, rec->cbRgnData));
        break;
    case EMR_GRADIENTFILL:
        if (auto* rec = r.As<EMRGRADIENTFILL>()) {
            const size_t vertexBytes = size_t(rec->nVer) * sizeof(TRIVERTEX);
            const size_t meshAt = offsetof(EMRGRADIENTFILL, Ver) + vertexBytes;
            const size_t perShape = rec->ulMode == GRADIENT_FILL_TRIANGLE ? 3 : 2;
            if (!r.Holds(offsetof(EMRGRADIENTFILL, Ver), vertexBytes) ||
                !r.Holds(meshAt, size_t(rec->nTri) * perShape * sizeof(ULONG))) {
                RefuseRecord(s, L"EMR_GRADIENTFILL");
                break;
            }
            std::vector<ULONG> mesh(size_t(rec->nTri) * perShape);
            if (!mesh.empty()) std::memcpy(mesh.data(), r.data + meshAt, mesh.size() * sizeof(ULONG));
            DrawGradient(s, rec->Ver, rec->nVer, mesh.data(), rec->nTri, rec->ulMode);
        }
        break;
    case EMR_ALPHABLEND: case EMR_TRANSPARENTBLT:
        // The two records share one layout.
        if (auto* rec = r.As<EMRALPHABLEND>()) PlayComposedBlt(s, r, *rec, type);
        break;
    case EMR_MASKBLT:
        if (auto* rec = r.As<EMRMASKBLT>(); rec && !PlayMaskBlt(s, r, *rec)) RefuseRecord(s, L"EMR_MASKBLT");
        break;
    case EMR_PLGBLT: RefuseRecord(s, L"EMR_PLGBLT"); break;
    case EMR_GDICOMMENT:
        // A carried record was checked with the page, as one of its own.
        if (const EMR* carried = CarriedRecord(r.data, r.size))
            PlayRecord(s, Record{reinterpret_cast<const BYTE*>(carried), carried->nSize});
        else if (auto* rec = r.As<EMRGDICOMMENT>(); rec && r.Holds(offsetof(EMRGDICOMMENT, Data), rec->cbData))
            PlayEscapeComment(s, *rec);
        break;
    default:
        break;   // comments, palettes, colour management: nothing for the driver
    }
}

} // namespace

bool RecordEscapeInPage(HDC pageDc, int escape, int inSize, const char* in)
{
    // Input larger than a metafile record should carry is passed on at once.
    constexpr int kMaxRecordedEscapeBytes = 1 << 24;
    if (inSize < 0 || inSize > kMaxRecordedEscapeBytes || (inSize && !in)) return false;
    std::vector<BYTE> data(sizeof(EscapeComment) + size_t(inSize));
    const EscapeComment head{kEscapeSignature, DWORD(escape)};
    std::memcpy(data.data(), &head, sizeof(head));
    if (inSize) std::memcpy(data.data() + sizeof(head), in, size_t(inSize));
    return GdiComment(pageDc, UINT(data.size()), data.data()) != FALSE;
}

namespace {

// Ticks since the last mark, handed to the profiling observer.
struct RecordClock {
    const PlayTiming* timing;
    LARGE_INTEGER last{};
    explicit RecordClock(const PlayTiming* t) : timing(t && t->played ? t : nullptr)
    {
        if (timing) QueryPerformanceCounter(&last);
    }
    void Mark(DWORD type)
    {
        if (!timing) return;
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        timing->played(timing->context, type, now.QuadPart - last.QuadPart);
        last = now;
    }
};

} // namespace

bool PlayPage(HostDevice& device, SURFOBJ* surface, HENHMETAFILE page, std::wstring* error, const PlayTiming* timing)
{
    RecordClock clock(timing);
    const UINT size = GetEnhMetaFileBits(page, 0, nullptr);
    std::vector<BYTE> bytes(size);
    if (!size || GetEnhMetaFileBits(page, size, bytes.data()) != size) {
        if (error) *error = L"the page's metafile cannot be read";
        return false;
    }
    if (!surface) {
        if (error) *error = L"the device has no surface";
        return false;
    }
    // The page was recorded by GDI, but from records an application or a
    // metafile file supplied: the same check as for a metafile file.
    if (!CheckMetafileBytes(bytes.data(), bytes.size(), error)) return false;
    PlayState s;
    s.device = &device;
    s.surface = surface;
    s.surfaceRect = RECTL{0, 0, surface->sizlBitmap.cx, surface->sizlBitmap.cy};
    s.dc = CreateCompatibleDC(nullptr);
    // A bitmap the size of the page, so that clip operations are never cut to a smaller one.
    s.bitmap = CreateBitmap(std::max(1L, surface->sizlBitmap.cx), std::max(1L, surface->sizlBitmap.cy), 1, 1, nullptr);
    s.oldBitmap = SelectObject(s.dc, s.bitmap);
    SetGraphicsMode(s.dc, GM_ADVANCED);
    SetBkMode(s.dc, OPAQUE);
    clock.Mark(EMR_HEADER);
    for (size_t at = 0; at + sizeof(EMR) <= bytes.size();) {
        const auto* emr = reinterpret_cast<const EMR*>(bytes.data() + at);
        if (emr->nSize < sizeof(EMR) || emr->nSize % 4 || emr->nSize > bytes.size() - at) {
            s.Fail(L"a record of the page's metafile has a bad size");
            break;
        }
        if (emr->iType == EMR_HEADER) {
            const auto* header = reinterpret_cast<const ENHMETAHEADER*>(emr);
            if (emr->nSize >= offsetof(ENHMETAHEADER, nPalEntries)) s.handles.assign(header->nHandles, nullptr);
        } else if (emr->iType == EMR_EOF) {
            break;
        } else {
            PlayRecord(s, Record{bytes.data() + at, emr->nSize});
            clock.Mark(emr->iType);
        }
        at += emr->nSize;
    }
    SelectObject(s.dc, GetStockObject(BLACK_PEN));
    SelectObject(s.dc, GetStockObject(WHITE_BRUSH));
    SelectObject(s.dc, GetStockObject(SYSTEM_FONT));
    SelectObject(s.dc, s.oldBitmap);
    for (HGDIOBJ h : s.handles)
        if (h) DeleteObject(h);
    DeleteObject(s.bitmap);
    DeleteDC(s.dc);
    clock.Mark(EMR_EOF);
    if (!s.ok && error) *error = s.error;
    return s.ok;
}

} // namespace printhost
