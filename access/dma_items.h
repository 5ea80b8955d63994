// What the DMA_ exports share about one setting of the caller's records.
#pragma once
#include "access/dma_interface.h"
#include "common/settings/item_layout.h"

#include <cstdint>

struct DmaItem {
    uint16_t itemId;
    uint16_t type;  // the type the engine reports
    ItemLayout layout;
};

// Maps the public identifier and finds its place in the set's records:
// kDmaUnmapped, kDmaFailed (no place), or kDmaOk.
int ResolveDmaItem(const DmaDataSet* set, uint16_t dmaId, DmaItem* item);
// The same for a setting identifier.
int ResolveSettingItem(const DmaDataSet* set, uint16_t itemId, DmaItem* item);

inline bool IsStringType(uint16_t type) { return type == 6; }
inline bool IsLogFontType(uint16_t type) { return type == 9; }
// Setting 329 keeps single-byte ANSI text; every other string is UTF-16.
inline constexpr uint16_t kAnsiStringItem = 329;

// Writes a UTF-16 string or a LOGFONTW through the engine; false when refused.
bool WriteSettingData(const DmaDataSet* set, const DmaItem& item, const void* data, uint32_t size);
