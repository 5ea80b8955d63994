// The interface library's one small container: entries with two 64-bit keys and
// a pointer to data the caller owns. The list owns only its head and nodes; it
// never copies, frees or reads the data. New entries go in at the head, so the
// chain runs newest to oldest; indexes count in insertion order (0 the oldest).
#pragma once
#include <cstdint>

struct KeyedListNode {
    uint64_t key1;
    uint64_t key2;
    KeyedListNode* next;
    void* data;
};

struct KeyedList {
    int32_t count;
    KeyedListNode* first;
};

// A key2 of this value in a search matches any key2.
inline constexpr uint64_t kAnyKey2 = 65535;

KeyedList* CreateKeyedList();
// 1 when linked at the head; 0 for a null list or data, or no memory (the list
// is then unchanged).
int InsertKeyedListNode(KeyedList* list, uint64_t key1, uint64_t key2, void* data);
// The first match in chain order (the newest); *previous (when given) is the
// node before it, null when the match is the first node.
KeyedListNode* FindKeyedListNode(KeyedList* list, uint64_t key1, uint64_t key2, KeyedListNode** previous);
void* FindKeyedListData(KeyedList* list, uint64_t key1, uint64_t key2);
// 1 when the node found as above was unlinked and freed (its data is not).
int RemoveKeyedListNode(KeyedList* list, uint64_t key1, uint64_t key2);
// By insertion-order index; a negative index or one at or past the count is
// refused (0, null).
int RemoveKeyedListNodeAt(KeyedList* list, int32_t index);
void* GetKeyedListDataAt(KeyedList* list, int32_t index);
// -1 for a null list.
int32_t GetKeyedListCount(const KeyedList* list);
// Newest to oldest: the first data with *next set to the node after it, then
// GetNextKeyedListData on that node until it is null.
void* GetFirstKeyedListData(KeyedList* list, KeyedListNode** next);
void* GetNextKeyedListData(KeyedListNode* node, KeyedListNode** next);
// Frees the nodes and the head (never the data) and clears *list. 1, also when
// *list is null; 0 for a null pointer.
int FreeKeyedList(KeyedList** list);
