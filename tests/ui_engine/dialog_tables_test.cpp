// The dialog tables and the run-time records of the table-driven dialogs, over
// a printer of the colour reference model and a dialog window whose context is
// the test's own sheet.
#include "common/context/option_list.h"
#include "common/context/value_by_type.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "tests/support/settings_pair_fixture.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/dialog_tables.h"
#include "ui/engine/ui_context.h"
#include "ui/support/keyed_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <utility>

namespace {

constexpr uint16_t kFidPaperSize = 8;
constexpr uint16_t kFidTrayCountMode = 1794;
constexpr uint16_t kFidTrayCountLimit = 1795;

// Small tables of the test's own.
constexpr ItemSlot kOneSlot[] = {{kFidPaperSize, 3}};
constexpr ItemSlot kTwoSlots[] = {{kFidPaperSize, 3}, {kFidCopies, 0}};
const ItemRecord kFirstRecords[] = {
    {1001, 1, kOneSlot, 1, nullptr, nullptr, kNoControl, kNoControl, nullptr},
    {1002, 2, kTwoSlots, 2, nullptr, nullptr, kNoControl, kNoControl, nullptr},
};
const ItemRecord kSecondRecords[] = {
    {2001, 1, kOneSlot, 1, nullptr, nullptr, kNoControl, kNoControl, nullptr},
};
const ItemTableHeader kFirstTable = {kFirstRecords, 2, kPageHelpTopic, nullptr, nullptr, 0};
const ItemTableHeader kSecondTable = {kSecondRecords, 1, kPageHelpTopic, nullptr, nullptr, 0};
const PageDescriptor kPageSeven = {7, &kFirstTable, nullptr};
const PageDescriptor kPageSevenAgain = {7, &kSecondTable, nullptr};
const PageDescriptor kPageSixty = {60, &kSecondTable, nullptr};
const PageDescriptor kPageFiftyNine = {59, &kSecondTable, nullptr};
const PageDescriptor* const kTableList[] = {&kPageSeven, &kPageSevenAgain, &kPageSixty, &kPageFiftyNine};

class DialogTablesTest : public SettingsPairTest {
protected:
    static void SetUpTestSuite() { colour_ = OpenSuitePrinter(L"C4530.DDD", L"Morva UI Dialog Tables C4530"); }
    static void TearDownTestSuite() { CloseSuitePrinter(colour_); }
    void SetUp() override
    {
        Open(colour_);
        ui_.printer = Printer();
        ui_.settings = context_;
        ui_.tables = CreateDialogTableSet(kTableList, std::size(kTableList));
        ASSERT_NE(ui_.tables, nullptr);
        SettingsSet set{settings_.data(), printer_settings_.data()};
        dialog_context_ = CreateDialogContext(nullptr, &ui_, &set, nullptr);
        ASSERT_NE(dialog_context_, nullptr);
        window_ = CreateWindowExW(0, L"#32770", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
        SetWindowLongPtrW(window_, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog_context_));
        InitCallContext(&call_, window_, nullptr, 7, 0, kDialogTypePage);
    }
    void TearDown() override
    {
        for (const ItemRecord& item : kFirstRecords)
            RemoveControlState(window_, item.controlId, dialog_context_->states->controls);
        if (window_)
            DestroyWindow(window_);
        FreeDialogContext(&dialog_context_);
        FreeDialogTableSet(ui_.tables);
        FreeDpiLayoutValues(&ui_);
        SettingsPairTest::TearDown();
    }
    void* Current() { return dialog_context_->current->settings; }
    void* CurrentPrinter() { return dialog_context_->current->printerSettings; }
    // A range list of the test's own in the sheet's cache, as the model would give it.
    void CacheRange(uint16_t setting, uint16_t low, uint16_t high)
    {
        auto* list = static_cast<OptionList*>(GlobalAlloc(GPTR, sizeof(OptionList)));
        list->listKind = 4;
        list->valueType = kTypeU16;
        list->count = 2;
        list->rows = static_cast<OptionRow*>(GlobalAlloc(GPTR, 2 * sizeof(OptionRow)));
        list->rows[0].value = low;
        list->rows[1].value = high;
        auto* entry = static_cast<OptionListCacheEntry*>(GlobalAlloc(GPTR, sizeof(OptionListCacheEntry)));
        *entry = {setting, list, 1};
        ASSERT_TRUE(InsertKeyedListNode(ui_.tables->optionCache, setting, kAnyKey2, entry));
    }

    static ModelPrinter* colour_;
    UiContext ui_{};
    DialogContext* dialog_context_ = nullptr;
    HWND window_ = nullptr;
    CallContext call_{};
};
ModelPrinter* DialogTablesTest::colour_ = nullptr;

TEST(DialogTables, CodeSixtyIsNoneAndTheFirstOfTwoEqualCodesWins)
{
    ItemTableHeader** tables = BuildDialogTables(kTableList, std::size(kTableList));
    ASSERT_NE(tables, nullptr);
    ASSERT_NE(tables[7], nullptr);
    EXPECT_EQ(tables[7]->records, kFirstRecords);
    EXPECT_NE(tables[7], &kFirstTable);  // a copy the sheet may mark
    ASSERT_NE(tables[59], nullptr);
    EXPECT_EQ(tables[59]->records, kSecondRecords);
    for (uint32_t code = 0; code < kDialogCodeCount; ++code) {
        if (code != 7 && code != 59) {
            EXPECT_EQ(tables[code], nullptr) << code;
        }
    }
    FreeDialogTables(tables);
}

TEST(DialogTables, CommonItemsAreTheFiveSharedButtons)
{
    const struct {
        int32_t id;
        uint32_t action;
        uint32_t flags;
    } expected[] = {{1092, 1, 1}, {1091, 2, 1}, {IDCANCEL, 2, 1}, {1090, 3, 0}, {1341, 6, 1}};
    ASSERT_EQ(std::size(expected), static_cast<size_t>(kCommonItemCount));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(CommonItems[i].controlId, expected[i].id);
        EXPECT_EQ(CommonItems[i].kind, 6u);
        EXPECT_EQ(CommonItems[i].slotCount, 0);
        EXPECT_EQ(*static_cast<const uint32_t*>(CommonItems[i].parameters), expected[i].action);
        EXPECT_EQ(GetItemFlags(&CommonItems[i]), expected[i].flags) << expected[i].id;
    }
}

TEST(DialogTables, PageHeadersAreCollectedSkippingSubDialogs)
{
    const PageHeader header{503, 0, nullptr, 6, 4623, 0, nullptr, 0};
    const PageDescriptor page{6, &kFirstTable, &header};
    const PageDescriptor* const list[] = {&kPageSeven, &page, &kPageSixty};
    size_t count = 9;
    const PageHeader** headers = CollectPageHeaders(list, std::size(list), &count);
    ASSERT_NE(headers, nullptr);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(headers[0], &header);
    GlobalFree(headers);
    EXPECT_EQ(CollectPageHeaders(kTableList, std::size(kTableList), &count), nullptr);
    EXPECT_EQ(count, 0u);
}

TEST_F(DialogTablesTest, TablesAreReachedThroughTheWindow)
{
    EXPECT_EQ(GetDialogTableHeader(window_, 60), nullptr);
    EXPECT_EQ(GetDialogTableHeader(window_, -1), nullptr);
    EXPECT_EQ(GetDialogItemRecords(window_, 7), kFirstRecords);
    EXPECT_EQ(GetDialogItemCount(window_, 7), 2);
    EXPECT_EQ(GetDialogItemCount(window_, 8), -1);
    EXPECT_EQ(FindItemRecord(window_, 7, 1002), &kFirstRecords[1]);
    EXPECT_EQ(FindItemRecord(window_, 7, 1090), &CommonItems[3]);
    EXPECT_EQ(FindItemRecord(window_, 7, 2001), nullptr);
    EXPECT_EQ(GetDialogTableHeader(nullptr, 7), nullptr);
    int32_t index = -1;
    EXPECT_EQ(FindItemSettingIndex(&kFirstRecords[1], kFidCopies, &index), 1);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(FindItemSettingIndex(&kFirstRecords[1], 999, &index), 0);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(GetItemSlotEntry(&kFirstRecords[1], 2), nullptr);
}

TEST_F(DialogTablesTest, AOneSlotItemHasItsSlotSelectedBeforeAnyState)
{
    EXPECT_EQ(GetSelectedSlotIndex(window_, &kFirstRecords[0]), 0);
    EXPECT_EQ(GetSelectedSlotIndex(window_, &kFirstRecords[1]), -1);
    KeyedList* controls = dialog_context_->states->controls;
    ASSERT_EQ(CreateControlState(window_, &kFirstRecords[1], controls), 0);
    EXPECT_EQ(CreateControlState(window_, &kFirstRecords[1], controls), 2);
    EXPECT_EQ(GetSelectedSlotIndex(window_, &kFirstRecords[1]), kNoSelectedSlot);
    EXPECT_EQ(GetSelectedValueEntry(window_, &kFirstRecords[1]), nullptr);
    EXPECT_EQ(SetSelectedSlotIndex(window_, &kFirstRecords[1], 2), 0);
    EXPECT_EQ(SetSelectedSlotIndex(window_, &kFirstRecords[1], -1), 0);
    ASSERT_EQ(SetSelectedSlotIndex(window_, &kFirstRecords[1], 1), 1);
    EXPECT_EQ(GetSelectedSettingId(window_, &kFirstRecords[1]), kFidCopies);
    const ValueEntry* entry = GetSelectedValueEntry(window_, &kFirstRecords[1]);
    ASSERT_NE(entry, nullptr);
    uint16_t setting = 0;
    EXPECT_EQ(GetValueEntrySettingId(entry, &setting), 1);
    EXPECT_EQ(setting, kFidCopies);
}

TEST_F(DialogTablesTest, TwoAcquiresBuildOnceAndTwoReleasesFree)
{
    OptionList* first = nullptr;
    OptionList* second = nullptr;
    ASSERT_EQ(AcquireOptionList(window_, GetResourceModule(), context_, kFidPaperSize, nullptr, &first),
              kOptionListBuilt);
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(AcquireOptionList(window_, GetResourceModule(), context_, kFidPaperSize, nullptr, &second),
              kOptionListBuilt);
    EXPECT_EQ(second, first);
    EXPECT_EQ(GetKeyedListCount(ui_.tables->optionCache), 1);
    ReleaseOptionList(window_, kFidPaperSize);
    EXPECT_EQ(GetCachedOptionList(&call_, kFidPaperSize), first);
    ReleaseOptionList(window_, kFidPaperSize);
    EXPECT_EQ(GetCachedOptionList(&call_, kFidPaperSize), nullptr);
    EXPECT_EQ(GetKeyedListCount(ui_.tables->optionCache), 0);
}

TEST_F(DialogTablesTest, FixedRangesOfKindOneItemsAndNoneForOtherSettings)
{
    const struct {
        uint16_t setting;
        int result;
        int32_t minimum;
        int32_t maximum;
    } cases[] = {
        {306, 1, 7, 600},
        {359, 1, 5, 24},
        {385, 1, 50, 240},
        {kFidPaperSize, 0, -77, -77},  // no range: failure with the outputs left alone
    };
    for (const auto& c : cases) {
        const ItemSlot slot[] = {{c.setting, 0}};
        const ItemRecord item{3001, 1, slot, 1, nullptr, nullptr, kNoControl, kNoControl, nullptr};
        int32_t minimum = -77;
        int32_t maximum = -77;
        EXPECT_EQ(GetItemValueRange(&call_, &item, &minimum, &maximum), c.result) << c.setting;
        EXPECT_EQ(minimum, c.minimum) << c.setting;
        EXPECT_EQ(maximum, c.maximum) << c.setting;
    }
}

TEST_F(DialogTablesTest, TrayCountLimitIsCappedAt128InModeTwo)
{
    CacheRange(kFidTrayCountLimit, 1, 999);
    const ItemSlot slot[] = {{kFidTrayCountLimit, 0}};
    const ItemRecord item{3002, 1, slot, 1, nullptr, nullptr, kNoControl, kNoControl, nullptr};
    for (const auto& [mode, maximum] : {std::pair{2u, 128}, std::pair{1u, 999}}) {
        ASSERT_EQ(WriteSettingNumber(kFidTrayCountMode, Current(), CurrentPrinter(), mode), 1);
        InitCallContext(&call_, window_, nullptr, 7, 0, kDialogTypePage);
        int32_t low = 0;
        int32_t high = 0;
        ASSERT_EQ(GetItemValueRange(&call_, &item, &low, &high), 1) << mode;
        EXPECT_EQ(low, 1);
        EXPECT_EQ(high, maximum) << mode;
    }
}

TEST_F(DialogTablesTest, ShortTextKeeps127Bytes)
{
    const std::wstring fits(127, L'a');
    ASSERT_EQ(SetUiShortText(&ui_, fits.c_str()), 1);
    EXPECT_EQ(std::wstring(GetUiShortText(&ui_)), fits);
    const std::wstring longer(128, L'b');
    EXPECT_EQ(SetUiShortText(&ui_, longer.c_str()), 0);
    EXPECT_EQ(std::wstring(GetUiShortText(&ui_)), fits);
}

TEST_F(DialogTablesTest, DialogSettingsWithoutSecondOutWriteTheFirstAndFail)
{
    void* settings = nullptr;
    void* printerSettings = nullptr;
    EXPECT_EQ(GetDialogSettings(window_, &settings, nullptr), 0);
    EXPECT_EQ(settings, Current());
    EXPECT_EQ(GetDialogSettings(window_, &settings, &printerSettings), 1);
    EXPECT_EQ(printerSettings, CurrentPrinter());
    EXPECT_NE(settings, settings_.data());  // the context works on its own copy
    settings = nullptr;
    EXPECT_EQ(GetDialogSettings(nullptr, &settings, &printerSettings), 0);
    EXPECT_EQ(settings, nullptr);
}

TEST_F(DialogTablesTest, ResetRestoresTheCommittedSetAfterAnApplyElseTheSaved)
{
    const uint32_t opened = SettingNumberOr(kFidCopies, Current(), CurrentPrinter(), 0);
    ASSERT_EQ(WriteSettingNumber(kFidCopies, Current(), CurrentPrinter(), opened + 3), 1);
    ASSERT_EQ(CommitCurrentSettings(dialog_context_), 1);
    ASSERT_EQ(WriteSettingNumber(kFidCopies, Current(), CurrentPrinter(), opened + 5), 1);
    ASSERT_EQ(RestoreCurrentSettings(dialog_context_, 0), 1);
    EXPECT_EQ(SettingNumberOr(kFidCopies, Current(), CurrentPrinter(), 0), opened + 3);
    ASSERT_EQ(RestoreCurrentSettings(dialog_context_, 1), 1);
    EXPECT_EQ(SettingNumberOr(kFidCopies, Current(), CurrentPrinter(), 0), opened);
}

TEST_F(DialogTablesTest, SettingStatesAreSharedPerSettingAndCarryOptionRecords)
{
    ASSERT_EQ(CreateSettingUiState(window_, kFidPaperSize, 3), 0);
    EXPECT_EQ(CreateSettingUiState(window_, kFidPaperSize, 3), 2);
    ASSERT_EQ(SetSettingUiOptionState(window_, kFidPaperSize, 2, kStateHidden), 1);
    EXPECT_EQ(SetSettingUiOptionState(window_, kFidPaperSize, 3, kStateHidden), 0);
    uint16_t state = 99;
    ASSERT_EQ(GetSettingUiOptionState(window_, kFidPaperSize, 2, &state), 1);
    EXPECT_EQ(state, kStateHidden);
    ASSERT_EQ(SetSettingUiState(window_, kFidPaperSize, kStateDisabled), 1);
    ASSERT_EQ(GetItemSettingUiState(window_, &kFirstRecords[0], &state, nullptr), 1);
    EXPECT_EQ(state, kStateDisabled);
    RemoveSettingUiState(dialog_context_->states->settings, kFidPaperSize);
    EXPECT_EQ(FindSettingUiState(window_, kFidPaperSize), nullptr);
}

TEST_F(DialogTablesTest, PendingActionOwnsItsListAndReplacesIt)
{
    auto* ids = static_cast<uint16_t*>(GlobalAlloc(GPTR, 3 * sizeof(uint16_t)));
    ids[0] = kFidPaperSize;
    ids[1] = kFidCopies;
    ASSERT_EQ(SetPendingAction(&call_, kPendingValuesChanged, ids, &kFirstRecords[0]), 1);
    EXPECT_TRUE(PendingListContains(&call_, kFidCopies));
    EXPECT_FALSE(PendingListContains(&call_, 7));
    ASSERT_EQ(SetPendingAction(&call_, 0, nullptr, nullptr), 1);
    EXPECT_FALSE(PendingListContains(&call_, kFidCopies));
    EXPECT_EQ(GetCallSubResult(nullptr), -1);
    EXPECT_EQ(GetCallPermission(&call_), 0u);
}

TEST_F(DialogTablesTest, LayoutValuesAt96DotsPerInchAreStrings4640To4642)
{
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(nullptr, dc);
    HMODULE resources = GetResourceModule();
    ASSERT_NE(resources, nullptr);
    ASSERT_EQ(LoadDpiLayoutValues(&ui_, resources), 1);
    const UINT first = dpi == 96 ? 4640 : 4643;
    for (UINT i = 0; i < 3; ++i) {
        wchar_t text[8] = {};
        ASSERT_GT(LoadStringW(resources, first + i, text, 8), 0);
        EXPECT_EQ(GetDpiLayoutValues(&ui_)[i], static_cast<uint16_t>(_wtoi(text))) << i;
    }
    EXPECT_EQ(LoadDpiLayoutValues(&ui_, nullptr), 0);
}

}  // namespace
