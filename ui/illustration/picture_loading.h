// Bitmaps of the resource file and of the model data as device bitmaps, with
// the 256-colour palette of an 8-bit picture, and the layer lists that a
// composed picture is drawn from.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

// One layer of a picture; a null bitmap ends a list. x, y: the layer's top-left
// corner in the picture, in pixels.
struct BitmapLayer {
    HBITMAP bitmap;
    int32_t x;
    int32_t y;
};

// A zero-filled list with room for `layers` layers and the ending entry; null
// when memory runs out.
BitmapLayer* AllocateBitmapLayers(size_t layers);
// Deletes each layer's bitmap and frees the list: 0, or 1 for no list.
int FreeBitmapLayers(BitmapLayer* list);

// The palette of an 8-bit DIB's colour table (colours used, else 2^bits); null
// for a DIB without a table or when it cannot be made. `size` bounds the read.
HPALETTE CreateDibPalette(const BITMAPINFOHEADER* dib, size_t size);
// Whether a DIB is drawn through its palette: 256 colours used, or none stated
// and 8 bits per pixel.
bool DibNeedsPalette(const BITMAPINFOHEADER* dib);

// A bitmap resource as a device bitmap compatible with the window's DC. An
// 8-bit picture goes through its palette, made here when *palette holds none
// (the caller deletes it); any other picture is loaded as it is. 0, 2, 5, 6.
uint16_t LoadPaletteBitmap(HMODULE module, HWND window, UINT resourceId, HPALETTE* palette, HBITMAP* bitmap);
// The same for a DIB already in memory of `size` bytes (header, colour table, bits).
uint16_t CreateBitmapFromDib(HMODULE module, HWND window, const BITMAPINFOHEADER* dib, size_t size,
                             HPALETTE* palette, HBITMAP* bitmap);
// A one-layer list at (0, 0) of the resource.
uint16_t LoadControlBitmap(HMODULE module, HWND dialog, int controlId, UINT resourceId, BitmapLayer** list,
                           HPALETTE* palette);
// The bytes a DIB's header, colour table and bits take; 0 for a header that
// is not a plain BITMAPINFOHEADER or whose sizes overflow.
size_t DibTotalSize(const BITMAPINFOHEADER* dib);
size_t DibColourCount(const BITMAPINFOHEADER* dib);
