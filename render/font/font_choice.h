// Which resident font stands in for a TrueType font: the printer's font
// substitution table, then a score per offered font (character set, face name
// and its group of interchangeable names, pitch and family, style); and the
// font number with its style bits that selects the font in the printer.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>

struct PDevRecord;
struct ModelDataRecord;

// The two built-in tables of interchangeable face names.
inline constexpr int kFaceGroupsShort = 0;
inline constexpr int kFaceGroupsFull = 1;
// Capability bits of the model that choose the table.
inline constexpr uint32_t kCapabilityFullFaceGroups = 0x800;
inline constexpr uint32_t kCapabilityShortFaceGroups = 0x1000;

// Makes one table the process's current one; false for another mode.
bool SelectFaceGroupTable(int mode);
// The table the model's capability bits ask for, made current (at each job start).
void SelectFaceGroupTableForModel(ModelDataRecord* model);
// Request 1: the number of rows of the current table. Request 2: a copy of
// entry `entry` of row `row` (HeapFree on the process heap), or null past the
// row's end.
inline constexpr int kFaceGroupRowCount = 1;
inline constexpr int kFaceGroupName = 2;
uint32_t GetFaceGroupRowCount();
wchar_t* GetFaceGroupEntry(uint32_t row, uint32_t entry);

// What the choice compares: of the TrueType font asked for, and of each
// candidate.
struct FontTraits {
    const wchar_t* face;
    uint8_t charSet;
    uint8_t pitchAndFamily;
    uint16_t weight;
    bool italic;  // wanted (simulated or in the font), or the candidate's own
};

// Answers of SelectDeviceFont.
inline constexpr int kChoiceFound = 2;
inline constexpr int kChoiceNotFound = 1;
inline constexpr int kChoiceNoMemory = 3;
inline constexpr int kChoiceNoMetrics = 4;
inline constexpr int kChoiceBadArgument = 5;

// `substitutions` is the printer's table (pairs of TrueType face and device
// face), `bytes` its size; it may be null. *chosen gets the candidate's index.
int SelectDeviceFont(const FontTraits& request, std::span<const FontTraits> candidates, const wchar_t* substitutions,
                     uint32_t bytes, uint32_t* chosen);

// The font number with the style bits: 8 for italic, the high nibble of the
// low byte for the weight in hundreds.
struct FontStyle {
    bool italicWanted;
    bool italicSimulated;
    bool boldSimulated;
};
int32_t FontNumberWithStyle(int32_t number, const FontTraits& font, const FontStyle& style);
