// What the fax page and its dialogs share for the life of one sheet beside the
// sheet's own record: the running phonebook tool, the flags the small dialogs
// leave for their callers, and the texts an options field returns to when a
// typed text is refused. Kept per sheet (UiContext) on the sheet's window
// thread; ReleaseFaxUiState when the sheet ends.
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

#include "common/job/fax_send_list.h"
#include "ui/fax/phonebook_exchange.h"

struct UiContext;

struct FaxUiState {
    PhonebookToolRun* toolRun = nullptr;  // set while the wait dialog is open
    uint32_t destinationConfirmed = 0;    // left by the re-entry dialog
    uint32_t subDialogOpen = 0;           // the page's own leave check waits
    std::map<int, std::wstring> savedTexts;  // by control: the text before the edit
    uint16_t removalFlags = 0;            // of the recipients page's initial fill
    uint32_t filling = 0;                 // the initial fill is still to come
    // The leave check the page refused, by notification and message time: the
    // engine hands the same notification to the items again when it shows
    // the kept page, and the user is not to be asked twice.
    LPARAM refusedLeave = 0;
    LONG refusedLeaveTime = 0;
    FaxRecipientRecord entryTemplate{};   // the entry fields as the page found them
    int senderCheck = 0;                  // the recipients page's last sender check
    uint16_t senderEditMask = 0;          // which sender fields may be edited, and one-shot flags
    uint32_t senderDialogRequest = 0;     // 1 open the sender dialog once, 2 open it to edit
    uint32_t senderLocked = 0;            // the fax pages keep the sender from being changed
};

// The sheet's record, made on first use; null without a sheet.
FaxUiState* GetFaxUiState(UiContext* ui);
FaxUiState* GetWindowFaxUiState(HWND window);
void ReleaseFaxUiState(UiContext* ui);
