// Icons of option rows from the pictures of the model data: a device-independent
// bitmap laid out as an icon image (BITMAPINFOHEADER, colour table, the image's
// bits, then the 1-bit mask's bits; the header's height counts both).
#pragma once
#include <windows.h>

#include <cstdint>

// 1 with a new icon (DestroyIcon) and, for a bitmap of 8 bits or fewer with a
// colour table, the palette it was realised with (DeleteObject; may be null);
// 0 for a picture whose sizes do not add up within `size` bytes, or when GDI
// fails. Nothing is left allocated on failure.
int IconFromModelBitmap(HINSTANCE instance, const uint8_t* bitmap, uint32_t size, HICON* icon, HPALETTE* palette);
