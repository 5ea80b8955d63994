// A real printer in the test prefix's spooler, on the FILE: port, with a driver
// entry of its own, so that printer data, printer enumeration and per-printer
// registry keys are the platform's own. Each test program uses its own printer
// name: the programs run at once in one prefix.
#pragma once
#include <windows.h>
#include <winspool.h>

#include <string>

constexpr wchar_t kTestDriverName[] = L"Morva Test Driver";

// Adds the test driver entry once (placeholder files in the driver directory).
bool EnsureTestDriver();

// Opens the printer of that name with full access, adding it when it is not
// there yet, and deletes all its printer data so that each test starts from a
// printer without any. The printer stays in the prefix: adding and deleting
// printers while other test programs enumerate them makes the wine spooler's
// answers unreliable. `attributes` apply when the printer is added.
class TestPrinter {
public:
    explicit TestPrinter(const wchar_t* name, DWORD attributes = PRINTER_ATTRIBUTE_LOCAL);
    ~TestPrinter();
    TestPrinter(const TestPrinter&) = delete;
    TestPrinter& operator=(const TestPrinter&) = delete;

    HANDLE handle() const { return handle_; }
    const std::wstring& name() const { return name_; }
    bool ok() const { return handle_ != nullptr; }

    // Deletes every value of the printer's driver data. True when none is left.
    bool ClearPrinterData();

private:
    std::wstring name_;
    HANDLE handle_ = nullptr;
};

// Wine carries DeletePrinterDataExW out as a stub that deletes nothing. This puts
// a stand-in into the program's import table that calls the real function and,
// when it answers that it cannot, deletes the value from the printer's registry
// key where the wine spooler keeps printer data. Installed for the program's life.
void InstallPrinterDataDeleteStandIn();
