// The item groups: one table per identifier range of the layout, listing the
// identifiers that get a default, with the handler records of those that do
// not take theirs from the model data.
//
// The tables are built at compile time from spans of identifiers; a span or a
// handler binding that does not add up stops the build. The fill writes the
// items of a group in table order, so an identifier that shares bytes with an
// earlier one (4161 is the bit of 4111) is written after it.
#include "common/defaults/item_groups.h"

#include "common/defaults/item_handlers.h"
#include "common/settings/value_types.h"

#include <array>
#include <initializer_list>

namespace {

struct IdSpan {
    uint16_t first;
    uint16_t last;
};

struct Binding {
    uint16_t first;
    uint16_t last;
    const ItemHandlerRecord* record;
};

// Throwing in a constant expression is a compile error: a table whose spans
// do not give N items, or a binding outside the table, does not build.
template <size_t N>
constexpr std::array<ItemRow, N> MakeItems(std::initializer_list<IdSpan> spans,
                                           std::initializer_list<Binding> bindings)
{
    std::array<ItemRow, N> rows{};
    size_t n = 0;
    for (const IdSpan& span : spans)
        for (uint32_t id = span.first; id <= span.last; ++id) {
            if (n == N)
                throw "more identifiers than the group's count";
            rows[n++] = ItemRow{id, nullptr};
        }
    if (n != N)
        throw "fewer identifiers than the group's count";
    for (const Binding& binding : bindings)
        for (uint32_t id = binding.first; id <= binding.last; ++id) {
            bool bound = false;
            for (ItemRow& row : rows)
                if (row.id == id) {
                    row.record = binding.record;
                    bound = true;
                }
            if (!bound)
                throw "a handler bound to an identifier outside the group";
        }
    return rows;
}

// Printer settings: the device options.
constexpr auto kGroup0 = MakeItems<84>({{4097, 4161}, {4353, 4371}}, {});
constexpr auto kGroup1 = MakeItems<32>({{4609, 4640}}, {});
constexpr auto kGroup2 = MakeItems<85>({{5121, 5121}, {5123, 5123}, {5126, 5127}, {5129, 5132}, {5134, 5138},
                                        {5141, 5150}, {5152, 5153}, {5155, 5157}, {5159, 5215}},
                                       {});
// The 20 user paper sizes and the record's own stamps.
constexpr auto kGroup3 = MakeItems<216>({{5889, 5948}, {6145, 6189}, {6220, 6264}, {6295, 6324}, {6401, 6420},
                                         {8201, 8216}},
                                        {{5889, 5928, &kHandlerUserPaperSize},
                                         {5929, 5948, &kHandlerUserPaperName},
                                         {8202, 8202, &kHandlerPrinterRecordSize},
                                         {8203, 8204, &kHandlerConstant}});
// Public DEVMODEW fields; 20 and 21 are written through 14.
constexpr auto kGroup4 = MakeItems<23>({{1, 19}, {22, 25}},
                                       {{1, 1, &kHandlerDeviceName},
                                        {2, 5, &kHandlerConstant},
                                        {6, 6, &kHandlerFields},
                                        {7, 7, &kHandlerModelChecked},
                                        {8, 8, &kHandlerPaperSize},
                                        {9, 10, &kHandlerPaperDimension},
                                        {11, 11, &kHandlerModelChecked},
                                        {12, 12, &kHandlerCopies},
                                        {13, 13, &kHandlerOverridable},
                                        {15, 15, &kHandlerColor},
                                        {16, 16, &kHandlerDuplex},
                                        {17, 17, &kHandlerModelChecked},
                                        {18, 18, &kHandlerOverridable},
                                        {19, 19, &kHandlerFormName},
                                        {22, 22, &kHandlerIcmMethod},
                                        {23, 23, &kHandlerModelChecked},
                                        {24, 25, &kHandlerMediaDither}});
constexpr auto kGroup5 = MakeItems<45>({{257, 288}, {291, 303}},
                                       {{257, 258, &kHandlerConstant},
                                        {259, 259, &kHandlerModelName},
                                        {298, 298, &kHandlerNameList}});
constexpr auto kGroup6 = MakeItems<34>({{305, 308}, {311, 311}, {320, 328}, {330, 336}, {338, 346}, {348, 351}},
                                       {{305, 305, &kHandlerFaceName}});
constexpr auto kGroup7 = MakeItems<36>({{352, 361}, {373, 377}, {379, 399}},
                                       {{357, 357, &kHandlerStampFont}, {358, 358, &kHandlerFaceName}});
constexpr auto kGroup8 = MakeItems<27>({{400, 414}, {435, 441}, {443, 447}}, {{439, 439, &kHandlerUnusedByte}});
constexpr auto kGroup9 = MakeItems<36>({{448, 483}}, {{463, 463, &kHandlerUnusedByte}});
constexpr auto kGroup10 = MakeItems<95>({{1281, 1294}, {1296, 1376}}, {});
constexpr auto kGroup11 = MakeItems<96>({{1793, 1878}, {1880, 1889}}, {{1793, 1793, &kHandlerConstant}});
constexpr auto kGroup12 = MakeItems<256>({{2305, 2560}}, {});

static_assert(kGroup0.size() + kGroup1.size() + kGroup2.size() + kGroup3.size() + kGroup4.size() +
                  kGroup5.size() + kGroup6.size() + kGroup7.size() + kGroup8.size() + kGroup9.size() +
                  kGroup10.size() + kGroup11.size() + kGroup12.size() ==
              kItemCount);

}  // namespace

// In the search order of the layout ranges.
const FunctionIdRange kFunctionIdRanges[] = {
    {5, 0x101, 0x12F},  {6, 0x130, 0x15F},   {7, 0x160, 0x18F},   {8, 0x190, 0x1BF},   {9, 0x1C0, 0x1E4},
    {10, 0x501, 0x560}, {11, 0x701, 0x761},  {12, 0x901, 0xA00},  {0, 0x1001, 0x1113}, {1, 0x1201, 0x1220},
    {2, 0x1401, 0x145F}, {3, 0x1601, 0x2018}, {4, 0x1, 0x19},     {kItemGroupEnd, 0, 0},
};

const ItemGroup kItemGroups[] = {
    {0, kGroup0.data(), kGroup0.size(), kStoragePrinter},
    {1, kGroup1.data(), kGroup1.size(), kStoragePrinter},
    {2, kGroup2.data(), kGroup2.size(), kStoragePrinter},
    {3, kGroup3.data(), kGroup3.size(), kStoragePrinter},
    {4, kGroup4.data(), kGroup4.size(), kStoragePublic},
    {5, kGroup5.data(), kGroup5.size(), kStoragePublic},
    {6, kGroup6.data(), kGroup6.size(), kStoragePublic},
    {7, kGroup7.data(), kGroup7.size(), kStoragePublic},
    {8, kGroup8.data(), kGroup8.size(), kStoragePublic},
    {9, kGroup9.data(), kGroup9.size(), kStoragePublic},
    {10, kGroup10.data(), kGroup10.size(), kStoragePublic},
    {11, kGroup11.data(), kGroup11.size(), kStoragePrivate},
    {12, kGroup12.data(), kGroup12.size(), kStoragePrivate},
    {kItemGroupEnd, nullptr, 0, 0},
};

int GetItemGroup(uint32_t group, const ItemRow** items, uint16_t* count, uint16_t* storageKind)
{
    for (const ItemGroup* g = kItemGroups; g->group != kItemGroupEnd; ++g) {
        if (g->group != group)
            continue;
        if (items != nullptr)
            *items = g->items;
        if (count != nullptr)
            *count = g->count;
        if (storageKind != nullptr)
            *storageKind = g->storageKind;
        return 1;
    }
    return 0;
}

const ItemRow* FindItemById(uint16_t id)
{
    for (const FunctionIdRange* range = kFunctionIdRanges; range->group != kItemGroupEnd; ++range) {
        if (id < range->lowest || id > range->highest)
            continue;
        const ItemRow* items = nullptr;
        uint16_t count = 0;
        if (!GetItemGroup(range->group, &items, &count, nullptr))
            continue;
        for (uint16_t i = 0; i < count; ++i)
            if (items[i].id == id)
                return &items[i];
        return nullptr;
    }
    return nullptr;
}
