// The dialog procedure of a table-driven property page: the message goes
// through the engine's message table to the engine with the page's dialog
// code. Pages with behaviour of their own replace slots of it in their own
// procedures.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/engine/message_engine.h"

inline constexpr uint16_t kDialogTypeProperty = 1;

INT_PTR RunTablePage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode);

template <uint64_t Code>
INT_PTR CALLBACK TablePageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunTablePage(window, message, wParam, lParam, static_cast<int32_t>(Code));
}
