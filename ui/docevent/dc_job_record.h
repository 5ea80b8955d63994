// The interface library's record of one printer DC, from CREATEDCPRE to
// DELETEDC: what the graphics library cannot learn by itself (names, the
// printer-wide settings, fax destinations, job headers) gathered at the
// document events and handed over with private escapes. The records of all DCs
// of the process hang on one list guarded by the job-list lock.
#pragma once
#include <windows.h>

#include <cstdint>

#include "common/job/private_escapes.h"
#include "common/settings/value_types.h"

struct SettingsContext;

// 20524: computer, document, user and printer names, UTF-16, NUL-terminated in
// their fields.
struct JobStringsRecord {
    wchar_t computerName[261];
    wchar_t documentName[277];
    wchar_t userName[257];
    wchar_t printerName[261];
};
static_assert(sizeof(JobStringsRecord) == kJobStringsSize);
static_assert(offsetof(JobStringsRecord, documentName) == 522);
static_assert(offsetof(JobStringsRecord, userName) == 1076);
static_assert(offsetof(JobStringsRecord, printerName) == 1590);

// 20487: the texts the annotation stamps print.
#pragma pack(push, 2)
struct AnnotationRecord {
    uint16_t present;           // 1 when at least one text is there
    uint16_t unused;
    uint16_t placement[6];      // user, owner, document, job number, date, time; 0xFFFF not printed
    wchar_t userName[64];
    wchar_t ownerText[32];
    wchar_t documentName[261];
    uint16_t jobNumber;
    wchar_t date[11];           // the graphics library keeps the first 20 bytes
    wchar_t time[7];            // and here the first 12
};
#pragma pack(pop)
static_assert(sizeof(AnnotationRecord) == kAnnotationRecordSize);
static_assert(offsetof(AnnotationRecord, placement) == kAnnotationValuesAt);
static_assert(offsetof(AnnotationRecord, userName) == kAnnotationText1At);
static_assert(offsetof(AnnotationRecord, ownerText) == kAnnotationText2At);
static_assert(offsetof(AnnotationRecord, documentName) == kAnnotationNameAt);
static_assert(offsetof(AnnotationRecord, jobNumber) == kAnnotationPageValueAt);
static_assert(offsetof(AnnotationRecord, date) == kAnnotationBlock1At);
static_assert(offsetof(AnnotationRecord, time) == kAnnotationBlock2At);

struct DcJobRecord {
    HANDLE printer;               // the key: the hPrinter of the events
    HMODULE selfReference;        // keeps the library loaded while the DC exists
    uint32_t jobStarted;          // 1 from the first STARTDOC on
    uint32_t isFaxJob;
    uint32_t jobAlreadyStarted;   // answer of 20522 at STARTDOCPOST
    uint32_t confirmed;           // the shared-printer question was answered OK
    uint32_t overlayPass;         // 1 while the document end draws its overlay page
    uint8_t settings[kSettingsRecordSize];
    uint8_t printerSettings[kPrinterSettingsRecordSize];
    SettingsContext* context;     // opened at the first lookup, closed at DELETEDC
    wchar_t documentName[kDocumentNameChars + 1];
    wchar_t userName[257];
    AnnotationRecord annotation;
    uint8_t* jobHeaders;          // the 20517 block, jobHeadersSize bytes to send
    uint32_t jobHeadersSize;
    uint8_t* monitorIds;          // u16 count, then 64-byte ids
    uint32_t faxDataSize;
    uint8_t* faxData;             // the fax address file's contents
    wchar_t faxFileName[261];     // deleted when the record's data are freed
    EscCapabilityValues capability;
    JobStringsRecord jobStrings;
    uint32_t reservedValue;       // stays 0: the blocks it would bring are never sent
    uint32_t reservedCount;
    uint32_t tmbSize;
    uint8_t* tmbData;
    uint32_t returnedSize;
    uint8_t* returnedData;        // block read back with 20526
    uint32_t rowsSize;
    uint8_t* rows;
    uint32_t spSize;
    uint8_t* spData;              // the SPINFO blob, sent with 20530
    DcJobRecord* next;
};

// Allocates a zero-filled record for the printer, links it at the head of the
// list and takes the library's self-reference. Null when memory runs out.
DcJobRecord* CreateDcJobRecord(HANDLE printer);
// The newest record of the printer, its settings context opened on the way;
// null when there is none.
DcJobRecord* FindDcJobRecord(HANDLE printer);
// Unlinks the printer's newest record and frees it with everything it owns.
// 1, also when there is none.
int DeleteDcJobRecord(HANDLE printer);
// The same for one given record (a DC whose creation failed); 1, also when it
// is no longer linked.
int DiscardDcJobRecord(DcJobRecord* record);
// Clears the per-document fields for a new document; the printer, the
// self-reference, the settings context and the list link stay.
void InitDcJobRecord(DcJobRecord* record);
// Frees the blocks the record owns and deletes a recorded fax address file.
void FreeDcJobRecordData(DcJobRecord* record);
