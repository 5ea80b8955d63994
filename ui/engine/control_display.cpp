#include "ui/engine/control_display.h"

#include "ui/engine/dialog_context.h"

namespace {
constexpr uint16_t kStateShownDisabled = 15;
}  // namespace

void ShowControl(HWND control, bool shown, bool enabled)
{
    if (!control)
        return;
    ShowWindow(control, shown ? SW_SHOW : SW_HIDE);
    EnableWindow(control, enabled ? TRUE : FALSE);
}

int ApplyControlState(HWND control, uint16_t state)
{
    if (!control)
        return 0;
    switch (state) {
    case kStateDisabled:
    case kStateShownDisabled:
        ShowControl(control, true, false);
        break;
    case kStateHidden:
        ShowControl(control, false, false);
        break;
    default:
        ShowControl(control, true, true);
        break;
    }
    return 1;
}
