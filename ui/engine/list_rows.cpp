#include "ui/engine/list_rows.h"

namespace {

constexpr int32_t kTallLists[] = {1012, 1351, 1107, 1615, 1018, 1019, 1020, 1476, 1079, 1225};
constexpr int kTallRow = 26;
constexpr int kRow = 15;
constexpr int kDesignDpi = 96;

// IsProcessDPIAware is in user32 since Vista; looked up so that an older
// user32 still loads the library.
bool ProcessIsDpiAware()
{
    using Query = BOOL(WINAPI*)();
    HMODULE user = GetModuleHandleW(L"user32.dll");
    const auto query = user ? reinterpret_cast<Query>(reinterpret_cast<void*>(GetProcAddress(user, "IsProcessDPIAware"))) : nullptr;
    return query && query();
}

}  // namespace

int GetListRowHeight(HWND, int32_t controlId)
{
    int height = kRow;
    for (int32_t id : kTallLists)
        if (id == controlId)
            height = kTallRow;
    if (!ProcessIsDpiAware())
        return height;
    HDC screen = GetDC(nullptr);
    if (!screen)
        return height;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? MulDiv(height, dpi, kDesignDpi) : height;
}
