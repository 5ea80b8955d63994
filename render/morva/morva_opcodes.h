// MORVA opcodes: a command starts with a 16-bit opcode whose two bytes are two
// ASCII letters, most significant first. Each constant is its value on the wire.
// Where a command has an integer and a float form, the float form's second
// letter is the lower-case one. The positioned strings have their integer
// form only.
#pragma once
#include <cstdint>

constexpr uint16_t MorvaOpcode(char first, char second)
{
    return static_cast<uint16_t>((static_cast<uint8_t>(first) << 8) | static_cast<uint8_t>(second));
}

// Graphics state
constexpr uint16_t kOpAxisMatrix = MorvaOpcode('A', 'A');
constexpr uint16_t kOpPlacementMatrix = MorvaOpcode('A', 'a');
constexpr uint16_t kOpClipRect = MorvaOpcode('A', 'B');
constexpr uint16_t kOpClipRectF = MorvaOpcode('A', 'b');
constexpr uint16_t kOpClipToPath = MorvaOpcode('A', 'C');
constexpr uint16_t kOpLineWidth = MorvaOpcode('A', 'D');
constexpr uint16_t kOpLineWidthF = MorvaOpcode('A', 'd');
constexpr uint16_t kOpLineCap = MorvaOpcode('A', 'E');
constexpr uint16_t kOpLineJoin = MorvaOpcode('A', 'F');
constexpr uint16_t kOpMiterLimit = MorvaOpcode('A', 'G');
constexpr uint16_t kOpMiterLimitF = MorvaOpcode('A', 'g');
constexpr uint16_t kOpLineStyle = MorvaOpcode('A', 'H');
constexpr uint16_t kOpLineStyleF = MorvaOpcode('A', 'h');
constexpr uint16_t kOpJobOption = MorvaOpcode('A', 'I');
constexpr uint16_t kOpFillRule = MorvaOpcode('A', 'J');
constexpr uint16_t kOpPaintOperation = MorvaOpcode('A', 'K');
constexpr uint16_t kOpMix = MorvaOpcode('A', 'L');
constexpr uint16_t kOpSolidColour = MorvaOpcode('A', 'M');
constexpr uint16_t kOpHatchBrush = MorvaOpcode('A', 'N');
constexpr uint16_t kOpHatchBrushF = MorvaOpcode('A', 'n');
constexpr uint16_t kOpPatternBrush = MorvaOpcode('A', 'O');
constexpr uint16_t kOpPatternBrushF = MorvaOpcode('A', 'o');
constexpr uint16_t kOpColourPatternBrush = MorvaOpcode('A', 'P');
constexpr uint16_t kOpBrushBackground = MorvaOpcode('A', 'Q');
constexpr uint16_t kOpClipReset = MorvaOpcode('A', 'R');
constexpr uint16_t kOpPalette = MorvaOpcode('A', 'V');
// Paths and shapes
constexpr uint16_t kOpPathStart = MorvaOpcode('B', 'A');
constexpr uint16_t kOpMoveTo = MorvaOpcode('B', 'B');
constexpr uint16_t kOpMoveToF = MorvaOpcode('B', 'b');
constexpr uint16_t kOpPolyline = MorvaOpcode('B', 'P');
constexpr uint16_t kOpPolylineF = MorvaOpcode('B', 'p');
constexpr uint16_t kOpPolylineDelta = MorvaOpcode('B', '0');
constexpr uint16_t kOpBeziers = MorvaOpcode('B', 'U');
constexpr uint16_t kOpBeziersF = MorvaOpcode('B', 'u');
constexpr uint16_t kOpClosePath = MorvaOpcode('B', 'C');
constexpr uint16_t kOpPathEnd = MorvaOpcode('B', 'D');
constexpr uint16_t kOpRectangle = MorvaOpcode('C', 'G');
constexpr uint16_t kOpRectangleF = MorvaOpcode('C', 'g');
constexpr uint16_t kOpEllipse = MorvaOpcode('C', 'c');
constexpr uint16_t kOpImage = MorvaOpcode('C', 'q');
constexpr uint16_t kOpMonoImage = MorvaOpcode('C', 'p');
// Text
constexpr uint16_t kOpFont = MorvaOpcode('D', 'A');
constexpr uint16_t kOpFontMatrix = MorvaOpcode('D', 'b');
constexpr uint16_t kOpGlyphRun = MorvaOpcode('D', 'C');
constexpr uint16_t kOpGlyphRunF = MorvaOpcode('D', 'c');
constexpr uint16_t kOpGlyphRunGaps = MorvaOpcode('D', 'D');
constexpr uint16_t kOpGlyphRunGapsF = MorvaOpcode('D', 'd');
constexpr uint16_t kOpPositionedString = MorvaOpcode('D', 'E');
constexpr uint16_t kOpPositionedStrings = MorvaOpcode('D', 'F');
constexpr uint16_t kOpGlyphId32 = MorvaOpcode('D', 'H');
constexpr uint16_t kOpGlyphId16 = MorvaOpcode('D', 'L');
constexpr uint16_t kOpPlaceGlyph = MorvaOpcode('D', 'I');
constexpr uint16_t kOpPlaceGlyph16 = MorvaOpcode('D', 'M');
constexpr uint16_t kOpPlaceGlyphF = MorvaOpcode('D', 'i');
constexpr uint16_t kOpPlaceGlyph16F = MorvaOpcode('D', 'm');
// Stream, page and job
constexpr uint16_t kOpStreamBegin = MorvaOpcode('E', 'A');
constexpr uint16_t kOpStreamEnd = MorvaOpcode('E', 'B');
constexpr uint16_t kOpPageMedia = MorvaOpcode('E', 'c');
constexpr uint16_t kOpSheetEnd = MorvaOpcode('E', 'D');
constexpr uint16_t kOpJobString = MorvaOpcode('E', 'E');
constexpr uint16_t kOpEndMarker = MorvaOpcode('E', 'F');
constexpr uint16_t kOpJobString2 = MorvaOpcode('E', 'H');
constexpr uint16_t kOpPageLabel = MorvaOpcode('E', 'g');
constexpr uint16_t kOpComment = MorvaOpcode('E', 'P');
constexpr uint16_t kOpJobValue = MorvaOpcode('F', 'A');
constexpr uint16_t kOpSheetOutput = MorvaOpcode('F', 'B');
constexpr uint16_t kOpJobKindOption = MorvaOpcode('F', 'C');
constexpr uint16_t kOpSheetEndVariant = MorvaOpcode('F', 'E');
constexpr uint16_t kOpJobOptions = MorvaOpcode('F', 'F');
constexpr uint16_t kOpJobKind = MorvaOpcode('F', 'H');
constexpr uint16_t kOpCopiesValue = MorvaOpcode('F', 'I');
