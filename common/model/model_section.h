// Parsed records of the model data tables ("sections"). Each section is a block
// of its own with a common head; the kind's fields follow in file order. Values
// and strings point into blocks that the section owns, or into the loaded file
// for raw values kept in place: a section must not outlive the close of its file.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/model/model_data.h"

// A typed value. After a value reference is resolved, type, size and count are
// those of the array's elements; count 0 is an empty value.
struct ModelValue {
    uint16_t type = 0;
    uint16_t count = 0;
    uint32_t size = 0;              // bytes of the value (of one element)
    const uint8_t* data = nullptr;  // in `owned` or in the loaded file
    std::unique_ptr<uint8_t[]> owned;
};

// A term on one setting (entry kinds 517 and 521).
struct ModelTerm {
    uint16_t a = 0;
    uint8_t op = 0;
    uint16_t settingId = 0;
    ModelValue value;
    uint8_t d = 0;                  // kind 521 only: connector to the next term
};

struct ModelSizePair {
    uint16_t x = 0;
    uint16_t y = 0;
};

struct ModelSection {
    uint16_t id = 0;
    uint16_t kind = 0;
    uint16_t fileRole = 0;
    ModelDataRecord* source = nullptr;
    uint32_t formatVersion = 0;     // of the file the record came from
};

struct FeatureSection : ModelSection {          // kinds 3, 4
    std::wstring name;
    uint8_t listKind = 0;
    uint16_t defaultOption = 0;                 // 1-based
    uint16_t sizeRule = 0;                      // kind-17 identifier, 0 = none
    std::vector<uint16_t> options;              // option record identifiers
    std::vector<uint16_t> conflictRules;        // kind-7 positions
    std::vector<uint16_t> transitionRules;      // kind-8 positions
    uint16_t byteBlock = 0;                     // kind-18 identifier, 0 = none
    std::wstring name2;                         // from format 1024
};

struct TraySection : ModelSection {             // kinds 5, 6
    std::wstring name;
    uint16_t sizeRef = 0;
    ModelSizePair first, second;                // the two pairs of the kind-17 record
    uint16_t number = 0;
    std::vector<uint16_t> list1;
    std::vector<uint16_t> list2;
    uint8_t byte = 0;                           // from format 512
    std::wstring text;                          // from format 1024
};

struct RuleSection : ModelSection {             // kinds 7, 8
    ModelTerm trigger;
    uint16_t flags = 0;
    std::wstring text;
    std::vector<ModelTerm> conditions;          // kind 521
    std::vector<ModelTerm> assignments;         // kind 517
};

struct PictureRefSection : ModelSection {       // kind 9
    std::vector<ModelTerm> terms;
    uint16_t number1 = 0;
    uint16_t number2 = 0;
    uint16_t pictureId = 0;
};

struct PaperSection : ModelSection {            // kind 10
    std::wstring name;
    uint8_t byte1 = 0;
    uint16_t refA = 0, refC = 0, refB = 0;
    uint16_t number1 = 0, number2 = 0;
    uint8_t byte2 = 0;                          // from format 512
    uint16_t refD = 0;                          // from format 512
    uint16_t flags = 0;                         // from format 1280
    ModelSizePair size, area;                   // reference A
    ModelSizePair margin1, margin2;             // reference B
    ModelSizePair minUser, maxUser;             // reference C
    ModelSizePair extra1, extra2;               // reference D
};

struct FontSection : ModelSection {             // kind 11
    std::wstring name;
    std::wstring name2;
    std::vector<std::wstring> names1;
    std::vector<std::wstring> names2;
    uint32_t payloadLength = 0;                 // read with or without the load flag
    std::vector<uint8_t> payload;               // only with the load flag
    uint16_t flags = 0;
    std::vector<ModelValue> values;             // from format 1024
};

struct PictureSection : ModelSection {          // kind 12
    uint8_t pictureKind = 0;
    uint16_t number1 = 0;
    uint16_t number2 = 0;
    std::vector<uint8_t> data;                  // only with the load flag
};

struct OptionSection : ModelSection {           // kinds 13, 14
    std::wstring name;
    uint16_t targetKind = 0;
    uint16_t targetId = 0;
    uint16_t sizeRule = 0;
    std::vector<uint16_t> conflictRules;        // only with the load flag
    std::vector<uint16_t> transitionRules;      // only with the load flag
    ModelValue value;
    uint16_t byteBlock = 0;
};

struct JobAttributeSection : ModelSection {     // kind 15
    uint16_t settingId = 0;
    std::vector<ModelTerm> conditions;
    std::wstring prefix;
    std::wstring text;
    uint16_t flags = 0;                         // from format 1280
};

struct RuleBlockSection : ModelSection {        // kind 16
    std::vector<ModelTerm> terms;
    uint8_t byte1 = 0;
    uint8_t byte2 = 0;
    std::vector<uint8_t> bytes;
};

struct SizePairsSection : ModelSection {        // kind 17
    ModelSizePair first, second;
};

struct ByteBlockSection : ModelSection {        // kind 18 and internal kind 522
    std::vector<uint8_t> bytes;
};

struct Setting32779Section : ModelSection {     // kind 19
    std::wstring name;
    uint8_t byte = 0;
    std::wstring text;                          // from format 1024
};

struct ValueArraySection : ModelSection {       // kind 20
    uint16_t number = 0;
    uint8_t elementType = 0;
    uint16_t elementSize = 0;
    uint16_t count = 0;
    const uint8_t* elements = nullptr;          // in the loaded file
};

struct ModelSettingEntry {
    uint16_t settingId = 0;
    ModelValue value;
};

struct SettingListSection : ModelSection {      // kinds 21, 24
    std::wstring name;
    std::vector<ModelSettingEntry> entries;
};

struct EntrySetSection : ModelSection {         // kind 22
    uint16_t number1 = 0;
    uint16_t number2 = 0;
    uint8_t a = 0;
    uint16_t b = 0;                             // 4 when a is 1
    uint8_t byte = 0;
    uint16_t flags = 0;                         // from format 4096
    uint16_t number3 = 0;
    std::vector<std::wstring> names;
    std::vector<ModelValue> values;             // name i belongs to value i
};

struct ModelTriple {
    uint16_t a = 0, b = 0, c = 0;
};

struct RuleTriplesSection : ModelSection {      // kind 23
    std::vector<ModelTerm> terms;
    std::vector<ModelTriple> triples;
};

struct NamedStringSection : ModelSection {      // kind 25
    std::wstring name;
    std::wstring text;
};

struct ValueSection : ModelSection {            // internal kind 517
    ModelValue value;
};

struct OptionCopySection : ModelSection {       // internal kind 523
    std::wstring name;
    ModelValue value;                           // owned copy
    std::vector<uint8_t> byteBlock;
    bool hasByteBlock = false;
};

// Parses the record at the 1-based position of a kind's table. The load flag
// asks for the bulky parts (kind-11 payload, kind-12 data, option rule lists).
uint16_t LoadModelTable(bool load, ModelDataRecord* main, ModelDataRecord* linked, uint16_t kind,
                        uint16_t position, ModelSection** out);
// Option number 0: the record with that identifier. n >= 1 (kinds 3 and 4 only):
// option n of that feature, a kind-13 (for 3) or kind-14 (for 4) record.
uint16_t LoadModelTableWithOption(bool load, ModelDataRecord* main, ModelDataRecord* linked,
                                  uint16_t kind, uint16_t id, uint16_t option, ModelSection** out);
// The target record of an option record, with its kind.
uint16_t LoadOptionTarget(bool load, ModelDataRecord* main, ModelDataRecord* linked,
                          const ModelSection* option, uint16_t* outKind, ModelSection** out);
// The display name of a record of kinds 3-6, 10, 11, 13, 14, read without parsing
// the record: a new global block; kModelAbsent when the name is empty.
uint16_t GetRecordDisplayName(ModelDataRecord* main, ModelDataRecord* linked, uint16_t kind,
                              uint16_t id, uint16_t option, wchar_t** out);
// Frees *holder by its own kind (kind kKindOwn or the section's kind) and clears it.
// 1 for a null or empty holder.
uint16_t FreeModelSection(ModelSection** holder, uint16_t kind);

// Replaces a value of type 128 by the kind-20 array it names in the record's own file.
uint16_t ResolveModelValueReference(ModelDataRecord* record, ModelValue* value);

// Reads a value's bytes as a number of its type: flag and 32-bit types as 32 bits,
// 16-bit types and bytes zero- or sign-extended. False when the value is empty,
// a string, or smaller than its type.
bool ModelValueNumber(const ModelValue& value, uint32_t* out);
// A deep copy whose data the copy owns.
uint16_t CopyModelValue(const ModelValue& from, ModelValue* to);

// Typed views of a section; null for a null section or another kind.
const FeatureSection* AsFeature(const ModelSection* s);
const OptionSection* AsOption(const ModelSection* s);
const PaperSection* AsPaper(const ModelSection* s);
const TraySection* AsTray(const ModelSection* s);
const FontSection* AsFont(const ModelSection* s);
const RuleSection* AsRule(const ModelSection* s);
const JobAttributeSection* AsJobAttribute(const ModelSection* s);
const EntrySetSection* AsEntrySet(const ModelSection* s);
const SettingListSection* AsSettingList(const ModelSection* s);
const SizePairsSection* AsSizePairs(const ModelSection* s);
const PictureSection* AsPicture(const ModelSection* s);
const PictureRefSection* AsPictureRef(const ModelSection* s);
const ValueArraySection* AsValueArray(const ModelSection* s);
const OptionCopySection* AsOptionCopy(const ModelSection* s);
