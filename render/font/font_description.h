// The description of one resident printer font, as the model carries it in a
// font section's payload: a printer-font-metrics block (little-endian, packed)
// with its extension, the tables it points at, and a block of our own with the
// printer's character-code tables. Every read of a description is bounded by
// its length: a description comes from a file and is hostile.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#pragma pack(push, 1)
// The metrics block. Default and break character are codes, not offsets from
// the first character.
struct FontMetricsBlock {
    uint16_t version;
    uint32_t size;
    char copyright[60];
    uint16_t type;
    uint16_t points;
    uint16_t vertRes;
    uint16_t horizRes;
    uint16_t ascent;
    uint16_t internalLeading;
    uint16_t externalLeading;
    uint8_t italic;
    uint8_t underline;
    uint8_t strikeOut;
    uint16_t weight;
    uint8_t charSet;
    uint16_t pixWidth;
    uint16_t pixHeight;
    uint8_t pitchAndFamily;
    uint16_t avgWidth;
    uint16_t maxWidth;
    uint8_t firstChar;
    uint8_t lastChar;
    uint8_t defaultChar;
    uint8_t breakChar;
    uint16_t widthBytes;
    uint32_t device;
    uint32_t face;          // offset: ANSI face name, NUL, family name, NUL
    uint32_t bitsPointer;
    uint32_t bitsOffset;
    // extension
    uint16_t sizeFields;
    uint32_t extMetrics;    // offset of the 52-byte extended metrics, 0 none
    uint32_t widthTable;    // offset of the 16-bit widths of first..last, 0 none
    uint32_t originTable;
    uint32_t kerningPairs;  // offset: u16 count, then {u8 first, u8 second, s16 amount}
    uint32_t trackKerning;
    uint32_t fontNumber;    // offset of a hexadecimal ANSI string
    uint32_t codeTables;    // offset of a CodeTableBlock, 0 none
};
static_assert(sizeof(FontMetricsBlock) == 147);
static_assert(offsetof(FontMetricsBlock, ascent) == 74);
static_assert(offsetof(FontMetricsBlock, weight) == 83);
static_assert(offsetof(FontMetricsBlock, charSet) == 85);
static_assert(offsetof(FontMetricsBlock, pitchAndFamily) == 90);
static_assert(offsetof(FontMetricsBlock, firstChar) == 95);
static_assert(offsetof(FontMetricsBlock, face) == 105);
static_assert(offsetof(FontMetricsBlock, sizeFields) == 117);
static_assert(offsetof(FontMetricsBlock, kerningPairs) == 131);
static_assert(offsetof(FontMetricsBlock, fontNumber) == 139);
static_assert(offsetof(FontMetricsBlock, codeTables) == 143);

// The printer's character-code tables. Offsets are from the start of the
// description.
struct CodeTableBlock {
    uint16_t firstCode;
    uint16_t lastCode;
    uint32_t direct;         // u16 printer codes of firstCode..lastCode, 0 none
    uint16_t rangeCount;
    uint32_t ranges;         // {u16 first, u16 last, u16 value}
    uint16_t subRangeCount;
    uint32_t subRanges;      // {u16 first, u16 last, u32 offset of u16 codes from first}
    uint16_t pairCount;
    uint32_t pairs;          // {u16 code, u16 printer code}, sorted by code
};
static_assert(sizeof(CodeTableBlock) == 26);
static_assert(offsetof(CodeTableBlock, rangeCount) == 8);
static_assert(offsetof(CodeTableBlock, pairs) == 22);

struct KerningPairEntry {
    uint8_t first;
    uint8_t second;
    int16_t amount;
};
static_assert(sizeof(KerningPairEntry) == 4);
#pragma pack(pop)

inline constexpr size_t kExtendedMetricsBytes = 52;
inline constexpr size_t kRangeEntryBytes = 6;
inline constexpr size_t kSubRangeEntryBytes = 8;
inline constexpr size_t kPairEntryBytes = 4;

// The parsed code tables of a description: where its tables lie. `usable`
// is false when any table reaches outside the description.
struct CodeTables {
    bool present = false;    // the description has a code-table block
    bool usable = false;
    CodeTableBlock block{};
};

// The metrics block of a description; false when it is shorter than the block.
bool ReadFontMetrics(std::span<const uint8_t> description, FontMetricsBlock* out);

// An ANSI string at `offset` (ended by NUL or the description's end); empty
// when the offset is 0 or outside.
std::span<const uint8_t> DescriptionString(std::span<const uint8_t> description, uint32_t offset);

// A hexadecimal string read digit by digit; -1 at a character that is no
// hexadecimal digit, and for an empty string.
int32_t ParseHexCode(std::span<const uint8_t> text);

// The code tables of a description (none when it has no block).
CodeTables ReadCodeTables(std::span<const uint8_t> description, const FontMetricsBlock& metrics);

// The printer code of a character code, or -1. Without a code-table block the
// code is its own printer code.
int32_t MapCharToPrinterCode(std::span<const uint8_t> description, const CodeTables& tables, uint32_t code);
