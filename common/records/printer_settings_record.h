// The printer settings record (7964 bytes of printer-wide settings): how a
// printer's current record is built from its printer data, with the user's own
// values laid over it, and how it is upgraded when the driver is.
#pragma once
#include <windows.h>

#include <cstdint>

#include "common/store/user_setting_info.h"

constexpr uint16_t kPrinterCommonVersionCurrent = 8705;      // setting 8203
constexpr uint16_t kPrinterPrivateVersionCurrent = 21072;    // setting 8204
constexpr uint16_t kPrinterPrivateVersionUserStore = 16389;  // from here on the user's store leads
constexpr wchar_t kUserModeDriverValueName[] = L"SPLUserModePrinterDriver";

// What building the record needs from the printer's settings context.
struct PrinterSettingsSources {
    void* context;
    const wchar_t* userBasePath;           // the model's per-user base path
    const wchar_t* modelName;              // for the per-user block
    const UserSettingInfo* userDefaults;   // the per-user block filled with the model's defaults
    const wchar_t* userModeDriverFile;     // model data file name 2
    // The model's default record (device name "DummyName"). 1 ok.
    int (*fillDefaults)(void* context, uint8_t* printerSettingsRecord);
    // A stored record of an older layout (setting 8203 not 8705) into the current one. 1 ok.
    int (*convertOlder)(void* context, const uint8_t* stored, uint8_t* printerSettingsRecord);
    // Lays the enforced configured settings over the record. 1 ok.
    int (*applyEnforced)(void* context, uint8_t* printerSettingsRecord);
};

// The printer's current record into `out` (7964 bytes): the stored table
// "PrinterData" brought to the current layout, then the user's values laid over
// it, or the model's defaults when nothing is stored or the stored table cannot
// be read (corrupt, or marked by an interrupted rewrite: the trace log says so);
// then the enforced configured settings. 1 when copied, converted or defaulted.
int LoadPrinterSettingsRecord(HANDLE printer, uint8_t* out, const PrinterSettingsSources& sources);

// The file name of the user-mode driver as printer data "SPLUserModePrinterDriver"
// (REG_SZ) on the printer opened by its name with full access. 1 ok.
int WriteUserModeDriverValue(HANDLE printer, const wchar_t* fileName);

// Writes the user-mode driver value; with `capture`, also stores the record with
// the user's stored values in it, and puts the record's own user values back. 1
// ok; 0 without `capture` or on the first failed step.
int UpgradePrinterSettingsRecord(HANDLE printer, uint8_t* printerSettingsRecord, const PrinterSettingsSources& sources,
                                 bool capture);

// The body of the export GetUpgradedPrinterData: a size query (no buffer, size 0)
// answers 7964 and TRUE; a buffer of at least 7964 bytes gets the printer's
// current record. Other cases FALSE.
BOOL GetUpgradedPrinterDataBody(HANDLE printer, uint8_t* buffer, DWORD* size, const PrinterSettingsSources& sources);

// When settings 5168 and 5169 of `record` differ from the printer's current
// record, the record's group-4 user items go back to the model defaults and
// `changed` is set. 1 ok.
int SyncPrinterSettingsWithUser(HANDLE printer, const PrinterSettingsSources& sources, uint8_t* record, int* changed);
