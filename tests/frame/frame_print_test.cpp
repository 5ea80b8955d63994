// Documents printed through host DCs on the graphics library: the job file the
// spooler delivers is read back whole.
#include "tests/frame/frame_fixture.h"

#include "printhost/host_dc.h"
#include "tools/morva_reader/morva_reader.h"

#include <gtest/gtest.h>

namespace {

using frame_test::FrameDriver;

std::vector<uint8_t> ReadFile(const std::wstring& path)
{
    const std::string text = printhost_test::ReadTextFile(path);
    return std::vector<uint8_t>(text.begin(), text.end());
}

TEST(FramePrint, TwoPagesMakeAWholeJob)
{
    FrameDriver& driver = frame_test::SharedFrameDriver();
    ASSERT_TRUE(driver.ok()) << std::string(driver.error().begin(), driver.error().end());
    std::vector<uint8_t> devmode = driver.ExtendedDevmode(frame_test::A4At600());
    ASSERT_FALSE(devmode.empty());
    std::wstring error;
    HDC dc = printhost::CreatePrinterDc(driver.printerName(), reinterpret_cast<DEVMODEW*>(devmode.data()), &error);
    ASSERT_NE(dc, nullptr) << std::string(error.begin(), error.end());

    GDIINFO caps{};
    ASSERT_TRUE(printhost::HostDcGdiInfo(dc, &caps));
    EXPECT_EQ(caps.ulHorzRes, 4762u);

    const std::wstring jobFile = printhost_test::TempPath(L"frame_print.prn");
    DeleteFileW(jobFile.c_str());
    DOCINFOW doc{sizeof(doc), L"frame print", jobFile.c_str(), nullptr, 0};
    ASSERT_GT(HostStartDocW(dc, &doc), 0);
    for (int page = 0; page < 2; ++page) {
        ASSERT_GT(HostStartPage(dc), 0);
        Rectangle(printhost::CurrentDrawingDc(dc), 100, 100, 600, 400);
        ASSERT_GT(HostEndPage(dc), 0);
    }
    ASSERT_GT(HostEndDoc(dc), 0);
    EXPECT_TRUE(HostDeleteDC(dc));

    const std::vector<uint8_t> job = ReadFile(jobFile);
    DeleteFileW(jobFile.c_str());
    MorvaListing listing;
    ASSERT_TRUE(ReadMorvaJob(job.data(), job.size(), MorvaReadOptions{}, &listing)) << listing.error;
    EXPECT_EQ(listing.versionLine.rfind("%ZQRQD-", 0), 0u) << listing.versionLine;
    EXPECT_NE(listing.systemLine.find("RQDDRV-2801.1"), std::string::npos) << listing.systemLine;
    // The stream head, the job's resolution, one sheet per page, the stream end.
    EXPECT_EQ(CommandTexts(listing), "EA value=0x90\nFA kind=1 value=600\nFB\nED\nFB\nED\nEB");
}

} // namespace
