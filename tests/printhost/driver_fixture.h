// The one place tests install a driver package and a printer on the file port
// of wine's spooler; both go away with the fixture. Names are made unique per
// process so that test programs running at once do not meet.
#pragma once

#include "printhost/install.h"

#include <string>

namespace printhost_test {

// The build's output folder (where the test program and the DLLs are).
std::wstring BinaryDirectory();

// The recording driver's package under the given driver name.
printhost::DriverPackage RecordingDriverPackage(const std::wstring& driverName);
// The reference models a package can carry: the colour model (C4530) with its
// linked files, or the fax model (F1800).
enum class ReferenceModel { kColour, kFax };
// The graphics library with a reference model, with the given interface library.
printhost::DriverPackage ModelDriverPackage(const std::wstring& driverName, const std::wstring& interfaceDll,
                                            ReferenceModel model = ReferenceModel::kColour);

class InstalledPrinter {
public:
    // Installs the package and adds a printer using it; ok() tells whether both
    // worked. The printer's port is "FILE:", or the file `port` (AddFilePortPrinter).
    InstalledPrinter(const printhost::DriverPackage& package, const std::wstring& printerBaseName,
                     const std::wstring& port = L"");
    ~InstalledPrinter();
    InstalledPrinter(const InstalledPrinter&) = delete;
    InstalledPrinter& operator=(const InstalledPrinter&) = delete;

    bool ok() const { return ok_; }
    const std::wstring& error() const { return error_; }
    const std::wstring& printerName() const { return printerName_; }
    const std::wstring& driverName() const { return driverName_; }

private:
    bool ok_ = false;
    bool driverInstalled_ = false;
    bool printerAdded_ = false;
    std::wstring error_, printerName_, driverName_;
};

// A name unique to this process: base + " " + process id.
std::wstring UniqueName(const std::wstring& base);
// A file path in the temporary folder, unique to this process.
std::wstring TempPath(const std::wstring& name);
std::string ReadTextFile(const std::wstring& path);

} // namespace printhost_test
