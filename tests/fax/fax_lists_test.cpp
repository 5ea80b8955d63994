// The destination record's copy and file, the per-user fax lists in the
// registry, the fax line kind, the sender settings and the multi-line fields'
// wrapping.
#include "ui/fax/fax_destinations.h"
#include "ui/fax/fax_setting_ids.h"
#include "ui/fax/fax_user_lists.h"

#include "common/context/settings_context.h"
#include "common/store/settings_blobs.h"
#include "tests/fax/fax_test_records.h"
#include "tests/support/settings_pair_fixture.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kTestKey[] = L"Software\\MorvaTests\\FaxLists";

std::vector<uint8_t> ReadWholeFile(const std::wstring& path)
{
    std::vector<uint8_t> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    DWORD size = GetFileSize(file, nullptr);
    bytes.resize(size);
    DWORD read = 0;
    ReadFile(file, bytes.data(), size, &read, nullptr);
    CloseHandle(file);
    return bytes;
}

std::wstring EmptyTempFile(const wchar_t* name)
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder) + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);
    return path;
}

std::wstring KeyPath(const wchar_t* sub)
{
    return std::wstring(kTestKey) + L"\\" + sub;
}

bool ValueExists(const std::wstring& key, const wchar_t* name)
{
    return RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

std::wstring Numbered(const wchar_t* prefix, int i)
{
    wchar_t name[64];
    FormatNumberedValueName(prefix, i, name, 64);
    return name;
}

class FaxRegistry : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey); }
};

}  // namespace

TEST(FaxDestinationRecord, PacksAndCopiesInInsertionOrder)
{
    DestinationsPtr source(CreateFaxDestinations());
    ASSERT_NE(source, nullptr);
    std::wcscpy(source->headerText1, L"Cover");
    for (const wchar_t* name : {L"A", L"B", L"C"})
        ASSERT_TRUE(AddTo(source.get(), Recipient(0, L"123", name)));

    const std::wstring path = EmptyTempFile(L"fax46_pack.bin");
    ASSERT_EQ(WriteFaxSendListFile(nullptr, nullptr, path.c_str(), source.get()), 1);
    const std::vector<uint8_t> bytes = ReadWholeFile(path);
    ASSERT_EQ(bytes.size(), 1442u + 3 * 742u);
    EXPECT_EQ(std::memcmp(bytes.data(), L"SMRX001", 16), 0);
    EXPECT_EQ(bytes[16], 3);
    const wchar_t* expected[] = {L"A", L"B", L"C"};
    for (int i = 0; i < 3; ++i) {
        FaxRecipientRecord r;
        std::memcpy(&r, bytes.data() + 1442 + 742 * i, sizeof r);
        EXPECT_STREQ(r.field7, expected[i]);
    }

    // The copy replaces what the target held.
    DestinationsPtr target(CreateFaxDestinations());
    ASSERT_TRUE(AddTo(target.get(), Recipient(0, L"999", L"old")));
    ASSERT_EQ(CopyFaxDestinations(target.get(), source.get()), 1);
    ASSERT_EQ(GetKeyedListCount(target->recipients), 3);
    EXPECT_STREQ(target->headerText1, L"Cover");
    for (int i = 0; i < 3; ++i) {
        EXPECT_STREQ(At(target.get(), i)->field7, expected[i]);
        EXPECT_NE(At(target.get(), i), At(source.get(), i)) << "a copy, not the same block";
    }
    DeleteFileW(path.c_str());
}

TEST(FaxDestinationRecord, EmptyListPacksToTheBareHeader)
{
    DestinationsPtr record(CreateFaxDestinations());
    const std::wstring path = EmptyTempFile(L"fax46_empty.bin");
    ASSERT_EQ(WriteFaxSendListFile(nullptr, nullptr, path.c_str(), record.get()), 1);
    const std::vector<uint8_t> bytes = ReadWholeFile(path);
    ASSERT_EQ(bytes.size(), 1442u);
    EXPECT_EQ(bytes[16] | bytes[17] << 8, 0);
    DeleteFileW(path.c_str());

    FaxDestinations noList{};
    EXPECT_EQ(WriteFaxSendListFile(nullptr, nullptr, path.c_str(), &noList), 0);
    EXPECT_EQ(CopyFaxDestinations(nullptr, record.get()), 0);
}

TEST_F(FaxRegistry, NumberedStringsReplaceTheWholeList)
{
    const std::wstring key = KeyPath(L"Forms");
    std::vector<std::wstring> texts;
    for (int i = 1; i <= 11; ++i)
        texts.push_back(L"C:\\forms\\form" + std::to_wstring(i) + L".cov");
    std::vector<const wchar_t*> p;
    for (auto& t : texts)
        p.push_back(t.c_str());

    struct Case {
        int before;  // values stored first
        int written;
        int expectedCount;  // values 1.. present afterwards
    };
    // 3 over 7 leaves 1-3; 10 over 10 deletes nothing (value 11 is never
    // touched); 0 deletes from 1 up to the first gap.
    const Case cases[] = {{7, 3, 3}, {10, 10, 10}, {5, 0, 0}};
    for (const Case& c : cases) {
        RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
        ASSERT_EQ(WriteNumberedStrings(key.c_str(), kCoverSheetFormPrefix, p.data(), c.before), 1);
        HKEY raw = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &raw, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(raw, Numbered(kCoverSheetFormPrefix, 11).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(L"x"), 4);
        RegCloseKey(raw);
        ASSERT_EQ(WriteNumberedStrings(key.c_str(), kCoverSheetFormPrefix, p.data(), c.written), 1);
        for (int i = 1; i <= 10; ++i)
            EXPECT_EQ(ValueExists(key, Numbered(kCoverSheetFormPrefix, i).c_str()), i <= c.expectedCount)
                << c.before << " " << c.written << " value " << i;
        EXPECT_TRUE(ValueExists(key, Numbered(kCoverSheetFormPrefix, 11).c_str()));
        wchar_t slots[10][129] = {};
        EXPECT_EQ(ReadNumberedStrings(key.c_str(), kCoverSheetFormPrefix, &slots[0][0], 129, 10), c.expectedCount);
        if (c.expectedCount > 0) {
            EXPECT_STREQ(slots[c.expectedCount - 1], p[c.expectedCount - 1]);
        }
    }
    EXPECT_EQ(ReadNumberedStrings(KeyPath(L"Missing").c_str(), kCoverSheetFormPrefix, nullptr, 129, 10), 0);
}

TEST_F(FaxRegistry, ReaderStopsAtTheFirstGapAndCutsLongValues)
{
    const std::wstring key = KeyPath(L"Gap");
    HKEY raw = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &raw, nullptr),
              ERROR_SUCCESS);
    const std::wstring longText(300, L'x');
    RegSetValueExW(raw, L"P1", 0, REG_SZ, reinterpret_cast<const BYTE*>(longText.c_str()),
                   static_cast<DWORD>((longText.size() + 1) * 2));
    RegSetValueExW(raw, L"P3", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"three"), 12);
    RegCloseKey(raw);
    wchar_t slots[3][8];
    std::wmemset(&slots[0][0], L'#', 24);
    EXPECT_EQ(ReadNumberedStrings(key.c_str(), L"P", &slots[0][0], 8, 3), 1);
    EXPECT_EQ(std::wstring(slots[0]), std::wstring(7, L'x'));
    EXPECT_EQ(slots[1][0], L'#') << "nothing written past the slot";
}

TEST_F(FaxRegistry, HistoryValueNamesAlignTheIndex)
{
    wchar_t name[64];
    FormatHistoryValueName(5, name, 64);
    EXPECT_STREQ(name, L"ADDRESS_HISTORY 5");
    FormatHistoryValueName(10, name, 64);
    EXPECT_STREQ(name, L"ADDRESS_HISTORY10");

    const std::wstring key = KeyPath(L"History");
    const wchar_t* addresses[] = {L"0311", L"0322", L"0333"};
    ASSERT_EQ(WriteAddressHistory(key.c_str(), addresses, 3, 1), 1);
    EXPECT_TRUE(ValueExists(key, L"ADDRESS_HISTORY 3"));
    wchar_t slots[10][kAddressHistoryChars] = {};
    EXPECT_EQ(ReadAddressHistory(key.c_str(), slots, 10), 3);
    EXPECT_STREQ(slots[2], L"0333");
    uint32_t flag = 7;
    EXPECT_EQ(ReadAddressHistoryFlag(key.c_str(), &flag), 1);
    EXPECT_EQ(flag, 1u);
    ASSERT_EQ(WriteAddressHistory(key.c_str(), nullptr, 0, 0), 1);
    EXPECT_EQ(ReadAddressHistory(key.c_str(), slots, 10), 0);
    EXPECT_EQ(ReadAddressHistoryFlag(key.c_str(), &flag), 1);
    EXPECT_EQ(flag, 0u);
    EXPECT_EQ(ReadAddressHistoryFlag(KeyPath(L"None").c_str(), &flag), 0);
}

namespace {

SenderEntry Sender(const wchar_t* name, const wchar_t* text2, const wchar_t* mail, uint32_t confirmed)
{
    SenderEntry e{};
    std::wcscpy(e.sender.name, name);
    std::wcscpy(e.sender.text2, text2);
    std::wcscpy(e.mail, mail);
    e.confirmed = confirmed;
    return e;
}

void PutBinary(const std::wstring& key, const wchar_t* name, const void* data, DWORD size)
{
    HKEY raw = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &raw, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(raw, name, 0, REG_BINARY, static_cast<const BYTE*>(data), size);
    RegCloseKey(raw);
}

}  // namespace

TEST_F(FaxRegistry, SenderEntriesTakeTheirConfirmationFromTheSecondKey)
{
    const std::wstring key = KeyPath(L"SenderInfo");
    const std::wstring key2 = key + L"2";
    struct Case {
        const char* what;
        bool inSecond;
        const wchar_t* secondText2;  // the second key's copy of the sender
        const wchar_t* mail;
        uint32_t secondConfirmed;
        uint32_t expectedConfirmed;
        const wchar_t* expectedMail;
    };
    const Case cases[] = {
        {"first key only", false, L"", L"", 0, 1, L""},
        {"same record, confirmed", true, L"Office", L"a@b", 1, 1, L"a@b"},
        {"same record, unconfirmed", true, L"Office", L"a@b", 0, 0, L"a@b"},
        {"record differs", true, L"Elsewhere", L"a@b", 1, 0, L"a@b"},
        {"record differs, no mail", true, L"Elsewhere", L"", 1, 1, L""},
    };
    for (const Case& c : cases) {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        const SenderEntry first = Sender(L"Alice", L"Office", L"", 1);
        PutBinary(key, L"RQD_FAX_SENDER1", &first.sender, sizeof first.sender);
        if (c.inSecond) {
            const SenderEntry second = Sender(L"Alice", c.secondText2, c.mail, c.secondConfirmed);
            PutBinary(key2, L"RQD_FAX_SENDER1", &second, sizeof second);
        }
        // An entry that exists only in the second key is not returned.
        const SenderEntry stray = Sender(L"Bob", L"", L"x@y", 1);
        PutBinary(key2, L"RQD_FAX_SENDER2", &stray, sizeof stray);
        SenderEntry out[10];
        ASSERT_EQ(ReadSenderEntries(key.c_str(), kSenderPrefix, out, 10), 1) << c.what;
        EXPECT_EQ(out[0].confirmed, c.expectedConfirmed) << c.what;
        EXPECT_STREQ(out[0].mail, c.expectedMail) << c.what;
        EXPECT_STREQ(out[0].sender.text2, L"Office") << c.what;
    }
}

TEST_F(FaxRegistry, SenderWriterKeepsBothKeysInStep)
{
    const std::wstring key = KeyPath(L"SenderInfo");
    std::vector<SenderEntry> entries;
    for (int i = 0; i < 5; ++i)
        entries.push_back(Sender((L"S" + std::to_wstring(i)).c_str(), L"", L"m", i % 2));
    ASSERT_EQ(WriteSenderEntries(key.c_str(), kSenderPrefix, entries.data(), 5), 1);
    ASSERT_EQ(WriteSenderEntries(key.c_str(), kSenderPrefix, entries.data(), 2), 1);
    EXPECT_FALSE(ValueExists(key, L"RQD_FAX_SENDER3"));
    EXPECT_FALSE(ValueExists(key + L"2", L"RQD_FAX_SENDER3"));
    SenderEntry out[10];
    ASSERT_EQ(ReadSenderEntries(key.c_str(), kSenderPrefix, out, 10), 2);
    EXPECT_STREQ(out[1].sender.name, L"S1");
    EXPECT_EQ(out[0].confirmed, 0u);
    EXPECT_EQ(out[1].confirmed, 1u);
}

class FaxListsOnModel : public SettingsPairTest {
protected:
    static void SetUpTestSuite() { printer_s = OpenSuitePrinter(L"F1800.DDD", L"Morva Fax Lists"); }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_s); }
    void SetUp() override
    {
        Open(printer_s);
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    }
    void TearDown() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        SettingsPairTest::TearDown();
    }
    static ModelPrinter* printer_s;
};
ModelPrinter* FaxListsOnModel::printer_s = nullptr;

TEST_F(FaxListsOnModel, HistoryFlagLoadsOnlyZeroOrOne)
{
    const std::wstring key = KeyPath(L"Flag");
    Set(kFidUseAddressHistory, 1);
    // No key: nothing set, success.
    EXPECT_EQ(LoadAddressHistoryFlagFrom(key.c_str(), settings_.data(), printer_settings_.data()), 1);
    EXPECT_EQ(Get(kFidUseAddressHistory), 1u);
    // A key without the value reads as 0.
    PutBinary(key, L"Other", "x", 1);
    EXPECT_EQ(LoadAddressHistoryFlagFrom(key.c_str(), settings_.data(), printer_settings_.data()), 1);
    EXPECT_EQ(Get(kFidUseAddressHistory), 0u);
    Set(kFidUseAddressHistory, 1);
    const struct {
        DWORD stored;
        int result;
        uint32_t setting;
    } cases[] = {{0, 1, 0}, {1, 1, 1}, {2, 0, 1367}};
    for (const auto& c : cases) {
        Set(kFidUseAddressHistory, c.setting == 1367 ? 1 : 1 - c.setting);
        HKEY raw = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &raw, nullptr);
        RegSetValueExW(raw, kUseAddressHistoryValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&c.stored), 4);
        RegCloseKey(raw);
        EXPECT_EQ(LoadAddressHistoryFlagFrom(key.c_str(), settings_.data(), printer_settings_.data()), c.result)
            << c.stored;
        // A stored 2 leaves the setting as it was (1).
        EXPECT_EQ(Get(kFidUseAddressHistory), c.setting == 1367 ? 1u : c.setting) << c.stored;
    }
}

TEST_F(FaxListsOnModel, HistoryKeyIsBelowThePrintersUserKey)
{
    wchar_t path[kFaxKeyPathChars] = {};
    ASSERT_EQ(BuildAddressHistoryKeyPathFor(Printer(), context_->main, path, kFaxKeyPathChars), 1);
    const std::wstring text = path;
    EXPECT_EQ(text.rfind(L"Software\\Morva\\F1800", 0), 0u) << text;
    EXPECT_NE(text.find(L"\\Sendmere\\AddressHistory"), std::wstring::npos) << text;
    EXPECT_EQ(BuildAddressHistoryKeyPathFor(Printer(), nullptr, path, kFaxKeyPathChars), 0);
}

TEST_F(FaxListsOnModel, FaxLineKindFromCardTypeAndCapability)
{
    const struct {
        uint32_t card;
        int result;
        uint16_t kind;
    } cases[] = {{0, 1, 3}, {1, 1, 2}};
    for (const auto& c : cases) {
        Set(kFidFaxCardType, c.card);
        uint16_t kind = 99;
        EXPECT_EQ(GetFaxCardKindOf(context_->main, settings_.data(), printer_settings_.data(), &kind), c.result);
        EXPECT_EQ(kind, c.kind) << c.card;
    }
    // Capability 0xFFFF0029 (word 1, bit 9) gives 1 whatever the option says.
    PatchModelRaw(context_->main, 39, 4, 0, 0x200);
    uint16_t kind = 99;
    EXPECT_EQ(GetFaxCardKindOf(context_->main, settings_.data(), printer_settings_.data(), &kind), 1);
    EXPECT_EQ(kind, 1);
    PatchModelRaw(context_->main, 39, 4, 0, 0);
}

TEST_F(FaxListsOnModel, SenderSettingsRoundTrip)
{
    SenderEntry entry = Sender(L"Alice", L"Office", L"a@example.invalid", 0);
    std::wcscpy(entry.sender.lines, L"Line 1\r\nLine 2");
    std::wcscpy(entry.sender.text5, L"five");
    ASSERT_EQ(PutSenderSettings(settings_.data(), printer_settings_.data(), &entry), 1);
    EXPECT_EQ(CompareSenderSettings(settings_.data(), printer_settings_.data(), &entry), 0);
    SenderEntry back{};
    back.confirmed = 5;
    ASSERT_EQ(GetSenderSettings(settings_.data(), printer_settings_.data(), &back), 1);
    EXPECT_EQ(std::memcmp(&back, &entry, offsetof(SenderEntry, confirmed)), 0);
    EXPECT_EQ(back.confirmed, 5u) << "the flag is the caller's";
    std::wcscpy(entry.sender.text4, L"changed");
    EXPECT_EQ(CompareSenderSettings(settings_.data(), printer_settings_.data(), &entry), 1);
}

TEST(FaxTextFields, WrapNeverSplitsADoubleByteCharacter)
{
    // 16 lines of 40 bytes (the cover-sheet body) in the Japanese code page:
    // a run of 'a' then double-byte characters that straddle byte 40.
    constexpr UINT kCp932 = 932;
    std::string text(39, 'a');
    for (int i = 0; i < 10; ++i)
        text += "\x82\xa0";  // one double-byte character
    std::vector<char> out(2048);
    ASSERT_EQ(WrapAnsiLines(text.c_str(), kCp932, 40, 16, out.data(), out.size()), 0);
    const std::string wrapped = out.data();
    EXPECT_EQ(wrapped.substr(39, 2), "\r\n");
    EXPECT_EQ(wrapped.substr(41, 2), "\x82\xa0");
    // Existing line ends stay; 16 lines fit, 17 do not.
    std::string lines;
    for (int i = 0; i < 16; ++i)
        lines += (i ? "\r\n" : "") + std::string(40, 'b');
    EXPECT_EQ(WrapAnsiLines(lines.c_str(), kCp932, 40, 16, out.data(), out.size()), 0);
    EXPECT_EQ(std::string(out.data()), lines);
    EXPECT_EQ(WrapAnsiLines((lines + "\r\nc").c_str(), kCp932, 40, 16, out.data(), out.size()), 1);
    EXPECT_EQ(WrapAnsiLines((lines + "c").c_str(), kCp932, 40, 16, out.data(), out.size()), 1);
}

TEST(FaxTextFields, WordBreakAtAnyCharacter)
{
    wchar_t text[] = L"abc def";
    EXPECT_EQ(BreakAnywhereWordProc(text, 4, 7, WB_LEFT), 4);
    EXPECT_EQ(BreakAnywhereWordProc(text, 4, 7, WB_RIGHT), 3);
    EXPECT_EQ(BreakAnywhereWordProc(text, 3, 7, WB_ISDELIMITER), FALSE);
}
