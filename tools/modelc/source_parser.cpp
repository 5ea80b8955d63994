// Reads the model source text into records. The format is described in README.md
// (section "Model data compiler").
#include <cstring>

#include "common/model/model_format.h"
#include "common/model/model_kind_map.h"
#include "tools/modelc/source_parser.h"

using namespace modelc;

namespace {

struct OptionDraft {
    Text name;
    int line = 0;
    size_t valueStart = 0;
    size_t valueEnd = 0;
    uint16_t targetKind = 0, targetId = 0;
    std::string sizeRule;
    RefList conflicts, transitions;
    std::string block;
};

void ParseFeature(Parser& p, int line) {
    const uint16_t setting = p.u16();
    const ModelKindTarget target = MapSettingToModelKind(setting, 0);
    if (target.kind != kKindFeature && target.kind != kKindFeatureOther)
        throw SourceError(line, "setting " + std::to_string(setting) + " has no feature record (see its table kind)");
    const uint16_t kind = target.kind;
    const uint16_t optionKind = kind == kKindFeature ? kKindOption : kKindOptionOther;
    p.declare(kind, target.recordId, line);
    const Text name = p.text();
    uint8_t listKind = 0;
    int defaultOption = -1;
    std::string sizeRule, block;
    RefList conflicts, transitions;
    Text name2;
    bool hasName2 = false;
    std::vector<Record> options;
    std::vector<uint16_t> optionIds;
    uint8_t firstValueType = 0;
    bool mixedTypes = false;
    Block(p, [&](const std::string& kw, int l) {
        // Only the reader's tests write a faulty file on purpose, and say so
        // before the options.
        if (kw == "faulty-mixed-types") mixedTypes = true;
        else if (kw == "list-kind") listKind = p.u8();
        else if (kw == "default") defaultOption = p.u16();
        else if (kw == "size-rule") sizeRule = RecordName(p);
        else if (kw == "block") block = RecordName(p);
        else if (kw == "conflicts") conflicts = {Names(p), l};
        else if (kw == "transitions") transitions = {Names(p), l};
        else if (kw == "name2") { NeedFormat(p, kModelFormat1024, l, "name2"); name2 = p.text(); hasName2 = true; }
        else if (kw == "option" || kw == "option*") {
            if (kw == "option*") {
                if (defaultOption >= 0) throw SourceError(l, "a second default option");
                defaultOption = static_cast<int>(optionIds.size()) + 1;
            }
            const uint16_t id = p.newId(optionKind);
            p.declare(optionKind, id, l);
            optionIds.push_back(id);
            Builder ob(p, optionKind, id, l);
            const Text oname = p.text();
            // The value comes next in the source but after the lists in the file:
            // build it apart and append it later.
            Builder vb(p, optionKind, id, l);
            const std::string valueListing = Value(p, vb);
            // The reader compares a caller's value by the options' type: one
            // feature's options hold one type of value.
            const uint8_t valueType = vb.r.bytes[6];
            if (optionIds.size() > 1 && valueType != firstValueType && !mixedTypes)
                throw SourceError(l, "option of value type " + std::to_string(valueType) +
                                         " in a feature whose options are of type " + std::to_string(firstValueType));
            firstValueType = valueType;
            OptionDraft d;
            d.name = oname;
            if (p.peek().type == Tok::Open) {
                Block(p, [&](const std::string& okw, int ol) {
                    if (okw == "target") {
                        const std::string t = p.word();
                        if (t == "paper") d.targetKind = kKindPaper;
                        else if (t == "tray") d.targetKind = kKindInputTray;
                        else if (t == "bin") d.targetKind = kKindOutputBin;
                        else if (t == "setting-32779") d.targetKind = kKindSetting32779;
                        else if (t == "kind") d.targetKind = p.u16();
                        else throw SourceError(ol, "unknown target '" + t + "'");
                        d.targetId = p.u16();
                    } else if (okw == "size-rule") d.sizeRule = RecordName(p);
                    else if (okw == "conflicts") d.conflicts = {Names(p), ol};
                    else if (okw == "transitions") d.transitions = {Names(p), ol};
                    else if (okw == "block") d.block = RecordName(p);
                    else return false;
                    return true;
                });
            }
            ob.field(ob.str(d.name));
            ob.u16(d.targetKind);
            ob.u16(d.targetId);
            ob.field(std::to_string(d.targetKind));
            ob.field(std::to_string(d.targetId));
            if (d.sizeRule.empty()) { ob.u16(0); ob.field("0"); }
            else { ob.fixup(FixupKind::SizePairs, d.sizeRule, l); ob.field("\x03" + d.sizeRule + "\x04"); }
            WriteNameRefs(ob, FixupKind::ConflictRule, d.conflicts);
            WriteNameRefs(ob, FixupKind::TransitionRule, d.transitions);
            // Move the value's bytes (and their fixups and resource uses) behind the lists.
            ob.append(vb.r, kModelRecordHeadSize);
            ob.field(valueListing);
            if (d.block.empty()) { ob.u16(0); ob.field("0"); }
            else { ob.fixup(FixupKind::ByteBlock, d.block, l); ob.field("\x03" + d.block + "\x04"); }
            options.push_back(ob.done());
        } else return false;
        return true;
    });
    if (defaultOption < 0) defaultOption = optionIds.empty() ? 0 : 1;
    Builder b(p, kind, target.recordId, line);
    b.field(b.str(name));
    b.u8(listKind);
    b.u16(static_cast<uint32_t>(defaultOption));
    b.field(std::to_string(listKind));
    b.field(std::to_string(defaultOption));
    if (sizeRule.empty()) { b.u16(0); b.field("0"); }
    else { b.fixup(FixupKind::SizePairs, sizeRule, line); b.field("\x03" + sizeRule + "\x04"); }
    WriteNumberRefs(b, optionIds);
    WriteNameRefs(b, FixupKind::ConflictRule, conflicts);
    WriteNameRefs(b, FixupKind::TransitionRule, transitions);
    if (block.empty()) { b.u16(0); b.field("0"); }
    else { b.fixup(FixupKind::ByteBlock, block, line); b.field("\x03" + block + "\x04"); }
    if (p.format() >= kModelFormat1024) b.field(hasName2 ? b.str(name2) : (b.u16(0), std::string()));
    else b.field("");
    p.m->records.push_back(b.done());
    for (Record& r : options) p.m->records.push_back(std::move(r));
}

void ParsePaper(Parser& p, int line) {
    const uint16_t code = p.u16();
    p.declare(kKindPaper, code, line);
    const Text name = p.text();
    uint16_t size[2] = {}, area[2] = {}, margins[4] = {}, limits[4] = {}, extra[4] = {};
    bool hasExtra = false;
    uint8_t byte1 = 0, byte2 = 0;
    uint16_t n1 = 0, n2 = 0, flags = 0;
    Block(p, [&](const std::string& kw, int l) {
        if (kw == "size") { size[0] = p.u16(); size[1] = p.u16(); }
        else if (kw == "area") { area[0] = p.u16(); area[1] = p.u16(); }
        else if (kw == "margins") for (uint16_t& v : margins) v = p.u16();
        else if (kw == "user-limits") for (uint16_t& v : limits) v = p.u16();
        else if (kw == "extra") { NeedFormat(p, kModelFormat512, l, "extra"); for (uint16_t& v : extra) v = p.u16(); hasExtra = true; }
        else if (kw == "byte1") byte1 = p.u8();
        else if (kw == "byte2") { NeedFormat(p, kModelFormat512, l, "byte2"); byte2 = p.u8(); }
        else if (kw == "numbers") { n1 = p.u16(); n2 = p.u16(); }
        else if (kw == "flags") { NeedFormat(p, kModelFormat1280, l, "paper flags"); flags = p.u16(); }
        else return false;
        return true;
    });
    const uint16_t refA = AutoPairs(p, size[0], size[1], area[0], area[1], line);
    const uint16_t refB = AutoPairs(p, margins[0], margins[1], margins[2], margins[3], line);
    const uint16_t refC = AutoPairs(p, limits[0], limits[1], limits[2], limits[3], line);
    const uint16_t refD = hasExtra ? AutoPairs(p, extra[0], extra[1], extra[2], extra[3], line) : 0;
    Builder b(p, kKindPaper, code, line);
    auto pair = [](uint16_t x, uint16_t y) { return std::to_string(x) + "," + std::to_string(y); };
    b.field(b.str(name));
    b.u8(byte1);
    b.u16(refA); b.u16(refC); b.u16(refB);
    b.u16(n1); b.u16(n2);
    b.field(std::to_string(byte1));
    b.field(pair(size[0], size[1]));
    b.field(pair(area[0], area[1]));
    b.field(pair(margins[0], margins[1]));
    b.field(pair(margins[2], margins[3]));
    b.field(pair(limits[0], limits[1]));
    b.field(pair(limits[2], limits[3]));
    b.field(std::to_string(n1) + "," + std::to_string(n2));
    if (p.format() >= kModelFormat512) { b.u8(byte2); b.u16(refD); }
    b.field(std::to_string(byte2));
    b.field(pair(extra[0], extra[1]));
    b.field(pair(extra[2], extra[3]));
    if (p.format() >= kModelFormat1280) b.u16(flags);
    b.field(std::to_string(flags));
    p.m->records.push_back(b.done());
}

void ParseTray(Parser& p, int line, uint16_t kind) {
    const uint16_t code = p.u16();
    p.declare(kind, code, line);
    const Text name = p.text();
    uint16_t limits[4] = {};
    bool hasLimits = false;
    uint16_t number = 0;
    uint8_t byte = 0;
    std::vector<uint16_t> list1, list2;
    Text text;
    bool hasText = false;
    Block(p, [&](const std::string& kw, int l) {
        if (kw == "limits") { for (uint16_t& v : limits) v = p.u16(); hasLimits = true; }
        else if (kw == "number") number = p.u16();
        else if (kw == "list1") list1 = NumberList(p);
        else if (kw == "list2") list2 = NumberList(p);
        else if (kw == "byte") { NeedFormat(p, kModelFormat512, l, "byte"); byte = p.u8(); }
        else if (kw == "text") { NeedFormat(p, kModelFormat1024, l, "text"); text = p.text(); hasText = true; }
        else return false;
        return true;
    });
    const uint16_t ref = hasLimits ? AutoPairs(p, limits[0], limits[1], limits[2], limits[3], line) : 0;
    Builder b(p, kind, code, line);
    b.field(b.str(name));
    b.u16(ref);
    b.u16(number);
    b.field(std::to_string(number));
    b.field(std::to_string(limits[0]) + "," + std::to_string(limits[1]) + ";" + std::to_string(limits[2]) + "," +
            std::to_string(limits[3]));
    WriteNumberRefs(b, list1);
    WriteNumberRefs(b, list2);
    if (p.format() >= kModelFormat512) b.u8(byte);
    b.field(std::to_string(byte));
    if (p.format() >= kModelFormat1024) b.field(hasText ? b.str(text) : (b.u16(0), std::string()));
    else b.field("");
    p.m->records.push_back(b.done());
}


void ParseRule(Parser& p, int line) {
    const std::string name = RecordName(p);
    const std::string which = p.word();
    uint16_t kind;
    if (which == "conflict") kind = kKindConflictRule;
    else if (which == "transition") kind = kKindTransitionRule;
    else throw SourceError(line, "a rule is 'conflict' or 'transition'");
    auto& names = kind == kKindConflictRule ? p.m->conflictRules : p.m->transitionRules;
    const uint16_t id = p.newId(kind);
    p.declare(kind, id, line);
    if (!names.emplace(name, std::make_pair(p.place, id)).second) throw SourceError(line, "rule '" + name + "' declared twice");
    Builder trigger(p, 0, 0, line);
    trigger.r.bytes.clear();
    std::string triggerListing;
    uint16_t flags = 0;
    Text text;
    TermList conditions(p), assignments(p);
    Block(p, [&](const std::string& kw, int l) {
        if (kw == "when") {
            if (!triggerListing.empty()) throw SourceError(l, "a rule has one trigger");
            triggerListing = Term(p, trigger, false, false);
        } else if (kw == "flags") flags = p.u16();
        else if (kw == "text") text = p.text();
        else if (kw == "if") conditions.add(p, true, false);
        else if (kw == "set") assignments.add(p, false, true);
        else return false;
        return true;
    });
    if (triggerListing.empty()) throw SourceError(line, "a rule needs a trigger ('when')");
    Builder b(p, kind, id, line);
    b.append(trigger.r);
    b.field(triggerListing);
    b.u16(flags);
    b.field(std::to_string(flags));
    b.field(b.str(text));
    conditions.writeInto(b);
    assignments.writeInto(b);
    p.m->records.push_back(b.done());
}
void ParseFont(Parser& p, int line) {
    const uint16_t id = p.newId(kKindFont);
    p.declare(kKindFont, id, line);
    const Text name = p.text();
    Text name2;
    std::vector<Text> names1, names2;
    std::vector<uint8_t> skipped, payload;
    uint16_t flags = 0;
    Builder values(p, 0, 0, line);
    values.r.bytes.clear();
    std::vector<std::string> valueListing;
    Block(p, [&](const std::string& kw, int l) {
        if (kw == "name2") name2 = p.text();
        else if (kw == "substitutes") { while (p.peek().type == Tok::String || (p.peek().type == Tok::Word && p.peek().text[0] == '@')) names1.push_back(p.text()); }
        else if (kw == "names2") { while (p.peek().type == Tok::String || (p.peek().type == Tok::Word && p.peek().text[0] == '@')) names2.push_back(p.text()); }
        else if (kw == "skipped") skipped = p.hex();
        else if (kw == "payload") payload = p.hex();
        else if (kw == "payload-file") payload = ReadFileBytes(SourceDir(*p.m) + "/" + p.string(), l);
        else if (kw == "flags") flags = p.u16();
        else if (kw == "value") { NeedFormat(p, kModelFormat1024, l, "font values"); valueListing.push_back(Value(p, values)); }
        else return false;
        return true;
    });
    Builder b(p, kKindFont, id, line);
    b.field(b.str(name));
    b.field(b.str(name2));
    for (std::vector<Text>* list : {&names1, &names2}) {
        b.length16(list->size());
        std::vector<std::vector<uint8_t>> bodies;
        std::vector<std::string> l;
        for (const Text& t : *list) {
            std::string s;
            bodies.push_back(b.body(t, &s));
            l.push_back(s);
            b.length16(bodies.back().size());
        }
        for (const auto& body : bodies) b.raw(body);
        b.field(Join(l, ";"));
    }
    b.length16(skipped.size());
    b.raw(skipped);
    b.u32(static_cast<uint32_t>(payload.size()));
    b.raw(payload);
    b.field(std::to_string(payload.size()));
    b.u16(flags);
    b.field(std::to_string(flags));
    if (p.format() >= kModelFormat1024) {
        b.length16(valueListing.size());
        b.append(values.r);
    }
    b.field(Join(valueListing, ";"));
    p.m->records.push_back(b.done());
}

void ParseSettingList(Parser& p, int line, uint16_t kind, uint16_t id) {
    p.declare(kind, id, line);
    const Text name = p.text();
    Builder entries(p, 0, 0, line);
    entries.r.bytes.clear();
    std::vector<std::string> l;
    Block(p, [&](const std::string& kw, int) {
        if (kw != "entry") return false;
        const uint16_t setting = p.u16();
        entries.u16(setting);
        l.push_back(std::to_string(setting) + "=" + Value(p, entries));
        return true;
    });
    Builder b(p, kind, id, line);
    b.field(b.str(name));
    const size_t at = b.beginList();
    b.append(entries.r);
    b.endList(at, static_cast<uint32_t>(l.size()));
    b.field(Join(l, ";"));
    p.m->records.push_back(b.done());
}

void ParseRawSection(Parser& p, FileHeader& h, int line) {
    const int id = static_cast<int>(p.number(1, 41));
    const RawSectionRow& row = kRawSectionTable[id];
    std::vector<std::vector<uint8_t>> entries;
    while (p.peek().type == Tok::String || (p.peek().type == Tok::Word && (p.atNumber() || p.peek().text[0] == '@'))) {
        std::vector<uint8_t> e;
        if (row.entrySize == kRawEntryString) {
            const Text t = p.text();
            if (t.resource) throw SourceError(line, "raw section strings are plain text here");
            const std::string ansi = Utf8ToAnsi(t.text, t.line);
            if (ansi.size() > 0xFFFF) throw SourceError(t.line, "length " + std::to_string(ansi.size()) + " above 65535");
            e.push_back(static_cast<uint8_t>(ansi.size()));
            e.push_back(static_cast<uint8_t>(ansi.size() >> 8));
            for (char c : ansi) e.push_back(static_cast<uint8_t>(~static_cast<uint8_t>(c)));
            if (id == kRawResourceModules) h.modules.push_back(t.text);
        } else {
            const int64_t max = row.entrySize == 4 ? UINT32_MAX : (row.entrySize == 2 ? 0xFFFF : 0xFF);
            const uint64_t v = static_cast<uint64_t>(p.number(0, max));
            for (int i = 0; i < row.entrySize; ++i) e.push_back(static_cast<uint8_t>(v >> (8 * i)));
        }
        entries.push_back(e);
    }
    if (row.count == 1 && entries.size() != 1) throw SourceError(line, "raw section " + std::to_string(id) + " holds exactly one entry");
    if (h.raw.count(id)) throw SourceError(line, "raw section " + std::to_string(id) + " given twice");
    h.raw[id] = entries;
}

void ParseHeader(Parser& p, FileHeader& h) {
    h.present = true;
    Block(p, [&](const std::string& kw, int l) {
        if (kw == "first-name") h.firstName = p.string();
        else if (kw == "version") { h.versionText = p.string(); h.versionSet = true; }
        else if (kw == "format") { h.format = static_cast<uint32_t>(p.number(0, UINT32_MAX)); h.formatSet = true; }
        else if (kw == "model") h.modelName = p.string();
        else if (kw == "raw") ParseRawSection(p, h, l);
        else return false;
        return true;
    });
    if (!h.versionSet) throw SourceError(p.peek().line, "the header needs a 'version'");
    if (!h.formatSet) throw SourceError(p.peek().line, "the header needs a 'format'");
}

void ParseStatement(Parser& p) {
    const int line = p.peek().line;
    const std::string kw = p.word();
    ModelSource& m = *p.m;
    if (kw == "main") {
        if (m.files[0].present) throw SourceError(line, "a second 'main' header");
        ParseHeader(p, m.files[0]);
        return;
    }
    if (kw == "linked") {
        if (m.files[1].present) throw SourceError(line, "a second 'linked' header");
        m.files[1].fileName = p.string();
        if (m.files[1].fileName.empty() || m.files[1].fileName.size() > 63) throw SourceError(line, "linked file name of 1 to 63 characters");
        ParseHeader(p, m.files[1]);
        return;
    }
    if (kw == "strings") {
        StringModule mod;
        mod.fileName = p.string();
        mod.line = line;
        Block(p, [&](const std::string& idText, int l) {
            char* end = nullptr;
            const unsigned long id = strtoul(idText.c_str(), &end, 0);
            if (*end != 0 || id == 0 || id > 0xFFFF) throw SourceError(l, "string identifier 1 to 65535 expected");
            if (!mod.strings.emplace(static_cast<uint16_t>(id), p.string()).second) throw SourceError(l, "string " + idText + " given twice");
            return true;
        });
        for (const StringModule& other : m.modules)
            if (other.fileName == mod.fileName) throw SourceError(line, "string module '" + mod.fileName + "' given twice");
        m.modules.push_back(mod);
        return;
    }
    if (kw == "place") {
        const std::string w = p.word();
        if (w == "main") p.place = 0;
        else if (w == "linked") {
            if (!m.files[1].present) throw SourceError(line, "'place linked' needs a 'linked' header first");
            p.place = 1;
        } else throw SourceError(line, "place main or place linked");
        return;
    }
    if (!m.files[p.place].present) throw SourceError(line, "records need the 'main' header first");
    if (kw == "feature") ParseFeature(p, line);
    else if (kw == "paper") ParsePaper(p, line);
    else if (kw == "tray") ParseTray(p, line, kKindInputTray);
    else if (kw == "bin") ParseTray(p, line, kKindOutputBin);
    else if (kw == "rule") ParseRule(p, line);
    else if (kw == "font") ParseFont(p, line);
    else if (kw == "sizes") {
        const std::string name = RecordName(p);
        uint16_t v[4];
        for (uint16_t& x : v) x = p.u16();
        const uint16_t id = p.newId(kKindSizePairs);
        p.declare(kKindSizePairs, id, line);
        if (!m.sizePairs.emplace(name, std::make_pair(p.place, id)).second) throw SourceError(line, "sizes '" + name + "' declared twice");
        Builder b(p, kKindSizePairs, id, line);
        for (uint16_t x : v) b.u16(x);
        b.field(std::to_string(v[0]) + "," + std::to_string(v[1]));
        b.field(std::to_string(v[2]) + "," + std::to_string(v[3]));
        m.records.push_back(b.done());
    } else if (kw == "block") {
        const std::string name = RecordName(p);
        const std::vector<uint8_t> data = p.hex();
        const uint16_t id = p.newId(kKindByteBlock);
        p.declare(kKindByteBlock, id, line);
        if (!m.byteBlocks.emplace(name, std::make_pair(p.place, id)).second) throw SourceError(line, "block '" + name + "' declared twice");
        Builder b(p, kKindByteBlock, id, line);
        b.length16(data.size());
        b.raw(data);
        b.field(std::to_string(data.size()));
        m.records.push_back(b.done());
    } else if (kw == "array") {
        const std::string name = RecordName(p);
        const uint8_t type = TypeByName(p, p.word());
        uint16_t size;
        switch (type) {
        case kValueFlag: case kValueByte: size = 1; break;
        case kValueS16: case kValueU16: size = 2; break;
        case kValueS32: case kValueU32: case kValueS32b: size = 4; break;
        default: throw SourceError(line, "arrays hold numbers");
        }
        std::vector<int64_t> items;
        Block(p, [&](const std::string& w, int l) {
            --p.pos;
            (void)w;
            (void)l;
            items.push_back(p.number(type == kValueS16 ? -32768 : (type == kValueS32 || type == kValueS32b ? INT32_MIN : 0),
                                     size == 1 ? 255 : (size == 2 ? 65535 : UINT32_MAX)));
            return true;
        });
        const uint16_t position = ++p.arrayCount[p.place];
        const uint16_t id = p.newId(kKindValueArray);
        p.declare(kKindValueArray, id, line);
        if (!m.arrays.emplace(name, std::make_pair(p.place, position)).second) throw SourceError(line, "array '" + name + "' declared twice");
        Builder b(p, kKindValueArray, id, line);
        b.u16(0);
        b.u8(type);
        b.u16(size);
        b.u32(0);
        b.length16(items.size());
        for (int64_t v : items)
            for (int i = 0; i < size; ++i) b.u8(static_cast<uint32_t>(static_cast<uint64_t>(v) >> (8 * i)));
        b.field("0");
        b.field(std::to_string(type));
        b.field(std::to_string(size));
        b.field(std::to_string(items.size()));
        m.records.push_back(b.done());
    } else if (kw == "picture") {
        const std::string name = RecordName(p);
        const uint16_t id = p.newId(kKindPicture);
        p.declare(kKindPicture, id, line);
        if (!m.pictures.emplace(name, std::make_pair(p.place, id)).second) throw SourceError(line, "picture '" + name + "' declared twice");
        uint8_t pk = 1;
        uint16_t n1 = 0, n2 = 0;
        std::vector<uint8_t> data;
        Block(p, [&](const std::string& k, int l) {
            if (k == "kind") pk = p.u8();
            else if (k == "numbers") { n1 = p.u16(); n2 = p.u16(); }
            else if (k == "bmp") data = ReadFileBytes(SourceDir(m) + "/" + p.string(), l);
            else if (k == "data") data = p.hex();
            else return false;
            return true;
        });
        if (data.size() < 14) throw SourceError(line, "a picture is a bitmap file: at least its 14-byte file header");
        Builder b(p, kKindPicture, id, line);
        b.u8(pk); b.u16(n1); b.u16(n2);
        b.u16(0);
        b.u32(static_cast<uint32_t>(data.size()));
        b.raw(data);
        b.field(std::to_string(pk));
        b.field(std::to_string(n1));
        b.field(std::to_string(n2));
        b.field(std::to_string(data.size() - 14));
        m.records.push_back(b.done());
    } else if (kw == "picture-ref") {
        const uint16_t id = p.newId(kKindPictureRef);
        p.declare(kKindPictureRef, id, line);
        TermList terms(p);
        uint16_t n1 = 0, n2 = 0;
        std::string picture;
        Block(p, [&](const std::string& k, int) {
            if (k == "if") terms.add(p, true, false);
            else if (k == "numbers") { n1 = p.u16(); n2 = p.u16(); }
            else if (k == "picture") picture = RecordName(p);
            else return false;
            return true;
        });
        Builder b(p, kKindPictureRef, id, line);
        terms.writeInto(b);
        b.u16(n1); b.u16(n2);
        b.field(std::to_string(n1));
        b.field(std::to_string(n2));
        if (picture.empty()) { b.u16(0); b.field("0"); }
        else { b.fixup(FixupKind::Picture, picture, line); b.field("\x03" + picture + "\x04"); }
        m.records.push_back(b.done());
    } else if (kw == "job-attribute") {
        const uint16_t id = p.newId(kKindJobAttribute);
        p.declare(kKindJobAttribute, id, line);
        const uint16_t setting = p.u16();
        TermList terms(p);
        Text prefix, text;
        uint16_t flags = 0;
        Block(p, [&](const std::string& k, int l) {
            if (k == "if") terms.add(p, true, false);
            else if (k == "prefix") prefix = p.text();
            else if (k == "text") text = p.text();
            else if (k == "flags") { NeedFormat(p, kModelFormat1280, l, "job attribute flags"); flags = p.u16(); }
            else return false;
            return true;
        });
        Builder b(p, kKindJobAttribute, id, line);
        b.u16(setting);
        b.field(std::to_string(setting));
        terms.writeInto(b);
        b.field(b.str(prefix));
        b.field(b.str(text));
        if (p.format() >= kModelFormat1280) b.u16(flags);
        b.field(std::to_string(flags));
        m.records.push_back(b.done());
    } else if (kw == "rule-block") {
        const uint16_t id = p.newId(kKindRuleBlock);
        p.declare(kKindRuleBlock, id, line);
        TermList terms(p);
        uint8_t b1 = 0, b2 = 0;
        std::vector<uint8_t> data;
        Block(p, [&](const std::string& k, int) {
            if (k == "if") terms.add(p, true, false);
            else if (k == "bytes") { b1 = p.u8(); b2 = p.u8(); }
            else if (k == "data") data = p.hex();
            else return false;
            return true;
        });
        Builder b(p, kKindRuleBlock, id, line);
        terms.writeInto(b);
        b.u8(b1); b.u8(b2);
        b.length16(data.size());
        b.raw(data);
        b.field(std::to_string(b1));
        b.field(std::to_string(b2));
        b.field(std::to_string(data.size()));
        m.records.push_back(b.done());
    } else if (kw == "setting-32779") {
        NeedFormat(p, kModelFormat512, line, "records of setting 32779");
        const uint16_t id = p.u16();
        p.declare(kKindSetting32779, id, line);
        const Text name = p.text();
        uint8_t byte = 0;
        Text text;
        bool hasText = false;
        Block(p, [&](const std::string& k, int l) {
            if (k == "byte") byte = p.u8();
            else if (k == "text") { NeedFormat(p, kModelFormat1024, l, "text"); text = p.text(); hasText = true; }
            else return false;
            return true;
        });
        Builder b(p, kKindSetting32779, id, line);
        b.field(b.str(name));
        b.u8(byte);
        b.field(std::to_string(byte));
        if (p.format() >= kModelFormat1024) b.field(hasText ? b.str(text) : (b.u16(0), std::string()));
        else b.field("");
        m.records.push_back(b.done());
    } else if (kw == "setting-list") {
        ParseSettingList(p, line, kKindSettingList, p.newId(kKindSettingList));
    } else if (kw == "preset") {
        const uint16_t id = p.u16();
        ParseSettingList(p, line, kKindPreset, id);
    } else if (kw == "entry-set") {
        const uint16_t id = p.newId(kKindEntrySet);
        p.declare(kKindEntrySet, id, line);
        uint16_t n1 = 0, n2 = 0, bb = 0, flags = 0, n3 = 0;
        uint8_t a = 0, byte = 0;
        std::vector<Text> names;
        Builder values(p, 0, 0, line);
        values.r.bytes.clear();
        std::vector<std::string> valueListing;
        Block(p, [&](const std::string& k, int) {
            if (k == "numbers") { n1 = p.u16(); n2 = p.u16(); }
            else if (k == "a") a = p.u8();
            else if (k == "b") bb = p.u16();
            else if (k == "byte") byte = p.u8();
            else if (k == "flags") flags = p.u16();
            else if (k == "number3") n3 = p.u16();
            else if (k == "entry") { names.push_back(p.text()); valueListing.push_back(Value(p, values)); }
            else if (k == "name") names.push_back(p.text());
            else if (k == "value") valueListing.push_back(Value(p, values));
            else return false;
            return true;
        });
        Builder b(p, kKindEntrySet, id, line);
        b.u16(n1); b.u16(n2); b.u8(a); b.u16(bb); b.u8(byte); b.u16(flags); b.u16(n3);
        b.field(std::to_string(n1));
        b.field(std::to_string(n2));
        b.field(std::to_string(a));
        b.field(std::to_string(a == 1 ? 4 : bb));
        b.field(std::to_string(byte));
        b.field(std::to_string(flags));
        b.field(std::to_string(n3));
        size_t at = b.beginList();
        std::vector<std::string> nl;
        for (const Text& t : names) nl.push_back(b.str(t));
        b.endList(at, static_cast<uint32_t>(names.size()));
        b.field(Join(nl, ";"));
        at = b.beginList();
        b.append(values.r);
        b.endList(at, static_cast<uint32_t>(valueListing.size()));
        b.field(Join(valueListing, ";"));
        m.records.push_back(b.done());
    } else if (kw == "rule-triples") {
        const uint16_t id = p.newId(kKindRuleTriples);
        p.declare(kKindRuleTriples, id, line);
        TermList terms(p);
        std::vector<uint16_t> triples;
        Block(p, [&](const std::string& k, int) {
            if (k == "if") terms.add(p, true, false);
            else if (k == "triple") { for (int i = 0; i < 3; ++i) triples.push_back(p.u16()); }
            else return false;
            return true;
        });
        Builder b(p, kKindRuleTriples, id, line);
        terms.writeInto(b);
        const size_t at = b.beginList();
        std::vector<std::string> l;
        for (size_t i = 0; i < triples.size(); i += 3) {
            b.u16(triples[i]); b.u16(triples[i + 1]); b.u16(triples[i + 2]);
            l.push_back(std::to_string(triples[i]) + "," + std::to_string(triples[i + 1]) + "," + std::to_string(triples[i + 2]));
        }
        b.endList(at, static_cast<uint32_t>(l.size()));
        b.field(Join(l, ";"));
        m.records.push_back(b.done());
    } else if (kw == "named-string") {
        NeedFormat(p, kModelFormat8192, line, "named strings");
        const uint16_t id = p.newId(kKindNamedString);
        p.declare(kKindNamedString, id, line);
        const Text name = p.text();
        const Text text = p.text();
        Builder b(p, kKindNamedString, id, line);
        b.field(b.str(name));
        b.field(b.str(text));
        m.records.push_back(b.done());
    } else {
        throw SourceError(line, "unknown statement '" + kw + "'");
    }
}

}  // namespace

void ParseModelSource(const std::string& text, ModelSource* model) {
    Parser p;
    p.toks = Lex(text);
    p.m = model;
    while (true) {
        p.skipSemis();
        if (p.peek().type == Tok::End) break;
        ParseStatement(p);
    }
    if (!model->files[0].present) throw SourceError(1, "the source has no 'main' header");
}
