// The tooltip windows themselves and their tools.
#include "common/system/module_files.h"
#include "ui/engine/tooltips.h"

#include <commctrl.h>

#include <cstddef>

namespace {

// The 64-byte record of TTM_ADDTOOLW and its kin on 64-bit Windows (without the
// fields comctl32 6 added, which the messages do not need).
#ifdef _WIN64
static_assert(offsetof(TOOLINFOW, lParam) + sizeof(LPARAM) == 64);
#endif

TOOLINFOW ToolRecord(HWND window, uint16_t tool, UINT flags, const wchar_t* text)
{
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.uFlags = flags;
    info.hwnd = window;
    info.uId = tool;
    info.hinst = GetResourceModule();
    info.lpszText = const_cast<wchar_t*>(text);
    return info;
}

}  // namespace

HWND CreateTooltipWindow(HWND parent, int maximumWidth)
{
    HWND tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr, GetResourceModule(), nullptr);
    if (tooltip && maximumWidth)
        SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, maximumWidth);
    return tooltip;
}

int AddTooltip(HWND window, HWND tooltip, uint16_t tool, UINT flags, const wchar_t* text)
{
    if (!text)
        return 0;
    TOOLINFOW info = ToolRecord(window, tool, flags, text);
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    return 1;
}

int UpdateTooltipText(HWND window, HWND tooltip, uint16_t tool, UINT flags, const wchar_t* text)
{
    TOOLINFOW info = ToolRecord(window, tool, flags, text);
    SendMessageW(tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    return 1;
}

int SetTooltipRect(HWND window, HWND tooltip, uint16_t tool, UINT flags, const RECT* rectangle)
{
    if (!rectangle)
        return 0;
    TOOLINFOW info = ToolRecord(window, tool, flags, nullptr);
    info.rect = *rectangle;
    SendMessageW(tooltip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
    return 1;
}
