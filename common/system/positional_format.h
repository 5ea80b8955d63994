// Message formatting with numbered inserts, so that a translated text can put the
// arguments in its own order: "%2s-%1s" writes the second string argument, a
// hyphen and the first.
//
// Inserts: "%" + digit 1-9 + one of d s D S names an argument; "%" + d s D S takes
// the next one in turn; "%%" writes "%". d/D take a 32-bit number, s/S a UTF-16
// string; the upper-case forms take the argument without writing it. Anything
// else is literal text. A format holds at most 19 pieces (text after them is not
// written) and 10 arguments: an insert whose argument would not be among the
// first ten, or not below the number of inserts, is written as its literal text.
#pragma once
#include <cstdarg>

// Writes into buffer (capacity in characters, including the terminator): a piece
// that would not fit whole is skipped and later pieces that fit are written. The
// text is always terminated. Result: the length written; 0 for a null buffer or
// format or a capacity of 0.
int FormatPositional(wchar_t* buffer, int capacity, const wchar_t* format, ...);
int FormatPositionalV(wchar_t* buffer, int capacity, const wchar_t* format, va_list args);
