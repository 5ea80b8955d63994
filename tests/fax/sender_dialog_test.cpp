// The sender information dialog in a real window on the fax model: the list
// buttons, the questions it asks and what OK stores.
#include "ui/fax/sender_dialog.h"
#include "ui/fax/sender_dialog_ids.h"
#include "ui/fax/sender_information.h"

#include "common/context/settings_context.h"
#include "common/system/module_files.h"
#include "tests/fax/modal_dialog_script.h"
#include "tests/support/message_box_script.h"
#include "tests/support/dialog_suite_fixture.h"
#include "tests/support/window_capture.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/ui_context.h"
#include "ui/fax/fax_dialog_ids.h"
#include "ui/fax/fax_ui_state.h"
#include "ui/fax/fax_user_lists.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

namespace {

const PageDescriptor* const kDialogs[] = {&SenderInfoDialog};

SenderEntry Entry(const wchar_t* name, const wchar_t* text2 = L"Office", const wchar_t* mail = L"",
                  uint32_t confirmed = 1)
{
    SenderEntry e{};
    std::wcscpy(e.sender.name, name);
    std::wcscpy(e.sender.text2, text2);
    std::wcscpy(e.mail, mail);
    e.confirmed = confirmed;
    return e;
}

std::wstring Text(HWND dialog, int id)
{
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, id, text, 512);
    return text;
}

std::wstring ItemText(HWND dialog, int index)
{
    wchar_t text[128] = {};
    SendDlgItemMessageW(dialog, kSenderList, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

int ItemCount(HWND dialog)
{
    return static_cast<int>(SendDlgItemMessageW(dialog, kSenderList, CB_GETCOUNT, 0, 0));
}

bool Enabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

void Pump()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

class SenderDialog : public DialogSuiteTest {
protected:
    static void SetUpTestSuite()
    {
        InitControls();
        printer_s = OpenSuitePrinter(L"F1800.DDD", L"Morva Sender Dialog");
    }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_s); }
    void SetUp() override
    {
        OpenDialogs(printer_s, kDialogs, std::size(kDialogs));
        ASSERT_EQ(BuildSenderKeyPathFor(context_->main, key_, kFaxKeyPathChars), 1);
        ClearKeys();
    }
    void TearDown() override
    {
        ClearKeys();
        ReleaseFaxUiState(&ui_);
        DialogSuiteTest::TearDown();
    }
    void ClearKeys()
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, key_);
        RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(key_) + L"2").c_str());
    }
    void Store(const std::vector<SenderEntry>& entries)
    {
        ASSERT_EQ(WriteSenderEntries(key_, kSenderPrefix, entries.data(), static_cast<int>(entries.size())), 1);
    }
    std::vector<std::wstring> StoredNames()
    {
        std::vector<SenderEntry> out(kSenderReadLimit);
        const int count = ReadSenderEntries(key_, kSenderPrefix, out.data(), kSenderReadLimit);
        std::vector<std::wstring> names;
        for (int i = 0; i < count; ++i)
            names.push_back(out[i].sender.name);
        return names;
    }
    std::vector<SenderEntry> Stored()
    {
        std::vector<SenderEntry> out(kSenderReadLimit);
        const int count = ReadSenderEntries(key_, kSenderPrefix, out.data(), kSenderReadLimit);
        out.resize(count < 0 ? 0 : count);
        return out;
    }
    INT_PTR Run(const std::function<void(HWND)>& script)
    {
        return RunModalDialog(GetResourceModule(), kSenderDialogTemplate, SenderInfoDialogProc,
                              NewDialogContext(), nullptr, [&](HWND dialog) {
                                  Pump();
                                  script(dialog);
                              });
    }

    static ModelPrinter* printer_s;
    wchar_t key_[kFaxKeyPathChars] = {};
};
ModelPrinter* SenderDialog::printer_s = nullptr;

TEST(SenderButtonStates, MasksByStateAndPermission)
{
    const uint16_t masks[] = {32, 32, 511, 32, 319, 32};
    for (int state = 0; state < 6; ++state) {
        EXPECT_EQ(SenderEditMask(state, true), masks[state]) << state;
        EXPECT_EQ(SenderEditMask(state, false), 32) << state;
    }
    EXPECT_EQ(SenderEditMask(6, true), 32);
}

TEST_F(SenderDialog, TenStoredEntriesShowElevenItemsAndNewIsRefused)
{
    std::vector<SenderEntry> ten;
    for (int i = 1; i <= 10; ++i)
        ten.push_back(Entry((L"Sender " + std::to_wstring(i)).c_str()));
    Store(ten);
    SenderEntry current = ten[3];
    PutSenderSettings(settings_.data(), printer_settings_.data(), &current);
    MessageBoxScript boxes({IDOK});
    Run([&](HWND dialog) {
        EXPECT_EQ(ItemCount(dialog), 11);
        // The current sender, stored, is chosen and moved to the top.
        EXPECT_EQ(ItemText(dialog, 0), L"Sender 4");
        EXPECT_EQ(SendDlgItemMessageW(dialog, kSenderList, CB_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(Text(dialog, kSenderText2Field), L"Office");
        EXPECT_TRUE(Enabled(dialog, kSenderEditButton));
        EXPECT_TRUE(Enabled(dialog, kSenderDeleteButton));
        EXPECT_FALSE(Enabled(dialog, kSenderRegisterButton));
        EXPECT_FALSE(Enabled(dialog, kSenderNameField));
        CaptureWindowPng(dialog, "fax_sender_information");
        ClickButton(dialog, kSenderNewButton);
        EXPECT_EQ(ItemCount(dialog), 11);
        ClickButton(dialog, kFaxOkButton);
    });
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, ResourceString(kMessageSenderListFull));
    const auto names = StoredNames();
    ASSERT_EQ(names.size(), 10u);
    EXPECT_EQ(names[0], L"Sender 4") << "the chosen entry is stored first";
    EXPECT_EQ(names[1], L"Sender 1");
}

TEST_F(SenderDialog, RegisteringAnExistingNameAsksAndCancelKeepsTheOld)
{
    Store({Entry(L"Alice", L"Old office"), Entry(L"Bob")});
    MessageBoxScript boxes({IDCANCEL, IDOK});
    Run([&](HWND dialog) {
        ClickButton(dialog, kSenderNewButton);
        EXPECT_TRUE(Enabled(dialog, kSenderNameField));
        EXPECT_TRUE(Enabled(dialog, kSenderRegisterButton));
        EXPECT_FALSE(Enabled(dialog, kSenderEditButton));
        TypeText(dialog, kSenderNameField, L"Alice", kSenderText2Field);
        TypeText(dialog, kSenderText2Field, L"New office", kSenderMailField);
        CaptureWindowPng(dialog, "fax_sender_information_new");
        ClickButton(dialog, kSenderRegisterButton);  // Cancel
        EXPECT_EQ(ItemCount(dialog), 3);
        ClickButton(dialog, kSenderRegisterButton);  // OK: replaced, on top
        EXPECT_EQ(ItemCount(dialog), 3);
        EXPECT_EQ(ItemText(dialog, 0), L"Alice");
        EXPECT_EQ(ItemText(dialog, 1), L"Bob");
        EXPECT_FALSE(Enabled(dialog, kSenderNameField));
        ClickButton(dialog, kFaxOkButton);
    });
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[0].text, ResourceString(kMessageSenderExists));
    const auto stored = Stored();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(std::wstring(stored[0].sender.name), L"Alice");
    EXPECT_EQ(std::wstring(stored[0].sender.text2), L"New office");
}

TEST_F(SenderDialog, ABlankNameCannotBeRegistered)
{
    MessageBoxScript boxes({IDOK});
    Run([&](HWND dialog) {
        ClickButton(dialog, kSenderNewButton);
        TypeText(dialog, kSenderNameField, L"   ", kSenderText2Field);
        ClickButton(dialog, kSenderRegisterButton);
        EXPECT_EQ(ItemCount(dialog), 1);
        EndDialog(dialog, IDCANCEL);
    });
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, ResourceString(kMessageSenderNameMissing));
}

TEST_F(SenderDialog, EditThenOkAsksAndYesDropsTheEditedEntry)
{
    Store({Entry(L"Alice"), Entry(L"Bob")});
    SenderEntry current = Entry(L"Bob");
    PutSenderSettings(settings_.data(), printer_settings_.data(), &current);
    // No keeps the dialog open; Yes drops the edited values.
    MessageBoxScript boxes({IDNO, IDYES});
    const INT_PTR result = Run([&](HWND dialog) {
        ClickButton(dialog, kSenderEditButton);
        EXPECT_EQ(ItemCount(dialog), 2) << "the edited entry leaves the list";
        EXPECT_TRUE(Enabled(dialog, kSenderMailField));
        EXPECT_EQ(Text(dialog, kSenderNameField), L"Bob");
        ClickButton(dialog, kFaxOkButton);
        EXPECT_TRUE(IsWindow(dialog));
        ClickButton(dialog, kFaxOkButton);
    });
    EXPECT_NE(result, -99);
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[0].text, ResourceString(kMessageSenderNotRegistered));
    const auto names = StoredNames();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0], L"Alice");
}

TEST_F(SenderDialog, AnUnconfirmedEntryShowsTheNotice)
{
    Store({Entry(L"Carol", L"Office", L"carol@example.invalid", 0)});
    SenderEntry current = Entry(L"Carol", L"Office", L"carol@example.invalid", 0);
    PutSenderSettings(settings_.data(), printer_settings_.data(), &current);
    MessageBoxScript boxes;
    Run([&](HWND dialog) {
        EXPECT_EQ(Text(dialog, kSenderNoticeText), ResourceString(kStringSenderUnconfirmed));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, kSenderNoticeIcon)));
        ClickButton(dialog, kSenderDeleteButton);
        EXPECT_EQ(Text(dialog, kSenderNoticeText), L"");
        EXPECT_EQ(Text(dialog, kSenderNameField), L"");
        EndDialog(dialog, IDCANCEL);
    });
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(StoredNames().size(), 1u) << "Cancel stores nothing";
}

}  // namespace
