// Pieces of texts the pages show: bounded appends, bracketed parts, option
// names without their size tails, file names of paths.
#pragma once
#include <windows.h>

constexpr UINT kStringSizeTail = 2009;  // its first character leads the size tail of a paper name

// Appends `addition` whole when both lengths together stay below `limit`
// characters, else as much as fits with the terminator.
void AppendStringBounded(wchar_t* text, const wchar_t* addition, int limit);

// The text between the first `open` and the last `close` in a new block at
// *out (its length at *length). 1; 0 for a text shorter than two characters,
// no opening or closing character, or no memory. "()" gives an empty text.
int ExtractDelimitedText(wchar_t** out, int* length, const wchar_t* text, wchar_t open, wchar_t close);

// Option name cut in place. Mode 0 at its last "("; mode 1 also drops the
// character before it when that is the first character of string 2009; mode 2
// takes out the part from the last "(" to the last ")" and keeps what follows.
constexpr int kCutAtBracket = 0;
constexpr int kCutSizeTail = 1;
constexpr int kCutBracketedPart = 2;
void CutOptionNameSuffix(wchar_t* name, int mode);

// The part after the last backslash, or the path itself.
const wchar_t* GetFileNamePart(const wchar_t* path);
