// Where each setting identifier lives: the range table, the per-identifier
// layout rows and the four flag-mask tables, and the lookups over them.
#pragma once
#include <cstdint>

// One identifier: its types and its place in the area of its range.
struct ItemLayoutRow {
    uint16_t id;            // 0 ends a list
    uint16_t storedType;
    uint16_t reportedType;  // 0: reported as stored
    uint64_t offset;        // bytes from the area's base
    uint32_t room;          // bytes; strings and LOGFONTW records only
};

// Identifiers first..last are stored in one area and listed in rows.
struct ItemLayoutRange {
    uint16_t storageKind;
    uint16_t first;
    uint16_t last;
    const ItemLayoutRow* rows;  // nullptr ends the range table
};

// A flag identifier and its bit in the flag word its layout row points at.
struct BitFlagRow {
    uint16_t id;  // 0 ends a table
    uint32_t mask;
};

// The 13 ranges in search order, ended by a range without rows.
extern const ItemLayoutRange kItemLayoutRanges[];
inline constexpr int kItemLayoutRangeCount = 13;

// The flag tables of 1281-1376, 2305-2560, 4097-4161 and 4609-4640, each in
// identifier order and ended by id 0; kBitFlagTables ends with nullptr.
extern const BitFlagRow* const kBitFlagTables[];

// What FindItemLayout learns about one identifier.
struct ItemLayout {
    uint16_t storageKind;
    uint16_t storedType;
    uint16_t reportedType;  // as in the row: 0 means the stored type
    uint32_t holderSize;    // bytes of the stored type in a value holder
    uint32_t room;
    uint64_t offset;
    uint8_t* address;       // area base + offset
};

// 0 found; 1 in no range; 16 not listed in its range, its area's record
// missing, or an unknown stored type. storageKind is filled once the range is
// known, even when the answer is 16.
uint16_t FindItemLayout(uint16_t id, void* settingsRecord, void* printerSettingsRecord,
                        ItemLayout* layout);

// The type a setting is read and written as (its reported type, else its
// stored type), without records; false for an identifier without a row.
bool FindItemValueType(uint16_t id, uint16_t* type);

// Holder bytes of a value type; false for an unknown type (7 included).
bool GetTypeHolderSize(uint16_t id, uint16_t type, uint32_t* size);

// The identifier's bit in its flag word; false when it is in no flag table.
bool FindBitFlagMask(uint16_t id, uint32_t* mask);

// True for the identifiers of the four flag ranges.
bool IsFlagRangeId(uint16_t id);
