#include "common/options/model_icon.h"

#include "common/context/context_utilities.h"

#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kMostColours = 256;

struct DeletedDc {
    HDC dc = nullptr;
    ~DeletedDc()
    {
        if (dc != nullptr)
            DeleteDC(dc);
    }
};

struct DeletedObject {
    HGDIOBJ object = nullptr;
    ~DeletedObject()
    {
        if (object != nullptr)
            DeleteObject(object);
    }
};

// Sizes of the picture's parts, all checked against the bytes given.
struct IconLayout {
    uint32_t headerBytes;
    uint32_t colours;
    uint32_t width;
    uint32_t rows;        // of the image, and of the mask: half the header's height
    uint32_t imageStride;
    uint32_t maskStride;
};

bool ReadLayout(const uint8_t* bitmap, uint32_t size, BITMAPINFOHEADER* header, IconLayout* layout)
{
    if (bitmap == nullptr || size < sizeof(BITMAPINFOHEADER))
        return false;
    std::memcpy(header, bitmap, sizeof *header);
    const uint16_t bits = header->biBitCount;
    if (header->biSize < sizeof(BITMAPINFOHEADER) || header->biSize > size || header->biWidth <= 0 ||
        header->biHeight <= 0 || header->biHeight % 2 != 0 || header->biPlanes != 1 ||
        header->biCompression != BI_RGB ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32))
        return false;
    layout->headerBytes = header->biSize;
    layout->colours = header->biClrUsed != 0 ? header->biClrUsed : (bits <= 8 ? 1u << bits : 0);
    if (layout->colours > kMostColours)
        return false;
    layout->width = static_cast<uint32_t>(header->biWidth);
    layout->rows = static_cast<uint32_t>(header->biHeight) / 2;
    const uint64_t imageStride = (static_cast<uint64_t>(layout->width) * bits + 31) / 32 * 4;
    const uint64_t maskStride = (static_cast<uint64_t>(layout->width) + 31) / 32 * 4;
    const uint64_t total = layout->headerBytes + layout->colours * sizeof(RGBQUAD) +
                           (imageStride + maskStride) * layout->rows;
    if (total > size)
        return false;
    layout->imageStride = static_cast<uint32_t>(imageStride);
    layout->maskStride = static_cast<uint32_t>(maskStride);
    return true;
}

}  // namespace

int IconFromModelBitmap(HINSTANCE instance, const uint8_t* bitmap, uint32_t size, HICON* icon, HPALETTE* palette)
{
    if (icon == nullptr)
        return 0;
    *icon = nullptr;
    if (palette != nullptr)
        *palette = nullptr;
    BITMAPINFOHEADER header;
    IconLayout layout{};
    if (!ReadLayout(bitmap, size, &header, &layout))
        return 0;

    // The image alone: the same header with half the height, and its colours.
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + layout.colours * sizeof(RGBQUAD));
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biHeight = static_cast<LONG>(layout.rows);
    header.biSizeImage = 0;
    std::memcpy(info.data(), &header, sizeof header);
    std::memcpy(info.data() + sizeof header, bitmap + layout.headerBytes, layout.colours * sizeof(RGBQUAD));
    const auto* imageInfo = reinterpret_cast<const BITMAPINFO*>(info.data());
    const uint8_t* imageBits = bitmap + layout.headerBytes + layout.colours * sizeof(RGBQUAD);
    const uint8_t* maskBits = imageBits + static_cast<size_t>(layout.imageStride) * layout.rows;

    DeletedDc display;
    display.dc = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
    if (display.dc == nullptr)
        return 0;
    DeletedObject ownPalette;
    HPALETTE formerPalette = nullptr;
    if (header.biBitCount <= 8 && layout.colours != 0) {
        ownPalette.object = CreatePicturePalette(imageInfo);
        if (ownPalette.object != nullptr) {
            formerPalette = SelectPalette(display.dc, static_cast<HPALETTE>(ownPalette.object), FALSE);
            RealizePalette(display.dc);
        }
    }

    DeletedObject image;
    image.object = CreateDIBitmap(display.dc, &header, 0, nullptr, nullptr, DIB_RGB_COLORS);
    BITMAP device{};
    bool made = image.object != nullptr &&
                SetDIBits(display.dc, static_cast<HBITMAP>(image.object), 0, layout.rows, imageBits, imageInfo,
                          DIB_RGB_COLORS) != 0 &&
                GetObjectW(image.object, sizeof device, &device) == sizeof device;
    if (made) {
        std::vector<uint8_t> colourBits(static_cast<size_t>(device.bmWidthBytes) * device.bmHeight);
        // CreateIcon takes the mask top-down in rows of whole 16-bit words;
        // the picture holds it bottom-up in rows of whole 32-bit words.
        const uint32_t andStride = (layout.width + 15) / 16 * 2;
        std::vector<uint8_t> andBits(static_cast<size_t>(andStride) * layout.rows);
        for (uint32_t row = 0; row < layout.rows; ++row)
            std::memcpy(andBits.data() + static_cast<size_t>(row) * andStride,
                        maskBits + static_cast<size_t>(layout.rows - 1 - row) * layout.maskStride, andStride);
        made = GetBitmapBits(static_cast<HBITMAP>(image.object), static_cast<LONG>(colourBits.size()),
                             colourBits.data()) != 0;
        if (made)
            *icon = CreateIcon(instance, static_cast<int>(layout.width), static_cast<int>(layout.rows),
                               static_cast<BYTE>(device.bmPlanes), static_cast<BYTE>(device.bmBitsPixel),
                               andBits.data(), colourBits.data());
    }
    if (formerPalette != nullptr)
        SelectPalette(display.dc, formerPalette, FALSE);
    if (*icon == nullptr)
        return 0;
    if (palette != nullptr) {
        *palette = static_cast<HPALETTE>(ownPalette.object);
        ownPalette.object = nullptr;
    }
    return 1;
}
