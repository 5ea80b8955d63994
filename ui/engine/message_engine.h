// The message engine of the table-driven dialogs. A page's dialog procedure
// looks the message up (FindMessageHandler), may put its own handler in a slot
// (SetEventHandlerOverride) and hands the message on (CallMessageHandler); the
// engine finds the item the message concerns, calls its handler or its kind's
// default handler, carries out what the handler left pending and does the
// page-level work: initialisation, activation, Apply, Reset, help and the
// engine's own events.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/engine/dialog_context.h"
#include "ui/engine/dialog_tables.h"
#include "ui/engine/message_table.h"

// The engine's events (WM_USER + 1500 onwards). 2524 to 2529 are page-level;
// the others are delivered to the item whose control identifier is wParam.
inline constexpr UINT kEventRefresh = WM_USER + 1500;        // 2524, lParam: changed list
inline constexpr UINT kEventUnused = WM_USER + 1501;         // 2525
// 2526 (validate) and 2527 (reset) are kEventValidate and kEventReset of
// ui/support/sub_dialog.h.
inline constexpr UINT kEventShowQueuedTexts = WM_USER + 1504;  // 2528
inline constexpr UINT kEventQueryDialogCode = WM_USER + 1505;  // 2529, lParam: int32_t* out
inline constexpr UINT kEventItem2530 = WM_USER + 1506;
inline constexpr UINT kEventItem2531 = WM_USER + 1507;
inline constexpr UINT kEventCycleOption = WM_USER + 1508;    // 2532
inline constexpr UINT kEventItem2533 = WM_USER + 1509;
inline constexpr UINT kEventItem2534 = WM_USER + 1510;
inline constexpr UINT kEventItem2535 = WM_USER + 1511;
inline constexpr UINT kEventItem2536 = WM_USER + 1512;
inline constexpr UINT kEventItem2537 = WM_USER + 1513;

// What a slot handler receives besides the message.
struct HandlerArgs {
    CallContext* call;
    const ItemRecord* records;
    int32_t count;
    uint16_t dialogType;
};

using SlotHandler = INT_PTR (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode,
                                HandlerArgs* args);

// The handlers of the 38 message slots for dialog types 1, 3 and 4 (rows in
// that order). A null entry does nothing unless the page installs its own.
struct SlotHandlerRows {
    SlotHandler handlers[3][kMessageSlotCount];
};
extern const SlotHandlerRows SlotHandlerTable;

// 1 with the slot of the message and the dialog type's handler for it (which
// may be null); 0 (slot -1) for an unknown message, notification or type.
int FindMessageHandler(UINT message, WPARAM wParam, LPARAM lParam, uint16_t dialogType, SlotHandler* handler,
                       int32_t* slot);
// Puts `own` into *handler when `slot` equals `targetSlot` (both below 38). 1 when replaced.
int SetEventHandlerOverride(SlotHandler own, int32_t targetSlot, SlotHandler* handler, int32_t slot);
// Runs the handler with a fresh call context for the dialog; the handler's
// result is the dialog procedure's. 0 without a handler.
INT_PTR CallMessageHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode,
                           uint16_t dialogType, SlotHandler handler);

// Calls every record's handler (its own, else its kind's) with the event in
// table order. A result different from `defaultResult` is kept (the last
// wins); for kEventValidate the first different result is returned at once.
uint32_t RunItemEventHandlers(CallContext* call, UINT event, WPARAM wParam, LPARAM lParam, const ItemRecord* records,
                              int32_t count, uint32_t defaultResult);

// --- Slot handlers -----------------------------------------------------------------
INT_PTR DispatchToItemHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode,
                              HandlerArgs* args);
INT_PTR OnPageCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode, HandlerArgs* args);
INT_PTR OnPageInitDialog(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode,
                         HandlerArgs* args);
INT_PTR OnSubPageInitDialog(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode,
                            HandlerArgs* args);
INT_PTR OnModalDialogInit(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode,
                          HandlerArgs* args);
INT_PTR OnPageSetActive(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode,
                        HandlerArgs* args);
INT_PTR OnPageKillActive(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode,
                         HandlerArgs* args);
// Also the Cancel action of sub-dialogs.
INT_PTR OnPageReset(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode, HandlerArgs* args);
INT_PTR OnPageApply(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode, HandlerArgs* args);
INT_PTR OnContextHelp(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode, HandlerArgs* args);
// Served without a dialog context: the message can come before WM_INITDIALOG.
INT_PTR OnMeasureItem(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode, HandlerArgs* args);
INT_PTR BroadcastToItems(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode,
                         HandlerArgs* args);
INT_PTR OnPageDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode, HandlerArgs* args);
INT_PTR OnQueryDialogCode(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode,
                          HandlerArgs* args);
INT_PTR OnShowQueuedTexts(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode,
                          HandlerArgs* args);
INT_PTR OnBitmapClick(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode, HandlerArgs* args);

// The engine's menu and strings.
inline constexpr UINT kContextHelpMenu = 3850;
inline constexpr UINT kContextHelpCommand = 3851;
inline constexpr UINT kWarningCaptionString = 265;
inline constexpr UINT kLabelFormatString = 466;
inline constexpr UINT kButtonLabelFormatString = 477;
