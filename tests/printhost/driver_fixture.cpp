#include "tests/printhost/driver_fixture.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace printhost_test {

std::wstring BinaryDirectory()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    return dir.substr(0, dir.find_last_of(L"\\/"));
}

printhost::DriverPackage RecordingDriverPackage(const std::wstring& driverName)
{
    printhost::DriverPackage package;
    package.driverName = driverName;
    package.sourceDirectory = BinaryDirectory();
    package.graphicsDll = L"printhost_recgr.dll";
    package.interfaceDll = L"printhost_recui.dll";
    package.dataFile = L"printhost_recgr.dll";
    return package;
}

printhost::DriverPackage ModelDriverPackage(const std::wstring& driverName, const std::wstring& interfaceDll,
                                            ReferenceModel model)
{
    printhost::DriverPackage package;
    package.driverName = driverName;
    package.sourceDirectory = BinaryDirectory();
    package.graphicsDll = L"morvagr.dll";
    package.interfaceDll = interfaceDll;
    if (model == ReferenceModel::kFax) {
        package.dataFile = L"F1800.DDD";
        package.dependentFiles = {L"F1800RES.DLL", L"F1800.PRF", L"morvadm.dll", L"morvares.dll"};
    } else {
        package.dataFile = L"C4530.DDD";
        package.dependentFiles = {L"C4530X.DDD", L"C4530RES.DLL", L"C4530FAX.DLL", L"morvadm.dll", L"morvares.dll"};
    }
    return package;
}

std::wstring UniqueName(const std::wstring& base)
{
    return base + L" " + std::to_wstring(GetCurrentProcessId());
}

std::wstring TempPath(const std::wstring& name)
{
    wchar_t dir[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + std::to_wstring(GetCurrentProcessId()) + L"_" + name;
}

std::string ReadTextFile(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

InstalledPrinter::InstalledPrinter(const printhost::DriverPackage& package, const std::wstring& printerBaseName,
                                   const std::wstring& port)
    : printerName_(UniqueName(printerBaseName)), driverName_(package.driverName)
{
    // A test program that crashed may have left a printer of the same name behind.
    std::wstring leftover;
    printhost::RemovePrinter(printerName_, &leftover);
    driverInstalled_ = printhost::InstallDriverPackage(package, &error_);
    if (!driverInstalled_) return;
    printerAdded_ = printhost::AddFilePortPrinter(printerName_, driverName_, &error_, port);
    ok_ = printerAdded_;
}

InstalledPrinter::~InstalledPrinter()
{
    std::wstring problem;
    if (printerAdded_ && !printhost::RemovePrinter(printerName_, &problem))
        std::fwprintf(stderr, L"fixture: %ls\n", problem.c_str());
    if (driverInstalled_ && !printhost::RemoveDriverPackage(driverName_, &problem))
        std::fwprintf(stderr, L"fixture: %ls\n", problem.c_str());
}

} // namespace printhost_test
