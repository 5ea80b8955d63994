// The texts of conflict messages: templates, value texts and the conflict list.
#include "common/conflicts/conflict_messages.h"

#include "common/capabilities/capability_options.h"
#include "common/constraints/constraint_engine.h"
#include "common/constraints/rule_evaluation.h"
#include "common/context/model_lookups.h"
#include "common/context/paper_list.h"
#include "common/context/value_by_type.h"
#include "common/options/option_lists.h"
#include "common/options/user_paper_text.h"
#include "common/settings/function_ids.h"
#include "common/settings/paper_codes.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "common/system/positional_format.h"
#include "common/system/system_utilities.h"
#include "common/system/user_prompt.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

constexpr int kDefaultCapacity = 1024;
constexpr size_t kFormatHeadroom = 65536;
constexpr UINT kEmptyStringText = 306;
constexpr uint16_t kStringSetting = 5129;

// Settings a conflict message never names; 270 only while 5202 is not 1.
constexpr uint16_t kNeverListed[] = {346, 348, 8205, 443, 342, 343, 1794, 1809};
constexpr uint16_t kListedUnless5202 = 270;

struct InvolvementRow {
    uint16_t bit;
    uint16_t id;
};
constexpr InvolvementRow kInvolvement[] = {
    {1, 8},     {2, 262},   {4, 13},    {8, 265},    {16, 389},   {32, 266},
    {64, 410},  {128, 411}, {256, 407}, {512, 408}, {1024, 409}, {2048, 333},
};

// Settings whose values show as numbers; 268 and 269 in tenths.
bool IsNumberSetting(uint16_t id)
{
    return id == 12 || id == 263 || id == 268 || id == 269 || (id >= 274 && id <= 285) || id == 323;
}

void CutAtLineEnd(wchar_t* text) { text[wcscspn(text, L"\r\n")] = L'\0'; }

bool SettingName(const ConstraintContext& context, uint16_t id, wchar_t* out, size_t chars)
{
    uint16_t kind = 0, count = 0, status = 0;
    const wchar_t* name = nullptr;
    ModelSection* feature = nullptr;
    if (!GetItemFeature(context.settings, id, &kind, &count, &name, &feature, &status) || !name) {
        FreeItemFeature(feature);
        return false;
    }
    lstrcpynW(out, name, static_cast<int>(chars));
    FreeItemFeature(feature);
    CutAtLineEnd(out);
    return true;
}

bool Listed(const ConstraintContext& context, uint16_t id)
{
    if (std::find(std::begin(kNeverListed), std::end(kNeverListed), id) != std::end(kNeverListed))
        return false;
    uint32_t value = 0;
    if (id == kListedUnless5202)
        return ReadSettingNumber(5202, context.settingsRecord, context.printerSettingsRecord, &value) == 1 &&
               value != 1;
    return true;
}

// Switch settings 1296-1301 and the kind setting 286 show fixed texts.
constexpr uint16_t kSwitchFirst = 1296;
constexpr uint16_t kSwitchLast = 1301;
constexpr UINT kSwitchNotSet = 2001;
constexpr UINT kSwitchOn = 2002;
constexpr UINT kSwitchOff = 2003;
constexpr uint16_t kSwitchKind = 286;
constexpr UINT kSwitchKindNotSet = 2004;
constexpr UINT kSettingsSuffix = 305;
constexpr UINT kLimitTemplate = 704;
constexpr UINT kDecimalSeparator = 9241;
constexpr uint16_t kSameAsDocumentPaper = 267;
constexpr uint16_t kFormSource = 15;
constexpr uint16_t kSourceDefault = 258;
constexpr uint16_t kTrayKindInput = 5;
constexpr uint16_t kTrayKindOutput = 6;

void AppendResourceText(HMODULE module, UINT id, wchar_t* out)
{
    wchar_t text[kValueTextChars] = {};
    if (LoadStringW(module, id, text, kValueTextChars) > 0)
        wcsncat(out, text, kValueTextChars - 1 - wcslen(out));
}

// The display name of the option holding `number`, cut at its line end.
bool OptionName(const ConstraintContext& context, uint16_t id, uint32_t number, uint16_t type, wchar_t* out)
{
    bool found = false;
    const uint64_t mask = type == kTypeS16 || type == kTypeU16 ? 0xFFFF : 0xFFFFFFFF;
    ForEachOption(context.settings, id, [&](uint16_t, uint64_t option, const wchar_t* name) {
        if (!found && (option & mask) == (number & mask)) {
            lstrcpynW(out, name, kValueTextChars);
            CutAtLineEnd(out);
            found = true;
        }
        return true;
    });
    return found;
}

// A length with `divisor` in the resource's decimal separator, the fraction
// padded with zeros to the divisor's width: 2100 / 10 -> "210.0".
void FormatUnitNumber(uint32_t value, uint32_t divisor, wchar_t* out, size_t chars)
{
    wchar_t separator[2] = {L'.', 0};
    wchar_t loaded[kValueTextChars] = {};
    if (LoadStringW(GetResourceModule(), kDecimalSeparator, loaded, kValueTextChars) > 0)
        separator[0] = loaded[0];
    int width = 0;
    for (uint32_t d = divisor; d > 1; d /= 10)
        ++width;
    if (divisor <= 1)
        swprintf(out, chars, L"%lu", static_cast<unsigned long>(value));
    else
        swprintf(out, chars, L"%lu%ls%0*lu", static_cast<unsigned long>(value / divisor), separator, width,
                 static_cast<unsigned long>(value % divisor));
}

// " (w x l mm)" or, on pages that show inches, in hundredths of an inch with two
// decimals (one when the page asks for one).
void AppendSizeText(uint32_t width, uint32_t length, const PaperUnits& units, wchar_t* out)
{
    wchar_t w[32] = {}, l[32] = {};
    if (units.inch) {
        const uint32_t divisor = units.precision == 1 ? 10 : 100;
        auto inch = [&](uint32_t tenths) {
            const uint32_t hundredths = static_cast<uint32_t>(TenthMmToHundredthInch(static_cast<int32_t>(tenths)));
            return divisor == 10 ? (hundredths + 5) / 10 : hundredths;
        };
        FormatUnitNumber(inch(width), divisor, w, 32);
        FormatUnitNumber(inch(length), divisor, l, 32);
    } else {
        FormatUnitNumber(width, 10, w, 32);
        FormatUnitNumber(length, 10, l, 32);
    }
    wchar_t format[kValueTextChars] = {};
    wchar_t unit[kValueTextChars] = {};
    LoadPromptText(GetResourceModule(), kPaperSizeFormatString, L" (%1s x %2s %3s)", format, kValueTextChars);
    LoadPromptText(GetResourceModule(), units.inch ? kInchUnitString : kMillimetreUnitString,
                   units.inch ? L"in" : L"mm", unit, kValueTextChars);
    const size_t used = wcslen(out);
    FormatPositional(out + used, static_cast<int>(kValueTextChars - used), format, w, l, unit);
}

// Paper sizes: the paper list's name, or a user-defined size's name and size.
// 1 done, 0 failure, -1 an ordinary paper (the option's name).
int PaperValueText(const ConstraintContext& context, uint16_t paper, const PaperUnits& units, wchar_t* out)
{
    if (HasPaperList(context.settings)) {
        const wchar_t* name = nullptr;
        if (FindPaperListEntry(context.settings, kPaperKeyPaperNumber, &paper, kPaperOutName, &name) == kPaperListOk &&
            name) {
            lstrcpynW(out, name, kValueTextChars);
            return 1;
        }
    }
    if (paper == kFreeCustomPaperCode) {
        int16_t width = 0, length = 0;
        if (!OptionName(context, kFidPaperSize, paper, kTypeS16, out) ||
            !GetCustomPaperSize(context.settingsRecord, context.printerSettingsRecord, &width, &length))
            return 0;
        AppendSizeText(static_cast<uint16_t>(width), static_cast<uint16_t>(length), units, out);
        return 1;
    }
    const uint16_t index = CustomPaperIndex(paper);
    if (index == kNoUserPaper)
        return -1;
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    if (GetFunctionIdValue(static_cast<uint16_t>(kFidUserPaperNameFirst + index), context.settingsRecord,
                           context.printerSettingsRecord, &type, &size, &holder) != 0)
        return 0;
    const auto* name = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(holder));
    lstrcpynW(out, name ? name : L"", kValueTextChars);
    CutAtLineEnd(out);
    uint16_t width = 0, length = 0;
    if (!GetPaperSizeById(&context, paper, &width, &length))
        return 0;
    AppendSizeText(width, length, units, out);
    return 1;
}

// The tray record kind of a source setting's value, 0 for no tray.
int SourceKind(uint16_t id, uint32_t value)
{
    if ((id == kFidDefaultSource && value != kFormSource) || (id == kFidPaperSource && value != kSourceDefault) ||
        id == kFidSecondSource)
        return kTrayKindInput;
    return id == kFidOutputBin ? kTrayKindOutput : 0;
}

// The tray's size limits after its name (template 704); nothing for a tray
// without limits.
void AppendTrayLimits(const ConstraintContext& context, uint16_t kind, uint16_t tray, wchar_t* out)
{
    TrayLimits limits{};
    if (GetTrayPaperLimits(context.settings, kind, tray, &limits) != 0)
        return;
    wchar_t n[4][32] = {};
    FormatUnitNumber(limits.minWidth, 10, n[0], 32);
    FormatUnitNumber(limits.minHeight, 10, n[1], 32);
    FormatUnitNumber(limits.maxWidth, 10, n[2], 32);
    FormatUnitNumber(limits.maxHeight, 10, n[3], 32);
    const std::wstring name(out);
    wchar_t* text = nullptr;
    if (FormatConflictTemplate(GetResourceModule(), &text, kValueTextChars, kLimitTemplate, name.c_str(), n[0], n[1],
                               n[2], n[3])) {
        lstrcpynW(out, text, kValueTextChars);
        GlobalFree(text);
    }
}

}  // namespace

int FormatConflictTemplate(HMODULE module, wchar_t** out, int capacity, UINT templateId, ...)
{
    if (!out)
        return 0;
    *out = nullptr;
    if (capacity <= 0)
        capacity = kDefaultCapacity;
    const wchar_t* text = nullptr;
    const int length = module ? LoadStringW(module, templateId, reinterpret_cast<wchar_t*>(&text), 0) : 0;
    if (length <= 0 || !text)
        return 0;
    std::wstring format(text, static_cast<size_t>(length));
    // The formatter leaves out a piece that does not fit, so the text is made
    // in a room well beyond the capacity and measured there.
    const size_t room = static_cast<size_t>(capacity) + kFormatHeadroom;
    std::wstring work(room, L'\0');
    va_list args;
    va_start(args, templateId);
    const int written = FormatPositionalV(work.data(), static_cast<int>(room), format.c_str(), args);
    va_end(args);
    if (written >= capacity - 1 || written >= static_cast<int>(room) - 1)
        return 0;
    auto* block = static_cast<wchar_t*>(GlobalAlloc(GPTR, static_cast<size_t>(capacity) * sizeof(wchar_t)));
    if (!block)
        return 0;
    std::memcpy(block, work.c_str(), (static_cast<size_t>(written) + 1) * sizeof(wchar_t));
    *out = block;
    return 1;
}

int FormatSettingNumber(wchar_t* out, size_t chars, uint32_t value, uint16_t type, uint32_t divisor)
{
    if (!out || chars == 0 || divisor == 0)
        return 0;
    const bool isSigned = type == kTypeS16 || type == kTypeS32 || type == kTypeFlag;
    int64_t number = value;
    if (type == kTypeS16)
        number = static_cast<int16_t>(value);
    else if (isSigned)
        number = static_cast<int32_t>(value);
    else if (type == kTypeU16)
        number = static_cast<uint16_t>(value);
    int n = 0;
    if (divisor == 1) {
        n = swprintf(out, chars, L"%lld", static_cast<long long>(number));
    } else {
        const uint64_t magnitude = number < 0 ? static_cast<uint64_t>(-number) : static_cast<uint64_t>(number);
        n = swprintf(out, chars, L"%ls%llu.%llu", number < 0 ? L"-" : L"",
                     static_cast<unsigned long long>(magnitude / divisor),
                     static_cast<unsigned long long>(magnitude % divisor));
    }
    return n > 0 ? 1 : 0;
}

int FormatSettingValueText(bool nameOnly, const ConstraintContext& context, wchar_t* out, uint16_t id,
                           const void* value, const PaperUnits* units, int textFlags)
{
    if (!out || !context.settings)
        return 0;
    out[0] = L'\0';
    HMODULE module = GetResourceModule();
    if (!nameOnly && id >= kSwitchFirst && id <= kSwitchLast) {
        uint32_t number = 0;
        if (value)
            std::memcpy(&number, value, sizeof number);
        const UINT text = !value ? kSwitchNotSet : number == 1 ? kSwitchOn : kSwitchOff;
        return LoadStringW(module, text, out, kValueTextChars) > 0 ? 1 : 0;
    }
    if (!nameOnly && !value && id == kSwitchKind)
        return LoadStringW(module, kSwitchKindNotSet, out, kValueTextChars) > 0 ? 1 : 0;
    if (nameOnly || !value) {
        if (!SettingName(context, id, out, kValueTextChars))
            return 0;
        if (id == 327 || id == 328)
            AppendResourceText(module, kSettingsSuffix, out);
        return 1;
    }
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t current = 0;
    if (GetFunctionIdValue(id, context.settingsRecord, context.printerSettingsRecord, &type, &size, &current) != 0)
        return 0;
    if (id == kStringSetting) {
        const auto* text = *static_cast<const wchar_t* const*>(value);
        if (text && text[0]) {
            lstrcpynW(out, text, kValueTextChars);
            return 1;
        }
        return LoadStringW(module, kEmptyStringText, out, kValueTextChars) > 0 ? 1 : 0;
    }
    uint32_t number = 0;
    std::memcpy(&number, value, type == kTypeS16 || type == kTypeU16 ? 2 : 4);
    if (type == kTypeS16 || type == kTypeU16)
        number &= 0xFFFF;
    if (IsNumberSetting(id))
        return FormatSettingNumber(out, kValueTextChars, number, type, id == 268 || id == 269 ? 10 : 1);
    const PaperUnits metric{};
    const PaperUnits& shown = units ? *units : metric;
    if (id == kFidPaperSize || (id == kFidOutputPaper && number != kSameAsDocumentPaper))
        if (const int done = PaperValueText(context, static_cast<uint16_t>(number), shown, out); done >= 0)
            return done;
    const int trayKind = SourceKind(id, number);
    if (!OptionName(context, id, number, type, out))
        return 0;
    if (trayKind != 0 && (textFlags & kValueTextLimits))
        AppendTrayLimits(context, static_cast<uint16_t>(trayKind), static_cast<uint16_t>(number), out);
    return 1;
}

int CollectConflictSettings(const ConstraintContext& context, const ConstraintResult& result, const uint16_t* involved,
                            uint16_t ids[kConflictListRoom])
{
    int count = 0;
    auto add = [&](uint16_t id) {
        if (count >= kConflictListRoom - 1 || id == 0 || !Listed(context, id) ||
            std::find(ids, ids + count, id) != ids + count)
            return;
        ids[count++] = id;
    };
    for (const uint16_t* p = involved; p && *p; ++p)
        add(*p);
    for (const InvolvementRow& row : kInvolvement)
        if (result.involvementBits & row.bit)
            add(row.id);
    ids[count] = 0;
    return count;
}
