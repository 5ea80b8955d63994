// Display states applied to a control window: whether it is shown and enabled.
#pragma once
#include <windows.h>

#include <cstdint>

// Shows or hides and enables or disables the control; nothing for null.
void ShowControl(HWND control, bool shown, bool enabled);
// The general rule: 1 and 15 shown disabled, 6 hidden disabled, others shown
// enabled. 1; 0 for a missing control.
int ApplyControlState(HWND control, uint16_t state);
