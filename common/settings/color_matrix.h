// Brightness, contrast and saturation as one colour matrix in 16.16 fixed
// point, applied to 24-bit pixels; and the check of a colour profile file.
#pragma once
#include <cstdint>

// m[0..8]: rows for red, green, blue, each multiplying red, green, blue;
// offsets for red, green, blue. 65536 = 1.0.
struct ColorAdjustMatrix {
    int32_t m[9];
    int32_t offset[3];
};
static_assert(sizeof(ColorAdjustMatrix) == 48);

// Inputs are clamped to -100..100. 0, or -1 without a matrix.
int BuildColorAdjustMatrix(ColorAdjustMatrix* matrix, int16_t brightness, int16_t saturation,
                           int16_t contrast);

// Pixels are blue, green, red byte triplets. Without a matrix they are copied.
// Source and destination may be the same buffer.
void ApplyColorAdjustMatrix(const ColorAdjustMatrix* matrix, const uint8_t* source,
                            uint8_t* destination, uint32_t pixelCount);

// 1 ("acsp") or 2 ("nicc") for an RGB display or scanner profile with an XYZ or
// Lab connection space; -1 no path or a pipe, -2 cannot open, -3 shorter than
// the header, -5 no profile signature, -6 wrong colour space or device class,
// -7 wrong connection space.
int CheckIccProfileFile(const char* path);
