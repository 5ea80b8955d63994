// The page-level steps of the engine: a dialog's initialisation, activation,
// leaving, Apply and Reset, shared by every page of a sheet through the flags
// of its UiContext so that the sheet's own work runs once per Apply or Reset.
#include "common/conflicts/dialog_services.h"
#include "common/context/model_lookups.h"
#include "common/constraints/constraint_engine.h"
#include "common/constraints/constraint_result.h"
#include "common/context/settings_context.h"
#include "common/settings/function_ids.h"
#include "common/context/value_by_type.h"
#include "common/options/option_lists.h"
#include "common/system/module_files.h"
#include "ui/engine/item_changes.h"
#include "ui/engine/message_engine.h"
#include "ui/support/sub_dialog.h"
#include "ui/engine/page_check.h"
#include "ui/engine/page_store.h"
#include "ui/engine/tooltips.h"

#include <commctrl.h>
#include <prsht.h>

#include <cwchar>

namespace {

constexpr int kTooltipWidth = 256;
constexpr int kTitleChars = 256;
constexpr uint32_t kFreeCustomPaper = 256;

UiContext* UiOf(const HandlerArgs* args) { return args && args->call ? GetWindowUiContext(args->call->window) : nullptr; }

// The sheet's copy of the dialog's item-table header (its re-initialise flag is per sheet).
ItemTableHeader* HeaderCopy(HWND window, int32_t dialogCode) { return GetDialogTableHeader(window, dialogCode); }

// A notification the engine makes itself (a modal dialog's activation, a sub-dialog's Cancel).
struct OwnNotification {
    PSHNOTIFY notify{};
    OwnNotification(HWND window, UINT code)
    {
        notify.hdr.hwndFrom = window;
        notify.hdr.idFrom = 0;
        notify.hdr.code = code;
    }
    LPARAM lParam() { return reinterpret_cast<LPARAM>(&notify); }
};

void SetTitleFromSetting(HWND window, UiContext* ui)
{
    const uint16_t setting = GetPendingTitleSetting(ui);
    if (!setting)
        return;
    uint16_t kind = 0, count = 0, status = 0;
    const wchar_t* name = nullptr;
    ModelSection* section = nullptr;
    if (GetItemFeature(ui->settings, setting, &kind, &count, &name, &section, &status) && name) {
        wchar_t title[kTitleChars] = {};
        int n = 0;
        for (const wchar_t* c = name; *c && n < kTitleChars - 1; ++c)
            if (*c != L'\n')
                title[n++] = *c;
        SetWindowTextW(window, title);
    }
    FreeItemFeature(section);
    SetPendingTitleSetting(ui, 0);
}

// After an Apply the stored form name may name another model paper.
void MatchPaperToForm(const CallContext* call, const UiContext* ui)
{
    uint32_t paper = 0;
    if (!ReadSettingNumber(kFidPaperSize, call->settings, call->printerSettings, &paper) || paper == kFreeCustomPaper)
        return;
    const ConstraintContext context{call->settingsContext, call->settings, call->printerSettings};
    OwnedIdList<kChangedRoom> changed;
    MatchFormNameToPaper(ui->printer, context, static_cast<uint16_t>(paper), &changed.items, &changed.count);
}

// Activation, also after a refused kill-active (`refresh`: the unit choice stays).
INT_PTR Activate(HWND window, WPARAM wParam, LPARAM lParam, int32_t dialogCode, HandlerArgs* args, bool refresh)
{
    UiContext* ui = UiOf(args);
    if (!ui)
        return 0;
    ui->pageCode = dialogCode;
    if (dialogCode == kDialogWithoutItems)
        return 0;
    if (!refresh)
        ResetMeasureUnitChoice(ui);
    SetUiEditingFlag(ui, 0);
    CallContext* call = args->call;
    if (ItemTableHeader* header = HeaderCopy(window, dialogCode); header && header->reinitialise) {
        if (!InitDialogStates(call, args->records, args->count))
            return 0;
        header->reinitialise = 0;
        MatchPaperToForm(call, ui);
    }
    SetSettingsChangedFlag(ui, 0);
    if (!ReloadItemValues(call, args->records, args->count) || !UpdateSlotSelections(call, args->records, args->count))
        return 0;
    EvaluateOptionStates(call, args->records, args->count, kEvaluateOnActivate, nullptr);
    UpdateSlotSelections(call, args->records, args->count);
    // The items show their values as at PSN_SETACTIVE, also in the refresh
    // after a refused kill-active (which must not ask them to be left again).
    OwnNotification active(window, PSN_SETACTIVE);
    const auto* given = reinterpret_cast<const NMHDR*>(lParam);
    if (given)
        active.notify.hdr = *given;
    active.notify.hdr.code = PSN_SETACTIVE;
    SetCallMessage(call, WM_NOTIFY);
    RunItemEventHandlers(call, WM_NOTIFY, wParam, active.lParam(), args->records, args->count, 0);
    UpdateItemLabels(call, args->records, args->count, 0);
    if (!call->permission)
        LockDialogReadOnly(call, args->records, args->count);
    return 0;
}

INT_PTR InitDialogItems(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode,
                        HandlerArgs* args, uint16_t dialogType)
{
    if (!args || !args->call || !lParam)
        return 0;
    DialogContext* context = dialogType == kDialogTypeModal
                                 ? reinterpret_cast<DialogContext*>(lParam)
                                 : reinterpret_cast<DialogContext*>(reinterpret_cast<PROPSHEETPAGEW*>(lParam)->lParam);
    if (!context)
        return 0;
    if (dialogType == kDialogTypePage && !context->owner)
        context->owner = GetParent(window);
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(context));
    UiContext* ui = context->ui;
    if (!ui)
        return 0;
    SetTitleFromSetting(window, ui);

    // The context exists only now: the table and the call are made again.
    args->records = nullptr;
    args->count = 0;
    GetDialogItemTable(window, dialogCode, &args->records, &args->count);
    const HWND owner = dialogType == kDialogTypePage ? GetParent(window) : context->owner;
    InitCallContext(args->call, window, owner, static_cast<uint32_t>(dialogCode), message, dialogType);
    DeferredPageCheck(args->call);
    if (!GetUiTooltipWindow(ui, dialogType))
        SetUiTooltipWindow(ui, dialogType, CreateTooltipWindow(window, kTooltipWidth));
    if (!args->records || args->count <= 0)
        return 0;
    if (!InitDialogStates(args->call, args->records, args->count))
        return 0;
    const INT_PTR result = RunItemEventHandlers(args->call, WM_INITDIALOG, wParam, lParam, args->records, args->count, 0);
    if (ItemTableHeader* header = HeaderCopy(window, dialogCode))
        header->reinitialise = 0;
    if (dialogType == kDialogTypeModal) {
        OwnNotification active(window, PSN_SETACTIVE);
        SetCallMessage(args->call, WM_NOTIFY);
        Activate(window, 0, active.lParam(), dialogCode, args, false);
    }
    return result;
}

// The common property-sheet interface's result report (CPSFUNC_SET_RESULT with CPSUI_OK).
constexpr UINT kComPropSheetSetResult = 9;
constexpr LPARAM kComPropSheetOk = 1;

void ReportSheetResult(UiContext* ui)
{
    if (ui->comPropSheet)
        ui->comPropSheet(ui->comPropSheetHandle, kComPropSheetSetResult,
                         reinterpret_cast<LPARAM>(ui->pageHandles ? ui->pageHandles[0] : nullptr), kComPropSheetOk);
}

// The records of the window's current set (Reset replaces them).
void RereadCallSettings(CallContext* call)
{
    void* settings = nullptr;
    void* printerSettings = nullptr;
    if (GetDialogSettings(call->window, &settings, &printerSettings)) {
        call->settings = settings;
        call->printerSettings = printerSettings;
    }
}

}  // namespace

INT_PTR OnPageInitDialog(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode,
                         HandlerArgs* args)
{
    return InitDialogItems(window, message, wParam, lParam, dialogCode, args, kDialogTypePage);
}

INT_PTR OnSubPageInitDialog(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode,
                            HandlerArgs* args)
{
    return InitDialogItems(window, message, wParam, lParam, dialogCode, args, kDialogTypeSubPage);
}

INT_PTR OnModalDialogInit(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode,
                          HandlerArgs* args)
{
    return InitDialogItems(window, message, wParam, lParam, dialogCode, args, kDialogTypeModal);
}

INT_PTR OnPageSetActive(HWND window, UINT, WPARAM wParam, LPARAM lParam, int32_t dialogCode, HandlerArgs* args)
{
    return Activate(window, wParam, lParam, dialogCode, args, false);
}

INT_PTR OnPageKillActive(HWND window, UINT, WPARAM wParam, LPARAM lParam, int32_t dialogCode, HandlerArgs* args)
{
    if (!UiOf(args) || dialogCode == kDialogWithoutItems)
        return 0;
    const INT_PTR result = RunItemEventHandlers(args->call, WM_NOTIFY, wParam, lParam, args->records, args->count, 0);
    if (result == 1)
        Activate(window, wParam, lParam, dialogCode, args, true);
    else
        // Each press of OK or Apply leaves the current page first: the press
        // that follows is a new one whose first page does the sheet's work
        // again, so that what changed after an earlier Apply is stored too.
        SetSettingsChangedFlag(UiOf(args), 0);
    // 1 keeps the page; the sheet reads it only when the procedure answers TRUE.
    SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return result;
}

INT_PTR OnPageApply(HWND window, UINT, WPARAM wParam, LPARAM lParam, int32_t dialogCode, HandlerArgs* args)
{
    UiContext* ui = UiOf(args);
    DialogContext* context = GetDialogContext(window);
    if (!ui || !context)
        return 0;
    CallContext* call = args->call;
    const uint16_t type = args->dialogType;
    if (type != kDialogTypePage)
        SetUiTooltipWindow(ui, type, nullptr);
    if (!GetSettingsChangedFlag(ui)) {
        if (type != kDialogTypePage) {
            SendMessageW(GetParent(context->owner), PSM_CHANGED, reinterpret_cast<WPARAM>(context->owner), 0);
        } else {
            if (SettingNumberOr(kFidCoverSheetOn, call->settings, call->printerSettings, 0) &&
                !ServiceRequestStep(call))
                return 2;
            ForgetFavouritePosition(ui);
            if (!PrepareSettingsForStore(window, ui, call->settings, call->printerSettings))
                return 0;
            ui->resultSent = 1;
            ReportSheetResult(ui);
            const auto* notify = reinterpret_cast<const PSHNOTIFY*>(lParam);
            if (notify && notify->lParam == 0 && !CommitCurrentSettings(context))
                return 0;
        }
        SetSettingsChangedFlag(ui, 1);
    }
    if (dialogCode == kDialogWithoutItems)
        return 0;
    // The store has run: a value an item wrote now would be lost, so no
    // change is taken while the items see the Apply.
    const uint32_t guard = ui->changeGuard;
    ui->changeGuard = 1;
    const INT_PTR result = RunItemEventHandlers(call, WM_NOTIFY, wParam, lParam, args->records, args->count, 0);
    ui->changeGuard = guard;
    FreeDialogStates(window, args->records, args->count);
    if (ItemTableHeader* header = HeaderCopy(window, dialogCode))
        header->reinitialise = 1;
    SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return result;
}

INT_PTR OnPageReset(HWND window, UINT, WPARAM wParam, LPARAM lParam, int32_t dialogCode, HandlerArgs* args)
{
    UiContext* ui = UiOf(args);
    DialogContext* context = GetDialogContext(window);
    if (!ui || !context)
        return 0;
    CallContext* call = args->call;
    SetUiTooltipWindow(ui, args->dialogType, nullptr);
    if (!GetSettingsChangedFlag(ui)) {
        RestoreCurrentSettings(context, 0);
        SetSettingsChangedFlag(ui, 1);
        // An earlier Apply stays valid.
        if (args->dialogType == kDialogTypePage && ui->resultSent)
            ReportSheetResult(ui);
    }
    RereadCallSettings(call);
    if (dialogCode == kDialogWithoutItems)
        return 0;
    RunItemEventHandlers(call, kEventReset, wParam, lParam, args->records, args->count, 0);
    OwnNotification reset(window, PSN_RESET);
    const auto* given = reinterpret_cast<const NMHDR*>(lParam);
    if (given)
        reset.notify.hdr = *given;
    reset.notify.hdr.code = PSN_RESET;
    RunItemEventHandlers(call, WM_NOTIFY, wParam, reset.lParam(), args->records, args->count, 0);
    FreeDialogStates(window, args->records, args->count);
    return 0;
}

INT_PTR OnPageDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t, HandlerArgs* args)
{
    const UiContext* ui = UiOf(args);
    if (!ui)
        return 0;
    if (args->dialogType == kDialogTypePage)
        CloseHelpWindows(ui);
    RunItemEventHandlers(args->call, message, wParam, lParam, args->records, args->count, 0);
    // A dialog closed without Apply or Reset lets go of its states here.
    FreeDialogStates(window, args->records, args->count);
    return 0;
}

INT_PTR OnShowQueuedTexts(HWND window, UINT, WPARAM, LPARAM, int32_t, HandlerArgs* args)
{
    UiContext* ui = UiOf(args);
    if (!ui)
        return 0;
    wchar_t caption[kShortTextChars] = {};
    LoadStringW(GetResourceModule(), kWarningCaptionString, caption, kShortTextChars);
    for (int i = 0; i < 2; ++i)
        if (const wchar_t* text = GetQueuedConflictText(ui->queuedTexts, i, nullptr))
            MessageBoxW(window, text, caption, MB_ICONEXCLAMATION);
    FreeQueuedConflictTexts(&ui->queuedTexts);
    return 0;
}

int DeferredPageCheck(CallContext* call)
{
    UiContext* ui = call ? GetWindowUiContext(call->window) : nullptr;
    if (!ui || !ui->settings || GetPageCheckDone(ui) || !call->settings || !call->printerSettings)
        return 0;
    LoadUserSettingsWhenNeeded(call, ui);
    PaperUnits units{};
    GetUnitDisplayFlags(ui->settings, GetLocaleMeasureUnit(ui), &units);
    const ConstraintContext context{ui->settings, call->settings, call->printerSettings};
    FreeQueuedConflictTexts(&ui->queuedTexts);
    const bool documentSheet = (ui->sheetMode & kSheetDocument) != 0;
    const bool userHost = (ui->sheetMode & kSheetDevice) == 0;
    if (!RunPageSettingsCheck(GetResourceModule(), ui->printer, context, kCheckMatchForm,
                              kCheckWholeRecord | kCheckLayoutFit, documentSheet, kMarginResetMessage, &units,
                              call->window, userHost, &ui->queuedTexts))
        return 0;
    SetPageCheckDone(ui);
    int status = 1;
    if (GetQueuedConflictText(ui->queuedTexts, 0, &status) && status != 1)
        PostMessageW(call->window, kEventShowQueuedTexts, 0, 0);
    return 1;
}
