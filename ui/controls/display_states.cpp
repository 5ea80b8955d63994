#include "ui/controls/display_states.h"

#include "ui/controls/control_kinds.h"
#include "ui/engine/dialog_context.h"

#include <cstring>

namespace {

struct Visibility {
    bool shown;
    bool enabled;
};

Visibility GeneralRule(uint16_t state)
{
    switch (state) {
    case kStateDisabled:
    case kStateFixed:
        return {true, false};
    case kStateHidden:
        return {false, false};
    default:
        return {true, true};
    }
}

void Show(HWND control, Visibility rule)
{
    if (!control)
        return;
    ShowWindow(control, rule.shown ? SW_SHOW : SW_HIDE);
    EnableWindow(control, rule.enabled);
}

// The lists whose rows carry an icon and a second line of text.
constexpr int32_t kTallLists[] = {1012, 1351, 1107, 1615, 1018, 1019, 1020, 1476, 1079, 1225};

}  // namespace

void ApplyControlState(HWND control, uint16_t state) { Show(control, GeneralRule(state)); }

void ApplyComboControlState(HWND control, uint16_t state)
{
    Show(control, state == kStateReadOnly ? Visibility{true, false} : GeneralRule(state));
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
    Show(control, rule);
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

UINT GetListRowHeight(HWND window, WPARAM controlId)
{
    UINT height = kRowHeight;
    for (int32_t id : kTallLists)
        if (static_cast<WPARAM>(id) == controlId)
            height = kTallRowHeight;
    if (IsProcessDPIAware()) {
        if (HDC dc = GetDC(window)) {
            height = MulDiv(static_cast<int>(height), GetDeviceCaps(dc, LOGPIXELSY), 96);
            ReleaseDC(window, dc);
        }
    }
    return height;
}
