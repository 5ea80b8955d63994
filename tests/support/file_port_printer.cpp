#include "tests/support/file_port_printer.h"

#include "tests/support/spooler_fixture.h"

#include <winspool.h>

namespace {

HANDLE AddFilePrinter(const std::wstring& name, const std::wstring& port)
{
    PRINTER_INFO_2W info = {};
    info.pPrinterName = const_cast<LPWSTR>(name.c_str());
    info.pPortName = const_cast<LPWSTR>(port.c_str());
    info.pDriverName = const_cast<LPWSTR>(kTestDriverName);
    info.pPrintProcessor = const_cast<LPWSTR>(L"winprint");
    info.pDatatype = const_cast<LPWSTR>(L"RAW");
    return AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
}

int g_fixtureCount = 0;

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

FilePortPrinter::FilePortPrinter()
{
    const std::wstring tag = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++g_fixtureCount);
    name_ = L"Morva Test Printer " + tag;
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH, temp);
    if (n == 0 || n >= MAX_PATH)
        return;
    portFile_ = std::wstring(temp) + L"morva-port-" + tag + L".prn";
    DeleteFileW(portFile_.c_str());
    if (!EnsureTestDriver() || !RemovePrinterByName(name_.c_str()))
        return;
    handle_ = AddFilePrinter(name_, portFile_);
}

FilePortPrinter::~FilePortPrinter()
{
    if (handle_ != nullptr) {
        DeletePrinter(handle_);
        ClosePrinter(handle_);
    }
    if (!portFile_.empty())
        DeleteFileW(portFile_.c_str());
}

HANDLE FilePortPrinter::StartJob(const wchar_t* documentName)
{
    HANDLE job = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(name_.c_str()), &job, nullptr))
        return nullptr;
    DOC_INFO_1W doc = {const_cast<LPWSTR>(documentName), nullptr, const_cast<LPWSTR>(L"RAW")};
    if (StartDocPrinterW(job, 1, reinterpret_cast<BYTE*>(&doc)) == 0) {
        ClosePrinter(job);
        return nullptr;
    }
    return job;
}

bool FilePortPrinter::EndJob(HANDLE job)
{
    if (job == nullptr)
        return false;
    const BOOL ended = EndDocPrinter(job);
    const BOOL closed = ClosePrinter(job);
    return ended && closed;
}

std::vector<uint8_t> FilePortPrinter::ReadPort() const
{
    return ReadWholeFile(portFile_);
}
