// The message engine in a real property sheet: the synthetic page driven by
// the engine, changes made as the user makes them, Apply, OK and Cancel as the
// sheet sends them, and the sheet's result reports as the common property-sheet
// interface would receive them.
#include "common/config/site_config.h"
#include "common/context/option_list.h"
#include "common/context/value_by_type.h"
#include "common/settings/function_ids.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "tests/support/message_box_script.h"
#include "tests/support/window_capture.h"
#include "tests/ui_engine/engine_sheet.h"
#include "ui/controls/access_key_labels.h"
#include "ui/controls/display_states.h"
#include "ui/controls/engine_steps.h"
#include "ui/support/sub_dialog.h"
#include "ui/engine/page_check.h"
#include "ui/engine/page_utilities.h"

#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <string>
#include <algorithm>
#include <vector>

namespace {

constexpr uint16_t kFidUserCode = 5129;
constexpr int kApplyButton = 0x3021;
// The free custom size: the model asks before it takes it with a stamp set.
constexpr uint32_t kPaperAskedFor = 256;
constexpr UINT kSetResult = 9;
constexpr int kNoString = -3;

class MessageEngineTest : public EngineSheetTest {
protected:
    bool ApplyEnabled() const { return IsWindowEnabled(GetDlgItem(sheet_, kApplyButton)) != FALSE; }
    int Refreshes() const
    {
        int n = 0;
        for (const BenchEvent& e : g_bench.events)
            n += e.message == kEventRefresh;
        return n;
    }
    // Another paper the model offers that raises no conflict.
    uint32_t OtherPaper() { return Current(kFidPaperSize) == 9 ? 11 : 9; }
};

TEST_F(MessageEngineTest, TheSameValueAnswersThreeWithoutRefreshOrChangedSheet)
{
    OpenSheet();
    ASSERT_FALSE(ApplyEnabled());
    Select(kSynPaperCombo, Current(kFidPaperSize));
    ASSERT_EQ(g_bench.changes.size(), 1u);
    EXPECT_EQ(g_bench.changes[0].result, kChangeSameValue);
    EXPECT_EQ(Refreshes(), 0);
    EXPECT_FALSE(ApplyEnabled());
    // The early return let go of the guard: the next change is taken.
    const uint32_t paper = OtherPaper();
    Select(kSynPaperCombo, paper);
    ASSERT_EQ(g_bench.changes.size(), 2u);
    EXPECT_EQ(g_bench.changes[1].result, kChangeApplied);
    EXPECT_EQ(Current(kFidPaperSize), paper);
    // Every item is refreshed once with the changed list, and the sheet's Apply is offered.
    EXPECT_EQ(Refreshes(), static_cast<int>(EngineItemTable.count));
    EXPECT_TRUE(ApplyEnabled());
    CaptureWindowPng(sheet_, "engine_sheet");
}

TEST_F(MessageEngineTest, AnEnforcedSettingAnswersTwoAndTheNextChangeIsTaken)
{
    auto* list = static_cast<ConfiguredSettingsList*>(GlobalAlloc(GPTR, sizeof(ConfiguredSettingsList)));
    auto* entry = static_cast<ConfiguredSettingEntry*>(GlobalAlloc(GPTR, sizeof(ConfiguredSettingEntry)));
    ASSERT_TRUE(list && entry);
    *entry = {kFidCollate, 1, kConfiguredEnforced};
    list->settingCount = 1;
    list->settings = entry;
    ConfiguredSettingsList* kept = context_->siteConfig;
    context_->siteConfig = list;
    OpenSheet();
    const uint32_t collate = Current(kFidCollate);
    Select(kSynCollate, collate ? 0 : 1);
    const uint32_t after = Current(kFidCollate);
    Select(kSynPaperCombo, OtherPaper());
    context_->siteConfig = kept;
    FreeConfiguredSettingsList(list);
    ASSERT_EQ(g_bench.changes.size(), 2u);
    EXPECT_EQ(g_bench.changes[0].result, kChangeNotApplied);
    EXPECT_EQ(after, collate);
    EXPECT_EQ(g_bench.changes[1].result, kChangeApplied);
}

// While the conflict question of one change is open, the box's message loop
// delivers a second change: it is refused and changes nothing.
TEST_F(MessageEngineTest, AChangeWhileAConflictBoxIsOpenAnswersTwo)
{
    SetText(kFidStampName, L"Confidential");
    OpenSheet();
    const uint32_t copies = Current(kFidCopies);
    const uint32_t paper = Current(kFidPaperSize);
    MessageBoxScript script({IDOK});
    g_bench.next[kSynCopiesEdit] = copies + 1;
    HWND page = Page();
    PostMessageW(page, WM_COMMAND, MAKEWPARAM(kSynCopiesEdit, CBN_SELCHANGE), 0);
    Select(kSynPaperCombo, kPaperAskedFor);
    ASSERT_EQ(script.shown().size(), 1u);
    EXPECT_EQ(script.unscripted(), 0);
    EXPECT_EQ(script.shown()[0].caption, ResourceString(265));
    ASSERT_EQ(g_bench.changes.size(), 2u);
    EXPECT_EQ(g_bench.changes[0].control, kSynCopiesEdit);
    EXPECT_EQ(g_bench.changes[0].result, kChangeNotApplied);
    EXPECT_EQ(g_bench.changes[1].control, kSynPaperCombo);
    EXPECT_EQ(g_bench.changes[1].result, kChangeNotApplied);
    EXPECT_EQ(Current(kFidCopies), copies);
    EXPECT_EQ(Current(kFidPaperSize), paper);
    EXPECT_EQ(Refreshes(), 0);
    // Both ways out cleared the guard.
    Select(kSynCopiesEdit, copies + 1);
    EXPECT_EQ(g_bench.changes.back().result, kChangeApplied);
}

TEST_F(MessageEngineTest, ApplyThenOkReportsOneResultPerPress)
{
    OpenSheet();
    Select(kSynCopiesEdit, 3);
    PropSheet_Apply(sheet_);
    ASSERT_EQ(g_bench.reports.size(), 1u);
    EXPECT_EQ(g_bench.reports[0].function, kSetResult);
    EXPECT_EQ(g_bench.reports[0].result, 1);
    EXPECT_EQ(g_bench.reports[0].copies, 3u);
    ASSERT_NE(context_record_->committed, nullptr);
    Select(kSynCopiesEdit, 4);
    EXPECT_EQ(g_bench.changes.back().result, kChangeApplied);
    SendMessageW(sheet_, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(g_bench.reports.size(), 2u);
    EXPECT_EQ(g_bench.reports[1].result, 1);
    // What changed after the Apply reached the store with OK.
    EXPECT_EQ(g_bench.reports[1].copies, 4u);
    EXPECT_EQ(g_bench.Count(kSynPaperCombo, WM_NOTIFY, PSN_APPLY), 2);
}

TEST_F(MessageEngineTest, CancelAfterApplyRestoresTheCommittedSetAndKeepsTheResult)
{
    OpenSheet();
    Select(kSynCopiesEdit, 3);
    PropSheet_Apply(sheet_);
    Select(kSynCopiesEdit, 5);
    EXPECT_EQ(Current(kFidCopies), 5u);
    SendMessageW(sheet_, WM_COMMAND, IDCANCEL, 0);
    Pump();
    uint32_t copies = 0;
    ReadSettingNumber(kFidCopies, context_record_->current->settings, context_record_->current->printerSettings,
                      &copies);
    EXPECT_EQ(copies, 3u);
    ASSERT_EQ(g_bench.reports.size(), 2u);
    EXPECT_EQ(g_bench.reports[1].result, 1);
    EXPECT_EQ(g_bench.Count(kSynPaperCombo, kEventReset), 1);
    EXPECT_EQ(g_bench.Count(kSynPaperCombo, WM_NOTIFY, PSN_RESET), 1);
}

TEST_F(MessageEngineTest, KillActiveOneKeepsThePageAndRefreshesIt)
{
    OpenSheet();
    const int shown = g_bench.Count(kSynPaperCombo, WM_NOTIFY, PSN_SETACTIVE);
    g_bench.killActiveResult = 1;
    PropSheet_Apply(sheet_);
    EXPECT_EQ(g_bench.Count(kSynPaperCombo, WM_NOTIFY, PSN_KILLACTIVE), 1);
    EXPECT_EQ(g_bench.Count(kSynPaperCombo, WM_NOTIFY, PSN_APPLY), 0);
    EXPECT_TRUE(g_bench.reports.empty());
    EXPECT_EQ(g_bench.Count(kSynPaperCombo, WM_NOTIFY, PSN_SETACTIVE), shown + 1);
    EXPECT_EQ(Page(), g_page);
    g_bench.killActiveResult = 0;
    PropSheet_Apply(sheet_);
    EXPECT_EQ(g_bench.reports.size(), 1u);
}

TEST_F(MessageEngineTest, ItemsCannotChangeSettingsOnceTheStoreHasRun)
{
    OpenSheet();
    const uint32_t copies = Current(kFidCopies);
    g_bench.changeAtApply = kSynCopiesEdit;
    g_bench.next[kSynCopiesEdit] = copies + 2;
    PropSheet_Apply(sheet_);
    ASSERT_EQ(g_bench.reports.size(), 1u);
    EXPECT_EQ(g_bench.reports[0].copies, copies);
    ASSERT_EQ(g_bench.changes.size(), 1u);
    EXPECT_EQ(g_bench.changes[0].result, kChangeNotApplied);
    EXPECT_EQ(Current(kFidCopies), copies);
    // After the Apply the items change settings again.
    g_bench.changeAtApply = 0;
    Select(kSynCopiesEdit, copies + 2);
    EXPECT_EQ(g_bench.changes.back().result, kChangeApplied);
}

TEST_F(MessageEngineTest, TheDeferredPageCheckPostsItsTextsAsEvent2528)
{
    Set(kFidJobType, 1);
    SetText(kFidUserCode, L"");
    OpenSheet(true, false);
    // The script starts once the sheet is up: it would take the sheet for a box.
    MessageBoxScript script({IDOK, IDOK});
    Pump();
    EXPECT_EQ(GetPageCheckDone(&ui_), 1u);
    ASSERT_GE(script.shown().size(), 1u);
    EXPECT_EQ(script.unscripted(), 0);
    EXPECT_EQ(script.shown()[0].caption, ResourceString(265));
    EXPECT_EQ(ui_.queuedTexts, nullptr);
    EXPECT_EQ(Current(kFidJobType), 0u);
}

TEST_F(MessageEngineTest, TheCancelButtonsCommandIsNotThePages)
{
    OpenSheet();
    g_bench.events.clear();
    SendMessageW(Page(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(g_bench.events.empty());
    int32_t code = 0;
    SendMessageW(Page(), kEventQueryDialogCode, 0, reinterpret_cast<LPARAM>(&code));
    EXPECT_EQ(code, kSyntheticDialogCode);
}

TEST_F(MessageEngineTest, LabelsCarryTheSettingNameAndTheSuffix)
{
    OpenSheet();
    wchar_t text[128] = {};
    GetDlgItemTextW(Page(), kSynPaperLabel, text, 128);
    const std::wstring label = text;
    ASSERT_FALSE(label.empty());
    EXPECT_EQ(label.back(), L':');
}

TEST_F(MessageEngineTest, WithoutPermissionTheControlsAreLocked)
{
    ui_.permission = 0;
    OpenSheet();
    HWND page = Page();
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, kSynPaperCombo)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, kSynCopiesEdit)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, kSynLandscape)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, kSynPaperLabel)));
    CaptureWindowPng(sheet_, "engine_sheet_read_only");
}

TEST_F(MessageEngineTest, DefaultsResetTheItemsSettings)
{
    OpenSheet();
    const uint32_t copies = Current(kFidCopies);
    Select(kSynCopiesEdit, copies + 3);
    ASSERT_EQ(Current(kFidCopies), copies + 3);
    CallContext call{};
    ASSERT_EQ(InitCallContext(&call, Page(), sheet_, kSyntheticDialogCode, WM_COMMAND, kDialogTypePage), 1);
    int32_t count = 0;
    uint16_t* list = nullptr;
    ASSERT_EQ(ResetDialogToDefaults(&call, call.settings, call.printerSettings, &count, &list), 1);
    ASSERT_NE(list, nullptr);
    std::vector<uint16_t> ids(list, list + count);
    EXPECT_EQ(list[count], 0);
    GlobalFree(list);
    EXPECT_NE(std::find(ids.begin(), ids.end(), kFidCopies), ids.end());
    EXPECT_EQ(Current(kFidCopies), copies);
}

TEST_F(MessageEngineTest, APictureClickTakesTheNextSelectableOption)
{
    OpenSheet();
    HWND page = Page();
    const ItemRecord* source = FindItemRecord(page, kSyntheticDialogCode, kSynSourceList);
    ASSERT_NE(source, nullptr);
    const OptionList* list = GetSelectedOptionList(page, source);
    ASSERT_NE(list, nullptr);
    ASSERT_GT(list->count, 2);
    const int32_t current = GetSelectedSlotValue(page, source);
    ASSERT_GE(current, 0);
    // Only the current option is selectable: the value stays.
    for (int32_t i = 0; i < list->count; ++i)
        SetSettingUiOptionState(page, kFidPaperSource, i, i == current ? 0 : 1);
    const uint32_t before = Current(kFidPaperSource);
    SendMessageW(page, kEventCycleOption, kSynSourceList, 0);
    EXPECT_EQ(Current(kFidPaperSource), before);
    EXPECT_EQ(Refreshes(), 0);
    // The option after the current one, wrapping at the end.
    const int32_t next = (current + 1) % list->count;
    SetSettingUiOptionState(page, kFidPaperSource, next, 0);
    MessageBoxScript script({IDOK, IDOK});
    SendMessageW(page, kEventCycleOption, kSynSourceList, 0);
    EXPECT_EQ(Current(kFidPaperSource), static_cast<uint32_t>(list->rows[next].value));
}

// A modal sub-dialog through the engine: its activation at initialisation, and
// OK by the engine's steps (validate, leave, apply) that the OK button runs.
struct SubDialogRun {
    int refused = -1;
    int confirmed = -1;
    bool captured = false;
};
SubDialogRun g_sub;
constexpr UINT kRunOk = WM_APP + 1;

INT_PTR CALLBACK SubDialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kRunOk) {
        // The box is shown once its loop runs; the picture needs it drawn now.
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
        g_sub.captured = CaptureWindowPng(window, "engine_sub_dialog");
        CallContext call{};
        InitCallContext(&call, window, GetDialogContext(window)->owner, kSyntheticSubDialogCode, WM_COMMAND,
                        kDialogTypeModal);
        g_bench.validateResult = 1;
        g_sub.refused = ConfirmSubDialog(window, MakeSubDialogSteps(&call), IDOK);
        g_bench.validateResult = 0;
        g_sub.confirmed = ConfirmSubDialog(window, MakeSubDialogSteps(&call), IDOK);
        SetPendingAction(&call, 0, nullptr, nullptr);
        return TRUE;
    }
    SlotHandler handler = nullptr;
    int32_t slot = -1;
    if (!FindMessageHandler(message, wParam, lParam, kDialogTypeModal, &handler, &slot))
        return FALSE;
    const INT_PTR result =
        CallMessageHandler(window, message, wParam, lParam, kSyntheticSubDialogCode, kDialogTypeModal, handler);
    if (message == WM_INITDIALOG)
        PostMessageW(window, kRunOk, 0, 0);
    return result;
}

TEST_F(MessageEngineTest, AModalSubDialogIsActivatedAndClosedByOk)
{
    OpenSheet();
    HWND page = Page();
    SettingsSet* current = context_record_->current;
    DialogContext* sub = CreateDialogContext(page, &ui_, current, nullptr);
    ASSERT_NE(sub, nullptr);
    g_sub = {};
    g_bench.events.clear();
    const INT_PTR ended = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kSyntheticDialogTemplate), page,
                                          SubDialogProcedure, reinterpret_cast<LPARAM>(sub));
    FreeDialogContext(&sub);
    EXPECT_EQ(ended, IDOK);
    EXPECT_TRUE(g_sub.captured);
    EXPECT_EQ(g_sub.refused, 0);
    EXPECT_EQ(g_sub.confirmed, 1);
    EXPECT_EQ(g_bench.Count(kSynCopiesEdit, WM_INITDIALOG), 1);
    EXPECT_EQ(g_bench.Count(kSynCopiesEdit, WM_NOTIFY, PSN_SETACTIVE), 1);
    EXPECT_EQ(g_bench.Count(kSynCopiesEdit, kEventValidate), 2);
    EXPECT_EQ(g_bench.Count(kSynCopiesEdit, WM_NOTIFY, PSN_KILLACTIVE), 1);
    EXPECT_EQ(g_bench.Count(kSynCopiesEdit, WM_NOTIFY, PSN_APPLY), 1);
    // The dialog's Apply marks its owner's sheet changed; the sheet itself stores nothing yet.
    EXPECT_TRUE(ApplyEnabled());
    EXPECT_TRUE(g_bench.reports.empty());
}

// Owner-drawn fixed lists ask for their row height while they are created,
// before the dialog has its context.
TEST(MessageEngineWindows, MeasureItemIsServedBeforeInitDialog)
{
    static std::vector<UINT> order;
    order.clear();
    const auto procedure = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> INT_PTR {
        if (message == WM_MEASUREITEM || message == WM_INITDIALOG)
            order.push_back(message);
        SlotHandler handler = nullptr;
        int32_t slot = -1;
        if (!FindMessageHandler(message, wParam, lParam, kDialogTypeModal, &handler, &slot))
            return FALSE;
        if (message == WM_INITDIALOG)
            return TRUE;  // no context for this window: the measure is what is tested
        return CallMessageHandler(window, message, wParam, lParam, kSyntheticDialogCode, kDialogTypeModal, handler);
    };
    HWND host = CreateWindowExW(0, L"#32770", L"", WS_POPUP, 0, 0, 400, 400, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kSyntheticPageTemplate), host,
                                     procedure, 0);
    ASSERT_NE(dialog, nullptr);
    ASSERT_GE(order.size(), 2u);
    EXPECT_EQ(order.front(), static_cast<UINT>(WM_MEASUREITEM));
    EXPECT_EQ(order.back(), static_cast<UINT>(WM_INITDIALOG));
    EXPECT_EQ(SendDlgItemMessageW(dialog, kSynPaperCombo, CB_GETITEMHEIGHT, 0, 0),
              static_cast<LRESULT>(GetListRowHeight(dialog, kSynPaperCombo)));
    DestroyWindow(dialog);
    DestroyWindow(host);
}

TEST(MessageEngineWindows, RowHeightsOfTallAndOrdinaryLists)
{
    // The test program is not DPI-aware: the heights are the design values.
    EXPECT_EQ(GetListRowHeight(nullptr, 1012), 26u);
    EXPECT_EQ(GetListRowHeight(nullptr, 1225), 26u);
    EXPECT_EQ(GetListRowHeight(nullptr, 1001), 15u);
    MEASUREITEMSTRUCT measure{};
    EXPECT_EQ(OnMeasureItem(nullptr, WM_MEASUREITEM, 1079, reinterpret_cast<LPARAM>(&measure), 0, nullptr), 0);
    EXPECT_EQ(measure.itemHeight, 26u);
    EXPECT_EQ(OnMeasureItem(nullptr, WM_MEASUREITEM, 1079, 0, 0, nullptr), 1);
}

TEST(MessageEngineWindows, HandlersByTypeAndOverride)
{
    SlotHandler handler = nullptr;
    int32_t slot = -1;
    ASSERT_EQ(FindMessageHandler(WM_COMMAND, 0, 0, kDialogTypePage, &handler, &slot), 1);
    EXPECT_EQ(slot, 0);
    EXPECT_EQ(handler, &OnPageCommand);
    ASSERT_EQ(FindMessageHandler(WM_COMMAND, 0, 0, kDialogTypeModal, &handler, &slot), 1);
    EXPECT_EQ(handler, &DispatchToItemHandler);
    ASSERT_EQ(FindMessageHandler(WM_INITDIALOG, 0, 0, kDialogTypeSubPage, &handler, &slot), 1);
    EXPECT_EQ(handler, &OnSubPageInitDialog);
    NMHDR apply{nullptr, 0, static_cast<UINT>(PSN_APPLY)};
    ASSERT_EQ(FindMessageHandler(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&apply), kDialogTypeModal, &handler, &slot),
              1);
    EXPECT_EQ(slot, 5);
    EXPECT_EQ(handler, &OnPageApply);
    ASSERT_EQ(FindMessageHandler(WM_ERASEBKGND, 0, 0, kDialogTypePage, &handler, &slot), 1);
    EXPECT_EQ(handler, nullptr);
    EXPECT_EQ(FindMessageHandler(WM_KEYDOWN, 0, 0, kDialogTypePage, &handler, &slot), 0);
    EXPECT_EQ(slot, -1);
    EXPECT_EQ(FindMessageHandler(WM_COMMAND, 0, 0, 2, &handler, &slot), 0);
    // The page replaces one slot's handler; others stay.
    handler = &OnPageApply;
    EXPECT_EQ(SetEventHandlerOverride(&BroadcastToItems, 5, &handler, 5), 1);
    EXPECT_EQ(handler, &BroadcastToItems);
    EXPECT_EQ(SetEventHandlerOverride(&OnPageApply, 4, &handler, 5), 0);
    EXPECT_EQ(SetEventHandlerOverride(&OnPageApply, 38, &handler, 38), 0);
    EXPECT_EQ(handler, &BroadcastToItems);
    EXPECT_EQ(CallMessageHandler(nullptr, WM_COMMAND, 0, 0, 0, kDialogTypePage, nullptr), 0);
}

TEST(EngineResources, TheHelpMenuAndTheLabelStrings)
{
    HMODULE module = GetResourceModule();
    ASSERT_NE(module, nullptr);
    HMENU menu = LoadMenuW(module, MAKEINTRESOURCEW(kContextHelpMenu));
    ASSERT_NE(menu, nullptr);
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(GetMenuItemID(popup, 0), kContextHelpCommand);
    DestroyMenu(menu);
    EXPECT_EQ(ResourceString(kLabelFormatString), L":");
    EXPECT_EQ(ResourceString(kButtonLabelFormatString), L"...");
    EXPECT_EQ(ResourceString(5188), L"&");
    EXPECT_FALSE(ResourceString(kWarningCaptionString).empty());
}

TEST(EngineResources, LabelsDoubleTheirAmpersandsAndTakeTheSuffix)
{
    HMODULE module = GetResourceModule();
    wchar_t label[kLabelChars] = {};
    ASSERT_EQ(BuildLabelWithAccessKey(module, label, kLabelChars, L"Paper & Size", kNoString,
                                      static_cast<int32_t>(kLabelFormatString), nullptr),
              1);
    EXPECT_EQ(std::wstring(label), L"Paper && Size:");
    ASSERT_EQ(BuildLabelWithAccessKey(module, label, kLabelChars, L"Copies", kNoString, kNoString, L" (1-999)"), 1);
    EXPECT_EQ(std::wstring(label), L"Copies (1-999)");
    ASSERT_EQ(BuildLabelFromResource(module, label, kLabelChars, kWarningCaptionString, kNoString,
                                     static_cast<int32_t>(kButtonLabelFormatString), nullptr),
              1);
    EXPECT_EQ(std::wstring(label), ResourceString(kWarningCaptionString) + L"...");
    // A text longer than the label is cut, never written past it.
    const std::wstring longText(600, L'x');
    wchar_t small[8] = {};
    ASSERT_EQ(BuildLabelWithAccessKey(module, small, 8, longText.c_str(), kNoString, kNoString, nullptr), 1);
    EXPECT_EQ(std::wstring(small), L"xxxxxxx");
    EXPECT_EQ(BuildLabelWithAccessKey(module, nullptr, 8, L"x", kNoString, kNoString, nullptr), 0);
}

}  // namespace
