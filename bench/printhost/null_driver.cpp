// A graphics driver that accepts every call and draws nothing, so that the
// host's own cost can be measured and later subtracted from a real driver's.
#include "tests/printhost/recording_driver/engine_binding.h"

#include <cstring>

#define NULL_DRIVER_EXPORT extern "C" __declspec(dllexport)

namespace {

RecordingEngine g_engine;

struct NullPdev {
    HDEV hdev = nullptr;
    HSURF surface = nullptr;
    HPALETTE palette = nullptr;
};

constexpr SIZEL kPage{2480, 3508};   // A4 at 300 dots per inch

DHPDEV APIENTRY EnablePDEV(DEVMODEW*, LPWSTR, ULONG cPat, HSURF* patterns, ULONG cjCaps, ULONG* caps, ULONG cjDevInfo,
                           DEVINFO* devInfo, HDEV hdev, LPWSTR, HANDLE)
{
    if (!caps || !devInfo || cjCaps < sizeof(GDIINFO) || cjDevInfo < sizeof(DEVINFO)) return nullptr;
    auto* pdev = new NullPdev;
    pdev->hdev = hdev;
    auto* gi = reinterpret_cast<GDIINFO*>(caps);
    std::memset(gi, 0, sizeof(GDIINFO));
    gi->ulVersion = 0x400;
    gi->ulTechnology = DT_RASPRINTER;
    gi->ulHorzSize = 210;
    gi->ulVertSize = 297;
    gi->ulHorzRes = kPage.cx;
    gi->ulVertRes = kPage.cy;
    gi->cBitsPixel = 24;
    gi->cPlanes = 1;
    gi->ulLogPixelsX = gi->ulLogPixelsY = 300;
    gi->szlPhysSize = kPage;
    std::memset(devInfo, 0, sizeof(DEVINFO));
    devInfo->flGraphicsCaps = GCAPS_BEZIERS | GCAPS_GEOMETRICWIDE | GCAPS_ALTERNATEFILL | GCAPS_WINDINGFILL;
    devInfo->iDitherFormat = BMF_24BPP;
    pdev->palette = g_engine.EngCreatePalette(PAL_RGB, 0, nullptr, 0, 0, 0);
    devInfo->hpalDefault = pdev->palette;
    if (patterns) std::memset(patterns, 0, cPat * sizeof(HSURF));
    return reinterpret_cast<DHPDEV>(pdev);
}

VOID APIENTRY CompletePDEV(DHPDEV dhpdev, HDEV hdev) { reinterpret_cast<NullPdev*>(dhpdev)->hdev = hdev; }

VOID APIENTRY DisablePDEV(DHPDEV dhpdev)
{
    auto* pdev = reinterpret_cast<NullPdev*>(dhpdev);
    g_engine.EngDeletePalette(pdev->palette);
    delete pdev;
}

HSURF APIENTRY EnableSurface(DHPDEV dhpdev)
{
    auto* pdev = reinterpret_cast<NullPdev*>(dhpdev);
    pdev->surface = g_engine.EngCreateDeviceSurface(reinterpret_cast<DHSURF>(pdev), kPage, BMF_24BPP);
    g_engine.EngAssociateSurface(pdev->surface, pdev->hdev,
                                 HOOK_BITBLT | HOOK_STRETCHBLT | HOOK_TEXTOUT | HOOK_STROKEPATH | HOOK_FILLPATH |
                                 HOOK_STROKEANDFILLPATH | HOOK_COPYBITS | HOOK_STRETCHBLTROP);
    return pdev->surface;
}

VOID APIENTRY DisableSurface(DHPDEV dhpdev) { g_engine.EngDeleteSurface(reinterpret_cast<NullPdev*>(dhpdev)->surface); }

BOOL APIENTRY Accept() { return TRUE; }
ULONG APIENTRY GlyphMode(DHPDEV, FONTOBJ*) { return FO_GLYPHBITS; }

const DRVFN kFunctions[] = {
    {INDEX_DrvEnablePDEV, reinterpret_cast<PFN>(EnablePDEV)},
    {INDEX_DrvCompletePDEV, reinterpret_cast<PFN>(CompletePDEV)},
    {INDEX_DrvDisablePDEV, reinterpret_cast<PFN>(DisablePDEV)},
    {INDEX_DrvEnableSurface, reinterpret_cast<PFN>(EnableSurface)},
    {INDEX_DrvDisableSurface, reinterpret_cast<PFN>(DisableSurface)},
    {INDEX_DrvBitBlt, reinterpret_cast<PFN>(Accept)},
    {INDEX_DrvStretchBlt, reinterpret_cast<PFN>(Accept)},
    {INDEX_DrvCopyBits, reinterpret_cast<PFN>(Accept)},
    {INDEX_DrvTextOut, reinterpret_cast<PFN>(Accept)},
    {INDEX_DrvStrokePath, reinterpret_cast<PFN>(Accept)},
    {INDEX_DrvFillPath, reinterpret_cast<PFN>(Accept)},
    {INDEX_DrvStrokeAndFillPath, reinterpret_cast<PFN>(Accept)},
    {INDEX_DrvRealizeBrush, reinterpret_cast<PFN>(Accept)},
    {INDEX_DrvStartDoc, reinterpret_cast<PFN>(Accept)},
    {INDEX_DrvEndDoc, reinterpret_cast<PFN>(Accept)},
    {INDEX_DrvStartPage, reinterpret_cast<PFN>(Accept)},
    {INDEX_DrvSendPage, reinterpret_cast<PFN>(Accept)},
    {INDEX_DrvStretchBltROP, reinterpret_cast<PFN>(Accept)},
    {INDEX_DrvGetGlyphMode, reinterpret_cast<PFN>(GlyphMode)},
};

} // namespace

NULL_DRIVER_EXPORT BOOL APIENTRY DrvEnableDriver(ULONG, ULONG cj, DRVENABLEDATA* data)
{
    if (!BindRecordingEngine(&g_engine, nullptr) || cj < sizeof(DRVENABLEDATA) || !data) return FALSE;
    data->iDriverVersion = DDI_DRIVER_VERSION_NT4;
    data->c = sizeof(kFunctions) / sizeof(kFunctions[0]);
    data->pdrvfn = const_cast<DRVFN*>(kFunctions);
    return TRUE;
}

NULL_DRIVER_EXPORT VOID APIENTRY DrvDisableDriver() {}
