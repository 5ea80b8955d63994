#include "tests/sheets/sheet_comparison.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool IsInk(const uint8_t* p)
{
    return p[0] < 224 || p[1] < 224 || p[2] < 224;
}

bool Near(const uint8_t* p, const uint8_t* q, int tolerance)
{
    return std::abs(p[0] - q[0]) <= tolerance && std::abs(p[1] - q[1]) <= tolerance &&
           std::abs(p[2] - q[2]) <= tolerance;
}

const uint8_t kWhite[3] = {255, 255, 255};

// Outside a picture its sheet is white.
const uint8_t* PixelOrWhite(const SheetImage& image, int x, int y)
{
    return x < image.width && y < image.height ? image.At(x, y) : kWhite;
}

bool Matched(const SheetImage& other, int x, int y, const uint8_t* p, int reach, int tolerance)
{
    for (int dy = -reach; dy <= reach; ++dy) {
        const int yy = y + dy;
        if (yy < 0)
            continue;
        for (int dx = -reach; dx <= reach; ++dx) {
            const int xx = x + dx;
            if (xx >= 0 && Near(p, PixelOrWhite(other, xx, yy), tolerance))
                return true;
        }
    }
    return false;
}

}  // namespace

InkComparison CompareInk(const SheetImage& a, const SheetImage& b, int reach, int tolerance, SheetImage* diff)
{
    const int width = std::max(a.width, b.width), height = std::max(a.height, b.height);
    InkComparison result;
    if (diff != nullptr)
        *diff = SheetImage(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = PixelOrWhite(a, x, y);
            const uint8_t* q = PixelOrWhite(b, x, y);
            const bool inkA = IsInk(p), inkB = IsInk(q);
            bool lostA = false, lostB = false;
            if (inkA) {
                ++result.inkA;
                lostA = !Matched(b, x, y, p, reach, tolerance);
                result.unmatchedA += lostA;
            }
            if (inkB) {
                ++result.inkB;
                lostB = !Matched(a, x, y, q, reach, tolerance);
                result.unmatchedB += lostB;
            }
            if (diff == nullptr || (!inkA && !inkB))
                continue;
            uint8_t* d = diff->At(x, y);
            if (lostA) {
                d[0] = 230, d[1] = 0, d[2] = 0;
            } else if (lostB) {
                d[0] = 0, d[1] = 0, d[2] = 230;
            } else {
                d[0] = d[1] = d[2] = 190;
            }
        }
    }
    return result;
}
