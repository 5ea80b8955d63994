// What the model data says about one setting: its feature and options, the
// option holding a value, its model default, display names, and typed
// accessors on parsed sections.
//
// A value given to a lookup is an 8-byte value holder: numbers in its low bytes,
// a string as a pointer to its UTF-16 text. Statuses are those of the reader.
#pragma once
#include <cstdint>

#include "common/model/model_kind_map.h"
#include "common/model/model_section.h"

// The table kind and record identifier of a setting (kind 1 is the header).
// value: the holder whose u16 names the record of settings 32769-32779, or null.
void MapFunctionIdToModelKind(uint16_t id, const void* value, uint16_t* kind, uint16_t* recordId);

// The feature presence bit of settings 4097-4161; false for other settings.
bool GetFeatureBit(uint16_t id, uint32_t* mask);
// 0 when the setting's feature bit is set in raw section 12; 1 when not, and for
// settings without a bit.
int IsFeatureInModel(ModelDataRecord* main, ModelDataRecord* linked, uint16_t id);

// Settings 1 and 259: *modelName gets a copy of the header's model name (global
// block) and *kind 1. Kinds 3 and 4 with a value: the option holding it (13 or
// 14). Otherwise the record of the mapped kind and identifier.
uint16_t LoadItemFeature(bool load, ModelDataRecord* main, ModelDataRecord* linked, uint16_t id,
                         const void* value, uint16_t* kind, ModelSection** section, wchar_t** modelName);
// Option n (1-based): of the feature (kinds 3, 4) or the n-th record of the
// table (kinds 5, 6, 10); other kinds kModelAbsent.
uint16_t LoadItemOption(bool load, ModelDataRecord* main, ModelDataRecord* linked, uint16_t id, uint16_t n,
                        uint16_t* kind, ModelSection** section);
// The feature's default option (useDefault) or option n; 0 is kModelBad, past
// the option count kModelAbsent.
uint16_t GetFeatureOption(bool load, ModelDataRecord* main, ModelDataRecord* linked, const ModelSection* feature,
                          uint16_t n, bool useDefault, uint16_t* kind, ModelSection** section);
// What a value is, as far as reading a caller's holder goes: options of one
// feature share one class, and it must be the class of the setting's own type
// (a text option read against a number holder would take the number for a
// pointer).
enum ModelValueClass : uint16_t { kValueClassNone = 0, kValueClassNumber, kValueClassText, kValueClassStructure };
uint16_t ModelValueClassOf(uint16_t valueType);
// The class of the feature's options (that of its first option); kModelBad for
// a feature without options or whose first option cannot be loaded.
uint16_t GetFeatureValueClass(ModelDataRecord* main, ModelDataRecord* linked, const ModelSection* feature,
                              uint16_t* valueClass);
// The first option whose value equals the holder's, compared by the option's
// type; kModelBad when an option's class differs from the first option's (a
// fault of the file: the holder would be read as what it is not).
uint16_t FindOptionByValue(ModelDataRecord* main, ModelDataRecord* linked, const ModelSection* feature,
                           const void* value, uint16_t* kind, ModelSection** section);
// A copy (global block) of the display name of the record LoadItemFeature finds.
uint16_t GetItemDisplayName(ModelDataRecord* main, ModelDataRecord* linked, uint16_t id, const void* value,
                            wchar_t** name);

// The value of the default option of the setting's feature, read from the file,
// as an owned copy; then the locale and capability rules of ResolveModelDefault.
uint16_t ReadModelDefault(ModelDataRecord* main, ModelDataRecord* linked, uint16_t id, ModelValue* value);
void ResolveModelDefault(ModelDataRecord* main, uint16_t id, ModelValue* value);

// Copies of a record's display name (global block, may be null) and value:
// the option's value (13, 14), the identifier as u16 (5, 6, 10), none (3, 4).
uint16_t CopyOptionValue(const ModelSection* section, wchar_t** name, ModelValue* value);
// Option n of a setting (n 0: the record LoadItemFeature finds) as an internal
// section of kind 523 with the copies and, for kinds 3, 4, 13, 14, the byte block.
uint16_t GetItemOptionCopy(ModelDataRecord* main, ModelDataRecord* linked, uint16_t id, uint16_t n,
                           ModelSection** copy);
uint16_t GetItemOptionValue(ModelDataRecord* main, ModelDataRecord* linked, uint16_t id, uint16_t n,
                            wchar_t** name, ModelValue* value);
// Entry 0 (2 bytes) of a raw section names a kind-12 picture: the picture
// section (its data in AsPicture()->data) and its two numbers.
uint16_t GetModelStringEntry(ModelDataRecord* main, ModelDataRecord* linked, uint16_t section, uint16_t* a,
                             uint16_t* b, ModelSection** picture);

// Accessors. Positions are 1-based.
const wchar_t* GetSectionDisplayName(const ModelSection* s);
// Flag words of kinds 10 (format 1280), 11 (256), 15 (1280), 22 (4096), judged
// by the format of the file the record came from.
uint16_t GetSectionFlags(const ModelSection* s, uint16_t* flags);
uint16_t GetKind9StringInfo(ModelDataRecord* main, ModelDataRecord* linked, const ModelSection* s, uint16_t* a,
                            uint16_t* b, ModelSection** picture);
uint16_t GetKind56FirstBlock(const ModelSection* s, ModelSizePair* pair);
uint16_t GetKind56SecondBlock(const ModelSection* s, ModelSizePair* pair);
uint16_t GetSectionEntry24(const ModelSection* s, uint16_t i, uint16_t* entry);
uint16_t GetSectionEntry24Code(const ModelSection* s, uint16_t i, uint16_t* code);
uint16_t GetPaperSizeField(const ModelSection* s, ModelSizePair* size);
uint16_t GetPaperAreaField(const ModelSection* s, ModelSizePair* area);
uint16_t GetPaperMarginFields(const ModelSection* s, ModelSizePair* first, ModelSizePair* second);
uint16_t GetPaperMinSizeField(const ModelSection* s, ModelSizePair* size);
uint16_t GetPaperMaxSizeField(const ModelSection* s, ModelSizePair* size);
const wchar_t* GetFontName(const ModelSection* s, uint16_t i);
uint16_t GetFontSectionList(const ModelSection* s, const uint8_t** data, uint32_t* size);

struct ModelSettingValue {
    uint16_t settingId;  // presets only
    uint16_t type;
    uint32_t size;
    const void* data;    // strings: the text itself
};
// Kinds 11 and 22: the number of values; value i.
int GetSectionSettingCount(const ModelSection* s);
uint16_t GetSectionSettingEntry(const ModelSection* s, uint16_t i, ModelSettingValue* entry);
// Kind 22: name i; kModelBad when out of range.
uint16_t GetSectionSettingByIndex(const ModelSection* s, uint16_t i, const wchar_t** name);
const wchar_t* GetJobAttributeRowString1(const ModelSection* s);
const wchar_t* GetJobAttributeRowString2(const ModelSection* s);
// Presets (kind 24) of a file of format 7936 or later.
uint16_t GetPresetCount(const ModelSection* s, uint16_t* count);
uint16_t GetPresetEntry(const ModelSection* s, uint16_t i, ModelSettingValue* entry);
