#include "common/settings/color_matrix.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

TEST(ColorMatrix, NeutralSettingsGiveTheIdentity)
{
    ColorAdjustMatrix m{};
    ASSERT_EQ(BuildColorAdjustMatrix(&m, 0, 0, 0), 0);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(m.m[i], i % 4 == 0 ? 65536 : 0) << i;
    for (int o : m.offset)
        EXPECT_EQ(o, 0);
    std::array<uint8_t, 12> pixels = {0, 1, 2, 127, 128, 129, 253, 254, 255, 10, 200, 90};
    std::array<uint8_t, 12> out{};
    ApplyColorAdjustMatrix(&m, pixels.data(), out.data(), 4);
    EXPECT_EQ(out, pixels);
}

TEST(ColorMatrix, FactorsAtTheLimits)
{
    ColorAdjustMatrix m{};
    ASSERT_EQ(BuildColorAdjustMatrix(&m, 0, -100, 0), 0);  // s = 0.5, k = 1
    EXPECT_EQ(m.m[0], static_cast<int32_t>((0.7 * 0.5 + 0.3) * 65536));
    EXPECT_EQ(m.m[1], static_cast<int32_t>(0.59 * 0.5 * 65536));
    ASSERT_EQ(BuildColorAdjustMatrix(&m, 0, 100, 0), 0);  // s = 2
    EXPECT_EQ(m.m[4], static_cast<int32_t>((0.41 * 2 + 0.59) * 65536));
    EXPECT_EQ(m.m[3], static_cast<int32_t>(0.3 * -1.0 * 65536));
    ASSERT_EQ(BuildColorAdjustMatrix(&m, 0, 0, 100), 0);  // k = 1.3
    EXPECT_EQ(m.offset[0], static_cast<int32_t>(-76.5 * 65536));
    EXPECT_EQ(m.m[8], static_cast<int32_t>((0.89 + 0.11 * 1.3) * 65536));
    ColorAdjustMatrix clamped{};
    ASSERT_EQ(BuildColorAdjustMatrix(&clamped, 0, 0, 32000), 0);
    EXPECT_EQ(std::memcmp(&clamped, &m, sizeof m), 0);
    EXPECT_EQ(BuildColorAdjustMatrix(nullptr, 0, 0, 0), -1);
}

TEST(ColorMatrix, BrightnessIsClampedAndAdded)
{
    ColorAdjustMatrix m{};
    ASSERT_EQ(BuildColorAdjustMatrix(&m, 150, 0, 0), 0);
    const uint8_t pixels[] = {0, 100, 250};
    uint8_t out[3] = {};
    ApplyColorAdjustMatrix(&m, pixels, out, 1);
    EXPECT_EQ(out[0], 50);
    EXPECT_EQ(out[1], 150);
    EXPECT_EQ(out[2], 255);
}

TEST(ColorMatrix, GreyStaysGreyUnderAnySaturation)
{
    for (int16_t saturation : {-100, -50, 50, 100}) {
        ColorAdjustMatrix m{};
        ASSERT_EQ(BuildColorAdjustMatrix(&m, 0, saturation, 0), 0);
        for (int v = 0; v < 256; v += 15) {
            const uint8_t pixel[3] = {uint8_t(v), uint8_t(v), uint8_t(v)};
            uint8_t out[3];
            ApplyColorAdjustMatrix(&m, pixel, out, 1);
            EXPECT_EQ(out[0], out[1]);
            EXPECT_EQ(out[1], out[2]);
            EXPECT_NEAR(out[0], v, 1) << saturation;
        }
    }
    const uint8_t pixel[3] = {1, 2, 3};
    uint8_t out[3] = {};
    ApplyColorAdjustMatrix(nullptr, pixel, out, 1);
    EXPECT_EQ(out[2], 3);
}

class IccProfile : public ::testing::Test {
protected:
    std::string path_;
    void SetUp() override
    {
        char dir[MAX_PATH];
        GetTempPathA(MAX_PATH, dir);
        path_ = std::string(dir) + "morva_icc_test.icc";
    }
    void TearDown() override { DeleteFileA(path_.c_str()); }
    void Write(const char* deviceClass, const char* space, const char* pcs, const char* signature,
               size_t length = 132)
    {
        std::string header(length, '\0');
        auto put = [&](size_t at, const char* tag) {
            if (at + 4 <= header.size())
                header.replace(at, 4, tag, 4);
        };
        put(12, deviceClass);
        put(16, space);
        put(20, pcs);
        put(36, signature);
        FILE* f = std::fopen(path_.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(header.data(), 1, header.size(), f);
        std::fclose(f);
    }
};

TEST_F(IccProfile, AnswersAndTheFileIsClosedOnEveryPath)
{
    struct Case {
        const char *deviceClass, *space, *pcs, *signature;
        size_t length;
        int answer;
    };
    const Case cases[] = {
        {"mntr", "RGB ", "XYZ ", "acsp", 132, 1}, {"scnr", "RGB ", "Lab ", "nicc", 132, 2},
        {"prtr", "RGB ", "XYZ ", "acsp", 132, -6}, {"mntr", "CMYK", "XYZ ", "acsp", 132, -6},
        {"mntr", "RGB ", "RGB ", "acsp", 132, -7}, {"mntr", "RGB ", "XYZ ", "abcd", 132, -5},
        {"mntr", "RGB ", "XYZ ", "acsp", 131, -3}, {"mntr", "RGB ", "XYZ ", "acsp", 100, -3},
    };
    for (const Case& c : cases) {
        Write(c.deviceClass, c.space, c.pcs, c.signature, c.length);
        EXPECT_EQ(CheckIccProfileFile(path_.c_str()), c.answer) << c.deviceClass << c.length;
        // Deleting fails while any handle to the file is still open.
        EXPECT_TRUE(DeleteFileA(path_.c_str())) << c.deviceClass << c.length;
    }
}

TEST_F(IccProfile, BadPaths)
{
    EXPECT_EQ(CheckIccProfileFile(nullptr), -1);
    EXPECT_EQ(CheckIccProfileFile(""), -1);
    EXPECT_EQ(CheckIccProfileFile("\\\\.\\PIPE\\x"), -1);
    EXPECT_EQ(CheckIccProfileFile("\\\\.\\pip"), -2);
    EXPECT_EQ(CheckIccProfileFile((path_ + ".missing").c_str()), -2);
}

}  // namespace
