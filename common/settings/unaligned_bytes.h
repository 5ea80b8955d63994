// Unaligned reads and writes of native-order integers inside stored records.
// Records reach us at any address (a DEVMODE from the spooler, a registry
// blob), so fields are copied, never dereferenced in place.
#pragma once
#include <cstdint>
#include <cstring>

inline uint16_t LoadU16(const uint8_t* at)
{
    uint16_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

inline uint32_t LoadU32(const uint8_t* at)
{
    uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

inline void StoreU16(uint8_t* at, uint16_t value) { std::memcpy(at, &value, sizeof value); }

inline void StoreU32(uint8_t* at, uint32_t value) { std::memcpy(at, &value, sizeof value); }
