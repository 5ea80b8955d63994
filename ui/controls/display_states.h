// How a control shows its setting's display state, and the small pieces every
// kind shares: the pending list of changed settings. The row height of the
// owner-drawn lists is the engine's GetListRowHeight (list_rows.h).
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/engine/control_display.h"
#include "ui/engine/list_rows.h"

struct CallContext;
struct ItemRecord;

// Further display states of the constraint engine that the rules name.
inline constexpr uint16_t kStateReadOnly = 14;  // shown, not to be edited
inline constexpr uint16_t kStateFixed = 15;     // shown disabled (an edit field stays writable)

// The general rule is the engine's ApplyControlState (control_display.h).
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

