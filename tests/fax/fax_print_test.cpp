// From the dialogs to the job: the options of a recipient chosen in the
// recipient options dialog go into the recipient the page adds, the page's
// destinations are written as the job's fax address file, and a document
// printed on a printer of the fax model through both libraries carries them in
// its fax destination lines, read back whole.
#include "tests/docevent/docevent_fixture.h"

#include "common/job/fax_send_list.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "printhost/host_dc.h"
#include "printhost/install.h"
#include "tests/fax/fax_test_records.h"
#include "tests/fax/modal_dialog_script.h"
#include "tests/support/settings_pair_fixture.h"
#include "tests/support/window_capture.h"
#include "tools/morva_reader/morva_reader.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/dialog_tables.h"
#include "ui/engine/ui_context.h"
#include "ui/fax/fax_destinations.h"
#include "ui/fax/fax_dialog_ids.h"
#include "ui/fax/fax_setting_ids.h"
#include "ui/fax/fax_ui_state.h"
#include "ui/fax/recipient_options.h"
#include "ui/fax/recipients_page_logic.h"
#include "common/context/value_by_type.h"
#include "tests/property_sheets/sheet_driver.h"
#include "tests/support/message_box_script.h"
#include "ui/fax/cover_sheet_dialog.h"
#include "ui/fax/cover_sheet_ids.h"
#include "ui/docevent/fax_send_list.h"
#include "ui/fax/fax_user_lists.h"
#include "ui/fax/sender_dialog.h"
#include "ui/fax/sender_information.h"
#include "ui/fax/small_fax_dialogs.h"
#include <prsht.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <winspool.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr uint16_t kFidJobHeader = 1333;

struct FaxPrinter {
    std::wstring port = printhost_test::TempPath(L"fax46_port.prn");
    printhost_test::InstalledPrinter printer{
        printhost_test::ModelDriverPackage(printhost_test::UniqueName(L"Morva Fax46 Driver"), L"morvaui.dll",
                                           printhost_test::ReferenceModel::kFax),
        L"Morva Fax46", port};
};

FaxPrinter& SharedFaxPrinter()
{
    static FaxPrinter* printer = new FaxPrinter;
    return *printer;
}

// The fax printer's DEVMODE naming the address file and its recipient count;
// one job header for all destinations.
std::vector<unsigned char> FaxDevmode(const std::wstring& addressFile, uint32_t count)
{
    std::vector<unsigned char> devmode = printhost::ApplicationDevmode(SharedFaxPrinter().printer.printerName());
    if (devmode.size() < kPrivatePartOffset)
        return {};
    const struct {
        uint16_t id;
        uint32_t value;
    } numbers[] = {{kFidFaxRecipientCount, count}, {kFidFaxInformationPage, 0}, {kFidFaxOneHeader, 1},
                   {kFidJobHeader, 1}};
    for (const auto& n : numbers) {
        uint16_t type = 0;
        uint32_t size = 0;
        uint64_t holder = 0;
        if (GetFunctionIdValue(n.id, devmode.data(), nullptr, &type, &size, &holder) != 0 ||
            SetFunctionIdValueWord(devmode.data(), nullptr, n.id, type, size, n.value) != 0)
            return {};
    }
    if (SetFunctionIdValueArgs(devmode.data(), nullptr, kFidFaxAddressFile, kTypeString,
                               static_cast<uint32_t>((addressFile.size() + 1) * sizeof(wchar_t)),
                               addressFile.c_str()) != 0)
        return {};
    return devmode;
}

// Prints two pages; the header lines of the job read back whole.
std::string PrintAndReadHeader(const std::wstring& addressFile, uint32_t count, std::string* error)
{
    std::vector<unsigned char> devmode = FaxDevmode(addressFile, count);
    if (devmode.empty()) {
        *error = "no DEVMODE";
        return {};
    }
    std::wstring dcError;
    HDC dc = printhost::CreatePrinterDc(SharedFaxPrinter().printer.printerName(),
                                        reinterpret_cast<DEVMODEW*>(devmode.data()), &dcError);
    if (!dc) {
        *error = std::string(dcError.begin(), dcError.end());
        return {};
    }
    const std::wstring jobFile = printhost_test::TempPath(L"fax46_job.prn");
    DeleteFileW(jobFile.c_str());
    DOCINFOW doc{sizeof(doc), L"Fax document", jobFile.c_str(), nullptr, 0};
    HostStartDocW(dc, &doc);
    for (int page = 0; page < 2; ++page) {
        HostStartPage(dc);
        Rectangle(printhost::CurrentDrawingDc(dc), 100, 100, 600, 400 + page * 100);
        HostEndPage(dc);
    }
    HostEndDoc(dc);
    HostDeleteDC(dc);
    const std::string bytes = printhost_test::ReadTextFile(jobFile);
    DeleteFileW(jobFile.c_str());
    MorvaListing listing;
    if (bytes.empty() ||
        !ReadMorvaJob(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), MorvaReadOptions{}, &listing)) {
        *error = bytes.empty() ? "no job" : listing.error;
        return {};
    }
    std::string header;
    for (const std::string& line : listing.headerLines)
        header += line + "\n";
    return header;
}

const PageDescriptor* const kDialogs[] = {&RecipientOptionsDialog};

}  // namespace

class FaxDialogsToJob : public SettingsPairTest {
protected:
    static void SetUpTestSuite()
    {
        const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        printer_s = OpenSuitePrinter(L"F1800.DDD", L"Morva Fax Dialogs To Job");
    }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_s); }
    void SetUp() override { Open(printer_s); }
    static ModelPrinter* printer_s;
};
ModelPrinter* FaxDialogsToJob::printer_s = nullptr;

TEST_F(FaxDialogsToJob, OptionsChosenInTheDialogReachTheFaxLines)
{
    ASSERT_TRUE(SharedFaxPrinter().printer.ok());
    // The recipient typed on the page: a fax number.
    Set(kFidRecipientKind, 0);
    SetText(kFidRecipientAddress, L"0312345678");
    SetText(kFidRecipientName, L"Smith");

    // Its options chosen in the options dialog.
    UiContext ui{};
    ui.printer = Printer();
    ui.settings = context_;
    ui.permission = 1;
    ui.tables = CreateDialogTableSet(kDialogs, std::size(kDialogs));
    ASSERT_NE(ui.tables, nullptr);
    SettingsSet set{settings_.data(), printer_settings_.data()};
    DialogContext* dialog = CreateDialogContext(nullptr, &ui, &set, nullptr);
    ASSERT_NE(dialog, nullptr);
    const INT_PTR result = RunModalDialog(GetResourceModule(), kRecipientOptionsTemplate, RecipientOptionsDialogProc,
                                          reinterpret_cast<LPARAM>(dialog), nullptr, [](HWND window) {
                                              TypeText(window, kRecipientFCode, L"77", kRecipientFCodePassword);
                                              TypeText(window, kRecipientFCodePassword, L"4321", kRecipientFCode);
                                              CaptureWindowPng(window, "fax_options_to_job");
                                              ClickButton(window, kFaxOkButton);
                                          });
    ASSERT_EQ(result, IDOK);

    // The page adds the typed recipient with those options to the list.
    FaxRecipientRecord typed{};
    ASSERT_EQ(BuildRecipientFromEntry(dialog->current->settings, dialog->current->printerSettings, &typed), 1);
    FreeDialogContext(&dialog);
    ReleaseFaxUiState(&ui);
    FreeDialogTableSet(ui.tables);
    EXPECT_STREQ(typed.field5, L"77");
    DestinationsPtr record(CreateFaxDestinations());
    ASSERT_TRUE(AddTo(record.get(), typed));
    ASSERT_TRUE(AddTo(record.get(), Recipient(kRecipientFaxNumber, L"0399990000", L"Jones")));

    // The page's destinations written as the job's fax address file.
    const std::wstring addressFile = printhost_test::TempPath(L"fax46_addresses.tmp");
    HANDLE file = CreateFileW(addressFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    ASSERT_EQ(WriteFaxSendListFile(nullptr, nullptr, addressFile.c_str(), record.get()), 1);

    std::string error;
    const std::string header = PrintAndReadHeader(addressFile, 2, &error);
    ASSERT_EQ(error, "");
    // One destination line each, in the list's order; the first with its options.
    const size_t first = header.find("@FANU=0312345678");
    const size_t second = header.find("@FANU=0399990000");
    ASSERT_NE(first, std::string::npos) << header;
    ASSERT_NE(second, std::string::npos) << header;
    EXPECT_LT(first, second);
    const std::string firstLine = header.substr(first, header.find('\n', first) - first);
    EXPECT_NE(firstLine.find("{577}"), std::string::npos) << firstLine;
    EXPECT_NE(firstLine.find("{64321}"), std::string::npos) << firstLine;
    const std::string secondLine = header.substr(second, header.find('\n', second) - second);
    EXPECT_EQ(secondLine.find("{5"), std::string::npos) << secondLine;
    DeleteFileW(addressFile.c_str());
}

namespace {

// The glyph ids of an ANSI text as the listing shows them.
std::string Ids(const std::string& text)
{
    std::string ids;
    for (unsigned char c : text)
        ids += (ids.empty() ? "" : ",") + std::to_string(c);
    return ids;
}

size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

void Pump()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

const PageDescriptor* const kCoverDialogs[] = {&CoverSheetDialog, &CoverFormsDialog, &SenderInfoDialog,
                                               &FaxNoticeDialog};

// The "ZQF" temporary files in the temporary folder.
int CountSampleTempFiles()
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((std::wstring(folder) + L"ZQF*.tmp").c_str(), &found);
    int n = 0;
    if (search != INVALID_HANDLE_VALUE) {
        do
            ++n;
        while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return n;
}

struct ReadBackJob {
    std::string header, commands, error;
};

ReadBackJob ReadJobFile(const std::wstring& path)
{
    ReadBackJob job;
    const std::string bytes = printhost_test::ReadTextFile(path);
    if (bytes.empty()) {
        job.error = "no job";
        return job;
    }
    MorvaListing listing;
    if (!ReadMorvaJob(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), MorvaReadOptions{}, &listing))
        job.error = listing.error.empty() ? "not read" : listing.error;
    for (const std::string& line : listing.headerLines)
        job.header += line + "\n";
    job.commands = CommandTexts(listing);
    return job;
}

}  // namespace

// A fax whose cover sheet was chosen in the cover-sheet dialog (a form, the
// subject, a stored sender) prints its information page with the sender's
// and the recipient's texts and the subject.
TEST_F(FaxDialogsToJob, CoverSheetChosenInTheDialogPrintsItsInformationPage)
{
    ASSERT_TRUE(SharedFaxPrinter().printer.ok());
    wchar_t senderKey[kFaxKeyPathChars] = {};
    ASSERT_EQ(BuildSenderKeyPathFor(context_->main, senderKey, kFaxKeyPathChars), 1);
    SenderEntry sender{};
    std::wcscpy(sender.sender.name, L"Ann");
    std::wcscpy(sender.sender.text2, L"MORVA PRINTING");
    std::wcscpy(sender.sender.text4, L"0201234567");
    sender.confirmed = 1;
    ASSERT_EQ(WriteSenderEntries(senderKey, kSenderPrefix, &sender, 1), 1);
    const std::wstring form = printhost_test::TempPath(L"COVER.CSF");
    HANDLE formFile = CreateFileW(form.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(formFile, INVALID_HANDLE_VALUE);
    CloseHandle(formFile);
    SetText(1830, form.c_str());

    UiContext ui{};
    ui.printer = Printer();
    ui.settings = context_;
    ui.permission = 1;
    ui.tables = CreateDialogTableSet(kCoverDialogs, std::size(kCoverDialogs));
    ASSERT_NE(ui.tables, nullptr);
    SettingsSet set{settings_.data(), printer_settings_.data()};
    DialogContext* dialog = CreateDialogContext(nullptr, &ui, &set, nullptr);
    ASSERT_NE(dialog, nullptr);
    if (!dialog->current->fax)
        dialog->current->fax = CreateFaxDestinations();
    ASSERT_TRUE(AddTo(dialog->current->fax, Recipient(kRecipientFaxNumber, L"0312345678", L"SMITH")));
    const INT_PTR result = RunModalDialog(
        GetResourceModule(), kCoverSheetTemplate, CoverSheetDialogProc, reinterpret_cast<LPARAM>(dialog), nullptr,
        [](HWND window) {
            Pump();
            HWND choice = GetDlgItem(window, kCoverChoiceList);
            SendMessageW(choice, CB_SETCURSEL, 1, 0);
            SendMessageW(window, WM_COMMAND, MAKEWPARAM(kCoverChoiceList, CBN_SELENDOK),
                         reinterpret_cast<LPARAM>(choice));
            HWND senders = GetDlgItem(window, kCoverSenderList);
            SendMessageW(senders, CB_SETCURSEL, 0, 0);
            SendMessageW(window, WM_COMMAND, MAKEWPARAM(kCoverSenderList, CBN_SELENDOK),
                         reinterpret_cast<LPARAM>(senders));
            TypeText(window, kCoverLineEdit, L"QUARTERLY FIGURES", kCoverBodyEdit);
            Pump();
            CaptureWindowPng(window, "fax_cover_sheet_to_job");
            ClickButton(window, kFaxOkButton);
        });
    ASSERT_EQ(result, IDOK);
    void* chosen = dialog->current->settings;
    void* chosenPrinter = dialog->current->printerSettings;
    EXPECT_EQ(SettingNumberOr(kFidFaxCoverForm, chosen, chosenPrinter, 0), 1u);
    EXPECT_STREQ(dialog->current->fax->headerText1, L"QUARTERLY FIGURES");

    // The job's fax address file from the dialog's destinations, the job's
    // settings from its choices.
    const std::wstring addressFile = printhost_test::TempPath(L"fax47_addresses.tmp");
    HANDLE file = CreateFileW(addressFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    ASSERT_EQ(WriteFaxSendListFile(nullptr, nullptr, addressFile.c_str(), dialog->current->fax), 1);
    std::vector<unsigned char> devmode = FaxDevmode(addressFile, 1);
    ASSERT_FALSE(devmode.empty());
    ASSERT_TRUE(WriteSettingNumber(kFidFaxInformationPage, devmode.data(), nullptr, 1));
    ASSERT_TRUE(WriteSettingNumber(kFidFaxCoverForm, devmode.data(), nullptr,
                                   SettingNumberOr(kFidFaxCoverForm, chosen, chosenPrinter, 0)));
    for (uint16_t id : {kFidSenderName, kFidSenderText2, kFidSenderLines, kFidSenderText4, kFidSenderText5,
                        kFidSenderMail, uint16_t{1830}}) {
        const auto* text = reinterpret_cast<const wchar_t*>(
            static_cast<uintptr_t>(GetFunctionIdValuePointer(chosen, chosenPrinter, id, kTypeString)));
        const std::wstring value = text ? text : L"";
        ASSERT_EQ(SetFunctionIdValueArgs(devmode.data(), nullptr, id, kTypeString,
                                         static_cast<uint32_t>((value.size() + 1) * sizeof(wchar_t)), value.c_str()),
                  0)
            << id;
    }
    FreeDialogContext(&dialog);
    ReleaseFaxUiState(&ui);
    FreeDialogTableSet(ui.tables);
    // The job's private settings travel in its document-property file, as
    // the sheet hands them on.
    const std::wstring propertyFile = printhost_test::TempPath(L"fax47_properties.tmp");
    HANDLE properties = CreateFileW(propertyFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(properties, INVALID_HANDLE_VALUE);
    CloseHandle(properties);
    ASSERT_EQ(SetFunctionIdValueArgs(devmode.data(), nullptr, kFidDocPropertyFile, kTypeString,
                                     static_cast<uint32_t>((propertyFile.size() + 1) * sizeof(wchar_t)),
                                     propertyFile.c_str()),
              0);
    FaxStoreBlobs blobs{};
    blobs.privatePart = devmode.data() + kPrivatePartOffset;
    ASSERT_NE(StoreFaxSendList(nullptr, context_, propertyFile.c_str(), 1, nullptr, blobs), 0);

    std::wstring dcError;
    HDC dc = printhost::CreatePrinterDc(SharedFaxPrinter().printer.printerName(),
                                        reinterpret_cast<DEVMODEW*>(devmode.data()), &dcError);
    ASSERT_NE(dc, nullptr);
    const std::wstring jobFile = printhost_test::TempPath(L"fax47_job.prn");
    DeleteFileW(jobFile.c_str());
    DOCINFOW doc{sizeof(doc), L"Fax with cover sheet", jobFile.c_str(), nullptr, 0};
    EXPECT_GT(HostStartDocW(dc, &doc), 0);
    EXPECT_GT(HostStartPage(dc), 0);
    Rectangle(printhost::CurrentDrawingDc(dc), 100, 100, 600, 400);
    HostEndPage(dc);
    EXPECT_GT(HostEndDoc(dc), 0);
    HostDeleteDC(dc);
    const ReadBackJob job = ReadJobFile(jobFile);
    DeleteFileW(jobFile.c_str());
    DeleteFileW(addressFile.c_str());
    DeleteFileW(form.c_str());
    DeleteFileW(propertyFile.c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, senderKey);
    RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(senderKey) + L"2").c_str());
    ASSERT_EQ(job.error, "") << job.header << job.commands;
    // The information page ahead of the document's page, with the texts.
    EXPECT_EQ(Count(job.commands, "StartPage"), 2u) << job.commands;
    for (const char* text : {"MORVA PRINTING", "0201234567", "SMITH", "0312345678", "QUARTERLY FIGURES"})
        EXPECT_NE(job.commands.find("ids=[" + Ids(text) + "]"), std::string::npos) << text << "\n" << job.commands;
}

// The sample print of the cover-sheet dialog, from inside the interface
// library whose sheet the printer shows: its own printer DC goes through the
// print host as a printer DC does on Windows, and the device gets a job of one
// page, the cover sheet of the one destination, sent to the printer's port.
TEST_F(FaxDialogsToJob, SamplePrintOfTheCoverSheetDialogIsAOnePageJob)
{
    FaxPrinter& printer = SharedFaxPrinter();
    ASSERT_TRUE(printer.printer.ok());
    printhost::InstalledDriver installed;
    std::wstring error;
    ASSERT_TRUE(printhost::FindPrinterDriver(printer.printer.printerName(), &installed, &error));
    HMODULE library = printhost::LoadInterfaceLibrary(installed.interfaceDll);
    ASSERT_NE(library, nullptr);
    using DocumentPropertiesFn = LONG(WINAPI*)(HWND, HANDLE, LPWSTR, PDEVMODEW, PDEVMODEW, DWORD);
    auto properties = reinterpret_cast<DocumentPropertiesFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "DrvDocumentProperties")));
    ASSERT_NE(properties, nullptr);
    std::wstring name = printer.printer.printerName();
    HANDLE handle = nullptr;
    ASSERT_TRUE(OpenPrinterW(name.data(), &handle, nullptr));
    std::vector<unsigned char> input = printhost::ApplicationDevmode(name);
    ASSERT_FALSE(input.empty());
    std::vector<BYTE> output(kSettingsRecordSize + 64, 0);
    DeleteFileW(printer.port.c_str());
    const int tempFilesBefore = CountSampleTempFiles();

    MessageBoxScript boxes({IDOK});
    bool coverShown = false;
    SheetDriver driver("fax-cover-sample", {[&](HWND sheet) {
                                                 PropSheet_SetCurSel(sheet, nullptr, 0);
                                                 HWND page = PropSheet_GetCurrentPageHwnd(sheet);
                                                 ASSERT_NE(GetDlgItem(page, kCoverSheetButton), nullptr);
                                                 ScriptNextModalDialog(
                                                     [&] { ClickButton(page, kCoverSheetButton); },
                                                     [&](HWND cover) {
                                                         coverShown = true;
                                                         Pump();
                                                         TypeText(cover, kCoverLineEdit, L"SAMPLE SUBJECT",
                                                                  kCoverBodyEdit);
                                                         ClickButton(cover, kCoverSampleButton);
                                                         ClickButton(cover, kFaxCancelButton);
                                                     });
                                             },
                                             PressCancel()});
    properties(nullptr, handle, name.data(), reinterpret_cast<DEVMODEW*>(output.data()),
               reinterpret_cast<DEVMODEW*>(input.data()), DM_PROMPT | DM_COPY);
    ClosePrinter(handle);
    FreeLibrary(library);
    ASSERT_TRUE(driver.visit().found);
    ASSERT_TRUE(coverShown);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_NE(boxes.shown()[0].text.find(printer.port), std::wstring::npos) << boxes.shown()[0].text;

    const ReadBackJob job = ReadJobFile(printer.port);
    DeleteFileW(printer.port.c_str());
    ASSERT_EQ(job.error, "") << job.header << job.commands;
    EXPECT_EQ(Count(job.commands, "StartPage"), 1u) << job.commands;
    EXPECT_NE(job.commands.find("ids=[" + Ids("SAMPLE SUBJECT") + "]"), std::string::npos) << job.commands;
    // Both temporary files of the sample are gone.
    EXPECT_EQ(CountSampleTempFiles(), tempFilesBefore);
}
