// Label texts with an access key: the text a label shows for a setting, its
// "&" doubled, the key letter of the label's key string marked where the text
// holds it (else the key string appended), then an extra text and a suffix.
#pragma once
#include <windows.h>

#include <cstdint>

struct SettingsContext;

inline constexpr int kLabelChars = 256;
inline constexpr int32_t kNoString = -3;

// `keyString` and `suffixString` are resource string ids (kNoString: none);
// `extra` may be null. `out` holds `capacity` characters. 1 done.
int BuildLabelWithAccessKey(HMODULE module, wchar_t* out, int capacity, const wchar_t* text, int32_t keyString,
                            int32_t suffixString, const wchar_t* extra);
// The same for a text given by a string id (at most 128 characters).
int BuildLabelFromResource(HMODULE module, wchar_t* out, int capacity, UINT textId, int32_t keyString,
                           int32_t suffixString, const wchar_t* extra);
// The same for the setting's display name from the model data.
int BuildSettingLabel(HMODULE module, const SettingsContext* context, wchar_t* out, int capacity, uint16_t setting,
                      int32_t keyString, int32_t suffixString, const wchar_t* extra);
