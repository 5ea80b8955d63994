// What the job asks of its sheets, taken from the settings when the document
// starts and again when the job begins (escape overrides may have changed the
// settings in between): copies collated by the driver, reverse order, two-sided
// faces, separator, trailer and interleaf sheets, form registration, the page
// label, the page options, the colour-mode pair and the account code.
#pragma once
#include "render/device/pdev_record.h"

#include <cstdint>

// Whether the caller asks with all of the flag bits 1, 2 and 4 and the model
// answers collation as available (1) or available through the printer's
// stream (2).
bool IsCollationAvailable(PDevRecord* pdev, uint32_t flags);

// The job's colour mode: 1 colour, 2 monochrome, 0 left to the printer
// (setting 270's 3 is 0 only when setting 1289 lets the printer choose).
uint32_t JobColourMode(PDevRecord* pdev);

// Fills `options` from the record's settings and model. 0, or -1 for a duplex
// setting outside 1-3 (the document cannot start).
int TakeJobOptions(PDevRecord* pdev, JobOptions* options);

// Sheet commands at the first stream version that knows them.
inline constexpr uint32_t kColourPairVersion = 0x01010601;   // 1.6.1
inline constexpr uint32_t kPageLabelVersion = 0x01010902;    // 1.9.2
inline constexpr uint32_t kSheetBreakVersion = 0x01010903;   // 1.9.3: "FC" starts a new sheet
inline constexpr uint32_t kSeparatorSheetVersion = 0x01020000;  // 2.0.0: separator sheets, "FE"
inline constexpr uint32_t kPageOptionsVersion = 0x01020008;  // 2.0.8
