// The record a constraint check reports into, the growable identifier lists it
// holds, and the priorities by which one result code outranks another.
//
// A result lives in the global heap, zero-filled, owned by the caller. Its lists
// start in room of their own inside the record and move to global-heap blocks
// when they outgrow it; the record's pointers always point at the storage in
// use, so a result is copied only with CopyConstraintResult.
#pragma once
#include <cstdint>

// Result codes: the low byte of a rule's flag word, or a special check's answer.
inline constexpr uint16_t kConstraintNone = 0;
inline constexpr uint16_t kConstraintError = 1;       // refused
inline constexpr uint16_t kConstraintAutoChange = 3;  // OK/Cancel naming the automatic changes
inline constexpr uint16_t kConstraintRefused = 6;     // refused outright
inline constexpr uint16_t kConstraintWarning = 7;
inline constexpr uint16_t kConstraintQuestion = 8;
inline constexpr uint16_t kConstraintTooSmall = 13;   // layout fit
inline constexpr uint16_t kConstraintTooLarge = 14;
inline constexpr uint16_t kConstraintEnforcedJobType = 15;  // the site enforces a job type

// Status of the list and record operations.
inline constexpr uint16_t kListOk = 0;
inline constexpr uint16_t kListBadArgument = 1;
inline constexpr uint16_t kListNoMemory = 2;

// Inline rooms of the lists, fixed per use.
inline constexpr uint16_t kChangedRoom = 5;       // changed settings of the carrying-out operations
inline constexpr uint16_t kRuleRoom = 8;          // fired rules of one table
inline constexpr uint16_t kOutIdRoom = 10;        // settings a check involved
inline constexpr uint16_t kControllingRoom = 20;  // settings the conditions consulted

// A list without duplicates: `count` entries at `items`, which points at `room`
// while they fit there, else at a global-heap block.
template <uint16_t Room>
struct IdList {
    uint16_t count;
    uint16_t room[Room];
    uint16_t* items;
};

struct ConstraintResult {
    uint16_t reserved;
    uint16_t code;
    uint16_t involvementBits;  // paper settings a fired paper condition concerned
    IdList<kRuleRoom> conflictRules;       // table 7
    IdList<kRuleRoom> transitionRules;     // table 8
    IdList<kControllingRoom> controlling;
};

// Involvement bits.
inline constexpr uint16_t kInvolvesDocumentPaper = 0x0001;  // 8, taken because 262 is 267
inline constexpr uint16_t kInvolvesOutputPaper = 0x0002;    // 262
inline constexpr uint16_t kInvolvesDefaultSource = 0x0004;  // 13, taken because 265 is 258
inline constexpr uint16_t kInvolvesPaperSource = 0x0008;    // 265
inline constexpr uint16_t kInvolvesSecondSource = 0x0010;   // 389
inline constexpr uint16_t kInvolvesOutputBin = 0x0020;      // 266
inline constexpr uint16_t kInvolves410 = 0x0040;
inline constexpr uint16_t kInvolves411 = 0x0080;
inline constexpr uint16_t kInvolvesFixedTray407 = 0x0100;
inline constexpr uint16_t kInvolvesFixedTray408 = 0x0200;
inline constexpr uint16_t kInvolvesFixedTray409 = 0x0400;
inline constexpr uint16_t kInvolves333 = 0x0800;

// The capacity of a list of `count` entries with inline room `room`: the room
// while the entries fit it, else the room plus whole steps of five.
uint32_t IdListCapacity(uint16_t room, uint16_t count);

// Adds `id` unless present. At full capacity the entries move to a new block
// of capacity + 5 (an earlier heap block is freed, never the room). 0 added or
// present; 1 missing list or count; 2 no memory, the list as it was.
uint16_t AddIdToList(uint16_t id, uint16_t room, uint16_t** list, uint16_t* count);
template <uint16_t Room>
uint16_t AddId(IdList<Room>& list, uint16_t id) { return AddIdToList(id, Room, &list.items, &list.count); }

bool ListHasId(const uint16_t* items, uint16_t count, uint16_t id);
// Frees the heap block a list grew into (a list within its room has none).
void FreeIdBlock(uint16_t room, uint16_t* items, uint16_t count);
// Frees a heap block the list grew into and points it at its room, empty.
template <uint16_t Room>
void ClearIdList(IdList<Room>& list)
{
    FreeIdBlock(Room, list.items, list.count);
    list.count = 0;
    list.items = list.room;
}

// A list a routine keeps for itself: it frees the block it grew into when it goes.
template <uint16_t Room>
struct OwnedIdList {
    uint16_t room[Room] = {};
    uint16_t* items = room;
    uint16_t count = 0;
    OwnedIdList() = default;
    OwnedIdList(const OwnedIdList&) = delete;
    OwnedIdList& operator=(const OwnedIdList&) = delete;
    ~OwnedIdList() { FreeIdBlock(Room, items, count); }
};

// The priority of a code; 0 for a code outside the table.
uint16_t ConstraintCodePriority(uint16_t code);
// Keeps `code` in the result when it outranks the kept one: strictly greater
// priority, never code 0 or an unknown code.
void KeepHigherPriorityResult(ConstraintResult* result, uint16_t code);

ConstraintResult* AllocConstraintResult();
// 1, or 0 for null.
int FreeConstraintResult(ConstraintResult* result);
void ResetConstraintResult(ConstraintResult* result);
// 0, 1 for a missing argument, 2 no memory (dst then reset).
uint16_t CopyConstraintResult(ConstraintResult* dst, const ConstraintResult* src);
