// Records for the setting tests: a settings record and a printer settings
// record with a byte pattern, so that a stray write shows.
#pragma once
#include "common/settings/value_types.h"

#include <array>
#include <cstdint>
#include <cstring>

struct TestRecords {
    std::array<uint8_t, kSettingsRecordSize> settings;
    std::array<uint8_t, kPrinterSettingsRecordSize> printer;

    explicit TestRecords(uint8_t fill = 0)
    {
        settings.fill(fill);
        printer.fill(fill);
    }
    void* s() { return settings.data(); }
    void* p() { return printer.data(); }
};

inline uint16_t LoadU16At(const uint8_t* base, size_t offset)
{
    uint16_t v;
    std::memcpy(&v, base + offset, sizeof v);
    return v;
}

inline uint32_t LoadU32At(const uint8_t* base, size_t offset)
{
    uint32_t v;
    std::memcpy(&v, base + offset, sizeof v);
    return v;
}
