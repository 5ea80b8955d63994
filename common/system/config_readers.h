// Readers of the driver's read-only profile (INI) files: the trace settings file
// and the site configuration file. Buffers are sized from the file's size, so a
// section is always read whole; a missing or empty file reads as nothing.
//
// A section buffer is what GetPrivateProfileSectionW gives: "key=value" lines,
// each terminated, the last followed by an empty one.
#pragma once
#include <cstdint>

// Byte size of the file, used as its size in characters; 0 when it cannot be
// opened for reading.
uint32_t GetConfigFileChars(const wchar_t* path);

// The model's section name (blanks, "/" and "-" made "_") when the file has that
// section (compared without regard to case), else "default"; a new global block.
wchar_t* ChooseConfigSection(const wchar_t* path, uint32_t fileChars, const wchar_t* modelName);

// Lines of the section that begin with key (key text ends with "=", compared
// without regard to case): the 1-based number of the first matching line at or
// after `occurrence`, or with `last` set the last matching line; 0 when none.
// *value receives a copy of the line's value in a new global block when given.
int FindSectionKey(int occurrence, int last, const wchar_t* section, const wchar_t* key, wchar_t** value);

// The first matching line's value, at most 31 characters, into value (32
// characters). Keys longer than 46 characters are never found. 1 found, 0 not.
constexpr int kShortValueChars = 32;
int FindShortKeyValue(const wchar_t* section, const wchar_t* key, wchar_t* value);

// A key's value from the model's section (see ChooseConfigSection), as a new
// global block; empty when the key is missing, null when the file is.
wchar_t* ReadConfigString(const wchar_t* modelName, const wchar_t* path, const wchar_t* key);
// The whole section as a new global block; null when the file or section is missing.
wchar_t* ReadConfigSection(const wchar_t* path, const wchar_t* section);
// 1 when the file has the section (compared without regard to case).
int ConfigSectionExists(const wchar_t* path, const wchar_t* section);

struct ConfigKeyword {
    const wchar_t* name;
    uint32_t value;
};
// The value of a keyword of the table (without regard to case), else the value of
// the text's leading decimal digits. 1 with *value; 0 with *value 0 when neither.
int ParseConfiguredValue(const ConfigKeyword* table, int count, const wchar_t* text, uint32_t* value);
