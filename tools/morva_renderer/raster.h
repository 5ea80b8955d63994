// Filling outlines on a pixel grid without anti-aliasing, as a printer's
// raster does: a pixel is inside when its centre is.
#pragma once
#include <functional>
#include <vector>

struct RasterPoint {
    double x;
    double y;
};
using RasterContour = std::vector<RasterPoint>;  // closed: the last point joins the first
using RasterShape = std::vector<RasterContour>;

enum class FillRule { kEvenOdd, kNonZero };

// Calls span(y, x0, x1) for the pixels x0 .. x1 - 1 of row y whose centres lie
// inside the shape, rows 0 .. height - 1 and columns 0 .. width - 1 only.
void FillShape(const RasterShape& shape, FillRule rule, int width, int height,
               const std::function<void(int y, int x0, int x1)>& span);

// The cubic from p0 through the control points c1, c2 to p3 as line points
// (p0 not included), fine enough that no chord strays a tenth of a unit.
void FlattenCubic(RasterPoint p0, RasterPoint c1, RasterPoint c2, RasterPoint p3, RasterContour* out);

// An ellipse as a closed contour.
RasterContour EllipseContour(double cx, double cy, double rx, double ry);

// Line ends and joins as the stream numbers them: cap 1 butt, 2 round,
// 3 square; join 1 miter, 2 round, 3 bevel.
struct StrokeStyle {
    double width = 1;
    int cap = 2;
    int join = 2;
    double miterLimit = 10;
    std::vector<double> dashes;  // on, off, on, ... lengths; empty: solid
    double dashOffset = 0;
};

// The area a pen of that style covers along each polyline (`closed` per
// polyline), as pieces that all turn the same way, to be filled with the
// non-zero rule.
RasterShape StrokeOutline(const std::vector<RasterContour>& lines, const std::vector<bool>& closed,
                          const StrokeStyle& style);
