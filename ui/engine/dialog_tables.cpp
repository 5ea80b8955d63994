#include "ui/engine/dialog_tables.h"

#include "common/context/option_list.h"
#include "common/system/global_block.h"
#include "ui/engine/dialog_context.h"
#include "ui/support/keyed_list.h"

#include <cstring>

namespace {

// Push-button actions of the shared buttons (the push-button kind reads the
// first u32 of its parameter block).
constexpr uint64_t kPushButtonKind = 6;
constexpr uint32_t kActionOk = 1;
constexpr uint32_t kActionCancel = 2;
constexpr uint32_t kActionDefaults = 3;
constexpr uint32_t kActionHelp = 6;
constexpr uint32_t kEnabledWhenReadOnly = kItemEnabledWhenReadOnly;

}  // namespace

const ItemRecord CommonItems[kCommonItemCount] = {
    {1092, 0, nullptr, kPushButtonKind, nullptr, &kActionOk, kNoControl, kNoControl, &kEnabledWhenReadOnly},
    {1091, 0, nullptr, kPushButtonKind, nullptr, &kActionCancel, kNoControl, kNoControl, &kEnabledWhenReadOnly},
    {IDCANCEL, 0, nullptr, kPushButtonKind, nullptr, &kActionCancel, kNoControl, kNoControl, &kEnabledWhenReadOnly},
    {1090, 0, nullptr, kPushButtonKind, nullptr, &kActionDefaults, kNoControl, kNoControl, nullptr},
    {1341, 0, nullptr, kPushButtonKind, nullptr, &kActionHelp, kNoControl, kNoControl, &kEnabledWhenReadOnly},
};

ItemTableHeader** BuildDialogTables(const PageDescriptor* const* list, size_t count)
{
    auto tables = AllocGlobalBlock<ItemTableHeader*>(sizeof(ItemTableHeader*) * kDialogCodeCount);
    if (!tables)
        return nullptr;
    for (uint32_t code = 0; code < kDialogCodeCount; ++code) {
        for (size_t i = 0; list && i < count; ++i) {
            const PageDescriptor* entry = list[i];
            if (!entry || static_cast<uint32_t>(entry->pageKind) != code)
                continue;
            // The first entry of a code decides, also when it has no item table.
            if (entry->items) {
                auto copy = AllocGlobalBlock<ItemTableHeader>(sizeof(ItemTableHeader));
                if (!copy) {
                    FreeDialogTables(tables.release());
                    return nullptr;
                }
                *copy = *entry->items;
                copy->reinitialise = 0;
                tables.get()[code] = copy.release();
            }
            break;
        }
    }
    return tables.release();
}

void FreeDialogTables(ItemTableHeader** tables)
{
    if (!tables)
        return;
    for (uint32_t code = 0; code < kDialogCodeCount; ++code)
        FreeGlobalIfSet(tables[code]);
    GlobalFree(tables);
}

DialogTableSet* CreateDialogTableSet(const PageDescriptor* const* list, size_t count)
{
    auto set = AllocGlobalBlock<DialogTableSet>(sizeof(DialogTableSet));
    if (!set)
        return nullptr;
    set->tables = BuildDialogTables(list, count);
    set->optionCache = CreateKeyedList();
    if (!set->tables || !set->optionCache) {
        FreeDialogTableSet(set.release());
        return nullptr;
    }
    return set.release();
}

void FreeDialogTableSet(DialogTableSet* set)
{
    if (!set)
        return;
    FreeDialogTables(set->tables);
    if (set->optionCache) {
        KeyedListNode* next = nullptr;
        for (void* data = GetFirstKeyedListData(set->optionCache, &next); data;
             data = GetNextKeyedListData(next, &next)) {
            auto* entry = static_cast<OptionListCacheEntry*>(data);
            FreeOptionList(entry->list);
            GlobalFree(entry);
        }
        FreeKeyedList(&set->optionCache);
    }
    GlobalFree(set);
}

const PageHeader** CollectPageHeaders(const PageDescriptor* const* list, size_t count, size_t* headers)
{
    if (headers)
        *headers = 0;
    size_t found = 0;
    for (size_t i = 0; list && i < count; ++i)
        found += list[i] && list[i]->header ? 1 : 0;
    if (!found || !headers)
        return nullptr;
    auto block = AllocGlobalBlock<const PageHeader*>(sizeof(const PageHeader*) * found);
    if (!block)
        return nullptr;
    size_t n = 0;
    for (size_t i = 0; i < count; ++i)
        if (list[i] && list[i]->header)
            block.get()[n++] = list[i]->header;
    *headers = n;
    return block.release();
}

ItemTableHeader* GetDialogTableHeader(HWND window, int32_t code)
{
    if (code < 0 || static_cast<uint32_t>(code) >= kDialogCodeCount)
        return nullptr;
    const DialogTableSet* set = GetUiDialogTables(GetWindowUiContext(window));
    return set && set->tables ? set->tables[code] : nullptr;
}

int GetDialogItemTable(HWND window, int32_t code, const ItemRecord** records, int32_t* count)
{
    const ItemTableHeader* header = GetDialogTableHeader(window, code);
    if (!header || !records || !count)
        return 0;
    *records = header->records;
    *count = static_cast<int32_t>(header->count);
    return 1;
}

const ItemRecord* GetDialogItemRecords(HWND window, int32_t code)
{
    const ItemTableHeader* header = GetDialogTableHeader(window, code);
    return header ? header->records : nullptr;
}

int32_t GetDialogItemCount(HWND window, int32_t code)
{
    const ItemTableHeader* header = GetDialogTableHeader(window, code);
    return header ? static_cast<int32_t>(header->count) : -1;
}

const ItemRecord* FindItemRecord(HWND window, int32_t code, int32_t controlId)
{
    const ItemRecord* records = nullptr;
    int32_t count = 0;
    if (GetDialogItemTable(window, code, &records, &count))
        for (int32_t i = 0; i < count; ++i)
            if (records[i].controlId == controlId)
                return &records[i];
    for (const ItemRecord& item : CommonItems)
        if (item.controlId == controlId)
            return &item;
    return nullptr;
}

const ItemRecord* GetItemRecordAt(const ItemRecord* records, int32_t index)
{
    return records && index >= 0 ? &records[index] : nullptr;
}

const ItemRecord* FindCompanionItem(const CallContext* call, HWND window, const ItemRecord* item, uint64_t kind)
{
    if (!call || !item || !item->slots)
        return nullptr;
    const ItemRecord* records = nullptr;
    int32_t count = 0;
    if (!GetDialogItemTable(window, static_cast<int32_t>(call->dialogCode), &records, &count))
        return nullptr;
    for (int32_t i = 0; i < count; ++i)
        if (records[i].slots == item->slots && records[i].kind == kind)
            return &records[i];
    return nullptr;
}

int32_t GetItemControlId(const ItemRecord* item) { return item ? item->controlId : 0; }
int32_t GetItemValueCount(const ItemRecord* item) { return item ? item->slotCount : -1; }
const void* GetItemParameter(const ItemRecord* item) { return item ? item->parameters : nullptr; }
uint64_t GetItemKind(const ItemRecord* item) { return item ? item->kind : 0; }
uint32_t GetItemFlags(const ItemRecord* item) { return item && item->flags ? *item->flags : 0; }

const ItemSlot* GetItemSlotEntry(const ItemRecord* item, int32_t index)
{
    if (!item || !item->slots || index < 0 || index >= item->slotCount)
        return nullptr;
    return &item->slots[index];
}

int FindItemSettingIndex(const ItemRecord* item, uint16_t setting, int32_t* index)
{
    if (index)
        *index = 0;
    for (int32_t i = 0; item && item->slots && i < item->slotCount; ++i)
        if (item->slots[i].setting == setting) {
            if (index)
                *index = i;
            return 1;
        }
    return 0;
}

const void* GetTableRow32(const void* base, int32_t index)
{
    return base ? static_cast<const uint8_t*>(base) + 32 * static_cast<ptrdiff_t>(index) : nullptr;
}
