// Operand groups shared by several MORVA writers (internal to the encoder).
#pragma once
#include "render/morva/morva_commands.h"
#include "render/morva/morva_scalars.h"

#include <initializer_list>

// For the writers that write every operand whatever happens: the braced list
// evaluates its writes in order, and the result is -1 when any failed.
inline int AllWritten(std::initializer_list<int> results)
{
    int r = 0;
    for (int x : results)
        r |= x;
    return r != 0 ? -1 : 0;
}

inline bool IsKnownColourFormat(uint8_t format)
{
    return format == kColourFormatGrey || format == kColourFormatRgb;
}

// The colour bytes after a format byte; the format has been checked.
inline int PutColourBytes(OutputStream* stream, const MorvaColour& c)
{
    if (c.format == kColourFormatGrey)
        return PutInt8(stream, c.bytes[0]);
    return (PutInt8(stream, c.bytes[0]) || PutInt8(stream, c.bytes[1]) || PutInt8(stream, c.bytes[2])) ? -1 : 0;
}

// The float forms carry each colour byte divided by 255.
inline int PutColourFloats(OutputStream* stream, const MorvaColour& c)
{
    const int n = c.format == kColourFormatGrey ? 1 : 3;
    for (int i = 0; i < n; ++i)
        if (PutFloat32(stream, c.bytes[i] / 255.0f))
            return -1;
    return 0;
}

inline int PutFloats(OutputStream* stream, const float* values, int count)
{
    int r = 0;
    for (int i = 0; i < count; ++i)
        r |= PutFloat32(stream, values[i]);
    return r;
}

constexpr size_t kMaxInt16Count = 0x7FFF;

// A value an int16 operand carries without losing its integer part; NaN and
// the infinities fit nowhere.
inline bool FitsInt16Operand(double v)
{
    return v >= -32768.0 && v < 32768.0;
}

// A size an int16 operand carries: 1 to 0x7FFF.
inline bool FitsInt16Size(int32_t v)
{
    return v > 0 && v <= static_cast<int32_t>(kMaxInt16Count);
}
