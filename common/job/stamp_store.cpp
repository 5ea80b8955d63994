#include "common/job/stamp_store.h"

#include "common/job/model_registry_path.h"
#include "common/store/user_store.h"
#include "common/system/module_files.h"

#include <cstring>
#include <cwchar>
#include <iterator>

namespace {

constexpr DWORD kStampValueNameChars = 66;  // 65 characters and the terminator

// Closes the key on every path.
struct KeyHolder {
    HKEY key = nullptr;
    ~KeyHolder()
    {
        if (key != nullptr)
            RegCloseKey(key);
    }
};

void TerminateStrings(StampRecord* record)
{
    record->name[std::size(record->name) - 1] = L'\0';
    record->text[std::size(record->text) - 1] = L'\0';
    record->font.lfFaceName[LF_FACESIZE - 1] = L'\0';
}

bool IsDefaultName(const wchar_t* name)
{
    return DefaultStampIndex(GetResourceModule(), name) >= 0;
}

// Walks the stamps of the store: REG_BINARY values of exactly one record's size
// (anything else is no stamp of ours). `visit` answers true to stop. 1 when the
// walk ended or was stopped, kStampEnumFailed when the enumeration failed.
template <typename Visit>
int ForEachStamp(HKEY key, Visit visit)
{
    for (DWORD index = 0;; ++index) {
        wchar_t valueName[kStampValueNameChars];
        DWORD nameChars = kStampValueNameChars;
        DWORD type = 0;
        StampRecord record = {};
        DWORD size = sizeof record;
        const LONG status = RegEnumValueW(key, index, valueName, &nameChars, nullptr, &type,
                                          reinterpret_cast<BYTE*>(&record), &size);
        if (status == ERROR_NO_MORE_ITEMS)
            return kStampOk;
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            return kStampEnumFailed;
        if (type != REG_BINARY || size != sizeof record)
            continue;
        TerminateStrings(&record);
        if (visit(valueName, record))
            return kStampOk;
    }
}

// The value name of the stored stamp whose record carries the name. kStampOk
// when found, kStampBadArgument when not, or the store's error.
int FindStoredStamp(HKEY key, const wchar_t* name, wchar_t* valueName, StampRecord* found)
{
    bool hit = false;
    const int walked = ForEachStamp(key, [&](const wchar_t* value, const StampRecord& record) {
        if (_wcsicmp(record.name, name) != 0)
            return false;
        if (valueName != nullptr)
            wcscpy(valueName, value);
        if (found != nullptr)
            *found = record;
        hit = true;
        return true;
    });
    if (walked != kStampOk)
        return walked;
    return hit ? kStampOk : kStampBadArgument;
}

int CountOpen(HKEY key, uint32_t* count)
{
    uint32_t n = 0;
    const int walked = ForEachStamp(key, [&](const wchar_t*, const StampRecord&) {
        ++n;
        return false;
    });
    *count = n;
    return walked;
}

int WriteStamp(HKEY key, const wchar_t* valueName, const StampRecord& record)
{
    return RegSetValueExW(key, valueName, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&record),
                          sizeof record) == ERROR_SUCCESS
               ? kStampOk
               : kStampWriteFailed;
}

// Appends names to a list of NUL-terminated strings ended by an extra NUL, or
// only measures it when `buffer` is null.
struct NameList {
    wchar_t* buffer;
    uint32_t room;  // characters
    uint32_t used = 0;
    uint32_t count = 0;
    void Add(const wchar_t* name)
    {
        const uint32_t chars = static_cast<uint32_t>(wcslen(name)) + 1;
        if (buffer != nullptr && used + chars <= room)
            std::memcpy(buffer + used, name, chars * sizeof(wchar_t));
        used += chars;
        ++count;
    }
    // The answer of the list call: the size needed goes back in `size`.
    int Finish(wchar_t* out, uint32_t* countOut, uint32_t* size)
    {
        const uint32_t needed = (used + 1) * sizeof(wchar_t);
        const bool measureOnly = out == nullptr && countOut == nullptr;
        const bool fits = needed <= *size;
        *size = needed;
        if (measureOnly)
            return kStampOk;
        if (out == nullptr || countOut == nullptr)
            return kStampBadArgument;
        if (!fits)
            return kStampBufferSmall;
        out[used] = L'\0';
        *countOut = count;
        return kStampOk;
    }
};

void AddDefaultNames(NameList* list)
{
    const HMODULE resources = GetResourceModule();
    for (const DefaultStampRow& row : kDefaultStampRows) {
        StampRecord record;
        BuildDefaultStamp(resources, row, &record);
        list->Add(record.name);
    }
}

bool SameFont(const LOGFONTW& a, const LOGFONTW& b)
{
    // The quality byte is left out: the stamp editor does not offer it, and a
    // face picked again from the font dialog may come back with another.
    return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfEscapement == b.lfEscapement &&
           a.lfOrientation == b.lfOrientation && a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic &&
           a.lfUnderline == b.lfUnderline && a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
           a.lfOutPrecision == b.lfOutPrecision && a.lfClipPrecision == b.lfClipPrecision &&
           a.lfPitchAndFamily == b.lfPitchAndFamily && wcscmp(a.lfFaceName, b.lfFaceName) == 0;
}

// kStampOk while fewer than the limit are stored, else kStampStoreFull or the
// store's error.
int RoomForNewStamp(HKEY key)
{
    uint32_t count = 0;
    const int counted = CountOpen(key, &count);
    if (counted != kStampOk)
        return counted;
    return count < kMaxStoredStamps ? kStampOk : kStampStoreFull;
}

// The first steps of the operations on one named stamp: a null name is refused,
// a default name answers `forDefault`, else the store is opened. kStampOk with
// the key, or the answer to give.
int OpenForName(const StampStoreLocation& at, const wchar_t* name, int forDefault, HKEY* key)
{
    if (name == nullptr)
        return kStampBadArgument;
    if (IsDefaultName(name))
        return forDefault;
    return OpenStampStore(at, key);
}

bool ValidRecordName(const StampRecord* record)
{
    return record != nullptr && record->name[0] != L'\0' &&
           wmemchr(record->name, L'\0', std::size(record->name)) != nullptr;
}

}  // namespace

int CreateDefaultStamps(const StampStoreLocation& at)
{
    wchar_t stamps[kUserKeyPathChars];
    wchar_t others[kUserKeyPathChars];
    if (!BuildStampsKeyPath(at.printer, at.userBase, stamps, kUserKeyPathChars, 0) ||
        !BuildStampsKeyPath(at.printer, at.userBase, others, kUserKeyPathChars, 1))
        return kStampBadArgument;
    KeyHolder key;
    KeyHolder othersKey;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, stamps, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key.key,
                        nullptr) != ERROR_SUCCESS ||
        RegCreateKeyExW(HKEY_CURRENT_USER, others, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &othersKey.key,
                        nullptr) != ERROR_SUCCESS) {
        RegDeleteTreeW(HKEY_CURRENT_USER, stamps);
        return kStampBadArgument;
    }
    // Through the per-user writer, so the printer's key gets its attribute bits.
    bool ok = WriteUserValue(at.printer, at.userBase, kStampVersionText, sizeof kStampVersionText, REG_SZ,
                             kOtherStampsSubkey, kStampVersionName) != 0;
    const HMODULE resources = GetResourceModule();
    for (int i = 0; ok && i < kDefaultStampCount; ++i) {
        StampRecord record;
        ok = BuildDefaultStamp(resources, kDefaultStampRows[i], &record) && WriteStamp(key.key, record.name, record) == kStampOk;
    }
    if (!ok) {
        RegCloseKey(othersKey.key);
        othersKey.key = nullptr;
        RegCloseKey(key.key);
        key.key = nullptr;
        RegDeleteTreeW(HKEY_CURRENT_USER, stamps);
        return kStampWriteFailed;
    }
    return kStampOk;
}

int OpenStampStore(const StampStoreLocation& at, HKEY* key)
{
    if (key == nullptr)
        return kStampBadArgument;
    *key = nullptr;
    wchar_t path[kUserKeyPathChars];
    if (!BuildStampsKeyPath(at.printer, at.userBase, path, kUserKeyPathChars, 0))
        return kStampNoStore;
    constexpr REGSAM kAccess = KEY_READ | KEY_WRITE;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, kAccess, key) == ERROR_SUCCESS)
        return kStampOk;

    wchar_t templatePath[kModelRegistryPathChars];
    KeyHolder source;
    if (at.machineBase != nullptr && JoinRegistryPath(at.machineBase, kStampsSubkey, templatePath) &&
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, templatePath, 0, KEY_READ, &source.key) == ERROR_SUCCESS) {
        if (RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, kAccess, nullptr, key, nullptr) !=
            ERROR_SUCCESS)
            return kStampNoStore;
        if (CopyRegistryKeyTree(*key, source.key))
            return kStampOk;
        // A half copy would pass for the user's stamps from now on.
        RegCloseKey(*key);
        *key = nullptr;
        RegDeleteTreeW(HKEY_CURRENT_USER, path);
        return kStampNoStore;
    }
    if (CreateDefaultStamps(at) != kStampOk)
        return kStampNoStore;
    return RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, kAccess, key) == ERROR_SUCCESS ? kStampOk : kStampNoStore;
}

int IsDefaultStampName(const wchar_t* name)
{
    return IsDefaultName(name) ? 1 : 0;
}

int ListDefaultStampNames(wchar_t* buffer, uint32_t* count, uint32_t* size)
{
    if (size == nullptr)
        return kStampBadArgument;
    NameList list{buffer, *size / static_cast<uint32_t>(sizeof(wchar_t))};
    AddDefaultNames(&list);
    return list.Finish(buffer, count, size);
}

int ListStampNames(const StampStoreLocation& at, wchar_t* buffer, uint32_t* count, uint32_t* size)
{
    if (size == nullptr)
        return kStampBadArgument;
    NameList list{buffer, *size / static_cast<uint32_t>(sizeof(wchar_t))};
    KeyHolder key;
    if (OpenStampStore(at, &key.key) != kStampOk) {
        AddDefaultNames(&list);
        return list.Finish(buffer, count, size);
    }
    const int walked = ForEachStamp(key.key, [&](const wchar_t*, const StampRecord& record) {
        list.Add(record.name);
        return list.count == kMaxStoredStamps;
    });
    if (walked != kStampOk)
        return walked;
    return list.Finish(buffer, count, size);
}

int CountStamps(const StampStoreLocation& at, uint32_t* count)
{
    if (count == nullptr)
        return kStampBadArgument;
    *count = 0;
    KeyHolder key;
    const int opened = OpenStampStore(at, &key.key);
    if (opened != kStampOk)
        return opened;
    return CountOpen(key.key, count);
}

int GetStamp(const StampStoreLocation& at, const wchar_t* name, StampRecord* record, bool defaultsOnly)
{
    if (record == nullptr)
        return kStampBadArgument;
    const HMODULE resources = GetResourceModule();
    const int index = DefaultStampIndex(resources, name);
    const DefaultStampRow& row = index >= 0 ? kDefaultStampRows[index] : kTemplateStampRow;
    if (defaultsOnly || name == nullptr)
        return BuildDefaultStamp(resources, row, record) ? kStampOk : kStampBadArgument;
    KeyHolder key;
    if (OpenStampStore(at, &key.key) != kStampOk) {
        if (index >= 0)
            return BuildDefaultStamp(resources, row, record) ? kStampOk : kStampBadArgument;
        return kStampNoStore;
    }
    return FindStoredStamp(key.key, name, nullptr, record);
}

int CanAddStamp(const StampStoreLocation& at, const wchar_t* name)
{
    if (name == nullptr)
        return kStampOk;
    KeyHolder key;
    const int opened = OpenForName(at, name, kStampNameUsed, &key.key);
    if (opened != kStampOk)
        return opened;
    const int found = FindStoredStamp(key.key, name, nullptr, nullptr);
    if (found == kStampOk)
        return kStampNameUsed;
    return found == kStampBadArgument ? RoomForNewStamp(key.key) : found;
}

int SaveStamp(const StampStoreLocation& at, const StampRecord* record)
{
    if (!ValidRecordName(record))
        return kStampBadArgument;
    StampRecord copy = *record;
    TerminateStrings(&copy);
    KeyHolder key;
    const int opened = OpenStampStore(at, &key.key);
    if (opened != kStampOk)
        return opened;
    wchar_t valueName[kStampValueNameChars];
    const int found = FindStoredStamp(key.key, copy.name, valueName, nullptr);
    if (found == kStampOk)
        return WriteStamp(key.key, valueName, copy);  // over the stored value, whatever its value name
    if (found != kStampBadArgument)
        return found;
    const int room = RoomForNewStamp(key.key);
    return room == kStampOk ? WriteStamp(key.key, copy.name, copy) : room;
}

int StampEqualsStored(const StampStoreLocation& at, const StampRecord* record)
{
    if (!ValidRecordName(record))
        return kStampBadArgument;
    KeyHolder key;
    const int opened = OpenStampStore(at, &key.key);
    if (opened != kStampOk)
        return opened;
    StampRecord stored;
    const int found = FindStoredStamp(key.key, record->name, nullptr, &stored);
    if (found == kStampBadArgument)
        return kStampNotFound;
    if (found != kStampOk)
        return found;
    StampRecord given = *record;
    TerminateStrings(&given);
    const bool same = wcscmp(given.text, stored.text) == 0 &&
                      std::memcmp(&given.color, &stored.color, offsetof(StampRecord, font) -
                                                                   offsetof(StampRecord, color)) == 0 &&
                      SameFont(given.font, stored.font);
    return same ? kStampOk : kStampDiffers;
}

int FindStamp(const StampStoreLocation& at, const wchar_t* name)
{
    KeyHolder key;
    const int opened = OpenForName(at, name, kStampIsDefault, &key.key);
    if (opened != kStampOk)
        return opened;
    return FindStoredStamp(key.key, name, nullptr, nullptr);
}

int DeleteStamp(const StampStoreLocation& at, const wchar_t* name)
{
    KeyHolder key;
    const int opened = OpenForName(at, name, kStampIsDefault, &key.key);
    if (opened != kStampOk)
        return opened;
    wchar_t valueName[kStampValueNameChars];
    const int found = FindStoredStamp(key.key, name, valueName, nullptr);
    if (found != kStampOk)
        return found == kStampEnumFailed ? kStampBadArgument : found;
    return RegDeleteValueW(key.key, valueName) == ERROR_SUCCESS ? kStampOk : kStampDeleteFailed;
}
