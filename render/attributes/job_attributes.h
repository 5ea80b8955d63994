// The job-attribute record: job-wide values and one entry per page, kept while
// a job runs and summed up in the job ticket at its end. Only values that were
// set reach the ticket.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

struct JobAttributePage {
    uint32_t colourState;   // 1, 2 or 3
    uint32_t account;       // the account code of a colour-state-1 page with accounting, else 0
    uint32_t paperSource;   // MapPaperSourceAttribute
    uint32_t orientation;
    char customSize[16];    // "210.0X297.0", at most 15 characters and NUL
};
static_assert(sizeof(JobAttributePage) == 32);
static_assert(offsetof(JobAttributePage, customSize) == 16);

// Bits of JobAttributeValues::set, one per value.
enum JobAttributeValue : uint32_t {
    kAttrStreamVersion = 1u << 0,
    kAttrJobClass = 1u << 1,
    kAttrOutputClass = 1u << 2,
    kAttrCopies = 1u << 3,
    kAttrDuplex = 1u << 4,
    kAttrSheetValue = 1u << 5,
    kAttrTileProduct = 1u << 6,
    kAttrBookletBinding = 1u << 7,
    kAttrReverseOrder = 1u << 8,
    kAttrSpecialOutput = 1u << 9,
    kAttrFlag1320 = 1u << 10,
    kAttrSheetCount = 1u << 11,
    kAttrTotalOutput = 1u << 12,
};

struct JobAttributeValues {
    uint32_t set;
    char streamVersion[16];   // "2.0.24"
    uint32_t jobClass;        // 0, 1 or 3
    uint32_t outputClass;     // 0, 1, 2, 3 or 5
    uint32_t copiesFirst, copiesSecond;
    uint32_t duplex;          // 0 one-sided, 1 long edge, 2 short edge or booklet
    uint32_t sheetValue;      // logical pages per side
    uint32_t tileProduct;
    uint32_t bookletKind, bookletValue;
    uint32_t reverseOrder;
    uint32_t specialOutput;
    uint32_t flag1320;
    uint32_t sheetCount;
    uint32_t totalOutput;
};

// Page entries live in blocks of kJobAttributeBlockEntries; the block table
// grows as pages come, so no entry ever moves.
constexpr uint32_t kJobAttributeBlockEntries = 100;

struct JobAttributeRecord {
    JobAttributePage** blocks;
    uint32_t blockCount;      // blocks allocated
    uint32_t tableCapacity;   // room in the block table
    uint32_t pageCount;
    bool closed;              // BuildJobAttributeRecord ran
    JobAttributeValues values;
};

// Creates the record on first use (*record null) and resets it. -1 when memory runs out.
int CreateJobAttributeRecord(JobAttributeRecord** record);
void FreeJobAttributeRecord(JobAttributeRecord** record);
// Page n (0-based), or null.
const JobAttributePage* GetJobAttributePage(const JobAttributeRecord* record, uint32_t n);
// Appends a page entry; 0 when memory runs out (the list stays as it was), else 1.
int AppendJobAttributePage(JobAttributeRecord* record, const JobAttributePage& page);

// What the job-wide values are made of: job record, geometry and page state.
struct JobAttributeInput {
    uint32_t streamVersion;       // 0x01MMmmpp
    bool formRegistration;
    uint32_t driverKind;          // 2: fax
    uint32_t faxMode;
    uint32_t jobType;
    bool printerSideValues;       // a fax job holding values on the printer side
    bool collateByReplay;
    bool collate;                 // setting 18
    uint32_t copies;
    bool booklet;
    bool poster;
    uint32_t geometryDuplex;      // the geometry's duplex kind
    uint32_t pagesPerSide;        // the geometry's sheet value
    uint32_t posterColumns, posterRows;
    uint32_t bookletBinding;      // 0, 1 or 2
    uint32_t bindingValue;
    bool reverseOrder;
    uint32_t specialOutputMode;
    uint32_t flag1320;
    uint32_t sheetCount;          // the page state's sheet counter
    uint32_t pages;               // the job-wide logical page counter
};
// Sets the job-wide values (at the end of the job) and closes the record. -1 without a record.
int BuildJobAttributeRecord(JobAttributeRecord* record, const JobAttributeInput& input);

struct JobAttributePageInput {
    int32_t width, height;        // tenths of a millimetre
    bool customMark;              // the size text starts with '*'
    uint32_t colourState;
    bool accountFlag;
    uint32_t accountCode;
    int32_t paperSource;
    bool booklet;
    bool pageOptions;
    uint32_t sheetSide;           // 2 or 3 with page options
    uint32_t orientation;         // the geometry's: 1 or 2
};
// Adds the page's entry. 0 also for a form-registration job whose record is
// closed (nothing added); -1 without a record or when memory runs out.
int ApplyJobAttributesFromPage(JobAttributeRecord* record, const JobAttributePageInput& page, bool formRegistration);

// The paper source as the ticket names it: 0x8000 for a source it does not know.
uint32_t MapPaperSourceAttribute(int32_t paperSource);

// "210.0X297.0" (the smaller size first; with `mark` a leading '*'), always
// terminated inside its 16 bytes whatever the sizes.
void FormatCustomSizeText(int32_t width, int32_t height, bool mark, char out[16]);

// The "@BKTP=" number written over the blanks reserved for it in a job header.
// `slotLength` is the room reserved at `offset` (38 blanks in the PJL form, 20
// in the short form). 1 when written or nothing to write (number 0), 0 when
// memory runs out, -1 when the text would not fit its slot or the header.
constexpr uint32_t kBktpSlotPjl = 38;
constexpr uint32_t kBktpSlotShort = 20;
int PatchBktpAttribute(std::span<uint8_t> header, uint32_t offset, uint32_t slotLength, int32_t number, bool pjlForm);
