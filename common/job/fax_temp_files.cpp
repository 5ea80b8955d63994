#include "common/job/fax_temp_files.h"

#include "common/job/model_registry_path.h"
#include "common/system/system_utilities.h"

#include <cstring>
#include <cwchar>
#include <iterator>

namespace {

// Value names longer than this are no records of ours and are passed over.
constexpr DWORD kValueNameChars = 32;
constexpr size_t kPrefixLength = std::size(kFaxTempValuePrefix) - 1;

struct KeyPaths {
    wchar_t first[kModelRegistryPathChars];
    wchar_t second[kModelRegistryPathChars];
};

bool PathsOfModel(ModelDataRecord* model, KeyPaths* paths)
{
    return GetModelRegistryPath(model, 0, kFaxTempSuffix0, paths->first) &&
           GetModelRegistryPath(model, 1, kFaxTempSuffix1, paths->second);
}

bool PathsOfBases(const wchar_t* base0, const wchar_t* base1, KeyPaths* paths)
{
    return JoinRegistryPath(base0, kFaxTempSuffix0, paths->first) &&
           JoinRegistryPath(base1, kFaxTempSuffix1, paths->second);
}

bool FileExists(const wchar_t* path)
{
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

// Reads value `index` when it is a record: name, record and true. A value that
// is not a record, or cannot be read, gives false and is passed over.
bool ReadRecord(HKEY key, DWORD index, wchar_t* name, FaxTempFileRecord* record, LONG* status)
{
    DWORD nameChars = kValueNameChars;
    DWORD type = 0;
    DWORD size = sizeof *record;
    std::memset(record, 0, sizeof *record);
    *status = RegEnumValueW(key, index, name, &nameChars, nullptr, &type, reinterpret_cast<BYTE*>(record), &size);
    if (*status != ERROR_SUCCESS)
        return false;
    if (wcsncmp(name, kFaxTempValuePrefix, kPrefixLength) != 0 || type != REG_BINARY || size != sizeof *record)
        return false;
    record->path[std::size(record->path) - 1] = L'\0';
    return true;
}

bool OwnerStillThere(const FaxTempFileRecord& record)
{
    const HWND owner = reinterpret_cast<HWND>(static_cast<uintptr_t>(record.owner));
    return owner != nullptr && IsWindow(owner) &&
           static_cast<uint64_t>(GetWindowLongPtrW(owner, GWLP_HINSTANCE)) == record.instance;
}

// What a walk over the records does after a record.
enum class Walk { Next, Stop, Restart };

// Calls `visit` for every record of the key; Restart begins again at the first
// value (deleting a value renumbers the others).
template <typename Visit>
void ForEachRecord(HKEY key, Visit visit)
{
    for (DWORD index = 0;;) {
        wchar_t name[kValueNameChars];
        FaxTempFileRecord record;
        LONG status = ERROR_SUCCESS;
        const bool isRecord = ReadRecord(key, index, name, &record, &status);
        // A value too large for the buffers is passed over; any other error
        // (a key deleted meanwhile answers it for every index) ends the walk,
        // which would otherwise go through every index there is.
        if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA)
            return;
        const Walk next = isRecord ? visit(name, record) : Walk::Next;
        if (next == Walk::Stop)
            return;
        index = next == Walk::Restart ? 0 : index + 1;
    }
}

int CleanKey(const wchar_t* path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    const int removed = CleanFaxTempKey(key);
    RegCloseKey(key);
    return removed;
}

int RecordInKey(const wchar_t* path, HWND owner, const wchar_t* file)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_READ | KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return 0;
    FaxTempFileRecord wanted = {};
    // A path the record cannot hold whole is not recorded: a cut name could
    // name another file, which the cleanup would delete.
    if (wcslen(file) >= std::size(wanted.path)) {
        RegCloseKey(key);
        return 0;
    }
    wcscpy(wanted.path, file);
    wanted.owner = reinterpret_cast<uintptr_t>(owner);
    wanted.instance = static_cast<uint64_t>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));

    bool recorded = false;
    ForEachRecord(key, [&](const wchar_t*, const FaxTempFileRecord& record) {
        recorded = _wcsicmp(record.path, wanted.path) == 0 && record.owner == wanted.owner &&
                   record.instance == wanted.instance;
        return recorded ? Walk::Stop : Walk::Next;
    });
    int done = recorded ? 1 : 0;
    for (unsigned long n = 1; !recorded && n != 0; ++n) {
        wchar_t name[kValueNameChars];
        swprintf(name, kValueNameChars, L"%ls%lu", kFaxTempValuePrefix, n);
        const LONG status = RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_FILE_NOT_FOUND) {
            done = RegSetValueExW(key, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&wanted),
                                  sizeof wanted) == ERROR_SUCCESS;
            break;
        }
        if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA)
            break;
    }
    RegCloseKey(key);
    return done;
}

int Register(const KeyPaths& paths, HWND window, const wchar_t* file)
{
    CleanKey(paths.first);
    CleanKey(paths.second);
    HWND top = window;
    for (HWND parent = GetParent(top); parent != nullptr; parent = GetParent(top))
        top = parent;
    return RecordInKey(paths.second, top, file);
}

}  // namespace

int CleanFaxTempKey(HKEY key)
{
    int removed = 0;
    ForEachRecord(key, [&](const wchar_t* name, const FaxTempFileRecord& record) {
        const bool exists = FileExists(record.path);
        if (exists && (OwnerStillThere(record) || !IsFileOlderThan(record.path, kFaxTempMaxAgeSeconds)))
            return Walk::Next;
        if (RegDeleteValueW(key, name) != ERROR_SUCCESS)
            return Walk::Next;
        if (exists)
            DeleteFileW(record.path);
        ++removed;
        return Walk::Restart;
    });
    return removed;
}

int RegisterFaxTempFile(ModelDataRecord* model, HWND window, const wchar_t* path)
{
    KeyPaths paths;
    if (window == nullptr || path == nullptr || !PathsOfModel(model, &paths))
        return 0;
    return Register(paths, window, path);
}

int RegisterFaxTempFileUnder(const wchar_t* base0, const wchar_t* base1, HWND window, const wchar_t* path)
{
    KeyPaths paths;
    if (window == nullptr || path == nullptr || !PathsOfBases(base0, base1, &paths))
        return 0;
    return Register(paths, window, path);
}

int CleanFaxTempFiles(ModelDataRecord* model, const wchar_t* base0, const wchar_t* base1)
{
    KeyPaths paths;
    if (model != nullptr ? !PathsOfModel(model, &paths) : !PathsOfBases(base0, base1, &paths))
        return 0;
    return CleanKey(paths.first) + CleanKey(paths.second);
}

int DeleteFaxAddressFile(const wchar_t* path)
{
    if (path == nullptr)
        return 0;
    if (wcscmp(path, kKeptFaxAddressFile) == 0)
        return 1;
    return DeleteFileW(path) ? 1 : 0;
}
