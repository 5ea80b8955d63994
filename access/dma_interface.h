// The settings-access interface for other programs: the records a caller hands
// in, the result codes and the exported DMA_ functions. The caller owns every
// record; the library keeps no state between calls. The same layouts hold in the
// 64-bit and the 32-bit library (pointers take their native width).
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

// Result codes of every DMA_ export.
inline constexpr int kDmaOk = 1;
inline constexpr int kDmaUnmapped = -1;         // no setting, or a fax header string without a header
inline constexpr int kDmaWrongExport = -2;      // fax header string or string item in a numeric/log-font export
inline constexpr int kDmaWrongKind = -3;        // a number in a string or log-font export
inline constexpr int kDmaUnknownQuery = -4;
inline constexpr int kDmaSizeAnswered = -5;     // size query answered or buffer too small; size written back
inline constexpr int kDmaTooLong = -6;
inline constexpr int kDmaLogFontItem = -7;
inline constexpr int kDmaFailed = -10;          // missing argument, refused get or set, failed conversion
inline constexpr int kDmaSupportUnreadable = -12;
inline constexpr int kDmaFileOpen = -13;
inline constexpr int kDmaFileWrite = -14;
inline constexpr int kDmaFileRead = -15;
inline constexpr int kDmaBadImage = -16;        // document-property image: wrong tag, version or length
inline constexpr int kDmaOneTimeCreate = -17;
inline constexpr int kDmaOneTimeWrite = -18;
inline constexpr int kDmaUnknownTarget = -19;
inline constexpr int kDmaNoRecipient = -20;
inline constexpr int kDmaNoMargin = -21;
inline constexpr int kDmaNoEntry = -22;
inline constexpr int kDmaUnknownMode = -23;
inline constexpr int kDmaNotSupported = -35;

// Target kinds of the entry lists (kind 1: every identifier, in the enumeration).
inline constexpr int kDmaTargetAll = 1;
inline constexpr int kDmaTargetStamp = 2;         // 308-byte stamp record
inline constexpr int kDmaTargetFiveStrings = 3;   // 706 bytes
inline constexpr int kDmaTargetMargin = 4;        // 20 bytes: paper number and margin record
inline constexpr int kDmaTargetRecipient = 5;     // 742-byte fax recipient record
inline constexpr int kDmaTargetFaxHeader = 6;     // 1442-byte fax send list header; no entry set
inline constexpr int kDmaTargetSixStrings = 7;    // 968 bytes

// The two strings of the fax send list header, addressed by identifiers of their own.
inline constexpr uint16_t kDmaFaxHeaderString1 = 0xA001;  // UTF-16 at byte 18, 40 characters
inline constexpr uint16_t kDmaFaxHeaderString2 = 0xA002;  // UTF-16 at byte 100, 670 characters

// Entry flag bytes.
inline constexpr uint8_t kDmaEntryFree = 0;
inline constexpr uint8_t kDmaEntryInUse = 1;
inline constexpr uint8_t kDmaEntryDeleted = 2;

// One caller-held list of entries of one kind.
struct DmaEntrySet {
    uint32_t count;
    uint32_t entrySize;  // stride between entries
    uint8_t* flags;      // one flag byte per entry
    uint8_t* entries;
};

// Index of each kind's set in DmaDataSet::entrySets.
inline constexpr int kDmaEntrySetRecipients = 0;  // kind 5
inline constexpr int kDmaEntrySetMargins = 1;     // kind 4
inline constexpr int kDmaEntrySetStamps = 2;      // kind 2
inline constexpr int kDmaEntrySetFiveStrings = 3; // kind 3
inline constexpr int kDmaEntrySetSixStrings = 4;  // kind 7

struct DmaDataSet {
    uint8_t unused1[264];
    char modelName[264];  // ANSI, copied into the user setting block
    void* settingsRecord;          // 5900 bytes
    void* printerSettingsRecord;   // 7964 bytes
    uint8_t unused2[8];
    uint8_t* faxSendListHeader;    // 1442 bytes, tag "SMRX001"
    DmaEntrySet entrySets[5];      // kinds 5, 4, 2, 3, 7
};

// One identifier's attributes as DMA_QueryAttributes reports them.
struct DmaAttribute {
    uint32_t dmaId;
    uint32_t kind;  // 0 number, 1 string, 2 log font
    uint32_t size;  // 4, the ANSI buffer size, or 60
};
inline constexpr uint32_t kDmaAttributeNumber = 0;
inline constexpr uint32_t kDmaAttributeString = 1;
inline constexpr uint32_t kDmaAttributeLogFont = 2;

// One result of DMA_EnumDMAID_ByTargetInfo: bit 0 of `bits` a string, bit 1 a
// log font; the caller's other bits are kept.
struct DmaIdBits {
    uint32_t dmaId;
    uint32_t bits;
};
inline constexpr uint32_t kDmaBitString = 1;
inline constexpr uint32_t kDmaBitLogFont = 2;

// The caller's buffers of the four blocks of a document-property file.
struct DmaBlockBuffer {
    uint8_t* data;
    uint32_t size;
    uint32_t padding;
};
struct DocPropBuffers {
    DmaBlockBuffer privateBlock;  // "NDEV001"
    DmaBlockBuffer tmbBlock;      // "TMBINFO"
    DmaBlockBuffer faxBlock;      // "SMRX001": a whole fax send list
    DmaBlockBuffer spBlock;       // "SPINFO"
};

inline constexpr uint32_t kDmaLogFontSize = 60;  // LOGFONTA

// The layouts other programs build against; the 32-bit figures follow from
// 4-byte pointers.
static_assert(sizeof(LOGFONTA) == kDmaLogFontSize);
static_assert(offsetof(LOGFONTA, lfFaceName) == 28);
static_assert(sizeof(DmaAttribute) == 12);
static_assert(sizeof(DmaIdBits) == 8);
static_assert(offsetof(DmaDataSet, modelName) == 264);
static_assert(offsetof(DmaDataSet, settingsRecord) == 528);
#if defined(_WIN64)
static_assert(sizeof(DmaEntrySet) == 24);
static_assert(offsetof(DmaDataSet, printerSettingsRecord) == 536);
static_assert(offsetof(DmaDataSet, faxSendListHeader) == 552);
static_assert(offsetof(DmaDataSet, entrySets) == 560);
static_assert(sizeof(DmaDataSet) == 680);
static_assert(sizeof(DmaBlockBuffer) == 16);
static_assert(sizeof(DocPropBuffers) == 64);
#else
static_assert(sizeof(DmaEntrySet) == 16);
static_assert(offsetof(DmaDataSet, printerSettingsRecord) == 532);
static_assert(offsetof(DmaDataSet, faxSendListHeader) == 544);
static_assert(offsetof(DmaDataSet, entrySets) == 548);
static_assert(sizeof(DmaDataSet) == 628);
static_assert(sizeof(DmaBlockBuffer) == 12);
static_assert(sizeof(DocPropBuffers) == 48);
#endif

extern "C" {

int DMA_QueryStructSize(int kind);

int DMA_GetValue(DmaDataSet* set, uint16_t dmaId, uint32_t* value);
int DMA_SetValue(DmaDataSet* set, uint16_t dmaId, int32_t value);
int DMA_GetStringData(DmaDataSet* set, uint16_t dmaId, char* buffer, uint32_t* size);
int DMA_SetStringData(DmaDataSet* set, uint16_t dmaId, const char* text, uint32_t length);
int DMA_GetStringData_StrLength(DmaDataSet* set, uint16_t dmaId, char* buffer, uint32_t* size);
int DMA_SetStringData_StrLength(DmaDataSet* set, uint16_t dmaId, const char* text);
int DMA_GetLogFontData(DmaDataSet* set, uint16_t dmaId, LOGFONTA* font, uint32_t* size);
int DMA_SetLogFontData(DmaDataSet* set, uint16_t dmaId, const LOGFONTA* font, uint32_t size);
int DMA_QuerySWSupportInfo(DmaDataSet* set, int query);
int DMA_GetUserSettingInfo(DmaDataSet* set, void* block, uint32_t* size);
int DMA_SetUserSettingInfo(DmaDataSet* set, const void* block);
int DMA_GetFaxAddressNum(const void* faxSendListHeader, uint16_t* count);
int DMA_SetFaxAddressNum(DmaDataSet* set, int count, int add);
int DMA_EnumDMAID_ByTargetInfo(DmaDataSet* set, int kind, uint32_t* count, DmaIdBits* results);
int DMA_QueryAttributes(DmaDataSet* set, uint32_t* count, const uint16_t* dmaIds, DmaAttribute* attributes);

int DMA_GetNameFromInfo(const void* entry, int kind, uint32_t* size, char* buffer);
// Kind 5 takes a 1-based position in the low 16 bits of `name` instead of a name.
int DMA_AccessibleData(DmaDataSet* set, int kind, const char* name);
int DMA_DeleteData(DmaDataSet* set, int kind, const char* name);
int DMA_ApplyData(DmaDataSet* set, int kind, int mode, const char* name);
int DMA_ExtractDocPropEx(DmaDataSet* set, DocPropBuffers* buffers);
int DMA_ExtractDocProp(DmaDataSet* set, DocPropBuffers* buffers);
int DMA_ExtractOneTimeEx(DmaDataSet* set, DocPropBuffers* buffers);
int DMA_ExtractOneTime(DmaDataSet* set, DocPropBuffers* buffers);
int DMA_ReplaceDocProp(DmaDataSet* set, DocPropBuffers* buffers);

}  // extern "C"
