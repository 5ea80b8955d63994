#include "render/image/colour_conversion.h"
#include "common/system/user_prompt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(ColourConversion, InvertedGrey)
{
    const struct {
        uint8_t r, g, b, grey;
    } kCases[] = {{255, 255, 255, 0}, {0, 0, 0, 255}, {255, 0, 0, 179}, {0, 255, 0, 105}, {0, 0, 255, 228}};
    for (const auto& row : kCases) {
        const uint8_t pixel[3] = {row.b, row.g, row.r};
        uint8_t grey = 1;
        ConvertToInvertedGrey(pixel, &grey, 1);
        EXPECT_EQ(grey, row.grey) << int{row.r} << "," << int{row.g} << "," << int{row.b};
    }
}

TEST(ColourConversion, GainAndOffset)
{
    const GainOffset identity = BuildGainOffset(0, 0);
    EXPECT_EQ(identity.gain, 65536);
    EXPECT_EQ(identity.offset, 0);
    std::vector<uint8_t> all(256 * 3), out(all.size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<uint8_t>(i / 3);
    ApplyGainOffset(identity, all.data(), out.data(), 256);
    EXPECT_EQ(out, all);

    const struct {
        int16_t contrast, brightness;
        uint8_t in, out;
    } kCases[] = {
        {0, 100, 0, 50},      {0, 100, 255, 255},  {0, -100, 100, 50},  {100, 0, 0, 0},
        {100, 0, 255, 255},   {100, 0, 128, 90},  // white is the fixed point of contrast
         {-100, 0, 0, 76},    {-100, 0, 255, 255},
        {1000, 0, 200, 184},  // clamped to 100
    };
    for (const auto& row : kCases) {
        const GainOffset pair = BuildGainOffset(row.contrast, row.brightness);
        uint8_t pixel[3] = {row.in, row.in, row.in};
        ApplyGainOffset(pair, pixel, pixel, 1);
        EXPECT_NEAR(pixel[0], row.out, 1) << row.contrast << " " << row.brightness << " " << int{row.in};
        EXPECT_EQ(pixel[0], pixel[2]);
    }
}

TEST(ColourConversion, RowSizesChecked)
{
    ColourConversionBinding binding;
    std::vector<uint8_t> rows(3 * 4);
    const struct {
        uint32_t width, height, stride;
        int result;
    } kCases[] = {
        {4, 1, 12, 0}, {65535, 0, 65535 * 3, 0}, {65536, 1, 65536 * 3, kColourRowsTooLarge},
        {1, 65536, 3, kColourRowsTooLarge}, {4, 1, 11, -1},
    };
    for (const auto& row : kCases)
        EXPECT_EQ(ConvertColourRows(&binding, 0, false, rows.data(), row.width, row.height, row.stride), row.result)
            << row.width << "x" << row.height;
    EXPECT_EQ(ConvertColourRows(nullptr, 0, false, rows.data(), 1, 1, 3), -1);
    EXPECT_EQ(ConvertColourRows(&binding, 3, false, rows.data(), 1, 1, 3), -1);
}

// The stages run in order: gain and offset, the transforms, the matrix, grey.
TEST(ColourConversion, StagesByFlagAndClass)
{
    ColourConversionBinding binding;
    binding.flags = kStageFirstClassMatrix | kStageFirstClassGain | kStageTemperature;
    binding.gains[0] = BuildGainOffset(0, -100);  // everything 50 darker
    ASSERT_EQ(BuildColorAdjustMatrix(&binding.matrices[0], 0, -100, 0), 0);  // no saturation: grey
    ASSERT_EQ(BuildTemperatureTransform(&binding.transforms[0], 6500, 10), 0);

    // The same stages one by one, in their order, give the same pixels.
    const uint8_t source[6] = {255, 255, 255, 0, 0, 255};  // white, red
    uint8_t expected[6];
    ApplyGainOffset(binding.gains[0], source, expected, 2);
    ApplyColourTransform(&binding.transforms[0], expected, expected, 2);
    ApplyColorAdjustMatrix(&binding.matrices[0], expected, expected, 2);
    uint8_t row[6];
    std::copy(std::begin(source), std::end(source), row);
    ASSERT_EQ(ConvertColourRows(&binding, 0, false, row, 2, 1, 6), 0);
    EXPECT_TRUE(std::equal(std::begin(row), std::end(row), expected));
    EXPECT_LT(row[0], 255);  // the gain stage ran

    // The third class has neither stage; kind 0 takes no transform.
    EXPECT_EQ(ConvertColourValue(&binding, 2, 0, 0x123456u), 0x123456u);
    // Kind 1 takes the first transform, as the row did.
    EXPECT_EQ(ConvertColourValue(&binding, 0, 1, 0x0000FFu),
              uint32_t{expected[5]} | uint32_t{expected[4]} << 8 | uint32_t{expected[3]} << 16);

    uint8_t greyRow[6] = {255, 255, 255, 0, 0, 0};
    binding.flags = 0;
    ASSERT_EQ(ConvertColourRows(&binding, 0, true, greyRow, 2, 1, 6), 0);
    EXPECT_EQ(greyRow[0], 0);
    EXPECT_EQ(greyRow[1], 255);
}

}  // namespace

namespace {

ColourSettings Settings()
{
    ColourSettings s{};
    s.mode = 0;
    s.classBits = 7;
    return s;
}

TEST(ColourConversion, StageFlagsFromSettings)
{
    struct Case {
        const char* name;
        void (*change)(ColourSettings&);
        uint32_t flags;
    };
    const Case kCases[] = {
        {"nothing set", [](ColourSettings&) {}, 0},
        {"common brightness", [](ColourSettings& s) { s.brightness[0] = 10; }, kStageCommonMatrix},
        {"common with gain",
         [](ColourSettings& s) {
             s.contrast[0] = 10;
             s.secondClassGain = 1;
         },
         kStageCommonMatrix | kStageCommonGain},
        {"gain off in mode 1",
         [](ColourSettings& s) {
             s.contrast[0] = 10;
             s.firstClassGain = 1;
             s.mode = 1;
         },
         kStageCommonMatrix},
        {"common without class bits",
         [](ColourSettings& s) {
             s.brightness[0] = 10;
             s.classBits = 8;
         },
         0},
        {"per class",
         [](ColourSettings& s) {
             s.perClass = 1;
             s.saturation[1] = 5;
             s.firstClassGain = 1;
             s.contrast[3] = -5;
             s.brightness[0] = 50;  // the common value is not used per class
         },
         kStageFirstClassMatrix | kStageFirstClassGain | kStageThirdClassMatrix},
        {"second class, bit off",
         [](ColourSettings& s) {
             s.perClass = 1;
             s.classBits = 1;
             s.saturation[2] = 5;
         },
         0},
        {"temperature",
         [](ColourSettings& s) {
             s.correctionKind = 1;
             s.temperatureIndex = 5;
             s.gammaIndex = 9;
         },
         kStageTemperature},
        {"temperature index 6", [](ColourSettings& s) { s.correctionKind = 1, s.temperatureIndex = 6; }, 0},
        {"profiles",
         [](ColourSettings& s) {
             s.correctionKind = 2;
             s.firstProfileOn = s.secondProfileOn = s.secondIsFirst = 1;
             s.firstPathSet = true;
         },
         kStageFirstProfile | kStageSecondProfile},
        {"second profile without its path",
         [](ColourSettings& s) {
             s.correctionKind = 2;
             s.secondProfileOn = 1;
             s.firstPathSet = true;
         },
         0},
        {"profiles need kind 2",
         [](ColourSettings& s) {
             s.correctionKind = 1;
             s.temperatureIndex = 6;
             s.firstProfileOn = 1;
             s.firstPathSet = true;
         },
         0},
        {"outside library", [](ColourSettings& s) { s.outsideLibrary = 3; }, kStageOutsideLibrary},
    };
    for (const Case& row : kCases) {
        ColourSettings s = Settings();
        row.change(s);
        EXPECT_EQ(ColourStageFlags(s), row.flags) << row.name;
    }
}

// Temperature index 3 and gamma index 5 have no table entry: the stage is off.
TEST(ColourConversion, TemperatureIndexesWithoutEntryLeaveStageOff)
{
    const struct {
        uint16_t temperature, gamma;
        bool on;
    } kCases[] = {{0, 0, true}, {2, 4, true}, {3, 0, false}, {0, 5, false}, {5, 9, false}};
    for (const auto& row : kCases) {
        ColourSettings s = Settings();
        s.correctionKind = 1;
        s.temperatureIndex = row.temperature;
        s.gammaIndex = row.gamma;
        ColourConversionBinding binding;
        BuildColourStages(&binding, s);
        EXPECT_EQ((binding.flags & kStageTemperature) != 0, row.on) << row.temperature << " " << row.gamma;
        uint8_t white[3] = {255, 255, 255};
        ASSERT_EQ(ConvertColourRows(&binding, 0, false, white, 1, 1, 3), 0);
        EXPECT_EQ(white[0] + white[1] + white[2], 3 * 255);
    }
}

}  // namespace

namespace {

struct PromptLog {
    int answer;
    int asked = 0;
    std::wstring title, text;
    UINT style = 0;
};

int Answer(const UserPrompt& prompt, void* context)
{
    auto* log = static_cast<PromptLog*>(context);
    ++log->asked;
    log->title = prompt.title;
    log->text = prompt.text;
    log->style = prompt.style;
    return log->answer;
}

TEST(ColourConversion, ProfileWarningOkAndCancel)
{
    const struct {
        const wchar_t* first;
        const wchar_t* second;
        int answer, result, asked;
        uint32_t flagsLeft;
    } kCases[] = {
        {L"missing.icc", L"missing2.icc", IDOK, 0, 1, 0},        // the second is skipped once the first failed
        {L"missing.icc", L"missing2.icc", IDCANCEL, -3, 1, kStageSecondProfile},
        {L"", L"missing2.icc", IDOK, 0, 1, 0},
    };
    for (const auto& row : kCases) {
        PromptLog log{row.answer};
        SetPromptAnswerer(Answer, &log);
        ColourConversionBinding binding;
        binding.flags = kStageFirstProfile | kStageSecondProfile;
        EXPECT_EQ(LoadColourProfiles(&binding, row.first, row.second, false, nullptr), row.result);
        EXPECT_EQ(log.asked, row.asked);
        EXPECT_EQ(binding.flags, row.flagsLeft);
        EXPECT_EQ(log.title, L"\u8b66\u544a");
        EXPECT_EQ(log.text.rfind(L"ICC", 0), 0u);
        EXPECT_EQ(log.style, UINT{MB_OKCANCEL | MB_ICONINFORMATION});
    }
    // Only the second profile, cancelled: -4.
    PromptLog log{IDCANCEL};
    SetPromptAnswerer(Answer, &log);
    ColourConversionBinding binding;
    binding.flags = kStageSecondProfile;
    EXPECT_EQ(LoadColourProfiles(&binding, L"a.icc", L"\\\\.\\pipe\\x", false, nullptr), -4);
    EXPECT_EQ(log.asked, 1);
    SetPromptAnswerer(nullptr, nullptr);
}

}  // namespace
