#include "common/options/model_icon.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A picture laid out as an icon: width x (2 x rows) in the header, a colour
// table, the image's bits and the mask's bits.
std::vector<uint8_t> MakeIconPicture(int width, int rows, uint16_t bits)
{
    const uint32_t colours = bits <= 8 ? 1u << bits : 0;
    const uint32_t imageStride = (width * bits + 31) / 32 * 4;
    const uint32_t maskStride = (width + 31) / 32 * 4;
    std::vector<uint8_t> picture(sizeof(BITMAPINFOHEADER) + colours * 4 + (imageStride + maskStride) * rows);
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = 2 * rows;
    header.biPlanes = 1;
    header.biBitCount = bits;
    header.biCompression = BI_RGB;
    std::memcpy(picture.data(), &header, sizeof header);
    for (uint32_t i = 0; i < colours; ++i)
        picture[sizeof header + i * 4 + 1] = static_cast<uint8_t>(i * 255 / (colours - 1));
    for (size_t i = sizeof header + colours * 4; i < picture.size(); ++i)
        picture[i] = static_cast<uint8_t>(i * 37);
    return picture;
}

struct Made {
    int width;
    int height;
};

// The size of the icon's colour bitmap; {0, 0} when no icon was made.
Made MakeIcon(const std::vector<uint8_t>& picture, uint32_t size)
{
    HICON icon = nullptr;
    HPALETTE palette = nullptr;
    if (!IconFromModelBitmap(GetModuleHandleW(nullptr), picture.data(), size, &icon, &palette))
        return {0, 0};
    Made made{-1, -1};
    ICONINFO info{};
    if (GetIconInfo(icon, &info)) {
        BITMAP bitmap{};
        if (info.hbmColor != nullptr && GetObjectW(info.hbmColor, sizeof bitmap, &bitmap) == sizeof bitmap)
            made = {bitmap.bmWidth, bitmap.bmHeight};
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    DestroyIcon(icon);
    if (palette != nullptr)
        DeleteObject(palette);
    return made;
}

// A fix: the icon was made with the picture's whole height, which counts the
// image and its mask; it is half of it.
TEST(ModelIcon, IconHasHalfThePictureHeight)
{
    for (uint16_t bits : {4, 8, 24}) {
        const std::vector<uint8_t> picture = MakeIconPicture(16, 16, bits);
        const Made made = MakeIcon(picture, static_cast<uint32_t>(picture.size()));
        EXPECT_EQ(made.width, 16) << bits;
        EXPECT_EQ(made.height, 16) << bits;
    }
    const std::vector<uint8_t> wide = MakeIconPicture(40, 8, 8);
    const Made made = MakeIcon(wide, static_cast<uint32_t>(wide.size()));
    EXPECT_EQ(made.width, 40);
    EXPECT_EQ(made.height, 8);
}

TEST(ModelIcon, PictureMustHoldAllItsBits)
{
    const std::vector<uint8_t> picture = MakeIconPicture(16, 16, 8);
    const uint32_t size = static_cast<uint32_t>(picture.size());
    EXPECT_EQ(MakeIcon(picture, size).height, 16);
    EXPECT_EQ(MakeIcon(picture, size - 1).height, 0);
    EXPECT_EQ(MakeIcon(picture, sizeof(BITMAPINFOHEADER) - 1).height, 0);
}

struct BadHeader {
    LONG width;
    LONG height;
    uint16_t bits;
    uint32_t compression;
    uint32_t colours;
};

const BadHeader kBadHeaders[] = {
    {0, 32, 8, BI_RGB, 0},      // no width
    {16, 0, 8, BI_RGB, 0},      // no height
    {16, 31, 8, BI_RGB, 0},     // image and mask of unequal rows
    {16, -32, 8, BI_RGB, 0},    // top-down
    {16, 32, 3, BI_RGB, 0},     // no such depth
    {16, 32, 8, BI_RLE8, 0},    // compressed
    {16, 32, 8, BI_RGB, 257},   // colour table beyond 256
};

TEST(ModelIcon, BadHeadersGiveNoIcon)
{
    for (const BadHeader& bad : kBadHeaders) {
        std::vector<uint8_t> picture = MakeIconPicture(16, 16, 8);
        BITMAPINFOHEADER header;
        std::memcpy(&header, picture.data(), sizeof header);
        header.biWidth = bad.width;
        header.biHeight = bad.height;
        header.biBitCount = bad.bits;
        header.biCompression = bad.compression;
        header.biClrUsed = bad.colours;
        std::memcpy(picture.data(), &header, sizeof header);
        EXPECT_EQ(MakeIcon(picture, static_cast<uint32_t>(picture.size())).height, 0)
            << bad.width << " x " << bad.height << " x " << bad.bits;
    }
    HICON icon = reinterpret_cast<HICON>(1);
    EXPECT_EQ(IconFromModelBitmap(nullptr, nullptr, 100, &icon, nullptr), 0);
    EXPECT_EQ(icon, nullptr);
}

}  // namespace
