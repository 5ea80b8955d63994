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

// Creates the printer anew (an older one of the same name is deleted first),
// opens it with full access and deletes it again at the end of the scope.
class TestPrinter {
public:
    explicit TestPrinter(const wchar_t* name, DWORD attributes = PRINTER_ATTRIBUTE_LOCAL);
    ~TestPrinter();
    TestPrinter(const TestPrinter&) = delete;
    TestPrinter& operator=(const TestPrinter&) = delete;

    HANDLE handle() const { return handle_; }
    const std::wstring& name() const { return name_; }
    bool ok() const { return handle_ != nullptr; }

private:
    std::wstring name_;
    HANDLE handle_ = nullptr;
};

// Deletes a printer of that name if there is one; true when none is left.
bool RemovePrinterByName(const wchar_t* name);

// Wine carries DeletePrinterDataExW out as a stub that deletes nothing. This puts
// a stand-in into the program's import table that calls the real function and,
// when it answers that it cannot, deletes the value from the printer's registry
// key where the wine spooler keeps printer data. Installed for the program's life.
void InstallPrinterDataDeleteStandIn();
