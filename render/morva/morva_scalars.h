// The primitive encoders of the MORVA stream: every operand reaches the output
// stream through one of these. Multi-byte values go most significant byte
// first. Each answers 0, or -1 when the stream write failed.
#pragma once
#include "render/output/output_stream.h"

#include <cstdint>

int PutOpcode(OutputStream* stream, uint16_t opcode);
int PutInt8(OutputStream* stream, int32_t value);   // low 8 bits
int PutInt16(OutputStream* stream, int32_t value);  // low 16 bits
int PutInt24(OutputStream* stream, int32_t value);  // low 24 bits
int PutInt32(OutputStream* stream, int32_t value);
int PutFloat32(OutputStream* stream, float value);  // IEEE single bit pattern
int PutVarint(OutputStream* stream, int32_t value);
int PutRaw(OutputStream* stream, const void* bytes, uint32_t length);

// The varint form: the first byte holds the sign in bit 6 and six bits of the
// magnitude, each further byte seven bits; bit 7 says another byte follows.
// The byte count follows fixed magnitude thresholds, not the shortest form
// (64 is 0x80 0x40). Returns the byte count (1 to 5).
constexpr int kMaxVarintBytes = 5;
int EncodeVarint(int32_t value, uint8_t out[kMaxVarintBytes]);

// Typed values of glyph download records. Value layouts by code: int24 and
// int32 codes read an int32_t, byte codes the value's first byte, float codes
// a float, int16 codes an int16_t, code 8 `length` raw bytes.
// Answers -1 for an unknown code or a failed write.
int PutTypedValue(OutputStream* stream, int typeCode, const void* value, uint32_t length);
