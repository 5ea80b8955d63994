// Printer DCs of the print host. Each is a real wine enhanced-metafile DC, one
// metafile per page, so that everything drawn or measured on it behaves as GDI
// does; the host plays each page's records into the graphics driver at the end
// of the page and calls the interface library's DrvDocumentEvent around every
// DC operation in the order Windows does.
//
// The handle is that of the current page's metafile: it changes at every
// EndPage (a closed metafile cannot take more records). Every handle a host DC
// has had stays valid for the functions below, which is what an interface
// library holding the handle of an earlier event sees.
#pragma once

#include <windows.h>
#include <winddi.h>

#include <string>

namespace printhost {

// Opens the printer, loads its interface and graphics libraries from the
// spooler's driver record, and enables the device. Null and a message when the
// printer or a library is missing or the driver refuses.
// The DEVMODE reaches the interface library as given (null too); the device
// gets the one the library hands out at CREATEDCPRE, else the given one, else
// the printer's.
HDC CreatePrinterDc(const std::wstring& printerName, const DEVMODEW* devmode, std::wstring* error);
// An information context (CreateIC): the same device, enabled without a
// surface, for questions and escapes only; it cannot print (StartDoc fails).
HDC CreateInformationDc(const std::wstring& printerName, const DEVMODEW* devmode, std::wstring* error);
bool IsHostDc(HDC hdc);
// Loads an interface library as it runs under GDI: its gdi32 imports of
// CreateDCW, the document functions, ExtEscape, DeleteDC and GetDeviceCaps
// point at the host, so that a printer DC the library makes for its own
// printer (a sample page) is a host DC too. Null when it cannot be loaded.
HMODULE LoadInterfaceLibrary(const std::wstring& path);
// The handle to draw on now (the current page's metafile DC).
HDC CurrentDrawingDc(HDC hdc);
// The device capabilities the driver answered at DrvEnablePDEV.
bool HostDcGdiInfo(HDC hdc, GDIINFO* info);
// The last failure of a host DC operation, for messages.
std::wstring HostDcLastError(HDC hdc);

// What a program watches at the host's DCs: each document event the host
// sends (with the printer handle and the answer) and each escape before it
// reaches the driver; the escape watcher may answer in the driver's place
// (it then answers true and sets *answer). One observer for the process; null
// removes it.
struct HostDcObserver {
    void (*event)(void* context, HANDLE printer, HDC hdc, int event, int result);
    bool (*escape)(void* context, HDC hdc, int escape, int inSize, const char* in, int outSize, char* out,
                   int* answer);
    void* context;
    // Optional, for profiling: the QueryPerformanceCounter ticks each record
    // of a page took to play, the driver's calls included. EMR_HEADER stands
    // for reading and checking the page and setting up its playback,
    // EMR_EOF for releasing it.
    void (*played)(void* context, DWORD recordType, LONGLONG ticks);
};
void SetHostDcObserver(const HostDcObserver* observer);

} // namespace printhost

// GDI's document functions for host DCs; any other DC goes on to gdi32. They
// are also the targets of the interface library's redirected imports.
// CreateDC("WINSPOOL", printer) on a printer whose interface library the host
// loaded becomes a host DC of that printer; any other goes on to gdi32.
HDC WINAPI HostCreateDCW(LPCWSTR driver, LPCWSTR device, LPCWSTR port, const DEVMODEW* devmode);
int WINAPI HostStartDocW(HDC hdc, const DOCINFOW* info);
int WINAPI HostStartPage(HDC hdc);
int WINAPI HostEndPage(HDC hdc);
int WINAPI HostEndDoc(HDC hdc);
int WINAPI HostAbortDoc(HDC hdc);
HDC WINAPI HostResetDCW(HDC hdc, const DEVMODEW* devmode);
int WINAPI HostExtEscape(HDC hdc, int escape, int inSize, LPCSTR in, int outSize, LPSTR out);
BOOL WINAPI HostDeleteDC(HDC hdc);
// On a host DC the answers of the driver's GDIINFO, as GDI gives them for a printer DC.
int WINAPI HostGetDeviceCaps(HDC hdc, int index);
