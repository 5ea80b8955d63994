// What the device record tells the engine about the device: GDIINFO and
// DEVINFO, filled at DrvEnablePDEV from the settings and the requested form.
#pragma once
#include <windows.h>
#include <winddi.h>

#include <cstdint>

struct PDevRecord;

// A quotient rounded half up: one more when its first decimal is above 4.
int32_t DivideRoundHalfUp(int64_t numerator, int64_t denominator);

// The scale of setting 11 when dmFields has DM_SCALE, else 100.
int32_t PdevScale(PDevRecord* pdev);

void FillGdiInfo(PDevRecord* pdev, GDIINFO* info);
// Creates the default palette (an older one is deleted first). `defaultFont`
// is the device font GDI takes as its default, null without device fonts. 0,
// or -1 when the palette cannot be made.
int FillDevInfo(PDevRecord* pdev, const LOGFONTW* defaultFont, DEVINFO* info);
