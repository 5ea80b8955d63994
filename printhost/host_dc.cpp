#include "printhost/host_dc.h"

#include "printhost/driver_table.h"
#include "printhost/engine_objects.h"
#include "printhost/import_redirect.h"
#include "printhost/install.h"
#include "printhost/page_player.h"

#include <winspool.h>
#include <winddiui.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace printhost {

namespace {

using DocumentEventFn = int(WINAPI*)(HANDLE, HDC, int, ULONG, PVOID, ULONG, PVOID);

struct HostDc {
    std::wstring printerName;
    HANDLE printer = nullptr;
    InstalledDriver files;
    HMODULE interfaceModule = nullptr;
    DocumentEventFn documentEvent = nullptr;
    DriverTable* driver = nullptr;
    std::unique_ptr<HostDevice> device;
    HSURF surface = nullptr;
    // An information context has a device but no surface: its escapes reach
    // DrvEscape with this stand-in, which names the device only.
    bool information = false;
    SURFOBJ deviceOnly{};
    std::vector<BYTE> devmode;     // the DEVMODE the device was enabled with
    HDC referenceDc = nullptr;
    HDC pageDc = nullptr;
    std::vector<HDC> handles;      // every handle this DC has had
    bool docStarted = false;
    bool pageOpen = false;
    DWORD jobId = 0;
    std::wstring lastError;
    bool filtered = false;         // the library answered QUERYFILTER with its events
    std::vector<DWORD> events;     // the events it asked for
};

std::recursive_mutex& Lock() { static std::recursive_mutex m; return m; }
const HostDcObserver* g_observer = nullptr;
std::map<HDC, HostDc*>& ByHandle() { static std::map<HDC, HostDc*> m; return m; }

HostDc* Find(HDC hdc)
{
    std::lock_guard<std::recursive_mutex> guard(Lock());
    auto it = ByHandle().find(hdc);
    return it == ByHandle().end() ? nullptr : it->second;
}

// A host DC found under the lock and used while the lock is held, so that a
// DeleteDC on another thread cannot free it in the middle of a call (the
// lock is recursive: the driver and the interface library may call back).
struct FoundDc {
    std::unique_lock<std::recursive_mutex> guard{Lock()};
    HostDc* dc;
    explicit FoundDc(HDC hdc) : dc(Find(hdc)) {}
};

std::vector<BYTE> CopyDevmode(const DEVMODEW* dm)
{
    if (!dm || dm->dmSize < offsetof(DEVMODEW, dmFields)) return {};
    const auto* bytes = reinterpret_cast<const BYTE*>(dm);
    return std::vector<BYTE>(bytes, bytes + dm->dmSize + dm->dmDriverExtra);
}

DEVMODEW* AsDevmode(std::vector<BYTE>& bytes)
{
    return bytes.empty() ? nullptr : reinterpret_cast<DEVMODEW*>(bytes.data());
}

int Event(HostDc& dc, HDC hdc, int event, ULONG inSize, void* in, ULONG outSize, void* out)
{
    if (!dc.documentEvent) return DOCUMENTEVENT_UNSUPPORTED;
    // A library that listed its events at QUERYFILTER gets only those.
    if (dc.filtered && std::find(dc.events.begin(), dc.events.end(), DWORD(event)) == dc.events.end())
        return DOCUMENTEVENT_UNSUPPORTED;
    const int result = dc.documentEvent(dc.printer, hdc, event, inSize, in, outSize, out);
    if (const HostDcObserver* observer = g_observer; observer && observer->event)
        observer->event(observer->context, dc.printer, hdc, event, result);
    return result;
}

// Before CREATEDCPRE the library may list the events it wants: with room for
// every event first, and once more with the room it says it needs. A library
// that does not answer, or answers more than it was given room for, gets
// every event.
void QueryEventFilter(HostDc& dc)
{
    constexpr UINT kMaxEvents = 64;
    UINT room = DOCUMENTEVENT_LAST;
    for (int attempt = 0; attempt < 2 && dc.documentEvent; ++attempt) {
        const size_t size = offsetof(DOCEVENT_FILTER, aDocEventCall) + size_t(room) * sizeof(DWORD);
        std::vector<BYTE> bytes(size);
        auto* filter = reinterpret_cast<DOCEVENT_FILTER*>(bytes.data());
        filter->cbSize = UINT(size);
        filter->cElementsAllocated = room;
        if (dc.documentEvent(dc.printer, nullptr, DOCUMENTEVENT_QUERYFILTER, 0, nullptr, ULONG(size), filter) !=
            DOCUMENTEVENT_SUCCESS)
            return;
        if (filter->cElementsReturned <= room && filter->cElementsNeeded <= room) {
            dc.events.assign(filter->aDocEventCall, filter->aDocEventCall + filter->cElementsReturned);
            dc.filtered = true;
            return;
        }
        if (filter->cElementsNeeded <= room || filter->cElementsNeeded > kMaxEvents) return;
        room = filter->cElementsNeeded;
    }
}

SURFOBJ* Surface(HostDc& dc)
{
    if (HostSurface* s = FromHsurf(dc.surface)) return &s->so;
    return dc.information ? &dc.deviceOnly : nullptr;
}

template <typename F>
F Ddi(HostDc& dc, ULONG index) { return DriverFunction<F>(*dc.driver, index); }

// DrvEnablePDEV and DrvCompletePDEV for a DEVMODE, and the device's font
// faces; null when the driver refuses the device.
std::unique_ptr<HostDevice> EnableDevice(HostDc& dc, std::vector<BYTE>& devmode)
{
    auto enablePdev = Ddi<PFN_DrvEnablePDEV>(dc, INDEX_DrvEnablePDEV);
    auto device = std::make_unique<HostDevice>();
    device->driver = dc.driver;
    LiveDevices().Add(device.get());
    HSURF patterns[HS_DDI_MAX] = {};
    device->dhpdev = enablePdev(AsDevmode(devmode), nullptr, HS_DDI_MAX, patterns, sizeof(GDIINFO), &device->gdiInfo,
                                sizeof(DEVINFO), &device->devInfo, ToHdev(device.get()),
                                const_cast<wchar_t*>(dc.printerName.c_str()), dc.printer);
    if (!device->dhpdev) {
        LiveDevices().Remove(device.get());
        return nullptr;
    }
    Ddi<PFN_DrvCompletePDEV>(dc, INDEX_DrvCompletePDEV)(device->dhpdev, ToHdev(device.get()));
    LoadDeviceFaces(*device);
    return device;
}

// DrvDisableSurface (when the device has one) and DrvDisablePDEV.
void DisableDevice(HostDc& dc, std::unique_ptr<HostDevice>& device, HSURF surface)
{
    if (!device) return;
    // The engine lets go of the device's fonts before the driver's device goes.
    for (auto& font : device->fonts) ReleaseFont(font.second);
    device->fonts.clear();
    if (device->dhpdev) {
        if (surface)
            if (auto disableSurface = Ddi<PFN_DrvDisableSurface>(dc, INDEX_DrvDisableSurface))
                disableSurface(device->dhpdev);
        if (auto disable = Ddi<PFN_DrvDisablePDEV>(dc, INDEX_DrvDisablePDEV)) disable(device->dhpdev);
    }
    LiveDevices().Remove(device.get());
    device.reset();
}

// A printer DC draws on the surface its driver enables; an information
// context only answers questions and has none, as with GDI.
bool TakeDevice(HostDc& dc, std::unique_ptr<HostDevice> device)
{
    HSURF surface = nullptr;
    if (!dc.information) {
        surface = Ddi<PFN_DrvEnableSurface>(dc, INDEX_DrvEnableSurface)(device->dhpdev);
        if (!FromHsurf(surface)) surface = nullptr;
    }
    DisableDevice(dc, dc.device, dc.surface);
    dc.device = std::move(device);
    dc.surface = surface;
    dc.device->surface = surface;
    dc.deviceOnly = SURFOBJ{};
    dc.deviceOnly.dhpdev = dc.device->dhpdev;
    dc.deviceOnly.hdev = ToHdev(dc.device.get());
    dc.deviceOnly.iType = STYPE_DEVICE;
    return dc.information || surface;
}

bool NewPageDc(HostDc& dc)
{
    RECT frame{0, 0, 0, 0};
    const GDIINFO& gi = dc.device->gdiInfo;
    if (gi.ulLogPixelsX && gi.ulLogPixelsY) {
        frame.right = LONG(MulDiv(gi.szlPhysSize.cx ? gi.szlPhysSize.cx : LONG(gi.ulHorzRes), 2540, LONG(gi.ulLogPixelsX)));
        frame.bottom = LONG(MulDiv(gi.szlPhysSize.cy ? gi.szlPhysSize.cy : LONG(gi.ulVertRes), 2540, LONG(gi.ulLogPixelsY)));
    }
    HDC page = CreateEnhMetaFileW(dc.referenceDc, nullptr, frame.right > 0 ? &frame : nullptr, L"print host page");
    if (!page) return false;
    std::lock_guard<std::recursive_mutex> guard(Lock());
    dc.pageDc = page;
    dc.handles.push_back(page);
    ByHandle()[page] = &dc;
    return true;
}

// Closes the current page's metafile and starts the next one.
HENHMETAFILE TakePage(HostDc& dc)
{
    HENHMETAFILE page = CloseEnhMetaFile(dc.pageDc);
    dc.pageDc = nullptr;
    NewPageDc(dc);
    return page;
}

void Destroy(HostDc* dc)
{
    DisableDevice(*dc, dc->device, dc->surface);
    if (dc->driver) ReleaseGraphicsDriver(dc->driver);
    {
        std::lock_guard<std::recursive_mutex> guard(Lock());
        for (HDC h : dc->handles) ByHandle().erase(h);
    }
    if (dc->pageDc) DeleteEnhMetaFile(CloseEnhMetaFile(dc->pageDc));
    if (dc->referenceDc) DeleteDC(dc->referenceDc);
    if (dc->interfaceModule) FreeLibrary(dc->interfaceModule);
    if (dc->printer) ClosePrinter(dc->printer);
    delete dc;
}

void LoadInterface(HostDc& dc);

// Only a file name: a port name ("FILE:", "LPT1:") is no file to empty.
bool StartEmptyFile(const wchar_t* path)
{
    const size_t length = wcslen(path);
    if (length == 0 || path[length - 1] == L':') return true;
    HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

HDC OpenDc(const std::wstring& printerName, const DEVMODEW* devmode, bool information, std::wstring* error)
{
    auto* dc = new HostDc;
    dc->printerName = printerName;
    dc->information = information;
    // Once the interface library has answered CREATEDCPRE it holds a record
    // for the DC (and perhaps a DEVMODE it handed out): a creation that fails
    // after that tells it so, with CREATEDCPOST and DELETEDC on no DC, so that
    // it frees both.
    bool announced = false;
    DEVMODEW* handedOut = nullptr;
    auto fail = [&](const std::wstring& message) -> HDC {
        if (error) *error = message;
        if (announced) {
            Event(*dc, nullptr, DOCUMENTEVENT_CREATEDCPOST, sizeof(handedOut), &handedOut, 0, nullptr);
            Event(*dc, nullptr, DOCUMENTEVENT_DELETEDC, 0, nullptr, 0, nullptr);
        }
        Destroy(dc);
        return nullptr;
    };
    if (!OpenPrinterW(const_cast<wchar_t*>(printerName.c_str()), &dc->printer, nullptr))
        return fail(WithLastError(L"no printer named " + printerName));
    std::wstring message;
    if (!FindPrinterDriver(printerName, &dc->files, &message)) return fail(message);
    LoadInterface(*dc);
    QueryEventFilter(*dc);
    // The library gets the application's DEVMODE as it came, null included;
    // the device gets the one the library hands out, else the application's,
    // else the printer's own.
    std::vector<BYTE> given = CopyDevmode(devmode);
    DOCEVENT_CREATEDCPRE pre{nullptr, const_cast<wchar_t*>(printerName.c_str()), AsDevmode(given), information};
    if (Event(*dc, nullptr, DOCUMENTEVENT_CREATEDCPRE, sizeof(pre), &pre, sizeof(handedOut), &handedOut) ==
        DOCUMENTEVENT_FAILURE)
        return fail(L"the interface library refused the printer DC (CREATEDCPRE)");
    announced = true;
    dc->devmode = handedOut ? CopyDevmode(handedOut) : !given.empty() ? given : PrinterDevmode(dc->printer);

    dc->driver = LoadGraphicsDriver(dc->files.graphicsDll, &message);
    if (!dc->driver) return fail(message);
    if (!Ddi<PFN_DrvEnablePDEV>(*dc, INDEX_DrvEnablePDEV) || !Ddi<PFN_DrvCompletePDEV>(*dc, INDEX_DrvCompletePDEV) ||
        !Ddi<PFN_DrvEnableSurface>(*dc, INDEX_DrvEnableSurface))
        return fail(L"the graphics driver lacks DrvEnablePDEV, DrvCompletePDEV or DrvEnableSurface");
    std::unique_ptr<HostDevice> device = EnableDevice(*dc, dc->devmode);
    if (!device) return fail(L"the graphics driver failed to enable the device (DrvEnablePDEV)");
    if (!TakeDevice(*dc, std::move(device))) return fail(L"the graphics driver gave no surface (DrvEnableSurface)");

    dc->referenceDc = CreateCompatibleDC(nullptr);
    if (!dc->referenceDc || !NewPageDc(*dc)) return fail(WithLastError(L"cannot create the page metafile"));
    Event(*dc, dc->pageDc, DOCUMENTEVENT_CREATEDCPOST, sizeof(handedOut), &handedOut, 0, nullptr);
    return dc->pageDc;
}

} // namespace

HDC CreatePrinterDc(const std::wstring& printerName, const DEVMODEW* devmode, std::wstring* error)
{
    return OpenDc(printerName, devmode, false, error);
}

HDC CreateInformationDc(const std::wstring& printerName, const DEVMODEW* devmode, std::wstring* error)
{
    return OpenDc(printerName, devmode, true, error);
}

bool IsHostDc(HDC hdc) { return Find(hdc) != nullptr; }

void SetHostDcObserver(const HostDcObserver* observer) { g_observer = observer; }

HDC CurrentDrawingDc(HDC hdc)
{
    FoundDc found(hdc);
    HostDc* dc = found.dc;
    return dc ? dc->pageDc : nullptr;
}

bool HostDcGdiInfo(HDC hdc, GDIINFO* info)
{
    FoundDc found(hdc);
    HostDc* dc = found.dc;
    if (!dc || !info) return false;
    *info = dc->device->gdiInfo;
    return true;
}

std::wstring HostDcLastError(HDC hdc)
{
    FoundDc found(hdc);
    HostDc* dc = found.dc;
    return dc ? dc->lastError : std::wstring(L"not a print host DC");
}

namespace {

const ImportRedirect kRedirects[] = {
    {"CreateDCW", reinterpret_cast<void*>(&HostCreateDCW)},
    {"StartDocW", reinterpret_cast<void*>(&HostStartDocW)},
    {"StartPage", reinterpret_cast<void*>(&HostStartPage)},
    {"EndPage", reinterpret_cast<void*>(&HostEndPage)},
    {"EndDoc", reinterpret_cast<void*>(&HostEndDoc)},
    {"AbortDoc", reinterpret_cast<void*>(&HostAbortDoc)},
    {"ResetDCW", reinterpret_cast<void*>(&HostResetDCW)},
    {"ExtEscape", reinterpret_cast<void*>(&HostExtEscape)},
    {"DeleteDC", reinterpret_cast<void*>(&HostDeleteDC)},
    {"GetDeviceCaps", reinterpret_cast<void*>(&HostGetDeviceCaps)},
};

// The interface libraries whose imports point at the host.
std::set<HMODULE>& RedirectedLibraries()
{
    static std::set<HMODULE> libraries;
    return libraries;
}

bool IsRedirectedLibrary(const std::wstring& path)
{
    HMODULE module = GetModuleHandleW(path.c_str());
    return module && RedirectedLibraries().count(module) != 0;
}

void LoadInterface(HostDc& dc)
{
    if (dc.files.interfaceDll.empty()) return;
    dc.interfaceModule = LoadInterfaceLibrary(dc.files.interfaceDll);
    if (!dc.interfaceModule) return;
    dc.documentEvent = reinterpret_cast<DocumentEventFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(dc.interfaceModule, "DrvDocumentEvent")));
}

} // namespace

HMODULE LoadInterfaceLibrary(const std::wstring& path)
{
    HMODULE module = LoadLibraryW(path.c_str());
    if (!module) return nullptr;
    RedirectGdiImports(module, kRedirects, int(sizeof(kRedirects) / sizeof(kRedirects[0])));
    RedirectedLibraries().insert(module);
    return module;
}

} // namespace printhost

using namespace printhost;

HDC WINAPI HostCreateDCW(LPCWSTR driver, LPCWSTR device, LPCWSTR port, const DEVMODEW* devmode)
{
    // Only the printer of a library the host loaded: wine's own printers keep
    // wine's driver.
    if (device && (!driver || _wcsicmp(driver, L"WINSPOOL") == 0)) {
        InstalledDriver installed;
        std::wstring error;
        if (FindPrinterDriver(device, &installed, &error) && IsRedirectedLibrary(installed.interfaceDll)) {
            HDC dc = CreatePrinterDc(device, devmode, &error);
            if (!dc) SetLastError(ERROR_INVALID_HANDLE);
            return dc;
        }
    }
    return CreateDCW(driver, device, port, devmode);
}

int WINAPI HostStartDocW(HDC hdc, const DOCINFOW* info)
{
    FoundDc found(hdc);
    HostDc* dc = found.dc;
    if (!dc) return StartDocW(hdc, info);
    if (dc->docStarted || !info || dc->information) { SetLastError(ERROR_INVALID_PARAMETER); return SP_ERROR; }
    const DOCINFOW* infoPointer = info;
    if (Event(*dc, dc->pageDc, DOCUMENTEVENT_STARTDOC, sizeof(infoPointer), &infoPointer, 0, nullptr) ==
        DOCUMENTEVENT_FAILURE) {
        dc->lastError = L"the interface library refused the document (STARTDOCPRE)";
        return SP_ERROR;
    }
    DOC_INFO_1W job{};
    job.pDocName = const_cast<wchar_t*>(info->lpszDocName ? info->lpszDocName : L"");
    job.pOutputFile = const_cast<wchar_t*>(info->lpszOutput);
    job.pDatatype = const_cast<wchar_t*>(L"RAW");
    // The spooler on Windows starts the output file empty; wine's writes the
    // job over what the file held and leaves the rest.
    if (info->lpszOutput && !StartEmptyFile(info->lpszOutput)) {
        dc->lastError = WithLastError(L"cannot start the output file");
        return SP_ERROR;
    }
    dc->jobId = StartDocPrinterW(dc->printer, 1, reinterpret_cast<BYTE*>(&job));
    if (!dc->jobId) {
        dc->lastError = WithLastError(L"the spooler refused the job");
        return SP_ERROR;
    }
    auto startDoc = Ddi<PFN_DrvStartDoc>(*dc, INDEX_DrvStartDoc);
    if (startDoc && !startDoc(Surface(*dc), job.pDocName, dc->jobId)) {
        dc->lastError = L"the graphics driver refused the document (DrvStartDoc)";
        EndDocPrinter(dc->printer);
        return SP_ERROR;
    }
    dc->docStarted = true;
    LONG jobId = LONG(dc->jobId);
    if (Event(*dc, dc->pageDc, DOCUMENTEVENT_STARTDOCPOST, sizeof(jobId), &jobId, 0, nullptr) == DOCUMENTEVENT_FAILURE) {
        dc->lastError = L"the interface library failed the document (STARTDOCPOST)";
        HostAbortDoc(hdc);
        return SP_ERROR;
    }
    return int(dc->jobId);
}

int WINAPI HostStartPage(HDC hdc)
{
    FoundDc found(hdc);
    HostDc* dc = found.dc;
    if (!dc) return StartPage(hdc);
    if (!dc->docStarted) { SetLastError(ERROR_INVALID_PARAMETER); return SP_ERROR; }
    if (Event(*dc, dc->pageDc, DOCUMENTEVENT_STARTPAGE, 0, nullptr, 0, nullptr) == DOCUMENTEVENT_FAILURE) {
        dc->lastError = L"the interface library refused the page (STARTPAGE)";
        return SP_ERROR;
    }
    auto startPage = Ddi<PFN_DrvStartPage>(*dc, INDEX_DrvStartPage);
    if (startPage && !startPage(Surface(*dc))) {
        dc->lastError = L"the graphics driver refused the page (DrvStartPage)";
        return SP_ERROR;
    }
    dc->pageOpen = true;
    return 1;
}

// Plays what the page's metafile holds so far and starts a new one for the
// rest of the page.
bool PlayPageSoFar(HostDc& dc)
{
    HENHMETAFILE page = TakePage(dc);
    if (!page) return false;
    std::wstring message;
    const HostDcObserver* observer = g_observer;
    const PlayTiming timing{observer ? observer->played : nullptr, observer ? observer->context : nullptr};
    const bool ok = PlayPage(*dc.device, Surface(dc), page, &message, &timing);
    if (!ok) dc.lastError = message;
    DeleteEnhMetaFile(page);
    return ok;
}

int WINAPI HostEndPage(HDC hdc)
{
    FoundDc found(hdc);
    HostDc* dc = found.dc;
    if (!dc) return EndPage(hdc);
    if (!dc->pageOpen) { SetLastError(ERROR_INVALID_PARAMETER); return SP_ERROR; }
    // A driver printing directly has had every drawing call of the page when
    // ENDPAGE comes: what the interface library asks it then (which overlays
    // are due) depends on it. What the library draws at ENDPAGE follows.
    bool ok = PlayPageSoFar(*dc);
    const int event = Event(*dc, dc->pageDc, DOCUMENTEVENT_ENDPAGE, 0, nullptr, 0, nullptr);
    dc->pageOpen = false;
    ok = PlayPageSoFar(*dc) && ok;
    auto sendPage = Ddi<PFN_DrvSendPage>(*dc, INDEX_DrvSendPage);
    if (sendPage && !sendPage(Surface(*dc))) {
        dc->lastError = L"the graphics driver failed the page (DrvSendPage)";
        ok = false;
    }
    if (event == DOCUMENTEVENT_FAILURE) {
        dc->lastError = L"the interface library failed the page (ENDPAGE)";
        ok = false;
    }
    return ok ? 1 : SP_ERROR;
}

int WINAPI HostEndDoc(HDC hdc)
{
    FoundDc found(hdc);
    HostDc* dc = found.dc;
    if (!dc) return EndDoc(hdc);
    if (!dc->docStarted) { SetLastError(ERROR_INVALID_PARAMETER); return SP_ERROR; }
    if (dc->pageOpen) HostEndPage(hdc);
    // The interface library may add a page of its own here.
    const int event = Event(*dc, dc->pageDc, DOCUMENTEVENT_ENDDOC, 0, nullptr, 0, nullptr);
    bool ok = event != DOCUMENTEVENT_FAILURE;
    auto endDoc = Ddi<PFN_DrvEndDoc>(*dc, INDEX_DrvEndDoc);
    if (endDoc && !endDoc(Surface(*dc), 0)) {
        dc->lastError = L"the graphics driver failed the document (DrvEndDoc)";
        ok = false;
    }
    if (!EndDocPrinter(dc->printer)) {
        dc->lastError = WithLastError(L"the spooler failed to end the job");
        ok = false;
    }
    dc->docStarted = false;
    Event(*dc, dc->pageDc, DOCUMENTEVENT_ENDDOCPOST, 0, nullptr, 0, nullptr);
    return ok ? 1 : SP_ERROR;
}

int WINAPI HostAbortDoc(HDC hdc)
{
    FoundDc found(hdc);
    HostDc* dc = found.dc;
    if (!dc) return AbortDoc(hdc);
    if (!dc->docStarted) { SetLastError(ERROR_INVALID_PARAMETER); return SP_ERROR; }
    Event(*dc, dc->pageDc, DOCUMENTEVENT_ABORTDOC, 0, nullptr, 0, nullptr);
    if (dc->pageOpen) {
        // The page's drawing is dropped, not played.
        DeleteEnhMetaFile(TakePage(*dc));
        dc->pageOpen = false;
    }
    if (auto endDoc = Ddi<PFN_DrvEndDoc>(*dc, INDEX_DrvEndDoc)) endDoc(Surface(*dc), ED_ABORTDOC);
    if (!AbortPrinter(dc->printer)) EndDocPrinter(dc->printer);
    dc->docStarted = false;
    return 1;
}

HDC WINAPI HostResetDCW(HDC hdc, const DEVMODEW* devmode)
{
    FoundDc found(hdc);
    HostDc* dc = found.dc;
    if (!dc) return ResetDCW(hdc, devmode);
    if (dc->pageOpen) { SetLastError(ERROR_INVALID_PARAMETER); return nullptr; }
    std::vector<BYTE> given = devmode ? CopyDevmode(devmode) : dc->devmode;
    DEVMODEW* givenPointer = AsDevmode(given);
    DEVMODEW* handedOut = nullptr;
    if (Event(*dc, dc->pageDc, DOCUMENTEVENT_RESETDCPRE, sizeof(givenPointer), &givenPointer, sizeof(handedOut),
              &handedOut) == DOCUMENTEVENT_FAILURE) {
        dc->lastError = L"the interface library refused the reset (RESETDCPRE)";
        return nullptr;
    }
    std::vector<BYTE> newDevmode = handedOut ? CopyDevmode(handedOut) : given;
    // A new device takes over from the old one, as GDI does for ResetDC; when
    // the driver cannot carry the old one's state over (DrvResetPDEV answers
    // FALSE) the old device stays and the new one goes.
    std::unique_ptr<HostDevice> device = EnableDevice(*dc, newDevmode);
    bool ok = device != nullptr;
    if (!device) {
        dc->lastError = L"the graphics driver failed to enable the new device (DrvEnablePDEV)";
    } else if (auto reset = Ddi<PFN_DrvResetPDEV>(*dc, INDEX_DrvResetPDEV);
               reset && !reset(dc->device->dhpdev, device->dhpdev)) {
        dc->lastError = L"the graphics driver refused to reset the device (DrvResetPDEV)";
        DisableDevice(*dc, device, nullptr);
        ok = false;
    } else {
        ok = TakeDevice(*dc, std::move(device));
        dc->devmode = std::move(newDevmode);
        if (!ok) dc->lastError = L"the graphics driver gave no surface (DrvEnableSurface)";
    }
    Event(*dc, dc->pageDc, DOCUMENTEVENT_RESETDCPOST, sizeof(handedOut), &handedOut, 0, nullptr);
    return ok ? hdc : nullptr;
}

int WINAPI HostExtEscape(HDC hdc, int escape, int inSize, LPCSTR in, int outSize, LPSTR out)
{
    FoundDc found(hdc);
    HostDc* dc = found.dc;
    if (!dc) return ExtEscape(hdc, escape, inSize, in, outSize, out);
    if (inSize < 0 || outSize < 0 || (inSize && !in) || (outSize && !out)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    // The interface library hears of the escape before the driver gets it.
    DOCEVENT_ESCAPE event{escape, inSize, const_cast<char*>(in)};
    Event(*dc, hdc, DOCUMENTEVENT_ESCAPE, sizeof(event), &event, ULONG(outSize), out);
    int answer = 0;
    if (const HostDcObserver* observer = g_observer;
        observer && observer->escape && observer->escape(observer->context, hdc, escape, inSize, in, outSize, out, &answer))
        return answer;
    // With a page open, an escape keeps its place among the page's drawing in
    // the page's metafile, as in a spool file; one that wants no answer
    // answers 1 and waits there. One that wants an answer is answered by the
    // device now as well (on Windows the application's device answers it,
    // while the device that plays the spool file meets it in place).
    // QUERYESCSUPPORT asks about the device and is not part of the page.
    const bool inPage = dc->pageOpen && escape != QUERYESCSUPPORT;
    if (inPage && outSize == 0 && RecordEscapeInPage(dc->pageDc, escape, inSize, in))
        return 1;
    auto ddiEscape = Ddi<PFN_DrvEscape>(*dc, INDEX_DrvEscape);
    if (!ddiEscape) return 0;
    const int answered =
        int(ddiEscape(Surface(*dc), ULONG(escape), ULONG(inSize), const_cast<char*>(in), ULONG(outSize), out));
    if (inPage) RecordEscapeInPage(dc->pageDc, escape, inSize, in);
    return answered;
}

BOOL WINAPI HostDeleteDC(HDC hdc)
{
    FoundDc found(hdc);
    HostDc* dc = found.dc;
    if (!dc) return DeleteDC(hdc);
    if (dc->docStarted) HostAbortDoc(hdc);
    Event(*dc, dc->pageDc, DOCUMENTEVENT_DELETEDC, 0, nullptr, 0, nullptr);
    Destroy(dc);
    return TRUE;
}

namespace {

// What GetDeviceCaps answers on a printer DC, from the driver's GDIINFO.
struct CapsField {
    int index;
    ULONG GDIINFO::*field;
};
constexpr CapsField kCapsFields[] = {
    {DRIVERVERSION, &GDIINFO::ulVersion},   {TECHNOLOGY, &GDIINFO::ulTechnology}, {HORZRES, &GDIINFO::ulHorzRes},
    {VERTRES, &GDIINFO::ulVertRes},         {BITSPIXEL, &GDIINFO::cBitsPixel},    {PLANES, &GDIINFO::cPlanes},
    {NUMCOLORS, &GDIINFO::ulNumColors},     {RASTERCAPS, &GDIINFO::flRaster},     {LOGPIXELSX, &GDIINFO::ulLogPixelsX},
    {LOGPIXELSY, &GDIINFO::ulLogPixelsY},   {ASPECTX, &GDIINFO::ulAspectX},       {ASPECTY, &GDIINFO::ulAspectY},
    {ASPECTXY, &GDIINFO::ulAspectXY},       {SHADEBLENDCAPS, &GDIINFO::flShadeBlend},
};

// GDIINFO gives the size in millimetres, or in micrometres when negative.
int Millimetres(ULONG size)
{
    const LONG value = LONG(size);
    return value < 0 ? int(-value / 1000) : int(value);
}

} // namespace

int WINAPI HostGetDeviceCaps(HDC hdc, int index)
{
    FoundDc found(hdc);
    HostDc* dc = found.dc;
    if (!dc) return GetDeviceCaps(hdc, index);
    const GDIINFO& info = dc->device->gdiInfo;
    for (const CapsField& f : kCapsFields)
        if (f.index == index) return int(info.*f.field);
    switch (index) {
    case HORZSIZE: return Millimetres(info.ulHorzSize);
    case VERTSIZE: return Millimetres(info.ulVertSize);
    case PHYSICALWIDTH: return int(info.szlPhysSize.cx);
    case PHYSICALHEIGHT: return int(info.szlPhysSize.cy);
    case PHYSICALOFFSETX: return int(info.ptlPhysOffset.x);
    case PHYSICALOFFSETY: return int(info.ptlPhysOffset.y);
    default: return GetDeviceCaps(dc->pageDc ? dc->pageDc : hdc, index);
    }
}
