// What the fired conflict rules of a check say in a message: the settings
// whose conditions held, and the changes the rules will make.
#include "common/conflicts/conflict_messages.h"

#include "common/constraints/constraint_engine.h"
#include "common/constraints/rule_evaluation.h"
#include "common/context/section_holder.h"
#include "common/context/settings_context.h"
#include "common/model/model_kinds.h"
#include "common/system/module_files.h"

#include <algorithm>

namespace {

// Appends "name: value" (template 706) and a line end; false when a text
// cannot be built.
bool AppendListEntry(const ConstraintContext& context, uint16_t id, const void* value, const PaperUnits* units,
                     std::wstring* list)
{
    wchar_t name[kValueTextChars] = {};
    wchar_t text[kValueTextChars] = {};
    if (!FormatSettingValueText(true, context, name, id, nullptr, units, 0) ||
        !FormatSettingValueText(false, context, text, id, value, units, 0))
        return false;
    wchar_t* line = nullptr;
    if (!FormatConflictTemplate(GetResourceModule(), &line, 0, kTemplateListEntry, name, text))
        return false;
    *list += line;
    *list += L"\n";
    GlobalFree(line);
    return true;
}

}  // namespace

uint16_t CollectFiredRuleSettings(const ConstraintContext& context, const SettingChange& change,
                                  const ConstraintResult& result, std::vector<uint16_t>* ids)
{
    if (!context.settings || !ids)
        return 1;
    ids->clear();
    if (result.conflictRules.count == 0)
        return 0;
    // The rows are tested as the check tested them: with the changed setting's
    // record for the size-rule operators.
    SectionHolder feature;
    if (LoadRuleRecord(context.settings, change.id, change.value, &feature) != kRuleLoadOk)
        return 1;
    IdList<kOutIdRoom> out{};
    out.items = out.room;
    RuleWalk walk{kModeInteractive, false, kTableConflict, nullptr, &context, &change, nullptr, feature.section,
                  nullptr, nullptr, &out.items, &out.count};
    uint16_t failed = 0;
    for (uint16_t i = 0; i < result.conflictRules.count && !failed; ++i) {
        SectionHolder rule;
        const uint16_t loaded =
            LoadConstraintRule(context.settings, kTableConflict, result.conflictRules.items[i], &rule);
        if (loaded == kRuleLoadSkip)
            continue;
        if (loaded != kRuleLoadOk ||
            EvaluateRuleConditions(&walk, static_cast<const RuleSection*>(rule.section)) == kRuleError)
            failed = 1;
    }
    if (!failed)
        ids->assign(out.items, out.items + out.count);
    ClearIdList(out);
    return failed;
}

bool BuildChangeList(const ConstraintContext& context, const ConstraintResult& result, const PreparedFix* fix,
                     const PaperUnits* units, std::wstring* list)
{
    if (!context.settings || !list)
        return false;
    list->clear();
    std::vector<uint16_t> listed;
    for (uint16_t i = 0; i < result.conflictRules.count; ++i) {
        SectionHolder holder;
        const uint16_t loaded =
            LoadConstraintRule(context.settings, kTableConflict, result.conflictRules.items[i], &holder);
        if (loaded == kRuleLoadSkip)
            continue;
        if (loaded != kRuleLoadOk)
            return false;
        for (const ModelTerm& a : static_cast<const RuleSection*>(holder.section)->assignments) {
            if (std::find(listed.begin(), listed.end(), a.settingId) != listed.end())
                continue;
            uint64_t value = 0;
            if (!ResolveAssignmentValue(&context, a, &value) || !AppendListEntry(context, a.settingId, &value, units, list))
                return false;
            listed.push_back(a.settingId);
        }
    }
    if (fix && fix->oldText && fix->newText) {
        *list += fix->oldText;
        *list += L"\n";
        *list += fix->newText;
        *list += L"\n";
    }
    return true;
}
