// The graphics library as the print host loads it: a driver package with
// morvagr.dll, the recording interface library, the colour reference model and
// the settings-access library, installed once per test program on a file-port
// printer. Tests call the DDI entries of the installed library directly (the
// program carries the engine) or print through host DCs.
#pragma once
#include "printhost/print_job.h"
#include "tests/printhost/driver_fixture.h"
#include "tools/morva_reader/morva_reader.h"

#include <windows.h>
#include <winddi.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace frame_test {

struct FrameEntries {
    HMODULE library = nullptr;
    BOOL(APIENTRY* enableDriver)(ULONG, ULONG, DRVENABLEDATA*) = nullptr;
    BOOL(APIENTRY* queryDriverInfo)(DWORD, PVOID, DWORD, PDWORD) = nullptr;
    decltype(&DrvEnablePDEV) enablePdev = nullptr;
    decltype(&DrvDisablePDEV) disablePdev = nullptr;
    decltype(&DrvCompletePDEV) completePdev = nullptr;
    decltype(&DrvResetPDEV) resetPdev = nullptr;
    decltype(&DrvEscape) escape = nullptr;
    decltype(&DrvEnableSurface) enableSurface = nullptr;
    decltype(&DrvDisableSurface) disableSurface = nullptr;
    decltype(&DrvStartDoc) startDoc = nullptr;
    decltype(&DrvStartPage) startPage = nullptr;
    decltype(&DrvEndDoc) endDoc = nullptr;
    decltype(&DrvSendPage) sendPage = nullptr;
    decltype(&DrvBitBlt) bitBlt = nullptr;
};

// A setting and the value written into the record (numbers only).
using SettingPair = std::pair<uint16_t, uint32_t>;

// A4 portrait at 600 dpi in colour, with more pairs after these.
std::vector<SettingPair> A4At600(std::vector<SettingPair> more = {});

class FrameDriver {
public:
    FrameDriver(const printhost::DriverPackage& package, const std::wstring& printerBaseName);
    ~FrameDriver();
    FrameDriver(const FrameDriver&) = delete;
    FrameDriver& operator=(const FrameDriver&) = delete;

    bool ok() const { return ok_; }
    const std::wstring& error() const { return error_; }
    const std::wstring& printerName() const { return printer_->printerName(); }
    const std::wstring& driverDirectory() const { return directory_; }
    HANDLE printer() const { return handle_; }
    const FrameEntries& entries() const { return entries_; }

    // The 5924-byte DEVMODE the interface library would hand over: the model's
    // defaults with the pairs written over them.
    std::vector<uint8_t> ExtendedDevmode(const std::vector<SettingPair>& pairs = {}) const;

    // DrvEnablePDEV on the printer with that DEVMODE; GDIINFO and DEVINFO filled.
    DHPDEV Enable(std::vector<uint8_t> devmode, GDIINFO* caps = nullptr, DEVINFO* info = nullptr) const;

private:
    bool ok_ = false;
    std::wstring error_;
    std::unique_ptr<printhost_test::InstalledPrinter> printer_;
    std::wstring directory_;
    HANDLE handle_ = nullptr;
    FrameEntries entries_;
};

// One driver for the whole program, on the colour reference model (C4530).
FrameDriver& SharedFrameDriver();
// A second one on the S2200 test model, which leaves collation and the
// separator, trailer and interleaf sheets to the driver.
FrameDriver& SheetsFrameDriver();

// A third one on the fax reference model (F1800, driver kind 2).
FrameDriver& FaxFrameDriver();

// A surface whose device handle is the record, as the engine hands it to the entries.
SURFOBJ SurfaceOf(DHPDEV pdev);

// Whether the settings-access library is loaded in this process now.
bool SettingsAccessLoaded();

// A job printed through a host DC, read back whole.
struct DrawnJob {
    std::string commands;        // the listing's command texts
    std::vector<uint8_t> bytes;  // the job file
    MorvaListing listing;
};
// CreateDC with `devmode`, each page drawn, EndDoc; the job file is read back.
// `beforePages` runs after the document start, before the first page (the
// private escapes of the interface library).
DrawnJob PrintDrawnPages(std::vector<uint8_t> devmode, const std::vector<printhost::PageDrawer>& pages,
                         const std::function<void(HDC dc)>& beforePages = nullptr);

// How often `part` occurs in `text`, without overlaps.
size_t Count(const std::string& text, const std::string& part);

} // namespace frame_test
