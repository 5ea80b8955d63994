// The recipient options and small fax dialogs in real windows on the fax
// model: their item tables run by the dialog engine, their checks, and a
// picture of each in build/screens.
#include "ui/fax/fax_dialog_ids.h"
#include "ui/fax/fax_setting_ids.h"
#include "ui/fax/fax_ui_state.h"
#include "ui/fax/phonebook_exchange.h"
#include "ui/fax/recipient_options.h"
#include "ui/fax/small_fax_dialogs.h"

#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "tests/fax/fax_test_records.h"
#include "tests/fax/modal_dialog_script.h"
#include "tests/support/message_box_script.h"
#include "tests/support/dialog_suite_fixture.h"
#include "tests/support/window_capture.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/dialog_tables.h"
#include "ui/engine/ui_context.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <iterator>
#include <string>

namespace {

const PageDescriptor* const kFaxDialogs[] = {&RecipientOptionsDialog, &RecipientOptionsExDialog, &FaxNoticeDialog,
                                             &PhonebookWaitDialog, &DestinationReentryDialog, &OptionDefaultsDialog};

std::wstring StandInPath(const wchar_t* name)
{
    std::wstring path = L"Z:";
    for (const char* c = MORVA_FAX_STANDIN_DIR; *c != 0; ++c)
        path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path + L"\\" + name;
}

std::wstring Text(HWND dialog, int id)
{
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, id, text, 512);
    return text;
}

}  // namespace

class FaxDialogs : public DialogSuiteTest {
protected:
    static void SetUpTestSuite()
    {
        InitControls();
        printer_s = OpenSuitePrinter(L"F1800.DDD", L"Morva Fax Dialogs");
    }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_s); }
    void SetUp() override
    {
        OpenDialogs(printer_s, kFaxDialogs, std::size(kFaxDialogs));
        Set(kFidIpFaxOption, 0);
        Set(kFidFaxCardType, 1);
    }
    void TearDown() override
    {
        ReleaseFaxUiState(&ui_);
        DialogSuiteTest::TearDown();
    }
    // The dialog's context on a copy of the fixture's records.
    LPARAM Context() { return NewDialogContext(); }
    std::wstring CurrentText(uint16_t id)
    {
        const auto* text = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(GetFunctionIdValuePointer(
            dialog_->current->settings, dialog_->current->printerSettings, id, kTypeString)));
        return text ? text : L"<none>";
    }
    uint32_t CurrentNumber(uint16_t id)
    {
        return SettingNumberOr(id, dialog_->current->settings, dialog_->current->printerSettings, 0xFFFF);
    }
    INT_PTR Run(UINT templateId, DLGPROC procedure, const std::function<void(HWND)>& script)
    {
        return RunModalDialog(GetResourceModule(), templateId, procedure, Context(), nullptr, script);
    }

    static ModelPrinter* printer_s;
};
ModelPrinter* FaxDialogs::printer_s = nullptr;

TEST(RecipientOptionChecks, RelayNumberListRules)
{
    const struct {
        const wchar_t* text;
        int expected;
    } cases[] = {
        {L"", 0},      {L"1,2,#3,05,*", 0}, {L"1,", 0},     {L"**", 0},    {L"12,34", 0},
        {L"123", 5012}, {L",1", 5012},       {L"#0", 5012}, {L"0", 5012},  {L"00", 5012},
        {L"1*2", 5012}, {L"1,,2", 5012},     {L"#", 5012},  {L"##", 5012}, {L"1#", 5012},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckRelayNumberList(c.text), c.expected) << c.text;
    std::wstring twenty;
    for (int i = 1; i <= 20; ++i)
        twenty += (i > 1 ? L"," : L"") + std::to_wstring(i % 10 + 1);
    EXPECT_EQ(CheckRelayNumberList(twenty.c_str()), 0);
    EXPECT_EQ(CheckRelayNumberList((twenty + L",1").c_str()), 5013);

    for (const wchar_t* accepted : {L"", L"1234", L"12345678"})
        EXPECT_TRUE(IsMailboxCodeAccepted(accepted)) << accepted;
    for (const wchar_t* refused : {L"1", L"12", L"123"})
        EXPECT_FALSE(IsMailboxCodeAccepted(refused)) << refused;
}

TEST(SmallFaxDialogRules, ReentryLinesAndLimits)
{
    const std::wstring hundred(100, L'7');
    const std::wstring shown = BreakDestinationLines(hundred.c_str());
    EXPECT_EQ(shown, std::wstring(43, L'7') + L"\n" + std::wstring(43, L'7') + L"\n" + std::wstring(14, L'7'));
    EXPECT_EQ(BreakDestinationLines(std::wstring(43, L'1').c_str()), std::wstring(43, L'1') + L"\n");
    const struct {
        uint16_t kind;
        uint16_t lineKind;
        int limit;
    } cases[] = {{0, 0, 128}, {0, 1, 59}, {0, 2, 128}, {1, 0, 3}, {1, 1, 4}, {1, 2, 4}, {2, 1, 128}, {3, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(ReentryEditLimit(c.kind, c.lineKind), c.limit) << c.kind << " " << c.lineKind;
}

TEST_F(FaxDialogs, RecipientOptionsRefuseRelayWithoutNumbers)
{
    Set(kFidRecipientMailboxKind, 2);
    SetText(kFidRecipientRelayNumbers, L"");
    MessageBoxScript boxes({IDOK, IDOK});
    bool stayedOpen = false;
    std::wstring afterKillFocus;
    const INT_PTR result = Run(kRecipientOptionsTemplate, RecipientOptionsDialogProc, [&](HWND dialog) {
        CaptureWindowPng(dialog, "fax_recipient_options");
        ClickButton(dialog, kFaxOkButton);
        stayedOpen = IsWindow(dialog) != FALSE;
        // A bad list typed and left: refused, the field shows the text before the edit.
        TypeText(dialog, kRecipientRelayNumbers, L"1*2", kRecipientFCode);
        afterKillFocus = Text(dialog, kRecipientRelayNumbers);
        TypeText(dialog, kRecipientRelayNumbers, L"1,2,#3,05,*", kRecipientFCode);
        ClickButton(dialog, kFaxOkButton);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(stayedOpen);
    ASSERT_GE(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[0].text, ResourceString(5012));
    EXPECT_EQ(boxes.shown()[1].text, ResourceString(5012));
    EXPECT_EQ(afterKillFocus, L"");
    EXPECT_EQ(CurrentText(kFidRecipientRelayNumbers), L"1,2,#3,05,*");
    EXPECT_EQ(boxes.unscripted(), 0);
}

TEST_F(FaxDialogs, RecipientOptionsMailboxCodeOfTwoCharactersIsRefused)
{
    Set(kFidRecipientMailboxKind, 1);
    SetText(kFidRecipientMailboxCode, L"9999");
    MessageBoxScript boxes({IDOK});
    std::wstring shown;
    const INT_PTR result = Run(kRecipientOptionsTemplate, RecipientOptionsDialogProc, [&](HWND dialog) {
        TypeText(dialog, kRecipientMailboxCode, L"12", kRecipientFCode);
        shown = Text(dialog, kRecipientMailboxCode);
        TypeText(dialog, kRecipientMailboxCode, L"", kRecipientFCode);
        ClickButton(dialog, kFaxOkButton);
    });
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_NE(boxes.shown()[0].text.find(ResourceString(5077)), std::wstring::npos) << boxes.shown()[0].text;
    EXPECT_EQ(shown, L"9999");
    EXPECT_EQ(CurrentText(kFidRecipientMailboxCode), L"");
}

TEST_F(FaxDialogs, DialPrefixChosenFromNoneAsksFirst)
{
    Set(kFidRecipientDialPrefix, 0);
    MessageBoxScript boxes({IDCANCEL, IDOK});
    bool stayedOpen = false;
    uint32_t chosen = 0;
    LRESULT rows = 0;
    const INT_PTR result = Run(kRecipientOptionsExTemplate, RecipientOptionsExDialogProc, [&](HWND dialog) {
        CaptureWindowPng(dialog, "fax_recipient_options_reduced");
        HWND combo = GetDlgItem(dialog, kRecipientDialPrefixList);
        // The dial prefix as the list would set it: the OK check reads the setting.
        void* settings = nullptr;
        void* printerSettings = nullptr;
        GetDialogSettings(dialog, &settings, &printerSettings);
        WriteSettingNumber(kFidRecipientDialPrefix, settings, printerSettings, 2);
        chosen = SettingNumberOr(kFidRecipientDialPrefix, settings, printerSettings, 99);
        rows = SendMessageW(combo, CB_GETCOUNT, 0, 0);
        ClickButton(dialog, kFaxOkButton);
        stayedOpen = IsWindow(dialog) != FALSE;
        ClickButton(dialog, kFaxOkButton);
    });
    EXPECT_EQ(chosen, 2u);
    EXPECT_EQ(rows, 3) << "the model's three dial prefixes";
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[0].text, ResourceString(4651));
    EXPECT_EQ(CurrentNumber(kFidRecipientDialPrefix), 2u);
}

TEST_F(FaxDialogs, NoticeShowsItsTextAndCloses)
{
    std::wstring text;
    const INT_PTR result = Run(kFaxNoticeTemplate, FaxNoticeDialogProc, [&](HWND dialog) {
        text = Text(dialog, kFaxNoticeText);
        CaptureWindowPng(dialog, "fax_notice");
        ClickButton(dialog, kFaxOkButton);
    });
    EXPECT_EQ(result, 11);
    EXPECT_EQ(text, ResourceString(5217));
}

TEST_F(FaxDialogs, DestinationReentryConfirmsOnlyTheSameText)
{
    const std::wstring destination(100, L'5');
    Set(kFidRecipientKind, 0);
    SetText(kFidRecipientAddress, destination.c_str());
    MessageBoxScript boxes({IDOK});
    std::wstring shown;
    LRESULT limit = 0;
    std::wstring afterWrong;
    const INT_PTR result = Run(kDestinationReentryTemplate, FaxTextEntryDialogProc, [&](HWND dialog) {
        shown = Text(dialog, kReentryDestination);
        limit = SendDlgItemMessageW(dialog, kReentryEdit, EM_GETLIMITTEXT, 0, 0);
        CaptureWindowPng(dialog, "fax_destination_reentry");
        TypeText(dialog, kReentryEdit, L"5556");
        ClickButton(dialog, kFaxOkButton);
        afterWrong = Text(dialog, kReentryEdit);
        TypeText(dialog, kReentryEdit, destination.c_str());
        ClickButton(dialog, kFaxOkButton);
    });
    EXPECT_EQ(result, 11);
    EXPECT_EQ(shown, std::wstring(43, L'5') + L"\n" + std::wstring(43, L'5') + L"\n" + std::wstring(14, L'5'));
    EXPECT_EQ(limit, 128) << "a fax number of 128 characters can be typed again";
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, ResourceString(5230));
    EXPECT_EQ(afterWrong, L"");
    EXPECT_EQ(GetFaxUiState(&ui_)->destinationConfirmed, 1u);
}

TEST_F(FaxDialogs, OptionDefaultsSetTheExtensionValueWithOption4111)
{
    Set(kFidFaxInstallable4111, 1);
    Set(kFidExtensionValue, 0);
    MessageBoxScript boxes({IDOK, IDOK, IDOK});
    const INT_PTR result = Run(kOptionDefaultsTemplate, OptionNoticeDialogProc, [&](HWND dialog) {
        CaptureWindowPng(dialog, "fax_option_defaults");
        ClickButton(dialog, kFaxDefaultsButton);
        EndDialog(dialog, 5);
    });
    EXPECT_EQ(result, 5);
    EXPECT_EQ(CurrentNumber(kFidExtensionValue), 1u);
}

namespace {

PROCESS_INFORMATION StartStandIn(bool stall)
{
    SetEnvironmentVariableW(L"MORVA_PHONEBOOK_STALL", stall ? L"1" : nullptr);
    SetEnvironmentVariableW(L"MORVA_PHONEBOOK_LOG", nullptr);
    std::wstring tool = StandInPath(L"fax_phonebook_standin.exe");
    std::wstring line = L"tool -I\"nul\" -O\"nul\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    CreateProcessW(tool.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableW(L"MORVA_PHONEBOOK_STALL", nullptr);
    return process;
}

}  // namespace

TEST_F(FaxDialogs, ToolWaitCancelStopsTheRunningTool)
{
    PhonebookToolRun run{StartStandIn(true), 0};
    ASSERT_NE(run.process.hProcess, nullptr);
    Context();
    std::wstring text;
    RunModalDialog(GetResourceModule(), kPhonebookWaitTemplate, PhonebookWaitDialogProc,
                   reinterpret_cast<LPARAM>(dialog_), nullptr, [&](HWND dialog) {
                       GetFaxUiState(&ui_)->toolRun = &run;
                       text = Text(dialog, kPhonebookWaitText);
                       CaptureWindowPng(dialog, "fax_phonebook_wait");
                       ClickButton(dialog, kFaxOkButton);
                   });
    EXPECT_EQ(text, ResourceString(5225));
    EXPECT_EQ(run.cancelled, 1u);
    EXPECT_EQ(WaitForSingleObject(run.process.hProcess, 5000), WAIT_OBJECT_0) << "the tool was stopped";
    ClosePhonebookToolRun(&run);
}

TEST_F(FaxDialogs, ToolWaitClosesWhenTheToolEnds)
{
    PhonebookToolRun run{StartStandIn(false), 7};
    ASSERT_NE(run.process.hProcess, nullptr);
    Context();
    const DWORD start = GetTickCount();
    WaitInPhonebookDialog(nullptr, &run, dialog_);
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_EQ(run.cancelled, 0u);
    EXPECT_EQ(GetFaxUiState(&ui_)->toolRun, nullptr);
    ClosePhonebookToolRun(&run);
}

// The mailbox kind shows on its own option button: relay broadcast (2) and
// mailbox (1) each check theirs, and only theirs.
TEST_F(FaxDialogs, RecipientOptionsShowTheStoredMailboxKind)
{
    constexpr struct {
        uint32_t kind;
        int checked;
    } kCases[] = {{0, kRecipientNoMailbox}, {1, kRecipientMailbox}, {2, kRecipientRelay}};
    for (const auto& c : kCases) {
        Set(kFidRecipientMailboxKind, c.kind);
        SetText(kFidRecipientRelayNumbers, L"12");
        SetText(kFidRecipientMailboxCode, L"");
        int checked[3] = {};
        const int buttons[3] = {kRecipientNoMailbox, kRecipientMailbox, kRecipientRelay};
        const INT_PTR result = Run(kRecipientOptionsTemplate, RecipientOptionsDialogProc, [&](HWND dialog) {
            for (int i = 0; i < 3; ++i)
                checked[i] = IsDlgButtonChecked(dialog, buttons[i]);
            if (c.kind == 2)
                CaptureWindowPng(dialog, "fax_recipient_options_relay");
            ClickButton(dialog, kFaxCancelButton);
            EndDialog(dialog, IDCANCEL);
        });
        EXPECT_EQ(result, IDCANCEL);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(checked[i], buttons[i] == c.checked ? BST_CHECKED : BST_UNCHECKED)
                << "kind " << c.kind << " button " << buttons[i];
    }
}

// Clicking a mailbox kind's button stores its value.
TEST_F(FaxDialogs, RecipientOptionsStoreTheClickedMailboxKind)
{
    Set(kFidRecipientMailboxKind, 0);
    SetText(kFidRecipientRelayNumbers, L"12");
    const INT_PTR result = Run(kRecipientOptionsTemplate, RecipientOptionsDialogProc, [&](HWND dialog) {
        CheckRadioButton(dialog, kRecipientNoMailbox, kRecipientRelay, kRecipientRelay);
        ClickButton(dialog, kRecipientRelay);
        ClickButton(dialog, kFaxOkButton);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(CurrentNumber(kFidRecipientMailboxKind), 2u);
}

// A dial prefix chosen in the list as a user does (selection, then the
// list's selection-made note) is the setting the OK check reads.
void ChooseRow(HWND dialog, int id, const wchar_t* text)
{
    HWND combo = GetDlgItem(dialog, id);
    const LRESULT row = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    ASSERT_GE(row, 0) << "no row";
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(row), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELENDOK), reinterpret_cast<LPARAM>(combo));
}

TEST_F(FaxDialogs, DialPrefixChosenInTheListIsStored)
{
    Set(kFidRecipientDialPrefix, 0);
    Set(kFidRecipientCommMode, 0);
    MessageBoxScript boxes({IDOK});
    uint32_t chosen = 99;
    const INT_PTR result = Run(kRecipientOptionsTemplate, RecipientOptionsDialogProc, [&](HWND dialog) {
        ChooseRow(dialog, kRecipientDialPrefixList, L"Outside Line");
        ChooseRow(dialog, kRecipientCommModeList, L"Overseas");
        void* settings = nullptr;
        void* printerSettings = nullptr;
        GetDialogSettings(dialog, &settings, &printerSettings);
        chosen = SettingNumberOr(kFidRecipientDialPrefix, settings, printerSettings, 99);
        ClickButton(dialog, kFaxOkButton);
    });
    EXPECT_EQ(chosen, 2u);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(CurrentNumber(kFidRecipientDialPrefix), 2u);
    EXPECT_EQ(CurrentNumber(kFidRecipientCommMode), 1u);
    ASSERT_EQ(boxes.shown().size(), 1u) << "the change from none is asked";
    EXPECT_EQ(boxes.shown()[0].text, ResourceString(4651));
}
