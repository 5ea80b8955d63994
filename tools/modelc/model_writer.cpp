// Lays out and writes the model data files, the string modules' resource scripts
// and the record listing.
#include <cstring>

#include "common/model/model_format.h"
#include "tools/modelc/modelc.h"

namespace {

void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, v);
    Put16(b, v >> 16);
}
void Patch16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void PutName(std::vector<uint8_t>& b, const std::string& text, size_t room, const char* what) {
    if (text.size() > room) throw SourceError(1, std::string(what) + " longer than " + std::to_string(room) + " bytes");
    std::vector<uint8_t> field(room, 0);
    memcpy(field.data(), text.data(), text.size());
    b.insert(b.end(), field.begin(), field.end());
}

const std::pair<int, uint16_t>& Lookup(const std::map<std::string, std::pair<int, uint16_t>>& names, const Fixup& f,
                                       const char* what) {
    auto it = names.find(f.name);
    if (it == names.end()) throw SourceError(f.line, std::string("no ") + what + " named '" + f.name + "'");
    return it->second;
}

const std::string& ModuleText(const ModelSource& m, int file, uint16_t module, uint16_t id, int line) {
    const std::vector<std::string>& names = module == 1 ? m.files[0].modules : m.files[file].modules;
    const size_t index = module - 1u;
    if (index >= names.size())
        throw SourceError(line, "string module " + std::to_string(module) + " is not in raw section 35 of " +
                                    (module == 1 || file == 0 ? "the main file" : "the linked file"));
    for (const StringModule& mod : m.modules) {
        if (mod.fileName != names[index]) continue;
        auto it = mod.strings.find(id);
        if (it == mod.strings.end())
            throw SourceError(line, "string " + std::to_string(id) + " is not in module '" + mod.fileName + "'");
        return it->second;
    }
    throw SourceError(line, "no 'strings' block for module '" + names[index] + "'");
}

// Replaces the listing's placeholders: \1file:module:id\2 by the string's text,
// \3name\4 by the number the record holds at the matching fixup.
std::string ResolveListing(const ModelSource& m, const Record& r, const std::map<std::string, uint16_t>& resolved) {
    std::string out;
    const std::string& s = r.listing;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\x01') {
            const size_t end = s.find('\x02', i);
            int file = 0;
            unsigned module = 0, id = 0;
            sscanf(s.substr(i + 1, end - i - 1).c_str(), "%d:%u:%u", &file, &module, &id);
            out += ModuleText(m, file, static_cast<uint16_t>(module), static_cast<uint16_t>(id), r.line);
            i = end;
        } else if (s[i] == '\x03') {
            const size_t end = s.find('\x04', i);
            out += std::to_string(resolved.at(s.substr(i + 1, end - i - 1)));
            i = end;
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

std::vector<uint8_t> RawSections(const FileHeader& h) {
    std::vector<uint8_t> b;
    for (int id = 1; id <= 41; ++id) {
        const RawSectionRow& row = kRawSectionTable[id];
        auto it = h.raw.find(id);
        if (row.count == kRawCountInFile) {
            const size_t n = it == h.raw.end() ? 0 : it->second.size();
            Put16(b, static_cast<uint32_t>(n));
            if (n) for (const auto& e : it->second) b.insert(b.end(), e.begin(), e.end());
        } else if (it != h.raw.end()) {
            b.insert(b.end(), it->second[0].begin(), it->second[0].end());
        } else if (row.entrySize == kRawEntryString) {
            Put16(b, 0);
        } else {
            for (int i = 0; i < row.entrySize; ++i) b.push_back(0);
        }
    }
    return b;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& data) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f || fwrite(data.data(), 1, data.size(), f) != data.size() || fclose(f) != 0)
        throw SourceError(0, "cannot write '" + path + "'");
}

std::string Stem(const std::string& name) {
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string RcQuote(const std::string& s, int line) {
    std::string out = "\"";
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\n' || c == '\r')
            throw SourceError(line, "module strings are plain ASCII on one line");
        if (c == '"') out += "\"\"";
        else if (c == '\\') out += "\\\\";
        else out.push_back(c);
    }
    return out + "\"";
}

}  // namespace

void WriteModelOutputs(ModelSource& m, const std::string& outDir, const std::string& mainName) {
    const int fileCount = m.files[1].present ? 2 : 1;

    // Positions per kind in the main directory (every record) and, for kind 20,
    // in the file's own directory.
    std::map<uint16_t, std::vector<size_t>> mainTables;
    std::vector<size_t> arrays[2];
    for (size_t i = 0; i < m.records.size(); ++i) {
        const Record& r = m.records[i];
        if (r.kind == kKindValueArray) arrays[r.file].push_back(i);
        else mainTables[r.kind].push_back(i);
    }
    mainTables[kKindValueArray] = arrays[0];

    // Resolve the fixups; remember what each name became for the listing.
    std::map<std::string, uint16_t> resolved;
    for (Record& r : m.records) {
        for (const Fixup& f : r.fixups) {
            uint16_t v = 0;
            switch (f.kind) {
            case FixupKind::ConflictRule: v = Lookup(m.conflictRules, f, "conflict rule").second; break;
            case FixupKind::TransitionRule: v = Lookup(m.transitionRules, f, "transition rule").second; break;
            case FixupKind::SizePairs: v = Lookup(m.sizePairs, f, "sizes").second; break;
            case FixupKind::ByteBlock: v = Lookup(m.byteBlocks, f, "block").second; break;
            case FixupKind::Picture: v = Lookup(m.pictures, f, "picture").second; break;
            case FixupKind::Array: {
                const auto& a = Lookup(m.arrays, f, "array");
                if (a.first != r.file)
                    throw SourceError(f.line, "array '" + f.name + "' lies in the other file: a value reference reads its own file's arrays");
                v = a.second;
                break;
            }
            }
            Patch16(r.bytes, f.offset, v);
            // The listing shows names by their number: one name, one thing.
            auto [it, fresh] = resolved.emplace(f.name, v);
            if (!fresh && it->second != v)
                throw SourceError(f.line, "the name '" + f.name + "' is used for two different records");
        }
        for (const ResourceUse& u : r.resources) ModuleText(m, r.file, u.module, u.id, u.line);
    }

    std::vector<uint8_t> out[2];
    std::vector<uint32_t> recordOffset(m.records.size());
    for (int f = 0; f < fileCount; ++f) {
        const FileHeader& h = m.files[f];
        std::vector<uint8_t>& b = out[f];
        PutName(b, h.firstName, kModelNameFieldSize, "first-name");
        PutName(b, h.versionText, kModelVersionTextSize, "version");
        Put32(b, 0);
        for (int i = 3; i >= 0; --i) b.push_back(static_cast<uint8_t>(h.format >> (8 * i)));
        PutName(b, h.modelName, kModelNameFieldSize, "model");
        PutName(b, f == 0 && m.files[1].present ? m.files[1].fileName : std::string(), kModelNameFieldSize, "linked");
        const std::vector<uint8_t> raw = RawSections(h);
        Put32(b, static_cast<uint32_t>(raw.size()));
        b.insert(b.end(), raw.begin(), raw.end());
        Put32(b, 0);
        Put16(b, kModelKindCount);
        const size_t directory = b.size();
        for (int p = 0; p < kModelKindCount; ++p) {
            b.push_back(0);
            Put16(b, 0);
            Put32(b, 0);
        }
        // Kind tables: entries are patched once the records are placed.
        for (int p = 0; p < kModelKindCount; ++p) {
            const uint16_t kind = kModelKindOrder[p];
            const std::vector<size_t> none;
            const std::vector<size_t>& list =
                f == 0 ? mainTables[kind] : (kind == kKindValueArray ? arrays[1] : none);
            const uint32_t tableAt = static_cast<uint32_t>(b.size());
            for (int i = 0; i < 4; ++i) b[directory + p * kModelDirectoryEntrySize + 3 + i] = static_cast<uint8_t>(tableAt >> (8 * i));
            Put32(b, 0);
            Put16(b, static_cast<uint32_t>(list.size()));
            for (size_t index : list) {
                const Record& r = m.records[index];
                b.push_back(r.file == 0 ? kModelMainFile : kModelLinkedFile);
                Put16(b, r.id);
                Put32(b, 0);
            }
        }
        // Place this file's records after its tables.
        for (size_t i = 0; i < m.records.size(); ++i) {
            const Record& r = m.records[i];
            if (r.file != f) continue;
            recordOffset[i] = static_cast<uint32_t>(b.size());
            b.insert(b.end(), r.bytes.begin(), r.bytes.end());
        }
    }
    // Patch table entries: walk each file's tables again in the same order.
    for (int f = 0; f < fileCount; ++f) {
        std::vector<uint8_t>& b = out[f];
        uint32_t raw = b[kModelRawLengthOffset] | (b[kModelRawLengthOffset + 1] << 8) |
                       (b[kModelRawLengthOffset + 2] << 16) | (static_cast<uint32_t>(b[kModelRawLengthOffset + 3]) << 24);
        const size_t directory = kModelRawStart + raw + kModelDirectoryHeadSize;
        for (int p = 0; p < kModelKindCount; ++p) {
            const uint16_t kind = kModelKindOrder[p];
            const std::vector<size_t> none;
            const std::vector<size_t>& list =
                f == 0 ? mainTables[kind] : (kind == kKindValueArray ? arrays[1] : none);
            const size_t d = directory + p * kModelDirectoryEntrySize + 3;
            const uint32_t tableAt = b[d] | (b[d + 1] << 8) | (b[d + 2] << 16) | (static_cast<uint32_t>(b[d + 3]) << 24);
            size_t entry = tableAt + kModelTableHeadSize;
            for (size_t index : list) {
                const uint32_t offset = recordOffset[index];
                for (int i = 0; i < 4; ++i) b[entry + 3 + i] = static_cast<uint8_t>(offset >> (8 * i));
                entry += kModelTableEntrySize;
            }
        }
    }

    WriteFile(outDir + "/" + mainName, out[0]);
    if (fileCount == 2) WriteFile(outDir + "/" + m.files[1].fileName, out[1]);

    for (const StringModule& mod : m.modules) {
        std::string rc = "// Generated by modelc from " + m.path + "\n#include <winresrc.h>\n";
        rc += "LANGUAGE LANG_NEUTRAL, SUBLANG_NEUTRAL\nSTRINGTABLE\nBEGIN\n";
        for (const auto& [id, text] : mod.strings) rc += "  " + std::to_string(id) + ", " + RcQuote(text, mod.line) + "\n";
        rc += "END\n";
        WriteFile(outDir + "/" + Stem(mod.fileName) + ".rc", std::vector<uint8_t>(rc.begin(), rc.end()));
    }

    std::string listing;
    for (int p = 0; p < kModelKindCount; ++p) {
        const uint16_t kind = kModelKindOrder[p];
        const std::vector<size_t>& list = mainTables[kind];
        for (size_t i = 0; i < list.size(); ++i) {
            const Record& r = m.records[list[i]];
            listing += std::to_string(kind) + " " + std::to_string(i + 1) + " " + std::to_string(r.id) + " " +
                       std::to_string(r.file == 0 ? kModelMainFile : kModelLinkedFile) + "|" +
                       ResolveListing(m, r, resolved) + "\n";
        }
    }
    WriteFile(outDir + "/" + Stem(mainName) + ".lst", std::vector<uint8_t>(listing.begin(), listing.end()));
}
