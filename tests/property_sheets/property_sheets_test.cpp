// The property sheets on a printer of the colour reference model: which pages
// each sheet lists, the sheet instance, and the real sheets shown through the
// project's common property-sheet library (tools/compstui), where OK, Apply
// and Cancel decide what is stored. Each page of each sheet is pictured into
// build/screens.
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/settings/function_ids.h"
#include "common/job/fax_send_list.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/store/printer_data.h"
#include "common/system/module_files.h"
#include "tests/fax/modal_dialog_script.h"
#include "tests/property_sheets/sheet_driver.h"
#include "tests/support/import_patch.h"
#include "tests/support/message_box_script.h"
#include "tests/support/model_printer.h"
#include "ui/engine/dialog_context.h"
#include "ui/fax/fax_dialog_ids.h"
#include "ui/sheets/sheet_callback.h"
#include "ui/sheets/sheet_instance.h"
#include "ui/sheets/sheet_pages.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <prsht.h>
#include <winspool.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr DWORD kPreferencesMode = DM_PROMPT | DM_COPY | DM_USER_DEFAULT;
constexpr DWORD kDocumentMode = DM_PROMPT | DM_COPY;

// The templates of the entries that are pages, in order.
std::vector<uint32_t> PageTemplates(const PageDescriptor* const* tables, size_t count)
{
    std::vector<uint32_t> templates;
    for (size_t i = 0; i < count; ++i)
        if (tables[i]->header)
            templates.push_back(tables[i]->header->templateId);
    return templates;
}

std::vector<uint64_t> EntryCodes(const PageDescriptor* const* tables, size_t count)
{
    std::vector<uint64_t> codes;
    for (size_t i = 0; i < count; ++i)
        codes.push_back(tables[i]->pageKind);
    return codes;
}

struct TableList {
    const PageDescriptor** tables = nullptr;
    size_t count = 0;
    ~TableList() { GlobalFree(tables); }
};

void Fill(TableList* out, int sheetKind, int driverKind, int colourKind, int insertFlag, const UiContext* ui = nullptr)
{
    SheetTableRequest request{sheetKind, driverKind, colourKind, insertFlag, ui};
    out->tables = FillSheetTables(request, &out->count);
    ASSERT_NE(out->tables, nullptr);
    EXPECT_EQ(CountSheetTables(request), out->count);
}

TEST(SheetPageListTest, DefaultDocumentSheetListsTheFaxPageFirst)
{
    TableList list;
    Fill(&list, kSheetKindDocument, 1, 2, 1);
    EXPECT_EQ(PageTemplates(list.tables, list.count), (std::vector<uint32_t>{4000, 4701, 505, 524, 504}));
    EXPECT_EQ(EntryCodes(list.tables, list.count),
              (std::vector<uint64_t>{0, 31, 49, 30, 33, 32, 57, 58, 59, 1, 15, 14, 39, 28, 29, 22, 42, 44, 43, 55, 3,
                                     11, 26, 27, 17, 18, 19, 25, 13, 4, 8, 56}));
}

TEST(SheetPageListTest, DocumentSheetWithoutInsertFlagStartsWithTheJobTypePage)
{
    TableList list;
    Fill(&list, kSheetKindDocument, 1, 2, 0);
    EXPECT_EQ(PageTemplates(list.tables, list.count), (std::vector<uint32_t>{4701, 505, 524, 504}));
}

TEST(SheetPageListTest, ColourKindOneShowsThePlainColourPageWithoutItsSubDialogs)
{
    TableList list;
    Fill(&list, kSheetKindDocument, 1, 1, 1);
    EXPECT_EQ(PageTemplates(list.tables, list.count), (std::vector<uint32_t>{4000, 4701, 537, 524, 504}));
    const std::vector<uint64_t> codes = EntryCodes(list.tables, list.count);
    for (uint64_t gone : {11, 26, 27})
        EXPECT_EQ(std::count(codes.begin(), codes.end(), gone), 0) << gone;
}

TEST(SheetPageListTest, DeviceAndPrintTimeSheets)
{
    TableList device;
    Fill(&device, kSheetKindDevice, 1, 2, 1);
    EXPECT_EQ(PageTemplates(device.tables, device.count), (std::vector<uint32_t>{4702, 503}));
    EXPECT_EQ(EntryCodes(device.tables, device.count), (std::vector<uint64_t>{5, 23, 24, 45, 6}));

    UiContext ui{};
    ui.capabilities.words[0] = 0x2000000;
    TableList alone;
    Fill(&alone, kSheetKindDevice, 1, 2, 0, &ui);
    EXPECT_EQ(EntryCodes(alone.tables, alone.count), (std::vector<uint64_t>{46, 47, 23, 24, 45, 6}));
    EXPECT_EQ(PageTemplates(alone.tables, alone.count), (std::vector<uint32_t>{4703, 503}));

    // The fax page is inserted only into the document sheet.
    TableList printTime;
    Fill(&printTime, kSheetKindPrintTime, 1, 2, 1);
    EXPECT_EQ(PageTemplates(printTime.tables, printTime.count), (std::vector<uint32_t>{4000}));
}

// Driver kinds 3 and 4 have no lists of their own: they show the plain printer's.
TEST(SheetPageListTest, DriverKindsThreeAndFourUseThePlainPrintersLists)
{
    for (int sheetKind : {kSheetKindDocument, kSheetKindDevice, kSheetKindPrintTime}) {
        TableList plain;
        Fill(&plain, sheetKind, 1, 2, 1);
        for (int driverKind : {3, 4}) {
            TableList other;
            Fill(&other, sheetKind, driverKind, 2, 1);
            EXPECT_EQ(EntryCodes(other.tables, other.count), EntryCodes(plain.tables, plain.count))
                << sheetKind << " " << driverKind;
        }
    }
}

TEST(SheetPageListTest, TwentyPagesFitAndTheTwentyFirstIsRefused)
{
    std::vector<const PageDescriptor*> pages(kMaxSheetPages, &DeviceOptionsPage);
    SheetTableRequest request{kSheetKindDevice, 1, 2, 0, nullptr};
    size_t count = 0;
    const PageDescriptor** tables = FillSheetTablesFromList(request, pages.data(), pages.size(), &count);
    ASSERT_NE(tables, nullptr);
    EXPECT_EQ(count, kMaxSheetPages);
    GlobalFree(tables);

    pages.push_back(&DeviceOptionsPage);
    MessageBoxScript script{IDOK};
    ASSERT_TRUE(script.installed());
    EXPECT_EQ(FillSheetTablesFromList(request, pages.data(), pages.size(), &count), nullptr);
    EXPECT_EQ(count, 0u);
    ASSERT_EQ(script.shown().size(), 1u);
    EXPECT_EQ(script.shown()[0].text, L"Tab's number is too large.\n");
    EXPECT_EQ(script.shown()[0].caption, L"local_SetWndInfoList error!");
}

class SheetsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_TAB_CLASSES};
        InitCommonControlsEx(&controls);
        colour_ = OpenSuitePrinter(L"C4530.DDD", L"Morva Sheets C4530");
    }
    static void TearDownTestSuite() { CloseSuitePrinter(colour_); }
    void SetUp() override { ASSERT_TRUE(colour_ && colour_->ok()) << (colour_ ? colour_->error() : L""); }

    HANDLE Printer() const { return colour_->handle(); }
    std::wstring Name() const { return colour_->name(); }

    DOCUMENTPROPERTYHEADER Header(DEVMODEW* out, DWORD mode)
    {
        name_ = Name();
        DOCUMENTPROPERTYHEADER header{};
        header.cbSize = sizeof header;
        header.hPrinter = Printer();
        header.pszPrinterName = name_.data();
        header.pdmOut = out;
        header.fMode = mode;
        return header;
    }

    static ModelPrinter* colour_;
    std::wstring name_;
    // The engine's conflict messages at Apply are closed; they are not what these tests look at.
    MessageBoxScript boxes_;
};

ModelPrinter* SheetsTest::colour_ = nullptr;

// The document sheet's callback, with the instance's settings record taken
// as the store left it.
thread_local std::vector<uint8_t> storedInstance;
thread_local int setResults = 0;

LONG SnoopingDocumentCallback(PROPSHEETUI_INFO* info, LPARAM lParam)
{
    const bool setResult = info && info->Reason == PROPSHEETUI_REASON_SET_RESULT;
    const LONG answer = DocumentSheetCallback(info, lParam);
    if (setResult && info->UserData) {
        ++setResults;
        const uint8_t* settings = SheetSettings(reinterpret_cast<DialogContext*>(info->UserData));
        storedInstance.assign(settings, settings + kPrivatePartOffset);
    }
    return answer;
}

// Wine's spooler keeps no added forms: the one form the test gives the
// spooler is answered by a stand-in of GetFormW.
thread_local std::wstring givenForm;

BOOL WINAPI GivenFormOnly(HANDLE, LPWSTR name, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed)
{
    if (level != 1 || !name || givenForm != name) {
        SetLastError(ERROR_INVALID_FORM_NAME);
        return FALSE;
    }
    const DWORD bytes = static_cast<DWORD>(sizeof(FORM_INFO_1W) + (givenForm.size() + 1) * sizeof(wchar_t));
    *needed = bytes;
    if (!buffer || size < bytes) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    auto* form = reinterpret_cast<FORM_INFO_1W*>(buffer);
    auto* text = reinterpret_cast<wchar_t*>(form + 1);
    std::memcpy(text, givenForm.c_str(), (givenForm.size() + 1) * sizeof(wchar_t));
    form->Flags = FORM_USER;
    form->pName = text;
    form->Size = {123456, 234567};  // thousandths of a millimetre
    form->ImageableArea = {0, 0, 123456, 234567};
    return TRUE;
}

TEST_F(SheetsTest, UserPaperSizesComeFromTheSpoolersForms)
{
    wchar_t name[64] = {};
    ASSERT_TRUE(FormatUserDefinedName(3, name, 64));
    givenForm = name;
    ScopedImportPatch forms("winspool.drv", "GetFormW", reinterpret_cast<void*>(&GivenFormOnly));
    ASSERT_TRUE(forms.active());
    DialogContext* instance = CreateUiSheet(Printer(), nullptr, 0);
    ASSERT_NE(instance, nullptr);
    for (int i = 0; i < 20; ++i) {
        uint32_t width = 0;
        uint32_t length = 0;
        ASSERT_TRUE(ReadSettingNumber(static_cast<uint16_t>(5889 + i), SheetSettings(instance),
                                      SheetPrinterSettings(instance), &width));
        ASSERT_TRUE(ReadSettingNumber(static_cast<uint16_t>(5909 + i), SheetSettings(instance),
                                      SheetPrinterSettings(instance), &length));
        // Truncated to tenths of a millimetre; without a form, A4.
        EXPECT_EQ(width, i == 3 ? 1234u : 2100u) << i;
        EXPECT_EQ(length, i == 3 ? 2345u : 2970u) << i;
    }
    FreeUiSheet(instance);
}

// A compstui that refuses every page.
LONG_PTR CALLBACK RefusingComPropSheet(HANDLE, UINT, LPARAM, LPARAM) { return 0; }

TEST_F(SheetsTest, FailedInitGivesBackEverythingAndDestroyTakesANullInstance)
{
    const uint32_t references = GetResourceModuleCount();
    DEVMODEW* none = nullptr;
    DOCUMENTPROPERTYHEADER header = Header(none, kDocumentMode);
    PROPSHEETUI_INFO info{};
    info.cbSize = sizeof info;
    info.Reason = PROPSHEETUI_REASON_INIT;
    info.pfnComPropSheet = RefusingComPropSheet;
    info.lParamInit = reinterpret_cast<LPARAM>(&header);
    EXPECT_EQ(DocumentSheetCallback(&info, info.lParamInit), -1);
    EXPECT_EQ(info.UserData, 0u);
    EXPECT_EQ(GetResourceModuleCount(), references);
    // COM is not left initialised on the thread: a new initialisation is the first.
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    CoUninitialize();

    info.Reason = PROPSHEETUI_REASON_DESTROY;
    EXPECT_EQ(DocumentSheetCallback(&info, 0), 1);
    EXPECT_EQ(DeviceSheetCallback(&info, 0), 1);
}

TEST_F(SheetsTest, DocumentSheetOkCopiesTheInstancesRecord)
{
    std::vector<uint8_t> out(kPrivatePartOffset, 0xA5);
    DOCUMENTPROPERTYHEADER header = Header(reinterpret_cast<DEVMODEW*>(out.data()), kDocumentMode);
    storedInstance.clear();
    setResults = 0;
    DWORD result = 99;
    LONG answer = 0;
    {
        SheetDriver driver("sheets-document", {PressOk()});
        answer = CallCommonPropertySheetUI(nullptr, SnoopingDocumentCallback, reinterpret_cast<LPARAM>(&header),
                                           &result);
        ASSERT_TRUE(driver.visit().found);
        // The reference model's printer setting 5177 is 0: the fax page comes first.
        EXPECT_EQ(driver.visit().tabs.size(), 5u);
        ASSERT_FALSE(driver.visit().captions.empty());
        EXPECT_NE(driver.visit().captions[0].find(Name()), std::wstring::npos) << driver.visit().captions[0];
    }
    EXPECT_EQ(answer, CPSUI_OK);
    EXPECT_EQ(result, static_cast<DWORD>(CPSUI_OK));
    EXPECT_GE(setResults, 1);
    ASSERT_EQ(storedInstance.size(), out.size());
    EXPECT_EQ(std::memcmp(out.data(), storedInstance.data(), out.size()), 0);
}

TEST_F(SheetsTest, PrintingPreferencesShowTheFaxPageFirst)
{
    std::vector<uint8_t> out(kPrivatePartOffset, 0);
    DOCUMENTPROPERTYHEADER header = Header(reinterpret_cast<DEVMODEW*>(out.data()), kPreferencesMode);
    SheetDriver driver("sheets-preferences", {PressCancel()});
    EXPECT_EQ(ShowDocumentSheet(nullptr, &header, false), CPSUI_CANCEL);
    ASSERT_TRUE(driver.visit().found);
    ASSERT_EQ(driver.visit().tabs.size(), 5u);
    EXPECT_EQ(driver.visit().tabs[0], L"Fax Destinations");
    EXPECT_EQ(driver.visit().tabs[1], L"Basic");
}

TEST_F(SheetsTest, CancelLeavesTheOutputAlone)
{
    std::vector<uint8_t> out(kPrivatePartOffset, 0x5A);
    const std::vector<uint8_t> before = out;
    DOCUMENTPROPERTYHEADER header = Header(reinterpret_cast<DEVMODEW*>(out.data()), kDocumentMode);
    SheetDriver driver("", {PressCancel()});
    EXPECT_EQ(ShowDocumentSheet(nullptr, &header, false), CPSUI_CANCEL);
    ASSERT_TRUE(driver.visit().found);
    EXPECT_EQ(out, before);
}

// An Apply stays valid when the sheet is cancelled afterwards.
TEST_F(SheetsTest, ApplyThenCancelKeepsTheApply)
{
    std::vector<uint8_t> out(kPrivatePartOffset, 0x5A);
    DOCUMENTPROPERTYHEADER header = Header(reinterpret_cast<DEVMODEW*>(out.data()), kDocumentMode);
    SheetDriver driver("", {ApplyNow(), PressCancel()});
    EXPECT_EQ(ShowDocumentSheet(nullptr, &header, false), CPSUI_OK);
    ASSERT_TRUE(driver.visit().found);
    EXPECT_EQ(reinterpret_cast<DEVMODEW*>(out.data())->dmSize, kPublicDevmodeSize);
    EXPECT_EQ(reinterpret_cast<DEVMODEW*>(out.data())->dmDriverExtra, kPrivatePartOffset - kPublicDevmodeSize);
}

TEST_F(SheetsTest, DeviceSheetOpensAndStores)
{
    DEVICEPROPERTYHEADER header{};
    header.cbSize = sizeof header;
    header.hPrinter = Printer();
    header.pszPrinterName = name_.data();
    DWORD result = 0;
    SheetDriver driver("sheets-device", {PressOk()});
    EXPECT_EQ(CallCommonPropertySheetUI(nullptr, DeviceSheetCallback, reinterpret_cast<LPARAM>(&header), &result),
              CPSUI_OK);
    ASSERT_TRUE(driver.visit().found);
    ASSERT_EQ(driver.visit().tabs.size(), 2u);
    EXPECT_EQ(driver.visit().tabs[1], ResourceString(4623));
    EXPECT_EQ(result, static_cast<DWORD>(CPSUI_OK));
}

TEST_F(SheetsTest, PrinterPropertiesShowTheDeviceSheet)
{
    SheetDriver driver("", {PressCancel()});
    EXPECT_FALSE(ShowPrinterProperties(nullptr, Printer()));
    ASSERT_TRUE(driver.visit().found);
    EXPECT_EQ(driver.visit().tabs.size(), 2u);
}

// A header without permission makes a read-only sheet.
thread_local uint32_t seenPermission = 99;

LONG PermissionSnoop(PROPSHEETUI_INFO* info, LPARAM lParam)
{
    const LONG answer = DeviceSheetCallback(info, lParam);
    if (info && info->Reason == PROPSHEETUI_REASON_INIT && info->UserData)
        seenPermission = reinterpret_cast<DialogContext*>(info->UserData)->ui->permission;
    return answer;
}

TEST_F(SheetsTest, DeviceSheetWithoutPermissionIsReadOnly)
{
    for (WORD flags : {WORD{0}, WORD{DPS_NOPERMISSION}}) {
        DEVICEPROPERTYHEADER header{};
        header.cbSize = sizeof header;
        header.hPrinter = Printer();
        header.Flags = flags;
        seenPermission = 99;
        DWORD result = 0;
        SheetDriver driver("", {PressCancel()});
        CallCommonPropertySheetUI(nullptr, PermissionSnoop, reinterpret_cast<LPARAM>(&header), &result);
        EXPECT_EQ(seenPermission, flags ? 0u : 1u);
    }
}

TEST_F(SheetsTest, DeviceStoreIsSkippedWhenTheStoredRecordIsNewer)
{
    DialogContext* instance = CreateUiSheet(Printer(), nullptr, 0);
    ASSERT_NE(instance, nullptr);
    instance->ui->settings = OpenSettingsContext(Printer());
    ASSERT_NE(instance->ui->settings, nullptr);
    instance->ui->permission = 1;
    uint8_t* own = SheetPrinterSettings(instance);
    uint32_t ownVersion = 0;
    ASSERT_TRUE(ReadSettingNumber(kFidPrinterPrivateVersion, SheetSettings(instance), own, &ownVersion));

    // A record one version newer than the instance's is stored: it stays.
    std::vector<uint8_t> newer(own, own + kPrinterSettingsRecordSize);
    ASSERT_TRUE(WriteSettingNumber(kFidPrinterPrivateVersion, SheetSettings(instance), newer.data(), ownVersion + 1));
    ASSERT_TRUE(WriteSettingNumber(4103, SheetSettings(instance), own, 1) || true);
    ASSERT_TRUE(WritePrinterDataTable(Printer(), newer.data(), kPrinterSettingsRecordSize, kPrinterSettingsTable));
    EXPECT_EQ(StoreDeviceSheetSettings(instance), 1);
    std::vector<uint8_t> stored(kPrinterSettingsRecordSize);
    uint32_t size = kPrinterSettingsRecordSize;
    ASSERT_TRUE(ReadPrinterDataTable(Printer(), kPrinterSettingsTable, stored.data(), &size));
    EXPECT_EQ(stored, newer);

    // The same version is overwritten with the instance's record.
    std::vector<uint8_t> same(own, own + kPrinterSettingsRecordSize);
    std::memset(same.data() + kPrinterSettingsRecordSize - 64, 0x33, 16);
    ASSERT_TRUE(WritePrinterDataTable(Printer(), same.data(), kPrinterSettingsRecordSize, kPrinterSettingsTable));
    EXPECT_EQ(StoreDeviceSheetSettings(instance), 1);
    size = kPrinterSettingsRecordSize;
    ASSERT_TRUE(ReadPrinterDataTable(Printer(), kPrinterSettingsTable, stored.data(), &size));
    EXPECT_NE(stored, same);
    FreeUiSheet(instance);
}

}  // namespace

namespace {

// The printer's data refuses the write test of PrinterProperties (and only it).
using SetPrinterDataFn = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, LPBYTE, DWORD);
SetPrinterDataFn realSetPrinterData = nullptr;

DWORD WINAPI RefusePermissionValue(HANDLE printer, LPWSTR name, DWORD type, LPBYTE data, DWORD size)
{
    if (name && lstrcmpW(name, L"Permission") == 0)
        return ERROR_ACCESS_DENIED;
    return realSetPrinterData(printer, name, type, data, size);
}

// A page's choice written into the sheet's current records, as its control would.
SheetStep ChooseOnPage(int page, uint16_t setting, uint32_t value)
{
    return [=](HWND sheet) {
        PropSheet_SetCurSel(sheet, nullptr, page);
        HWND window = PropSheet_GetCurrentPageHwnd(sheet);
        auto* context = reinterpret_cast<DialogContext*>(GetWindowLongPtrW(window, DWLP_USER));
        ASSERT_NE(context, nullptr);
        ASSERT_TRUE(WriteSettingNumber(setting, context->current->settings, context->current->printerSettings, value));
    };
}

uint32_t StoredPrinterSetting(HANDLE printer, uint16_t setting)
{
    std::vector<uint8_t> stored(kPrinterSettingsRecordSize);
    std::vector<uint8_t> settings(kSettingsRecordSize);
    uint32_t size = kPrinterSettingsRecordSize;
    uint32_t value = 99;
    if (!ReadPrinterDataTable(printer, kPrinterSettingsTable, stored.data(), &size) ||
        !ReadSettingNumber(setting, settings.data(), stored.data(), &value))
        return 99;
    return value;
}

// A printer whose data cannot be written gets a read-only device sheet: what
// its pages hold is not stored.
TEST_F(SheetsTest, PrinterPropertiesOnAPrinterThatCannotWriteStoreNothing)
{
    constexpr uint16_t kOption = 4114;
    const uint32_t before = StoredPrinterSetting(Printer(), kOption);
    ASSERT_NE(before, 99u);
    {
        ScopedImportPatch refuse("winspool.drv", "SetPrinterDataW", reinterpret_cast<void*>(&RefusePermissionValue));
        ASSERT_TRUE(refuse.active());
        realSetPrinterData = reinterpret_cast<SetPrinterDataFn>(refuse.original());
        SheetDriver driver("sheets-device-read-only", {ChooseOnPage(1, kOption, before ? 0 : 1), PressOk()});
        ShowPrinterProperties(nullptr, Printer());
        ASSERT_TRUE(driver.visit().found);
    }
    EXPECT_EQ(StoredPrinterSetting(Printer(), kOption), before);

    // With the write test passing, the same choice is stored.
    SheetDriver driver("", {ChooseOnPage(1, kOption, before ? 0 : 1), PressOk()});
    EXPECT_TRUE(ShowPrinterProperties(nullptr, Printer()));
    EXPECT_EQ(StoredPrinterSetting(Printer(), kOption), before ? 0u : 1u);
    // Put back as it was for the other tests.
    SheetDriver back("", {ChooseOnPage(1, kOption, before), PressOk()});
    ShowPrinterProperties(nullptr, Printer());
}

// The print-time sheet: its fax destinations go to a fax address file that
// setting 375 names, and the whole settings record goes out.
TEST_F(SheetsTest, PrintTimeSheetWritesTheFaxAddressFile)
{
    std::vector<uint8_t> out(kSettingsRecordSize, 0);
    DOCUMENTPROPERTYHEADER header = Header(reinterpret_cast<DEVMODEW*>(out.data()), DM_PROMPT | DM_COPY);
    // The recipients page lets the sheet go only with a recipient: one is
    // typed and added through the page's own controls.
    const SheetStep addRecipient = [](HWND sheet) {
        HWND page = PropSheet_GetCurrentPageHwnd(sheet);
        TypeText(page, kRecipientAddressEdit, L"0312345678", kRecipientNameEdit);
        TypeText(page, kRecipientNameEdit, L"Smith", kRecipientAddressEdit);
        ClickButton(page, kRecipientAddButton);
    };
    SheetDriver driver("sheets-print-time", {addRecipient, PressOk()});
    EXPECT_EQ(ShowDocumentSheet(nullptr, &header, true), CPSUI_OK);
    ASSERT_TRUE(driver.visit().found);
    ASSERT_EQ(driver.visit().tabs.size(), 1u);
    EXPECT_EQ(driver.visit().tabs[0], L"Fax Destinations");
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    ASSERT_EQ(GetFunctionIdValue(kFidFaxAddressFile, out.data(), nullptr, &type, &size, &holder), 0);
    const std::wstring file = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(holder));
    ASSERT_FALSE(file.empty());
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data));
    // The header and the one recipient added.
    EXPECT_GT(data.nFileSizeLow, kFaxSendListHeaderBytes);
    DeleteFileW(file.c_str());
    EXPECT_EQ(reinterpret_cast<DEVMODEW*>(out.data())->dmSize, kPublicDevmodeSize);
}

}  // namespace
