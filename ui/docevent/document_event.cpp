#include "ui/docevent/document_event.h"

#include "common/records/settings_records.h"
#include "ui/docevent/dc_job_record.h"
#include "ui/docevent/extended_devmode.h"
#include "ui/docevent/job_data.h"
#include "ui/docevent/overlays.h"

#include <winddiui.h>

namespace {

DEVMODEW* DevmodeAt(ULONG size, PVOID pointer)
{
    return pointer && size >= sizeof(DEVMODEW*) ? *static_cast<DEVMODEW**>(pointer) : nullptr;
}

// The extended DEVMODE handed out at a PRE event comes back at its POST event;
// only a record of that form is ours to free.
void FreeHandedOutDevmode(ULONG size, PVOID pointer)
{
    DEVMODEW* devmode = DevmodeAt(size, pointer);
    if (devmode && IsExtendedSettingsRecord(devmode, kExtendedSettingsRecordSize))
        GlobalFree(devmode);
}

int HandOutExtendedDevmode(HANDLE printer, const DEVMODEW* input, ULONG outSize, PVOID out)
{
    DEVMODEW* built = nullptr;
    const int result = BuildExtendedDevmode(printer, input, &built);
    if (out && outSize >= sizeof(DEVMODEW*))
        *static_cast<DEVMODEW**>(out) = built;
    else if (built)
        GlobalFree(built);
    return result;
}

// The overlay page the document end adds is a page of its own: its STARTPAGE
// sends the page record as any page does, but its ENDPAGE must not look for
// overlays again (the graphics library would answer the same ones due).
int DrawOverlaysAtEnd(HANDLE printer, HDC hdc, bool atDocumentEnd)
{
    DcJobRecord* record = FindDcJobRecord(printer);
    if (record && record->overlayPass)
        return DOCUMENTEVENT_SUCCESS;
    if (record)
        record->overlayPass = atDocumentEnd ? 1 : 0;
    const int result = DrawPendingOverlays(printer, hdc, atDocumentEnd ? 1 : 0);
    if (record)
        record->overlayPass = 0;
    return result == -1 ? DOCUMENTEVENT_FAILURE : DOCUMENTEVENT_SUCCESS;
}

}  // namespace

int HandleDocumentEvent(HANDLE printer, HDC hdc, int event, ULONG inSize, PVOID in, ULONG outSize, PVOID out)
{
    switch (event) {
    case DOCUMENTEVENT_CREATEDCPRE: {
        DcJobRecord* record = CreateDcJobRecord(printer);
        if (!record)
            return DOCUMENTEVENT_FAILURE;
        const auto* pre = in && inSize >= sizeof(DOCEVENT_CREATEDCPRE) ? static_cast<DOCEVENT_CREATEDCPRE*>(in)
                                                                        : nullptr;
        const int result = HandOutExtendedDevmode(printer, pre ? pre->pdm : nullptr, outSize, out);
        // A DC that is not made gets no DELETEDC: the record (and the
        // library's reference it holds) goes now.
        if (result != DOCUMENTEVENT_SUCCESS)
            DiscardDcJobRecord(record);
        return result;
    }
    case DOCUMENTEVENT_CREATEDCPOST:
        FreeHandedOutDevmode(inSize, in);
        // A DC that was not made gets no DELETEDC: its record goes now.
        if (!hdc)
            DeleteDcJobRecord(printer);
        return DOCUMENTEVENT_SUCCESS;
    case DOCUMENTEVENT_RESETDCPRE:
        return HandOutExtendedDevmode(printer, DevmodeAt(inSize, in), outSize, out);
    case DOCUMENTEVENT_RESETDCPOST:
        FreeHandedOutDevmode(inSize, in);
        return SendJobDataToGraphicsDll(FindDcJobRecord(printer), hdc);
    case DOCUMENTEVENT_STARTDOC:
        return PrepareJobAtStartDoc(printer, hdc, inSize, in);
    case DOCUMENTEVENT_STARTPAGE:
        return SendPageRecordAtStartPage(printer, hdc);
    case DOCUMENTEVENT_ENDPAGE:
    case DOCUMENTEVENT_ENDDOC:
        return DrawOverlaysAtEnd(printer, hdc, event == DOCUMENTEVENT_ENDDOC);
    case DOCUMENTEVENT_DELETEDC:
        return DeleteDcJobRecord(printer);
    case DOCUMENTEVENT_STARTDOCPOST:
        return FinishJobAtStartDocPost(printer, hdc);
    default:
        return DOCUMENTEVENT_UNSUPPORTED;
    }
}
