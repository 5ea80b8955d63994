// The printer's own lossless image code (method 8): each pixel is predicted
// from its neighbours by one of five predictors kept in move-to-front order;
// runs of a predictor and literal differences are written as prefix codes.
#pragma once
#include "render/output/temp_channel.h"

#include <cstdint>

// Results of PredictorCoder.
inline constexpr int kCoderDone = 0;
inline constexpr int kCoderNotCreated = 2;   // row too long, or no memory
inline constexpr int kCoderNotShorter = 3;
inline constexpr int kCoderNoMemory = 4;
inline constexpr int kCoderChannelUnusable = 5;
inline constexpr int kCoderBadArgument = 16;
inline constexpr int kCoderReadBackFailed = 0x1005;

// Pixel format bytes of a band.
inline constexpr uint8_t kPixelGrey = 3;
inline constexpr uint8_t kPixelRgb = 4;
inline constexpr uint8_t kPixelIndexed = 10;
inline constexpr uint8_t kPixelIndexedPalette = 11;

// Codes `rows` rows of `width` pixels (RGB: 3 bytes a pixel, else 1, rows
// packed) held in `data`, `*length` bytes long. When the code is strictly
// shorter it replaces the data, `*length` is its length and `*method` 8.
// Without memory for the code the rows go through the temporary channel.
int PredictorCoder(TempChannel* channel, uint8_t format, uint16_t width, uint16_t rows, uint8_t* method,
                   uint32_t* length, uint8_t* data);

// The same coding into the temporary channel from offset 0, read back over
// the data when strictly shorter.
int PredictorCoderThroughChannel(TempChannel* channel, uint8_t format, uint16_t width, uint16_t rows,
                                 uint8_t* method, uint32_t* length, uint8_t* data);
