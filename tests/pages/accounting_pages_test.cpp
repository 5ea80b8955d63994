// The accounting page, its details dialog, the font substitution list and the
// custom paper sizes dialog in real windows on the reference colour model: the
// identity fields' bindings by account mode, kind and capabilities, the owner
// name, the user ID that must be cut, the password that is too short, the
// substitution table in printer data and the user sizes as spooler forms and
// settings. A picture of each page and dialog goes to build/screens.
#include "ui/pages/accounting_page.h"

#include "common/context/value_by_type.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/store/pair_list.h"
#include "common/store/printer_data.h"
#include "common/system/module_files.h"
#include "common/system/scrambled_strings.h"
#include "common/system/user_and_process.h"
#include "tests/fax/modal_dialog_script.h"
#include "tests/support/dialog_suite_fixture.h"
#include "tests/support/import_patch.h"
#include "tests/support/message_box_script.h"
#include "tests/support/window_capture.h"
#include "ui/controls/item_callbacks.h"
#include "ui/engine/dialog_context.h"
#include "ui/pages/accounting_ids.h"
#include "ui/pages/custom_paper_sizes.h"
#include "ui/pages/font_list_dialog.h"
#include "ui/sheets/sheet_instance.h"
#include "ui/sheets/sheet_pages.h"
#include "ui/support/font_faces.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <prsht.h>
#include <winspool.h>

#include <cstring>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr AccountingCaps kNoCaps = {false, false, false};
constexpr AccountingCaps kOwner = {true, false, false};
constexpr AccountingCaps kDigits = {false, false, true};
constexpr AccountingCaps kOwnerDigits = {true, false, true};

TEST(AccountingBindings, UserIdAndPasswordFollowModeKindAndCapabilities)
{
    const struct {
        uint32_t mode, kind;
        AccountingCaps caps;
        uint16_t userId, password;
    } cases[] = {
        // The administrator's set in mode 0, the user's in mode 1.
        {0, 7, kNoCaps, kFidAdminUserId, kFidAdminPassword},
        {1, 7, kNoCaps, kFidUserUserId, kFidUserPassword},
        // Kind 0: the owner name, only with capability 0x1000000.
        {0, 0, kOwner, kFidOwnerName, kFidAdminPassword},
        {1, 0, kOwner, kFidOwnerName, kFidUserPassword},
        {0, 0, kNoCaps, kFidNoSetting, kFidNoSetting},
        {1, 0, kNoCaps, kFidNoSetting, kFidNoSetting},
        // Digits-only passwords have settings of their own.
        {0, 7, kDigits, kFidAdminUserId, kFidAdminPin},
        {1, 7, kDigits, kFidUserUserId, kFidUserPin},
        {1, 0, kOwnerDigits, kFidOwnerName, kFidUserPin},
        // Any other kind edits nothing here.
        {0, 1, kOwner, kFidNoSetting, kFidNoSetting},
        {1, 4, kOwnerDigits, kFidNoSetting, kFidNoSetting},
        {0, 6, kNoCaps, kFidNoSetting, kFidNoSetting},
        {1, 8, kOwner, kFidNoSetting, kFidNoSetting},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UserIdSetting(c.mode, c.kind, c.caps), c.userId) << c.mode << "/" << c.kind;
        EXPECT_EQ(PasswordSetting(c.mode, c.kind, c.caps), c.password) << c.mode << "/" << c.kind;
    }
}

TEST(AccountingPromptStates, ByPromptIdentificationAndOption)
{
    using Rows = std::vector<std::pair<int32_t, uint16_t>>;
    const auto states = [](uint32_t popup, uint32_t identification, uint32_t option) {
        PromptStateRow rows[kPromptStateRows] = {};
        const int n = PromptControlStates(popup, identification, option, rows);
        Rows out;
        for (int i = 0; i < n; ++i)
            out.emplace_back(rows[i].control, rows[i].state);
        return out;
    };
    const Rows asked = {{1061, 1}, {1343, 1}, {1347, 1}, {3523, 1}, {3537, 1}, {3531, 1}, {3532, 1},
                        {3525, 0}, {3526, 0}, {3527, 0}};
    EXPECT_EQ(states(1, 0, 0), asked);
    EXPECT_EQ(states(1, 1, 3), asked);
    const struct {
        uint32_t identification, option;
        uint16_t identity, code;
    } cases[] = {{1, 0, 1, 1}, {0, 3, 1, 1}, {0, 1, 0, 1}, {0, 2, 1, 0}, {0, 0, 0, 0}, {2, 0, 0, 0}};
    for (const auto& c : cases) {
        Rows expected = {{1061, c.identity}, {1343, c.identity}, {1347, c.identity}, {3523, c.code}, {3537, c.code}};
        if (c.identification != 0)
            expected.insert(expected.end(), {{3531, 0}});
        else
            expected.insert(expected.end(), {{3531, 1}, {3532, 1}});
        expected.insert(expected.end(), {{3525, 1}, {3526, 1}, {3527, 1}});
        EXPECT_EQ(states(0, c.identification, c.option), expected) << c.identification << "/" << c.option;
    }
}

bool RefuseBackslashOnly(const wchar_t* text) { return std::wcscmp(text, L"bad") != 0; }

TEST(AccountingOwnerName, UserAndComputerWithTheirFallbacks)
{
    const struct {
        const wchar_t* user;
        const wchar_t* computer;
        bool alone;
        const wchar_t* expected;
    } cases[] = {
        {L"alice", L"desk1", false, L"alice\\desk1"},
        {L"alice", L"desk1", true, L"alice"},
        {L"", L"desk1", false, L"UnknownUser\\desk1"},
        {L"bad", L"desk1", false, L"UnknownUser\\desk1"},
        {L"alice", L"", false, L"alice\\UnknownHost"},
        {L"alice", nullptr, false, L"alice\\UnknownHost"},
        {L"alice", L"bad", false, L"alice\\UnknownHost"},
        {nullptr, nullptr, true, L"UnknownUser"},
    };
    for (const auto& c : cases) {
        wchar_t out[64] = L"unchanged";
        ASSERT_EQ(ComposeOwnerName(c.user, c.computer, c.alone, RefuseBackslashOnly, out, std::size(out)), 1);
        EXPECT_STREQ(out, c.expected);
    }
    // A name that does not fit leaves the output alone.
    wchar_t small[6] = L"keep";
    EXPECT_EQ(ComposeOwnerName(L"alice", L"desk1", false, RefuseBackslashOnly, small, std::size(small)), 0);
    EXPECT_STREQ(small, L"keep");
}

TEST(AccountingOwnerName, ThisMachinesOwnerIsUserBackslashComputer)
{
    wchar_t user[261] = {};
    ASSERT_TRUE(GetCurrentUserName(user, 261));
    wchar_t computer[261] = {};
    DWORD size = 261;
    ASSERT_TRUE(GetComputerNameW(computer, &size));
    wchar_t name[600] = {};
    ASSERT_EQ(BuildDefaultOwnerName(false, name, std::size(name)), 1);
    EXPECT_EQ(std::wstring(name), std::wstring(user) + L"\\" + computer);
    ASSERT_EQ(BuildDefaultOwnerName(true, name, std::size(name)), 1);
    EXPECT_EQ(std::wstring(name), std::wstring(user));
}

// --- Spooler forms -----------------------------------------------------------------------

// Wine's spooler keeps no added forms: a store stands in for it.
std::map<std::wstring, SIZEL> g_forms;
int g_setFormCalls = 0;

BOOL WINAPI StoreGetForm(HANDLE, LPWSTR name, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed)
{
    const auto found = name ? g_forms.find(name) : g_forms.end();
    if (level != 1 || found == g_forms.end()) {
        SetLastError(ERROR_INVALID_FORM_NAME);
        return FALSE;
    }
    const DWORD bytes = static_cast<DWORD>(sizeof(FORM_INFO_1W) + (found->first.size() + 1) * sizeof(wchar_t));
    *needed = bytes;
    if (!buffer || size < bytes) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    auto* form = reinterpret_cast<FORM_INFO_1W*>(buffer);
    auto* text = reinterpret_cast<wchar_t*>(form + 1);
    std::memcpy(text, found->first.c_str(), (found->first.size() + 1) * sizeof(wchar_t));
    form->Flags = FORM_PRINTER;
    form->pName = text;
    form->Size = found->second;
    form->ImageableArea = {0, 0, found->second.cx, found->second.cy};
    return TRUE;
}

BOOL WINAPI StoreSetForm(HANDLE, LPWSTR name, DWORD level, LPBYTE data)
{
    ++g_setFormCalls;
    if (level != 1 || !name || !data || std::wcslen(name) > static_cast<size_t>(kFormNameChars))
        return FALSE;
    g_forms[name] = reinterpret_cast<const FORM_INFO_1W*>(data)->Size;
    return TRUE;
}

// Machine-wide settings that cannot be written.
LSTATUS WINAPI RefusedRegistryOpen(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY) { return ERROR_ACCESS_DENIED; }

const PageDescriptor* const kDialogs[] = {&AccountingPage, &AccountingAlonePage, &AccountingDetailsDialog,
                                          &FontListDialog, &CustomPaperDialog};

std::wstring DlgText(HWND dialog, int id)
{
    wchar_t text[256] = {};
    GetDlgItemTextW(dialog, id, text, static_cast<int>(std::size(text)));
    return text;
}

std::wstring ListRow(HWND dialog, int id, int row)
{
    wchar_t text[256] = {};
    SendDlgItemMessageW(dialog, id, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text));
    return text;
}

}  // namespace

class AccountingPages : public DialogSuiteTest {
protected:
    static void SetUpTestSuite()
    {
        InitControls();
        printer_s = OpenSuitePrinter(L"C4530.DDD", L"Morva Accounting Pages");
    }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_s); }
    void SetUp() override
    {
        OpenDialogs(printer_s, kDialogs, std::size(kDialogs));
        name_ = printer_s->name();
        ui_.printerName = name_.data();
        g_forms.clear();
        g_setFormCalls = 0;
    }
    void TearDown() override
    {
        ClosePage();
        DeletePrinterDataTable(Printer(), kFontSubstitutionTable);
        DialogSuiteTest::TearDown();
    }
    // The page in a host window, made active as the sheet would.
    void OpenPage(UINT templateId, DLGPROC procedure)
    {
        host_ = CreateWindowExW(0, L"#32770", L"Printer", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 20, 20, 520, 520,
                                nullptr, nullptr, nullptr, nullptr);
        SetPropW(host_, L"MorvaScripted", reinterpret_cast<HANDLE>(1));
        pageInfo_.dwSize = sizeof pageInfo_;
        pageInfo_.lParam = NewDialogContext();
        page_ = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(templateId), host_, procedure,
                                   reinterpret_cast<LPARAM>(&pageInfo_));
        ASSERT_NE(page_, nullptr);
        ShowWindow(page_, SW_SHOW);
        Notify(PSN_SETACTIVE);
        Pump();
    }
    void ClosePage()
    {
        if (page_)
            DestroyWindow(page_);
        if (host_)
            DestroyWindow(host_);
        page_ = host_ = nullptr;
    }
    LRESULT Notify(UINT code)
    {
        PSHNOTIFY notify{};
        notify.hdr.hwndFrom = host_;
        notify.hdr.code = code;
        SendMessageW(page_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
        return GetWindowLongPtrW(page_, DWLP_MSGRESULT);
    }
    static void Pump()
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    std::wstring Current(uint16_t id)
    {
        const uint64_t word = GetFunctionIdValuePointer(dialog_->current->settings, dialog_->current->printerSettings,
                                                        id, kTypeString);
        return word ? reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(word)) : L"";
    }
    INT_PTR Run(UINT templateId, DLGPROC procedure, const std::function<void(HWND)>& script)
    {
        return RunModalDialog(GetResourceModule(), templateId, procedure, NewDialogContext(), nullptr, script);
    }
    void SetProtected(uint16_t id, const wchar_t* plain)
    {
        wchar_t* stored = nullptr;
        ASSERT_TRUE(EncodeOrDecodeProtectedString(kProtectStringEncode, plain, &stored));
        SetText(id, stored);
        GlobalFree(stored);
    }

    static ModelPrinter* printer_s;
    std::wstring name_;
    PROPSHEETPAGEW pageInfo_{};
    HWND host_ = nullptr;
    HWND page_ = nullptr;
};
ModelPrinter* AccountingPages::printer_s = nullptr;

TEST_F(AccountingPages, TheIdentityFieldsShowTheSetOfTheMode)
{
    SetText(kFidAdminUserId, L"admin-id");
    SetText(kFidUserUserId, L"user-id");
    const struct {
        uint32_t mode;
        const wchar_t* shown;
    } cases[] = {{0, L"admin-id"}, {1, L"user-id"}};
    for (const auto& c : cases) {
        Set(kFidAccountMode, c.mode);
        Set(kFidAdminIdKind, 7);
        Set(kFidUserIdKind, 7);
        OpenPage(kTemplateAccounting, AccountingPageProc);
        EXPECT_EQ(DlgText(page_, kUserIdEdit), c.shown) << c.mode;
        EXPECT_FALSE(GetWindowLongPtrW(GetDlgItem(page_, kUserIdEdit), GWL_STYLE) & ES_READONLY);
        if (c.mode == 0)
            CaptureWindowPng(page_, "accounting_page");
        ClosePage();
    }
}

// The sheet's OK and Apply leave the page first: with its empty fields the
// page must let them go.
TEST_F(AccountingPages, ThePageAtItsDefaultsCanBeLeft)
{
    for (UINT templateId : {kTemplateAccounting, kTemplateAccountingAlone}) {
        MessageBoxScript boxes({});
        OpenPage(templateId, templateId == kTemplateAccounting ? AccountingPageProc : AccountingAltPageProc);
        EXPECT_EQ(Notify(PSN_KILLACTIVE), 0) << templateId;
        EXPECT_TRUE(boxes.shown().empty()) << templateId;
        ClosePage();
    }
}

TEST_F(AccountingPages, KindZeroShowsTheOwnerNameReadOnly)
{
    ui_.capabilities.words[0] |= kCapOwnerNameKind;
    Set(kFidAccountMode, 0);
    Set(kFidAdminIdKind, 0);
    OpenPage(kTemplateAccounting, AccountingPageProc);
    wchar_t owner[600] = {};
    ASSERT_EQ(BuildDefaultOwnerName(false, owner, std::size(owner)), 1);
    EXPECT_EQ(DlgText(page_, kUserIdEdit), owner);
    EXPECT_TRUE(GetWindowLongPtrW(GetDlgItem(page_, kUserIdEdit), GWL_STYLE) & ES_READONLY);
    CaptureWindowPng(page_, "accounting_page_owner");
}

// A kind whose identity the page does not edit disables the fields; their
// labels keep their texts, and come back enabled with a kind that is edited.
TEST_F(AccountingPages, FieldsThatEditNothingAreDisabledWithTheirLabelsKept)
{
    Set(kFidAccountMode, 0);
    Set(kFidAdminIdKind, 1);
    OpenPage(kTemplateAccounting, AccountingPageProc);
    for (int id : {kUserIdEdit, kUserIdLabel, kPasswordEdit, kPasswordLabel})
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page_, id))) << id;
    EXPECT_EQ(DlgText(page_, kUserIdLabel), L"&User ID:");
    EXPECT_EQ(DlgText(page_, kPasswordLabel), L"&Password:");
    ASSERT_TRUE(WriteSettingNumber(kFidAdminIdKind, dialog_->current->settings, dialog_->current->printerSettings, 7));
    Notify(PSN_SETACTIVE);
    for (int id : {kUserIdEdit, kUserIdLabel, kPasswordEdit, kPasswordLabel})
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page_, id))) << id;
    EXPECT_EQ(DlgText(page_, kUserIdLabel), L"&User ID:");
}

// Without the right to change the printer the administrator's set cannot be
// edited. (The reference model has no user set of identification kinds, so
// the user's set is not shown here.)
TEST_F(AccountingPages, WithoutPermissionTheAdministratorsSetIsLocked)
{
    ui_.permission = 0;
    Set(kFidAccountMode, 0);
    Set(kFidUserNameAllowed, 1);
    Set(kFidAdminIdKind, 7);
    OpenPage(kTemplateAccounting, AccountingPageProc);
    for (int id : {kIdKindBox, kIdKindLabel, kUserIdEdit, kUserIdLabel, kPasswordEdit, kPasswordLabel,
                   kResetOwnButton})
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page_, id))) << id;
    CaptureWindowPng(page_, "accounting_page_read_only");
}

TEST_F(AccountingPages, DigitPasswordsTakeDigitsOnly)
{
    ui_.capabilities.words[0] |= kCapDigitPassword;
    Set(kFidAccountMode, 1);
    Set(kFidUserIdKind, 7);
    OpenPage(kTemplateAccounting, AccountingPageProc);
    EXPECT_TRUE(GetWindowLongPtrW(GetDlgItem(page_, kPasswordEdit), GWL_STYLE) & ES_NUMBER);
}

TEST_F(AccountingPages, AnOverlongUserIdIsCutWholeWhenTheUserAgrees)
{
    const std::wstring longId = L"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";  // 30 characters, 23 kept
    SetText(kFidAdminUserId, longId.c_str());
    Set(kFidAccountMode, 0);
    Set(kFidAdminIdKind, 4);
    MessageBoxScript boxes({IDOK});
    OpenPage(kTemplateAccounting, AccountingPageProc);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].caption, ResourceString(265));
    EXPECT_EQ(boxes.shown()[0].text.rfind(L"The user ID is too long for ", 0), 0u) << boxes.shown()[0].text;
    EXPECT_EQ(Current(kFidAdminUserId), longId.substr(0, kShortUserIdChars));
    EXPECT_EQ(SendDlgItemMessageW(page_, kUserIdEdit, EM_GETLIMITTEXT, 0, 0),
              static_cast<LRESULT>(kShortUserIdChars));
}

TEST_F(AccountingPages, AnOverlongUserIdStaysWhenTheUserCancels)
{
    const std::wstring longId = L"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";
    SetText(kFidAdminUserId, longId.c_str());
    Set(kFidAccountMode, 0);
    Set(kFidAdminIdKind, 6);
    MessageBoxScript boxes({IDCANCEL});
    OpenPage(kTemplateAccounting, AccountingPageProc);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(Current(kFidAdminUserId), longId);
    EXPECT_EQ(Get(kFidAdminIdKind), 6u);
}

TEST_F(AccountingPages, AnIdThatFitsAsksNothing)
{
    SetText(kFidAdminUserId, std::wstring(kShortUserIdChars, L'x').c_str());
    Set(kFidAccountMode, 0);
    Set(kFidAdminIdKind, 4);
    MessageBoxScript boxes({});
    OpenPage(kTemplateAccounting, AccountingPageProc);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(AccountingPages, TheAlternativePageShows)
{
    OpenPage(kTemplateAccountingAlone, AccountingAltPageProc);
    CaptureWindowPng(page_, "accounting_alone_page");
    EXPECT_TRUE(IsWindow(GetDlgItem(page_, kDetailsButton)));
}

TEST_F(AccountingPages, APasswordOneCharacterShortIsRefused)
{
    const uint32_t minimum = Get(kFidUserCodeMinimum);
    ASSERT_GE(minimum, 2u);
    Set(kFidAccountMode, 0);
    Set(kFidPromptAdministrator, 0);
    Set(kFidIdentificationEnabled, 1);
    SetText(kFidDetailsUserAdmin, L"alice");
    const struct {
        size_t length;
        bool refused;
    } cases[] = {{minimum - 1, true}, {minimum, false}};
    for (const auto& c : cases) {
        SetProtected(kFidDetailsPasswordAdmin, std::wstring(c.length, L'7').c_str());
        MessageBoxScript boxes({IDOK});
        bool stayed = false;
        const INT_PTR result = Run(kAccountingDetailsTemplate, AccountingSubDialogProc, [&](HWND dialog) {
            if (!c.refused)
                CaptureWindowPng(dialog, "accounting_details_dialog");
            ClickButton(dialog, kDetailsCloseButton);
            stayed = IsWindow(dialog) && IsWindowVisible(dialog);
            if (stayed)
                ClickButton(dialog, IDCANCEL);
        });
        EXPECT_EQ(stayed, c.refused) << c.length;
        if (c.refused) {
            ASSERT_EQ(boxes.shown().size(), 1u);
            EXPECT_EQ(boxes.shown()[0].caption, ResourceString(265));
            EXPECT_NE(boxes.shown()[0].text.find(std::to_wstring(minimum)), std::wstring::npos)
                << boxes.shown()[0].text;
            EXPECT_EQ(result, IDCANCEL);
        } else {
            EXPECT_TRUE(boxes.shown().empty());
            EXPECT_EQ(result, IDOK);
        }
    }
}

TEST_F(AccountingPages, NoPasswordRuleWithoutAUserName)
{
    Set(kFidAccountMode, 0);
    Set(kFidPromptAdministrator, 0);
    Set(kFidIdentificationEnabled, 1);
    SetText(kFidDetailsUserAdmin, L"");
    SetProtected(kFidDetailsPasswordAdmin, L"1");
    MessageBoxScript boxes({});
    const INT_PTR result =
        Run(kAccountingDetailsTemplate, AccountingSubDialogProc, [&](HWND dialog) { ClickButton(dialog, kDetailsCloseButton); });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(AccountingPages, TheLogInPasswordWaitsForAUserName)
{
    Set(kFidAccountMode, 0);
    SetText(kFidDetailsUserAdmin, L"");
    bool before = true, after = false;
    Run(kAccountingDetailsTemplate, AccountingSubDialogProc, [&](HWND dialog) {
        before = IsWindowEnabled(GetDlgItem(dialog, kDetailsPasswordEdit));
        TypeText(dialog, kDetailsUserEdit, L"alice");
        after = IsWindowEnabled(GetDlgItem(dialog, kDetailsPasswordEdit));
        ClickButton(dialog, IDCANCEL);
    });
    EXPECT_FALSE(before);
    EXPECT_TRUE(after);
}

TEST_F(AccountingPages, AnEmptyUserIdIsToldWhenThePrinterDoesNotAsk)
{
    ui_.capabilities.words[0] |= kCapAccountingAlone;
    Set(kFidAccountMode, 0);
    SetText(kFidAdminUserId, L"");
    const struct {
        uint32_t prompt;
        bool told;
    } cases[] = {{0, true}, {1, false}};
    for (const auto& c : cases) {
        Set(kFidPromptAdministrator, c.prompt);
        MessageBoxScript boxes({IDOK});
        const INT_PTR result = Run(kAccountingDetailsTemplate, AccountingSubDialogProc, [&](HWND dialog) {
            ClickButton(dialog, kDetailsCloseButton);
            if (IsWindow(dialog) && IsWindowVisible(dialog))
                ClickButton(dialog, IDCANCEL);
        });
        ASSERT_EQ(boxes.shown().size(), c.told ? 1u : 0u) << c.prompt;
        if (c.told) {
            EXPECT_EQ(boxes.shown()[0].text, ResourceString(kMessageUserIdMissing));
            EXPECT_EQ(result, IDCANCEL);
        } else {
            EXPECT_EQ(result, IDOK);
        }
    }
}

// --- Font substitution list ------------------------------------------------------------------

class FontList : public AccountingPages {
protected:
    void SetUp() override
    {
        AccountingPages::SetUp();
        FontFamilyList* families = EnumerateFontFamilyList(context_);
        ASSERT_NE(families, nullptr);
        for (const FontFamilyNode* node = families->first; node; node = node->next)
            faces_.insert(faces_.begin(), node->face);
        for (uint32_t i = 0; i < families->modelCount; ++i)
            devices_.push_back(families->modelNames[i]);
        FreeFontFamilyList(families);
        ASSERT_FALSE(faces_.empty());
        ASSERT_FALSE(devices_.empty());
    }
    void StoreTable(const std::vector<std::pair<std::wstring, std::wstring>>& pairs)
    {
        std::vector<wchar_t> list;
        for (const auto& [key, value] : pairs) {
            list.insert(list.end(), key.begin(), key.end());
            list.push_back(0);
            list.insert(list.end(), value.begin(), value.end());
            list.push_back(0);
        }
        list.push_back(0);
        ASSERT_EQ(StoreFontSubstitutionTable(Printer(), list.data(), static_cast<uint32_t>(list.size() * 2)), 1);
    }
    std::wstring Stored(const std::wstring& face)
    {
        uint32_t bytes = 0;
        wchar_t* table = ReadFontSubstitutionTable(Printer(), &bytes);
        if (!table)
            return L"<no table>";
        const wchar_t* value = FindPairListValue(table, bytes, face.c_str());
        std::wstring result = value ? value : L"<none>";
        GlobalFree(table);
        return result;
    }
    std::vector<std::wstring> faces_;
    std::vector<std::wstring> devices_;
};

TEST_F(FontList, ASubstituteThatIsNoDeviceFontShowsNone)
{
    StoreTable({{faces_[0], L"No Such Printer Font"}});
    std::wstring row, choice;
    Run(kFontListTemplate, FontListDialogProc, [&](HWND dialog) {
        CaptureWindowPng(dialog, "font_substitution_dialog");
        row = ListRow(dialog, kFontListBox, 0);
        choice = DlgText(dialog, kFontChoiceBox);
        ClickButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(row, faces_[0] + L"\t" + ResourceString(kStringNoSubstitute));
    EXPECT_EQ(choice, ResourceString(kStringNoSubstitute));
}

TEST_F(FontList, DoubleClickOnTheLastDeviceFontGoesBackToNone)
{
    StoreTable({{faces_[0], devices_.back()}});
    std::wstring before, after;
    Run(kFontListTemplate, FontListDialogProc, [&](HWND dialog) {
        before = ListRow(dialog, kFontListBox, 0);
        SendDlgItemMessageW(dialog, kFontListBox, LB_SETCURSEL, 0, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kFontListBox, LBN_DBLCLK),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, kFontListBox)));
        after = ListRow(dialog, kFontListBox, 0);
        ClickButton(dialog, IDOK);
    });
    EXPECT_EQ(before, faces_[0] + L"\t" + devices_.back());
    EXPECT_EQ(after, faces_[0] + L"\t" + ResourceString(kStringNoSubstitute));
    EXPECT_EQ(Stored(faces_[0]), L"<none>");
}

TEST_F(FontList, OkWritesTheChosenTableToPrinterData)
{
    StoreTable({});
    Run(kFontListTemplate, FontListDialogProc, [&](HWND dialog) {
        SendDlgItemMessageW(dialog, kFontListBox, LB_SETCURSEL, 0, 0);
        SendDlgItemMessageW(dialog, kFontChoiceBox, CB_SETCURSEL, 1, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kFontChoiceBox, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, kFontChoiceBox)));
        ClickButton(dialog, IDOK);
    });
    EXPECT_EQ(Stored(faces_[0]), devices_[0]);
    uint32_t size = 0;
    EXPECT_EQ(ReadChunkedPrinterDataSize(Printer(), L"FontSubTableSize", &size), 1);
    EXPECT_GT(size, 0u);
}

TEST_F(FontList, CancelKeepsTheStoredTable)
{
    StoreTable({{faces_[0], devices_[0]}});
    Run(kFontListTemplate, FontListDialogProc, [&](HWND dialog) {
        SendDlgItemMessageW(dialog, kFontListBox, LB_SETCURSEL, 0, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kFontListBox, LBN_DBLCLK),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, kFontListBox)));
        ClickButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(Stored(faces_[0]), devices_[0]);
}

TEST_F(FontList, DefaultsPutTheModelsTableInPlace)
{
    StoreTable({{faces_[0], devices_.back()}});
    Run(kFontListTemplate, FontListDialogProc, [&](HWND dialog) {
        ClickButton(dialog, kFontDefaultButton);
        ClickButton(dialog, IDOK);
    });
    uint32_t modelBytes = 0;
    wchar_t* model = BuildFontSubstitutionList(context_->main, context_->linked, &modelBytes);
    ASSERT_NE(model, nullptr);
    uint32_t storedBytes = 0;
    wchar_t* stored = ReadFontSubstitutionTable(Printer(), &storedBytes);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(storedBytes, modelBytes);
    EXPECT_EQ(std::memcmp(stored, model, modelBytes < storedBytes ? modelBytes : storedBytes), 0);
    GlobalFree(model);
    GlobalFree(stored);
}

// --- Custom paper sizes ----------------------------------------------------------------------

class CustomSizes : public AccountingPages {
protected:
    void SetUp() override
    {
        AccountingPages::SetUp();
        ASSERT_TRUE(get_.active());
        ASSERT_TRUE(set_.active());
        // The printer's stored record, which OK brings up to date.
        ASSERT_TRUE(WritePrinterDataTable(Printer(), printer_settings_.data(),
                                          static_cast<uint32_t>(printer_settings_.size()), kPrinterSettingsTable));
    }
    uint32_t StoredNumber(uint16_t id)
    {
        std::vector<uint8_t> record(printer_settings_.size());
        uint32_t size = static_cast<uint32_t>(record.size());
        if (!ReadPrinterDataTable(Printer(), kPrinterSettingsTable, record.data(), &size))
            return 0xFFFFFFFF;
        return SettingNumberOr(id, settings_.data(), record.data(), 0xFFFFFFFF);
    }
    ScopedImportPatch get_{"winspool.drv", "GetFormW", reinterpret_cast<void*>(&StoreGetForm)};
    ScopedImportPatch set_{"winspool.drv", "SetFormW", reinterpret_cast<void*>(&StoreSetForm)};
};

TEST_F(CustomSizes, OkWritesTwentyFormsAndTheSettingsAndTheNextSheetShowsThem)
{
    wchar_t third[64] = {};
    ASSERT_TRUE(FormatUserDefinedName(2, third, 64));
    g_forms[third] = {150000, 250000};
    std::wstring row;
    const INT_PTR result = Run(kCustomPaperTemplate, CustomPaperDialogProc, [&](HWND dialog) {
        CaptureWindowPng(dialog, "custom_paper_sizes_dialog");
        row = ListRow(dialog, kCustomPaperList, 2);
        SendDlgItemMessageW(dialog, kCustomPaperList, LB_SETCURSEL, 0, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kCustomPaperList, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, kCustomPaperList)));
        SetFocus(GetDlgItem(dialog, kCustomWidthEdit));
        SetDlgItemTextW(dialog, kCustomWidthEdit, L"200.5");
        ClickButton(dialog, kCustomOkButton);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(row.rfind(std::wstring(third) + L"\t", 0), 0u) << row;
    EXPECT_EQ(g_setFormCalls, kCustomPaperCount);
    wchar_t first[64] = {};
    ASSERT_TRUE(FormatUserDefinedName(0, first, 64));
    ASSERT_EQ(g_forms.count(first), 1u);
    EXPECT_EQ(g_forms[first].cx, 200500);
    EXPECT_EQ(g_forms[first].cy, 297000);
    EXPECT_EQ(g_forms[third].cx, 150000);
    // The dialog's record and the printer's stored one.
    EXPECT_EQ(SettingNumberOr(kFidUserPaperWidthFirst, dialog_->current->settings, dialog_->current->printerSettings,
                              0),
              2005u);
    EXPECT_EQ(StoredNumber(kFidUserPaperWidthFirst), 2005u);
    EXPECT_EQ(StoredNumber(kFidUserPaperWidthFirst + 2), 1500u);
    EXPECT_EQ(StoredNumber(kFidUserPaperLengthFirst + 2), 2500u);
    // A form that cannot be read is taken as A4.
    EXPECT_EQ(StoredNumber(kFidUserPaperWidthFirst + 1), 2100u);
    EXPECT_EQ(StoredNumber(kFidUserPaperLengthFirst + 1), 2970u);
    // The next sheet reads the same sizes from the forms.
    DialogContext* sheet = CreateUiSheet(Printer(), nullptr, 0);
    ASSERT_NE(sheet, nullptr);
    for (int n = 0; n < kCustomPaperCount; ++n) {
        const uint16_t width = static_cast<uint16_t>(kFidUserPaperWidthFirst + n);
        const uint16_t length = static_cast<uint16_t>(kFidUserPaperLengthFirst + n);
        EXPECT_EQ(SettingNumberOr(width, SheetSettings(sheet), SheetPrinterSettings(sheet), 0), StoredNumber(width))
            << n;
        EXPECT_EQ(SettingNumberOr(length, SheetSettings(sheet), SheetPrinterSettings(sheet), 0),
                  StoredNumber(length))
            << n;
    }
    FreeUiSheet(sheet);
}

TEST_F(CustomSizes, InchesAreShownAndTypedInHundredths)
{
    std::wstring shown;
    bool inchChecked = false;
    Run(kCustomPaperTemplate, CustomPaperDialogProc, [&](HWND dialog) {
        ClickButton(dialog, kCustomInchButton);
        shown = DlgText(dialog, kCustomWidthEdit);
        inchChecked = IsDlgButtonChecked(dialog, kCustomInchButton) == BST_CHECKED;
        CaptureWindowPng(dialog, "custom_paper_sizes_inches");
        SetFocus(GetDlgItem(dialog, kCustomWidthEdit));
        SetDlgItemTextW(dialog, kCustomWidthEdit, L"8.5");
        ClickButton(dialog, kCustomOkButton);
    });
    EXPECT_EQ(shown, L"8.27");  // 210.0 mm
    EXPECT_TRUE(inchChecked);
    wchar_t first[64] = {};
    ASSERT_TRUE(FormatUserDefinedName(0, first, 64));
    EXPECT_EQ(g_forms[first].cx, 215900);
    EXPECT_EQ(StoredNumber(kFidUserPaperWidthFirst), 2159u);
}

TEST_F(CustomSizes, AWidthGreaterThanTheLengthIsTurnedWhenLeavingTheRow)
{
    wchar_t first[64] = {};
    ASSERT_TRUE(FormatUserDefinedName(0, first, 64));
    g_forms[first] = {297000, 210000};
    MessageBoxScript boxes({IDOK});
    int selected = -1;
    std::wstring width, length;
    Run(kCustomPaperTemplate, CustomPaperDialogProc, [&](HWND dialog) {
        SendDlgItemMessageW(dialog, kCustomPaperList, LB_SETCURSEL, 1, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kCustomPaperList, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, kCustomPaperList)));
        selected = static_cast<int>(SendDlgItemMessageW(dialog, kCustomPaperList, LB_GETCURSEL, 0, 0));
        width = DlgText(dialog, kCustomWidthEdit);
        length = DlgText(dialog, kCustomLengthEdit);
        ClickButton(dialog, kCustomCancelButton);
    });
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, ResourceString(9393));
    EXPECT_EQ(selected, 0);
    EXPECT_EQ(width, L"210.0");
    EXPECT_EQ(length, L"297.0");
    EXPECT_EQ(g_setFormCalls, 0);  // Cancel stores nothing
}

TEST_F(CustomSizes, WithoutWriteRightsTheSizesAreDisabledAndNoFormIsWritten)
{
    ScopedImportPatch refuse("advapi32.dll", "RegOpenKeyExW", reinterpret_cast<void*>(&RefusedRegistryOpen));
    ASSERT_TRUE(refuse.active());
    bool widthEnabled = true, lengthEnabled = true, nameEnabled = false;
    const INT_PTR result = Run(kCustomPaperTemplate, CustomPaperDialogProc, [&](HWND dialog) {
        widthEnabled = IsWindowEnabled(GetDlgItem(dialog, kCustomWidthEdit));
        lengthEnabled = IsWindowEnabled(GetDlgItem(dialog, kCustomLengthUpDown));
        nameEnabled = IsWindowEnabled(GetDlgItem(dialog, kCustomNameEdit));
        CaptureWindowPng(dialog, "custom_paper_sizes_read_only");
        SetDlgItemTextW(dialog, kCustomNameEdit, L"Letter Cut");
        ClickButton(dialog, kCustomOkButton);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_FALSE(widthEnabled);
    EXPECT_FALSE(lengthEnabled);
    EXPECT_TRUE(nameEnabled);
    EXPECT_EQ(g_setFormCalls, 0);
    // The names are stored all the same.
    EXPECT_EQ(Current(kFidUserPaperNameFirst), L"Letter Cut");
}
