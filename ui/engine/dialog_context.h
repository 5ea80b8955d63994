// The run-time records of the table-driven dialogs: the settings sets a dialog
// works on, the dialog context stored in each window (DWLP_USER), the state of
// each control and of each setting shown, and the call context of one handled
// message. Everything runs on the sheet's window thread; nothing takes a lock.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/engine/dialog_tables.h"
#include "ui/engine/ui_context.h"

struct ConstraintResult;
struct FaxDestinations;
struct KeyedList;
struct OptionList;
struct OptionRow;
struct OptionStrings;
struct SettingsContext;

// The working copy of everything a sheet stores. Valid when both records are present.
struct SettingsSet {
    uint8_t* settings;          // kSettingsRecordSize bytes
    uint8_t* printerSettings;   // kPrinterSettingsRecordSize bytes
    FaxDestinations* fax;
    uint32_t faxBlockSize;
    void* faxBlock;
    void* faxBlock2;
    uint32_t faxBlock2Size;
};

struct StateLists {
    KeyedList* controls;  // ControlState, keyed (control, window)
    KeyedList* settings;  // SettingUiState, keyed (setting, 65535)
};

inline constexpr int kDialogDataLists = 3;
struct DialogContext {
    UiContext* ui;
    SettingsSet* current;
    SettingsSet* saved;      // the state at opening
    SettingsSet* committed;  // made by Apply; null before
    HWND owner;
    KeyedList* data[kDialogDataLists];
    StateLists* states;
};

// One setting's value as a control holds it: numbers in `value`, strings and
// structures as a pointer there.
struct ValueEntry {
    uint16_t setting;
    uint16_t type;
    uint32_t size;
    uint64_t value;
};
static_assert(sizeof(ValueEntry) == 16);

struct ControlSlot {
    int32_t currentOption;
    ValueEntry value;
};

inline constexpr int32_t kNoSelectedSlot = -6;
struct ControlState {
    uint32_t controlId;
    int32_t selectedSlot;  // kNoSelectedSlot: none
    ControlSlot* slots;    // one per setting slot of the item
};

struct SettingUiState {
    uint16_t setting;
    int32_t optionCount;
    ConstraintResult* own;
    ConstraintResult** options;  // optionCount results
};

// Display states.
inline constexpr uint16_t kStateEnabled = 0;
inline constexpr uint16_t kStateDisabled = 1;
inline constexpr uint16_t kStateHidden = 6;

struct CallContext {
    uint32_t message;
    uint32_t result;
    HWND window;
    HWND owner;
    uint32_t permission;
    uint32_t dialogCode;
    uint32_t pendingCode;
    void* pendingData;  // global block owned by the context
    ItemEventHandler kindHandler;
    const ItemRecord* pendingTarget;
    int32_t subResult;
    SettingsContext* settingsContext;
    void* settings;
    void* printerSettings;
    uint16_t dialogType;
};

// Pending action codes.
inline constexpr uint32_t kPendingValuesChanged = 1;

// --- Values and control states -------------------------------------------------

int UnpackValueEntry(const ValueEntry* entry, uint16_t* setting, uint16_t* type, uint32_t* size, const void** data);
int GetValueEntryType(const ValueEntry* entry, uint16_t* type);
int GetValueEntryData(const ValueEntry* entry, const void** data);
int GetValueEntrySettingId(const ValueEntry* entry, uint16_t* setting);

// 0 created; 2 exists; -1 failure.
int CreateControlState(HWND window, const ItemRecord* item, KeyedList* list);
ControlState* FindControlState(HWND window, const ItemRecord* item);
void RemoveControlState(HWND window, int32_t controlId, KeyedList* list);
// 0 for a one-slot item (with or without a state); else the selected slot; -1.
int32_t GetSelectedSlotIndex(HWND window, const ItemRecord* item);
// 1; 0 when the index lies outside [0, slots).
int SetSelectedSlotIndex(HWND window, const ItemRecord* item, int32_t index);
int32_t GetSlotCurrentValue(HWND window, const ItemRecord* item, int32_t index);
int32_t GetSelectedSlotValue(HWND window, const ItemRecord* item);
uint16_t GetSelectedSettingId(HWND window, const ItemRecord* item);
ValueEntry* GetSlotValueEntry(HWND window, const ItemRecord* item, int32_t index);
// Null while no slot is selected.
ValueEntry* GetSelectedValueEntry(HWND window, const ItemRecord* item);
int32_t FindOptionValueIndex(const OptionList* list, const void* value, uint16_t type);
// 1 with the range of the selected slot's setting; 0 when it has none.
int GetItemValueRange(const CallContext* call, const ItemRecord* item, int32_t* minimum, int32_t* maximum);

// --- Option lists and setting states -------------------------------------------

inline constexpr int kOptionListBuilt = 0;
inline constexpr int kOptionListNone = -2;
inline constexpr int kOptionListFailed = -1;
// A reference on the sheet's list of the setting, built on first use.
int AcquireOptionList(HWND window, HMODULE resources, SettingsContext* context, uint16_t setting,
                      const OptionStrings* strings, OptionList** list);
void ReleaseOptionList(HWND window, uint16_t setting);
OptionList* GetCachedOptionList(const CallContext* call, uint16_t setting);
OptionList* GetSlotOptionList(HWND window, const ItemRecord* item, int32_t index);
OptionList* GetSelectedOptionList(HWND window, const ItemRecord* item);
const OptionRow* GetOptionListHandle(const OptionList* list);
const OptionRow* GetItemOptionListData(const CallContext* call, uint16_t setting);
const OptionRow* FindItemOptionEntry(const CallContext* call, uint16_t setting);
const wchar_t* GetItemOptionText(const CallContext* call, uint16_t setting);

int CreateSettingUiState(HWND window, uint16_t setting, int32_t options);
SettingUiState* FindSettingUiState(HWND window, uint16_t setting);
void RemoveSettingUiState(KeyedList* list, uint16_t setting);
void FreeSettingUiState(SettingUiState* state);
int CreateOptionRecords(SettingUiState* state, int32_t options);
void FreeOptionRecords(SettingUiState* state);
ConstraintResult* GetSettingUiOption(const SettingUiState* state, int32_t index);
ConstraintResult* GetSettingUiOptionRecord(HWND window, uint16_t setting, int32_t index);
int GetSettingUiState(HWND window, uint16_t setting, uint16_t* state, uint16_t* value);
int SetSettingUiState(HWND window, uint16_t setting, uint16_t state);
int GetSettingUiOptionState(HWND window, uint16_t setting, int32_t index, uint16_t* state);
int SetSettingUiOptionState(HWND window, uint16_t setting, int32_t index, uint16_t state);
int GetItemSettingUiState(HWND window, const ItemRecord* item, uint16_t* state, uint16_t* value);
int GetItemSettingUiDetails(HWND window, const ItemRecord* item, uint16_t* first, uint16_t* second);

// --- Dialog context --------------------------------------------------------------

DialogContext* CreateDialogContext(HWND owner, UiContext* ui, const SettingsSet* set, const SettingsSet* third);
void FreeDialogContext(DialogContext** context);
DialogContext* GetDialogContext(HWND window);
// 1 when both outs were written; 0 without a context or a first out; 0 after
// writing the first when the second is null.
int GetDialogSettings(HWND window, void** settings, void** printerSettings);
int GetDialogSavedSettings(HWND window, void** settings, void** printerSettings);
// current := committed (when there is one and flag is 0), else saved. 1 done.
int RestoreCurrentSettings(DialogContext* context, int flag);
int CommitCurrentSettings(DialogContext* context);
SettingsSet* CreateSettingsSet();
// A new set with copies of the records, both fax blocks and the destinations.
SettingsSet* CopySettingsSet(const SettingsSet* source);
// Copies into an existing set, replacing what it held. 1 done.
int AssignSettingsSet(SettingsSet* target, const SettingsSet* source);
void FreeSettingsSet(SettingsSet* set);
bool IsSettingsSetValid(const SettingsSet* set);
KeyedList* GetDialogDataList(HWND window, int index);
void* FindDialogData(int index, HWND window, uint64_t key, uint64_t key2);
// 0 added; 2 exists; -1 failure.
int AddDialogData(int index, HWND window, uint64_t key, uint64_t key2, void* data);
int RemoveDialogData(int index, HWND window, uint64_t key, uint64_t key2);
void FreeGlobalIfSet(void* block);

// --- Call context ----------------------------------------------------------------

int InitCallContext(CallContext* call, HWND window, HWND owner, uint32_t dialogCode, uint32_t message,
                    uint16_t dialogType);
int SetCallMessage(CallContext* call, uint32_t message);
int SetCallResultCode(CallContext* call, uint32_t result);
uint32_t GetCallResultCode(const CallContext* call);
HWND GetCallWindow(const CallContext* call);
HWND GetCallOwner(const CallContext* call);
uint32_t GetCallDialogCode(const CallContext* call);
uint32_t GetCallPermission(const CallContext* call);
uint16_t GetCallDialogType(const CallContext* call);
SettingsContext* GetCallSettingsContext(const CallContext* call);
int GetCallSettings(const CallContext* call, void** settings, void** printerSettings);
int32_t GetCallSubResult(const CallContext* call);
int SetCallSubResult(CallContext* call, int32_t result);
ItemEventHandler GetKindDefaultHandler(const CallContext* call);
// Frees the data it replaces.
int SetPendingAction(CallContext* call, uint32_t code, void* data, const ItemRecord* target);
uint32_t GetPendingActionCode(const CallContext* call);
int SetPendingActionCode(CallContext* call, uint32_t code);
void* GetPendingActionData(const CallContext* call);
int SetPendingActionData(CallContext* call, void* data);
const ItemRecord* GetPendingActionTarget(const CallContext* call);
// The pending data read as a zero-ended list of settings.
bool PendingListContains(const CallContext* call, uint16_t setting);
// Records from the call, fax parts from the window's current set (not owned by `out`).
int CopyCallSettingsSet(const CallContext* call, SettingsSet* out);
