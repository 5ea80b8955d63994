// A modal dialog run with a script: once the dialog's modal loop runs, the
// script is called with the dialog's window; it may click, type and look, and
// usually ends the dialog. A dialog still open 15 seconds after its script
// ends is ended with -99, so no test waits for ever. The dialog itself is
// kept from the message-box script, which answers only message boxes.
#pragma once
#include <windows.h>

#include <functional>

INT_PTR RunModalDialog(HMODULE module, UINT templateId, DLGPROC procedure, LPARAM parameter, HWND owner,
                       const std::function<void(HWND)>& script);

// The same for a modal dialog that `open` opens (a click on a page's
// button): the script runs on the first dialog created while `open` runs.
// A script may itself script a dialog its dialog opens.
void ScriptNextModalDialog(const std::function<void()>& open, const std::function<void(HWND)>& script);

// A click of a button as the user's (WM_COMMAND BN_CLICKED sent to the dialog).
void ClickButton(HWND dialog, int id);
// The text typed into an edit control: focus, text, then the focus moves on
// to `next` (0: stays).
void TypeText(HWND dialog, int id, const wchar_t* text, int next = 0);
