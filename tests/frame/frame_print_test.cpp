// Documents printed through host DCs on the graphics library: the job file the
// spooler delivers is read back whole.
#include "tests/frame/frame_fixture.h"

#include "common/settings/function_ids.h"
#include "printhost/host_dc.h"
#include "render/device/form_resolution.h"
#include "render/device/pdev_record.h"
#include "tools/morva_reader/morva_reader.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using frame_test::Count;
using frame_test::FrameDriver;

std::vector<uint8_t> ReadFile(const std::wstring& path)
{
    const std::string text = printhost_test::ReadTextFile(path);
    return std::vector<uint8_t>(text.begin(), text.end());
}

// Prints two pages, with a reset of the DC between them when asked; answers
// the listing of the job.
std::string PrintTwoPages(bool resetBetween, COLORREF fill = RGB(255, 255, 255))
{
    FrameDriver& driver = frame_test::SharedFrameDriver();
    EXPECT_TRUE(driver.ok()) << std::string(driver.error().begin(), driver.error().end());
    std::vector<uint8_t> devmode = driver.ExtendedDevmode(frame_test::A4At600({{kFidColor, DMCOLOR_COLOR}}));
    if (devmode.empty())
        return "no settings";
    std::wstring error;
    HDC dc = printhost::CreatePrinterDc(driver.printerName(), reinterpret_cast<DEVMODEW*>(devmode.data()), &error);
    if (!dc)
        return "no DC: " + std::string(error.begin(), error.end());

    GDIINFO caps{};
    EXPECT_TRUE(printhost::HostDcGdiInfo(dc, &caps));
    EXPECT_EQ(caps.ulHorzRes, 4762u);

    const std::wstring jobFile = printhost_test::TempPath(L"frame_print.prn");
    DeleteFileW(jobFile.c_str());
    DOCINFOW doc{sizeof(doc), L"frame print", jobFile.c_str(), nullptr, 0};
    EXPECT_GT(HostStartDocW(dc, &doc), 0);
    for (int page = 0; page < 2; ++page) {
        if (page == 1 && resetBetween) {
            EXPECT_EQ(HostResetDCW(dc, reinterpret_cast<DEVMODEW*>(devmode.data())), dc);
        }
        EXPECT_GT(HostStartPage(dc), 0);
        HDC drawing = printhost::CurrentDrawingDc(dc);
        HBRUSH brush = CreateSolidBrush(fill);
        HGDIOBJ old = SelectObject(drawing, brush);
        Rectangle(drawing, 100, 100, 600, 400);
        SelectObject(drawing, old);
        DeleteObject(brush);
        EXPECT_GT(HostEndPage(dc), 0);
    }
    EXPECT_GT(HostEndDoc(dc), 0);
    EXPECT_TRUE(HostDeleteDC(dc));

    const std::vector<uint8_t> job = ReadFile(jobFile);
    DeleteFileW(jobFile.c_str());
    MorvaListing listing;
    EXPECT_TRUE(ReadMorvaJob(job.data(), job.size(), MorvaReadOptions{}, &listing)) << listing.error;
    EXPECT_EQ(listing.versionLine.rfind("%ZQRQD-", 0), 0u) << listing.versionLine;
    EXPECT_NE(listing.systemLine.find("RQDDRV-2801.1"), std::string::npos) << listing.systemLine;
    return CommandTexts(listing);
}

TEST(FramePrint, TwoPagesMakeAWholeJob)
{
    // The stream head and the job's resolution, each page's drawing ended by
    // its sheet, the stream end.
    const std::string commands = PrintTwoPages(false);
    EXPECT_EQ(commands.rfind("EA value=0x90\nFA kind=1 value=600\n", 0), 0u) << commands;
    EXPECT_EQ(Count(commands, "\nFB\nED\n"), 2u) << commands;
    EXPECT_EQ(Count(commands, "\nCG "), 2u) << commands;
    EXPECT_EQ(commands.substr(commands.size() - 3), "\nEB") << commands;
}

// The default palette is PAL_RGB: the engine hands colours over as red,
// green, blue, and they reach the stream in that order.
TEST(FramePrint, ColoursKeepTheirOrder)
{
    const std::string commands = PrintTwoPages(false, RGB(255, 128, 0));
    EXPECT_NE(commands.find("AM target=2 format=4 rgb=255,128,0"), std::string::npos) << commands;
}

// The listing without what depends on the clock: the comments' times.
std::string WithoutTimes(std::string text)
{
    for (size_t at = text.find("EP text="); at != std::string::npos; at = text.find("EP text=", at + 1)) {
        const size_t end = text.find('\n', at);
        const size_t ms = text.find("ms]", at);
        const size_t open = text.rfind('[', ms);
        if (ms != std::string::npos && ms < end && open > at)
            text.erase(open + 1, ms - open - 1);
        const size_t stamp = text.find("[20", at);
        if (stamp != std::string::npos && stamp < text.find('\n', at))
            text.erase(stamp + 1, text.find(']', stamp) - stamp - 1);
    }
    return text;
}

TEST(FramePrint, ResetBetweenPagesCarriesTheJob)
{
    // The old record hands its job over and ends nothing when it goes.
    EXPECT_EQ(WithoutTimes(PrintTwoPages(true)), WithoutTimes(PrintTwoPages(false)));
}

// The recording interface library brackets its job data (the settings record)
// with the settings batch and sends a page record at each page start, as the
// interface library does; what the graphics library answered is in its record.
TEST(FramePrint, InterfaceEscapesAreAnswered)
{
    const std::wstring log = printhost_test::TempPath(L"frame_ui.log");
    DeleteFileW(log.c_str());
    SetEnvironmentVariableW(L"PRINTHOST_RECORD_LOG", log.c_str());
    const std::string commands = PrintTwoPages(false);
    SetEnvironmentVariableW(L"PRINTHOST_RECORD_LOG", nullptr);
    const std::string record = printhost_test::ReadTextFile(log);
    DeleteFileW(log.c_str());
    EXPECT_EQ(commands.substr(commands.size() - 3), "\nEB");
    EXPECT_EQ(Count(record, "ui escape 20513 -> 1 "), 2u) << record;
    // The settings record of the extended DEVMODE, sent inside the batch.
    EXPECT_EQ(Count(record, "ui escape 20485 -> 1\n"), 1u) << record;
    // Its page record is 4 bytes, not the 10 of the interface library's.
    EXPECT_EQ(Count(record, "ui escape 20496 -> -1 "), 2u) << record;
}

TEST(FramePrint, ResetRefusesAPageBegun)
{
    FrameDriver& driver = frame_test::SharedFrameDriver();
    ASSERT_TRUE(driver.ok());
    const std::vector<uint8_t> devmode = driver.ExtendedDevmode(frame_test::A4At600());
    struct Case {
        bool pageBegun;
        BOOL result;
    } cases[] = {{false, TRUE}, {true, FALSE}};
    for (const Case& c : cases) {
        DHPDEV old = driver.Enable(devmode);
        DHPDEV fresh = driver.Enable(devmode);
        ASSERT_TRUE(old && fresh);
        SURFOBJ surface = frame_test::SurfaceOf(old);
        ASSERT_TRUE(driver.entries().startDoc(&surface, const_cast<wchar_t*>(L"reset"), 3));
        ASSERT_TRUE(driver.entries().startPage(&surface));
        if (c.pageBegun) {
            // A page begins at its first drawing call.
            RECTL area{0, 0, 10, 10};
            BRUSHOBJ black{};
            constexpr ROP4 kPatternCopy = 0xF0F0;
            ASSERT_TRUE(driver.entries().bitBlt(&surface, nullptr, nullptr, nullptr, nullptr, &area, nullptr, nullptr,
                                                &black, nullptr, kPatternCopy));
        }
        EXPECT_EQ(driver.entries().resetPdev(old, fresh), c.result) << c.pageBegun;
        EXPECT_EQ(driver.entries().resetPdev(old, nullptr), FALSE);
        driver.entries().disablePdev(old);
        driver.entries().disablePdev(fresh);
    }
    EXPECT_FALSE(frame_test::SettingsAccessLoaded());
}

// The record that takes over a running job keeps its own trailer margins as
// its previous group, which sizes its surface; the old record's group is its
// current one.
TEST(FramePrint, ResetKeepsTheNewRecordsTrailerGroupAsPrevious)
{
    FrameDriver& driver = frame_test::SharedFrameDriver();
    ASSERT_TRUE(driver.ok());
    std::vector<uint8_t> devmode = driver.ExtendedDevmode(frame_test::A4At600());
    ASSERT_EQ(devmode.size(), 5924u);
    uint16_t oldGroup[6];
    std::memcpy(oldGroup, devmode.data() + 5902, sizeof(oldGroup));
    DHPDEV old = driver.Enable(devmode);
    const uint16_t group[6] = {9, 9, 100, 100, 100, 100};  // A4, margins of 10 mm
    std::memcpy(devmode.data() + 5902, group, sizeof(group));
    DHPDEV fresh = driver.Enable(devmode);
    ASSERT_TRUE(old && fresh);
    const auto* record = reinterpret_cast<const PDevRecord*>(fresh);
    const PrintableTenths before = FormPrintableTenths(record->requestedForm, record->previousMarginOverride);
    EXPECT_EQ(before.width, 2016) << "no previous group: the model's margins";
    SURFOBJ surface = frame_test::SurfaceOf(old);
    ASSERT_TRUE(driver.entries().startDoc(&surface, const_cast<wchar_t*>(L"reset"), 3));
    ASSERT_TRUE(driver.entries().resetPdev(old, fresh));
    EXPECT_EQ(0, std::memcmp(record->previousMarginOverride, group, sizeof(group)));
    EXPECT_EQ(0, std::memcmp(record->marginOverride, oldGroup, sizeof(oldGroup)));
    const PrintableTenths after = FormPrintableTenths(record->requestedForm, record->previousMarginOverride);
    EXPECT_EQ(after.width, 1900);
    EXPECT_EQ(after.height, 2770);
    driver.entries().disablePdev(old);
    driver.entries().disablePdev(fresh);
}

} // namespace
