// Document events from the GDI of the printing application: the export's frame
// around the document-event handlers. A call without a printer handle does no
// work and writes no exit line.
#include "common/system/trace_log.h"
#include "ui/docevent/document_event.h"
#include "ui/entry/export_frame.h"

#include <windows.h>
#include <winddiui.h>

extern "C" int WINAPI DrvDocumentEvent(HANDLE printer, HDC hdc, int event, ULONG inSize, PVOID in, ULONG outSize,
                                       PVOID out)
{
    if (!printer) {
        TraceEnter(L"DrvDocumentEvent");
        return DOCUMENTEVENT_FAILURE;
    }
    EnterExport(L"DrvDocumentEvent");
    const int result = HandleDocumentEvent(printer, hdc, event, inSize, in, outSize, out);
    LeaveExport(L"DrvDocumentEvent RetValue = %d", result);
    return result;
}
