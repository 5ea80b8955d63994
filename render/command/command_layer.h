// The one door through which the rendering code sends MORVA commands. It
// leaves out attribute commands that would change nothing (the graphics-state
// cache), picks the integer or float form of each command from its values,
// tracks the current point so that polylines can go out as small differences,
// and owns the model of the printer's glyph memory.
//
// Every operation answers 0, or -1 when a write failed or the values cannot be
// sent; a failed write leaves the cache as it was, so the command is sent
// again next time.
#pragma once
#include "render/command/glyph_cache.h"
#include "render/morva/morva_commands.h"
#include "render/output/output_stream.h"
#include "render/state/graphics_state_cache.h"

#include <cstdint>
#include <span>

// 28.4 fixed point device coordinates, as the engine hands them out.
using Fix = int32_t;
struct FixPoint {
    Fix x, y;
};

// The 16-bit glyph-id forms ("DL", "DM", "Dm") need stream 1.8.1 or later;
// "AV" palettes need stream 2.0.0 or later.
inline constexpr uint32_t kStreamVersionGlyphId16 = 0x01010801;
inline constexpr uint32_t kStreamVersionPalettes = 0x0101FFFF;  // versions above it

// What a command layer is made from: the device record hands these over.
struct CommandLayerSetup {
    OutputStream* stream;
    uint32_t streamVersion;      // setting 8205
    bool externalProcessing;     // setting 1343: pages go to the outside library
    uint32_t glyphCacheCapacity; // 0: no glyph cache
};

struct CommandLayer {
    int perPageReset;      // 1: every page start reopens the glyph cache and forgets the state
    GlyphCache glyphs;
    uint32_t glyphCapacity;
    bool hasCurrentPoint;
    MorvaPoint current;    // pixels
    GraphicsStateCache* state;
    OutputStream* stream;
    bool glyphId16;
    uint32_t streamVersion;
    bool externalProcessing;
};

// Null when the state cache or the glyph cache cannot be made. The glyph cache
// is left out with external processing or a capacity of 0.
CommandLayer* CreateCommandLayer(const CommandLayerSetup& setup);
void FreeCommandLayer(CommandLayer* layer);
void SetCommandLayerModes(CommandLayer* layer, int perPageReset);
void SetStreamVersionField(CommandLayer* layer, uint32_t version);
// At every page start, after replayed pages and after crop marks.
int ResetCommandLayerForPage(CommandLayer* layer);

// ---- Glyph cache ----
bool IsGlyphCacheEnabled(const CommandLayer* layer);
int FindCachedGlyph(CommandLayer* layer, GlyphKey key, uint32_t* address);
int AddCachedGlyph(CommandLayer* layer, GlyphKey key, uint32_t size, bool store, uint32_t* address);
int ResetGlyphCache(CommandLayer* layer);

// ---- Graphics state ----
int EmitPageAxis(CommandLayer* layer, int orientationCode);                      // "AA"
int EmitPlacementMatrix(CommandLayer* layer, const float m[6]);                  // "Aa"
void SetCachedMatrix(CommandLayer* layer, const float m[6]);                     // recorded, not sent
int EmitClipRect(CommandLayer* layer, int32_t left, int32_t top, int32_t right, int32_t bottom);  // "AB"/"Ab"
int EmitClipToPath(CommandLayer* layer);                                         // "AC"
int EmitClipReset(CommandLayer* layer);                                          // "AR"
int EmitLineWidth(CommandLayer* layer, float width);                             // "AD"/"Ad"
int EmitLineCap(CommandLayer* layer, uint8_t cap);                               // "AE"
int EmitLineJoin(CommandLayer* layer, uint8_t join);                             // "AF"
int EmitMiterLimit(CommandLayer* layer, float limit);                            // "AG"/"Ag"
// "AH"/"Ah". Style 6 is a user dash pattern whose offset and lengths are sent;
// any other style is sent only when it differs from the last one.
int EmitLineStyle(CommandLayer* layer, int style, float offset, std::span<const float> lengths);
int EmitLineStyle32(CommandLayer* layer, int style, int32_t offset, std::span<const int32_t> lengths);
int EmitJobOption(CommandLayer* layer, uint8_t option);                          // "AI"
int EmitFillRule(CommandLayer* layer, uint16_t rule);                            // "AJ"
int EmitPaintOperation(CommandLayer* layer, uint16_t operation);                 // "AK"
int EmitMix(CommandLayer* layer, uint16_t kind, int32_t value);                  // "AL"
int EmitColour(CommandLayer* layer, uint8_t target, const MorvaColour& colour);  // "AM"
int EmitHatchStyleBrush(CommandLayer* layer, int32_t x, int32_t y, int32_t use, const MorvaColour& colour,
                        int32_t hatch);                                          // "AN"/"An"
int EmitPatternBrush(CommandLayer* layer, int32_t x, int32_t y, int32_t use, const MorvaColour& colour,
                     const MonoPattern& pattern);                                // "AO"/"Ao"
int EmitColourPatternBrush(CommandLayer* layer, const ColourPattern& pattern);    // "AP"
int EmitBrushBackground(CommandLayer* layer, uint8_t use, uint8_t mode, const MorvaColour& colour);  // "AQ"
// The shading brush: "AQ" then an 8 x 8 "AO" pattern in the colour v.
int EmitHatchBrush(CommandLayer* layer, int32_t use, uint32_t v);
int EmitJobOptions(CommandLayer* layer, bool first, bool second);                // "FF"

// ---- Paths and shapes ----
int EmitPathStart(CommandLayer* layer);   // "BA"
int EmitClosePath(CommandLayer* layer);   // "BC"
int EmitPathEnd(CommandLayer* layer);     // "BD"
int EmitMoveTo(CommandLayer* layer, FixPoint point);                             // "BB"/"Bb"
// "B0"/"BP"/"Bp". Runs longer than a command's count field are split.
int EmitPolyline(CommandLayer* layer, std::span<const FixPoint> points);
int EmitBeziers(CommandLayer* layer, std::span<const FixPoint> points);          // "BU"/"Bu", 3 per segment
int EmitRectangleFix(CommandLayer* layer, Fix left, Fix top, Fix right, Fix bottom);       // "CG"/"Cg"
int EmitRectangle(CommandLayer* layer, int32_t left, int32_t top, int32_t right, int32_t bottom);  // "CG"/"Cg"
int EmitEllipse(CommandLayer* layer, float cx, float cy, float rx, float ry, float start, float sweep);  // "Cc"

// ---- Images ----
// "AV" when the palette changed (stream 2.0.0 and later, kinds 10 and 11), then "Cq".
int EmitImageHeader(CommandLayer* layer, const MorvaImageHeader& header);
int EmitMonoImageHeader(CommandLayer* layer, float x, float y, int32_t width, int32_t height, int32_t polarity,
                        const float matrix[6]);                                  // "Cp"

// ---- Text ----
int EmitFont(CommandLayer* layer, int32_t font);                                 // "DA"
int EmitFontMatrix(CommandLayer* layer, const float m[6]);                       // "Db"
int EmitGlyphRun(CommandLayer* layer, int32_t x, int32_t y, std::span<const uint16_t> ids, int advanceMode,
                 std::span<const float> advances);                               // "DC"/"Dc"/"DD"/"Dd"
// Positioned strings go out in their integer form only, at the nearest whole
// pixel; one placed beyond 16 bits is left out (0).
int EmitPositionedString(CommandLayer* layer, float x, float y, int flags, uint16_t secondFirst, uint16_t last);
int EmitPositionedStrings(CommandLayer* layer, float x, float y, int flags, std::span<const uint16_t> first,
                          std::span<const uint16_t> second, uint16_t last);      // "DE"/"DF"
int EmitGlyphId(CommandLayer* layer, uint32_t id);                               // "DL"/"DH"
int EmitPlaceGlyph(CommandLayer* layer, float x, float y, uint32_t id);          // "DM"/"DI"/"Dm"/"Di"

// ---- Stream, page and job ----
int EmitStreamBegin(CommandLayer* layer, uint8_t a, uint8_t b, uint8_t c);      // "EA"
int EmitStreamEnd(CommandLayer* layer);                                          // "EB"
int EmitSheetEnd(CommandLayer* layer);                                           // "ED"
int EmitSheetOutput(CommandLayer* layer);                                        // "FB"
int EmitEndMarker(CommandLayer* layer);                                          // "EF"
int EmitJobKindOption(CommandLayer* layer);                                      // "FC"
int EmitSheetEndVariant(CommandLayer* layer, int32_t variant);                   // "FE"
int EmitPageMedia(CommandLayer* layer, uint8_t code1, uint8_t code2, uint8_t kind, float width, float height);  // "Ec"
int EmitJobString(CommandLayer* layer, const wchar_t* text);                     // "EE", ANSI
int EmitJobString2(CommandLayer* layer, const wchar_t* text);                    // "EH", ANSI
int EmitPageLabel(CommandLayer* layer, const wchar_t* text, const float m[6], uint8_t kind, uint8_t letter,
                  float width, float height);                                    // "Eg", ANSI
int EmitComment(CommandLayer* layer, const char* text, uint32_t length);         // "EP"
int EmitJobValue(CommandLayer* layer, uint8_t kind, uint16_t value);             // "FA"
int EmitJobKind(CommandLayer* layer, uint8_t a, uint8_t b);                      // "FH"
int EmitCopies(CommandLayer* layer, int32_t copies);                             // "FI"
int EmitRawBytes(CommandLayer* layer, const void* bytes, uint32_t length);
int EmitTypedValue(CommandLayer* layer, int typeCode, const void* value, uint32_t length);
