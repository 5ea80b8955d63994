// The fax destinations of a document between their two forms: the in-memory
// FaxDestinations record the fax pages edit (two cover texts and the recipients
// in a keyed list) and the flat FaxSendList (common/job/fax_send_list.h) that is
// stored with the settings, written to the fax address file and read by the
// graphics library. At print time the fax address file of a fax job is found
// and read whole.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "common/job/fax_send_list.h"
#include "ui/support/keyed_list.h"

struct SettingsContext;

// The record owns its list and every 742-byte recipient block in it. It lives
// here, below the fax pages, because the packers need its layout.
struct FaxDestinations {
    wchar_t headerText1[41];
    wchar_t headerText2[671];
    KeyedList* recipients;
};

// A zero-filled record with an empty list; null (nothing left allocated) when
// memory runs out.
FaxDestinations* CreateFaxDestinations();
// Frees every recipient block, the list and the record; null is accepted. 1.
int FreeFaxDestinations(FaxDestinations* record);

// Bytes of a list of `count` recipients.
constexpr uint32_t FaxSendListBytes(uint32_t count)
{
    return kFaxSendListHeaderBytes + kFaxRecipientBytes * count;
}

// Writes tag, count and texts, then `count` recipients in insertion order into
// `block` (zero-filled by the caller, FaxSendListBytes(count) bytes). 1 done; 0
// when the list holds fewer entries than the count or memory runs out.
int PackFaxSendList(int count, FaxDestinations* record, uint8_t* block);
// Copies the header texts and inserts a new copy of each recipient into the
// record's list, keys (0, 65535). A block that is not exactly the list its tag
// and count describe is refused whole (0). 0 also when a copy or an insertion
// fails: the entries inserted so far stay.
int UnpackFaxSendList(const uint8_t* block, uint32_t size, FaxDestinations* record);

// The private part, TMBINFO and SPINFO data stored with a fax send list.
struct FaxStoreBlobs {
    const uint8_t* privatePart;  // 4296 bytes
    const uint8_t* tmb;
    uint32_t tmbSize;
    const uint8_t* sp;
    uint32_t spSize;
};

// Packs the record (when given) and saves it with the other blobs to the
// settings file `fileName`, or to the store of `mode` (kBlobsInPrinterData,
// kBlobsPerUser) of the printer. A printer or a file name and the private part
// are needed. The result of the save; 0 when the list cannot be counted or
// packed.
int StoreFaxSendList(HANDLE printer, SettingsContext* context, const wchar_t* fileName, int mode,
                     FaxDestinations* record, const FaxStoreBlobs& blobs);
// Loads the blobs (the private part into `privatePart`, TMBINFO and SPINFO as
// new blocks when their outs are given) and, when a record is given and a list
// came back, unpacks the list into it. 0 on failure, else 1 or the unpack's
// result.
int RestoreFaxDestinations(HANDLE printer, SettingsContext* context, const wchar_t* fileName, int mode,
                           FaxDestinations* record, uint8_t* privatePart, uint8_t** tmb = nullptr,
                           uint32_t* tmbSize = nullptr, uint8_t** sp = nullptr, uint32_t* spSize = nullptr);

// Not empty and not a named pipe: the "\\.\pipe\" prefix in any case.
bool IsUsableFileName(const wchar_t* name);

// STARTDOC of a fax job: 1 when the job has a usable fax address file (the
// shared file tagged as a fax send list wins over the name in setting 375),
// when setting 381 asks for no destinations, or when the user confirmed them
// in the print-time sheet (the edited copy then replaces `jobSettings`, 5900
// bytes); else -1. An unusable or missing file name in setting 375 is cleared.
int ResolveFaxAddressFile(HANDLE printer, uint8_t* jobSettings, void* printerSettings, const wchar_t* documentName);

// The fax address file of a job read whole, for escape 20516.
struct FaxAddressData {
    uint8_t* data;  // a global block, freed by the job's owner
    uint32_t size;
    wchar_t fileName[129];  // deleted with the job's data unless it is the shared file
};

// STARTDOCPOST of a fax job (the graphics library's answer decides that, not
// the settings): reads the file named by setting 375 as it takes effect into
// `out`. 1 done; -1 when the name is unusable, the file cannot be read, or it
// is not exactly one fax send list (tag and size 1442 + 742 x count).
int ImportFaxAddressFile(void* jobSettings, void* printerSettings, FaxAddressData* out);
