// A graphics driver that accepts every call and draws nothing, so that the
// host's own cost can be measured and later subtracted from a real driver's.
#include "tests/printhost/recording_driver/engine_binding.h"
#include "tests/printhost/recording_driver/page_caps.h"

#include <cstring>

#define NULL_DRIVER_EXPORT extern "C" __declspec(dllexport)

namespace {

RecordingEngine g_engine;

struct NullPdev {
    HDEV hdev = nullptr;
    HSURF surface = nullptr;
    HPALETTE palette = nullptr;
};

// The MORVA driver prints the benchmark's pages at 600 dpi; the host's cost
// is measured on a page of the same size in pixels.
constexpr LONG kDpi = 600;
constexpr SIZEL kPage = TestDriverPageAt(kDpi);

DHPDEV APIENTRY EnablePDEV(DEVMODEW*, LPWSTR, ULONG cPat, HSURF* patterns, ULONG cjCaps, ULONG* caps, ULONG cjDevInfo,
                           DEVINFO* devInfo, HDEV hdev, LPWSTR, HANDLE)
{
    if (!caps || !devInfo || cjCaps < sizeof(GDIINFO) || cjDevInfo < sizeof(DEVINFO)) return nullptr;
    auto* pdev = new NullPdev;
    pdev->hdev = hdev;
    FillTestDriverCaps(reinterpret_cast<GDIINFO*>(caps), devInfo, kDpi);
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
    {INDEX_DrvEnablePDEV, AsDdiFunction(EnablePDEV)},
    {INDEX_DrvCompletePDEV, AsDdiFunction(CompletePDEV)},
    {INDEX_DrvDisablePDEV, AsDdiFunction(DisablePDEV)},
    {INDEX_DrvEnableSurface, AsDdiFunction(EnableSurface)},
    {INDEX_DrvDisableSurface, AsDdiFunction(DisableSurface)},
    {INDEX_DrvBitBlt, AsDdiFunction(Accept)},
    {INDEX_DrvStretchBlt, AsDdiFunction(Accept)},
    {INDEX_DrvCopyBits, AsDdiFunction(Accept)},
    {INDEX_DrvTextOut, AsDdiFunction(Accept)},
    {INDEX_DrvStrokePath, AsDdiFunction(Accept)},
    {INDEX_DrvFillPath, AsDdiFunction(Accept)},
    {INDEX_DrvStrokeAndFillPath, AsDdiFunction(Accept)},
    {INDEX_DrvRealizeBrush, AsDdiFunction(Accept)},
    {INDEX_DrvStartDoc, AsDdiFunction(Accept)},
    {INDEX_DrvEndDoc, AsDdiFunction(Accept)},
    {INDEX_DrvStartPage, AsDdiFunction(Accept)},
    {INDEX_DrvSendPage, AsDdiFunction(Accept)},
    {INDEX_DrvStretchBltROP, AsDdiFunction(Accept)},
    {INDEX_DrvGetGlyphMode, AsDdiFunction(GlyphMode)},
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
