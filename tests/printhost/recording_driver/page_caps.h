// The device the host's test and benchmark drivers claim to be: an A4 page
// at 300 dots per inch in 24-bit colour.
#pragma once

#include <windows.h>
#include <winddi.h>

constexpr LONG kTestDriverDpi = 300;
constexpr SIZEL kTestDriverPage{2480, 3508};

// Fills GDIINFO and DEVINFO (palette and fonts left to the caller).
void FillTestDriverCaps(GDIINFO* caps, DEVINFO* info);
