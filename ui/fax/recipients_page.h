// The fax recipients page (template 4000, dialog code 0): the recipient list
// of the sheet's destination record, the entry fields of the recipient being
// typed (settings 1794-1818) and the address book. Table-driven; its
// procedure puts the page's own Apply in the engine's slot.
#pragma once
#include <windows.h>

#include "ui/engine/dialog_tables.h"

struct FaxDestinations;

inline constexpr int32_t kRecipientsPageCode = 0;

extern const ItemTableHeader RecipientsPageItemTable;
extern const PageDescriptor RecipientsPage;

INT_PTR CALLBACK FaxRecipientsPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The destination record of the dialog's current settings set.
FaxDestinations* GetDialogFaxDestinations(HWND dialog);
