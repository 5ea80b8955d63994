// Internals of the model data compiler's source reader: tokens, the parser
// state, the record builder and the shared value and term readers.
#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/modelc/modelc.h"

namespace modelc {

enum class Tok { Word, String, Open, Close, Semi, End };
struct Parser;
struct Token {
    Tok type;
    std::string text;
    int line;
};

std::vector<Token> Lex(const std::string& s);
// Plain file strings are stored in code page 1252 (Latin-1 range), complemented.
std::string Utf8ToAnsi(const std::string& s, int line);

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
    // A length or count in a 16-bit field: a longer one would be cut silently.
    void length16(size_t n) {
        if (n > 0xFFFF) throw SourceError(r.line, "length " + std::to_string(n) + " above 65535");
        u16(static_cast<uint32_t>(n));
    }
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

std::string Join(const std::vector<std::string>& v, const char* sep);
uint8_t TypeByName(Parser& p, const std::string& w);
std::string HexText(const std::vector<uint8_t>& b);
// A typed value: type, u16 size, data. Returns its listing form.
std::string Value(Parser& p, Builder& b);
uint8_t Operator(Parser& p);
uint8_t Connector(Parser& p);
// "when/if/set" terms. kind 517: a, op, setting, value; 521 adds the connector.
std::string Term(Parser& p, Builder& b, bool condition, bool assignment);

// Reads "{ stmt... }" calling f(keyword, line) for each statement; f answers
// false for a keyword it does not know.
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
bool IsRecordName(const std::string& w);
std::string RecordName(Parser& p);
std::vector<std::string> Names(Parser& p);
void NeedFormat(Parser& p, uint32_t version, int line, const char* what);
// A kind-17 record for the two pairs, shared by equal pairs in one file.
uint16_t AutoPairs(Parser& p, uint16_t x1, uint16_t y1, uint16_t x2, uint16_t y2, int line);

struct RefList {
    std::vector<std::string> names;
    int line = 0;
};

void WriteNameRefs(Builder& b, FixupKind kind, const RefList& list);
void WriteNumberRefs(Builder& b, const std::vector<uint16_t>& refs);
std::vector<uint16_t> NumberList(Parser& p);

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

std::vector<uint8_t> ReadFileBytes(const std::string& path, int line);
std::string SourceDir(const ModelSource& m);

}  // namespace modelc
