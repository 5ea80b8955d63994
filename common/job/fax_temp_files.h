// Temporary files of the fax front end (address data, cover-sheet previews) must
// outlive the dialog that made them but not pile up: each is recorded in the
// registry with the top-level window that owns it, and a cleanup pass deletes
// the files whose owner has gone and that are a week old, or that no longer
// exist.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

struct ModelDataRecord;

// One REG_BINARY value named "SmrxInfo_<n>", n from 1. Handles are stored as 64
// bits so the layout is the same in 32-bit processes.
struct FaxTempFileRecord {
    wchar_t path[264];
    uint64_t owner;     // top-level window of the dialog that made the file
    uint64_t instance;  // the owner's GWLP_HINSTANCE at registration
};
static_assert(sizeof(FaxTempFileRecord) == 544);
static_assert(offsetof(FaxTempFileRecord, owner) == 528);
static_assert(offsetof(FaxTempFileRecord, instance) == 536);

constexpr wchar_t kFaxTempValuePrefix[] = L"SmrxInfo_";
constexpr wchar_t kFaxTempSuffix0[] = L"Sendmere\\TempFile";  // under registry base 0
constexpr wchar_t kFaxTempSuffix1[] = L"TempFile";            // under registry base 1
constexpr uint32_t kFaxTempMaxAgeSeconds = 604800;          // 7 days
// The address file a job may name that is shared and never deleted.
constexpr wchar_t kKeptFaxAddressFile[] = L"C:\\zqfaxaddress.tmp";

// Cleans both keys, then records the file under the second key (registry base 1
// + "TempFile", HKEY_CURRENT_USER) with the window's top-level parent. 1 when it
// is recorded (now or before); 0 for a missing argument, a path longer than the
// record holds (never cut), a model without the bases or a registry failure.
int RegisterFaxTempFile(ModelDataRecord* model, HWND window, const wchar_t* path);
// The same with the two base paths given instead of a model.
int RegisterFaxTempFileUnder(const wchar_t* base0, const wchar_t* base1, HWND window, const wchar_t* path);

// Cleans both keys of the model, or, without a model, of both base paths; does
// nothing when neither a model nor both paths are given. The number of records
// removed.
int CleanFaxTempFiles(ModelDataRecord* model, const wchar_t* base0, const wchar_t* base1);

// The cleanup of one key already open (KEY_READ | KEY_SET_VALUE): the number
// of records removed. The walk ends at the first enumeration error other than
// a value too large for its buffers.
int CleanFaxTempKey(HKEY key);

// Deletes a job's fax address file, except the shared one. 1 for the kept file,
// else the delete's result (0 also for a null path).
int DeleteFaxAddressFile(const wchar_t* path);
