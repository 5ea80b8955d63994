// The model's defaults of the stored records: the default private part of a
// printer (laid under an older, shorter stored one) and the default printer
// settings record (taken when a printer has none stored).
#pragma once
#include <windows.h>

#include <cstdint>

// The printer's 4296-byte default private part into `privatePart`: a settings
// record filled with the defaults of the printer's model (device name
// "DummyName"). 0 for a null argument or when the printer's settings context or
// a default cannot be had; `privatePart` is then left as it was.
int GetDefaultPrivateSettings(HANDLE printer, uint8_t* privatePart);

// The model's default printer settings record (7964 bytes, device name
// "DummyName") of a settings context. 0 for a null argument or when a default
// cannot be had; the record is then left as it was.
int FillDefaultPrinterSettingsRecord(void* context, uint8_t* printerSettingsRecord);
