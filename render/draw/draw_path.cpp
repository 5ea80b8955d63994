#include "render/draw/draw_path.h"

#include "render/device/engine_calls.h"
#include "render/device/overlay_options.h"
#include "render/device/pdev_record.h"
#include "render/image/bitblt.h"
#include "render/image/brush_select.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr uint16_t kDotSizeSetting = 467;

// Pixels of a FIX coordinate pair's rectangle, ordered; a zero-size side is
// widened by one pixel each way.
void OrderedFixRect(POINTFIX a, POINTFIX b, Fix* l, Fix* t, Fix* r, Fix* bottom)
{
    *l = std::min(a.x, b.x);
    *r = std::max(a.x, b.x);
    *t = std::min(a.y, b.y);
    *bottom = std::max(a.y, b.y);
    if (*l == *r) {
        *l -= 16;
        *r += 16;
    }
    if (*t == *bottom) {
        *t -= 16;
        *bottom += 16;
    }
}

bool FirstAndThirdPoints(PATHOBJ* path, POINTFIX* first, POINTFIX* third)
{
    g_engine.PATHOBJ_vEnumStart(path);
    PATHDATA data{};
    g_engine.PATHOBJ_bEnum(path, &data);
    if (data.count < 3 || data.pptfx == nullptr)
        return false;
    *first = data.pptfx[0];
    *third = data.pptfx[2];
    return true;
}

bool ReachesOutside(const RECTL& bounds, CLIPOBJ* clip)
{
    return clip != nullptr && clip->iDComplexity == DC_RECT &&
           (bounds.left < clip->rclBounds.left || bounds.top < clip->rclBounds.top ||
            bounds.right > clip->rclBounds.right || bounds.bottom > clip->rclBounds.bottom);
}

int SendRectangle(CommandLayer* layer, POINTFIX first, POINTFIX third, CLIPOBJ* clip, bool cutToClip,
                  PaintKind kind)
{
    Fix l, t, r, b;
    OrderedFixRect(first, third, &l, &t, &r, &b);
    if (cutToClip) {
        l = std::max(l, Fix(clip->rclBounds.left * 16));
        t = std::max(t, Fix(clip->rclBounds.top * 16));
        r = std::min(r, Fix(clip->rclBounds.right * 16));
        b = std::min(b, Fix(clip->rclBounds.bottom * 16));
        if (l >= r || t >= b)
            return 1;  // nothing of it is visible
    }
    return EmitPaintOperation(layer, kind) == 0 && EmitRectangleFix(layer, l, t, r, b) == 0 ? 1 : 0;
}

int SendEllipse(CommandLayer* layer, PATHOBJ* path, PaintKind kind)
{
    RECTFX bounds{};
    g_engine.PATHOBJ_vGetBounds(path, &bounds);
    if (bounds.xLeft == bounds.xRight || bounds.yTop == bounds.yBottom) {
        Fix l, t, r, b;
        OrderedFixRect({bounds.xLeft, bounds.yTop}, {bounds.xRight, bounds.yBottom}, &l, &t, &r, &b);
        return EmitPaintOperation(layer, kind) == 0 && EmitRectangleFix(layer, l, t, r, b) == 0 ? 1 : 0;
    }
    const float left = bounds.xLeft / 16.0f, top = bounds.yTop / 16.0f;
    const float right = bounds.xRight / 16.0f, bottom = bounds.yBottom / 16.0f;
    if (EmitPaintOperation(layer, kind) != 0)
        return 0;
    return EmitEllipse(layer, (left + right) / 2, (top + bottom) / 2, (right - left) / 2, (bottom - top) / 2, 0,
                       360) == 0
               ? 1
               : 0;
}

// a then b, as 2x3 affine matrices (x' = m0 x + m2 y + m4, y' = m1 x + m3 y + m5).
void Compose(const float a[6], const float b[6], float out[6])
{
    out[0] = a[0] * b[0] + a[1] * b[2];
    out[1] = a[0] * b[1] + a[1] * b[3];
    out[2] = a[2] * b[0] + a[3] * b[2];
    out[3] = a[2] * b[1] + a[3] * b[3];
    out[4] = a[4] * b[0] + a[5] * b[2] + b[4];
    out[5] = a[4] * b[1] + a[5] * b[3] + b[5];
}

int SendGeneralPath(CommandLayer* layer, PATHOBJ* path, XFORMOBJ* xform, const LINEATTRS* line, PaintKind kind)
{
    if (!SendPathBody(layer, path))
        return 0;
    const bool penTransform = kind != kPaintFill && line != nullptr && (line->fl & LA_GEOMETRIC) && xform != nullptr &&
                              !IsIdentityTransform(xform);
    if (!penTransform)
        return EmitPaintOperation(layer, kind) == 0 && EmitPathEnd(layer) == 0 ? 1 : 0;
    XFORML x{};
    const ULONG type = g_engine.XFORMOBJ_iGetXform(xform, &x);
    float pen[6] = {x.eM11, x.eM12, x.eM21, x.eM22, 0, 0};
    if (type == GX_SCALE)
        pen[1] = pen[2] = 0;
    float old[6], placed[6];
    SaveStateCache(layer->state, old);
    Compose(pen, old, placed);
    if (EmitPlacementMatrix(layer, placed) != 0 || EmitPaintOperation(layer, kind) != 0 || EmitPathEnd(layer) != 0)
        return 0;
    return EmitPlacementMatrix(layer, old) == 0 ? 1 : 0;
}

}  // namespace

int DrawPathCommon(SURFOBJ* surface, PATHOBJ* path, CLIPOBJ* clip, XFORMOBJ* xform, BRUSHOBJ* strokeBrush,
                   BRUSHOBJ* fillBrush, POINTL* brushOrigin, LINEATTRS* line, MIX mix, FLONG fillOptions,
                   PaintKind kind)
{
    PDevRecord* pdev = PdevOfSurface(surface);
    if (pdev == nullptr || pdev->commandLayer == nullptr || path == nullptr)
        return -1;
    CommandLayer* layer = pdev->commandLayer;
    ClipState* clipState = PdevClipState(pdev);
    if (clipState == nullptr || FlushPdevImages(pdev) != 0)
        return 0;
    const bool strokes = kind != kPaintFill, fills = kind != kPaintStroke;
    PathClass shape = ClassifyPath(path, line, xform, kind);
    // A rectangle is its first and third corners.
    POINTFIX first{}, third{};
    if (shape == kPathRectangle && !FirstAndThirdPoints(path, &first, &third))
        shape = kPathGeneral;

    // A filled rectangle that reaches outside a rectangular clip is cut to it
    // instead of being clipped.
    const RECTL bounds = PathBoundsInPixels(path);
    const bool cut = shape == kPathRectangle && kind == kPaintFill && ReachesOutside(bounds, clip);
    if (!UsesOverlayClip(pdev) && !SetClipFromClipObject(layer, clipState, cut ? nullptr : clip, bounds, nullptr))
        return 0;

    if (strokes) {
        LINEATTRS pen = line != nullptr ? *line : LINEATTRS{};
        if (shape == kPathRectangle && first.x == third.x && first.y == third.y)
            pen.iJoin = JOIN_ROUND;
        const uint32_t dot = GetPdevSettingWord(pdev, kDotSizeSetting);
        if (SendLineAttributes(layer, &pen, pdev->resolution, dot) != 0 ||
            !SelectBrushForDrawing(pdev, 1, brushOrigin, strokeBrush, mix))
            return 0;
    }
    if (fills) {
        if (!SelectBrushForDrawing(pdev, 2, brushOrigin, fillBrush, mix) ||
            EmitFillRule(layer, (fillOptions & FP_WINDINGMODE) ? 2 : 1) != 0)
            return 0;
    }
    switch (shape) {
    case kPathEllipse:
        return SendEllipse(layer, path, kind);
    case kPathRectangle:
        return SendRectangle(layer, first, third, clip, cut, kind);
    default:
        return SendGeneralPath(layer, path, xform, line, kind);
    }
}
