// The device the host's test and benchmark drivers claim to be: an A4 page
// in 24-bit colour, at 300 dots per inch unless a driver asks for another
// resolution (the benchmark's null driver claims the printer's 600, so that
// the host's cost it measures is that of the same page).
#pragma once

#include <windows.h>
#include <winddi.h>

constexpr LONG kTestDriverDpi = 300;
constexpr SIZEL kTestDriverPage{2480, 3508};

// A4 (210 x 297 mm) in pixels at `dpi`.
constexpr SIZEL TestDriverPageAt(LONG dpi) { return {(2100 * dpi + 127) / 254, (2970 * dpi + 127) / 254}; }
static_assert(TestDriverPageAt(kTestDriverDpi).cx == kTestDriverPage.cx &&
              TestDriverPageAt(kTestDriverDpi).cy == kTestDriverPage.cy);

// Fills GDIINFO and DEVINFO (palette and fonts left to the caller).
void FillTestDriverCaps(GDIINFO* caps, DEVINFO* info, LONG dpi = kTestDriverDpi);
