// A model printer with a sheet's UI context and dialog table set, and a dialog
// context on a copy of the fixture's records: what a table-driven dialog needs
// to run in a real window. Each suite names its printer and its dialogs.
#pragma once
#include "tests/support/settings_pair_fixture.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/dialog_tables.h"
#include "ui/engine/ui_context.h"

#include <windows.h>

#include <cstddef>

class DialogSuiteTest : public SettingsPairTest {
protected:
    // The common controls the templates use; once per suite.
    static void InitControls();

    // Opens the printer's records and builds the UI context with the dialogs.
    void OpenDialogs(ModelPrinter* printer, const PageDescriptor* const* dialogs, size_t count);
    void TearDown() override;
    // A fresh dialog context on the fixture's records, as the creation parameter.
    LPARAM NewDialogContext();

    UiContext ui_{};
    DialogContext* dialog_ = nullptr;
};
