#include "ui/illustration/picture_loading.h"

#include "ui/illustration/picture_status.h"

#include <cstdlib>

BitmapLayer* AllocateBitmapLayers(size_t layers)
{
    if (layers > 4096)
        return nullptr;
    return static_cast<BitmapLayer*>(GlobalAlloc(GPTR, (layers + 1) * sizeof(BitmapLayer)));
}

int FreeBitmapLayers(BitmapLayer* list)
{
    if (!list)
        return 1;
    for (BitmapLayer* layer = list; layer->bitmap; ++layer)
        DeleteObject(layer->bitmap);
    GlobalFree(list);
    return 0;
}

size_t DibColourCount(const BITMAPINFOHEADER* dib)
{
    if (dib->biClrUsed)
        return dib->biClrUsed;
    if (dib->biBitCount <= 8)
        return size_t{1} << dib->biBitCount;
    return 0;
}

size_t DibTotalSize(const BITMAPINFOHEADER* dib)
{
    if (!dib || dib->biSize < sizeof(BITMAPINFOHEADER) || dib->biSize > 1024 || dib->biWidth <= 0 ||
        dib->biHeight == 0 || dib->biWidth > 32768 || std::abs(dib->biHeight) > 32768 || dib->biPlanes != 1)
        return 0;
    size_t colours = DibColourCount(dib);
    if (colours > 256)
        return 0;
    size_t table = colours * sizeof(RGBQUAD);
    if (dib->biCompression == BI_BITFIELDS)
        table += 3 * sizeof(DWORD);
    else if (dib->biCompression != BI_RGB)
        return 0;
    size_t stride = ((static_cast<size_t>(dib->biWidth) * dib->biBitCount + 31) / 32) * 4;
    return dib->biSize + table + stride * static_cast<size_t>(std::abs(dib->biHeight));
}

bool DibNeedsPalette(const BITMAPINFOHEADER* dib)
{
    return dib->biClrUsed == 256 || (dib->biClrUsed == 0 && dib->biBitCount == 8);
}

HPALETTE CreateDibPalette(const BITMAPINFOHEADER* dib, size_t size)
{
    if (!dib || size < sizeof(BITMAPINFOHEADER) || dib->biBitCount > 8)
        return nullptr;
    size_t colours = DibColourCount(dib);
    if (colours == 0 || colours > 256 || size < dib->biSize + colours * sizeof(RGBQUAD))
        return nullptr;
    struct {
        WORD version;
        WORD entries;
        PALETTEENTRY colour[256];
    } logical{};
    logical.version = 0x300;
    logical.entries = static_cast<WORD>(colours);
    const RGBQUAD* table = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(dib) + dib->biSize);
    for (size_t i = 0; i < colours; ++i)
        logical.colour[i] = {table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
    return CreatePalette(reinterpret_cast<LOGPALETTE*>(&logical));
}

namespace {

// The palette half: a device bitmap of the window's DC filled from the DIB's
// bits with the palette realised.
uint16_t MakePaletteBitmap(HWND window, const BITMAPINFOHEADER* dib, size_t size, HPALETTE* palette,
                           HBITMAP* bitmap)
{
    bool madePalette = false;
    if (!*palette) {
        *palette = CreateDibPalette(dib, size);
        if (!*palette)
            return kPictureNoMemory;
        madePalette = true;
    }
    uint16_t status = kPictureFailed;
    HDC windowDc = GetDC(window);
    HDC memory = windowDc ? CreateCompatibleDC(windowDc) : nullptr;
    if (memory) {
        HPALETTE old = SelectPalette(memory, *palette, FALSE);
        RealizePalette(memory);
        HBITMAP made = CreateCompatibleBitmap(windowDc, dib->biWidth, std::abs(dib->biHeight));
        size_t table = DibColourCount(dib) * sizeof(RGBQUAD);
        const BYTE* bits = reinterpret_cast<const BYTE*>(dib) + dib->biSize + table;
        if (made && SetDIBits(memory, made, 0, std::abs(dib->biHeight), bits,
                              reinterpret_cast<const BITMAPINFO*>(dib), DIB_RGB_COLORS)) {
            *bitmap = made;
            status = kPictureOk;
        } else if (made) {
            DeleteObject(made);
        }
        SelectPalette(memory, old, FALSE);
        DeleteDC(memory);
    }
    if (windowDc)
        ReleaseDC(window, windowDc);
    if (status != kPictureOk && madePalette) {
        DeleteObject(*palette);
        *palette = nullptr;
    }
    return status;
}

}  // namespace

uint16_t LoadPaletteBitmap(HMODULE module, HWND window, UINT resourceId, HPALETTE* palette, HBITMAP* bitmap)
{
    if (!module || !palette || !bitmap)
        return kPictureBadArgument;
    *bitmap = nullptr;
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(2));
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* dib = loaded ? static_cast<const BITMAPINFOHEADER*>(LockResource(loaded)) : nullptr;
    if (!dib)
        return kPictureResourceMissing;
    size_t size = SizeofResource(module, found);
    uint16_t status;
    if (size >= sizeof(BITMAPINFOHEADER) && DibNeedsPalette(dib)) {
        size_t needed = DibTotalSize(dib);
        status = needed && needed <= size ? MakePaletteBitmap(window, dib, size, palette, bitmap) : kPictureFailed;
    } else {
        *bitmap = LoadBitmapW(module, MAKEINTRESOURCEW(resourceId));
        status = *bitmap ? kPictureOk : kPictureFailed;
    }
    FreeResource(loaded);
    return status;
}

uint16_t CreateBitmapFromDib(HMODULE module, HWND window, const BITMAPINFOHEADER* dib, size_t size,
                             HPALETTE* palette, HBITMAP* bitmap)
{
    if (!module || !dib || !palette || !bitmap)
        return kPictureBadArgument;
    *bitmap = nullptr;
    size_t needed = size >= sizeof(BITMAPINFOHEADER) ? DibTotalSize(dib) : 0;
    if (!needed || needed > size)
        return kPictureFailed;
    if (DibNeedsPalette(dib))
        return MakePaletteBitmap(window, dib, size, palette, bitmap);
    HDC windowDc = GetDC(window);
    if (!windowDc)
        return kPictureFailed;
    size_t table = DibColourCount(dib) * sizeof(RGBQUAD) + (dib->biCompression == BI_BITFIELDS ? 12 : 0);
    const BYTE* bits = reinterpret_cast<const BYTE*>(dib) + dib->biSize + table;
    *bitmap = CreateDIBitmap(windowDc, dib, CBM_INIT, bits, reinterpret_cast<const BITMAPINFO*>(dib),
                             DIB_RGB_COLORS);
    ReleaseDC(window, windowDc);
    return *bitmap ? kPictureOk : kPictureFailed;
}

uint16_t LoadControlBitmap(HMODULE module, HWND dialog, int controlId, UINT resourceId, BitmapLayer** list,
                           HPALETTE* palette)
{
    if (!list)
        return kPictureBadArgument;
    *list = nullptr;
    BitmapLayer* layers = AllocateBitmapLayers(1);
    if (!layers)
        return kPictureNoMemory;
    HWND control = dialog ? GetDlgItem(dialog, controlId) : nullptr;
    uint16_t status = LoadPaletteBitmap(module, control ? control : dialog, resourceId, palette, &layers[0].bitmap);
    if (status != kPictureOk) {
        FreeBitmapLayers(layers);
        return status;
    }
    *list = layers;
    return kPictureOk;
}
