// Named entries the caller keeps beside the settings (stamps, margins, fax
// recipients, string records): found by name or position, brought into the
// settings, captured from them, and marked deleted.
#include "access/dma_id_map.h"
#include "access/dma_interface.h"
#include "access/dma_items.h"
#include "access/dma_text.h"

#include "common/context/value_by_type.h"
#include "common/settings/function_ids.h"
#include "common/settings/item_layout.h"
#include "common/settings/value_engine.h"
#include "common/settings/value_types.h"
#include "common/store/paper_margins.h"
#include "common/store/settings_blobs.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <span>
#include <string>
#include <vector>

namespace {

// One field of an entry: its setting, its type in the entry, offset and size.
struct DmaEntryItem {
    uint16_t itemId;
    uint16_t type;
    uint16_t offset;
    uint16_t size;
};

constexpr DmaEntryItem kStampItems[] = {
    {297, kTypeString, 0, 66},  {299, kTypeString, 66, 130}, {301, kTypeU32, 196, 4},
    {300, kTypeByte, 200, 1},   {1287, kTypeFlag, 204, 4},   {302, kTypeByte, 208, 1},
    {303, kTypeU16, 210, 2},    {1288, kTypeFlag, 212, 4},   {304, kTypeLogFont, 216, 92},
};
constexpr DmaEntryItem kSixStringItems[] = {
    {1819, kTypeString, 0, 82},   {1820, kTypeString, 82, 82},  {1821, kTypeString, 164, 418},
    {1822, kTypeString, 582, 62}, {1823, kTypeString, 644, 62}, {1876, kTypeString, 706, 258},
};
// The five-string record is the six-string record without its last field.
constexpr std::span<const DmaEntryItem> kFiveStringItems(kSixStringItems, 5);
constexpr DmaEntryItem kMarginNameItem = {1824, kTypeU16, 0, 2};
// The margin record lies at byte 4 of the entry; offsets count from there.
constexpr uint16_t kMarginRecordOffset = 4;
constexpr DmaEntryItem kMarginItems[] = {
    {1827, kTypeS32, 0, 4}, {1828, kTypeS32, 4, 4}, {1826, kTypeS32, 8, 4}, {1825, kTypeS32, 12, 4},
};
constexpr DmaEntryItem kRecipientItems[] = {
    {1794, kTypeU16, 0, 2},      {1795, kTypeString, 2, 258},   {1796, kTypeU16, 260, 2},
    {1797, kTypeString, 262, 82}, {1798, kTypeString, 344, 166}, {1810, kTypeU16, 510, 2},
    {1811, kTypeU16, 512, 2},    {1812, kTypeU16, 514, 2},      {1813, kTypeString, 516, 18},
    {1814, kTypeU16, 534, 2},    {1815, kTypeU16, 536, 2},      {1816, kTypeString, 538, 120},
    {1817, kTypeString, 658, 42}, {1818, kTypeString, 700, 42},
};

// Searches: for reading into the settings only entries in use; for capturing
// and deleting deleted entries too. Free entries are never found by name.
constexpr uint8_t kMaskInUse = 0xFD;
constexpr uint8_t kMaskInUseOrDeleted = 0xFF;

constexpr int kApplyByName = 0;
constexpr int kApplyLast = 1;

// Paper numbers as entry names: at most five characters, leading digits.
constexpr size_t kMarginNameLimit = 5;

struct EntryKind {
    int kind;
    int setIndex;
    std::span<const DmaEntryItem> items;  // the values brought in and captured
    const DmaEntryItem* name;             // the field that names an entry; null: by position
    int notFound;
};

constexpr EntryKind kEntryKinds[] = {
    {kDmaTargetStamp, kDmaEntrySetStamps, kStampItems, &kStampItems[0], kDmaNoEntry},
    {kDmaTargetFiveStrings, kDmaEntrySetFiveStrings, kFiveStringItems, &kSixStringItems[0], kDmaNoEntry},
    {kDmaTargetSixStrings, kDmaEntrySetSixStrings, kSixStringItems, &kSixStringItems[0], kDmaNoEntry},
    {kDmaTargetMargin, kDmaEntrySetMargins, kMarginItems, &kMarginNameItem, kDmaNoMargin},
    {kDmaTargetRecipient, kDmaEntrySetRecipients, kRecipientItems, nullptr, kDmaNoRecipient},
};

const EntryKind* FindEntryKind(int kind)
{
    for (const EntryKind& entry : kEntryKinds)
        if (entry.kind == kind)
            return &entry;
    return nullptr;
}

bool ValidType(uint16_t type)
{
    return (type >= kTypeFlag && type <= kTypeString) || (type >= kTypeByte && type <= kTypeFontS32);
}

// The caller's list, checked: a stride that cannot hold the kind's record would
// make writes run into the next entry or past the list.
const DmaEntrySet* CheckedEntrySet(const DmaDataSet* set, const EntryKind& kind)
{
    const DmaEntrySet& entries = set->entrySets[kind.setIndex];
    if (entries.count > 0 &&
        (!entries.flags || !entries.entries ||
         entries.entrySize < static_cast<uint32_t>(DMA_QueryStructSize(kind.kind))))
        return nullptr;
    return &entries;
}

uint8_t* EntryAt(const DmaEntrySet& entries, uint32_t index)
{
    return entries.entries + static_cast<size_t>(index) * entries.entrySize;
}

bool EntryName(const EntryKind& kind, const uint8_t* entry, std::string* name)
{
    const DmaEntryItem& field = *kind.name;
    if (field.type == kTypeString)
        return AnsiFromWideField(reinterpret_cast<const wchar_t*>(entry + field.offset), field.size / sizeof(wchar_t),
                                 name);
    uint16_t paper = 0;
    std::memcpy(&paper, entry + field.offset, sizeof paper);
    char text[8];
    std::snprintf(text, sizeof text, "%u", paper);
    *name = text;
    return true;
}

// The index of the first entry named `name` whose flag passes the mask; -1 when none.
int FindEntryByName(const EntryKind& kind, const DmaEntrySet& entries, const char* name, uint8_t mask)
{
    std::string entryName;
    for (uint32_t i = 0; i < entries.count; ++i) {
        if (!EntryName(kind, EntryAt(entries, i), &entryName))
            return -1;
        if ((entries.flags[i] & mask) != 0 && entryName == name)
            return static_cast<int>(i);
    }
    return -1;
}

// A recipient's 1-based position travels in the low 16 bits of the name argument.
uint32_t PositionOf(const char* name)
{
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(name) & 0xFFFF);
}

int FindRecipient(const DmaEntrySet& entries, const char* name, uint8_t mask)
{
    const uint32_t position = PositionOf(name);
    if (position == 0 || position > entries.count || (entries.flags[position - 1] & mask) == 0)
        return -1;
    return static_cast<int>(position - 1);
}

int FindEntry(const EntryKind& kind, const DmaEntrySet& entries, const char* name, uint8_t mask)
{
    if (!kind.name)
        return FindRecipient(entries, name, mask);
    return name ? FindEntryByName(kind, entries, name, mask) : -1;
}

// Sets one field of an entry into the settings.
bool BringIn(const DmaDataSet* set, const DmaEntryItem& field, const uint8_t* place)
{
    DmaItem item;
    if (ResolveSettingItem(set, field.itemId, &item) != kDmaOk)
        return false;
    if (field.type == kTypeString) {
        std::wstring text(reinterpret_cast<const wchar_t*>(place),
                          wcsnlen(reinterpret_cast<const wchar_t*>(place), field.size / sizeof(wchar_t)));
        return WriteSettingData(set, item, text.c_str(), static_cast<uint32_t>((text.size() + 1) * sizeof(wchar_t)));
    }
    if (field.type == kTypeLogFont) {
        LOGFONTW font;
        std::memcpy(&font, place, sizeof font);
        return WriteSettingData(set, item, &font, sizeof font);
    }
    uint32_t value = 0;
    std::memcpy(&value, place, std::min<size_t>(field.size, sizeof value));
    return WriteSettingNumber(field.itemId, set->settingsRecord, set->printerSettingsRecord, value) != 0;
}

// Reads one setting into its field of an entry.
bool Capture(const DmaDataSet* set, const DmaEntryItem& field, uint8_t* place)
{
    if (field.type == kTypeString || field.type == kTypeLogFont) {
        DmaItem item;
        if (ResolveSettingItem(set, field.itemId, &item) != kDmaOk)
            return false;
        const size_t copied = std::min<size_t>(field.size, item.layout.room);
        std::memset(place, 0, field.size);
        std::memcpy(place, item.layout.address, copied);
        return true;
    }
    uint16_t type = 0, kind = 0;
    uint32_t size = 0;
    uint8_t holder[kValueHolderSize] = {};
    if (dma_GetValue(field.itemId, set->settingsRecord, set->printerSettingsRecord, &type, &size, holder, &kind) !=
        kSettingOk)
        return false;
    std::memcpy(place, holder, std::min<size_t>(field.size, sizeof holder));
    return true;
}

bool ReadOrientation(const DmaDataSet* set, int* orientation)
{
    uint32_t value = 0;
    if (!ReadSettingNumber(kFidOrientation, set->settingsRecord, set->printerSettingsRecord, &value))
        return false;
    *orientation = static_cast<int32_t>(value);
    return true;
}

int BringInMargins(const DmaDataSet* set, const uint8_t* entry)
{
    int orientation = 0;
    if (!ReadOrientation(set, &orientation))
        return kDmaFailed;
    PaperMarginRecord stored;
    std::memcpy(&stored, entry + kMarginRecordOffset, sizeof stored);
    uint32_t oriented[4] = {};
    if (RotateMargins(kMarginsFromStored, orientation, &stored, oriented) != kMarginOk)
        return kDmaFailed;
    for (size_t i = 0; i < std::size(kMarginItems); ++i)
        if (!WriteSettingNumber(kMarginItems[i].itemId, set->settingsRecord, set->printerSettingsRecord, oriented[i]))
            return kDmaFailed;
    return kDmaOk;
}

int CaptureMargins(const DmaDataSet* set, uint8_t* entry)
{
    int orientation = 0;
    if (!ReadOrientation(set, &orientation))
        return kDmaFailed;
    uint32_t oriented[4] = {};
    for (size_t i = 0; i < std::size(kMarginItems); ++i)
        if (!ReadSettingNumber(kMarginItems[i].itemId, set->settingsRecord, set->printerSettingsRecord, &oriented[i]))
            return kDmaFailed;
    PaperMarginRecord stored{};
    if (RotateMargins(kMarginsToStored, orientation, &stored, oriented) != kMarginOk)
        return kDmaFailed;
    std::memcpy(entry + kMarginRecordOffset, &stored, sizeof stored);
    return kDmaOk;
}

// The paper number a margin entry's name gives: at most five characters,
// starting with a digit, 1-65535; 0 when the name is not one.
uint16_t PaperNumberOfName(const char* name)
{
    const size_t length = strnlen(name, kMarginNameLimit + 1);
    if (length == 0 || length > kMarginNameLimit || name[0] < '0' || name[0] > '9')
        return 0;
    uint32_t number = 0;
    for (size_t i = 0; i < length && name[i] >= '0' && name[i] <= '9'; ++i)
        number = number * 10 + static_cast<uint32_t>(name[i] - '0');
    return number >= 1 && number <= 0xFFFF ? static_cast<uint16_t>(number) : 0;
}

// Writes the name the caller gave into a captured entry; false when it cannot be one.
bool NameEntry(const EntryKind& kind, const char* name, uint8_t* entry)
{
    const DmaEntryItem& field = *kind.name;
    if (field.type == kTypeString) {
        std::wstring wide;
        return WideFromAnsi(name, strlen(name), &wide) &&
               StoreWideField(wide, reinterpret_cast<wchar_t*>(entry + field.offset), field.size / sizeof(wchar_t));
    }
    const uint16_t paper = PaperNumberOfName(name);
    if (paper == 0)
        return false;
    std::memcpy(entry + field.offset, &paper, sizeof paper);
    return true;
}

// The common first steps of the entry exports: a known kind (one whose entries
// have names when `namedOnly`), a set, and a usable list of that kind.
int OpenEntries(const DmaDataSet* set, int kind, bool namedOnly, const EntryKind** entryKind,
                const DmaEntrySet** entries)
{
    *entryKind = FindEntryKind(kind);
    if (!*entryKind || (namedOnly && !(*entryKind)->name))
        return kDmaUnknownTarget;
    if (!set)
        return kDmaFailed;
    *entries = CheckedEntrySet(set, **entryKind);
    return *entries ? kDmaOk : kDmaFailed;
}

}  // namespace

extern "C" {

int DMA_GetNameFromInfo(const void* entry, int kind, uint32_t* size, char* buffer)
{
    const EntryKind* entryKind = FindEntryKind(kind);
    if (!entryKind || !entryKind->name)
        return kDmaUnknownTarget;
    if (!entry || !size)
        return kDmaFailed;
    std::string name;
    if (!EntryName(*entryKind, static_cast<const uint8_t*>(entry), &name))
        return kDmaFailed;
    const uint32_t needed = static_cast<uint32_t>(name.size()) + 1;
    if (!buffer || *size < needed) {
        *size = needed;
        return kDmaSizeAnswered;
    }
    std::memcpy(buffer, name.c_str(), needed);
    return kDmaOk;
}

int DMA_AccessibleData(DmaDataSet* set, int kind, const char* name)
{
    const EntryKind* entryKind = nullptr;
    const DmaEntrySet* entries = nullptr;
    const int opened = OpenEntries(set, kind, false, &entryKind, &entries);
    if (opened != kDmaOk)
        return opened;
    const int index = FindEntry(*entryKind, *entries, name, kMaskInUse);
    if (index < 0)
        return entryKind->notFound;
    const uint8_t* entry = EntryAt(*entries, static_cast<uint32_t>(index));
    if (kind == kDmaTargetMargin)
        return BringInMargins(set, entry);
    for (const DmaEntryItem& field : entryKind->items)
        if (!BringIn(set, field, entry + field.offset))
            return kDmaFailed;
    return kDmaOk;
}

int DMA_DeleteData(DmaDataSet* set, int kind, const char* name)
{
    const EntryKind* entryKind = nullptr;
    const DmaEntrySet* entries = nullptr;
    const int opened = OpenEntries(set, kind, true, &entryKind, &entries);
    if (opened != kDmaOk)
        return opened;
    const int index = FindEntry(*entryKind, *entries, name, kMaskInUseOrDeleted);
    if (index < 0)
        return entryKind->notFound;
    entries->flags[index] = kDmaEntryDeleted;
    return kDmaOk;
}

int DMA_ApplyData(DmaDataSet* set, int kind, int mode, const char* name)
{
    if (mode != kApplyByName && mode != kApplyLast)
        return FindEntryKind(kind) ? kDmaUnknownMode : kDmaUnknownTarget;
    const EntryKind* entryKind = nullptr;
    const DmaEntrySet* entries = nullptr;
    const int opened = OpenEntries(set, kind, false, &entryKind, &entries);
    if (opened != kDmaOk)
        return opened;
    if (kind == kDmaTargetRecipient && !set->faxSendListHeader)
        return kDmaFailed;
    int index = -1;
    if (mode == kApplyLast)
        index = static_cast<int>(entries->count) - 1;
    else
        index = FindEntry(*entryKind, *entries, name, kMaskInUseOrDeleted);
    if (index < 0)
        return entryKind->notFound;
    if (entryKind->name && !name)
        return kDmaFailed;

    // The entry is built apart and written only when every step has succeeded,
    // so a refused name or a failed read leaves the caller's entry as it was.
    uint8_t* entry = EntryAt(*entries, static_cast<uint32_t>(index));
    std::vector<uint8_t> captured(entry, entry + DMA_QueryStructSize(kind));
    if (kind == kDmaTargetMargin) {
        if (CaptureMargins(set, captured.data()) != kDmaOk)
            return kDmaFailed;
    } else {
        for (const DmaEntryItem& field : entryKind->items)
            if (!Capture(set, field, captured.data() + field.offset))
                return kDmaFailed;
    }
    if (entryKind->name && !NameEntry(*entryKind, name, captured.data()))
        return kDmaFailed;
    std::memcpy(entry, captured.data(), captured.size());
    entries->flags[index] = kDmaEntryInUse;
    if (kind == kDmaTargetRecipient)
        std::memcpy(set->faxSendListHeader, kFaxSendListTag, sizeof kFaxSendListTag);
    return kDmaOk;
}

int DMA_EnumDMAID_ByTargetInfo(DmaDataSet* set, int kind, uint32_t* count, DmaIdBits* results)
{
    if (!set || !count)
        return kDmaFailed;
    std::vector<std::pair<uint16_t, uint16_t>> items;  // setting and type, in walk order
    if (kind == kDmaTargetAll) {
        for (const ItemLayoutRange* range = kItemLayoutRanges; range->rows; ++range)
            for (const ItemLayoutRow* row = range->rows; row->id != 0; ++row)
                items.emplace_back(row->id, row->reportedType != 0 ? row->reportedType : row->storedType);
    } else if (const EntryKind* entryKind = FindEntryKind(kind)) {
        for (const DmaEntryItem& field : entryKind->items)
            items.emplace_back(field.itemId, field.type);
    } else {
        return kDmaUnknownTarget;
    }
    const uint32_t capacity = *count;
    uint32_t found = 0;
    for (const auto& [itemId, type] : items) {
        const uint16_t dmaId = ItemIdToDmaId(itemId);
        if (dmaId == 0)
            continue;
        if (!ValidType(type))
            return kDmaFailed;
        if (results) {
            if (found == capacity) {
                *count = found;
                return kDmaSizeAnswered;
            }
            uint32_t bits = results[found].bits & ~(kDmaBitString | kDmaBitLogFont);
            if (type == kTypeString)
                bits |= kDmaBitString;
            else if (type == kTypeLogFont)
                bits |= kDmaBitLogFont;
            results[found] = {dmaId, bits};
        }
        ++found;
    }
    *count = found;
    return results ? kDmaOk : kDmaSizeAnswered;
}

}  // extern "C"
