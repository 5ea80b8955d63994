// Images beyond the 16-bit sizes of the image commands: a source wider than
// 32,767 pixels goes as columns, a one-bit image taller than that as bands;
// every piece's header agrees with its data and the pieces cover the source.
#include "tests/frame/frame_fixture.h"

#include "common/settings/function_ids.h"
#include "printhost/engine_objects.h"
#include "tools/morva_reader/morva_reader.h"

#include <gtest/gtest.h>

#include <winspool.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using frame_test::FrameDriver;

constexpr uint16_t kCompressionSetting = 330;  // 0: image data goes as it is

// The number after "name=" in a listing line; -1 when absent.
long Field(const std::string& line, const std::string& name)
{
    const std::string key = " " + name + "=";
    const size_t at = line.find(key);
    return at == std::string::npos ? -1 : std::strtol(line.c_str() + at + key.size(), nullptr, 10);
}

double FloatField(const std::string& line, const std::string& name)
{
    const std::string key = " " + name + "=";
    const size_t at = line.find(key);
    return at == std::string::npos ? -1 : std::strtod(line.c_str() + at + key.size(), nullptr);
}

struct ImageCase {
    uint32_t width, height;
    ULONG format;  // BMF_
    ROP4 rop;
    const char* opcode;        // what each piece goes as
    uint32_t bytesPerPixel;    // of "Cq" data; 0 for one-bit rows
};

TEST(FrameWideImage, PiecesCoverTheSourceAndAgreeWithTheirData)
{
    FrameDriver& driver = frame_test::SharedFrameDriver();
    ASSERT_TRUE(driver.ok());
    const std::vector<uint8_t> devmode =
        driver.ExtendedDevmode(frame_test::A4At600({{kFidColor, DMCOLOR_COLOR}, {kCompressionSetting, 0}}));
    // Black and white for the one-bit source, as GDI would translate it.
    printhost::HostXlate blackWhite;
    blackWhite.xo.flXlate = XO_TABLE;
    blackWhite.table = {0x000000, 0xFFFFFF};
    blackWhite.xo.cEntries = 2;
    blackWhite.xo.pulXlate = blackWhite.table.data();
    printhost::LiveXlates().Add(&blackWhite);
    const ImageCase cases[] = {
        {32767, 2, BMF_24BPP, 0xCCCC, "Cq", 3}, {32768, 2, BMF_24BPP, 0xCCCC, "Cq", 3},
        {65536, 2, BMF_24BPP, 0xCCCC, "Cq", 3}, {40000, 1, BMF_8BPP, 0xCCCC, "Cq", 1},
        {100, 40000, BMF_1BPP, 0xB8B8, "Cp", 0},
    };
    for (const ImageCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        HBITMAP bitmap = EngCreateBitmap(SIZEL{LONG(c.width), LONG(c.height)}, 0, c.format, BMF_TOPDOWN, nullptr);
        ASSERT_NE(bitmap, nullptr);
        SURFOBJ* source = EngLockSurface(reinterpret_cast<HSURF>(bitmap));
        ASSERT_NE(source, nullptr);
        // A pattern whose columns differ, so that a piece placed wrongly shows.
        for (uint32_t y = 0; y < c.height; ++y) {
            auto* row = static_cast<uint8_t*>(source->pvScan0) + ptrdiff_t(y) * source->lDelta;
            for (LONG i = 0; i < std::abs(source->lDelta); ++i)
                row[i] = uint8_t(i * 7 + y);
        }
        DHPDEV pdev = driver.Enable(devmode);
        ASSERT_NE(pdev, nullptr);
        SURFOBJ surface = frame_test::SurfaceOf(pdev);
        const std::wstring file = printhost_test::TempPath(L"frame_wide_image.prn");
        DeleteFileW(file.c_str());
        DOC_INFO_1W doc{const_cast<wchar_t*>(L"wide"), const_cast<wchar_t*>(file.c_str()),
                        const_cast<wchar_t*>(L"RAW")};
        ASSERT_TRUE(StartDocPrinterW(driver.printer(), 1, reinterpret_cast<BYTE*>(&doc)));
        EXPECT_TRUE(driver.entries().startDoc(&surface, const_cast<wchar_t*>(L"wide"), 1));
        EXPECT_TRUE(driver.entries().startPage(&surface));
        RECTL dest{100, 100, 100 + LONG(c.width), 100 + LONG(c.height)};
        POINTL from{0, 0};
        BRUSHOBJ black{};
        XLATEOBJ* xlate = c.format == BMF_1BPP ? &blackWhite.xo : nullptr;
        EXPECT_TRUE(driver.entries().bitBlt(&surface, source, nullptr, nullptr, xlate, &dest, &from, nullptr, &black,
                                            nullptr, c.rop));
        EXPECT_TRUE(driver.entries().sendPage(&surface));
        EXPECT_TRUE(driver.entries().endDoc(&surface, 0));
        EndDocPrinter(driver.printer());
        driver.entries().disablePdev(pdev);
        EngUnlockSurface(source);
        EngDeleteSurface(reinterpret_cast<HSURF>(bitmap));

        const std::string bytes = printhost_test::ReadTextFile(file);
        DeleteFileW(file.c_str());
        MorvaListing listing;
        ASSERT_TRUE(ReadMorvaJob(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), MorvaReadOptions{},
                                 &listing))
            << listing.error;
        uint64_t covered = 0;
        size_t pieces = 0;
        double nextX = 100;  // the columns follow each other from the left
        for (const MorvaCommandLine& line : listing.commands) {
            if (line.text.compare(0, 2, c.opcode) != 0)
                continue;
            ++pieces;
            const long w = Field(line.text, "width"), h = Field(line.text, "height");
            EXPECT_GT(w, 0) << line.text.substr(0, 120);
            EXPECT_GT(h, 0) << line.text.substr(0, 120);
            EXPECT_LE(w, 32767);
            EXPECT_LE(h, 32767);
            const long length = Field(line.text, "length");
            const long expected = c.bytesPerPixel ? w * h * long(c.bytesPerPixel) : (w + 7) / 8 * h;
            EXPECT_EQ(length, expected) << line.text.substr(0, 160);
            if (c.height <= 32767) {
                EXPECT_DOUBLE_EQ(FloatField(line.text, "x"), nextX) << line.text.substr(0, 120);
                nextX += double(w);
            }
            covered += uint64_t(w > 0 ? w : 0) * uint64_t(h > 0 ? h : 0);
        }
        EXPECT_GE(pieces, 1u);
        EXPECT_EQ(covered, uint64_t(c.width) * c.height);
    }
    printhost::LiveXlates().Remove(&blackWhite);
}

}  // namespace
