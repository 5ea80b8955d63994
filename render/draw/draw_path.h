// The common body of DrvStrokePath, DrvFillPath and DrvStrokeAndFillPath.
#pragma once
#include "render/command/path_output.h"

#include <windows.h>
#include <winddi.h>

struct PDevRecord;

// 1 drawn, 0 failed (GDI reports the failure), -1 not a device record of ours.
int DrawPathCommon(SURFOBJ* surface, PATHOBJ* path, CLIPOBJ* clip, XFORMOBJ* xform, BRUSHOBJ* strokeBrush,
                   BRUSHOBJ* fillBrush, POINTL* brushOrigin, LINEATTRS* line, MIX mix, FLONG fillOptions,
                   PaintKind kind);
