// The row height of the engine's owner-drawn lists and combo boxes. The engine
// answers WM_MEASUREITEM with it (the message comes before WM_INITDIALOG, so
// the answer needs nothing but the control's identifier); the list kinds draw
// their rows to it.
#pragma once
#include <windows.h>

#include <cstdint>

// 26 pixels for the tall lists that show an icon beside two lines, 15 for the
// others, scaled to the screen when the process is DPI-aware.
int GetListRowHeight(HWND window, int32_t controlId);
