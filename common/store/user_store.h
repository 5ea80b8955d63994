// Each user's settings for a printer live under HKEY_CURRENT_USER in a key named
// by the model's per-user base path (it ends with a backslash) followed by the
// printer's identity text. Its default value holds the printer's attribute bits;
// bit 0x40 (a local printer) lets the purge remove the key once that printer is
// gone. An empty base path (or a lone backslash) is refused by every operation.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "common/store/stored_read.h"

constexpr size_t kUserKeyPathChars = 260;
constexpr DWORD kPurgeableAttribute = 0x40;  // PRINTER_ATTRIBUTE_LOCAL

constexpr wchar_t kStampsSubkey[] = L"Stamps";
constexpr wchar_t kOtherStampsSubkey[] = L"Stamps\\Others";
constexpr wchar_t kPaperMarginSubkey[] = L"Paper Margin";
constexpr wchar_t kFavoriteSubkey[] = L"Favorite";

// base path + identity text [+ "\" + subkey] into `buffer` of `length`
// characters. 0 when a part does not fit: a shortened path would name another key.
int BuildUserSettingsKeyPath(const wchar_t* basePath, const uint8_t* printerId, const wchar_t* subkey,
                             wchar_t* buffer, size_t length);

// The printer's key path (with the subkey), making the identity when the printer
// has none. 1 ok.
int BuildPrinterUserKeyPath(HANDLE printer, const wchar_t* basePath, const wchar_t* subkey, wchar_t* buffer,
                            size_t length);

// Stamp key paths: kind 0 "Stamps", kind 1 "Stamps\Others"; 0 for another kind.
int BuildStampsKeyPath(HANDLE printer, const wchar_t* basePath, wchar_t* buffer, size_t length, int kind);

// Writes one value into the printer's key (or its subkey), creating the key.
// Stale keys of other printers are purged first, and the printer key's default
// value gets the printer's attribute bits when it has none yet. 1 when the value
// and the default value are there.
int WriteUserValue(HANDLE printer, const wchar_t* basePath, const void* data, uint32_t size, DWORD type,
                   const wchar_t* subkey, const wchar_t* name);

// Reads one value into a new global block (the caller frees it). StoredRead::kRead;
// StoredRead::kNotStored when there is no identity, key or value; StoredRead::kError
// for a missing argument or base path, an identity or key that is there but
// cannot be read or opened, no memory or a failed read.
StoredRead ReadUserValue(HANDLE printer, const wchar_t* basePath, const wchar_t* subkey, const wchar_t* name,
                  uint8_t** block, uint32_t* size);

// The same into the caller's buffer, which must hold the whole stored value
// (StoredRead::kError otherwise); `size` in: the buffer's size, out: the value's.
StoredRead ReadUserValueInto(HANDLE printer, const wchar_t* basePath, const wchar_t* subkey, const wchar_t* name,
                      void* buffer, uint32_t* size);

// Deletes one value of the printer's key (or subkey). 1 when deleted.
int DeleteUserValue(HANDLE printer, const wchar_t* basePath, const wchar_t* subkey, const wchar_t* name);

// Opens or creates a subkey of the printer's key. 1 with an open key.
int OpenUserSettingsSubkey(HANDLE printer, const wchar_t* basePath, const wchar_t* subkey, HKEY* key);

// Copies every value and, recursively, every subkey. 1 ok.
int CopyRegistryKeyTree(HKEY destination, HKEY source);

// Deletes `subkey` of `key` with everything below it. 1 ok.
int DeleteRegistryKeyTree(HKEY key, const wchar_t* subkey);

// With a printer: deletes that printer's key when its default value carries bit
// 0x40. Without one: purges the stale keys under the base path. 1 ok.
int CleanUpUserSettingKeys(HANDLE printer, const wchar_t* basePath);

// Deletes the keys under the base path that belong to no local printer and carry
// bit 0x40. When the printer list cannot be had, or a local printer's identity
// cannot be read, nothing is deleted: any key might be that printer's. Keys whose
// default value cannot be read stay. The number of keys deleted.
int PurgeStaleUserSettingKeys(const wchar_t* basePath);
