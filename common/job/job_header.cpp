#include "common/job/job_header.h"

#include "common/context/settings_context.h"
#include "common/job/fax_job_lines.h"
#include "common/job/host_name_lines.h"
#include "common/job/job_attribute_conditions.h"
#include "common/job/job_attribute_reads.h"
#include "common/job/job_attribute_values.h"
#include "common/job/job_header_codes.h"
#include "common/job/job_instruction_maker.h"
#include "common/model/model_data.h"
#include "common/model/model_format.h"
#include "common/model/model_kinds.h"
#include "common/model/model_section.h"
#include "common/model/model_value_ops.h"
#include "common/settings/function_ids.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"

#include <cstring>
#include <cwchar>
#include <string>

namespace {

constexpr char kUel[] = "\x1B%-12345X";
constexpr uint32_t kUelBytes = 9;
constexpr uint32_t kUelSizeAnswer = 14;
constexpr char kPjlEndOfJob[] = "@PJL EOJ";
constexpr char kShortEndOfJob[] = "@EOJO";
constexpr wchar_t kJobAttributePrefix[] = L"@PJL SET JOBATTR=";
constexpr char kBktpPjlStart[] = "@PJL SET JOBATTR=\"@BKTP=";
constexpr char kBktpShortStart[] = "@BKTP=";

constexpr uint16_t kRawHeaderSize = 2;
constexpr int kDriverKindFax = 2;
constexpr uint16_t kRowAlsoFiltered = 0x1;

// Rows whose values are texts of their own writers, not settings of the
// records: quoted in the PJL form like string settings.
constexpr uint16_t kQuotedOwnTexts[] = {8193, 36902};

// What the attribute filter remembers within one header.
struct AttributeFilterRecord {
    uint32_t rowFiltered;
    std::wstring lastPrefix;  // at most kJobKeyChars - 1 characters
    std::wstring lastKey;
    uint16_t mode;            // bit 0: the filter is on
};

enum class KeyKind { Prefix, WholeText, CutText, None };

std::wstring Bounded(const std::wstring& s) { return s.substr(0, kJobKeyChars - 1); }

// A stored print file sent again keeps only the rows marked for it, and of
// those not one whose key was filtered before.
bool IsJobAttributeSkipped(AttributeFilterRecord* filter, bool pjl, const JobAttributeSection* row)
{
    KeyKind kind = KeyKind::Prefix;
    std::wstring key = row->prefix;
    if (pjl && !row->text.empty()) {
        if (row->settingId != 0) {
            kind = KeyKind::WholeText;
            key = row->text;
        } else if (row->prefix == kJobAttributePrefix) {
            const size_t equals = row->text.find(L'=');
            if (equals == std::wstring::npos)
                return false;
            key = row->text.substr(0, equals + 1);
            if (!key.empty() && key[0] == L'"')
                key.erase(0, 1);
            kind = KeyKind::CutText;
        }
    }
    key = Bounded(key);
    if (filter->rowFiltered) {
        if ((kind == KeyKind::Prefix && key == filter->lastPrefix) ||
            (kind == KeyKind::WholeText && key == filter->lastKey) ||
            (kind == KeyKind::CutText && filter->lastKey.find(key) != std::wstring::npos))
            return true;
    }
    if ((filter->mode & 1) == 0)
        return false;
    uint16_t flags = 0;
    if (GetSectionFlags(row, &flags) == kModelOk && (flags & kRowAlsoFiltered) != 0)
        return false;
    if (kind == KeyKind::Prefix)
        filter->lastPrefix = key;
    else
        filter->lastKey = key;
    filter->rowFiltered = 1;
    return true;
}

bool IsQuotedSetting(JobHeaderState* state, uint16_t id)
{
    for (uint16_t own : kQuotedOwnTexts)
        if (own == id)
            return true;
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    return id != kFidBoxName &&
           GetFunctionIdValue(id, state->context->settingsRecord, state->context->printerSettingsRecord, &type, &size,
                              &holder) == kSettingOk &&
           type == kTypeString;
}

// The line of an ordinary row: its length, 0 for a line left out, or a code.
int WriteJobAttributeLine(JobHeaderState* state, const JobAttributeSection* row)
{
    JobText* out = state->out;
    const uint32_t start = out->length;
    if (row->settingId == 0) {
        if (row->text.empty())
            return kJobErrRowWithoutText;
        int status = AppendJobWide(out, row->prefix.c_str());
        if (status == 0)
            status = AppendJobWide(out, row->text.c_str());
        if (status != 0) {
            out->length = start;
            return status;
        }
        return static_cast<int>(out->length - start);
    }
    if (!state->pjl)
        return WriteJobAttribute(state, row->prefix.c_str(), row->settingId);

    bool closing = true;
    std::wstring key = row->prefix;
    if (!row->text.empty()) {
        key += L'"';
        key += row->text;
    } else if (IsQuotedSetting(state, row->settingId)) {
        key += L'"';
    } else {
        closing = false;
    }
    // A key beyond its buffer, or a writer without a value or failing, leaves
    // the line out; only a full output buffer ends the header.
    if (key.size() > kJobKeyChars - 1)
        return 0;
    const int written = WriteJobAttribute(state, key.c_str(), row->settingId);
    if (written == kJobErrNoRoom)
        return written;
    if (written <= 0)
        return 0;
    if (closing) {
        const int status = AppendJobChars(out, "\"");
        if (status != 0) {
            out->length = start;
            return status;
        }
    }
    return static_cast<int>(out->length - start);
}

bool BktpLineApplies(JobHeaderState* state)
{
    void* s = state->context->settingsRecord;
    void* p = state->context->printerSettingsRecord;
    if (JobSettingOr(kFidPosterBooklet, s, p, 0) != 2 || (state->flags & kHeaderBktpLine) == 0 ||
        (JobSettingOr(kFidBookletSource, s, p, 0) & 0xFF) != 1)
        return false;
    if (TestCapabilityBit(&state->capabilities, CapabilityBit(45))) {
        if ((JobSettingOr(kFidBookletCount, s, p, 0) & 0xFF) != 2)
            return false;
    } else if (JobSettingOr(kFidBookletCountOn, s, p, 0) != 1) {
        return false;
    }
    return !(TestCapabilityBit(&state->capabilities, CapabilityBit(42)) && JobSettingOr(kFidJobType, s, p, 0) == 3);
}

int WriteBktpLine(JobHeaderState* state)
{
    if (!BktpLineApplies(state))
        return 0;
    JobText* out = state->out;
    const uint32_t before = out->length;
    const uint16_t number = state->context->bktpNumber;
    int status = 0;
    if (number != 0) {
        status = AppendJobChars(out, state->pjl ? kBktpPjlStart : kBktpShortStart);
        if (status == 0)
            status = AppendJobUnsigned(out, number);
        if (status == 0 && state->pjl)
            status = AppendJobChars(out, "\"");
    } else {
        // Room for the number, filled in once the graphics library knows it.
        char blanks[kBktpPjlBlanks];
        std::memset(blanks, ' ', sizeof blanks);
        status = AppendJobBytes(out, blanks, state->pjl ? kBktpPjlBlanks : kBktpShortBlanks);
    }
    if (status == 0)
        status = AppendJobChars(out, "\n");
    if (status != 0) {
        out->length = before;
        return status;
    }
    state->context->bktpOffset = number != 0 ? 0 : before;
    return 0;
}

int WritePlaceholderLines(JobHeaderState* state)
{
    int status = WriteBktpLine(state);
    if (status == 0 && state->context->hostNameLines != 0)
        status = WriteHostNameLines(state);
    if (status == 0 && state->context->faxRange != nullptr &&
        GetModelDriverKind(state->settings->main) == kDriverKindFax) {
        const int written = WriteFaxDestinationAttributes(state);
        status = written < 0 ? written : 0;
    }
    return status;
}

int WriteRows(JobHeaderState* state, AttributeFilterRecord* filter)
{
    for (uint16_t position = 1;; ++position) {
        ModelSection* section = nullptr;
        const uint16_t read = LoadModelTable(false, state->settings->main, state->settings->linked, kKindJobAttribute,
                                             position, &section);
        if (read == kModelAbsent)
            return 0;
        if (read != kModelOk)
            return kJobErrModelTable;
        const JobAttributeSection* row = AsJobAttribute(section);
        int status = 0;
        if (row == nullptr) {
            status = kJobErrModelTable;
        } else if (row->prefix.empty()) {
            status = kJobErrRowWithoutPrefix;
        } else if (!IsJobAttributeSkipped(filter, state->pjl, row)) {
            JobHeaderContext* c = state->context;
            const int applies = EvaluateJobAttributeConditions(state->settings, c->settingsRecord,
                                                               c->printerSettingsRecord, c->printer, row);
            if (applies < 0) {
                status = applies;
            } else if (applies == 1 && row->prefix[0] == L'%') {
                status = WritePlaceholderLines(state);
            } else if (applies == 1) {
                const int length = WriteJobAttributeLine(state, row);
                if (length < 0)
                    status = length;
                else if (length > 0)
                    status = AppendJobChars(state->out, "\n");
            }
        }
        FreeModelSection(&section, kKindOwn);
        if (status != 0)
            return status;
    }
}

uint32_t HeaderFlags(const SettingsContext* settings)
{
    CapabilityBits bits{};
    if (settings == nullptr || !GetModelCapabilityBits(settings->main, &bits))
        return 0;
    return bits.words[0];
}

int AppendEndOfJobLine(const SettingsContext* settings, JobText* out)
{
    int status = AppendJobChars(out, IsPjlJobForm(settings) ? kPjlEndOfJob : kShortEndOfJob);
    if (status == 0)
        status = AppendJobChars(out, "\n");
    return status;
}

}  // namespace

bool IsPjlJobForm(const SettingsContext* settings) { return (HeaderFlags(settings) & kHeaderPjlForm) != 0; }

int InitJobHeaderState(JobHeaderState* state, const SettingsContext* settings, JobHeaderContext* context, JobText* out)
{
    if (state == nullptr || settings == nullptr || settings->main == nullptr || context == nullptr || out == nullptr)
        return kJobErrBadArgument;
    *state = {};
    state->settings = settings;
    state->context = context;
    state->out = out;
    if (!GetModelCapabilityBits(settings->main, &state->capabilities))
        return kJobErrCapabilities;
    state->flags = state->capabilities.words[0];
    state->pjl = (state->flags & kHeaderPjlForm) != 0;
    return 0;
}

int WriteJobHeader(const SettingsContext* settings, JobHeaderContext* context, const void* instructionData,
                   uint32_t instructionLength, uint8_t* output, uint32_t capacity)
{
    if (output == nullptr)
        return kJobErrBadArgument;
    JobText out = {output, capacity, 0};
    JobHeaderState state;
    int status = InitJobHeaderState(&state, settings, context, &out);
    if (status != 0)
        return status;
    AttributeFilterRecord filter{};
    uint32_t filterSwitch = 0;
    if (ReadJobSettingNumber(kFidStoredJobText, context->settingsRecord, context->printerSettingsRecord,
                             &filterSwitch) == 0 &&
        (filterSwitch & 0xFFFF) == 1)
        filter.mode |= 1;

    status = WriteJobInstructionBlock(settings, context->printer, context->settingsRecord,
                                      context->printerSettingsRecord, instructionData, instructionLength, &out);
    if (status >= 0)
        status = WriteUel(&out);
    if (status >= 0)
        status = WriteRows(&state, &filter);
    UnloadHostNameLibrary(&state);
    return status < 0 ? status : static_cast<int>(out.length);
}

int GetJobHeaderSize(HANDLE printer, const SettingsContext* settings, void* settingsRecord,
                     void* printerSettingsRecord, const void* instructionData, uint32_t instructionLength)
{
    if (settings == nullptr || settings->main == nullptr)
        return kJobErrBadArgument;
    const uint32_t modelSize = GetModelSectionNumber(settings->main, kRawHeaderSize, 4, 0);
    if (modelSize < 1 || modelSize > 0x10000000)
        return kJobErrModelSizeData;
    const int instruction = WriteJobInstructionBlock(settings, printer, settingsRecord, printerSettingsRecord,
                                                     instructionData, instructionLength, nullptr);
    if (instruction < 0)
        return instruction;
    const uint32_t flags = HeaderFlags(settings);
    const bool pjl = (flags & kHeaderPjlForm) != 0;
    int64_t bound = int64_t{modelSize} + instruction + kUelBytes + (pjl ? 20 : 0);
    bound += (flags & kHeaderBktpLine) != 0 ? (pjl ? 125 : 107) : 84;
    if ((flags & kHeaderNupLine) != 0) bound += pjl ? 37 : 18;
    if ((flags & kHeaderHostAddressLine) != 0) bound += pjl ? 67 : 48;
    if ((flags & kHeaderHostNameLine) != 0) bound += pjl ? 130 : 111;
    bound += (pjl ? 130 : 111) + 178;
    if (GetModelDriverKind(settings->main) == kDriverKindFax) {
        const int fax = GetFaxAttributeSize(settings, pjl);
        if (fax < 0)
            return fax;
        bound += fax;
    }
    bound += 5;
    return bound > 0x7FFFFFF0 ? kJobErrModelSizeData : static_cast<int>(bound);
}

int WriteUel(JobText* out) { return AppendJobBytes(out, kUel, kUelBytes); }

int WriteJobTrailer(const SettingsContext* settings, uint8_t* output, uint32_t capacity)
{
    JobText out = {output, capacity, 0};
    int status = WriteUel(&out);
    if (status == 0)
        status = AppendEndOfJobLine(settings, &out);
    return status < 0 ? status : static_cast<int>(out.length);
}

int GetJobTrailerSize(const SettingsContext* settings)
{
    const uint32_t keyword = IsPjlJobForm(settings) ? sizeof kPjlEndOfJob - 1 : sizeof kShortEndOfJob - 1;
    return static_cast<int>(1 + 8 + 1 + keyword + 5);
}

int WriteUelForJob(uint8_t* output, uint32_t capacity)
{
    JobText out = {output, capacity, 0};
    const int status = WriteUel(&out);
    return status < 0 ? status : static_cast<int>(out.length);
}

int GetUelSize() { return kUelSizeAnswer; }

int WriteEndOfJobLine(const SettingsContext* settings, uint8_t* output, uint32_t capacity)
{
    JobText out = {output, capacity, 0};
    const int status = AppendEndOfJobLine(settings, &out);
    return status < 0 ? status : static_cast<int>(out.length);
}

int GetEndOfJobLineSize(const SettingsContext* settings)
{
    const uint32_t keyword = IsPjlJobForm(settings) ? sizeof kPjlEndOfJob - 1 : sizeof kShortEndOfJob - 1;
    return static_cast<int>(keyword + 6);
}

int FillBktpLine(uint8_t* header, uint32_t length, uint32_t offset, bool pjl, uint16_t number)
{
    if (offset == 0)
        return 0;
    const uint32_t blanks = pjl ? kBktpPjlBlanks : kBktpShortBlanks;
    if (header == nullptr || offset >= length || length - offset < blanks + 1 || header[offset + blanks] != '\n')
        return kJobErrBadArgument;
    for (uint32_t i = 0; i < blanks; ++i)
        if (header[offset + i] != ' ')
            return kJobErrBadArgument;
    JobText line = {header + offset, blanks, 0};
    int status = AppendJobChars(&line, pjl ? kBktpPjlStart : kBktpShortStart);
    if (status == 0)
        status = AppendJobUnsigned(&line, number);
    if (status == 0 && pjl)
        status = AppendJobChars(&line, "\"");
    return status == 0 ? 1 : status;
}
