#include "render/compress/image_reducer.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int32_t kLargestRatio = 14;
constexpr uint32_t kHeldRows = 16;  // a target row spans at most 16 source rows at ratio 14

// Target pixel i covers the source interval [i n / m, (i + 1) n / m): its
// first and last source pixels with the part of each that is covered, in 256ths.
struct Span {
    uint32_t first;
    uint32_t last;
    uint32_t firstWeight;
    uint32_t lastWeight;
    uint32_t total;
};

struct ReducerState {
    uint32_t bytesPerPixel;
    int mode;
    int32_t sourceX, sourceY, target;
    int32_t sourceWidth, sourceHeight, targetWidth, targetHeight;
    Span* columns;
    Span* rows;
    uint8_t* held;      // kHeldRows horizontally reduced rows
    uint8_t* output;    // the completed target row
    uint32_t nextSourceRow;
    uint32_t nextTargetRow;
    bool outputReady;
};

class Locked {
public:
    explicit Locked(ImageReducer reducer) : reducer_(reducer), state_(static_cast<ReducerState*>(GlobalLock(reducer))) {}
    ~Locked()
    {
        if (state_ != nullptr)
            GlobalUnlock(reducer_);
    }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
    ReducerState* operator->() const { return state_; }
    explicit operator bool() const { return state_ != nullptr; }

private:
    ImageReducer reducer_;
    ReducerState* state_;
};

void* Allocate(size_t bytes)
{
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
}

void Release(void* p)
{
    if (p != nullptr)
        HeapFree(GetProcessHeap(), 0, p);
}

void ReleaseTables(ReducerState* s)
{
    Release(s->columns);
    Release(s->rows);
    Release(s->held);
    Release(s->output);
    s->columns = s->rows = nullptr;
    s->held = s->output = nullptr;
}

Span* WeightTable(uint32_t n, uint32_t m)
{
    auto* spans = static_cast<Span*>(Allocate(sizeof(Span) * m));
    if (spans == nullptr)
        return nullptr;
    for (uint32_t i = 0; i < m; ++i) {
        Span& s = spans[i];
        const uint64_t start = uint64_t{i} * n, end = uint64_t{i + 1} * n;
        s.first = static_cast<uint32_t>(start / m);
        s.firstWeight = 256 - static_cast<uint32_t>((start % m) * 256 / m);
        if (end % m == 0) {
            s.last = static_cast<uint32_t>(end / m) - 1;
            s.lastWeight = 256;
        }
        else {
            s.last = static_cast<uint32_t>(end / m);
            s.lastWeight = static_cast<uint32_t>((end % m) * 256 / m);
        }
        if (s.first == s.last)
            s.firstWeight = s.lastWeight = std::min(s.firstWeight, s.lastWeight);
        s.total = s.first == s.last ? s.firstWeight : s.firstWeight + s.lastWeight + 256 * (s.last - s.first - 1);
    }
    return spans;
}

// One value of a target pixel from the source values of its span, `stride` apart.
inline uint8_t Average(const Span& s, const uint8_t* first, size_t stride)
{
    if (s.first == s.last)
        return *first;
    uint32_t sum = first[0] * s.firstWeight;
    for (uint32_t k = 1; k < s.last - s.first; ++k)
        sum += first[k * stride] * 256u;
    sum += first[(s.last - s.first) * stride] * s.lastWeight;
    return static_cast<uint8_t>((sum + s.total / 2) / s.total);
}

int32_t Reduced(int64_t v, int32_t s)
{
    if (v <= 0)
        v = 1;
    if (s / v > kLargestRatio)
        v = s / kLargestRatio + 1;
    return static_cast<int32_t>(std::min<int64_t>(v, s));
}

}  // namespace

ImageReducer CreateImageReducer(uint32_t bytesPerPixel)
{
    if (bytesPerPixel != 1 && bytesPerPixel != 3)
        return nullptr;
    ImageReducer reducer = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(ReducerState));
    if (reducer == nullptr)
        return nullptr;
    Locked s(reducer);
    s->bytesPerPixel = bytesPerPixel;
    return reducer;
}

void FreeImageReducer(ImageReducer reducer)
{
    if (reducer == nullptr)
        return;
    {
        Locked s(reducer);
        if (s)
            ReleaseTables(s.operator->());
    }
    GlobalFree(reducer);
}

int SetImageReducerUnits(ImageReducer reducer, int mode, int32_t sourceX, int32_t sourceY, int32_t target)
{
    Locked s(reducer);
    if (!s || mode != 1 || sourceX <= 0 || sourceY <= 0 || target <= 0)
        return -1;
    s->mode = mode;
    s->sourceX = sourceX;
    s->sourceY = sourceY;
    s->target = target;
    return 0;
}

int ComputeReducedImageSize(ImageReducer reducer, int32_t w, int32_t h, int32_t drawnWidth, int32_t drawnHeight,
                            int32_t* width, int32_t* height)
{
    Locked s(reducer);
    if (!s || s->mode != 1 || w <= 0 || h <= 0 || width == nullptr || height == nullptr)
        return -1;
    *width = std::min(w, Reduced(int64_t{drawnWidth} * s->target / s->sourceX, w));
    *height = std::min(h, Reduced(int64_t{drawnHeight} * s->target / s->sourceY, h));
    return 0;
}

int SetImageReducerSizes(ImageReducer reducer, int32_t sourceWidth, int32_t sourceHeight, int32_t targetWidth,
                         int32_t targetHeight)
{
    Locked s(reducer);
    if (!s || targetWidth <= 0 || targetHeight <= 0 || targetWidth > sourceWidth || targetHeight > sourceHeight ||
        sourceWidth / targetWidth > kLargestRatio || sourceHeight / targetHeight > kLargestRatio)
        return -1;
    ReleaseTables(s.operator->());
    const size_t rowBytes = size_t(targetWidth) * s->bytesPerPixel;
    s->columns = WeightTable(static_cast<uint32_t>(sourceWidth), static_cast<uint32_t>(targetWidth));
    s->rows = WeightTable(static_cast<uint32_t>(sourceHeight), static_cast<uint32_t>(targetHeight));
    s->held = static_cast<uint8_t*>(Allocate(rowBytes * kHeldRows));
    s->output = static_cast<uint8_t*>(Allocate(rowBytes));
    if (s->columns == nullptr || s->rows == nullptr || s->held == nullptr || s->output == nullptr) {
        ReleaseTables(s.operator->());
        return -1;
    }
    s->sourceWidth = sourceWidth;
    s->sourceHeight = sourceHeight;
    s->targetWidth = targetWidth;
    s->targetHeight = targetHeight;
    s->nextSourceRow = s->nextTargetRow = 0;
    s->outputReady = false;
    return 0;
}

int PutImageReducerRow(ImageReducer reducer, const uint8_t* row)
{
    Locked s(reducer);
    if (!s || s->held == nullptr || row == nullptr || s->nextSourceRow >= uint32_t(s->sourceHeight))
        return -1;
    const uint32_t bpp = s->bytesPerPixel;
    const size_t rowBytes = size_t(s->targetWidth) * bpp;
    const uint32_t y = s->nextSourceRow;
    uint8_t* reduced = s->held + (y % kHeldRows) * rowBytes;
    if (s->targetWidth == s->sourceWidth)
        std::memcpy(reduced, row, rowBytes);
    else
        for (int32_t x = 0; x < s->targetWidth; ++x)
            for (uint32_t c = 0; c < bpp; ++c)
                reduced[x * bpp + c] = Average(s->columns[x], row + size_t(s->columns[x].first) * bpp + c, bpp);
    const Span& span = s->rows[std::min(s->nextTargetRow, uint32_t(s->targetHeight) - 1)];
    if (s->nextTargetRow < uint32_t(s->targetHeight) && span.last == y) {
        if (s->outputReady)
            return -1;  // the caller did not take the last row
        for (size_t i = 0; i < rowBytes; ++i) {
            if (span.first == span.last) {
                s->output[i] = reduced[i];
                continue;
            }
            uint32_t sum = s->held[(span.first % kHeldRows) * rowBytes + i] * span.firstWeight;
            for (uint32_t r = span.first + 1; r < span.last; ++r)
                sum += s->held[(r % kHeldRows) * rowBytes + i] * 256u;
            sum += reduced[i] * span.lastWeight;
            s->output[i] = static_cast<uint8_t>((sum + span.total / 2) / span.total);
        }
        s->outputReady = true;
        ++s->nextTargetRow;
    }
    ++s->nextSourceRow;
    return 0;
}

int GetReducedImageRow(ImageReducer reducer, uint8_t* row)
{
    Locked s(reducer);
    if (!s || row == nullptr)
        return -1;
    if (!s->outputReady)
        return 0;
    std::memcpy(row, s->output, size_t(s->targetWidth) * s->bytesPerPixel);
    s->outputReady = false;
    return 1;
}
