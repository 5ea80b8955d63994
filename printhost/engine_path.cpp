// Path and clip objects.
#include "printhost/engine_export.h"
#include "printhost/engine_objects.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace printhost {

LiveSet& LivePaths() { static LiveSet s; return s; }
LiveSet& LiveClips() { static LiveSet s; return s; }

HostPath* FromPathobj(PATHOBJ* po)
{
    return LivePaths().Contains(po) ? reinterpret_cast<HostPath*>(po) : nullptr;
}

HostClip* FromClipobj(CLIPOBJ* co)
{
    return LiveClips().Contains(co) ? reinterpret_cast<HostClip*>(co) : nullptr;
}

namespace {

// Collects GDI-style figures into DDI path records: a sub-path's first record
// begins with its start point, and a change between lines and Beziers starts a
// new record that continues from the previous record's last point.
struct PathBuilder {
    HostPath* path;
    bool open = false;
    bool hasSegments = false;
    bool currentBezier = false;
    size_t subpathFirstRecord = 0;
    unsigned bezierPoints = 0;

    void Begin(POINTFIX p)
    {
        End(false);
        PathRecord r;
        r.flags = PD_BEGINSUBPATH | PD_RESETSTYLE;
        r.first = path->points.size();
        path->points.push_back(p);
        r.count = 1;
        subpathFirstRecord = path->records.size();
        path->records.push_back(r);
        open = true;
        hasSegments = false;
    }

    void Segment(POINTFIX p, bool bezier)
    {
        PathRecord* r = &path->records.back();
        if (hasSegments && bezier != currentBezier) {
            PathRecord next;
            next.flags = bezier ? PD_BEZIERS : 0;
            next.first = path->points.size();
            path->records.push_back(next);
            r = &path->records.back();
        } else if (!hasSegments && bezier) {
            r->flags |= PD_BEZIERS;
        }
        path->points.push_back(p);
        ++r->count;
        hasSegments = true;
        currentBezier = bezier;
        if (!bezier || ++bezierPoints % 3 == 0) ++path->po.cCurves;
        if (bezier) path->po.fl |= PO_BEZIERS;
    }

    void End(bool close)
    {
        if (!open) return;
        if (!hasSegments) {
            // A lone move-to draws nothing; GDI leaves it out as well.
            path->points.resize(path->records[subpathFirstRecord].first);
            path->records.resize(subpathFirstRecord);
        } else {
            path->records.back().flags |= PD_ENDSUBPATH | (close ? PD_CLOSEFIGURE : 0);
        }
        open = false;
    }
};

POINTFIX ToFix(LONG x, LONG y) { return POINTFIX{FIX(x * 16), FIX(y * 16)}; }

} // namespace

HostPath* MakePathFromFix(const POINTFIX* points, const BYTE* types, int count, bool ellipse)
{
    auto* path = new HostPath;
    bool integers = true;
    for (int i = 0; i < count; ++i) integers = integers && points[i].x % 16 == 0 && points[i].y % 16 == 0;
    path->po.fl = (integers ? PO_ALL_INTEGERS : 0) | (ellipse ? PO_ELLIPSE : 0);
    PathBuilder b{path};
    POINTFIX start{};
    int bezierLeft = 0;
    for (int i = 0; i < count; ++i) {
        const POINTFIX p = points[i];
        const BYTE kind = types[i] & ~PT_CLOSEFIGURE;
        if (kind == PT_MOVETO) {
            b.Begin(p);
            start = p;
            bezierLeft = 0;
            continue;
        }
        if (!b.open) b.Begin(start);
        const bool bezier = kind == PT_BEZIERTO;
        if (bezier && bezierLeft == 0) bezierLeft = 3;
        b.Segment(p, bezier);
        if (bezier) --bezierLeft;
        if ((types[i] & PT_CLOSEFIGURE) && bezierLeft == 0) b.End(true);
    }
    b.End(false);
    LivePaths().Add(path);
    return path;
}

HostPath* MakePathFromGdi(const POINT* points, const BYTE* types, int count, bool ellipse)
{
    std::vector<POINTFIX> fix(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i) fix[i] = ToFix(points[i].x, points[i].y);
    return MakePathFromFix(fix.data(), types, count, ellipse);
}

HostPath* MakePathFromRects(const std::vector<RECTL>& rects)
{
    auto* path = new HostPath;
    path->po.fl = PO_ALL_INTEGERS;
    PathBuilder b{path};
    for (const RECTL& r : rects) {
        b.Begin(ToFix(r.left, r.top));
        b.Segment(ToFix(r.right, r.top), false);
        b.Segment(ToFix(r.right, r.bottom), false);
        b.Segment(ToFix(r.left, r.bottom), false);
        b.End(true);
    }
    LivePaths().Add(path);
    return path;
}

void ReleasePath(HostPath* path)
{
    if (!path) return;
    LivePaths().Remove(path);
    delete path;
}

std::unique_ptr<HostClip> MakeClip(bool clipped, std::vector<RECTL> rects, const RECTL& surface)
{
    auto c = std::make_unique<HostClip>();
    c->co.iUniq = NextUniq();
    c->co.iMode = TC_RECTANGLES;
    if (!clipped) {
        c->co.iDComplexity = DC_TRIVIAL;
        c->co.iFComplexity = FC_RECT;
        c->co.rclBounds = surface;
        c->rects.push_back(surface);
    } else {
        std::vector<RECTL> inside;
        for (RECTL r : rects) {
            r.left = std::max(r.left, surface.left);
            r.top = std::max(r.top, surface.top);
            r.right = std::min(r.right, surface.right);
            r.bottom = std::min(r.bottom, surface.bottom);
            if (r.left < r.right && r.top < r.bottom) inside.push_back(r);
        }
        c->rects = std::move(inside);
        RECTL bounds{0, 0, 0, 0};
        if (!c->rects.empty()) {
            bounds = c->rects.front();
            for (const RECTL& r : c->rects) {
                bounds.left = std::min(bounds.left, r.left);
                bounds.top = std::min(bounds.top, r.top);
                bounds.right = std::max(bounds.right, r.right);
                bounds.bottom = std::max(bounds.bottom, r.bottom);
            }
        }
        c->co.rclBounds = bounds;
        c->co.iDComplexity = c->rects.size() > 1 ? DC_COMPLEX : DC_RECT;
        c->co.iFComplexity = c->rects.size() <= 1 ? FC_RECT : c->rects.size() <= 4 ? FC_RECT4 : FC_COMPLEX;
    }
    LiveClips().Add(c.get());
    return c;
}

void ReleaseClip(std::unique_ptr<HostClip>& clip)
{
    if (clip) LiveClips().Remove(clip.get());
    clip.reset();
}

} // namespace printhost

using namespace printhost;

PRINTHOST_EXPORT VOID APIENTRY PATHOBJ_vEnumStart(PATHOBJ* ppo)
{
    if (HostPath* p = FromPathobj(ppo)) p->cursor = 0;
}

PRINTHOST_EXPORT BOOL APIENTRY PATHOBJ_bEnum(PATHOBJ* ppo, PATHDATA* ppd)
{
    HostPath* p = FromPathobj(ppo);
    if (!p || !ppd) return FALSE;
    if (p->cursor >= p->records.size()) {
        ppd->flags = 0;
        ppd->count = 0;
        ppd->pptfx = nullptr;
        return FALSE;
    }
    const PathRecord& r = p->records[p->cursor++];
    ppd->flags = r.flags;
    ppd->count = r.count;
    ppd->pptfx = p->points.data() + r.first;
    return p->cursor < p->records.size();
}

PRINTHOST_EXPORT VOID APIENTRY PATHOBJ_vGetBounds(PATHOBJ* ppo, PRECTFX prectfx)
{
    HostPath* p = FromPathobj(ppo);
    if (!prectfx) return;
    *prectfx = RECTFX{0, 0, 0, 0};
    if (!p || p->points.empty()) return;
    RECTFX b{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    for (const POINTFIX& q : p->points) {
        b.xLeft = std::min(b.xLeft, q.x);
        b.yTop = std::min(b.yTop, q.y);
        b.xRight = std::max(b.xRight, q.x);
        b.yBottom = std::max(b.yBottom, q.y);
    }
    *prectfx = b;
}

PRINTHOST_EXPORT VOID APIENTRY EngDeletePath(PATHOBJ* ppo) { ReleasePath(FromPathobj(ppo)); }

PRINTHOST_EXPORT ULONG APIENTRY CLIPOBJ_cEnumStart(CLIPOBJ* pco, BOOL, ULONG, ULONG iDirection, ULONG cLimit)
{
    HostClip* c = FromClipobj(pco);
    if (!c) return 0xFFFFFFFF;
    c->cursor = 0;
    if (iDirection != c->direction) {
        // Rectangles come top-down and left to right; the other orders reverse
        // the bands, the rectangles within a band, or both.
        std::vector<RECTL>& r = c->rects;
        auto byBand = [&](bool downward, bool rightward) {
            std::stable_sort(r.begin(), r.end(), [&](const RECTL& a, const RECTL& b) {
                if (a.top != b.top) return downward ? a.top < b.top : a.top > b.top;
                return rightward ? a.left < b.left : a.left > b.left;
            });
        };
        switch (iDirection) {
        case CD_LEFTDOWN: byBand(true, false); break;
        case CD_RIGHTUP: byBand(false, true); break;
        case CD_LEFTUP: byBand(false, false); break;
        default: byBand(true, true); break;
        }
        c->direction = iDirection;
    }
    return c->rects.size() <= cLimit ? ULONG(c->rects.size()) : 0xFFFFFFFF;
}

PRINTHOST_EXPORT BOOL APIENTRY CLIPOBJ_bEnum(CLIPOBJ* pco, ULONG cj, ULONG* pul)
{
    HostClip* c = FromClipobj(pco);
    if (!c || !pul || cj < sizeof(ENUMRECTS)) return FALSE;
    auto* e = reinterpret_cast<ENUMRECTS*>(pul);
    const size_t room = (cj - offsetof(ENUMRECTS, arcl)) / sizeof(RECTL);
    const size_t n = std::min(room, c->rects.size() - c->cursor);
    std::memcpy(e->arcl, c->rects.data() + c->cursor, n * sizeof(RECTL));
    e->c = ULONG(n);
    c->cursor += n;
    return c->cursor < c->rects.size();
}

PRINTHOST_EXPORT PATHOBJ* APIENTRY CLIPOBJ_ppoGetPath(CLIPOBJ* pco)
{
    HostClip* c = FromClipobj(pco);
    if (!c) return nullptr;
    return &MakePathFromRects(c->rects)->po;
}
