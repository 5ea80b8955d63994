// A sheet instance: the dialog context made for one property sheet, whose UI
// context holds the printer, the settings context and what the pages share,
// and whose settings set holds the working copies of everything the sheet
// stores on OK.
#pragma once
#include <windows.h>

#include "ui/engine/dialog_context.h"

// Reads the printer's settings (merged with pdmIn when it passes the record
// check), the user paper sizes of its forms and its fax data into a new sheet
// instance. Null when any step fails; nothing is then left allocated.
DialogContext* CreateUiSheet(HANDLE printer, const DEVMODEW* input, DWORD mode);
// Closes the settings context and frees every part of the UI context, the UI
// context and the dialog context. Null is accepted.
void FreeUiSheet(DialogContext* instance);
// The instance's working settings record (5900 bytes) and printer settings record.
uint8_t* SheetSettings(const DialogContext* instance);
uint8_t* SheetPrinterSettings(const DialogContext* instance);
