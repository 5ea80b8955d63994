// Document events from the GDI of the printing application. The library keeps
// no per-DC job data yet: a DEVMODE of its own is never handed back, and every
// event succeeds except those that ask for work it does not do.
#include <windows.h>
#include <winddiui.h>

extern "C" int WINAPI DrvDocumentEvent(HANDLE printer, HDC, int event, ULONG, PVOID, ULONG outSize, PVOID out)
{
    if (!printer)
        return DOCUMENTEVENT_FAILURE;
    switch (event) {
    case DOCUMENTEVENT_CREATEDCPRE:
    case DOCUMENTEVENT_RESETDCPRE:
        // No DEVMODE of ours: the DC keeps the application's.
        if (out && outSize >= sizeof(DEVMODEW*))
            *static_cast<DEVMODEW**>(out) = nullptr;
        return DOCUMENTEVENT_SUCCESS;
    case DOCUMENTEVENT_CREATEDCPOST:
    case DOCUMENTEVENT_RESETDCPOST:
    case DOCUMENTEVENT_STARTDOC:
    case DOCUMENTEVENT_STARTPAGE:
    case DOCUMENTEVENT_ENDPAGE:
    case DOCUMENTEVENT_ENDDOC:
    case DOCUMENTEVENT_ABORTDOC:
    case DOCUMENTEVENT_DELETEDC:
    case DOCUMENTEVENT_ENDDOCPOST:
    case DOCUMENTEVENT_STARTDOCPOST:
        return DOCUMENTEVENT_SUCCESS;
    default:
        return DOCUMENTEVENT_UNSUPPORTED;
    }
}
