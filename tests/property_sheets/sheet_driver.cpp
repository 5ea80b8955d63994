#include "tests/property_sheets/sheet_driver.h"

#include "tests/support/window_capture.h"

#include <commctrl.h>
#include <prsht.h>

namespace {

thread_local SheetDriver* activeDriver = nullptr;

HWND FindOpenSheet()
{
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM out) -> BOOL {
            if (IsWindowVisible(window) && PropSheet_GetTabControl(window)) {
                *reinterpret_cast<HWND*>(out) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void Pump()
{
    MSG message;
    for (int i = 0; i < 20 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

SheetDriver::SheetDriver(std::string picturePrefix, std::vector<SheetStep> steps)
    : prefix_(std::move(picturePrefix)), steps_(std::move(steps))
{
    activeDriver = this;
    timer_ = SetTimer(nullptr, 0, 100, Tick);
}

SheetDriver::~SheetDriver()
{
    if (timer_)
        KillTimer(nullptr, timer_);
    activeDriver = nullptr;
}

void CALLBACK SheetDriver::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    SheetDriver* driver = activeDriver;
    if (!driver || driver->visit_.found)
        return;
    if (HWND sheet = FindOpenSheet()) {
        driver->visit_.found = true;
        KillTimer(nullptr, driver->timer_);
        driver->timer_ = 0;
        driver->Run(sheet);
    }
}

void SheetDriver::Run(HWND sheet)
{
    wchar_t caption[256] = {};
    GetWindowTextW(sheet, caption, 256);
    visit_.captions.push_back(caption);
    HWND tab = PropSheet_GetTabControl(sheet);
    const int count = TabCtrl_GetItemCount(tab);
    for (int i = 0; i < count; ++i) {
        wchar_t text[128] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 128;
        SendMessageW(tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        visit_.tabs.push_back(text);
        if (!prefix_.empty()) {
            PropSheet_SetCurSel(sheet, nullptr, i);
            Pump();
            CaptureWindowPng(sheet, prefix_ + "-page-" + std::to_string(i + 1));
        }
    }
    if (!prefix_.empty())
        PropSheet_SetCurSel(sheet, nullptr, 0);
    for (SheetStep& step : steps_) {
        step(sheet);
        Pump();
    }
}

SheetStep PressOk()
{
    return [](HWND sheet) { PropSheet_PressButton(sheet, PSBTN_OK); };
}

SheetStep PressCancel()
{
    return [](HWND sheet) { PropSheet_PressButton(sheet, PSBTN_CANCEL); };
}

SheetStep ApplyNow()
{
    return [](HWND sheet) { PropSheet_Apply(sheet); };
}

SheetStep SelectPage(int index)
{
    return [index](HWND sheet) { PropSheet_SetCurSel(sheet, nullptr, index); };
}
