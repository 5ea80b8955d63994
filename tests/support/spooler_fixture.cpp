#include "tests/support/spooler_fixture.h"

#include "tests/support/import_patch.h"

#include <winspool.h>

#include <memory>
#include <vector>

namespace {

const wchar_t* const kDriverFiles[] = {L"morvatestdrv.dll", L"morvatestui.dll", L"morvatest.dat"};

std::wstring DriverDirectory()
{
    wchar_t dir[MAX_PATH] = {};
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(dir), sizeof dir, &needed))
        return {};
    return dir;
}

bool DriverInstalled()
{
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrinterDriversW(nullptr, nullptr, 1, nullptr, 0, &needed, &count);
    if (needed == 0)
        return false;
    std::vector<BYTE> buffer(needed);
    if (!EnumPrinterDriversW(nullptr, nullptr, 1, buffer.data(), needed, &needed, &count))
        return false;
    const auto* drivers = reinterpret_cast<const DRIVER_INFO_1W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        if (lstrcmpW(drivers[i].pName, kTestDriverName) == 0)
            return true;
    return false;
}

using DeleteDataEx = DWORD(WINAPI*)(HANDLE, LPCWSTR, LPCWSTR);
DeleteDataEx g_realDeleteDataEx = nullptr;

DWORD WINAPI DeletePrinterDataExStandIn(HANDLE printer, LPCWSTR key, LPCWSTR value)
{
    const DWORD real = g_realDeleteDataEx ? g_realDeleteDataEx(printer, key, value) : DeletePrinterDataExW(printer, key, value);
    if (real != ERROR_INVALID_PARAMETER && real != ERROR_CALL_NOT_IMPLEMENTED)
        return real;
    DWORD needed = 0;
    GetPrinterW(printer, 4, nullptr, 0, &needed);
    if (needed == 0)
        return ERROR_INVALID_HANDLE;
    std::vector<BYTE> info(needed);
    if (!GetPrinterW(printer, 4, info.data(), needed, &needed))
        return GetLastError();
    std::wstring path = L"System\\CurrentControlSet\\Control\\Print\\Printers\\";
    path += reinterpret_cast<PRINTER_INFO_4W*>(info.data())->pPrinterName;
    path += L"\\";
    path += key;
    return RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, path.c_str(), value);
}

}  // namespace

bool EnsureTestDriver()
{
    if (DriverInstalled())
        return true;
    const std::wstring dir = DriverDirectory();
    if (dir.empty())
        return false;
    for (const wchar_t* file : kDriverFiles) {
        const std::wstring path = dir + L"\\" + file;
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(h);
    }
    DRIVER_INFO_3W info = {};
    info.cVersion = 3;
    info.pName = const_cast<wchar_t*>(kTestDriverName);
    info.pDriverPath = const_cast<wchar_t*>(kDriverFiles[0]);
    info.pConfigFile = const_cast<wchar_t*>(kDriverFiles[1]);
    info.pDataFile = const_cast<wchar_t*>(kDriverFiles[2]);
    // Another test program may add it at the same moment.
    return AddPrinterDriverW(nullptr, 3, reinterpret_cast<BYTE*>(&info)) || DriverInstalled();
}

TestPrinter::TestPrinter(const wchar_t* name, DWORD attributes) : name_(name)
{
    PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!OpenPrinterW(name_.data(), &handle_, &access)) {
        handle_ = nullptr;
        if (!EnsureTestDriver())
            return;
        PRINTER_INFO_2W info = {};
        info.pPrinterName = name_.data();
        info.pPortName = const_cast<wchar_t*>(L"FILE:");
        info.pDriverName = const_cast<wchar_t*>(kTestDriverName);
        info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
        info.pDatatype = const_cast<wchar_t*>(L"RAW");
        info.Attributes = attributes;
        HANDLE added = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
        if (!added)
            return;
        ClosePrinter(added);
        if (!OpenPrinterW(name_.data(), &handle_, &access)) {
            handle_ = nullptr;
            return;
        }
    }
    if (!ClearPrinterData()) {
        ClosePrinter(handle_);
        handle_ = nullptr;
    }
}

TestPrinter::~TestPrinter()
{
    if (handle_)
        ClosePrinter(handle_);
}

bool TestPrinter::ClearPrinterData()
{
    constexpr wchar_t kKey[] = L"PrinterDriverData";
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrinterDataExW(handle_, kKey, nullptr, 0, &needed, &count);
    if (needed == 0)
        return true;
    std::vector<BYTE> buffer(needed);
    if (EnumPrinterDataExW(handle_, kKey, buffer.data(), needed, &needed, &count) != ERROR_SUCCESS)
        return false;
    const auto* values = reinterpret_cast<const PRINTER_ENUM_VALUESW*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        if (DeletePrinterDataExStandIn(handle_, kKey, values[i].pValueName) != ERROR_SUCCESS)
            return false;
    return true;
}

void InstallPrinterDataDeleteStandIn()
{
    if (g_realDeleteDataEx)
        return;
    g_realDeleteDataEx = reinterpret_cast<DeleteDataEx>(
        ReplaceProgramImport("winspool.drv", "DeletePrinterDataExW", reinterpret_cast<void*>(&DeletePrinterDataExStandIn)));
}
