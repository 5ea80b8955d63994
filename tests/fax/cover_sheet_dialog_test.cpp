// The cover-sheet dialog and the cover form dialog in real windows on the fax
// model: the subject line and the message held to their limits, the forms
// list kept most recent first, a refused form path, the sample print's
// confirmation and its temporary files, and the owner-drawn sender lists.
#include "ui/fax/cover_sheet_dialog.h"
#include "ui/fax/recipients_page_logic.h"
#include "ui/fax/cover_sheet_ids.h"

#include "common/context/settings_context.h"
#include "common/model/model_data.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "common/context/value_by_type.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "tests/fax/modal_dialog_script.h"
#include "tests/support/dialog_suite_fixture.h"
#include "tests/support/import_patch.h"
#include "tests/support/message_box_script.h"
#include "tests/support/window_capture.h"
#include "ui/docevent/fax_send_list.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/ui_context.h"
#include "ui/fax/cover_sheet_files.h"
#include "ui/fax/fax_dialog_ids.h"
#include "ui/fax/fax_recipient_fields.h"
#include "ui/fax/fax_setting_ids.h"
#include "ui/fax/fax_ui_state.h"
#include "ui/fax/fax_user_lists.h"
#include "ui/fax/sender_dialog.h"
#include "ui/fax/sender_dialog_ids.h"
#include "ui/fax/sender_information.h"
#include "ui/fax/small_fax_dialogs.h"

#include <commctrl.h>
#include <commdlg.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

namespace {

const PageDescriptor* const kDialogs[] = {&CoverSheetDialog, &CoverFormsDialog, &SenderInfoDialog, &FaxNoticeDialog};
constexpr uint16_t kFidCoverFormPath = 1830;

std::wstring Text(HWND dialog, int id)
{
    wchar_t text[1024] = {};
    GetDlgItemTextW(dialog, id, text, 1024);
    return text;
}

void Pump()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// A keystroke at the end of the edit, as the user types it.
void TypeAtEnd(HWND dialog, int id, wchar_t key)
{
    HWND edit = GetDlgItem(dialog, id);
    SetFocus(edit);
    const int length = GetWindowTextLengthW(edit);
    SendMessageW(edit, EM_SETSEL, length, length);
    SendMessageW(edit, WM_CHAR, key, 0);
}

std::wstring Lines(int count, const std::wstring& line)
{
    std::wstring text;
    for (int i = 0; i < count; ++i)
        text += (i ? L"\r\n" : L"") + line;
    return text;
}

// The "ZQF" temporary files in the temporary folder.
int CountSampleTempFiles()
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((std::wstring(folder) + L"ZQF*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do
        ++count;
    while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

int createCalls = 0;
HDC WINAPI CountedCreateDc(LPCWSTR, LPCWSTR, LPCWSTR, const DEVMODEW*)
{
    ++createCalls;
    return nullptr;
}

std::wstring chosenPath;
BOOL WINAPI ScriptedOpenFile(OPENFILENAMEW* dialog)
{
    std::wcsncpy(dialog->lpstrFile, chosenPath.c_str(), dialog->nMaxFile - 1);
    const size_t slash = chosenPath.rfind(L'\\');
    dialog->nFileOffset = static_cast<WORD>(slash == std::wstring::npos ? 0 : slash + 1);
    const size_t dot = chosenPath.rfind(L'.');
    dialog->nFileExtension = static_cast<WORD>(dot == std::wstring::npos ? 0 : dot + 1);
    return TRUE;
}

std::wstring TempFile(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return path;
}

class CoverSheetDialogs : public DialogSuiteTest {
protected:
    static void SetUpTestSuite()
    {
        InitControls();
        printer_s = OpenSuitePrinter(L"F1800.DDD", L"Morva Cover Sheet Dialogs");
    }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_s); }
    void SetUp() override
    {
        OpenDialogs(printer_s, kDialogs, std::size(kDialogs));
        ui_.permission = 1;
        wchar_t* base = nullptr;
        GetModelRegistryBase(context_->main, 1, &base);
        GlobalBlockPtr<wchar_t> owner(base);
        ASSERT_NE(base, nullptr);
        formsKey_ = std::wstring(base) + kCoverSheetFormsKey;
        ASSERT_EQ(BuildSenderKeyPathFor(context_->main, senderKey_, kFaxKeyPathChars), 1);
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
        RegDeleteTreeW(HKEY_CURRENT_USER, formsKey_.c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, senderKey_);
        RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(senderKey_) + L"2").c_str());
    }
    LPARAM Context()
    {
        const LPARAM context = NewDialogContext();
        if (dialog_ && dialog_->current && !dialog_->current->fax)
            dialog_->current->fax = CreateFaxDestinations();
        return context;
    }
    INT_PTR RunCover(const std::function<void(HWND)>& script)
    {
        return RunModalDialog(GetResourceModule(), kCoverSheetTemplate, CoverSheetDialogProc, Context(), nullptr,
                              [&](HWND dialog) {
                                  Pump();
                                  script(dialog);
                              });
    }
    INT_PTR RunForms(const std::function<void(HWND)>& script)
    {
        return RunModalDialog(GetResourceModule(), kCoverFormsTemplate, CoverSheetFormsDialogProc, Context(),
                              nullptr, [&](HWND dialog) {
                                  Pump();
                                  script(dialog);
                              });
    }
    std::vector<std::wstring> StoredForms()
    {
        std::vector<wchar_t> slots(11 * kCoverPathChars);
        const int count = ReadNumberedStrings(formsKey_.c_str(), kCoverSheetFormPrefix, slots.data(),
                                              kCoverPathChars, 11);
        std::vector<std::wstring> out;
        for (int i = 0; i < count; ++i)
            out.push_back(slots.data() + i * kCoverPathChars);
        return out;
    }
    void StoreForms(const std::vector<std::wstring>& forms)
    {
        std::vector<const wchar_t*> texts;
        for (const std::wstring& f : forms)
            texts.push_back(f.c_str());
        ASSERT_EQ(WriteNumberedStrings(formsKey_.c_str(), kCoverSheetFormPrefix, texts.data(),
                                       static_cast<int>(texts.size())),
                  1);
    }
    std::wstring DialogSetting(uint16_t id)
    {
        const auto* text = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(GetFunctionIdValuePointer(
            dialog_->current->settings, dialog_->current->printerSettings, id, kTypeString)));
        return text ? text : L"";
    }

    static ModelPrinter* printer_s;
    std::wstring formsKey_;
    wchar_t senderKey_[kFaxKeyPathChars] = {};
};
ModelPrinter* CoverSheetDialogs::printer_s = nullptr;

TEST(CoverSheetPreview, PictureByChoiceAndModel)
{
    EXPECT_EQ(ChoosePreviewBitmap(0, false), 5061u);
    EXPECT_EQ(ChoosePreviewBitmap(0, true), 5065u);
    EXPECT_EQ(ChoosePreviewBitmap(1, false), 5060u);
    EXPECT_EQ(ChoosePreviewBitmap(2, true), 5060u);
}

// 202 mm of page fill the 203 pixels whatever the resolution; the origin is (7, 7).
TEST(CoverSheetPreview, PositionsScaleFromThePrintResolution)
{
    for (uint32_t dpi : {300u, 600u, 1200u}) {
        EXPECT_EQ(PreviewTextPosition(0, 0, dpi).x, 7) << dpi;
        EXPECT_EQ(PreviewTextPosition(2020, 0, dpi).x, 7 + 203) << dpi;
        EXPECT_EQ(PreviewTextPosition(0, 1010, dpi).y, 7 + 101) << dpi;
    }
    // 72 points are 25.4 mm: about 25.5 pixels of the preview.
    EXPECT_EQ(PreviewFontHeight(720, 600), -25);
}

TEST(CoverSheetTexts, FitTextToWidth)
{
    EXPECT_EQ(FitTextToWidth(L"short", 10, false), L"short");
    EXPECT_EQ(FitTextToWidth(L"short", 8, true), L"short   ");
    EXPECT_EQ(FitTextToWidth(L"abcdefghijk", 10, false), L"abcdefg...");
    EXPECT_EQ(FitTextToWidth(L"abcdefghij", 10, false), L"abcdefghij");
    EXPECT_EQ(FitTextToWidth(L"first\r\nsecond", 40, false), L"first");
}

TEST_F(CoverSheetDialogs, LineLimitedToFortyCharacters)
{
    RunCover([&](HWND dialog) {
        HWND line = GetDlgItem(dialog, kCoverLineEdit);
        EXPECT_EQ(SendMessageW(line, EM_GETLIMITTEXT, 0, 0), 40);
        TypeText(dialog, kCoverLineEdit, L"Quarterly figures", kCoverBodyEdit);
        ClickButton(dialog, kFaxCancelButton);
    });
}

// The message keeps 16 lines of 40 bytes: a keystroke that would make a 17th
// line, or a line of 41 bytes in a full message, is undone.
TEST_F(CoverSheetDialogs, BodyKeepsSixteenLinesOfForty)
{
    const INT_PTR result = RunCover([&](HWND dialog) {
        HWND body = GetDlgItem(dialog, kCoverBodyEdit);
        EXPECT_EQ(SendMessageW(body, EM_GETLIMITTEXT, 0, 0), 670);
        const std::wstring sixteen = Lines(16, L"Line of the message");
        SetDlgItemTextW(dialog, kCoverBodyEdit, sixteen.c_str());
        SendMessageW(body, EM_EMPTYUNDOBUFFER, 0, 0);
        TypeAtEnd(dialog, kCoverBodyEdit, L'\r');
        EXPECT_EQ(Text(dialog, kCoverBodyEdit), sixteen);
        SetDlgItemTextW(dialog, kCoverBodyEdit, Lines(16, std::wstring(39, L'x')).c_str());
        SendMessageW(body, EM_EMPTYUNDOBUFFER, 0, 0);
        TypeAtEnd(dialog, kCoverBodyEdit, L'y');
        EXPECT_EQ(Text(dialog, kCoverBodyEdit), Lines(15, std::wstring(39, L'x')) + L"\r\n" + std::wstring(39, L'x') + L"y");
        // The edit undoes a run of typing as one: the next keystroke starts a run of its own.
        SendMessageW(body, EM_EMPTYUNDOBUFFER, 0, 0);
        TypeAtEnd(dialog, kCoverBodyEdit, L'z');
        EXPECT_EQ(Text(dialog, kCoverBodyEdit), Lines(15, std::wstring(39, L'x')) + L"\r\n" + std::wstring(39, L'x') + L"y");
        // A keystroke that fits is kept.
        SetDlgItemTextW(dialog, kCoverBodyEdit, L"Dear reader");
        TypeAtEnd(dialog, kCoverBodyEdit, L'!');
        EXPECT_EQ(Text(dialog, kCoverBodyEdit), L"Dear reader!");
        ClickButton(dialog, kFaxOkButton);
    });
    EXPECT_EQ(result, IDOK);
    ASSERT_NE(dialog_->current->fax, nullptr);
    EXPECT_STREQ(dialog_->current->fax->headerText2, L"Dear reader!");
}

// A text with a character outside the permitted ranges is refused on leaving
// the field (message 5006) and the stored text comes back.
TEST_F(CoverSheetDialogs, RefusedLineCharactersPutTheStoredTextBack)
{
    MessageBoxScript boxes({IDOK});
    RunCover([&](HWND dialog) {
        TypeText(dialog, kCoverLineEdit, L"Accepted", kCoverBodyEdit);
        TypeText(dialog, kCoverLineEdit, L"Tab\there", kCoverBodyEdit);
        Pump();
        EXPECT_EQ(Text(dialog, kCoverLineEdit), L"Accepted");
        ClickButton(dialog, kFaxCancelButton);
    });
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_NE(boxes.shown()[0].text.find(L"cannot be sent"), std::wstring::npos);
}

TEST_F(CoverSheetDialogs, ZerosOfTheNumberFieldBecomeOneBlank)
{
    RunCover([&](HWND dialog) {
        TypeText(dialog, kCoverNumberEdit, L"000", kCoverLineEdit);
        EXPECT_EQ(Text(dialog, kCoverNumberEdit), L" ");
        ClickButton(dialog, kFaxOkButton);
    });
    EXPECT_EQ(DialogSetting(1805), L" ");
}

// Choosing a form cover sheet names the chosen form in the dialog.
TEST_F(CoverSheetDialogs, ChoosingAFormCoverSheetShowsTheFormsName)
{
    SetText(kFidCoverFormPath, L"c:\\forms\\COVER.CSF");
    RunCover([&](HWND dialog) {
        EXPECT_EQ(Text(dialog, kCoverFormName), L"");
        HWND list = GetDlgItem(dialog, kCoverChoiceList);
        EXPECT_EQ(SendMessageW(list, CB_GETCOUNT, 0, 0), 3);
        SendMessageW(list, CB_SETCURSEL, 1, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kCoverChoiceList, CBN_SELENDOK), reinterpret_cast<LPARAM>(list));
        Pump();
        EXPECT_EQ(SettingNumberOr(kFidFaxCoverForm, dialog_->current->settings, dialog_->current->printerSettings, 9),
                  1u);
        EXPECT_EQ(Text(dialog, kCoverFormName), L"COVER");
        HWND language = GetDlgItem(dialog, kCoverLanguageList);
        SendMessageW(language, CB_SETCURSEL, 1, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kCoverLanguageList, CBN_SELENDOK), reinterpret_cast<LPARAM>(language));
        Pump();
        EXPECT_EQ(SettingNumberOr(1804, dialog_->current->settings, dialog_->current->printerSettings, 9), 1u);
        // The second language's title once a title is asked for.
        CheckDlgButton(dialog, kCoverOneForAll, BST_CHECKED);
        ClickButton(dialog, kCoverOneForAll);
        EXPECT_EQ(Text(dialog, kCoverTitleEdit), L"FAX MESSAGE");
        ClickButton(dialog, kFaxCancelButton);
    });
}

// With one cover sheet for all destinations the title follows the cover
// sheet's language; without, it is empty.
TEST_F(CoverSheetDialogs, TitleFollowsTheOneForAllChoice)
{
    Set(1804, 0);
    RunCover([&](HWND dialog) {
        EXPECT_EQ(IsDlgButtonChecked(dialog, kCoverOneForAll), BST_UNCHECKED);
        EXPECT_EQ(Text(dialog, kCoverTitleEdit), L"");
        CheckDlgButton(dialog, kCoverOneForAll, BST_CHECKED);
        ClickButton(dialog, kCoverOneForAll);
        Pump();
        EXPECT_EQ(SettingNumberOr(kFidFaxOneHeader, dialog_->current->settings, dialog_->current->printerSettings, 9),
                  1u);
        EXPECT_EQ(Text(dialog, kCoverTitleEdit), L"Facsimile");
        CheckDlgButton(dialog, kCoverOneForAll, BST_UNCHECKED);
        ClickButton(dialog, kCoverOneForAll);
        Pump();
        EXPECT_EQ(Text(dialog, kCoverTitleEdit), L"");
        ClickButton(dialog, kFaxOkButton);
    });
    EXPECT_EQ(Get(kFidFaxOneHeader), 0u);
}

// The dialog and its preview as the user sees them, with a sender chosen and
// texts typed.
TEST_F(CoverSheetDialogs, PicturedWithItsPreview)
{
    SenderEntry sender{};
    std::wcscpy(sender.sender.name, L"Ann Smith");
    std::wcscpy(sender.sender.text2, L"Morva Printing Ltd.");
    std::wcscpy(sender.sender.lines, L"1 Harbour Road\r\nPort Town");
    std::wcscpy(sender.sender.text4, L"+44 20 7946 0000");
    std::wcscpy(sender.sender.text5, L"+44 20 7946 0001");
    std::wcscpy(sender.mail, L"ann@example.com");
    sender.confirmed = 1;
    SenderEntry unconfirmed = sender;
    std::wcscpy(unconfirmed.sender.name, L"Bob Jones");
    unconfirmed.confirmed = 0;
    const SenderEntry entries[] = {sender, unconfirmed};
    ASSERT_EQ(WriteSenderEntries(senderKey_, kSenderPrefix, entries, 2), 1);
    PutSenderSettings(settings_.data(), printer_settings_.data(), &sender);
    RunCover([&](HWND dialog) {
        TypeText(dialog, kCoverLineEdit, L"Quarterly figures", kCoverBodyEdit);
        TypeText(dialog, kCoverBodyEdit, L"Please find the figures attached.\r\nRegards", kCoverLineEdit);
        EXPECT_EQ(SendDlgItemMessageW(dialog, kCoverSenderList, CB_GETCOUNT, 0, 0), 3);
        EXPECT_EQ(SendDlgItemMessageW(dialog, kCoverSenderList, CB_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(IsDlgButtonChecked(dialog, kCoverOneForAll), BST_UNCHECKED);
        UpdateWindow(dialog);
        Pump();
        EXPECT_TRUE(CaptureWindowPng(dialog, "cover_sheet_dialog"));
        EXPECT_TRUE(CaptureWindowPng(GetDlgItem(dialog, kCoverPreview), "cover_sheet_preview"));
        ClickButton(dialog, kFaxOkButton);
    });
    ASSERT_NE(dialog_->current->fax, nullptr);
    EXPECT_STREQ(dialog_->current->fax->headerText1, L"Quarterly figures");
}

// The texts of the preview are the device's layout of the dialog's data.
TEST_F(CoverSheetDialogs, PreviewItemsCarryTheTexts)
{
    SenderEntry sender{};
    std::wcscpy(sender.sender.name, L"Ann");
    std::wcscpy(sender.sender.text2, L"Morva Printing Ltd.");
    PutSenderSettings(settings_.data(), printer_settings_.data(), &sender);
    FaxRecipientRecord recipient{};
    std::wcscpy(recipient.destination, L"0312345678");
    std::wcscpy(recipient.field7, L"Smith");
    uint32_t count = 0;
    GlobalBlockPtr<CoverSheetItem> items(BuildCoverPreviewItems(settings_.data(), printer_settings_.data(), recipient,
                                                                L"Quarterly figures", L"Body", false, &count));
    ASSERT_TRUE(items);
    std::vector<std::wstring> texts;
    for (uint32_t i = 0; i < count; ++i)
        texts.push_back(items.get()[i].text);
    for (const wchar_t* wanted : {L"Smith", L"0312345678", L"Morva Printing Ltd.", L"Quarterly figures", L"Body"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), std::wstring(wanted)), texts.end()) << std::wstring(wanted).size();
}

// A chosen form that is not stored comes first and pushes out the tenth; OK
// stores the list most recent first.
TEST_F(CoverSheetDialogs, EleventhFormDropsTheOldestAndComesFirst)
{
    std::vector<std::wstring> stored;
    for (int i = 1; i <= 10; ++i)
        stored.push_back(L"c:\\forms\\FORM" + std::to_wstring(i) + L".CSF");
    StoreForms(stored);
    const std::wstring chosen = TempFile(L"NEWFORM.CSF");
    SetText(kFidCoverFormPath, chosen.c_str());
    const INT_PTR result = RunForms([&](HWND dialog) {
        EXPECT_EQ(SendDlgItemMessageW(dialog, kCoverFormList, CB_GETCOUNT, 0, 0), 10);
        EXPECT_EQ(SendDlgItemMessageW(dialog, kCoverFormList, CB_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(Text(dialog, kCoverFormList), L"NEWFORM");
        EXPECT_EQ(Text(dialog, kCoverFolderEdit), chosen.substr(0, chosen.rfind(L'\\')));
        EXPECT_TRUE(CaptureWindowPng(dialog, "cover_forms_dialog"));
        ClickButton(dialog, kFaxOkButton);
    });
    EXPECT_EQ(result, IDOK);
    std::vector<std::wstring> expected = {chosen};
    expected.insert(expected.end(), stored.begin(), stored.begin() + 9);
    EXPECT_EQ(StoredForms(), expected);
    DeleteFileW(chosen.c_str());
}

// A form path of two dots or a name of nine characters is refused with 5032
// and the chosen path returns; an accepted one goes to the top.
TEST_F(CoverSheetDialogs, BrowsedFormPathIsChecked)
{
    ScopedImportPatch open("comdlg32.dll", "GetOpenFileNameW", reinterpret_cast<void*>(&ScriptedOpenFile));
    ASSERT_TRUE(open.active());
    StoreForms({L"c:\\forms\\OLD.CSF"});
    SetText(kFidCoverFormPath, L"c:\\forms\\OLD.CSF");
    MessageBoxScript boxes({IDOK, IDOK});
    RunForms([&](HWND dialog) {
        for (const wchar_t* bad : {L"c:\\forms\\a.b.c", L"c:\\forms\\abcdefghi.x"}) {
            chosenPath = bad;
            ClickButton(dialog, kCoverBrowseButton);
            EXPECT_EQ(DialogSetting(kFidCoverFormPath), L"c:\\forms\\OLD.CSF") << bad;
            EXPECT_EQ(SendDlgItemMessageW(dialog, kCoverFormList, CB_GETCOUNT, 0, 0), 1) << bad;
        }
        chosenPath = L"c:\\other\\abcdefgh.x";
        ClickButton(dialog, kCoverBrowseButton);
        EXPECT_EQ(DialogSetting(kFidCoverFormPath), chosenPath);
        EXPECT_EQ(SendDlgItemMessageW(dialog, kCoverFormList, CB_GETCOUNT, 0, 0), 2);
        EXPECT_EQ(Text(dialog, kCoverFormList), L"abcdefgh");
        EXPECT_EQ(Text(dialog, kCoverFolderEdit), L"c:\\other");
        ClickButton(dialog, kFaxCancelButton);
    });
    ASSERT_EQ(boxes.shown().size(), 2u);
    for (const ShownMessageBox& box : boxes.shown())
        EXPECT_NE(box.text.find(L"at most 8 characters"), std::wstring::npos);
    // Cancel leaves the stored list.
    EXPECT_EQ(StoredForms(), std::vector<std::wstring>{L"c:\\forms\\OLD.CSF"});
}

// Cancel on the confirmation prints nothing, and the sample's temporary file
// is gone afterwards; with OK a DC that cannot be made stops the print
// silently, and both temporary files are gone too.
TEST_F(CoverSheetDialogs, SampleConfirmationAndTemporaryFiles)
{
    ScopedImportPatch create("gdi32.dll", "CreateDCW", reinterpret_cast<void*>(&CountedCreateDc));
    ASSERT_TRUE(create.active());
    const int before = CountSampleTempFiles();
    createCalls = 0;
    {
        MessageBoxScript boxes({IDCANCEL});
        RunCover([&](HWND dialog) {
            ClickButton(dialog, kCoverSampleButton);
            ClickButton(dialog, kFaxCancelButton);
        });
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_NE(boxes.shown()[0].text.find(L"sample cover sheet"), std::wstring::npos) << boxes.shown()[0].text;
        EXPECT_EQ(createCalls, 0);
        EXPECT_EQ(CountSampleTempFiles(), before);
    }
    {
        MessageBoxScript boxes({IDOK});
        RunCover([&](HWND dialog) {
            ClickButton(dialog, kCoverSampleButton);
            ClickButton(dialog, kFaxCancelButton);
        });
        EXPECT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(createCalls, 1);
        EXPECT_EQ(CountSampleTempFiles(), before);
    }
}

// A current sender not yet confirmed is asked about first (5218); declined,
// no sample is printed and the sender dialog opens by itself to edit it.
TEST_F(CoverSheetDialogs, DeclinedSenderOpensTheSenderDialogToEdit)
{
    ScopedImportPatch create("gdi32.dll", "CreateDCW", reinterpret_cast<void*>(&CountedCreateDc));
    ASSERT_TRUE(create.active());
    createCalls = 0;
    SenderEntry sender{};
    std::wcscpy(sender.sender.name, L"Carol");
    std::wcscpy(sender.mail, L"carol@example.invalid");
    ASSERT_EQ(WriteSenderEntries(senderKey_, kSenderPrefix, &sender, 1), 1);
    PutSenderSettings(settings_.data(), printer_settings_.data(), &sender);
    MessageBoxScript boxes({IDNO});
    bool senderShown = false;
    RunCover([&](HWND dialog) {
        ClickButton(dialog, kCoverSampleButton);
        ScriptNextModalDialog([] { Pump(); },
                              [&](HWND senderDialog) {
                                  senderShown = true;
                                  Pump();
                                  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(senderDialog, kSenderMailField)));
                                  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(senderDialog, kSenderRegisterButton)));
                                  ClickButton(senderDialog, kFaxCancelButton);
                              });
        ClickButton(dialog, kFaxCancelButton);
    });
    EXPECT_TRUE(senderShown);
    ASSERT_GE(boxes.shown().size(), 1u);
    EXPECT_NE(boxes.shown()[0].text.find(L"Carol"), std::wstring::npos) << boxes.shown()[0].text;
    EXPECT_EQ(createCalls, 0);
    const FaxUiState* state = GetFaxUiState(&ui_);
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->senderDialogRequest, 0u);
}

// The confirmation names the port and the first recipient, its company's
// first line and the rest apart.
TEST(CoverSheetTexts, SampleConfirmationNamesPortAndRecipient)
{
    FaxRecipientRecord recipient{};
    std::wcscpy(recipient.destination, L"0312345678");
    std::wcscpy(recipient.field7, L"Smith");
    std::wcscpy(RecipientCompany(&recipient), L"Morva Ltd.\r\nSales");
    wchar_t text[kSampleConfirmationChars] = {};
    FormatSampleConfirmation(recipient, L"FILE:", text);
    const std::wstring shown = text;
    for (const wchar_t* part : {L"FILE:", L"0312345678", L"Smith", L"Morva Ltd.", L"Sales"})
        EXPECT_NE(shown.find(part), std::wstring::npos) << shown;
    EXPECT_EQ(shown.find(L"Morva Ltd.\r\nSales"), std::wstring::npos) << shown;
}

// The sender lists draw icon 860 before an entry not yet confirmed only.
TEST_F(CoverSheetDialogs, UnconfirmedSenderIsDrawnWithItsIcon)
{
    SenderEntry confirmed{};
    std::wcscpy(confirmed.sender.name, L"Ann");
    confirmed.confirmed = 1;
    SenderEntry unconfirmed{};
    std::wcscpy(unconfirmed.sender.name, L"Bob");
    std::wcscpy(unconfirmed.mail, L"bob@example.invalid");
    const SenderEntry entries[] = {confirmed, unconfirmed};
    ASSERT_EQ(WriteSenderEntries(senderKey_, kSenderPrefix, entries, 2), 1);
    RunModalDialog(GetResourceModule(), kSenderDialogTemplate, SenderInfoDialogProc, Context(), nullptr,
                   [&](HWND dialog) {
                       Pump();
                       HWND list = GetDlgItem(dialog, kSenderList);
                       EXPECT_TRUE(GetWindowLongW(list, GWL_STYLE) & CBS_OWNERDRAWFIXED);
                       auto iconPixels = [&](int index) {
                           HDC screen = GetDC(nullptr);
                           HDC memory = CreateCompatibleDC(screen);
                           HBITMAP bitmap = CreateCompatibleBitmap(screen, 120, 16);
                           HGDIOBJ old = SelectObject(memory, bitmap);
                           DRAWITEMSTRUCT draw{};
                           draw.CtlType = ODT_COMBOBOX;
                           draw.hwndItem = list;
                           draw.itemID = static_cast<UINT>(index);
                           draw.hDC = memory;
                           draw.rcItem = {0, 0, 120, 16};
                           DrawSenderListItem(&draw);
                           const COLORREF background = GetSysColor(COLOR_WINDOW);
                           int marked = 0;
                           for (int y = 0; y < 16; ++y)
                               for (int x = 0; x < 18; ++x)
                                   marked += GetPixel(memory, x, y) != background;
                           SelectObject(memory, old);
                           DeleteObject(bitmap);
                           DeleteDC(memory);
                           ReleaseDC(nullptr, screen);
                           return marked;
                       };
                       const SenderEntry* second = SenderListEntry(list, 1);
                       ASSERT_NE(second, nullptr);
                       EXPECT_EQ(second->confirmed, 0u) << second->sender.name;
                       EXPECT_NE(LoadImageW(GetResourceModule(), MAKEINTRESOURCEW(kIconUnconfirmedSender), IMAGE_ICON,
                                            16, 16, LR_DEFAULTCOLOR),
                                 nullptr);
                       EXPECT_EQ(iconPixels(0), 0);
                       EXPECT_GT(iconPixels(1), 20);
                       SendMessageW(list, CB_SETCURSEL, 1, 0);
                       EXPECT_TRUE(CaptureWindowPng(dialog, "sender_dialog"));
                       ClickButton(dialog, kFaxCancelButton);
                   });
}

}  // namespace
