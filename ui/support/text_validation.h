// Character checks of the texts the device stores, made on their ANSI form
// against byte-range tables the resource file defines, and the filter that
// keeps only the settings a sub-dialog really changed.
#pragma once
#include <windows.h>

#include <cstdint>

struct ConstraintContext;

constexpr UINT kStringDoubleByteSpace = 9236;  // the code page's double-byte space, as two hex bytes

// Flags of the checks (the number flags of number_fields.h apply as well).
constexpr uint32_t kTextNotOnlySpaces = 0x0100;
constexpr uint32_t kTextEmptyAllowed = 0x0200;

// Each id list is zero-ended and names the resource strings whose texts, joined
// with commas, make one byte table; null for none. Single-byte allowed ranges
// are pairs {low, high}, forbidden bytes single; double-byte allowed ranges
// quadruples {first high, first low, last high, last low}, forbidden codes
// pairs. The text is converted strictly (the A form loosely), run through
// NormalizeNumberText when the flags ask for a number, then checked character
// by character. 1 valid; 0 invalid or failure.
int ValidateTextCharacters(const wchar_t* text, const UINT* singleAllowed, const UINT* doubleAllowed,
                           const UINT* singleForbidden, const UINT* doubleForbidden, uint32_t flags,
                           int maxFractionDigits, UINT codePage = 0);
int ValidateTextCharactersA(const wchar_t* text, const UINT* singleAllowed, const UINT* doubleAllowed,
                            const UINT* singleForbidden, const UINT* doubleForbidden, uint32_t flags,
                            int maxFractionDigits, UINT codePage = 0);

// The byte table of a zero-ended list of string ids, closed by four zero bytes,
// in a new block at *table (its length at *bytes). 1; 0 when a string is
// missing or memory runs out.
int BuildByteRangeTable(const UINT* ids, uint8_t** table, int* bytes);

// Keeps, in order, the listed settings that do not stand in `compare` and those
// that do and whose values differ between `now` and `before`. 1; 0 when a
// value cannot be read.
int FilterChangedSettings(uint16_t* ids, uint16_t* count, const uint16_t* compare, const ConstraintContext& now,
                          const ConstraintContext& before);
