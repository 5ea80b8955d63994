#include "render/morva/morva_scalars.h"

#include <bit>

namespace {

int Put(OutputStream* stream, const uint8_t* bytes, uint32_t length)
{
    return WriteStream(stream, bytes, length) == int64_t{length} ? 0 : -1;
}

// How a typed value is written.
enum class TypedForm : uint8_t { Int24, Byte, Float32, Int16, Raw, Int32, None };

struct TypedCode {
    uint8_t code;
    TypedForm form;
};

// The codes come from two numbering schemes that share 0, 1, 2, 8 and 14;
// the writer tries the first and falls back to the second.
constexpr TypedCode kFirstTypedSet[] = {
    {0, TypedForm::Int24},   {1, TypedForm::Int24},   {2, TypedForm::Byte},
    {8, TypedForm::Raw},     {9, TypedForm::Int16},   {10, TypedForm::Int16},
    {11, TypedForm::Float32}, {12, TypedForm::Byte},  {13, TypedForm::Int16},
    {14, TypedForm::Int32},
};
constexpr TypedCode kSecondTypedSet[] = {
    {0, TypedForm::Int24}, {1, TypedForm::Int24}, {2, TypedForm::Byte},
    {3, TypedForm::Float32}, {4, TypedForm::Int16}, {5, TypedForm::Int16},
    {6, TypedForm::Byte}, {7, TypedForm::Byte}, {8, TypedForm::Raw},
    {14, TypedForm::Int32},
};

template <size_t N>
TypedForm FindForm(const TypedCode (&set)[N], int code)
{
    for (const TypedCode& c : set)
        if (c.code == code)
            return c.form;
    return TypedForm::None;
}

int PutTypedForm(OutputStream* stream, TypedForm form, const void* value, uint32_t length)
{
    switch (form) {
    case TypedForm::Int24: return PutInt24(stream, *static_cast<const int32_t*>(value));
    case TypedForm::Int32: return PutInt32(stream, *static_cast<const int32_t*>(value));
    case TypedForm::Byte: return PutInt8(stream, *static_cast<const uint8_t*>(value));
    case TypedForm::Float32: return PutFloat32(stream, *static_cast<const float*>(value));
    case TypedForm::Int16: return PutInt16(stream, *static_cast<const int16_t*>(value));
    case TypedForm::Raw: return PutRaw(stream, value, length);
    case TypedForm::None: break;
    }
    return -1;
}

}  // namespace

int PutOpcode(OutputStream* stream, uint16_t opcode)
{
    return PutInt16(stream, opcode);
}

int PutInt8(OutputStream* stream, int32_t value)
{
    const uint8_t b = static_cast<uint8_t>(value);
    return Put(stream, &b, 1);
}

int PutInt16(OutputStream* stream, int32_t value)
{
    const uint8_t b[2] = {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    return Put(stream, b, 2);
}

int PutInt24(OutputStream* stream, int32_t value)
{
    const uint8_t b[3] = {static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    return Put(stream, b, 3);
}

int PutInt32(OutputStream* stream, int32_t value)
{
    const auto u = static_cast<uint32_t>(value);
    const uint8_t b[4] = {static_cast<uint8_t>(u >> 24), static_cast<uint8_t>(u >> 16), static_cast<uint8_t>(u >> 8),
                          static_cast<uint8_t>(u)};
    return Put(stream, b, 4);
}

int PutFloat32(OutputStream* stream, float value)
{
    return PutInt32(stream, std::bit_cast<int32_t>(value));
}

int EncodeVarint(int32_t value, uint8_t out[kMaxVarintBytes])
{
    uint32_t m = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    uint32_t s = value < 0 ? 0x40 : 0;
    int k = 0;
    uint32_t d = 0;
    if (m < 64) {
        k = 0;
    } else if (m < 8192) {
        k = 1, d = 128;
    } else if (m < (1u << 20)) {
        k = 2, d = 1u << 14;
    } else if (m < (1u << 27)) {
        k = 3, d = 1u << 21;
    } else {
        k = 4, d = 1u << 28;
    }
    int n = 0;
    for (int i = 0; i < k; ++i) {
        out[n++] = static_cast<uint8_t>(0x80 | s | (m / d));
        m %= d;
        d /= 128;
        s = 0;
    }
    out[n++] = static_cast<uint8_t>(m | s);
    return n;
}

int PutVarint(OutputStream* stream, int32_t value)
{
    uint8_t b[kMaxVarintBytes];
    const int n = EncodeVarint(value, b);
    return Put(stream, b, static_cast<uint32_t>(n));
}

int PutRaw(OutputStream* stream, const void* bytes, uint32_t length)
{
    return Put(stream, static_cast<const uint8_t*>(bytes), length);
}

int PutTypedValue(OutputStream* stream, int typeCode, const void* value, uint32_t length)
{
    if (value == nullptr)
        return -1;
    if (PutTypedForm(stream, FindForm(kFirstTypedSet, typeCode), value, length) == 0)
        return 0;
    return PutTypedForm(stream, FindForm(kSecondTypedSet, typeCode), value, length);
}
