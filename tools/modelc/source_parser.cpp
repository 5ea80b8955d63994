// Reads the model source text into records. The format is described in README.md
// (section "Model data compiler").
#include <cmath>
#include <cstring>
#include <set>

#include "common/model/model_format.h"
#include "common/model/model_kind_map.h"
#include "tools/modelc/modelc.h"

namespace {

enum class Tok { Word, String, Open, Close, Semi, End };
struct Parser;
std::string RecordName(Parser& p);
struct Token {
    Tok type;
    std::string text;
    int line;
};

std::vector<Token> Lex(const std::string& s) {
    std::vector<Token> out;
    int line = 1;
    size_t i = 0;
    while (i < s.size()) {
        const char ch = s[i];
        if (ch == '\n') { ++line; ++i; continue; }
        if (isspace(static_cast<unsigned char>(ch))) { ++i; continue; }
        if (ch == '#') { while (i < s.size() && s[i] != '\n') ++i; continue; }
        if (ch == '{') { out.push_back({Tok::Open, "{", line}); ++i; continue; }
        if (ch == '}') { out.push_back({Tok::Close, "}", line}); ++i; continue; }
        if (ch == ';') { out.push_back({Tok::Semi, ";", line}); ++i; continue; }
        if (ch == '"') {
            std::string text;
            const int start = line;
            ++i;
            while (true) {
                if (i >= s.size() || s[i] == '\n') throw SourceError(start, "unterminated string");
                char c = s[i++];
                if (c == '"') break;
                if (c == '\\') {
                    if (i >= s.size()) throw SourceError(start, "unterminated string");
                    char e = s[i++];
                    if (e == 'n') c = '\n';
                    else if (e == 'r') c = '\r';
                    else if (e == 't') c = '\t';
                    else if (e == '"' || e == '\\') c = e;
                    else throw SourceError(line, std::string("unknown escape \\") + e);
                }
                text.push_back(c);
            }
            out.push_back({Tok::String, text, start});
            continue;
        }
        std::string word;
        while (i < s.size() && !isspace(static_cast<unsigned char>(s[i])) && s[i] != '{' && s[i] != '}' &&
               s[i] != ';' && s[i] != '"' && s[i] != '#')
            word.push_back(s[i++]);
        out.push_back({Tok::Word, word, line});
    }
    out.push_back({Tok::End, "", line});
    return out;
}

// Plain file strings are stored in code page 1252, complemented.
std::string Utf8ToAnsi(const std::string& s, int line) {
    std::string out;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = s[i];
        uint32_t cp;
        if (c < 0x80) { cp = c; i += 1; }
        else if ((c & 0xE0) == 0xC0 && i + 1 < s.size()) { cp = ((c & 0x1F) << 6) | (s[i + 1] & 0x3F); i += 2; }
        else throw SourceError(line, "text holds a character outside code page 1252's Latin-1 range");
        if (cp > 0xFF || (cp >= 0x80 && cp < 0xA0)) throw SourceError(line, "text holds a character outside Latin-1");
        out.push_back(static_cast<char>(cp));
    }
    return out;
}

struct Text {
    bool resource = false;
    uint16_t module = 0, id = 0;
    std::string text;  // UTF-8
    int line = 0;
};

struct Parser {
    std::vector<Token> toks;
    size_t pos = 0;
    ModelSource* m;
    int place = 0;
    std::map<uint16_t, uint16_t> counters;         // kind -> last id given
    uint16_t arrayCount[2] = {0, 0};               // kind-20 positions per file
    std::map<std::string, uint16_t> autoPairs;     // "x,y,x,y" -> kind-17 id
    std::set<std::pair<uint16_t, uint16_t>> ids;   // (kind, id) declared

    const Token& peek() const { return toks[pos]; }
    const Token& next() { return toks[pos < toks.size() - 1 ? pos++ : pos]; }
    [[noreturn]] void fail(const std::string& msg) { throw SourceError(peek().line, msg); }
    bool atWord(const char* w) const { return peek().type == Tok::Word && peek().text == w; }
    void skipSemis() { while (peek().type == Tok::Semi) ++pos; }

    std::string word() {
        if (peek().type != Tok::Word) fail("expected a word, found '" + peek().text + "'");
        return next().text;
    }
    void expect(Tok t, const char* what) {
        if (peek().type != t) fail(std::string("expected ") + what + ", found '" + peek().text + "'");
        ++pos;
    }
    std::string string() {
        if (peek().type != Tok::String) fail("expected a quoted string");
        return next().text;
    }
    int64_t number(int64_t lo, int64_t hi) {
        const Token& t = peek();
        if (t.type != Tok::Word) fail("expected a number");
        char* end = nullptr;
        errno = 0;
        const long long v = strtoll(t.text.c_str(), &end, 0);
        if (end == t.text.c_str() || *end != 0 || errno != 0) fail("'" + t.text + "' is not a number");
        if (v < lo || v > hi) fail("number " + t.text + " out of range");
        ++pos;
        return v;
    }
    uint16_t u16() { return static_cast<uint16_t>(number(0, 0xFFFF)); }
    uint8_t u8() { return static_cast<uint8_t>(number(0, 0xFF)); }
    bool atNumber() const {
        if (peek().type != Tok::Word) return false;
        const char c = peek().text[0];
        return isdigit(static_cast<unsigned char>(c)) || c == '-';
    }
    Text text() {
        Text t;
        t.line = peek().line;
        if (peek().type == Tok::String) {
            t.text = next().text;
            return t;
        }
        const std::string w = word();
        unsigned mod = 0, id = 0;
        char tail = 0;
        if (w.size() < 4 || w[0] != '@' || sscanf(w.c_str(), "@%u:%u%c", &mod, &id, &tail) != 2 || mod == 0 ||
            id == 0 || mod > 0xFFFF || id > 0xFFFF)
            throw SourceError(t.line, "expected a quoted string or a resource reference @module:id");
        t.resource = true;
        t.module = static_cast<uint16_t>(mod);
        t.id = static_cast<uint16_t>(id);
        return t;
    }
    std::vector<uint8_t> hex() {
        const int line = peek().line;
        std::string h = peek().type == Tok::String ? next().text : word();
        std::vector<uint8_t> out;
        std::string digits;
        for (char c : h)
            if (!isspace(static_cast<unsigned char>(c))) digits.push_back(c);
        if (digits.size() % 2) throw SourceError(line, "odd number of hexadecimal digits");
        for (size_t i = 0; i < digits.size(); i += 2) {
            if (!isxdigit(static_cast<unsigned char>(digits[i])) || !isxdigit(static_cast<unsigned char>(digits[i + 1])))
                throw SourceError(line, "bad hexadecimal digit");
            out.push_back(static_cast<uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
        }
        return out;
    }

    const FileHeader& header() const { return m->files[place]; }
    uint32_t format() const { return m->files[place].format; }

    uint16_t newId(uint16_t kind) { return ++counters[kind]; }
    void declare(uint16_t kind, uint16_t id, int line) {
        if (!ids.insert({kind, id}).second)
            throw SourceError(line, "record " + std::to_string(id) + " of kind " + std::to_string(kind) + " declared twice");
    }
};

// Builds one record's bytes.
struct Builder {
    Parser& p;
    Record r;
    std::vector<std::string> fields;

    Builder(Parser& parser, uint16_t kind, uint16_t id, int line) : p(parser) {
        r.kind = kind;
        r.id = id;
        r.file = p.place;
        r.line = line;
        u32(0);
        u16(id);
    }
    void u8(uint32_t v) { r.bytes.push_back(static_cast<uint8_t>(v)); }
    void u16(uint32_t v) { u8(v); u8(v >> 8); }
    void u32(uint32_t v) { u16(v); u16(v >> 16); }
    void raw(const std::vector<uint8_t>& b) { r.bytes.insert(r.bytes.end(), b.begin(), b.end()); }
    void fixup(FixupKind k, const std::string& name, int line) {
        r.fixups.push_back({k, static_cast<uint32_t>(r.bytes.size()), name, line});
        u16(0);
    }
    void patch32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) r.bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }
    void patch16(size_t at, uint32_t v) {
        r.bytes[at] = static_cast<uint8_t>(v);
        r.bytes[at + 1] = static_cast<uint8_t>(v >> 8);
    }
    // List head: returns where it starts; endList writes its length and count.
    size_t beginList() {
        const size_t at = r.bytes.size();
        u32(0);
        u16(0);
        return at;
    }
    void endList(size_t at, uint32_t count) {
        if (count > 0xFFFF) throw SourceError(r.line, "list too long");
        patch32(at, static_cast<uint32_t>(r.bytes.size() - at - 4));
        patch16(at + 4, count);
    }
    // The body of a file string (no length); its listing form.
    std::vector<uint8_t> body(const Text& t, std::string* listing) {
        std::vector<uint8_t> b;
        if (t.resource) {
            b = {0, static_cast<uint8_t>(t.module), static_cast<uint8_t>(t.module >> 8), static_cast<uint8_t>(t.id),
                 static_cast<uint8_t>(t.id >> 8), 0};
            r.resources.push_back({t.module, t.id, t.line});
            *listing = "\x01" + std::to_string(r.file) + ":" + std::to_string(t.module) + ":" + std::to_string(t.id) + "\x02";
            return b;
        }
        const std::string ansi = Utf8ToAnsi(t.text, t.line);
        if (!ansi.empty() && static_cast<uint8_t>(ansi.back()) == 0xFF)
            throw SourceError(t.line, "a plain text may not end with the character 0xFF (it would read as a reference)");
        if (ansi.size() > 0xFFFF) throw SourceError(t.line, "text too long");
        for (char c : ansi) b.push_back(static_cast<uint8_t>(~static_cast<uint8_t>(c)));
        *listing = t.text;
        return b;
    }
    std::string str(const Text& t) {
        std::string listing;
        const std::vector<uint8_t> b = body(t, &listing);
        u16(static_cast<uint32_t>(b.size()));
        raw(b);
        return listing;
    }
    // Appends bytes built apart (from byte `from` on), with their fixups and string uses.
    void append(const Record& other, size_t from = 0) {
        const size_t base = r.bytes.size();
        r.bytes.insert(r.bytes.end(), other.bytes.begin() + from, other.bytes.end());
        for (Fixup f : other.fixups) {
            f.offset = static_cast<uint32_t>(f.offset - from + base);
            r.fixups.push_back(f);
        }
        r.resources.insert(r.resources.end(), other.resources.begin(), other.resources.end());
    }
    void field(const std::string& f) { fields.push_back(f); }
    Record done() {
        std::string l;
        for (size_t i = 0; i < fields.size(); ++i) l += (i ? "|" : "") + fields[i];
        r.listing = l;
        return std::move(r);
    }
};

std::string Join(const std::vector<std::string>& v, const char* sep) {
    std::string s;
    for (size_t i = 0; i < v.size(); ++i) s += (i ? sep : "") + v[i];
    return s;
}

uint8_t TypeByName(Parser& p, const std::string& w) {
    static const std::map<std::string, uint8_t> types = {
        {"flag", kValueFlag}, {"s16", kValueS16}, {"u16", kValueU16}, {"s32", kValueS32}, {"u32", kValueU32},
        {"str", kValueString}, {"float", kValueFloat}, {"byte", kValueByte}, {"struct", kValueStruct},
        {"s32b", kValueS32b}, {"ref", kValueReference}};
    auto it = types.find(w);
    if (it == types.end()) {
        --p.pos;
        p.fail("unknown value type '" + w + "'");
    }
    return it->second;
}

std::string HexText(const std::vector<uint8_t>& b) {
    static const char* d = "0123456789abcdef";
    std::string s = "x";
    for (uint8_t c : b) {
        s.push_back(d[c >> 4]);
        s.push_back(d[c & 15]);
    }
    return s;
}

// A typed value: type, u16 size, data. Returns its listing form.
std::string Value(Parser& p, Builder& b) {
    const std::string w = p.word();
    if (w == "empty" || w == "raw") {
        const uint8_t type = TypeByName(p, p.word());
        std::vector<uint8_t> data;
        if (w == "raw") data = p.hex();
        b.u8(type);
        b.u16(static_cast<uint32_t>(data.size()));
        b.raw(data);
        if (data.empty()) return std::to_string(type) + ":-";
        return std::to_string(type) + ":" + HexText(data);
    }
    const uint8_t type = TypeByName(p, w);
    b.u8(type);
    switch (type) {
    case kValueFlag: {
        const int64_t v = p.number(0, 1);
        b.u16(1);
        b.u8(static_cast<uint32_t>(v));
        return "1:" + std::to_string(v);
    }
    case kValueS16: { const int64_t v = p.number(-32768, 32767); b.u16(2); b.u16(static_cast<uint32_t>(v)); return "2:" + std::to_string(v); }
    case kValueU16: { const int64_t v = p.number(0, 65535); b.u16(2); b.u16(static_cast<uint32_t>(v)); return "3:" + std::to_string(v); }
    case kValueS32: case kValueS32b: {
        const int64_t v = p.number(INT32_MIN, INT32_MAX);
        b.u16(4);
        b.u32(static_cast<uint32_t>(v));
        return std::to_string(type) + ":" + std::to_string(v);
    }
    case kValueU32: { const int64_t v = p.number(0, UINT32_MAX); b.u16(4); b.u32(static_cast<uint32_t>(v)); return "5:" + std::to_string(v); }
    case kValueByte: { const int64_t v = p.number(0, 255); b.u16(1); b.u8(static_cast<uint32_t>(v)); return "8:" + std::to_string(v); }
    case kValueFloat: {
        const std::string t = p.word();
        char* end = nullptr;
        const float f = strtof(t.c_str(), &end);
        if (end == t.c_str() || *end != 0 || !std::isfinite(f)) { --p.pos; p.fail("'" + t + "' is not a number"); }
        uint32_t bits;
        memcpy(&bits, &f, 4);
        b.u16(4);
        b.u32(bits);
        std::vector<uint8_t> bytes(b.r.bytes.end() - 4, b.r.bytes.end());
        return "7:" + HexText(bytes);
    }
    case kValueString: {
        const Text t = p.text();
        std::string listing;
        const std::vector<uint8_t> body = b.body(t, &listing);
        b.u16(static_cast<uint32_t>(body.size()));
        b.raw(body);
        if (body.empty()) return "6:-";
        return "6:'" + listing + "'";
    }
    case kValueStruct: {
        const std::vector<uint8_t> data = p.hex();
        b.u16(static_cast<uint32_t>(data.size()));
        b.raw(data);
        return "9:" + HexText(data);
    }
    case kValueReference: {
        const int line = p.peek().line;
        const std::string name = RecordName(p);
        b.u16(2);
        b.fixup(FixupKind::Array, name, line);
        return "128:\x03" + name + "\x04";
    }
    }
    p.fail("unhandled type");
}

uint8_t Operator(Parser& p) {
    static const std::map<std::string, uint8_t> ops = {{"==", 0}, {"=", 1}, {"!=", 2}, {"<", 3}, {"<=", 4},
                                                       {">", 5}, {">=", 6}};
    const std::string w = p.word();
    auto it = ops.find(w);
    if (it != ops.end()) return it->second;
    unsigned v = 0;
    char tail = 0;
    if (sscanf(w.c_str(), "op%u%c", &v, &tail) == 1 && v <= 255) return static_cast<uint8_t>(v);
    --p.pos;
    p.fail("unknown operator '" + w + "' (=, !=, <, <=, >, >=, ==, or opN)");
}

uint8_t Connector(Parser& p) {
    if (p.peek().type != Tok::Word) return 1;
    const std::string& w = p.peek().text;
    uint8_t c = 0;
    unsigned v = 0;
    char tail = 0;
    if (w == "and") c = 1;
    else if (w == "or") c = 2;
    else if (w == "end") c = 3;
    else if (w == "end4") c = 4;
    else if (sscanf(w.c_str(), "c%u%c", &v, &tail) == 1 && v <= 255) c = static_cast<uint8_t>(v);
    else return 1;
    ++p.pos;
    return c;
}

// "when/if/set" terms. kind 517: a, op, setting, value; 521 adds the connector.
std::string Term(Parser& p, Builder& b, bool condition, bool assignment) {
    uint16_t a = 0;
    if (p.peek().type == Tok::Word && p.peek().text.rfind("a=", 0) == 0) {
        a = static_cast<uint16_t>(std::stoul(p.next().text.substr(2)));
    }
    const uint16_t setting = p.u16();
    const uint8_t op = assignment ? 1 : Operator(p);
    b.u16(a);
    b.u8(op);
    b.u16(setting);
    const std::string v = Value(p, b);
    std::string l = std::to_string(a) + "/" + std::to_string(op) + "/" + std::to_string(setting) + "/" + v;
    uint8_t d = 0;
    if (condition) {
        d = Connector(p);
        b.u8(d);
    }
    return l + "/" + std::to_string(d);
}

// Reads "{ stmt... }" calling f(keyword) for each statement.
template <typename F>
void Block(Parser& p, F f) {
    p.expect(Tok::Open, "'{'");
    while (true) {
        p.skipSemis();
        if (p.peek().type == Tok::Close) { ++p.pos; return; }
        if (p.peek().type == Tok::End) p.fail("missing '}'");
        const int line = p.peek().line;
        const std::string kw = p.word();
        if (!f(kw, line)) throw SourceError(line, "unknown statement '" + kw + "'");
    }
}

// Record names are upper-case ([A-Z_][A-Z0-9_]*), which keeps them apart from the
// lower-case statement words that may follow a list of them.
bool IsRecordName(const std::string& w) {
    if (w.empty() || !(isupper(static_cast<unsigned char>(w[0])) || w[0] == '_')) return false;
    for (char c : w)
        if (!(isupper(static_cast<unsigned char>(c)) || isdigit(static_cast<unsigned char>(c)) || c == '_')) return false;
    return true;
}

std::string RecordName(Parser& p) {
    if (p.peek().type != Tok::Word || !IsRecordName(p.peek().text))
        p.fail("expected a record name in capitals, found '" + p.peek().text + "'");
    return p.next().text;
}

std::vector<std::string> Names(Parser& p) {
    std::vector<std::string> names;
    while (p.peek().type == Tok::Word && IsRecordName(p.peek().text)) names.push_back(p.next().text);
    return names;
}

void NeedFormat(Parser& p, uint32_t version, int line, const char* what) {
    if (p.format() < version)
        throw SourceError(line, std::string(what) + " needs data format " + std::to_string(version) + " or later");
}

uint16_t AutoPairs(Parser& p, uint16_t x1, uint16_t y1, uint16_t x2, uint16_t y2, int line) {
    const std::string key = std::to_string(p.place) + ":" + std::to_string(x1) + "," + std::to_string(y1) + "," +
                            std::to_string(x2) + "," + std::to_string(y2);
    auto it = p.autoPairs.find(key);
    if (it != p.autoPairs.end()) return it->second;
    const uint16_t id = p.newId(kKindSizePairs);
    p.declare(kKindSizePairs, id, line);
    Builder b(p, kKindSizePairs, id, line);
    b.u16(x1); b.u16(y1); b.u16(x2); b.u16(y2);
    b.field(std::to_string(x1) + "," + std::to_string(y1));
    b.field(std::to_string(x2) + "," + std::to_string(y2));
    p.m->records.push_back(b.done());
    p.autoPairs[key] = id;
    return id;
}

struct RefList {
    std::vector<std::string> names;
    int line = 0;
};

void WriteNameRefs(Builder& b, FixupKind kind, const RefList& list) {
    const size_t at = b.beginList();
    for (const std::string& n : list.names) b.fixup(kind, n, list.line);
    b.endList(at, static_cast<uint32_t>(list.names.size()));
    std::vector<std::string> l;
    for (const std::string& n : list.names) l.push_back("\x03" + n + "\x04");
    b.field(Join(l, ","));
}

void WriteNumberRefs(Builder& b, const std::vector<uint16_t>& refs) {
    const size_t at = b.beginList();
    std::vector<std::string> l;
    for (uint16_t v : refs) {
        b.u16(v);
        l.push_back(std::to_string(v));
    }
    b.endList(at, static_cast<uint32_t>(refs.size()));
    b.field(Join(l, ","));
}

std::vector<uint16_t> NumberList(Parser& p) {
    std::vector<uint16_t> v;
    while (p.atNumber()) v.push_back(p.u16());
    return v;
}

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
    Block(p, [&](const std::string& kw, int l) {
        if (kw == "list-kind") listKind = p.u8();
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

// Terms collected from "if" statements into a list<521>.
struct TermList {
    Builder scratch;
    std::vector<std::string> listing;
    uint32_t count = 0;
    explicit TermList(Parser& p) : scratch(p, 0, 0, 0) { scratch.r.bytes.clear(); }
    void add(Parser& p, bool withByte, bool assignment) {
        listing.push_back(Term(p, scratch, withByte, assignment));
        ++count;
    }
    void writeInto(Builder& b) {
        const size_t at = b.beginList();
        b.append(scratch.r);
        b.endList(at, count);
        b.field(Join(listing, ";"));
    }
};

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

std::vector<uint8_t> ReadFileBytes(const std::string& path, int line) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) throw SourceError(line, "cannot open '" + path + "'");
    std::vector<uint8_t> data;
    uint8_t buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
    fclose(f);
    return data;
}

std::string SourceDir(const ModelSource& m) {
    const size_t cut = m.path.find_last_of('/');
    return cut == std::string::npos ? std::string(".") : m.path.substr(0, cut);
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
        b.u16(static_cast<uint32_t>(list->size()));
        std::vector<std::vector<uint8_t>> bodies;
        std::vector<std::string> l;
        for (const Text& t : *list) {
            std::string s;
            bodies.push_back(b.body(t, &s));
            l.push_back(s);
            b.u16(static_cast<uint32_t>(bodies.back().size()));
        }
        for (const auto& body : bodies) b.raw(body);
        b.field(Join(l, ";"));
    }
    b.u16(static_cast<uint32_t>(skipped.size()));
    b.raw(skipped);
    b.u32(static_cast<uint32_t>(payload.size()));
    b.raw(payload);
    b.field(std::to_string(payload.size()));
    b.u16(flags);
    b.field(std::to_string(flags));
    if (p.format() >= kModelFormat1024) {
        b.u16(static_cast<uint32_t>(valueListing.size()));
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
        b.u16(static_cast<uint32_t>(data.size()));
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
        b.u16(static_cast<uint32_t>(items.size()));
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
        b.u16(static_cast<uint32_t>(data.size()));
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
