// The recording driver reaches the engine the way the product's graphics
// library does: by name, first in gdi32 (Windows exports the callbacks there),
// then in the process image (the print host exports them under wine).
#pragma once

#include <windows.h>
#include <winddi.h>

#define RECORDING_ENGINE_FUNCTIONS(X) \
    X(EngAllocMem) X(EngFreeMem) X(EngCreateDeviceSurface) X(EngAssociateSurface) X(EngDeleteSurface) \
    X(EngCreatePalette) X(EngDeletePalette) X(EngCreateBitmap) X(EngLockSurface) X(EngUnlockSurface) \
    X(EngEraseSurface) X(EngComputeGlyphSet) X(EngBitBlt) \
    X(PATHOBJ_vEnumStart) X(PATHOBJ_bEnum) X(PATHOBJ_vGetBounds) \
    X(CLIPOBJ_cEnumStart) X(CLIPOBJ_bEnum) X(CLIPOBJ_ppoGetPath) X(EngDeletePath) \
    X(BRUSHOBJ_pvGetRbrush) X(BRUSHOBJ_pvAllocRbrush) X(BRUSHOBJ_ulGetBrushColor) \
    X(XLATEOBJ_iXlate) X(XLATEOBJ_cGetPalette) X(XFORMOBJ_iGetXform) X(XFORMOBJ_bApplyXform) \
    X(STROBJ_vEnumStart) X(STROBJ_bEnum) X(FONTOBJ_cGetGlyphs) X(FONTOBJ_pxoGetXform) X(FONTOBJ_pifi) \
    X(FONTOBJ_vGetInfo)

struct RecordingEngine {
#define RECORDING_ENGINE_MEMBER(name) decltype(&::name) name;
    RECORDING_ENGINE_FUNCTIONS(RECORDING_ENGINE_MEMBER)
#undef RECORDING_ENGINE_MEMBER
};

// A DDI function for a DRVFN table (through the generic function type, which
// is how the table is meant to hold functions of any type).
template <typename F>
PFN AsDdiFunction(F function)
{
    return reinterpret_cast<PFN>(reinterpret_cast<void (*)()>(function));
}

// Binds every name; false (and the first missing name) when one is absent.
bool BindRecordingEngine(RecordingEngine* engine, const char** missing);
