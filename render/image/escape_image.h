// An image that an application hands over whole through the private drawing
// escape 4210, its data already coded for the printer (JPEG, or the predictor
// code): it goes into the stream as it is, placed and turned as the record says.
#pragma once
#include <cstddef>
#include <cstdint>

struct PDevRecord;

// The record at the start of the assembled transfer; the palette (4-byte
// entries: blue, green, red, unused) and then the coded data follow it.
struct EscImageRecord {
    uint32_t size;            // of this head, at least 52; the palette follows it
    uint16_t width, height;   // source pixels
    int32_t destX, destY;     // device pixels: the destination's top left corner
    int32_t destWidth, destHeight;
    uint16_t rotation;        // 0, 90, 180 or 270 degrees
    uint8_t dataKind;         // kEscImageJpeg or kEscImagePredictor
    uint8_t bitsPerPixel;     // 24 or 8
    uint8_t mix;              // the ROP3 the image is drawn with
    uint8_t clipToRect;       // 1: clip to `clip`, 0: the page
    uint16_t paletteCount;    // 8-bit predictor data: entries of 4 bytes
    int32_t clip[4];          // left, top, right, bottom in device pixels
    uint32_t dataLength;
};
static_assert(sizeof(EscImageRecord) == 52);
static_assert(offsetof(EscImageRecord, rotation) == 24);
static_assert(offsetof(EscImageRecord, paletteCount) == 30);
static_assert(offsetof(EscImageRecord, clip) == 32);
static_assert(offsetof(EscImageRecord, dataLength) == 48);

inline constexpr uint8_t kEscImageJpeg = 4;
inline constexpr uint8_t kEscImagePredictor = 5;
// The longest data the printer takes from one escape image.
inline constexpr uint32_t kEscImageDataLimit = 65280;
// The answer for a turn other than the four right angles.
inline constexpr int kEscImageBadRotation = 251;

// Sends the image: pending bands first, the clip, "AL" (2, mix), "Cq" and the
// data as it is. 0 done (also for data above the limit, which sends nothing),
// kEscImageBadRotation, or -1 for a record that does not fit its bytes or a
// failed write.
int DrawEscapeImageRecord(PDevRecord* pdev, const uint8_t* record, uint32_t length);
