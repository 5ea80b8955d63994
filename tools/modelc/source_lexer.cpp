// The model source's tokens and its text encoding.
#include <cctype>

#include "tools/modelc/source_parser.h"

namespace modelc {

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
                // Bytes 1-4 mark resource references and names in the listing
                // form of a text; no control byte belongs in a source text.
                if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
                    throw SourceError(line, "control byte " + std::to_string(static_cast<int>(c)) +
                                                " in a quoted string (write it as an escape)");
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

}  // namespace modelc
