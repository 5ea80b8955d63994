// What the fax information page is made of: the destinations of the job's
// fax send list, the fax paper of the model, and the fax option and job
// information records written onto the page.
#pragma once
#include <cstddef>
#include <cstdint>

struct PaperSection;

// Recipient record n (742 bytes) of the job's fax send list (the device
// record's copy of the escape data) into `out`. -1 unless `list` holds a whole
// tagged list header and record n lies below its count and inside `length`.
int GetFaxSendListEntry(const uint8_t* list, uint32_t length, uint32_t n, uint8_t* out);

constexpr uint16_t kFaxPaperKind = 9;

// The page of the fax information page: the model's fax paper in tenths of a millimetre.
struct FaxPageRecord {
    uint16_t paperKind;
    int16_t width, height;
    int16_t printableWidth, printableHeight;
    int16_t leftOffset, topOffset;
    int16_t flagA, flagB;  // -1
    uint16_t margin1X, margin1Y;
    uint16_t margin2X, margin2Y;
};

// Fills the record from the model's fax paper; -1 when the model has none.
int GetFaxPageRecord(const PaperSection* faxPaper, FaxPageRecord* out);

// The fax options of the header line (settings 4111, 5141-5145).
#pragma pack(push, 1)
struct FaxHeaderOptions {
    uint16_t headerOn;           // 4111
    uint8_t firstPrefix[12];     // 5141: 8 + 4 bytes
    uint16_t firstPrefixFlag;    // 5142
    uint8_t secondPrefix[12];    // 5143
    uint16_t secondPrefixFlag;   // 5144
    uint16_t noPrefixFlag;       // 5145
};
static_assert(sizeof(FaxHeaderOptions) == 32);
static_assert(offsetof(FaxHeaderOptions, firstPrefixFlag) == 14);
static_assert(offsetof(FaxHeaderOptions, noPrefixFlag) == 30);

// The fax job information (settings 1804-1876).
struct FaxJobInformation {
    uint16_t value1804;
    uint16_t value379;           // 0 for a single destination
    uint16_t value1807, value1808, value1809;
    uint8_t text1805[10];
    uint8_t text1806[58];
    uint8_t text1820[82];
    uint8_t text1821[418];
    uint8_t text1822[62];
    uint8_t text1823[62];
    uint8_t text1876[258];
};
#pragma pack(pop)
static_assert(sizeof(FaxJobInformation) == 960);
static_assert(offsetof(FaxJobInformation, text1805) == 10);
static_assert(offsetof(FaxJobInformation, text1876) == 702);
