// Merges and converts DEVMODEs and reports calls per second: the merge runs at
// every printer DC the interface library prepares, the conversion whenever the
// spooler hands a stored DEVMODE back. Run under wine from the folder of the
// model files: devmode_bench.exe [model.DDD] [calls]
//
// The context is made from the model file alone (no printer, no forms): the
// paper fields resolve to nothing and the conversion's printer steps are not
// taken.
#include "bench/support/bench_model.h"
#include "common/context/settings_context.h"
#include "common/defaults/setting_defaults.h"
#include "common/devmode/devmode_convert.h"
#include "common/devmode/devmode_merge.h"
#include "common/model/model_data.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_types.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

namespace {

void Report(const char* what, long calls, const std::function<bool()>& call)
{
    long failures = 0;
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < calls; ++i)
        failures += call() ? 0 : 1;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-36s %ld calls in %.3f s: %.0f calls/s (%ld failed)\n", what, calls, seconds,
                seconds > 0 ? calls / seconds : 0.0, failures);
}

}  // namespace

int main(int argc, char** argv)
{
    BenchModel bench;
    if (const int failed = LoadBenchModel(argc, argv, bench))
        return failed;
    SettingsContext& context = bench.context;
    const long calls = bench.calls;
    std::vector<uint8_t> defaults(kSettingsRecordSize), printer(kPrinterSettingsRecordSize);
    if (FillDefaultSettings(&context, defaults.data(), printer.data(), L"Benchmark printer") != 1) {
        std::fprintf(stderr, "no defaults\n");
        return 1;
    }
    std::vector<uint8_t> output(kSettingsRecordSize);
    std::vector<uint8_t> foreign(defaults.begin(), defaults.begin() + kPublicDevmodeSize);
    const uint16_t noDriverPart = 0;
    std::memcpy(foreign.data() + 70, &noDriverPart, 2);
    std::vector<uint8_t> older = defaults;
    const uint16_t olderVersion = 21016;
    std::memcpy(older.data() + 220, &olderVersion, 2);

    Report("merge of an own DEVMODE", calls, [&] {
        output = defaults;
        return MergeInputDevmode(&context, output.data(), defaults.data(), printer.data(), nullptr, kMergeCheck) == 1;
    });
    Report("merge of a foreign DEVMODE", calls, [&] {
        output = defaults;
        return MergeInputDevmode(&context, output.data(), foreign.data(), printer.data(), nullptr, kMergeAccept) == 1;
    });
    Report("conversion, copied", calls, [&] {
        DWORD size = kPrivatePartOffset;
        return HandleConvertDevmode(nullptr, &context, defaults.data(), output.data(), &size, kConvertDevmode) ==
               kConvertCopied;
    });
    Report("conversion, migrated", calls, [&] {
        DWORD size = kPrivatePartOffset;
        return HandleConvertDevmode(nullptr, &context, older.data(), output.data(), &size, kConvertDevmode) ==
               kConvertMigrated;
    });
    CloseModelData(&bench.main, &bench.linked);
    return 0;
}
