#include "common/settings/capability_bits.h"

bool TestCapabilityBit(const CapabilityBits* bits, CapabilityId id)
{
    if (bits == nullptr)
        return false;
    if ((id >> 16) != 0xFFFF)
        return (bits->words[0] & id) != 0;
    const uint32_t n = id & 0xFFFF;
    // 0xFFFF00nn with nn above 95 is a bit number, not a mask: tested as a
    // mask it would match almost any model.
    if (n >= 96)
        return false;
    return (bits->words[n / 32] >> (n % 32) & 1) != 0;
}
