// The model's capability words and the test of one capability against them.
// The words are filled from the model data (see the model data reader); this
// header is only the record and the test, so that it builds anywhere.
#pragma once
#include <cstdint>

// Three words of capability bits; also the 12-byte capability record that the
// interface library hands to the graphics library.
struct CapabilityBits {
    uint32_t words[3];
};
static_assert(sizeof(CapabilityBits) == 12);

// 0xFFFFnnnn names bit n of the 96 bits (n < 32 in word 0, then words 1 and 2);
// any other value is a mask tested against word 0.
using CapabilityId = uint32_t;

inline constexpr CapabilityId CapabilityBit(uint16_t n) { return 0xFFFF0000u | n; }

// True when the named bit is set, or when the mask shares a bit with word 0.
// A bit number above 95 names no bit and answers false.
bool TestCapabilityBit(const CapabilityBits* bits, CapabilityId id);
