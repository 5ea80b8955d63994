// The escape codes the graphics library answers and the records that travel
// with them. The interface library sends these bytes; their layout is fixed.
#pragma once
#include <cstddef>
#include <cstdint>

#include "common/job/private_escapes.h"

// Answers of DrvEscape.
inline constexpr int32_t kEscDone = 1;
inline constexpr int32_t kEscFailed = -1;
inline constexpr int32_t kEscUnknown = 0;

// Answers of the private drawing escapes beyond those.
inline constexpr int32_t kEscBadFunction = -2;
inline constexpr int32_t kEscBadArgument = -3;
inline constexpr int32_t kEscBadLength = -4;
inline constexpr int32_t kEscBadValue = -5;
inline constexpr int32_t kEscWrongState = -6;

inline constexpr uint32_t kSetCopyCountLimit = 999;
inline constexpr uint32_t kDrawDataLimit = 0xFFFC;

// 20481: the answer of the overlay query.
struct EscOverlayAnswer {
    uint32_t overlayPageDue;
    uint32_t pageWatermarkDue;
    uint32_t annotationsDue;
    float imageable[4];  // left, top, right, bottom in device pixels
    float form[4];
};
static_assert(sizeof(EscOverlayAnswer) == 44);
static_assert(offsetof(EscOverlayAnswer, imageable) == 12);

// 4209: its request and the font information it answers.
struct EscDrawControlRequest {
    uint32_t size;  // must be 8
    uint16_t function;
    uint16_t argument;
};
static_assert(sizeof(EscDrawControlRequest) == 8);
inline constexpr uint16_t kDrawControlEnable = 1;
inline constexpr uint16_t kDrawControlDisable = 2;
inline constexpr uint16_t kDrawControlFontInfo = 3;
inline constexpr uint16_t kDrawControlSignature = 25989;
inline constexpr uint32_t kDrawControlFontInfoSize = 18;

// 4212: its request.
using EscJobOverrideRequest = EscDrawControlRequest;
inline constexpr uint16_t kOverrideQueryDuplex = 4865;
inline constexpr uint16_t kOverrideSetDuplex = 4866;
inline constexpr uint16_t kOverrideQueryPagesPerSheet = 4867;
inline constexpr uint16_t kOverrideSetPagesPerSheet = 4868;
inline constexpr uint16_t kDuplexCodeBase = 4880;  // 4881-4883: setting 16 = 1-3
inline constexpr uint16_t kDuplexNoOverride = 4884;

// 4211: mode codes.
inline constexpr uint16_t kDrawModeOn = 4609;
inline constexpr uint16_t kDrawModeOff = 4610;
inline constexpr uint16_t kDrawSubMode1 = 4611;
inline constexpr uint16_t kDrawSubMode2 = 4612;
inline constexpr uint16_t kDrawSubMode0 = 4613;

// 4210: the request and, at its item offset, the chunk header of the image item.
struct EscChunkRequest {
    uint32_t size;
    uint32_t itemOffset;
};
struct EscChunkHeader {
    uint32_t transferId;
    uint32_t totalLength;
    uint32_t offset;
    uint32_t chunkLength;
    uint32_t rop;         // must be SRCCOPY
};
static_assert(sizeof(EscChunkRequest) == 8);
static_assert(sizeof(EscChunkHeader) == 20);
inline constexpr uint32_t kChunkIdLimit = 16383;
// The most bytes one transfer may announce: an image record with its palette
// and the longest data the printer takes, with room to spare.
inline constexpr uint32_t kChunkTotalLimit = 0x100000;

// 20517: the head of the job header block; slots of `stride` bytes follow,
// each a u32 length and the header, then one u32 patch offset per slot.
struct EscJobHeaderHead {
    uint32_t count;
    uint32_t stride;
    uint32_t firstSlot;
    uint32_t patchTable;
};
static_assert(sizeof(EscJobHeaderHead) == 16);
