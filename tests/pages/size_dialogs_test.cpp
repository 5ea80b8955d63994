// The size-pair and length-setting dialogs in real windows on a model with a
// free paper size: the width kept not larger than the length, the refusal of
// an empty size, the inch values that keep the stored millimetres, and the
// free length's controls following the length mode. A picture of each dialog
// goes to build/screens.
#include "ui/pages/size_dialogs.h"

#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "common/system/system_utilities.h"
#include "tests/fax/modal_dialog_script.h"
#include "tests/support/message_box_script.h"
#include "tests/support/dialog_suite_fixture.h"
#include "tests/support/window_capture.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/dialog_tables.h"
#include "ui/engine/ui_context.h"
#include "ui/pages/size_dialog_ids.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <iterator>
#include <string>

namespace {

const PageDescriptor* const kDialogs[] = {&SizePairDialog, &LengthSettingDialog};

}  // namespace

TEST(SnapInchValue, KeepsStoredValueAndConvertsNewOnes)
{
    // Range 100.2 mm to 300.0 mm: 3.94 in to 11.81 in, and 3.94 in is 100.1 mm.
    const int32_t low = 1002, high = 3000;
    ASSERT_EQ(TenthMmToHundredthInch(low), 394);
    ASSERT_LT(HundredthInchToTenthMm(394), low);
    const struct {
        int32_t stored;
        int32_t typed;
        int ok;
        int32_t expected;
    } cases[] = {
        {2100, TenthMmToHundredthInch(2100), 1, 2100},  // shown unchanged: no drift
        {2101, TenthMmToHundredthInch(2101), 1, 2101},
        {2100, 1000, 1, HundredthInchToTenthMm(1000)},  // a new value is converted, not refused
        {2100, 394, 1, low},                             // inside in inches, below in mm: the range end
        {2100, 1181, 1, HundredthInchToTenthMm(1181) > high ? high : HundredthInchToTenthMm(1181)},
        {2100, 393, 0, 0},                               // below the range in inches
        {2100, 1182, 0, 0},
    };
    for (const auto& c : cases) {
        int32_t value = -1;
        EXPECT_EQ(SnapInchValue(&value, low, high, c.stored, c.typed), c.ok) << c.typed;
        if (c.ok) {
            EXPECT_EQ(value, c.expected) << c.typed;
            EXPECT_GE(value, low);
            EXPECT_LE(value, high);
        }
    }
    int32_t fixed = 0;
    EXPECT_EQ(SnapInchValue(&fixed, 2100, 2100, 2100, TenthMmToHundredthInch(2100)), 1);
    EXPECT_EQ(fixed, 2100);
    EXPECT_EQ(SnapInchValue(&fixed, 2100, 2100, 2100, TenthMmToHundredthInch(2100) + 1), 0);
    EXPECT_EQ(SnapInchValue(nullptr, low, high, 2100, 800), 0);
}

class SizeDialogs : public DialogSuiteTest {
protected:
    static void SetUpTestSuite()
    {
        InitControls();
        printer_s = OpenSuitePrinter(L"C4530.DDD", L"Morva Size Dialogs");
    }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_s); }
    void SetUp() override { OpenDialogs(printer_s, kDialogs, std::size(kDialogs)); }
    uint32_t Current(uint16_t id)
    {
        return SettingNumberOr(id, dialog_->current->settings, dialog_->current->printerSettings, 0xFFFF);
    }
    INT_PTR Run(UINT templateId, DLGPROC procedure, const std::function<void(HWND)>& script)
    {
        return RunModalDialog(GetResourceModule(), templateId, procedure, NewDialogContext(), nullptr, script);
    }

    static ModelPrinter* printer_s;
};
ModelPrinter* SizeDialogs::printer_s = nullptr;

TEST_F(SizeDialogs, WidthLargerThanLengthIsExchangedOnOk)
{
    Set(kFidCustomPaperWidth, 2970);
    Set(kFidCustomPaperLength, 2100);
    MessageBoxScript boxes({IDOK});
    bool stayed = false;
    std::wstring width, length;
    const INT_PTR result = Run(kSizePairTemplate, PaperSizeDialogProc, [&](HWND dialog) {
        CaptureWindowPng(dialog, "size_pair_dialog");
        ClickButton(dialog, kPagesOkButton);
        stayed = IsWindow(dialog) && IsWindowVisible(dialog);
        wchar_t text[32] = {};
        GetDlgItemTextW(dialog, kSizeWidthEdit, text, 32);
        width = text;
        GetDlgItemTextW(dialog, kSizeLengthEdit, text, 32);
        length = text;
        CaptureWindowPng(dialog, "size_pair_dialog_exchanged");
        ClickButton(dialog, kPagesOkButton);
    });
    EXPECT_TRUE(stayed);
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, ResourceString(kMessageSizeExchanged));
    EXPECT_EQ(boxes.shown()[0].caption, ResourceString(265));
    EXPECT_EQ(Current(kFidCustomPaperWidth), 2100u);
    EXPECT_EQ(Current(kFidCustomPaperLength), 2970u);
    EXPECT_NE(width.find(L"210"), std::wstring::npos) << width;
    EXPECT_NE(length.find(L"297"), std::wstring::npos) << length;
}

TEST_F(SizeDialogs, EmptySizeIsToldAndKeepsTheDialog)
{
    Set(kFidCustomPaperWidth, 2100);
    Set(kFidCustomPaperLength, 2970);
    MessageBoxScript boxes({IDOK});
    int order = -1;
    const INT_PTR result = Run(kSizePairTemplate, PaperSizeDialogProc, [&](HWND dialog) {
        // An empty size reaches the order check only past the fields, so the
        // check is asked directly on the open dialog's settings.
        SetFunctionIdValueArgs(dialog_->current->settings, dialog_->current->printerSettings, kFidCustomPaperWidth,
                               kTypeS16, 2, 0);
        CallContext call{};
        ASSERT_TRUE(InitCallContext(&call, dialog, nullptr, kSizePairCode, WM_COMMAND, kDialogTypeModal));
        order = CheckSizePairOrder(&call);
        ClickButton(dialog, kPagesCancelButton);
    });
    EXPECT_EQ(order, 0);
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, ResourceString(kMessageSizeRefused));
    EXPECT_EQ(boxes.unscripted(), 0);
}

TEST_F(SizeDialogs, SizeOutsideTheRulesIsRefusedOnOk)
{
    Set(kFidCustomPaperWidth, 2100);
    Set(kFidCustomPaperLength, 2970);
    MessageBoxScript boxes({IDOK});
    bool stayed = false;
    const INT_PTR result = Run(kSizePairTemplate, PaperSizeDialogProc, [&](HWND dialog) {
        TypeText(dialog, kSizeWidthEdit, L"1.0");
        ClickButton(dialog, kPagesOkButton);
        stayed = IsWindow(dialog) != FALSE;
        ClickButton(dialog, kPagesCancelButton);
    });
    EXPECT_TRUE(stayed);
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, ResourceString(kMessageSizeRefused));
    EXPECT_EQ(boxes.unscripted(), 0);
    EXPECT_EQ(Get(kFidCustomPaperWidth), 2100u);
}

TEST_F(SizeDialogs, FreeLengthFollowsTheLengthMode)
{
    const struct {
        uint32_t mode;
        bool enabled;
        const char* picture;
    } cases[] = {{kLengthModeFree, true, "length_setting_dialog_free"},
                 {kLengthModeInch, false, "length_setting_dialog_inch"},
                 {kLengthModeMillimetre, false, "length_setting_dialog_mm"}};
    for (const auto& c : cases) {
        Set(473, c.mode);
        MessageBoxScript boxes;
        bool edit = !c.enabled, radio = !c.enabled, inchShown = false;
        Run(kLengthSettingTemplate, Kind13SubDialogProc, [&](HWND dialog) {
            CaptureWindowPng(dialog, c.picture);
            edit = IsWindowEnabled(GetDlgItem(dialog, kLengthFreeEdit));
            radio = IsWindowEnabled(GetDlgItem(dialog, kLengthInchButton));
            inchShown = IsDlgButtonChecked(dialog, kLengthInchButton) == BST_CHECKED;
            ClickButton(dialog, kPagesCancelButton);
        });
        EXPECT_EQ(edit, c.enabled) << c.mode;
        EXPECT_EQ(radio, c.enabled) << c.mode;
        if (c.mode == kLengthModeInch)
            EXPECT_TRUE(inchShown);
        if (c.mode == kLengthModeMillimetre)
            EXPECT_FALSE(inchShown);
        EXPECT_EQ(boxes.unscripted(), 0) << c.mode;
    }
}
