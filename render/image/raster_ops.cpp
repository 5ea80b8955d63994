#include "render/image/raster_ops.h"

namespace {

// ROP3 of each binary raster code, indexed by the code modulo 16.
constexpr uint8_t kRop3OfBinaryCode[16] = {255, 0, 5, 10, 15, 80, 85, 90, 95, 160, 165, 170, 175, 240, 245, 250};

struct Rop3Code {
    uint8_t rop3;
    uint8_t code;
};
constexpr Rop3Code kBinaryCodes[] = {
    {0xFF, 16}, {0x00, 1},  {0x05, 2},  {0x0A, 3},  {0x0F, 4},  {0x50, 5},  {0x55, 6},  {0x5A, 7},
    {0x5F, 8},  {0xA0, 9},  {0xA5, 10}, {0xAA, 11}, {0xAF, 12}, {0xF0, 13}, {0xF5, 14}, {0xFA, 15},
};
constexpr uint8_t kCopyPen = 13;

}  // namespace

uint16_t MixToRop4(MIX mix)
{
    const uint8_t foreground = kRop3OfBinaryCode[mix & 0x0F];
    const uint8_t background = kRop3OfBinaryCode[(mix >> 8) & 0x0F];
    return static_cast<uint16_t>(background << 8 | foreground);
}

uint8_t Rop3ToBinaryCode(uint8_t rop3)
{
    for (const Rop3Code& r : kBinaryCodes)
        if (r.rop3 == rop3)
            return r.code;
    return kCopyPen;
}
