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
#include "tests/fax/modal_dialog_script.h"
#include "ui/fax/fax_dialog_ids.h"
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

// The fax model's printer: its printing preferences are the fax recipients page.
printhost_test::InstalledPrinter& FaxSheetPrinter()
{
    static auto* printer = new printhost_test::InstalledPrinter(
        printhost_test::ModelDriverPackage(printhost_test::UniqueName(L"Morva Sheets Fax Driver"), L"morvaui.dll",
                                           printhost_test::ReferenceModel::kFax),
        L"Morva Sheets Fax");
    return *printer;
}

using DocumentPropertiesFn = LONG(WINAPI*)(HWND, HANDLE, LPWSTR, PDEVMODEW, PDEVMODEW, DWORD);
using PrinterPropertiesFn = BOOL(WINAPI*)(HWND, HANDLE);

// An export of the interface library the spooler installed for the printer.
template <typename Fn>
Fn InstalledExport(const char* name, printhost_test::InstalledPrinter& printer = SheetPrinter())
{
    printhost::InstalledDriver installed;
    std::wstring error;
    if (!printhost::FindInstalledDriver(printer.driverName(), &installed, &error))
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

// A recipient typed on the fax page as a user would: its kind chosen in the
// list, its address and name typed, then Add.
SheetStep AddFaxRecipient(const wchar_t* kind, const wchar_t* address, const wchar_t* name)
{
    return [=](HWND sheet) {
        PropSheet_SetCurSel(sheet, nullptr, 0);
        HWND page = PropSheet_GetCurrentPageHwnd(sheet);
        ASSERT_NE(GetDlgItem(page, kRecipientList), nullptr) << "the first page is the recipients page";
        HWND kinds = GetDlgItem(page, kRecipientKindBox);
        const LRESULT row =
            SendMessageW(kinds, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(kind));
        ASSERT_GE(row, 0);
        SendMessageW(kinds, CB_SETCURSEL, static_cast<WPARAM>(row), 0);
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(kRecipientKindBox, CBN_SELENDOK), reinterpret_cast<LPARAM>(kinds));
        TypeText(page, kRecipientAddressEdit, address, kRecipientNameEdit);
        TypeText(page, kRecipientNameEdit, name, kRecipientAddressEdit);
        ClickButton(page, kRecipientAddButton);
    };
}

// Recipients addressed on the fax model's recipients page go with the job: the
// page is first used in the printing preferences, then in the print-time sheet
// that asks for the job's destinations, and the job carries one destination
// line for each recipient, in the list's order.
TEST_F(SheetToJobTest, FaxRecipientsAddressedOnThePageReachTheJob)
{
    ASSERT_TRUE(FaxSheetPrinter().ok()) << Narrow(FaxSheetPrinter().error());
    auto properties = InstalledExport<DocumentPropertiesFn>("DrvDocumentProperties", FaxSheetPrinter());
    ASSERT_NE(properties, nullptr);
    std::wstring name = FaxSheetPrinter().printerName();
    HANDLE printer = nullptr;
    ASSERT_TRUE(OpenPrinterW(name.data(), &printer, nullptr));
    std::vector<BYTE> input = printhost::ApplicationDevmode(name);
    ASSERT_GE(input.size(), static_cast<size_t>(kPrivatePartOffset));
    std::vector<BYTE> output(input.size(), 0);
    // The fax model has no fax card by default, and its IP fax option: IP fax
    // destinations.
    const auto countRows = [](HWND sheet, int* rows, const char* picture) {
        HWND page = PropSheet_GetCurrentPageHwnd(sheet);
        *rows = static_cast<int>(SendDlgItemMessageW(page, kRecipientList, LVM_GETITEMCOUNT, 0, 0));
        CaptureWindowPng(sheet, picture);
    };
    {
        int added = -1;
        SheetDriver driver("sheet-to-job-fax",
                           {AddFaxRecipient(L"IP Fax", L"192.0.2.10", L"Smith"),
                            AddFaxRecipient(L"IP Fax", L"192.0.2.20", L"Jones"),
                            [&](HWND sheet) { countRows(sheet, &added, "sheet-to-job-fax-recipients"); }, PressOk()});
        const LONG answer = properties(nullptr, printer, name.data(), reinterpret_cast<DEVMODEW*>(output.data()),
                                       reinterpret_cast<DEVMODEW*>(input.data()), DM_PROMPT | DM_COPY);
        ASSERT_TRUE(driver.visit().found);
        ASSERT_EQ(answer, IDOK) << Narrow(ShownTexts());
        EXPECT_EQ(added, 2);
    }
    EXPECT_EQ(boxes_.shown().size(), 0u) << Narrow(ShownTexts());

    // The job: the print-time sheet asks for the destinations; the page's
    // typed kind came with the preferences.
    MorvaListing listing;
    {
        int offered = -1;
        const SheetStep sendOrGiveUp = [&](HWND sheet) {
            HWND page = PropSheet_GetCurrentPageHwnd(sheet);
            if (SendDlgItemMessageW(page, kRecipientList, LVM_GETITEMCOUNT, 0, 0) == 0) {
                AddFaxRecipient(L"IP Fax", L"192.0.2.10", L"Smith")(sheet);
                AddFaxRecipient(L"IP Fax", L"192.0.2.20", L"Jones")(sheet);
            }
            countRows(sheet, &offered, "sheet-to-job-fax-send");
            // One job header names every destination.
            if (DialogContext* context = PageContext(sheet))
                WriteSettingNumber(kFidFaxOneHeader, context->current->settings, context->current->printerSettings,
                                   1);
            PropSheet_PressButton(sheet, PSBTN_OK);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            // A sheet that keeps its page is cancelled so that the test goes on.
            if (IsWindow(sheet) && IsWindowVisible(sheet))
                PropSheet_PressButton(sheet, PSBTN_CANCEL);
        };
        SheetDriver send("sheet-to-job-fax-send", {sendOrGiveUp});
        std::wstring error;
        HDC dc = printhost::CreatePrinterDc(name, reinterpret_cast<DEVMODEW*>(output.data()), &error);
        ASSERT_NE(dc, nullptr) << Narrow(error);
        const std::wstring jobFile = printhost_test::TempPath(L"sheet_to_job_fax.prn");
        DeleteFileW(jobFile.c_str());
        DOCINFOW doc{sizeof(doc), L"Fax from the page", jobFile.c_str(), nullptr, 0};
        EXPECT_GT(HostStartDocW(dc, &doc), 0) << Narrow(ShownTexts());
        EXPECT_GT(HostStartPage(dc), 0);
        Rectangle(printhost::CurrentDrawingDc(dc), 100, 100, 600, 400);
        EXPECT_GT(HostEndPage(dc), 0);
        EXPECT_GT(HostEndDoc(dc), 0);
        EXPECT_TRUE(HostDeleteDC(dc));
        EXPECT_TRUE(send.visit().found) << "the print-time sheet asked for the destinations";
        EXPECT_EQ(offered, 2) << Narrow(ShownTexts());
        const std::string bytes = printhost_test::ReadTextFile(jobFile);
        DeleteFileW(jobFile.c_str());
        ASSERT_TRUE(ReadMorvaJob(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), MorvaReadOptions{},
                                 &listing))
            << listing.error;
    }
    ClosePrinter(printer);
    const std::string header = Lines(listing.headerLines);
    int first = 0, second = 0;
    for (const std::string& line : listing.headerLines) {
        first += line.find("192.0.2.10") != std::string::npos ? 1 : 0;
        second += line.find("192.0.2.20") != std::string::npos ? 1 : 0;
    }
    EXPECT_EQ(first, 1) << header << Narrow(ShownTexts());
    EXPECT_EQ(second, 1) << header;
    EXPECT_LT(header.find("192.0.2.10"), header.find("192.0.2.20")) << header;
}
