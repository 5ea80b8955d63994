// The carrying-out operations and the prepared fixes: the only places where
// the engine writes settings, after the user has accepted a change.
#include "common/constraints/constraint_engine.h"

#include "common/constraints/constraint_values.h"
#include "common/constraints/rule_evaluation.h"
#include "common/context/model_lookups.h"
#include "common/context/section_holder.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/job/doc_monitor_job.h"
#include "common/model/model_kinds.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "common/system/positional_format.h"
#include "common/system/user_prompt.h"

#include <cstring>
#include <cwchar>

namespace {

constexpr int kSelectConflicts = 1;  // EvaluateConstraintRules: 1 table 7, 0 table 8

// Resource strings of the prepared fixes.
constexpr UINT kStringStampState = 302;
constexpr UINT kStringNone = 426;
constexpr UINT kStringStateFormat = 706;
constexpr UINT kStringMonitorName = 2016;
constexpr UINT kStringMonitorOn = 2017;
constexpr UINT kStringMonitorOff = 2018;
constexpr int kTextChars = 260;

wchar_t* NewStateText(const wchar_t* name, const wchar_t* state)
{
    wchar_t format[64];
    LoadPromptText(GetResourceModule(), kStringStateFormat, L"%1s: %2s", format, 64);
    auto* text = static_cast<wchar_t*>(GlobalAlloc(GPTR, kTextChars * sizeof(wchar_t)));
    if (text && FormatPositional(text, kTextChars, format, name, state) < 0)
        text[kTextChars - 1] = L'\0';
    return text;
}

wchar_t* NewStringText(UINT nameId, const wchar_t* nameFallback, UINT stateId, const wchar_t* stateFallback)
{
    wchar_t name[kTextChars], state[kTextChars];
    LoadPromptText(GetResourceModule(), nameId, nameFallback, name, kTextChars);
    LoadPromptText(GetResourceModule(), stateId, stateFallback, state, kTextChars);
    return NewStateText(name, state);
}

// The display name of setting `id` and of its option holding `value`, as the
// model names them; the numbers when the model names none.
wchar_t* NewSettingStateText(const SettingsContext* settings, uint16_t id, uint32_t value)
{
    wchar_t* name = nullptr;
    wchar_t* option = nullptr;
    uint64_t holder = 0;
    CopyValueByType(&holder, value, kTypeFlag);
    GetItemDisplayName(settings->main, settings->linked, id, nullptr, &name);
    GetItemDisplayName(settings->main, settings->linked, id, &holder, &option);
    wchar_t idText[16], valueText[16];
    swprintf(idText, 16, L"%u", static_cast<unsigned>(id));
    swprintf(valueText, 16, L"%u", static_cast<unsigned>(value));
    wchar_t* text = NewStateText(name ? name : idText, option ? option : valueText);
    if (name)
        GlobalFree(name);
    if (option)
        GlobalFree(option);
    return text;
}

// Whether the document monitor can take jobs: the model must ask for it (the
// default of 8201 is 1) and its client must start.
bool DocMonitorUsable(const SettingsContext* settings)
{
    uint64_t value = 0;
    uint16_t type = 0, status = 0;
    if (!GetModelDefault(settings, kFidDocMonitorDefault, &value, &type, &status) || value != 1)
        return false;
    return IsDocMonitorAvailable() == 1;
}

bool AddChange(PreparedFix* fix, uint16_t id, uint16_t type, uint64_t value)
{
    auto* holder = static_cast<uint64_t*>(GlobalAlloc(GPTR, sizeof(uint64_t)));
    if (!holder)
        return false;
    if (type == kTypeString) {
        // The value is its own block: the empty string.
        auto* text = static_cast<wchar_t*>(GlobalAlloc(GPTR, sizeof(wchar_t)));
        if (!text) {
            GlobalFree(holder);
            return false;
        }
        *holder = reinterpret_cast<uintptr_t>(text);
    } else {
        *holder = value;
    }
    SettingChange& c = fix->changes[fix->count++];
    c.id = id;
    c.type = type;
    c.value = holder;
    c.size = static_cast<uint16_t>(ChangeValueSize(type, holder));
    return true;
}

}  // namespace

uint32_t ChangeValueSize(uint16_t type, const void* value)
{
    // A whole LOGFONTW is never a change of its own.
    if (type == kTypeLogFont || (type == kTypeString && !value))
        return 0;
    return GetValueSize(value, type, -1);
}

uint16_t SetValueFromChangeRecord(const ConstraintContext* context, const SettingChange* change)
{
    if (!context || !change || !change->value)
        return 1;
    const uint32_t size = ChangeValueSize(change->type, change->value);
    if (size == 0)
        return 1;
    uint64_t holder = 0;
    std::memcpy(&holder, change->value, change->type == kTypeString ? sizeof(void*) : size);
    return SetFunctionIdValue(change->id, context->settingsRecord, context->printerSettingsRecord, change->type, size,
                              &holder) == kSettingOk
               ? 0
               : 1;
}

uint16_t ApplySettingChanges(const ConstraintContext* context, uint16_t** changedIds, uint16_t* changedCount,
                             uint16_t n, const SettingChange* changes)
{
    if (!context || !changedIds || !changedCount)
        return 1;
    if (n == 0)
        return 3;
    if (!changes)
        return 1;
    for (uint16_t i = 0; i < n; ++i) {
        if (const uint16_t s = SetValueFromChangeRecord(context, &changes[i]); s != 0)
            return s;
        if (const uint16_t s = AddIdToList(changes[i].id, kChangedRoom, changedIds, changedCount); s != kListOk)
            return s;
    }
    return 4;
}

uint16_t EvaluateConstraintRules(int tableSelector, const ConstraintContext* context, uint16_t** changedIds,
                                 uint16_t* changedCount, uint16_t n, const uint16_t* ruleNumbers)
{
    if (!context || !context->settings || !changedIds || !changedCount)
        return 1;
    if (n == 0)
        return 3;
    if (!ruleNumbers)
        return 1;
    const int table = tableSelector == kSelectConflicts ? kTableConflict : kTableTransition;
    bool any = false;
    for (uint16_t i = 0; i < n; ++i) {
        SectionHolder holder;
        const uint16_t loaded = LoadConstraintRule(context->settings, table, ruleNumbers[i], &holder);
        // A rule the check skips never fired.
        if (loaded == kRuleLoadSkip)
            continue;
        if (loaded != kRuleLoadOk)
            return 1;
        const auto* rule = static_cast<const RuleSection*>(holder.section);
        const uint16_t s = ApplyRuleAssignments(context, rule, changedIds, changedCount);
        if (s == 4)
            any = true;
        else if (s != 3)
            return 1;
    }
    return any ? 4 : 3;
}

void FreePreparedFix(PreparedFix* fix)
{
    if (!fix)
        return;
    if (fix->changes) {
        for (uint16_t i = 0; i < fix->count; ++i) {
            auto* holder = static_cast<uint64_t*>(const_cast<void*>(fix->changes[i].value));
            if (holder && fix->changes[i].type == kTypeString && *holder)
                GlobalFree(reinterpret_cast<void*>(static_cast<uintptr_t>(*holder)));
            if (holder)
                GlobalFree(holder);
        }
        GlobalFree(fix->changes);
    }
    if (fix->oldText)
        GlobalFree(fix->oldText);
    if (fix->newText)
        GlobalFree(fix->newText);
    *fix = {};
}

uint16_t TryAutoResolveConflict(HANDLE printer, const ConstraintContext* context, const SettingChange* change,
                                PreparedFix* fix, ConstraintResult* result)
{
    (void)printer;
    (void)result;
    if (!context || !context->settings || !change || !fix)
        return 1;
    *fix = {};
    uint32_t value = 0;
    const bool hasValue = change->value != nullptr;
    if (hasValue)
        value = ValueToUInt(change->value, change->type);
    bool stampName = false;
    enum { kNothing, kStamp, kMonitorOff, kHeaderOff } kind = kNothing;
    switch (change->id) {
    case kFidPaperSize:
    case kFidLayoutGrid:
    case kFidPosterBooklet: {
        if (!IsSettingSet(context, kFidStampName, &stampName))
            return 1;
        const bool wanted = change->id == kFidLayoutGrid ||
                            (hasValue && (change->id == kFidPaperSize ? value >= 307 && value <= 310 : value == 1));
        if (wanted && stampName)
            kind = kStamp;
        break;
    }
    case kFidDocMonitorOn:
    case kFidJobHeaderOn: {
        bool other = false;
        if (!IsSettingSet(context, change->id == kFidDocMonitorOn ? kFidJobHeaderOn : kFidDocMonitorOn, &other))
            return 1;
        if (hasValue && value != 0 && other && DocMonitorUsable(context->settings))
            kind = change->id == kFidDocMonitorOn ? kHeaderOff : kMonitorOff;
        break;
    }
    default:
        break;
    }
    // Nothing to prepare for this setting in this state.
    if (kind == kNothing)
        return 0;

    fix->changes = static_cast<SettingChange*>(GlobalAlloc(GPTR, 2 * sizeof(SettingChange)));
    bool ok = fix->changes != nullptr;
    if (ok && kind == kStamp) {
        const uint64_t held =
            GetFunctionIdValuePointer(context->settingsRecord, context->printerSettingsRecord, kFidStampName,
                                      kTypeString);
        wchar_t state[kTextChars];
        LoadPromptText(GetResourceModule(), kStringStampState, L"Stamp", state, kTextChars);
        wchar_t none[kTextChars];
        LoadPromptText(GetResourceModule(), kStringNone, L"(none)", none, kTextChars);
        fix->oldText = NewStateText(state, reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(held)));
        fix->newText = NewStateText(state, none);
        ok = fix->oldText && fix->newText && AddChange(fix, kFidStampName, kTypeString, 0) &&
             AddChange(fix, kFidStampDetail, kTypeString, 0);
    } else if (ok && kind == kHeaderOff) {
        fix->oldText = NewSettingStateText(context->settings, kFidJobHeaderOn, 1);
        fix->newText = NewSettingStateText(context->settings, kFidJobHeaderOn, 0);
        ok = fix->oldText && fix->newText && AddChange(fix, kFidJobHeaderOn, kTypeFlag, 0);
    } else if (ok) {
        fix->oldText = NewStringText(kStringMonitorName, L"Document monitor", kStringMonitorOn, L"On");
        fix->newText = NewStringText(kStringMonitorName, L"Document monitor", kStringMonitorOff, L"Off");
        ok = fix->oldText && fix->newText && AddChange(fix, kFidDocMonitorOn, kTypeFlag, 0);
    }
    if (!ok) {
        FreePreparedFix(fix);
        return kListNoMemory;
    }
    return 0;
}

int CheckCapabilityValue(const uint32_t* capabilityWords, const wchar_t* text)
{
    (void)capabilityWords;
    (void)text;
    return 0;
}
