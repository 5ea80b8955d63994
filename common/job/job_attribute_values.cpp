#include "common/job/job_attribute_values.h"

#include "common/context/settings_context.h"
#include "common/job/job_attribute_reads.h"
#include "common/job/job_header.h"
#include "common/job/job_header_codes.h"
#include "common/job/job_setting_ids.h"
#include "common/model/model_value_ops.h"
#include "common/records/effective_values.h"
#include "common/settings/function_ids.h"
#include "common/settings/paper_codes.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/system/code_pages.h"
#include "common/system/global_block.h"
#include "common/system/lock_table.h"
#include "common/system/setting_rules.h"
#include "common/system/spooler_forms.h"
#include "common/system/user_and_process.h"

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <string>

namespace {


constexpr uint16_t kFirstUserPaper = 262;
constexpr uint32_t kUserNameChars = 255;
constexpr uint32_t kLongUserTextChars = 64;
constexpr uint32_t kShortUserTextChars = 12;
constexpr char kUnknownUser[] = "UnknownUser";

// Searched in this order.
struct PaperKeyword {
    uint16_t paper;
    const char* keyword;
};
constexpr PaperKeyword kPaperKeywords[] = {
    {8, "A3"},          {9, "A4"},           {11, "A5"},         {70, "A6"},           {12, "B4"},
    {13, "B5"},         {1, "INCH85_11"},    {14, "INCH85_13"},  {5, "INCH85_14"},     {3, "INCH11_17"},
    {6, "INCH55_85"},   {259, "INCH8_10"},   {260, "INCH12_18"}, {261, "SRA3"},        {257, "8KAI"},
    {258, "16KAI"},     {43, "HAGAKI"},      {kFirstUserPaper, "UNFIXED:%hu:%hu"},
};

// A writer appends the value after the key: 1 a value (possibly empty), 0 no
// value, or a negative code.
using ValueWriter = int (*)(JobHeaderState* state, uint16_t id);

void* Settings(JobHeaderState* s) { return s->context->settingsRecord; }
void* Printer(JobHeaderState* s) { return s->context->printerSettingsRecord; }

int Done(int status) { return status == 0 ? 1 : status; }

int ByType(JobHeaderState* state, uint16_t id)
{
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    const int status =
        JobSettingStatusCode(GetFunctionIdValue(id, Settings(state), Printer(state), &type, &size, &holder));
    if (status != 0)
        return status;
    JobText* out = state->out;
    uint32_t need = 0;
    switch (type) {
    case kTypeFlag: case kTypeS32: case kTypeU32: case kTypeFontS32: need = 4; break;
    case kTypeS16: case kTypeU16: need = 2; break;
    case kTypeByte: need = 1; break;
    case kTypeString: break;
    case 7: return kJobErrValueTypeUnknown;
    default: return kJobErrValueTypeNotWritable;
    }
    if (type != kTypeString && size != need)
        return kJobErrValueSize;
    switch (type) {
    case kTypeFlag: return Done(AppendJobChars(out, static_cast<uint32_t>(holder) == 1 ? "ON" : "OFF"));
    case kTypeS16: return Done(AppendJobSigned(out, static_cast<int16_t>(holder)));
    case kTypeU16: return Done(AppendJobUnsigned(out, static_cast<uint16_t>(holder)));
    // Type 10 holds the signed 32-bit fields of a font record: written as type 4.
    case kTypeS32: case kTypeFontS32: return Done(AppendJobSigned(out, static_cast<int32_t>(holder)));
    case kTypeU32: return Done(AppendJobUnsigned(out, static_cast<uint32_t>(holder)));
    case kTypeByte: return Done(AppendJobSigned(out, static_cast<uint8_t>(holder)));
    default: {
        const wchar_t* text = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(holder));
        if (text == nullptr)
            return kJobErrSettingUnavailable;
        return Done(AppendJobWideN(out, text, static_cast<uint32_t>(wcsnlen(text, size / sizeof(wchar_t)))));
    }
    }
}

int Copies(JobHeaderState* state, uint16_t id)
{
    if (GetEffectiveValue(Settings(state), Printer(state), kFidCollate) == 1 &&
        GetCollateSupport(Settings(state), Printer(state), &state->capabilities) == 2)
        return Done(AppendJobChars(state->out, "1"));
    return ByType(state, id);
}

// Written once per job: the text is cleared once it went into a header.
int OneShotText(JobHeaderState* state, uint16_t id)
{
    uint32_t monitorJobs = 0;
    if (ReadJobSettingNumber(kJobFidDocMonitorJobs, Settings(state), Printer(state), &monitorJobs) == 0 &&
        monitorJobs != 0)
        return 0;
    const wchar_t* text = nullptr;
    uint32_t room = 0;
    const int status = ReadJobSettingText(id, Settings(state), Printer(state), &text, &room);
    if (status != 0)
        return status;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text);
    const uint32_t limit = room * sizeof(wchar_t);
    uint32_t n = 0;
    while (n < limit && bytes[n] != 0)
        ++n;
    if (n == 0)
        return 0;
    const int appended = AppendJobBytes(state->out, bytes, n);
    if (appended != 0)
        return appended;
    SetFunctionIdValueArgs(Settings(state), Printer(state), id, kTypeString, sizeof(wchar_t), L"");
    return 1;
}

// The size of spooler form `number` in whole millimetres, rounded half up.
bool ReadFormMillimetres(HANDLE printer, uint16_t number, uint32_t* width, uint32_t* length)
{
    FORM_INFO_1W* forms = nullptr;
    DWORD bytes = 0, count = 0;
    if (number == 0 || EnumSpoolerForms(printer, &forms, &bytes, &count) != kFormsOk)
        return false;
    GlobalBlockPtr<FORM_INFO_1W> owner(forms);
    if (number > count)
        return false;
    const SIZEL size = forms[number - 1].Size;
    if (size.cx < 0 || size.cy < 0)
        return false;
    *width = (static_cast<uint32_t>(size.cx) / 100 + 5) / 10;
    *length = (static_cast<uint32_t>(size.cy) / 100 + 5) / 10;
    return true;
}

int PaperKeywordValue(JobHeaderState* state, uint16_t id)
{
    uint32_t number = 0;
    const int status = ReadJobSettingNumber(id, Settings(state), Printer(state), &number);
    if (status != 0)
        return status;
    const uint16_t paper = static_cast<uint16_t>(number);
    const char* keyword = FindPaperKeyword(IsCustomPaperCode(paper) ? kFirstUserPaper : paper);
    if (keyword == nullptr)
        return kJobErrMissingData;
    if (!IsCustomPaperCode(paper))
        return Done(AppendJobChars(state->out, keyword));
    // A user-defined size: the form's size, in the order the feed direction gives.
    uint32_t selector = 0, edge = 0, width = 0, length = 0;
    if (ReadJobSettingNumber(kJobFidFeedSelector, Settings(state), Printer(state), &selector) != 0)
        return kJobErrMissingData;
    const uint16_t decider = selector == 4 ? kJobFidFeedEdge : selector == 264 ? kJobFidSecondFeedEdge : 0;
    if (decider == 0 || ReadJobSettingNumber(decider, Settings(state), Printer(state), &edge) != 0 ||
        !ReadFormMillimetres(state->context->printer, paper, &width, &length))
        return kJobErrMissingData;
    const bool widthFirst = edge == 2;
    int s = AppendJobChars(state->out, "UNFIXED:");
    if (s == 0) s = AppendJobUnsigned(state->out, widthFirst ? width : length);
    if (s == 0) s = AppendJobChars(state->out, ":");
    if (s == 0) s = AppendJobUnsigned(state->out, widthFirst ? length : width);
    return Done(s);
}

int FeedEdge(JobHeaderState* state, uint16_t id)
{
    struct Pair {
        uint16_t on;
        uint16_t tray;
    };
    static constexpr Pair kPairs[] = {{404, 407}, {405, 408}, {406, 409}};
    if (id == kJobFidFeedEdge) {
        for (const Pair& p : kPairs) {
            if (JobSettingOr(p.on, Settings(state), Printer(state), 0) == 1 &&
                JobSettingOr(p.tray, Settings(state), Printer(state), 0) == 4) {
                uint32_t edge = 0;
                const int status = ReadJobSettingNumber(kJobFidFeedEdge, Settings(state), Printer(state), &edge);
                if (status != 0)
                    return status;
                return Done(AppendJobChars(state->out, (edge & 0xFFFF) == 2 ? "SEF" : "LEF"));
            }
        }
    }
    uint32_t edge = 0;
    const int status = ReadJobSettingNumber(kJobFidDefaultFeedEdge, Settings(state), Printer(state), &edge);
    if (status != 0)
        return status;
    return Done(AppendJobChars(state->out, (edge & 0xFF) == 2 ? "SEF" : "LEF"));
}

// The text without its leading zeros; a text of zeros only is written as "0".
int LeadingZeroText(JobHeaderState* state, uint16_t id)
{
    const wchar_t* text = nullptr;
    uint32_t room = 0;
    const int status = ReadJobSettingText(id, Settings(state), Printer(state), &text, &room);
    if (status != 0)
        return status;
    const size_t n = wcsnlen(text, room);
    size_t i = 0;
    while (i < n && text[i] == L'0')
        ++i;
    if (i == n && n > 0)
        return Done(AppendJobChars(state->out, "0"));
    return Done(AppendJobWideN(state->out, text + i, static_cast<uint32_t>(n - i)));
}

int AppendUserText(JobHeaderState* state)
{
    char text[kLongUserTextChars * 2 + 1];
    const int n = MakeJobUserText(state->context->userText, (state->flags & kHeaderLongUserText) != 0, text,
                                  sizeof text);
    if (n <= 0)
        return 0;
    return Done(AppendJobBytes(state->out, text, static_cast<uint32_t>(n)));
}

int UserCode(JobHeaderState* state, uint16_t id)
{
    uint32_t source = 0;
    const int status = ReadJobSettingNumber(kJobFidUserCodeSource, Settings(state), Printer(state), &source);
    if (status != 0)
        return status;
    if (source == 0) {
        const int written = ByType(state, id);
        return written == kJobErrSettingUnknown || written == kJobErrSettingUnavailable ? kJobErrMissingData
                                                                                         : written;
    }
    return source == 1 ? AppendUserText(state) : kJobErrBadValue;
}

int UserTextValue(JobHeaderState* state, uint16_t) { return AppendUserText(state); }

// Page numbers 2-9998 of settings 1834-1853, ascending, each once, joined by ":".
int PageList(JobHeaderState* state, uint16_t)
{
    constexpr int kCount = kJobFidPageListLast - kJobFidPageListFirst + 1;
    uint16_t kept[kCount];
    int n = 0;
    for (uint16_t id = kJobFidPageListFirst; id <= kJobFidPageListLast; ++id) {
        uint32_t v = 0;
        const int status = ReadJobSettingNumber(id, Settings(state), Printer(state), &v);
        if (status != 0)
            return status;
        v &= 0xFFFF;
        if (v >= 2 && v <= 9998)
            kept[n++] = static_cast<uint16_t>(v);
    }
    if (n == 0)
        return 0;
    // A value's place is the number of kept values smaller than it: equal values
    // share a place and are written once.
    uint16_t byPlace[kCount] = {};
    bool used[kCount] = {};
    for (int i = 0; i < n; ++i) {
        int place = 0;
        for (int j = 0; j < n; ++j)
            place += kept[j] < kept[i] ? 1 : 0;
        byPlace[place] = kept[i];
        used[place] = true;
    }
    bool first = true;
    int s = 0;
    for (int p = 0; p < kCount && s == 0; ++p) {
        if (!used[p])
            continue;
        if (!first)
            s = AppendJobChars(state->out, ":");
        if (s == 0)
            s = AppendJobUnsigned(state->out, byPlace[p]);
        first = false;
    }
    return Done(s);
}

int UserName(JobHeaderState* state, uint16_t)
{
    if (JobSettingOr(kJobFidUserNameAllowed, Settings(state), Printer(state), 0) != 1 &&
        JobSettingOr(kJobFidJobHeaderOn, Settings(state), Printer(state), 0) == 1)
        return 0;
    wchar_t name[kUserNameChars + 2] = {};
    if (!GetCurrentUserName(name, kUserNameChars + 1))
        name[0] = 0;
    char text[kUserNameChars * 2 + 1];
    const int n = MakeJobUserName(name, kUserNameChars, text, sizeof text);
    return n > 0 ? Done(AppendJobBytes(state->out, text, static_cast<uint32_t>(n))) : kJobErrConversion;
}

int DocMonitorId(JobHeaderState* state, uint16_t)
{
    const JobHeaderContext* c = state->context;
    if (c->docMonitorIdPresent != 1)
        return 0;
    return Done(AppendJobBytes(state->out, c->docMonitorId,
                               static_cast<uint32_t>(strnlen(c->docMonitorId, sizeof c->docMonitorId))));
}

// "%04d:%02d:%02d:%02d:%02d": the run date with the set hour and minute. The
// clock cells are shared with the document monitor's writer.
int AppendRunTime(JobText* out, const std::tm& date, int hour, int minute)
{
    int s = AppendJobPadded(out, static_cast<uint64_t>(date.tm_year + 1900), 4);
    const int parts[] = {date.tm_mon + 1, date.tm_mday, hour, minute};
    for (int part : parts) {
        if (s == 0) s = AppendJobChars(out, ":");
        if (s == 0) s = AppendJobPadded(out, static_cast<uint64_t>(part), 2);
    }
    return s;
}

// 1 with the date; 0 when it cannot be normalised; kJobErrBadArgument when
// the clock cannot be read.
int RunDate(int hour, int minute, std::tm* date)
{
    RoleLock lock(LockRole::DocMonitor);
    const std::time_t now = std::time(nullptr);
    const std::tm* local = now == static_cast<std::time_t>(-1) ? nullptr : std::localtime(&now);
    if (local == nullptr)
        return kJobErrBadArgument;
    return ComputeDelayedDate(*local, hour, minute, date);
}

int DelayedTime(JobHeaderState* state, uint16_t)
{
    uint32_t hour = 0, minute = 0;
    int status = ReadJobSettingNumber(kJobFidDelayedHour, Settings(state), Printer(state), &hour);
    if (status == 0)
        status = ReadJobSettingNumber(kJobFidDelayedMinute, Settings(state), Printer(state), &minute);
    if (status != 0)
        return status;
    std::tm date{};
    if (RunDate(static_cast<int>(hour & 0xFF), static_cast<int>(minute & 0xFF), &date) != 1)
        return 0;
    return Done(AppendRunTime(state->out, date, static_cast<int>(hour & 0xFF), static_cast<int>(minute & 0xFF)));
}

// The fax timer settings of a fax model; by type when the timer is off.
int FaxTime(JobHeaderState* state, uint16_t id)
{
    const uint32_t timer = GetEffectiveValue(Settings(state), Printer(state), kJobFidFaxTimer);
    const uint32_t hour = GetEffectiveValue(Settings(state), Printer(state), kJobFidFaxHour);
    const uint32_t minute = GetEffectiveValue(Settings(state), Printer(state), kJobFidFaxMinute);
    if (timer != 1)
        return ByType(state, id);
    if (id == kJobFidFaxTimer) {
        int s = AppendJobPadded(state->out, hour & 0xFFFF, 2);
        if (s == 0) s = AppendJobChars(state->out, ":");
        if (s == 0) s = AppendJobPadded(state->out, minute & 0xFFFF, 2);
        return Done(s);
    }
    std::tm date{};
    const int dated = RunDate(static_cast<int>(hour & 0xFFFF), static_cast<int>(minute & 0xFFFF), &date);
    if (dated < 0)
        return dated;
    if (dated != 1)
        return ByType(state, id);
    return Done(AppendRunTime(state->out, date, static_cast<int>(hour & 0xFFFF), static_cast<int>(minute & 0xFFFF)));
}

struct OwnWriter {
    uint16_t id;
    ValueWriter write;
};
constexpr OwnWriter kOwnWriters[] = {
    {kFidCopies, Copies},           {kJobFidOneShotText, OneShotText},     {kJobFidFirstPaper, PaperKeywordValue},
    {kJobFidSecondPaper, PaperKeywordValue}, {kJobFidFeedEdge, FeedEdge},    {kJobFidDefaultFeedEdge, FeedEdge},
    {kJobFidLeadingZeroText, LeadingZeroText}, {kJobFidUserCodeText, UserCode}, {kJobFidPageListFirst, PageList},
    {kJobFidUserName, UserName},       {kJobFidDocMonitorId, DocMonitorId},   {kJobFidDelayedTime, DelayedTime},
    {kJobFidUserText, UserTextValue},
};
constexpr OwnWriter kFaxWriters[] = {{kJobFidFaxTimer, FaxTime}, {kJobFidFaxSendTime, FaxTime}};

ValueWriter FindWriter(const JobHeaderState* state, uint16_t id)
{
    for (const OwnWriter& w : kOwnWriters)
        if (w.id == id)
            return w.write;
    if (GetModelDriverKind(state->settings->main) == 2)
        for (const OwnWriter& w : kFaxWriters)
            if (w.id == id)
                return w.write;
    return ByType;
}

int WriteKeyAndValue(JobHeaderState* state, const wchar_t* key, uint16_t id, ValueWriter write)
{
    if (state == nullptr || state->out == nullptr || state->context == nullptr || key == nullptr)
        return kJobErrBadArgument;
    const uint32_t start = state->out->length;
    int status = AppendJobWide(state->out, key);
    if (status == 0)
        status = write(state, id);
    if (status <= 0) {
        state->out->length = start;
        return status;
    }
    return static_cast<int>(state->out->length - start);
}

// Checks ANSI text character by character; the count of characters kept (at
// most maxChars) into *kept as a byte length. False for a character outside
// the ranges or a text of blanks only.
bool CheckAnsiText(const char* text, int length, bool doubleByte, uint32_t maxChars, int* kept)
{
    const uint8_t* b = reinterpret_cast<const uint8_t*>(text);
    int i = 0;
    uint32_t chars = 0;
    bool blanksOnly = true;
    while (i < length && chars < maxChars) {
        const uint8_t c = b[i];
        if (IsDBCSLeadByteEx(CP_ACP, c)) {
            if (!doubleByte || i + 1 >= length)
                return false;
            const uint8_t t = b[i + 1];
            const uint16_t pair = static_cast<uint16_t>(c << 8 | t);
            if (c < 0x81 || c > 0xFC || t < 0x40 || t > 0xFC)
                return false;
            if (pair != 0x8140)
                blanksOnly = false;
            i += 2;
        } else {
            if (!((c >= 0x20 && c <= 0x7E) || (c >= 0xA1 && c <= 0xDF)))
                return false;
            if (c != 0x20)
                blanksOnly = false;
            i += 1;
        }
        ++chars;
    }
    *kept = i;
    return i > 0 && !blanksOnly;
}

int CopyOut(const char* text, int length, char* out, uint32_t capacity)
{
    if (out == nullptr || length < 0 || static_cast<uint32_t>(length) + 1 > capacity)
        return 0;
    std::memcpy(out, text, static_cast<size_t>(length));
    out[length] = 0;
    return length;
}

}  // namespace

const char* FindPaperKeyword(uint16_t paperNumber)
{
    for (const PaperKeyword& k : kPaperKeywords)
        if (k.paper == paperNumber)
            return k.keyword;
    return nullptr;
}

int ComputeDelayedDate(const std::tm& now, int hour, int minute, std::tm* date)
{
    if (date == nullptr)
        return 0;
    std::tm d = now;
    d.tm_isdst = -1;
    if (now.tm_hour * 100 + now.tm_min > hour * 100 + minute) {
        d.tm_mday += 1;
        d.tm_hour = 12;  // midday: a change of daylight saving time moves no date
        if (std::mktime(&d) == static_cast<std::time_t>(-1))
            return 0;
    }
    *date = d;
    return 1;
}

int MakeJobUserName(const wchar_t* name, uint32_t maxChars, char* out, uint32_t capacity)
{
    const int unknown = static_cast<int>(sizeof kUnknownUser - 1);
    if (name != nullptr && name[0] != 0) {
        int length = 0;
        GlobalBlockPtr<char> ansi(AllocWideToMultiByte(CP_ACP, name, &length));
        int kept = 0;
        if (ansi && CheckAnsiText(ansi.get(), length, true, maxChars, &kept))
            return CopyOut(ansi.get(), kept, out, capacity);
    }
    return CopyOut(kUnknownUser, unknown, out, capacity);
}

int MakeJobUserText(const wchar_t* text, bool longForm, char* out, uint32_t capacity)
{
    if (text == nullptr || text[0] == 0)
        return 0;
    const uint32_t limit = longForm ? kLongUserTextChars : kShortUserTextChars;
    size_t n = wcsnlen(text, limit + 1);
    if (n > limit) {
        if (!longForm)
            return 0;
        n = limit;
    }
    const std::wstring cut(text, n);
    int length = 0;
    GlobalBlockPtr<char> ansi(AllocWideToMultiByte(CP_ACP, cut.c_str(), &length));
    int kept = 0;
    if (!ansi || !CheckAnsiText(ansi.get(), length, longForm, 0xFFFFFFFFu, &kept) || kept != length)
        return 0;
    return CopyOut(ansi.get(), kept, out, capacity);
}

int WriteJobAttributeByType(JobHeaderState* state, const wchar_t* key, uint16_t id)
{
    return WriteKeyAndValue(state, key, id, ByType);
}

int WriteJobAttribute(JobHeaderState* state, const wchar_t* key, uint16_t id)
{
    if (state == nullptr || state->settings == nullptr)
        return kJobErrBadArgument;
    return WriteKeyAndValue(state, key, id, FindWriter(state, id));
}
