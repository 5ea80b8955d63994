// The job-attribute record: job-wide values, page entries in growing blocks,
// the paper-source map, the custom size text and the "@BKTP=" patch.
#include "render/attributes/job_attributes.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct RecordHolder {
    JobAttributeRecord* record = nullptr;
    RecordHolder() { EXPECT_EQ(CreateJobAttributeRecord(&record), 0); }
    ~RecordHolder() { FreeJobAttributeRecord(&record); }
};

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

TEST(JobAttributes, PagesGrowInBlocks)
{
    RecordHolder h;
    JobAttributePageInput page = {2100, 2970, false, 1, true, 77, 262, false, false, 0, 1};
    for (uint32_t i = 0; i < 250; ++i) {
        page.paperSource = static_cast<int32_t>(i % 2 ? 3 : 7);
        ASSERT_EQ(ApplyJobAttributesFromPage(h.record, page, false), 0);
    }
    EXPECT_EQ(h.record->pageCount, 250u);
    EXPECT_EQ(h.record->blockCount, 3u);
    const JobAttributePage* first = GetJobAttributePage(h.record, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->account, 77u);
    EXPECT_EQ(first->paperSource, 0u);
    EXPECT_EQ(first->orientation, 2u);
    EXPECT_STREQ(first->customSize, "210.0X297.0");
    EXPECT_EQ(GetJobAttributePage(h.record, 249)->paperSource, 2u);
    EXPECT_EQ(GetJobAttributePage(h.record, 250), nullptr);
    // Entries never move while the list grows.
    EXPECT_EQ(GetJobAttributePage(h.record, 0), first);

    // Creating again resets the record.
    ASSERT_EQ(CreateJobAttributeRecord(&h.record), 0);
    EXPECT_EQ(h.record->pageCount, 0u);
}

TEST(JobAttributes, PageEntryValues)
{
    struct Case {
        uint32_t colourState;
        bool accountFlag, booklet, pageOptions;
        uint32_t sheetSide, orientation;
        uint32_t account, orientationValue;
    };
    const Case cases[] = {
        {1, true, false, false, 0, 1, 42, 2}, {2, true, false, false, 0, 2, 0, 1},
        {1, false, false, false, 0, 3, 0, 0}, {1, true, true, false, 0, 1, 42, 2},
        {1, true, false, true, 2, 2, 42, 1},  {1, true, false, true, 3, 1, 42, 2},
        {3, true, false, true, 4, 1, 0, 0},
    };
    for (const Case& c : cases) {
        RecordHolder h;
        const JobAttributePageInput in = {100, 100, false, c.colourState, c.accountFlag, 42, 1,
                                          c.booklet, c.pageOptions, c.sheetSide, c.orientation};
        ASSERT_EQ(ApplyJobAttributesFromPage(h.record, in, false), 0);
        const JobAttributePage* p = GetJobAttributePage(h.record, 0);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->colourState, c.colourState);
        EXPECT_EQ(p->account, c.account);
        EXPECT_EQ(p->orientation, c.orientationValue);
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
    in.posterColumns = in.posterRows = 1;

    RecordHolder h;
    ASSERT_EQ(BuildJobAttributeRecord(h.record, in), 0);
    const JobAttributeValues& v = h.record->values;
    EXPECT_STREQ(v.streamVersion, "2.0.24");
    EXPECT_EQ(v.jobClass, 0u);
    EXPECT_EQ(v.outputClass, 0u);
    EXPECT_EQ(v.copiesFirst, 1u);
    EXPECT_EQ(v.copiesSecond, 3u);
    EXPECT_EQ(v.bookletKind, 0u);
    EXPECT_EQ(v.bookletValue, 1u);
    EXPECT_EQ(v.tileProduct, 1u);
    EXPECT_EQ(v.totalOutput, 30u);
    EXPECT_EQ(v.sheetValue, 4u);
    EXPECT_EQ(v.sheetCount, 3u);
    EXPECT_NE(v.set & kAttrTotalOutput, 0u);

    struct Case {
        const char* what;
        void (*change)(JobAttributeInput&);
        uint32_t jobClass, outputClass, copiesFirst, copiesSecond, duplex, bookletKind, bookletValue, total;
    };
    const Case cases[] = {
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
        RecordHolder r;
        ASSERT_EQ(BuildJobAttributeRecord(r.record, changed), 0);
        const JobAttributeValues& w = r.record->values;
        EXPECT_EQ(w.jobClass, c.jobClass) << c.what;
        EXPECT_EQ(w.outputClass, c.outputClass) << c.what;
        EXPECT_EQ(w.copiesFirst, c.copiesFirst) << c.what;
        EXPECT_EQ(w.copiesSecond, c.copiesSecond) << c.what;
        EXPECT_EQ(w.duplex, c.duplex) << c.what;
        EXPECT_EQ(w.bookletKind, c.bookletKind) << c.what;
        EXPECT_EQ(w.bookletValue, c.bookletValue) << c.what;
        EXPECT_EQ(w.totalOutput, c.total) << c.what;
    }
    EXPECT_EQ(BuildJobAttributeRecord(nullptr, in), -1);
}

TEST(JobAttributes, ClosedFormRegistrationAddsNoPages)
{
    RecordHolder h;
    const JobAttributePageInput page = {2100, 2970, false, 1, false, 0, 7, false, false, 0, 1};
    ASSERT_EQ(ApplyJobAttributesFromPage(h.record, page, true), 0);
    JobAttributeInput in = {};
    in.formRegistration = true;
    ASSERT_EQ(BuildJobAttributeRecord(h.record, in), 0);
    EXPECT_EQ(ApplyJobAttributesFromPage(h.record, page, true), 0);
    EXPECT_EQ(h.record->pageCount, 1u);
    EXPECT_EQ(ApplyJobAttributesFromPage(h.record, page, false), 0);
    EXPECT_EQ(h.record->pageCount, 2u);
    EXPECT_EQ(ApplyJobAttributesFromPage(nullptr, page, false), -1);
}

std::vector<uint8_t> HeaderWithSlot(uint32_t offset, uint32_t slot)
{
    std::vector<uint8_t> header(offset, 'h');
    header.insert(header.end(), slot, ' ');
    header.push_back('\n');
    header.insert(header.end(), {'n', 'e', 'x', 't'});
    return header;
}

TEST(BktpPatch, WritesIntoItsSlotOnly)
{
    struct Case {
        bool pjl;
        uint32_t slot;
        int32_t number;
        int result;
        std::string line;
    };
    const std::vector<Case> cases = {
        {true, kBktpSlotPjl, 12, 1, "@PJL SET JOBATTR=\"@BKTP=12\"" + std::string(11, ' ')},
        {false, kBktpSlotShort, 12, 1, "@BKTP=12" + std::string(12, ' ')},
        {true, kBktpSlotPjl, INT32_MIN, 1, "@PJL SET JOBATTR=\"@BKTP=-2147483648\""  + std::string(2, ' ')},
        {false, kBktpSlotShort, INT32_MIN, 1, "@BKTP=-2147483648" + std::string(3, ' ')},
        // A slot too small for the text is left alone.
        {true, kBktpSlotShort, 12, -1, std::string(20, ' ')},
        {false, 7, 12, -1, std::string(7, ' ')},
        // Number 0: nothing to write.
        {false, kBktpSlotShort, 0, 1, std::string(20, ' ')},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> header = HeaderWithSlot(5, c.slot);
        EXPECT_EQ(PatchBktpAttribute(header, 5, c.slot, c.number, c.pjl), c.result) << c.line;
        const std::string got(header.begin() + 5, header.begin() + 5 + c.slot);
        EXPECT_EQ(got, c.line);
        EXPECT_EQ(std::string(header.end() - 5, header.end()), "\nnext");
    }
    // A slot that would run past the header's end.
    std::vector<uint8_t> header = HeaderWithSlot(5, 10);
    EXPECT_EQ(PatchBktpAttribute(header, 5, kBktpSlotShort, 12, false), -1);
    EXPECT_EQ(PatchBktpAttribute(header, 100, kBktpSlotShort, 12, false), -1);
    EXPECT_EQ(header, HeaderWithSlot(5, 10));
}

}  // namespace
