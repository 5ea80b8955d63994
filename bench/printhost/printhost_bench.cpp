// Pages per second through the print host with a driver that does nothing,
// for the built-in sample pages: the host's own cost, to subtract from
// measurements of the real driver.
//   printhost_bench [DOCUMENTS]   (each document is the two sample pages)
#include "printhost/install.h"
#include "printhost/print_job.h"
#include "printhost/sample_pages.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv)
{
    const int documents = argc > 1 ? std::max(1, _wtoi(argv[1])) : 20;
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    dir = dir.substr(0, dir.find_last_of(L"\\/"));

    const std::wstring driver = L"Print Host Null Driver " + std::to_wstring(GetCurrentProcessId());
    const std::wstring printer = L"Print Host Null Printer " + std::to_wstring(GetCurrentProcessId());
    printhost::DriverPackage package{driver, dir, L"printhost_nullgr.dll", L"", L"printhost_nullgr.dll", {}};
    std::wstring error;
    if (!printhost::InstallDriverPackage(package, &error) || !printhost::AddFilePortPrinter(printer, driver, &error)) {
        std::fwprintf(stderr, L"printhost_bench: %ls\n", error.c_str());
        return 1;
    }
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    printhost::PrintRequest request;
    request.printer = printer;
    request.outputFile = std::wstring(temp) + L"printhost_bench.prn";
    const auto pages = printhost::SamplePages();
    int code = printhost::kOk;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < documents && code == printhost::kOk; ++i) code = printhost::PrintDocument(request, pages, &error);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    printhost::RemovePrinter(printer, &error);
    printhost::RemoveDriverPackage(driver, &error);
    DeleteFileW(request.outputFile.c_str());
    if (code != printhost::kOk) {
        std::fwprintf(stderr, L"printhost_bench: %ls\n", error.c_str());
        return 1;
    }
    const double total = double(documents) * pages.size();
    std::fwprintf(stdout, L"%d documents, %.0f pages in %.3f s: %.1f pages/s (%.2f ms a page)\n", documents, total,
                  seconds, total / seconds, 1000.0 * seconds / total);

    // The metafile check's share: every page is checked before it is played.
    GDIINFO info{};
    info.ulLogPixelsX = info.ulLogPixelsY = 300;
    std::vector<std::vector<BYTE>> recorded;
    for (const auto& page : pages) {
        HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
        page(dc, info);
        HENHMETAFILE emf = CloseEnhMetaFile(dc);
        std::vector<BYTE> bytes(GetEnhMetaFileBits(emf, 0, nullptr));
        GetEnhMetaFileBits(emf, UINT(bytes.size()), bytes.data());
        DeleteEnhMetaFile(emf);
        recorded.push_back(std::move(bytes));
    }
    constexpr int kChecks = 2000;
    int accepted = 0;
    const auto checkStart = std::chrono::steady_clock::now();
    for (int i = 0; i < kChecks; ++i)
        for (const auto& bytes : recorded) accepted += printhost::CheckMetafileBytes(bytes.data(), bytes.size(), nullptr);
    const double checkSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - checkStart).count();
    std::fwprintf(stdout, L"metafile check: %.2f us a page (%d of %d accepted)\n",
                  1e6 * checkSeconds / (double(kChecks) * recorded.size()), accepted, int(kChecks * recorded.size()));
    return 0;
}
