#include "common/job/host_name_lines.h"
#include "common/job/job_header.h"
#include "common/job/job_header_codes.h"
#include "common/job/job_instruction_maker.h"
#include "common/model/model_data.h"
#include "tests/job/job_test_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char kUel[] = "\x1B%-12345X";

class MakerLibraryTest : public JobTest {
protected:
    // Capability bit 61: word 1, bit 29.
    void AskForInstructionBlock() { PatchRaw(39, 4, 0, GetModelSectionNumber(context_->main, 39, 4, 0) | 0x20000000u); }
    // The job-owner and host lines only: a header whose rows other than the
    // placeholder stay quiet is hard to have, so the lines are written alone.
    int Lines(std::string* text)
    {
        std::vector<uint8_t> buffer(4096);
        JobText out = {buffer.data(), static_cast<uint32_t>(buffer.size()), 0};
        JobHeaderState state;
        EXPECT_EQ(InitJobHeaderState(&state, context_.get(), &header_, &out), 0);
        const int status = WriteHostNameLines(&state);
        UnloadHostNameLibrary(&state);
        text->assign(buffer.begin(), buffer.begin() + out.length);
        return status;
    }
};

TEST_F(MakerLibraryTest, WithoutTheCapabilityTheHeaderStartsWithTheUniversalExit)
{
    const char data[] = "JOB 1";
    int status = 0;
    const std::string header = Header(&status, data, sizeof data - 1);
    ASSERT_GT(status, 0);
    EXPECT_EQ(header.rfind(kUel, 0), 0u);
}

TEST_F(MakerLibraryTest, InstructionBlockOpensTheHeader)
{
    PutStandIn(L"C4530JI.DLL");
    AskForInstructionBlock();
    const char data[] = "JOB 1";
    EXPECT_EQ(WriteJobInstructionBlock(context_.get(), printer_->handle(), settings(), printerSettings(), data, 5,
                                       nullptr),
              static_cast<int>(sizeof "@JI=JOB 1\n"));
    int status = 0;
    const std::string header = Header(&status, data, 5);
    ASSERT_GT(status, 0);
    EXPECT_EQ(header.rfind(std::string("@JI=JOB 1\n") + kUel, 0), 0u) << header;
    // Without a data block there is none.
    EXPECT_EQ(Header(&status).rfind(kUel, 0), 0u);
}

TEST_F(MakerLibraryTest, UnterminatedBlockIsCopiedOnlyToItsReportedSize)
{
    PutStandIn(L"C4530JI.DLL");
    AskForInstructionBlock();
    const char data[] = "UNTERMINATED";
    int status = 0;
    const std::string header = Header(&status, data, sizeof data - 1);
    ASSERT_GT(status, 0);
    EXPECT_EQ(header.rfind(std::string("@JI=UNTERMINATED\n") + kUel, 0), 0u) << header;
}

TEST_F(MakerLibraryTest, MissingOrFailingMakerEndsTheHeader)
{
    AskForInstructionBlock();
    std::vector<uint8_t> out(20000);
    EXPECT_EQ(GetJobHeaderSize(printer_->handle(), context_.get(), settings(), printerSettings(), "JOB", 3),
              kJobErrMissingData);
    EXPECT_EQ(WriteJobHeader(context_.get(), &header_, "JOB", 3, out.data(), static_cast<uint32_t>(out.size())),
              kJobErrMissingData);
    PutStandIn(L"C4530JI.DLL");
    EXPECT_EQ(WriteJobHeader(context_.get(), &header_, "FAIL", 4, out.data(), static_cast<uint32_t>(out.size())),
              kJobErrInstructionFetch);
    header_.printer = nullptr;
    EXPECT_EQ(WriteJobHeader(context_.get(), &header_, "JOB", 3, out.data(), static_cast<uint32_t>(out.size())),
              kJobErrBadArgument);
}

TEST_F(MakerLibraryTest, HostNameLinesInBothForms)
{
    PutStandIn(L"C4530HN.DLL");
    SetNumber(5203, 1);
    SetNumber(321, 1);
    SetNumber(296, 514);  // poster: N-up code 8
    const uint32_t flags = HeaderFlags();
    SetHeaderFlags(flags | kHeaderNupLine | kHeaderHostAddressLine | kHeaderHostNameLine);
    std::string text;
    ASSERT_EQ(Lines(&text), 0);
    // With bits 2 or 3 the owner mode is 5 (bit 21): the user attribute.
    const size_t owner = text.find("@PJL SET JOBATTR=\"@JOAU=");
    ASSERT_NE(owner, std::string::npos) << text;
    text.erase(owner, text.find('\n', owner) + 1 - owner);
    EXPECT_EQ(text, "@PJL SET JOBATTR=\"@NUPC=8\"\n"
                    "@PJL SET JOBATTR=\"@HSAD=192.0.2.7\"\n"
                    "@PJL SET JOBATTR=\"@HSNM=WORKSTATION7\"\n");

    SetHeaderFlags((flags & ~kHeaderPjlForm) | kHeaderNupLine);
    SetNumber(321, 0);
    SetNumber(295, 3);  // no N-up code: the line is empty, its LF stays
    SetNumber(5127, 1);
    SetText(5121, L"Ayako");
    ASSERT_EQ(Lines(&text), 0);
    EXPECT_EQ(text, "\n@JOIN=1:0:0:Ayako/Ayako\n");
}

TEST_F(MakerLibraryTest, JobOwnerValuesWithoutTheHostBits)
{
    PutStandIn(L"C4530HN.DLL");
    SetNumber(5203, 1);
    SetNumber(5127, 0);
    SetNumber(321, 1);
    SetNumber(295, 1);
    SetNumber(265, 258);
    SetNumber(13, 7);
    std::string text;
    ASSERT_EQ(Lines(&text), 0);
    // A one-page poster passes 100 pages; source 7 gives the code 0.
    EXPECT_EQ(text, "@PJL SET JOBATTR=\"@JOHN=3:100:0:DummyString\"\n");
    // The user text of the prompt in place of the placeholder.
    SetHeaderFlags(HeaderFlags() | kHeaderOwnerFromUserText);
    SetNumber(5164, 1);
    SetText(5174, L"Guest 4");
    ASSERT_EQ(Lines(&text), 0);
    EXPECT_EQ(text, "@PJL SET JOBATTR=\"@JOIN=3:100:0:Guest 4/Guest 4\"\n");
    SetNumber(5203, 0);
    ASSERT_EQ(Lines(&text), 0);
    EXPECT_EQ(text, "");
}

TEST_F(MakerLibraryTest, MissingHostNameLibraryEndsTheHeaderAtItsFirstLine)
{
    SetNumber(5203, 1);
    std::string text;
    EXPECT_EQ(Lines(&text), kJobErrHostName);
    SetNumber(5203, 0);
    EXPECT_EQ(Lines(&text), 0);  // no line asks for it
}

TEST_F(MakerLibraryTest, NupCodes)
{
    struct Case {
        uint32_t layout, posterPages, pages;
        int code;
    } cases[] = {
        {2, 0, 1, 1}, {1, 514, 1, 8}, {1, 258, 1, 7}, {1, 999, 4, 2}, {0, 514, 16, 6}, {0, 0, 3, -1}, {0, 0, 32, 12}, {0, 0, 9, -1},
    };
    for (const Case& c : cases) {
        SetNumber(321, c.layout);
        SetNumber(296, c.posterPages);
        SetNumber(295, c.pages);
        std::vector<uint8_t> buffer(16);
        JobText out = {buffer.data(), 16, 0};
        JobHeaderState state;
        ASSERT_EQ(InitJobHeaderState(&state, context_.get(), &header_, &out), 0);
        EXPECT_EQ(GetNupCode(&state), c.code) << c.layout << " " << c.posterPages << " " << c.pages;
    }
}

TEST_F(MakerLibraryTest, JobOwnerSourceCodes)
{
    struct Case {
        uint32_t flags, tray, source, feed;
        int code;
    } cases[] = {
        {0, 258, 7, 0, 0},   {0, 260, 7, 3, 9},     {0, 260, 7, 5, 8},  {0, 4, 7, 2, 10},  {0, 1, 7, 0, 1},
        {0, 266, 3, 0, 4},   {0, 300, 3, 0, 11},    {0x10, 1, 2, 0, 6}, {0x10, 257, 15, 0, 7},
    };
    for (const Case& c : cases) {
        SetNumber(265, c.tray);
        SetNumber(13, c.source);
        SetNumber(388, c.feed);
        int code = -1;
        ASSERT_EQ(GetJobOwnerSourceCode(c.flags, settings(), printerSettings(), &code), 0);
        EXPECT_EQ(code, c.code) << c.tray << " " << c.source;
    }
}

}  // namespace
