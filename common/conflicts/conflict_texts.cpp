// The texts of conflict messages: templates, value texts and the conflict list.
#include "common/capabilities/capability_options.h"
#include "common/conflicts/conflict_messages.h"
#include "common/constraints/constraint_engine.h"
#include "common/context/model_lookups.h"
#include "common/context/value_by_type.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/module_files.h"
#include "common/system/positional_format.h"

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
                           const void* value)
{
    if (!out || !context.settings)
        return 0;
    out[0] = L'\0';
    if (nameOnly || !value)
        return SettingName(context, id, out, kValueTextChars) ? 1 : 0;
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
        return LoadStringW(GetResourceModule(), kEmptyStringText, out, kValueTextChars) > 0 ? 1 : 0;
    }
    uint32_t number = 0;
    std::memcpy(&number, value, type == kTypeS16 || type == kTypeU16 ? 2 : 4);
    if (IsNumberSetting(id))
        return FormatSettingNumber(out, kValueTextChars, number, type, id == 268 || id == 269 ? 10 : 1);
    // Any other setting: the display name of the option holding the value.
    bool found = false;
    ForEachOption(context.settings, id, [&](uint16_t, uint64_t option, const wchar_t* name) {
        const uint64_t mask = type == kTypeS16 || type == kTypeU16 ? 0xFFFF : 0xFFFFFFFF;
        if (!found && (option & mask) == (number & mask)) {
            lstrcpynW(out, name, kValueTextChars);
            CutAtLineEnd(out);
            found = true;
        }
        return true;
    });
    return found ? 1 : 0;
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
