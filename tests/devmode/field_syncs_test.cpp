#include "common/devmode/devmode_merge.h"

#include "common/settings/function_ids.h"
#include "common/settings/paper_codes.h"
#include "tests/devmode/devmode_fixture.h"

#include <cwchar>
#include <initializer_list>
#include <utility>

namespace {

using Values = std::initializer_list<std::pair<uint16_t, uint32_t>>;

class FieldSyncsTest : public DevmodeTest {
protected:
    void SetUp() override
    {
        DevmodeTest::SetUp();
        printerSettings_ = PrinterSettings();
    }
    Record With(Values values)
    {
        Record record = Defaults();
        for (const auto& [id, value] : values) {
            if (id >= 4097)
                SetPrinterNumber(printerSettings_, id, value);
            else
                SetNumber(record, id, value);
        }
        return record;
    }
    Record printerSettings_;
};

struct SyncCase {
    Values before;
    int (*sync)(void* record, void* printerSettingsRecord);
    Values after;
};

int TrueTypeIntoSettings(void* record, void* printerSettings)
{
    return SyncTrueTypeOption(record, printerSettings, kTrueTypeToSettings);
}

int TrueTypeIntoDevmode(void* record, void* printerSettings)
{
    return SyncTrueTypeOption(record, printerSettings, 0);
}

TEST_F(FieldSyncsTest, SyncsBringFieldsAndSettingsInLine)
{
    const SyncCase cases[] = {
        {{{kFidTTOption, 1}, {292, 0}}, TrueTypeIntoSettings, {{292, 1}}},
        {{{kFidTTOption, 2}, {292, 1}}, TrueTypeIntoSettings, {{292, 2}}},
        {{{kFidTTOption, 2}, {292, 0}}, TrueTypeIntoSettings, {{292, 0}}},
        {{{292, 1}}, TrueTypeIntoDevmode, {{kFidTTOption, 1}}},
        {{{292, 2}}, TrueTypeIntoDevmode, {{kFidTTOption, 3}}},
        {{{5202, 0}, {kFidColorMode, 1}, {345, 1}}, SyncColorField, {{kFidColorMode, 1}, {kFidColor, 1}}},
        {{{5202, 0}, {kFidColorMode, 1}, {345, 0}}, SyncColorField, {{kFidColor, 2}}},
        {{{5202, 0}, {kFidColorMode, 2}, {345, 1}}, SyncColorField, {{kFidColorMode, 2}, {kFidColor, 2}}},
        {{{5202, 1}, {kFidColorMode, 2}, {345, 1}}, SyncColorField, {{kFidColorMode, 1}, {kFidColor, 1}}},
        {{{293, 3}}, SyncIcmMethod, {{kFidICMMethod, 2}}},
        {{{293, 2}}, SyncIcmMethod, {{kFidICMMethod, 1}}},
        {{{457, 1}, {265, 260}}, SyncDefaultSource, {{kFidDefaultSource, 260}}},
        {{{457, 1}, {265, 258}, {kFidDefaultSource, 7}}, SyncDefaultSource, {{kFidDefaultSource, 7}}},
        {{{457, 2}, {265, 260}, {kFidDefaultSource, 7}}, SyncDefaultSource, {{kFidDefaultSource, 7}}},
        {{{1314, 1}, {275, 0}, {279, 0}, {283, 5}, {276, 0}, {280, 0}, {284, 0}, {277, 1}, {274, 0}, {278, 0},
          {282, 0}},
         RecomputeNonzeroGroupMask,
         {{273, 5}}},
        {{{1314, 0}, {275, 3}, {274, 0}, {278, 2}, {282, 0}}, RecomputeNonzeroGroupMask, {{273, 7}}},
        {{{1314, 0}, {275, 3}, {274, 0}, {278, 0}, {282, 0}}, RecomputeNonzeroGroupMask, {{273, 0}}},
    };
    int n = 0;
    for (const SyncCase& c : cases) {
        Record record = With(c.before);
        ASSERT_EQ(c.sync(record.data(), printerSettings_.data()), 1) << "case " << n;
        for (const auto& [id, value] : c.after)
            EXPECT_EQ(Number(record, id, &printerSettings_), value) << "case " << n << " setting " << id;
        ++n;
    }
}

TEST_F(FieldSyncsTest, FieldBitsFollowTheSettings)
{
    Record record = With({{1324, 1}, {1331, 0}, {293, 1}});
    ASSERT_EQ(UpdateScaleField(record.data(), printerSettings_.data()), 1);
    ASSERT_EQ(UpdatePaperSizeFields(record.data(), printerSettings_.data()), 1);
    ASSERT_EQ(SyncIcmMethod(record.data(), printerSettings_.data()), 1);
    uint32_t fields = Number(record, kFidFields);
    EXPECT_EQ(fields & kDmScale, kDmScale);
    EXPECT_EQ(fields & (kDmPaperLength | kDmPaperWidth), 0u);
    EXPECT_EQ(fields & kDmIcmMethod, kDmIcmMethod);
    SetNumber(record, 1324, 0);
    SetNumber(record, 1331, 1);
    ASSERT_EQ(UpdateScaleField(record.data(), printerSettings_.data()), 1);
    ASSERT_EQ(UpdatePaperSizeFields(record.data(), printerSettings_.data()), 1);
    fields = Number(record, kFidFields);
    EXPECT_EQ(fields & kDmScale, 0u);
    EXPECT_EQ(fields & (kDmPaperLength | kDmPaperWidth), kDmPaperLength | kDmPaperWidth);
}

TEST_F(FieldSyncsTest, CustomPaperSlots)
{
    uint16_t width = 0, length = 0, nameId = 0;
    wchar_t name[40] = {};
    ASSERT_EQ(FindCustomPaperSlot(CustomPaperCodeFromIndex(0), &width, &length, &nameId, name), 1);
    EXPECT_EQ(width, 5889);
    EXPECT_EQ(length, 5909);
    EXPECT_EQ(nameId, 5929);
    EXPECT_NE(wcslen(name), 0u);
    EXPECT_EQ(name[wcslen(name) - 1], L'1');
    ASSERT_EQ(FindCustomPaperSlot(CustomPaperCodeFromIndex(19), &width, &length, &nameId, nullptr), 1);
    EXPECT_EQ(width, 5889 + 19);
    EXPECT_EQ(FindCustomPaperSlot(9, &width, &length, &nameId, nullptr), 0);
    EXPECT_EQ(FindCustomPaperSlot(kFreeCustomPaperCode, &width, &length, &nameId, nullptr), 0);
}

TEST_F(FieldSyncsTest, FormNameFollowsThePaperSize)
{
    Record record = Defaults();
    SetNumber(record, kFidPaperSize, 9);
    ASSERT_EQ(SyncFormName(context_.get(), handle(), record.data(), printerSettings_.data()), 1);
    EXPECT_STREQ(reinterpret_cast<const wchar_t*>(record.data() + 102), L"A4");
    EXPECT_EQ(Number(record, kFidPaperWidth), 2100u);
    EXPECT_EQ(Number(record, kFidPaperLength), 2970u);
    EXPECT_EQ(Number(record, kFidFields) & kDmFormName, kDmFormName);
}

}  // namespace
