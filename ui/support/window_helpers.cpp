#include "ui/support/window_helpers.h"

#include "common/system/os_version.h"

HWND CreateStaticOverlay(HWND dialog, int controlId, int placementId, POINT origin, SIZE size, DWORD exStyle)
{
    if (!dialog)
        return nullptr;
    RECT place = {origin.x, origin.y, origin.x + size.cx, origin.y + size.cy};
    if (placementId != 0) {
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        HWND anchor = GetDlgItem(dialog, placementId);
        if (!anchor || !GetWindowPlacement(anchor, &placement))
            return nullptr;
        place = placement.rcNormalPosition;
    }
    HWND overlay = CreateWindowExW(exStyle, L"STATIC", L"", kOverlayStaticStyle, place.left, place.top,
                                   place.right - place.left, place.bottom - place.top, dialog,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                                   reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE)), nullptr);
    if (!overlay)
        return nullptr;
    ShowWindow(overlay, SW_SHOW);
    SetWindowPos(overlay, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return overlay;
}

int ScaleForScreenDpi(HDC dc, int value, int index)
{
    if (!dc || !IsOsVersion60OrLater())
        return value;
    const int dpi = GetDeviceCaps(dc, index == LOGPIXELSX ? LOGPIXELSX : LOGPIXELSY);
    return static_cast<int>(static_cast<long long>(value) * dpi / 96);
}

uint32_t FindContextHelpId(const HelpIdPair* table, HWND control)
{
    if (!table || !control)
        return 0;
    HWND parent = GetParent(control);
    for (; table->controlId != 0; ++table)
        if (GetDlgItem(parent, static_cast<int>(table->controlId)) == control)
            return table->helpId;
    return 0;
}
