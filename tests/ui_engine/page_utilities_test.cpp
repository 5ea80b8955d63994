// The item handlers' shared services on a window of the colour reference
// model: unit flags and capabilities through the window's sheet, one setting of
// a call, an option's icon, the layout summary and an item's constraint state.
#include "common/conflicts/dialog_services.h"
#include "common/options/option_lists.h"
#include "common/settings/function_ids.h"
#include "tests/support/settings_pair_fixture.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/dialog_tables.h"
#include "ui/engine/item_changes.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/page_utilities.h"
#include "ui/engine/tooltips.h"
#include "ui/engine/ui_context.h"
#include "ui/support/paper_geometry.h"

#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <iterator>
#include <string>

namespace {

constexpr int32_t kSummary = 1201;
constexpr int32_t kIcon = 1202;
constexpr int32_t kHeaderSwitch = 1203;
constexpr int32_t kCollateBox = 1204;
constexpr int32_t kDialogCode = 51;
constexpr uint32_t kSheetIcon = 64082;

constexpr ItemSlot kHeaderSlots[] = {{kFidJobHeaderOn, 3}};
constexpr ItemSlot kCollateSlots[] = {{kFidCollate, 3}};
const ItemRecord kRecords[] = {
    {kSummary, -1, nullptr, 0, LayoutSummaryHandler, nullptr, kNoControl, kNoControl, nullptr},
    {kHeaderSwitch, 1, kHeaderSlots, 0, ShowItemConstraintState, nullptr, kNoControl, kNoControl, nullptr},
    {kCollateBox, 1, kCollateSlots, 0, ShowItemConstraintState, nullptr, kNoControl, kNoControl, nullptr},
};
constexpr int32_t kRecordCount = 3;
const ItemTableHeader kTable = {kRecords, kRecordCount, kPageHelpTopic, nullptr, nullptr, 0};
const PageDescriptor kPage = {kDialogCode, &kTable, nullptr};
const PageDescriptor* const kPages[] = {&kPage};

int SheetIconOf(CallContext*, const ItemRecord*, uint32_t* icon)
{
    *icon = kSheetIcon;
    return 0;
}
int NoAnswer(CallContext*, const ItemRecord*, uint32_t*) { return 3; }

class PageUtilitiesTest : public SettingsPairTest {
protected:
    static void SetUpTestSuite()
    {
        const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        colour_ = OpenSuitePrinter(L"C4530.DDD", L"Morva UI Page Utilities C4530");
    }
    static void TearDownTestSuite() { CloseSuitePrinter(colour_); }
    void SetUp() override
    {
        Open(colour_);
        ui_.printer = Printer();
        ui_.settings = context_;
        ui_.permission = 1;
        ui_.localeUnit = 1;
        ASSERT_EQ(LoadModelCapabilityWords(&ui_), 1);
        ui_.tables = CreateDialogTableSet(kPages, std::size(kPages));
        ASSERT_NE(ui_.tables, nullptr);
    }
    void OpenWindow()
    {
        SettingsSet set{settings_.data(), printer_settings_.data()};
        dialog_ = CreateDialogContext(nullptr, &ui_, &set, nullptr);
        ASSERT_NE(dialog_, nullptr);
        window_ = CreateWindowExW(0, L"#32770", L"Utilities", WS_POPUP | WS_VISIBLE, 10, 10, 400, 200, nullptr,
                                  nullptr, nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
        SetWindowLongPtrW(window_, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog_));
        Child(L"Static", kSummary, 0, 10);
        Child(L"Static", kIcon, SS_ICON, 40);
        Child(L"Button", kHeaderSwitch, BS_AUTOCHECKBOX, 80);
        Child(L"Button", kCollateBox, BS_AUTOCHECKBOX, 110);
        SetUiTooltipWindow(&ui_, kDialogTypePage, CreateTooltipWindow(window_, 256));
        ASSERT_EQ(InitCallContext(&call_, window_, nullptr, kDialogCode, WM_INITDIALOG, kDialogTypePage), 1);
        ASSERT_EQ(InitDialogStates(&call_, kRecords, kRecordCount), 1);
        ASSERT_EQ(ReloadItemValues(&call_, kRecords, kRecordCount), 1);
        ASSERT_EQ(UpdateSlotSelections(&call_, kRecords, kRecordCount), 1);
    }
    void Child(const wchar_t* cls, int32_t id, DWORD style, int y)
    {
        CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, 10, y, 360, 24, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }
    void TearDown() override
    {
        if (window_) {
            FreeDialogStates(window_, kRecords, kRecordCount);
            DestroyWindow(window_);
        }
        FreeDialogContext(&dialog_);
        FreeDialogTableSet(ui_.tables);
        SettingsPairTest::TearDown();
    }
    uint32_t Run(ItemEventHandler handler, const ItemRecord& item, UINT message, UINT code = 0)
    {
        PSHNOTIFY notify{};
        notify.hdr.hwndFrom = window_;
        notify.hdr.code = code;
        SetCallMessage(&call_, message);
        return handler(&call_, message, 0, message == WM_NOTIFY ? reinterpret_cast<LPARAM>(&notify) : 0, &item,
                       item.parameters);
    }

    static ModelPrinter* colour_;
    UiContext ui_{};
    DialogContext* dialog_ = nullptr;
    HWND window_ = nullptr;
    CallContext call_{};
};
ModelPrinter* PageUtilitiesTest::colour_ = nullptr;

TEST_F(PageUtilitiesTest, UnitFlagsAndCapabilitiesComeThroughTheWindowsSheet)
{
    OpenWindow();
    PaperUnits byWindow{7, 7};
    PaperUnits bySettings{};
    ASSERT_EQ(GetUnitDisplayFlags(window_, &byWindow), 1);
    ASSERT_EQ(GetUnitDisplayFlags(context_, 1, &bySettings), 1);
    EXPECT_EQ(byWindow.inch, bySettings.inch);
    EXPECT_EQ(byWindow.precision, bySettings.precision);
    EXPECT_EQ(GetUnitDisplayFlags(nullptr, &byWindow), 0);
    EXPECT_EQ(GetUnitDisplayFlags(window_, nullptr), 0);
    for (CapabilityId id : {CapabilityId{0xFFFF0022}, CapabilityId{0xFFFF0023}, CapabilityId{0x800000},
                            CapabilityId{0x80000000}})
        EXPECT_EQ(HasModelCapability(window_, id), TestCapabilityBit(&ui_.capabilities, id) ? 1 : 0) << id;
    EXPECT_EQ(HasModelCapability(nullptr, 0x800000), 0);
}

TEST_F(PageUtilitiesTest, ACallReadsItsOwnSettingsPair)
{
    Set(kFidCopies, 7);
    OpenWindow();
    uint64_t value = 0;
    ASSERT_EQ(GetCallSettingValue(&call_, kFidCopies, &value), 1);
    EXPECT_EQ(value, 7u);
    EXPECT_EQ(GetCallSettingValue(nullptr, kFidCopies, &value), 0);
    EXPECT_EQ(GetCallSettingValue(&call_, kFidCopies, nullptr), 0);
}

TEST_F(PageUtilitiesTest, TheOptionIconIsSetAtShowOnly)
{
    OpenWindow();
    const ItemRecord icon{kIcon, -1, nullptr, 0, nullptr, nullptr, kNoControl, kNoControl, nullptr};
    HWND control = GetDlgItem(window_, kIcon);
    EXPECT_EQ(ShowOptionIcon(&call_, WM_COMMAND, 0, &icon, SheetIconOf), 0);
    EXPECT_EQ(SendMessageW(control, STM_GETICON, 0, 0), 0);
    EXPECT_EQ(ShowOptionIcon(&call_, WM_NOTIFY, PSN_SETACTIVE, &icon, NoAnswer), 0);
    EXPECT_EQ(ShowOptionIcon(&call_, WM_NOTIFY, PSN_SETACTIVE, &icon, SheetIconOf), 1);
    EXPECT_NE(SendMessageW(control, STM_GETICON, 0, 0), 0);
    EXPECT_EQ(ShowOptionIcon(&call_, kEventRefresh, 0, &icon, SheetIconOf), 1);
    EXPECT_NE(SendMessageW(control, STM_GETICON, 0, 0), 0);
}

TEST_F(PageUtilitiesTest, TheLayoutSummaryShowsTheSummaryLineAndItsTooltip)
{
    OpenWindow();
    HWND tooltip = GetUiTooltipWindow(&ui_, kDialogTypePage);
    Run(LayoutSummaryHandler, kRecords[0], WM_INITDIALOG);
    EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);
    Run(LayoutSummaryHandler, kRecords[0], WM_NOTIFY, static_cast<UINT>(PSN_SETACTIVE));
    wchar_t* expected = nullptr;
    ASSERT_EQ(FormatLayoutSummaryText(Context(), &expected), 1);
    wchar_t shown[256] = {};
    GetDlgItemTextW(window_, kSummary, shown, 256);
    EXPECT_EQ(std::wstring(shown), std::wstring(expected));
    EXPECT_FALSE(std::wstring(shown).empty());
    GlobalFree(expected);
}

TEST_F(PageUtilitiesTest, AnItemShowsTheConstraintStateOfItsValue)
{
    OpenWindow();
    // Collate is available; the job header switch is the graphics library's
    // and refused here outright.
    HWND collate = GetDlgItem(window_, kCollateBox);
    HWND header = GetDlgItem(window_, kHeaderSwitch);
    EnableWindow(collate, FALSE);
    Run(ShowItemConstraintState, kRecords[2], kEventRefresh);
    Run(ShowItemConstraintState, kRecords[1], WM_NOTIFY, static_cast<UINT>(PSN_SETACTIVE));
    EXPECT_TRUE(IsWindowEnabled(collate));
    EXPECT_TRUE(IsWindowVisible(collate));
    EXPECT_FALSE(IsWindowEnabled(header));
    EXPECT_FALSE(IsWindowVisible(header));
    // Without permission a hidden control stays hidden, an available one is shown.
    call_.permission = 0;
    ShowWindow(header, SW_SHOW);
    Run(ShowItemConstraintState, kRecords[1], kEventRefresh);
    Run(ShowItemConstraintState, kRecords[2], kEventRefresh);
    EXPECT_FALSE(IsWindowVisible(header));
    EXPECT_TRUE(IsWindowVisible(collate));
    // Other messages leave the controls alone.
    EnableWindow(collate, FALSE);
    Run(ShowItemConstraintState, kRecords[2], WM_COMMAND);
    EXPECT_FALSE(IsWindowEnabled(collate));
}

}  // namespace
