#include "render/morva/morva_operands.h"
#include "render/morva/morva_opcodes.h"

namespace {

bool CarriesPalette(uint8_t colourKind)
{
    return colourKind >= 8 && colourKind <= 11;
}

// Colour kind, palette, bits and method: sent when there is image data or the
// data is coded.
int PutColourSection(OutputStream* stream, const MorvaImageHeader& h)
{
    if (PutInt8(stream, h.colourKind))
        return -1;
    if (CarriesPalette(h.colourKind)) {
        const auto n = static_cast<uint32_t>(h.palette.size());
        if (PutInt8(stream, 8) || PutInt16(stream, h.paletteCount) || PutInt16(stream, static_cast<int32_t>(n)) ||
            PutRaw(stream, h.palette.data(), n))
            return -1;
    }
    return (PutInt8(stream, 1) || PutInt8(stream, h.bitsPerComponent) || PutInt8(stream, h.method) ||
            PutInt32(stream, static_cast<int32_t>(h.dataLength)))
               ? -1
               : 0;
}

}  // namespace

int WriteImageHeader(OutputStream* stream, const MorvaImageHeader& h)
{
    if (h.maskFlag != kImageNoMask && h.maskFlag != kImageWithMask)
        return -1;
    // Source sizes are int16 fields (0 for a header without source data), and
    // a palette carries three bytes per entry.
    const auto fitsSize = [](int32_t v) { return v == 0 || FitsInt16Size(v); };
    if (!fitsSize(h.sourceWidth) || !fitsSize(h.sourceHeight))
        return -1;
    if (CarriesPalette(h.colourKind) &&
        (h.palette.size() > kMaxInt16Count || size_t{h.paletteCount} * 3 != h.palette.size()))
        return -1;
    if (PutOpcode(stream, kOpImage) || PutFloat32(stream, h.destX) || PutFloat32(stream, h.destY) ||
        PutFloats(stream, h.matrix, 6) || PutInt16(stream, h.sourceWidth) || PutInt16(stream, h.sourceHeight) ||
        PutInt8(stream, h.maskFlag))
        return -1;
    if (h.maskFlag == kImageWithMask &&
        (PutInt8(stream, 0) || PutInt32(stream, static_cast<int32_t>(h.maskLength))))
        return -1;
    if (PutInt8(stream, h.colourModel))
        return -1;
    if (h.colourModel == kImageData || h.method != kImageMethodPlain)
        return PutColourSection(stream, h);
    return 0;
}

int WriteMonoImageHeader(OutputStream* stream, float x, float y, int32_t width, int32_t height, int32_t polarity,
                         const float matrix[6])
{
    if (matrix == nullptr || width <= 0 || height <= 0 || width > 0x7FFF || height > 0x7FFF)
        return -1;
    const uint32_t length = MonoPatternBytes(width, height);
    return (PutOpcode(stream, kOpMonoImage) || PutFloat32(stream, x) || PutFloat32(stream, y) ||
            PutInt16(stream, width) || PutInt16(stream, height) || PutInt8(stream, polarity) ||
            PutFloats(stream, matrix, 6) || PutInt32(stream, static_cast<int32_t>(length)))
               ? -1
               : 0;
}
