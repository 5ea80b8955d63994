// The paper list of a printer: the model's papers joined to the spooler's forms
// of the same names, followed by the spooler's other forms that fit the model's
// user-size range. Built into the settings context when the site configuration
// asks for the form database and printer setting 5201 is set; without it the
// context holds no list and callers use the model's paper table.
//
// The list holds sizes in thousandths of a millimetre as the spooler does; the
// lookups answer tenths of a millimetre (divided by 100, toward zero).
#pragma once
#include <windows.h>

#include <cstdint>

#include "common/settings/paper_codes.h"  // kFreeCustomPaperCode

struct SettingsContext;

constexpr int kPaperNameChars = 64;

struct PaperListEntry {
    uint16_t formNumber;             // 1-based position in the spooler's forms; 0 for the free custom size
    wchar_t name[kPaperNameChars];   // terminated
    int32_t width;
    int32_t height;
    uint16_t paperNumber;            // the model's paper code; user forms 512, 513, ...
    int32_t left;                    // imageable area
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// Model papers first, then the user forms.
struct PaperList {
    PaperListEntry* entries;
    uint16_t modelCount;
    uint16_t userCount;
};

// Results of the paper list operations.
constexpr int kPaperListOk = 1;
constexpr int kPaperListNoContext = -1;
constexpr int kPaperListNone = -2;          // the context holds no paper list
constexpr int kPaperListNotFound = -3;      // also an index out of range
constexpr int kPaperListNoMemory = -5;
constexpr int kPaperListBadArgument = -100; // null output, unknown key or output kind
constexpr int kPaperListNotSupported = -101;

// The model paper record whose user-size limits decide which forms fit.
constexpr uint16_t kUserPaperLimitsCode = 262;
// Paper number of the first user form.
constexpr uint16_t kFirstUserFormNumber = 512;

// 1 built, or not wanted (no list); 0 failure (no list); -1 no context. The
// printer handle and the printer settings record are required (else 0). A model
// paper without a spooler form of its name fails the build.
int BuildPaperList(HANDLE printer, SettingsContext* context, void* printerSettingsRecord);
// 1 (also without a list); -1 no context.
int FreePaperList(SettingsContext* context);
int HasPaperList(const SettingsContext* context);
// Printer setting 5201 when the overrides ask for the form database, else 0.
uint32_t GetCustomPaperSizeValue(const SettingsContext* context, void* printerSettingsRecord);

// Count kinds.
constexpr int kPaperCountModel = 1;
constexpr int kPaperCountUser = 2;
constexpr int kPaperCountAll = 3;
constexpr int kPaperCountAllButCustom = 4;
int GetPaperListCount(const SettingsContext* context, uint16_t* count, int kind);

// Key kinds: 1 paper number and 2 form number (key points at a u16), 3 name (key
// is the name; exact comparison). Output kinds: 1 paper number and 2 form number
// (u16), 3 the name (const wchar_t*, into the list: valid until it is freed), 4
// the size (two int32_t, tenths of a millimetre).
constexpr int kPaperKeyPaperNumber = 1;
constexpr int kPaperKeyFormNumber = 2;
constexpr int kPaperKeyName = 3;
constexpr int kPaperOutPaperNumber = 1;
constexpr int kPaperOutFormNumber = 2;
constexpr int kPaperOutName = 3;
constexpr int kPaperOutSize = 4;
int FindPaperListEntry(const SettingsContext* context, int keyKind, const void* key, int outKind, void* out);
// The same outputs by 0-based index over all entries.
int GetPaperListEntry(const SettingsContext* context, int index, int outKind, void* out);

// One element per entry in list order, in a new global block the caller frees:
// kind 1 paper numbers (u16), 2 form numbers (u16), 3 names (64 characters), 4
// sizes (two int32_t, tenths of a millimetre). Without includeCustom the free
// custom size is left out; with it, *customSlot (when given) receives the address
// of its element, or null when the list has none.
int GetPaperListArray(const SettingsContext* context, int kind, void** block, uint32_t* bytes, int includeCustom,
                      void** customSlot);

// Tenths of a millimetre: size (width, height); imageable extent (right - left,
// bottom - top); left and bottom margin (left, height - bottom); right and top
// margin (width - right, top). Any output may be null.
int GetPaperEntryGeometry(const SettingsContext* context, uint16_t paperNumber, int32_t size[2], int32_t extent[2],
                          int32_t leftBottom[2], int32_t rightTop[2]);

// An optional service this build does not provide: its entry points check their
// arguments and answer that it is not available; callers go on without it.
int CreateServiceRequest(void* a, void* b, void* c, void* d);
int ReturnNotAvailable(void* request);
int ReturnNotSupported(void* request, void* argument);
struct ServiceRequest {
    void* buffer;
    uint64_t reserved;
};
static_assert(sizeof(ServiceRequest) == 16);
int FreeServiceRequest(ServiceRequest* request);
