// The list of choices a settings page shows for one setting (its texts, values
// and icons), and the entry record through which a setting's handler gives the
// text and value of one choice. The lists are built by the option-list code; this
// header holds the records and the operations the settings context offers on them.
#pragma once
#include <windows.h>

#include <cstdint>

struct OptionRow {
    uint64_t value;   // a string value of a list whose kind is not 6: an owned copy
    wchar_t* text;    // owned global block; after a carriage return, what some controls show
    HICON icon;       // destroyed with the list
    uint64_t extra;
};

struct OptionList {
    wchar_t* title;      // owned global block
    uint16_t listKind;
    uint16_t valueType;  // value type of the rows' values
    int32_t count;       // -1: no options
    OptionRow* rows;     // global block of count rows
};

// The list kind whose string values the list does not own.
constexpr uint16_t kOptionListKindSharedStrings = 6;

// 0 (FALSE) for a null list.
uint16_t GetOptionListKind(const OptionList* list);
BOOL SetOptionListKind(OptionList* list, uint16_t kind);
// -1 for a null list.
int32_t GetOptionCount(const OptionList* list);
// Frees the title, each row's text, destroys each row's icon, frees each row's
// value when the values are strings the list owns, then the rows and the list.
void FreeOptionList(OptionList* list);

// One choice as a handler gives it. Each entry owns its value and text, so that
// entries filled one after the other never share storage.
struct OptionTextEntry {
    HMODULE module;    // where resource texts are loaded from
    UINT idBase;       // added to a resource identifier
    uint64_t value;    // the value's 8-byte holder
    wchar_t* text;     // owned global block
};
constexpr int kOptionTextChars = 256;

// Sets the entry's value (valueBytes bytes of the holder, at most 8) and its
// text: with a nonzero resource id, string (id + idBase) of the entry's module,
// at most 255 characters (FALSE when it is missing); otherwise the given text.
// A text the entry held before is freed.
BOOL FillOptionText(UINT resourceId, const wchar_t* text, const void* valueHolder, uint32_t valueBytes,
                    OptionTextEntry* entry);
// Frees the entry's text.
void ClearOptionText(OptionTextEntry* entry);
