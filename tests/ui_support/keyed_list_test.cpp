#include "ui/support/keyed_list.h"

#include <gtest/gtest.h>

namespace {

struct ListHolder {
    KeyedList* list = CreateKeyedList();
    ~ListHolder() { FreeKeyedList(&list); }
};

// Entries A, B, C inserted in that order; data are the test's own.
TEST(KeyedList, IndexesCountInInsertionOrder)
{
    int a = 1, b = 2, c = 3;
    ListHolder h;
    ASSERT_NE(h.list, nullptr);
    EXPECT_EQ(GetKeyedListCount(h.list), 0);
    EXPECT_EQ(GetKeyedListCount(nullptr), -1);
    for (int* data : {&a, &b, &c})
        ASSERT_EQ(InsertKeyedListNode(h.list, *data, 0, data), 1);
    EXPECT_EQ(GetKeyedListCount(h.list), 3);
    const struct {
        int32_t index;
        void* expected;
    } cases[] = {{0, &a}, {1, &b}, {2, &c}, {3, nullptr}, {-1, nullptr}, {INT32_MIN, nullptr}};
    for (const auto& c : cases)
        EXPECT_EQ(GetKeyedListDataAt(h.list, c.index), c.expected) << c.index;
    KeyedListNode* next = nullptr;
    EXPECT_EQ(GetFirstKeyedListData(h.list, &next), &c);
    EXPECT_EQ(GetNextKeyedListData(next, &next), &b);
    EXPECT_EQ(GetNextKeyedListData(next, &next), &a);
    EXPECT_EQ(next, nullptr);
    EXPECT_EQ(GetNextKeyedListData(nullptr, &next), nullptr);

    // A negative index is refused and nothing is unlinked.
    EXPECT_EQ(RemoveKeyedListNodeAt(h.list, -1), 0);
    EXPECT_EQ(RemoveKeyedListNodeAt(h.list, 3), 0);
    EXPECT_EQ(GetKeyedListCount(h.list), 3);
    // Removing the newest by index makes the next one the head.
    EXPECT_EQ(RemoveKeyedListNodeAt(h.list, 2), 1);
    EXPECT_EQ(GetFirstKeyedListData(h.list, &next), &b);
    EXPECT_EQ(RemoveKeyedListNodeAt(h.list, 0), 1);
    EXPECT_EQ(GetKeyedListDataAt(h.list, 0), &b);
    EXPECT_EQ(GetKeyedListCount(h.list), 1);
}

TEST(KeyedList, SearchesReachTheNewerOfEqualKeys)
{
    int older = 1, newer = 2, other = 3;
    ListHolder h;
    ASSERT_EQ(InsertKeyedListNode(h.list, 7, 1, &older), 1);
    ASSERT_EQ(InsertKeyedListNode(h.list, 7, 1, &newer), 1);
    ASSERT_EQ(InsertKeyedListNode(h.list, 9, 4, &other), 1);
    KeyedListNode* previous = reinterpret_cast<KeyedListNode*>(1);
    KeyedListNode* found = FindKeyedListNode(h.list, 7, 1, &previous);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->data, &newer);
    ASSERT_NE(previous, nullptr);
    EXPECT_EQ(previous->data, &other);
    EXPECT_EQ(FindKeyedListNode(h.list, 9, 4, &previous)->data, &other);
    EXPECT_EQ(previous, nullptr) << "the match is the first node";
    EXPECT_EQ(FindKeyedListData(h.list, 9, kAnyKey2), &other);
    EXPECT_EQ(FindKeyedListData(h.list, 9, 5), nullptr);
    EXPECT_EQ(FindKeyedListData(h.list, 8, kAnyKey2), nullptr);

    EXPECT_EQ(RemoveKeyedListNode(h.list, 7, 1), 1);
    EXPECT_EQ(FindKeyedListData(h.list, 7, 1), &older);
    EXPECT_EQ(RemoveKeyedListNode(h.list, 7, kAnyKey2), 1);
    EXPECT_EQ(RemoveKeyedListNode(h.list, 7, 1), 0);
    EXPECT_EQ(GetKeyedListCount(h.list), 1);
}

TEST(KeyedList, BadArgumentsAreRefused)
{
    int data = 0;
    ListHolder h;
    EXPECT_EQ(InsertKeyedListNode(nullptr, 1, 1, &data), 0);
    EXPECT_EQ(InsertKeyedListNode(h.list, 1, 1, nullptr), 0);
    EXPECT_EQ(GetKeyedListCount(h.list), 0);
    KeyedListNode* next = reinterpret_cast<KeyedListNode*>(1);
    EXPECT_EQ(GetFirstKeyedListData(h.list, &next), nullptr);
    EXPECT_EQ(next, reinterpret_cast<KeyedListNode*>(1)) << "left alone on an empty list";
    EXPECT_EQ(FindKeyedListNode(nullptr, 1, 1, nullptr), nullptr);
    EXPECT_EQ(RemoveKeyedListNode(nullptr, 1, 1), 0);
    EXPECT_EQ(RemoveKeyedListNodeAt(nullptr, 0), 0);
    EXPECT_EQ(GetKeyedListDataAt(nullptr, 0), nullptr);
    EXPECT_EQ(FreeKeyedList(nullptr), 0);
    KeyedList* empty = nullptr;
    EXPECT_EQ(FreeKeyedList(&empty), 1);
}

// Freeing the list leaves the caller's data alone.
TEST(KeyedList, FreeLeavesTheData)
{
    KeyedList* list = CreateKeyedList();
    int* data = new int(42);
    ASSERT_EQ(InsertKeyedListNode(list, 1, 2, data), 1);
    EXPECT_EQ(FreeKeyedList(&list), 1);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(*data, 42);
    delete data;
}

}  // namespace
