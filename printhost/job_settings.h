// Job settings given as "identifier=value" pairs, written into a DEVMODE
// through the driver's own setting engine.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace printhost {

// Each pair is "ID=VALUE": a setting identifier (decimal or 0x hexadecimal)
// and a number, or text for string settings. False and a message naming the
// pair when it cannot be read, the identifier is unknown or a printer-wide
// setting, it lies beyond the DEVMODE's bytes, or the engine refuses the value.
bool ApplySettingPairs(std::vector<BYTE>* devmode, const std::vector<std::wstring>& pairs, std::wstring* error);

} // namespace printhost
