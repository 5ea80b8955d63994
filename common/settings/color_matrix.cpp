#include "common/settings/color_matrix.h"

#include <algorithm>

int BuildColorAdjustMatrix(ColorAdjustMatrix* matrix, int16_t brightness, int16_t saturation,
                           int16_t contrast)
{
    if (matrix == nullptr)
        return -1;
    const double b = std::clamp<int>(brightness, -100, 100);
    const double sat = std::clamp<int>(saturation, -100, 100);
    const double con = std::clamp<int>(contrast, -100, 100);
    const double k = 1.0 + con * 0.003;
    const double s = sat >= 0 ? 1.0 + sat * 0.01 : 1.0 + sat * 0.005;

    // Luma weights 0.3, 0.59, 0.11: s·(1 - w) + k·w on the diagonal, (k - s)·w
    // off it, w the weight of the column. Each row sums to k, so grey stays
    // grey whatever the saturation.
    const double coefficients[9] = {
        0.7 * s + 0.3 * k,  0.59 * (k - s),      0.11 * (k - s),
        0.3 * (k - s),      0.41 * s + 0.59 * k, 0.11 * (k - s),
        0.3 * (k - s),      0.59 * (k - s),      0.89 * s + 0.11 * k,
    };
    for (int i = 0; i < 9; ++i)
        matrix->m[i] = static_cast<int32_t>(coefficients[i] * 65536);
    const double offset = b * 0.5 + (1.0 - k) * 255;
    for (int32_t& o : matrix->offset)
        o = static_cast<int32_t>(offset * 65536);
    return 0;
}

namespace {

uint8_t ClampComponent(int64_t v)
{
    if (v < 1)
        return 0;
    if (v >= 255)
        return 255;
    return static_cast<uint8_t>(v);
}

}  // namespace

void ApplyColorAdjustMatrix(const ColorAdjustMatrix* matrix, const uint8_t* source,
                            uint8_t* destination, uint32_t pixelCount)
{
    if (source == nullptr || destination == nullptr)
        return;
    for (uint32_t i = 0; i < pixelCount; ++i, source += 3, destination += 3) {
        if (matrix == nullptr) {
            const uint8_t b = source[0], g = source[1], r = source[2];
            destination[0] = b;
            destination[1] = g;
            destination[2] = r;
            continue;
        }
        // Components widened to 16 bits, coefficients narrowed by 2 bits, so
        // that for every matrix the builder makes a row's sum stays in 32 bits.
        const int64_t rgb[3] = {source[2] * 257, source[1] * 257, source[0] * 257};
        uint8_t out[3];
        for (int row = 0; row < 3; ++row) {
            const int32_t* m = matrix->m + row * 3;
            const int64_t sum = int64_t{m[0] >> 2} * rgb[0] + int64_t{m[1] >> 2} * rgb[1] +
                                int64_t{m[2] >> 2} * rgb[2];
            out[row] = ClampComponent((sum >> 22) + (matrix->offset[row] >> 16));
        }
        destination[0] = out[2];
        destination[1] = out[1];
        destination[2] = out[0];
    }
}
