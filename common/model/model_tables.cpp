// Parsing of kind-table records into sections.
#include <windows.h>

#include <cstring>
#include <new>

#include "common/model/model_section.h"

namespace {

// Reads at a record's cursor; the first failure sticks and every later read
// answers zero without touching the file.
struct Cursor {
    ModelDataRecord* rec;
    uint16_t status = kModelOk;

    bool ok() const { return status == kModelOk; }
    void fail(uint16_t s) {
        if (status == kModelOk && s != kModelOk) status = s;
    }
    uint8_t u8() {
        uint8_t v = 0;
        if (ok()) fail(ModelReadU8(rec, &v));
        return ok() ? v : 0;
    }
    uint16_t u16() {
        uint16_t v = 0;
        if (ok()) fail(ModelReadU16(rec, &v));
        return ok() ? v : 0;
    }
    uint32_t u32() {
        uint32_t v = 0;
        if (ok()) fail(ModelReadU32(rec, &v));
        return ok() ? v : 0;
    }
    void skip(uint32_t n) {
        if (ok()) fail(ModelSeekBy(rec, n));
    }
    // n bytes in place; null on failure.
    const uint8_t* inPlace(uint32_t n) {
        if (!ok()) return nullptr;
        const uint8_t* p = rec->buffer + rec->cursor;
        fail(ModelSeekBy(rec, n));
        return ok() ? p : nullptr;
    }
    void bytes(uint32_t n, std::vector<uint8_t>* out) {
        const uint8_t* p = inPlace(n);
        if (p != nullptr) out->assign(p, p + n);
    }
    std::wstring body(uint16_t length) {
        std::wstring text;
        if (!ok() || length == 0) return text;
        wchar_t* block = nullptr;
        uint32_t size = 0;
        fail(ReadModelString(rec, length, &block, &size));
        if (block != nullptr) {
            text = block;
            GlobalFree(block);
        }
        return text;
    }
    std::wstring str() { return body(u16()); }
};

uint16_t ReadValueInto(Cursor& c, ModelValue* v) {
    v->type = c.u8();
    const uint16_t size = c.u16();
    if (!c.ok()) return c.status;
    v->count = 0;
    v->size = 0;
    v->data = nullptr;
    v->owned.reset();
    if (size == 0) return kModelOk;
    switch (v->type) {
    case kValueFlag: {
        const uint8_t b = c.u8();
        if (!c.ok()) return c.status;
        v->owned.reset(new uint8_t[4]{});
        v->owned[0] = b != 0 ? 1 : 0;
        v->data = v->owned.get();
        v->size = 4;
        break;
    }
    case kValueS32b:
        v->data = c.inPlace(4);
        v->size = 4;
        break;
    case kValueString: {
        wchar_t* block = nullptr;
        uint32_t bytes = 0;
        c.fail(ReadModelString(c.rec, size, &block, &bytes));
        if (!c.ok()) return c.status;
        if (block == nullptr) return kModelOk;
        v->owned.reset(new uint8_t[bytes]);
        memcpy(v->owned.get(), block, bytes);
        GlobalFree(block);
        v->data = v->owned.get();
        v->size = bytes;
        break;
    }
    default:
        v->data = c.inPlace(size);
        v->size = size;
        break;
    }
    if (!c.ok()) return c.status;
    v->count = 1;
    return kModelOk;
}

// A list: u32 byte length, u16 count, entries. The length must agree with what
// the entries take, since readers that skip the list trust it.
template <typename ReadEntry>
void ReadList(Cursor& c, ReadEntry readEntry) {
    const uint32_t length = c.u32();
    const uint32_t start = c.rec->cursor;
    const uint16_t count = c.u16();
    for (uint16_t i = 0; i < count && c.ok(); ++i) readEntry(c);
    if (c.ok() && uint64_t{c.rec->cursor} - start != length) c.fail(kModelBad);
}

void SkipList(Cursor& c) { c.skip(c.u32()); }

std::vector<uint16_t> ReadRefs(Cursor& c) {
    std::vector<uint16_t> refs;
    ReadList(c, [&](Cursor& cc) { refs.push_back(cc.u16()); });
    return refs;
}

void ReadTermInto(Cursor& c, ModelTerm* t, bool withByte) {
    t->a = c.u16();
    t->op = c.u8();
    t->settingId = c.u16();
    if (c.ok()) c.fail(ReadValueInto(c, &t->value));
    if (withByte) t->d = c.u8();
}

std::vector<ModelTerm> ReadTerms(Cursor& c, bool withByte) {
    std::vector<ModelTerm> terms;
    ReadList(c, [&](Cursor& cc) {
        terms.emplace_back();
        ReadTermInto(cc, &terms.back(), withByte);
    });
    return terms;
}

std::vector<ModelValue> ReadValues(Cursor& c, uint16_t count) {
    std::vector<ModelValue> values(count);
    for (uint16_t i = 0; i < count && c.ok(); ++i) c.fail(ReadValueInto(c, &values[i]));
    return values;
}

std::vector<ModelSettingEntry> ReadSettingEntries(Cursor& c) {
    std::vector<ModelSettingEntry> entries;
    ReadList(c, [&](Cursor& cc) {
        entries.emplace_back();
        entries.back().settingId = cc.u16();
        if (cc.ok()) cc.fail(ReadValueInto(cc, &entries.back().value));
    });
    return entries;
}

// n u16 lengths, then the n bodies.
std::vector<std::wstring> ReadNameBlock(Cursor& c) {
    const uint16_t n = c.u16();
    std::vector<uint16_t> lengths;
    for (uint16_t i = 0; i < n && c.ok(); ++i) lengths.push_back(c.u16());
    std::vector<std::wstring> names;
    for (uint16_t i = 0; i < lengths.size() && c.ok(); ++i) names.push_back(c.body(lengths[i]));
    return names;
}

uint16_t LoadSizePairs(ModelDataRecord* main, ModelDataRecord* linked, uint16_t id, ModelSizePair* first,
                       ModelSizePair* second) {
    if (id == 0) return kModelOk;
    ModelSection* s = nullptr;
    uint16_t status = LoadModelTableWithOption(false, main, linked, kKindSizePairs, id, 0, &s);
    if (status == kModelOk) {
        *first = AsSizePairs(s)->first;
        *second = AsSizePairs(s)->second;
        FreeModelSection(&s, kKindOwn);
    }
    return status;
}

ModelSection* NewSection(uint16_t kind) {
    switch (kind) {
    case 3: case 4: return new FeatureSection;
    case 5: case 6: return new TraySection;
    case 7: case 8: return new RuleSection;
    case 9: return new PictureRefSection;
    case 10: return new PaperSection;
    case 11: return new FontSection;
    case 12: return new PictureSection;
    case 13: case 14: return new OptionSection;
    case 15: return new JobAttributeSection;
    case 16: return new RuleBlockSection;
    case 17: return new SizePairsSection;
    case 18: case kKindInternalBytes: return new ByteBlockSection;
    case 19: return new Setting32779Section;
    case 20: return new ValueArraySection;
    case 21: case 24: return new SettingListSection;
    case 22: return new EntrySetSection;
    case 23: return new RuleTriplesSection;
    case 25: return new NamedStringSection;
    case kKindInternalValue: return new ValueSection;
    case kKindInternalOptionCopy: return new OptionCopySection;
    default: return new ModelSection;
    }
}

void DeleteSection(ModelSection* s) {
    switch (s->kind) {
    case 3: case 4: delete static_cast<FeatureSection*>(s); break;
    case 5: case 6: delete static_cast<TraySection*>(s); break;
    case 7: case 8: delete static_cast<RuleSection*>(s); break;
    case 9: delete static_cast<PictureRefSection*>(s); break;
    case 10: delete static_cast<PaperSection*>(s); break;
    case 11: delete static_cast<FontSection*>(s); break;
    case 12: delete static_cast<PictureSection*>(s); break;
    case 13: case 14: delete static_cast<OptionSection*>(s); break;
    case 15: delete static_cast<JobAttributeSection*>(s); break;
    case 16: delete static_cast<RuleBlockSection*>(s); break;
    case 17: delete static_cast<SizePairsSection*>(s); break;
    case 18: case kKindInternalBytes: delete static_cast<ByteBlockSection*>(s); break;
    case 19: delete static_cast<Setting32779Section*>(s); break;
    case 20: delete static_cast<ValueArraySection*>(s); break;
    case 21: case 24: delete static_cast<SettingListSection*>(s); break;
    case 22: delete static_cast<EntrySetSection*>(s); break;
    case 23: delete static_cast<RuleTriplesSection*>(s); break;
    case 25: delete static_cast<NamedStringSection*>(s); break;
    case kKindInternalValue: delete static_cast<ValueSection*>(s); break;
    case kKindInternalOptionCopy: delete static_cast<OptionCopySection*>(s); break;
    default: delete s; break;
    }
}

// Fills the kind's fields at the cursor (just past the identifier).
void ParseFields(bool load, Cursor& c, ModelSection* s) {
    const uint32_t v = s->formatVersion;
    switch (s->kind) {
    case 3: case 4: {
        auto* f = static_cast<FeatureSection*>(s);
        f->name = c.str();
        f->listKind = c.u8();
        f->defaultOption = c.u16();
        f->sizeRule = c.u16();
        f->options = ReadRefs(c);
        f->conflictRules = ReadRefs(c);
        f->transitionRules = ReadRefs(c);
        f->byteBlock = c.u16();
        if (v >= kModelFormat1024) f->name2 = c.str();
        break;
    }
    case 5: case 6: {
        auto* t = static_cast<TraySection*>(s);
        t->name = c.str();
        t->sizeRef = c.u16();
        t->number = c.u16();
        t->list1 = ReadRefs(c);
        t->list2 = ReadRefs(c);
        if (v >= kModelFormat512) t->byte = c.u8();
        if (v >= kModelFormat1024) t->text = c.str();
        break;
    }
    case 7: case 8: {
        auto* r = static_cast<RuleSection*>(s);
        ReadTermInto(c, &r->trigger, false);
        r->flags = c.u16();
        r->text = c.str();
        r->conditions = ReadTerms(c, true);
        r->assignments = ReadTerms(c, false);
        break;
    }
    case 9: {
        auto* p = static_cast<PictureRefSection*>(s);
        p->terms = ReadTerms(c, true);
        p->number1 = c.u16();
        p->number2 = c.u16();
        p->pictureId = c.u16();
        break;
    }
    case 10: {
        auto* p = static_cast<PaperSection*>(s);
        p->name = c.str();
        p->byte1 = c.u8();
        p->refA = c.u16();
        p->refC = c.u16();
        p->refB = c.u16();
        p->number1 = c.u16();
        p->number2 = c.u16();
        if (v >= kModelFormat512) {
            p->byte2 = c.u8();
            p->refD = c.u16();
        }
        if (v >= kModelFormat1280) p->flags = c.u16();
        break;
    }
    case 11: {
        auto* f = static_cast<FontSection*>(s);
        f->name = c.str();
        f->name2 = c.str();
        f->names1 = ReadNameBlock(c);
        f->names2 = ReadNameBlock(c);
        c.skip(c.u16());
        const uint32_t payload = c.u32();
        f->payloadLength = payload;
        if (load)
            c.bytes(payload, &f->payload);
        else
            c.skip(payload);
        f->flags = c.u16();
        if (v >= kModelFormat1024) f->values = ReadValues(c, c.u16());
        break;
    }
    case 12: {
        auto* p = static_cast<PictureSection*>(s);
        p->pictureKind = c.u8();
        if (c.ok() && p->pictureKind != 1 && p->pictureKind != 2) c.fail(kModelBad);
        p->number1 = c.u16();
        p->number2 = c.u16();
        c.skip(c.u16());
        const uint32_t length = c.u32();
        if (!load) break;  // the picture's bytes are the last field
        if (c.ok() && length < 14) c.fail(kModelBad);
        c.skip(14);
        if (c.ok()) c.bytes(length - 14, &p->data);
        break;
    }
    case 13: case 14: {
        auto* o = static_cast<OptionSection*>(s);
        o->name = c.str();
        o->targetKind = c.u16();
        o->targetId = c.u16();
        o->sizeRule = c.u16();
        if (load) {
            o->conflictRules = ReadRefs(c);
            o->transitionRules = ReadRefs(c);
        } else {
            SkipList(c);
            SkipList(c);
        }
        if (c.ok()) c.fail(ReadValueInto(c, &o->value));
        o->byteBlock = c.u16();
        break;
    }
    case 15: {
        auto* j = static_cast<JobAttributeSection*>(s);
        j->settingId = c.u16();
        j->conditions = ReadTerms(c, true);
        j->prefix = c.str();
        j->text = c.str();
        if (v >= kModelFormat1280) j->flags = c.u16();
        break;
    }
    case 16: {
        auto* r = static_cast<RuleBlockSection*>(s);
        r->terms = ReadTerms(c, true);
        r->byte1 = c.u8();
        r->byte2 = c.u8();
        c.bytes(c.u16(), &r->bytes);
        break;
    }
    case 17: {
        auto* p = static_cast<SizePairsSection*>(s);
        p->first.x = c.u16();
        p->first.y = c.u16();
        p->second.x = c.u16();
        p->second.y = c.u16();
        break;
    }
    case 18:
        c.bytes(c.u16(), &static_cast<ByteBlockSection*>(s)->bytes);
        break;
    case 19: {
        auto* r = static_cast<Setting32779Section*>(s);
        if (v < kModelFormat512) {
            c.fail(kModelBad);
            break;
        }
        r->name = c.str();
        r->byte = c.u8();
        if (v >= kModelFormat1024) r->text = c.str();
        break;
    }
    case 20: {
        auto* a = static_cast<ValueArraySection*>(s);
        a->number = c.u16();
        a->elementType = c.u8();
        a->elementSize = c.u16();
        c.skip(4);
        a->count = c.u16();
        a->elements = c.inPlace(uint32_t{a->elementSize} * a->count);
        break;
    }
    case 21: case 24: {
        auto* l = static_cast<SettingListSection*>(s);
        l->name = c.str();
        l->entries = ReadSettingEntries(c);
        break;
    }
    case 22: {
        auto* e = static_cast<EntrySetSection*>(s);
        e->number1 = c.u16();
        e->number2 = c.u16();
        e->a = c.u8();
        e->b = c.u16();
        if (e->a == 1) e->b = 4;
        e->byte = c.u8();
        e->flags = c.u16();
        e->number3 = c.u16();
        ReadList(c, [&](Cursor& cc) { e->names.push_back(cc.str()); });
        ReadList(c, [&](Cursor& cc) {
            e->values.emplace_back();
            cc.fail(ReadValueInto(cc, &e->values.back()));
        });
        break;
    }
    case 23: {
        auto* r = static_cast<RuleTriplesSection*>(s);
        r->terms = ReadTerms(c, true);
        ReadList(c, [&](Cursor& cc) {
            ModelTriple t;
            t.a = cc.u16();
            t.b = cc.u16();
            t.c = cc.u16();
            r->triples.push_back(t);
        });
        break;
    }
    case 25: {
        auto* n = static_cast<NamedStringSection*>(s);
        if (v < kModelFormat8192) {
            c.fail(kModelBad);
            break;
        }
        n->name = c.str();
        n->text = c.str();
        break;
    }
    default:
        c.fail(kModelBad);
        break;
    }
}

uint16_t ParseRecord(bool load, ModelDataRecord* main, ModelDataRecord* linked, uint16_t kind,
                     uint8_t fileByte, uint32_t offset, ModelSection** out) {
    ModelDataRecord* file = ModelRecordForFile(main, linked, fileByte);
    if (file == nullptr) return kModelBad;
    ModelSection* s = nullptr;
    uint16_t status = kModelOk;
    try {
        s = NewSection(kind);
        s->kind = kind;
        s->fileRole = static_cast<uint16_t>(file->fileRole);
        s->source = file;
        s->formatVersion = file->formatVersion;
        Cursor c{file};
        c.fail(ModelSeek(file, offset));
        c.skip(4);
        s->id = c.u16();
        ParseFields(load, c, s);
        status = c.status;
        if (status == kModelOk && kind == kKindPaper) {
            auto* p = static_cast<PaperSection*>(s);
            status = LoadSizePairs(main, linked, p->refA, &p->size, &p->area);
            if (status == kModelOk) status = LoadSizePairs(main, linked, p->refB, &p->margin1, &p->margin2);
            if (status == kModelOk) status = LoadSizePairs(main, linked, p->refC, &p->minUser, &p->maxUser);
            if (status == kModelOk) status = LoadSizePairs(main, linked, p->refD, &p->extra1, &p->extra2);
        } else if (status == kModelOk && (kind == kKindInputTray || kind == kKindOutputBin)) {
            auto* t = static_cast<TraySection*>(s);
            status = LoadSizePairs(main, linked, t->sizeRef, &t->first, &t->second);
        }
        // A reference that names no record is a fault of the file.
        if (status == kModelAbsent) status = kModelBad;
    } catch (const std::bad_alloc&) {
        status = kModelNoMemory;
    }
    if (status != kModelOk) {
        if (s != nullptr) DeleteSection(s);
        return status;
    }
    *out = s;
    return kModelOk;
}

// The u16 option identifier n (1-based) of a feature record, read without parsing it.
uint16_t ReadFeatureOptionId(ModelDataRecord* file, uint32_t offset, uint16_t n, uint16_t* optionId) {
    Cursor c{file};
    c.fail(ModelSeek(file, offset));
    c.skip(kModelRecordHeadSize);
    c.skip(c.u16());  // name
    c.skip(1 + 2 + 2);
    c.skip(4);
    const uint16_t count = c.u16();
    if (!c.ok()) return c.status;
    if (n == 0 || n > count) return kModelAbsent;
    c.skip((uint32_t{n} - 1) * 2);
    *optionId = c.u16();
    return c.status;
}

}  // namespace

uint16_t LoadModelTable(bool load, ModelDataRecord* main, ModelDataRecord* linked, uint16_t kind,
                        uint16_t position, ModelSection** out) {
    if (out == nullptr) return kModelBad;
    *out = nullptr;
    if (ModelKindPlace(kind) < 0) return kModelBad;
    uint8_t fileByte = 0;
    uint16_t id = 0;
    uint32_t offset = 0;
    uint16_t status = FindModelRecordByPosition(main, kind, position, &fileByte, &id, &offset);
    if (status != kModelOk) return status;
    return ParseRecord(load, main, linked, kind, fileByte, offset, out);
}

uint16_t LoadModelTableWithOption(bool load, ModelDataRecord* main, ModelDataRecord* linked,
                                  uint16_t kind, uint16_t id, uint16_t option, ModelSection** out) {
    if (out == nullptr) return kModelBad;
    *out = nullptr;
    if (ModelKindPlace(kind) < 0) return kModelBad;
    if (option != 0 && kind != kKindFeature && kind != kKindFeatureOther) return kModelBad;
    uint8_t fileByte = 0;
    uint32_t offset = 0;
    uint16_t status = FindModelRecordById(main, kind, id, &fileByte, &offset);
    if (status != kModelOk) return status;
    if (option == 0) return ParseRecord(load, main, linked, kind, fileByte, offset, out);
    ModelDataRecord* file = ModelRecordForFile(main, linked, fileByte);
    if (file == nullptr) return kModelBad;
    uint16_t optionId = 0;
    status = ReadFeatureOptionId(file, offset, option, &optionId);
    if (status != kModelOk) return status;
    const uint16_t optionKind = kind == kKindFeature ? kKindOption : kKindOptionOther;
    status = FindModelRecordById(main, optionKind, optionId, &fileByte, &offset);
    // An option list naming a missing record is a fault of the file.
    if (status == kModelAbsent) return kModelBad;
    if (status != kModelOk) return status;
    return ParseRecord(load, main, linked, optionKind, fileByte, offset, out);
}

uint16_t LoadOptionTarget(bool load, ModelDataRecord* main, ModelDataRecord* linked,
                          const ModelSection* option, uint16_t* outKind, ModelSection** out) {
    if (out == nullptr) return kModelBad;
    *out = nullptr;
    const OptionSection* o = AsOption(option);
    if (o == nullptr) return kModelBad;
    uint16_t status = LoadModelTableWithOption(load, main, linked, o->targetKind, o->targetId, 0, out);
    if (status == kModelOk && outKind != nullptr) *outKind = o->targetKind;
    return status;
}

uint16_t GetRecordDisplayName(ModelDataRecord* main, ModelDataRecord* linked, uint16_t kind,
                              uint16_t id, uint16_t option, wchar_t** out) {
    if (out == nullptr) return kModelBad;
    *out = nullptr;
    switch (kind) {
    case 3: case 4: case 5: case 6: case 10: case 11: case 13: case 14: break;
    default: return kModelBad;
    }
    if (option != 0 && kind != kKindFeature && kind != kKindFeatureOther) return kModelBad;
    uint8_t fileByte = 0;
    uint32_t offset = 0;
    uint16_t status = FindModelRecordById(main, kind, id, &fileByte, &offset);
    if (status != kModelOk) return status;
    ModelDataRecord* file = ModelRecordForFile(main, linked, fileByte);
    if (file == nullptr) return kModelBad;
    if (option != 0) {
        uint16_t optionId = 0;
        status = ReadFeatureOptionId(file, offset, option, &optionId);
        if (status != kModelOk) return status;
        status = FindModelRecordById(main, kind == kKindFeature ? kKindOption : kKindOptionOther, optionId,
                                     &fileByte, &offset);
        if (status != kModelOk) return status == kModelAbsent ? uint16_t{kModelBad} : status;
        file = ModelRecordForFile(main, linked, fileByte);
        if (file == nullptr) return kModelBad;
    }
    Cursor c{file};
    c.fail(ModelSeek(file, offset));
    c.skip(kModelRecordHeadSize);
    const uint16_t length = c.u16();
    if (!c.ok()) return c.status;
    if (length == 0) return kModelAbsent;
    uint32_t bytes = 0;
    status = ReadModelString(file, length, out, &bytes);
    if (status == kModelOk && (*out == nullptr || (*out)[0] == 0)) {
        if (*out != nullptr) GlobalFree(*out);
        *out = nullptr;
        return kModelAbsent;
    }
    return status;
}

uint16_t FreeModelSection(ModelSection** holder, uint16_t kind) {
    (void)kind;  // always freed by its own kind: a wrong kind must not free the wrong layout
    if (holder == nullptr || *holder == nullptr) return 1;
    DeleteSection(*holder);
    *holder = nullptr;
    return 0;
}

uint16_t ResolveModelValueReference(ModelDataRecord* record, ModelValue* value) {
    if (value == nullptr) return kModelBad;
    if (value->type != kValueReference || value->count == 0 || value->data == nullptr) return kModelOk;
    if (record == nullptr || value->size < 2) return kModelBad;
    const uint16_t position = static_cast<uint16_t>(value->data[0] | (value->data[1] << 8));
    uint8_t fileByte = 0;
    uint16_t id = 0;
    uint32_t offset = 0;
    uint16_t status = FindModelRecordByPosition(record, kKindValueArray, position, &fileByte, &id, &offset);
    if (status != kModelOk) return status;
    // Arrays lie in the file whose table names them.
    if ((fileByte == kModelMainFile) != (record->fileRole == kModelMainFile)) return kModelBad;
    ModelSection* s = nullptr;
    status = ParseRecord(false, record, record, kKindValueArray, fileByte, offset, &s);
    if (status != kModelOk) return status;
    const ValueArraySection* a = AsValueArray(s);
    try {
        if (a->elementType == kValueFlag || a->elementType == kValueS32b) {
            const uint16_t need = a->elementType == kValueFlag ? 1 : 4;
            if (a->count > 0 && a->elementSize < need) {
                status = kModelBad;
            } else {
                std::unique_ptr<uint8_t[]> owned(new uint8_t[size_t{a->count} * 4 + 4]{});
                for (uint16_t i = 0; i < a->count; ++i) {
                    const uint8_t* e = a->elements + size_t{i} * a->elementSize;
                    uint32_t n = 0;
                    if (a->elementType == kValueFlag)
                        n = e[0] != 0 ? 1 : 0;
                    else
                        memcpy(&n, e, 4);
                    memcpy(owned.get() + size_t{i} * 4, &n, 4);
                }
                value->owned = std::move(owned);
                value->data = value->owned.get();
                value->type = a->elementType;
                value->size = 4;
                value->count = a->count;
            }
        } else {
            value->owned.reset();
            value->data = a->elements;
            value->type = a->elementType;
            value->size = a->elementSize;
            value->count = a->count;
        }
    } catch (const std::bad_alloc&) {
        status = kModelNoMemory;
    }
    FreeModelSection(&s, kKindOwn);
    return status;
}

bool ModelValueNumber(const ModelValue& value, uint32_t* out) {
    if (value.count == 0 || value.data == nullptr || out == nullptr) return false;
    uint32_t width = 0;
    switch (value.type) {
    case kValueFlag: case kValueS32: case kValueU32: case kValueS32b: case kValueFloat: width = 4; break;
    case kValueS16: case kValueU16: width = 2; break;
    case kValueByte: width = 1; break;
    default: return false;
    }
    if (value.size < width) return false;
    uint32_t n = 0;
    memcpy(&n, value.data, width);
    if (value.type == kValueS16) n = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(n)));
    *out = n;
    return true;
}

uint16_t CopyModelValue(const ModelValue& from, ModelValue* to) {
    if (to == nullptr) return kModelBad;
    to->owned.reset();
    to->data = nullptr;
    to->type = from.type;
    to->size = from.size;
    to->count = from.count;
    if (from.data == nullptr || from.count == 0) return kModelOk;
    const size_t bytes = size_t{from.size} * from.count;
    try {
        to->owned.reset(new uint8_t[bytes + 2]{});
    } catch (const std::bad_alloc&) {
        return kModelNoMemory;
    }
    memcpy(to->owned.get(), from.data, bytes);
    to->data = to->owned.get();
    return kModelOk;
}

#define MODEL_AS(Name, Type, test)                               \
    const Type* Name(const ModelSection* s) {                    \
        if (s == nullptr) return nullptr;                        \
        const uint16_t k = s->kind;                              \
        return (test) ? static_cast<const Type*>(s) : nullptr;   \
    }
MODEL_AS(AsFeature, FeatureSection, k == 3 || k == 4)
MODEL_AS(AsOption, OptionSection, k == 13 || k == 14)
MODEL_AS(AsPaper, PaperSection, k == 10)
MODEL_AS(AsTray, TraySection, k == 5 || k == 6)
MODEL_AS(AsFont, FontSection, k == 11)
MODEL_AS(AsRule, RuleSection, k == 7 || k == 8)
MODEL_AS(AsJobAttribute, JobAttributeSection, k == 15)
MODEL_AS(AsEntrySet, EntrySetSection, k == 22)
MODEL_AS(AsSettingList, SettingListSection, k == 21 || k == 24)
MODEL_AS(AsSizePairs, SizePairsSection, k == 17)
MODEL_AS(AsPicture, PictureSection, k == 12)
MODEL_AS(AsPictureRef, PictureRefSection, k == 9)
MODEL_AS(AsValueArray, ValueArraySection, k == 20)
MODEL_AS(AsOptionCopy, OptionCopySection, k == kKindInternalOptionCopy)
#undef MODEL_AS
