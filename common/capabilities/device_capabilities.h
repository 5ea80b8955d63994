// Answers to the spooler's and applications' capability queries for a printer
// (DeviceCapabilities): each query index has a row that names its answer routine
// and the settings objects the routine needs, prepared before it runs and
// released after.
#pragma once
#include <windows.h>

#include <cstdint>

struct SettingsContext;
struct ModelDataRecord;

constexpr uint32_t kCapabilityFailed = 0xFFFFFFFF;

// Needs bits of a capability row.
constexpr uint16_t kNeedsContext = 1;
constexpr uint16_t kNeedsSettings = 2;
constexpr uint16_t kNeedsPrinterSettings = 4;

using CapabilityRoutine = uint32_t (*)(HANDLE printer, uint16_t index, void* output, uint16_t needs,
                                       void* settingsRecord, void* printerSettingsRecord, SettingsContext* context);

struct CapabilityRow {
    uint16_t index;
    CapabilityRoutine answer;
    uint16_t needs;
};

// The capability table: 25 rows and a closing row of index 0 without routine.
extern const CapabilityRow kCapabilityTable[26];

// The answer of the index for the printer, 0xFFFFFFFF for an index not in the
// table or a failure. `devmode` (optional) is the caller's DEVMODE.
uint32_t QueryDeviceCapability(HANDLE printer, const wchar_t* deviceName, uint16_t index, void* output,
                               const void* devmode);

// A new settings record (caller frees with GlobalFree) holding the printer's own
// settings with the caller's DEVMODE merged into it, then the caller's paper
// width, length and size as they stand. Null without context or printer
// settings, or on failure.
void* BuildCapabilitySettings(HANDLE printer, const wchar_t* deviceName, SettingsContext* context,
                              void* printerSettingsRecord, const void* devmode);

// The options of a paper source setting (13 or 265) with their display names.
struct SourceOption {
    wchar_t* name;  // global block
    uint16_t code;
};
static_assert(sizeof(void*) != 8 || sizeof(SourceOption) == 16);  // 16-byte entries in the 64-bit libraries
int LoadSourceOptionNames(const SettingsContext* context, uint16_t id, uint32_t* count, SourceOption** list);
void FreeSourceOptionList(uint32_t count, SourceOption* list);

// Answer routines of the paper and source queries.
uint32_t AnswerPapers(HANDLE, uint16_t, void*, uint16_t, void*, void*, SettingsContext*);
uint32_t AnswerExtent(HANDLE, uint16_t, void*, uint16_t, void*, void*, SettingsContext*);
uint32_t AnswerBins(HANDLE, uint16_t, void*, uint16_t, void*, void*, SettingsContext*);
