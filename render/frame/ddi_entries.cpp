// The exported DDI entries of the graphics library. Each one writes its entry
// line, runs its body and writes its exit line with the result; every body that
// takes a device record checks it first.
#include "common/system/lock_table.h"
#include "common/system/trace_log.h"
#include "render/device/engine_calls.h"
#include "render/device/pdev_record.h"
#include "render/draw/draw_path.h"
#include "render/draw/text_output.h"
#include "render/font/device_fonts.h"
#include "render/frame/escape_table.h"
#include "render/frame/job_frame.h"
#include "render/frame/pdev_lifecycle.h"
#include "render/image/bitblt.h"
#include "render/image/realize_brush.h"

#include <windows.h>
#include <winddi.h>

#include <iterator>

namespace {

constexpr ROP4 kRop4SourceCopy = 0xCCCC;  // SRCCOPY in both halves

constexpr ULONG kDdiVersion = 0x20000;
constexpr ULONG kRequiredEnableDataSize = 16;

// The engine calls these by index; the order is that of the table handed out.
DRVFN g_functions[] = {
    {INDEX_DrvEnablePDEV, AsDdiFunction(&DrvEnablePDEV)},
    {INDEX_DrvResetPDEV, AsDdiFunction(&DrvResetPDEV)},
    {INDEX_DrvCompletePDEV, AsDdiFunction(&DrvCompletePDEV)},
    {INDEX_DrvDisablePDEV, AsDdiFunction(&DrvDisablePDEV)},
    {INDEX_DrvEnableSurface, AsDdiFunction(&DrvEnableSurface)},
    {INDEX_DrvDisableSurface, AsDdiFunction(&DrvDisableSurface)},
    {INDEX_DrvBitBlt, AsDdiFunction(&DrvBitBlt)},
    {INDEX_DrvStretchBlt, AsDdiFunction(&DrvStretchBlt)},
    {INDEX_DrvCopyBits, AsDdiFunction(&DrvCopyBits)},
    {INDEX_DrvTextOut, AsDdiFunction(&DrvTextOut)},
    {INDEX_DrvQueryFont, AsDdiFunction(&DrvQueryFont)},
    {INDEX_DrvQueryFontTree, AsDdiFunction(&DrvQueryFontTree)},
    {INDEX_DrvQueryFontData, AsDdiFunction(&DrvQueryFontData)},
    {INDEX_DrvQueryAdvanceWidths, AsDdiFunction(&DrvQueryAdvanceWidths)},
    {INDEX_DrvSendPage, AsDdiFunction(&DrvSendPage)},
    {INDEX_DrvStrokePath, AsDdiFunction(&DrvStrokePath)},
    {INDEX_DrvFillPath, AsDdiFunction(&DrvFillPath)},
    {INDEX_DrvStrokeAndFillPath, AsDdiFunction(&DrvStrokeAndFillPath)},
    {INDEX_DrvRealizeBrush, AsDdiFunction(&DrvRealizeBrush)},
    {INDEX_DrvStartPage, AsDdiFunction(&DrvStartPage)},
    {INDEX_DrvStartDoc, AsDdiFunction(&DrvStartDoc)},
    {INDEX_DrvEscape, AsDdiFunction(&DrvEscape)},
    {INDEX_DrvEndDoc, AsDdiFunction(&DrvEndDoc)},
    {INDEX_DrvGetGlyphMode, AsDdiFunction(&DrvGetGlyphMode)},
    {INDEX_DrvStretchBltROP, AsDdiFunction(&DrvStretchBltROP)},
};
static_assert(std::size(g_functions) == 25);

template <typename T>
T Fail(T value)
{
    SetLastError(ERROR_INVALID_PARAMETER);
    return value;
}

PDevRecord* DeviceOf(DHPDEV dhpdev)
{
    auto* pdev = reinterpret_cast<PDevRecord*>(dhpdev);
    return IsValidPdev(pdev) ? pdev : nullptr;
}

// A drawing call is taken once its surface is ours and its objects are there;
// what it draws comes with the drawing bodies.
BOOL AcceptDrawing(SURFOBJ* surface, bool objectsPresent)
{
    PDevRecord* pdev = PdevOfSurface(surface);
    if (!pdev || !objectsPresent)
        return Fail(FALSE);
    return EnsurePageOpen(pdev) == 0;
}

// A device font number (1-based) of the record.
bool IsDeviceFont(PDevRecord* pdev, ULONG number)
{
    return number >= 1 && number <= pdev->deviceFontCount;
}

} // namespace

BOOL APIENTRY DrvEnableDriver(ULONG iEngineVersion, ULONG cj, DRVENABLEDATA* pded)
{
    TraceEnter(L"DrvEnableDriver");
    BOOL result = FALSE;
    const char* missing = nullptr;
    if (iEngineVersion < kDdiVersion || cj < kRequiredEnableDataSize || !pded) {
        SetLastError(ERROR_BAD_DRIVER_LEVEL);
    } else if (!BindEngineCalls(&missing)) {
        SetLastError(ERROR_PROC_NOT_FOUND);
    } else {
        pded->iDriverVersion = kDdiVersion;
        pded->c = static_cast<ULONG>(std::size(g_functions));
        pded->pdrvfn = g_functions;
        InitAllLocks();
        InitGlyphSetCache();
        result = TRUE;
    }
    TraceLeave(L"DrvEnableDriver RetValue = %d", result);
    return result;
}

VOID APIENTRY DrvDisableDriver(VOID)
{
    TraceEnter(L"DrvDisableDriver");
    FreeGlyphSetCache();
    TraceLeave(L"DrvDisableDriver");
}

BOOL APIENTRY DrvQueryDriverInfo(DWORD dwMode, PVOID pBuffer, DWORD cbBuf, PDWORD pcbNeeded)
{
    TraceEnter(L"DrvQueryDriverInfo");
    BOOL result = FALSE;
    if (dwMode != DRVQUERY_USERMODE || !pcbNeeded) {
        SetLastError(ERROR_INVALID_PARAMETER);
    } else {
        *pcbNeeded = sizeof(DWORD);
        if (pBuffer && cbBuf >= sizeof(DWORD)) {
            *static_cast<DWORD*>(pBuffer) = 1;  // a user-mode driver
            result = TRUE;
        } else {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
        }
    }
    TraceLeave(L"DrvQueryDriverInfo RetValue = %d", result);
    return result;
}

DHPDEV APIENTRY DrvEnablePDEV(DEVMODEW* pdm, LPWSTR, ULONG cPat, HSURF* phsurfPatterns, ULONG cjCaps,
                              ULONG* pdevcaps, ULONG cjDevInfo, DEVINFO* pdi, HDEV hdev, LPWSTR, HANDLE hDriver)
{
    ReloadTraceSettings();
    TraceEnter(L"DrvEnablePDEV");
    DHPDEV result = EnablePdevBody(pdm, cPat, phsurfPatterns, cjCaps, pdevcaps, cjDevInfo, pdi, hdev, hDriver);
    TraceLeave(L"DrvEnablePDEV RetValue = 0x%08X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(result)));
    return result;
}

VOID APIENTRY DrvCompletePDEV(DHPDEV dhpdev, HDEV hdev)
{
    TraceEnter(L"DrvCompletePDEV");
    CompletePdevBody(dhpdev, hdev);
    TraceLeave(L"DrvCompletePDEV");
}

BOOL APIENTRY DrvResetPDEV(DHPDEV dhpdevOld, DHPDEV dhpdevNew)
{
    TraceEnter(L"DrvResetPDEV");
    const BOOL result = ResetPdevBody(dhpdevOld, dhpdevNew);
    TraceLeave(L"DrvResetPDEV RetValue = %d", result);
    return result;
}

VOID APIENTRY DrvDisablePDEV(DHPDEV dhpdev)
{
    TraceEnter(L"DrvDisablePDEV");
    DisablePdevBody(dhpdev);
    TraceLeave(L"DrvDisablePDEV");
}

HSURF APIENTRY DrvEnableSurface(DHPDEV dhpdev)
{
    TraceEnter(L"DrvEnableSurface");
    HSURF result = EnableSurfaceBody(dhpdev);
    TraceLeave(L"DrvEnableSurface RetValue = 0x%08X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(result)));
    return result;
}

VOID APIENTRY DrvDisableSurface(DHPDEV dhpdev)
{
    TraceEnter(L"DrvDisableSurface");
    DisableSurfaceBody(dhpdev);
    TraceLeave(L"DrvDisableSurface");
}

BOOL APIENTRY DrvStartDoc(SURFOBJ* pso, LPWSTR pwszDocName, DWORD dwJobId)
{
    TraceEnter(L"DrvStartDoc");
    const BOOL result = StartDocBody(pso, pwszDocName, dwJobId);
    TraceLeave(L"DrvStartDoc RetValue = %d", result);
    return result;
}

BOOL APIENTRY DrvEndDoc(SURFOBJ* pso, FLONG fl)
{
    TraceEnter(L"DrvEndDoc");
    const BOOL result = EndDocBody(pso, fl);
    TraceLeave(L"DrvEndDoc RetValue = %d", result);
    return result;
}

BOOL APIENTRY DrvStartPage(SURFOBJ* pso)
{
    TraceEnter(L"DrvStartPage");
    const BOOL result = StartPageBody(pso);
    TraceLeave(L"DrvStartPage RetValue = %d", result);
    return result;
}

BOOL APIENTRY DrvSendPage(SURFOBJ* pso)
{
    TraceEnter(L"DrvSendPage");
    const BOOL result = SendPageBody(pso);
    TraceLeave(L"DrvSendPage RetValue = %d", result);
    return result;
}

ULONG APIENTRY DrvEscape(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut)
{
    TraceEnter(L"DrvEscape");
    const ULONG result = EscapeBody(pso, iEsc, cjIn, pvIn, cjOut, pvOut);
    TraceLeave(L"DrvEscape RetValue = %ld", static_cast<LONG>(result));
    return result;
}

BOOL APIENTRY DrvBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                        RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush,
                        ROP4 rop4)
{
    TraceEnter(L"DrvBitBlt");
    BOOL result = AcceptDrawing(psoTrg, prclTrg != nullptr);
    if (result)
        result = BitBltCommon(psoTrg, psoSrc, psoMask, pco, pxlo, prclTrg, nullptr, pptlSrc, pptlMask, pbo, pptlBrush,
                              rop4, kBlitBitBlt);
    TraceLeave(L"DrvBitBlt RetValue = %d", result);
    return result;
}

BOOL APIENTRY DrvStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                            COLORADJUSTMENT*, POINTL*, RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask, ULONG)
{
    TraceEnter(L"DrvStretchBlt");
    BOOL result = AcceptDrawing(psoDest, psoSrc && prclDest && prclSrc);
    if (result)
        result = BitBltCommon(psoDest, psoSrc, psoMask, pco, pxlo, prclDest, prclSrc, nullptr, pptlMask, nullptr,
                              nullptr, kRop4SourceCopy, kBlitStretch);
    TraceLeave(L"DrvStretchBlt RetValue = %d", result);
    return result;
}

BOOL APIENTRY DrvStretchBltROP(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                               COLORADJUSTMENT*, POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask,
                               ULONG, BRUSHOBJ* pbo, DWORD rop4)
{
    TraceEnter(L"DrvStretchBltROP");
    BOOL result = AcceptDrawing(psoDest, psoSrc && prclDest && prclSrc);
    if (result)
        result = BitBltCommon(psoDest, psoSrc, psoMask, pco, pxlo, prclDest, prclSrc, nullptr, pptlMask, pbo,
                              pptlHTOrg, rop4, kBlitStretchRop);
    TraceLeave(L"DrvStretchBltROP RetValue = %d", result);
    return result;
}

BOOL APIENTRY DrvCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDest,
                          POINTL* pptlSrc)
{
    TraceEnter(L"DrvCopyBits");
    BOOL result = AcceptDrawing(psoDest, psoSrc && prclDest);
    if (result) {
        // The device's own surface has nothing to read back: the area becomes white.
        if (psoSrc->iType != STYPE_BITMAP)
            result = g_engine.EngEraseSurface(psoDest, prclDest, 0xFFFFFFFF);
        else if (psoDest->iType == STYPE_DEVICE)
            result = BitBltCommon(psoDest, psoSrc, nullptr, pco, pxlo, prclDest, nullptr, pptlSrc, nullptr, nullptr,
                                  nullptr, kRop4SourceCopy, kBlitCopyBits);
        else {
            SetLastError(ERROR_INVALID_PARAMETER);
            result = FALSE;
        }
    }
    TraceLeave(L"DrvCopyBits RetValue = %d", result);
    return result;
}

BOOL APIENTRY DrvStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                            POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix)
{
    TraceEnter(L"DrvStrokePath");
    const bool geometric = plineattrs && (plineattrs->fl & LA_GEOMETRIC);
    BOOL result = AcceptDrawing(pso, ppo && plineattrs && (!geometric || pxo));
    if (result)
        result = DrawPathCommon(pso, ppo, pco, pxo, pbo, nullptr, pptlBrushOrg, plineattrs, mix, 0, kPaintStroke) == 1;
    TraceLeave(L"DrvStrokePath RetValue = %d", result);
    return result;
}

BOOL APIENTRY DrvFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix,
                          FLONG flOptions)
{
    TraceEnter(L"DrvFillPath");
    BOOL result = AcceptDrawing(pso, ppo != nullptr);
    if (result)
        result = DrawPathCommon(pso, ppo, pco, nullptr, nullptr, pbo, pptlBrushOrg, nullptr, mix, flOptions,
                                kPaintFill) == 1;
    TraceLeave(L"DrvFillPath RetValue = %d", result);
    return result;
}

BOOL APIENTRY DrvStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pboStroke,
                                   LINEATTRS* plineattrs, BRUSHOBJ* pboFill, POINTL* pptlBrushOrg, MIX mixFill,
                                   FLONG flOptions)
{
    TraceEnter(L"DrvStrokeAndFillPath");
    const bool geometric = plineattrs && (plineattrs->fl & LA_GEOMETRIC);
    BOOL result = AcceptDrawing(pso, ppo && plineattrs && (!geometric || pxo));
    if (result)
        result = DrawPathCommon(pso, ppo, pco, pxo, pboStroke, pboFill, pptlBrushOrg, plineattrs, mixFill, flOptions,
                                kPaintStrokeAndFill) == 1;
    TraceLeave(L"DrvStrokeAndFillPath RetValue = %d", result);
    return result;
}

BOOL APIENTRY DrvTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                         RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix)
{
    TraceEnter(L"DrvTextOut");
    BOOL result = AcceptDrawing(pso, pstro && pfo);
    if (result)
        result = TextOutCommon(pso, pstro, pfo, pco, prclExtra, prclOpaque, pboFore, pboOpaque, pptlOrg, mix) == 1;
    TraceLeave(L"DrvTextOut RetValue = %d", result);
    return result;
}

BOOL APIENTRY DrvRealizeBrush(BRUSHOBJ* pbo, SURFOBJ* psoTarget, SURFOBJ* psoPattern, SURFOBJ* psoMask,
                              XLATEOBJ* pxlo, ULONG iHatch)
{
    TraceEnter(L"DrvRealizeBrush");
    const BOOL result = RealizeBrushBody(pbo, psoTarget, psoPattern, psoMask, pxlo, iHatch);
    TraceLeave(L"DrvRealizeBrush RetValue = %d", result);
    return result;
}

ULONG APIENTRY DrvGetGlyphMode(DHPDEV, FONTOBJ*)
{
    TraceEnter(L"DrvGetGlyphMode");
    const ULONG result = FO_GLYPHBITS;
    TraceLeave(L"DrvGetGlyphMode RetValue = %ld", static_cast<LONG>(result));
    return result;
}

PIFIMETRICS APIENTRY DrvQueryFont(DHPDEV dhpdev, ULONG_PTR, ULONG iFace, ULONG_PTR*)
{
    TraceEnter(L"DrvQueryFont");
    PDevRecord* pdev = DeviceOf(dhpdev);
    PIFIMETRICS result = nullptr;
    if (!pdev || !IsDeviceFont(pdev, iFace))
        Fail(0);
    else
        result = FontMetrics(DeviceFontOf(pdev, iFace));
    TraceLeave(L"DrvQueryFont RetValue = 0x%08X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(result)));
    return result;
}

PVOID APIENTRY DrvQueryFontTree(DHPDEV dhpdev, ULONG_PTR, ULONG iFace, ULONG iMode, ULONG_PTR*)
{
    TraceEnter(L"DrvQueryFontTree");
    PDevRecord* pdev = DeviceOf(dhpdev);
    PVOID result = nullptr;
    if (!pdev || !IsDeviceFont(pdev, iFace) || (iMode != QFT_KERNPAIRS && iMode != QFT_GLYPHSET))
        Fail(0);
    else if (iMode == QFT_KERNPAIRS)
        result = FontKerningPairs(DeviceFontOf(pdev, iFace));
    else
        result = GetFontGlyphSet(pdev, iFace);
    TraceLeave(L"DrvQueryFontTree RetValue = 0x%08X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(result)));
    return result;
}

LONG APIENTRY DrvQueryFontData(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH hg, GLYPHDATA* pgd, PVOID pv,
                               ULONG cjSize)
{
    TraceEnter(L"DrvQueryFontData");
    PDevRecord* pdev = DeviceOf(dhpdev);
    LONG result = FD_ERROR;
    if (!pdev || !pfo || !IsDeviceFont(pdev, pfo->iFace))
        Fail(0);
    else
        result = QueryDeviceFontData(pdev, pfo, iMode, hg, pgd, pv, cjSize);
    TraceLeave(L"DrvQueryFontData RetValue = %ld", result);
    return result;
}

BOOL APIENTRY DrvQueryAdvanceWidths(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH* phg, PVOID pvWidths,
                                    ULONG cGlyphs)
{
    TraceEnter(L"DrvQueryAdvanceWidths");
    PDevRecord* pdev = DeviceOf(dhpdev);
    BOOL result = FALSE;
    if (!pdev || (iMode != QAW_GETWIDTHS && iMode != QAW_GETEASYWIDTHS))
        Fail(0);
    else if (cGlyphs == 0)
        result = TRUE;
    else if (!pfo || !IsDeviceFont(pdev, pfo->iFace))
        Fail(0);
    else
        result = QueryDeviceAdvanceWidths(pdev, pfo, phg, static_cast<USHORT*>(pvWidths), cGlyphs);
    TraceLeave(L"DrvQueryAdvanceWidths RetValue = %d", result);
    return result;
}
