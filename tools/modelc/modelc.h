// The model data compiler: reads a model source (.mds) and writes the model data
// file, its linked file, the string modules' resource scripts and a listing of
// every record (used by the tests to compare what the reader gives back).
#pragma once
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

struct SourceError : std::runtime_error {
    int line;
    SourceError(int l, const std::string& m) : std::runtime_error(m), line(l) {}
};

// A u16 in a record's bytes that names something resolved after parsing.
enum class FixupKind { ConflictRule, TransitionRule, Array, SizePairs, ByteBlock, Picture };
struct Fixup {
    FixupKind kind;
    uint32_t offset;  // in the record's bytes
    std::string name;
    int line;
};

// A resource reference to check once every module is known.
struct ResourceUse {
    uint16_t module;
    uint16_t id;
    int line;
};

struct Record {
    uint16_t kind = 0;
    uint16_t id = 0;
    int file = 0;                  // 0 main, 1 linked
    int line = 0;
    std::vector<uint8_t> bytes;    // the whole record, from its 4 unused bytes on
    std::vector<Fixup> fixups;
    std::vector<ResourceUse> resources;
    std::string listing;           // fields as the listing shows them (names resolved later)
};

struct FileHeader {
    bool present = false;
    std::string fileName;          // linked file only
    std::string firstName;
    std::string versionText;
    bool versionSet = false;
    uint32_t format = 0;
    bool formatSet = false;
    std::string modelName;
    // Raw sections 1-41: each entry's bytes (strings already encoded with their length).
    std::map<int, std::vector<std::vector<uint8_t>>> raw;
    std::vector<std::string> modules;  // raw section 35 as text, for reference checks
};

struct StringModule {
    std::string fileName;          // e.g. "C4530RES.DLL"
    std::map<uint16_t, std::string> strings;
    int line = 0;
};

struct ModelSource {
    std::string path;
    FileHeader files[2];
    std::vector<Record> records;   // in declaration order; per kind this is table order
    std::vector<StringModule> modules;
    // Names declared for fixups: name -> {file, position or identifier}.
    std::map<std::string, std::pair<int, uint16_t>> conflictRules, transitionRules, arrays, sizePairs,
        byteBlocks, pictures;
};

// Throws SourceError.
void ParseModelSource(const std::string& text, ModelSource* model);
// Writes <out>/<main name>, the linked file, one .rc per string module and
// <out>/<main stem>.lst. Throws SourceError for faults found while resolving.
void WriteModelOutputs(ModelSource& model, const std::string& outDir, const std::string& mainName);
