// The recipients page in a real window on the fax model: recipients typed and
// added, the list's limit, leaving with a typed recipient, and a picture.
#include "ui/fax/recipients_page.h"

#include "common/context/value_by_type.h"
#include "common/system/module_files.h"
#include "tests/fax/fax_test_records.h"
#include "tests/fax/modal_dialog_script.h"
#include "tests/support/message_box_script.h"
#include "tests/support/settings_pair_fixture.h"
#include "tests/support/window_capture.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/dialog_tables.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/ui_context.h"
#include "ui/fax/fax_dialog_ids.h"
#include "ui/fax/fax_setting_ids.h"
#include "ui/fax/fax_ui_state.h"
#include "ui/fax/recipient_options.h"
#include "ui/fax/small_fax_dialogs.h"
#include "ui/fax/fax_user_lists.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <prsht.h>

#include <iterator>
#include <string>

namespace {

std::string Shown(const MessageBoxScript& script)
{
    std::string all;
    for (const ShownMessageBox& box : script.shown())
        all += std::string(box.caption.begin(), box.caption.end()) + ": " + std::string(box.text.begin(), box.text.end()) + " | ";
    return all;
}

const PageDescriptor* const kPages[] = {&RecipientsPage, &RecipientOptionsDialog, &RecipientOptionsExDialog,
                                        &DestinationReentryDialog, &PhonebookWaitDialog};

}  // namespace

class RecipientsPageWindow : public SettingsPairTest {
protected:
    static void SetUpTestSuite()
    {
        const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        printer_s = OpenSuitePrinter(L"F1800.DDD", L"Morva Fax Recipients Window");
    }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_s); }
    void SetUp() override
    {
        Open(printer_s);
        Set(kFidIpFaxOption, 0);
        Set(kFidFaxCardType, 1);  // fax line kind 2
        Set(kFidFaxLineValue, 1);
        ui_.printer = Printer();
        ui_.settings = context_;
        ui_.permission = 1;
        ui_.tables = CreateDialogTableSet(kPages, std::size(kPages));
        ASSERT_NE(ui_.tables, nullptr);
        fax_ = CreateFaxDestinations();
        SettingsSet set{settings_.data(), printer_settings_.data(), fax_};
        context_record_ = CreateDialogContext(nullptr, &ui_, &set, nullptr);
        ASSERT_NE(context_record_, nullptr);
        host_ = CreateWindowExW(0, L"#32770", L"Fax", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 20, 20, 560, 560,
                                nullptr, nullptr, nullptr, nullptr);
        // The host is no message box: the box script leaves it alone.
        SetPropW(host_, L"MorvaScripted", reinterpret_cast<HANDLE>(1));
        page_info_.dwSize = sizeof page_info_;
        page_info_.lParam = reinterpret_cast<LPARAM>(context_record_);
        page_ = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(kRecipientsPageTemplate), host_,
                                   FaxRecipientsPageProc, reinterpret_cast<LPARAM>(&page_info_));
        ASSERT_NE(page_, nullptr);
        ShowWindow(page_, SW_SHOW);
        Notify(PSN_SETACTIVE);
        Pump();
    }
    void TearDown() override
    {
        if (page_)
            DestroyWindow(page_);
        if (host_)
            DestroyWindow(host_);
        FreeDialogContext(&context_record_);
        FreeFaxDestinations(fax_);
        ReleaseFaxUiState(&ui_);
        FreeDialogTableSet(ui_.tables);
        SettingsPairTest::TearDown();
    }
    LRESULT Notify(UINT code)
    {
        PSHNOTIFY notify{};
        notify.hdr.hwndFrom = host_;
        notify.hdr.idFrom = 0;
        notify.hdr.code = code;
        SendMessageW(page_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
        return GetWindowLongPtrW(page_, DWLP_MSGRESULT);
    }
    void Pump()
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    void Type(const wchar_t* address, const wchar_t* name)
    {
        TypeText(page_, kRecipientAddressEdit, address, kRecipientNameEdit);
        TypeText(page_, kRecipientNameEdit, name, kRecipientAddressEdit);
    }
    int Rows() { return static_cast<int>(SendDlgItemMessageW(page_, kRecipientList, LVM_GETITEMCOUNT, 0, 0)); }
    std::wstring Cell(int row, int column)
    {
        wchar_t text[256] = {};
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 256;
        SendDlgItemMessageW(page_, kRecipientList, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }

    static ModelPrinter* printer_s;
    UiContext ui_{};
    FaxDestinations* fax_ = nullptr;
    DialogContext* context_record_ = nullptr;
    PROPSHEETPAGEW page_info_{};
    HWND host_ = nullptr;
    HWND page_ = nullptr;
};
ModelPrinter* RecipientsPageWindow::printer_s = nullptr;

TEST_F(RecipientsPageWindow, TypedRecipientsAreAddedInOrder)
{
    MessageBoxScript none;
    Type(L"0312345678", L"Smith");
    ClickButton(page_, kRecipientAddButton);
    Type(L"0399990000", L"Jones");
    ClickButton(page_, kRecipientAddButton);
    Pump();
    ASSERT_EQ(Rows(), 2);
    EXPECT_EQ(Cell(0, 1), L"0312345678");
    EXPECT_EQ(Cell(0, 2), L"Smith");
    EXPECT_EQ(Cell(1, 2), L"Jones");
    ASSERT_EQ(GetKeyedListCount(context_record_->current->fax->recipients), 2);
    EXPECT_EQ(GetWindowTextLengthW(GetDlgItem(page_, kRecipientAddressEdit)), 0) << "the entry fields are reset";
    CaptureWindowPng(page_, "fax_recipients_page");
    EXPECT_EQ(none.shown().size(), 0u);
    // Leaving stores the count.
    EXPECT_EQ(Notify(PSN_KILLACTIVE), 0);
    EXPECT_EQ(SettingNumberOr(kFidFaxRecipientCount, context_record_->current->settings,
                              context_record_->current->printerSettings, 99),
              2u);
}

TEST_F(RecipientsPageWindow, LeavingWithATypedRecipientAsksToAddIt)
{
    Type(L"0312345678", L"Smith");
    {
        MessageBoxScript script({IDCANCEL});
        EXPECT_EQ(Notify(PSN_KILLACTIVE), 1) << "Cancel keeps the page";
        ASSERT_EQ(script.shown().size(), 1u) << Shown(script);
        EXPECT_EQ(script.shown()[0].text, ResourceString(5005));
    }
    MessageBoxScript script({IDOK});
    EXPECT_EQ(Notify(PSN_KILLACTIVE), 0);
    EXPECT_EQ(Rows(), 1);
}

TEST_F(RecipientsPageWindow, ModelMaximumAppliesInFourDigitSpeedDial)
{
    Set(kFidFaxCardType, 0);  // fax line kind 3 with the IP fax option: IP addresses only
    WriteSettingNumber(kFidIpFaxOption, context_record_->current->settings,
                       context_record_->current->printerSettings, 1);
    WriteSettingNumber(kFidFaxCardType, context_record_->current->settings,
                       context_record_->current->printerSettings, 0);
    for (int i = 0; i < 50; ++i)
        AddTo(context_record_->current->fax, Recipient(kRecipientIpFax, (L"192.0.2." + std::to_wstring(i)).c_str()));
    WriteSettingNumber(kFidRecipientKind, context_record_->current->settings,
                       context_record_->current->printerSettings, kRecipientIpFax);
    Notify(PSN_SETACTIVE);
    Pump();
    EXPECT_EQ(Rows(), 50);
    MessageBoxScript script({IDOK});
    Type(L"192.0.2.200", L"Lab");
    ClickButton(page_, kRecipientAddButton);
    // The IP fax option makes 4-digit speed dial: the model's maximum (20) applies.
    ASSERT_EQ(script.shown().size(), 1u) << Shown(script);
    EXPECT_EQ(script.shown()[0].text, ResourceString(5207));
    EXPECT_EQ(Rows(), 50);
}

TEST_F(RecipientsPageWindow, FiftyFirstRecipientIsRefusedWithThreeDigitSpeedDial)
{
    // Fax line kind 1 (capability 0xFFFF0029), the 12-destination rule off
    // (376 = 1, 379 = 0): 50 fax numbers fill the list.
    PatchModelRaw(context_->main, 39, 4, 0, 0x200);
    void* settings = context_record_->current->settings;
    void* printerSettings = context_record_->current->printerSettings;
    WriteSettingNumber(kFidFaxInformationPage, settings, printerSettings, 1);
    WriteSettingNumber(kFidFaxOneHeader, settings, printerSettings, 0);
    for (int i = 0; i < 50; ++i)
        AddTo(context_record_->current->fax, Recipient(kRecipientFaxNumber, std::to_wstring(5550000 + i).c_str()));
    Notify(PSN_SETACTIVE);
    Pump();
    EXPECT_EQ(Rows(), 50);
    MessageBoxScript script({IDOK});
    Type(L"5559999", L"Late");
    ClickButton(page_, kRecipientAddButton);
    ASSERT_EQ(script.shown().size(), 1u) << Shown(script);
    EXPECT_EQ(script.shown()[0].text, ResourceString(5001));
    EXPECT_EQ(Rows(), 50);
    PatchModelRaw(context_->main, 39, 4, 0, 0);
}

TEST_F(RecipientsPageWindow, OptionsChosenFromThePageGoWithTheAddedRecipient)
{
    MessageBoxScript none;
    Type(L"0312345678", L"Smith");
    std::wstring title;
    ScriptNextModalDialog([&] { ClickButton(page_, kRecipientOptionsButton); },
                          [&](HWND dialog) {
                              wchar_t text[64] = {};
                              GetWindowTextW(dialog, text, 64);
                              title = text;
                              TypeText(dialog, kRecipientFCode, L"77", kRecipientFCodePassword);
                              TypeText(dialog, kRecipientFCodePassword, L"4321", kRecipientFCode);
                              ClickButton(dialog, kFaxOkButton);
                          });
    EXPECT_EQ(title, L"Destination Options");
    Pump();
    wchar_t described[128] = {};
    GetDlgItemTextW(page_, kTypedOptionsText, described, 128);
    EXPECT_NE(std::wstring(described).find(L"F-code"), std::wstring::npos) << described;
    ClickButton(page_, kRecipientAddButton);
    ASSERT_EQ(GetKeyedListCount(context_record_->current->fax->recipients), 1);
    const FaxRecipientRecord* added = At(context_record_->current->fax, 0);
    EXPECT_STREQ(added->destination, L"0312345678");
    EXPECT_STREQ(added->field5, L"77");
    EXPECT_STREQ(added->field6, L"4321");
    EXPECT_EQ(none.shown().size(), 0u) << Shown(none);
}

TEST_F(RecipientsPageWindow, SixHundredDestinationsNameTheirTotal)
{
    // 4-digit speed dial (fax line kind 2) with a book of 2000: six "05**"
    // stand for 600 destinations.
    void* settings = context_record_->current->settings;
    void* printerSettings = context_record_->current->printerSettings;
    WriteSettingNumber(kFidSpeedDialBookSize, settings, printerSettings, 2000);
    for (int i = 0; i < 6; ++i)
        AddTo(context_record_->current->fax,
              Recipient(kRecipientSpeedDial, L"05**", (L"Group " + std::to_wstring(i)).c_str()));
    WriteSettingNumber(kFidRecipientKind, settings, printerSettings, kRecipientSpeedDial);
    Notify(PSN_SETACTIVE);
    Pump();
    ASSERT_EQ(Rows(), 6);
    EXPECT_EQ(Cell(0, 1).substr(0, 4), L"05**");
    MessageBoxScript script({IDOK});
    Type(L"1", L"One more");
    ClickButton(page_, kRecipientAddButton);
    ASSERT_EQ(script.shown().size(), 1u) << Shown(script);
    EXPECT_NE(script.shown()[0].text.find(L"(now 600)"), std::wstring::npos) << Shown(script);
    EXPECT_EQ(Rows(), 6);
}

TEST_F(RecipientsPageWindow, TypedNumberIsConfirmedBeforeItIsAdded)
{
    WriteSettingNumber(kFidConfirmTypedNumber, context_record_->current->settings,
                       context_record_->current->printerSettings, 1);
    Type(L"0312345678", L"Smith");
    // Closed without the same number: nothing added.
    ScriptNextModalDialog([&] { ClickButton(page_, kRecipientAddButton); },
                          [&](HWND dialog) { EndDialog(dialog, IDCANCEL); });
    EXPECT_EQ(Rows(), 0);
    // Typed again the same: added.
    ScriptNextModalDialog([&] { ClickButton(page_, kRecipientAddButton); },
                          [&](HWND dialog) {
                              TypeText(dialog, kReentryEdit, L"0312345678");
                              ClickButton(dialog, kFaxOkButton);
                          });
    EXPECT_EQ(Rows(), 1);
}

TEST_F(RecipientsPageWindow, AddressBookBoxKeepsAMarkedPathFirst)
{
    const std::wstring key = L"Software\\Morva\\F1800\\AddressBook";
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    const wchar_t* history[] = {L"C:\\books\\a.csv", L"C:\\books\\b.csv"};
    ASSERT_EQ(WriteNumberedStrings(key.c_str(), L"ADDRESSBOOK_FILENAME", history, 2), 1);
    const wchar_t marked[] = L":C:\\books\\new.csv";
    SetFunctionIdValueArgs(context_record_->current->settings, context_record_->current->printerSettings,
                           kFidAddressBookFile, kTypeString, sizeof marked, marked);
    Notify(PSN_SETACTIVE);
    HWND combo = GetDlgItem(page_, kAddressBookBox);
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 4);
    wchar_t text[300] = {};
    SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"C:\\books\\new.csv");
    SendMessageW(combo, CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(text, ResourceString(5223));
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page_, kOutsideDialogButton)));
    CaptureWindowPng(page_, "fax_recipients_page_address_book");
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
}

TEST_F(RecipientsPageWindow, ColumnWidthsAreStoredOnApplyAndReadAgain)
{
    const std::wstring key = L"Software\\Morva\\F1800\\RecipientColumns";
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    HWND list = GetDlgItem(page_, kRecipientList);
    SendMessageW(list, LVM_SETCOLUMNWIDTH, 1, 111);
    SendMessageW(list, LVM_SETCOLUMNWIDTH, 3, 77);
    EXPECT_EQ(Notify(PSN_APPLY), PSNRET_NOERROR);
    wchar_t text[16] = {};
    DWORD bytes = sizeof text;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"COLUMN_WIDTH2", RRF_RT_REG_SZ, nullptr, text, &bytes),
              ERROR_SUCCESS);
    EXPECT_STREQ(text, L"111");
    // A page opened afterwards has the stored widths.
    HWND second = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(kRecipientsPageTemplate), host_,
                                     FaxRecipientsPageProc, reinterpret_cast<LPARAM>(&page_info_));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(SendDlgItemMessageW(second, kRecipientList, LVM_GETCOLUMNWIDTH, 1, 0), 111);
    EXPECT_EQ(SendDlgItemMessageW(second, kRecipientList, LVM_GETCOLUMNWIDTH, 3, 77), 77);
    DestroyWindow(second);
    // Clear All gives the defaults back.
    ClickButton(page_, kFaxDefaultsButton);
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), 25);
    EXPECT_NE(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0), 111);
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
}

TEST_F(RecipientsPageWindow, RowsCarryTheIconOfTheirKind)
{
    AddTo(context_record_->current->fax, Recipient(kRecipientFaxNumber, L"0312345678", L"Smith"));
    AddTo(context_record_->current->fax, Recipient(kRecipientSpeedDial, L"12", L"Book"));
    WriteSettingNumber(kFidSpeedDialBookSize, context_record_->current->settings,
                       context_record_->current->printerSettings, 2000);
    Notify(PSN_SETACTIVE);
    ASSERT_EQ(Rows(), 2);
    for (int row = 0; row < 2; ++row) {
        LVITEMW item{};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        SendDlgItemMessageW(page_, kRecipientList, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(item.iImage, row == 0 ? kRecipientFaxNumber : kRecipientSpeedDial);
    }
    auto icons = reinterpret_cast<HIMAGELIST>(SendDlgItemMessageW(page_, kRecipientList, LVM_GETIMAGELIST,
                                                                  LVSIL_SMALL, 0));
    ASSERT_NE(icons, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(icons), 3);
    CaptureWindowPng(page_, "fax_recipients_page_kinds");
}

TEST_F(RecipientsPageWindow, KindFitsTheOptionsReadAgain)
{
    void* settings = context_record_->current->settings;
    void* printerSettings = context_record_->current->printerSettings;
    TypeText(page_, kRecipientAddressEdit, L"0312345678", kRecipientNameEdit);
    WriteSettingNumber(kFidFaxCardType, settings, printerSettings, 0);
    WriteSettingNumber(kFidIpFaxOption, settings, printerSettings, 1);
    SendMessageW(page_, kEventItem2535, kRecipientKindBox, 0);
    EXPECT_EQ(SettingNumberOr(kFidRecipientKind, settings, printerSettings, 99), kRecipientIpFax);
    EXPECT_EQ(GetWindowTextLengthW(GetDlgItem(page_, kRecipientAddressEdit)), 0) << "the address is cleared";
    wchar_t shown[64] = {};
    HWND kinds = GetDlgItem(page_, kRecipientKindBox);
    SendMessageW(kinds, CB_GETLBTEXT, SendMessageW(kinds, CB_GETCURSEL, 0, 0), reinterpret_cast<LPARAM>(shown));
    EXPECT_STREQ(shown, L"IP Fax");
}

TEST_F(RecipientsPageWindow, SendTimeShowsTwoDigitsAndGoesRound)
{
    void* settings = context_record_->current->settings;
    void* printerSettings = context_record_->current->printerSettings;
    WriteSettingNumber(kFidFaxHour, settings, printerSettings, 23);
    WriteSettingNumber(kFidFaxMinute, settings, printerSettings, 5);
    Notify(PSN_SETACTIVE);
    wchar_t text[8] = {};
    GetDlgItemTextW(page_, kFaxMinuteEdit, text, 8);
    EXPECT_STREQ(text, L"05");
    // One step up from 23 is 0.
    SendDlgItemMessageW(page_, kFaxHourUpDown, WM_KEYDOWN, VK_UP, 0);
    SendDlgItemMessageW(page_, kFaxHourUpDown, WM_KEYUP, VK_UP, 0);
    Pump();
    EXPECT_EQ(SettingNumberOr(kFidFaxHour, settings, printerSettings, 99), 0u);
    GetDlgItemTextW(page_, kFaxHourEdit, text, 8);
    EXPECT_STREQ(text, L"00");
    // The fine resolution box sets its setting.
    CheckDlgButton(page_, kFaxFineCheck, BST_CHECKED);
    ClickButton(page_, kFaxFineCheck);
    EXPECT_EQ(SettingNumberOr(kFidFaxSpecialJob, settings, printerSettings, 99), 1u);
}

TEST_F(RecipientsPageWindow, CoverSheetJobWithAnUnknownSenderOpensTheCoverSheetInstead)
{
    void* settings = context_record_->current->settings;
    void* printerSettings = context_record_->current->printerSettings;
    WriteSettingNumber(kFidFaxInformationPage, settings, printerSettings, 1);
    const wchar_t nobody[] = L"Nobody Stored";
    SetFunctionIdValueArgs(settings, printerSettings, kFidSenderName, kTypeString, sizeof nobody, nobody);
    Pump();
    EXPECT_EQ(Notify(PSN_APPLY), PSNRET_INVALID_NOCHANGEPAGE);
    MSG msg{};
    bool posted = false;
    while (PeekMessageW(&msg, page_, WM_COMMAND, WM_COMMAND, PM_REMOVE))
        posted = posted || LOWORD(msg.wParam) == kCoverSheetButton;
    EXPECT_TRUE(posted) << "a click of the cover-sheet button is posted";
    // The cover sheet off: the page applies.
    WriteSettingNumber(kFidFaxInformationPage, settings, printerSettings, 0);
    EXPECT_EQ(Notify(PSN_APPLY), PSNRET_NOERROR);
}

TEST_F(RecipientsPageWindow, ProgramButtonsSayWhenNothingIsInstalled)
{
    MessageBoxScript script({IDOK, IDOK});
    ClickButton(page_, kPhonebookProgramButton);
    Type(L"0312345678", L"Smith");
    EnableWindow(GetDlgItem(page_, kPhonebookButton), TRUE);
    ClickButton(page_, kPhonebookButton);
    ASSERT_EQ(script.shown().size(), 2u) << Shown(script);
    EXPECT_EQ(script.shown()[0].text, ResourceString(4624));
    EXPECT_EQ(script.shown()[1].text, ResourceString(5226));
}

TEST_F(RecipientsPageWindow, TypedAddressGoesIntoTheHistoryBox)
{
    void* settings = context_record_->current->settings;
    void* printerSettings = context_record_->current->printerSettings;
    WriteSettingNumber(kFidUseAddressHistory, settings, printerSettings, 1);
    Notify(PSN_SETACTIVE);
    HWND history = GetDlgItem(page_, kAddressHistoryBox);
    EXPECT_TRUE(IsWindowVisible(history));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(page_, kRecipientAddressEdit)));
    MessageBoxScript none;
    for (const wchar_t* address : {L"0311111111", L"0322222222"}) {
        SetWindowTextW(history, address);
        SendMessageW(page_, WM_COMMAND, MAKEWPARAM(kAddressHistoryBox, CBN_EDITCHANGE),
                     reinterpret_cast<LPARAM>(history));
        TypeText(page_, kRecipientNameEdit, L"Smith");
        ClickButton(page_, kRecipientAddButton);
    }
    ASSERT_EQ(Rows(), 2) << Shown(none);
    EXPECT_EQ(Cell(1, 1), L"0322222222");
    EXPECT_EQ(GetWindowTextLengthW(history), 0) << "the entry is reset";
    wchar_t first[64] = {};
    SendMessageW(history, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_STREQ(first, L"0322222222");
    EXPECT_EQ(SendMessageW(history, CB_GETCOUNT, 0, 0), 3) << "two addresses and the clear-list item";
    CaptureWindowPng(page_, "fax_recipients_page_history");
}

TEST_F(RecipientsPageWindow, PrintTimePageNamesItsButtonsAndAsksAboutFeatures)
{
    DestroyWindow(page_);
    for (int id : {IDOK, IDCANCEL})
        CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE, 20 + id * 80, 500, 70, 24, host_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    ui_.sheetMode |= kSheetPrintTime;
    void* settings = context_record_->current->settings;
    void* printerSettings = context_record_->current->printerSettings;
    WriteSettingNumber(kFidFaxOneHeader, settings, printerSettings, 0);
    // Leaving reads the printer's own options again (the model's defaults
    // here: no fax card, the IP fax option): IP fax addresses stay.
    WriteSettingNumber(kFidIpFaxOption, settings, printerSettings, 1);
    FaxRecipientRecord first = Recipient(kRecipientIpFax, L"192.0.2.1", L"Smith");
    wcscpy(first.field5, L"77");
    AddTo(context_record_->current->fax, first);
    AddTo(context_record_->current->fax, Recipient(kRecipientIpFax, L"192.0.2.2", L"Jones"));
    page_ = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(kRecipientsPageTemplate), host_,
                               FaxRecipientsPageProc, reinterpret_cast<LPARAM>(&page_info_));
    ASSERT_NE(page_, nullptr);
    ShowWindow(page_, SW_SHOW);
    Notify(PSN_SETACTIVE);
    Pump();
    wchar_t text[64] = {};
    GetDlgItemTextW(host_, IDOK, text, 64);
    EXPECT_EQ(text, ResourceString(5075));
    GetDlgItemTextW(host_, IDCANCEL, text, 64);
    EXPECT_EQ(text, ResourceString(5076));
    ASSERT_EQ(Rows(), 2);
    {
        MessageBoxScript script({IDCANCEL});
        EXPECT_EQ(Notify(PSN_KILLACTIVE), 1) << Shown(script);
        ASSERT_EQ(script.shown().size(), 1u) << Shown(script);
        const std::wstring& shown = script.shown()[0].text;
        EXPECT_EQ(shown.find(ResourceString(4631)), 0u) << Shown(script);
        EXPECT_NE(shown.find(ResourceString(4634)), std::wstring::npos) << Shown(script);
        EXPECT_EQ(shown.find(ResourceString(4633)), std::wstring::npos) << Shown(script);
    }
    MessageBoxScript script({IDOK});
    EXPECT_EQ(Notify(PSN_KILLACTIVE), 0) << Shown(script);
    EXPECT_EQ(SettingNumberOr(kFidFaxRecipientCount, context_record_->current->settings,
                              context_record_->current->printerSettings, 99),
              2u);
    CaptureWindowPng(host_, "fax_recipients_page_print_time");
}

TEST_F(RecipientsPageWindow, CancelledBookChoiceKeepsTheMarkedPath)
{
    const wchar_t marked[] = L":C:\\books\\kept.csv";
    SetFunctionIdValueArgs(context_record_->current->settings, context_record_->current->printerSettings,
                           kFidAddressBookFile, kTypeString, sizeof marked, marked);
    std::wstring title;
    ScriptNextModalDialog([&] { ClickButton(page_, kAddressBookBrowse); },
                          [&](HWND dialog) {
                              wchar_t text[128] = {};
                              GetWindowTextW(dialog, text, 128);
                              title = text;
                              PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                          });
    EXPECT_EQ(title, ResourceString(4541));
    const auto* now = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(GetFunctionIdValuePointer(
        context_record_->current->settings, context_record_->current->printerSettings, kFidAddressBookFile,
        kTypeString)));
    ASSERT_NE(now, nullptr);
    EXPECT_STREQ(now, marked);
}

TEST_F(RecipientsPageWindow, AddIsEnabledByATypedAddress)
{
    HWND add = GetDlgItem(page_, kRecipientAddButton);
    EXPECT_FALSE(IsWindowEnabled(add));
    TypeText(page_, kRecipientAddressEdit, L"0312345678");
    EXPECT_TRUE(IsWindowEnabled(add));
    TypeText(page_, kRecipientAddressEdit, L"   ");
    EXPECT_FALSE(IsWindowEnabled(add)) << "blanks are no address";
    // The phonebook button wants an address and a name.
    TypeText(page_, kRecipientAddressEdit, L"0312345678");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page_, kPhonebookButton)));
    TypeText(page_, kRecipientNameEdit, L"Smith");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page_, kPhonebookButton)));
}

TEST_F(RecipientsPageWindow, SpeedDialNumberOutsideTheBookIsRefusedAndTheFieldRestored)
{
    void* settings = context_record_->current->settings;
    void* printerSettings = context_record_->current->printerSettings;
    WriteSettingNumber(kFidSpeedDialBookSize, settings, printerSettings, 100);
    WriteSettingNumber(kFidRecipientKind, settings, printerSettings, kRecipientSpeedDial);
    Notify(PSN_SETACTIVE);
    {
        MessageBoxScript script({IDOK});
        TypeText(page_, kRecipientAddressEdit, L"0500", kRecipientNameEdit);
        TypeText(page_, kRecipientNameEdit, L"Far", kRecipientAddButton);
        ClickButton(page_, kRecipientAddButton);
        ASSERT_EQ(script.shown().size(), 1u) << Shown(script);
        EXPECT_EQ(Rows(), 0);
        EXPECT_EQ(GetWindowTextLengthW(GetDlgItem(page_, kRecipientAddressEdit)), 0) << "the text before the edit "
                                                                                     << Shown(script);
        const auto* address = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(
            GetFunctionIdValuePointer(settings, printerSettings, kFidRecipientAddress, kTypeString)));
        ASSERT_NE(address, nullptr);
        EXPECT_STREQ(address, L"");
    }
    MessageBoxScript none;
    Type(L"12", L"Near");
    ClickButton(page_, kRecipientAddButton);
    EXPECT_EQ(Rows(), 1) << Shown(none);
    EXPECT_EQ(Cell(0, 1).substr(0, 4), L"0012");
}

// Button 4005: the outside recipient dialog (the stand-in library) gives the
// list back reversed; the page shows the list it returned.
TEST_F(RecipientsPageWindow, OutsideRecipientDialogReplacesTheList)
{
    std::wstring standIn = L"Z:";
    for (const char* c = MORVA_FAX_STANDIN_DIR; *c != 0; ++c)
        standIn += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    const std::wstring library = printer_s->driverDirectory() + L"F1800RD.dll";
    ASSERT_TRUE(CopyFileW((standIn + L"\\F1800RD.dll").c_str(), library.c_str(), FALSE));
    for (const wchar_t* name :
         {L"MORVA_RECIPDLG_LOG", L"MORVA_RECIPDLG_RESULT", L"MORVA_RECIPDLG_COUNT", L"MORVA_RECIPDLG_CLAIM"})
        SetEnvironmentVariableW(name, nullptr);
    AddTo(context_record_->current->fax, Recipient(kRecipientFaxNumber, L"0311111111", L"First"));
    AddTo(context_record_->current->fax, Recipient(kRecipientFaxNumber, L"0322222222", L"Second"));
    const wchar_t book[] = L"C:\\books\\office.csv";
    SetFunctionIdValueArgs(context_record_->current->settings, context_record_->current->printerSettings,
                           kFidAddressBookFile, kTypeString, sizeof book, book);
    Notify(PSN_SETACTIVE);
    ASSERT_EQ(Rows(), 2);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page_, kOutsideDialogButton)));
    MessageBoxScript none;
    ClickButton(page_, kOutsideDialogButton);
    ASSERT_EQ(Rows(), 2) << Shown(none);
    EXPECT_EQ(Cell(0, 2), L"Second");
    EXPECT_EQ(Cell(1, 2), L"First");
    EXPECT_EQ(none.shown().size(), 0u) << Shown(none);
    DeleteFileW(library.c_str());
}

// Button 4046 with the stand-in phonebook tool: the wait dialog opens from the
// page, and its Cancel stops the running tool and gives the book back as it
// was.
TEST_F(RecipientsPageWindow, PhonebookWaitCancelledFromThePageRestoresTheBook)
{
    constexpr wchar_t kToolKey[] = L"SOFTWARE\\Morva\\Fax Phonebook Tool";
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"fax46 page tool\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring standIn = L"Z:";
    for (const char* c = MORVA_FAX_STANDIN_DIR; *c != 0; ++c)
        standIn += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    ASSERT_TRUE(CopyFileW((standIn + L"\\fax_phonebook_standin.exe").c_str(), (folder + L"MorvaPhonebook.exe").c_str(),
                          FALSE));
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kToolKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t version[] = L"60100";
    RegSetValueExW(key, L"InstallFolder", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                   static_cast<DWORD>((folder.size() + 1) * 2));
    RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version), sizeof version);
    RegCloseKey(key);
    SetEnvironmentVariableW(L"MORVA_PHONEBOOK_LOG", nullptr);
    SetEnvironmentVariableW(L"MORVA_PHONEBOOK_STALL", L"1");
    const std::wstring book = std::wstring(temp) + L"fax46 page book.csv";
    const std::string original = "book\r\nSmith,0312345678\r\n";
    {
        HANDLE file = CreateFileW(book.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, original.data(), static_cast<DWORD>(original.size()), &written, nullptr);
        CloseHandle(file);
    }
    SetFunctionIdValueArgs(context_record_->current->settings, context_record_->current->printerSettings,
                           kFidAddressBookFile, kTypeString, static_cast<uint32_t>((book.size() + 1) * 2),
                           book.c_str());
    Type(L"0399990000", L"Jones");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page_, kPhonebookButton)));
    MessageBoxScript none;
    std::wstring waitText;
    ScriptNextModalDialog([&] { ClickButton(page_, kPhonebookButton); },
                          [&](HWND dialog) {
                              wchar_t text[256] = {};
                              GetDlgItemTextW(dialog, kPhonebookWaitText, text, 256);
                              waitText = text;
                              CaptureWindowPng(dialog, "fax_phonebook_wait_from_page");
                              Sleep(300);
                              ClickButton(dialog, kFaxOkButton);
                          });
    EXPECT_EQ(waitText, ResourceString(5225));
    std::string after;
    {
        HANDLE file = CreateFileW(book.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        char bytes[256] = {};
        DWORD read = 0;
        ReadFile(file, bytes, sizeof bytes, &read, nullptr);
        CloseHandle(file);
        after.assign(bytes, read);
    }
    EXPECT_EQ(after, original) << "byte for byte";
    EXPECT_EQ(none.shown().size(), 0u) << Shown(none);
    SetEnvironmentVariableW(L"MORVA_PHONEBOOK_STALL", nullptr);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kToolKey);
    DeleteFileW((folder + L"MorvaPhonebook.exe").c_str());
    RemoveDirectoryW(folder.c_str());
    DeleteFileW(book.c_str());
}

TEST_F(RecipientsPageWindow, CompanyFieldHasItsOwnFont)
{
    auto font = reinterpret_cast<HFONT>(SendDlgItemMessageW(page_, kRecipientCompanyEdit, WM_GETFONT, 0, 0));
    auto pageFont = reinterpret_cast<HFONT>(SendMessageW(page_, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    EXPECT_NE(font, pageFont);
    LOGFONTW shown{};
    ASSERT_TRUE(GetObjectW(font, sizeof shown, &shown));
    EXPECT_EQ(shown.lfFaceName, ResourceString(5096));
    HDC screen = GetDC(page_);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(page_, screen);
    EXPECT_EQ(std::to_wstring(shown.lfHeight), ResourceString(dpi == 96 ? 4646 : 4647));
}
