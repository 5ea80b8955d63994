// The colour sample of the colour adjustment (control 1282): a 256-colour
// picture whose palette follows the brightness, contrast and saturation
// settings of the object kinds.
#pragma once
#include <windows.h>

#include <cstdint>

inline constexpr int kColourSampleControl = 1282;
inline constexpr UINT kColourSampleBitmap = 373;

// One object kind's adjustment: brightness, contrast, saturation (-100..100).
struct ColourTriple {
    int16_t brightness;
    int16_t contrast;
    int16_t saturation;
};

// The settings the sample follows: triples A (275, 279, 283), B (276, 280,
// 284), C (277, 281, 285) and D (274, 278, 282), setting 1314 and the colour
// mode 270.
struct SampleAdjustment {
    ColourTriple a, b, c, d;
    uint32_t separateKinds;  // 1314
    uint32_t colourMode;     // 270; 1 makes the sample grey
};

// Rewrites entries 2-127 of `table` from `original` (256 entries each): with
// separate kinds 2-97 by C, 98-113 by A and 114-127 by B, else 2-127 by D.
void RecolourSampleTable(const RGBQUAD* original, RGBQUAD* table, const SampleAdjustment* adjustment);

// Loads the sample into a property of the control, once. 1 when it is there.
int PrepareColourSample(HWND control);
// Frees it; nothing when there is none.
void FreeColourSample(HWND control);
// Paints the sample recoloured by the dialog's settings; 0, 3 (a setting
// unreadable), 5 (no sample prepared), 6.
uint16_t PaintColourSample(HWND control);

struct CallContext;
struct ItemRecord;
// The item handler of the fields that show one object kind's brightness,
// contrast or saturation: on activation and refresh it selects the slot of
// the object kind setting 272 names when the kinds are adjusted apart (1314),
// else the last slot (the common value), then hands the message on to its
// kind's default handler.
uint32_t OnColorAdjustSlotItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                               const void* parameters);
// The slot such an item shows; -1 when setting 272 lies beyond the slots.
int32_t ColourAdjustSlot(uint32_t separateKinds, uint32_t objectKind, int32_t slotCount);
