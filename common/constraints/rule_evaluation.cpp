#include "common/constraints/rule_evaluation.h"

#include "common/constraints/constraint_values.h"
#include "common/constraints/rule_papers.h"
#include "common/context/model_lookups.h"
#include "common/context/section_holder.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/model/model_kinds.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_types.h"

#include <cwchar>

namespace {

constexpr uint8_t kConnectorOr = 2;
constexpr uint16_t kOwnDefault = 0x8000;    // 32768: the assignment's own setting's model default
constexpr uint16_t kPaperDefault = 0x8001;  // 32769: the model default of the paper size 8

bool IsEqualityOperator(uint8_t op)
{
    return op == 0 || op == 1 || op == 7 || op == 8 || op == 10 || op == 11 || op == 12;
}

bool IsPaperFitOperator(uint8_t op)
{
    return op == 7 || op == 8 || op == 10 || op == 11 || op == 12;
}

bool EndsGroup(uint8_t connector)
{
    return connector == 3 || connector == 4;
}

template <typename T>
uint16_t CompareNumbers(uint8_t op, T listed, T tested)
{
    bool truth = false;
    if (IsEqualityOperator(op))
        truth = tested == listed;
    else if (op == 2)
        truth = tested != listed;
    else if (op == 3)
        truth = tested < listed;
    else if (op == 4)
        truth = tested <= listed;
    else if (op == 5)
        truth = tested > listed;
    else if (op == 6)
        truth = tested >= listed;
    else
        return kCompareBadOperator;
    return truth ? kCompareTrue : kCompareFalse;
}

// Owner of a walk's local list: freed on every path.
struct LocalIds {
    IdList<kOutIdRoom> list{};
    LocalIds() { list.items = list.room; }
    ~LocalIds() { ClearIdList(list); }
    LocalIds(const LocalIds&) = delete;
    LocalIds& operator=(const LocalIds&) = delete;
};

// The settings a rule kind consults beyond its condition rows.
struct KindSettings {
    uint16_t kind;
    uint16_t ids[4];
};
constexpr KindSettings kKindSettings[] = {
    {1024, {262, 8, 265, 13}}, {2048, {262, 8, 389, 0}}, {3072, {262, 8, 266, 0}}, {5120, {410, 0, 0, 0}},
    {6144, {411, 0, 0, 0}},    {7168, {411, 266, 0, 0}}, {8192, {410, 266, 0, 0}}, {9216, {262, 8, 333, 0}},
};

uint16_t RecordConsulted(const RuleWalk* w, const RuleSection* rule)
{
    IdList<kControllingRoom>& controlling = w->result->controlling;
    if (w->tableSelector == kTableTransition)
        return AddId(controlling, rule->trigger.settingId);
    for (const ModelTerm& row : rule->conditions)
        if (uint16_t s = AddId(controlling, row.settingId); s != kListOk)
            return s;
    const uint16_t kind = rule->flags & kRuleKindMask;
    for (const KindSettings& k : kKindSettings) {
        if (k.kind != kind)
            continue;
        for (uint16_t id : k.ids)
            if (id != 0)
                if (uint16_t s = AddId(controlling, id); s != kListOk)
                    return s;
    }
    return kListOk;
}

// Mode 1 drops a completed group when one of its settings is itself refused.
bool GroupRefusedInValidation(const RuleWalk* w, const IdList<kOutIdRoom>& ids, uint16_t* status)
{
    ConstraintResult* check = AllocConstraintResult();
    if (!check) {
        *status = kRuleError;
        return false;
    }
    bool refused = false;
    for (uint16_t i = 0; i < ids.count && !refused; ++i) {
        ResetConstraintResult(check);
        const uint16_t s = CheckSettingConstraints(kModeInteractive, w->printer, w->context->settings,
                                                   w->context->settingsRecord, w->context->printerSettingsRecord,
                                                   nullptr, ids.items[i], 0, nullptr, check, nullptr, 0);
        refused = s == 0 && check->code == kConstraintError;
    }
    FreeConstraintResult(check);
    return refused;
}

uint16_t WalkConditionGroups(const RuleWalk* w, const RuleSection* rule)
{
    const auto& rows = rule->conditions;
    const size_t n = rows.size();
    LocalIds local;
    uint16_t bits = 0;
    bool fired = false;
    size_t i = 0;
    while (i < n) {
        uint16_t rowBits = 0;
        const uint16_t truth = TestConditionRow(w->context, w->change, &rows[i], w->feature, &rowBits);
        if (truth == kRuleError)
            return kRuleError;
        const uint8_t connector = rows[i].d;
        size_t groupEnd = n;  // set when a group completes
        if (truth == 1) {
            if (AddId(local.list, rows[i].settingId) != kListOk)
                return kRuleError;
            bits |= rowBits;
            if (connector == kConnectorOr) {
                // The rest of the or-chain is not tested.
                size_t j = i + 1;
                while (j < n && rows[j].d == kConnectorOr)
                    ++j;
                if (j >= n)
                    break;  // a chain that runs to the last row completes no group
                if (EndsGroup(rows[j].d))
                    groupEnd = j;
                else
                    i = j + 1;
            } else if (EndsGroup(connector)) {
                groupEnd = i;
            } else {
                ++i;
            }
        } else if (connector == kConnectorOr) {
            ++i;
        } else {
            size_t j = i;
            while (j < n && !EndsGroup(rows[j].d))
                ++j;
            ClearIdList(local.list);
            bits = 0;
            i = j + 1;
        }
        if (groupEnd == n)
            continue;
        uint16_t status = 0;
        const bool dropped = w->mode == kModeValidate && GroupRefusedInValidation(w, local.list, &status);
        if (status != 0)
            return status;
        if (!dropped) {
            fired = true;
            if (w->collect && w->result)
                w->result->involvementBits |= bits;
            if (!w->outIds)
                return kRuleFired;
            for (uint16_t k = 0; k < local.list.count; ++k)
                if (AddIdToList(local.list.items[k], kOutIdRoom, w->outIds, w->outCount) != kListOk)
                    return kRuleError;
        }
        ClearIdList(local.list);
        bits = 0;
        i = groupEnd + 1;
    }
    return fired ? kRuleFired : kRuleNotFired;
}

// The trigger values a rule is tried with: indexes into the trigger's list,
// or one try without a value (-1). Empty: the rule is skipped.
std::vector<int> ChooseTriggerValues(const RuleWalk* w, const ModelTerm& trigger)
{
    const ModelValue& v = trigger.value;
    if (v.count == 0) {
        if (trigger.op == 0 || trigger.op == 2)
            return {-1};
        return {};
    }
    std::vector<int> tries;
    if (v.count >= 2 && v.size == 2 && trigger.op == 1 && w->change->value) {
        for (uint16_t k = 0; k < v.count; ++k) {
            uint64_t h = 0;
            if (ModelElementHolder(v, k, &h) &&
                CompareTypedValues(1, v.type, &h, w->change->type, w->change->value) == kCompareTrue)
                return {k};
        }
        return {};
    }
    for (uint16_t k = 0; k < v.count; ++k)
        tries.push_back(k);
    return tries;
}

}  // namespace

uint16_t CompareTypedValues(uint8_t op, uint16_t typeA, const void* valueA, uint16_t typeB, const void* valueB)
{
    if (!valueA || !valueB)
        return kCompareMissing;
    if (typeA != typeB)
        return kCompareTypesDiffer;
    if (op == 9 || op > 12)
        return kCompareBadOperator;
    switch (typeA) {
    case kTypeS16:
    case kTypeS32:
    case kTypeFontS32:
        return CompareNumbers<int32_t>(op, ValueToInt(valueA, typeA), ValueToInt(valueB, typeB));
    case kTypeU16:
    case kTypeU32:
    case kTypeByte:
        return CompareNumbers<uint32_t>(op, ValueToUInt(valueA, typeA), ValueToUInt(valueB, typeB));
    case kTypeFlag:
    case kTypeString: {
        bool equal = false;
        if (typeA == kTypeFlag) {
            equal = ValueToUInt(valueA, typeA) == ValueToUInt(valueB, typeB);
        } else {
            const auto* a = *static_cast<const wchar_t* const*>(valueA);
            const auto* b = *static_cast<const wchar_t* const*>(valueB);
            if (!a || !b)
                return kCompareMissing;
            equal = std::wcscmp(a, b) == 0;
        }
        if (IsEqualityOperator(op))
            return equal ? kCompareTrue : kCompareFalse;
        if (op == 2)
            return equal ? kCompareFalse : kCompareTrue;
        return kCompareBadOperator;
    }
    default:
        return kCompareUnknownType;
    }
}

uint16_t CompareChangeWithCurrentValue(const ConstraintContext* context, const SettingChange* change)
{
    if (!context || !change)
        return 1;
    uint16_t type = 0;
    uint64_t current = 0;
    if (ReadCurrentValue(context, change->id, &type, &current) != kSettingOk)
        return 1;
    return CompareTypedValues(1, change->type, change->value, type, &current) == kCompareTrue ? kCompareTrue
                                                                                            : kCompareFalse;
}

bool RuleServesMode(uint16_t flags, uint16_t mode)
{
    switch (mode) {
    case kModeValidate: return !(flags & (kRuleNotInValidation | kRuleResetOnly));
    case kModeCarryOut: return !(flags & (kRuleNotInCarryOut | kRuleResetOnly));
    default: return true;  // modes 0 and 3 use every rule
    }
}

uint16_t TestConditionRow(const ConstraintContext* context, const SettingChange* change, const ModelTerm* row,
                          const ModelSection* feature, uint16_t* bits)
{
    if (!context || !row || !bits)
        return kRuleError;
    *bits = 0;
    if (row->op == 9 || row->op == 13)
        return TestSizeRuleRow(context, change, row, feature, bits);
    uint16_t type = 0;
    uint64_t current = 0;
    const uint16_t read = ReadCurrentValue(context, row->settingId, &type, &current);
    if (read == kSettingNoRange)
        return 0;
    if (read != kSettingOk)
        return kRuleError;
    const ModelValue& listed = row->value;
    if (listed.count == 0)
        return row->op == 1 ? 0 : row->op == 2 ? 1 : kRuleError;
    bool truth = row->op == 2;
    for (uint16_t k = 0; k < listed.count; ++k) {
        uint64_t h = 0;
        if (!ModelElementHolder(listed, k, &h))
            return kRuleError;
        const uint16_t c = CompareTypedValues(row->op, listed.type, &h, type, &current);
        if (c != kCompareTrue && c != kCompareFalse)
            return kRuleError;
        if (row->op == 2 && c == kCompareFalse) {
            truth = false;
            break;
        }
        if (row->op != 2 && c == kCompareTrue) {
            truth = true;
            break;
        }
    }
    if (!truth)
        return 0;
    if (IsPaperFitOperator(row->op))
        return TestPaperFitRow(context, change, row->op, bits);
    return 1;
}

uint16_t EvaluateRuleConditions(const RuleWalk* w, const RuleSection* rule)
{
    if (!w || !rule)
        return kRuleError;
    if (!RuleServesMode(rule->flags, w->mode))
        return kRuleNotFired;
    if (w->tableSelector == kTableTransition) {
        uint16_t bits = 0;
        const uint16_t truth = TestConditionRow(w->context, w->change, &rule->trigger, w->feature, &bits);
        if (truth == kRuleError)
            return kRuleError;
        if (truth == 1)
            return kRuleNotFired;  // the current value already satisfies the trigger
        if (w->outIds && AddIdToList(rule->trigger.settingId, kOutIdRoom, w->outIds, w->outCount) != kListOk)
            return kRuleError;
        return kRuleFired;
    }
    return WalkConditionGroups(w, rule);
}

uint16_t TestRule(const RuleWalk* w, const RuleSection* rule, const void* triedValue)
{
    if (!w || !rule)
        return kRuleError;
    // A rule serves only its modes, with conditions or without.
    if (!RuleServesMode(rule->flags, w->mode))
        return kRuleNotFired;
    if (rule->conditions.empty())
        return kRuleFiredBare;
    if (w->collect && w->result && RecordConsulted(w, rule) != kListOk)
        return kRuleError;
    if (triedValue) {
        if (rule->trigger.settingId != w->change->id)
            return kRuleError;
        uint16_t type = w->change->type;
        uint64_t current = 0;
        const void* newValue = w->change->value;
        if (!newValue) {
            if (ReadCurrentValue(w->context, w->change->id, &type, &current) != kSettingOk)
                return kRuleError;
            newValue = &current;
        }
        const uint16_t c = CompareTypedValues(rule->trigger.op, rule->trigger.value.type, triedValue, type, newValue);
        if (c == kCompareFalse)
            return kRuleNotFired;
        if (c != kCompareTrue)
            return kRuleError;
    }
    return EvaluateRuleConditions(w, rule);
}

uint16_t ApplyRuleAssignments(const ConstraintContext* context, const RuleSection* rule, uint16_t** changedIds,
                              uint16_t* changedCount)
{
    if (!context || !rule || !changedIds || !changedCount)
        return 1;
    if (rule->assignments.empty())
        return 3;
    for (const ModelTerm& a : rule->assignments) {
        if (rule->flags == 3 && ListHasId(*changedIds, *changedCount, a.settingId))
            continue;
        uint64_t holder = 0;
        if (!ResolveAssignmentValue(context, a, &holder))
            return 1;
        const SettingChange change{a.settingId, a.value.type, 0, &holder};
        if (SetValueFromChangeRecord(context, &change) != 0)
            return 1;
        if (const uint16_t s = AddIdToList(a.settingId, kChangedRoom, changedIds, changedCount); s != kListOk)
            return s;
    }
    return 4;
}

bool ResolveAssignmentValue(const ConstraintContext* context, const ModelTerm& a, uint64_t* holder)
{
    if (!context || !holder || !ModelElementHolder(a.value, 0, holder))
        return false;
    if (a.value.type != kTypeS16 && a.value.type != kTypeU16)
        return true;
    // The special values are 16-bit patterns, whatever the signedness.
    const uint16_t raw = static_cast<uint16_t>(*holder);
    if (raw != kOwnDefault && raw != kPaperDefault)
        return true;
    uint64_t value = 0;
    uint16_t type = 0, status = 0;
    if (!GetModelDefault(context->settings, raw == kOwnDefault ? a.settingId : kFidPaperSize, &value, &type, &status))
        return false;
    FreeModelDefault(value, type);
    if (type == kTypeString)
        return false;
    *holder = value & 0xFFFF;
    return true;
}

uint16_t LoadConstraintRule(const SettingsContext* settings, int tableSelector, uint16_t number, SectionHolder* holder)
{
    if (!settings || !holder)
        return kRuleLoadFailed;
    const uint16_t tableKind = tableSelector == kTableConflict ? kKindConflictRule : kKindTransitionRule;
    if (LoadModelTable(true, settings->main, settings->linked, tableKind, number, holder->out()) != kModelOk ||
        !AsRule(holder->section))
        return kRuleLoadFailed;
    auto* rule = static_cast<RuleSection*>(holder->section);
    if (ResolveModelValueReference(rule->source, &rule->trigger.value) != kModelOk)
        return kRuleLoadSkip;
    for (ModelTerm& row : rule->conditions)
        if (ResolveModelValueReference(rule->source, &row.value) != kModelOk)
            return kRuleLoadFailed;
    for (ModelTerm& a : rule->assignments)
        if (ResolveModelValueReference(rule->source, &a.value) != kModelOk)
            return kRuleLoadFailed;
    return kRuleLoadOk;
}

uint16_t LoadRuleRecord(const SettingsContext* settings, uint16_t id, const void* value, SectionHolder* holder)
{
    if (!settings || !holder)
        return kRuleLoadFailed;
    wchar_t* modelName = nullptr;
    uint16_t kind = 0;
    const uint16_t status =
        LoadItemFeature(true, settings->main, settings->linked, id, value, &kind, holder->out(), &modelName);
    if (modelName)
        GlobalFree(modelName);
    // Settings 1 and 259 name the header, which has no rules.
    if (status == kModelAbsent || (status == kModelOk && !holder->section))
        return kRuleLoadSkip;
    return status == kModelOk ? kRuleLoadOk : kRuleLoadFailed;
}

uint16_t EvaluateConstraintTable(const RuleWalk* w)
{
    if (!w || !w->context || !w->context->settings || !w->change || !w->feature)
        return 1;
    if (w->collect ? !w->result : (!w->changedIds || !w->changedCount))
        return 1;
    const std::vector<uint16_t>* numbers = nullptr;
    if (const FeatureSection* f = AsFeature(w->feature))
        numbers = w->tableSelector == kTableConflict ? &f->conflictRules : &f->transitionRules;
    else if (const OptionSection* o = AsOption(w->feature))
        numbers = w->tableSelector == kTableConflict ? &o->conflictRules : &o->transitionRules;
    if (!numbers)
        return 1;
    for (uint16_t number : *numbers) {
        SectionHolder holder;
        const uint16_t loaded = LoadConstraintRule(w->context->settings, w->tableSelector, number, &holder);
        if (loaded == kRuleLoadSkip)
            continue;
        if (loaded != kRuleLoadOk)
            return 1;
        auto* rule = static_cast<RuleSection*>(holder.section);
        bool fired = false;
        for (int k : ChooseTriggerValues(w, rule->trigger)) {
            uint64_t tried = 0;
            if (k >= 0 && !ModelElementHolder(rule->trigger.value, static_cast<uint16_t>(k), &tried))
                return 1;
            const uint16_t answer = TestRule(w, rule, k >= 0 ? &tried : nullptr);
            if (answer == kRuleError)
                return 1;
            if (answer != kRuleFired && answer != kRuleFiredBare)
                continue;
            if (const uint16_t kind = rule->flags & kRuleKindMask; kind != 0) {
                uint16_t unused = 0;
                uint16_t* bits = w->collect ? &w->result->involvementBits : &unused;
                bool fires = false;
                if (TestRuleKindFit(w->context, w->change, kind, &fires, bits) != 0)
                    return 1;
                if (!fires)
                    continue;
            }
            fired = true;
            break;
        }
        if (!fired)
            continue;
        if (w->collect) {
            IdList<kRuleRoom>& list =
                w->tableSelector == kTableConflict ? w->result->conflictRules : w->result->transitionRules;
            if (const uint16_t s = AddId(list, number); s != kListOk)
                return s;
            KeepHigherPriorityResult(w->result, rule->flags & kRuleCodeMask);
        } else if (const uint16_t s = ApplyRuleAssignments(w->context, rule, w->changedIds, w->changedCount);
                   s == 1 || s == 2) {
            return s;
        }
    }
    return 0;
}
