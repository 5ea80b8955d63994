// The private escapes by which the interface library hands a document's job
// data to the graphics library on the printer DC, and the fixed records that
// travel with them. Sender and receiver both build on these: each constant is
// its value on the wire.
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

inline constexpr uint32_t kJobStringsSize = 2112;
inline constexpr uint32_t kAnnotationRecordSize = 768;
inline constexpr uint32_t kDocumentNameChars = 260;

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

// 20486 and 20487: where the fields of the annotation record lie.
inline constexpr size_t kAnnotationFlagsAt = 0;
inline constexpr size_t kAnnotationValuesAt = 4;
inline constexpr size_t kAnnotationText1At = 16;
inline constexpr size_t kAnnotationText2At = 144;
inline constexpr size_t kAnnotationNameAt = 208;
inline constexpr size_t kAnnotationPageValueAt = 730;
inline constexpr size_t kAnnotationBlock1At = 732;
inline constexpr size_t kAnnotationBlock2At = 754;
// The date and time blocks of the annotation record, in bytes.
inline constexpr size_t kAnnotationBlock1Bytes = 20;
inline constexpr size_t kAnnotationBlock2Bytes = 12;
