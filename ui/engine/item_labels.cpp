// The labels beside a dialog's items (their text with its access key and
// their display state), and the lock of a dialog opened without permission to
// change the printer's settings.
#include "common/constraints/constraint_engine.h"
#include "common/constraints/constraint_result.h"
#include "common/context/option_list.h"
#include "common/system/module_files.h"
#include "ui/controls/access_key_labels.h"
#include "ui/engine/item_changes.h"
#include "ui/engine/message_engine.h"

#include <memory>

namespace {

constexpr uint16_t kNoLabelSetting = 36922;
constexpr uint16_t kLastCheckedPseudoSetting = 36921;
constexpr uint64_t kKindPushButton = 6;
constexpr uint64_t kKindCheckBox = 7;
constexpr int32_t kButtonWithoutSuffix = 1353;
constexpr uint16_t kStateShownDisabled = 15;
constexpr int32_t kNoString = kNoControl;
// Controls whose visibility is their page's own business.
constexpr int32_t kKeepVisibility[] = {4045, 4018};

void ShowControl(HWND control, bool shown, bool enabled)
{
    if (!control)
        return;
    ShowWindow(control, shown ? SW_SHOW : SW_HIDE);
    EnableWindow(control, enabled ? TRUE : FALSE);
}

struct ResultCloser {
    void operator()(ConstraintResult* result) const { FreeConstraintResult(result); }
};

bool KeepsVisibility(int32_t id)
{
    for (int32_t keep : kKeepVisibility)
        if (keep == id)
            return true;
    return false;
}

// False when the pseudo setting is hidden by the rules (its label shows no text).
bool IsPseudoSettingShown(const CallContext* call, uint16_t setting)
{
    if (setting < kFirstPseudoSetting || setting > kLastCheckedPseudoSetting)
        return true;
    std::unique_ptr<ConstraintResult, ResultCloser> result(AllocConstraintResult());
    const UiContext* ui = GetWindowUiContext(call->window);
    if (!result || !ui)
        return true;
    if (CheckSettingConstraints(kModeInteractive, ui->printer, call->settingsContext, call->settings,
                                call->printerSettings, nullptr, setting, 0, nullptr, result.get(), nullptr, 0) != 0)
        return true;
    return result->code != kStateHidden;
}

// 1 with the text in `out`; 0 when the label keeps its text.
int BuildItemLabel(const CallContext* call, const ItemRecord& item, int mode, wchar_t* out)
{
    HWND window = call->window;
    const uint16_t setting = GetSelectedSettingId(window, &item);
    const OptionList* list = GetSelectedOptionList(window, &item);
    const ControlState* state = FindControlState(window, &item);
    HMODULE module = GetResourceModule();
    if (!list || !state) {
        if (setting == kNoLabelSetting) {
            out[0] = L'\0';
            return 1;
        }
        if (!setting || !IsPseudoSettingShown(call, setting))
            return 0;
        int32_t suffix = static_cast<int32_t>(kLabelFormatString);
        if (item.kind == kKindPushButton)
            suffix = item.controlId == kButtonWithoutSuffix ? kNoString : static_cast<int32_t>(kButtonLabelFormatString);
        else if (item.kind == kKindCheckBox)
            suffix = kNoString;
        return BuildSettingLabel(module, call->settingsContext, setting, out, kLabelChars, item.labelString, suffix,
                                 nullptr);
    }
    uint16_t shown = kStateEnabled;
    GetSettingUiState(window, setting, &shown, nullptr);
    if (mode == 1 && shown == kStateHidden && item.labelString == kNoString)
        return 0;
    // The list's title names the setting; a list without one (a range its
    // handler gives) leaves the label as the template wrote it.
    if (!list->title || !*list->title)
        return 0;
    return BuildLabelWithAccessKey(module, out, kLabelChars, list->title, item.labelString,
                                   item.kind == kKindCheckBox ? kNoString : static_cast<int32_t>(kLabelFormatString),
                                   nullptr);
}

void ApplyLabelState(const CallContext* call, const ItemRecord& item, HWND label)
{
    uint16_t state = kStateEnabled;
    GetItemSettingUiState(call->window, &item, &state, nullptr);
    if (call->permission) {
        if (state == kStateDisabled || state == kStateShownDisabled)
            ShowControl(label, true, false);
        else if (state == kStateHidden)
            ShowControl(label, false, false);
        else
            ShowControl(label, true, true);
        return;
    }
    const uint32_t flags = GetItemFlags(&item);
    if (flags & kItemEnabledWhenReadOnly)
        return;
    if (flags & kItemLabelFollowsControl) {
        HWND control = GetDlgItem(call->window, item.controlId);
        ShowControl(label, state != kStateHidden, control && IsWindowEnabled(control));
        return;
    }
    ShowControl(label, state != kStateHidden, false);
}

}  // namespace

int UpdateItemLabels(CallContext* call, const ItemRecord* records, int32_t count, int mode)
{
    if (!call || !records)
        return 0;
    for (int32_t i = 0; i < count; ++i) {
        const ItemRecord& item = records[i];
        if (item.labelControl == kNoControl)
            continue;
        HWND label = GetDlgItem(call->window, item.labelControl);
        if (!label)
            continue;
        if (mode == 1) {
            if (item.slotCount == -1)
                continue;
            if (item.slotCount == 1 && (!item.slots || !PendingListContains(call, item.slots[0].setting)))
                continue;
        }
        wchar_t text[kLabelChars] = {};
        if (BuildItemLabel(call, item, mode, text))
            SetWindowTextW(label, text);
        ApplyLabelState(call, item, label);
    }
    return 1;
}

int LockDialogReadOnly(CallContext* call, const ItemRecord* records, int32_t count)
{
    if (!call)
        return 0;
    HWND window = call->window;
    const auto lock = [&](const ItemRecord& item) {
        if (item.controlId == kPageItemId)
            return;
        HWND control = GetDlgItem(window, item.controlId);
        const uint32_t flags = GetItemFlags(&item);
        if (flags & kItemEnabledWhenReadOnly) {
            if (control)
                EnableWindow(control, TRUE);
            return;
        }
        if ((flags & kItemLabelFollowsControl) || !control || !IsWindowEnabled(control))
            return;
        uint16_t state = kStateEnabled;
        GetItemSettingUiState(window, &item, &state, nullptr);
        if (state == kStateHidden)
            ShowControl(control, false, false);
        else if (KeepsVisibility(item.controlId))
            EnableWindow(control, FALSE);
        else
            ShowControl(control, true, false);
    };
    for (const ItemRecord& item : CommonItems)
        lock(item);
    for (int32_t i = 0; records && i < count; ++i)
        lock(records[i]);
    const ItemTableHeader* header = GetDialogTableHeader(window, static_cast<int32_t>(call->dialogCode));
    for (const int32_t* id = header ? header->lockedControls : nullptr; id && *id != kNoControl; ++id) {
        HWND control = GetDlgItem(window, *id);
        if (control && IsWindowEnabled(control))
            ShowControl(control, true, false);
    }
    return 1;
}
