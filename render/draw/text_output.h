// The body of DrvTextOut: the opaque rectangle, the string as glyphs sent once
// into the printer's glyph memory and then placed by reference, and the extra
// rectangles.
#pragma once
#include <windows.h>
#include <winddi.h>

#include <cstdint>
#include <span>
#include <vector>

struct PDevRecord;
struct CommandLayer;
struct CompressionLibraryBinding;

// The glyph record written after "DL"/"DH": header word (bit 22, the record
// length in the low 18 bits, bit 25 when the rows are compressed by the
// maker's library), origin x and y, height and width as 16-bit
// values, bytes per row in one byte, a byte of 1, the rows, then filler bytes
// of 17 up to the record length. With one byte for the bytes per row the
// fixed part is 18 bytes, which the length (rows + 21 rounded down to 4)
// always covers: the filler is 0 to 3 bytes.
inline constexpr uint32_t kBitmapGlyphFixedBytes = 4 + 4 + 4 + 2 + 2 + 1 + 1;
inline constexpr uint32_t kBitmapGlyphHeaderBit = 1u << 22;
inline constexpr uint32_t kBitmapGlyphCompressedBit = 1u << 25;
inline constexpr uint32_t kGlyphRecordLengthMask = 0x3FFFF;
inline constexpr uint8_t kBitmapGlyphFiller = 17;
inline constexpr uint32_t kMaxBitmapGlyphRowBytes = 255;

constexpr uint32_t BitmapGlyphRecordLength(uint32_t dataBytes)
{
    return (dataBytes + 21) & ~3u;
}
static_assert(BitmapGlyphRecordLength(0) >= kBitmapGlyphFixedBytes);
static_assert(BitmapGlyphRecordLength(1) >= kBitmapGlyphFixedBytes + 1);
static_assert(BitmapGlyphRecordLength(2) >= kBitmapGlyphFixedBytes + 2);
static_assert(BitmapGlyphRecordLength(3) >= kBitmapGlyphFixedBytes + 3);
static_assert(BitmapGlyphRecordLength(4) - kBitmapGlyphFixedBytes - 4 <= 3);

// The whole record of one bitmap glyph in the stream's byte order; false when
// the glyph cannot be carried by the record (bytes per row above 255, length
// beyond 18 bits). `rows` are the raw rows, or with `compressed` the
// library's code of them.
bool BuildBitmapGlyphRecord(int32_t originX, int32_t originY, uint32_t width, uint32_t height,
                            std::span<const uint8_t> rows, std::vector<uint8_t>* record, bool compressed = false);

// The outline glyph record: header word (the record length in the low 18
// bits, bit 21 when the points are floats, bit 24 for the fine-outline rule),
// the point and code counts as 16-bit values, the points (16-bit values of
// the 28.4 coordinate shifted left by 2 for small glyphs, else floats of the
// coordinate / 16), the point-type codes two to a byte (first in the high
// nibble), then filler bytes of 34 up to the record length.
inline constexpr uint32_t kOutlineFloatBit = 1u << 21;
inline constexpr uint32_t kOutlineFineBit = 1u << 24;
inline constexpr uint32_t kOutlineGlyphFixedBytes = 4 + 2 + 2;
inline constexpr uint8_t kOutlineGlyphFiller = 34;
enum OutlineCode : uint8_t { kOutlineMove = 1, kOutlineLine = 2, kOutlineBezier = 4, kOutlineClose = 5, kOutlineEnd = 6 };

constexpr uint32_t OutlineGlyphRecordLength(uint32_t pointBytes, uint32_t points, uint32_t codes)
{
    return (pointBytes * points + (codes + 1) / 2 + 11) & ~3u;
}
static_assert(OutlineGlyphRecordLength(4, 0, 0) >= kOutlineGlyphFixedBytes);
static_assert(OutlineGlyphRecordLength(8, 3, 5) >= kOutlineGlyphFixedBytes + 24 + 3);

// The whole record of one outline glyph; false when it does not fit the
// record (counts above 16 bits, length beyond 18 bits, a small point
// outside 16 bits).
bool BuildOutlineGlyphRecord(std::span<const POINTFIX> points, std::span<const uint8_t> codes, bool small, bool fine,
                             std::vector<uint8_t>* record);

// One glyph at `at` (its character origin): placed from the glyph memory when
// it is there, else sent into it (record built in `record`, its rows through
// the maker's compression library when one is bound) and placed, or drawn in
// place when the memory is off or cannot take it. `fontId` is the font's whole
// identity; a font without one (kUncachedFont) never keeps glyphs in the
// memory, as two such fonts could not be told apart. 1, or 0 when a command
// could not be sent.
inline constexpr uint32_t kUncachedFont = 0;  // the engine's iUniq of a font it cannot identify
int SendBitmapGlyph(CommandLayer* layer, CompressionLibraryBinding* library, uint32_t fontId, HGLYPH glyph,
                    const POINTL& at, const GLYPHBITS* bits, std::vector<uint8_t>* record);

// 1 drawn, 0 failed (GDI reports the failure), -1 not a device record of ours.
int TextOutCommon(SURFOBJ* surface, STROBJ* string, FONTOBJ* font, CLIPOBJ* clip, RECTL* extraRects,
                  RECTL* opaqueRect, BRUSHOBJ* foreBrush, BRUSHOBJ* opaqueBrush, POINTL* brushOrigin, MIX mix);
