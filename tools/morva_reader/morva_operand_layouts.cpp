// The operand layout of every MORVA opcode, as the stream format defines it.
// Deliberately independent of the encoder's code: this is the second opinion.
#include "tools/morva_reader/morva_reader_internal.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint16_t Op(const char (&letters)[3])
{
    return static_cast<uint16_t>((static_cast<uint8_t>(letters[0]) << 8) | static_cast<uint8_t>(letters[1]));
}

// Simple layouts: space-separated "name:type" with the types s8 u8 x8 s16 u16
// s24 s32 u32 f32 and f32x6 (six floats).
struct SimpleLayout {
    uint16_t opcode;
    const char* layout;
};

constexpr SimpleLayout kSimpleLayouts[] = {
    {Op("AA"), "a:s16 b:s16 c:s16 d:s16 e:s16 f:s16"},
    {Op("Aa"), "matrix:f32x6"},
    {Op("AB"), "left:s16 top:s16 right:s16 bottom:s16"},
    {Op("Ab"), "left:f32 top:f32 right:f32 bottom:f32"},
    {Op("AC"), ""},
    {Op("AD"), "width:s16"},
    {Op("Ad"), "width:f32"},
    {Op("AE"), "cap:u8"},
    {Op("AF"), "join:u8"},
    {Op("AG"), "limit:s8"},
    {Op("Ag"), "limit:f32"},
    {Op("AI"), "on:u8"},
    {Op("AJ"), "rule:u8"},
    {Op("AK"), "op:u8"},
    {Op("AL"), "kind:u8 value:s32"},
    {Op("AR"), ""},
    {Op("BA"), ""},
    {Op("BB"), "x:s16 y:s16"},
    {Op("Bb"), "x:f32 y:f32"},
    {Op("BC"), ""},
    {Op("BD"), ""},
    {Op("CG"), "x1:s16 y1:s16 x2:s16 y2:s16"},
    {Op("Cg"), "x1:f32 y1:f32 x2:f32 y2:f32"},
    {Op("Cc"), "cx:f32 cy:f32 rx:f32 ry:f32 start:f32 sweep:f32"},
    {Op("DA"), "font:s16"},
    {Op("Db"), "matrix:f32x6"},
    {Op("DI"), "x:s16 y:s16 id:u32"},
    {Op("DM"), "x:s16 y:s16 id:u16"},
    {Op("Di"), "x:f32 y:f32 id:u32"},
    {Op("Dm"), "x:f32 y:f32 id:u16"},
    {Op("EA"), "value:x8"},
    {Op("EB"), ""},
    {Op("ED"), ""},
    {Op("EF"), ""},
    {Op("FA"), "kind:u8 value:s16"},
    {Op("FB"), ""},
    {Op("FC"), ""},
    {Op("FE"), "variant:u8"},
    {Op("FF"), "flags:u8"},
    {Op("FH"), "a:u8 b:u8"},
    {Op("FI"), "value:u8"},
};

void ParseSimple(const char* layout, ReaderCursor& c, std::string& line)
{
    const char* p = layout;
    while (*p != '\0') {
        const char* colon = std::strchr(p, ':');
        const char* end = std::strchr(p, ' ');
        if (end == nullptr)
            end = p + std::strlen(p);
        const std::string name(p, colon);
        const std::string type(colon + 1, end);
        if (type == "s8")
            AddInt(line, name.c_str(), c.S8());
        else if (type == "u8")
            AddInt(line, name.c_str(), c.U8());
        else if (type == "x8")
            AddHex(line, name.c_str(), c.U8());
        else if (type == "s16")
            AddInt(line, name.c_str(), c.S16());
        else if (type == "u16")
            AddInt(line, name.c_str(), c.U16());
        else if (type == "s24")
            AddInt(line, name.c_str(), c.S24());
        else if (type == "s32")
            AddInt(line, name.c_str(), c.S32());
        else if (type == "u32")
            AddInt(line, name.c_str(), c.U32());
        else if (type == "f32")
            AddFloat(line, name.c_str(), c.F32());
        else if (type == "f32x6")
            AddFloats(line, name.c_str(), c, 6);
        p = *end == ' ' ? end + 1 : end;
    }
}

// Colour by format: 4 red, green, blue; 3 one grey byte; the float forms
// carry each as a float. Other formats have no defined bytes.
void ParseColour(ReaderCursor& c, std::string& line, uint32_t format, bool floats)
{
    if (format != 3 && format != 4) {
        c.problem = "unknown colour format " + std::to_string(format);
        return;
    }
    const int n = format == 4 ? 3 : 1;
    line += format == 4 ? " rgb=" : " grey=";
    for (int i = 0; i < n; ++i) {
        if (i != 0)
            line += ',';
        line += floats ? FloatText(c.F32()) : std::to_string(c.U8());
    }
}

void ParseLineStyle(ReaderCursor& c, std::string& line, bool floats)
{
    const uint32_t style = c.U8();
    AddInt(line, "style", style);
    if (style != 6)
        return;
    if (floats)
        AddFloat(line, "offset", c.F32());
    else
        AddInt(line, "offset", c.S16());
    const uint32_t n = c.U8();
    AddInt(line, "count", n);
    line += " lengths=[";
    for (uint32_t i = 0; i < n && !c.truncated; ++i) {
        if (i != 0)
            line += ',';
        line += floats ? FloatText(c.F32()) : std::to_string(c.S16());
    }
    line += ']';
}

// The x and y of a point, as int16 or float32.
void ParseXY(ReaderCursor& c, std::string& line, bool floats)
{
    if (floats) {
        AddFloat(line, "x", c.F32());
        AddFloat(line, "y", c.F32());
    } else {
        AddInt(line, "x", c.S16());
        AddInt(line, "y", c.S16());
    }
}

// Brush origin, use, format and colour: the common start of "AN" and "AO".
void ParseBrushStart(ReaderCursor& c, std::string& line, bool floats)
{
    ParseXY(c, line, floats);
    AddInt(line, "use", c.U8());
    const uint32_t format = c.U8();
    AddInt(line, "format", format);
    ParseColour(c, line, format, floats);
}

void ParseHatch(ReaderCursor& c, std::string& line, bool floats)
{
    ParseBrushStart(c, line, floats);
    AddInt(line, "hatch", c.U8());
}

void ParsePatternBrush(ReaderCursor& c, std::string& line, bool floats)
{
    ParseBrushStart(c, line, floats);
    AddInt(line, "kind", c.U8());
    const int32_t w = c.S16();
    const int32_t h = c.S16();
    AddInt(line, "width", w);
    AddInt(line, "height", h);
    if (w < 0 || h < 0) {
        c.problem = "negative pattern size";
        return;
    }
    AddBytes(line, "bits", c, static_cast<size_t>((w + 7) / 8) * static_cast<size_t>(h));
}

void ParseColourPattern(ReaderCursor& c, std::string& line)
{
    AddInt(line, "x", c.S16());
    AddInt(line, "y", c.S16());
    AddInt(line, "use", c.U8());
    AddInt(line, "format", c.U8());
    AddInt(line, "bits", c.U8());
    AddInt(line, "width", c.S16());
    AddInt(line, "height", c.S16());
    AddInt(line, "planes", c.U8());
    const uint32_t n = c.U32();
    AddInt(line, "length", n);
    AddBytes(line, "data", c, n);
}

void ParseBackground(ReaderCursor& c, std::string& line)
{
    AddInt(line, "use", c.U8());
    AddInt(line, "mode", c.U8());
    const uint32_t format = c.U8();
    AddInt(line, "format", format);
    ParseColour(c, line, format, false);
}

void ParseSolidColour(ReaderCursor& c, std::string& line)
{
    AddInt(line, "target", c.U8());
    const uint32_t format = c.U8();
    AddInt(line, "format", format);
    ParseColour(c, line, format, false);
}

void ParsePalette(ReaderCursor& c, std::string& line)
{
    AddInt(line, "kind", c.U8());
    AddInt(line, "bits", c.U8());
    AddInt(line, "count", c.U16());
    const uint32_t n = c.U16();
    AddInt(line, "length", n);
    AddBytes(line, "data", c, n);
}

// "n=<count> points=[(x,y),...]" with `perCount` points per counted item.
void ParsePoints(ReaderCursor& c, std::string& line, bool floats, uint32_t perCount)
{
    const uint32_t n = c.U16();
    AddInt(line, "n", n);
    line += " points=[";
    for (uint32_t i = 0; i < n * perCount && !c.truncated; ++i) {
        if (i != 0)
            line += ',';
        if (floats) {
            const float x = c.F32();
            const float y = c.F32();
            line += "(" + FloatText(x) + "," + FloatText(y) + ")";
        } else {
            const int32_t x = c.S16();
            const int32_t y = c.S16();
            line += "(" + std::to_string(x) + "," + std::to_string(y) + ")";
        }
    }
    line += ']';
}

void ParseDeltas(ReaderCursor& c, std::string& line)
{
    const uint32_t n = c.U16();
    AddInt(line, "n", n);
    line += " deltas=[";
    for (uint32_t i = 0; i < n && !c.truncated && c.problem.empty(); ++i) {
        if (i != 0)
            line += ',';
        const int32_t dx = c.Varint();
        const int32_t dy = c.Varint();
        line += "(" + std::to_string(dx) + "," + std::to_string(dy) + ")";
    }
    line += ']';
}

bool IsColourKind(int value)
{
    return value == 3 || value == 4 || value == 5 || (value >= 8 && value <= 11) || value == 15;
}

// The colour section of "Cq" from c.pos into `line`; answers the data length.
uint32_t ParseImageColourSection(ReaderCursor& c, std::string& line)
{
    const uint32_t kind = c.U8();
    AddInt(line, "kind", kind);
    if (kind >= 8 && kind <= 11) {
        AddInt(line, "palettebits", c.U8());
        AddInt(line, "entries", c.U16());
        const uint32_t n = c.U16();
        AddBytes(line, "palette", c, n);
    }
    AddInt(line, "planes", c.U8());
    AddInt(line, "bits", c.U8());
    const uint32_t method = c.U8();
    AddInt(line, "method", method);
    const uint32_t dataLength = c.U32();
    AddInt(line, "length", dataLength);
    return dataLength;
}

bool ParsesAsNextCommand(const ReaderCursor& at, const MorvaReadOptions& options)
{
    if (at.AtEnd())
        return true;
    ReaderCursor c{at.data, at.size, at.pos};
    if (!c.Need(2))
        return false;
    const auto opcode = static_cast<uint16_t>(c.U16());
    std::string scratch;
    return ParseOperands(opcode, c, options, scratch) && !c.truncated && c.problem.empty();
}

// Without image data ("model" 1) a colour section follows only for coded
// data, and the method that says so sits inside the section. Without a mask
// the next byte decides (no colour kind is the first byte of an opcode); with
// one, the mask bytes could begin like a section, so the section is taken
// only when every field of it is what a writer sends for coded data (planes
// 1, bits 1 to 8, a method other than 1), its mask and data fit, and a whole
// command or the end follows.
bool ColourSectionFollows(const ReaderCursor& at, uint32_t maskLength, const MorvaReadOptions& options)
{
    if (maskLength == 0)
        return IsColourKind(at.Peek());
    if (!IsColourKind(at.Peek()))
        return false;
    ReaderCursor c{at.data, at.size, at.pos};
    std::string scratch;
    const uint32_t kind = c.U8();
    if (kind >= 8 && kind <= 11) {
        c.U8();
        c.U16();
        const uint32_t n = c.U16();
        if (!c.Need(n))
            return false;
        c.pos += n;
    }
    const uint32_t planes = c.U8();
    const uint32_t bits = c.U8();
    const uint32_t method = c.U8();
    const uint64_t dataLength = c.U32();
    if (c.truncated || planes != 1 || bits < 1 || bits > 8 || method == 1)
        return false;
    if (uint64_t{maskLength} + dataLength > c.size - c.pos)
        return false;
    c.pos += static_cast<size_t>(maskLength + dataLength);
    return ParsesAsNextCommand(c, options);
}

// "Cq": the header; the mask bytes and then the image data follow it.
void ParseImage(ReaderCursor& c, std::string& line, const MorvaReadOptions& options)
{
    AddFloat(line, "x", c.F32());
    AddFloat(line, "y", c.F32());
    AddFloats(line, "matrix", c, 6);
    AddInt(line, "width", c.S16());
    AddInt(line, "height", c.S16());
    const uint32_t maskFlag = c.U8();
    AddInt(line, "mask", maskFlag);
    uint32_t maskLength = 0;
    if (maskFlag == 2) {
        AddInt(line, "maskzero", c.U8());
        maskLength = c.U32();
        AddInt(line, "masklength", maskLength);
    } else if (maskFlag != 1) {
        c.problem = "unknown mask flag " + std::to_string(maskFlag);
        return;
    }
    const uint32_t model = c.U8();
    AddInt(line, "model", model);
    uint32_t dataLength = 0;
    if (!c.truncated && (model == 2 || ColourSectionFollows(c, maskLength, options)))
        dataLength = ParseImageColourSection(c, line);
    if (maskLength != 0)
        AddBytes(line, "maskdata", c, maskLength);
    if (dataLength != 0)
        AddBytes(line, "data", c, dataLength);
}

void ParseMonoImage(ReaderCursor& c, std::string& line)
{
    AddFloat(line, "x", c.F32());
    AddFloat(line, "y", c.F32());
    AddInt(line, "width", c.S16());
    AddInt(line, "height", c.S16());
    AddInt(line, "polarity", c.U8());
    AddFloats(line, "matrix", c, 6);
    const uint32_t n = c.U32();
    AddInt(line, "length", n);
    AddBytes(line, "data", c, n);
}

void ParseIds(ReaderCursor& c, std::string& line)
{
    const uint32_t bytes = c.U16();
    if (bytes % 2 != 0) {
        c.problem = "odd glyph id length " + std::to_string(bytes);
        return;
    }
    line += " ids=[";
    for (uint32_t i = 0; i < bytes / 2 && !c.truncated; ++i) {
        if (i != 0)
            line += ',';
        line += std::to_string(c.U16());
    }
    line += ']';
}

// "DC", "Dc", "DD", "Dd": start point, advance mode, advances, ids.
void ParseGlyphRun(ReaderCursor& c, std::string& line, bool floats, uint32_t expectedMode)
{
    ParseXY(c, line, floats);
    const uint32_t mode = c.U8();
    if (!c.truncated && mode != expectedMode) {
        c.problem = "advance mode " + std::to_string(mode);
        return;
    }
    if (mode == 1) {
        if (floats)
            AddFloat(line, "advance", c.F32());
        else
            AddInt(line, "advance", c.S16());
    } else {
        const uint32_t m = c.U16();
        line += " advances=[";
        for (uint32_t i = 0; i < m && !c.truncated; ++i) {
            if (i != 0)
                line += ',';
            line += floats ? FloatText(c.F32()) : std::to_string(c.S16());
        }
        line += ']';
    }
    ParseIds(c, line);
}

// "DE" and "DF" are written in their integer form only: a float form under
// the same opcode could not be told from it.
void ParsePositionedString(ReaderCursor& c, std::string& line)
{
    ParseXY(c, line, false);
    const uint32_t flags = c.U8();
    AddInt(line, "flags", flags);
    if (flags & 1)
        AddInt(line, "first", c.S16());
    if (flags & 2)
        AddInt(line, "second", c.U16());
    AddInt(line, "last", c.U16());
}

void ParseValueList(ReaderCursor& c, std::string& line, const char* name, uint32_t n)
{
    line += ' ';
    line += name;
    line += "=[";
    for (uint32_t i = 0; i < n && !c.truncated; ++i) {
        if (i != 0)
            line += ',';
        line += std::to_string(c.U16());
    }
    line += ']';
}

void ParsePositionedStrings(ReaderCursor& c, std::string& line)
{
    ParseXY(c, line, false);
    AddInt(line, "kind", c.U8());
    const uint32_t flags = c.U8();
    AddInt(line, "flags", flags);
    const uint32_t count = c.U16();
    AddInt(line, "count", count);
    // The count is doubled when both lists are sent; each list has half.
    const uint32_t perList = flags == 3 ? count / 2 : count;
    if (flags & 1)
        ParseValueList(c, line, "first", perList);
    if (flags & 2)
        ParseValueList(c, line, "second", perList);
    AddInt(line, "last", c.U16());
}

void ParsePageMedia(ReaderCursor& c, std::string& line)
{
    AddInt(line, "code1", c.U8());
    AddInt(line, "code2", c.U8());
    const uint32_t kind = c.U8();
    AddInt(line, "kind", kind);
    if (kind == 'Q') {
        AddFloat(line, "width", c.F32());
        AddFloat(line, "height", c.F32());
    }
}

void ParsePageLabel(ReaderCursor& c, std::string& line)
{
    const uint32_t n = c.U16();
    AddText(line, "text", c, n);
    AddFloats(line, "matrix", c, 6);
    const uint32_t kind = c.U8();
    AddInt(line, "kind", kind);
    if (kind != 2)
        return;
    const uint32_t letter = c.U8();
    AddInt(line, "letter", letter);
    if (letter == 'Q') {
        AddFloat(line, "width", c.F32());
        AddFloat(line, "height", c.F32());
    }
}


// A glyph download: the id, then the glyph's record, whose header word gives
// its kind (bit 22 a bitmap, else an outline) and its whole length in the low
// 18 bits. A bitmap's rows are followed by filler bytes of 17, an outline's
// codes by filler bytes of 34.
void ParseGlyphDownload(ReaderCursor& c, std::string& line, bool wideId)
{
    AddInt(line, "id", wideId ? c.U32() : c.U16());
    const uint32_t header = c.U32();
    const uint32_t length = header & 0x3FFFF;
    if ((header & (1u << 22)) == 0) {
        // Point and code counts, the points (16-bit pairs, or floats with
        // bit 21), the codes two to a byte, then filler bytes of 34.
        const bool floats = (header & (1u << 21)) != 0;
        line += floats ? " outline float" : " outline";
        if (header & (1u << 24))
            line += " fine";
        AddInt(line, "length", length);
        if (length < 8) {
            c.problem = "short glyph record";
            return;
        }
        const uint32_t points = c.U16(), codes = c.U16();
        AddInt(line, "points", points);
        AddInt(line, "codes", codes);
        const uint64_t body = uint64_t(points) * (floats ? 8 : 4) + (codes + 1) / 2;
        if (length < 8 + body) {
            c.problem = "glyph record shorter than its outline";
            return;
        }
        if (!c.Need(length - 8))
            return;
        c.spans.push_back({"outline", c.pos, size_t(body)});
        c.pos += size_t(body);
        for (uint64_t i = 8 + body; i < length; ++i)
            if (c.U8() != 34)
                c.problem = "outline record filler is not 34";
        return;
    }
    constexpr uint32_t kFixed = 18;
    const bool compressed = (header & (1u << 25)) != 0;
    line += compressed ? " bitmap compressed" : " bitmap";
    AddInt(line, "length", length);
    AddFloat(line, "x", c.F32());
    AddFloat(line, "y", c.F32());
    const uint32_t height = c.U16(), width = c.U16(), rowBytes = c.U8();
    AddInt(line, "height", height);
    AddInt(line, "width", width);
    AddInt(line, "rowbytes", rowBytes);
    if (c.U8() != 1 || rowBytes != (width + 7) / 8) {
        c.problem = "bad glyph bitmap header";
        return;
    }
    const uint32_t data = compressed ? length - std::min(length, kFixed) : rowBytes * height;
    if (length < kFixed + data) {
        c.problem = "glyph record shorter than its rows";
        return;
    }
    AddInt(line, "data", data);
    if (!c.Need(length - kFixed))
        return;
    c.spans.push_back({"rows", c.pos, data});
    c.pos += data;
    for (uint32_t i = data; i < length - kFixed; ++i)
        if (c.U8() != 17)
            c.problem = "glyph record filler is not 17";
}
}  // namespace

bool ParseOperands(uint16_t opcode, ReaderCursor& c, const MorvaReadOptions& options, std::string& line)
{
    for (const SimpleLayout& s : kSimpleLayouts) {
        if (s.opcode == opcode) {
            ParseSimple(s.layout, c, line);
            return true;
        }
    }
    switch (opcode) {
    case Op("AH"): ParseLineStyle(c, line, false); return true;
    case Op("Ah"): ParseLineStyle(c, line, true); return true;
    case Op("AM"): ParseSolidColour(c, line); return true;
    case Op("AN"): ParseHatch(c, line, false); return true;
    case Op("An"): ParseHatch(c, line, true); return true;
    case Op("AO"): ParsePatternBrush(c, line, false); return true;
    case Op("Ao"): ParsePatternBrush(c, line, true); return true;
    case Op("AP"): ParseColourPattern(c, line); return true;
    case Op("AQ"): ParseBackground(c, line); return true;
    case Op("AV"): ParsePalette(c, line); return true;
    case Op("BP"): ParsePoints(c, line, false, 1); return true;
    case Op("Bp"): ParsePoints(c, line, true, 1); return true;
    case Op("B0"): ParseDeltas(c, line); return true;
    case Op("BU"): ParsePoints(c, line, false, 3); return true;
    case Op("Bu"): ParsePoints(c, line, true, 3); return true;
    case Op("Cq"): ParseImage(c, line, options); return true;
    case Op("Cp"): ParseMonoImage(c, line); return true;
    case Op("DH"): ParseGlyphDownload(c, line, true); return true;
    case Op("DL"): ParseGlyphDownload(c, line, false); return true;
    case Op("DC"): ParseGlyphRun(c, line, false, 1); return true;
    case Op("Dc"): ParseGlyphRun(c, line, true, 1); return true;
    case Op("DD"): ParseGlyphRun(c, line, false, 2); return true;
    case Op("Dd"): ParseGlyphRun(c, line, true, 2); return true;
    case Op("DE"): ParsePositionedString(c, line); return true;
    case Op("DF"): ParsePositionedStrings(c, line); return true;
    case Op("Ec"): ParsePageMedia(c, line); return true;
    case Op("EE"): {
        const uint32_t n = c.U16();
        AddText(line, "text", c, n);
        return true;
    }
    case Op("EH"): {
        AddInt(line, "one", c.U16());
        const uint32_t n = c.U16();
        AddText(line, "text", c, n);
        return true;
    }
    case Op("Eg"): ParsePageLabel(c, line); return true;
    case Op("EP"): {
        const uint32_t n = c.U8();
        AddText(line, "text", c, n);
        return true;
    }
    default: return false;
    }
}
