// Context help of the table-driven dialogs: the page's topic from the sheet's
// Help button, a control's topic from F1 or the "What's This?" menu.
#include "common/system/module_files.h"
#include "ui/engine/message_engine.h"
#include "ui/engine/page_store.h"

#include <prsht.h>
#include <windowsx.h>

namespace {

// Controls that lie over another one: the point hits the first, the help is the second's.
struct OverlayPair {
    int32_t under;
    int32_t over;
};
constexpr OverlayPair ContextHelpOverlayTable[] = {
    {1320, 1564}, {1363, 1361}, {1363, 1358}, {1363, 1359}, {1363, 1360}, {1363, 1362}, {1365, 1405},
};

uint32_t TopicOfControl(const ItemTableHeader* header, int32_t controlId)
{
    for (const HelpMapEntry* entry = header->helpMap; entry && entry->controlId; ++entry)
        if (static_cast<int32_t>(entry->controlId) == controlId)
            return entry->topic;
    return 0;
}

HWND OverlaidControl(HWND window, HWND child, POINT screen)
{
    const int32_t id = GetDlgCtrlID(child);
    for (const OverlayPair& pair : ContextHelpOverlayTable) {
        if (pair.under != id)
            continue;
        HWND over = GetDlgItem(window, pair.over);
        RECT rect{};
        if (over && IsWindowVisible(over) && GetWindowRect(over, &rect) && PtInRect(&rect, screen))
            return over;
    }
    return child;
}

// True when the user picked "What's This?" from the help menu at the point.
bool ConfirmHelpMenu(HWND window, POINT screen)
{
    HMENU menu = LoadMenuW(GetResourceModule(), MAKEINTRESOURCEW(kContextHelpMenu));
    if (!menu)
        return false;
    const UINT command = TrackPopupMenu(GetSubMenu(menu, 0), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN,
                                        screen.x, screen.y, 0, window, nullptr);
    DestroyMenu(menu);
    return command == kContextHelpCommand;
}

}  // namespace

INT_PTR OnContextHelp(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int32_t dialogCode, HandlerArgs* args)
{
    const UiContext* ui = args && args->call ? GetWindowUiContext(args->call->window) : nullptr;
    const ItemTableHeader* header = GetDialogTableHeader(window, dialogCode);
    if (!ui || !header || dialogCode == kDialogWithoutItems)
        return 1;
    const wchar_t* file = GetUiHelpFilePath(ui);
    if (!file || !*file)
        return 1;
    uint32_t topic = 0;
    if (message == WM_NOTIFY) {
        topic = header->pageHelpTopic;
    } else if (message == WM_HELP) {
        const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
        if (!info)
            return 1;
        topic = TopicOfControl(header, GetDlgCtrlID(static_cast<HWND>(info->hItemHandle)));
    } else if (message == WM_CONTEXTMENU) {
        POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        POINT client = screen;
        ScreenToClient(window, &client);
        HWND child = ChildWindowFromPointEx(window, client, CWP_SKIPINVISIBLE);
        if (!child || (child == window && reinterpret_cast<HWND>(wParam) == window))
            return 1;
        child = OverlaidControl(window, child, screen);
        topic = TopicOfControl(header, GetDlgCtrlID(child));
        if (!ConfirmHelpMenu(window, screen))
            return 1;
    }
    ShowHelpTopic(ui, topic);
    return 1;
}
