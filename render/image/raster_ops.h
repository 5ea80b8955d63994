// Raster operations: GDI's mixes and ROP4s and the stream's binary raster
// codes ("AL" kind 1).
#pragma once
#include <windows.h>
#include <winddi.h>

#include <cstdint>

// A MIX as a ROP4: each of its two binary raster codes through the table of
// their ROP3 equivalents.
uint16_t MixToRop4(MIX mix);
// A ROP3 byte as the stream's binary raster code; 13 (copy pen) for a byte
// that is no binary raster operation.
uint8_t Rop3ToBinaryCode(uint8_t rop3);

inline uint8_t ForegroundRop3(uint16_t rop4) { return static_cast<uint8_t>(rop4 & 0xFF); }
inline uint8_t BackgroundRop3(uint16_t rop4) { return static_cast<uint8_t>(rop4 >> 8); }
inline bool Rop4HasMask(uint16_t rop4) { return ForegroundRop3(rop4) != BackgroundRop3(rop4); }
// Whether a ROP3 reads the source, or the pattern (brush).
inline bool Rop3UsesSource(uint8_t rop3) { return ((rop3 >> 2) ^ rop3) & 0x33; }
inline bool Rop3UsesPattern(uint8_t rop3) { return ((rop3 >> 4) ^ rop3) & 0x0F; }
