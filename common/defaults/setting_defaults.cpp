#include "common/defaults/setting_defaults.h"

#include "common/config/site_config.h"
#include "common/context/model_lookups.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/defaults/item_handlers.h"
#include "common/settings/item_layout.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"

#include <cstring>
#include <cwchar>

namespace {

bool IsBlockType(uint16_t type)
{
    return type == kTypeString || type == kTypeLogFont;
}

// A fixed row's value: a number as it is, a string in a new block of
// (length + 1) characters holding at most length of them.
bool FixedRowDefault(const FixedDefaultRow& row, uint64_t* holder, uint16_t* type, uint32_t* size)
{
    *type = row.type;
    if (row.length == kFixedRowNotString) {
        *holder = row.value;
        return GetTypeHolderSize(0, row.type, size);
    }
    auto* block = static_cast<wchar_t*>(GlobalAlloc(GPTR, (static_cast<size_t>(row.length) + 1) * sizeof(wchar_t)));
    if (block == nullptr)
        return false;
    const auto* text = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(row.value));
    if (text != nullptr)
        wmemcpy(block, text, wcsnlen(text, row.length));
    *holder = reinterpret_cast<uintptr_t>(block);
    *size = 2 * row.length + 2;
    return true;
}

const ConfiguredSettingsList* SiteConfigOf(const SettingsContext* context)
{
    return context != nullptr ? context->siteConfig : nullptr;
}

}  // namespace

int GetItemDefault(SettingsContext* context, void* printerSettingsRecord, const wchar_t* deviceName,
                   const ItemRow* item, uint64_t* holder, uint16_t* type, uint32_t* size, uint16_t* status)
{
    uint16_t ignored = 0;
    if (status == nullptr)
        status = &ignored;
    *status = kDefaultFailed;
    if (item == nullptr || holder == nullptr || type == nullptr || size == nullptr)
        return 0;
    *holder = 0;
    *type = 0;
    *size = 0;
    const uint16_t id = static_cast<uint16_t>(item->id);
    const ItemHandlerRecord* record = item->record;
    if (!ItemServes(record, kItemMaskDefault)) {
        uint16_t lookup = kLookupError;
        if (!GetModelDefault(context, id, holder, type, &lookup)) {
            *status = lookup == kLookupAbsent ? kDefaultAbsent : kDefaultFailed;
            return 0;
        }
        if (*type == kTypeLogFont) {
            // The context hands out numbers and strings only: a structure's
            // holder would not point at its bytes.
            FreeModelDefault(*holder, *type);
            return 0;
        }
        *size = GetValueSize(holder, *type, -1);
    } else if (record->fixed != nullptr && (record->fixed->flags & kFixedRowUsed) != 0) {
        if (!FixedRowDefault(*record->fixed, holder, type, size))
            return 0;
    } else {
        DefaultExchange exchange{printerSettingsRecord, deviceName, 0, 0, 0, kDefaultFailed};
        if (record->handler == nullptr || record->handler(context, kItemOpDefault, id, &exchange) == 0) {
            *status = exchange.status == kDefaultAbsent ? kDefaultAbsent : kDefaultFailed;
            return 0;
        }
        *holder = exchange.holder;
        *type = exchange.type;
        *size = exchange.size;
    }
    // The administrator's default wins over the model's and the handlers'.
    if (!IsBlockType(*type)) {
        uint64_t configured = 0;
        if (GetConfiguredValue(id, SiteConfigOf(context), &configured, *type))
            *holder = configured;
    }
    *status = kDefaultProduced;
    return 1;
}

void FreeItemDefault(const ItemRow* item, uint64_t holder, uint16_t type)
{
    if (item == nullptr || !ItemServes(item->record, kItemMaskDefault)) {
        FreeModelDefault(holder, type);
        return;
    }
    // Fixed rows and handlers hand strings and structures out as global blocks.
    if (IsBlockType(type) && holder != 0)
        GlobalFree(reinterpret_cast<void*>(static_cast<uintptr_t>(holder)));
}

int GetFunctionIdDefault(SettingsContext* context, uint16_t id, uint16_t* type, uint32_t* size, uint64_t* holder)
{
    const ItemRow* item = FindItemById(id);
    if (item == nullptr)
        return kFunctionIdDefaultFailed;
    uint16_t status = kDefaultFailed;
    if (GetItemDefault(context, nullptr, nullptr, item, holder, type, size, &status))
        return kFunctionIdDefaultOk;
    return status == kDefaultAbsent ? kFunctionIdDefaultAbsent : kFunctionIdDefaultFailed;
}

void FreeFunctionIdDefault(uint16_t id, uint64_t holder, uint16_t type)
{
    FreeItemDefault(FindItemById(id), holder, type);
}

int RunFunctionIdHandler(SettingsContext* context, uint16_t id, void* settingsRecord, void* printerSettingsRecord,
                         uint16_t operation)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdValue(id, settingsRecord, printerSettingsRecord, &type, &size, &holder) != kSettingOk)
        return 0;
    const ItemRow* item = FindItemById(id);
    if (item == nullptr)
        return 0;
    const ItemHandlerRecord* record = item->record;
    const bool toModel = record == nullptr || (operation == kItemOpCheck && !ItemServes(record, kItemMaskCheck));
    if (toModel || record->handler == nullptr) {
        // A record without a handler serves its operations with a fixed
        // default: any value of the right layout is acceptable.
        if (!toModel && ItemServes(record, operation == kItemOpCheck ? kItemMaskCheck : kItemMaskAccept))
            return 1;
        return HasOptionForValue(context, id, &holder) ? 1 : 0;
    }
    CheckExchange exchange{&holder, settingsRecord, printerSettingsRecord};
    return record->handler(context, operation, id, &exchange);
}

bool StoreFunctionIdValue(uint16_t id, void* settingsRecord, void* printerSettingsRecord, uint32_t size,
                          uint16_t type, const void* holder)
{
    if (holder == nullptr)
        return false;
    if (size == kSizeOfType)
        size = GetValueSize(holder, type, -1);
    return SetFunctionIdValue(id, settingsRecord, printerSettingsRecord, type, size, holder) == kSettingOk;
}

namespace {

template <typename T>
int CompareAs(const void* a, const void* b)
{
    T x, y;
    std::memcpy(&x, a, sizeof x);
    std::memcpy(&y, b, sizeof y);
    return x > y ? 1 : (x < y ? -1 : 0);
}

int CompareStrings(const void* a, const void* b)
{
    const wchar_t* x = nullptr;
    const wchar_t* y = nullptr;
    std::memcpy(&x, a, sizeof x);
    std::memcpy(&y, b, sizeof y);
    if (x == nullptr || y == nullptr)
        return 2;
    for (;; ++x, ++y) {
        const auto ux = static_cast<uint16_t>(*x);
        const auto uy = static_cast<uint16_t>(*y);
        if (ux != uy)
            return ux > uy ? 1 : -1;
        if (ux == 0)
            return 0;
    }
}

}  // namespace

int CompareSettingValues(uint16_t type, const void* a, const void* b)
{
    if (a == nullptr || b == nullptr)
        return 2;
    switch (type) {
    case kTypeFlag:
    case kTypeS32:
    case kTypeFontS32: return CompareAs<int32_t>(a, b);
    case kTypeS16: return CompareAs<int16_t>(a, b);
    case kTypeU16: return CompareAs<uint16_t>(a, b);
    case kTypeU32: return CompareAs<uint32_t>(a, b);
    case kTypeByte: return CompareAs<uint8_t>(a, b);
    case kTypeString: return CompareStrings(a, b);
    default: return 2;
    }
}

namespace {

bool GroupIsWanted(uint16_t storageKind, const void* settingsRecord, const void* printerSettingsRecord)
{
    return storageKind == kStoragePrinter ? printerSettingsRecord != nullptr : settingsRecord != nullptr;
}

// The items of one group in table order. False when an item's default could
// not be made or stored; the items after it keep their zeros.
bool FillGroup(SettingsContext* context, const ItemRow* items, uint16_t count, void* settingsRecord,
               void* printerSettingsRecord, const wchar_t* deviceName)
{
    for (uint16_t i = 0; i < count; ++i) {
        uint64_t holder = 0;
        uint16_t type = 0;
        uint32_t size = 0;
        uint16_t status = kDefaultFailed;
        if (!GetItemDefault(context, printerSettingsRecord, deviceName, &items[i], &holder, &type, &size, &status)) {
            if (status == kDefaultAbsent)
                continue;  // the model lacks the feature: the record keeps zeros there
            return false;
        }
        const bool stored = StoreFunctionIdValue(static_cast<uint16_t>(items[i].id), settingsRecord,
                                                 printerSettingsRecord, size, type, &holder);
        FreeItemDefault(&items[i], holder, type);
        if (!stored)
            return false;
    }
    return true;
}

}  // namespace

int FillDefaultSettings(SettingsContext* context, void* settingsRecord, void* printerSettingsRecord,
                        const wchar_t* deviceName)
{
    if (settingsRecord != nullptr)
        std::memset(settingsRecord, 0, kSettingsRecordSize);
    if (printerSettingsRecord != nullptr)
        std::memset(printerSettingsRecord, 0, kPrinterSettingsRecordSize);
    // Every group is filled even after one failed, and any failure is reported:
    // a record with a group left at zeros is not a record of defaults.
    bool allFilled = true;
    for (uint32_t group = 0; group < kItemGroupCount; ++group) {
        const ItemRow* items = nullptr;
        uint16_t count = 0;
        uint16_t storageKind = 0;
        if (!GetItemGroup(group, &items, &count, &storageKind)) {
            allFilled = false;
            continue;
        }
        if (!GroupIsWanted(storageKind, settingsRecord, printerSettingsRecord))
            continue;
        if (!FillGroup(context, items, count, settingsRecord, printerSettingsRecord, deviceName))
            allFilled = false;
    }
    return allFilled ? 1 : 0;
}

int ResetFunctionIdToDefault(SettingsContext* context, uint16_t id, void* settingsRecord,
                             void* printerSettingsRecord)
{
    const ItemRow* item = FindItemById(id);
    uint64_t holder = 0;
    uint16_t type = 0;
    uint32_t size = 0;
    if (!GetItemDefault(context, printerSettingsRecord, nullptr, item, &holder, &type, &size, nullptr))
        return 0;
    const bool stored = StoreFunctionIdValue(id, settingsRecord, printerSettingsRecord, size, type, &holder);
    FreeItemDefault(item, holder, type);
    return stored ? 1 : 0;
}
