// The trace of the interface library's exports. The library reads morvx.cfg once
// per process, and winspool keeps it loaded once a printer has been added: the
// configuration goes into the driver package, so that it is there before the
// first load, and this program installs nothing else.
#include "tests/interface/interface_package.h"

#include "common/store/printer_data.h"
#include "common/store/settings_blobs.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include "winddiui_records.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using DocumentPropertiesFn = LONG(WINAPI*)(HWND, HANDLE, LPWSTR, PDEVMODEW, PDEVMODEW, DWORD);
using ConvertDevModeFn = BOOL(WINAPI*)(LPWSTR, PDEVMODEW, PDEVMODEW, PLONG, DWORD);
using UpgradeFn = BOOL(WINAPI*)(DWORD, LPBYTE);

template <typename T>
T Entry(HMODULE library, const char* name)
{
    return reinterpret_cast<T>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// With "Log" 3 every export writes its entry line and its exit line with the
// result, and the caller still sees the last error the work set.
TEST(InterfaceTrace, ExportsTraceTheirNameAndResult)
{
    constexpr LONG kDevmodeSize = 1604;
    const std::wstring config = printhost_test::BinaryDirectory() + L"\\morvx.cfg";
    ASSERT_TRUE(WritePrivateProfileStringW(L"LOG", L"Log", L"3", config.c_str()));
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring traceFile =
        std::wstring(windows).substr(0, 2) + L"\\DEBUG_LOG\\WIN2000\\DDI_FAXUI_TRACE_LOG.txt";
    DeleteFileW(traceFile.c_str());

    printhost::DriverPackage package = InterfacePackage(L"Morva Trace Driver");
    package.dependentFiles.push_back(L"morvx.cfg");
    std::string trace;
    {
        printhost_test::InstalledPrinter printer(package, L"Morva Trace");
        DeleteFileW(config.c_str());
        ASSERT_TRUE(printer.ok());
        printhost::InstalledDriver installed;
        std::wstring error;
        ASSERT_TRUE(printhost::FindInstalledDriver(printer.driverName(), &installed, &error));
        HMODULE library = LoadLibraryW(installed.interfaceDll.c_str());
        ASSERT_NE(library, nullptr);
        HANDLE handle = nullptr;
        wchar_t* name = const_cast<wchar_t*>(printer.printerName().c_str());
        ASSERT_TRUE(OpenPrinterW(name, &handle, nullptr));

        std::vector<BYTE> out(kDevmodeSize, 0);
        auto properties = Entry<DocumentPropertiesFn>(library, "DrvDocumentProperties");
        EXPECT_EQ(properties(nullptr, handle, name, reinterpret_cast<DEVMODEW*>(out.data()), nullptr, DM_COPY), IDOK);
        auto convert = Entry<ConvertDevModeFn>(library, "DrvConvertDevMode");
        LONG size = kDevmodeSize - 1;
        SetLastError(0);
        EXPECT_FALSE(convert(name, nullptr, reinterpret_cast<DEVMODEW*>(out.data()), &size, 1));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        // A stored TMBINFO without its tag is dropped by the upgrade, and the
        // log says so.
        DataSectionHeader bad{};
        std::memcpy(bad.tag, L"TMBXNFO", sizeof bad.tag);
        ASSERT_TRUE(WriteChunkedPrinterData(handle, &bad, sizeof bad, L"TMBInfo", L"TMBInfoSize"));
        auto upgrade = Entry<UpgradeFn>(library, "DrvUpgradePrinter");
        DRIVER_UPGRADE_INFO_1 info{name, nullptr};
        EXPECT_TRUE(upgrade(1, reinterpret_cast<BYTE*>(&info)));
        ClosePrinter(handle);
        FreeLibrary(library);

        const std::string bytes = printhost_test::ReadTextFile(traceFile);
        for (char c : bytes)
            if (c != '\0')
                trace += c;
    }
    for (const char* line : {"IN <<DrvDocumentProperties", "OUT>>DrvDocumentProperties RetValue = 1",
                             "IN <<DrvConvertDevMode", "OUT>>DrvConvertDevMode RetValue = 0",
                             "UpgradeDriverSettings: stored TMBINFO not readable, dropped",
                             "OUT>>DrvUpgradePrinter RetValue = 1"})
        EXPECT_NE(trace.find(line), std::string::npos) << line << "\n" << trace;
    DeleteFileW(traceFile.c_str());
}

}  // namespace
