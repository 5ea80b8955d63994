// The snapshot of the settings that the settings illustration and its caption
// lines are made from.
#pragma once
#include <windows.h>

#include <cstdint>

#include "common/settings/capability_bits.h"

struct SettingsContext;

struct IllustrationState {
    uint16_t pageRotation;       // 294: 0-2
    uint16_t orientation;        // 7: 1 portrait, 2 landscape
    uint16_t sheetOrientation;   // 1 or 2, from the orientation and the pages per sheet
    uint32_t collate;            // 18 is 1
    uint16_t duplex;             // 16: 1 simplex, 2 and 3 the two edges
    uint16_t colourMode;         // 270
    uint32_t setting1313;
    uint16_t pagesPerSheet;      // 295: 1, 2, 4, 8, 16, 32
    uint16_t pageOrder;          // 264: 1-2 for two pages, 3-6 for more
    uint32_t setting1337;
    uint16_t layoutKind;         // 321: 0, 1, 2
    uint16_t layoutVariant;      // 296: 258, 514, 771, 1028, 259, 260
    uint32_t setting1285;
    const wchar_t* stampName;    // 297, points into the settings record; null: none
    uint16_t setting320;         // 0-15
    uint16_t setting341;         // 0-5
    uint16_t paperSize;          // 8
    uint16_t setting322;         // 0-1
    uint32_t setting446;
    uint8_t setting437;          // 0-3
    uint8_t setting441;
    uint16_t setting445;         // 0-2
    uint32_t secondPart;
    uint8_t setting332;          // 0-2
    uint8_t setting458;          // 0-2
    uint16_t setting404;         // 0-1
    uint32_t setting1340;
    uint16_t setting405;         // 0-1
    uint16_t setting406;         // 0-1
    uint32_t setting339;
    uint32_t setting1330;
    uint8_t setting448;          // 0-6
    uint8_t setting449;          // 0-1
    uint8_t setting450;          // 0-1
    uint32_t annotation;         // the first annotation switch that is set
};

// Every field at the value it has when its setting is not read.
IllustrationState DefaultIllustrationState();
// 2 when the orientation is not portrait and 1, 4 or 16 pages share a sheet,
// or portrait with any other count; else 1.
uint16_t SheetOrientation(uint16_t orientation, uint16_t pagesPerSheet);

// Where the snapshot is read from.
struct IllustrationSources {
    SettingsContext* context;
    HANDLE printer;
    void* settings;
    void* printerSettings;
    const CapabilityBits* capabilities;  // null: none
};

// 0 ok; 2 bad argument; 4 a setting unreadable. A setting the constraint
// check makes unavailable keeps its default.
uint16_t ReadIllustrationState(const IllustrationSources* sources, IllustrationState* state);
// The same from the dialog's sheet and settings (the settings record given).
uint16_t BuildIllustrationState(void* settings, HWND dialog, IllustrationState* state);
