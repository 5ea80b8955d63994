// What the fax information page is made of: the fax paper of the model, and
// the fax options and job information written onto the page for one
// destination, a recipient record of the job's fax send list (CopyFaxRecipient).
#pragma once
#include "common/job/cover_sheet_layout.h"

#include <cstddef>
#include <cstdint>

struct PaperSection;
struct FaxSendListHeader;
struct FaxRecipientRecord;
struct FaxDiallingRecord;

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

#pragma pack(push, 1)
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

// The information block of one destination as positioned texts (tenths of a
// millimetre and of a point), laid out as a cover sheet: the transmission
// header line when the header option (setting 4111) is on, the title, the
// recipient, the sender and the subject and message of the send list's header
// texts. A new block of kCoverSheetMaxItems items (GlobalFree) and the count
// filled; null when memory runs out. `listHeader` may be null.
CoverSheetItem* LayOutFaxInformation(const FaxJobInformation& information, const FaxDiallingRecord& dialling,
                                     const FaxSendListHeader* listHeader, const FaxRecipientRecord& recipient,
                                     int x350, uint32_t* count);
