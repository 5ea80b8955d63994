// The settings a printer DC starts from while no interface library widens the
// application's DEVMODE: the printer model's defaults in the extended form that
// the graphics library accepts (the settings record and its trailer).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace printhost {

// The 5924-byte DEVMODE of the printer's model defaults (device name: the
// printer's). False and a message when the printer or its model data cannot be
// opened or a default cannot be had.
bool ModelDefaultDevmode(const std::wstring& printerName, std::vector<BYTE>* devmode, std::wstring* error);

} // namespace printhost
