#include "common/constraints/constraint_engine.h"

#include "common/constraints/constraint_values.h"
#include "common/config/site_config.h"
#include "common/constraints/rule_evaluation.h"
#include "common/context/section_holder.h"
#include "common/context/value_by_type.h"
#include "common/defaults/setting_defaults.h"
#include "common/job/doc_monitor_job.h"
#include "common/job/printer_stamp_store.h"
#include "common/context/settings_context.h"
#include "common/model/model_data.h"
#include "common/model/model_kinds.h"
#include "common/model/model_value_ops.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/model/com_provider.h"
#include "common/system/library_profile.h"
#include "common/system/os_version.h"

#include <algorithm>
#include <array>
#include <memory>

namespace {

constexpr uint16_t kNotSpecial = 0xFFFF;

// The settings that govern a checked setting, after a special check.
struct ControllingRow {
    uint16_t first, last;
    std::array<uint16_t, 4> ids;
};
constexpr ControllingRow kControlling[] = {
    {272, 272, {271, 270, 293, 1314}},
    {274, 277, {271, 270, 293, 0}},
    {282, 285, {271, 270, 293, 0}},
    {1314, 1314, {271, 270, 293, 0}},
    {278, 281, {293, 270, 0, 0}},
    {296, 296, {297, 0, 0, 0}},
    {301, 301, {300, 0, 0, 0}},
    {303, 303, {1288, 0, 0, 0}},
    {1286, 1286, {296, 297, 0, 0}},
    {1289, 1289, {270, 0, 0, 0}},
    {1333, 1333, {1321, 0, 0, 0}},
    {5121, 5121, {5127, 0, 0, 0}},
    {5163, 5163, {5186, 0, 0, 0}},
    {5204, 5204, {5186, 0, 0, 0}},
    {kActionStampAdd, kActionStampDelete, {296, 297, 0, 0}},
};

struct ResultDeleter {
    void operator()(ConstraintResult* r) const { FreeConstraintResult(r); }
};
using ResultPtr = std::unique_ptr<ConstraintResult, ResultDeleter>;

struct CheckState {
    uint16_t mode;
    HANDLE printer;
    ConstraintContext context;
    SettingChange change;
    const ConstraintResult* saved;
    IdList<kOutIdRoom> out;
};

// What a special check found: kNotSpecial, or the code with the settings named.
struct SpecialOutcome {
    uint16_t code = kNotSpecial;
    uint16_t named[2] = {};
    uint16_t namedCount = 0;
};

SpecialOutcome Code(uint16_t code, uint16_t a = 0, uint16_t b = 0)
{
    SpecialOutcome o;
    o.code = code;
    o.named[0] = a;
    o.named[1] = b;
    o.namedCount = static_cast<uint16_t>((a != 0) + (b != 0));
    return o;
}

bool NewValue(const CheckState& s, uint32_t* value)
{
    if (!s.change.value)
        return false;
    *value = ValueToUInt(s.change.value, s.change.type);
    return true;
}

// 0, or 1 when a setting the check needs cannot be read or a test fails.
uint16_t UserIdProviderInstalled(const CheckState& s, bool* installed)
{
    uint32_t answer = 0;
    if (!IsComProviderInstalled(s.context.settings->main, &answer))
        return 1;
    *installed = answer != 0;
    return 0;
}

// The graphics library's check of the copy-count lock. A new value that
// switches it on while the document monitor is wanted (1321 set, 8201 on by
// default) and present asks to change 1321 with it; a value that does not
// undoes an earlier such question. Without a value the lock is refused where
// the site enforces a job type.
uint16_t CopyCountLockCheck(const CheckState& s, SpecialOutcome* outcome)
{
    const ConstraintContext* c = &s.context;
    uint32_t monitorOn = 0;
    if (!ReadSettingNumber(kFidDocMonitorOn, c->settingsRecord, c->printerSettingsRecord, &monitorOn))
        return 1;
    uint32_t value = 0;
    if (NewValue(s, &value)) {
        uint16_t type = 0;
        uint32_t size = 0;
        uint64_t holder = 0;
        bool monitorByDefault = false;
        if (GetFunctionIdDefault(c->settings, kFidDocMonitorDefault, &type, &size, &holder) == kFunctionIdDefaultOk) {
            monitorByDefault = type == kTypeFlag && holder != 0;
            FreeFunctionIdDefault(kFidDocMonitorDefault, holder, type);
        }
        if (value != 0 && monitorOn != 0 && monitorByDefault && IsDocMonitorAvailable())
            *outcome = Code(kConstraintAutoChange, kFidDocMonitorOn);
        else if (s.saved != nullptr && s.saved->code == kConstraintAutoChange)
            *outcome = Code(kConstraintNone);
        return 0;
    }
    const ConfiguredSettingsList* site = c->settings ? c->settings->siteConfig : nullptr;
    uint64_t configured = 0;
    if (IsSettingEnforced(kFidJobType, site) && GetConfiguredValue(kFidJobType, site, &configured, kTypeU16) &&
        configured != 0)
        *outcome = Code(kConstraintEnforcedJobType, kFidJobType);
    return 0;
}

uint16_t RunSpecialCheck(const CheckState& s, SpecialOutcome* outcome)
{
    const ConstraintContext* c = &s.context;
    const bool hasValue = s.change.value != nullptr;
    uint32_t value = 0;
    bool stampName = false, provider = false;
    uint32_t poster = 0;
    switch (s.change.id) {
    case kFidPaperSize:
    case kFidPosterBooklet: {
        if (!IsSettingSet(c, kFidStampName, &stampName))
            return 1;
        const bool conflicting = NewValue(s, &value) &&
                                 (s.change.id == kFidPaperSize ? value >= 307 && value <= 310 : value == 1);
        *outcome = conflicting && stampName ? Code(kConstraintAutoChange, kFidStampName) : Code(kConstraintNone);
        return 0;
    }
    case kFidPlatformMode: {
        if (!NewValue(s, &value) || value != 3)
            return 0;
        uint16_t family = 0;
        if (GetOsVersionCode(&family) != 1)
            return 1;
        if ((family & 0xFF) < 2)
            *outcome = Code(kConstraintError);
        return 0;
    }
    case kFidJobHeaderOn:
        if (GetLibraryProfile().graphicsSpecialChecks)
            return CopyCountLockCheck(s, outcome);
        *outcome = Code(kConstraintRefused);
        return 0;
    case kFidInvertedFlag:
        *outcome = Code(kConstraintRefused);
        return 0;
    case kFidOsBoundFlag:
        if (!hasValue && IsOsVersion60OrLater())
            *outcome = Code(kConstraintRefused);
        return 0;
    case 1286:
    case kActionStampChange:
        if (!IsSettingSet(c, kFidStampName, &stampName) ||
            !ReadSettingNumber(kFidPosterBooklet, c->settingsRecord, c->printerSettingsRecord, &poster))
            return 1;
        *outcome = !hasValue && (poster == 1 || !stampName) ? Code(kConstraintError, kFidLayoutGrid, kFidStampName)
                                                            : Code(kConstraintNone);
        return 0;
    case 5138:
        *outcome = Code(kConstraintNone);
        return 0;
    case 5163:
    case 5204: {
        if (s.change.id == 5204 && s.saved->code == kConstraintRefused)
            return 0;
        bool userIdSet = false;
        if (!IsSettingSet(c, kFidUserIdMode, &userIdSet) || UserIdProviderInstalled(s, &provider) != 0)
            return 1;
        if (!hasValue && userIdSet && provider)
            *outcome = Code(kConstraintError, kFidUserIdMode);
        return 0;
    }
    case kFidUserIdMode:
        if (UserIdProviderInstalled(s, &provider) != 0)
            return 1;
        if (!hasValue && !provider)
            *outcome = Code(kConstraintRefused);
        return 0;
    case kActionStampAdd: {
        if (!ReadSettingNumber(kFidPosterBooklet, c->settingsRecord, c->printerSettingsRecord, &poster))
            return 1;
        if (!hasValue && poster == 1) {
            *outcome = Code(kConstraintError, kFidLayoutGrid);
            return 0;
        }
        uint32_t count = 0;
        const StampStoreOf store(s.printer, c->settings);
        if (CountStamps(store.at, &count) != kStampOk)
            return 1;
        *outcome = count >= kMaxStoredStamps ? Code(kConstraintQuestion, kFidStampName) : Code(kConstraintNone);
        return 0;
    }
    case kActionStampDelete: {
        if (!IsSettingSet(c, kFidStampName, &stampName) ||
            !ReadSettingNumber(kFidPosterBooklet, c->settingsRecord, c->printerSettingsRecord, &poster))
            return 1;
        bool stored = false;
        if (stampName) {
            const uint64_t text = GetFunctionIdValuePointer(c->settingsRecord, c->printerSettingsRecord,
                                                            kFidStampName, kTypeString);
            const StampStoreOf store(s.printer, c->settings);
            // A default name counts as stored: the store always holds the defaults.
            switch (FindStamp(store.at, reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(text)))) {
            case kStampOk:
            case kStampIsDefault: stored = true; break;
            case kStampBadArgument: stored = false; break;
            default: return 1;
            }
        }
        *outcome = !hasValue && (poster == 1 || !stampName || !stored)
                       ? Code(kConstraintError, kFidLayoutGrid, kFidStampName)
                       : Code(kConstraintNone);
        return 0;
    }
    case kActionCapabilityCheck: {
        if (hasValue)
            return 0;
        CapabilityBits bits{};
        GetModelCapabilityBits(c->settings->main, &bits);
        const uint64_t model =
            GetFunctionIdValuePointer(c->settingsRecord, c->printerSettingsRecord, kFidModelName, kTypeString);
        if (!CheckCapabilityValue(bits.words, reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(model)))) {
            *outcome = Code(kConstraintRefused);
            return 0;
        }
        bool header = false;
        if (!IsSettingSet(c, kFidJobHeaderOn, &header))
            return 1;
        if (s.saved->code != kConstraintRefused && header)
            *outcome = Code(kConstraintError);
        return 0;
    }
    default:
        return 0;
    }
}

bool InScope(const uint16_t* scope, uint16_t id, const ConstraintResult* saved)
{
    if (!scope || scope[0] == 0)
        return true;
    auto listed = [scope](uint16_t x) {
        for (const uint16_t* p = scope; *p; ++p)
            if (*p == x)
                return true;
        return false;
    };
    if (listed(id))
        return true;
    for (uint16_t i = 0; i < saved->controlling.count; ++i)
        if (listed(saved->controlling.items[i]))
            return true;
    return false;
}

// 0 walked or no rules apply (*applied tells); 1 when the setting's record
// cannot be read; else the walk's error.
uint16_t WalkRuleTables(CheckState& s, const uint16_t* scope, int featureFlag, ConstraintResult* result,
                        bool* applied)
{
    *applied = false;
    if (!InScope(scope, s.change.id, s.saved))
        return 0;
    SectionHolder feature;
    // A setting the model has no record of has no rules; a record that is
    // listed but cannot be read (a damaged file, no memory) is an error, or a
    // damaged model would let through what the intact one refuses.
    const uint16_t loaded = LoadRuleRecord(s.context.settings, s.change.id,
                                           featureFlag == kFeatureWithoutValue ? nullptr : s.change.value, &feature);
    if (loaded == kRuleLoadSkip)
        return 0;
    if (loaded != kRuleLoadOk)
        return 1;
    *applied = true;
    if (!AsFeature(feature.section) && !AsOption(feature.section))
        return 0;
    RuleWalk walk{s.mode, true, kTableConflict, s.printer, &s.context, &s.change, result, feature.section,
                  nullptr, nullptr, &s.out.items, &s.out.count};
    if (const uint16_t e = EvaluateConstraintTable(&walk); e != 0)
        return e;
    walk.tableSelector = kTableTransition;
    return EvaluateConstraintTable(&walk);
}

uint16_t HandOverOutList(const IdList<kOutIdRoom>& out, uint16_t id, uint16_t** outIdList)
{
    if (!outIdList)
        return 0;
    *outIdList = nullptr;
    if (out.count == 0)
        return 0;
    auto* block = static_cast<uint16_t*>(GlobalAlloc(GPTR, (out.count + 2u) * sizeof(uint16_t)));
    if (!block)
        return kListNoMemory;
    std::copy_n(out.items, out.count, block);
    block[out.count] = id;
    *outIdList = block;
    return 0;
}

uint16_t CheckMode1Current(uint16_t mode, HANDLE printer, SettingsContext* settingsContext, void* settingsRecord,
                           void* printerSettingsRecord, const uint16_t* scopeIds, uint16_t id, uint16_t valueType,
                           ConstraintResult* result, int featureFlag, bool* done)
{
    *done = false;
    ResultPtr copy(AllocConstraintResult());
    if (!copy || CopyConstraintResult(copy.get(), result) != kListOk)
        return kListNoMemory;
    const uint16_t status = CheckSettingConstraints(mode, printer, settingsContext, settingsRecord,
                                                    printerSettingsRecord, scopeIds, id, valueType, nullptr,
                                                    copy.get(), nullptr, featureFlag);
    const uint16_t code = copy->code;
    if (status == 0 && (code == kConstraintError || code == kConstraintRefused || code == kConstraintWarning ||
                        code == kConstraintQuestion)) {
        // The current value is itself refused: the default under validation
        // stands as it is, unchecked.
        if (CopyConstraintResult(result, copy.get()) != kListOk)
            return kListNoMemory;
        result->code = kConstraintNone;
        *done = true;
    }
    return 0;
}

}  // namespace

uint16_t AddControllingIds(uint16_t id, ConstraintResult* result)
{
    if (!result)
        return kListBadArgument;
    for (const ControllingRow& row : kControlling) {
        if (id < row.first || id > row.last)
            continue;
        for (uint16_t c : row.ids)
            if (c != 0)
                if (const uint16_t s = AddId(result->controlling, c); s != kListOk)
                    return s;
        break;
    }
    return kListOk;
}

uint16_t CheckSettingConstraints(uint16_t mode, HANDLE printer, SettingsContext* settingsContext,
                                 void* settingsRecord, void* printerSettingsRecord, const uint16_t* scopeIds,
                                 uint16_t id, uint16_t valueType, const void* value, ConstraintResult* result,
                                 uint16_t** outIdList, int featureFlag)
{
    if (outIdList)
        *outIdList = nullptr;
    if (!settingsContext || !settingsRecord || !printerSettingsRecord || !result)
        return 1;
    if (mode == kModeValidate && value) {
        bool done = false;
        if (const uint16_t e = CheckMode1Current(mode, printer, settingsContext, settingsRecord, printerSettingsRecord,
                                                 scopeIds, id, valueType, result, featureFlag, &done);
            e != 0 || done)
            return e;
    }
    ResultPtr saved(AllocConstraintResult());
    if (!saved || CopyConstraintResult(saved.get(), result) != kListOk)
        return kListNoMemory;
    ResetConstraintResult(result);

    CheckState s{mode, printer, {settingsContext, settingsRecord, printerSettingsRecord},
                 {id, valueType, 0, value}, saved.get(), {}};
    s.out.items = s.out.room;
    struct OutGuard {
        IdList<kOutIdRoom>& list;
        ~OutGuard() { ClearIdList(list); }
    } outGuard{s.out};
    // A failed check leaves the caller's result as it was.
    auto fail = [&](uint16_t error) {
        CopyConstraintResult(result, saved.get());
        return error;
    };

    if (!printer)
        return fail(1);
    SpecialOutcome special;
    if (const uint16_t e = RunSpecialCheck(s, &special); e != 0)
        return fail(e);
    const bool isSpecial = special.code != kNotSpecial;
    if (isSpecial) {
        result->code = special.code;
        for (uint16_t i = 0; i < special.namedCount; ++i)
            if (AddId(s.out, special.named[i]) != kListOk)
                return fail(kListNoMemory);
        if (AddControllingIds(id, result) != kListOk)
            return fail(kListNoMemory);
    }
    bool rulesApplied = false;
    if (const uint16_t e = WalkRuleTables(s, scopeIds, featureFlag, result, &rulesApplied); e != 0)
        return fail(e);
    if (!isSpecial && !rulesApplied)
        CopyConstraintResult(result, saved.get());
    if (HandOverOutList(s.out, id, outIdList) != 0)
        return fail(kListNoMemory);
    return 0;
}
