// The settings list page in a real window on the colour reference model: the
// rows of the list and the row the document monitor takes away, the value combo
// box following the list's selection (1854 through its value slot 36922), the
// fields of the selected setting, the double click without edit permission,
// the text the header check box asks for, and the page's three dialogs opened
// from its buttons. Pictures of the page and its dialogs go to build/screens.
#include "ui/pages/settings_list_page.h"

#include "common/context/value_by_type.h"
#include "common/settings/function_ids.h"
#include "common/system/module_files.h"
#include "tests/fax/modal_dialog_script.h"
#include "tests/support/dialog_suite_fixture.h"
#include "tests/support/message_box_script.h"
#include "tests/support/window_capture.h"
#include "ui/controls/item_callbacks.h"
#include "ui/controls/kind_params.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/ui_context.h"
#include "ui/pages/logo_dialog.h"
#include "ui/pages/settings_list_ids.h"
#include "ui/pages/size_dialog_ids.h"
#include "ui/pages/size_dialogs.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <prsht.h>

#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr uint16_t kFidJobHeader = 1333;
constexpr uint16_t kFidApplyPreset = 1356;
constexpr uint16_t kFidImageCompression = 330;
constexpr uint16_t kFidPairMode = 474;
constexpr uint16_t kFidScalingOn = 1324;
constexpr int kJobHeaderSlot = 8;
constexpr int kScalingOnSlot = 5;
constexpr int kPairModeSlot = 6;
constexpr int kListedTextSlot = 17;

const PageDescriptor kPage{kSettingsListCode, &SettingsListItemTable, nullptr};
const PageDescriptor* const kDialogs[] = {&kPage, &VersionTextDialog, &LogoDialog, &LengthSettingDialog};

int SlotOf(uint16_t setting)
{
    for (int i = 0; i < kListedSettingCount; ++i)
        if (kListedSettings[i] == setting)
            return i;
    return -1;
}

}  // namespace

TEST(SettingsListRules, ListedSettingsAndTheirValueSlot)
{
    ASSERT_EQ(SlotOf(kFidJobHeader), kJobHeaderSlot);
    ASSERT_EQ(SlotOf(kFidScalingOn), kScalingOnSlot);
    ASSERT_EQ(SlotOf(kFidPairMode), kPairModeSlot);
    ASSERT_EQ(SlotOf(kFidListedText), kListedTextSlot);
    EXPECT_EQ(kListedSettings[kListedSettingCount - 1], kValueSlotOfListedText);
    EXPECT_EQ(ValueComboSetting(kFidListedText), kValueSlotOfListedText);
    EXPECT_EQ(ValueComboSetting(kFidJobHeader), kFidJobHeader);
    EXPECT_EQ(ValueComboSetting(0), 0);
}

TEST(SettingsListRules, DependentStatesFollowTheSelectedSetting)
{
    const struct {
        uint16_t selected;
        uint32_t scalingOn;
        uint32_t pairMode;
        uint16_t pairModeState;
        bool permission;
        DependentStates expected;
    } cases[] = {
        // Scaling: shown, enabled only while switched on and editable.
        {kFidScalingOn, 1, 0, 0, true, {kStateEnabled, kStateHidden, kStateHidden}},
        {kFidScalingOn, 0, 0, 0, true, {kStateDisabled, kStateHidden, kStateHidden}},
        {kFidScalingOn, 1, 0, 0, false, {kStateDisabled, kStateHidden, kStateHidden}},
        // The pair of setting 474: value 1 uses 477, value 2 uses 475, others both.
        {kFidPairMode, 0, 1, 0, true, {kStateHidden, kStateHidden, kStateEnabled}},
        {kFidPairMode, 0, 2, 0, true, {kStateHidden, kStateEnabled, kStateHidden}},
        {kFidPairMode, 0, 3, 0, true, {kStateHidden, kStateEnabled, kStateEnabled}},
        {kFidPairMode, 0, 0, 0, true, {kStateHidden, kStateHidden, kStateHidden}},
        // A fixed mode shows only the value it uses, disabled.
        {kFidPairMode, 0, 1, 15, true, {kStateHidden, kStateHidden, kStateDisabled}},
        {kFidPairMode, 0, 2, 15, true, {kStateHidden, kStateDisabled, kStateHidden}},
        {kFidPairMode, 0, 3, 15, true, {kStateHidden, kStateHidden, kStateHidden}},
        // Any other setting: none of the fields.
        {kFidJobHeader, 1, 1, 0, true, {kStateHidden, kStateHidden, kStateHidden}},
        {0, 1, 1, 0, true, {kStateHidden, kStateHidden, kStateHidden}},
    };
    for (const auto& c : cases) {
        const DependentStates s = ComputeDependentStates(c.selected, c.scalingOn, c.pairMode, c.pairModeState,
                                                         c.permission);
        EXPECT_EQ(s.scale, c.expected.scale) << c.selected << " " << c.pairMode;
        EXPECT_EQ(s.first, c.expected.first) << c.selected << " " << c.pairMode << " " << c.pairModeState;
        EXPECT_EQ(s.second, c.expected.second) << c.selected << " " << c.pairMode << " " << c.pairModeState;
    }
}

class SettingsListPageWindow : public DialogSuiteTest {
protected:
    static void SetUpTestSuite()
    {
        InitControls();
        printer_s = OpenSuitePrinter(L"C4530.DDD", L"Morva Settings List");
    }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_s); }
    void SetUp() override
    {
        OpenDialogs(printer_s, kDialogs, std::size(kDialogs));
        ui_.documentMonitor = 1;
    }
    void TearDown() override
    {
        ClosePage();
        DialogSuiteTest::TearDown();
    }
    void OpenPage()
    {
        host_ = CreateWindowExW(0, L"#32770", L"Settings", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 20, 20, 520, 520,
                                nullptr, nullptr, nullptr, nullptr);
        // The host is no message box: the box script leaves it alone.
        SetPropW(host_, L"MorvaScripted", reinterpret_cast<HANDLE>(1));
        page_info_.dwSize = sizeof page_info_;
        page_info_.lParam = NewDialogContext();
        page_ = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(kSettingsListTemplate), host_,
                                   SettingsListPageProc, reinterpret_cast<LPARAM>(&page_info_));
        ASSERT_NE(page_, nullptr);
        ShowWindow(page_, SW_SHOW);
        Notify(PSN_SETACTIVE);
        Pump();
    }
    void ClosePage()
    {
        if (page_)
            DestroyWindow(page_);
        if (host_)
            DestroyWindow(host_);
        page_ = host_ = nullptr;
    }
    LRESULT Notify(UINT code)
    {
        PSHNOTIFY notify{};
        notify.hdr.hwndFrom = host_;
        notify.hdr.code = code;
        SetWindowLongPtrW(page_, DWLP_MSGRESULT, 0);
        SendMessageW(page_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
        return GetWindowLongPtrW(page_, DWLP_MSGRESULT);
    }
    void Pump()
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    std::vector<std::wstring> Rows()
    {
        std::vector<std::wstring> rows;
        HWND list = GetDlgItem(page_, kListSettings);
        const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[512] = {};
            if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 512)
                SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            rows.push_back(text);
        }
        return rows;
    }
    int RowStartingWith(const std::wstring& label)
    {
        const std::vector<std::wstring> rows = Rows();
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].compare(0, label.size() + 1, label + L"\t") == 0)
                return static_cast<int>(i);
        return -1;
    }
    // The user picks a row of the list, as a click would.
    void SelectRow(int row)
    {
        HWND list = GetDlgItem(page_, kListSettings);
        SendMessageW(list, LB_SETCURSEL, row, 0);
        SendMessageW(page_, WM_COMMAND, MAKEWPARAM(kListSettings, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        Pump();
    }
    void DoubleClick()
    {
        HWND list = GetDlgItem(page_, kListSettings);
        SendMessageW(page_, WM_COMMAND, MAKEWPARAM(kListSettings, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
        Pump();
    }
    uint32_t PageValue(uint16_t id)
    {
        void* settings = nullptr;
        void* printerSettings = nullptr;
        GetDialogSettings(page_, &settings, &printerSettings);
        return SettingNumberOr(id, settings, printerSettings, 0xFFFF);
    }
    void SetPageValue(uint16_t id, uint32_t value)
    {
        void* settings = nullptr;
        void* printerSettings = nullptr;
        GetDialogSettings(page_, &settings, &printerSettings);
        ASSERT_TRUE(WriteSettingNumber(id, settings, printerSettings, value)) << id;
    }
    const ItemRecord* Item(int32_t id) { return FindItemRecord(page_, kSettingsListCode, id); }
    // The list's selection as the page keeps it, and a show of the page's
    // items that depend on it, as the engine's refresh runs them.
    void SelectListSlot(int slot)
    {
        ASSERT_TRUE(SetSelectedSlotIndex(page_, Item(kListSettings), slot));
    }
    std::wstring Text(int32_t id)
    {
        wchar_t text[256] = {};
        GetDlgItemTextW(page_, id, text, 256);
        return text;
    }
    bool Visible(int32_t id) { return IsWindowVisible(GetDlgItem(page_, id)) != FALSE; }
    bool Enabled(int32_t id) { return IsWindowEnabled(GetDlgItem(page_, id)) != FALSE; }

    static ModelPrinter* printer_s;
    PROPSHEETPAGEW page_info_{};
    HWND host_ = nullptr;
    HWND page_ = nullptr;
};
ModelPrinter* SettingsListPageWindow::printer_s = nullptr;

TEST_F(SettingsListPageWindow, ListsTheModelsSettingsByName)
{
    OpenPage();
    const std::vector<std::wstring> rows = Rows();
    ASSERT_FALSE(rows.empty());
    // Each row is the setting's name and its value in two columns.
    EXPECT_GE(RowStartingWith(L"Apply Preset"), 0);
    EXPECT_GE(RowStartingWith(L"Image Compression"), 0);
    EXPECT_GE(RowStartingWith(L"Document Monitor Jobs"), 0);
    for (const std::wstring& row : rows)
        EXPECT_NE(row.find(L'\t'), std::wstring::npos) << std::string(row.begin(), row.end());
    // Check boxes of settings the model offers no options for show no option
    // as chosen, so the header line asks for no text.
    for (int32_t box : {kListDropEmptyCheck, kListSecondCheck, kListLockedCheck})
        EXPECT_EQ(IsDlgButtonChecked(page_, box), static_cast<UINT>(BST_UNCHECKED)) << box;
    EXPECT_EQ(Notify(PSN_KILLACTIVE), 0);
    CaptureWindowPng(page_, "settings_list_page");
}

TEST_F(SettingsListPageWindow, WithoutTheDocumentMonitorItsRowIsMissing)
{
    for (uint32_t monitor : {1u, 0u}) {
        ui_.documentMonitor = monitor;
        OpenPage();
        EXPECT_EQ(RowStartingWith(L"Document Monitor Jobs") >= 0, monitor == 1) << monitor;
        EXPECT_GE(RowStartingWith(L"Apply Preset"), 0) << monitor;
        // The list and the value of a shown row stay on the page.
        EXPECT_TRUE(Visible(kListSettings)) << monitor;
        EXPECT_TRUE(Visible(kListValueCombo)) << monitor;
        EXPECT_TRUE(Enabled(kListValueCombo)) << monitor;
        const uint16_t selected = GetSelectedSettingId(page_, Item(kListSettings));
        EXPECT_NE(selected, 0) << monitor;
        if (!monitor) {
            EXPECT_NE(selected, 1321);
            CaptureWindowPng(page_, "settings_list_page_no_monitor");
        }
        ClosePage();
    }
}

TEST_F(SettingsListPageWindow, ChoosingARowShowsItsValuesInTheComboBox)
{
    OpenPage();
    const ItemRecord* combo = Item(kListValueCombo);
    ASSERT_NE(combo, nullptr);
    HWND box = GetDlgItem(page_, kListValueCombo);
    const int compression = RowStartingWith(L"Image Compression");
    ASSERT_GE(compression, 0);
    SelectRow(compression);
    EXPECT_EQ(GetSelectedSettingId(page_, combo), 330);
    EXPECT_EQ(SendMessageW(box, CB_GETCOUNT, 0, 0), 3);

    const int row = RowStartingWith(L"Apply Preset");
    ASSERT_GE(row, 0);
    SelectRow(row);
    EXPECT_EQ(GetSelectedSettingId(page_, combo), kFidApplyPreset);
    EXPECT_EQ(SendMessageW(box, CB_GETCOUNT, 0, 0), 2);
    wchar_t shown[64] = {};
    SendMessageW(box, CB_GETLBTEXT, SendMessageW(box, CB_GETCURSEL, 0, 0), reinterpret_cast<LPARAM>(shown));
    EXPECT_EQ(std::wstring(shown), PageValue(kFidApplyPreset) ? L"On" : L"Off");
    EXPECT_NE(Text(kListValueLabel).find(L"Apply Preset"), std::wstring::npos);
    EXPECT_TRUE(Enabled(kListValueCombo));

    // Choosing another value in the combo box writes the setting and the row follows.
    SelectRow(RowStartingWith(L"Image Compression"));
    ASSERT_EQ(PageValue(kFidImageCompression), 2u);  // JPEG
    SendMessageW(box, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Lossless"));
    SendMessageW(page_, WM_COMMAND, MAKEWPARAM(kListValueCombo, CBN_SELENDOK), reinterpret_cast<LPARAM>(box));
    Pump();
    EXPECT_EQ(PageValue(kFidImageCompression), 1u);
    const int after = RowStartingWith(L"Image Compression");
    ASSERT_GE(after, 0);
    EXPECT_EQ(Rows()[after], L"Image Compression\tLossless");
    EXPECT_EQ(SendMessageW(GetDlgItem(page_, kListSettings), LB_GETCURSEL, 0, 0), after);
    EXPECT_EQ(GetSelectedSettingId(page_, combo), kFidImageCompression);
    CaptureWindowPng(page_, "settings_list_page_value");
}

TEST_F(SettingsListPageWindow, TheListedTextIsChosenThroughItsValueSlot)
{
    OpenPage();
    const ItemRecord* combo = Item(kListValueCombo);
    ASSERT_NE(combo, nullptr);
    CallContext call{};
    ASSERT_TRUE(InitCallContext(&call, page_, nullptr, kSettingsListCode, kEventRefresh, 1));
    const struct {
        int listSlot;
        uint16_t comboSetting;
    } cases[] = {
        {kListedTextSlot, kValueSlotOfListedText},
        {kJobHeaderSlot, kFidJobHeader},
        {kPairModeSlot, kFidPairMode},
    };
    for (const auto& c : cases) {
        SelectListSlot(c.listSlot);
        OnSettingValueCombo(&call, kEventRefresh, 0, 0, combo, combo->parameters);
        EXPECT_EQ(GetSelectedSettingId(page_, combo), c.comboSetting) << c.listSlot;
        EXPECT_NE(Text(kListValueLabel), ResourceString(kStringNoValueToChoose)) << c.listSlot;
    }
}

TEST_F(SettingsListPageWindow, PairModeShowsTheFieldsItUses)
{
    OpenPage();
    CallContext call{};
    ASSERT_TRUE(InitCallContext(&call, page_, nullptr, kSettingsListCode, kEventRefresh, 1));
    SelectListSlot(kPairModeSlot);
    const struct {
        uint32_t mode;
        bool first;   // 475 and its label
        bool second;  // 477 and its label
    } cases[] = {{1, false, true}, {2, true, false}, {3, true, true}, {0, false, false}};
    for (const auto& c : cases) {
        SetPageValue(kFidPairMode, c.mode);
        InitCallContext(&call, page_, nullptr, kSettingsListCode, kEventRefresh, 1);
        ASSERT_TRUE(UpdateDependentControls(&call));
        EXPECT_EQ(Visible(kListFirstField), c.first) << c.mode;
        EXPECT_EQ(Visible(kListFirstFieldLabel), c.first) << c.mode;
        EXPECT_EQ(Visible(kListSecondField), c.second) << c.mode;
        EXPECT_EQ(Visible(kListSecondFieldLabel), c.second) << c.mode;
        EXPECT_FALSE(Visible(kListScaleEdit)) << c.mode;
    }
    SetPageValue(kFidPairMode, 1);
    ASSERT_TRUE(UpdateDependentControls(&call));
    CaptureWindowPng(page_, "settings_list_page_pair");
    // Another selected setting hides the pair again.
    SelectListSlot(kScalingOnSlot);
    ASSERT_TRUE(UpdateDependentControls(&call));
    EXPECT_FALSE(Visible(kListFirstField));
    EXPECT_FALSE(Visible(kListSecondField));
    EXPECT_TRUE(Visible(kListScaleEdit));
}

TEST_F(SettingsListPageWindow, DoubleClickNeedsEditPermission)
{
    for (uint32_t permission : {1u, 0u}) {
        ui_.permission = permission;
        OpenPage();
        const int row = RowStartingWith(L"Image Compression");
        ASSERT_GE(row, 0);
        SelectRow(row);
        const uint32_t before = PageValue(kFidImageCompression);
        DoubleClick();
        // The next option after JPEG is the first, Off.
        if (permission)
            EXPECT_EQ(PageValue(kFidImageCompression), 0u);
        else
            EXPECT_EQ(PageValue(kFidImageCompression), before);
        ClosePage();
    }
}

TEST_F(SettingsListPageWindow, HeaderLineWithoutTextKeepsThePage)
{
    OpenPage();
    const struct {
        bool checked;
        const wchar_t* text;
        uint32_t editing;
        LRESULT result;
        size_t boxes;
    } cases[] = {
        {true, L"", 0, 1, 1},         // the text is missing: message 739, the page stays
        {true, L"Office", 0, 0, 0},   // a text is there
        {false, L"", 0, 0, 0},        // not asked for
        {true, L"", 1, 0, 0},         // a dialog of the page opens: the page is only left for it
    };
    for (const auto& c : cases) {
        MessageBoxScript boxes({IDOK});
        CheckDlgButton(page_, kListLockedCheck, c.checked ? BST_CHECKED : BST_UNCHECKED);
        EnableWindow(GetDlgItem(page_, kListRequiredEdit), TRUE);
        SetDlgItemTextW(page_, kListRequiredEdit, c.text);
        SetUiEditingFlag(&ui_, c.editing);
        EXPECT_EQ(Notify(PSN_KILLACTIVE), c.result) << c.checked << " " << c.editing;
        ASSERT_EQ(boxes.shown().size(), c.boxes);
        EXPECT_EQ(GetUiEditingFlag(&ui_), 0u);
        if (c.boxes) {
            const std::wstring& text = boxes.shown()[0].text;
            EXPECT_EQ(boxes.shown()[0].caption, ResourceString(265));
            EXPECT_NE(text.find(ResourceString(kStringRequiredTextFirst)), std::wstring::npos);
            EXPECT_NE(text.find(ResourceString(kStringRequiredTextSecond)), std::wstring::npos);
            EXPECT_NE(text.find(L"Header line"), std::wstring::npos);
            EXPECT_EQ(GetFocus(), GetDlgItem(page_, kListRequiredEdit));
        }
        Notify(PSN_SETACTIVE);
    }
}

TEST_F(SettingsListPageWindow, ProtectedModeLocksTheHeaderLine)
{
    for (uint32_t locked : {0u, 1u}) {
        ui_.protectedMode = locked;
        OpenPage();
        EXPECT_EQ(Enabled(kListLockedCheck), locked == 0) << locked;
        EXPECT_EQ(Enabled(kListRequiredEdit), locked == 0) << locked;
        // A disabled field asks for no text.
        CheckDlgButton(page_, kListLockedCheck, BST_CHECKED);
        SetDlgItemTextW(page_, kListRequiredEdit, L"");
        MessageBoxScript boxes({IDOK});
        EXPECT_EQ(Notify(PSN_KILLACTIVE), locked ? 0 : 1) << locked;
        ClosePage();
    }
    ui_.protectedMode = 0;
}

TEST_F(SettingsListPageWindow, ButtonsWaitForTheRequiredText)
{
    OpenPage();
    CheckDlgButton(page_, kListLockedCheck, BST_CHECKED);
    EnableWindow(GetDlgItem(page_, kListRequiredEdit), TRUE);
    SetDlgItemTextW(page_, kListRequiredEdit, L"");
    for (int32_t button : {kListVersionButton, kListLengthButton}) {
        // The first window that comes up is the message, not the dialog.
        bool dialogOpened = false;
        std::wstring message;
        ScriptNextModalDialog([&] { ClickButton(page_, button); },
                              [&](HWND dialog) {
                                  dialogOpened = GetDlgItem(dialog, kLengthModeList) || GetDlgItem(dialog, 1315);
                                  wchar_t text[512] = {};
                                  GetDlgItemTextW(dialog, 0xFFFF, text, 512);
                                  message = text;
                                  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                              });
        EXPECT_FALSE(dialogOpened) << button;
        EXPECT_NE(message.find(ResourceString(kStringRequiredTextFirst)), std::wstring::npos) << button;
        EXPECT_EQ(GetFocus(), GetDlgItem(page_, kListRequiredEdit)) << button;
    }
}

TEST_F(SettingsListPageWindow, ButtonsOpenThePagesDialogs)
{
    OpenPage();
    MessageBoxScript boxes;
    const struct {
        int32_t button;
        const char* picture;
        int32_t control;  // a control only that dialog has
    } cases[] = {
        {kListVersionButton, "version_text_dialog", 1315},
        {kListAboutButton, "logo_dialog_from_page", kLogoVersionText},
        {kListLengthButton, "length_dialog_from_page", kLengthModeList},
    };
    for (const auto& c : cases) {
        bool found = false;
        ScriptNextModalDialog(
            [&] {
                SetFocus(GetDlgItem(page_, c.button));
                ClickButton(page_, c.button);
            },
            [&](HWND dialog) {
                found = GetDlgItem(dialog, c.control) != nullptr;
                CaptureWindowPng(dialog, c.picture);
                ClickButton(dialog, kLogoOkButton);
            });
        EXPECT_TRUE(found) << c.picture;
        EXPECT_EQ(GetUiEditingFlag(&ui_), 0u) << c.picture;
    }
    EXPECT_TRUE(boxes.shown().empty());
}
