#include "render/output/growable_table.h"

#include <windows.h>

#include <cstring>

namespace {
// Keeps capacity * entrySize well inside 32 bits.
constexpr uint64_t kMaxTableBytes = 0x10000000;
}

int CreateGrowableTable(GrowableTable* table, uint32_t entrySize, uint32_t growthStep)
{
    if (table == nullptr)
        return -1;
    *table = {};
    if (entrySize == 0 || growthStep == 0 || uint64_t{entrySize} * growthStep > kMaxTableBytes)
        return -1;
    auto* entries = static_cast<uint8_t*>(GlobalAlloc(GPTR, SIZE_T{entrySize} * growthStep));
    if (entries == nullptr)
        return -1;
    *table = {growthStep, entrySize, growthStep, entries};
    return 0;
}

int GrowTable(GrowableTable* table)
{
    if (table == nullptr || table->entries == nullptr)
        return -1;
    const uint64_t newCapacity = uint64_t{table->capacity} + table->growthStep;
    if (newCapacity * table->entrySize > kMaxTableBytes)
        return -1;
    void* grown = GlobalReAlloc(table->entries, SIZE_T(newCapacity * table->entrySize), GMEM_MOVEABLE | GMEM_ZEROINIT);
    if (grown == nullptr)
        return -1;
    table->entries = static_cast<uint8_t*>(grown);
    table->capacity = static_cast<uint32_t>(newCapacity);
    return 0;
}

int StoreTableEntry(GrowableTable* table, uint32_t index, const void* entry)
{
    if (table == nullptr || table->entries == nullptr || entry == nullptr || index >= table->capacity)
        return -1;
    std::memcpy(table->entries + SIZE_T{index} * table->entrySize, entry, table->entrySize);
    return 0;
}

int LoadTableEntry(const GrowableTable* table, uint32_t index, void* entry)
{
    if (table == nullptr || table->entries == nullptr || entry == nullptr || index >= table->capacity)
        return -1;
    std::memcpy(entry, table->entries + SIZE_T{index} * table->entrySize, table->entrySize);
    return 0;
}

void FreeGrowableTable(GrowableTable* table)
{
    if (table == nullptr)
        return;
    if (table->entries != nullptr)
        GlobalFree(table->entries);
    *table = {};
}
