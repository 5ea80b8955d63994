// Tables of fixed-size entries that grow by a fixed step (the recorded-page
// table and the offsets table of the output stream).
#pragma once
#include <cstdint>

struct GrowableTable {
    uint32_t capacity;    // entries
    uint32_t entrySize;   // bytes
    uint32_t growthStep;  // entries added per growth
    uint8_t* entries;     // zero-filled global memory, capacity * entrySize bytes
};

// Capacity = growthStep, zero-filled. 0 or -1 (bad sizes, no memory).
int CreateGrowableTable(GrowableTable* table, uint32_t entrySize, uint32_t growthStep);
// Adds one growth step, keeping the entries; the new entries are zero. 0 or -1.
int GrowTable(GrowableTable* table);
// Copies one whole entry in or out. An index at or beyond the capacity fails.
int StoreTableEntry(GrowableTable* table, uint32_t index, const void* entry);
int LoadTableEntry(const GrowableTable* table, uint32_t index, void* entry);
void FreeGrowableTable(GrowableTable* table);
