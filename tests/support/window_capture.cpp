#include "tests/support/window_capture.h"

#include "tools/morva_renderer/sheet_image.h"

#include <cstring>
#include <vector>

namespace {

// The tests run in <build>/x64/bin; the pictures belong to <build>/screens.
constexpr char kScreensFromTestDirectory[] = "..\\..\\screens\\";

void PumpPaintMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

std::string ScreensDirectory()
{
    CreateDirectoryA(kScreensFromTestDirectory, nullptr);
    return kScreensFromTestDirectory;
}

bool CaptureWindowPng(HWND window, const std::string& name)
{
    if (!window || !IsWindow(window))
        return false;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpPaintMessages();
    GdiFlush();
    RECT client{};
    GetClientRect(window, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0)
        return false;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC windowDc = GetDC(window);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    HBITMAP bitmap = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool copied = false;
    if (memoryDc && bitmap && bits) {
        HGDIOBJ old = SelectObject(memoryDc, bitmap);
        copied = BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY) != FALSE;
        GdiFlush();
        SelectObject(memoryDc, old);
    }
    SheetImage image(width, height);
    if (copied) {
        const auto* pixels = static_cast<const uint8_t*>(bits);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint8_t* bgra = pixels + (static_cast<size_t>(y) * width + x) * 4;
                uint8_t* rgb = image.At(x, y);
                rgb[0] = bgra[2];
                rgb[1] = bgra[1];
                rgb[2] = bgra[0];
            }
    }
    if (bitmap)
        DeleteObject(bitmap);
    if (memoryDc)
        DeleteDC(memoryDc);
    ReleaseDC(window, windowDc);
    return copied && WritePngFile(ScreensDirectory() + name + ".png", image);
}
