#include "tests/ui_engine/engine_sheet.h"

#include "common/context/value_by_type.h"
#include "common/settings/function_ids.h"
#include "ui/engine/page_check.h"
#include "ui/support/sub_dialog.h"

#include <commctrl.h>
#include <prsht.h>

#include <iterator>

EngineBench g_bench;

namespace {
// The mark by which a message box script knows a dialog it has answered.
constexpr wchar_t kScriptedProperty[] = L"MorvaScripted";
}  // namespace
// The page of the open sheet, for the store's look at the current set.
HWND g_page = nullptr;

int EngineBench::Count(int32_t control, UINT message, int code) const
{
    int n = 0;
    for (const BenchEvent& e : events)
        if (e.control == control && e.message == message && (code == -1 || e.code == code))
            ++n;
    return n;
}

namespace {

void Change(CallContext* call, const ItemRecord* item)
{
    const ValueEntry* entry = GetSelectedValueEntry(call->window, item);
    uint64_t value = g_bench.next[item->controlId];
    uint16_t* changed = nullptr;
    const int result = entry ? ApplyItemValueChange(call, item, entry, entry->type, &value, &changed) : -9;
    g_bench.changes.push_back({item->controlId, result});
    if (result == kChangeApplied)
        SetPendingAction(call, kPendingValuesChanged, changed, item);
}

uint32_t TestItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item, const void*)
{
    int code = 0;
    if (message == WM_NOTIFY && lParam)
        code = static_cast<int>(reinterpret_cast<const NMHDR*>(lParam)->code);
    else if (message == WM_COMMAND)
        code = HIWORD(wParam);
    g_bench.events.push_back({item->controlId, message, code});
    if (message == WM_COMMAND && (code == CBN_SELCHANGE || code == BN_CLICKED))
        Change(call, item);
    if (message == WM_NOTIFY && code == PSN_KILLACTIVE)
        return g_bench.killActiveResult;
    if (message == kEventValidate)
        return g_bench.validateResult;
    if (message == WM_NOTIFY && code == PSN_APPLY && g_bench.changeAtApply == item->controlId)
        Change(call, item);
    return 0;
}

constexpr ItemSlot kPaperSlots[] = {{kFidPaperSize, 3}};
constexpr ItemSlot kSourceSlots[] = {{kFidPaperSource, 3}};
constexpr ItemSlot kOrientationSlots[] = {{kFidOrientation, 3}};
constexpr ItemSlot kCopiesSlots[] = {{kFidCopies, 3}};
constexpr ItemSlot kCollateSlots[] = {{kFidCollate, 3}};
constexpr uint32_t kCopiesParameters[2] = {1, 3};

const ItemRecord kEngineRecords[] = {
    {kSynPaperCombo, 1, kPaperSlots, 1, TestItem, nullptr, kSynPaperLabel, kNoControl, nullptr},
    {kSynSourceList, 1, kSourceSlots, 2, TestItem, nullptr, kSynSourceLabel, kNoControl, nullptr},
    {kSynPortrait, 1, kOrientationSlots, 5, TestItem, nullptr, kNoControl, kNoControl, nullptr},
    {kSynCopiesEdit, 1, kCopiesSlots, 4, TestItem, kCopiesParameters, kSynCopiesLabel, kNoControl, nullptr},
    {kSynCollate, 1, kCollateSlots, 7, TestItem, nullptr, kNoControl, kNoControl, nullptr},
    {kPageItemId, -1, nullptr, 0, TestItem, nullptr, kNoControl, kNoControl, nullptr},
};
constexpr HelpMapEntry kEngineHelp[] = {{kSynPaperCombo, 101}, {0, 0}};
constexpr int32_t kEngineLocked[] = {kSynLandscape, kNoControl};

const ItemRecord kSubRecords[] = {
    {kSynCopiesEdit, 1, kCopiesSlots, 4, TestItem, kCopiesParameters, kSynCopiesLabel, kNoControl, nullptr},
    {kSynCollate, 1, kCollateSlots, 7, TestItem, nullptr, kNoControl, kNoControl, nullptr},
};

const PageDescriptor* const kPages[] = {&EnginePage, &EngineSubDialog};

LONG_PTR CALLBACK RecordReport(HANDLE, UINT function, LPARAM, LPARAM result)
{
    uint32_t copies = 0;
    // The store reads the sheet's current set; the page is the sheet's only one.
    void* settings = nullptr;
    void* printerSettings = nullptr;
    if (GetDialogSettings(g_page, &settings, &printerSettings))
        ReadSettingNumber(kFidCopies, settings, printerSettings, &copies);
    g_bench.reports.push_back({function, result, copies});
    return 1;
}

}  // namespace

const ItemTableHeader EngineItemTable = {kEngineRecords, static_cast<uint32_t>(std::size(kEngineRecords)),
                                         kPageHelpTopic, kEngineHelp, kEngineLocked, 0};
const PageDescriptor EnginePage = {kSyntheticDialogCode, &EngineItemTable, nullptr};
const ItemTableHeader EngineSubDialogTable = {kSubRecords, static_cast<uint32_t>(std::size(kSubRecords)),
                                              kPageHelpTopic, nullptr, nullptr, 0};
const PageDescriptor EngineSubDialog = {kSyntheticSubDialogCode, &EngineSubDialogTable, nullptr};

INT_PTR CALLBACK EnginePageProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    SlotHandler handler = nullptr;
    int32_t slot = -1;
    if (!FindMessageHandler(message, wParam, lParam, kDialogTypePage, &handler, &slot))
        return FALSE;
    if (message == WM_INITDIALOG)
        g_page = window;
    return CallMessageHandler(window, message, wParam, lParam, kSyntheticDialogCode, kDialogTypePage, handler);
}

ModelPrinter* EngineSheetTest::colour_ = nullptr;

void EngineSheetTest::SetUpTestSuite()
{
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    colour_ = OpenSuitePrinter(L"C4530.DDD", L"Morva UI Engine Sheet C4530");
}

void EngineSheetTest::TearDownTestSuite() { CloseSuitePrinter(colour_); }

void EngineSheetTest::SetUp()
{
    Open(colour_);
    g_bench.Clear();
    g_page = nullptr;
    ui_.printer = Printer();
    ui_.settings = context_;
    ui_.permission = 1;
    ui_.comPropSheet = RecordReport;
    ui_.pageHandles = pageHandles_;
    ui_.tables = CreateDialogTableSet(kPages, std::size(kPages));
    ASSERT_NE(ui_.tables, nullptr);
}

void EngineSheetTest::OpenSheet(bool pageCheck, bool pump)
{
    if (!pageCheck)
        SetPageCheckDone(&ui_);
    SettingsSet set{settings_.data(), printer_settings_.data()};
    context_record_ = CreateDialogContext(nullptr, &ui_, &set, nullptr);
    ASSERT_NE(context_record_, nullptr);
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof page;
    page.hInstance = GetModuleHandleW(nullptr);
    page.pszTemplate = MAKEINTRESOURCEW(kSyntheticPageTemplate);
    page.pfnDlgProc = EnginePageProcedure;
    page.lParam = reinterpret_cast<LPARAM>(context_record_);
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS | PSH_PROPSHEETPAGE;
    header.hInstance = GetModuleHandleW(nullptr);
    header.pszCaption = L"Synthetic sheet";
    header.nPages = 1;
    header.ppsp = &page;
    sheet_ = reinterpret_cast<HWND>(PropertySheetW(&header));
    ASSERT_NE(sheet_, nullptr);
    // The sheet is no message box: a script never answers it.
    SetPropW(sheet_, kScriptedProperty, reinterpret_cast<HANDLE>(1));
    if (pump)
        Pump();
    ASSERT_NE(Page(), nullptr);
}

void EngineSheetTest::TearDown()
{
    if (sheet_) {
        RemovePropW(sheet_, kScriptedProperty);
        DestroyWindow(sheet_);
    }
    Pump();
    FreeDialogContext(&context_record_);
    FreeQueuedConflictTexts(&ui_.queuedTexts);
    FreeDialogTableSet(ui_.tables);
    SettingsPairTest::TearDown();
}

void EngineSheetTest::Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (sheet_ && PropSheet_IsDialogMessage(sheet_, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

HWND EngineSheetTest::Page() const { return sheet_ ? PropSheet_GetCurrentPageHwnd(sheet_) : nullptr; }

void EngineSheetTest::Select(int32_t control, uint64_t value)
{
    g_bench.next[control] = value;
    HWND page = Page();
    const WORD code = control == kSynCollate || control == kSynPortrait ? BN_CLICKED : CBN_SELCHANGE;
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(control, code), reinterpret_cast<LPARAM>(GetDlgItem(page, control)));
}

uint32_t EngineSheetTest::Current(uint16_t id)
{
    void* settings = nullptr;
    void* printerSettings = nullptr;
    uint32_t value = 0;
    if (GetDialogSettings(Page(), &settings, &printerSettings))
        ReadSettingNumber(id, settings, printerSettings, &value);
    return value;
}
