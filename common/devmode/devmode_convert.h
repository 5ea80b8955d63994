// Version conversion of DEVMODEs and printer settings records: from the version
// stamps of a record, whether it is taken as it is, migrated field by field from
// an older private version, converted from an older layout first, or replaced by
// the model's defaults. Every failure ends in the defaults rather than in a
// half-converted record.
#pragma once
#include <windows.h>

#include <cstdint>

struct SettingsContext;
struct InputDevmode;

// Modes of the conversion (DrvConvertDevMode's fMode).
constexpr DWORD kConvertDevmode = 1;        // CDM_CONVERT
constexpr DWORD kConvertDriverDefault = 4;  // CDM_DRIVER_DEFAULT

// Results of HandleConvertDevmode.
constexpr int kConvertMigrated = 1;
constexpr int kConvertCopied = 2;
constexpr int kConvertDefaults = 3;
constexpr int kConvertShortBuffer = -1;
constexpr int kConvertFailed = -2;

// Results of MergeDevmode, ConvertOldPrinterSettings and MigrateDevmodeFields.
constexpr int kMergeMigrated = 0;
constexpr int kMergeCopied = 1;
constexpr int kMergeDefaults = 2;
constexpr int kMergeFailed = -1;

// Private versions: the oldest layouts migrated field by field.
constexpr uint16_t kOldestMigratedDevmode = 20483;
constexpr uint16_t kOldestMigratedPrinterSettings = 20480;

// The version stamps of a DEVMODE: read only when its size fields can be read
// and its dmDriverExtra is at least 69 (the stamps and the model name lie in the
// first 68 bytes after dmSize).
struct SettingsHeader {
    uint16_t size;
    uint16_t specVersion;
    uint16_t driverExtra;
    uint16_t privateVersion;  // setting 257
    uint16_t commonVersion;   // setting 258
    wchar_t modelName[33];    // 32 units from byte dmSize + 4, then 0
};
constexpr uint16_t kSmallestStampedDriverExtra = 69;

// The input's header and the driver's own (the defaults of 4, 2, 5, 257, 258,
// 259). 1 or 0.
int ReadDevmodeHeader(SettingsContext* context, const InputDevmode* input, SettingsHeader* header,
                      SettingsHeader* driverHeader);

// The conversion core of DrvConvertDevMode. `output` holds *size bytes; 1604 are
// written. `input` must be readable for the larger of 72 bytes and its
// dmSize + dmDriverExtra.
int HandleConvertDevmode(const wchar_t* printerName, SettingsContext* context, const void* input, void* output,
                         DWORD* size, DWORD mode);
// The 1604-byte DEVMODE from `input` into `output`: kMergeMigrated, kMergeCopied,
// kMergeDefaults or kMergeFailed.
int MergeDevmode(const void* input, void* output, const wchar_t* printerName, SettingsContext* context);
// Field-by-field migration of an older private version into `output` (1604
// bytes): kMergeMigrated, kMergeDefaults, kMergeFailed.
int MigrateDevmodeFields(const wchar_t* printerName, SettingsContext* context, const SettingsHeader& inputHeader,
                         const InputDevmode* input, const SettingsHeader& driverHeader, uint8_t* output);
// The public part up to the smaller dmSize and the driver part up to the smaller
// dmDriverExtra copied from `input` into `output` (a whole settings record),
// which keeps its own dmDriverVersion, dmSize, dmDriverExtra, 257 and 258. The
// number of bytes carried.
uint32_t CopyOlderDevmodeParts(const InputDevmode* input, uint8_t* output);
// An old DEVMODE layout (private version below 20483) into a settings record of
// layout 20483. 1 or 0.
int ConvertOldDevmodeLayout(const SettingsHeader& inputHeader, const InputDevmode* input, uint8_t* output,
                            const wchar_t* printerName, SettingsContext* context);
// A new settings record (5900 bytes) with the model's defaults, the printer name
// as device name. 1 or 0.
int FillDevmodeDefaults(SettingsContext* context, const wchar_t* printerName, uint8_t* record);

// A stored printer settings record (`storedBytes` of it readable) into the
// current layout: kMergeCopied, kMergeDefaults, kMergeMigrated, kMergeFailed.
int ConvertOldPrinterSettings(const uint8_t* stored, uint32_t storedBytes, uint8_t* output, SettingsContext* context);
// The same as the printer settings load expects it: 1 when `output` holds a
// record in the current layout (copied, migrated or defaults).
int ConvertOlderPrinterSettingsRecord(void* context, const uint8_t* stored, uint8_t* output);

// PRINTER_INFO_2 of the printer (a new global block the caller frees) whose
// pDevMode points at `target` (a whole settings record): the printer's DEVMODE,
// or the model's defaults when it has none, converted into it, then the enforced
// configured settings. Null when nothing could be merged. `size` (optional)
// receives the bytes of the info block.
uint8_t* GetPrinterInfoWithMergedDevmode(HANDLE printer, SettingsContext* context, uint8_t* target, DWORD* size,
                                         int* merged);
