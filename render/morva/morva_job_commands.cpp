#include "render/morva/morva_operands.h"
#include "render/morva/morva_opcodes.h"

#include <cstring>

namespace {

constexpr uint32_t kMaxCommentBytes = 255;

int PutText16(OutputStream* stream, std::span<const uint8_t> text)
{
    const auto n = static_cast<uint32_t>(text.size());
    return (PutInt16(stream, static_cast<int32_t>(n)) || PutRaw(stream, text.data(), n)) ? -1 : 0;
}

}  // namespace

int WriteStreamBegin(OutputStream* stream, uint8_t value)
{
    return AllWritten({PutOpcode(stream, kOpStreamBegin), PutInt8(stream, value)});
}

int WriteStreamEnd(OutputStream* stream)
{
    return PutOpcode(stream, kOpStreamEnd);
}

int WritePageMedia(OutputStream* stream, uint8_t code1, uint8_t code2, uint8_t kind, float width, float height)
{
    if (kind != kMediaKindCustom)
        return AllWritten({PutOpcode(stream, kOpPageMedia), PutInt8(stream, code1), PutInt8(stream, code2),
                           PutInt8(stream, kind)});
    return AllWritten({PutOpcode(stream, kOpPageMedia), PutInt8(stream, code1), PutInt8(stream, code2),
                       PutInt8(stream, kind), PutFloat32(stream, width), PutFloat32(stream, height)});
}

int WriteSheetEnd(OutputStream* stream)
{
    return PutOpcode(stream, kOpSheetEnd);
}

int WriteJobString(OutputStream* stream, std::span<const uint8_t> text)
{
    if (text.size() > kMaxInt16Count)
        return -1;
    return (PutOpcode(stream, kOpJobString) || PutText16(stream, text)) ? -1 : 0;
}

int WriteEndMarker(OutputStream* stream)
{
    return PutOpcode(stream, kOpEndMarker);
}

int WriteJobString2(OutputStream* stream, std::span<const uint8_t> text)
{
    if (text.size() > kMaxInt16Count)
        return -1;
    return (PutOpcode(stream, kOpJobString2) || PutInt16(stream, 1) || PutText16(stream, text)) ? -1 : 0;
}

int WritePageLabel(OutputStream* stream, std::span<const uint8_t> text, const float m[6], uint8_t kind, uint8_t letter,
                   float width, float height)
{
    if (m == nullptr || text.size() > kMaxInt16Count)
        return -1;
    if (PutOpcode(stream, kOpPageLabel) || PutText16(stream, text) || PutFloats(stream, m, 6) || PutInt8(stream, kind))
        return -1;
    if (kind != 2)
        return 0;
    if (PutInt8(stream, letter))
        return -1;
    if (letter != kMediaKindCustom)
        return 0;
    return (PutFloat32(stream, width) || PutFloat32(stream, height)) ? -1 : 0;
}

int WriteComment(OutputStream* stream, const char* text, uint32_t length)
{
    if (text == nullptr)
        return -1;
    uint32_t n = length;
    if (n == 0)
        n = static_cast<uint32_t>(strnlen(text, kMaxCommentBytes));
    if (n > kMaxCommentBytes)
        n = kMaxCommentBytes;
    return AllWritten({PutOpcode(stream, kOpComment), PutInt8(stream, static_cast<int32_t>(n)), PutRaw(stream, text, n)});
}

int WriteJobValue(OutputStream* stream, int32_t kind, int32_t value)
{
    return AllWritten({PutOpcode(stream, kOpJobValue), PutInt8(stream, kind), PutInt16(stream, value)});
}

int WriteSheetOutput(OutputStream* stream)
{
    return PutOpcode(stream, kOpSheetOutput);
}

int WriteJobKindOption(OutputStream* stream)
{
    return PutOpcode(stream, kOpJobKindOption);
}

int WriteSheetEndVariant(OutputStream* stream, int32_t variant)
{
    return (PutOpcode(stream, kOpSheetEndVariant) || PutInt8(stream, variant)) ? -1 : 0;
}

int WriteJobOptions(OutputStream* stream, bool first, bool second)
{
    return AllWritten({PutOpcode(stream, kOpJobOptions), PutInt8(stream, (first ? 1 : 0) | (second ? 4 : 0))});
}

int WriteJobKind(OutputStream* stream, int32_t a, int32_t b)
{
    return (PutOpcode(stream, kOpJobKind) || PutInt8(stream, a) || PutInt8(stream, b)) ? -1 : 0;
}

int WriteCopiesValue(OutputStream* stream, int32_t value)
{
    return (PutOpcode(stream, kOpCopiesValue) || PutInt8(stream, value)) ? -1 : 0;
}
