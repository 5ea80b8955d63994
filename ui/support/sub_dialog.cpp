#include "ui/support/sub_dialog.h"

#include <prsht.h>

int ConfirmSubDialog(HWND dialog, const SubDialogSteps& steps, INT_PTR result)
{
    if (!dialog || !steps.runItemEvent || !steps.passNotify)
        return 0;
    if (!steps.runItemEvent(dialog, kEventValidate, steps.engine)) {
        if (steps.refreshFromPending)
            steps.refreshFromPending(dialog, steps.engine);
        return 0;
    }
    steps.passNotify(dialog, static_cast<UINT>(PSN_KILLACTIVE), steps.engine);
    // A store that failed keeps the dialog open: closing it as OK would hand
    // the caller values that were never kept.
    const INT_PTR applied = steps.passNotify(dialog, static_cast<UINT>(PSN_APPLY), steps.engine);
    if (applied == PSNRET_INVALID || applied == PSNRET_INVALID_NOCHANGEPAGE) {
        // The Apply let go of the items' states; the dialog shows its values again.
        steps.passNotify(dialog, static_cast<UINT>(PSN_SETACTIVE), steps.engine);
        return 0;
    }
    EndDialog(dialog, result);
    return 1;
}

int CancelSubDialog(HWND dialog, const SubDialogSteps& steps, INT_PTR result)
{
    if (!dialog || !steps.runItemEvent || !steps.passNotify)
        return 0;
    steps.runItemEvent(dialog, kEventReset, steps.engine);
    steps.passNotify(dialog, static_cast<UINT>(PSN_KILLACTIVE), steps.engine);
    steps.passNotify(dialog, static_cast<UINT>(PSN_RESET), steps.engine);
    EndDialog(dialog, result);
    return 1;
}
