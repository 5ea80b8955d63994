#include "common/conflicts/conflict_messages.h"

#include "common/constraints/constraint_engine.h"
#include "common/context/settings_context.h"
#include "common/model/model_value_ops.h"
#include "common/settings/capability_bits.h"
#include "common/settings/value_operations.h"
#include "common/system/global_block.h"
#include "common/system/module_files.h"
#include "common/system/user_prompt.h"

#include <string>

namespace {

constexpr CapabilityId kCapabilityQuietConflicts = CapabilityBit(0x30);
constexpr uint16_t kJobHeaderSetting = 1333;

struct ReactionRow {
    uint16_t kind;
    uint16_t answer;
    uint16_t choice;
};
constexpr ReactionRow kReactions[] = {
    {1, kAnswerRefused, kChoiceConflict},
    {4, kAnswerNeedsDisplay, kChoiceConflict},
    {36, kAnswerNeedsDisplay, kChoiceConflict},
    {132, kAnswerNeedsDisplay, kChoiceConflict},
    {68, kAnswerNeedsDisplay, kChoiceConflictThenLayout},
    {100, kAnswerNeedsDisplay, kChoiceConflictThenLayout},
};
constexpr uint16_t kReactionRange = 8;
constexpr uint16_t kReactionRangeThenConflict = 12;
constexpr uint16_t kReactionStampCount = 16;

// How each result code is shown: the message's text and style, and the answers
// for OK and for Cancel (a warning has only the first).
enum class Text : uint8_t { None, Conflict, Template };
struct ConflictRow {
    uint16_t code;
    Text text;
    UINT templateId;
    bool question;
    uint16_t onOk;
    uint16_t onCancel;
};
constexpr ConflictRow kConflicts[] = {
    {0, Text::None, 0, false, kAnswerGoAhead, 0},
    {4, Text::None, 0, false, kAnswerGoAhead, 0},
    {9, Text::None, 0, false, kAnswerGoAhead, 0},
    {2, Text::Conflict, 0, false, kAnswerRefused, 0},
    {3, Text::Conflict, 0, true, kAnswerGoAhead, kAnswerRefused},
    {5, Text::Template, kTemplateApplyQuestion, true, kAnswerGoAhead, kAnswerRefused},
    {7, Text::Template, kTemplateApplyWarning, false, kAnswerRefusedNoted, 0},
    {8, Text::Conflict, 0, true, kAnswerGoAhead, kAnswerRefusedNoted},
    {10, Text::Template, kTemplateNotAvailable, false, kAnswerRefused, 0},
    {11, Text::Template, kTemplateNotAvailable, false, kAnswerRefused, 0},
    {12, Text::Template, kTemplateDeviceNotInstalled, false, kAnswerRefused, 0},
    {13, Text::Template, kTemplateDeviceNotInstalled, false, kAnswerRefused, 0},
};

// "name: value" lines (template 706 or the caller's) of the listed settings
// with their current values; a setting whose texts cannot be built is left out.
std::wstring SettingLines(const ConstraintContext& context, const uint16_t* ids, int count, const PaperUnits* units,
                          UINT entryTemplate, int textFlags)
{
    std::wstring list;
    for (int i = 0; i < count; ++i) {
        wchar_t name[kValueTextChars] = {};
        wchar_t value[kValueTextChars] = {};
        uint64_t holder = 0;
        uint16_t type = 0;
        uint32_t size = 0;
        if (!FormatSettingValueText(true, context, name, ids[i], nullptr, units, 0))
            continue;
        if (GetFunctionIdValue(ids[i], context.settingsRecord, context.printerSettingsRecord, &type, &size,
                               &holder) == 0)
            FormatSettingValueText(false, context, value, ids[i], &holder, units, textFlags);
        wchar_t* line = nullptr;
        if (FormatConflictTemplate(GetResourceModule(), &line, 0, entryTemplate, name, value)) {
            list += line;
            list += L"\n";
            GlobalFree(line);
        }
    }
    return list;
}

// The conflict list: the settings of the fired rules' conditions and of the
// involvement bits; sources carry their paper limits when a paper condition
// fired.
bool ConflictList(const ConstraintContext& context, const SettingChange& change, const ConstraintResult& result,
                  const PaperUnits* units, std::wstring* list)
{
    std::vector<uint16_t> fired;
    if (CollectFiredRuleSettings(context, change, result, &fired) != 0)
        return false;
    fired.push_back(0);
    uint16_t ids[kConflictListRoom] = {};
    const int count = CollectConflictSettings(context, result, fired.data(), ids);
    *list = SettingLines(context, ids, count, units, kTemplateListEntry,
                         result.involvementBits ? kValueTextLimits : 0);
    return true;
}

wchar_t* BuildConflictText(const ConstraintContext& context, const SettingChange& change, const PreparedFix* fix,
                           const ConstraintResult& result, const PaperUnits* units, bool question)
{
    wchar_t name[kValueTextChars] = {};
    wchar_t value[kValueTextChars] = {};
    if (!FormatSettingValueText(true, context, name, change.id, nullptr, units, 0))
        return nullptr;
    const bool withValue =
        change.value && FormatSettingValueText(false, context, value, change.id, change.value, units, 0);
    std::wstring list, changes;
    if (!ConflictList(context, change, result, units, &list))
        return nullptr;
    if (question && !BuildChangeList(context, result, fix, units, &changes))
        return nullptr;
    wchar_t* text = nullptr;
    HMODULE module = GetResourceModule();
    if (question && change.id == kJobHeaderSetting)
        FormatConflictTemplate(module, &text, 0, kTemplateJobHeader, list.c_str(), changes.c_str());
    else if (question && withValue)
        FormatConflictTemplate(module, &text, 0, kTemplateConflictQuestion, name, value, list.c_str(),
                               changes.c_str());
    else if (question)
        FormatConflictTemplate(module, &text, 0, kTemplateConflictQuestionNoValue, name, list.c_str(),
                               changes.c_str());
    else if (withValue)
        FormatConflictTemplate(module, &text, 0, kTemplateConflictWarning, name, value, list.c_str());
    else
        FormatConflictTemplate(module, &text, 0, kTemplateConflictWarningNoValue, name, list.c_str());
    return text;
}

// Shows a built text (and frees it): the prompt's answer, 0 when there was
// nothing to show.
int ShowText(wchar_t* text, bool question)
{
    if (!text)
        return 0;
    const int answer =
        AskUser(GetResourceModule(), kConflictTitleString, L"", text, question ? kQuestionStyle : kWarningStyle);
    GlobalFree(text);
    return answer;
}

}  // namespace

void* GetUiContext(HWND dialog)
{
    if (!dialog || !IsWindow(dialog))
        return nullptr;
    return reinterpret_cast<void*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

uint16_t ChooseConflictAction(HANDLE printer, const ConstraintContext& context, const SettingChange& change,
                              uint16_t reactionKind, uint16_t* choice, PageUiRecord* ui)
{
    if (!choice)
        return kAnswerError;
    *choice = kChoiceConflict;
    if (reactionKind == kReactionRange || reactionKind == kReactionRangeThenConflict) {
        const uint16_t answer = CheckValueRange(context, change, ui);
        if (answer == kAnswerNeedsDisplay)
            *choice = kChoiceRange;
        else if (answer == kAnswerGoAhead && reactionKind == kReactionRangeThenConflict)
            return kAnswerNeedsDisplay;
        return answer;
    }
    if (reactionKind == kReactionStampCount)
        return CheckStampCount(printer, context, change, choice);
    for (const ReactionRow& row : kReactions) {
        if (row.kind == reactionKind) {
            *choice = row.choice;
            return row.answer;
        }
    }
    return kAnswerError;
}

uint16_t HandleConstraintConflict(HWND window, const ConstraintContext& context, const SettingChange& change,
                                  const PreparedFix* fix, const ConstraintResult& result, const PaperUnits* units)
{
    const ConflictRow* row = nullptr;
    for (const ConflictRow& r : kConflicts)
        if (r.code == result.code)
            row = &r;
    if (!row)
        return kAnswerError;
    if (row->text == Text::None)
        return row->onOk;
    if (row->code == 2 && context.settings && TestModelCapability(context.settings->main, kCapabilityQuietConflicts))
        return row->onOk;
    const uint16_t failed = row->question ? row->onCancel : row->onOk;
    if (!GetUiContext(window) || !units)
        return failed;
    wchar_t* text = nullptr;
    if (row->text == Text::Conflict)
        text = BuildConflictText(context, change, fix, result, units, row->question);
    else
        FormatConflictTemplate(GetResourceModule(), &text, 0, row->templateId);
    const int answer = ShowText(text, row->question);
    if (!row->question)
        return row->onOk;
    return answer == IDOK ? row->onOk : row->onCancel;
}

uint16_t ShowItemConflictMessage(HWND window, const ConstraintContext& context, const uint16_t* ids, int count,
                                 const PaperUnits* units)
{
    if (!GetUiContext(window) || !units || !ids || count <= 0)
        return kItemAnswerOk;
    const std::wstring list = SettingLines(context, ids, count, units, kTemplateListEntry, 0);
    wchar_t* text = nullptr;
    if (!FormatConflictTemplate(GetResourceModule(), &text, 0, kTemplateItemQuestion, list.c_str()))
        return kItemAnswerOk;
    return ShowText(text, true) == IDOK ? kItemAnswerOk : kItemAnswerCancel;
}

int FormatChangedSettingsText(const ConstraintContext& context, const uint16_t* ids, int count,
                              const PaperUnits* units, UINT templateId, wchar_t** text)
{
    if (!text)
        return 0;
    *text = nullptr;
    if (!ids || count <= 0)
        return 0;
    const std::wstring list = SettingLines(context, ids, count, units, kTemplateListEntry, 0);
    return FormatConflictTemplate(GetResourceModule(), text, 0, templateId, list.c_str());
}

uint16_t ShowConstraintNotice(HWND window, const ConstraintContext& context, const uint16_t* changedIds, int count,
                              const PaperUnits* units)
{
    if (!GetUiContext(window) || !units || !changedIds || count <= 0)
        return kAnswerError;
    wchar_t* text = nullptr;
    if (!FormatChangedSettingsText(context, changedIds, count, units, kTemplateNotice, &text))
        return kAnswerError;
    ShowText(text, false);
    return kNoticeShown;
}

int BuildLayoutFitText(const ConstraintContext& context, const SettingChange& change, const PaperUnits* units,
                       uint16_t fit, const uint16_t* involved, wchar_t** text)
{
    if (!text)
        return 0;
    *text = nullptr;
    if (fit != kConstraintTooSmall && fit != kConstraintTooLarge)
        return 0;
    int count = 0;
    while (involved && involved[count])
        ++count;
    const std::wstring list = SettingLines(context, involved, count, units, kTemplateLayoutEntry, 0);
    wchar_t name[kValueTextChars] = {};
    wchar_t value[kValueTextChars] = {};
    wchar_t closing[kValueTextChars] = {};
    if (!FormatSettingValueText(true, context, name, change.id, nullptr, units, 0) ||
        (change.value && !FormatSettingValueText(false, context, value, change.id, change.value, units, 0)))
        return 0;
    LoadStringW(GetResourceModule(), kTemplateLayoutClosing, closing, kValueTextChars);
    return FormatConflictTemplate(GetResourceModule(), text, 0,
                                  fit == kConstraintTooSmall ? kTemplateLayoutTooSmall : kTemplateLayoutTooLarge, name,
                                  value, list.c_str(), closing);
}

uint16_t ReportLayoutScaleConflict(HWND window, const ConstraintContext& context, const SettingChange& change,
                                   const PaperUnits* units)
{
    uint16_t* involved = nullptr;
    const uint16_t fit = CheckLayoutScaleFit(&context, &change, &involved);
    if (fit == kConstraintNone)
        return kAnswerGoAhead;
    if (fit != kConstraintTooSmall && fit != kConstraintTooLarge) {
        if (involved)
            GlobalFree(involved);
        return kAnswerError;
    }
    wchar_t* text = nullptr;
    const bool built = GetUiContext(window) && units && BuildLayoutFitText(context, change, units, fit, involved, &text);
    if (involved)
        GlobalFree(involved);
    if (!built)
        return kAnswerRefused;
    return ShowText(text, false) > 0 ? kAnswerGoAhead : kAnswerRefused;
}
