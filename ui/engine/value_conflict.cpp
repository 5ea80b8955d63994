#include "ui/engine/value_conflict.h"

#include "common/conflicts/conflict_messages.h"
#include "common/constraints/constraint_engine.h"
#include "common/constraints/rule_evaluation.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/options/option_lists.h"
#include "common/settings/function_ids.h"
#include "common/settings/position_translation.h"
#include "common/system/global_block.h"
#include "ui/engine/conflict_action_table.h"

#include <cstring>

namespace {

constexpr uint16_t kConflictKindNotice = 9;

// The settings a change made, growing from room for five.
using ChangeList = OwnedIdList<kChangedRoom>;

struct FixHolder {
    PreparedFix fix{};
    ~FixHolder() { FreePreparedFix(&fix); }
};

// Hands the list over as a zero-ended global block the caller owns.
uint16_t HandOver(ChangeList& list, ChangedIdList* out)
{
    if (AddIdToList(0, kChangedRoom, &list.items, &list.count) != kListOk)
        return kActionNoMemory;
    auto block = AllocGlobalBlock<uint16_t>(sizeof(uint16_t) * list.count);
    if (!block)
        return kActionNoMemory;
    std::memcpy(block.get(), list.items, sizeof(uint16_t) * list.count);
    out->ids = block.release();
    out->count = static_cast<uint16_t>(list.count - 1);
    return kActionApply;
}

uint16_t ActOnConflictChoice(HWND window, const ConstraintContext& context, const SettingChange& change,
                             uint16_t choice, const PageUiRecord& ui, const PreparedFix* fix,
                             const ConstraintResult& result, const PaperUnits* units)
{
    if (!GetUiContext(window) || !units)
        return kActionError;
    switch (choice) {
    case kChoiceConflict:
        return HandleConstraintConflict(window, context, change, fix, result, units);
    case kChoiceRange:
        ShowConflictWarning(window, context, change, ui);
        return kActionNothing;
    case kChoiceFixedWarning:
        ShowStampsFullWarning(window);
        return kActionWarned;
    case kChoiceConflictThenLayout: {
        const uint16_t answer = HandleConstraintConflict(window, context, change, fix, result, units);
        return answer == kActionContinue ? ReportLayoutScaleConflict(window, context, change, units) : answer;
    }
    default:
        return kActionNothing;
    }
}

// The accepted value, the fired rules' changes (conflict table, then
// transition table) and the prepared fix. 4 applied, 3 nothing to set, 1 error.
uint16_t ApplyConflictChanges(const ConstraintContext& context, const SettingChange& change,
                              const ConstraintResult& result, const PreparedFix& fix, ChangeList& list)
{
    uint16_t answer = kActionNothing;
    if (change.value) {
        if (SetValueFromChangeRecord(&context, &change) != 0)
            return kActionError;
        if (AddIdToList(change.id, kChangedRoom, &list.items, &list.count) != kListOk)
            return kActionError;
        answer = kActionApply;
    }
    if (result.conflictRules.count || result.transitionRules.count) {
        if (EvaluateConstraintRules(1, &context, &list.items, &list.count, result.conflictRules.count,
                                    result.conflictRules.items) == kActionError ||
            EvaluateConstraintRules(0, &context, &list.items, &list.count, result.transitionRules.count,
                                    result.transitionRules.items) == kActionError)
            return kActionError;
        answer = kActionApply;
    }
    if (fix.count) {
        if (ApplySettingChanges(&context, &list.items, &list.count, fix.count, fix.changes) != kActionApply)
            return kActionError;
        answer = kActionApply;
    }
    return answer;
}

bool ReadWithChange(const ConstraintContext& context, const SettingChange* change, uint16_t id, uint32_t* value)
{
    if (change && change->id == id && change->value) {
        uint64_t holder = 0;
        std::memcpy(&holder, change->value, sizeof holder);
        *value = static_cast<uint32_t>(ValueToInt(&holder, change->type));
        return true;
    }
    return ReadSettingNumber(id, context.settingsRecord, context.printerSettingsRecord, value) == 1;
}

// The finishing values that follow the orientation pair, each from its code.
struct FinishingRow {
    uint16_t valueId;
    uint16_t codeId;
};
constexpr FinishingRow kFinishingRows[] = {
    {kFidEdgeValue, kFidEdgeCode},
    {kFidStapleValue, kFidStapleCode},
    {kFidPunchValue, kFidPunchCode},
};

// Sets a recomputed finishing value and lists it when it differs.
bool Store(const ConstraintContext& context, uint16_t id, uint16_t value, uint16_t** ids, uint16_t* count)
{
    uint32_t stored = 0;
    if (!ReadSettingNumber(id, context.settingsRecord, context.printerSettingsRecord, &stored))
        return false;
    if (stored == value)
        return true;
    if (!WriteSettingNumber(id, context.settingsRecord, context.printerSettingsRecord, value))
        return false;
    return AddIdToList(id, kChangedRoom, ids, count) == kListOk;
}

}  // namespace

int FindEditItemForSetting(const ConflictPage* page, uint16_t id, int mode, uint16_t* firstParameter,
                           uint16_t* flags)
{
    if (!firstParameter || !flags)
        return 0;
    *firstParameter = 0;
    *flags = kEditItemMissing;
    for (uint16_t i = 0; page && page->items && i < page->itemCount; ++i) {
        const EditItemView& item = page->items[i];
        if (item.controlKind != kEditControlKind)
            continue;
        bool shows = mode == 0 && item.selectedSetting == id;
        for (uint16_t s = 0; mode == 1 && !shows && item.slots && s < item.slotCount; ++s)
            shows = item.slots[s] == id;
        if (!shows)
            continue;
        *firstParameter = item.firstParameter;
        *flags = static_cast<uint16_t>(((item.parameterFlags & kEditParameterDecimals) ? kUiDecimals : 0) |
                                       (item.secondParameter ? kUiFixedRange : 0));
        return 1;
    }
    return 1;
}

int RecomputeFinishingPositions(const ConstraintContext& context, const SettingChange* change, uint16_t** ids,
                                uint16_t* count)
{
    uint32_t feed = 0, orientation = 0;
    if (!ReadWithChange(context, change, kFidPagesPerSheet, &feed) ||
        !ReadWithChange(context, change, kFidOrientation, &orientation))
        return 0;
    // A code the tables do not know leaves its value as it is.
    for (const FinishingRow& row : kFinishingRows) {
        uint32_t code = 0;
        if (!ReadWithChange(context, change, row.codeId, &code))
            return 0;
        const PositionRecord record{static_cast<uint16_t>(orientation), static_cast<uint16_t>(feed), 0,
                                    static_cast<uint16_t>(code)};
        uint16_t value = 0;
        const uint16_t computed = row.valueId == kFidEdgeValue ? ComputeEdgeSettingValue(&record, &value)
                                                               : ComputeStaplePunchValue(row.valueId, &record, &value);
        if (computed == kPositionOk && !Store(context, row.valueId, value, ids, count))
            return 0;
    }
    return 1;
}

uint16_t ResolveValueConflict(HWND window, HANDLE printer, const ConstraintContext& context,
                              const SettingChange& change, ChangedIdList* changed, ConstraintResult* result,
                              const ConflictPage* page)
{
    if (!changed || !result)
        return kActionError;
    changed->ids = nullptr;
    changed->count = 0;
    const uint16_t flags = LookUpConflictFlags(change.id, change.value != nullptr);
    PaperUnits units{};
    const bool haveUnits = GetUnitDisplayFlags(context.settings, page ? page->localeUnit : 0, &units) == 1;
    PageUiRecord ui{};
    if (flags & kActionRange) {
        uint16_t first = 0, itemFlags = 0;
        FindEditItemForSetting(page, change.id, 0, &first, &itemFlags);
        ui.flags = itemFlags;
        ui.decimals = first;
    }
    uint16_t choice = kChoiceConflict;
    uint16_t answer = ChooseConflictAction(printer, context, change, flags, &choice, &ui);
    if (answer == kActionError)
        return kActionError;
    FixHolder fix;
    if (answer == kActionAskOrFix) {
        // The engine's fix goes with the user's value: the question names it,
        // and both are applied together on OK.
        if ((flags & kActionAutoFix) && TryAutoResolveConflict(printer, &context, &change, &fix.fix, result) != 0)
            return kActionError;
        answer = ActOnConflictChoice(window, context, change, choice, ui, &fix.fix, *result,
                                     haveUnits ? &units : nullptr);
    }
    ChangeList list;
    if (answer == kActionContinue) {
        answer = ApplyConflictChanges(context, change, *result, fix.fix, list);
        if (answer == kActionApply) {
            if ((flags & kActionFinishing) && !RecomputeFinishingPositions(context, &change, &list.items, &list.count))
                answer = kActionError;
            else if (result->code == kConflictKindNotice)
                ShowConstraintNotice(window, context, list.items, list.count, haveUnits ? &units : nullptr);
        }
    }
    if (answer == kActionApply)
        answer = HandOver(list, changed);
    return answer == kActionNoMemory ? kActionError : answer;
}

uint16_t CheckItemValueConflict(HWND window, HANDLE printer, const ConstraintContext* context,
                                const SettingChange* change, ChangedIdList* changed, ConstraintResult* result,
                                const ConflictPage* page)
{
    if (!context || !change || !changed || !result)
        return kActionError;
    changed->ids = nullptr;
    changed->count = 0;
    if (change->value && change->id != kFidZoom && change->id != kFidOutputBin) {
        const uint16_t same = CompareChangeWithCurrentValue(context, change);
        if (same == kCompareTrue)
            return kActionNothing;
        if (same != kCompareFalse)
            return kActionError;
    }
    return ResolveValueConflict(window, printer, *context, *change, changed, result, page);
}
