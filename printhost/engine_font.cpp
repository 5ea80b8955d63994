// Font and string objects, and glyph sets. Engine fonts are wine's own GDI
// fonts realised on a memory DC at the device size: their metrics, glyph
// bitmaps and outlines come from GetOutlineTextMetricsW and GetGlyphOutlineW.
#include "printhost/driver_table.h"
#include "printhost/engine_export.h"
#include "printhost/engine_objects.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace printhost {

LiveSet& LiveFonts() { static LiveSet s; return s; }
LiveSet& LiveStrings() { static LiveSet s; return s; }

HostFont* FromFontobj(FONTOBJ* fo) { return LiveFonts().Contains(fo) ? reinterpret_cast<HostFont*>(fo) : nullptr; }
HostString* FromStrobj(STROBJ* so) { return LiveStrings().Contains(so) ? reinterpret_cast<HostString*>(so) : nullptr; }

namespace {

std::vector<BYTE> OutlineMetrics(HDC dc)
{
    const UINT size = GetOutlineTextMetricsW(dc, 0, nullptr);
    if (!size) return {};
    std::vector<BYTE> buffer(size);
    if (!GetOutlineTextMetricsW(dc, size, reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data()))) return {};
    return buffer;
}

const wchar_t* OtmString(const std::vector<BYTE>& otm, PSTR offset)
{
    const size_t at = reinterpret_cast<size_t>(offset);
    return at && at < otm.size() ? reinterpret_cast<const wchar_t*>(otm.data() + at) : L"";
}

// IFIMETRICS in notional units from the metrics of the font at its em size.
std::vector<BYTE> BuildIfiMetrics(const std::vector<BYTE>& otmBytes, const LOGFONTW& lf)
{
    const auto& otm = *reinterpret_cast<const OUTLINETEXTMETRICW*>(otmBytes.data());
    const std::wstring family = OtmString(otmBytes, otm.otmpFamilyName);
    const std::wstring style = OtmString(otmBytes, otm.otmpStyleName);
    const std::wstring face = lf.lfFaceName[0] ? lf.lfFaceName : OtmString(otmBytes, otm.otmpFaceName);
    const std::wstring unique = OtmString(otmBytes, otm.otmpFullName);
    auto roomFor = [](const std::wstring& s) { return ((s.size() + 1) * sizeof(WCHAR) + 3) & ~size_t(3); };
    const size_t size = sizeof(IFIMETRICS) + roomFor(family) + roomFor(style) + roomFor(face) + roomFor(unique);
    std::vector<BYTE> block(size, 0);
    auto* ifi = reinterpret_cast<IFIMETRICS*>(block.data());
    size_t at = sizeof(IFIMETRICS);
    auto put = [&](const std::wstring& s) {
        std::memcpy(block.data() + at, s.c_str(), (s.size() + 1) * sizeof(WCHAR));
        const size_t here = at;
        at += roomFor(s);
        return PTRDIFF(here);
    };
    ifi->cjThis = ULONG(size);
    ifi->dpwszFamilyName = put(family);
    ifi->dpwszStyleName = put(style);
    ifi->dpwszFaceName = put(face);
    ifi->dpwszUniqueName = put(unique);
    const TEXTMETRICW& tm = otm.otmTextMetrics;
    ifi->jWinCharSet = tm.tmCharSet;
    ifi->jWinPitchAndFamily = tm.tmPitchAndFamily;
    ifi->usWinWeight = USHORT(tm.tmWeight);
    ifi->flInfo = FM_INFO_TECH_TRUETYPE | FM_INFO_ARB_XFORMS | FM_INFO_RETURNS_OUTLINES | FM_INFO_RETURNS_BITMAPS |
                  FM_INFO_1BPP | FM_INFO_RIGHT_HANDED;
    ifi->fsSelection = USHORT((tm.tmItalic ? FM_SEL_ITALIC : 0) | (tm.tmWeight >= FW_BOLD ? FM_SEL_BOLD : 0) |
                              (tm.tmUnderlined ? FM_SEL_UNDERSCORE : 0) | (tm.tmStruckOut ? FM_SEL_STRIKEOUT : 0));
    ifi->fsType = USHORT(otm.otmfsType);
    ifi->fwdUnitsPerEm = FWORD(otm.otmEMSquare);
    ifi->fwdLowestPPEm = FWORD(otm.otmusMinimumPPEM);
    ifi->fwdWinAscender = FWORD(tm.tmAscent);
    ifi->fwdWinDescender = FWORD(tm.tmDescent);
    ifi->fwdMacAscender = FWORD(otm.otmMacAscent);
    ifi->fwdMacDescender = FWORD(otm.otmMacDescent);
    ifi->fwdMacLineGap = FWORD(otm.otmMacLineGap);
    ifi->fwdTypoAscender = FWORD(otm.otmAscent);
    ifi->fwdTypoDescender = FWORD(otm.otmDescent);
    ifi->fwdTypoLineGap = FWORD(otm.otmLineGap);
    ifi->fwdAveCharWidth = FWORD(tm.tmAveCharWidth);
    ifi->fwdMaxCharInc = FWORD(tm.tmMaxCharWidth);
    ifi->fwdCapHeight = FWORD(otm.otmsCapEmHeight);
    ifi->fwdXHeight = FWORD(otm.otmsXHeight);
    ifi->fwdUnderscoreSize = FWORD(otm.otmsUnderscoreSize);
    ifi->fwdUnderscorePosition = FWORD(otm.otmsUnderscorePosition);
    ifi->fwdStrikeoutSize = FWORD(otm.otmsStrikeoutSize);
    ifi->fwdStrikeoutPosition = FWORD(otm.otmsStrikeoutPosition);
    ifi->chFirstChar = BYTE(std::min<WCHAR>(tm.tmFirstChar, 255));
    ifi->chLastChar = BYTE(std::min<WCHAR>(tm.tmLastChar, 255));
    ifi->chDefaultChar = BYTE(std::min<WCHAR>(tm.tmDefaultChar, 255));
    ifi->chBreakChar = BYTE(std::min<WCHAR>(tm.tmBreakChar, 255));
    ifi->wcFirstChar = tm.tmFirstChar;
    ifi->wcLastChar = tm.tmLastChar;
    ifi->wcDefaultChar = tm.tmDefaultChar;
    ifi->wcBreakChar = tm.tmBreakChar;
    ifi->ptlBaseline = POINTL{1, 0};
    ifi->ptlAspect = POINTL{1, 1};
    ifi->ptlCaret = POINTL{0, 1};
    ifi->rclFontBox = RECTL{otm.otmrcFontBox.left, otm.otmrcFontBox.top, otm.otmrcFontBox.right, otm.otmrcFontBox.bottom};
    ifi->panose = otm.otmPanoseNumber;
    return block;
}

LONG FixedTo28_4(FIXED f) { return LONG(f.value) * 16 + LONG(f.fract >> 12); }

// A glyph outline (cubic Beziers from GGO_BEZIER, y up) as a path in 28.4
// relative to the glyph origin, y down as on the device.
HostPath* GlyphOutlinePath(HDC dc, HGLYPH hg, const MAT2& identity)
{
    GLYPHMETRICS gm{};
    const DWORD size = GetGlyphOutlineW(dc, UINT(hg), GGO_BEZIER | GGO_GLYPH_INDEX, &gm, 0, nullptr, &identity);
    std::vector<POINTFIX> points;
    std::vector<BYTE> types;
    if (size != GDI_ERROR && size > 0) {
        std::vector<BYTE> buffer(size);
        if (GetGlyphOutlineW(dc, UINT(hg), GGO_BEZIER | GGO_GLYPH_INDEX, &gm, size, buffer.data(), &identity) == GDI_ERROR)
            buffer.clear();
        size_t at = 0;
        while (at + sizeof(TTPOLYGONHEADER) <= buffer.size()) {
            const auto* header = reinterpret_cast<const TTPOLYGONHEADER*>(buffer.data() + at);
            if (header->cb < sizeof(TTPOLYGONHEADER) || at + header->cb > buffer.size()) break;
            points.push_back(POINTFIX{FixedTo28_4(header->pfxStart.x), -FixedTo28_4(header->pfxStart.y)});
            types.push_back(PT_MOVETO);
            size_t curve = at + sizeof(TTPOLYGONHEADER);
            while (curve + offsetof(TTPOLYCURVE, apfx) <= at + header->cb) {
                const auto* c = reinterpret_cast<const TTPOLYCURVE*>(buffer.data() + curve);
                const size_t bytes = offsetof(TTPOLYCURVE, apfx) + size_t(c->cpfx) * sizeof(POINTFX);
                if (curve + bytes > at + header->cb) break;
                for (WORD i = 0; i < c->cpfx; ++i) {
                    points.push_back(POINTFIX{FixedTo28_4(c->apfx[i].x), -FixedTo28_4(c->apfx[i].y)});
                    types.push_back(c->wType == TT_PRIM_CSPLINE ? PT_BEZIERTO : PT_LINETO);
                }
                curve += bytes;
            }
            // Close with a line back to the start when the contour does not end there.
            types.back() |= PT_CLOSEFIGURE;
            at += header->cb;
        }
    }
    return MakePathFromFix(points.data(), types.data(), int(points.size()), false);
}

// GDI makes a bold or italic face itself when the font file has none: a
// bold request (semibold and above) of a file whose weight class is below
// that, an italic request of a file that is neither italic nor oblique. The
// file's OS/2 table tells (weight class at 4, selection bits at 62).
FLONG SimulationFlags(HDC dc, const LOGFONTW& lf)
{
    BYTE os2[64] = {};
    constexpr DWORD kOs2Tag = 0x322F534F;  // "OS/2" as GetFontData reads it
    if (GetFontData(dc, kOs2Tag, 0, os2, sizeof(os2)) != sizeof(os2)) return 0;
    const int weightClass = os2[4] << 8 | os2[5];
    const int selection = os2[62] << 8 | os2[63];
    FLONG flags = 0;
    if (lf.lfWeight >= FW_SEMIBOLD && weightClass < FW_SEMIBOLD) flags |= FO_SIM_BOLD;
    if (lf.lfItalic && !(selection & 0x0001) && !(selection & 0x0200)) flags |= FO_SIM_ITALIC;
    return flags;
}

} // namespace

std::unique_ptr<HostFont> MakeEngineFont(HostDevice* device, const LOGFONTW& lf, const XFORM&)
{
    auto f = std::make_unique<HostFont>();
    f->device = device;
    f->dc = CreateCompatibleDC(nullptr);
    f->font = CreateFontIndirectW(&lf);
    if (!f->dc || !f->font) {
        if (f->font) DeleteObject(f->font);
        if (f->dc) DeleteDC(f->dc);
        return nullptr;
    }
    f->oldFont = SelectObject(f->dc, f->font);
    std::vector<BYTE> otm = OutlineMetrics(f->dc);
    TEXTMETRICW tm{};
    GetTextMetricsW(f->dc, &tm);
    const double emPixels = otm.empty() ? double(tm.tmHeight - tm.tmInternalLeading)
                                        : double(tm.tmHeight - tm.tmInternalLeading);
    if (!otm.empty()) {
        const UINT em = reinterpret_cast<const OUTLINETEXTMETRICW*>(otm.data())->otmEMSquare;
        f->emUnits = em ? em : 2048;
        // Notional metrics come from the same face realised at its em size.
        LOGFONTW notional = lf;
        notional.lfHeight = -LONG(f->emUnits);
        notional.lfWidth = 0;
        notional.lfEscapement = notional.lfOrientation = 0;
        HFONT emFont = CreateFontIndirectW(&notional);
        HGDIOBJ previous = SelectObject(f->dc, emFont);
        std::vector<BYTE> emOtm = OutlineMetrics(f->dc);
        SelectObject(f->dc, previous);
        DeleteObject(emFont);
        f->ifi = BuildIfiMetrics(emOtm.empty() ? otm : emOtm, lf);
    }
    const double scale = f->emUnits > 0 ? emPixels / f->emUnits : 1.0;
    const double angle = lf.lfEscapement / 10.0 * 3.14159265358979323846 / 180.0;
    f->xform = MakeXform(scale * std::cos(angle), -scale * std::sin(angle), scale * std::sin(angle),
                         scale * std::cos(angle), 0, 0);
    f->fo.iUniq = NextUniq();
    f->fo.cxMax = ULONG(tm.tmMaxCharWidth);
    f->fo.flFontType = otm.empty() ? FO_TYPE_RASTER : FO_TYPE_TRUETYPE;
    f->fo.flFontType |= SimulationFlags(f->dc, lf);
    f->fo.iTTUniq = f->fo.iUniq;
    const LONG dpi = device && device->gdiInfo.ulLogPixelsY ? LONG(device->gdiInfo.ulLogPixelsY) : 96;
    f->fo.sizLogResPpi = SIZE{device && device->gdiInfo.ulLogPixelsX ? LONG(device->gdiInfo.ulLogPixelsX) : 96, dpi};
    f->fo.ulStyleSize = ULONG(std::lround(emPixels * 72.0 / dpi));
    if (device && device->driver)
        if (auto mode = DriverFunction<PFN_DrvGetGlyphMode>(*device->driver, INDEX_DrvGetGlyphMode))
            f->glyphMode = mode(device->dhpdev, &f->fo);
    LiveFonts().Add(f.get());
    return f;
}

void ReleaseFont(std::unique_ptr<HostFont>& font)
{
    if (!font) return;
    LiveFonts().Remove(font.get());
    for (auto& g : font->outlines) ReleasePath(g.second->outline);
    ReleaseXform(font->xform);
    if (font->dc) {
        SelectObject(font->dc, font->oldFont);
        DeleteDC(font->dc);
    }
    if (font->font) DeleteObject(font->font);
    font.reset();
}

HGLYPH DeviceGlyph(const FD_GLYPHSET* set, WCHAR c);
GLYPHDATA* DeviceGlyphData(HostFont& font, HGLYPH hg, ULONG mode);

std::vector<HGLYPH> GlyphHandles(HostFont& font, const std::wstring& text, bool glyphIndices)
{
    std::vector<HGLYPH> handles(text.size(), 0);
    if (font.deviceFont && !glyphIndices) {
        for (size_t i = 0; i < text.size(); ++i) handles[i] = DeviceGlyph(font.deviceGlyphSet, text[i]);
        return handles;
    }
    if (glyphIndices) {
        for (size_t i = 0; i < text.size(); ++i) handles[i] = text[i];
        return handles;
    }
    std::vector<WORD> indices(text.size(), 0);
    if (!text.empty() &&
        GetGlyphIndicesW(font.dc, text.c_str(), int(text.size()), indices.data(), GGI_MARK_NONEXISTING_GLYPHS) != GDI_ERROR)
        for (size_t i = 0; i < text.size(); ++i) handles[i] = indices[i] == 0xFFFF ? 0 : indices[i];
    return handles;
}

namespace {

const MAT2 kIdentity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};

GlyphEntry* GlyphBits(HostFont& font, HGLYPH hg)
{
    auto found = font.bitmaps.find(hg);
    if (found != font.bitmaps.end()) return found->second.get();
    auto entry = std::make_unique<GlyphEntry>();
    GLYPHMETRICS gm{};
    // Asking a glyph's size first has wine load and hint it twice; one call
    // into room for the font's largest glyph does it once. A glyph that does
    // not fit is asked for its size after all.
    if (font.glyphRoom.empty()) {
        TEXTMETRICW tm{};
        GetTextMetricsW(font.dc, &tm);
        const size_t width = size_t(std::max(0L, tm.tmMaxCharWidth)) + size_t(std::max(0L, tm.tmHeight));
        font.glyphRoom.resize(std::max<size_t>((width + 31) / 32 * 4 * 2 * size_t(std::max(0L, tm.tmHeight)), 64));
    }
    DWORD size = GetGlyphOutlineW(font.dc, UINT(hg), GGO_BITMAP | GGO_GLYPH_INDEX, &gm, DWORD(font.glyphRoom.size()),
                                  font.glyphRoom.data(), &kIdentity);
    std::vector<BYTE> raw;
    if (size != GDI_ERROR && size <= font.glyphRoom.size()) {
        raw.assign(font.glyphRoom.begin(), font.glyphRoom.begin() + size);
    } else {
        size = GetGlyphOutlineW(font.dc, UINT(hg), GGO_BITMAP | GGO_GLYPH_INDEX, &gm, 0, nullptr, &kIdentity);
        raw.resize(size == GDI_ERROR ? 0 : size);
        if (!raw.empty()) GetGlyphOutlineW(font.dc, UINT(hg), GGO_BITMAP | GGO_GLYPH_INDEX, &gm, size, raw.data(), &kIdentity);
    }
    // A blank glyph (a space) still gets a one-pixel bitmap, as GDI gives drivers.
    const LONG cx = raw.empty() ? 1 : LONG(gm.gmBlackBoxX), cy = raw.empty() ? 1 : LONG(gm.gmBlackBoxY);
    const size_t srcStride = ((size_t(cx) + 31) / 32) * 4, dstStride = (size_t(cx) + 7) / 8;
    entry->bits.assign(offsetof(GLYPHBITS, aj) + std::max<size_t>(dstStride * cy, 1), 0);
    auto* gb = reinterpret_cast<GLYPHBITS*>(entry->bits.data());
    gb->ptlOrigin = POINTL{gm.gmptGlyphOrigin.x, -gm.gmptGlyphOrigin.y};
    gb->sizlBitmap = SIZEL{cx, cy};
    for (LONG y = 0; !raw.empty() && y < cy && (y + 1) * srcStride <= raw.size(); ++y)
        std::memcpy(gb->aj + y * dstStride, raw.data() + y * srcStride, dstStride);
    GLYPHDATA& d = entry->data;
    d.hg = hg;
    d.fxD = FIX(gm.gmCellIncX * 16);
    d.fxA = FIX(gm.gmptGlyphOrigin.x * 16);
    d.fxAB = FIX((gm.gmptGlyphOrigin.x + cx) * 16);
    d.fxInkTop = FIX(gm.gmptGlyphOrigin.y * 16);
    d.fxInkBottom = FIX((gm.gmptGlyphOrigin.y - cy) * 16);
    d.rclInk = RECTL{gb->ptlOrigin.x, gb->ptlOrigin.y, gb->ptlOrigin.x + cx, gb->ptlOrigin.y + cy};
    d.ptqD.x.QuadPart = LONGLONG(gm.gmCellIncX) << 32;
    d.ptqD.y.QuadPart = LONGLONG(gm.gmCellIncY) << 32;
    entry->def.pgb = gb;
    d.gdf.pgb = gb;
    GlyphEntry* result = entry.get();
    font.bitmaps[hg] = std::move(entry);
    return result;
}

GlyphEntry* GlyphOutline(HostFont& font, HGLYPH hg)
{
    auto found = font.outlines.find(hg);
    if (found != font.outlines.end()) return found->second.get();
    GlyphEntry* bits = GlyphBits(font, hg);
    auto entry = std::make_unique<GlyphEntry>();
    entry->data = bits->data;
    entry->outline = GlyphOutlinePath(font.dc, hg, kIdentity);
    entry->def.ppo = &entry->outline->po;
    entry->data.gdf.ppo = &entry->outline->po;
    GlyphEntry* result = entry.get();
    font.outlines[hg] = std::move(entry);
    return result;
}

} // namespace

} // namespace printhost

using namespace printhost;

// ---- glyph sets -------------------------------------------------------------

PRINTHOST_EXPORT FD_GLYPHSET* APIENTRY EngComputeGlyphSet(INT nCodePage, INT nFirstChar, INT cChars)
{
    if (cChars <= 0 || cChars > 256 || nFirstChar < 0 || nFirstChar + cChars > 256) return nullptr;
    // Each code maps to one character; the glyph handle is the code itself.
    std::vector<std::pair<WCHAR, HGLYPH>> map;
    for (INT i = 0; i < cChars; ++i) {
        const char code = char(nFirstChar + i);
        WCHAR wc = 0;
        if (MultiByteToWideChar(UINT(nCodePage), MB_ERR_INVALID_CHARS, &code, 1, &wc, 1) == 1)
            map.emplace_back(wc, HGLYPH(nFirstChar + i));
    }
    std::stable_sort(map.begin(), map.end(), [](auto& a, auto& b) { return a.first < b.first; });
    map.erase(std::unique(map.begin(), map.end(), [](auto& a, auto& b) { return a.first == b.first; }), map.end());
    ULONG runs = 0;
    for (size_t i = 0; i < map.size(); ++i)
        if (i == 0 || map[i].first != map[i - 1].first + 1) ++runs;
    const size_t head = offsetof(FD_GLYPHSET, awcrun) + std::max<ULONG>(runs, 1) * sizeof(WCRUN);
    const size_t size = head + map.size() * sizeof(HGLYPH);
    auto* set = static_cast<FD_GLYPHSET*>(EngAllocMem(FL_ZERO_MEMORY, ULONG(size), 0));
    if (!set) return nullptr;
    set->cjThis = ULONG(size);
    set->flAccel = GS_8BIT_HANDLES;
    set->cGlyphsSupported = ULONG(map.size());
    set->cRuns = runs;
    auto* handles = reinterpret_cast<HGLYPH*>(reinterpret_cast<BYTE*>(set) + head);
    WCRUN* run = nullptr;
    for (size_t i = 0; i < map.size(); ++i) {
        if (i == 0 || map[i].first != map[i - 1].first + 1) {
            run = run ? run + 1 : set->awcrun;
            run->wcLow = map[i].first;
            run->phg = handles + i;
        }
        ++run->cGlyphs;
        handles[i] = map[i].second;
    }
    return set;
}

// ---- font objects -----------------------------------------------------------

PRINTHOST_EXPORT ULONG APIENTRY FONTOBJ_cGetGlyphs(FONTOBJ* pfo, ULONG iMode, ULONG cGlyph, HGLYPH* phg, PVOID* ppvGlyph)
{
    HostFont* f = FromFontobj(pfo);
    if (!f || !phg || !ppvGlyph || cGlyph == 0) return 0;
    if (f->deviceFont) {
        GLYPHDATA* data = DeviceGlyphData(*f, phg[0], iMode);
        if (!data) return 0;
        *ppvGlyph = data;
        return 1;
    }
    GlyphEntry* entry = iMode == FO_PATHOBJ ? GlyphOutline(*f, phg[0]) : iMode == FO_GLYPHBITS ? GlyphBits(*f, phg[0]) : nullptr;
    if (!entry) return 0;
    *ppvGlyph = &entry->data;
    return 1;
}

PRINTHOST_EXPORT XFORMOBJ* APIENTRY FONTOBJ_pxoGetXform(FONTOBJ* pfo)
{
    HostFont* f = FromFontobj(pfo);
    return f && f->xform ? &f->xform->xo : nullptr;
}

PRINTHOST_EXPORT IFIMETRICS* APIENTRY FONTOBJ_pifi(FONTOBJ* pfo)
{
    HostFont* f = FromFontobj(pfo);
    return f && !f->ifi.empty() ? reinterpret_cast<IFIMETRICS*>(f->ifi.data()) : nullptr;
}

PRINTHOST_EXPORT VOID APIENTRY FONTOBJ_vGetInfo(FONTOBJ* pfo, ULONG cjSize, FONTINFO* pfi)
{
    HostFont* f = FromFontobj(pfo);
    if (!f || !pfi || cjSize < sizeof(FONTINFO)) return;
    std::memset(pfi, 0, sizeof(FONTINFO));
    pfi->cjThis = sizeof(FONTINFO);
    pfi->flCaps = FO_DEVICE_FONT * (f->deviceFont ? 1 : 0) | (f->deviceFont ? 0 : FO_OUTLINE_CAPABLE);
    const IFIMETRICS* ifi = FONTOBJ_pifi(pfo);
    pfi->cGlyphsSupported = ifi ? ULONG(ifi->wcLastChar - ifi->wcFirstChar + 1) : 0;
    TEXTMETRICW tm{};
    if (f->dc) GetTextMetricsW(f->dc, &tm);
    pfi->cjMaxGlyph1 = ULONG(offsetof(GLYPHBITS, aj) + ((tm.tmMaxCharWidth + 7) / 8) * tm.tmHeight);
}

PRINTHOST_EXPORT PVOID APIENTRY FONTOBJ_pvTrueTypeFontFile(FONTOBJ* pfo, ULONG* pcjFile)
{
    HostFont* f = FromFontobj(pfo);
    if (pcjFile) *pcjFile = 0;
    if (!f || f->deviceFont || !f->dc) return nullptr;
    if (f->fontFile.empty()) {
        const DWORD size = GetFontData(f->dc, 0, 0, nullptr, 0);
        if (size == GDI_ERROR || size == 0) return nullptr;
        f->fontFile.resize(size);
        if (GetFontData(f->dc, 0, 0, f->fontFile.data(), size) == GDI_ERROR) {
            f->fontFile.clear();
            return nullptr;
        }
    }
    if (pcjFile) *pcjFile = ULONG(f->fontFile.size());
    return f->fontFile.data();
}

PRINTHOST_EXPORT PFD_GLYPHATTR APIENTRY FONTOBJ_pQueryGlyphAttrs(FONTOBJ*, ULONG) { return nullptr; }

// ---- string objects ---------------------------------------------------------

PRINTHOST_EXPORT VOID APIENTRY STROBJ_vEnumStart(STROBJ* pstro)
{
    if (HostString* s = FromStrobj(pstro)) s->cursor = 0;
}

static BOOL EnumGlyphs(STROBJ* pstro, ULONG* pc, PGLYPHPOS* ppgpos, bool withDefs)
{
    HostString* s = FromStrobj(pstro);
    if (!s || !pc || !ppgpos) return FALSE;
    *pc = 0;
    *ppgpos = nullptr;
    if (s->cursor >= s->glyphs.size()) return FALSE;
    const size_t first = s->cursor;
    const size_t count = std::min(s->glyphs.size() - first, kGlyphBatch);
    for (size_t k = 0; k < count; ++k) s->glyphs[first + k].pgdf = nullptr;
    if (withDefs && s->font) {
        HostFont& font = *s->font;
        s->batchDefs.reserve(kGlyphBatch);
        s->batchDefs.assign(count, GLYPHDEF{});
        s->batchBits.resize(kGlyphBatch);
        for (size_t k = 0; k < count; ++k) {
            GLYPHPOS& g = s->glyphs[first + k];
            if (font.deviceFont) {
                // Device glyphs come from the driver one at a time.
                GLYPHDATA* d = font.glyphMode == FO_GLYPHBITS ? DeviceGlyphData(font, g.hg, FO_GLYPHBITS) : nullptr;
                if (!d || !d->gdf.pgb) continue;
                s->batchBits[k] = font.lastDeviceGlyphBits;
            } else if (font.glyphMode == FO_PATHOBJ) {
                GlyphEntry* e = GlyphOutline(font, g.hg);
                if (!e) continue;
                s->batchDefs[k] = e->def;
                g.pgdf = &s->batchDefs[k];
                continue;
            } else {
                GlyphEntry* e = GlyphBits(font, g.hg);
                if (!e || !e->def.pgb) continue;
                s->batchBits[k] = e->bits;
            }
            s->batchDefs[k].pgb = reinterpret_cast<GLYPHBITS*>(s->batchBits[k].data());
            g.pgdf = &s->batchDefs[k];
        }
    }
    s->cursor = first + count;
    *pc = ULONG(count);
    *ppgpos = s->glyphs.data() + first;
    return s->cursor < s->glyphs.size();
}

PRINTHOST_EXPORT BOOL APIENTRY STROBJ_bEnum(STROBJ* pstro, ULONG* pc, PGLYPHPOS* ppgpos)
{
    return EnumGlyphs(pstro, pc, ppgpos, true);
}

PRINTHOST_EXPORT BOOL APIENTRY STROBJ_bEnumPositionsOnly(STROBJ* pstro, ULONG* pc, PGLYPHPOS* ppgpos)
{
    return EnumGlyphs(pstro, pc, ppgpos, false);
}

PRINTHOST_EXPORT DWORD APIENTRY STROBJ_dwGetCodePage(STROBJ* pstro)
{
    return FromStrobj(pstro) ? GetACP() : 0;
}
