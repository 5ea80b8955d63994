// The growable identifier lists and the result record: growth in steps of
// five, out of memory keeping the old storage, copies that can grow, and the
// priority order of the result codes.
#include "common/constraints/constraint_result.h"
#include "tests/support/import_patch.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

namespace {

HGLOBAL WINAPI RefusingGlobalAlloc(UINT, SIZE_T) { return nullptr; }

struct List5 {
    IdList<5> list{};
    List5() { list.items = list.room; }
    ~List5() { ClearIdList(list); }
    std::vector<uint16_t> ids() const { return {list.items, list.items + list.count}; }
    size_t blockEntries() const
    {
        return list.items == list.room ? 0 : GlobalSize(list.items) / sizeof(uint16_t);
    }
};

}  // namespace

TEST(IdList, GrowsInStepsOfFiveOutOfItsRoom)
{
    struct Step {
        uint16_t count;         // entries after the add
        size_t blockEntries;    // 0: still in the room
    };
    const Step steps[] = {{1, 0}, {5, 0}, {6, 10}, {10, 10}, {11, 15}, {15, 15}, {16, 20}};
    List5 l;
    uint16_t next = 100;
    for (const Step& s : steps) {
        while (l.list.count < s.count)
            ASSERT_EQ(AddId(l.list, next++), kListOk);
        EXPECT_EQ(l.blockEntries(), s.blockEntries) << "after " << s.count;
        EXPECT_EQ(IdListCapacity(5, s.count), s.blockEntries ? s.blockEntries : 5u);
    }
    std::vector<uint16_t> expected;
    for (uint16_t id = 100; id < next; ++id)
        expected.push_back(id);
    EXPECT_EQ(l.ids(), expected);
}

TEST(IdList, KeepsOneOfEachAndRefusesAMissingList)
{
    List5 l;
    for (uint16_t id : {8, 262, 8, 262, 8})
        ASSERT_EQ(AddId(l.list, id), kListOk);
    EXPECT_EQ(l.ids(), (std::vector<uint16_t>{8, 262}));
    uint16_t count = 0;
    uint16_t* items = nullptr;
    EXPECT_EQ(AddIdToList(1, 5, nullptr, &count), kListBadArgument);
    EXPECT_EQ(AddIdToList(1, 5, &items, nullptr), kListBadArgument);
    EXPECT_EQ(AddIdToList(1, 5, &items, &count), kListBadArgument);  // not pointed at its room
}

TEST(IdList, OutOfMemoryKeepsTheOldStorage)
{
    List5 l;
    for (uint16_t id = 1; id <= 5; ++id)
        ASSERT_EQ(AddId(l.list, id), kListOk);
    {
        ScopedImportPatch refuse("kernel32.dll", "GlobalAlloc", reinterpret_cast<void*>(&RefusingGlobalAlloc));
        ASSERT_TRUE(refuse.active());
        EXPECT_EQ(AddId(l.list, 6), kListNoMemory);
    }
    EXPECT_EQ(l.list.items, l.list.room);
    EXPECT_EQ(l.ids(), (std::vector<uint16_t>{1, 2, 3, 4, 5}));
    for (uint16_t id = 6; id <= 10; ++id)
        ASSERT_EQ(AddId(l.list, id), kListOk);
    const uint16_t* block = l.list.items;
    {
        ScopedImportPatch refuse("kernel32.dll", "GlobalAlloc", reinterpret_cast<void*>(&RefusingGlobalAlloc));
        EXPECT_EQ(AddId(l.list, 11), kListNoMemory);
    }
    EXPECT_EQ(l.list.items, block);
    EXPECT_EQ(l.list.count, 10);
    EXPECT_EQ(l.ids().back(), 10);
    EXPECT_EQ(AddId(l.list, 11), kListOk);
    EXPECT_EQ(l.blockEntries(), 15u);
}

TEST(ConstraintResultRecord, CopiesCanGrowWithoutWritingPastTheirBlock)
{
    ConstraintResult* source = AllocConstraintResult();
    ConstraintResult* copy = AllocConstraintResult();
    ASSERT_TRUE(source && copy);
    // 21 entries: one past the room of 20, in a block of 25.
    for (uint16_t id = 1; id <= 21; ++id)
        ASSERT_EQ(AddId(source->controlling, id), kListOk);
    for (uint16_t n = 1; n <= 3; ++n)
        ASSERT_EQ(AddId(source->conflictRules, n), kListOk);
    source->code = 7;
    source->involvementBits = 0x0F;
    ASSERT_EQ(CopyConstraintResult(copy, source), kListOk);
    EXPECT_EQ(copy->code, 7);
    EXPECT_EQ(copy->involvementBits, 0x0F);
    EXPECT_EQ(copy->conflictRules.items, copy->conflictRules.room);
    ASSERT_NE(copy->controlling.items, source->controlling.items);
    EXPECT_GE(GlobalSize(copy->controlling.items), 25 * sizeof(uint16_t));
    for (uint16_t id = 22; id <= 30; ++id)
        ASSERT_EQ(AddId(copy->controlling, id), kListOk);
    for (uint16_t i = 0; i < 30; ++i)
        EXPECT_EQ(copy->controlling.items[i], i + 1);
    EXPECT_EQ(source->controlling.count, 21);
    EXPECT_EQ(FreeConstraintResult(source), 1);
    EXPECT_EQ(FreeConstraintResult(copy), 1);
    EXPECT_EQ(FreeConstraintResult(nullptr), 0);
}

TEST(ConstraintResultRecord, ResetEmptiesEveryList)
{
    ConstraintResult* r = AllocConstraintResult();
    for (uint16_t id = 1; id <= 12; ++id)
        ASSERT_EQ(AddId(r->transitionRules, id), kListOk);
    r->code = 3;
    ResetConstraintResult(r);
    EXPECT_EQ(r->code, 0);
    EXPECT_EQ(r->transitionRules.count, 0);
    EXPECT_EQ(r->transitionRules.items, r->transitionRules.room);
    EXPECT_EQ(AddId(r->transitionRules, 5), kListOk);
    FreeConstraintResult(r);
}

TEST(ConstraintCodes, TheHigherPriorityCodeIsKept)
{
    struct Case {
        uint16_t kept, incoming, expected;
    };
    const Case cases[] = {
        {9, 3, 3},     // 300 > 270
        {3, 9, 3},
        {12, 10, 12},  // 555 > 550
        {10, 12, 12},
        {0, 4, 4},     // a kept 0 ranks 100
        {4, 0, 4},     // a new 0 never replaces
        {0, 0, 0},
        {99, 4, 4},    // a kept code outside the table ranks 0
        {4, 99, 4},    // a new unknown code never replaces
        {6, 1, 6},     // 900 is the highest
        {1, 6, 6},
        {13, 11, 13},  // 545 > 540
        {14, 15, 15},  // 590 > 580
        {2, 5, 2},     // 500 > 400
        {8, 8, 8},
    };
    for (const Case& c : cases) {
        ConstraintResult r{};
        r.code = c.kept;
        KeepHigherPriorityResult(&r, c.incoming);
        EXPECT_EQ(r.code, c.expected) << c.kept << " then " << c.incoming;
    }
    const uint16_t order[] = {6, 1, 7, 8, 15, 14, 12, 10, 13, 11, 2, 5, 3, 9, 4, 0};
    for (size_t i = 1; i < std::size(order); ++i)
        EXPECT_GT(ConstraintCodePriority(order[i - 1]), ConstraintCodePriority(order[i])) << order[i];
    EXPECT_EQ(ConstraintCodePriority(16), 0);
}
