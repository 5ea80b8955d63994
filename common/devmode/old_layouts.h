// The layouts of DEVMODEs older than private version 20483: for each old
// version, rows that say where a setting lay in the old record. Two families
// stand apart: versions 256-16391 and 20480-20482. Within the family of a
// record, every list whose version is at most the record's is applied, in
// table order, so a later list moves or adds what changed in its version.
#pragma once
#include <cstdint>

#include "common/settings/item_layout.h"

struct OldLayoutList {
    uint16_t version;
    const ItemLayoutRow* rows;  // ended by id 0
};
struct OldLayoutFamily {
    uint16_t lowest;
    uint16_t highest;
    uint16_t rulesMode;  // 1: the rules of the oldest layouts apply; 2: they do not
    const OldLayoutList* lists;
    uint16_t listCount;
};

inline constexpr uint16_t kOldLayoutRulesOldest = 1;
inline constexpr uint16_t kOldLayoutRulesNewer = 2;

// The family of a private version, or null.
const OldLayoutFamily* FindOldLayoutFamily(uint16_t privateVersion);

// Bytes a row's value takes in the old record (the room for strings and
// structures); 0 for a type without a fixed size.
uint32_t OldLayoutRowBytes(const ItemLayoutRow& row);
