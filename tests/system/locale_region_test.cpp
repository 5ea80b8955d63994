#include "common/system/locale_region.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

TEST(LocaleRegion, TableAnswersByCountry)
{
    struct Case {
        int country;
        uint16_t paperRegion;
        uint8_t code;
        uint8_t converted;
        uint8_t flag;
    };
    const Case cases[] = {
        {1, 1, 4, 4, 0},     {2, 1, 4, 4, 0},    {81, 2, 1, 1, 0},   {86, 2, 2, 1, 1},
        {852, 2, 2, 1, 1},   {886, 2, 2, 1, 0},  {55, 2, 3, 0, 0},   {593, 2, 3, 0, 0},
        {49, 2, 0, 0, 0},    {999, 2, 0, 0, 0},  {50, 1, 0, 0, 0},   {592, 1, 0, 0, 0},
        {593, 2, 3, 0, 0},   {594, 1, 0, 0, 0},  {55, 2, 3, 0, 0},   {56, 1, 3, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PaperRegionOfCountry(c.country), c.paperRegion) << c.country;
        EXPECT_EQ(RegionCodeOfCountry(c.country, 0), c.code) << c.country;
        EXPECT_EQ(RegionCodeOfCountry(c.country, 1), c.converted) << c.country;
        EXPECT_EQ(RegionFlagOfCountry(c.country), c.flag) << c.country;
    }
}

TEST(LocaleRegion, NotAllowedGivesTwoAtOnce)
{
    EXPECT_EQ(GetLocalePaperRegion(0), 2);
}

int UserCountry()
{
    wchar_t text[8] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY, text, 8);
    return _wtoi(text);
}

// Runs again in a process with a Chinese locale (see CMakeLists.txt).
TEST(LocaleRegionOfProcess, ChinaAnswersPerModel)
{
    if (UserCountry() != 86)
        GTEST_SKIP() << "country " << UserCountry();
    EXPECT_EQ(GetLocalePaperRegion(1), 2);
    // The conversion is the model's: two models in one process each get their own.
    EXPECT_EQ(GetLocaleRegionCode(1), 1);
    EXPECT_EQ(GetLocaleRegionCode(0), 2);
    EXPECT_EQ(GetLocaleRegionCode(1), 1);
    EXPECT_EQ(GetLocaleRegionFlag(), 1);
}

TEST(LocaleRegionOfProcess, AnswersMatchTheTableForThisLocale)
{
    const int country = UserCountry();
    EXPECT_EQ(GetLocalePaperRegion(1), PaperRegionOfCountry(country));
    EXPECT_EQ(GetLocaleRegionCode(0), RegionCodeOfCountry(country, 0));
    EXPECT_EQ(GetLocaleRegionCode(1), RegionCodeOfCountry(country, 1));
    EXPECT_EQ(GetLocaleRegionFlag(), RegionFlagOfCountry(country));
}

}  // namespace
