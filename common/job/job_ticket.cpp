#include "common/job/job_ticket.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {

constexpr char kLinePrefix[] = "@PJL COMMENT ZQJOBINFO ";
constexpr uint32_t kLinePrefixLength = sizeof kLinePrefix - 1;
static_assert(kLinePrefixLength == 23);
constexpr char kTicketVersionText[] = "1.2.0";

// Keyword tables: the index is the value.
struct Keywords {
    const char* const* words;
    uint32_t count;
};
template <size_t N>
constexpr Keywords Table(const char* const (&words)[N])
{
    return {words, static_cast<uint32_t>(N)};
}

constexpr const char* kPdlWords[] = {"UNKNOWN", "MORVA", "POSTSCRIPT", "PCLXL"};
constexpr const char* kJobTypeWords[] = {"PRINT", "SENDMERE", "INTERNETFAX", "FORMREGISTRATION"};
constexpr const char* kStoredJobWords[] = {"IMMEDIATE", "SECURITY", "PROOF", "DELAY", "QUICKCOPY", "PERSONALBOX"};
constexpr const char* kDuplexWords[] = {"SIMPLEX", "DUPLEX", "TUMBLE"};
constexpr const char* kBookletWords[] = {"NOBOOKLET", "NONEDIVIDE", "AUTODIVIDE", "MANUALDIVIDE"};
constexpr const char* kOutTrayWords[] = {"MAINTRAY", "SIDETRAY", "OUTBIN", "BOOKLETTRAY", "FOLDERTRAY"};
constexpr const char* kPageOrderWords[] = {"1TON", "NTO1"};
constexpr const char* kStapleWords[] = {"NOSTAPLE",   "TOPLEFT",     "TOPDUAL",    "TOPRIGHT",   "RIGHTDUAL",
                                        "BOTTOMRIGHT", "BOTTOMDUAL", "BOTTOMLEFT", "LEFTDUAL", "SADDLE"};
constexpr const char* kPunchHoleWords[] = {"NOPUNCH", "UNKNOWN", "TWO", "THREE", "FOUR"};
constexpr const char* kPunchPositionWords[] = {"TOP", "LEFT", "RIGHT", "BOTTOM"};
constexpr const char* kFoldWords[] = {"NOFOLD",         "BIFOLDINSIDE",    "BIFOLDOUTSIDE",
                                      "ZFOLDLEFT",      "ZFOLDRIGHT",      "TRIZFOLDINSIDE",
                                      "TRIZFOLDOUTSIDE", "TRICFOLDINSIDE", "TRICFOLDOUTSIDE"};
constexpr const char* kSlipSheetWords[] = {"NOSLIPSHEET", "EMPTY", "COPY"};
constexpr const char* kTonerSaveWords[] = {"OFF", "ON"};
constexpr const char* kPageModeWords[] = {"UNKNOWN", "COLOR", "MONOCHROME", "EMPTY"};
constexpr const char* kOrientationWords[] = {"UNKNOWN", "PORTRAIT", "LANDSCAPE", "REVPORTRAIT", "REVLANDSCAPE"};

const char* Keyword(Keywords table, uint32_t value)
{
    return value < table.count ? table.words[value] : nullptr;
}

// The job-wide number each item 5-22 prints; null for the others.
uint32_t JobTicket::* ValueOfItem(uint32_t item)
{
    switch (item) {
    case kTicketStoredJobType: return &JobTicket::storedJobType;
    case kTicketJobCopies: return &JobTicket::jobCopies;
    case kTicketPageCopies: return &JobTicket::pageCopies;
    case kTicketDuplexType: return &JobTicket::duplexType;
    case kTicketNup: return &JobTicket::nup;
    case kTicketPoster: return &JobTicket::poster;
    case kTicketBookletType: return &JobTicket::bookletType;
    case kTicketOutTray: return &JobTicket::outputTray;
    case kTicketPageOrder: return &JobTicket::pageOrder;
    case kTicketStaple: return &JobTicket::staple;
    case kTicketPunch: return &JobTicket::punchHoles;
    case kTicketFold: return &JobTicket::fold;
    case kTicketSlipSheet: return &JobTicket::slipSheet;
    case kTicketTonerSave: return &JobTicket::tonerSave;
    case kTicketPhysicalPages: return &JobTicket::physicalPages;
    case kTicketLogicalPages: return &JobTicket::logicalPages;
    case kTicketEstimatedSheets: return &JobTicket::estimatedSheets;
    case kTicketPassthrough: return &JobTicket::passthrough;
    default: return nullptr;
    }
}

// Room for the longest line: a page line with every field at its widest.
constexpr size_t kLineRoom = 256;

// Appends to text[*length]; false when it would not fit (the line is then too
// long to be a ticket line and is left out).
bool Append(char* text, size_t* length, const char* format, ...) __attribute__((format(printf, 3, 4)));
bool Append(char* text, size_t* length, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int n = vsnprintf(text + *length, kLineRoom - *length, format, args);
    va_end(args);
    if (n < 0 || static_cast<size_t>(n) >= kLineRoom - *length)
        return false;
    *length += static_cast<size_t>(n);
    return true;
}

// A page line: the fields whose switch is on and whose value is in its table.
size_t PageText(JobTicket* ticket, const JobTicketPageRecord& page, char* text)
{
    size_t length = 0;
    Append(text, &length, "PAGEINFO=");
    bool first = true;
    bool hasSize = false;
    auto field = [&](const char* format, auto value) {
        if (!first)
            Append(text, &length, ":");
        Append(text, &length, format, value);
        first = false;
    };
    const uint32_t* on = ticket->pageFieldOn;
    char size[sizeof page.paperSize + 1] = {};
    std::memcpy(size, page.paperSize, sizeof page.paperSize);
    if (on[kPageFieldSize] && size[0] != '\0') {
        field("SIZE[%s]", size);
        hasSize = true;
    }
    const char* mode = Keyword(Table(kPageModeWords), page.mode);
    if (on[kPageFieldMode] && mode)
        field("MODE[%s]", mode);
    if (on[kPageFieldColors] && page.mode == kTicketPageColor && static_cast<int32_t>(page.colors) >= 0)
        field("COLORS[%d]", static_cast<int>(page.colors));
    if (on[kPageFieldInTray])
        field("INTRAY[%u]", static_cast<unsigned>(page.inputTray));
    const char* duplex = Keyword(Table(kDuplexWords), page.duplexType);
    if (on[kPageFieldDuplex] && duplex)
        field("DUPLEX[%s]", duplex);
    const char* orientation = Keyword(Table(kOrientationWords), page.orientation);
    if (on[kPageFieldOrientation] && orientation)
        field("ORIENTATION[%s]", orientation);
    if (on[kPageFieldPos])
        field("POS[%lu]", static_cast<unsigned long>(page.position));
    if (!hasSize)
        ticket->flags |= kTicketIncomplete;
    return length;
}

// Item text into `text`; 0 leaves the item out.
size_t ItemText(JobTicket* ticket, uint32_t item, char* text)
{
    size_t length = 0;
    const JobTicket& t = *ticket;
    bool ok = true;
    auto keyword = [&](const char* format, Keywords table, uint32_t value) {
        const char* word = Keyword(table, value);
        ok = word != nullptr && Append(text, &length, format, word);
    };
    auto positive = [&](const char* format, uint32_t value) {
        ok = static_cast<int32_t>(value) >= 1 && Append(text, &length, format, static_cast<int>(value));
    };
    switch (item) {
    case kTicketVersion: ok = Append(text, &length, "VERSION=%s", kTicketVersionText); break;
    case kTicketBegin: ok = Append(text, &length, "BEGIN"); break;
    case kTicketPdlType: {
        const char* pdl = Keyword(Table(kPdlWords), t.pdlType);
        ok = pdl && Append(text, &length, "PDLTYPE=PDL[%s]:VERSION[%.63s]", pdl, t.pdlVersion);
        break;
    }
    case kTicketJobType: keyword("JOBTYPE=%s", Table(kJobTypeWords), t.jobType); break;
    case kTicketStoredJobType: keyword("STOREDJOBTYPE=%s", Table(kStoredJobWords), t.storedJobType); break;
    case kTicketJobCopies: positive("JOBCOPIES=%d", t.jobCopies); break;
    case kTicketPageCopies: positive("PAGECOPIES=%d", t.pageCopies); break;
    case kTicketDuplexType: keyword("DUPLEXTYPE=%s", Table(kDuplexWords), t.duplexType); break;
    case kTicketNup: positive("NUP=%d", t.nup); break;
    case kTicketPoster: positive("POSTER=%d", t.poster); break;
    case kTicketBookletType: {
        const char* type = Keyword(Table(kBookletWords), t.bookletType);
        if (t.bookletType == kTicketBookletAutoDivide || t.bookletType == kTicketBookletManualDivide)
            ok = static_cast<int32_t>(t.bookletThreshold) >= 1 &&
                 Append(text, &length, "BOOKLETTYPE=TYPE[%s]:THRESHOLD[%d]", type,
                        static_cast<int>(t.bookletThreshold));
        else
            ok = type && Append(text, &length, "BOOKLETTYPE=TYPE[%s]", type);
        break;
    }
    case kTicketOutTray: {
        const char* tray = Keyword(Table(kOutTrayWords), t.outputTray);
        if (t.outputTray == kTicketOutBin)
            ok = static_cast<int32_t>(t.outputBinNumber) >= 1 &&
                 Append(text, &length, "OUTTRAY=%s%d", tray, static_cast<int>(t.outputBinNumber));
        else
            ok = tray && Append(text, &length, "OUTTRAY=%s", tray);
        break;
    }
    case kTicketPageOrder: keyword("PAGEORDER=%s", Table(kPageOrderWords), t.pageOrder); break;
    case kTicketStaple: keyword("STAPLE=%s", Table(kStapleWords), t.staple); break;
    case kTicketPunch: {
        const char* holes = Keyword(Table(kPunchHoleWords), t.punchHoles);
        const char* position = Keyword(Table(kPunchPositionWords), t.punchPosition);
        if (t.punchHoles == kTicketNoPunch)
            ok = Append(text, &length, "PUNCH=HOLES[%s]", holes);
        else
            ok = holes && position && Append(text, &length, "PUNCH=HOLES[%s]:POSITION[%s]", holes, position);
        break;
    }
    case kTicketFold: keyword("FOLD=%s", Table(kFoldWords), t.fold); break;
    case kTicketSlipSheet: keyword("SLIPSHEET=%s", Table(kSlipSheetWords), t.slipSheet); break;
    case kTicketTonerSave: keyword("TONERSAVE=%s", Table(kTonerSaveWords), t.tonerSave); break;
    case kTicketPhysicalPages:
        ok = Append(text, &length, "PHYSICALPAGES=%lu", static_cast<unsigned long>(t.physicalPages));
        break;
    case kTicketLogicalPages:
        ok = Append(text, &length, "LOGICALPAGES=%lu", static_cast<unsigned long>(t.logicalPages));
        break;
    case kTicketEstimatedSheets:
        ok = Append(text, &length, "ESTIMATEDSHEETS=%lu", static_cast<unsigned long>(t.estimatedSheets));
        break;
    case kTicketPassthrough: ok = Append(text, &length, "PASSTHROUGH=%s", t.passthrough ? "ON" : "OFF"); break;
    case kTicketPageInfoBegin: ok = Append(text, &length, "PAGEINFOBEGIN"); break;
    case kTicketPageInfoEnd: ok = Append(text, &length, "PAGEINFOEND"); break;
    case kTicketEnd: ok = Append(text, &length, "END"); break;
    default: ok = false; break;
    }
    return ok ? length : 0;
}

// The whole line (prefix, text, line end) into `line`; 0 when the item is out.
size_t BuildLine(JobTicket* ticket, uint32_t item, char* line)
{
    char text[kLineRoom];
    size_t length = 0;
    if (item == kTicketPageInfo) {
        JobTicketPageRecord page = {};
        if (!SeekJobTicketPage(ticket->pages, ticket->nextPage) || !CopyCurrentJobTicketPage(ticket->pages, &page))
            return 0;
        length = PageText(ticket, page, text);
    } else {
        length = ItemText(ticket, item, text);
    }
    if (length == 0)
        return 0;
    std::memcpy(line, kLinePrefix, kLinePrefixLength);
    std::memcpy(line + kLinePrefixLength, text, length);
    std::memcpy(line + kLinePrefixLength + length, ticket->lineEnd, ticket->lineEndLength);
    return kLinePrefixLength + length + ticket->lineEndLength;
}

// What the first write call settles: the required items, the page count, the
// physical pages and the switches of the page block.
void StartWrite(JobTicket* ticket)
{
    static constexpr uint32_t kPrintRequired[] = {kTicketPdlType, kTicketJobType, kTicketJobCopies,
                                                  kTicketPageCopies, kTicketPageInfo};
    static constexpr uint32_t kOtherRequired[] = {kTicketPdlType, kTicketJobType, kTicketPageInfo};
    ticket->flags = 0;
    const bool print = ticket->jobType == kTicketJobPrint;
    const uint32_t* required = print ? kPrintRequired : kOtherRequired;
    const size_t requiredCount = print ? std::size(kPrintRequired) : std::size(kOtherRequired);
    for (size_t i = 0; i < requiredCount; ++i)
        if (!ticket->itemOn[required[i]])
            ticket->flags |= kTicketIncomplete;
    if (!ticket->pageFieldOn[kPageFieldSize])
        ticket->flags |= kTicketIncomplete;

    ticket->pageCount = GetJobTicketPageCount(ticket->pages);
    uint32_t physical = 0;
    for (uint32_t n = 1; n <= ticket->pageCount; ++n) {
        JobTicketPageRecord page = {};
        if (SeekJobTicketPage(ticket->pages, n) && CopyCurrentJobTicketPage(ticket->pages, &page) &&
            page.mode != kTicketPageEmpty)
            ++physical;
    }
    ticket->physicalPages = physical;
    if (ticket->pageCount > 0) {
        ticket->itemOn[kTicketPhysicalPages] = 1;
        ticket->itemOn[kTicketPageInfoBegin] = 1;
        ticket->itemOn[kTicketPageInfoEnd] = 1;
    }
    ticket->nextItem = 1;
    ticket->nextPage = 1;
}

}  // namespace

JobTicket* CreateJobTicket(uint32_t initialPages, uint32_t growth)
{
    JobTicket* ticket = static_cast<JobTicket*>(calloc(1, sizeof(JobTicket)));
    if (ticket == nullptr)
        return nullptr;
    ticket->pages = CreateJobTicketPageList(initialPages, growth);
    if (ticket->pages == nullptr) {
        free(ticket);
        return nullptr;
    }
    ticket->lineEnd[0] = '\n';
    ticket->lineEndLength = 1;
    ticket->itemOn[kTicketVersion] = 1;
    ticket->itemOn[kTicketBegin] = 1;
    ticket->itemOn[kTicketEnd] = 1;
    for (uint32_t& on : ticket->pageFieldOn)
        on = 1;
    return ticket;
}

void FreeJobTicket(JobTicket* ticket)
{
    if (ticket == nullptr)
        return;
    FreeJobTicketPageList(ticket->pages);
    free(ticket);
}

void SetJobTicketPdl(JobTicket* ticket, uint32_t pdlType, const char* version)
{
    if (ticket == nullptr)
        return;
    ticket->pdlType = pdlType;
    std::memset(ticket->pdlVersion, 0, sizeof ticket->pdlVersion);
    if (version != nullptr)
        strncpy(ticket->pdlVersion, version, sizeof ticket->pdlVersion - 1);
    ticket->itemOn[kTicketPdlType] = 1;
}

void SetJobTicketJobType(JobTicket* ticket, uint32_t jobType)
{
    if (ticket == nullptr)
        return;
    ticket->jobType = jobType;
    ticket->itemOn[kTicketJobType] = 1;
}

int SetJobTicketValue(JobTicket* ticket, JobTicketItem item, uint32_t value)
{
    uint32_t JobTicket::* field = ValueOfItem(item);
    if (ticket == nullptr || field == nullptr)
        return 0;
    ticket->*field = value;
    ticket->itemOn[item] = 1;
    return 1;
}

int SetJobTicketPair(JobTicket* ticket, JobTicketItem item, uint32_t first, uint32_t second)
{
    uint32_t JobTicket::* other = nullptr;
    switch (item) {
    case kTicketBookletType: other = &JobTicket::bookletThreshold; break;
    case kTicketOutTray: other = &JobTicket::outputBinNumber; break;
    case kTicketPunch: other = &JobTicket::punchPosition; break;
    default: return 0;
    }
    if (!SetJobTicketValue(ticket, item, first))
        return 0;
    ticket->*other = second;
    return 1;
}

void SetJobTicketItemOn(JobTicket* ticket, JobTicketItem item, bool on)
{
    if (ticket != nullptr && item >= 1 && item <= kTicketItemCount)
        ticket->itemOn[item] = on ? 1 : 0;
}

void SetJobTicketPageFieldOn(JobTicket* ticket, JobTicketPageField field, bool on)
{
    if (ticket != nullptr && field < kPageFieldCount)
        ticket->pageFieldOn[field] = on ? 1 : 0;
}

void SetJobTicketLineEnd(JobTicket* ticket, int crlf)
{
    if (ticket == nullptr)
        return;
    if (crlf) {
        ticket->lineEnd[0] = '\r';
        ticket->lineEnd[1] = '\n';
        ticket->lineEndLength = 2;
    } else {
        ticket->lineEnd[0] = '\n';
        ticket->lineEnd[1] = '\0';
        ticket->lineEndLength = 1;
    }
}

int32_t WriteJobTicket(JobTicket* ticket, char* output, uint32_t capacity, uint32_t* more, uint16_t* flags)
{
    if (more != nullptr)
        *more = 0;
    if (ticket == nullptr || (output == nullptr && capacity > 0))
        return kTicketLineTooLong;
    if (ticket->nextItem == 0)
        StartWrite(ticket);

    uint32_t written = 0;
    char line[kLinePrefixLength + kLineRoom + 2];
    for (; ticket->nextItem <= kTicketItemCount; ++ticket->nextItem) {
        const uint32_t item = ticket->nextItem;
        if (!ticket->itemOn[item])
            continue;
        const bool pageItem = item == kTicketPageInfo;
        if (pageItem && ticket->nextPage > ticket->pageCount)
            continue;
        do {
            const size_t length = BuildLine(ticket, item, line);
            if (length > capacity - written) {
                if (flags != nullptr)
                    *flags = ticket->flags;
                // Nothing of it fits even an empty buffer: asking again with
                // the same capacity could never make progress.
                if (written == 0)
                    return kTicketLineTooLong;
                if (more != nullptr)
                    *more = 1;
                return static_cast<int32_t>(written);
            }
            std::memcpy(output + written, line, length);
            written += static_cast<uint32_t>(length);
        } while (pageItem && ++ticket->nextPage <= ticket->pageCount);
    }
    ticket->nextItem = 1;
    ticket->nextPage = 1;
    if (flags != nullptr)
        *flags = ticket->flags;
    return static_cast<int32_t>(written);
}
