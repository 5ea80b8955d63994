#include "printhost/install.h"

#include <windows.h>
#include <winspool.h>

#include <memory>

namespace printhost {

namespace {

constexpr wchar_t kEnvironment[] = L"Windows x64";
constexpr wchar_t kFilePort[] = L"FILE:";

std::wstring DriverDirectory()
{
    wchar_t dir[MAX_PATH] = {};
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, const_cast<wchar_t*>(kEnvironment), 1, reinterpret_cast<BYTE*>(dir),
                                    sizeof(dir), &needed))
        return {};
    return dir;
}

std::wstring Join(const std::wstring& dir, const std::wstring& name)
{
    if (dir.empty() || dir.back() == L'\\') return dir + name;
    return dir + L"\\" + name;
}

std::wstring FileName(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring Directory(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// Level-3 driver information of a printer, in a buffer of the spooler's own size.
std::unique_ptr<BYTE[]> PrinterDriverInfo(HANDLE printer)
{
    DWORD needed = 0;
    GetPrinterDriverW(printer, const_cast<wchar_t*>(kEnvironment), 3, nullptr, 0, &needed);
    if (!needed) return nullptr;
    auto buffer = std::make_unique<BYTE[]>(needed);
    if (!GetPrinterDriverW(printer, const_cast<wchar_t*>(kEnvironment), 3, buffer.get(), needed, &needed))
        return nullptr;
    return buffer;
}

// All installed drivers at level 3; *found points into the buffer at the named one.
std::unique_ptr<BYTE[]> NamedDriverInfo(const std::wstring& driverName, const DRIVER_INFO_3W** found)
{
    *found = nullptr;
    DWORD needed = 0, count = 0;
    EnumPrinterDriversW(nullptr, const_cast<wchar_t*>(kEnvironment), 3, nullptr, 0, &needed, &count);
    if (!needed) return nullptr;
    auto all = std::make_unique<BYTE[]>(needed);
    if (!EnumPrinterDriversW(nullptr, const_cast<wchar_t*>(kEnvironment), 3, all.get(), needed, &needed, &count))
        return nullptr;
    auto* infos = reinterpret_cast<const DRIVER_INFO_3W*>(all.get());
    for (DWORD i = 0; i < count; ++i)
        if (infos[i].pName && lstrcmpiW(infos[i].pName, driverName.c_str()) == 0) *found = &infos[i];
    return all;
}

void Describe(const DRIVER_INFO_3W& info, InstalledDriver* out)
{
    out->graphicsDll = info.pDriverPath ? info.pDriverPath : L"";
    out->interfaceDll = info.pConfigFile ? info.pConfigFile : L"";
    out->dataFile = info.pDataFile ? info.pDataFile : L"";
    out->directory = Directory(out->graphicsDll);
    out->dependentFiles.clear();
    for (const wchar_t* p = info.pDependentFiles; p && *p; p += lstrlenW(p) + 1) {
        // The spooler answers names; dependent files live beside the graphics DLL.
        const std::wstring name = p;
        out->dependentFiles.push_back(name.find(L'\\') == std::wstring::npos ? Join(out->directory, name) : name);
    }
}

// Whether any installed driver names the file (by its name in the driver directory).
bool FileInUse(const std::wstring& path)
{
    DWORD needed = 0, count = 0;
    EnumPrinterDriversW(nullptr, const_cast<wchar_t*>(kEnvironment), 3, nullptr, 0, &needed, &count);
    if (!needed) return false;
    auto all = std::make_unique<BYTE[]>(needed);
    if (!EnumPrinterDriversW(nullptr, const_cast<wchar_t*>(kEnvironment), 3, all.get(), needed, &needed, &count))
        return true;   // when in doubt, keep the file
    const std::wstring name = FileName(path);
    auto* infos = reinterpret_cast<const DRIVER_INFO_3W*>(all.get());
    for (DWORD i = 0; i < count; ++i) {
        InstalledDriver other;
        Describe(infos[i], &other);
        std::vector<std::wstring> used{other.graphicsDll, other.interfaceDll, other.dataFile};
        used.insert(used.end(), other.dependentFiles.begin(), other.dependentFiles.end());
        for (const std::wstring& u : used)
            if (lstrcmpiW(FileName(u).c_str(), name.c_str()) == 0) return true;
    }
    return false;
}

} // namespace

std::wstring WithLastError(const std::wstring& message)
{
    return message + L" (error " + std::to_wstring(GetLastError()) + L")";
}

bool InstallDriverPackage(const DriverPackage& package, std::wstring* error)
{
    const std::wstring target = DriverDirectory();
    if (target.empty()) {
        *error = WithLastError(L"the spooler has no printer-driver directory");
        return false;
    }
    std::vector<std::wstring> files{package.graphicsDll, package.interfaceDll, package.dataFile};
    files.insert(files.end(), package.dependentFiles.begin(), package.dependentFiles.end());
    for (const std::wstring& name : files) {
        if (name.empty()) continue;
        const std::wstring from = Join(package.sourceDirectory, name);
        if (GetFileAttributesW(from.c_str()) == INVALID_FILE_ATTRIBUTES) {
            *error = L"driver file not found: " + from;
            return false;
        }
        if (!CopyFileW(from.c_str(), Join(target, FileName(name)).c_str(), FALSE)) {
            *error = WithLastError(L"cannot copy " + from + L" to " + target);
            return false;
        }
    }
    // Dependent files are a list of names, each ended by a NUL, the list by another.
    std::wstring dependent;
    for (const std::wstring& name : package.dependentFiles) dependent += FileName(name) + L'\0';
    dependent += L'\0';
    std::wstring driverPath = Join(target, FileName(package.graphicsDll));
    std::wstring dataPath = Join(target, FileName(package.dataFile.empty() ? package.graphicsDll : package.dataFile));
    std::wstring configPath = Join(target, FileName(package.interfaceDll));
    DRIVER_INFO_3W info{};
    info.cVersion = 3;
    info.pName = const_cast<wchar_t*>(package.driverName.c_str());
    info.pEnvironment = const_cast<wchar_t*>(kEnvironment);
    info.pDriverPath = driverPath.data();
    info.pDataFile = dataPath.data();
    info.pConfigFile = configPath.data();
    info.pDependentFiles = dependent.data();
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&info), APD_COPY_NEW_FILES)) {
        *error = WithLastError(L"the spooler refused driver " + package.driverName);
        return false;
    }
    return true;
}

bool FindInstalledDriver(const std::wstring& driverName, InstalledDriver* out, std::wstring* error)
{
    const DRIVER_INFO_3W* info = nullptr;
    auto all = NamedDriverInfo(driverName, &info);
    if (!info) {
        *error = L"no printer driver named " + driverName;
        return false;
    }
    Describe(*info, out);
    return true;
}

bool FindPrinterDriver(const std::wstring& printerName, InstalledDriver* out, std::wstring* error)
{
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(printerName.c_str()), &printer, nullptr)) {
        *error = WithLastError(L"no printer named " + printerName);
        return false;
    }
    auto info = PrinterDriverInfo(printer);
    ClosePrinter(printer);
    if (!info) {
        *error = WithLastError(L"the spooler has no driver for printer " + printerName);
        return false;
    }
    Describe(*reinterpret_cast<DRIVER_INFO_3W*>(info.get()), out);
    return true;
}

bool RemoveDriverPackage(const std::wstring& driverName, std::wstring* error)
{
    InstalledDriver installed;
    if (!FindInstalledDriver(driverName, &installed, error)) return false;
    if (!DeletePrinterDriverExW(nullptr, const_cast<wchar_t*>(kEnvironment), const_cast<wchar_t*>(driverName.c_str()),
                                0, 0)) {
        *error = WithLastError(L"the spooler refused to remove driver " + driverName);
        return false;
    }
    // The spooler keeps the files (wine knows no deletion flags); they go with
    // the driver unless another installed driver still uses them.
    std::vector<std::wstring> files{installed.graphicsDll, installed.interfaceDll, installed.dataFile};
    files.insert(files.end(), installed.dependentFiles.begin(), installed.dependentFiles.end());
    for (const std::wstring& f : files)
        if (!f.empty() && !FileInUse(f)) DeleteFileW(f.c_str());
    return true;
}

bool AddFilePortPrinter(const std::wstring& printerName, const std::wstring& driverName, std::wstring* error,
                        const std::wstring& port)
{
    PRINTER_INFO_2W info{};
    info.pPrinterName = const_cast<wchar_t*>(printerName.c_str());
    info.pPortName = const_cast<wchar_t*>(port.empty() ? kFilePort : port.c_str());
    info.pDriverName = const_cast<wchar_t*>(driverName.c_str());
    info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
    info.pDatatype = const_cast<wchar_t*>(L"RAW");
    info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (!printer) {
        *error = WithLastError(L"the spooler refused printer " + printerName);
        return false;
    }
    ClosePrinter(printer);
    return true;
}

bool RemovePrinter(const std::wstring& printerName, std::wstring* error)
{
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(printerName.c_str()), &printer, &defaults)) {
        *error = WithLastError(L"no printer named " + printerName);
        return false;
    }
    const BOOL deleted = DeletePrinter(printer);
    if (!deleted) *error = WithLastError(L"the spooler refused to remove printer " + printerName);
    ClosePrinter(printer);
    return deleted != FALSE;
}

std::vector<unsigned char> PrinterDevmode(void* printerHandle)
{
    DWORD needed = 0;
    GetPrinterW(printerHandle, 2, nullptr, 0, &needed);
    if (!needed) return {};
    std::vector<BYTE> buffer(needed);
    if (!GetPrinterW(printerHandle, 2, buffer.data(), needed, &needed)) return {};
    const DEVMODEW* dm = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data())->pDevMode;
    if (!dm || dm->dmSize < offsetof(DEVMODEW, dmFields)) return {};
    const auto* bytes = reinterpret_cast<const BYTE*>(dm);
    return std::vector<BYTE>(bytes, bytes + dm->dmSize + dm->dmDriverExtra);
}

std::vector<unsigned char> PrinterDevmode(const std::wstring& printerName)
{
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(printerName.c_str()), &printer, nullptr)) return {};
    std::vector<BYTE> devmode = PrinterDevmode(printer);
    ClosePrinter(printer);
    return devmode;
}

std::vector<unsigned char> ApplicationDevmode(const std::wstring& printerName)
{
    HANDLE printer = nullptr;
    wchar_t* name = const_cast<wchar_t*>(printerName.c_str());
    if (!OpenPrinterW(name, &printer, nullptr)) return {};
    std::vector<BYTE> devmode;
    const LONG size = DocumentPropertiesW(nullptr, printer, name, nullptr, nullptr, 0);
    if (size >= LONG(offsetof(DEVMODEW, dmFields))) {
        devmode.assign(size_t(size), 0);
        auto* dm = reinterpret_cast<DEVMODEW*>(devmode.data());
        if (DocumentPropertiesW(nullptr, printer, name, dm, nullptr, DM_OUT_BUFFER) != IDOK ||
            size_t(dm->dmSize) + dm->dmDriverExtra > devmode.size())
            devmode.clear();
        else
            devmode.resize(size_t(dm->dmSize) + dm->dmDriverExtra);
    }
    ClosePrinter(printer);
    return devmode.empty() ? PrinterDevmode(printerName) : devmode;
}

std::vector<PrinterEntry> ListPrinters()
{
    std::vector<PrinterEntry> result;
    DWORD needed = 0, count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    if (!needed) return result;
    auto buffer = std::make_unique<BYTE[]>(needed);
    if (!EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.get(), needed, &needed, &count)) return result;
    auto* infos = reinterpret_cast<PRINTER_INFO_2W*>(buffer.get());
    for (DWORD i = 0; i < count; ++i)
        result.push_back({infos[i].pPrinterName ? infos[i].pPrinterName : L"",
                          infos[i].pDriverName ? infos[i].pDriverName : L"",
                          infos[i].pPortName ? infos[i].pPortName : L""});
    return result;
}

} // namespace printhost
