// The default handler of each control kind and the helpers the kinds share
// with item callbacks and pages. Every handler has the item-handler contract:
// (call, message or engine event, wParam, lParam, item, parameter block).
#pragma once
#include <windows.h>
#include <prsht.h>

#include <cstdint>
#include <vector>

#include "ui/controls/kind_params.h"
#include "ui/engine/dialog_context.h"

inline constexpr UINT kEngineRefresh = WM_USER + 1500;   // 2524
inline constexpr UINT kEngineValidate = WM_USER + 1502;  // 2526
inline constexpr UINT kEngineReset = WM_USER + 1503;     // 2527
inline constexpr UINT kEngineQueryCode = WM_USER + 1505; // 2529
inline constexpr UINT kEngineItemFirst = WM_USER + 1506; // 2530

// The property-sheet notification a message carries (WM_NOTIFY with its
// NMHDR, or the code itself as the event), 0 for any other message.
UINT SheetNotification(UINT message, LPARAM lParam);
// PSN_SETACTIVE and event 2524: the item shows its value and state.
bool IsShowMessage(UINT message, LPARAM lParam);

uint32_t OnComboBoxItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                        const void* parameters);
uint32_t OnListBoxItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                       const void* parameters);
uint32_t OnEditItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                    const void* parameters);
// The fax recipient entry's variant: WM_SETTEXT counts as a text change.
uint32_t OnEditItemWithSetText(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                               const void* parameters);
uint32_t OnOptionButtonsItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                             const void* parameters);
uint32_t OnPushButtonItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                          const void* parameters);
uint32_t OnTwoStateCheckBoxItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                                const void* parameters);
uint32_t OnScrollBarItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                         const void* parameters);
uint32_t OnUpDownItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                      const void* parameters);
uint32_t OnValueTextItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                         const void* parameters);
uint32_t OnOptionDetailItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                            const void* parameters);
uint32_t OnTrackbarItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                        const void* parameters);
uint32_t OnPalettePictureItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                              const void* parameters);
uint32_t OnStateOnlyItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                         const void* parameters);

// --- Option lists ------------------------------------------------------------------
// The text before the last carriage return of an option text, into `out`.
void SplitTextAtCarriageReturn(const wchar_t* text, wchar_t* out, int chars);
// Keys of a list box (WM_VKEYTOITEM): -2 handled, -1 left to the system.
int32_t HandleListKey(CallContext* call, const ItemRecord* item, const ListItemParams* params, UINT key);
// The row a key 32..40 moves to from `row` in a list of `rows`; -1 when the
// target lies outside the rows or the key is not one of them.
int32_t ListKeyTarget(UINT key, int32_t row, int32_t rows);
inline constexpr UINT kStringNoRows = 391;
inline constexpr UINT kStringFixedValue = 5157;

// --- Option buttons and check boxes -------------------------------------------------
int ShowOptionButtons(CallContext* call, const ItemRecord* item, const OptionButtonParams* params);

// --- Edit fields -----------------------------------------------------------------------
// The value as the field reads: 0 read (*value), -2 refused, -1 failure.
inline constexpr int kEditRead = 0;
inline constexpr int kEditRefused = -2;
inline constexpr int kEditFailed = -1;
int ParseFixedPointValue(const char* text, uint32_t decimals, uint32_t flags, char separator, int32_t* value);
int ReadEditItemValue(CallContext* call, const ItemRecord* item, int64_t* value, wchar_t** text,
                      const EditFieldParams* params, int check);
int ShowEditItemValue(CallContext* call, const ItemRecord* item, const EditFieldParams* params);
// 1 applied or unchanged, 2 refused and restored, -1 failure.
int CommitEditItem(CallContext* call, UINT message, const ItemRecord* item, const EditFieldParams* params, int check);
int IsEditValueRejected(CallContext* call, UINT message, const ItemRecord* item, const EditFieldParams* params,
                        int check);
// The value shown for a stored length (inch display converts once), and back.
int32_t StoredToShownLength(uint16_t setting, int32_t stored, bool inch);
int32_t ShownToStoredLength(uint16_t setting, int32_t shown, bool inch);
// True when the sheet shows lengths in inches.
bool IsInchDisplay(const CallContext* call);

// --- Value kinds ---------------------------------------------------------------------
// The new value of a scroll code from the stored value (in range, clamped);
// false for a code that changes nothing.
bool ScrollToValue(int code, int32_t position, int32_t stored, int32_t minimum, int32_t maximum,
                   const ScrollParams* params, int32_t* value);

// The up-down step: from position s to p, with the stored value and the typed
// one (readable or not). False when nothing changes.
bool UpDownStepValue(int32_t stored, int32_t typed, bool readable, int32_t s, int32_t p, int32_t minimum,
                     int32_t maximum, int32_t* value);

// --- Push buttons ------------------------------------------------------------------------
uint32_t RunPushButtonAction(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                             const ButtonParams* params);
int ShowPushButtonState(CallContext* call, const ItemRecord* item);
int RestoreDefaultSettings(CallContext* call, const ItemRecord* item);
// Sets conflicting settings to their defaults pass after pass until the set is
// valid or a pass changes nothing; the printer settings group is never reset.
// `changed` gets what moved, `left` what still conflicts. 0 on a failed read.
int ResolveDefaultConflicts(HANDLE printer, SettingsContext* context, void* settings, void* printerSettings,
                            std::vector<uint16_t>* changed, std::vector<uint16_t>* left);
int ChooseFileForItem(HWND window, CallContext* call, const ItemRecord* item, const FileDialogParams* params);
int OpenSubDialog(CallContext* call, const ItemRecord* item, uint32_t action, const void* data);
// The busy mark an up-down step sets on its buddy field.
void SetEditBusy(HWND window, const ItemRecord* item, bool busy);
// True while an up-down step runs on the field.
bool IsEditBusy(HWND window, const ItemRecord* item);
