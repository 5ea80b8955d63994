// Gets and sets a mix of setting identifiers through the engine and reports
// operations per second. Run under wine: settings_bench.exe [rounds]
#include "common/settings/value_engine.h"
#include "common/settings/value_types.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Op {
    uint16_t id;
    uint16_t type;
    uint32_t size;
    uint64_t value;
};

// Early and late rows of each area, flags of all four tables, a packed byte,
// the computed resolution word, a byte reported as u16 and a string read.
const Op kMix[] = {
    {7, kTypeS16, 2, 1},          {8, kTypeS16, 2, 9},          {14, kTypeU32, 4, (600u << 16) | 600},
    {264, kTypeU16, 2, 3},        {295, kTypeU16, 2, 4},        {393, kTypeU32, 4, 0x0300},
    {1290, kTypeFlag, 4, 1},      {1370, kTypeFlag, 4, 0},      {1863, kTypeS16, 2, 2100},
    {2500, kTypeFlag, 4, 1},      {4111, kTypeFlag, 4, 1},      {4620, kTypeFlag, 4, 1},
    {5178, kTypeU16, 2, 7},       {6300, kTypeU16, 2, 12},      {8205, kTypeU32, 4, 0x01020018},
    {8216, kTypeU16, 2, 1},
};
const uint16_t kStringReads[] = {259, 1830, 5948, 8213};

}  // namespace

int main(int argc, char** argv)
{
    const long rounds = argc > 1 ? std::atol(argv[1]) : 200000;
    std::vector<uint8_t> settings(kSettingsRecordSize), printer(kPrinterSettingsRecordSize);

    uint64_t failures = 0, operations = 0;
    const auto start = std::chrono::steady_clock::now();
    for (long round = 0; round < rounds; ++round) {
        for (const Op& op : kMix) {
            uint64_t holder = op.value;
            failures += dma_SetValue(op.id, settings.data(), printer.data(), op.type, op.size, &holder) != 0;
            uint16_t type = 0, kind = 0;
            uint32_t size = 0;
            failures += dma_GetValue(op.id, settings.data(), printer.data(), &type, &size, &holder, &kind) != 0;
            operations += 2;
        }
        for (uint16_t id : kStringReads) {
            uint64_t holder = 0;
            uint16_t type = 0, kind = 0;
            uint32_t size = 0;
            failures += dma_GetValue(id, settings.data(), printer.data(), &type, &size, &holder, &kind) != 0;
            ++operations;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("settings engine: %llu get/set operations in %.3f s = %.0f operations per second (%llu failed)\n",
                static_cast<unsigned long long>(operations), seconds, operations / seconds,
                static_cast<unsigned long long>(failures));
    return failures == 0 ? 0 : 1;
}
