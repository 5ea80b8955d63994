#include "render/image/pixel_masks.h"

void KeepWhiteMask(uint8_t* rows, size_t rowBytes, size_t pixels, size_t rowCount)
{
    if (rows == nullptr || rowBytes / 3 < pixels)
        return;
    for (size_t r = 0; r < rowCount; ++r) {
        uint8_t* p = rows + r * rowBytes;
        for (size_t i = 0; i < pixels; ++i, p += 3) {
            const uint8_t keep = (p[0] & p[1] & p[2]) == 0xFF ? 0xFF : 0x00;
            p[0] = p[1] = p[2] = keep;
        }
    }
}

void InvertBytes(uint8_t* rows, size_t rowBytes, size_t length, size_t rowCount)
{
    if (rows == nullptr || rowBytes < length)
        return;
    for (size_t r = 0; r < rowCount; ++r) {
        uint8_t* p = rows + r * rowBytes;
        for (size_t i = 0; i < length; ++i)
            p[i] = static_cast<uint8_t>(~p[i]);
    }
}
