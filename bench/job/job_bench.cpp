// Whole print jobs through the print host: the sample pages, a 100-page text
// document and a 100-page vector document, each printed through the real
// graphics library (MORVA job files) and through the null driver (the host's
// own cost). Reports pages per second, the driver's time per page (real less
// null) and the bytes per page of the job. Then one more print of each
// document through the graphics library, its time broken down by DDI entry
// and by the host's own playback of each record type.
//   job_bench [REPEATS [DOCUMENT]]   (each document printed REPEATS times,
//   default 3; DOCUMENT, a word of its name, prints only that one)
#include "bench/job/ddi_timing.h"
#include "printhost/install.h"
#include "printhost/job_settings.h"
#include "printhost/model_devmode.h"
#include "printhost/print_job.h"
#include "printhost/sample_pages.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kLongDocumentPages = 100;

// A page of running text: 60 lines of 90 characters in a 10-point face.
bool TextPage(HDC dc, const GDIINFO& info, int page)
{
    const int lineHeight = MulDiv(12, int(info.ulLogPixelsY), 72);
    HFONT font = CreateFontW(-MulDiv(10, int(info.ulLogPixelsY), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET,
                             0, 0, 0, 0, L"Arial");
    HGDIOBJ old = SelectObject(dc, font);
    bool ok = true;
    for (int line = 0; line < 60 && ok; ++line) {
        wchar_t text[96];
        const int n = swprintf(text, 96, L"Page %3d line %2d: the quick brown fox jumps over the lazy dog, "
                                         L"pack my box with five dozen jugs.", page + 1, line + 1);
        ok = TextOutW(dc, int(info.ulLogPixelsX) / 2, int(info.ulLogPixelsY) / 2 + line * lineHeight, text, n);
    }
    SelectObject(dc, old);
    DeleteObject(font);
    return ok;
}

// A page of line art: 150 strokes, 40 filled polygons, 20 ellipses and 10 curves.
bool VectorPage(HDC dc, const GDIINFO& info, int page)
{
    const int w = int(info.ulHorzRes), h = int(info.ulVertRes);
    bool ok = true;
    HPEN pen = CreatePen(PS_SOLID, 3, RGB(0, 0, 0));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    for (int i = 0; i < 150 && ok; ++i) {
        MoveToEx(dc, (i * 37 + page) % w, (i * 53) % h, nullptr);
        ok = LineTo(dc, (i * 91 + 400) % w, (i * 29 + 700) % h);
    }
    for (int i = 0; i < 40 && ok; ++i) {
        HBRUSH brush = CreateSolidBrush(RGB((i * 40) % 256, (i * 90) % 256, (i * 20 + page) % 256));
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        const int x = (i * 113) % (w - 300), y = (i * 197) % (h - 300);
        const POINT points[5] = {{x, y}, {x + 250, y + 20}, {x + 280, y + 200}, {x + 60, y + 280}, {x + 10, y + 120}};
        ok = Polygon(dc, points, 5);
        if (ok && i < 20)
            ok = Ellipse(dc, x, y, x + 200, y + 140);
        SelectObject(dc, oldBrush);
        DeleteObject(brush);
    }
    for (int i = 0; i < 10 && ok; ++i) {
        const POINT curve[4] = {{100 + i * 50, 100}, {w / 2, h / 3 + i * 20}, {w / 3, h / 2}, {w - 100, h - 100 - i * 40}};
        ok = PolyBezier(dc, curve, 4);
    }
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    return ok;
}

std::vector<printhost::PageDrawer> LongDocument(bool (*draw)(HDC, const GDIINFO&, int))
{
    std::vector<printhost::PageDrawer> pages;
    for (int page = 0; page < kLongDocumentPages; ++page)
        pages.push_back([draw, page](HDC dc, const GDIINFO& info) { return draw(dc, info, page); });
    return pages;
}

struct Printer {
    std::wstring driver, name;
    std::vector<BYTE> devmode;
};

struct Timing {
    double msPerPage = 0;
    double bytesPerPage = 0;
    bool ok = false;
};

// The best of `repeats` runs, so that a busy machine disturbs the figure least.
Timing Measure(const Printer& printer, const std::wstring& output, const std::vector<printhost::PageDrawer>& pages,
               int repeats, std::wstring* error)
{
    printhost::PrintRequest request;
    request.printer = printer.name;
    request.outputFile = output;
    request.devmode = printer.devmode;
    request.documentName = L"job bench";
    Timing timing;
    double best = 1e30;
    for (int run = 0; run < repeats; ++run) {
        DeleteFileW(output.c_str());
        const auto start = std::chrono::steady_clock::now();
        if (printhost::PrintDocument(request, pages, error) != printhost::kOk)
            return timing;
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(output.c_str(), GetFileExInfoStandard, &data);
    DeleteFileW(output.c_str());
    timing.msPerPage = 1000.0 * best / double(pages.size());
    timing.bytesPerPage = double(data.nFileSizeLow) / double(pages.size());
    timing.ok = true;
    return timing;
}

bool Install(const printhost::DriverPackage& package, const std::wstring& printer, std::wstring* error)
{
    return printhost::InstallDriverPackage(package, error) && printhost::AddFilePortPrinter(printer, package.driverName, error);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const int repeats = argc > 1 ? std::max(1, _wtoi(argv[1])) : 3;
    const std::wstring only = argc > 2 ? argv[2] : L"";
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    dir = dir.substr(0, dir.find_last_of(L"\\/"));
    const std::wstring id = std::to_wstring(GetCurrentProcessId());

    Printer null{L"Job Bench Null Driver " + id, L"Job Bench Null Printer " + id, {}};
    Printer morva{L"Job Bench MORVA Driver " + id, L"Job Bench MORVA Printer " + id, {}};
    std::wstring error;
    const printhost::DriverPackage nullPackage{null.driver, dir, L"printhost_nullgr.dll", L"", L"printhost_nullgr.dll", {}};
    const printhost::DriverPackage morvaPackage{
        morva.driver, dir, L"morvagr.dll", L"printhost_recui.dll", L"C4530.DDD",
        {L"C4530X.DDD", L"C4530RES.DLL", L"C4530FAX.DLL", L"morvadm.dll", L"morvares.dll"}};
    // The job's resolution (348) is what the interface library fills in from
    // the print quality; the host's stand-in does not, so it is given here.
    if (!Install(nullPackage, null.name, &error) || !Install(morvaPackage, morva.name, &error) ||
        !printhost::ModelDefaultDevmode(morva.name, &morva.devmode, &error) ||
        !printhost::ApplySettingPairs(&morva.devmode, {L"348=600"}, &error)) {
        std::fwprintf(stderr, L"job_bench: %ls\n", error.c_str());
        return 1;
    }
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring output = std::wstring(temp) + L"job_bench.prn";

    struct Document {
        const wchar_t* name;
        std::vector<printhost::PageDrawer> pages;
    } documents[] = {
        {L"sample pages", printhost::SamplePages()},
        {L"100 text pages", LongDocument(TextPage)},
        {L"100 vector pages", LongDocument(VectorPage)},
    };
    int code = 0;
    std::fwprintf(stdout, L"%-18ls %10ls %12ls %12ls %12ls %12ls\n", L"document", L"pages/s", L"ms/page", L"host ms",
                  L"driver ms", L"bytes/page");
    auto chosen = [&](const Document& d) { return only.empty() || std::wstring(d.name).find(only) != std::wstring::npos; };
    for (const Document& document : documents) {
        if (!chosen(document)) continue;
        const Timing real = Measure(morva, output, document.pages, repeats, &error);
        const Timing host = Measure(null, output, document.pages, repeats, &error);
        if (!real.ok || !host.ok) {
            std::fwprintf(stderr, L"job_bench: %ls: %ls\n", document.name, error.c_str());
            code = 1;
            break;
        }
        std::fwprintf(stdout, L"%-18ls %10.1f %12.2f %12.2f %12.2f %12.0f\n", document.name, 1000.0 / real.msPerPage,
                      real.msPerPage, host.msPerPage, real.msPerPage - host.msPerPage, real.bytesPerPage);
    }
    printhost::InstalledDriver installed;
    if (code == 0 && printhost::FindPrinterDriver(morva.name, &installed, &error) &&
        jobbench::AttachDdiTiming(installed.graphicsDll, &error)) {
        for (const Document& document : documents) {
            if (!chosen(document)) continue;
            jobbench::StartTiming();
            const Timing once = Measure(morva, output, document.pages, 1, &error);
            jobbench::StopTiming(once.msPerPage * double(document.pages.size()) / 1000.0);
            if (!once.ok) break;
            std::fwprintf(stdout, L"\n%ls, %.2f ms/page, by where the time goes:\n", document.name, once.msPerPage);
            jobbench::PrintTiming(stdout, double(document.pages.size()));
        }
        jobbench::DetachDdiTiming();
    }
    printhost::RemovePrinter(morva.name, &error);
    printhost::RemovePrinter(null.name, &error);
    printhost::RemoveDriverPackage(morva.driver, &error);
    printhost::RemoveDriverPackage(null.driver, &error);
    return code;
}
