// Numbers as the edit fields show and take them: fixed-point texts with the
// resource file's decimal separator, the display kind of length settings,
// margin records by field, and the strict parsers behind the numeric fields.
#pragma once
#include <windows.h>

#include <cstdint>

// Formatting flags.
constexpr uint32_t kFixedPointDigits = 0x0001;  // a size pair's numbers
constexpr uint32_t kFixedPoint = 0x0040;        // required by FormatFixedPoint
constexpr uint32_t kFixedPointTrimZero = 0x0100;  // no fraction when it is zero

constexpr UINT kStringPlusSign = 9239;
constexpr UINT kStringMinusSign = 9240;
constexpr UINT kStringDecimalSeparator = 9241;
constexpr UINT kStringSizePair = 730;       // width, height, orientation
constexpr UINT kStringLandscape = 2012;
constexpr UINT kStringPortrait = 2013;

// The display kind of a length setting: 2 inches, 1 millimetres (for the
// adjustments 268, 269 and 324: 1 with inches, 0 without). 1 for the settings
// shown as lengths, 0 for any other.
int GetLengthDisplayKind(uint16_t id, uint32_t inchFlag, uint32_t* kind);

// Four margins in the order left, top, right, bottom.
struct MarginRecord {
    uint32_t left, top, right, bottom;
};
static_assert(sizeof(MarginRecord) == 16);
constexpr int kAllMargins = 4;
// Selector 0-3 one field, kAllMargins all four (values[0..3]). 1; 0 for another
// selector or a null argument.
int SetMarginFields(MarginRecord* record, int selector, const uint32_t* values);
int GetMarginFields(const MarginRecord* record, int selector, uint32_t* values);

// `value` with `decimals` decimals in a new block at *out: with `isSigned` a
// negative value is led by "-"; the fraction is padded with leading zeros to
// the decimals; kFixedPointTrimZero leaves out a zero fraction. 1; 0 without
// kFixedPoint in `flags` or when memory runs out.
int FormatFixedPoint(wchar_t** out, int decimals, bool isSigned, uint32_t flags, uint32_t value);
// Decimals above 0 as FormatFixedPoint; 0 by the value's type in a new
// 24-character block. 1 done, 0 failure.
int FormatSettingNumber(wchar_t** out, int decimals, bool isSigned, uint16_t type, uint32_t value);
// "width x height orientation" from string 730, both numbers with `decimals`
// (or as whole numbers for 0), in a new block. 1 done, 0 failure.
int FormatSizePairText(HMODULE module, uint32_t width, uint32_t height, int decimals, int orientation, wchar_t** out);

// Optional sign and 1 to 10 digits, nothing else, within the unsigned 32-bit
// range (positive) or down to -2147483648 (negative). 1 with *out; 0 refused.
int ParseDecimalInt32A(const char* text, uint32_t* out);

// Normalising flags (the text checks share them).
constexpr uint32_t kNumberSign = 0x0001;         // look at a leading sign
constexpr uint32_t kNumberDropSign = 0x0010;     // ... and drop it
constexpr uint32_t kNumberRefuseSign = 0x0020;   // ... or refuse it
constexpr uint32_t kNumberDecimals = 0x0040;     // one decimal separator, removed
constexpr uint32_t kNumberAnyFraction = 0x0200;  // more fraction digits than the maximum are fine
// The number text of `length` bytes with its sign and separator handled as the
// flags ask, into `out` (room for length + 1) with *length updated. 1 when the
// result is valid and not empty; 0 otherwise.
int NormalizeNumberText(uint32_t flags, int maxFractionDigits, const char* text, int* length, char* out);

// Hexadecimal byte values separated by one character each (blanks and tabs
// skipped; a lone "," ends the list) into `out`, or only counted when `out` is
// null. The count.
int ParseHexByteList(const wchar_t* text, uint8_t* out);
