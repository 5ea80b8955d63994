// The settings illustration is built again after every settings change: the
// snapshot of the settings, the layer rows, the bitmaps from the resource
// file and the transparent composition. Reports milliseconds per change for
// a few characteristic settings. Run under wine beside morvares.dll and a
// model file: illustration_bench.exe [model.DDD] [changes]
#include "bench/support/bench_model.h"
#include "common/defaults/setting_defaults.h"
#include "common/settings/value_types.h"
#include "ui/illustration/illustration_layers.h"
#include "ui/illustration/layer_drawing.h"
#include "ui/illustration/picture_status.h"

#include <chrono>
#include <vector>

namespace {

struct Change {
    const char* name;
    uint16_t pages, duplex, staple, colour;
};

constexpr Change kChanges[] = {
    {"1 page", 1, 1, 0, 0}, {"2 pages, duplex", 2, 2, 0, 0}, {"16 pages", 16, 1, 0, 1}, {"stapled", 1, 1, 1, 0}};

}  // namespace

int main(int argc, char** argv)
{
    BenchModel bench;
    bench.calls = 500;
    if (int status = LoadBenchModel(argc, argv, bench))
        return status;
    HMODULE resources = LoadLibraryExW(L"morvares.dll", nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (!resources) {
        std::fprintf(stderr, "cannot load morvares.dll\n");
        return 1;
    }
    std::vector<uint8_t> settings(kSettingsRecordSize), printerSettings(kPrinterSettingsRecordSize);
    if (FillDefaultSettings(&bench.context, settings.data(), printerSettings.data(), L"Benchmark") != 1) {
        std::fprintf(stderr, "cannot fill the defaults\n");
        return 1;
    }
    HWND window = GetDesktopWindow();
    HDC screen = GetDC(nullptr);
    HDC target = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 200, 130);
    SelectObject(target, canvas);
    const RECT area{0, 0, 200, 130};
    IllustrationSources sources{&bench.context, nullptr, settings.data(), printerSettings.data(), nullptr};
    for (const Change& change : kChanges) {
        auto start = std::chrono::steady_clock::now();
        long drawn = 0;
        for (long i = 0; i < bench.calls; ++i) {
            IllustrationState state{};
            if (ReadIllustrationState(&sources, &state) != 0)
                break;
            state.pagesPerSheet = change.pages;
            state.pageOrder = change.pages > 2 ? 3 : 1;
            state.duplex = change.duplex;
            state.setting320 = change.staple;
            state.colourMode = change.colour;
            state.sheetOrientation = SheetOrientation(state.orientation, state.pagesPerSheet);
            IllustrationModel model{};
            IllustrationEntryList entries{};
            BitmapLayer* list = nullptr;
            HPALETTE palette = nullptr;
            if (ChooseIllustrationRows(&state, &model, &entries) == kPictureOk &&
                AssembleIllustrationLayers(resources, window, &entries, &list, &palette) == kPictureOk &&
                DrawBitmapLayers(resources, window, target, &area, list, palette, true, true,
                                 kBackgroundButtonFace) == kPictureOk)
                ++drawn;
            FreeBitmapLayers(list);
            if (palette)
                DeleteObject(palette);
        }
        double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::printf("%-16s %ld of %ld drawn, %.3f ms per change\n", change.name, drawn, bench.calls,
                    ms / static_cast<double>(bench.calls));
    }
    DeleteDC(target);
    DeleteObject(canvas);
    ReleaseDC(nullptr, screen);
    return 0;
}
