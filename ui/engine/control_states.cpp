// Value entries, control states, the sheet's option-list cache, the setting
// states and the value range of an item.
#include "common/config/site_config.h"
#include "common/conflicts/dialog_services.h"
#include "common/constraints/constraint_result.h"
#include "common/context/setting_rules.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/defaults/setting_defaults.h"
#include "common/options/option_lists.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "ui/engine/dialog_context.h"
#include "ui/support/keyed_list.h"

namespace {

constexpr uint16_t kFidTrayCountLimit = 1795;  // capped at 128 while 1794 is 2
constexpr uint16_t kFidTrayCountMode = 1794;
constexpr int32_t kTrayCountCap = 128;

// List kinds.
constexpr uint16_t kListEnumeration = 2;
constexpr uint16_t kListRange = 4;
constexpr uint16_t kListRangeShared = 6;

// Items of kind 1 whose settings have a fixed range instead of an option list.
constexpr uint64_t kKindWithFixedRanges = 1;
struct FixedRange {
    uint16_t setting;
    int32_t minimum;
    int32_t maximum;
};
constexpr FixedRange kFixedRanges[] = {
    {kFidFontHeight, 7, 600},
    {kFidStampFontHeight, 5, 24},
    {385, 50, 240},
};

KeyedList* ControlList(HWND window)
{
    const DialogContext* context = GetDialogContext(window);
    return context && context->states ? context->states->controls : nullptr;
}

KeyedList* SettingList(HWND window)
{
    const DialogContext* context = GetDialogContext(window);
    return context && context->states ? context->states->settings : nullptr;
}

KeyedList* CacheOf(const UiContext* ui)
{
    const DialogTableSet* tables = GetUiDialogTables(ui);
    return tables ? tables->optionCache : nullptr;
}

OptionListCacheEntry* FindCacheEntry(const UiContext* ui, uint16_t setting)
{
    return static_cast<OptionListCacheEntry*>(FindKeyedListData(CacheOf(ui), setting, kAnyKey2));
}

ControlSlot* SlotOf(HWND window, const ItemRecord* item, int32_t index)
{
    ControlState* state = FindControlState(window, item);
    if (!state || !state->slots || index < 0 || index >= item->slotCount)
        return nullptr;
    return &state->slots[index];
}

}  // namespace

// --- Values ----------------------------------------------------------------------

int UnpackValueEntry(const ValueEntry* entry, uint16_t* setting, uint16_t* type, uint32_t* size, const void** data)
{
    if (!entry)
        return 0;
    if (setting)
        *setting = entry->setting;
    if (type)
        *type = entry->type;
    if (size)
        *size = entry->size;
    if (data)
        *data = &entry->value;
    return 1;
}

int GetValueEntryType(const ValueEntry* entry, uint16_t* type)
{
    return entry && type ? UnpackValueEntry(entry, nullptr, type, nullptr, nullptr) : 0;
}

int GetValueEntryData(const ValueEntry* entry, const void** data)
{
    return entry && data ? UnpackValueEntry(entry, nullptr, nullptr, nullptr, data) : 0;
}

int GetValueEntrySettingId(const ValueEntry* entry, uint16_t* setting)
{
    return entry && setting ? UnpackValueEntry(entry, setting, nullptr, nullptr, nullptr) : 0;
}

// --- Control states --------------------------------------------------------------

int CreateControlState(HWND window, const ItemRecord* item, KeyedList* list)
{
    if (!window || !item || !list)
        return -1;
    const uint64_t window_key = reinterpret_cast<uintptr_t>(window);
    if (FindKeyedListNode(list, static_cast<uint32_t>(item->controlId), window_key, nullptr))
        return 2;
    auto state = AllocGlobalBlock<ControlState>(sizeof(ControlState));
    if (!state)
        return -1;
    state->controlId = static_cast<uint32_t>(item->controlId);
    state->selectedSlot = kNoSelectedSlot;
    if (item->slotCount > 0) {
        auto slots = AllocGlobalBlock<ControlSlot>(sizeof(ControlSlot) * item->slotCount);
        if (!slots)
            return -1;
        for (int32_t i = 0; i < item->slotCount; ++i)
            slots.get()[i].value.setting = item->slots ? item->slots[i].setting : 0;
        state->slots = slots.release();
    }
    if (!InsertKeyedListNode(list, static_cast<uint32_t>(item->controlId), window_key, state.get())) {
        FreeGlobalIfSet(state->slots);
        return -1;
    }
    state.release();
    return 0;
}

ControlState* FindControlState(HWND window, const ItemRecord* item)
{
    if (!item)
        return nullptr;
    return static_cast<ControlState*>(FindKeyedListData(ControlList(window), static_cast<uint32_t>(item->controlId),
                                                        reinterpret_cast<uintptr_t>(window)));
}

void RemoveControlState(HWND window, int32_t controlId, KeyedList* list)
{
    const uint64_t window_key = reinterpret_cast<uintptr_t>(window);
    auto* state = static_cast<ControlState*>(FindKeyedListData(list, static_cast<uint32_t>(controlId), window_key));
    if (!state)
        return;
    RemoveKeyedListNode(list, static_cast<uint32_t>(controlId), window_key);
    FreeGlobalIfSet(state->slots);
    GlobalFree(state);
}

int32_t GetSelectedSlotIndex(HWND window, const ItemRecord* item)
{
    if (!item)
        return -1;
    if (item->slotCount == 1)
        return 0;
    const ControlState* state = FindControlState(window, item);
    return state ? state->selectedSlot : -1;
}

int SetSelectedSlotIndex(HWND window, const ItemRecord* item, int32_t index)
{
    ControlState* state = FindControlState(window, item);
    if (!state || index < 0 || index >= item->slotCount)
        return 0;
    state->selectedSlot = index;
    return 1;
}

int32_t GetSlotCurrentValue(HWND window, const ItemRecord* item, int32_t index)
{
    const ControlSlot* slot = SlotOf(window, item, index);
    return slot ? slot->currentOption : -1;
}

int32_t GetSelectedSlotValue(HWND window, const ItemRecord* item)
{
    return GetSlotCurrentValue(window, item, GetSelectedSlotIndex(window, item));
}

uint16_t GetSelectedSettingId(HWND window, const ItemRecord* item)
{
    const ItemSlot* slot = GetItemSlotEntry(item, GetSelectedSlotIndex(window, item));
    return slot ? slot->setting : 0;
}

ValueEntry* GetSlotValueEntry(HWND window, const ItemRecord* item, int32_t index)
{
    ControlSlot* slot = SlotOf(window, item, index);
    return slot ? &slot->value : nullptr;
}

ValueEntry* GetSelectedValueEntry(HWND window, const ItemRecord* item)
{
    const int32_t index = GetSelectedSlotIndex(window, item);
    return index < 0 ? nullptr : GetSlotValueEntry(window, item, index);
}

int32_t FindOptionValueIndex(const OptionList* list, const void* value, uint16_t type)
{
    if (!list || !list->rows || !value)
        return -1;
    for (int32_t i = 0; i < list->count; ++i)
        if (CompareSettingValues(type, &list->rows[i].value, value) == 0)
            return i;
    return -1;
}

int GetItemValueRange(const CallContext* call, const ItemRecord* item, int32_t* minimum, int32_t* maximum)
{
    if (!call || !item || !minimum || !maximum)
        return 0;
    const uint16_t setting = GetSelectedSettingId(call->window, item);
    if (!setting)
        return 0;
    if (item->kind == kKindWithFixedRanges && setting != kFidTrayCountLimit) {
        for (const FixedRange& range : kFixedRanges)
            if (range.setting == setting) {
                *minimum = range.minimum;
                *maximum = range.maximum;
                return 1;
            }
        // No range: say so rather than leave the outputs unwritten behind a success.
        return 0;
    }
    const OptionList* list = GetCachedOptionList(call, setting);
    if (!list)
        return 0;
    int32_t low = 0;
    int32_t high = 0;
    if (list->listKind == kListEnumeration) {
        low = 1;
        high = list->count;
    } else if (list->listKind == kListRange || list->listKind == kListRangeShared) {
        if (list->count < 2 || !list->rows)
            return 0;
        const uint16_t type = list->listKind == kListRange ? list->valueType : kTypeS16;
        low = ValueToInt(&list->rows[0].value, type);
        high = ValueToInt(&list->rows[1].value, type);
    } else {
        return 0;
    }
    if (setting == kFidCopies) {
        const SettingsContext* context = call->settingsContext;
        uint32_t adjusted = static_cast<uint32_t>(high);
        if (!context ||
            !AdjustMaxCopies(call->settings, call->printerSettings, context->main, context->linked, &adjusted))
            return 0;
        high = static_cast<int32_t>(adjusted);
    } else if (setting == kFidTrayCountLimit) {
        uint32_t mode = 0;
        if (ReadSettingNumber(kFidTrayCountMode, call->settings, call->printerSettings, &mode) == 1 && mode == 2)
            high = kTrayCountCap;
    }
    *minimum = low;
    *maximum = high;
    return 1;
}

// --- Option lists ----------------------------------------------------------------

int AcquireOptionList(HWND window, HMODULE resources, SettingsContext* context, uint16_t setting,
                      const OptionStrings* strings, OptionList** list)
{
    if (list)
        *list = nullptr;
    const DialogContext* dialog = GetDialogContext(window);
    UiContext* ui = dialog ? dialog->ui : nullptr;
    KeyedList* cache = CacheOf(ui);
    if (!cache || !list)
        return kOptionListFailed;
    if (OptionListCacheEntry* entry = FindCacheEntry(ui, setting)) {
        ++entry->references;
        *list = entry->list;
        return kOptionListBuilt;
    }
    if (!IsSettingsSetValid(dialog->current))
        return kOptionListFailed;
    PaperUnits units{};
    GetUnitDisplayFlags(context, ui->localeUnit, &units);
    OptionList* built = BuildOptionList(resources, context, setting, dialog->current->settings,
                                        dialog->current->printerSettings, &units, strings);
    if (!built)
        return kOptionListNone;
    auto entry = AllocGlobalBlock<OptionListCacheEntry>(sizeof(OptionListCacheEntry));
    if (!entry || !InsertKeyedListNode(cache, setting, kAnyKey2, entry.get())) {
        FreeOptionList(built);
        return kOptionListFailed;
    }
    entry->setting = setting;
    entry->list = built;
    entry->references = 1;
    entry.release();
    *list = built;
    return kOptionListBuilt;
}

void ReleaseOptionList(HWND window, uint16_t setting)
{
    const UiContext* ui = GetWindowUiContext(window);
    OptionListCacheEntry* entry = FindCacheEntry(ui, setting);
    if (!entry || --entry->references > 0)
        return;
    RemoveKeyedListNode(CacheOf(ui), setting, kAnyKey2);
    FreeOptionList(entry->list);
    GlobalFree(entry);
}

OptionList* GetCachedOptionList(const CallContext* call, uint16_t setting)
{
    const OptionListCacheEntry* entry = call ? FindCacheEntry(GetWindowUiContext(call->window), setting) : nullptr;
    return entry ? entry->list : nullptr;
}

OptionList* GetSlotOptionList(HWND window, const ItemRecord* item, int32_t index)
{
    const ItemSlot* slot = GetItemSlotEntry(item, index);
    const OptionListCacheEntry* entry = slot ? FindCacheEntry(GetWindowUiContext(window), slot->setting) : nullptr;
    return entry ? entry->list : nullptr;
}

OptionList* GetSelectedOptionList(HWND window, const ItemRecord* item)
{
    return GetSlotOptionList(window, item, GetSelectedSlotIndex(window, item));
}

const OptionRow* GetOptionListHandle(const OptionList* list) { return list ? list->rows : nullptr; }

const OptionRow* GetItemOptionListData(const CallContext* call, uint16_t setting)
{
    if (!call)
        return nullptr;
    OptionList* list = GetCachedOptionList(call, setting);
    if (!list &&
        AcquireOptionList(call->window, GetResourceModule(), call->settingsContext, setting, nullptr, &list) !=
            kOptionListBuilt)
        return nullptr;
    return GetOptionListHandle(list);
}

const OptionRow* FindItemOptionEntry(const CallContext* call, uint16_t setting)
{
    if (!GetItemOptionListData(call, setting))
        return nullptr;
    const OptionList* list = GetCachedOptionList(call, setting);
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdValue(setting, call->settings, call->printerSettings, &type, &size, &holder) != 0)
        return nullptr;
    return GetOptionEntry(list, FindOptionValueIndex(list, &holder, type));
}

const wchar_t* GetItemOptionText(const CallContext* call, uint16_t setting)
{
    const OptionRow* row = FindItemOptionEntry(call, setting);
    return row ? row->text : nullptr;
}

// --- Setting states --------------------------------------------------------------

int CreateOptionRecords(SettingUiState* state, int32_t options)
{
    if (!state || options < 0)
        return 0;
    if (options == 0)
        return 1;
    auto records = AllocGlobalBlock<ConstraintResult*>(sizeof(ConstraintResult*) * options);
    if (!records)
        return 0;
    for (int32_t i = 0; i < options; ++i)
        if (!(records.get()[i] = AllocConstraintResult())) {
            for (int32_t j = 0; j < i; ++j)
                FreeConstraintResult(records.get()[j]);
            return 0;
        }
    state->options = records.release();
    state->optionCount = options;
    return 1;
}

void FreeOptionRecords(SettingUiState* state)
{
    if (!state || !state->options)
        return;
    for (int32_t i = 0; i < state->optionCount; ++i)
        FreeConstraintResult(state->options[i]);
    GlobalFree(state->options);
    state->options = nullptr;
}

void FreeSettingUiState(SettingUiState* state)
{
    if (!state)
        return;
    FreeOptionRecords(state);
    FreeConstraintResult(state->own);
    GlobalFree(state);
}

int CreateSettingUiState(HWND window, uint16_t setting, int32_t options)
{
    KeyedList* list = SettingList(window);
    if (!list)
        return -1;
    if (FindKeyedListNode(list, setting, kAnyKey2, nullptr))
        return 2;
    auto* state = static_cast<SettingUiState*>(GlobalAlloc(GPTR, sizeof(SettingUiState)));
    if (!state)
        return -1;
    state->setting = setting;
    state->own = AllocConstraintResult();
    if (!state->own || !CreateOptionRecords(state, options > 0 ? options : 0) ||
        !InsertKeyedListNode(list, setting, kAnyKey2, state)) {
        FreeSettingUiState(state);
        return -1;
    }
    state->optionCount = options;
    return 0;
}

SettingUiState* FindSettingUiState(HWND window, uint16_t setting)
{
    return static_cast<SettingUiState*>(FindKeyedListData(SettingList(window), setting, kAnyKey2));
}

void RemoveSettingUiState(KeyedList* list, uint16_t setting)
{
    auto* state = static_cast<SettingUiState*>(FindKeyedListData(list, setting, kAnyKey2));
    if (!state)
        return;
    RemoveKeyedListNode(list, setting, kAnyKey2);
    FreeSettingUiState(state);
}

ConstraintResult* GetSettingUiOption(const SettingUiState* state, int32_t index)
{
    if (!state || !state->options || index < 0 || index >= state->optionCount)
        return nullptr;
    return state->options[index];
}

ConstraintResult* GetSettingUiOptionRecord(HWND window, uint16_t setting, int32_t index)
{
    return GetSettingUiOption(FindSettingUiState(window, setting), index);
}

int GetSettingUiState(HWND window, uint16_t setting, uint16_t* state, uint16_t* value)
{
    const UiContext* ui = GetWindowUiContext(window);
    uint16_t flags = 0;
    if (ui && ui->settings && GetConfiguredFlags(setting, ui->settings->siteConfig, &flags) &&
        (flags & (kConfiguredHide | kConfiguredDimout | kConfiguredShow))) {
        if (state)
            *state = (flags & kConfiguredHide) ? kStateHidden : (flags & kConfiguredDimout) ? kStateDisabled
                                                                                         : kStateEnabled;
        return 1;
    }
    const SettingUiState* record = FindSettingUiState(window, setting);
    if (!record || !record->own)
        return 0;
    if (state)
        *state = record->own->code;
    if (value)
        *value = record->own->reserved;
    return 1;
}

int SetSettingUiState(HWND window, uint16_t setting, uint16_t state)
{
    SettingUiState* record = FindSettingUiState(window, setting);
    if (!record || !record->own)
        return 0;
    record->own->code = state;
    return 1;
}

int GetSettingUiOptionState(HWND window, uint16_t setting, int32_t index, uint16_t* state)
{
    const ConstraintResult* result = GetSettingUiOptionRecord(window, setting, index);
    if (!result || !state)
        return 0;
    *state = result->code;
    return 1;
}

int SetSettingUiOptionState(HWND window, uint16_t setting, int32_t index, uint16_t state)
{
    ConstraintResult* result = GetSettingUiOptionRecord(window, setting, index);
    if (!result)
        return 0;
    result->code = state;
    return 1;
}

int GetItemSettingUiState(HWND window, const ItemRecord* item, uint16_t* state, uint16_t* value)
{
    const uint16_t setting = GetSelectedSettingId(window, item);
    return setting ? GetSettingUiState(window, setting, state, value) : 0;
}

int GetItemSettingUiDetails(HWND window, const ItemRecord* item, uint16_t* first, uint16_t* second)
{
    const SettingUiState* record = FindSettingUiState(window, GetSelectedSettingId(window, item));
    if (!record || !record->own)
        return 0;
    if (first)
        *first = record->own->involvementBits;
    if (second)
        *second = record->own->conflictRules.count;
    return 1;
}
