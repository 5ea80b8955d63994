#include "common/job/stamp_fonts.h"
#include "common/job/stamp_store.h"
#include "common/settings/paper_codes.h"

#include "common/store/user_store.h"
#include "common/system/module_files.h"
#include "tests/support/spooler_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kUserRoot[] = L"Software\\MorvaJobTest\\StampUsers";
constexpr wchar_t kUserBase[] = L"Software\\MorvaJobTest\\StampUsers\\";
constexpr wchar_t kMachineRoot[] = L"Software\\MorvaJobTest\\StampMachine";
constexpr wchar_t kMachineBase[] = L"Software\\MorvaJobTest\\StampMachine\\Fax";

const wchar_t* const kDefaultNames[] = {L"Confidential", L"Draft", L"Copy", L"Urgent", L"Internal Use Only",
                                         L"Do Not Copy"};

StampRecord UserStamp(const wchar_t* name, const wchar_t* text = L"TEXT")
{
    StampRecord record = {};
    wcsncpy(record.name, name, 32);
    wcsncpy(record.text, text, 64);
    record.color = 0x00FF0000;
    record.valueA = 1;
    record.valueD = 0x0202;
    record.font.lfHeight = -100;
    record.font.lfWeight = 400;
    record.font.lfQuality = 2;
    wcscpy(record.font.lfFaceName, L"Arial");
    return record;
}

class StampStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer_.ok());
        RegDeleteTreeW(HKEY_CURRENT_USER, kUserRoot);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kMachineRoot);
        ASSERT_NE(GetResourceModule(), nullptr) << "morvares.dll beside the test";
        at_ = {printer_.handle(), kUserBase, kMachineBase};
    }
    void TearDown() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, kUserRoot);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kMachineRoot);
    }
    std::wstring StampsPath(int kind)
    {
        wchar_t path[kUserKeyPathChars];
        EXPECT_EQ(BuildStampsKeyPath(printer_.handle(), kUserBase, path, kUserKeyPathChars, kind), 1);
        return path;
    }
    void PutValue(const wchar_t* name, DWORD type, const void* data, DWORD size)
    {
        HKEY key = nullptr;
        ASSERT_EQ(OpenStampStore(at_, &key), kStampOk);
        RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
    uint32_t Count()
    {
        uint32_t count = 0;
        EXPECT_EQ(CountStamps(at_, &count), kStampOk);
        return count;
    }
    TestPrinter printer_{L"Morva Job Stamps"};
    StampStoreLocation at_{};
};

TEST_F(StampStore, FirstUseMakesSixDefaultStampsAndTheVersion)
{
    HKEY key = nullptr;
    ASSERT_EQ(OpenStampStore(at_, &key), kStampOk);
    DWORD values = 0;
    DWORD subkeys = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    EXPECT_EQ(values, 6u);
    EXPECT_EQ(subkeys, 1u);  // Others
    wchar_t version[16] = {};
    DWORD size = sizeof version;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, StampsPath(1).c_str(), L"Stamp Version", RRF_RT_REG_SZ, nullptr,
                           version, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(version, L"0.01");

    StampRecord first = {};
    ASSERT_EQ(GetStamp(at_, L"Confidential", &first, false), kStampOk);
    EXPECT_STREQ(first.text, L"CONFIDENTIAL");
    EXPECT_EQ(first.color, 0x000033FFu);
    EXPECT_EQ(first.valueB, 1u);
    EXPECT_EQ(first.valueC, 2u);
    EXPECT_EQ(first.valueD, 0x0202u);
    EXPECT_EQ(first.font.lfHeight, -48);
    EXPECT_EQ(first.font.lfEscapement, 450);
    EXPECT_EQ(first.font.lfWeight, 0);
    EXPECT_EQ(first.font.lfCharSet, 1);
    EXPECT_EQ(first.font.lfQuality, 2);
    EXPECT_STREQ(first.font.lfFaceName, L"Arial");
    StampRecord second = {};
    ASSERT_EQ(GetStamp(at_, L"DRAFT", &second, false), kStampOk);  // case-blind, as the registry
    EXPECT_EQ(second.font.lfWeight, 700);
    EXPECT_EQ(second.valueD, 0x0301u);
}

TEST_F(StampStore, MachineTemplateIsCopiedOnFirstUse)
{
    HKEY machine = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kMachineBase) + L"\\Stamps\\Others").c_str(), 0,
                              nullptr, 0, KEY_WRITE, nullptr, &machine, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(machine, L"Stamp Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"0.01"), 10);
    RegCloseKey(machine);
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kMachineBase) + L"\\Stamps").c_str(), 0, nullptr,
                              0, KEY_WRITE, nullptr, &machine, nullptr),
              ERROR_SUCCESS);
    const StampRecord office = UserStamp(L"Office", L"OFFICE COPY");
    RegSetValueExW(machine, L"Office", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&office), sizeof office);
    RegCloseKey(machine);

    EXPECT_EQ(Count(), 1u);
    StampRecord read = {};
    ASSERT_EQ(GetStamp(at_, L"Office", &read, false), kStampOk);
    EXPECT_EQ(std::memcmp(&read, &office, sizeof read), 0);
    EXPECT_EQ(GetStamp(at_, L"Draft", &read, false), kStampBadArgument);  // not in this store
    HKEY others = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, StampsPath(1).c_str(), 0, KEY_READ, &others), ERROR_SUCCESS);
    RegCloseKey(others);
}

TEST_F(StampStore, DefaultsAreRefusedAndTheThirtyThirdIsFull)
{
    EXPECT_EQ(DeleteStamp(at_, L"Draft"), kStampIsDefault);
    EXPECT_EQ(DeleteStamp(at_, L"copy"), kStampIsDefault);
    EXPECT_EQ(CanAddStamp(at_, L"Urgent"), kStampNameUsed);
    EXPECT_EQ(FindStamp(at_, L"Urgent"), kStampIsDefault);
    EXPECT_EQ(CanAddStamp(at_, nullptr), kStampOk);

    for (int i = 0; i < 26; ++i) {
        const std::wstring name = L"Mine " + std::to_wstring(i);
        ASSERT_EQ(CanAddStamp(at_, name.c_str()), kStampOk) << i;
        const StampRecord mine = UserStamp(name.c_str());
        ASSERT_EQ(SaveStamp(at_, &mine), kStampOk) << i;
    }
    EXPECT_EQ(Count(), 32u);
    EXPECT_EQ(CanAddStamp(at_, L"Mine 0"), kStampNameUsed);
    EXPECT_EQ(CanAddStamp(at_, L"One Too Many"), kStampStoreFull);
    const StampRecord extra = UserStamp(L"One Too Many");
    EXPECT_EQ(SaveStamp(at_, &extra), kStampStoreFull);
    const StampRecord changed = UserStamp(L"mine 5", L"CHANGED");  // the stored one, another case
    EXPECT_EQ(SaveStamp(at_, &changed), kStampOk);
    EXPECT_EQ(Count(), 32u);
    StampRecord read = {};
    ASSERT_EQ(GetStamp(at_, L"Mine 5", &read, false), kStampOk);
    EXPECT_STREQ(read.text, L"CHANGED");

    EXPECT_EQ(FindStamp(at_, L"Mine 7"), kStampOk);
    EXPECT_EQ(DeleteStamp(at_, L"Mine 7"), kStampOk);
    EXPECT_EQ(FindStamp(at_, L"Mine 7"), kStampBadArgument);
    EXPECT_EQ(DeleteStamp(at_, L"Mine 7"), kStampBadArgument);
    EXPECT_EQ(CanAddStamp(at_, L"One Too Many"), kStampOk);
}

TEST_F(StampStore, ValuesOfAnotherSizeAreNoStamps)
{
    const StampRecord good = UserStamp(L"Good");
    PutValue(L"Short", REG_BINARY, &good, sizeof good - 1);
    std::vector<uint8_t> longer(sizeof good + 4, 0);
    std::memcpy(longer.data(), &good, sizeof good);
    PutValue(L"Long", REG_BINARY, longer.data(), static_cast<DWORD>(longer.size()));
    PutValue(L"Text", REG_SZ, &good, sizeof good);
    EXPECT_EQ(Count(), 6u);
    StampRecord read = {};
    EXPECT_EQ(GetStamp(at_, L"Good", &read, false), kStampBadArgument);
    EXPECT_EQ(FindStamp(at_, L"Good"), kStampBadArgument);
}

TEST_F(StampStore, StringsReadBackAreTerminated)
{
    StampRecord full = UserStamp(L"x");
    wmemset(full.name, L'N', 33);
    wmemset(full.text, L'T', 65);
    wmemset(full.font.lfFaceName, L'F', LF_FACESIZE);
    PutValue(L"Unterminated", REG_BINARY, &full, sizeof full);
    const std::wstring name(32, L'N');
    StampRecord read = {};
    ASSERT_EQ(GetStamp(at_, name.c_str(), &read, false), kStampOk);
    EXPECT_EQ(std::wstring(read.name), name);
    EXPECT_EQ(std::wstring(read.text), std::wstring(64, L'T'));
    EXPECT_EQ(std::wstring(read.font.lfFaceName), std::wstring(31, L'F'));
}

TEST_F(StampStore, ComparedWithTheStoredStamp)
{
    StampRecord record = UserStamp(L"Compare");
    ASSERT_EQ(SaveStamp(at_, &record), kStampOk);
    EXPECT_EQ(StampEqualsStored(at_, &record), kStampOk);
    record.font.lfQuality = 5;  // the editor does not offer it
    EXPECT_EQ(StampEqualsStored(at_, &record), kStampOk);
    struct Change {
        const char* what;
        void (*apply)(StampRecord*);
    };
    const Change changes[] = {
        {"text", [](StampRecord* r) { r->text[0] = L'X'; }},
        {"colour", [](StampRecord* r) { r->color = 1; }},
        {"value E", [](StampRecord* r) { r->valueE = 9; }},
        {"value C", [](StampRecord* r) { r->valueC = 9; }},
        {"weight", [](StampRecord* r) { r->font.lfWeight = 700; }},
        {"face", [](StampRecord* r) { r->font.lfFaceName[0] = L'B'; }},
        {"pitch", [](StampRecord* r) { r->font.lfPitchAndFamily = 1; }},
    };
    for (const Change& change : changes) {
        StampRecord changed = UserStamp(L"Compare");
        change.apply(&changed);
        EXPECT_EQ(StampEqualsStored(at_, &changed), kStampDiffers) << change.what;
    }
    const StampRecord unknown = UserStamp(L"Nobody");
    EXPECT_EQ(StampEqualsStored(at_, &unknown), kStampNotFound);
}

TEST_F(StampStore, NameListsAnswerTheirSize)
{
    uint32_t size = 0;
    ASSERT_EQ(ListDefaultStampNames(nullptr, nullptr, &size), kStampOk);
    size_t chars = 1;
    for (const wchar_t* name : kDefaultNames)
        chars += wcslen(name) + 1;
    EXPECT_EQ(size, chars * sizeof(wchar_t));
    std::vector<wchar_t> buffer(chars, L'?');
    uint32_t count = 0;
    uint32_t small = size - 2;
    EXPECT_EQ(ListDefaultStampNames(buffer.data(), &count, &small), kStampBufferSmall);
    EXPECT_EQ(small, size);
    ASSERT_EQ(ListDefaultStampNames(buffer.data(), &count, &size), kStampOk);
    EXPECT_EQ(count, 6u);
    const wchar_t* p = buffer.data();
    for (const wchar_t* name : kDefaultNames) {
        EXPECT_STREQ(p, name);
        p += wcslen(p) + 1;
    }
    EXPECT_EQ(*p, L'\0');

    const StampRecord seventh = UserStamp(L"Seventh");
    ASSERT_EQ(SaveStamp(at_, &seventh), kStampOk);
    uint32_t storeSize = 0;
    ASSERT_EQ(ListStampNames(at_, nullptr, nullptr, &storeSize), kStampOk);
    EXPECT_EQ(storeSize, size + 8 * sizeof(wchar_t));
    std::vector<wchar_t> names(storeSize / sizeof(wchar_t));
    ASSERT_EQ(ListStampNames(at_, names.data(), &count, &storeSize), kStampOk);
    EXPECT_EQ(count, 7u);
    std::set<std::wstring> listed;
    for (const wchar_t* q = names.data(); *q; q += wcslen(q) + 1)
        listed.insert(q);
    EXPECT_EQ(listed.count(L"Seventh"), 1u);
    EXPECT_EQ(listed.size(), 7u);
}

TEST_F(StampStore, DefaultsOnlyAndTemplate)
{
    StampRecord record = {};
    ASSERT_EQ(GetStamp(at_, L"Something", &record, true), kStampOk);
    EXPECT_STREQ(record.name, L"New Stamp");
    EXPECT_EQ(record.font.lfWeight, 700);
    EXPECT_EQ(record.font.lfHeight, -36);
    ASSERT_EQ(GetStamp(at_, nullptr, &record, false), kStampOk);
    EXPECT_STREQ(record.text, L"STAMP");
    ASSERT_EQ(GetStamp(at_, L"Do Not Copy", &record, true), kStampOk);
    EXPECT_STREQ(record.font.lfFaceName, L"Times New Roman");
    // Without a store a default stamp is still given, another name is not.
    const StampStoreLocation nowhere = {printer_.handle(), nullptr, nullptr};
    EXPECT_EQ(GetStamp(nowhere, L"Do Not Copy", &record, false), kStampOk);
    EXPECT_EQ(GetStamp(nowhere, L"Mine", &record, false), kStampNoStore);
    uint32_t size = 0;
    EXPECT_EQ(ListStampNames(nowhere, nullptr, nullptr, &size), kStampOk);
    uint32_t defaultSize = 0;
    ListDefaultStampNames(nullptr, nullptr, &defaultSize);
    EXPECT_EQ(size, defaultSize);
    EXPECT_EQ(CanAddStamp(nowhere, L"Mine"), kStampNoStore);
}

TEST(StampDefaults, ResourceStringsWithoutResourceFile)
{
    StampRecord record = {};
    ASSERT_EQ(BuildDefaultStamp(nullptr, kDefaultStampRows[0], &record), 1);
    EXPECT_STREQ(record.name, L"Undefined");
    EXPECT_STREQ(record.font.lfFaceName, L"Undefined");
    EXPECT_EQ(record.font.lfHeight, 0);
    EXPECT_EQ(BuildDefaultStamp(nullptr, kDefaultStampRows[0], nullptr), 0);
    LOGFONTW font = {};
    ASSERT_EQ(BuildDefaultStampFont(GetResourceModule(), kDefaultStampFontRow, &font), 1);
    EXPECT_EQ(font.lfWeight, 400);
    EXPECT_EQ(font.lfHeight, -96);
}

TEST(PaperSourceSettings, RowsByNumberAndBySetting)
{
    uint16_t settings[6] = {};
    ASSERT_EQ(FindPaperSourceSettings(3, settings), 1);
    const uint16_t expected[6] = {6146, 6161, 6176, 6296, 6191, 6206};
    EXPECT_EQ(std::memcmp(settings, expected, sizeof settings), 0);
    ASSERT_EQ(FindPaperSourceSettings(277, settings), 1);
    EXPECT_EQ(settings[5], 6284);
    EXPECT_EQ(FindPaperSourceSettings(4, settings), 0);
    uint16_t fifth = 0, sixth = 0;
    ASSERT_EQ(FindPaperSourceBySetting(6159, &fifth, &sixth), 1);
    EXPECT_EQ(fifth, 6204);
    EXPECT_EQ(sixth, 6219);
    EXPECT_EQ(FindPaperSourceBySetting(6160, &fifth, &sixth), 0);
}

TEST(TrueTypeFaces, EachFaceOnceWithItsBytes)
{
    HDC dc = CreateCompatibleDC(nullptr);
    TrueTypeFaceList* list = BuildTrueTypeFaceList(dc);
    ASSERT_NE(list, nullptr);
    std::set<std::wstring> seen;
    uint32_t bytes = 0;
    for (const TrueTypeFaceNode* node = list->head; node != nullptr; node = node->next) {
        EXPECT_TRUE(seen.insert(node->name).second) << "listed twice";
        bytes += static_cast<uint32_t>((wcslen(node->name) + 1) * sizeof(wchar_t));
    }
    EXPECT_EQ(list->count, seen.size());
    EXPECT_EQ(list->nameBytes, bytes);
    const uint32_t before = list->count;
    EXPECT_EQ(AddTrueTypeFace(list, L"Morva Test Face"), 1);
    EXPECT_EQ(AddTrueTypeFace(list, L"Morva Test Face"), 0);
    EXPECT_EQ(list->count, before + 1);
    EXPECT_STREQ(list->tail->name, L"Morva Test Face");
    FreeTrueTypeFaceList(list);
    FreeTrueTypeFaceList(nullptr);
    if (dc)
        DeleteDC(dc);
}

}  // namespace
