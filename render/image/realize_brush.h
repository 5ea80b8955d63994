// DrvRealizeBrush: the engine's brush as the driver keeps it, in memory the
// engine allocates and frees with the brush.
#pragma once
#include <windows.h>
#include <winddi.h>

#include <cstdint>

// The head of a realised brush; the pattern rows follow it, then the colour table.
struct RealizedBrush {
    uint32_t hatch;
    uint32_t colourCount;
    uint32_t colourTableOffset;
    uint32_t size;
    uint32_t flags;
    uint32_t format;       // BMF_ of the rows kept
    int32_t width, height;
    uint32_t rowBytes;
    uint32_t reserved;
};
static_assert(sizeof(RealizedBrush) == 40);

BOOL RealizeBrushBody(BRUSHOBJ* brush, SURFOBJ* target, SURFOBJ* pattern, SURFOBJ* mask, XLATEOBJ* translation,
                      ULONG hatch);
