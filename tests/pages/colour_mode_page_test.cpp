// The colour page and its colour profiles dialog in real windows on the colour
// reference model: the page's defaults button follows the job type, a stored
// profile path that the ANSI code page cannot hold is dropped with its flag,
// and a chosen file is refused or stored with its flag. The page of one
// colour kind shows its own template without items. Pictures of the page,
// the plain page and the dialog go to build/screens.
#include "ui/pages/colour_mode_page.h"

#include "common/context/value_by_type.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "tests/fax/modal_dialog_script.h"
#include "tests/support/dialog_suite_fixture.h"
#include "tests/support/message_box_script.h"
#include "tests/support/window_capture.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/dialog_tables.h"
#include "ui/engine/ui_context.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <prsht.h>

#include <cwchar>
#include <iterator>
#include <string>

namespace {

const PageDescriptor kColourPage = {kColourModeCode, &ColourModeItemTable, nullptr};
const PageDescriptor kPlainColourPage = {kColourModeCode, &ColourModePlainItemTable, nullptr};
const PageDescriptor* const kDialogs[] = {&kColourPage, &ColourProfilesDialog};
const PageDescriptor* const kPlainDialogs[] = {&kPlainColourPage};

// A path the ANSI code page cannot hold: Cyrillic in a Western code page; a
// lone surrogate, which no code page holds, where the code page is UTF-8.
const std::wstring kForeignPath = GetACP() == CP_UTF8 ? L"C:\\profiles\\\xD800.icm"
                                                      : L"C:\\\x041F\x0440\x043E\x0444\x0438\x043B\x0438\\srgb.icm";
constexpr wchar_t kProfilePath[] = L"C:\\windows\\system32\\spool\\drivers\\color\\proof.icm";

std::wstring ResourceString(UINT id)
{
    wchar_t text[512] = {};
    LoadStringW(GetResourceModule(), id, text, 512);
    return text;
}

std::wstring ComboText(HWND dialog, int id, int index)
{
    wchar_t text[260] = {};
    SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

class ColourModePage : public DialogSuiteTest {
protected:
    static void SetUpTestSuite()
    {
        InitControls();
        printer_s = OpenSuitePrinter(L"C4530.DDD", L"Morva Colour Page");
    }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_s); }
    void SetUp() override { OpenDialogs(printer_s, kDialogs, std::size(kDialogs)); }

    uint32_t Current(uint16_t id)
    {
        return SettingNumberOr(id, dialog_->current->settings, dialog_->current->printerSettings, 0xFFFF);
    }
    std::wstring CurrentText(uint16_t id)
    {
        const auto* text = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(GetFunctionIdValuePointer(
            dialog_->current->settings, dialog_->current->printerSettings, id, kTypeString)));
        return text ? text : L"";
    }
    void SetPath(uint16_t id, const wchar_t* path)
    {
        wchar_t field[kProfilePathChars] = {};
        wcsncpy(field, path, kProfilePathChars - 1);
        ASSERT_EQ(SetFunctionIdValueArgs(settings_.data(), printer_settings_.data(), id, kTypeString,
                                         kProfilePathBytes, static_cast<const wchar_t*>(field)),
                  0);
    }

    // The page in a sheet of its own; the script sees the page window.
    void ShowPage(UINT templateId, const std::function<void(HWND)>& script)
    {
        PROPSHEETPAGEW page{};
        page.dwSize = sizeof(page);
        page.hInstance = GetResourceModule();
        page.pszTemplate = MAKEINTRESOURCEW(templateId);
        page.pfnDlgProc = ColorModePageProc;
        page.lParam = NewDialogContext();
        HPROPSHEETPAGE handle = CreatePropertySheetPageW(&page);
        ASSERT_NE(handle, nullptr);
        PROPSHEETHEADERW header{};
        header.dwSize = sizeof(header);
        header.dwFlags = PSH_NOAPPLYNOW;
        header.pszCaption = L"Colour page";
        header.nPages = 1;
        header.phpage = &handle;
        ScriptNextModalDialog([&] { PropertySheetW(&header); },
                              [&](HWND sheet) {
                                  script(PropSheet_GetCurrentPageHwnd(sheet));
                                  PropSheet_PressButton(sheet, PSBTN_CANCEL);
                              });
    }

    // The profiles dialog as the page's button opens it: a sub-page dialog
    // whose creation parameter is a page record.
    INT_PTR RunProfiles(const std::function<void(HWND)>& script)
    {
        PROPSHEETPAGEW page{};
        page.dwSize = sizeof(page);
        page.lParam = NewDialogContext();
        return RunModalDialog(GetResourceModule(), kColourProfilesTemplate, FreeTextComboDialogProc,
                              reinterpret_cast<LPARAM>(&page), nullptr, script);
    }

    static ModelPrinter* printer_s;
};
ModelPrinter* ColourModePage::printer_s = nullptr;

TEST(ColourModeSlots, Setting293ChoosesTheShownSlots)
{
    EXPECT_EQ(ColourConversionSetting(2), 390);
    EXPECT_EQ(ColourConversionSetting(3), 23);
    for (uint32_t other : {0u, 1u, 4u, 99u})
        EXPECT_EQ(ColourConversionSetting(other), 36922) << other;
    const struct {
        uint32_t value;
        int32_t slot;
    } cases[] = {{1, 0}, {4, 0}, {2, 2}, {3, 1}, {0, -1}, {5, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(ColourPictureSlot(c.value), c.slot) << c.value;
}

TEST_F(ColourModePage, ThePageShowsTheColourModeAndItsDefaults)
{
    const struct {
        uint32_t jobType;
        bool offered;
        const char* picture;
    } cases[] = {{0, true, "colour_mode_page"}, {kJobTypeWithoutColourDefaults, false, "colour_mode_page_job_type_5"}};
    for (const auto& c : cases) {
        Set(kFidJobType, c.jobType);
        MessageBoxScript boxes;
        bool visible = !c.offered, enabled = !c.offered;
        LRESULT modes = -1;
        ShowPage(kColourModeTemplate, [&](HWND page) {
            ASSERT_NE(page, nullptr);
            HWND defaults = GetDlgItem(page, kColourDefaultsButton);
            visible = IsWindowVisible(defaults) != FALSE;
            enabled = IsWindowEnabled(defaults) != FALSE;
            modes = SendDlgItemMessageW(page, kColourModeCombo, CB_GETCOUNT, 0, 0);
            CaptureWindowPng(GetParent(page), c.picture);
        });
        EXPECT_EQ(visible, c.offered) << c.jobType;
        EXPECT_EQ(enabled, c.offered) << c.jobType;
        EXPECT_EQ(modes, 3) << c.jobType;  // the model's three colour modes
        EXPECT_EQ(boxes.unscripted(), 0);
    }
}

// Setting 293 chooses what the conversion list shows: nothing on a model
// without a conversion of its own, the rendering intents for value 3.
TEST_F(ColourModePage, TheConversionListFollowsSetting293)
{
    const struct {
        uint32_t value;
        bool shown;
        LRESULT entries;
        const char* picture;
    } cases[] = {{0, false, 0, nullptr}, {3, true, 4, "colour_mode_page_conversion"}};
    for (const auto& c : cases) {
        Set(293, c.value);
        MessageBoxScript boxes;
        bool shown = !c.shown, label = !c.shown;
        LRESULT entries = -1;
        ShowPage(kColourModeTemplate, [&](HWND page) {
            shown = IsWindowVisible(GetDlgItem(page, kColourConversionCombo)) != FALSE;
            label = IsWindowVisible(GetDlgItem(page, kColourConversionLabel)) != FALSE;
            entries = SendDlgItemMessageW(page, kColourConversionCombo, CB_GETCOUNT, 0, 0);
            if (c.picture)
                CaptureWindowPng(GetParent(page), c.picture);
        });
        EXPECT_EQ(shown, c.shown) << c.value;
        EXPECT_EQ(label, c.shown) << c.value;
        if (c.shown)
            EXPECT_EQ(entries, c.entries) << c.value;
        EXPECT_EQ(boxes.unscripted(), 0);
    }
}

TEST_F(ColourModePage, AStoredPathOutsideTheAnsiCodePageIsDropped)
{
    SetPath(kFidProfileFile1, kForeignPath.c_str());
    Set(kFidProfileFile1On, 1);
    SetPath(kFidProfileFile2, kProfilePath);
    Set(kFidProfileFile2On, 1);
    MessageBoxScript boxes({IDOK});
    LRESULT entries1 = -1, selected2 = -1;
    std::wstring name2;
    const INT_PTR result = RunProfiles([&](HWND dialog) {
        entries1 = SendDlgItemMessageW(dialog, kProfileCombo1, CB_GETCOUNT, 0, 0);
        selected2 = SendDlgItemMessageW(dialog, kProfileCombo2, CB_GETCURSEL, 0, 0);
        name2 = ComboText(dialog, kProfileCombo2, 1);
        CaptureWindowPng(dialog, "colour_profiles_dialog");
        ClickButton(dialog, kProfilesOkButton);
    });
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, ResourceString(kMessageFileNotAnsi) + L"\n" + kForeignPath);
    EXPECT_EQ(boxes.shown()[0].caption, ResourceString(265));
    EXPECT_EQ(entries1, 1);
    EXPECT_EQ(Current(kFidProfileFile1On), 0u);
    EXPECT_EQ(CurrentText(kFidProfileFile1), L"");
    // The other file converts: it stays chosen under its name.
    EXPECT_EQ(selected2, 1);
    EXPECT_EQ(name2, L"proof.icm");
    EXPECT_EQ(Current(kFidProfileFile2On), 1u);
}

TEST_F(ColourModePage, AChosenFileIsCheckedThenStoredWithItsFlag)
{
    Set(kFidProfileFile1On, 0);
    Set(kFidProfileFile2On, 0);
    Set(kFidProfileFile2Printer, 1);
    MessageBoxScript boxes({IDOK});
    int refused = -1, stored1 = -1, stored2 = -1;
    std::wstring shown1, path1;
    const INT_PTR result = RunProfiles([&](HWND dialog) {
        CallContext call{};
        ASSERT_TRUE(InitCallContext(&call, dialog, nullptr, kColourProfilesCode, WM_COMMAND, kDialogTypeSubPage));
        const ItemRecord* combo1 = FindItemRecord(dialog, kColourProfilesCode, kProfileCombo1);
        const ItemRecord* combo2 = FindItemRecord(dialog, kColourProfilesCode, kProfileCombo2);
        ASSERT_NE(combo1, nullptr);
        refused = StoreFile1(&call, combo1, kForeignPath.c_str());
        stored1 = StoreFile1(&call, combo1, kProfilePath);
        stored2 = StoreFile2(&call, combo2, kProfilePath);
        FreeGlobalIfSet(call.pendingData);
        shown1 = ComboText(dialog, kProfileCombo1, static_cast<int>(SendDlgItemMessageW(
                                                            dialog, kProfileCombo1, CB_GETCURSEL, 0, 0)));
        wchar_t text[260] = {};
        GetDlgItemTextW(dialog, kProfilePath1, text, 260);
        path1 = text;
        CaptureWindowPng(dialog, "colour_profiles_dialog_chosen");
        ClickButton(dialog, kProfilesOkButton);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(refused, 0);
    EXPECT_EQ(stored1, 1);
    EXPECT_EQ(stored2, 1);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, ResourceString(kMessageFileNotAnsi) + L"\n" + kForeignPath);
    EXPECT_EQ(shown1, L"proof.icm");
    EXPECT_EQ(path1, kProfilePath);
    EXPECT_EQ(Current(kFidProfileFile1On), 1u);
    EXPECT_EQ(CurrentText(kFidProfileFile1), kProfilePath);
    EXPECT_EQ(Current(kFidProfileFile2On), 1u);
    EXPECT_EQ(Current(kFidProfileFile2Printer), 0u);
}

TEST_F(ColourModePage, DefaultsSwitchBothFilesOff)
{
    SetPath(kFidProfileFile1, kProfilePath);
    Set(kFidProfileFile1On, 1);
    SetPath(kFidProfileFile2, kProfilePath);
    Set(kFidProfileFile2On, 1);
    MessageBoxScript boxes({IDOK, IDOK});
    LRESULT selected1 = -1, selected2 = -1;
    RunProfiles([&](HWND dialog) {
        ClickButton(dialog, kProfilesDefaultsButton);
        selected1 = SendDlgItemMessageW(dialog, kProfileCombo1, CB_GETCURSEL, 0, 0);
        selected2 = SendDlgItemMessageW(dialog, kProfileCombo2, CB_GETCURSEL, 0, 0);
        ClickButton(dialog, kProfilesOkButton);
    });
    EXPECT_EQ(selected1, 0);
    EXPECT_EQ(selected2, 0);
    EXPECT_EQ(Current(kFidProfileFile1On), 0u);
    EXPECT_EQ(Current(kFidProfileFile2On), 0u);
}

class PlainColourPage : public ColourModePage {
protected:
    void SetUp() override { OpenDialogs(printer_s, kPlainDialogs, std::size(kPlainDialogs)); }
};

TEST_F(PlainColourPage, TheOneKindPageShowsItsTemplateWithoutItems)
{
    EXPECT_EQ(ColourModePlainItemTable.count, 0u);
    MessageBoxScript boxes;
    bool combo = true;
    ShowPage(kColourModePlainTemplate, [&](HWND page) {
        ASSERT_NE(page, nullptr);
        combo = GetDlgItem(page, kColourModeCombo) != nullptr;
        CaptureWindowPng(GetParent(page), "colour_mode_page_plain");
    });
    EXPECT_FALSE(combo);
    EXPECT_EQ(boxes.unscripted(), 0);
}

}  // namespace
