// What the settings context answers about one setting from its model data:
// the default, whether a value is one of the setting's options, the setting's
// feature and its options, and the default paper. Statuses are those of the
// context (kLookupOk, kLookupError, kLookupAbsent, kLookupNoMemory); results
// are nonzero when the answer was produced.
#pragma once
#include <windows.h>

#include <cstdint>

struct SettingsContext;
struct ModelSection;

// The default option's value: a number widened to 32 bits by its type in the
// holder's low bytes, or for a string (type 6) and a structure (type 9) a new
// global block whose address is the holder. Free it with FreeModelDefault.
BOOL GetModelDefault(const SettingsContext* context, uint16_t id, uint64_t* holder, uint16_t* type,
                     uint16_t* status);
void FreeModelDefault(uint64_t holder, uint16_t type);

// TRUE when the setting's feature has an option holding the value (an 8-byte
// holder, a string as a pointer), compared by the option's type.
BOOL HasOptionForValue(const SettingsContext* context, uint16_t id, const void* holder);

// The setting's feature: its option-list kind, option count and display name
// (not a copy: it lives in the section). Free the section with FreeItemFeature.
BOOL GetItemFeature(const SettingsContext* context, uint16_t id, uint16_t* listKind, uint16_t* count,
                    const wchar_t** name, ModelSection** section, uint16_t* status);
void FreeItemFeature(ModelSection* section);

// The copy record of option n (1-based) of the setting: name, value and byte
// block. Free it with FreeItemOption (a null holder counts as freed).
BOOL GetItemOption(const SettingsContext* context, uint16_t id, uint16_t n, ModelSection** copy, uint16_t* status);
void FreeItemOption(ModelSection* copy);
// The fields of an option copy: its value in an 8-byte holder (a string as a
// pointer into the copy), its name and value type, its byte block (may be null).
BOOL GetOptionCopyFields(const ModelSection* copy, uint64_t* value, const wchar_t** name, uint16_t* type,
                         const uint8_t** block, uint32_t* blockSize);

// Size and printable area of the paper that the setting's default option
// targets (tenths of a millimetre).
BOOL GetDefaultPaperSize(const SettingsContext* context, uint16_t id, uint16_t* width, uint16_t* height,
                         uint16_t* areaWidth, uint16_t* areaHeight, uint16_t* status);
// A new copy (global block) of the display name of the default option's target.
wchar_t* GetDefaultTargetName(const SettingsContext* context, uint16_t id, uint16_t* status);
