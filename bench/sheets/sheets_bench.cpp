// sheets_bench [RUNS]: opens the document sheet of a colour reference printer
// RUNS times (10 by default) through the installed interface library and
// reports the median and best of the spans: from the call to the sheet shown
// with all its pages created, from OK to the DEVMODE stored in the caller's
// output, and the closing of the sheet after that (under wine without a window
// manager mostly its wait for the window to be withdrawn).
#include "printhost/install.h"

#include <windows.h>

#include <commctrl.h>
#include <prsht.h>
#include <winspool.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using DocumentPropertiesFn = LONG(WINAPI*)(HWND, HANDLE, LPWSTR, PDEVMODEW, PDEVMODEW, DWORD);

struct Run {
    Clock::time_point start;
    Clock::time_point opened;
    Clock::time_point okPressed;
    Clock::time_point stored;
    Clock::duration openNotes{};
    Clock::duration storeNotes{};
    bool found = false;
};
Run* current = nullptr;
UINT_PTR timer = 0;
Clock::time_point noteStart;
Clock::duration noteTime{};
int notes = 0;

HWND FindSheet()
{
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM out) -> BOOL {
            if (IsWindowVisible(window) && PropSheet_GetTabControl(window)) {
                *reinterpret_cast<HWND*>(out) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Polls until the sheet is up, creates every page, then presses OK.
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
{
    HWND sheet = current && !current->found ? FindSheet() : nullptr;
    if (!sheet)
        return;
    KillTimer(nullptr, timer);
    current->found = true;
    const int pages = TabCtrl_GetItemCount(PropSheet_GetTabControl(sheet));
    for (int i = pages - 1; i >= 0; --i)
        PropSheet_SetCurSel(sheet, nullptr, i);
    current->opened = Clock::now();
    current->openNotes = noteTime;
    current->okPressed = Clock::now();
    // The OK button's command, sent: the pages' Apply (and the store) run
    // inside it, while PSM_PRESSBUTTON would only post it.
    SendMessageW(sheet, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(sheet, IDOK)));
    current->stored = Clock::now();
    current->storeNotes = noteTime - current->openNotes;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void Report(const char* what, std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    std::printf("%-44s median %8.2f ms   best %8.2f ms   (%zu runs)\n", what, values[values.size() / 2], values.front(),
                values.size());
}

// Closes the conflict notes the sheet may show, so that no run waits on one,
// and counts the time from a note's creation to its end: the platform's
// message box, not the driver's work, which the spans report without it.
bool IsNote(HWND window)
{
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    return lstrcmpW(name, L"#32770") == 0 && GetDlgItem(window, 0xFFFF) && !PropSheet_GetTabControl(window);
}

LRESULT CALLBACK CloseNotes(int code, WPARAM wParam, LPARAM lParam)
{
    HWND window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_CREATEWND) {
        const auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
        if (create->lpcs->lpszClass == MAKEINTATOM(32770) || (!IS_INTRESOURCE(create->lpcs->lpszClass) &&
                                                              lstrcmpW(create->lpcs->lpszClass, L"#32770") == 0))
            noteStart = Clock::now();
    } else if (code == HCBT_ACTIVATE && IsNote(window) && !GetPropW(window, L"BenchNote")) {
        SetPropW(window, L"BenchNote", reinterpret_cast<HANDLE>(1));
        ++notes;
        PostMessageW(window, WM_COMMAND, IDOK, 0);
    } else if (code == HCBT_DESTROYWND && GetPropW(window, L"BenchNote")) {
        RemovePropW(window, L"BenchNote");
        noteTime += Clock::now() - noteStart;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 10;
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    dir = dir.substr(0, dir.find_last_of(L"\\/"));
    const std::wstring id = std::to_wstring(GetCurrentProcessId());
    const std::wstring driver = L"Sheets Bench Driver " + id;
    std::wstring printer = L"Sheets Bench Printer " + id;
    const printhost::DriverPackage package{driver, dir, L"morvagr.dll", L"morvaui.dll", L"C4530.DDD",
        {L"C4530X.DDD", L"C4530RES.DLL", L"C4530FAX.DLL", L"morvadm.dll", L"morvares.dll"}};
    std::wstring error;
    if (!printhost::InstallDriverPackage(package, &error) || !printhost::AddFilePortPrinter(printer, driver, &error)) {
        std::fwprintf(stderr, L"sheets_bench: %ls\n", error.c_str());
        return 1;
    }
    printhost::InstalledDriver installed;
    HMODULE library = printhost::FindInstalledDriver(driver, &installed, &error)
                          ? LoadLibraryW(installed.interfaceDll.c_str())
                          : nullptr;
    auto properties = library ? reinterpret_cast<DocumentPropertiesFn>(
                                    reinterpret_cast<void (*)()>(GetProcAddress(library, "DrvDocumentProperties")))
                              : nullptr;
    HANDLE handle = nullptr;
    int status = 0;
    if (!properties || !OpenPrinterW(printer.data(), &handle, nullptr)) {
        std::fwprintf(stderr, L"sheets_bench: the interface library or the printer cannot be opened\n");
        status = 1;
    }
    HHOOK hook = SetWindowsHookExW(WH_CBT, CloseNotes, nullptr, GetCurrentThreadId());
    std::vector<double> open;
    std::vector<double> ok;
    std::vector<double> closing;
    std::vector<BYTE> output(properties ? properties(nullptr, handle, printer.data(), nullptr, nullptr, 0) : 0);
    for (int i = 0; i < runs && status == 0; ++i) {
        Run run;
        noteTime = {};
        current = &run;
        timer = SetTimer(nullptr, 0, 1, Tick);
        run.start = Clock::now();
        const LONG answer = properties(nullptr, handle, printer.data(), reinterpret_cast<DEVMODEW*>(output.data()),
                                       nullptr, DM_PROMPT | DM_COPY);
        const Clock::time_point done = Clock::now();
        current = nullptr;
        if (answer != IDOK || !run.found) {
            std::fwprintf(stderr, L"sheets_bench: the sheet answered %ld\n", answer);
            status = 1;
            break;
        }
        open.push_back(Ms(run.opened - run.start - run.openNotes));
        ok.push_back(Ms(run.stored - run.okPressed - run.storeNotes));
        closing.push_back(Ms(done - run.stored - (noteTime - run.openNotes - run.storeNotes)));
    }
    if (hook)
        UnhookWindowsHookEx(hook);
    if (status == 0) {
        Report("open the document sheet, every page created", open);
        Report("OK to the DEVMODE stored in the output", ok);
        Report("closing the sheet (wine's window teardown)", closing);
        std::printf("(without the %d conflict notes shown, closed at once; opening includes one timer tick of the "
                    "bench's polling)\n", notes);
    }
    if (handle)
        ClosePrinter(handle);
    printhost::RemovePrinter(printer, &error);
    printhost::RemoveDriverPackage(driver, &error);
    return status;
}
