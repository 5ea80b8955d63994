// The printer's resident fonts offered to GDI as device fonts: one record per
// offered font (widths, IFIMETRICS with its simulations, kerning pairs, a copy
// of the model's description), the device record's font list, the glyph sets,
// and the answers of the font query entries.
#pragma once
#include <windows.h>
#include <winddi.h>

#include "render/font/font_description.h"

#include <cstddef>
#include <cstdint>
#include <span>

struct PDevRecord;

inline constexpr uint32_t kDeviceFontRecordVersion = 0x10000;
inline constexpr uint32_t kFontNameMaxChars = 32;  // with the terminator
inline constexpr uint32_t kEmHeight = 1000;

// One block from the device record's heap: this header, then the 256 widths,
// the metrics (IFIMETRICS, FONTSIM and the bold, italic and bold italic
// FONTDIFFs, family and face name), the kerning pairs ended by an all-zero
// pair (only when there are pairs), and the copy of the description.
struct DeviceFontRecord {
    uint32_t version;
    uint32_t size;
    uint32_t widthsOffset;
    uint32_t metricsOffset;
    uint32_t metricsSize;
    uint32_t kerningOffset;     // 0: no pairs
    uint32_t kerningCount;
    uint32_t descriptionOffset;
    uint32_t descriptionSize;
    int32_t fontNumber;         // in the printer
    uint8_t extMetrics[kExtendedMetricsBytes];
    uint32_t codeTablesUsable;
    CodeTables tables;
    uint32_t reserved[15];
};
static_assert(sizeof(DeviceFontRecord) == 184);
static_assert(sizeof(DeviceFontRecord) + 256 * sizeof(uint16_t) == 696);
static_assert(sizeof(IFIMETRICS) + sizeof(FONTSIM) + 3 * sizeof(FONTDIFF) == 264);
static_assert(sizeof(FD_KERNINGPAIR) == 6);

// The short entry every model font gets, offered or not.
struct DeviceFontEntry {
    wchar_t face[kFontNameMaxChars];
    uint8_t pitchAndFamily;
    uint8_t charSet;
    uint16_t weight;
    uint8_t italic;
};

struct DeviceFontList {
    uint32_t offeredCount;
    uint32_t modelCount;
    DeviceFontRecord** records;  // offered fonts: GDI's font index i is records[i - 1]
    int32_t* offeredNumbers;
    int32_t* modelNumbers;       // every model font
    DeviceFontEntry* entries;    // every model font
};

// Views into a record.
const uint16_t* FontWidths(const DeviceFontRecord* record);
IFIMETRICS* FontMetrics(DeviceFontRecord* record);
FD_KERNINGPAIR* FontKerningPairs(DeviceFontRecord* record);
std::span<const uint8_t> FontDescription(const DeviceFontRecord* record);

// The record of a description, from the device record's heap; null when the
// description is unusable, memory is short, or the filled size differs from
// the computed one.
DeviceFontRecord* BuildDeviceFontRecord(PDevRecord* pdev, std::span<const uint8_t> description);

// The number of the model's font sections (entries 1, 2, ... until the end).
uint32_t GetDeviceFontCount(PDevRecord* pdev);

// Face names of the families installed for the desktop, each ended by NUL and
// the list by another; null when there are none or memory is short. The caller
// frees with HeapFree(GetProcessHeap()).
wchar_t* ListInstalledFontFamilies();

// The device record's font list; true when built, also with no fonts. A font
// is left out when its face name is the one of the font before it or of an
// installed family. The list lives in the device record's heap.
bool BuildDeviceFontList(PDevRecord* pdev);
const DeviceFontList* DeviceFonts(const PDevRecord* pdev);
// The record of GDI's font index (1-based); null outside 1..count.
DeviceFontRecord* DeviceFontOf(const PDevRecord* pdev, ULONG index);
// The offered font with this printer number, as a font index; 0 when none.
ULONG DeviceFontIndexOfNumber(const PDevRecord* pdev, int32_t number);

// The default font of the device information: the offered font whose number
// is setting 384, 10 points at the device's resolution. False when none has it.
bool DefaultDeviceFont(PDevRecord* pdev, int32_t resolution, LOGFONTW* font);

// The process-wide glyph sets: the computed single-byte set and the Shift-JIS
// set of the library's resource.
bool InitGlyphSetCache();
void FreeGlyphSetCache();
FD_GLYPHSET* GetFontGlyphSet(const PDevRecord* pdev, ULONG index);

// The font query entries' bodies (the entries check the device record).
LONG QueryDeviceFontData(PDevRecord* pdev, FONTOBJ* font, ULONG mode, HGLYPH glyph, GLYPHDATA* data, void* out,
                         ULONG size);
BOOL QueryDeviceAdvanceWidths(PDevRecord* pdev, FONTOBJ* font, HGLYPH* glyphs, USHORT* widths, ULONG count);
