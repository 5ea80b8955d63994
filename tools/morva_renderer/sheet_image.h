// A sheet's picture: 8-bit RGB pixels, top row first, and the PNG form it is
// saved in.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct SheetImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // width x height x 3, no row padding

    SheetImage() = default;
    SheetImage(int w, int h) : width(w), height(h), rgb(size_t(w) * size_t(h) * 3, 0xFF) {}
    uint8_t* At(int x, int y) { return rgb.data() + (size_t(y) * size_t(width) + size_t(x)) * 3; }
    const uint8_t* At(int x, int y) const { return rgb.data() + (size_t(y) * size_t(width) + size_t(x)) * 3; }
};

// Each block of factor x factor pixels becomes their mean (a partial block at
// the right or bottom edge counts only its own pixels).
SheetImage ReduceImage(const SheetImage& image, int factor);

// The PNG file bytes: colour type 2, bit depth 8, no interlace. The image data
// goes into stored (uncompressed) deflate blocks: the pictures are for people
// to look at, and no compression library is part of the build.
std::vector<uint8_t> EncodePng(const SheetImage& image);
// False when the file cannot be written whole.
bool WritePngFile(const std::string& path, const SheetImage& image);
