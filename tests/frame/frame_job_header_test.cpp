// The job-language header of a model whose job attribute table reads as empty
// (a damaged copy of the S2200 model with the table's row count cleared): the
// header is the universal exit alone, and the stream head after it still
// begins a line of its own, so the job is one a reader takes whole.
#include "tests/frame/frame_fixture.h"
#include "tests/frame/frame_jobs.h"

#include "common/model/model_format.h"
#include "tests/printhost/driver_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kDamagedModel[] = L"S2200NJA.DDD";

uint32_t Le32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 | uint32_t{b[at + 3]} << 24;
}

// S2200.DDD with the row count of its job attribute table set to 0, written
// beside it. False when the copy cannot be made.
bool WriteDamagedModel()
{
    const std::wstring directory = printhost_test::BinaryDirectory();
    const std::string text = printhost_test::ReadTextFile(directory + L"\\S2200.DDD");
    std::vector<uint8_t> bytes(text.begin(), text.end());
    if (bytes.size() < kModelRawStart)
        return false;
    const size_t entry = kModelRawStart + Le32(bytes, kModelRawLengthOffset) + kModelDirectoryHeadSize +
                         size_t(ModelKindPlace(kKindJobAttribute)) * kModelDirectoryEntrySize + 3;
    if (entry + 4 > bytes.size())
        return false;
    const size_t count = size_t{Le32(bytes, entry)} + 4;
    if (count + 2 > bytes.size() || (bytes[count] == 0 && bytes[count + 1] == 0))
        return false;
    bytes[count] = bytes[count + 1] = 0;
    std::ofstream out(std::filesystem::path(directory + L"\\" + kDamagedModel), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

frame_test::FrameDriver& DamagedHeaderDriver()
{
    static const bool written = WriteDamagedModel();
    static frame_test::FrameDriver driver([] {
        printhost::DriverPackage package = printhost_test::ModelDriverPackage(
            printhost_test::UniqueName(L"Morva Damaged Header Driver"), L"printhost_recui.dll");
        package.dataFile = kDamagedModel;
        package.dependentFiles = {L"S2200RES.DLL", L"morvadm.dll", L"morvares.dll"};
        return package;
    }(), L"Morva Damaged Header");
    EXPECT_TRUE(written) << "no damaged copy of S2200.DDD";
    return driver;
}

TEST(FrameJobHeader, EmptyAttributeTableStillEndsTheHeaderLine)
{
    frame_test::FrameDriver& driver = DamagedHeaderDriver();
    ASSERT_TRUE(driver.ok());
    frame_test::JobPlan plan{{true}, frame_test::Ending::kEndDoc, {}};
    plan.driver = &driver;
    const frame_test::PrintedJob job = frame_test::PrintJob(plan);
    ASSERT_FALSE(job.bytes.empty());
    ASSERT_TRUE(job.read) << job.listing.error;
    const std::string uel = "\x1b%-12345X";
    ASSERT_EQ(job.bytes.compare(0, uel.size(), uel), 0);
    // Nothing but the line end between the universal exit and the stream head.
    EXPECT_EQ(job.bytes.compare(uel.size(), 8, "\n%ZQRQD-"), 0) << job.bytes.substr(0, 40);
    EXPECT_EQ(job.listing.versionLine.rfind("%ZQRQD-", 0), 0u) << job.listing.versionLine;
}

} // namespace
