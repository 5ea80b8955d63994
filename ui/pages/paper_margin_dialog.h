// The paper margin dialog (template 2440, dialog code 28, a sub-page dialog):
// the four margins of each paper of the paper list, in tenths of a
// millimetre, edited for the shown paper and checked against the fields'
// range and the model's size rules, and on OK stored for every paper: per
// user when the sheet was opened from the printing-preferences window, in the
// printer data otherwise. Custom margins off (setting 387) leaves the fields
// read-only and stores nothing but the other settings.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/engine/dialog_tables.h"
#include "ui/pages/paper_margin_ids.h"

struct CallContext;

inline constexpr int32_t kPaperMarginCode = 28;

// Settings of the dialog.
inline constexpr uint16_t kFidCustomMargins = 387;
inline constexpr uint16_t kFidZeroMargins = 383;
inline constexpr uint16_t kFidMarginPaper = 1824;
// Margin order (left, top, right, bottom) by setting.
inline constexpr uint16_t kMarginSettings[4] = {1825, 1827, 1826, 1828};

// Messages (caption 265): a margin the model's rules refuse; a margin outside
// the field's range (with the setting's name and both limits).
inline constexpr UINT kMessageMarginRefused = 727;
inline constexpr UINT kMessageMarginRange = 700;

extern const PageDescriptor PaperMarginDialog;

INT_PTR CALLBACK PaperMarginDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The icon of a margin picture for the orientation (1 portrait, 2
// landscape); 0 for another orientation or control.
UINT GetMarginIconId(int controlId, uint32_t orientation);

// Whether the margins go to the user's store: the sheet was opened from the
// printing-preferences window (its title holds string 751 or one of the
// platform's titles).
bool MarginsStoredPerUser(CallContext* call);
