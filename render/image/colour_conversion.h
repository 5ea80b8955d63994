// The per-job colour stages applied to 24-bit rows and to single colours
// before they go into the job: gain and offset, the two colour transforms,
// the adjustment matrix and the grey conversion.
#pragma once
#include "common/settings/color_matrix.h"
#include "render/image/colour_transform.h"

#include <cstdint>

// Stage flags, set from the settings when the job starts.
enum ColourStageFlag : uint32_t {
    kStageFirstClassMatrix = 0x1,
    kStageFirstClassGain = 0x2,
    kStageSecondClassMatrix = 0x4,
    kStageSecondClassGain = 0x8,
    kStageThirdClassMatrix = 0x10,
    kStageCommonMatrix = 0x20,
    kStageCommonGain = 0x40,
    kStageTemperature = 0x80,
    kStageFirstProfile = 0x100,
    kStageSecondProfile = 0x200,
    kStageOutsideLibrary = 0x400,
};

// Gain and offset in 16.16 fixed point.
struct GainOffset {
    int32_t gain;
    int32_t offset;
};

// The conversion results besides 0 done and -1 bad argument.
inline constexpr int kColourRowsTooLarge = 251;

struct ColourConversionBinding {
    uint32_t flags = 0;
    ColorAdjustMatrix matrices[3] = {};  // by colour class
    GainOffset gains[2] = {};            // first and second class
    // The first transform is the temperature or the first profile's.
    ColourTransform transforms[2];
};

// Contrast and brightness are clamped to -100..100.
GainOffset BuildGainOffset(int16_t contrast, int16_t brightness);
void ApplyGainOffset(const GainOffset& pair, const uint8_t* source, uint8_t* destination, uint32_t pixelCount);

// 24-bit pixels to one byte each, 255 for white and 0 for black.
void ConvertToInvertedGrey(const uint8_t* source, uint8_t* destination, uint32_t pixelCount);

// Applies the stages of colour class 0, 1 or 2 to `height` rows of `width`
// blue, green, red pixels, `stride` bytes apart, in place; `grey` rows also
// become one inverted grey byte per pixel at the start of each row.
// 0, -1 bad argument, or kColourRowsTooLarge beyond 65535 either way.
int ConvertColourRows(const ColourConversionBinding* binding, int colourClass, bool grey, uint8_t* rows,
                      uint32_t width, uint32_t height, uint32_t stride);

// One brush or text colour (0x00BBGGRR); kind 1 or 2 takes the first or the
// second profile's transform.
uint32_t ConvertColourValue(const ColourConversionBinding* binding, int colourClass, int kind, uint32_t colour);
