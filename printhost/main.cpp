// printhost: installs driver packages into wine's spooler and prints
// documents through a driver as Windows' GDI and spooler would.
#include "printhost/install.h"
#include "printhost/job_settings.h"
#include "printhost/model_devmode.h"
#include "printhost/print_job.h"
#include "printhost/sample_pages.h"
#include "printhost/sheet_commands.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

using namespace printhost;

void Usage()
{
    std::fwprintf(stderr,
        L"usage:\n"
        L"  printhost install DRIVER DIR GRAPHICS.DLL INTERFACE.DLL [--data FILE] [--file FILE]... [--printer NAME]\n"
        L"  printhost remove DRIVER [--printer NAME]\n"
        L"  printhost list\n"
        L"  printhost print PRINTER JOBFILE [--devmode FILE | --model-defaults] [--set ID=VALUE]... [--name DOCUMENT] [--samples] [PAGE.emf]...\n"
        L"  printhost settings PRINTER [--out FILE]\n"
        L"  printhost properties PRINTER\n");
}

int Fail(int code, const std::wstring& message)
{
    std::fwprintf(stderr, L"printhost: %ls\n", message.c_str());
    return code;
}

int Install(const std::vector<std::wstring>& args)
{
    if (args.size() < 4) { Usage(); return kUsage; }
    printhost::DriverPackage package;
    package.driverName = args[0];
    package.sourceDirectory = args[1];
    package.graphicsDll = args[2];
    package.interfaceDll = args[3];
    std::wstring printer;
    for (size_t i = 4; i < args.size(); ++i) {
        if (i + 1 >= args.size()) { Usage(); return kUsage; }
        if (args[i] == L"--data") package.dataFile = args[++i];
        else if (args[i] == L"--file") package.dependentFiles.push_back(args[++i]);
        else if (args[i] == L"--printer") printer = args[++i];
        else { Usage(); return kUsage; }
    }
    std::wstring error;
    if (!printhost::InstallDriverPackage(package, &error))
        return Fail(error.find(L"not found") != std::wstring::npos ? kMissingFile : kSpoolerFailed, error);
    if (!printer.empty() && !printhost::AddFilePortPrinter(printer, package.driverName, &error))
        return Fail(kSpoolerFailed, error);
    std::fwprintf(stdout, L"installed %ls%ls%ls\n", package.driverName.c_str(), printer.empty() ? L"" : L", printer ",
                  printer.c_str());
    return kOk;
}

int Remove(const std::vector<std::wstring>& args)
{
    if (args.empty()) { Usage(); return kUsage; }
    std::wstring error;
    if (args.size() == 3 && args[1] == L"--printer" && !printhost::RemovePrinter(args[2], &error))
        return Fail(kSpoolerFailed, error);
    if (args.size() != 1 && args.size() != 3) { Usage(); return kUsage; }
    if (!printhost::RemoveDriverPackage(args[0], &error)) return Fail(kSpoolerFailed, error);
    std::fwprintf(stdout, L"removed %ls\n", args[0].c_str());
    return kOk;
}

int List()
{
    for (const printhost::PrinterEntry& p : printhost::ListPrinters())
        std::fwprintf(stdout, L"%ls\t%ls\t%ls\n", p.name.c_str(), p.driver.c_str(), p.port.c_str());
    return kOk;
}

int Print(const std::vector<std::wstring>& args)
{
    if (args.size() < 2) { Usage(); return kUsage; }
    PrintRequest request;
    request.printer = args[0];
    request.outputFile = args[1];
    std::vector<PageDrawer> pages;
    std::vector<HENHMETAFILE> metafiles;
    int code = kOk;
    std::wstring error;
    std::vector<std::wstring> settings;
    for (size_t i = 2; i < args.size() && code == kOk; ++i) {
        if (args[i] == L"--samples") {
            for (PageDrawer& p : SamplePages()) pages.push_back(std::move(p));
        } else if (args[i] == L"--model-defaults") {
            if (!ModelDefaultDevmode(request.printer, &request.devmode, &error)) code = kDriverFailed;
        } else if (args[i] == L"--set" && i + 1 < args.size()) {
            settings.push_back(args[++i]);
        } else if ((args[i] == L"--devmode" || args[i] == L"--name") && i + 1 < args.size()) {
            if (args[i] == L"--name") request.documentName = args[++i];
            else if (!LoadDevmodeFile(args[++i], &request.devmode, &code, &error)) break;
        } else if (args[i].rfind(L"--", 0) == 0) {
            Usage();
            return kUsage;
        } else if (HENHMETAFILE emf = LoadMetafile(args[i], &code, &error)) {
            metafiles.push_back(emf);
            pages.push_back(MetafilePage(emf));
        }
    }
    if (code == kOk && pages.empty()) { Usage(); return kUsage; }
    if (code == kOk && !settings.empty()) {
        if (request.devmode.empty()) request.devmode = ApplicationDevmode(request.printer);
        if (!ApplySettingPairs(&request.devmode, settings, &error)) code = kUsage;
    }
    if (code == kOk) code = PrintDocument(request, pages, &error);
    for (HENHMETAFILE emf : metafiles) DeleteEnhMetaFile(emf);
    if (code != kOk) return Fail(code, error);
    std::fwprintf(stdout, L"printed %zu page(s) to %ls\n", pages.size(), request.outputFile.c_str());
    return kOk;
}

// The printing preferences in a window; the DEVMODE confirmed with OK goes to
// the file named by --out.
int Settings(const std::vector<std::wstring>& args)
{
    if (args.size() != 1 && !(args.size() == 3 && args[1] == L"--out")) { Usage(); return kUsage; }
    std::vector<BYTE> devmode;
    std::wstring error;
    const int code = ShowPrintingPreferences(args[0], &devmode, &error);
    if (code != kOk) return Fail(code, error);
    if (devmode.empty()) {
        std::fwprintf(stdout, L"cancelled: nothing written\n");
        return kOk;
    }
    if (args.size() == 3) {
        if (!SaveDevmodeFile(args[2], devmode, &error)) return Fail(kMissingFile, error);
        std::fwprintf(stdout, L"settings of %ls written to %ls (%zu bytes)\n", args[0].c_str(), args[2].c_str(),
                      devmode.size());
    } else {
        std::fwprintf(stdout, L"settings of %ls confirmed (%zu bytes, not written: no --out)\n", args[0].c_str(),
                      devmode.size());
    }
    return kOk;
}

// The printer properties in a window; the driver stores what OK confirms.
int Properties(const std::vector<std::wstring>& args)
{
    if (args.size() != 1) { Usage(); return kUsage; }
    bool stored = false;
    std::wstring error;
    const int code = ShowPrinterProperties(args[0], &stored, &error);
    if (code != kOk) return Fail(code, error);
    std::fwprintf(stdout, stored ? L"printer properties of %ls stored\n" : L"cancelled: nothing stored for %ls\n",
                  args[0].c_str());
    return kOk;
}

// An exception nobody handled ends the process with its own exit code and a
// message, never with a code that means something else.
LONG WINAPI ReportFault(EXCEPTION_POINTERS* info)
{
    const DWORD code = info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode : 0;
    const void* at = info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionAddress : nullptr;
    std::fwprintf(stderr, L"printhost: the host failed: exception 0x%08lx at %p\n", static_cast<unsigned long>(code), at);
    std::fflush(stderr);
    ExitProcess(kHostFault);
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    SetUnhandledExceptionFilter(ReportFault);
    if (argc < 2) { Usage(); return kUsage; }
    const std::wstring command = argv[1];
    const std::vector<std::wstring> args(argv + 2, argv + argc);
    if (command == L"install") return Install(args);
    if (command == L"remove") return Remove(args);
    if (command == L"list") return List();
    if (command == L"print") return Print(args);
    if (command == L"settings") return Settings(args);
    if (command == L"properties") return Properties(args);
    Usage();
    return kUsage;
}
