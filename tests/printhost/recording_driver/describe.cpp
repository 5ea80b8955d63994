#include "tests/printhost/recording_driver/describe.h"
#include "tests/printhost/recording_driver/record_log.h"

#include <cstdio>
#include <vector>

RecordingEngine g_engine;

std::string Fix(FIX value)
{
    char buffer[32];
    if (value % 16 == 0) std::snprintf(buffer, sizeof(buffer), "%ld", long(value / 16));
    else std::snprintf(buffer, sizeof(buffer), "%ld/16", long(value));
    return buffer;
}

static std::string Point(const POINTFIX& p) { return Fix(p.x) + "," + Fix(p.y); }

std::string DescribePath(PATHOBJ* path)
{
    if (!path) return "path=none";
    RECTFX bounds{};
    g_engine.PATHOBJ_vGetBounds(path, &bounds);
    std::string s = "path(fl=" + Hex(path->fl) + " curves=" + std::to_string(path->cCurves) + " bounds=" +
                    Fix(bounds.xLeft) + "," + Fix(bounds.yTop) + "," + Fix(bounds.xRight) + "," + Fix(bounds.yBottom) + ")";
    g_engine.PATHOBJ_vEnumStart(path);
    PATHDATA data{};
    bool more = true;
    while (more) {
        more = g_engine.PATHOBJ_bEnum(path, &data) != FALSE;
        if (data.count == 0) break;
        ULONG i = 0;
        if (data.flags & PD_BEGINSUBPATH) s += " M" + Point(data.pptfx[i++]);
        if (data.flags & PD_BEZIERS) {
            for (; i + 2 < data.count; i += 3)
                s += " C" + Point(data.pptfx[i]) + " " + Point(data.pptfx[i + 1]) + " " + Point(data.pptfx[i + 2]);
            if (i != data.count) s += " BADBEZIER";
        } else {
            for (; i < data.count; ++i) s += " L" + Point(data.pptfx[i]);
        }
        if (data.flags & PD_CLOSEFIGURE) s += " Z";
    }
    return s;
}

std::string DescribeRect(const RECTL* r)
{
    if (!r) return "none";
    return std::to_string(r->left) + "," + std::to_string(r->top) + "," + std::to_string(r->right) + "," +
           std::to_string(r->bottom);
}

std::string DescribeClip(CLIPOBJ* clip)
{
    if (!clip) return "clip=none";
    if (clip->iDComplexity == DC_TRIVIAL) return "clip=trivial";
    std::string s = clip->iDComplexity == DC_RECT ? "clip=rect" : "clip=complex";
    s += "(" + DescribeRect(&clip->rclBounds) + ")";
    if (clip->iDComplexity == DC_COMPLEX) {
        const ULONG n = g_engine.CLIPOBJ_cEnumStart(clip, FALSE, CT_RECTANGLES, CD_RIGHTDOWN, 1000);
        s += " n=" + std::to_string(n);
        struct { ULONG c; RECTL r[3]; } batch{};
        bool more = true;
        while (more) {
            more = g_engine.CLIPOBJ_bEnum(clip, sizeof(batch), reinterpret_cast<ULONG*>(&batch)) != FALSE;
            for (ULONG i = 0; i < batch.c; ++i) s += " [" + DescribeRect(&batch.r[i]) + "]";
        }
        PATHOBJ* outline = g_engine.CLIPOBJ_ppoGetPath(clip);
        s += " outline: " + DescribePath(outline);
        g_engine.EngDeletePath(outline);
    }
    return s;
}

std::string DescribeBrush(BRUSHOBJ* brush)
{
    if (!brush) return "brush=none";
    if (brush->iSolidColor != 0xFFFFFFFF)
        return "brush=solid(" + Hex(brush->iSolidColor) + " rgb=" + Hex(g_engine.BRUSHOBJ_ulGetBrushColor(brush)) + ")";
    auto* realized = static_cast<RecordingBrush*>(g_engine.BRUSHOBJ_pvGetRbrush(brush));
    if (!realized) return "brush=unrealized";
    return "brush=pattern(hatch=" + std::to_string(realized->hatch) + " fmt=" + std::to_string(realized->format) +
           " size=" + std::to_string(realized->size.cx) + "x" + std::to_string(realized->size.cy) + " colours=" +
           Hex(realized->colours[0]) + "," + Hex(realized->colours[1]) + ")";
}

std::string DescribeLine(LINEATTRS* line)
{
    if (!line) return "line=none";
    std::string s = "line(fl=" + Hex(line->fl) + " join=" + std::to_string(line->iJoin) +
                    " cap=" + std::to_string(line->iEndCap);
    if (line->fl & LA_GEOMETRIC) {
        char w[32];
        std::snprintf(w, sizeof(w), "%.2f", double(line->elWidth.e));
        s += " width=" + std::string(w);
    } else {
        s += " width=" + std::to_string(line->elWidth.l);
    }
    s += " styles=" + std::to_string(line->cstyle);
    for (ULONG i = 0; i < line->cstyle && line->pstyle; ++i) {
        char v[32];
        if (line->fl & LA_GEOMETRIC) std::snprintf(v, sizeof(v), "%.1f", double(line->pstyle[i].e));
        else std::snprintf(v, sizeof(v), "%ld", long(line->pstyle[i].l));
        s += std::string(i ? "," : ":") + v;
    }
    return s + ")";
}

std::string DescribeXform(XFORMOBJ* xform)
{
    if (!xform) return "xform=none";
    XFORML m{};
    const ULONG kind = g_engine.XFORMOBJ_iGetXform(xform, &m);
    char buffer[128];
    std::snprintf(buffer, sizeof(buffer), "xform(kind=%lu %.3f %.3f %.3f %.3f %.1f %.1f)", kind, double(m.eM11),
                  double(m.eM12), double(m.eM21), double(m.eM22), double(m.eDx), double(m.eDy));
    return buffer;
}

std::string DescribeSurface(SURFOBJ* surface)
{
    if (!surface) return "none";
    std::string s = "surface(type=" + std::to_string(surface->iType) + " fmt=" + std::to_string(surface->iBitmapFormat) +
                    " size=" + std::to_string(surface->sizlBitmap.cx) + "x" + std::to_string(surface->sizlBitmap.cy);
    if (surface->iType == STYPE_BITMAP) {
        s += std::string(surface->fjBitmap & BMF_TOPDOWN ? " topdown" : " bottomup") +
             " delta=" + std::to_string(surface->lDelta);
        // A checksum of the pixels shows that rows and formats arrive intact.
        unsigned long sum = 0;
        const LONG rowBytes = (LONG(surface->sizlBitmap.cx) * LONG(surface->iBitmapFormat == BMF_1BPP ? 1
                               : surface->iBitmapFormat == BMF_4BPP ? 4 : surface->iBitmapFormat == BMF_8BPP ? 8
                               : surface->iBitmapFormat == BMF_16BPP ? 16 : surface->iBitmapFormat == BMF_24BPP ? 24 : 32) + 7) / 8;
        for (LONG y = 0; y < surface->sizlBitmap.cy; ++y) {
            const auto* row = static_cast<const unsigned char*>(surface->pvScan0) + y * surface->lDelta;
            for (LONG x = 0; x < rowBytes; ++x) sum = (sum * 31 + row[x]) % 1000000007ul;
        }
        s += " sum=" + std::to_string(sum);
    }
    return s + ")";
}

std::string DescribeXlate(XLATEOBJ* xlate)
{
    if (!xlate) return "xlate=none";
    std::string s = "xlate(fl=" + Hex(xlate->flXlate) + " src=" + std::to_string(xlate->iSrcType) +
                    " dst=" + std::to_string(xlate->iDstType) + " n=" + std::to_string(xlate->cEntries);
    const ULONG shown = xlate->cEntries < 4 ? xlate->cEntries : 4;
    for (ULONG i = 0; i < shown; ++i) s += " " + Hex(g_engine.XLATEOBJ_iXlate(xlate, i));
    // A source of colour masks: the masks and where white and pure red go.
    if (xlate->iSrcType == PAL_BITFIELDS) {
        ULONG masks[3] = {};
        if (g_engine.XLATEOBJ_cGetPalette(xlate, XO_SRCPALETTE, 3, masks) == 3)
            s += " masks=" + Hex(masks[0]) + "," + Hex(masks[1]) + "," + Hex(masks[2]) +
                 " white=" + Hex(g_engine.XLATEOBJ_iXlate(xlate, masks[0] | masks[1] | masks[2])) +
                 " red=" + Hex(g_engine.XLATEOBJ_iXlate(xlate, masks[0]));
    }
    return s + ")";
}

std::string DescribeFont(FONTOBJ* font)
{
    if (!font) return "font=none";
    std::string s = "font(type=" + Hex(font->flFontType) + " face=" + std::to_string(font->iFace) +
                    " style=" + std::to_string(font->ulStyleSize);
    if (IFIMETRICS* ifi = g_engine.FONTOBJ_pifi(font)) {
        s += " name=" + Narrow(reinterpret_cast<const wchar_t*>(reinterpret_cast<const char*>(ifi) + ifi->dpwszFaceName));
        s += " em=" + std::to_string(ifi->fwdUnitsPerEm);
    }
    s += " " + DescribeXform(g_engine.FONTOBJ_pxoGetXform(font));
    // On request the realisation's identity, which a driver keys its downloaded glyphs on.
    if (Asked(L"PRINTHOST_RECORD_UNIQ")) s += " uniq=" + std::to_string(font->iUniq);
    return s + ")";
}

std::string DescribeString(STROBJ* text, FONTOBJ* font)
{
    if (!text) return "string=none";
    std::string s = "string(n=" + std::to_string(text->cGlyphs) + " accel=" + Hex(text->flAccel) +
                    " bk=" + DescribeRect(&text->rclBkGround) + " text=\"";
    if (text->pwszOrg) s += Narrow(std::wstring(text->pwszOrg, text->cGlyphs).c_str());
    s += "\")";
    // A fixed increment: the first glyph's position is given, the others step from it.
    if (text->ulCharInc) s += " inc=" + std::to_string(text->ulCharInc);
    g_engine.STROBJ_vEnumStart(text);
    bool more = true;
    bool first = true;
    POINTL at{};
    size_t batches = 0;
    std::string positions;
    while (more) {
        ULONG count = 0;
        GLYPHPOS* glyphs = nullptr;
        more = g_engine.STROBJ_bEnum(text, &count, &glyphs) != FALSE;
        ++batches;
        for (ULONG i = 0; i < count; ++i) {
            if (first || !text->ulCharInc) at = glyphs[i].ptl;
            else if (text->flAccel & SO_VERTICAL) at.y += LONG(text->ulCharInc);
            else at.x += LONG(text->ulCharInc);
            first = false;
            positions += " g" + std::to_string(glyphs[i].hg) + "@" + std::to_string(at.x) + "," + std::to_string(at.y);
            if (glyphs[i].pgdf && glyphs[i].pgdf->pgb) {
                const GLYPHBITS* bits = glyphs[i].pgdf->pgb;
                positions += "[" + std::to_string(bits->sizlBitmap.cx) + "x" + std::to_string(bits->sizlBitmap.cy) + "]";
            }
        }
    }
    // A string of one batch shows none (the reviewed records hold short strings).
    if (batches > 1) s += " batches=" + std::to_string(batches);
    s += positions;
    // One glyph's outline shows that outlines come through the font object.
    if (font && text->cGlyphs) {
        g_engine.STROBJ_vEnumStart(text);
        ULONG count = 0;
        GLYPHPOS* glyphs = nullptr;
        g_engine.STROBJ_bEnum(text, &count, &glyphs);
        GLYPHDATA* data = nullptr;
        HGLYPH hg = glyphs ? glyphs[0].hg : 0;
        if (count && g_engine.FONTOBJ_cGetGlyphs(font, FO_PATHOBJ, 1, &hg, reinterpret_cast<void**>(&data)) && data &&
            data->gdf.ppo) {
            s += " outline0: curves=" + std::to_string(data->gdf.ppo->cCurves) + " advance=" + Fix(data->fxD);
        }
    }
    return s;
}
