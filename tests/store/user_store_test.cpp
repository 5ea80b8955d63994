#include "common/store/user_store.h"

#include "common/system/global_block.h"
#include "common/store/printer_id.h"
#include "tests/support/import_patch.h"
#include "tests/support/spooler_fixture.h"

#include <winspool.h>

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <string>

namespace {

constexpr wchar_t kBaseRoot[] = L"Software\\MorvaStoreTest\\UserStore";
constexpr wchar_t kBase[] = L"Software\\MorvaStoreTest\\UserStore\\";

bool KeyExists(const std::wstring& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void MakeKey(const std::wstring& name, const DWORD* attributes)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(kBase) + name).c_str(), 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    if (attributes)
        RegSetValueExW(key, nullptr, 0, REG_BINARY, reinterpret_cast<const BYTE*>(attributes), 4);
    HKEY child = nullptr;
    RegCreateKeyExW(key, L"Paper Margin", 0, nullptr, 0, KEY_WRITE, nullptr, &child, nullptr);
    RegCloseKey(child);
    RegCloseKey(key);
}

std::wstring IdText(HANDLE printer)
{
    uint8_t id[kPrinterIdBytes];
    if (!ReadPrinterId(printer, id))
        return {};
    wchar_t text[kPrinterIdChars + 1];
    PrinterIdToHex(id, text, kPrinterIdChars + 1);
    return text;
}

class UserStoreTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InstallPrinterDataDeleteStandIn(); }
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kBaseRoot); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kBaseRoot); }
    TestPrinter printer_{L"Morva Store User"};
    HANDLE h() const { return printer_.handle(); }
};

TEST(PrinterIdText, DigitsInByteOrderHighNibbleFirst)
{
    uint8_t id[kPrinterIdBytes];
    for (uint8_t i = 0; i < kPrinterIdBytes; ++i)
        id[i] = i;
    wchar_t text[40];
    PrinterIdToHex(id, text, 40);
    EXPECT_STREQ(text, L"000102030405060708090A0B0C0D0E0F");
    id[0] = 0xAB;
    PrinterIdToHex(id, text, 5);
    EXPECT_STREQ(text, L"AB01");
}

__time64_t __cdecl FixedTime(__time64_t* out)
{
    if (out)
        *out = 1700000000;
    return 1700000000;
}

TEST(PrinterId, DigestOfTimeAndPrinterName)
{
    TestPrinter printer{L"Morva Store Identity"};
    ASSERT_TRUE(printer.ok());
    ScopedImportPatch clock("msvcrt.dll", "_time64", reinterpret_cast<void*>(&FixedTime));
    ASSERT_TRUE(clock.active());
    uint8_t id[kPrinterIdBytes];
    ASSERT_EQ(CreatePrinterId(printer.handle(), id), 1);
    wchar_t text[kPrinterIdChars + 1];
    PrinterIdToHex(id, text, kPrinterIdChars + 1);
    // MD5 of the little-endian 64-bit 1700000000 and "Morva Store Identity" in
    // UTF-16LE, worked out apart from this code.
    EXPECT_STREQ(text, L"A278A6AC1721F5E4F9C2478BAC9554CF");
    EXPECT_EQ(CreatePrinterId(printer.handle(), nullptr), 0);
    EXPECT_EQ(CreatePrinterId(nullptr, id), 0);
}

TEST_F(UserStoreTest, IdentityIsStoredOnceAndKept)
{
    ASSERT_TRUE(printer_.ok());
    uint8_t id[kPrinterIdBytes];
    EXPECT_EQ(ReadPrinterId(h(), id), 0);
    EXPECT_EQ(ReadPrinterIdStatus(h(), id), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    uint8_t first[kPrinterIdBytes];
    uint8_t second[kPrinterIdBytes];
    std::memset(first, 0x11, sizeof first);
    std::memset(second, 0x22, sizeof second);
    EXPECT_EQ(StorePrinterId(h(), first), 1);
    EXPECT_EQ(StorePrinterId(h(), second), 1);
    ASSERT_EQ(ReadPrinterId(h(), id), 1);
    EXPECT_EQ(std::memcmp(id, first, kPrinterIdBytes), 0);
    ASSERT_EQ(EnsurePrinterId(h(), id), 1);
    EXPECT_EQ(std::memcmp(id, first, kPrinterIdBytes), 0);

    // A value of another length is no identity.
    BYTE shortId[15] = {};
    SetPrinterDataW(h(), const_cast<wchar_t*>(L"PRNID"), REG_BINARY, shortId, sizeof shortId);
    EXPECT_EQ(ReadPrinterId(h(), id), 0);
}

TEST(UserKeyPath, WholePathMustFit)
{
    uint8_t id[kPrinterIdBytes] = {};
    const wchar_t base[] = L"Software\\Base\\";  // 14 characters
    wchar_t path[kUserKeyPathChars];
    struct Case {
        const wchar_t* subkey;
        size_t length;
        int result;
    };
    const Case cases[] = {
        {nullptr, 14 + 32 + 1, 1},
        {nullptr, 14 + 32, 0},
        {L"Stamps", 14 + 32 + 7 + 1, 1},
        {L"Stamps", 14 + 32 + 7, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BuildUserSettingsKeyPath(base, id, c.subkey, path, c.length), c.result) << c.length;
        if (c.result)
            EXPECT_EQ(wcslen(path), c.length - 1);
        else
            EXPECT_STREQ(path, L"");
    }
    ASSERT_EQ(BuildUserSettingsKeyPath(base, id, L"Paper Margin", path, kUserKeyPathChars), 1);
    EXPECT_STREQ(path, L"Software\\Base\\00000000000000000000000000000000\\Paper Margin");
    ASSERT_EQ(BuildUserSettingsKeyPath(L"Software\\Base", id, nullptr, path, kUserKeyPathChars), 1);
    EXPECT_STREQ(path, L"Software\\Base\\00000000000000000000000000000000");
}

TEST_F(UserStoreTest, ValuesRoundTripAndTheKeyIsStamped)
{
    ASSERT_TRUE(printer_.ok());
    uint8_t* block = nullptr;
    uint32_t size = 0;
    EXPECT_EQ(ReadUserValue(h(), kBase, nullptr, L"Data", &block, &size), StoredRead::kNotStored);  // no identity yet
    EXPECT_EQ(ReadUserValue(h(), nullptr, nullptr, L"Data", &block, &size), StoredRead::kError);

    const uint8_t data[] = {1, 2, 3, 4, 5};
    ASSERT_EQ(WriteUserValue(h(), kBase, data, sizeof data, REG_BINARY, nullptr, L"Data"), 1);
    ASSERT_EQ(WriteUserValue(h(), kBase, data, 3, REG_BINARY, L"Paper Margin", L"9"), 1);
    const std::wstring key = std::wstring(kBase) + IdText(h());
    ASSERT_TRUE(KeyExists(key + L"\\Paper Margin"));

    DWORD attributes = 0;
    DWORD attributeSize = sizeof attributes;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, RRF_RT_REG_BINARY, nullptr, &attributes,
                           &attributeSize),
              ERROR_SUCCESS);
    EXPECT_EQ(attributes, static_cast<DWORD>(PRINTER_ATTRIBUTE_LOCAL));

    ASSERT_EQ(ReadUserValue(h(), kBase, nullptr, L"Data", &block, &size), StoredRead::kRead);
    GlobalBlockPtr<uint8_t> owned(block);
    EXPECT_EQ(size, sizeof data);
    EXPECT_EQ(std::memcmp(block, data, sizeof data), 0);
    EXPECT_EQ(ReadUserValue(h(), kBase, nullptr, L"Missing", &block, &size), StoredRead::kNotStored);
    EXPECT_EQ(ReadUserValue(h(), kBase, L"Absent", L"Data", &block, &size), StoredRead::kNotStored);

    uint8_t buffer[5];
    for (uint32_t room : {5u, 4u}) {
        uint32_t inout = room;
        EXPECT_EQ(ReadUserValueInto(h(), kBase, nullptr, L"Data", buffer, &inout),
                  room == 5 ? StoredRead::kRead : StoredRead::kError)
            << room;
    }
    EXPECT_EQ(DeleteUserValue(h(), kBase, nullptr, L"Data"), 1);
    EXPECT_EQ(ReadUserValue(h(), kBase, nullptr, L"Data", &block, &size), StoredRead::kNotStored);
}

TEST_F(UserStoreTest, StampKeyPathsByKind)
{
    ASSERT_TRUE(printer_.ok());
    wchar_t path[kUserKeyPathChars];
    ASSERT_EQ(BuildStampsKeyPath(h(), kBase, path, kUserKeyPathChars, 1), 1);
    EXPECT_EQ(std::wstring(path), std::wstring(kBase) + IdText(h()) + L"\\Stamps\\Others");
    ASSERT_EQ(BuildStampsKeyPath(h(), kBase, path, kUserKeyPathChars, 0), 1);
    EXPECT_EQ(std::wstring(path), std::wstring(kBase) + IdText(h()) + L"\\Stamps");
    EXPECT_EQ(BuildStampsKeyPath(h(), kBase, path, kUserKeyPathChars, 2), 0);
}

constexpr wchar_t kGoneLocal[] = L"AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA";
constexpr wchar_t kGoneRemote[] = L"BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB";
constexpr wchar_t kNoAttributes[] = L"CCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCC";

using EnumPrintersFn = BOOL(WINAPI*)(DWORD, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD);

BOOL WINAPI FailingEnumPrinters(DWORD, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD)
{
    SetLastError(RPC_S_SERVER_UNAVAILABLE);
    return FALSE;
}

using OpenPrinterFn = BOOL(WINAPI*)(LPWSTR, LPHANDLE, LPPRINTER_DEFAULTSW);
OpenPrinterFn g_realOpen = nullptr;

BOOL WINAPI OpenPrinterDenyingOne(LPWSTR name, LPHANDLE printer, LPPRINTER_DEFAULTSW defaults)
{
    if (name && wcscmp(name, L"Morva Store User") == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return g_realOpen(name, printer, defaults);
}

TEST_F(UserStoreTest, PurgeRemovesOnlyKeysMarkedLocalOfPrintersThatAreGone)
{
    ASSERT_TRUE(printer_.ok());
    const uint8_t data[] = {7};
    ASSERT_EQ(WriteUserValue(h(), kBase, data, 1, REG_BINARY, nullptr, L"Data"), 1);
    const std::wstring live = IdText(h());
    const DWORD local = 0x40 | 0x4;
    const DWORD remote = 0x10;

    struct Case {
        const char* what;
        int patch;  // 0 none, 1 enumeration fails, 2 one local printer cannot be opened
        int deleted;
    };
    const Case cases[] = {
        {"enumeration fails", 1, 0},
        {"a printer cannot be resolved", 2, 0},
        {"normal", 0, 1},
    };
    for (const Case& c : cases) {
        MakeKey(kGoneLocal, &local);
        MakeKey(kGoneRemote, &remote);
        MakeKey(kNoAttributes, nullptr);
        int deleted = -1;
        if (c.patch == 1) {
            ScopedImportPatch patch("winspool.drv", "EnumPrintersW", reinterpret_cast<void*>(&FailingEnumPrinters));
            ASSERT_TRUE(patch.active());
            deleted = PurgeStaleUserSettingKeys(kBase);
        } else if (c.patch == 2) {
            ScopedImportPatch patch("winspool.drv", "OpenPrinterW", reinterpret_cast<void*>(&OpenPrinterDenyingOne));
            ASSERT_TRUE(patch.active());
            g_realOpen = reinterpret_cast<OpenPrinterFn>(patch.original());
            deleted = PurgeStaleUserSettingKeys(kBase);
        } else {
            // Other test programs add printers and change printer data in the same
            // prefix at the same time; while one of them cannot be judged the purge
            // rightly deletes nothing, so it is asked again once things settle.
            for (int attempt = 0; attempt < 20 && deleted <= 0; ++attempt) {
                if (attempt)
                    Sleep(100);
                deleted = PurgeStaleUserSettingKeys(kBase);
            }
        }
        EXPECT_EQ(deleted, c.deleted) << c.what;
        EXPECT_EQ(KeyExists(std::wstring(kBase) + kGoneLocal), c.deleted == 0) << c.what;
        EXPECT_TRUE(KeyExists(std::wstring(kBase) + kGoneRemote)) << c.what;
        EXPECT_TRUE(KeyExists(std::wstring(kBase) + kNoAttributes)) << c.what;
        EXPECT_TRUE(KeyExists(std::wstring(kBase) + live)) << c.what;
    }
}

TEST_F(UserStoreTest, PrinterBoundCleanUpFollowsTheKeysMark)
{
    for (DWORD attributes : {DWORD{PRINTER_ATTRIBUTE_LOCAL}, DWORD{PRINTER_ATTRIBUTE_NETWORK}}) {
        TestPrinter printer{attributes == PRINTER_ATTRIBUTE_LOCAL ? L"Morva Store Clean Up Local"
                                                                  : L"Morva Store Clean Up Network",
                            attributes};
        ASSERT_TRUE(printer.ok());
        const uint8_t data[] = {7};
        ASSERT_EQ(WriteUserValue(printer.handle(), kBase, data, 1, REG_BINARY, L"Favorite", L"Data"), 1);
        const std::wstring key = std::wstring(kBase) + IdText(printer.handle());
        const bool local = attributes == PRINTER_ATTRIBUTE_LOCAL;
        EXPECT_EQ(CleanUpUserSettingKeys(printer.handle(), kBase), local ? 1 : 0);
        EXPECT_EQ(KeyExists(key), !local);
    }
}

TEST_F(UserStoreTest, KeyTreeCopyTakesValuesAndSubkeys)
{
    HKEY source = nullptr;
    HKEY target = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\MorvaStoreTest\\UserStore\\From\\Inner\\Deep", 0,
                              nullptr, 0, KEY_WRITE, nullptr, &source, nullptr),
              ERROR_SUCCESS);
    const DWORD number = 42;
    RegSetValueExW(source, L"N", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
    RegCloseKey(source);
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\MorvaStoreTest\\UserStore\\From", L"S", REG_SZ, L"text", 10);
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\MorvaStoreTest\\UserStore\\From", 0, KEY_READ, &source),
              ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\MorvaStoreTest\\UserStore\\To", 0, nullptr, 0,
                              KEY_READ | KEY_WRITE, nullptr, &target, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(CopyRegistryKeyTree(target, source), 1);
    RegCloseKey(source);
    RegCloseKey(target);
    DWORD got = 0;
    DWORD size = sizeof got;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\MorvaStoreTest\\UserStore\\To\\Inner\\Deep", L"N",
                           RRF_RT_REG_DWORD, nullptr, &got, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(got, 42u);
    wchar_t text[8] = {};
    size = sizeof text;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\MorvaStoreTest\\UserStore\\To", L"S", RRF_RT_REG_SZ,
                           nullptr, text, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(text, L"text");
}

TEST_F(UserStoreTest, EmptyBasePathIsRefused)
{
    ASSERT_TRUE(printer_.ok());
    uint8_t id[kPrinterIdBytes] = {};
    wchar_t path[kUserKeyPathChars] = L"x";
    const DWORD value = 5;
    for (const wchar_t* base : {L"", L"\\"}) {
        EXPECT_EQ(BuildUserSettingsKeyPath(base, id, nullptr, path, kUserKeyPathChars), 0);
        EXPECT_STREQ(path, L"");
        EXPECT_EQ(BuildPrinterUserKeyPath(h(), base, nullptr, path, kUserKeyPathChars), 0);
        EXPECT_EQ(WriteUserValue(h(), base, &value, 4, REG_DWORD, nullptr, L"Value"), 0);
        uint8_t* block = nullptr;
        uint32_t size = 0;
        EXPECT_EQ(ReadUserValue(h(), base, nullptr, L"Value", &block, &size), StoredRead::kError);
        EXPECT_EQ(block, nullptr);
        EXPECT_EQ(PurgeStaleUserSettingKeys(base), 0);
        EXPECT_EQ(CleanUpUserSettingKeys(nullptr, base), 0);
        EXPECT_EQ(CleanUpUserSettingKeys(h(), base), 0);
    }
    EXPECT_TRUE(IdText(h()).empty() || !KeyExists(IdText(h())));
}

using RegOpenFn = LSTATUS(WINAPI*)(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY);
RegOpenFn g_realRegOpen = nullptr;
LSTATUS g_openAnswer = ERROR_SUCCESS;

LSTATUS WINAPI RegOpenKeyAnswering(HKEY key, LPCWSTR path, DWORD options, REGSAM access, PHKEY out)
{
    if (g_openAnswer != ERROR_SUCCESS)
        return g_openAnswer;
    return g_realRegOpen(key, path, options, access, out);
}

TEST_F(UserStoreTest, OnlyAMissingKeyReadsAsNotStored)
{
    ASSERT_TRUE(printer_.ok());
    const DWORD value = 5;
    ASSERT_EQ(WriteUserValue(h(), kBase, &value, 4, REG_DWORD, nullptr, L"Value"), 1);
    struct Case {
        LSTATUS open;
        StoredRead status;
    };
    for (const Case& c : {Case{ERROR_FILE_NOT_FOUND, StoredRead::kNotStored}, Case{ERROR_ACCESS_DENIED, StoredRead::kError},
                          Case{ERROR_OUTOFMEMORY, StoredRead::kError}}) {
        ScopedImportPatch patch("advapi32.dll", "RegOpenKeyExW", reinterpret_cast<void*>(&RegOpenKeyAnswering));
        ASSERT_TRUE(patch.active());
        g_realRegOpen = reinterpret_cast<RegOpenFn>(patch.original());
        g_openAnswer = c.open;
        uint8_t* block = nullptr;
        uint32_t size = 0;
        EXPECT_EQ(ReadUserValue(h(), kBase, nullptr, L"Value", &block, &size), c.status) << c.open;
        g_openAnswer = ERROR_SUCCESS;
        GlobalFree(block);
    }
}

}  // namespace
