// The fixed tables of the site configuration: which settings and switches the
// file may name, the keywords its values may use, what each switch stands for,
// and how a configured value becomes the value stored in a settings record.
#pragma once
#include "common/system/config_readers.h"

#include <cstdint>
#include <span>

struct ConfiguredName {
    const wchar_t* name;  // at most 32 characters
    uint16_t id;
};

struct ConfiguredSwitchName {
    const wchar_t* name;
    uint32_t number;
};

// One setting written when a switch is on.
struct SwitchExpansion {
    uint32_t switchNumber;
    uint16_t id;
    uint32_t value;
    uint16_t flags;
};

// Configured values first..last become stored values storedFirst.. in step.
struct TranslationRange {
    uint32_t first;
    uint32_t last;
    uint32_t storedFirst;
};

struct TranslationRow {
    uint16_t id;
    std::span<const TranslationRange> ranges;  // in order; the first match counts
};

extern const std::span<const ConfiguredName> kConfiguredNames;
extern const std::span<const ConfiguredSwitchName> kConfiguredSwitches;
extern const std::span<const ConfigKeyword> kConfiguredKeywords;
extern const std::span<const SwitchExpansion> kSwitchExpansions;
extern const std::span<const TranslationRow> kTranslationRows;
