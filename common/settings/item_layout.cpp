#include "common/settings/item_layout.h"

#include "common/settings/value_types.h"

namespace {

// The first range that holds the identifier decides, even when its list does
// not name it.
const ItemLayoutRange* FindRange(uint16_t id)
{
    const ItemLayoutRange* range = kItemLayoutRanges;
    for (; range->rows != nullptr; ++range)
        if (range->first <= id && id <= range->last)
            return range;
    return nullptr;
}

const ItemLayoutRow* FindRow(const ItemLayoutRange* range, uint16_t id)
{
    const ItemLayoutRow* row = range->rows;
    while (row->id != 0 && row->id != id)
        ++row;
    return row->id != 0 ? row : nullptr;
}

}  // namespace

bool FindItemValueType(uint16_t id, uint16_t* type)
{
    const ItemLayoutRange* range = FindRange(id);
    const ItemLayoutRow* row = range != nullptr ? FindRow(range, id) : nullptr;
    if (row == nullptr || type == nullptr)
        return false;
    *type = row->reportedType != 0 ? row->reportedType : row->storedType;
    return true;
}

uint16_t FindItemLayout(uint16_t id, void* settingsRecord, void* printerSettingsRecord,
                        ItemLayout* layout)
{
    if (layout == nullptr)
        return kSettingUnknown;

    const ItemLayoutRange* range = FindRange(id);
    if (range == nullptr)
        return kSettingNoRange;
    layout->storageKind = range->storageKind;

    const ItemLayoutRow* row = FindRow(range, id);
    if (row == nullptr)
        return kSettingUnknown;

    layout->storedType = row->storedType;
    layout->reportedType = row->reportedType;
    layout->room = row->room;
    layout->offset = row->offset;

    uint8_t* base = nullptr;
    switch (range->storageKind) {
    case kStoragePublic:
        base = static_cast<uint8_t*>(settingsRecord);
        break;
    case kStoragePrivate:
        if (settingsRecord != nullptr)
            base = static_cast<uint8_t*>(settingsRecord) + kPrivatePartOffset;
        break;
    case kStoragePrinter:
        base = static_cast<uint8_t*>(printerSettingsRecord);
        break;
    }
    if (base == nullptr)
        return kSettingUnknown;
    layout->address = base + row->offset;

    if (!GetTypeHolderSize(id, row->storedType, &layout->holderSize))
        return kSettingUnknown;
    return kSettingOk;
}

bool GetTypeHolderSize(uint16_t /*id*/, uint16_t type, uint32_t* size)
{
    uint32_t bytes = 0;
    switch (type) {
    case kTypeFlag:
    case kTypeS32:
    case kTypeU32:
    case kTypeFontS32:
        bytes = 4;
        break;
    case kTypeS16:
    case kTypeU16:
        bytes = 2;
        break;
    case kTypeByte:
        bytes = 1;
        break;
    case kTypeString:
    case kTypeLogFont:
        bytes = kValueHolderSize;
        break;
    default:
        return false;
    }
    if (size != nullptr)
        *size = bytes;
    return true;
}

bool FindBitFlagMask(uint16_t id, uint32_t* mask)
{
    for (const BitFlagRow* const* table = kBitFlagTables; *table != nullptr; ++table) {
        // Each table is in identifier order, so a table whose first row is
        // already past the identifier cannot hold it.
        for (const BitFlagRow* row = *table; row->id != 0 && row->id <= id; ++row) {
            if (row->id == id) {
                if (mask != nullptr)
                    *mask = row->mask;
                return true;
            }
        }
    }
    return false;
}

bool IsFlagRangeId(uint16_t id)
{
    return (id >= 1281 && id <= 1376) || (id >= 2305 && id <= 2560) ||
           (id >= 4097 && id <= 4161) || (id >= 4609 && id <= 4640);
}
