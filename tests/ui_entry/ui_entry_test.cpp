// The interface library's entry-point routines that are not exports: the
// message formatter, fax file names, the host of a sheet and the values
// published to the directory service.
#include "ui/entry/directory_service.h"
#include "ui/entry/document_properties.h"
#include "ui/entry/fax_temp_name.h"
#include "ui/entry/message_format.h"
#include "ui/entry/preferences_host.h"

#include "common/context/settings_context.h"
#include "common/defaults/setting_defaults.h"
#include "common/context/value_by_type.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "tests/support/model_printer.h"

#include <gtest/gtest.h>

#include <winspool.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

// The program's own string table names morvares.dll (string 32767).
constexpr UINT kOwnResourceFileString = 32767;

TEST(PercentMessage, ExpandsEachSequence)
{
    wchar_t out[64];
    int needed = 0;
    EXPECT_EQ(FormatPercentMessage(GetModuleHandleW(nullptr), out, 64, &needed, L"[%s|%s|%c|%d|%u|%x|%X|%%|%q|%!]",
                                   L"abc", nullptr, L'Z', -42, 42u, 255u, 255u, kOwnResourceFileString),
              39);
    EXPECT_STREQ(out, L"[abc| |Z|-42|42|ff|FF|%|q|morvares.dll]");
    EXPECT_EQ(needed, 40);
}

// The text stops at the buffer's last character, which is the terminator; the
// needed count goes on. A buffer of no characters is not written at all.
TEST(PercentMessage, CutsAtTheCapacityAndCountsOn)
{
    constexpr wchar_t kText[] = L"Invalid DEVMODE structure.";
    struct Case {
        int capacity;
        int written;
    } cases[] = {{0, 0}, {1, 0}, {10, 9}, {26, 25}, {27, 26}, {28, 26}};
    for (const Case& c : cases) {
        std::vector<wchar_t> buffer(40, L'#');
        int needed = 0;
        EXPECT_EQ(FormatPercentMessage(nullptr, buffer.data() + 1, c.capacity, &needed, kText), c.written)
            << c.capacity;
        EXPECT_EQ(needed, 27) << c.capacity;
        EXPECT_EQ(buffer[0], L'#') << c.capacity;
        if (c.capacity == 0) {
            EXPECT_EQ(buffer[1], L'#');
            continue;
        }
        EXPECT_EQ(std::wstring(buffer.data() + 1), std::wstring(kText, c.written)) << c.capacity;
        EXPECT_EQ(buffer[c.written + 2], L'#') << c.capacity;
    }
}

TEST(FaxTempName, NewUniqueFilesInTheTemporaryFolder)
{
    wchar_t folder[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, folder), 0u);
    wchar_t first[MAX_PATH] = {};
    wchar_t second[MAX_PATH] = {};
    MakeFaxTempFileName(first, kFaxTempPrintTime);
    MakeFaxTempFileName(second, 2);
    for (const wchar_t* name : {first, second}) {
        const std::wstring path(name);
        EXPECT_EQ(path.rfind(folder, 0), 0u) << path;
        EXPECT_EQ(path.substr(std::wcslen(folder), 3), L"ZQF") << path;
        // The file is there, empty, for the fax list to be written into.
        EXPECT_NE(GetFileAttributesW(name), INVALID_FILE_ATTRIBUTES) << path;
    }
    EXPECT_STRNE(first, second);
    DeleteFileW(first);
    DeleteFileW(second);
}

TEST(PreferencesHost, TitleMatchesUnlessOnlyThePrinterNameHoldsIt)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* printer;
        bool match;
    } cases[] = {
        {L"Office Printer Printing Preferences", L"Office Printer", true},
        {L"Printing Preferences Lab", L"Printing Preferences Lab", false},
        {L"Printing Preferences Lab Printing Preferences", L"Printing Preferences Lab", true},
        {L"Printing Preferences Lab", nullptr, true},
        {L"Document Properties", L"Office Printer", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TitleContainsHostText(c.text, L"Printing Preferences", c.printer), c.match) << c.text;
    EXPECT_FALSE(TitleContainsHostText(L"anything", L"", nullptr));
}

// The test prefix has no display: only message-only windows can be made, and
// only one level of them. A child of the message-only root stands for the
// sheet's frame: its title is the one kept, below the top window.
class PreferencesHostWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite() { LoadResourceModule(); }
    static void TearDownTestSuite() { ReleaseResourceModule(); }
    void TearDown() override
    {
        for (HWND window : windows_)
            DestroyWindow(window);
    }
    HWND Window(const wchar_t* title, DWORD style)
    {
        HWND window = CreateWindowW(L"STATIC", title, style, 0, 0, 300, 200, HWND_MESSAGE, nullptr, nullptr, nullptr);
        windows_.push_back(window);
        return window;
    }
    std::vector<HWND> windows_;
};

TEST_F(PreferencesHostWindows, FrameTitleTellsTheHost)
{
    ASSERT_NE(GetResourceModule(), nullptr) << "morvares.dll beside the test";
    struct Case {
        const wchar_t* frame;
        const wchar_t* printer;
        uint32_t mode;
        int host;
    } cases[] = {
        {L"Office Printer Printing Preferences", L"Office Printer", kSheetModeFromShell, kHostBuiltInTitle},
        {L"Office Printer Druckeinstellungen", L"Office Printer", kSheetModeFromShell, kHostBuiltInTitle},
        {L"Office Printer Printing Defaults", L"Office Printer", kSheetModeFromShell, kHostOwnTitle},
        {L"Office Printer Document Properties", L"Office Printer", kSheetModeFromShell, kHostNoMatch},
        {L"Printing Preferences Lab", L"Printing Preferences Lab", kSheetModeFromShell, kHostNoMatch},
        {L"Office Printer Printing Preferences", L"Office Printer", 0, kHostNotApplicable},
    };
    for (const Case& c : cases) {
        HWND page = Window(c.frame, WS_CHILD);
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(DetectPrintingPreferencesHost(page, c.printer, c.mode), c.host) << c.frame;
    }
    // A window without a parent keeps no title.
    HWND alone = Window(L"Office Printer Printing Preferences", WS_OVERLAPPED);
    ASSERT_NE(alone, nullptr);
    EXPECT_EQ(DetectPrintingPreferencesHost(alone, L"Office Printer", kSheetModeFromShell), kHostNoMatch);
}

class EntryOnPrinter : public ::testing::Test {
protected:
    static void SetUpTestSuite() { printer_ = OpenSuitePrinter(L"C4530.DDD", L"Morva Directory Service"); }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_); }
    void SetUp() override
    {
        ASSERT_TRUE(printer_->ok()) << std::string(printer_->error().begin(), printer_->error().end());
        SettingsContext* context = OpenSettingsContext(printer_->handle());
        ASSERT_NE(context, nullptr);
        settings_.assign(kSettingsRecordSize, 0);
        printerSettings_.assign(kPrinterSettingsRecordSize, 0);
        const int filled = FillDefaultSettings(context, settings_.data(), printerSettings_.data(), L"DummyName");
        CloseSettingsContext(context);
        ASSERT_EQ(filled, 1);
    }
    void Set(uint16_t id, uint32_t value)
    {
        ASSERT_TRUE(WriteSettingNumber(id, settings_.data(), printerSettings_.data(), value)) << id;
    }
    int Published(const wchar_t* name)
    {
        DWORD type = 0, needed = 0;
        BYTE value = 0xEE;
        const DWORD status =
            GetPrinterDataExW(printer_->handle(), kDirectoryServiceKey, name, &type, &value, sizeof value, &needed);
        if (status != ERROR_SUCCESS || type != REG_BINARY || needed != 1)
            return -1;
        return value;
    }

    static ModelPrinter* printer_;
    std::vector<uint8_t> settings_;
    std::vector<uint8_t> printerSettings_;
};

ModelPrinter* EntryOnPrinter::printer_ = nullptr;

TEST_F(EntryOnPrinter, DirectoryServiceDuplexAndStapling)
{
    struct Case {
        uint32_t duplexUnit, stapler, secondStapler, finisher, stapling;
        int duplex, staples;
    } cases[] = {
        {1, 1, 0, 0, 1, 1, 1}, {0, 0, 1, 0, 1, 0, 1}, {1, 0, 0, 3, 1, 1, 1},
        {1, 1, 1, 3, 0, 1, 0}, {0, 0, 0, 0, 1, 0, 0},
    };
    for (const Case& c : cases) {
        Set(4103, c.duplexUnit);
        Set(4101, c.stapler);
        Set(4116, c.secondStapler);
        Set(4359, c.finisher);
        Set(5134, c.stapling);
        EXPECT_TRUE(WriteDirectoryServiceAttributes(printer_->handle(), printerSettings_.data()));
        EXPECT_EQ(Published(kDuplexSupportedValue), c.duplex);
        EXPECT_EQ(Published(kStaplingSupportedValue), c.staples);
    }
    EXPECT_FALSE(WriteDirectoryServiceAttributes(nullptr, printerSettings_.data()));
    EXPECT_FALSE(WriteDirectoryServiceAttributes(printer_->handle(), nullptr));
}

// At print time without a prompt the job's settings are merged silently. A
// prompt shows the print-time sheet; this program has no display, so the sheet
// cannot come up: the prompt fails and the output is not touched.
TEST_F(EntryOnPrinter, PrintTimeDocumentProperties)
{
    const std::wstring longName = printer_->name() + std::wstring(200, L'x');
    std::vector<uint8_t> output(1604, 0);
    auto* out = reinterpret_cast<DEVMODEW*>(output.data());
    EXPECT_EQ(RunPrintTimeDocumentProperties(nullptr, printer_->handle(), longName.c_str(), out, nullptr, DM_COPY), 1);
    EXPECT_EQ(out->dmSize, sizeof(DEVMODEW));
    EXPECT_EQ(out->dmDriverExtra, 1604 - sizeof(DEVMODEW));
    std::vector<uint8_t> untouched(1604, 0x5A);
    EXPECT_LT(RunPrintTimeDocumentProperties(nullptr, printer_->handle(), printer_->name().c_str(),
                                             reinterpret_cast<DEVMODEW*>(untouched.data()), out, 14),
              0);
    EXPECT_EQ(untouched, std::vector<uint8_t>(1604, 0x5A));
}

// The resource file holds the sheet's icon, the host title and the common
// controls manifest; the interface library carries the manifest its loads are
// activated with, and the platform makes a context of it.
TEST(ResourceFile, IconTitleAndManifest)
{
    struct Module {
        HMODULE handle;
        explicit Module(const wchar_t* name) : handle(LoadLibraryExW(name, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
        ~Module()
        {
            if (handle)
                FreeLibrary(handle);
        }
    };
    Module resources(L"morvares.dll");
    ASSERT_NE(resources.handle, nullptr);
    EXPECT_NE(FindResourceW(resources.handle, MAKEINTRESOURCEW(64082), RT_GROUP_ICON), nullptr);
    EXPECT_NE(FindResourceW(resources.handle, MAKEINTRESOURCEW(2), RT_MANIFEST), nullptr);
    wchar_t title[64] = {};
    EXPECT_GT(LoadStringW(resources.handle, 751, title, 64), 0);

    wchar_t path[MAX_PATH];
    ASSERT_NE(GetFullPathNameW(L"morvaui.dll", MAX_PATH, path, nullptr), 0u);
    ACTCTXW request = {};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = path;
    request.lpResourceName = MAKEINTRESOURCEW(2);
    HANDLE context = CreateActCtxW(&request);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << GetLastError();
    // The context is made only when the platform has the assembly it names.
    ULONG_PTR cookie = 0;
    EXPECT_TRUE(ActivateActCtx(context, &cookie));
    DeactivateActCtx(0, cookie);
    ReleaseActCtx(context);
}

}  // namespace
