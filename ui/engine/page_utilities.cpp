#include "ui/engine/page_utilities.h"

#include "common/conflicts/dialog_services.h"
#include "common/constraints/constraint_engine.h"
#include "common/constraints/constraint_result.h"
#include "common/context/settings_context.h"
#include "common/model/model_value_ops.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "ui/controls/display_states.h"
#include "ui/engine/item_changes.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/ui_context.h"
#include "ui/support/paper_geometry.h"

#include <commctrl.h>
#include <prsht.h>

#include <memory>

namespace {

// Driver kinds whose pages show no layout summary.
constexpr int kKindsWithoutSummary[] = {3, 4};
constexpr uint16_t kStateLocked = kStateDisabled;

struct ResultCloser {
    void operator()(ConstraintResult* result) const { FreeConstraintResult(result); }
};

uint32_t RunKindDefault(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item)
{
    const ItemEventHandler kind = GetKindDefaultHandler(call);
    return kind ? kind(call, message, wParam, lParam, item, item->parameters) : 0;
}

bool IsShowTrigger(UINT message, LPARAM lParam)
{
    if (message == kEventRefresh)
        return true;
    return message == WM_NOTIFY && lParam &&
           reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(PSN_SETACTIVE);
}

TOOLINFOW SummaryTool(HWND window, HWND control, const wchar_t* text)
{
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.uFlags = TTF_SUBCLASS;
    info.hwnd = window;
    info.uId = static_cast<UINT_PTR>(GetDlgCtrlID(control));
    info.hinst = GetResourceModule();
    info.lpszText = const_cast<wchar_t*>(text);
    GetWindowRect(control, &info.rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&info.rect), 2);
    return info;
}

}  // namespace

int GetUnitDisplayFlags(HWND window, PaperUnits* flags)
{
    const UiContext* ui = GetWindowUiContext(window);
    if (!ui || !flags)
        return 0;
    return GetUnitDisplayFlags(ui->settings, GetLocaleMeasureUnit(ui), flags);
}

int HasModelCapability(HWND window, CapabilityId id)
{
    const UiContext* ui = GetWindowUiContext(window);
    return ui && TestCapabilityBit(&ui->capabilities, id) ? 1 : 0;
}

int GetCallSettingValue(const CallContext* call, uint16_t setting, uint64_t* value)
{
    if (!call || !value || !call->settings)
        return 0;
    uint16_t type = 0;
    uint32_t size = 0;
    *value = 0;
    return GetFunctionIdValue(setting, call->settings, call->printerSettings, &type, &size, value) == kSettingOk ? 1
                                                                                                             : 0;
}

int ShowOptionIcon(CallContext* call, UINT message, int notification, const ItemRecord* item,
                   OptionIconLookup callback)
{
    if (!call || !item || !callback)
        return 0;
    if (message != kEventRefresh && !(message == WM_NOTIFY && notification == PSN_SETACTIVE))
        return 0;
    uint32_t icon = 0;
    HWND control = GetDlgItem(call->window, item->controlId);
    if (!control || callback(call, item, &icon) != 0)
        return 0;
    HICON shown = icon ? static_cast<HICON>(LoadImageW(GetResourceModule(), MAKEINTRESOURCEW(icon), IMAGE_ICON, 0, 0,
                                                       LR_DEFAULTSIZE))
                       : nullptr;
    // The control hands back the icon it showed; that one is no longer needed.
    if (HICON previous = reinterpret_cast<HICON>(SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(shown), 0)))
        DestroyIcon(previous);
    return 1;
}

uint32_t LayoutSummaryHandler(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                              const void*)
{
    if (!call || !item)
        return 0;
    const uint32_t result = RunKindDefault(call, message, wParam, lParam, item);
    HWND window = call->window;
    HWND control = GetDlgItem(window, item->controlId);
    const UiContext* ui = GetWindowUiContext(window);
    if (!control || !ui)
        return result;
    HWND tooltip = GetUiTooltipWindow(ui, call->dialogType);
    if (message == WM_INITDIALOG) {
        TOOLINFOW info = SummaryTool(window, control, L"");
        if (tooltip)
            SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
        const int kind = ui->settings ? GetModelDriverKind(ui->settings->main) : 0;
        for (int hidden : kKindsWithoutSummary)
            if (kind == hidden)
                ShowWindow(control, SW_HIDE);
        return result;
    }
    if (!IsShowTrigger(message, lParam))
        return result;
    const ConstraintContext context{call->settingsContext, call->settings, call->printerSettings};
    wchar_t* text = nullptr;
    if (!FormatLayoutSummaryText(context, &text) || !text)
        return result;
    SetWindowTextW(control, text);
    if (tooltip) {
        TOOLINFOW info = SummaryTool(window, control, text);
        SendMessageW(tooltip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
        SendMessageW(tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    }
    GlobalFree(text);
    return result;
}

uint32_t ShowItemConstraintState(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam,
                                 const ItemRecord* item, const void*)
{
    if (!call || !item)
        return 0;
    const uint32_t result = RunKindDefault(call, message, wParam, lParam, item);
    if (!IsShowTrigger(message, lParam))
        return result;
    const ValueEntry* entry = GetSelectedValueEntry(call->window, item);
    const UiContext* ui = GetWindowUiContext(call->window);
    std::unique_ptr<ConstraintResult, ResultCloser> checked(AllocConstraintResult());
    if (!entry || !ui || !checked ||
        CheckSettingConstraints(kModeInteractive, ui->printer, call->settingsContext, call->settings,
                                call->printerSettings, nullptr, entry->setting, entry->type, &entry->value,
                                checked.get(), nullptr, 0) != 0)
        return result;
    uint16_t state = checked->code;
    if (!call->permission && state != kStateEnabled && state != kStateHidden)
        state = kStateLocked;
    ApplyControlState(GetDlgItem(call->window, item->controlId), state);
    return result;
}
