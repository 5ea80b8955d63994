#include "render/image/colour_transform.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

#include "colour_reference.inc"

struct Reference {
    const char* name;
    const unsigned char* profile;
    size_t size;
    const unsigned char (*expected)[6];
    size_t count;
    // The other engine interpolates a Lab table in Lab, ours in linear light
    // after converting the nodes; in the darkest cells of the grid the two
    // part by up to 9 levels, so dark colours of that profile are compared
    // only where the rest agree.
    int darkestCompared;
};

const Reference kReferences[] = {
    {"matrix", kMatrixProfile, sizeof kMatrixProfile, kMatrixExpected, std::size(kMatrixExpected), 0},
    {"xyz grid", kXyzTableProfile, sizeof kXyzTableProfile, kXyzTableExpected, std::size(kXyzTableExpected), 0},
    {"lab grid", kLabTableProfile, sizeof kLabTableProfile, kLabTableExpected, std::size(kLabTableExpected), 100},
    {"8-bit lab grid", kEightBitTableProfile, sizeof kEightBitTableProfile, kEightBitTableExpected,
     std::size(kEightBitTableExpected), 100},
};

bool Compared(const Reference& reference, const unsigned char* row)
{
    for (int c = 0; c < 3; ++c)
        if (row[c] != 0 && row[c] < reference.darkestCompared)
            return false;
    return true;
}

std::vector<uint8_t> Bytes(const Reference& reference)
{
    return std::vector<uint8_t>(reference.profile, reference.profile + reference.size);
}

void PutBe32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

uint32_t GetBe32(const std::vector<uint8_t>& bytes, size_t at)
{
    return uint32_t{bytes[at]} << 24 | uint32_t{bytes[at + 1]} << 16 | uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
}

TEST(ColourTransform, AgreesWithIndependentEngine)
{
    for (const Reference& reference : kReferences) {
        ColourTransform transform;
        ASSERT_EQ(LoadIccTransformFromBytes(&transform, {reference.profile, reference.size}), 0) << reference.name;
        int worst = 0;
        for (size_t i = 0; i < reference.count; ++i) {
            const unsigned char* row = reference.expected[i];
            if (!Compared(reference, row))
                continue;
            const uint8_t pixel[3] = {row[2], row[1], row[0]};
            uint8_t out[3];
            ApplyColourTransform(&transform, pixel, out, 1);
            for (int c = 0; c < 3; ++c) {
                const int difference = std::abs(out[2 - c] - row[3 + c]);
                worst = std::max(worst, difference);
                EXPECT_LE(difference, 2) << reference.name << " colour " << int{row[0]} << "," << int{row[1]} << ","
                                         << int{row[2]} << " channel " << c;
            }
        }
        std::printf("%s: worst difference %d\n", reference.name, worst);
        ReleaseColourTransform(&transform);
    }
}

TEST(ColourTransform, ProfileReadFromFileAndBadPaths)
{
    const std::string path = "colour_transform_test.icc";
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(kMatrixProfile, 1, sizeof kMatrixProfile, file);
    std::fclose(file);
    ColourTransform transform;
    EXPECT_EQ(LoadIccTransform(&transform, path.c_str()), 0);
    EXPECT_EQ(transform.mode, kTransformMatrix);

    const struct {
        const char* path;
        int result;
    } kPaths[] = {
        {"", -1},
        {"\\\\.\\pipe\\colour", -1},
        {"\\\\.\\PIPE\\colour", -1},
        {"\\\\.\\pipeline.icc", -2},  // the pipe prefix is 9 characters: not a pipe
        {"no such profile.icc", -2},
    };
    for (const auto& row : kPaths) {
        EXPECT_EQ(LoadIccTransform(&transform, row.path), row.result) << row.path;
        EXPECT_EQ(transform.mode, kTransformUnusable);
    }
    EXPECT_EQ(LoadIccTransform(&transform, nullptr), -1);
    // The long-path form of the profile's own path is an ordinary file.
    char full[MAX_PATH] = {};
    ASSERT_GT(GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr), 0u);
    EXPECT_EQ(LoadIccTransform(&transform, (std::string("\\\\?\\") + full).c_str()), 0) << full;
    std::remove(path.c_str());
}

TEST(ColourTransform, HeaderChecks)
{
    const struct {
        size_t at;
        const char* value;
        int result;
    } kCases[] = {
        {36, "xxxx", kIccBadSignature}, {36, "nicc", 0},          {16, "CMYK", kIccBadSignature},
        {12, "prtr", kIccBadClass},     {20, "Lab ", kIccBadClass},  {20, "Luv ", kIccBadClass},
        {12, "scnr", 0},
    };
    for (const auto& row : kCases) {
        std::vector<uint8_t> bytes = Bytes(kReferences[0]);
        std::copy(row.value, row.value + 4, bytes.begin() + row.at);
        ColourTransform transform;
        EXPECT_EQ(LoadIccTransformFromBytes(&transform, bytes), row.result) << row.at << " " << row.value;
    }
}

// Cutting the file at every tag's start and end, and one byte short of it,
// answers a code and never reads past the end.
TEST(ColourTransform, TruncationAtEveryTagBoundary)
{
    for (const Reference& reference : kReferences) {
        const std::vector<uint8_t> whole = Bytes(reference);
        const uint32_t count = GetBe32(whole, 128);
        std::vector<size_t> cuts = {0, 131, 132, 132 + 12 * count - 1};
        for (uint32_t t = 0; t < count; ++t) {
            const size_t entry = 132 + 12 * t;
            // Tags the transform does not read may be cut off without harm.
            const std::string signature(whole.begin() + entry, whole.begin() + entry + 4);
            if (signature == "desc" || signature == "cprt" || signature == "chad" || signature == "chrm")
                continue;
            const uint32_t offset = GetBe32(whole, entry + 4), size = GetBe32(whole, entry + 8);
            cuts.insert(cuts.end(), {offset, offset + 1, offset + size - 1});
        }
        for (size_t cut : cuts) {
            if (cut >= whole.size())
                continue;
            std::vector<uint8_t> bytes(whole.begin(), whole.begin() + cut);
            ColourTransform transform;
            const int result = LoadIccTransformFromBytes(&transform, bytes);
            EXPECT_TRUE(result == kIccUnreadable || result == kIccBadClass) << reference.name << " cut " << cut
                                                                             << " gave " << result;
            EXPECT_EQ(transform.mode, kTransformUnusable);
        }
    }
}

// Counts that would overrun or divide by zero are refused.
TEST(ColourTransform, TableCountsChecked)
{
    const std::vector<uint8_t> whole = Bytes(kReferences[1]);
    const size_t a2b0 = GetBe32(whole, 132 + 4);
    const struct {
        size_t at;
        std::vector<uint8_t> value;
        int result;
    } kCases[] = {
        {a2b0 + 10, {1}, kIccUnreadable},           // one grid point
        {a2b0 + 10, {0}, kIccUnreadable},           // no grid point
        {a2b0 + 10, {255}, kIccUnreadable},         // grid beyond the tag
        {a2b0 + 48, {0, 1}, kIccUnreadable},        // one input entry
        {a2b0 + 50, {0, 0}, kIccUnreadable},        // no output entry
        {a2b0 + 48, {0xFF, 0xFF}, kIccUnreadable},  // input tables beyond the tag
        {a2b0 + 8, {4}, kIccBadClass},              // four input channels
        {128, {0x10, 0, 0, 0}, kIccUnreadable},     // tag table beyond the file
        {132 + 4, {0xFF, 0xFF, 0xFF, 0xF0}, kIccUnreadable},
        {132 + 8, {0x7F, 0xFF, 0xFF, 0xFF}, kIccUnreadable},
    };
    for (const auto& row : kCases) {
        std::vector<uint8_t> bytes = whole;
        std::copy(row.value.begin(), row.value.end(), bytes.begin() + row.at);
        ColourTransform transform;
        EXPECT_EQ(LoadIccTransformFromBytes(&transform, bytes), row.result) << "at " << row.at;
    }
}

TEST(ColourTransform, SeededMutationsAnswerACode)
{
    std::mt19937 random(24);
    int built = 0;
    for (const Reference& reference : kReferences) {
        const std::vector<uint8_t> whole = Bytes(reference);
        for (int round = 0; round < 1500; ++round) {
            std::vector<uint8_t> bytes = whole;
            const int changes = 1 + static_cast<int>(random() % 8);
            for (int c = 0; c < changes; ++c) {
                // Most changes land in the header and tag table, where the counts are.
                const size_t limit = random() % 2 ? std::min<size_t>(bytes.size(), 300) : bytes.size();
                bytes[random() % limit] = static_cast<uint8_t>(random());
            }
            if (random() % 4 == 0)
                bytes.resize(random() % bytes.size());
            ColourTransform transform;
            const int result = LoadIccTransformFromBytes(&transform, bytes);
            EXPECT_TRUE(result == 0 || result == kIccUnreadable || result == kIccBadClass ||
                        result == kIccBadSignature || result == kIccNoMemory)
                << result;
            if (result == 0) {
                ++built;
                uint8_t pixels[6] = {0, 128, 255, 255, 255, 255};
                ApplyColourTransform(&transform, pixels, pixels, 2);
            }
        }
    }
    EXPECT_GT(built, 0);
}

// An 8-bit table profile: identity curves and a 2-point grid that is the
// identity in XYZ, so the result is the XYZ-to-sRGB conversion of the input.
std::vector<uint8_t> Mft1Profile()
{
    std::vector<uint8_t> bytes(132 + 2 * 12, 0);
    std::copy_n("scnrRGB XYZ ", 12, bytes.begin() + 12);
    std::copy_n("acsp", 4, bytes.begin() + 36);
    PutBe32(bytes, 128, 2);
    std::vector<uint8_t> lut = {'m', 'f', 't', '1', 0, 0, 0, 0, 3, 3, 2, 0};
    lut.resize(48, 0);
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i)
            lut.push_back(static_cast<uint8_t>(i));
    for (int node = 0; node < 8; ++node)
        for (int c = 0; c < 3; ++c)  // XYZ of D50 white at full input, u1Fixed15 halves
            lut.push_back(node & (4 >> c) ? 0x7F : 0);
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i)
            lut.push_back(static_cast<uint8_t>(i));
    const uint32_t lutAt = static_cast<uint32_t>(bytes.size());
    std::copy_n("A2B0", 4, bytes.begin() + 132);
    PutBe32(bytes, 136, lutAt);
    PutBe32(bytes, 140, static_cast<uint32_t>(lut.size()));
    bytes.insert(bytes.end(), lut.begin(), lut.end());
    const uint32_t whiteAt = static_cast<uint32_t>(bytes.size());
    std::copy_n("wtpt", 4, bytes.begin() + 144);
    PutBe32(bytes, 148, whiteAt);
    PutBe32(bytes, 152, 20);
    bytes.resize(whiteAt + 20, 0);
    std::copy_n("XYZ ", 4, bytes.begin() + whiteAt);
    PutBe32(bytes, whiteAt + 8, 63190);  // D50
    PutBe32(bytes, whiteAt + 12, 65536);
    PutBe32(bytes, whiteAt + 16, 54061);
    return bytes;
}

TEST(ColourTransform, EightBitTableProfile)
{
    ColourTransform transform;
    ASSERT_EQ(LoadIccTransformFromBytes(&transform, Mft1Profile()), 0);
    EXPECT_EQ(transform.mode, kTransformGrid);
    uint8_t pixels[] = {0, 0, 0, 255, 255, 255};
    ApplyColourTransform(&transform, pixels, pixels, 2);
    EXPECT_EQ(pixels[0] + pixels[1] + pixels[2], 0);
    // X = Y = Z = 0.99 of full scale: a near-neutral light colour, blue the highest.
    EXPECT_GT(pixels[3], 200);
    EXPECT_GT(pixels[4], 200);
    EXPECT_GT(pixels[5], 200);
}

TEST(ColourTransform, OneEntryGammaCurveOfOneIsIdentity)
{
    std::vector<uint8_t> bytes = Bytes(kReferences[0]);
    const uint32_t count = GetBe32(bytes, 128);
    for (uint32_t t = 0; t < count; ++t) {
        const size_t entry = 132 + 12 * t;
        if (bytes[entry + 1] == 'T' && bytes[entry + 2] == 'R') {
            const uint32_t at = GetBe32(bytes, entry + 4);
            PutBe32(bytes, at + 8, 1);
            bytes[at + 12] = 1;
            bytes[at + 13] = 0;
        }
    }
    ColourTransform transform;
    ASSERT_EQ(LoadIccTransformFromBytes(&transform, bytes), 0);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(transform.curves[c][0], 0);
        EXPECT_EQ(transform.curves[c][128], 128 * 257);
        EXPECT_EQ(transform.curves[c][255], 65535);
    }
}

TEST(ColourTransform, TemperatureTransforms)
{
    const struct {
        int temperature, gamma, result;
    } kCases[] = {
        {5000, 22, 0}, {6500, 10, 0}, {9300, 26, 0}, {5500, 22, -1}, {6500, 20, -1}, {0, 0, -1},
    };
    for (const auto& row : kCases) {
        ColourTransform transform;
        EXPECT_EQ(BuildTemperatureTransform(&transform, row.temperature, row.gamma), row.result) << row.temperature;
        if (row.result != 0) {
            EXPECT_EQ(transform.mode, kTransformUnusable);
            continue;
        }
        uint8_t pixels[] = {255, 255, 255, 0, 0, 0, 250, 252, 254};
        ApplyColourTransform(&transform, pixels, pixels, 3);
        EXPECT_EQ(pixels[0], 255) << row.temperature;
        EXPECT_EQ(pixels[1], 255) << row.temperature;
        EXPECT_EQ(pixels[2], 255) << row.temperature;
        EXPECT_EQ(pixels[3] + pixels[4] + pixels[5], 0);
        EXPECT_GT(pixels[6] + pixels[7] + pixels[8], 3 * 200);
    }
    // Warm light removes blue from a neutral grey, cold light adds it.
    ColourTransform warm, cold;
    BuildTemperatureTransform(&warm, 5000, 22);
    BuildTemperatureTransform(&cold, 9300, 22);
    uint8_t grey[] = {128, 128, 128}, warmGrey[3], coldGrey[3];
    ApplyColourTransform(&warm, grey, warmGrey, 1);
    ApplyColourTransform(&cold, grey, coldGrey, 1);
    EXPECT_LT(warmGrey[0], warmGrey[2]);
    EXPECT_GT(coldGrey[0], coldGrey[2]);
}

TEST(ColourTransform, WithoutTransformPixelsAreCopied)
{
    const uint8_t pixels[] = {1, 2, 3, 4, 5, 6};
    uint8_t out[6] = {};
    ApplyColourTransform(nullptr, pixels, out, 2);
    EXPECT_TRUE(std::equal(std::begin(pixels), std::end(pixels), out));
    ColourTransform unusable;
    std::fill(std::begin(out), std::end(out), 0);
    ApplyColourTransform(&unusable, pixels, out, 2);
    EXPECT_TRUE(std::equal(std::begin(pixels), std::end(pixels), out));
}

TEST(ColourTransform, OutputTableIsSrgbEncoding)
{
    const uint8_t* table = SrgbOutputTable();
    const struct {
        int index, code;
    } kPoints[] = {{0, 0}, {1, 1}, {4095, 255}, {819, 124}, {1024, 137}};
    for (const auto& point : kPoints)
        EXPECT_EQ(table[point.index], point.code) << point.index;
}

}  // namespace
