// Colour conversion speed of an A4 photograph at 300 dpi through the 17-point
// grid, through the matrix with curves, through the job's image stages (a
// grid profile and an adjustment matrix on rows), and as a job's image rows
// of red, green, blue (in colour, and made grey with and without stages), in
// megapixels per second on one core; then the page's colour detection of a
// grey page.
// Run under wine: colour_bench.exe [rounds]
#include "render/device/pdev_record.h"
#include "render/image/colour_census.h"
#include "render/image/colour_conversion.h"
#include "render/image/colour_transform.h"
#include "render/image/job_colour.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = 2480, kHeight = 3508;

// Smooth gradients with grain, so that every cell and tetrahedron is visited.
std::vector<uint8_t> MakePhotograph()
{
    std::vector<uint8_t> pixels(size_t{kWidth} * kHeight * 3);
    std::mt19937 random(7);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* p = &pixels[(size_t{y} * kWidth + x) * 3];
            const int grain = static_cast<int>(random() % 17) - 8;
            p[0] = static_cast<uint8_t>(std::clamp(x * 255 / kWidth + grain, 0, 255));
            p[1] = static_cast<uint8_t>(std::clamp(y * 255 / kHeight + grain, 0, 255));
            p[2] = static_cast<uint8_t>(std::clamp(static_cast<int>(128 + 120 * std::sin(x * 0.01 + y * 0.003)), 0, 255));
        }
    return pixels;
}

// A grid transform of a gamma-2.2 device whose colours are mixed a little.
void MakeGrid(ColourTransform* transform)
{
    for (int i = 0; i < 256; ++i)
        for (auto& curve : transform->curves)
            curve[i] = static_cast<uint16_t>(std::lround(65535.0 * std::pow(i / 255.0, 2.2)));
    transform->grid.resize(kTransformGridValues);
    for (int i = 0; i < 17; ++i)
        for (int j = 0; j < 17; ++j)
            for (int k = 0; k < 17; ++k) {
                const double in[3] = {i / 16.0, j / 16.0, k / 16.0};
                uint16_t* node = &transform->grid[((i * 17 + j) * 17 + k) * 3];
                for (int c = 0; c < 3; ++c) {
                    const double v = 0.9 * in[c] + 0.05 * in[(c + 1) % 3] + 0.05 * in[(c + 2) % 3];
                    node[c] = static_cast<uint16_t>(std::lround(65535.0 * v));
                }
            }
    transform->mode = kTransformGrid;
}

double Run(const char* name, const ColourTransform& transform, const std::vector<uint8_t>& photo, int rounds)
{
    std::vector<uint8_t> out(photo.size());
    const auto start = std::chrono::steady_clock::now();
    for (int r = 0; r < rounds; ++r)
        for (int y = 0; y < kHeight; ++y)
            ApplyColourTransform(&transform, &photo[size_t{y} * kWidth * 3], &out[size_t{y} * kWidth * 3], kWidth);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double megapixels = double{kWidth} * kHeight * rounds / 1e6;
    unsigned sum = 0;
    for (size_t i = 0; i < out.size(); i += 4099)
        sum += out[i];
    std::printf("%-22s %8.1f MP/s  (%.1f MP in %.3f s, check %u)\n", name, megapixels / seconds, megapixels, seconds,
                sum);
    return megapixels / seconds;
}

// The rows as an image band goes through the job's stages, in place.
void RunStages(const ColourConversionBinding& binding, const std::vector<uint8_t>& photo, int rounds)
{
    std::vector<uint8_t> rows(photo);
    const auto start = std::chrono::steady_clock::now();
    for (int r = 0; r < rounds; ++r)
        ConvertColourRows(&binding, 0, false, rows.data(), kWidth, kHeight, kWidth * 3);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double megapixels = double{kWidth} * kHeight * rounds / 1e6;
    std::printf("%-22s %8.1f MP/s  (%.1f MP in %.3f s, check %u)\n", "image stages (grid+m)", megapixels / seconds,
                megapixels, seconds, unsigned{rows[rows.size() / 2]});
}

// The photograph as a job's image band (red, green, blue rows) through the
// device record's conversion, in colour or made grey.
void RunJobRows(const char* name, ColourConversionBinding* binding, bool grey, const std::vector<uint8_t>& photo,
                int rounds)
{
    auto* pdev = new PDevRecord{};
    pdev->colour = binding;
    std::vector<uint8_t> rows(photo.size());
    double seconds = 0;
    for (int r = 0; r < rounds; ++r) {
        std::copy(photo.begin(), photo.end(), rows.begin());
        const auto start = std::chrono::steady_clock::now();
        ConvertImageRows(pdev, rows.data(), kWidth, kHeight, kWidth * 3, grey);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    const double megapixels = double{kWidth} * kHeight * rounds / 1e6;
    std::printf("%-22s %8.1f MP/s  (%.1f MP in %.3f s, check %u)\n", name, megapixels / seconds, megapixels, seconds,
                unsigned{rows[rows.size() / 7]});
    pdev->colour = nullptr;
    delete pdev;
}

// The page's colour detection over a grey photograph: every pixel is looked
// at (a colour page stops at its first colour pixel).
void RunPageColours(const std::vector<uint8_t>& photo, int rounds, bool tolerant)
{
    std::vector<uint8_t> grey(photo.size());
    for (size_t i = 0; i < photo.size(); i += 3)
        grey[i] = grey[i + 1] = grey[i + 2] = photo[i + 1];
    PDevRecord* pdev = AllocPdevRecord();
    if (pdev == nullptr)
        return;
    double seconds = 0;
    uint32_t state = 0;
    for (int round = 0; round < rounds; ++round) {
        BeginPageColours(pdev);
        if (pdev->pageColours == nullptr)
            break;
        pdev->pageColours->tolerant = tolerant;
        const auto start = std::chrono::steady_clock::now();
        NotePagePixels(pdev, grey.data(), uint32_t{kWidth} * kHeight);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state = pdev->pageColours->state;
    }
    const double megapixels = double{kWidth} * kHeight * rounds / 1e6;
    std::printf("%-22s %8.1f MP/s  (%.1f MP in %.3f s, state %u)\n", tolerant ? "page colours, tolerant" : "page colours, exact",
                megapixels / seconds, megapixels, seconds, unsigned{state});
    FreePdevRecord(pdev);
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::vector<uint8_t> photo = MakePhotograph();
    ColourTransform grid;
    MakeGrid(&grid);
    Run("17-point grid", grid, photo, rounds);
    ColourTransform matrix;
    BuildTemperatureTransform(&matrix, 5000, 22);
    Run("matrix, 5000 K", matrix, photo, rounds);
    ColourConversionBinding binding;
    MakeGrid(&binding.transforms[0]);
    binding.flags = kStageFirstProfile | kStageCommonMatrix;
    BuildColorAdjustMatrix(&binding.matrices[0], 10, 10, 10);
    RunStages(binding, photo, rounds);
    RunJobRows("job rows (grid+m)", &binding, false, photo, rounds);
    binding.greyImages = true;
    RunJobRows("job rows grey (grid+m)", &binding, true, photo, rounds);
    ColourConversionBinding greyOnly;
    greyOnly.greyImages = true;
    RunJobRows("job rows grey", &greyOnly, true, photo, rounds);
    RunPageColours(photo, rounds, false);
    RunPageColours(photo, rounds, true);
    return 0;
}
