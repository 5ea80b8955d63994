#include "printhost/job_settings.h"

#include "common/settings/item_layout.h"
#include "common/settings/value_engine.h"
#include "common/settings/value_types.h"

#include <cstring>
#include <cwchar>
#include <limits>

namespace printhost {

namespace {

bool ParseNumber(const std::wstring& text, long long* value)
{
    if (text.empty()) return false;
    wchar_t* end = nullptr;
    errno = 0;
    *value = std::wcstoll(text.c_str(), &end, 0);
    return errno == 0 && end && *end == L'\0';
}

// The range of each numeric value type.
bool InRange(uint16_t type, long long v)
{
    switch (type) {
    case kTypeFlag: return v == 0 || v == 1;
    case kTypeS16: return v >= std::numeric_limits<int16_t>::min() && v <= std::numeric_limits<int16_t>::max();
    case kTypeU16: return v >= 0 && v <= std::numeric_limits<uint16_t>::max();
    case kTypeS32: case kTypeFontS32:
        return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
    case kTypeU32: return v >= 0 && v <= std::numeric_limits<uint32_t>::max();
    case kTypeByte: return v >= 0 && v <= 255;
    default: return false;
    }
}

bool ApplyPair(std::vector<BYTE>& record, size_t devmodeSize, std::vector<BYTE>& printerRecord,
               const std::wstring& pair, std::wstring* error)
{
    const size_t equals = pair.find(L'=');
    long long id = 0;
    if (equals == std::wstring::npos || !ParseNumber(pair.substr(0, equals), &id) || id <= 0 || id > 0xFFFF) {
        *error = L"not a setting pair (ID=VALUE): " + pair;
        return false;
    }
    const std::wstring text = pair.substr(equals + 1);
    ItemLayout layout{};
    if (FindItemLayout(uint16_t(id), record.data(), printerRecord.data(), &layout) != kSettingOk) {
        *error = L"unknown setting " + std::to_wstring(id);
        return false;
    }
    if (layout.storageKind == kStoragePrinter) {
        *error = L"setting " + std::to_wstring(id) + L" is a printer setting, not a job setting";
        return false;
    }
    const uint16_t type = layout.reportedType ? layout.reportedType : layout.storedType;
    const uint64_t end = uint64_t(layout.address - record.data()) + (type == kTypeString ? layout.room : layout.holderSize);
    if (end > devmodeSize) {
        *error = L"setting " + std::to_wstring(id) + L" lies beyond the DEVMODE's " + std::to_wstring(devmodeSize) +
                 L" bytes";
        return false;
    }
    alignas(8) BYTE holder[kValueHolderSize] = {};
    // The engine takes a value in the holder size of the type it is given
    // (a byte reported as 16 bits is set with 2 bytes).
    uint32_t size = layout.holderSize;
    if (type != kTypeString && !GetTypeHolderSize(uint16_t(id), type, &size))
        size = layout.holderSize;
    if (type == kTypeString) {
        const wchar_t* p = text.c_str();
        std::memcpy(holder, &p, sizeof(p));
        size = uint32_t((text.size() + 1) * sizeof(wchar_t));
    } else {
        long long value = 0;
        if (type == kTypeLogFont || !ParseNumber(text, &value) || !InRange(type, value)) {
            *error = L"setting " + std::to_wstring(id) + L" cannot take the value " + text;
            return false;
        }
        std::memcpy(holder, &value, std::min<size_t>(sizeof(value), kValueHolderSize));
    }
    const uint16_t status = dma_SetValue(uint16_t(id), record.data(), printerRecord.data(), type, size, holder);
    if (status != kSettingOk) {
        *error = L"setting " + std::to_wstring(id) + L" refused the value " + text + L" (status " +
                 std::to_wstring(status) + L")";
        return false;
    }
    return true;
}

} // namespace

bool ApplySettingPairs(std::vector<BYTE>* devmode, const std::vector<std::wstring>& pairs, std::wstring* error)
{
    if (pairs.empty()) return true;
    if (devmode->size() < offsetof(DEVMODEW, dmFields)) {
        *error = L"setting pairs need a DEVMODE (--devmode FILE, or a printer that has one)";
        return false;
    }
    // The engine addresses the whole settings record; the DEVMODE is copied into one.
    std::vector<BYTE> record(std::max<size_t>(devmode->size(), kSettingsRecordSize), 0);
    std::memcpy(record.data(), devmode->data(), devmode->size());
    std::vector<BYTE> printerRecord(kPrinterSettingsRecordSize, 0);
    for (const std::wstring& pair : pairs)
        if (!ApplyPair(record, devmode->size(), printerRecord, pair, error)) return false;
    std::memcpy(devmode->data(), record.data(), devmode->size());
    return true;
}

} // namespace printhost
