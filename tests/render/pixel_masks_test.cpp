// Masks made in place from padded image rows.
#include "render/image/pixel_masks.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Two rows of two pixels, each row padded to 8 bytes with 0xAA.
std::vector<uint8_t> Rows(std::vector<uint8_t> first, std::vector<uint8_t> second)
{
    first.resize(8, 0xAA);
    second.resize(8, 0xAA);
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

TEST(PixelMasks, OnlyWhiteStaysWhite)
{
    std::vector<uint8_t> rows = Rows({255, 255, 255, 255, 254, 255}, {0, 0, 0, 12, 200, 255});
    KeepWhiteMask(rows.data(), 8, 2, 2);
    EXPECT_EQ(rows, Rows({255, 255, 255, 0, 0, 0}, {0, 0, 0, 0, 0, 0}));

    std::vector<uint8_t> kept = rows;
    KeepWhiteMask(rows.data(), 5, 2, 2);
    EXPECT_EQ(rows, kept) << "a row step shorter than a row is refused";
    KeepWhiteMask(nullptr, 8, 2, 2);
}

TEST(PixelMasks, InvertBytesKeepsThePadding)
{
    std::vector<uint8_t> rows = Rows({0x00, 0xFF, 0x0F, 0x81}, {0x7E});
    InvertBytes(rows.data(), 8, 4, 2);
    EXPECT_EQ(rows, Rows({0xFF, 0x00, 0xF0, 0x7E}, {0x81, 0x55, 0x55, 0x55}));

    std::vector<uint8_t> kept = rows;
    InvertBytes(rows.data(), 3, 4, 2);
    EXPECT_EQ(rows, kept);
    InvertBytes(nullptr, 8, 4, 2);
}

}  // namespace
