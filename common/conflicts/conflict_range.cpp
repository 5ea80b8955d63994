// The checks the dialog engine runs before the conflict check for some
// settings: a value within the setting's permitted range, and room for one more
// stamp; and the warnings that go with them.
#include "common/conflicts/conflict_messages.h"

#include "common/capabilities/capability_options.h"
#include "common/constraints/constraint_engine.h"
#include "common/constraints/constraint_values.h"
#include "common/context/option_list.h"
#include "common/context/setting_rules.h"
#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/job/printer_stamp_store.h"
#include "common/options/option_lists.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "common/system/user_prompt.h"

#include <cstring>

namespace {

constexpr uint16_t kStampListSetting = 272;

// Ranges a page fixes for its own settings, in stored units.
struct FixedRange {
    uint16_t id;
    int32_t minimum;
    int32_t maximum;
    uint32_t divisor;  // shown divided by it
    UINT textId;
};
constexpr FixedRange kFixedRanges[] = {
    {306, 7, 600, 1, kRangeTextFixed},
    {359, 5, 24, 1, kRangeTextFixed},
    {385, 50, 240, 10, kRangeTextFixed},
    // Strictly between -901 and 901: -90.0 to 90.0 in tenths.
    {309, -900, 900, 10, kRangeTextTenths},
    {310, -900, 900, 10, kRangeTextTenths},
    {311, -900, 900, 10, kRangeTextTenths},
};

bool IsSignedType(uint16_t type) { return type == kTypeS16 || type == kTypeS32 || type == kTypeFlag; }

// A value of `type` as a signed 64-bit number: 16-bit types from their low
// half, signed types sign-extended.
int64_t Widen(uint64_t holder, uint16_t type)
{
    if (type == kTypeS16)
        return static_cast<int16_t>(holder);
    if (type == kTypeU16)
        return static_cast<uint16_t>(holder);
    if (IsSignedType(type))
        return static_cast<int32_t>(holder);
    return static_cast<uint32_t>(holder);
}

// A range its handler gives (the copies, for one): the first two rows of the
// option list the pages show for it.
bool HandlerRange(const ConstraintContext& context, uint16_t id, int64_t* minimum, int64_t* maximum)
{
    constexpr uint16_t kListRange = 4;
    OptionList* list = BuildOptionList(GetResourceModule(), context.settings, id, context.settingsRecord,
                                       context.printerSettingsRecord, nullptr, nullptr);
    const bool found = list && (list->listKind == kListRange || list->listKind == kOptionListKindSharedStrings) &&
                       list->rows && list->count >= 2;
    if (found) {
        const uint16_t type = list->listKind == kListRange ? list->valueType : kTypeS16;
        *minimum = Widen(list->rows[0].value, type);
        *maximum = Widen(list->rows[1].value, type);
    }
    FreeOptionList(list);
    return found;
}

// The setting's lower and upper range options (its first two options).
bool ModelRange(const ConstraintContext& context, uint16_t id, uint16_t type, int64_t* minimum, int64_t* maximum)
{
    int seen = 0;
    const int count = ForEachOption(context.settings, id, [&](uint16_t n, uint64_t value, const wchar_t*) {
        if (n == 1)
            *minimum = Widen(value, type);
        else if (n == 2)
            *maximum = Widen(value, type);
        seen = n;
        return n < 2;
    });
    if (count != -1 ? seen >= 2 : seen == 2)
        return true;
    return HandlerRange(context, id, minimum, maximum);
}

}  // namespace

uint16_t CheckValueRange(const ConstraintContext& context, const SettingChange& change, PageUiRecord* ui)
{
    if (!change.value)
        return kAnswerRefused;
    if (!ui || !context.settings)
        return kAnswerError;
    uint64_t holder = 0;
    std::memcpy(&holder, change.value, change.type == kTypeS16 || change.type == kTypeU16 ? 2 : 4);
    const int64_t value = Widen(holder, change.type);
    int64_t minimum = 0, maximum = 0;
    uint32_t divisor = 1;
    uint16_t decimals = 0;
    UINT textId = 0;
    if (ui->flags & kUiFixedRange) {
        const FixedRange* row = nullptr;
        for (const FixedRange& r : kFixedRanges)
            if (r.id == change.id)
                row = &r;
        if (!row)
            return kAnswerError;
        minimum = row->minimum;
        maximum = row->maximum;
        divisor = row->divisor;
        decimals = divisor == 10 ? 1 : 0;
        textId = row->textId;
    } else {
        uint32_t scaleOn = 0;
        if (change.id == kFidZoom) {
            if (!ReadSettingNumber(kFidLayoutScaleOn, context.settingsRecord, context.printerSettingsRecord,
                                   &scaleOn))
                return kAnswerError;
            if (scaleOn == 0)
                return kAnswerGoAhead;
        }
        if (!ModelRange(context, change.id, change.type, &minimum, &maximum))
            return kAnswerError;
        if (change.id == kFidCopies) {
            uint32_t most = static_cast<uint32_t>(maximum);
            if (!AdjustMaxCopies(context.settingsRecord, context.printerSettingsRecord, context.settings->main,
                                 context.settings->linked, &most))
                return kAnswerError;
            maximum = most;
        }
        if (ui->flags & kUiDecimals) {
            decimals = ui->decimals;
            for (uint16_t d = 0; d < decimals; ++d)
                divisor *= 10;
        }
    }
    if (value >= minimum && value <= maximum)
        return kAnswerGoAhead;
    int32_t shownMin = static_cast<int32_t>(minimum), shownMax = static_cast<int32_t>(maximum);
    if (ui->flags & kUiUnitChange) {
        uint32_t converted = 0;
        ConvertSliderValue(kStoredToSlider, change.id, kTypeS32, &shownMin, &converted);
        shownMin = static_cast<int32_t>(converted);
        ConvertSliderValue(kStoredToSlider, change.id, kTypeS32, &shownMax, &converted);
        shownMax = static_cast<int32_t>(converted);
    }
    ui->minimum = shownMin;
    ui->maximum = shownMax;
    ui->decimals = decimals;
    ui->divisor = divisor;
    ui->valueType = change.type;
    ui->textId = textId;
    return kAnswerNeedsDisplay;
}

uint16_t CheckStampCount(HANDLE printer, const ConstraintContext& context, const SettingChange& change,
                         uint16_t* choice)
{
    if (change.id == kStampListSetting)
        return kAnswerGoAhead;
    if (change.id != kActionStampAdd || !choice || !context.settings)
        return kAnswerError;
    const StampStoreOf store(printer, context.settings);
    uint32_t count = 0;
    if (CountStamps(store.at, &count) != kStampOk)
        return kAnswerError;
    if (count < kMaxStoredStamps)
        return kAnswerRefused;
    *choice = kChoiceFixedWarning;
    return kAnswerNeedsDisplay;
}

uint16_t ShowConflictWarning(HWND window, const ConstraintContext& context, const SettingChange& change,
                             const PageUiRecord& ui)
{
    if (!GetUiContext(window))
        return kAnswerRefused;
    wchar_t* text = nullptr;
    if (ui.textId != 0) {
        FormatConflictTemplate(GetResourceModule(), &text, 0, ui.textId);
    } else {
        wchar_t name[kValueTextChars] = {};
        wchar_t minimum[kValueTextChars] = {};
        wchar_t maximum[kValueTextChars] = {};
        const uint16_t type = ui.valueType ? ui.valueType : kTypeS32;
        const uint32_t divisor = ui.divisor ? ui.divisor : 1;
        if (FormatSettingValueText(true, context, name, change.id, nullptr, nullptr, 0) &&
            FormatSettingNumber(minimum, kValueTextChars, static_cast<uint32_t>(ui.minimum), type, divisor) &&
            FormatSettingNumber(maximum, kValueTextChars, static_cast<uint32_t>(ui.maximum), type, divisor))
            FormatConflictTemplate(GetResourceModule(), &text, 0, kTemplateRange, name, minimum, maximum);
    }
    if (text) {
        AskUser(GetResourceModule(), kConflictTitleString, L"", text, kWarningStyle);
        GlobalFree(text);
    }
    return kAnswerRefused;
}

uint16_t ShowStampsFullWarning(HWND window)
{
    wchar_t* text = nullptr;
    if (GetUiContext(window) && FormatConflictTemplate(GetResourceModule(), &text, 0, kStampsFullText)) {
        AskUser(GetResourceModule(), kConflictTitleString, L"", text, kWarningStyle);
        GlobalFree(text);
    }
    return kAnswerRefusedNoted;
}
