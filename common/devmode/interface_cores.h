// The settings work of the interface library's exports that convert, check and
// merge DEVMODEs without a dialog; each export wraps one of these in its frame
// (trace lines, resource reference).
#pragma once
#include <windows.h>

#include "winddiui_records.h"

struct SettingsContext;

// DrvConvertDevMode: TRUE when the conversion gave a DEVMODE (migrated, copied or
// defaults); FALSE with last error 87 (bad arguments or printer) or 122 (short
// buffer, *size 1604).
BOOL ConvertDevmodeForPrinter(const wchar_t* printerName, const DEVMODEW* input, DEVMODEW* output, DWORD* size,
                              DWORD mode);

// DevQueryPrintEx: TRUE when the job's DEVMODE is acceptable or absent; FALSE
// with "Invalid DEVMODE structure." in the error text otherwise, and for a null
// record.
BOOL QueryDevmodePrintable(DEVQUERYPRINT_INFO* info);
inline constexpr wchar_t kInvalidDevmodeText[] = L"Invalid DEVMODE structure.";

// DrvDocumentProperties without DM_PROMPT: 1 merged into pdmOut, -1 failure,
// 1604 (and cbOut 1604) when fMode is 0 or there is no pdmOut. The work is done
// on a whole settings record; 1604 or 220 bytes go out.
LONG MergeDevmodeSilently(DOCUMENTPROPERTYHEADER* header);

// The size check of setting 4 on a safe copy of a DEVMODE from outside: true
// when the record may be merged.
bool PassesDevmodeRecordCheck(SettingsContext* context, const void* devmode, void* printerSettingsRecord);
