// Values, terms, names and lists shared by the record statements.
#include <cmath>
#include <cstring>

#include "common/model/model_format.h"
#include "tools/modelc/source_parser.h"

namespace modelc {

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
        b.length16(data.size());
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
        b.length16(body.size());
        b.raw(body);
        if (body.empty()) return "6:-";
        return "6:'" + listing + "'";
    }
    case kValueStruct: {
        const std::vector<uint8_t> data = p.hex();
        b.length16(data.size());
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

}  // namespace modelc
