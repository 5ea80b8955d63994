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

// The conflict list: one line per setting, its name and current value by
// template 706.
std::wstring ConflictList(const ConstraintContext& context, const ConstraintResult& result, const uint16_t* involved)
{
    uint16_t ids[kConflictListRoom] = {};
    const int count = CollectConflictSettings(context, result, involved, ids);
    std::wstring list;
    for (int i = 0; i < count; ++i) {
        wchar_t name[kValueTextChars] = {};
        wchar_t value[kValueTextChars] = {};
        uint64_t holder = 0;
        uint16_t type = 0;
        uint32_t size = 0;
        if (!FormatSettingValueText(true, context, name, ids[i], nullptr))
            continue;
        if (GetFunctionIdValue(ids[i], context.settingsRecord, context.printerSettingsRecord, &type, &size,
                               &holder) == 0)
            FormatSettingValueText(false, context, value, ids[i], &holder);
        wchar_t* line = nullptr;
        if (FormatConflictTemplate(GetResourceModule(), &line, 0, kTemplateListEntry, name, value)) {
            list += line;
            list += L"\n";
            GlobalFree(line);
        }
    }
    return list;
}

wchar_t* BuildConflictText(const ConstraintContext& context, const SettingChange& change,
                           const ConstraintResult& result, const uint16_t* involved, bool question)
{
    wchar_t name[kValueTextChars] = {};
    wchar_t value[kValueTextChars] = {};
    if (!FormatSettingValueText(true, context, name, change.id, nullptr))
        return nullptr;
    const bool withValue = change.value && FormatSettingValueText(false, context, value, change.id, change.value);
    const std::wstring list = ConflictList(context, result, involved);
    // The automatic changes of the rules are the dialog engine's to list.
    const wchar_t* changes = L"";
    wchar_t* text = nullptr;
    HMODULE module = GetResourceModule();
    if (question && withValue)
        FormatConflictTemplate(module, &text, 0, kTemplateConflictQuestion, name, value, list.c_str(), changes);
    else if (question)
        FormatConflictTemplate(module, &text, 0, kTemplateConflictQuestionNoValue, name, list.c_str(), changes);
    else if (withValue)
        FormatConflictTemplate(module, &text, 0, kTemplateConflictWarning, name, value, list.c_str());
    else
        FormatConflictTemplate(module, &text, 0, kTemplateConflictWarningNoValue, name, list.c_str());
    return text;
}

}  // namespace

void* GetUiContext(HWND dialog)
{
    if (!dialog || !IsWindow(dialog))
        return nullptr;
    return reinterpret_cast<void*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

uint16_t ChooseConflictAction(uint16_t reactionKind, uint16_t* choice)
{
    if (!choice)
        return kAnswerError;
    *choice = kChoiceConflict;
    for (const ReactionRow& row : kReactions) {
        if (row.kind == reactionKind) {
            *choice = row.choice;
            return row.answer;
        }
    }
    return kAnswerError;
}

uint16_t HandleConstraintConflict(HWND window, const ConstraintContext& context, const SettingChange& change,
                                  const ConstraintResult& result, const uint16_t* involved)
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
    if (!GetUiContext(window))
        return failed;
    wchar_t* text = nullptr;
    if (row->text == Text::Conflict)
        text = BuildConflictText(context, change, result, involved, row->question);
    else
        FormatConflictTemplate(GetResourceModule(), &text, 0, row->templateId);
    if (!text)
        return failed;
    const int answer = AskUser(GetResourceModule(), kConflictTitleString, L"", text,
                               row->question ? kQuestionStyle : kWarningStyle);
    GlobalFree(text);
    if (!row->question)
        return row->onOk;
    return answer == IDOK ? row->onOk : row->onCancel;
}
