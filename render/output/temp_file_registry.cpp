#include "render/output/temp_file_registry.h"

#include "common/system/lock_table.h"

#include <cwchar>

const wchar_t kDefaultTempFileRegistryBase[] = L"Software\\Tamsen Corvane\\ZQ RQD Printer Driver\\";

namespace {

constexpr wchar_t kTempFileSubkey[] = L"TempFile\\";
constexpr int kKeyPathChars = 600;

wchar_t g_registryBase[kRegistryBaseChars] = L"Software\\Tamsen Corvane\\ZQ RQD Printer Driver\\";

// Appends src to out (size characters); false when it does not fit.
bool Append(wchar_t* out, int size, int* length, const wchar_t* src)
{
    const size_t n = wcslen(src);
    if (*length + n + 1 > static_cast<size_t>(size))
        return false;
    wmemcpy(out + *length, src, n + 1);
    *length += static_cast<int>(n);
    return true;
}

// The key that holds all file records: base + "TempFile\".
bool MakeTempFileRoot(wchar_t* out, int size, int* length)
{
    *length = 0;
    out[0] = L'\0';
    RoleLock lock(LockRole::TempFileKey);
    return Append(out, size, length, g_registryBase) && Append(out, size, length, kTempFileSubkey);
}

void SlashesToBackslashes(wchar_t* text)
{
    for (; *text != L'\0'; ++text)
        if (*text == L'/')
            *text = L'\\';
}

// True when the file is gone or in use, or opens and could be deleted: its
// record has done its work.
bool RemoveStaleFile(const wchar_t* fileName)
{
    HANDLE probe = CreateFileW(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return true;
    // The probe must be closed first: a file held open by this very handle
    // cannot be deleted, and the stale file would stay for ever.
    CloseHandle(probe);
    return DeleteFileW(fileName) != FALSE;
}

}  // namespace

int SetTempFileRegistryBase(const wchar_t* basePath)
{
    if (basePath == nullptr || wcslen(basePath) >= static_cast<size_t>(kRegistryBaseChars))
        return 0;
    RoleLock lock(LockRole::TempFileKey);
    wcscpy(g_registryBase, basePath);
    return 1;
}

void GetTempFileRegistryBase(wchar_t* out, int size)
{
    if (out == nullptr || size <= 0)
        return;
    RoleLock lock(LockRole::TempFileKey);
    wcsncpy(out, g_registryBase, size - 1);
    out[size - 1] = L'\0';
}

int MakeTempFileKeyPath(const wchar_t* fileName, wchar_t* out, int size)
{
    if (fileName == nullptr || out == nullptr || size <= 0)
        return 0;
    int length = 0;
    if (!MakeTempFileRoot(out, size, &length)) {
        out[0] = L'\0';
        return 0;
    }
    const int start = length;
    if (!Append(out, size, &length, fileName)) {
        out[0] = L'\0';
        return 0;
    }
    for (int i = start; i < length; ++i)
        if (out[i] == L'\\')
            out[i] = L'/';
    return 1;
}

void FormatTempFileTime(const SYSTEMTIME& t, wchar_t* out, int size)
{
    swprintf(out, size, L"[%04d,%02d/%02d,%02d:%02d:%02d]", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
}

int RegisterTempFile(const wchar_t* fileName)
{
    wchar_t path[kKeyPathChars];
    if (!MakeTempFileKeyPath(fileName, path, kKeyPathChars))
        return -1;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return -1;
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t stamp[32];
    FormatTempFileTime(now, stamp, 32);
    const LONG set = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(stamp),
                                    static_cast<DWORD>((wcslen(stamp) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return set == ERROR_SUCCESS ? 0 : -1;
}

int UnregisterTempFile(const wchar_t* fileName)
{
    wchar_t path[kKeyPathChars];
    if (!MakeTempFileKeyPath(fileName, path, kKeyPathChars))
        return -1;
    return RegDeleteKeyW(HKEY_LOCAL_MACHINE, path) == ERROR_SUCCESS ? 0 : -1;
}

int SweepStaleTempFiles()
{
    wchar_t rootPath[kKeyPathChars];
    int rootLength = 0;
    if (!MakeTempFileRoot(rootPath, kKeyPathChars, &rootLength))
        return -1;
    HKEY root = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, rootPath, 0, KEY_READ | KEY_WRITE, &root) != ERROR_SUCCESS)
        return 0;
    int result = 0;
    DWORD index = 0;
    for (;;) {
        wchar_t name[MAX_PATH + 1];
        DWORD nameChars = MAX_PATH + 1;
        const LONG e = RegEnumKeyExW(root, index, name, &nameChars, nullptr, nullptr, nullptr, nullptr);
        if (e == ERROR_NO_MORE_ITEMS)
            break;
        if (e != ERROR_SUCCESS) {
            result = -1;
            break;
        }
        wchar_t fileName[MAX_PATH + 1];
        wcscpy(fileName, name);
        SlashesToBackslashes(fileName);
        if (RemoveStaleFile(fileName)) {
            if (RegDeleteKeyW(root, name) != ERROR_SUCCESS) {
                result = -1;
                break;
            }
            index = 0;  // deleting shifts the enumeration
        } else {
            ++index;
        }
    }
    RegCloseKey(root);
    return result;
}
