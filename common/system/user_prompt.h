// The one way the libraries ask the user something: a message box whose title
// is a fixed resource string. Tests install an answerer in its place, since a
// message box without a display returns at once and answers nothing useful.
#pragma once
#include <windows.h>

struct UserPrompt {
    const wchar_t* title;
    const wchar_t* text;
    UINT style;  // MB_ flags
    HWND owner;
};

// Answers a prompt in place of the message box: IDOK, IDCANCEL, ...
using PromptAnswerer = int (*)(const UserPrompt& prompt, void* context);

// Installs an answerer for the whole process; null brings the message box back.
void SetPromptAnswerer(PromptAnswerer answerer, void* context);

// Copies string `id` of `resources` into `buffer` (at most size - 1 characters,
// always terminated), or `fallback` when there is no module or no such string.
// Returns the number of characters copied.
int LoadPromptText(HMODULE resources, UINT id, const wchar_t* fallback, wchar_t* buffer, int size);

// Shows `text` with the title string `titleId` of `resources` (`defaultTitle`
// when missing), owned by the active window. Returns the answer, 0 or -1 when
// no box could be shown.
int AskUser(HMODULE resources, UINT titleId, const wchar_t* defaultTitle, const wchar_t* text, UINT style);

// The same with a title that is no resource string (a printer's name).
int AskUserTitled(const wchar_t* title, const wchar_t* text, UINT style);

// The same over a given owner window (null: the active window), for dialogs
// that show their messages over themselves.
int AskUserOwned(HWND owner, const wchar_t* title, const wchar_t* text, UINT style);

// An OK (retry) or Cancel question. True only on an explicit OK: any other
// answer, a box that could not be shown included, means stop.
bool AskRetry(HMODULE resources, UINT titleId, const wchar_t* defaultTitle, const wchar_t* text);
