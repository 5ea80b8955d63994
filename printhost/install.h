// Installing a driver package into wine's spooler and removing it again.
#pragma once

#include <string>
#include <vector>

namespace printhost {

// The files of a printer driver, all in one source folder.
struct DriverPackage {
    std::wstring driverName;               // the name the spooler registers it under
    std::wstring sourceDirectory;
    std::wstring graphicsDll;              // file names inside sourceDirectory
    std::wstring interfaceDll;
    std::wstring dataFile;
    std::vector<std::wstring> dependentFiles;   // linked data, other DLLs, configuration files
};

// Copies the files into the printer-driver directory and registers the driver
// (AddPrinterDriverW, level 3). False and a message when a file is missing or
// the spooler refuses.
bool InstallDriverPackage(const DriverPackage& package, std::wstring* error);
// Unregisters the driver and deletes its files from the driver directory.
bool RemoveDriverPackage(const std::wstring& driverName, std::wstring* error);

// A printer on the spooler's file port ("FILE:"), using an installed driver;
// or on `port`, a file the spooler writes every job of the printer to that
// names no output file of its own (jobs the driver opens on a connection of
// its own).
bool AddFilePortPrinter(const std::wstring& printerName, const std::wstring& driverName, std::wstring* error,
                        const std::wstring& port = L"");
bool RemovePrinter(const std::wstring& printerName, std::wstring* error);

struct PrinterEntry {
    std::wstring name, driver, port;
};
std::vector<PrinterEntry> ListPrinters();

// The driver's files as the spooler reports them (full paths).
struct InstalledDriver {
    std::wstring graphicsDll, interfaceDll, dataFile, directory;
    std::vector<std::wstring> dependentFiles;
};
bool FindInstalledDriver(const std::wstring& driverName, InstalledDriver* out, std::wstring* error);
bool FindPrinterDriver(const std::wstring& printerName, InstalledDriver* out, std::wstring* error);

// The DEVMODE the spooler keeps for a printer (level 2); empty when it has none.
std::vector<unsigned char> PrinterDevmode(void* printerHandle);
std::vector<unsigned char> PrinterDevmode(const std::wstring& printerName);
// The DEVMODE an application gets for the printer from DocumentPropertiesW
// (the interface library's own form); the spooler's when that fails.
std::vector<unsigned char> ApplicationDevmode(const std::wstring& printerName);

// "<message> (error N)" for the thread's last error.
std::wstring WithLastError(const std::wstring& message);

} // namespace printhost
