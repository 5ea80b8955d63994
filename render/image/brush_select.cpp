#include "render/image/brush_select.h"

#include "render/command/command_layer.h"
#include "render/device/engine_calls.h"
#include "render/device/pdev_record.h"
#include "render/image/job_colour.h"
#include "render/image/realize_brush.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

namespace {

constexpr ULONG kHatchStyles = 6;               // GDI hatch styles 0 to 5
constexpr uint8_t kTransparentBackground = 11;  // R2_NOP as the mix's background code

// Foreground and background of a one-bit brush: entries 0 and 1 of its colours.
void TwoColours(const RealizedBrush* realized, ULONG* foreground, ULONG* background)
{
    *foreground = 0;
    *background = 0xFFFFFF;
    if (realized->colourCount < 2 || realized->colourTableOffset + 8 > realized->size)
        return;
    const auto* table = reinterpret_cast<const ULONG*>(reinterpret_cast<const uint8_t*>(realized) +
                                                       realized->colourTableOffset);
    *foreground = table[0];
    *background = table[1];
}

int SendBackground(const PDevRecord* pdev, uint16_t use, ULONG background, MIX mix)
{
    // A transparent background is never painted: it goes as given.
    const bool transparent = ((mix >> 8) & 0xFF) == kTransparentBackground;
    const MorvaColour colour = DeviceColour(transparent ? nullptr : pdev, background);
    return EmitBrushBackground(pdev->commandLayer, static_cast<uint8_t>(use), transparent ? 2 : 1, colour);
}

// The device colour of each pixel of a 4-, 8- or 24-bit pattern, red first,
// rows packed and top row first.
void PatternPixels(const RealizedBrush* realized, uint8_t* out)
{
    const auto* rows = reinterpret_cast<const uint8_t*>(realized) + sizeof(RealizedBrush);
    const auto* table = reinterpret_cast<const ULONG*>(reinterpret_cast<const uint8_t*>(realized) +
                                                       realized->colourTableOffset);
    const uint32_t width = static_cast<uint32_t>(realized->width);
    for (int32_t y = 0; y < realized->height; ++y) {
        const uint8_t* row = rows + size_t(y) * realized->rowBytes;
        uint8_t* pixel = out + size_t(y) * width * 3;
        if (realized->format == BMF_24BPP) {
            std::copy_n(row, size_t(width) * 3, pixel);
            continue;
        }
        for (uint32_t x = 0; x < width; ++x, pixel += 3) {
            const uint32_t index = realized->format == BMF_4BPP ? (row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF : row[x];
            // An index beyond the brush's colours is black, as the engine's table would give.
            const ULONG colour = index < realized->colourCount ? table[index] : 0;
            pixel[0] = uint8_t(colour);
            pixel[1] = uint8_t(colour >> 8);
            pixel[2] = uint8_t(colour >> 16);
        }
    }
}

// Bytes of a pattern row's pixels in the realised format; 0 for a format
// that is no colour pattern.
uint32_t PixelBytes(uint32_t format, uint32_t width)
{
    switch (format) {
    case BMF_4BPP: return (width + 1) / 2;
    case BMF_8BPP: return width;
    case BMF_24BPP: return width * 3;
    default: return 0;
    }
}

// A colour pattern whose rows and colours lie within the realised brush, of
// a size the stream's 16-bit fields hold.
bool IsColourPattern(const RealizedBrush* realized)
{
    if (realized->width <= 0 || realized->height <= 0 || realized->width > INT16_MAX || realized->height > INT16_MAX)
        return false;
    const uint32_t bytes = PixelBytes(realized->format, uint32_t(realized->width));
    return bytes != 0 && realized->rowBytes >= bytes &&
           sizeof(RealizedBrush) + uint64_t{realized->rowBytes} * uint32_t(realized->height) <=
               realized->colourTableOffset &&
           uint64_t{realized->colourTableOffset} + uint64_t{realized->colourCount} * 4 <= realized->size;
}

// A 4-, 8- or 24-bit pattern as "AP": its colours through the job's colour
// stages, as one grey byte a pixel when every converted pixel is grey.
int SendColourPattern(const PDevRecord* pdev, uint16_t use, int32_t x, int32_t y, const RealizedBrush* realized)
{
    if (!IsColourPattern(realized))
        return -1;
    const uint32_t pixels = uint32_t(realized->width) * uint32_t(realized->height);
    // The data length is a 32-bit signed field.
    if (uint64_t{pixels} * 3 > INT32_MAX)
        return -1;
    std::unique_ptr<uint8_t[]> rgb(new (std::nothrow) uint8_t[size_t(pixels) * 3]);
    if (rgb == nullptr)
        return -1;
    PatternPixels(realized, rgb.get());
    NotePagePixels(pdev, rgb.get(), pixels);
    ConvertDevicePixels(pdev, rgb.get(), pixels);
    bool grey = true;
    for (uint32_t i = 0; i < pixels && grey; ++i)
        grey = rgb[3 * i] == rgb[3 * i + 1] && rgb[3 * i + 1] == rgb[3 * i + 2];
    if (grey)
        for (uint32_t i = 0; i < pixels; ++i)
            rgb[i] = rgb[3 * i];
    ColourPattern pattern{};
    pattern.x = x;
    pattern.y = y;
    pattern.use = static_cast<uint8_t>(use);
    pattern.format = grey ? kColourFormatGrey : kColourFormatRgb;
    pattern.width = realized->width;
    pattern.height = realized->height;
    pattern.length = grey ? pixels : pixels * 3;
    pattern.data = rgb.get();
    return EmitColourPatternBrush(pdev->commandLayer, pattern);
}

int SendRealizedBrush(const PDevRecord* pdev, uint16_t use, const POINTL* origin, const RealizedBrush* realized,
                      MIX mix)
{
    CommandLayer* layer = pdev->commandLayer;
    ULONG foreground, background;
    TwoColours(realized, &foreground, &background);
    const int32_t x = origin ? origin->x : 0, y = origin ? origin->y : 0;
    if (realized->hatch < kHatchStyles) {
        if (SendBackground(pdev, use, background, mix) != 0)
            return -1;
        return EmitHatchStyleBrush(layer, x, y, use, DeviceColour(pdev, foreground), static_cast<int32_t>(realized->hatch) + 2);
    }
    if (realized->format == BMF_1BPP && realized->width > 0 && realized->height > 0 &&
        realized->width <= INT16_MAX && realized->height <= INT16_MAX) {
        // The realised rows are top row first, each padded to 4 bytes; the
        // stream wants them packed to whole bytes.
        const uint32_t packed = (static_cast<uint32_t>(realized->width) + 7) / 8;
        std::vector<uint8_t> bits(size_t(packed) * realized->height);
        const auto* rows = reinterpret_cast<const uint8_t*>(realized) + sizeof(RealizedBrush);
        for (int32_t row = 0; row < realized->height; ++row)
            std::copy_n(rows + size_t(row) * realized->rowBytes, packed, bits.data() + size_t(row) * packed);
        if (SendBackground(pdev, use, background, mix) != 0)
            return -1;
        return EmitPatternBrush(layer, x, y, use, DeviceColour(pdev, foreground), {realized->width, realized->height, bits.data()});
    }
    return SendColourPattern(pdev, use, x, y, realized);
}

}  // namespace

MorvaColour DeviceColour(const PDevRecord* pdev, ULONG rgb)
{
    // The device palette is PAL_RGB: red in the low byte.
    NotePageColour(pdev, rgb);
    rgb = ConvertDeviceColour(pdev, rgb);
    const uint8_t r = uint8_t(rgb), g = uint8_t(rgb >> 8), b = uint8_t(rgb >> 16);
    if (r == g && g == b)
        return {kColourFormatGrey, {r, 0, 0}};
    return {kColourFormatRgb, {r, g, b}};
}

int SelectBrushForDrawing(PDevRecord* pdev, uint16_t use, const POINTL* origin, BRUSHOBJ* brush, MIX mix)
{
    CommandLayer* layer = pdev->commandLayer;
    if (mix != 0 && EmitMix(layer, 1, static_cast<int32_t>(mix & 0xFF)) != 0)
        return 0;
    if (brush == nullptr)
        return 1;
    if (brush->iSolidColor != 0xFFFFFFFF)
        return EmitColour(layer, static_cast<uint8_t>(use), DeviceColour(pdev, brush->iSolidColor)) == 0 ? 1 : 0;
    const auto* realized = static_cast<const RealizedBrush*>(
        brush->pvRbrush != nullptr ? brush->pvRbrush : g_engine.BRUSHOBJ_pvGetRbrush(brush));
    if (realized == nullptr)
        return 0;
    return SendRealizedBrush(pdev, use, origin, realized, mix) == 0 ? 1 : 0;
}

