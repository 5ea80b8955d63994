// The font of a default stamp, described by resource strings so that each
// language of the resource file chooses its own face and size.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

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

// The default stamp font (setting 357) and its face name (setting 358).
extern const DefaultFontRow kDefaultStampFontRow;

// Face names longer than 31 characters are cut; an empty or missing face text
// gives "Undefined".
constexpr wchar_t kUndefinedFaceName[] = L"Undefined";

// Fills the LOGFONTW from the row and the strings of `resources`. 1; 0 for a
// null font.
int BuildDefaultStampFont(HMODULE resources, const DefaultFontRow& row, LOGFONTW* font);
