// The settings illustration: which layer rows a settings snapshot chooses,
// and the layer provider and item handler of the illustration control.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/engine/dialog_context.h"
#include "ui/illustration/illustration_state.h"
#include "ui/illustration/illustration_tables.h"
#include "ui/illustration/picture_loading.h"

// Room for every step that can choose a row: nine of the normal layout, two
// more of layout kind 1 when it draws the normal layout too, six decorations.
inline constexpr uint32_t kIllustrationEntryRoom = 17;

struct IllustrationEntry {
    LayerTableId table;
    uint32_t row;
};

struct IllustrationEntryList {
    uint32_t count;
    IllustrationEntry entries[kIllustrationEntryRoom];
};

// What the model adds to the settings.
struct IllustrationModel {
    bool faxJob;
    bool outputUnits;  // model capability 0x8000000
};

// Chooses the rows in step order. 0; 1 when a step met a value outside its
// digit's list (the other steps still ran); 3 for an unknown layout kind.
uint16_t ChooseIllustrationRows(const IllustrationState* state, const IllustrationModel* model,
                                IllustrationEntryList* list);
// The row an entry names; null when it lies outside its table.
const LayerTableRow* IllustrationRow(const IllustrationEntry* entry);

// The chosen rows' bitmaps as layers (one palette for all). 0 with a list, 5
// when a bitmap did not load (no list), 2 without memory.
uint16_t AssembleIllustrationLayers(HMODULE module, HWND window, const IllustrationEntryList* entries,
                                    BitmapLayer** list, HPALETTE* palette);

// The layer provider of the illustration control.
uint16_t IllustrationLayerProvider(HMODULE module, HWND dialog, int controlId, BitmapLayer** list,
                                   HPALETTE* palette);

// The overlay static laid over the illustration.
inline constexpr int kIllustrationOverlayId = 3620;

uint32_t OnIllustrationItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                            const void* parameters);
