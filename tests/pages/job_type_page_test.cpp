// The job type page in a real property sheet on the colour reference model,
// driven through its controls as a user would, and its sub-dialogs: the edge
// item following setting 267, the custom size asked for as soon as it is
// chosen, the code's minimum length, the option icons by setting 437, the
// user ID's length by job type, and the picture lookups. A picture of the page
// and of each sub-dialog goes to build/screens.
#include "ui/pages/job_type_page.h"

#include "common/context/value_by_type.h"
#include "common/settings/function_ids.h"
#include "common/system/module_files.h"
#include "tests/fax/modal_dialog_script.h"
#include "tests/support/dialog_suite_fixture.h"
#include "tests/support/message_box_script.h"
#include "tests/support/window_capture.h"
#include "ui/engine/item_changes.h"
#include "ui/engine/page_check.h"
#include "ui/pages/job_type_ids.h"
#include "ui/pages/job_type_pictures.h"
#include "ui/pages/size_dialog_ids.h"
#include "ui/pages/size_dialogs.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <prsht.h>

#include <iterator>
#include <string>

namespace {

const PageDescriptor kPage = {kJobTypePageCode, &JobTypePageItemTable, nullptr};
const PageDescriptor* const kDialogs[] = {&kPage,           &JobFieldsDialog, &SecureJobDialog, &StoredJobDialog,
                                          &DelayedJobDialog, &OtherJobDialog,  &SizePairDialog};
constexpr wchar_t kScriptedProperty[] = L"MorvaScripted";

}  // namespace

TEST(JobTypePictures, OrientationFollowsPagesPerSheetAndBooklet)
{
    const struct {
        uint32_t layout, orientation, pages;
        uint16_t expected;
    } cases[] = {
        {0, 1, 1, 1}, {0, 2, 1, 2}, {0, 1, 4, 1},  {0, 2, 16, 2}, {0, 1, 2, 2}, {0, 2, 2, 1},
        {0, 1, 8, 2}, {0, 2, 32, 1}, {0, 3, 2, 1}, {2, 1, 2, 1},  {2, 2, 8, 2}, {1, 1, 2, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetPictureOrientation(c.layout, c.orientation, c.pages), c.expected)
            << c.layout << " " << c.orientation << " " << c.pages;
}

TEST(JobTypePictures, TablesByValueAndOrientation)
{
    EXPECT_EQ(GetPictureByOrientation(kSheetPictures, 1, 1), 2354u);
    EXPECT_EQ(GetPictureByOrientation(kSheetPictures, 3, 2), 2407u);
    EXPECT_EQ(GetPictureByOrientation(kPagesPictures, 1, 2), 2357u);
    EXPECT_EQ(GetPictureByOrientation(kPagesPictures, 8, 2), 2363u);
    EXPECT_EQ(GetPictureByOrientation(kPagesPictures, 6, 1), 0u);  // not in the table
    EXPECT_EQ(GetPictureByOrientation(kOrderPictures, 0, 1), 0u);
    EXPECT_EQ(GetPictureByOrientation(kOrderPictures, 2, 2), 2370u);
    EXPECT_EQ(GetPictureByValue(kLayoutPictures, 2), 2378u);
    EXPECT_EQ(GetPictureByValue(kFoldPictures, 3), 2401u);
    EXPECT_EQ(GetPictureByValue(kFoldPictures, 1), 0u);
}

TEST(JobTypeOptionIcons, RowByValueColumnBySetting437)
{
    const struct {
        int32_t control;
        uint32_t value, mark;
        int result;
        uint32_t icon;
    } cases[] = {
        {kPunchIcon, 0, 0, 0, 893}, {kPunchIcon, 1, 1, 0, 875}, {kPunchIcon, 1, 2, 0, 1001},
        {kPunchIcon, 4, 3, 0, 1005}, {kPunchIcon, 2, 0, 0, 896}, {kEdgeIcon, 0, 2, 0, 891},
        {kEdgeIcon, 1, 1, 0, 898},  {kEdgeIcon, 3, 3, 0, 889},  {kEdgeIcon, 4, 0, 0, 885},
        {kEdgeIcon, 5, 0, 1, 0},    {kJobTypeBox, 1, 0, 1, 0},
    };
    for (const auto& c : cases) {
        uint32_t icon = 0;
        EXPECT_EQ(LookUpOptionIcon(c.control, c.value, c.mark, &icon), c.result) << c.control << " " << c.value;
        if (c.result == 0)
            EXPECT_EQ(icon, c.icon) << c.control << " " << c.value << " " << c.mark;
    }
}

TEST(JobTypeFields, LengthsAndDialogsByJobType)
{
    EXPECT_EQ(JobIdLength(kJobTypeStored, false), 24u);
    EXPECT_EQ(JobIdLength(kJobTypeNormal, false), 12u);
    EXPECT_EQ(JobIdLength(kJobTypeNormal, true), 24u);
    EXPECT_EQ(JobPinLength(false), 8u);
    EXPECT_EQ(JobPinLength(true), 24u);
    EXPECT_EQ(JobDetailsTemplate(kJobTypeSecure), static_cast<uint32_t>(kSecureJobTemplate));
    EXPECT_EQ(JobDetailsTemplate(kJobTypeStored), static_cast<uint32_t>(kStoredJobTemplate));
    EXPECT_EQ(JobDetailsTemplate(kJobTypeDelayed), static_cast<uint32_t>(kDelayedJobTemplate));
    EXPECT_EQ(JobDetailsTemplate(kJobTypeNormal), static_cast<uint32_t>(kOtherJobTemplate));
}

class JobTypePage : public DialogSuiteTest {
protected:
    static void SetUpTestSuite()
    {
        InitControls();
        printer_s = OpenSuitePrinter(L"C4530.DDD", L"Morva Job Type Page");
    }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_s); }
    void SetUp() override
    {
        OpenDialogs(printer_s, kDialogs, std::size(kDialogs));
        LoadModelCapabilityWords(&ui_);
        // The page check of a freshly opened sheet is not what these tests look at.
        SetPageCheckDone(&ui_);
    }
    void TearDown() override
    {
        if (sheet_) {
            RemovePropW(sheet_, kScriptedProperty);
            DestroyWindow(sheet_);
            Pump();
        }
        DialogSuiteTest::TearDown();
    }

    void OpenSheet()
    {
        PROPSHEETPAGEW page{};
        page.dwSize = sizeof page;
        page.hInstance = GetResourceModule();
        page.pszTemplate = MAKEINTRESOURCEW(kJobTypeTemplate);
        page.pfnDlgProc = JobTypePageProc;
        page.lParam = NewDialogContext();
        PROPSHEETHEADERW header{};
        header.dwSize = sizeof header;
        header.dwFlags = PSH_MODELESS | PSH_PROPSHEETPAGE;
        header.hInstance = GetResourceModule();
        header.pszCaption = L"Job type";
        header.nPages = 1;
        header.ppsp = &page;
        sheet_ = reinterpret_cast<HWND>(PropertySheetW(&header));
        ASSERT_NE(sheet_, nullptr);
        SetPropW(sheet_, kScriptedProperty, reinterpret_cast<HANDLE>(1));
        Pump();
        ASSERT_NE(Page(), nullptr);
    }
    void Pump()
    {
        MSG msg;
        for (int round = 0; round < 3; ++round) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (sheet_ && PropSheet_IsDialogMessage(sheet_, &msg))
                    continue;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            Sleep(10);
        }
    }
    HWND Page() const { return sheet_ ? PropSheet_GetCurrentPageHwnd(sheet_) : nullptr; }
    HWND Control(int id) const { return GetDlgItem(Page(), id); }
    uint32_t Current(uint16_t id)
    {
        return SettingNumberOr(id, dialog_->current->settings, dialog_->current->printerSettings, 0xFFFF);
    }
    // The row of a combo box whose text is `text`, chosen as a user's click does.
    bool ChooseRow(int id, const wchar_t* text)
    {
        HWND combo = Control(id);
        LRESULT row = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(text));
        if (row < 0)
            row = SendMessageW(combo, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
        if (row < 0) {
            for (LRESULT i = 0; i < SendMessageW(combo, CB_GETCOUNT, 0, 0); ++i) {
                wchar_t shown[128] = {};
                SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(shown));
                ADD_FAILURE() << "row " << i << ": " << std::string(shown, shown + wcslen(shown));
            }
            return false;
        }
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(row), 0);
        SendMessageW(Page(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
        SendMessageW(Page(), WM_COMMAND, MAKEWPARAM(id, CBN_SELENDOK), reinterpret_cast<LPARAM>(combo));
        return true;
    }
    // The refresh the engine runs once a change of `setting` stands.
    void RefreshPage(uint16_t setting)
    {
        const uint16_t changed[] = {setting, 0};
        CallContext call{};
        ASSERT_TRUE(InitCallContext(&call, Page(), nullptr, kJobTypePageCode, WM_COMMAND, kDialogTypePage));
        RefreshDialogFromSettings(&call, changed);
    }
    std::wstring Text(int id) const
    {
        wchar_t text[256] = {};
        GetWindowTextW(Control(id), text, 256);
        return text;
    }
    // A dialog of the page run modally on a fresh context.
    INT_PTR RunSubDialog(UINT templateId, DLGPROC procedure, bool subPage, const std::function<void(HWND)>& script)
    {
        static PROPSHEETPAGEW page{};
        page = {};
        page.dwSize = sizeof page;
        page.lParam = NewDialogContext();
        const LPARAM parameter = subPage ? reinterpret_cast<LPARAM>(&page) : page.lParam;
        return RunModalDialog(GetResourceModule(), templateId, procedure, parameter, nullptr, script);
    }

    static ModelPrinter* printer_s;
    HWND sheet_ = nullptr;
};
ModelPrinter* JobTypePage::printer_s = nullptr;

TEST_F(JobTypePage, ShowsTheSettingsOfTheDocument)
{
    Set(kFidOrientation, 2);
    Set(kFidCollate, 1);
    MessageBoxScript boxes;
    ASSERT_NO_FATAL_FAILURE(OpenSheet());
    CaptureWindowPng(sheet_, "job_type_page");
    EXPECT_EQ(SendMessageW(Control(kPortraitButton), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageW(Control(kLandscapeButton), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(Control(kCollateBox), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(Text(kJobTypeBox), L"Normal Print");
    EXPECT_EQ(Text(kPagesPerSheetBox), L"1");
    EXPECT_GT(SendMessageW(Control(kPaperSizeBox), CB_GETCOUNT, 0, 0), 10);
    EXPECT_GT(SendMessageW(Control(kDuplexBox), CB_GETCOUNT, 0, 0), 1);
    // The reference model has no zoom of its own.
    EXPECT_FALSE(IsWindowVisible(Control(kZoomEdit)));
    // An ordinary job needs no codes and no time.
    EXPECT_FALSE(IsWindowEnabled(Control(kJobCodeEdit)));
    EXPECT_FALSE(IsWindowEnabled(Control(kDelayHourEdit)));
    EXPECT_EQ(boxes.shown().size(), 0u);
}

TEST_F(JobTypePage, ControlsChangeTheirSettings)
{
    MessageBoxScript boxes({IDOK, IDOK, IDOK});
    ASSERT_NO_FATAL_FAILURE(OpenSheet());
    ASSERT_TRUE(ChooseRow(kPagesPerSheetBox, L"4"));
    EXPECT_EQ(Current(kFidPagesPerSheet), 4u);
    ASSERT_TRUE(ChooseRow(kJobTypeBox, L"Delayed Print"));
    EXPECT_EQ(Current(kFidJobType), kJobTypeDelayed);
    EXPECT_TRUE(IsWindowEnabled(Control(kDelayHourEdit)));
    SendMessageW(Control(kLandscapeButton), BM_CLICK, 0, 0);
    EXPECT_EQ(Current(kFidOrientation), 2u);
    EXPECT_EQ(SendMessageW(Control(kPortraitButton), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    SendMessageW(Control(kCollateBox), BM_CLICK, 0, 0);
    EXPECT_EQ(Current(kFidCollate), SendMessageW(Control(kCollateBox), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1u : 0u);
    CaptureWindowPng(sheet_, "job_type_page_changed");
}

// The page's refresh after the paper became the custom size, as the engine
// sends it once the change stands, opens the size dialog.
TEST_F(JobTypePage, ChoosingTheCustomSizeOpensItsDialog)
{
    MessageBoxScript boxes;
    ASSERT_NO_FATAL_FAILURE(OpenSheet());
    std::wstring caption;
    bool opened = false;
    ScriptNextModalDialog(
        [&] {
            ASSERT_TRUE(WriteSettingNumber(kFidPaperSize, dialog_->current->settings,
                                           dialog_->current->printerSettings, 256));
            RefreshPage(kFidPaperSize);
            Pump();
        },
        [&](HWND dialog) {
            opened = true;
            wchar_t text[64] = {};
            GetWindowTextW(dialog, text, 64);
            caption = text;
            EXPECT_NE(GetDlgItem(dialog, kSizeWidthEdit), nullptr);
            CaptureWindowPng(dialog, "job_type_custom_size");
            ClickButton(dialog, kPagesCancelButton);
        });
    EXPECT_TRUE(opened);
    EXPECT_EQ(caption, L"Custom Paper Size");
    // Another paper asks nothing.
    opened = false;
    ScriptNextModalDialog(
        [&] {
            ASSERT_TRUE(WriteSettingNumber(kFidPaperSize, dialog_->current->settings,
                                           dialog_->current->printerSettings, 9));
            RefreshPage(kFidPaperSize);
            Pump();
        },
        [&](HWND dialog) {
            opened = true;
            ClickButton(dialog, kPagesCancelButton);
        });
    EXPECT_FALSE(opened);
}

TEST_F(JobTypePage, ShortCodeIsRefusedWithTheMinimum)
{
    Set(kFidJobType, kJobTypeSecure);
    ASSERT_EQ(Get(kFidUserCodeMinimum), 4u);
    MessageBoxScript boxes({IDOK});
    ASSERT_NO_FATAL_FAILURE(OpenSheet());
    ASSERT_TRUE(IsWindowEnabled(Control(kJobCodeEdit)));
    SetWindowTextW(Control(kJobCodeEdit), L"12");
    SendMessageW(Page(), WM_COMMAND, MAKEWPARAM(kJobCodeEdit, EN_KILLFOCUS),
                 reinterpret_cast<LPARAM>(Control(kJobCodeEdit)));
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].caption, ResourceString(265));
    EXPECT_NE(boxes.shown()[0].text.find(L"at least 4"), std::wstring::npos);
    SetWindowTextW(Control(kJobCodeEdit), L"1234");
    SendMessageW(Page(), WM_COMMAND, MAKEWPARAM(kJobCodeEdit, EN_KILLFOCUS),
                 reinterpret_cast<LPARAM>(Control(kJobCodeEdit)));
    EXPECT_EQ(boxes.shown().size(), 1u);
}

TEST_F(JobTypePage, UserIdLengthFollowsTheJobType)
{
    const struct {
        uint32_t jobType;
        LRESULT limit;
    } cases[] = {{kJobTypeStored, 24}, {kJobTypeNormal, 12}};
    for (const auto& c : cases) {
        Set(kFidJobType, c.jobType);
        MessageBoxScript boxes;
        ASSERT_NO_FATAL_FAILURE(OpenSheet());
        EXPECT_EQ(SendMessageW(Control(kJobIdEdit), EM_GETLIMITTEXT, 0, 0), c.limit) << c.jobType;
        RemovePropW(sheet_, kScriptedProperty);
        DestroyWindow(sheet_);
        sheet_ = nullptr;
        Pump();
    }
}

TEST_F(JobTypePage, EdgeItemFollowsSetting267)
{
    const struct {
        uint32_t edge;
        bool shown;
        const char* picture;
    } cases[] = {{0, false, "job_fields_dialog_no_edge"}, {2, true, "job_fields_dialog"}};
    for (const auto& c : cases) {
        Set(kFidEdgeValue, c.edge);
        MessageBoxScript boxes;
        bool shown = !c.shown, enabled = !c.shown, icon = false;
        RunSubDialog(kJobFieldsTemplate, JobTypeFieldsDialogProc, true, [&](HWND dialog) {
            CaptureWindowPng(dialog, c.picture);
            shown = IsWindowVisible(GetDlgItem(dialog, kEdgeBox)) != FALSE;
            enabled = IsWindowEnabled(GetDlgItem(dialog, kEdgeBox)) != FALSE;
            icon = SendDlgItemMessageW(dialog, kPunchIcon, STM_GETICON, 0, 0) != 0;
            ClickButton(dialog, kJobCancelButton);
        });
        EXPECT_EQ(shown, c.shown) << c.edge;
        EXPECT_EQ(enabled, c.shown) << c.edge;
        EXPECT_TRUE(icon) << c.edge;
    }
}

TEST_F(JobTypePage, EachJobTypeDialogShowsItsFields)
{
    const struct {
        uint32_t jobType;
        UINT templateId;
        int field;
        const char* picture;
    } cases[] = {{kJobTypeSecure, kSecureJobTemplate, kJobCodeEdit, "job_type_secure_dialog"},
                 {kJobTypeStored, kStoredJobTemplate, kJobPinEdit, "job_type_stored_dialog"},
                 {kJobTypeDelayed, kDelayedJobTemplate, kDelayHourEdit, "job_type_delayed_dialog"},
                 {kJobTypeNormal, kOtherJobTemplate, kJobNumberEdit, "job_type_other_dialog"}};
    for (const auto& c : cases) {
        Set(kFidJobType, c.jobType);
        MessageBoxScript boxes;
        std::wstring description;
        bool found = false;
        const INT_PTR result = RunSubDialog(c.templateId, JobTypeDialogProc, false, [&](HWND dialog) {
            CaptureWindowPng(dialog, c.picture);
            found = IsWindowEnabled(GetDlgItem(dialog, c.field)) != FALSE;
            wchar_t text[256] = {};
            GetDlgItemTextW(dialog, kJobDescription, text, 256);
            description = text;
            ClickButton(dialog, kJobCancelButton);
        });
        EXPECT_TRUE(found) << c.picture;
        EXPECT_EQ(description, ResourceString(4760 + c.jobType)) << c.picture;
        EXPECT_EQ(result, IDCANCEL) << c.picture;
        // Leaving a proof print without its PIN tells that the job will go
        // as an ordinary one.
        if (c.jobType == kJobTypeStored) {
            ASSERT_EQ(boxes.shown().size(), 1u);
            EXPECT_NE(boxes.shown()[0].text.find(L"Job Type: Normal Print"), std::wstring::npos)
                << std::string(boxes.shown()[0].text.begin(), boxes.shown()[0].text.end());
            EXPECT_EQ(boxes.shown()[0].caption, ResourceString(265));
        } else {
            EXPECT_EQ(boxes.shown().size(), 0u) << c.picture;
        }
    }
}

TEST_F(JobTypePage, DelayedTimeIsTypedOnThePage)
{
    Set(kFidJobType, kJobTypeDelayed);
    MessageBoxScript boxes;
    ASSERT_NO_FATAL_FAILURE(OpenSheet());
    ASSERT_TRUE(IsWindowEnabled(Control(kDelayHourEdit)));
    const struct {
        int control;
        const wchar_t* text;
        uint16_t setting;
        uint32_t value;
    } cases[] = {{kDelayHourEdit, L"21", kFidDelayHour, 21}, {kDelayMinuteEdit, L"45", kFidDelayMinute, 45}};
    for (const auto& c : cases) {
        SetWindowTextW(Control(c.control), c.text);
        SendMessageW(Page(), WM_COMMAND, MAKEWPARAM(c.control, EN_KILLFOCUS),
                     reinterpret_cast<LPARAM>(Control(c.control)));
        EXPECT_EQ(Current(c.setting) & 0xFF, c.value) << c.control;
    }
    for (const ShownMessageBox& box : boxes.shown())
        ADD_FAILURE() << std::string(box.text.begin(), box.text.end());
}

// A closed list changed with the arrow keys reports only its selection
// change; that is the user's choice as much as a click in the open list.
TEST_F(JobTypePage, KeyboardChoiceInAClosedListChangesTheSetting)
{
    MessageBoxScript boxes;
    ASSERT_NO_FATAL_FAILURE(OpenSheet());
    HWND combo = Control(kDuplexBox);
    const LRESULT row = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(L"Long Edge"));
    ASSERT_GE(row, 0);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(row), 0);
    SendMessageW(Page(), WM_COMMAND, MAKEWPARAM(kDuplexBox, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(Current(kFidDuplex), 2u);
    // The job type's list has no kind in the model: its options are checked
    // one by one all the same.
    ASSERT_TRUE(ChooseRow(kJobTypeBox, L"Proof Print"));
    EXPECT_EQ(Current(kFidJobType), kJobTypeStored);
    EXPECT_EQ(SendMessageW(Control(kJobIdEdit), EM_GETLIMITTEXT, 0, 0), 24);
}

TEST_F(JobTypePage, FinishingFieldsFollowSetting459)
{
    for (uint32_t shown : {0u, 1u}) {
        Set(459, shown);
        MessageBoxScript boxes;
        bool staple = !shown, fold = !shown;
        RunSubDialog(kJobFieldsTemplate, JobTypeFieldsDialogProc, true, [&](HWND dialog) {
            if (shown)
                CaptureWindowPng(dialog, "job_fields_dialog_details");
            staple = IsWindowVisible(GetDlgItem(dialog, kStapleBox)) && IsWindowEnabled(GetDlgItem(dialog, kStapleBox));
            fold = IsWindowVisible(GetDlgItem(dialog, kFoldBox)) != FALSE;
            ClickButton(dialog, kJobCancelButton);
        });
        EXPECT_EQ(staple, shown == 1) << shown;
        EXPECT_EQ(fold, shown == 1) << shown;
    }
}
