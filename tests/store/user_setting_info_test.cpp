#include "common/store/user_setting_info.h"

#include "common/model/model_data.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/store/printer_data.h"
#include "common/store/user_store.h"
#include "tests/support/import_patch.h"
#include "tests/support/spooler_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kBaseRoot[] = L"Software\\MorvaStoreTest\\UserInfo";
constexpr wchar_t kBase[] = L"Software\\MorvaStoreTest\\UserInfo\\";

uint8_t* Bytes(UserSettingInfo& record)
{
    return reinterpret_cast<uint8_t*>(&record);
}

// A block whose group bytes are all `fill`, stamped as version 4 with flags 7.
UserSettingInfo Filled(uint8_t fill)
{
    UserSettingInfo record;
    std::memset(&record, fill, sizeof record);
    StampUserSettingInfo(&record);
    return record;
}

uint8_t GroupByte(const UserSettingInfo& record, uint16_t bit)
{
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&record);
    for (const UserSettingGroup& group : kUserSettingGroups)
        if (group.bit == bit)
            return bytes[group.sizeOffset + 2 + group.size / 2];
    return 0;
}

TEST(UserSettingInfo, CaptureAndApplyByIdentifier)
{
    std::vector<uint8_t> source(kPrinterSettingsRecordSize, 0);
    std::vector<uint8_t> target(kPrinterSettingsRecordSize, 0);
    // Every item gets a value of its own: strings "A<n>", numbers n.
    uint16_t n = 1;
    for (const UserSettingGroup& group : kUserSettingGroups) {
        for (const UserSettingItem& item : group.items) {
            uint64_t holder = n;
            wchar_t text[8];
            swprintf(text, 8, L"A%u", unsigned{n});
            if (item.type == kTypeString)
                holder = reinterpret_cast<uintptr_t>(text);
            ASSERT_EQ(SetFunctionIdValue(item.id, nullptr, source.data(), item.type, item.size, &holder), kSettingOk)
                << item.id;
            ++n;
        }
    }
    const uint16_t version = 8705;
    uint64_t holder = version;
    ASSERT_EQ(SetFunctionIdValue(8203, nullptr, source.data(), kTypeU16, 2, &holder), kSettingOk);

    UserSettingInfo captured;
    ASSERT_EQ(CaptureUserSettingInfo(L"A model name much longer than thirty-one characters", source.data(), &captured),
              1);
    EXPECT_EQ(captured.version, 4);
    EXPECT_EQ(captured.groupFlags, 7);
    EXPECT_EQ(captured.commonVersion, 8705);
    // The name fills its 32 characters with no terminator; the group flags
    // after it stay whole.
    EXPECT_EQ(std::wstring(captured.modelName, 32), L"A model name much longer than th");
    EXPECT_STREQ(reinterpret_cast<const wchar_t*>(Bytes(captured) + 76), L"A1");  // 5129
    uint32_t u32 = 0;
    std::memcpy(&u32, Bytes(captured) + 1300, 4);  // 5169, the 12th item
    EXPECT_EQ(u32, 12u);
    EXPECT_EQ(Bytes(captured)[2094], 24);  // 5183, the last item

    ASSERT_EQ(ApplyUserSettingInfo(target.data(), &captured, kUserGroup2), 1);
    EXPECT_NE(std::memcmp(source.data(), target.data(), source.size()), 0);
    ASSERT_EQ(ApplyUserSettingInfo(target.data(), &captured, kUserGroup1 | kUserGroup4), 1);
    // 8203 is a header item: capture takes it, apply does not.
    holder = 0;
    SetFunctionIdValue(8203, nullptr, source.data(), kTypeU16, 2, &holder);
    EXPECT_EQ(std::memcmp(source.data(), target.data(), source.size()), 0);

    EXPECT_TRUE(IsUserSettingId(5183));
    EXPECT_TRUE(IsUserSettingId(5129));
    EXPECT_FALSE(IsUserSettingId(5137));
    EXPECT_EQ(CaptureUserSettingInfo(L"m", nullptr, &captured), 0);
}

TEST(UserSettingInfo, ApplyCutsATextWithoutTerminator)
{
    UserSettingInfo record = Filled(0);
    std::memset(Bytes(record) + 126, 'x', 10);  // 5130: five units, none of them zero
    std::vector<uint8_t> target(kPrinterSettingsRecordSize, 0);
    ASSERT_EQ(ApplyUserSettingInfo(target.data(), &record, kUserGroup2), 1);
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    ASSERT_EQ(GetFunctionIdValue(5130, nullptr, target.data(), &type, &size, &holder), kSettingOk);
    EXPECT_EQ(wcslen(reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(holder))), 4u);
}

TEST(UserSettingInfo, ConvertOlderVersions)
{
    std::vector<uint8_t> v1(716, 0);
    v1[0] = 1;
    std::memcpy(v1.data() + 72, L"user", 10);     // 5150
    std::memcpy(v1.data() + 396, L"code", 10);    // 5129
    std::memcpy(v1.data() + 456, "\x05\x00", 2);  // 5146
    for (bool flag : {false, true}) {
        UserSettingInfo record = Filled(0xDD);
        ASSERT_EQ(ConvertUserSettingInfo(v1.data(), 716, &record, flag), 1);
        EXPECT_STREQ(reinterpret_cast<const wchar_t*>(Bytes(record) + 432), L"user");
        EXPECT_STREQ(reinterpret_cast<const wchar_t*>(Bytes(record) + 76), L"code");
        EXPECT_EQ(Bytes(record)[136], 5);
        uint16_t item5178 = 0;
        std::memcpy(&item5178, Bytes(record) + 1312, 2);
        EXPECT_EQ(item5178, flag ? 7 : 0xDDDD);
        EXPECT_EQ(Bytes(record)[1402], 0xDD);  // group 4 left as it was
    }

    struct Case {
        uint16_t version;
        uint32_t size;
        int result;
    };
    const Case cases[] = {
        {1, 716, 1}, {1, 715, 0}, {2, 1100, 1}, {2, 1099, 0}, {3, 2092, 1},
        {3, 2091, 0}, {4, 2096, 1}, {4, 2095, 0}, {0, 2096, 0}, {5, 2096, 0},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> stored(c.size, 0);
        std::memcpy(stored.data(), &c.version, 2);
        UserSettingInfo record = Filled(0xDD);
        EXPECT_EQ(ConvertUserSettingInfo(stored.data(), c.size, &record, true), c.result)
            << c.version << " " << c.size;
    }
}

TEST(UserSettingInfo, VersionThreeFieldsMoveToTheirPlaces)
{
    std::vector<uint8_t> v3(2092, 0);
    v3[0] = 3;
    v3[1922] = 0x41;  // 5180
    v3[1314] = 0x42;  // 5174
    v3[2006] = 0x43;  // 5183
    v3[74] = 0x44;    // group 2
    UserSettingInfo record = Filled(0xDD);
    ASSERT_EQ(ConvertUserSettingInfo(v3.data(), 2092, &record, true), 1);
    EXPECT_EQ(Bytes(record)[1314], 0x41);
    EXPECT_EQ(Bytes(record)[1402], 0x42);
    EXPECT_EQ(Bytes(record)[2094], 0x43);
    EXPECT_EQ(Bytes(record)[76], 0x44);
    uint16_t item5178 = 0;
    std::memcpy(&item5178, Bytes(record) + 1312, 2);
    EXPECT_EQ(item5178, 0);  // version 3 keeps its own
}

class UserSettingInfoStoreTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InstallPrinterDataDeleteStandIn(); }
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kBaseRoot); }
    void TearDown() override { SetUp(); }
    TestPrinter printer_{L"Morva Store User Info"};
    HANDLE h() const { return printer_.handle(); }
    const UserSettingInfo defaults_ = Filled(0xDD);
};

TEST_F(UserSettingInfoStoreTest, OnlyPrinterDataLendsGroupTwo)
{
    ASSERT_TRUE(printer_.ok());
    const UserSettingInfo printerWide = Filled(0x22);
    ASSERT_EQ(SaveUserSettingInfo(h(), kBase, defaults_, printerWide, kUserInfoPrinterWide | 7), 1);
    UserSettingInfo loaded;
    ASSERT_EQ(LoadUserSettingInfo(h(), kBase, defaults_, &loaded, kUserGroupsAll, false), 1);
    EXPECT_EQ(GroupByte(loaded, kUserGroup2), 0x22);
    EXPECT_EQ(GroupByte(loaded, kUserGroup1), 0xDD);
    EXPECT_EQ(GroupByte(loaded, kUserGroup4), 0xDD);
    EXPECT_EQ(loaded.groupFlags, kUserGroup2);
    EXPECT_FALSE(HasUserSettingInfo(h(), kBase));
}

TEST_F(UserSettingInfoStoreTest, SavingOneGroupKeepsTheStoredOthers)
{
    ASSERT_TRUE(printer_.ok());
    UserSettingInfo first = Filled(0x11);
    first.groupFlags = kUserGroup1 | kUserGroup4;
    ASSERT_EQ(SaveUserSettingInfo(h(), kBase, defaults_, first, kUserGroupsAll), 1);
    ASSERT_TRUE(HasUserSettingInfo(h(), kBase));

    const UserSettingInfo second = Filled(0x33);
    ASSERT_EQ(SaveUserSettingInfo(h(), kBase, defaults_, second, kUserGroup2), 1);
    UserSettingInfo loaded;
    ASSERT_EQ(LoadUserSettingInfo(h(), kBase, defaults_, &loaded, kUserGroupsAll, false), 1);
    EXPECT_EQ(loaded.groupFlags, kUserGroupsAll);  // 2 | stored 1 and 4
    EXPECT_EQ(GroupByte(loaded, kUserGroup2), 0x33);
    EXPECT_EQ(GroupByte(loaded, kUserGroup1), 0x11);
    EXPECT_EQ(GroupByte(loaded, kUserGroup4), 0x11);

    ASSERT_EQ(DeleteUserSettingInfo(h(), kBase), 1);
    EXPECT_FALSE(HasUserSettingInfo(h(), kBase));
    // Nothing stored: the flags are the selected groups alone.
    ASSERT_EQ(SaveUserSettingInfo(h(), kBase, defaults_, second, kUserGroup4), 1);
    ASSERT_EQ(LoadUserSettingInfo(h(), kBase, defaults_, &loaded, kUserGroup4, false), 1);
    EXPECT_EQ(loaded.groupFlags, kUserGroup4);
    EXPECT_EQ(GroupByte(loaded, kUserGroup4), 0x33);
    EXPECT_EQ(GroupByte(loaded, kUserGroup1), 0xDD);
}

TEST_F(UserSettingInfoStoreTest, StoredOlderAndUnknownVersions)
{
    ASSERT_TRUE(printer_.ok());
    std::vector<uint8_t> v1(716, 0);
    v1[0] = 1;
    std::memcpy(v1.data() + 72, L"user", 10);
    ASSERT_EQ(WriteUserValue(h(), kBase, v1.data(), 716, REG_BINARY, nullptr, L"UserSettingInfo"), 1);
    UserSettingInfo loaded;
    ASSERT_EQ(LoadUserSettingInfo(h(), kBase, defaults_, &loaded, kUserGroupsAll, true), 1);
    EXPECT_STREQ(reinterpret_cast<const wchar_t*>(reinterpret_cast<uint8_t*>(&loaded) + 432), L"user");
    EXPECT_EQ(loaded.groupFlags, kUserGroupsAll);

    v1[0] = 9;
    ASSERT_EQ(WriteUserValue(h(), kBase, v1.data(), 716, REG_BINARY, nullptr, L"UserSettingInfo"), 1);
    ASSERT_EQ(LoadUserSettingInfo(h(), kBase, defaults_, &loaded, kUserGroupsAll, true), 1);
    EXPECT_EQ(std::memcmp(&loaded, &defaults_, sizeof loaded), 0);
}

}  // namespace

namespace {

std::wstring BesideProgram(const wchar_t* name)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (wchar_t* cut = wcsrchr(path, L'\\'))
        cut[1] = L'\0';
    return std::wstring(path) + name;
}

TEST(UserSettingInfo, ModelDefaultsFillTheItemsTheModelHas)
{
    ModelDataRecord main{};
    ModelDataRecord linked{};
    ASSERT_EQ(LoadModelDataFile(BesideProgram(L"USERDEF.DDD").c_str(), &main, &linked), kModelOk);
    UserSettingInfo record = Filled(0xDD);
    record.groupFlags = 0;
    record.version = 0;
    ASSERT_EQ(FillUserSettingInfoDefaults(&main, &linked, &record), 1);
    CloseModelData(&main, &linked);
    EXPECT_EQ(record.version, 4);
    EXPECT_EQ(record.groupFlags, kUserGroupsAll);
    EXPECT_EQ(record.group1Size, 968);
    EXPECT_STREQ(reinterpret_cast<const wchar_t*>(Bytes(record) + 76), L"GUEST");  // 5129
    EXPECT_EQ(Bytes(record)[76 + 12], 0);                                            // rest of its room cleared
    uint32_t limit = 0;
    std::memcpy(&limit, Bytes(record) + 1300, 4);  // 5169
    EXPECT_EQ(limit, 5u);
    EXPECT_EQ(Bytes(record)[2094], 1);     // 5183
    EXPECT_EQ(Bytes(record)[126], 0xDD);   // 5130: not in the model, left as it was
    EXPECT_EQ(FillUserSettingInfoDefaults(nullptr, nullptr, &record), 0);
}

LSTATUS WINAPI RegOpenKeyDenied(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY)
{
    return ERROR_ACCESS_DENIED;
}

TEST_F(UserSettingInfoStoreTest, KeyThatCannotBeOpenedFailsAPartialSave)
{
    ASSERT_TRUE(printer_.ok());
    const UserSettingInfo first = Filled(0x11);
    ASSERT_EQ(SaveUserSettingInfo(h(), kBase, defaults_, first, kUserGroupsAll), 1);
    const UserSettingInfo second = Filled(0x33);
    {
        ScopedImportPatch patch("advapi32.dll", "RegOpenKeyExW", reinterpret_cast<void*>(&RegOpenKeyDenied));
        ASSERT_TRUE(patch.active());
        EXPECT_EQ(SaveUserSettingInfo(h(), kBase, defaults_, second, kUserGroup2), 0);
        UserSettingInfo loaded;
        EXPECT_EQ(LoadUserSettingInfo(h(), kBase, defaults_, &loaded, kUserGroupsAll, false), 0);
    }
    UserSettingInfo loaded;
    ASSERT_EQ(LoadUserSettingInfo(h(), kBase, defaults_, &loaded, kUserGroupsAll, false), 1);
    EXPECT_EQ(loaded.groupFlags, kUserGroupsAll);
    EXPECT_EQ(GroupByte(loaded, kUserGroup1), 0x11);
    EXPECT_EQ(GroupByte(loaded, kUserGroup2), 0x11);
    EXPECT_EQ(GroupByte(loaded, kUserGroup4), 0x11);
}

}  // namespace
