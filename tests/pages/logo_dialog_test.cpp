// The logo and version dialog in real windows on the colour reference model:
// its texts, the administrator's comment of the site configuration present or
// absent, the model picture that needs its capability, the fonts that two open
// dialogs share, and a logo template's texts over the logo. A picture of the
// dialog goes to build/screens.
#include "ui/pages/logo_dialog.h"

#include "common/system/module_files.h"
#include "tests/fax/modal_dialog_script.h"
#include "tests/support/dialog_suite_fixture.h"
#include "tests/support/message_box_script.h"
#include "tests/support/window_capture.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/ui_context.h"
#include "ui/pages/settings_list_ids.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

namespace {

constexpr UINT kLogoTestTemplate = 9510;
const PageDescriptor* const kDialogs[] = {&LogoDialog};

}  // namespace

TEST(LogoDialogFonts, CharsetOfTheTexts)
{
    const struct {
        BYTE dialog;
        const wchar_t* configured;
        BYTE expected;
    } cases[] = {
        {ANSI_CHARSET, L"", ANSI_CHARSET},      {EASTEUROPE_CHARSET, nullptr, EASTEUROPE_CHARSET},
        {SHIFTJIS_CHARSET, L"", 0},             {HANGUL_CHARSET, L"", 0},
        {GB2312_CHARSET, L"", 0},               {CHINESEBIG5_CHARSET, L"", 0},
        {ANSI_CHARSET, L"1", DEFAULT_CHARSET},  {SHIFTJIS_CHARSET, L"1", DEFAULT_CHARSET},
        {ANSI_CHARSET, L"128", ANSI_CHARSET},   {ANSI_CHARSET, L"x", ANSI_CHARSET},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LogoFontCharset(c.dialog, c.configured), c.expected) << int(c.dialog);
}

class LogoDialogWindow : public DialogSuiteTest {
protected:
    static void SetUpTestSuite()
    {
        InitControls();
        printer_s = OpenSuitePrinter(L"C4530.DDD", L"Morva Logo Dialog");
    }
    static void TearDownTestSuite() { CloseSuitePrinter(printer_s); }
    void SetUp() override { OpenDialogs(printer_s, kDialogs, std::size(kDialogs)); }
    void TearDown() override
    {
        printer_s->RemoveSiteConfiguration();
        DialogSuiteTest::TearDown();
    }
    INT_PTR Run(const std::function<void(HWND)>& script, HMODULE module = nullptr,
                UINT templateId = kLogoDialogTemplate)
    {
        return RunModalDialog(module ? module : GetResourceModule(), templateId, LogoDialogProc, NewDialogContext(),
                              nullptr, script);
    }
    static std::wstring Text(HWND dialog, int id)
    {
        wchar_t text[1024] = {};
        GetDlgItemTextW(dialog, id, text, 1024);
        return text;
    }
    static bool Visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

    static ModelPrinter* printer_s;
};
ModelPrinter* LogoDialogWindow::printer_s = nullptr;

TEST_F(LogoDialogWindow, ShowsNameVersionAndTitle)
{
    // A document sheet for the default settings not opened from the printing
    // preferences: the host is not recognised.
    ui_.sheetMode = kSheetDocument | kSheetDefaults;
    std::wstring title, version;
    bool fontsShared = false;
    const INT_PTR result = Run([&](HWND dialog) {
        InvalidateRect(dialog, nullptr, TRUE);
        UpdateWindow(dialog);
        title = Text(dialog, kLogoTitleText);
        version = Text(dialog, kLogoVersionText);
        const LogoDialogFonts& fonts = GetLogoDialogFonts();
        fontsShared = fonts.openDialogs == 1 && fonts.title &&
                      reinterpret_cast<HFONT>(SendDlgItemMessageW(dialog, kLogoTitleText, WM_GETFONT, 0, 0)) ==
                          fonts.title;
        CaptureWindowPng(dialog, "logo_dialog");
        ClickButton(dialog, kLogoOkButton);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(title, L"Fax");  // the model data's section-38 string
    // Name, version line with its model data version, line 1815, the note.
    EXPECT_EQ(version.find(L"C4530 Ver"), 0u) << std::string(version.begin(), version.end());
    EXPECT_NE(version.find(L"02080101"), std::wstring::npos);
    EXPECT_NE(version.find(ResourceString(kStringAboutLine)), std::wstring::npos);
    EXPECT_NE(version.find(L"http://www.example.invalid/c4530"), std::wstring::npos);
    // Opened from no printing-preferences window: the version ends in a full stop.
    EXPECT_NE(version.find(L"02080101)."), std::wstring::npos);
    EXPECT_TRUE(fontsShared);
    // A sheet of one document: no host to recognise, no full stop.
    ui_.sheetMode = kSheetDocument | kSheetOneDocument;
    Run([&](HWND dialog) {
        version = Text(dialog, kLogoVersionText);
        ClickButton(dialog, kLogoOkButton);
    });
    EXPECT_NE(version.find(L"02080101)\n"), std::wstring::npos) << std::string(version.begin(), version.end());
    EXPECT_EQ(GetLogoDialogFonts().openDialogs, 0);
    EXPECT_EQ(GetLogoDialogFonts().title, nullptr);
}

TEST_F(LogoDialogWindow, CommentOfTheSiteConfiguration)
{
    const struct {
        const char* file;  // null: no file
        bool shown;
        const wchar_t* comment;
    } cases[] = {
        {"[default]\nCOMMENT=Set by the office\n", true, L"Set by the office"},
        {"[default]\nduplex.enforced=1\n", false, nullptr},
        {nullptr, false, nullptr},
    };
    for (const auto& c : cases) {
        printer_s->RemoveSiteConfiguration();
        if (c.file) {
            ASSERT_TRUE(printer_s->WriteSiteConfiguration(c.file));
        }
        bool shown = true;
        std::wstring text;
        Run([&](HWND dialog) {
            shown = Visible(dialog, kLogoCommentText);
            text = Text(dialog, kLogoCommentText);
            if (c.shown) {
                CaptureWindowPng(dialog, "logo_dialog_comment");
            }
            ClickButton(dialog, kLogoOkButton);
        });
        EXPECT_EQ(shown, c.shown) << (c.file ? c.file : "no file");
        if (c.comment) {
            EXPECT_EQ(text, ResourceString(kStringCommentHeading) + L"\r\n" + c.comment);
        }
    }
}

TEST_F(LogoDialogWindow, ModelPictureNeedsItsCapability)
{
    for (bool capable : {false, true}) {
        ui_.capabilities.words[1] = capable ? (1u << (60 - 32)) : 0;
        bool shown = !capable;
        Run([&](HWND dialog) {
            shown = Visible(dialog, kLogoModelPicture);
            if (capable) {
                CaptureWindowPng(dialog, "logo_dialog_picture");
            }
            ClickButton(dialog, kLogoOkButton);
        });
        EXPECT_EQ(shown, capable);
    }
}

TEST_F(LogoDialogWindow, FontsLiveWhileAnyDialogIsOpen)
{
    HWND first = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(kLogoDialogTemplate), nullptr,
                                    LogoDialogProc, NewDialogContext());
    ASSERT_NE(first, nullptr);
    DialogContext* firstContext = dialog_;
    dialog_ = nullptr;
    HWND second = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(kLogoDialogTemplate), nullptr,
                                     LogoDialogProc, NewDialogContext());
    ASSERT_NE(second, nullptr);
    const LogoDialogFonts& fonts = GetLogoDialogFonts();
    EXPECT_EQ(fonts.openDialogs, 2);
    HFONT title = fonts.title;
    HFONT text = fonts.text;
    ASSERT_NE(title, nullptr);
    ASSERT_NE(text, nullptr);
    DestroyWindow(first);
    // The other dialog still draws with them.
    EXPECT_EQ(fonts.openDialogs, 1);
    EXPECT_EQ(fonts.title, title);
    EXPECT_EQ(GetObjectType(title), static_cast<DWORD>(OBJ_FONT));
    EXPECT_EQ(GetObjectType(text), static_cast<DWORD>(OBJ_FONT));
    InvalidateRect(second, nullptr, TRUE);
    UpdateWindow(second);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendDlgItemMessageW(second, kLogoTitleText, WM_GETFONT, 0, 0)), title);
    DestroyWindow(second);
    EXPECT_EQ(fonts.openDialogs, 0);
    EXPECT_EQ(fonts.title, nullptr);
    EXPECT_EQ(GetObjectType(title), 0u);
    FreeDialogContext(&firstContext);
}

TEST_F(LogoDialogWindow, LogoTemplateLaysTheTextsOverTheLogo)
{
    std::wstring title, version, note;
    bool bitmap = false, areaHidden = false;
    HWND seen = nullptr;
    bool plainControls = true;
    const INT_PTR result = Run(
        [&](HWND dialog) {
            seen = dialog;
            // A paint sets the texts again into the same controls.
            InvalidateRect(dialog, nullptr, TRUE);
            UpdateWindow(dialog);
            title = Text(dialog, kLogoOverTitle);
            version = Text(dialog, kLogoOverVersion);
            note = Text(dialog, kLogoOverNote);
            HWND logo = GetDlgItem(dialog, kLogoPicture);
            bitmap = SendMessageW(logo, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
            areaHidden = !Visible(dialog, kLogoArea) && !Visible(dialog, kLogoCommentText);
            plainControls = GetDlgItem(dialog, kLogoTitleText) || GetDlgItem(dialog, kLogoVersionText);
            ClickButton(dialog, kLogoOkButton);
        },
        GetModuleHandleW(nullptr), kLogoTestTemplate);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(title, L"Fax");
    // Over the logo: name, version and line 1815 without the note; the note alone below.
    EXPECT_EQ(version.find(L"C4530\nVer. 2.8.1.1"), 0u) << std::string(version.begin(), version.end());
    EXPECT_EQ(version.find(L"http://"), std::wstring::npos);
    EXPECT_EQ(note, L"http://www.example.invalid/c4530");
    EXPECT_TRUE(bitmap);
    EXPECT_TRUE(areaHidden);
    EXPECT_FALSE(plainControls);  // the logo template has only the texts over the logo
    EXPECT_NE(seen, nullptr);
    EXPECT_EQ(GetLogoDialogFonts().logoText, nullptr);  // gone with the last dialog
}
