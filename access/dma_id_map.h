// The public identifiers of the settings-access interface and the settings
// they name. The table is a published contract: rows and runs never change.
#pragma once
#include <cstdint>
#include <span>

// A run of consecutive public identifiers naming consecutive settings.
struct DmaIdRun {
    uint16_t firstDmaId;
    uint16_t lastDmaId;
    uint16_t firstItemId;
};

// One row: the public identifiers first..last, of which only the runs' are mapped.
struct DmaIdMapRow {
    uint16_t firstDmaId;
    uint16_t lastDmaId;
    std::span<const DmaIdRun> runs;
};

extern const std::span<const DmaIdMapRow> kDmaIdMap;

// The setting of a public identifier: the first row whose range holds it, then
// that row's runs; 0 when none names it.
uint16_t DmaIdToItemId(uint16_t dmaId);

// The public identifier of a setting: the first run in table order; 0 when none.
uint16_t ItemIdToDmaId(uint16_t itemId);

// Protected identifiers: write-only, stored scrambled and base64-encoded.
inline constexpr uint16_t kDmaProtectedFirst = 0x9001;
inline constexpr uint16_t kDmaProtectedLast = 0x900A;
inline bool IsProtectedDmaId(uint16_t dmaId) { return dmaId >= kDmaProtectedFirst && dmaId <= kDmaProtectedLast; }

// The largest plain text, in bytes, a protected identifier accepts: what still
// fits its setting's room once scrambled and base64-encoded with a terminator.
uint32_t ProtectedPlainLimit(uint16_t dmaId);
