// How the DEVMODE fields that applications set are taken over or translated when
// an incoming DEVMODE is merged, per printer model, from the section "DME,<n>" of
// the site configuration file. Without the file the overrides do not exist and
// the merge translates nothing.
#pragma once
#include <cstdint>
#include <vector>

// Results of the override operations.
constexpr int kOverrideOk = 1;
constexpr int kOverrideBadArgument = -1;
constexpr int kOverrideIndexNotAllowed = -2;
constexpr int kOverrideNoMemory = -3;
constexpr int kOverrideNotFound = -4;
constexpr int kOverrideWriteFailed = -5;

constexpr uint16_t kOverrideNotSet = 65535;

// Field indexes, in the order the fields are read.
enum OverrideFieldIndex : int {
    kOverrideFields = 0,      // dmFields: entries are {action, flag}
    kOverrideCollate = 1,
    kOverrideResolution = 2,
    kOverrideBin = 3,
    kOverrideMedia = 4,
    kOverrideColor = 5,
    kOverrideFieldCount = 6,
};

// For "fields", action: 1 clears the flag in an incoming dmFields, 2 sets it.
struct OverrideEntry {
    uint32_t result;  // for "fields": the action
    uint32_t input;   // for "fields": the flag
    uint8_t changed;  // differs from identity, or read from the file
};

struct OverrideField {
    uint16_t devmodeId;  // setting identifier of the DEVMODE field
    uint32_t present;    // 1 when any key of the field was read
    uint16_t merge;
    uint16_t defaultValue;
    uint16_t mode;
    uint16_t windowsValue;
    std::vector<OverrideEntry> entries;
};

struct ConfigFieldOverrides {
    uint32_t sectionFound;
    uint8_t formDatabaseMode;
    uint16_t fieldCount;  // kOverrideFieldCount
    OverrideField fields[kOverrideFieldCount];
};

struct OverridePair {
    uint32_t result;
    uint32_t input;
};

// Null when the file is missing or memory fails. The settings context passes 1.
ConfigFieldOverrides* LoadConfigFile(const wchar_t* path, int sectionNumber);
void FreeConfigFieldOverrides(ConfigFieldOverrides* overrides);

uint32_t IsOverrideSectionFound(const ConfigFieldOverrides* overrides);
int IsFormDatabaseMode(const ConfigFieldOverrides* overrides);

// Merge value of fields 1-4, mode value of fields 2 and 5.
int GetOverrideMergeValue(const ConfigFieldOverrides* overrides, int index, uint16_t* value);
int GetOverrideModeValue(const ConfigFieldOverrides* overrides, int index, uint16_t* value);
// The changed {result, input} pairs of field 1, 3 or 4 in a new global block the
// caller frees; count 0 and null when none.
int GetOverrideChangedPairs(const ConfigFieldOverrides* overrides, int index, uint32_t* count, OverridePair** pairs);

// The first changed entry whose input equals the value gives its result, else the
// first entry of any kind whose input equals it, else the field's default when
// not 0, else the value itself.
int MapOverrideValue(const ConfigFieldOverrides* overrides, int index, uint32_t value, uint32_t* result);
// Reads dmCollate, dmDefaultSource and dmMediaType of the settings record by
// identifier, maps each and writes it back; -5 when a read or write fails.
int ApplyOverrideMappings(const ConfigFieldOverrides* overrides, void* settingsRecord);
// Clears or sets each flag of dmFields by its action.
int ApplyOverrideFieldActions(const ConfigFieldOverrides* overrides, uint32_t fields, uint32_t* result);
// The field actions, then the collate, resolution, bin and media flags by their
// fields' merge values.
int ComputeOverrideFieldFlags(const ConfigFieldOverrides* overrides, uint32_t fields, uint32_t collate,
                              uint32_t* result);
