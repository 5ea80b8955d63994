// The four kinds of pages (text, vector, photo, mixed; A4 at 600 dpi) printed
// through the driver's two libraries by the print host, beside the same pages
// through the null driver (the host's own cost). Each print runs in a process
// of its own so that its peak memory is its own; the figures are the medians
// of the runs: CPU time, wall time, job bytes and peak memory per page.
//   page_kinds_bench [RUNS [KIND]]          (RUNS default 3; KIND: text, vector, photo or mixed)
//   page_kinds_bench --one KIND DRIVER FILE [JOB] (one print, its figures written
//                                           to FILE; the job kept as JOB)
//   page_kinds_bench --profile KIND [RUNS]  (the driver's prints in this process,
//                                           the time between the document events
//                                           and of each kind of page record)
#include "bench/pages/page_kinds.h"
#include "printhost/host_dc.h"
#include "printhost/install.h"
#include "printhost/job_settings.h"
#include "tools/morva_reader/morva_reader.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

struct Figures {
    double cpuMs = 0, wallMs = 0, bytes = 0, peakMiB = 0;  // whole job
};

std::wstring ProgramDirectory()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring dir = path;
    return dir.substr(0, dir.find_last_of(L"\\/"));
}

std::wstring TempFile(const std::wstring& name)
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + std::to_wstring(GetCurrentProcessId()) + L"_" + name;
}

double CpuMs()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) { return double((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4; };
    return ms(kernel) + ms(user);
}

// The settings an application prints A4 with: the printer's DEVMODE as
// DocumentPropertiesW gives it, A4 asked for in its public fields, and the
// job's resolution (348) that the interface library fills in from the print
// quality when a user prints. The interface library resolves the paper when
// the DC is made (the paper number before the form name the printer's DEVMODE
// still carries). A DEVMODE already in the extended form is taken as resolved:
// built here from the model's defaults with only dmPaperSize changed, its form
// name (the default paper's) chose the sheet, and the jobs came out on Letter.
bool ApplicationA4Devmode(const std::wstring& printer, std::vector<BYTE>* devmode, std::wstring* error)
{
    const std::vector<unsigned char> application = printhost::ApplicationDevmode(printer);
    if (application.size() < sizeof(DEVMODEW)) {
        *error = printer + L": no DEVMODE from DocumentPropertiesW";
        return false;
    }
    devmode->assign(application.begin(), application.end());
    if (!printhost::ApplySettingPairs(devmode, {L"348=600"}, error))
        return false;
    auto* dm = reinterpret_cast<DEVMODEW*>(devmode->data());
    dm->dmPaperSize = DMPAPER_A4;
    dm->dmFields |= DM_PAPERSIZE;
    return true;
}

// Installs a printer of one driver ("morva": both of the driver's libraries
// with the colour reference model, printing on A4 at 600 dpi; "null": the
// host's null driver, on the printer's own settings).
bool InstallBenchPrinter(const std::wstring& driver, const std::wstring& tag, printhost::PrintRequest* request,
                         std::wstring* driverName, std::wstring* error)
{
    const bool morva = driver == L"morva";
    *driverName = L"Page Bench " + driver + L" Driver " + tag;
    request->printer = L"Page Bench " + driver + L" Printer " + tag;
    request->documentName = L"page bench";
    const printhost::DriverPackage package =
        morva ? printhost::DriverPackage{*driverName, ProgramDirectory(), L"morvagr.dll", L"morvaui.dll", L"C4530.DDD",
                                         {L"C4530X.DDD", L"C4530RES.DLL", L"C4530FAX.DLL", L"morvadm.dll", L"morvares.dll"}}
              : printhost::DriverPackage{*driverName, ProgramDirectory(), L"printhost_nullgr.dll", L"",
                                         L"printhost_nullgr.dll", {}};
    return printhost::InstallDriverPackage(package, error) &&
           printhost::AddFilePortPrinter(request->printer, *driverName, error) &&
           (!morva || ApplicationA4Devmode(request->printer, &request->devmode, error));
}

// Figures of a job on the wrong paper measure another job: every sheet the
// job names must be A4 (the MORVA sheet kind 5).
bool JobOnA4Sheets(const std::wstring& jobFile, std::wstring* error)
{
    std::string bytes;
    if (FILE* in = _wfopen(jobFile.c_str(), L"rb")) {
        char buffer[65536];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
            bytes.append(buffer, n);
        std::fclose(in);
    }
    MorvaListing listing;
    if (!ReadMorvaJob(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), {}, &listing)) {
        *error = L"the job cannot be read back: " + std::wstring(listing.error.begin(), listing.error.end());
        return false;
    }
    size_t sheets = 0;
    for (const MorvaCommandLine& command : listing.commands) {
        if (command.text.rfind("Ec ", 0) != 0)
            continue;
        ++sheets;
        if (!command.text.ends_with(" kind=5")) {
            *error = L"a sheet of the job is not A4: " + std::wstring(command.text.begin(), command.text.end());
            return false;
        }
    }
    if (sheets == 0)
        *error = L"the job names no sheet";
    return sheets != 0;
}

void RemoveBenchPrinter(const printhost::PrintRequest& request, const std::wstring& driverName)
{
    std::wstring ignored;
    printhost::RemovePrinter(request.printer, &ignored);
    printhost::RemoveDriverPackage(driverName, &ignored);
}

// One print of one kind through one driver ("morva" or "null"), in this process.
int PrintOnce(const pagebench::PageKind& kind, const std::wstring& driver, const std::wstring& resultFile,
              const std::wstring& keptJob)
{
    std::wstring error, driverName;
    printhost::PrintRequest request;
    bool ok = InstallBenchPrinter(driver, std::to_wstring(GetCurrentProcessId()), &request, &driverName, &error);
    request.outputFile = keptJob.empty() ? TempFile(L"page_bench.prn") : keptJob;
    const std::vector<printhost::PageDrawer> pages = pagebench::Document(kind);
    Figures f;
    if (ok) {
        DeleteFileW(request.outputFile.c_str());
        const double cpu = CpuMs();
        const auto start = std::chrono::steady_clock::now();
        ok = printhost::PrintDocument(request, pages, &error) == printhost::kOk;
        f.wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        f.cpuMs = CpuMs() - cpu;
        WIN32_FILE_ATTRIBUTE_DATA data{};
        GetFileAttributesExW(request.outputFile.c_str(), GetFileExInfoStandard, &data);
        f.bytes = double((uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
        PROCESS_MEMORY_COUNTERS memory{};
        memory.cb = sizeof(memory);
        GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
        f.peakMiB = double(memory.PeakWorkingSetSize) / (1024.0 * 1024.0);
        if (driver == L"morva")
            ok = JobOnA4Sheets(request.outputFile, &error);
        if (keptJob.empty())
            DeleteFileW(request.outputFile.c_str());
    }
    RemoveBenchPrinter(request, driverName);
    if (!ok) {
        std::fwprintf(stderr, L"page_kinds_bench: %ls through %ls: %ls\n", kind.name, driver.c_str(), error.c_str());
        return 1;
    }
    FILE* out = _wfopen(resultFile.c_str(), L"w");
    if (out == nullptr)
        return 1;
    std::fprintf(out, "%f %f %f %f\n", f.cpuMs, f.wallMs, f.bytes, f.peakMiB);
    std::fclose(out);
    return 0;
}

// Where the time of a print goes, seen from the host: the spans between the
// document events the interface library hears (named by the event that ends
// them) and the play of each kind of page record, summed over the runs.
struct Profile {
    LARGE_INTEGER last{};
    int lastEvent = 0;
    std::map<std::pair<int, int>, LONGLONG> spans;  // (from event, to event) -> ticks
    std::map<DWORD, std::pair<LONGLONG, long>> records;  // record type -> ticks, count
};

void ProfileEvent(void* context, HANDLE, HDC, int event, int)
{
    auto* p = static_cast<Profile*>(context);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    p->spans[{p->lastEvent, event}] += now.QuadPart - p->last.QuadPart;
    p->last = now;
    p->lastEvent = event;
}

void ProfileRecord(void* context, DWORD type, LONGLONG ticks)
{
    auto& r = static_cast<Profile*>(context)->records[type];
    r.first += ticks;
    ++r.second;
}

int ProfilePrints(const pagebench::PageKind& kind, int runs)
{
    std::wstring error, driverName;
    printhost::PrintRequest request;
    bool ok = InstallBenchPrinter(L"morva", L"profile " + std::to_wstring(GetCurrentProcessId()), &request, &driverName,
                                  &error);
    request.outputFile = TempFile(L"page_bench_profile.prn");
    Profile profile;
    const printhost::HostDcObserver observer{ProfileEvent, nullptr, &profile, ProfileRecord};
    printhost::SetHostDcObserver(&observer);
    const std::vector<printhost::PageDrawer> pages = pagebench::Document(kind);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const double cpu = CpuMs();
    for (int run = 0; run < runs && ok; ++run) {
        QueryPerformanceCounter(&profile.last);
        profile.lastEvent = 0;
        ok = printhost::PrintDocument(request, pages, &error) == printhost::kOk;
        ProfileEvent(&profile, nullptr, nullptr, 99, 0);
    }
    QueryPerformanceCounter(&end);
    const double cpuMs = CpuMs() - cpu;
    printhost::SetHostDcObserver(nullptr);
    DeleteFileW(request.outputFile.c_str());
    RemoveBenchPrinter(request, driverName);
    if (!ok) {
        std::fwprintf(stderr, L"page_kinds_bench: %ls: %ls\n", kind.name, error.c_str());
        return 1;
    }
    const double pagesPrinted = double(kind.pages) * runs;
    auto ms = [&](LONGLONG ticks) { return double(ticks) * 1000.0 / double(frequency.QuadPart) / pagesPrinted; };
    std::fwprintf(stdout, L"%d prints of %d %ls pages: %.3f ms wall, %.3f ms cpu a page\n", runs, kind.pages, kind.name,
                  ms(end.QuadPart - start.QuadPart), cpuMs / pagesPrinted);
    std::fwprintf(stdout, L"spans between document events (0 start, 99 end), ms a page:\n");
    for (const auto& [span, ticks] : profile.spans)
        std::fwprintf(stdout, L"  %2d -> %2d %9.3f\n", span.first, span.second, ms(ticks));
    std::fwprintf(stdout, L"page records played (1 set-up, 14 release), ms a page and count:\n");
    for (const auto& [type, figures] : profile.records)
        std::fwprintf(stdout, L"  %4lu %9.3f %8ld\n", type, ms(figures.first), figures.second);
    return 0;
}

// Runs this program with --one and reads its figures back.
bool RunChild(const pagebench::PageKind& kind, const std::wstring& driver, Figures* f)
{
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring result = TempFile(std::wstring(kind.name) + L"_" + driver + L".txt");
    DeleteFileW(result.c_str());
    std::wstring command = L"\"" + std::wstring(self) + L"\" --one " + kind.name + L" " + driver + L" \"" + result + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    FILE* in = _wfopen(result.c_str(), L"r");
    if (code != 0 || in == nullptr)
        return false;
    const bool read = std::fscanf(in, "%lf %lf %lf %lf", &f->cpuMs, &f->wallMs, &f->bytes, &f->peakMiB) == 4;
    std::fclose(in);
    DeleteFileW(result.c_str());
    return read;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool MedianFigures(const pagebench::PageKind& kind, const std::wstring& driver, int runs, Figures* median)
{
    std::vector<double> cpu, wall, bytes, peak;
    for (int run = 0; run < runs; ++run) {
        Figures f;
        if (!RunChild(kind, driver, &f))
            return false;
        cpu.push_back(f.cpuMs);
        wall.push_back(f.wallMs);
        bytes.push_back(f.bytes);
        peak.push_back(f.peakMiB);
    }
    *median = {Median(cpu), Median(wall), Median(bytes), Median(peak)};
    return true;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if ((argc == 5 || argc == 6) && std::wstring(argv[1]) == L"--one") {
        const pagebench::PageKind* kind = pagebench::FindPageKind(argv[2]);
        return kind != nullptr ? PrintOnce(*kind, argv[3], argv[4], argc == 6 ? argv[5] : L"") : 1;
    }
    if ((argc == 3 || argc == 4) && std::wstring(argv[1]) == L"--profile") {
        const pagebench::PageKind* kind = pagebench::FindPageKind(argv[2]);
        return kind != nullptr ? ProfilePrints(*kind, argc == 4 ? std::max(1, _wtoi(argv[3])) : 1) : 1;
    }
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 3;
    const std::wstring only = argc > 2 ? argv[2] : L"";
    std::fwprintf(stdout, L"medians of %d runs, per page; host: the null driver; driver: MORVA less host\n", runs);
    std::fwprintf(stdout, L"%-7ls %5ls %10ls %10ls %10ls %10ls %10ls %12ls %9ls %9ls\n", L"pages", L"count",
                  L"cpu ms", L"host cpu", L"driver", L"wall ms", L"host wall", L"bytes/page", L"peak MiB",
                  L"host MiB");
    int code = 0;
    for (const pagebench::PageKind& kind : pagebench::PageKinds()) {
        if (!only.empty() && only != kind.name)
            continue;
        Figures real, host;
        if (!MedianFigures(kind, L"morva", runs, &real) || !MedianFigures(kind, L"null", runs, &host)) {
            std::fwprintf(stderr, L"page_kinds_bench: %ls pages failed\n", kind.name);
            code = 1;
            continue;
        }
        const double n = kind.pages;
        std::fwprintf(stdout, L"%-7ls %5d %10.2f %10.2f %10.2f %10.2f %10.2f %12.0f %9.1f %9.1f\n", kind.name,
                      kind.pages, real.cpuMs / n, host.cpuMs / n, (real.cpuMs - host.cpuMs) / n, real.wallMs / n,
                      host.wallMs / n, real.bytes / n, real.peakMiB, host.peakMiB);
        std::fflush(stdout);
    }
    return code;
}
