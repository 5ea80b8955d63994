// Checks every option of the settings a property page weighs, as the dialogs
// do when they mark the options a user cannot choose, and reports checks per
// second. Run under wine with a printer of a reference model installed:
// constraints_bench.exe [printer name] [rounds]
#include "common/constraints/constraint_engine.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/defaults/setting_defaults.h"
#include "common/model/model_kinds.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"

#include <windows.h>
#include <winspool.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Settings of the layout, paper and finishing pages.
constexpr uint16_t kPageSettings[] = {7, 8, 13, 14, 16, 24, 262, 265, 266, 270, 274, 295, 320, 321, 322, 323, 332,
                                      334, 448, 1313};

struct Option {
    uint16_t id;
    uint16_t type;
    uint64_t value;
};

}  // namespace

int main(int argc, char** argv)
{
    wchar_t name[MAX_PATH] = L"Morva Constraints C4530";
    if (argc > 1 && MultiByteToWideChar(CP_ACP, 0, argv[1], -1, name, MAX_PATH) == 0)
        return 2;
    const long rounds = argc > 2 ? std::atol(argv[2]) : 200;
    HANDLE printer = nullptr;
    if (!OpenPrinterW(name, &printer, nullptr)) {
        std::fwprintf(stderr, L"cannot open the printer %ls\n", name);
        return 1;
    }
    SettingsContext* context = OpenSettingsContext(printer);
    std::vector<uint8_t> settings(kSettingsRecordSize), printerSettings(kPrinterSettingsRecordSize);
    if (!context || FillDefaultSettings(context, settings.data(), printerSettings.data(), L"Benchmark") != 1) {
        std::fprintf(stderr, "cannot fill the defaults\n");
        return 1;
    }
    // Every option value of every setting, with the type the setting reports.
    std::vector<Option> options;
    for (uint16_t id : kPageSettings) {
        uint16_t type = 0;
        uint32_t size = 0;
        uint64_t holder = 0;
        if (GetFunctionIdValue(id, settings.data(), printerSettings.data(), &type, &size, &holder) != 0)
            continue;
        for (uint16_t n = 1;; ++n) {
            wchar_t* optionName = nullptr;
            ModelValue value;
            if (GetItemOptionValue(context->main, context->linked, id, n, &optionName, &value) != kModelOk)
                break;
            if (optionName)
                GlobalFree(optionName);
            uint32_t number = 0;
            if (ModelValueNumber(value, &number)) {
                Option o{id, type, 0};
                CopyValueByType(&o.value, number, type);
                options.push_back(o);
            }
        }
    }
    ConstraintResult* result = AllocConstraintResult();
    long failures = 0;
    const auto start = std::chrono::steady_clock::now();
    for (long r = 0; r < rounds; ++r)
        for (const Option& o : options) {
            ResetConstraintResult(result);
            failures += CheckSettingConstraints(0, printer, context, settings.data(), printerSettings.data(), nullptr,
                                                o.id, o.type, &o.value, result, nullptr, 0) != 0;
        }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double checks = static_cast<double>(rounds) * options.size();
    std::printf("%.0f checks of %zu options in %.3f s: %.0f checks/s (%ld failed)\n", checks, options.size(), seconds,
                seconds > 0 ? checks / seconds : 0.0, failures);
    FreeConstraintResult(result);
    CloseSettingsContext(context);
    ClosePrinter(printer);
    return failures != 0;
}
