// What the conversion of old DEVMODEs keeps with the printer itself, opened by
// its name: its current printer settings record and its stored private part.
#pragma once
#include <cstdint>

struct SettingsContext;

// The printer's current printer settings record (7964 bytes). True when built.
bool LoadPrinterSettingsByName(const wchar_t* printerName, SettingsContext* context, uint8_t* printerSettingsRecord);
// The printer's stored private part (4296 bytes), or its model's default one
// when none is stored. True when filled.
bool LoadPrinterPrivatePart(const wchar_t* printerName, uint8_t* privatePart);
// Stores the private part as the printer's, with the fax send list it has
// stored. True when written.
bool SavePrinterPrivatePart(const wchar_t* printerName, const uint8_t* privatePart);
