// The window messages the table-driven dialogs hand to the engine: one row per
// message (and per property-sheet notification) with its slot, and for each
// dialog type the page-level step that serves the slot. A page's procedure
// looks the message up here, may put its own handler in a slot, and hands the
// message to the engine.
#pragma once
#include <windows.h>

#include <cstdint>

inline constexpr int32_t kMessageSlotCount = 38;

struct MessageTableRow {
    uint16_t message;       // 0 ends the table
    int16_t notification;   // WM_NOTIFY code, 0 for other messages
    uint16_t slot;          // equals the row index
};
extern const MessageTableRow MessageTable[kMessageSlotCount + 1];

// The engine's page-level steps, by what each slot asks of a dialog type.
enum class SlotStep : uint8_t {
    None,
    PageCommand,
    DispatchToItem,
    PageInitDialog,
    SubPageInitDialog,
    ModalDialogInit,
    SetActive,
    KillActive,
    Reset,
    Apply,
    ContextHelp,
    MeasureItem,
    BroadcastToItems,
    Destroy,
    QueryDialogCode,
    ShowQueuedTexts,
    BitmapClick,
};

// The step of a slot for a dialog type (1 property page, 3 sub-page dialog, 4
// modal dialog); None for another type or slot.
SlotStep GetSlotStep(uint16_t dialogType, int32_t slot);

// The slot of a message (for WM_NOTIFY the row whose notification is the low
// 16 bits of NMHDR.code) and its step for the dialog type. 1 found; 0 for an
// unknown message, notification or dialog type (slot -1).
int FindMessageSlot(UINT message, LPARAM lParam, uint16_t dialogType, SlotStep* step, int32_t* slot);
