// The job ticket: job-language comment lines at the end of a job that sum it up
// for the device (language, job type, copies, finishing, one line per page). The
// graphics library fills a ticket while the job runs and writes its lines, in
// as many buffers as it takes, when the job ends.
//
// Every line is "@PJL COMMENT ZQJOBINFO " + item text + line end, single-byte
// text. Values outside their keyword table leave their item (or page field) out.
#pragma once
#include <cstddef>
#include <cstdint>

// Items in the order they are written; the values are the item numbers.
enum JobTicketItem : uint32_t {
    kTicketVersion = 1,
    kTicketBegin = 2,
    kTicketPdlType = 3,
    kTicketJobType = 4,
    kTicketStoredJobType = 5,
    kTicketJobCopies = 6,
    kTicketPageCopies = 7,
    kTicketDuplexType = 8,
    kTicketNup = 9,
    kTicketPoster = 10,
    kTicketBookletType = 11,
    kTicketOutTray = 12,
    kTicketPageOrder = 13,
    kTicketStaple = 14,
    kTicketPunch = 15,
    kTicketFold = 16,
    kTicketSlipSheet = 17,
    kTicketTonerSave = 18,
    kTicketPhysicalPages = 19,
    kTicketLogicalPages = 20,
    kTicketEstimatedSheets = 21,
    kTicketPassthrough = 22,
    kTicketPageInfoBegin = 23,
    kTicketPageInfo = 24,
    kTicketPageInfoEnd = 25,
    kTicketEnd = 26,
};
constexpr uint32_t kTicketItemCount = 26;

// Fields of a page line, in the order they are written.
enum JobTicketPageField : uint32_t {
    kPageFieldSize,
    kPageFieldMode,
    kPageFieldColors,
    kPageFieldInTray,
    kPageFieldDuplex,
    kPageFieldOrientation,
    kPageFieldPos,
    kPageFieldCount
};

// Keyword values the graphics library fills in.
constexpr uint32_t kTicketPdlMorva = 1;
constexpr uint32_t kTicketJobPrint = 0;
constexpr uint32_t kTicketJobFormRegistration = 3;
constexpr uint32_t kTicketPageUnknown = 0;
constexpr uint32_t kTicketPageColor = 1;
constexpr uint32_t kTicketPageMonochrome = 2;
constexpr uint32_t kTicketPageEmpty = 3;  // not counted as a physical page
constexpr uint32_t kTicketBookletAutoDivide = 2;
constexpr uint32_t kTicketBookletManualDivide = 3;
constexpr uint32_t kTicketOutBin = 2;
constexpr uint32_t kTicketNoPunch = 0;

// Flag bit handed out by the writer: a required item is off, or a page line
// lacks its paper size.
constexpr uint16_t kTicketIncomplete = 0x0001;

// One page, in page order.
struct JobTicketPageRecord {
    uint32_t mode;         // kTicketPage*
    uint32_t colors;       // written only for colour pages
    uint32_t inputTray;
    uint32_t duplexType;   // duplex keyword table
    uint32_t orientation;  // orientation keyword table
    uint32_t position;
    char paperSize[16];    // NUL-terminated; empty leaves the SIZE field out
};
static_assert(sizeof(JobTicketPageRecord) == 40);
static_assert(offsetof(JobTicketPageRecord, mode) == 0);
static_assert(offsetof(JobTicketPageRecord, colors) == 4);
static_assert(offsetof(JobTicketPageRecord, inputTray) == 8);
static_assert(offsetof(JobTicketPageRecord, duplexType) == 12);
static_assert(offsetof(JobTicketPageRecord, orientation) == 16);
static_assert(offsetof(JobTicketPageRecord, position) == 20);
static_assert(offsetof(JobTicketPageRecord, paperSize) == 24);

// Chunks hold 64000 bytes' worth of records, so no single allocation of a long
// job grows past that; every chunk but the last is full.
constexpr uint32_t kTicketPagesPerChunk = 64000 / sizeof(JobTicketPageRecord);
static_assert(kTicketPagesPerChunk == 1600);

struct JobTicketPageList {
    JobTicketPageRecord** chunks;
    uint32_t* chunkCapacity;  // records each chunk holds
    uint32_t chunkCount;
    uint32_t count;           // records in use
    uint32_t recordSize;      // sizeof(JobTicketPageRecord)
    uint32_t growth;          // records added when an append finds no room
    uint32_t position;        // current record, 1-based; 0 before the first seek
    uint32_t chunk;           // chunk and index of the current record
    uint32_t indexInChunk;
};

// The ticket of one job (in memory only; calloc'ed and owned by its creator).
struct JobTicket {
    JobTicketPageList* pages;
    uint32_t pdlType;
    char pdlVersion[64];  // at most 63 characters kept
    uint32_t jobType;
    uint32_t storedJobType;
    uint32_t jobCopies;
    uint32_t pageCopies;
    uint32_t duplexType;
    uint32_t nup;
    uint32_t poster;
    uint32_t bookletType;
    uint32_t bookletThreshold;
    uint32_t outputTray;
    uint32_t outputBinNumber;
    uint32_t pageOrder;
    uint32_t staple;
    uint32_t punchHoles;
    uint32_t punchPosition;
    uint32_t fold;
    uint32_t slipSheet;
    uint32_t tonerSave;
    uint32_t logicalPages;
    uint32_t physicalPages;
    uint32_t estimatedSheets;
    uint32_t passthrough;
    char lineEnd[2];
    uint32_t lineEndLength;
    uint32_t itemOn[kTicketItemCount + 1];  // by item number; [0] unused
    uint32_t pageFieldOn[kPageFieldCount];
    // Writer state: lets one ticket be written into several buffers.
    uint32_t nextItem;  // 0 before the first write call
    uint32_t nextPage;  // 1-based
    uint32_t pageCount;
    uint16_t flags;
};

// Items 1, 2 and 26 on, LF line ends, all page fields on. Null when memory runs
// out. Free with FreeJobTicket.
JobTicket* CreateJobTicket(uint32_t initialPages, uint32_t growth);
void FreeJobTicket(JobTicket* ticket);

// Set the value and switch its item on. Missing ticket: nothing.
void SetJobTicketPdl(JobTicket* ticket, uint32_t pdlType, const char* version);
void SetJobTicketJobType(JobTicket* ticket, uint32_t jobType);
// A job-wide number of items 5 to 22 (item 11's threshold, 12's bin number and
// 15's position go with SetJobTicketPair). 0 for another item or no ticket.
int SetJobTicketValue(JobTicket* ticket, JobTicketItem item, uint32_t value);
// Items 11 (type, threshold), 12 (tray, bin number) and 15 (holes, position).
int SetJobTicketPair(JobTicket* ticket, JobTicketItem item, uint32_t first, uint32_t second);
void SetJobTicketItemOn(JobTicket* ticket, JobTicketItem item, bool on);
void SetJobTicketPageFieldOn(JobTicket* ticket, JobTicketPageField field, bool on);
// 0 = LF, otherwise CR LF.
void SetJobTicketLineEnd(JobTicket* ticket, int crlf);

// Page list.
JobTicketPageList* CreateJobTicketPageList(uint32_t initialCount, uint32_t growth);
void FreeJobTicketPageList(JobTicketPageList* list);
uint32_t GetJobTicketPageCount(const JobTicketPageList* list);
// 1 and the position is current; 0 for 0 or a position beyond the count.
int SeekJobTicketPage(JobTicketPageList* list, uint32_t position);
// The current record, or null before a seek.
JobTicketPageRecord* GetCurrentJobTicketPage(JobTicketPageList* list);
int CopyCurrentJobTicketPage(JobTicketPageList* list, JobTicketPageRecord* out);
// Appends a copy of the record (growing by the list's step) and makes it
// current. 0 when memory runs out; the list is then as it was.
int AppendJobTicketPage(JobTicketPageList* list, const JobTicketPageRecord& record);

constexpr int32_t kTicketLineTooLong = -1;

// Writes the lines that fit, from where the last call stopped. "more" is 1 when
// lines are left for the next call. After the last line the state is reset so the
// ticket could be written again. A line longer than the whole capacity can never
// be written: kTicketLineTooLong, "more" 0, the state kept for a larger buffer.
int32_t WriteJobTicket(JobTicket* ticket, char* output, uint32_t capacity, uint32_t* more, uint16_t* flags);
