// The stamp store: each user's stamps per printer, REG_BINARY values of the
// printer's per-user "Stamps" key, named by the stamp's name. A first use fills
// it from the machine-wide template of the model, or with the six default
// stamps. At most 32 stamps; saving over a stored name is always allowed.
//
// Names are compared without regard to case, as the registry compares value
// names: two stamps whose names differ only in case would be one value.
#pragma once
#include <windows.h>

#include <cstdint>

#include "common/job/stamp_defaults.h"

// Results of the store.
enum StampResult : int {
    kStampOk = 1,
    kStampNameUsed = 2,      // also a default name
    kStampIsDefault = 3,     // refused for a default stamp
    kStampStoreFull = 4,
    kStampNotFound = 6,      // StampEqualsStored
    kStampDiffers = 7,
    kStampNoStore = 8,
    kStampEnumFailed = 9,
    kStampWriteFailed = 10,
    kStampDeleteFailed = 11,
    kStampBufferSmall = 12,
    kStampBadArgument = 99,  // also not found and out of memory
};

constexpr uint32_t kMaxStoredStamps = 32;
constexpr wchar_t kStampVersionName[] = L"Stamp Version";
constexpr wchar_t kStampVersionText[] = L"0.01";

// Where one printer's stamps live: the model's per-user base path, and its
// registry base 0 under which HKEY_LOCAL_MACHINE may hold a template "Stamps"
// key (null: no template).
struct StampStoreLocation {
    HANDLE printer;
    const wchar_t* userBase;
    const wchar_t* machineBase;
};

// 1 and an open key of the user's stamps (the caller closes it); 8 when it can
// neither be opened nor made.
int OpenStampStore(const StampStoreLocation& at, HKEY* key);
// Makes "Stamps" and "Stamps\Others" with the version value and the six default
// stamps. 1; 10 when a write fails (both keys are then deleted), 99 when the
// keys cannot be made.
int CreateDefaultStamps(const StampStoreLocation& at);

int IsDefaultStampName(const wchar_t* name);
// Names as NUL-terminated strings ended by an extra NUL; `size` in bytes in
// (room) and out (needed). Without buffer and count only the size is answered.
int ListDefaultStampNames(wchar_t* buffer, uint32_t* count, uint32_t* size);
int ListStampNames(const StampStoreLocation& at, wchar_t* buffer, uint32_t* count, uint32_t* size);

// 1 with the number of stamps, 9 when the values cannot be enumerated (8 without
// a store).
int CountStamps(const StampStoreLocation& at, uint32_t* count);
// The stored stamp of that name; with `defaultsOnly` or a null name the default
// stamp of a default name and the template for any other.
int GetStamp(const StampStoreLocation& at, const wchar_t* name, StampRecord* record, bool defaultsOnly);
int CanAddStamp(const StampStoreLocation& at, const wchar_t* name);
int SaveStamp(const StampStoreLocation& at, const StampRecord* record);
int StampEqualsStored(const StampStoreLocation& at, const StampRecord* record);
int FindStamp(const StampStoreLocation& at, const wchar_t* name);
int DeleteStamp(const StampStoreLocation& at, const wchar_t* name);
