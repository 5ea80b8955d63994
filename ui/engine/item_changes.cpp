// The one routine through which every control writes a setting, the refresh
// of a dialog after an accepted change, and the option cycle of a picture click.
#include "ui/engine/item_changes.h"

#include "common/config/site_config.h"
#include "common/constraints/constraint_engine.h"
#include "common/constraints/constraint_result.h"
#include "common/context/option_list.h"
#include "common/context/settings_context.h"
#include "common/defaults/setting_defaults.h"
#include "common/system/global_block.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/page_check.h"
#include "ui/engine/value_conflict.h"

#include <prsht.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr uint16_t kListNone = 0;
constexpr uint16_t kListRange = 4;
constexpr uint16_t kListRangeShared = 6;
constexpr uint64_t kKindComboBox = 1;
constexpr uint64_t kKindListBox = 2;
constexpr uint64_t kKindEdit = 4;
// Feature look-up of CheckSettingConstraints: a range's value is no option of
// the setting, an enumeration's is.
constexpr int kFeatureOfRange = 1;
constexpr int kFeatureOfOption = 2;

struct ResultCloser {
    void operator()(ConstraintResult* result) const { FreeConstraintResult(result); }
};
using ResultPtr = std::unique_ptr<ConstraintResult, ResultCloser>;

// Set while a change runs; cleared on every way out, so that a change refused
// early never locks the sheet's later changes out.
class ChangeGuard {
public:
    explicit ChangeGuard(UiContext* ui) : ui_(ui) { ui_->changeGuard = 1; }
    ~ChangeGuard() { ui_->changeGuard = 0; }
    ChangeGuard(const ChangeGuard&) = delete;
    ChangeGuard& operator=(const ChangeGuard&) = delete;

private:
    UiContext* ui_;
};

// The edit items of the call's dialog, as the range warning of the conflict
// check reads them.
struct PageView {
    std::vector<EditItemView> items;
    std::vector<std::vector<uint16_t>> slots;
    ConflictPage page{};
};

void BuildPageView(const CallContext* call, const UiContext* ui, PageView* view)
{
    const ItemRecord* records = nullptr;
    int32_t count = 0;
    view->page.localeUnit = GetLocaleMeasureUnit(ui);
    if (!GetDialogItemTable(call->window, static_cast<int32_t>(call->dialogCode), &records, &count) || !records)
        return;
    for (int32_t i = 0; i < count; ++i) {
        const ItemRecord& item = records[i];
        if (item.kind != kKindEdit || item.slotCount <= 0 || !item.slots)
            continue;
        std::vector<uint16_t> slots;
        for (int32_t s = 0; s < item.slotCount; ++s)
            slots.push_back(item.slots[s].setting);
        view->slots.push_back(std::move(slots));
        EditItemView edit{};
        edit.controlKind = kEditControlKind;
        edit.selectedSetting = GetSelectedSettingId(call->window, &item);
        edit.slotCount = static_cast<uint16_t>(item.slotCount);
        // The edit field's parameter block opens with its flag word. Its
        // second word is the field's length limit, not a range: the range
        // warning takes the model's range for every edit field.
        if (const auto* parameters = static_cast<const uint32_t*>(item.parameters)) {
            edit.firstParameter = static_cast<uint16_t>(parameters[0]);
            edit.parameterFlags = parameters[0];
        }
        view->items.push_back(edit);
    }
    for (size_t i = 0; i < view->items.size(); ++i)
        view->items[i].slots = view->slots[i].data();
    view->page.items = view->items.data();
    view->page.itemCount = static_cast<uint16_t>(view->items.size());
}

// The changed list of the check followed by what the derived settings added,
// as one zero-ended global block; the old block is freed.
bool AppendChanged(uint16_t** changed, uint16_t count, const uint16_t* more, uint16_t moreCount)
{
    if (!moreCount)
        return true;
    auto block = AllocGlobalBlock<uint16_t>(sizeof(uint16_t) * (count + moreCount + 1));
    if (!block)
        return false;
    uint16_t n = 0;
    for (uint16_t i = 0; i < count; ++i)
        block.get()[n++] = (*changed)[i];
    for (uint16_t i = 0; i < moreCount; ++i)
        if (!ListHasId(block.get(), n, more[i]))
            block.get()[n++] = more[i];
    block.get()[n] = 0;
    FreeGlobalIfSet(*changed);
    *changed = block.release();
    return true;
}

}  // namespace

int ApplyItemValueChange(CallContext* call, const ItemRecord* item, const ValueEntry* entry, uint16_t type,
                         const void* value, uint16_t** changed)
{
    if (changed)
        *changed = nullptr;
    if (!call || !item || !entry || !value || !changed)
        return kChangeFailed;
    UiContext* ui = GetWindowUiContext(call->window);
    if (!ui || !call->settingsContext || !call->settings || !call->printerSettings)
        return kChangeFailed;
    if (ui->changeGuard)
        return kChangeNotApplied;
    ChangeGuard guard(ui);

    uint16_t setting = 0;
    uint16_t currentType = 0;
    const void* current = nullptr;
    UnpackValueEntry(entry, &setting, &currentType, nullptr, &current);
    if (IsSettingEnforced(setting, call->settingsContext->siteConfig))
        return kChangeNotApplied;
    if (CompareSettingValues(type, current, value) == 0)
        return kChangeSameValue;

    // The constraint check runs on a copy of the setting's (or option's)
    // record, so that the display state it keeps stays as it is until the
    // refresh, whatever the user answers.
    SettingUiState* state = FindSettingUiState(call->window, setting);
    const OptionList* list = GetCachedOptionList(call, setting);
    ResultPtr result(AllocConstraintResult());
    if (!result)
        return kChangeFailed;
    int feature = kFeatureOfOption;
    // A list the model gives no kind keeps no record per option (item_states.cpp):
    // its options are checked from a fresh record like a setting without a list.
    if (list && state && list->listKind != kListNone) {
        const ConstraintResult* source = nullptr;
        if (list->listKind == kListRange || list->listKind == kListRangeShared) {
            source = state->own;
            feature = kFeatureOfRange;
        } else {
            source = GetSettingUiOption(state, FindOptionValueIndex(list, value, type));
        }
        if (!source || CopyConstraintResult(result.get(), source) != 0)
            return kChangeFailed;
    }
    // A setting shown without a list (a text, a free number) is checked from
    // a fresh record.
    if (CheckSettingConstraints(kModeInteractive, ui->printer, call->settingsContext, call->settings,
                                call->printerSettings, nullptr, setting, type, value, result.get(), nullptr,
                                feature) != 0)
        return kChangeFailed;

    PageView view;
    BuildPageView(call, ui, &view);
    const ConstraintContext context{call->settingsContext, call->settings, call->printerSettings};
    const SettingChange change{setting, type, 0, value};
    ChangedIdList list_out{};
    const uint16_t answer =
        CheckItemValueConflict(call->window, ui->printer, &context, &change, &list_out, result.get(), &view.page);
    if (answer == kActionApply) {
        *changed = list_out.ids;
        OwnedIdList<kChangedRoom> derived;
        if (!RecomputeDerivedSettings(ui->printer, context, &derived.items, &derived.count) ||
            !AppendChanged(changed, list_out.count, derived.items, derived.count)) {
            // The value stands in the record; the caller refreshes from the list it got.
            ApplyConfiguredSettings(call->settingsContext->siteConfig, call->settings, call->printerSettings,
                                    kApplyEnforcedOnly);
            return kChangeFailed;
        }
        ApplyConfiguredSettings(call->settingsContext->siteConfig, call->settings, call->printerSettings,
                                kApplyEnforcedOnly);
        // A later Reset must restore again: the sheet's Reset work is not done for this change.
        SetSettingsChangedFlag(ui, 0);
        return kChangeApplied;
    }
    FreeGlobalIfSet(list_out.ids);
    return answer == kActionError ? kChangeFailed : kChangeNotApplied;
}

int RefreshDialogFromSettings(CallContext* call, const uint16_t* changed)
{
    if (!call || !GetDialogContext(call->window))
        return 0;
    SetCallMessage(call, kEventRefresh);
    if (call->dialogType == kDialogTypePage)
        SendMessageW(GetParent(call->window), PSM_CHANGED, reinterpret_cast<WPARAM>(call->window), 0);
    const ItemRecord* records = nullptr;
    int32_t count = 0;
    if (!GetDialogItemTable(call->window, static_cast<int32_t>(call->dialogCode), &records, &count) || !records)
        return 1;
    ReloadItemValues(call, records, count);
    UpdateSlotSelections(call, records, count);
    EvaluateOptionStates(call, records, count, kEvaluateAfterChange, changed);
    UpdateSlotSelections(call, records, count);
    RunItemEventHandlers(call, kEventRefresh, 0, reinterpret_cast<LPARAM>(changed), records, count, 0);
    UpdateItemLabels(call, records, count, 1);
    return 1;
}

uint32_t CycleItemOption(CallContext* call, const ItemRecord* item)
{
    if (!call || !item || (item->kind != kKindComboBox && item->kind != kKindListBox))
        return 0;
    HWND window = call->window;
    // A combo box brings its option marks up to date first.
    if (item->kind == kKindComboBox)
        EvaluateOptionStates(call, item, 1, kEvaluateOnActivate, nullptr);
    const uint16_t setting = GetSelectedSettingId(window, item);
    uint16_t shown = 0;
    if (!setting || !GetSettingUiState(window, setting, &shown, nullptr) || shown != kStateEnabled)
        return 0;
    const OptionList* list = GetSelectedOptionList(window, item);
    const ValueEntry* entry = GetSelectedValueEntry(window, item);
    if (!list || !list->rows || list->count <= 0 || !entry)
        return 0;
    const int32_t current = GetSelectedSlotValue(window, item);
    int32_t chosen = current;
    for (int32_t step = 1; step <= list->count; ++step) {
        const int32_t index = ((current < 0 ? -1 : current) + step) % list->count;
        uint16_t optionState = 0;
        if (!GetSettingUiOptionState(window, setting, index, &optionState))
            continue;
        if (optionState == 0 || optionState == 4 || optionState == 9) {
            chosen = index;
            break;
        }
    }
    if (chosen == current || chosen < 0)
        return 1;
    uint16_t* changed = nullptr;
    if (ApplyItemValueChange(call, item, entry, list->valueType, &list->rows[chosen].value, &changed) !=
        kChangeApplied) {
        FreeGlobalIfSet(changed);
        return 0;
    }
    SetPendingAction(call, kPendingValuesChanged, changed, item);
    return 1;
}
