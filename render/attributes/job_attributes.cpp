// The job attributes of the graphics library, kept in the job ticket.
#include "render/attributes/job_attributes.h"

#include "common/job/job_header.h"
#include "common/job/job_header_block.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace {

// Paper source to the ticket's input tray number.
struct SourceRow {
    int32_t source;
    uint32_t attribute;
};
constexpr std::array<SourceRow, 14> kPaperSources = {{
    {7, 0}, {1, 1}, {272, 1}, {3, 2}, {271, 2}, {2, 3}, {261, 3},
    {257, 4}, {262, 4}, {4, 5}, {260, 5}, {265, 201}, {266, 202}, {267, 203},
}};
constexpr uint32_t kUnknownPaperSource = 0x8000;

// The ticket's values are the record's values: job class 0, 1, 3 is the job
// type PRINT, SENDMERE, FORMREGISTRATION; output class 0, 1, 2, 3, 5 the
// stored job type; the duplex value SIMPLEX, DUPLEX, TUMBLE; the booklet pair
// type and threshold; the special output value the slip sheet kind.
constexpr uint32_t kJobClassFax = 1;
constexpr uint32_t kOutputClassPrinterSide = 3;
constexpr uint32_t kBookletNone = 0;
constexpr uint32_t kBookletNoDivide = 1;

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

int CreateJobAttributeRecord(JobTicket** ticket)
{
    if (!ticket)
        return -1;
    JobTicket* fresh = CreateJobTicket(kJobAttributePageBlock, kJobAttributePageBlock);
    if (!fresh)
        return -1;
    FreeJobTicket(*ticket);
    *ticket = fresh;
    return 0;
}

void FreeJobAttributeRecord(JobTicket** ticket)
{
    if (!ticket)
        return;
    FreeJobTicket(*ticket);
    *ticket = nullptr;
}

uint32_t JobAttributeDuplex(bool booklet, uint32_t geometryDuplex)
{
    return booklet || geometryDuplex == 1 ? 2 : geometryDuplex == 2 ? 1 : 0;
}

int BuildJobAttributeRecord(JobTicket* ticket, const JobAttributeInput& in)
{
    if (!ticket)
        return -1;
    char version[16];
    std::snprintf(version, sizeof version, "%u.%u.%u", (in.streamVersion >> 16) & 0xFF,
                  (in.streamVersion >> 8) & 0xFF, in.streamVersion & 0xFF);
    SetJobTicketPdl(ticket, kTicketPdlMorva, version);

    uint32_t jobClass = kTicketJobPrint;
    if (in.formRegistration)
        jobClass = kTicketJobFormRegistration;
    else if ((in.driverKind == 2 && in.faxMode != 1) || in.jobType == 4)
        jobClass = kJobClassFax;
    SetJobTicketJobType(ticket, jobClass);

    uint32_t outputClass;
    if (in.driverKind == 2 && in.printerSideValues)
        outputClass = kOutputClassPrinterSide;
    else
        outputClass = in.jobType == 1 ? 1 : in.jobType == 2 ? 2 : in.jobType == 3 ? 5 : 0;
    int result = SetJobTicketValue(ticket, kTicketStoredJobType, outputClass);

    uint32_t jobCopies = 1;
    uint32_t pageCopies = 1;
    if (!in.collateByReplay) {
        if (in.collate || in.jobType == 2)
            jobCopies = in.copies;
        else
            pageCopies = in.copies;
    }
    result &= SetJobTicketValue(ticket, kTicketJobCopies, jobCopies);
    result &= SetJobTicketValue(ticket, kTicketPageCopies, pageCopies);
    result &= SetJobTicketValue(ticket, kTicketDuplexType, JobAttributeDuplex(in.booklet, in.geometryDuplex));
    result &= SetJobTicketValue(ticket, kTicketNup, in.pagesPerSide);
    const uint32_t tiles = in.poster ? Saturate(static_cast<uint64_t>(in.posterColumns) * in.posterRows) : 1;
    result &= SetJobTicketValue(ticket, kTicketPoster, tiles);

    uint32_t bookletKind = kBookletNone;
    uint32_t bookletValue = 1;
    if (in.booklet) {
        if (in.bookletBinding == 1 || in.bookletBinding == 2) {
            bookletKind = in.bookletBinding == 2 ? kTicketBookletManualDivide : kTicketBookletAutoDivide;
            bookletValue = in.bindingValue;
        } else {
            bookletKind = kBookletNoDivide;
        }
    }
    result &= SetJobTicketPair(ticket, kTicketBookletType, bookletKind, bookletValue);
    result &= SetJobTicketValue(ticket, kTicketPageOrder, in.reverseOrder ? 1 : 0);
    result &= SetJobTicketValue(ticket, kTicketSlipSheet,
                                in.specialOutputMode == 1 || in.specialOutputMode == 2 ? in.specialOutputMode : 0);
    result &= SetJobTicketValue(ticket, kTicketTonerSave, in.flag1320);
    result &= SetJobTicketValue(ticket, kTicketEstimatedSheets, in.sheetCount);

    const uint64_t copies = in.copies;
    uint32_t total;
    if (in.booklet)
        total = Saturate(copies * ((static_cast<uint64_t>(in.pages) + 3) / 4));
    else if (in.poster)
        total = Saturate(static_cast<uint64_t>(in.pages) * copies * tiles);
    else
        total = Saturate(static_cast<uint64_t>(in.pages) * copies);
    result &= SetJobTicketValue(ticket, kTicketLogicalPages, total);
    SetJobTicketItemOn(ticket, kTicketPageInfo, true);
    return result ? 0 : -1;
}

int ApplyJobAttributesFromPage(JobTicket* ticket, const JobAttributePageInput& in, bool formRegistration)
{
    if (!ticket || !ticket->pages)
        return -1;
    // A form registration job ends its ticket once: pages after that are not its own.
    if (formRegistration && ticket->itemOn[kTicketJobType])
        return 0;
    JobTicketPageRecord page = {};
    FormatCustomSizeText(in.width, in.height, in.customMark, page.paperSize);
    page.mode = in.colourState;
    page.colors = in.accountFlag && in.colourState == 1 ? in.accountCode : 0;
    page.inputTray = MapPaperSourceAttribute(in.paperSource);
    page.duplexType = in.duplex;
    if (in.booklet)
        page.orientation = 2;
    else if (in.pageOptions)
        page.orientation = in.sheetSide == 2 ? 1 : in.sheetSide == 3 ? 2 : 0;
    else
        page.orientation = in.orientation == 1 ? 2 : in.orientation == 2 ? 1 : 0;
    page.position = GetJobTicketPageCount(ticket->pages) + 1;
    return AppendJobTicketPage(ticket->pages, page) ? 0 : -1;
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

int PatchBktpAttribute(const SettingsContext* settings, uint16_t number, uint8_t* block, uint32_t size,
                       uint32_t index)
{
    if (number == 0)
        return 1;
    const uint8_t* header = nullptr;
    uint32_t length = 0;
    uint32_t offset = 0;
    // The slot's own length bounds the header, so the line is filled inside its slot.
    if (!block || !ReadJobHeaderSlot(block, size, index, &header, &length, &offset))
        return -1;
    uint8_t* writable = block + (header - block);
    const int result = FillBktpLine(writable, length, offset, IsPjlJobForm(settings), number);
    return result == 1 || result == 0 ? 1 : -1;
}
