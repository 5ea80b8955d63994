// Four small table-driven modal dialogs of the fax front end and the
// accounting page: a notice (template 3880, code 57), the wait for the
// phonebook tool (3909, 58), the re-entry of a destination to confirm it
// (3910, 59) and the dialling option defaults (4800, 45). Dialogs 3880, 3909
// and 3910 end with 11 through their button; the caller of the wait reads the
// run's cancelled flag, the caller of the re-entry the destination-confirmed
// flag of the sheet's fax state.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "ui/engine/dialog_tables.h"

inline constexpr int32_t kFaxNoticeCode = 57;
inline constexpr int32_t kPhonebookWaitCode = 58;
inline constexpr int32_t kDestinationReentryCode = 59;
inline constexpr int32_t kOptionDefaultsCode = 45;
inline constexpr UINT kPhonebookWaitTimer = 1;
inline constexpr UINT kPhonebookWaitPeriodMs = 500;

extern const PageDescriptor FaxNoticeDialog;
extern const PageDescriptor PhonebookWaitDialog;
extern const PageDescriptor DestinationReentryDialog;
extern const PageDescriptor OptionDefaultsDialog;

INT_PTR CALLBACK FaxNoticeDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PhonebookWaitDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FaxTextEntryDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK OptionNoticeDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The destination shown for re-entry: lines of 43 characters, each full line
// followed by a line feed, at most 255 characters in all.
std::wstring BreakDestinationLines(const wchar_t* destination);
// The edit limit of the re-entry by address kind and fax line kind; 0 for an
// unknown kind. A fax number takes what the address field takes (128, 59 with
// fax line kind 1).
int ReentryEditLimit(uint16_t addressKind, uint16_t lineKind);
// The address field's limit by recipient kind and fax line kind.
int AddressFieldLimit(uint16_t addressKind, uint16_t lineKind);

struct PhonebookToolRun;
// A PhonebookWaiter: the wait dialog over `owner` on the dialog context given
// as `context` (a DialogContext of the page's sheet), with the run in the
// sheet's fax state while it is open.
void WaitInPhonebookDialog(HWND owner, PhonebookToolRun* run, void* context);
