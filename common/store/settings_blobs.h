// Settings blobs: the "NDEV001" section (the private part of the settings
// record, with the fax send list appended in printer data and the per-user
// store), the opaque "TMBINFO" and "SPINFO" sections, written and read together
// to printer data, to the per-user store or to a settings file; and the store of
// the fax send list on its own.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "common/settings/value_types.h"

constexpr uint32_t kPrivatePartVersion = 21072;

constexpr uint32_t kFaxSendListHeaderBytes = 1442;
constexpr uint32_t kFaxRecipientBytes = 742;
constexpr uint32_t kFaxSendListCountOffset = 16;

// Section headers; tags are UTF-16 with terminator in a 16-byte field.
struct PrivateSectionHeader {
    wchar_t tag[8];    // "NDEV001"
    uint32_t version;  // kPrivatePartVersion when written
    uint32_t length;   // bytes of private part that follow
};
static_assert(sizeof(PrivateSectionHeader) == 24);
static_assert(offsetof(PrivateSectionHeader, version) == 16);
static_assert(offsetof(PrivateSectionHeader, length) == 20);

struct DataSectionHeader {
    wchar_t tag[8];  // "TMBINFO", or "SPINFO" with the last unit not examined
    uint32_t size;   // bytes of data that follow
};
static_assert(sizeof(DataSectionHeader) == 20);
static_assert(offsetof(DataSectionHeader, size) == 16);

constexpr wchar_t kPrivateSectionTag[8] = L"NDEV001";
constexpr wchar_t kTmbSectionTag[8] = L"TMBINFO";
constexpr wchar_t kSpSectionTag[8] = L"SPINFO";
constexpr wchar_t kFaxSendListTag[8] = L"SMRX001";

// Where the sections are kept.
enum SettingsBlobMode : int {
    kBlobsInPrinterData = 2,  // chunked printer data
    kBlobsPerUser = 3,        // the printer's per-user key: size value and one binary value
};

// Fills the 4296-byte private part with the printer's defaults; 1 ok. A section
// written by an older version is laid over these.
using PrivateDefaultsFn = int (*)(HANDLE printer, uint8_t* privatePart);

// The stores the blob operations reach: the printer, the model's per-user base
// path (for the per-user mode) and the source of default private parts: null
// takes the defaults of the printer's model (GetDefaultPrivateSettings).
struct SettingsBlobStore {
    HANDLE printer;
    const wchar_t* userBasePath;
    PrivateDefaultsFn privateDefaults = nullptr;
};

// Size of a fax send list from its header's count; 0 when `list` is shorter
// than the header or its tag is not "SMRX001".
uint32_t FaxSendListSize(const uint8_t* list, size_t available);

// The section writers: 1 when written. The private part writer appends the fax
// send list when one is given; TMBINFO and SPINFO refuse non-null data of size 0.
int WritePrivateSection(const SettingsBlobStore& store, int mode, const uint8_t* privatePart, uint32_t length,
                        const uint8_t* faxList, uint32_t faxSize);
int WriteTmbSection(const SettingsBlobStore& store, int mode, const uint8_t* data, uint32_t size);
int WriteSpSection(const SettingsBlobStore& store, int mode, const uint8_t* data, uint32_t size);

// The section readers: 1 when read. The private part reader fills the 4296-byte
// destination and, when `faxList` is given and bytes follow the private part,
// gives out the fax send list (a new block). TMBINFO and SPINFO give out a new
// block, or null when the stored size is 0 or nothing is stored.
int ReadPrivateSection(const SettingsBlobStore& store, int mode, uint8_t* privatePart, uint8_t** faxList);
int ReadTmbSection(const SettingsBlobStore& store, int mode, uint8_t** data, uint32_t* size);
int ReadSpSection(const SettingsBlobStore& store, int mode, uint8_t** data, uint32_t* size);

// Writes all sections to the settings file (when `fileName` is given; it must
// exist) or to the store of the mode. A null private part, or any non-null block
// of size 0, is refused. 1 when everything was written.
int SaveSettingsBlobs(const SettingsBlobStore& store, const wchar_t* fileName, int mode, const uint8_t* faxList,
                      uint32_t faxSize, const uint8_t* privatePart, const uint8_t* tmb, uint32_t tmbSize,
                      const uint8_t* sp, uint32_t spSize);

// Reads all sections from the settings file or the store of the mode. Each out
// block needs its out size (else refused). On success the blocks asked for are
// given out (the caller frees them) and the private part is filled; on any
// failure every out is cleared and the private part destination is left as it was.
int LoadSettingsBlobs(const SettingsBlobStore& store, const wchar_t* fileName, int mode, uint8_t** faxList,
                      uint8_t* privatePart, uint8_t** tmb, uint32_t* tmbSize, uint8_t** sp, uint32_t* spSize);

// The settings file: the private section (4296 bytes of private part), TMBINFO,
// SPINFO, then the fax send list when there is one; no header.
int WriteSettingsFile(const wchar_t* fileName, const uint8_t* faxList, uint32_t faxSize, const uint8_t* privatePart,
                      uint32_t length, const uint8_t* tmb, uint32_t tmbSize, const uint8_t* sp, uint32_t spSize);
int ReadSettingsFile(const wchar_t* fileName, uint8_t** faxList, uint8_t* privatePart, uint8_t** tmb,
                     uint32_t* tmbSize, uint8_t** sp, uint32_t* spSize);

// A copy of the given list, or the list stored in printer data when `list` is
// null; null unless it is tagged "SMRX001" and its size is exactly that of its
// recipient count. Gives out the count.
uint8_t* FetchFaxSendList(HANDLE printer, uint32_t size, const uint8_t* list, uint16_t* count);

// Writes the list to an existing file, or to printer data without a file name.
// A list whose size does not match its count is refused. 1 when written.
int WriteFaxSendList(HANDLE printer, const wchar_t* fileName, const uint8_t* list, uint32_t size);

int FreeFaxSendList(uint8_t* list);
