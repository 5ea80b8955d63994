// Composition of a layer list: an optional background, then each layer in
// list order, opaque or with magenta as its transparent colour.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/illustration/picture_loading.h"

inline constexpr COLORREF kTransparentKey = RGB(255, 0, 255);

// Background values: the control's saved background (button face without one),
// a pattern of bitmap 374; any other value is the button-face colour.
inline constexpr uint32_t kBackgroundSaved = 0;
inline constexpr uint32_t kBackgroundPattern = 0x808000;
inline constexpr uint32_t kBackgroundButtonFace = 2;
inline constexpr UINT kPatternBitmap = 374;

// One layer at its position. Transparent drawing changes the layer's bitmap
// (its transparent pixels become black), so a layer is drawn once. 0 or 6.
uint16_t DrawLayer(HDC target, const BitmapLayer* layer, bool transparent);

// 0 ok, 6 failure, 1 missing module, window or list.
uint16_t DrawBitmapLayers(HMODULE module, HWND window, HDC dc, const RECT* target, BitmapLayer* list,
                          HPALETTE palette, bool offScreen, bool background, uint32_t backgroundValue);
uint16_t DrawBitmapLayersToWindow(HMODULE module, HWND window, BitmapLayer* list, HPALETTE palette,
                                  bool offScreen, bool background, uint32_t backgroundValue);
