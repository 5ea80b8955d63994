#include "ui/controls/display_states.h"

#include "ui/controls/control_kinds.h"
#include "ui/engine/dialog_context.h"

#include <cstring>

namespace {

// The edit rule by state: shown, enabled.
struct Visibility {
    bool shown;
    bool enabled;
};

}  // namespace

void ApplyComboControlState(HWND control, uint16_t state)
{
    if (state == kStateReadOnly)
        ShowControl(control, true, false);
    else
        ApplyControlState(control, state);
}

void ApplyEditControlState(HWND control, uint16_t state)
{
    if (!control)
        return;
    // State 15 leaves the text selectable and copyable, unlike a plain disable.
    Visibility rule{true, true};
    if (state == kStateDisabled)
        rule = {true, false};
    else if (state == kStateHidden)
        rule = {false, false};
    ShowControl(control, rule.shown, rule.enabled);
    SendMessageW(control, EM_SETREADONLY, state == kStateReadOnly ? TRUE : FALSE, 0);
}

int UpdateItemControlState(HWND window, const ItemRecord* item, uint16_t* state)
{
    uint16_t current = 0;
    if (!window || !item || !GetItemSettingUiState(window, item, &current, nullptr))
        return 0;
    HWND control = GetDlgItem(window, item->controlId);
    if (item->kind == kKindEdit)
        ApplyEditControlState(control, current);
    else if (item->kind == kKindComboBox)
        ApplyComboControlState(control, current);
    else
        ApplyControlState(control, current);
    if (state)
        *state = current;
    return 1;
}

int PendingListLength(const uint16_t* list)
{
    int n = 0;
    while (list && list[n] != 0)
        ++n;
    return n;
}

int AddToPendingList(uint16_t** list, const uint16_t* ids)
{
    if (!list)
        return 0;
    const int old = PendingListLength(*list);
    const int added = PendingListLength(ids);
    auto* block = static_cast<uint16_t*>(GlobalAlloc(GPTR, sizeof(uint16_t) * (old + added + 1)));
    if (!block)
        return 0;
    if (old)
        std::memcpy(block, *list, sizeof(uint16_t) * old);
    if (added)
        std::memcpy(block + old, ids, sizeof(uint16_t) * added);
    FreeGlobalIfSet(*list);
    *list = block;
    return 1;
}

int RecordPendingRefresh(CallContext* call, const ItemRecord* item, uint16_t* ids)
{
    if (!call)
        return 0;
    if (!ids) {
        const uint16_t own[2] = {GetSelectedSettingId(GetCallWindow(call), item), 0};
        if (own[0] && !AddToPendingList(&ids, own))
            return 0;
    }
    return SetPendingAction(call, kPendingValuesChanged, ids, item);
}

