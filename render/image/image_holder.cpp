#include "render/image/image_holder.h"

#include "render/compress/predictor_coder.h"
#include "render/image/band_turning.h"

#include <cstring>
#include <utility>

namespace {

constexpr uint32_t kTurnThreshold = 64;  // bands up to 64 x 64 pixels are not turned
constexpr int32_t kSourceCopy = 0xCC;

void FreeBand(PendingBand* band)
{
    if (band->data != nullptr)
        GlobalFree(band->data);
    HeapFree(GetProcessHeap(), 0, band);
}

// Grey of each palette entry, for indexed bands that JPEG codes as grey.
void GreyTable(const ImageBandHeader& header, uint8_t grey[256])
{
    for (uint32_t i = 0; i < 256; ++i) {
        if (i >= header.paletteCount) {
            grey[i] = 0;
            continue;
        }
        const uint8_t* p = header.palette + 3 * i;
        grey[i] = static_cast<uint8_t>((p[0] * 299u + p[1] * 587u + p[2] * 114u + 500) / 1000);
    }
}

bool IsPaletteKind(uint8_t kind)
{
    return kind >= 8 && kind <= 11;
}

// The band turned by 90 degrees into the holder's buffer; false without memory.
bool TurnInto(ImageHolder* holder, ImageBandHeader* header, const uint8_t* rows, const uint8_t** turned,
              uint32_t* length)
{
    const uint32_t bytesPerPixel = header->bitsPerPixel / 8;
    const uint32_t outStride = TurnedRowBytes(header->rows, bytesPerPixel, 1);
    const uint64_t bytes = uint64_t{outStride} * header->width;
    if (bytes > holder->turnBytes) {
        auto* grown = static_cast<uint8_t*>(holder->turnBuffer == nullptr
                                                ? HeapAlloc(GetProcessHeap(), 0, static_cast<SIZE_T>(bytes))
                                                : HeapReAlloc(GetProcessHeap(), 0, holder->turnBuffer,
                                                              static_cast<SIZE_T>(bytes)));
        if (grown == nullptr)
            return false;
        holder->turnBuffer = grown;
        holder->turnBytes = static_cast<uint32_t>(bytes);
    }
    TurnBand(rows, uint32_t{header->width} * bytesPerPixel, header->width, header->rows, bytesPerPixel, 1,
             holder->turnBuffer);
    float m[6];
    TurnPlacement(header->matrix, m, header->rows);
    std::memcpy(header->matrix, m, sizeof m);
    std::swap(header->width, header->rows);
    *turned = holder->turnBuffer;
    *length = static_cast<uint32_t>(bytes);
    return true;
}

}  // namespace

ImageHolder* CreateImageHolder(HMODULE resources, uint8_t requestedMethod)
{
    auto* holder = static_cast<ImageHolder*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(ImageHolder)));
    if (holder == nullptr)
        return nullptr;
    InitTempChannel(&holder->channel, false, resources);
    holder->requestedMethod = requestedMethod;
    return holder;
}

void FreeImageHolder(ImageHolder* holder)
{
    if (holder == nullptr)
        return;
    while (holder->first != nullptr) {
        PendingBand* next = holder->first->next;
        FreeBand(holder->first);
        holder->first = next;
    }
    if (holder->turnBuffer != nullptr)
        HeapFree(GetProcessHeap(), 0, holder->turnBuffer);
    UnloadCompressionLibrary(holder->library);
    CloseTempChannel(&holder->channel);
    HeapFree(GetProcessHeap(), 0, holder);
}

int QueueImageBand(ImageHolder* holder, const ImageBandHeader& header, const uint8_t* rows, uint32_t length)
{
    auto* band = static_cast<PendingBand*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(PendingBand)));
    if (band == nullptr)
        return -1;
    band->header = header;
    band->length = length;
    band->data = GlobalAlloc(GMEM_MOVEABLE, length > 0 ? length : 1);
    void* p = band->data != nullptr ? GlobalLock(band->data) : nullptr;
    if (p == nullptr) {
        FreeBand(band);
        return -1;
    }
    std::memcpy(p, rows, length);
    GlobalUnlock(band->data);
    if (holder->last != nullptr)
        holder->last->next = band;
    else
        holder->first = band;
    holder->last = band;
    return 0;
}

bool HasPendingBands(const ImageHolder* holder)
{
    return holder != nullptr && holder->first != nullptr;
}

int SendImageBand(CommandLayer* layer, ImageHolder* holder, const ImageBandHeader& header, uint8_t* rows,
                  uint32_t length, const uint8_t* mask, uint32_t maskLength)
{
    uint8_t grey[256];
    CompressionRequest r{};
    r.eligible = true;
    r.bitsPerPixel = header.bitsPerPixel;
    r.format = header.colourKind;
    r.width = header.width;
    r.rows = header.rows;
    r.requested = holder->requestedMethod;
    r.length = length;
    r.method = kMethodNone;
    GetCachedColourSelection(layer->state, &r.mixKind, &r.mixValue);
    if (header.colourKind == kPixelIndexed) {
        GreyTable(header, grey);
        r.greyTable = grey;
    }
    r.channel = &holder->channel;
    r.library = holder->library;
    if (CompressImageData(&r, rows) == kBandFatal)
        return kBandFatal;

    MorvaImageHeader h{};
    h.destX = header.destX;
    h.destY = header.destY;
    std::memcpy(h.matrix, header.matrix, sizeof h.matrix);
    h.sourceWidth = header.width;
    h.sourceHeight = header.rows;
    h.maskFlag = mask != nullptr ? kImageWithMask : kImageNoMask;
    h.maskLength = mask != nullptr ? maskLength : 0;
    h.colourModel = kImageData;
    h.colourKind = r.format;
    if (IsPaletteKind(r.format)) {
        h.paletteCount = header.paletteCount;
        h.palette = {header.palette, size_t{header.paletteCount} * 3};
    }
    h.bitsPerComponent = r.format == header.colourKind ? header.bitsPerComponent : 8;
    h.method = r.method;
    h.dataLength = r.length;
    if (EmitImageHeader(layer, h) != 0 || (mask != nullptr && EmitRawBytes(layer, mask, maskLength) != 0) ||
        EmitRawBytes(layer, rows, r.length) != 0)
        return -1;
    return 0;
}

int FlushPendingImages(CommandLayer* layer, ImageHolder* holder)
{
    if (holder == nullptr)
        return 0;
    int result = 0;
    bool fatal = false;
    while (holder->first != nullptr) {
        PendingBand* band = holder->first;
        holder->first = band->next;
        if (holder->first == nullptr)
            holder->last = nullptr;
        // After a fatal compression result the remaining bands are dropped.
        auto* rows = fatal ? nullptr : static_cast<uint8_t*>(GlobalLock(band->data));
        if (rows == nullptr) {
            if (!fatal)
                result = -1;
            FreeBand(band);
            continue;
        }
        ImageBandHeader header = band->header;
        const uint8_t* data = rows;
        uint32_t length = band->length;
        const bool turn = holder->turnBands && header.bitsPerPixel >= 8 && header.width > kTurnThreshold &&
                          header.rows > kTurnThreshold;
        int sent = EmitMix(layer, 2, kSourceCopy);
        if (sent == 0 && turn && !TurnInto(holder, &header, rows, &data, &length))
            sent = -1;
        if (sent == 0)
            sent = SendImageBand(layer, holder, header, const_cast<uint8_t*>(data), length, nullptr, 0);
        GlobalUnlock(band->data);
        FreeBand(band);
        if (sent == kBandFatal)
            fatal = true;
        if (sent != 0)
            result = -1;
    }
    return result;
}
