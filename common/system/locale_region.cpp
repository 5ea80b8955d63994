#include "common/system/locale_region.h"

#include "common/system/lock_table.h"

#include <windows.h>

#include <cwchar>

namespace {

struct LocaleRegionRow {
    int32_t country;  // telephone country code, as LOCALE_ICOUNTRY gives it
    uint8_t regionCode;
    uint8_t regionFlag;
};

// Kept in ascending country order.
constexpr LocaleRegionRow kLocaleRegions[] = {
    {1, 4, 0},   {2, 4, 0},   {7, 0, 0},   {20, 0, 0},  {27, 0, 0},  {30, 0, 0},  {31, 0, 0},
    {32, 0, 0},  {33, 0, 0},  {34, 0, 0},  {36, 0, 0},  {39, 0, 0},  {40, 0, 0},  {41, 0, 0},
    {43, 0, 0},  {44, 0, 0},  {45, 0, 0},  {46, 0, 0},  {47, 0, 0},  {48, 0, 0},  {49, 0, 0},
    {51, 3, 0},  {52, 3, 0},  {54, 3, 0},  {55, 3, 0},  {56, 3, 0},  {57, 3, 0},  {58, 3, 0},
    {60, 2, 0},  {61, 0, 0},  {62, 2, 0},  {63, 2, 0},  {64, 0, 0},  {65, 2, 0},  {66, 2, 0},
    {81, 1, 0},  {82, 2, 0},  {84, 2, 0},  {86, 2, 1},  {90, 0, 0},  {91, 0, 0},  {212, 0, 0},
    {351, 0, 0}, {353, 0, 0}, {358, 0, 0}, {359, 0, 0}, {420, 0, 0}, {593, 3, 0}, {852, 2, 1},
    {886, 2, 0},
};
static_assert(sizeof(kLocaleRegions) / sizeof(kLocaleRegions[0]) == 50);

constexpr uint8_t kNotAsked = 255;

uint16_t g_paperRegion;              // 0: not asked
uint8_t g_regionCode = kNotAsked;    // the table's value, before conversion
uint8_t g_regionFlag = kNotAsked;

const LocaleRegionRow* FindRow(int country)
{
    for (const LocaleRegionRow& row : kLocaleRegions) {
        if (row.country == country)
            return &row;
    }
    return nullptr;
}

// The user's telephone country code; false when the locale cannot be read.
bool UserCountry(int* country)
{
    wchar_t text[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY, text, 8) <= 0)
        return false;
    *country = static_cast<int>(wcstol(text, nullptr, 10));
    return true;
}

uint8_t ConvertRegionCode(uint8_t code, int convert)
{
    if (!convert)
        return code;
    return code == 2 ? 1 : code == 3 ? 0 : code;
}

}  // namespace

uint16_t PaperRegionOfCountry(int country)
{
    const bool letter = (country >= 1 && country <= 2) || (country >= 50 && country <= 54)
        || (country >= 56 && country <= 59) || (country >= 500 && country <= 592)
        || (country >= 594 && country <= 599);
    return letter ? 1 : 2;
}

uint8_t RegionCodeOfCountry(int country, int convert)
{
    const LocaleRegionRow* row = FindRow(country);
    return ConvertRegionCode(row != nullptr ? row->regionCode : 0, convert);
}

uint8_t RegionFlagOfCountry(int country)
{
    const LocaleRegionRow* row = FindRow(country);
    return row != nullptr ? row->regionFlag : 0;
}

uint16_t GetLocalePaperRegion(int allowed)
{
    if (!allowed)
        return 2;
    RoleLock lock(LockRole::Locale);
    if (g_paperRegion == 0) {
        int country = 0;
        g_paperRegion = UserCountry(&country) ? PaperRegionOfCountry(country) : 2;
    }
    return g_paperRegion;
}

void SetLocalePaperRegion(uint16_t region)
{
    if (region != 1 && region != 2)
        return;
    RoleLock lock(LockRole::Locale);
    g_paperRegion = region;
}

uint8_t GetLocaleRegionCode(int convert)
{
    RoleLock lock(LockRole::Locale);
    if (g_regionCode == kNotAsked) {
        int country = 0;
        g_regionCode = UserCountry(&country) ? RegionCodeOfCountry(country, 0) : kLocaleUnreadable;
    }
    return g_regionCode == kLocaleUnreadable ? kLocaleUnreadable : ConvertRegionCode(g_regionCode, convert);
}

uint8_t GetLocaleRegionFlag()
{
    RoleLock lock(LockRole::Locale);
    if (g_regionFlag == kNotAsked) {
        int country = 0;
        g_regionFlag = UserCountry(&country) ? RegionFlagOfCountry(country) : kLocaleUnreadable;
    }
    return g_regionFlag;
}
