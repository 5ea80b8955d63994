// The job attributes in the job ticket: job-wide values and page records read
// back as the ticket's lines, the paper-source map, the custom size text and
// the "@BKTP=" patch of a job header block.
#include "render/attributes/job_attributes.h"

#include "common/job/job_header_block.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct TicketHolder {
    JobTicket* ticket = nullptr;
    TicketHolder() { EXPECT_EQ(CreateJobAttributeRecord(&ticket), 0); }
    ~TicketHolder() { FreeJobAttributeRecord(&ticket); }
};

// The ticket's lines without their common prefix, joined by "|".
std::string TicketLines(JobTicket* ticket)
{
    std::vector<char> out(1 << 16);
    uint32_t more = 0;
    uint16_t flags = 0;
    const int32_t n = WriteJobTicket(ticket, out.data(), static_cast<uint32_t>(out.size()), &more, &flags);
    EXPECT_EQ(more, 0u);
    std::string text(out.data(), n > 0 ? static_cast<size_t>(n) : 0);
    std::string lines;
    const std::string prefix = "@PJL COMMENT ZQJOBINFO ";
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find('\n', at);
        std::string line = text.substr(at, end - at);
        if (line.rfind(prefix, 0) == 0)
            line = line.substr(prefix.size());
        lines += (lines.empty() ? "" : "|") + line;
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

TEST(JobAttributes, PaperSources)
{
    const std::pair<int32_t, uint32_t> rows[] = {
        {7, 0},    {1, 1},    {272, 1},  {3, 2},    {271, 2},    {2, 3},      {261, 3},   {257, 4},
        {262, 4},  {4, 5},    {260, 5},  {265, 201}, {266, 202}, {267, 203}, {9, 0x8000}, {0, 0x8000},
        {268, 0x8000}, {-1, 0x8000},
    };
    for (auto [source, attribute] : rows)
        EXPECT_EQ(MapPaperSourceAttribute(source), attribute) << source;
}

TEST(JobAttributes, CustomSizeText)
{
    struct Case {
        int32_t width, height;
        bool mark;
        const char* text;
    };
    const Case cases[] = {
        {2100, 2970, false, "210.0X297.0"},
        {2970, 2100, false, "210.0X297.0"},  // the smaller first
        {2100, 2970, true, "*210.0X297.0"},
        {1005, 999, false, "99.9X100.5"},
        {-5, 40, false, "-0.5X4.0"},
        {-32768, 32767, true, "*-3276.8X3276.7"},
        // Sizes no frame holds are cut inside the 16 bytes.
        {INT32_MIN, INT32_MAX, true, "*-214748364.8X2"},
    };
    for (const Case& c : cases) {
        char out[24];
        std::memset(out, 0x7E, sizeof out);
        FormatCustomSizeText(c.width, c.height, c.mark, out);
        EXPECT_STREQ(out, c.text);
        EXPECT_EQ(out[16], 0x7E) << "nothing written past the 16 bytes";
    }
}

TEST(JobAttributes, TicketOfAJob)
{
    TicketHolder h;
    JobAttributePageInput page = {2100, 2970, false, 1, true, 77, 262, false, false, 0, 1, 1};
    ASSERT_EQ(ApplyJobAttributesFromPage(h.ticket, page, false), 0);
    page = {2970, 4200, true, 2, true, 77, 9, false, false, 0, 2, 1};
    ASSERT_EQ(ApplyJobAttributesFromPage(h.ticket, page, false), 0);
    JobAttributeInput in = {};
    in.streamVersion = 0x01020018;
    in.copies = 3;
    in.collate = true;
    in.pages = 2;
    in.pagesPerSide = 1;
    in.geometryDuplex = 2;
    in.sheetCount = 2;
    ASSERT_EQ(BuildJobAttributeRecord(h.ticket, in), 0);
    EXPECT_EQ(TicketLines(h.ticket),
              "VERSION=1.2.0|BEGIN|PDLTYPE=PDL[MORVA]:VERSION[2.0.24]|JOBTYPE=PRINT|STOREDJOBTYPE=IMMEDIATE|"
              "JOBCOPIES=3|PAGECOPIES=1|DUPLEXTYPE=DUPLEX|NUP=1|POSTER=1|BOOKLETTYPE=TYPE[NOBOOKLET]|"
              "PAGEORDER=1TON|SLIPSHEET=NOSLIPSHEET|TONERSAVE=OFF|PHYSICALPAGES=2|LOGICALPAGES=6|"
              "ESTIMATEDSHEETS=2|PAGEINFOBEGIN|"
              "PAGEINFO=SIZE[210.0X297.0]:MODE[COLOR]:COLORS[77]:INTRAY[4]:DUPLEX[DUPLEX]:ORIENTATION[LANDSCAPE]:POS[1]|"
              "PAGEINFO=SIZE[*297.0X420.0]:MODE[MONOCHROME]:INTRAY[32768]:DUPLEX[DUPLEX]:ORIENTATION[PORTRAIT]:POS[2]|"
              "PAGEINFOEND|END");
}

TEST(JobAttributes, PagesGrowPastTheFirstBlock)
{
    TicketHolder h;
    JobAttributePageInput page = {2100, 2970, false, 1, false, 0, 7, false, false, 0, 1, 0};
    for (uint32_t i = 0; i < 250; ++i) {
        page.paperSource = static_cast<int32_t>(i % 2 ? 3 : 7);
        ASSERT_EQ(ApplyJobAttributesFromPage(h.ticket, page, false), 0);
    }
    ASSERT_EQ(GetJobTicketPageCount(h.ticket->pages), 250u);
    ASSERT_EQ(SeekJobTicketPage(h.ticket->pages, 250), 1);
    const JobTicketPageRecord* last = GetCurrentJobTicketPage(h.ticket->pages);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->inputTray, 2u);
    EXPECT_EQ(last->position, 250u);

    // Creating again starts afresh.
    ASSERT_EQ(CreateJobAttributeRecord(&h.ticket), 0);
    EXPECT_EQ(GetJobTicketPageCount(h.ticket->pages), 0u);
}

TEST(JobAttributes, PageRecordValues)
{
    struct Case {
        uint32_t colourState;
        bool accountFlag, booklet, pageOptions;
        uint32_t sheetSide, orientation;
        uint32_t colours, orientationValue;
    };
    const Case cases[] = {
        {1, true, false, false, 0, 1, 42, 2}, {2, true, false, false, 0, 2, 0, 1},
        {1, false, false, false, 0, 3, 0, 0}, {1, true, true, false, 0, 1, 42, 2},
        {1, true, false, true, 2, 2, 42, 1},  {1, true, false, true, 3, 1, 42, 2},
        {3, true, false, true, 4, 1, 0, 0},
    };
    for (const Case& c : cases) {
        TicketHolder h;
        const JobAttributePageInput in = {100, 100, false, c.colourState, c.accountFlag, 42, 1,
                                          c.booklet, c.pageOptions, c.sheetSide, c.orientation, 2};
        ASSERT_EQ(ApplyJobAttributesFromPage(h.ticket, in, false), 0);
        ASSERT_EQ(SeekJobTicketPage(h.ticket->pages, 1), 1);
        const JobTicketPageRecord* p = GetCurrentJobTicketPage(h.ticket->pages);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->mode, c.colourState);
        EXPECT_EQ(p->colors, c.colours);
        EXPECT_EQ(p->orientation, c.orientationValue);
        EXPECT_EQ(p->duplexType, 2u);
        EXPECT_STREQ(p->paperSize, "10.0X10.0");
    }
}

TEST(JobAttributes, JobWideValues)
{
    JobAttributeInput in = {};
    in.streamVersion = 0x01020018;
    in.copies = 3;
    in.pages = 10;
    in.pagesPerSide = 4;
    in.sheetCount = 3;

    struct Case {
        const char* what;
        void (*change)(JobAttributeInput&);
        uint32_t jobType, storedJobType, jobCopies, pageCopies, duplex, bookletType, bookletThreshold, logical;
    };
    const Case cases[] = {
        {"plain", [](JobAttributeInput&) {}, 0, 0, 1, 3, 0, 0, 1, 30},
        {"form registration", [](JobAttributeInput& i) { i.formRegistration = true; }, 3, 0, 1, 3, 0, 0, 1, 30},
        {"fax", [](JobAttributeInput& i) { i.driverKind = 2; }, 1, 0, 1, 3, 0, 0, 1, 30},
        {"fax mode 1", [](JobAttributeInput& i) { i.driverKind = 2; i.faxMode = 1; i.printerSideValues = true; },
         0, 3, 1, 3, 0, 0, 1, 30},
        {"job type 2", [](JobAttributeInput& i) { i.jobType = 2; }, 0, 2, 3, 1, 0, 0, 1, 30},
        {"job type 3", [](JobAttributeInput& i) { i.jobType = 3; }, 0, 5, 1, 3, 0, 0, 1, 30},
        {"job type 4", [](JobAttributeInput& i) { i.jobType = 4; }, 1, 0, 1, 3, 0, 0, 1, 30},
        {"collated", [](JobAttributeInput& i) { i.collate = true; }, 0, 0, 3, 1, 0, 0, 1, 30},
        {"replayed", [](JobAttributeInput& i) { i.collateByReplay = true; i.collate = true; }, 0, 0, 1, 1, 0, 0, 1, 30},
        {"short edge", [](JobAttributeInput& i) { i.geometryDuplex = 1; }, 0, 0, 1, 3, 2, 0, 1, 30},
        {"long edge", [](JobAttributeInput& i) { i.geometryDuplex = 2; }, 0, 0, 1, 3, 1, 0, 1, 30},
        {"booklet", [](JobAttributeInput& i) { i.booklet = true; }, 0, 0, 1, 3, 2, 1, 1, 9},
        {"booklet 1", [](JobAttributeInput& i) { i.booklet = true; i.bookletBinding = 1; i.bindingValue = 5; },
         0, 0, 1, 3, 2, 2, 5, 9},
        {"booklet 2", [](JobAttributeInput& i) { i.booklet = true; i.bookletBinding = 2; i.bindingValue = 6; },
         0, 0, 1, 3, 2, 3, 6, 9},
        {"poster", [](JobAttributeInput& i) { i.poster = true; i.posterColumns = 3; i.posterRows = 2; },
         0, 0, 1, 3, 0, 0, 1, 180},
    };
    for (const Case& c : cases) {
        JobAttributeInput changed = in;
        c.change(changed);
        TicketHolder h;
        ASSERT_EQ(BuildJobAttributeRecord(h.ticket, changed), 0);
        const JobTicket& t = *h.ticket;
        EXPECT_STREQ(t.pdlVersion, "2.0.24") << c.what;
        EXPECT_EQ(t.jobType, c.jobType) << c.what;
        EXPECT_EQ(t.storedJobType, c.storedJobType) << c.what;
        EXPECT_EQ(t.jobCopies, c.jobCopies) << c.what;
        EXPECT_EQ(t.pageCopies, c.pageCopies) << c.what;
        EXPECT_EQ(t.duplexType, c.duplex) << c.what;
        EXPECT_EQ(t.bookletType, c.bookletType) << c.what;
        EXPECT_EQ(t.bookletThreshold, c.bookletThreshold) << c.what;
        EXPECT_EQ(t.logicalPages, c.logical) << c.what;
        EXPECT_EQ(t.nup, 4u) << c.what;
        EXPECT_EQ(t.estimatedSheets, 3u) << c.what;
        EXPECT_EQ(t.itemOn[kTicketPageInfo], 1u) << c.what;
    }
    EXPECT_EQ(BuildJobAttributeRecord(nullptr, in), -1);
}

TEST(JobAttributes, ClosedFormRegistrationAddsNoPages)
{
    TicketHolder h;
    const JobAttributePageInput page = {2100, 2970, false, 1, false, 0, 7, false, false, 0, 1, 0};
    ASSERT_EQ(ApplyJobAttributesFromPage(h.ticket, page, true), 0);
    JobAttributeInput in = {};
    in.formRegistration = true;
    ASSERT_EQ(BuildJobAttributeRecord(h.ticket, in), 0);
    EXPECT_EQ(ApplyJobAttributesFromPage(h.ticket, page, true), 0);
    EXPECT_EQ(GetJobTicketPageCount(h.ticket->pages), 1u);
    EXPECT_EQ(ApplyJobAttributesFromPage(h.ticket, page, false), 0);
    EXPECT_EQ(GetJobTicketPageCount(h.ticket->pages), 2u);
    EXPECT_EQ(ApplyJobAttributesFromPage(nullptr, page, false), -1);
}

// A block of one header slot whose header reserves the "@BKTP=" line.
std::vector<uint8_t> BlockWithReservedLine(uint32_t blanks, uint32_t stride)
{
    std::string header = "@PJL SET JOBATTR=\"@JOBNAME=x\"\n";
    const auto offset = static_cast<uint32_t>(header.size());
    header += std::string(blanks, ' ') + "\n@PJL ENTER LANGUAGE=MORVA\n";
    std::vector<uint8_t> block(GetJobHeaderBlockLength(1, stride));
    EXPECT_EQ(InitJobHeaderBlock(block.data(), static_cast<uint32_t>(block.size()), 1, stride), 1);
    EXPECT_EQ(StoreJobHeaderSlot(block.data(), static_cast<uint32_t>(block.size()), 0,
                                 reinterpret_cast<const uint8_t*>(header.data()), static_cast<uint32_t>(header.size()),
                                 offset),
              1);
    return block;
}

std::string HeaderText(const std::vector<uint8_t>& block)
{
    const uint8_t* header = nullptr;
    uint32_t length = 0, offset = 0;
    EXPECT_EQ(ReadJobHeaderSlot(block.data(), static_cast<uint32_t>(block.size()), 0, &header, &length, &offset), 1);
    return std::string(reinterpret_cast<const char*>(header), length);
}

TEST(BktpPatch, FillsTheReservedLineOfTheSlot)
{
    // Without a settings context the short form is written.
    std::vector<uint8_t> block = BlockWithReservedLine(20, 200);
    EXPECT_EQ(PatchBktpAttribute(nullptr, 12, block.data(), static_cast<uint32_t>(block.size()), 0), 1);
    EXPECT_EQ(HeaderText(block),
              "@PJL SET JOBATTR=\"@JOBNAME=x\"\n@BKTP=12" + std::string(12, ' ') + "\n@PJL ENTER LANGUAGE=MORVA\n");

    // Number 0: nothing to write.
    std::vector<uint8_t> untouched = BlockWithReservedLine(20, 200);
    const std::vector<uint8_t> before = untouched;
    EXPECT_EQ(PatchBktpAttribute(nullptr, 0, untouched.data(), static_cast<uint32_t>(untouched.size()), 0), 1);
    EXPECT_EQ(untouched, before);
}

TEST(BktpPatch, NeverWritesPastItsSlot)
{
    // A block whose stated header length runs past its slot is refused whole.
    std::vector<uint8_t> block = BlockWithReservedLine(20, 200);
    const std::vector<uint8_t> before = block;
    uint32_t length;
    std::memcpy(&length, block.data() + 16, 4);
    const uint32_t tooLong = 200;
    std::memcpy(block.data() + 16, &tooLong, 4);
    EXPECT_EQ(PatchBktpAttribute(nullptr, 12, block.data(), static_cast<uint32_t>(block.size()), 0), -1);
    std::memcpy(block.data() + 16, &length, 4);
    EXPECT_EQ(block, before);

    // A line with fewer blanks than the form reserves, a missing slot, a block cut short.
    std::vector<uint8_t> shortLine = BlockWithReservedLine(8, 200);
    const std::vector<uint8_t> shortBefore = shortLine;
    EXPECT_EQ(PatchBktpAttribute(nullptr, 12, shortLine.data(), static_cast<uint32_t>(shortLine.size()), 0), -1);
    EXPECT_EQ(shortLine, shortBefore);
    EXPECT_EQ(PatchBktpAttribute(nullptr, 12, block.data(), static_cast<uint32_t>(block.size()), 1), -1);
    EXPECT_EQ(PatchBktpAttribute(nullptr, 12, block.data(), 100, 0), -1);
    EXPECT_EQ(PatchBktpAttribute(nullptr, 12, nullptr, 0, 0), -1);
    EXPECT_EQ(block, before);
}

}  // namespace
