// Trace dumps of setting values read by identifier.
#pragma once
#include <cstdint>

// One private setting: "FunctionID:<id>(0x<id>)       = <value>", with bits
// 0x1 and 0x4. A null title gives the default title.
int TraceDumpPrivateSetting(const wchar_t* title, void* settingsRecord, uint16_t id);

// Identifiers 1-25 (bit 0x10), 257-484 (bit 0x20) and the extra identifiers of
// morvx.cfg between two separator lines. With dump-site categories configured
// (0x1F0000), only a dump of a shared category is written. Nothing for two null
// records.
int TraceDumpSettings(uint32_t category, const wchar_t* title, void* settingsRecord, void* printerSettingsRecord);
