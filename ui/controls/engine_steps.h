// The engine's page-level steps as the push buttons run them on their own
// dialog: an event over the dialog's items and a property-sheet notification
// through the dialog's page-level handlers.
#pragma once
#include <windows.h>

#include <cstdint>

struct CallContext;
struct SubDialogSteps;

// Runs `event` over the call's dialog's items; the items' result (default 0).
uint32_t RunDialogItemEvent(CallContext* call, UINT event);
// PSN_SETACTIVE, PSN_KILLACTIVE, PSN_APPLY, PSN_RESET or PSN_HELP through the
// call's dialog's page-level handler, with `flag` as the PSHNOTIFY lParam.
INT_PTR PassSheetNotification(CallContext* call, int code, LPARAM flag);
// The OK and Cancel routines' steps for the call's dialog.
SubDialogSteps MakeSubDialogSteps(CallContext* call);
