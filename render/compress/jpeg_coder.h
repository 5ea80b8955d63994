// JPEG coding of image bands (method 4) with libjpeg, through the temporary
// channel.
#pragma once
#include "render/output/temp_channel.h"

#include <cstdint>

inline constexpr uint8_t kPixelJpeg = 5;  // format byte of JPEG-coded data
inline constexpr int kJpegQuality = 83;

// Codes `rows` packed rows of `width` pixels (format 4: RGB, else one grey
// byte) into the channel from offset 0 and, when strictly shorter, reads the
// code back over the data: `*length` its length, `*format` 5, `*method` 4.
// The channel is created when it is not open. 0, 3 not shorter, 5 channel
// unusable or coding failed, 0x1005 read-back failed, 16 bad argument.
int CompressWithJpeg(TempChannel* channel, uint8_t* format, uint16_t width, uint16_t rows, uint8_t* method,
                     uint32_t* length, uint8_t* data);
