// An incoming DEVMODE made safe to read by identifier. Applications and other
// drivers hand in DEVMODEs whose size fields may claim anything, so the merge and
// the conversion never read one in place: its stated bytes are copied into a
// zero-filled record of the whole settings-record size, and every field beyond
// what the DEVMODE states reads as 0 there.
#pragma once
#include <cstddef>
#include <cstdint>

#include "common/settings/value_types.h"

// A DEVMODE states at least its size fields; the bytes before them are the
// device name and the version words.
inline constexpr size_t kDevmodeHeaderBytes = 72;
// The smallest DEVMODE the merge reads at all (the fields up to dmDisplayFrequency).
inline constexpr uint16_t kSmallestMergedDevmode = 188;
// Inputs shorter than this have no ICM, media or dither fields.
inline constexpr uint16_t kDevmodeSizeWithIcm = 212;

struct InputDevmode {
    uint8_t record[kSettingsRecordSize];  // the stated bytes at their own places, zeros elsewhere
    uint16_t size;         // dmSize as stated
    uint16_t driverExtra;  // dmDriverExtra as stated
    uint32_t stated;       // dmSize + dmDriverExtra: the bytes the caller vouches for
};

// Reads the size fields of `devmode` (its first kDevmodeHeaderBytes bytes must be
// readable) and copies no more than it states: the public part up to dmSize (at
// most 220 bytes), and, only when dmSize is 220, the driver part up to
// dmDriverExtra (at most the rest of the settings record). A null `devmode`
// gives an empty record.
void LoadInputDevmode(const void* devmode, InputDevmode* out);

// dmSize + dmDriverExtra of a DEVMODE whose first kDevmodeHeaderBytes bytes are readable.
uint32_t StatedDevmodeBytes(const void* devmode);
