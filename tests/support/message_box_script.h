// Real message boxes answered by a script: a CBT hook on the test's thread
// sees each message box as it is activated, records its caption and text and
// presses the next scripted button. A box beyond the script is cancelled, so
// no test ever waits on one. Message boxes need a display: under wine the test
// programs run with DISPLAY naming a virtual X server (scripts/test starts one).
#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

struct ShownMessageBox {
    std::wstring caption;
    std::wstring text;
    int pressed;  // the button the script pressed
    bool scripted;
};

class MessageBoxScript {
public:
    // Buttons to press in turn: IDOK, IDCANCEL, IDYES, IDNO, ...
    explicit MessageBoxScript(std::initializer_list<int> buttons = {});
    ~MessageBoxScript();
    MessageBoxScript(const MessageBoxScript&) = delete;
    MessageBoxScript& operator=(const MessageBoxScript&) = delete;

    bool installed() const { return hook_ != nullptr; }
    const std::vector<ShownMessageBox>& shown() const { return shown_; }
    // Boxes shown beyond the script (each cancelled).
    int unscripted() const;

    static LRESULT CALLBACK HookProc(int code, WPARAM wparam, LPARAM lparam);

private:
    void Answer(HWND box);

    HHOOK hook_ = nullptr;
    std::vector<int> buttons_;
    size_t next_ = 0;
    std::vector<ShownMessageBox> shown_;
};

// String `id` of the resource file morvares, as a message box shows it.
std::wstring ResourceString(UINT id);
