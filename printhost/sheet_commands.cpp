#include "printhost/sheet_commands.h"

#include "printhost/host_dc.h"
#include "printhost/install.h"
#include "printhost/print_job.h"

#include <winspool.h>

#include <cstdio>
#include <memory>

namespace printhost {
namespace {

// The document-properties modes of the printing preferences: the sheet shows
// the user's default settings and copies the result out.
constexpr DWORD kPromptCopy = DM_PROMPT | DM_COPY;
constexpr DWORD kUserDefault = 0x40;

struct PrinterCloser {
    void operator()(HANDLE printer) const { ClosePrinter(printer); }
};
struct LibraryCloser {
    void operator()(HMODULE library) const { FreeLibrary(library); }
};

using DocumentPropertiesFn = LONG(WINAPI*)(HWND, HANDLE, LPWSTR, PDEVMODEW, PDEVMODEW, DWORD);
using PrinterPropertiesFn = BOOL(WINAPI*)(HWND, HANDLE);

// The printer opened and its interface library loaded; false with a message.
bool OpenInterface(const std::wstring& printer, std::unique_ptr<void, PrinterCloser>* handle,
                   std::unique_ptr<HINSTANCE__, LibraryCloser>* library, std::wstring* error)
{
    InstalledDriver driver;
    if (!FindPrinterDriver(printer, &driver, error))
        return false;
    HANDLE opened = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(printer.c_str()), &opened, nullptr)) {
        *error = WithLastError(L"cannot open printer " + printer);
        return false;
    }
    handle->reset(opened);
    library->reset(LoadInterfaceLibrary(driver.interfaceDll));
    if (!*library) {
        *error = WithLastError(L"cannot load " + driver.interfaceDll);
        return false;
    }
    return true;
}

} // namespace

int ShowPrintingPreferences(const std::wstring& printer, std::vector<BYTE>* devmode, std::wstring* error)
{
    devmode->clear();
    std::unique_ptr<void, PrinterCloser> handle;
    std::unique_ptr<HINSTANCE__, LibraryCloser> library;
    if (!OpenInterface(printer, &handle, &library, error))
        return kDriverFailed;
    auto properties = reinterpret_cast<DocumentPropertiesFn>(
        reinterpret_cast<void*>(GetProcAddress(library.get(), "DrvDocumentProperties")));
    if (!properties) {
        *error = L"the interface library has no DrvDocumentProperties";
        return kDriverFailed;
    }
    std::wstring name = printer;
    const LONG size = properties(nullptr, handle.get(), name.data(), nullptr, nullptr, 0);
    if (size <= 0) {
        *error = L"the driver gives no DEVMODE size";
        return kDriverFailed;
    }
    std::vector<BYTE> input = PrinterDevmode(handle.get());
    std::vector<BYTE> output(static_cast<size_t>(size));
    const LONG answer =
        properties(nullptr, handle.get(), name.data(), reinterpret_cast<DEVMODEW*>(output.data()),
                   input.empty() ? nullptr : reinterpret_cast<DEVMODEW*>(input.data()), kPromptCopy | kUserDefault);
    if (answer == IDOK) {
        *devmode = std::move(output);
        return kOk;
    }
    if (answer == IDCANCEL)
        return kOk;
    *error = L"the printing preferences could not be shown (answer " + std::to_wstring(answer) + L")";
    return kDriverFailed;
}

int ShowPrinterProperties(const std::wstring& printer, bool* stored, std::wstring* error)
{
    *stored = false;
    std::unique_ptr<void, PrinterCloser> handle;
    std::unique_ptr<HINSTANCE__, LibraryCloser> library;
    if (!OpenInterface(printer, &handle, &library, error))
        return kDriverFailed;
    auto properties = reinterpret_cast<PrinterPropertiesFn>(
        reinterpret_cast<void*>(GetProcAddress(library.get(), "PrinterProperties")));
    if (!properties) {
        *error = L"the interface library has no PrinterProperties";
        return kDriverFailed;
    }
    *stored = properties(nullptr, handle.get()) != FALSE;
    return kOk;
}

bool SaveDevmodeFile(const std::wstring& path, const std::vector<BYTE>& devmode, std::wstring* error)
{
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) {
        *error = L"cannot write " + path;
        return false;
    }
    const bool written = std::fwrite(devmode.data(), 1, devmode.size(), file) == devmode.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
        *error = L"cannot write " + path;
    return written && closed;
}

} // namespace printhost
