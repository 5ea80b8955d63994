#include "common/store/user_store.h"

#include "common/system/global_block.h"
#include "common/store/printer_data.h"
#include "common/store/printer_id.h"

#include <winspool.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

// A base path names the parent of the printers' keys: an empty one would put
// them straight under HKEY_CURRENT_USER and make every top-level key a
// candidate for the purge.
bool UsableBasePath(const wchar_t* basePath)
{
    return basePath && basePath[0] != L'\0' && !(basePath[0] == L'\\' && basePath[1] == L'\0');
}

int Append(wchar_t* buffer, size_t length, size_t& used, const wchar_t* part)
{
    const size_t partLength = wcslen(part);
    if (used + partLength + 1 > length)
        return 0;
    wmemcpy(buffer + used, part, partLength + 1);
    used += partLength;
    return 1;
}

// Attribute bits of the printer for its key's default value.
int PrinterAttributes(HANDLE printer, DWORD* attributes)
{
    if (GlobalBlockPtr<uint8_t> info{GetPrinterInfo(printer, 4)}) {
        *attributes = reinterpret_cast<PRINTER_INFO_4W*>(info.get())->Attributes;
        return 1;
    }
    if (GlobalBlockPtr<uint8_t> info{GetPrinterInfo(printer, 5)}) {
        *attributes = reinterpret_cast<PRINTER_INFO_5W*>(info.get())->Attributes;
        return 1;
    }
    return 0;
}

int ReadKeyAttributes(HKEY key, DWORD* attributes)
{
    DWORD type = 0;
    DWORD size = sizeof *attributes;
    return RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(attributes), &size) ==
               ERROR_SUCCESS &&
           size == sizeof *attributes;
}

int EnsureKeyAttributes(HANDLE printer, const wchar_t* keyPath)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return 0;
    DWORD attributes = 0;
    int ok = ReadKeyAttributes(key, &attributes);
    if (!ok && PrinterAttributes(printer, &attributes))
        ok = RegSetValueExW(key, nullptr, 0, REG_BINARY, reinterpret_cast<BYTE*>(&attributes), sizeof attributes) ==
             ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

// The key path for a read: StoredRead::kNotStored when the printer has no identity.
StoredRead ReadPath(HANDLE printer, const wchar_t* basePath, const wchar_t* subkey, wchar_t (&path)[kUserKeyPathChars])
{
    if (!printer || !UsableBasePath(basePath))
        return StoredRead::kError;
    uint8_t id[kPrinterIdBytes];
    const DWORD idStatus = ReadPrinterIdStatus(printer, id);
    if (idStatus == ERROR_FILE_NOT_FOUND)
        return StoredRead::kNotStored;
    if (idStatus != ERROR_SUCCESS)
        return StoredRead::kError;
    if (!BuildUserSettingsKeyPath(basePath, id, subkey, path, kUserKeyPathChars))
        return StoredRead::kError;
    return StoredRead::kRead;
}

// Opens the value's key and asks for its size: StoredRead::kRead with the key open.
StoredRead OpenValue(HANDLE printer, const wchar_t* basePath, const wchar_t* subkey, const wchar_t* name, HKEY* key,
              DWORD* size)
{
    wchar_t path[kUserKeyPathChars];
    const StoredRead status = ReadPath(printer, basePath, subkey, path);
    if (status != StoredRead::kRead)
        return status;
    // Only a key that is not there means nothing is stored: a key that cannot
    // be opened may hold the user's settings, and a save taking it for empty
    // would drop them.
    const LONG opened = RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, key);
    if (opened != ERROR_SUCCESS)
        return opened == ERROR_FILE_NOT_FOUND ? StoredRead::kNotStored : StoredRead::kError;
    const LONG r = RegQueryValueExW(*key, name, nullptr, nullptr, nullptr, size);
    if (r == ERROR_SUCCESS)
        return StoredRead::kRead;
    RegCloseKey(*key);
    return r == ERROR_FILE_NOT_FOUND ? StoredRead::kNotStored : StoredRead::kError;
}

struct LocalPrinterIds {
    bool complete = false;  // every local printer was resolved
    std::vector<std::wstring> texts;
};

LocalPrinterIds CollectLocalPrinterIds()
{
    LocalPrinterIds ids;
    DWORD needed = 0;
    DWORD count = 0;
    if (!EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &count)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return ids;
    }
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (needed && !EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, buffer.data(), needed, &needed, &count))
        return ids;
    if (!needed)
        count = 0;
    const auto* printers = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        HANDLE printer = nullptr;
        if (!OpenPrinterW(printers[i].pPrinterName, &printer, nullptr)) {
            if (GetLastError() == ERROR_INVALID_PRINTER_NAME)
                continue;  // deleted since the enumeration: not live
            return ids;
        }
        uint8_t id[kPrinterIdBytes];
        const DWORD status = ReadPrinterIdStatus(printer, id);
        ClosePrinter(printer);
        if (status == ERROR_FILE_NOT_FOUND)
            continue;  // a printer without identity has no key
        if (status != ERROR_SUCCESS)
            return ids;
        wchar_t text[kPrinterIdChars + 1];
        PrinterIdToHex(id, text, kPrinterIdChars + 1);
        ids.texts.emplace_back(text);
    }
    ids.complete = true;
    return ids;
}

bool Contains(const std::vector<std::wstring>& texts, const wchar_t* name)
{
    for (const std::wstring& text : texts)
        if (_wcsicmp(text.c_str(), name) == 0)
            return true;
    return false;
}

}  // namespace

int BuildUserSettingsKeyPath(const wchar_t* basePath, const uint8_t* printerId, const wchar_t* subkey,
                             wchar_t* buffer, size_t length)
{
    if (!buffer || length == 0)
        return 0;
    buffer[0] = L'\0';
    if (!UsableBasePath(basePath) || !printerId)
        return 0;
    wchar_t idText[kPrinterIdChars + 1];
    PrinterIdToHex(printerId, idText, kPrinterIdChars + 1);
    size_t used = 0;
    buffer[0] = L'\0';
    // The base path should end with a backslash; one that does not still names
    // the parent of the printers' keys rather than a sibling key.
    const size_t baseLength = wcslen(basePath);
    const bool needsSeparator = baseLength > 0 && basePath[baseLength - 1] != L'\\';
    const int ok = Append(buffer, length, used, basePath) &&
                   (!needsSeparator || Append(buffer, length, used, L"\\")) && Append(buffer, length, used, idText) &&
                   (!subkey || (Append(buffer, length, used, L"\\") && Append(buffer, length, used, subkey)));
    if (!ok)
        buffer[0] = L'\0';
    return ok;
}

int BuildPrinterUserKeyPath(HANDLE printer, const wchar_t* basePath, const wchar_t* subkey, wchar_t* buffer,
                            size_t length)
{
    uint8_t id[kPrinterIdBytes];
    return printer && UsableBasePath(basePath) && EnsurePrinterId(printer, id) &&
           BuildUserSettingsKeyPath(basePath, id, subkey, buffer, length);
}

int BuildStampsKeyPath(HANDLE printer, const wchar_t* basePath, wchar_t* buffer, size_t length, int kind)
{
    if (kind != 0 && kind != 1)
        return 0;
    return BuildPrinterUserKeyPath(printer, basePath, kind == 0 ? kStampsSubkey : kOtherStampsSubkey, buffer, length);
}

int WriteUserValue(HANDLE printer, const wchar_t* basePath, const void* data, uint32_t size, DWORD type,
                   const wchar_t* subkey, const wchar_t* name)
{
    if (!data && size)
        return 0;
    wchar_t printerPath[kUserKeyPathChars];
    wchar_t path[kUserKeyPathChars];
    if (!BuildPrinterUserKeyPath(printer, basePath, nullptr, printerPath, kUserKeyPathChars) ||
        !BuildPrinterUserKeyPath(printer, basePath, subkey, path, kUserKeyPathChars))
        return 0;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return 0;
    PurgeStaleUserSettingKeys(basePath);
    const int written =
        RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return written && EnsureKeyAttributes(printer, printerPath);
}

StoredRead ReadUserValue(HANDLE printer, const wchar_t* basePath, const wchar_t* subkey, const wchar_t* name,
                  uint8_t** block, uint32_t* size)
{
    if (!block || !size)
        return StoredRead::kError;
    *block = nullptr;
    *size = 0;
    HKEY key = nullptr;
    DWORD stored = 0;
    StoredRead status = OpenValue(printer, basePath, subkey, name, &key, &stored);
    if (status != StoredRead::kRead)
        return status;
    RegCloseKey(key);
    GlobalBlockPtr<uint8_t> data = AllocGlobalBlock<uint8_t>(stored ? stored : 1);
    if (!data)
        return StoredRead::kError;
    uint32_t got = stored;
    status = ReadUserValueInto(printer, basePath, subkey, name, data.get(), &got);
    if (status != StoredRead::kRead)
        return status;
    *block = data.release();
    *size = got;
    return StoredRead::kRead;
}

StoredRead ReadUserValueInto(HANDLE printer, const wchar_t* basePath, const wchar_t* subkey, const wchar_t* name,
                      void* buffer, uint32_t* size)
{
    if (!buffer || !size)
        return StoredRead::kError;
    HKEY key = nullptr;
    DWORD stored = 0;
    const StoredRead status = OpenValue(printer, basePath, subkey, name, &key, &stored);
    if (status != StoredRead::kRead)
        return status;
    DWORD got = stored;
    const bool read = stored <= *size &&
                      RegQueryValueExW(key, name, nullptr, nullptr, static_cast<BYTE*>(buffer), &got) == ERROR_SUCCESS &&
                      got == stored;
    RegCloseKey(key);
    if (!read)
        return StoredRead::kError;
    *size = stored;
    return StoredRead::kRead;
}

int DeleteUserValue(HANDLE printer, const wchar_t* basePath, const wchar_t* subkey, const wchar_t* name)
{
    wchar_t path[kUserKeyPathChars];
    if (ReadPath(printer, basePath, subkey, path) != StoredRead::kRead)
        return 0;
    return RegDeleteKeyValueW(HKEY_CURRENT_USER, path, name) == ERROR_SUCCESS;
}

int OpenUserSettingsSubkey(HANDLE printer, const wchar_t* basePath, const wchar_t* subkey, HKEY* key)
{
    if (!key)
        return 0;
    *key = nullptr;
    wchar_t path[kUserKeyPathChars];
    if (!BuildPrinterUserKeyPath(printer, basePath, subkey, path, kUserKeyPathChars))
        return 0;
    return RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key, nullptr) ==
           ERROR_SUCCESS;
}

int CopyRegistryKeyTree(HKEY destination, HKEY source)
{
    if (!destination || !source)
        return 0;
    DWORD valueCount = 0;
    DWORD longestData = 0;
    DWORD subkeyCount = 0;
    if (RegQueryInfoKeyW(source, nullptr, nullptr, nullptr, &subkeyCount, nullptr, nullptr, &valueCount, nullptr,
                         &longestData, nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    std::vector<BYTE> data(longestData ? longestData : 1);
    for (DWORD i = 0; i < valueCount; ++i) {
        wchar_t name[261];
        DWORD nameLength = 261;
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(data.size());
        if (RegEnumValueW(source, i, name, &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS ||
            RegSetValueExW(destination, name, 0, type, data.data(), size) != ERROR_SUCCESS)
            return 0;
    }
    for (DWORD i = 0; i < subkeyCount; ++i) {
        wchar_t name[261];
        DWORD nameLength = 261;
        if (RegEnumKeyExW(source, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return 0;
        HKEY from = nullptr;
        HKEY to = nullptr;
        int ok = RegOpenKeyExW(source, name, 0, KEY_READ, &from) == ERROR_SUCCESS &&
                 RegCreateKeyExW(destination, name, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &to, nullptr) ==
                     ERROR_SUCCESS;
        ok = ok && CopyRegistryKeyTree(to, from);
        if (from)
            RegCloseKey(from);
        if (to)
            RegCloseKey(to);
        if (!ok)
            return 0;
    }
    return 1;
}

int DeleteRegistryKeyTree(HKEY key, const wchar_t* subkey)
{
    return key && subkey && RegDeleteTreeW(key, subkey) == ERROR_SUCCESS;
}

int CleanUpUserSettingKeys(HANDLE printer, const wchar_t* basePath)
{
    if (!UsableBasePath(basePath))
        return 0;
    if (!printer) {
        PurgeStaleUserSettingKeys(basePath);
        return 1;
    }
    wchar_t path[kUserKeyPathChars];
    if (ReadPath(printer, basePath, nullptr, path) != StoredRead::kRead)
        return 0;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    DWORD attributes = 0;
    const int purgeable = ReadKeyAttributes(key, &attributes) && (attributes & kPurgeableAttribute);
    RegCloseKey(key);
    return purgeable && DeleteRegistryKeyTree(HKEY_CURRENT_USER, path);
}

int PurgeStaleUserSettingKeys(const wchar_t* basePath)
{
    if (!UsableBasePath(basePath))
        return 0;
    // A failed enumeration must not look like "no printers": that would delete
    // every user's settings of every printer.
    const LocalPrinterIds live = CollectLocalPrinterIds();
    if (!live.complete)
        return 0;
    HKEY base = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, basePath, 0, KEY_READ, &base) != ERROR_SUCCESS)
        return 0;
    std::vector<std::wstring> stale;
    for (DWORD i = 0;; ++i) {
        wchar_t name[66];
        DWORD length = 66;
        const LONG r = RegEnumKeyExW(base, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_NO_MORE_ITEMS)
            break;
        if (r == ERROR_SUCCESS && !Contains(live.texts, name))
            stale.emplace_back(name);
    }
    int deleted = 0;
    for (const std::wstring& name : stale) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(base, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            continue;
        DWORD attributes = 0;
        const bool purgeable = ReadKeyAttributes(key, &attributes) && (attributes & kPurgeableAttribute);
        RegCloseKey(key);
        if (purgeable && DeleteRegistryKeyTree(base, name.c_str()))
            ++deleted;
    }
    RegCloseKey(base);
    return deleted;
}
