#include "ui/controls/engine_steps.h"

#include "ui/engine/item_changes.h"
#include "ui/engine/message_engine.h"
#include "ui/support/sub_dialog.h"

#include <prsht.h>

namespace {

bool DialogRecords(CallContext* call, const ItemRecord** records, int32_t* count)
{
    return GetDialogItemTable(GetCallWindow(call), static_cast<int32_t>(GetCallDialogCode(call)), records, count) == 1;
}

bool RunEventStep(HWND, UINT event, void* engine)
{
    return RunDialogItemEvent(static_cast<CallContext*>(engine), event) == 0;
}

INT_PTR PassNotifyStep(HWND, UINT code, void* engine)
{
    // The OK of a sub-dialog applies with flag 2.
    return PassSheetNotification(static_cast<CallContext*>(engine), static_cast<int>(code), 2);
}

bool RefreshStep(HWND, void* engine)
{
    auto* call = static_cast<CallContext*>(engine);
    void* data = GetPendingActionData(call);
    SetPendingActionCode(call, 0);
    if (!data)
        return false;
    RefreshDialogFromSettings(call, static_cast<const uint16_t*>(data));
    SetPendingAction(call, 0, nullptr, nullptr);
    return true;
}

}  // namespace

uint32_t RunDialogItemEvent(CallContext* call, UINT event)
{
    const ItemRecord* records = nullptr;
    int32_t count = 0;
    if (!DialogRecords(call, &records, &count))
        return 0;
    ItemEventHandler kind = call->kindHandler;
    const uint32_t message = call->message;
    const uint32_t result = RunItemEventHandlers(call, event, 0, 0, records, count, 0);
    call->kindHandler = kind;
    call->message = message;
    return result;
}

INT_PTR PassSheetNotification(CallContext* call, int code, LPARAM flag)
{
    const ItemRecord* records = nullptr;
    int32_t count = 0;
    HWND window = GetCallWindow(call);
    if (!DialogRecords(call, &records, &count))
        return 0;
    PSHNOTIFY notify{};
    notify.hdr.hwndFrom = GetParent(window);
    notify.hdr.idFrom = 0;
    notify.hdr.code = static_cast<UINT>(code);
    notify.lParam = flag;
    HandlerArgs args{call, records, count, GetCallDialogType(call)};
    const int32_t dialogCode = static_cast<int32_t>(GetCallDialogCode(call));
    const LPARAM lParam = reinterpret_cast<LPARAM>(&notify);
    ItemEventHandler kind = call->kindHandler;
    const uint32_t message = call->message;
    INT_PTR result = 0;
    switch (code) {
    case static_cast<int>(PSN_SETACTIVE):
        result = OnPageSetActive(window, WM_NOTIFY, 0, lParam, dialogCode, &args);
        break;
    case static_cast<int>(PSN_KILLACTIVE):
        result = OnPageKillActive(window, WM_NOTIFY, 0, lParam, dialogCode, &args);
        break;
    case static_cast<int>(PSN_APPLY):
        result = OnPageApply(window, WM_NOTIFY, 0, lParam, dialogCode, &args);
        break;
    case static_cast<int>(PSN_RESET):
        result = OnPageReset(window, WM_NOTIFY, 0, lParam, dialogCode, &args);
        break;
    case static_cast<int>(PSN_HELP):
        result = OnContextHelp(window, WM_NOTIFY, 0, lParam, dialogCode, &args);
        break;
    default:
        break;
    }
    call->kindHandler = kind;
    call->message = message;
    return result;
}

SubDialogSteps MakeSubDialogSteps(CallContext* call) { return {RunEventStep, PassNotifyStep, RefreshStep, call}; }
