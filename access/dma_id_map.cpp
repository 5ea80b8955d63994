#include "access/dma_id_map.h"

#include <array>

namespace {

constexpr DmaIdRun kRow1[] = {{0x001, 0x019, 1}};
constexpr DmaIdRun kRow2[] = {{0x101, 0x120, 257}, {0x121, 0x122, 1832}, {0x123, 0x12F, 291}};
constexpr DmaIdRun kRow3[] = {{0x130, 0x150, 304}, {0x151, 0x151, 1829}, {0x152, 0x15A, 338},
                              {0x15B, 0x15B, 1831}, {0x15C, 0x15F, 348}};
constexpr DmaIdRun kRow4[] = {{0x160, 0x179, 352}, {0x17A, 0x17A, 1830}, {0x17B, 0x18F, 379}};
constexpr DmaIdRun kRow5[] = {{0x190, 0x19E, 400}, {0x19F, 0x1B2, 1834}, {0x1B3, 0x1BF, 435}};
constexpr DmaIdRun kRow6[] = {{0x1001, 0x1008, 448}, {0x1009, 0x1021, 458}};
constexpr DmaIdRun kRow7[] = {{0x1C1, 0x1CE, 1281}, {0x1CF, 0x1CF, 4129}, {0x1D0, 0x1F3, 1296},
                              {0x1F4, 0x200, 1335}};
constexpr DmaIdRun kRow8[] = {{0x3C1, 0x3D4, 1348}, {0x3D8, 0x3D9, 1371}};
constexpr DmaIdRun kRow9[] = {{0x201, 0x224, 1793}, {0x225, 0x228, 1855}, {0x229, 0x238, 1861},
                              {0x239, 0x239, 1878}, {0x23B, 0x244, 1880}};
constexpr DmaIdRun kRow10[] = {{0x901, 0xA00, 2305}};
constexpr DmaIdRun kRow11[] = {{0x301, 0x320, 4097}, {0x321, 0x32A, 4353}, {0x32B, 0x32C, 4366},
                               {0x32D, 0x336, 4130}, {0x337, 0x337, 4368}, {0x338, 0x339, 4140},
                               {0x33A, 0x33A, 4369}, {0x33B, 0x33D, 4142}, {0x33E, 0x33F, 4370}};
constexpr DmaIdRun kRow12[] = {{0x381, 0x3A0, 4609}};
constexpr DmaIdRun kRow13[] = {{0x401, 0x401, 5121}, {0x402, 0x402, 1333}, {0x403, 0x403, 5123},
                               {0x404, 0x404, 1332}, {0x405, 0x405, 4365}, {0x406, 0x407, 5126},
                               {0x408, 0x408, 1334}, {0x409, 0x40C, 5129}, {0x40D, 0x40D, 456},
                               {0x40E, 0x412, 5134}, {0x413, 0x414, 1859}, {0x415, 0x41E, 5141},
                               {0x41F, 0x41F, 457},  {0x420, 0x421, 5152}, {0x422, 0x422, 4363},
                               {0x423, 0x425, 5155}, {0x426, 0x426, 4364}, {0x427, 0x45F, 5159}};
constexpr DmaIdRun kRow14[] = {{0x501, 0x501, 8201}, {0x511, 0x512, 8202}, {0x51B, 0x51E, 8204},
                               {0x51F, 0x528, 5889}, {0x529, 0x532, 5909}, {0x533, 0x53C, 5929},
                               {0x53D, 0x587, 6145}, {0x588, 0x591, 6401}, {0x592, 0x595, 8208},
                               {0x596, 0x59F, 5899}, {0x600, 0x609, 5919}, {0x60A, 0x613, 5939},
                               {0x614, 0x614, 8212}, {0x615, 0x67D, 6220}, {0x67E, 0x687, 6411},
                               {0x688, 0x68A, 8213}};
constexpr DmaIdRun kRow15[] = {{0x9001, 0x9003, 5159}, {0x9004, 0x9004, 5175}, {0x9005, 0x9005, 1858},
                               {0x9006, 0x9007, 5181}, {0x9008, 0x9008, 5185}, {0x9009, 0x900A, 5208}};
constexpr DmaIdRun kRow16[] = {{0x202B, 0x202B, 1370}};

constexpr DmaIdMapRow kRows[] = {
    {0x0001, 0x0019, kRow1},  {0x0101, 0x012F, kRow2},  {0x0130, 0x015F, kRow3},  {0x0160, 0x018F, kRow4},
    {0x0190, 0x01BF, kRow5},  {0x1001, 0x1021, kRow6},  {0x01C1, 0x0200, kRow7},  {0x03C1, 0x03D9, kRow8},
    {0x0201, 0x0244, kRow9},  {0x0901, 0x0A00, kRow10}, {0x0301, 0x033F, kRow11}, {0x0381, 0x03A0, kRow12},
    {0x0401, 0x045F, kRow13}, {0x0501, 0x068A, kRow14}, {0x9001, 0x900A, kRow15}, {0x202B, 0x202B, kRow16},
};

constexpr size_t CountMapped()
{
    size_t count = 0;
    for (const DmaIdMapRow& row : kRows)
        for (const DmaIdRun& run : row.runs)
            count += run.lastDmaId - run.firstDmaId + 1u;
    return count;
}
static_assert(CountMapped() == 1134, "the interface names 1134 settings");

constexpr bool RunsStayInTheirRows()
{
    for (const DmaIdMapRow& row : kRows)
        for (const DmaIdRun& run : row.runs)
            if (run.firstDmaId < row.firstDmaId || run.lastDmaId > row.lastDmaId || run.firstDmaId > run.lastDmaId)
                return false;
    return true;
}
static_assert(RunsStayInTheirRows());

// Plain limits in bytes, indexed from 0x9001. The encoded text of n bytes takes
// ((n + 2) / 3) x 4 units plus a terminator: 12 bytes fill a 17-unit room, 21
// bytes 29 units, 129 bytes 173 units.
constexpr std::array<uint32_t, 10> kProtectedPlainLimits = {12, 129, 129, 129, 21, 12, 12, 12, 129, 129};

}  // namespace

const std::span<const DmaIdMapRow> kDmaIdMap = kRows;

uint16_t DmaIdToItemId(uint16_t dmaId)
{
    for (const DmaIdMapRow& row : kRows) {
        if (dmaId < row.firstDmaId || dmaId > row.lastDmaId)
            continue;
        for (const DmaIdRun& run : row.runs)
            if (dmaId >= run.firstDmaId && dmaId <= run.lastDmaId)
                return static_cast<uint16_t>(run.firstItemId + (dmaId - run.firstDmaId));
        return 0;
    }
    return 0;
}

uint16_t ItemIdToDmaId(uint16_t itemId)
{
    for (const DmaIdMapRow& row : kRows)
        for (const DmaIdRun& run : row.runs) {
            const uint32_t span = run.lastDmaId - run.firstDmaId;
            if (itemId >= run.firstItemId && itemId <= run.firstItemId + span)
                return static_cast<uint16_t>(run.firstDmaId + (itemId - run.firstItemId));
        }
    return 0;
}

uint32_t ProtectedPlainLimit(uint16_t dmaId)
{
    return IsProtectedDmaId(dmaId) ? kProtectedPlainLimits[dmaId - kDmaProtectedFirst] : 0;
}
