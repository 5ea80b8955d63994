// One writer per MORVA opcode and form. Each takes the output stream and the
// operands in wire order, writes through the scalar encoders and keeps no
// state; which command and which form is sent when is the command layer's
// business (except the glyph run, whose writer picks its form itself).
// Every writer answers 0, or -1 when a write failed or the operands cannot be
// encoded; a writer that refuses its operands writes nothing at all.
#pragma once
#include "render/output/output_stream.h"

#include <cstdint>
#include <span>

// Colour by format: format 4 is red, green, blue; format 3 one grey byte.
constexpr uint8_t kColourFormatGrey = 3;
constexpr uint8_t kColourFormatRgb = 4;

struct MorvaColour {
    uint8_t format;
    uint8_t bytes[3];  // red, green, blue; grey in bytes[0]
};

struct MorvaPoint {
    int32_t x, y;
};

struct MorvaPointF {
    float x, y;
};

// ---- Graphics state ("A") ----
int WriteAxisMatrix(OutputStream* stream, int orientationCode);     // "AA", codes 1-4
int WritePlacementMatrix(OutputStream* stream, const float m[6]);   // "Aa"
int WriteClipRect(OutputStream* stream, int32_t left, int32_t top, int32_t right, int32_t bottom);  // "AB"
int WriteClipRectF(OutputStream* stream, float left, float top, float right, float bottom);        // "Ab"
int WriteClipToPath(OutputStream* stream);                          // "AC"
int WriteLineWidth(OutputStream* stream, int32_t width);            // "AD"
int WriteLineWidthF(OutputStream* stream, float width);             // "Ad"
int WriteLineCap(OutputStream* stream, int32_t cap);                // "AE"
int WriteLineJoin(OutputStream* stream, int32_t join);              // "AF"
int WriteMiterLimit(OutputStream* stream, int32_t limit);           // "AG"
int WriteMiterLimitF(OutputStream* stream, float limit);            // "Ag"
// "AH"/"Ah": the offset and lengths are written only for style 6 (user dash
// pattern), at most 255 lengths.
constexpr int kLineStyleUserDash = 6;
int WriteLineStyle(OutputStream* stream, int style, int32_t offset, std::span<const int16_t> lengths);
int WriteLineStyleF(OutputStream* stream, int style, float offset, std::span<const float> lengths);
int WriteJobOption(OutputStream* stream, bool on);                  // "AI"
int WriteFillRule(OutputStream* stream, int32_t rule);              // "AJ"
int WritePaintOperation(OutputStream* stream, int32_t operation);   // "AK"
int WriteMix(OutputStream* stream, int32_t kind, int32_t value);    // "AL"
int WriteSolidColour(OutputStream* stream, int32_t target, const MorvaColour& colour);  // "AM"
int WriteHatchBrush(OutputStream* stream, int32_t x, int32_t y, int32_t use, const MorvaColour& colour,
                    int32_t hatch);                                 // "AN"
int WriteHatchBrushF(OutputStream* stream, float x, float y, int32_t use, const MorvaColour& colour,
                     int32_t hatch);                                // "An"

// A one-bit pattern: rows of (width + 7) / 8 bytes, top row first.
struct MonoPattern {
    int32_t width;
    int32_t height;
    const uint8_t* bits;
};
uint32_t MonoPatternBytes(int32_t width, int32_t height);
int WritePatternBrush(OutputStream* stream, int32_t x, int32_t y, int32_t use, const MorvaColour& colour,
                      const MonoPattern& pattern);                  // "AO"
int WritePatternBrushF(OutputStream* stream, float x, float y, int32_t use, const MorvaColour& colour,
                       const MonoPattern& pattern);                 // "Ao"

struct ColourPattern {
    int32_t x, y;        // brush origin
    uint8_t use;         // 1 stroke, 2 fill
    uint8_t format;      // 4 RGB, 3 grey
    int32_t width, height;
    uint32_t length;     // bytes of data: rows top first
    const uint8_t* data;
};
int WriteColourPatternBrush(OutputStream* stream, const ColourPattern& pattern);  // "AP"
int WriteBrushBackground(OutputStream* stream, int32_t use, int32_t mode, const MorvaColour& colour);  // "AQ"
int WriteClipReset(OutputStream* stream);                          // "AR"
int WritePalette(OutputStream* stream, int32_t kind, int32_t bits, int32_t count,
                 std::span<const uint8_t> bytes);                   // "AV"

// ---- Paths and shapes ("B", "C") ----
int WritePathStart(OutputStream* stream);                          // "BA"
int WriteMoveTo(OutputStream* stream, int32_t x, int32_t y);       // "BB"
int WriteMoveToF(OutputStream* stream, float x, float y);          // "Bb"
int WritePolyline(OutputStream* stream, std::span<const MorvaPoint> points);    // "BP"
int WritePolylineF(OutputStream* stream, std::span<const MorvaPointF> points);  // "Bp"
// "B0": each point as the difference from the one before, the first from
// `current`. Without a current point or without points nothing is written.
int WritePolylineDelta(OutputStream* stream, const MorvaPoint* current, std::span<const MorvaPoint> points);
// "BU"/"Bu": 3 points per segment (two control points and the end point).
int WriteBeziers(OutputStream* stream, std::span<const MorvaPoint> points);
int WriteBeziersF(OutputStream* stream, std::span<const MorvaPointF> points);
int WriteClosePath(OutputStream* stream);                          // "BC"
int WritePathEnd(OutputStream* stream);                            // "BD"
int WriteRectangle(OutputStream* stream, int32_t x1, int32_t y1, int32_t x2, int32_t y2);  // "CG"
int WriteRectangleF(OutputStream* stream, float x1, float y1, float x2, float y2);        // "Cg"
int WriteEllipse(OutputStream* stream, float cx, float cy, float rx, float ry, float start, float sweep);  // "Cc"

// ---- Images ("Cq", "Cp") ----
constexpr uint8_t kImageNoMask = 1;
constexpr uint8_t kImageWithMask = 2;
constexpr uint8_t kImageNoSourceData = 1;
constexpr uint8_t kImageData = 2;
constexpr uint8_t kImageMethodPlain = 1;

struct MorvaImageHeader {
    float destX, destY;
    float matrix[6];
    int32_t sourceWidth, sourceHeight;
    uint8_t maskFlag;        // kImageNoMask or kImageWithMask
    uint32_t maskLength;     // with a mask
    uint8_t colourModel;     // kImageNoSourceData or kImageData
    uint8_t colourKind;      // 3 grey, 4 RGB, 5 JPEG, 8-11 palette kinds, 15 palette sent with "AV"
    uint16_t paletteCount;   // for kinds 8-11
    std::span<const uint8_t> palette;  // 3 bytes per entry, for kinds 8-11
    uint8_t bitsPerComponent;  // at most 8
    uint8_t method;            // compression method
    uint32_t dataLength;
};
// "Cq": the header only; the mask bytes and then the data follow as raw bytes.
int WriteImageHeader(OutputStream* stream, const MorvaImageHeader& header);
// "Cp": the header of a one-bit image; its h * ((w + 7) / 8) bytes follow as raw bytes.
int WriteMonoImageHeader(OutputStream* stream, float x, float y, int32_t width, int32_t height, int32_t polarity,
                         const float matrix[6]);

// ---- Text ("D") ----
int WriteFont(OutputStream* stream, int32_t font);                 // "DA"
int WriteFontMatrix(OutputStream* stream, const float m[6]);       // "Db"

constexpr int kAdvanceCommon = 1;   // one advance for the whole run
constexpr int kAdvancePerGap = 2;   // one advance between each two glyphs
// "DC"/"Dc"/"DD"/"Dd": the writer picks the float form when an advance has a
// fraction (fraction * 10000, truncated, not 0). With kAdvanceCommon at most
// one advance is read (none: 0); with kAdvancePerGap one per gap.
int WriteGlyphRun(OutputStream* stream, int32_t x, int32_t y, std::span<const uint16_t> ids, int advanceMode,
                  std::span<const float> advances);
bool AdvanceHasFraction(float advance);

// "DE" (one position) and "DF" (per-glyph lists). Flags bit 0: first list,
// bit 1: second list. Their float forms would keep the opcode, which a reader
// could not tell from these: they are never written.
int WritePositionedString(OutputStream* stream, int32_t x, int32_t y, int flags, uint16_t secondFirst, uint16_t last);
int WritePositionedStrings(OutputStream* stream, int32_t x, int32_t y, int flags, std::span<const uint16_t> first,
                           std::span<const uint16_t> second, uint16_t last);
int WriteGlyphId32(OutputStream* stream, uint32_t id);             // "DH"
int WriteGlyphId16(OutputStream* stream, uint32_t id);             // "DL", id >> 6
int WritePlaceGlyph(OutputStream* stream, int32_t x, int32_t y, uint32_t id);    // "DI"
int WritePlaceGlyph16(OutputStream* stream, int32_t x, int32_t y, uint32_t id);  // "DM", id >> 6
int WritePlaceGlyphF(OutputStream* stream, float x, float y, uint32_t id);       // "Di"
int WritePlaceGlyph16F(OutputStream* stream, float x, float y, uint32_t id);     // "Dm", id >> 6

// ---- Stream, page and job ("E", "F") ----
int WriteStreamBegin(OutputStream* stream, uint8_t value);         // "EA", 0x90 at job begin
int WriteStreamEnd(OutputStream* stream);                          // "EB"
constexpr uint8_t kMediaKindCustom = 'Q';
// "Ec": the sheet's width and height in millimetres, only for kind 'Q'. The
// sheet of the placements is measured in the same axes.
int WritePageMedia(OutputStream* stream, uint8_t code1, uint8_t code2, uint8_t kind, float width, float height);
int WriteSheetEnd(OutputStream* stream);                           // "ED"
int WriteJobString(OutputStream* stream, std::span<const uint8_t> text);   // "EE"
int WriteEndMarker(OutputStream* stream);                          // "EF"
int WriteJobString2(OutputStream* stream, std::span<const uint8_t> text);  // "EH"
// "Eg": the letter only for kind 2, the sizes (millimetres) only for letter 'Q'.
int WritePageLabel(OutputStream* stream, std::span<const uint8_t> text, const float m[6], uint8_t kind, uint8_t letter,
                   float width, float height);
// "EP": at most 255 bytes; a length of 0 takes the text up to its terminating zero.
int WriteComment(OutputStream* stream, const char* text, uint32_t length);
int WriteJobValue(OutputStream* stream, int32_t kind, int32_t value);  // "FA"
int WriteSheetOutput(OutputStream* stream);                        // "FB"
int WriteJobKindOption(OutputStream* stream);                      // "FC"
int WriteSheetEndVariant(OutputStream* stream, int32_t variant);   // "FE"
int WriteJobOptions(OutputStream* stream, bool first, bool second);  // "FF"
int WriteJobKind(OutputStream* stream, int32_t a, int32_t b);      // "FH"
int WriteCopiesValue(OutputStream* stream, int32_t value);         // "FI"
