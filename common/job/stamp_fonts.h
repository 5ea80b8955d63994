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

// Paper source number, then the six settings of that source.
struct PaperSourceSettingsRow {
    uint16_t source;
    uint16_t settings[6];
};
static_assert(sizeof(PaperSourceSettingsRow) == 14);

// 1 with the six setting ids of the source; 0 when it is not in the table.
int FindPaperSourceSettings(uint16_t source, uint16_t settings[6]);
// The fifth and sixth setting of the row whose first setting is `firstSetting`.
int FindPaperSourceBySetting(uint16_t firstSetting, uint16_t* fifth, uint16_t* sixth);
