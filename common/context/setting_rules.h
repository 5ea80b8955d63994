// Rules over a few settings that several parts of both libraries share. Values
// are read and written by identifier through the setting engine; a record pair
// is a settings record and a printer settings record.
#pragma once
#include "common/settings/capability_bits.h"

#include <cstdint>

// Caps dmPrintQuality and dmYResolution for long paper: limit = 7,112,000 /
// the longer paper side (tenths of a millimetre); a resolution above the limit
// becomes 600, 300 or 200 (the first the limit is above). 1 kept or capped, 0
// refused (no paper size, or a limit of 200 or less).
int LimitResolutionForPaper(void* settingsRecord, void* printerSettingsRecord);

// 1 collation available, 2 available through the device's stream version, 3 not
// available; 0 for a null argument.
int GetCollateSupport(void* settingsRecord, void* printerSettingsRecord, const CapabilityBits* capabilities);

struct ModelDataRecord;
// Raises *maximum (copies) to 999 when model capability 0xFFFF003E is set and
// setting 4365 holds less than the model's default of identifier 32794. 1 done
// (also with the capability clear), 0 for a null argument or a failed read.
int AdjustMaxCopies(void* settingsRecord, void* printerSettingsRecord, ModelDataRecord* main,
                    ModelDataRecord* linked, uint32_t* maximum);

// Whether the print-time user identification dialog applies (settings 5204 and
// 4367); 0 when either cannot be read.
int ShouldShowUserIdentificationDialog(void* settingsRecord, void* printerSettingsRecord, int askFlag);

// Length check of the user code: setting 5159 stored scrambled (maximum 12) when
// `scrambled`, else setting 5130 stored plain (maximum 4); the minimum is setting
// 4366. Both bounds are given out in every case (minimum 0 when unreadable).
// 1 when minimum <= length <= maximum, else 0.
int CheckCodeLength(void* settingsRecord, void* printerSettingsRecord, int scrambled, uint16_t* maximum,
                    uint16_t* minimum);
