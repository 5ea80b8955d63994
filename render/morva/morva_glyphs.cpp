#include "render/morva/morva_operands.h"
#include "render/morva/morva_opcodes.h"

#include <algorithm>
#include <cmath>

namespace {

// Ids of the 16-bit forms are glyph memory addresses in 64-byte blocks.
constexpr int kGlyphIdShift = 6;

int PutIdList(OutputStream* stream, std::span<const uint16_t> ids)
{
    if (PutInt16(stream, static_cast<int32_t>(ids.size() * 2)))
        return -1;
    for (uint16_t id : ids)
        if (PutInt16(stream, id))
            return -1;
    return 0;
}

bool CountsFit(size_t flags, std::span<const uint16_t> first, std::span<const uint16_t> second)
{
    if ((flags & 1) && (flags & 2) && first.size() != second.size())
        return false;
    return first.size() <= kMaxInt16Count / 2 && second.size() <= kMaxInt16Count / 2;
}

// The count of "DF": the length of the lists, doubled when both are sent.
size_t PositionedCount(int flags, std::span<const uint16_t> first, std::span<const uint16_t> second)
{
    const size_t n = (flags & 1) ? first.size() : second.size();
    return flags == 3 ? n * 2 : n;
}

}  // namespace

int WriteFont(OutputStream* stream, int32_t font)
{
    return (PutOpcode(stream, kOpFont) || PutInt16(stream, font)) ? -1 : 0;
}

int WriteFontMatrix(OutputStream* stream, const float m[6])
{
    if (m == nullptr)
        return -1;
    return AllWritten({PutOpcode(stream, kOpFontMatrix), PutFloats(stream, m, 6)});
}

bool AdvanceHasFraction(float advance)
{
    const double fraction = advance - std::trunc(static_cast<double>(advance));
    return static_cast<int64_t>(fraction * 10000.0) != 0;
}

namespace {

bool IsFinite(float v)
{
    return std::isfinite(v);
}

}  // namespace

int WriteGlyphRun(OutputStream* stream, int32_t x, int32_t y, std::span<const uint16_t> ids, int advanceMode,
                  std::span<const float> advances)
{
    if (ids.empty() || ids.size() > kMaxInt16Count / 2)
        return -1;
    if (advanceMode == kAdvanceCommon) {
        const float advance = advances.empty() ? 0.0f : advances[0];
        // The float form takes any finite advance, the integer form one that
        // fits its int16 field.
        if (!std::isfinite(advance) || (!AdvanceHasFraction(advance) && !FitsInt16Operand(advance)))
            return -1;
        if (AdvanceHasFraction(advance)) {
            return (PutOpcode(stream, kOpGlyphRunF) || PutFloat32(stream, static_cast<float>(x)) ||
                    PutFloat32(stream, static_cast<float>(y)) || PutInt8(stream, kAdvanceCommon) ||
                    PutFloat32(stream, advance) || PutIdList(stream, ids))
                       ? -1
                       : 0;
        }
        return (PutOpcode(stream, kOpGlyphRun) || PutInt16(stream, x) || PutInt16(stream, y) ||
                PutInt8(stream, kAdvanceCommon) || PutInt16(stream, static_cast<int32_t>(advance)) ||
                PutIdList(stream, ids))
                   ? -1
                   : 0;
    }
    // The device reads one advance per gap between two glyphs: any other count
    // would shift the id list against its length.
    if (advanceMode != kAdvancePerGap || advances.size() != ids.size() - 1 ||
        !std::all_of(advances.begin(), advances.end(), IsFinite))
        return -1;
    const bool fractional = std::any_of(advances.begin(), advances.end(), AdvanceHasFraction);
    if (!fractional && !std::all_of(advances.begin(), advances.end(), [](float a) { return FitsInt16Operand(a); }))
        return -1;
    const auto m = static_cast<int32_t>(advances.size());
    if (fractional) {
        if (PutOpcode(stream, kOpGlyphRunGapsF) || PutFloat32(stream, static_cast<float>(x)) ||
            PutFloat32(stream, static_cast<float>(y)) || PutInt8(stream, kAdvancePerGap) || PutInt16(stream, m))
            return -1;
        for (float a : advances)
            if (PutFloat32(stream, a))
                return -1;
        return PutIdList(stream, ids);
    }
    if (PutOpcode(stream, kOpGlyphRunGaps) || PutInt16(stream, x) || PutInt16(stream, y) ||
        PutInt8(stream, kAdvancePerGap) || PutInt16(stream, m))
        return -1;
    for (float a : advances)
        if (PutInt16(stream, static_cast<int32_t>(a)))
            return -1;
    return PutIdList(stream, ids);
}

int WritePositionedString(OutputStream* stream, int32_t x, int32_t y, int flags, uint16_t secondFirst, uint16_t last)
{
    if (PutOpcode(stream, kOpPositionedString) || PutInt16(stream, x) || PutInt16(stream, y) ||
        PutInt8(stream, flags))
        return -1;
    if ((flags & 1) && PutInt16(stream, 0))
        return -1;
    if ((flags & 2) && PutInt16(stream, secondFirst))
        return -1;
    return PutInt16(stream, last);
}

int WritePositionedStrings(OutputStream* stream, int32_t x, int32_t y, int flags, std::span<const uint16_t> first,
                           std::span<const uint16_t> second, uint16_t last)
{
    if (!CountsFit(flags, first, second))
        return -1;
    const auto count = static_cast<int32_t>(PositionedCount(flags, first, second));
    if (PutOpcode(stream, kOpPositionedStrings) || PutInt16(stream, x) || PutInt16(stream, y) ||
        PutInt8(stream, 2) || PutInt8(stream, flags) || PutInt16(stream, count))
        return -1;
    if (flags & 1)
        for (uint16_t v : first)
            if (PutInt16(stream, v))
                return -1;
    if (flags & 2)
        for (uint16_t v : second)
            if (PutInt16(stream, v))
                return -1;
    return PutInt16(stream, last);
}

int WriteGlyphId32(OutputStream* stream, uint32_t id)
{
    return (PutOpcode(stream, kOpGlyphId32) || PutInt32(stream, static_cast<int32_t>(id))) ? -1 : 0;
}

int WriteGlyphId16(OutputStream* stream, uint32_t id)
{
    return (PutOpcode(stream, kOpGlyphId16) || PutInt16(stream, static_cast<int32_t>(id >> kGlyphIdShift))) ? -1 : 0;
}

int WritePlaceGlyph(OutputStream* stream, int32_t x, int32_t y, uint32_t id)
{
    return AllWritten({PutOpcode(stream, kOpPlaceGlyph), PutInt16(stream, x), PutInt16(stream, y),
                       PutInt32(stream, static_cast<int32_t>(id))});
}

int WritePlaceGlyph16(OutputStream* stream, int32_t x, int32_t y, uint32_t id)
{
    return AllWritten({PutOpcode(stream, kOpPlaceGlyph16), PutInt16(stream, x), PutInt16(stream, y),
                       PutInt16(stream, static_cast<int32_t>(id >> kGlyphIdShift))});
}

int WritePlaceGlyphF(OutputStream* stream, float x, float y, uint32_t id)
{
    return AllWritten({PutOpcode(stream, kOpPlaceGlyphF), PutFloat32(stream, x), PutFloat32(stream, y),
                       PutInt32(stream, static_cast<int32_t>(id))});
}

int WritePlaceGlyph16F(OutputStream* stream, float x, float y, uint32_t id)
{
    return AllWritten({PutOpcode(stream, kOpPlaceGlyph16F), PutFloat32(stream, x), PutFloat32(stream, y),
                       PutInt16(stream, static_cast<int32_t>(id >> kGlyphIdShift))});
}
