#include "tests/frame/frame_fixture.h"

#include "common/settings/function_ids.h"
#include "printhost/host_dc.h"
#include "printhost/install.h"
#include "printhost/job_settings.h"
#include "printhost/model_devmode.h"

#include <winspool.h>

#include <gtest/gtest.h>

#include <cstring>

namespace frame_test {

namespace {

template <typename T>
void Bind(HMODULE library, const char* name, T* entry)
{
    *entry = reinterpret_cast<T>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

} // namespace

std::vector<SettingPair> A4At600(std::vector<SettingPair> more)
{
    constexpr uint16_t kA4 = 9;
    std::vector<SettingPair> pairs = {
        {kFidFields, DM_PAPERSIZE | DM_ORIENTATION | DM_PRINTQUALITY | DM_COLOR | DM_COPIES},
        {kFidPaperSize, kA4}, {kFidOrientation, DMORIENT_PORTRAIT}, {kFidPrintQuality, 600},
        {kFidJobResolution, 600}};
    pairs.insert(pairs.end(), more.begin(), more.end());
    return pairs;
}

FrameDriver::FrameDriver(const printhost::DriverPackage& package, const std::wstring& printerBaseName)
{
    printer_ = std::make_unique<printhost_test::InstalledPrinter>(package, printerBaseName);
    if (!printer_->ok()) {
        error_ = L"install: " + printer_->error();
        return;
    }
    printhost::InstalledDriver installed;
    if (!printhost::FindInstalledDriver(printer_->driverName(), &installed, &error_))
        return;
    directory_ = installed.directory;
    if (!OpenPrinterW(const_cast<wchar_t*>(printer_->printerName().c_str()), &handle_, nullptr)) {
        error_ = L"OpenPrinterW failed";
        return;
    }
    entries_.library = LoadLibraryW(installed.graphicsDll.c_str());
    if (!entries_.library) {
        error_ = L"cannot load " + installed.graphicsDll;
        return;
    }
    HMODULE l = entries_.library;
    Bind(l, "DrvEnableDriver", &entries_.enableDriver);
    Bind(l, "DrvQueryDriverInfo", &entries_.queryDriverInfo);
    Bind(l, "DrvEnablePDEV", &entries_.enablePdev);
    Bind(l, "DrvDisablePDEV", &entries_.disablePdev);
    Bind(l, "DrvCompletePDEV", &entries_.completePdev);
    Bind(l, "DrvResetPDEV", &entries_.resetPdev);
    Bind(l, "DrvEscape", &entries_.escape);
    Bind(l, "DrvEnableSurface", &entries_.enableSurface);
    Bind(l, "DrvDisableSurface", &entries_.disableSurface);
    Bind(l, "DrvStartDoc", &entries_.startDoc);
    Bind(l, "DrvStartPage", &entries_.startPage);
    Bind(l, "DrvEndDoc", &entries_.endDoc);
    Bind(l, "DrvSendPage", &entries_.sendPage);
    Bind(l, "DrvBitBlt", &entries_.bitBlt);
    DRVENABLEDATA data{};
    if (!entries_.enableDriver || !entries_.enableDriver(0x20000, sizeof(data), &data)) {
        error_ = L"DrvEnableDriver failed";
        return;
    }
    ok_ = true;
}

FrameDriver::~FrameDriver()
{
    if (entries_.library)
        FreeLibrary(entries_.library);
    if (handle_)
        ClosePrinter(handle_);
}

std::vector<uint8_t> FrameDriver::ExtendedDevmode(const std::vector<SettingPair>& pairs) const
{
    std::vector<BYTE> devmode;
    std::wstring error;
    if (!printhost::ModelDefaultDevmode(printer_->printerName(), &devmode, &error))
        return {};
    std::vector<std::wstring> texts;
    for (const SettingPair& pair : pairs)
        texts.push_back(std::to_wstring(pair.first) + L"=" + std::to_wstring(pair.second));
    if (!printhost::ApplySettingPairs(&devmode, texts, &error))
        return {};
    return devmode;
}

DHPDEV FrameDriver::Enable(std::vector<uint8_t> devmode, GDIINFO* caps, DEVINFO* info) const
{
    GDIINFO localCaps{};
    DEVINFO localInfo{};
    HSURF patterns[HS_DDI_MAX] = {};
    return entries_.enablePdev(devmode.empty() ? nullptr : reinterpret_cast<DEVMODEW*>(devmode.data()), nullptr,
                               HS_DDI_MAX, patterns, sizeof(GDIINFO),
                               reinterpret_cast<ULONG*>(caps ? caps : &localCaps), sizeof(DEVINFO),
                               info ? info : &localInfo, reinterpret_cast<HDEV>(const_cast<FrameDriver*>(this)),
                               const_cast<wchar_t*>(printer_->printerName().c_str()), handle_);
}

FrameDriver& SharedFrameDriver()
{
    static FrameDriver driver(
        printhost_test::ModelDriverPackage(printhost_test::UniqueName(L"Morva Frame Driver"), L"printhost_recui.dll"),
        L"Morva Frame");
    return driver;
}

FrameDriver& SheetsFrameDriver()
{
    static FrameDriver driver([] {
        printhost::DriverPackage package =
            printhost_test::ModelDriverPackage(printhost_test::UniqueName(L"Morva Sheets Driver"), L"printhost_recui.dll");
        package.dataFile = L"S2200.DDD";
        package.dependentFiles = {L"S2200RES.DLL", L"morvadm.dll", L"morvares.dll"};
        return package;
    }(), L"Morva Sheets");
    return driver;
}

FrameDriver& FaxFrameDriver()
{
    static FrameDriver driver(printhost_test::ModelDriverPackage(printhost_test::UniqueName(L"Morva Fax Frame Driver"),
                                                                 L"printhost_recui.dll",
                                                                 printhost_test::ReferenceModel::kFax),
                              L"Morva Fax Frame");
    return driver;
}

SURFOBJ SurfaceOf(DHPDEV pdev)
{
    SURFOBJ surface{};
    surface.dhpdev = pdev;
    surface.iType = STYPE_DEVICE;
    return surface;
}

bool SettingsAccessLoaded()
{
    return GetModuleHandleW(L"morvadm.dll") != nullptr;
}

DrawnJob PrintDrawnPages(std::vector<uint8_t> devmode, const std::vector<printhost::PageDrawer>& pages,
                         const std::function<void(HDC dc)>& beforePages)
{
    DrawnJob out;
    FrameDriver& driver = SharedFrameDriver();
    std::wstring error;
    HDC dc = devmode.empty() ? nullptr
                             : printhost::CreatePrinterDc(driver.printerName(),
                                                          reinterpret_cast<DEVMODEW*>(devmode.data()), &error);
    if (!dc) {
        ADD_FAILURE() << "no DC: " << std::string(error.begin(), error.end()) << " settings " << devmode.size();
        return out;
    }
    const std::wstring jobFile = printhost_test::TempPath(L"frame_job.prn");
    DeleteFileW(jobFile.c_str());
    DOCINFOW doc{sizeof(doc), L"frame job", jobFile.c_str(), nullptr, 0};
    EXPECT_GT(HostStartDocW(dc, &doc), 0);
    GDIINFO caps{};
    EXPECT_TRUE(printhost::HostDcGdiInfo(dc, &caps));
    if (beforePages)
        beforePages(dc);
    for (const printhost::PageDrawer& page : pages) {
        EXPECT_GT(HostStartPage(dc), 0);
        EXPECT_TRUE(page(printhost::CurrentDrawingDc(dc), caps));
        const std::wstring failed = HostEndPage(dc) > 0 ? L"" : printhost::HostDcLastError(dc);
        EXPECT_EQ(failed, L"") << std::string(failed.begin(), failed.end());
    }
    EXPECT_GT(HostEndDoc(dc), 0);
    EXPECT_TRUE(HostDeleteDC(dc));
    const std::string text = printhost_test::ReadTextFile(jobFile);
    DeleteFileW(jobFile.c_str());
    out.bytes.assign(text.begin(), text.end());
    EXPECT_TRUE(ReadMorvaJob(out.bytes.data(), out.bytes.size(), MorvaReadOptions{}, &out.listing))
        << out.listing.error;
    out.commands = CommandTexts(out.listing);
    return out;
}

size_t Count(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++n;
    return n;
}

} // namespace frame_test
