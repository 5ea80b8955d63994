#include "render/image/brush_select.h"

#include "render/frame/engine_calls.h"
#include "render/frame/pdev_record.h"
#include "render/command/command_layer.h"
#include "render/frame/realize_brush.h"
#include "render/image/job_colour.h"

#include <algorithm>
#include <cstdint>
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
    // Deeper patterns go out as their first colour until colour patterns are sent.
    return EmitColour(layer, static_cast<uint8_t>(use), DeviceColour(pdev, foreground));
}

}  // namespace

MorvaColour DeviceColour(const PDevRecord* pdev, ULONG rgb)
{
    // The device palette is PAL_RGB: red in the low byte.
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

