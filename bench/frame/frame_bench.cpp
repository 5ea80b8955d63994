// The checks every DDI call of the graphics library pays: the device-record
// check (live-record registry and both magics, under the lock) and the escape
// table lookup. Reports millions of calls per second.
// Run under wine: frame_bench.exe [calls]
#include "common/system/lock_table.h"
#include "render/device/pdev_record.h"
#include "render/frame/escape_records.h"
#include "render/frame/escape_table.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

template <typename F>
double CallsPerSecond(long calls, F body)
{
    const auto start = std::chrono::steady_clock::now();
    long sink = 0;
    for (long i = 0; i < calls; ++i)
        sink += body(i);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (sink == -1)
        std::puts("");
    return calls / seconds / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    const long calls = argc > 1 ? std::atol(argv[1]) : 2000000;
    SetLockLayout(&kGraphicsLibraryLocks);
    InitAllLocks();
    for (int live : {1, 4, 16}) {
        std::vector<PDevRecord*> records;
        for (int i = 0; i < live; ++i)
            records.push_back(AllocPdevRecord());
        for (PDevRecord* r : records)
            r->magic = r->magicEnd = kPdevMagic;
        PDevRecord* last = records.back();
        const double rate = CallsPerSecond(calls, [&](long) { return IsValidPdev(last) ? 1 : 0; });
        std::printf("IsValidPdev, %2d live records: %7.2f M calls/s\n", live, rate);
        for (PDevRecord* r : records)
            FreePdevRecord(r);
    }
    const uint32_t codes[] = {kEscSetSettings, kEscQueryOverlays, kEscSetPaperRegion, kEscDrawControl, 20514};
    const double rate = CallsPerSecond(calls, [&](long i) { return FindEscapeRow(codes[i % 5]) ? 1 : 0; });
    std::printf("FindEscapeRow: %7.2f M calls/s\n", rate);
    DeleteAllLocks();
    return 0;
}
