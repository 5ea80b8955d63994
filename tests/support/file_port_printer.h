// A printer of the real spooler whose port is a file of the test's own: what a
// test writes to the spooler for it can be read back from that file once the
// job ends. The driver entry is the one of spooler_fixture.h.
//
// The printer stays in the test prefix between runs and is never deleted:
// adding and deleting printers while other test programs enumerate them makes
// the wine spooler's answers unreliable. Each test program uses a name of its
// own; the port file is emptied at every StartJob.
#pragma once
#include "tests/support/spooler_job_lock.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class FilePortPrinter {
public:
    // Opens the printer of that name, adding it (and the driver entry) when it
    // is not there yet.
    explicit FilePortPrinter(const wchar_t* name);
    ~FilePortPrinter();
    FilePortPrinter(const FilePortPrinter&) = delete;
    FilePortPrinter& operator=(const FilePortPrinter&) = delete;

    bool ok() const { return handle_ != nullptr; }
    const std::wstring& name() const { return name_; }
    const std::wstring& portFile() const { return portFile_; }
    // A handle opened with full access.
    HANDLE handle() const { return handle_; }

    // Takes the spooler job lock, empties the port file, then opens the printer
    // and starts a RAW document: the handle a spooler client (GDI) would pass
    // to the driver. Null on failure.
    HANDLE StartJob(const wchar_t* documentName = L"test document");
    // Ends the document, closes the handle and gives the lock back; the port
    // file then holds the job.
    bool EndJob(HANDLE job);
    // Empties the port file (for jobs not started with StartJob).
    void ClearPort();
    // The bytes the spooler delivered to the port.
    std::vector<uint8_t> ReadPort() const;

private:
    std::wstring name_;
    std::wstring portFile_;
    HANDLE handle_ = nullptr;
    std::unique_ptr<SpoolerJobLock> jobLock_;
};

// Reads a whole file (empty when missing).
std::vector<uint8_t> ReadWholeFile(const std::wstring& path);
