#include "tests/printhost/driver_fixture.h"

#include "printhost/host_dc.h"
#include "printhost/install.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace printhost;
using namespace printhost_test;

namespace {

bool Listed(const std::wstring& printer)
{
    const auto printers = ListPrinters();
    return std::any_of(printers.begin(), printers.end(), [&](const PrinterEntry& e) { return e.name == printer; });
}

} // namespace

TEST(PrintHostInstall, InstallAndRemoveRoundTrip)
{
    // Files of their own, so that no other installed driver keeps them.
    const std::wstring driver = UniqueName(L"Recording Driver");
    DriverPackage package = RecordingDriverPackage(driver);
    const std::wstring own = std::to_wstring(GetCurrentProcessId());
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    package.sourceDirectory = temp;
    package.graphicsDll = package.dataFile = L"roundtrip" + own + L"gr.dll";
    package.interfaceDll = L"roundtrip" + own + L"ui.dll";
    ASSERT_TRUE(CopyFileW((BinaryDirectory() + L"\\printhost_recgr.dll").c_str(), (temp + package.graphicsDll).c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((BinaryDirectory() + L"\\printhost_recui.dll").c_str(), (temp + package.interfaceDll).c_str(), FALSE));
    std::wstring printer;
    std::wstring graphicsPath;
    {
        InstalledPrinter installed(package, L"Recording Printer");
        ASSERT_TRUE(installed.ok()) << std::string(installed.error().begin(), installed.error().end());
        printer = installed.printerName();
        EXPECT_TRUE(Listed(printer));
        InstalledDriver files;
        std::wstring error;
        ASSERT_TRUE(FindPrinterDriver(printer, &files, &error));
        graphicsPath = files.graphicsDll;
        EXPECT_NE(GetFileAttributesW(files.graphicsDll.c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_NE(GetFileAttributesW(files.interfaceDll.c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_NE(files.graphicsDll.find(package.graphicsDll), std::wstring::npos);
    }
    DeleteFileW((temp + package.graphicsDll).c_str());
    DeleteFileW((temp + package.interfaceDll).c_str());
    EXPECT_FALSE(Listed(printer));
    InstalledDriver files;
    std::wstring error;
    EXPECT_FALSE(FindInstalledDriver(driver, &files, &error));
    EXPECT_EQ(GetFileAttributesW(graphicsPath.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(PrintHostInstall, FilesSharedWithAnotherDriverStay)
{
    InstalledPrinter keeper(RecordingDriverPackage(UniqueName(L"Recording Keeper")), L"Recording Keeper Printer");
    ASSERT_TRUE(keeper.ok());
    InstalledDriver files;
    std::wstring error;
    ASSERT_TRUE(FindPrinterDriver(keeper.printerName(), &files, &error));
    {
        InstalledPrinter other(RecordingDriverPackage(UniqueName(L"Recording Other")), L"Recording Other Printer");
        ASSERT_TRUE(other.ok());
    }
    EXPECT_NE(GetFileAttributesW(files.graphicsDll.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(PrintHostInstall, MissingFileIsRefusedWithItsName)
{
    DriverPackage package = RecordingDriverPackage(UniqueName(L"Broken Driver"));
    package.dependentFiles.push_back(L"no_such_file.cfg");
    std::wstring error;
    EXPECT_FALSE(InstallDriverPackage(package, &error));
    EXPECT_NE(error.find(L"no_such_file.cfg"), std::wstring::npos);
}

TEST(PrintHostInstall, UnknownPrinterGivesNoDc)
{
    std::wstring error;
    EXPECT_EQ(CreatePrinterDc(L"No Such Printer 12345", nullptr, &error), nullptr);
    EXPECT_NE(error.find(L"No Such Printer 12345"), std::wstring::npos);
}

TEST(PrintHostInstall, DcEnablesTheDriverThroughTheEngineExports)
{
    InstalledPrinter installed(RecordingDriverPackage(UniqueName(L"Recording Enable")), L"Recording Enable Printer");
    ASSERT_TRUE(installed.ok());
    const std::wstring log = TempPath(L"enable.log");
    DeleteFileW(log.c_str());
    SetEnvironmentVariableW(L"PRINTHOST_RECORD_LOG", log.c_str());
    std::wstring error;
    HDC dc = CreatePrinterDc(installed.printerName(), nullptr, &error);
    ASSERT_NE(dc, nullptr) << std::string(error.begin(), error.end());
    GDIINFO info{};
    ASSERT_TRUE(HostDcGdiInfo(dc, &info));
    EXPECT_EQ(info.ulLogPixelsX, 300u);
    EXPECT_TRUE(HostDeleteDC(dc));
    SetEnvironmentVariableW(L"PRINTHOST_RECORD_LOG", nullptr);
    const std::string text = ReadTextFile(log);
    EXPECT_NE(text.find("DrvEnableDriver engine=0x30100"), std::string::npos) << text;
    EXPECT_NE(text.find("DrvEnablePDEV"), std::string::npos);
    EXPECT_NE(text.find("DrvEnableSurface size=2480x3508\n"), std::string::npos) << text;
    EXPECT_NE(text.find("DrvDocumentEvent CREATEDCPRE"), std::string::npos);
    EXPECT_NE(text.find("DrvDisablePDEV"), std::string::npos);
    DeleteFileW(log.c_str());
}
