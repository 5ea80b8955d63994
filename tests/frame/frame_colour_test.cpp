// Colour management of a printed page: the job's colour stages act on the
// images and colours that reach the stream. Where a profile is used, the
// colours are checked against Little CMS's results for the same profile.
#include "tests/frame/frame_fixture.h"

#include "common/settings/function_ids.h"
#include "printhost/host_dc.h"
#include "printhost/job_settings.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

#include "colour_reference.inc"

using frame_test::FrameDriver;

constexpr uint16_t kCompressionSetting = 330;
constexpr uint16_t kCorrectionKind = 286;  // 2: profiles
constexpr uint16_t kFirstProfileOn = 1303;
constexpr uint16_t kOutsideLibrary = 291;
constexpr int kWidth = 7, kHeight = 4;  // the test image
constexpr int kStep = 61;               // every 61st reference colour
constexpr size_t kBrushRow = 1000;

struct Printed {
    std::string commands;
    std::vector<uint8_t> image;  // the data of the page's image, red, green, blue
};

const unsigned char* Reference(size_t n)
{
    return kMatrixExpected[n * kStep];
}

// A rectangle filled with reference colour `row`, without an outline.
bool FillWithReference(HDC drawing, size_t row)
{
    const unsigned char* b = kMatrixExpected[row];
    HBRUSH brush = CreateSolidBrush(RGB(b[0], b[1], b[2]));
    HGDIOBJ oldBrush = SelectObject(drawing, brush);
    HGDIOBJ oldPen = SelectObject(drawing, GetStockObject(NULL_PEN));
    const bool drawn = Rectangle(drawing, 400, 400, 700, 600) != 0;
    SelectObject(drawing, oldPen);
    SelectObject(drawing, oldBrush);
    DeleteObject(brush);
    return drawn;
}

// The Little CMS matrix profile as a file.
std::wstring WriteMatrixProfile(const wchar_t* name)
{
    const std::wstring path = printhost_test::TempPath(name);
    if (FILE* f = _wfopen(path.c_str(), L"wb")) {
        std::fwrite(kMatrixProfile, 1, sizeof kMatrixProfile, f);
        std::fclose(f);
    }
    return path;
}

// One page: the test image at (200, 200) and a rectangle filled with one
// reference colour, printed with the settings given.
Printed PrintColourPage(const std::vector<frame_test::SettingPair>& numbers, const std::vector<std::wstring>& texts)
{
    Printed printed;
    FrameDriver& driver = frame_test::SharedFrameDriver();
    EXPECT_TRUE(driver.ok());
    std::vector<frame_test::SettingPair> pairs = {{kFidColor, DMCOLOR_COLOR}, {kCompressionSetting, 0}};
    pairs.insert(pairs.end(), numbers.begin(), numbers.end());
    std::vector<uint8_t> devmode = driver.ExtendedDevmode(frame_test::A4At600(pairs));
    std::wstring error;
    if (devmode.empty() || !printhost::ApplySettingPairs(&devmode, texts, &error)) {
        ADD_FAILURE() << "settings: " << std::string(error.begin(), error.end());
        return printed;
    }
    const printhost::PageDrawer page = [](HDC drawing, const GDIINFO&) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        const int stride = (kWidth * 3 + 3) & ~3;
        std::vector<uint8_t> bits(size_t(stride) * kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const unsigned char* c = Reference(size_t(y) * kWidth + x);
                uint8_t* p = bits.data() + y * stride + x * 3;
                p[0] = c[2];
                p[1] = c[1];
                p[2] = c[0];
            }
        const bool drawn = StretchDIBits(drawing, 200, 200, kWidth, kHeight, 0, 0, kWidth, kHeight, bits.data(), &info,
                                         DIB_RGB_COLORS, SRCCOPY) == kHeight;
        return drawn && FillWithReference(drawing, kBrushRow);
    };
    const frame_test::DrawnJob job = frame_test::PrintDrawnPages(devmode, {page});
    printed.commands = job.commands;
    // The image data are the last bytes of the "Cq" command.
    const std::vector<MorvaCommandLine>& commands = job.listing.commands;
    for (size_t i = 0; i + 1 < commands.size(); ++i) {
        const std::string& line = commands[i].text;
        const size_t at = line.find(" length=");
        if (line.rfind("Cq ", 0) != 0 || at == std::string::npos)
            continue;
        const size_t length = std::strtoul(line.c_str() + at + 8, nullptr, 10);
        const size_t end = commands[i + 1].offset;
        if (length <= end)
            printed.image.assign(job.bytes.begin() + (end - length), job.bytes.begin() + end);
    }
    return printed;
}

// The worst channel difference between the image and `expected(n, channel)`.
template <typename Expected> int WorstDifference(const std::vector<uint8_t>& image, Expected expected)
{
    int worst = 0;
    for (size_t n = 0; n < size_t(kWidth) * kHeight; ++n)
        for (int c = 0; c < 3; ++c)
            worst = std::max(worst, std::abs(int(image[n * 3 + c]) - int(expected(n, c))));
    return worst;
}

std::string ColourCommand(const unsigned char* rgb)
{
    return "AM target=2 format=4 rgb=" + std::to_string(rgb[0]) + "," + std::to_string(rgb[1]) + "," +
           std::to_string(rgb[2]);
}

TEST(FrameColour, WithoutStagesColoursGoAsDrawn)
{
    const Printed printed = PrintColourPage({}, {});
    ASSERT_EQ(printed.image.size(), size_t(kWidth) * kHeight * 3) << printed.commands;
    EXPECT_EQ(WorstDifference(printed.image, [](size_t n, int c) { return Reference(n)[c]; }), 0);
    EXPECT_NE(printed.commands.find(ColourCommand(kMatrixExpected[kBrushRow])), std::string::npos) << printed.commands;
}

TEST(FrameColour, ProfileTransformsImageAndBrush)
{
    const std::wstring profile = WriteMatrixProfile(L"frame_colour_profile.icc");
    const Printed printed = PrintColourPage({{kCorrectionKind, 2}, {kFirstProfileOn, 1}}, {L"1832=" + profile});
    DeleteFileW(profile.c_str());
    ASSERT_EQ(printed.image.size(), size_t(kWidth) * kHeight * 3) << printed.commands;
    // Little CMS's result for the same profile, within 2 levels; and the
    // profile does move the colours.
    EXPECT_LE(WorstDifference(printed.image, [](size_t n, int c) { return Reference(n)[3 + c]; }), 2);
    EXPECT_GT(WorstDifference(printed.image, [](size_t n, int c) { return Reference(n)[c]; }), 10);
    const unsigned char* b = kMatrixExpected[kBrushRow];
    const size_t at = printed.commands.find("AM target=2 format=4 rgb=");
    ASSERT_NE(at, std::string::npos) << printed.commands;
    int rgb[3] = {};
    ASSERT_EQ(
        std::sscanf(printed.commands.c_str() + at, "AM target=2 format=4 rgb=%d,%d,%d", &rgb[0], &rgb[1], &rgb[2]), 3);
    for (int c = 0; c < 3; ++c)
        EXPECT_LE(std::abs(rgb[c] - int(b[3 + c])), 2) << "channel " << c;
}

// A DC reset between pages hands the job, and its colour stages, to the new
// device record: the second page's colour is transformed too.
TEST(FrameColour, StagesGoOnAfterAReset)
{
    FrameDriver& driver = frame_test::SharedFrameDriver();
    ASSERT_TRUE(driver.ok());
    const std::wstring profile = WriteMatrixProfile(L"frame_colour_reset.icc");
    std::vector<uint8_t> devmode = driver.ExtendedDevmode(
        frame_test::A4At600({{kFidColor, DMCOLOR_COLOR}, {kCorrectionKind, 2}, {kFirstProfileOn, 1}}));
    std::wstring error;
    ASSERT_TRUE(printhost::ApplySettingPairs(&devmode, {L"1832=" + profile}, &error));
    HDC dc = printhost::CreatePrinterDc(driver.printerName(), reinterpret_cast<DEVMODEW*>(devmode.data()), &error);
    ASSERT_NE(dc, nullptr);
    const std::wstring jobFile = printhost_test::TempPath(L"frame_colour_reset.prn");
    DOCINFOW doc{sizeof(doc), L"reset", jobFile.c_str(), nullptr, 0};
    EXPECT_GT(HostStartDocW(dc, &doc), 0);
    const size_t rows[2] = {kBrushRow, kBrushRow + 300};
    for (int page = 0; page < 2; ++page) {
        if (page == 1)
            EXPECT_EQ(HostResetDCW(dc, reinterpret_cast<DEVMODEW*>(devmode.data())), dc);
        EXPECT_GT(HostStartPage(dc), 0);
        EXPECT_TRUE(FillWithReference(printhost::CurrentDrawingDc(dc), rows[page]));
        EXPECT_GT(HostEndPage(dc), 0);
    }
    EXPECT_GT(HostEndDoc(dc), 0);
    EXPECT_TRUE(HostDeleteDC(dc));
    DeleteFileW(profile.c_str());
    const std::string text = printhost_test::ReadTextFile(jobFile);
    DeleteFileW(jobFile.c_str());
    MorvaListing listing;
    ASSERT_TRUE(ReadMorvaJob(reinterpret_cast<const uint8_t*>(text.data()), text.size(), MorvaReadOptions{}, &listing))
        << listing.error;
    const std::string commands = CommandTexts(listing);
    size_t at = 0;
    for (size_t row : rows) {
        at = commands.find("AM target=2 format=4 rgb=", at);
        ASSERT_NE(at, std::string::npos) << commands;
        int rgb[3] = {};
        ASSERT_EQ(std::sscanf(commands.c_str() + at, "AM target=2 format=4 rgb=%d,%d,%d", &rgb[0], &rgb[1], &rgb[2]),
                  3);
        for (int c = 0; c < 3; ++c)
            EXPECT_LE(std::abs(rgb[c] - int(kMatrixExpected[row][3 + c])), 2) << "row " << row << " channel " << c;
        ++at;
    }
}

// The maker's library placed where the model names it: it converts the image
// (the stand-in inverts it) and the stream has no trace of the original colours.
TEST(FrameColour, OutsideLibraryConvertsTheImage)
{
    FrameDriver& driver = frame_test::SharedFrameDriver();
    ASSERT_TRUE(driver.ok());
    const std::wstring standin = BesideTestProgram(L"qcv_standin.dll");
    const std::wstring placed = driver.driverDirectory() + L"\\C4530QCV.DLL";
    ASSERT_TRUE(CopyFileW(standin.c_str(), placed.c_str(), FALSE));
    const Printed printed = PrintColourPage({{kOutsideLibrary, 1}}, {});
    EXPECT_TRUE(DeleteFileW(placed.c_str())) << "the library is still loaded";
    ASSERT_EQ(printed.image.size(), size_t(kWidth) * kHeight * 3) << printed.commands;
    EXPECT_EQ(WorstDifference(printed.image, [](size_t n, int c) { return 255 - Reference(n)[c]; }), 0);
}

}  // namespace
