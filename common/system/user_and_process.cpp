#include "common/system/user_and_process.h"

#include "common/system/global_block.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <vector>

namespace {

constexpr wchar_t kWinlogonKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\";
constexpr wchar_t kUnknownUser[] = L"UnknownUser";

bool HasVisibleCharacter(const wchar_t* name)
{
    for (; *name != L'\0'; ++name) {
        if (*name != L' ' && *name != L'\u3000')
            return true;
    }
    return false;
}

// The Winlogon default user name, when it fits the caller's buffer.
bool ReadDefaultUserName(wchar_t* buffer, uint32_t capacity)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kWinlogonKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    // One more character than the caller holds, so a value stored without its
    // terminator is still terminated here.
    std::vector<wchar_t> value(static_cast<size_t>(capacity) + 1, L'\0');
    DWORD type = 0;
    DWORD bytes = capacity * sizeof(wchar_t);
    const LONG status = RegQueryValueExW(key, L"DefaultUserName", nullptr, &type,
                                         reinterpret_cast<BYTE*>(value.data()), &bytes);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ)
        return false;
    if (wcslen(value.data()) >= capacity)
        return false;
    wcscpy(buffer, value.data());
    return true;
}

}  // namespace

int GetCurrentUserName(wchar_t* buffer, uint32_t capacity)
{
    if (buffer == nullptr || capacity == 0)
        return 0;
    DWORD size = capacity;
    bool found = GetUserNameW(buffer, &size) && _wcsicmp(buffer, L"System") != 0;
    if (!found)
        found = ReadDefaultUserName(buffer, capacity);
    if (found && HasVisibleCharacter(buffer))
        return 1;
    wcsncpy(buffer, kUnknownUser, capacity);
    buffer[capacity - 1] = L'\0';
    return 1;
}

wchar_t* GetProcessImageName()
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr)
        return nullptr;
    wchar_t* result = nullptr;
    if (count > 0) {
        const wchar_t* slash = wcsrchr(arguments[0], L'\\');
        const wchar_t* name = slash != nullptr ? slash + 1 : arguments[0];
        auto block = AllocGlobalBlock<wchar_t>((wcslen(name) + 1) * sizeof(wchar_t));
        if (block) {
            wcscpy(block.get(), name);
            result = block.release();
        }
    }
    LocalFree(arguments);
    return result;
}
