// Settings that arrive from an application's DEVMODE reach the job only after
// these checks: an already-extended DEVMODE passes the interface library's
// merge untouched, and escape 20485 hands over whole records, so the graphics
// library checks what it takes itself.
#pragma once
#include <cstdint>

struct PDevRecord;
struct SettingsContext;

// The resolution (setting 14) as one the model offers: a value it does not
// offer is replaced by the model's default. 0, or -1 when neither can be had.
int KeepOfferedResolution(SettingsContext* context, uint8_t* settings, uint8_t* printerSettings);

// A 5900-byte settings record handed over whole (escape 20485), checked as
// DrvEnablePDEV checks its DEVMODE: the public size 220, the ordinary or the
// extended driver part (kept as the ordinary one), the version stamps, a
// duplex mode and a print quality the job can take, and a resolution the model
// offers. On success the checked record replaces the record's settings (0);
// a record that fails leaves them as they were (-1).
int TakeSettingsRecord(PDevRecord* pdev, const uint8_t* record);
