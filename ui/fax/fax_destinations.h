// The fax destinations of one sheet beyond what the send list packs: a deep
// copy into a record that exists, the send list written to a file or printer
// data, the fax line kind the fax dialogs derive from the model and options,
// and the sender of the settings record.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "ui/docevent/fax_send_list.h"

struct ModelDataRecord;

// Both texts and fresh copies of every recipient, in the source's order; the
// target's own recipients are freed first. 1; 0 on a missing argument or list
// count, or when memory runs out (the target keeps what was copied so far).
int CopyFaxDestinations(FaxDestinations* target, const FaxDestinations* source);

// Packs the record and writes it to `fileName`, or to printer data without a
// name. 1 packed and handed on (the write's own answer is not the result); 0
// for a missing list or entry, or no memory: nothing is written then.
int WriteFaxSendListFile(HANDLE printer, void* reserved, const wchar_t* fileName, FaxDestinations* record);

// The fax line kind: 1 for a model with capability 0xFFFF0029, else from
// Option_FaxCardType 0 -> 3, 1 -> 2, 2 -> 0. 1 with *kind; 0 for another card
// value or an unreadable setting.
int GetFaxCardKindOf(ModelDataRecord* model, void* settings, void* printerSettings, uint16_t* kind);
int GetFaxCardKind(HWND dialog, uint16_t* kind);

// 4-digit speed dial: fax line kind 2 or the IP fax option on.
bool IsFourDigitSpeedDial(uint16_t lineKind, bool ipFax);

#pragma pack(push, 1)
// A sender as the per-user sender list stores it: five UTF-16 texts.
struct SenderRecord {
    wchar_t name[41];    // the entry's key, shown in every sender list
    wchar_t text2[41];
    wchar_t lines[209];  // at most 5 lines of 40 bytes
    wchar_t text4[31];
    wchar_t text5[31];
};
// A sender with its mail text and whether it may be used without asking.
struct SenderEntry {
    SenderRecord sender;
    wchar_t mail[129];
    uint32_t confirmed;
};
#pragma pack(pop)
static_assert(sizeof(SenderRecord) == 706);
static_assert(offsetof(SenderRecord, text2) == 82);
static_assert(offsetof(SenderRecord, lines) == 164);
static_assert(offsetof(SenderRecord, text4) == 582);
static_assert(offsetof(SenderRecord, text5) == 644);
static_assert(sizeof(SenderEntry) == 968);
static_assert(offsetof(SenderEntry, mail) == 706);
static_assert(offsetof(SenderEntry, confirmed) == 964);

// The six sender settings into the entry (the confirmed flag left alone). 1;
// 0 when one cannot be read.
int GetSenderSettings(void* settings, void* printerSettings, SenderEntry* out);
// Sets the six settings from the entry. 1; 0 when one is refused.
int PutSenderSettings(void* settings, void* printerSettings, const SenderEntry* entry);
// 0 all six equal, 1 one differs, -1 one cannot be read.
int CompareSenderSettings(void* settings, void* printerSettings, const SenderEntry* entry);
