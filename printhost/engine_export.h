// The engine callbacks are exported by the host's executable under their
// Windows names: a driver that finds no such name in gdi32 (wine's has none)
// looks it up on the process image, so one driver binary runs on both.
#pragma once

#define PRINTHOST_EXPORT extern "C" __declspec(dllexport)
