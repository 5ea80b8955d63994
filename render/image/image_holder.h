// What the device record keeps for its images: the scratch channel the coders
// use, the requested compression method, and the bands held back until the
// next drawing that is not an image.
#pragma once
#include "render/command/command_layer.h"
#include "render/compress/image_compression.h"
#include "render/output/temp_channel.h"

#include <windows.h>

#include <cstdint>

// A band ready to go out: its header (the data length and method are filled
// when it is sent) and its rows; a mask, when there is one, goes before them.
struct ImageBandHeader {
    float destX, destY;
    float matrix[6];
    uint16_t width, rows;
    uint8_t colourKind;    // 4 RGB, 3 grey, 10 and 11 palette kinds
    uint8_t bitsPerComponent;
    uint8_t bitsPerPixel;  // of the rows: 24, 8, 4 or 1
    uint16_t paletteCount;
    uint8_t palette[768];  // 3 bytes an entry
};

struct PendingBand {
    ImageBandHeader header;
    HGLOBAL data;  // movable, locked only while used
    uint32_t length;
    PendingBand* next;
};

struct ImageHolder {
    TempChannel channel;  // scratch of the coders, never the channel pages are recorded in
    uint8_t requestedMethod;
    CompressionLibraryBinding* library;  // the job's, unloaded with the holder
    PendingBand* first;
    PendingBand* last;
    bool turnBands;       // page control asks for bands turned by 90 degrees
    uint8_t* turnBuffer;  // grows to the largest turned band
    uint32_t turnBytes;
};

ImageHolder* CreateImageHolder(HMODULE resources, uint8_t requestedMethod);
// Drops pending bands and deletes the scratch channel's file.
void FreeImageHolder(ImageHolder* holder);

// Copies the rows into movable memory and appends the band. 0 or -1.
int QueueImageBand(ImageHolder* holder, const ImageBandHeader& header, const uint8_t* rows, uint32_t length);
bool HasPendingBands(const ImageHolder* holder);

// Compresses and sends one band: "AL" (2, 0xCC) when asked, "Cq", the mask
// rows, the data. `rows` may be changed (compressed in place). 0, -1 when a
// write failed, kBandFatal when compression failed fatally.
int SendImageBand(CommandLayer* layer, ImageHolder* holder, const ImageBandHeader& header, uint8_t* rows,
                  uint32_t length, const uint8_t* mask, uint32_t maskLength);

// Sends every pending band in order and empties the list; after a fatal
// compression result the remaining bands are dropped. 0 or -1.
int FlushPendingImages(CommandLayer* layer, ImageHolder* holder);
