// What the stamp editor offers and needs beside the store: the TrueType faces it
// lists, and which settings belong to each paper source.
#pragma once
#include <windows.h>

#include <cstdint>

struct TrueTypeFaceNode {
    TrueTypeFaceNode* next;
    wchar_t* name;  // full name of the font
};

struct TrueTypeFaceList {
    TrueTypeFaceNode* head;
    TrueTypeFaceNode* tail;
    uint32_t count;
    uint32_t nameBytes;  // all names with their terminators
};

// Each TrueType font of every family of the device context once, in the order
// enumerated. Null when the list cannot be allocated; an allocation failure
// later stops the enumeration with the names found so far.
TrueTypeFaceList* BuildTrueTypeFaceList(HDC dc);
void FreeTrueTypeFaceList(TrueTypeFaceList* list);
// Adds a name when it is not listed yet. 1 added, 0 already there, -1 no memory
// or no list.
int AddTrueTypeFace(TrueTypeFaceList* list, const wchar_t* name);
