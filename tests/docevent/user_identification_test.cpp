// The print-time user identification: the outside provider (a stand-in
// registered in the test prefix), the answer it gives, the popup rule, and the
// identification dialog shown for real and driven like a user would.
#include "ui/docevent/user_identification.h"

#include "common/context/value_by_type.h"
#include "common/job/job_header.h"
#include "common/model/model_data.h"
#include "common/model/user_id_provider.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/scrambled_strings.h"
#include "tests/docevent/user_id_provider_fixture.h"
#include "tests/support/file_port_printer.h"
#include "tests/support/message_box_script.h"
#include "tests/support/settings_pair_fixture.h"
#include "tests/support/spooler_job_lock.h"
#include "tests/support/window_capture.h"
#include "ui/docevent/stored_print_file.h"
#include "ui/docevent/user_identification_dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

const std::string kAnswer = "a=U\0b=D\0c=P\0d=X\0"s;

// Steps run one per tick on the identification dialog while it is up and
// enabled (a message box over it disables it), on the test's own thread.
class DialogDriver {
public:
    using Step = std::function<void(HWND dialog)>;
    explicit DialogDriver(std::vector<Step> steps) : steps_(std::move(steps))
    {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 40, &Tick);
    }
    ~DialogDriver()
    {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    size_t done() const { return next_; }
    bool seen() const { return seen_; }

private:
    static BOOL CALLBACK Find(HWND window, LPARAM found)
    {
        if (GetDlgItem(window, kIdentMode0Radio) && GetDlgItem(window, kIdentUserIdField) && IsWindowVisible(window)) {
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        DialogDriver* self = current_;
        if (!self || self->busy_)
            return;
        HWND dialog = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), &Find, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog || !IsWindowEnabled(dialog))
            return;
        self->seen_ = true;
        if (self->next_ >= self->steps_.size())
            return;
        self->busy_ = true;
        self->steps_[self->next_++](dialog);
        self->busy_ = false;
    }

    static DialogDriver* current_;
    std::vector<Step> steps_;
    size_t next_ = 0;
    bool busy_ = false;
    bool seen_ = false;
    UINT_PTR timer_ = 0;
};
DialogDriver* DialogDriver::current_ = nullptr;

DialogDriver::Step Type(int control, const wchar_t* text)
{
    return [control, text](HWND dialog) { SetDlgItemTextW(dialog, control, text); };
}
DialogDriver::Step Press(int control)
{
    return [control](HWND dialog) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(control, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, control)));
    };
}
DialogDriver::Step Capture(const char* name)
{
    return [name](HWND dialog) { EXPECT_TRUE(CaptureWindowPng(dialog, name)) << name; };
}
DialogDriver::Step Check(std::function<void(HWND)> check) { return check; }

class UserIdentificationTest : public SettingsPairTest {
protected:
    static void SetUpTestSuite()
    {
        printer_model_ = OpenSuitePrinter(L"S2260.DDD", L"Morva User Identification");
        // The job owner line of the model's header comes from its host-name library.
        if (printer_model_ && printer_model_->ok()) {
            wchar_t self[MAX_PATH] = {};
            GetModuleFileNameW(nullptr, self, MAX_PATH);
            std::wstring library(self);
            library.resize(library.find_last_of(L'\\') + 1);
            CopyFileW((library + L"S2260HN.DLL").c_str(), (printer_model_->driverDirectory() + L"S2260HN.DLL").c_str(),
                      FALSE);
        }
    }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_model_); }
    void SetUp() override
    {
        Open(printer_model_);
        // The printer's own record stays out of the way: the tests start from
        // no identification values.
        for (uint16_t id : {kFidPromptText, kFidIdentPassword, kFidIdentDomain, kFidIdentAccount, kFidIdentUserName,
                            kFidIdentUserPassword})
            SetText(id, L"");
    }

    std::wstring Text(uint16_t id)
    {
        const auto* text = reinterpret_cast<const wchar_t*>(
            GetFunctionIdValuePointer(settings_.data(), printer_settings_.data(), id, kTypeString));
        return text ? text : L"(unreadable)";
    }
    std::wstring Plain(uint16_t id)
    {
        wchar_t* plain = nullptr;
        const std::wstring stored = Text(id);
        if (!EncodeOrDecodeProtectedString(kProtectStringDecode, stored.c_str(), &plain))
            return L"(not scrambled: " + stored + L")";
        std::wstring out = plain;
        GlobalFree(plain);
        return out;
    }
    int Prompt(int atJobStart = 1)
    {
        return PromptUserIdentification(Printer(), settings_.data(), printer_settings_.data(), context_, atJobStart);
    }
    // Asked by the dialog, not by a provider.
    void DialogWanted(uint32_t accountMode = 0)
    {
        Set(kFidUserNameAllowed, 1);
        Set(kFidUserIdMode, 0);
        Set(kFidAccountMode, accountMode);
        Set(accountMode ? kFidPromptUser : kFidPromptAdministrator, 1);
        Set(kFidIdentificationEnabled, 2);
        Set(kFidIdentificationMode, 0);
        Set(kFidPromptUnknown, 0);
    }

    static ModelPrinter* printer_model_;
};
ModelPrinter* UserIdentificationTest::printer_model_ = nullptr;

TEST(UserIdentRequest, ListsBecomeRanges)
{
    struct Case {
        std::vector<std::string> texts;
        const char* list;
    } cases[] = {
        {{"1", "2"}, "1-2"},       {{"1", "2", "3", "5"}, "1-3,5"}, {{"7"}, "7"},
        {{"a", "1", "2"}, "a,1-2"}, {{"3", "1"}, "3,1"},            {{"", "4"}, "4"},
        {{"9", "10", "x", "11"}, "9-10,x,11"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuildRequestList(c.texts), c.list) << c.list;
    EXPECT_EQ(JoinRequestTexts("USERID", "1-2"), "USERID=1-2");
}

TEST_F(UserIdentificationTest, IdentificationOffAsksNothing)
{
    RegisteredProvider provider(true, false);
    ASSERT_TRUE(provider.ok());
    provider.Script(kAnswer);
    MessageBoxScript boxes;
    DialogWanted();
    Set(kFidUserIdMode, 1);
    Set(kFidUserNameAllowed, 0);
    DialogDriver driver({});
    EXPECT_EQ(Prompt(), 1);
    EXPECT_FALSE(driver.seen());
    EXPECT_EQ(provider.Log(), "");
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(Text(kFidPromptText), L"");
}

// The current class answers four values; the popup flag of the account mode
// and the identification mode are set so that the job carries them.
TEST_F(UserIdentificationTest, ProviderAnswerFillsTheSettings)
{
    RegisteredProvider provider(true, true);
    ASSERT_TRUE(provider.ok());
    for (uint32_t accountMode : {0u, 1u}) {
        SCOPED_TRACE(accountMode);
        provider.Script(kAnswer);
        Set(kFidUserNameAllowed, 1);
        Set(kFidUserIdMode, 1);
        Set(kFidAccountMode, accountMode);
        Set(kFidPromptAdministrator, 0);
        Set(kFidPromptUser, 0);
        Set(kFidPromptUnknown, 1);
        EXPECT_EQ(Prompt(), 1);
        EXPECT_EQ(Text(kFidPromptText), L"U");
        EXPECT_EQ(Text(kFidIdentDomain), L"D");
        EXPECT_EQ(Text(kFidIdentAccount), L"X");
        EXPECT_NE(Text(kFidIdentPassword), L"P");
        EXPECT_EQ(Plain(kFidIdentPassword), L"P");
        EXPECT_EQ(Get(kFidPromptUnknown), 0u);
        EXPECT_EQ(Get(accountMode ? kFidPromptUser : kFidPromptAdministrator), 1u);
        EXPECT_EQ(Get(accountMode ? kFidPromptAdministrator : kFidPromptUser), 0u);
        EXPECT_EQ(provider.Log(), "AddRequest USERID=1-2\n"
                                  "AddRequest DOMAIN=3-4\n"
                                  "AddRequest PASSWORD=5-6\n"
                                  "AddRequest ACCOUNT=7\n"
                                  "QueryValues MORVA print job|USERID=1-2;DOMAIN=3-4;PASSWORD=5-6;ACCOUNT=7 "
                                  "owner=0 bytes=1024\n");
    }
}

// The older class is not asked for the account, and its answer has three
// values: the job goes on with them, the account as it was.
TEST_F(UserIdentificationTest, OlderProviderClassNeedsNoAccount)
{
    RegisteredProvider provider(false, true);
    ASSERT_TRUE(provider.ok());
    provider.Script("user=Ann\0dom=Sales\0pw=secret\0"s);
    Set(kFidUserNameAllowed, 1);
    Set(kFidUserIdMode, 1);
    SetText(kFidIdentAccount, L"kept");
    EXPECT_EQ(Prompt(), 1);
    EXPECT_EQ(Text(kFidPromptText), L"Ann");
    EXPECT_EQ(Text(kFidIdentDomain), L"Sales");
    EXPECT_EQ(Plain(kFidIdentPassword), L"secret");
    EXPECT_EQ(Text(kFidIdentAccount), L"kept");
    EXPECT_EQ(provider.Log(), "AddRequest USERID=1-2\nAddRequest DOMAIN=3-4\nAddRequest PASSWORD=5-6\n"
                              "QueryValues MORVA print job|USERID=1-2;DOMAIN=3-4;PASSWORD=5-6 owner=0 bytes=1024\n");
}

TEST_F(UserIdentificationTest, ProviderFailureCancelsTheJob)
{
    RegisteredProvider provider(true, false);
    ASSERT_TRUE(provider.ok());
    struct Case {
        const char* what;
        std::string answer;
        int failing;
    } cases[] = {
        {"request refused", kAnswer, 5},
        {"query refused", kAnswer, 6},
        {"a value without =", "a=U\0b=D\0cP\0d=X\0"s, 0},
        {"three values from the current class", "a=U\0b=D\0c=P\0"s, 0},
        {"no answer", "", 0},
    };
    for (const Case& c : cases) {
        provider.Script(c.answer, c.failing);
        Set(kFidUserNameAllowed, 1);
        Set(kFidUserIdMode, 1);
        Set(kFidPromptAdministrator, 0);
        DialogDriver driver({});
        EXPECT_EQ(Prompt(), 0) << c.what;
        EXPECT_FALSE(driver.seen()) << c.what;
        EXPECT_EQ(Get(kFidPromptAdministrator), 0u) << c.what;
    }
}

TEST_F(UserIdentificationTest, NoProviderAndNoPopupGoesOn)
{
    RegisteredProvider none(false, false);
    MessageBoxScript boxes;
    Set(kFidUserNameAllowed, 1);
    Set(kFidUserIdMode, 1);
    Set(kFidAccountMode, 0);
    Set(kFidPromptAdministrator, 0);
    Set(kFidPromptUser, 1);  // the user's flag does not apply in administrator mode
    DialogDriver driver({});
    EXPECT_EQ(Prompt(), 1);
    EXPECT_FALSE(driver.seen());
    EXPECT_TRUE(boxes.shown().empty());
}

// Without the scrambled-codes capability the password is stored as given.
TEST_F(UserIdentificationTest, PasswordPlainWithoutTheCapability)
{
    RegisteredProvider provider(true, false);
    ASSERT_TRUE(provider.ok());
    provider.Script(kAnswer);
    uint32_t word = 0x40040000;
    PatchModelRaw(context_->main, 26, 4, 0, word & ~0x40000000u);
    Set(kFidUserNameAllowed, 1);
    Set(kFidUserIdMode, 1);
    EXPECT_EQ(Prompt(), 1);
    PatchModelRaw(context_->main, 26, 4, 0, word);
    EXPECT_EQ(Text(kFidIdentPassword), L"P");
}

// The walk over the answer never leaves the provider's 1024 bytes: the buffer
// here ends where readable memory ends.
TEST_F(UserIdentificationTest, AnswerWithoutTerminatorsStaysInsideItsBuffer)
{
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    const DWORD page = system.dwPageSize;
    auto* memory = static_cast<char*>(VirtualAlloc(nullptr, 2 * page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(memory, nullptr);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(memory + page, page, PAGE_NOACCESS, &old));
    char* answer = memory + page - kUserIdAnswerBytes;
    struct Case {
        const char* what;
        std::string head;  // the rest of the 1024 bytes is 'x'
    } cases[] = {
        {"no terminator at all", ""},
        {"the fourth value runs to the end", "a=U\0b=D\0c=P\0d="s},
        {"the second value runs to the end", "a=U\0b="s},
    };
    for (const Case& c : cases) {
        std::memset(answer, 'x', kUserIdAnswerBytes);
        std::memcpy(answer, c.head.data(), c.head.size());
        EXPECT_EQ(StoreUserIdentAnswer(answer, kUserIdAnswerBytes, settings_.data(), printer_settings_.data(),
                                       context_->main, true),
                  0)
            << c.what;
    }
    // The last value ending on the buffer's last byte is whole (the keys are
    // not checked, so a long first key fills the buffer).
    const std::string rest = "=U\0b=D\0c=P\0d=X\0"s;
    const std::string whole = std::string(kUserIdAnswerBytes - rest.size(), 'k') + rest;
    ASSERT_EQ(whole.size(), kUserIdAnswerBytes);
    std::memcpy(answer, whole.data(), whole.size());
    EXPECT_EQ(StoreUserIdentAnswer(answer, kUserIdAnswerBytes, settings_.data(), printer_settings_.data(),
                                   context_->main, true),
              1);
    EXPECT_EQ(Text(kFidIdentAccount), L"X");
    VirtualFree(memory, 0, MEM_RELEASE);
}

TEST_F(UserIdentificationTest, PopupFlagFollowsTheAccountMode)
{
    for (uint32_t mode : {0u, 1u}) {
        Set(kFidAccountMode, mode);
        EXPECT_EQ(IdentificationPopupSetting(settings_.data(), printer_settings_.data()),
                  mode ? kFidPromptUser : kFidPromptAdministrator);
    }
}

TEST_F(UserIdentificationTest, DialogModeChoice)
{
    struct Case {
        int ask;
        uint32_t enabled, option, stored, mode;
    } cases[] = {
        {1, 1, 3, 1, 0}, {0, 0, 3, 1, 0}, {0, 1, 0, 0, 1}, {0, 2, 3, 0, 1},
        {0, 2, 0, 1, 1}, {0, 2, 0, 0, 0}, {0, 2, 1, 1, 1},
    };
    for (const Case& c : cases) {
        Set(kFidIdentificationEnabled, c.enabled);
        Set(kFidIdentificationMode, c.option);
        Set(kFidPromptUnknown, c.stored);
        uint32_t mode = 99;
        EXPECT_EQ(ChooseIdentificationMode(settings_.data(), printer_settings_.data(), c.ask, &mode), 1);
        EXPECT_EQ(mode, c.mode) << c.ask << " " << c.enabled << " " << c.option << " " << c.stored;
    }
}

// A user ID left empty shows its field's message and the dialog stays; the ID
// typed then is what the job gets.
TEST_F(UserIdentificationTest, DialogRefusesAShortFieldAndKeepsTheTypedValues)
{
    DialogWanted();
    MessageBoxScript boxes({IDOK});
    bool stayed = false;
    DialogDriver driver({Capture("user_identification_dialog"), Type(kIdentUserIdField, L""),
                         Type(kIdentDomainField, L"Office"), Press(IDOK),
                         Check([&stayed](HWND dialog) { stayed = IsWindow(dialog) != FALSE; }),
                         Type(kIdentUserIdField, L"alice"), Type(kIdentPasswordField, L"pw42"), Press(IDOK)});
    EXPECT_EQ(Prompt(), 1);
    EXPECT_EQ(driver.done(), 8u);
    EXPECT_TRUE(stayed);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].caption, ResourceString(265));
    EXPECT_EQ(boxes.shown()[0].text, L"Enter User ID: from 1 to 32 characters.");
    EXPECT_EQ(Text(kFidPromptText), L"alice");
    EXPECT_EQ(Text(kFidIdentDomain), L"Office");
    EXPECT_EQ(Plain(kFidIdentPassword), L"pw42");
}

TEST_F(UserIdentificationTest, DialogCancelCancelsTheJob)
{
    DialogWanted(1);
    SetText(kFidPromptText, L"before");
    MessageBoxScript boxes;
    DialogDriver driver({Type(kIdentUserIdField, L"typed"), Press(IDCANCEL)});
    EXPECT_EQ(Prompt(), 0);
    EXPECT_EQ(driver.done(), 2u);
    EXPECT_EQ(Text(kFidPromptText), L"before");
    EXPECT_TRUE(boxes.shown().empty());
}

// Mode 1 by the printer's setting: the user name and code are asked, the
// mode choice is hidden, and the code must reach the least code length.
TEST_F(UserIdentificationTest, DialogInModeOneChecksTheCodeLength)
{
    DialogWanted();
    Set(kFidIdentificationEnabled, 1);
    Set(kFidUserCodeMinimum, 4);
    MessageBoxScript boxes({IDOK});
    bool hidden = false, enabled = false;
    DialogDriver driver({Check([&](HWND dialog) {
                             hidden = !IsWindowVisible(GetDlgItem(dialog, kIdentMode0Radio));
                             enabled = IsWindowEnabled(GetDlgItem(dialog, kIdentUserNameField)) &&
                                       !IsWindowEnabled(GetDlgItem(dialog, kIdentUserIdField));
                         }),
                         Type(kIdentUserNameField, L"bob"), Type(kIdentUserPasswordField, L"123"),
                         Capture("user_identification_dialog_mode1"), Press(IDOK),
                         Type(kIdentUserPasswordField, L"1234"), Press(IDOK)});
    EXPECT_EQ(Prompt(), 1);
    EXPECT_TRUE(hidden);
    EXPECT_TRUE(enabled);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, L"Code must have from 4 to 16 characters. Enter a longer code.");
    EXPECT_EQ(Get(kFidPromptUnknown), 1u);
    EXPECT_EQ(Text(kFidIdentUserName), L"bob");
    EXPECT_EQ(Text(kFidIdentUserPassword), L"1234");
}

}  // namespace

namespace {

// The header of a job of the identification model carries the values.
TEST_F(UserIdentificationTest, HeaderCarriesTheIdentification)
{
    RegisteredProvider provider(true, false);
    ASSERT_TRUE(provider.ok());
    provider.Script(kAnswer);
    Set(kFidUserNameAllowed, 1);
    Set(kFidUserIdMode, 1);
    ASSERT_EQ(Prompt(), 1);
    const int bound = GetJobHeaderSize(Printer(), context_, settings_.data(), printer_settings_.data(), nullptr, 0);
    ASSERT_GT(bound, 0);
    std::vector<uint8_t> header(static_cast<size_t>(bound));
    JobHeaderContext job{};
    job.settingsRecord = settings_.data();
    job.printerSettingsRecord = printer_settings_.data();
    job.printer = Printer();
    job.hostNameLines = 1;
    const int written = WriteJobHeader(context_, &job, nullptr, 0, header.data(), static_cast<uint32_t>(bound));
    ASSERT_GT(written, 0);
    const std::string text(header.begin(), header.begin() + written);
    EXPECT_NE(text.find("@PJL SET USERID=\"U\"\n@PJL SET DOMAIN=\"D\"\n@PJL SET PASSWORD=\""), std::string::npos)
        << text;
    EXPECT_NE(text.find("@PJL SET ACCOUNT=\"X\"\n"), std::string::npos) << text;
}

}  // namespace

namespace {

// A stored file sent again asks for the identification first: the fresh
// header carries the provider's answer, and a provider that fails stops the
// resend before anything is printed.
TEST_F(UserIdentificationTest, ResendAsksForTheIdentificationFirst)
{
    static FilePortPrinter port(L"Morva Identification Resend Port");
    ASSERT_TRUE(port.ok());
    RegisteredProvider provider(true, false);
    ASSERT_TRUE(provider.ok());
    const std::string uel = "\x1B%-12345X";
    const std::string body = "body bytes\0\x1B of the job"s;
    const std::string end = uel + "@PJL COMMENT ZQJOBINFO BEGIN\n@PJL COMMENT ZQJOBINFO END\n@PJL EOJ\n";
    const std::string file = uel + "@PJL SET USERID=\"Old\"\n@PJL ENTER LANGUAGE=MORVA\n" + body + end;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"identified_resend.prn";
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(out, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
    CloseHandle(out);
    for (int failing : {0, 6}) {
        SCOPED_TRACE(failing);
        provider.Script("u=Bob\0d=Lab\0p=pw\0a=Acct\0"s, failing);
        Set(kFidUserNameAllowed, 1);
        Set(kFidUserIdMode, 1);
        std::string bytes;
        int result = 0;
        {
            SpoolerJobLock lock;
            port.ClearPort();
            result = ResendStoredPrintFile(context_, settings_.data(), printer_settings_.data(), path.c_str(),
                                           port.name().c_str(), port.portFile().c_str(), 1);
            const std::vector<uint8_t> read = ReadWholeFile(port.portFile());
            bytes.assign(read.begin(), read.end());
        }
        if (failing) {
            EXPECT_EQ(result, kResendFailed);
            EXPECT_EQ(bytes, "");
            continue;
        }
        EXPECT_EQ(result, kResendDone);
        const size_t bodyAt = bytes.find(body);
        ASSERT_NE(bodyAt, std::string::npos);
        const std::string header = bytes.substr(0, bodyAt);
        EXPECT_NE(header.find("@PJL SET USERID=\"Bob\"\n"), std::string::npos) << header;
        EXPECT_EQ(header.find("Old"), std::string::npos) << header;
        EXPECT_EQ(bytes.substr(bodyAt), body + end);
    }
    DeleteFileW(path.c_str());
}

}  // namespace
