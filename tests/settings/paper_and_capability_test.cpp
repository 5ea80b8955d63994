#include "common/settings/capability_bits.h"
#include "common/settings/function_ids.h"
#include "common/settings/paper_codes.h"
#include "common/settings/value_engine.h"
#include "common/settings/value_types.h"
#include "tests/settings/settings_test_records.h"

#include <gtest/gtest.h>

namespace {

TEST(PaperCodes, UserPaperCodesAndIndexes)
{
    struct Case {
        uint16_t code;
        bool custom, userDefined;
        uint16_t index;
    };
    const Case cases[] = {
        {255, false, false, 0xFFFF}, {256, false, true, 0xFFFF}, {261, false, false, 0xFFFF},
        {262, true, true, 0},        {266, true, true, 4},       {267, false, false, 0xFFFF},
        {286, false, false, 0xFFFF}, {287, true, true, 5},       {301, true, true, 19},
        {302, false, false, 0xFFFF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsCustomPaperCode(c.code), c.custom) << c.code;
        EXPECT_EQ(IsUserDefinedPaperCode(c.code), c.userDefined) << c.code;
        EXPECT_EQ(CustomPaperIndex(c.code), c.index) << c.code;
    }
    for (uint16_t i = 0; i < kUserPaperCount; ++i)
        EXPECT_EQ(CustomPaperIndex(CustomPaperCodeFromIndex(i)), i);
    EXPECT_EQ(CustomPaperCodeFromIndex(20), 65535);
    EXPECT_EQ(CustomPaperCodeFromIndex(0xFFFF), 65535);
    EXPECT_FALSE(IsCustomPaperSizeId(5888));
    EXPECT_TRUE(IsCustomPaperSizeId(5889));
    EXPECT_TRUE(IsCustomPaperSizeId(5928));
    EXPECT_FALSE(IsCustomPaperSizeId(5929));
}

TEST(PaperCodes, FreeCustomSizeCopiesBothWays)
{
    TestRecords r;
    int16_t width = 0, length = 0;
    int16_t value = 2100;
    ASSERT_EQ(dma_SetValue(kFidCustomPaperWidth, r.s(), r.p(), kTypeS16, 2, &value), kSettingOk);
    value = 2970;
    ASSERT_EQ(dma_SetValue(kFidCustomPaperLength, r.s(), r.p(), kTypeS16, 2, &value), kSettingOk);
    ASSERT_EQ(GetCustomPaperSize(r.s(), r.p(), &width, &length), 1);
    EXPECT_EQ(width, 2100);
    EXPECT_EQ(length, 2970);
    EXPECT_EQ(GetCustomPaperSize(nullptr, r.p(), &width, &length), 0);

    ASSERT_EQ(CopyCustomPaperSize(kCustomSizeToDevmode, r.s(), r.p()), 1);
    EXPECT_EQ(LoadU16At(r.settings.data(), 80), 2970);  // dmPaperLength
    EXPECT_EQ(LoadU16At(r.settings.data(), 82), 2100);  // dmPaperWidth
    value = 1480;
    ASSERT_EQ(dma_SetValue(kFidPaperWidth, r.s(), r.p(), kTypeS16, 2, &value), kSettingOk);
    ASSERT_EQ(CopyCustomPaperSize(kCustomSizeFromDevmode, r.s(), r.p()), 1);
    ASSERT_EQ(GetCustomPaperSize(r.s(), r.p(), &width, &length), 1);
    EXPECT_EQ(width, 1480);
    EXPECT_EQ(CopyCustomPaperSize(2, r.s(), r.p()), 0);
    EXPECT_EQ(CopyCustomPaperSize(0, nullptr, r.p()), 0);
}

TEST(PaperCodes, CustomPaperEnabledReadsSetting5200)
{
    TestRecords r;
    EXPECT_EQ(IsCustomPaperEnabled(r.s(), nullptr), 0u);
    const uint32_t on = 1;
    ASSERT_EQ(dma_SetValue(kFidCustomPaperEnabled, r.s(), r.p(), kTypeU32, 4, &on), kSettingOk);
    EXPECT_EQ(IsCustomPaperEnabled(r.s(), r.p()), 1u);
}

TEST(CapabilityBits, NamedBitsAndMasks)
{
    const CapabilityBits bits = {{0x00000061u, 0x80000001u, 0x00000004u}};
    struct Case {
        CapabilityId id;
        bool set;
    };
    const Case cases[] = {
        {CapabilityBit(0), true},   {CapabilityBit(1), false},  {CapabilityBit(31), false},
        {CapabilityBit(32), true},  {CapabilityBit(63), true},  {CapabilityBit(62), false},
        {CapabilityBit(66), true},  {CapabilityBit(64), false}, {CapabilityBit(95), false},
        // Above 95 names no bit; as a mask 0xFFFF0060 would have matched word 0.
        {CapabilityBit(96), false}, {0xFFFF0060u, false},       {0xFFFFFFFFu, false},
        {0x2000000u, false},        {0x40u, true},              {0x6u, false},
        {0x7FFF0001u, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TestCapabilityBit(&bits, c.id), c.set) << std::hex << c.id;
    EXPECT_FALSE(TestCapabilityBit(nullptr, CapabilityBit(0)));
}

}  // namespace
