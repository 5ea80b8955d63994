// An interface library that writes every document event to the record log and
// does on the DC what a real one does: private escapes at the document and
// page events, drawing at ENDPAGE, and (when asked) an extra page at ENDDOC.
#include "tests/printhost/recording_driver/record_log.h"

#include <windows.h>
#include <winddiui.h>

#include "winddiui_records.h"

#include <cstring>
#include <map>
#include <vector>

namespace {

const char* EventName(int iEsc)
{
    switch (iEsc) {
    case DOCUMENTEVENT_CREATEDCPRE: return "CREATEDCPRE";
    case DOCUMENTEVENT_CREATEDCPOST: return "CREATEDCPOST";
    case DOCUMENTEVENT_RESETDCPRE: return "RESETDCPRE";
    case DOCUMENTEVENT_RESETDCPOST: return "RESETDCPOST";
    case DOCUMENTEVENT_STARTDOC: return "STARTDOCPRE";
    case DOCUMENTEVENT_STARTPAGE: return "STARTPAGE";
    case DOCUMENTEVENT_ENDPAGE: return "ENDPAGE";
    case DOCUMENTEVENT_ENDDOC: return "ENDDOCPRE";
    case DOCUMENTEVENT_ABORTDOC: return "ABORTDOC";
    case DOCUMENTEVENT_DELETEDC: return "DELETEDC";
    case DOCUMENTEVENT_ESCAPE: return "ESCAPE";
    case DOCUMENTEVENT_ENDDOCPOST: return "ENDDOCPOST";
    case DOCUMENTEVENT_STARTDOCPOST: return "STARTDOCPOST";
    case DOCUMENTEVENT_QUERYFILTER: return "QUERYFILTER";
    default: return "OTHER";
    }
}

// The library's own settings: A4 portrait, one copy.
DEVMODEW DefaultDevmode(const wchar_t* printerName)
{
    DEVMODEW dm{};
    dm.dmSize = sizeof(DEVMODEW);
    dm.dmSpecVersion = DM_SPECVERSION;
    dm.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES;
    dm.dmOrientation = DMORIENT_PORTRAIT;
    dm.dmPaperSize = DMPAPER_A4;
    dm.dmCopies = 1;
    lstrcpynW(dm.dmDeviceName, printerName ? printerName : L"", CCHDEVICENAME);
    return dm;
}

// A copy of the application's DEVMODE handed back at CREATEDCPRE and RESETDCPRE
// (the library's own when the application gave none), freed at the matching
// POST event.
DEVMODEW* CopyDevmode(const DEVMODEW* in, const wchar_t* printerName = nullptr)
{
    const DEVMODEW own = DefaultDevmode(printerName);
    if (!in) in = &own;
    const size_t size = size_t(in->dmSize) + in->dmDriverExtra;
    auto* out = static_cast<DEVMODEW*>(GlobalAlloc(GPTR, size));
    if (out) std::memcpy(out, in, size);
    return out;
}

// The settings record of an extended DEVMODE (5900 bytes before its 24-byte
// trailer) kept per printer from CREATEDCPRE and RESETDCPRE: the interface
// library sends it inside the settings batch at STARTDOCPOST, so a graphics
// library that takes its private settings that way gets them here too.
constexpr size_t kSettingsRecordBytes = 5900;
constexpr size_t kExtendedDevmodeBytes = 5924;
std::map<HANDLE, std::vector<char>>& KeptSettings()
{
    static std::map<HANDLE, std::vector<char>> kept;
    return kept;
}

void KeepSettings(HANDLE printer, const DEVMODEW* devmode)
{
    if (devmode && size_t(devmode->dmSize) + devmode->dmDriverExtra == kExtendedDevmodeBytes)
        KeptSettings()[printer].assign(reinterpret_cast<const char*>(devmode),
                                       reinterpret_cast<const char*>(devmode) + kSettingsRecordBytes);
}

void SendKeptSettings(HANDLE printer, HDC hdc)
{
    auto it = KeptSettings().find(printer);
    if (it == KeptSettings().end()) return;
    const int answer = ExtEscape(hdc, 20485, int(it->second.size()), it->second.data(), 0, nullptr);
    RecordLine("  ui escape 20485 -> " + std::to_string(answer));
}

int Escape(HDC hdc, int code, DWORD in)
{
    DWORD out = 0;
    const int answer = ExtEscape(hdc, code, sizeof(in), reinterpret_cast<LPCSTR>(&in), sizeof(out),
                                 reinterpret_cast<LPSTR>(&out));
    RecordLine("  ui escape " + std::to_string(code) + " -> " + std::to_string(answer) + " out=" + Hex(out));
    return answer;
}

// A bracket escape wants no answer: issued on an open page it reaches the
// driver in its place among the page's drawing.
void Tell(HDC hdc, int code, DWORD in)
{
    const int answer = ExtEscape(hdc, code, sizeof(in), reinterpret_cast<LPCSTR>(&in), 0, nullptr);
    RecordLine("  ui escape " + std::to_string(code) + " -> " + std::to_string(answer));
}

} // namespace

extern "C" __declspec(dllexport) int WINAPI DrvDocumentEvent(HANDLE hPrinter, HDC hdc, int iEsc, ULONG cbIn,
                                                              PVOID pvIn, ULONG cbOut, PVOID pvOut)
{
    std::string line = std::string("DrvDocumentEvent ") + EventName(iEsc) + " hdc=" + (hdc ? "set" : "0") +
                       " in=" + std::to_string(cbIn) + " out=" + std::to_string(cbOut);
    if (!hPrinter) {
        RecordLine(line + " noprinter");
        return DOCUMENTEVENT_FAILURE;
    }
    switch (iEsc) {
    case DOCUMENTEVENT_CREATEDCPRE: {
        auto* pre = static_cast<DOCEVENT_CREATEDCPRE*>(pvIn);
        line += std::string(" device=") + (pre ? Narrow(pre->pszDevice) : "none") +
                " devmode=" + (pre && pre->pdm ? "yes" : "no") + (pre && pre->bIC ? " ic" : "");
        RecordLine(line);
        if (pvOut && cbOut >= sizeof(DEVMODEW*))
            *static_cast<DEVMODEW**>(pvOut) = pre ? CopyDevmode(pre->pdm, pre->pszDevice) : nullptr;
        if (pre) KeepSettings(hPrinter, pre->pdm);
        return DOCUMENTEVENT_SUCCESS;
    }
    case DOCUMENTEVENT_RESETDCPRE: {
        RecordLine(line);
        if (pvOut && cbOut >= sizeof(DEVMODEW*))
            *static_cast<DEVMODEW**>(pvOut) = CopyDevmode(pvIn ? *static_cast<DEVMODEW**>(pvIn) : nullptr);
        KeepSettings(hPrinter, pvIn ? *static_cast<DEVMODEW**>(pvIn) : nullptr);
        return DOCUMENTEVENT_SUCCESS;
    }
    case DOCUMENTEVENT_CREATEDCPOST:
    case DOCUMENTEVENT_RESETDCPOST: {
        DEVMODEW* handedOut = pvIn ? *static_cast<DEVMODEW**>(pvIn) : nullptr;
        RecordLine(line + " devmode=" + (handedOut ? "ours" : "none"));
        if (handedOut) GlobalFree(handedOut);
        return DOCUMENTEVENT_SUCCESS;
    }
    case DOCUMENTEVENT_STARTDOC: {
        const DOCINFOW* info = pvIn ? *static_cast<DOCINFOW**>(pvIn) : nullptr;
        RecordLine(line + " doc=\"" + (info ? Narrow(info->lpszDocName) : "none") + "\"");
        return DOCUMENTEVENT_SUCCESS;
    }
    case DOCUMENTEVENT_STARTDOCPOST:
        RecordLine(line + " job=" + (pvIn && *static_cast<LONG*>(pvIn) > 0 ? "set" : "0"));
        Escape(hdc, 20513, 0);
        SendKeptSettings(hPrinter, hdc);
        Escape(hdc, 20513, 1);
        return DOCUMENTEVENT_SUCCESS;
    case DOCUMENTEVENT_STARTPAGE:
        RecordLine(line);
        if (Asked(L"PRINTHOST_RECORD_CAPS"))
            RecordLine("  ui caps horzres=" + std::to_string(GetDeviceCaps(hdc, HORZRES)) +
                       " logpixelsx=" + std::to_string(GetDeviceCaps(hdc, LOGPIXELSX)) +
                       " physicalwidth=" + std::to_string(GetDeviceCaps(hdc, PHYSICALWIDTH)) +
                       " horzsize=" + std::to_string(GetDeviceCaps(hdc, HORZSIZE)) +
                       " technology=" + std::to_string(GetDeviceCaps(hdc, TECHNOLOGY)));
        Escape(hdc, 20496, 0);
        return DOCUMENTEVENT_SUCCESS;
    case DOCUMENTEVENT_ENDPAGE: {
        RecordLine(line);
        if (Asked(L"PRINTHOST_RECORD_OVERLAY")) {
            Tell(hdc, 20484, 1);
            HGDIOBJ old = SelectObject(hdc, GetStockObject(NULL_BRUSH));
            Rectangle(hdc, 100, 100, 200, 150);
            SelectObject(hdc, old);
            Tell(hdc, 20484, 0);
        }
        return DOCUMENTEVENT_SUCCESS;
    }
    case DOCUMENTEVENT_ENDDOC:
        RecordLine(line);
        if (Asked(L"PRINTHOST_RECORD_EXTRA_PAGE")) {
            RecordLine("  ui StartPage -> " + std::to_string(StartPage(hdc)));
            Tell(hdc, 20483, 1);
            MoveToEx(hdc, 10, 10, nullptr);
            LineTo(hdc, 20, 30);
            RecordLine("  ui EndPage -> " + std::to_string(EndPage(hdc)));
            Tell(hdc, 20483, 0);
        }
        return DOCUMENTEVENT_SUCCESS;
    case DOCUMENTEVENT_DELETEDC:
        KeptSettings().erase(hPrinter);
        RecordLine(line);
        return DOCUMENTEVENT_SUCCESS;
    case DOCUMENTEVENT_ENDDOCPOST:
    case DOCUMENTEVENT_ABORTDOC:
        RecordLine(line);
        return DOCUMENTEVENT_SUCCESS;
    case DOCUMENTEVENT_ESCAPE: {
        const auto* escape = static_cast<const DOCEVENT_ESCAPE*>(pvIn);
        RecordLine(line + " escape=" + (escape && cbIn >= sizeof(*escape) ? std::to_string(escape->iEscape) : "none"));
        return DOCUMENTEVENT_UNSUPPORTED;
    }
    case DOCUMENTEVENT_QUERYFILTER: {
        RecordLine(line);
        // On request the library asks only for the DC's creation, its pages and its end.
        auto* filter = static_cast<DOCEVENT_FILTER*>(pvOut);
        const DWORD wanted[] = {DOCUMENTEVENT_CREATEDCPRE, DOCUMENTEVENT_CREATEDCPOST, DOCUMENTEVENT_STARTPAGE,
                                DOCUMENTEVENT_DELETEDC};
        if (!Asked(L"PRINTHOST_RECORD_FILTER") || !filter || cbOut < sizeof(DOCEVENT_FILTER)) return DOCUMENTEVENT_UNSUPPORTED;
        filter->cElementsNeeded = 4;
        filter->cElementsReturned = filter->cElementsAllocated >= 4 ? 4 : 0;
        for (UINT i = 0; i < filter->cElementsReturned; ++i) filter->aDocEventCall[i] = wanted[i];
        return DOCUMENTEVENT_SUCCESS;
    }
    default:
        RecordLine(line);
        return DOCUMENTEVENT_UNSUPPORTED;
    }
}

// Without a property sheet: answers the size of its DEVMODE, or a default one
// merged with the caller's, as the spooler asks of every interface library.

extern "C" __declspec(dllexport) LONG WINAPI DrvDocumentPropertySheets(void* pPSUIInfo, LPARAM lParam)
{
    if (pPSUIInfo) return -1;
    auto* header = reinterpret_cast<DOCUMENTPROPERTYHEADER*>(lParam);
    if (!header || header->cbSize < sizeof(DOCUMENTPROPERTYHEADER)) return -1;
    if (header->fMode == 0 || !header->pdmOut) {
        header->cbOut = sizeof(DEVMODEW);
        return header->cbOut;
    }
    DEVMODEW dm = DefaultDevmode(header->pszPrinterName);
    if ((header->fMode & DM_IN_BUFFER) && header->pdmIn && header->pdmIn->dmSize >= offsetof(DEVMODEW, dmFormName)) {
        if (header->pdmIn->dmFields & DM_ORIENTATION) dm.dmOrientation = header->pdmIn->dmOrientation;
        if (header->pdmIn->dmFields & DM_COPIES) dm.dmCopies = header->pdmIn->dmCopies;
    }
    std::memcpy(header->pdmOut, &dm, sizeof(dm));
    return 1;
}

// What an interface library does for a sample page of its own printer (a fax
// cover sheet's sample, say): a whole printer DC's life through gdi32, from
// CreateDC to DeleteDC, with one blank on its one page.
extern "C" __declspec(dllexport) int WINAPI RecordSamplePrint(const wchar_t* printerName, const wchar_t* output)
{
    HDC dc = CreateDCW(L"WINSPOOL", printerName, nullptr, nullptr);
    RecordLine(std::string("  ui CreateDC -> ") + (dc ? "dc" : "0"));
    if (!dc) return 0;
    DOCINFOW doc{sizeof(doc), L"SamplePrint", output, nullptr, 0};
    int printed = StartDocW(dc, &doc) > 0 && StartPage(dc) > 0;
    if (printed) {
        ExtTextOutW(dc, 100, 100, ETO_CLIPPED, nullptr, L" ", 1, nullptr);
        printed = EndPage(dc) > 0;
    }
    printed = EndDoc(dc) > 0 && printed;
    RecordLine(std::string("  ui DeleteDC -> ") + (DeleteDC(dc) ? "1" : "0"));
    return printed;
}
