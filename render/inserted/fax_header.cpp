// The fax header line. Its glyph runs take the stream's own run form, the one
// every other text of the job uses, so that the printer reads one language.
#include "render/inserted/fax_header.h"

#include "render/morva/morva_commands.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// "AR", "AK", "AL", "AM" ahead of the items.
constexpr int kHeaderStateBytes = 2 + 3 + 7 + 7;
constexpr int kFontBytes = 4;         // "DA"
constexpr int kFontMatrixBytes = 26;  // "Db"
constexpr int32_t kPaintFill = 2;
constexpr int32_t kMixRop = 1;
constexpr int32_t kRopCopy = 13;
constexpr int32_t kFillTarget = 2;
constexpr uint16_t kDeviceFontBit = 0x2;

struct Run {
    bool newFont;
    bool newSize;
    int32_t x, y;
    std::vector<uint16_t> ids;
    std::vector<float> advances;  // one per gap between glyphs
};

// The glyph run of an item: ids, the advance of each glyph, the start in dots.
// False when a glyph has no width.
bool PrepareRun(const FaxHeaderLayout& layout, const FaxHeaderItem& item, Run* run)
{
    const UINT codePage = layout.codePage ? layout.codePage : CP_ACP;
    const auto* bytes = reinterpret_cast<const uint8_t*>(item.text);
    std::vector<float> widths;
    for (uint32_t i = 0; i < item.length; ++i) {
        uint16_t id = bytes[i];
        uint16_t width = item.widths ? item.widths[bytes[i]] : 0;
        if (i + 1 < item.length && IsDBCSLeadByteEx(codePage, bytes[i])) {
            id = static_cast<uint16_t>(bytes[i] << 8 | bytes[i + 1]);
            width = item.doubleByteWidth;
            ++i;
        }
        if (width == 0)
            return false;
        run->ids.push_back(id);
        widths.push_back(static_cast<float>(width) * static_cast<float>(item.size) / 1000.0f *
                         static_cast<float>(layout.resolutionX) / 72.0f / 10.0f);
    }
    if (!widths.empty())
        run->advances.assign(widths.begin(), widths.end() - 1);
    run->x = static_cast<int32_t>(std::lround(static_cast<double>(item.x - layout.xShift) * layout.resolutionX / 254.0));
    run->y = static_cast<int32_t>(std::lround(static_cast<double>(item.y) * layout.resolutionY / 254.0));
    return true;
}

int RunBytes(const Run& run)
{
    const int n = static_cast<int>(run.ids.size());
    const int m = static_cast<int>(run.advances.size());
    const bool fractional = std::any_of(run.advances.begin(), run.advances.end(), AdvanceHasFraction);
    // Opcode, start point, mode, advance count, advances, id list length and ids.
    return fractional ? 2 + 8 + 1 + 2 + 4 * m + 2 + 2 * n : 2 + 4 + 1 + 2 + 2 * m + 2 + 2 * n;
}

bool PrepareRuns(const FaxHeaderLayout& layout, const FaxHeaderItem* items, uint32_t count, std::vector<Run>* runs)
{
    if (count != 0 && !items)
        return false;
    bool first = true;
    int32_t font = 0;
    int32_t size = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const FaxHeaderItem& item = items[i];
        if (item.length == 0)
            continue;
        if (!item.text)
            return false;
        Run run = {};
        run.newFont = first || item.font != font;
        run.newSize = first || item.size != size;
        if (!PrepareRun(layout, item, &run))
            return false;
        first = false;
        font = item.font;
        size = item.size;
        runs->push_back(std::move(run));
    }
    return true;
}

int TotalBytes(const std::vector<Run>& runs)
{
    int total = kHeaderStateBytes;
    for (const Run& run : runs)
        total += (run.newFont ? kFontBytes : 0) + (run.newSize ? kFontMatrixBytes : 0) + RunBytes(run);
    return total;
}

}  // namespace

int MeasureFaxHeader(const FaxHeaderLayout& layout, const FaxHeaderItem* items, uint32_t count)
{
    std::vector<Run> runs;
    if (!PrepareRuns(layout, items, count, &runs))
        return -1;
    return TotalBytes(runs);
}

int WriteFaxHeader(OutputStream* stream, const FaxHeaderLayout& layout, const FaxHeaderItem* items, uint32_t count)
{
    std::vector<Run> runs;
    if (!stream || !PrepareRuns(layout, items, count, &runs))
        return -1;
    const MorvaColour black = {kColourFormatRgb, {0, 0, 0}};
    int result = WriteClipReset(stream) | WritePaintOperation(stream, kPaintFill) |
                 WriteMix(stream, kMixRop, kRopCopy) | WriteSolidColour(stream, kFillTarget, black);
    uint32_t run = 0;
    for (uint32_t i = 0; i < count && result == 0; ++i) {
        const FaxHeaderItem& item = items[i];
        if (item.length == 0)
            continue;
        const Run& r = runs[run++];
        if (r.newFont)
            result |= WriteFont(stream, static_cast<int32_t>(static_cast<uint16_t>(item.font) | kDeviceFontBit));
        if (r.newSize) {
            const float m[6] = {static_cast<float>(layout.resolutionX) * static_cast<float>(item.size) / 720.0f, 0.0f,
                                0.0f, -static_cast<float>(layout.resolutionY) * static_cast<float>(item.size) / 720.0f,
                                0.0f, 0.0f};
            result |= WriteFontMatrix(stream, m);
        }
        result |= WriteGlyphRun(stream, r.x, r.y, r.ids, kAdvancePerGap, r.advances);
    }
    return result ? -1 : TotalBytes(runs);
}
