// What colours a page uses: the census of up to 16 distinct colours that
// decides the sheet kind of a few-colour page, and the detection of pages that
// are grey only.
#pragma once
#include <cstdint>

inline constexpr uint32_t kCensusLimit = 15;
inline constexpr uint32_t kWhite = 0xFFFFFF;

struct ColourCensus {
    bool active;
    uint32_t mode;      // 2: greys count as black
    uint32_t capacity;  // at most 15
    uint32_t count;
    uint32_t colours[16];
};

void ResetColourCensus(ColourCensus* census, uint32_t mode, uint32_t capacity);
// A colour as 0xRRGGBB; white is never counted. Past the capacity the census
// switches itself off.
void AddCensusColour(ColourCensus* census, uint32_t rgb);
void MergeColourCensus(ColourCensus* into, const ColourCensus& other);
// The sheet kind byte of kind 2 while the census is active: count x 16 + 2.
uint8_t CensusSheetKind(const ColourCensus& census, uint8_t kind);

enum PageColourState : uint32_t {
    kPageColourUnknown = 0,
    kPageColourSeen = 1,     // final for the page
    kPageGreyOnly = 2,
    kPageGreyTolerant = 3,
};

// What the drawing of a page met of colours: the page's detection state and
// the census, fed by every image, brush and solid colour drawn.
struct PageColours {
    uint32_t state;  // PageColourState of the page
    bool tolerant;   // greys within the tolerance count as grey
    bool off;        // no detection for the page
    ColourCensus census;
};

// Grey exactly, or within the tolerance of tolerant mode.
bool IsGreyPixel(uint8_t r, uint8_t g, uint8_t b, bool tolerant);
// Feeds RGB pixels (3 bytes each, red first) to the page's state and census.
void DetectPageColours(uint32_t* state, bool tolerant, const uint8_t* pixels, uint32_t count, ColourCensus* census);
// Feeds indexed pixels: the palette (3 bytes an entry) is tested, then every
// entry the pixels use.
void DetectPaletteColours(uint32_t* state, bool tolerant, const uint8_t* palette, uint32_t entries,
                          const uint8_t* indexes, uint32_t count, ColourCensus* census);
