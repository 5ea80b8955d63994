// The outside processing library: with setting 1343 each sheet face goes
// through the library found in the system directory, and its result comes
// back as one image page. The stand-in writes "RASTER-n" for its n-th call.
#include "tests/frame/frame_fixture.h"
#include "tests/frame/frame_jobs.h"

#include "common/settings/function_ids.h"
#include "common/settings/value_engine.h"
#include "printhost/host_dc.h"
#include "tests/support/test_files.h"
#include "tools/morva_reader/morva_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

using frame_test::Count;
using frame_test::FrameDriver;

constexpr uint16_t kExternalProcessing = 1343;

// The driver's temporary files now in the temporary directory.
std::set<std::wstring> TemporaryFiles()
{
    wchar_t directory[MAX_PATH];
    GetTempPathW(MAX_PATH, directory);
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((std::wstring(directory) + L"ZQP*.tmp").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
        names.insert(found.cFileName);
    while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

// Hands a printer settings record (when one is given) to the job's DC ahead
// of its pages, as the interface library does (escape 20491).
std::function<void(HDC)> HandPrinterSettings(std::vector<uint8_t> printer)
{
    if (printer.empty())
        return nullptr;
    return [printer](HDC dc) {
        constexpr int kSetPrinterSettings = 20491;
        EXPECT_EQ(HostExtEscape(dc, kSetPrinterSettings, static_cast<int>(printer.size()),
                                reinterpret_cast<const char*>(printer.data()), 0, nullptr),
                  1);
    };
}

// Two pages, each with one filled rectangle and a small colour image, the
// second with one more rectangle; the listing of the job.
std::string PrintTwoPages(const std::vector<frame_test::SettingPair>& pairs,
                          const std::vector<uint8_t>& printerSettings = {})
{
    FrameDriver& driver = frame_test::SharedFrameDriver();
    EXPECT_TRUE(driver.ok());
    const printhost::PageDrawer page = [](HDC dc, const GDIINFO&) {
        constexpr int kSide = 32;
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), kSide, -kSide, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        std::vector<uint8_t> bits(kSide * kSide * 3);
        for (size_t i = 0; i < bits.size(); ++i)
            bits[i] = static_cast<uint8_t>(i * 5);
        return Rectangle(dc, 100, 100, 600, 400) != 0 &&
               StretchDIBits(dc, 700, 700, kSide, kSide, 0, 0, kSide, kSide, bits.data(), &info, DIB_RGB_COLORS,
                             SRCCOPY) == kSide;
    };
    const printhost::PageDrawer more = [page](HDC dc, const GDIINFO& info) {
        return page(dc, info) && Rectangle(dc, 900, 900, 1200, 1300) != 0;
    };
    return frame_test::PrintDrawnPages(driver.ExtendedDevmode(frame_test::A4At600(pairs)), {page, more},
                                       HandPrinterSettings(printerSettings))
        .commands;
}

std::string Hex(const std::string& text)
{
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : text) {
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
    return out;
}

class FrameExternal : public ::testing::Test {
protected:
    void SetUp() override
    {
        log = printhost_test::TempPath(L"callhb.log");
        DeleteFileW(log.c_str());
        SetEnvironmentVariableW(L"CALLHB_STANDIN_LOG", log.c_str());
        placed = SystemDirectoryFile(L"C4530HB.DLL");
        ASSERT_TRUE(CopyFileW(BesideTestProgram(L"callhb_standin.dll").c_str(), placed.c_str(), FALSE));
        before = TemporaryFiles();
    }
    void TearDown() override
    {
        SetEnvironmentVariableW(L"CALLHB_STANDIN_LOG", nullptr);
        SetEnvironmentVariableW(L"CALLHB_STANDIN_REFUSE", nullptr);
        EXPECT_TRUE(DeleteFileW(placed.c_str())) << "the library is still loaded";
        DeleteFileW(log.c_str());
        // No temporary file outlives its page.
        EXPECT_EQ(TemporaryFiles(), before);
    }
    std::wstring log, placed;
    std::set<std::wstring> before;
};

TEST_F(FrameExternal, EachFaceBecomesTheLibrarysImage)
{
    const std::string commands = PrintTwoPages({{kExternalProcessing, 1}, {kFidColorMode, 1}});
    // Per face: its attributes, the placement, the image of the whole file
    // (A4 at 600 dpi is 4961 x 7016 dots), sheet output and end.
    for (const char* raster : {"RASTER-1", "RASTER-2"}) {
        const std::string image = "width=4961 height=7016";
        const size_t at = commands.find("data=" + Hex(raster));
        ASSERT_NE(at, std::string::npos) << raster << "\n" << commands;
        const size_t line = commands.rfind("\nCq ", at);
        EXPECT_NE(commands.substr(line, at - line).find(image), std::string::npos) << commands.substr(line, at - line);
        EXPECT_EQ(commands.find("\nFB\nED\n", at), commands.find('\n', at)) << commands;
        const size_t placement = commands.rfind("\nAa ", line);
        ASSERT_NE(placement, std::string::npos);
        EXPECT_NE(commands.rfind("\nEc ", placement), std::string::npos);
    }
    // The drawing itself went to the library, not into the job.
    EXPECT_EQ(Count(commands, "\nCG "), 0u) << commands;
    EXPECT_EQ(commands.substr(commands.size() - 3), "\nEB");
    // The library is told of a sheet at least 900 mm high (9000 tenths at
    // 600 dpi are 21260 dots); the image it gives back has the sheet's size.
    const std::string calls = printhost_test::ReadTextFile(log);
    EXPECT_EQ(Count(calls, " records=1 mode=1 size=4961x21260 res=600 duplex=1 data=C4530HB.DAT dir=ok\n"), 2u)
        << calls;
    EXPECT_EQ(calls.find("input=0 "), std::string::npos) << calls;
}

// The faces reach the library in the document's order, or from the last one
// when the job asks for reverse order.
TEST_F(FrameExternal, FacesInTheJobsOrder)
{
    for (uint32_t reverse : {0u, 1u}) {
        DeleteFileW(log.c_str());
        PrintTwoPages({{kExternalProcessing, 1}, {kFidColorMode, 1}, {kFidReverseOrder, reverse}});
        const std::string calls = printhost_test::ReadTextFile(log);
        long first = 0, second = 0;
        ASSERT_EQ(std::sscanf(calls.c_str(), "call %*d input=%ld", &first), 1) << calls;
        ASSERT_EQ(std::sscanf(calls.c_str() + calls.find('\n') + 1, "call %*d input=%ld", &second), 1) << calls;
        // The second page holds more.
        EXPECT_EQ(first < second, reverse == 0) << calls;
    }
}

// The library's raster is embedded by the sheet's colour code: a colour sheet
// (colour mode 2, code 2) as RGB, a grey one (mode 1, code 1) as grey.
TEST_F(FrameExternal, EmbeddedImageKindFollowsTheSheetColour)
{
    const struct {
        uint32_t colourMode;
        const char* kind;
    } kCases[] = {{1, " kind=3 "}, {2, " kind=4 "}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.colourMode);
        const std::string commands = PrintTwoPages({{kExternalProcessing, 1}, {kFidColorMode, c.colourMode}});
        const size_t at = commands.find("data=" + Hex("RASTER-1"));
        ASSERT_NE(at, std::string::npos) << commands;
        const size_t line = commands.rfind("\nCq ", at);
        EXPECT_NE(commands.substr(line, at - line).find(c.kind), std::string::npos) << commands.substr(line, at - line);
    }
}

TEST_F(FrameExternal, APageTheLibraryRefusesIsLeftOut)
{
    SetEnvironmentVariableW(L"CALLHB_STANDIN_REFUSE", L"1");
    const std::string commands = PrintTwoPages({{kExternalProcessing, 1}, {kFidColorMode, 1}});
    EXPECT_EQ(commands.find("data=" + Hex("RASTER-1")), std::string::npos) << commands;
    EXPECT_NE(commands.find("data=" + Hex("RASTER-2")), std::string::npos) << commands;
    EXPECT_EQ(Count(commands, "\nED\n"), 1u) << commands;
}

// A colour mode the library has no mode for: the faces go as drawn, their
// images uncompressed whatever the compression setting asks, since the job
// meant them for the library.
TEST_F(FrameExternal, WithoutALibraryModeFacesGoAsDrawn)
{
    constexpr uint16_t kCompression = 330;
    const std::string commands = PrintTwoPages({{kExternalProcessing, 1}, {kFidColorMode, 3}, {kCompression, 1}});
    EXPECT_EQ(commands.find("RASTER"), std::string::npos);
    EXPECT_EQ(Count(commands, "\nCG "), 3u) << commands;
    EXPECT_EQ(Count(commands, "\nCq "), 2u) << commands;
    EXPECT_EQ(Count(commands, " method=1 "), 2u) << commands;
    EXPECT_EQ(printhost_test::ReadTextFile(log), "");
}

constexpr uint32_t kStream206 = 0x01020006;  // palettes ("AV") and the page axis ("AA") with "Ec"

// The printer settings of a printer of stream 2.0.6: the driver's own record
// with setting 8205 set.
std::vector<uint8_t> PrinterOfStream206()
{
    constexpr int kGetPrinterSettings = 20492;
    std::vector<uint8_t> devmode = frame_test::SharedFrameDriver().ExtendedDevmode(frame_test::A4At600({}));
    std::vector<uint8_t> printer(7964);
    std::wstring error;
    HDC dc = printhost::CreatePrinterDc(frame_test::SharedFrameDriver().printerName(),
                                        reinterpret_cast<DEVMODEW*>(devmode.data()), &error);
    if (dc == nullptr ||
        HostExtEscape(dc, kGetPrinterSettings, 0, nullptr, static_cast<int>(printer.size()),
                      reinterpret_cast<char*>(printer.data())) != 1) {
        ADD_FAILURE() << "no printer settings";
        if (dc != nullptr)
            HostDeleteDC(dc);
        return {};
    }
    HostDeleteDC(dc);
    uint16_t type = 0, kind = 0;
    uint32_t size = 0;
    uint64_t value = 0;
    EXPECT_EQ(dma_GetValue(kFidStreamVersion, devmode.data(), printer.data(), &type, &size, &value, &kind), 0);
    value = kStream206;
    EXPECT_EQ(dma_SetValue(kFidStreamVersion, devmode.data(), printer.data(), type, size, &value), 0);
    return printer;
}

// Two pages, each with a four-colour palette image; the listing of the job.
std::string PrintPaletteImages(const std::vector<frame_test::SettingPair>& pairs)
{
    FrameDriver& driver = frame_test::SharedFrameDriver();
    EXPECT_TRUE(driver.ok());
    const printhost::PageDrawer page = [](HDC dc, const GDIINFO&) {
        constexpr int kSide = 16;
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colours[4];
        } info{{sizeof(BITMAPINFOHEADER), kSide, -kSide, 1, 8, BI_RGB, 0, 0, 0, 4, 0},
               {{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}, {255, 255, 255, 0}}};
        std::vector<uint8_t> bits(kSide * kSide);
        for (size_t i = 0; i < bits.size(); ++i)
            bits[i] = static_cast<uint8_t>(i % 4);
        return StretchDIBits(dc, 300, 300, kSide * 4, kSide * 4, 0, 0, kSide, kSide, bits.data(),
                             reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY) == kSide;
    };
    return frame_test::PrintDrawnPages(driver.ExtendedDevmode(frame_test::A4At600(pairs)), {page, page},
                                       HandPrinterSettings(PrinterOfStream206()))
        .commands;
}

// A face meant for the library is drawn as a stream of 1.9.1, which knows no
// separate palettes; the library missing (colour mode 3), the faces go into
// the job as drawn. Their media is sent at the replay, after each face has
// given the job its own version back: "AA" follows every "Ec".
TEST_F(FrameExternal, FacesForTheLibraryAreDrawnAsStreamsOfItsVersion)
{
    for (uint32_t external : {0u, 1u}) {
        SCOPED_TRACE(external);
        const std::string commands =
            PrintPaletteImages({{kExternalProcessing, external}, {kFidColorMode, 3}});
        EXPECT_EQ(Count(commands, "\nCq "), 2u) << commands;
        EXPECT_EQ(Count(commands, "\nAV ") > 0, external == 0) << commands;
        EXPECT_EQ(Count(commands, "\nEc "), 2u) << commands;
        EXPECT_EQ(Count(commands, "\nAA "), 2u) << commands;
    }
}

// Each face tells the resolution again right after its attributes, and its
// placement and sheet end, held back as items, reach the job at the replay.
TEST_F(FrameExternal, EachFaceTellsTheResolutionAgain)
{
    for (uint32_t external : {0u, 1u}) {
        SCOPED_TRACE(external);
        const std::string commands = PrintTwoPages({{kExternalProcessing, external}, {kFidColorMode, 3}});
        EXPECT_EQ(Count(commands, "\nFA kind=1 value=600\n"), external ? 3u : 1u) << commands;
        EXPECT_EQ(Count(commands, "\nFB\nED\n"), 2u) << commands;
        EXPECT_EQ(Count(commands, "\nAa "), 2u) << commands;
        for (size_t at = commands.find("\nEc "); at != std::string::npos; at = commands.find("\nEc ", at + 1)) {
            const size_t next = commands.find('\n', at + 1);
            EXPECT_EQ(commands.compare(next, 5, "\nFA k") == 0, external != 0) << commands.substr(at, 80);
        }
    }
}

// The library gets each face as a stream of its own: the face's media in the
// library's version (no "AA"), the resolution, the drawing and its placement,
// the sheet output, but not the sheet end, which belongs to the image page
// the job gets in its place (told in the job's own version).
TEST_F(FrameExternal, TheLibraryGetsEachFaceAsAStreamOfItsOwn)
{
    const std::wstring keep = printhost_test::TempPath(L"callhb-faces");
    CreateDirectoryW(keep.c_str(), nullptr);
    SetEnvironmentVariableW(L"CALLHB_STANDIN_KEEP", keep.c_str());
    const std::string commands = PrintTwoPages({{kExternalProcessing, 1}, {kFidColorMode, 1}}, PrinterOfStream206());
    SetEnvironmentVariableW(L"CALLHB_STANDIN_KEEP", nullptr);
    EXPECT_EQ(Count(commands, "\nEc "), 2u) << commands;
    EXPECT_EQ(Count(commands, "\nAA "), 2u) << commands;
    // The second page draws one rectangle more.
    for (size_t n : {1u, 2u}) {
        const std::wstring path = keep + L"\\face-" + std::to_wstring(n) + L".bin";
        const std::string bytes = printhost_test::ReadTextFile(path);
        DeleteFileW(path.c_str());
        MorvaListing listing;
        ASSERT_TRUE(ReadMorvaCommands(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), {}, &listing))
            << listing.error;
        const std::string face = "\n" + CommandTexts(listing) + "\n";
        EXPECT_EQ(face.find("\nEc "), 0u) << face;
        EXPECT_EQ(Count(face, "\nFA kind=1 value=600\n"), 1u) << face;
        EXPECT_EQ(Count(face, "\nAA "), 0u) << face;
        EXPECT_EQ(Count(face, "\nAa "), 1u) << face;
        EXPECT_EQ(Count(face, "\nCG "), n) << face;
        EXPECT_EQ(Count(face, "\nFB\n"), 1u) << face;
        EXPECT_EQ(Count(face, "\nED\n"), 0u) << face;
    }
    EXPECT_TRUE(RemoveDirectoryW(keep.c_str()));
}

// Poster tiles and booklet sides replay their pages with their own items:
// with the faces meant for the library each is still one sheet with its media,
// its output and its end, and every page tells the resolution again.
TEST(FrameExternalLayout, PosterAndBookletSheetsKeepTheirShape)
{
    constexpr uint16_t kPosterBooklet = 321;
    constexpr uint16_t kPosterGrid = 296;
    const struct {
        std::vector<frame_test::SettingPair> layout;
        size_t pages, sheets, values;
    } kCases[] = {
        {{{kPosterBooklet, 1}, {kPosterGrid, 514}}, 1, 4, 4},  // 2 x 2 tiles, each with the page's "FA"
        {{{kPosterBooklet, 2}}, 5, 4, 5},                      // five pages on four sides
    };
    for (const auto& c : kCases) {
        for (uint32_t external : {0u, 1u}) {
            SCOPED_TRACE(testing::Message() << c.pages << " " << external);
            std::vector<frame_test::SettingPair> settings = c.layout;
            settings.push_back({kExternalProcessing, external});
            const frame_test::PrintedJob job =
                frame_test::PrintJob({std::vector<bool>(c.pages, true), frame_test::Ending::kEndDoc, settings});
            ASSERT_TRUE(job.read) << job.listing.error;
            EXPECT_EQ(Count(job.commands, "\nFB\nED\n"), c.sheets) << job.commands;
            EXPECT_EQ(Count(job.commands, "\nED\n"), c.sheets) << job.commands;
            EXPECT_EQ(Count(job.commands, "\nEc "), c.sheets) << job.commands;
            EXPECT_EQ(Count(job.commands, "\nFA "), external ? 1 + c.values : 1u) << job.commands;
        }
    }
}

// A page with a masked blit (a 24-bit picture through a one-bit mask) and two
// fills with the same hatch brush; the listing of the job.
std::string PrintMaskAndHatches(const std::vector<frame_test::SettingPair>& pairs)
{
    FrameDriver& driver = frame_test::SharedFrameDriver();
    EXPECT_TRUE(driver.ok());
    const printhost::PageDrawer page = [](HDC dc, const GDIINFO&) {
        constexpr int kSide = 8;
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), kSide, -kSide, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP picture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (picture == nullptr)
            return false;
        for (int i = 0; i < kSide * kSide * 3; ++i)
            static_cast<uint8_t*>(bits)[i] = static_cast<uint8_t>(i * 3);
        uint8_t maskRows[kSide * 2];
        for (int y = 0; y < kSide; ++y) {
            maskRows[y * 2] = y % 2 ? 0xF0 : 0x0F;
            maskRows[y * 2 + 1] = 0;
        }
        HBITMAP mask = CreateBitmap(kSide, kSide, 1, 1, maskRows);
        HDC source = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(source, picture);
        bool drawn = MaskBlt(dc, 300, 300, kSide, kSide, source, 0, 0, mask, 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029)) != 0;
        SelectObject(source, old);
        DeleteDC(source);
        DeleteObject(mask);
        DeleteObject(picture);
        HBRUSH hatch = CreateHatchBrush(HS_CROSS, RGB(255, 0, 0));
        HGDIOBJ oldBrush = SelectObject(dc, hatch);
        HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, RGB(255, 255, 255));
        drawn = drawn && Rectangle(dc, 600, 600, 900, 900) != 0 && Rectangle(dc, 1000, 600, 1300, 900) != 0;
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(hatch);
        return drawn;
    };
    return frame_test::PrintDrawnPages(driver.ExtendedDevmode(frame_test::A4At600(pairs)), {page}).commands;
}

// Faces meant for the library tell their size as 'Q' page attributes (in whole
// dots of the job's resolution: A4 keeps its size), leave masked blits to
// the engine, which hands them back as a plain copy, and send every brush
// background. The colour mode 3 has no library mode, so the faces are listed
// as they were drawn.
TEST_F(FrameExternal, FacesForTheLibraryHaveSizedPagesAndNoMasks)
{
    for (uint32_t external : {0u, 1u}) {
        SCOPED_TRACE(external);
        const std::string commands = PrintMaskAndHatches({{kExternalProcessing, external}, {kFidColorMode, 3}});
        const size_t media = commands.find("Ec ");
        ASSERT_NE(media, std::string::npos) << commands;
        const std::string line = commands.substr(media, commands.find('\n', media) - media);
        if (external) {
            EXPECT_NE(line.find(" kind=81 width=210 height=297"), std::string::npos) << line;
            EXPECT_EQ(Count(commands, " mask=2 "), 0u) << commands;
            EXPECT_EQ(Count(commands, "\nCq "), 1u) << commands;
            EXPECT_EQ(Count(commands, "\nAQ "), 2u) << commands;
        } else {
            EXPECT_NE(line.find(" kind=5"), std::string::npos) << line;
            EXPECT_EQ(Count(commands, " mask=2 "), 1u) << commands;
            EXPECT_EQ(Count(commands, "\nAQ "), 1u) << commands;
        }
    }
    EXPECT_EQ(printhost_test::ReadTextFile(log), "");
}

}  // namespace
