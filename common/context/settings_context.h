// The settings context: what an entry point opens for one printer before it
// touches settings. It holds the printer's model data (main and linked file), its
// site configuration, its DEVMODE field overrides and, once built, its paper
// list, and answers questions about one setting identifier from the model data.
//
// A context is opened and closed by the same entry point (in the graphics library
// it lives as long as the device record) and is used by one thread at a time.
#pragma once
#include <windows.h>

#include <cstdint>

struct ModelDataRecord;
struct ConfiguredSettingsList;
struct ConfigFieldOverrides;
struct PaperList;

struct SettingsContext {
    ModelDataRecord* main;
    ModelDataRecord* linked;
    ConfiguredSettingsList* siteConfig;  // null without a site configuration
    ConfigFieldOverrides* overrides;     // null without a site configuration file
    PaperList* paperList;                // null until built (paper_list.h)
};

// Statuses the lookups report in their out-parameter; the function result is
// nonzero when the answer was produced.
constexpr uint16_t kLookupOk = 0;
constexpr uint16_t kLookupError = 1;     // bad argument, not in the model's structure
constexpr uint16_t kLookupAbsent = 2;
constexpr uint16_t kLookupNoMemory = 3;

// The model data reader's status as a lookup status.
uint16_t LookupStatusOf(uint16_t modelStatus);

// Null when the handle is null, the spooler gives no driver information, or the
// driver's data file does not load. A missing site configuration or override
// file leaves those parts null; the context opens all the same.
SettingsContext* OpenSettingsContext(HANDLE printer);
// Closes the linked model file, then the main one, frees the site configuration,
// the overrides, a paper list still held, and the context. Null is accepted.
void CloseSettingsContext(SettingsContext* context);

// The site configuration file beside the driver (site_config.h) as a new global
// block; null when the model header or the driver directory cannot be read, or
// the model names no linked file.
wchar_t* GetSiteConfigFilePath(const SettingsContext* context);

// A new global block with the model name (header bytes 96 to 159 of the main
// file, ANSI, converted to UTF-16).
wchar_t* GetModelName(const SettingsContext* context, uint16_t* status);
// Raw section 4 (maximum copies) as a u16; 0 when it cannot be read.
uint16_t GetModelMaxCopies(const SettingsContext* context);
// Raw section 5: 0 -> -1, 2 -> 2, any other value -> 1; -1 without a context.
int GetModelColorKind(const SettingsContext* context);
int QueryModelColorKind(const SettingsContext* context);
// Raw section 7 as a byte; 65535 when it cannot be read.
uint16_t GetModelByte7(const SettingsContext* context);
