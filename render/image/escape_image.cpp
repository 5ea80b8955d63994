#include "render/image/escape_image.h"

#include "render/command/command_layer.h"
#include "render/command/path_output.h"
#include "render/compress/image_compression.h"
#include "render/compress/jpeg_coder.h"
#include "render/compress/predictor_coder.h"
#include "render/device/pdev_record.h"
#include "render/image/bitblt.h"
#include "render/morva/morva_commands.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr uint16_t kMixRop3 = 2;
constexpr uint32_t kMaxPaletteEntries = 256;

// Where the destination's corner goes and how source pixels map onto it for
// each turn: a quarter turn runs the source rows from the right edge, three
// quarters runs them from the bottom.
bool PlaceImage(const EscImageRecord& r, float* x, float* y, float m[6])
{
    const float w = float(r.destWidth), h = float(r.destHeight);
    const bool quarter = r.rotation == 90 || r.rotation == 270;
    const float across = w / float(quarter ? r.height : r.width);
    const float down = h / float(quarter ? r.width : r.height);
    std::memset(m, 0, 6 * sizeof(float));
    *x = float(r.destX);
    *y = float(r.destY);
    switch (r.rotation) {
    case 0: m[0] = across; m[3] = down; return true;
    case 90: m[1] = down; m[2] = -across; *x += w; return true;
    case 180: m[0] = -across; m[3] = -down; *x += w; *y += h; return true;
    case 270: m[1] = -down; m[2] = across; *y += h; return true;
    default: return false;
    }
}

}  // namespace

int DrawEscapeImageRecord(PDevRecord* pdev, const uint8_t* bytes, uint32_t length)
{
    EscImageRecord r;
    if (pdev == nullptr || pdev->commandLayer == nullptr || bytes == nullptr || length < sizeof(r))
        return -1;
    std::memcpy(&r, bytes, sizeof(r));
    float x = 0, y = 0, m[6];
    if (!PlaceImage(r, &x, &y, m))
        return kEscImageBadRotation;
    const bool jpeg = r.dataKind == kEscImageJpeg;
    const bool palette = !jpeg && r.bitsPerPixel == 8;
    const uint64_t paletteBytes = uint64_t{r.paletteCount} * 4;
    if ((!jpeg && r.dataKind != kEscImagePredictor) || (!jpeg && r.bitsPerPixel != 24 && !palette) ||
        (palette && (r.paletteCount == 0 || r.paletteCount > kMaxPaletteEntries)) || r.width == 0 ||
        r.height == 0 || r.width > 0x7FFF || r.height > 0x7FFF || r.destWidth <= 0 || r.destHeight <= 0 ||
        r.size < sizeof(r) || uint64_t{r.size} + (palette ? paletteBytes : 0) + r.dataLength > length ||
        int64_t{r.destX} + r.destWidth > INT32_MAX || int64_t{r.destY} + r.destHeight > INT32_MAX)
        return -1;
    if (r.dataLength > kEscImageDataLimit || r.dataLength == 0)
        return 0;

    uint8_t rgb[kMaxPaletteEntries * 3];
    if (palette) {
        const uint8_t* entry = bytes + r.size;
        for (uint32_t i = 0; i < r.paletteCount; ++i, entry += 4) {
            rgb[3 * i] = entry[2];
            rgb[3 * i + 1] = entry[1];
            rgb[3 * i + 2] = entry[0];
        }
    }
    if (FlushPdevImages(pdev) != 0)
        return -1;
    ClipState* state = PdevClipState(pdev);
    if (state == nullptr)
        return -1;
    const RECTL bounds{r.destX, r.destY, r.destX + r.destWidth, r.destY + r.destHeight};
    CLIPOBJ rectangle{};
    rectangle.iDComplexity = DC_RECT;
    rectangle.rclBounds = {r.clip[0], r.clip[1], r.clip[2], r.clip[3]};
    if (!SetClipForDrawing(pdev->commandLayer, state, r.clipToRect ? &rectangle : nullptr, bounds))
        return -1;

    MorvaImageHeader h{};
    h.destX = x;
    h.destY = y;
    std::memcpy(h.matrix, m, sizeof h.matrix);
    h.sourceWidth = r.width;
    h.sourceHeight = r.height;
    h.maskFlag = kImageNoMask;
    h.colourModel = kImageData;
    h.colourKind = jpeg ? kPixelJpeg : palette ? kPixelIndexedPalette : kPixelRgb;
    if (palette) {
        h.paletteCount = r.paletteCount;
        h.palette = {rgb, size_t{r.paletteCount} * 3};
    }
    h.bitsPerComponent = 8;
    h.method = jpeg ? kMethodJpeg : kMethodPredictor;
    h.dataLength = r.dataLength;
    const uint8_t* data = bytes + r.size + (palette ? paletteBytes : 0);
    if (EmitMix(pdev->commandLayer, kMixRop3, r.mix) != 0 || EmitImageHeader(pdev->commandLayer, h) != 0 ||
        EmitRawBytes(pdev->commandLayer, data, r.dataLength) != 0)
        return -1;
    return 0;
}
