// Page placement runs once per logical page and again for every replay of a
// recorded page: reports frames per second for each N-up layout, and booklet
// page order lookups per second for a long document.
// Run under wine: page_bench.exe [rounds]
#include "render/page/booklet_order.h"
#include "render/page/page_geometry.h"

#include <chrono>
#include <cstdio>
#include <algorithm>
#include <cstdlib>

namespace {

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;
    float sink = 0.0f;
    for (int n : {1, 2, 4, 8, 16, 32}) {
        PageGeometry g = {};
        FillPaperFrame(&g.page, 9, 2100, 2970, 2000, 2870, false, nullptr);
        FillPaperFrame(&g.sheet, 9, 2100, 2970, 2000, 2870, false, nullptr);
        PageGeometrySettings s = {};
        s.orientation = 2;
        s.zoomPercent = 100;
        s.pagesPerSide = n;
        s.nupOrder = 5;
        s.duplex = 2;
        s.bindingEdge = 1;
        s.frontGutter = s.backGutter = 100;
        s.resolutionX = s.resolutionY = 600;
        if (FillPageGeometry(&g, s) != 0)
            return 1;
        const auto start = std::chrono::steady_clock::now();
        long frames = 0;
        for (int r = 0; r < rounds; ++r)
            for (int slot = 0; slot < n; ++slot) {
                PlacementMatrix m;
                if (BuildPageFrameRecord(nullptr, &m, &g, slot, r & 1) != 0)
                    return 1;
                sink += m.e;
                ++frames;
            }
        const double t = Seconds(start);
        std::printf("N=%-2d  %9ld frames  %8.3f s  %12.0f frames/s\n", n, frames, t, frames / t);
    }
    const auto start = std::chrono::steady_clock::now();
    long lookups = 0;
    for (int r = 0; r < rounds / 100 + 1; ++r) {
        const int32_t last = 999;
        const int32_t sides = BookletSideCount(0, last, false);
        for (int32_t side = 0; side < sides; ++side)
            for (int p = 0; p < 2; ++p) {
                sink += static_cast<float>(BookletPageAt(0, last, side, 1, p, false, false));
                ++lookups;
            }
    }
    const double t = Seconds(start);
    std::printf("booklet  %9ld lookups  %8.3f s  %12.0f lookups/s\n", lookups, t, lookups / t);
    return sink == 12345.0f ? 2 : 0;
}
