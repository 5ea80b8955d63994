#include "render/image/band_turning.h"

#include <cstring>

uint32_t TurnedRowBytes(uint32_t h, uint32_t bytesPerPixel, uint32_t alignment)
{
    const uint32_t bytes = h * bytesPerPixel;
    return alignment > 1 ? (bytes + alignment - 1) / alignment * alignment : bytes;
}

void TurnBand(const uint8_t* source, uint32_t sourceStride, uint32_t w, uint32_t h, uint32_t bytesPerPixel,
              uint32_t alignment, uint8_t* out)
{
    const uint32_t outStride = TurnedRowBytes(h, bytesPerPixel, alignment);
    for (uint32_t i = 0; i < w; ++i) {
        uint8_t* row = out + size_t{i} * outStride;
        for (uint32_t j = 0; j < h; ++j)
            std::memcpy(row + size_t{h - 1 - j} * bytesPerPixel, source + size_t{j} * sourceStride + size_t{i} * bytesPerPixel,
                        bytesPerPixel);
        std::memset(row + size_t{h} * bytesPerPixel, 0, outStride - h * bytesPerPixel);
    }
}

void TurnPlacement(const float m[6], float out[6], uint32_t h)
{
    // The turned pixel (h - 1 - j, i) holds the source pixel (i, j); as areas,
    // source point (i, j) is turned point (h - j, i).
    const float a = m[0], b = m[1], c = m[2], d = m[3];
    out[0] = -c;
    out[1] = -d;
    out[2] = a;
    out[3] = b;
    out[4] = m[4] + c * static_cast<float>(h);
    out[5] = m[5] + d * static_cast<float>(h);
}
