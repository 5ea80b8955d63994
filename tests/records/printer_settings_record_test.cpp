#include "common/records/printer_settings_record.h"

#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/store/printer_data.h"
#include "common/store/printer_id.h"
#include "common/store/user_setting_info.h"
#include "tests/support/spooler_fixture.h"
#include "tests/system/trace_test_driver.h"

#include <winspool.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kBaseRoot[] = L"Software\\MorvaRecordsTest\\PrinterSettings";
constexpr wchar_t kBase[] = L"Software\\MorvaRecordsTest\\PrinterSettings\\";
constexpr uint16_t kUserCode = 5129;  // a group-2 text
constexpr uint32_t kLayoutShift = 8;  // the fake older layout: every field 8 bytes further on

using Record = std::vector<uint8_t>;

void SetNumber(Record& record, uint16_t id, uint32_t value)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    ASSERT_EQ(GetFunctionIdValue(id, nullptr, record.data(), &type, &size, &holder), kSettingOk) << id;
    holder = value;
    ASSERT_EQ(SetFunctionIdValue(id, nullptr, record.data(), type, size, &holder), kSettingOk) << id;
}

void SetText(Record& record, uint16_t id, const wchar_t* text, uint32_t room)
{
    uint64_t holder = reinterpret_cast<uintptr_t>(text);
    ASSERT_EQ(SetFunctionIdValue(id, nullptr, record.data(), kTypeString, room, &holder), kSettingOk) << id;
}

std::wstring Text(const uint8_t* record, uint16_t id)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdValue(id, nullptr, const_cast<uint8_t*>(record), &type, &size, &holder) != kSettingOk)
        return L"<unreadable>";
    return reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(holder));
}

struct Calls {
    int defaults = 0;
    int converted = 0;
    int enforced = 0;
};

int FillDefaults(void* context, uint8_t* record)
{
    ++static_cast<Calls*>(context)->defaults;
    std::memset(record, 0, kPrinterSettingsRecordSize);
    Record r(record, record + kPrinterSettingsRecordSize);
    SetText(r, kUserCode, L"DEFAULT", 50);
    std::memcpy(record, r.data(), r.size());
    return 1;
}

// The older layout of this test keeps every field kLayoutShift bytes later than
// the current one, the version words excepted.
int ConvertOlder(void* context, const uint8_t* stored, uint8_t* record)
{
    ++static_cast<Calls*>(context)->converted;
    std::memset(record, 0, kPrinterSettingsRecordSize);
    std::memcpy(record, stored, 8);
    std::memcpy(record + 8, stored + 8 + kLayoutShift, kPrinterSettingsRecordSize - 8 - kLayoutShift);
    const uint16_t current = kPrinterCommonVersionCurrent;
    std::memcpy(record + 2, &current, 2);
    return 1;
}

int ApplyEnforced(void* context, uint8_t*)
{
    ++static_cast<Calls*>(context)->enforced;
    return 1;
}

// The record as an older writer stored it: `current` shifted by kLayoutShift.
Record OlderLayout(const Record& current, uint16_t commonVersion)
{
    Record older(kPrinterSettingsRecordSize, 0);
    std::memcpy(older.data(), current.data(), 8);
    std::memcpy(older.data() + 8 + kLayoutShift, current.data() + 8, kPrinterSettingsRecordSize - 8 - kLayoutShift);
    std::memcpy(older.data() + 2, &commonVersion, 2);
    return older;
}

class PrinterSettingsRecordTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InstallPrinterDataDeleteStandIn(); }
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, kBaseRoot);
        std::memset(&userDefaults_, 0, sizeof userDefaults_);
        StampUserSettingInfo(&userDefaults_);
        std::memcpy(reinterpret_cast<uint8_t*>(&userDefaults_) + 76, L"UDEF", 10);
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kBaseRoot); }

    PrinterSettingsSources Sources()
    {
        return {&calls_, kBase, L"Model", &userDefaults_, L"morvaui.dll", &FillDefaults, &ConvertOlder, &ApplyEnforced};
    }
    void StoreUserCode(const wchar_t* code)
    {
        Record psr(kPrinterSettingsRecordSize, 0);
        SetText(psr, kUserCode, code, 50);
        UserSettingInfo info;
        ASSERT_EQ(CaptureUserSettingInfo(L"Model", psr.data(), &info), 1);
        ASSERT_EQ(SaveUserSettingInfo(h(), kBase, userDefaults_, info, kUserGroupsAll), 1);
    }
    void StoreRecord(const Record& record)
    {
        ASSERT_EQ(WritePrinterDataTable(h(), record.data(), static_cast<uint32_t>(record.size()), kPrinterSettingsTable),
                  1);
    }

    TestPrinter printer_{L"Morva Records Printer Settings"};
    HANDLE h() const { return printer_.handle(); }
    Calls calls_;
    UserSettingInfo userDefaults_;
};

TEST_F(PrinterSettingsRecordTest, UserValuesGoIntoTheConvertedRecord)
{
    ASSERT_TRUE(printer_.ok());
    Record current(kPrinterSettingsRecordSize, 0);
    SetNumber(current, kFidPrinterPrivateVersion, kPrinterPrivateVersionCurrent);
    SetText(current, kUserCode, L"STORED", 50);
    SetText(current, 5147, L"kept", 258);
    StoreRecord(OlderLayout(current, 8704));
    StoreUserCode(L"USER");

    Record out(kPrinterSettingsRecordSize, 0xEE);
    ASSERT_EQ(LoadPrinterSettingsRecord(h(), out.data(), Sources()), 1);
    EXPECT_EQ(calls_.converted, 1);
    EXPECT_EQ(calls_.enforced, 1);
    EXPECT_EQ(Text(out.data(), kUserCode), L"USER");
    // A field the user block does not hold comes from the converted record.
    EXPECT_EQ(Text(out.data(), 5148), L"");
    uint16_t common = 0;
    std::memcpy(&common, out.data() + 2, 2);
    EXPECT_EQ(common, kPrinterCommonVersionCurrent);
}

TEST_F(PrinterSettingsRecordTest, CurrentRecordComesBackByteForByte)
{
    ASSERT_TRUE(printer_.ok());
    Record current(kPrinterSettingsRecordSize, 0);
    for (size_t i = 8; i < current.size(); ++i)
        current[i] = static_cast<uint8_t>(i * 7);
    SetNumber(current, kFidPrinterCommonVersion, kPrinterCommonVersionCurrent);
    SetNumber(current, kFidPrinterPrivateVersion, kPrinterPrivateVersionCurrent);
    // Texts of the user items end within their rooms, as every writer leaves them.
    for (const UserSettingGroup& group : kUserSettingGroups)
        for (const UserSettingItem& item : group.items)
            if (item.type == kTypeString)
                SetText(current, item.id, L"text", item.size);
    // The user's stored block holds the record's own values.
    UserSettingInfo own;
    ASSERT_EQ(CaptureUserSettingInfo(L"Model", current.data(), &own), 1);
    uint8_t id[kPrinterIdBytes];
    ASSERT_EQ(EnsurePrinterId(h(), id), 1);
    ASSERT_EQ(SaveUserSettingInfo(h(), kBase, userDefaults_, own, kUserGroupsAll), 1);
    StoreRecord(current);

    Record out(kPrinterSettingsRecordSize, 0);
    ASSERT_EQ(LoadPrinterSettingsRecord(h(), out.data(), Sources()), 1);
    EXPECT_EQ(calls_.converted, 0);
    EXPECT_EQ(out, current);
}

TEST_F(PrinterSettingsRecordTest, OlderPrivateVersionKeepsTheRecordsValuesAsTheUsers)
{
    ASSERT_TRUE(printer_.ok());
    Record current(kPrinterSettingsRecordSize, 0);
    SetNumber(current, kFidPrinterPrivateVersion, 16000);
    SetText(current, kUserCode, L"RECORD", 50);
    StoreRecord(OlderLayout(current, 8704));

    Record out(kPrinterSettingsRecordSize, 0);
    ASSERT_EQ(LoadPrinterSettingsRecord(h(), out.data(), Sources()), 1);
    EXPECT_EQ(Text(out.data(), kUserCode), L"RECORD");
    // Captured from the converted record, so the value is the field's, not a
    // neighbour's of the older layout.
    UserSettingInfo stored;
    ASSERT_EQ(LoadUserSettingInfo(h(), kBase, userDefaults_, &stored, kUserGroupsAll, false), 1);
    EXPECT_STREQ(reinterpret_cast<const wchar_t*>(reinterpret_cast<uint8_t*>(&stored) + 76), L"RECORD");
}

TEST_F(PrinterSettingsRecordTest, MissingTableGivesTheModelDefaults)
{
    ASSERT_TRUE(printer_.ok());
    Record out(kPrinterSettingsRecordSize, 0xEE);
    ASSERT_EQ(LoadPrinterSettingsRecord(h(), out.data(), Sources()), 1);
    EXPECT_EQ(calls_.defaults, 1);
    EXPECT_EQ(calls_.enforced, 1);
    EXPECT_EQ(Text(out.data(), kUserCode), L"DEFAULT");
    PrinterSettingsSources incomplete = Sources();
    incomplete.convertOlder = nullptr;
    EXPECT_EQ(LoadPrinterSettingsRecord(h(), out.data(), incomplete), 0);
    EXPECT_EQ(LoadPrinterSettingsRecord(nullptr, out.data(), Sources()), 0);
}

TEST_F(PrinterSettingsRecordTest, UnreadableTableGivesTheModelDefaultsAndIsTraced)
{
    ASSERT_TRUE(printer_.ok());
    TraceTestDriver driver(L"morva_records_trace");
    ASSERT_TRUE(driver.loaded());
    driver.Configure("[LOG]\r\nLog=1\r\n");
    const auto setValue = [&](const wchar_t* name, DWORD type, const void* data, DWORD size) {
        return SetPrinterDataW(h(), const_cast<wchar_t*>(name), type, static_cast<BYTE*>(const_cast<void*>(data)),
                               size) == ERROR_SUCCESS;
    };
    const DWORD marked = kChunkedSizeRewriting;
    const DWORD longer = kPrinterSettingsRecordSize + 10;
    const uint8_t shortPiece[10] = {};
    struct Case {
        const char* name;
        bool traced;
        std::function<bool()> spoil;
    };
    const Case cases[] = {
        {"nothing stored", false, [] { return true; }},
        {"marked", true, [&] { return setValue(L"PrinterDataSize", REG_DWORD, &marked, 4); }},
        {"size of another blob", true, [&] { return setValue(L"PrinterDataSize", REG_DWORD, &longer, 4); }},
        {"short piece", true, [&] { return setValue(L"PrinterData1", REG_BINARY, shortPiece, 10); }},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(printer_.ClearPrinterData());
        if (c.traced)
            StoreRecord(Record(kPrinterSettingsRecordSize, 0x11));
        ASSERT_TRUE(c.spoil()) << c.name;
        TraceTestDriver::DeleteTraceFile();
        calls_ = {};
        Record out(kPrinterSettingsRecordSize, 0xEE);
        ASSERT_EQ(LoadPrinterSettingsRecord(h(), out.data(), Sources()), 1) << c.name;
        EXPECT_EQ(calls_.defaults, 1) << c.name;
        EXPECT_EQ(Text(out.data(), kUserCode), L"DEFAULT") << c.name;
        const std::string trace = TraceTestDriver::ReadTraceFile();
        EXPECT_EQ(trace.find("stored printer settings unreadable") != std::string::npos, c.traced)
            << c.name << ": " << trace;
    }
    TraceTestDriver::DeleteTraceFile();
}

TEST_F(PrinterSettingsRecordTest, UpgradedPrinterDataSizesAndBuffer)
{
    ASSERT_TRUE(printer_.ok());
    DWORD size = 0;
    EXPECT_TRUE(GetUpgradedPrinterDataBody(h(), nullptr, &size, Sources()));
    EXPECT_EQ(size, 7964u);
    size = 5;
    EXPECT_FALSE(GetUpgradedPrinterDataBody(h(), nullptr, &size, Sources()));
    EXPECT_FALSE(GetUpgradedPrinterDataBody(h(), nullptr, nullptr, Sources()));
    Record buffer(kPrinterSettingsRecordSize, 0);
    size = 7963;
    EXPECT_FALSE(GetUpgradedPrinterDataBody(h(), buffer.data(), &size, Sources()));
    size = 7964;
    EXPECT_TRUE(GetUpgradedPrinterDataBody(h(), buffer.data(), &size, Sources()));
    EXPECT_EQ(Text(buffer.data(), kUserCode), L"DEFAULT");
}

TEST_F(PrinterSettingsRecordTest, UpgradeStoresTheUsersValuesAndKeepsTheRecordsOwn)
{
    ASSERT_TRUE(printer_.ok());
    StoreUserCode(L"USER");
    Record record(kPrinterSettingsRecordSize, 0);
    SetNumber(record, kFidPrinterCommonVersion, kPrinterCommonVersionCurrent);
    SetText(record, kUserCode, L"OWN", 50);
    EXPECT_EQ(UpgradePrinterSettingsRecord(h(), record.data(), Sources(), false), 0);
    ASSERT_EQ(UpgradePrinterSettingsRecord(h(), record.data(), Sources(), true), 1);
    EXPECT_EQ(Text(record.data(), kUserCode), L"OWN");
    Record stored(kPrinterSettingsRecordSize, 0);
    uint32_t size = kPrinterSettingsRecordSize;
    ASSERT_EQ(ReadPrinterDataTable(h(), kPrinterSettingsTable, stored.data(), &size), 1);
    EXPECT_EQ(Text(stored.data(), kUserCode), L"USER");

    wchar_t value[32] = {};
    DWORD type = 0;
    DWORD needed = 0;
    ASSERT_EQ(GetPrinterDataW(h(), const_cast<wchar_t*>(kUserModeDriverValueName), &type,
                              reinterpret_cast<BYTE*>(value), sizeof value, &needed),
              static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_STREQ(value, L"morvaui.dll");
    EXPECT_EQ(needed, sizeof(L"morvaui.dll"));
}

TEST_F(PrinterSettingsRecordTest, SyncResetsGroupFourWhenTheUserKeysDiffer)
{
    ASSERT_TRUE(printer_.ok());
    Record record(kPrinterSettingsRecordSize, 0);
    SetText(record, 5174, L"sender", 66);
    int changed = -1;
    ASSERT_EQ(SyncPrinterSettingsWithUser(h(), Sources(), record.data(), &changed), 1);
    EXPECT_EQ(changed, 0);  // defaults on both sides: keys equal
    SetNumber(record, 5168, 3);
    ASSERT_EQ(SyncPrinterSettingsWithUser(h(), Sources(), record.data(), &changed), 1);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(Text(record.data(), 5174), L"");
}

}  // namespace
