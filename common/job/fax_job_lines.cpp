#include "common/job/fax_job_lines.h"

#include "common/context/settings_context.h"
#include "common/job/job_attribute_reads.h"
#include "common/job/job_header.h"
#include "common/job/job_header_codes.h"
#include "common/model/model_data.h"
#include "common/model/model_format.h"
#include "common/records/effective_values.h"
#include "common/settings/function_ids.h"
#include "common/system/code_pages.h"
#include "common/system/global_block.h"
#include "common/system/scrambled_strings.h"

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <string>

namespace {

constexpr char kPjlWrapperStart[] = "@PJL SET JOBATTR=\"";
constexpr uint32_t kPjlWrapperBytes = 19;  // the opening text with its quotation mark, and the closing one
constexpr uint16_t kRawFaxLinesPerRecipient = 24;
constexpr uint16_t kRawFaxRecipients = 25;

// Limits of one line's parts (bytes): beyond them the device refuses the line.
constexpr size_t kValueLimit = 180;         // the value without fields 5 and 6
constexpr size_t kFields56Limit = 47;
constexpr size_t kField7Limit = 76;
constexpr size_t kField1ListLimit = 80;
constexpr size_t kField7Chars = 18;

struct ModePrefix {
    int mode;
    const char* prefix;
};
constexpr ModePrefix kModePrefixes[] = {
    {kFaxModeNumber, "@FANU="}, {kFaxModeEncoded, "@FAEN="}, {kFaxModeSubNumber, "@SFNU="}, {kFaxModeSubEncoded, "@SFEN="},
};

// A record's text field, which may come without its terminator.
std::wstring FieldText(const wchar_t* field, size_t room) { return std::wstring(field, wcsnlen(field, room)); }

bool ToCodePage(UINT codePage, const std::wstring& text, std::string* out)
{
    out->clear();
    if (text.empty())
        return true;
    int length = 0;
    GlobalBlockPtr<char> block(AllocWideToMultiByte(codePage, text.c_str(), &length));
    if (!block || length < 0)
        return false;
    out->assign(block.get(), static_cast<size_t>(length));
    return true;
}

bool ToAnsi(const std::wstring& text, std::string* out) { return ToCodePage(CP_ACP, text, out); }

bool Base64Of(const std::string& bytes, bool scramble, std::string* out)
{
    out->clear();
    if (bytes.empty())
        return true;
    const int room = GetBase64EncodedSize(static_cast<int>(bytes.size()));
    if (room <= 0)
        return false;
    std::string encoded(static_cast<size_t>(room), '\0');
    int length = 0;
    const uint8_t* input = reinterpret_cast<const uint8_t*>(bytes.data());
    const int status = scramble ? ScrambleAndEncode(input, static_cast<int>(bytes.size()), encoded.data(), &length, room)
                                : Base64Encode(input, static_cast<int>(bytes.size()), encoded.data(), &length, room);
    if (status != 0 || length < 0 || length > room)
        return false;
    encoded.resize(static_cast<size_t>(length));
    *out = encoded;
    return true;
}

void AppendPadded(std::string* s, unsigned value, int width)
{
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width)
        digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
    *s += digits;
}

// "1,22,3" -> "000100220003"; false for a group that is not one or two digits.
bool WidenField1List(const std::wstring& list, std::string* out)
{
    out->clear();
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(L',', start);
        if (comma == std::wstring::npos)
            comma = list.size();
        const std::wstring group = list.substr(start, comma - start);
        if (group.empty() || group.size() > 2)
            return false;
        for (wchar_t c : group)
            if (c < L'0' || c > L'9')
                return false;
        out->append(4 - group.size(), '0');
        for (wchar_t c : group)
            out->push_back(static_cast<char>(c));
        if (out->size() > kField1ListLimit)
            return false;
        start = comma + 1;
    }
    return true;
}

// The destination of a kind-1 recipient in single quotes: with the timed-send
// setting on, a number of fewer than four characters is widened with leading
// zeros to four (the runtime's "%04s" would pad with blanks).
std::string QuotedDestination(const std::string& destination, bool padded)
{
    std::string value = "'";
    if (padded && destination.size() < 4)
        value.append(4 - destination.size(), '0');
    value += destination;
    value += "'";
    return value;
}

}  // namespace

int ReadFaxDiallingRecord(void* settingsRecord, void* printerSettingsRecord, FaxDiallingRecord* out)
{
    if (out == nullptr)
        return 0;
    *out = {};
    uint32_t room = 0;
    const uint32_t v4111 = GetEffectiveValue(settingsRecord, printerSettingsRecord, 4111);
    const uint32_t f1 = GetEffectiveValue(settingsRecord, printerSettingsRecord, 5142);
    const uint32_t f2 = GetEffectiveValue(settingsRecord, printerSettingsRecord, 5144);
    const uint32_t f0 = GetEffectiveValue(settingsRecord, printerSettingsRecord, 5145);
    if (v4111 == kNoEffectiveValue || f1 == kNoEffectiveValue || f2 == kNoEffectiveValue || f0 == kNoEffectiveValue ||
        ReadJobSettingText(5141, settingsRecord, printerSettingsRecord, &out->firstPrefix, &room) != 0 ||
        ReadJobSettingText(5143, settingsRecord, printerSettingsRecord, &out->secondPrefix, &room) != 0)
        return 0;
    out->setting4111 = static_cast<uint16_t>(v4111);
    out->firstFlag = static_cast<uint16_t>(f1);
    out->secondFlag = static_cast<uint16_t>(f2);
    out->noPrefixFlag = static_cast<uint16_t>(f0);
    return 1;
}

int FormatFaxDestinationAttribute(int mode, const FaxRecipientRecord* record, const FaxDiallingRecord* dialling,
                                  uint32_t capacity, bool pjl, char* output, int* length, uint8_t setting4369)
{
    if (length != nullptr)
        *length = 0;
    const char* prefix = nullptr;
    for (const ModePrefix& m : kModePrefixes)
        if (m.mode == mode)
            prefix = m.prefix;
    if (prefix == nullptr || record == nullptr || dialling == nullptr || length == nullptr)
        return 0;
    const bool encoded = mode == kFaxModeEncoded || mode == kFaxModeSubEncoded;

    std::string destination, field7;
    if (!ToAnsi(FieldText(record->destination, 129), &destination))
        return 0;
    std::wstring field7Text = FieldText(record->field7, 41);
    if (field7Text.size() > kField7Chars)
        field7Text.resize(kField7Chars);
    if (!field7Text.empty()) {
        std::string utf8, b64;
        if (!ToCodePage(CP_UTF8, field7Text, &utf8) || !Base64Of(utf8, false, &b64))
            return 0;
        field7 = "{7" + b64 + "}";
    }

    std::string value;   // without fields 5, 6 and 7
    std::string fields56;
    if (record->kind == 1) {
        value = QuotedDestination(destination, setting4369 == 1);
    } else {
        int lineFlag = 3;
        if (record->kind == 2) {
            value = destination;
        } else {
            const wchar_t* linePrefix = nullptr;
            uint16_t prefixFlag = dialling->noPrefixFlag;
            if (record->lineSelector == 2) {
                linePrefix = dialling->firstPrefix;
                prefixFlag = dialling->firstFlag;
            } else if (record->lineSelector == 1) {
                linePrefix = dialling->secondPrefix;
                prefixFlag = dialling->secondFlag;
            }
            std::string prefixText;
            if (linePrefix != nullptr && !ToAnsi(linePrefix, &prefixText))
                return 0;
            value = prefixText + destination;
            lineFlag = static_cast<int16_t>(prefixFlag) > 0 ? 1 : 2;
        }
        if (record->fieldChoice == 2) {
            std::string list;
            if (!WidenField1List(FieldText(record->field1List, 60), &list))
                return 0;
            value += "{1";
            AppendPadded(&value, record->field1Number, 4);
            value += record->field1Flag == 1 ? "1" : "0";
            value += list + "}";
        } else if (record->fieldChoice == 1) {
            std::string text;
            if (!ToAnsi(FieldText(record->field4Text, 9), &text))
                return 0;
            std::string scrambled;
            if (encoded && !Base64Of(text, true, &scrambled))
                return 0;
            if (encoded)
                text = scrambled;
            value += "{4";
            AppendPadded(&value, record->field4Number, 4);
            value += text + "}";
        }
        value += "{2";
        value += lineFlag == 2 ? "0" : lineFlag == 1 ? "1" : "2";
        value += "}";
        static constexpr const char* kField3[] = {"{30}", "{32}", "{34}"};
        if (record->field3Code > 2)
            return 0;
        value += kField3[record->field3Code];

        std::string field5, field6;
        if (!ToAnsi(FieldText(record->field5, 21), &field5) || !ToAnsi(FieldText(record->field6, 21), &field6))
            return 0;
        std::string scrambled;
        if (encoded && !Base64Of(field6, true, &scrambled))
            return 0;
        if (encoded)
            field6 = scrambled;
        if (!field5.empty())
            fields56 += "{5" + field5 + "}";
        if (!field6.empty())
            fields56 += "{6" + field6 + "}";
    }
    if (record->kind != 2 &&
        !(value.size() < kValueLimit && fields56.size() < kFields56Limit && field7.size() < kField7Limit)) {
        *length = -1;
        return 0;
    }
    const std::string whole = value + fields56 + field7;
    if (output == nullptr) {
        *length = static_cast<int>(whole.size());
        return 1;
    }
    // The capacity counts the whole line: its wrapper and its CR LF too.
    const size_t lineBytes = (pjl ? kPjlWrapperBytes : 0) + std::strlen(prefix) + whole.size() + 2;
    if (lineBytes > capacity)
        return 0;
    std::string line = pjl ? kPjlWrapperStart : "";
    line += prefix + whole;
    if (pjl)
        line += "\"";
    line += "\r\n";
    std::memcpy(output, line.data(), line.size());
    if (line.size() < capacity)
        output[line.size()] = 0;
    *length = static_cast<int>(line.size());
    return 1;
}

int GetFaxAttributeSize(const SettingsContext* settings, bool pjl)
{
    if (settings == nullptr || settings->main == nullptr)
        return kJobErrModelSizeData;
    const uint32_t lines = GetModelSectionNumber(settings->main, kRawFaxLinesPerRecipient, 2, 0);
    const uint32_t recipients = GetModelSectionNumber(settings->main, kRawFaxRecipients, 2, 0);
    if (lines == 0 || recipients == 0)
        return kJobErrModelSizeData;
    return static_cast<int>(lines * recipients) + (pjl ? 91 : 21);
}

int WriteFaxDestinationAttributes(JobHeaderState* state)
{
    if (state == nullptr || state->context == nullptr || state->context->faxRange == nullptr)
        return kJobErrMissingData;
    JobHeaderContext* c = state->context;
    const FaxRecipientRange& range = *c->faxRange;
    uint32_t count = 0;
    if (ReadJobSettingNumber(kFidFaxRecipientCount, c->settingsRecord, c->printerSettingsRecord, &count) != 0)
        return kJobErrMissingData;
    count &= 0xFFFF;
    uint32_t last = range.last;
    FaxSendListHeader head;
    if (!CopyFaxSendListHeader(range.list, range.listSize, &head))
        return kJobErrMissingData;
    // The range is checked against the list the lines come from: setting 380
    // is the application's word, never compared with the list it came with,
    // and decides only below whether a list of the job's own is the job's.
    if (range.first > range.last || range.last >= head.count)
        return kJobErrMissingData;
    const wchar_t* file = nullptr;
    uint32_t room = 0;
    const bool fixedFile = ReadJobSettingText(kFidFaxAddressFile, c->settingsRecord, c->printerSettingsRecord, &file,
                                              &room) == 0 &&
                           wcsnlen(file, room) == wcslen(kKeptFaxAddressFile) &&
                           std::wmemcmp(file, kKeptFaxAddressFile, wcslen(kKeptFaxAddressFile)) == 0;
    if (fixedFile) {
        if (last >= kFixedFaxAddressFileMaxRecipients)
            last = kFixedFaxAddressFileMaxRecipients - 1;
        if (range.first > last)
            return 0;
    } else if (head.count != count) {
        return 0;
    }

    FaxDiallingRecord dialling;
    if (!ReadFaxDiallingRecord(c->settingsRecord, c->printerSettingsRecord, &dialling))
        return kJobErrMissingData;
    const uint32_t subAddressing = JobSettingOr(kFidSubAddressing, c->settingsRecord, c->printerSettingsRecord, 0);
    const uint8_t timed = static_cast<uint8_t>(JobSettingOr(kFidFaxSendTime, c->settingsRecord, c->printerSettingsRecord, 0));
    const bool encodedMode = (state->flags & kHeaderFaxLineMode) != 0;
    const uint32_t start = state->out->length;
    for (uint32_t i = range.first; i <= last; ++i) {
        FaxRecipientRecord record;
        if (!CopyFaxRecipient(range.list, range.listSize, i, &record))
            return kJobErrMissingData;
        const bool sub = subAddressing != 0 && record.kind == 2;
        const int mode = encodedMode ? (sub ? kFaxModeSubEncoded : kFaxModeEncoded)
                                     : (sub ? kFaxModeSubNumber : kFaxModeNumber);
        char line[kFaxLineCapacity];
        int length = 0;
        if (!FormatFaxDestinationAttribute(mode, &record, &dialling, kFaxLineCapacity, state->pjl, line, &length, timed))
            return kJobErrMissingData;
        const int status = AppendJobBytes(state->out, line, static_cast<uint32_t>(length));
        if (status != 0)
            return status;
    }
    return static_cast<int>(state->out->length - start);
}

int CopyFaxSendListHeader(const uint8_t* list, uint32_t size, FaxSendListHeader* out)
{
    if (list == nullptr || out == nullptr || size < sizeof(FaxSendListHeader))
        return 0;
    std::memcpy(out, list, sizeof *out);
    return 1;
}

int CountFaxRecipients(const uint8_t* list, uint32_t size)
{
    FaxSendListHeader head;
    if (!CopyFaxSendListHeader(list, size, &head))
        return -1;
    const uint64_t needed = sizeof(FaxSendListHeader) + uint64_t{head.count} * sizeof(FaxRecipientRecord);
    return needed > size ? -1 : head.count;
}

int CopyFaxRecipient(const uint8_t* list, uint32_t size, uint32_t index, FaxRecipientRecord* out)
{
    FaxSendListHeader head;
    if (out == nullptr || !CopyFaxSendListHeader(list, size, &head) || index >= head.count)
        return 0;
    const uint64_t at = sizeof(FaxSendListHeader) + uint64_t{index} * sizeof(FaxRecipientRecord);
    if (at + sizeof(FaxRecipientRecord) > size)
        return 0;
    std::memcpy(out, list + at, sizeof *out);
    return 1;
}
