// The maker's optional recipient dialog library: it shows its own address book
// dialog for the current address book file and hands back a new recipient
// list. It is found in the driver directory under the model's file name 10
// with ".dll"; without it the recipients page works as before. The records
// below cross into the library and bind whatever library takes its place.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "common/job/fax_send_list.h"
#include "ui/docevent/fax_send_list.h"

struct ModelDataRecord;

#pragma pack(push, 1)
struct RecipientDialogRequest {
    char addressBook[261];  // without the leading ':' marker
    char helpFile[261];
    char settingsKey[261];  // below HKEY_CURRENT_USER
    uint32_t languageId;    // string 5146
};
struct RecipientDialogOptions {
    uint32_t option4111;
    char outsidePrefix[6];  // setting 5141
    uint16_t outsideValue;  // 5142
    char extensionPrefix[6];  // 5143
    uint16_t extensionValue;  // 5144
    uint16_t value5145;
};
// One recipient, its texts ANSI.
struct RecipientDialogEntry {
    uint16_t kind;
    char address[129];
    uint16_t dialPrefix;
    char name[41];
    char company[83];
    uint16_t commMode;  // translated, see RecipientCommModeToEntry
    uint16_t mailboxKind;
    uint16_t mailboxNumber;
    char mailboxCode[9];
    uint16_t relayStation;
    uint16_t relayPrint;
    char relayNumbers[60];
    char fCode[21];
    char fCodePassword[21];
};
#pragma pack(pop)
static_assert(sizeof(RecipientDialogRequest) == 787);
static_assert(offsetof(RecipientDialogRequest, helpFile) == 261);
static_assert(offsetof(RecipientDialogRequest, settingsKey) == 522);
static_assert(offsetof(RecipientDialogRequest, languageId) == 783);
static_assert(sizeof(RecipientDialogOptions) == 22);
static_assert(offsetof(RecipientDialogOptions, outsidePrefix) == 4);
static_assert(offsetof(RecipientDialogOptions, outsideValue) == 10);
static_assert(offsetof(RecipientDialogOptions, extensionPrefix) == 12);
static_assert(offsetof(RecipientDialogOptions, extensionValue) == 18);
static_assert(offsetof(RecipientDialogOptions, value5145) == 20);
static_assert(sizeof(RecipientDialogEntry) == 378);
static_assert(offsetof(RecipientDialogEntry, address) == 2);
static_assert(offsetof(RecipientDialogEntry, dialPrefix) == 131);
static_assert(offsetof(RecipientDialogEntry, name) == 133);
static_assert(offsetof(RecipientDialogEntry, company) == 174);
static_assert(offsetof(RecipientDialogEntry, commMode) == 257);
static_assert(offsetof(RecipientDialogEntry, mailboxKind) == 259);
static_assert(offsetof(RecipientDialogEntry, mailboxNumber) == 261);
static_assert(offsetof(RecipientDialogEntry, mailboxCode) == 263);
static_assert(offsetof(RecipientDialogEntry, relayStation) == 272);
static_assert(offsetof(RecipientDialogEntry, relayPrint) == 274);
static_assert(offsetof(RecipientDialogEntry, relayNumbers) == 276);
static_assert(offsetof(RecipientDialogEntry, fCode) == 336);
static_assert(offsetof(RecipientDialogEntry, fCodePassword) == 357);

// The library's entry: page, request, flags, options, maximum, entries, count
// (in: handed over; out: returned), reserved 0.
using FaxRecipShowDialogProc = int(WINAPI*)(HWND page, RecipientDialogRequest* request, uint32_t flags,
                                            RecipientDialogOptions* options, uint32_t maximum,
                                            RecipientDialogEntry* entries, uint32_t* count, uint32_t reserved);
inline constexpr char kRecipientDialogEntryName[] = "FaxRecipShowDialog";

// Results of the library.
inline constexpr int kRecipientDialogUnchanged = -1;
inline constexpr int kRecipientDialogNewList = 0;
inline constexpr int kRecipientDialogBookUnreadable = 1;
inline constexpr int kRecipientDialogSomeUnusable = 3;

// The communication mode between the record and the entry (0-0, 1-2, 2-1,
// the same both ways). False for a value outside the table.
bool TranslateRecipientCommMode(uint16_t value, uint16_t* out);
// A record as an entry and back, texts in the ANSI code page. False when a
// text cannot be converted or the mode is outside the table.
bool RecipientToDialogEntry(const FaxRecipientRecord& record, RecipientDialogEntry* entry);
bool DialogEntryToRecipient(const RecipientDialogEntry& entry, FaxRecipientRecord* record);

// The flags word of the call.
uint32_t BuildRecipientDialogFlags(ModelDataRecord* model, void* settings, void* printerSettings, uint16_t lineKind);

struct RecipientDialogCall {
    HWND page;
    ModelDataRecord* model;
    void* settings;
    void* printerSettings;
    const wchar_t* helpFile;
    const wchar_t* addressBook;  // setting 1799, a leading ':' is skipped
    FaxDestinations* record;
};
// Shows the library's dialog and takes its answer: a new list replaces the
// record's recipients (setting 380 := the count); results 1 and 3 show
// messages 5007 and 5008. 1 the page refreshes its list from the record; 0 a
// failure (no library, no entry, a conversion, the key or memory), no message.
int ShowOutsideRecipientDialogWith(const RecipientDialogCall& call);
// The same for a table-driven page: its sheet's model and help file, its
// current settings and destinations.
int ShowOutsideRecipientDialog(HWND page, const wchar_t* addressBook);
// Removes and frees every recipient of the record.
void ClearFaxRecipients(FaxDestinations* record);
