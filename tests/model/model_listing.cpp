#include "tests/model/model_listing.h"

#include <cstring>

#include "tests/model/model_test_files.h"

namespace {

std::string Join(const std::vector<std::string>& v, const char* sep) {
    std::string s;
    for (size_t i = 0; i < v.size(); ++i) s += (i ? sep : "") + v[i];
    return s;
}

std::string Refs(const std::vector<uint16_t>& refs) {
    std::vector<std::string> v;
    for (uint16_t r : refs) v.push_back(std::to_string(r));
    return Join(v, ",");
}

std::string Pair(const ModelSizePair& p) { return std::to_string(p.x) + "," + std::to_string(p.y); }
std::string W(const std::wstring& s) { return ToUtf8(s.c_str()); }

std::string Hex(const uint8_t* b, size_t n) {
    static const char* d = "0123456789abcdef";
    std::string s = "x";
    for (size_t i = 0; i < n; ++i) {
        s.push_back(d[b[i] >> 4]);
        s.push_back(d[b[i] & 15]);
    }
    return s;
}

std::string Term(const ModelTerm& t) {
    return std::to_string(t.a) + "/" + std::to_string(t.op) + "/" + std::to_string(t.settingId) + "/" +
           FormatModelValue(t.value) + "/" + std::to_string(t.d);
}

std::string Terms(const std::vector<ModelTerm>& terms) {
    std::vector<std::string> v;
    for (const ModelTerm& t : terms) v.push_back(Term(t));
    return Join(v, ";");
}

std::string Values(const std::vector<ModelValue>& values) {
    std::vector<std::string> v;
    for (const ModelValue& x : values) v.push_back(FormatModelValue(x));
    return Join(v, ";");
}

}  // namespace

std::string FormatModelValue(const ModelValue& v) {
    const std::string t = std::to_string(v.type) + ":";
    if (v.count == 0 || v.data == nullptr) return t + "-";
    int32_t s32;
    uint32_t u32;
    int16_t s16;
    uint16_t u16;
    switch (v.type) {
    case 1: case 5: memcpy(&u32, v.data, 4); return t + std::to_string(u32);
    case 4: case 10: memcpy(&s32, v.data, 4); return t + std::to_string(s32);
    case 2: memcpy(&s16, v.data, 2); return t + std::to_string(s16);
    case 3: case 128: memcpy(&u16, v.data, 2); return t + std::to_string(u16);
    case 8: return t + std::to_string(v.data[0]);
    case 6: return t + "'" + ToUtf8(reinterpret_cast<const wchar_t*>(v.data)) + "'";
    default: return t + Hex(v.data, v.size);
    }
}

std::string FormatModelSection(const ModelSection* s) {
    std::vector<std::string> f;
    switch (s->kind) {
    case 3: case 4: {
        auto* x = AsFeature(s);
        f = {W(x->name), std::to_string(x->listKind), std::to_string(x->defaultOption), std::to_string(x->sizeRule),
             Refs(x->options), Refs(x->conflictRules), Refs(x->transitionRules), std::to_string(x->byteBlock), W(x->name2)};
        break;
    }
    case 5: case 6: {
        auto* x = AsTray(s);
        f = {W(x->name), std::to_string(x->number), Pair(x->first) + ";" + Pair(x->second), Refs(x->list1),
             Refs(x->list2), std::to_string(x->byte), W(x->text)};
        break;
    }
    case 7: case 8: {
        auto* x = AsRule(s);
        f = {Term(x->trigger), std::to_string(x->flags), W(x->text), Terms(x->conditions), Terms(x->assignments)};
        break;
    }
    case 9: {
        auto* x = AsPictureRef(s);
        f = {Terms(x->terms), std::to_string(x->number1), std::to_string(x->number2), std::to_string(x->pictureId)};
        break;
    }
    case 10: {
        auto* x = AsPaper(s);
        f = {W(x->name), std::to_string(x->byte1), Pair(x->size), Pair(x->area), Pair(x->margin1), Pair(x->margin2),
             Pair(x->minUser), Pair(x->maxUser), std::to_string(x->number1) + "," + std::to_string(x->number2),
             std::to_string(x->byte2), Pair(x->extra1), Pair(x->extra2), std::to_string(x->flags)};
        break;
    }
    case 11: {
        auto* x = AsFont(s);
        std::vector<std::string> n1, n2;
        for (const auto& n : x->names1) n1.push_back(W(n));
        for (const auto& n : x->names2) n2.push_back(W(n));
        f = {W(x->name), W(x->name2), Join(n1, ";"), Join(n2, ";"), std::to_string(x->payload.size()),
             std::to_string(x->flags), Values(x->values)};
        break;
    }
    case 12: {
        auto* x = AsPicture(s);
        f = {std::to_string(x->pictureKind), std::to_string(x->number1), std::to_string(x->number2),
             std::to_string(x->data.size())};
        break;
    }
    case 13: case 14: {
        auto* x = AsOption(s);
        f = {W(x->name), std::to_string(x->targetKind), std::to_string(x->targetId), std::to_string(x->sizeRule),
             Refs(x->conflictRules), Refs(x->transitionRules), FormatModelValue(x->value), std::to_string(x->byteBlock)};
        break;
    }
    case 15: {
        auto* x = AsJobAttribute(s);
        f = {std::to_string(x->settingId), Terms(x->conditions), W(x->prefix), W(x->text), std::to_string(x->flags)};
        break;
    }
    case 16: {
        auto* x = static_cast<const RuleBlockSection*>(s);
        f = {Terms(x->terms), std::to_string(x->byte1), std::to_string(x->byte2), std::to_string(x->bytes.size())};
        break;
    }
    case 17: f = {Pair(AsSizePairs(s)->first), Pair(AsSizePairs(s)->second)}; break;
    case 18: f = {std::to_string(static_cast<const ByteBlockSection*>(s)->bytes.size())}; break;
    case 19: {
        auto* x = static_cast<const Setting32779Section*>(s);
        f = {W(x->name), std::to_string(x->byte), W(x->text)};
        break;
    }
    case 20: {
        auto* x = AsValueArray(s);
        f = {std::to_string(x->number), std::to_string(x->elementType), std::to_string(x->elementSize),
             std::to_string(x->count)};
        break;
    }
    case 21: case 24: {
        auto* x = AsSettingList(s);
        std::vector<std::string> e;
        for (const auto& entry : x->entries) e.push_back(std::to_string(entry.settingId) + "=" + FormatModelValue(entry.value));
        f = {W(x->name), Join(e, ";")};
        break;
    }
    case 22: {
        auto* x = AsEntrySet(s);
        std::vector<std::string> names;
        for (const auto& n : x->names) names.push_back(W(n));
        f = {std::to_string(x->number1), std::to_string(x->number2), std::to_string(x->a), std::to_string(x->b),
             std::to_string(x->byte), std::to_string(x->flags), std::to_string(x->number3), Join(names, ";"),
             Values(x->values)};
        break;
    }
    case 23: {
        auto* x = static_cast<const RuleTriplesSection*>(s);
        std::vector<std::string> t;
        for (const auto& tr : x->triples)
            t.push_back(std::to_string(tr.a) + "," + std::to_string(tr.b) + "," + std::to_string(tr.c));
        f = {Terms(x->terms), Join(t, ";")};
        break;
    }
    case 25: {
        auto* x = static_cast<const NamedStringSection*>(s);
        f = {W(x->name), W(x->text)};
        break;
    }
    default: break;
    }
    return Join(f, "|");
}
