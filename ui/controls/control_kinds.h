// The control kinds of the dialog engine: one default handler per kind, found
// by the engine when an item names no handler of its own.
#pragma once

#include <cstdint>

#include "ui/engine/dialog_tables.h"

// Control kinds an ItemRecord names. There is no kind 3; kinds 0 and 3 live on
// the item's own handler alone.
enum ControlKind : uint64_t {
    kKindNone = 0,
    kKindComboBox = 1,
    kKindListBox = 2,
    kKindEdit = 4,
    kKindOptionButtons = 5,
    kKindPushButton = 6,
    kKindCheckBox = 7,
    kKindScrollBar = 8,
    kKindUpDown = 9,
    kKindValueText = 10,
    kKindOptionDetail = 11,
    kKindTrackbar = 12,
    kKindPalettePicture = 13,
    kKindBitmapPicture = 14,
    kKindStateOnly = 15,
};

struct ControlKindRow {
    uint64_t kind;  // 0 ends the table
    ItemEventHandler handler;
};

extern const ControlKindRow ControlKindTable[];

// The default handler of a kind; null for kinds 0 and 3 and unknown kinds.
ItemEventHandler FindKindHandler(uint64_t kind);
