#include "common/constraints/constraint_result.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

struct CodePriority {
    uint16_t code;
    uint16_t priority;
};

// Highest first. Code 0 ranks only as a kept code: a new 0 never replaces.
constexpr std::array<CodePriority, 16> kPriorities{{
    {6, 900}, {1, 800}, {7, 700}, {8, 600}, {15, 590}, {14, 580}, {12, 555}, {10, 550},
    {13, 545}, {11, 540}, {2, 500}, {5, 400}, {3, 300}, {9, 270}, {4, 200}, {0, 100},
}};

template <uint16_t Room>
uint16_t CopyList(IdList<Room>& dst, const IdList<Room>& src)
{
    dst.count = 0;
    dst.items = dst.room;
    if (src.count <= Room) {
        std::copy_n(src.items, src.count, dst.room);
        dst.count = src.count;
        return kListOk;
    }
    // The copy gets the capacity AddIdToList expects for its count, so that
    // adding to the copy never writes past its block.
    const uint32_t capacity = IdListCapacity(Room, src.count);
    auto* block = static_cast<uint16_t*>(GlobalAlloc(GPTR, capacity * sizeof(uint16_t)));
    if (!block)
        return kListNoMemory;
    std::copy_n(src.items, src.count, block);
    dst.items = block;
    dst.count = src.count;
    return kListOk;
}

void PointAtRooms(ConstraintResult* r)
{
    r->conflictRules.items = r->conflictRules.room;
    r->transitionRules.items = r->transitionRules.room;
    r->controlling.items = r->controlling.room;
}

}  // namespace

uint32_t IdListCapacity(uint16_t room, uint16_t count)
{
    if (count <= room)
        return room;
    return room + 5u * ((count - room + 4u) / 5u);
}

bool ListHasId(const uint16_t* items, uint16_t count, uint16_t id)
{
    return items && std::find(items, items + count, id) != items + count;
}

uint16_t AddIdToList(uint16_t id, uint16_t room, uint16_t** list, uint16_t* count)
{
    if (!list || !count || (!*list && *count != 0))
        return kListBadArgument;
    if (ListHasId(*list, *count, id))
        return kListOk;
    if (!*list && room != 0)
        return kListBadArgument;  // the owner points an empty list at its room
    const uint32_t capacity = IdListCapacity(room, *count);
    if (*count >= capacity) {
        auto* block = static_cast<uint16_t*>(GlobalAlloc(GPTR, (capacity + 5) * sizeof(uint16_t)));
        if (!block)
            return kListNoMemory;
        std::copy_n(*list, *count, block);
        if (*count > room)
            GlobalFree(*list);
        *list = block;
    }
    (*list)[(*count)++] = id;
    return kListOk;
}

void FreeIdBlock(uint16_t room, uint16_t* items, uint16_t count)
{
    if (items && count > room)
        GlobalFree(items);
}

uint16_t ConstraintCodePriority(uint16_t code)
{
    for (const CodePriority& p : kPriorities)
        if (p.code == code)
            return p.priority;
    return 0;
}

void KeepHigherPriorityResult(ConstraintResult* result, uint16_t code)
{
    if (!result || code == kConstraintNone)
        return;
    const uint16_t priority = ConstraintCodePriority(code);
    if (priority > ConstraintCodePriority(result->code))
        result->code = code;
}

ConstraintResult* AllocConstraintResult()
{
    auto* r = static_cast<ConstraintResult*>(GlobalAlloc(GPTR, sizeof(ConstraintResult)));
    if (r)
        PointAtRooms(r);
    return r;
}

int FreeConstraintResult(ConstraintResult* result)
{
    if (!result)
        return 0;
    ResetConstraintResult(result);
    GlobalFree(result);
    return 1;
}

void ResetConstraintResult(ConstraintResult* result)
{
    if (!result)
        return;
    ClearIdList(result->conflictRules);
    ClearIdList(result->transitionRules);
    ClearIdList(result->controlling);
    std::memset(result, 0, sizeof(*result));
    PointAtRooms(result);
}

uint16_t CopyConstraintResult(ConstraintResult* dst, const ConstraintResult* src)
{
    if (!dst || !src || dst == src)
        return kListBadArgument;
    ResetConstraintResult(dst);
    dst->reserved = src->reserved;
    dst->code = src->code;
    dst->involvementBits = src->involvementBits;
    if (CopyList(dst->conflictRules, src->conflictRules) != kListOk ||
        CopyList(dst->transitionRules, src->transitionRules) != kListOk ||
        CopyList(dst->controlling, src->controlling) != kListOk) {
        ResetConstraintResult(dst);
        return kListNoMemory;
    }
    return kListOk;
}
