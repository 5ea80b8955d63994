#include "render/morva/morva_operands.h"
#include "render/morva/morva_opcodes.h"

namespace {

template <typename Point, typename PutPoint>
int PutCountedPoints(OutputStream* stream, uint16_t opcode, std::span<const Point> points, size_t perCount,
                     PutPoint put)
{
    if (points.size() % perCount != 0 || points.size() / perCount > kMaxInt16Count)
        return -1;
    if (PutOpcode(stream, opcode) || PutInt16(stream, static_cast<int32_t>(points.size() / perCount)))
        return -1;
    for (const Point& p : points)
        if (put(stream, p))
            return -1;
    return 0;
}

int PutPoint16(OutputStream* stream, const MorvaPoint& p)
{
    return (PutInt16(stream, p.x) || PutInt16(stream, p.y)) ? -1 : 0;
}

int PutPointF(OutputStream* stream, const MorvaPointF& p)
{
    return (PutFloat32(stream, p.x) || PutFloat32(stream, p.y)) ? -1 : 0;
}

}  // namespace

int WritePathStart(OutputStream* stream)
{
    return PutOpcode(stream, kOpPathStart);
}

int WriteMoveTo(OutputStream* stream, int32_t x, int32_t y)
{
    return (PutOpcode(stream, kOpMoveTo) || PutInt16(stream, x) || PutInt16(stream, y)) ? -1 : 0;
}

int WriteMoveToF(OutputStream* stream, float x, float y)
{
    return (PutOpcode(stream, kOpMoveToF) || PutFloat32(stream, x) || PutFloat32(stream, y)) ? -1 : 0;
}

int WritePolyline(OutputStream* stream, std::span<const MorvaPoint> points)
{
    return PutCountedPoints(stream, kOpPolyline, points, 1, PutPoint16);
}

int WritePolylineF(OutputStream* stream, std::span<const MorvaPointF> points)
{
    return PutCountedPoints(stream, kOpPolylineF, points, 1, PutPointF);
}

int WritePolylineDelta(OutputStream* stream, const MorvaPoint* current, std::span<const MorvaPoint> points)
{
    if (current == nullptr || points.empty() || points.size() > kMaxInt16Count)
        return -1;
    if (PutOpcode(stream, kOpPolylineDelta) || PutInt16(stream, static_cast<int32_t>(points.size())))
        return -1;
    MorvaPoint previous = *current;
    for (const MorvaPoint& p : points) {
        if (PutVarint(stream, p.x - previous.x) || PutVarint(stream, p.y - previous.y))
            return -1;
        previous = p;
    }
    return 0;
}

int WriteBeziers(OutputStream* stream, std::span<const MorvaPoint> points)
{
    return PutCountedPoints(stream, kOpBeziers, points, 3, PutPoint16);
}

int WriteBeziersF(OutputStream* stream, std::span<const MorvaPointF> points)
{
    return PutCountedPoints(stream, kOpBeziersF, points, 3, PutPointF);
}

int WriteClosePath(OutputStream* stream)
{
    return PutOpcode(stream, kOpClosePath);
}

int WritePathEnd(OutputStream* stream)
{
    return PutOpcode(stream, kOpPathEnd);
}

int WriteRectangle(OutputStream* stream, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    return (PutOpcode(stream, kOpRectangle) || PutInt16(stream, x1) || PutInt16(stream, y1) || PutInt16(stream, x2) ||
            PutInt16(stream, y2))
               ? -1
               : 0;
}

int WriteRectangleF(OutputStream* stream, float x1, float y1, float x2, float y2)
{
    return (PutOpcode(stream, kOpRectangleF) || PutFloat32(stream, x1) || PutFloat32(stream, y1) ||
            PutFloat32(stream, x2) || PutFloat32(stream, y2))
               ? -1
               : 0;
}

int WriteEllipse(OutputStream* stream, float cx, float cy, float rx, float ry, float start, float sweep)
{
    return (PutOpcode(stream, kOpEllipse) || PutFloat32(stream, cx) || PutFloat32(stream, cy) ||
            PutFloat32(stream, rx) || PutFloat32(stream, ry) || PutFloat32(stream, start) ||
            PutFloat32(stream, sweep))
               ? -1
               : 0;
}
