// The tray tooltips of the settings illustration on a window of the colour
// reference model: which trays get a tool, an absent tray's empty place, and
// the manual feed's text.
#include "common/context/option_list.h"
#include "common/context/value_by_type.h"
#include "common/model/model_data.h"
#include "tests/support/settings_pair_fixture.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/dialog_tables.h"
#include "ui/engine/tooltips.h"
#include "ui/engine/ui_context.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <iterator>
#include <string>

namespace {

constexpr uint16_t kFidPaperSource = 265;
const PageDescriptor* const kNoPages[] = {nullptr};

TEST(TooltipTable, ThirteenRowsAndTheSourcesThatFlagThem)
{
    int rows = 0;
    for (const TooltipRow* row = TooltipTable; row->tool; ++row, ++rows)
        EXPECT_EQ(row->textSlot, rows);
    EXPECT_EQ(rows, kTooltipRows);
    const struct {
        uint16_t source;
        uint32_t flag;
    } cases[] = {{1, 0x1}, {3, 0x2}, {2, 0x4}, {257, 0x8}, {261, 0x10}, {262, 0x20}, {11, 0x40},
                 {265, 0x80}, {266, 0x100}, {267, 0x200}, {4, 0x800}, {272, 0}, {271, 0}, {999, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(TooltipFlagOfSource(c.source), c.flag) << c.source;
    // A model whose sources are 1 and 2 has the tools of rows 0 and 2.
    EXPECT_EQ(TooltipFlagOfSource(1) | TooltipFlagOfSource(2), TooltipTable[0].flag | TooltipTable[2].flag);
}

class TooltipTest : public SettingsPairTest {
protected:
    static void SetUpTestSuite()
    {
        const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        colour_ = OpenSuitePrinter(L"C4530.DDD", L"Morva UI Tooltips C4530");
    }
    static void TearDownTestSuite() { CloseSuitePrinter(colour_); }
    void SetUp() override
    {
        Open(colour_);
        ui_.printer = Printer();
        ui_.settings = context_;
        ui_.permission = 1;
        ui_.tables = CreateDialogTableSet(kNoPages, 0);
        ASSERT_NE(ui_.tables, nullptr);
    }
    void OpenWindow()
    {
        SettingsSet set{settings_.data(), printer_settings_.data()};
        dialog_ = CreateDialogContext(nullptr, &ui_, &set, nullptr);
        ASSERT_NE(dialog_, nullptr);
        window_ = CreateWindowExW(0, L"#32770", L"Tooltips", WS_POPUP | WS_VISIBLE, 10, 10, 300, 200, nullptr,
                                  nullptr, nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
        SetWindowLongPtrW(window_, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog_));
        CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE, 20, 30, 200, 120, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIllustrationControl)), nullptr, nullptr);
        SetUiTooltipWindow(&ui_, kDialogTypePage, CreateTooltipWindow(window_, 256));
        ASSERT_NE(GetUiTooltipWindow(&ui_, kDialogTypePage), nullptr);
        ASSERT_EQ(CreateTooltipTexts(window_), 1);
        ASSERT_EQ(InitCallContext(&call_, window_, nullptr, 0, 0, kDialogTypePage), 1);
    }
    void TearDown() override
    {
        if (window_) {
            ReleaseOptionList(window_, kFidPaperSource);
            DestroyWindow(window_);
        }
        FreeTooltipTexts(&ui_);
        FreeDialogContext(&dialog_);
        FreeDialogTableSet(ui_.tables);
        SettingsPairTest::TearDown();
    }
    TOOLINFOW Tool(uint16_t tool, wchar_t* text)
    {
        TOOLINFOW info{};
        info.cbSize = TTTOOLINFOW_V2_SIZE;
        info.hwnd = window_;
        info.uId = tool;
        info.lpszText = text;
        SendMessageW(GetUiTooltipWindow(&ui_, kDialogTypePage), TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info));
        if (text)
            SendMessageW(GetUiTooltipWindow(&ui_, kDialogTypePage), TTM_GETTEXTW, 0, reinterpret_cast<LPARAM>(&info));
        return info;
    }

    static ModelPrinter* colour_;
    UiContext ui_{};
    DialogContext* dialog_ = nullptr;
    HWND window_ = nullptr;
    CallContext call_{};
};
ModelPrinter* TooltipTest::colour_ = nullptr;

TEST_F(TooltipTest, TheModelsSourcesFlagTheirRowsOnce)
{
    uint32_t expected = 0;
    const uint16_t count = GetModelTableCount(context_->main, 5);
    ASSERT_GT(count, 0);
    for (uint16_t i = 1; i <= count; ++i) {
        uint8_t file = 0;
        uint16_t source = 0;
        uint32_t offset = 0;
        ASSERT_EQ(FindModelRecordByPosition(context_->main, 5, i, &file, &source, &offset), kModelOk);
        expected |= TooltipFlagOfSource(source);
    }
    uint32_t flags = 0;
    ASSERT_EQ(ComputeTooltipFlags(context_, &flags), 1);
    EXPECT_EQ(flags, expected);
    EXPECT_NE(flags, 0u);
    OpenWindow();
    TooltipTextRecord* record = GetUiTooltipTexts(&ui_);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->flags, expected);
    // A second call keeps the record as it is.
    record->flags = 0x5;
    EXPECT_EQ(CreateTooltipTexts(window_), 1);
    EXPECT_EQ(GetUiTooltipTexts(&ui_), record);
    EXPECT_EQ(record->flags, 0x5u);
    ASSERT_EQ(AddSettingTooltips(window_), 1);
    EXPECT_EQ(SendMessageW(record->tooltip, TTM_GETTOOLCOUNT, 0, 0), 2);
}

TEST_F(TooltipTest, AnAbsentTrayKeepsItsToolWithAnEmptyPlace)
{
    Set(TooltipTable[0].presence, 1);
    OpenWindow();
    TooltipTextRecord* record = GetUiTooltipTexts(&ui_);
    record->flags = TooltipTable[0].flag;
    ASSERT_EQ(AddSettingTooltips(window_), 1);
    // A place the tool had before the tray went.
    const RECT earlier{5, 6, 70, 80};
    ASSERT_EQ(SetTooltipRect(window_, record->tooltip, TooltipTable[0].tool, TTF_SUBCLASS, &earlier), 1);
    EXPECT_EQ(Tool(TooltipTable[0].tool, nullptr).rect.right, 70);
    void* settings = nullptr;
    void* printerSettings = nullptr;
    ASSERT_EQ(GetDialogSettings(window_, &settings, &printerSettings), 1);
    ASSERT_EQ(WriteSettingNumber(TooltipTable[0].presence, settings, printerSettings, 0), 1);
    ASSERT_EQ(UpdateSettingTooltips(&call_, window_), 1);
    const TOOLINFOW info = Tool(TooltipTable[0].tool, nullptr);
    EXPECT_EQ(info.rect.left, 0);
    EXPECT_EQ(info.rect.top, 0);
    EXPECT_EQ(info.rect.right, 0);
    EXPECT_EQ(info.rect.bottom, 0);
    EXPECT_EQ(SendMessageW(record->tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);
}

TEST_F(TooltipTest, TheManualFeedIsNamedByTheSourceOptionOfValueFour)
{
    Set(TooltipTable[10].presence, 1);
    OpenWindow();
    TooltipTextRecord* record = GetUiTooltipTexts(&ui_);
    const TooltipRow& manual = TooltipTable[10];
    ASSERT_EQ(manual.tool, 4);
    record->flags = manual.flag;
    ASSERT_EQ(AddSettingTooltips(window_), 1);
    ASSERT_EQ(UpdateSettingTooltips(&call_, window_), 1);
    const OptionList* list = GetCachedOptionList(&call_, kFidPaperSource);
    ASSERT_NE(list, nullptr);
    std::wstring expected;
    for (int32_t i = 0; i < list->count; ++i)
        if (list->rows[i].value == 4)
            expected = list->rows[i].text;
    ASSERT_FALSE(expected.empty());
    wchar_t text[kTooltipTextChars] = {};
    Tool(manual.tool, text);
    EXPECT_EQ(std::wstring(text), expected);
    EXPECT_EQ(std::wstring(record->texts[manual.textSlot]), expected);
}

}  // namespace
