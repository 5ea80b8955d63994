// Text conversions of the settings-access interface: settings keep UTF-16 in
// fixed rooms, callers speak the ANSI code page. Fields may lack a terminator,
// so every read is bounded by the field.
#pragma once
#include <cstddef>
#include <string>

// The ANSI form of the UTF-16 text in a field of `units` units (up to its first
// NUL). False when the conversion fails.
bool AnsiFromWideField(const wchar_t* field, size_t units, std::string* ansi);

// The UTF-16 form of the first `bytes` bytes of `text` (up to its first NUL).
bool WideFromAnsi(const char* text, size_t bytes, std::wstring* wide);

// Copies `text` and a terminator into a field of `units` units, clearing the
// rest; false (field untouched) when text and terminator do not fit.
bool StoreWideField(const std::wstring& text, wchar_t* field, size_t units);
