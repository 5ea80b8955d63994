#include "render/image/bitblt.h"

#include "common/context/settings_context.h"
#include "common/settings/function_ids.h"
#include "common/system/module_files.h"
#include "render/command/command_layer.h"
#include "render/command/path_output.h"
#include "render/compress/compression_library.h"
#include "render/compress/image_reducer.h"
#include "render/compress/predictor_coder.h"
#include "render/device/engine_calls.h"
#include "render/device/pdev_record.h"
#include "render/image/brush_select.h"
#include "render/image/colour_conversion.h"
#include "render/image/image_holder.h"
#include "render/image/image_rows.h"
#include "render/image/job_colour.h"
#include "render/image/raster_ops.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint16_t kCompressionSetting = 330;
constexpr uint16_t kReductionTargetSetting = 350;
constexpr uint16_t kReductionSetting = 1302;
constexpr uint16_t kCutToClipSetting = 1370;
constexpr uint32_t kBandBytes = 256 * 1024;
// "Cq" and "Cp" sizes are signed 16-bit: an image wider or taller than this
// goes as pieces side by side and one above the other.
constexpr uint32_t kLongestSide = 32767;
constexpr uint8_t kSourceCopy = 0xCC;
constexpr uint8_t kRgbImage = 4;       // colour kinds of converted source rows
constexpr uint8_t kPaletteImage = 11;
constexpr uint8_t kGreyImage = 3;      // the kinds of a grey job's images
constexpr uint8_t kGreyPaletteImage = 10;
constexpr uint16_t kBrushOnlyRops[] = {0x0505, 0x0A0A, 0x0F0F, 0x5050, 0x5555, 0x5A5A, 0x5F5F, 0xA0A0,
                                       0xA5A5, 0xAAA0, 0xAAF0, 0xAFAF, 0xF0F0, 0xF5F5, 0xFAFA};

bool Empty(const RECTL& r)
{
    return r.left >= r.right || r.top >= r.bottom;
}

// A rectangle that lies in a rectangular clip, or is cut to it, needs no clip.
int ClipForRectangle(PDevRecord* pdev, CLIPOBJ* clip, RECTL* rect)
{
    ClipState* state = PdevClipState(pdev);
    if (state == nullptr)
        return 0;
    if (clip != nullptr && clip->iDComplexity == DC_RECT) {
        rect->left = std::max(rect->left, clip->rclBounds.left);
        rect->top = std::max(rect->top, clip->rclBounds.top);
        rect->right = std::min(rect->right, clip->rclBounds.right);
        rect->bottom = std::min(rect->bottom, clip->rclBounds.bottom);
        return SetClipForDrawing(pdev->commandLayer, state, nullptr, *rect);
    }
    return SetClipForDrawing(pdev->commandLayer, state, clip, *rect);
}

int FillRectangle(CommandLayer* layer, const RECTL& r)
{
    return EmitPaintOperation(layer, 2) == 0 && EmitRectangle(layer, r.left, r.top, r.right, r.bottom) == 0 ? 1 : 0;
}

int SolidFill(PDevRecord* pdev, CLIPOBJ* clip, RECTL rect, ULONG colour)
{
    CommandLayer* layer = pdev->commandLayer;
    if (FlushPdevImages(pdev) != 0 || !ClipForRectangle(pdev, clip, &rect))
        return 0;
    if (Empty(rect))
        return 1;
    if (EmitColour(layer, 2, DeviceColour(pdev, colour)) != 0 || EmitFillRule(layer, 1) != 0 || EmitMix(layer, 1, 13) != 0)
        return 0;
    return FillRectangle(layer, rect);
}

int BrushFill(PDevRecord* pdev, CLIPOBJ* clip, RECTL rect, BRUSHOBJ* brush, const POINTL* origin, uint16_t rop4)
{
    CommandLayer* layer = pdev->commandLayer;
    if (FlushPdevImages(pdev) != 0 || !ClipForRectangle(pdev, clip, &rect))
        return 0;
    if (Empty(rect))
        return 1;
    const MIX mix = static_cast<MIX>(Rop3ToBinaryCode(BackgroundRop3(rop4)) << 8 |
                                     Rop3ToBinaryCode(ForegroundRop3(rop4)));
    if (!SelectBrushForDrawing(pdev, 2, origin, brush, mix) || EmitFillRule(layer, 1) != 0)
        return 0;
    return FillRectangle(layer, rect);
}

struct Blit {
    PDevRecord* pdev;
    SURFOBJ* source;
    SURFOBJ* mask;
    XLATEOBJ* xlate;
    RECTL dest;
    RECTL src;
    POINTL maskAt;
    bool withMask;
    uint8_t foreground;
};

// The source rectangle cut to the source surface; the destination follows
// the cut in proportion.
bool CutToSource(Blit* b)
{
    const RECTL bounds = {0, 0, b->source->sizlBitmap.cx, b->source->sizlBitmap.cy};
    const int64_t sw = b->src.right - b->src.left, sh = b->src.bottom - b->src.top;
    const int64_t dw = b->dest.right - b->dest.left, dh = b->dest.bottom - b->dest.top;
    if (sw <= 0 || sh <= 0)
        return false;
    RECTL cut = {std::max(b->src.left, bounds.left), std::max(b->src.top, bounds.top),
                 std::min(b->src.right, bounds.right), std::min(b->src.bottom, bounds.bottom)};
    if (Empty(cut))
        return false;
    const RECTL d = b->dest;
    b->dest.left = static_cast<LONG>(d.left + (cut.left - b->src.left) * dw / sw);
    b->dest.top = static_cast<LONG>(d.top + (cut.top - b->src.top) * dh / sh);
    b->dest.right = static_cast<LONG>(d.right - (b->src.right - cut.right) * dw / sw);
    b->dest.bottom = static_cast<LONG>(d.bottom - (b->src.bottom - cut.bottom) * dh / sh);
    b->maskAt.x += cut.left - b->src.left;
    b->maskAt.y += cut.top - b->src.top;
    b->src = cut;
    return !Empty(b->dest);
}

int SendOneBitImage(const Blit& b, BRUSHOBJ* brush, CLIPOBJ* clip)
{
    CommandLayer* layer = b.pdev->commandLayer;
    const uint32_t w = b.src.right - b.src.left, h = b.src.bottom - b.src.top;
    const bool oneBitSource = b.source->iBitmapFormat == BMF_1BPP;
    const bool firstBlack = !oneBitSource || FirstPaletteColour(b.xlate) == 0;
    const int polarity = firstBlack ? (b.foreground == 0xB8 ? 1 : 0) : (b.foreground == 0xB8 ? 0 : 1);
    const float sx = float(b.dest.right - b.dest.left) / float(w), sy = float(b.dest.bottom - b.dest.top) / float(h);
    const float m[6] = {sx, 0, 0, sy, 0, 0};
    ClipState* state = PdevClipState(b.pdev);
    if (EmitMix(layer, 1, 13) != 0 || EmitColour(layer, 2, DeviceColour(b.pdev, brush->iSolidColor)) != 0 ||
        state == nullptr || !SetClipForDrawing(layer, state, clip, b.dest))
        return 0;
    // One "Cp" per piece of at most kLongestSide each way, placed where the
    // piece lies in the destination.
    int ok = 1;
    for (uint32_t top = 0; ok && top < h; top += kLongestSide) {
        const uint32_t rows = std::min(kLongestSide, h - top);
        for (uint32_t left = 0; ok && left < w; left += kLongestSide) {
            const uint32_t columns = std::min(kLongestSide, w - left);
            const uint32_t length = (columns + 7) / 8 * rows;
            auto* bits = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, length));
            if (bits == nullptr)
                return 0;
            ReadOneBitRows(b.source, b.xlate, b.src.left + int32_t(left), b.src.top + int32_t(top), columns, rows,
                           bits);
            ok = EmitMonoImageHeader(layer, float(b.dest.left) + float(left) * sx, float(b.dest.top) + float(top) * sy,
                                     int32_t(columns), int32_t(rows), polarity, m) == 0 &&
                 EmitRawBytes(layer, bits, length) == 0;
            HeapFree(GetProcessHeap(), 0, bits);
        }
    }
    return ok ? 1 : 0;
}

// Rows of the image, reduced when a reducer is given, band by band.
class BandSender {
public:
    // `grey`: RGB rows go out as one grey byte a pixel.
    BandSender(const Blit& b, ImageHolder* holder, const SourceImage& image, ImageReducer reducer, uint32_t width,
               uint32_t height, bool grey)
        : b_(b), holder_(holder), image_(image), reducer_(reducer), width_(width), height_(height),
          grey_(grey && image.colourKind == kRgbImage)
    {
        stride_ = (width * image.bitsPerPixel + 7) / 8;
        bandRows_ = std::max<uint32_t>(1, std::min({height_, kLongestSide, kBandBytes / stride_}));
    }

    // The palette of an indexed image before the colour stages changed it.
    void KeepSourcePalette(const uint8_t* palette) { sourcePalette_ = palette; }

    int Send(bool queue)
    {
        // The band header holds the width in 16 bits; the caller cut wider
        // images into columns.
        if (width_ == 0 || width_ > kLongestSide)
            return 0;
        const uint32_t maskStride = (width_ + 7) / 8;
        auto* rows = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, size_t{stride_} * bandRows_));
        mask_ = b_.withMask ? static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, size_t{maskStride} * bandRows_))
                            : nullptr;
        sourceRow_ = reducer_ != nullptr ? static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, size_t{image_.stride}))
                                         : nullptr;
        int result = rows != nullptr && (!b_.withMask || mask_ != nullptr) && (reducer_ == nullptr || sourceRow_)
                         ? 1
                         : 0;
        for (uint32_t first = 0; result == 1 && first < height_; first += bandRows_) {
            const uint32_t count = std::min(bandRows_, height_ - first);
            // Palette images had their palette converted instead.
            if (!ProduceRows(rows, count) || !NoteRows(rows, count) ||
                (image_.colourKind == kRgbImage && ConvertImageRows(b_.pdev, rows, width_, count, stride_, grey_) != 0))
                result = 0;
            else
                result = SendBand(first, count, rows, queue);
        }
        for (void* p : {static_cast<void*>(rows), static_cast<void*>(mask_), static_cast<void*>(sourceRow_)})
            if (p != nullptr)
                HeapFree(GetProcessHeap(), 0, p);
        return result;
    }

    // The whole image is made first: the outside library sees every band
    // before it converts the first.
    int SendThroughLibrary(ColourConversionBinding* binding)
    {
        if (width_ == 0 || width_ > kLongestSide)
            return 0;
        const uint32_t bands = (height_ + bandRows_ - 1) / bandRows_;
        auto* image = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, size_t{stride_} * height_));
        auto* target = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, size_t{stride_} * bandRows_));
        auto* list = static_cast<ColourBand*>(HeapAlloc(GetProcessHeap(), 0, sizeof(ColourBand) * bands));
        sourceRow_ = reducer_ != nullptr ? static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, size_t{image_.stride}))
                                         : nullptr;
        int result = image != nullptr && target != nullptr && list != nullptr && (reducer_ == nullptr || sourceRow_)
                         ? 1
                         : 0;
        for (uint32_t band = 0; result == 1 && band < bands; ++band) {
            const uint32_t first = band * bandRows_;
            const uint32_t count = std::min(bandRows_, height_ - first);
            uint8_t* rows = image + size_t{first} * stride_;
            if (!ProduceRows(rows, count) || !NoteRows(rows, count))
                result = 0;
            SwapRedAndBlue(rows, width_ * count);
            list[band] = {rows, width_, count};
        }
        if (result == 1) {
            LibrarySink sink{this, list};
            result = ConvertImageThroughLibrary(binding, kImageColourClass, list, bands, target, LibraryBand, &sink) == 0
                         ? 1
                         : 0;
        }
        for (void* p : {static_cast<void*>(image), static_cast<void*>(target), static_cast<void*>(list),
                        static_cast<void*>(sourceRow_)})
            if (p != nullptr)
                HeapFree(GetProcessHeap(), 0, p);
        return result;
    }

private:
    struct LibrarySink {
        BandSender* sender;
        const ColourBand* bands;
    };

    static int LibraryBand(void* context, uint32_t index, uint8_t* pixels)
    {
        auto* sink = static_cast<LibrarySink*>(context);
        BandSender* self = sink->sender;
        const uint32_t count = sink->bands[index].height;
        SwapRedAndBlue(pixels, self->width_ * count);
        return self->SendBand(index * self->bandRows_, count, pixels, false) == 1 ? 0 : -1;
    }

    // The page's colours as the document gives them: RGB rows as they are,
    // indexed rows through the palette before its conversion. False without
    // memory for the indexes.
    bool NoteRows(const uint8_t* rows, uint32_t count)
    {
        if (image_.colourKind == kRgbImage) {
            NotePagePixels(b_.pdev, rows, width_ * count);
            return true;
        }
        if (sourcePalette_ == nullptr)
            return true;
        if (image_.bitsPerPixel == 8) {
            NotePageIndexedPixels(b_.pdev, sourcePalette_, image_.paletteCount, rows, width_ * count);
            return true;
        }
        auto* indexes = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, width_));
        if (indexes == nullptr)
            return false;
        const uint32_t bits = image_.bitsPerPixel;
        const uint32_t mask = (1u << bits) - 1;
        for (uint32_t row = 0; row < count; ++row) {
            const uint8_t* from = rows + size_t{row} * stride_;
            for (uint32_t x = 0; x < width_; ++x) {
                const uint32_t bit = x * bits;
                indexes[x] = static_cast<uint8_t>((from[bit / 8] >> (8 - bits - bit % 8)) & mask);
            }
            NotePageIndexedPixels(b_.pdev, sourcePalette_, image_.paletteCount, indexes, width_);
        }
        HeapFree(GetProcessHeap(), 0, indexes);
        return true;
    }

    bool ProduceRows(uint8_t* rows, uint32_t count)
    {
        if (reducer_ == nullptr) {
            ConvertSourceRows(b_.source, b_.xlate, image_, b_.src.left, b_.src.top, nextRow_, count, rows);
            nextRow_ += count;
            return true;
        }
        return ReducedRows(rows, count);
    }

    int SendBand(uint32_t first, uint32_t count, uint8_t* rows, bool queue)
    {
        const float sx = float(b_.dest.right - b_.dest.left) / float(width_);
        const float sy = float(b_.dest.bottom - b_.dest.top) / float(height_);
        const uint32_t maskStride = (width_ + 7) / 8;
        ImageBandHeader header{};
        header.destX = float(b_.dest.left);
        header.destY = float(b_.dest.top) + float(first) * sy;
        header.matrix[0] = sx;
        header.matrix[3] = sy;
        header.width = static_cast<uint16_t>(width_);
        header.rows = static_cast<uint16_t>(count);
        header.colourKind = grey_ ? kGreyImage : image_.colourKind;
        header.bitsPerComponent = grey_ || image_.colourKind == kRgbImage ? 8 : image_.bitsPerPixel;
        header.bitsPerPixel = grey_ ? 8 : image_.bitsPerPixel;
        header.paletteCount = image_.paletteCount;
        std::memcpy(header.palette, image_.palette, sizeof header.palette);
        const uint32_t length = (grey_ ? width_ : stride_) * count;
        if (queue) {
            if (QueueImageBand(holder_, header, rows, length) == 0)
                return 1;
            // The list cannot take it: what it holds goes first, then this band.
            if (FlushPendingImages(b_.pdev->commandLayer, holder_) != 0)
                return 0;
        }
        if (b_.withMask)
            ReadOneBitRows(b_.mask, nullptr, b_.maskAt.x, b_.maskAt.y + int32_t(first), width_, count, mask_);
        return SendImageBand(b_.pdev->commandLayer, holder_, header, rows, length, mask_, maskStride * count) == 0
                   ? 1
                   : 0;
    }

    bool ReducedRows(uint8_t* out, uint32_t count)
    {
        const uint32_t sourceHeight = b_.src.bottom - b_.src.top;
        for (uint32_t done = 0; done < count;) {
            if (GetReducedImageRow(reducer_, out + size_t{done} * stride_) == 1) {
                ++done;
                continue;
            }
            if (nextRow_ >= sourceHeight)
                return false;
            ConvertSourceRows(b_.source, b_.xlate, image_, b_.src.left, b_.src.top, nextRow_++, 1, sourceRow_);
            if (PutImageReducerRow(reducer_, sourceRow_) != 0)
                return false;
        }
        return true;
    }

    const Blit& b_;
    ImageHolder* holder_;
    const SourceImage& image_;
    const uint8_t* sourcePalette_ = nullptr;
    ImageReducer reducer_;
    uint32_t width_, height_, stride_, bandRows_;
    bool grey_;
    uint32_t nextRow_ = 0;  // of the source
    uint8_t* mask_ = nullptr;
    uint8_t* sourceRow_ = nullptr;
};

// A reducer when the job asks for one and it makes the image smaller.
ImageReducer MakeReducer(PDevRecord* pdev, const Blit& b, uint32_t* width, uint32_t* height)
{
    const uint32_t target = GetPdevSettingWord(pdev, kReductionTargetSetting);
    const uint32_t sourceBits = b.source->iBitmapFormat;
    if (b.withMask || b.foreground != kSourceCopy || GetPdevSettingWord(pdev, kReductionSetting) == 0 ||
        target == 0 || (sourceBits != BMF_16BPP && sourceBits != BMF_24BPP && sourceBits != BMF_32BPP))
        return nullptr;
    ImageReducer reducer = CreateImageReducer(3);
    if (reducer == nullptr)
        return nullptr;
    const int32_t sw = b.src.right - b.src.left, sh = b.src.bottom - b.src.top;
    int32_t rw = 0, rh = 0;
    if (SetImageReducerUnits(reducer, 1, GetPdevSettingWord(pdev, kFidPrintQuality),
                             GetPdevSettingWord(pdev, kFidYResolution), static_cast<int32_t>(target)) != 0 ||
        ComputeReducedImageSize(reducer, sw, sh, b.dest.right - b.dest.left, b.dest.bottom - b.dest.top, &rw, &rh) !=
            0 ||
        (rw >= sw && rh >= sh) || SetImageReducerSizes(reducer, sw, sh, rw, rh) != 0) {
        FreeImageReducer(reducer);
        return nullptr;
    }
    *width = static_cast<uint32_t>(rw);
    *height = static_cast<uint32_t>(rh);
    return reducer;
}

// Whether the outside colour library converts this image: a plain copy of a
// deep source. The pending images were sent before.
bool OutsideLibraryTakes(const Blit& b, const SourceImage& image)
{
    ColourConversionBinding* colour = b.pdev->colour;
    if (colour == nullptr || !OutsideColourLibraryBound(&colour->library))
        return false;
    const uint32_t bits = image.colourKind == kRgbImage ? 24 : image.bitsPerPixel;
    const uint64_t key = uint64_t(reinterpret_cast<uintptr_t>(b.source->pvScan0)) ^
                         uint64_t(uint32_t(b.src.left) ^ uint32_t(b.src.top) << 16) << 32 ^ image.width ^
                         uint64_t(image.height) << 16;
    const int mode = ChooseImageColourMode(&colour->choice, bits, !b.withMask && b.foreground == kSourceCopy, key);
    return mode != kImageColourPlain;
}

int SendImagePiece(Blit& b, ImageHolder* holder);

int SendSourceImage(Blit& b, CLIPOBJ* clip, BRUSHOBJ* brush, const POINTL* brushOrigin, uint16_t rop4)
{
    PDevRecord* pdev = b.pdev;
    CommandLayer* layer = pdev->commandLayer;
    if (!CutToSource(&b))
        return 1;
    const uint32_t w = b.src.right - b.src.left, h = b.src.bottom - b.src.top;
    const bool unstretched = int64_t(w) == b.dest.right - b.dest.left && int64_t(h) == b.dest.bottom - b.dest.top;
    if (b.withMask && (b.mask == nullptr || !unstretched))
        b.withMask = false;
    const bool oneColour = !b.withMask && (b.foreground == 0xB8 || b.foreground == 0xE2) && brush != nullptr &&
                           brush->iSolidColor != 0xFFFFFFFF &&
                           IsBlackAndWhiteSource(b.source, b.xlate, b.src.left, b.src.top, w, h);
    if (FlushPdevImages(pdev) != 0)
        return 0;
    if (oneColour)
        return SendOneBitImage(b, brush, clip);
    if (b.withMask ? EmitMix(layer, 3, rop4) != 0 : EmitMix(layer, 2, b.foreground) != 0)
        return 0;
    if (Rop3UsesPattern(b.foreground) && !SelectBrushForDrawing(pdev, 2, brushOrigin, brush, 0))
        return 0;

    ClipState* state = PdevClipState(pdev);
    if (state == nullptr)
        return 0;
    if (GetPdevSettingWord(pdev, kCutToClipSetting) != 0 && clip != nullptr && clip->iDComplexity == DC_RECT &&
        unstretched && !b.withMask) {
        const RECTL& c = clip->rclBounds;
        const RECTL cut = {std::max(b.dest.left, c.left), std::max(b.dest.top, c.top), std::min(b.dest.right, c.right),
                           std::min(b.dest.bottom, c.bottom)};
        if (Empty(cut))
            return 1;
        b.src = {b.src.left + (cut.left - b.dest.left), b.src.top + (cut.top - b.dest.top),
                 b.src.left + (cut.right - b.dest.left), b.src.top + (cut.bottom - b.dest.top)};
        b.dest = cut;
        if (!SetClipForDrawing(layer, state, nullptr, b.dest))
            return 0;
    }
    else if (!SetClipForDrawing(layer, state, clip, b.dest))
        return 0;

    ImageHolder* holder = PdevImageHolder(pdev);
    if (holder == nullptr)
        return 0;
    const uint32_t sourceWidth = b.src.right - b.src.left;
    if (sourceWidth <= kLongestSide)
        return SendImagePiece(b, holder);
    // A wider image goes as columns side by side, each its own image cut into
    // bands; the destination is shared out in proportion.
    const int64_t destWidth = b.dest.right - b.dest.left;
    int result = 1;
    for (uint32_t first = 0; result == 1 && first < sourceWidth; first += kLongestSide) {
        const uint32_t last = std::min(sourceWidth, first + kLongestSide);
        Blit piece = b;
        piece.src.left = b.src.left + static_cast<LONG>(first);
        piece.src.right = b.src.left + static_cast<LONG>(last);
        piece.dest.left = b.dest.left + static_cast<LONG>(int64_t{first} * destWidth / sourceWidth);
        piece.dest.right = b.dest.left + static_cast<LONG>(int64_t{last} * destWidth / sourceWidth);
        piece.maskAt.x = b.maskAt.x + static_cast<LONG>(first);
        if (!Empty(piece.dest))
            result = SendImagePiece(piece, holder);
    }
    return result;
}

// One column of the image, at most kLongestSide pixels wide: reduced when the
// job asks for it, described and sent band by band.
int SendImagePiece(Blit& b, ImageHolder* holder)
{
    PDevRecord* pdev = b.pdev;
    uint32_t width = b.src.right - b.src.left, height = b.src.bottom - b.src.top;
    ImageReducer reducer = MakeReducer(pdev, b, &width, &height);
    const bool compress = holder->requestedMethod != kMethodNone;
    SourceImage image;
    int result = 0;
    if (DescribeSource(b.source, b.xlate, b.src.right - b.src.left, b.src.bottom - b.src.top, compress, &image)) {
        const bool library = OutsideLibraryTakes(b, image);
        const bool grey = ImagesSentAsGrey(pdev, library);
        uint8_t sourcePalette[sizeof image.palette];
        std::memcpy(sourcePalette, image.palette, sizeof sourcePalette);
        if (image.colourKind == kPaletteImage) {
            ConvertImagePalette(pdev, image.palette, image.paletteCount, grey);
            if (grey)
                image.colourKind = kGreyPaletteImage;
        }
        const bool queue = b.source->iBitmapFormat == BMF_4BPP && compress && !b.withMask;
        BandSender sender(b, holder, image, reducer, width, height, grey);
        if (image.colourKind == kPaletteImage || image.colourKind == kGreyPaletteImage)
            sender.KeepSourcePalette(sourcePalette);
        result = library ? sender.SendThroughLibrary(pdev->colour) : sender.Send(queue);
    }
    FreeImageReducer(reducer);
    return result;
}

// Faces for the outside processing library carry no masked images: the engine
// draws a masked blit on a copy of the area and hands it back as a plain copy.
int HandMaskedBlitToEngine(PDevRecord* pdev, SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip,
                           XLATEOBJ* xlate, const RECTL* dest, const RECTL* sourceRect, const POINTL* sourcePoint,
                           const POINTL* maskPoint, BRUSHOBJ* brush, const POINTL* brushOrigin, ROP4 rop4)
{
    if (FlushPdevImages(pdev) != 0)
        return 0;
    // A stretched call names its source by a rectangle; the engine's blit by its corner.
    POINTL from = sourcePoint != nullptr ? *sourcePoint : POINTL{0, 0};
    if (sourcePoint == nullptr && sourceRect != nullptr)
        from = {sourceRect->left, sourceRect->top};
    POINTL maskFrom = maskPoint != nullptr ? *maskPoint : POINTL{0, 0};
    POINTL brushFrom = brushOrigin != nullptr ? *brushOrigin : POINTL{0, 0};
    RECTL to = *dest;
    return g_engine.EngBitBlt(target, source, mask, clip, xlate, &to, source != nullptr ? &from : nullptr,
                              mask != nullptr ? &maskFrom : nullptr, brush, brushOrigin != nullptr ? &brushFrom : nullptr,
                              rop4)
               ? 1
               : 0;
}

}  // namespace

ImageHolder* PdevImageHolder(PDevRecord* pdev)
{
    if (pdev->image == nullptr) {
        const bool external = ExternalProcessingAsked(pdev);
        ImageHolder* holder = CreateImageHolder(
            GetResourceModule(), CompressionMethodFromSetting(GetPdevSettingWord(pdev, kCompressionSetting), external));
        if (holder != nullptr && pdev->settingsContext != nullptr)
            holder->library = LoadJobCompressionLibrary(pdev->settingsContext->main, pdev->job.streamVersion, external);
        pdev->image = holder;
    }
    return static_cast<ImageHolder*>(pdev->image);
}

void FreePdevImages(PDevRecord* pdev)
{
    FreeImageHolder(static_cast<ImageHolder*>(pdev->image));
    pdev->image = nullptr;
}

int FlushPdevImages(PDevRecord* pdev)
{
    auto* holder = static_cast<ImageHolder*>(pdev->image);
    if (!HasPendingBands(holder) || pdev->commandLayer == nullptr)
        return 0;
    return FlushPendingImages(pdev->commandLayer, holder);
}

int BitBltCommon(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip, XLATEOBJ* xlate, const RECTL* dest,
                 const RECTL* sourceRect, const POINTL* sourcePoint, const POINTL* maskPoint, BRUSHOBJ* brush,
                 const POINTL* brushOrigin, ROP4 rop4, BlitCall call)
{
    PDevRecord* pdev = PdevOfSurface(target);
    if (pdev == nullptr || dest == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (pdev->commandLayer == nullptr)
        return 0;
    const RECTL d = OrderedRect(*dest);
    const uint16_t rop = static_cast<uint16_t>(rop4 & 0xFFFF);
    if (pdev->commandLayer->externalProcessing && Rop4HasMask(rop))
        return HandMaskedBlitToEngine(pdev, target, source, mask, clip, xlate, dest, sourceRect, sourcePoint, maskPoint,
                                      brush, brushOrigin, rop4);
    if (rop == 0x0000 || rop == 0xFFFF)
        return SolidFill(pdev, clip, d, rop == 0 ? 0x000000 : 0xFFFFFF);
    if (std::find(std::begin(kBrushOnlyRops), std::end(kBrushOnlyRops), rop) != std::end(kBrushOnlyRops))
        return BrushFill(pdev, clip, d, brush, brushOrigin, rop);
    if (rop == 0xAAAA)
        return FlushPdevImages(pdev) == 0 ? 1 : 0;
    if (source == nullptr || (sourceRect == nullptr && sourcePoint == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Blit b{};
    b.pdev = pdev;
    b.source = source;
    b.mask = mask;
    b.xlate = xlate;
    b.dest = d;
    if (sourceRect != nullptr && call != kBlitBitBlt && call != kBlitCopyBits)
        b.src = OrderedRect(*sourceRect);
    else
        b.src = {sourcePoint->x, sourcePoint->y, sourcePoint->x + (d.right - d.left),
                 sourcePoint->y + (d.bottom - d.top)};
    b.maskAt = maskPoint != nullptr ? *maskPoint : POINTL{0, 0};
    b.withMask = Rop4HasMask(rop) && mask != nullptr;
    b.foreground = ForegroundRop3(rop);
    return SendSourceImage(b, clip, brush, brushOrigin, rop);
}
