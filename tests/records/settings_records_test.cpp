#include "common/records/effective_values.h"
#include "common/records/settings_records.h"

#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/system/global_block.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Records {
    std::vector<uint8_t> settings = std::vector<uint8_t>(kSettingsRecordSize, 0);
    std::vector<uint8_t> printer = std::vector<uint8_t>(kPrinterSettingsRecordSize, 0);

    void Set(uint16_t id, uint32_t value)
    {
        uint16_t type = 0;
        uint32_t size = 0;
        uint64_t holder = 0;
        ASSERT_EQ(GetFunctionIdValue(id, settings.data(), printer.data(), &type, &size, &holder), kSettingOk) << id;
        uint64_t word = value;
        ASSERT_EQ(SetFunctionIdValue(id, settings.data(), printer.data(), type, size, &word), kSettingOk) << id;
    }
    uint32_t Effective(uint16_t id) { return GetEffectiveValue(settings.data(), printer.data(), id); }
};

uint16_t U16At(const void* record, size_t offset)
{
    uint16_t value = 0;
    std::memcpy(&value, static_cast<const uint8_t*>(record) + offset, 2);
    return value;
}

uint32_t U32At(const void* record, size_t offset)
{
    uint32_t value = 0;
    std::memcpy(&value, static_cast<const uint8_t*>(record) + offset, 4);
    return value;
}

TEST(EffectiveValues, ColourSettingsOfAMonochromeJobAreNeutral)
{
    Records r;
    r.Set(392, 0x55);
    r.Set(454, 7);
    struct Case {
        uint32_t colorMode;
        uint32_t effective392;
        uint32_t effective454;
    };
    for (const Case& c : {Case{1, 0, 7}, Case{2, 0x55, 0}}) {
        r.Set(kFidColorMode, c.colorMode);
        EXPECT_EQ(r.Effective(392), c.effective392) << c.colorMode;
        EXPECT_EQ(r.Effective(454), c.effective454) << c.colorMode;
        EXPECT_EQ(IsSettingApplicable(392, r.settings.data(), r.printer.data()),
                  c.colorMode == 1 ? kSettingNotApplicable : kSettingApplicable);
    }
}

TEST(EffectiveValues, ControllingSettingsTable)
{
    Records r;
    struct Case {
        uint16_t id;
        uint32_t colorMode;
        uint32_t matching;  // 293
        uint32_t kind;      // 271
        int applicable;
    };
    const Case cases[] = {
        {273, 2, 2, 0, kSettingApplicable},    {273, 2, 3, 0, kSettingNotApplicable},
        {288, 1, 4, 0, kSettingApplicable},    {278, 1, 4, 0, kSettingNotApplicable},
        {278, 2, 4, 0, kSettingApplicable},    {291, 2, 1, 0, kSettingNotApplicable},
        {1317, 1, 0, 0, kSettingNotApplicable}, {1318, 1, 0, 0, kSettingApplicable},
        {1307, 1, 0, 8, kSettingApplicable},   {1307, 1, 0, 7, kSettingNotApplicable},
        {1832, 2, 2, 0, kSettingApplicable},   {1833, 2, 0, 0, kSettingNotApplicable},
        {12, 1, 0, 0, kSettingApplicable},
    };
    for (const Case& c : cases) {
        r.Set(kFidColorMode, c.colorMode);
        r.Set(293, c.matching);
        r.Set(271, c.kind);
        EXPECT_EQ(IsSettingApplicable(c.id, r.settings.data(), r.printer.data()), c.applicable) << c.id;
    }
    // No settings record: the controlling setting cannot be read.
    EXPECT_EQ(IsSettingApplicable(392, nullptr, r.printer.data()), kSettingControlUnreadable);
    EXPECT_EQ(GetEffectiveValue(nullptr, r.printer.data(), 392), kNoEffectiveValue);
    EXPECT_EQ(IsSettingApplicable(12, nullptr, nullptr), kSettingApplicable);
}

TEST(EffectiveValues, NeutralStringIsEmpty)
{
    Records r;
    r.Set(293, 1);
    uint16_t type = 0;
    uint32_t size = 99;
    uint64_t holder = 1;
    ASSERT_EQ(QueryEffectiveValue(1832, r.settings.data(), r.printer.data(), &type, &size, &holder), kEffectiveOk);
    EXPECT_EQ(holder, 0u);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(QueryEffectiveValue(1832, r.settings.data(), r.printer.data(), &type, &size, nullptr), kEffectiveFailed);
}

TEST(EffectiveValues, StreamVersionAndResolutionBoundValue)
{
    Records r;
    r.Set(kFidStreamVersion, 0x01020304);
    r.Set(336, 0);
    EXPECT_EQ(r.Effective(kFidStreamVersion), 0x01020304u);
    r.Set(336, 1);
    EXPECT_EQ(r.Effective(kFidStreamVersion), kOlderStreamVersion);

    r.Set(346, 5);
    r.Set(kFidPrintQuality, 600);
    EXPECT_EQ(r.Effective(346), 5u);
    r.Set(kFidPrintQuality, 300);
    EXPECT_EQ(r.Effective(346), 0u);
}

TEST(SettingsRecords, BufferForms)
{
    EXPECT_EQ(GetSettingsRecordSize(kOrdinaryDevmodeForm), 1604u);
    EXPECT_EQ(GetSettingsRecordSize(kSettingsRecordForm), 5900u);
    GlobalBlockPtr<uint8_t> record(AllocSettingsRecord(kSettingsRecordForm));
    ASSERT_TRUE(record);
    EXPECT_EQ(GlobalSize(record.get()), 5900u);
    std::vector<uint8_t> source(5900, 0xAA);
    CopySettingsRecord(record.get(), source.data(), kOrdinaryDevmodeForm);
    EXPECT_EQ(record.get()[1603], 0xAA);
    EXPECT_EQ(record.get()[1604], 0);
    ClearSettingsRecord(record.get(), kSettingsRecordForm);
    EXPECT_EQ(record.get()[0], 0);
}

// Only the private part moves: bytes 1604 to 5899, nothing before it.
TEST(SettingsRecords, CopyPrivatePartMovesOnlyThePrivatePart)
{
    std::vector<uint8_t> source(5900), target(5900, 0x11);
    for (size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<uint8_t>(i * 7 + 3);
    CopyPrivatePart(target.data(), source.data());
    EXPECT_EQ(std::vector<uint8_t>(target.begin(), target.begin() + 1604), std::vector<uint8_t>(1604, 0x11));
    EXPECT_EQ(std::vector<uint8_t>(target.begin() + 1604, target.end()),
              std::vector<uint8_t>(source.begin() + 1604, source.end()));
    CopyPrivatePart(nullptr, source.data());
    CopyPrivatePart(target.data(), nullptr);
}

TEST(SettingsRecords, ExtendedRecordCarriesPaperAndMarginsAfterTheSettings)
{
    Records r;
    r.Set(kFidPaperSize, 9);
    r.Set(387, 1);
    const TrailerSources sources = {5, {1, 2, 3, 4}, 77, true};
    ExtendedSettingsRecord extended;
    ASSERT_EQ(BuildExtendedSettingsRecord(&extended, r.settings.data(), r.printer.data(), sources), 1);
    EXPECT_EQ(U16At(&extended, kDmSizeOffset), 220);
    EXPECT_EQ(U16At(&extended, kDmDriverExtraOffset), 5704);
    const uint16_t words[] = {24, 9, 5, 1, 2, 3, 4, 0};
    for (size_t i = 0; i < std::size(words); ++i)
        EXPECT_EQ(U16At(&extended, 5900 + 2 * i), words[i]) << 5900 + 2 * i;
    EXPECT_EQ(U32At(&extended, 5916), 77u);
    EXPECT_EQ(U32At(&extended, 5920), 1u);
    EXPECT_EQ(IsExtendedSettingsRecord(&extended, sizeof extended), 1);
    EXPECT_EQ(IsExtendedSettingsRecord(&extended, sizeof extended - 1), 0);
    EXPECT_EQ(IsExtendedSettingsRecord(r.settings.data(), 5900), 0);

    struct Case {
        uint32_t wanted;  // 387
        uint16_t modelPaper;
    };
    for (const Case& c : {Case{0, 5}, Case{1, 0}}) {
        r.Set(387, c.wanted);
        TrailerSources other = sources;
        other.modelPaper = c.modelPaper;
        ASSERT_EQ(BuildExtendedSettingsRecord(&extended, r.settings.data(), r.printer.data(), other), 1);
        EXPECT_EQ(U16At(&extended, 5900), 24);
        for (size_t offset = 5902; offset < 5914; offset += 2)
            EXPECT_EQ(U16At(&extended, offset), 0) << offset;
        EXPECT_EQ(U32At(&extended, 5916), 77u);
    }
}

TEST(SettingsRecords, MapFileReadOnly)
{
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    const std::wstring path = std::wstring(dir) + L"morva_records_map.bin";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "MORVA", 5, &written, nullptr);
    CloseHandle(file);
    const uint8_t* view = nullptr;
    const uint8_t* cursor = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(MapFileReadOnly(path.c_str(), &view, &cursor, &size), 1);
    EXPECT_EQ(view, cursor);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(std::memcmp(view, "MORVA", 5), 0);
    UnmapViewOfFile(view);
    DeleteFileW(path.c_str());
    EXPECT_EQ(MapFileReadOnly(path.c_str(), &view, &cursor, &size), 0);
}

// The hook runs inside the merge and the sheet builder between calls whose
// last-error value their callers read: it must leave the thread as it was, and
// its answer 0 is what keeps the follow-up from running.
TEST(SettingsRecords, OnceHookLeavesTheThreadAsItWas)
{
    SetLastError(0x1234);
    EXPECT_EQ(RunOnceHook(), 0);
    EXPECT_EQ(GetLastError(), 0x1234u);
    for (int answer : {1, -1, 0x7FFFFFFF}) {
        SetLastError(0x4321);
        EXPECT_EQ(HandleOnceHookResult(answer), 1) << answer;
        EXPECT_EQ(GetLastError(), 0x4321u) << answer;
    }
}

// A DEVMODE of this driver's layout: public part, common-part stamp 257, and
// the size fields of the form given.
std::vector<uint8_t> CoreDevmode(uint16_t size, uint16_t driverExtra)
{
    std::vector<uint8_t> record(kSettingsRecordSize, 0);
    const uint16_t words[][2] = {{64, kPublicSpecVersion}, {66, kPublicDriverVersion}, {68, size},
                                 {70, driverExtra},        {220, 21072}};
    for (const auto& word : words)
        std::memcpy(record.data() + word[0], &word[1], 2);
    return record;
}

TEST(SettingsRecords, CoreFieldsOfADevmode)
{
    struct Case {
        const char* what;
        size_t offset;     // field changed from the ordinary form, or 0
        uint16_t value;
        size_t available;  // bytes the caller holds
        int result;
    };
    const Case cases[] = {
        {"ordinary form", 0, 0, kPrivatePartOffset, 1},
        {"ordinary form, one byte short", 0, 0, kPrivatePartOffset - 1, 0},
        {"whole settings record", 0, 0, kSettingsRecordSize, 1},
        {"spec version 1024", 64, 1024, kPrivatePartOffset, 0},
        {"spec version 1026", 64, 1026, kPrivatePartOffset, 0},
        {"dmSize 219", 68, 219, kPrivatePartOffset, 0},
        {"dmSize 221", 68, 221, kPrivatePartOffset, 0},
        {"dmSize 212 (the narrow-character size)", 68, 212, kPrivatePartOffset, 1},
        {"dmDriverExtra 1383", 70, 1383, kPrivatePartOffset, 0},
        {"dmDriverExtra 1385", 70, 1385, kPrivatePartOffset, 0},
        {"dmDriverExtra 5704, held whole", 70, kExtendedDriverExtra, kExtendedSettingsRecordSize, 1},
        {"dmDriverExtra 5704, one byte short", 70, kExtendedDriverExtra, kExtendedSettingsRecordSize - 1, 0},
        {"private stamp 21071", 220, 21071, kPrivatePartOffset, 0},
        {"private stamp 0", 220, 0, kPrivatePartOffset, 0},
        {"public part only", 0, 0, kPublicDevmodeSize, 0},
        {"size fields only", 0, 0, 72, 0},
        {"size fields cut", 0, 0, 71, 0},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> record = CoreDevmode(220, kOrdinaryDriverExtra);
        record.resize(kExtendedSettingsRecordSize, 0);
        if (c.offset != 0)
            std::memcpy(record.data() + c.offset, &c.value, 2);
        EXPECT_EQ(ValidateDevmodeCoreFields(record.data(), c.available), c.result) << c.what;
    }
    EXPECT_EQ(ValidateDevmodeCoreFields(nullptr, kSettingsRecordSize), 0);
}

}  // namespace
