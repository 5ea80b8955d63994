#include "common/job/job_ticket.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

namespace {

struct TicketDeleter {
    void operator()(JobTicket* ticket) const { FreeJobTicket(ticket); }
};
using TicketPtr = std::unique_ptr<JobTicket, TicketDeleter>;

const std::string kPrefix = "@PJL COMMENT ZQJOBINFO ";

std::string Lines(std::initializer_list<const char*> items, const char* end = "\n")
{
    std::string text;
    for (const char* item : items)
        text += kPrefix + item + end;
    return text;
}

// The whole ticket in one call into a large buffer.
std::string WriteAll(JobTicket* ticket, uint16_t* flags = nullptr)
{
    std::string out(100000, '\0');
    uint32_t more = 7;
    uint16_t f = 0;
    const int32_t n = WriteJobTicket(ticket, out.data(), static_cast<uint32_t>(out.size()), &more, &f);
    EXPECT_GE(n, 0);
    EXPECT_EQ(more, 0u);
    if (flags)
        *flags = f;
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}

// The ticket through a buffer of `capacity`, call after call until "more" is 0.
std::string WriteInPieces(JobTicket* ticket, uint32_t capacity, int* calls)
{
    std::string out;
    std::string buffer(capacity, '\0');
    uint32_t more = 0;
    *calls = 0;
    do {
        uint16_t flags = 0;
        const int32_t n = WriteJobTicket(ticket, buffer.data(), capacity, &more, &flags);
        if (n < 0 || ++*calls > 10000)
            return "<failed>";
        out.append(buffer.data(), static_cast<size_t>(n));
    } while (more);
    return out;
}

JobTicketPageRecord Page(uint32_t mode, const char* size, uint32_t colors = 4)
{
    JobTicketPageRecord page = {};
    page.mode = mode;
    page.colors = colors;
    page.inputTray = 2;
    page.duplexType = 1;
    page.orientation = 1;
    page.position = 1;
    std::memcpy(page.paperSize, size, std::min(std::strlen(size), sizeof page.paperSize));
    return page;
}

TicketPtr FullTicket(int pages)
{
    TicketPtr ticket(CreateJobTicket(4, 2));
    SetJobTicketPdl(ticket.get(), kTicketPdlMorva, "2.0.24");
    SetJobTicketJobType(ticket.get(), kTicketJobPrint);
    SetJobTicketValue(ticket.get(), kTicketJobCopies, 2);
    SetJobTicketValue(ticket.get(), kTicketPageCopies, 1);
    SetJobTicketValue(ticket.get(), kTicketDuplexType, 2);
    SetJobTicketPair(ticket.get(), kTicketOutTray, kTicketOutBin, 3);
    SetJobTicketPair(ticket.get(), kTicketPunch, 3, 1);
    SetJobTicketValue(ticket.get(), kTicketLogicalPages, static_cast<uint32_t>(pages));
    SetJobTicketItemOn(ticket.get(), kTicketPageInfo, true);
    for (int i = 0; i < pages; ++i)
        AppendJobTicketPage(ticket->pages, Page(i % 3 == 2 ? kTicketPageEmpty : kTicketPageColor, "A4"));
    return ticket;
}

TEST(JobTicket, FreshTicketWritesFrameAndReportsMissingItems)
{
    TicketPtr ticket(CreateJobTicket(0, 16));
    ASSERT_TRUE(ticket);
    SetJobTicketPdl(ticket.get(), kTicketPdlMorva, "2.0.8");
    SetJobTicketJobType(ticket.get(), kTicketJobPrint);
    uint16_t flags = 0;
    EXPECT_EQ(WriteAll(ticket.get(), &flags),
              Lines({"VERSION=1.2.0", "BEGIN", "PDLTYPE=PDL[MORVA]:VERSION[2.0.8]", "JOBTYPE=PRINT", "END"}));
    EXPECT_EQ(flags, kTicketIncomplete);
}

TEST(JobTicket, CrLfLineEnds)
{
    TicketPtr ticket(CreateJobTicket(0, 16));
    SetJobTicketLineEnd(ticket.get(), 1);
    EXPECT_EQ(WriteAll(ticket.get()), Lines({"VERSION=1.2.0", "BEGIN", "END"}, "\r\n"));
}

TEST(JobTicket, PagesGiveThePageBlockAndPhysicalCount)
{
    TicketPtr ticket(CreateJobTicket(0, 1));
    SetJobTicketPdl(ticket.get(), kTicketPdlMorva, "2.0.24");
    SetJobTicketJobType(ticket.get(), kTicketJobPrint);
    SetJobTicketValue(ticket.get(), kTicketJobCopies, 1);
    SetJobTicketValue(ticket.get(), kTicketPageCopies, 1);
    SetJobTicketItemOn(ticket.get(), kTicketPageInfo, true);
    AppendJobTicketPage(ticket->pages, Page(kTicketPageColor, "A4", 4));
    AppendJobTicketPage(ticket->pages, Page(kTicketPageEmpty, "A4"));
    JobTicketPageRecord mono = Page(kTicketPageMonochrome, "LETTER");
    mono.orientation = 9;  // outside the table: the field goes, with its separator
    mono.position = 7;
    AppendJobTicketPage(ticket->pages, mono);
    uint16_t flags = 7;
    EXPECT_EQ(WriteAll(ticket.get(), &flags),
              Lines({"VERSION=1.2.0", "BEGIN", "PDLTYPE=PDL[MORVA]:VERSION[2.0.24]", "JOBTYPE=PRINT", "JOBCOPIES=1",
                     "PAGECOPIES=1", "PHYSICALPAGES=2", "PAGEINFOBEGIN",
                     "PAGEINFO=SIZE[A4]:MODE[COLOR]:COLORS[4]:INTRAY[2]:DUPLEX[DUPLEX]:ORIENTATION[PORTRAIT]:POS[1]",
                     "PAGEINFO=SIZE[A4]:MODE[EMPTY]:INTRAY[2]:DUPLEX[DUPLEX]:ORIENTATION[PORTRAIT]:POS[1]",
                     "PAGEINFO=SIZE[LETTER]:MODE[MONOCHROME]:INTRAY[2]:DUPLEX[DUPLEX]:POS[7]", "PAGEINFOEND",
                     "END"}));
    EXPECT_EQ(flags, 0);
}

TEST(JobTicket, PageWithoutSizeMarksTheTicketIncomplete)
{
    TicketPtr ticket = FullTicket(0);
    SetJobTicketPageFieldOn(ticket.get(), kPageFieldInTray, false);
    SetJobTicketPageFieldOn(ticket.get(), kPageFieldPos, false);
    AppendJobTicketPage(ticket->pages, Page(kTicketPageMonochrome, ""));
    uint16_t flags = 0;
    const std::string text = WriteAll(ticket.get(), &flags);
    EXPECT_NE(text.find(kPrefix + "PAGEINFO=MODE[MONOCHROME]:DUPLEX[DUPLEX]:ORIENTATION[PORTRAIT]\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(flags, kTicketIncomplete);
}

TEST(JobTicket, FullSixteenCharacterSizeName)
{
    TicketPtr ticket = FullTicket(0);
    AppendJobTicketPage(ticket->pages, Page(kTicketPageMonochrome, "ABCDEFGHIJKLMNOPQ"));
    EXPECT_NE(WriteAll(ticket.get()).find("SIZE[ABCDEFGHIJKLMNOP]:"), std::string::npos);
}

// One row per item: the value(s) set and the line expected, or "" when the item
// is left out.
struct ItemCase {
    JobTicketItem item;
    uint32_t first;
    uint32_t second;
    bool pair;
    const char* line;
};

class JobTicketItems : public ::testing::TestWithParam<ItemCase> {};

TEST_P(JobTicketItems, LineOrLeftOut)
{
    const ItemCase& c = GetParam();
    TicketPtr ticket(CreateJobTicket(0, 16));
    SetJobTicketItemOn(ticket.get(), kTicketVersion, false);
    SetJobTicketItemOn(ticket.get(), kTicketBegin, false);
    SetJobTicketItemOn(ticket.get(), kTicketEnd, false);
    if (c.pair)
        ASSERT_EQ(SetJobTicketPair(ticket.get(), c.item, c.first, c.second), 1);
    else
        ASSERT_EQ(SetJobTicketValue(ticket.get(), c.item, c.first), 1);
    EXPECT_EQ(WriteAll(ticket.get()), *c.line ? kPrefix + c.line + "\n" : std::string());
}

INSTANTIATE_TEST_SUITE_P(
    Table, JobTicketItems,
    ::testing::Values(ItemCase{kTicketStoredJobType, 5, 0, false, "STOREDJOBTYPE=PERSONALBOX"},
                      ItemCase{kTicketStoredJobType, 6, 0, false, ""},
                      ItemCase{kTicketJobCopies, 0, 0, false, ""},
                      ItemCase{kTicketJobCopies, 999, 0, false, "JOBCOPIES=999"},
                      ItemCase{kTicketPageCopies, 1, 0, false, "PAGECOPIES=1"},
                      ItemCase{kTicketDuplexType, 2, 0, false, "DUPLEXTYPE=TUMBLE"},
                      ItemCase{kTicketDuplexType, 3, 0, false, ""},
                      ItemCase{kTicketNup, 4, 0, false, "NUP=4"},
                      ItemCase{kTicketNup, 0, 0, false, ""},
                      ItemCase{kTicketPoster, 0, 0, false, ""},
                      ItemCase{kTicketBookletType, 1, 0, true, "BOOKLETTYPE=TYPE[NONEDIVIDE]"},
                      ItemCase{kTicketBookletType, 2, 15, true, "BOOKLETTYPE=TYPE[AUTODIVIDE]:THRESHOLD[15]"},
                      ItemCase{kTicketBookletType, 3, 0, true, ""},
                      ItemCase{kTicketBookletType, 4, 0, true, ""},
                      ItemCase{kTicketOutTray, 1, 0, true, "OUTTRAY=SIDETRAY"},
                      ItemCase{kTicketOutTray, 2, 3, true, "OUTTRAY=OUTBIN3"},
                      ItemCase{kTicketOutTray, 2, 0, true, ""},
                      ItemCase{kTicketOutTray, 5, 0, true, ""},
                      ItemCase{kTicketPageOrder, 1, 0, false, "PAGEORDER=NTO1"},
                      ItemCase{kTicketStaple, 9, 0, false, "STAPLE=SADDLE"},
                      ItemCase{kTicketStaple, 10, 0, false, ""},
                      ItemCase{kTicketPunch, 0, 9, true, "PUNCH=HOLES[NOPUNCH]"},
                      ItemCase{kTicketPunch, 4, 3, true, "PUNCH=HOLES[FOUR]:POSITION[BOTTOM]"},
                      ItemCase{kTicketPunch, 2, 4, true, ""},
                      ItemCase{kTicketPunch, 5, 0, true, ""},
                      ItemCase{kTicketFold, 8, 0, false, "FOLD=TRICFOLDOUTSIDE"},
                      ItemCase{kTicketSlipSheet, 2, 0, false, "SLIPSHEET=COPY"},
                      ItemCase{kTicketTonerSave, 1, 0, false, "TONERSAVE=ON"},
                      ItemCase{kTicketTonerSave, 2, 0, false, ""},
                      ItemCase{kTicketLogicalPages, 4000000000u, 0, false, "LOGICALPAGES=4000000000"},
                      ItemCase{kTicketEstimatedSheets, 0, 0, false, "ESTIMATEDSHEETS=0"},
                      ItemCase{kTicketPassthrough, 5, 0, false, "PASSTHROUGH=ON"},
                      ItemCase{kTicketPassthrough, 0, 0, false, "PASSTHROUGH=OFF"}));

TEST(JobTicket, SettersRefuseItemsWithoutAValue)
{
    TicketPtr ticket(CreateJobTicket(0, 16));
    EXPECT_EQ(SetJobTicketValue(ticket.get(), kTicketBegin, 1), 0);
    EXPECT_EQ(SetJobTicketValue(ticket.get(), kTicketPdlType, 1), 0);
    EXPECT_EQ(SetJobTicketPair(ticket.get(), kTicketStaple, 1, 1), 0);
    EXPECT_EQ(SetJobTicketValue(nullptr, kTicketNup, 1), 0);
    EXPECT_EQ(ticket->itemOn[kTicketStaple], 0u);
}

TEST(JobTicket, PdlVersionKeepsSixtyThreeCharacters)
{
    TicketPtr ticket(CreateJobTicket(0, 16));
    const std::string longVersion(80, '9');
    SetJobTicketPdl(ticket.get(), 3, longVersion.c_str());
    EXPECT_EQ(std::strlen(ticket->pdlVersion), 63u);
    EXPECT_NE(WriteAll(ticket.get()).find("PDL[PCLXL]:VERSION[" + std::string(63, '9') + "]\n"), std::string::npos);
}

TEST(JobTicket, OtherJobTypesDoNotRequireCopies)
{
    TicketPtr ticket(CreateJobTicket(0, 16));
    SetJobTicketPdl(ticket.get(), kTicketPdlMorva, "2.0.24");
    SetJobTicketJobType(ticket.get(), kTicketJobFormRegistration);
    SetJobTicketItemOn(ticket.get(), kTicketPageInfo, true);
    uint16_t flags = 9;
    WriteAll(ticket.get(), &flags);
    EXPECT_EQ(flags, 0);
    SetJobTicketJobType(ticket.get(), kTicketJobPrint);
    ticket->nextItem = 0;  // a new job's first write
    WriteAll(ticket.get(), &flags);
    EXPECT_EQ(flags, kTicketIncomplete);
}

TEST(JobTicket, SmallCapacityAnswersAnErrorInsteadOfNoProgress)
{
    TicketPtr ticket = FullTicket(2);
    const std::string whole = WriteAll(ticket.get());
    const uint32_t firstLine = static_cast<uint32_t>(whole.find('\n') + 1);
    std::string buffer(firstLine, '\0');
    uint32_t more = 5;
    uint16_t flags = 0;
    EXPECT_EQ(WriteJobTicket(ticket.get(), buffer.data(), firstLine - 1, &more, &flags), kTicketLineTooLong);
    EXPECT_EQ(more, 0u);
    // The state is kept: a buffer that holds the line goes on from there.
    int calls = 0;
    EXPECT_EQ(WriteInPieces(ticket.get(), 4096, &calls), whole);
}

TEST(JobTicket, SameTextForEveryCapacityFromTheLongestLine)
{
    TicketPtr ticket = FullTicket(7);
    const std::string whole = WriteAll(ticket.get());
    size_t longest = 0;
    for (size_t start = 0; start < whole.size();) {
        const size_t end = whole.find('\n', start) + 1;
        longest = std::max(longest, end - start);
        start = end;
    }
    for (uint32_t capacity = static_cast<uint32_t>(longest); capacity <= whole.size() + 1; ++capacity) {
        int calls = 0;
        ASSERT_EQ(WriteInPieces(ticket.get(), capacity, &calls), whole) << "capacity " << capacity;
        EXPECT_EQ(calls == 1, capacity >= whole.size()) << "capacity " << capacity;
    }
    int calls = 0;
    EXPECT_EQ(WriteInPieces(ticket.get(), static_cast<uint32_t>(longest) - 1, &calls), "<failed>");
}

TEST(JobTicket, FinishedWriteStartsOverNextTime)
{
    TicketPtr ticket = FullTicket(3);
    const std::string first = WriteAll(ticket.get());
    EXPECT_EQ(WriteAll(ticket.get()), first);
    EXPECT_NE(first.find("PHYSICALPAGES=2\n"), std::string::npos);
    EXPECT_NE(first.find("OUTTRAY=OUTBIN3\n"), std::string::npos);
    EXPECT_NE(first.find("PUNCH=HOLES[THREE]:POSITION[LEFT]\n"), std::string::npos);
}

TEST(JobTicketPageList, ChunksOfSixteenHundredWithRemainder)
{
    JobTicketPageList* list = CreateJobTicketPageList(3300, 10);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->chunkCount, 3u);
    EXPECT_EQ(list->chunkCapacity[0], 1600u);
    EXPECT_EQ(list->chunkCapacity[2], 100u);
    EXPECT_EQ(GetJobTicketPageCount(list), 0u);
    for (uint32_t i = 1; i <= 3500; ++i) {
        JobTicketPageRecord page = {};
        page.position = i;
        ASSERT_EQ(AppendJobTicketPage(list, page), 1);
    }
    EXPECT_EQ(list->chunkCapacity[2], 300u);  // grew by the step of 10 from 100
    EXPECT_EQ(SeekJobTicketPage(list, 3501), 0);
    EXPECT_EQ(SeekJobTicketPage(list, 0), 0);
    for (uint32_t position : {1u, 1600u, 1601u, 3200u, 3201u, 3500u}) {
        ASSERT_EQ(SeekJobTicketPage(list, position), 1);
        JobTicketPageRecord copy = {};
        ASSERT_EQ(CopyCurrentJobTicketPage(list, &copy), 1);
        EXPECT_EQ(copy.position, position);
        EXPECT_EQ(list->chunk, (position - 1) / 1600);
    }
    FreeJobTicketPageList(list);
}

TEST(JobTicketPageList, EmptyListHasNoCurrentRecord)
{
    JobTicketPageList* list = CreateJobTicketPageList(0, 0);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(GetCurrentJobTicketPage(list), nullptr);
    EXPECT_EQ(SeekJobTicketPage(list, 1), 0);
    FreeJobTicketPageList(list);
    FreeJobTicketPageList(nullptr);
    FreeJobTicket(nullptr);
}

}  // namespace
