// The choices of one setting as the settings pages show them: an OptionList
// (common/context/option_list.h) built from the setting's handler or from the
// model data's options, with texts, icons and values, the size texts of the
// user-defined paper sizes, and lookups by index and by text.
#pragma once
#include <windows.h>

#include <cstdint>

#include "common/context/option_list.h"

struct SettingsContext;
struct ItemRow;
struct OptionExchange;

// How paper sizes are shown: inches (else millimetres), and the number of
// decimals of an inch (0: two).
struct PaperUnits {
    uint32_t inch;
    uint32_t precision;
};

// Strings the caller gives for settings whose choices are not in the model:
// the names of setting 298 as a multi-string list (each terminated, ended by
// an empty one), the faces of settings 305 and 358 as a table.
struct OptionStrings {
    const wchar_t* multiString;
    const wchar_t* const* strings;
    int32_t count;
};

// The list of the setting's choices, or null on any failure (nothing is left
// allocated). resources: where handler texts are loaded from (null: the
// driver's resource file); units: how user
// paper sizes are written (null: millimetres).
OptionList* BuildOptionList(HMODULE resources, SettingsContext* context, uint16_t id, void* settingsRecord,
                            void* printerSettingsRecord, const PaperUnits* units, const OptionStrings* strings);

// The list with its title, kind, value type and count, rows zeroed; the item
// row and the exchange that FillOptionRows goes on with.
OptionList* CreateOptionList(HMODULE resources, SettingsContext* context, uint16_t id, void* settingsRecord,
                             void* printerSettingsRecord, const OptionStrings* strings, const ItemRow** item,
                             OptionExchange* exchange);
// Fills every row. 1, or 0 when a row could not be made (the caller frees the list).
int FillOptionRows(SettingsContext* context, uint16_t id, void* settingsRecord, void* printerSettingsRecord,
                   const PaperUnits* units, const ItemRow* item, OptionExchange* exchange, OptionList* list);

// Lookups: null for an index outside 0..count-1, a count of -1 or no rows.
const OptionRow* GetOptionEntry(const OptionList* list, int32_t index);
const OptionRow* GetOptionEntryAt(const OptionList* list, int32_t index);
const wchar_t* GetOptionText(const OptionList* list, int32_t index);
HICON GetOptionIcon(const OptionList* list, int32_t index);
// The row's extra data; 0 when there is no such row.
uint64_t GetOptionData(const OptionList* list, int32_t index);
// The first row whose text begins with `text` (exact case), or null.
const OptionRow* FindOptionByText(const OptionList* list, const wchar_t* text);
