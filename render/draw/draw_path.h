// The common body of DrvStrokePath, DrvFillPath and DrvStrokeAndFillPath.
#pragma once
#include "render/draw/path_output.h"

#include <windows.h>
#include <winddi.h>

struct PDevRecord;

// The device record's clip state, made on first use in the record's heap;
// null without memory.
ClipState* PdevClipState(PDevRecord* pdev);
// At every page start: a clip reset is owed and the kept clip is forgotten.
void ResetPdevDrawingState(PDevRecord* pdev);
void FreePdevDrawingState(PDevRecord* pdev);

// 1 drawn, 0 failed (GDI reports the failure), -1 not a device record of ours.
int DrawPathCommon(SURFOBJ* surface, PATHOBJ* path, CLIPOBJ* clip, XFORMOBJ* xform, BRUSHOBJ* strokeBrush,
                   BRUSHOBJ* fillBrush, POINTL* brushOrigin, LINEATTRS* line, MIX mix, FLONG fillOptions,
                   PaintKind kind);
