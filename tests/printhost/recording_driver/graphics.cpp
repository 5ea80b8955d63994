// A graphics driver that draws nothing and writes every DDI call it receives,
// with its engine objects enumerated, to the record log.
#include "tests/printhost/recording_driver/describe.h"
#include "tests/printhost/recording_driver/page_caps.h"

#include <winspool.h>
#include "tests/printhost/recording_driver/record_log.h"

#include <cstring>
#include <vector>

#define RECORDING_EXPORT extern "C" __declspec(dllexport)

namespace {

struct RecordingPdev {
    HDEV hdev = nullptr;
    HSURF surface = nullptr;
    HPALETTE palette = nullptr;
    SIZEL size{};
    HANDLE printer = nullptr;
};

constexpr SIZEL kPage = kTestDriverPage;

RecordingPdev* Pdev(DHPDEV dhpdev) { return reinterpret_cast<RecordingPdev*>(dhpdev); }

// The job bytes go through the spooler as a real driver's do: a line for each
// document and page step.
void WriteJobLine(SURFOBJ* so, const char* line)
{
    RecordingPdev* pdev = so ? Pdev(so->dhpdev) : nullptr;
    DWORD written = 0;
    if (pdev && pdev->printer) WritePrinter(pdev->printer, const_cast<char*>(line), DWORD(std::strlen(line)), &written);
}

std::string Name(SURFOBJ* so) { return so ? DescribeSurface(so) : "none"; }

} // namespace

static DHPDEV APIENTRY RecEnablePDEV(DEVMODEW* pdm, LPWSTR, ULONG cPat, HSURF* phsurfPatterns, ULONG cjCaps,
                                     ULONG* pdevcaps, ULONG cjDevInfo, DEVINFO* pdi, HDEV hdev, LPWSTR pwszDeviceName,
                                     HANDLE hDriver)
{
    RecordLine("DrvEnablePDEV devmode=" + (pdm ? std::to_string(pdm->dmSize) + "+" + std::to_string(pdm->dmDriverExtra)
                                               : std::string("none")) +
               " device=" + Narrow(pwszDeviceName) + " patterns=" + std::to_string(cPat) +
               " printer=" + (hDriver ? "yes" : "no"));
    if (!pdevcaps || !pdi || cjCaps < sizeof(GDIINFO) || cjDevInfo < sizeof(DEVINFO)) return nullptr;
    wchar_t refuse[4] = {};
    if (GetEnvironmentVariableW(L"PRINTHOST_RECORD_REFUSE_PDEV", refuse, 4) && refuse[0] == L'1') return nullptr;
    auto* pdev = new RecordingPdev;
    pdev->hdev = hdev;
    pdev->size = kPage;
    pdev->printer = hDriver;
    FillTestDriverCaps(reinterpret_cast<GDIINFO*>(pdevcaps), pdi);
    // On request the driver does not ask for opaque text rectangles.
    if (Asked(L"PRINTHOST_RECORD_NO_OPAQUERECT")) pdi->flGraphicsCaps &= ~GCAPS_OPAQUERECT;
    pdi->cFonts = 1;   // one device font, "Recording Mono"
    pdev->palette = g_engine.EngCreatePalette(PAL_RGB, 0, nullptr, 0, 0, 0);
    pdi->hpalDefault = pdev->palette;
    if (phsurfPatterns) std::memset(phsurfPatterns, 0, cPat * sizeof(HSURF));
    return reinterpret_cast<DHPDEV>(pdev);
}

static VOID APIENTRY RecCompletePDEV(DHPDEV dhpdev, HDEV hdev)
{
    RecordLine("DrvCompletePDEV");
    Pdev(dhpdev)->hdev = hdev;
}

static VOID APIENTRY RecDisablePDEV(DHPDEV dhpdev)
{
    RecordLine("DrvDisablePDEV");
    RecordingPdev* pdev = Pdev(dhpdev);
    if (pdev->palette) g_engine.EngDeletePalette(pdev->palette);
    delete pdev;
}

static BOOL APIENTRY RecResetPDEV(DHPDEV oldPdev, DHPDEV newPdev)
{
    RecordLine(std::string("DrvResetPDEV") + (oldPdev && newPdev ? "" : " missing"));
    // On request the driver cannot carry the old device's state over.
    return !Asked(L"PRINTHOST_RECORD_REFUSE_RESET");
}

static HSURF APIENTRY RecEnableSurface(DHPDEV dhpdev)
{
    RecordingPdev* pdev = Pdev(dhpdev);
    pdev->surface = g_engine.EngCreateDeviceSurface(reinterpret_cast<DHSURF>(pdev), pdev->size, BMF_24BPP);
    const BOOL associated = pdev->surface &&
        g_engine.EngAssociateSurface(pdev->surface, pdev->hdev,
                                     HOOK_BITBLT | HOOK_STRETCHBLT | HOOK_TEXTOUT | HOOK_STROKEPATH | HOOK_FILLPATH |
                                     HOOK_STROKEANDFILLPATH | HOOK_COPYBITS | HOOK_STRETCHBLTROP);
    RecordLine("DrvEnableSurface size=" + std::to_string(pdev->size.cx) + "x" + std::to_string(pdev->size.cy) +
               (associated ? "" : " not-associated"));
    return associated ? pdev->surface : nullptr;
}

static VOID APIENTRY RecDisableSurface(DHPDEV dhpdev)
{
    RecordLine("DrvDisableSurface");
    RecordingPdev* pdev = Pdev(dhpdev);
    if (pdev->surface) g_engine.EngDeleteSurface(pdev->surface);
    pdev->surface = nullptr;
}

static BOOL APIENTRY RecStartDoc(SURFOBJ* pso, LPWSTR pwszDocName, DWORD dwJobId)
{
    RecordLine("DrvStartDoc doc=\"" + Narrow(pwszDocName) + "\" job=" + (dwJobId ? "set" : "0"));
    WriteJobLine(pso, "document\n");
    return TRUE;
}

static BOOL APIENTRY RecEndDoc(SURFOBJ* pso, FLONG fl)
{
    RecordLine("DrvEndDoc fl=" + Hex(fl));
    WriteJobLine(pso, fl & ED_ABORTDOC ? "aborted\n" : "end\n");
    return TRUE;
}

static BOOL APIENTRY RecStartPage(SURFOBJ*)
{
    RecordLine("DrvStartPage");
    // On request the driver faults, as a broken driver does, to show what the host makes of it.
    if (Asked(L"PRINTHOST_RECORD_FAULT")) RaiseException(EXCEPTION_ACCESS_VIOLATION, 0, 0, nullptr);
    return TRUE;
}

static BOOL APIENTRY RecSendPage(SURFOBJ* pso)
{
    RecordLine("DrvSendPage");
    WriteJobLine(pso, "page\n");
    return TRUE;
}

// Escape answers: QUERYESCSUPPORT says yes to every code but 0x7FFF; other
// codes fill the output with their low byte and answer 1, 0x7FFF answers 0.
static ULONG APIENTRY RecEscape(SURFOBJ*, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut)
{
    RecordLine("DrvEscape code=" + std::to_string(iEsc) + " in=" + std::to_string(cjIn) +
               " out=" + std::to_string(cjOut));
    if (iEsc == QUERYESCSUPPORT)
        return cjIn >= sizeof(ULONG) && pvIn && *static_cast<ULONG*>(pvIn) != 0x7FFF ? 1 : 0;
    if (iEsc == 0x7FFF) return 0;
    if (pvOut && cjOut) std::memset(pvOut, int(iEsc & 0xFF), cjOut);
    return 1;
}

static BOOL APIENTRY RecStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                                   POINTL*, LINEATTRS* plineattrs, MIX mix)
{
    RecordLine("DrvStrokePath " + DescribePath(ppo) + " " + DescribeClip(pco) + " " + DescribeBrush(pbo) + " " +
               DescribeLine(plineattrs) + " " + DescribeXform(pxo) + " mix=" + Hex(mix) +
               (pso ? "" : " nosurface"));
    return TRUE;
}

static BOOL APIENTRY RecFillPath(SURFOBJ*, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL*, MIX mix, FLONG flOptions)
{
    RecordLine("DrvFillPath " + DescribePath(ppo) + " " + DescribeClip(pco) + " " + DescribeBrush(pbo) +
               " mix=" + Hex(mix) + " fill=" + Hex(flOptions));
    return TRUE;
}

static BOOL APIENTRY RecStrokeAndFillPath(SURFOBJ*, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pboStroke,
                                          LINEATTRS* plineattrs, BRUSHOBJ* pboFill, POINTL*, MIX mixFill, FLONG flOptions)
{
    RecordLine("DrvStrokeAndFillPath " + DescribePath(ppo) + " " + DescribeClip(pco) + " stroke:" +
               DescribeBrush(pboStroke) + " fill:" + DescribeBrush(pboFill) + " " + DescribeLine(plineattrs) + " " +
               DescribeXform(pxo) + " mix=" + Hex(mixFill) + " fill=" + Hex(flOptions));
    return TRUE;
}

static BOOL APIENTRY RecTextOut(SURFOBJ*, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                                RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL*, MIX mix)
{
    RecordLine("DrvTextOut " + DescribeFont(pfo) + " " + DescribeString(pstro, pfo) + " " + DescribeClip(pco) +
               " fore:" + DescribeBrush(pboFore) + " opaque=" + DescribeRect(prclOpaque) +
               (prclOpaque ? " opaquebrush:" + DescribeBrush(pboOpaque) : std::string()) +
               " extra=" + DescribeRect(prclExtra) + " mix=" + Hex(mix));
    return TRUE;
}

static BOOL APIENTRY RecBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                               RECTL* prclTrg, POINTL* pptlSrc, POINTL*, BRUSHOBJ* pbo, POINTL*, ROP4 rop4)
{
    RecordLine("DrvBitBlt dst=" + DescribeRect(prclTrg) + " src=" + Name(psoSrc) +
               (pptlSrc ? " at=" + std::to_string(pptlSrc->x) + "," + std::to_string(pptlSrc->y) : std::string()) +
               " mask=" + Name(psoMask) + " " + DescribeClip(pco) + " " + DescribeXlate(pxlo) + " " +
               DescribeBrush(pbo) + " rop=" + Hex(rop4) + (psoTrg ? "" : " notarget"));
    // On request a fill without a source is handed back to the engine, as a
    // driver does with what it does not draw itself.
    wchar_t punt[4] = {};
    if (!psoSrc && GetEnvironmentVariableW(L"PRINTHOST_RECORD_PUNT", punt, 4) && punt[0] == L'1') {
        const BOOL done = g_engine.EngBitBlt(psoTrg, psoSrc, psoMask, pco, pxlo, prclTrg, pptlSrc, nullptr, pbo, nullptr, rop4);
        RecordLine(std::string("  EngBitBlt -> ") + (done ? "1" : "0"));
        return done;
    }
    return TRUE;
}

static BOOL APIENTRY RecCopyBits(SURFOBJ*, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDest, POINTL* pptlSrc)
{
    RecordLine("DrvCopyBits dst=" + DescribeRect(prclDest) + " src=" + Name(psoSrc) +
               (pptlSrc ? " at=" + std::to_string(pptlSrc->x) + "," + std::to_string(pptlSrc->y) : std::string()) +
               " " + DescribeClip(pco) + " " + DescribeXlate(pxlo));
    return TRUE;
}

static BOOL APIENTRY RecStretchBlt(SURFOBJ*, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                   COLORADJUSTMENT*, POINTL*, RECTL* prclDest, RECTL* prclSrc, POINTL*, ULONG iMode)
{
    RecordLine("DrvStretchBlt dst=" + DescribeRect(prclDest) + " srcrect=" + DescribeRect(prclSrc) + " src=" +
               Name(psoSrc) + " mask=" + Name(psoMask) + " " + DescribeClip(pco) + " " + DescribeXlate(pxlo) +
               " mode=" + std::to_string(iMode));
    return TRUE;
}

static BOOL APIENTRY RecStretchBltROP(SURFOBJ*, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                      COLORADJUSTMENT*, POINTL*, RECTL* prclDest, RECTL* prclSrc, POINTL*, ULONG iMode,
                                      BRUSHOBJ* pbo, DWORD rop4)
{
    RecordLine("DrvStretchBltROP dst=" + DescribeRect(prclDest) + " srcrect=" + DescribeRect(prclSrc) + " src=" +
               Name(psoSrc) + " mask=" + Name(psoMask) + " " + DescribeClip(pco) + " " + DescribeXlate(pxlo) +
               " mode=" + std::to_string(iMode) + " " + DescribeBrush(pbo) + " rop=" + Hex(rop4));
    return TRUE;
}

static BOOL APIENTRY RecRealizeBrush(BRUSHOBJ* pbo, SURFOBJ*, SURFOBJ* psoPattern, SURFOBJ* psoMask, XLATEOBJ* pxlo,
                                     ULONG iHatch)
{
    RecordLine("DrvRealizeBrush hatch=" + std::to_string(iHatch) + " pattern=" + Name(psoPattern) +
               " mask=" + Name(psoMask) + " " + DescribeXlate(pxlo));
    if (!pbo || !psoPattern) return FALSE;
    auto* realized = static_cast<RecordingBrush*>(g_engine.BRUSHOBJ_pvAllocRbrush(pbo, sizeof(RecordingBrush)));
    if (!realized) return FALSE;
    realized->hatch = iHatch;
    realized->format = psoPattern->iBitmapFormat;
    realized->size = psoPattern->sizlBitmap;
    realized->colours[0] = pxlo ? g_engine.XLATEOBJ_iXlate(pxlo, 0) : 0;
    realized->colours[1] = pxlo ? g_engine.XLATEOBJ_iXlate(pxlo, 1) : 0;
    pbo->pvRbrush = realized;
    return TRUE;
}

static ULONG APIENTRY RecGetGlyphMode(DHPDEV, FONTOBJ*)
{
    return FO_GLYPHBITS;
}

// The device font: a fixed-pitch face of 1000 units to the em, 600 wide.
namespace {
constexpr wchar_t kDeviceFace[] = L"Recording Mono";
constexpr FWORD kDeviceAdvance = 600;
struct DeviceFontMetrics {
    IFIMETRICS ifi;
    WCHAR face[16];
};
FD_GLYPHSET* g_deviceGlyphs = nullptr;

const IFIMETRICS* DeviceMetrics()
{
    static DeviceFontMetrics metrics = [] {
        DeviceFontMetrics m{};
        m.ifi.cjThis = sizeof(m);
        m.ifi.dpwszFamilyName = m.ifi.dpwszStyleName = m.ifi.dpwszFaceName = m.ifi.dpwszUniqueName =
            offsetof(DeviceFontMetrics, face);
        std::memcpy(m.face, kDeviceFace, sizeof(kDeviceFace));
        m.ifi.jWinCharSet = ANSI_CHARSET;
        m.ifi.jWinPitchAndFamily = FIXED_PITCH | FF_MODERN;
        m.ifi.usWinWeight = FW_NORMAL;
        m.ifi.flInfo = FM_INFO_TECH_BITMAP | FM_INFO_CONSTANT_WIDTH | FM_INFO_1BPP;
        m.ifi.fwdUnitsPerEm = 1000;
        m.ifi.fwdWinAscender = 800;
        m.ifi.fwdWinDescender = 200;
        m.ifi.fwdAveCharWidth = m.ifi.fwdMaxCharInc = kDeviceAdvance;
        m.ifi.wcFirstChar = 32;
        m.ifi.wcLastChar = 255;
        m.ifi.wcDefaultChar = m.ifi.wcBreakChar = 32;
        return m;
    }();
    return &metrics.ifi;
}

LONG DeviceAdvance(FONTOBJ* pfo)
{
    POINTL in{kDeviceAdvance, 0}, out{};
    XFORMOBJ* xo = pfo ? g_engine.FONTOBJ_pxoGetXform(pfo) : nullptr;
    return xo && g_engine.XFORMOBJ_bApplyXform(xo, XF_LTOFX, 1, &in, &out) ? out.x : 0;
}
} // namespace

static PIFIMETRICS APIENTRY RecQueryFont(DHPDEV, ULONG_PTR, ULONG iFace, ULONG_PTR* pid)
{
    RecordLine("DrvQueryFont face=" + std::to_string(iFace));
    if (pid) *pid = 0;
    if (iFace == 0) return reinterpret_cast<PIFIMETRICS>(ULONG_PTR(1));
    return iFace == 1 ? const_cast<PIFIMETRICS>(DeviceMetrics()) : nullptr;
}

static PVOID APIENTRY RecQueryFontTree(DHPDEV, ULONG_PTR, ULONG iFace, ULONG iMode, ULONG_PTR* pid)
{
    RecordLine("DrvQueryFontTree face=" + std::to_string(iFace) + " mode=" + std::to_string(iMode));
    if (pid) *pid = 0;
    if (iFace != 1 || iMode != QFT_GLYPHSET) return nullptr;
    if (!g_deviceGlyphs) g_deviceGlyphs = g_engine.EngComputeGlyphSet(1252, 32, 224);
    return g_deviceGlyphs;
}

// Every glyph is an 8 x 8 block standing on the baseline.
static LONG APIENTRY RecQueryFontData(DHPDEV, FONTOBJ* pfo, ULONG iMode, HGLYPH hg, GLYPHDATA* pgd, PVOID pv, ULONG cjSize)
{
    if (iMode != QFD_GLYPHANDBITMAP) return FD_ERROR;
    const ULONG size = offsetof(GLYPHBITS, aj) + 8;
    if (pgd) {
        std::memset(pgd, 0, sizeof(*pgd));
        pgd->hg = hg;
        pgd->fxD = DeviceAdvance(pfo);
    }
    if (pv) {
        RecordLine("DrvQueryFontData glyph=" + std::to_string(hg));
        if (cjSize < size) return FD_ERROR;
        auto* bits = static_cast<GLYPHBITS*>(pv);
        bits->ptlOrigin = POINTL{0, -8};
        bits->sizlBitmap = SIZEL{8, 8};
        std::memset(bits->aj, 0xFF, 8);
    }
    return LONG(size);
}

static BOOL APIENTRY RecQueryAdvanceWidths(DHPDEV, FONTOBJ* pfo, ULONG iMode, HGLYPH*, PVOID pvWidths, ULONG cGlyphs)
{
    RecordLine("DrvQueryAdvanceWidths mode=" + std::to_string(iMode) + " n=" + std::to_string(cGlyphs));
    auto* widths = static_cast<USHORT*>(pvWidths);
    const LONG advance = DeviceAdvance(pfo);
    for (ULONG i = 0; widths && i < cGlyphs; ++i) widths[i] = USHORT(advance);
    return TRUE;
}

static const DRVFN kFunctions[] = {
    {INDEX_DrvQueryFont, AsDdiFunction(RecQueryFont)},
    {INDEX_DrvQueryFontTree, AsDdiFunction(RecQueryFontTree)},
    {INDEX_DrvQueryFontData, AsDdiFunction(RecQueryFontData)},
    {INDEX_DrvQueryAdvanceWidths, AsDdiFunction(RecQueryAdvanceWidths)},
    {INDEX_DrvEnablePDEV, AsDdiFunction(RecEnablePDEV)},
    {INDEX_DrvResetPDEV, AsDdiFunction(RecResetPDEV)},
    {INDEX_DrvCompletePDEV, AsDdiFunction(RecCompletePDEV)},
    {INDEX_DrvDisablePDEV, AsDdiFunction(RecDisablePDEV)},
    {INDEX_DrvEnableSurface, AsDdiFunction(RecEnableSurface)},
    {INDEX_DrvDisableSurface, AsDdiFunction(RecDisableSurface)},
    {INDEX_DrvBitBlt, AsDdiFunction(RecBitBlt)},
    {INDEX_DrvStretchBlt, AsDdiFunction(RecStretchBlt)},
    {INDEX_DrvCopyBits, AsDdiFunction(RecCopyBits)},
    {INDEX_DrvTextOut, AsDdiFunction(RecTextOut)},
    {INDEX_DrvSendPage, AsDdiFunction(RecSendPage)},
    {INDEX_DrvStrokePath, AsDdiFunction(RecStrokePath)},
    {INDEX_DrvFillPath, AsDdiFunction(RecFillPath)},
    {INDEX_DrvStrokeAndFillPath, AsDdiFunction(RecStrokeAndFillPath)},
    {INDEX_DrvRealizeBrush, AsDdiFunction(RecRealizeBrush)},
    {INDEX_DrvStartPage, AsDdiFunction(RecStartPage)},
    {INDEX_DrvStartDoc, AsDdiFunction(RecStartDoc)},
    {INDEX_DrvEscape, AsDdiFunction(RecEscape)},
    {INDEX_DrvEndDoc, AsDdiFunction(RecEndDoc)},
    {INDEX_DrvGetGlyphMode, AsDdiFunction(RecGetGlyphMode)},
    {INDEX_DrvStretchBltROP, AsDdiFunction(RecStretchBltROP)},
};

RECORDING_EXPORT BOOL APIENTRY DrvEnableDriver(ULONG iEngineVersion, ULONG cj, DRVENABLEDATA* pded)
{
    const char* missing = nullptr;
    if (!BindRecordingEngine(&g_engine, &missing)) {
        RecordLine(std::string("DrvEnableDriver unbound=") + missing);
        return FALSE;
    }
    RecordLine("DrvEnableDriver engine=" + Hex(iEngineVersion));
    if (iEngineVersion < DDI_DRIVER_VERSION_NT4 || cj < sizeof(DRVENABLEDATA) || !pded) return FALSE;
    pded->iDriverVersion = DDI_DRIVER_VERSION_NT4;
    pded->c = sizeof(kFunctions) / sizeof(kFunctions[0]);
    pded->pdrvfn = const_cast<DRVFN*>(kFunctions);
    return TRUE;
}

RECORDING_EXPORT VOID APIENTRY DrvDisableDriver()
{
    RecordLine("DrvDisableDriver");
    if (g_deviceGlyphs) g_engine.EngFreeMem(g_deviceGlyphs);
    g_deviceGlyphs = nullptr;
}

RECORDING_EXPORT BOOL APIENTRY DrvQueryDriverInfo(DWORD dwMode, PVOID pBuffer, DWORD cbBuf, PDWORD pcbNeeded)
{
    if (dwMode != DRVQUERY_USERMODE || !pcbNeeded) return FALSE;
    *pcbNeeded = sizeof(DWORD);
    if (!pBuffer || cbBuf < sizeof(DWORD)) return FALSE;
    *static_cast<DWORD*>(pBuffer) = TRUE;
    return TRUE;
}
