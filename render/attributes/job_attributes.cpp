// The job-attribute record of the graphics library.
#include "render/attributes/job_attributes.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace {

// Paper source to the ticket's paper-source number.
struct SourceRow {
    int32_t source;
    uint32_t attribute;
};
constexpr std::array<SourceRow, 14> kPaperSources = {{
    {7, 0}, {1, 1}, {272, 1}, {3, 2}, {271, 2}, {2, 3}, {261, 3},
    {257, 4}, {262, 4}, {4, 5}, {260, 5}, {265, 201}, {266, 202}, {267, 203},
}};
constexpr uint32_t kUnknownPaperSource = 0x8000;

void* Alloc(size_t bytes)
{
    return GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes);
}

void FreePages(JobAttributeRecord* r)
{
    for (uint32_t i = 0; i < r->blockCount; ++i)
        GlobalFree(r->blocks[i]);
    if (r->blocks)
        GlobalFree(r->blocks);
    r->blocks = nullptr;
    r->blockCount = 0;
    r->tableCapacity = 0;
    r->pageCount = 0;
}

// "210.0": tenths of a millimetre as millimetres with one decimal, the sign
// kept for a value above -10 too.
int FormatTenths(int32_t v, char* out, size_t room)
{
    const int64_t w = v;
    const int64_t magnitude = w < 0 ? -w : w;
    return std::snprintf(out, room, "%s%lld.%lld", w < 0 ? "-" : "", static_cast<long long>(magnitude / 10),
                         static_cast<long long>(magnitude % 10));
}

uint32_t Saturate(uint64_t v)
{
    return v > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(v);
}

}  // namespace

int CreateJobAttributeRecord(JobAttributeRecord** record)
{
    if (!record)
        return -1;
    if (!*record) {
        *record = static_cast<JobAttributeRecord*>(Alloc(sizeof(JobAttributeRecord)));
        if (!*record)
            return -1;
    }
    JobAttributeRecord* r = *record;
    FreePages(r);
    r->closed = false;
    r->values = {};
    return 0;
}

void FreeJobAttributeRecord(JobAttributeRecord** record)
{
    if (!record || !*record)
        return;
    FreePages(*record);
    GlobalFree(*record);
    *record = nullptr;
}

const JobAttributePage* GetJobAttributePage(const JobAttributeRecord* record, uint32_t n)
{
    if (!record || n >= record->pageCount)
        return nullptr;
    return &record->blocks[n / kJobAttributeBlockEntries][n % kJobAttributeBlockEntries];
}

int AppendJobAttributePage(JobAttributeRecord* record, const JobAttributePage& page)
{
    if (!record)
        return 0;
    const uint32_t n = record->pageCount;
    if (n == UINT32_MAX)
        return 0;
    const uint32_t block = n / kJobAttributeBlockEntries;
    if (block >= record->blockCount) {
        if (record->blockCount == record->tableCapacity) {
            const uint32_t capacity = record->tableCapacity ? record->tableCapacity * 2 : 4;
            auto** table = static_cast<JobAttributePage**>(Alloc(sizeof(JobAttributePage*) * capacity));
            if (!table)
                return 0;
            if (record->blocks) {
                std::memcpy(table, record->blocks, sizeof(JobAttributePage*) * record->blockCount);
                GlobalFree(record->blocks);
            }
            record->blocks = table;
            record->tableCapacity = capacity;
        }
        auto* entries = static_cast<JobAttributePage*>(Alloc(sizeof(JobAttributePage) * kJobAttributeBlockEntries));
        if (!entries)
            return 0;
        record->blocks[record->blockCount++] = entries;
    }
    record->blocks[block][n % kJobAttributeBlockEntries] = page;
    record->pageCount = n + 1;
    return 1;
}

int BuildJobAttributeRecord(JobAttributeRecord* record, const JobAttributeInput& in)
{
    if (!record)
        return -1;
    JobAttributeValues& v = record->values;
    std::snprintf(v.streamVersion, sizeof v.streamVersion, "%u.%u.%u", (in.streamVersion >> 16) & 0xFF,
                  (in.streamVersion >> 8) & 0xFF, in.streamVersion & 0xFF);
    v.jobClass = in.formRegistration                                           ? 3
                 : (in.driverKind == 2 && in.faxMode != 1) || in.jobType == 4 ? 1
                                                                               : 0;
    if (in.driverKind == 2 && in.printerSideValues)
        v.outputClass = 3;
    else
        v.outputClass = in.jobType == 1 ? 1 : in.jobType == 2 ? 2 : in.jobType == 3 ? 5 : 0;
    if (in.collateByReplay) {
        v.copiesFirst = v.copiesSecond = 1;
    } else if (in.collate || in.jobType == 2) {
        v.copiesFirst = in.copies;
        v.copiesSecond = 1;
    } else {
        v.copiesFirst = 1;
        v.copiesSecond = in.copies;
    }
    v.duplex = in.booklet || in.geometryDuplex == 1 ? 2 : in.geometryDuplex == 2 ? 1 : 0;
    v.sheetValue = in.pagesPerSide;
    const uint32_t tiles = in.poster ? Saturate(static_cast<uint64_t>(in.posterColumns) * in.posterRows) : 1;
    v.tileProduct = tiles;
    if (!in.booklet) {
        v.bookletKind = 0;
        v.bookletValue = 1;
    } else if (in.bookletBinding == 2) {
        v.bookletKind = 3;
        v.bookletValue = in.bindingValue;
    } else if (in.bookletBinding == 1) {
        v.bookletKind = 2;
        v.bookletValue = in.bindingValue;
    } else {
        v.bookletKind = 1;
        v.bookletValue = 1;
    }
    v.reverseOrder = in.reverseOrder;
    v.specialOutput = in.specialOutputMode == 1 || in.specialOutputMode == 2 ? in.specialOutputMode : 0;
    v.flag1320 = in.flag1320;
    v.sheetCount = in.sheetCount;
    const uint64_t copies = in.copies;
    if (in.booklet)
        v.totalOutput = Saturate(copies * ((static_cast<uint64_t>(in.pages) + 3) / 4));
    else if (in.poster)
        v.totalOutput = Saturate(static_cast<uint64_t>(in.pages) * copies * tiles);
    else
        v.totalOutput = Saturate(static_cast<uint64_t>(in.pages) * copies);
    v.set = kAttrStreamVersion | kAttrJobClass | kAttrOutputClass | kAttrCopies | kAttrDuplex | kAttrSheetValue |
            kAttrTileProduct | kAttrBookletBinding | kAttrReverseOrder | kAttrSpecialOutput | kAttrFlag1320 |
            kAttrSheetCount | kAttrTotalOutput;
    record->closed = true;
    return 0;
}

int ApplyJobAttributesFromPage(JobAttributeRecord* record, const JobAttributePageInput& in, bool formRegistration)
{
    if (!record)
        return -1;
    if (formRegistration && record->closed)
        return 0;
    JobAttributePage page = {};
    FormatCustomSizeText(in.width, in.height, in.customMark, page.customSize);
    page.colourState = in.colourState;
    page.account = in.accountFlag && in.colourState == 1 ? in.accountCode : 0;
    page.paperSource = MapPaperSourceAttribute(in.paperSource);
    if (in.booklet)
        page.orientation = 2;
    else if (in.pageOptions)
        page.orientation = in.sheetSide == 2 ? 1 : in.sheetSide == 3 ? 2 : 0;
    else
        page.orientation = in.orientation == 1 ? 2 : in.orientation == 2 ? 1 : 0;
    return AppendJobAttributePage(record, page) ? 0 : -1;
}

uint32_t MapPaperSourceAttribute(int32_t paperSource)
{
    for (const SourceRow& row : kPaperSources)
        if (row.source == paperSource)
            return row.attribute;
    return kUnknownPaperSource;
}

void FormatCustomSizeText(int32_t width, int32_t height, bool mark, char out[16])
{
    // The text has 16 bytes; every piece is written with the room left, so
    // sizes of any magnitude are cut, never written past the end.
    constexpr size_t kRoom = 16;
    const int32_t first = std::min(width, height);
    const int32_t second = std::max(width, height);
    size_t used = 0;
    out[0] = '\0';
    if (mark)
        out[used++] = '*';
    out[used] = '\0';
    int n = FormatTenths(first, out + used, kRoom - used);
    used = std::min(kRoom - 1, used + static_cast<size_t>(std::max(n, 0)));
    n = std::snprintf(out + used, kRoom - used, "X");
    used = std::min(kRoom - 1, used + static_cast<size_t>(std::max(n, 0)));
    FormatTenths(second, out + used, kRoom - used);
    out[kRoom - 1] = '\0';
}

int PatchBktpAttribute(std::span<uint8_t> header, uint32_t offset, uint32_t slotLength, int32_t number, bool pjlForm)
{
    if (number == 0)
        return 1;
    char text[64];
    const int n = pjlForm ? std::snprintf(text, sizeof text, "@PJL SET JOBATTR=\"@BKTP=%d\"", number)
                          : std::snprintf(text, sizeof text, "@BKTP=%d", number);
    if (n <= 0 || static_cast<uint32_t>(n) > slotLength)
        return -1;
    if (offset > header.size() || header.size() - offset < slotLength)
        return -1;
    std::memcpy(header.data() + offset, text, static_cast<size_t>(n));
    return 1;
}
