#include "render/command/path_output.h"

#include "render/device/engine_calls.h"
#include "render/device/pdev_record.h"

#include <algorithm>
#include <cstring>
#include <span>

namespace {

// A kept clip path: this head, the records, then all points.
struct ClipPathHead {
    uint32_t recordCount;
    uint32_t pointCount;
};
struct ClipPathRecord {
    uint32_t flags;
    uint32_t count;
};
static_assert(sizeof(ClipPathHead) == 8 && sizeof(ClipPathRecord) == 8);

constexpr uint8_t kStreamJoin[] = {2, 3, 1};  // GDI round, bevel, miter
constexpr uint8_t kStreamCap[] = {2, 3, 1};   // GDI round, square, butt
constexpr size_t kDashLimit = 64;

int SendRecord(CommandLayer* layer, FLONG flags, ULONG count, const POINTFIX* points)
{
    ULONG first = 0;
    if ((flags & PD_BEGINSUBPATH) && count > 0) {
        if (EmitMoveTo(layer, {points[0].x, points[0].y}) != 0)
            return 0;
        first = 1;
    }
    const ULONG rest = count - first;
    if (flags & PD_BEZIERS) {
        if (rest % 3 != 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
    }
    if (rest > 0) {
        const std::span<const FixPoint> run(reinterpret_cast<const FixPoint*>(points + first), rest);
        if (((flags & PD_BEZIERS) ? EmitBeziers(layer, run) : EmitPolyline(layer, run)) != 0)
            return 0;
    }
    if ((flags & PD_ENDSUBPATH) && (flags & PD_CLOSEFIGURE) && EmitClosePath(layer) != 0)
        return 0;
    return 1;
}
static_assert(sizeof(POINTFIX) == sizeof(FixPoint));

// Copies an engine path into one block of the heap; null without memory.
uint8_t* CopyClipPath(HANDLE heap, PATHOBJ* path, uint32_t* bytes)
{
    uint64_t records = 0, points = 0;
    ForEachEngineRecord(path, [&](FLONG, ULONG count, const POINTFIX*) {
        ++records;
        points += count;
        return true;
    });
    const uint64_t size = sizeof(ClipPathHead) + records * sizeof(ClipPathRecord) + points * sizeof(POINTFIX);
    if (heap == nullptr || size > UINT32_MAX)
        return nullptr;
    auto* copy = static_cast<uint8_t*>(HeapAlloc(heap, 0, static_cast<SIZE_T>(size)));
    if (copy == nullptr)
        return nullptr;
    const ClipPathHead head = {static_cast<uint32_t>(records), static_cast<uint32_t>(points)};
    std::memcpy(copy, &head, sizeof head);
    uint8_t* record = copy + sizeof head;
    uint8_t* const recordEnd = record + records * sizeof(ClipPathRecord);
    uint8_t* point = recordEnd;
    uint8_t* const end = copy + size;
    const bool whole = ForEachEngineRecord(path, [&](FLONG flags, ULONG count, const POINTFIX* p) {
        // The engine must enumerate the same path twice alike.
        if (record == recordEnd || uint64_t(end - point) < uint64_t{count} * sizeof(POINTFIX))
            return false;
        const ClipPathRecord r = {static_cast<uint32_t>(flags), count};
        std::memcpy(record, &r, sizeof r);
        record += sizeof r;
        if (count > 0)
            std::memcpy(point, p, count * sizeof(POINTFIX));
        point += count * sizeof(POINTFIX);
        return true;
    });
    if (!whole || point != end) {
        HeapFree(heap, 0, copy);
        return nullptr;
    }
    *bytes = static_cast<uint32_t>(size);
    return copy;
}

int SendClipPathCopy(CommandLayer* layer, const uint8_t* copy)
{
    ClipPathHead head;
    std::memcpy(&head, copy, sizeof head);
    const uint8_t* record = copy + sizeof head;
    const auto* points = reinterpret_cast<const POINTFIX*>(record + head.recordCount * sizeof(ClipPathRecord));
    if (EmitPathStart(layer) != 0)
        return 0;
    for (uint32_t i = 0; i < head.recordCount; ++i) {
        ClipPathRecord r;
        std::memcpy(&r, record + i * sizeof r, sizeof r);
        if (!SendRecord(layer, r.flags, r.count, points))
            return 0;
        points += r.count;
    }
    return 1;
}

void ForgetClipPath(ClipState* clip)
{
    if (clip->pathCopy != nullptr && clip->heap != nullptr)
        HeapFree(clip->heap, 0, clip->pathCopy);
    clip->pathCopy = nullptr;
    clip->pathBytes = 0;
    clip->recordCount = 0;
}

bool Inside(const RECTL& inner, const RECTL& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool SameRect(const RECTL& a, const RECTL& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// "AR" when a clip is active; the state becomes "none" only when it went out.
int ClearClip(CommandLayer* layer, ClipState* clip)
{
    if (clip->state != kClipNone && EmitClipReset(layer) != 0)
        return 0;
    clip->state = kClipNone;
    return 1;
}

int SetRectangleClip(CommandLayer* layer, ClipState* clip, const RECTL& rect)
{
    const RECTL r = OrderedRect(rect);
    if (clip->state == kClipRectangle && SameRect(r, clip->kept))
        return 1;
    const bool narrows = clip->state == kClipRectangle && Inside(r, clip->kept);
    if (!narrows && clip->state != kClipNone) {
        if (EmitClipReset(layer) != 0)
            return 0;
        clip->state = kClipNone;
    }
    if (EmitClipRect(layer, r.left, r.top, r.right, r.bottom) != 0)
        return 0;
    clip->state = kClipRectangle;
    clip->kept = r;
    return 1;
}

int SetPathClip(CommandLayer* layer, ClipState* clip, PATHOBJ* path)
{
    uint32_t bytes = 0;
    uint8_t* copy = CopyClipPath(clip->heap, path, &bytes);
    if (copy != nullptr && clip->state == kClipPath && clip->pathCopy != nullptr && bytes == clip->pathBytes &&
        std::memcmp(copy, clip->pathCopy, bytes) == 0) {
        HeapFree(clip->heap, 0, copy);
        return 1;
    }
    if (clip->state != kClipNone) {
        if (EmitClipReset(layer) != 0) {
            if (copy != nullptr)
                HeapFree(clip->heap, 0, copy);
            return 0;
        }
        clip->state = kClipNone;
    }
    // Without a copy the path goes out straight from the engine and the next
    // complex clip is sent again.
    ForgetClipPath(clip);
    const int sent = copy != nullptr ? SendClipPathCopy(layer, copy) : SendPathBody(layer, path);
    if (!sent || EmitPaintOperation(layer, 2) != 0 || EmitClipToPath(layer) != 0) {
        if (copy != nullptr)
            HeapFree(clip->heap, 0, copy);
        return 0;
    }
    if (copy != nullptr) {
        ClipPathHead head;
        std::memcpy(&head, copy, sizeof head);
        clip->pathCopy = copy;
        clip->pathBytes = bytes;
        clip->recordCount = head.recordCount;
    }
    clip->state = kClipPath;
    return 1;
}

std::span<const FLOAT_LONG> StyleOf(const LINEATTRS* line)
{
    if (line->pstyle == nullptr || line->cstyle == 0)
        return {};
    return {line->pstyle, std::min<size_t>(line->cstyle, kDashLimit)};
}

// A pen that starts with a gap starts its pattern with the last length.
template <typename T>
size_t RotatedLengths(std::span<const FLOAT_LONG> style, bool startGap, T (*value)(const FLOAT_LONG&), T* out)
{
    const size_t n = style.size();
    for (size_t i = 0; i < n; ++i)
        out[startGap ? (i + 1) % n : i] = value(style[i]);
    return n;
}

float FloatOf(const FLOAT_LONG& v)
{
    return v.e;
}

int32_t LongOf(const FLOAT_LONG& v)
{
    return v.l;
}

int SendGeometricPen(CommandLayer* layer, const LINEATTRS* line)
{
    const uint8_t join = line->iJoin < std::size(kStreamJoin) ? kStreamJoin[line->iJoin] : 1;
    const uint8_t cap = line->iEndCap < std::size(kStreamCap) ? kStreamCap[line->iEndCap] : 1;
    const float limit = line->eMiterLimit < 1.0f ? 1.0f : line->eMiterLimit;
    if (EmitLineJoin(layer, join) != 0 || EmitLineCap(layer, cap) != 0 || EmitMiterLimit(layer, limit) != 0 ||
        EmitLineWidth(layer, line->elWidth.e) != 0)
        return -1;
    const std::span<const FLOAT_LONG> style = StyleOf(line);
    if (style.empty())
        return EmitLineStyle(layer, 1, 0.0f, {});
    float lengths[kDashLimit];
    const size_t n = RotatedLengths(style, (line->fl & LA_STARTGAP) != 0, FloatOf, lengths);
    return EmitLineStyle(layer, 6, line->elStyleState.e, std::span<const float>(lengths, n));
}

int SendCosmeticPen(CommandLayer* layer, const LINEATTRS* line, int32_t resolution, uint32_t styleScale)
{
    if (EmitLineWidth(layer, static_cast<float>(line->elWidth.l)) != 0)
        return -1;
    const int32_t state = line->elStyleState.l;
    if (line->fl & LA_ALTERNATE) {
        const int32_t lengths[2] = {1, 1};
        return EmitLineStyle32(layer, 6, state, lengths);
    }
    const std::span<const FLOAT_LONG> style = StyleOf(line);
    if (style.empty())
        return EmitLineStyle(layer, 1, 0.0f, {});
    const int64_t dot = (styleScale >= 1 && styleScale <= 24) ? styleScale : 24;
    int32_t lengths[kDashLimit];
    const size_t n = RotatedLengths(style, (line->fl & LA_STARTGAP) != 0, LongOf, lengths);
    for (size_t i = 0; i < n; ++i)
        lengths[i] = static_cast<int32_t>(lengths[i] * dot * resolution / 600);
    return EmitLineStyle32(layer, 6, state, std::span<const int32_t>(lengths, n));
}

}  // namespace

void InitClipState(ClipState* clip, HANDLE heap)
{
    *clip = {};
    clip->state = kClipResetOwed;
    clip->heap = heap;
}

void ResetPageDrawingState(ClipState* clip)
{
    ForgetClipPath(clip);
    clip->state = kClipResetOwed;
    clip->kept = {};
}

void FreeClipState(ClipState* clip)
{
    ForgetClipPath(clip);
}

int SetClipFromClipObject(CommandLayer* layer, ClipState* clip, CLIPOBJ* co, const RECTL& bounds, PATHOBJ* path)
{
    if (clip->state == kClipResetOwed) {
        if (EmitClipReset(layer) != 0)
            return 0;
        clip->state = kClipNone;
    }
    if (co == nullptr || co->iDComplexity == DC_TRIVIAL ||
        (co->iDComplexity == DC_RECT && Inside(bounds, co->rclBounds)))
        return ClearClip(layer, clip);
    if (co->iDComplexity == DC_RECT)
        return SetRectangleClip(layer, clip, co->rclBounds);
    PATHOBJ* own = path == nullptr ? g_engine.CLIPOBJ_ppoGetPath(co) : nullptr;
    PATHOBJ* clipPath = path != nullptr ? path : own;
    if (clipPath == nullptr)
        return 0;
    const int result = SetPathClip(layer, clip, clipPath);
    if (own != nullptr)
        g_engine.EngDeletePath(own);
    return result;
}

int SetClipForDrawing(CommandLayer* layer, ClipState* clip, CLIPOBJ* co, const RECTL& bounds)
{
    return SetClipFromClipObject(layer, clip, co, bounds, nullptr);
}

int SendPathBody(CommandLayer* layer, PATHOBJ* path)
{
    if (EmitPathStart(layer) != 0)
        return 0;
    return ForEachEngineRecord(path, [&](FLONG flags, ULONG count, const POINTFIX* points) {
               return SendRecord(layer, flags, count, points) == 1;
           })
               ? 1
               : 0;
}

bool IsSolidPen(const LINEATTRS* line)
{
    return !(line->fl & (LA_ALTERNATE | LA_STYLED)) && StyleOf(line).empty();
}

bool IsIdentityTransform(XFORMOBJ* xform)
{
    return xform == nullptr || g_engine.XFORMOBJ_iGetXform(xform, nullptr) == GX_IDENTITY;
}

PathClass ClassifyPath(PATHOBJ* path, const LINEATTRS* line, XFORMOBJ* xform, PaintKind kind)
{
    const bool strokes = kind != kPaintFill;
    const bool geometric = line != nullptr && (line->fl & LA_GEOMETRIC);
    const bool solid = line == nullptr || IsSolidPen(line);
    if (path->fl & PO_ELLIPSE)
        return !strokes || (solid && !geometric) ? kPathEllipse : kPathGeneral;
    if (strokes && !(solid && (!geometric || IsIdentityTransform(xform))))
        return kPathGeneral;
    g_engine.PATHOBJ_vEnumStart(path);
    PATHDATA data{};
    const BOOL more = g_engine.PATHOBJ_bEnum(path, &data);
    if (more || data.count != 4 || data.pptfx == nullptr || (data.flags & PD_BEZIERS) ||
        !(data.flags & PD_CLOSEFIGURE))
        return kPathGeneral;
    const POINTFIX* p = data.pptfx;
    const bool across = p[0].y == p[1].y && p[1].x == p[2].x && p[2].y == p[3].y && p[3].x == p[0].x;
    const bool down = p[0].x == p[1].x && p[1].y == p[2].y && p[2].x == p[3].x && p[3].y == p[0].y;
    return across || down ? kPathRectangle : kPathGeneral;
}

int SendLineAttributes(CommandLayer* layer, const LINEATTRS* line, int32_t resolution, uint32_t styleScale)
{
    if (line == nullptr)
        return -1;
    return (line->fl & LA_GEOMETRIC) ? SendGeometricPen(layer, line)
                                     : SendCosmeticPen(layer, line, resolution, styleScale);
}

RECTL PathBoundsInPixels(PATHOBJ* path)
{
    RECTFX bounds{};
    g_engine.PATHOBJ_vGetBounds(path, &bounds);
    return {bounds.xLeft >> 4, bounds.yTop >> 4, (bounds.xRight >> 4) + 1, (bounds.yBottom >> 4) + 1};
}

RECTL OrderedRect(const RECTL& r)
{
    return {std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
            std::max(r.top, r.bottom)};
}

ClipState* PdevClipState(PDevRecord* pdev)
{
    if (pdev->clipState == nullptr) {
        auto* clip = static_cast<ClipState*>(HeapAlloc(pdev->heap, 0, sizeof(ClipState)));
        if (clip == nullptr)
            return nullptr;
        InitClipState(clip, pdev->heap);
        pdev->clipState = clip;
    }
    return static_cast<ClipState*>(pdev->clipState);
}

void ResetPdevDrawingState(PDevRecord* pdev)
{
    if (ClipState* clip = PdevClipState(pdev))
        ResetPageDrawingState(clip);
}

void FreePdevDrawingState(PDevRecord* pdev)
{
    if (pdev->clipState == nullptr)
        return;
    auto* clip = static_cast<ClipState*>(pdev->clipState);
    FreeClipState(clip);
    HeapFree(pdev->heap, 0, clip);
    pdev->clipState = nullptr;
}
