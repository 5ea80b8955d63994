// Announcing a job to the device maker's document monitor: a job id from the
// monitor, and a job record with the document, user and destination data. The id
// goes into the job header so the device's reports can be matched with the job.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

// Request kinds.
constexpr uint16_t kDocMonitorPrint = 0;
constexpr uint16_t kDocMonitorFax = 1;

// Job kinds of the destination record.
constexpr uint32_t kDocJobOther = 0;
constexpr uint32_t kDocJobFax = 1;
constexpr uint32_t kDocJobSecure = 3;
constexpr uint32_t kDocJobProof = 4;
constexpr uint32_t kDocJobDelayed = 5;
constexpr uint32_t kDocJobFaxSpecial = 6;
constexpr uint32_t kDocJobStoredText = 8;
constexpr uint32_t kDocJobBox = 9;

// Results.
constexpr int kDocMonitorDone = 1;
constexpr int kDocMonitorUnavailable = 3;
constexpr int kDocMonitorTooLong = 5;
constexpr int kDocMonitorMissing = 6;
constexpr int kDocMonitorBadKind = 7;

// Longest texts of a request, in bytes without the terminator.
constexpr size_t kDocFirstTextMax = 259;
constexpr size_t kDocSecondTextMax = 259;
constexpr size_t kDocThirdTextMax = 255;
constexpr size_t kDocUserMax = 63;
constexpr size_t kDocPrintTextMax = 79;
constexpr size_t kDocFaxTextMax = 31;
// client id + "." + job id stays below this.
constexpr size_t kDocJobIdChars = 48;

// Filled by the caller; ANSI texts.
struct DocMonitorJobRequest {
    uint16_t requestKind;
    uint32_t flag;
    uint32_t jobKind;
    const char* firstText;
    const char* secondText;
    const char* thirdText;
    const char* userName;
    const char* printText;   // print requests
    const char* faxText[2];  // fax requests
    uint8_t hour;            // delayed jobs
    uint8_t minute;
};

// The monitor's pointers are held in 8 bytes, so the layouts are the same in
// 32-bit and 64-bit processes.
template <typename T>
union DocMonitorPointer {
    T* pointer;
    uint64_t bits;
};

struct DocMonitorDestination {
    uint32_t size;  // 812
    uint32_t jobKind;
    uint32_t created;  // time()
    char firstText[260];
    char jobId[64];
    char secondText[260];
    char faxText1[32];
    char faxText2[32];
    uint32_t flag;          // print requests
    uint32_t delaySeconds;  // delayed jobs
    uint8_t reserved[64];
    char printText[80];
};
static_assert(sizeof(DocMonitorDestination) == 812);
static_assert(offsetof(DocMonitorDestination, firstText) == 12);
static_assert(offsetof(DocMonitorDestination, jobId) == 272);
static_assert(offsetof(DocMonitorDestination, secondText) == 336);
static_assert(offsetof(DocMonitorDestination, faxText1) == 596);
static_assert(offsetof(DocMonitorDestination, faxText2) == 628);
static_assert(offsetof(DocMonitorDestination, flag) == 660);
static_assert(offsetof(DocMonitorDestination, delaySeconds) == 664);
static_assert(offsetof(DocMonitorDestination, printText) == 732);

struct DocMonitorJobRecord {
    uint32_t size;  // 608
    uint32_t destinationCount;
    uint32_t third;   // 3
    uint32_t fourth;  // 11
    char firstText[260];
    char thirdText[256];
    char userName[64];
    uint32_t reserved;
    DocMonitorPointer<DocMonitorDestination> destinations;
};
static_assert(sizeof(DocMonitorJobRecord) == 608);
static_assert(offsetof(DocMonitorJobRecord, firstText) == 16);
static_assert(offsetof(DocMonitorJobRecord, thirdText) == 276);
static_assert(offsetof(DocMonitorJobRecord, userName) == 532);
static_assert(offsetof(DocMonitorJobRecord, destinations) == 600);

// The older form, for a monitor without VdmSetVdmDataEx.
struct DocMonitorDestinationV1 {
    uint32_t size;  // 660
    uint32_t kind;  // 0 print, 1 fax
    uint32_t created;
    char firstText[260];
    char jobId[64];
    char secondText[260];
    char faxText1[32];
    char faxText2[32];
};
static_assert(sizeof(DocMonitorDestinationV1) == 660);
static_assert(offsetof(DocMonitorDestinationV1, jobId) == 272);
static_assert(offsetof(DocMonitorDestinationV1, faxText2) == 628);

struct DocMonitorJobRecordV1 {
    uint32_t destinationCount;
    uint32_t second;  // 2 when the newer header's third word is 3
    uint32_t third;   // the newer header's fourth word
    char firstText[260];
    char thirdText[256];
    DocMonitorPointer<DocMonitorDestinationV1> destinations;
};
static_assert(sizeof(DocMonitorJobRecordV1) == 536);
static_assert(offsetof(DocMonitorJobRecordV1, destinations) == 528);

// A job announced to the monitor; it holds one reference on the monitor until
// RunDocMonitor.
struct DocMonitorJob;

// 1 when the monitor could be acquired and released.
int IsDocMonitorAvailable();

// Checks the request, takes a job id and hands the monitor the job record. 1
// with the handle and the id text (kDocJobIdChars); 3 monitor not available or
// refused; 5 a text too long; 6 a missing argument; 7 a bad request kind.
int CreateDocMonitorJob(DocMonitorJob** handle, char* jobId, const DocMonitorJobRequest* request);
// VdmExecDocMon for the job: 1 when it succeeded, 3 otherwise, 6 without a
// handle. The handle is released in every case.
int RunDocMonitor(DocMonitorJob* handle);

// Seconds from `nowOfDay` (seconds since local midnight) to hour:minute, the
// next day when that is not later than now.
uint32_t DocMonitorDelaySeconds(uint8_t hour, uint8_t minute, uint32_t nowOfDay);

// The older form of a record: header and destinations into the caller's room
// (as many destinations as the header has, at most `room`).
void ConvertDocMonitorRecordV1(const DocMonitorJobRecord& record, DocMonitorJobRecordV1* older,
                               DocMonitorDestinationV1* destinations, uint32_t room);
