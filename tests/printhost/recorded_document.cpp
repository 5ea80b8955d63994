#include "tests/printhost/recorded_document.h"

#include "tests/printhost/driver_fixture.h"

#include "printhost/host_dc.h"

#include <fstream>
#include <sstream>

namespace printhost_test {

namespace {

InstalledPrinter& RecordingPrinter()
{
    static InstalledPrinter printer(RecordingDriverPackage(UniqueName(L"Recording Document")),
                                    L"Recording Document Printer");
    return printer;
}

// The printer's name carries the process id; records name it "<printer>".
std::string Normalise(std::string text, const std::wstring& printer)
{
    const std::string name(printer.begin(), printer.end());
    for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at))
        text.replace(at, name.size(), "<printer>");
    return text;
}

std::wstring GoldenPath(const char* name)
{
    const std::string path = std::string(PRINTHOST_GOLDEN_DIR) + "/" + name + ".log";
    return L"Z:" + std::wstring(path.begin(), path.end());
}

} // namespace

std::string RecordDocument(const std::vector<DrawPage>& pages, const std::function<void(HDC)>& between)
{
    InstalledPrinter& printer = RecordingPrinter();
    if (!printer.ok()) return "host problem: no printer: " + std::string(printer.error().begin(), printer.error().end());
    const std::wstring log = TempPath(L"record.log");
    const std::wstring job = TempPath(L"record.prn");
    DeleteFileW(log.c_str());
    SetEnvironmentVariableW(L"PRINTHOST_RECORD_LOG", log.c_str());
    std::wstring error;
    HDC dc = printhost::CreatePrinterDc(printer.printerName(), nullptr, &error);
    std::string problems;
    if (dc) {
        DOCINFOW info{sizeof(info), L"Recorded document", job.c_str(), nullptr, 0};
        if (HostStartDocW(dc, &info) <= 0) problems += "host problem: StartDoc failed\n";
        for (size_t i = 0; i < pages.size(); ++i) {
            if (i > 0 && between) between(dc);
            if (HostStartPage(dc) <= 0) problems += "host problem: StartPage failed\n";
            pages[i](printhost::CurrentDrawingDc(dc));
            if (HostEndPage(dc) <= 0) {
                const std::wstring why = printhost::HostDcLastError(dc);
                problems += "host problem: EndPage failed: " + std::string(why.begin(), why.end()) + "\n";
            }
        }
        if (HostEndDoc(dc) <= 0) problems += "host problem: EndDoc failed\n";
        HostDeleteDC(dc);
    } else {
        problems += "host problem: CreatePrinterDc failed: " + std::string(error.begin(), error.end()) + "\n";
    }
    SetEnvironmentVariableW(L"PRINTHOST_RECORD_LOG", nullptr);
    std::string text = ReadTextFile(log);
    DeleteFileW(log.c_str());
    DeleteFileW(job.c_str());
    return problems + Normalise(text, printer.printerName());
}

std::string RecordWithDc(const std::function<void(HDC)>& use, DcKind kind)
{
    InstalledPrinter& printer = RecordingPrinter();
    if (!printer.ok()) return "host problem: no printer";
    const std::wstring log = TempPath(L"record.log");
    DeleteFileW(log.c_str());
    SetEnvironmentVariableW(L"PRINTHOST_RECORD_LOG", log.c_str());
    std::wstring error;
    HDC dc = kind == DcKind::kInformation ? printhost::CreateInformationDc(printer.printerName(), nullptr, &error)
                                          : printhost::CreatePrinterDc(printer.printerName(), nullptr, &error);
    if (dc) {
        use(dc);
        HostDeleteDC(dc);
    }
    SetEnvironmentVariableW(L"PRINTHOST_RECORD_LOG", nullptr);
    std::string text = ReadTextFile(log);
    DeleteFileW(log.c_str());
    return (dc ? std::string() : "host problem: no DC\n") + Normalise(text, printer.printerName());
}

std::string RecordLibrarySamplePrint(const std::wstring& output, int* answer)
{
    *answer = -1;
    InstalledPrinter& printer = RecordingPrinter();
    if (!printer.ok()) return "host problem: no printer";
    printhost::InstalledDriver driver;
    std::wstring error;
    if (!printhost::FindPrinterDriver(printer.printerName(), &driver, &error)) return "host problem: no driver";
    HMODULE library = printhost::LoadInterfaceLibrary(driver.interfaceDll);
    using SampleFn = int(WINAPI*)(const wchar_t*, const wchar_t*);
    auto sample = library ? reinterpret_cast<SampleFn>(reinterpret_cast<void (*)()>(
                                GetProcAddress(library, "RecordSamplePrint")))
                          : nullptr;
    if (!sample) {
        if (library) FreeLibrary(library);
        return "host problem: no sample export";
    }
    const std::wstring log = TempPath(L"record.log");
    DeleteFileW(log.c_str());
    SetEnvironmentVariableW(L"PRINTHOST_RECORD_LOG", log.c_str());
    *answer = sample(printer.printerName().c_str(), output.c_str());
    SetEnvironmentVariableW(L"PRINTHOST_RECORD_LOG", nullptr);
    FreeLibrary(library);
    std::string text = ReadTextFile(log);
    DeleteFileW(log.c_str());
    return Normalise(text, printer.printerName());
}

std::string DrawingCalls(const std::string& record)
{
    std::istringstream in(record);
    std::string line, out;
    bool inPage = false;
    while (std::getline(in, line)) {
        if (line.rfind("host problem:", 0) == 0) { out += line + "\n"; continue; }
        if (line == "DrvStartPage") { inPage = true; continue; }
        if (line == "DrvSendPage") { inPage = false; continue; }
        if (inPage && line.rfind("Drv", 0) == 0 && line.rfind("DrvDocumentEvent", 0) != 0 && line.rfind("DrvEscape", 0) != 0)
            out += line + "\n";
    }
    return out;
}

::testing::AssertionResult MatchesGolden(const std::string& record, const char* name)
{
    const std::wstring path = GoldenPath(name);
    if (record.empty()) return ::testing::AssertionFailure() << "nothing was recorded for " << name;
    wchar_t update[4] = {};
    if (GetEnvironmentVariableW(L"PRINTHOST_UPDATE_GOLDEN", update, 4) && update[0] == L'1') {
        std::ofstream(path.c_str(), std::ios::binary) << record;
        return ::testing::AssertionSuccess() << "rewrote " << name;
    }
    const std::string golden = ReadTextFile(path);
    if (golden == record) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "record differs from golden/" << name << ".log:\n--- golden\n"
                                         << golden << "--- recorded\n" << record;
}

} // namespace printhost_test
