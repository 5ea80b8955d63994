// Byte-limited ANSI text: the job description hands texts to the device and to
// outside libraries in the ANSI code page, in fields of a fixed byte size.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

// Bytes of `text` (of `length` bytes) to keep within `limit`, never cutting a
// double-byte character of the code page in two.
uint32_t AnsiPrefixBytes(UINT codePage, const char* text, uint32_t length, uint32_t limit);

// The UTF-16 text in the ANSI code page, cut to at most `limit` bytes as above,
// into `out` (room for limit + 1 bytes). 1; 0 for a null argument or a failed
// conversion (`out` then empty).
int WideToAnsiCut(const wchar_t* text, char* out, uint32_t limit);

// The UTF-16 text cut as above to at most `limit` bytes of its ANSI form, then
// back in UTF-16 into `out` (room for `room` units), always terminated: the
// form of a text the device stores in a field of fixed size. 1; 0 for a null
// argument or a failed conversion (`out` then empty when it has room).
int WideCutToAnsiLimit(const wchar_t* text, uint32_t limit, wchar_t* out, size_t room);
