// How a control shows its setting's display state, and the small pieces every
// kind shares: the pending list of changed settings and the row height of the
// owner-drawn lists.
#pragma once
#include <windows.h>

#include <cstdint>

struct CallContext;
struct ItemRecord;

// Further display states of the constraint engine that the rules name.
inline constexpr uint16_t kStateReadOnly = 14;  // shown, not to be edited
inline constexpr uint16_t kStateFixed = 15;     // shown disabled (an edit field stays writable)

// The general rule: 1 shown disabled, 6 hidden disabled, 14 shown enabled, 15
// shown disabled, others shown enabled. Nothing for a null control.
void ApplyControlState(HWND control, uint16_t state);
// The rule of the combo boxes (kind 1): 14 is shown disabled as well.
void ApplyComboControlState(HWND control, uint16_t state);
// The rule of the edit fields (kind 4): read-only only in state 14, set at
// every call.
void ApplyEditControlState(HWND control, uint16_t state);
// Reads the display state of the item's selected setting and applies the rule
// of its kind to its control. 1 with *state (may be null); 0 when the state
// cannot be read (the control is left alone).
int UpdateItemControlState(HWND window, const ItemRecord* item, uint16_t* state);

// Appends the zero-ended `ids` (settings) to the zero-ended list at *list in a
// new global block: old entries, then the new ones, then 0. The
// old block is freed. 1 done; 0 when memory runs out (the list is unchanged).
int AddToPendingList(uint16_t** list, const uint16_t* ids);
// The number of settings of a zero-ended list (0 for null).
int PendingListLength(const uint16_t* list);

// Records a pending refresh (code 1) of the listed settings with the item as
// target; `ids` is taken over (may be null: the item's selected setting is
// listed). 1 done.
int RecordPendingRefresh(CallContext* call, const ItemRecord* item, uint16_t* ids);

// Row height of the owner-drawn lists: 26 for the ten tall lists, 15 for the
// others, scaled by the screen's vertical resolution when the process is
// aware of it.
inline constexpr UINT kTallRowHeight = 26;
inline constexpr UINT kRowHeight = 15;
UINT GetListRowHeight(HWND window, WPARAM controlId);
