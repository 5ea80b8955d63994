// Numbers written as text in settings, configuration values and model strings.
#pragma once
#include <cstdint>

// Decimal conversion as the C library does it: leading white space, an optional
// sign, digits up to the first other character; 0 when there are none.
int WideToInt(const wchar_t* text);

// "0x"/"0X" and at least one hexadecimal digit, or one or more decimal digits,
// and nothing else. On success stores the value (wrapping modulo 2^32) and
// answers 1; otherwise answers 0 and leaves *value as it was.
int ParseNumberText(const wchar_t* text, uint32_t* value);
