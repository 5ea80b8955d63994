#include "ui/illustration/layer_drawing.h"

#include "ui/engine/ui_context.h"
#include "ui/illustration/picture_status.h"

#include <vector>

namespace {

// A one-bit mask of the layer: 1 where the layer is the transparent colour.
// The key image is the layer XORed onto the inverted key colour, so that the
// transparent pixels come out white whatever the depth of the target; it is
// then read as 32-bit pixels and every pixel that is not white is opaque.
// (Taking the key image itself as the mask would colour the opaque pixels of
// a 24- or 8-bit target.)
HBITMAP MakeLayerMask(HDC target, HDC layerDc, int width, int height)
{
    HDC keyDc = CreateCompatibleDC(target);
    HBITMAP key = CreateCompatibleBitmap(target, width, height);
    HBITMAP mask = nullptr;
    if (keyDc && key) {
        HGDIOBJ oldKey = SelectObject(keyDc, key);
        HBRUSH magenta = CreateSolidBrush(kTransparentKey);
        RECT all{0, 0, width, height};
        FillRect(keyDc, &all, magenta);
        DeleteObject(magenta);
        BitBlt(keyDc, 0, 0, width, height, nullptr, 0, 0, DSTINVERT);
        BitBlt(keyDc, 0, 0, width, height, layerDc, 0, 0, SRCINVERT);
        SelectObject(keyDc, oldKey);

        BITMAPINFO wide{};
        wide.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
        if (GetDIBits(keyDc, key, 0, height, pixels.data(), &wide, DIB_RGB_COLORS) == height) {
            struct {
                BITMAPINFOHEADER header;
                RGBQUAD colours[2];
            } mono{{sizeof(BITMAPINFOHEADER), width, -height, 1, 1, BI_RGB, 0, 0, 0, 2, 2},
                   {{0, 0, 0, 0}, {255, 255, 255, 0}}};
            size_t stride = ((static_cast<size_t>(width) + 31) / 32) * 4;
            std::vector<BYTE> bits(stride * height, 0);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    if ((pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF) == 0xFFFFFF)
                        bits[y * stride + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
            mask = CreateBitmap(width, height, 1, 1, nullptr);
            if (mask && !SetDIBits(keyDc, mask, 0, height, bits.data(), reinterpret_cast<BITMAPINFO*>(&mono),
                                   DIB_RGB_COLORS)) {
                DeleteObject(mask);
                mask = nullptr;
            }
        }
    }
    if (key)
        DeleteObject(key);
    if (keyDc)
        DeleteDC(keyDc);
    return mask;
}

}  // namespace

uint16_t DrawLayer(HDC target, const BitmapLayer* layer, bool transparent)
{
    BITMAP info{};
    if (!target || !layer || !layer->bitmap || !GetObjectW(layer->bitmap, sizeof(info), &info))
        return kPictureFailed;
    HDC layerDc = CreateCompatibleDC(target);
    if (!layerDc)
        return kPictureFailed;
    HGDIOBJ oldLayer = SelectObject(layerDc, layer->bitmap);
    uint16_t status = kPictureFailed;
    if (!transparent) {
        if (BitBlt(target, layer->x, layer->y, info.bmWidth, info.bmHeight, layerDc, 0, 0, SRCCOPY))
            status = kPictureOk;
    } else if (HBITMAP mask = MakeLayerMask(target, layerDc, info.bmWidth, info.bmHeight)) {
        HDC maskDc = CreateCompatibleDC(target);
        if (maskDc) {
            HGDIOBJ oldMask = SelectObject(maskDc, mask);
            // A one-bit source takes the text colour for 0 and the background
            // colour for 1 in a colour destination.
            COLORREF oldText = SetTextColor(target, RGB(0, 0, 0));
            COLORREF oldBack = SetBkColor(target, RGB(255, 255, 255));
            BitBlt(target, layer->x, layer->y, info.bmWidth, info.bmHeight, maskDc, 0, 0, SRCAND);
            BitBlt(maskDc, 0, 0, info.bmWidth, info.bmHeight, nullptr, 0, 0, DSTINVERT);
            SetTextColor(layerDc, RGB(0, 0, 0));
            SetBkColor(layerDc, RGB(255, 255, 255));
            BitBlt(layerDc, 0, 0, info.bmWidth, info.bmHeight, maskDc, 0, 0, SRCAND);
            if (BitBlt(target, layer->x, layer->y, info.bmWidth, info.bmHeight, layerDc, 0, 0, SRCPAINT))
                status = kPictureOk;
            SetTextColor(target, oldText);
            SetBkColor(target, oldBack);
            SelectObject(maskDc, oldMask);
            DeleteDC(maskDc);
        }
        DeleteObject(mask);
    }
    SelectObject(layerDc, oldLayer);
    DeleteDC(layerDc);
    return status;
}

namespace {

void FillBackground(HMODULE module, HWND window, HDC dc, const RECT* area, HPALETTE palette, uint32_t value)
{
    if (value == kBackgroundPattern) {
        HPALETTE own = palette;
        HBITMAP tile = nullptr;
        if (LoadPaletteBitmap(module, window, kPatternBitmap, &own, &tile) == kPictureOk) {
            HBRUSH pattern = CreatePatternBrush(tile);
            if (pattern) {
                FillRect(dc, area, pattern);
                DeleteObject(pattern);
            }
            DeleteObject(tile);
        }
        if (own != palette)
            DeleteObject(own);
        return;
    }
    if (value == kBackgroundSaved) {
        UiContext* ui = GetWindowUiContext(GetParent(window));
        const PictureControlRecord* saved = FindPictureControl(ui, static_cast<uint32_t>(GetDlgCtrlID(window)));
        if (saved && saved->memoryDc) {
            BitBlt(dc, area->left, area->top, area->right - area->left, area->bottom - area->top, saved->memoryDc,
                   0, 0, SRCCOPY);
            return;
        }
    }
    FillRect(dc, area, GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace

uint16_t DrawBitmapLayers(HMODULE module, HWND window, HDC dc, const RECT* target, BitmapLayer* list,
                          HPALETTE palette, bool offScreen, bool background, uint32_t backgroundValue)
{
    if (!module || !window || !list)
        return kPictureBadArgument;
    if (!dc || !target)
        return kPictureFailed;
    HPALETTE oldPalette = palette ? SelectPalette(dc, palette, FALSE) : nullptr;
    HDC drawDc = dc;
    HDC memory = nullptr;
    HBITMAP canvas = nullptr;
    HGDIOBJ oldCanvas = nullptr;
    uint16_t status = kPictureOk;
    if (offScreen) {
        memory = CreateCompatibleDC(dc);
        canvas = memory ? CreateCompatibleBitmap(dc, target->right, target->bottom) : nullptr;
        if (!canvas)
            status = kPictureFailed;
        else {
            oldCanvas = SelectObject(memory, canvas);
            if (palette)
                SelectPalette(memory, palette, FALSE);
            drawDc = memory;
        }
    }
    if (status == kPictureOk) {
        if (background)
            FillBackground(module, window, drawDc, target, palette, backgroundValue);
        for (BitmapLayer* layer = list; layer->bitmap; ++layer)
            if (DrawLayer(drawDc, layer, offScreen) != kPictureOk) {
                status = kPictureFailed;
                break;
            }
        if (offScreen)
            BitBlt(dc, target->left, target->top, target->right - target->left, target->bottom - target->top,
                   memory, target->left, target->top, SRCCOPY);
    }
    if (memory) {
        if (oldCanvas)
            SelectObject(memory, oldCanvas);
        DeleteDC(memory);
    }
    if (canvas)
        DeleteObject(canvas);
    if (palette)
        SelectPalette(dc, oldPalette, FALSE);
    return status;
}

uint16_t DrawBitmapLayersToWindow(HMODULE module, HWND window, BitmapLayer* list, HPALETTE palette,
                                  bool offScreen, bool background, uint32_t backgroundValue)
{
    if (!module || !window || !list)
        return kPictureBadArgument;
    RECT client{};
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    if (!dc)
        return kPictureFailed;
    uint16_t status = DrawBitmapLayers(module, window, dc, &client, list, palette, offScreen, background,
                                       backgroundValue);
    ReleaseDC(window, dc);
    return status;
}
