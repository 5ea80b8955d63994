// Decoders for the image data of "Cq": the predictor code (method 8) and JPEG
// (method 4).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Predictor-coded rows back into pixels: `channels` 1 (grey or palette
// indexes) or 3 (RGB, coded as four-byte pixels). False with a reason when the
// code is cut short or malformed.
bool DecodePredictorCode(const uint8_t* data, size_t size, int width, int rows, int channels,
                         std::vector<uint8_t>* pixels, std::string* error);

// A baseline JPEG into rows of `*channels` bytes a pixel (1 grey, 3 RGB).
bool DecodeJpeg(const uint8_t* data, size_t size, int* width, int* height, int* channels, std::vector<uint8_t>* pixels,
                std::string* error);
