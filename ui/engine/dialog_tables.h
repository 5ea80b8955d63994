// The static tables that describe every page and sub-dialog: which controls it
// has, which settings each control edits, which control kind draws it and which
// handler answers its events. They are read-only data of the library; each
// sheet instance takes private copies of the item-table headers (the
// re-initialise flag is per sheet) in its DialogTableSet.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

struct CallContext;
struct ItemRecord;
struct KeyedList;

// Number of dialog codes: pages and sub-dialogs are numbered 0..59.
inline constexpr uint32_t kDialogCodeCount = 60;
// A dialog that uses the engine without an item table.
inline constexpr int32_t kDialogWithoutItems = -4;
// "None" for control identifiers, label strings and title strings.
inline constexpr int32_t kNoControl = -3;
// The page-level pseudo item (it receives WM_WINDOWPOSCHANGED and WM_TIMER).
inline constexpr int32_t kPageItemId = -3;
// The page help topic of every table.
inline constexpr uint32_t kPageHelpTopic = 9999;
// Settings from this identifier up are pseudo settings, never read from the records.
inline constexpr uint16_t kFirstPseudoSetting = 36864;

// Evaluation flags of a slot.
inline constexpr uint16_t kEvaluateOnActivate = 1;   // every option when the page becomes active
inline constexpr uint16_t kEvaluateAfterChange = 2;  // the current option after each change

struct ItemSlot {
    uint16_t setting;
    uint16_t evaluation;
};

// ItemFlags.
inline constexpr uint32_t kItemEnabledWhenReadOnly = 1;
inline constexpr uint32_t kItemKeptByDefaults = 2;
inline constexpr uint32_t kItemLabelFollowsControl = 4;  // the read-only lock leaves the item alone

// The handler of one item, and the default handler of each control kind.
using ItemEventHandler = uint32_t (*)(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam,
                                 const ItemRecord* item, const void* parameters);

struct ItemRecord {
    int32_t controlId;        // kPageItemId for the page-level pseudo item
    int32_t slotCount;        // -1: none; 0 for action controls
    const ItemSlot* slots;
    uint64_t kind;            // ControlKind; 0 none
    ItemEventHandler handler;      // null: the kind's default handler
    const void* parameters;   // the kind's parameter block
    int32_t labelControl;     // kNoControl: none
    int32_t labelString;      // kNoControl: none
    const uint32_t* flags;    // ItemFlags; null: 0
};

struct HelpMapEntry {
    uint32_t controlId;  // 0 ends the map
    uint32_t topic;
};

struct ItemTableHeader {
    const ItemRecord* records;
    uint32_t count;
    uint32_t pageHelpTopic;
    const HelpMapEntry* helpMap;
    const int32_t* lockedControls;  // further controls the read-only lock disables, ended by kNoControl
    uint32_t reinitialise;          // 0 in the static table; set in a sheet's copy after an Apply
};

struct PageHeader;
// A page (with its header) or a sub-dialog (header null).
struct PageDescriptor {
    uint64_t pageKind;  // the dialog code
    const ItemTableHeader* items;
    const PageHeader* header;
};
using SubDialogDescriptor = PageDescriptor;

struct PageHeader {
    uint32_t templateId;
    uint32_t reserved;
    DLGPROC procedure;
    uint32_t dialogCode;
    int32_t titleString;    // kNoControl: none
    uint16_t titleSetting;  // 0: none; its display name is the title when there is no title string
    const SubDialogDescriptor* const* subDialogs;
    uint64_t subDialogCount;
};

// The push buttons every dialog shares, searched after a dialog's own records.
inline constexpr int32_t kCommonItemCount = 5;
extern const ItemRecord CommonItems[kCommonItemCount];

// The option lists a sheet has built, shared by its pages: keyed by setting
// with the window key 65535.
struct OptionList;
struct OptionListCacheEntry {
    uint16_t setting;
    OptionList* list;
    uint32_t references;
};

struct DialogTableSet {
    ItemTableHeader** tables;  // kDialogCodeCount entries
    KeyedList* optionCache;
};

// The 60-entry array: for each code a copy of the item-table header of the
// first list entry whose code equals it (null when none has one). Null when
// memory runs out (nothing left allocated).
ItemTableHeader** BuildDialogTables(const PageDescriptor* const* list, size_t count);
void FreeDialogTables(ItemTableHeader** tables);
DialogTableSet* CreateDialogTableSet(const PageDescriptor* const* list, size_t count);
// Frees the copies, every cached option list, the cache and the set.
void FreeDialogTableSet(DialogTableSet* set);
// The entries' page headers (entries without one skipped) in a new global
// block; null when there are none or memory runs out.
const PageHeader** CollectPageHeaders(const PageDescriptor* const* list, size_t count, size_t* headers);

// Through the window's dialog context and sheet.
ItemTableHeader* GetDialogTableHeader(HWND window, int32_t code);
int GetDialogItemTable(HWND window, int32_t code, const ItemRecord** records, int32_t* count);
const ItemRecord* GetDialogItemRecords(HWND window, int32_t code);
int32_t GetDialogItemCount(HWND window, int32_t code);
// The dialog's record of the control, else the common item's; null when none.
const ItemRecord* FindItemRecord(HWND window, int32_t code, int32_t controlId);
const ItemRecord* GetItemRecordAt(const ItemRecord* records, int32_t index);
// The record of the call's dialog that shares the item's slot array and has `kind`.
const ItemRecord* FindCompanionItem(const CallContext* call, HWND window, const ItemRecord* item, uint64_t kind);

int32_t GetItemControlId(const ItemRecord* item);   // 0 for null
int32_t GetItemValueCount(const ItemRecord* item);  // -1 for null
const void* GetItemParameter(const ItemRecord* item);
uint64_t GetItemKind(const ItemRecord* item);
uint32_t GetItemFlags(const ItemRecord* item);
// Null outside [0, slots).
const ItemSlot* GetItemSlotEntry(const ItemRecord* item, int32_t index);
// 1 with the slot index of `setting`; 0 (index 0) when the item has no such slot.
int FindItemSettingIndex(const ItemRecord* item, uint16_t setting, int32_t* index);
// Row `index` of a table of 32-byte rows.
const void* GetTableRow32(const void* base, int32_t index);
