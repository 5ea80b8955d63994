// Text conversion between UTF-16 and byte code pages. Lengths are measured over
// the whole string with the same call that converts, so what is measured is what
// is written (surrogate pairs, UTF-8, double-byte pages alike).
//
// Blocks handed out come from the global heap (zero-filled); the caller frees them
// with GlobalFree.
#pragma once
#include <windows.h>

#include <cstdint>

// The code page itself when GetCPInfo accepts it, else the ANSI code page; 0 is
// therefore the ANSI code page.
UINT GetEffectiveCodePage(UINT codePage);

// Output size 0: the measured length + 1 (room for the terminator). Otherwise
// the converted text, terminated; result its length in bytes. A null text or
// output or a negative size gives kWideBadArgument; a text that cannot be
// converted or does not fit with its terminator (nothing written) gives
// kWideNotConverted.
constexpr int kWideBadArgument = -1;
constexpr int kWideNotConverted = -2;
int WideToMultiByte(UINT codePage, const wchar_t* text, char* output, int outputSize);

// Size below 1: the number of UTF-16 units the text converts to (terminator not
// counted). Otherwise converts into the output, which must hold that count + 1
// units (else 0), terminates it and answers the count. Code page 0 is ANSI.
int MultiByteToWide(UINT codePage, wchar_t* output, const char* text, int outputSizeChars);

// New block of measured length + 1 bytes holding the converted text; null on
// failure. The length without terminator goes to *length when given.
char* AllocWideToMultiByte(UINT codePage, const wchar_t* text, int* length = nullptr);
// New block of (count + 1) UTF-16 units holding the converted text; the count
// (without terminator) goes to *length when given; null on failure.
wchar_t* AllocMultiByteToWide(UINT codePage, const char* text, int* length = nullptr);

// The same through GetEffectiveCodePage. 1 with the block, 0 on a null argument or
// any failure (nothing left allocated).
// *length excludes the terminator.
int ConvertWideToMultiByte(const wchar_t* text, char** block, int* length, UINT codePage);
// *length is the count MultiByteToWideChar gives, the terminator included.
int ConvertMultiByteToWide(const char* text, wchar_t** block, int* length, UINT codePage);

// ANSI text into a field of `count` UTF-16 units: what does not fit is cut,
// the field always terminated and its rest zero-filled. The units written
// before the terminator; 0 (an empty field) for a null text or a failed
// conversion. Nothing is written to a null field or one of no units.
int AnsiToWideField(const char* text, wchar_t* field, size_t count);
