// Kinds 8, 9 and 12: the scroll bar, the up-down control with its buddy field
// and the trackbar. Each shows a number of its setting's range as a position.
#include <windows.h>
#include <commctrl.h>

#include "common/conflicts/dialog_services.h"
#include "common/settings/value_types.h"
#include "ui/controls/display_states.h"
#include "ui/controls/kind_handlers.h"
#include "ui/engine/item_changes.h"

#include <algorithm>

namespace {

constexpr uint16_t kNoSetting = 65535;

int32_t StoredValue(const ValueEntry* entry)
{
    if (entry->type == kTypeS16)
        return static_cast<int16_t>(entry->value);
    return static_cast<int32_t>(entry->value);
}

int32_t ToPosition(const ValueEntry* entry, int32_t value, bool scaled)
{
    if (!scaled)
        return value;
    uint64_t holder = static_cast<uint32_t>(value);
    uint32_t out = static_cast<uint32_t>(value);
    ConvertSliderValue(kStoredToSlider, entry->setting, kTypeS32, &holder, &out);
    return static_cast<int32_t>(out);
}

int32_t ToStored(const ValueEntry* entry, int32_t position, bool scaled)
{
    if (!scaled)
        return position;
    uint64_t holder = static_cast<uint32_t>(position);
    uint32_t out = static_cast<uint32_t>(position);
    ConvertSliderValue(kSliderToStored, entry->setting, kTypeS32, &holder, &out);
    return static_cast<int32_t>(out);
}

bool HiddenOrDisabled(HWND window, const ItemRecord* item)
{
    uint16_t state = 0;
    return GetItemSettingUiState(window, item, &state, nullptr) && (state == kStateDisabled || state == kStateHidden);
}

int ApplyNumber(CallContext* call, const ItemRecord* item, const ValueEntry* entry, int32_t value)
{
    uint64_t holder = static_cast<uint32_t>(value);
    if (entry->type == kTypeS16 || entry->type == kTypeU16)
        holder &= 0xFFFF;
    uint16_t* changed = nullptr;
    const int result = ApplyItemValueChange(call, item, entry, entry->type, &holder, &changed);
    if (result == kChangeApplied)
        RecordPendingRefresh(call, item, changed);
    else
        FreeGlobalIfSet(changed);
    return result;
}

// --- Scroll bar -------------------------------------------------------------------------

void ShowScrollPosition(CallContext* call, const ItemRecord* item)
{
    HWND window = GetCallWindow(call);
    const ValueEntry* entry = GetSelectedValueEntry(window, item);
    int32_t minimum = 0, maximum = 0;
    if (!entry || HiddenOrDisabled(window, item) || !GetItemValueRange(call, item, &minimum, &maximum))
        return;
    const int32_t value = StoredValue(entry);
    SetScrollPos(GetDlgItem(window, item->controlId), SB_CTL, minimum < 0 ? value - minimum : value, TRUE);
}

}  // namespace

bool ScrollToValue(int code, int32_t position, int32_t stored, int32_t minimum, int32_t maximum,
                   const ScrollParams* params, int32_t* value)
{
    const bool down = params && params->direction != 0;
    const int32_t page = params ? static_cast<int32_t>(params->pageStep) : 1;
    int64_t v = stored;
    switch (code) {
    case SB_TOP:
        v = down ? minimum : maximum;
        break;
    case SB_BOTTOM:
        v = down ? maximum : minimum;
        break;
    case SB_LINEUP:
        v = down ? v - 1 : v + 1;
        break;
    case SB_LINEDOWN:
        v = down ? v + 1 : v - 1;
        break;
    case SB_PAGEUP:
        v = down ? v - page : v + page;
        break;
    case SB_PAGEDOWN:
        v = down ? v + page : v - page;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        v = minimum < 0 ? static_cast<int64_t>(position) + minimum : position;
        break;
    default:
        return false;
    }
    *value = static_cast<int32_t>(std::clamp<int64_t>(v, minimum, maximum));
    return true;
}

uint32_t OnScrollBarItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                         const void* parameters)
{
    HWND window = GetCallWindow(call);
    if (!window || !item)
        return 0;
    const UINT code = SheetNotification(message, lParam);
    if (code == PSN_SETACTIVE) {
        int32_t minimum = 0, maximum = 0;
        if (GetItemValueRange(call, item, &minimum, &maximum)) {
            if (minimum < 0) {
                maximum -= minimum;
                minimum = 0;
            }
            SetScrollRange(GetDlgItem(window, item->controlId), SB_CTL, minimum, maximum, FALSE);
        }
        ShowScrollPosition(call, item);
        UpdateItemControlState(window, item, nullptr);
        return 0;
    }
    if (message == kEngineRefresh) {
        ShowScrollPosition(call, item);
        UpdateItemControlState(window, item, nullptr);
        return 0;
    }
    if (message != WM_HSCROLL && message != WM_VSCROLL)
        return 0;
    const ItemSlot* slot = GetItemSlotEntry(item, GetSelectedSlotIndex(window, item));
    const ValueEntry* entry = GetSelectedValueEntry(window, item);
    int32_t minimum = 0, maximum = 0;
    if (!slot || slot->setting == kNoSetting || !entry || !GetItemValueRange(call, item, &minimum, &maximum))
        return 0;
    int32_t value = 0;
    if (!ScrollToValue(LOWORD(wParam), static_cast<int16_t>(HIWORD(wParam)), StoredValue(entry), minimum, maximum,
                       static_cast<const ScrollParams*>(parameters), &value))
        return 0;
    ApplyNumber(call, item, entry, value);
    return 0;
}

// --- Trackbar ---------------------------------------------------------------------------

namespace {

void ShowTrackbarPosition(CallContext* call, const ItemRecord* item, const TrackbarParams* params)
{
    HWND window = GetCallWindow(call);
    const ValueEntry* entry = GetSelectedValueEntry(window, item);
    if (!entry || HiddenOrDisabled(window, item))
        return;
    SendMessageW(GetDlgItem(window, item->controlId), TBM_SETPOS, TRUE,
                 ToPosition(entry, StoredValue(entry), params && params->sliderScale));
}

}  // namespace

uint32_t OnTrackbarItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                        const void* parameters)
{
    HWND window = GetCallWindow(call);
    const auto* params = static_cast<const TrackbarParams*>(parameters);
    if (!window || !item)
        return 0;
    HWND control = GetDlgItem(window, item->controlId);
    const bool scaled = params && params->sliderScale;
    const UINT code = SheetNotification(message, lParam);
    if (code == PSN_SETACTIVE) {
        const ValueEntry* entry = GetSelectedValueEntry(window, item);
        int32_t minimum = 0, maximum = 0;
        if (entry && GetItemValueRange(call, item, &minimum, &maximum)) {
            SendMessageW(control, TBM_SETRANGE, TRUE,
                         MAKELPARAM(ToPosition(entry, minimum, scaled), ToPosition(entry, maximum, scaled)));
            if (params)
                SendMessageW(control, TBM_SETPAGESIZE, 0, params->pageSize);
            if (params && params->tickFrequency)
                SendMessageW(control, TBM_SETTICFREQ, params->tickFrequency, 0);
        }
        ShowTrackbarPosition(call, item, params);
        UpdateItemControlState(window, item, nullptr);
        return 0;
    }
    if (message == kEngineRefresh) {
        ShowTrackbarPosition(call, item, params);
        UpdateItemControlState(window, item, nullptr);
        return 0;
    }
    if (message != WM_HSCROLL && message != WM_VSCROLL)
        return 0;
    switch (LOWORD(wParam)) {
    case TB_LINEUP:
    case TB_LINEDOWN:
    case TB_THUMBPOSITION:
    case TB_THUMBTRACK:
    case TB_ENDTRACK:
        break;
    default:
        return 1;  // page clicks, Home and End move nothing
    }
    const ValueEntry* entry = GetSelectedValueEntry(window, item);
    if (!entry)
        return 0;
    const int32_t position = static_cast<int32_t>(SendMessageW(control, TBM_GETPOS, 0, 0));
    if (ApplyNumber(call, item, entry, ToStored(entry, position, scaled)) == kChangeNotApplied)
        ShowTrackbarPosition(call, item, params);
    return 0;
}

// --- Up-down control -------------------------------------------------------------------

namespace {

void ShowUpDownPosition(CallContext* call, const ItemRecord* item, bool scaled)
{
    HWND window = GetCallWindow(call);
    const ValueEntry* entry = GetSelectedValueEntry(window, item);
    if (!entry)
        return;
    SendMessageW(GetDlgItem(window, item->controlId), UDM_SETPOS32, 0, ToPosition(entry, StoredValue(entry), scaled));
    UpdateItemControlState(window, item, nullptr);
}

uint32_t StepUpDownValue(CallContext* call, WPARAM wParam, const ItemRecord* item, bool scaled)
{
    HWND window = GetCallWindow(call);
    const ItemRecord* buddyItem = FindCompanionItem(call, window, item, 4);
    const ValueEntry* entry = GetSelectedValueEntry(window, item);
    if (!buddyItem || !entry)
        return 0;
    const auto* buddy = static_cast<const EditFieldParams*>(buddyItem->parameters);
    HWND edit = GetDlgItem(window, buddyItem->controlId);
    if (!edit || (GetWindowLongW(edit, GWL_STYLE) & ES_READONLY))
        return 0;
    int32_t minimum = 0, maximum = 0;
    if (!GetItemValueRange(call, item, &minimum, &maximum))
        return 0;
    SetEditBusy(window, buddyItem, true);
    SetFocus(edit);
    int64_t typedShown = 0;
    const bool readable =
        buddy && ReadEditItemValue(call, buddyItem, &typedShown, nullptr, buddy, 1) == kEditRead;
    SetEditBusy(window, buddyItem, false);
    // Everything below works in the stored units.
    const int32_t stored = StoredValue(entry);
    int32_t typed = stored;
    if (readable) {
        typed = static_cast<int32_t>(typedShown);
        if (buddy && (buddy->flags & kEditLength) && IsInchDisplay(call))
            typed = ShownToStoredLength(entry->setting, typed, true);
        else if (buddy && buddy->format && buddy->format->sliderScale)
            typed = ToStored(entry, typed, true);
    }
    const int32_t s = ToPosition(entry, stored, scaled);
    int32_t p = static_cast<int32_t>(SendMessageW(GetDlgItem(window, item->controlId), UDM_GETPOS32, 0, 0));
    if (LOWORD(wParam) == SB_THUMBPOSITION)
        p = static_cast<int16_t>(HIWORD(wParam));
    int32_t value = 0;
    if (!UpDownStepValue(stored, typed, readable, s, p, minimum, maximum, &value))
        return 2;
    if (scaled)
        value = std::clamp(ToStored(entry, ToPosition(entry, value, true), true), minimum, maximum);
    if (buddy && buddy->validate) {
        uint64_t holder = static_cast<uint32_t>(value);
        if (buddy->validate(call, WM_VSCROLL, buddyItem, buddy, 1, &holder) != 1)
            return 0;
    }
    const ValueEntry* buddyEntry = GetSelectedValueEntry(window, buddyItem);
    if (ApplyNumber(call, buddyItem, buddyEntry ? buddyEntry : entry, value) != kChangeApplied && buddy)
        ShowEditItemValue(call, buddyItem, buddy);
    return 0;
}

}  // namespace

bool UpDownStepValue(int32_t stored, int32_t typed, bool readable, int32_t s, int32_t p, int32_t minimum,
                     int32_t maximum, int32_t* value)
{
    if (p == s) {
        if (!readable || typed == stored)
            return false;
        if (stored <= minimum)
            p = s - 1;
        else if (stored >= maximum)
            p = s + 1;
    }
    // A typed number outside the range is no base: the step goes from the stored value.
    const int32_t base = readable && typed >= minimum && typed <= maximum ? typed : stored;
    *value = std::clamp(base + (p - s), minimum, maximum);
    return true;
}

uint32_t OnUpDownItem(CallContext* call, UINT message, WPARAM wParam, LPARAM lParam, const ItemRecord* item,
                      const void* parameters)
{
    HWND window = GetCallWindow(call);
    const auto* params = static_cast<const UpDownParams*>(parameters);
    if (!window || !item)
        return 0;
    const bool scaled = params && params->sliderScale;
    const UINT code = SheetNotification(message, lParam);
    if (code == PSN_SETACTIVE) {
        const ValueEntry* entry = GetSelectedValueEntry(window, item);
        int32_t minimum = 0, maximum = 0;
        if (entry && GetItemValueRange(call, item, &minimum, &maximum))
            SendMessageW(GetDlgItem(window, item->controlId), UDM_SETRANGE32, ToPosition(entry, minimum, scaled),
                         ToPosition(entry, maximum, scaled));
        ShowUpDownPosition(call, item, scaled);
        return 0;
    }
    if (message == kEngineRefresh) {
        ShowUpDownPosition(call, item, scaled);
        return 0;
    }
    if (message == WM_VSCROLL && LOWORD(wParam) != SB_ENDSCROLL)
        return StepUpDownValue(call, wParam, item, scaled);
    return 0;
}
