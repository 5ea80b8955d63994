// Paths and clips as MORVA commands: the clip the engine hands with every
// drawing call, the path body, the line attributes of a pen, and the
// recognition of ellipses and rectangles that go out as single commands.
// Coordinates arrive in 28.4 fixed point (FIX, 1/16 pixel).
#pragma once
#include "render/command/command_layer.h"
#include "render/device/engine_calls.h"

#include <windows.h>
#include <winddi.h>

#include <cstdint>

enum ClipStateKind : int32_t {
    kClipNone = 0,        // no clip active
    kClipRectangle = 1,   // the kept rectangle is active
    kClipPath = 2,        // the kept path copy is active
    kClipResetOwed = 3,   // after a page start
};

// The clip the printer has now, so that an unchanged clip is not sent again.
struct ClipState {
    int32_t state;
    RECTL kept;
    uint8_t* pathCopy;    // ClipPathCopy (HeapAlloc on `heap`), null when none is kept
    uint32_t pathBytes;
    uint32_t recordCount;
    HANDLE heap;
};

// Paint kinds of a path.
enum PaintKind : uint16_t { kPaintStroke = 1, kPaintFill = 2, kPaintStrokeAndFill = 3 };
enum PathClass : int { kPathEllipse = 1, kPathRectangle = 2, kPathGeneral = 3 };

struct PDevRecord;

// The device record's clip state, made on first use in the record's heap;
// null without memory.
ClipState* PdevClipState(PDevRecord* pdev);
// At every page start: a clip reset is owed and the kept clip is forgotten.
void ResetPdevDrawingState(PDevRecord* pdev);
void FreePdevDrawingState(PDevRecord* pdev);

void InitClipState(ClipState* clip, HANDLE heap);
// At page start: a reset is owed, nothing is kept.
void ResetPageDrawingState(ClipState* clip);
void FreeClipState(ClipState* clip);

// Makes the printer's clip the engine's clip for drawing within `bounds`
// (pixels, right and bottom exclusive). `path` is the clip as a path when the
// caller has it already. 1, or 0 when a command could not be sent (the clip
// state is then that before the failed step).
int SetClipFromClipObject(CommandLayer* layer, ClipState* clip, CLIPOBJ* co, const RECTL& bounds,
                          PATHOBJ* path);
int SetClipForDrawing(CommandLayer* layer, ClipState* clip, CLIPOBJ* co, const RECTL& bounds);

// "BA" and the sub-paths of the path; the caller ends the path. 1, or 0 when a
// write failed or a Bezier record does not come in threes (ERROR_INVALID_PARAMETER).
int SendPathBody(CommandLayer* layer, PATHOBJ* path);

// Whether a pen draws solid lines.
bool IsSolidPen(const LINEATTRS* line);
bool IsIdentityTransform(XFORMOBJ* xform);
PathClass ClassifyPath(PATHOBJ* path, const LINEATTRS* line, XFORMOBJ* xform, PaintKind kind);

// The pen: join, cap, miter limit, width and dashes. `styleScale` is setting
// 467 (dot size of cosmetic styled pens; 1 to 24, else 24).
int SendLineAttributes(CommandLayer* layer, const LINEATTRS* line, int32_t resolution, uint32_t styleScale);

// A rectangle with left <= right and top <= bottom.
RECTL OrderedRect(const RECTL& r);

// Pixels of a path's bounds: left and top FIX / 16, right and bottom FIX / 16 + 1.
RECTL PathBoundsInPixels(PATHOBJ* path);

// Calls visit(flags, count, points) for each record of an engine path; false
// when a visit refuses or a record has points but no array.
template <typename Visit>
bool ForEachEngineRecord(PATHOBJ* path, Visit visit)
{
    g_engine.PATHOBJ_vEnumStart(path);
    BOOL more;
    do {
        PATHDATA data{};
        more = g_engine.PATHOBJ_bEnum(path, &data);
        if (data.count > 0 && data.pptfx == nullptr)
            return false;
        if (!visit(data.flags, data.count, data.pptfx))
            return false;
    } while (more);
    return true;
}
