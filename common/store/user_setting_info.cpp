#include "common/store/user_setting_info.h"

#include "common/model/model_kinds.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/store/printer_data.h"
#include "common/store/user_store.h"
#include "common/system/global_block.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

namespace {

constexpr UserSettingItem kGroup2Items[] = {
    {5129, kTypeString, 76, 50},
    {5130, kTypeString, 126, 10},
    {5146, kTypeU16, 136, 2},
    {5147, kTypeString, 138, 258},
    {5159, kTypeString, 396, 34},  // kept scrambled in both places
};

constexpr UserSettingItem kGroup1Items[] = {
    {5150, kTypeString, 432, 66},  {5148, kTypeString, 498, 258}, {5161, kTypeString, 756, 346},
    {5167, kTypeString, 1102, 66}, {5214, kTypeString, 1168, 130}, {5165, kTypeByte, 1298, 1},
    {5169, kTypeU32, 1300, 4},     {5171, kTypeU32, 1304, 4},      {5173, kTypeU32, 1308, 4},
    {5178, kTypeU16, 1312, 2},     {5180, kTypeString, 1314, 50},  {5182, kTypeString, 1364, 34},
};

constexpr UserSettingItem kGroup4Items[] = {
    {5174, kTypeString, 1402, 66}, {5175, kTypeString, 1468, 346}, {5176, kTypeString, 1814, 66},
    {5215, kTypeString, 1880, 130}, {5184, kTypeString, 2010, 50}, {5185, kTypeString, 2060, 34},
    {5183, kTypeByte, 2094, 1},
};

// Fields of the older layouts: where they were and where version 4 keeps them.
struct MovedField {
    uint16_t from;
    uint16_t to;
    uint16_t size;
};

constexpr MovedField kVersion1Fields[] = {
    {72, 432, 66}, {138, 498, 258}, {396, 76, 50}, {446, 126, 10}, {456, 136, 2}, {458, 138, 258},
};
constexpr MovedField kVersion2Fields[] = {
    {74, 76, 354},
    {430, 432, 670},
};
constexpr MovedField kVersion3Fields[] = {
    {74, 76, 354},     {432, 432, 882},   {1922, 1314, 50}, {1972, 1364, 34}, {1314, 1402, 66}, {1380, 1468, 346},
    {1726, 1814, 66}, {1792, 1880, 130}, {2008, 2010, 50}, {2058, 2060, 34}, {2006, 2094, 1},
};

constexpr std::span<const MovedField> kOlderLayouts[] = {kVersion1Fields, kVersion2Fields, kVersion3Fields};

constexpr uint16_t kGroupFlagsItemOffset = 1312;  // setting 5178
constexpr uint16_t kGroupFlagsItemValue = 7;

uint8_t* Bytes(UserSettingInfo* record)
{
    return reinterpret_cast<uint8_t*>(record);
}

const uint8_t* Bytes(const UserSettingInfo* record)
{
    return reinterpret_cast<const uint8_t*>(record);
}

// Reads one item of the printer settings record into its place in the block.
int CaptureItem(void* printerSettingsRecord, const UserSettingItem& item, uint8_t* block)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdValue(item.id, nullptr, printerSettingsRecord, &type, &size, &holder) != kSettingOk)
        return 0;
    uint8_t* place = block + item.offset;
    if (item.type != kTypeString) {
        std::memcpy(place, &holder, item.size);
        return 1;
    }
    const auto* text = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(holder));
    if (!text)
        return 0;
    const size_t room = item.size / sizeof(wchar_t);
    const size_t length = wcsnlen(text, room - 1);
    std::memcpy(place, text, length * sizeof(wchar_t));
    std::memset(place + length * sizeof(wchar_t), 0, item.size - length * sizeof(wchar_t));
    return 1;
}

int ApplyItem(void* printerSettingsRecord, const UserSettingItem& item, const uint8_t* block)
{
    const uint8_t* place = block + item.offset;
    uint64_t holder = 0;
    // A stored block may hold a text without its terminator: it is cut to its room.
    wchar_t text[346 / sizeof(wchar_t)];
    if (item.type == kTypeString) {
        const size_t room = item.size / sizeof(wchar_t);
        std::memcpy(text, place, item.size);
        text[room - 1] = L'\0';
        holder = reinterpret_cast<uintptr_t>(text);
    } else {
        std::memcpy(&holder, place, item.size);
    }
    return SetFunctionIdValue(item.id, nullptr, printerSettingsRecord, item.type, item.size, &holder) == kSettingOk;
}

const UserSettingGroup* FindGroup(uint16_t bit)
{
    for (const UserSettingGroup& group : kUserSettingGroups)
        if (group.bit == bit)
            return &group;
    return nullptr;
}

// Copies a group's size word and data from one block to another.
void CopyGroup(UserSettingInfo* to, const UserSettingInfo* from, const UserSettingGroup& group)
{
    std::memcpy(Bytes(to) + group.sizeOffset, Bytes(from) + group.sizeOffset, sizeof(uint16_t) + group.size);
}

// The stored block: StoredRead::kRead with its bytes, or the other answers of the
// per-user read.
StoredRead ReadStoredBlock(HANDLE printer, const wchar_t* basePath, std::vector<uint8_t>& stored)
{
    uint8_t* block = nullptr;
    uint32_t size = 0;
    const StoredRead status = ReadUserValue(printer, basePath, nullptr, kUserSettingInfoValueName, &block, &size);
    GlobalBlockPtr<uint8_t> owned(block);
    if (status == StoredRead::kRead)
        stored.assign(block, block + size);
    return status;
}

int ReadPrinterWideBlock(HANDLE printer, std::vector<uint8_t>& stored)
{
    uint32_t size = 0;
    if (!ReadPrinterDataTable(printer, kUserSettingInfoTable, nullptr, &size))
        return 0;
    stored.assign(size < kUserSettingInfoSize ? kUserSettingInfoSize : size, 0);
    return ReadPrinterDataTable(printer, kUserSettingInfoTable, stored.data(), &size);
}

// One pass of the load; `printerWide` reads only printer data.
int LoadOnce(HANDLE printer, const wchar_t* basePath, const UserSettingInfo& defaults, UserSettingInfo* record,
             bool printerWide, bool setGroupFlagsItem)
{
    std::vector<uint8_t> stored;
    bool fromPrinterData = false;
    if (!printerWide) {
        const StoredRead status = ReadStoredBlock(printer, basePath, stored);
        if (status == StoredRead::kError)
            return 0;
        printerWide = status == StoredRead::kNotStored;
    }
    if (printerWide)
        fromPrinterData = ReadPrinterWideBlock(printer, stored);

    *record = defaults;
    if (!stored.empty()) {
        if (!ConvertUserSettingInfo(stored.data(), static_cast<uint32_t>(stored.size()), record, setGroupFlagsItem))
            *record = defaults;
        else if (fromPrinterData)
            record->groupFlags = kUserGroup2;  // the printer-wide copy lends only group 2
    }
    for (const UserSettingGroup& group : kUserSettingGroups)
        if (!(record->groupFlags & group.bit))
            CopyGroup(record, &defaults, group);
    return 1;
}

}  // namespace

const UserSettingGroup kUserSettingGroups[3] = {
    {kUserGroup2, 74, 354, kGroup2Items},
    {kUserGroup1, 430, 968, kGroup1Items},
    {kUserGroup4, 1400, 694, kGroup4Items},
};

const UserSettingItem kUserSettingHeaderItems[3] = {
    {kFidPrinterCommonVersion, kTypeU16, 2, 2},
    {kFidPrinterPrivateVersion, kTypeU16, 4, 2},
    {5137, kTypeU16, 6, 2},
};

int IsUserSettingId(uint16_t id)
{
    for (const UserSettingGroup& group : kUserSettingGroups)
        for (const UserSettingItem& item : group.items)
            if (item.id == id)
                return 1;
    return 0;
}

void StampUserSettingInfo(UserSettingInfo* record)
{
    record->version = kUserSettingInfoVersion;
    record->groupFlags = kUserGroupsAll;
    for (const UserSettingGroup& group : kUserSettingGroups)
        std::memcpy(Bytes(record) + group.sizeOffset, &group.size, sizeof group.size);
}

int FillUserSettingInfoDefaults(ModelDataRecord* main, ModelDataRecord* linked, UserSettingInfo* record)
{
    if (!main || !record)
        return 0;
    StampUserSettingInfo(record);
    for (const UserSettingGroup& group : kUserSettingGroups) {
        for (const UserSettingItem& item : group.items) {
            ModelValue value;
            const uint16_t status = ReadModelDefault(main, linked, item.id, &value);
            if (status == kModelAbsent)
                continue;
            if (status != kModelOk)
                return 0;
            uint8_t* place = Bytes(record) + item.offset;
            if (item.type == kTypeString) {
                if (value.type != kValueString)
                    return 0;
                const size_t room = item.size / sizeof(wchar_t);
                const size_t length =
                    value.data ? wcsnlen(reinterpret_cast<const wchar_t*>(value.data), value.size / sizeof(wchar_t))
                               : 0;
                const size_t kept = length < room ? length : room - 1;
                std::memset(place, 0, item.size);
                std::memcpy(place, value.data, kept * sizeof(wchar_t));
            } else {
                uint32_t number = 0;
                if (!ModelValueNumber(value, &number))
                    return 0;
                std::memcpy(place, &number, item.size);
            }
        }
    }
    return 1;
}

int CaptureUserSettingInfo(const wchar_t* modelName, void* printerSettingsRecord, UserSettingInfo* record)
{
    if (!modelName || !printerSettingsRecord || !record)
        return 0;
    UserSettingInfo captured = {};
    StampUserSettingInfo(&captured);
    for (const UserSettingItem& item : kUserSettingHeaderItems)
        if (!CaptureItem(printerSettingsRecord, item, Bytes(&captured)))
            return 0;
    for (const UserSettingGroup& group : kUserSettingGroups)
        for (const UserSettingItem& item : group.items)
            if (!CaptureItem(printerSettingsRecord, item, Bytes(&captured)))
                return 0;
    // The field holds 32 characters and needs no terminator when full: the
    // group flags follow it directly.
    wcsncpy(captured.modelName, modelName, kUserModelNameChars);
    *record = captured;
    return 1;
}

int ApplyUserSettingInfo(void* printerSettingsRecord, const UserSettingInfo* record, uint16_t groups)
{
    if (!printerSettingsRecord || !record)
        return 0;
    for (const UserSettingGroup& group : kUserSettingGroups) {
        if (!(groups & group.bit))
            continue;
        for (const UserSettingItem& item : group.items)
            if (!ApplyItem(printerSettingsRecord, item, Bytes(record)))
                return 0;
    }
    return 1;
}

uint32_t UserSettingInfoBlockSize(uint16_t version)
{
    if (version == kUserSettingInfoVersion)
        return kUserSettingInfoSize;
    if (version < 1 || version > 3)
        return 0;
    uint32_t extent = 0;
    for (const MovedField& field : kOlderLayouts[version - 1])
        extent = std::max<uint32_t>(extent, uint32_t{field.from} + field.size);
    return extent;
}

int ConvertUserSettingInfo(const uint8_t* stored, uint32_t size, UserSettingInfo* destination,
                           bool setGroupFlagsItem)
{
    if (!stored || !destination || size < sizeof(uint16_t))
        return 0;
    uint16_t version = 0;
    std::memcpy(&version, stored, sizeof version);
    if (version == kUserSettingInfoVersion) {
        if (size < kUserSettingInfoSize)
            return 0;
        std::memcpy(destination, stored, kUserSettingInfoSize);
        return 1;
    }
    if (version < 1 || version > 3)
        return 0;
    const std::span<const MovedField> fields = kOlderLayouts[version - 1];
    for (const MovedField& field : fields)
        if (uint32_t{field.from} + field.size > size)
            return 0;
    for (const MovedField& field : fields)
        std::memcpy(Bytes(destination) + field.to, stored + field.from, field.size);
    if (setGroupFlagsItem && version <= 2)
        std::memcpy(Bytes(destination) + kGroupFlagsItemOffset, &kGroupFlagsItemValue, sizeof kGroupFlagsItemValue);
    return 1;
}

int LoadUserSettingInfo(HANDLE printer, const wchar_t* basePath, const UserSettingInfo& defaults,
                        UserSettingInfo* record, uint32_t mask, bool setGroupFlagsItem)
{
    if (!printer || !record)
        return 0;
    if (!LoadOnce(printer, basePath, defaults, record, (mask & kUserInfoPrinterWide) != 0, setGroupFlagsItem))
        return 0;
    // Group 2 asked for but not held by the user's block: the printer-wide copy lends it.
    if ((mask & kUserGroup2) && !(record->groupFlags & kUserGroup2)) {
        UserSettingInfo printerWide;
        if (!LoadOnce(printer, basePath, defaults, &printerWide, true, setGroupFlagsItem))
            return 0;
        CopyGroup(record, &printerWide, *FindGroup(kUserGroup2));
        record->groupFlags |= kUserGroup2;
    }
    return 1;
}

int SaveUserSettingInfo(HANDLE printer, const wchar_t* basePath, const UserSettingInfo& defaults,
                        const UserSettingInfo& record, uint32_t mask)
{
    if (!printer)
        return 0;
    UserSettingInfo saved = record;
    if (mask & kUserInfoPrinterWide) {
        saved.groupFlags = static_cast<uint16_t>(mask & 0xFF);
        return WritePrinterDataTable(printer, &saved, sizeof saved, kUserSettingInfoTable);
    }
    const uint16_t selected = static_cast<uint16_t>(mask & kUserGroupsAll);
    if (selected != kUserGroupsAll) {
        std::vector<uint8_t> stored;
        const StoredRead status = ReadStoredBlock(printer, basePath, stored);
        if (status == StoredRead::kError)
            return 0;
        if (status == StoredRead::kNotStored) {
            saved.groupFlags = selected;
        } else {
            UserSettingInfo kept = defaults;
            if (!ConvertUserSettingInfo(stored.data(), static_cast<uint32_t>(stored.size()), &kept, false))
                kept = defaults;
            for (const UserSettingGroup& group : kUserSettingGroups)
                if (!(selected & group.bit))
                    CopyGroup(&saved, &kept, group);
            saved.groupFlags = selected | kept.groupFlags;
        }
    }
    return WriteUserValue(printer, basePath, &saved, sizeof saved, REG_BINARY, nullptr, kUserSettingInfoValueName);
}

int DeleteUserSettingInfo(HANDLE printer, const wchar_t* basePath)
{
    return DeleteUserValue(printer, basePath, nullptr, kUserSettingInfoValueName);
}

int HasUserSettingInfo(HANDLE printer, const wchar_t* basePath)
{
    std::vector<uint8_t> stored;
    return ReadStoredBlock(printer, basePath, stored) == StoredRead::kRead;
}
