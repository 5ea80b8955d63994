// How a dialog's items change settings and are brought up to date again: the
// one routine through which every control writes a setting, the refresh that
// follows an accepted change, Defaults, and the states, labels and read-only
// lock of a dialog's items.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/engine/dialog_context.h"
#include "ui/engine/dialog_tables.h"

struct SettingsContext;

// Answers of ApplyItemValueChange.
inline constexpr int kChangeFailed = -1;      // failure, or cancelled by the user
inline constexpr int kChangeApplied = 1;      // *changed: zero-ended global block the caller owns
inline constexpr int kChangeNotApplied = 2;   // enforced, a change already running, or declined
inline constexpr int kChangeSameValue = 3;

// `value` points at an 8-byte holder of the new value (numbers in its low
// bytes, a string's pointer for strings). After kChangeApplied the caller
// records SetPendingAction(call, kPendingValuesChanged, *changed, item).
int ApplyItemValueChange(CallContext* call, const ItemRecord* item, const ValueEntry* entry, uint16_t type,
                         const void* value, uint16_t** changed);

// The refresh after an accepted change (event 2524). 1 done; 0 without a dialog.
int RefreshDialogFromSettings(CallContext* call, const uint16_t* changed);

// Defaults of the call's dialog: every slot setting of its items (but the
// page item and items kept by Defaults) reset. 1 with a zero-ended global list
// of the settings that changed (null and 0 when none did); 0 on failure.
int ResetDialogToDefaults(CallContext* call, void* settings, void* printerSettings, int32_t* count, uint16_t** list);
// 1 when the setting changed, 0 when it kept its value, -1 on failure.
int SetSettingToDefault(HWND window, SettingsContext* context, void* settings, void* printerSettings,
                        uint16_t setting);

// Selects in `item` the slot editing the setting that control `controlId` of
// dialog `dialogCode` has selected. 1 when a slot was selected.
int SyncSlotSelection(HWND window, const ItemRecord* item, int32_t dialogCode, int32_t controlId);
// Re-reads the item's slot values from the current settings. 1 done.
int RefreshSingleItem(HWND window, const ItemRecord* item);
// Event 2532: the next selectable option of an enumeration item applied; 1 on
// success (also when only the current option is selectable).
uint32_t CycleItemOption(CallContext* call, const ItemRecord* item);

// --- States of a dialog's items -------------------------------------------------
// One ControlState per item and, per slot, an option-list reference and a
// SettingUiState. 1 done; 0 with everything undone.
int InitDialogStates(CallContext* call, const ItemRecord* records, int32_t count);
void FreeDialogStates(HWND window, const ItemRecord* records, int32_t count);
int ReloadItemValues(CallContext* call, const ItemRecord* records, int32_t count);
int UpdateSlotSelections(CallContext* call, const ItemRecord* records, int32_t count);
// Mode kEvaluateOnActivate: every option; kEvaluateAfterChange: the current one.
int EvaluateOptionStates(CallContext* call, const ItemRecord* records, int32_t count, uint16_t mode,
                         const uint16_t* changed);

// Mode 0 every label; mode 1 (after a change) a one-slot item's label only
// when its setting is in the pending changed list.
int UpdateItemLabels(CallContext* call, const ItemRecord* records, int32_t count, int mode);
int LockDialogReadOnly(CallContext* call, const ItemRecord* records, int32_t count);
