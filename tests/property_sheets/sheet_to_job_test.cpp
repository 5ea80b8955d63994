// From a real sheet to the next job: the installed interface library shows the
// document sheet of a colour reference printer, the settings chosen there come
// back in the DEVMODE that OK hands out, and a document printed with it
// through both libraries carries them in its header, ticket and sheets, read
// back whole. The device sheet's choice of an installed option is stored for
// the printer's next sheets and jobs.
#include "common/context/value_by_type.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_types.h"
#include "common/store/printer_data.h"
#include "printhost/host_dc.h"
#include "printhost/install.h"
#include "tests/interface/interface_package.h"
#include "tests/printhost/driver_fixture.h"
#include "tests/property_sheets/sheet_driver.h"
#include "tests/support/message_box_script.h"
#include "tests/support/window_capture.h"
#include "tools/morva_reader/morva_reader.h"
#include "ui/engine/dialog_context.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <prsht.h>
#include <winspool.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint16_t kFidPagesPerSheet = 295;
constexpr uint16_t kFidLargeCapacityTray = 4114;
constexpr uint32_t kDuplexLongEdge = DMDUP_VERTICAL;
constexpr uint32_t kPaperA5 = DMPAPER_A5;

printhost_test::InstalledPrinter& SheetPrinter()
{
    static auto* printer =
        new printhost_test::InstalledPrinter(InterfacePackage(L"Morva Sheets Job Driver"), L"Morva Sheets Job");
    return *printer;
}

using DocumentPropertiesFn = LONG(WINAPI*)(HWND, HANDLE, LPWSTR, PDEVMODEW, PDEVMODEW, DWORD);
using PrinterPropertiesFn = BOOL(WINAPI*)(HWND, HANDLE);

// An export of the interface library the spooler installed for the printer.
template <typename Fn>
Fn InstalledExport(const char* name)
{
    printhost::InstalledDriver installed;
    std::wstring error;
    if (!printhost::FindInstalledDriver(SheetPrinter().driverName(), &installed, &error))
        return nullptr;
    HMODULE library = LoadLibraryW(installed.interfaceDll.c_str());
    return library ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(library, name))) : nullptr;
}

// Message texts for a failure report (the texts are ASCII).
std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (wchar_t c : text)
        narrow += static_cast<char>(c);
    return narrow;
}

std::string Lines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

// The working records of the sheet, as the shown page's controls write them.
DialogContext* PageContext(HWND sheet)
{
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    return page ? reinterpret_cast<DialogContext*>(GetWindowLongPtrW(page, DWLP_USER)) : nullptr;
}

// What a control of the page would do with its setting: the value written
// into the sheet's current records.
SheetStep ChooseOnPage(int page, uint16_t setting, uint32_t value)
{
    return [=](HWND sheet) {
        PropSheet_SetCurSel(sheet, nullptr, page);
        DialogContext* context = PageContext(sheet);
        ASSERT_NE(context, nullptr);
        ASSERT_TRUE(WriteSettingNumber(setting, context->current->settings, context->current->printerSettings,
                                       value))
            << setting;
    };
}

// What the user does with a combo box of a page: picks the row, and the list
// tells its page that the choice is made.
SheetStep PickInCombo(int page, int control, int row)
{
    return [=](HWND sheet) {
        PropSheet_SetCurSel(sheet, nullptr, page);
        HWND shown = PropSheet_GetCurrentPageHwnd(sheet);
        ASSERT_NE(shown, nullptr);
        HWND combo = GetDlgItem(shown, control);
        ASSERT_NE(combo, nullptr) << control;
        ASSERT_NE(SendMessageW(combo, CB_SETCURSEL, row, 0), CB_ERR) << row;
        SendMessageW(shown, WM_COMMAND, MAKEWPARAM(control, CBN_SELENDOK), reinterpret_cast<LPARAM>(combo));
    };
}

class SheetToJobTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_TAB_CLASSES};
        InitCommonControlsEx(&controls);
    }
    void SetUp() override
    {
        ASSERT_TRUE(SheetPrinter().ok());
        name_ = SheetPrinter().printerName();
        ASSERT_TRUE(OpenPrinterW(name_.data(), &printer_, nullptr));
    }
    void TearDown() override
    {
        if (printer_)
            ClosePrinter(printer_);
    }

    // The application's DEVMODE with the reference model's user-code mode off
    // (it would ask for a code) and the job's resolution.
    std::vector<BYTE> ApplicationDevmode()
    {
        std::vector<BYTE> devmode = printhost::ApplicationDevmode(name_);
        std::vector<uint8_t> record(kSettingsRecordSize, 0);
        if (devmode.size() < kPrivatePartOffset)
            return {};
        std::memcpy(record.data(), devmode.data(), kPrivatePartOffset);
        if (!WriteSettingNumber(kFidJobType, record.data(), nullptr, 0) ||
            !WriteSettingNumber(kFidJobResolution, record.data(), nullptr, 600))
            return {};
        std::memcpy(devmode.data(), record.data(), kPrivatePartOffset);
        return devmode;
    }

    // Two pages printed with the DEVMODE; the whole job read back.
    MorvaListing PrintTwoPages(std::vector<BYTE>& devmode)
    {
        MorvaListing listing;
        std::wstring error;
        HDC dc = printhost::CreatePrinterDc(name_, reinterpret_cast<DEVMODEW*>(devmode.data()), &error);
        EXPECT_NE(dc, nullptr) << std::string(error.begin(), error.end());
        if (!dc)
            return listing;
        const std::wstring jobFile = printhost_test::TempPath(L"sheet_to_job.prn");
        DeleteFileW(jobFile.c_str());
        DOCINFOW doc{sizeof(doc), L"Chosen in the sheet", jobFile.c_str(), nullptr, 0};
        EXPECT_GT(HostStartDocW(dc, &doc), 0);
        for (int page = 0; page < 2; ++page) {
            EXPECT_GT(HostStartPage(dc), 0);
            Rectangle(printhost::CurrentDrawingDc(dc), 100, 100, 600, 400 + page * 100);
            EXPECT_GT(HostEndPage(dc), 0);
        }
        EXPECT_GT(HostEndDoc(dc), 0);
        EXPECT_TRUE(HostDeleteDC(dc));
        const std::string bytes = printhost_test::ReadTextFile(jobFile);
        DeleteFileW(jobFile.c_str());
        EXPECT_TRUE(
            ReadMorvaJob(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), MorvaReadOptions{}, &listing))
            << listing.error;
        return listing;
    }

    std::wstring name_;
    HANDLE printer_ = nullptr;
    // No note is expected: a box the engine shows is recorded and closed.
    MessageBoxScript boxes_;

    std::wstring ShownTexts() const
    {
        std::wstring texts;
        for (const ShownMessageBox& box : boxes_.shown())
            texts += box.caption + L": " + box.text + L"\n";
        return texts;
    }
};

TEST_F(SheetToJobTest, DocumentSheetChoicesReachTheNextJob)
{
    auto properties = InstalledExport<DocumentPropertiesFn>("DrvDocumentProperties");
    ASSERT_NE(properties, nullptr);
    std::vector<BYTE> input = ApplicationDevmode();
    ASSERT_FALSE(input.empty());
    std::vector<BYTE> output(kPrivatePartOffset, 0);
    // The reference printer's pages: fax, job type (paper), colour, stamps,
    // settings list (layout).
    SheetDriver driver("sheet-to-job", {ChooseOnPage(1, kFidPaperSize, kPaperA5),
                                        ChooseOnPage(4, kFidDuplex, kDuplexLongEdge),
                                        ChooseOnPage(4, kFidPagesPerSheet, 2), PressOk()});
    const LONG answer = properties(nullptr, printer_, name_.data(), reinterpret_cast<DEVMODEW*>(output.data()),
                                   reinterpret_cast<DEVMODEW*>(input.data()), DM_PROMPT | DM_COPY);
    ASSERT_TRUE(driver.visit().found);
    ASSERT_EQ(answer, IDOK);
    const auto* dm = reinterpret_cast<const DEVMODEW*>(output.data());
    EXPECT_EQ(dm->dmDuplex, kDuplexLongEdge);
    EXPECT_EQ(dm->dmPaperSize, kPaperA5);

    MorvaListing listing = PrintTwoPages(output);
    const std::string header = Lines(listing.headerLines);
    const std::string ticket = Lines(listing.trailerLines);
    const std::string commands = CommandTexts(listing);
    const std::string all = header + commands + "\n" + ticket;
    for (const char* line : {"@PJL SET PAPER=11\n", "@PJL SET DUPLEX=2\n"})
        EXPECT_NE(header.find(line), std::string::npos) << line << "\n" << all;
    for (const char* item : {"NUP=2\n", "DUPLEXTYPE=DUPLEX\n"})
        EXPECT_NE(ticket.find(item), std::string::npos) << item << "\n" << all;
    // One A5 sheet holds both pages.
    EXPECT_NE(commands.find("Ec code1=1 code2=0 kind=81 width=148 height=210\n"), std::string::npos) << all;
}

// The colour mode picked in the colour page's list goes with the DEVMODE that
// OK hands out and into the next job's header.
TEST_F(SheetToJobTest, ColourModePickedOnTheColourPageReachesTheNextJob)
{
    constexpr uint16_t kFidColourMode = 270;
    constexpr int kColourPage = 2;          // fax, job type, colour, stamps, settings list
    constexpr int kColourModeList = 1271;
    constexpr int kGreyRow = 1;             // the model's modes: automatic, grey, colour
    auto properties = InstalledExport<DocumentPropertiesFn>("DrvDocumentProperties");
    ASSERT_NE(properties, nullptr);
    std::vector<BYTE> input = ApplicationDevmode();
    ASSERT_FALSE(input.empty());
    std::vector<BYTE> output(kPrivatePartOffset, 0);
    SheetDriver driver("sheet-to-job-colour", {PickInCombo(kColourPage, kColourModeList, kGreyRow), PressOk()});
    const LONG answer = properties(nullptr, printer_, name_.data(), reinterpret_cast<DEVMODEW*>(output.data()),
                                   reinterpret_cast<DEVMODEW*>(input.data()), DM_PROMPT | DM_COPY);
    ASSERT_TRUE(driver.visit().found);
    ASSERT_EQ(answer, IDOK);
    std::vector<uint8_t> record(kSettingsRecordSize, 0);
    std::memcpy(record.data(), output.data(), kPrivatePartOffset);
    uint32_t mode = 99;
    ASSERT_TRUE(ReadSettingNumber(kFidColourMode, record.data(), nullptr, &mode));
    EXPECT_EQ(mode, 1u);

    MorvaListing listing = PrintTwoPages(output);
    const std::string header = Lines(listing.headerLines);
    EXPECT_NE(header.find("@PJL SET RENDERMODE=1\n"), std::string::npos) << header;
}

// A printer's own defaults are consistent: neither sheet opens with a note
// that settings were changed.
TEST_F(SheetToJobTest, DocumentSheetOnThePrintersDefaultsShowsNoNote)
{
    auto properties = InstalledExport<DocumentPropertiesFn>("DrvDocumentProperties");
    ASSERT_NE(properties, nullptr);
    ASSERT_TRUE(boxes_.installed());
    std::vector<BYTE> input = printhost::ApplicationDevmode(name_);
    ASSERT_GE(input.size(), kPrivatePartOffset);
    std::vector<BYTE> output(kPrivatePartOffset, 0);
    SheetDriver driver("", {PressOk()});
    EXPECT_EQ(properties(nullptr, printer_, name_.data(), reinterpret_cast<DEVMODEW*>(output.data()),
                         reinterpret_cast<DEVMODEW*>(input.data()), DM_PROMPT | DM_COPY),
              IDOK);
    ASSERT_TRUE(driver.visit().found);
    EXPECT_TRUE(boxes_.shown().empty()) << Narrow(ShownTexts());
}

TEST_F(SheetToJobTest, DeviceSheetOnThePrintersDefaultsShowsNoNote)
{
    auto properties = InstalledExport<PrinterPropertiesFn>("PrinterProperties");
    ASSERT_NE(properties, nullptr);
    ASSERT_TRUE(boxes_.installed());
    SheetDriver driver("", {PressCancel()});
    properties(nullptr, printer_);
    ASSERT_TRUE(driver.visit().found);
    EXPECT_TRUE(boxes_.shown().empty()) << Narrow(ShownTexts());
}

// A stored setting that cannot stand is still put right and reported: a
// secure-print job without its code falls back to ordinary printing.
TEST_F(SheetToJobTest, DocumentSheetReportsAStoredSettingItChanged)
{
    auto properties = InstalledExport<DocumentPropertiesFn>("DrvDocumentProperties");
    ASSERT_NE(properties, nullptr);
    ASSERT_TRUE(boxes_.installed());
    std::vector<BYTE> input = ApplicationDevmode();
    ASSERT_FALSE(input.empty());
    std::vector<uint8_t> record(kSettingsRecordSize, 0);
    std::memcpy(record.data(), input.data(), kPrivatePartOffset);
    ASSERT_TRUE(WriteSettingNumber(kFidJobType, record.data(), nullptr, 2));
    std::memcpy(input.data(), record.data(), kPrivatePartOffset);
    std::vector<BYTE> output(kPrivatePartOffset, 0);
    SheetDriver driver("", {PressOk()});
    EXPECT_EQ(properties(nullptr, printer_, name_.data(), reinterpret_cast<DEVMODEW*>(output.data()),
                         reinterpret_cast<DEVMODEW*>(input.data()), DM_PROMPT | DM_COPY),
              IDOK);
    ASSERT_TRUE(driver.visit().found);
    ASSERT_EQ(boxes_.shown().size(), 1u) << Narrow(ShownTexts());
    const std::wstring& text = boxes_.shown()[0].text;
    EXPECT_NE(text.find(L"Job Type"), std::wstring::npos) << Narrow(text);
    EXPECT_EQ(text.find(L"Custom Size"), std::wstring::npos) << Narrow(text);
    std::memcpy(record.data(), output.data(), kPrivatePartOffset);
    uint32_t jobType = 99;
    ASSERT_TRUE(ReadSettingNumber(kFidJobType, record.data(), nullptr, &jobType));
    EXPECT_EQ(jobType, 0u);
}

TEST_F(SheetToJobTest, DocumentSheetCancelGivesBackNothing)
{
    auto properties = InstalledExport<DocumentPropertiesFn>("DrvDocumentProperties");
    ASSERT_NE(properties, nullptr);
    std::vector<BYTE> input = ApplicationDevmode();
    std::vector<BYTE> output(kPrivatePartOffset, 0x77);
    const std::vector<BYTE> before = output;
    SheetDriver driver("", {ChooseOnPage(1, kFidPaperSize, kPaperA5), PressCancel()});
    EXPECT_EQ(properties(nullptr, printer_, name_.data(), reinterpret_cast<DEVMODEW*>(output.data()),
                         reinterpret_cast<DEVMODEW*>(input.data()), DM_PROMPT | DM_COPY),
              IDCANCEL);
    ASSERT_TRUE(driver.visit().found);
    EXPECT_EQ(output, before);
}

TEST_F(SheetToJobTest, DeviceSheetStoresAnInstalledOption)
{
    auto properties = InstalledExport<PrinterPropertiesFn>("PrinterProperties");
    ASSERT_NE(properties, nullptr);
    SheetDriver driver("sheet-to-job-device", {ChooseOnPage(1, kFidLargeCapacityTray, 1), PressOk()});
    EXPECT_TRUE(properties(nullptr, printer_));
    ASSERT_TRUE(driver.visit().found);
    // The printer's stored settings now have the option installed.
    std::vector<uint8_t> stored(kPrinterSettingsRecordSize);
    std::vector<uint8_t> settings(kSettingsRecordSize);
    uint32_t size = kPrinterSettingsRecordSize;
    ASSERT_TRUE(ReadPrinterDataTable(printer_, kPrinterSettingsTable, stored.data(), &size));
    uint32_t installed = 0;
    ASSERT_TRUE(ReadSettingNumber(kFidLargeCapacityTray, settings.data(), stored.data(), &installed));
    EXPECT_EQ(installed, 1u);
}

// The same choices through the pages' own controls, as a user makes them.
TEST_F(SheetToJobTest, ChoicesThroughThePagesControls)
{
    GTEST_SKIP() << "waits for the pages' item tables: the document pages have no paper, duplex or pages-per-sheet "
                    "controls yet, only their templates";
}

}  // namespace

namespace {

struct HostRun {
    DWORD code = 999;
    std::string output;
    std::wstring notes;  // the texts of the notes printhost showed
};

// The window of another process that shows a property sheet, or its note.
HWND FindProcessWindow(DWORD process, bool sheet)
{
    struct Search {
        DWORD process;
        bool sheet;
        HWND found;
    } search{process, sheet, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != s->process || !IsWindowVisible(window))
                return TRUE;
            const bool isSheet = PropSheet_GetTabControl(window) != nullptr;
            const bool isNote = !isSheet && GetDlgItem(window, 0xFFFF) != nullptr;
            if ((s->sheet && isSheet) || (!s->sheet && isNote)) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Runs printhost with the arguments; when it shows a sheet, presses `button`
// on it once the sheet has settled. Every note it shows is recorded and closed.
HostRun RunHostPressing(const std::wstring& arguments, int button)
{
    const std::wstring outPath = printhost_test::TempPath(L"sheet_cli.out");
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE out = CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = out;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    std::wstring command = L"\"" + printhost_test::BinaryDirectory() + L"\\printhost.exe\" " + arguments;
    HostRun run;
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        bool pressed = false;
        int sheetSeen = 0;
        HWND lastNote = nullptr;
        for (int i = 0; i < 1200 && WaitForSingleObject(pi.hProcess, 100) == WAIT_TIMEOUT; ++i) {
            if (HWND note = FindProcessWindow(pi.dwProcessId, false)) {
                if (note != lastNote) {
                    wchar_t text[1024] = {};
                    GetDlgItemTextW(note, 0xFFFF, text, 1024);
                    run.notes += std::wstring(text) + L"\n";
                    lastNote = note;
                }
                PostMessageW(note, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                continue;
            }
            if (pressed)
                continue;
            // The page check posts its note after the first page opens: the
            // sheet is given time to show one before it is pressed.
            if (HWND sheet = FindProcessWindow(pi.dwProcessId, true); sheet && ++sheetSeen > 10) {
                PostMessageW(sheet, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(sheet, button)));
                pressed = true;
            }
        }
        GetExitCodeProcess(pi.hProcess, &run.code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(out);
    run.output = printhost_test::ReadTextFile(outPath);
    DeleteFileW(outPath.c_str());
    return run;
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

TEST_F(SheetToJobTest, PrintHostSettingsWritesTheChosenDevmodeForTheNextPrint)
{
    const std::wstring devmodeFile = printhost_test::TempPath(L"sheet_cli.devmode");
    const std::wstring jobFile = printhost_test::TempPath(L"sheet_cli.prn");
    DeleteFileW(devmodeFile.c_str());
    HostRun cancelled = RunHostPressing(L"settings " + Quoted(name_) + L" --out " + Quoted(devmodeFile), IDCANCEL);
    EXPECT_EQ(cancelled.code, 0u) << cancelled.output;
    EXPECT_TRUE(cancelled.notes.empty()) << Narrow(cancelled.notes);
    EXPECT_NE(cancelled.output.find("cancelled"), std::string::npos) << cancelled.output;
    EXPECT_EQ(GetFileAttributesW(devmodeFile.c_str()), INVALID_FILE_ATTRIBUTES);

    HostRun chosen = RunHostPressing(L"settings " + Quoted(name_) + L" --out " + Quoted(devmodeFile), IDOK);
    EXPECT_EQ(chosen.code, 0u) << chosen.output;
    EXPECT_TRUE(chosen.notes.empty()) << Narrow(chosen.notes);
    const std::string devmode = printhost_test::ReadTextFile(devmodeFile);
    ASSERT_EQ(devmode.size(), kPrivatePartOffset) << chosen.output;

    HostRun printed = RunHostPressing(L"print " + Quoted(name_) + L" " + Quoted(jobFile) + L" --devmode " +
                                          Quoted(devmodeFile) + L" --set 348=600 --set 334=0 --samples",
                                      IDCANCEL);
    EXPECT_EQ(printed.code, 0u) << printed.output;
    const std::string job = printhost_test::ReadTextFile(jobFile);
    MorvaListing listing;
    EXPECT_TRUE(ReadMorvaJob(reinterpret_cast<const uint8_t*>(job.data()), job.size(), MorvaReadOptions{}, &listing))
        << listing.error;
    DeleteFileW(devmodeFile.c_str());
    DeleteFileW(jobFile.c_str());
}

TEST_F(SheetToJobTest, PrintHostPropertiesShowsTheDeviceSheet)
{
    HostRun cancelled = RunHostPressing(L"properties " + Quoted(name_), IDCANCEL);
    EXPECT_EQ(cancelled.code, 0u) << cancelled.output;
    EXPECT_TRUE(cancelled.notes.empty()) << Narrow(cancelled.notes);
    EXPECT_NE(cancelled.output.find("cancelled"), std::string::npos) << cancelled.output;
    HostRun stored = RunHostPressing(L"properties " + Quoted(name_), IDOK);
    EXPECT_EQ(stored.code, 0u) << stored.output;
    EXPECT_TRUE(stored.notes.empty()) << Narrow(stored.notes);
    EXPECT_NE(stored.output.find("stored"), std::string::npos) << stored.output;
}

}  // namespace
