// Rows of an application's bitmap as image rows of the stream: palette images
// for 1, 4 and 8 bits per pixel, RGB for deeper sources, through the call's
// colour translation.
#pragma once
#include <windows.h>
#include <winddi.h>

#include <cstdint>

struct SourceImage {
    uint32_t width, height;
    uint8_t bitsPerPixel;  // of the converted rows: 1, 4, 8 or 24
    uint8_t colourKind;    // 11 palette, 4 RGB
    uint16_t paletteCount;
    uint8_t palette[768];  // red, green, blue of each entry
    uint32_t stride;       // bytes of a converted row, packed
};

// Describes the conversion of a width x height rectangle of `source`; a 4-bit
// source becomes 8-bit when `widenFourBits`. False for a format it cannot read.
bool DescribeSource(SURFOBJ* source, XLATEOBJ* xlate, uint32_t width, uint32_t height, bool widenFourBits,
                    SourceImage* image);
// Converts `count` rows of the rectangle at (left, top + first) into `out`.
void ConvertSourceRows(SURFOBJ* source, XLATEOBJ* xlate, const SourceImage& image, int32_t left, int32_t top,
                       uint32_t first, uint32_t count, uint8_t* out);

// Whether every pixel of the rectangle is black or white after translation
// (a one-bit source: its two palette entries).
bool IsBlackAndWhiteSource(SURFOBJ* source, XLATEOBJ* xlate, int32_t left, int32_t top, uint32_t width,
                           uint32_t height);
// One-bit rows of the rectangle, packed to bytes, bit set for white (a
// one-bit source: its bits as they are). `out` holds height * ((width + 7) / 8).
void ReadOneBitRows(SURFOBJ* source, XLATEOBJ* xlate, int32_t left, int32_t top, uint32_t width, uint32_t height,
                    uint8_t* out);
// A one-bit source's first palette entry after translation.
ULONG FirstPaletteColour(XLATEOBJ* xlate);
