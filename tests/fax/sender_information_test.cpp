// The sender lists and the check of the current sender, on a real combo box
// with the settings of a fax model and real (scripted) message boxes.
#include "ui/fax/sender_information.h"

#include "ui/fax/fax_setting_ids.h"
#include "ui/fax/fax_user_lists.h"
#include "ui/support/resource_messages.h"

#include "tests/support/message_box_script.h"
#include "tests/support/settings_pair_fixture.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kSenderTestKey[] = L"Software\\MorvaTests\\SenderInfo";

SenderEntry Entry(const wchar_t* name, const wchar_t* mail = L"", uint32_t confirmed = 1)
{
    SenderEntry e{};
    std::wcscpy(e.sender.name, name);
    std::wcscpy(e.sender.text2, L"Office");
    std::wcscpy(e.sender.lines, L"Street 1\r\nTown");
    std::wcscpy(e.mail, mail);
    e.confirmed = confirmed;
    return e;
}

std::wstring ItemText(HWND list, int index)
{
    wchar_t text[128] = {};
    SendMessageW(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

class SenderLists : public SettingsPairTest {
protected:
    static void SetUpTestSuite() { printer_s = OpenSuitePrinter(L"F1800.DDD", L"Morva Sender Lists"); }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_s); }
    void SetUp() override
    {
        Open(printer_s);
        RegDeleteTreeW(HKEY_CURRENT_USER, kSenderTestKey);
        RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kSenderTestKey) + L"2").c_str());
        owner_ = CreateWindowExW(0, L"STATIC", L"senders", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                 nullptr, nullptr);
        list_ = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_HASSTRINGS, 10,
                                10, 200, 150, owner_, nullptr, nullptr, nullptr);
    }
    void TearDown() override
    {
        FreeSenderList(list_);
        DestroyWindow(owner_);
        RegDeleteTreeW(HKEY_CURRENT_USER, kSenderTestKey);
        RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kSenderTestKey) + L"2").c_str());
        SettingsPairTest::TearDown();
    }
    void Store(const std::vector<SenderEntry>& entries)
    {
        ASSERT_EQ(WriteSenderEntries(kSenderTestKey, kSenderPrefix, entries.data(), static_cast<int>(entries.size())),
                  1);
    }
    std::vector<SenderEntry> Stored()
    {
        std::vector<SenderEntry> out(kSenderReadLimit);
        const int count = ReadSenderEntries(kSenderTestKey, kSenderPrefix, out.data(), kSenderReadLimit);
        out.resize(count < 0 ? 0 : count);
        return out;
    }
    void MakeCurrent(const SenderEntry& entry)
    {
        ASSERT_EQ(PutSenderSettings(settings_.data(), printer_settings_.data(), &entry), 1);
    }
    SenderEntry Current()
    {
        SenderEntry e{};
        GetSenderSettings(settings_.data(), printer_settings_.data(), &e);
        return e;
    }
    int Fill(int mode) { return FillSenderListFrom(list_, mode, kSenderTestKey, settings_.data(), printer_settings_.data()); }
    int Verify() { return VerifyCurrentSenderIn(owner_, kSenderTestKey, settings_.data(), printer_settings_.data()); }

    static ModelPrinter* printer_s;
    HWND owner_ = nullptr;
    HWND list_ = nullptr;
};
ModelPrinter* SenderLists::printer_s = nullptr;

TEST_F(SenderLists, TenStoredEntriesShowElevenItemsAndTheCurrentMovesToTheTop)
{
    std::vector<SenderEntry> ten;
    for (int i = 1; i <= 10; ++i)
        ten.push_back(Entry((L"Sender " + std::to_wstring(i)).c_str()));
    Store(ten);
    MakeCurrent(ten[6]);
    MessageBoxScript boxes;
    ASSERT_EQ(Fill(kSenderListInSenderDialog), 1);
    ASSERT_EQ(SendMessageW(list_, CB_GETCOUNT, 0, 0), 11);
    EXPECT_EQ(ItemText(list_, 0), L"Sender 7");
    EXPECT_EQ(ItemText(list_, 1), L"Sender 1");
    EXPECT_EQ(ItemText(list_, 10), ResourceString(kStringNoSender));
    EXPECT_EQ(SendMessageW(list_, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SenderListEntry(list_, 10)->sender.name[0], L'\0');
    EXPECT_EQ(std::wstring(SenderListEntry(list_, 0)->sender.lines), L"Street 1\r\nTown");

    // The cover-sheet dialog keeps the stored order and answers 0.
    ASSERT_EQ(Fill(kSenderListInCoverDialog), 0);
    ASSERT_EQ(SendMessageW(list_, CB_GETCOUNT, 0, 0), 11);
    EXPECT_EQ(ItemText(list_, 6), L"Sender 7");
    EXPECT_EQ(SendMessageW(list_, CB_GETCURSEL, 0, 0), 6);
    EXPECT_TRUE(boxes.shown().empty());

    // Written back in list order, the "no sender" item left out.
    ASSERT_EQ(Fill(kSenderListInSenderDialog), 1);
    ASSERT_EQ(WriteSenderListTo(list_, kSenderTestKey), 1);
    EXPECT_EQ(SendMessageW(list_, CB_GETCOUNT, 0, 0), 0);
    const auto stored = Stored();
    ASSERT_EQ(stored.size(), 10u);
    EXPECT_EQ(std::wstring(stored[0].sender.name), L"Sender 7");
    EXPECT_EQ(std::wstring(stored[1].sender.name), L"Sender 1");
    EXPECT_EQ(std::wstring(stored[9].sender.name), L"Sender 10");
}

TEST_F(SenderLists, ACurrentSenderThatIsNotStoredIsClearedWithAMessage)
{
    Store({Entry(L"Alice")});
    const struct {
        int mode;
        UINT message;
    } cases[] = {{kSenderListInSenderDialog, kMessageSenderGoneDialog},
                 {kSenderListInCoverDialog, kMessageSenderGoneCover}};
    for (const auto& c : cases) {
        MakeCurrent(Entry(L"Gone"));
        MessageBoxScript boxes({IDOK});
        EXPECT_EQ(Fill(c.mode), 0);
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(boxes.shown()[0].text, ResourceString(c.message));
        EXPECT_EQ(boxes.shown()[0].caption, ResourceString(kCaptionSettings));
        EXPECT_EQ(SendMessageW(list_, CB_GETCURSEL, 0, 0), 1);
        EXPECT_EQ(Current().sender.name[0], L'\0');
        EXPECT_EQ(Current().sender.text2[0], L'\0');
    }
    // No current sender: no message.
    MessageBoxScript none;
    EXPECT_EQ(Fill(kSenderListInSenderDialog), 0);
    EXPECT_TRUE(none.shown().empty());
}

TEST_F(SenderLists, AnUnconfirmedSenderIsConfirmedByYes)
{
    Store({Entry(L"Alice"), Entry(L"Bob", L"bob@example.invalid", 0)});
    ASSERT_EQ(Stored()[1].confirmed, 0u);

    const struct {
        int button;
        int result;
        uint32_t storedAfter;
    } cases[] = {{IDCANCEL, kSenderCancelled, 0}, {IDNO, kSenderDeclined, 0}, {IDYES, kSenderConfirmedNow, 1}};
    for (const auto& c : cases) {
        SenderEntry bob = Entry(L"Bob", L"bob@example.invalid", 0);
        std::wcscpy(bob.sender.text2, L"edited");
        MakeCurrent(bob);
        MessageBoxScript boxes({c.button});
        EXPECT_EQ(Verify(), c.result) << c.button;
        ASSERT_EQ(boxes.shown().size(), 1u);
        const std::wstring text = boxes.shown()[0].text;
        EXPECT_NE(text.find(L"Bob"), std::wstring::npos) << text;
        EXPECT_NE(text.find(L"bob@example.invalid"), std::wstring::npos) << text;
        EXPECT_EQ(Stored()[1].confirmed, c.storedAfter) << c.button;
        // Only Yes takes the stored values into the settings.
        EXPECT_EQ(std::wstring(Current().sender.text2), c.button == IDYES ? L"Office" : L"edited");
    }
    // Confirmed now: usable without asking.
    MessageBoxScript quiet;
    EXPECT_EQ(Verify(), kSenderUsable);
    EXPECT_TRUE(quiet.shown().empty());
}

TEST_F(SenderLists, VerifyClearsAMissingSenderSilently)
{
    Store({Entry(L"Alice")});
    MessageBoxScript quiet;
    MakeCurrent(SenderEntry{});
    EXPECT_EQ(Verify(), kSenderUsable);
    MakeCurrent(Entry(L"Gone"));
    EXPECT_EQ(Verify(), kSenderNotStored);
    EXPECT_EQ(Current().sender.name[0], L'\0');
    SenderEntry alice = Entry(L"Alice");
    std::wcscpy(alice.sender.text5, L"stale");
    MakeCurrent(alice);
    EXPECT_EQ(Verify(), kSenderUsable);
    EXPECT_EQ(Current().sender.text5[0], L'\0') << "the stored entry replaces stale settings";
    EXPECT_TRUE(quiet.shown().empty());
    EXPECT_EQ(VerifyCurrentSenderIn(owner_, nullptr, settings_.data(), printer_settings_.data()), kSenderCheckFailed);
}

}  // namespace
