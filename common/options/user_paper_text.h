// The text of a user-defined paper size in an option list: its name followed
// by its size in millimetres or inches.
#pragma once
#include <windows.h>

#include <cstdint>

struct PaperUnits;

struct UserPaper {
    uint16_t code;
    uint32_t width;   // tenths of a millimetre
    uint32_t length;
    const wchar_t* name;
};

// Resource strings of the size text: the format takes the width, the length
// and the unit (%1s, %2s, %3s).
constexpr UINT kPaperSizeFormatString = 2009;
constexpr UINT kMillimetreUnitString = 703;
constexpr UINT kInchUnitString = 9247;

// Width or length in the unit: millimetres as whole numbers; inches rounded to
// `precision` decimals (0: two). Locale-independent. Answers the characters written.
int FormatPaperLength(uint32_t tenthsOfMillimetre, const PaperUnits& units, wchar_t* buffer, int capacity);

// A new global block holding the name followed by the formatted size, sized to
// what is written; null on failure.
wchar_t* UserPaperOptionText(HMODULE resources, const UserPaper& paper, const PaperUnits& units);
