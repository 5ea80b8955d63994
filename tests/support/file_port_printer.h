// A printer of the real spooler whose port is a file of the test's own: what a
// test writes to the spooler for it can be read back from that file once the
// job ends. Each fixture has a printer and a port file of its own (named after
// the process), so test programs can run side by side in one wine prefix. The
// driver entry is the one of spooler_fixture.h.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class FilePortPrinter {
public:
    // Adds the test driver entry when needed, then the printer.
    FilePortPrinter();
    // Deletes the printer and its port file.
    ~FilePortPrinter();
    FilePortPrinter(const FilePortPrinter&) = delete;
    FilePortPrinter& operator=(const FilePortPrinter&) = delete;

    bool ok() const { return handle_ != nullptr; }
    const std::wstring& name() const { return name_; }
    const std::wstring& portFile() const { return portFile_; }
    // The handle AddPrinterW gave (full access).
    HANDLE handle() const { return handle_; }

    // Opens the printer and starts a RAW document on it: the handle a spooler
    // client (GDI) would pass to the driver. Null on failure.
    HANDLE StartJob(const wchar_t* documentName = L"test document");
    // Ends the document and closes the handle; the port file then holds the job.
    bool EndJob(HANDLE job);
    // The bytes the spooler delivered to the port.
    std::vector<uint8_t> ReadPort() const;

private:
    std::wstring name_;
    std::wstring portFile_;
    HANDLE handle_ = nullptr;
};

// Reads a whole file (empty when missing).
std::vector<uint8_t> ReadWholeFile(const std::wstring& path);
