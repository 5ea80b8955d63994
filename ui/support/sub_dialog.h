// The two standard close actions of a modal sub-dialog: OK checks every item
// and lets the page-level handlers keep the values before the dialog ends;
// Cancel resets the items. The dialog engine supplies the steps; the push
// buttons of every sub-dialog call these two and no copies of them.
#pragma once
#include <windows.h>

constexpr UINT kEventValidate = WM_USER + 1502;  // 2526
constexpr UINT kEventReset = WM_USER + 1503;     // 2527

struct SubDialogSteps {
    // Runs an engine event over the dialog's items: true when every item accepts.
    bool (*runItemEvent)(HWND dialog, UINT event, void* engine);
    // Passes a WM_NOTIFY with `code` through the dialog's page-level handlers
    // and answers their result (for PSN_APPLY a PSNRET_ value).
    INT_PTR (*passNotify)(HWND dialog, UINT code, void* engine);
    // Refreshes the dialog from a pending action's settings copy and frees it;
    // false when there is none.
    bool (*refreshFromPending)(HWND dialog, void* engine);
    void* engine;
};

// 1 when the dialog ended with `result`; 0 when an item or the Apply refused
// (or a step is missing) and the dialog stays.
int ConfirmSubDialog(HWND dialog, const SubDialogSteps& steps, INT_PTR result);
int CancelSubDialog(HWND dialog, const SubDialogSteps& steps, INT_PTR result);
