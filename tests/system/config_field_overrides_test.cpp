#include "common/config/config_field_overrides.h"

#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "tests/system/config_test_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct OverridesDeleter {
    void operator()(ConfigFieldOverrides* p) const { FreeConfigFieldOverrides(p); }
};
using Overrides = std::unique_ptr<ConfigFieldOverrides, OverridesDeleter>;

Overrides LoadFrom(const TempProfileFile& file)
{
    return Overrides(LoadConfigFile(file.path(), 1));
}

uint32_t Map(const Overrides& overrides, int index, uint32_t value)
{
    uint32_t result = 0xDEAD;
    EXPECT_EQ(MapOverrideValue(overrides.get(), index, value, &result), kOverrideOk);
    return result;
}

TEST(ConfigFieldOverrides, NoFileNoOverrides)
{
    EXPECT_EQ(LoadConfigFile(L"C:\\no\\such\\site.cfg", 1), nullptr);
    EXPECT_EQ(IsOverrideSectionFound(nullptr), 0u);
}

TEST(ConfigFieldOverrides, WithoutTheSectionEverythingIsIdentity)
{
    TempProfileFile file(L"morva_dme_0.cfg", "[default]\nx=1\n");
    Overrides overrides = LoadFrom(file);
    ASSERT_NE(overrides, nullptr);
    EXPECT_EQ(IsOverrideSectionFound(overrides.get()), 0u);
    for (uint32_t bin : {7u, 1u, 14u, 300u})
        EXPECT_EQ(Map(overrides, kOverrideBin, bin), bin);
    uint16_t merge = 0;
    ASSERT_EQ(GetOverrideMergeValue(overrides.get(), kOverrideMedia, &merge), kOverrideOk);
    EXPECT_EQ(merge, 0);
    EXPECT_EQ(GetOverrideMergeValue(overrides.get(), kOverrideColor, &merge), kOverrideIndexNotAllowed);
    EXPECT_EQ(GetOverrideModeValue(overrides.get(), kOverrideBin, &merge), kOverrideIndexNotAllowed);
}

TEST(ConfigFieldOverrides, BinNameMapsAnIncomingNumber)
{
    TempProfileFile file(L"morva_dme_1.cfg", "[DME,1]\nbin.TRAY1=14\nbin.tray1=15\n");
    Overrides overrides = LoadFrom(file);
    ASSERT_NE(overrides, nullptr);
    EXPECT_EQ(IsOverrideSectionFound(overrides.get()), 1u);
    EXPECT_EQ(Map(overrides, kOverrideBin, 14), 1u);
    EXPECT_EQ(Map(overrides, kOverrideBin, 15), 1u);  // every line of the key counts
    EXPECT_EQ(Map(overrides, kOverrideBin, 3), 3u);
    // An unmapped bin is left alone, not turned into the first entry of the table.
    EXPECT_EQ(Map(overrides, kOverrideBin, 999), 999u);

    uint32_t count = 0;
    OverridePair* pairs = nullptr;
    ASSERT_EQ(GetOverrideChangedPairs(overrides.get(), kOverrideBin, &count, &pairs), kOverrideOk);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(pairs[0].result, 1u);
    EXPECT_EQ(pairs[0].input, 14u);
    GlobalFree(pairs);
    ASSERT_EQ(GetOverrideChangedPairs(overrides.get(), kOverrideMedia, &count, &pairs), kOverrideOk);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(pairs, nullptr);
}

TEST(ConfigFieldOverrides, WindowsValueTakesThePlatformsBinNumbers)
{
    TempProfileFile file(L"morva_dme_2.cfg", "[DME,1]\nbin.WindowsValue=1\nmedia.WindowsValue=1\n");
    Overrides overrides = LoadFrom(file);
    ASSERT_NE(overrides, nullptr);
    struct Case {
        int index;
        uint32_t in;
        uint32_t out;
    };
    const Case cases[] = {
        {kOverrideBin, 5, 4},  {kOverrideBin, 6, 4},  {kOverrideBin, 10, 4},  {kOverrideBin, 11, 4},
        {kOverrideBin, 8, 1},  {kOverrideBin, 9, 1},  {kOverrideBin, 14, 1},  {kOverrideBin, 7, 7},
        {kOverrideBin, 268, 268}, {kOverrideMedia, 1, 0}, {kOverrideMedia, 3, 1}, {kOverrideMedia, 2, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Map(overrides, c.index, c.in), c.out) << c.index << ":" << c.in;
}

TEST(ConfigFieldOverrides, FieldActionsAndMergedFlags)
{
    constexpr uint32_t kDmColor = 0x800, kDmMediaType = 0x2000000, kDmCollate = 0x8000;
    {
        TempProfileFile file(L"morva_dme_3.cfg", "[DME,1]\nfields.COLOR=1\n");
        Overrides overrides = LoadFrom(file);
        uint32_t fields = 0;
        ASSERT_EQ(ApplyOverrideFieldActions(overrides.get(), 0xFFFF, &fields), kOverrideOk);
        EXPECT_EQ(fields, 0xFFFFu & ~kDmColor);
        ASSERT_EQ(ComputeOverrideFieldFlags(overrides.get(), kDmMediaType, 1, &fields), kOverrideOk);
        EXPECT_EQ(fields & kDmMediaType, 0u);  // media merge is 0 unless configured
        EXPECT_EQ(fields & kDmCollate, kDmCollate);  // collate merge 1 sets it
    }
    {
        TempProfileFile file(L"morva_dme_4.cfg", "[DME,1]\nfields.COLOR=2\nmedia.merge=1\ncollate.merge=2\n"
                                                 "collate.COLLATE_FALSE=5\n");
        Overrides overrides = LoadFrom(file);
        uint32_t fields = 0;
        ASSERT_EQ(ApplyOverrideFieldActions(overrides.get(), 0, &fields), kOverrideOk);
        EXPECT_EQ(fields, kDmColor);
        ASSERT_EQ(ComputeOverrideFieldFlags(overrides.get(), 0, 5, &fields), kOverrideOk);
        EXPECT_EQ(fields & kDmMediaType, kDmMediaType);
        EXPECT_EQ(fields & kDmCollate, kDmCollate);  // 5 maps to collate false (0)
        ASSERT_EQ(ComputeOverrideFieldFlags(overrides.get(), kDmCollate, 1, &fields), kOverrideOk);
        EXPECT_EQ(fields & kDmCollate, 0u);
    }
}

TEST(ConfigFieldOverrides, KeysOfTheFieldsAndFormDatabase)
{
    TempProfileFile file(L"morva_dme_5.cfg",
                         "[DME,1]\nresolution.mode=0x2\ncolor.mode=3\nbin.default=7\nbin.merge=zz\nformdb.mode=1\n"
                         "[DME,2]\nformdb.mode=0\n");
    Overrides overrides = LoadFrom(file);
    ASSERT_NE(overrides, nullptr);
    uint16_t value = 0;
    ASSERT_EQ(GetOverrideModeValue(overrides.get(), kOverrideResolution, &value), kOverrideOk);
    EXPECT_EQ(value, 2);
    ASSERT_EQ(GetOverrideModeValue(overrides.get(), kOverrideColor, &value), kOverrideOk);
    EXPECT_EQ(value, 3);
    ASSERT_EQ(GetOverrideMergeValue(overrides.get(), kOverrideBin, &value), kOverrideOk);
    EXPECT_EQ(value, 1);  // a value that does not parse is skipped
    EXPECT_EQ(Map(overrides, kOverrideBin, 999), 7u);  // the configured default
    EXPECT_EQ(IsFormDatabaseMode(overrides.get()), 1);
    EXPECT_EQ(overrides->fields[kOverrideBin].present, 1u);
    EXPECT_EQ(overrides->fields[kOverrideMedia].present, 0u);
}

TEST(ConfigFieldOverrides, MappingsApplyToTheSettingsRecord)
{
    TempProfileFile file(L"morva_dme_6.cfg", "[DME,1]\nbin.TRAY1=14\nmedia.PAPER_THICK=40\n");
    Overrides overrides = LoadFrom(file);
    ASSERT_NE(overrides, nullptr);
    std::vector<uint8_t> settings(kSettingsRecordSize);
    SetFunctionIdValueWord(settings.data(), nullptr, kFidDefaultSource, kTypeS16, 2, 14);
    SetFunctionIdValueWord(settings.data(), nullptr, kFidMediaType, kTypeU32, 4, 40);
    SetFunctionIdValueWord(settings.data(), nullptr, kFidCollate, kTypeS16, 2, 1);
    ASSERT_EQ(ApplyOverrideMappings(overrides.get(), settings.data()), kOverrideOk);
    EXPECT_EQ(GetFunctionIdValuePointer(settings.data(), nullptr, kFidDefaultSource, kTypeS16), 1u);
    EXPECT_EQ(GetFunctionIdValuePointer(settings.data(), nullptr, kFidMediaType, kTypeU32), 1u);
    EXPECT_EQ(GetFunctionIdValuePointer(settings.data(), nullptr, kFidCollate, kTypeS16), 1u);
    EXPECT_EQ(ApplyOverrideMappings(overrides.get(), nullptr), kOverrideBadArgument);
}

}  // namespace
