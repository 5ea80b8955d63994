// The model data reader: loads a model data file and its linked file into private
// copies and gives access to raw sections, kind tables and file strings.
//
// Every operation answers a 16-bit status: kModelOk, kModelBad (bad argument,
// invalid file, a read outside the loaded bytes, not in the file's structure),
// kModelAbsent (a position, identifier or option number that is not there) or
// kModelNoMemory. No operation reads outside the loaded bytes of a file.
#pragma once
#include <cstdint>

#include "common/model/model_format.h"

enum ModelStatus : uint16_t {
    kModelOk = 0,
    kModelBad = 1,
    kModelAbsent = 2,
    kModelNoMemory = 4,
};

struct ModelSectionCache;

// One loaded file. The owner allocates it zero-filled; a settings context holds
// two (main and linked). Used by one thread at a time: the cursor is shared state.
struct ModelDataRecord {
    const void* loaded;       // nonzero while a file is loaded
    uint32_t loadedWord;      // 1 while loaded
    uint8_t* buffer;          // private copy of the file's bytes
    uint32_t size;
    uint32_t cursor;          // current reading position in buffer
    uint32_t fileRole;        // kModelMainFile or kModelLinkedFile
    uint32_t packedVersion;   // (a * 256 + b) * 65536 + c of the version text
    uint32_t formatVersion;   // data format version of this file
    ModelDataRecord* main;    // set in the linked record
    ModelSectionCache* cache; // the main record's; shared by the linked record
    uint32_t ownsCache;
};

// Loads path (extension "DDD" in any case) into main and, when the header names
// one, the linked file beside it into linked. On failure both are left closed.
uint16_t LoadModelDataFile(const wchar_t* path, ModelDataRecord* main, ModelDataRecord* linked);
// Loads a main file from bytes already in memory (a private copy is made); the
// linked file the header names is not loaded. For tools and tests that hold
// many images of one file.
uint16_t LoadModelDataImage(const uint8_t* bytes, uint32_t size, ModelDataRecord* main);
// Closes linked (when it holds a file), then main; the statuses ORed. A pair
// whose linked record never held a file closes with kModelOk.
uint16_t CloseModelData(ModelDataRecord* main, ModelDataRecord* linked);
// kModelBad for a record that holds no file.
uint16_t CloseModelDataRecord(ModelDataRecord* record);

// The data format version of the main file loaded last in this process.
// Readers of version-gated fields use the version of the record's own file.
uint32_t GetCurrentModelFormatVersion();

// The version text at offset 64 packed as (a * 256 + b) * 65536 + c; 0 when invalid.
// Scans at most the 24 bytes of the field.
bool ParseModelVersionText(const uint8_t text[kModelVersionTextSize], uint32_t* packed);
// 1 when the part of the path after its last '.' is "DDD" in any case.
bool HasModelDataExtension(const wchar_t* path);

// Reading primitives at the record's cursor.
uint16_t ModelSeek(ModelDataRecord* record, uint32_t offset);
uint16_t ModelSeekBy(ModelDataRecord* record, int64_t delta);
uint16_t ModelReadBytes(ModelDataRecord* record, void* out, uint32_t count);
uint16_t ModelReadU8(ModelDataRecord* record, uint8_t* out);
uint16_t ModelReadU16(ModelDataRecord* record, uint16_t* out);
uint16_t ModelReadU32(ModelDataRecord* record, uint32_t* out);

// Raw sections of a record (the main record for every section but 35 of a
// linked file). Section ids and meanings: model_format.h.
uint16_t GetModelSectionCount(ModelDataRecord* record, uint16_t section);
// Entry index (0-based) of a section of fixed-size entries into buffer
// (entrySize bytes). kModelAbsent for an index at or past the count.
uint16_t ReadModelSectionEntry(ModelDataRecord* record, uint16_t section, uint16_t entrySize,
                               uint16_t index, void* buffer);
// The entry as an unsigned number of 1 to 4 bytes; 0 on any failure.
uint32_t GetModelSectionNumber(ModelDataRecord* record, uint16_t section, uint16_t entrySize,
                               uint16_t index);
// String index of a string section as a new global block (GlobalFree); *out is
// null on failure. An empty string answers kModelOk with a null *out.
uint16_t ReadModelSectionString(ModelDataRecord* record, uint16_t section, uint16_t index, wchar_t** out);
wchar_t* GetModelSectionStringPtr(ModelDataRecord* record, uint16_t section, uint16_t index);
// File name n (0-11, 14-22, 24, 25); other numbers kModelBad.
uint16_t GetModelFileName(ModelDataRecord* record, uint16_t n, wchar_t** out);
// Registry base path 0 (section 30) or 1 (section 33).
uint16_t GetModelRegistryBase(ModelDataRecord* record, uint16_t which, wchar_t** out);

// Kind-table lookups. On success *fileByte is the entry's file byte and
// *offset the record's offset in that file.
uint16_t GetModelTableCount(ModelDataRecord* record, uint16_t kind);
uint16_t FindModelRecordByPosition(ModelDataRecord* record, uint16_t kind, uint16_t position,
                                   uint8_t* fileByte, uint16_t* id, uint32_t* offset);
uint16_t FindModelRecordById(ModelDataRecord* record, uint16_t kind, uint16_t id, uint8_t* fileByte,
                             uint32_t* offset);
// The record that an entry's file byte names: main for kModelMainFile, else linked
// (null when the linked record holds no file).
ModelDataRecord* ModelRecordForFile(ModelDataRecord* main, ModelDataRecord* linked, uint8_t fileByte);

// Reads a file string body of length bytes at the cursor and decodes it: a
// resource reference through the record's string modules, else complemented ANSI.
// *out is a new global block (GlobalFree) or null for length 0; *bytes its size
// with the terminator.
uint16_t ReadModelString(ModelDataRecord* record, uint16_t length, wchar_t** out, uint32_t* bytes);
// String id of the module file name (in the driver directory): a new global block.
uint16_t LoadModelResourceString(const wchar_t* moduleName, uint16_t id, ModelDataRecord* record,
                                 wchar_t** out);

// Scratch slots of a record's cache (for tests and the benchmark).
int CountModelScratchSlotsInUse(const ModelDataRecord* record);
