#include "common/constraints/stamp_presence.h"

#include "common/context/settings_context.h"
#include "common/model/model_data.h"
#include "common/store/global_block.h"
#include "common/store/user_store.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <memory>

namespace {

constexpr size_t kPathChars = 512;
constexpr DWORD kStampRecordSize = 308;
constexpr size_t kStampNameChars = 33;  // the record's first 66 bytes

// Walks the REG_BINARY values of the store: visit(record bytes, size) answers
// true to stop. 1 walked (also without a store), 0 on a failure.
template <typename Visit>
int WalkStamps(HANDLE printer, const SettingsContext* context, Visit visit)
{
    if (!printer || !context)
        return 0;
    wchar_t* base = nullptr;
    GetModelRegistryBase(context->main, 1, &base);
    std::unique_ptr<wchar_t, GlobalFreeDeleter> owner(base);
    wchar_t path[kPathChars];
    if (!base || !BuildStampsKeyPath(printer, base, path, kPathChars, 0))
        return 0;
    HKEY key = nullptr;
    const LONG opened = RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key);
    if (opened == ERROR_FILE_NOT_FOUND)
        return 1;
    if (opened != ERROR_SUCCESS)
        return 0;
    int status = 1;
    for (DWORD i = 0;; ++i) {
        wchar_t name[66];
        DWORD nameChars = 66, type = 0;
        BYTE record[kStampRecordSize] = {};
        DWORD size = sizeof(record);
        const LONG r = RegEnumValueW(key, i, name, &nameChars, nullptr, &type, record, &size);
        if (r == ERROR_NO_MORE_ITEMS)
            break;
        if (r == ERROR_MORE_DATA)
            continue;  // longer than a stamp record: not a stamp
        if (r != ERROR_SUCCESS) {
            status = 0;
            break;
        }
        if (type == REG_BINARY && visit(record, size))
            break;
    }
    RegCloseKey(key);
    return status;
}

}  // namespace

int CountStoredStampsOf(HANDLE printer, const SettingsContext* context, uint32_t* count)
{
    if (!count)
        return 0;
    *count = 0;
    return WalkStamps(printer, context, [&](const BYTE*, DWORD) {
        ++*count;
        return false;
    });
}

int IsStampStoredOf(HANDLE printer, const SettingsContext* context, const wchar_t* name, bool* stored)
{
    if (!name || !stored)
        return 0;
    *stored = false;
    return WalkStamps(printer, context, [&](const BYTE* record, DWORD size) {
        wchar_t held[kStampNameChars + 1] = {};
        std::memcpy(held, record, std::min<DWORD>(size, kStampNameChars * sizeof(wchar_t)));
        *stored = std::wcscmp(held, name) == 0;
        return *stored;
    });
}
