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
    steps.passNotify(dialog, static_cast<UINT>(PSN_APPLY), steps.engine);
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
