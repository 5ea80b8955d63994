// The message engine: the slot handlers of each dialog type, the look-up a
// page's procedure starts with, the call that builds the call context, and the
// routing of item messages to their items.
#include "ui/engine/message_engine.h"
#include "ui/support/sub_dialog.h"

#include "ui/controls/control_kinds.h"
#include "ui/controls/display_states.h"
#include "ui/engine/item_changes.h"

#include <commctrl.h>

namespace {

SlotHandler HandlerOfStep(SlotStep step)
{
    switch (step) {
    case SlotStep::PageCommand: return OnPageCommand;
    case SlotStep::DispatchToItem: return DispatchToItemHandler;
    case SlotStep::PageInitDialog: return OnPageInitDialog;
    case SlotStep::SubPageInitDialog: return OnSubPageInitDialog;
    case SlotStep::ModalDialogInit: return OnModalDialogInit;
    case SlotStep::SetActive: return OnPageSetActive;
    case SlotStep::KillActive: return OnPageKillActive;
    case SlotStep::Reset: return OnPageReset;
    case SlotStep::Apply: return OnPageApply;
    case SlotStep::ContextHelp: return OnContextHelp;
    case SlotStep::MeasureItem: return OnMeasureItem;
    case SlotStep::BroadcastToItems: return BroadcastToItems;
    case SlotStep::Destroy: return OnPageDestroy;
    case SlotStep::QueryDialogCode: return OnQueryDialogCode;
    case SlotStep::ShowQueuedTexts: return OnShowQueuedTexts;
    case SlotStep::BitmapClick: return OnBitmapClick;
    case SlotStep::None: break;
    }
    return nullptr;
}

constexpr uint16_t kTypes[3] = {kDialogTypePage, kDialogTypeSubPage, kDialogTypeModal};

SlotHandlerRows BuildSlotHandlerTable()
{
    SlotHandlerRows table{};
    for (int t = 0; t < 3; ++t)
        for (int32_t slot = 0; slot < kMessageSlotCount; ++slot)
            table.handlers[t][slot] = HandlerOfStep(GetSlotStep(kTypes[t], slot));
    return table;
}

int TypeRow(uint16_t dialogType)
{
    for (int t = 0; t < 3; ++t)
        if (kTypes[t] == dialogType)
            return t;
    return -1;
}

bool IsItemEvent(UINT message) { return message >= kEventItem2530 && message <= kEventItem2537; }

bool IsServedByItems(UINT message)
{
    switch (message) {
    case WM_COMMAND:
    case WM_TIMER:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_NOTIFY:
    case WM_SETTEXT:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_VKEYTOITEM:
    case WM_WINDOWPOSCHANGED:
        return true;
    default:
        return IsItemEvent(message);
    }
}

const ItemRecord* FindById(const HandlerArgs* args, int32_t id)
{
    for (int32_t i = 0; args->records && i < args->count; ++i)
        if (args->records[i].controlId == id)
            return &args->records[i];
    for (const ItemRecord& item : CommonItems)
        if (item.controlId == id)
            return &item;
    return nullptr;
}

const ItemRecord* FindByWindow(HWND window, const HandlerArgs* args, HWND control)
{
    if (!control)
        return nullptr;
    for (int32_t i = 0; args->records && i < args->count; ++i)
        if (args->records[i].controlId != kPageItemId && GetDlgItem(window, args->records[i].controlId) == control)
            return &args->records[i];
    for (const ItemRecord& item : CommonItems)
        if (GetDlgItem(window, item.controlId) == control)
            return &item;
    return nullptr;
}

const ItemRecord* FindMessageItem(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const HandlerArgs* args)
{
    switch (message) {
    case WM_VKEYTOITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
        return FindByWindow(window, args, reinterpret_cast<HWND>(lParam));
    case WM_COMMAND:
        return FindById(args, LOWORD(wParam));
    case WM_WINDOWPOSCHANGED:
    case WM_TIMER:
        return FindById(args, kPageItemId);
    default:
        return FindById(args, static_cast<int32_t>(wParam));
    }
}

uint32_t CallItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item)
{
    const ItemEventHandler kind = FindKindHandler(item->kind);
    call->kindHandler = kind;
    const ItemEventHandler handler = item->handler ? item->handler : kind;
    if (!handler)
        return 0;
    SetCallMessage(call, message);
    return handler(call, message, wParam, lParam, item, item->parameters);
}

// Runs the refresh an item asked for and forgets the request.
void RunPendingAction(CallContext* call)
{
    if (GetPendingActionCode(call) != kPendingValuesChanged)
        return;
    RefreshDialogFromSettings(call, static_cast<const uint16_t*>(GetPendingActionData(call)));
    SetPendingAction(call, 0, nullptr, nullptr);
}

}  // namespace

const SlotHandlerRows SlotHandlerTable = BuildSlotHandlerTable();

int FindMessageHandler(UINT message, WPARAM, LPARAM lParam, uint16_t dialogType, SlotHandler* handler, int32_t* slot)
{
    if (slot)
        *slot = -1;
    if (handler)
        *handler = nullptr;
    int32_t found = -1;
    const int row = TypeRow(dialogType);
    if (row < 0 || !FindMessageSlot(message, lParam, dialogType, nullptr, &found))
        return 0;
    if (slot)
        *slot = found;
    if (handler)
        *handler = SlotHandlerTable.handlers[row][found];
    return 1;
}

int SetEventHandlerOverride(SlotHandler own, int32_t targetSlot, SlotHandler* handler, int32_t slot)
{
    if (!handler || slot != targetSlot || slot < 0 || slot >= kMessageSlotCount)
        return 0;
    *handler = own;
    return 1;
}

INT_PTR CallMessageHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode,
                           uint16_t dialogType, SlotHandler handler)
{
    if (!handler)
        return 0;
    HandlerArgs args{};
    GetDialogItemTable(window, dialogCode, &args.records, &args.count);
    HWND owner = nullptr;
    if (dialogType == kDialogTypePage)
        owner = GetParent(window);
    else if (const DialogContext* context = GetDialogContext(window))
        owner = context->owner;
    // Messages can come before the dialog has its context (WM_MEASUREITEM of
    // owner-drawn lists, WM_INITDIALOG itself); the handlers check what they need.
    CallContext call{};
    InitCallContext(&call, window, owner, static_cast<uint32_t>(dialogCode), message, dialogType);
    args.call = &call;
    args.dialogType = dialogType;
    const INT_PTR result = handler(window, message, wParam, lParam, dialogCode, &args);
    SetPendingAction(&call, 0, nullptr, nullptr);
    return result;
}

uint32_t RunItemEventHandlers(CallContext* call, UINT event, WPARAM wParam, LPARAM lParam, const ItemRecord* records,
                              int32_t count, uint32_t defaultResult)
{
    if (!call || !records)
        return defaultResult;
    uint32_t kept = defaultResult;
    for (int32_t i = 0; i < count; ++i) {
        const ItemRecord& item = records[i];
        if (!item.handler && !FindKindHandler(item.kind))
            continue;
        const uint32_t result = CallItem(call, event, wParam, lParam, &item);
        if (result == defaultResult)
            continue;
        if (event == kEventValidate)
            return result;
        kept = result;
    }
    return kept;
}

INT_PTR DispatchToItemHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t, HandlerArgs* args)
{
    if (!IsServedByItems(message) || !args || !args->call)
        return 1;
    const ItemRecord* item = FindMessageItem(window, message, wParam, lParam, args);
    if (!item)
        return message == WM_SETTEXT ? 0 : 1;
    const INT_PTR result = CallItem(args->call, message, wParam, lParam, item);
    RunPendingAction(args->call);
    return result;
}

INT_PTR OnPageCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode, HandlerArgs* args)
{
    // The sheet's Cancel reaches the page as PSN_RESET; the button's own command is not the page's.
    if (wParam == IDCANCEL)
        return 0;
    return DispatchToItemHandler(window, message, wParam, lParam, dialogCode, args);
}

INT_PTR BroadcastToItems(HWND, UINT message, WPARAM wParam, LPARAM lParam, int32_t, HandlerArgs* args)
{
    if (!args || !args->call || !GetDialogContext(args->call->window))
        return 0;
    return RunItemEventHandlers(args->call, message, wParam, lParam, args->records, args->count, 0);
}

INT_PTR OnQueryDialogCode(HWND, UINT, WPARAM, LPARAM lParam, int32_t dialogCode, HandlerArgs*)
{
    if (lParam)
        *reinterpret_cast<int32_t*>(lParam) = dialogCode;
    return 0;
}

INT_PTR OnMeasureItem(HWND window, UINT, WPARAM wParam, LPARAM lParam, int32_t, HandlerArgs*)
{
    auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (!measure)
        return 1;
    measure->itemHeight = GetListRowHeight(window, wParam);
    return 0;
}

INT_PTR OnBitmapClick(HWND, UINT, WPARAM wParam, LPARAM, int32_t, HandlerArgs* args)
{
    if (!args || !args->call)
        return 0;
    const ItemRecord* item = FindById(args, static_cast<int32_t>(wParam));
    if (!item)
        return 0;
    const uint32_t result = CycleItemOption(args->call, item);
    RunPendingAction(args->call);
    return result;
}
