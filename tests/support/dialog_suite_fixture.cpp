#include "tests/support/dialog_suite_fixture.h"

#include <commctrl.h>

void DialogSuiteTest::InitControls()
{
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
}

void DialogSuiteTest::OpenDialogs(ModelPrinter* printer, const PageDescriptor* const* dialogs, size_t count)
{
    Open(printer);
    ui_.printer = Printer();
    ui_.settings = context_;
    ui_.permission = 1;
    ui_.tables = CreateDialogTableSet(dialogs, count);
    ASSERT_NE(ui_.tables, nullptr);
}

void DialogSuiteTest::TearDown()
{
    FreeDialogContext(&dialog_);
    FreeDialogTableSet(ui_.tables);
    ui_.tables = nullptr;
    SettingsPairTest::TearDown();
}

LPARAM DialogSuiteTest::NewDialogContext()
{
    FreeDialogContext(&dialog_);
    SettingsSet set{settings_.data(), printer_settings_.data()};
    dialog_ = CreateDialogContext(nullptr, &ui_, &set, nullptr);
    EXPECT_NE(dialog_, nullptr);
    return reinterpret_cast<LPARAM>(dialog_);
}
