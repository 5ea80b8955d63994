#include "common/context/setting_rules.h"

#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/scrambled_strings.h"
#include "tests/system/test_models.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Records {
    std::vector<uint8_t> settings = std::vector<uint8_t>(kSettingsRecordSize);
    std::vector<uint8_t> printer = std::vector<uint8_t>(kPrinterSettingsRecordSize);
    void* sr() { return settings.data(); }
    void* psr() { return printer.data(); }
    void Set(uint16_t id, uint16_t type, uint32_t size, uint64_t value)
    {
        ASSERT_EQ(SetFunctionIdValueWord(sr(), psr(), id, type, size, value), 0) << id;
    }
    void SetText(uint16_t id, const wchar_t* text)
    {
        ASSERT_EQ(SetFunctionIdValueArgs(sr(), psr(), id, kTypeString, static_cast<uint32_t>(2 * (wcslen(text) + 1)), text), 0)
            << id;
    }
    int16_t Get16(uint16_t id)
    {
        return static_cast<int16_t>(GetFunctionIdValuePointer(sr(), psr(), id, kTypeS16));
    }
};

TEST(SettingRules, ResolutionIsCappedForLongPaper)
{
    struct Case {
        int16_t length;
        int16_t width;
        int16_t resolution;
        int result;
        int16_t after;
    };
    const Case cases[] = {
        {11853, 2100, 1200, 1, 300},  // limit exactly 600: 600 is only for a limit above it
        {11853, 2100, 600, 1, 600},
        {10000, 2100, 1200, 1, 600},  // limit 711
        {5000, 2100, 1200, 1, 1200},  // limit 1422: kept
        {2970, 2100, 1200, 1, 1200},  // limit 2394: kept
        {2100, 30000, 600, 1, 200},   // width is the longer side: limit 237
        {32000, 2100, 600, 1, 200},   // limit 222
        {0, 0, 600, 0, 600},          // no paper size: refused, nothing changed
    };
    for (const Case& c : cases) {
        Records r;
        r.Set(kFidPaperLength, kTypeS16, 2, static_cast<uint16_t>(c.length));
        r.Set(kFidPaperWidth, kTypeS16, 2, static_cast<uint16_t>(c.width));
        r.Set(kFidPrintQuality, kTypeS16, 2, static_cast<uint16_t>(c.resolution));
        r.Set(kFidYResolution, kTypeS16, 2, static_cast<uint16_t>(c.resolution));
        EXPECT_EQ(LimitResolutionForPaper(r.sr(), r.psr()), c.result) << c.length;
        EXPECT_EQ(r.Get16(kFidPrintQuality), c.after) << c.length;
        EXPECT_EQ(r.Get16(kFidYResolution), c.after) << c.length;
    }
}

TEST(SettingRules, CollateSupport)
{
    struct Case {
        uint16_t forced;     // 8211
        uint32_t capability; // word 0
        uint32_t setting;    // 4099
        uint32_t version;    // 8205
        int result;
    };
    const Case cases[] = {
        {1, 0x30000, 0, 0, 1},
        {0, 0x10000, 0, 0x01010903, 1},  // collation capability absent
        {0, 0x20000, 1, 0, 1},
        {0, 0x20000, 0, 0x01010903, 3},  // no version route
        {0, 0x30000, 0, 0x01010903, 2},
        {0, 0x30000, 0, 0x01010902, 3},
    };
    for (const Case& c : cases) {
        Records r;
        r.Set(8211, kTypeU16, 2, c.forced);
        r.Set(4099, kTypeFlag, 4, c.setting);
        r.Set(kFidStreamVersion, kTypeU32, 4, c.version);
        const CapabilityBits bits = {{c.capability, 0, 0}};
        EXPECT_EQ(GetCollateSupport(r.sr(), r.psr(), &bits), c.result) << c.forced << " " << c.capability;
    }
    Records r;
    EXPECT_EQ(GetCollateSupport(nullptr, r.psr(), nullptr), 0);
}

TEST(SettingRules, UserIdentificationDialog)
{
    struct Case {
        uint8_t enabled;  // 5204
        uint16_t mode;    // 4367
        int ask;
        int result;
    };
    const Case cases[] = {
        {0, 3, 0, 0}, {0, 3, 1, 0}, {0, 1, 0, 1}, {1, 3, 0, 1}, {1, 1, 1, 0}, {2, 1, 1, 1}, {2, 3, 1, 0},
    };
    for (const Case& c : cases) {
        Records r;
        r.Set(5204, kTypeByte, 1, c.enabled);
        r.Set(4367, kTypeU16, 2, c.mode);
        EXPECT_EQ(ShouldShowUserIdentificationDialog(r.sr(), r.psr(), c.ask), c.result)
            << int(c.enabled) << " " << c.mode << " " << c.ask;
    }
}

TEST(SettingRules, CodeLength)
{
    Records r;
    r.Set(4366, kTypeU16, 2, 2);
    uint16_t maximum = 0, minimum = 0;
    r.SetText(5130, L"1234");
    EXPECT_EQ(CheckCodeLength(r.sr(), r.psr(), 0, &maximum, &minimum), 1);
    EXPECT_EQ(maximum, 4);
    EXPECT_EQ(minimum, 2);
    r.SetText(5130, L"1");
    EXPECT_EQ(CheckCodeLength(r.sr(), r.psr(), 0, &maximum, &minimum), 0);

    wchar_t* stored = nullptr;
    ASSERT_EQ(EncodeOrDecodeProtectedString(kProtectStringEncode, L"123456789012", &stored), 1);
    r.SetText(5159, stored);
    GlobalFree(stored);
    EXPECT_EQ(CheckCodeLength(r.sr(), r.psr(), 1, &maximum, &minimum), 1);
    EXPECT_EQ(maximum, 12);
    r.SetText(5159, L"not base64!");  // does not decode: length 0
    EXPECT_EQ(CheckCodeLength(r.sr(), r.psr(), 1, &maximum, &minimum), 0);

    maximum = minimum = 99;
    EXPECT_EQ(CheckCodeLength(nullptr, nullptr, 1, &maximum, &minimum), 0);
    EXPECT_EQ(maximum, 12);  // bounds given out in every case
    EXPECT_EQ(minimum, 0);
}

TEST(SettingRules, MaxCopiesRaisedBelowTheModelsLimit)
{
    LoadedTestModel raising(L"SYSAPPS.DDD");  // capability 0x3E, limit 500
    LoadedTestModel plain(L"M2200.DDD");      // no capability
    ASSERT_EQ(raising.status, kModelOk);
    ASSERT_EQ(plain.status, kModelOk);
    struct Case {
        LoadedTestModel* model;
        uint16_t setting;  // 4365
        uint32_t after;
    };
    const Case cases[] = {{&raising, 100, 999}, {&raising, 499, 999}, {&raising, 500, 250}, {&plain, 100, 250}};
    for (const Case& c : cases) {
        Records r;
        r.Set(4365, kTypeU16, 2, c.setting);
        uint32_t maximum = 250;
        EXPECT_EQ(AdjustMaxCopies(r.sr(), r.psr(), &c.model->main, &c.model->linked, &maximum), 1) << c.setting;
        EXPECT_EQ(maximum, c.after) << c.setting;
    }
    Records r;
    uint32_t maximum = 250;
    EXPECT_EQ(AdjustMaxCopies(r.sr(), r.psr(), nullptr, nullptr, &maximum), 0);
}

}  // namespace
