// Questions about one setting identifier answered from the model data of a
// settings context: its default, its feature and options, the option holding a
// value and the paper that option names.
//
// Every lookup reports a status of settings_context.h (kLookupOk, kLookupError,
// kLookupAbsent, kLookupNoMemory) in its out-parameter and answers nonzero when it
// produced its answer. Values are passed in 8-byte holders: numbers in the low
// bytes, strings as a pointer to the text.
#pragma once
#include <windows.h>
#include <winspool.h>

#include <cstdint>

struct SettingsContext;
struct ModelSection;

// The model's default of the setting (locale and capability rules applied): a
// number widened to 32 bits by its type into *value, or for a string (type 6) a
// pointer to a new global block that FreeModelDefault frees.
BOOL GetModelDefault(const SettingsContext* context, uint16_t id, uint64_t* value, uint16_t* type, uint16_t* status);
void FreeModelDefault(uint64_t value, uint16_t type);
// A number the model gives as the default of a setting of its own (one no
// settings record holds); `fallback` when the model has none or gives a
// string.
uint32_t GetModelNumberOr(const SettingsContext* context, uint16_t id, uint32_t fallback);

// The setting's feature record (with its bulky parts): its option-list kind, its
// option count and its display name (pointing into the section). The caller frees
// the section with FreeItemFeature.
BOOL GetItemFeature(const SettingsContext* context, uint16_t id, uint16_t* listKind, uint16_t* optionCount,
                    const wchar_t** displayName, ModelSection** section, uint16_t* status);
void FreeItemFeature(ModelSection* section);

// The copy record of option n (1-based); freed with FreeItemOption.
BOOL GetItemOption(const SettingsContext* context, uint16_t id, uint16_t n, ModelSection** copy, uint16_t* status);
// TRUE also for a null holder or one already freed.
BOOL FreeItemOption(ModelSection** holder);
// The fields of an option copy: the value (numbers widened by type, strings as a
// pointer into the copy), its display name, its value type, its byte block and
// the block's size (null and 0 when it has none). Any output may be null.
BOOL GetOptionCopyFields(const ModelSection* copy, uint64_t* value, const wchar_t** name, uint16_t* type,
                         const uint8_t** byteBlock, uint32_t* byteBlockSize);

// TRUE when the setting's feature has an option holding the value.
BOOL HasOptionForValue(const SettingsContext* context, uint16_t id, const void* value);
// The target record of the option holding the value (a paper record for a paper
// option); freed with FreeItemFeature. Null when none.
ModelSection* GetOptionTargetForValue(const SettingsContext* context, uint16_t id, const void* value,
                                      uint16_t* status);
// The default value's bytes as a new global block (strings with their
// terminator); *size its byte count when given.
void* GetModelDefaultValue(const SettingsContext* context, uint16_t id, uint32_t* size, uint16_t* status);

// The paper size and printable area (tenths of a millimetre) of the paper record
// that the option holding the value targets.
BOOL GetOptionPaperSize(const SettingsContext* context, uint16_t id, const void* value, uint16_t* width,
                        uint16_t* height, uint16_t* areaWidth, uint16_t* areaHeight, uint16_t* status);
// The same for the setting's default value.
BOOL GetDefaultPaperSize(const SettingsContext* context, uint16_t id, uint16_t* width, uint16_t* height,
                         uint16_t* areaWidth, uint16_t* areaHeight, uint16_t* status);
// A new global block with the display name of the default option's target.
wchar_t* GetDefaultTargetName(const SettingsContext* context, uint16_t id, uint16_t* status);

// A paper asked for by number, size or name.
struct OptionRequest {
    uint16_t number;  // the paper record's identifier
    uint16_t width;   // tenths of a millimetre
    uint16_t height;
    wchar_t* name;    // a filled request owns it (FreeOptionRequestName)
};
// Modes of FindPaperOption.
constexpr int kPaperByNumber = 1;
constexpr int kPaperBySize = 2;   // within 1 mm, turned when the orientations differ
constexpr int kPaperByName = 3;   // without regard to case
// Walks the setting's options in order and fills the request from the paper the
// first matching option targets: a copy of its name, its identifier, its size.
// Not found: status kLookupAbsent. A name the request held before is not freed:
// it is the caller's.
BOOL FindPaperOption(const SettingsContext* context, uint16_t id, int mode, OptionRequest* request,
                     uint16_t* status);
void FreeOptionRequestName(OptionRequest* request);

// dmFields (setting 6) with DM_COLLATE set or cleared by the model's collation
// support; FALSE when dmFields cannot be read or written. Without readable
// capability words the field is left as it is.
BOOL UpdateCollateField(void* settingsRecord, void* printerSettingsRecord, const SettingsContext* context);

// The model's preset that new settings start from, once per settings record
// (setting 466 records it), when setting 1356 asks for it; then the enforced
// site configuration. FALSE when a step fails (466 left unchanged).
BOOL ApplyInitialPreset(const SettingsContext* context, void* settingsRecord, void* printerSettingsRecord);
// The same with the preset index given: 0 applies only the enforced site
// configuration; otherwise the preset record whose identifier is the index's
// low byte (models of data format 7936 and later).
BOOL ApplyPresetByIndex(const SettingsContext* context, void* settingsRecord, void* printerSettingsRecord,
                        uint32_t index);
// The preset index of the program the driver runs in: the number of the first
// preset that names it (FindApplicationEntry), 0 when none does.
uint32_t GetInitialPresetIndex(const SettingsContext* context);

// A spooler form taken for a paper request.
struct FormPaperMatch {
    uint16_t formNumber;   // form index + 1
    int32_t width;         // tenths of a millimetre
    int32_t height;
    const wchar_t* name;   // the form's name (in the caller's form list)
};
// Modes of FindFormPaper.
constexpr int kFormByName = 1;    // the form whose name equals the request's, without regard to case
constexpr int kFormByNumber = 4;  // the form whose index + 1 is the request's number
// Walks `count` indexes into the form list (indexes at or past formCount are
// skipped) and takes the first form the mode selects that setting 8 offers as a
// paper of that name. The form number, or 0 when none.
int FindFormPaper(const SettingsContext* context, const FORM_INFO_1W* forms, uint32_t formCount,
                  const uint32_t* formIndexes, uint32_t count, int mode, const OptionRequest* request,
                  FormPaperMatch* match);
// The paper option of setting 8 for a request: by name, else by size. The
// request is filled as FindPaperOption fills it, for the paper resolution of the
// settings records to take over.
BOOL ResolvePaperByName(const SettingsContext* context, OptionRequest* request, uint16_t* status);
