#include "tests/support/file_port_printer.h"

#include "tests/support/spooler_fixture.h"

#include <winspool.h>

namespace {

HANDLE OpenWithFullAccess(const std::wstring& name)
{
    PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(name.c_str()), &printer, &access))
        return nullptr;
    return printer;
}

// The port of an existing printer, empty when it cannot be read.
std::wstring PortOf(HANDLE printer)
{
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    if (needed == 0)
        return {};
    std::vector<BYTE> info(needed);
    if (!GetPrinterW(printer, 2, info.data(), needed, &needed))
        return {};
    const auto* level2 = reinterpret_cast<const PRINTER_INFO_2W*>(info.data());
    return level2->pPortName != nullptr ? level2->pPortName : L"";
}

// Wine numbers jobs per process from 1 and names the spool file after the
// number, so this program's jobs would collide with those of any other test
// program that prints without the job lock. Moving this program's numbers to
// a range of its own (AddJobW takes a number and nothing else until the
// handle is closed) keeps them apart.
void MoveJobNumbersAside(const std::wstring& printerName)
{
    static bool moved = false;
    if (moved)
        return;
    moved = true;
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(printerName.c_str()), &printer, nullptr))
        return;
    const DWORD target = 1000 + (GetCurrentProcessId() % 97) * 50;
    BYTE info[sizeof(ADDJOB_INFO_1W) + 2 * MAX_PATH + 64];
    DWORD needed = 0;
    for (DWORD i = 0; i < target; ++i)
        if (!AddJobW(printer, 1, info, sizeof(info), &needed))
            break;
    ClosePrinter(printer);
}

}  // namespace

std::vector<uint8_t> ReadWholeFile(const std::wstring& path)
{
    std::vector<uint8_t> bytes;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return bytes;
    LARGE_INTEGER size;
    if (GetFileSizeEx(f, &size) && size.QuadPart > 0) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        if (!ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
            read = 0;
        bytes.resize(read);
    }
    CloseHandle(f);
    return bytes;
}

FilePortPrinter::FilePortPrinter(const wchar_t* name) : name_(name)
{
    handle_ = OpenWithFullAccess(name_);
    if (handle_ != nullptr) {
        portFile_ = PortOf(handle_);
        if (portFile_.empty()) {
            ClosePrinter(handle_);
            handle_ = nullptr;
            return;
        }
        MoveJobNumbersAside(name_);
        return;
    }
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH, temp);
    if (n == 0 || n >= MAX_PATH || !EnsureTestDriver())
        return;
    portFile_ = std::wstring(temp) + name_ + L".prn";
    PRINTER_INFO_2W info = {};
    info.pPrinterName = name_.data();
    info.pPortName = portFile_.data();
    info.pDriverName = const_cast<LPWSTR>(kTestDriverName);
    info.pPrintProcessor = const_cast<LPWSTR>(L"winprint");
    info.pDatatype = const_cast<LPWSTR>(L"RAW");
    handle_ = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (handle_ != nullptr)
        MoveJobNumbersAside(name_);
}

FilePortPrinter::~FilePortPrinter()
{
    if (handle_ != nullptr)
        ClosePrinter(handle_);
}

void FilePortPrinter::ClearPort()
{
    if (!portFile_.empty())
        DeleteFileW(portFile_.c_str());
}

HANDLE FilePortPrinter::StartJob(const wchar_t* documentName)
{
    jobLock_ = std::make_unique<SpoolerJobLock>();
    ClearPort();
    HANDLE job = nullptr;
    if (!OpenPrinterW(name_.data(), &job, nullptr))
        return nullptr;
    DOC_INFO_1W doc = {const_cast<LPWSTR>(documentName), nullptr, const_cast<LPWSTR>(L"RAW")};
    // A program that does not take the lock may still hold a spool file of the
    // same number for a moment: ask again (each attempt takes a new number).
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (StartDocPrinterW(job, 1, reinterpret_cast<BYTE*>(&doc)) != 0)
            return job;
        Sleep(50);
    }
    ClosePrinter(job);
    jobLock_.reset();
    return nullptr;
}

bool FilePortPrinter::EndJob(HANDLE job)
{
    if (job == nullptr)
        return false;
    const BOOL ended = EndDocPrinter(job);
    const BOOL closed = ClosePrinter(job);
    jobLock_.reset();
    return ended && closed;
}

std::vector<uint8_t> FilePortPrinter::ReadPort() const
{
    return ReadWholeFile(portFile_);
}
