// Paper margins per paper number: printer-wide in printer-data table 4, per user
// in the printer's "Paper Margin" key (one 20-byte value per paper, named by the
// decimal paper number). They are stored in one fixed order and turned into the
// order of the page's orientation when read.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

constexpr uint32_t kDefaultPaperMargin = 46;

// Results.
constexpr int kMarginOk = 1;
constexpr int kMarginKeyNotCreatable = -1;
constexpr int kMarginValueMissing = -2;
constexpr int kMarginWriteFailed = -3;
constexpr int kMarginNoMemory = -4;
constexpr int kMarginBadArgument = -5;  // also an orientation other than 1 and 2
constexpr int kMarginNotFound = -100;   // also a null argument or a key path that cannot be built

constexpr int kOrientationPortrait = 1;
constexpr int kOrientationLandscape = 2;

// Directions of RotateMargins.
constexpr int kMarginsToStored = 1;
constexpr int kMarginsFromStored = 2;

struct PaperMarginRecord {
    uint32_t margin[4];  // stored order m0..m3
};
static_assert(sizeof(PaperMarginRecord) == 16);

struct PaperMarginEntry {
    uint16_t paper;
    uint16_t reserved;  // written as zero, ignored when read
    PaperMarginRecord margins;
};
static_assert(sizeof(PaperMarginEntry) == 20);
static_assert(offsetof(PaperMarginEntry, margins) == 4);

struct PaperMarginList {
    PaperMarginEntry* entries;  // global block, or null when empty
    uint32_t bytes;
    uint32_t count;
};

// The printer-wide list: a new list (FreePaperMarginList), empty when the table
// is missing or unreadable; null only when the list itself cannot be allocated.
PaperMarginList* LoadPaperMarginList(HANDLE printer);
int SavePaperMarginList(HANDLE printer, const PaperMarginList* list);
int FreePaperMarginList(PaperMarginList* list);

int FindPaperMargins(const PaperMarginList* list, uint16_t paper, PaperMarginRecord* margins);
// Replaces the record of a listed paper, or appends an entry.
int SetPaperMarginsInList(PaperMarginList* list, uint16_t paper, const PaperMarginRecord& margins);
// As above, from margins in the order of `orientation`.
int AddPaperMargins(PaperMarginList* list, uint16_t paper, const uint32_t* margins, int orientation);

int GetDefaultPaperMargins(PaperMarginRecord* margins);
int GetOrientedDefaultMargins(uint32_t* margins, int orientation);

// kMarginsFromStored fills `oriented` from `stored`; kMarginsToStored the reverse.
int RotateMargins(int direction, int orientation, PaperMarginRecord* stored, uint32_t* oriented);

// Opens the user's margin key of the printer, creating it when missing and then
// filling it with a copy of HKEY_LOCAL_MACHINE\<machinePath>"Paper Margin" when
// that key exists. `path` (optional) gets the key path in a new global block.
int OpenUserPaperMarginKey(HANDLE printer, const wchar_t* basePath, const wchar_t* machinePath, HKEY* key,
                           wchar_t** path);

// The user's stored-order record of one paper; kMarginValueMissing when none.
int ReadCustomPaperMargins(HANDLE printer, const wchar_t* basePath, const wchar_t* machinePath, uint16_t paper,
                           PaperMarginRecord* margins);
int WriteUserPaperMargins(HANDLE printer, const wchar_t* basePath, const wchar_t* machinePath, uint16_t paper,
                          const PaperMarginRecord& margins);
// As above, from margins in the order of `orientation`.
int WriteCustomPaperMargins(HANDLE printer, const wchar_t* basePath, uint16_t paper, const uint32_t* margins,
                            const wchar_t* machinePath, int orientation);

// With `perUser`, empties the user's margin key; without, deletes table 4.
int ResetPaperMarginStore(HANDLE printer, const wchar_t* basePath, bool perUser, const wchar_t* machinePath);

// The margins of a paper in the order of `orientation`, from the first source
// that has them: the user's value (when `usePerUser`), the list, the defaults.
int GetPaperMargins(HANDLE printer, const wchar_t* basePath, uint16_t paper, uint32_t* margins,
                    const wchar_t* machinePath, const PaperMarginList* list, bool usePerUser, int orientation);
