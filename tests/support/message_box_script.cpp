#include "tests/support/message_box_script.h"

#include "common/system/module_files.h"

#include <algorithm>

namespace {

// The script of this thread; one at a time.
thread_local MessageBoxScript* g_script = nullptr;

constexpr int kMessageTextId = 0xFFFF;  // the static that holds a message box's text
constexpr wchar_t kDialogClass[] = L"#32770";

}  // namespace

MessageBoxScript::MessageBoxScript(std::initializer_list<int> buttons) : buttons_(buttons)
{
    if (g_script)
        return;
    hook_ = SetWindowsHookExW(WH_CBT, &MessageBoxScript::HookProc, nullptr, GetCurrentThreadId());
    if (hook_)
        g_script = this;
}

MessageBoxScript::~MessageBoxScript()
{
    if (hook_) {
        UnhookWindowsHookEx(hook_);
        g_script = nullptr;
    }
}

int MessageBoxScript::unscripted() const
{
    return static_cast<int>(
        std::count_if(shown_.begin(), shown_.end(), [](const ShownMessageBox& b) { return !b.scripted; }));
}

void MessageBoxScript::Answer(HWND box)
{
    ShownMessageBox shown;
    wchar_t text[1024] = {};
    GetWindowTextW(box, text, 1024);
    shown.caption = text;
    text[0] = L'\0';
    GetDlgItemTextW(box, kMessageTextId, text, 1024);
    shown.text = text;
    shown.scripted = next_ < buttons_.size();
    shown.pressed = shown.scripted ? buttons_[next_++] : IDCANCEL;
    shown_.push_back(shown);
    // Posted: the box handles it once its modal loop runs.
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(shown.pressed, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, shown.pressed)));
}

LRESULT CALLBACK MessageBoxScript::HookProc(int code, WPARAM wparam, LPARAM lparam)
{
    MessageBoxScript* script = g_script;
    if (code == HCBT_ACTIVATE && script) {
        HWND window = reinterpret_cast<HWND>(wparam);
        wchar_t className[16] = {};
        GetClassNameW(window, className, 16);
        // A box activated again (focus coming back) is answered only once. Other
        // dialogs (a property sheet) have no message text and are left to the test.
        if (lstrcmpW(className, kDialogClass) == 0 && GetDlgItem(window, kMessageTextId) &&
            !GetPropW(window, L"MorvaScripted")) {
            SetPropW(window, L"MorvaScripted", reinterpret_cast<HANDLE>(1));
            script->Answer(window);
        }
    }
    return CallNextHookEx(script ? script->hook_ : nullptr, code, wparam, lparam);
}

std::wstring ResourceString(UINT id)
{
    wchar_t text[1024] = {};
    HMODULE module = GetResourceModule();
    if (module)
        LoadStringW(module, id, text, 1024);
    return text;
}
