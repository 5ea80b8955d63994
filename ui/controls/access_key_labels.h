// Labels of the controls: a text with its "&" doubled, an access key marked in
// it from the item's key string, an extra text (a range) and a suffix.
#pragma once
#include <windows.h>

#include <cstdint>

struct SettingsContext;

inline constexpr UINT kStringAccessMarker = 5188;  // its first character marks an access key
inline constexpr UINT kStringLabelSuffix = 466;
inline constexpr UINT kStringButtonSuffix = 477;
inline constexpr int kLabelChars = 256;
inline constexpr int kLabelTextChars = 254;        // the doubled text at most
inline constexpr int kResourceLabelChars = 128;

// The label from texts: `text` with every "&" doubled; the letter after
// `marker` in `keyText` marked (the marker inserted before its first
// occurrence in the text, either case); `extra` appended; when the letter was
// not in the text `keyText` appended; `suffix` last. Any of keyText, extra and
// suffix may be null. 1 done; 0 for a null out or text.
int ComposeAccessKeyLabel(wchar_t* out, int capacity, const wchar_t* text, const wchar_t* keyText, wchar_t marker,
                          const wchar_t* extra, const wchar_t* suffix);

// The same with the key and suffix strings from the resource module (ids -3:
// none) and the marker from string 5188.
int BuildLabelWithAccessKey(HMODULE module, wchar_t* out, int capacity, const wchar_t* text, int keyStringId,
                            int suffixStringId, const wchar_t* extra);
// For a text given by a string id (at most 128 characters).
int BuildLabelFromResource(HMODULE module, wchar_t* out, int capacity, int textStringId, int keyStringId,
                           int suffixStringId, const wchar_t* extra);
// For the setting's display name in the model data.
int BuildSettingLabel(HMODULE module, const SettingsContext* context, uint16_t setting, wchar_t* out, int capacity,
                      int keyStringId, int suffixStringId, const wchar_t* extra);
