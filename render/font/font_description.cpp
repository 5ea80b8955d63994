#include "render/font/font_description.h"

#include "common/settings/unaligned_bytes.h"

#include <algorithm>
#include <cstring>

namespace {

// Whether `count` entries of `entryBytes` at `offset` lie inside the description.
bool Inside(std::span<const uint8_t> d, uint64_t offset, uint64_t count, uint64_t entryBytes)
{
    return offset <= d.size() && count * entryBytes <= d.size() - offset;
}

}  // namespace

bool ReadFontMetrics(std::span<const uint8_t> description, FontMetricsBlock* out)
{
    if (description.size() < sizeof(FontMetricsBlock))
        return false;
    std::memcpy(out, description.data(), sizeof(*out));
    return true;
}

std::span<const uint8_t> DescriptionString(std::span<const uint8_t> description, uint32_t offset)
{
    if (offset == 0 || offset >= description.size())
        return {};
    const auto rest = description.subspan(offset);
    return rest.first(size_t(std::find(rest.begin(), rest.end(), uint8_t{0}) - rest.begin()));
}

int32_t ParseHexCode(std::span<const uint8_t> text)
{
    if (text.empty() || text.size() > 8)
        return -1;
    int32_t value = 0;
    for (uint8_t c : text) {
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0)
            return -1;
        value = int32_t(uint32_t(value) << 4 | uint32_t(digit));
    }
    return value;
}

CodeTables ReadCodeTables(std::span<const uint8_t> d, const FontMetricsBlock& metrics)
{
    CodeTables t;
    if (metrics.codeTables == 0)
        return t;
    t.present = true;
    if (!Inside(d, metrics.codeTables, 1, sizeof(CodeTableBlock)))
        return t;
    std::memcpy(&t.block, d.data() + metrics.codeTables, sizeof(t.block));
    const CodeTableBlock& b = t.block;
    const uint32_t directCount = b.lastCode >= b.firstCode ? uint32_t(b.lastCode - b.firstCode) + 1 : 0;
    t.usable = (b.direct == 0 || Inside(d, b.direct, directCount, 2)) &&
               Inside(d, b.ranges, b.rangeCount, kRangeEntryBytes) &&
               Inside(d, b.subRanges, b.subRangeCount, kSubRangeEntryBytes) &&
               Inside(d, b.pairs, b.pairCount, kPairEntryBytes);
    return t;
}

int32_t MapCharToPrinterCode(std::span<const uint8_t> d, const CodeTables& t, uint32_t code)
{
    if (!t.present)
        return int32_t(code);
    if (!t.usable)
        return -1;
    const CodeTableBlock& b = t.block;
    if (b.direct != 0 && code >= b.firstCode && code <= b.lastCode)
        return LoadU16(d.data() + b.direct + 2 * (code - b.firstCode));
    // The pair table is sorted by code; an empty table has nothing to search.
    if (b.pairCount > 0) {
        int32_t low = 0, high = int32_t(b.pairCount) - 1;
        while (low <= high) {
            const int32_t mid = (low + high) / 2;
            const uint8_t* pair = d.data() + b.pairs + size_t(mid) * kPairEntryBytes;
            const uint16_t key = LoadU16(pair);
            if (key == code)
                return LoadU16(pair + 2);
            if (key < code)
                low = mid + 1;
            else
                high = mid - 1;
        }
    }
    for (uint32_t i = 0; i < b.rangeCount; ++i) {
        const uint8_t* r = d.data() + b.ranges + size_t(i) * kRangeEntryBytes;
        if (code >= LoadU16(r) && code <= LoadU16(r + 2))
            return LoadU16(r + 4);
    }
    for (uint32_t i = 0; i < b.subRangeCount; ++i) {
        const uint8_t* r = d.data() + b.subRanges + size_t(i) * kSubRangeEntryBytes;
        const uint16_t first = LoadU16(r), last = LoadU16(r + 2);
        if (code < first || code > last)
            continue;
        const uint32_t table = LoadU32(r + 4);
        if (!Inside(d, table, uint64_t(last - first) + 1, 2))
            return -1;
        return LoadU16(d.data() + table + 2 * (code - first));
    }
    return -1;
}
