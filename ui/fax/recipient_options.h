// The options of the recipient being typed on the recipients page, in two
// table-driven modal dialogs: the full one (template 4400, dialog code 31)
// and the reduced one (4423, code 49) with the dial prefix, communication mode
// and F-code fields. The fields are settings 1796 and 1810-1818.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/engine/dialog_tables.h"

inline constexpr int32_t kRecipientOptionsCode = 31;
inline constexpr int32_t kRecipientOptionsExCode = 49;

// The relay destination numbers (setting 1816): 0 accepted, 5012 a rule
// broken, 5013 more than 20 numbers.
int CheckRelayNumberList(const wchar_t* text);
inline constexpr int kRelayListRefused = 5012;
inline constexpr int kRelayListTooLong = 5013;
// The mailbox password (setting 1813): 1 to 3 characters are refused.
bool IsMailboxCodeAccepted(const wchar_t* text);

extern const ItemTableHeader RecipientOptionsItemTable;
extern const ItemTableHeader RecipientOptionsExItemTable;
extern const PageDescriptor RecipientOptionsDialog;
extern const PageDescriptor RecipientOptionsExDialog;

INT_PTR CALLBACK RecipientOptionsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK RecipientOptionsExDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A table-driven modal dialog's procedure body: the message looked up and
// handed to the engine with the dialog's code.
INT_PTR RunFaxModalDialogMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode);
