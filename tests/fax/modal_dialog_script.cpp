#include "tests/fax/modal_dialog_script.h"

namespace {

HHOOK g_hook = nullptr;
HWND g_dialog = nullptr;
const std::function<void(HWND)>* g_script = nullptr;
UINT_PTR g_startTimer = 0;
UINT_PTR g_safetyTimer = 0;

void CALLBACK SafetyTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    if (IsWindow(g_dialog))
        EndDialog(g_dialog, -99);
}

int g_startTries = 0;

void CALLBACK StartTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    HWND dialog = g_dialog;
    // The modal loop shows the dialog once its queue is first idle.
    if (IsWindow(dialog) && !IsWindowVisible(dialog) && ++g_startTries < 100) {
        g_startTimer = SetTimer(nullptr, 0, 20, StartTimer);
        return;
    }
    if (g_script && IsWindow(dialog))
        (*g_script)(dialog);
    g_safetyTimer = SetTimer(nullptr, 0, 15000, SafetyTimer);
}

LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && !g_dialog) {
        auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
        if (create->lpcs->lpszClass == MAKEINTATOM(32770) ||
            (!IS_INTRESOURCE(create->lpcs->lpszClass) && lstrcmpW(create->lpcs->lpszClass, L"#32770") == 0)) {
            g_dialog = reinterpret_cast<HWND>(wParam);
            // The message-box script leaves windows with this mark alone.
            SetPropW(g_dialog, L"MorvaScripted", reinterpret_cast<HANDLE>(1));
            g_startTimer = SetTimer(nullptr, 0, 50, StartTimer);
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

}  // namespace

void ScriptNextModalDialog(const std::function<void()>& open, const std::function<void(HWND)>& script)
{
    // A script may open a dialog of its own dialog's: the outer run's state
    // comes back when the inner one ends.
    const HHOOK outerHook = g_hook;
    HWND outerDialog = g_dialog;
    const std::function<void(HWND)>* outerScript = g_script;
    const UINT_PTR outerSafetyTimer = g_safetyTimer;
    const int outerStartTries = g_startTries;
    g_dialog = nullptr;
    g_startTries = 0;
    g_script = &script;
    g_safetyTimer = 0;
    g_hook = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
    open();
    UnhookWindowsHookEx(g_hook);
    if (g_safetyTimer)
        KillTimer(nullptr, g_safetyTimer);
    g_hook = outerHook;
    g_safetyTimer = outerSafetyTimer;
    g_script = outerScript;
    g_dialog = outerDialog;
    g_startTries = outerStartTries;
}

INT_PTR RunModalDialog(HMODULE module, UINT templateId, DLGPROC procedure, LPARAM parameter, HWND owner,
                       const std::function<void(HWND)>& script)
{
    INT_PTR result = -1;
    ScriptNextModalDialog(
        [&] { result = DialogBoxParamW(module, MAKEINTRESOURCEW(templateId), owner, procedure, parameter); },
        script);
    return result;
}

void ClickButton(HWND dialog, int id)
{
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void TypeText(HWND dialog, int id, const wchar_t* text, int next)
{
    SetFocus(GetDlgItem(dialog, id));
    SetDlgItemTextW(dialog, id, text);
    if (next)
        SetFocus(GetDlgItem(dialog, next));
}
