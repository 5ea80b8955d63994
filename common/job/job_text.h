// The byte sink of the job header writers: a caller's buffer of fixed capacity
// and the count of bytes in it. Every append checks the room first, so a
// writer that runs out of room answers kJobErrNoRoom and the buffer keeps what
// fitted before. Text of the header is UTF-8; text the device takes as
// single-byte (user names, library lines) is appended as its bytes.
#pragma once
#include <cstdint>

struct JobText {
    uint8_t* data;
    uint32_t capacity;
    uint32_t length;
};

// 0 or kJobErrNoRoom (nothing appended then).
int AppendJobBytes(JobText* out, const void* bytes, uint32_t count);
int AppendJobChars(JobText* out, const char* text);  // NUL-terminated bytes
// The UTF-16 text as UTF-8; kJobErrConversion when it cannot be converted.
int AppendJobWide(JobText* out, const wchar_t* text);
int AppendJobWideN(JobText* out, const wchar_t* text, uint32_t count);
// Decimal text of a number, the same whatever the user's locale.
int AppendJobSigned(JobText* out, int64_t value);
int AppendJobUnsigned(JobText* out, uint64_t value);
// `value` in decimal with leading zeros up to `width` digits ("%04d" of a
// non-negative number).
int AppendJobPadded(JobText* out, uint64_t value, int width);
