// The model the settings benchmarks run on: the file named by the first
// argument (C4530.DDD by default, in the current folder) with a context made
// from it alone, and the number of calls from the second argument.
#pragma once
#include "common/context/settings_context.h"
#include "common/model/model_data.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

struct BenchModel {
    ModelDataRecord main{};
    ModelDataRecord linked{};
    SettingsContext context{&main, &linked, nullptr, nullptr, nullptr};  // points into this record
    long calls = 2000;

    BenchModel() = default;
    BenchModel(const BenchModel&) = delete;
    BenchModel& operator=(const BenchModel&) = delete;
};

// 0 loaded; 2 when the model's name cannot be taken; 1 when the model cannot
// be loaded (said on stderr).
inline int LoadBenchModel(int argc, char** argv, BenchModel& bench)
{
    wchar_t model[MAX_PATH] = L"C4530.DDD";
    if (argc > 1 && MultiByteToWideChar(CP_ACP, 0, argv[1], -1, model, MAX_PATH) == 0)
        return 2;
    if (argc > 2)
        bench.calls = std::atol(argv[2]);
    if (LoadModelDataFile(model, &bench.main, &bench.linked) != kModelOk) {
        std::fwprintf(stderr, L"cannot load %ls\n", model);
        return 1;
    }
    return 0;
}
