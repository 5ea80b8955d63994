// Colour management of a printed page: the job's colour stages act on the
// images and colours that reach the stream. Where a profile is used, the
// colours are checked against Little CMS's results for the same profile.
#include "tests/frame/frame_fixture.h"

#include "common/settings/function_ids.h"
#include "printhost/host_dc.h"
#include "printhost/job_settings.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// ---- Grey jobs and colour pattern brushes ----

constexpr uint16_t kGreyMode = 1, kColourMode = 2, kAutoMode = 0;

std::string HexOf(const std::vector<uint8_t>& bytes)
{
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (uint8_t b : bytes) {
        out += kHex[b >> 4];
        out += kHex[b & 15];
    }
    return out;
}

// The listing's lines that begin with `opcode`.
std::vector<std::string> LinesOf(const std::string& commands, const std::string& opcode)
{
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < commands.size()) {
        const size_t end = std::min(commands.find('\n', at), commands.size());
        const std::string line = commands.substr(at, end - at);
        if (line.rfind(opcode + " ", 0) == 0)
            lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

// The value text of `name=` in a listing line; empty when the line has none.
std::string ValueOf(const std::string& line, const std::string& name)
{
    const size_t at = line.find(" " + name + "=");
    if (at == std::string::npos)
        return {};
    const size_t from = at + name.size() + 2;
    return line.substr(from, line.find(' ', from) - from);
}

// The grey a grey job sends for a colour: 0 for white, 255 for black.
uint8_t InvertedGrey(const uint8_t rgb[3])
{
    return static_cast<uint8_t>(255 - ((77 * rgb[0] + 151 * rgb[1] + 28 * rgb[2]) >> 8));
}

constexpr int kPictureWidth = 4, kPictureHeight = 2;
constexpr uint8_t kPicture[kPictureWidth * kPictureHeight][3] = {
    {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}, {0, 0, 0}, {200, 100, 50}, {17, 17, 17}, {90, 180, 30}};

// A top-down DIB of width x height pixels of the given colours (RGB, row by
// row): 24 bits, or 8 bits with the colours as its palette.
std::vector<uint8_t> TopDownDib(int width, int height, int bits, const uint8_t (*colours)[3])
{
    const int count = width * height;
    const int entries = bits == 8 ? count : 0;
    const int stride = ((width * bits / 8) + 3) & ~3;
    std::vector<uint8_t> dib(sizeof(BITMAPINFOHEADER) + entries * 4 + size_t(stride) * height);
    BITMAPINFOHEADER header = {sizeof(BITMAPINFOHEADER), width, -height, 1, WORD(bits), BI_RGB, 0, 0, 0,
                               DWORD(entries), 0};
    std::memcpy(dib.data(), &header, sizeof header);
    uint8_t* table = dib.data() + sizeof header;
    uint8_t* pixels = table + entries * 4;
    for (int n = 0; n < count; ++n) {
        const uint8_t* c = colours[n];
        uint8_t* p = pixels + (n / width) * stride + (n % width) * (bits / 8);
        if (bits == 8) {
            table[n * 4] = c[2];
            table[n * 4 + 1] = c[1];
            table[n * 4 + 2] = c[0];
            p[0] = uint8_t(n);
        } else {
            p[0] = c[2];
            p[1] = c[1];
            p[2] = c[0];
        }
    }
    return dib;
}

// The picture as a DIB of `bits` bits per pixel.
std::vector<uint8_t> PictureDib(int bits) { return TopDownDib(kPictureWidth, kPictureHeight, bits, kPicture); }

std::string PrintPictures(uint16_t colourMode, uint32_t compression)
{
    FrameDriver& driver = frame_test::SharedFrameDriver();
    EXPECT_TRUE(driver.ok());
    const printhost::PageDrawer page = [](HDC drawing, const GDIINFO&) {
        bool drawn = true;
        for (int bits : {24, 8}) {
            const std::vector<uint8_t> dib = PictureDib(bits);
            const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
            const uint8_t* pixels = dib.data() + sizeof(BITMAPINFOHEADER) + info->bmiHeader.biClrUsed * 4;
            drawn = drawn && StretchDIBits(drawing, bits * 20, 200, kPictureWidth, kPictureHeight, 0, 0, kPictureWidth,
                                           kPictureHeight, pixels, info, DIB_RGB_COLORS, SRCCOPY) == kPictureHeight;
        }
        return drawn;
    };
    const std::vector<frame_test::SettingPair> pairs = {
        {kFidColor, DMCOLOR_COLOR}, {kFidColorMode, colourMode}, {kCompressionSetting, compression}};
    return frame_test::PrintDrawnPages(driver.ExtendedDevmode(frame_test::A4At600(pairs)), {page}).commands;
}

// Images of 4 and 1 bits a pixel are noted for the page's colours pixel by
// pixel from their packed rows; the job is read back whole, with the images'
// palettes as drawn, whether the 4-bit one is widened for compression or not.
TEST(FrameColour, FewBitIndexedImagesPrintWhole)
{
    for (uint32_t compression : {0u, 1u}) {
        SCOPED_TRACE(compression);
        FrameDriver& driver = frame_test::SharedFrameDriver();
        ASSERT_TRUE(driver.ok());
        const printhost::PageDrawer page = [](HDC drawing, const GDIINFO&) {
            bool drawn = true;
            for (int bits : {4, 1}) {
                struct {
                    BITMAPINFOHEADER header;
                    RGBQUAD colours[16];
                } info{};
                const int entries = 1 << bits, width = 5, height = 3;
                info.header = {sizeof(BITMAPINFOHEADER), width, -height, 1, WORD(bits), BI_RGB, 0, 0, 0,
                               DWORD(entries), 0};
                for (int e = 0; e < entries; ++e)
                    info.colours[e] = {BYTE(e * 16), BYTE(255 - e * 16), BYTE(e * 8), 0};
                const uint8_t rows[3][4] = {{0x01, 0x23, 0x40}, {0x56, 0x78, 0x90}, {0xAB, 0xCD, 0xE0}};
                drawn = drawn && StretchDIBits(drawing, bits * 100, 200, width * 10, height * 10, 0, 0, width, height,
                                               rows, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                               SRCCOPY) == height;
            }
            return drawn;
        };
        const std::vector<frame_test::SettingPair> pairs = {{kFidColor, DMCOLOR_COLOR}, {kCompressionSetting, compression}};
        const frame_test::DrawnJob job =
            frame_test::PrintDrawnPages(driver.ExtendedDevmode(frame_test::A4At600(pairs)), {page});
        EXPECT_EQ(job.listing.error, "");
        EXPECT_GE(LinesOf(job.commands, "Cq").size() + LinesOf(job.commands, "Cp").size(), 2u) << job.commands;
    }
}

// A grey job (colour mode 1, the only mode of a monochrome model) sends its
// images as grey: RGB images one inverted grey byte a pixel, palette images a
// palette of greys; any other mode keeps their colours.
TEST(FrameColour, AGreyJobSendsItsImagesAsGrey)
{
    std::vector<uint8_t> rgb, greys, greyPalette;
    for (const auto& c : kPicture) {
        rgb.insert(rgb.end(), c, c + 3);
        greys.push_back(InvertedGrey(c));
        greyPalette.insert(greyPalette.end(), 3, InvertedGrey(c));
    }
    for (uint16_t mode : {kGreyMode, kColourMode, kAutoMode}) {
        SCOPED_TRACE(mode);
        const std::string commands = PrintPictures(mode, 0);
        const std::vector<std::string> images = LinesOf(commands, "Cq");
        ASSERT_EQ(images.size(), 2u) << commands;
        const bool grey = mode == kGreyMode;
        EXPECT_EQ(ValueOf(images[0], "kind"), grey ? "3" : "4") << images[0];
        EXPECT_EQ(ValueOf(images[0], "bits"), "8") << images[0];
        EXPECT_EQ(ValueOf(images[0], "data"), HexOf(grey ? greys : rgb)) << images[0];
        // The palette goes with the image, or ahead of it in "AV".
        const std::vector<std::string> palettes = LinesOf(commands, "AV");
        const std::string& palette = palettes.empty() ? images[1] : palettes[0];
        EXPECT_EQ(ValueOf(palette, "kind"), grey ? "10" : "11") << palette;
        const std::string entries = ValueOf(palette, palettes.empty() ? "palette" : "data");
        const std::vector<uint8_t>& expected = grey ? greyPalette : rgb;
        EXPECT_EQ(entries.substr(0, 30), HexOf(expected).substr(0, 30)) << palette;
    }
}

// A grey job's images go through every compression the job asks for: the
// predictor code keeps them grey, JPEG codes them as grey.
TEST(FrameColour, GreyImagesAreCompressedAsGrey)
{
    struct Case {
        uint32_t compression;
        const char* kind;
        const char* method;
    };
    const Case cases[] = {{0, "3", "1"}, {1, "3", "8"}, {2, "5", "4"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.compression);
        FrameDriver& driver = frame_test::SharedFrameDriver();
        const printhost::PageDrawer page = [](HDC drawing, const GDIINFO&) {
            constexpr int kSide = 64;
            BITMAPINFO info{};
            info.bmiHeader = {sizeof(BITMAPINFOHEADER), kSide, -kSide, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
            std::vector<uint8_t> bits(kSide * kSide * 3);
            for (int y = 0; y < kSide; ++y)
                for (int x = 0; x < kSide; ++x) {
                    uint8_t* p = bits.data() + (y * kSide + x) * 3;
                    p[0] = uint8_t(x * 4);
                    p[1] = uint8_t(y * 4);
                    p[2] = uint8_t(128);
                }
            return StretchDIBits(drawing, 100, 100, kSide, kSide, 0, 0, kSide, kSide, bits.data(), &info,
                                 DIB_RGB_COLORS, SRCCOPY) == kSide;
        };
        const std::vector<frame_test::SettingPair> pairs = {
            {kFidColor, DMCOLOR_COLOR}, {kFidColorMode, kGreyMode}, {kCompressionSetting, c.compression}};
        const std::string commands =
            frame_test::PrintDrawnPages(driver.ExtendedDevmode(frame_test::A4At600(pairs)), {page}).commands;
        const std::vector<std::string> images = LinesOf(commands, "Cq");
        ASSERT_EQ(images.size(), 1u) << commands;
        EXPECT_EQ(ValueOf(images[0], "kind"), c.kind) << images[0];
        EXPECT_EQ(ValueOf(images[0], "method"), c.method) << images[0];
        if (c.compression == 0) {
            EXPECT_EQ(ValueOf(images[0], "length"), "4096") << images[0];
        }
    }
}

// A 2 x 2 pattern of the picture's first colours (or of greys), as a top-down
// DIB of `bits` bits per pixel.
std::vector<uint8_t> PatternDib(int bits, const uint8_t (*colours)[3]) { return TopDownDib(2, 2, bits, colours); }

// One rectangle filled with the pattern brush of `dib`; the "AP" lines.
std::vector<std::string> PrintPattern(const std::vector<uint8_t>& dib, const std::vector<frame_test::SettingPair>& numbers,
                                      const std::vector<std::wstring>& texts)
{
    FrameDriver& driver = frame_test::SharedFrameDriver();
    EXPECT_TRUE(driver.ok());
    std::vector<frame_test::SettingPair> pairs = {{kFidColor, DMCOLOR_COLOR}, {kCompressionSetting, 0}};
    pairs.insert(pairs.end(), numbers.begin(), numbers.end());
    std::vector<uint8_t> devmode = driver.ExtendedDevmode(frame_test::A4At600(pairs));
    std::wstring error;
    EXPECT_TRUE(printhost::ApplySettingPairs(&devmode, texts, &error));
    const printhost::PageDrawer page = [&dib](HDC drawing, const GDIINFO&) {
        HBRUSH brush = CreateDIBPatternBrushPt(dib.data(), DIB_RGB_COLORS);
        HGDIOBJ oldBrush = SelectObject(drawing, brush);
        HGDIOBJ oldPen = SelectObject(drawing, GetStockObject(NULL_PEN));
        const bool drawn = brush != nullptr && Rectangle(drawing, 400, 400, 700, 600) != 0;
        SelectObject(drawing, oldPen);
        SelectObject(drawing, oldBrush);
        DeleteObject(brush);
        return drawn;
    };
    const std::string commands = frame_test::PrintDrawnPages(devmode, {page}).commands;
    return LinesOf(commands, "AP");
}

// 8- and 24-bit pattern brushes go out as their pixels, top row first: RGB,
// or one grey byte a pixel when every pixel is grey.
TEST(FrameColour, ColourPatternsGoOutAsTheirPixels)
{
    constexpr uint8_t kGreys[4][3] = {{0, 0, 0}, {128, 128, 128}, {255, 255, 255}, {17, 17, 17}};
    struct Case {
        const char* name;
        int bits;
        const uint8_t (*colours)[3];
        const char* format;
        std::vector<uint8_t> data;
    };
    const Case cases[] = {
        {"24 bits", 24, kPicture, "4", {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}},
        {"8 bits", 8, kPicture, "4", {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}},
        {"24-bit greys", 24, kGreys, "3", {0, 128, 255, 17}},
        {"8-bit greys", 8, kGreys, "3", {0, 128, 255, 17}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string> patterns = PrintPattern(PatternDib(c.bits, c.colours), {}, {});
        ASSERT_EQ(patterns.size(), 1u);
        EXPECT_EQ(ValueOf(patterns[0], "format"), c.format) << patterns[0];
        EXPECT_EQ(ValueOf(patterns[0], "width"), "2") << patterns[0];
        EXPECT_EQ(ValueOf(patterns[0], "height"), "2") << patterns[0];
        EXPECT_EQ(ValueOf(patterns[0], "length"), std::to_string(c.data.size())) << patterns[0];
        EXPECT_EQ(ValueOf(patterns[0], "data"), HexOf(c.data)) << patterns[0];
    }
}

// A pattern's colours pass the job's colour stages as a solid colour does:
// through a profile each pixel lands within 2 levels of Little CMS's result.
TEST(FrameColour, PatternColoursPassTheColourStages)
{
    uint8_t colours[4][3];
    for (int n = 0; n < 4; ++n)
        std::memcpy(colours[n], kMatrixExpected[kBrushRow + size_t(n) * 97], 3);
    const std::wstring profile = WriteMatrixProfile(L"frame_colour_pattern.icc");
    const std::vector<std::string> patterns =
        PrintPattern(PatternDib(24, colours), {{kCorrectionKind, 2}, {kFirstProfileOn, 1}}, {L"1832=" + profile});
    DeleteFileW(profile.c_str());
    ASSERT_EQ(patterns.size(), 1u);
    ASSERT_EQ(ValueOf(patterns[0], "format"), "4") << patterns[0];
    const std::string data = ValueOf(patterns[0], "data");
    ASSERT_EQ(data.size(), 24u) << patterns[0];
    for (int n = 0; n < 4; ++n)
        for (int c = 0; c < 3; ++c) {
            const int got = std::stoi(data.substr(size_t(n) * 6 + size_t(c) * 2, 2), nullptr, 16);
            EXPECT_LE(std::abs(got - int(kMatrixExpected[kBrushRow + size_t(n) * 97][3 + c])), 2)
                << "pixel " << n << " channel " << c;
        }
}

}  // namespace
