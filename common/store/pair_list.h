// String pair lists: UTF-16 strings in pairs (key, then value), each with its
// terminator, the list ended by an empty string. The font substitution table is
// kept in this form as printer-data table 0; its stored size counts everything up
// to and including the final empty string.
#pragma once
#include <windows.h>

#include <cstdint>

struct ModelDataRecord;

// A key and its value with both terminators hold at most this many characters.
constexpr uint32_t kPairListMaxPairChars = 112;

// The byte size of a well-formed list held in `bytes` bytes (up to and including
// its final empty string); 0 when a string or the end runs past `bytes`.
uint32_t PairListSize(const wchar_t* list, uint32_t bytes);

// The value of the first pair whose key equals `key` exactly; null when none, or
// when the list is not well formed.
const wchar_t* FindPairListValue(const wchar_t* list, uint32_t bytes, const wchar_t* key);

// A new list (global block, the caller frees) with the key set to the value: an
// existing key gets the new value, or loses its pair when `value` is null; a
// missing key with a value is appended. Null for a list that is not well formed,
// a pair above the limit, or no memory. `newBytes` gets the new list's size.
wchar_t* SetPairListValue(const wchar_t* list, uint32_t bytes, const wchar_t* key, const wchar_t* value,
                          uint32_t* newBytes);

// Table 0 in printer data. Read: a new block and its size, null when the table
// is missing or not a well-formed list. Store: 1 ok.
wchar_t* ReadFontSubstitutionTable(HANDLE printer, uint32_t* bytes);
int StoreFontSubstitutionTable(HANDLE printer, const wchar_t* list, uint32_t bytes);

// The list the model gives: for each font section (model table kind 11) in
// order, the pair (listed name, the section's own name) for each name of its
// first name list. A new block (the caller frees) and its size; null on any
// failure of the model reader or memory.
wchar_t* BuildFontSubstitutionList(ModelDataRecord* main, ModelDataRecord* linked, uint32_t* bytes);

// Table 0 from printer data; when absent, the list built from the model. The
// caller frees the block.
wchar_t* GetFontSubstitutionTable(HANDLE printer, ModelDataRecord* main, ModelDataRecord* linked, uint32_t* bytes);

// 1 when table 0 exists, or was built from the model and stored now.
int GetOrBuildFontSubstitutionTable(HANDLE printer, ModelDataRecord* main, ModelDataRecord* linked);
