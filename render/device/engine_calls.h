// The graphics engine's callbacks, bound by name when the engine enables the
// driver. On Windows gdi32 exports them; a name gdi32 lacks is looked up on the
// process image (a host that carries the engine itself exports them there).
// The library therefore imports none of them, and this is the one place that
// binds them.
#pragma once
#include <windows.h>
#include <winddi.h>

#define MORVA_ENGINE_CALLS(X)                                                                                   \
    X(EngAllocMem) X(EngFreeMem) X(EngAllocUserMem) X(EngFreeUserMem)                                           \
    X(EngCreateDeviceSurface) X(EngCreateDeviceBitmap) X(EngAssociateSurface) X(EngDeleteSurface)              \
    X(EngCreateBitmap) X(EngLockSurface) X(EngUnlockSurface) X(EngMarkBandingSurface)                          \
    X(EngCreatePalette) X(EngDeletePalette) X(EngQueryPalette)                                                 \
    X(EngEraseSurface) X(EngCopyBits) X(EngBitBlt) X(EngStretchBlt)                                            \
    X(EngComputeGlyphSet) X(EngGetCurrentCodePage) X(EngMultiByteToUnicodeN) X(EngUnicodeToMultiByteN)         \
    X(EngDeletePath)                                                                                           \
    X(BRUSHOBJ_pvAllocRbrush) X(BRUSHOBJ_pvGetRbrush) X(BRUSHOBJ_ulGetBrushColor) X(BRUSHOBJ_hGetColorTransform) \
    X(CLIPOBJ_cEnumStart) X(CLIPOBJ_bEnum) X(CLIPOBJ_ppoGetPath)                                               \
    X(PATHOBJ_vEnumStart) X(PATHOBJ_bEnum) X(PATHOBJ_vGetBounds)                                               \
    X(STROBJ_vEnumStart) X(STROBJ_bEnum) X(STROBJ_bEnumPositionsOnly) X(STROBJ_dwGetCodePage)                  \
    X(FONTOBJ_cGetGlyphs) X(FONTOBJ_pxoGetXform) X(FONTOBJ_pifi) X(FONTOBJ_vGetInfo)                           \
    X(FONTOBJ_pQueryGlyphAttrs) X(FONTOBJ_pvTrueTypeFontFile)                                                  \
    X(XFORMOBJ_iGetXform) X(XFORMOBJ_iGetFloatObjXform) X(XFORMOBJ_bApplyXform)                                \
    X(XLATEOBJ_iXlate) X(XLATEOBJ_piVector) X(XLATEOBJ_cGetPalette) X(XLATEOBJ_hGetColorTransform)

struct EngineCalls {
#define MORVA_ENGINE_MEMBER(name) decltype(&::name) name;
    MORVA_ENGINE_CALLS(MORVA_ENGINE_MEMBER)
#undef MORVA_ENGINE_MEMBER
};

// The bound callbacks; every member is set once BindEngineCalls succeeded.
extern EngineCalls g_engine;

// Binds every name: true, or false with the first name found nowhere (the
// table is then left as it was).
bool BindEngineCalls(const char** missing);

// True once BindEngineCalls succeeded (the engine enabled the driver).
bool EngineCallsBound();

// A DDI function as the driver function table holds it.
template <typename F>
PFN AsDdiFunction(F function)
{
    return reinterpret_cast<PFN>(reinterpret_cast<void (*)()>(function));
}
