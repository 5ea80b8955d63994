// Small window helpers of the pages: overlay statics, sizes at the screen's
// resolution, context help ids.
#pragma once
#include <windows.h>

#include <cstdint>

constexpr DWORD kOverlayStaticStyle = 0x50000A0E;  // child, visible, bitmap static, centred, real size

// A "STATIC" child `controlId` of `dialog` placed where `placementId` lies (0:
// at origin and size), shown on top of its siblings. The window or null.
HWND CreateStaticOverlay(HWND dialog, int controlId, int placementId, POINT origin, SIZE size, DWORD exStyle);

// `value` at the DC's horizontal (LOGPIXELSX) or vertical resolution against
// 96 dots per inch, on Windows 6.0 and later with a DC; else the value.
int ScaleForScreenDpi(HDC dc, int value, int index);

// The help id paired with the control's id in a zero-ended {control, help}
// table; 0 when none.
struct HelpIdPair {
    uint32_t controlId;
    uint32_t helpId;
};
uint32_t FindContextHelpId(const HelpIdPair* table, HWND control);
