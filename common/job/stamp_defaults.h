// The stamp record and the built-in stamps. Default stamps and the default stamp
// font are described by resource strings, so that each language of the resource
// file chooses its own names, texts, faces and sizes.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

// One stamp or watermark: a REG_BINARY value of the stamp store named by the
// stamp's name, and the stamp part of the escapes and of the settings access.
struct StampRecord {
    wchar_t name[33];
    wchar_t text[65];
    uint32_t color;  // COLORREF
    uint32_t valueA;
    uint32_t valueB;
    uint16_t valueC;
    uint16_t valueD;
    uint32_t valueE;
    LOGFONTW font;
};
static_assert(sizeof(LOGFONTW) == 92);
static_assert(sizeof(StampRecord) == 308);
static_assert(offsetof(StampRecord, text) == 66);
static_assert(offsetof(StampRecord, color) == 196);
static_assert(offsetof(StampRecord, valueA) == 200);
static_assert(offsetof(StampRecord, valueB) == 204);
static_assert(offsetof(StampRecord, valueC) == 208);
static_assert(offsetof(StampRecord, valueD) == 210);
static_assert(offsetof(StampRecord, valueE) == 212);
static_assert(offsetof(StampRecord, font) == 216);

// Resource string identifiers hold numbers as decimal text (height, escapement,
// orientation, character set) or the face name.
struct DefaultFontRow {
    uint16_t heightId;
    uint16_t width;
    uint16_t escapementId;
    uint16_t orientationId;
    uint16_t weight;
    uint8_t italic;
    uint8_t underline;
    uint8_t strikeOut;
    uint8_t unused;
    uint16_t charSetId;
    uint8_t outPrecision;
    uint8_t clipPrecision;
    uint8_t quality;
    uint8_t pitchAndFamily;
    uint16_t faceId;
};
static_assert(sizeof(DefaultFontRow) == 22);
static_assert(offsetof(DefaultFontRow, charSetId) == 14);
static_assert(offsetof(DefaultFontRow, faceId) == 20);

struct DefaultStampRow {
    uint16_t nameId;
    uint16_t textId;
    uint32_t color;
    uint32_t valueA;
    uint32_t valueB;
    uint16_t valueC;
    uint16_t valueD;
    uint32_t valueE;
    DefaultFontRow font;
};
static_assert(sizeof(DefaultStampRow) == 48);
static_assert(offsetof(DefaultStampRow, font) == 24);

constexpr int kDefaultStampCount = 6;
extern const DefaultStampRow kDefaultStampRows[kDefaultStampCount];
// The row a stamp of an unknown name starts from.
extern const DefaultStampRow kTemplateStampRow;
// The default stamp font (setting 357) and its face name (setting 358).
extern const DefaultFontRow kDefaultStampFontRow;

// Face names longer than 31 characters are cut; an empty or missing face text
// gives "Undefined", as does an empty name or text of a default stamp.
constexpr wchar_t kUndefinedFaceName[] = L"Undefined";

// Fills the LOGFONTW from the row and the strings of `resources`. 1; 0 for a
// null font.
int BuildDefaultStampFont(HMODULE resources, const DefaultFontRow& row, LOGFONTW* font);
// Fills the record from the row and the strings of `resources`. 1; 0 for a null
// record.
int BuildDefaultStamp(HMODULE resources, const DefaultStampRow& row, StampRecord* record);

// The index (0-5) of the default stamp of that name, compared without regard to
// case as the registry compares value names; -1 for another or a null name.
int DefaultStampIndex(HMODULE resources, const wchar_t* name);
