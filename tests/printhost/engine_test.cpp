// The engine callbacks the host exports, called as a driver calls them.
#include "printhost/engine_objects.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>

using namespace printhost;

TEST(PrintHostEngine, BitmapLayoutFollowsFormatAndDirection)
{
    struct Case { ULONG format; LONG stride; };
    const Case cases[] = {{BMF_1BPP, 4}, {BMF_4BPP, 4}, {BMF_8BPP, 4}, {BMF_16BPP, 8}, {BMF_24BPP, 12}, {BMF_32BPP, 12}};
    for (const Case& c : cases) {
        for (const bool topDown : {true, false}) {
            HSURF h = reinterpret_cast<HSURF>(EngCreateBitmap(SIZEL{3, 5}, 0, c.format, topDown ? BMF_TOPDOWN : 0, nullptr));
            SURFOBJ* so = EngLockSurface(h);
            ASSERT_NE(so, nullptr) << c.format;
            EXPECT_EQ(so->lDelta, topDown ? c.stride : -c.stride) << c.format;
            EXPECT_EQ(so->cjBits, ULONG(c.stride * 5));
            EXPECT_EQ(static_cast<BYTE*>(so->pvScan0), static_cast<BYTE*>(so->pvBits) + (topDown ? 0 : 4 * c.stride));
            EXPECT_EQ(so->iType, STYPE_BITMAP);
            EngUnlockSurface(so);
            EXPECT_TRUE(EngDeleteSurface(h));
            EXPECT_EQ(EngLockSurface(h), nullptr);
        }
    }
    EXPECT_EQ(EngCreateBitmap(SIZEL{3, 5}, 0, BMF_4RLE, 0, nullptr), nullptr);
    EXPECT_EQ(EngCreateBitmap(SIZEL{0, 5}, 0, BMF_8BPP, 0, nullptr), nullptr);
}

TEST(PrintHostEngine, CallersBitsNeedARowPerStride)
{
    BYTE bits[3 * 4 * 2] = {};
    // 3 pixels of 24 bits need 9 bytes a row: 9 passes, 8 does not.
    HBITMAP exact = EngCreateBitmap(SIZEL{3, 2}, 9, BMF_24BPP, BMF_TOPDOWN, bits);
    EXPECT_NE(exact, nullptr);
    EXPECT_EQ(EngCreateBitmap(SIZEL{3, 2}, 8, BMF_24BPP, BMF_TOPDOWN, bits), nullptr);
    SURFOBJ* so = EngLockSurface(reinterpret_cast<HSURF>(exact));
    ASSERT_NE(so, nullptr);
    EXPECT_EQ(so->pvBits, bits);
    EngDeleteSurface(reinterpret_cast<HSURF>(exact));
}

TEST(PrintHostEngine, GlyphSetOfTheAnsiCodePage)
{
    FD_GLYPHSET* set = EngComputeGlyphSet(1252, 32, 224);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->flAccel, ULONG(GS_8BIT_HANDLES));
    ULONG total = 0;
    HGLYPH letterA = 0, euro = 0;
    for (ULONG i = 0; i < set->cRuns; ++i) {
        const WCRUN& run = set->awcrun[i];
        if (i > 0) {
            EXPECT_GT(run.wcLow, set->awcrun[i - 1].wcLow + set->awcrun[i - 1].cGlyphs - 1);
        }
        for (USHORT g = 0; g < run.cGlyphs; ++g) {
            if (run.wcLow + g == L'A') letterA = run.phg[g];
            if (run.wcLow + g == 0x20AC) euro = run.phg[g];
        }
        total += run.cGlyphs;
    }
    EXPECT_EQ(total, set->cGlyphsSupported);
    EXPECT_LE(total, 224u);
    EXPECT_EQ(letterA, HGLYPH(0x41));
    EXPECT_EQ(euro, HGLYPH(0x80));
    EngFreeMem(set);
    EXPECT_EQ(EngComputeGlyphSet(1252, 32, 0), nullptr);
    EXPECT_EQ(EngComputeGlyphSet(1252, 200, 57), nullptr);
    FD_GLYPHSET* last = EngComputeGlyphSet(1252, 200, 56);
    EXPECT_NE(last, nullptr);
    EngFreeMem(last);
}

TEST(PrintHostEngine, TransformsApplyAndInvert)
{
    std::unique_ptr<HostXform> x = MakeXform(2, 0, 0, 3, 10, -5);
    XFORML m{};
    EXPECT_EQ(XFORMOBJ_iGetXform(&x->xo, &m), ULONG(GX_SCALE));
    POINTL in[2] = {{1, 1}, {-4, 2}}, out[2] = {}, back[2] = {};
    ASSERT_TRUE(XFORMOBJ_bApplyXform(&x->xo, XF_LTOL, 2, in, out));
    EXPECT_EQ(out[0].x, 12);
    EXPECT_EQ(out[0].y, -2);
    EXPECT_EQ(out[1].x, 2);
    EXPECT_EQ(out[1].y, 1);
    ASSERT_TRUE(XFORMOBJ_bApplyXform(&x->xo, XF_INV_LTOL, 2, out, back));
    EXPECT_EQ(back[1].x, -4);
    EXPECT_EQ(back[1].y, 2);
    ASSERT_TRUE(XFORMOBJ_bApplyXform(&x->xo, XF_LTOFX, 1, in, out));
    EXPECT_EQ(out[0].x, 12 * 16);
    std::unique_ptr<HostXform> flat = MakeXform(1, 1, 1, 1, 0, 0);
    EXPECT_FALSE(XFORMOBJ_bApplyXform(&flat->xo, XF_INV_LTOL, 1, in, out));
    EXPECT_EQ(XFORMOBJ_iGetXform(reinterpret_cast<XFORMOBJ*>(&m), &m), ULONG(DDI_ERROR));
    ReleaseXform(x);
    ReleaseXform(flat);
}

TEST(PrintHostEngine, ClipRectanglesComeInBatchesThatFit)
{
    std::vector<RECTL> rects = {{0, 0, 10, 10}, {20, 0, 30, 10}, {0, 20, 10, 30}, {20, 20, 30, 30}, {0, 40, 10, 50}};
    std::unique_ptr<HostClip> clip = MakeClip(true, rects, RECTL{0, 0, 100, 100});
    EXPECT_EQ(clip->co.iDComplexity, DC_COMPLEX);
    EXPECT_EQ(CLIPOBJ_cEnumStart(&clip->co, FALSE, CT_RECTANGLES, CD_RIGHTDOWN, 4), 0xFFFFFFFFu);
    EXPECT_EQ(CLIPOBJ_cEnumStart(&clip->co, FALSE, CT_RECTANGLES, CD_RIGHTDOWN, 5), 5u);
    struct { ULONG c; RECTL r[2]; } batch{};
    std::vector<ULONG> counts;
    bool more = true;
    while (more) {
        more = CLIPOBJ_bEnum(&clip->co, sizeof(batch), reinterpret_cast<ULONG*>(&batch)) != FALSE;
        counts.push_back(batch.c);
    }
    EXPECT_EQ(counts, (std::vector<ULONG>{2, 2, 1}));
    // Bottom-up from the right: the last band first, right to left within a band.
    CLIPOBJ_cEnumStart(&clip->co, FALSE, CT_RECTANGLES, CD_LEFTUP, 5);
    CLIPOBJ_bEnum(&clip->co, sizeof(batch), reinterpret_cast<ULONG*>(&batch));
    EXPECT_EQ(batch.r[0].top, 40);
    EXPECT_EQ(batch.r[1].left, 20);
    EXPECT_FALSE(CLIPOBJ_bEnum(&clip->co, sizeof(ULONG), reinterpret_cast<ULONG*>(&batch)));
    PATHOBJ* outline = CLIPOBJ_ppoGetPath(&clip->co);
    ASSERT_NE(outline, nullptr);
    EXPECT_EQ(outline->cCurves, 15u);
    EngDeletePath(outline);
    ReleaseClip(clip);
    // Clipped to nothing visible on the surface, it is an empty rectangle clip.
    std::unique_ptr<HostClip> outside = MakeClip(true, {{200, 200, 300, 300}}, RECTL{0, 0, 100, 100});
    EXPECT_EQ(outside->co.iDComplexity, DC_RECT);
    EXPECT_EQ(CLIPOBJ_cEnumStart(&outside->co, FALSE, CT_RECTANGLES, CD_ANY, 10), 0u);
    ReleaseClip(outside);
}

TEST(PrintHostEngine, PathRecordsSplitLinesFromBeziers)
{
    const POINT points[] = {{0, 0}, {1, 1}, {2, 0}, {3, 1}, {4, 0}, {5, 5}, {9, 9}, {7, 7}};
    const BYTE types[] = {PT_MOVETO, PT_LINETO, PT_BEZIERTO, PT_BEZIERTO, PT_BEZIERTO | PT_CLOSEFIGURE,
                          PT_MOVETO, PT_MOVETO, PT_LINETO};
    HostPath* path = MakePathFromGdi(points, types, 8, false);
    EXPECT_EQ(path->po.cCurves, 3u);   // a line, a Bezier, a line; the lone move-to is dropped
    EXPECT_EQ(path->po.fl, FLONG(PO_ALL_INTEGERS | PO_BEZIERS));
    PATHOBJ_vEnumStart(&path->po);
    PATHDATA d{};
    ASSERT_TRUE(PATHOBJ_bEnum(&path->po, &d));
    EXPECT_EQ(d.flags, FLONG(PD_BEGINSUBPATH | PD_RESETSTYLE));
    EXPECT_EQ(d.count, 2u);
    ASSERT_TRUE(PATHOBJ_bEnum(&path->po, &d));
    EXPECT_EQ(d.flags, FLONG(PD_BEZIERS | PD_ENDSUBPATH | PD_CLOSEFIGURE));
    EXPECT_EQ(d.count, 3u);
    EXPECT_EQ(d.pptfx[2].x, 4 * 16);
    EXPECT_FALSE(PATHOBJ_bEnum(&path->po, &d));
    EXPECT_EQ(d.flags, FLONG(PD_BEGINSUBPATH | PD_RESETSTYLE | PD_ENDSUBPATH));
    EXPECT_EQ(d.pptfx[0].x, 9 * 16);
    RECTFX bounds{};
    PATHOBJ_vGetBounds(&path->po, &bounds);
    EXPECT_EQ(bounds.xRight, 9 * 16);
    ReleasePath(path);
    EXPECT_FALSE(PATHOBJ_bEnum(&path->po, &d));   // no longer alive: refused, not read
}

TEST(PrintHostEngine, ColourTranslationToTheDevicePalette)
{
    HostDevice device;
    device.devInfo.hpalDefault = EngCreatePalette(PAL_RGB, 0, nullptr, 0, 0, 0);
    std::unique_ptr<HostXlate> indexed = MakeXlate(PAL_INDEXED, {RGB(1, 2, 3), RGB(255, 0, 0)}, device);
    EXPECT_EQ(indexed->xo.flXlate, FLONG(XO_TABLE));
    EXPECT_EQ(XLATEOBJ_iXlate(&indexed->xo, 1), ULONG(RGB(255, 0, 0)));
    EXPECT_EQ(XLATEOBJ_iXlate(&indexed->xo, 2), 0u);   // beyond the table
    ULONG palette[2] = {};
    EXPECT_EQ(XLATEOBJ_cGetPalette(&indexed->xo, XO_SRCPALETTE, 2, palette), 2u);
    EXPECT_EQ(palette[0], ULONG(RGB(1, 2, 3)));
    std::unique_ptr<HostXlate> bgr = MakeXlate(PAL_BGR, {}, device);
    EXPECT_EQ(XLATEOBJ_iXlate(&bgr->xo, 0x00112233), ULONG(RGB(0x11, 0x22, 0x33)));
    ReleaseXlate(indexed);
    ReleaseXlate(bgr);
    EXPECT_TRUE(EngDeletePalette(device.devInfo.hpalDefault));
    EXPECT_FALSE(EngDeletePalette(device.devInfo.hpalDefault));
}

TEST(PrintHostEngine, MemoryIsZeroedAndFreedByItsOwnAllocator)
{
    auto* p = static_cast<BYTE*>(EngAllocMem(FL_ZERO_MEMORY, 64, 0));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(p[i], 0);
    void* user = EngAllocUserMem(16, 0);
    EngFreeMem(user);          // a user block is not engine memory: left alone
    EngFreeUserMem(user);
    EngFreeMem(p);
    EngFreeMem(nullptr);
}

// GDI marks the bold and italic it makes itself: a bold or italic request of
// a face whose file has neither. Faces with their own bold and italic files
// are not simulated.
TEST(PrintHostEngine, FontObjectsTellSimulatedBoldAndItalic)
{
    struct Case {
        const wchar_t* face;
        LONG weight;
        BYTE italic;
        FLONG simulated;
    } cases[] = {
        {L"DejaVu Math TeX Gyre", FW_BOLD, FALSE, FO_SIM_BOLD},   // one regular file only
        {L"DejaVu Math TeX Gyre", FW_NORMAL, TRUE, FO_SIM_ITALIC},
        {L"DejaVu Math TeX Gyre", FW_BOLD, TRUE, FO_SIM_BOLD | FO_SIM_ITALIC},
        {L"DejaVu Math TeX Gyre", FW_NORMAL, FALSE, 0},
        {L"DejaVu Serif", FW_BOLD, TRUE, 0},                      // has bold italic
    };
    const XFORM identity{1, 0, 0, 1, 0, 0};
    for (const Case& c : cases) {
        LOGFONTW lf{};
        lf.lfHeight = -40;
        lf.lfWeight = c.weight;
        lf.lfItalic = c.italic;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
        wcscpy(lf.lfFaceName, c.face);
        std::unique_ptr<HostFont> font = MakeEngineFont(nullptr, lf, identity);
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(font->fo.flFontType & (FO_SIM_BOLD | FO_SIM_ITALIC), c.simulated)
            << std::string(c.face, c.face + wcslen(c.face)) << " " << c.weight << " " << int(c.italic);
        EXPECT_TRUE(font->fo.flFontType & FO_TYPE_TRUETYPE);
        ReleaseFont(font);
    }
}

// A masked blit on bitmaps: where the mask's bit is 1 the foreground ROP3 (low
// byte) draws, where it is 0 the background ROP3 (high byte); a ROP3 the host
// does not draw refuses the call and leaves the target as it was.
TEST(PrintHostEngine, MaskedBlitChoosesTheRopByTheMaskBit)
{
    constexpr LONG kWidth = 4;
    const BYTE sourceBits[kWidth * 3] = {1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4};
    const BYTE maskBits[4] = {0xA0};  // pixels 0 and 2 set
    struct Case {
        const char* name;
        ROP4 rop4;
        bool drawn;
        ULONG expected[kWidth];
    };
    const Case cases[] = {
        {"copy where set, keep elsewhere", 0xAACC, true, {0x010101, 0x090909, 0x030303, 0x090909}},
        {"keep where set, copy elsewhere", 0xCCAA, true, {0x090909, 0x020202, 0x090909, 0x040404}},
        {"brush where set, white elsewhere", 0xFFF0, true, {0x00FF00, 0xFFFFFF, 0x00FF00, 0xFFFFFF}},
        {"black where set, keep elsewhere", 0xAA00, true, {0x000000, 0x090909, 0x000000, 0x090909}},
        {"an inverting background", 0x55CC, false, {0x090909, 0x090909, 0x090909, 0x090909}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HostSurface* source = CreateHostBitmap(SIZEL{kWidth, 1}, BMF_24BPP, true, sourceBits, kWidth * 3);
        HostSurface* mask = CreateHostBitmap(SIZEL{kWidth, 1}, BMF_1BPP, true, maskBits, 4);
        HostSurface* target = CreateHostBitmap(SIZEL{kWidth, 1}, BMF_24BPP, true, nullptr, 0);
        ASSERT_TRUE(source && mask && target);
        RECTL all{0, 0, kWidth, 1};
        ASSERT_TRUE(EngEraseSurface(&target->so, &all, 0x090909));
        BRUSHOBJ brush{};
        brush.iSolidColor = 0x00FF00;
        POINTL origin{0, 0};
        EXPECT_EQ(EngBitBlt(&target->so, &source->so, &mask->so, nullptr, nullptr, &all, &origin, &origin, &brush,
                            &origin, c.rop4) != FALSE,
                  c.drawn);
        for (LONG x = 0; x < kWidth; ++x)
            EXPECT_EQ(ReadPixel(target->so, x, 0), c.expected[x]) << "pixel " << x;
        for (HostSurface* s : {source, mask, target})
            DeleteHostSurface(s);
    }
}

// Windows' engine hands a long string over in batches its glyph cache holds:
// each call tells whether more remain, STROBJ_vEnumStart begins again, and
// the glyph data of a batch lasts only until the next one.
TEST(PrintHostEngine, LongStringsComeInBatchesWhoseGlyphDataLastsOneBatch)
{
    LOGFONTW lf{};
    lf.lfHeight = -40;
    std::wcscpy(lf.lfFaceName, L"Arial");
    std::unique_ptr<HostFont> font = MakeEngineFont(nullptr, lf, XFORM{1, 0, 0, 1, 0, 0});
    ASSERT_TRUE(font);
    // 'i' opens the first batch, 'W' the last: glyphs of different widths.
    std::wstring text(2 * kGlyphBatch + 5, L'x');
    text[0] = L'i';
    text[2 * kGlyphBatch] = L'W';
    HostString str;
    str.font = font.get();
    str.text = text;
    const std::vector<HGLYPH> handles = GlyphHandles(*font, text, false);
    str.glyphs.resize(text.size());
    for (size_t i = 0; i < text.size(); ++i) str.glyphs[i] = GLYPHPOS{handles[i], nullptr, POINTL{LONG(10 * i), 50}};
    str.so.cGlyphs = ULONG(text.size());
    str.so.pwszOrg = str.text.data();
    LiveStrings().Add(&str);

    for (bool positionsOnly : {false, true}) {
        SCOPED_TRACE(positionsOnly ? "positions only" : "with glyph data");
        auto enumerate = positionsOnly ? STROBJ_bEnumPositionsOnly : STROBJ_bEnum;
        STROBJ_vEnumStart(&str.so);
        std::vector<ULONG> counts;
        std::vector<BOOL> more;
        std::vector<GLYPHPOS> starts;
        LONG next = 0;
        for (BOOL again = TRUE; again;) {
            ULONG count = 0;
            GLYPHPOS* batch = nullptr;
            again = enumerate(&str.so, &count, &batch);
            ASSERT_NE(batch, nullptr);
            counts.push_back(count);
            more.push_back(again);
            starts.push_back(batch[0]);
            for (ULONG i = 0; i < count; ++i, next += 10) {
                EXPECT_EQ(batch[i].ptl.x, next);
                EXPECT_EQ(batch[i].pgdf != nullptr, !positionsOnly);
            }
        }
        EXPECT_EQ(counts, (std::vector<ULONG>{ULONG(kGlyphBatch), ULONG(kGlyphBatch), 5}));
        EXPECT_EQ(more, (std::vector<BOOL>{TRUE, TRUE, FALSE}));
        ULONG count = 7;
        GLYPHPOS* batch = nullptr;
        EXPECT_FALSE(enumerate(&str.so, &count, &batch));
        EXPECT_EQ(count, 0u);
        if (!positionsOnly) {
            // The first batch's 'i' now reads as the last batch's 'W'.
            auto width = [&](HGLYPH hg) {
                GLYPHDATA* data = nullptr;
                EXPECT_EQ(FONTOBJ_cGetGlyphs(&font->fo, FO_GLYPHBITS, 1, &hg, reinterpret_cast<void**>(&data)), 1u);
                return data && data->gdf.pgb ? data->gdf.pgb->sizlBitmap.cx : -1;
            };
            ASSERT_EQ(starts[0].pgdf, starts[2].pgdf);
            EXPECT_EQ(starts[0].pgdf->pgb->sizlBitmap.cx, width(handles[2 * kGlyphBatch]));
            EXPECT_NE(width(handles[0]), width(handles[2 * kGlyphBatch]));
        }
        // Beginning again gives the first batch again.
        STROBJ_vEnumStart(&str.so);
        EXPECT_TRUE(enumerate(&str.so, &count, &batch));
        EXPECT_EQ(count, ULONG(kGlyphBatch));
        EXPECT_EQ(batch[0].hg, handles[0]);
    }
    LiveStrings().Remove(&str);
    ReleaseFont(font);
}
