// From a real sheet to the next job: the installed interface library shows the
// document sheet of a colour reference printer, the settings chosen there come
// back in the DEVMODE that OK hands out, and a document printed with it
// through both libraries carries them in its header, ticket and sheets, read
// back whole. The device sheet's choice of an installed option is stored for
// the printer's next sheets and jobs.
#include "common/context/value_by_type.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
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

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint16_t kFidPagesPerSheet = 295;
constexpr uint16_t kFidLargeCapacityTray = 4114;
constexpr uint16_t kFidPaperTray = 265;
constexpr uint16_t kFidTray3PaperSize = 6146;
constexpr uint16_t kFidTray3PaperType = 6176;
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

// The settings list page (page 4) as a user works it: the row of a setting
// picked in the list, then a value in the combo box below it.
constexpr int kSettingsListPage = 4;
constexpr int kSettingsList = 3300;
constexpr int kSettingValueCombo = 3303;

SheetStep ChooseInSettingsList(const wchar_t* setting, const wchar_t* value)
{
    return [=](HWND sheet) {
        PropSheet_SetCurSel(sheet, nullptr, kSettingsListPage);
        HWND page = PropSheet_GetCurrentPageHwnd(sheet);
        ASSERT_NE(page, nullptr);
        HWND list = GetDlgItem(page, kSettingsList);
        ASSERT_NE(list, nullptr);
        const std::wstring label = std::wstring(setting) + L"\t";
        int row = -1;
        const int rows = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < rows && row < 0; ++i) {
            wchar_t text[256] = {};
            if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 256)
                SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            if (std::wstring(text).compare(0, label.size(), label) == 0)
                row = i;
        }
        ASSERT_GE(row, 0) << Narrow(setting);
        SendMessageW(list, LB_SETCURSEL, row, 0);
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(kSettingsList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        HWND combo = GetDlgItem(page, kSettingValueCombo);
        ASSERT_NE(SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(value)),
                  CB_ERR)
            << Narrow(value);
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(kSettingValueCombo, CBN_SELENDOK), reinterpret_cast<LPARAM>(combo));
    };
}

// The "method=" operand of every image of the job's commands.
std::vector<std::string> ImageMethods(const std::string& commands)
{
    std::vector<std::string> methods;
    for (size_t at = commands.find("Cq "); at != std::string::npos; at = commands.find("Cq ", at + 1)) {
        const size_t end = commands.find('\n', at);
        const size_t method = commands.find(" method=", at);
        if (method != std::string::npos && method < end)
            methods.push_back(commands.substr(method + 8, commands.find(' ', method + 8) - method - 8));
    }
    return methods;
}

// A row of a list or combo of the page chosen as the user would: selected,
// then the page told.
SheetStep ChooseRowOnPage(int page, int control, const wchar_t* text)
{
    return [=](HWND sheet) {
        PropSheet_SetCurSel(sheet, nullptr, page);
        HWND window = PropSheet_GetCurrentPageHwnd(sheet);
        HWND box = GetDlgItem(window, control);
        ASSERT_NE(box, nullptr) << control;
        wchar_t kind[16] = {};
        GetClassNameW(box, kind, 16);
        const bool combo = _wcsicmp(kind, L"ComboBox") == 0;
        const LRESULT count = SendMessageW(box, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t row[256] = {};
            SendMessageW(box, combo ? CB_GETLBTEXT : LB_GETTEXT, i, reinterpret_cast<LPARAM>(row));
            const std::wstring shown = row;
            if (shown != text && shown.substr(0, shown.find(L'\t')) != text)
                continue;
            SendMessageW(box, combo ? CB_SETCURSEL : LB_SETCURSEL, i, 0);
            SendMessageW(window, WM_COMMAND, MAKEWPARAM(control, combo ? CBN_SELENDOK : LBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(box));
            return;
        }
        ADD_FAILURE() << "no row " << Narrow(text) << " in " << control;
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

    // One page with a photograph-like picture, printed with the DEVMODE; the
    // job's commands read back.
    std::string PrintPhoto(std::vector<BYTE>& devmode)
    {
        std::wstring error;
        HDC dc = printhost::CreatePrinterDc(name_, reinterpret_cast<DEVMODEW*>(devmode.data()), &error);
        EXPECT_NE(dc, nullptr) << std::string(error.begin(), error.end());
        if (!dc)
            return {};
        const std::wstring jobFile = printhost_test::TempPath(L"sheet_to_job_photo.prn");
        DeleteFileW(jobFile.c_str());
        DOCINFOW doc{sizeof(doc), L"Photo", jobFile.c_str(), nullptr, 0};
        EXPECT_GT(HostStartDocW(dc, &doc), 0);
        EXPECT_GT(HostStartPage(dc), 0);
        constexpr int kSide = 64;
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), kSide, kSide, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        std::vector<BYTE> bits(kSide * kSide * 3);
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) {
                BYTE* pixel = &bits[(y * kSide + x) * 3];
                pixel[0] = BYTE(x * 4);
                pixel[1] = BYTE(y * 4);
                pixel[2] = BYTE((x * y) & 0xFF);
            }
        StretchDIBits(printhost::CurrentDrawingDc(dc), 100, 100, 800, 800, 0, 0, kSide, kSide, bits.data(), &bi,
                      DIB_RGB_COLORS, SRCCOPY);
        EXPECT_GT(HostEndPage(dc), 0);
        EXPECT_GT(HostEndDoc(dc), 0);
        EXPECT_TRUE(HostDeleteDC(dc));
        const std::string bytes = printhost_test::ReadTextFile(jobFile);
        DeleteFileW(jobFile.c_str());
        MorvaListing listing;
        EXPECT_TRUE(
            ReadMorvaJob(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), MorvaReadOptions{}, &listing))
            << listing.error;
        return CommandTexts(listing);
    }

    // A5, long-edge duplex and two pages per sheet, printed: the header, the
    // ticket and the one A5 sheet that holds both pages.
    void ExpectA5DuplexTwoUpJob(std::vector<BYTE>& output)
    {
        MorvaListing listing = PrintTwoPages(output);
        const std::string header = Lines(listing.headerLines);
        const std::string ticket = Lines(listing.trailerLines);
        const std::string commands = CommandTexts(listing);
        const std::string all = header + commands + "\n" + ticket;
        for (const char* line : {"@PJL SET PAPER=11\n", "@PJL SET DUPLEX=2\n"})
            EXPECT_NE(header.find(line), std::string::npos) << line << "\n" << all;
        for (const char* item : {"NUP=2\n", "DUPLEXTYPE=DUPLEX\n"})
            EXPECT_NE(ticket.find(item), std::string::npos) << item << "\n" << all;
        EXPECT_NE(commands.find("Ec code1=1 code2=0 kind=81 width=148 height=210\n"), std::string::npos) << all;
    }

    // The header of the next job an application prints from tray 3.
    std::string HeaderOfATrayThreeJob()
    {
        std::vector<BYTE> devmode = ApplicationDevmode();
        EXPECT_FALSE(devmode.empty());
        if (devmode.empty())
            return {};
        std::vector<uint8_t> record(kSettingsRecordSize, 0);
        std::memcpy(record.data(), devmode.data(), kPrivatePartOffset);
        EXPECT_TRUE(WriteSettingNumber(kFidPaperTray, record.data(), nullptr, 3));
        std::memcpy(devmode.data(), record.data(), kPrivatePartOffset);
        MorvaListing listing = PrintTwoPages(devmode);
        return Lines(listing.headerLines);
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

    ExpectA5DuplexTwoUpJob(output);
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

// The job type page's controls (the page after the fax recipients page).
constexpr int kJobTypePage = 1;
constexpr int kJobTypeBox = 1541;
constexpr int kUserIdEdit = 1551;
constexpr int kDelayHourEdit = 3371;
constexpr int kDelayMinuteEdit = 3374;
constexpr int kPaperSizeBox = 1006;
constexpr int kLandscapeButton = 1009;
constexpr int kDuplexBox = 1022;
constexpr int kPagesPerSheetBox = 1024;

HWND PageControl(HWND sheet, int page, int control)
{
    PropSheet_SetCurSel(sheet, nullptr, page);
    HWND dialog = PropSheet_GetCurrentPageHwnd(sheet);
    return dialog ? GetDlgItem(dialog, control) : nullptr;
}

// A row of a closed combo box chosen with the keyboard: the selection moves
// and the list tells its page of the change.
SheetStep ChooseRow(int page, int control, std::wstring text)
{
    return [=](HWND sheet) {
        HWND combo = PageControl(sheet, page, control);
        ASSERT_NE(combo, nullptr) << control;
        LRESULT row = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(text.c_str()));
        if (row < 0)
            row = SendMessageW(combo, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
        ASSERT_GE(row, 0) << Narrow(text);
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(row), 0);
        SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(control, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    };
}

// Text typed into a field; leaving the field commits it.
SheetStep TypeInto(int page, int control, std::wstring text)
{
    return [=](HWND sheet) {
        HWND edit = PageControl(sheet, page, control);
        ASSERT_NE(edit, nullptr) << control;
        ASSERT_TRUE(IsWindowEnabled(edit)) << control;
        SetWindowTextW(edit, text.c_str());
        SendMessageW(GetParent(edit), WM_COMMAND, MAKEWPARAM(control, EN_KILLFOCUS), reinterpret_cast<LPARAM>(edit));
    };
}

SheetStep Click(int page, int control)
{
    return [=](HWND sheet) {
        HWND button = PageControl(sheet, page, control);
        ASSERT_NE(button, nullptr) << control;
        SendMessageW(button, BM_CLICK, 0, 0);
    };
}

// The setting of the DEVMODE the sheet handed out.
uint32_t OutputSetting(const std::vector<BYTE>& output, uint16_t id)
{
    std::vector<uint8_t> record(kSettingsRecordSize, 0);
    std::memcpy(record.data(), output.data(), kPrivatePartOffset);
    uint32_t value = 0xFFFF;
    ReadSettingNumber(id, record.data(), nullptr, &value);
    return value;
}

// A watermark chosen on the stamps page through its list, as a user picks it:
// the sheet's DEVMODE names it, and each printed page carries its glyphs and
// frame between the watermark brackets after the application's drawing.
TEST_F(SheetToJobTest, WatermarkChosenOnTheStampsPagePrints)
{
    auto properties = InstalledExport<DocumentPropertiesFn>("DrvDocumentProperties");
    ASSERT_NE(properties, nullptr);
    std::vector<BYTE> input = ApplicationDevmode();
    ASSERT_FALSE(input.empty());
    std::vector<BYTE> output(kPrivatePartOffset, 0);
    constexpr int kStampsPage = 3;
    constexpr int kStampList = 1361;
    std::wstring chosen;
    SheetDriver driver("stamps-to-job", {[&](HWND sheet) {
                                             PropSheet_SetCurSel(sheet, nullptr, kStampsPage);
                                             HWND page = PropSheet_GetCurrentPageHwnd(sheet);
                                             HWND list = GetDlgItem(page, kStampList);
                                             ASSERT_NE(list, nullptr);
                                             const LRESULT row = SendMessageW(list, LB_FINDSTRINGEXACT,
                                                                              static_cast<WPARAM>(-1),
                                                                              reinterpret_cast<LPARAM>(L"Urgent"));
                                             ASSERT_GE(row, 0);
                                             SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
                                             SendMessageW(page, WM_COMMAND, MAKEWPARAM(kStampList, LBN_SELCHANGE),
                                                          reinterpret_cast<LPARAM>(list));
                                             CaptureWindowPng(sheet, "stamps_page_in_sheet");
                                             DialogContext* context = PageContext(sheet);
                                             ASSERT_NE(context, nullptr);
                                             const uint64_t name = GetFunctionIdValuePointer(
                                                 context->current->settings, context->current->printerSettings,
                                                 kFidStampName, kTypeString);
                                             if (name)
                                                 chosen = reinterpret_cast<const wchar_t*>(
                                                     static_cast<uintptr_t>(name));
                                         },
                                         PressOk()});
    const LONG answer = properties(nullptr, printer_, name_.data(), reinterpret_cast<DEVMODEW*>(output.data()),
                                   reinterpret_cast<DEVMODEW*>(input.data()), DM_PROMPT | DM_COPY);
    ASSERT_TRUE(driver.visit().found);
    ASSERT_EQ(answer, IDOK);
    EXPECT_EQ(chosen, L"Urgent");
    EXPECT_EQ(boxes_.shown().size(), 0u) << Narrow(ShownTexts());

    MorvaListing listing = PrintTwoPages(output);
    const std::string commands = CommandTexts(listing);
    size_t at = 0;
    for (int page = 0; page < 2; ++page) {
        const size_t start = commands.find("StartPage", at);
        const size_t end = commands.find("EndPage of Logical", start);
        ASSERT_NE(end, std::string::npos) << commands;
        const std::string body = commands.substr(start, end - start);
        const size_t application = body.find("CG x1=100 y1=100");
        // The stamp's colour (0x0033FF) for its text, then its six glyphs
        // ("URGENT"), then its box in the same colour.
        const size_t colour = body.find("AM target=2 format=4 rgb=255,51,0", application);
        const size_t frame = body.find("AM target=1 format=4 rgb=255,51,0", colour);
        ASSERT_NE(application, std::string::npos) << body;
        ASSERT_NE(colour, std::string::npos) << body;
        ASSERT_NE(frame, std::string::npos) << body;
        size_t glyphs = 0;
        for (size_t g = body.find("\nDI ", colour); g != std::string::npos && g < frame;
             g = body.find("\nDI ", g + 1))
            ++glyphs;
        EXPECT_EQ(glyphs, 6u) << body;
        EXPECT_NE(body.find("\nCG ", frame), std::string::npos) << body;
        at = end;
    }
}

// A value chosen in the settings list's combo box: image compression off, so
// that the next job's pictures go uncompressed (method 1), where the
// printer's default codes them.
TEST_F(SheetToJobTest, ValueChosenInTheSettingsListReachesTheNextJob)
{
    constexpr uint16_t kFidImageCompression = 330;
    auto properties = InstalledExport<DocumentPropertiesFn>("DrvDocumentProperties");
    ASSERT_NE(properties, nullptr);
    std::vector<BYTE> input = ApplicationDevmode();
    ASSERT_FALSE(input.empty());
    std::vector<uint8_t> record(kSettingsRecordSize, 0);
    std::memcpy(record.data(), input.data(), kPrivatePartOffset);
    uint32_t compression = 99;
    ASSERT_TRUE(ReadSettingNumber(kFidImageCompression, record.data(), nullptr, &compression));
    ASSERT_NE(compression, 0u);
    const std::vector<std::string> coded = ImageMethods(PrintPhoto(input));
    ASSERT_FALSE(coded.empty());
    EXPECT_NE(std::count(coded.begin(), coded.end(), "1"), static_cast<long>(coded.size()));

    std::vector<BYTE> output(kPrivatePartOffset, 0);
    SheetDriver driver("sheet-to-job-list", {ChooseInSettingsList(L"Image Compression", L"Off"), PressOk()});
    ASSERT_EQ(properties(nullptr, printer_, name_.data(), reinterpret_cast<DEVMODEW*>(output.data()),
                         reinterpret_cast<DEVMODEW*>(input.data()), DM_PROMPT | DM_COPY),
              IDOK);
    ASSERT_TRUE(driver.visit().found);
    std::memcpy(record.data(), output.data(), kPrivatePartOffset);
    ASSERT_TRUE(ReadSettingNumber(kFidImageCompression, record.data(), nullptr, &compression));
    EXPECT_EQ(compression, 0u);
    const std::vector<std::string> plain = ImageMethods(PrintPhoto(output));
    ASSERT_FALSE(plain.empty());
    for (const std::string& method : plain)
        EXPECT_EQ(method, "1");
}

// A user ID typed on the accounting page of the device sheet is the next job's
// job name: the page binds the field to the administrator's user ID when the
// identification kind is 7, and the stored printer settings carry it.
TEST_F(SheetToJobTest, AccountingUserIdTypedOnTheDeviceSheetReachesTheNextJob)
{
    constexpr uint16_t kFidAccountingKind = 5127;
    constexpr uint16_t kFidAccountingUserId = 5121;
    constexpr int kUserIdEdit = 1343;
    auto properties = InstalledExport<PrinterPropertiesFn>("PrinterProperties");
    ASSERT_NE(properties, nullptr);
    std::vector<uint8_t> before;
    uint32_t beforeSize = 0;
    ReadPrinterDataTable(printer_, kPrinterSettingsTable, nullptr, &beforeSize);
    before.resize(beforeSize);
    if (beforeSize == 0 || !ReadPrinterDataTable(printer_, kPrinterSettingsTable, before.data(), &beforeSize))
        before.clear();
    const SheetStep typeUserId = [](HWND sheet) {
        PropSheet_SetCurSel(sheet, nullptr, 0);
        DialogContext* context = PageContext(sheet);
        ASSERT_NE(context, nullptr);
        ASSERT_TRUE(WriteSettingNumber(kFidAccountMode, context->current->settings,
                                       context->current->printerSettings, 0));
        ASSERT_TRUE(WriteSettingNumber(kFidAccountingKind, context->current->settings,
                                       context->current->printerSettings, 7));
        ASSERT_TRUE(WriteSettingNumber(kFidUserNameAllowed, context->current->settings,
                                       context->current->printerSettings, 1));
        // Shown again, the page binds the field to the kind's setting.
        PropSheet_SetCurSel(sheet, nullptr, 1);
        PropSheet_SetCurSel(sheet, nullptr, 0);
        HWND page = PropSheet_GetCurrentPageHwnd(sheet);
        HWND edit = GetDlgItem(page, kUserIdEdit);
        ASSERT_NE(edit, nullptr);
        ASSERT_TRUE(IsWindowEnabled(edit));
        SetFocus(edit);
        SetWindowTextW(edit, L"acct-user");
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(kUserIdEdit, EN_KILLFOCUS), reinterpret_cast<LPARAM>(edit));
        CaptureWindowPng(page, "sheet-to-job-accounting-user-id");
    };
    SheetDriver driver("", {typeUserId, PressOk()});
    EXPECT_TRUE(properties(nullptr, printer_));
    ASSERT_TRUE(driver.visit().found);
    std::vector<uint8_t> stored(kPrinterSettingsRecordSize);
    std::vector<uint8_t> settings(kSettingsRecordSize);
    uint32_t size = kPrinterSettingsRecordSize;
    ASSERT_TRUE(ReadPrinterDataTable(printer_, kPrinterSettingsTable, stored.data(), &size));
    uint16_t type = 0;
    uint32_t bytes = 0;
    uint64_t holder = 0;
    ASSERT_EQ(GetFunctionIdValue(kFidAccountingUserId, settings.data(), stored.data(), &type, &bytes, &holder), 0);
    EXPECT_STREQ(reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(holder)), L"acct-user");
    // Kind 7 also asks the model's device-helper library for a job owner line,
    // and this package carries none: the job is printed with a kind that
    // writes no owner line, which leaves the job name row to show the ID.
    ASSERT_TRUE(WriteSettingNumber(kFidAccountingKind, settings.data(), stored.data(), 2));
    ASSERT_TRUE(WritePrinterDataTable(printer_, stored.data(), size, kPrinterSettingsTable));

    std::vector<BYTE> devmode = ApplicationDevmode();
    ASSERT_FALSE(devmode.empty());
    MorvaListing listing = PrintTwoPages(devmode);
    const std::string header = Lines(listing.headerLines);
    EXPECT_NE(header.find("@PJL SET JOBNAME=\"acct-user\"\n"), std::string::npos) << header;
    // The printer's other tests start from its former record.
    if (!before.empty())
        WritePrinterDataTable(printer_, before.data(), static_cast<uint32_t>(before.size()), kPrinterSettingsTable);
    else
        DeletePrinterDataTable(printer_, kPrinterSettingsTable);
}

// An installable option and the paper of tray 3 chosen on the device options
// page with its own controls, as an administrator does, reach the next job
// that takes tray 3: its header tells the tray, the tray's paper and type, and
// the fitted unit.
TEST_F(SheetToJobTest, DeviceOptionsPageChoicesReachTheNextJobsTray)
{
    auto properties = InstalledExport<PrinterPropertiesFn>("PrinterProperties");
    ASSERT_NE(properties, nullptr);
    MessageBoxScript boxes({IDOK, IDOK});
    SheetDriver driver("", {ChooseRowOnPage(1, 1046, L"Large Capacity Tray Unit"),
                            ChooseRowOnPage(1, 3742, L"Installed"), ChooseRowOnPage(1, 1739, L"Tray 3"),
                            ChooseRowOnPage(1, 1743, L"Letter"), ChooseRowOnPage(1, 1741, L"Recycled"),
                            PressOk()});
    EXPECT_TRUE(properties(nullptr, printer_));
    ASSERT_TRUE(driver.visit().found);
    std::vector<uint8_t> stored(kPrinterSettingsRecordSize);
    uint32_t size = kPrinterSettingsRecordSize;
    ASSERT_TRUE(ReadPrinterDataTable(printer_, kPrinterSettingsTable, stored.data(), &size));
    std::vector<uint8_t> settings(kSettingsRecordSize);
    EXPECT_EQ(SettingNumberOr(kFidLargeCapacityTray, settings.data(), stored.data(), 0), 1u);
    EXPECT_EQ(SettingNumberOr(kFidTray3PaperSize, settings.data(), stored.data(), 0), 1u);
    EXPECT_EQ(SettingNumberOr(kFidTray3PaperType, settings.data(), stored.data(), 0), 2u);

    const std::string header = HeaderOfATrayThreeJob();
    for (const char* line : {"@PJL SET JOBATTR=\"@TRAY=3\"\n", "@PJL SET JOBATTR=\"@T3SZ=1\"\n",
                             "@PJL SET JOBATTR=\"@T3TY=2\"\n", "@PJL SET JOBATTR=\"@LCTU=ON\"\n"})
        EXPECT_NE(header.find(line), std::string::npos) << line << "\n" << header;
}

// The same choices through the pages' own controls, as a user makes them.
TEST_F(SheetToJobTest, ChoicesThroughThePagesControls)
{
    auto properties = InstalledExport<DocumentPropertiesFn>("DrvDocumentProperties");
    ASSERT_NE(properties, nullptr);
    std::vector<BYTE> input = ApplicationDevmode();
    ASSERT_FALSE(input.empty());
    std::vector<BYTE> output(kPrivatePartOffset, 0);
    SheetDriver driver("sheet-controls", {ChooseRow(kJobTypePage, kPaperSizeBox, L"A5"),
                                          ChooseRow(kJobTypePage, kDuplexBox, L"Long Edge"),
                                          ChooseRow(kJobTypePage, kPagesPerSheetBox, L"2"), PressOk()});
    const LONG answer = properties(nullptr, printer_, name_.data(), reinterpret_cast<DEVMODEW*>(output.data()),
                                   reinterpret_cast<DEVMODEW*>(input.data()), DM_PROMPT | DM_COPY);
    ASSERT_TRUE(driver.visit().found);
    ASSERT_EQ(answer, IDOK);
    EXPECT_TRUE(boxes_.shown().empty()) << Narrow(ShownTexts());
    const auto* dm = reinterpret_cast<const DEVMODEW*>(output.data());
    EXPECT_EQ(dm->dmDuplex, kDuplexLongEdge);
    EXPECT_EQ(dm->dmPaperSize, kPaperA5);
    EXPECT_EQ(OutputSetting(output, kFidPagesPerSheet), 2u);

    ExpectA5DuplexTwoUpJob(output);
}

// A delayed job chosen on the page with its time: the next job asks the
// printer to wait for it.
TEST_F(SheetToJobTest, DelayedJobChosenOnThePageReachesTheHeader)
{
    auto properties = InstalledExport<DocumentPropertiesFn>("DrvDocumentProperties");
    ASSERT_NE(properties, nullptr);
    std::vector<BYTE> input = ApplicationDevmode();
    ASSERT_FALSE(input.empty());
    std::vector<BYTE> output(kPrivatePartOffset, 0);
    SheetDriver driver("sheet-delayed", {ChooseRow(kJobTypePage, kJobTypeBox, L"Delayed Print"),
                                         TypeInto(kJobTypePage, kDelayHourEdit, L"21"),
                                         TypeInto(kJobTypePage, kDelayMinuteEdit, L"45"),
                                         Click(kJobTypePage, kLandscapeButton), PressOk()});
    const LONG answer = properties(nullptr, printer_, name_.data(), reinterpret_cast<DEVMODEW*>(output.data()),
                                   reinterpret_cast<DEVMODEW*>(input.data()), DM_PROMPT | DM_COPY);
    ASSERT_TRUE(driver.visit().found);
    ASSERT_EQ(answer, IDOK);
    EXPECT_TRUE(boxes_.shown().empty()) << Narrow(ShownTexts());
    EXPECT_EQ(OutputSetting(output, kFidJobType), 4u);
    EXPECT_EQ(OutputSetting(output, kFidDelayHour), 21u);
    EXPECT_EQ(OutputSetting(output, kFidDelayMinute), 45u);
    EXPECT_EQ(reinterpret_cast<const DEVMODEW*>(output.data())->dmOrientation, DMORIENT_LANDSCAPE);

    MorvaListing listing = PrintTwoPages(output);
    const std::string header = Lines(listing.headerLines);
    const std::string ticket = Lines(listing.trailerLines);
    // The printer starts it today at the time chosen: year:month:day:hour:minute.
    const size_t at = header.find("@PJL SET JOBATTR=\"@DLTM=");
    ASSERT_NE(at, std::string::npos) << header;
    EXPECT_NE(header.find(":21:45\"\n", at), std::string::npos) << header;
    EXPECT_NE(ticket.find("STOREDJOBTYPE=IMMEDIATE\n"), std::string::npos) << ticket;
}

// A stored (proof) job chosen on the page with the user's ID: the next job
// is kept at the printer.
TEST_F(SheetToJobTest, StoredJobChosenOnThePageReachesTheTicket)
{
    auto properties = InstalledExport<DocumentPropertiesFn>("DrvDocumentProperties");
    ASSERT_NE(properties, nullptr);
    std::vector<BYTE> input = ApplicationDevmode();
    ASSERT_FALSE(input.empty());
    std::vector<BYTE> output(kPrivatePartOffset, 0);
    SheetDriver driver("sheet-stored", {ChooseRow(kJobTypePage, kJobTypeBox, L"Proof Print"),
                                        TypeInto(kJobTypePage, kUserIdEdit, L"ANNA"), PressOk()});
    const LONG answer = properties(nullptr, printer_, name_.data(), reinterpret_cast<DEVMODEW*>(output.data()),
                                   reinterpret_cast<DEVMODEW*>(input.data()), DM_PROMPT | DM_COPY);
    ASSERT_TRUE(driver.visit().found);
    ASSERT_EQ(answer, IDOK);
    EXPECT_TRUE(boxes_.shown().empty()) << Narrow(ShownTexts());
    EXPECT_EQ(OutputSetting(output, kFidJobType), 3u);

    MorvaListing listing = PrintTwoPages(output);
    const std::string header = Lines(listing.headerLines);
    const std::string ticket = Lines(listing.trailerLines);
    EXPECT_NE(ticket.find("STOREDJOBTYPE=PERSONALBOX\n"), std::string::npos) << header << "\n" << ticket;
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

namespace {

// The printer query on the device options page, answered by the device-access
// stand-in the reference model names (its file name 6 in the driver
// directory): the unit and tray 3's paper it reports are stored by OK and
// reach the next job that takes tray 3.
TEST_F(SheetToJobTest, PrinterQueryOnTheDeviceSheetReachesTheNextJob)
{
    printhost::InstalledDriver installed;
    std::wstring error;
    ASSERT_TRUE(printhost::FindInstalledDriver(SheetPrinter().driverName(), &installed, &error)) << Narrow(error);
    const std::wstring directory = installed.interfaceDll.substr(0, installed.interfaceDll.find_last_of(L"\\/") + 1);
    ASSERT_TRUE(CopyFileW((printhost_test::BinaryDirectory() + L"\\device_access_standin.dll").c_str(),
                          (directory + L"C4530F6.DAT").c_str(), FALSE));
    const std::wstring script = printhost_test::TempPath(L"query_to_job.script");
    {
        FILE* f = _wfopen(script.c_str(), L"w");
        ASSERT_NE(f, nullptr);
        fputs("open 31\n"
              "string _ZQZADC_NetworkAddress 0 10.0.0.31\n"
              "int FaxCard 0 1\n"
              "bool LargeCapacityTray 0 1\n"
              "trays 1\n"
              "tray 0 215900 279400 Recycled -\n",
              f);
        fclose(f);
    }
    SetEnvironmentVariableW(L"DEVICE_STANDIN_SCRIPT", script.c_str());
    auto properties = InstalledExport<PrinterPropertiesFn>("PrinterProperties");
    ASSERT_NE(properties, nullptr);
    const SheetStep query = [](HWND sheet) {
        PropSheet_SetCurSel(sheet, nullptr, 1);
        HWND page = PropSheet_GetCurrentPageHwnd(sheet);
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(1749, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, 1749)));
        CaptureWindowPng(sheet, "query-to-job-device-sheet");
    };
    SheetDriver driver("", {query, PressOk()});
    EXPECT_TRUE(properties(nullptr, printer_));
    ASSERT_TRUE(driver.visit().found);
    SetEnvironmentVariableW(L"DEVICE_STANDIN_SCRIPT", nullptr);
    DeleteFileW(script.c_str());
    EXPECT_TRUE(boxes_.shown().empty()) << Narrow(ShownTexts());

    std::vector<uint8_t> stored(kPrinterSettingsRecordSize);
    uint32_t size = kPrinterSettingsRecordSize;
    ASSERT_TRUE(ReadPrinterDataTable(printer_, kPrinterSettingsTable, stored.data(), &size));
    std::vector<uint8_t> settings(kSettingsRecordSize);
    EXPECT_EQ(SettingNumberOr(kFidLargeCapacityTray, settings.data(), stored.data(), 0), 1u);
    // Letter is no paper tray 3 lists, but lies within its range: its own size.
    EXPECT_EQ(SettingNumberOr(kFidTray3PaperSize, settings.data(), stored.data(), 0), 275u);
    EXPECT_EQ(SettingNumberOr(6191, settings.data(), stored.data(), 0), 2159u);
    EXPECT_EQ(SettingNumberOr(6206, settings.data(), stored.data(), 0), 2794u);
    // A paper type the model does not name.
    EXPECT_EQ(SettingNumberOr(kFidTray3PaperType, settings.data(), stored.data(), 0), 28u);

    const std::string header = HeaderOfATrayThreeJob();
    for (const char* line : {"@PJL SET JOBATTR=\"@TRAY=3\"\n", "@PJL SET JOBATTR=\"@T3SZ=275\"\n",
                             "@PJL SET JOBATTR=\"@T3TY=28\"\n", "@PJL SET JOBATTR=\"@LCTU=ON\"\n"})
        EXPECT_NE(header.find(line), std::string::npos) << line << "\n" << header;
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
