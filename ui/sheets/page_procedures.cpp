#include "ui/sheets/page_procedures.h"

INT_PTR RunTablePage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode)
{
    SlotHandler handler = nullptr;
    int32_t slot = -1;
    if (!FindMessageHandler(message, wParam, lParam, kDialogTypeProperty, &handler, &slot))
        return FALSE;
    return CallMessageHandler(window, message, wParam, lParam, dialogCode, kDialogTypeProperty, handler);
}
