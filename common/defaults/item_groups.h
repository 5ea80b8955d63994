// Which setting identifiers have a default, and where it comes from. The 13
// item groups follow the identifier ranges of the layout table; each group's
// item table lists the identifiers that get a default when a record is filled.
// An item without a handler record takes its default and its check from the
// model data; a record names a fixed default, a handler, and the operations
// that the record serves.
#pragma once
#include <cstdint>

struct SettingsContext;

// Operation codes of the handlers. The mask of a handler record has one bit
// per operation: bit 0 for 1, bit 1 for 2, bit 2 for 4, bit 3 for 8, bit 4 for 16.
constexpr uint16_t kItemOpDefault = 1;      // give the default
constexpr uint16_t kItemOpCheck = 2;        // is the current value acceptable for this model
constexpr uint16_t kItemOpOptionKind = 4;   // kind and count of the setting's option list
constexpr uint16_t kItemOpOptionEntry = 8;  // option n of the list
constexpr uint16_t kItemOpAccept = 16;      // may an incoming value replace the current one

constexpr uint32_t kItemMaskDefault = 0x01;
constexpr uint32_t kItemMaskCheck = 0x02;
constexpr uint32_t kItemMaskOptionKind = 0x04;
constexpr uint32_t kItemMaskOptionEntry = 0x08;
constexpr uint32_t kItemMaskAccept = 0x10;
constexpr uint32_t kItemMaskAll = 0xFFFF;

// A default that needs no handler. Flag bit 0: the row is used.
constexpr uint16_t kFixedRowUsed = 0x0001;
constexpr uint32_t kFixedRowNotString = 0xFFFFFFFF;
struct FixedDefaultRow {
    uint16_t flags;
    uint16_t type;      // ItemValueType
    uint32_t length;    // characters of a string value; kFixedRowNotString otherwise
    uint64_t value;     // a number, or the address of a string's text
};

// Handler: (context, operation, identifier, exchange record of the operation)
// -> 1 or a count for yes, 0 for no.
using ItemHandler = int (*)(SettingsContext* context, uint16_t operation, uint16_t id, void* exchange);

struct ItemHandlerRecord {
    const FixedDefaultRow* fixed;  // or null
    ItemHandler handler;           // or null
    uint32_t mask;                 // operations served, by the bits above
};

// Whether a handler record serves the operation of `maskBit`.
inline bool ItemServes(const ItemHandlerRecord* record, uint32_t maskBit)
{
    return record != nullptr && (record->mask & maskBit) != 0;
}

struct ItemRow {
    uint64_t id;                      // FunctionID
    const ItemHandlerRecord* record;  // null: default and check from the model data
};

struct FunctionIdRange {
    uint32_t group;   // kItemGroupEnd ends the table
    uint16_t lowest;
    uint16_t highest;
};

struct ItemGroup {
    uint32_t group;   // kItemGroupEnd ends the table
    const ItemRow* items;
    uint16_t count;
    uint16_t storageKind;  // value_types.h: which record the group's values live in
};

constexpr uint32_t kItemGroupCount = 13;
constexpr uint32_t kItemGroupEnd = 13;
constexpr uint32_t kItemCount = 1065;

// Both tables end with a row of group kItemGroupEnd.
extern const FunctionIdRange kFunctionIdRanges[];
extern const ItemGroup kItemGroups[];

// The item row of an identifier: the first range holding it whose group exists,
// searched linearly. Null when the identifier has no default of its own.
const ItemRow* FindItemById(uint16_t id);

// 1 with the group's table, item count and storage kind; 0 for no such group.
int GetItemGroup(uint32_t group, const ItemRow** items, uint16_t* count, uint16_t* storageKind);
