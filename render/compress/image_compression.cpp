#include "render/compress/image_compression.h"

#include "render/compress/jpeg_coder.h"
#include "render/compress/predictor_coder.h"

#include <algorithm>

namespace {

constexpr int32_t kSourceCopyMix = 0xCC;

bool IsIndexed(uint8_t format)
{
    return format == kPixelIndexed || format == kPixelIndexedPalette;
}

// Bands the predictor code takes.
bool PredictorBand(const CompressionRequest& r)
{
    return (r.format == kPixelRgb && r.bitsPerPixel == 24) ||
           (r.bitsPerPixel == 8 && (r.format == kPixelGrey || IsIndexed(r.format)));
}

bool JpegBand(const CompressionRequest& r)
{
    return (r.format == kPixelRgb && r.bitsPerPixel == 24) ||
           (r.bitsPerPixel == 8 && (r.format == kPixelGrey || r.format == kPixelIndexed));
}

// One-bit indexed bands go to the outside library; anything else stays as it is.
uint8_t OneBitMethod(const CompressionRequest& r, uint8_t requested)
{
    if (r.bitsPerPixel == 1 && IsIndexed(r.format))
        return requested == kMethodLibraryKind2 ? kMethodLibraryKind2 : kMethodLibraryKind1;
    return kMethodNone;
}

void Invert(uint8_t* data, uint32_t length)
{
    for (uint32_t i = 0; i < length; ++i)
        data[i] = static_cast<uint8_t>(255 - data[i]);
}

int RunJpeg(CompressionRequest* r, uint8_t* data)
{
    const bool eightBit = r->bitsPerPixel == 8;
    const uint32_t pixels = uint32_t{r->width} * r->rows;
    if (eightBit && r->format == kPixelIndexed) {
        if (r->greyTable == nullptr || pixels > r->length)
            return kCoderBadArgument;
        for (uint32_t i = 0; i < pixels; ++i)
            data[i] = r->greyTable[data[i]];
        r->format = kPixelGrey;  // the band keeps its grey form whatever follows
    }
    const bool grey = eightBit && r->format == kPixelGrey;
    const uint32_t greyBytes = grey ? std::min(pixels, r->length) : 0;
    Invert(data, greyBytes);
    const int result = CompressWithJpeg(r->channel, &r->format, r->width, r->rows, &r->method, &r->length, data);
    if (result != kCoderDone && !(result & kBandFatal))
        Invert(data, greyBytes);
    return result;
}

}  // namespace

uint8_t CompressionMethodFromSetting(uint32_t setting330, bool externalProcessing)
{
    if (externalProcessing)
        return kMethodNone;
    return setting330 == 1 ? kMethodPredictor : setting330 == 2 ? kMethodJpeg : kMethodNone;
}

uint8_t ChooseCompressionMethod(const CompressionRequest& r)
{
    const uint8_t wanted = r.requested;
    if (!r.eligible || r.length < kShortestCompressedBand ||
        (wanted != kMethodJpeg && wanted != kMethodLibraryKind2 && wanted != kMethodLibraryKind1 &&
         wanted != kMethodPredictor))
        return kMethodNone;
    if (wanted == kMethodPredictor && PredictorBand(r))
        return kMethodPredictor;
    if (wanted == kMethodJpeg) {
        if (JpegBand(r) && r.mixKind == 2 && r.mixValue == kSourceCopyMix)
            return kMethodJpeg;
        if (PredictorBand(r))
            return kMethodPredictor;
    }
    return OneBitMethod(r, wanted);
}

int RunCompression(CompressionRequest* r, uint8_t* data, uint8_t method)
{
    switch (method) {
    case kMethodPredictor:
        return PredictorCoder(r->channel, r->format, r->width, r->rows, &r->method, &r->length, data);
    case kMethodJpeg:
        return RunJpeg(r, data);
    case kMethodLibraryKind2:
    case kMethodLibraryKind1:
        return CompressWithExternalLibrary(method, r->library, r->width, r->rows, &r->method, &r->length, data);
    default:
        return kCoderBadArgument;
    }
}

int CompressImageData(CompressionRequest* r, uint8_t* data)
{
    if (r == nullptr || data == nullptr)
        return kBandAsItIs;
    r->method = kMethodNone;
    const uint8_t method = ChooseCompressionMethod(*r);
    if (method == kMethodNone)
        return kBandAsItIs;
    const int result = RunCompression(r, data, method);
    if (result & kBandFatal)
        return kBandFatal;
    return result == kCoderDone && r->method != kMethodNone ? kBandCompressed : kBandAsItIs;
}
