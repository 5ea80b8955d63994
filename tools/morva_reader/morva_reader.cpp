#include "tools/morva_reader/morva_reader_internal.h"

#include <charconv>
#include <cstring>
#include <utility>

bool ReaderCursor::Need(size_t n)
{
    if (truncated || n > size - pos) {
        truncated = true;
        pos = size;
        return false;
    }
    return true;
}

uint32_t ReaderCursor::U8()
{
    if (!Need(1))
        return 0;
    return data[pos++];
}

int32_t ReaderCursor::S8()
{
    return static_cast<int8_t>(U8());
}

uint32_t ReaderCursor::U16()
{
    if (!Need(2))
        return 0;
    const uint32_t v = (uint32_t{data[pos]} << 8) | data[pos + 1];
    pos += 2;
    return v;
}

int32_t ReaderCursor::S16()
{
    return static_cast<int16_t>(U16());
}

int32_t ReaderCursor::S24()
{
    if (!Need(3))
        return 0;
    uint32_t v = (uint32_t{data[pos]} << 16) | (uint32_t{data[pos + 1]} << 8) | data[pos + 2];
    pos += 3;
    if (v & 0x800000)
        v |= 0xFF000000;
    return static_cast<int32_t>(v);
}

uint32_t ReaderCursor::U32()
{
    if (!Need(4))
        return 0;
    const uint32_t v = (uint32_t{data[pos]} << 24) | (uint32_t{data[pos + 1]} << 16) | (uint32_t{data[pos + 2]} << 8) |
                       data[pos + 3];
    pos += 4;
    return v;
}

int32_t ReaderCursor::S32()
{
    return static_cast<int32_t>(U32());
}

float ReaderCursor::F32()
{
    const uint32_t bits = U32();
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

// First byte: bit 7 more follows, bit 6 sign, six bits of magnitude; then
// seven bits a byte, most significant first, at most five bytes in all.
int32_t ReaderCursor::Varint()
{
    const uint32_t first = U8();
    const bool negative = (first & 0x40) != 0;
    uint64_t magnitude = first & 0x3F;
    bool more = (first & 0x80) != 0;
    int bytes = 1;
    while (more && !truncated) {
        if (++bytes > 5) {
            problem = "varint longer than 5 bytes";
            return 0;
        }
        const uint32_t b = U8();
        magnitude = magnitude * 128 + (b & 0x7F);
        more = (b & 0x80) != 0;
    }
    return negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude)) : static_cast<int32_t>(magnitude);
}

std::string FloatText(float value)
{
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof(buffer), value);
    return std::string(buffer, r.ptr);
}

void AddInt(std::string& line, const char* name, int64_t value)
{
    line += ' ';
    line += name;
    line += '=';
    line += std::to_string(value);
}

void AddHex(std::string& line, const char* name, uint32_t value)
{
    char buffer[16];
    const auto r = std::to_chars(buffer, buffer + sizeof(buffer), value, 16);
    line += ' ';
    line += name;
    line += "=0x";
    line.append(buffer, r.ptr);
}

void AddFloat(std::string& line, const char* name, float value)
{
    line += ' ';
    line += name;
    line += '=';
    line += FloatText(value);
}

void AddFloats(std::string& line, const char* name, ReaderCursor& c, size_t count)
{
    line += ' ';
    line += name;
    line += "=[";
    for (size_t i = 0; i < count && !c.truncated; ++i) {
        if (i != 0)
            line += ',';
        line += FloatText(c.F32());
    }
    line += ']';
}

// Hex of up to 32 bytes; longer data shows its first 16 bytes and its length.
void AddBytes(std::string& line, const char* name, ReaderCursor& c, size_t count)
{
    if (!c.Need(count))
        return;
    c.spans.push_back({name, c.pos, count});
    static const char kHex[] = "0123456789abcdef";
    line += ' ';
    line += name;
    line += '=';
    const size_t shown = count <= 32 ? count : 16;
    for (size_t i = 0; i < shown; ++i) {
        line += kHex[c.data[c.pos + i] >> 4];
        line += kHex[c.data[c.pos + i] & 15];
    }
    if (shown < count)
        line += "...(" + std::to_string(count) + " bytes)";
    if (count == 0)
        line += "-";
    c.pos += count;
}

void AddText(std::string& line, const char* name, ReaderCursor& c, size_t count)
{
    if (!c.Need(count))
        return;
    static const char kHex[] = "0123456789abcdef";
    line += ' ';
    line += name;
    line += "=\"";
    for (size_t i = 0; i < count; ++i) {
        const uint8_t b = c.data[c.pos + i];
        if (b >= 0x20 && b < 0x7F && b != '"' && b != '\\') {
            line += static_cast<char>(b);
        } else {
            line += "\\x";
            line += kHex[b >> 4];
            line += kHex[b & 15];
        }
    }
    line += '"';
    c.pos += count;
}

namespace {

std::string OpcodeName(uint16_t opcode)
{
    std::string name;
    for (int shift : {8, 0}) {
        const char ch = static_cast<char>((opcode >> shift) & 0xFF);
        if (ch >= 0x20 && ch < 0x7F) {
            name += ch;
        } else {
            name = "";
            break;
        }
    }
    if (name.empty()) {
        char buffer[8];
        const auto r = std::to_chars(buffer, buffer + sizeof(buffer), opcode, 16);
        name = "0x" + std::string(buffer, r.ptr);
    }
    return name;
}

constexpr uint16_t kStreamEndOpcode = 0x4542;  // "EB"

// Reads commands from c.pos; with stopAtEnd, returns after "EB".
bool ReadCommands(ReaderCursor& c, const MorvaReadOptions& options, bool stopAtEnd, MorvaListing* listing)
{
    while (!c.AtEnd()) {
        const size_t offset = c.pos;
        if (c.size - c.pos < 2) {
            listing->error = "truncated opcode at offset " + std::to_string(offset);
            return false;
        }
        const uint16_t opcode = static_cast<uint16_t>(c.U16());
        std::string line = OpcodeName(opcode);
        c.spans.clear();
        if (!ParseOperands(opcode, c, options, line)) {
            listing->error = "unknown opcode " + OpcodeName(opcode) + " at offset " + std::to_string(offset);
            return false;
        }
        if (c.truncated) {
            listing->error = "truncated command " + OpcodeName(opcode) + " at offset " + std::to_string(offset);
            return false;
        }
        if (!c.problem.empty()) {
            listing->error = c.problem + " in " + OpcodeName(opcode) + " at offset " + std::to_string(offset);
            return false;
        }
        listing->commands.push_back({offset, opcode, line, std::move(c.spans)});
        if (stopAtEnd && opcode == kStreamEndOpcode)
            return true;
    }
    return true;
}

// The next LF-ended line from c.pos (without its LF); false when no LF follows.
bool NextLine(ReaderCursor& c, std::string* line)
{
    const void* lf = std::memchr(c.data + c.pos, '\n', c.size - c.pos);
    if (lf == nullptr)
        return false;
    const size_t end = static_cast<size_t>(static_cast<const uint8_t*>(lf) - c.data);
    line->assign(reinterpret_cast<const char*>(c.data + c.pos), end - c.pos);
    c.pos = end + 1;
    return true;
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

}  // namespace

bool ReadMorvaJob(const uint8_t* data, size_t size, const MorvaReadOptions& options, MorvaListing* listing)
{
    *listing = {};
    ReaderCursor c{data, data != nullptr ? size : 0, 0};
    std::string line;
    for (;;) {
        if (!NextLine(c, &line)) {
            listing->error = "no stream head line";
            return false;
        }
        if (StartsWith(line, "%ZQRQD-"))
            break;
        listing->headerLines.push_back(line);
    }
    listing->versionLine = line;
    if (!NextLine(c, &line) || !StartsWith(line, "%WINNT-")) {
        listing->error = "no system head line after the version line";
        return false;
    }
    listing->systemLine = line;
    if (!ReadCommands(c, options, true, listing))
        return false;
    while (!c.AtEnd()) {
        if (!NextLine(c, &line)) {
            line.assign(reinterpret_cast<const char*>(c.data + c.pos), c.size - c.pos);
            c.pos = c.size;
        }
        listing->trailerLines.push_back(line);
    }
    return true;
}

bool ReadMorvaCommands(const uint8_t* data, size_t size, const MorvaReadOptions& options, MorvaListing* listing)
{
    *listing = {};
    ReaderCursor c{data, data != nullptr ? size : 0, 0};
    return ReadCommands(c, options, false, listing);
}

std::string CommandTexts(const MorvaListing& listing)
{
    std::string out;
    for (const MorvaCommandLine& command : listing.commands) {
        if (!out.empty())
            out += '\n';
        out += command.text;
    }
    return out;
}

namespace {

// Job-language lines carry ESC and other control bytes: shown as \xNN.
std::string Printable(const std::string& text)
{
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : text) {
        if (b >= 0x20 && b != 0x7F) {
            out += static_cast<char>(b);
        } else {
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    return out;
}

}  // namespace

std::string FormatMorvaListing(const MorvaListing& listing)
{
    std::string out;
    for (const std::string& line : listing.headerLines)
        out += "header  " + Printable(line) + "\n";
    if (!listing.versionLine.empty())
        out += "head    " + Printable(listing.versionLine) + "\n";
    if (!listing.systemLine.empty())
        out += "head    " + Printable(listing.systemLine) + "\n";
    for (const MorvaCommandLine& command : listing.commands) {
        std::string offset = std::to_string(command.offset);
        if (offset.size() < 7)
            offset.insert(0, 7 - offset.size(), ' ');
        out += offset + " " + command.text + "\n";
    }
    for (const std::string& line : listing.trailerLines)
        out += "trailer " + Printable(line) + "\n";
    if (!listing.error.empty())
        out += "ERROR   " + listing.error + "\n";
    return out;
}
