// The fax destinations of a job as the fax front end stores and hands them on:
// a 1442-byte header tagged "SMRX001" and count 742-byte recipient records,
// little-endian, as one block. These are the fields the job header reads.
#pragma once
#include <cstddef>
#include <cstdint>

#include "common/store/settings_blobs.h"

#pragma pack(push, 2)
struct FaxSendListHeader {
    wchar_t tag[8];             // "SMRX001" and its NUL
    uint16_t count;             // recipient records that follow
    wchar_t headerText1[41];
    wchar_t headerText2[671];
};

struct FaxRecipientRecord {
    uint16_t kind;              // 1 a single quoted value, 2 the destination as it stands, other a number
    wchar_t destination[129];
    uint16_t lineSelector;      // 2 first line prefix, 1 second, other none
    wchar_t field7[41];         // at most 18 characters are used
    uint8_t unread[166];        // the fax front end's own
    uint16_t field3Code;        // 0, 1 or 2
    uint16_t fieldChoice;       // 2 field 1, 1 field 4
    uint16_t field4Number;
    wchar_t field4Text[9];
    uint16_t field1Number;
    uint16_t field1Flag;        // 1 on
    wchar_t field1List[60];     // numbers of one or two digits separated by commas
    wchar_t field5[21];
    wchar_t field6[21];
};
#pragma pack(pop)

static_assert(sizeof(wchar_t) == 2);
static_assert(sizeof(FaxSendListHeader) == kFaxSendListHeaderBytes);
static_assert(offsetof(FaxSendListHeader, count) == kFaxSendListCountOffset);
static_assert(offsetof(FaxSendListHeader, headerText1) == 18);
static_assert(offsetof(FaxSendListHeader, headerText2) == 100);
static_assert(sizeof(FaxRecipientRecord) == kFaxRecipientBytes);
static_assert(offsetof(FaxRecipientRecord, destination) == 2);
static_assert(offsetof(FaxRecipientRecord, lineSelector) == 260);
static_assert(offsetof(FaxRecipientRecord, field7) == 262);
static_assert(offsetof(FaxRecipientRecord, unread) == 344);
static_assert(offsetof(FaxRecipientRecord, field3Code) == 510);
static_assert(offsetof(FaxRecipientRecord, fieldChoice) == 512);
static_assert(offsetof(FaxRecipientRecord, field4Number) == 514);
static_assert(offsetof(FaxRecipientRecord, field4Text) == 516);
static_assert(offsetof(FaxRecipientRecord, field1Number) == 534);
static_assert(offsetof(FaxRecipientRecord, field1Flag) == 536);
static_assert(offsetof(FaxRecipientRecord, field1List) == 538);
static_assert(offsetof(FaxRecipientRecord, field5) == 658);
static_assert(offsetof(FaxRecipientRecord, field6) == 700);

// The header of a list of `size` bytes. 1, or 0 without a list or when it is
// shorter than a header.
int CopyFaxSendListHeader(const uint8_t* list, uint32_t size, FaxSendListHeader* out);
// The recipients of a list of `size` bytes: its header's count, or -1 when
// the list is shorter than its header or the count claims records past its
// bytes (a count that the list does not hold is no count of destinations).
int CountFaxRecipients(const uint8_t* list, uint32_t size);
// Record `index`. 1, or 0 when the index is not below the header's count or the
// record does not lie within the list's bytes.
int CopyFaxRecipient(const uint8_t* list, uint32_t size, uint32_t index, FaxRecipientRecord* out);
