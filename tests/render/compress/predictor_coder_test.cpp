// The method-8 coder: exact codes of the cases whose bits are known, and
// round trips through the printer-side decoder for everything else.
#include "render/compress/predictor_coder.h"
#include "tests/render/compress/predictor_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

struct Band {
    uint8_t format;
    uint16_t width, rows;
    std::vector<uint8_t> data;
};

int Code(Band& band, uint8_t* method, uint32_t* length)
{
    *method = 1;
    *length = uint32_t(band.data.size());
    return PredictorCoder(nullptr, band.format, band.width, band.rows, method, length, band.data.data());
}

std::vector<uint8_t> Bytes(const Band& band, uint32_t length)
{
    return {band.data.begin(), band.data.begin() + length};
}

TEST(PredictorCoder, AllWhiteRgbIsOnePendingRun)
{
    Band band{kPixelRgb, 100, 50, std::vector<uint8_t>(100 * 50 * 3, 0xFF)};
    uint8_t method;
    uint32_t length;
    ASSERT_EQ(Code(band, &method, &length), kCoderDone);
    EXPECT_EQ(method, 8);
    // Symbol 1 ("0"), length 5000 in class 14, the end code, 1 bits to the byte.
    EXPECT_EQ(Bytes(band, length), (std::vector<uint8_t>{0x7E, 0x87, 0x37, 0xFF}));
}

TEST(PredictorCoder, RunsArePiecesOfAtMost17057)
{
    struct Case {
        uint16_t width;
        std::vector<uint8_t> code;
    };
    const Case cases[] = {
        {17057, {0x7F, 0xFF, 0xFF, 0xFF}},  // one piece
        {17058, {0x7F, 0xFF, 0xF8, 0xFF}},  // 17057, then symbol 1 with length 1
    };
    for (const Case& c : cases) {
        // A grey row of zeros matches the fill on its left throughout.
        Band band{kPixelGrey, c.width, 1, std::vector<uint8_t>(c.width, 0)};
        uint8_t method;
        uint32_t length;
        ASSERT_EQ(Code(band, &method, &length), kCoderDone);
        EXPECT_EQ(Bytes(band, length), c.code) << c.width;
    }
}

Band MakeBand(uint8_t format, uint16_t width, uint16_t rows, uint32_t seed, int noise)
{
    const int bpp = format == kPixelRgb ? 3 : 1;
    Band band{format, width, rows, std::vector<uint8_t>(size_t(width) * rows * bpp)};
    std::mt19937 random(seed);
    for (uint32_t y = 0; y < rows; ++y)
        for (uint32_t x = 0; x < width; ++x)
            for (int c = 0; c < bpp; ++c) {
                // Bands, steps, a diagonal and some noise: every predictor and
                // difference class gets its turn.
                int v = int((x / 7 + y / 3) * (c + 1) * 17 % 256);
                if ((x + y) % 11 == 0)
                    v = int(x * 3 + y);
                if (noise && int(random() % 100) < noise)
                    v = int(random() % 256);
                band.data[(size_t(y) * width + x) * bpp + c] = uint8_t(v);
            }
    return band;
}

TEST(PredictorCoder, RoundTripsThroughThePrinterDecoder)
{
    struct Case {
        uint8_t format;
        uint16_t width, rows;
        int noise;
    };
    const Case cases[] = {
        {kPixelRgb, 640, 32, 0},    {kPixelRgb, 333, 17, 5},   {kPixelRgb, 1, 40, 0},
        {kPixelGrey, 1024, 16, 0},  {kPixelGrey, 777, 9, 20},  {kPixelIndexed, 64, 64, 2},
        {kPixelIndexedPalette, 9, 200, 0}, {kPixelGrey, 4000, 3, 45},
    };
    uint32_t seed = 1;
    int coded = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.format) << " " << c.width << "x" << c.rows << " noise " << c.noise);
        Band band = MakeBand(c.format, c.width, c.rows, seed++, c.noise);
        const std::vector<uint8_t> source = band.data;
        uint8_t method;
        uint32_t length;
        const int result = Code(band, &method, &length);
        if (result == kCoderNotShorter) {
            EXPECT_EQ(band.data, source);
            continue;
        }
        ASSERT_EQ(result, kCoderDone);
        ASSERT_LT(length, source.size());
        ++coded;
        const DecodedBand back = DecodePredictorCode(band.data.data(), length, c.format == kPixelRgb, c.width, c.rows);
        EXPECT_EQ(back.error, "");
        EXPECT_EQ(back.bytesUsed, length);
        EXPECT_TRUE(back.rows == source);
    }
    EXPECT_GE(coded, 7);
}

TEST(PredictorCoder, NoiseIsNotShorterAndStaysAsItWas)
{
    Band band = MakeBand(kPixelRgb, 200, 20, 7, 100);
    const std::vector<uint8_t> source = band.data;
    uint8_t method;
    uint32_t length;
    EXPECT_EQ(Code(band, &method, &length), kCoderNotShorter);
    EXPECT_EQ(method, 1);
    EXPECT_EQ(length, source.size());
    EXPECT_EQ(band.data, source);
}

TEST(PredictorCoder, RefusedBands)
{
    struct Case {
        const char* name;
        uint8_t format;
        uint16_t width, rows;
        uint32_t length;
        int result;
    };
    const Case cases[] = {
        {"unknown format", 5, 10, 10, 300, kCoderBadArgument},
        {"no width", kPixelRgb, 0, 10, 300, kCoderBadArgument},
        {"no rows", kPixelGrey, 10, 0, 300, kCoderBadArgument},
        {"rows longer than the data", kPixelRgb, 10, 10, 299, kCoderBadArgument},
        {"RGB row of 16380 pixels", kPixelRgb, 16380, 1, 16380 * 3, kCoderNotCreated},
        {"grey row of 65516 pixels", kPixelGrey, 65516, 1, 65516, kCoderNotCreated},
        {"grey row of 65515 pixels", kPixelGrey, 65515, 1, 65515, kCoderDone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> data(c.length, 0);
        uint8_t method = 1;
        uint32_t length = c.length;
        EXPECT_EQ(PredictorCoder(nullptr, c.format, c.width, c.rows, &method, &length, data.data()), c.result);
    }
    uint8_t method = 1;
    uint32_t length = 3;
    EXPECT_EQ(PredictorCoder(nullptr, kPixelGrey, 1, 1, &method, &length, nullptr), kCoderBadArgument);
}

TEST(PredictorCoder, ChannelGivesTheSameCode)
{
    TempChannel channel;
    InitTempChannel(&channel, false, nullptr);
    ASSERT_EQ(CreateTempChannelFile(&channel), 0);
    // Something already in the channel is overwritten from offset 0.
    ASSERT_EQ(WriteTempChannel(&channel, "stale bytes", 11), 11);
    Band inMemory = MakeBand(kPixelRgb, 500, 40, 3, 1);
    Band throughChannel = inMemory;
    uint8_t m1, m2 = 1;
    uint32_t l1, l2 = uint32_t(throughChannel.data.size());
    ASSERT_EQ(Code(inMemory, &m1, &l1), kCoderDone);
    ASSERT_EQ(PredictorCoderThroughChannel(&channel, kPixelRgb, 500, 40, &m2, &l2, throughChannel.data.data()),
              kCoderDone);
    EXPECT_EQ(m2, 8);
    ASSERT_EQ(l1, l2);
    EXPECT_EQ(Bytes(inMemory, l1), Bytes(throughChannel, l2));

    Band noise = MakeBand(kPixelGrey, 300, 30, 9, 100);
    const std::vector<uint8_t> source = noise.data;
    l2 = uint32_t(noise.data.size());
    EXPECT_EQ(PredictorCoderThroughChannel(&channel, kPixelGrey, 300, 30, &m2, &l2, noise.data.data()),
              kCoderNotShorter);
    EXPECT_EQ(noise.data, source);
    CloseTempChannel(&channel);
    l2 = uint32_t(noise.data.size());
    EXPECT_EQ(PredictorCoderThroughChannel(&channel, kPixelGrey, 300, 30, &m2, &l2, noise.data.data()),
              kCoderChannelUnusable);
}

}  // namespace
