#include "ui/support/keyed_list.h"

#include <windows.h>

namespace {

template <typename T>
T* AllocZeroed()
{
    return static_cast<T*>(GlobalAlloc(GPTR, sizeof(T)));
}

bool ValidIndex(const KeyedList* list, int32_t index)
{
    return list && index >= 0 && list->count > index;
}

// The link that points at the node of an insertion-order index.
KeyedListNode** LinkAt(KeyedList* list, int32_t index)
{
    KeyedListNode** link = &list->first;
    for (int32_t steps = list->count - (index + 1); steps > 0 && *link; --steps)
        link = &(*link)->next;
    return link;
}

void Unlink(KeyedList* list, KeyedListNode** link)
{
    KeyedListNode* node = *link;
    *link = node->next;
    GlobalFree(node);
    --list->count;
}

}  // namespace

KeyedList* CreateKeyedList()
{
    return AllocZeroed<KeyedList>();
}

int InsertKeyedListNode(KeyedList* list, uint64_t key1, uint64_t key2, void* data)
{
    if (!list || !data)
        return 0;
    KeyedListNode* node = AllocZeroed<KeyedListNode>();
    if (!node)
        return 0;
    *node = {key1, key2, list->first, data};
    list->first = node;
    ++list->count;
    return 1;
}

KeyedListNode* FindKeyedListNode(KeyedList* list, uint64_t key1, uint64_t key2, KeyedListNode** previous)
{
    if (previous)
        *previous = nullptr;
    if (!list)
        return nullptr;
    for (KeyedListNode* node = list->first; node; node = node->next) {
        if (node->key1 == key1 && (key2 == kAnyKey2 || node->key2 == key2))
            return node;
        if (previous)
            *previous = node;
    }
    return nullptr;
}

void* FindKeyedListData(KeyedList* list, uint64_t key1, uint64_t key2)
{
    KeyedListNode* node = FindKeyedListNode(list, key1, key2, nullptr);
    return node ? node->data : nullptr;
}

int RemoveKeyedListNode(KeyedList* list, uint64_t key1, uint64_t key2)
{
    KeyedListNode* previous = nullptr;
    if (!FindKeyedListNode(list, key1, key2, &previous))
        return 0;
    Unlink(list, previous ? &previous->next : &list->first);
    return 1;
}

int RemoveKeyedListNodeAt(KeyedList* list, int32_t index)
{
    if (!ValidIndex(list, index))
        return 0;
    KeyedListNode** link = LinkAt(list, index);
    if (!*link)
        return 0;
    Unlink(list, link);
    return 1;
}

void* GetKeyedListDataAt(KeyedList* list, int32_t index)
{
    if (!ValidIndex(list, index))
        return nullptr;
    KeyedListNode* node = *LinkAt(list, index);
    return node ? node->data : nullptr;
}

int32_t GetKeyedListCount(const KeyedList* list)
{
    return list ? list->count : -1;
}

void* GetFirstKeyedListData(KeyedList* list, KeyedListNode** next)
{
    if (!list || !list->first)
        return nullptr;
    return GetNextKeyedListData(list->first, next);
}

void* GetNextKeyedListData(KeyedListNode* node, KeyedListNode** next)
{
    if (!node)
        return nullptr;
    if (next)
        *next = node->next;
    return node->data;
}

int FreeKeyedList(KeyedList** list)
{
    if (!list)
        return 0;
    if (*list) {
        for (KeyedListNode* node = (*list)->first; node;) {
            KeyedListNode* next = node->next;
            GlobalFree(node);
            node = next;
        }
        GlobalFree(*list);
        *list = nullptr;
    }
    return 1;
}
