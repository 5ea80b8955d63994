#include "common/settings/trace_settings_dump.h"

#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/trace_log.h"

#include <cwchar>

namespace {

constexpr uint16_t kPublicIdFirst = 1;
constexpr uint16_t kPublicIdLast = 25;
constexpr uint16_t kPrivateIdFirst = 257;
constexpr uint16_t kPrivateIdLast = 484;
constexpr wchar_t kSeparator[] = L"---------------------------------------------------------------------";
static_assert(sizeof(kSeparator) / sizeof(wchar_t) - 1 == 69);

// Longest string value a dump line shows, within the trace line limit.
constexpr int kMaxShownChars = 256;

struct SettingValue {
    uint16_t type;
    uint64_t holder;
    wchar_t text[kMaxShownChars + 1];  // string settings, terminated here
};

bool ReadSetting(uint16_t id, void* settingsRecord, void* printerSettingsRecord, SettingValue* value)
{
    uint32_t size = 0;
    value->holder = 0;
    value->text[0] = L'\0';
    if (GetFunctionIdValue(id, settingsRecord, printerSettingsRecord, &value->type, &size, &value->holder)
        != kSettingOk)
        return false;
    if (value->type == kTypeString) {
        const wchar_t* text = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(value->holder));
        size_t chars = size / 2;
        if (chars > kMaxShownChars)
            chars = kMaxShownChars;
        size_t n = 0;
        for (; n < chars && text[n] != L'\0'; ++n)
            value->text[n] = text[n];
        value->text[n] = L'\0';
    }
    return true;
}

void DumpSettingLine(TraceDumpScope& dump, uint16_t id, const SettingValue& value)
{
    const uint32_t word = static_cast<uint32_t>(value.holder);
    switch (value.type) {
    case kTypeFlag:
    case kTypeFontS32: dump.Line(L"[0x%04x] = [%d]", id, static_cast<int32_t>(word)); break;
    case kTypeS16: dump.Line(L"[0x%04x] = [%d]", id, static_cast<int16_t>(word)); break;
    case kTypeU16: dump.Line(L"[0x%04x] = [0x%02x]", id, static_cast<uint16_t>(word)); break;
    case kTypeS32: dump.Line(L"[0x%04x] = [%ld]", id, static_cast<int32_t>(word)); break;
    case kTypeU32: dump.Line(L"[0x%04x] = [0x%04x]", id, word); break;
    case kTypeString: dump.Line(L"[0x%04x] = [%s]", id, value.text); break;
    case kTypeByte: dump.Line(L"[0x%04x] = [0x%x]", id, static_cast<uint8_t>(word)); break;
    default: dump.Line(L"???"); break;
    }
}

void DumpRange(TraceDumpScope& dump, uint16_t first, uint16_t last, void* settingsRecord, void* printerSettingsRecord)
{
    SettingValue value;
    for (uint32_t id = first; id <= last; ++id) {
        if (ReadSetting(static_cast<uint16_t>(id), settingsRecord, printerSettingsRecord, &value))
            DumpSettingLine(dump, static_cast<uint16_t>(id), value);
    }
}

}  // namespace

int TraceDumpPrivateSetting(const wchar_t* title, void* settingsRecord, uint16_t id)
{
    const uint32_t bits = GetTraceBits();
    if ((bits & (kTraceOn | kTraceRecordDumps)) != (kTraceOn | kTraceRecordDumps))
        return 1;
    SettingValue value;
    const bool read = ReadSetting(id, settingsRecord, nullptr, &value);
    TraceDumpScope dump;
    dump.Line(L"%s", title != nullptr ? title : L"\n<PrivateDevmode>");
    if (!read)
        return dump.ok();
    if (value.type == kTypeString)
        dump.Line(L"FunctionID:%d(0x%X)       = %s", id, id, value.text);
    else
        dump.Line(L"FunctionID:%d(0x%X)       = %d", id, id, static_cast<int32_t>(value.holder));
    return dump.ok();
}

int TraceDumpSettings(uint32_t category, const wchar_t* title, void* settingsRecord, void* printerSettingsRecord)
{
    if (settingsRecord == nullptr && printerSettingsRecord == nullptr)
        return 1;
    const uint32_t bits = GetTraceBits();
    uint16_t extra[kMaxTraceExtraIds];
    const int extraCount = GetTraceExtraIds(extra, kMaxTraceExtraIds);
    if (!(bits & kTraceOn))
        return 1;
    if (!(bits & (kTracePublicSettingDump | kTracePrivateSettingDump)) && extraCount == 0)
        return 1;
    if ((bits & kTraceDumpCategories) && !(category & bits & kTraceDumpCategories))
        return 1;

    TraceDumpScope dump;
    if (title != nullptr)
        dump.Line(L"%s", title);
    dump.Line(L"%s", kSeparator);
    if (bits & kTracePublicSettingDump)
        DumpRange(dump, kPublicIdFirst, kPublicIdLast, settingsRecord, printerSettingsRecord);
    if (bits & kTracePrivateSettingDump)
        DumpRange(dump, kPrivateIdFirst, kPrivateIdLast, settingsRecord, printerSettingsRecord);
    SettingValue value;
    for (int i = 0; i < extraCount; ++i) {
        if (ReadSetting(extra[i], settingsRecord, printerSettingsRecord, &value))
            DumpSettingLine(dump, extra[i], value);
    }
    dump.Line(L"%s", kSeparator);
    return dump.ok();
}
