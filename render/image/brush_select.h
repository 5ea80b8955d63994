// Brushes of every drawing call: solid colours, hatches and patterns as the
// stream's colour and brush commands.
#pragma once
#include "render/morva/morva_commands.h"

#include <windows.h>
#include <winddi.h>

#include <cstdint>

struct PDevRecord;

// A device colour (PAL_RGB: red in the low byte) through the job's colour
// stages (none without a device record) as a stream colour: format 3 when the
// result is grey, else 4.
MorvaColour DeviceColour(const PDevRecord* pdev, ULONG rgb);

// The brush for stroking (use 1) or filling (use 2), after "AL" with the mix's
// foreground code when a mix is given. 1, or 0 when a command could not be sent.
int SelectBrushForDrawing(PDevRecord* pdev, uint16_t use, const POINTL* origin, BRUSHOBJ* brush, MIX mix);
