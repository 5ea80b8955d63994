// A property sheet of one page, the synthetic template driven by the dialog
// engine through the plain page procedure, with items whose handlers record
// what reaches them and change settings as a test scripts it. The sheet's
// common property-sheet callback is the test's own: it records each result
// report with the settings the store would have read at that moment.
#pragma once
#include "tests/support/settings_pair_fixture.h"
#include "tests/ui_engine/synthetic_page_ids.h"
#include "ui/engine/dialog_context.h"
#include "ui/engine/dialog_tables.h"
#include "ui/engine/item_changes.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/ui_context.h"

#include <map>
#include <vector>

// What the test's items saw and did.
struct BenchEvent {
    int32_t control;
    UINT message;
    int code;  // WM_NOTIFY code, or HIWORD(wParam) of WM_COMMAND
};
struct BenchChange {
    int32_t control;
    int result;
};
struct BenchReport {
    UINT function;
    LPARAM result;
    uint32_t copies;  // setting 12 as the store would read it
};
struct EngineBench {
    std::map<int32_t, uint64_t> next;  // the value a control's change asks for
    std::vector<BenchEvent> events;
    std::vector<BenchChange> changes;
    std::vector<BenchReport> reports;
    uint32_t killActiveResult = 0;
    uint32_t validateResult = 0;
    int32_t changeAtApply = 0;  // a control that tries a change at PSN_APPLY
    int changedNotifications = 0;

    void Clear() { *this = EngineBench{}; }
    int Count(int32_t control, UINT message, int code = -1) const;
};
extern EngineBench g_bench;
// The page of the open sheet.
extern HWND g_page;

extern const ItemTableHeader EngineItemTable;
extern const PageDescriptor EnginePage;
extern const ItemTableHeader EngineSubDialogTable;
extern const PageDescriptor EngineSubDialog;

INT_PTR CALLBACK EnginePageProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

class EngineSheetTest : public SettingsPairTest {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Opens the sheet (the deferred page check skipped unless `pageCheck`).
    void OpenSheet(bool pageCheck = false, bool pump = true);
    void Pump();
    HWND Page() const;
    // A change as the user makes it: the control's selection notification.
    void Select(int32_t control, uint64_t value);
    uint32_t Current(uint16_t id);

    static ModelPrinter* colour_;
    UiContext ui_{};
    HANDLE pageHandles_[1] = {reinterpret_cast<HANDLE>(0x1234)};
    DialogContext* context_record_ = nullptr;
    HWND sheet_ = nullptr;
};
