// Byte layout of the model data file (".DDD"): the constants that the reader and
// the model data compiler share. Plain C++ with no platform header, because the
// compiler is built for the build machine.
//
// Everything is little-endian except the header's data format version, which is
// stored most significant byte first. Fields follow each other without padding.
#pragma once
#include <cstdint>

// Header offsets.
constexpr uint32_t kModelFirstNameOffset = 0;       // 64 bytes, ANSI, NUL-padded
constexpr uint32_t kModelVersionTextOffset = 64;    // 24 bytes, "prefix:a.b.c"
constexpr uint32_t kModelReservedOffset = 88;       // 4 bytes, zero
constexpr uint32_t kModelFormatVersionOffset = 92;  // 4 bytes, big-endian
constexpr uint32_t kModelNameOffset = 96;           // 64 bytes, ANSI, NUL-padded
constexpr uint32_t kModelLinkedNameOffset = 160;    // 64 bytes, file name of the linked file
constexpr uint32_t kModelRawLengthOffset = 224;     // u32 byte length of raw sections 1-41
constexpr uint32_t kModelRawStart = 228;
constexpr uint32_t kModelNameFieldSize = 64;
constexpr uint32_t kModelVersionTextSize = 24;

// Directory after the raw sections: 4 unused bytes, u16 count, then one 7-byte
// entry {u8, u16, u32 table offset} per kind in kModelKindOrder.
constexpr uint32_t kModelDirectoryHeadSize = 6;
constexpr uint32_t kModelDirectoryEntrySize = 7;
// A kind table: 4 unused bytes, u16 count, then 7-byte entries {u8 file, u16 id, u32 offset}.
constexpr uint32_t kModelTableHeadSize = 6;
constexpr uint32_t kModelTableEntrySize = 7;
// Every record begins with 4 unused bytes and its u16 identifier.
constexpr uint32_t kModelRecordHeadSize = 6;

// File role: the first byte of a kind-table entry, and the role of a loaded record.
// Any entry byte other than kModelMainFile names the linked file.
constexpr uint8_t kModelMainFile = 2;
constexpr uint8_t kModelLinkedFile = 1;

// Data format versions in use. Fields of some records exist only from a version on.
constexpr uint32_t kModelFormat256 = 256;    // kind 11 flag word
constexpr uint32_t kModelFormat512 = 512;    // kind 5/6 byte, kind 10 byte and fourth pair, kind 19
constexpr uint32_t kModelFormat1024 = 1024;  // second strings of kinds 3-6, 19; kind 11 values
constexpr uint32_t kModelFormat1280 = 1280;  // kind 10 and 15 flag words
constexpr uint32_t kModelFormat4096 = 4096;  // kind 22 flag word
constexpr uint32_t kModelFormat5632 = 5632;  // capability words 1 and 2 (raw section 39)
constexpr uint32_t kModelFormat7936 = 7936;  // presets (kind 24) readable
constexpr uint32_t kModelFormat8192 = 8192;  // kind 25

constexpr int kModelKindCount = 23;
// Directory order of the table kinds.
constexpr uint16_t kModelKindOrder[kModelKindCount] = {3,  4,  5,  6,  17, 7,  8,  9,  10, 11, 12, 13,
                                                       14, 15, 16, 18, 19, 20, 21, 22, 23, 24, 25};

// 0-based place of a kind in the directory, -1 for a kind without a table.
constexpr int ModelKindPlace(uint16_t kind) {
    for (int p = 0; p < kModelKindCount; ++p)
        if (kModelKindOrder[p] == kind) return p;
    return -1;
}

// Table kinds by meaning (the numbers are those of the file).
enum ModelKind : uint16_t {
    kKindHeader = 1,
    kKindFeature = 3,          // features of settings 4097-4371 (but 4129, 4363-4365)
    kKindFeatureOther = 4,     // features of every other setting
    kKindInputTray = 5,        // records of setting 32770
    kKindOutputBin = 6,        // records of setting 32771
    kKindConflictRule = 7,
    kKindTransitionRule = 8,
    kKindPictureRef = 9,
    kKindPaper = 10,
    kKindFont = 11,
    kKindPicture = 12,
    kKindOption = 13,          // options of kind-3 features
    kKindOptionOther = 14,     // options of kind-4 features
    kKindJobAttribute = 15,
    kKindRuleBlock = 16,
    kKindSizePairs = 17,
    kKindByteBlock = 18,
    kKindSetting32779 = 19,
    kKindValueArray = 20,
    kKindSettingList = 21,
    kKindEntrySet = 22,
    kKindRuleTriples = 23,
    kKindPreset = 24,
    kKindNamedString = 25,
    // Internal kinds of parsed sections, never in a file.
    kKindInternalValue = 517,
    kKindInternalBytes = 522,
    kKindInternalOptionCopy = 523,
    kKindOwn = 65535,          // FreeModelSection: the section's own kind
};

// List entry kinds.
enum ModelEntryKind : uint16_t {
    kEntryReference = 515,     // u16
    kEntryTerm = 517,          // u16 a, u8 operator, u16 setting, value
    kEntryReferences3 = 518,   // u16, u16, u16
    kEntrySizePair = 519,      // u16, u16
    kEntryString = 520,        // file string
    kEntryTermWithByte = 521,  // a term of kind 517 and one more byte
    kEntryNumbers3 = 526,      // u16, u16, u16
    kEntryValue = 527,         // a bare typed value
};

// Types of typed values in the file.
enum ModelValueType : uint8_t {
    kValueFlag = 1,       // 1 data byte, nonzero = true; held as a 32-bit 0 or 1
    kValueS16 = 2,
    kValueU16 = 3,
    kValueS32 = 4,
    kValueU32 = 5,
    kValueString = 6,     // a file string body; the value's size is its length
    kValueFloat = 7,
    kValueByte = 8,
    kValueStruct = 9,     // a 92-byte structure
    kValueS32b = 10,      // 4 data bytes
    kValueReference = 128 // u16: 1-based position in the kind-20 table of the same file
};

// A resource-reference file string: ..., u16 module, u16 string id, u8 0.
constexpr uint32_t kModelResourceRefMinLength = 6;

// Raw sections: count 1 or kRawCountInFile (a u16 count precedes the entries);
// entry size 1, 2 or 4, or kRawEntryString for file strings.
constexpr uint8_t kRawCountInFile = 0;
constexpr uint8_t kRawEntryString = 0;
struct RawSectionRow {
    uint8_t id;
    uint8_t count;
    uint8_t entrySize;
};
constexpr int kRawSectionCount = 42;
constexpr uint8_t kRawSectionEnd = 42;  // the end row: a search that reaches it fails
constexpr RawSectionRow kRawSectionTable[kRawSectionCount + 1] = {
    {0, 1, 4},   {1, 1, 2},   {2, 1, 4},   {3, 0, 2},   {4, 1, 2},   {5, 1, 1},   {6, 1, 4},
    {7, 1, 1},   {8, 1, 4},   {9, 1, 4},   {10, 1, 2},  {11, 1, 4},  {12, 1, 4},  {13, 1, 0},
    {14, 0, 1},  {15, 1, 4},  {16, 1, 2},  {17, 1, 0},  {18, 1, 0},  {19, 1, 0},  {20, 1, 0},
    {21, 1, 0},  {22, 1, 0},  {23, 1, 1},  {24, 1, 2},  {25, 1, 2},  {26, 1, 4},  {27, 0, 2},
    {28, 0, 0},  {29, 1, 0},  {30, 1, 0},  {31, 1, 0},  {32, 1, 0},  {33, 1, 0},  {34, 0, 2},
    {35, 0, 0},  {36, 0, 0},  {37, 1, 0},  {38, 1, 0},  {39, 0, 4},  {40, 1, 2},  {41, 1, 2},
    {42, 0, 0},
};

// Raw sections that other parts of the system read by meaning.
enum ModelRawSection : uint16_t {
    kRawMaxCopies = 4,
    kRawColorKind = 5,
    kRawGlyphMemory = 6,      // bytes of the printer's memory for downloaded glyphs
    kRawByte7 = 7,
    kRawFeatureMask = 12,
    kRawColorProfile = 13,    // file name of the colour profile
    kRawPrintRate = 16,
    kRawFileName0 = 17,       // file names 0-5: sections 17-22
    kRawDriverKind = 23,
    kRawCapabilityWord0 = 26,
    kRawOrientationFonts = 27,
    kRawRegistryBase0 = 30,
    kRawRegistryBase1 = 33,
    kRawResourceModules = 35,
    kRawFileNames6 = 36,      // file names 6-25
    kRawCapabilityWords12 = 39,
    kRawPaperListCapacity = 41,
};
