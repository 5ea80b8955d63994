#include "common/job/fax_temp_files.h"

#include "common/job/model_registry_path.h"
#include "common/model/model_data.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

namespace {

constexpr wchar_t kRoot[] = L"Software\\MorvaJobTest\\FaxTemp";
constexpr wchar_t kBase0[] = L"Software\\MorvaJobTest\\FaxTemp\\Fax\\";
constexpr wchar_t kBase1[] = L"Software\\MorvaJobTest\\FaxTemp\\Model";
const std::wstring kFirstKey = std::wstring(kBase0) + L"Sendmere\\TempFile";
const std::wstring kSecondKey = std::wstring(kBase1) + L"\\TempFile";

constexpr int64_t kDay = 86400LL * 10000000LL;

std::wstring TempPath(const wchar_t* name)
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

void MakeFile(const std::wstring& path, int ageDays)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t = {{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart -= static_cast<uint64_t>(ageDays * kDay) + 600LL * 10000000LL;
    const FILETIME written = {t.LowPart, t.HighPart};
    SetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// name -> record of every value of a key.
std::map<std::wstring, FaxTempFileRecord> Records(const std::wstring& keyPath)
{
    std::map<std::wstring, FaxTempFileRecord> out;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return out;
    for (DWORD i = 0;; ++i) {
        wchar_t name[64];
        DWORD chars = 64;
        FaxTempFileRecord record = {};
        DWORD size = sizeof record;
        if (RegEnumValueW(key, i, name, &chars, nullptr, nullptr, reinterpret_cast<BYTE*>(&record), &size) !=
            ERROR_SUCCESS)
            break;
        out[name] = record;
    }
    RegCloseKey(key);
    return out;
}

void PutRecord(const std::wstring& keyPath, const wchar_t* name, const std::wstring& file, HWND owner)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    FaxTempFileRecord record = {};
    wcsncpy(record.path, file.c_str(), 263);
    record.owner = reinterpret_cast<uintptr_t>(owner);
    record.instance = owner ? static_cast<uint64_t>(GetWindowLongPtrW(owner, GWLP_HINSTANCE)) : 0;
    RegSetValueExW(key, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&record), sizeof record);
    RegCloseKey(key);
}

class FaxTempFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
        // Message-only windows: the test prefix has no display for others.
        dialog_ = CreateWindowExW(0, L"STATIC", L"dialog", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(dialog_, nullptr);
    }
    void TearDown() override
    {
        if (IsWindow(dialog_))
            DestroyWindow(dialog_);
        RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
        for (const wchar_t* name : {L"morva_fax_a.tmp", L"morva_fax_b.tmp", L"morva_fax_c.tmp"})
            DeleteFileW(TempPath(name).c_str());
    }
    HWND dialog_ = nullptr;
};

TEST_F(FaxTempFiles, SameFileFromTheSameDialogIsRecordedOnce)
{
    const std::wstring file = TempPath(L"morva_fax_a.tmp");
    MakeFile(file, 0);
    ASSERT_EQ(RegisterFaxTempFileUnder(kBase0, kBase1, dialog_, file.c_str()), 1);
    std::wstring upper = file;
    for (wchar_t& c : upper)
        c = towupper(c);
    ASSERT_EQ(RegisterFaxTempFileUnder(kBase0, kBase1, dialog_, upper.c_str()), 1);
    const auto records = Records(kSecondKey);
    ASSERT_EQ(records.size(), 1u);
    const FaxTempFileRecord& record = records.at(L"SmrxInfo_1");
    EXPECT_EQ(record.owner, reinterpret_cast<uintptr_t>(dialog_));
    EXPECT_EQ(record.instance, reinterpret_cast<uintptr_t>(GetModuleHandleW(nullptr)));
    EXPECT_EQ(file, record.path);
}

TEST_F(FaxTempFiles, NewRecordTakesTheLowestFreeNumber)
{
    const std::wstring a = TempPath(L"morva_fax_a.tmp"), b = TempPath(L"morva_fax_b.tmp");
    const std::wstring c = TempPath(L"morva_fax_c.tmp");
    MakeFile(a, 0);
    MakeFile(b, 0);
    MakeFile(c, 0);
    PutRecord(kSecondKey, L"SmrxInfo_1", a, dialog_);
    PutRecord(kSecondKey, L"SmrxInfo_3", b, dialog_);
    ASSERT_EQ(RegisterFaxTempFileUnder(kBase0, kBase1, dialog_, c.c_str()), 1);
    const auto records = Records(kSecondKey);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(c, records.at(L"SmrxInfo_2").path);
}

TEST_F(FaxTempFiles, RecordOfAVanishedFileGoesAtTheNextCleanup)
{
    const std::wstring file = TempPath(L"morva_fax_a.tmp");
    MakeFile(file, 0);
    PutRecord(kFirstKey, L"SmrxInfo_1", TempPath(L"morva_fax_gone.tmp"), dialog_);
    PutRecord(kFirstKey, L"SmrxInfo_2", file, dialog_);
    EXPECT_EQ(CleanFaxTempFiles(nullptr, kBase0, kBase1), 1);
    const auto records = Records(kFirstKey);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records.count(L"SmrxInfo_2"), 1u);
    EXPECT_TRUE(Exists(file));
}

TEST_F(FaxTempFiles, ClosedDialogsFileStaysForSevenDays)
{
    const std::wstring file = TempPath(L"morva_fax_a.tmp");
    MakeFile(file, 1);
    PutRecord(kSecondKey, L"SmrxInfo_1", file, dialog_);
    DestroyWindow(dialog_);
    EXPECT_EQ(CleanFaxTempFiles(nullptr, kBase0, kBase1), 0);
    EXPECT_EQ(Records(kSecondKey).size(), 1u);
    MakeFile(file, 7);
    EXPECT_EQ(CleanFaxTempFiles(nullptr, kBase0, kBase1), 1);
    EXPECT_TRUE(Records(kSecondKey).empty());
    EXPECT_FALSE(Exists(file));
}

TEST_F(FaxTempFiles, OpenDialogKeepsAnOldFile)
{
    const std::wstring file = TempPath(L"morva_fax_a.tmp");
    MakeFile(file, 30);
    PutRecord(kSecondKey, L"SmrxInfo_1", file, dialog_);
    EXPECT_EQ(CleanFaxTempFiles(nullptr, kBase0, kBase1), 0);
    EXPECT_TRUE(Exists(file));
}

TEST_F(FaxTempFiles, ValuesThatAreNoRecordsAreLeftAlone)
{
    const std::wstring missing = TempPath(L"morva_fax_gone.tmp");
    PutRecord(kSecondKey, L"smrxinfo_1", missing, nullptr);
    PutRecord(kSecondKey, L"SmrxInfo", missing, nullptr);
    PutRecord(kSecondKey, L"SmrxInfo_2_and_a_name_longer_than_thirty_two_characters", missing, nullptr);
    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, kSecondKey.c_str(), 0, KEY_WRITE, &key);
    RegSetValueExW(key, L"SmrxInfo_9", 0, REG_BINARY, reinterpret_cast<const BYTE*>(L"short"), 10);
    RegCloseKey(key);
    EXPECT_EQ(CleanFaxTempFiles(nullptr, kBase0, kBase1), 0);
    EXPECT_EQ(Records(kSecondKey).size(), 4u);
}

// A path the record cannot hold whole is refused, never cut: the cut name
// could be another file, which a later cleanup would delete.
TEST_F(FaxTempFiles, PathLongerThanTheRecordIsRefused)
{
    const std::wstring folder = TempPath(L"");
    struct Case {
        size_t length;
        int expected;
    } cases[] = {{263, 1}, {264, 0}, {300, 0}};
    for (const Case& c : cases) {
        std::wstring path = folder + std::wstring(c.length - folder.size(), L'x');
        ASSERT_EQ(path.size(), c.length);
        EXPECT_EQ(RegisterFaxTempFileUnder(kBase0, kBase1, dialog_, path.c_str()), c.expected) << c.length;
        bool recorded = false;
        for (const auto& [name, record] : Records(kSecondKey))
            recorded |= std::wstring(record.path) == path.substr(0, 263);
        EXPECT_EQ(recorded, c.expected == 1) << c.length;
        RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
    }
}

// A key deleted while it is walked answers an error for every index: the
// walk ends at once instead of going through every index there is.
TEST_F(FaxTempFiles, KeyDeletedDuringTheCleanupEndsIt)
{
    PutRecord(kSecondKey, L"SmrxInfo_1", TempPath(L"morva_fax_gone.tmp"), nullptr);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kSecondKey.c_str(), 0, KEY_READ | KEY_SET_VALUE, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, kRoot), ERROR_SUCCESS);
    DWORD chars = 0;
    const LONG status = RegEnumValueW(key, 0, nullptr, &chars, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(status, ERROR_SUCCESS);
    ASSERT_NE(status, ERROR_NO_MORE_ITEMS) << "the deleted key must answer an error for the test to mean anything";
    struct Walk {
        HKEY key;
        int removed = -1;
    } walk{key};
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            auto* w = static_cast<Walk*>(p);
            w->removed = CleanFaxTempKey(w->key);
            return 0;
        },
        &walk, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    const DWORD waited = WaitForSingleObject(thread, 20000);
    if (waited != WAIT_OBJECT_0)
        TerminateThread(thread, 1);
    CloseHandle(thread);
    RegCloseKey(key);
    EXPECT_EQ(waited, WAIT_OBJECT_0) << "the walk went on through the indexes";
    EXPECT_EQ(walk.removed, 0);
}

TEST_F(FaxTempFiles, NothingWithoutModelOrBothPaths)
{
    EXPECT_EQ(CleanFaxTempFiles(nullptr, kBase0, nullptr), 0);
    EXPECT_EQ(RegisterFaxTempFileUnder(kBase0, nullptr, dialog_, L"x"), 0);
    EXPECT_EQ(RegisterFaxTempFileUnder(kBase0, kBase1, nullptr, L"x"), 0);
    EXPECT_EQ(RegisterFaxTempFile(nullptr, dialog_, L"x"), 0);
}

TEST(ModelRegistryPath, JoinsWithOneBackslash)
{
    wchar_t out[kModelRegistryPathChars];
    ASSERT_EQ(JoinRegistryPath(L"A\\B\\", L"Stamps", out), 1);
    EXPECT_STREQ(out, L"A\\B\\Stamps");
    ASSERT_EQ(JoinRegistryPath(L"A\\B", L"Stamps", out), 1);
    EXPECT_STREQ(out, L"A\\B\\Stamps");
    EXPECT_EQ(JoinRegistryPath(L"", L"Stamps", out), 0);
    const std::wstring longBase(250, L'x');
    EXPECT_EQ(JoinRegistryPath(longBase.c_str(), L"123456789", out), 0);
    EXPECT_EQ(JoinRegistryPath(longBase.c_str(), L"12345678", out), 1);
}

TEST(ModelRegistryPath, BasesOfTheModel)
{
    ModelDataRecord main = {}, linked = {};
    ASSERT_EQ(LoadModelDataFile(L"M2200.DDD", &main, &linked), kModelOk);
    wchar_t out[kModelRegistryPathChars];
    ASSERT_EQ(GetModelRegistryPath(&main, 0, kFaxTempSuffix0, out), 1);
    EXPECT_STREQ(out, L"Software\\Morva\\M2200\\Fax\\Sendmere\\TempFile");
    ASSERT_EQ(GetModelRegistryPath(&main, 1, kFaxTempSuffix1, out), 1);
    EXPECT_STREQ(out, L"Software\\Morva\\M2200\\TempFile");
    EXPECT_EQ(GetModelRegistryPath(&main, 2, kFaxTempSuffix1, out), 0);
    CloseModelData(&main, &linked);
}

TEST(FaxAddressFile, SharedFileIsKept)
{
    EXPECT_EQ(DeleteFaxAddressFile(L"C:\\zqfaxaddress.tmp"), 1);
    EXPECT_EQ(DeleteFaxAddressFile(nullptr), 0);
    const std::wstring file = TempPath(L"morva_fax_address.tmp");
    MakeFile(file, 0);
    EXPECT_EQ(DeleteFaxAddressFile(file.c_str()), 1);
    EXPECT_FALSE(Exists(file));
    EXPECT_EQ(DeleteFaxAddressFile(file.c_str()), 0);
}

}  // namespace
