#include "common/job/job_header.h"

#include "common/job/job_header_codes.h"
#include "common/model/model_data.h"
#include "tests/job/job_test_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr char kUel[] = "\x1B%-12345X";

// Reviewed: the header of the model's default settings.
constexpr char kDefaultHeader[] =
    "\x1B%-12345X"
    "@PJL SET JOBATTR=\"@MDLN=C4530\"\n"
    "@PJL SET COPIES=1\n"
    "@PJL SET PAPER=9\n"
    "@PJL SET MEDIASOURCE=7\n"
    "@PJL SET RENDERMODE=0\n"
    "@PJL SET RESOLUTION=600\n"
    "@PJL SET JOBATTR=\"@JHDR=ON\"\n"
    "@PJL SET JOBATTR=\"@ACNT=\"\n"
    "@PJL SET JOBATTR=\"@MCPY=1\"\n"
    "@PJL COMMENT MORVA C4530\n"
    "@PJL ENTER LANGUAGE=MORVA\n";

// Reviewed: a booklet job stapled, on A4 short edge first from the bypass
// tray, with chosen pages, an account text and the user name allowed.
constexpr char kBookletHeader[] =
    "\x1B%-12345X"
    "@PJL SET JOBATTR=\"@MDLN=C4530\"\n"
    "@PJL SET COPIES=3\n"
    "@PJL SET PAPER=9\n"
    "@PJL SET MEDIASOURCE=7\n"
    "@PJL SET DUPLEX=2\n"
    "@PJL SET RENDERMODE=2\n"
    "@PJL SET RESOLUTION=1200\n"
    "@PJL SET JOBATTR=\"@STPL=11\"\n"
    "@PJL SET JOBATTR=\"@STPL=ON\"\n"
    "@PJL SET JOBATTR=\"@JHDR=ON\"\n"
    "@PJL SET JOBATTR=\"@PAPR=A4\"\n"
    "@PJL SET JOBATTR=\"@FEED=SEF\"\n"
    "@PJL SET JOBATTR=\"@PGLS=3:5:12\"\n"
    "@PJL SET JOBNAME=\"\"\n"
    "@PJL SET JOBATTR=\"@ACNT=42\"\n"
    "@PJL SET JOBATTR=\"@FEDG=SEF\"\n"
    "@PJL SET JOBATTR=\"@TRAY=2\"\n"
    "@PJL SET JOBATTR=\"@HIRS=78643800\"\n"
    "@PJL COMMENT MORVA C4530\n"
    "@PJL SET JOBATTR=\"@BKTP=77\"\n"
    "@PJL ENTER LANGUAGE=MORVA\n";

class JobHeaderTest : public JobTest {
protected:
    // Booklet with the printer's booklet page count: the "@BKTP=" line applies.
    void AskForBooklet()
    {
        SetNumber(321, 2);
        SetNumber(446, 1);
        SetNumber(465, 2);
    }
};

TEST_F(JobHeaderTest, DefaultSettingsGiveTheReviewedHeader)
{
    SetNumber(8, 9);  // the default paper follows the locale
    int status = 0;
    const std::string header = Header(&status);
    ASSERT_GT(status, 0);
    EXPECT_EQ(header, kDefaultHeader);
    EXPECT_EQ(header_.bktpOffset, 0u);
}

TEST_F(JobHeaderTest, BookletJobGivesTheReviewedHeader)
{
    SetNumber(8, 9);
    SetNumber(12, 3);
    SetNumber(16, 2);
    SetNumber(270, 2);
    SetNumber(14, 78643800);
    SetNumber(320, 11);
    SetNumber(410, 9);
    SetNumber(406, 1);
    SetNumber(409, 4);
    SetNumber(412, 2);
    SetNumber(438, 2);
    SetNumber(1834, 12);
    SetNumber(1835, 5);
    SetNumber(1836, 3);
    SetNumber(1837, 12);
    SetNumber(5203, 1);
    SetNumber(265, 2);
    SetText(435, L"0042");
    AskForBooklet();
    header_.bktpNumber = 77;
    header_.hostNameLines = 0;
    int status = 0;
    std::string header = Header(&status);
    ASSERT_GT(status, 0);
    const std::string userLine = "@PJL SET USERNAME=\"";
    const size_t user = header.find(userLine);
    ASSERT_NE(user, std::string::npos) << header;
    // The user name row carries the name of whoever runs the test.
    header.erase(user, header.find('\n', user) + 1 - user);
    EXPECT_EQ(header, kBookletHeader);
    EXPECT_EQ(header_.bktpOffset, 0u);  // the number was known: nothing to fill
}

TEST_F(JobHeaderTest, EmptyTableGivesTheUniversalExitOnly)
{
    ModelDataRecord main{}, linked{};
    SettingsContext edge{&main, &linked, nullptr, nullptr, nullptr};
    ASSERT_EQ(LoadModelDataFile(L"EDGE.DDD", &main, &linked), 0);
    std::vector<uint8_t> out(64, 0xEE);
    EXPECT_EQ(WriteJobHeader(&edge, &header_, nullptr, 0, out.data(), static_cast<uint32_t>(out.size())), 9);
    EXPECT_EQ(std::string(out.begin(), out.begin() + 9), kUel);
    EXPECT_EQ(out[9], 0xEE);
    CloseModelData(&main, &linked);
}

TEST_F(JobHeaderTest, EveryAppendIsCheckedAgainstTheCapacity)
{
    int status = 0;
    const std::string header = Header(&status);
    ASSERT_GT(status, 0);
    for (uint32_t capacity : {0u, 5u, 9u, static_cast<uint32_t>(header.size() / 2),
                              static_cast<uint32_t>(header.size() - 1)}) {
        std::vector<uint8_t> out(header.size() + 8, 0xEE);
        EXPECT_EQ(WriteJobHeader(context_.get(), &header_, nullptr, 0, out.data(), capacity), kJobErrNoRoom)
            << capacity;
        for (size_t i = capacity; i < out.size(); ++i)
            ASSERT_EQ(out[i], 0xEE) << capacity << " " << i;
    }
    std::vector<uint8_t> exact(header.size());
    EXPECT_EQ(WriteJobHeader(context_.get(), &header_, nullptr, 0, exact.data(), static_cast<uint32_t>(exact.size())),
              static_cast<int>(header.size()));
}

TEST_F(JobHeaderTest, BktpLineIsReservedWithBlanksAndFilledLater)
{
    AskForBooklet();
    struct Case {
        bool pjl;
        uint32_t blanks;
        const char* filled;
    } cases[] = {
        {true, 38, "@PJL SET JOBATTR=\"@BKTP=4711\"         \n"},
        {false, 20, "@BKTP=4711          \n"},
    };
    const uint32_t flags = HeaderFlags();
    for (const Case& c : cases) {
        SetHeaderFlags(c.pjl ? flags : flags & ~kHeaderPjlForm);
        header_.bktpOffset = 0;
        int status = 0;
        std::string header = Header(&status);
        ASSERT_GT(status, 0);
        const uint32_t at = header_.bktpOffset;
        ASSERT_GT(at, 0u);
        EXPECT_EQ(header.substr(at, c.blanks + 1), std::string(c.blanks, ' ') + "\n");
        EXPECT_EQ(header[at - 1], '\n');
        EXPECT_EQ(header.substr(at + c.blanks + 1, 20), c.pjl ? "@PJL ENTER LANGUAGE=" : "@PJL ENTER LANGUAGE=");
        std::vector<uint8_t> bytes(header.begin(), header.end());
        EXPECT_EQ(FillBktpLine(bytes.data(), static_cast<uint32_t>(bytes.size()), at, c.pjl, 4711), 1);
        EXPECT_EQ(std::string(bytes.begin() + at, bytes.begin() + at + c.blanks + 1), c.filled);
        // Nothing to fill at offset 0; a line that is not a reservation is refused.
        EXPECT_EQ(FillBktpLine(bytes.data(), static_cast<uint32_t>(bytes.size()), 0, c.pjl, 1), 0);
        EXPECT_EQ(FillBktpLine(bytes.data(), static_cast<uint32_t>(bytes.size()), at, c.pjl, 1), kJobErrBadArgument);
        EXPECT_EQ(FillBktpLine(bytes.data(), at + c.blanks, at, c.pjl, 1), kJobErrBadArgument);
    }
}

TEST_F(JobHeaderTest, BktpLineNeedsEveryCondition)
{
    struct Case {
        uint16_t id;
        uint32_t value;
    } refusals[] = {{321, 1}, {446, 0}, {465, 1}, {334, 3}};
    for (const Case& c : refusals) {
        AskForBooklet();
        SetNumber(334, 1);
        SetNumber(c.id, c.value);
        header_.bktpOffset = 0;
        int status = 0;
        const std::string header = Header(&status);
        ASSERT_GT(status, 0);
        EXPECT_EQ(header_.bktpOffset, 0u) << c.id;
        EXPECT_EQ(header.find(std::string(38, ' ')), std::string::npos) << c.id;
    }
    AskForBooklet();
    SetHeaderFlags(HeaderFlags() & ~kHeaderBktpLine);
    int status = 0;
    Header(&status);
    EXPECT_EQ(header_.bktpOffset, 0u);
}

TEST_F(JobHeaderTest, BktpLineHasOneLineEndBeforeTheHostNameLines)
{
    PutStandIn(L"C4530HN.DLL");
    AskForBooklet();
    SetNumber(5203, 1);
    SetHeaderFlags(HeaderFlags() | kHeaderHostNameLine);
    int status = 0;
    const std::string header = Header(&status);
    ASSERT_GT(status, 0) << status;
    const uint32_t at = header_.bktpOffset;
    ASSERT_GT(at, 0u);
    // The job-owner line (the user name allowed; a booklet of one page per
    // sheet passes the pages value 2), then the host name.
    EXPECT_EQ(header.substr(at + 38, 50), "\n@PJL SET JOBATTR=\"@JOHN=3:2:0:DummyString\"\n@PJL S");
}

TEST_F(JobHeaderTest, StoredFileSentAgainKeepsOnlyItsRows)
{
    SetNumber(336, 1);
    SetNumber(320, 11);
    SetNumber(5203, 1);
    header_.hostNameLines = 0;
    int status = 0;
    std::string header = Header(&status);
    ASSERT_GT(status, 0);
    const size_t user = header.find("@PJL SET USERNAME=\"");
    ASSERT_NE(user, std::string::npos) << header;
    header.erase(user, header.find('\n', user) + 1 - user);
    // The stapling row marked for a resend follows a filtered row of the same key.
    EXPECT_EQ(header, std::string(kUel) +
                          "@PJL SET JOBATTR=\"@MDLN=C4530\"\n"
                          "@PJL COMMENT MORVA C4530\n"
                          "@PJL ENTER LANGUAGE=MORVA\n");
    // Off, the same row is written.
    SetNumber(336, 0);
    header = Header(&status);
    EXPECT_NE(header.find("@PJL SET JOBATTR=\"@STPL=ON\"\n"), std::string::npos) << status << header;
}

TEST_F(JobHeaderTest, TrailerInBothForms)
{
    struct Case {
        bool pjl;
        const char* trailer;
        int trailerSize;
        const char* endLine;
        int endLineSize;
    } cases[] = {
        {true, "\x1B%-12345X@PJL EOJ\n", 23, "@PJL EOJ\n", 14},
        {false, "\x1B%-12345X@EOJO\n", 20, "@EOJO\n", 11},
    };
    const uint32_t flags = HeaderFlags();
    for (const Case& c : cases) {
        SetHeaderFlags(c.pjl ? flags : flags & ~kHeaderPjlForm);
        const std::string trailer = c.trailer;
        std::vector<uint8_t> out(64, 0xEE);
        ASSERT_EQ(WriteJobTrailer(context_.get(), out.data(), 64), static_cast<int>(trailer.size()));
        EXPECT_EQ(trailer.size(), c.pjl ? 18u : 15u);
        EXPECT_EQ(std::string(out.begin(), out.begin() + trailer.size()), trailer);
        EXPECT_EQ(GetJobTrailerSize(context_.get()), c.trailerSize);
        EXPECT_EQ(WriteJobTrailer(context_.get(), out.data(), static_cast<uint32_t>(trailer.size() - 1)),
                  kJobErrNoRoom);
        const std::string endLine = c.endLine;
        ASSERT_EQ(WriteEndOfJobLine(context_.get(), out.data(), 64), static_cast<int>(endLine.size()));
        EXPECT_EQ(std::string(out.begin(), out.begin() + endLine.size()), endLine);
        EXPECT_EQ(GetEndOfJobLineSize(context_.get()), c.endLineSize);
    }
    std::vector<uint8_t> uel(16, 0);
    EXPECT_EQ(WriteUelForJob(uel.data(), 16), 9);
    EXPECT_EQ(std::string(uel.begin(), uel.begin() + 9), kUel);
    EXPECT_EQ(GetUelSize(), 14);
    EXPECT_EQ(WriteUelForJob(uel.data(), 8), kJobErrNoRoom);
}

TEST_F(JobHeaderTest, SizeBoundAddsEachLineAllowance)
{
    // Model section 2 is 8192; PJL form with the "@BKTP=" line: 8192 + 9 + 20
    // + 125 + 130 + 178 + 5.
    EXPECT_EQ(GetJobHeaderSize(printer_->handle(), context_.get(), settings(), printerSettings(), nullptr, 0), 8659);
    const uint32_t flags = HeaderFlags();
    SetHeaderFlags((flags & ~kHeaderPjlForm) | kHeaderNupLine | kHeaderHostAddressLine | kHeaderHostNameLine);
    EXPECT_EQ(GetJobHeaderSize(printer_->handle(), context_.get(), settings(), printerSettings(), nullptr, 0),
              8192 + 9 + 107 + 18 + 48 + 111 + 111 + 178 + 5);
    // A fax model adds lines x recipients (40 x 100) + 21 in the short form.
    PatchRaw(23, 1, 0, 1);
    EXPECT_EQ(GetJobHeaderSize(printer_->handle(), context_.get(), settings(), printerSettings(), nullptr, 0),
              8192 + 9 + 107 + 18 + 48 + 111 + 111 + 178 + 4021 + 5);
    PatchRaw(25, 2, 0, 0);
    EXPECT_EQ(GetJobHeaderSize(printer_->handle(), context_.get(), settings(), printerSettings(), nullptr, 0),
              kJobErrModelSizeData);
    PatchRaw(2, 4, 0, 0);
    EXPECT_EQ(GetJobHeaderSize(printer_->handle(), context_.get(), settings(), printerSettings(), nullptr, 0),
              kJobErrModelSizeData);
}

}  // namespace
