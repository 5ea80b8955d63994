// The run-time states of a dialog's items: created at initialisation (and again
// at the first activation after an Apply), read again from the settings after
// every change, and the constraint state of each setting and option shown.
#include "common/constraints/constraint_engine.h"
#include "common/constraints/constraint_result.h"
#include "common/context/option_list.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "ui/engine/item_changes.h"

namespace {

constexpr uint16_t kListNone = 0;
constexpr uint16_t kListRange = 4;
constexpr uint16_t kListRangeShared = 6;

bool IsShownState(uint16_t state) { return state == 0 || state == 14 || state == 15; }

const ItemSlot* SlotAt(const ItemRecord& item, int32_t index)
{
    return item.slots && index >= 0 && index < item.slotCount ? &item.slots[index] : nullptr;
}


// Reads one slot's value from the current settings into its entry.
void ReadSlotValue(const CallContext* call, ControlSlot* slot, uint16_t setting)
{
    if (setting >= kFirstPseudoSetting)
        return;
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdValue(setting, call->settings, call->printerSettings, &type, &size, &holder) != kSettingOk)
        return;
    slot->value.setting = setting;
    slot->value.type = type;
    slot->value.size = size;
    slot->value.value = holder;
}

}  // namespace

void FreeDialogStates(HWND window, const ItemRecord* records, int32_t count)
{
    const DialogContext* context = GetDialogContext(window);
    if (!context || !context->states || !records)
        return;
    for (int32_t i = 0; i < count; ++i) {
        const ItemRecord& item = records[i];
        // An item without a state has released its lists already (or never took them).
        if (!FindControlState(window, &item))
            continue;
        for (int32_t s = 0; s < item.slotCount; ++s)
            if (const ItemSlot* slot = SlotAt(item, s)) {
                ReleaseOptionList(window, slot->setting);
                RemoveSettingUiState(context->states->settings, slot->setting);
            }
        RemoveControlState(window, item.controlId, context->states->controls);
    }
}

int InitDialogStates(CallContext* call, const ItemRecord* records, int32_t count)
{
    if (!call || !records || count <= 0)
        return 0;
    HWND window = call->window;
    const DialogContext* context = GetDialogContext(window);
    if (!context || !context->states)
        return 0;
    // States a window already holds stay (2 from the creators); only new ones are made.
    for (int32_t i = 0; i < count; ++i) {
        const ItemRecord& item = records[i];
        if (FindControlState(window, &item))
            continue;
        if (CreateControlState(window, &item, context->states->controls) < 0) {
            FreeDialogStates(window, records, count);
            return 0;
        }
        for (int32_t s = 0; s < item.slotCount; ++s) {
            const ItemSlot* slot = SlotAt(item, s);
            if (!slot)
                continue;
            OptionList* list = nullptr;
            const int built =
                AcquireOptionList(window, GetResourceModule(), call->settingsContext, slot->setting, nullptr, &list);
            if (built == kOptionListNone)
                continue;
            if (built != kOptionListBuilt || CreateSettingUiState(window, slot->setting, list->count) < 0) {
                if (built == kOptionListBuilt)
                    ReleaseOptionList(window, slot->setting);
                // Undo the slots of this item taken so far, then everything.
                for (int32_t t = 0; t < s; ++t)
                    if (const ItemSlot* taken = SlotAt(item, t); taken && GetCachedOptionList(call, taken->setting))
                        ReleaseOptionList(window, taken->setting);
                RemoveControlState(window, item.controlId, context->states->controls);
                FreeDialogStates(window, records, count);
                return 0;
            }
        }
    }
    return 1;
}

int ReloadItemValues(CallContext* call, const ItemRecord* records, int32_t count)
{
    if (!call || !records || !call->settings || !call->printerSettings)
        return 0;
    for (int32_t i = 0; i < count; ++i) {
        const ItemRecord& item = records[i];
        ControlState* state = FindControlState(call->window, &item);
        if (!state || !state->slots)
            continue;
        for (int32_t s = 0; s < item.slotCount; ++s)
            if (const ItemSlot* slot = SlotAt(item, s))
                ReadSlotValue(call, &state->slots[s], slot->setting);
    }
    return 1;
}

int RefreshSingleItem(HWND window, const ItemRecord* item)
{
    CallContext call{};
    if (!item || !InitCallContext(&call, window, nullptr, 0, 0, 0))
        return 0;
    return ReloadItemValues(&call, item, 1);
}

int UpdateSlotSelections(CallContext* call, const ItemRecord* records, int32_t count)
{
    if (!call || !records)
        return 0;
    HWND window = call->window;
    for (int32_t i = 0; i < count; ++i) {
        const ItemRecord& item = records[i];
        ControlState* state = FindControlState(window, &item);
        if (!state || !state->slots)
            continue;
        if (state->selectedSlot != kNoSelectedSlot) {
            const ItemSlot* slot = SlotAt(item, state->selectedSlot);
            uint16_t shown = 0;
            if (!slot || !GetSettingUiState(window, slot->setting, &shown, nullptr) || !IsShownState(shown) ||
                !GetSlotOptionList(window, &item, state->selectedSlot))
                state->selectedSlot = kNoSelectedSlot;
        }
        for (int32_t s = 0; s < item.slotCount; ++s) {
            const OptionList* list = GetSlotOptionList(window, &item, s);
            if (!list)
                continue;
            const ItemSlot* slot = SlotAt(item, s);
            uint16_t shown = 0;
            if (state->selectedSlot == kNoSelectedSlot && GetSettingUiState(window, slot->setting, &shown, nullptr) &&
                IsShownState(shown))
                state->selectedSlot = s;
            // Every control that shows a choice of rows needs the current one:
            // option buttons and check boxes read it as well as the lists (a
            // text list's rows are its values).
            if (list->listKind != kListRange)
                state->slots[s].currentOption =
                    FindOptionValueIndex(list, &state->slots[s].value.value, state->slots[s].value.type);
        }
        if (item.slotCount == 1 && state->selectedSlot == kNoSelectedSlot)
            state->selectedSlot = 0;
    }
    return 1;
}

int EvaluateOptionStates(CallContext* call, const ItemRecord* records, int32_t count, uint16_t mode,
                         const uint16_t* /*changed*/)
{
    if (!call || !records || !call->settingsContext || !call->settings || !call->printerSettings)
        return 0;
    HWND window = call->window;
    const UiContext* ui = GetWindowUiContext(window);
    HANDLE printer = ui ? ui->printer : nullptr;
    int done = 1;
    for (int32_t i = 0; i < count; ++i) {
        const ItemRecord& item = records[i];
        const ControlState* state = FindControlState(window, &item);
        if (!state || !state->slots)
            continue;
        for (int32_t s = 0; s < item.slotCount; ++s) {
            const ItemSlot* slot = SlotAt(item, s);
            const OptionList* list = GetSlotOptionList(window, &item, s);
            SettingUiState* ui_state = slot ? FindSettingUiState(window, slot->setting) : nullptr;
            if (!slot || !(slot->evaluation & mode) || !list || !ui_state || !ui_state->own ||
                state->slots[s].value.setting != slot->setting)
                continue;
            // Every slot is checked against the whole record: a narrower scope
            // could leave an option marked by a rule that no longer fires.
            if (CheckSettingConstraints(kModeInteractive, printer, call->settingsContext, call->settings,
                                        call->printerSettings, nullptr, slot->setting, 0, nullptr, ui_state->own,
                                        nullptr, 0) != 0) {
                done = 0;
                continue;
            }
            if (list->listKind == kListNone) {
                done = 0;
                continue;
            }
            if (list->listKind == kListRange || list->listKind == kListRangeShared || !list->rows)
                continue;
            int32_t first = 0;
            int32_t last = list->count - 1;
            if (mode == kEvaluateAfterChange) {
                first = last = state->slots[s].currentOption;
                if (first < 0 || first >= list->count)
                    continue;
            }
            for (int32_t o = first; o <= last; ++o) {
                ConstraintResult* option = GetSettingUiOption(ui_state, o);
                if (option && CheckSettingConstraints(kModeInteractive, printer, call->settingsContext,
                                                      call->settings, call->printerSettings, nullptr, slot->setting,
                                                      list->valueType, &list->rows[o].value, option, nullptr,
                                                      0) != 0)
                    done = 0;
            }
        }
    }
    return done;
}

int SyncSlotSelection(HWND window, const ItemRecord* item, int32_t dialogCode, int32_t controlId)
{
    const ItemRecord* other = FindItemRecord(window, dialogCode, controlId);
    if (!item || !other)
        return 0;
    const uint16_t setting = GetSelectedSettingId(window, other);
    int32_t index = 0;
    if (!setting || !FindItemSettingIndex(item, setting, &index))
        return 0;
    return SetSelectedSlotIndex(window, item, index);
}
