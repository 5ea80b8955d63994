// The site configuration: a read-only profile file beside the driver in which an
// administrator gives a printer model default, enforced and display states of a
// fixed set of settings and switches on ready-made policies. It is parsed once per
// settings context into a ConfiguredSettingsList; the settings records take values
// from it, the pages ask it what to lock, hide or dim.
//
// The same file holds the "DME,n" sections of the DEVMODE field overrides
// (common/config/config_field_overrides.h).
#pragma once
#include <cstdint>

// Flags of a configured setting.
constexpr uint16_t kConfiguredDefault = 0x01;
constexpr uint16_t kConfiguredEnforced = 0x02;
constexpr uint16_t kConfiguredHide = 0x04;
constexpr uint16_t kConfiguredDimout = 0x08;
constexpr uint16_t kConfiguredShow = 0x10;

struct ConfiguredSettingEntry {
    uint16_t id;     // FunctionID
    uint32_t value;  // as configured, before translation
    uint16_t flags;
};

struct ConfiguredSwitchEntry {
    uint32_t number;
    uint32_t state;  // the parsed value; 1 = on
};

// Entries stand in the reverse order of the name and switch tables, so for a
// setting named twice the first entry found is the one read last.
struct ConfiguredSettingsList {
    uint16_t settingCount;
    uint16_t switchCount;
    ConfiguredSettingEntry* settings;  // global block, settingCount entries
    ConfiguredSwitchEntry* switches;   // global block, switchCount entries
};

// Switch numbers.
constexpr uint32_t kSwitchUseSpecial1 = 0;
constexpr uint32_t kSwitchMonocolorPrint = 1;
constexpr uint32_t kSwitchSecurePrint = 2;
constexpr uint32_t kSwitchBannerPrint = 3;
constexpr uint32_t kSwitchDuplexLong = 4;
constexpr uint32_t kSwitchDuplexShort = 5;
constexpr uint32_t kSwitchLog = 999;

// The file's path: driverDirectory (ending with a backslash) followed by the
// linked data file name of the model data header (64 ANSI bytes, NUL-padded, not
// necessarily terminated) with the text after its last "." made "cfg" (".cfg"
// appended to a name without one). A new global block; null when the name is
// empty (the model has no linked file, so no site configuration either), when it
// names a directory part, or when the path does not fit MAX_PATH.
wchar_t* MakeSiteConfigFilePath(const wchar_t* driverDirectory, const char* linkedFileName,
                                uint32_t nameBytes);

// Parses the model's section (or "default") of the file. Null when the file does
// not exist, is empty, has no usable section, or memory fails. Re-reads the trace
// settings after parsing.
ConfiguredSettingsList* BuildConfiguredSettingsList(const wchar_t* modelName, const wchar_t* path);
// Frees both arrays and the list; null is accepted.
void FreeConfiguredSettingsList(ConfiguredSettingsList* list);

// The "COMMENT" text of the model's section as a new global block (empty when the
// key is absent); null when the file is missing or empty.
wchar_t* ReadConfigComment(const wchar_t* modelName, const wchar_t* path);

// Modes of ApplyConfiguredSettings.
constexpr int kApplyDefaultsAndEnforced = 0;
constexpr int kApplyEnforcedOnly = 1;

// Writes the configured values by setting identifier: mode 0 those flagged default
// or enforced, mode 1 those flagged enforced, any other mode none. Setting entries
// first, then the expansions of every switch that is on. A value without a
// translation, and settings of string or structure type, are never written.
// 1; 0 for a null list.
int ApplyConfiguredSettings(const ConfiguredSettingsList* list, void* settingsRecord,
                            void* printerSettingsRecord, int mode);

// The configured value of one setting, translated, in an 8-byte holder of the
// given value type. 1 when given; 0 when not configured, flagged only for display,
// without translation, or of a type that holds no number.
int GetConfiguredValue(uint16_t id, const ConfiguredSettingsList* list, void* holder, uint16_t type);
// The flags of the setting. 1 when configured.
int GetConfiguredFlags(uint16_t id, const ConfiguredSettingsList* list, uint16_t* flags);
// 1 when the setting is configured with the enforced flag.
int IsSettingEnforced(uint16_t id, const ConfiguredSettingsList* list);

// The stored value for a configured one (the translation table). 1 with *stored;
// 0 when the setting has no row or the value is not listed in it.
int TranslateConfiguredValue(uint16_t id, uint32_t value, uint32_t* stored);
