// Two small table-driven sub-dialogs of the settings pages: the size pair
// (template 3790, dialog code 55), which edits the free paper size's width and
// length (settings 1863, 1864) and keeps the width not larger than the length,
// and the length setting (template 3820, dialog code 56), which edits the
// count 472, the length mode 473 and, in mode 3, the free length 470.
// Lengths are stored in tenths of a millimetre and typed in the unit the
// sheet shows.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/controls/kind_params.h"
#include "ui/engine/dialog_tables.h"

struct CallContext;

inline constexpr int32_t kSizePairCode = 55;
inline constexpr int32_t kLengthSettingCode = 56;

// Messages of the two dialogs (caption 265).
inline constexpr UINT kMessageSizeRefused = 728;
inline constexpr UINT kMessageSizeExchanged = 9393;

// Length modes of setting 473.
inline constexpr uint32_t kLengthModeInch = 1;
inline constexpr uint32_t kLengthModeMillimetre = 2;
inline constexpr uint32_t kLengthModeFree = 3;

extern const PageDescriptor SizePairDialog;
extern const PageDescriptor LengthSettingDialog;

INT_PTR CALLBACK PaperSizeDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Kind13SubDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The validation hook of the width and length edits: 1 accepted (also while
// the edit holds no complete number), 2 refused with message 728, -1 failure.
// `value` holds the stored value the edit read (tenths of a millimetre); in
// inch display it may be adjusted (SnapInchValue).
uint32_t ValidateSizePairField(CallContext* call, UINT message, const ItemRecord* item,
                               const EditFieldParams* params, uint32_t check, const void* value);

// The stored value for a length typed in hundredths of an inch, given the
// setting's range in tenths of a millimetre and the value stored now. A typed
// value inside the range in inches whose conversion falls just outside it in
// millimetres takes the nearer end; a typed value that the stored one shows as
// keeps the stored one (no drift by rounding); any other typed value is
// converted. 1 with *value; 0 when the typed value lies outside the range, or
// differs from the only value a fixed range allows.
int SnapInchValue(int32_t* value, int32_t minimum, int32_t maximum, int32_t stored, int32_t typedInch);

// 1 when both sizes are set and the width is not larger than the length.
// A zero size shows message 728; a larger width shows 9393, exchanges the two
// and refreshes the dialog. 0 in both cases (the dialog stays).
int CheckSizePairOrder(CallContext* call);
