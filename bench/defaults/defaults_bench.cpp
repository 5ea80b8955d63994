// Fills a settings record and a printer settings record with the defaults of a
// model and reports fills per second. Run under wine from the folder of the
// model files: defaults_bench.exe [model.DDD] [fills]
//
// The context is made from the model file alone (no printer): no site
// configuration, no paper list.
#include "bench/support/bench_model.h"
#include "common/context/settings_context.h"
#include "common/defaults/setting_defaults.h"
#include "common/model/model_data.h"
#include "common/settings/value_types.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv)
{
    BenchModel bench;
    if (const int failed = LoadBenchModel(argc, argv, bench))
        return failed;
    SettingsContext& context = bench.context;
    const long fills = bench.calls;
    std::vector<uint8_t> settings(kSettingsRecordSize), printer(kPrinterSettingsRecordSize);

    long failures = 0;
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < fills; ++i)
        failures += FillDefaultSettings(&context, settings.data(), printer.data(), L"Benchmark printer") != 1;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::printf("%ld fills of both records in %.3f s: %.0f fills/s (%ld failed)\n", fills, seconds,
                seconds > 0 ? fills / seconds : 0.0, failures);
    CloseModelData(&bench.main, &bench.linked);
    return failures != 0;
}
