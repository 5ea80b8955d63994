#include "ui/fax/fax_ui_state.h"

#include "ui/engine/ui_context.h"

namespace {

// The sheets' records; only the sheets' window threads reach them, one sheet
// per thread.
std::map<const UiContext*, FaxUiState>& States()
{
    static std::map<const UiContext*, FaxUiState> states;
    return states;
}

}  // namespace

FaxUiState* GetFaxUiState(UiContext* ui)
{
    return ui ? &States()[ui] : nullptr;
}

FaxUiState* GetWindowFaxUiState(HWND window)
{
    return GetFaxUiState(GetWindowUiContext(window));
}

void ReleaseFaxUiState(UiContext* ui)
{
    States().erase(ui);
}
