#include "tools/morva_renderer/raster.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

struct Edge {
    double x0, y0, x1, y1;
    int direction;  // +1 downwards, -1 upwards
};

}  // namespace

void FillShape(const RasterShape& shape, FillRule rule, int width, int height,
               const std::function<void(int y, int x0, int x1)>& span)
{
    std::vector<Edge> edges;
    double top = 1e300, bottom = -1e300;
    for (const RasterContour& contour : shape) {
        for (size_t i = 0; i < contour.size(); ++i) {
            const RasterPoint a = contour[i];
            const RasterPoint b = contour[(i + 1) % contour.size()];
            if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) || !std::isfinite(b.y))
                return;
            if (a.y == b.y)
                continue;
            if (a.y < b.y)
                edges.push_back({a.x, a.y, b.x, b.y, 1});
            else
                edges.push_back({b.x, b.y, a.x, a.y, -1});
            top = std::min({top, a.y, b.y});
            bottom = std::max({bottom, a.y, b.y});
        }
    }
    if (edges.empty())
        return;
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });
    const int firstRow = std::max(0, int(std::floor(top - 0.5)));
    const int lastRow = std::min(height - 1, int(std::ceil(bottom)));
    std::vector<const Edge*> active;
    std::vector<std::pair<double, int>> crossings;
    size_t next = 0;
    for (int y = firstRow; y <= lastRow; ++y) {
        const double yc = y + 0.5;
        while (next < edges.size() && edges[next].y0 <= yc)
            active.push_back(&edges[next++]);
        active.erase(std::remove_if(active.begin(), active.end(), [yc](const Edge* e) { return e->y1 <= yc; }),
                     active.end());
        crossings.clear();
        for (const Edge* e : active) {
            if (e->y0 > yc)
                continue;
            const double t = (yc - e->y0) / (e->y1 - e->y0);
            crossings.push_back({e->x0 + t * (e->x1 - e->x0), e->direction});
        }
        std::sort(crossings.begin(), crossings.end());
        int winding = 0;
        for (size_t i = 0; i + 1 < crossings.size(); ++i) {
            winding += crossings[i].second;
            const bool inside = rule == FillRule::kNonZero ? winding != 0 : (i % 2) == 0;
            if (!inside)
                continue;
            // Pixels whose centre lies in [xa, xb).
            const double xa = crossings[i].first, xb = crossings[i + 1].first;
            const int x0 = std::max(0, int(std::ceil(xa - 0.5)));
            const int x1 = std::min(width, int(std::ceil(xb - 0.5)));
            if (x0 < x1)
                span(y, x0, x1);
        }
    }
}

void FlattenCubic(RasterPoint p0, RasterPoint c1, RasterPoint c2, RasterPoint p3, RasterContour* out)
{
    const double length = std::hypot(c1.x - p0.x, c1.y - p0.y) + std::hypot(c2.x - c1.x, c2.y - c1.y) +
                          std::hypot(p3.x - c2.x, p3.y - c2.y);
    const int steps = std::clamp(int(std::sqrt(length) * 2), 1, 1000);
    for (int i = 1; i <= steps; ++i) {
        const double t = double(i) / steps, u = 1 - t;
        const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        out->push_back({a * p0.x + b * c1.x + c * c2.x + d * p3.x, a * p0.y + b * c1.y + c * c2.y + d * p3.y});
    }
}

RasterContour EllipseContour(double cx, double cy, double rx, double ry)
{
    const double r = std::max(std::fabs(rx), std::fabs(ry));
    const int steps = std::clamp(int(r * 2), 16, 4000);
    RasterContour contour;
    for (int i = 0; i < steps; ++i) {
        const double a = 2 * std::numbers::pi * i / steps;
        contour.push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
    }
    return contour;
}

namespace {

double SignedArea(const RasterContour& c)
{
    double area = 0;
    for (size_t i = 0; i < c.size(); ++i) {
        const RasterPoint a = c[i], b = c[(i + 1) % c.size()];
        area += a.x * b.y - b.x * a.y;
    }
    return area / 2;
}

// Every piece turns the same way, so that the non-zero rule joins them.
void AddPiece(RasterShape* shape, RasterContour piece)
{
    if (piece.size() < 3)
        return;
    if (SignedArea(piece) < 0)
        std::reverse(piece.begin(), piece.end());
    shape->push_back(std::move(piece));
}

void AddDisc(RasterShape* shape, RasterPoint p, double r)
{
    AddPiece(shape, EllipseContour(p.x, p.y, r, r));
}

// One segment of a solid line with its joins and caps.
void AddSegment(RasterShape* shape, RasterPoint a, RasterPoint b, double half, int startCap, int endCap)
{
    double dx = b.x - a.x, dy = b.y - a.y;
    const double length = std::hypot(dx, dy);
    if (length == 0) {
        if (startCap == 2)
            AddDisc(shape, a, half);
        else if (startCap == 3)
            AddPiece(shape, {{a.x - half, a.y - half},
                             {a.x + half, a.y - half},
                             {a.x + half, a.y + half},
                             {a.x - half, a.y + half}});
        return;
    }
    dx /= length;
    dy /= length;
    const double nx = -dy * half, ny = dx * half;
    RasterPoint s = a, e = b;
    if (startCap == 3) {
        s.x -= dx * half;
        s.y -= dy * half;
    }
    if (endCap == 3) {
        e.x += dx * half;
        e.y += dy * half;
    }
    AddPiece(shape, {{s.x + nx, s.y + ny}, {e.x + nx, e.y + ny}, {e.x - nx, e.y - ny}, {s.x - nx, s.y - ny}});
    if (startCap == 2)
        AddDisc(shape, a, half);
    if (endCap == 2)
        AddDisc(shape, b, half);
}

void AddJoin(RasterShape* shape, RasterPoint prev, RasterPoint at, RasterPoint next, double half,
             const StrokeStyle& style)
{
    if (style.join == 2) {
        AddDisc(shape, at, half);
        return;
    }
    const double ax = at.x - prev.x, ay = at.y - prev.y, bx = next.x - at.x, by = next.y - at.y;
    const double la = std::hypot(ax, ay), lb = std::hypot(bx, by);
    if (la == 0 || lb == 0)
        return;
    const double cross = ax * by - ay * bx;
    if (cross == 0)
        return;
    // The outer side of the turn.
    const double side = cross > 0 ? -1 : 1;
    const RasterPoint p1{at.x - ay / la * half * side, at.y + ax / la * half * side};
    const RasterPoint p2{at.x - by / lb * half * side, at.y + bx / lb * half * side};
    if (style.join == 1) {
        const double cosTurn = (ax * bx + ay * by) / (la * lb);
        const double miter = 1 / std::sqrt(std::max(1e-12, (1 + cosTurn) / 2));
        if (miter <= style.miterLimit) {
            // The miter tip: from `at` along the bisector of the two offsets.
            const double mx = (p1.x + p2.x) / 2 - at.x, my = (p1.y + p2.y) / 2 - at.y;
            const double ml = std::hypot(mx, my);
            if (ml > 0) {
                const RasterPoint tip{at.x + mx / ml * half * miter, at.y + my / ml * half * miter};
                AddPiece(shape, {at, p1, tip, p2});
                return;
            }
        }
    }
    AddPiece(shape, {at, p1, p2});
}

// Cuts one polyline into its dashes.
std::vector<RasterContour> Dashed(const RasterContour& line, bool closed, const StrokeStyle& style)
{
    RasterContour points = line;
    if (closed && !points.empty())
        points.push_back(points.front());
    double total = 0;
    for (double d : style.dashes)
        total += d;
    if (style.dashes.empty() || total <= 0)
        return {points};
    std::vector<RasterContour> out;
    size_t index = 0;
    double left = style.dashes[0];
    bool on = true;
    // Skip the offset into the pattern.
    double offset = std::fmod(style.dashOffset, total);
    if (offset < 0)
        offset += total;
    while (offset > 0) {
        const double step = std::min(offset, left);
        offset -= step;
        left -= step;
        if (left <= 0) {
            index = (index + 1) % style.dashes.size();
            left = style.dashes[index];
            on = !on;
        }
    }
    RasterContour current;
    if (on && !points.empty())
        current.push_back(points[0]);
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        RasterPoint a = points[i];
        const RasterPoint b = points[i + 1];
        double length = std::hypot(b.x - a.x, b.y - a.y);
        while (length > 0) {
            const double step = std::min(length, left);
            const double t = step / length;
            a = {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
            length -= step;
            left -= step;
            if (on)
                current.push_back(a);
            if (left <= 1e-9) {
                if (on && current.size() > 1)
                    out.push_back(current);
                current.clear();
                on = !on;
                if (on)
                    current.push_back(a);
                index = (index + 1) % style.dashes.size();
                left = style.dashes[index];
            }
        }
    }
    if (on && current.size() > 1)
        out.push_back(current);
    return out;
}

}  // namespace

RasterShape StrokeOutline(const std::vector<RasterContour>& lines, const std::vector<bool>& closed,
                          const StrokeStyle& style)
{
    RasterShape shape;
    const double half = std::max(style.width, 1.0) / 2;
    for (size_t n = 0; n < lines.size(); ++n) {
        const bool isClosed = n < closed.size() && closed[n];
        const bool dashed = !style.dashes.empty();
        for (const RasterContour& piece : Dashed(lines[n], isClosed, style)) {
            const bool ring = isClosed && !dashed;
            const size_t count = piece.size();
            if (count == 1) {
                AddSegment(&shape, piece[0], piece[0], half, style.cap, style.cap);
                continue;
            }
            for (size_t i = 0; i + 1 < count; ++i) {
                const int startCap = (i == 0 && !ring) ? style.cap : 1;
                const int endCap = (i + 2 == count && !ring) ? style.cap : 1;
                AddSegment(&shape, piece[i], piece[i + 1], half, startCap, endCap);
                if (i + 2 < count)
                    AddJoin(&shape, piece[i], piece[i + 1], piece[i + 2], half, style);
            }
            if (ring && count > 2) {
                // The closing point repeats the first; join the last segment to the first.
                const RasterPoint last = piece[count - 1], first = piece[0];
                const bool repeats = last.x == first.x && last.y == first.y;
                if (!repeats) {
                    AddSegment(&shape, last, first, half, 1, 1);
                    AddJoin(&shape, piece[count - 2], last, first, half, style);
                    AddJoin(&shape, last, first, piece[1], half, style);
                } else {
                    AddJoin(&shape, piece[count - 2], first, piece[1], half, style);
                }
            }
        }
    }
    return shape;
}
