#include "ui/engine/page_check.h"

#include "common/conflicts/conflict_messages.h"
#include "common/config/site_config.h"
#include "common/constraints/constraint_engine.h"
#include "common/constraints/rule_evaluation.h"
#include "common/context/paper_list.h"
#include "common/context/section_holder.h"
#include "common/context/setting_rules.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/defaults/setting_defaults.h"
#include "common/model/model_kinds.h"
#include "common/model/model_value_ops.h"
#include "common/records/form_paper_match.h"
#include "common/settings/capability_bits.h"
#include "common/settings/function_ids.h"
#include "common/settings/paper_codes.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/global_block.h"
#include "ui/engine/page_check_tables.h"
#include "ui/engine/user_paper_margins.h"
#include "ui/engine/value_conflict.h"

#include <cstring>
#include <cwchar>

namespace {

constexpr CapabilityId kCapabilityNoCodeCheck = CapabilityBit(0x2E);
constexpr CapabilityId kCapabilityDerivedBin = CapabilityBit(0x28);
constexpr CapabilityId kCapabilityScrambledCode = 0x40000000;
constexpr uint16_t kFidUserCode = 5129;
constexpr uint16_t kFidFinisher = 4359;
constexpr uint16_t kFinisherNone = 15;
constexpr uint16_t kCodeModeOff = 0;
constexpr uint16_t kCodeModeChecked = 1;
constexpr uint16_t kCodeModeSet = 2;
constexpr uint16_t kPaperListByNumber = 1;
constexpr int kTextChars = 1024;

constexpr uint16_t kLayoutFits = 12;
constexpr uint16_t kLayoutText = 11;

using ChangeList = OwnedIdList<kChangedRoom>;

// Runs one table of the model's rules for `change` against the setting's
// feature record, carrying out what fires. 0, 1 error.
uint16_t CarryOutTable(HANDLE printer, const ConstraintContext& context, const SettingChange& change,
                       const ModelSection* feature, int table, uint16_t** ids, uint16_t* count)
{
    RuleWalk walk{kModeCarryOut, false, table, printer, &context, &change, nullptr, feature, ids, count, nullptr,
                  nullptr};
    return EvaluateConstraintTable(&walk);
}

// One setting's rules with its current value (table 7) and without a value
// (table 8). 0 done or nothing to run, 1 error.
uint16_t RecheckSetting(HANDLE printer, const ConstraintContext& context, uint16_t id, uint16_t** ids, uint16_t* count)
{
    uint64_t holder = 0;
    uint16_t type = 0;
    uint32_t size = 0;
    if (GetFunctionIdValue(id, context.settingsRecord, context.printerSettingsRecord, &type, &size, &holder) != 0)
        return 0;  // not a setting of these records
    uint32_t realOrientation = 0;
    if (id == kFidOrientation) {
        // The rules must see a change to the real orientation.
        realOrientation = static_cast<uint32_t>(holder);
        WriteSettingNumber(id, context.settingsRecord, context.printerSettingsRecord, realOrientation != 2 ? 2 : 1);
    }
    SectionHolder feature;
    const uint16_t loaded = LoadRuleRecord(context.settings, id, id == kFidCopies ? nullptr : &holder, &feature);
    uint16_t answer = loaded == kRuleLoadFailed ? 1 : 0;
    if (loaded == kRuleLoadOk && (AsFeature(feature.section) || AsOption(feature.section))) {
        const SettingChange withValue{id, type, static_cast<uint16_t>(size), &holder};
        const SettingChange bare{id, type, 0, nullptr};
        answer = CarryOutTable(printer, context, withValue, feature.section, kTableConflict, ids, count);
        if (answer == 0)
            answer = CarryOutTable(printer, context, bare, feature.section, kTableTransition, ids, count);
    }
    if (id == kFidOrientation)
        WriteSettingNumber(id, context.settingsRecord, context.printerSettingsRecord, realOrientation);
    return answer;
}

uint16_t RecheckSettingRanges(HANDLE printer, const ConstraintContext& context, const SettingRange* ranges,
                              uint16_t** ids, uint16_t* count)
{
    for (const SettingRange* r = ranges; r->first != 0; ++r)
        for (uint32_t id = r->first; id <= r->last; ++id)
            if (RecheckSetting(printer, context, static_cast<uint16_t>(id), ids, count) != 0)
                return 1;
    return RecomputeFinishingPositions(context, nullptr, ids, count) ? 0 : 1;
}

bool HasDevmodeSizeFields(const void* settingsRecord)
{
    DEVMODEW head;
    std::memcpy(&head, settingsRecord, sizeof head);
    return (head.dmFields & (DM_PAPERLENGTH | DM_PAPERWIDTH)) == (DM_PAPERLENGTH | DM_PAPERWIDTH);
}

bool PaperIsKnown(const ConstraintContext& context, uint16_t paper)
{
    if (HasPaperList(context.settings)) {
        uint16_t found = 0;
        return FindPaperListEntry(context.settings, kPaperListByNumber, &paper, kPaperListByNumber, &found) == 1;
    }
    SectionHolder feature;
    uint16_t kind = 0;
    wchar_t* modelName = nullptr;
    const uint64_t holder = paper;
    const uint16_t loaded = LoadItemFeature(false, context.settings->main, context.settings->linked, kFidPaperSize,
                                            &holder, &kind, feature.out(), &modelName);
    if (modelName)
        GlobalFree(modelName);
    return loaded == kModelOk && AsOption(feature.section);
}

}  // namespace

bool MatchFormNameToPaper(HANDLE printer, const ConstraintContext& context, uint16_t paper, uint16_t** ids,
                          uint16_t* count)
{
    uint16_t model = 0;
    if (MatchFormToModelPaper(printer, context.settingsRecord, context.printerSettingsRecord, paper, &model) != 1 ||
        model == 0)
        return false;
    if (model != paper &&
        (!WriteSettingNumber(kFidPaperSize, context.settingsRecord, context.printerSettingsRecord, model) ||
         AddIdToList(kFidPaperSize, kChangedRoom, ids, count) != kListOk))
        return false;
    return true;
}


uint16_t CheckPaperSelection(HANDLE printer, const ConstraintContext& context, uint32_t mode, uint16_t** ids,
                             uint16_t* count)
{
    uint32_t paper = 0;
    if (!ReadSettingNumber(kFidPaperSize, context.settingsRecord, context.printerSettingsRecord, &paper))
        return 1;
    if (paper == kFreeCustomPaperCode && HasDevmodeSizeFields(context.settingsRecord) &&
        IsCustomPaperEnabled(context.settingsRecord, context.printerSettingsRecord))
        return CopyCustomPaperSize(kCustomSizeFromDevmode, context.settingsRecord, context.printerSettingsRecord) ? 0
                                                                                                                : 1;
    if ((mode & kCheckMatchForm) && MatchFormNameToPaper(printer, context, static_cast<uint16_t>(paper), ids, count))
        return 0;
    if (PaperIsKnown(context, static_cast<uint16_t>(paper)))
        return 0;
    if (!ResetFunctionIdToDefault(context.settings, kFidPaperSize, context.settingsRecord,
                                  context.printerSettingsRecord) ||
        AddIdToList(kFidPaperSize, kChangedRoom, ids, count) != kListOk)
        return 1;
    return 0;
}

int RecomputeDerivedSettings(HANDLE printer, const ConstraintContext& context, uint16_t** ids, uint16_t* count)
{
    uint32_t finisher = 0;
    if (!TestModelCapability(context.settings->main, kCapabilityDerivedBin) ||
        !ReadSettingNumber(kFidFinisher, context.settingsRecord, context.printerSettingsRecord, &finisher) ||
        finisher == kFinisherNone)
        return 1;
    uint32_t before = 0;
    ReadSettingNumber(kFidOutputBin, context.settingsRecord, context.printerSettingsRecord, &before);
    if (!RecomputeDerivedValue(context.settings, context.settingsRecord, context.printerSettingsRecord, nullptr))
        return 0;
    uint32_t after = 0;
    ReadSettingNumber(kFidOutputBin, context.settingsRecord, context.printerSettingsRecord, &after);
    if (after == before)
        return 1;
    if (AddIdToList(kFidOutputBin, kChangedRoom, ids, count) != kListOk)
        return 0;
    return RecheckSetting(printer, context, kFidOutputBin, ids, count) == 0 ? 1 : 0;
}

uint16_t CheckWholeSettings(HANDLE printer, const ConstraintContext& context, uint32_t mode, const PaperUnits* units,
                            wchar_t** text)
{
    if (!text || !context.settings)
        return kWholeError;
    *text = nullptr;
    ChangeList list;
    if (CheckPaperSelection(printer, context, mode, &list.items, &list.count) != 0)
        return kWholeError;
    RecheckSettingRanges(printer, context, kRecheckAllSettings, &list.items, &list.count);
    if (RecheckSettingRanges(printer, context, kRecheckPaperSettings, &list.items, &list.count) != 0)
        return kWholeError;
    if (!TestModelCapability(context.settings->main, kCapabilityNoCodeCheck)) {
        uint32_t codeMode = 0;
        const uint64_t code = GetFunctionIdValuePointer(context.settingsRecord, context.printerSettingsRecord,
                                                        kFidUserCode, kTypeString);
        const wchar_t* codeText = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(code));
        if (ReadSettingNumber(kFidJobType, context.settingsRecord, context.printerSettingsRecord, &codeMode)) {
            const bool empty = !codeText || !codeText[0];
            uint16_t maximum = 0, minimum = 0;
            const bool badLength =
                codeMode == kCodeModeChecked &&
                !CheckCodeLength(context.settingsRecord, context.printerSettingsRecord,
                                 TestModelCapability(context.settings->main, kCapabilityScrambledCode) ? 1 : 0,
                                 &maximum, &minimum);
            if (((codeMode == kCodeModeChecked || codeMode == kCodeModeSet) && empty) || badLength) {
                if (!WriteSettingNumber(kFidJobType, context.settingsRecord, context.printerSettingsRecord,
                                        kCodeModeOff) ||
                    AddIdToList(kFidJobType, kChangedRoom, &list.items, &list.count) != kListOk)
                    return kWholeError;
            }
        }
    }
    if (!RecomputeDerivedSettings(printer, context, &list.items, &list.count))
        return kWholeDerivedFailed;
    uint16_t answer = kWholeConsistent;
    if (list.count > 0) {
        if (!FormatChangedSettingsText(context, list.items, list.count, units, kTemplateNotice, text))
            return kWholeError;
        answer = (*text && (*text)[0]) ? kWholeChanged : kWholeConsistent;
    }
    ApplyConfiguredSettings(context.settings->siteConfig, context.settingsRecord, context.printerSettingsRecord,
                            kApplyEnforcedOnly);
    return answer;
}

uint16_t CheckPageLayoutFit(const ConstraintContext& context, const PaperUnits* units, wchar_t** text)
{
    if (!text)
        return 1;
    *text = nullptr;
    uint16_t* involved = nullptr;
    const uint16_t fit = CheckLayoutScaleFit(&context, nullptr, &involved);
    GlobalBlockPtr<uint16_t> owned(involved);
    if (fit == kConstraintNone)
        return kLayoutFits;
    if (fit != kConstraintTooSmall && fit != kConstraintTooLarge)
        return 1;
    // The message names the document paper the grid is laid out for.
    uint64_t paper = 0;
    uint16_t type = 0;
    uint32_t size = 0;
    if (GetFunctionIdValue(kFidPaperSize, context.settingsRecord, context.printerSettingsRecord, &type, &size,
                           &paper) != 0)
        return 1;
    const SettingChange scaled{kFidPaperSize, type, static_cast<uint16_t>(size), &paper};
    wchar_t* built = nullptr;
    if (!BuildLayoutFitText(context, scaled, units, fit, involved, &built))
        return 1;
    GlobalBlockPtr<wchar_t> message(built);
    auto block = AllocGlobalBlock<wchar_t>(kTextChars * sizeof(wchar_t));
    if (!block)
        return 1;
    lstrcpynW(block.get(), built, kTextChars);
    *text = block.release();
    return kLayoutText;
}

int RunPageSettingsCheck(HMODULE module, HANDLE printer, const ConstraintContext& context, uint32_t mode,
                         uint32_t checkFlags, bool checkMargins, UINT marginMessageId, const PaperUnits* units,
                         HWND window, bool userHost, QueuedConflictTexts** holder)
{
    (void)module;
    if (!holder)
        return 0;
    *holder = nullptr;
    auto texts = AllocGlobalBlock<QueuedConflictTexts>(sizeof(QueuedConflictTexts));
    if (!texts || !context.settings)
        return 0;
    QueuedConflictTexts* raw = texts.get();
    struct Release {
        QueuedConflictTexts** t;
        ~Release()
        {
            if (*t)
                FreeQueuedConflictTexts(t);
        }
    };
    QueuedConflictTexts* pending = texts.release();
    Release release{&pending};
    if (checkFlags & kCheckWholeRecord) {
        wchar_t* text = nullptr;
        if (CheckWholeSettings(printer, context, mode, units, &text) == kWholeChanged)
            raw->texts[0] = text;
        else if (text)
            GlobalFree(text);
    }
    uint32_t fromUser = 0;
    ReadSettingNumber(kFidUserPaperMarginsFromUser, context.settingsRecord, context.printerSettingsRecord, &fromUser);
    const bool runMargins = window ? checkMargins : checkMargins && fromUser == 1;
    const bool perUser = window ? userHost : true;
    if (runMargins) {
        CheckedPapers failed{};
        const int checked = CheckUserPaperMargins(printer, context, fromUser == 1, &failed);
        if (checked == 0)
            return 0;
        if (checked == -1) {
            wchar_t* message = nullptr;
            if (!ResetUserPaperMargins(printer, context, failed, perUser) ||
                !BuildMarginResetMessage(context, failed, static_cast<int>(marginMessageId), &message))
                return 0;
            if (raw->texts[0]) {
                const size_t chars = wcslen(raw->texts[0]) + wcslen(message) + 2;
                auto joined = AllocGlobalBlock<wchar_t>(chars * sizeof(wchar_t));
                if (!joined) {
                    GlobalFree(message);
                    return 0;
                }
                swprintf(joined.get(), chars, L"%ls\n%ls", raw->texts[0], message);
                GlobalFree(message);
                GlobalFree(raw->texts[0]);
                raw->texts[0] = joined.release();
            } else {
                raw->texts[0] = message;
            }
        }
    }
    if (checkFlags & kCheckLayoutFit) {
        wchar_t* text = nullptr;
        if (CheckPageLayoutFit(context, units, &text) == kLayoutText)
            raw->texts[raw->texts[0] ? 1 : 0] = text;
    }
    if (raw->texts[0] || raw->texts[1]) {
        *holder = pending;
        pending = nullptr;
    }
    return 1;
}

const wchar_t* GetQueuedConflictText(const QueuedConflictTexts* holder, int index, int* status)
{
    int ignored = 0;
    int& s = status ? *status : ignored;
    s = 0;
    if (!holder)
        return nullptr;
    if (index < 0 || index > 1) {
        s = 1;
        return nullptr;
    }
    return holder->texts[index];
}

int FreeQueuedConflictTexts(QueuedConflictTexts** holder)
{
    if (!holder)
        return 0;
    if (*holder) {
        for (wchar_t* text : (*holder)->texts)
            if (text)
                GlobalFree(text);
        GlobalFree(*holder);
        *holder = nullptr;
    }
    return 1;
}
