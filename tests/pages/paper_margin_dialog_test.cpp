// The paper margin dialog in real windows on the colour reference model:
// custom margins off leaves the fields read-only and stores nothing; a margin
// below the field's minimum is refused with both limits; Defaults then OK
// empties the store before the default margins go in; the margins go to the
// user's store when the dialog was opened from the printing-preferences
// window and to the printer data otherwise; a store that fails keeps the
// dialog open; the landscape icons. Pictures go to build/screens.
#include "ui/pages/paper_margin_dialog.h"

#include "common/context/option_list.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/model/model_data.h"
#include "common/settings/function_ids.h"
#include "common/store/paper_margins.h"
#include "common/system/module_files.h"
#include "tests/fax/modal_dialog_script.h"
#include "tests/support/dialog_suite_fixture.h"
#include "tests/support/import_patch.h"
#include "tests/support/message_box_script.h"
#include "tests/support/spooler_fixture.h"
#include "tests/support/window_capture.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/ui_context.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <prsht.h>
#include <winspool.h>

#include <iterator>
#include <string>

namespace {

const PageDescriptor* const kDialogs[] = {&PaperMarginDialog};
constexpr uint16_t kPaperA4 = 9;

std::wstring ResourceString(UINT id)
{
    wchar_t text[512] = {};
    LoadStringW(GetResourceModule(), id, text, 512);
    return text;
}

// A registry base the model hands out, freed with the holder.
struct GlobalText {
    wchar_t* text = nullptr;
    GlobalText() = default;
    GlobalText(const GlobalText&) = delete;
    GlobalText& operator=(const GlobalText&) = delete;
    ~GlobalText()
    {
        if (text)
            GlobalFree(text);
    }
};

using SetPrinterDataFn = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, LPBYTE, DWORD);
DWORD WINAPI RefusePrinterData(HANDLE, LPWSTR, DWORD, LPBYTE, DWORD) { return ERROR_ACCESS_DENIED; }

class PaperMarginDialogTest : public DialogSuiteTest {
protected:
    static void SetUpTestSuite()
    {
        InitControls();
        // The reset deletes printer data, which the test spooler does through the registry.
        InstallPrinterDataDeleteStandIn();
        printer_s = OpenSuitePrinter(L"C4530.DDD", L"Morva Paper Margins");
    }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_s); }
    void SetUp() override
    {
        OpenDialogs(printer_s, kDialogs, std::size(kDialogs));
        if (!user_.text)
            GetModelRegistryBase(context_->main, 1, &user_.text);
        if (!machine_.text)
            GetModelRegistryBase(context_->main, 0, &machine_.text);
        ResetPaperMarginStore(printer_s->handle(), user_.text, true, machine_.text);
        ResetPaperMarginStore(printer_s->handle(), user_.text, false, machine_.text);
        Set(kFidOrientation, 1);
        Set(kFidPaperSize, kPaperA4);
        Set(kFidUserPaperMarginsFromUser, 0);
    }

    uint32_t Current(uint16_t id)
    {
        return SettingNumberOr(id, dialog_->current->settings, dialog_->current->printerSettings, 0xFFFF);
    }
    // `owner` stands where the page that opens the dialog stands.
    INT_PTR Run(HWND owner, const std::function<void(HWND)>& script)
    {
        PROPSHEETPAGEW page{};
        page.dwSize = sizeof(page);
        page.lParam = NewDialogContext();
        dialog_->owner = owner;
        return RunModalDialog(GetResourceModule(), kPaperMarginTemplate, PaperMarginDialogProc,
                              reinterpret_cast<LPARAM>(&page), owner, script);
    }
    uint32_t PrinterMarginCount()
    {
        PaperMarginList* list = LoadPaperMarginList(printer_s->handle());
        const uint32_t count = list ? list->count : 0;
        FreePaperMarginList(list);
        return count;
    }
    static bool ReadOnly(HWND dialog, int id) { return (GetWindowLongW(GetDlgItem(dialog, id), GWL_STYLE) & ES_READONLY) != 0; }

    static ModelPrinter* printer_s;
    GlobalText user_;
    GlobalText machine_;
};
ModelPrinter* PaperMarginDialogTest::printer_s = nullptr;

// A window titled as the printing-preferences window, standing where a page
// stands in its sheet.
struct PreferencesHost {
    HWND top = nullptr;
    HWND page = nullptr;
    explicit PreferencesHost(const std::wstring& title)
    {
        top = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        page = CreateWindowExW(0, L"STATIC", title.c_str(), WS_CHILD, 0, 0, 10, 10, top, nullptr, nullptr, nullptr);
    }
    ~PreferencesHost() { DestroyWindow(top); }
};

TEST(PaperMarginIcons, EachMarginHasAnIconPerOrientation)
{
    const struct {
        int control;
        UINT portrait, landscape;
    } rows[] = {{kMarginLeftIcon, 876, 900},
                {kMarginTopIcon, 882, 881},
                {kMarginRightIcon, 884, 883},
                {kMarginBottomIcon, 880, 879}};
    for (const auto& row : rows) {
        EXPECT_EQ(GetMarginIconId(row.control, 1), row.portrait);
        EXPECT_EQ(GetMarginIconId(row.control, 2), row.landscape);
        EXPECT_EQ(GetMarginIconId(row.control, 3), 0u);
        EXPECT_NE(LoadImageW(GetResourceModule(), MAKEINTRESOURCEW(row.landscape), IMAGE_ICON, 0, 0, 0), nullptr);
    }
    EXPECT_EQ(GetMarginIconId(kMarginLeftEdit, 1), 0u);
}

TEST_F(PaperMarginDialogTest, CustomMarginsOffLeavesTheFieldsReadOnlyAndStoresNothing)
{
    Set(kFidCustomMargins, 0);
    EXPECT_EQ(PrinterMarginCount(), 0u);
    MessageBoxScript boxes;
    bool readOnly[4] = {}, upDown = true, icon = false;
    std::wstring shown;
    const INT_PTR result = Run(nullptr, [&](HWND dialog) {
        wchar_t text[32] = {};
        GetDlgItemTextW(dialog, kMarginLeftEdit, text, 32);
        shown = text;
        const int edits[] = {kMarginLeftEdit, kMarginTopEdit, kMarginRightEdit, kMarginBottomEdit};
        for (int i = 0; i < 4; ++i)
            readOnly[i] = ReadOnly(dialog, edits[i]);
        upDown = IsWindowEnabled(GetDlgItem(dialog, kMarginLeftUpDown)) != FALSE;
        icon = SendDlgItemMessageW(dialog, kMarginLeftIcon, STM_GETICON, 0, 0) != 0;
        CaptureWindowPng(dialog, "paper_margin_dialog_off");
        ClickButton(dialog, kMarginOkButton);
    });
    EXPECT_EQ(result, IDOK);
    for (bool r : readOnly)
        EXPECT_TRUE(r);
    EXPECT_FALSE(upDown);
    EXPECT_TRUE(icon);
    EXPECT_EQ(shown, L"4.2");  // the model's margin of A4
    EXPECT_EQ(boxes.unscripted(), 0);
    EXPECT_EQ(PrinterMarginCount(), 0u);
}

TEST_F(PaperMarginDialogTest, AMarginBelowTheMinimumIsRefusedWithBothLimits)
{
    Set(kFidCustomMargins, 1);
    MessageBoxScript boxes({IDOK});
    bool writable = false, stayed = false;
    std::wstring after;
    Run(nullptr, [&](HWND dialog) {
        writable = !ReadOnly(dialog, kMarginLeftEdit);
        CaptureWindowPng(dialog, "paper_margin_dialog");
        TypeText(dialog, kMarginLeftEdit, L"2.0", kMarginTopEdit);
        ClickButton(dialog, kMarginOkButton);
        stayed = IsWindow(dialog) && IsWindowVisible(dialog);
        wchar_t text[32] = {};
        GetDlgItemTextW(dialog, kMarginLeftEdit, text, 32);
        after = text;
        ClickButton(dialog, kMarginCancelButton);
    });
    EXPECT_TRUE(writable);
    EXPECT_TRUE(stayed);
    ASSERT_EQ(boxes.shown().size(), 1u);
    const std::wstring& text = boxes.shown()[0].text;
    EXPECT_EQ(boxes.shown()[0].caption, ResourceString(265));
    EXPECT_NE(text.find(L"3.0"), std::wstring::npos) << text;   // the model's minimum, 3 mm
    EXPECT_NE(text.find(L"30.0"), std::wstring::npos) << text;  // and maximum, 30 mm
    EXPECT_EQ(after.find(L"2.0"), std::wstring::npos) << after;  // the stored value is shown again
    EXPECT_EQ(PrinterMarginCount(), 0u);
}

TEST_F(PaperMarginDialogTest, DefaultsThenOkEmptiesThePrinterStoreFirst)
{
    // A paper the list does not show keeps its margins only until the reset.
    PaperMarginList* list = LoadPaperMarginList(printer_s->handle());
    ASSERT_NE(list, nullptr);
    const uint32_t old[4] = {120, 120, 120, 120};
    ASSERT_EQ(AddPaperMargins(list, 14, old, 1), kMarginOk);
    ASSERT_EQ(AddPaperMargins(list, kPaperA4, old, 1), kMarginOk);
    ASSERT_EQ(SavePaperMarginList(printer_s->handle(), list), kMarginOk);
    FreePaperMarginList(list);
    Set(kFidCustomMargins, 1);
    MessageBoxScript boxes;
    uint32_t afterDefaults = 99, beforeOk = 99;
    bool checkedAfterDefaults = true;
    const INT_PTR result = Run(nullptr, [&](HWND dialog) {
        ClickButton(dialog, kMarginDefaultsButton);
        // The model's default turns custom margins off; the user turns them on again.
        afterDefaults = Current(kFidCustomMargins);
        checkedAfterDefaults = IsDlgButtonChecked(dialog, kMarginCustomCheck) == BST_CHECKED;
        if (IsDlgButtonChecked(dialog, kMarginCustomCheck) != BST_CHECKED)
            SendDlgItemMessageW(dialog, kMarginCustomCheck, BM_CLICK, 0, 0);
        beforeOk = Current(kFidCustomMargins);
        ClickButton(dialog, kMarginOkButton);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(boxes.unscripted(), 0);
    EXPECT_EQ(afterDefaults, 0u);  // the model's default: custom margins off
    EXPECT_FALSE(checkedAfterDefaults);
    EXPECT_EQ(beforeOk, 1u);
    list = LoadPaperMarginList(printer_s->handle());
    ASSERT_NE(list, nullptr);
    PaperMarginRecord record{};
    EXPECT_EQ(FindPaperMargins(list, 14, &record), kMarginNotFound);
    ASSERT_EQ(FindPaperMargins(list, kPaperA4, &record), kMarginOk);
    for (uint32_t m : record.margin)
        EXPECT_EQ(m, kDefaultPaperMargin);
    EXPECT_EQ(list->count, 3u);  // A4, Letter and Legal of the paper list
    FreePaperMarginList(list);
    EXPECT_EQ(Current(kFidUserPaperMarginsFromUser), 0u);
}

TEST_F(PaperMarginDialogTest, MarginsGoPerUserFromThePreferencesWindowAndToThePrinterOtherwise)
{
    ui_.sheetMode |= 0x10;  // opened by the shell
    const std::wstring name = printer_s->name();
    ui_.printerName = const_cast<wchar_t*>(name.c_str());
    const struct {
        bool preferences;
        uint32_t fromUser;
    } cases[] = {{true, 1}, {false, 0}};
    for (const auto& c : cases) {
        ResetPaperMarginStore(printer_s->handle(), user_.text, true, machine_.text);
        ResetPaperMarginStore(printer_s->handle(), user_.text, false, machine_.text);
        Set(kFidCustomMargins, 1);
        PreferencesHost host(c.preferences ? name + L" " + ResourceString(751) : name + L" Document Properties");
        MessageBoxScript boxes;
        const INT_PTR result = Run(host.page, [&](HWND dialog) {
            TypeText(dialog, kMarginLeftEdit, L"5.0", kMarginTopEdit);
            ClickButton(dialog, kMarginOkButton);
        });
        EXPECT_EQ(result, IDOK) << c.preferences;
        EXPECT_EQ(boxes.unscripted(), 0) << c.preferences;
        PaperMarginRecord stored{};
        const int user = ReadCustomPaperMargins(printer_s->handle(), user_.text, machine_.text, kPaperA4, &stored);
        uint32_t oriented[4] = {};
        RotateMargins(kMarginsFromStored, 1, &stored, oriented);
        if (c.preferences) {
            ASSERT_EQ(user, kMarginOk);
            EXPECT_EQ(oriented[0], 50u);
            EXPECT_EQ(PrinterMarginCount(), 0u);
        } else {
            EXPECT_EQ(user, kMarginValueMissing);
            PaperMarginList* list = LoadPaperMarginList(printer_s->handle());
            ASSERT_NE(list, nullptr);
            ASSERT_EQ(FindPaperMargins(list, kPaperA4, &stored), kMarginOk);
            RotateMargins(kMarginsFromStored, 1, &stored, oriented);
            EXPECT_EQ(oriented[0], 50u);
            FreePaperMarginList(list);
        }
        EXPECT_EQ(Current(kFidUserPaperMarginsFromUser), c.fromUser) << c.preferences;
    }
    ui_.printerName = nullptr;
    ui_.sheetMode &= ~0x10u;
}

// OK does not close the dialog as confirmed while the store fails.
TEST_F(PaperMarginDialogTest, AFailedStoreKeepsTheDialogOpen)
{
    Set(kFidCustomMargins, 1);
    MessageBoxScript boxes;
    bool stayed = false;
    const INT_PTR result = Run(nullptr, [&](HWND dialog) {
        {
            ScopedImportPatch refuse("winspool.drv", "SetPrinterDataW", reinterpret_cast<void*>(&RefusePrinterData));
            ASSERT_TRUE(refuse.active());
            ClickButton(dialog, kMarginOkButton);
            stayed = IsWindow(dialog) && IsWindowVisible(dialog);
        }
        ClickButton(dialog, kMarginOkButton);
    });
    EXPECT_TRUE(stayed);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(PrinterMarginCount(), 3u);
}

// The unit buttons switch the unit labels and the shown margins with them.
TEST_F(PaperMarginDialogTest, InchesRelabelTheMargins)
{
    Set(kFidCustomMargins, 1);
    MessageBoxScript boxes;
    std::wstring unit, shown;
    Run(nullptr, [&](HWND dialog) {
        SendDlgItemMessageW(dialog, kMarginInchButton, BM_CLICK, 0, 0);
        wchar_t text[32] = {};
        GetDlgItemTextW(dialog, kMarginBottomUnit, text, 32);
        unit = text;
        GetDlgItemTextW(dialog, kMarginLeftEdit, text, 32);
        shown = text;
        CaptureWindowPng(dialog, "paper_margin_dialog_inch");
        SendDlgItemMessageW(dialog, kMarginMillimetreButton, BM_CLICK, 0, 0);
        ClickButton(dialog, kMarginCancelButton);
    });
    EXPECT_EQ(unit, ResourceString(461));
    EXPECT_EQ(shown, L"0.18");  // 4.6 mm
    EXPECT_EQ(boxes.unscripted(), 0);
}

TEST_F(PaperMarginDialogTest, LandscapeShowsTheLandscapeIcons)
{
    Set(kFidOrientation, 2);
    Set(kFidCustomMargins, 1);
    // The records' landscape may be told as a change of the page check first.
    MessageBoxScript boxes({IDOK});
    HICON shown = nullptr;
    Run(nullptr, [&](HWND dialog) {
        shown = reinterpret_cast<HICON>(SendDlgItemMessageW(dialog, kMarginLeftIcon, STM_GETICON, 0, 0));
        CaptureWindowPng(dialog, "paper_margin_dialog_landscape");
        ClickButton(dialog, kMarginCancelButton);
    });
    EXPECT_NE(shown, nullptr);
    EXPECT_EQ(boxes.unscripted(), 0);
}

}  // namespace
