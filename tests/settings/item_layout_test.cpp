#include "common/settings/item_layout.h"
#include "common/settings/value_types.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

namespace {

struct Placed {
    uint16_t id;
    uint16_t kind;
    uint16_t type;
    uint64_t offset;
    uint64_t size;
};

uint64_t StorageBytes(const ItemLayoutRow& row)
{
    if (row.storedType == kTypeString || row.storedType == kTypeLogFont)
        return row.room;
    uint32_t size = 0;
    GetTypeHolderSize(row.id, row.storedType, &size);
    return size;
}

std::vector<Placed> AllRows()
{
    std::vector<Placed> rows;
    for (const ItemLayoutRange* range = kItemLayoutRanges; range->rows != nullptr; ++range)
        for (const ItemLayoutRow* row = range->rows; row->id != 0; ++row)
            rows.push_back({row->id, range->storageKind, row->storedType, row->offset, StorageBytes(*row)});
    return rows;
}

TEST(ItemLayout, RangesListTheirIdentifiers)
{
    struct Expect {
        uint16_t first, last, kind;
        int count;
    };
    const Expect expected[] = {
        {257, 303, 0, 45},   {304, 351, 0, 46},    {352, 399, 0, 47},   {400, 447, 0, 28},
        {448, 484, 0, 36},   {1281, 1376, 0, 96},  {1793, 1889, 1, 97}, {2305, 2560, 1, 256},
        {4097, 4371, 2, 84}, {4609, 4640, 2, 32},  {5121, 5215, 2, 85}, {5633, 8216, 2, 298},
        {1, 25, 0, 25},
    };
    std::set<uint16_t> seen;
    int index = 0;
    for (const ItemLayoutRange* range = kItemLayoutRanges; range->rows != nullptr; ++range, ++index) {
        ASSERT_LT(index, kItemLayoutRangeCount);
        const Expect& e = expected[index];
        EXPECT_EQ(range->first, e.first);
        EXPECT_EQ(range->last, e.last);
        EXPECT_EQ(range->storageKind, e.kind);
        int count = 0;
        for (const ItemLayoutRow* row = range->rows; row->id != 0; ++row, ++count) {
            EXPECT_GE(row->id, range->first);
            EXPECT_LE(row->id, range->last);
            EXPECT_TRUE(seen.insert(row->id).second) << "listed twice: " << row->id;
        }
        EXPECT_EQ(count, e.count) << "range " << e.first;
    }
    EXPECT_EQ(index, kItemLayoutRangeCount);
    EXPECT_EQ(seen.size(), 1175u);
}

TEST(ItemLayout, EveryRowLiesInsideItsArea)
{
    const uint64_t areaSize[] = {kPrivatePartOffset, kPrivatePartSize, kPrinterSettingsRecordSize};
    for (const Placed& p : AllRows()) {
        EXPECT_GT(p.size, 0u) << p.id;
        EXPECT_LE(p.offset + p.size, areaSize[p.kind]) << p.id;
    }
}

// Storage that two identifiers may share on purpose: the whole LOGFONTW and
// its field views, shared strings, flag words read whole, the packed bytes,
// and the computed resolution word over dmPrintQuality..dmColor.
bool MayShare(const Placed& a, const Placed& b)
{
    auto inSet = [](uint16_t id, std::initializer_list<uint16_t> ids) {
        return std::find(ids.begin(), ids.end(), id) != ids.end();
    };
    auto pair = [&](uint16_t x, std::initializer_list<uint16_t> ys) {
        return (a.id == x && inSet(b.id, ys)) || (b.id == x && inSet(a.id, ys));
    };
    if (a.type == kTypeFlag && b.type == kTypeFlag)
        return a.offset == b.offset && a.kind == b.kind;  // one flag word
    if ((a.id == 260 || a.id == 261) && b.type == kTypeFlag)
        return a.offset == b.offset;
    if ((b.id == 260 || b.id == 261) && a.type == kTypeFlag)
        return a.offset == b.offset;
    if (a.id >= 392 && a.id <= 403 && b.id >= 392 && b.id <= 403)
        return a.offset == b.offset;
    const std::initializer_list<uint16_t> fontViews = {305, 306, 307, 309, 310, 311, 312, 313, 314,
                                                       315, 316, 317, 318, 319};
    const std::initializer_list<uint16_t> stampViews = {358, 359, 360, 362, 363, 364, 365, 366, 367,
                                                        368, 369, 370, 371, 372};
    if (pair(304, fontViews) || pair(357, stampViews))
        return true;
    if (pair(309, {311}) || pair(362, {364}))  // one lfEscapement, two identifiers
        return true;
    if (pair(297, {298}) || pair(1831, {1877}))
        return true;
    if (pair(14, {20, 15}))
        return true;
    return false;
}

TEST(ItemLayout, NoTwoIdentifiersShareStorageExceptNamedAliases)
{
    std::vector<Placed> rows = AllRows();
    std::sort(rows.begin(), rows.end(), [](const Placed& x, const Placed& y) {
        return x.kind != y.kind ? x.kind < y.kind : x.offset < y.offset;
    });
    int overlaps = 0;
    for (size_t i = 0; i < rows.size(); ++i)
        for (size_t j = i + 1; j < rows.size() && rows[j].kind == rows[i].kind &&
                               rows[j].offset < rows[i].offset + rows[i].size; ++j) {
            ++overlaps;
            EXPECT_TRUE(MayShare(rows[i], rows[j]))
                << rows[i].id << " and " << rows[j].id << " overlap at " << rows[j].offset;
        }
    EXPECT_GT(overlaps, 0);
}

TEST(ItemLayout, FixedPlacesOfThePublicAndCommonPart)
{
    struct Fixed {
        uint16_t id;
        uint64_t offset;
        uint16_t type;
        uint32_t room;
    };
    const Fixed fixed[] = {
        {1, 0, kTypeString, 64},   {14, 90, kTypeU32, 0},      {19, 102, kTypeString, 64},
        {20, 90, kTypeS16, 0},     {21, 96, kTypeS16, 0},      {25, 200, kTypeU32, 0},
        {257, 220, kTypeU16, 0},   {258, 222, kTypeU16, 0},    {259, 224, kTypeString, 64},
        {260, 288, kTypeU32, 0},   {261, 292, kTypeU32, 0},    {1281, 288, kTypeFlag, 0},
        {1313, 292, kTypeFlag, 0}, {1376, 1516, kTypeFlag, 0}, {392, 356, kTypeU32, 0},
        {403, 368, kTypeU32, 0},   {304, 588, kTypeLogFont, 92}, {311, 596, kTypeFontS32, 0},
        {310, 600, kTypeFontS32, 0}, {357, 816, kTypeLogFont, 92}, {364, 824, kTypeFontS32, 0},
        {363, 828, kTypeFontS32, 0}, {1825, 2052, kTypeS32, 0}, {1828, 2064, kTypeS32, 0},
        {1793, 0, kTypeU16, 0},    {329, 0, kTypeString, 49},  {5929, 0, kTypeString, 64},
        {8213, 0, kTypeString, 84}, {1863, 0, kTypeS16, 0},    {5889, 0, kTypeU16, 0},
    };
    for (const Fixed& f : fixed) {
        std::vector<uint8_t> s(kSettingsRecordSize), p(kPrinterSettingsRecordSize);
        ItemLayout layout{};
        ASSERT_EQ(FindItemLayout(f.id, s.data(), p.data(), &layout), kSettingOk) << f.id;
        EXPECT_EQ(layout.storedType, f.type) << f.id;
        EXPECT_EQ(layout.room, f.room) << f.id;
        if (f.offset != 0 || f.id == 1 || f.id == 1793) {
            EXPECT_EQ(layout.offset, f.offset) << f.id;
        }
    }
}

TEST(ItemLayout, ReportedTypes)
{
    const uint16_t byteAsU16[] = {264, 267, 270, 272, 286, 287, 288, 291, 292, 293, 294, 295,
                                  300, 302, 320, 321, 322, 323, 325, 328, 330, 331, 332, 334,
                                  335, 336, 339, 341, 342, 343, 345, 376, 377, 379, 381, 382,
                                  383, 386, 387, 390, 391, 404, 405, 406, 412, 413, 456, 483};
    std::map<uint16_t, uint16_t> expected;
    for (uint16_t id : byteAsU16)
        expected[id] = kTypeU16;
    for (uint16_t id = 1296; id <= 1302; ++id)
        expected[id] = kTypeByte;
    expected[1322] = kTypeU16;
    expected[1332] = kTypeU16;
    expected[1284] = kTypeU32;
    for (const ItemLayoutRange* range = kItemLayoutRanges; range->rows != nullptr; ++range)
        for (const ItemLayoutRow* row = range->rows; row->id != 0; ++row) {
            const auto it = expected.find(row->id);
            EXPECT_EQ(row->reportedType, it == expected.end() ? 0 : it->second) << row->id;
            if (it != expected.end() && it->second == kTypeU16 && row->storedType != kTypeFlag) {
                EXPECT_EQ(row->storedType, kTypeByte) << row->id;
            }
        }
}

TEST(ItemLayout, FlagTablesMatchTheFlagRows)
{
    const uint16_t firsts[] = {1281, 2305, 4097, 4609};
    int table = 0;
    for (const BitFlagRow* const* t = kBitFlagTables; *t != nullptr; ++t, ++table) {
        int n = 0;
        for (const BitFlagRow* row = *t; row->id != 0; ++row, ++n) {
            EXPECT_EQ(row->id, firsts[table] + n);
            const uint32_t mask = row->id == 4161 ? 1u << 14 : 1u << (n % 32);
            EXPECT_EQ(row->mask, mask) << row->id;
            std::vector<uint8_t> s(kSettingsRecordSize), p(kPrinterSettingsRecordSize);
            ItemLayout layout{};
            ASSERT_EQ(FindItemLayout(row->id, s.data(), p.data(), &layout), kSettingOk);
            EXPECT_EQ(layout.storedType, kTypeFlag);
        }
    }
    EXPECT_EQ(table, 4);
    uint32_t a = 0, b = 0;
    ASSERT_TRUE(FindBitFlagMask(4161, &a));
    ASSERT_TRUE(FindBitFlagMask(4111, &b));
    EXPECT_EQ(a, b);
    EXPECT_FALSE(FindBitFlagMask(1280, &a));
    EXPECT_FALSE(FindBitFlagMask(4162, &a));

    // Within one word every flag has its own bit, except 4161 and 4111.
    std::map<std::pair<uint16_t, uint64_t>, uint32_t> used;
    for (const Placed& p : AllRows()) {
        if (p.type != kTypeFlag || p.id == 4161)
            continue;
        uint32_t mask = 0;
        ASSERT_TRUE(FindBitFlagMask(p.id, &mask)) << p.id;
        uint32_t& bits = used[{p.kind, p.offset}];
        EXPECT_EQ(bits & mask, 0u) << p.id;
        bits |= mask;
    }
}

TEST(ItemLayout, FindItemLayoutAnswers)
{
    std::vector<uint8_t> s(kSettingsRecordSize), p(kPrinterSettingsRecordSize);
    ItemLayout layout{};
    struct Case {
        uint16_t id;
        bool withSettings, withPrinter;
        uint16_t status;
    };
    const Case cases[] = {
        {0x1000, true, true, kSettingNoRange}, {0, true, true, kSettingNoRange},
        {337, true, true, kSettingUnknown},    {289, true, true, kSettingUnknown},
        {484, true, true, kSettingUnknown},    {7, false, true, kSettingUnknown},
        {1795, false, true, kSettingUnknown},  {5121, true, false, kSettingUnknown},
        {5121, false, true, kSettingOk},       {1795, true, false, kSettingOk},
        {8216, true, true, kSettingOk},        {6325, true, true, kSettingUnknown},
        {8217, true, true, kSettingNoRange},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindItemLayout(c.id, c.withSettings ? s.data() : nullptr,
                                 c.withPrinter ? p.data() : nullptr, &layout),
                  c.status)
            << c.id;
    ASSERT_EQ(FindItemLayout(1795, s.data(), nullptr, &layout), kSettingOk);
    EXPECT_EQ(layout.address, s.data() + kPrivatePartOffset + layout.offset);
    EXPECT_EQ(FindItemLayout(7, s.data(), p.data(), nullptr), kSettingUnknown);
}

TEST(ItemLayout, HolderSizesByType)
{
    const uint32_t sizes[] = {0, 4, 2, 2, 4, 4, 8, 0, 1, 8, 4, 0};
    for (uint16_t type = 0; type < 12; ++type) {
        uint32_t size = 99;
        EXPECT_EQ(GetTypeHolderSize(1, type, &size), sizes[type] != 0) << type;
        if (sizes[type] != 0) {
            EXPECT_EQ(size, sizes[type]) << type;
        }
    }
}

}  // namespace
