// Turning an image band by 90 degrees, for printers that take bands across
// the paper's feed direction.
#pragma once
#include <cstdint>

// The pixel in row j, column i of a w x h band (rows `sourceStride` bytes
// apart) goes to row i, column h - 1 - j of the output, whose rows are padded
// to a multiple of `alignment` bytes. Answers the output's row length.
uint32_t TurnedRowBytes(uint32_t h, uint32_t bytesPerPixel, uint32_t alignment);
void TurnBand(const uint8_t* source, uint32_t sourceStride, uint32_t w, uint32_t h, uint32_t bytesPerPixel,
              uint32_t alignment, uint8_t* out);
// The placement of a turned band: source x and y exchanged, so that the turned
// pixels land where the band's pixels did.
void TurnPlacement(const float m[6], float out[6], uint32_t h);
