// The transmission header line of a fax job: one text line per destination,
// written as raw MORVA commands in a device font ahead of the page.
#pragma once
#include "render/output/output_stream.h"

#include <windows.h>

#include <cstdint>

// One piece of text of the header line.
struct FaxHeaderItem {
    int32_t font;                  // device font number
    int32_t size;                  // tenths of a point
    int32_t x, y;                  // tenths of a millimetre on the page
    const char* text;              // ANSI
    uint32_t length;               // bytes of text
    const uint16_t* widths;        // 256 glyph widths (1/1000 of the size) by byte; 0: no glyph
    uint16_t doubleByteWidth;      // width of every double-byte character
};

struct FaxHeaderLayout {
    uint16_t resolutionX, resolutionY;  // settings 20 and 21
    // Taken off every x: the fax page's left offset (tenths of a millimetre)
    // on models that place the header from the paper's edge.
    int32_t xShift;
    UINT codePage;                      // for double-byte characters; 0 the ANSI code page
};

// The bytes WriteFaxHeader writes for these items, or -1 when a glyph has no width.
int MeasureFaxHeader(const FaxHeaderLayout& layout, const FaxHeaderItem* items, uint32_t count);
// Writes the header commands into the stream: the state for device text
// ("AR", "AK", "AL", "AM"), then per item its font and size when they change
// and its glyph run. The byte count, or -1 (a glyph without width writes nothing).
int WriteFaxHeader(OutputStream* stream, const FaxHeaderLayout& layout, const FaxHeaderItem* items, uint32_t count);
