// The dialog engine on the synthetic page (one control of every kind): opening
// the page (states, option lists and the constraint state of every option),
// and one value change through ApplyItemValueChange with its conflict check and
// the refresh of the page. Needs a display (under wine an X server in DISPLAY).
// The model is installed as a printer of the test prefix's spooler for the run.
//   engine_bench.exe [rounds]     (200 by default)
#include "common/context/settings_context.h"
#include "common/defaults/setting_defaults.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_types.h"
#include "tests/support/model_printer.h"
#include "tests/ui_engine/synthetic_page.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/item_changes.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/ui_context.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

INT_PTR CALLBACK EngineProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    SlotHandler handler = nullptr;
    int32_t slot = -1;
    if (!FindMessageHandler(message, wParam, lParam, kDialogTypeModal, &handler, &slot))
        return FALSE;
    return CallMessageHandler(window, message, wParam, lParam, kSyntheticDialogCode, kDialogTypeModal, handler);
}

INT_PTR CALLBACK PlainProcedure(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    const long calls = argc > 1 ? std::atol(argv[1]) : 200;
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    ModelPrinter* printer = OpenSuitePrinter(L"C4530.DDD", L"Morva Engine Bench C4530");
    SettingsContext* settingsContext = printer ? OpenSettingsContext(printer->handle()) : nullptr;
    std::vector<uint8_t> settings(kSettingsRecordSize), printerSettings(kPrinterSettingsRecordSize);
    if (!settingsContext ||
        FillDefaultSettings(settingsContext, settings.data(), printerSettings.data(), L"Benchmark") != 1) {
        std::fprintf(stderr, "cannot open the printer's settings\n");
        return 1;
    }
    const PageDescriptor* const pages[] = {&SyntheticPage};
    UiContext ui{};
    ui.printer = printer->handle();
    ui.settings = settingsContext;
    ui.permission = 1;
    ui.pageCheckDone = 1;
    ui.tables = CreateDialogTableSet(pages, std::size(pages));
    SettingsSet set{settings.data(), printerSettings.data()};
    DialogContext* context = CreateDialogContext(nullptr, &ui, &set, nullptr);
    HWND host = CreateWindowExW(0, L"#32770", L"", WS_POPUP, 0, 0, 600, 500, nullptr, nullptr, nullptr, nullptr);
    if (!ui.tables || !context || !host) {
        std::fprintf(stderr, "cannot set up the sheet\n");
        return 1;
    }

    std::vector<double> opens;
    for (long i = 0; i < calls; ++i) {
        const auto start = Clock::now();
        HWND page = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kSyntheticPageTemplate), host,
                                       EngineProcedure, reinterpret_cast<LPARAM>(context));
        opens.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (!page) {
            std::fprintf(stderr, "cannot open the page\n");
            return 1;
        }
        DestroyWindow(page);
    }

    // The same window without the engine: what the window system itself takes.
    std::vector<double> plain;
    for (long i = 0; i < calls; ++i) {
        const auto start = Clock::now();
        HWND page = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kSyntheticPageTemplate), host,
                                       PlainProcedure, 0);
        plain.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        DestroyWindow(page);
    }

    HWND page = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kSyntheticPageTemplate), host,
                                   EngineProcedure, reinterpret_cast<LPARAM>(context));
    const ItemRecord* paper = FindItemRecord(page, kSyntheticDialogCode, kSynPaperCombo);
    std::vector<double> changes;
    long applied = 0;
    for (long i = 0; paper && i < calls; ++i) {
        CallContext call{};
        InitCallContext(&call, page, host, kSyntheticDialogCode, WM_COMMAND, kDialogTypeModal);
        const ValueEntry* entry = GetSelectedValueEntry(page, paper);
        const uint64_t value = (i % 2) ? 9 : 11;  // A4 and A5 in turn
        uint16_t* changed = nullptr;
        const auto start = Clock::now();
        const int result = entry ? ApplyItemValueChange(&call, paper, entry, entry->type, &value, &changed) : -1;
        if (result == kChangeApplied)
            RefreshDialogFromSettings(&call, changed);
        changes.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        applied += result == kChangeApplied;
        FreeGlobalIfSet(changed);
    }
    DestroyWindow(page);
    DestroyWindow(host);
    FreeDialogContext(&context);
    FreeDialogTableSet(ui.tables);
    CloseSettingsContext(settingsContext);
    CloseSuitePrinter(printer);

    std::printf("open the synthetic page: median %.3f ms (%ld opens; the bare window %.3f ms)\n", Median(opens),
                calls, Median(plain));
    std::printf("one value change with its check and refresh: median %.3f ms (%ld of %ld applied)\n",
                Median(changes), applied, calls);
    return applied == calls ? 0 : 1;
}
