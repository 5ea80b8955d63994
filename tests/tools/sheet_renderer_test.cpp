// The sheet renderer's pieces: its predictor decoder against the driver's
// coder (written apart, they must agree) and against code written by hand, the
// placement of drawing on a sheet, its failures, and the PNG form.
#include "tools/morva_renderer/image_codecs.h"
#include "tools/morva_renderer/sheet_image.h"
#include "tools/morva_renderer/sheet_renderer.h"

#include "render/compress/predictor_coder.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;

// A band that codes well: flat areas, steps, gradients and some noise.
Bytes TestBand(int width, int rows, int channels, uint32_t seed)
{
    Bytes data(size_t(width) * size_t(rows) * size_t(channels));
    uint32_t state = seed;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < channels; ++c) {
                state = state * 1103515245u + 12345u;
                uint8_t v = 255;
                if ((x / 16 + y / 4) % 3 == 1)
                    v = uint8_t(x * 3 + c * 40);
                else if ((x / 16 + y / 4) % 3 == 2)
                    v = uint8_t((state >> 16) & 0xFF);
                data[(size_t(y) * size_t(width) + size_t(x)) * size_t(channels) + size_t(c)] = v;
            }
        }
    }
    return data;
}

TEST(SheetRenderer, PredictorCodeOfTheDriverDecodesToItsPixels)
{
    struct Case {
        uint8_t format;
        int width, rows;
        bool white;  // one run across every row (pieces of at most 17057)
    };
    const Case cases[] = {
        {kPixelRgb, 200, 30, false}, {kPixelGrey, 333, 17, false}, {kPixelIndexedPalette, 64, 64, false},
        {kPixelRgb, 5000, 8, true},  {kPixelGrey, 17057, 1, true}, {kPixelGrey, 1, 3000, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.rows) + " format " + std::to_string(c.format));
        const int channels = c.format == kPixelRgb ? 3 : 1;
        Bytes band = c.white ? Bytes(size_t(c.width) * size_t(c.rows) * size_t(channels), 0xFF)
                             : TestBand(c.width, c.rows, channels, uint32_t(c.width));
        const Bytes original = band;
        uint8_t method = 1;
        uint32_t length = uint32_t(band.size());
        ASSERT_EQ(PredictorCoder(nullptr, c.format, uint16_t(c.width), uint16_t(c.rows), &method, &length, band.data()),
                  kCoderDone);
        ASSERT_EQ(method, 8);
        Bytes decoded;
        std::string error;
        ASSERT_TRUE(DecodePredictorCode(band.data(), length, c.width, c.rows, channels, &decoded, &error)) << error;
        EXPECT_TRUE(decoded == original);
    }
}

TEST(SheetRenderer, PredictorCodeWrittenByHand)
{
    // Four white RGB pixels: symbol 1 ("0"), length 4 ("100" and the extra
    // bit 0), the end code (11111 111), 1 bits to the byte.
    const Bytes code = {0x47, 0xFF};
    Bytes pixels;
    std::string error;
    ASSERT_TRUE(DecodePredictorCode(code.data(), code.size(), 4, 1, 3, &pixels, &error)) << error;
    EXPECT_EQ(pixels, Bytes(12, 0xFF));
    // Grey 10, 12: literal ("10", +10: class 101, sign 0, 10 - 8 in three
    // bits), literal ("10", +2: 011, sign 0, 0), end code.
    const Bytes grey = {0xA9, 0x4C, 0xFF};
    ASSERT_TRUE(DecodePredictorCode(grey.data(), grey.size(), 2, 1, 1, &pixels, &error)) << error;
    EXPECT_EQ(pixels, (Bytes{10, 12}));
    // Cut short: the rows cannot be completed.
    EXPECT_FALSE(DecodePredictorCode(code.data(), 1, 8, 1, 3, &pixels, &error));
    EXPECT_FALSE(error.empty());
}

void Put16(Bytes& b, int v)
{
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}

void PutFloat(Bytes& b, float f)
{
    uint32_t v;
    std::memcpy(&v, &f, 4);
    for (int shift = 24; shift >= 0; shift -= 8)
        b.push_back(uint8_t(v >> shift));
}

void PutOp(Bytes& b, const char* op)
{
    b.push_back(uint8_t(op[0]));
    b.push_back(uint8_t(op[1]));
}

// A job of one 100 x 50 mm sheet, drawing at 600 dpi placed by (0.12, 0, 0,
// -0.12, 0, f): a red rectangle from (600, 600) to (1200, 900).
Bytes OneSheetJob(float f, bool mediaFirst = true, uint8_t mediaKind = 'Q')
{
    const std::string head = "%ZQRQD-2.0.6%\n%WINNT-6.1,RQDDRV-2801.1%\n";
    Bytes b(head.begin(), head.end());
    PutOp(b, "EA");
    b.push_back(0x90);
    auto media = [&] {
        PutOp(b, "Ec");
        b.insert(b.end(), {1, 0, mediaKind});
        if (mediaKind == 'Q') {
            PutFloat(b, 100.0f);
            PutFloat(b, 50.0f);
        }
    };
    if (mediaFirst)
        media();
    PutOp(b, "Aa");
    for (float v : {0.12f, 0.0f, 0.0f, -0.12f, 0.0f, f})
        PutFloat(b, v);
    PutOp(b, "AM");
    b.insert(b.end(), {2, 4, 255, 0, 0});
    PutOp(b, "AK");
    b.push_back(2);
    PutOp(b, "CG");
    for (int v : {600, 600, 1200, 900})
        Put16(b, v);
    if (!mediaFirst)
        media();
    PutOp(b, "FB");
    PutOp(b, "ED");
    PutOp(b, "EB");
    return b;
}

bool IsRed(const SheetImage& image, int x, int y)
{
    const uint8_t* p = image.At(x, y);
    return p[0] == 255 && p[1] == 0 && p[2] == 0;
}

size_t InkPixels(const SheetImage& image)
{
    size_t n = 0;
    for (size_t i = 0; i < image.rgb.size(); i += 3)
        n += image.rgb[i] != 255 || image.rgb[i + 1] != 255 || image.rgb[i + 2] != 255;
    return n;
}

TEST(SheetRenderer, DrawingLandsWhereThePlacementPutsItOnTheSheet)
{
    // The sheet's y axis runs up from its lower edge: device row y lands at
    // H - 0.12 y points, one point a pixel at 72 dpi.
    const float sheetHeight = float(50.0 * 72 / 25.4);
    const Bytes job = OneSheetJob(sheetHeight);
    SheetRenderOptions options;
    options.dpi = 72;
    SheetRenderResult result;
    ASSERT_TRUE(RenderMorvaJob(job.data(), job.size(), options, &result)) << result.error;
    ASSERT_EQ(result.sheets.size(), 1u);
    const SheetImage& sheet = result.sheets[0].image;
    EXPECT_EQ(sheet.width, 283);
    EXPECT_EQ(sheet.height, 142);
    EXPECT_TRUE(result.notes.empty());
    for (int y : {73, 90, 107})
        for (int x : {73, 100, 143})
            EXPECT_TRUE(IsRed(sheet, x, y)) << x << ", " << y;
    EXPECT_EQ(InkPixels(sheet), size_t(72 * 36));

    // A placement that puts the page below the sheet leaves it blank.
    const Bytes below = OneSheetJob(-sheetHeight);
    ASSERT_TRUE(RenderMorvaJob(below.data(), below.size(), options, &result)) << result.error;
    ASSERT_EQ(result.sheets.size(), 1u);
    EXPECT_EQ(InkPixels(result.sheets[0].image), 0u);
}

void Put32(Bytes& b, uint32_t v)
{
    Put16(b, int(v >> 16));
    Put16(b, int(v & 0xFFFF));
}

std::vector<std::pair<int, int>> InkAt(const SheetImage& image)
{
    std::vector<std::pair<int, int>> ink;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (image.At(x, y)[0] != 255 || image.At(x, y)[1] != 255 || image.At(x, y)[2] != 255)
                ink.push_back({x, y});
    return ink;
}

TEST(SheetRenderer, GlyphsLandAtTheirOriginsInTheFillColour)
{
    // At 600 dpi under (0.12, 0, 0, -0.12, 0, H) a device pixel is a picture pixel.
    const std::string head = "%ZQRQD-1.7.2%\n%WINNT-6.1,RQDDRV-2801.1%\n";
    Bytes b(head.begin(), head.end());
    PutOp(b, "Ec");
    b.insert(b.end(), {1, 0, 'Q'});
    PutFloat(b, 20.0f);
    PutFloat(b, 10.0f);
    PutOp(b, "Aa");
    for (float v : {0.12f, 0.0f, 0.0f, -0.12f, 0.0f, float(10.0 * 72 / 25.4)})
        PutFloat(b, v);
    PutOp(b, "AM");
    b.insert(b.end(), {2, 4, 0, 0, 255});
    // A bitmap glyph of 8 x 2 whose top left corner lies 2 right of and 2
    // above its origin; 18 bytes of record head and its two rows.
    PutOp(b, "DH");
    Put32(b, 64);
    Put32(b, (1u << 22) | 20);
    PutFloat(b, 2.0f);
    PutFloat(b, -2.0f);
    Put16(b, 2);
    Put16(b, 8);
    b.insert(b.end(), {1, 1, 0xF0, 0x0F});
    PutOp(b, "DI");
    Put16(b, 100);
    Put16(b, 100);
    Put32(b, 64);
    // An outline glyph: a square of 4 pixels above and right of its origin,
    // points 64 to the pixel, codes move, line x 3, close, end; one filler byte.
    PutOp(b, "DH");
    Put32(b, 128);
    Put32(b, 28);
    Put16(b, 4);
    Put16(b, 6);
    for (int v : {0, 0, 256, 0, 256, -256, 0, -256})
        Put16(b, v);
    b.insert(b.end(), {0x12, 0x22, 0x56, 34});
    PutOp(b, "DI");
    Put16(b, 200);
    Put16(b, 100);
    Put32(b, 128);
    PutOp(b, "FB");
    PutOp(b, "EB");

    SheetRenderResult result;
    ASSERT_TRUE(RenderMorvaJob(b.data(), b.size(), SheetRenderOptions{}, &result)) << result.error;
    ASSERT_EQ(result.sheets.size(), 1u);
    std::vector<std::pair<int, int>> expected;
    for (int x = 102; x < 106; ++x)
        expected.push_back({x, 98});
    for (int x = 106; x < 110; ++x)
        expected.push_back({x, 99});
    for (int y = 96; y < 100; ++y)
        for (int x = 200; x < 204; ++x)
            expected.push_back({x, y});
    std::sort(expected.begin(), expected.end(),
              [](auto a, auto c) { return a.second != c.second ? a.second < c.second : a.first < c.first; });
    EXPECT_EQ(InkAt(result.sheets[0].image), expected);
    const uint8_t* p = result.sheets[0].image.At(102, 98);
    EXPECT_EQ(p[2], 255);
    EXPECT_EQ(p[0], 0);
}

TEST(SheetRenderer, JobsItCannotPlaceAreRefused)
{
    struct Case {
        Bytes job;
        const char* error;
    };
    const Case cases[] = {
        {OneSheetJob(141.7f, false), "drawing before any page media"},
        {OneSheetJob(141.7f, true, 99), "page media kind 99 names no size known here"},
        {Bytes{'%', 'Z', 'Q'}, "job not read"},
    };
    for (const Case& c : cases) {
        SheetRenderResult result;
        EXPECT_FALSE(RenderMorvaJob(c.job.data(), c.job.size(), SheetRenderOptions{}, &result));
        EXPECT_EQ(result.error.rfind(c.error, 0), 0u) << result.error;
    }
}

TEST(SheetRenderer, PngOfOnePixel)
{
    SheetImage image(1, 1);
    image.rgb = {0xFF, 0x00, 0x00};
    // IHDR, one stored deflate block with its Adler-32 sum, IEND, each with its CRC.
    const Bytes expected = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44,
                            0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x02, 0x00, 0x00, 0x00, 0x90,
                            0x77, 0x53, 0xDE, 0x00, 0x00, 0x00, 0x0F, 0x49, 0x44, 0x41, 0x54, 0x78, 0x01, 0x01, 0x04,
                            0x00, 0xFB, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x03, 0x01, 0x01, 0x00, 0x8D, 0x1D, 0xE5, 0x82,
                            0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
    EXPECT_EQ(EncodePng(image), expected);
}

}  // namespace
