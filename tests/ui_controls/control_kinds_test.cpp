// The control kinds in a real window: a page of the tests' own with one
// control of each kind, run by the dialog engine, and the kinds' rules as
// tables. A picture of the page lands in build/screens.
#include "common/defaults/setting_defaults.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "tests/support/import_patch.h"
#include "tests/support/message_box_script.h"
#include "tests/support/settings_pair_fixture.h"
#include "tests/support/window_capture.h"
#include "tests/ui_controls/kinds_page_ids.h"
#include "ui/controls/access_key_labels.h"
#include "ui/controls/button_actions.h"
#include "ui/controls/control_kinds.h"
#include "ui/controls/display_states.h"
#include "ui/controls/item_callbacks.h"
#include "ui/controls/kind_handlers.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/dialog_tables.h"
#include "ui/engine/item_changes.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/ui_context.h"
#include "ui/support/resource_messages.h"
#include "common/context/option_list.h"
#include "common/system/module_files.h"

#include <commctrl.h>
#include <commdlg.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr uint16_t kNoListSetting = 36950;  // a pseudo setting: no option list
constexpr uint16_t kAdjustOn = 1315, kAdjustColour = 391, kBlackRange0 = 401;

constexpr ItemSlot kPaper[] = {{kFidPaperSize, 3}};
constexpr ItemSlot kCollateSlots[] = {{kFidCollate, 3}};
constexpr ItemSlot kNoList[] = {{kNoListSetting, 0}};
constexpr ItemSlot kOrientation[] = {{kFidOrientation, 3}};
constexpr ItemSlot kCopies[] = {{kFidCopies, 0}};
constexpr ItemSlot kHorizontal[] = {{268, 0}};
constexpr ItemSlot kVertical[] = {{kFidCopies, 0}};  // a range the model gives
constexpr uint16_t kUserCode = 5159;  // a user code, kept scrambled
constexpr ItemSlot kForm[] = {{kUserCode, 0}};
constexpr ItemSlot kFinisher[] = {{4359, 0}};
constexpr uint16_t kUserSetting = 5165;  // kept per user, with a model default
constexpr ItemSlot kUserValue[] = {{kUserSetting, 0}};
constexpr ButtonParams kDefaultsParams{kActionDefaults, nullptr};

constexpr ListItemParams kPaperRows{kRowsOfOptions, 0, 0, kListDoubleClickNext, nullptr, nullptr, nullptr};
constexpr ListItemParams kCheckRows{kRowsOfSettings, kRowLabelIsListName | kRowTwoColumns, 60, kListCheckMarks,
                                    nullptr, nullptr, nullptr};
constexpr ListItemParams kEmptyRows{kRowsOfSettings, kRowLabelIsListName, 0, 0, nullptr, nullptr, nullptr};
constexpr int32_t kOrientationButtons[] = {kKpPortrait, kKpLandscape};
constexpr OptionButtonParams kOrientationParams{2, kOrientationButtons};
constexpr EditFieldParams kCopiesParams{kEditNumeric, 3, nullptr, nullptr, kCheckAtKillFocus | kCheckAtValidate,
                                        nullptr};
constexpr EditFieldParams kProtectedParams{kEditKeepsText | kEditProtected, 20, nullptr, nullptr, 0, nullptr};
constexpr NumberFormat kMillimetres{0, 1};
constexpr EditFieldParams kLengthParams{kEditNumeric | kEditSigned | kEditLength, 6, nullptr, &kMillimetres,
                                        kCheckAtValidate, nullptr};
constexpr TrackbarParams kTrackParams{5, 1, 1};
constexpr ScrollParams kScrollParams{1, 5};
constexpr ValueTextParams kOptionText{kValueTextOption, 0};
constexpr OptionDetailParams kDetailParams{kNoControl};
constexpr PalettePictureParams kPaletteParams{1, {0, 0, 0, 0}};
constexpr ButtonParams kEndParams{kActionEnd, nullptr};
constexpr ValueTextParams kStateText{kValueTextStateOnly, 0};
constexpr uint16_t kUnitButtons[] = {kKpMillimetre, kKpInch, kKpInch};
constexpr UnitRadioParams kUnitParams{3, kUnitButtons};

const ItemRecord kRecords[] = {
    {kKpPaperCombo, 1, kPaper, kKindComboBox, nullptr, &kPaperRows, kNoControl, kNoControl, nullptr},
    {kKpCheckList, 1, kCollateSlots, kKindListBox, nullptr, &kCheckRows, kNoControl, kNoControl, nullptr},
    {kKpEmptyList, 1, kNoList, kKindListBox, nullptr, &kEmptyRows, kNoControl, kNoControl, nullptr},
    {kKpNoListCombo, 1, kNoList, kKindComboBox, nullptr, &kPaperRows, kNoControl, kNoControl, nullptr},
    {kKpPortrait, 1, kOrientation, kKindOptionButtons, nullptr, &kOrientationParams, kNoControl, kNoControl, nullptr},
    {kKpLandscape, 1, kOrientation, kKindOptionButtons, nullptr, &kOrientationParams, kNoControl, kNoControl, nullptr},
    {kKpCopiesEdit, 1, kCopies, kKindEdit, nullptr, &kCopiesParams, kNoControl, kNoControl, nullptr},
    {kKpCopiesUpDown, 1, kCopies, kKindUpDown, nullptr, nullptr, kNoControl, kNoControl, nullptr},
    {kKpCollate, 1, kCollateSlots, kKindCheckBox, nullptr, nullptr, kNoControl, kNoControl, nullptr},
    {kKpTrackbar, 1, kHorizontal, kKindTrackbar, nullptr, &kTrackParams, kNoControl, kNoControl, nullptr},
    {kKpScroll, 1, kVertical, kKindScrollBar, nullptr, &kScrollParams, kNoControl, kNoControl, nullptr},
    {kKpPaperText, 1, kPaper, kKindValueText, nullptr, &kOptionText, kNoControl, kNoControl, nullptr},
    {kKpPaperDetail, 1, kPaper, kKindOptionDetail, nullptr, &kDetailParams, kNoControl, kNoControl, nullptr},
    {kKpPalette, 1, kPaper, kKindPalettePicture, nullptr, &kPaletteParams, kNoControl, kNoControl, nullptr},
    {kKpStateOnly, 1, kFinisher, kKindStateOnly, nullptr, nullptr, kNoControl, kNoControl, nullptr},
    {kKpEndButton, 0, nullptr, kKindPushButton, nullptr, &kEndParams, kNoControl, kNoControl, nullptr},
    {kKpLengthEdit, 1, kHorizontal, kKindEdit, nullptr, &kLengthParams, kNoControl, kNoControl, nullptr},
    {kKpUnitLabel, 1, kHorizontal, kKindValueText, OnUnitLabelItem, &kStateText, kNoControl, kNoControl, nullptr},
    {kKpMillimetre, 1, kHorizontal, kKindStateOnly, OnUnitRadioItem, &kUnitParams, kNoControl, kNoControl, nullptr},
    {kKpInch, 1, kHorizontal, kKindStateOnly, OnUnitRadioItem, &kUnitParams, kNoControl, kNoControl, nullptr},
    {kKpNoKind, 1, kPaper, 3, nullptr, nullptr, kNoControl, kNoControl, nullptr},
    {kKpLevelGrid, -1, nullptr, 0, OnLevelGridItem, nullptr, kNoControl, kNoControl, nullptr},
    {kKpUserValue, 1, kUserValue, 0, nullptr, nullptr, kNoControl, kNoControl, nullptr},
    {1090, 0, nullptr, kKindPushButton, OnResetUserSettingsButton, &kDefaultsParams, kNoControl, kNoControl, nullptr},
    // Last: the per-user reset stops at this user code, which has no model default.
    {kKpProtectedEdit, 1, kForm, kKindEdit, nullptr, &kProtectedParams, kNoControl, kNoControl, nullptr},
};
const ItemTableHeader kTable = {kRecords, static_cast<uint32_t>(std::size(kRecords)), kPageHelpTopic, nullptr,
                                nullptr, 0};
const PageDescriptor kPage = {kKindsDialogCode, &kTable, nullptr};

// The version dialog (code 4, modal) whose OK ends it with code 11, and
// dialog 512 (code 26, a sub-page dialog) with the shared OK and Cancel.
constexpr int32_t kVersionCode = 4, kSettingsDialogCode = 26;
constexpr ButtonParams kEndWith11{kActionEnd, nullptr};
const ItemRecord kVersionRecords[] = {
    {1092, 0, nullptr, kKindPushButton, nullptr, &kEndWith11, kNoControl, kNoControl, nullptr},
};
const ItemTableHeader kVersionTable = {kVersionRecords, 1, kPageHelpTopic, nullptr, nullptr, 0};
const PageDescriptor kVersionPage = {kVersionCode, &kVersionTable, nullptr};
const ItemRecord kSettingsRecords[] = {
    {kPageItemId, -1, nullptr, 0, nullptr, nullptr, kNoControl, kNoControl, nullptr},
};
const ItemTableHeader kSettingsTable = {kSettingsRecords, 1, kPageHelpTopic, nullptr, nullptr, 0};
const PageDescriptor kSettingsPage = {kSettingsDialogCode, &kSettingsTable, nullptr};
const PageHeader kVersionHeader = {869, 0, DialogVersionTextProc, kVersionCode, kNoControl, 0, nullptr, 0};
const PageHeader kSettingsHeader = {512, 0, Dialog512Proc, kSettingsDialogCode, kNoControl, 0, nullptr, 0};
constexpr SubDialogParams kOpenVersion{&kVersionHeader, 0, 0, kDialogTypeModal};
constexpr SubDialogParams kOpenSettings{&kSettingsHeader, 0, 0, kDialogTypeSubPage};

const PageDescriptor* const kPages[] = {&kPage, &kVersionPage, &kSettingsPage};

// What the timer does to the modal dialog the test opened.
std::function<void(HWND)> onDialog;
HWND FindOpenDialog()
{
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM out) -> BOOL {
            wchar_t name[16] = {};
            GetClassNameW(window, name, 16);
            // The modal dialog is the owned one; the test's host window has no owner.
            if (IsWindowVisible(window) && wcscmp(name, L"#32770") == 0 && GetWindow(window, GW_OWNER)) {
                *reinterpret_cast<HWND*>(out) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}
void CALLBACK DialogTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND dialog = FindOpenDialog();
    if (!dialog)
        return;
    KillTimer(nullptr, id);
    if (onDialog)
        onDialog(dialog);
}
void Click(HWND dialog, int control)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(control, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, control)));
}

INT_PTR CALLBACK KindsProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    SlotHandler handler = nullptr;
    int32_t slot = -1;
    if (!FindMessageHandler(message, wParam, lParam, kDialogTypeModal, &handler, &slot))
        return FALSE;
    return CallMessageHandler(window, message, wParam, lParam, kKindsDialogCode, kDialogTypeModal, handler);
}

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

class ControlKindsTest : public SettingsPairTest {
protected:
    static void SetUpTestSuite()
    {
        const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        colour_ = OpenSuitePrinter(L"C4530.DDD", L"Morva UI Control Kinds C4530");
    }
    static void TearDownTestSuite() { CloseSuitePrinter(colour_); }
    void SetUp() override
    {
        Open(colour_);
        ui_.printer = Printer();
        ui_.settings = context_;
        ui_.permission = 1;
        ui_.pageCheckDone = 1;  // the sheet's first check is the engine's, not these tests'
        ui_.tables = CreateDialogTableSet(kPages, std::size(kPages));
        ASSERT_NE(ui_.tables, nullptr);
    }
    void OpenPage()
    {
        SettingsSet set{settings_.data(), printer_settings_.data()};
        record_ = CreateDialogContext(nullptr, &ui_, &set, nullptr);
        ASSERT_NE(record_, nullptr);
        host_ = CreateWindowExW(0, L"#32770", L"Control kinds", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 20, 20, 560,
                                520, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(host_, nullptr);
        record_->owner = host_;
        MessageBoxScript opening;
        page_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kKindsPageTemplate), host_,
                                   KindsProcedure, reinterpret_cast<LPARAM>(record_));
        ASSERT_NE(page_, nullptr);
        ShowWindow(page_, SW_SHOW);
        Pump();
        for (const ShownMessageBox& box : opening.shown())
            ADD_FAILURE() << "a box while opening: " << std::string(box.text.begin(), box.text.end());
    }
    void TearDown() override
    {
        if (page_)
            DestroyWindow(page_);
        if (host_)
            DestroyWindow(host_);
        FreeDialogContext(&record_);
        FreeDialogTableSet(ui_.tables);
        SettingsPairTest::TearDown();
    }
    // The page's current settings.
    uint32_t Current(uint16_t id)
    {
        uint16_t type = 0;
        uint32_t size = 0;
        uint64_t holder = 0;
        GetFunctionIdValue(id, record_->current->settings, record_->current->printerSettings, &type, &size, &holder);
        return static_cast<uint32_t>(holder);
    }
    void SetCurrent(uint16_t id, uint32_t value)
    {
        uint16_t type = 0;
        uint32_t size = 0;
        uint64_t holder = 0;
        GetFunctionIdValue(id, record_->current->settings, record_->current->printerSettings, &type, &size, &holder);
        SetFunctionIdValueWord(record_->current->settings, record_->current->printerSettings, id, type, size, value);
    }
    LRESULT Command(int control, WORD note)
    {
        return SendMessageW(page_, WM_COMMAND, MAKEWPARAM(control, note),
                            reinterpret_cast<LPARAM>(GetDlgItem(page_, control)));
    }
    std::wstring Text(int control)
    {
        wchar_t text[256] = {};
        GetDlgItemTextW(page_, control, text, 256);
        return text;
    }
    void Refresh()
    {
        CallContext call{};
        InitCallContext(&call, page_, host_, kKindsDialogCode, kEngineRefresh, kDialogTypeModal);
        RefreshDialogFromSettings(&call, nullptr);
        FreeGlobalIfSet(call.pendingData);
    }

    static ModelPrinter* colour_;
    UiContext ui_{};
    DialogContext* record_ = nullptr;
    HWND host_ = nullptr;
    HWND page_ = nullptr;
};
ModelPrinter* ControlKindsTest::colour_ = nullptr;

// --- Tables ---------------------------------------------------------------------------------

TEST(ControlKindTable, EveryKindButNoneAndThreeHasAHandler)
{
    for (uint64_t kind = 0; kind <= 16; ++kind) {
        const bool served = kind != 0 && kind != 3 && kind != 16;
        EXPECT_EQ(FindKindHandler(kind) != nullptr, served) << kind;
    }
}

TEST(ControlKindTable, TallListsHaveTallRows)
{
    struct Row {
        int32_t control;
        int height;
    } rows[] = {{1012, 26}, {1018, 26}, {1225, 26}, {1001, 15}, {2002, 15}};
    for (const Row& row : rows)
        EXPECT_EQ(GetListRowHeight(nullptr, static_cast<WPARAM>(row.control)), static_cast<UINT>(row.height))
            << row.control;
}

TEST(ControlKindTable, ListKeysMoveByTheTable)
{
    struct Row {
        UINT key;
        int32_t row, rows, target;
    } rows[] = {
        {VK_SPACE, 2, 5, 2}, {VK_PRIOR, 3, 5, 0}, {VK_HOME, 3, 5, 0}, {VK_NEXT, 1, 5, 4}, {VK_END, 1, 5, 4},
        {VK_LEFT, 2, 5, 1},  {VK_UP, 2, 5, 1},    {VK_RIGHT, 2, 5, 3}, {VK_DOWN, 2, 5, 3}, {VK_UP, 0, 5, -1},
        {VK_DOWN, 4, 5, -1}, {31, 2, 5, -1},      {41, 2, 5, -1},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ListKeyTarget(row.key, row.row, row.rows), row.target) << row.key;
    CallContext call{};
    EXPECT_EQ(HandleListKey(&call, &kRecords[1], &kCheckRows, 31), -1);
    EXPECT_EQ(HandleListKey(&call, &kRecords[1], &kCheckRows, 41), -1);
}

TEST(ControlKindTable, FixedPointTextsWithADecimalComma)
{
    struct Row {
        const char* text;
        uint32_t flags;
        int ok;
        int32_t value;
    } rows[] = {
        {"2,73", 0, 0, 0},
        {"2,73", kEditCutDecimals, 1, 27},
        {"2,7", kEditSnapHalf, 1, 25},
        {"2,3", kEditSnapHalf, 1, 20},
        {"2,5", kEditSnapHalf, 1, 25},
        {"1,2,3", 0, 0, 0},
        {"1,2,3", kEditCutDecimals, 0, 0},
        {"-4,5", 0, 1, -45},
        {"7", 0, 1, 70},
        {"2a", 0, 0, 0},
    };
    for (const Row& row : rows) {
        int32_t value = 0;
        EXPECT_EQ(ParseFixedPointValue(row.text, 1, row.flags, ',', &value), row.ok) << row.text;
        if (row.ok) {
            EXPECT_EQ(value, row.value) << row.text;
        }
    }
}

TEST(ControlKindTable, ScrollCodesFromTheStoredValue)
{
    const ScrollParams up{0, 5}, down{1, 5};
    struct Row {
        const ScrollParams* params;
        int code;
        int32_t position, stored, value;
    } rows[] = {
        {&up, SB_TOP, 0, 0, 10},           {&down, SB_TOP, 0, 0, -10},     {&up, SB_BOTTOM, 0, 0, -10},
        {&down, SB_BOTTOM, 0, 0, 10},      {&up, SB_LINEUP, 0, 3, 4},      {&down, SB_LINEUP, 0, 3, 2},
        {&up, SB_PAGEDOWN, 0, 3, -2},      {&down, SB_PAGEDOWN, 0, 8, 10}, {&up, SB_THUMBPOSITION, 0, 5, -10},
        {&up, SB_THUMBTRACK, 20, 5, 10},   {&down, SB_THUMBPOSITION, 13, 0, 3},
    };
    for (const Row& row : rows) {
        int32_t value = 99;
        ASSERT_TRUE(ScrollToValue(row.code, row.position, row.stored, -10, 10, row.params, &value)) << row.code;
        EXPECT_EQ(value, row.value) << row.code;
    }
    int32_t value = 0;
    EXPECT_FALSE(ScrollToValue(SB_ENDSCROLL, 0, 0, -10, 10, &up, &value));
}

TEST(ControlKindTable, InchDisplayConvertsOnce)
{
    // 4.0 mm is 0.157 in: 16 hundredths, not the 6 of a second conversion.
    struct Row {
        uint16_t setting;
        int32_t stored, shown;
    } rows[] = {{268, 40, 16}, {268, 100, 19}, {268, -100, -19}, {269, -40, -16}, {324, 48, 19}, {460, 254, 100}};
    for (const Row& row : rows)
        EXPECT_EQ(StoredToShownLength(row.setting, row.stored, true), row.shown) << row.setting << " " << row.stored;
    EXPECT_EQ(StoredToShownLength(268, 40, false), 40);
}

TEST(ControlKindTable, NestedSheetResults)
{
    EXPECT_EQ(NestedSheetResult(1), 1);
    EXPECT_EQ(NestedSheetResult(0), 2);
    EXPECT_EQ(NestedSheetResult(-1), -1);
    EXPECT_EQ(NestedSheetResult(5), -1);
}

TEST(ControlKindTable, AccessKeyLabels)
{
    HMODULE module = GetModuleHandleW(nullptr);
    struct Row {
        const wchar_t* text;
        int32_t key;
        const wchar_t* extra;
        const wchar_t* label;
    } rows[] = {
        {L"Paper & Size", kKpKeyString, nullptr, L"&Paper && Size"},
        {L"Lower tray", kKpKeyString, L" (1-5)", L"Lower tray (1-5)(&P)"},
        {L"Copies", kNoControl, nullptr, L"Copies"},
    };
    for (const Row& row : rows) {
        wchar_t out[kLabelChars] = {};
        ASSERT_EQ(BuildLabelWithAccessKey(module, out, kLabelChars, row.text, row.key, kNoControl, row.extra), 1);
        EXPECT_STREQ(out, row.label);
    }
}

TEST(ControlKindTable, PendingListHoldsSettings)
{
    uint16_t* list = nullptr;
    const uint16_t first[] = {8, 12, 0};
    const uint16_t second[] = {268, 0};
    ASSERT_EQ(AddToPendingList(&list, first), 1);
    ASSERT_EQ(AddToPendingList(&list, second), 1);
    const uint16_t expected[] = {8, 12, 268, 0};
    EXPECT_EQ(std::memcmp(list, expected, sizeof(expected)), 0);
    GlobalFree(list);
}

TEST(ControlKindTable, LevelGridCellsOfARow)
{
    struct Row {
        int row;
        uint32_t value;
        int lit;
    } rows[] = {{0, 0, -1}, {0, 1, 0}, {0, 8, 3}, {0, 64, 6}, {1, 8, -1}, {1, 256, 0}, {1, 2048, 3}, {2, 65536, 0}};
    for (const Row& row : rows)
        EXPECT_EQ(LitCellsOfRow(row.row, row.value), row.lit) << row.row << " " << row.value;
}

// --- Real windows -----------------------------------------------------------------------------

TEST_F(ControlKindsTest, ThePageShowsEveryKind)
{
    OpenPage();
    EXPECT_GT(SendDlgItemMessageW(page_, kKpPaperCombo, CB_GETCOUNT, 0, 0), 0);
    EXPECT_NE(SendDlgItemMessageW(page_, kKpPaperCombo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_FALSE(Text(kKpPaperText).empty());
    // No option list: the combo box is disabled; no visible row: the one row is string 391.
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page_, kKpNoListCombo)));
    ASSERT_EQ(SendDlgItemMessageW(page_, kKpEmptyList, LB_GETCOUNT, 0, 0), 1);
    wchar_t row[128] = {};
    SendDlgItemMessageW(page_, kKpEmptyList, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(row));
    EXPECT_EQ(std::wstring(row), ResourceString(kStringNoRows));
    EXPECT_EQ(Text(kKpCopiesEdit), std::to_wstring(Current(kFidCopies)));
    ASSERT_TRUE(CaptureWindowPng(page_, "control_kinds_page"));
}

TEST_F(ControlKindsTest, ACheckMarkRowTogglesOnAClickOfTheCurrentRow)
{
    OpenPage();
    const uint32_t before = Current(kFidCollate);
    SendDlgItemMessageW(page_, kKpCheckList, LB_SETCURSEL, 0, 0);
    Command(kKpCheckList, LBN_SELCHANGE);
    EXPECT_EQ(Current(kFidCollate), before ? 0u : 1u);
    Command(kKpCheckList, LBN_SELCHANGE);
    EXPECT_EQ(Current(kFidCollate), before);
}

// Pixels of a row's 16 x 16 icon place that are mostly green (the tick) and
// mostly the icons' dark blue edge (the box), after the list has painted.
struct RowIconInk {
    int tick = 0, edge = 0;
};
RowIconInk InkOfRowIcon(HWND list, int row)
{
    RECT box{};
    SendMessageW(list, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&box));
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(list);
    HDC dc = GetDC(list);
    RowIconInk ink;
    const int middle = (box.top + box.bottom) / 2;
    for (int y = middle - 8; y < middle + 8; ++y)
        for (int x = box.left + 1; x < box.left + 17; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            if (GetGValue(c) > 150 && GetRValue(c) < 120 && GetBValue(c) < 120)
                ++ink.tick;
            if (GetBValue(c) > 110 && GetRValue(c) < 90 && GetGValue(c) < 130)
                ++ink.edge;
        }
    ReleaseDC(list, dc);
    return ink;
}

TEST_F(ControlKindsTest, ACheckMarkRowShowsTheBoxOfItsValue)
{
    OpenPage();
    HWND list = GetDlgItem(page_, kKpCheckList);
    const uint32_t before = Current(kFidCollate);
    const RowIconInk first = InkOfRowIcon(list, 0);
    SendMessageW(list, LB_SETCURSEL, 0, 0);
    Command(kKpCheckList, LBN_SELCHANGE);
    ASSERT_NE(Current(kFidCollate), before);
    const RowIconInk second = InkOfRowIcon(list, 0);
    const RowIconInk& on = before ? first : second;
    const RowIconInk& off = before ? second : first;
    EXPECT_GT(on.edge, 8);
    EXPECT_GT(off.edge, 8);
    EXPECT_GT(on.tick, 4);
    EXPECT_EQ(off.tick, 0);
    // The page's check box of the setting follows once the refresh has run; it
    // shows option 0 checked, and this model lists "Off" first.
    Pump();
    EXPECT_EQ(IsDlgButtonChecked(page_, kKpCollate), Current(kFidCollate) == 0 ? BST_CHECKED : BST_UNCHECKED);
    ASSERT_TRUE(CaptureWindowPng(page_, "control_kinds_check_marks"));
}

// Tray 3 chosen with one tray installed: the document's tray goes back to its
// default, the installed trays are the user's to change.
TEST_F(ControlKindsTest, DefaultsLeaveThePrinterSettingsAsTheyAre)
{
    constexpr uint16_t kTray = 265, kTraysInstalled = 4359;
    Set(kTraysInstalled, 1);
    Set(kTray, 3);
    std::vector<uint16_t> changed, left;
    ASSERT_EQ(ResolveDefaultConflicts(Printer(), context_, settings_.data(), printer_settings_.data(), &changed,
                                      &left),
              1);
    EXPECT_EQ(Get(kTraysInstalled), 1u);
    EXPECT_NE(Get(kTray), 3u);
    EXPECT_NE(std::find(changed.begin(), changed.end(), kTray), changed.end());
    EXPECT_TRUE(left.empty());
}

TEST_F(ControlKindsTest, AnItemWithoutAKindHandlerReceivesNothing)
{
    OpenPage();
    const uint32_t before = Current(kFidPaperSize);
    Command(kKpNoKind, BN_CLICKED);
    EXPECT_EQ(Current(kFidPaperSize), before);
}

TEST_F(ControlKindsTest, ATextOverTheMaximumIsRefusedWhole)
{
    OpenPage();
    const uint32_t before = Current(kFidCopies);
    SendDlgItemMessageW(page_, kKpCopiesEdit, EM_LIMITTEXT, 10, 0);
    SetDlgItemTextW(page_, kKpCopiesEdit, L"1234");
    MessageBoxScript boxes({IDOK});
    Command(kKpCopiesEdit, EN_KILLFOCUS);
    EXPECT_EQ(Current(kFidCopies), before);
    EXPECT_EQ(Text(kKpCopiesEdit), std::to_wstring(before));
}

TEST_F(ControlKindsTest, AProtectedTextIsShownPlainAndStoredEncoded)
{
    OpenPage();
    SetDlgItemTextW(page_, kKpProtectedEdit, L"secret");
    Command(kKpProtectedEdit, EN_CHANGE);
    wchar_t stored[64] = {};
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    ASSERT_EQ(GetFunctionIdValue(kUserCode, record_->current->settings, record_->current->printerSettings, &type,
                                 &size, &holder),
              0);
    wcsncpy(stored, reinterpret_cast<const wchar_t*>(holder), 63);
    EXPECT_STRNE(stored, L"secret");
    EXPECT_GT(wcslen(stored), 6u);
    Refresh();
    SendMessageW(page_, kEngineReset, 0, 0);
    EXPECT_EQ(Text(kKpProtectedEdit), L"secret");
}

TEST_F(ControlKindsTest, TheTrackbarIgnoresPagesAndEnds)
{
    OpenPage();
    const uint32_t before = Current(268);
    for (WORD code : {TB_PAGEUP, TB_PAGEDOWN, TB_TOP, TB_BOTTOM}) {
        SendDlgItemMessageW(page_, kKpTrackbar, TBM_SETPOS, TRUE, 3);
        SendMessageW(page_, WM_HSCROLL, MAKEWPARAM(code, 0), reinterpret_cast<LPARAM>(GetDlgItem(page_, kKpTrackbar)));
        EXPECT_EQ(Current(268), before) << code;
    }
}

TEST_F(ControlKindsTest, TheUnitRadioSwitchesTheUnitLabel)
{
    OpenPage();
    EXPECT_EQ(Text(kKpUnitLabel), ResourceString(kStringMillimetre));
    CheckRadioButton(page_, kKpMillimetre, kKpInch, kKpInch);
    Command(kKpInch, BN_CLICKED);
    Pump();
    EXPECT_EQ(ui_.chosenUnit, 1);
    EXPECT_EQ(Text(kKpUnitLabel), ResourceString(kStringInch));
    CheckRadioButton(page_, kKpMillimetre, kKpInch, kKpMillimetre);
    Command(kKpMillimetre, BN_CLICKED);
    EXPECT_EQ(Text(kKpUnitLabel), ResourceString(kStringMillimetre));
}

TEST_F(ControlKindsTest, TheLevelGridLightsCellsZeroToThreeForEight)
{
    Set(kAdjustOn, 1);
    Set(kAdjustColour, 0);
    Set(kBlackRange0, 8);
    OpenPage();
    ASSERT_EQ(Current(kBlackRange0), 8u);
    Refresh();
    HWND grid = GetDlgItem(page_, kKpLevelGrid);
    HDC dc = GetDC(grid);
    for (int k = 0; k < kLevelGridCells; ++k) {
        RECT box{};
        GetWindowRect(GetDlgItem(page_, kLevelGridRows[0] - k), &box);
        MapWindowPoints(nullptr, grid, reinterpret_cast<POINT*>(&box), 2);
        const COLORREF pixel = GetPixel(dc, (box.left + box.right) / 2, (box.top + box.bottom) / 2);
        EXPECT_EQ(pixel, k <= 3 ? LevelCellColour(0, 0) : RGB(255, 255, 255)) << k;
    }
    ReleaseDC(grid, dc);
    ASSERT_TRUE(CaptureWindowPng(page_, "control_kinds_level_grid"));
}

TEST_F(ControlKindsTest, TheVersionDialogEndsWithEleven)
{
    OpenPage();
    CallContext call{};
    InitCallContext(&call, page_, host_, kKindsDialogCode, WM_COMMAND, kDialogTypeModal);
    std::wstring version;
    onDialog = [&](HWND dialog) {
        wchar_t text[800] = {};
        GetDlgItemTextW(dialog, 1315, text, 800);
        version = text;
        CaptureWindowPng(dialog, "control_kinds_version_dialog");
        Click(dialog, 1092);
    };
    SetTimer(nullptr, 0, 50, DialogTimer);
    EXPECT_EQ(OpenSubDialog(&call, &kRecords[0], kActionSubDialog, &kOpenVersion), kActionEnd);
    onDialog = nullptr;
    EXPECT_EQ(version, ResourceString(9256) + L"\n" + ResourceString(9257) + L"\n" + ResourceString(9258));
    FreeGlobalIfSet(call.pendingData);
}

TEST_F(ControlKindsTest, ASubPageDialogWorksOnACopyThatCancelDropsAndOkKeeps)
{
    OpenPage();
    const uint32_t before = Current(kFidCopies);
    struct Row {
        int button;
        bool kept;
    } rows[] = {{1091, false}, {1092, true}};
    for (const Row& row : rows) {
        CallContext call{};
        InitCallContext(&call, page_, host_, kKindsDialogCode, WM_COMMAND, kDialogTypeModal);
        bool reached = false;
        onDialog = [&](HWND dialog) {
            // The dialog reads its context from the property-page record it was given.
            DialogContext* sub = GetDialogContext(dialog);
            reached = sub && sub != record_;
            if (sub) {
                uint16_t type = 0;
                uint32_t size = 0;
                uint64_t holder = 0;
                GetFunctionIdValue(kFidCopies, sub->current->settings, sub->current->printerSettings, &type, &size,
                                   &holder);
                SetFunctionIdValueWord(sub->current->settings, sub->current->printerSettings, kFidCopies, type, size,
                                       before + 2);
            }
            CaptureWindowPng(dialog, "control_kinds_settings_dialog");
            Click(dialog, row.button);
        };
        SetTimer(nullptr, 0, 50, DialogTimer);
        const int result = OpenSubDialog(&call, &kRecords[0], kActionSubDialog, &kOpenSettings);
        onDialog = nullptr;
        FreeGlobalIfSet(call.pendingData);
        EXPECT_TRUE(reached) << row.button;
        EXPECT_EQ(result, row.kept ? IDOK : IDCANCEL);
        EXPECT_EQ(Current(kFidCopies), row.kept ? before + 2 : before) << row.button;
        SetCurrent(kFidCopies, before);
    }
}

TEST_F(ControlKindsTest, TheScrollBarRunsFromZero)
{
    OpenPage();
    CallContext call{};
    InitCallContext(&call, page_, host_, kKindsDialogCode, kEngineRefresh, kDialogTypeModal);
    int32_t minimum = 0, maximum = 0;
    ASSERT_EQ(GetItemValueRange(&call, &kRecords[10], &minimum, &maximum), 1);
    int low = -1, high = -1;
    GetScrollRange(GetDlgItem(page_, kKpScroll), SB_CTL, &low, &high);
    EXPECT_EQ(low, minimum < 0 ? 0 : minimum);
    EXPECT_EQ(high, minimum < 0 ? maximum - minimum : maximum);
    const int position = GetScrollPos(GetDlgItem(page_, kKpScroll), SB_CTL);
    EXPECT_EQ(position, static_cast<int>(Current(kFidCopies)) - (minimum < 0 ? minimum : 0));
}

TEST(ControlKindTable, UpDownStepsFromTheStoredValue)
{
    struct Row {
        int32_t stored, typed;
        bool readable;
        int32_t s, p;
        bool changes;
        int32_t value;
    } rows[] = {
        {5, 7, true, 5, 6, true, 8},        // a typed number in range is the base
        {5, 0, true, 5, 6, true, 6},        // below the range: from the stored value
        {5, 1000, true, 5, 4, true, 4},     // above the range: from the stored value
        {5, 0, false, 5, 6, true, 6},       // nothing readable typed
        {5, 5, true, 5, 5, false, 0},       // no move, the typed value is the stored one
        {5, 0, false, 5, 5, false, 0},      // no move, nothing typed
        {999, 0, true, 999, 999, true, 999},  // at the maximum with an out-of-range number: from the stored
        {1, 7, true, 1, 1, true, 6},        // at the minimum: one step down from the typed 7
    };
    for (const Row& row : rows) {
        int32_t value = 0;
        EXPECT_EQ(UpDownStepValue(row.stored, row.typed, row.readable, row.s, row.p, 1, 999, &value), row.changes)
            << row.stored << " " << row.typed;
        if (row.changes) {
            EXPECT_EQ(value, row.value) << row.stored << " " << row.typed;
        }
    }
}

// The open-file dialog the tests stand in for: first a name too long for its
// limit, then Cancel.
int fileCalls = 0;
BOOL WINAPI ScriptedOpenFile(OPENFILENAMEW* dialog)
{
    if (fileCalls++ == 0) {
        lstrcpynW(dialog->lpstrFile, L"C:\\folder\\a-name-much-longer-than-allowed.txt", dialog->nMaxFile);
        dialog->nFileOffset = 10;
        dialog->nFileExtension = static_cast<WORD>(wcslen(dialog->lpstrFile) - 3);
        return TRUE;
    }
    return FALSE;
}
DWORD WINAPI NoDialogError() { return 0; }

TEST_F(ControlKindsTest, ATooLongFileNameIsRefusedAndTheDialogOpensAgain)
{
    OpenPage();
    ScopedImportPatch open("comdlg32.dll", "GetOpenFileNameW", reinterpret_cast<void*>(&ScriptedOpenFile));
    ScopedImportPatch error("comdlg32.dll", "CommDlgExtendedError", reinterpret_cast<void*>(&NoDialogError));
    ASSERT_TRUE(open.active());
    fileCalls = 0;
    const FileDialogParams params{kNoControl, 1, 8, 64, 128, kMessageByteLimit, 0, kFidFormName, kNoControl, 0,
                                  kNoControl, -1, kNoControl, nullptr, 0, kFidFormName, 0,
                                  kFileCheckNameLength | kFileCheckFolderLength, nullptr, nullptr};
    CallContext call{};
    InitCallContext(&call, page_, host_, kKindsDialogCode, WM_COMMAND, kDialogTypeModal);
    call.subResult = kActionOpenFile;
    wchar_t before[64] = {};
    {
        uint16_t type = 0;
        uint32_t size = 0;
        uint64_t holder = 0;
        GetFunctionIdValue(kFidFormName, call.settings, call.printerSettings, &type, &size, &holder);
        wcsncpy(before, reinterpret_cast<const wchar_t*>(holder), 63);
    }
    MessageBoxScript boxes({IDOK});
    EXPECT_EQ(ChooseFileForItem(page_, &call, &kRecords[0], &params), 2);
    EXPECT_EQ(fileCalls, 2);
    // The script also sees the host window come back to the front: only boxes with a text count.
    std::vector<std::wstring> texts;
    for (const ShownMessageBox& box : boxes.shown())
        if (!box.text.empty())
            texts.push_back(box.text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find(L"8"), std::wstring::npos);
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    GetFunctionIdValue(kFidFormName, call.settings, call.printerSettings, &type, &size, &holder);
    EXPECT_STREQ(reinterpret_cast<const wchar_t*>(holder), before);
    EXPECT_EQ(call.pendingData, nullptr);
}

TEST_F(ControlKindsTest, TheResetButtonFollowsTheEditPermission)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t userDefault = 0, copiesDefault = 0;
    ASSERT_EQ(GetFunctionIdDefault(context_, kUserSetting, &type, &size, &userDefault), kFunctionIdDefaultOk);
    ASSERT_EQ(GetFunctionIdDefault(context_, kFidCopies, &type, &size, &copiesDefault), kFunctionIdDefaultOk);
    struct Row {
        uint32_t permission;
        bool copiesReset;
    } rows[] = {{0, false}, {1, true}};
    for (const Row& row : rows) {
        ui_.permission = row.permission;
        OpenPage();
        SetCurrent(kUserSetting, static_cast<uint32_t>(userDefault) + 1);
        SetCurrent(kFidCopies, static_cast<uint32_t>(copiesDefault) + 6);
        MessageBoxScript boxes({IDOK, IDOK, IDOK});
        Command(1090, BN_CLICKED);
        EXPECT_EQ(Current(kUserSetting), static_cast<uint32_t>(userDefault)) << row.permission;
        EXPECT_EQ(Current(kFidCopies), static_cast<uint32_t>(row.copiesReset ? copiesDefault : copiesDefault + 6))
            << row.permission;
        if (!row.permission) {
            EXPECT_TRUE(boxes.shown().empty());
        }
        DestroyWindow(page_);
        DestroyWindow(host_);
        page_ = host_ = nullptr;
        FreeDialogContext(&record_);
    }
}

}  // namespace
