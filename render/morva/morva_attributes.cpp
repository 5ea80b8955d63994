#include "render/morva/morva_operands.h"
#include "render/morva/morva_opcodes.h"

int WriteAxisMatrix(OutputStream* stream, int code)
{
    // (p, q, q, r, 0, 0) by orientation code.
    struct Axis {
        int16_t p, q, r;
    };
    static constexpr Axis kAxes[] = {{1, 0, -1}, {-1, 0, 1}, {0, 1, 0}, {0, -1, 0}};
    if (code < 1 || code > 4)
        return -1;
    const Axis& a = kAxes[code - 1];
    return AllWritten({PutOpcode(stream, kOpAxisMatrix), PutInt16(stream, a.p), PutInt16(stream, a.q),
                       PutInt16(stream, a.q), PutInt16(stream, a.r), PutInt16(stream, 0), PutInt16(stream, 0)});
}

int WritePlacementMatrix(OutputStream* stream, const float m[6])
{
    if (m == nullptr)
        return -1;
    return AllWritten({PutOpcode(stream, kOpPlacementMatrix), PutFloats(stream, m, 6)});
}

int WriteClipRect(OutputStream* stream, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    return AllWritten({PutOpcode(stream, kOpClipRect), PutInt16(stream, left), PutInt16(stream, top),
                       PutInt16(stream, right), PutInt16(stream, bottom)});
}

int WriteClipRectF(OutputStream* stream, float left, float top, float right, float bottom)
{
    return AllWritten({PutOpcode(stream, kOpClipRectF), PutFloat32(stream, left), PutFloat32(stream, top),
                       PutFloat32(stream, right), PutFloat32(stream, bottom)});
}

int WriteClipToPath(OutputStream* stream)
{
    return PutOpcode(stream, kOpClipToPath);
}

int WriteLineWidth(OutputStream* stream, int32_t width)
{
    return (PutOpcode(stream, kOpLineWidth) || PutInt16(stream, width)) ? -1 : 0;
}

int WriteLineWidthF(OutputStream* stream, float width)
{
    return (PutOpcode(stream, kOpLineWidthF) || PutFloat32(stream, width)) ? -1 : 0;
}

int WriteLineCap(OutputStream* stream, int32_t cap)
{
    return (PutOpcode(stream, kOpLineCap) || PutInt8(stream, cap)) ? -1 : 0;
}

int WriteLineJoin(OutputStream* stream, int32_t join)
{
    return (PutOpcode(stream, kOpLineJoin) || PutInt8(stream, join)) ? -1 : 0;
}

int WriteMiterLimit(OutputStream* stream, int32_t limit)
{
    return (PutOpcode(stream, kOpMiterLimit) || PutInt8(stream, limit)) ? -1 : 0;
}

int WriteMiterLimitF(OutputStream* stream, float limit)
{
    return (PutOpcode(stream, kOpMiterLimitF) || PutFloat32(stream, limit)) ? -1 : 0;
}

int WriteLineStyle(OutputStream* stream, int style, int32_t offset, std::span<const int16_t> lengths)
{
    const bool dash = style == kLineStyleUserDash;
    if (dash && lengths.size() > 255)
        return -1;
    if (PutOpcode(stream, kOpLineStyle) || PutInt8(stream, style))
        return -1;
    if (!dash)
        return 0;
    if (PutInt16(stream, offset) || PutInt8(stream, static_cast<int32_t>(lengths.size())))
        return -1;
    for (int16_t length : lengths)
        if (PutInt16(stream, length))
            return -1;
    return 0;
}

int WriteLineStyleF(OutputStream* stream, int style, float offset, std::span<const float> lengths)
{
    const bool dash = style == kLineStyleUserDash;
    if (dash && lengths.size() > 255)
        return -1;
    if (PutOpcode(stream, kOpLineStyleF) || PutInt8(stream, style))
        return -1;
    if (!dash)
        return 0;
    if (PutFloat32(stream, offset) || PutInt8(stream, static_cast<int32_t>(lengths.size())))
        return -1;
    for (float length : lengths)
        if (PutFloat32(stream, length))
            return -1;
    return 0;
}

int WriteJobOption(OutputStream* stream, bool on)
{
    return (PutOpcode(stream, kOpJobOption) || PutInt8(stream, on ? 1 : 0)) ? -1 : 0;
}

int WriteFillRule(OutputStream* stream, int32_t rule)
{
    return (PutOpcode(stream, kOpFillRule) || PutInt8(stream, rule)) ? -1 : 0;
}

int WritePaintOperation(OutputStream* stream, int32_t operation)
{
    return (PutOpcode(stream, kOpPaintOperation) || PutInt8(stream, operation)) ? -1 : 0;
}

int WriteMix(OutputStream* stream, int32_t kind, int32_t value)
{
    return (PutOpcode(stream, kOpMix) || PutInt8(stream, kind) || PutInt32(stream, value)) ? -1 : 0;
}

// The colour writers check the format before the first byte: a command cut
// off before its colour would leave the device reading the next opcode as
// colour bytes.
int WriteSolidColour(OutputStream* stream, int32_t target, const MorvaColour& colour)
{
    if (!IsKnownColourFormat(colour.format))
        return -1;
    return (PutOpcode(stream, kOpSolidColour) || PutInt8(stream, target) || PutInt8(stream, colour.format) ||
            PutColourBytes(stream, colour))
               ? -1
               : 0;
}

int WriteHatchBrush(OutputStream* stream, int32_t x, int32_t y, int32_t use, const MorvaColour& colour, int32_t hatch)
{
    if (!IsKnownColourFormat(colour.format))
        return -1;
    return (PutOpcode(stream, kOpHatchBrush) || PutInt16(stream, x) || PutInt16(stream, y) || PutInt8(stream, use) ||
            PutInt8(stream, colour.format) || PutColourBytes(stream, colour) || PutInt8(stream, hatch))
               ? -1
               : 0;
}

int WriteHatchBrushF(OutputStream* stream, float x, float y, int32_t use, const MorvaColour& colour, int32_t hatch)
{
    if (!IsKnownColourFormat(colour.format))
        return -1;
    return (PutOpcode(stream, kOpHatchBrushF) || PutFloat32(stream, x) || PutFloat32(stream, y) ||
            PutInt8(stream, use) || PutInt8(stream, colour.format) || PutColourFloats(stream, colour) ||
            PutInt8(stream, hatch))
               ? -1
               : 0;
}

uint32_t MonoPatternBytes(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0)
        return 0;
    return static_cast<uint32_t>((width + 7) / 8) * static_cast<uint32_t>(height);
}

namespace {

bool IsValidPattern(const MonoPattern& p)
{
    return p.width > 0 && p.height > 0 && p.width <= 0x7FFF && p.height <= 0x7FFF && p.bits != nullptr;
}

// Everything of "AO"/"Ao" after the colour.
int PutPatternTail(OutputStream* stream, const MonoPattern& p)
{
    return (PutInt8(stream, 1) || PutInt16(stream, p.width) || PutInt16(stream, p.height) ||
            PutRaw(stream, p.bits, MonoPatternBytes(p.width, p.height)))
               ? -1
               : 0;
}

}  // namespace

int WritePatternBrush(OutputStream* stream, int32_t x, int32_t y, int32_t use, const MorvaColour& colour,
                      const MonoPattern& pattern)
{
    if (!IsKnownColourFormat(colour.format) || !IsValidPattern(pattern))
        return -1;
    return (PutOpcode(stream, kOpPatternBrush) || PutInt16(stream, x) || PutInt16(stream, y) || PutInt8(stream, use) ||
            PutInt8(stream, colour.format) || PutColourBytes(stream, colour) || PutPatternTail(stream, pattern))
               ? -1
               : 0;
}

int WritePatternBrushF(OutputStream* stream, float x, float y, int32_t use, const MorvaColour& colour,
                       const MonoPattern& pattern)
{
    if (!IsKnownColourFormat(colour.format) || !IsValidPattern(pattern))
        return -1;
    return (PutOpcode(stream, kOpPatternBrushF) || PutFloat32(stream, x) || PutFloat32(stream, y) ||
            PutInt8(stream, use) || PutInt8(stream, colour.format) || PutColourFloats(stream, colour) ||
            PutPatternTail(stream, pattern))
               ? -1
               : 0;
}

int WriteColourPatternBrush(OutputStream* stream, const ColourPattern& p)
{
    // Width and height are int16 fields; pattern sizes outside them are refused.
    if (!IsKnownColourFormat(p.format) || (p.data == nullptr && p.length != 0) || !FitsInt16Size(p.width) ||
        !FitsInt16Size(p.height))
        return -1;
    return (PutOpcode(stream, kOpColourPatternBrush) || PutInt16(stream, p.x) || PutInt16(stream, p.y) ||
            PutInt8(stream, p.use) || PutInt8(stream, p.format) || PutInt8(stream, 8) || PutInt16(stream, p.width) ||
            PutInt16(stream, p.height) || PutInt8(stream, 1) || PutInt32(stream, static_cast<int32_t>(p.length)) ||
            PutRaw(stream, p.data, p.length))
               ? -1
               : 0;
}

int WriteBrushBackground(OutputStream* stream, int32_t use, int32_t mode, const MorvaColour& colour)
{
    if (!IsKnownColourFormat(colour.format))
        return -1;
    return (PutOpcode(stream, kOpBrushBackground) || PutInt8(stream, use) || PutInt8(stream, mode) ||
            PutInt8(stream, colour.format) || PutColourBytes(stream, colour))
               ? -1
               : 0;
}

int WriteClipReset(OutputStream* stream)
{
    return PutOpcode(stream, kOpClipReset);
}

int WritePalette(OutputStream* stream, int32_t kind, int32_t bits, int32_t count, std::span<const uint8_t> bytes)
{
    // Three bytes per entry: a count that disagrees with the bytes would
    // make the device read the next command as palette.
    if (bytes.size() > kMaxInt16Count || count < 0 || static_cast<size_t>(count) * 3 != bytes.size())
        return -1;
    const auto n = static_cast<uint32_t>(bytes.size());
    return AllWritten({PutOpcode(stream, kOpPalette), PutInt8(stream, kind), PutInt8(stream, bits),
                       PutInt16(stream, count), PutInt16(stream, static_cast<int32_t>(n)),
                       PutRaw(stream, bytes.data(), n)});
}
