// The escape codes the graphics library answers and the records that travel
// with them. The interface library sends these bytes; their layout is fixed.
#pragma once
#include <cstddef>
#include <cstdint>

enum EscapeCode : uint32_t {
    kEscQuerySupport = 8,          // QUERYESCSUPPORT
    kEscSetCopyCount = 17,         // SETCOPYCOUNT
    kEscPassThrough = 19,          // PASSTHROUGH
    kEscGetTechnology = 20,        // GETTECHNOLOGY
    kEscDrawControl = 4209,
    kEscChunkedImage = 4210,
    kEscDrawMode = 4211,
    kEscJobOverride = 4212,
    kEscDrawReserved1 = 4213,
    kEscDrawReserved2 = 4214,
    kEscDrawReserved3 = 4215,
    kEscDrawData = 4216,
    kEscQueryOverlays = 20481,
    kEscGetSettings = 20482,
    kEscWatermarkBracket = 20483,
    kEscWatermarkFrame = 20484,
    kEscSetSettings = 20485,
    kEscGetAnnotationData = 20486,
    kEscSetAnnotationData = 20487,
    kEscAnnotationBracket = 20488,
    kEscQueryFaxJob = 20489,
    kEscGetPageCount = 20490,
    kEscSetPrinterSettings = 20491,
    kEscGetPrinterSettings = 20492,
    kEscGetJobNumber = 20493,
    kEscSetPageRecord = 20496,
    kEscStartJob = 20512,
    kEscSettingsBatch = 20513,
    kEscSetDocumentName = 20515,
    kEscSetFaxSendList = 20516,
    kEscSetTableBlock = 20517,
    kEscGetCapabilityRecord = 20520,
    kEscSetCapabilityRecord = 20521,
    kEscQueryJobStarted = 20522,
    kEscSetConfirmFlag = 20523,
    kEscSetJobStrings = 20524,
    kEscSetDataBlockA = 20525,
    kEscReadDataBlockC = 20526,
    kEscSetDataBlockB = 20527,
    kEscSetCoverSheetValue = 20528,
    kEscSetDataBlockC = 20529,
    kEscSetDataBlockD = 20530,
    kEscReplayMode = 20544,
    kEscSetDataBlockE = 20545,
    kEscReadDataBlockE = 20546,
    kEscGetJobId = 20547,
    kEscExtraPage = 20548,
    kEscSetPaperRegion = 20736,
};

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
inline constexpr uint32_t kJobStringsSize = 2112;
inline constexpr uint32_t kAnnotationRecordSize = 768;
inline constexpr uint32_t kDocumentNameChars = 260;
inline constexpr uint32_t kDrawDataLimit = 0xFFFC;

// 20496: the page record sent at every page start.
struct EscPageRecord {
    uint16_t paper;
    uint16_t margin[4];
};
static_assert(sizeof(EscPageRecord) == 10);

// 20520 and 20521: the three values of the capability record.
struct EscCapabilityValues {
    uint32_t enabled;
    uint32_t modeWord;
    uint16_t subMode;
    uint16_t unused;
};
static_assert(sizeof(EscCapabilityValues) == 12);
static_assert(offsetof(EscCapabilityValues, subMode) == 8);

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

// 20486 and 20487: where the fields of the annotation record lie.
inline constexpr size_t kAnnotationFlagsAt = 0;
inline constexpr size_t kAnnotationValuesAt = 4;
inline constexpr size_t kAnnotationText1At = 16;
inline constexpr size_t kAnnotationText2At = 144;
inline constexpr size_t kAnnotationNameAt = 208;
inline constexpr size_t kAnnotationPageValueAt = 730;
inline constexpr size_t kAnnotationBlock1At = 732;
inline constexpr size_t kAnnotationBlock2At = 754;

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
