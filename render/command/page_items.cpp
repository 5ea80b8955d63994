#include "render/command/page_items.h"

#include "render/output/page_recording.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

constexpr uint32_t kReplayPiece = 1024;
constexpr uint32_t kAxisVersion = StreamVersion(2, 0, 6);

bool Recording(uint16_t flags)
{
    return (flags & kRecordingOn) && (flags & kRecordingPageOpen);
}

bool Records(uint16_t flags, uint16_t bit)
{
    return Recording(flags) && (flags & bit);
}

int Record(CommandLayer* layer, PageItemKind kind, const void* data, uint16_t length)
{
    return WriteRecordedPageItem(layer->stream, kind, data, length);
}

// Turns comparing off for a replay or the crop marks and puts it back.
class CacheOff {
public:
    explicit CacheOff(CommandLayer* layer) : layer_(layer), saved_(SwapStateCacheMode(layer->state, 0)) {}
    ~CacheOff() { SwapStateCacheMode(layer_->state, saved_); }
    CacheOff(const CacheOff&) = delete;
    CacheOff& operator=(const CacheOff&) = delete;

private:
    CommandLayer* layer_;
    int saved_;
};

int CopyRawPieces(CommandLayer* layer)
{
    uint8_t piece[kReplayPiece];
    int n;
    while ((n = ReadRecordedBytes(layer->stream, piece, kReplayPiece)) > 0)
        if (EmitRawBytes(layer, piece, static_cast<uint32_t>(n)) != 0)
            return -1;
    return n;
}

int ReplayMedia(CommandLayer* layer, const PageMediaItem& item, int32_t mediaCode, const PageReplayHooks& hooks)
{
    if (hooks.restoreMedia != nullptr && hooks.restoreMedia(hooks.context, item) != 0)
        return -1;
    const uint32_t code1 = mediaCode >= 0 ? static_cast<uint32_t>(mediaCode) : item.code1;
    return EmitPageAttributes(layer, static_cast<uint8_t>(code1), static_cast<uint8_t>(item.code2),
                              static_cast<uint8_t>(item.kindLetter), item.width, item.height, item.pageOptions);
}

int ReplayPlacement(CommandLayer* layer, const PlacementItem& item, const PageReplayHooks& hooks)
{
    float m[6];
    std::copy(std::begin(item.matrix), std::end(item.matrix), m);
    if (hooks.placement != nullptr && hooks.placement(hooks.context, item, m) != 0)
        return -1;
    return EmitPlacementMatrix(layer, m);
}

// Acts on one item; its data has been checked to have the kind's size.
int ReplayItem(CommandLayer* layer, uint16_t kind, uint16_t length, uint32_t mask, int32_t mediaCode,
               const PageReplayHooks& hooks)
{
    switch (kind) {
    case kItemPageMedia: {
        PageMediaItem item;
        if (length != sizeof item || ReadRecordedItemData(layer->stream, &item, length) != length)
            return -1;
        return (mask & kReplayPageMedia) ? ReplayMedia(layer, item, mediaCode, hooks) : 0;
    }
    case kItemPlacement: {
        PlacementItem item;
        if (length != sizeof item || ReadRecordedItemData(layer->stream, &item, length) != length)
            return -1;
        return (mask & kReplayPlacement) ? ReplayPlacement(layer, item, hooks) : 0;
    }
    case kItemSheetOutput:
        return length != 0 ? -1 : (mask & kReplaySheetOutput) ? EmitSheetOutput(layer) : 0;
    case kItemSheetEnd:
        return length != 0 ? -1 : (mask & kReplaySheetEnd) ? EmitSheetEnd(layer) : 0;
    case kItemClipReset:
        return length != 0 ? -1 : (mask & kReplayClipReset) ? EmitClipReset(layer) : 0;
    default:
        return -1;
    }
}

Fix ToFix(float pixels)
{
    return static_cast<Fix>(std::lround(pixels * 16.0f));
}

int DrawMarkSegment(CommandLayer* layer, float x0, float y0, float x1, float y1)
{
    const FixPoint end[1] = {{ToFix(x1), ToFix(y1)}};
    if (EmitPathStart(layer) != 0 || EmitMoveTo(layer, {ToFix(x0), ToFix(y0)}) != 0 ||
        EmitPolyline(layer, end) != 0)
        return -1;
    return EmitPathEnd(layer);
}

constexpr EscapeFunctionRow kEscapeFunctions[] = {
    {0x1101, 4209, StreamVersion(1, 5, 1), {143, 65280, 65280}},
    {0x1102, 4210, StreamVersion(1, 7, 1), {48, 0, 0}},
    {0x1102, 4210, StreamVersion(1, 6, 1), {16, 0, 0}},
    {0x1102, 4210, StreamVersion(1, 5, 1), {0, 0, 0}},
    {0x1103, 4211, StreamVersion(1, 6, 1), {31, 0, 0}},
    {0x1104, 4212, StreamVersion(1, 5, 1), {799, 139, 0}},
    {0x1108, 4216, StreamVersion(1, 5, 1), {1, 0, 0}},
    {0x1105, 4213, StreamVersion(1, 5, 1), {0, 0, 0}},
    // Both answer 4215, though ids and escapes otherwise run in step.
    {0x1106, 4215, StreamVersion(1, 5, 1), {0, 0, 0}},
    {0x1107, 4215, StreamVersion(1, 5, 1), {0, 0, 0}},
};
constexpr uint32_t kLowestFunctionVersion = StreamVersion(1, 5, 1);
constexpr uint32_t kHighestFunctionVersion = StreamVersion(2, 0, 24);

}  // namespace

int EmitPageAttributes(CommandLayer* layer, uint8_t code1, uint8_t code2, uint8_t kindLetter, float width,
                       float height, uint32_t orientationType)
{
    int result = EmitPageMedia(layer, code1, code2, kindLetter, width, height);
    if (layer->streamVersion >= kAxisVersion && orientationType >= 1 && orientationType <= 4 &&
        EmitPageAxis(layer, static_cast<int>(orientationType)) != 0)
        result = -1;
    return result;
}

int SetPageAttributes(CommandLayer* layer, uint16_t recordingFlags, const PageMediaItem& item)
{
    if (Records(recordingFlags, kRecordPageMedia))
        return Record(layer, kItemPageMedia, &item, sizeof item);
    return EmitPageAttributes(layer, static_cast<uint8_t>(item.code1), static_cast<uint8_t>(item.code2),
                              static_cast<uint8_t>(item.kindLetter), item.width, item.height, item.pageOptions);
}

int EmitSheetEndFB(CommandLayer* layer, uint16_t recordingFlags)
{
    return Records(recordingFlags, kRecordSheetOutput) ? Record(layer, kItemSheetOutput, nullptr, 0)
                                                        : EmitSheetOutput(layer);
}

int EmitPageEndED(CommandLayer* layer, uint16_t recordingFlags)
{
    return Records(recordingFlags, kRecordSheetEnd) ? Record(layer, kItemSheetEnd, nullptr, 0) : EmitSheetEnd(layer);
}

int EmitClipResetForPage(CommandLayer* layer, uint16_t recordingFlags)
{
    return Recording(recordingFlags) ? Record(layer, kItemClipReset, nullptr, 0) : EmitClipReset(layer);
}

int SetPagePlacement(CommandLayer* layer, uint16_t recordingFlags, const PlacementItem& item)
{
    if (!Records(recordingFlags, kRecordPlacement))
        return EmitPlacementMatrix(layer, item.matrix);
    if (Record(layer, kItemPlacement, &item, sizeof item) != 0)
        return -1;
    SetCachedMatrix(layer, item.matrix);
    return 0;
}

int CopyRecordedPage(CommandLayer* layer, uint32_t page, uint32_t mask, int32_t mediaCode,
                     const PageReplayHooks& hooks)
{
    if (layer == nullptr || StartPageReplay(layer->stream, page) != 0)
        return -1;
    CacheOff cacheOff(layer);
    for (;;) {
        if (CopyRawPieces(layer) != 0)
            return -1;
        uint16_t kind = 0, length = 0;
        const int next = NextRecordedItem(layer->stream, &kind, &length);
        if (next <= 0)
            return next;
        if (ReplayItem(layer, kind, length, mask, mediaCode, hooks) != 0)
            return -1;
    }
}

int DrawCropMarks(CommandLayer* layer, int32_t xResolution, int32_t yResolution, int32_t width, int32_t height)
{
    const float xRes = static_cast<float>(xResolution > 0 ? xResolution : 600);
    const float yRes = static_cast<float>(yResolution > 0 ? yResolution : 600);
    const float lineWidth = (xRes * 0.25f / 72.0f + yRes * 0.25f / 72.0f) / 2.0f;
    const float dashes[2] = {40.0f * xRes / 600.0f, 10.0f * xRes / 600.0f};
    const MorvaColour black = {4, {0, 0, 0}};
    int result = 0;
    {
        CacheOff cacheOff(layer);
        if (EmitClipReset(layer) != 0 || EmitLineWidth(layer, lineWidth) != 0 || EmitLineJoin(layer, 2) != 0 ||
            EmitLineCap(layer, 2) != 0 || EmitLineStyle(layer, 6, 0.0f, dashes) != 0 ||
            EmitPaintOperation(layer, 1) != 0 || EmitMix(layer, 1, 13) != 0 || EmitColour(layer, 1, black) != 0)
            result = -1;
        // 10 mm marks at the corners and the middles of the edges.
        const float lx = 100.0f * xRes / 254.0f, ly = 100.0f * yRes / 254.0f;
        const float in = lineWidth / 2.0f;
        const float w = static_cast<float>(width), h = static_cast<float>(height);
        const float left = in, top = in, right = w - in, bottom = h - in;
        const float segments[12][4] = {
            {left, top, left + lx, top},         {left, top, left, top + ly},
            {right - lx, top, right, top},       {right, top, right, top + ly},
            {left, bottom, left + lx, bottom},   {left, bottom - ly, left, bottom},
            {right - lx, bottom, right, bottom}, {right, bottom - ly, right, bottom},
            {w / 2 - lx / 2, top, w / 2 + lx / 2, top},
            {w / 2 - lx / 2, bottom, w / 2 + lx / 2, bottom},
            {left, h / 2 - ly / 2, left, h / 2 + ly / 2},
            {right, h / 2 - ly / 2, right, h / 2 + ly / 2},
        };
        for (const auto& s : segments)
            if (result == 0 && DrawMarkSegment(layer, s[0], s[1], s[2], s[3]) != 0)
                result = -1;
        const float identity[6] = {1, 0, 0, 1, 0, 0};
        if (result == 0 && EmitPlacementMatrix(layer, identity) != 0)
            result = -1;
    }
    if (ResetCommandLayerForPage(layer) != 0)
        result = -1;
    return result;
}

int LookupEscapeFunction(uint16_t functionId, const EscapeFunctionConditions& conditions, EscapeFunctionRow* row)
{
    if (row == nullptr)
        return -1;
    if (functionId == 0x1102 && conditions.jobHeaderOn)
        return -1;
    if (functionId == 0x1103 &&
        (conditions.pageRecordValue != 0 || conditions.capabilityThird == 0 || conditions.setting5202 == 1))
        return -1;
    const uint32_t version = conditions.streamVersion;
    if (version < kLowestFunctionVersion || version > kHighestFunctionVersion)
        return -1;
    for (const EscapeFunctionRow& candidate : kEscapeFunctions) {
        if (candidate.functionId != functionId || version < candidate.minimumVersion)
            continue;
        *row = candidate;
        if (functionId == 0x1104) {
            if (!conditions.supportsOption4)
                row->capabilities[0] &= ~0x4u;
            if (!conditions.supportsOption8)
                row->capabilities[0] &= ~0x8u;
        }
        return 0;
    }
    return -1;
}
