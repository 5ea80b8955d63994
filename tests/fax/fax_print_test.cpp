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
