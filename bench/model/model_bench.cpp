// Times the model data lookups that the settings code makes for every setting:
// a record by identifier, a record by position, an option by value (a walk of
// the paper options) and a model default. Run under wine from the folder of
// the reference models: model_bench.exe [rounds]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "common/model/model_kinds.h"

namespace {

template <typename F>
void Time(const char* what, long rounds, F step) {
    long failures = 0;
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < rounds; ++i) failures += step(i) != kModelOk;
    const double ns =
        std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() / rounds;
    printf("%-36s %10.0f ns per lookup  (%ld failed)\n", what, ns, failures);
}

}  // namespace

int main(int argc, char** argv) {
    const long rounds = argc > 1 ? std::atol(argv[1]) : 20000;
    ModelDataRecord main{}, linked{};
    if (LoadModelDataFile(L"C4530.DDD", &main, &linked) != kModelOk) {
        fprintf(stderr, "C4530.DDD not found in the current folder\n");
        return 1;
    }
    const uint16_t papers[] = {1, 9, 37, 266};
    Time("paper record by identifier", rounds, [&](long i) {
        uint8_t file = 0;
        uint32_t offset = 0;
        return FindModelRecordById(&main, kKindPaper, papers[i % 4], &file, &offset);
    });
    Time("paper section by position (parsed)", rounds, [&](long i) {
        ModelSection* s = nullptr;
        const uint16_t status = LoadModelTable(false, &main, &linked, kKindPaper, 1 + i % 26, &s);
        FreeModelSection(&s, kKindOwn);
        return status;
    });
    Time("paper option by value (walk)", rounds / 10, [&](long i) {
        const uint64_t value = papers[i % 3];
        ModelSection* s = nullptr;
        uint16_t kind = 0;
        const uint16_t status = LoadItemFeature(true, &main, &linked, 8, &value, &kind, &s, nullptr);
        FreeModelSection(&s, kKindOwn);
        return status;
    });
    Time("model default of duplex", rounds, [&](long) {
        ModelValue v;
        return ReadModelDefault(&main, &linked, 16, &v);
    });
    Time("raw section 39, entry 1", rounds, [&](long) {
        uint32_t word = 0;
        return ReadModelSectionEntry(&main, kRawCapabilityWords12, 4, 1, &word);
    });
    CloseModelData(&main, &linked);
    return 0;
}
