// How the dialog engine reacts to a change of each setting: the conflict flags
// it passes to ChooseConflictAction and the flags of its own steps around it.
// The one table of reaction kinds; the common library's conflict messages get
// a setting's kind from it as an argument.
#pragma once
#include <cstdint>

// Conflict flag bits.
constexpr uint16_t kActionRefuse = 0x0001;
constexpr uint16_t kActionAlternateKeep = 0x0002;  // in the alternate flags: keep the conflict flags
constexpr uint16_t kActionAsk = 0x0004;
constexpr uint16_t kActionRange = 0x0008;          // find the page's edit item, check the range
constexpr uint16_t kActionSpecial = 0x0010;
constexpr uint16_t kActionAutoFix = 0x0020;        // prepare the engine's fix before asking
constexpr uint16_t kActionLayout = 0x0040;
constexpr uint16_t kActionFinishing = 0x0080;      // recompute 267, 320 and 341 after applying

struct ConflictActionRow {
    uint16_t id;
    uint16_t conflictFlags;
    uint16_t alternateFlags;
};
static_assert(sizeof(ConflictActionRow) == 6);

constexpr int kConflictActionRows = 62;
// The rows in table order, ended by a row with FunctionID 0.
extern const ConflictActionRow ConflictActionTable[kConflictActionRows + 1];

constexpr uint16_t kDefaultConflictFlags = kActionAsk;
constexpr uint16_t kDefaultAlternateFlags = kActionAlternateKeep;

// The flags for a change of `id`: its row's (first match; defaults 4 and 2),
// the alternate flags taking the conflict flags' place when they lack
// kActionAlternateKeep and the change carries a value.
uint16_t LookUpConflictFlags(uint16_t id, bool hasValue);
