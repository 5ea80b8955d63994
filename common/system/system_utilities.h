// Small conversions and tests that both main libraries share.
#pragma once
#include <cstddef>
#include <cstdint>

// Characters before the terminator, at most `maximum` (0 for a maximum of 0).
int BoundedWideLength(const wchar_t* text, int maximum);
// The same for a byte string: its bytes before the terminator, at most
// `maximum`; 0 for a null string.
size_t BoundedStrLen(const char* text, size_t maximum);

// At most count - 1 characters of `text` into `out`, the rest of the `count`
// characters zero-filled, so the copy is always terminated and no byte of the
// field keeps an earlier value. Nothing happens for a count of 0 or a null
// `out`; a null text gives an empty field.
void BoundedWideCopy(wchar_t* out, const wchar_t* text, size_t count);

// Lengths: tenths of a millimetre and hundredths of an inch, rounded half away
// from zero, sign kept.
int32_t TenthMmToHundredthInch(int32_t value);
int32_t HundredthInchToTenthMm(int32_t value);

// high = value / 100; low = value % 100, or its tens digit alone when
// tenthsOnly is set. 0 when an out pointer is null, else 1.
int SplitHundredths(int tenthsOnly, uint16_t value, uint16_t* high, uint16_t* low);

// Rows of 3-byte colour pixels to one grey byte each: three equal bytes keep
// their value, else ((first + third) x 85 + second x 86) >> 8. Rows are packed.
void RgbToGrayBytes(const uint8_t* source, uint8_t* destination, int pixelsPerRow, int rows);

// GlobalSize of the global block holding the pointer; 0 when it is not such a
// block, and on 6.0 or later systems, where the driver never asks it.
uint32_t GetBlockSize(const void* block);

// The answer of a question that has no value to give: 0 written to `out`, 1;
// 0 for a null `out`.
int ClearOutValue(uint32_t* out);

// A new zero-filled global block (GPTR) of `bytes` bytes holding what fits of
// the old block, which is then freed; a null old block gives a fresh one. Null
// without memory, and the old block is then kept as it was.
void* ReallocGlobalCopy(void* block, size_t bytes);

// `length` characters of `text` as a new zero-ended global block (GPTR); null
// without memory. Callers free it with GlobalFree.
wchar_t* CopyTextToGlobal(const wchar_t* text, size_t length);

// 1 when the file's last write lies at least `seconds` before now; 0 when the
// file is missing or not that old.
int IsFileOlderThan(const wchar_t* path, uint32_t seconds);
