// A printer of one of the build's reference models, installed in the test
// prefix's spooler as a real printer driver: the model data file as the driver's
// data file, its linked file beside it, the model's string modules and the
// resource file morvares in the spooler's driver directory, and a printer on the
// FILE: port. The test program then acts as the driver's library loaded from
// that directory (its module handle is a library there), so the driver directory
// the code finds is the spooler's, as it is for the installed driver.
//
// Test programs run at once in one prefix: each printer name has a driver and
// model files of its own (tagged with the name; the main file's header is made to
// name the printer's own linked file), so a site configuration that one program
// writes is never seen by another; every program uses printer names of its own.
// The printer and its driver stay in the prefix, so that no program sees printers
// come and go while it enumerates them; a later run takes them over and writes
// the model files anew. The string modules and morvares are shared, copied only
// when missing or older than the build's.
//
// Every test that needs a printer of a model uses this fixture.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

class ModelPrinter {
public:
    // modelFile: a main model data file in the build's bin folder ("C4530.DDD").
    ModelPrinter(const wchar_t* modelFile, const wchar_t* printerName);
    // Removes the site configuration file and gives the program its former
    // module handle back.
    ~ModelPrinter();
    ModelPrinter(const ModelPrinter&) = delete;
    ModelPrinter& operator=(const ModelPrinter&) = delete;

    bool ok() const { return handle_ != nullptr; }
    // What failed, for the test's message.
    const std::wstring& error() const { return error_; }
    // Opened with full access.
    HANDLE handle() const { return handle_; }
    const std::wstring& name() const { return name_; }
    const std::wstring& driverName() const { return driverName_; }
    // The spooler's driver directory, ending with a backslash.
    const std::wstring& driverDirectory() const { return directory_; }
    // Full path of the installed main model data file.
    const std::wstring& dataFile() const { return dataFile_; }
    // Full path of the installed linked file; empty when the model has none.
    const std::wstring& linkedFile() const { return linkedFile_; }
    // Full path of the site configuration file; empty when the model has no
    // linked file (and so no site configuration).
    const std::wstring& siteConfigPath() const { return siteConfig_; }

    // Writes the site configuration file (ASCII text, "\n" line ends); false when
    // the model has none or the write fails.
    bool WriteSiteConfiguration(const std::string& text) const;
    void RemoveSiteConfiguration() const;

private:
    bool AddModelPrinter();

    std::wstring name_;
    std::wstring driverName_;
    std::wstring directory_;
    std::wstring dataFile_;
    std::wstring linkedFile_;
    std::wstring siteConfig_;
    std::wstring error_;
    HANDLE handle_ = nullptr;
    HMODULE module_ = nullptr;
    HMODULE formerModule_ = nullptr;
};

// The printer of a whole test suite: the resource file is taken first, while the
// program is still its own driver library (its string table names morvares.dll
// beside it), then the printer is installed. Closing gives both back.
ModelPrinter* OpenSuitePrinter(const wchar_t* modelFile, const wchar_t* printerName);
void CloseSuitePrinter(ModelPrinter*& printer);

struct ModelDataRecord;
// Patches entry `index` of raw section `section` (entry size 1, 2 or 4) of a
// loaded model in memory, as a model with other raw values would read; fails
// the test when the entry is not there.
void PatchModelRaw(ModelDataRecord* main, uint16_t section, uint16_t size, uint16_t index, uint32_t value);
