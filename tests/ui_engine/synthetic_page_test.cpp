// The synthetic page opened in a real window on the display: its template
// holds a control of the right class for every item of its table, the engine's
// records attach to the window, and a picture of it lands in build/screens.
#include "common/system/module_files.h"
#include "tests/support/settings_pair_fixture.h"
#include "tests/support/window_capture.h"
#include "tests/ui_engine/synthetic_page.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/dialog_tables.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/ui_context.h"
#include "ui/support/keyed_list.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>

namespace {

const PageDescriptor* const kPages[] = {&SyntheticPage};

// Until the engine's own page procedure exists, the test's procedure does the
// part of its initialisation these checks need: the context in DWLP_USER and
// one control state per item.
INT_PTR CALLBACK SyntheticProcedure(HWND window, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    auto* context = reinterpret_cast<DialogContext*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    for (uint32_t i = 0; i < SyntheticItemTable.count; ++i)
        CreateControlState(window, &SyntheticItemTable.records[i], context->states->controls);
    return TRUE;
}

class SyntheticPageTest : public SettingsPairTest {
protected:
    static void SetUpTestSuite()
    {
        const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        colour_ = OpenSuitePrinter(L"C4530.DDD", L"Morva UI Synthetic Page C4530");
    }
    static void TearDownTestSuite() { CloseSuitePrinter(colour_); }
    void SetUp() override
    {
        Open(colour_);
        ui_.printer = Printer();
        ui_.settings = context_;
        ui_.permission = 1;
        ui_.tables = CreateDialogTableSet(kPages, std::size(kPages));
        ASSERT_NE(ui_.tables, nullptr);
        SettingsSet set{settings_.data(), printer_settings_.data()};
        context_record_ = CreateDialogContext(nullptr, &ui_, &set, nullptr);
        ASSERT_NE(context_record_, nullptr);
        host_ = CreateWindowExW(0, L"#32770", L"Synthetic page", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 20, 20,
                                560, 520, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(host_, nullptr);
        page_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kSyntheticPageTemplate), host_,
                                   SyntheticProcedure, reinterpret_cast<LPARAM>(context_record_));
        ASSERT_NE(page_, nullptr);
        ShowWindow(page_, SW_SHOW);
    }
    void TearDown() override
    {
        if (page_) {
            for (uint32_t i = 0; i < SyntheticItemTable.count; ++i)
                RemoveControlState(page_, SyntheticItemTable.records[i].controlId,
                                   context_record_->states->controls);
            DestroyWindow(page_);
        }
        if (host_)
            DestroyWindow(host_);
        FreeDialogContext(&context_record_);
        FreeDialogTableSet(ui_.tables);
        SettingsPairTest::TearDown();
    }

    static ModelPrinter* colour_;
    UiContext ui_{};
    DialogContext* context_record_ = nullptr;
    HWND host_ = nullptr;
    HWND page_ = nullptr;
};
ModelPrinter* SyntheticPageTest::colour_ = nullptr;

TEST_F(SyntheticPageTest, EveryItemHasAControlOfItsKindsClass)
{
    const ItemRecord* records = nullptr;
    int32_t count = 0;
    ASSERT_EQ(GetDialogItemTable(page_, kSyntheticDialogCode, &records, &count), 1);
    ASSERT_EQ(records, SyntheticItemTable.records);
    for (int32_t i = 0; i < count; ++i) {
        const ItemRecord& item = records[i];
        if (item.controlId == kPageItemId)
            continue;
        HWND control = GetDlgItem(page_, item.controlId);
        ASSERT_NE(control, nullptr) << item.controlId;
        if (const wchar_t* expected = ExpectedClassOfKind(item.kind)) {
            wchar_t name[64] = {};
            GetClassNameW(control, name, 64);
            EXPECT_EQ(_wcsicmp(name, expected), 0) << item.controlId;
        }
        if (item.labelControl != kNoControl) {
            EXPECT_NE(GetDlgItem(page_, item.labelControl), nullptr) << item.controlId;
        }
    }
    for (const int32_t* id = SyntheticItemTable.lockedControls; *id != kNoControl; ++id)
        EXPECT_NE(GetDlgItem(page_, *id), nullptr) << *id;
}

TEST_F(SyntheticPageTest, TheWindowReachesItsRecordsAndStates)
{
    EXPECT_EQ(GetDialogContext(page_), context_record_);
    EXPECT_EQ(GetWindowUiContext(page_), &ui_);
    const ItemRecord* combo = FindItemRecord(page_, kSyntheticDialogCode, kSynPaperCombo);
    ASSERT_NE(combo, nullptr);
    ASSERT_NE(FindControlState(page_, combo), nullptr);
    EXPECT_EQ(GetSelectedSettingId(page_, combo), 8);
    CallContext call{};
    ASSERT_EQ(InitCallContext(&call, page_, host_, kSyntheticDialogCode, WM_INITDIALOG, kDialogTypePage), 1);
    EXPECT_EQ(GetCallPermission(&call), 1u);
    const ItemRecord* upDown = FindItemRecord(page_, kSyntheticDialogCode, kSynCopiesUpDown);
    const ItemRecord* edit = FindItemRecord(page_, kSyntheticDialogCode, kSynCopiesEdit);
    EXPECT_EQ(FindCompanionItem(&call, page_, upDown, 4), edit);
    EXPECT_EQ(FindCompanionItem(&call, page_, combo, 4), nullptr);
}

TEST_F(SyntheticPageTest, APictureOfThePageIsWritten)
{
    const std::string path = ScreensDirectory() + "synthetic_page.png";
    std::remove(path.c_str());
    ASSERT_TRUE(CaptureWindowPng(page_, "synthetic_page"));
    FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    unsigned char signature[8] = {};
    EXPECT_EQ(std::fread(signature, 1, 8, file), 8u);
    std::fclose(file);
    EXPECT_EQ(signature[1], 'P');
    EXPECT_EQ(signature[2], 'N');
    EXPECT_EQ(signature[3], 'G');
}

INT_PTR CALLBACK EngineProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    SlotHandler handler = nullptr;
    int32_t slot = -1;
    if (!FindMessageHandler(message, wParam, lParam, kDialogTypeModal, &handler, &slot))
        return FALSE;
    return CallMessageHandler(window, message, wParam, lParam, kSyntheticDialogCode, kDialogTypeModal, handler);
}

// The page as the engine and the control kinds show it: every item's control
// brought up to its setting, captured for people to look at.
TEST_F(SyntheticPageTest, TheEngineShowsEveryItemWithItsKind)
{
    for (uint32_t i = 0; i < SyntheticItemTable.count; ++i)
        RemoveControlState(page_, SyntheticItemTable.records[i].controlId, context_record_->states->controls);
    DestroyWindow(page_);
    page_ = nullptr;
    ASSERT_EQ(GetKeyedListCount(context_record_->states->controls), 0);
    SetPageCheckDone(&ui_);
    HWND page = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kSyntheticPageTemplate), host_,
                                   EngineProcedure, reinterpret_cast<LPARAM>(context_record_));
    ASSERT_NE(page, nullptr);
    ShowWindow(page, SW_SHOW);
    const ItemRecord* combo = FindItemRecord(page, kSyntheticDialogCode, kSynPaperCombo);
    ASSERT_NE(FindControlState(page, combo), nullptr);
    EXPECT_GT(SendDlgItemMessageW(page, kSynPaperCombo, CB_GETCOUNT, 0, 0), 0);
    EXPECT_TRUE(CaptureWindowPng(page, "synthetic_page_engine"));
    DestroyWindow(page);
    // Its states went with the window.
    EXPECT_EQ(GetKeyedListCount(context_record_->states->controls), 0);
}

}  // namespace
