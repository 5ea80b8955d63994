// The work of DrvDocumentEvent: one handler per document event of a printer
// DC. Results: 1 done, -1 failed, 0 an event the library does not handle.
#pragma once
#include <windows.h>

int HandleDocumentEvent(HANDLE printer, HDC hdc, int event, ULONG inSize, PVOID in, ULONG outSize, PVOID out);
