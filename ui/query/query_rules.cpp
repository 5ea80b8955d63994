#include "ui/query/query_rules.h"

#include "common/model/model_format.h"
#include "common/settings/value_types.h"

#include <cstring>
#include <cwchar>

namespace {

bool Number(const ModelValue* v, uint32_t* out)
{
    return v && ModelValueNumber(*v, out);
}

uint16_t AttributeIndex(const QueryRule& rule)
{
    return (rule.flags & kQueryOwnIndex) ? rule.index : 0;
}

bool ReadNumber(const QueryRule& rule, AttributeReader* reader, uint16_t type, size_t attribute, uint32_t* out)
{
    if (attribute >= rule.attributes.size())
        return false;
    QueryValue v;
    if (!reader->Read(type, rule.attributes[attribute].c_str(), AttributeIndex(rule), &v))
        return false;
    *out = v.number;
    return true;
}

bool DirectMethod(const QueryRule& rule, AttributeReader* reader, SettingAnswer* answer)
{
    if (rule.attributes.size() != 1)
        return false;
    const uint16_t type = rule.method;
    if (type != kTypeFlag && type != kTypeS32 && type != kTypeU32 && type != kTypeString)
        return false;
    QueryValue v;
    if (!reader->Read(type, rule.attributes[0].c_str(), AttributeIndex(rule), &v))
        return false;
    if (rule.flags & kQueryKeepValue) {
        *answer = NumberAnswer(rule.settingId, rule.valueType, rule.valueSize, 0);
        return true;
    }
    if (type == kTypeString) {
        if (!StringAnswer(rule.settingId, v.text, answer))
            return false;
        answer->type = rule.valueType;
        return true;
    }
    *answer = NumberAnswer(rule.settingId, rule.valueType, rule.valueSize, v.number);
    return true;
}

// The pairs' keys and results as numbers; false for an odd count or a value
// that is not a number.
bool PairAt(const QueryRule& rule, size_t pair, uint32_t* key, uint32_t* result)
{
    return Number(rule.values[2 * pair], key) && Number(rule.values[2 * pair + 1], result);
}

bool TableMethod(const QueryRule& rule, AttributeReader* reader, SettingAnswer* answer)
{
    if (rule.values.empty() || rule.values.size() % 2 != 0)
        return false;
    const size_t pairs = rule.values.size() / 2;
    auto numberAnswer = [&](uint64_t value) {
        *answer = NumberAnswer(rule.settingId, rule.valueType, rule.valueSize, value);
        return true;
    };
    uint32_t key = 0, result = 0;
    if (rule.flags & kQueryVersionThreshold) {
        if (rule.attributes.size() != 3)
            return false;
        uint32_t part[3];
        for (size_t i = 0; i < 3; ++i)
            if (!ReadNumber(rule, reader, kTypeS32, i, &part[i]))
                return false;
        const uint32_t version = (part[0] << 16) | ((part[1] & 0xFF) << 8) | (part[2] & 0xFF);
        for (size_t p = 0; p + 1 < pairs; ++p) {
            if (!PairAt(rule, p, &key, &result))
                return false;
            if (key > version)
                return numberAnswer(static_cast<uint16_t>(result));
        }
        if (!PairAt(rule, pairs - 1, &key, &result))
            return false;
        return numberAnswer(static_cast<uint16_t>(result));
    }
    if (rule.flags & (kQueryEqualInteger | kQueryCeiling)) {
        uint32_t read = 0;
        if (rule.attributes.size() != 1 || !ReadNumber(rule, reader, kTypeS32, 0, &read))
            return false;
        for (size_t p = 0; p < pairs; ++p) {
            if (!PairAt(rule, p, &key, &result))
                return false;
            const bool hit = (rule.flags & kQueryEqualInteger) ? key == read : key >= read;
            if (hit || ((rule.flags & kQueryEqualInteger) == 0 && p + 1 == pairs))
                return numberAnswer(static_cast<uint16_t>(result));
        }
        return false;
    }
    if (rule.flags & kQueryBitPattern) {
        if (rule.attributes.empty() || rule.attributes.size() > 32)
            return false;
        uint32_t mask = 0;
        for (size_t i = 0; i < rule.attributes.size(); ++i) {
            uint32_t bit = 0;
            if (!ReadNumber(rule, reader, kTypeFlag, i, &bit))
                return false;
            if (bit)
                mask |= 1u << i;
        }
        for (size_t p = 0; p < pairs; ++p) {
            if (!PairAt(rule, p, &key, &result))
                return false;
            if (key == mask)
                return numberAnswer(static_cast<uint8_t>(result));
        }
        return numberAnswer(0);
    }
    if (rule.flags & kQueryEqualByte) {
        uint32_t read = 0;
        if (rule.attributes.size() != 1 || !ReadNumber(rule, reader, kTypeS32, 0, &read))
            return false;
        for (size_t p = 0; p < pairs; ++p) {
            if (!PairAt(rule, p, &key, &result))
                return false;
            if (key == read)
                return numberAnswer(static_cast<uint8_t>(result));
        }
        return false;
    }
    if (rule.flags & kQueryTypedMatch) {
        const ModelValue* firstKey = rule.values[0];
        if (!firstKey || (firstKey->type != kTypeFlag && firstKey->type != kTypeU32 && firstKey->type != kTypeS32))
            return false;
        uint32_t read = 0;
        if (rule.attributes.size() != 1 || !ReadNumber(rule, reader, firstKey->type, 0, &read))
            return false;
        if (rule.flags & kQueryNoCommonBits) {
            if (!Number(firstKey, &key))
                return false;
            return numberAnswer((read & key) == 0 ? 1 : 0);
        }
        for (size_t p = 0; p < pairs; ++p) {
            const ModelValue* k = rule.values[2 * p];
            const ModelValue* r = rule.values[2 * p + 1];
            if (!k || !r || k->type != firstKey->type || !Number(k, &key))
                continue;
            if (key != read)
                continue;
            *answer = NumberAnswer(rule.settingId, r->type, r->size, 0);
            if (r->data)
                std::memcpy(answer->holder, r->data, r->size < 8 ? r->size : 8);
            if (answer->size > 8)
                answer->size = 8;
            return true;
        }
        return false;
    }
    return false;
}

bool SignedType(uint16_t type)
{
    return type == kTypeS16 || type == kTypeS32 || type == kValueS32b;
}

}  // namespace

QueryRule QueryRuleFromSection(const EntrySetSection& s, bool hasFlagWord)
{
    QueryRule r;
    r.ruleClass = s.number1;
    r.settingId = s.number2;
    r.valueType = s.a;
    r.valueSize = s.b;
    r.method = s.byte;
    r.flags = hasFlagWord ? s.flags : 1;
    r.index = s.number3;
    for (const std::wstring& name : s.names) {
        std::string ansi(name.size() * 2 + 1, '\0');
        const int n = WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, ansi.data(), static_cast<int>(ansi.size()),
                                          nullptr, nullptr);
        ansi.resize(n > 0 ? n - 1 : 0);
        r.attributes.push_back(ansi);
    }
    for (const ModelValue& v : s.values)
        r.values.push_back(&v);
    return r;
}

bool EvaluateQueryRule(const QueryRule& rule, AttributeReader* reader, SettingAnswer* answer)
{
    if (!reader || !answer)
        return false;
    *answer = {};
    return rule.method == kQueryTableMethod ? TableMethod(rule, reader, answer)
                                            : DirectMethod(rule, reader, answer);
}

namespace {

// 1 true, 0 false, kConditionError.
int EvaluateRow(const TrayCondition& row, const AnswerList& answers)
{
    const SettingAnswer* answer = nullptr;
    for (const SettingAnswer& a : answers)
        if (a.settingId == row.settingId) {
            answer = &a;
            break;
        }
    const ModelValue* v = row.value;
    if (!answer || !v || v->type != answer->type)
        return kConditionError;
    uint32_t expectedSize = 0;
    switch (v->type) {
    case kTypeFlag:
    case kTypeS32:
    case kTypeU32:
    case kValueS32b: expectedSize = 4; break;
    case kTypeS16:
    case kTypeU16: expectedSize = 2; break;
    case kTypeByte: expectedSize = 1; break;
    case kTypeString: break;
    default: return kConditionError;
    }
    if (expectedSize && answer->size != expectedSize)
        return kConditionError;
    const bool equalOnly = v->type == kTypeFlag || v->type == kTypeString;
    int order = 0;  // left (the row's value) against right (the answer)
    if (v->type == kTypeString) {
        const wchar_t* right = AnswerText(*answer);
        std::wstring left(reinterpret_cast<const wchar_t*>(v->data), v->data ? v->size / 2 : 0);
        while (!left.empty() && left.back() == 0)
            left.pop_back();
        order = right && left == right ? 0 : 1;
    } else {
        uint32_t left = 0;
        if (!ModelValueNumber(*v, &left))
            return kConditionError;
        uint32_t right = 0;
        std::memcpy(&right, answer->holder, expectedSize);
        if (SignedType(v->type)) {
            int32_t l = static_cast<int32_t>(left), r = 0;
            if (expectedSize == 2)
                r = static_cast<int16_t>(right);
            else
                r = static_cast<int32_t>(right);
            order = l < r ? -1 : l > r ? 1 : 0;
        } else {
            order = left < right ? -1 : left > right ? 1 : 0;
        }
    }
    switch (row.op) {
    case 1: case 7: case 8: case 10: case 11: case 12: return order == 0;
    case 2: return order != 0;
    case 3: return equalOnly ? kConditionError : order > 0;
    case 4: return equalOnly ? kConditionError : order >= 0;
    case 5: return equalOnly ? kConditionError : order < 0;
    case 6: return equalOnly ? kConditionError : order <= 0;
    default: return kConditionError;
    }
}

bool EndsGroup(uint8_t connector)
{
    return connector == 3 || connector == 4;
}

}  // namespace

int EvaluateTrayConditions(const std::vector<TrayCondition>& rows, const AnswerList& answers)
{
    int satisfied = 0;
    size_t i = 0;
    const size_t n = rows.size();
    while (i < n) {
        const int r = EvaluateRow(rows[i], answers);
        if (r == kConditionError)
            return kConditionError;
        if (r) {
            size_t last = i;
            if (rows[i].connector == 2) {
                // One alternative suffices: pass over the rest of the run.
                last = i + 1;
                while (last < n && rows[last].connector == 2)
                    ++last;
                if (last >= n)
                    return 1;
            }
            ++satisfied;
            if (EndsGroup(rows[last].connector))
                return 1;
            i = last + 1;
            continue;
        }
        if (rows[i].connector == 2) {
            ++i;
            continue;
        }
        satisfied = 0;
        size_t end = i;
        while (end < n && !EndsGroup(rows[end].connector))
            ++end;
        if (end >= n)
            return 0;
        i = end + 1;
    }
    return satisfied > 0 ? 1 : 0;
}
