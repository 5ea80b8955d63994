#include "common/job/job_attribute_conditions.h"

#include "common/constraints/constraint_engine.h"
#include "common/constraints/rule_evaluation.h"

#include "common/context/settings_context.h"
#include "common/context/value_by_type.h"
#include "common/job/job_attribute_reads.h"
#include "common/job/job_header_codes.h"
#include "common/model/model_kinds.h"
#include "common/model/model_section.h"
#include "common/settings/function_ids.h"
#include "common/settings/paper_codes.h"
#include "common/settings/value_operations.h"
#include "common/settings/value_types.h"
#include "common/records/form_paper_match.h"

#include <cstring>
#include <cwchar>

namespace {

// Bytes a value of the type needs; 0 for strings and types the conditions do
// not compare.
uint32_t NumberWidth(uint16_t type)
{
    switch (type) {
    case kTypeFlag: case kTypeS32: case kTypeU32: case kTypeFontS32: return 4;
    case kTypeS16: case kTypeU16: return 2;
    case kTypeByte: return 1;
    default: return 0;
    }
}

bool IsSignedType(uint16_t type) { return type == kTypeS16 || type == kTypeS32 || type == kTypeFontS32; }

// Unsigned values keep their whole range: they are compared, not cut to int.
int64_t ReadNumber(const void* p, uint16_t type)
{
    return IsSignedType(type) ? int64_t{ValueToInt(p, type)} : int64_t{ValueToUInt(p, type)};
}

// The truth value of one row other than operator 9.
int TestRow(void* settingsRecord, void* printerSettingsRecord, HANDLE printer, const JobAttributeSection* row,
            const ModelTerm& term)
{
    if (term.value.count == 0)
        return 0;
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t holder = 0;
    const int status = JobSettingStatusCode(
        GetFunctionIdValue(term.settingId, settingsRecord, printerSettingsRecord, &type, &size, &holder));
    if (status != 0)
        return status;
    if (term.settingId == kFidPaperSize && printer != nullptr) {
        uint16_t modelPaper = 0;
        if (MatchFormToModelPaper(printer, settingsRecord, printerSettingsRecord, static_cast<uint16_t>(holder),
                                  &modelPaper) == 1)
            holder = modelPaper;
    }
    const void* settingValue = &holder;
    if (type == kTypeString)
        settingValue = reinterpret_cast<const void*>(static_cast<uintptr_t>(holder));

    ModelValue values;
    if (CopyModelValue(term.value, &values) != kModelOk)
        return kJobErrNoMemory;
    // A reference that cannot be resolved has no truth value of its own: the
    // row counts as false, as a row without values does.
    if (ResolveModelValueReference(row->source, &values) != kModelOk)
        return 0;
    if (values.count == 0)
        return term.op == kCondNotEqual ? 1 : 0;
    for (uint16_t i = 0; i < values.count; ++i) {
        const uint8_t* v = values.data + static_cast<size_t>(i) * values.size;
        const int t = CompareConditionValue(values.type, v, values.size, term.op, type, settingValue, size);
        if (t < 0)
            return t;
        if (term.op == kCondNotEqual && t == 0)
            return 0;
        if (term.op != kCondNotEqual && t == 1)
            return 1;
    }
    return term.op == kCondNotEqual ? 1 : 0;
}

int TestTerm(const SettingsContext* settings, void* settingsRecord, void* printerSettingsRecord, HANDLE printer,
             const JobAttributeSection* row, const ModelTerm& term)
{
    if (term.op == kCondCustomPaperSize) {
        // The engine only reads through the context.
        const ConstraintContext engine{const_cast<SettingsContext*>(settings), settingsRecord, printerSettingsRecord};
        return CheckCustomPaperSizeRule(printer, &engine, &term) == 1 ? 1 : 0;
    }
    return TestRow(settingsRecord, printerSettingsRecord, printer, row, term);
}

bool IsKnownConnector(uint8_t d) { return d >= kJoinAnd && d <= kJoinEndNegated; }

}  // namespace

int CompareConditionValue(uint16_t rowType, const void* rowValue, uint32_t rowSize, uint8_t op,
                          uint16_t settingType, const void* settingValue, uint32_t settingSize)
{
    if (rowValue == nullptr || settingValue == nullptr)
        return kJobErrBadArgument;
    if (rowType != settingType)
        return kJobErrConditionType;
    switch (op) {
    case kCondEqual: case kCondNotEqual: case kCondGreater: case kCondGreaterOrEqual: case kCondLess:
    case kCondLessOrEqual:
        break;
    case 7: case 8: case 10: case 11: case 12:
        op = kCondEqual;
        break;
    default:
        return kJobErrOperator;
    }
    if (rowType == kTypeString) {
        if (op != kCondEqual && op != kCondNotEqual)
            return kJobErrOperatorForType;
        const wchar_t* a = static_cast<const wchar_t*>(rowValue);
        const wchar_t* b = static_cast<const wchar_t*>(settingValue);
        const size_t la = wcsnlen(a, rowSize / sizeof(wchar_t));
        const size_t lb = wcsnlen(b, settingSize / sizeof(wchar_t));
        const bool equal = la == lb && std::wmemcmp(a, b, la) == 0;
        return (op == kCondEqual) == equal ? 1 : 0;
    }
    const uint32_t width = NumberWidth(rowType);
    if (width == 0)
        return kJobErrValueTypeUnknown;
    if (rowType == kTypeFlag && op != kCondEqual && op != kCondNotEqual)
        return kJobErrOperatorForType;
    if (settingSize < width || rowSize < width)
        return kJobErrValueSize;
    const int64_t v = ReadNumber(rowValue, rowType);
    const int64_t s = ReadNumber(settingValue, settingType);
    bool t = false;
    switch (op) {
    case kCondEqual: t = v == s; break;
    case kCondNotEqual: t = v != s; break;
    case kCondGreater: t = v > s; break;
    case kCondGreaterOrEqual: t = v >= s; break;
    case kCondLess: t = v < s; break;
    default: t = v <= s; break;
    }
    return t ? 1 : 0;
}

int EvaluateJobAttributeConditions(const SettingsContext* settings, void* settingsRecord, void* printerSettingsRecord,
                                   HANDLE printer, const JobAttributeSection* row)
{
    if (row == nullptr)
        return kJobErrBadArgument;
    const std::vector<ModelTerm>& terms = row->conditions;
    const size_t n = terms.size();
    if (n == 0)
        return 1;
    // Skips pass rows without evaluating them.
    auto nextClosing = [&](size_t from) {  // the next row with connector 3, 4 or 6
        size_t k = from;
        while (k < n && terms[k].d != kJoinEndGroupOr && terms[k].d != kJoinEnd && terms[k].d != kJoinEndNegated)
            ++k;
        return k;
    };
    size_t i = 0;
    while (i < n) {
        const ModelTerm& term = terms[i];
        if (!IsKnownConnector(term.d))
            return kJobErrConnector;
        int t = TestTerm(settings, settingsRecord, printerSettingsRecord, printer, row, term);
        if (t < 0)
            return t;
        if (term.d == kJoinEndNegatedAnd || term.d == kJoinEndNegated)
            t = !t;
        switch (term.d) {
        case kJoinAnd: {
            if (t) {
                ++i;
                break;
            }
            size_t k = i + 1;  // the group is false: on to its end
            for (; k < n; ++k) {
                const uint8_t d = terms[k].d;
                if (d == kJoinEndGroupOr || d == kJoinEnd || d == kJoinEndNegatedAnd)
                    break;
                if (d == kJoinEndNegated)
                    return 1;
            }
            if (k >= n)
                return 0;
            i = k + 1;
            break;
        }
        case kJoinOr: {
            if (!t) {
                ++i;
                break;
            }
            size_t k = i + 1;  // the chain is true: past the rest of it
            for (; k < n; ++k) {
                const uint8_t d = terms[k].d;
                if (d == kJoinAnd || d == kJoinEndNegated)
                    break;
                if (d == kJoinEndGroupOr || d == kJoinEnd)
                    return 1;
                if (d == kJoinEndNegatedAnd) {
                    k = nextClosing(k + 1);
                    break;
                }
            }
            if (k >= n)
                return 1;
            i = k + 1;
            break;
        }
        case kJoinEndGroupOr:
            if (t)
                return 1;
            ++i;
            break;
        case kJoinEnd:
        case kJoinEndNegated:
            return t ? 1 : 0;
        default:  // kJoinEndNegatedAnd
            if (t) {
                ++i;
                break;
            }
            i = nextClosing(i + 1) + 1;
            break;
        }
    }
    return 0;
}
