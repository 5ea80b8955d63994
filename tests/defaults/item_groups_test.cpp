#include "common/defaults/item_groups.h"
#include "common/defaults/item_handlers.h"
#include "common/settings/item_layout.h"
#include "common/settings/value_types.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(ItemGroups, CountsAndStorageOfTheThirteenGroups)
{
    const uint16_t counts[kItemGroupCount] = {84, 32, 85, 216, 23, 45, 34, 36, 27, 36, 95, 96, 256};
    const uint16_t kinds[kItemGroupCount] = {2, 2, 2, 2, 0, 0, 0, 0, 0, 0, 0, 1, 1};
    uint32_t total = 0;
    for (uint32_t group = 0; group < kItemGroupCount; ++group) {
        const ItemRow* items = nullptr;
        uint16_t count = 0, kind = 0xFFFF;
        ASSERT_EQ(GetItemGroup(group, &items, &count, &kind), 1) << group;
        EXPECT_EQ(count, counts[group]) << group;
        EXPECT_EQ(kind, kinds[group]) << group;
        total += count;
    }
    EXPECT_EQ(total, kItemCount);
    EXPECT_EQ(GetItemGroup(kItemGroupEnd, nullptr, nullptr, nullptr), 0);
}

// Every item has a layout in the area of its group, and no identifier is listed twice.
TEST(ItemGroups, EveryItemHasALayoutInItsGroupsArea)
{
    std::set<uint64_t> seen;
    for (uint32_t group = 0; group < kItemGroupCount; ++group) {
        const ItemRow* items = nullptr;
        uint16_t count = 0, kind = 0;
        ASSERT_EQ(GetItemGroup(group, &items, &count, &kind), 1);
        for (uint16_t i = 0; i < count; ++i) {
            EXPECT_TRUE(seen.insert(items[i].id).second) << items[i].id;
            uint8_t settings[kSettingsRecordSize];
            uint8_t printer[kPrinterSettingsRecordSize];
            ItemLayout layout{};
            ASSERT_EQ(FindItemLayout(static_cast<uint16_t>(items[i].id), settings, printer, &layout), kSettingOk)
                << items[i].id;
            EXPECT_EQ(layout.storageKind, kind) << items[i].id;
            EXPECT_EQ(FindItemById(static_cast<uint16_t>(items[i].id)), &items[i]);
        }
    }
}

struct FindCase {
    uint16_t id;
    bool found;
    const ItemHandlerRecord* record;
};

// The 110 identifiers without a default of their own, and identifiers in no range.
const FindCase kFinds[] = {
    {1, true, &kHandlerDeviceName},
    {14, true, nullptr},
    {20, false, nullptr},
    {21, false, nullptr},
    {304, false, nullptr},
    {329, false, nullptr},
    {357, true, &kHandlerStampFont},
    {439, true, &kHandlerUnusedByte},
    {442, false, nullptr},
    {1295, false, nullptr},
    {1879, false, nullptr},
    {4161, true, nullptr},
    {5633, false, nullptr},
    {5889, true, &kHandlerUserPaperSize},
    {5948, true, &kHandlerUserPaperName},
    {6190, false, nullptr},
    {8202, true, &kHandlerPrinterRecordSize},
    {0x1000, false, nullptr},
    {0, false, nullptr},
    {36905, false, nullptr},
};

TEST(ItemGroups, FindItemById)
{
    for (const FindCase& c : kFinds) {
        const ItemRow* row = FindItemById(c.id);
        ASSERT_EQ(row != nullptr, c.found) << c.id;
        if (row != nullptr)
            EXPECT_EQ(row->record, c.record) << c.id;
    }
}

TEST(ItemGroups, FixedRows)
{
    const ItemRow* size = FindItemById(8202);
    ASSERT_NE(size, nullptr);
    ASSERT_NE(size->record->fixed, nullptr);
    EXPECT_EQ(size->record->fixed->type, kTypeU16);
    EXPECT_EQ(size->record->fixed->value, kPrinterSettingsRecordSize);
    // 439 and 463 carry a row that no operation uses.
    EXPECT_EQ(FindItemById(463)->record->mask, 0u);
    EXPECT_EQ(FindItemById(463)->record->fixed->type, kTypeByte);
}

}  // namespace
