// Colour transforms from 8-bit device RGB to 8-bit sRGB-encoded RGB: one read
// from an ICC profile (a 17-point grid or a matrix with curves) and one made
// from a colour temperature and an input gamma.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

inline constexpr int kTransformGridPoints = 17;
inline constexpr int kTransformGridValues = kTransformGridPoints * kTransformGridPoints * kTransformGridPoints * 3;
inline constexpr int kTransformOutputEntries = 4096;

enum ColourTransformMode : int { kTransformUnusable = -1, kTransformMatrix = 0, kTransformGrid = 1 };

struct ColourTransform {
    uint16_t curves[3][256] = {};
    int mode = kTransformUnusable;
    int32_t matrix[9] = {};  // 16.16, row per output channel
    bool whiteCorner = false;
    // Outputs (12-bit linear) at the eight corners of the cube from 0xEFFF to
    // 0xFFFF on each input, corner index = r * 4 + g * 2 + b.
    int32_t corners[24] = {};
    std::vector<uint16_t> grid;  // first input channel the slowest index
};

// Results of LoadIccTransform besides 0, -1 and -2.
enum IccLoadResult : int {
    kIccNoMemory = 248,
    kIccBadClass = 249,
    kIccBadSignature = 250,
    kIccUnreadable = 253,
};

// 0 built; -1 empty path or a pipe or device name; -2 cannot open; else an
// IccLoadResult. The transform is unusable unless 0.
int LoadIccTransform(ColourTransform* transform, const char* path);
// The same for a profile already in memory.
int LoadIccTransformFromBytes(ColourTransform* transform, std::span<const uint8_t> profile);

// temperature 5000, 6500 or 9300; gamma code 10, 14, 18, 22 or 26. 0, or -1
// for any other value with the transform unusable.
int BuildTemperatureTransform(ColourTransform* transform, int temperature, int gammaCode);

// Pixels are blue, green, red byte triplets. Without a usable transform the
// pixels are copied. Source and destination may be the same buffer.
void ApplyColourTransform(const ColourTransform* transform, const uint8_t* source, uint8_t* destination,
                          size_t pixelCount);

void ReleaseColourTransform(ColourTransform* transform);

// 12-bit linear light to 8-bit sRGB codes.
const uint8_t* SrgbOutputTable();
