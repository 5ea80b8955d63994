#include "ui/illustration/layer_drawing.h"

#include "ui/engine/ui_context.h"
#include "ui/illustration/picture_status.h"

#include <vector>

namespace {

// A one-bit mask of the layer: 1 where the layer is the transparent colour.
// The layer is read as 32-bit colours, so the mask is right at every depth: a
// key image made by raster operations works on palette indices at 8 bits and
// is no two-colour image at 24 bits.
// The layer must not be selected into a DC while it is read.
HBITMAP MakeLayerMask(HDC dc, HBITMAP layer, int width, int height)
{
    BITMAPINFO wide{};
    wide.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    if (GetDIBits(dc, layer, 0, height, pixels.data(), &wide, DIB_RGB_COLORS) != height)
        return nullptr;
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } mono{{sizeof(BITMAPINFOHEADER), width, -height, 1, 1, BI_RGB, 0, 0, 0, 2, 2},
           {{0, 0, 0, 0}, {255, 255, 255, 0}}};
    size_t stride = ((static_cast<size_t>(width) + 31) / 32) * 4;
    std::vector<BYTE> bits(stride * height, 0);
    constexpr uint32_t kKeyPixel = 0xFF00FF;  // RGBQUAD order: blue, green, red
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF) == kKeyPixel)
                bits[y * stride + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
    HBITMAP mask = CreateBitmap(width, height, 1, 1, nullptr);
    if (mask && !SetDIBits(dc, mask, 0, height, bits.data(), reinterpret_cast<BITMAPINFO*>(&mono),
                           DIB_RGB_COLORS)) {
        DeleteObject(mask);
        mask = nullptr;
    }
    return mask;
}

}  // namespace

uint16_t DrawLayer(HDC target, const BitmapLayer* layer, bool transparent)
{
    BITMAP info{};
    if (!target || !layer || !layer->bitmap || !GetObjectW(layer->bitmap, sizeof(info), &info))
        return kPictureFailed;
    HBITMAP mask = transparent ? MakeLayerMask(target, layer->bitmap, info.bmWidth, info.bmHeight) : nullptr;
    if (transparent && !mask)
        return kPictureFailed;
    HDC layerDc = CreateCompatibleDC(target);
    if (!layerDc) {
        if (mask)
            DeleteObject(mask);
        return kPictureFailed;
    }
    HGDIOBJ oldLayer = SelectObject(layerDc, layer->bitmap);
    uint16_t status = kPictureFailed;
    if (!transparent) {
        if (BitBlt(target, layer->x, layer->y, info.bmWidth, info.bmHeight, layerDc, 0, 0, SRCCOPY))
            status = kPictureOk;
    } else {
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
