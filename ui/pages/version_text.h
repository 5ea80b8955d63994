// The version line of the logo and version dialog: the driver's own version,
// the model data's version, the language of the texts and the kind of window
// that opened the sheet, in the format of resource string 490 (494 over the
// logo).
#pragma once
#include <cstdint>

struct SettingsContext;

inline constexpr unsigned kStringVersionFormat = 490;
inline constexpr unsigned kStringLogoVersionFormat = 494;
inline constexpr unsigned kStringTextLanguage = 5146;

// The number the format shows for the model data's packed version
// ((a << 8) + b) << 16 + c: only c for the 2.8 line of model data, whose
// files count their releases in c alone; the packed value otherwise.
uint32_t ModelVersionNumber(uint32_t packed);

// The version line as a new global block at *text. 1 done; 0 when the model
// data is not loaded, a string is missing or memory fails (*text null).
int BuildVersionString(const SettingsContext* context, wchar_t** text, int hostKind, bool logo);
